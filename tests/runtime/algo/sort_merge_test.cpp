// Merges of sorted lists against std::set_union, and the tolerance merge of doubles.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "runtime/algo/sort.h"
#include "runtime/memory/har.h"
#include "runtime/memory/xar.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "tests/support/serious_reports.h"

namespace {

int cmp_int(const void* a, const void* b) {
  const int x = *static_cast<const int*>(a);
  const int y = *static_cast<const int*>(b);
  return (x > y) - (x < y);
}

int cmp_int_data(const void* a, const void* b, void* data) {
  ++*static_cast<int*>(data);
  return cmp_int(a, b);
}

// Two sorted lists of distinct keys that overlap in part.
void make_lists(unsigned seed, int na, int nb, std::vector<int>* a, std::vector<int>* b) {
  std::mt19937 rng(seed);
  std::vector<int> pool(static_cast<size_t>(2 * (na + nb) + 1));
  for (size_t i = 0; i < pool.size(); i++) pool[i] = static_cast<int>(i);
  std::shuffle(pool.begin(), pool.end(), rng);
  a->assign(pool.begin(), pool.begin() + na);
  // B: half new keys, half keys of A.
  b->clear();
  for (int i = 0; i < nb; i++) {
    b->push_back(i % 2 == 0 || na == 0 ? pool[static_cast<size_t>(na + i)]
                                       : (*a)[static_cast<size_t>(i) % static_cast<size_t>(na)]);
  }
  std::sort(a->begin(), a->end());
  std::sort(b->begin(), b->end());
  b->erase(std::unique(b->begin(), b->end()), b->end());
}

std::vector<int> set_union_of(const std::vector<int>& a, const std::vector<int>& b) {
  std::vector<int> u;
  std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(u));
  return u;
}

// Checks a merge of a and b given as element addresses and answers: the keys of the
// union, equal keys taken from A, each r saying which side the entry came from.
void expect_merge(const std::vector<int>& a, const std::vector<int>& b,
                  const std::vector<const void*>& out, const std::vector<int>& results) {
  const std::vector<int> u = set_union_of(a, b);
  ASSERT_EQ(out.size(), u.size());
  for (size_t k = 0; k < u.size(); k++) {
    const int* e = static_cast<const int*>(out[k]);
    ASSERT_EQ(*e, u[k]);
    const bool from_a = e >= a.data() && e < a.data() + a.size();
    const bool in_a = std::binary_search(a.begin(), a.end(), u[k]);
    const bool in_b = std::binary_search(b.begin(), b.end(), u[k]);
    ASSERT_EQ(from_a, in_a);
    if (!results.empty()) {
      ASSERT_EQ(results[k], in_a && in_b ? 0 : (in_a ? -1 : 1));
    }
  }
}

class SortMergeTest : public yrltest::RuntimeTest {};

TEST_F(SortMergeTest, MergeSortedArraysExample) {
  const int a[] = {1, 3};
  const int b[] = {3, 4};
  const void* out[4] = {};
  int results[4] = {};
  int count = -1;
  int calls = 0;
  vek::merge_sorted_arrays(sizeof(int), a, 2, b, 2, cmp_int_data, &calls, out, results, &count);
  ASSERT_EQ(count, 3);
  EXPECT_EQ(out[0], &a[0]);
  EXPECT_EQ(out[1], &a[1]);  // the 3 of A
  EXPECT_EQ(out[2], &b[1]);
  EXPECT_EQ(std::vector<int>(results, results + 3), (std::vector<int>{-1, 0, 1}));
  EXPECT_EQ(calls, 2);  // B's 4 goes out without a call
}

TEST_F(SortMergeTest, MergeSortedArraysMatchesSetUnion) {
  const int sizes[][2] = {{0, 0}, {0, 5}, {5, 0}, {1, 1}, {30, 7}, {500, 800}};
  for (const auto& s : sizes) {
    SCOPED_TRACE(std::to_string(s[0]) + "+" + std::to_string(s[1]));
    std::vector<int> a;
    std::vector<int> b;
    make_lists(static_cast<unsigned>(s[0] * 7 + s[1]), s[0], s[1], &a, &b);
    std::vector<const void*> out(a.size() + b.size());
    std::vector<int> results(a.size() + b.size());
    int count = -1;
    int calls = 0;
    vek::merge_sorted_arrays(sizeof(int), a.data(), static_cast<int>(a.size()), b.data(),
                             static_cast<int>(b.size()), cmp_int_data, &calls, out.data(),
                             results.data(), &count);
    out.resize(static_cast<size_t>(count));
    results.resize(static_cast<size_t>(count));
    expect_merge(a, b, out, results);
    // Without a result list.
    vek::merge_sorted_arrays(sizeof(int), a.data(), static_cast<int>(a.size()), b.data(),
                             static_cast<int>(b.size()), cmp_int_data, &calls, out.data(), nullptr,
                             &count);
    out.resize(static_cast<size_t>(count));
    expect_merge(a, b, out, {});
  }
}

// The pointer forms give each chosen element's first pointer-sized word.
TEST_F(SortMergeTest, MergeSortedPointerArrays) {
  struct Tagged {
    void* tag;
    int key;
  };
  std::vector<int> ka;
  std::vector<int> kb;
  make_lists(3, 40, 30, &ka, &kb);
  std::vector<Tagged> a;
  std::vector<Tagged> b;
  for (int k : ka)
    a.push_back(Tagged{reinterpret_cast<void*>(static_cast<std::intptr_t>(1000 + k)), k});
  for (int k : kb)
    b.push_back(Tagged{reinterpret_cast<void*>(static_cast<std::intptr_t>(5000 + k)), k});
  auto by_key = [](const void* x, const void* y) {
    const int p = static_cast<const Tagged*>(x)->key;
    const int q = static_cast<const Tagged*>(y)->key;
    return (p > q) - (p < q);
  };
  std::vector<void*> out(a.size() + b.size());
  int count = 0;
  vek::merge_sorted_pointer_arrays(sizeof(Tagged), a.data(), static_cast<int>(a.size()), b.data(),
                                   static_cast<int>(b.size()), by_key, out.data(), &count);
  const std::vector<int> u = set_union_of(ka, kb);
  ASSERT_EQ(count, static_cast<int>(u.size()));
  for (size_t k = 0; k < u.size(); k++) {
    const bool in_a = std::binary_search(ka.begin(), ka.end(), u[k]);
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(out[k]), (in_a ? 1000 : 5000) + u[k]);
  }

  // Elements smaller than a pointer give their bytes, the rest zero.
  const int ia[] = {1, 3};
  const int ib[] = {2};
  void* words[3];
  vek::merge_sorted_pointer_arrays(sizeof(int), ia, 2, ib, 1, cmp_int, words, &count);
  ASSERT_EQ(count, 3);
  EXPECT_EQ(reinterpret_cast<std::intptr_t>(words[1]), 2);
}

// An xarray of ints with the given keys.
void* int_xarray(const std::vector<int>& v, int step = 1) {
  void* x = vek::xar_alloc(static_cast<int>(v.size()), sizeof(int), step);
  if (!v.empty()) std::memcpy(x, v.data(), v.size() * sizeof(int));
  return x;
}

std::vector<int> ints_of(void* x) {
  const int* p = static_cast<const int*>(x);
  return std::vector<int>(p, p + vek::xar_count(&x));
}

TEST_F(SortMergeTest, MergeSortedXarrays) {
  std::vector<int> ka;
  std::vector<int> kb;
  make_lists(8, 60, 45, &ka, &kb);
  void* a = int_xarray(ka, 3);
  void* b = int_xarray(kb, 7);
  void* out = nullptr;
  void* results = nullptr;
  int calls = 0;
  const int n = vek::merge_sorted_xarrays(a, b, cmp_int_data, &calls, &out, &results);
  ASSERT_EQ(vek::xar_count(&out), n);
  ASSERT_EQ(vek::xar_count(&results), n);
  int size = 0;
  int step = 0;
  vek::xar_params(&out, &size, &step, nullptr, nullptr);
  EXPECT_EQ(size, static_cast<int>(sizeof(void*)));
  EXPECT_EQ(step, 7);
  const void* const* o = static_cast<const void* const*>(out);
  const std::vector<int> r = ints_of(results);
  const int* pa = static_cast<const int*>(a);
  const int* pb = static_cast<const int*>(b);
  const std::vector<int> u = set_union_of(ka, kb);
  ASSERT_EQ(n, static_cast<int>(u.size()));
  for (int k = 0; k < n; k++) {
    const int* e = static_cast<const int*>(o[k]);
    const bool in_a = std::binary_search(ka.begin(), ka.end(), u[static_cast<size_t>(k)]);
    const bool in_b = std::binary_search(kb.begin(), kb.end(), u[static_cast<size_t>(k)]);
    ASSERT_EQ(*e, u[static_cast<size_t>(k)]);
    ASSERT_EQ(e >= pa && e < pa + ka.size(), in_a);
    ASSERT_EQ(e >= pb && e < pb + kb.size(), !in_a);
    ASSERT_EQ(r[static_cast<size_t>(k)], in_a && in_b ? 0 : (in_a ? -1 : 1));
  }

  // An existing output is resized; null inputs are empty.
  EXPECT_EQ(vek::merge_sorted_xarrays(nullptr, b, cmp_int_data, &calls, &out, nullptr),
            static_cast<int>(kb.size()));
  EXPECT_EQ(vek::xar_count(&out), static_cast<int>(kb.size()));
  EXPECT_EQ(static_cast<void**>(out)[0], b);
  EXPECT_EQ(vek::merge_sorted_xarrays(a, nullptr, cmp_int_data, &calls, &out, nullptr),
            static_cast<int>(ka.size()));
  EXPECT_EQ(vek::merge_sorted_xarrays(nullptr, nullptr, cmp_int_data, &calls, &out, nullptr), 0);
  EXPECT_EQ(vek::xar_count(&out), 0);

  vek::xar_free(&out);
  vek::xar_free(&results);
  vek::xar_free(&a);
  vek::xar_free(&b);
}

TEST_F(SortMergeTest, MergeSortedPointerXarrays) {
  static int keys[6] = {10, 20, 30, 40, 50, 60};
  void* a = vek::xar_alloc(3, sizeof(void*), 1);
  void* b = vek::xar_alloc(2, sizeof(void*), 1);
  void** pa = static_cast<void**>(a);
  void** pb = static_cast<void**>(b);
  pa[0] = &keys[0];
  pa[1] = &keys[2];
  pa[2] = &keys[4];
  pb[0] = &keys[1];
  pb[1] = &keys[4];
  auto by_pointed = [](const void* x, const void* y) {
    return cmp_int(*static_cast<int* const*>(x), *static_cast<int* const*>(y));
  };
  void* out = nullptr;
  ASSERT_EQ(vek::merge_sorted_pointer_xarrays(a, b, by_pointed, &out), 4);
  void** o = static_cast<void**>(out);
  EXPECT_EQ(std::vector<void*>(o, o + 4),
            (std::vector<void*>{&keys[0], &keys[1], &keys[2], &keys[4]}));
  vek::xar_free(&out);
  vek::xar_free(&a);
  vek::xar_free(&b);
}

TEST_F(SortMergeTest, MakeMergedXarrayCopiesElements) {
  std::vector<int> ka;
  std::vector<int> kb;
  make_lists(12, 25, 33, &ka, &kb);
  void* a = int_xarray(ka);
  void* b = int_xarray(kb);
  void* merged = nullptr;
  void* results = nullptr;
  int calls = 0;
  const int n = vek::make_merged_xarray(a, b, cmp_int_data, &calls, &merged, &results);
  EXPECT_EQ(ints_of(merged), set_union_of(ka, kb));
  EXPECT_EQ(n, vek::xar_count(&merged));
  EXPECT_EQ(vek::xar_count(&results), n);
  vek::xar_free(&merged);

  // One side null: element size of the other.
  ASSERT_EQ(vek::make_merged_xarray(nullptr, b, cmp_int_data, &calls, &merged, nullptr),
            static_cast<int>(kb.size()));
  int size = 0;
  vek::xar_params(&merged, &size, nullptr, nullptr, nullptr);
  EXPECT_EQ(size, static_cast<int>(sizeof(int)));
  EXPECT_EQ(ints_of(merged), kb);
  vek::xar_free(&merged);
  EXPECT_EQ(vek::make_merged_xarray(nullptr, nullptr, cmp_int_data, &calls, &merged, nullptr), 0);
  EXPECT_EQ(vek::xar_count(&merged), 0);
  vek::xar_free(&merged);

  vek::xar_free(&results);
  vek::xar_free(&a);
  vek::xar_free(&b);
}

// An xarray of shorts, an element size that no merge writes.
short* short_xarray() {
  static const short values[] = {7, 8, 9};
  return static_cast<short*>(vek::array_to_xarray(values, 3, sizeof(short), 1, nullptr));
}

std::vector<short> shorts_of(short* x) { return std::vector<short>(x, x + vek::xar_count(&x)); }

std::string mismatch(const char* name, int old_size, std::size_t request) {
  return std::string(name) + ":  inconsistent size: old (" + std::to_string(old_size) +
         ") != request (" + std::to_string(request) + ") - SERIOUS ERROR.";
}

// An existing output or result array of another element size would be written with the
// wrong stride: it is reported, nothing is merged and every array stays as it was.
TEST_F(SortMergeTest, OutputsOfAnotherElementSizeAreLeftAlone) {
  void* a = int_xarray({1, 3});
  void* b = int_xarray({2});
  short* out = short_xarray();
  void* none = nullptr;
  short* result = short_xarray();
  void* first = int_xarray({1, 2});
  const double values[] = {0.5, 3.0};
  yrltest::SeriousReports reports;
  EXPECT_EQ(vek::merge_sorted_xarrays(a, b, cmp_int_data, nullptr, &out, nullptr), 0);
  EXPECT_EQ(vek::merge_sorted_xarrays(a, b, cmp_int_data, nullptr, &none, &result), 0);
  EXPECT_EQ(vek::merge_sorted_pointer_xarrays(a, b, cmp_int, &out), 0);
  EXPECT_EQ(vek::merge_params_to_first(&first, values, 2, 0.1), 2);
  EXPECT_EQ(reports.lines(),
            (std::vector<std::string>{mismatch("merge_sorted_xarrays", 2, sizeof(void*)),
                                      mismatch("merge_sorted_xarrays", 2, sizeof(int)),
                                      mismatch("merge_sorted_pointer_xarrays", 2, sizeof(void*)),
                                      mismatch("merge_params_to_first", 4, sizeof(double))}));
  EXPECT_EQ(shorts_of(out), (std::vector<short>{7, 8, 9}));
  EXPECT_EQ(shorts_of(result), (std::vector<short>{7, 8, 9}));
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(ints_of(first), (std::vector<int>{1, 2}));
  EXPECT_EQ(ints_of(a), (std::vector<int>{1, 3}));
  for (void* x : {a, b, static_cast<void*>(out), static_cast<void*>(result), first})
    vek::xar_free(&x);
}

// A segmented array holding the values.
template <typename T>
void* har_of(const std::vector<T>& values) {
  void* har = vek::har_alloc(sizeof(T), 2);
  vek::har_append(&har, static_cast<int>(values.size()), values.data());
  return har;
}

template <typename T>
std::vector<T> har_values(void* har) {
  std::vector<T> values;
  for (int k = 0; k < vek::har_total(&har); k++)
    values.push_back(*static_cast<const T*>(vek::har_access(&har, k, nullptr, nullptr)));
  return values;
}

// The segmented forms guard their outputs the same way: filling a result array of
// 8-byte elements from the merge's ints would read past them.
TEST_F(SortMergeTest, SegmentedOutputsOfAnotherElementSizeAreLeftAlone) {
  void* a = har_of<int>({1, 3});
  void* b = har_of<int>({2});
  void* out = har_of<short>({7, 8, 9});
  void* none = nullptr;
  void* result = har_of<double>({0.5, 1.5});
  void* merged = nullptr;
  yrltest::SeriousReports reports;
  EXPECT_EQ(vek::merge_sorted_harrays(a, b, cmp_int_data, nullptr, &out, nullptr), 0);
  EXPECT_EQ(vek::merge_sorted_harrays(a, b, cmp_int_data, nullptr, &none, &result), 0);
  EXPECT_EQ(vek::make_merged_harray(a, b, cmp_int_data, nullptr, &merged, &result), 0);
  EXPECT_EQ(reports.lines(),
            (std::vector<std::string>{mismatch("merge_sorted_harrays", 2, sizeof(void*)),
                                      mismatch("merge_sorted_harrays", 8, sizeof(int)),
                                      mismatch("merge_sorted_harrays", 8, sizeof(int))}));
  EXPECT_EQ(har_values<short>(out), (std::vector<short>{7, 8, 9}));
  EXPECT_EQ(har_values<double>(result), (std::vector<double>{0.5, 1.5}));
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(vek::har_total(&merged), 0);
  for (void* h : {a, b, out, result, merged}) vek::har_free(&h);
}

using SortMergeDeathTest = yrltest::RuntimeDeathTest;

TEST_F(SortMergeDeathTest, UnequalElementSizesEndTheProcess) {
  EXPECT_EXIT(
      {
        yrltest::route_console_to_stderr();
        void* a = vek::xar_alloc(2, sizeof(int), 1);
        void* b = vek::xar_alloc(2, sizeof(double), 1);
        void* out = nullptr;
        vek::merge_sorted_pointer_xarrays(a, b, cmp_int, &out);
      },
      ::testing::ExitedWithCode(2), "merge_sorted_xarrays:  unequal size");
  EXPECT_EXIT(
      {
        yrltest::route_console_to_stderr();
        void* a = vek::har_alloc(sizeof(int), 1);
        void* b = vek::har_alloc(sizeof(double), 1);
        vek::har_inflate(&a);
        vek::har_inflate(&b);
        void* out = nullptr;
        vek::merge_sorted_harrays(a, b, cmp_int_data, nullptr, &out, nullptr);
      },
      ::testing::ExitedWithCode(2), "merge_sorted_harrays:  unequal size");
}

// Large elements, so that the segmented arrays span several segments.
struct Big {
  int key;
  char payload[30000 - 4];
};

void* big_har(const std::vector<int>& keys) {
  void* har = vek::har_alloc(sizeof(Big), 3);
  for (int k : keys) static_cast<Big*>(vek::har_inflate(&har))->key = k;
  return har;
}

TEST_F(SortMergeTest, MergeSortedHarrays) {
  std::vector<int> ka;
  std::vector<int> kb;
  make_lists(21, 150, 170, &ka, &kb);
  void* a = big_har(ka);
  void* b = big_har(kb);
  ASSERT_GE(vek::xar_count(&a), 2);
  int calls = 0;
  void* out = nullptr;
  void* results = nullptr;
  const int n = vek::merge_sorted_harrays(a, b, cmp_int_data, &calls, &out, &results);
  const std::vector<int> u = set_union_of(ka, kb);
  ASSERT_EQ(n, static_cast<int>(u.size()));
  ASSERT_EQ(vek::har_total(&out), n);
  ASSERT_EQ(vek::har_total(&results), n);
  for (int k = 0; k < n; k++) {
    const Big* e = *static_cast<const Big* const*>(vek::har_access(&out, k, nullptr, nullptr));
    const int r = *static_cast<const int*>(vek::har_access(&results, k, nullptr, nullptr));
    const bool in_a = std::binary_search(ka.begin(), ka.end(), u[static_cast<size_t>(k)]);
    const bool in_b = std::binary_search(kb.begin(), kb.end(), u[static_cast<size_t>(k)]);
    ASSERT_EQ(e->key, u[static_cast<size_t>(k)]);
    ASSERT_EQ(r, in_a && in_b ? 0 : (in_a ? -1 : 1));
  }
  vek::har_free(&out);
  vek::har_free(&results);

  void* merged = nullptr;
  ASSERT_EQ(vek::make_merged_harray(a, b, cmp_int_data, &calls, &merged, nullptr), n);
  ASSERT_EQ(vek::har_total(&merged), n);
  for (int k = 0; k < n; k++) {
    const Big* e = static_cast<const Big*>(vek::har_access(&merged, k, nullptr, nullptr));
    ASSERT_EQ(e->key, u[static_cast<size_t>(k)]);
  }
  vek::har_free(&merged);
  vek::har_free(&a);
  vek::har_free(&b);
}

TEST_F(SortMergeTest, MergeParamsToFirst) {
  struct Case {
    const char* what;
    std::vector<double> first;
    bool null_first;
    std::vector<double> values;
    double tolerance;
    std::vector<double> expected;
  };
  const Case cases[] = {
      {"example", {1.0, 2.0}, false, {0.5, 1.0000001, 3.0}, 1e-6, {0.5, 1.0, 2.0, 3.0}},
      {"no new values", {1.0, 2.0}, false, {}, 1e-6, {1.0, 2.0}},
      {"empty first list", {}, false, {1.0, 2.0}, 1e-6, {1.0, 2.0}},
      {"null first list", {}, true, {1.0, 2.0}, 1e-6, {1.0, 2.0}},
      {"a run before", {5.0}, false, {1.0, 2.0, 3.0}, 0.1, {1.0, 2.0, 3.0, 5.0}},
      {"runs between",
       {0.0, 10.0, 20.0},
       false,
       {4.0, 5.0, 15.0, 25.0},
       0.1,
       {0.0, 4.0, 5.0, 10.0, 15.0, 20.0, 25.0}},
      {"within tolerance at both sides", {1.0, 2.0}, false, {0.96, 2.04}, 0.05, {1.0, 2.0}},
      {"just outside", {1.0}, false, {0.9, 1.2}, 0.05, {0.9, 1.0, 1.2}},
      {"new values are not compared with each other",
       {10.0},
       false,
       {1.0, 1.0},
       0.1,
       {1.0, 1.0, 10.0}},
      {"duplicates at the end kept apart from the first list only",
       {1.0},
       false,
       {1.0, 3.0, 3.0},
       0.1,
       {1.0, 3.0, 3.0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    void* first = c.null_first
                      ? nullptr
                      : vek::xar_alloc(static_cast<int>(c.first.size()), sizeof(double), 1);
    if (!c.first.empty()) std::memcpy(first, c.first.data(), c.first.size() * sizeof(double));
    const int n = vek::merge_params_to_first(&first, c.values.data(),
                                             static_cast<int>(c.values.size()), c.tolerance);
    EXPECT_EQ(n, static_cast<int>(c.expected.size()));
    ASSERT_EQ(vek::xar_count(&first), n);
    const double* v = static_cast<const double*>(first);
    EXPECT_EQ(std::vector<double>(v, v + n), c.expected);
    vek::xar_free(&first);
  }
}

}  // namespace
