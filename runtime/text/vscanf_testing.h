// Test hook: puts the scanner's process-wide state back to its start values.
#pragma once

namespace vek {

// Forgets the narrow copy of vyn_wsscanf's text (whose memory block the memory reset
// releases).
void vscanf_testing_reset();

}  // namespace vek
