// The red-black tree against std::set with the same out-of-line comparator, and the
// plain queue against std::priority_queue with a function-pointer comparator.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <queue>
#include <random>
#include <set>
#include <vector>

#include "runtime/memory/pqueue.h"

namespace {

// Kept out of line in both, so neither side gets an inlined compare.
__attribute__((noinline)) int compare_keys(const void* a, const void* b) {
  auto x = reinterpret_cast<std::intptr_t>(a);
  auto y = reinterpret_cast<std::intptr_t>(b);
  return (x > y) - (x < y);
}

struct KeyLess {
  bool operator()(const void* a, const void* b) const { return compare_keys(a, b) < 0; }
};

std::vector<void*> random_keys(std::size_t n) {
  std::mt19937_64 random(42);
  std::vector<void*> keys(n);
  for (auto& k : keys) k = reinterpret_cast<void*>(static_cast<std::intptr_t>(random() >> 2));
  return keys;
}

// One iteration: insert every key, look each up, delete each.
void BM_rbtree(benchmark::State& state) {
  auto keys = random_keys(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    vek::Btree* tree = vek::new_rbtree(0);
    for (void* k : keys) vek::insert_data_into_rbtree(tree, k, compare_keys);
    for (void* k : keys) benchmark::DoNotOptimize(vek::btree_lookup(tree, k, compare_keys));
    for (void* k : keys) vek::rbtree_delete_node_with_data(tree, k, compare_keys);
    vek::release_rbtree(tree);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_rbtree)->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond);

void BM_std_set(benchmark::State& state) {
  auto keys = random_keys(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    std::set<void*, KeyLess> tree;
    for (void* k : keys) tree.insert(k);
    for (void* k : keys) benchmark::DoNotOptimize(tree.find(k));
    for (void* k : keys) tree.erase(k);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_std_set)->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond);

__attribute__((noinline)) int compare_words(VynWord, VynWord a, VynWord b) {
  return (a > b) - (a < b);
}
__attribute__((noinline)) bool greater_words(VynWord a, VynWord b) {
  return compare_words(0, a, b) > 0;
}

// Push n random items, then pop them all. The items live in one xarray, whose byte limit
// holds about 260,000 words: the queue sizes stop below it.
void BM_pqueue(benchmark::State& state) {
  auto keys = random_keys(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    vek::Pqueue* queue = vek::pqueue_alloc(compare_words, 0, 16, 0);
    for (void* k : keys) vek::pqueue_push(queue, reinterpret_cast<VynWord>(k));
    while (!vek::pqueue_is_empty(queue)) benchmark::DoNotOptimize(vek::pqueue_pop(queue));
    vek::pqueue_free(&queue);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_pqueue)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

void BM_std_priority_queue(benchmark::State& state) {
  auto keys = random_keys(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    std::priority_queue<VynWord, std::vector<VynWord>, bool (*)(VynWord, VynWord)> queue(
        greater_words);
    for (void* k : keys) queue.push(reinterpret_cast<VynWord>(k));
    while (!queue.empty()) {
      benchmark::DoNotOptimize(queue.top());
      queue.pop();
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_std_priority_queue)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
