// Searching a directory for names that match a pattern with Windows wildcards.
//
// The pattern is a Windows name whose last component may hold wildcards; the directory
// before it goes through the path model (path.h). In the last component '*' stands for
// any run of characters and '?' for exactly one; letters match without regard to ASCII
// case; a pattern that ends in ".*" also matches the names that its part before ".*"
// matches, so that "*.*" matches every name, with or without a dot. Every other
// character stands for itself ('[' included). The matches come in the byte order of
// their POSIX names; "." and ".." are listed for every directory but the root of a
// drive, as on Win32. Names are given in the system code page; the short (8.3) name is
// always empty.
#pragma once

#include <cstddef>

#include "platform/w32/file.h"
#include "platform/w32/handle.h"
#include "platform/w32/types.h"

namespace w32 {

struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  char cFileName[MAX_PATH];
  char cAlternateFileName[14];
};
static_assert(offsetof(WIN32_FIND_DATAA, nFileSizeHigh) == 28);
static_assert(offsetof(WIN32_FIND_DATAA, cFileName) == 44);
static_assert(offsetof(WIN32_FIND_DATAA, cAlternateFileName) == 304);
static_assert(sizeof(WIN32_FIND_DATAA) == 320);

// Starts a search and gives its first match in *data (attributes as
// GetFileAttributesA gives them; the creation time is the POSIX status-change time).
// INVALID_HANDLE_VALUE on failure: ERROR_FILE_NOT_FOUND when nothing matches,
// ERROR_PATH_NOT_FOUND when the directory does not exist, ERROR_INVALID_PARAMETER for a
// null pattern or data, and the path model's reasons.
HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data);

// The next match; FALSE with ERROR_NO_MORE_FILES after the last. A match that vanished
// since the search began is skipped.
BOOL FindNextFileA(HANDLE search, WIN32_FIND_DATAA* data);

// Ends a search; FALSE with ERROR_INVALID_HANDLE for anything but an open search.
BOOL FindClose(HANDLE search);

// Whether name (UTF-16, terminated) matches pattern by the rules above.
bool w32_wildcard_match(const WCHAR* pattern, const WCHAR* name);

}  // namespace w32
