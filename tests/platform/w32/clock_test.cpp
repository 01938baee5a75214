// The layer's clock: the test's clock, the real one at a few lower bounds, the Win32
// time calls and cancellable waits.
#include "platform/w32/clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/w32/clock_testing.h"
#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"
#include "platform/w32/process.h"
#include "tests/platform/w32/w32_test_support.h"
#include "tests/support/bounded_wait.h"

namespace {

using namespace w32;

using ClockTest = yrltest::W32Test;

std::uint64_t value(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Waits (in real time, within a bound) until some thread waits on the clock.
bool until_waiting() {
  return yrltest::wait_until([] { return clock_testing_waiting() > 0; });
}

TEST_F(ClockTest, TestClockDrivesSystemTimeTickCountAndSleep) {
  // 2001-09-09 01:46:40.250 UTC, a Sunday.
  clock_testing_start(1000000000250LL);
  SYSTEMTIME time = {};
  GetSystemTime(&time);
  EXPECT_EQ(time.wYear, 2001);
  EXPECT_EQ(time.wMonth, 9);
  EXPECT_EQ(time.wDay, 9);
  EXPECT_EQ(time.wDayOfWeek, 0);
  EXPECT_EQ(time.wHour, 1);
  EXPECT_EQ(time.wMinute, 46);
  EXPECT_EQ(time.wSecond, 40);
  EXPECT_EQ(time.wMilliseconds, 250);
  FILETIME file_time = {};
  GetSystemTimeAsFileTime(&file_time);
  EXPECT_EQ(value(file_time), 116444736000000000ULL + 1000000000250ULL * 10000);
  EXPECT_EQ(GetTickCount(), 0u);
  // Sleep moves the test's clock without waiting, a day at a time.
  Sleep(86400000);
  EXPECT_EQ(GetTickCount(), 86400000u);
  GetSystemTime(&time);
  EXPECT_EQ(time.wDay, 10);
  EXPECT_EQ(time.wDayOfWeek, 1);
  clock_testing_advance(4294967296LL - 86400000 + 5);  // the tick count wraps
  EXPECT_EQ(GetTickCount(), 5u);
}

TEST_F(ClockTest, RealClockPassesAtLeastTheTimeSlept) {
  DWORD before = GetTickCount();
  std::int64_t monotonic = w32_clock_monotonic_ms();
  Sleep(20);
  EXPECT_GE(w32_clock_monotonic_ms() - monotonic, 20);
  EXPECT_GE(static_cast<DWORD>(GetTickCount() - before), 19u);  // tick rounding
  FILETIME now = {};
  GetSystemTimeAsFileTime(&now);
  EXPECT_GT(value(now), 116444736000000000ULL + 1700000000ULL * 10000000);
}

TEST_F(ClockTest, ProcessTimesOfTheOwnProcessOnly) {
  FILETIME creation, exit, kernel, user;
  ASSERT_TRUE(GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user));
  FILETIME now = {};
  GetSystemTimeAsFileTime(&now);
  EXPECT_LE(value(creation), value(now));
  EXPECT_GT(value(creation), value(now) - 36000000000ULL * 24);  // started within a day
  EXPECT_EQ(value(exit), 0u);
  clock_testing_start(5000);
  clock_testing_set_process_times(1500, 250);
  ASSERT_TRUE(GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user));
  EXPECT_EQ(value(user), 15000000u);
  EXPECT_EQ(value(kernel), 2500000u);
  EXPECT_EQ(value(creation), 116444736000000000ULL + 50000000);
  EXPECT_FALSE(GetProcessTimes(nullptr, &creation, &exit, &kernel, &user));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(GetProcessTimes(GetCurrentProcess(), nullptr, &exit, &kernel, &user));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  ASSERT_TRUE(fault_testing_fail_on_call("GetProcessTimes", 1, ERROR_ACCESS_DENIED));
  EXPECT_FALSE(GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_F(ClockTest, WaitEndsWhenTheTestClockPassesItsDeadline) {
  clock_testing_start(0);
  bool cancelled = false;
  std::atomic<int> result{-1};
  std::thread waiter([&] { result = w32_clock_wait(1000, &cancelled); });
  EXPECT_TRUE(until_waiting());
  clock_testing_advance(999);
  EXPECT_EQ(result.load(), -1);  // not due: still waiting
  clock_testing_advance(1);
  waiter.join();
  EXPECT_EQ(result.load(), TRUE);
}

TEST_F(ClockTest, CancelledWaitEndsAtOnceOnEitherClock) {
  for (bool test_clock : {true, false}) {
    SCOPED_TRACE(test_clock);
    if (test_clock) clock_testing_start(0);
    bool cancelled = false;
    std::atomic<int> result{-1};
    std::thread waiter([&] { result = w32_clock_wait(INFINITE, &cancelled); });
    EXPECT_TRUE(until_waiting());
    w32_clock_cancel_wait(&cancelled);
    waiter.join();
    EXPECT_EQ(result.load(), FALSE);
    // A wait cancelled before it began does not wait.
    EXPECT_FALSE(w32_clock_wait(INFINITE, &cancelled));
    clock_testing_reset();
  }
}

TEST_F(ClockTest, FaultsOnTimeCalls) {
  SYSTEMTIME time = {1, 2, 3, 4, 5, 6, 7, 8};
  ASSERT_TRUE(fault_testing_fail_on_call("GetSystemTime", 1, ERROR_GEN_FAILURE));
  GetSystemTime(&time);
  EXPECT_EQ(time.wYear, 1);  // untouched
  ASSERT_TRUE(fault_testing_fail_on_call("Sleep", 1, ERROR_GEN_FAILURE));
  ASSERT_TRUE(fault_testing_fail_on_call("GetTickCount", 1, ERROR_GEN_FAILURE));
  clock_testing_start(0);
  Sleep(10);
  EXPECT_EQ(GetTickCount(), 10u);  // cannot fail: counted only
  EXPECT_EQ(fault_testing_armed(), 0);
}

}  // namespace
