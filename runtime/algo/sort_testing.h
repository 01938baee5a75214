// Test hook: puts the module's process-wide state back to its start values.
#pragma once

namespace vek {

void sort_testing_reset();

}  // namespace vek
