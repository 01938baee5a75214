// Numbered zones: pieces carved from chunks, recycling by emptying, release whole.
#include "runtime/memory/zone.h"

#include <gtest/gtest.h>

#include <cstring>

#include "runtime/diag/diag.h"
#include "runtime/diag/runmode.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
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

// ---- typed-size zones, the scratch zone, block lists

TEST_F(ZoneTest, TypedSizeZonePieces) {
  vek::TszZone* zone = vek::tsz_create_zone(64);
  // Each row: a request, and where the piece lands (chunk index, offset in it), or the
  // large-block list for a size above the chunk size.
  const struct {
    int size;
    int chunk;   // -1: a block of its own
    int offset;
  } rows[] = {
      {10, 0, 0}, {20, 0, 16}, {40, 1, 0}, {24, 1, 40}, {8, 0, 40}, {65, -1, 0}, {64, 2, 0},
      {16, 0, 48},
  };
  for (const auto& row : rows) {
    char* p = static_cast<char*>(vek::tsz_zone_getmem(zone, row.size));
    ASSERT_NE(p, nullptr);
    if (row.chunk < 0) {
      EXPECT_EQ(vek::getmem_area_size(p), row.size);
      EXPECT_EQ(zone->large[vek::xar_count(&zone->large) - 1], p);
    } else {
      EXPECT_EQ(p, zone->chunks[row.chunk].address + row.offset) << "size " << row.size;
    }
    std::memset(p, 0xAB, static_cast<std::size_t>(row.size));
  }
  EXPECT_EQ(zone->last, 2);
  const int blocks = live_blocks();
  vek::tsz_clear_zone(zone);
  EXPECT_EQ(live_blocks(), blocks - 1);  // the large block went
  EXPECT_EQ(vek::xar_count(&zone->large), 0);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(zone->chunks[i].used, 0u);
    for (int b = 0; b < 64; ++b) ASSERT_EQ(zone->chunks[i].address[b], 0);
  }
  // The cleared chunks are used again, the last first.
  EXPECT_EQ(vek::tsz_zone_getmem(zone, 8), zone->chunks[2].address);
  EXPECT_EQ(vek::tsz_destroy_zone(zone), 0);
  // A null zone is left alone.
  vek::tsz_clear_zone(nullptr);
  EXPECT_EQ(vek::tsz_destroy_zone(nullptr), 0);
  EXPECT_EQ(vek::tsz_zone_getmem(nullptr, 8), nullptr);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(ZoneTest, ScratchZone) {
  // Without a scratch zone w_getmem starts one; clearing and ending without one do
  // nothing.
  EXPECT_EQ(vek::w_getmem(0), nullptr);
  vek::end_w_getmem();
  char* a = static_cast<char*>(vek::w_getmem(100));
  ASSERT_NE(a, nullptr);
  char* b = static_cast<char*>(vek::w_getmem(1));
  EXPECT_EQ(b, a + 104);
  std::memset(a, 1, 100);
  EXPECT_EQ(vek::w_getmem(0), nullptr);  // clears
  EXPECT_EQ(a[0], 0);
  EXPECT_EQ(vek::w_getmem(8), a);
  vek::end_w_getmem();
  EXPECT_EQ(live_blocks(), 0);

  vek::TszZone* zone = vek::start_w_getmem();
  EXPECT_EQ(zone->chunk_size, 32768u);
  vek::destroy_w_getmem();  // forgotten, not released
  EXPECT_GT(live_blocks(), 0);
  EXPECT_NE(vek::w_getmem(8), nullptr);  // a new one
  vek::end_w_getmem();
  vek::tsz_destroy_zone(zone);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(ZoneTest, BlockLists) {
  vek::BlockListEntry* list = nullptr;
  char* start = static_cast<char*>(vek::block_getmem(&list, 100, 0, 0));
  ASSERT_NE(start, nullptr);
  EXPECT_EQ(vek::getmem_area_size(start), 65435);
  EXPECT_EQ(vek::block_getmem(&list, 100, 0, 0), start + 100);
  // Rows on a list of 50-byte blocks: size, extra, whether a new block opens, and the
  // used count of the last block after the call.
  vek::BlockListEntry* small = nullptr;
  const struct {
    int size;
    int extra;
    bool new_block;
    unsigned used;
  } rows[] = {{20, 0, true, 20}, {20, 10, false, 40}, {5, 6, true, 5}, {45, 0, false, 50},
              {1, 0, true, 1}};
  int blocks = 0;
  for (const auto& row : rows) {
    vek::block_getmem(&small, row.size, 50, row.extra);
    if (row.new_block) ++blocks;
    EXPECT_EQ(vek::xar_count(&small), blocks);
    EXPECT_EQ(small[blocks - 1].used, row.used);
  }
  vek::block_truncate(&small, 0);
  vek::block_getmem(&small, 30, 50, 0);
  vek::block_truncate(&small, 10);
  EXPECT_EQ(small[blocks - 1].used, 21u);

  yrltest::ConsoleCapture capture;
  vek::set_run_mode(0);
  EXPECT_EQ(vek::block_getmem(&small, 51, 50, 0), nullptr);
  EXPECT_EQ(vek::block_getmem(&small, 40, 50, 11), nullptr);
  vek::block_truncate(&small, 22);
  EXPECT_EQ(capture.out(),
            "block_getmem: requested size larger than block!\n"
            "block_getmem: requested size larger than block!\n"
            "block_truncate: requested size larger than block!\n");
  EXPECT_EQ(small[blocks - 1].used, 21u);

  vek::block_rlsmem(&list);
  vek::block_rlsmem(&small);
  vek::block_rlsmem(&small);  // a null list
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(live_blocks(), 0);
}

using ZoneDeathTest = yrltest::RuntimeDeathTest;

TEST_F(ZoneDeathTest, BlockListOverflowEndsTheProcessOutsideRunModeZero) {
  EXPECT_DEATH(
      {
        yrltest::route_console_to_stderr();
        vek::set_run_mode(1);
        vek::BlockListEntry* list = nullptr;
        vek::block_getmem(&list, 60, 50, 0);
      },
      "block_getmem: requested size larger than block!");
  EXPECT_DEATH(
      {
        yrltest::route_console_to_stderr();
        vek::set_run_mode(1);
        vek::BlockListEntry* list = nullptr;
        vek::block_truncate(&list, 1);
      },
      "block_truncate: requested size larger than block!");
}

TEST_F(ZoneTest, IdTables) {
  const int ids[] = {4, 8, 15};
  int* out = reinterpret_cast<int*>(1);
  int count = -1;
  int* tab = vek::alloc_id_tab(ids, 3, &out, &count);
  EXPECT_EQ(out, tab);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(vek::xar_count(&tab), 3);
  EXPECT_EQ(tab[2], 15);
  vek::xar_free(&tab);
  EXPECT_EQ(vek::alloc_id_tab(ids, 0, &out, &count), nullptr);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(count, 0);
}

}  // namespace
