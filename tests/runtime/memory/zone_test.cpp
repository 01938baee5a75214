// Numbered zones: pieces carved from chunks, recycling by emptying, release whole.
#include "runtime/memory/zone.h"

#include <gtest/gtest.h>

#include <cstring>

#include "runtime/diag/diag.h"
#include "runtime/diag/runmode.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/zone_testing.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"

namespace {

using yrltest::live_blocks;

class ZoneTest : public yrltest::RuntimeTest {};


char* piece(int zone, int size) { return static_cast<char*>(vek::zone_getmem(zone, size)); }

TEST_F(ZoneTest, DefaultChunksHold65432Bytes) {
  int zone = vek::alloc_zone(0);
  EXPECT_EQ(zone, 0);
  EXPECT_EQ(vek::zone_get_size(zone), 0);
  char* whole = piece(zone, 65432);
  ASSERT_NE(whole, nullptr);
  EXPECT_EQ(vek::getmem_area_size(whole), 65432);
  EXPECT_EQ(piece(zone, 65433), nullptr);
  EXPECT_EQ(vek::alloc_zone(-5), 1);
}

TEST_F(ZoneTest, PiecesAreRoundedToEightBytesAndFollowEachOther) {
  int zone = vek::alloc_zone(64);
  char* first = piece(zone, 10);
  EXPECT_EQ(vek::zone_get_size(zone), 16);
  char* second = piece(zone, 1);
  EXPECT_EQ(second, first + 16);
  EXPECT_EQ(piece(zone, 0), first + 24);
  EXPECT_EQ(vek::zone_get_size(zone), 24);
  // What does not fit the chunk goes to the start of a new one.
  char* third = piece(zone, 48);
  EXPECT_NE(third, first + 24);
  EXPECT_EQ(vek::getmem_area_size(third), 64);
  EXPECT_EQ(vek::zone_get_size(zone), 64 + 48);
  for (int i = 0; i < 48; ++i) ASSERT_EQ(third[i], 0);
  EXPECT_EQ(piece(zone, 65), nullptr);
  EXPECT_EQ(piece(zone, -1), nullptr);
}

TEST_F(ZoneTest, EmptyingRecyclesTheChunksInOrder) {
  int zone = vek::alloc_zone(32);
  char* a = piece(zone, 32);
  char* b = piece(zone, 32);
  char* c = piece(zone, 32);
  std::memset(a, 1, 32);
  std::memset(b, 2, 32);
  const int blocks = live_blocks();

  EXPECT_EQ(vek::empty_zone_low(zone, 0), 0);
  EXPECT_EQ(vek::zone_get_size(zone), 0);
  EXPECT_EQ(piece(zone, 32), a);
  EXPECT_EQ(a[0], 1);  // kept without clearing
  EXPECT_EQ(piece(zone, 8), b);
  EXPECT_EQ(piece(zone, 32), c);
  EXPECT_EQ(live_blocks(), blocks);

  EXPECT_EQ(vek::empty_zone(zone), 0);
  EXPECT_EQ(piece(zone, 32), a);
  for (char* chunk : {a, b, c})
    for (int i = 0; i < 32; ++i) ASSERT_EQ(chunk[i], 0);
  EXPECT_EQ(live_blocks(), blocks);
  piece(zone, 32);
  piece(zone, 32);
  piece(zone, 32);  // a fourth chunk only now
  EXPECT_EQ(live_blocks(), blocks + 1);
}

TEST_F(ZoneTest, FreeReleasesEverythingAndTheNumberIsReused) {
  const int start = live_blocks();
  int first = vek::alloc_zone(16);
  int second = vek::alloc_zone(16);
  const int with_zones = live_blocks();
  for (int i = 0; i < 30; ++i) piece(second, 16);
  EXPECT_EQ(vek::free_zone(second), 0);
  EXPECT_EQ(vek::check_zone(second), 0);
  // Two chunk lists and two first chunks went; the table stays.
  EXPECT_EQ(live_blocks(), with_zones - 2);
  EXPECT_EQ(vek::alloc_zone(8), second);
  EXPECT_EQ(vek::check_zone(second), 1);
  vek::free_zone(second);
  vek::free_zone(first);
  EXPECT_EQ(live_blocks(), start + 1);
}

TEST_F(ZoneTest, ZonesNotInUseAreReportedAndRefused) {
  vek::set_verbose_mode(1);
  vek::set_run_mode(1);
  vek::set_dbg_err_crash(0);
  yrltest::ConsoleCapture capture;
  EXPECT_EQ(vek::check_zone(0), 0);
  EXPECT_EQ(vek::zone_getmem(0, 8), nullptr);
  EXPECT_EQ(vek::zone_get_size(3), 0);
  EXPECT_NE(capture.out().find("error_break:  Memory error.\n"), std::string::npos);

  int zone = vek::alloc_zone(64);
  piece(zone, 24);
  vek::free_zone(zone);
  EXPECT_EQ(vek::check_zone(zone), 0);
  EXPECT_EQ(vek::check_zone(-1), 0);
  EXPECT_EQ(vek::zone_getmem(zone, 8), nullptr);
  EXPECT_EQ(vek::zone_get_size(zone), 24);  // the released record's figure
  EXPECT_EQ(vek::empty_zone(zone), 0);
  EXPECT_EQ(vek::free_zone(zone), 0);
  EXPECT_EQ(vek::free_zone(-2), 0);
  EXPECT_EQ(vek::empty_zone_low(9, 1), 0);
}

TEST_F(ZoneTest, TinyChunkSizesStillHoldOneUnit) {
  int zone = vek::alloc_zone(3);
  char* first = piece(zone, 8);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(vek::getmem_area_size(first), 8);
  EXPECT_EQ(piece(zone, 9), nullptr);
}

}  // namespace
