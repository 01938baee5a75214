// Test hooks of the signal layer (signals.h).
#pragma once

namespace vek {

// Releases every item of the debug handler stack and forgets the I/O-signal calls, the
// user handler slot and the utility's start. Installed handlers belong to the C runtime
// and the alarm emulation; the tests put those back themselves.
void signals_testing_reset();

}  // namespace vek
