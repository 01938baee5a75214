// Test hooks of the built-in libraries.
#pragma once

namespace w32 {

// Makes the tool-help functions of "KERNEL32.DLL" absent (or present again), whatever
// the environment says.
void builtin_module_testing_set_toolhelp_absent(bool absent);

// How many loads of the built-in libraries are out.
int builtin_module_testing_loaded_count();

// Forgets every load and the switch above.
void builtin_module_testing_reset();

}  // namespace w32
