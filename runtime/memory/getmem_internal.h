// State that the memory-block sources share among themselves.
#pragma once

namespace vek {

// Leak tracing: 0 off, 1 marking allocations, 2 marking with a file of indices to watch.
extern int memory_file_level;

void memdebug_testing_reset();
void memusage_testing_reset();

}  // namespace vek
