// Drives a growable array of ints through a sequence of operations read from the input
// and checks it against std::vector after every step. Every request is kept valid, so
// no operation takes one of the process-ending paths.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "runtime/memory/xar.h"
#include "runtime/memory/xar_layout.h"

namespace {

using Input = FuzzInput;

int compare_ints(const void* a, const void* b, void*) {
  int x = *static_cast<const int*>(a);
  int y = *static_cast<const int*>(b);
  return (x > y) - (x < y);
}

void require(bool condition) {
  if (!condition) std::abort();
}

void check(int* x, const std::vector<int>& model) {
  require(vek::debug_xar_invalid(&x) == 0);
  require(vek::xar_count(&x) == static_cast<int>(model.size()));
  require(std::equal(model.begin(), model.end(), x));
  for (int i = vek::xar_count(&x); i < vek::xar_hdr_capacity(x); ++i) require(x[i] == 0);
}

// The n elements a source at index from inside the array gives.
std::vector<int> taken_from(const std::vector<int>& model, int from, int n) {
  std::vector<int> taken(n, 0);
  for (int i = 0; i < n && from + i < static_cast<int>(model.size()); ++i)
    taken[i] = model[from + i];
  return taken;
}

void step(Input& in, int*& x, std::vector<int>& model) {
  const int count = static_cast<int>(model.size());
  const int n = 1 + in.below16(8);
  switch (in.byte() % 14) {
    case 0: {
      std::vector<int> values(n);
      for (int& v : values) v = in.below16(1000) + 1;
      vek::xar_append(&x, n, values.data());
      model.insert(model.end(), values.begin(), values.end());
      break;
    }
    case 1: {
      if (count == 0) break;
      int from = in.below16(count);
      std::vector<int> taken = taken_from(model, from, n);
      vek::xar_append(&x, n, x + from);
      model.insert(model.end(), taken.begin(), taken.end());
      break;
    }
    case 2: {
      int at = in.below16(count + 1);
      bool inside = count > 0 && in.byte() % 2;
      int from = inside ? in.below16(count) : 0;
      std::vector<int> taken = inside ? taken_from(model, from, n) : std::vector<int>(n, 0);
      vek::xar_insert(&x, at, n, inside ? x + from : nullptr);
      model.insert(model.begin() + at, taken.begin(), taken.end());
      break;
    }
    case 3: {
      int at = in.below16(count + 1);
      int k = in.below16(count - at + 1);
      vek::xar_remove(&x, at, k);
      model.erase(model.begin() + at, model.begin() + at + k);
      break;
    }
    case 4: {
      int k = in.below16(count + 1);
      vek::xar_shrink(&x, k);
      model.resize(count - k);
      break;
    }
    case 5: {
      int target = in.below16(count + 40);
      vek::xar_resize(&x, target);
      model.resize(target, 0);
      break;
    }
    case 6: {
      if (count == 0) break;
      int from = in.below16(count);
      int to = in.below16(count + 1);
      int value = model[from];
      vek::xar_replicate(&x, from, to);
      model.insert(model.begin() + to, value);
      break;
    }
    case 7: {
      if (count == 0) break;
      int from = in.below16(count);
      int to = in.below16(count);
      int value = model[from];
      require(vek::xar_move(&x, from, to) == 0);
      model.erase(model.begin() + from);
      model.insert(model.begin() + to, value);
      break;
    }
    case 8: {
      if (count == 0) break;
      int i = in.below16(count);
      int j = in.below16(count);
      vek::xar_swap(x, i, j);
      std::swap(model[i], model[j]);
      break;
    }
    case 9:
      vek::xar_flip(x);
      std::reverse(model.begin(), model.end());
      break;
    case 10: {
      std::vector<int> copy = model;
      vek::xar_concat(&x, x);
      model.insert(model.end(), copy.begin(), copy.end());
      break;
    }
    case 11: {
      int at = in.below16(count + 1);
      std::vector<int> copy = model;
      vek::xar_inject(&x, x, at);
      model.insert(model.begin() + at, copy.begin(), copy.end());
      break;
    }
    case 12: {
      int value = in.below16(1000);
      vek::xar_append_multi(&x, n, &value);
      model.insert(model.end(), n, value);
      break;
    }
    case 13: {
      int value = in.below16(50);
      int position = 0;
      bool sorted = std::is_sorted(model.begin(), model.end());
      if (!sorted) {
        vek::xar_sort(&x, [](const void* a, const void* b) {
          return compare_ints(a, b, nullptr);
        });
        std::sort(model.begin(), model.end());
      }
      int duplicates = in.byte() % 2;
      int inserted = vek::xar_sorted_insert(&x, compare_ints, &value, nullptr, duplicates,
                                            &position);
      auto at = std::lower_bound(model.begin(), model.end(), value);
      bool present = at != model.end() && *at == value;
      require(inserted == (present && !duplicates ? 0 : 1));
      if (inserted) {
        model.insert(model.begin() + position, value);
      } else {
        require(model[position] == value);
      }
      break;
    }
  }
  // Keep the array small enough for quick runs.
  if (model.size() > 2000) {
    vek::xar_shrink(&x, static_cast<int>(model.size()) - 100);
    model.resize(100);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in{data, size};
  int* x = static_cast<int*>(vek::xar_alloc(0, sizeof(int), 1 + in.below16(20)));
  std::vector<int> model;
  while (!in.done()) {
    step(in, x, model);
    check(x, model);
  }
  vek::xar_free(&x);
  return 0;
}
