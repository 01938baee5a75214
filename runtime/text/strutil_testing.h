// Test support: puts the string utilities' process-wide state back to its start values.
#pragma once

namespace vek {

// Empties the wildcard set, disables generic parts and clears the freeze value.
void strutil_testing_reset();

}  // namespace vek
