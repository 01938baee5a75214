#include "platform/w32/error.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

using namespace w32;

// The codes that callers test for, after the C library's errno.
TEST(ErrorFromErrno, PosixFailuresMapToTheirWin32Codes) {
  const struct {
    int error;
    DWORD code;
  } cases[] = {
      {0, ERROR_SUCCESS},
      {ENOENT, ERROR_FILE_NOT_FOUND},
      {ENOTDIR, ERROR_PATH_NOT_FOUND},
      {EACCES, ERROR_ACCESS_DENIED},
      {EPERM, ERROR_ACCESS_DENIED},
      {EROFS, ERROR_ACCESS_DENIED},
      {EISDIR, ERROR_ACCESS_DENIED},
      {EEXIST, ERROR_FILE_EXISTS},
      {ENOTEMPTY, ERROR_DIR_NOT_EMPTY},
      {EPIPE, ERROR_BROKEN_PIPE},
      {EXDEV, ERROR_NOT_SAME_DEVICE},
      {ENOSPC, ERROR_DISK_FULL},
      {EDQUOT, ERROR_DISK_FULL},
      {EFBIG, ERROR_FILE_TOO_LARGE},
      {EBADF, ERROR_INVALID_HANDLE},
      {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
      {EINVAL, ERROR_INVALID_PARAMETER},
      {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},
      {ELOOP, ERROR_CANT_RESOLVE_FILENAME},
      {EIO, ERROR_GEN_FAILURE},
      {-1, ERROR_GEN_FAILURE},
  };
  for (const auto& c : cases) EXPECT_EQ(w32_error_from_errno(c.error), c.code) << c.error;
}

}  // namespace
