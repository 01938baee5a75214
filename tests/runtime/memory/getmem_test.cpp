#include "runtime/memory/getmem.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "runtime/diag/runmode.h"
#include "runtime/memory/clump.h"
#include "runtime/memory/getmem_layout.h"
#include "runtime/memory/getmem_testing.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"

namespace {

using namespace vek;

// A heap over malloc that shows what the memory blocks ask of it: it counts calls,
// fills new bytes with garbage (so that zeroing is really tested), reports a chosen
// usable size, can fail every request, and can hold released blocks back for
// inspection instead of freeing them.
struct RecordingHeap {
  int allocs = 0;
  int resizes = 0;
  int releases = 0;
  bool fail = false;
  bool hold_released = false;
  std::size_t slack = 0;  // usable size beyond what was asked
  std::unordered_map<void*, std::size_t> sizes;
  std::vector<void*> held;
};

RecordingHeap* heap_in_use = nullptr;
constexpr unsigned char GARBAGE = 0xCD;

void* recording_alloc(std::size_t n) {
  ++heap_in_use->allocs;
  if (heap_in_use->fail) return nullptr;
  void* p = std::malloc(n + heap_in_use->slack);
  std::memset(p, GARBAGE, n + heap_in_use->slack);
  heap_in_use->sizes[p] = n;
  return p;
}

void* recording_resize(void* p, std::size_t n) {
  ++heap_in_use->resizes;
  if (heap_in_use->fail) return nullptr;
  const std::size_t old = heap_in_use->sizes[p];
  void* q = std::realloc(p, n + heap_in_use->slack);
  heap_in_use->sizes.erase(p);
  if (n > old) std::memset(static_cast<unsigned char*>(q) + old, GARBAGE, n - old);
  heap_in_use->sizes[q] = n;
  return q;
}

void recording_release(void* p) {
  ++heap_in_use->releases;
  heap_in_use->sizes.erase(p);
  if (heap_in_use->hold_released) {
    heap_in_use->held.push_back(p);
  } else {
    std::free(p);
  }
}

std::size_t recording_usable_size(void* p) {
  return heap_in_use->sizes.at(p) + heap_in_use->slack;
}

class GetmemTest : public yrltest::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    heap_in_use = &heap_;
    use_threshold(getmem_c_heap.small_block_threshold);
  }
  void TearDown() override {
    RuntimeTest::TearDown();  // releases the chain through this heap
    for (void* p : heap_.held) std::free(p);
    heap_in_use = nullptr;
  }
  void use_threshold(std::size_t threshold) {
    const GetmemHeap recording = {&recording_alloc, &recording_resize, &recording_release,
                                  &recording_usable_size, threshold};
    getmem_testing_set_heap(&recording);
  }
  RecordingHeap heap_;
};

class GetmemDeathTest : public yrltest::RuntimeDeathTest {
 protected:
  void SetUp() override {
    RuntimeDeathTest::SetUp();
    heap_in_use = &heap_;
    const GetmemHeap recording = {&recording_alloc, &recording_resize, &recording_release,
                                  &recording_usable_size, 0};
    getmem_testing_set_heap(&recording);
  }
  void TearDown() override {
    RuntimeDeathTest::TearDown();
    heap_in_use = nullptr;
  }
  RecordingHeap heap_;
};

bool all_bytes(const void* p, std::size_t n, unsigned char value) {
  const unsigned char* bytes = static_cast<const unsigned char*>(p);
  for (std::size_t i = 0; i < n; ++i) {
    if (bytes[i] != value) return false;
  }
  return true;
}

void fill_counting(void* p, std::size_t n) {
  unsigned char* bytes = static_cast<unsigned char*>(p);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 1);
}

bool counts_up(const void* p, std::size_t n) {
  const unsigned char* bytes = static_cast<const unsigned char*>(p);
  for (std::size_t i = 0; i < n; ++i) {
    if (bytes[i] != static_cast<unsigned char>(i * 7 + 1)) return false;
  }
  return true;
}

struct Usage {
  int blocks;
  long application;
  long system;
  long peak;
};

Usage usage() {
  Usage u{};
  get_memory_usage(&u.blocks, &u.application, &u.system, &u.peak);
  return u;
}

std::vector<void*> chain() {
  std::vector<void*> blocks;
  for (void* p = debug_getmem_chain_start(); p;) {
    blocks.push_back(p);
    void* next = nullptr;
    if (!debug_getmem_area(p, nullptr, &next, nullptr, nullptr, nullptr, nullptr)) break;
    p = next;
  }
  return blocks;
}

// ---------------------------------------------------------------------------------------
// Allocation

TEST_F(GetmemTest, SizeZeroGivesNoBlockButGetmemNullGivesAnEmptyOne) {
  EXPECT_EQ(getmem(0), nullptr);
  EXPECT_EQ(getmem_xar(0, 1), nullptr);
  EXPECT_EQ(usage().blocks, 0);

  void* p = getmem_null(0);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(getmem_area_size(p), 0);
  EXPECT_EQ(checkmem_block(p, 0), GETMEM_VALID);
  const Usage u = usage();
  EXPECT_EQ(u.blocks, 1);
  EXPECT_EQ(u.application, 0);
  EXPECT_EQ(u.system, static_cast<long>(GETMEM_OVERHEAD));
}

TEST_F(GetmemTest, NewBlocksAreZeroedAndCarryTheirHeaderAndTail) {
  for (std::size_t size : {1, 7, 8, 9, 100, 4096, 200000}) {
    SCOPED_TRACE(size);
    void* p = getmem(size);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % 8, 0u);
    EXPECT_TRUE(all_bytes(p, vek_round8(size), 0)) << "user bytes and pad are zero";
    const unsigned char* block = getmem_block_of(p);
    EXPECT_EQ(getmem_size(block), size);
    EXPECT_EQ(getmem_guard(block), GETMEM_GUARD);
    EXPECT_EQ(getmem_flags(block), GETMEM_LOOP_UNMARKED);
    EXPECT_EQ(heap_.sizes.at(const_cast<unsigned char*>(block)), getmem_total(size));

    std::size_t user_size = 0, overhead = 0;
    int loop = 0, xar = 1;
    ASSERT_EQ(debug_getmem_area(p, nullptr, nullptr, &user_size, &overhead, &loop, &xar), 1);
    EXPECT_EQ(user_size, size);
    EXPECT_EQ(overhead, vek_round8(size) + 32 - size);
    EXPECT_EQ(loop, static_cast<int>(GETMEM_LOOP_UNMARKED));
    EXPECT_EQ(xar, 0);
    rlsmem(p);
  }
  void* x = getmem_xar(24, 1);
  int xar = 0;
  ASSERT_EQ(debug_getmem_area(x, nullptr, nullptr, nullptr, nullptr, nullptr, &xar), 1);
  EXPECT_EQ(xar, 1);
  EXPECT_EQ(getmem_flags(getmem_block_of(x)), GETMEM_LOOP_UNMARKED | GETMEM_FLAG_XARRAY);
}

TEST_F(GetmemTest, BlocksFormOneChainInOrderOfAllocation) {
  void* a = getmem(10);
  void* b = getmem(20);
  void* c = getmem(30);
  EXPECT_EQ(chain(), (std::vector<void*>{a, b, c}));
  void* prev = nullptr;
  void* next = nullptr;
  ASSERT_EQ(debug_getmem_area(b, &prev, &next, nullptr, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(prev, a);
  EXPECT_EQ(next, c);
  EXPECT_EQ(getmem_prev(getmem_block_of(a)), nullptr);
  EXPECT_EQ(getmem_next(getmem_block_of(c)), nullptr);

  rlsmem(b);
  EXPECT_EQ(chain(), (std::vector<void*>{a, c}));
  rlsmem(a);
  EXPECT_EQ(chain(), (std::vector<void*>{c}));
  EXPECT_EQ(checkmem_block(c, 0), GETMEM_VALID);
  rlsmem(c);  // the only block left: the chain and the counters are back at the start
  EXPECT_EQ(debug_getmem_chain_start(), nullptr);
  const Usage u = usage();
  EXPECT_EQ(u.blocks, 0);
  EXPECT_EQ(u.application, 0);
  EXPECT_EQ(u.system, 0);
  void* first = getmem(1);
  EXPECT_EQ(getmem_prev(getmem_block_of(first)), nullptr) << "the last anchor was cleared";
}

TEST_F(GetmemTest, CountersFollowAllocationResizeAndRelease) {
  void* p = getmem(10);
  EXPECT_EQ(usage().application, 10);
  EXPECT_EQ(usage().system, 48);
  p = relocmem(p, 100);
  void* q = getmem(1);
  Usage u = usage();
  EXPECT_EQ(u.blocks, 2);
  EXPECT_EQ(u.application, 101);
  EXPECT_EQ(u.system, 136 + 40);
  EXPECT_EQ(u.peak, 176);
  p = relocmem(p, 8);
  EXPECT_EQ(usage().system, 40 + 40);
  EXPECT_EQ(usage().peak, 176);

  rlsmem(q);
  rlsmem(p);
  u = usage();
  EXPECT_EQ(u.blocks, 0);
  EXPECT_EQ(u.application, 0);
  EXPECT_EQ(u.system, 0);
  EXPECT_EQ(u.peak, 176);
  EXPECT_EQ(debug_getmem_chain_start(), nullptr);

  yrltest::ConsoleCapture console;
  dbg_print_memory_usage();
  EXPECT_EQ(console.out(), "0 blocks;  Size: 0; Overhead: 0; Peak system size: 176.\n");
}

TEST_F(GetmemTest, SynonymsAndNullAddresses) {
  void* p = getrealmem(12);
  EXPECT_EQ(getmem_area_size(p), 12);
  EXPECT_EQ(rlsrealmem(p), 0);
  EXPECT_EQ(rlsmem(nullptr), 0);
  EXPECT_EQ(relmem(nullptr), 0);
  void* none = nullptr;
  EXPECT_EQ(relmem(&none), 1);
  EXPECT_EQ(getmem_area_size(nullptr), 0);
  EXPECT_EQ(usage().blocks, 0);
}

TEST_F(GetmemTest, RelmemClearsThePointerUnlessMarkingMemoryToPreserve) {
  char* p = static_cast<char*>(getmem(16));
  EXPECT_EQ(relmem(&p), 1);
  EXPECT_EQ(p, nullptr);

  EXPECT_EQ(set_marking_mem_to_preserve(1), 0);
  EXPECT_EQ(marking_mem_to_preserve(), 1);
  p = static_cast<char*>(getmem(16));
  char* const kept = p;
  EXPECT_EQ(relmem(&p), 1);
  EXPECT_EQ(p, kept);
  EXPECT_EQ(usage().blocks, 0);

  int value = 5;
  void* pointer = &value;
  free_object_reset_int(&value, 9);
  clear_freed_pointer(&pointer, nullptr);
  EXPECT_EQ(value, 5);
  EXPECT_EQ(pointer, &value);
  EXPECT_EQ(set_marking_mem_to_preserve(0), 1);
  free_object_reset_int(&value, 9);
  clear_freed_pointer(&pointer, nullptr);
  EXPECT_EQ(value, 9);
  EXPECT_EQ(pointer, nullptr);
  EXPECT_EQ(free_object_reset_int(nullptr, 1), 0);
}

// ---------------------------------------------------------------------------------------
// Resize

struct ResizeMode {
  const char* name;
  int always_relocate;
  int keep_released;
};

TEST_F(GetmemTest, ResizeKeepsDataZeroesNewBytesAndKeepsItsPlaceInEveryMode) {
  const ResizeMode modes[] = {{"normal", 0, 0}, {"always relocate", 1, 0}, {"keep released", 0, 1}};
  const std::pair<std::size_t, std::size_t> sizes[] = {
      {10, 100}, {100, 3}, {16, 16}, {5, 300000}, {300000, 64}, {0, 9}};
  for (const ResizeMode& mode : modes) {
    set_always_relocate_mem(mode.always_relocate);
    if (mode.keep_released) stop_releasing_memory();
    for (auto [from, to] : sizes) {
      SCOPED_TRACE(std::string(mode.name) + " " + std::to_string(from) + " -> " +
                   std::to_string(to));
      void* before = getmem(8);
      void* p = getmem_null(from);
      void* after = getmem(8);
      fill_counting(p, from);
      const long application = usage().application;
      p = relocmem(p, to);
      ASSERT_NE(p, nullptr);
      const std::size_t kept = from < to ? from : to;
      EXPECT_TRUE(counts_up(p, kept));
      EXPECT_TRUE(all_bytes(static_cast<char*>(p) + kept, vek_round8(to) - kept, 0))
          << "new bytes and the pad are zero";
      EXPECT_EQ(getmem_area_size(p), static_cast<long>(to));
      if (!mode.keep_released) {  // keeping the old copy may grow the released list too
        EXPECT_EQ(usage().application,
                  application + static_cast<long>(to) - static_cast<long>(from));
      }
      void* prev = nullptr;
      void* next = nullptr;
      ASSERT_EQ(debug_getmem_area(p, &prev, &next, nullptr, nullptr, nullptr, nullptr), 1);
      EXPECT_EQ(prev, before);
      EXPECT_EQ(next, after);
      EXPECT_EQ(checkmem_block(p, 0), GETMEM_VALID);
      rlsmem(before);
      rlsmem(p);
      rlsmem(after);
    }
    start_releasing_memory();
  }
  EXPECT_EQ(checkmem_chain(), 0);
}

TEST_F(GetmemTest, ResizeOfTheOnlyBlockKeepsBothAnchors) {
  set_always_relocate_mem(1);
  void* p = getmem(10);
  p = relocmem(p, 2000);
  EXPECT_EQ(debug_getmem_chain_start(), p);
  EXPECT_EQ(chain(), std::vector<void*>{p});
  void* q = getmem(5);
  EXPECT_EQ(chain(), (std::vector<void*>{p, q}));
}

// How a resize uses the heap: in place through its resize when the block is beyond the
// small-block threshold, when there is no threshold, or when the heap block already
// holds the new size; otherwise a new block and a copy.
TEST_F(GetmemTest, ResizeChoosesBetweenInPlaceAndMoving) {
  struct Case {
    const char* name;
    std::size_t threshold;
    std::size_t slack;
    int always_relocate;
    std::size_t from;
    std::size_t to;
    bool in_place;
  };
  const Case cases[] = {
      {"full small block grows", 128 * 1024, 0, 0, 100, 200, false},
      {"heap block has room", 128 * 1024, 64, 0, 100, 150, true},
      {"heap block has not quite room", 128 * 1024, 64, 0, 100, 180, false},
      {"shrink", 128 * 1024, 0, 0, 200, 100, true},
      {"beyond the threshold", 256, 0, 0, 300, 400, true},
      {"grows past the threshold", 256, 0, 0, 100, 400, true},
      {"no threshold", 0, 0, 0, 100, 200, true},
      {"always relocate", 0, 64, 1, 100, 150, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    use_threshold(c.threshold);
    heap_.slack = c.slack;
    set_always_relocate_mem(c.always_relocate);
    void* before = getmem(8);
    void* p = getmem(c.from);
    fill_counting(p, c.from);
    heap_.allocs = heap_.resizes = heap_.releases = 0;
    p = relocmem(p, c.to);
    EXPECT_EQ(heap_.resizes, c.in_place ? 1 : 0);
    EXPECT_EQ(heap_.allocs, c.in_place ? 0 : 1);
    EXPECT_EQ(heap_.releases, c.in_place ? 0 : 1);
    EXPECT_TRUE(counts_up(p, c.from < c.to ? c.from : c.to));
    EXPECT_EQ(checkmem_block(p, 0), GETMEM_VALID);
    EXPECT_EQ(checkmem_block(before, 0), GETMEM_VALID);
    rlsmem(p);
    rlsmem(before);
  }
}

// ---------------------------------------------------------------------------------------
// Exhaustion

TEST_F(GetmemTest, GetmemNullAnswersExhaustionWithNullSilently) {
  void* p = getmem(40);
  const Usage before = usage();
  yrltest::ConsoleCapture console;
  heap_.fail = true;
  EXPECT_EQ(getmem_null(100), nullptr);
  heap_.fail = false;
  const int allocs = heap_.allocs;
  EXPECT_EQ(getmem_null(GETMEM_MAX_USER_SIZE + 1), nullptr);
  EXPECT_EQ(heap_.allocs, allocs) << "a size beyond the header is not asked of the heap";
  EXPECT_EQ(console.out(), "");
  EXPECT_EQ(console.err(), "");
  EXPECT_EQ(usage().blocks, before.blocks);
  EXPECT_EQ(usage().system, before.system);
  EXPECT_EQ(chain(), std::vector<void*>{p});
}

TEST_F(GetmemTest, AFailedResizeThatMayFailLeavesTheOldBlockIntact) {
  for (int always_relocate : {0, 1}) {
    SCOPED_TRACE(always_relocate);
    set_always_relocate_mem(always_relocate);
    void* a = getmem(8);
    void* p = getmem(100);
    void* c = getmem(8);
    fill_counting(p, 100);
    const Usage before = usage();
    heap_.fail = true;
    EXPECT_EQ(manage_memory(5000, p, 1, 0), nullptr);
    heap_.fail = false;
    EXPECT_EQ(manage_memory(GETMEM_MAX_USER_SIZE + 1, p, 1, 0), nullptr);
    EXPECT_TRUE(counts_up(p, 100));
    EXPECT_EQ(getmem_area_size(p), 100);
    EXPECT_EQ(usage().system, before.system);
    EXPECT_EQ(chain(), (std::vector<void*>{a, p, c}));
    rlsmem(a);
    rlsmem(p);
    rlsmem(c);
  }
}

const char* const OUT_OF_MEMORY =
    "^ Serious error - out of virtual memory\\. Starting recovery attempt\\.\n"
    "Serious internal error; cannot continue\\.\n$";

TEST_F(GetmemDeathTest, ExhaustionStopsTheProcessAfterTheTwoLines) {
  const std::pair<const char*, std::function<void(RecordingHeap&)>> cases[] = {
      {"getmem", [](RecordingHeap& heap) { heap.fail = true; getmem(100); }},
      {"getmem_xar", [](RecordingHeap& heap) { heap.fail = true; getmem_xar(100, 1); }},
      {"relocmem",
       [](RecordingHeap& heap) {
         void* p = getmem(100);
         heap.fail = true;
         relocmem(p, 5000);
       }},
      {"too big for the header", [](RecordingHeap&) { getmem(GETMEM_MAX_USER_SIZE + 1); }},
  };
  for (const auto& [name, call] : cases) {
    SCOPED_TRACE(name);
    EXPECT_EXIT(
        {
          yrltest::route_console_to_stderr();
          call(heap_);
        },
        ::testing::ExitedWithCode(2), OUT_OF_MEMORY);
  }
}

// ---------------------------------------------------------------------------------------
// Chain checks

// Three blocks a, b, c; each case breaks one link or the guard and names the block whose
// check must fail with which code. The blocks are restored afterwards.
TEST_F(GetmemTest, AreaInvalidTellsWhichLinkIsBroken) {
  unsigned char* a = static_cast<unsigned char*>(getmem(10));
  unsigned char* b = static_cast<unsigned char*>(getmem(20));
  unsigned char* c = static_cast<unsigned char*>(getmem(30));
  unsigned char* ba = getmem_block_of(a);
  unsigned char* bb = getmem_block_of(b);
  unsigned char* bc = getmem_block_of(c);
  struct Case {
    const char* name;
    std::function<void()> corrupt;
    unsigned char* checked;
    int code;
  };
  const Case cases[] = {
      {"first block with a previous link", [&] { getmem_set_prev(ba, bc); }, a,
       GETMEM_BAD_PREV_LINK},
      {"middle block without previous link", [&] { getmem_set_prev(bb, nullptr); }, b,
       GETMEM_BAD_PREV_LINK},
      {"previous block links elsewhere", [&] { getmem_set_next(ba, bc); }, b,
       GETMEM_BAD_PREV_BACK},
      {"previous block's header overwritten", [&] { ba[GETMEM_GUARD_OFFSET] ^= 1; }, b,
       GETMEM_BAD_PREV_BACK},
      {"last block with a next link", [&] { getmem_set_next(bc, ba); }, c,
       GETMEM_BAD_NEXT_LINK},
      {"middle block without next link", [&] { getmem_set_next(bb, nullptr); }, b,
       GETMEM_BAD_NEXT_LINK},
      {"next block links elsewhere", [&] { getmem_set_prev(bc, ba); }, b,
       GETMEM_BAD_NEXT_BACK},
      {"guard overwritten", [&] { bb[GETMEM_GUARD_OFFSET + 3] = 0; }, b, GETMEM_BAD_GUARD},
  };
  const std::size_t totals[] = {getmem_total(10), getmem_total(20), getmem_total(30)};
  unsigned char* blocks[] = {ba, bb, bc};
  for (const Case& c_ : cases) {
    SCOPED_TRACE(c_.name);
    std::vector<unsigned char> saved[3];
    for (int i = 0; i < 3; ++i) saved[i].assign(blocks[i], blocks[i] + totals[i]);
    c_.corrupt();
    void* start = nullptr;
    EXPECT_EQ(area_invalid(c_.checked, &start), c_.code);
    EXPECT_EQ(start, getmem_block_of(c_.checked));
    EXPECT_EQ(checkmem_block(c_.checked, 0), c_.code);
    EXPECT_EQ(dbggetmem_index(c_.checked), 0xFFFFFFFFu);
    void* next = &start;
    EXPECT_EQ(debug_getmem_area(c_.checked, nullptr, &next, nullptr, nullptr, nullptr, nullptr),
              0);
    EXPECT_EQ(next, nullptr);
    EXPECT_EQ(getmem_area_size(c_.checked), -1);
    for (int i = 0; i < 3; ++i) std::memcpy(blocks[i], saved[i].data(), totals[i]);
    EXPECT_EQ(area_invalid(c_.checked, nullptr), GETMEM_VALID);
  }
  EXPECT_EQ(area_invalid(nullptr, nullptr), -1);
}

TEST_F(GetmemDeathTest, ReleaseOrResizeOverABrokenNeighbourLinkStopsTheProcess) {
  EXPECT_EXIT(
      {
        yrltest::route_console_to_stderr();
        void* a = getmem(10);
        void* b = getmem(20);
        void* c = getmem(30);
        getmem_set_next(getmem_block_of(a), getmem_block_of(c));
        rlsmem(b);
      },
      ::testing::ExitedWithCode(2),
      "^rlsmem:  memory chain is corrupt\nSerious internal error; cannot continue\\.\n$");
  EXPECT_EXIT(
      {
        yrltest::route_console_to_stderr();
        getmem(10);
        void* b = getmem(20);
        void* c = getmem(30);
        getmem_set_prev(getmem_block_of(c), nullptr);
        relocmem(b, 50);
      },
      ::testing::ExitedWithCode(2),
      "^manage_memory:  memory chain is corrupt\nSerious internal error; cannot continue\\.\n$");
}

TEST_F(GetmemDeathTest, AppendingBehindALastBlockWithANextLinkStopsTheProcess) {
  EXPECT_EXIT(
      {
        yrltest::route_console_to_stderr();
        void* a = getmem(10);
        void* b = getmem(20);
        getmem_set_next(getmem_block_of(b), getmem_block_of(a));
        getmem(5);
      },
      ::testing::ExitedWithCode(2), "^manage_memory:  memory chain is corrupt\n");
}

// ---------------------------------------------------------------------------------------
// Switches, loop marks and set-up

TEST_F(GetmemTest, AlwaysRelocateSwitchReportsOutsideRunModeZero) {
  yrltest::ConsoleCapture console;
  EXPECT_EQ(set_always_relocate_mem(1), 0);
  EXPECT_EQ(console.out(), "");
  set_run_mode(1);
  EXPECT_EQ(set_always_relocate_mem(0), 1);
  EXPECT_EQ(set_always_relocate_mem(1), 0);
  EXPECT_EQ(get_always_relocate_mem(), 1);
  EXPECT_EQ(console.out(),
            "Relocation will not always memory.\nRelocation will always move memory.\n");
}

TEST_F(GetmemTest, LoopMarksLiveInTheTailBesideTheXarrayFlag) {
  MemoryLoopRecord* record = nullptr;
  dbggetmem_access(&record);
  ASSERT_EQ(record, &dbggetmem);
  EXPECT_EQ(record->active, 0u);
  void* x = getmem_xar(40, 1);
  void* p = getmem(40);
  EXPECT_EQ(dbggetmem_index(p), GETMEM_LOOP_UNMARKED);
  record->counter = 0x80000005u;  // only the low 31 bits are a mark
  EXPECT_EQ(dbggetmem_mark(record, x), GETMEM_FLAG_XARRAY | 5u);
  EXPECT_EQ(dbggetmem_mark(record, p), 5u);
  EXPECT_EQ(dbggetmem_index(x), 5u);
  EXPECT_EQ(dbggetmem_size(record, x), 40u);
  int xar = 0;
  debug_getmem_area(x, nullptr, nullptr, nullptr, nullptr, nullptr, &xar);
  EXPECT_EQ(xar, 1);
  getmem_block_of(p)[GETMEM_GUARD_OFFSET] ^= 0xFF;
  EXPECT_EQ(dbggetmem_mark(record, p), static_cast<unsigned>(GETMEM_BAD_GUARD));
  getmem_block_of(p)[GETMEM_GUARD_OFFSET] ^= 0xFF;
}

TEST_F(GetmemTest, InitMemoryManagementReadsTheDebugEnvironment) {
  int calls = 0;
  static int* counter;
  counter = &calls;
  setenv("FORCE_MEM_REALLOCATION", "TRUE", 1);
  setenv("CLUMP_SIZE", "131072", 1);
  EXPECT_EQ(init_memory_management([] { ++*counter; }), 0);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(get_always_relocate_mem(), 1);
  EXPECT_EQ(Stat_clump_size, 131072u);

  setenv("FORCE_MEM_REALLOCATION", "true", 1);  // only "TRUE" counts
  setenv("CLUMP_SIZE", "12x", 1);
  EXPECT_EQ(init_memory_management(nullptr), 0);
  EXPECT_EQ(get_always_relocate_mem(), 0);
  EXPECT_EQ(Stat_clump_size, CLUMP_DEFAULT_SIZE);
  unsetenv("FORCE_MEM_REALLOCATION");
  unsetenv("CLUMP_SIZE");
}

TEST_F(GetmemTest, ResetmemchainForgetsTheChainWithoutFreeing) {
  void* a = getmem(10);
  void* b = getmem(20);
  const int releases = heap_.releases;
  resetmemchain();
  EXPECT_EQ(heap_.releases, releases);
  EXPECT_EQ(debug_getmem_chain_start(), nullptr);
  void* c = getmem(30);
  EXPECT_EQ(chain(), std::vector<void*>{c});
  EXPECT_NE(area_invalid(a, nullptr), GETMEM_VALID);
  recording_release(getmem_block_of(a));  // forgotten blocks are the caller's to free
  recording_release(getmem_block_of(b));
}

TEST_F(GetmemTest, DebugQueries) {
  EXPECT_EQ(debug_getmem(), 1);
  EXPECT_EQ(debug_istestgetmem(16), 0);
  EXPECT_EQ(debug_istestxar(16), 0);
}

// ---------------------------------------------------------------------------------------
// Release

// Released memory is overwritten: whole below 4000 total bytes, else only the first and
// last 1000 bytes. The heap holds released blocks back so that they can be read.
TEST_F(GetmemTest, ReleaseFillsSmallBlocksWholeAndLargeOnesAtBothEnds) {
  heap_.hold_released = true;
  const std::size_t sizes[] = {100, 3960, 3968, 5000};
  for (std::size_t size : sizes) {
    const std::size_t total = getmem_total(size);
    SCOPED_TRACE("total " + std::to_string(total));
    unsigned char* p = static_cast<unsigned char*>(getmem(size));
    std::memset(p, 0x5A, size);
    rlsmem(p);
    ASSERT_EQ(heap_.held.back(), getmem_block_of(p));
    const unsigned char* block = getmem_block_of(p);
    if (total < GETMEM_BIG_RELEASE) {
      EXPECT_TRUE(all_bytes(block, total, 0xFF));
    } else {
      EXPECT_TRUE(all_bytes(block, 1000, 0xFF));
      EXPECT_TRUE(all_bytes(block + total - 1000, 1000, 0xFF));
      EXPECT_TRUE(all_bytes(block + 1000, total - 2000, 0x5A)) << "the middle stays";
    }
  }
}

}  // namespace
