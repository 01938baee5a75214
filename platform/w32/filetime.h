// FILETIME values and the POSIX times they stand for, in one place for every function of
// the stand-in that reports or sets a file's times.
#pragma once

#include <time.h>

#include "platform/w32/types.h"

namespace w32 {

// The FILETIME of a POSIX time. Times before 1601 give 1601's start; times too late to be
// kept are clamped far inside the range.
FILETIME w32_filetime_from_timespec(const timespec& time);

// The POSIX time of a FILETIME (to the 100 ns step).
timespec w32_timespec_from_filetime(const FILETIME& time);

}  // namespace w32
