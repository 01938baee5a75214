// Test hook of the directory scan (pfascan.h).
#pragma once

namespace vek {

// Forgets the previous scan's results and the pool (both released by the memory reset).
void pfascan_testing_reset();

}  // namespace vek
