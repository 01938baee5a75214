// Test hook of the versioned file-type registration (ntver.h).
#pragma once

namespace vek {

// The highest registered version is read from the registry again at the next call.
void ntver_testing_reset();

}  // namespace vek
