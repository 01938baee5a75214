// Usage statistics of the memory chain.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "fileaccess/core/pfa.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/getmem_layout.h"
#include "runtime/memory/xar.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace vek;

using MemusageTest = yrltest::RuntimeTest;

std::unique_ptr<MemusageSnapshot> new_record() { return std::make_unique<MemusageSnapshot>(); }

// Blocks of 40, 40 and 100 bytes and one growable array of three ints (a 32-byte block:
// 8 header bytes, room for 4 ints, 8 tail bytes).
void make_known_set() {
  getmem(40);
  int* x = static_cast<int*>(xar_alloc(3, 4, 10));
  x[0] = 1;
  x[2] = 3;
  getmem(100);
  getmem(40);
}

const char* const KNOWN_SET_REPORT =
    "\n ************* Memory usage statistics ******** \n"
    "\n ** Getmem (!xarray & !clump) memory blocks **\n"
    "|  SIZE     |   COUNT   |   BYTES   |\n"
    "|       100 |         1 |       100 |\n"
    "|        40 |         2 |        80 |\n"
    " 3 objects of 2 sizes tracked.\n"
    " ** Subcategory total - 180 bytes; Overhead - 132 bytes. **\n"
    " **   32 bytes of getmem overhead are caused by xarrays\n"
    " **   0 bytes of getmem overhead are caused by clumps\n"
    "\n ** Xarray memory usage\n"
    "| OBJ_SIZE  | N_ARRAYS  |DATA_BYTES | OBJinARR  |\n"
    "|         4 |         1 |        12|          3 |\n"
    " 1 xarrays of 1 object sizes tracked.\n"
    " Total memory used by valid data in xarrays: 12 bytes\n"
    " Additional memory reserved for xarray expansions: 4 bytes\n"
    " 0 expandable arrays are empty\n"
    " Overhead imposed by xarrays - 16 bytes\n"
    "\n ** Clump memory usage\n"
    "| OBJ_SIZE  | N_OBJECT  |DATA_BYTES |\n"
    " 0 objects in clumps of 0 object sizes tracked.\n"
    " Total useful memory in clumps 0 bytes\n"
    " Total clump overhead is 0 bytes\n"
    "\n ** Memory usage summary: \n"
    "            useful = 180 + 12 + 0 = 192\n"
    "            overhead = 132 + 4 + 16 + 0 = 152\n"
    "            total = 192 + 152 = 344\n"
    "\n ********************************************** \n";

TEST_F(MemusageTest, SnapshotOfAKnownSetPrintsExactly) {
  make_known_set();
  auto record = new_record();
  EXPECT_EQ(memusage_snapshot(record.get()), 0);
  long system = 0;
  get_memory_usage(nullptr, nullptr, &system, nullptr);
  EXPECT_EQ(system, 344) << "useful plus overhead is the system size";
  yrltest::ConsoleCapture console;
  memusage_print(record.get(), nullptr);
  EXPECT_EQ(console.out(), KNOWN_SET_REPORT);
}

TEST_F(MemusageTest, PrintGoesToAFileHandle) {
  yrltest::InTempDir dir;
  make_known_set();
  auto record = new_record();
  memusage_snapshot(record.get());
  VynFile* file = pfa_fopen_file_vers("usage.txt", "w", 0);
  ASSERT_NE(file, nullptr);
  memusage_print(record.get(), file);
  pfa_dispose(&file);
  EXPECT_EQ(yrltest::read_file("usage.txt"), KNOWN_SET_REPORT);
}

TEST_F(MemusageTest, EmptyArraysAndSizesBeyondTheSlotsAreCounted) {
  void* empty = xar_alloc(0, 8, 1);
  for (int size = 1; size <= MEMUSAGE_SLOTS + 76; ++size) getmem(static_cast<std::size_t>(size));
  auto record = new_record();
  memusage_count(record.get());
  EXPECT_EQ(record->xar_empty, 1);
  EXPECT_EQ(record->blocks.used, MEMUSAGE_SLOTS - 1);
  EXPECT_EQ(record->blocks.slot[1].key, 1) << "in order of first appearance";
  EXPECT_EQ(record->blocks.slot[0].count, 77);
  EXPECT_EQ(record->blocks.slot[0].bytes, (1024 + 1100) * 77 / 2);
  sort_histogram(&record->blocks);
  EXPECT_EQ(record->blocks.slot[1].key, MEMUSAGE_SLOTS - 1);
  EXPECT_EQ(record->blocks.slot[MEMUSAGE_SLOTS - 1].key, 1);
  yrltest::ConsoleCapture console;
  memusage_print(record.get(), nullptr);
  EXPECT_NE(console.out().find("|  other    |        77 |     81774 |\n"), std::string::npos);
  EXPECT_NE(console.out().find(" 1100 objects of 1023 sizes tracked.\n"), std::string::npos);
  xar_free(&empty);
}

TEST_F(MemusageTest, DifferenceKeepsChangedSizesAndNegatesVanishedOnes) {
  getmem(40);
  void* hundred = getmem(100);
  getmem(40);
  void* x = xar_alloc(3, 4, 10);
  auto before = new_record();
  memusage_snapshot(before.get());
  rlsmem(hundred);
  getmem(40);
  getmem(7);
  auto after = new_record();
  memusage_snapshot(after.get());
  auto diff = new_record();
  memusage_diff(after.get(), before.get(), diff.get());
  ASSERT_EQ(diff->blocks.used, 3);
  const MemusageSlot expected[] = {{100, -1, -100}, {40, 1, 40}, {7, 1, 7}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(diff->blocks.slot[i + 1].key, expected[i].key);
    EXPECT_EQ(diff->blocks.slot[i + 1].count, expected[i].count);
    EXPECT_EQ(diff->blocks.slot[i + 1].bytes, expected[i].bytes);
  }
  EXPECT_EQ(diff->xars.used, 0) << "an unchanged size is left out";
  EXPECT_EQ(diff->block_bytes, 47 - 100);
  EXPECT_EQ(diff->getmem_overhead, (32 + 33) - 36);

  // The difference may be taken into one of its inputs.
  memusage_diff(after.get(), before.get(), after.get());
  EXPECT_EQ(after->blocks.used, 3);
  EXPECT_EQ(after->block_bytes, -53);
  xar_free(&x);
}

TEST_F(MemusageTest, MergedHistogramLongerThanTheSlotsSpillsIntoOther) {
  auto a = std::make_unique<MemusageHistogram>();
  auto b = std::make_unique<MemusageHistogram>();
  auto out = std::make_unique<MemusageHistogram>();
  a->used = b->used = MEMUSAGE_SLOTS - 1;
  a->slot[0] = {0, 5, 50};
  b->slot[0] = {0, 2, 20};
  long count = 5 - 2;
  long bytes = 50 - 20;
  for (int i = 1; i < MEMUSAGE_SLOTS; ++i) {
    const long key = 2 * (MEMUSAGE_SLOTS - i);  // even keys in a, odd keys in b
    a->slot[i] = {key, 2, 2 * key};
    b->slot[i] = {key + 1, 1, key + 1};
    count += 2 - 1;
    bytes += 2 * key - (key + 1);
  }
  memusage_array_diff(a.get(), b.get(), out.get(), 1);
  EXPECT_EQ(out->used, MEMUSAGE_SLOTS - 1);
  long out_count = 0;
  long out_bytes = 0;
  for (int i = 0; i <= out->used; ++i) {
    out_count += out->slot[i].count;
    out_bytes += out->slot[i].bytes;
    if (i > 1) {
      EXPECT_GT(out->slot[i - 1].key, out->slot[i].key);
    }
  }
  EXPECT_EQ(out_count, count);
  EXPECT_EQ(out_bytes, bytes);
  EXPECT_EQ(out->slot[1].key, 2 * (MEMUSAGE_SLOTS - 1) + 1);
}

TEST_F(MemusageTest, LoopIncrementAlternatesRecordsAndReportsTheGrowth) {
  getmem(40);
  yrltest::ConsoleCapture console;
  EXPECT_EQ(memusage_loop_increment(nullptr), 0);
  const std::string first = console.out();
  EXPECT_EQ(first.rfind(" *** MEMORY USAGE INCREMENT REPORT *** \n", 0), 0u);
  EXPECT_NE(first.find("|        40 |         1 |        40 |\n"), std::string::npos);

  console.clear();
  getmem(24);
  EXPECT_EQ(memusage_loop_increment(nullptr), 1);
  EXPECT_NE(console.out().find("|  SIZE     |   COUNT   |   BYTES   |\n"
                               "|        24 |         1 |        24 |\n"
                               " 1 objects of 1 sizes tracked.\n"),
            std::string::npos);
  EXPECT_EQ(memusage_loop_increment(nullptr), 0);

  console.clear();
  memusage_loop_stats(nullptr);
  EXPECT_EQ(console.out().rfind(" *** MEMORY USAGE STATISTICS REPORT *** \n", 0), 0u);
  EXPECT_NE(console.out().find(" 2 objects of 2 sizes tracked.\n"), std::string::npos);
  console.clear();
  getmem(8);
  memusage_print_snapshot(nullptr);
  EXPECT_EQ(console.out().rfind(" *** MEMORY USAGE STATISTICS REPORT *** \n", 0), 0u);
  EXPECT_NE(console.out().find(" 3 objects of 3 sizes tracked.\n"), std::string::npos);
}

TEST_F(MemusageTest, StatisticsBeforeAnyIncrementPrintAnEmptyRecord) {
  getmem(40);
  yrltest::ConsoleCapture console;
  memusage_loop_stats(nullptr);
  EXPECT_NE(console.out().find(" 0 objects of 0 sizes tracked.\n"), std::string::npos);
}

TEST_F(MemusageTest, ACorruptBlockEndsTheCount) {
  getmem(10);
  void* p = getmem(20);
  getmem_block_of(p)[GETMEM_GUARD_OFFSET] ^= 1;
  auto record = new_record();
  yrltest::ConsoleCapture console;
  EXPECT_EQ(memusage_count(record.get()), 1);
  EXPECT_EQ(console.out(), " Memory corruption detected.\n");
  getmem_block_of(p)[GETMEM_GUARD_OFFSET] ^= 1;
}

}  // namespace
