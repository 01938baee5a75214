// Test hooks of the built-in libraries.
#pragma once

#include "platform/w32/library.h"
#include "platform/w32/types.h"

namespace w32 {

// Makes the tool-help functions of "KERNEL32.DLL" absent (or present again), whatever
// the environment says.
void builtin_module_testing_set_toolhelp_absent(bool absent);

// How many loads of the built-in libraries are out.
int builtin_module_testing_loaded_count();

// A library of the test's own, offered beside the built-in ones until the reset: its
// name (under 32 characters) and its functions by name; the table stays the caller's.
// FALSE for a bad name or table.
struct BuiltinModuleProc {
  const char* name;
  FARPROC function;
};
BOOL builtin_module_testing_register(const char* name, const BuiltinModuleProc* procs, int count);

// Forgets every load, the test's library and the switch above.
void builtin_module_testing_reset();

}  // namespace w32
