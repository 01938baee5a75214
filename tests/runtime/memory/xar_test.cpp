// Growable arrays: layout, allocation, growth, shrinking, freeing, header reads, the
// validity checks, the switches and the faults that end the process.
#include "runtime/memory/xar.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "runtime/diag/diag.h"
#include "runtime/diag/runmode.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar_layout.h"
#include "runtime/memory/xar_testing.h"
#include "runtime/memory/zone.h"
#include "runtime/memory/zone_testing.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"

namespace {

using yrltest::live_blocks;

using testing::ExitedWithCode;
using yrltest::ConsoleCapture;

class XarTest : public yrltest::RuntimeTest {
 protected:
  void TearDown() override {
    unsetenv("DEBUG_XAR");
    RuntimeTest::TearDown();
  }
};

class XarDeathTest : public yrltest::RuntimeDeathTest {};


// Overhead and xarray flag of the memory block at user.
std::size_t block_overhead(void* user, int* xar_flag = nullptr) {
  void* previous = nullptr;
  void* next = nullptr;
  std::size_t size = 0;
  std::size_t overhead = 0;
  int loop = 0;
  int flag = 0;
  EXPECT_EQ(vek::debug_getmem_area(user, &previous, &next, &size, &overhead, &loop, &flag), 1);
  if (xar_flag) *xar_flag = flag;
  return overhead;
}

bool all_zero(const void* address, std::size_t bytes) {
  const unsigned char* p = static_cast<const unsigned char*>(address);
  for (std::size_t i = 0; i < bytes; ++i)
    if (p[i]) return false;
  return true;
}

// ---------------------------------------------------------------------------------------
// Allocation and layout

TEST_F(XarTest, NewArrayCarriesHeaderAndTailInAMarkedHeapBlock) {
  int* x = static_cast<int*>(vek::xar_alloc(3, 4, 5));
  ASSERT_NE(x, nullptr);
  const std::uint32_t units = (3 * 4 + 7) / 8 + 2;
  EXPECT_EQ(vek::xar_hdr_mark(x), vek::XAR_HEAD_MARK);
  EXPECT_EQ(vek::xar_hdr_length(x), units);
  EXPECT_EQ(vek::xar_hdr_step(x), 5);
  EXPECT_EQ(vek::xar_hdr_size(x), 4);
  EXPECT_EQ(vek::xar_peek<std::uint16_t>(x, -2), 0x4858);
  EXPECT_EQ(vek::xar_peek<std::uint16_t>(x, -4), 4);
  EXPECT_EQ(vek::xar_peek<std::uint32_t>(x, -8), units | (5u << 19));

  unsigned char* block = static_cast<unsigned char*>(vek::xar_block_start(x));
  unsigned char* tail = block + units * 8 - 8;
  EXPECT_EQ(vek::xar_tail(x), tail);
  EXPECT_EQ(vek::xar_peek<std::uint16_t>(tail, 0), 0x5458);
  EXPECT_EQ(vek::xar_peek<std::int16_t>(tail, 2), -1);
  EXPECT_EQ(vek::xar_peek<std::uint32_t>(tail, 4), 3u);
  EXPECT_TRUE(all_zero(x, 3 * 4));

  // The block is the user data of a memory block flagged as holding an array.
  int flag = 0;
  block_overhead(block, &flag);
  EXPECT_EQ(vek::getmem_area_size(block), static_cast<long>(units * 8));
  EXPECT_EQ(flag, 1);
  vek::xar_free(&x);
  EXPECT_EQ(x, nullptr);
}

TEST_F(XarTest, TheMemoryChainCheckAcceptsGrownArrays) {
  int* x = static_cast<int*>(vek::xar_alloc(0, 4, 1));
  for (int i = 0; i < 500; ++i) vek::xar_append(&x, 1, &i);
  void* y = vek::xar_alloc(7, 24, 3);
  EXPECT_EQ(vek::checkmem_chain(), 0);
  vek::xar_free(&x);
  vek::xar_free(&y);
}

TEST_F(XarTest, StepAndRoomOfNewArrays) {
  struct Case {
    int count, size, step;
    int expected_step, expected_capacity;
  };
  // Empty arrays of small elements with step 1 get step 2; every empty array has room
  // for one element (rounded up to whole units).
  for (Case c : {Case{0, 4, 1, 2, 2}, Case{0, 8, 1, 2, 1}, Case{0, 127, 1, 2, 1},
                 Case{0, 128, 1, 1, 1}, Case{0, 200, 1, 1, 1}, Case{1, 4, 1, 1, 2},
                 Case{0, 4, 3, 3, 2}, Case{5, 8, 9000, vek::XAR_MAX_STEP, 5},
                 Case{0, 8, 8191, 8191, 1}, Case{3, 3, 1, 1, 5}}) {
    void* x = vek::xar_alloc(c.count, c.size, c.step);
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(vek::xar_hdr_step(x), c.expected_step) << c.count << "/" << c.size;
    EXPECT_EQ(vek::xar_hdr_capacity(x), c.expected_capacity) << c.count << "/" << c.size;
    EXPECT_EQ(vek::xar_count(&x), c.count);
    vek::xar_free(&x);
  }
  EXPECT_EQ(vek::xar_alloc(0, 4, 0), nullptr);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(XarTest, ForceExtNoGivesStepOne) {
  EXPECT_EQ(vek::set_force_ext_no(1), 0);
  EXPECT_EQ(vek::get_force_ext_no(), 1);
  EXPECT_EQ(vek::get_xar_force_ext_no(), 1);
  void* x = vek::xar_alloc(0, 4, 10);
  EXPECT_EQ(vek::xar_hdr_step(x), 1);
  EXPECT_EQ(vek::set_force_ext_no(0), 1);
  vek::xar_testing_reset();
  EXPECT_EQ(vek::get_force_ext_no(), 0);
  vek::xar_free(&x);
}

TEST_F(XarTest, SwitchReportsAppearOnlyOutsideRunModeZero) {
  ConsoleCapture capture;
  vek::debug_xar_force_ext_no(1);
  vek::debug_xar_ignore_reloc_cnt(1);
  EXPECT_EQ(capture.out(), "");
  EXPECT_EQ(vek::get_force_ignore_reloc_cnt(), 1);
  EXPECT_EQ(vek::get_xar_ignore_reloc_cnt(), 1);
  vek::set_run_mode(1);
  vek::debug_xar_force_ext_no(1);
  vek::debug_xar_ignore_reloc_cnt(0);
  vek::debug_xar_force_ext_no(0);
  EXPECT_EQ(capture.out(),
            "Xarray extension size is now ignored.\n"
            "Xarray reloc count is now valid.\n"
            "Xarray extension size is now valid.\n");
  EXPECT_EQ(vek::set_force_ignore_reloc_cnt(1), 0);
}

// ---------------------------------------------------------------------------------------
// Growth

struct Move {
  int arriving;  // 1-based number of the element whose append moved the array
  int capacity;
  int zone;
};

// Appends one element at a time and records every growth of the capacity.
std::vector<Move> grow_one_by_one(void* p_xar, int total) {
  std::vector<Move> moves;
  for (int i = 1; i <= total; ++i) {
    void* handle = *static_cast<void**>(p_xar);
    int before = vek::xar_hdr_capacity(handle);
    double value = i;
    vek::xar_append(p_xar, 1, &value);
    handle = *static_cast<void**>(p_xar);
    if (vek::xar_hdr_capacity(handle) != before)
      moves.push_back({i, vek::xar_hdr_capacity(handle), vek::xar_tail_zone(handle)});
  }
  return moves;
}

TEST_F(XarTest, GrowthWidensTheStepWithEveryMove) {
  double* x = static_cast<double*>(vek::xar_alloc(0, sizeof(double), 10));
  EXPECT_EQ(vek::xar_hdr_capacity(x), 1);
  std::vector<Move> moves = grow_one_by_one(&x, 109);
  const std::vector<std::vector<int>> expected = {
      {2, 11, -2}, {12, 24, -3}, {25, 40, -4}, {41, 60, -5}, {61, 83, -6}, {84, 109, -7}};
  ASSERT_EQ(moves.size(), expected.size());
  for (std::size_t i = 0; i < moves.size(); ++i) {
    EXPECT_EQ(moves[i].arriving, expected[i][0]) << i;
    EXPECT_EQ(moves[i].capacity, expected[i][1]) << i;
    EXPECT_EQ(moves[i].zone, expected[i][2]) << i;
  }
  // The elements survived every move, and the room past them is zero.
  for (int i = 0; i < 109; ++i) ASSERT_EQ(x[i], i + 1);
  EXPECT_EQ(vek::xar_hdr_step(x), 10);
  vek::xar_free(&x);
}

TEST_F(XarTest, IgnoringTheMoveCountKeepsTheStep) {
  vek::set_force_ignore_reloc_cnt(1);
  double* x = static_cast<double*>(vek::xar_alloc(0, sizeof(double), 10));
  std::vector<Move> moves = grow_one_by_one(&x, 41);
  ASSERT_EQ(moves.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(moves[i].arriving, 2 + 10 * i);
    EXPECT_EQ(moves[i].capacity, 11 + 10 * i);
    EXPECT_EQ(moves[i].zone, -2 - i);
  }
  vek::xar_free(&x);
}

TEST_F(XarTest, PreRelocCoversTheRequestInWholeSteps) {
  int* x = static_cast<int*>(vek::xar_alloc(4, 4, 3));
  EXPECT_EQ(vek::xar_hdr_capacity(x), 4);
  EXPECT_EQ(vek::xar_pre_reloc(vek::xar_block_start(x), 1), 7);
  EXPECT_EQ(vek::xar_pre_reloc(vek::xar_block_start(x), 3), 7);
  EXPECT_EQ(vek::xar_pre_reloc(vek::xar_block_start(x), 4), 10);
  int* first = static_cast<int*>(vek::xar_extend(&x, 7));
  EXPECT_EQ(first, x + 4);
  EXPECT_EQ(vek::xar_count(&x), 11);
  // 13 elements asked for; the block holds whole units, which here give room for 14.
  EXPECT_EQ(vek::xar_hdr_length(x), (13u * 4 + 7) / 8 + 2);
  EXPECT_EQ(vek::xar_hdr_capacity(x), 14);
  EXPECT_TRUE(all_zero(x + 4, 10 * 4));
  EXPECT_EQ(vek::xar_extend(&x, 0), nullptr);
  EXPECT_EQ(vek::xar_count(&x), 11);
  vek::xar_free(&x);
}

TEST_F(XarTest, ManyMovesNeitherOverflowTheStepNorPassTheFloor) {
  // An array that has moved as often as the zone field can count.
  char* x = static_cast<char*>(vek::xar_alloc(0, 1, 8191));
  vek::xar_poke<std::int16_t>(vek::xar_tail(x), vek::XAR_TAIL_ZONE_OFFSET,
                              static_cast<std::int16_t>(vek::XAR_ZONE_FLOOR));
  EXPECT_EQ(vek::xar_pre_reloc(vek::xar_block_start(x), 1), vek::XAR_MAX_BYTES);
  vek::xar_extend(&x, 20);
  EXPECT_EQ(vek::xar_tail_zone(x), vek::XAR_ZONE_FLOOR);
  EXPECT_EQ(vek::xar_count(&x), 20);
  vek::xar_free(&x);

  // A hundred moves: the widened step is capped by the limit.
  x = static_cast<char*>(vek::xar_alloc(0, 1, 8191));
  vek::xar_poke<std::int16_t>(vek::xar_tail(x), vek::XAR_TAIL_ZONE_OFFSET, -100);
  EXPECT_EQ(vek::xar_pre_reloc(vek::xar_block_start(x), 1), vek::XAR_MAX_BYTES);
  vek::xar_free(&x);
}

TEST_F(XarTest, DebugXarGivesEmptyArraysNoRoom) {
  setenv("DEBUG_XAR", "", 1);
  vek::xar_testing_reset();
  long long* x = static_cast<long long*>(vek::xar_alloc(0, 8, 4));
  EXPECT_EQ(vek::xar_hdr_capacity(x), 0);
  EXPECT_EQ(vek::xar_hdr_length(x), 2u);
  long long value = 7;
  vek::xar_append(&x, 1, &value);
  EXPECT_EQ(vek::xar_tail_zone(x), -2);
  EXPECT_EQ(*x, 7);
  vek::xar_free(&x);

  // The variable is read once: until the switches are reset it keeps its effect.
  unsetenv("DEBUG_XAR");
  x = static_cast<long long*>(vek::xar_alloc(0, 8, 4));
  EXPECT_EQ(vek::xar_hdr_capacity(x), 0);
  vek::xar_free(&x);
  vek::xar_testing_reset();
  x = static_cast<long long*>(vek::xar_alloc(0, 8, 4));
  EXPECT_EQ(vek::xar_hdr_capacity(x), 1);
  vek::xar_free(&x);
}

// ---------------------------------------------------------------------------------------
// Shrinking, resizing, freeing and the header reads

TEST_F(XarTest, ShrinkZeroFillsAndLaterExtensionsReadZero) {
  int* x = static_cast<int*>(vek::xar_alloc(10, 4, 2));
  for (int i = 0; i < 10; ++i) x[i] = i + 1;
  EXPECT_EQ(vek::xar_shrink(&x, 4), x + 5);
  EXPECT_EQ(vek::xar_count(&x), 6);
  EXPECT_TRUE(all_zero(x + 6, 4 * 4));
  EXPECT_EQ(vek::xar_shrink(&x, 0), x + 5);
  int* first = static_cast<int*>(vek::xar_extend(&x, 30));  // moves
  EXPECT_EQ(first, x + 6);
  EXPECT_TRUE(all_zero(first, 30 * 4));
  EXPECT_TRUE(all_zero(x + 36, (vek::xar_hdr_capacity(x) - 36) * 4u));
  for (int i = 0; i < 6; ++i) EXPECT_EQ(x[i], i + 1);
  EXPECT_EQ(vek::xar_shrink(&x, 36), nullptr);
  EXPECT_TRUE(all_zero(x, vek::xar_hdr_capacity(x) * 4u));
  vek::xar_free(&x);
}

TEST_F(XarTest, ResizeShrinksOrExtends) {
  int* x = nullptr;
  EXPECT_EQ(vek::xar_resize(&x, 0), 0);
  EXPECT_EQ(x, nullptr);
  x = static_cast<int*>(vek::xar_alloc(2, 4, 1));
  x[0] = 5;
  x[1] = 6;
  EXPECT_EQ(vek::xar_resize(&x, 50), 0);
  EXPECT_EQ(vek::xar_count(&x), 50);
  EXPECT_EQ(x[0], 5);
  EXPECT_EQ(x[1], 6);
  EXPECT_TRUE(all_zero(x + 2, 48 * 4));
  EXPECT_EQ(vek::xar_resize(&x, 1), 0);
  EXPECT_EQ(vek::xar_count(&x), 1);
  EXPECT_EQ(x[1], 0);

  const int limit = vek::xar_max_count_get(4);
  EXPECT_EQ(vek::xar_resize_w_check(&x, limit + 1), 65);
  EXPECT_EQ(vek::xar_count(&x), 1);
  EXPECT_EQ(vek::xar_resize_w_check(&x, 3), 0);
  EXPECT_EQ(vek::xar_count(&x), 3);
  vek::xar_free(&x);
  EXPECT_EQ(vek::xar_resize_w_check(&x, 0), 0);
}

TEST_F(XarTest, ArraysUpToTheLimitAreAllowed) {
  const int limit = vek::xar_max_count_get(8);
  double* x = static_cast<double*>(vek::xar_alloc(limit, 8, 1));
  EXPECT_EQ(vek::xar_hdr_capacity(x), limit);
  vek::xar_free(&x);
  char* bytes = static_cast<char*>(vek::xar_alloc(0, 1, 8191));
  vek::xar_extend(&bytes, vek::XAR_MAX_BYTES);
  EXPECT_EQ(vek::xar_count(&bytes), vek::XAR_MAX_BYTES);
  vek::xar_free(&bytes);
}

TEST_F(XarTest, FreeReleasesHeapBlocksAndClearsTheHandle) {
  int* x = static_cast<int*>(vek::xar_alloc(3, 4, 1));
  EXPECT_EQ(live_blocks(), 1);
  vek::xar_free(&x);
  EXPECT_EQ(x, nullptr);
  EXPECT_EQ(live_blocks(), 0);
  vek::xar_free(&x);
  vek::xar_free(nullptr);
  EXPECT_EQ(vek::xar_count(&x), 0);
  EXPECT_EQ(vek::xar_count(nullptr), 0);
  EXPECT_EQ(vek::xar_last(&x), nullptr);
}

TEST_F(XarTest, CountLastAndParams) {
  short* x = static_cast<short*>(vek::xar_alloc(0, 2, 7));
  EXPECT_EQ(vek::xar_last(&x), nullptr);
  vek::xar_extend(&x, 3);
  EXPECT_EQ(vek::xar_last(&x), x + 2);
  int size = 0;
  int step = 0;
  int count = 0;
  int limit = 0;
  vek::xar_params(&x, &size, &step, &count, &limit);
  EXPECT_EQ(size, 2);
  EXPECT_EQ(step, 7);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(limit, vek::XAR_MAX_BYTES / 2);
  vek::xar_params(&x, nullptr, nullptr, nullptr, nullptr);
  vek::xar_free(&x);

  struct Case {
    int size, limit;
  };
  for (Case c : {Case{1, 0x1F3FF0}, Case{4, 511996}, Case{8, 255998}, Case{65535, 31},
                 Case{0, 0}, Case{-3, 0}})
    EXPECT_EQ(vek::xar_max_count_get(c.size), c.limit) << c.size;
}

// ---------------------------------------------------------------------------------------
// Validity checks

TEST_F(XarTest, DebugXarInvalidNeverEndsTheProcess) {
  int* x = static_cast<int*>(vek::xar_alloc(2, 4, 1));
  int* none = nullptr;
  EXPECT_EQ(vek::debug_xar_invalid(&x), 0);
  EXPECT_EQ(vek::debug_xar_invalid(&none), 1);
  EXPECT_EQ(vek::debug_xar_invalid(nullptr), 1);

  struct Damage {
    void* where;
    int offset;
  };
  for (Damage d : {Damage{x, vek::XAR_HEAD_MARK_OFFSET},
                   Damage{vek::xar_tail(x), vek::XAR_TAIL_MARK_OFFSET}}) {
    std::uint16_t saved = vek::xar_peek<std::uint16_t>(d.where, d.offset);
    vek::xar_poke<std::uint16_t>(d.where, d.offset, 0x1234);
    EXPECT_EQ(vek::debug_xar_invalid(&x), 1);
    vek::xar_poke<std::uint16_t>(d.where, d.offset, saved);
  }
  // A count beyond the room is no array either.
  vek::xar_poke<std::uint32_t>(vek::xar_tail(x), vek::XAR_TAIL_COUNT_OFFSET, 3);
  EXPECT_EQ(vek::debug_xar_invalid(&x), 1);
  vek::xar_set_count(x, 2);
  EXPECT_EQ(vek::debug_xar_invalid(&x), 0);
  vek::xar_free(&x);
}

// The length of a block with the most element room an array may have.
constexpr std::uint32_t kLongestLength = vek::XAR_MAX_BYTES / vek::XAR_UNIT + 2;

// Sets the block length of the header, keeping its step.
void set_length(void* x, std::uint32_t length) {
  std::uint32_t word = vek::xar_peek<std::uint32_t>(x, vek::XAR_LENGTH_WORD_OFFSET);
  word = (word & ~vek::XAR_LENGTH_MASK) | (length & vek::XAR_LENGTH_MASK);
  vek::xar_poke<std::uint32_t>(x, vek::XAR_LENGTH_WORD_OFFSET, word);
}

// The tail is found through the length: a length that reaches past the array's memory
// block, or past its zone's chunk, makes it invalid before anything is read there.
TEST_F(XarTest, DebugXarInvalidFindsCorruptLengths) {
  int zone = vek::alloc_zone(64);
  struct Case {
    const char* what;
    void* x;
  };
  const Case arrays[] = {{"heap", vek::xar_alloc(2, 4, 1)},
                         {"zone", vek::zone_xar_alloc(zone, 2, 4, 1)}};
  for (const Case& c : arrays) {
    SCOPED_TRACE(c.what);
    void* x = c.x;
    const std::uint32_t length = vek::xar_hdr_length(x);
    EXPECT_EQ(vek::debug_xar_invalid(&x), 0);
    for (std::uint32_t bad : {length + 1, length + 8, length + 1000, kLongestLength,
                              vek::XAR_LENGTH_MASK}) {
      set_length(x, bad);
      EXPECT_EQ(vek::debug_xar_invalid(&x), 1) << bad;
    }
    set_length(x, length);
    EXPECT_EQ(vek::debug_xar_invalid(&x), 0);
  }
  // A piece of a zone names its zone.
  void* x = arrays[1].x;
  vek::xar_poke<std::int16_t>(vek::xar_tail(x), vek::XAR_TAIL_ZONE_OFFSET, -1);
  EXPECT_EQ(vek::debug_xar_invalid(&x), 1);
  vek::xar_poke<std::int16_t>(vek::xar_tail(x), vek::XAR_TAIL_ZONE_OFFSET,
                              static_cast<std::int16_t>(zone));
  EXPECT_EQ(vek::debug_xar_invalid(&x), 0);
  vek::free_zone(zone);
  x = arrays[0].x;
  vek::xar_free(&x);
}

TEST_F(XarTest, MemusageReportsFiguresOfValidArrays) {
  int* x = static_cast<int*>(vek::xar_alloc(3, 4, 1));
  int size = -1;
  int count = -1;
  int capacity = -1;
  int overhead = -1;
  ASSERT_EQ(vek::debug_xar_memusage(vek::xar_block_start(x), &size, &count, &capacity), 1);
  EXPECT_EQ(size, 4);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(capacity, 4);
  EXPECT_EQ(vek::debug_xar_memusage(nullptr, &size, &count, &capacity), 0);

  ASSERT_EQ(vek::debug_user_xar_memusage(&x, &size, &count, &capacity, &overhead), 1);
  EXPECT_EQ(capacity, 4);
  EXPECT_EQ(overhead, static_cast<int>(16 + block_overhead(vek::xar_block_start(x))));

  int* none = nullptr;
  EXPECT_EQ(vek::debug_user_xar_memusage(&none, &size, &count, &capacity, &overhead), 1);
  EXPECT_EQ(size + count + capacity + overhead, 0);

  vek::set_run_mode(1);
  ConsoleCapture capture;
  vek::xar_poke<std::uint16_t>(x, vek::XAR_HEAD_MARK_OFFSET, 0);
  EXPECT_EQ(vek::debug_user_xar_memusage(&x, &size, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(vek::debug_xar_memusage(vek::xar_block_start(x), nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(capture.out(), "debug_xar_hdr_memusage:  invalid xarray! (INFO MESSAGE)\n");
  vek::xar_poke<std::uint16_t>(x, vek::XAR_HEAD_MARK_OFFSET, vek::XAR_HEAD_MARK);
  vek::xar_free(&x);
}

// ---------------------------------------------------------------------------------------
// Arrays in zones

TEST_F(XarTest, ZoneArraysGrowByNewPiecesAndKeepTheirStep) {
  int zone = vek::alloc_zone(0);
  int* x = static_cast<int*>(vek::zone_xar_alloc(zone, 0, 4, 3));
  EXPECT_EQ(vek::xar_tail_zone(x), zone);
  EXPECT_EQ(vek::zone_get_size(zone), 24);
  const int blocks = live_blocks();
  int moves = 0;
  for (int i = 0; i < 40; ++i) {
    // A zone array never widens its step.
    ASSERT_EQ(vek::xar_pre_reloc(vek::xar_block_start(x), 1), vek::xar_hdr_capacity(x) + 3);
    int* before = x;
    int value = i * 3;
    vek::xar_append(&x, 1, &value);
    if (x != before) ++moves;
  }
  EXPECT_GT(moves, 5);
  for (int i = 0; i < 40; ++i) ASSERT_EQ(x[i], i * 3);
  EXPECT_EQ(vek::xar_tail_zone(x), zone);
  EXPECT_EQ(live_blocks(), blocks);
  ASSERT_EQ(vek::debug_xar_memusage(vek::xar_block_start(x), nullptr, nullptr, nullptr), 1);

  // Freeing leaves the piece to the zone.
  long used = vek::zone_get_size(zone);
  vek::xar_free(&x);
  EXPECT_EQ(x, nullptr);
  EXPECT_EQ(vek::zone_get_size(zone), used);
  EXPECT_EQ(live_blocks(), blocks);
}

TEST_F(XarTest, MemusageRefusesArraysOfZonesNotInUse) {
  int* x = static_cast<int*>(vek::xar_alloc(1, 4, 1));
  vek::xar_poke<std::int16_t>(vek::xar_tail(x), vek::XAR_TAIL_ZONE_OFFSET, 5);
  EXPECT_EQ(vek::debug_xar_memusage(vek::xar_block_start(x), nullptr, nullptr, nullptr), 0);
  for (int i = 0; i <= 5; ++i) vek::alloc_zone(64);
  EXPECT_EQ(vek::debug_xar_memusage(vek::xar_block_start(x), nullptr, nullptr, nullptr), 1);
  vek::free_zone(5);
  EXPECT_EQ(vek::debug_xar_memusage(vek::xar_block_start(x), nullptr, nullptr, nullptr), 0);
  vek::xar_poke<std::int16_t>(vek::xar_tail(x), vek::XAR_TAIL_ZONE_OFFSET, -1);
  vek::xar_free(&x);
}

// ---------------------------------------------------------------------------------------
// Faults that end the process

struct Fatal {
  const char* what;
  std::function<void()> act;
  const char* expected;  // regex of the printed report
};

void expect_fatal(const Fatal& fatal) {
  EXPECT_EXIT(
      {
        yrltest::route_console_to_stderr();
        fatal.act();
      },
      ExitedWithCode(2), fatal.expected)
      << fatal.what;
}

// An array whose head or tail mark was overwritten.
void* damaged(int offset_from_tail) {
  void* x = vek::xar_alloc(2, 4, 1);
  if (offset_from_tail < 0)
    vek::xar_poke<std::uint16_t>(x, vek::XAR_HEAD_MARK_OFFSET, 0);
  else
    vek::xar_poke<std::uint16_t>(vek::xar_tail(x), offset_from_tail, 0);
  return x;
}

TEST_F(XarDeathTest, InvalidArraysEndTheProcess) {
  const char* serious = "Serious internal error; cannot continue.";
  std::vector<Fatal> cases = {
      {"extend null", [] { void* x = nullptr; vek::xar_extend(&x, 1); },
       "XAR_EXTEND:  invalid array\n"},
      {"extend null address", [] { vek::xar_extend(nullptr, 1); },
       "XAR_EXTEND:  invalid array\n"},
      {"append null", [] { void* x = nullptr; int v = 1; vek::xar_append(&x, 1, &v); },
       "XAR_EXTEND:  invalid array\n"},
      {"count of bad head", [] { void* x = damaged(-1); vek::xar_count(&x); },
       "XAR_COUNT:  invalid array\n"},
      {"last of bad tail", [] { void* x = damaged(0); vek::xar_last(&x); },
       "XAR_LAST:  invalid array\n"},
      {"free of bad tail", [] { void* x = damaged(0); vek::xar_free(&x); },
       "XAR_FREE:  invalid array\n"},
      {"shrink of bad head", [] { void* x = damaged(-1); vek::xar_shrink(&x, 1); },
       "XAR_SHRINK:  invalid array\n"},
      {"resize null to 3", [] { void* x = nullptr; vek::xar_resize(&x, 3); },
       "XAR_RESIZE:  invalid array\n"},
      {"params of null", [] { void* x = nullptr; vek::xar_params(&x, 0, 0, 0, 0); },
       "XAR_PARAMS:  invalid array\n"},
      {"sort of bad head",
       [] {
         void* x = damaged(-1);
         vek::xar_sort(&x, [](const void*, const void*) { return 0; });
       },
       "XAR_COUNT:  invalid array\n"},
  };
  for (const Fatal& fatal : cases) expect_fatal(fatal);
  expect_fatal({"stop line", [] { vek::xar_extend(nullptr, 1); }, serious});
}

TEST_F(XarDeathTest, CorruptLengthsGiveTheInvalidArrayStop) {
  for (bool in_zone : {false, true})
    for (std::uint32_t length : {kLongestLength, vek::XAR_LENGTH_MASK})
      expect_fatal({in_zone ? "zone" : "heap",
                    [in_zone, length] {
                      void* x = in_zone ? vek::zone_xar_alloc(vek::alloc_zone(64), 2, 4, 1)
                                        : vek::xar_alloc(2, 4, 1);
                      set_length(x, length);
                      vek::xar_count(&x);
                    },
                    "^XAR_COUNT:  invalid array\nSerious internal error; cannot continue.\n$"});
}

TEST_F(XarDeathTest, InvalidRequestsEndTheProcess) {
  std::vector<Fatal> cases = {
      {"negative count", [] { vek::xar_alloc(-1, 4, 1); }, "XAR_ALLOC:  invalid request\n"},
      {"size 0", [] { vek::xar_alloc(1, 0, 1); }, "XAR_ALLOC:  invalid request\n"},
      {"size beyond 16 bits", [] { vek::xar_alloc(1, 65536, 1); },
       "XAR_ALLOC:  invalid request\n"},
      {"step 0 with a count", [] { vek::xar_alloc(1, 4, 0); }, "XAR_ALLOC:  invalid request\n"},
      {"zone beyond the field", [] { vek::zone_xar_alloc(40000, 1, 4, 1); },
       "XAR_ALLOC:  invalid request\n"},
      {"negative extension",
       [] { void* x = vek::xar_alloc(1, 4, 1); vek::xar_extend(&x, -1); },
       "XAR_EXTEND:  invalid request\n"},
      {"shrink beyond count",
       [] { void* x = vek::xar_alloc(2, 4, 1); vek::xar_shrink(&x, 3); },
       "XAR_SHRINK:  invalid request\n"},
      {"negative resize",
       [] { void* x = vek::xar_alloc(2, 4, 1); vek::xar_resize(&x, -1); },
       "XAR_RESIZE:  invalid request\n"},
      {"replicate from count",
       [] { void* x = vek::xar_alloc(2, 4, 1); vek::xar_replicate(&x, 2, 0); },
       "XAR_REPLICATE:  invalid request\n"},
      {"replicate to beyond count",
       [] { void* x = vek::xar_alloc(2, 4, 1); vek::xar_replicate(&x, 0, 3); },
       "XAR_REPLICATE:  invalid request\n"},
      {"insert beyond count",
       [] { void* x = vek::xar_alloc(2, 4, 1); vek::xar_insert(&x, 3, 1, nullptr); },
       "arr_insert wrong call. \n"},
      {"remove beyond count",
       [] { void* x = vek::xar_alloc(2, 4, 1); vek::xar_remove(&x, 1, 2); },
       "arr_delete wrong call. \n"},
  };
  for (const Fatal& fatal : cases) expect_fatal(fatal);
}

TEST_F(XarDeathTest, TooBigArraysEndTheProcess) {
  std::vector<Fatal> cases = {
      {"alloc beyond limit", [] { vek::xar_alloc(vek::XAR_MAX_BYTES / 4 + 1, 4, 1); },
       "XAR_ALLOC:  too big array\n"},
      {"grow beyond limit",
       [] {
         void* x = vek::xar_alloc(vek::XAR_MAX_BYTES / 8, 8, 1);
         vek::xar_extend(&x, 1);
       },
       " XAR_PRE_RELOC:  too big array\n.*Serious internal error; cannot continue."},
      {"grow by a huge count",
       [] {
         void* x = vek::xar_alloc(5, 1, 1);
         vek::xar_extend(&x, 0x7FFFFFFF);
       },
       " XAR_PRE_RELOC:  too big array\n"},
      {"zone piece beyond a chunk",
       [] {
         void* x = vek::zone_xar_alloc(vek::alloc_zone(64), 0, 8, 100);
         vek::xar_extend(&x, 2);
       },
       " XAR_EXTEND:  out of memory\n.*Serious internal error; cannot continue."},
      {"zone that is not in use", [] { vek::zone_xar_alloc(3, 1, 4, 1); },
       "XAR_ALLOC:  out of memory\n"},
  };
  for (const Fatal& fatal : cases) expect_fatal(fatal);
}

}  // namespace
