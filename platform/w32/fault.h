// Faults on demand: a test arms calls of this layer's functions to fail with a chosen code
// (a full disk, a denied access, a name that vanished), to write only part of their data,
// or to run a hook first (a file that vanishes between two calls), so that what the
// callers do when the system refuses can be tested without a real fault. Every call is
// counted, so that a test can run an operation once to learn its calls and then fail each
// in turn.
//
// The functions that consult the facility say so in their header; A, W and run-time forms
// count apart under their own names. An armed failure does nothing else than fail: it sets
// the armed code as the last error and the function returns its failure value. Arming is
// in fault_testing.h.
#pragma once

#include "platform/w32/types.h"

namespace w32 {

// Counts a call of function (its Win32 or run-time name) on name (the file name it was
// given, or null), after running any hook armed for this call. TRUE, with the armed code
// as the last error, when this call was armed to fail; FALSE (the last error untouched)
// otherwise. *write_limit (when given) gets the bytes the call may still transfer when it
// was armed to stop part-way, and is left alone otherwise.
BOOL w32_fault_hit(const char* function, const char* name = nullptr,
                   DWORD* write_limit = nullptr);
BOOL w32_fault_hit(const char* function, const WCHAR* name);

}  // namespace w32
