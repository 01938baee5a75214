// The language-dependent wrappers of the Win32 file calls: each takes a narrow name in
// the session language's encoding and calls the wide or the narrow entry point, as
// ntlangwrap_get_action decided once for the process. A wrapper that changes the file
// system drops the directory-cache entry of each name it was given after the call,
// whether or not the call succeeded.
//
// Every wrapper refuses, with its failure value and the last error set, a null name
// (ERROR_INVALID_PARAMETER), a name of NTLANGWRAP_NAME_SIZE bytes or more
// (ERROR_FILENAME_EXCED_RANGE) and a name without a Shift_JIS form in the converting
// action (ERROR_NO_UNICODE_TRANSLATION); an invalid action is reported ("invalid
// action") under the wrapper's name and gives its failure value.
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/w32/crt.h"
#include "platform/w32/filetime.h"
#include "platform/w32/security.h"
#include "platform/w32/types.h"

namespace vek {

// Actions.
enum : int {
  NTLANGWRAP_WIDE = 0,       // wide entry points, names through strtows
  NTLANGWRAP_NARROW = 1,     // narrow entry points, names as given
  NTLANGWRAP_CONVERTED = 2,  // narrow entry points, names converted to Shift_JIS
};

// Longest name of a wrapper, terminator included: longer names fail.
constexpr int NTLANGWRAP_NAME_SIZE = 260;

// Decided at the first call and kept: a multibyte session language gives
// NTLANGWRAP_WIDE; otherwise a Japanese system (default language id 1041) gives
// NTLANGWRAP_CONVERTED and any other system NTLANGWRAP_NARROW.
int ntlangwrap_get_action();

// GetFileAttributes of name: the attributes, or INVALID_FILE_ATTRIBUTES (-1) when they
// cannot be read, for a null name, a name of NTLANGWRAP_NAME_SIZE bytes or more, or a
// name that cannot be converted.
w32::DWORD ntlangwrap_GetFileAttributes(const char* name);

// SetFileAttributes of name: the call's result (FALSE on failure).
w32::BOOL ntlangwrap_SetFileAttributes(const char* name, w32::DWORD attributes);

// GetDriveType of root: the drive type (0, DRIVE_UNKNOWN, when the root cannot be
// formed or the action is invalid).
w32::UINT ntlangwrap_GetDriveType(const char* root);

// GetFileSecurity of name for information: the first call passes no buffer; when it
// asks for one, a getmem block of the size needed is stored in *descriptor (the caller
// releases it: relmem of its address) and the call repeated. The second call's result (FALSE when
// either fails; *descriptor is then null unless the block was made).
w32::BOOL ntlangwrap_GetFileSecurity(const char* name, w32::SECURITY_INFORMATION information,
                                     w32::PSECURITY_DESCRIPTOR* descriptor);

// SetFileSecurity of name: the call's result.
w32::BOOL ntlangwrap_SetFileSecurity(const char* name, w32::SECURITY_INFORMATION information,
                                     w32::PSECURITY_DESCRIPTOR descriptor);

// CreateFile of name, without security attributes or template: the handle, or
// INVALID_HANDLE_VALUE. Refreshes unless disposition is OPEN_EXISTING.
w32::HANDLE ntlangwrap_CreateFile(const char* name, w32::DWORD access, w32::DWORD share_mode,
                                  w32::DWORD disposition, w32::DWORD flags);

// DeleteFile of name: 0 on success, 1 on failure. Refreshes.
int ntlangwrap_DeleteFile(const char* name);

// CreateDirectory of name, then SetFileAttributes NORMAL on it: 0 on success, 1 when the
// directory could not be made. Refreshes.
int ntlangwrap_make_dir(const char* name, w32::SECURITY_ATTRIBUTES* security);

// RemoveDirectory of name: 0 / 1. Refreshes.
int ntlangwrap_remove_dir(const char* name);

// MoveFileEx of old_name to new_name with flags: 0 / 1. Refreshes both names.
int ntlangwrap_move_file(const char* old_name, const char* new_name, w32::DWORD flags);

// The run-time's stat of name (the wide one in the wide action), after one trailing
// delimiter has been taken off name in place: 0, or -1 with errno.
int ntlangwrap_stat(char* name, w32::_stat* record);

// FindFirstChangeNotification of name: the handle, or INVALID_HANDLE_VALUE.
w32::HANDLE ntlangwrap_FindFirstChangeNotification(const char* name, w32::BOOL watch_subtree,
                                                   w32::DWORD filter);

// A stream on name: the wide run-time fopen with the wide mode in the wide action,
// dci_fopen otherwise. Null on failure. Refreshes unless mode begins with 'r' or 'R'.
std::FILE* ntlangwrap_fopen(const char* name, const char* mode);

// The run-time's _open of name (narrow in the wide and narrow actions): a descriptor, or
// -1 with errno. Refreshes when flags hold _O_CREAT.
int ntlangwrap_open(const char* name, int flags, int permission);

// SetCurrentDirectory of name: the call's result.
w32::BOOL ntlangwrap_SetCurrentDirectory(const char* name);

// The current directory into buffer (NTLANGWRAP_NAME_SIZE bytes) in the session's
// encoding: its length, or 0 (the buffer untouched) when it cannot be read or its form
// would not fit 259 characters: it is never cut.
w32::DWORD ntlangwrap_GetCurrentDirectory(char* buffer);

// What ntlangwrap_read_dir hands over for each entry: the four listing arrays it was
// given, the entry's narrow name, attributes, its whole size (both halves) and its
// last-write time.
typedef void (*NtLangWrapDirEntry)(void* names, void* attributes, void* sizes, void* times,
                                   const char* name, w32::DWORD entry_attributes,
                                   std::uint64_t size, const w32::FILETIME* write_time);

// Calls callback for every entry that pattern finds (none when it finds nothing): 0; 1
// for a refused pattern, an invalid action or a search that failed or broke off (the
// entries handed over are then no complete listing). An entry whose narrow name would not fit
// NTLANGWRAP_NAME_SIZE bytes, or cannot be converted back, is skipped: a cut name could
// be another file's.
int ntlangwrap_read_dir(const char* pattern, void* names, void* attributes, void* sizes,
                        void* times, NtLangWrapDirEntry callback);

}  // namespace vek
