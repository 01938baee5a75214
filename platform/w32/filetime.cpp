#include "platform/w32/filetime.h"

namespace w32 {

namespace {

// 100-ns steps from 1601-01-01 to the POSIX epoch.
constexpr long long kEpochOffset = 116444736000000000LL;
constexpr long long kStepsPerSecond = 10000000LL;

}  // namespace

FILETIME w32_filetime_from_timespec(const timespec& time) {
  constexpr long long kLatest = 900000000000LL;  // seconds, far inside the range
  long long seconds = time.tv_sec;
  if (seconds < -kEpochOffset / kStepsPerSecond) return FILETIME{0, 0};
  if (seconds > kLatest) seconds = kLatest;
  unsigned long long value =
      static_cast<unsigned long long>(kEpochOffset + seconds * kStepsPerSecond + time.tv_nsec / 100);
  return FILETIME{static_cast<DWORD>(value & 0xFFFFFFFFu), static_cast<DWORD>(value >> 32)};
}

timespec w32_timespec_from_filetime(const FILETIME& time) {
  unsigned long long value =
      (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
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

}  // namespace w32
