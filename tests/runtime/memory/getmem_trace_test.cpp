// File-driven leak tracing: a first run writes the allocation numbers of the blocks it
// left alive, a second run of the same work reports those allocations as they happen.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/memory/getmem.h"
#include "runtime/memory/getmem_layout.h"
#include "runtime/memory/getmem_testing.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace vek;

class LeakTraceTest : public yrltest::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    setenv("REG_MEM_DEBUG", "1", 1);  // the trace file goes to the current directory
  }
  void TearDown() override {
    unsetenv("REG_MEM_DEBUG");
    RuntimeTest::TearDown();
  }
};

std::string wont_be_released(unsigned size, const void* user) {
  char line[128];
  std::snprintf(line, sizeof line, "memdebug_alloc: %u bytes at %lx won't get released.\n", size,
                static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(user)));
  return line;
}

const char* const SIZES_CHANGED =
    "memdebug_alloc WARNING:  sizes have changed. Memory loop is NOT VALID!!!\n";

TEST_F(LeakTraceTest, SecondRunReportsTheAllocationsThatTheFirstLeft) {
  yrltest::InTempDir dir;
  // First run: no file yet, so the allocations are only numbered.
  memdebug_start_marking_blocks();
  void* before = getmem(5);  // made before the work, left alone by the trace
  rlsmem(before);
  void* a = getmem(10);
  void* b = getmem(20);
  void* c = getmem(30);
  EXPECT_EQ(dbggetmem_index(a), 1u);
  EXPECT_EQ(dbggetmem_index(c), 3u);
  rlsmem(b);
  memdebug_print_marked_blocks();
  memdebug_stop_marking_blocks();
  EXPECT_EQ(yrltest::read_file("unreleased.memory"), "1 10\n3 30\n");

  getmem_testing_reset();  // the second run starts afresh
  yrltest::ConsoleCapture console;
  memdebug_start_marking_blocks();
  rlsmem(getmem(5));
  a = getmem(10);
  EXPECT_EQ(console.out(), wont_be_released(10, a));
  console.clear();
  b = getmem(20);
  EXPECT_EQ(console.out(), "");
  c = getmem(31);  // the work changed: the sizes no longer match
  EXPECT_EQ(console.out(), wont_be_released(31, c) + SIZES_CHANGED);
  console.clear();
  rlsmem(getmem(40));  // past the last recorded number
  EXPECT_EQ(console.out(), "");
  memdebug_stop_marking_blocks();
  EXPECT_EQ(dbggetmem_index(getmem(8)), GETMEM_LOOP_UNMARKED) << "no longer marking";
}

TEST_F(LeakTraceTest, MarkedBlocksAreWrittenInChainOrderAndUnmarkedOnesLeftOut) {
  yrltest::InTempDir dir;
  void* unmarked = getmem(7);
  memdebug_start_marking_blocks();
  void* x = getmem(100);
  getmem(200);
  x = relocmem(x, 300);  // a resize is an allocation of its own
  memdebug_print_marked_blocks();
  memdebug_stop_marking_blocks();
  EXPECT_EQ(yrltest::read_file("unreleased.memory"), "2 300\n1 200\n");
  (void)unmarked;
}

}  // namespace
