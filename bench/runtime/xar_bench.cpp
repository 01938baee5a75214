// Appending one int at a time: growable arrays against std::vector.
#include <benchmark/benchmark.h>

#include <vector>

#include "runtime/memory/xar.h"

namespace {

void BM_XarAppendOneInt(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    int* x = static_cast<int*>(vek::xar_alloc(0, sizeof(int), 10));
    for (int i = 0; i < n; ++i) vek::xar_append(&x, 1, &i);
    benchmark::DoNotOptimize(x);
    vek::xar_free(&x);
  }
  state.SetItemsProcessed(state.iterations() * n);
}

void BM_VectorPushBackOneInt(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    std::vector<int> v;
    for (int i = 0; i < n; ++i) v.push_back(i);
    benchmark::DoNotOptimize(v.data());
  }
  state.SetItemsProcessed(state.iterations() * n);
}

// A growable array holds at most XAR_MAX_BYTES of elements: 511,996 ints, so that is
// its last point; the vector also runs to a million.
void item_counts(benchmark::internal::Benchmark* bench, bool million) {
  for (int n = 10; n <= 100000; n *= 10) bench->Arg(n);
  bench->Arg(vek::XAR_MAX_BYTES / static_cast<int>(sizeof(int)));
  if (million) bench->Arg(1000000);
}

BENCHMARK(BM_XarAppendOneInt)->Apply([](benchmark::internal::Benchmark* b) {
  item_counts(b, false);
});
BENCHMARK(BM_VectorPushBackOneInt)->Apply([](benchmark::internal::Benchmark* b) {
  item_counts(b, true);
});

}  // namespace
