// Clocks, process CPU times, pseudo-random numbers and delays. Every reading of time
// and every sleep goes through the layer's clock (platform/w32/clock.h), so that a
// test's clock drives them.
#pragma once

#include <cstdint>

namespace vek {

// Seconds since 1970 and microseconds: two 32-bit words, the seconds unsigned (they last
// until 2106).
struct VynTimeVal {
  std::uint32_t tv_sec;
  std::int32_t tv_usec;
};
static_assert(sizeof(VynTimeVal) == 8);

// Now, to the millisecond, from one reading of the clock: 0, -1 for null.
int vyn_gettimeofday(VynTimeVal* out);
// The user / kernel time of the process: 0, -1 for null or when it cannot be read.
int vek_get_cpu_user_secs(VynTimeVal* out);
int vek_get_cpu_system_secs(VynTimeVal* out);
// vyn_gettimeofday.
int vek_get_cpu_elapsed_secs(VynTimeVal* out);
// Now in seconds since 1970 with the microseconds as the fraction.
double get_double_elapsed_time();
// The constant 13.
int vek_get_cpu_elapsed_ticks();
int vek_get_cpu_user_ticks();
int vek_get_cpu_system_ticks();

// (seconds mod 100,000) x 4,096 + microseconds mod 100,000 of now.
int vyn_get_random_num();
// 30 pseudo-random bits from two draws of rand(), 15 bits each, the first in bits
// 16-30; the generator is seeded once with vyn_get_random_num.
int vyn_random_num();
// 9999: no zone.
int vyn_get_time_zone();

// Sleeps tenths of a second (at most 30; more is cut, with a line printed in any run
// mode but 0). In the run modes 9029, 9129, 9229 and 9329 returns at once; in run mode
// 73 sleeps a tenth of the time. 0; -1 for a negative or not-a-number request.
int spg_delay(double tenths);
// Sleeps microseconds / 1000 milliseconds (none for a negative request); 1.
int spg_delay_mic(int microseconds);
// Sleeps min(seconds, 1,000,000) seconds and microseconds / 1000 milliseconds, at least
// 1: 1; 0 without sleeping for a negative part or both 0.
int spg_delay_time_val(int seconds, int microseconds);
// Does nothing; 0.
int spg_sleep(int unused);

}  // namespace vek
