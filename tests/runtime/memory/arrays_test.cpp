#include "runtime/memory/arrays.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <functional>
#include <numeric>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "runtime/memory/arrays_testing.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "runtime/text/strmake.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "tests/support/serious_reports.h"

namespace {

using yrltest::live_blocks;

class ArraysTest : public yrltest::RuntimeTest {};

class ArraysDeathTest : public yrltest::RuntimeDeathTest {};


// An int list (growable array) holding the values.
int* int_list(const std::vector<int>& values) {
  int* list = nullptr;
  vek::xar_alloc_or_resize(&list, static_cast<int>(values.size()), 4, 2);
  if (!values.empty()) std::memcpy(list, values.data(), values.size() * sizeof(int));
  return list;
}

std::vector<int> values_of(const int* list) {
  return std::vector<int>(list, list + vek::xar_count(&list));
}

// ---------------------------------------------------------------------------------------
// Bytes

TEST_F(ArraysTest, BytcmpTakesBytesAsSignedChars) {
  struct Case {
    const char* a;
    const char* b;
    std::size_t n;
    int expected;
  };
  for (Case c : {Case{"ab", "ac", 2, -1}, Case{"ab", "ac", 1, 0}, Case{"ac", "ab", 2, 1},
                 Case{"x", "x", 2, 0}, Case{"\x80", "\x01", 1, -129},
                 Case{"\x01", "\xff", 1, 2}, Case{"", "z", 0, 0}})
    EXPECT_EQ(vek::bytcmp(c.a, c.b, c.n), c.expected) << c.a << " " << c.b << " " << c.n;
}

TEST_F(ArraysTest, ByteFillCoversLargeAreasExactly) {
  std::vector<unsigned char> area(200002, 0x11);
  EXPECT_EQ(vek::byte_fill_func(area.data() + 1, 200000, 0x1AB), area.data() + 1);
  EXPECT_EQ(area.front(), 0x11);
  EXPECT_EQ(area.back(), 0x11);
  EXPECT_EQ(std::count(area.begin() + 1, area.end() - 1, 0xAB), 200000);
  EXPECT_EQ(vek::byte_fill_func(area.data(), 0, 0), area.data());
  EXPECT_EQ(area.front(), 0x11);
}

TEST_F(ArraysTest, BytcpyAllowsOverlapLikeMemmove) {
  for (int from : {0, 1, 3}) {
    for (int to : {0, 2, 3}) {
      char text[] = "abcdefgh";
      char expected[] = "abcdefgh";
      std::memmove(expected + to, expected + from, 5);
      EXPECT_EQ(vek::bytcpy_func(text + to, text + from, 5), text + to);
      EXPECT_STREQ(text, expected) << from << " " << to;
    }
  }
}

// ---------------------------------------------------------------------------------------
// Plain-array insert and delete

TEST_F(ArraysTest, InsertAndDeleteFollowVector) {
  std::mt19937 random(122);
  std::vector<int> storage(400, -1);
  std::vector<int> reference;
  int count = 0;
  int next_value = 1;
  for (int step = 0; step < 2000; ++step) {
    int index = static_cast<int>(random() % (count + 1));
    int n = static_cast<int>(random() % 5);
    if (random() % 2 == 0 && count + n <= 300) {
      std::vector<int> source(static_cast<size_t>(n));
      for (int& v : source) v = next_value++;
      bool zeros = random() % 4 == 0;
      void* gap = vek::arr_insert(storage.data(), 4, &count, index, n,
                                  zeros ? nullptr : source.data());
      ASSERT_EQ(gap, storage.data() + index);
      if (zeros) std::fill(source.begin(), source.end(), 0);
      reference.insert(reference.begin() + index, source.begin(), source.end());
    } else {
      n = std::min(n, count - index);
      std::vector<int> out(static_cast<size_t>(n) + 1, -7);
      void* at = vek::arr_delete(storage.data(), 4, &count, index, n, out.data());
      ASSERT_EQ(at, storage.data() + index);
      EXPECT_TRUE(std::equal(out.begin(), out.end() - 1, reference.begin() + index));
      EXPECT_EQ(out.back(), -7);
      reference.erase(reference.begin() + index, reference.begin() + index + n);
    }
    ASSERT_EQ(count, static_cast<int>(reference.size()));
    ASSERT_TRUE(std::equal(reference.begin(), reference.end(), storage.begin()));
  }
}

TEST_F(ArraysTest, InsertAtTheEndAppendsAndDeleteOfTheTailMovesNothing) {
  int storage[6] = {1, 2, 3, 0, 0, 99};
  int count = 3;
  const int more[] = {4, 5};
  EXPECT_EQ(vek::arr_insert(storage, 4, &count, 3, 2, more), storage + 3);
  EXPECT_EQ(count, 5);
  EXPECT_EQ(storage[3], 4);
  EXPECT_EQ(storage[4], 5);
  EXPECT_EQ(storage[5], 99);
  // An element before the index may be the source: it does not move.
  EXPECT_EQ(vek::arr_insert(storage, 4, &count, 5, 1, storage), storage + 5);
  EXPECT_EQ(storage[5], 1);
  EXPECT_EQ(vek::arr_delete(storage, 4, &count, 4, 2, nullptr), storage + 4);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(storage[4], 5);  // left as it was
  EXPECT_EQ(vek::arr_insert(storage, 4, &count, 1, 0, more), storage + 1);
  EXPECT_EQ(vek::arr_delete(storage, 4, &count, 4, 0, storage + 1), storage + 4);
  EXPECT_EQ(count, 4);
}

// A misused call on an array of 8 ints; source -1 stands for no buffer.
struct Misuse {
  const char* name;
  bool insert;
  int count, index, n, source;
  const char* printed;
};

const Misuse kMisuses[] = {
    {"InsertNegativeCount", true, -1, 0, 1, -1, "arr_insert wrong call\\. \n"},
    {"InsertIndexBelowZero", true, 2, -1, 1, -1, "arr_insert wrong call\\. \n"},
    {"InsertIndexAboveCount", true, 2, 3, 1, -1, "arr_insert wrong call\\. \n"},
    {"InsertNegativeN", true, 2, 0, -1, -1, "arr_insert wrong call\\. \n"},
    {"InsertFromTheGap", true, 2, 1, 2, 2, "arr_insert bad data pointer\\. \n"},
    {"InsertFromTheMovingTail", true, 4, 1, 1, 3, "arr_insert bad data pointer\\. \n"},
    {"InsertFromAcrossTheIndex", true, 4, 2, 2, 1, "arr_insert bad data pointer\\. \n"},
    {"DeleteNegativeCount", false, -2, 0, 0, -1, "arr_delete wrong call\\. \n"},
    {"DeleteIndexAboveCount", false, 2, 3, 0, -1, "arr_delete wrong call\\. \n"},
    {"DeletePastTheEnd", false, 3, 2, 2, -1, "arr_delete wrong call\\. \n"},
    {"DeleteNegativeN", false, 3, 1, -1, -1, "arr_delete wrong call\\. \n"},
    {"DeleteIntoTheArray", false, 5, 1, 1, 3, "arr_delete  bad data pointer\\. \n"},
    {"DeleteIntoAcrossTheIndex", false, 5, 2, 2, 1, "arr_delete  bad data pointer\\. \n"},
};

void misuse(const Misuse& m) {
  static int storage[8];
  int count = m.count;
  int* buffer = m.source < 0 ? nullptr : storage + m.source;
  if (m.insert)
    vek::arr_insert(storage, 4, &count, m.index, m.n, buffer);
  else
    vek::arr_delete(storage, 4, &count, m.index, m.n, buffer);
}

TEST_F(ArraysDeathTest, MisusedPlainArrayCallsEndTheProcess) {
  for (const Misuse& m : kMisuses) {
    SCOPED_TRACE(m.name);
    EXPECT_EXIT(
        {
          yrltest::route_console_to_stderr();
          misuse(m);
        },
        ::testing::ExitedWithCode(2), m.printed);
  }
}

// ---------------------------------------------------------------------------------------
// Rotation, reversal and swaps

TEST_F(ArraysTest, ShiftRotatesLeft) {
  int values[] = {1, 2, 3, 4};
  EXPECT_EQ(vek::shift_elem_array(values, 4, 1, 4), 1);
  EXPECT_EQ(std::vector<int>(values, values + 4), (std::vector<int>{2, 3, 4, 1}));
  struct Case {
    int shift;
    int result;
  };
  for (Case c : {Case{4, 0}, Case{5, 0}, Case{-1, 0}, Case{0, 1}}) {
    EXPECT_EQ(vek::shift_elem_array(values, 4, c.shift, 4), c.result) << c.shift;
    EXPECT_EQ(std::vector<int>(values, values + 4), (std::vector<int>{2, 3, 4, 1}));
  }
  EXPECT_EQ(vek::shift_elem_array(nullptr, 4, 1, 4), 0);
}

TEST_F(ArraysTest, ShiftAgreesWithRotateOnBothBufferPaths) {
  // 100 ints fit the 400-byte stack buffer; more take a memory block, given back.
  for (int count : {2, 99, 100, 101, 5000}) {
    for (int shift : {1, count / 3, count - 1}) {
      if (shift < 1) continue;
      std::vector<int> values(static_cast<size_t>(count));
      std::iota(values.begin(), values.end(), 0);
      std::vector<int> expected = values;
      std::rotate(expected.begin(), expected.begin() + shift, expected.end());
      int blocks = live_blocks();
      EXPECT_EQ(vek::shift_elem_array(values.data(), 4, shift, count), 1);
      EXPECT_EQ(values, expected) << count << " " << shift;
      EXPECT_EQ(live_blocks(), blocks);
    }
  }
}

TEST_F(ArraysTest, ReverseAndSwaps) {
  struct Three {
    char c[3];
  };
  std::vector<Three> objects(7);
  for (int i = 0; i < 7; ++i) objects[i] = Three{{char('a' + i), char('A' + i), char(i)}};
  std::vector<Three> expected = objects;
  std::reverse(expected.begin(), expected.end());
  EXPECT_EQ(vek::reverse_obj_array(objects.data(), 7, 3), 1);
  EXPECT_EQ(std::memcmp(objects.data(), expected.data(), 21), 0);
  EXPECT_EQ(vek::reverse_obj_array(nullptr, 5, 3), 1);
  EXPECT_EQ(vek::reverse_obj_array(objects.data(), 1, 3), 1);

  // Areas larger than the swap buffer go over in pieces.
  std::vector<char> a(2500), b(2500);
  for (size_t i = 0; i < a.size(); ++i) {
    a[i] = static_cast<char>(i % 251);
    b[i] = static_cast<char>(i % 13);
  }
  std::vector<char> a0 = a, b0 = b;
  vek::swap_objects(a.data(), b.data(), a.size());
  EXPECT_EQ(a, b0);
  EXPECT_EQ(b, a0);

  int i = 1, j = 2;
  vek::swap_ints(&i, &j);
  EXPECT_EQ(i, 2);
  EXPECT_EQ(j, 1);
  double x = 1.5, y = -2.5;
  vek::swap_doubles(&x, &y);
  EXPECT_EQ(x, -2.5);
  EXPECT_EQ(y, 1.5);
  int* p = &i;
  int* q = &j;
  vek::swap_pointers(&p, &q);
  EXPECT_EQ(p, &j);
  EXPECT_EQ(q, &i);
}

// ---------------------------------------------------------------------------------------
// Pointer arrays

void* item(std::uintptr_t value) { return reinterpret_cast<void*>(value); }

void** pointer_list(const std::vector<void*>& values) {
  void** list = nullptr;
  vek::xar_alloc_or_resize(&list, static_cast<int>(values.size()), sizeof(void*), 1);
  std::copy(values.begin(), values.end(), list);
  return list;
}

std::vector<void*> pointers_of(void* const* list) {
  return std::vector<void*>(list, list + vek::xar_count(&list));
}

TEST_F(ArraysTest, PointerComparesAreUnsigned) {
  void* high = item(~std::uintptr_t{0});
  EXPECT_EQ(vek::compare_ptrs(item(1), high), -1);
  EXPECT_EQ(vek::compare_ptrs(high, item(1)), 1);
  EXPECT_EQ(vek::compare_ptrs(high, high), 0);

  std::vector<void*> values = {item(5), high, item(0), item(5), item(1)};
  std::vector<void*> sorted = values;
  std::sort(sorted.begin(), sorted.end(),
            [](void* a, void* b) { return reinterpret_cast<std::uintptr_t>(a) <
                                          reinterpret_cast<std::uintptr_t>(b); });
  vek::simple_sort_ptrs(values.data(), 5);
  EXPECT_EQ(values, sorted);
  EXPECT_EQ(vek::simple_search_ptrs(values.data(), 5, high), 4);
  EXPECT_EQ(vek::simple_search_ptrs(values.data(), 5, item(0)), 0);
  EXPECT_EQ(vek::simple_search_ptrs(values.data(), 5, item(3)), -1);

  EXPECT_EQ(vek::find_ptr_in_array(values.data(), item(5), 5), 2);
  EXPECT_EQ(vek::find_ptr_in_array(values.data(), item(7), 5), -1);
  EXPECT_EQ(vek::find_ptr_in_array(nullptr, item(7), 5), -1);
  EXPECT_EQ(vek::is_ptr_in_array(values.data(), high, 5), 1);
  EXPECT_EQ(vek::is_ptr_in_array(values.data(), high, 4), 0);
}

TEST_F(ArraysTest, CompressAndUniquifyPointerArrays) {
  void** list = pointer_list({nullptr, item(3), nullptr, item(1), item(3), nullptr});
  EXPECT_EQ(vek::compress_pointer_array(&list), 3);
  EXPECT_EQ(pointers_of(list), (std::vector<void*>{item(3), item(1), item(3)}));
  vek::xar_free(&list);
  void** none = nullptr;
  EXPECT_EQ(vek::compress_pointer_array(&none), 0);

  list = pointer_list({item(1), item(1), item(2), item(3), item(3), item(3), item(4)});
  EXPECT_EQ(vek::uniquify_sorted_pointer_array(&list, 7), 0);
  EXPECT_EQ(pointers_of(list), (std::vector<void*>{item(1), item(2), item(3), item(4)}));
  vek::xar_free(&list);

  std::mt19937 random(9);
  std::vector<void*> values;
  for (int i = 0; i < 300; ++i) values.push_back(item(1 + random() % 60));
  list = pointer_list(values);
  std::sort(values.begin(), values.end());
  values.erase(std::unique(values.begin(), values.end()), values.end());
  EXPECT_EQ(vek::uniquify_pointer_array(&list, vek::compare_ptrs),
            static_cast<int>(values.size()));
  EXPECT_EQ(pointers_of(list), values);
  vek::xar_free(&list);
}

TEST_F(ArraysTest, ReleasingPointerArraysReleasesTheirBlocks) {
  int blocks = live_blocks();
  void** list = pointer_list({vek::getmem(10), nullptr, vek::getmem(300)});
  EXPECT_EQ(live_blocks(), blocks + 3);
  vek::release_ptr_xar(&list);
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(live_blocks(), blocks);
  vek::release_ptr_xar(&list);
  vek::release_ptr_xar(nullptr);

  VynWchar** wide = nullptr;
  const VynWchar* texts[] = {u"one", u"two"};
  vek::copy_wstring_array_to_xarray(texts, 2, &wide);
  vek::release_wstring_xarray(&wide);
  EXPECT_EQ(wide, nullptr);
  EXPECT_EQ(live_blocks(), blocks);
}

struct Named {
  int id;
  const char* name;
};

int compare_named(const void* a, const void* b) {
  return std::strcmp(static_cast<const Named*>(a)->name, static_cast<const Named*>(b)->name);
}

int compare_name_with_named(const void* key, const void* b) {
  return std::strcmp(static_cast<const char*>(key), static_cast<const Named*>(b)->name);
}

TEST_F(ArraysTest, SortedPointerIndexFindsItemsByKey) {
  const char* names[] = {"pear", "apple", "fig", "kiwi", "date", "lime", "plum"};
  std::vector<Named> records;
  for (int i = 0; i < 7; ++i) records.push_back(Named{i, names[i]});
  std::vector<void*> items;
  for (Named& r : records) items.push_back(&r);

  void** sorted = nullptr;
  EXPECT_EQ(vek::make_sorted_ptr_ptrs(7, compare_named, items.data(), &sorted), sorted);
  ASSERT_EQ(vek::xar_count(&sorted), 7);
  std::vector<std::string> order;
  for (int i = 0; i < 7; ++i)
    order.push_back(static_cast<Named*>(*static_cast<void**>(sorted[i]))->name);
  std::vector<std::string> expected(names, names + 7);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(order, expected);

  for (int i = 0; i < 7; ++i)
    EXPECT_EQ(vek::sorted_ptr_ptrs_lookup(7, compare_name_with_named, names[i], items.data(),
                                          sorted),
              i);
  EXPECT_EQ(vek::sorted_ptr_ptrs_lookup(7, compare_name_with_named, "grape", items.data(), sorted), -1);
  EXPECT_EQ(vek::sorted_ptr_ptrs_lookup(0, compare_name_with_named, "fig", items.data(), sorted), -1);
  EXPECT_EQ(vek::sorted_ptr_ptrs_lookup(7, compare_name_with_named, "fig", items.data(), nullptr), -1);

  // A second call resizes the same array.
  EXPECT_EQ(vek::make_sorted_ptr_ptrs(3, compare_named, items.data(), &sorted), sorted);
  EXPECT_EQ(vek::xar_count(&sorted), 3);
  EXPECT_EQ(vek::sorted_ptr_ptrs_lookup(3, compare_name_with_named, "apple", items.data(), sorted), 1);
  vek::xar_free(&sorted);
}

// ---------------------------------------------------------------------------------------
// Int lists

TEST_F(ArraysTest, IntSortsAgreeWithStdSort) {
  std::mt19937 random(11);
  for (int count : {0, 1, 2, 17, 500}) {
    std::vector<int> values(static_cast<size_t>(count));
    for (int& v : values) v = static_cast<int>(random());
    if (count > 3) {
      values[0] = INT_MIN;
      values[1] = INT_MAX;
      values[2] = -1;
    }
    std::vector<int> expected = values;
    std::sort(expected.begin(), expected.end());

    std::vector<int> shell = values;
    vek::sort_ints(shell.data(), count);
    EXPECT_EQ(shell, expected);

    // Extremes must not overflow a difference.
    std::vector<int> insertion = values;
    if (count > 0) vek::sort_ints_short(0, count - 1, insertion.data());
    EXPECT_EQ(insertion, expected);

    int* list = int_list(values);
    vek::simple_sort_int_list(list);
    EXPECT_EQ(values_of(list), expected);
    vek::xar_free(&list);
  }
  std::vector<int> part = {9, 5, 3, 1, 0};
  vek::sort_ints_short(1, 3, part.data());
  EXPECT_EQ(part, (std::vector<int>{9, 1, 3, 5, 0}));
  EXPECT_EQ(vek::int_cmp(INT_MIN, INT_MAX), -1);
  EXPECT_EQ(vek::int_cmp(3, 3), 0);
}

TEST_F(ArraysTest, UniquifyFillAndMembership) {
  int* list = int_list({4, 1, 4, 3, 1, 1, -2});
  EXPECT_EQ(vek::uniquify_int_array(&list), 4);
  EXPECT_EQ(values_of(list), (std::vector<int>{-2, 1, 3, 4}));
  EXPECT_EQ(vek::int_in_list(3, list), 2);
  EXPECT_EQ(vek::int_in_list(2, list), -1);
  EXPECT_EQ(vek::int_is_in_list(-2, list), 1);
  EXPECT_EQ(vek::int_is_in_list(0, list), 0);
  EXPECT_EQ(vek::int_in_list(0, nullptr), -1);
  vek::fill_int_list(list, 7);
  EXPECT_EQ(values_of(list), (std::vector<int>{7, 7, 7, 7}));
  vek::fill_int_list(nullptr, 7);
  vek::xar_free(&list);
}

TEST_F(ArraysTest, ListComparisons) {
  struct Case {
    std::vector<int> a, b;
    int in_list, compared;
  };
  const Case cases[] = {
      {{1, 2}, {1, 3}, 0, 1},
      {{1, 3}, {1, 2}, 0, -1},
      {{2, 1}, {1, 2}, 1, -1},
      {{3}, {1, 2, 3}, 1, 2},
      {{1, 2, 3}, {3}, 0, -2},
      {{}, {}, 1, 0},
      {{INT_MIN}, {INT_MAX}, 0, INT_MAX},  // the sign survives a difference too large
      {{INT_MAX}, {INT_MIN}, 0, INT_MIN},
  };
  for (const Case& c : cases) {
    int* a = int_list(c.a);
    int* b = int_list(c.b);
    EXPECT_EQ(vek::list_in_list(a, b), c.in_list);
    EXPECT_EQ(vek::cmpr_int_lists(a, b), c.compared);
    vek::xar_free(&a);
    vek::xar_free(&b);
  }
  const int a[] = {1, 2, 3};
  const int b[] = {1, 2, 3, 4};
  EXPECT_EQ(vek::arr_is_substr_of_arr(a, 3, b, 4), 1);
  EXPECT_EQ(vek::arr_is_substr_of_arr(a, 3, b, 3), 0);  // not shorter
  EXPECT_EQ(vek::arr_is_substr_of_arr(b + 1, 2, b, 4), 0);
  EXPECT_EQ(vek::arr_is_substr_of_arr(a, 0, b, 1), 1);
}

// ---------------------------------------------------------------------------------------
// Id sets

TEST_F(ArraysTest, IdSetsFollowStdSet) {
  std::mt19937 random(5);
  std::set<int> reference;
  int* set = nullptr;
  for (int step = 0; step < 3000; ++step) {
    int id = static_cast<int>(random() % 200) - 50;
    if (random() % 3 != 0) {
      int present = reference.count(id) ? 1 : 0;
      int position = -1;
      EXPECT_EQ(vek::id_insert_low(&set, id, 1, &position), present);
      reference.insert(id);
      EXPECT_EQ(position, std::distance(reference.begin(), reference.find(id)));
    } else {
      EXPECT_EQ(vek::id_remove(&set, id), reference.erase(id) ? 1 : 0);
    }
    ASSERT_EQ(values_of(set), std::vector<int>(reference.begin(), reference.end()));
    EXPECT_EQ(vek::id_search(set, id), reference.count(id) ? 1 : 0);
  }
  vek::xar_free(&set);
}

TEST_F(ArraysTest, IdInsertMakesTheSetAndKeepsDuplicatesOnlyWhenAsked) {
  int* set = nullptr;
  EXPECT_EQ(vek::id_insert(&set, 5), 0);
  int size = 0, step = 0;
  vek::xar_params(&set, &size, &step, nullptr, nullptr);
  EXPECT_EQ(size, 4);
  EXPECT_EQ(step, 2);
  EXPECT_EQ(vek::id_insert(&set, 2), 0);
  EXPECT_EQ(vek::id_insert(&set, 5), 1);
  EXPECT_EQ(values_of(set), (std::vector<int>{2, 5}));
  int position = -1;
  EXPECT_EQ(vek::id_insert_low(&set, 5, 0, &position), 1);
  EXPECT_EQ(values_of(set), (std::vector<int>{2, 5, 5}));
  EXPECT_EQ(vek::id_remove(&set, 9), 0);
  EXPECT_EQ(vek::id_search(nullptr, 9), 0);
  int* none = nullptr;
  EXPECT_EQ(vek::id_remove(&none, 9), 0);
  vek::xar_free(&set);
}

TEST_F(ArraysTest, SortAndCleanIdsDropsDuplicatesAndMinusOne) {
  struct Case {
    std::vector<int> in, out;
  };
  const Case cases[] = {
      {{5, -1, 3, 5, -1}, {3, 5}},
      {{-1, -1}, {}},
      {{-1}, {}},
      {{7}, {7}},
      {{-5, -1, 3, -5}, {-5, 3}},
      {{2, 2, 2}, {2}},
  };
  for (const Case& c : cases) {
    int* ids = int_list(c.in);
    EXPECT_EQ(vek::sort_and_clean_ids(&ids), static_cast<int>(c.out.size()));
    EXPECT_EQ(values_of(ids), c.out);
    vek::xar_free(&ids);
  }
  int* none = nullptr;
  EXPECT_EQ(vek::sort_and_clean_ids(&none), 0);
  EXPECT_EQ(vek::sort_and_clean_ids(nullptr), 0);

  std::mt19937 random(13);
  std::vector<int> values;
  for (int i = 0; i < 400; ++i) values.push_back(static_cast<int>(random() % 40) - 10);
  std::set<int> expected(values.begin(), values.end());
  expected.erase(-1);
  int* ids = int_list(values);
  EXPECT_EQ(vek::sort_and_clean_ids(&ids), static_cast<int>(expected.size()));
  EXPECT_EQ(values_of(ids), std::vector<int>(expected.begin(), expected.end()));
  vek::xar_free(&ids);
}

std::vector<int> random_set(std::mt19937& random, int size, int range) {
  std::set<int> values;
  while (static_cast<int>(values.size()) < size) values.insert(static_cast<int>(random() % range));
  return std::vector<int>(values.begin(), values.end());
}

TEST_F(ArraysTest, SetOperationsAgreeWithTheStandardAlgorithms) {
  std::mt19937 random(17);
  for (int round = 0; round < 50; ++round) {
    std::vector<int> a = random_set(random, static_cast<int>(random() % 30), 60);
    std::vector<int> b = random_set(random, static_cast<int>(random() % 30), 60);
    std::vector<int> difference, common;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(difference));
    std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(common));

    int* la = int_list(a);
    int* lb = int_list(b);
    int* out = nullptr;
    EXPECT_EQ(vek::intersect_int_sets(la, lb, &out), static_cast<int>(common.size()));
    EXPECT_EQ(values_of(out), common);
    EXPECT_EQ(vek::int_sets_intersect(la, lb), common.empty() ? 0 : 1);
    vek::subtract_int_sets(&la, lb);
    EXPECT_EQ(values_of(la), difference);
    vek::xar_free(&la);
    vek::xar_free(&lb);
    vek::xar_free(&out);
  }
}

TEST_F(ArraysTest, IntersectionMayReplaceAnInput) {
  int* a = int_list({1, 2, 2, 5, 8});
  int* b = int_list({2, 2, 3, 8, 9});
  EXPECT_EQ(vek::intersect_int_sets(a, b, &a), 3);
  EXPECT_EQ(values_of(a), (std::vector<int>{2, 2, 8}));
  EXPECT_EQ(vek::intersect_int_sets(a, nullptr, &a), 0);
  EXPECT_EQ(vek::xar_count(&a), 0);
  EXPECT_EQ(vek::int_sets_intersect(nullptr, b), 0);
  vek::subtract_int_sets(&b, nullptr);
  EXPECT_EQ(values_of(b), (std::vector<int>{2, 2, 3, 8, 9}));
  vek::xar_free(&a);
  vek::xar_free(&b);
}

// ---------------------------------------------------------------------------------------
// String arrays

std::vector<std::string> narrow_of(char* const* list) {
  std::vector<std::string> out;
  for (int i = 0; i < vek::xar_count(&list); ++i) out.push_back(list[i] ? list[i] : "<null>");
  return out;
}

std::vector<std::u16string> wide_of(VynWchar* const* list) {
  std::vector<std::u16string> out;
  for (int i = 0; i < vek::xar_count(&list); ++i) out.push_back(list[i] ? list[i] : u"<null>");
  return out;
}

TEST_F(ArraysTest, StringArraysOwnTheirStrings) {
  int blocks = live_blocks();
  char** list = nullptr;
  const char* first[] = {"alpha", nullptr, "gamma"};
  EXPECT_EQ(vek::copy_string_array_to_xarray(first, 3, &list), 0);
  EXPECT_EQ(narrow_of(list), (std::vector<std::string>{"alpha", "<null>", "gamma"}));
  EXPECT_NE(list[0], first[0]);
  EXPECT_EQ(vek::getmem_area_size(list[0]), 6);
  EXPECT_EQ(live_blocks(), blocks + 3);

  // A second copy releases the strings it replaces.
  const char* second[] = {"x"};
  vek::copy_string_array_to_xarray(second, 1, &list);
  EXPECT_EQ(narrow_of(list), (std::vector<std::string>{"x"}));
  EXPECT_EQ(live_blocks(), blocks + 2);

  EXPECT_EQ(vek::resize_string_xarray(&list, 4), 0);
  EXPECT_EQ(narrow_of(list), (std::vector<std::string>{"x", "<null>", "<null>", "<null>"}));
  list[3] = vek::make_scopy("last");
  EXPECT_EQ(live_blocks(), blocks + 3);
  vek::resize_string_xarray(&list, 1);
  EXPECT_EQ(narrow_of(list), (std::vector<std::string>{"x"}));
  EXPECT_EQ(live_blocks(), blocks + 2);

  EXPECT_EQ(vek::rls_string_xarray(&list), 0);
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(live_blocks(), blocks);
  EXPECT_EQ(vek::rls_string_xarray(&list), 0);

  // Bad calls change nothing.
  EXPECT_EQ(vek::resize_string_xarray(nullptr, 2), 0);
  EXPECT_EQ(vek::resize_string_xarray(&list, -1), 0);
  EXPECT_EQ(vek::resize_string_xarray(&list, 0), 0);
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(vek::resize_string_xarray(&list, 2), 0);
  EXPECT_EQ(vek::xar_count(&list), 2);
  vek::rls_string_xarray(&list);
  EXPECT_EQ(live_blocks(), blocks);
}

TEST_F(ArraysTest, WideStringArrayCopies) {
  int blocks = live_blocks();
  VynWchar** source = nullptr;
  const VynWchar* texts[] = {u"zero", nullptr, u"two", u"", u"four"};
  vek::copy_wstring_array_to_xarray(texts, 5, &source);
  EXPECT_EQ(vek::getmem_area_size(source[0]), 10);

  VynWchar** all = nullptr;
  EXPECT_EQ(vek::copy_wstring_xarray(&source, &all, 3), all);
  EXPECT_EQ(wide_of(all), wide_of(source));
  EXPECT_NE(all[0], source[0]);
  int size = 0, step = 0;
  vek::xar_params(&all, &size, &step, nullptr, nullptr);
  EXPECT_EQ(size, static_cast<int>(sizeof(void*)));
  EXPECT_EQ(step, 3);

  VynWchar** part = nullptr;
  vek::copy_wstring_xarray_from_to(&source, &part, 1, 1, 3);
  EXPECT_EQ(wide_of(part), (std::vector<std::u16string>{u"<null>", u"two", u""}));

  VynWchar** empty = nullptr;
  EXPECT_NE(vek::copy_wstring_xarray_from_to(&source, &empty, 1, 2, 1), nullptr);
  EXPECT_EQ(vek::xar_count(&empty), 0);
  VynWchar** none = part;
  EXPECT_EQ(vek::copy_wstring_xarray_from_to(&source, &none, 1, 3, 1), nullptr);
  EXPECT_EQ(none, nullptr);
  // A range outside the source is refused rather than read.
  EXPECT_EQ(vek::copy_wstring_xarray_from_to(&source, &none, 1, 3, 5), nullptr);
  EXPECT_EQ(vek::copy_wstring_xarray_from_to(&source, &none, 1, -1, 2), nullptr);
  EXPECT_EQ(none, nullptr);

  for (VynWchar*** list : {&source, &all, &part, &empty}) vek::release_wstring_xarray(list);
  EXPECT_EQ(live_blocks(), blocks);
}

TEST_F(ArraysTest, ConversionsAppendToTheArray) {
  int blocks = live_blocks();
  VynWchar** wide = nullptr;
  const char* narrow_texts[] = {"abc", nullptr, "caf\xe9"};
  EXPECT_EQ(vek::char_array_to_wchar_xarray(narrow_texts, 2, &wide), 1);
  EXPECT_EQ(vek::char_array_to_wchar_xarray(narrow_texts + 2, 1, &wide), 1);
  EXPECT_EQ(wide_of(wide), (std::vector<std::u16string>{u"abc", u"<null>", u"caf\u00e9"}));
  EXPECT_EQ(vek::getmem_area_size(wide[0]), 8);

  char** narrow = nullptr;
  std::u16string long_text(300, u'w');
  long_text[254] = u'y';
  long_text[255] = u'z';
  const VynWchar* wide_texts[] = {u"caf\u00e9", nullptr, u"\u20ac!", long_text.c_str()};
  EXPECT_EQ(vek::wchar_array_to_char_xarray(wide_texts, 4, &narrow), 1);
  ASSERT_EQ(vek::xar_count(&narrow), 4);
  EXPECT_STREQ(narrow[0], "caf\xe9");
  EXPECT_EQ(narrow[1], nullptr);
  EXPECT_STREQ(narrow[2], "\x80!");  // the euro sign has a byte in English
  // Each narrow copy stays in its 256-byte block.
  EXPECT_EQ(vek::getmem_area_size(narrow[3]), 256);
  EXPECT_EQ(std::string(narrow[3]), std::string(254, 'w') + "y");

  EXPECT_EQ(vek::wchar_array_to_char_xarray(wide_texts, 0, &narrow), 1);
  EXPECT_EQ(vek::xar_count(&narrow), 4);
  EXPECT_EQ(vek::wchar_array_to_char_xarray(wide_texts, 1, nullptr), 0);
  vek::rls_string_xarray(&narrow);
  vek::release_wstring_xarray(&wide);
  EXPECT_EQ(live_blocks(), blocks);
}

// ---------------------------------------------------------------------------------------
// Arrays of another element size

// Each operation writes ints or pointers into the array at p_x. Given an existing array
// of 2-byte elements it reports it under its own name and leaves it alone, where it would
// otherwise write (or release) with the wrong stride past the elements.
TEST_F(ArraysTest, WritersRefuseAnArrayOfAnotherElementSize) {
  struct Case {
    const char* name;
    int request;  // the element size the operation writes
    std::function<long(void*)> call;
  };
  static const char* const narrow[] = {"a", "b"};
  static const VynWchar* const wide[] = {u"a", u"b"};
  static int ints[] = {2, 1};
  static void* const items[] = {&ints[0], &ints[1]};
  const int* set_a = int_list({1, 2, 3});
  const int* set_b = int_list({2, 3});
  const int ptr = static_cast<int>(sizeof(void*));
  auto by_value = [](const void* a, const void* b) {
    return *static_cast<const int*>(a) - *static_cast<const int*>(b);
  };
  std::vector<Case> cases = {
      {"make_sorted_ptr_ptrs", ptr,
       [&](void* p_x) {
         return vek::make_sorted_ptr_ptrs(2, by_value, items, p_x) != nullptr ? 1L : 0L;
       }},
      {"id_insert_low", 4,
       [](void* p_x) {
         int position = -1;
         long found = vek::id_insert_low(p_x, 7, 0, &position);
         return found + 10L * position;
       }},
      {"intersect_int_sets", 4,
       [&](void* p_x) { return long{vek::intersect_int_sets(set_a, set_b, p_x)}; }},
      {"copy_string_array_to_xarray", ptr,
       [](void* p_x) { return long{vek::copy_string_array_to_xarray(narrow, 2, p_x)}; }},
      {"copy_wstring_array_to_xarray", ptr,
       [](void* p_x) { return long{vek::copy_wstring_array_to_xarray(wide, 2, p_x)}; }},
      {"resize_string_xarray", ptr,
       [](void* p_x) { return long{vek::resize_string_xarray(p_x, 1)}; }},
      {"char_array_to_wchar_xarray", ptr,
       [](void* p_x) { return long{vek::char_array_to_wchar_xarray(narrow, 2, p_x)}; }},
      {"wchar_array_to_char_xarray", ptr,
       [](void* p_x) { return long{vek::wchar_array_to_char_xarray(wide, 2, p_x)}; }},
  };
  const int blocks = live_blocks();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const short values[] = {0x1111, 0x2222, 0x3333};
    short* x = nullptr;
    vek::array_to_xarray(values, 3, sizeof(short), 1, &x);
    short* const before = x;
    yrltest::SeriousReports reports;
    EXPECT_EQ(c.call(&x), 0);
    EXPECT_EQ(x, before);
    EXPECT_EQ(std::vector<short>(x, x + vek::xar_count(&x)),
              std::vector<short>(values, values + 3));
    EXPECT_EQ(reports.lines(), (std::vector<std::string>{
                                   std::string(c.name) + ":  inconsistent size: old (2) != "
                                   "request (" + std::to_string(c.request) +
                                   ") - SERIOUS ERROR."}));
    vek::xar_free(&x);
    EXPECT_EQ(live_blocks(), blocks);
  }
  vek::xar_free(&set_a);
  vek::xar_free(&set_b);
}

// ---------------------------------------------------------------------------------------
// Function tables

void first_function() {}
void second_function() {}
void third_function() {}

TEST_F(ArraysTest, FunctionTablesByKey) {
  const vek::VekFunctabRow ordered[] = {
      {0, first_function}, {1, second_function}, {2, third_function}, {-1, nullptr}};
  const vek::VekFunctabRow misplaced[] = {
      {0, first_function}, {5, second_function}, {1, third_function}, {-1, nullptr}};

  EXPECT_EQ(vek::find_func_in_functab_by_key(misplaced, 5), second_function);
  EXPECT_EQ(vek::find_func_in_functab_by_key(misplaced, 3), nullptr);
  EXPECT_EQ(vek::find_func_in_functab_by_key(nullptr, 0), nullptr);

  struct Case {
    const vek::VekFunctabRow* table;
    int key;
    vek::VekFunctabFunc expected;
  };
  const Case cases[] = {
      {ordered, 0, first_function},   {ordered, 2, third_function},
      {misplaced, 5, second_function}, {misplaced, 1, third_function},
      {misplaced, 2, nullptr},         {ordered, 3, nullptr},
      {ordered, 40, nullptr},          {ordered, -7, nullptr},
      {ordered, -1, nullptr},          {nullptr, 0, nullptr},
  };
  for (const Case& c : cases)
    EXPECT_EQ(vek::get_func_from_functab(c.table, c.key), c.expected) << c.key;

  vek::VekFunctabRow* copy = vek::functab_to_xarray(misplaced);
  ASSERT_EQ(vek::xar_count(&copy), 4);
  int size = 0;
  vek::xar_params(&copy, &size, nullptr, nullptr, nullptr);
  EXPECT_EQ(size, static_cast<int>(sizeof(vek::VekFunctabRow)));
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(copy[i].key, misplaced[i].key);
    EXPECT_EQ(copy[i].func, misplaced[i].func);
  }
  vek::xar_free(&copy);
  EXPECT_EQ(vek::functab_to_xarray(nullptr), nullptr);
}

}  // namespace
