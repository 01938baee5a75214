// Clocks, process times, random numbers and delays, on the test's clock.
#include "runtime/system/clocks.h"

#include <gtest/gtest.h>
#include <time.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <thread>

#include "platform/w32/clock.h"
#include "platform/w32/clock_testing.h"
#include "runtime/diag/runmode.h"
#include "tests/support/bounded_wait.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"

namespace {

constexpr std::int64_t kWallMs = 1234567890123LL;

class Clocks : public yrltest::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    w32::clock_testing_start(kWallMs);
  }
};

TEST_F(Clocks, TimeOfDayToTheMillisecond) {
  vek::VynTimeVal now;
  ASSERT_EQ(vek::vyn_gettimeofday(&now), 0);
  EXPECT_EQ(now.tv_sec, 1234567890u);
  EXPECT_EQ(now.tv_usec, 123000);
  w32::clock_testing_advance(1877);
  ASSERT_EQ(vek::vek_get_cpu_elapsed_secs(&now), 0);
  EXPECT_EQ(now.tv_sec, 1234567892u);
  EXPECT_EQ(now.tv_usec, 0);
  EXPECT_DOUBLE_EQ(vek::get_double_elapsed_time(), 1234567892.0);
  EXPECT_EQ(vek::vyn_gettimeofday(nullptr), -1);
}

// Seconds past 2038 stay right in the unsigned word.
TEST_F(Clocks, SecondsBeyond2038) {
  w32::clock_testing_start(4102444800000LL);  // 2100-01-01
  vek::VynTimeVal now;
  ASSERT_EQ(vek::vyn_gettimeofday(&now), 0);
  EXPECT_EQ(now.tv_sec, 4102444800u);
}

// Seconds and milliseconds come from one reading: while the clock moves on, no reading
// is ever behind the one before (a second read apart from its milliseconds would be,
// at each second's end).
TEST_F(Clocks, TimeOfDayNeverRunsBackWhileTheClockMoves) {
  // The clock goes from each second's last millisecond over its end and on to the next
  // one's last millisecond.
  w32::clock_testing_start(kWallMs / 1000 * 1000 + 999);
  std::atomic<bool> stop{false};
  std::atomic<bool> moving{false};
  std::thread mover([&] {
    moving = true;
    while (!stop) {
      w32::clock_testing_advance(1);
      w32::clock_testing_advance(999);
    }
  });
  if (!yrltest::wait_until([&] { return moving.load(); })) {
    stop = true;
    mover.join();
    FAIL() << "the clock's mover did not start";
  }
  std::int64_t last = 0;
  bool ordered = true;
  for (int i = 0; i < 300000 && ordered; ++i) {
    vek::VynTimeVal now;
    vek::vyn_gettimeofday(&now);
    std::int64_t ms = static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_usec / 1000;
    ordered = ms >= last;
    last = ms;
  }
  stop = true;
  mover.join();
  EXPECT_TRUE(ordered);
}

TEST_F(Clocks, ProcessTimesInSecondsAndMicroseconds) {
  struct Case {
    std::int64_t ms;
    std::uint32_t seconds;
    std::int32_t microseconds;
  } cases[] = {
      {0, 0, 0},
      {7, 0, 7000},  // 70,000 steps: 0.007 s is no double, its product falls short
      {1234, 1, 234000},
      {500000, 500, 0},  // beyond the low 32-bit word
      {987654321, 987654, 321000},
  };
  for (const Case& c : cases) {
    w32::clock_testing_set_process_times(c.ms, c.ms * 2);
    vek::VynTimeVal user, kernel;
    ASSERT_EQ(vek::vek_get_cpu_user_secs(&user), 0);
    ASSERT_EQ(vek::vek_get_cpu_system_secs(&kernel), 0);
    EXPECT_EQ(user.tv_sec, c.seconds) << c.ms;
    EXPECT_EQ(user.tv_usec, c.microseconds) << c.ms;
    std::int64_t kernel_us = static_cast<std::int64_t>(kernel.tv_sec) * 1000000 + kernel.tv_usec;
    EXPECT_EQ(kernel_us, c.ms * 2000) << c.ms;
  }
  EXPECT_EQ(vek::vek_get_cpu_user_secs(nullptr), -1);
  EXPECT_EQ(vek::vek_get_cpu_elapsed_ticks(), 13);
  EXPECT_EQ(vek::vek_get_cpu_user_ticks(), 13);
  EXPECT_EQ(vek::vek_get_cpu_system_ticks(), 13);
  EXPECT_EQ(vek::vyn_get_time_zone(), 9999);
}

// The seed from the clock, then glibc's rand from that seed, 15 bits a draw: values
// taken from glibc itself (srand(278100440), two rand() & 0x7fff per value).
TEST_F(Clocks, RandomNumbers) {
  // (1234567890 mod 100000) x 4096 + 123000 mod 100000
  EXPECT_EQ(vek::vyn_get_random_num(), 278100440);
  const int expected[4] = {0x670c0b8c, 0x52007c41, 0x67640389, 0x4f015f1b};
  std::srand(1);
  // Seeded at the first call only: the clock moving on changes nothing after it.
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(vek::vyn_random_num(), expected[i]) << i;
    w32::clock_testing_advance(1000);
  }
}

// On the real clock the microseconds are whole milliseconds times 1,000.
using ClocksOnTheRealClock = yrltest::RuntimeTest;

TEST_F(ClocksOnTheRealClock, MicrosecondsAreTheClocksMilliseconds) {
  int sub_millisecond = 0;
  for (int i = 0; i < 200; ++i) {
    vek::VynTimeVal now;
    ASSERT_EQ(vek::vyn_gettimeofday(&now), 0);
    EXPECT_GE(now.tv_usec, 0);
    EXPECT_LT(now.tv_usec, 1000000);
    if (now.tv_usec % 1000 != 0) ++sub_millisecond;
    timespec pause = {0, 123457};
    nanosleep(&pause, nullptr);
  }
  EXPECT_EQ(sub_millisecond, 0);
}

struct DelayCase {
  double tenths;
  int run_mode;
  int added_mode;
  int result;
  std::int64_t slept_ms;
  bool printed;
};

TEST_F(Clocks, DelaySleepsForTheTimeAsked) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const DelayCase cases[] = {
      {5, 0, 0, 0, 500, false},     {2.5, 0, 0, 0, 250, false},  {0, 0, 0, 0, 0, false},
      {30, 1, 0, 0, 3000, false},   {50, 0, 0, 0, 3000, false},  {50, 1, 0, 0, 3000, true},
      {-1, 0, 0, -1, 0, false},     {nan, 0, 0, -1, 0, false},   {10, 73, 0, 0, 100, false},
      {10, 9029, 0, 0, 0, false},   {10, 0, 9329, 0, 0, false},  {10, 0, 73, 0, 100, false},
      {50, 9129, 0, 0, 0, true},
  };
  for (const DelayCase& c : cases) {
    vek::set_run_mode(c.run_mode);
    vek::del_all_added_run_modes();
    if (c.added_mode != 0) vek::add_added_run_mode(c.added_mode);
    yrltest::ConsoleCapture capture;
    std::int64_t before = w32::w32_clock_monotonic_ms();
    EXPECT_EQ(vek::spg_delay(c.tenths), c.result) << c.tenths << " in " << c.run_mode;
    EXPECT_EQ(w32::w32_clock_monotonic_ms() - before, c.slept_ms)
        << c.tenths << " in " << c.run_mode;
    EXPECT_EQ(capture.out(),
              c.printed ? "spg_delay: More than a 3 second delay requested.\n" : "");
  }
}

TEST_F(Clocks, DelaysByMicrosecondsAndTimeValues) {
  struct Case {
    int seconds;  // -2: spg_delay_mic of the microseconds
    int microseconds;
    int result;
    std::int64_t slept_ms;
  } cases[] = {
      {-2, 2500, 1, 2},      {-2, 999, 1, 0},       {-2, -5000, 1, 0},
      {0, 0, 0, 0},          {-1, 5, 0, 0},         {1, -5, 0, 0},
      {1, 500000, 1, 1500},  {0, 999, 1, 1},        {0, 1, 1, 1},
      {2000000, 0, 1, 1000000000},
  };
  for (const auto& c : cases) {
    std::int64_t before = w32::w32_clock_monotonic_ms();
    int result = c.seconds == -2 ? vek::spg_delay_mic(c.microseconds)
                                 : vek::spg_delay_time_val(c.seconds, c.microseconds);
    EXPECT_EQ(result, c.result) << c.seconds << " " << c.microseconds;
    EXPECT_EQ(w32::w32_clock_monotonic_ms() - before, c.slept_ms)
        << c.seconds << " " << c.microseconds;
  }
  EXPECT_EQ(vek::spg_sleep(5), 0);
}

}  // namespace
