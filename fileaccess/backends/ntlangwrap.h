// The language-dependent wrappers of the Win32 file calls: each takes a narrow name in
// the session language's encoding and calls the wide or the narrow entry point, as
// ntlangwrap_get_action decided once for the process.
#pragma once

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

}  // namespace vek
