// The process heap under the memory blocks, as one table of functions so that tests can
// put a heap of their own underneath (getmem_testing.h).
#pragma once

#include <cstddef>

namespace vek {

struct GetmemHeap {
  void* (*alloc)(std::size_t size);
  void* (*resize)(void* block, std::size_t size);
  void (*release)(void* block);
  // Bytes the heap block really holds (at least what was asked for).
  std::size_t (*usable_size)(void* block);
  // Blocks larger than this are resized by the heap in place (it can do so without
  // copying); 0 when the heap has no such threshold, which allows in-place always.
  std::size_t small_block_threshold;
};

// The C heap, with glibc's default mmap threshold: larger blocks are mapped pages
// that the heap can grow or shrink without copying.
extern const GetmemHeap getmem_c_heap;

}  // namespace vek
