// FILETIME values and the POSIX times they stand for, in one place for every function of
// the stand-in that reports or sets a file's times; the system time and the conversions
// of FILETIME values.
#pragma once

#include <time.h>

#include "platform/w32/types.h"

namespace w32 {

// The FILETIME of a POSIX time. Times before 1601 give 1601's start; times too late to be
// kept are clamped far inside the range.
FILETIME w32_filetime_from_timespec(const timespec& time);

// The FILETIME of a count of 100 ns steps (a time since 1601, or a duration).
inline FILETIME w32_filetime_of_steps(unsigned long long steps) {
  return FILETIME{static_cast<DWORD>(steps & 0xFFFFFFFFu), static_cast<DWORD>(steps >> 32)};
}

// The POSIX time of a FILETIME (to the 100 ns step).
timespec w32_timespec_from_filetime(const FILETIME& time);

// A calendar time, as FileTimeToSystemTime gives it (Sunday is day 0).
struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};
static_assert(sizeof(SYSTEMTIME) == 16);

// The current time, UTC, on the layer's clock (clock.h); consults the fault facility
// (fault.h) under its name. A null result is ignored.
void GetSystemTimeAsFileTime(FILETIME* time);

// -1, 0 or 1 as first is earlier than, equal to or later than second.
LONG CompareFileTime(const FILETIME* first, const FILETIME* second);

// The UTC time utc in local time, shifted by the offset from UTC that the local zone has
// now (as Win32 does: the offset of the day of the call, not of the time converted).
// FALSE with ERROR_INVALID_PARAMETER for null pointers or a result outside the range.
BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local);

// The calendar form of time (no zone is applied). FALSE with ERROR_INVALID_PARAMETER for
// null pointers or a value with its top bit set (beyond year 30827).
BOOL FileTimeToSystemTime(const FILETIME* time, SYSTEMTIME* system);

}  // namespace w32
