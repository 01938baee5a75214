// Test hook: puts the formatter's process-wide state back to its start values.
#pragma once

namespace vek {

// Forgets the formatting buffers (whose memory blocks the memory reset releases).
void vsprintf_testing_reset();

}  // namespace vek
