#include "platform/w32/file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/w32/error.h"
#include "platform/w32/file_testing.h"
#include "platform/w32/path.h"

namespace w32 {

namespace {

UINT g_error_mode = 0;

// The attributes of the POSIX file at posix. A missing file is ERROR_FILE_NOT_FOUND:
// the path model has already made sure that its directory exists.
DWORD attributes_of(const char* posix) {
  struct stat st;
  if (stat(posix, &st) != 0) {
    SetLastError(w32_error_from_errno(errno));
    return INVALID_FILE_ATTRIBUTES;
  }
  DWORD attributes = 0;
  if (S_ISDIR(st.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if (S_ISREG(st.st_mode)) attributes |= FILE_ATTRIBUTE_ARCHIVE;
  if ((st.st_mode & S_IWUSR) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  // The last component, a '/' that ends a directory's name aside.
  std::size_t end = std::strlen(posix);
  while (end > 1 && posix[end - 1] == '/') --end;
  std::size_t start = end;
  while (start > 0 && posix[start - 1] != '/') --start;
  if (start < end && posix[start] == '.') attributes |= FILE_ATTRIBUTE_HIDDEN;
  return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

}  // namespace

DWORD GetFileAttributesA(const char* name) {
  char posix[W32_PATH_CAPACITY];
  if (!w32_resolve_path_a(name, posix, sizeof posix)) return INVALID_FILE_ATTRIBUTES;
  return attributes_of(posix);
}

DWORD GetFileAttributesW(const WCHAR* name) {
  char posix[W32_PATH_CAPACITY];
  if (!w32_resolve_path_w(name, posix, sizeof posix)) return INVALID_FILE_ATTRIBUTES;
  return attributes_of(posix);
}

// Atomic, as the mode is the process's and the launcher runs two threads.
UINT SetErrorMode(UINT mode) { return __atomic_exchange_n(&g_error_mode, mode, __ATOMIC_SEQ_CST); }

void file_testing_reset() { __atomic_store_n(&g_error_mode, 0u, __ATOMIC_SEQ_CST); }

}  // namespace w32
