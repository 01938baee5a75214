// The path model: how a Windows path name becomes the POSIX path that it names.
//
// Names above this layer keep the Windows grammar; every file function of the stand-in
// translates its name here, at the boundary, and nowhere else.
// - Drives: each letter A-Z maps to a POSIX directory through the drive table. At start
//   "C:" is "/" and the current drive is "C:"; every other letter is unmapped, and a name
//   on an unmapped drive does not resolve (ERROR_PATH_NOT_FOUND).
// - '\' and '/' both delimit. "\\host\share\rest" names "<unc-root>/host/share/rest"; the
//   UNC root is "/tmp/yrl-unc" at start. Host and share are the root of such a name.
// - A rooted name without a drive ("\opt\x", and so the POSIX "/opt/x") is on the current
//   drive. A relative name ("x", "D:x") continues the drive's current directory. The
//   layer keeps one per drive and never changes the process's own; at start the current
//   directory of "C:" is the process's working directory, that of any other drive "\".
// - "." and ".." are folded; ".." never climbs above the drive's (or share's) root.
// - Names resolve without regard to case: each component is looked up exactly, then with
//   ASCII letters folded (other characters must match exactly); among several folded
//   matches the one that sorts first by bytes wins. A last component that does not exist
//   keeps the caller's spelling, so a file to be made gets the name it was asked for.
// - A name resolves only while every directory above its last component exists, as
//   every Win32 file function requires: else ERROR_PATH_NOT_FOUND (or ERROR_ACCESS_DENIED
//   when a directory cannot be searched). A delimiter at the end is kept as '/', so that
//   the name must then be a directory.
// - Narrow ("A") names are in the system code page (GetACP) and wide ("W") names in
//   UTF-16; POSIX names are UTF-8. A name that does not convert gives
//   ERROR_NO_UNICODE_TRANSLATION; an empty name ERROR_PATH_NOT_FOUND; a component with one
//   of < > : " | ? * or a control character, or a UNC name without host or share,
//   ERROR_INVALID_NAME. A result that does not fit the caller's buffer is refused with
//   ERROR_FILENAME_EXCED_RANGE, never cut.
#pragma once

#include <cstddef>

#include "platform/w32/types.h"

namespace w32 {

// Room, terminator included, for any name the path model makes or keeps.
constexpr std::size_t W32_PATH_CAPACITY = 4096;

// Writes the POSIX path that name stands for into posix (capacity bytes, terminator
// included). TRUE on success; FALSE with the reason in GetLastError (a null name or
// buffer: ERROR_INVALID_PARAMETER), posix then holding an empty string when it has room.
BOOL w32_resolve_path_a(const char* name, char* posix, std::size_t capacity);
BOOL w32_resolve_path_w(const WCHAR* name, char* posix, std::size_t capacity);

// The same for code written once for both kinds of name.
inline BOOL w32_resolve_path(const char* name, char* posix, std::size_t capacity) {
  return w32_resolve_path_a(name, posix, capacity);
}
inline BOOL w32_resolve_path(const WCHAR* name, char* posix, std::size_t capacity) {
  return w32_resolve_path_w(name, posix, capacity);
}

// Makes the directory name the current directory of its drive, and that drive the
// current drive; the process's own working directory is never changed. The directory is
// kept as the disk spells it. FALSE with the path model's reasons, ERROR_DIRECTORY for a
// file, ERROR_NOT_SUPPORTED for a UNC name (a share has no current directory here),
// ERROR_INVALID_PARAMETER for a null name.
BOOL w32_set_current_directory(const WCHAR* name);

// The full Windows name of name in full (capacity units, terminator included), formed
// from the text alone as Win32 forms it: the drive's current directory before a relative
// name, "." and ".." folded, '\' for every delimiter, a delimiter at the end kept. The
// disk is not consulted, so the spelling is the caller's. FALSE with
// ERROR_FILENAME_EXCED_RANGE when it does not fit, and the path model's reasons for a
// name it cannot parse.
BOOL w32_full_path_name(const WCHAR* name, WCHAR* full, std::size_t capacity);

// Configuration, for the stand-in host and for tests. Letters may be given in either
// case; directories are absolute POSIX paths, which need not exist yet. FALSE with
// ERROR_INVALID_PARAMETER for a bad letter or directory.
//
// Maps a drive to a directory, or unmaps it when directory is null; its current
// directory becomes "\".
BOOL w32_set_drive(char letter, const char* directory);
// Makes a mapped drive the current drive; ERROR_PATH_NOT_FOUND for an unmapped one.
BOOL w32_set_current_drive(char letter);
// Sets the directory under which "\\host\share" names are found.
BOOL w32_set_unc_root(const char* directory);
// Copies that directory into directory (capacity bytes); ERROR_FILENAME_EXCED_RANGE
// when it does not fit.
BOOL w32_unc_root(char* directory, std::size_t capacity);

}  // namespace w32
