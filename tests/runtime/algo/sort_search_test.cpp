// Ordered search: segmented arrays against std::lower_bound, sorted insertion, intervals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "runtime/algo/sort.h"
#include "runtime/memory/har.h"
#include "runtime/memory/xar.h"
#include "tests/support/runtime_test.h"
#include "tests/support/serious_reports.h"

namespace {

// Large elements, so that a segment holds few of them (0x1F3FF0 / 20000 = 102).
struct Big {
  int key;
  char payload[20000 - 4];
};

int cmp_key_big(const void* key, const void* element) {
  const int k = *static_cast<const int*>(key);
  const int e = static_cast<const Big*>(element)->key;
  return (k > e) - (k < e);
}

int cmp_int(const void* a, const void* b) {
  const int x = *static_cast<const int*>(a);
  const int y = *static_cast<const int*>(b);
  return (x > y) - (x < y);
}

class SortSearchTest : public yrltest::RuntimeTest {
 protected:
  // A segmented array of n Bigs with keys 0, 2, 4, ...
  void* make_har(int n) {
    void* har = vek::har_alloc(sizeof(Big), 4);
    for (int i = 0; i < n; i++) static_cast<Big*>(vek::har_inflate(&har))->key = 2 * i;
    return har;
  }
};

TEST_F(SortSearchTest, BinarySearchHarMatchesLowerBound) {
  for (int n : {0, 1, 50, 102, 103, 450}) {
    SCOPED_TRACE(n);
    void* har = make_har(n);
    if (n == 450) {
      ASSERT_GE(vek::xar_count(&har), 5);
    }
    const int per = 0x1F3FF0 / static_cast<int>(sizeof(Big));
    std::vector<int> keys;
    for (int i = 0; i < n; i++) keys.push_back(2 * i);
    for (int key = -2; key <= 2 * n + 1; key++) {
      const auto at = std::lower_bound(keys.begin(), keys.end(), key);
      const bool present = at != keys.end() && *at == key;
      int segment = -7;
      int position = -7;
      const int index =
          vek::binary_search_har(cmp_key_big, &key, har, sizeof(Big), &segment, &position);
      if (present) {
        const int expected = static_cast<int>(at - keys.begin());
        ASSERT_EQ(index, expected) << key;
        ASSERT_EQ(segment, expected / per) << key;
        ASSERT_EQ(position, expected % per) << key;
      } else {
        ASSERT_EQ(index, -1) << key;
        ASSERT_EQ(segment, -7) << key;  // untouched
        ASSERT_EQ(position, -7) << key;
      }
      int total = -7;
      const int found = vek::binary_search_har_low(cmp_key_big, &key, har, sizeof(Big), &total,
                                                   &segment, &position);
      ASSERT_EQ(found, present ? 1 : 0) << key;
      // Where the search ended: the insertion index (the low form's outs when not found).
      if (n > 0) {
        ASSERT_EQ(total, static_cast<int>(at - keys.begin())) << key;
      }
      ASSERT_EQ(vek::binary_search_har(cmp_key_big, &key, har, sizeof(Big), nullptr, nullptr),
                present ? static_cast<int>(at - keys.begin()) : -1);
    }
    vek::har_free(&har);
  }
}

TEST_F(SortSearchTest, BinarySearchHarLowWithoutSegments) {
  const int key = 4;
  int total = -1;
  int segment = -1;
  int position = -1;
  EXPECT_EQ(vek::binary_search_har_low(cmp_key_big, &key, nullptr, sizeof(Big), &total, &segment,
                                       &position),
            0);
  EXPECT_EQ(total, 0);
  EXPECT_EQ(segment, 0);
  EXPECT_EQ(position, 0);
  EXPECT_EQ(vek::binary_search_har(cmp_key_big, &key, nullptr, sizeof(Big), nullptr, nullptr), -1);
}

TEST_F(SortSearchTest, InsertObjectKeepsASortedSet) {
  void* list = nullptr;
  std::set<int> reference;
  std::mt19937 rng(4);
  for (int round = 0; round < 2000; round++) {
    const int value = static_cast<int>(rng() % 500);
    const int count_before = vek::xar_count(&list);
    const int found = vek::insert_object(&list, &value, sizeof(int), cmp_int);
    const bool inserted = reference.insert(value).second;
    ASSERT_EQ(found, inserted ? 0 : 1);
    ASSERT_EQ(vek::xar_count(&list), count_before + (inserted ? 1 : 0));
  }
  const int* v = static_cast<const int*>(list);
  EXPECT_EQ(std::vector<int>(v, v + vek::xar_count(&list)),
            std::vector<int>(reference.begin(), reference.end()));
  vek::xar_free(&list);
}

// The search and the insert step by the array's own element size: an array of another
// one is reported and left alone.
TEST_F(SortSearchTest, InsertObjectLeavesAnArrayOfAnotherElementSize) {
  const short values[] = {1, 5, 9};
  void* list = vek::array_to_xarray(values, 3, sizeof(short), 1, nullptr);
  const int object = 3;
  yrltest::SeriousReports reports;
  EXPECT_EQ(vek::insert_object(&list, &object, sizeof(int), cmp_int), 0);
  EXPECT_EQ(reports.lines(), (std::vector<std::string>{
                                 "insert_object:  inconsistent size: old (2) != request (4) - "
                                 "SERIOUS ERROR."}));
  const short* v = static_cast<const short*>(list);
  EXPECT_EQ(std::vector<short>(v, v + vek::xar_count(&list)),
            std::vector<short>(values, values + 3));
  vek::xar_free(&list);
}

TEST_F(SortSearchTest, SearchDouble) {
  const double v[] = {0, 1, 2};
  struct Case {
    double x;
    int gen;
  };
  const Case cases[] = {{-0.5, -1}, {0, 0}, {0.5, 0}, {1, 1}, {1.5, 1}, {2, 1}, {2.5, 2}};
  for (const Case& c : cases) {
    EXPECT_EQ(vek::search_double_gen(3, v, c.x), c.gen) << c.x;
    if (c.x >= 0 && c.x < 2) {
      EXPECT_EQ(vek::search_double(3, v, c.x), c.gen) << c.x;
    }
  }
  EXPECT_EQ(vek::search_double_gen(0, nullptr, 1.0), -1);

  // Every interval of a longer list, against upper_bound.
  std::vector<double> w;
  for (int i = 0; i < 37; i++) w.push_back(i * 1.5 - 10);
  for (double x = -10; x < w.back(); x += 0.25) {
    const int expected = static_cast<int>(std::upper_bound(w.begin(), w.end(), x) - w.begin()) - 1;
    ASSERT_EQ(vek::search_double(37, w.data(), x), expected) << x;
    ASSERT_EQ(vek::search_double_gen(37, w.data(), x), expected) << x;
  }
  EXPECT_EQ(vek::search_double_gen(37, w.data(), w.back()), 35);
  EXPECT_EQ(vek::search_double_gen(37, w.data(), w.back() + 1), 36);
}

}  // namespace
