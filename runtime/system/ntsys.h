// Win32 replacements of Unix services.
#pragma once

namespace vek {

// The computer name into buffer (length bytes with the terminator): nonzero on success;
// 0 with an empty buffer when the name does not fit or cannot be read, and 0 for a null
// buffer or a length below 1.
int NT_gethostname(char* buffer, int length);

}  // namespace vek
