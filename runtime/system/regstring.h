// Plain registry string access and the per-user search path.
#pragma once

#include "platform/w32/registry.h"

namespace vek {

// The room of the value buffers here, terminator included.
constexpr int NT_REGISTRY_VALUE_SIZE = 1024;

// Reads the value name of key below root into out (NT_REGISTRY_VALUE_SIZE bytes): 1 when
// read; 0 with out empty when the value cannot be read, 0 with out untouched when the key
// does not open. A value longer than the buffer is not read.
int nt_get_registry_string_value(w32::HKEY root, const char* key, const char* name, char* out);
// Writes text as REG_SZ (with its terminator) into the value name of key below root,
// made when missing: 1 when written.
int nt_set_registry_string_value(w32::HKEY root, const char* key, const char* name,
                                 const char* text);
// Adds directory to the user's search path (the value "Path" of HKEY_CURRENT_USER
// "Environment"): 1 when written, and 1 without writing when one of its ';'-separated
// entries already names the directory (without regard to case or a trailing '\'). A
// missing value becomes "%path%;" and the directory; a value that cannot be read for
// another reason is left alone (0).
int nt_ginst_cat_path(const char* directory);

}  // namespace vek
