// Test hook: puts the pools' process-wide state back to its start values.
#pragma once

namespace vek {

// Forgets every pool and its clumps (the clumps are memory blocks that the memory
// blocks' own reset releases) and resets the debug settings and loop records.
void clump_testing_reset();

}  // namespace vek
