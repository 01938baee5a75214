// Facts about the system: its default language and the computer's name.
#pragma once

#include "platform/w32/types.h"

namespace w32 {

// The system's default language id: 0x0409 (U.S. English) unless a test set another.
WORD GetSystemDefaultLangID();

// Writes the computer's name (the host name, as gethostname gives it) and its
// terminator into buffer, which holds *size bytes; TRUE with *size set to the name's
// length. When the buffer is too small (or null with *size 0): FALSE,
// ERROR_BUFFER_OVERFLOW and *size set to the bytes needed, terminator included; nothing
// is written. A null size, or a null buffer with a nonzero size: FALSE,
// ERROR_INVALID_PARAMETER.
BOOL GetComputerNameA(char* buffer, DWORD* size);

}  // namespace w32
