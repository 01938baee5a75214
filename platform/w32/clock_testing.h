// Test hooks of the layer's clock (clock.h).
#pragma once

#include <cstdint>

namespace w32 {

// Puts a test's clock in place of the real one, standing still at wall_ms milliseconds
// after 1970-01-01 UTC (its monotonic reading starts at 0), with the process having
// spent no time in user code or the kernel.
void clock_testing_start(std::int64_t wall_ms);

// Moves the test's clock on by milliseconds and wakes the waits that are due.
void clock_testing_advance(std::int64_t milliseconds);

// The process times GetProcessTimes answers on the test's clock, in milliseconds.
void clock_testing_set_process_times(std::int64_t user_ms, std::int64_t kernel_ms);

// Whether a wait (w32_clock_wait) is under way: lets a test move the clock only once
// the thread it drives waits.
int clock_testing_waiting();

// Back to the real clock.
void clock_testing_reset();

}  // namespace w32
