// Test hooks of the shared-library functions.
#pragma once

namespace w32 {

// How many handles are out, each counted once however often it was loaded.
int library_testing_loaded_count();

// Releases every load still out and forgets the calling thread's loader text.
void library_testing_reset();

}  // namespace w32
