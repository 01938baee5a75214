// The host's arrays and strings: as the plug-in reaches them and as the host's modules
// make and read them.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "host/api/data_behaviours.h"
#include "host/util/host_arrays.h"
#include "host/plugin/host_table.h"
#include "host/util/host_testing.h"
#include "host/util/live_objects.h"
#include "tests/host/host_test.h"

namespace {

using yrlhost::Behaviour;
using yrlhost::HostApi;
using yrlhost::live_object_count;
using yrlhost::LiveKind;

class HostArrays : public yrltest::HostTest {
 protected:
  static VynArray alloc(int n, int size, int growth = 1) {
    VynArray array = nullptr;
    EXPECT_EQ(Behaviour<HostApi::VynArrayAlloc>::run(1, n, size, growth, &array), 0);
    return array;
  }
  static std::vector<int> ints(VynArray array) {
    int size = -1;
    EXPECT_EQ(Behaviour<HostApi::VynArraySizeGet>::run(1, array, &size), 0);
    const int* first = static_cast<const int*>(array);
    return std::vector<int>(first, first + size);
  }
};

TEST_F(HostArrays, AllocGivesZeroedAlignedElementsOrRefuses) {
  struct Case {
    int n, size, growth;
    VynError status;
  };
  const Case cases[] = {
      {0, 4, 1, 0}, {6, 4, 1, 0}, {25, 152, 1, 0}, {3, 8, 0, 0}, {2, 12, -5, 0},  // growth < 1: one
      {-1, 4, 1, -2}, {2, 0, 1, -2}, {2, -4, 1, -2}, {0x7fffffff, 0x7fffffff, 1, -2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.n << " x " << c.size);
    VynArray array = reinterpret_cast<VynArray>(std::uintptr_t{0x5eed});
    ASSERT_EQ(Behaviour<HostApi::VynArrayAlloc>::run(1, c.n, c.size, c.growth, &array), c.status);
    if (c.status != 0) {
      EXPECT_EQ(array, reinterpret_cast<VynArray>(std::uintptr_t{0x5eed}));  // left alone
      continue;
    }
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(array) % alignof(double), 0u);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(array) % alignof(void*), 0u);
    int size = -1;
    EXPECT_EQ(Behaviour<HostApi::VynArraySizeGet>::run(1, array, &size), 0);
    EXPECT_EQ(size, c.n);
    EXPECT_EQ(yrlhost::host_array_element_size(array), c.size);
    std::vector<unsigned char> zeros(static_cast<std::size_t>(c.n) * c.size, 0);
    if (!zeros.empty()) {
      EXPECT_EQ(std::memcmp(array, zeros.data(), zeros.size()), 0);
    }
    EXPECT_EQ(Behaviour<HostApi::VynArrayFree>::run(1, &array), 0);
    EXPECT_EQ(array, nullptr);
  }
  EXPECT_EQ(Behaviour<HostApi::VynArrayAlloc>::run(1, 1, 4, 1, nullptr), -2);
  EXPECT_EQ(live_object_count(LiveKind::array), 0u);
}

// A count that takes one-byte elements past what an int counts is refused before the
// source is read.
TEST_F(HostArrays, AddPastTheLargestCountIsRefused) {
  VynArray array = alloc(1, 1);
  unsigned char byte = 7;
  EXPECT_EQ(Behaviour<HostApi::VynArrayObjectAdd>::run(1, &array, -1, 0x7fffffff, &byte), -2);
  EXPECT_EQ(yrlhost::host_array_size(array), 1);
  EXPECT_EQ(Behaviour<HostApi::VynArrayFree>::run(1, &array), 0);
}

TEST_F(HostArrays, AddAndRemoveFollowIndexAndCount) {
  enum Op { add, remove };
  struct Step {
    Op op;
    int index;
    std::vector<int> values;  // added; for remove, values[0] is the count
    VynError status;
    std::vector<int> after;
  };
  const Step steps[] = {
      {add, -1, {1, 2}, 0, {1, 2}},
      {add, 0, {7}, 0, {7, 1, 2}},
      {add, 1, {8, 9}, 0, {7, 8, 9, 1, 2}},
      {add, 5, {3}, 0, {7, 8, 9, 1, 2, 3}},      // at the count: appends
      {add, 7, {4}, -2, {7, 8, 9, 1, 2, 3}},     // beyond the count
      {add, -2, {4}, -2, {7, 8, 9, 1, 2, 3}},
      {add, -1, {}, 0, {7, 8, 9, 1, 2, 3}},      // nothing to add
      {remove, 1, {2}, 0, {7, 1, 2, 3}},
      {remove, 3, {1}, 0, {7, 1, 2}},
      {remove, 2, {2}, -2, {7, 1, 2}},           // runs past the end
      {remove, -1, {1}, -2, {7, 1, 2}},
      {remove, 0, {-1}, -2, {7, 1, 2}},
      {remove, 3, {0}, 0, {7, 1, 2}},
      {remove, 0, {3}, 0, {}},
      {add, 0, {5}, 0, {5}},
  };
  VynArray array = alloc(0, sizeof(int), 2);
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << (s.op == add ? "add at " : "remove at ") << s.index);
    VynError status =
        s.op == add
            ? Behaviour<HostApi::VynArrayObjectAdd>::run(1, &array, s.index, static_cast<int>(s.values.size()),
                                                        s.values.data())
            : Behaviour<HostApi::VynArrayObjectRemove>::run(1, &array, s.index, s.values[0]);
    EXPECT_EQ(status, s.status);
    EXPECT_EQ(ints(array), s.after);
  }
  EXPECT_EQ(Behaviour<HostApi::VynArrayObjectAdd>::run(1, &array, -1, -1, steps[0].values.data()), -2);
  EXPECT_EQ(Behaviour<HostApi::VynArrayObjectAdd>::run(1, &array, -1, 1, nullptr), -2);
  EXPECT_EQ(Behaviour<HostApi::VynArrayObjectAdd>::run(1, nullptr, -1, 1, steps[0].values.data()), -2);
  EXPECT_EQ(Behaviour<HostApi::VynArrayObjectRemove>::run(1, nullptr, 0, 1), -2);
  EXPECT_EQ(ints(array), std::vector<int>{5});
}

// Appends through the table as the plug-in does; the array grows and moves, the
// caller's variable follows it and the registry knows only the current address.
TEST_F(HostArrays, GrowingArrayMovesAndKeepsItsElements) {
  auto table = yrlhost::host_table_build();
  auto add_fn = yrlhost::host_function<HostApi::VynArrayObjectAdd>(table);
  auto alloc_fn = yrlhost::host_function<HostApi::VynArrayAlloc>(table);
  VynArray array = nullptr;
  ASSERT_EQ(alloc_fn(1, 1, sizeof(double), 1, &array), 0);
  std::vector<VynArray> seen{array};
  for (int i = 1; i < 2000; ++i) {
    double value = i * 0.5;
    ASSERT_EQ(add_fn(1, &array, -1, 1, &value), 0);
    if (array != seen.back()) seen.push_back(array);
  }
  EXPECT_EQ(yrlhost::host_array_size(array), 2000);
  const double* values = static_cast<const double*>(array);
  for (int i = 0; i < 2000; ++i) ASSERT_EQ(values[i], i * 0.5) << i;
  EXPECT_EQ(live_object_count(LiveKind::array), 1u);
  EXPECT_TRUE(yrlhost::host_array_is(array));
  // Adding an element of the array to itself, which moves it, copies the right value.
  VynArray before = array;
  ASSERT_EQ(add_fn(1, &array, 0, 1, values + 1999), 0);
  if (array != before) {
    EXPECT_FALSE(yrlhost::host_array_is(before));
  }
  EXPECT_EQ(static_cast<const double*>(array)[0], 999.5);
  EXPECT_EQ(static_cast<const double*>(array)[2000], 999.5);
  EXPECT_EQ(Behaviour<HostApi::VynArrayFree>::run(1, &array), 0);
  EXPECT_EQ(live_object_count(LiveKind::array), 0u);
}

TEST_F(HostArrays, ForeignAndStaleHandlesAreRefused) {
  alignas(16) unsigned char foreign_block[64] = {};
  VynArray foreign = foreign_block + 32;
  VynArray stale = alloc(2, 4);
  VynArray kept = stale;
  ASSERT_EQ(Behaviour<HostApi::VynArrayFree>::run(1, &kept), 0);
  int one = 1;
  for (VynArray bad : {foreign, stale, VynArray{nullptr}}) {
    VynArray variable = bad;
    int size = 77;
    EXPECT_EQ(Behaviour<HostApi::VynArraySizeGet>::run(1, bad, &size), -2);
    EXPECT_EQ(size, 77);
    EXPECT_EQ(Behaviour<HostApi::VynArrayObjectAdd>::run(1, &variable, -1, 1, &one), -2);
    EXPECT_EQ(Behaviour<HostApi::VynArrayObjectRemove>::run(1, &variable, 0, 0), -2);
    EXPECT_EQ(Behaviour<HostApi::VynArrayFree>::run(1, &variable), -2);
    EXPECT_EQ(variable, bad);
    EXPECT_FALSE(yrlhost::host_array_release(&variable));
    EXPECT_EQ(yrlhost::host_array_size(bad), -1);
  }
  EXPECT_EQ(Behaviour<HostApi::VynArraySizeGet>::run(1, alloc(1, 4), nullptr), -2);
  EXPECT_EQ(Behaviour<HostApi::VynArrayFree>::run(1, nullptr), -2);
}

TEST_F(HostArrays, HostMakersShareTheArraysOfThePlugin) {
  VynArray made = yrlhost::host_array_make(0, sizeof(int), 4);
  ASSERT_NE(made, nullptr);
  const int values[] = {4, 5, 6};
  EXPECT_EQ(yrlhost::host_array_append(&made, values, 3), 0);
  EXPECT_EQ(ints(made), (std::vector<int>{4, 5, 6}));
  EXPECT_EQ(yrlhost::host_array_append(&made, nullptr, 1), -2);
  EXPECT_EQ(yrlhost::host_array_make(-1, 4), nullptr);
  EXPECT_EQ(yrlhost::host_array_make(1, 0), nullptr);
  // The plug-in frees what the host made.
  EXPECT_EQ(Behaviour<HostApi::VynArrayFree>::run(1, &made), 0);
  EXPECT_EQ(live_object_count(LiveKind::array), 0u);
}

// ---- Strings ----------------------------------------------------------------------------

TEST_F(HostArrays, StringFreeTakesOnlyLiveHostStrings) {
  char* text = yrlhost::host_string_make("a b");
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "a b");
  char foreign[] = "mine";
  EXPECT_EQ(Behaviour<HostApi::VynStringFree>::run(1, foreign), -2);
  EXPECT_EQ(Behaviour<HostApi::VynStringFree>::run(1, nullptr), -2);
  EXPECT_EQ(Behaviour<HostApi::VynStringFree>::run(1, text), 0);
  EXPECT_EQ(Behaviour<HostApi::VynStringFree>::run(1, text), -2);  // stale
  EXPECT_EQ(live_object_count(LiveKind::string), 0u);
}

TEST_F(HostArrays, StringarrayFreeNeedsTheCountHandedOut) {
  char** strings = yrlhost::host_string_array_make({"one", "", "three"});
  ASSERT_NE(strings, nullptr);
  EXPECT_STREQ(strings[0], "one");
  EXPECT_STREQ(strings[1], "");
  EXPECT_STREQ(strings[2], "three");
  EXPECT_EQ(live_object_count(LiveKind::string), 3u);
  for (int wrong : {2, 4, -1}) EXPECT_EQ(Behaviour<HostApi::VynStringarrayFree>::run(1, strings, wrong), -2);
  EXPECT_EQ(live_object_count(LiveKind::string), 3u);  // nothing freed
  EXPECT_EQ(Behaviour<HostApi::VynStringarrayFree>::run(1, strings, 3), 0);
  EXPECT_EQ(Behaviour<HostApi::VynStringarrayFree>::run(1, strings, 3), -2);
  char* mine[] = {nullptr};
  EXPECT_EQ(Behaviour<HostApi::VynStringarrayFree>::run(1, mine, 1), -2);
  char** empty = yrlhost::host_string_array_make({});
  EXPECT_EQ(Behaviour<HostApi::VynStringarrayFree>::run(1, empty, 0), 0);
  EXPECT_EQ(live_object_count(LiveKind::string), 0u);
  EXPECT_EQ(live_object_count(LiveKind::string_array), 0u);
}

TEST_F(HostArrays, StringVynarrayIsReadAndFreedWhole) {
  VynArray names = yrlhost::host_string_vynarray_make({"MainTab", "ProjTab"});
  EXPECT_EQ(yrlhost::host_string_vynarray_read(names), (std::vector<std::string>{"MainTab", "ProjTab"}));
  EXPECT_EQ(Behaviour<HostApi::VynStringvynarrayFree>::run(1, names), 0);
  EXPECT_EQ(Behaviour<HostApi::VynStringvynarrayFree>::run(1, names), -2);
  EXPECT_EQ(live_object_count(LiveKind::string), 0u);
  EXPECT_EQ(live_object_count(LiveKind::array), 0u);

  // An element the host did not make, or the same string twice, refuses the whole array.
  char mine[] = "mine";
  VynArray mixed = yrlhost::host_string_vynarray_make({"host"});
  char* host_text = static_cast<char**>(mixed)[0];
  for (char* extra : {mine, host_text}) {
    ASSERT_EQ(Behaviour<HostApi::VynArrayObjectAdd>::run(1, &mixed, -1, 1, &extra), 0);
    EXPECT_EQ(Behaviour<HostApi::VynStringvynarrayFree>::run(1, mixed), -2);
    EXPECT_EQ(Behaviour<HostApi::VynArrayObjectRemove>::run(1, &mixed, 1, 1), 0);
  }
  EXPECT_EQ(live_object_count(LiveKind::string), 1u);
  VynArray ints = yrlhost::host_array_make(1, sizeof(int));
  EXPECT_EQ(Behaviour<HostApi::VynStringvynarrayFree>::run(1, ints), -2);
  EXPECT_TRUE(yrlhost::host_string_vynarray_read(ints).empty());
  EXPECT_EQ(Behaviour<HostApi::VynStringvynarrayFree>::run(1, mixed), 0);
  EXPECT_EQ(live_object_count(LiveKind::string), 0u);
}

TEST_F(HostArrays, WideStringArrayKeepsCopiesBeyondLatinOne) {
  VynArray array = alloc(0, sizeof(VynWchar*));
  VynWchar first[] = u"\u03a9mega";
  VynWchar second[] = u"\u65e5\u672c \U0001F600";
  VynWchar third[] = u"";
  VynWchar* strings[] = {first, second};
  ASSERT_EQ(Behaviour<HostApi::VynWstringArrayObjectAdd>::run(1, &array, -1, 2, strings), 0);
  VynWchar* front[] = {third};
  ASSERT_EQ(Behaviour<HostApi::VynWstringArrayObjectAdd>::run(1, &array, 0, 1, front), 0);
  first[0] = u'X';  // the host holds its own copies
  EXPECT_NE(static_cast<VynWchar**>(array)[1], first);
  EXPECT_EQ(yrlhost::host_wstring_vynarray_read(array),
            (std::vector<std::string>{"", "\u03a9mega", "\u65e5\u672c \U0001F600"}));
  EXPECT_EQ(live_object_count(LiveKind::wide_string), 3u);

  // Refused adds leave no copies behind.
  VynWchar* with_null[] = {second, nullptr};
  EXPECT_EQ(Behaviour<HostApi::VynWstringArrayObjectAdd>::run(1, &array, -1, 2, with_null), -2);
  EXPECT_EQ(Behaviour<HostApi::VynWstringArrayObjectAdd>::run(1, &array, 9, 1, strings), -2);
  EXPECT_EQ(Behaviour<HostApi::VynWstringArrayObjectAdd>::run(1, &array, -1, -1, strings), -2);
  VynArray ints = alloc(0, sizeof(int));
  EXPECT_EQ(Behaviour<HostApi::VynWstringArrayObjectAdd>::run(1, &ints, -1, 1, strings), -2);
  EXPECT_EQ(live_object_count(LiveKind::wide_string), 3u);
  EXPECT_EQ(yrlhost::host_array_size(array), 3);

  // A pointer the host did not copy refuses the free; taking it out again allows it.
  ASSERT_EQ(Behaviour<HostApi::VynArrayObjectAdd>::run(1, &array, -1, 1, &strings[0]), 0);
  EXPECT_EQ(Behaviour<HostApi::VynWstringArrayFree>::run(1, &array), -2);
  ASSERT_EQ(Behaviour<HostApi::VynArrayObjectRemove>::run(1, &array, 3, 1), 0);
  EXPECT_EQ(Behaviour<HostApi::VynWstringArrayFree>::run(1, &array), 0);
  EXPECT_EQ(array, nullptr);
  EXPECT_EQ(Behaviour<HostApi::VynWstringArrayFree>::run(1, &array), -2);
  EXPECT_EQ(Behaviour<HostApi::VynWstringArrayFree>::run(1, &ints), -2);
  EXPECT_EQ(live_object_count(LiveKind::wide_string), 0u);
}

TEST_F(HostArrays, ResetFreesEverythingHandedOut) {
  yrlhost::host_string_make("x");
  yrlhost::host_string_array_make({"a", "b"});
  yrlhost::host_string_vynarray_make({"c"});
  VynArray wide = alloc(0, sizeof(VynWchar*));
  VynWchar text[] = u"w";
  VynWchar* strings[] = {text};
  ASSERT_EQ(Behaviour<HostApi::VynWstringArrayObjectAdd>::run(1, &wide, -1, 1, strings), 0);
  yrlhost::arrays_testing_reset();  // AddressSanitizer reports any leak at exit
  for (LiveKind kind : {LiveKind::array, LiveKind::string, LiveKind::string_array, LiveKind::wide_string})
    EXPECT_EQ(live_object_count(kind), 0u) << yrlhost::live_kind_name(kind);
}

}  // namespace
