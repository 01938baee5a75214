#include "platform/w32/console.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <vector>

#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"
#include "platform/w32/thread.h"
#include "tests/platform/w32/w32_test_support.h"

namespace {

using namespace w32;

class ConsoleTest : public yrltest::W32Test {};

TEST_F(ConsoleTest, StandardHandlesStandForTheProcessStreamsUntilReplaced) {
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  EXPECT_EQ(w32_std_handle_descriptor(in), 0);
  EXPECT_EQ(w32_std_handle_descriptor(out), 1);
  EXPECT_EQ(w32_std_handle_descriptor(err), 2);
  EXPECT_EQ(w32_std_handle_descriptor(nullptr), -1);
  EXPECT_EQ(w32_std_handle_descriptor(INVALID_HANDLE_VALUE), -1);

  SetLastError(0);
  EXPECT_EQ(GetStdHandle(static_cast<DWORD>(-13)), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(SetStdHandle(0, nullptr));

  // Null is an answer of its own; a console brings the streams back.
  EXPECT_TRUE(SetStdHandle(STD_OUTPUT_HANDLE, nullptr));
  EXPECT_EQ(GetStdHandle(STD_OUTPUT_HANDLE), nullptr);
  EXPECT_EQ(GetStdHandle(STD_ERROR_HANDLE), err);
  EXPECT_TRUE(AllocConsole());
  EXPECT_EQ(GetStdHandle(STD_OUTPUT_HANDLE), out);
  EXPECT_TRUE(FreeConsole());
}

TEST_F(ConsoleTest, OneConsoleAtATime) {
  EXPECT_FALSE(console_testing_has_console());
  SetLastError(0);
  EXPECT_FALSE(FreeConsole());
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(AllocConsole());
  EXPECT_TRUE(console_testing_has_console());
  EXPECT_FALSE(AllocConsole());
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(FreeConsole());
  EXPECT_FALSE(console_testing_has_console());

  ASSERT_TRUE(fault_testing_fail_on_call("AllocConsole", 1, ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_FALSE(AllocConsole());
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_FALSE(console_testing_has_console());
  ASSERT_TRUE(AllocConsole());
  ASSERT_TRUE(fault_testing_fail_on_call("FreeConsole", 1, ERROR_ACCESS_DENIED));
  EXPECT_FALSE(FreeConsole());
  EXPECT_TRUE(console_testing_has_console());
}

struct Visit {
  std::vector<HWND> seen;
  std::size_t stop_after;
};

BOOL collect(HWND window, LPARAM data) {
  Visit* visit = reinterpret_cast<Visit*>(data);
  visit->seen.push_back(window);
  return visit->seen.size() < visit->stop_after ? TRUE : FALSE;
}

TEST_F(ConsoleTest, WindowsAreListedOnlyWhenAddedAndShowWindowRecords) {
  Visit visit{{}, 10};
  EXPECT_TRUE(EnumWindows(collect, reinterpret_cast<LPARAM>(&visit)));
  EXPECT_TRUE(visit.seen.empty());
  EXPECT_FALSE(EnumWindows(nullptr, 0));

  HWND other = console_testing_add_window(GetCurrentThreadId() + 1);
  HWND mine = console_testing_add_window(GetCurrentThreadId());
  ASSERT_NE(other, nullptr);
  ASSERT_NE(mine, nullptr);
  EXPECT_TRUE(EnumWindows(collect, reinterpret_cast<LPARAM>(&visit)));
  EXPECT_EQ(visit.seen, (std::vector<HWND>{other, mine}));
  Visit first{{}, 1};
  EXPECT_FALSE(EnumWindows(collect, reinterpret_cast<LPARAM>(&first)));
  EXPECT_EQ(first.seen, (std::vector<HWND>{other}));

  DWORD pid = 0;
  EXPECT_EQ(GetWindowThreadProcessId(mine, &pid), GetCurrentThreadId());
  EXPECT_EQ(pid, static_cast<DWORD>(getpid()));
  SetLastError(0);
  EXPECT_EQ(GetWindowThreadProcessId(reinterpret_cast<HWND>(99), nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);

  EXPECT_EQ(console_testing_last_show(mine), -1);
  EXPECT_TRUE(ShowWindow(mine, SW_HIDE));  // it was visible
  EXPECT_FALSE(ShowWindow(mine, SW_SHOWNORMAL));  // it was hidden
  EXPECT_EQ(console_testing_last_show(mine), SW_SHOWNORMAL);
  EXPECT_EQ(console_testing_last_show(other), -1);
  EXPECT_FALSE(ShowWindow(reinterpret_cast<HWND>(99), SW_HIDE));
}

}  // namespace
