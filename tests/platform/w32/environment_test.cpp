#include "platform/w32/environment.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/w32/error.h"
#include "platform/w32/path.h"
#include "platform/w32/path_testing.h"
#include "tests/platform/w32/process_test_support.h"

namespace {

using namespace w32;

class EnvironmentTest : public yrltest::W32ProcessTest {
 protected:
  void TearDown() override {
    for (const char* name : {"YRL_W32_ENV_TEST", "yrl_w32_env_test", "Yrl_W32_Env_Test"})
      unsetenv(name);
    W32ProcessTest::TearDown();
  }
};

TEST_F(EnvironmentTest, VariablesFollowWin32BufferRulesAndIgnoreCase) {
  char buffer[16] = "#";
  SetLastError(0);
  EXPECT_EQ(GetEnvironmentVariableA("YRL_W32_ENV_TEST", buffer, sizeof buffer), 0u);
  EXPECT_EQ(GetLastError(), ERROR_ENVVAR_NOT_FOUND);

  ASSERT_TRUE(SetEnvironmentVariableA("YRL_W32_ENV_TEST", "value"));
  EXPECT_STREQ(getenv("YRL_W32_ENV_TEST"), "value") << "the process's own environment";
  EXPECT_EQ(GetEnvironmentVariableA("yrl_w32_env_test", buffer, sizeof buffer), 5u);
  EXPECT_STREQ(buffer, "value");
  // Too small: the size needed with its terminator, nothing written.
  char small[5] = "abcd";
  EXPECT_EQ(GetEnvironmentVariableA("YRL_W32_ENV_TEST", small, sizeof small), 6u);
  EXPECT_STREQ(small, "abcd");
  EXPECT_EQ(GetEnvironmentVariableA("YRL_W32_ENV_TEST", nullptr, 0), 6u);

  // Another spelling names the same variable; a null value removes it.
  ASSERT_TRUE(SetEnvironmentVariableA("Yrl_W32_Env_Test", "new"));
  EXPECT_STREQ(getenv("YRL_W32_ENV_TEST"), "new");
  EXPECT_EQ(getenv("Yrl_W32_Env_Test"), nullptr);
  ASSERT_TRUE(SetEnvironmentVariableA("yrl_w32_env_test", nullptr));
  EXPECT_EQ(getenv("YRL_W32_ENV_TEST"), nullptr);
  ASSERT_TRUE(SetEnvironmentVariableA("YRL_W32_ENV_TEST", ""));
  EXPECT_EQ(GetEnvironmentVariableA("YRL_W32_ENV_TEST", buffer, sizeof buffer), 0u);
  EXPECT_STREQ(buffer, "") << "set, and empty";

  for (const char* bad : {"", "A=B"}) {
    SetLastError(0);
    EXPECT_FALSE(SetEnvironmentVariableA(bad, "x")) << bad;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
  EXPECT_FALSE(SetEnvironmentVariableA(nullptr, "x"));
  EXPECT_EQ(GetEnvironmentVariableA(nullptr, buffer, sizeof buffer), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(EnvironmentTest, CurrentDirectoryIsTheLayersOwnAsAWindowsName) {
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  char buffer[4096];
  DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
  EXPECT_EQ(std::string(buffer, length), windows(cwd));
  EXPECT_EQ(buffer[1], ':');

  // The layer's own directory, which a drive of a test can change.
  yrltest::ScratchDir dir;
  dir.make_dir("Sub Dir");
  ASSERT_TRUE(w32_set_drive('D', dir.path().c_str()));
  ASSERT_TRUE(w32_set_current_drive('D'));
  ASSERT_TRUE(path_testing_set_directory('D', "\\sub dir"));
  length = GetCurrentDirectoryA(sizeof buffer, buffer);
  EXPECT_EQ(std::string(buffer, length), "D:\\Sub Dir");
  ASSERT_TRUE(path_testing_set_directory('D', "\\"));
  EXPECT_EQ(GetCurrentDirectoryA(sizeof buffer, buffer), 3u);
  EXPECT_STREQ(buffer, "D:\\");
  char small[3] = "ab";
  EXPECT_EQ(GetCurrentDirectoryA(sizeof small, small), 4u);
  EXPECT_STREQ(small, "ab");
}

TEST_F(EnvironmentTest, WindowsNamesOfPosixPaths) {
  yrltest::ScratchDir dir;
  ASSERT_TRUE(w32_set_drive('E', dir.path().c_str()));
  char name[4096];
  // A directory beside the drive's, whose name begins with it, is not on the drive.
  std::string sibling = dir.path() + "x";
  std::string sibling_name = "C:" + sibling;
  for (char& c : sibling_name)
    if (c == '/') c = '\\';
  struct Case {
    std::string posix;
    std::string name;
  };
  const Case cases[] = {
      {"/", "C:\\"},           {"/usr/bin", "C:\\usr\\bin"},
      {dir.path(), "E:\\"},    {dir.path() + "/a/b", "E:\\a\\b"},
      {sibling, sibling_name}, {"rel/a", "rel\\a"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(w32_windows_path_from_posix(c.posix.c_str(), name, sizeof name)) << c.posix;
    EXPECT_EQ(std::string(name), c.name);
  }
  ASSERT_TRUE(w32_set_drive('C', nullptr));
  SetLastError(0);
  EXPECT_FALSE(w32_windows_path_from_posix("/usr", name, sizeof name));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(w32_windows_path_from_posix("/", name, 2));
}

}  // namespace
