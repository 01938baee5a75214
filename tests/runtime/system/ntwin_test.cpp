// The immediate-expose flag, pipes, the program policies and the maker's registry area.
#include "runtime/system/ntwin.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <initializer_list>
#include <string>
#include <thread>

#include "platform/w32/fileio.h"
#include "platform/w32/handle.h"
#include "platform/w32/registry.h"
#include "platform/w32/registry_testing.h"
#include "platform/w32/system_testing.h"
#include "runtime/diag/runmode.h"
#include "runtime/system/regstring.h"
#include "tests/support/bounded_wait.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "tests/support/temp_dir.h"

namespace {

class NtWin : public yrltest::RuntimeTest {};

TEST_F(NtWin, ImmediateExposeGivesTheValueBefore) {
  EXPECT_EQ(vek::nt_GetImmediateExpose(), 0);
  EXPECT_EQ(vek::nt_SetImmediateExpose(3), 0);
  EXPECT_EQ(vek::nt_SetImmediateExpose(1), 3);
  EXPECT_EQ(vek::nt_GetImmediateExpose(), 1);
}

TEST_F(NtWin, PipeRoundTripAndPeek) {
  w32::HANDLE pair[2] = {};
  ASSERT_EQ(vek::nt_pipe(pair), 0);
  EXPECT_EQ(vek::nt_peek_pipe(pair[0]), 0);
  const int items[3] = {1, 2, 3};
  EXPECT_EQ(vek::nt_pipe_write(items, sizeof(int), 3, pair[1]), 3);
  int bytes = -1;
  EXPECT_EQ(vek::nt_pipe_write_1("ab", 1, 2, pair[1], &bytes), 2);
  EXPECT_EQ(bytes, 2);
  EXPECT_EQ(vek::nt_peek_pipe(pair[0]), 1);
  int read_items[3] = {};
  EXPECT_EQ(vek::nt_pipe_read(read_items, sizeof(int), 3, pair[0]), 3);
  EXPECT_EQ(read_items[2], 3);
  char text[8] = {};
  EXPECT_EQ(vek::nt_pipe_read_1(text, 1, 8, pair[0], &bytes), 2);  // what is there
  EXPECT_EQ(std::string(text, 2), "ab");
  EXPECT_EQ(vek::nt_pipe_flush(pair[1]), 0);
  EXPECT_EQ(vek::nt_pipe_seek(pair[0], 0, 1), 0);
  EXPECT_EQ(vek::nt_pipe_tell(pair[0]), -1);  // a pipe has no position
  // Requests without a handle or without bytes.
  EXPECT_EQ(vek::nt_pipe_read(text, 1, 1, w32::INVALID_HANDLE_VALUE), -1);
  EXPECT_EQ(vek::nt_pipe_read(text, 0, 1, pair[0]), 0);
  EXPECT_EQ(vek::nt_pipe_write(nullptr, 1, 1, pair[1]), -1);
  EXPECT_EQ(vek::nt_pipe_write_1(text, 0, 5, pair[1], &bytes), 0);
  EXPECT_EQ(vek::nt_pipe_read(text, 0x10000, 0x10000, pair[0]), -1);  // too large a request
  w32::CloseHandle(pair[1]);
  yrltest::ConsoleCapture console;
  EXPECT_EQ(vek::nt_pipe_read_1(text, 1, 1, pair[0], &bytes), -1);  // ended: broken pipe
  EXPECT_EQ(console.err(), "Error in nt_pipe_read_1, returned 109");
  w32::CloseHandle(pair[0]);
}

// Items are whole: the rest of an item begun in the pipe is waited for, so no byte read
// is lost; at the pipe's end a part item is left uncounted in the buffer.
TEST_F(NtWin, PipeReadCompletesAnItemBegun) {
  w32::HANDLE pair[2] = {};
  ASSERT_EQ(vek::nt_pipe(pair), 0);
  const char first[] = {1, 2, 3, 4, 5};
  const char rest[] = {6, 7, 8, 9};
  ASSERT_EQ(vek::nt_pipe_write(first, 1, 5, pair[1]), 5);
  char items[8] = {};
  std::atomic<int> read{-2};
  std::thread reader([&] { read = vek::nt_pipe_read(items, 4, 2, pair[0]); });
  // The reader has five bytes and waits for the three that complete its second item.
  ASSERT_TRUE(yrltest::wait_until([&] { return vek::nt_peek_pipe(pair[0]) == 0; }));
  ASSERT_EQ(vek::nt_pipe_write(rest, 1, 4, pair[1]), 4);
  yrltest::finishes_within("the read of two items", [&] { reader.join(); });
  EXPECT_EQ(read.load(), 2);
  EXPECT_EQ(std::string(items, 8), std::string("\1\2\3\4\5\6\7\10", 8));
  // The byte left over begins an item that the writer never ends.
  w32::CloseHandle(pair[1]);
  char last[4] = {};
  EXPECT_EQ(vek::nt_pipe_read(last, 4, 1, pair[0]), 0);
  EXPECT_EQ(last[0], 9);
  w32::CloseHandle(pair[0]);

  // A file handle ends its part item at the file's end too.
  yrltest::TempDir dir;
  std::string path = dir.file("five");
  yrltest::write_file(path, std::string(first, 5));
  w32::HANDLE file = w32::CreateFileA(path.c_str(), w32::GENERIC_READ, 0, nullptr,
                                      w32::OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, w32::INVALID_HANDLE_VALUE);
  EXPECT_EQ(yrltest::finishes_within("a read to a file's end",
                                     [&] { return vek::nt_pipe_read(items, 4, 2, file); }),
            1);
  w32::CloseHandle(file);
}

// Puts the values into a policy key below Explorer.
void set_policy(const char* list, std::initializer_list<const char*> names) {
  std::string key =
      std::string("Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\") + list;
  int n = 1;
  for (const char* name : names)
    ASSERT_EQ(vek::nt_set_registry_string_value(w32::HKEY_CURRENT_USER, key.c_str(),
                                                std::to_string(n++).c_str(), name),
              1);
}

TEST_F(NtWin, PoliciesDecideTheInterpreterWithoutCase) {
  struct Case {
    std::initializer_list<const char*> disallowed;
    std::initializer_list<const char*> restricted;
    int allowed;
  } cases[] = {
      {{}, {}, 1},
      {{"CMD.EXE"}, {}, 0},
      {{"notepad.exe"}, {}, 1},
      {{"cmd.exe"}, {"Cmd.Exe"}, 1},  // RestrictRun decides last
      {{}, {"notepad.exe"}, 0},
      {{}, {"notepad.exe", "cmd.EXE"}, 1},
  };
  int row = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(row++);
    w32::registry_testing_reset();
    set_policy("DisallowRun", c.disallowed);
    set_policy("RestrictRun", c.restricted);
    yrltest::ConsoleCapture console;  // the list's release is traced
    EXPECT_EQ(vek::nt_policies_cmd_is_allowed(), c.allowed);
  }
  // A list holds the REG_SZ values; its release traces each and clears it.
  w32::registry_testing_reset();
  set_policy("DisallowRun", {"a.exe", "b.exe"});
  char** list = nullptr;
  EXPECT_EQ(vek::nt_policies_disallowed_apps_get(&list), 2);
  EXPECT_STREQ(list[1], "b.exe");
  yrltest::ConsoleCapture console;
  vek::nt_policies_apps_free(&list);
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(console.out(), "free (a.exe)\nfree (b.exe)\n");
  EXPECT_EQ(vek::nt_policies_restricted_apps_get(&list), 0);
  EXPECT_EQ(list, nullptr);
}

TEST_F(NtWin, MakersAreaUnderTheChosenRootAndNestedKeys) {
  w32::system_testing_set_user_name("Tester");
  EXPECT_EQ(vek::nt_get_vek_root_key(), w32::HKEY_LOCAL_MACHINE);
  EXPECT_EQ(vek::nt_get_vek_user_root_key(), w32::HKEY_CURRENT_USER);
  ASSERT_EQ(vek::nt_set_vek_registry_string_value("Setup", "Dir", "%ROOT%\\bin"), 1);
  char out[vek::NT_REGISTRY_VALUE_SIZE];
  EXPECT_EQ(vek::nt_get_vek_registry_string_value("setup", "dir", out), 1);
  EXPECT_STREQ(out, "%ROOT%\\bin");
  // Written as REG_EXPAND_SZ under Software\VEK.
  w32::HKEY key = nullptr;
  ASSERT_EQ(w32::RegOpenKeyA(w32::HKEY_LOCAL_MACHINE, "Software\\VEK\\Setup", &key), 0);
  w32::DWORD type = 0;
  EXPECT_EQ(w32::RegQueryValueExA(key, "Dir", nullptr, &type, nullptr, nullptr), 0);
  EXPECT_EQ(type, w32::REG_EXPAND_SZ);
  w32::RegCloseKey(key);
  // The volatile test key of the user was removed again.
  EXPECT_NE(
      w32::RegOpenKeyA(w32::HKEY_LOCAL_MACHINE, "Software\\VEK\\volatile_portmap\\Tester", &key),
      0);
  EXPECT_EQ(vek::nt_delete_vek_registry_value("Setup", "Dir"), 1);
  EXPECT_EQ(vek::nt_delete_vek_registry_value("Setup", "Dir"), 0);
  EXPECT_EQ(vek::nt_delete_vek_registry_string("Setup"), 1);
  EXPECT_EQ(vek::nt_set_vek_user_registry_string_value("Mine", "v", "x"), 1);
  EXPECT_EQ(vek::nt_get_vek_user_registry_string_value("Mine", "v", out), 1);
  EXPECT_EQ(vek::nt_delete_vek_user_registry_value("Mine", "v"), 1);
  EXPECT_EQ(vek::nt_delete_vek_user_registry_string("Mine"), 1);
  // Three nested parts make three keys below the subkey.
  ASSERT_EQ(vek::nt_set_vek_registry_subkey("VYN_COMM_MSG_EXE", "a\\b\\c", "FileName", "m.exe"), 1);
  EXPECT_EQ(vek::nt_get_vek_registry_subkey("VYN_COMM_MSG_EXE", "a\\b\\c", "FileName", out), 1);
  EXPECT_STREQ(out, "m.exe");
  ASSERT_EQ(
      w32::RegOpenKeyA(w32::HKEY_LOCAL_MACHINE, "Software\\VEK\\VYN_COMM_MSG_EXE\\a\\b", &key), 0);
  w32::RegCloseKey(key);
  EXPECT_EQ(vek::nt_set_vek_registry_subkey("", nullptr, "v", "x"), 0);
  EXPECT_EQ(vek::nt_set_vek_registry_subkey("s", "\\\\", "v", "x"), 0);  // no parts
  // Paths beyond 1,024 bytes are refused, never cut.
  std::string long_subkey(1100, 'k');
  EXPECT_EQ(vek::nt_set_vek_registry_string_value(long_subkey.c_str(), "v", "x"), 0);
  EXPECT_EQ(vek::nt_get_vek_registry_subkey(long_subkey.c_str(), nullptr, "v", out), 0);
}

// "Software\VEK\", the subkey and the nested parts must fit 1,024 bytes with the
// terminator: 1,010 characters for subkey and parts. What does not fit is refused whole;
// nothing is written under a cut name.
TEST_F(NtWin, NestedSubkeyPathsFitOrAreRefused) {
  const std::string long_nested(2000, 'n');
  struct Case {
    std::size_t subkey;
    const char* nested;
    int result;
  } cases[] = {
      {1010, nullptr, 1},
      {1011, nullptr, 0},
      {1004, "ab\\cd", 1},  // 1,004 + 3 + 3
      {1005, "ab\\cd", 0},
      {1004, "\\ab\\\\cd\\", 1},  // empty parts add nothing
      {1005, "\\ab\\\\cd\\", 0},
      {1100, "a\\b", 0},  // the subkey alone is too long
      {1100, nullptr, 0},
      {1024, nullptr, 0},  // the edges of the path buffer itself
      {1023, "a", 0},
      {1020, "a", 0},
      {100, long_nested.c_str(), 0},
  };
  for (const Case& c : cases) {
    std::string subkey(c.subkey, 's');
    SCOPED_TRACE(std::to_string(c.subkey) + " " +
                 std::string(c.nested ? c.nested : "(none)").substr(0, 20));
    w32::registry_testing_reset();
    EXPECT_EQ(vek::nt_set_vek_registry_subkey(subkey.c_str(), c.nested, "v", "x"), c.result);
    if (c.result) {
      // The value stands in the keys of the parts.
      std::string path = "Software\\VEK\\" + subkey + (c.nested ? "\\ab\\cd" : "");
      char out[vek::NT_REGISTRY_VALUE_SIZE] = "";
      EXPECT_EQ(vek::nt_get_registry_string_value(w32::HKEY_LOCAL_MACHINE, path.c_str(), "v", out),
                1);
      EXPECT_STREQ(out, "x");
    }
    // Nothing at all was made below the maker's key when refused.
    w32::HKEY key = nullptr;
    if (!c.result && w32::RegOpenKeyA(w32::HKEY_LOCAL_MACHINE, "Software\\VEK", &key) == 0) {
      char name[2048];
      w32::DWORD size = sizeof name;
      EXPECT_NE(w32::RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr), 0);
      w32::RegCloseKey(key);
    }
  }
}

}  // namespace
