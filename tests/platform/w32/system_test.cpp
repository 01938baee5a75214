#include "platform/w32/system.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"
#include "platform/w32/system_testing.h"
#include "tests/platform/w32/w32_test_support.h"

namespace {

using namespace w32;

using SystemTest = yrltest::W32Test;

TEST_F(SystemTest, DefaultLanguageIsUsEnglishUnlessATestSetsIt) {
  EXPECT_EQ(GetSystemDefaultLangID(), 0x0409);
  system_testing_set_default_lang_id(0x0411);
  EXPECT_EQ(GetSystemDefaultLangID(), 0x0411);
  system_testing_reset();
  EXPECT_EQ(GetSystemDefaultLangID(), 0x0409);
}

TEST_F(SystemTest, ComputerNameIsTheHostNameWithWin32BufferRules) {
  char host[HOST_NAME_MAX + 1] = {};
  ASSERT_EQ(gethostname(host, sizeof host), 0);
  const DWORD length = static_cast<DWORD>(std::strlen(host));
  ASSERT_GT(length, 0u);

  // Room for the name and its terminator, or more: TRUE and the length.
  for (DWORD room : {length + 1, length + 10}) {
    std::vector<char> buffer(room, '#');
    DWORD size = room;
    EXPECT_TRUE(GetComputerNameA(buffer.data(), &size));
    EXPECT_EQ(size, length);
    EXPECT_STREQ(buffer.data(), host);
  }

  // Too little room: FALSE, ERROR_BUFFER_OVERFLOW, the size needed, nothing written.
  for (DWORD room : {DWORD{0}, DWORD{1}, length}) {
    SCOPED_TRACE(room);
    std::vector<char> buffer(length + 2, '#');
    DWORD size = room;
    SetLastError(0);
    EXPECT_FALSE(GetComputerNameA(room == 0 ? nullptr : buffer.data(), &size));
    EXPECT_EQ(GetLastError(), ERROR_BUFFER_OVERFLOW);
    EXPECT_EQ(size, length + 1);
    EXPECT_EQ(std::string(buffer.begin(), buffer.end()), std::string(length + 2, '#'));
  }

  SetLastError(0);
  char buffer[8];
  EXPECT_FALSE(GetComputerNameA(buffer, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  DWORD size = 100;
  SetLastError(0);
  EXPECT_FALSE(GetComputerNameA(nullptr, &size));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(size, 100u);
}

// Unsets the configuration variables for the test and puts them back after it.
TEST_F(SystemTest, UserNameIsTheEffectiveUsersWithWin32BufferRules) {
  // Against the user database directly.
  passwd* entry = getpwuid(geteuid());
  std::string expected = entry != nullptr ? entry->pw_name : std::to_string(geteuid());
  char name[300];
  DWORD size = sizeof name;
  ASSERT_TRUE(GetUserNameA(name, &size));
  EXPECT_EQ(std::string(name), expected);
  EXPECT_EQ(size, expected.size() + 1);  // the terminator counts
  size = static_cast<DWORD>(expected.size());
  std::memset(name, 'x', sizeof name);
  EXPECT_FALSE(GetUserNameA(name, &size));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(size, expected.size() + 1);
  EXPECT_EQ(name[0], 'x');  // nothing written
  size = 0;
  EXPECT_FALSE(GetUserNameA(nullptr, &size));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  size = 4;
  EXPECT_FALSE(GetUserNameA(nullptr, &size));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(GetUserNameA(name, nullptr));
  system_testing_set_user_name("Tester");
  size = sizeof name;
  ASSERT_TRUE(GetUserNameA(name, &size));
  EXPECT_STREQ(name, "Tester");
  ASSERT_TRUE(fault_testing_fail_on_call("GetUserNameA", 1, ERROR_ACCESS_DENIED));
  EXPECT_FALSE(GetUserNameA(name, &size));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

class SystemConfigTest : public SystemTest {
 protected:
  void SetUp() override {
    SystemTest::SetUp();
    for (const char* name : {W32_PLATFORM_VARIABLE, W32_PROCESSOR_VARIABLE}) {
      const char* value = getenv(name);
      saved_.push_back({name, value != nullptr, value != nullptr ? value : ""});
      unsetenv(name);
    }
  }
  void TearDown() override {
    for (const Saved& s : saved_)
      if (s.set)
        setenv(s.name, s.value.c_str(), 1);
      else
        unsetenv(s.name);
    SystemTest::TearDown();
  }

  static OSVERSIONINFOA version() {
    OSVERSIONINFOA info;
    std::memset(&info, 0xAB, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    EXPECT_TRUE(GetVersionExA(&info));
    return info;
  }
  static WORD architecture() {
    SYSTEM_INFO info;
    std::memset(&info, 0xAB, sizeof info);
    GetSystemInfo(&info);
    EXPECT_EQ(info.dwOemId & 0xFFFF, info.wProcessorArchitecture);
    EXPECT_EQ(info.wReserved, 0);
    return info.wProcessorArchitecture;
  }

  struct Saved {
    const char* name;
    bool set;
    std::string value;
  };
  std::vector<Saved> saved_;
};

TEST_F(SystemConfigTest, VersionIsNtUnlessConfigured) {
  OSVERSIONINFOA nt = version();
  EXPECT_EQ(nt.dwPlatformId, VER_PLATFORM_WIN32_NT);
  EXPECT_EQ(nt.dwMajorVersion, 5u);
  EXPECT_STREQ(nt.szCSDVersion, "");

  struct Case {
    const char* value;
    DWORD platform;
  };
  for (Case c : {Case{"windows", VER_PLATFORM_WIN32_WINDOWS}, Case{"win32s", VER_PLATFORM_WIN32s},
                 Case{"nt", VER_PLATFORM_WIN32_NT}, Case{"1", 1}, Case{"NT", VER_PLATFORM_WIN32_NT},
                 Case{"-1", VER_PLATFORM_WIN32_NT}, Case{"", VER_PLATFORM_WIN32_NT}}) {
    setenv(W32_PLATFORM_VARIABLE, c.value, 1);
    EXPECT_EQ(version().dwPlatformId, c.platform) << c.value;
  }
  system_testing_set_platform(VER_PLATFORM_WIN32_WINDOWS);
  EXPECT_EQ(version().dwPlatformId, VER_PLATFORM_WIN32_WINDOWS) << "the test's value first";
  EXPECT_EQ(version().dwMajorVersion, 4u);

  OSVERSIONINFOEXA ex;
  std::memset(&ex, 0xAB, sizeof ex);
  ex.dwOSVersionInfoSize = sizeof ex;
  EXPECT_TRUE(GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&ex)));
  EXPECT_EQ(ex.wServicePackMajor, 0);
  OSVERSIONINFOA wrong;
  wrong.dwOSVersionInfoSize = 68;
  SetLastError(0);
  EXPECT_FALSE(GetVersionExA(&wrong));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_FALSE(GetVersionExA(nullptr));
}

TEST_F(SystemConfigTest, ProcessorIsIntelUnlessConfigured) {
  EXPECT_EQ(architecture(), PROCESSOR_ARCHITECTURE_INTEL);
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  EXPECT_EQ(info.dwPageSize, static_cast<DWORD>(sysconf(_SC_PAGESIZE)));
  EXPECT_GE(info.dwNumberOfProcessors, 1u);
  EXPECT_EQ(info.dwActiveProcessorMask & 1, 1u);
  EXPECT_EQ(info.dwProcessorType, PROCESSOR_INTEL_PENTIUM);

  struct Case {
    const char* value;
    WORD architecture;
  };
  for (Case c :
       {Case{"ia64", PROCESSOR_ARCHITECTURE_IA64}, Case{"amd64", PROCESSOR_ARCHITECTURE_AMD64},
        Case{"x64", PROCESSOR_ARCHITECTURE_AMD64}, Case{"x86", PROCESSOR_ARCHITECTURE_INTEL},
        Case{"5", 5}, Case{"70000", PROCESSOR_ARCHITECTURE_INTEL}}) {
    setenv(W32_PROCESSOR_VARIABLE, c.value, 1);
    EXPECT_EQ(architecture(), c.architecture) << c.value;
  }
  system_testing_set_processor(PROCESSOR_ARCHITECTURE_IA64);
  unsetenv(W32_PROCESSOR_VARIABLE);
  EXPECT_EQ(architecture(), PROCESSOR_ARCHITECTURE_IA64);
  system_testing_reset();
  EXPECT_EQ(architecture(), PROCESSOR_ARCHITECTURE_INTEL);
  GetSystemInfo(nullptr);
}

}  // namespace
