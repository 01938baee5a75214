// Directory tests by name and the registry primitives.
#include "fileaccess/names/oshelp.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/w32/file.h"
#include "platform/w32/registry.h"
#include "platform/w32/registry_testing.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/support/temp_dir.h"

namespace {

class VynIsDir : public yrltest::FileaccessTest {
 protected:
  void SetUp() override {
    FileaccessTest::SetUp();
    std::filesystem::create_directory(dir.file("sub"));
    yrltest::write_file(dir.file("plain.txt"), "x");
  }
  // Runs vyn_is_dir on a writable copy of path; *after gets the text it left.
  static int is_dir(const std::string& path, std::string* after = nullptr) {
    std::vector<char> text(path.begin(), path.end());
    text.push_back('\0');
    int result = vek::vyn_is_dir(text.data());
    if (after) *after = text.data();
    return result;
  }
  yrltest::TempDir dir;
};

TEST_F(VynIsDir, AnswersForDirectoriesFilesAndMissingNames) {
  struct Case {
    std::string path;
    int result;
    std::string after;
  };
  std::string sub = dir.file("sub");
  std::string plain = dir.file("plain.txt");
  std::string windows_sub = "C:" + sub;
  for (char& c : windows_sub) c = c == '/' ? '\\' : c;
  const Case cases[] = {
      {sub, 1, sub},
      {sub + "\\", 1, sub},
      {sub + "/", 1, sub},
      {sub + "\\\\", 1, sub + "\\\\"},  // only one delimiter goes, and only after a name
      {windows_sub + "\\", 1, windows_sub},
      {plain, 0, plain},
      {plain + "\\", 0, plain},
      {dir.file("missing"), 0, dir.file("missing")},
      {dir.file("missing/deeper/"), 0, dir.file("missing/deeper")},
      {"C:\\", 1, "C:\\"},
      {"/", 1, "/"},
      {"", 0, ""},
  };
  for (const Case& c : cases) {
    std::string after;
    EXPECT_EQ(is_dir(c.path, &after), c.result) << c.path;
    EXPECT_EQ(after, c.after) << c.path;
  }
  EXPECT_EQ(vek::vyn_is_dir(nullptr), 0);
}

TEST_F(VynIsDir, RestoresTheErrorMode) {
  w32::SetErrorMode(w32::SEM_NOOPENFILEERRORBOX);
  EXPECT_EQ(is_dir(dir.file("sub")), 1);
  EXPECT_EQ(is_dir(dir.file("missing")), 0);
  EXPECT_EQ(w32::SetErrorMode(0), w32::SEM_NOOPENFILEERRORBOX);
}

class Registry : public yrltest::FileaccessTest {
 protected:
  void TearDown() override {
    EXPECT_EQ(w32::registry_testing_open_handles(), 0);  // every key opened was closed
    FileaccessTest::TearDown();
  }
  static constexpr const char* kKey = "Software\\VEK\\Test";

  // Stores a value of any type and bytes directly.
  static void store(const char* name, w32::DWORD type, const std::string& bytes) {
    w32::HKEY key = nullptr;
    ASSERT_EQ(w32::RegCreateKeyExA(w32::HKEY_CURRENT_USER, kKey, 0, nullptr, 0,
                                   w32::KEY_SET_VALUE, nullptr, &key, nullptr),
              0);
    EXPECT_EQ(w32::RegSetValueExA(key, name, 0, type,
                                  reinterpret_cast<const w32::BYTE*>(bytes.data()),
                                  static_cast<w32::DWORD>(bytes.size())),
              0);
    w32::RegCloseKey(key);
  }
  // The type and bytes of a stored value; type REG_NONE and "" when it is missing.
  static std::pair<w32::DWORD, std::string> stored(const char* name) {
    w32::HKEY key = nullptr;
    std::pair<w32::DWORD, std::string> out{w32::REG_NONE, ""};
    if (w32::RegOpenKeyExA(w32::HKEY_CURRENT_USER, kKey, 0, w32::KEY_QUERY_VALUE, &key) != 0)
      return out;
    char data[512];
    w32::DWORD size = sizeof data;
    if (w32::RegQueryValueExA(key, name, nullptr, &out.first,
                              reinterpret_cast<w32::BYTE*>(data), &size) == 0)
      out.second.assign(data, size);
    w32::RegCloseKey(key);
    return out;
  }
};

TEST_F(Registry, NumbersRoundTripAndOnlyDwordsAreRead) {
  EXPECT_EQ(vek::nt_set_registry_value(w32::HKEY_CURRENT_USER, kKey, "Count", 0x12345678u), 1);
  EXPECT_EQ(stored("Count"),
            std::make_pair(w32::REG_DWORD, std::string("\x78\x56\x34\x12", 4)));  // little-endian
  w32::DWORD value = 7;
  EXPECT_EQ(vek::nt_get_registry_value(w32::HKEY_CURRENT_USER, kKey, "count", &value), 1);
  EXPECT_EQ(value, 0x12345678u);
  EXPECT_EQ(vek::nt_get_registry_value(w32::HKEY_CURRENT_USER, kKey, "Count", nullptr), 1);
  EXPECT_EQ(vek::nt_set_registry_value(w32::HKEY_CURRENT_USER, kKey, "Count", 0xFFFFFFFFu), 1);
  EXPECT_EQ(vek::nt_get_registry_value(w32::HKEY_CURRENT_USER, kKey, "Count", &value), 1);
  EXPECT_EQ(value, 0xFFFFFFFFu);

  store("Text", w32::REG_SZ, std::string("1234", 4));
  store("Wide", w32::REG_BINARY, std::string("12345678", 8));
  value = 7;
  for (const char* name : {"Text", "Wide", "Missing"})
    EXPECT_EQ(vek::nt_get_registry_value(w32::HKEY_CURRENT_USER, kKey, name, &value), 0) << name;
  EXPECT_EQ(value, 7u);
  EXPECT_EQ(vek::nt_get_registry_value(w32::HKEY_CURRENT_USER, "Software\\None", "Count", &value),
            0);
}

TEST_F(Registry, StringsRoundTripWithinTheirSize) {
  EXPECT_EQ(vek::nt_set_registry_string(w32::HKEY_CURRENT_USER, kKey, "Name", 6, "value"), 1);
  EXPECT_EQ(stored("Name"), std::make_pair(w32::REG_SZ, std::string("value", 6)));
  char out[16];
  EXPECT_EQ(vek::nt_get_registry_string(w32::HKEY_CURRENT_USER, kKey, "NAME", sizeof out, out), 1);
  EXPECT_STREQ(out, "value");

  // Exactly the room the text and its terminator need, and one byte less.
  EXPECT_EQ(vek::nt_get_registry_string(w32::HKEY_CURRENT_USER, kKey, "Name", 6, out), 1);
  EXPECT_STREQ(out, "value");
  std::memset(out, 'z', sizeof out);
  EXPECT_EQ(vek::nt_get_registry_string(w32::HKEY_CURRENT_USER, kKey, "Name", 5, out), 0);
  EXPECT_STREQ(out, "");

  // A buffer's size stores the text and its terminator, nothing behind them.
  char buffer[64] = "short";
  std::memset(buffer + 6, 'G', sizeof buffer - 6);
  EXPECT_EQ(
      vek::nt_set_registry_string(w32::HKEY_CURRENT_USER, kKey, "Buffer", sizeof buffer, buffer),
      1);
  EXPECT_EQ(stored("Buffer").second, std::string("short", 6));
  // A smaller size cuts the text; the reader terminates what it got.
  EXPECT_EQ(vek::nt_set_registry_string(w32::HKEY_CURRENT_USER, kKey, "Cut", 3, "value"), 1);
  EXPECT_EQ(stored("Cut").second, "val");
  EXPECT_EQ(vek::nt_get_registry_string(w32::HKEY_CURRENT_USER, kKey, "Cut", sizeof out, out), 1);
  EXPECT_STREQ(out, "val");
  EXPECT_EQ(vek::nt_get_registry_string(w32::HKEY_CURRENT_USER, kKey, "Cut", 3, out), 0);
  EXPECT_STREQ(out, "");
}

TEST_F(Registry, StringReadsLeaveOtherTypesAndFailuresEmpty) {
  store("Expand", w32::REG_EXPAND_SZ, std::string("%TMP%\\x", 8));
  store("Number", w32::REG_DWORD, std::string("abc", 4));
  store("Empty", w32::REG_SZ, std::string("", 1));
  store("Nothing", w32::REG_SZ, "");
  char out[32];
  EXPECT_EQ(
      vek::nt_get_registry_string(w32::HKEY_CURRENT_USER, kKey, "Expand", sizeof out, out), 1);
  EXPECT_STREQ(out, "%TMP%\\x");
  for (const char* name : {"Number", "Empty", "Nothing", "Missing"}) {
    std::strcpy(out, "old");
    EXPECT_EQ(vek::nt_get_registry_string(w32::HKEY_CURRENT_USER, kKey, name, sizeof out, out), 0)
        << name;
    EXPECT_STREQ(out, "") << name;
  }
  EXPECT_EQ(vek::nt_get_registry_string(w32::HKEY_CURRENT_USER, kKey, "Expand", 0, out), 0);
  EXPECT_EQ(vek::nt_get_registry_string(w32::HKEY_CURRENT_USER, kKey, "Expand", 8, nullptr), 0);
  EXPECT_EQ(vek::nt_set_registry_string(w32::HKEY_CURRENT_USER, kKey, "Null", 8, nullptr), 0);
  EXPECT_EQ(vek::nt_set_registry_string(w32::HKEY_CURRENT_USER, kKey, "Negative", -1, "x"), 0);
  EXPECT_EQ(stored("Negative").first, w32::REG_NONE);
  // An empty text is stored as its terminator.
  EXPECT_EQ(vek::nt_set_registry_string(w32::HKEY_CURRENT_USER, kKey, "Blank", 8, ""), 1);
  EXPECT_EQ(stored("Blank"), std::make_pair(w32::REG_SZ, std::string("", 1)));
}

TEST_F(Registry, WritesMakeTheKeysAndValueNamesMayBeTheDefault) {
  const char* deep = "Software\\VEK\\A\\B\\C";
  EXPECT_EQ(vek::nt_set_registry_value(w32::HKEY_LOCAL_MACHINE, deep, nullptr, 5), 1);
  w32::DWORD value = 0;
  EXPECT_EQ(vek::nt_get_registry_value(w32::HKEY_LOCAL_MACHINE, deep, "", &value), 1);
  EXPECT_EQ(value, 5u);
  // The same key under another root is another key.
  EXPECT_EQ(vek::nt_get_registry_value(w32::HKEY_CURRENT_USER, deep, "", &value), 0);
  EXPECT_EQ(vek::nt_set_registry_string(w32::HKEY_CLASSES_ROOT, ".yrl", nullptr, 8, "Yrl.File"), 1);
  char out[16];
  EXPECT_EQ(
      vek::nt_get_registry_string(w32::HKEY_CLASSES_ROOT, ".YRL", nullptr, sizeof out, out), 1);
  EXPECT_STREQ(out, "Yrl.File");
  // A bad root is refused, not followed.
  EXPECT_EQ(vek::nt_set_registry_value(nullptr, deep, "x", 1), 0);
  EXPECT_EQ(vek::nt_get_registry_string(nullptr, deep, "x", sizeof out, out), 0);
}

}  // namespace
