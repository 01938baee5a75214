// Loading shared libraries and looking up their functions, with reports of failures;
// and a quick test of what kind of program file a path names.
#pragma once

#include "platform/w32/library.h"
#include "runtime/vekbase.h"

namespace vek {

// Bytes of a file that vyndevtest_get_header reads.
constexpr int VYNDEVTEST_HEADER_SIZE = 80;

// Loads the library at path (a bare name is searched by the loader's rules). 1 with the
// handle stored; else 0 with a null handle, after a report that carries the loader's
// error code: printed whatever the diagnostics modes when VYN_TK_DBG_DLL_LOAD is set,
// otherwise through dbg_err_syserr. A null path fails the same way. flag has no effect;
// it is accepted for callers that pass one. A null handle address loads nothing: 0.
int dll_load(const char* path, w32::HMODULE* handle, int flag = 0);

// Looks up an exported function. library names the library in the report only and may
// be null. 1 with the pointer stored; else 0 with a null pointer (a null module handle
// included), reported through dbg_err_syserr only when report is set. A null function
// address looks nothing up: 0.
int dll_get_func_ptr_msgq(w32::HMODULE handle, const VynWchar* library, const char* name,
                          w32::FARPROC* function, int report);
int dll_get_func_ptr(w32::HMODULE handle, const VynWchar* library, const char* name,
                     w32::FARPROC* function);
int dll_get_func_ptr__no_msg(w32::HMODULE handle, const VynWchar* library, const char* name,
                             w32::FARPROC* function);

// Releases a loaded library: 1, else 0 after a report through dbg_err_syserr.
int dll_unload(w32::HMODULE handle, const VynWchar* library);

// 1: the library offers its exports.
int dll_export_function();

// Reads the first VYNDEVTEST_HEADER_SIZE bytes of a file (fewer when it is shorter)
// into a static buffer, overwritten by the next call: 1 with *header pointing at it and
// *count the bytes read; 0 when the file cannot be opened or read (an empty file
// included), with *header null and *count 0. Either output may be null.
int vyndevtest_get_header(const char* path, const unsigned char** header, int* count);

// Whether the file's header is that of a shared object (is_dll) or of a program that
// can be run (is_exec); 0 as well when the header cannot be read.
int vyndevtest_is_dll(const char* path);
int vyndevtest_is_exec(const char* path);

}  // namespace vek
