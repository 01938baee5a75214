// Test hooks of the fault facility (fault.h).
#pragma once

#include "platform/w32/types.h"

namespace w32 {

// How many faults may be armed at once.
constexpr int W32_FAULT_MAX = 16;

// Arms the n-th call of function from now (1: the next one) to fail with code. Several
// calls, of one function or of several, may be armed at once. FALSE for a null or
// empty function, a name of 32 characters or more, an n below 1, or when W32_FAULT_MAX
// faults are armed already.
BOOL fault_testing_fail_on_call(const char* function, int n, DWORD code);

// How many armed faults have not been hit yet.
int fault_testing_armed();

// Disarms every fault.
void fault_testing_reset();

}  // namespace w32
