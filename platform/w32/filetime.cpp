#include "platform/w32/filetime.h"

#include "platform/w32/clock.h"
#include "platform/w32/error.h"
#include "platform/w32/fault.h"

namespace w32 {

namespace {

// 100-ns steps from 1601-01-01 to the POSIX epoch.
constexpr long long kEpochOffset = 116444736000000000LL;
constexpr long long kStepsPerSecond = 10000000LL;

unsigned long long value_of(const FILETIME& time) {
  return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

BOOL fail(DWORD code) {
  SetLastError(code);
  return FALSE;
}

}  // namespace

FILETIME w32_filetime_from_timespec(const timespec& time) {
  constexpr long long kLatest = 900000000000LL;  // seconds, far inside the range
  long long seconds = time.tv_sec;
  if (seconds < -kEpochOffset / kStepsPerSecond) return FILETIME{0, 0};
  if (seconds > kLatest) seconds = kLatest;
  return w32_filetime_of_steps(
      static_cast<unsigned long long>(kEpochOffset + seconds * kStepsPerSecond + time.tv_nsec / 100));
}

timespec w32_timespec_from_filetime(const FILETIME& time) {
  unsigned long long value = value_of(time);
  // Values past the signed range lie tens of thousands of years ahead: clamped.
  constexpr unsigned long long kMost = 0x7FFFFFFFFFFFFFFFULL;
  long long since_epoch = static_cast<long long>(value > kMost ? kMost : value) - kEpochOffset;
  long long seconds = since_epoch / kStepsPerSecond;
  long long rest = since_epoch % kStepsPerSecond;
  if (rest < 0) {
    rest += kStepsPerSecond;
    --seconds;
  }
  timespec result{};
  result.tv_sec = static_cast<time_t>(seconds);
  result.tv_nsec = static_cast<long>(rest * 100);
  return result;
}

void GetSystemTimeAsFileTime(FILETIME* time) {
  if (w32_fault_hit("GetSystemTimeAsFileTime") || time == nullptr) return;
  *time = w32_filetime_from_timespec(w32_clock_wall());
}

LONG CompareFileTime(const FILETIME* first, const FILETIME* second) {
  unsigned long long a = value_of(*first);
  unsigned long long b = value_of(*second);
  return a < b ? -1 : a > b ? 1 : 0;
}

BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) {
  if (utc == nullptr || local == nullptr) return fail(ERROR_INVALID_PARAMETER);
  time_t now = ::time(nullptr);
  tm parts{};
  if (localtime_r(&now, &parts) == nullptr) return fail(ERROR_INVALID_PARAMETER);
  long long shift = static_cast<long long>(parts.tm_gmtoff) * kStepsPerSecond;
  unsigned long long value = value_of(*utc);
  if (shift < 0 && value < static_cast<unsigned long long>(-shift)) return fail(ERROR_INVALID_PARAMETER);
  unsigned long long shifted = value + static_cast<unsigned long long>(shift);
  if (shift > 0 && shifted < value) return fail(ERROR_INVALID_PARAMETER);
  *local = w32_filetime_of_steps(shifted);
  return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* time, SYSTEMTIME* system) {
  if (time == nullptr || system == nullptr) return fail(ERROR_INVALID_PARAMETER);
  unsigned long long value = value_of(*time);
  if ((value >> 63) != 0) return fail(ERROR_INVALID_PARAMETER);
  timespec at = w32_timespec_from_filetime(*time);
  tm parts{};
  if (gmtime_r(&at.tv_sec, &parts) == nullptr) return fail(ERROR_INVALID_PARAMETER);
  system->wYear = static_cast<WORD>(parts.tm_year + 1900);
  system->wMonth = static_cast<WORD>(parts.tm_mon + 1);
  system->wDayOfWeek = static_cast<WORD>(parts.tm_wday);
  system->wDay = static_cast<WORD>(parts.tm_mday);
  system->wHour = static_cast<WORD>(parts.tm_hour);
  system->wMinute = static_cast<WORD>(parts.tm_min);
  system->wSecond = static_cast<WORD>(parts.tm_sec);
  system->wMilliseconds = static_cast<WORD>(at.tv_nsec / 1000000);
  return TRUE;
}

}  // namespace w32
