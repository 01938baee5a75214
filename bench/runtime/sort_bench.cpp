// sort_pointers against std::sort and qsort, all calling one out-of-line comparator.
//
// Items are pointers to int keys. Each timed round copies the unsorted items and sorts
// the copy; the copy is the same for the three sorts. All three reach the comparator by
// an indirect call through a pointer the compiler cannot see through: std::sort would
// otherwise get a direct call, whose callee's register use the compiler knows.
//
// The three sorts of one input are registered next to each other, so that they run
// close together in time and a change of machine load skews their ratio less.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <random>
#include <vector>

#include "runtime/algo/sort.h"

namespace {

__attribute__((noinline)) int compare_keys(const void* a, const void* b) {
  const int x = *static_cast<const int*>(a);
  const int y = *static_cast<const int*>(b);
  return (x > y) - (x < y);
}

// qsort hands over the addresses of the items; the wrapper calls the comparator through
// the same pointer as the other two sorts.
VekCompare g_compare_keys = nullptr;
int compare_item_slots(const void* a, const void* b) {
  return g_compare_keys(*static_cast<void* const*>(a), *static_cast<void* const*>(b));
}

enum Pattern { kRandom, kSorted, kReversed, kOrganPipe, kFewDistinct };

std::vector<int> make_keys(int pattern, int n) {
  std::vector<int> keys(static_cast<size_t>(n));
  std::mt19937 rng(12345);
  for (int i = 0; i < n; i++) {
    int key = 0;
    switch (pattern) {
      case kRandom:
        key = static_cast<int>(rng());
        break;
      case kSorted:
        key = i;
        break;
      case kReversed:
        key = n - i;
        break;
      case kOrganPipe:
        key = i < n / 2 ? i : n - i;
        break;
      case kFewDistinct:
        key = static_cast<int>(rng() % 8);
        break;
    }
    keys[static_cast<size_t>(i)] = key;
  }
  return keys;
}

const char* const kPatternNames[] = {"random", "sorted", "reversed", "organ-pipe", "few-distinct"};

enum Algorithm { kSortPointers, kStdSort, kQsort };

template <Algorithm kAlgorithm>
void BM_Sort(benchmark::State& state) {
  const int pattern = static_cast<int>(state.range(0));
  const int n = static_cast<int>(state.range(1));
  std::vector<int> keys = make_keys(pattern, n);
  std::vector<void*> original;
  for (int& k : keys) original.push_back(&k);
  std::vector<void*> items(original.size());
  VekCompare compare = compare_keys;
  benchmark::DoNotOptimize(compare);
  g_compare_keys = compare;
  for (auto _ : state) {
    std::copy(original.begin(), original.end(), items.begin());
    if constexpr (kAlgorithm == kSortPointers) {
      vek::sort_pointers(n, compare, items.data());
    } else if constexpr (kAlgorithm == kStdSort) {
      std::sort(items.begin(), items.end(),
                [compare](const void* a, const void* b) { return compare(a, b) < 0; });
    } else {
      std::qsort(items.data(), items.size(), sizeof(void*), compare_item_slots);
    }
    benchmark::DoNotOptimize(items.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * n);
  state.SetLabel(kPatternNames[pattern]);
}

struct SortBenchmark {
  const char* name;
  void (*run)(benchmark::State&);
};

const SortBenchmark kSortBenchmarks[] = {
    {"BM_Sort<kSortPointers>", BM_Sort<kSortPointers>},
    {"BM_Sort<kStdSort>", BM_Sort<kStdSort>},
    {"BM_Sort<kQsort>", BM_Sort<kQsort>},
};

bool register_sort_benchmarks() {
  for (int pattern = kRandom; pattern <= kFewDistinct; pattern++) {
    for (int n = 10; n <= 1000000; n *= 10) {
      for (const SortBenchmark& b : kSortBenchmarks) {
        benchmark::RegisterBenchmark(b.name, b.run)->ArgNames({"pattern", "n"})->Args({pattern, n});
      }
    }
  }
  return true;
}

const bool kSortBenchmarksRegistered = register_sort_benchmarks();

}  // namespace
