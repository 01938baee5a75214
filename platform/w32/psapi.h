// Process status functions, over /proc (see toolhelp.h for how processes are named).
#pragma once

#include "platform/w32/library.h"
#include "platform/w32/types.h"

namespace w32 {

// Writes the ids of the running processes, by rising id with 0 (the idle process)
// first, into ids: as many as fit in bytes; *bytes_returned gets the bytes written.
// FALSE with ERROR_INVALID_PARAMETER for null arguments; with the reason when /proc
// cannot be read.
BOOL EnumProcesses(DWORD* ids, DWORD bytes, DWORD* bytes_returned);

// The name of the program of the process behind handle (OpenProcess or CreateProcessA)
// for a null module: at most size - 1 bytes and a terminator are copied and the length
// copied is returned. 0 on failure: ERROR_INVALID_HANDLE for a bad handle or a module
// other than null, ERROR_INVALID_PARAMETER when the process has ended or the buffer is
// null or empty.
DWORD GetModuleBaseNameA(HANDLE process, HMODULE module, char* name, DWORD size);

}  // namespace w32
