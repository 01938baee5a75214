// The process's environment variables and its current directory.
//
// COMSPEC, which Windows always defines, answers C:\Windows\system32\cmd.exe when the
// process's environment does not set it (environment_testing.h takes it away); that
// program is the command interpreter of the process stand-in (interpreter.h).
#pragma once

#include "platform/w32/types.h"

namespace w32 {

// The value of the variable name, found as Win32 finds it: the exact spelling first,
// else one that differs only in ASCII letter case. When the value and its terminator
// fit in size bytes: copied, and its length is returned; otherwise the size needed,
// terminator included, and nothing is copied. 0 with ERROR_ENVVAR_NOT_FOUND when the
// variable is not set; ERROR_INVALID_PARAMETER for a null name, or a null buffer with a
// nonzero size.
DWORD GetEnvironmentVariableA(const char* name, char* buffer, DWORD size);

// The environment block: first "=C:=C:\dir" for the current drive's directory as Win32
// keeps it, then every "NAME=value" of the process (with COMSPEC as above), each text
// terminated, and an empty text at the end. A malloc'd copy that FreeEnvironmentStrings
// releases; null with ERROR_NOT_ENOUGH_MEMORY. Consults the fault facility (fault.h).
char* GetEnvironmentStrings();
// Releases a block of GetEnvironmentStrings. FALSE with ERROR_INVALID_PARAMETER for null.
BOOL FreeEnvironmentStrings(char* block);

// Sets the variable name to value in the process's environment (setenv), which children
// inherit; a spelling that differs only in case is the same variable. A null value
// removes it. FALSE with ERROR_INVALID_PARAMETER for a null or empty name or one
// holding '='; with ERROR_NOT_ENOUGH_MEMORY when the environment refuses.
BOOL SetEnvironmentVariableA(const char* name, const char* value);

// The layer's current directory (path.h) as a Windows name ("C:\dir\sub", "C:\" at a
// drive's root). When it and its terminator fit in size bytes: copied, and its length
// is returned; otherwise the size needed, terminator included, nothing copied. 0 with
// the reason when it cannot be read.
DWORD GetCurrentDirectoryA(DWORD size, char* buffer);
DWORD GetCurrentDirectoryW(DWORD size, WCHAR* buffer);

// Makes name the layer's current directory (w32_set_current_directory in path.h).
// Consults the fault facility (fault.h) with the name.
BOOL SetCurrentDirectoryA(const char* name);
BOOL SetCurrentDirectoryW(const WCHAR* name);

// The full name of name (w32_full_path_name in path.h) in the system code page. When it
// and its terminator fit in size bytes: copied, its length returned, and *file_part (when
// given) set to its last component in buffer (null when the name ends with a delimiter);
// otherwise the size needed, nothing copied. 0 with the reason when the name cannot be
// parsed.
DWORD GetFullPathNameA(const char* name, DWORD size, char* buffer, char** file_part);

}  // namespace w32
