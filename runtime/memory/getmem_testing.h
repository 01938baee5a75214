// Test hooks of the memory blocks.
#pragma once

#include "runtime/memory/heap.h"

namespace vek {

// Releases every block still on the chain (and every kept released block) straight to
// the heap, then puts anchors, counters, switches, the released list, leak tracing, the
// heap and the init flag back to their start. The pools are forgotten first.
void getmem_testing_reset();

// Puts a heap underneath the memory blocks (null: the C heap again); returns the one
// that was in place. Blocks must be released through the heap that made them.
GetmemHeap getmem_testing_set_heap(const GetmemHeap* heap);

}  // namespace vek
