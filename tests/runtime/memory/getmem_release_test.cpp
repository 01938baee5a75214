// Keep-released mode: released blocks stay allocated, filled with 0xFF, so that a write
// through a stale pointer is found later.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/memory/getmem.h"
#include "runtime/memory/getmem_layout.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"

namespace {

using namespace vek;

using KeepReleasedTest = yrltest::RuntimeTest;
using KeepReleasedDeathTest = yrltest::RuntimeDeathTest;

bool all_ff(const void* p, std::size_t n) {
  const unsigned char* bytes = static_cast<const unsigned char*>(p);
  for (std::size_t i = 0; i < n; ++i) {
    if (bytes[i] != 0xFF) return false;
  }
  return true;
}

std::string no_overwrite(int blocks, std::size_t bytes) {
  return "No overwrite for " + std::to_string(blocks) + " blocks and " + std::to_string(bytes) +
         " bytes.\n";
}

TEST_F(KeepReleasedTest, ReleasedBlocksAreKeptFilledAndCheckedUntilReleasingStarts) {
  stop_releasing_memory();
  unsigned char* p = static_cast<unsigned char*>(getmem(100));
  unsigned char* q = static_cast<unsigned char*>(getmem(5000));
  std::memset(p, 1, 100);
  std::memset(q, 2, 5000);
  rlsmem(p);
  rlsmem(q);
  // Kept blocks are filled whole, large or not, and are off the chain.
  EXPECT_TRUE(all_ff(getmem_block_of(p), getmem_total(100)));
  EXPECT_TRUE(all_ff(getmem_block_of(q), getmem_total(5000)));
  EXPECT_EQ(checkmem_chain(), 0);
  {
    yrltest::ConsoleCapture console;
    EXPECT_EQ(check_released_memory(), 2);
    EXPECT_EQ(check_released_block(1), 0);
    EXPECT_EQ(check_released_block(2), 0);
    EXPECT_EQ(check_released_block(-1), 0);
    EXPECT_EQ(console.out(), no_overwrite(2, getmem_total(100) + getmem_total(5000)));
  }
  start_releasing_memory();
  unsigned char* r = static_cast<unsigned char*>(getmem(10));
  rlsmem(r);
  yrltest::ConsoleCapture console;
  EXPECT_EQ(check_released_memory(), 0);
  EXPECT_EQ(console.out(), no_overwrite(0, 0));
}

TEST_F(KeepReleasedTest, ResizeKeepsTheOldCopyFilled) {
  stop_releasing_memory();
  unsigned char* p = static_cast<unsigned char*>(getmem(100));
  for (int i = 0; i < 100; ++i) p[i] = static_cast<unsigned char>(i);
  unsigned char* old_block = getmem_block_of(p);
  unsigned char* q = static_cast<unsigned char*>(relocmem(p, 40));
  ASSERT_NE(q, p) << "a resize always moves while released blocks are kept";
  for (int i = 0; i < 40; ++i) ASSERT_EQ(q[i], i);
  EXPECT_TRUE(all_ff(old_block, getmem_total(100)));
  yrltest::ConsoleCapture console;
  EXPECT_EQ(check_released_memory(), 1);
  EXPECT_EQ(console.out(), no_overwrite(1, getmem_total(100)));
}

TEST_F(KeepReleasedTest, StoppingAgainStartsAFreshList) {
  stop_releasing_memory();
  rlsmem(getmem(10));
  rlsmem(getmem(20));
  stop_releasing_memory();
  yrltest::ConsoleCapture console;
  EXPECT_EQ(check_released_memory(), 0);
  rlsmem(getmem(30));
  EXPECT_EQ(check_released_memory(), 1);
}

TEST_F(KeepReleasedTest, StartingWithoutAnyStopIsHarmless) {
  start_releasing_memory();
  yrltest::ConsoleCapture console;
  EXPECT_EQ(check_released_memory(), 0);
  EXPECT_EQ(check_released_block(0), 0);
  EXPECT_EQ(console.out(), no_overwrite(0, 0));
  rlsmem(getmem(10));
  EXPECT_EQ(check_released_memory(), 0) << "nothing kept while releasing";
}

TEST_F(KeepReleasedTest, AddingABlockDirectlyLeavesTheModeAsItWas) {
  unsigned char* block = static_cast<unsigned char*>(std::malloc(64));
  std::memset(block, 0xFF, 64);
  add_block_to_released_list(block, 64);
  rlsmem(getmem(10));  // released for good: the mode is still off
  yrltest::ConsoleCapture console;
  EXPECT_EQ(check_released_memory(), 1);
  EXPECT_EQ(console.out(), no_overwrite(1, 64));
}

// The released list grows through relocmem while a block right before it in the chain
// is being resized. With every resize moving, each growth of the list moves the list's
// segment, the resized block's neighbour; the chain must stay whole all the same.
TEST_F(KeepReleasedTest, ChainStaysWholeWhileTheReleasedListGrowsBesideAResizedBlock) {
  set_always_relocate_mem(1);
  void* p = getmem(16);
  stop_releasing_memory();
  for (int i = 0; i < 2500; ++i) {
    p = relocmem(p, 16 + static_cast<std::size_t>(i % 3) * 8);
    ASSERT_EQ(checkmem_block(p, 0), GETMEM_VALID) << "resize " << i;
  }
  EXPECT_EQ(checkmem_chain(), 0);
  yrltest::ConsoleCapture console;
  EXPECT_EQ(check_released_memory(), 2500);
}

TEST_F(KeepReleasedDeathTest, AWriteIntoAKeptBlockStopsTheProcess) {
  const char* const overwritten =
      "^Released memory block 1 has been overwritten\\.\n"
      "Serious internal error; cannot continue\\.\n$";
  for (int whole_list : {1, 0}) {
    SCOPED_TRACE(whole_list);
    EXPECT_EXIT(
        {
          yrltest::route_console_to_stderr();
          stop_releasing_memory();
          unsigned char* p = static_cast<unsigned char*>(getmem(100));
          unsigned char* q = static_cast<unsigned char*>(getmem(100));
          rlsmem(p);
          rlsmem(q);
          q[99] = 0;  // a stale pointer writes into released memory
          check_released_block(0);
          if (whole_list) {
            check_released_memory();
          } else {
            check_released_block(1);
          }
        },
        ::testing::ExitedWithCode(2), overwritten);
  }
}

}  // namespace
