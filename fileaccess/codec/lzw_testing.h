// Test resets of the codec's process-wide state.
#pragma once

namespace vek {

// The output switch back to 0.
void lzw_compress_testing_reset();
// Forgets the spare string stores (their memory goes with the memory reset).
void lzw_uncompress_testing_reset();

}  // namespace vek
