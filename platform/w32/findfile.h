// Searching a directory for names that match a pattern with Windows wildcards.
//
// The pattern is a Windows name whose last component may hold wildcards; the directory
// before it goes through the path model (path.h). In the last component '*' stands for
// any run of characters and '?' for exactly one; letters match without regard to ASCII
// case; a pattern that ends in ".*" also matches the names that its part before ".*"
// matches, so that "*.*" matches every name, with or without a dot. Every other
// character stands for itself ('[' included). The matches come in the byte order of
// their POSIX names; "." and ".." are listed for every directory but the root of a
// drive, as on Win32. Names are given in the system code page (A) or UTF-16 (W); a name
// that the code page cannot hold is left out of an A search. The short (8.3) name is
// always empty. Sizes are given in both halves. A symbolic link is listed with the
// attributes of GetFileAttributesA (a reparse point), with its target's size and times.
//
// The first, next and close calls consult the fault facility (fault.h), the first with
// its pattern.
#pragma once

#include <cstddef>

#include "platform/w32/file.h"
#include "platform/w32/handle.h"
#include "platform/w32/types.h"

namespace w32 {

// The record of one match, in narrow (A) and wide (W) form.
template <typename Char>
struct FindData {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  Char cFileName[MAX_PATH];
  Char cAlternateFileName[14];
};
using WIN32_FIND_DATAA = FindData<char>;
using WIN32_FIND_DATAW = FindData<WCHAR>;
static_assert(offsetof(WIN32_FIND_DATAA, nFileSizeHigh) == 28);
static_assert(offsetof(WIN32_FIND_DATAA, cFileName) == 44);
static_assert(offsetof(WIN32_FIND_DATAA, cAlternateFileName) == 304);
static_assert(sizeof(WIN32_FIND_DATAA) == 320);

static_assert(offsetof(WIN32_FIND_DATAW, nFileSizeHigh) == 28);
static_assert(offsetof(WIN32_FIND_DATAW, nFileSizeLow) == 32);
static_assert(offsetof(WIN32_FIND_DATAW, cFileName) == 44);
static_assert(offsetof(WIN32_FIND_DATAW, cAlternateFileName) == 564);
static_assert(sizeof(WIN32_FIND_DATAW) == 592);

// Starts a search and gives its first match in *data (attributes as
// GetFileAttributesA gives them; the creation time is the POSIX status-change time).
// INVALID_HANDLE_VALUE on failure: ERROR_FILE_NOT_FOUND when nothing matches,
// ERROR_PATH_NOT_FOUND when the directory does not exist, ERROR_INVALID_PARAMETER for a
// null pattern or data, and the path model's reasons.
HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data);
HANDLE FindFirstFileW(const WCHAR* pattern, WIN32_FIND_DATAW* data);

// The next match; FALSE with ERROR_NO_MORE_FILES after the last. A match that vanished
// since the search began is skipped.
BOOL FindNextFileA(HANDLE search, WIN32_FIND_DATAA* data);
BOOL FindNextFileW(HANDLE search, WIN32_FIND_DATAW* data);

// Ends a search; FALSE with ERROR_INVALID_HANDLE for anything but an open search.
BOOL FindClose(HANDLE search);

// Whether name (UTF-16, terminated) matches pattern by the rules above.
bool w32_wildcard_match(const WCHAR* pattern, const WCHAR* name);

}  // namespace w32
