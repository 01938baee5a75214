// The system record, the operating-system family, host and user names, and the release
// marker search.
#include "runtime/system/sysinfo.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/w32/fault_testing.h"
#include "platform/w32/registry.h"
#include "platform/w32/system.h"
#include "platform/w32/system_testing.h"
#include "runtime/system/sysinfo_testing.h"
#include "tests/support/runtime_test.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

using yrltest::RuntimeTest;

std::string narrow(const VynWchar* wide) {
  std::string out;
  for (; *wide != 0; ++wide) out.push_back(static_cast<char>(*wide));
  return out;
}

class SysInfo : public RuntimeTest {};

// Makes processor key index with the values given (null: left out).
void make_processor(const char* index, const char* identifier, const char* vendor, int mhz) {
  std::string path = std::string("HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\") + index;
  w32::HKEY key = nullptr;
  ASSERT_EQ(w32::RegCreateKeyA(w32::HKEY_LOCAL_MACHINE, path.c_str(), &key), 0);
  if (identifier != nullptr)
    w32::RegSetValueExA(key, "Identifier", 0, w32::REG_SZ,
                        reinterpret_cast<const w32::BYTE*>(identifier),
                        static_cast<w32::DWORD>(std::strlen(identifier) + 1));
  if (vendor != nullptr)
    w32::RegSetValueExA(key, "VendorIdentifier", 0, w32::REG_SZ,
                        reinterpret_cast<const w32::BYTE*>(vendor),
                        static_cast<w32::DWORD>(std::strlen(vendor) + 1));
  if (mhz >= 0) {
    w32::DWORD value = static_cast<w32::DWORD>(mhz);
    w32::RegSetValueExA(key, "~MHz", 0, w32::REG_DWORD, reinterpret_cast<const w32::BYTE*>(&value),
                        sizeof value);
  }
  w32::RegCloseKey(key);
}

TEST_F(SysInfo, RecordNamesTheSystemAndTheProcessorFromTheRegistry) {
  w32::system_testing_set_platform(w32::VER_PLATFORM_WIN32_NT);
  vek::SystemInfo* info = vek::vyn_get_system_info();
  EXPECT_STREQ(info->os_name, "Windows NT");
  EXPECT_STREQ(info->version, "5.1");
  EXPECT_STREQ(info->build, "2600");
  EXPECT_STREQ(info->unused, "");
  EXPECT_STREQ(info->processor, "Pentium");  // no registry key: the type's name
  make_processor("0", "x86 Family 6", "GenuineIntel", 2400);
  vek::initialize_system_info();
  EXPECT_STREQ(info->processor, " x86 Family 6  GenuineIntel  2400 MHz \n");
  EXPECT_EQ(vek::vyn_get_system_info(), info);
}

TEST_F(SysInfo, LongProcessorTextIsCutAtItsField) {
  // A 1,000-character identifier: appended into the 260-byte field and cut there.
  std::string identifier(1000, 'I');
  make_processor("0", identifier.c_str(), "Vendor", 100);
  vek::initialize_system_info();
  const vek::SystemInfo* info = vek::vyn_get_system_info();
  EXPECT_EQ(std::strlen(info->processor), 259u);
  EXPECT_EQ(std::string(info->processor, 5), " IIII");
  EXPECT_STREQ(info->unused, "");  // nothing ran over into the neighbour
}

TEST_F(SysInfo, FamilyIsAskedOnce) {
  w32::system_testing_set_platform(w32::VER_PLATFORM_WIN32_WINDOWS);
  EXPECT_EQ(vek::vyn_is_win95_running(), 1);
  w32::system_testing_set_platform(w32::VER_PLATFORM_WIN32_NT);
  EXPECT_EQ(vek::vyn_is_win95_running(), 1);  // kept
  vek::initialize_system_info();
  EXPECT_STREQ(vek::vyn_get_system_info()->os_name, "Windows NT");
}

TEST_F(SysInfo, HostNameByteOrderAndFixedAnswers) {
  char reference[256] = {};
  ASSERT_EQ(gethostname(reference, sizeof reference), 0);
  VynWchar wide[128];
  EXPECT_EQ(vek::g_hostname(wide, 128), 1);
  EXPECT_EQ(narrow(wide), std::string(reference).substr(0, 64));
  EXPECT_EQ(narrow(vek::get_localhostname()), narrow(wide));
  EXPECT_EQ(vek::g_hostname(wide, 1), 0);
  EXPECT_EQ(wide[0], 0);
  EXPECT_EQ(vek::gethostsex(), 1);  // x86
  EXPECT_EQ(vek::vyn_getuid(), -1);
  EXPECT_EQ(vek::vyn_is_nan(0.0), 0);
  EXPECT_EQ(vek::stop_communications_for_system(), 1);
}

TEST_F(SysInfo, PutenvKeepsItsOwnCopy) {
  char text[] = "YRL_SYSINFO_PUTENV=first";
  ASSERT_EQ(vek::vyn_putenv(text), 0);
  std::strcpy(text, "YRL_SYSINFO_PUTENV=other");  // the caller's buffer changes
  EXPECT_STREQ(getenv("YRL_SYSINFO_PUTENV"), "first");
  unsetenv("YRL_SYSINFO_PUTENV");
  EXPECT_EQ(vek::vyn_putenv(nullptr), -1);
}

TEST_F(SysInfo, UserNameFallsBackThroughTheVariablesToNobody) {
  struct Case {
    bool win32_fails;
    const char* user;
    const char* lower_user;
    const char* username;
    const char* expected;
  } cases[] = {
      {false, "envuser", nullptr, nullptr, "Tester"},
      {true, "envuser", "lower", "winuser", "envuser"},
      {true, nullptr, "lower", "winuser", "lower"},
      {true, nullptr, nullptr, "winuser", "winuser"},
      {true, nullptr, nullptr, nullptr, "nobody"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    vek::sysinfo_testing_reset();
    w32::system_testing_set_user_name("Tester");
    if (c.win32_fails) {
      ASSERT_TRUE(w32::fault_testing_fail_on_call("GetUserNameA", 1, 5));
    }
    yrltest::ScopedEnv user("USER", c.user);
    yrltest::ScopedEnv lower("user", c.lower_user);
    yrltest::ScopedEnv username("USERNAME", c.username);
    EXPECT_EQ(narrow(vek::vyn_get_user_name()), c.expected);
  }
  // Upper case, and a name set and the one before it given back.
  vek::sysinfo_testing_reset();
  w32::system_testing_set_user_name("Tester");
  EXPECT_EQ(narrow(vek::vyn_get_user_name_uppercase()), "TESTER");
  const VynWchar other[] = {'o', 't', 'h', 0};
  EXPECT_EQ(narrow(vek::vyn_set_user_name(other)), "Tester");
  EXPECT_EQ(narrow(vek::vyn_get_user_name()), "oth");
  EXPECT_EQ(narrow(vek::vyn_set_user_name(nullptr)), "oth");
  char login[64];
  EXPECT_STREQ(vek::get_login_name(login, sizeof login), "Tester");
  EXPECT_STREQ(vek::get_login_name(login, 3), "");  // too small: empty
}

class ReleaseMarker : public RuntimeTest {
 protected:
  std::string write(const std::string& name, const std::string& bytes) {
    std::string path = dir_.path() + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  yrltest::TempDir dir_;
};

TEST_F(ReleaseMarker, FoundAcrossBufferBoundariesAndAfterNearMisses) {
  const std::string word = "VEK/*RLSE";
  struct Case {
    const char* what;
    std::string bytes;
    double expected;
  } cases[] = {
      {"none", std::string(10000, 'x'), 17.0},
      {"at start", word + std::string("19.1\0\0\0", 7), 19.1},
      // The word straddles the 4,096-byte reads at every split.
      {"split 1", std::string(4095, 'x') + word + "18.25 ", 18.25},
      {"split 4", std::string(4092, 'x') + word + "20.5zz", 20.5},
      {"split 8", std::string(4088, 'x') + word + "21.0zz", 21.0},
      // Near misses just before the word: the skip must not jump over it.
      {"near miss", std::string(50, 'x') + "VEK/*RLS" + word + "22.1zz", 22.1},
      {"repeats", "VVEK/*RLSVEK/*R" + word + "23.2zz", 23.2},
      {"suffix prefix", "RLSEVEK/*" + std::string("E") + word + "24.3zz", 24.3},
      // The word inside the first read, its number's last bytes in the next one.
      {"number split after 5", std::string(4082, 'x') + word + "19.125", 19.125},
      {"number split after 1", std::string(4086, 'x') + word + "19.125", 19.125},
      {"number starts the next read", std::string(4087, 'x') + word + "19.125", 19.125},
      {"empty", "", 0.0},
      // Fewer than six bytes after the word and nothing more to read.
      {"cut after word", std::string(100, 'x') + word + "1", 0.0},
      {"word at end", std::string(100, 'x') + word, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // The reference: std::search finds the first occurrence, if any.
    bool has_word = std::search(c.bytes.begin(), c.bytes.end(), word.begin(), word.end()) !=
                    c.bytes.end();
    EXPECT_EQ(has_word, c.expected != 17.0 && c.bytes.size() > 0);
    EXPECT_DOUBLE_EQ(vek::get_vyndevapp_version(write("f", c.bytes).c_str()), c.expected);
  }
  EXPECT_DOUBLE_EQ(vek::get_vyndevapp_version((dir_.path() + "/missing").c_str()), 0.0);
}

TEST_F(ReleaseMarker, BuiltPluginCarriesItsRelease) {
  EXPECT_DOUBLE_EQ(vek::get_vyndevapp_version(YRL_PLUGIN_PATH), 19.1);
  char word[32];
  EXPECT_EQ(vek::setup_word_from_release_string(word, vek::vek_release_marker), 9);
  EXPECT_STREQ(word, "VEK/*RLSE");
}

}  // namespace
