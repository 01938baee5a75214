// The system libraries that the stand-in offers itself, for LoadLibraryA and
// GetProcAddress (library.h):
// - "KERNEL32.DLL": CreateToolhelp32Snapshot, Process32First, Process32Next
//   (toolhelp.h), unless the tool-help functions are made absent (below);
// - "PSAPI.DLL": EnumProcesses, GetModuleBaseNameA (psapi.h).
// A bare name matches in any letter case, with or without ".DLL"; a name with a
// directory is never one of these. Each load is counted and released by FreeLibrary.
// The tool-help functions are absent, as on systems before them, when a test says so
// (builtin_module_testing.h) or the environment variable YRL_W32_NO_TOOLHELP is set to
// anything but "" or "0".
#pragma once

#include "platform/w32/library.h"
#include "platform/w32/types.h"

namespace w32 {

constexpr char W32_NO_TOOLHELP_VARIABLE[] = "YRL_W32_NO_TOOLHELP";

// The handle of the built-in library name, counted as one more load; null (nothing
// set) when name is not one.
HMODULE w32_builtin_module_load(const char* name);

// Whether module is a built-in library's handle.
bool w32_is_builtin_module(HMODULE module);

// The function name of a built-in library; null with ERROR_PROC_NOT_FOUND when it has
// none by that name, ERROR_INVALID_HANDLE when the library is not loaded.
FARPROC w32_builtin_module_proc(HMODULE module, const char* name);

// The handle of a built-in library that is loaded now (not counted as a load); null with
// ERROR_MOD_NOT_FOUND for any other name, a library not loaded, or null.
HMODULE GetModuleHandleA(const char* name);

// Releases one load; FALSE with ERROR_INVALID_HANDLE when none is out.
BOOL w32_builtin_module_free(HMODULE module);

}  // namespace w32
