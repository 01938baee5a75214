// Shared libraries: loading, looking up exported functions, releasing.
//
// Over dlopen (RTLD_NOW | RTLD_LOCAL), dlsym and dlclose. The stand-in remembers which
// handles it gave out and how often, so that a handle it did not give out, or one
// released as often as it was loaded, is refused with ERROR_INVALID_HANDLE instead of
// reaching the loader. The system libraries that the stand-in offers itself
// ("KERNEL32.DLL", "PSAPI.DLL") are found by name without the loader (builtin_module.h).
#pragma once

#include "platform/w32/types.h"

namespace w32 {

struct HINSTANCE__;
typedef HINSTANCE__* HMODULE;
// A looked-up function, to be cast to its own type before it is called. void() is the
// type that compilers let one cast to any other function pointer type without warning.
typedef void (*FARPROC)();

// Loads the library at path. A path with a delimiter ('\' or '/') is resolved through
// the path model (path.h); a bare name is handed to the loader, which searches for it.
// Loading a library again gives the same handle, to be released once more. Null on
// failure: ERROR_INVALID_PARAMETER for a null path, else ERROR_MOD_NOT_FOUND.
HMODULE LoadLibraryA(const char* path);

// The address of the function that module exports under name. Null on failure:
// ERROR_INVALID_HANDLE for a null or unknown module, ERROR_INVALID_PARAMETER for a null
// name, ERROR_PROC_NOT_FOUND when the library lacks it.
FARPROC GetProcAddress(HMODULE module, const char* name);

// Releases one load of module. FALSE with ERROR_INVALID_HANDLE for a null or unknown
// module; FALSE with ERROR_GEN_FAILURE when the loader refuses.
BOOL FreeLibrary(HMODULE module);

// The loader's text for the calling thread's last failure of the three functions above
// ("" when there was none), for callers that report in detail.
const char* w32_last_loader_error();

}  // namespace w32
