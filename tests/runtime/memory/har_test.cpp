#include "runtime/memory/har.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "tests/support/serious_reports.h"

namespace {

using yrltest::live_blocks;

using namespace vek;

using HarTest = yrltest::RuntimeTest;
using HarDeathTest = yrltest::RuntimeDeathTest;

constexpr int INT_SEGMENT = 511996;  // 0x1F3FF0 / 4

int segments(void* const* p_har) { return xar_count(p_har); }

int int_at(void* const* p_har, int index) {
  const void* p = har_access(p_har, index, nullptr, nullptr);
  EXPECT_NE(p, nullptr) << "index " << index;
  int value = 0;
  if (p) std::memcpy(&value, p, sizeof value);
  return value;
}

TEST_F(HarTest, NewArrayHasOneEmptySegment) {
  void* h = har_alloc(4, 10);
  EXPECT_EQ(segments(&h), 1);
  EXPECT_EQ(har_total(&h), 0);
  EXPECT_EQ(har_last(&h), nullptr);
  int segment = 0, offset = 0;
  EXPECT_EQ(har_access(&h, 0, &segment, &offset), nullptr);
  EXPECT_EQ(segment, -1);
  EXPECT_EQ(offset, -1);
  har_free(&h);
  EXPECT_EQ(h, nullptr);
  EXPECT_EQ(live_blocks(), 0);
  EXPECT_EQ(har_total(&h), 0) << "a freed array counts as empty";
}

TEST_F(HarTest, IntSegmentBoundaryAndAccessOuts) {
  void* h = har_alloc(4, 1000);
  std::vector<int> values(INT_SEGMENT + 5);
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<int>(i * 3 + 1);
  har_append(&h, INT_SEGMENT, values.data());
  EXPECT_EQ(segments(&h), 1) << "a full segment alone needs no second one";
  const void* last_of_first = har_last(&h);

  EXPECT_NE(har_append(&h, 5, values.data() + INT_SEGMENT), nullptr);
  EXPECT_EQ(segments(&h), 2);
  EXPECT_EQ(har_total(&h), INT_SEGMENT + 5);

  struct Case {
    int index;
    int segment;
    int offset;
  };
  const Case cases[] = {{0, 0, 0},
                        {INT_SEGMENT - 1, 0, INT_SEGMENT - 1},
                        {INT_SEGMENT, 1, 0},
                        {INT_SEGMENT + 4, 1, 4},
                        {INT_SEGMENT + 5, -1, -1},
                        {-1, -1, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    int segment = 7, offset = 7;
    void* p = har_access(&h, c.index, &segment, &offset);
    EXPECT_EQ(segment, c.segment);
    EXPECT_EQ(offset, c.offset);
    if (c.segment < 0) {
      EXPECT_EQ(p, nullptr);
    } else {
      ASSERT_NE(p, nullptr);
      EXPECT_EQ(*static_cast<int*>(p), values[static_cast<std::size_t>(c.index)]);
    }
  }
  EXPECT_EQ(har_access(&h, INT_SEGMENT - 1, nullptr, nullptr), last_of_first)
      << "a full segment never moves";
  EXPECT_EQ(*static_cast<int*>(har_last(&h)), values[INT_SEGMENT + 4]);
  har_free(&h);
}

TEST_F(HarTest, ShrinkAcrossTheBoundaryFreesEmptiedSegments) {
  void* h = har_alloc(4, 1000);
  har_resize(&h, INT_SEGMENT + 10);
  EXPECT_EQ(segments(&h), 2);
  *static_cast<int*>(har_access(&h, INT_SEGMENT - 1, nullptr, nullptr)) = 42;
  *static_cast<int*>(har_access(&h, INT_SEGMENT - 20, nullptr, nullptr)) = 43;
  const int blocks = live_blocks();

  har_shrink(&h, 10);
  EXPECT_EQ(segments(&h), 1) << "the exactly emptied segment is freed";
  EXPECT_EQ(live_blocks(), blocks - 1);
  EXPECT_EQ(int_at(&h, INT_SEGMENT - 1), 42);

  har_resize(&h, INT_SEGMENT + 3);
  har_shrink(&h, 23);
  EXPECT_EQ(segments(&h), 1);
  EXPECT_EQ(har_total(&h), INT_SEGMENT - 20);
  EXPECT_EQ(int_at(&h, INT_SEGMENT - 21), 0);
  har_inflate(&h);
  EXPECT_EQ(int_at(&h, INT_SEGMENT - 20), 0) << "dropped elements come back as zero";

  har_shrink(&h, har_total(&h));
  EXPECT_EQ(segments(&h), 1) << "segment 0 is emptied, never freed";
  EXPECT_EQ(har_total(&h), 0);
  har_free(&h);
}

TEST_F(HarTest, InflateAppendsOneZeroElement) {
  void* h = har_alloc(12, 4);
  for (int i = 0; i < 3; ++i) {
    unsigned char* p = static_cast<unsigned char*>(har_inflate(&h));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p, har_last(&h));
    for (int b = 0; b < 12; ++b) EXPECT_EQ(p[b], 0);
    std::memset(p, 0xEE, 12);
  }
  EXPECT_EQ(har_total(&h), 3);
  har_free(&h);
}

TEST_F(HarTest, SegmentStepIsCutToKeepGrowthSteps) {
  struct Case {
    int size;
    int step;
    int expected;
  };
  const Case cases[] = {{16, 1000, 1000}, {64, 10000, 0x30000 / 64}, {40000, 10, 4}, {8, 0, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    void* h = har_alloc(c.size, c.step);
    int step = 0;
    xar_params(&static_cast<void**>(h)[0], nullptr, &step, nullptr, nullptr);
    EXPECT_EQ(step, c.expected);
    har_free(&h);
  }
}

// Large elements give small segments (51 elements of 40,000 bytes), so that random
// operations cross many segment boundaries; a vector of the elements' first words is
// the reference.
TEST_F(HarTest, RandomOperationsAgreeWithAVector) {
  constexpr int SIZE = 40000;
  const int limit = xar_max_count_get(SIZE);
  ASSERT_EQ(limit, 51);
  std::mt19937 random(3120);
  void* h = har_alloc(SIZE, 7);
  std::vector<int> reference;
  std::vector<unsigned char> element(SIZE);
  for (int step = 0; step < 400; ++step) {
    const int op = static_cast<int>(random() % 4);
    const int n = static_cast<int>(random() % 80);
    if (op == 0) {
      std::vector<unsigned char> source(static_cast<std::size_t>(n) * SIZE);
      for (int i = 0; i < n; ++i) {
        const int value = static_cast<int>(random());
        std::memcpy(&source[static_cast<std::size_t>(i) * SIZE], &value, sizeof value);
        reference.push_back(value);
      }
      har_append(&h, n, n ? source.data() : nullptr);
    } else if (op == 1) {
      har_append(&h, n, nullptr);
      reference.resize(reference.size() + static_cast<std::size_t>(n), 0);
    } else if (op == 2) {
      const int drop = std::min(n, static_cast<int>(reference.size()));
      har_shrink(&h, drop);
      reference.resize(reference.size() - static_cast<std::size_t>(drop));
    } else {
      const int total = static_cast<int>(random() % 300);
      har_resize(&h, total);
      reference.resize(static_cast<std::size_t>(total), 0);
    }
    const int total = static_cast<int>(reference.size());
    ASSERT_EQ(har_total(&h), total) << "step " << step;
    ASSERT_EQ(segments(&h), total <= limit ? 1 : (total + limit - 1) / limit);
    for (int i = 0; i < total; i += 1 + static_cast<int>(random() % 5)) {
      ASSERT_EQ(int_at(&h, i), reference[static_cast<std::size_t>(i)]) << "step " << step;
    }
  }
  EXPECT_EQ(checkmem_chain(), 0);
  har_free(&h);
  EXPECT_EQ(live_blocks(), 0);
}

// Removal, insertion, copies and segment extracts against a vector, with elements of
// 40,000 bytes (51 to a segment). Each element carries its value in its first and last
// words, so a copy that drops or shifts bytes shows.
class HarModel {
 public:
  static constexpr int SIZE = 40000;
  std::vector<unsigned char> element(int value) const {
    std::vector<unsigned char> e(SIZE);
    std::memcpy(e.data(), &value, sizeof value);
    std::memcpy(e.data() + SIZE - sizeof value, &value, sizeof value);
    return e;
  }
  static void expect_equal(void* const* p_har, const std::vector<int>& reference) {
    ASSERT_EQ(har_total(p_har), static_cast<int>(reference.size()));
    for (int i = 0; i < static_cast<int>(reference.size()); ++i) {
      const unsigned char* p = static_cast<const unsigned char*>(har_access(p_har, i, nullptr, nullptr));
      ASSERT_NE(p, nullptr);
      int first = 0;
      int last = 0;
      std::memcpy(&first, p, sizeof first);
      std::memcpy(&last, p + SIZE - sizeof last, sizeof last);
      ASSERT_EQ(first, reference[static_cast<std::size_t>(i)]) << "index " << i;
      ASSERT_EQ(last, first) << "index " << i;
    }
  }
};

TEST_F(HarTest, RemoveInsertAndCopiesAgreeWithAVector) {
  HarModel model;
  const int limit = xar_max_count_get(HarModel::SIZE);
  std::mt19937 random(120);
  void* h = har_alloc(HarModel::SIZE, 5);
  std::vector<int> reference;
  int next = 1;
  for (int step = 0; step < 300; ++step) {
    const int total = static_cast<int>(reference.size());
    const int op = static_cast<int>(random() % 6);
    if (op == 0 || total < 10) {
      const int at = static_cast<int>(random() % (total + 1));
      auto e = model.element(next);
      har_insert(&h, at, e.data());
      reference.insert(reference.begin() + at, next++);
    } else if (op == 1 && total < 200) {
      // An element inside the array is copied before the array moves.
      const int from = static_cast<int>(random() % total);
      const int at = static_cast<int>(random() % (total + 1));
      har_insert(&h, at, har_access(&h, from, nullptr, nullptr));
      reference.insert(reference.begin() + at, reference[static_cast<std::size_t>(from)]);
    } else if (op == 2) {
      const int at = static_cast<int>(random() % total);
      const int n = static_cast<int>(random() % (total - at + 1));
      har_remove(&h, at, n);
      reference.erase(reference.begin() + at, reference.begin() + at + n);
    } else if (op == 3) {
      const int at = static_cast<int>(random() % total);
      const int n = std::min(total - at, 1 + static_cast<int>(random() % limit));
      char* x = static_cast<char*>(har_seg_to_xar(&h, at, n, 0));
      ASSERT_NE(x, nullptr);
      ASSERT_EQ(xar_count(&x), n);
      for (int i = 0; i < n; ++i) {
        int value = 0;
        std::memcpy(&value, x + static_cast<std::size_t>(i) * HarModel::SIZE, sizeof value);
        ASSERT_EQ(value, reference[static_cast<std::size_t>(at + i)]);
      }
      xar_free(&x);
    } else if (op == 4 && total < 120) {
      void* copy = har_copy(&h, nullptr);
      HarModel::expect_equal(&copy, reference);
      har_append_har(&h, &copy);
      har_free(&copy);
      reference.insert(reference.end(), reference.begin(), reference.end());
    } else if (total < 120) {
      har_append_har(&h, &h);  // onto itself
      reference.insert(reference.end(), reference.begin(), reference.end());
    }
    HarModel::expect_equal(&h, reference);
    if (HasFatalFailure()) return;
    const int now = static_cast<int>(reference.size());
    ASSERT_EQ(segments(&h), now <= limit ? 1 : (now + limit - 1) / limit);
  }
  EXPECT_EQ(checkmem_chain(), 0);
  har_free(&h);
  EXPECT_EQ(live_blocks(), 0);
}

// Ranges that do not lie inside the array are refused before any segment is touched.
TEST_F(HarTest, RangesOutsideTheArrayAreRefused) {
  void* h = har_alloc(HarModel::SIZE, 5);
  har_append(&h, 60, nullptr);  // two segments: 51 + 9
  const struct {
    int index;
    int n;
    int step;
    bool made;
  } extracts[] = {
      {0, 0, 0, false},  {0, 0, 3, true},   {-1, 1, 0, false}, {60, 1, 0, false},
      {55, 5, 0, true},  {55, 6, 0, false},  // reaches one past the last element
      {50, 2, 0, true},  {0, 52, 0, false},  // more than one segment holds
  };
  for (const auto& row : extracts) {
    void* x = har_seg_to_xar(&h, row.index, row.n, row.step);
    EXPECT_EQ(x != nullptr, row.made) << row.index << "+" << row.n;
    if (x != nullptr) {
      EXPECT_EQ(xar_count(&x), row.n);
    }
    xar_free(&x);
  }
  EXPECT_EQ(har_seg_to_xar(nullptr, 0, 1, 0), nullptr);

  yrltest::SeriousReports reports;
  har_remove(&h, 55, 6);
  har_remove(&h, -1, 1);
  har_remove(&h, 0, -1);
  har_insert(&h, 61, har_access(&h, 0, nullptr, nullptr));
  EXPECT_EQ(har_total(&h), 60);
  EXPECT_EQ(reports.lines(), (std::vector<std::string>{"har_remove:  Wrong index(55) or count(6)",
                                                       "har_remove:  Wrong index(-1) or count(1)",
                                                       "har_remove:  Wrong index(0) or count(-1)",
                                                       "har_insert:  Wrong index(61)", ""}));
  har_free(&h);
}

TEST_F(HarTest, InsertAtZeroMovesASegmentsLastElementOn) {
  void* h = har_alloc(4, 10);
  std::vector<int> values(INT_SEGMENT + 3);
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<int>(i);
  har_append(&h, static_cast<int>(values.size()), values.data());
  const int minus = -1;
  har_insert(&h, 0, &minus);
  int segment = -1;
  int offset = -1;
  har_access(&h, INT_SEGMENT, &segment, &offset);
  EXPECT_EQ(segment, 1);
  EXPECT_EQ(offset, 0);
  EXPECT_EQ(int_at(&h, 0), -1);
  EXPECT_EQ(int_at(&h, INT_SEGMENT), INT_SEGMENT - 1);
  EXPECT_EQ(int_at(&h, INT_SEGMENT + 3), INT_SEGMENT + 2);
  har_remove(&h, 0, 1);
  for (int i : {0, 1, INT_SEGMENT - 1, INT_SEGMENT, INT_SEGMENT + 2}) EXPECT_EQ(int_at(&h, i), i);
  har_free(&h);
}

int released = 0;
int count_release(void* p) {
  ++released;
  return vek::relmem(p);
}
void* copy_block(const void* p) {
  void* q = vek::getmem(8);
  std::memcpy(q, p, 8);
  return q;
}

TEST_F(HarTest, PointerArraysCopyAndReleaseTheirBlocks) {
  void* h = har_alloc(static_cast<int>(sizeof(void*)), 4);
  for (int i = 0; i < 5; ++i) {
    void* block = vek::getmem(8);
    std::memcpy(block, &i, sizeof i);
    har_append(&h, 1, &block);
  }
  void* copy = har_ptr_copy(h, copy_block);
  ASSERT_NE(copy, nullptr);
  void* original_block = *static_cast<void**>(har_access(&h, 3, nullptr, nullptr));
  void* copied_block = *static_cast<void**>(har_access(&copy, 3, nullptr, nullptr));
  EXPECT_NE(original_block, copied_block);
  EXPECT_EQ(std::memcmp(original_block, copied_block, 8), 0);
  released = 0;
  har_ptr_free(&h, count_release);
  EXPECT_EQ(released, 5);
  har_pblock_free(&copy);
  EXPECT_EQ(har_ptr_copy(nullptr, copy_block), nullptr);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(HarDeathTest, ShrinkingBeyondTheTotalIsAnInvalidRequest) {
  EXPECT_EXIT(
      {
        yrltest::route_console_to_stderr();
        void* h = har_alloc(4, 10);
        har_resize(&h, 3);
        har_shrink(&h, 4);
      },
      ::testing::ExitedWithCode(2), "XAR_SHRINK:  invalid request\n");
}

}  // namespace
