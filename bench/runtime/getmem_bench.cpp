// Memory blocks against the C heap: allocate-and-release pairs of one size, and a mixed
// pattern that keeps many blocks alive. getmem zeroes what it hands out and keeps the
// chain; the malloc figures are the bare heap underneath.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "runtime/memory/getmem.h"

namespace {

void BM_getmem_rlsmem(benchmark::State& state) {
  const std::size_t size = static_cast<std::size_t>(state.range(0));
  void* resident = vek::getmem(64);  // the chain is not empty in real use
  for (auto _ : state) {
    void* p = vek::getmem(size);
    benchmark::DoNotOptimize(p);
    vek::rlsmem(p);
  }
  vek::rlsmem(resident);
}
BENCHMARK(BM_getmem_rlsmem)->Arg(16)->Arg(256)->Arg(4096);

void BM_malloc_free(benchmark::State& state) {
  const std::size_t size = static_cast<std::size_t>(state.range(0));
  for (auto _ : state) {
    void* p = std::malloc(size);
    benchmark::DoNotOptimize(p);
    std::free(p);
  }
}
BENCHMARK(BM_malloc_free)->Arg(16)->Arg(256)->Arg(4096);

// The same bytes zeroed, as getmem hands them out.
void BM_calloc_free(benchmark::State& state) {
  const std::size_t size = static_cast<std::size_t>(state.range(0));
  for (auto _ : state) {
    void* p = std::calloc(1, size);
    benchmark::DoNotOptimize(p);
    std::free(p);
  }
}
BENCHMARK(BM_calloc_free)->Arg(16)->Arg(256)->Arg(4096);

// state.range(0) live blocks; each step releases a random one and allocates a block of
// a random size from 8 to 2048 bytes in its place.
struct MixedPattern {
  std::vector<std::size_t> sizes;
  std::vector<std::size_t> slots;
  explicit MixedPattern(std::size_t live) {
    std::mt19937 random(116);
    for (int i = 0; i < 4096; ++i) {
      sizes.push_back(8 + random() % 2041);
      slots.push_back(random() % live);
    }
  }
};

template <void* (*Alloc)(std::size_t), void (*Release)(void*)>
void mixed(benchmark::State& state) {
  const std::size_t live = static_cast<std::size_t>(state.range(0));
  const MixedPattern pattern(live);
  std::vector<void*> blocks(live);
  for (std::size_t i = 0; i < live; ++i) blocks[i] = Alloc(pattern.sizes[i % 4096]);
  std::size_t step = 0;
  for (auto _ : state) {
    const std::size_t k = step++ & 4095;
    void*& slot = blocks[pattern.slots[k]];
    Release(slot);
    slot = Alloc(pattern.sizes[k]);
    benchmark::DoNotOptimize(slot);
  }
  for (void* p : blocks) Release(p);
}

void release_block(void* p) { vek::rlsmem(p); }

void BM_getmem_mixed(benchmark::State& state) { mixed<vek::getmem, release_block>(state); }
BENCHMARK(BM_getmem_mixed)->Arg(1000)->Arg(100000);

void BM_malloc_mixed(benchmark::State& state) { mixed<std::malloc, std::free>(state); }
BENCHMARK(BM_malloc_mixed)->Arg(1000)->Arg(100000);

}  // namespace
