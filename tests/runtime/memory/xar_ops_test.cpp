// Growable arrays: appending and inserting (also from inside a moving array), removal,
// reordering, copies, concatenation, comparison, sorted search and insertion,
// subtraction, merging, and long random operation sequences against std::vector.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <iterator>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "runtime/diag/diag.h"
#include "runtime/diag/msgtool.h"
#include "runtime/diag/runmode.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "runtime/memory/xar_layout.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "tests/support/serious_reports.h"

namespace {

using yrltest::live_blocks;

using testing::ExitedWithCode;
using yrltest::ConsoleCapture;

class XarOpsTest : public yrltest::RuntimeTest {};
class XarOpsDeathTest : public yrltest::RuntimeDeathTest {};


int* int_xar(const std::vector<int>& values, int step = 3) {
  return static_cast<int*>(vek::array_to_xarray(values.data(), static_cast<int>(values.size()),
                                                sizeof(int), step, nullptr));
}

std::vector<int> values_of(const int* x) { return std::vector<int>(x, x + vek::xar_count(&x)); }

// Every element past the count, up to the room of the block, is zero.
bool tail_is_zero(const int* x) {
  if (!x) return true;
  for (int i = vek::xar_count(&x); i < vek::xar_hdr_capacity(x); ++i)
    if (x[i] != 0) return false;
  return true;
}

int compare_ints(const void* a, const void* b) {
  int x = *static_cast<const int*>(a);
  int y = *static_cast<const int*>(b);
  return (x > y) - (x < y);
}

int compare_ints_data(const void* a, const void* b, void* data) {
  if (data) ++*static_cast<int*>(data);
  return compare_ints(a, b);
}

// Routine names of the message tool's fatal reports, which then do not stop.
std::vector<std::string> crash_reports;
int record_crash_report(const char* where) {
  crash_reports.push_back(where);
  return 0;
}
void record_crash_msgs() {
  crash_reports.clear();
  vek::dbg_set_allow_crash(1);
  vek::dbg_set_crash_func(record_crash_report);
}

// The n elements a source inside the array gives: elements past the count read as zero.
std::vector<int> inside_source(const std::vector<int>& model, int from, int n) {
  std::vector<int> taken;
  for (int i = 0; i < n; ++i)
    taken.push_back(from + i < static_cast<int>(model.size()) ? model[from + i] : 0);
  return taken;
}

// ---------------------------------------------------------------------------------------
// Appending and inserting

TEST_F(XarOpsTest, AppendCopiesOrZeroFillsAndReturnsTheFirstNewElement) {
  int* x = int_xar({1, 2});
  const int more[] = {3, 4, 5};
  int* first = static_cast<int*>(vek::xar_append(&x, 3, more));
  EXPECT_EQ(first, x + 2);
  first = static_cast<int*>(vek::xar_append(&x, 2, nullptr));
  EXPECT_EQ(first, x + 5);
  EXPECT_EQ(values_of(x), (std::vector<int>{1, 2, 3, 4, 5, 0, 0}));
  // Appending nothing changes nothing and gives the last element.
  EXPECT_EQ(vek::xar_append(&x, 0, more), x + 6);
  EXPECT_EQ(vek::xar_count(&x), 7);
  int* empty = int_xar({});
  EXPECT_EQ(vek::xar_append(&empty, 0, more), nullptr);
  vek::xar_free(&x);
  vek::xar_free(&empty);
}

TEST_F(XarOpsTest, AppendFromInsideTheArrayWorksWhileItMoves) {
  vek::set_run_mode(1);
  ConsoleCapture capture;
  int* x = int_xar({1, 2, 3, 4}, 1);
  ASSERT_EQ(vek::xar_hdr_capacity(x), 4);
  vek::xar_append(&x, 4, x);  // the whole array onto itself: it must grow
  EXPECT_EQ(vek::xar_tail_zone(x), -2);
  EXPECT_EQ(values_of(x), (std::vector<int>{1, 2, 3, 4, 1, 2, 3, 4}));
  EXPECT_EQ(capture.out(),
            "XAR_APPEND:  : don't ask for trouble. Use xar_replicate (INFO MESSAGE)\n");

  // A source reaching past the count reads zeros there, as the array stood before.
  vek::xar_append(&x, 5, x + 6);
  EXPECT_EQ(values_of(x), (std::vector<int>{1, 2, 3, 4, 1, 2, 3, 4, 3, 4, 0, 0, 0}));
  EXPECT_TRUE(tail_is_zero(x));
  vek::xar_free(&x);
}

TEST_F(XarOpsTest, AppendMultiRepeatsOneElement) {
  int* x = int_xar({7, 8}, 1);
  int nine = 9;
  void* first = vek::xar_append_multi(&x, 3, &nine);
  EXPECT_EQ(first, x + 2);
  EXPECT_EQ(values_of(x), (std::vector<int>{7, 8, 9, 9, 9}));
  vek::xar_append_multi(&x, 20, x);  // from inside, moving
  std::vector<int> expected = {7, 8, 9, 9, 9};
  expected.insert(expected.end(), 20, 7);
  EXPECT_EQ(values_of(x), expected);
  EXPECT_EQ(vek::xar_append_multi(&x, 0, &nine), nullptr);
  vek::xar_free(&x);
}

TEST_F(XarOpsTest, InsertOpensAGapAndCopiesOrZeroFills) {
  int* x = int_xar({1, 2, 3});
  const int more[] = {8, 9};
  void* gap = vek::xar_insert(&x, 1, 2, more);
  EXPECT_EQ(gap, x + 1);
  EXPECT_EQ(values_of(x), (std::vector<int>{1, 8, 9, 2, 3}));
  gap = vek::xar_insert(&x, 5, 1, nullptr);
  EXPECT_EQ(gap, x + 5);
  gap = vek::xar_insert(&x, 0, 1, nullptr);
  EXPECT_EQ(gap, x);
  EXPECT_EQ(values_of(x), (std::vector<int>{0, 1, 8, 9, 2, 3, 0}));
  EXPECT_EQ(vek::xar_insert(&x, 2, 0, more), x + 2);
  EXPECT_EQ(vek::xar_count(&x), 7);
  vek::xar_free(&x);
}

TEST_F(XarOpsTest, InsertFromInsideTheArrayIsReportedAndWorksWhileItMoves) {
  record_crash_msgs();
  int* x = int_xar({1, 2, 3, 4}, 1);
  vek::xar_insert(&x, 1, 3, x + 1);
  EXPECT_EQ(values_of(x), (std::vector<int>{1, 2, 3, 4, 2, 3, 4}));
  EXPECT_EQ(crash_reports, std::vector<std::string>{"xar_insert"});
  vek::xar_insert(&x, 0, 9, x + 4);
  EXPECT_EQ(values_of(x), (std::vector<int>{2, 3, 4, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 2, 3, 4}));
  EXPECT_TRUE(tail_is_zero(x));
  vek::xar_free(&x);
}

// ---------------------------------------------------------------------------------------
// Removal

TEST_F(XarOpsTest, RemoveAndDeleteCloseTheGapAndZeroTheTail) {
  int* x = int_xar({1, 2, 3, 4, 5, 6});
  vek::xar_remove(&x, 1, 2);
  EXPECT_EQ(values_of(x), (std::vector<int>{1, 4, 5, 6}));
  EXPECT_TRUE(tail_is_zero(x));
  int out[2] = {0, 0};
  EXPECT_EQ(vek::xar_delete(&x, 2, 2, out), out);
  EXPECT_EQ(out[0], 5);
  EXPECT_EQ(out[1], 6);
  EXPECT_EQ(values_of(x), (std::vector<int>{1, 4}));
  EXPECT_TRUE(tail_is_zero(x));
  vek::xar_remove(&x, 0, 0);
  EXPECT_EQ(vek::xar_count(&x), 2);
  vek::xar_free(&x);
}

TEST_F(XarOpsTest, DeleteOfABadRangeIsReportedAndChangesNothing) {
  yrltest::print_serious_reports();
  int* x = int_xar({1, 2, 3});
  int out[4] = {};
  ConsoleCapture capture;
  for (std::pair<int, int> range : {std::pair{-1, 1}, {2, 2}, {0, -1}, {3, 1}, {0, 4}}) {
    EXPECT_EQ(vek::xar_delete(&x, range.first, range.second, out), nullptr);
    EXPECT_EQ(values_of(x), (std::vector<int>{1, 2, 3}));
  }
  EXPECT_NE(capture.out().find("xar_delete:  Invalid request\n"), std::string::npos);
  EXPECT_EQ(vek::xar_delete(&x, 3, 0, out), out);
  int* none = nullptr;
  EXPECT_EQ(vek::xar_delete(&none, 0, 0, out), out);
  vek::xar_free(&x);
}

// ---------------------------------------------------------------------------------------
// Reordering

TEST_F(XarOpsTest, ReplicateInsertsACopyBeforeThePosition) {
  struct Case {
    int from, to;
    std::vector<int> expected;
  };
  for (const Case& c : {Case{0, 0, {10, 10, 11, 12}}, Case{0, 3, {10, 11, 12, 10}},
                        Case{2, 0, {12, 10, 11, 12}}, Case{1, 2, {10, 11, 11, 12}},
                        Case{1, 1, {10, 11, 11, 12}}, Case{2, 3, {10, 11, 12, 12}}}) {
    int* x = int_xar({10, 11, 12}, 1);
    vek::xar_replicate(&x, c.from, c.to);
    EXPECT_EQ(values_of(x), c.expected) << c.from << "->" << c.to;
    vek::xar_free(&x);
  }
}

TEST_F(XarOpsTest, MoveMatchesARotationOfTheReference) {
  const std::vector<int> start = {0, 1, 2, 3, 4, 5};
  for (int from = 0; from < 6; ++from) {
    for (int to = 0; to < 6; ++to) {
      int* x = int_xar(start);
      std::vector<int> model = start;
      int value = model[from];
      model.erase(model.begin() + from);
      model.insert(model.begin() + to, value);
      EXPECT_EQ(vek::xar_move(&x, from, to), 0);
      EXPECT_EQ(values_of(x), model) << from << "->" << to;
      vek::xar_free(&x);
    }
  }
  int* x = int_xar(start);
  for (std::pair<int, int> bad : {std::pair{6, 0}, {0, 6}, {-1, 2}, {2, -1}})
    EXPECT_EQ(vek::xar_move(&x, bad.first, bad.second), 92);
  EXPECT_EQ(values_of(x), start);
  int* none = nullptr;
  EXPECT_EQ(vek::xar_move(&none, 0, 0), 92);
  vek::xar_free(&x);
}

TEST_F(XarOpsTest, MoveWorksInAFullArray) {
  const int limit = vek::xar_max_count_get(8);
  long long* x = static_cast<long long*>(vek::xar_alloc(limit, 8, 1));
  for (int i = 0; i < limit; ++i) x[i] = i;
  EXPECT_EQ(vek::xar_move(&x, 0, limit - 1), 0);
  EXPECT_EQ(x[0], 1);
  EXPECT_EQ(x[limit - 1], 0);
  EXPECT_EQ(vek::xar_count(&x), limit);
  vek::xar_free(&x);
}

TEST_F(XarOpsTest, SwapAndFlip) {
  yrltest::print_serious_reports();
  ConsoleCapture capture;
  int* x = int_xar({1, 2, 3, 4, 5});
  vek::xar_swap(x, 0, 4);
  vek::xar_swap(x, 2, 2);
  EXPECT_EQ(values_of(x), (std::vector<int>{5, 2, 3, 4, 1}));
  vek::xar_swap(x, 0, 5);
  vek::xar_swap(x, -1, 0);
  EXPECT_EQ(values_of(x), (std::vector<int>{5, 2, 3, 4, 1}));
  EXPECT_NE(capture.out().find("xar_swap:  Invalid request\n"), std::string::npos);
  vek::xar_flip(x);
  EXPECT_EQ(values_of(x), (std::vector<int>{1, 4, 3, 2, 5}));
  vek::xar_flip(nullptr);
  vek::xar_free(&x);

  // Elements of any size swap whole.
  struct Big {
    char bytes[3000];
  };
  Big* big = static_cast<Big*>(vek::xar_alloc(3, sizeof(Big), 1));
  for (int i = 0; i < 3; ++i) std::memset(big[i].bytes, 'a' + i, sizeof(Big));
  vek::xar_flip(big);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(std::count(big[i].bytes, big[i].bytes + sizeof(Big), 'c' - i), 3000);
  vek::xar_free(&big);
}

TEST_F(XarOpsTest, SortMatchesStdSort) {
  std::mt19937 random(5);
  std::vector<int> values(1000);
  for (int& v : values) v = static_cast<int>(random() % 300) - 150;
  int* x = int_xar(values);
  EXPECT_EQ(vek::xar_sort(&x, compare_ints), 1000);
  std::sort(values.begin(), values.end());
  EXPECT_EQ(values_of(x), values);
  int* none = nullptr;
  EXPECT_EQ(vek::xar_sort(&none, compare_ints), 0);
  vek::xar_free(&x);
}

// ---------------------------------------------------------------------------------------
// Copies, concatenation and injection

TEST_F(XarOpsTest, CopiesKeepOrConvertTheShape) {
  int* x = int_xar({1, 2, 3}, 7);
  int* out = nullptr;
  int* copy = static_cast<int*>(vek::xar_cpy(&x, &out));
  EXPECT_EQ(copy, out);
  EXPECT_NE(copy, x);
  EXPECT_EQ(values_of(copy), values_of(x));
  EXPECT_EQ(vek::xar_hdr_step(copy), 7);
  int* none = nullptr;
  EXPECT_EQ(vek::xar_cpy(&none, &out), nullptr);
  EXPECT_EQ(out, copy);
  vek::xar_free(&copy);

  // xar_copy copies the bytes of count elements of the new size, at most the source's.
  long long* wide = static_cast<long long*>(vek::xar_copy(&x, 8, 2, nullptr));
  ASSERT_EQ(vek::xar_count(&wide), 3);
  EXPECT_EQ(vek::xar_hdr_size(wide), 8);
  EXPECT_EQ(wide[0], 1 + (2LL << 32));
  EXPECT_EQ(wide[1], 3);
  EXPECT_EQ(wide[2], 0);
  short* narrow = nullptr;
  vek::xar_copy(&x, 2, 1, &narrow);
  ASSERT_EQ(vek::xar_count(&narrow), 3);
  EXPECT_EQ(narrow[0], 1);
  EXPECT_EQ(narrow[1], 0);
  EXPECT_EQ(narrow[2], 2);
  EXPECT_EQ(vek::xar_copy(&none, 4, 1, nullptr), nullptr);

  const double plain[] = {1.5, 2.5};
  double* doubles = nullptr;
  void* made = vek::array_to_xarray(plain, 2, sizeof(double), 4, &doubles);
  EXPECT_EQ(made, doubles);
  EXPECT_EQ(doubles[1], 2.5);
  EXPECT_EQ(vek::array_to_xarray(plain, 0, sizeof(double), 0, nullptr), nullptr);
  vek::xar_free(&wide);
  vek::xar_free(&narrow);
  vek::xar_free(&doubles);
  vek::xar_free(&x);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(XarOpsTest, ConcatAndInject) {
  int* a = int_xar({1, 2});
  int* b = int_xar({7, 8, 9});
  vek::xar_concat(&a, b);
  EXPECT_EQ(values_of(a), (std::vector<int>{1, 2, 7, 8, 9}));
  vek::xar_concat(&a, nullptr);
  vek::xar_concat(&a, a);  // onto itself, moving
  EXPECT_EQ(values_of(a), (std::vector<int>{1, 2, 7, 8, 9, 1, 2, 7, 8, 9}));
  int* c = nullptr;
  vek::xar_concat(&c, b);
  EXPECT_NE(c, b);
  EXPECT_EQ(values_of(c), values_of(b));

  vek::xar_inject(&c, b, 1);
  EXPECT_EQ(values_of(c), (std::vector<int>{7, 7, 8, 9, 8, 9}));
  vek::xar_inject(&c, c, 6);
  EXPECT_EQ(values_of(c), (std::vector<int>{7, 7, 8, 9, 8, 9, 7, 7, 8, 9, 8, 9}));
  int* d = nullptr;
  vek::xar_inject(&d, b, 0);
  EXPECT_EQ(values_of(d), values_of(b));
  vek::xar_inject(&d, nullptr, 5);
  EXPECT_EQ(values_of(d), values_of(b));
  for (int** p : {&a, &b, &c, &d}) vek::xar_free(p);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(XarOpsDeathTest, ConcatenatingDifferentSizesEndsTheProcess) {
  EXPECT_EXIT(
      {
        yrltest::route_console_to_stderr();
        yrltest::print_serious_reports();
        void* a = vek::xar_alloc(1, 4, 1);
        void* b = vek::xar_alloc(1, 8, 1);
        vek::xar_concat(&a, b);
      },
      ExitedWithCode(2),
      "xar_concat:  different object size numbers 4 - 8 !!! \\(ORDER_DEBUG\\)\n"
      "Serious internal error; cannot continue.");
  EXPECT_EXIT(
      {
        yrltest::route_console_to_stderr();
        void* a = vek::xar_alloc(1, 4, 1);
        void* b = vek::xar_alloc(1, 2, 1);
        vek::xar_inject(&a, b, 0);
      },
      ExitedWithCode(2), "Serious internal error; cannot continue.");
  EXPECT_EXIT(
      {
        yrltest::route_console_to_stderr();
        yrltest::print_serious_reports();
        void* a = nullptr;
        void* b = vek::xar_alloc(1, 4, 1);
        vek::xar_inject(&a, b, 2);
      },
      ExitedWithCode(2),
      "xar_inject:  attempt to insert after index 2 in empty xarray. \\(ORDER_DEBUG\\)\n");
}

TEST_F(XarOpsTest, AllocOrResizeExtendAppend) {
  int* x = nullptr;
  void* result = vek::xar_alloc_or_resize(&x, 3, 4, 2);
  EXPECT_EQ(result, x);
  EXPECT_EQ(vek::xar_count(&x), 3);
  EXPECT_EQ(vek::xar_alloc_or_resize(&x, 5, 4, 2), nullptr);
  EXPECT_EQ(vek::xar_count(&x), 5);
  vek::xar_free(&x);

  result = vek::xar_alloc_or_extend(&x, 2, 4, 2);
  EXPECT_EQ(result, x);
  result = vek::xar_alloc_or_extend(&x, 3, 4, 2);
  EXPECT_EQ(result, x + 2);
  EXPECT_EQ(vek::xar_count(&x), 5);
  vek::xar_free(&x);

  const int values[] = {4, 5};
  result = vek::xar_alloc_or_append(&x, 2, 4, 2, values);
  EXPECT_EQ(result, x);
  result = vek::xar_alloc_or_append(&x, 1, 4, 2, values + 1);
  EXPECT_EQ(result, x + 2);
  EXPECT_EQ(values_of(x), (std::vector<int>{4, 5, 5}));

  // Another element size is reported. Resizing and extending go on; appending, which
  // would copy the source with the array's stride, leaves the array alone.
  yrltest::print_serious_reports();
  ConsoleCapture capture;
  vek::xar_alloc_or_resize(&x, 4, 8, 2);
  vek::xar_alloc_or_extend(&x, 1, 2, 2);
  EXPECT_EQ(vek::xar_alloc_or_append(&x, 1, 1, 2, values), nullptr);
  EXPECT_EQ(vek::xar_count(&x), 5);
  EXPECT_EQ(capture.out(),
            "xar_alloc_or_resize:  inconsistent size: old (4) != request (8) - SERIOUS "
            "ERROR.\n"
            "dbg_err_crash() -- continuing from serious error (ORDER_DEBUG).\n"
            "xar_alloc_or_extend:  inconsistent size: old (4) != request (2) - SERIOUS "
            "ERROR.\n"
            "dbg_err_crash() -- continuing from serious error (ORDER_DEBUG).\n"
            "xar_alloc_or_append:  inconsistent size: old (4) != request (1) - SERIOUS "
            "ERROR.\n"
            "dbg_err_crash() -- continuing from serious error (ORDER_DEBUG).\n");
  vek::xar_free(&x);
}

// ---------------------------------------------------------------------------------------
// Comparison

TEST_F(XarOpsTest, CompareBySizeThenCountThenBytes) {
  int* a = int_xar({1, 2});
  int* b = int_xar({1, 3});
  int* c = int_xar({1, 2, 0});
  int* d = int_xar({1, 2});
  short* e = static_cast<short*>(vek::xar_alloc(9, 2, 1));
  struct Case {
    const void* x;
    const void* y;
    int expected;
  };
  for (Case t : {Case{a, b, -1}, Case{b, a, 1}, Case{a, c, -1}, Case{c, b, 1}, Case{a, d, 0},
                 Case{e, a, -1}, Case{a, e, 1}, Case{nullptr, a, -1}, Case{a, nullptr, 1},
                 Case{nullptr, nullptr, 0}})
    EXPECT_EQ(vek::xar_cmp(t.x, t.y), t.expected);
  for (void* p : std::vector<void*>{a, b, c, d, e}) vek::xar_free(&p);
}

TEST_F(XarOpsTest, CheckNullPointers) {
  int v = 0;
  EXPECT_EQ(vek::check_null_pointers(nullptr, nullptr), 0);
  EXPECT_EQ(vek::check_null_pointers(nullptr, &v), -1);
  EXPECT_EQ(vek::check_null_pointers(&v, nullptr), 1);
  yrltest::print_serious_reports();
  ConsoleCapture capture;
  EXPECT_EQ(vek::check_null_pointers(&v, &v), 0);
  EXPECT_NE(capture.out().find("check_pointers:  neither pointers are null\n"),
            std::string::npos);
}

// ---------------------------------------------------------------------------------------
// Sorted search and insertion

TEST_F(XarOpsTest, SortedFindMatchesLowerBound) {
  const std::vector<int> values = {1, 3, 3, 7, 9, 12};
  int* x = int_xar(values);
  int calls = 0;
  for (int key = 0; key <= 13; ++key) {
    int position = -1;
    int found = vek::xar_sorted_find(&x, compare_ints_data, &key, &calls, &position);
    bool present = std::binary_search(values.begin(), values.end(), key);
    EXPECT_EQ(found, present ? 1 : 0) << key;
    if (present)
      EXPECT_EQ(values[position], key);
    else
      EXPECT_EQ(position, std::lower_bound(values.begin(), values.end(), key) - values.begin())
          << key;
  }
  EXPECT_GT(calls, 0);

  // From a start index the position counts from there.
  int position = -1;
  int key = 9;
  EXPECT_EQ(vek::xar_sorted_find_w_start(&x, compare_ints_data, &key, nullptr, 2, &position),
            1);
  EXPECT_EQ(position, 2);
  key = 2;
  EXPECT_EQ(vek::xar_sorted_find_w_start(&x, compare_ints_data, &key, nullptr, 3, &position),
            0);
  EXPECT_EQ(position, 0);

  int* none = nullptr;
  EXPECT_EQ(vek::xar_sorted_find(&none, compare_ints_data, &key, nullptr, &position), 0);
  EXPECT_EQ(position, 0);
  vek::xar_free(&x);
}

TEST_F(XarOpsTest, SortedFindReportsABadStart) {
  int* x = int_xar({1, 2, 3});
  yrltest::print_serious_reports();
  ConsoleCapture capture;
  int key = 2;
  for (int start : {-1, 3, 7}) {
    int position = -1;
    EXPECT_EQ(vek::xar_sorted_find_w_start(&x, compare_ints_data, &key, nullptr, start,
                                           &position),
              0);
    EXPECT_EQ(position, 0);
  }
  EXPECT_NE(capture.out().find("xar_sorted_find_w_start:  invalid start index!\n"),
            std::string::npos);
  vek::xar_free(&x);
}

TEST_F(XarOpsTest, SearchRecordWithoutCompareFindsEverything) {
  vek::XarSearch search = {nullptr, nullptr, nullptr};
  int element = 4;
  EXPECT_EQ(vek::xar_search_cmp(&search, &element), 0);
  int key = 4;
  search = {compare_ints_data, nullptr, &key};
  int larger = 9;
  EXPECT_EQ(vek::xar_search_cmp(&search, &larger), -1);
}

TEST_F(XarOpsTest, SortedInsertKeepsOrderAndHonoursDuplicates) {
  std::mt19937 random(11);
  int* x = int_xar({});
  std::vector<int> model;
  for (int i = 0; i < 2000; ++i) {
    int value = static_cast<int>(random() % 500);
    int duplicates = static_cast<int>(random() % 2);
    int position = -1;
    bool present = std::binary_search(model.begin(), model.end(), value);
    int inserted = vek::xar_sorted_insert(&x, compare_ints_data, &value, nullptr, duplicates,
                                          &position);
    if (present && !duplicates) {
      ASSERT_EQ(inserted, 0);
      ASSERT_EQ(model[position], value);
    } else {
      ASSERT_EQ(inserted, 1);
      model.insert(model.begin() + position, value);
    }
  }
  EXPECT_TRUE(std::is_sorted(model.begin(), model.end()));
  EXPECT_EQ(values_of(x), model);

  // Inserting an element of the array itself, while it moves.
  int* y = int_xar({2, 4}, 1);
  int position = -1;
  EXPECT_EQ(vek::xar_sorted_insert(&y, compare_ints_data, y + 1, nullptr, 1, &position), 1);
  EXPECT_EQ(values_of(y), (std::vector<int>{2, 4, 4}));
  vek::xar_free(&x);
  vek::xar_free(&y);
}

// ---------------------------------------------------------------------------------------
// Subtraction and merging

// Up to max_count values below range, sorted; without repeats when unique is set.
std::vector<int> random_sorted(std::mt19937& random, int max_count, int range, bool unique) {
  std::vector<int> values(random() % max_count);
  for (int& v : values) v = static_cast<int>(random() % range);
  std::sort(values.begin(), values.end());
  if (unique) values.erase(std::unique(values.begin(), values.end()), values.end());
  return values;
}

TEST_F(XarOpsTest, SubtractMatchesTheReference) {
  std::mt19937 random(3);
  for (int round = 0; round < 50; ++round) {
    std::vector<int> a = random_sorted(random, 40, 30, false);
    std::vector<int> b = random_sorted(random, 40, 30, false);
    std::vector<int> expected;
    std::copy_if(a.begin(), a.end(), std::back_inserter(expected),
                 [&](int v) { return !std::binary_search(b.begin(), b.end(), v); });
    int* xa = int_xar(a);
    int* xb = int_xar(b);
    EXPECT_EQ(vek::subtract_xarrays(&xa, xb, compare_ints), static_cast<int>(expected.size()));
    EXPECT_EQ(values_of(xa), expected);
    EXPECT_TRUE(tail_is_zero(xa));
    vek::xar_free(&xa);
    vek::xar_free(&xb);
  }
}

TEST_F(XarOpsTest, SubtractReportsMissingInputsAndReturns) {
  yrltest::print_serious_reports();
  ConsoleCapture capture;
  int* a = int_xar({1, 2, 3});
  EXPECT_EQ(vek::subtract_xarrays(&a, nullptr, compare_ints), 3);
  EXPECT_EQ(vek::subtract_xarrays(nullptr, a, compare_ints), 0);
  EXPECT_EQ(values_of(a), (std::vector<int>{1, 2, 3}));
  EXPECT_NE(capture.out().find("subtract_arrays:  Invalid Input\n"), std::string::npos);
  int* none = nullptr;
  EXPECT_EQ(vek::subtract_xarrays(&none, a, compare_ints), 0);
  vek::xar_free(&a);
}

TEST_F(XarOpsTest, MergeToTargetMatchesSetUnion) {
  std::mt19937 random(8);
  for (int round = 0; round < 30; ++round) {
    std::vector<int> a = random_sorted(random, 20, 60, true);
    std::vector<int> b = random_sorted(random, 20, 60, true);
    std::vector<int> expected;
    std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(expected));
    int* xa = a.empty() && round % 2 ? nullptr : int_xar(a);
    int* xb = int_xar(b);
    EXPECT_EQ(vek::merge_to_target_xar(&xa, xb, compare_ints_data),
              static_cast<int>(expected.size()));
    EXPECT_EQ(values_of(xa), expected);
    vek::xar_free(&xa);
    vek::xar_free(&xb);
  }
  EXPECT_EQ(live_blocks(), 0);
}

// An empty target of another element size cannot take b's elements: it stays as it was,
// reported, and the process goes on.
TEST_F(XarOpsTest, MergeToTargetLeavesAnEmptyTargetOfAnotherSize) {
  short* a = static_cast<short*>(vek::xar_alloc(0, sizeof(short), 1));
  short* const before = a;
  int* b = int_xar({1, 2});
  yrltest::SeriousReports reports;
  EXPECT_EQ(vek::merge_to_target_xar(&a, b, compare_ints_data), 0);
  EXPECT_EQ(a, before);
  EXPECT_EQ(vek::xar_hdr_size(a), static_cast<int>(sizeof(short)));
  EXPECT_EQ(reports.lines(), (std::vector<std::string>{
                                 "merge_to_target_xar:  inconsistent size: old (2) != request "
                                 "(4) - SERIOUS ERROR."}));
  vek::xar_free(&a);
  vek::xar_free(&b);
}

TEST_F(XarOpsTest, SizeMatchesAcceptsNullOrEqualAndReportsOtherSizes) {
  int* none = nullptr;
  int* x = int_xar({1, 2});
  yrltest::SeriousReports reports;
  EXPECT_EQ(vek::xar_size_matches(&none, 8, "caller"), 1);
  EXPECT_EQ(vek::xar_size_matches(&x, 4, "caller"), 1);
  EXPECT_TRUE(reports.lines().empty());
  EXPECT_EQ(vek::xar_size_matches(&x, 8, "caller"), 0);
  EXPECT_EQ(reports.lines(), (std::vector<std::string>{
                                 "caller:  inconsistent size: old (4) != request (8) - "
                                 "SERIOUS ERROR."}));
  EXPECT_EQ(values_of(x), (std::vector<int>{1, 2}));
  vek::xar_free(&x);
}

// ---------------------------------------------------------------------------------------
// Arrays of arrays

TEST_F(XarOpsTest, ArraysOfArraysCopyAndFreeTheirElements) {
  void** outer = static_cast<void**>(vek::xar_alloc(3, sizeof(void*), 1));
  outer[0] = int_xar({1, 2});
  outer[2] = int_xar({3});
  void** copy = nullptr;
  void* result = vek::copy_xar_xar(outer, &copy);
  EXPECT_EQ(result, copy);
  ASSERT_EQ(vek::xar_count(&copy), 3);
  EXPECT_EQ(vek::xar_hdr_size(copy), static_cast<int>(sizeof(void*)));
  EXPECT_EQ(vek::xar_hdr_step(copy), 10);
  EXPECT_NE(copy[0], outer[0]);
  EXPECT_EQ(values_of(static_cast<int*>(copy[0])), (std::vector<int>{1, 2}));
  EXPECT_EQ(copy[1], nullptr);
  EXPECT_EQ(values_of(static_cast<int*>(copy[2])), (std::vector<int>{3}));
  EXPECT_EQ(vek::copy_xar_xar(nullptr, nullptr), nullptr);

  vek::reset_xar_xar(&copy);
  EXPECT_EQ(vek::xar_count(&copy), 0);
  EXPECT_EQ(live_blocks(), 4);
  vek::free_xar_xar(&outer);
  vek::free_xar_xar(&copy);
  EXPECT_EQ(outer, nullptr);
  EXPECT_EQ(live_blocks(), 0);
}

// ---------------------------------------------------------------------------------------
// Random operation sequences against std::vector

class RandomOps {
 public:
  explicit RandomOps(unsigned seed) : random_(seed) {
    x_ = int_xar({}, 1 + static_cast<int>(random_() % 12));
  }
  ~RandomOps() { vek::xar_free(&x_); }

  int pick(int below) { return below > 0 ? static_cast<int>(random_() % below) : 0; }
  int count() const { return static_cast<int>(model_.size()); }

  std::vector<int> fresh(int n) {
    std::vector<int> values(n);
    for (int& v : values) v = static_cast<int>(random_() % 1000) + 1;
    return values;
  }

  void step() {
    int n = 1 + pick(6);
    switch (pick(17)) {
      case 0: {
        std::vector<int> values = fresh(n);
        vek::xar_append(&x_, n, values.data());
        model_.insert(model_.end(), values.begin(), values.end());
        break;
      }
      case 1: {  // from inside, reaching past the count at times
        if (model_.empty()) break;
        int from = pick(count());
        std::vector<int> taken = inside_source(model_, from, n);
        vek::xar_append(&x_, n, x_ + from);
        model_.insert(model_.end(), taken.begin(), taken.end());
        break;
      }
      case 2: {
        int at = pick(count() + 1);
        std::vector<int> values = fresh(n);
        vek::xar_insert(&x_, at, n, values.data());
        model_.insert(model_.begin() + at, values.begin(), values.end());
        break;
      }
      case 3: {
        if (model_.empty()) break;
        int from = pick(count());
        int at = pick(count() + 1);
        std::vector<int> taken = inside_source(model_, from, n);
        vek::xar_insert(&x_, at, n, x_ + from);
        model_.insert(model_.begin() + at, taken.begin(), taken.end());
        break;
      }
      case 4: {
        int at = pick(count() + 1);
        int k = pick(count() - at + 1);
        vek::xar_remove(&x_, at, k);
        model_.erase(model_.begin() + at, model_.begin() + at + k);
        break;
      }
      case 5: {
        int at = pick(count() + 1);
        int k = pick(count() - at + 1);
        std::vector<int> out(k + 1, -1);
        vek::xar_delete(&x_, at, k, out.data());
        ASSERT_TRUE(std::equal(out.begin(), out.begin() + k, model_.begin() + at));
        model_.erase(model_.begin() + at, model_.begin() + at + k);
        break;
      }
      case 6: {
        int k = pick(count() + 1);
        vek::xar_shrink(&x_, k);
        model_.resize(model_.size() - k);
        break;
      }
      case 7: {
        int target = pick(count() + 25);
        vek::xar_resize(&x_, target);
        model_.resize(target, 0);
        break;
      }
      case 8: {
        if (model_.empty()) break;
        int from = pick(count());
        int to = pick(count() + 1);
        int value = model_[from];
        vek::xar_replicate(&x_, from, to);
        model_.insert(model_.begin() + to, value);
        break;
      }
      case 9: {
        if (model_.empty()) break;
        int from = pick(count());
        int to = pick(count());
        int value = model_[from];
        ASSERT_EQ(vek::xar_move(&x_, from, to), 0);
        model_.erase(model_.begin() + from);
        model_.insert(model_.begin() + to, value);
        break;
      }
      case 10: {
        if (model_.empty()) break;
        int i = pick(count());
        int j = pick(count());
        vek::xar_swap(x_, i, j);
        std::swap(model_[i], model_[j]);
        break;
      }
      case 11:
        vek::xar_flip(x_);
        std::reverse(model_.begin(), model_.end());
        break;
      case 12: {
        if (pick(3) == 0) {
          std::vector<int> copy = model_;
          vek::xar_concat(&x_, x_);
          model_.insert(model_.end(), copy.begin(), copy.end());
        } else {
          std::vector<int> values = fresh(n);
          int* other = int_xar(values);
          vek::xar_concat(&x_, other);
          model_.insert(model_.end(), values.begin(), values.end());
          vek::xar_free(&other);
        }
        break;
      }
      case 13: {
        int at = pick(count() + 1);
        bool self = pick(3) == 0;
        std::vector<int> values = self ? model_ : fresh(n);
        int* other = self ? x_ : int_xar(values);
        vek::xar_inject(&x_, other, at);
        model_.insert(model_.begin() + at, values.begin(), values.end());
        if (!self) vek::xar_free(&other);
        break;
      }
      case 14: {
        int value = pick(1000);
        vek::xar_append_multi(&x_, n, &value);
        model_.insert(model_.end(), n, value);
        break;
      }
      case 15:
        vek::xar_extend(&x_, n);
        model_.insert(model_.end(), n, 0);
        break;
      case 16: {
        // Keep the array from growing without bound.
        if (count() > 400) {
          vek::xar_shrink(&x_, count() - 100);
          model_.resize(100);
        }
        break;
      }
    }
  }

  void check() const {
    ASSERT_EQ(vek::debug_xar_invalid(&x_), 0);
    ASSERT_EQ(vek::xar_count(&x_), count());
    ASSERT_TRUE(std::equal(model_.begin(), model_.end(), x_));
    ASSERT_TRUE(tail_is_zero(x_));
  }

 private:
  std::mt19937 random_;
  int* x_;
  std::vector<int> model_;
};

TEST_F(XarOpsTest, RandomOperationSequencesMatchStdVector) {
  for (unsigned seed : {1u, 2u, 3u, 4u}) {
    RandomOps ops(seed);
    for (int i = 0; i < 4000; ++i) {
      ASSERT_NO_FATAL_FAILURE(ops.step()) << "seed " << seed << " step " << i;
      ASSERT_NO_FATAL_FAILURE(ops.check()) << "seed " << seed << " step " << i;
    }
  }
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(XarOpsTest, SortedRandomSequencesMatchStdVector) {
  std::mt19937 random(21);
  int* x = int_xar({});
  std::vector<int> model;
  for (int i = 0; i < 3000; ++i) {
    int value = static_cast<int>(random() % 200);
    int position = -1;
    switch (random() % 4) {
      case 0:
      case 1:
        if (vek::xar_sorted_insert(&x, compare_ints_data, &value, nullptr, 0, &position))
          model.insert(model.begin() + position, value);
        break;
      case 2: {
        int found = vek::xar_sorted_find(&x, compare_ints_data, &value, nullptr, &position);
        auto at = std::lower_bound(model.begin(), model.end(), value);
        ASSERT_EQ(found, at != model.end() && *at == value ? 1 : 0);
        ASSERT_EQ(position, at - model.begin());
        break;
      }
      case 3: {
        std::vector<int> drop = {value, value + 3, value + 7};
        int* b = int_xar(drop);
        vek::subtract_xarrays(&x, b, compare_ints);
        for (int d : drop) model.erase(std::remove(model.begin(), model.end(), d), model.end());
        vek::xar_free(&b);
        break;
      }
    }
    ASSERT_EQ(values_of(x), model) << i;
  }
  vek::xar_free(&x);
}

}  // namespace
