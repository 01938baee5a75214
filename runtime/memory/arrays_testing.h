// Test hook: puts the module's process-wide state back to its start values.
#pragma once

namespace vek {

// Forgets the intersection buffer (its block goes with the memory chain's reset) and the
// compare function of a sort that never returned.
void arrays_testing_reset();

}  // namespace vek
