// Test hooks of the Win32 replacements (ntsys.h).
#pragma once

namespace vek {

// Ends a pending alarm and waits until no timer thread is left; forgets the alarm
// handler, the start of the process times and the error bits.
void ntsys_testing_reset();

// How many timer threads are still running.
int ntsys_testing_alarm_threads();

}  // namespace vek
