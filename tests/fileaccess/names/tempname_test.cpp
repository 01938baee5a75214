// Temporary names: where they go, what their file part may hold, TMP kept as it was.
#include "fileaccess/names/tempname.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/w32/winpath.h"
#include "runtime/text/wide.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

class TempName : public yrltest::FileaccessTest {};

std::string windows(const std::string& posix) {
  char out[4096];
  EXPECT_TRUE(w32::w32_windows_path_from_posix(posix.c_str(), out, sizeof out));
  return out;
}

// The file part after the prefix holds only lower-case letters, digits, '_' and '-'.
void expect_clean_file_part(const std::string& name, std::size_t prefix_length) {
  std::size_t cut = name.find_last_of("\\/");
  std::string file = name.substr(cut == std::string::npos ? 0 : cut + 1);
  ASSERT_GE(file.size(), prefix_length) << name;
  for (char c : file.substr(prefix_length))
    EXPECT_TRUE((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-')
        << name;
}

TEST_F(TempName, NamesInTheGivenDirectoryWithTmpRestored) {
  yrltest::TempDir tmp;
  yrltest::TempDir other;
  yrltest::ScopedEnv env("TMP", windows(tmp.path()).c_str());
  const std::string dir = windows(other.path());
  char first[260];
  char second[260];
  ASSERT_EQ(vek::vyn_temp_fname_str(dir.c_str(), "Ab", first), 1);
  ASSERT_EQ(vek::vyn_temp_fname_str(dir.c_str(), "Ab", second), 1);
  EXPECT_EQ(std::string(first).rfind(dir, 0), 0u) << first;
  EXPECT_NE(std::string(first), std::string(second));
  expect_clean_file_part(first, 2);
  EXPECT_EQ(std::string(std::getenv("TMP")), windows(tmp.path()));
  // Without a directory the name goes to TMP.
  ASSERT_EQ(vek::vyn_temp_fname_str(nullptr, nullptr, first), 1);
  EXPECT_EQ(std::string(first).rfind(windows(tmp.path()), 0), 0u) << first;
  expect_clean_file_part(first, 0);
  EXPECT_EQ(vek::vyn_temp_fname_str(nullptr, nullptr, nullptr), 0);
}

TEST_F(TempName, WideNamesTakeTheirExtensionAndThePathIsTmp) {
  yrltest::TempDir tmp;
  const std::string tmp_name = windows(tmp.path());
  yrltest::ScopedEnv env("TMP", tmp_name.c_str());
  struct Case {
    const VynWchar* extension;
    const char* suffix;
  };
  const Case cases[] = {{nullptr, ".tmp"}, {u".prt", ".prt"}, {u"", ""}};
  for (const Case& c : cases) {
    VynWchar wide[260];
    ASSERT_EQ(vek::get_temp_fname(wide, nullptr, c.extension), 1);
    char name[520];
    vek::wstostr(name, wide);
    std::string text = name;
    ASSERT_GE(text.size(), std::strlen(c.suffix));
    EXPECT_EQ(text.substr(text.size() - std::strlen(c.suffix)), c.suffix) << text;
    EXPECT_EQ(text.rfind(tmp_name, 0), 0u) << text;
  }
  char path[260];
  ASSERT_EQ(vek::vyn_temp_path(path), 1);
  EXPECT_EQ(std::string(path), tmp_name + "\\");
  EXPECT_EQ(vek::vyn_temp_path(nullptr), 0);
}

}  // namespace
