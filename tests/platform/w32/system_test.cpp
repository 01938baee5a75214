#include "platform/w32/system.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "platform/w32/error.h"
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

}  // namespace
