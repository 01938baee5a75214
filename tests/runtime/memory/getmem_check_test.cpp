// The block report and the whole-chain check.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "runtime/diag/diag.h"
#include "runtime/diag/runmode.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/getmem_layout.h"
#include "runtime/memory/xar.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"

namespace {

using namespace vek;

using GetmemCheckTest = yrltest::RuntimeTest;
using GetmemCheckDeathTest = yrltest::RuntimeDeathTest;

std::string address(const void* p) {
  return std::to_string(reinterpret_cast<std::uintptr_t>(p));
}

std::string field(const std::string& label, const std::string& value) {
  return " " + std::string(15, ' ') + " " + label + value + " \n";
}

std::string report_head(const void* user, bool good) {
  return " Memory block : User pointer - " + address(user) + " " +
         (good ? "          looks good \n" : "          LOOKS BAD \n");
}

TEST_F(GetmemCheckTest, SizeOfAnInvalidAreaIsReportedWithTheWholeAddress) {
  // An address inside a live block is no block of its own.
  void* p = static_cast<char*>(getmem(64)) + 16;
  set_verbose_mode(1);
  set_dbg_err_crash(0);
  set_run_mode(1);
  yrltest::ConsoleCapture console;
  EXPECT_EQ(getmem_area_size(p), -1);
  EXPECT_EQ(console.out().substr(0, console.out().find('\n') + 1),
            "debug_getmem_size:  invalid memory area " + address(p) + "\n");
}

TEST_F(GetmemCheckTest, BlockReportShowsHeaderTailAndLinks) {
  void* a = getmem(8);
  void* p = getmem_xar(13, 1);
  void* c = getmem(8);
  const unsigned char* block = getmem_block_of(p);
  yrltest::ConsoleCapture console;
  EXPECT_EQ(checkmem_block(p, 1), GETMEM_VALID);
  EXPECT_EQ(console.out(),
            report_head(p, true) + field("Header starts at     ", address(block)) +
                field("Number of user bytes ", "13") +
                field("Tail starts at       ", address(block + 16 + 16)) +
                field("Previous memory area ", address(getmem_block_of(a))) +
                field("Next memory area     ", address(getmem_block_of(c))) +
                field("Memory loop index    ", std::to_string(GETMEM_LOOP_UNMARKED)) +
                field("Xarray usage flag    ", "1"));
}

TEST_F(GetmemCheckTest, ADirtyRoundingPadLooksBadOnlyInTheReport) {
  unsigned char* p = static_cast<unsigned char*>(getmem(13));
  p[14] = 1;
  yrltest::ConsoleCapture console;
  EXPECT_EQ(checkmem_block(p, 0), GETMEM_VALID);
  EXPECT_EQ(checkmem_block(p, 1), 1);
  EXPECT_EQ(console.out().rfind(report_head(p, false), 0), 0u);
  p[14] = 0;
}

TEST_F(GetmemCheckTest, ResizedBlocksHaveACleanPad) {
  unsigned char* p = static_cast<unsigned char*>(getmem(16));
  for (int i = 0; i < 16; ++i) p[i] = 0xAA;
  p = static_cast<unsigned char*>(relocmem(p, 9));  // bytes 9-15 become the pad
  yrltest::ConsoleCapture console;
  EXPECT_EQ(checkmem_block(p, 1), GETMEM_VALID);
  p = static_cast<unsigned char*>(relocmem(p, 21));
  EXPECT_EQ(checkmem_block(p, 1), GETMEM_VALID);
  EXPECT_EQ(p[8], 0xAA);
  EXPECT_EQ(p[9], 0);
}

TEST_F(GetmemCheckTest, AnOverwrittenHeaderIsReportedWithoutReadingTheTail) {
  unsigned char* p = static_cast<unsigned char*>(getmem(40));
  unsigned char* block = getmem_block_of(p);
  block[GETMEM_GUARD_OFFSET + 1] ^= 0x10;
  yrltest::ConsoleCapture console;
  EXPECT_EQ(checkmem_block(p, 1), GETMEM_BAD_GUARD);
  EXPECT_EQ(console.out(), report_head(p, false) + field("Header starts at     ", address(block)) +
                               field("Number of user bytes ", "40") +
                               field("Tail starts at       ", address(block + 16 + 40)) +
                               field("Previous memory area ", "0"));
  block[GETMEM_GUARD_OFFSET + 1] ^= 0x10;
}

TEST_F(GetmemCheckTest, ReportOfANullAddress) {
  yrltest::ConsoleCapture console;
  EXPECT_EQ(checkmem_block(nullptr, 1), -1);
  EXPECT_EQ(console.out(), report_head(nullptr, false));
}

TEST_F(GetmemCheckTest, ChainCheckReportsItsTotalsOutsideRunModeZero) {
  getmem(10);
  void* x = xar_alloc(3, 4, 10);
  getmem(20);
  yrltest::ConsoleCapture console;
  EXPECT_EQ(checkmem_chain(), 0);
  EXPECT_EQ(console.out(), "") << "silent in run mode 0";
  set_run_mode(1);
  EXPECT_EQ(checkmem_chain(), 0);
  // 10 -> 16 + 32, an xarray of 3 ints -> 32 + 32, 20 -> 24 + 32.
  EXPECT_EQ(console.out(),
            "checkmem_chain:   The chain of 3 areas checks OK. \n (INFO MESSAGE)\n"
            "checkmem_chain:   Total application size 62 \n (INFO MESSAGE)\n"
            "checkmem_chain:   Total system size 168 \n (INFO MESSAGE)\n");
  xar_free(&x);
}

TEST_F(GetmemCheckDeathTest, ChainCheckStopsAtABrokenBlockAfterReportingItAndItsNeighbours) {
  EXPECT_EXIT(
      {
        yrltest::route_console_to_stderr();
        set_run_mode(1);
        getmem(10);
        void* b = getmem(20);
        void* c = getmem(30);
        getmem_set_prev(getmem_block_of(c), nullptr);
        (void)b;
        checkmem_chain();
      },
      ::testing::ExitedWithCode(2),
      "^checkmem_chain:   Invalid block found\n \\(INFO MESSAGE\\)\n"
      " Memory block : User pointer - [0-9]+           LOOKS BAD \n(.*\n){7}"
      " Memory block : User pointer - [0-9]+           looks good \n(.*\n){7}"
      " Memory block : User pointer - [0-9]+           LOOKS BAD \n(.*\n){7}"
      "Serious internal error; cannot continue\\.\n$");
}

// A block whose header guard was overwritten is reported without its untrusted size's
// tail, and its neighbours are reported after it where they exist: the previous one
// from the walk, the next one found through the previous links from the end of the
// chain. The next block's own check looks bad, since its previous block's guard is
// broken.
TEST_F(GetmemCheckDeathTest, ChainCheckReportsBothNeighboursOfABlockWithABrokenGuard) {
  // A report's head line and the number of field lines after it.
  auto report = [](const char* verdict, int fields) {
    return " Memory block : User pointer - [0-9]+           " + std::string(verdict) +
           " \n(.*\n){" + std::to_string(fields) + "}";
  };
  const std::string found = "^checkmem_chain:   Invalid block found\n \\(INFO MESSAGE\\)\n";
  const std::string broken = report("LOOKS BAD", 4);
  const std::string good = report("looks good", 7);
  const std::string bad = report("LOOKS BAD", 7);
  const std::string stop = "Serious internal error; cannot continue\\.\n$";
  struct Case {
    int broken;  // which of three blocks
    std::string expected;
  };
  for (const Case& c : {Case{1, found + broken + good + bad + stop},
                        Case{0, found + broken + bad + stop},
                        Case{2, found + broken + good + stop}}) {
    EXPECT_EXIT(
        {
          yrltest::route_console_to_stderr();
          set_run_mode(1);
          void* blocks[3];
          for (int i = 0; i < 3; ++i) blocks[i] = getmem(static_cast<std::size_t>(10 * (i + 1)));
          getmem_store32(getmem_block_of(blocks[c.broken]) + GETMEM_GUARD_OFFSET, 0);
          checkmem_chain();
        },
        ::testing::ExitedWithCode(2), c.expected)
        << c.broken;
  }
}

TEST_F(GetmemCheckDeathTest, ChainCheckStopsAtAnXarrayBlockWithoutValidArray) {
  EXPECT_EXIT(
      {
        yrltest::route_console_to_stderr();
        set_run_mode(1);
        getmem_xar(64, 1);  // flagged, but no array was written into it
        checkmem_chain();
      },
      ::testing::ExitedWithCode(2),
      "^checkmem_chain:  Found a memory block containing invalid expandable array\\.\n"
      " \\(INFO MESSAGE\\)\n"
      " Memory block : User pointer - [0-9]+           looks good \n(.*\n){7}"
      "Serious internal error; cannot continue\\.\n$");
}

}  // namespace
