#include "platform/w32/error.h"

#include <cerrno>

#include "platform/w32/error_testing.h"
#include "platform/w32/types.h"

namespace w32 {

namespace {

// Per thread, like the Win32 value: a worker thread's failure never overwrites the code
// that another thread is about to read. Constant-initialised, so it needs no constructor.
thread_local DWORD t_last_error = ERROR_SUCCESS;

}  // namespace

DWORD GetLastError() { return t_last_error; }

void SetLastError(DWORD code) { t_last_error = code; }

DWORD w32_error_from_errno(int error) {
  switch (error) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    case EEXIST:
      return ERROR_FILE_EXISTS;
    case ENOTEMPTY:
      return ERROR_DIR_NOT_EMPTY;
    case EPIPE:
      return ERROR_BROKEN_PIPE;
    case EXDEV:
      return ERROR_NOT_SAME_DEVICE;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case EFBIG:
      return ERROR_FILE_TOO_LARGE;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case ELOOP:
      return ERROR_CANT_RESOLVE_FILENAME;
    default:
      return ERROR_GEN_FAILURE;
  }
}

void error_testing_reset() { t_last_error = ERROR_SUCCESS; }

}  // namespace w32
