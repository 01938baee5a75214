// Test hooks of the Win32 replacements (ntsys.h).
#pragma once

namespace vek {

// Ends a pending alarm and waits until no timer thread is left; forgets the alarm
// handler, the start of the process times and the error bits.
void ntsys_testing_reset();

// Makes sleep call hook with its seconds instead of waiting (null: wait again), so that
// callers that pause after a failure do not slow the tests. The reset clears it.
void ntsys_testing_sleep_hook_set(int (*hook)(int seconds));

// How many timer threads are still running.
int ntsys_testing_alarm_threads();

}  // namespace vek
