// FILETIME values: POSIX times, the system time, comparison and calendar forms.
#include "platform/w32/filetime.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <string>

#include "platform/w32/error.h"

namespace {

using namespace w32;

FILETIME make(unsigned long long value) {
  return FILETIME{static_cast<DWORD>(value & 0xFFFFFFFFu), static_cast<DWORD>(value >> 32)};
}

unsigned long long value_of(const FILETIME& time) {
  return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

TEST(FileTime, PosixTimesConvertBothWays) {
  struct Case {
    timespec posix;
    unsigned long long filetime;
  } cases[] = {
      {{0, 0}, 116444736000000000ULL},
      {{1, 100}, 116444736010000001ULL},
      {{-11644473600LL, 0}, 0ULL},  // 1601-01-01
      {{-1, 999999900}, 116444735999999999ULL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.filetime);
    FILETIME made = w32_filetime_from_timespec(c.posix);
    EXPECT_EQ((static_cast<unsigned long long>(made.dwHighDateTime) << 32) | made.dwLowDateTime,
              c.filetime);
    timespec back = w32_timespec_from_filetime(made);
    EXPECT_EQ(back.tv_sec, c.posix.tv_sec);
    EXPECT_EQ(back.tv_nsec, c.posix.tv_nsec);
  }
  // Before 1601 is its start.
  FILETIME early = w32_filetime_from_timespec(timespec{-20000000000LL, 0});
  EXPECT_EQ(early.dwLowDateTime | early.dwHighDateTime, 0u);
}

TEST(FileTime, SystemTimeIsNow) {
  timespec before{}, after{};
  clock_gettime(CLOCK_REALTIME, &before);
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  clock_gettime(CLOCK_REALTIME, &after);
  EXPECT_LE(value_of(w32_filetime_from_timespec(before)), value_of(now));
  EXPECT_GE(value_of(w32_filetime_from_timespec(after)), value_of(now));
}

TEST(FileTime, ComparisonUsesBothHalves) {
  struct Case {
    unsigned long long a, b;
    LONG order;
  } cases[] = {
      {5, 5, 0},
      {4, 5, -1},
      {1ULL << 32, 0xFFFFFFFFULL, 1},  // the high half decides
      {0xFFFFFFFFULL, 1ULL << 32, -1},
      {~0ULL, 0, 1},
  };
  for (const Case& c : cases) {
    FILETIME a = make(c.a), b = make(c.b);
    EXPECT_EQ(CompareFileTime(&a, &b), c.order) << c.a << " " << c.b;
  }
}

// Against the C library's calendar for the same instants.
TEST(FileTime, CalendarFormsAgreeWithGmtime) {
  for (long long seconds : {0LL, 951782400LL /* 2000-02-29 */, 4102444799LL, -11644473600LL,
                            -1LL, 253402300799LL /* 9999-12-31 23:59:59 */}) {
    SCOPED_TRACE(seconds);
    timespec at{static_cast<time_t>(seconds), 987654300};
    FILETIME time = w32_filetime_from_timespec(at);
    SYSTEMTIME system{};
    ASSERT_TRUE(FileTimeToSystemTime(&time, &system));
    tm parts{};
    time_t t = static_cast<time_t>(seconds);
    ASSERT_NE(gmtime_r(&t, &parts), nullptr);
    EXPECT_EQ(system.wYear, parts.tm_year + 1900);
    EXPECT_EQ(system.wMonth, parts.tm_mon + 1);
    EXPECT_EQ(system.wDay, parts.tm_mday);
    EXPECT_EQ(system.wDayOfWeek, parts.tm_wday);
    EXPECT_EQ(system.wHour, parts.tm_hour);
    EXPECT_EQ(system.wMinute, parts.tm_min);
    EXPECT_EQ(system.wSecond, parts.tm_sec);
    EXPECT_EQ(system.wMilliseconds, 987);
  }
  FILETIME beyond = make(1ULL << 63);
  SYSTEMTIME system{};
  SetLastError(0);
  EXPECT_FALSE(FileTimeToSystemTime(&beyond, &system));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(FileTimeToSystemTime(nullptr, &system));
}

// The shift is the local zone's offset now; under a fixed zone it is known.
TEST(FileTime, LocalTimeIsShiftedByTheZonesOffset) {
  const char* saved = getenv("TZ");
  std::string kept = saved != nullptr ? saved : "";
  struct Case {
    const char* zone;
    long long shift_seconds;
  } cases[] = {{"UTC0", 0}, {"XST-3", 3 * 3600}, {"YST5", -5 * 3600}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zone);
    setenv("TZ", c.zone, 1);
    tzset();
    FILETIME utc = make(130000000000000000ULL);
    FILETIME local{};
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    EXPECT_EQ(static_cast<long long>(value_of(local) - value_of(utc)), c.shift_seconds * 10000000LL);
  }
  // Before 1601 there is nothing to give.
  setenv("TZ", "YST5", 1);
  tzset();
  FILETIME early = make(1000), local{};
  EXPECT_FALSE(FileTimeToLocalFileTime(&early, &local));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  if (saved != nullptr) {
    setenv("TZ", kept.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

}  // namespace
