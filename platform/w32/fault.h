// Faults on demand: a test arms a call of one of this layer's functions to fail with a
// chosen code (a full disk, a denied access, a name that vanished), so that what the
// callers do when the system refuses can be tested without a real fault.
//
// The functions that consult the facility say so in their header; an armed call does
// nothing else than fail: it sets the armed code as the last error and returns its
// failure value. Arming is in fault_testing.h.
#pragma once

#include "platform/w32/types.h"

namespace w32 {

// Counts a call of function (its Win32 name). TRUE, with the armed code as the last
// error, when this call was armed to fail; FALSE (the last error untouched) otherwise.
BOOL w32_fault_hit(const char* function);

}  // namespace w32
