// Pool objects against the C heap: a get-and-release pair of one size from a named
// pool, and malloc + memset + free of the same size (pool objects come zeroed).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>

#include "runtime/memory/clump.h"
#include "runtime/memory/getmem.h"

namespace {

void BM_getmem_pool_rlsmem(benchmark::State& state) {
  const std::size_t size = static_cast<std::size_t>(state.range(0));
  const int id = vek::create_mem_pool("bench", size);
  void* resident = vek::getmem_pool(id);  // keeps the clump
  for (auto _ : state) {
    void* p = vek::getmem_pool(id);
    benchmark::DoNotOptimize(p);
    vek::rlsmem(p);
  }
  vek::rlsmem(resident);
  vek::free_all_pool(id);
}
BENCHMARK(BM_getmem_pool_rlsmem)->Arg(24)->Arg(64)->Arg(256);

void BM_malloc_memset_free(benchmark::State& state) {
  const std::size_t size = static_cast<std::size_t>(state.range(0));
  for (auto _ : state) {
    void* p = std::malloc(size);
    std::memset(p, 0, size);
    benchmark::DoNotOptimize(p);
    std::free(p);
  }
}
BENCHMARK(BM_malloc_memset_free)->Arg(24)->Arg(64)->Arg(256);

}  // namespace
