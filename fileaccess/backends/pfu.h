// Portable file utilities and their small process-level helpers.
#pragma once

namespace vek {

// Raises a signal with a trace on the standard error stream. -1 gives 0 at once;
// otherwise 1 when the signal was raised, 0 when it could not be.
int ctsu_raise_signal(int signal);

}  // namespace vek
