// Memory pools: objects from clumps, pools by size for getmem, checks, reports and the
// memory-loop leak finder.
#include "runtime/memory/clump.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "runtime/diag/runmode.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "tests/support/scoped_env.h"
#include "tests/support/serious_reports.h"

namespace {

using yrltest::live_blocks;

class ClumpTest : public yrltest::RuntimeTest {};
using ClumpDeathTest = yrltest::RuntimeDeathTest;

int clumps_of(int id) {
  int n = 0;
  for (const vek::ClumpHeader* c = vek::clump_entry(id)->first; c != nullptr; c = c->next) ++n;
  return n;
}

TEST_F(ClumpTest, TwentyFourByteObjectsFillAClumpOfTwoThousandFortySeven) {
  int id = vek::create_mem_pool("VynFile", 24);
  ASSERT_EQ(id, 0);
  EXPECT_EQ(vek::clump_entry(id)->per_clump, 2047);  // (65,536 - 32) / 32
  std::vector<void*> objects;
  for (int i = 0; i < 2046; ++i) {
    auto* p = static_cast<unsigned char*>(vek::getmem_pool(id));
    ASSERT_NE(p, nullptr);
    for (int b = 0; b < 24; ++b) ASSERT_EQ(p[b], 0);
    std::memset(p, 0x5A, 24);
    objects.push_back(p);
  }
  EXPECT_EQ(clumps_of(id), 1);
  void* next = vek::getmem_pool(id);
  EXPECT_EQ(clumps_of(id), 2);  // one slot of each clump stays free
  EXPECT_EQ(vek::mempool_of_slot(next), id);
  EXPECT_EQ(vek::clumpmem_area_size(next), 24);
  EXPECT_EQ(vek::getmem_area_size(next), 24);
  EXPECT_EQ(vek::rlsmem(next), 0);  // the last object of its clump: the clump goes
  EXPECT_EQ(clumps_of(id), 1);
  vek::rlsmem(objects[0]);
  EXPECT_EQ(vek::mempool_of_slot(objects[0]), -1);  // a free slot
  for (std::size_t i = 1; i < objects.size(); ++i) vek::rlsmem(objects[i]);
  EXPECT_EQ(vek::clump_entry(id)->first, nullptr);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(ClumpTest, PoolsBySizeShareOneEntryAndNames) {
  EXPECT_EQ(vek::register_clump("abc", 20), 0);
  EXPECT_EQ(vek::register_clump("def", 24), 0);
  EXPECT_STREQ(vek::clump_entry(0)->name, "abc + def");
  EXPECT_EQ(vek::clump_entry(0)->size, 24u);
  // Named pools of the same size are pools of their own.
  EXPECT_EQ(vek::create_mem_pool("ghi", 24), 1);
  // Extensions stop at 30 characters.
  EXPECT_EQ(vek::register_clump("a-name-of-twenty-six-chars", 40), 2);
  EXPECT_EQ(vek::register_clump("second-name", 40), 2);
  EXPECT_STREQ(vek::clump_entry(2)->name, "a-name-of-twenty-six-chars + s");
  EXPECT_EQ(vek::register_clump("third", 40), 2);
  EXPECT_STREQ(vek::clump_entry(2)->name, "a-name-of-twenty-six-chars + s");
  EXPECT_EQ(vek::register_clump("a name of more than thirty-one characters", 48), 3);
  EXPECT_STREQ(vek::clump_entry(3)->name, "a name of more than thirty-one ");

  EXPECT_EQ(vek::find_non_id_clump(17), 0);
  EXPECT_EQ(vek::find_non_id_clump(24), 0);
  EXPECT_EQ(vek::find_non_id_clump(33), 2);
  EXPECT_EQ(vek::find_non_id_clump(56), -1);  // automatic mode is off

  // A freed pool's id serves nothing; its entry is taken by the next registration.
  void* p = vek::getmem_pool(1);
  EXPECT_EQ(vek::free_all_pool(1), 1);
  EXPECT_EQ(vek::getmem_pool(1), nullptr);
  EXPECT_EQ(vek::free_all_pool(1), 0);
  EXPECT_EQ(vek::create_mem_pool("jkl", 100), 1);
  (void)p;
  EXPECT_EQ(vek::getmem_pool(7), nullptr);
  EXPECT_EQ(vek::getmem_pool(-1), nullptr);
  EXPECT_EQ(live_blocks(), 0);
}

// Random requests and releases over three pools against a model of the live objects,
// whose contents must stay as written; the chain check stays clean after every step.
TEST_F(ClumpTest, RandomRequestsAgreeWithAModel) {
  yrltest::SeriousReports reports;  // any report of the checks below fails the test
  const int sizes[] = {8, 200, 1000};
  int ids[3];
  for (int i = 0; i < 3; ++i) ids[i] = vek::create_mem_pool("pool", sizes[i]);
  std::map<unsigned char*, std::pair<int, unsigned char>> live;  // object: pool, byte
  std::mt19937 random(118);
  for (int step = 0; step < 6000; ++step) {
    if (random() % 5 < 3 || live.empty()) {
      int which = static_cast<int>(random() % 3);
      auto* p = static_cast<unsigned char*>(vek::getmem_pool_xar(ids[which], step % 2));
      ASSERT_NE(p, nullptr);
      ASSERT_EQ(live.count(p), 0u);
      unsigned char fill = static_cast<unsigned char>(step);
      std::memset(p, fill, static_cast<std::size_t>(sizes[which]));
      live[p] = {which, fill};
    } else {
      auto it = live.begin();
      std::advance(it, static_cast<long>(random() % live.size()));
      ASSERT_EQ(vek::rlsmem_clump(it->first), 1);
      live.erase(it);
    }
    if (step % 50 == 0 || live.size() < 3) {
      long useful = 0;
      long overhead = 0;
      ASSERT_EQ(vek::checkmem_chain_clump(&useful, &overhead), 1);
      long expected = 0;
      for (const auto& [p, v] : live) expected += vek_round8(sizes[v.first]);
      ASSERT_EQ(useful, expected);
      for (const auto& [p, v] : live) {
        ASSERT_EQ(vek::mempool_of_slot(p), ids[v.first]);
        for (int b = 0; b < sizes[v.first]; ++b) ASSERT_EQ(p[b], v.second);
      }
    }
  }
  EXPECT_TRUE(reports.lines().empty());
  for (const auto& [p, v] : live) vek::rlsmem(p);
  for (int id : ids) EXPECT_EQ(vek::clump_entry(id)->first, nullptr);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(ClumpTest, TheCheckFindsCorruptClumps) {
  yrltest::SeriousReports reports;
  int id = vek::create_mem_pool("VynFile", 24);
  void* a = vek::getmem_pool(id);
  void* b = vek::getmem_pool(id);
  vek::ClumpHeader* clump = vek::clump_entry(id)->first;
  ++clump->in_use;  // one object too many
  vek::checkmem_chain_clump(nullptr, nullptr);
  --clump->in_use;
  auto* slot = reinterpret_cast<vek::ClumpSlot*>(static_cast<char*>(b) - 8);
  slot->state = 1;
  vek::checkmem_chain_clump(nullptr, nullptr);
  slot->state = vek::CLUMP_SLOT_IN_USE;
  std::int16_t head = clump->first_free;
  clump->first_free = -3;
  vek::checkmem_chain_clump(nullptr, nullptr);
  clump->first_free = head;
  EXPECT_EQ(reports.lines(),
            (std::vector<std::string>{
                "checkmem_chain_clump():   Count is wrong for id = 0 (1).",
                "checkmem_chain_clump():   object corruption",
                "checkmem_chain_clump():   block corruption",
            }));
  vek::rlsmem(a);
  vek::rlsmem(b);
}

TEST_F(ClumpTest, DoubleReleaseAndNamedResizeAreReported) {
  yrltest::SeriousReports reports;
  int id = vek::create_mem_pool("VynFile", 24);
  auto* a = static_cast<char*>(vek::getmem_pool(id));
  void* keep = vek::getmem_pool(id);
  EXPECT_EQ(vek::rlsmem_clump(a), 1);
  EXPECT_EQ(vek::rlsmem_clump(a), 1);  // reported, nothing more
  auto* b = static_cast<char*>(vek::getmem_pool(id));
  std::strcpy(b, "twenty-three characters");
  auto* moved = static_cast<char*>(vek::relocmem(b, 100));
  EXPECT_NE(moved, b);
  EXPECT_STREQ(moved, "twenty-three characters");
  EXPECT_EQ(vek::getmem_area_size(moved), 100);
  EXPECT_EQ(reports.lines(),
            (std::vector<std::string>{"rlsmem_clump:   release of already released object",
                                      "relocmem_clump:  Cannot reallocate a user registered clump!"}));
  int code = 7;
  EXPECT_EQ(vek::checkmem_clump(keep, 0, &code), 1);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(vek::checkmem_clump(moved, 0, &code), 0);
  void* prev = &code;
  void* next = &code;
  std::size_t size = 0;
  std::size_t overhead = 0;
  int loop_index = 0;
  int xar_flag = 1;
  EXPECT_EQ(vek::debug_getmem_area(keep, &prev, &next, &size, &overhead, &loop_index, &xar_flag),
            1);
  EXPECT_EQ(prev, nullptr);
  EXPECT_EQ(next, nullptr);
  EXPECT_EQ(size, 24u);
  EXPECT_EQ(overhead, 8u);
  EXPECT_EQ(loop_index, -1);
  EXPECT_EQ(xar_flag, 0);
  vek::rlsmem(moved);
  vek::rlsmem(keep);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(ClumpTest, AutomaticModeServesSmallRequests) {
  vek::set_auto_mem_clumps(1);
  void* small = vek::getmem(10);
  EXPECT_GE(vek::mempool_of_slot(small), 0);
  EXPECT_EQ(vek::clump_entry(vek::mempool_of_slot(small))->size, 16u);
  void* large = vek::getmem(4000);
  EXPECT_EQ(vek::mempool_of_slot(large), -1);
  // Blocks of growable arrays come from the pools too, marked as such.
  void* xar_block = vek::getmem_xar(40, 1);
  int xar_flag = 0;
  EXPECT_EQ(vek::debug_getmem_area(xar_block, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   &xar_flag),
            1);
  EXPECT_EQ(xar_flag, 1);
  EXPECT_GE(vek::mempool_of_slot(xar_block), 0);
  vek::rlsmem(xar_block);
  // A growable array starts in a pool object and grows out of it.
  int* x = static_cast<int*>(vek::xar_alloc(2, sizeof(int), 2));
  for (int i = 0; i < 1000; ++i) *static_cast<int*>(vek::xar_extend(&x, 1)) = i;
  EXPECT_EQ(x[1001], 999);
  EXPECT_EQ(vek::debug_xar_invalid(&x), 0);
  EXPECT_EQ(vek::checkmem_chain(), 0);
  vek::xar_free(&x);
  vek::rlsmem(small);
  vek::rlsmem(large);
  EXPECT_EQ(live_blocks(), 0);
  // With pools by size off nothing is found.
  vek::set_dbg_memory_config(1);
  EXPECT_EQ(vek::find_non_id_clump(16), -1);
  EXPECT_EQ(vek::set_dbg_memory_config(0), 1);
}

TEST_F(ClumpTest, PoolTableReport) {
  int id = vek::create_mem_pool("VynFile", 24);
  vek::register_clump("by size", 64);
  int gone = vek::create_mem_pool("gone", 8);
  vek::free_all_pool(gone);
  std::vector<void*> objects;
  for (int i = 0; i < 1000; ++i) objects.push_back(vek::getmem_pool(id));
  yrltest::ConsoleCapture capture;
  EXPECT_EQ(vek::clump_stats(), 3);
  EXPECT_EQ(capture.out(),
            "Registered Name           size Active     Per Clump Num Clumps Percent Full\n"
            "------------------------- ---- ---------- --------- ---------- ------------\n"
            "\n"
            "VynFile                     24 Active          2047          1           48\n"
            "by size                     64 Non-id           909          0            0\n"
            "gone                         8 Non-active      4094          0            0\n"
            "\n");
  // A name of the full 31 characters is not cut.
  vek::create_mem_pool("a-name-of-thirty-one-characters", 16);
  capture.clear();
  vek::clump_stats();
  EXPECT_NE(capture.out().find("\na-name-of-thirty-one-characters   16 Active "),
            std::string::npos)
      << capture.out();
  for (void* p : objects) vek::rlsmem(p);
}

TEST_F(ClumpTest, ObjectsCountInTheUsageStatistics) {
  int id = vek::create_mem_pool("VynFile", 20);
  void* a = vek::getmem_pool(id);
  void* b = vek::getmem_pool(id);
  vek::MemusageHistogram objects;
  long useful = 0;
  long overhead = 0;
  vek::clump_memusage(&objects, &useful, &overhead);
  ASSERT_EQ(objects.used, 1);
  EXPECT_EQ(objects.slot[1].key, 20);
  EXPECT_EQ(objects.slot[1].count, 2);
  EXPECT_EQ(useful, 48);
  EXPECT_EQ(overhead, 65536 - 48);
  EXPECT_EQ(vek::debug_isclump_pointer(vek::clump_entry(id)->first, 65536), 1);
  EXPECT_EQ(vek::debug_isclump_pointer(a, 65536), 0);
  vek::rlsmem(a);
  vek::rlsmem(b);
}

TEST_F(ClumpTest, EnvironmentAndSettings) {
  const struct {
    const char* value;
    std::size_t size;
  } rows[] = {{"64", 64},        {"63", 65536},     {"262144", 262144}, {"262145", 65536},
              {"0x100", 65536},  {"4096 ", 65536},  {"abc", 65536},     {nullptr, 65536}};
  for (const auto& row : rows) {
    yrltest::ScopedEnv env("CLUMP_SIZE", row.value);
    vek::init_clump_params();
    EXPECT_EQ(vek::Stat_clump_size, row.size) << (row.value ? row.value : "unset");
  }
  {
    // Slot offsets of the largest clump still fit the slot fields.
    yrltest::ScopedEnv env("CLUMP_SIZE", "262144");
    vek::init_clump_params();
    int id = vek::create_mem_pool("big", 8);
    EXPECT_EQ(vek::clump_entry(id)->per_clump, 16382);
    std::vector<void*> objects;
    for (int i = 0; i < 16381; ++i) objects.push_back(vek::getmem_pool(id));
    EXPECT_EQ(clumps_of(id), 1);
    yrltest::SeriousReports reports;
    vek::checkmem_chain_clump(nullptr, nullptr);
    EXPECT_TRUE(reports.lines().empty());
    for (void* p : objects) vek::rlsmem(p);
    // With a pool registered a new clump size is not taken.
    yrltest::ScopedEnv small("CLUMP_SIZE", "1024");
    vek::init_clump_params();
    EXPECT_EQ(vek::Stat_clump_size, 262144u);
  }
  yrltest::reset_runtime_state();
  {
    yrltest::ScopedEnv env("CLUMP_MODE_OFF", "TRUE");
    env.set("AUTO_CLUMPS_ON", "TRUE");
    vek::init_clump_params();
    EXPECT_EQ(vek::find_non_id_clump(16), -1);
    yrltest::ConsoleCapture capture;
    EXPECT_EQ(vek::show_mem_debug_settings(), 0);
    EXPECT_EQ(capture.out(),
              "************** Memory debug settings ************\n"
              "Standard mem clumps are disabled.\n"
              "Automatic clumps are enabled.\n"
              "************** End Memory debug settings ********\n");
  }
  yrltest::reset_runtime_state();
  yrltest::ConsoleCapture capture;
  vek::show_mem_debug_settings();
  EXPECT_EQ(capture.out(), "");
  EXPECT_EQ(vek::set_dbg_memory_config(1), 0);
  EXPECT_EQ(vek::get_force_ext_no(), 1);
  EXPECT_EQ(vek::get_force_ignore_reloc_cnt(), 1);
  vek::show_mem_debug_settings();
  EXPECT_EQ(capture.out(),
            "************** Memory debug settings ************\n"
            "Standard mem clumps are disabled.\n"
            "Xarrays will have no extensions.\n"
            "Xarrays will have no reloc adjustment feature.\n"
            "************** End Memory debug settings ********\n");
}

// Sizes of more than 32 bits are refused before any arithmetic on them: rounding them
// up wrapped to 0 (an accepted pool whose objects overran their clump) or divided by 0.
TEST_F(ClumpTest, SizesBeyondThirtyTwoBitsAreRefused) {
  vek::set_run_mode(0);
  const std::size_t sizes[] = {static_cast<std::size_t>(-1), static_cast<std::size_t>(-7),
                               static_cast<std::size_t>(-8), static_cast<std::size_t>(-16),
                               std::size_t{UINT32_MAX} + 1, std::size_t{1} << 40,
                               std::size_t{UINT32_MAX}};
  for (std::size_t size : sizes) {
    EXPECT_EQ(vek::create_mem_pool("huge", size), -1) << size;
    EXPECT_EQ(vek::register_clump("huge", size), -1) << size;
  }
  EXPECT_EQ(vek::clump_pool_count(), 0);
  EXPECT_EQ(vek::getmem_pool(0), nullptr);
  EXPECT_EQ(live_blocks(), 0);
}

// Resizing a pool object to 0 moves it to a block without user bytes; the object is
// released and the chain stays whole.
TEST_F(ClumpTest, APoolObjectShrinksToZero) {
  int id = vek::create_mem_pool("VynFile", 24);
  void* keep = vek::getmem_pool(id);
  void* p = vek::getmem_pool(id);
  void* moved = nullptr;
  {
    yrltest::SeriousReports reports;
    moved = vek::relocmem(p, 0);
    EXPECT_EQ(reports.lines(),
              std::vector<std::string>{"relocmem_clump:  Cannot reallocate a user registered clump!"});
  }
  ASSERT_NE(moved, nullptr);
  EXPECT_NE(moved, p);
  EXPECT_EQ(vek::mempool_of_slot(moved), -1);
  EXPECT_EQ(vek::getmem_area_size(moved), 0);
  EXPECT_EQ(vek::mempool_of_slot(p), -1);  // the slot is free again
  EXPECT_EQ(vek::checkmem_chain(), 0);
  vek::rlsmem(moved);
  // An object of a pool by size.
  vek::set_auto_mem_clumps(1);
  void* small = vek::getmem(16);
  ASSERT_GE(vek::mempool_of_slot(small), 0);
  void* empty = vek::relocmem(small, 0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(vek::mempool_of_slot(empty), -1);
  EXPECT_EQ(vek::getmem_area_size(empty), 0);
  EXPECT_EQ(vek::checkmem_chain(), 0);
  vek::rlsmem(empty);
  vek::rlsmem(keep);
  EXPECT_EQ(live_blocks(), 0);
}

// A released object reads 0xFF throughout while its clump stays.
TEST_F(ClumpTest, ReleasedObjectsAreFilledWithOnes) {
  int id = vek::create_mem_pool("VynFile", 20);
  void* keep = vek::getmem_pool(id);
  auto* p = static_cast<unsigned char*>(vek::getmem_pool(id));
  std::memset(p, 0x5A, 20);
  ASSERT_EQ(vek::rlsmem(p), 0);
  for (int b = 0; b < 24; ++b) EXPECT_EQ(p[b], 0xFF) << b;  // the size rounded up to 8
  EXPECT_EQ(p[-4] | p[-3] << 8, vek::CLUMP_SLOT_FREE);
  // Taken again, the object reads zero.
  EXPECT_EQ(vek::getmem_pool(id), p);
  for (int b = 0; b < 24; ++b) EXPECT_EQ(p[b], 0) << b;
  vek::rlsmem(p);
  vek::rlsmem(keep);
}

// A size that leaves fewer than two slots per clump is refused: with no slot the first
// object would lie past the clump, with one the free slot could never be taken.
TEST_F(ClumpTest, SizesLeavingFewerThanTwoSlotsAreRefused) {
  vek::set_run_mode(0);
  const struct {
    std::size_t size;
    int id;  // -1 refused
  } rows[] = {{65500, -1}, {40000, -1}, {32744, 0}, {32745, -1}};
  for (const auto& row : rows) {
    yrltest::reset_runtime_state();
    EXPECT_EQ(vek::create_mem_pool("large", row.size), row.id) << row.size;
  }
  void* p = vek::getmem_pool(0);
  EXPECT_EQ(p, nullptr);  // the last row registered nothing
}

TEST_F(ClumpTest, AFullTableGivesMinusOneInRunModeZero) {
  vek::set_run_mode(0);
  for (int i = 0; i < vek::CLUMP_MAX_POOLS; ++i) ASSERT_EQ(vek::create_mem_pool("p", 8), i);
  EXPECT_EQ(vek::create_mem_pool("p", 8), -1);
  vek::free_all_pool(17);
  EXPECT_EQ(vek::create_mem_pool("p", 8), 17);
}

TEST_F(ClumpDeathTest, FaultsEndTheProcess) {
  EXPECT_DEATH(
      {
        yrltest::route_console_to_stderr();
        vek::create_mem_pool("zero", 0);
      },
      "invalid object size");
  EXPECT_DEATH(
      {
        yrltest::route_console_to_stderr();
        vek::set_run_mode(1);
        vek::create_mem_pool("large", 65500);
      },
      "object size too large for a clump");
  EXPECT_DEATH(
      {
        yrltest::route_console_to_stderr();
        vek::set_run_mode(1);
        for (int i = 0; i <= vek::CLUMP_MAX_POOLS; ++i) vek::create_mem_pool("p", 8);
      },
      "pool table is full");
  EXPECT_DEATH(
      {
        yrltest::route_console_to_stderr();
        int id = vek::create_mem_pool("VynFile", 24);
        void* p = vek::getmem_pool(id);
        vek::clump_entry(id)->first->self = nullptr;
        vek::mempool_of_slot(p);
      },
      "clump corruption");
  EXPECT_DEATH(
      {
        yrltest::route_console_to_stderr();
        void* block = vek::getmem(24);
        vek::dbgclump_size(nullptr, block);
      },
      "not a pool object");
}

// ---- the memory-loop leak finder

std::vector<void*> hooked;
void hook(void* address) { hooked.push_back(address); }

// One pass of repeated work: three blocks and three pool objects, of which one block
// (of 77 bytes) is kept on the first pass only.
struct Work {
  int pool;
  std::vector<void*> kept;
  void pass(bool leak) {
    void* a = vek::getmem(40);
    void* b = vek::getmem(60);
    void* c = vek::getmem(77);
    void* x = vek::getmem_pool(pool);
    void* y = vek::getmem_pool(pool);
    vek::rlsmem(a);
    vek::rlsmem(b);
    vek::rlsmem(x);
    vek::rlsmem(y);
    if (leak)
      kept.push_back(c);
    else
      vek::rlsmem(c);
  }
};

TEST_F(ClumpTest, LeakFinderReportsWhatThePassesNeverReleased) {
  Work work{vek::create_mem_pool("VynFile", 24), {}};
  void* resident = vek::getmem_pool(work.pool);  // the clump stays
  hooked.clear();
  vek::set_debug_memory_func(hook);
  yrltest::ConsoleCapture capture;
  EXPECT_EQ(vek::debug_memory_loop(), 1);
  work.pass(true);
  EXPECT_EQ(vek::debug_memory_loop(), 2);
  work.pass(false);
  EXPECT_EQ(vek::debug_memory_loop(), 3);
  EXPECT_EQ(vek::get_in_debug_memory_loop(), 1);
  work.pass(false);
  char line[200];
  std::snprintf(line, sizeof line,
                "debug_memory_not_released: 77 bytes at %lx won't get released.\n",
                static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(work.kept[0])));
  EXPECT_EQ(capture.out(), line);
  EXPECT_EQ(hooked, std::vector<void*>{work.kept[0]});
  // The cycle starts over.
  EXPECT_EQ(vek::debug_memory_loop(), 1);
  EXPECT_EQ(vek::debug_memory_suspend(), 1);
  EXPECT_EQ(vek::get_in_debug_memory_loop(), 0);
  EXPECT_EQ(vek::debug_memory_resume(), 1);
  vek::debug_cancel_memory_loop();
  EXPECT_EQ(vek::get_in_debug_memory_loop(), 0);
  vek::rlsmem(work.kept[0]);
  vek::rlsmem(resident);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(ClumpTest, LeakFinderFindsPoolObjectsAndFiltersBySize) {
  Work work{vek::create_mem_pool("VynFile", 24), {}};
  void* resident = vek::getmem_pool(work.pool);
  yrltest::ConsoleCapture capture;
  vek::set_debug_memory_loop_size(24);
  void* leaked = nullptr;
  for (int pass = 0; pass < 3; ++pass) {
    vek::debug_memory_loop();
    work.pass(false);
    void* z = vek::getmem_pool(work.pool);
    if (pass == 0)
      leaked = z;
    else
      vek::rlsmem(z);
  }
  char line[200];
  std::snprintf(line, sizeof line,
                "debug_memory_not_released: 24 bytes at %lx won't get released.\n",
                static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(leaked)));
  EXPECT_EQ(capture.out(), line);
  vek::debug_cancel_memory_loop();
  vek::rlsmem(leaked);
  vek::rlsmem(resident);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(ClumpTest, LeakFinderCancelsOnUnequalPasses) {
  yrltest::ConsoleCapture capture;
  vek::debug_memory_loop();
  void* a = vek::getmem(8);
  vek::rlsmem(a);
  vek::debug_memory_loop();
  EXPECT_EQ(vek::debug_memory_loop(), 0);  // the second pass allocated nothing
  EXPECT_EQ(capture.out(),
            "Two previous loops had different numbers of memory allocations.\n"
            "Cancelling memory loop handling.  Try again.\n");
  EXPECT_EQ(vek::get_in_debug_memory_loop(), 0);
  EXPECT_EQ(live_blocks(), 0);
}

}  // namespace
