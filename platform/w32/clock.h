// Time: the layer's one clock, which every reading of time by this layer and the
// run-time library goes through, so that a test can put a clock of its own in its place
// (clock_testing.h) and test delays, alarms and times of use without waiting; Sleep,
// the system time, the tick count and the times of the own process; and a wait that
// another thread can cancel.
//
// Sleep, GetSystemTime, GetSystemTimeAsFileTime, GetTickCount and GetProcessTimes
// consult the fault facility (fault.h) under their names; Sleep and GetTickCount, which
// cannot fail on Win32, ignore an armed fault beyond counting the call.
#pragma once

#include <time.h>

#include <cstdint>

#include "platform/w32/filetime.h"
#include "platform/w32/types.h"

namespace w32 {

// Milliseconds on a clock that never goes back, from an arbitrary start.
std::int64_t w32_clock_monotonic_ms();

// The same on the real clock, whatever clock a test put in place: for the waits on
// what lies outside the layer (other processes and threads).
std::int64_t w32_clock_real_monotonic_ms();

// The time of day as POSIX counts it (UTC).
timespec w32_clock_wall();

// Waits for milliseconds on the layer's clock (INFINITE: without limit) unless
// *cancelled becomes true meanwhile through w32_clock_cancel_wait: TRUE when the time
// passed, FALSE when the wait was cancelled (also when it was before the call). On a
// test's clock the wait ends when the test moves the clock past it. A cancellation point
// of the thread (cancel.h): a thread ended in it leaves the clock as it was.
BOOL w32_clock_wait(DWORD milliseconds, bool* cancelled);

// Sets *cancelled and wakes the waits that watch it.
void w32_clock_cancel_wait(bool* cancelled);

// Lets this thread run no sooner than milliseconds from now; on a test's clock, moves
// that clock on by milliseconds instead, at once.
void Sleep(DWORD milliseconds);

// The time of day in UTC, to the millisecond. A null result is ignored.
// GetSystemTimeAsFileTime (filetime.h) reads the same clock.
void GetSystemTime(SYSTEMTIME* time);

// Milliseconds since the clock's start, wrapping after 49.7 days as on Win32.
DWORD GetTickCount();

// The pseudo handle that names the own process.
HANDLE GetCurrentProcess();

// The times of the own process (GetCurrentProcess, or a handle of it by id is not
// served): when it started, 0 for its exit, the time it spent in the kernel and in user
// code (100-ns units). FALSE with ERROR_INVALID_HANDLE for another handle,
// ERROR_INVALID_PARAMETER for a null result.
BOOL GetProcessTimes(HANDLE process, FILETIME* creation, FILETIME* exit, FILETIME* kernel,
                     FILETIME* user);

}  // namespace w32
