#include "platform/w32/findfile.h"

#include <fnmatch.h>
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/w32/error.h"
#include "tests/platform/w32/process_test_support.h"

namespace {

using namespace w32;

class FindFileTest : public yrltest::W32ProcessTest {
 protected:
  // The names that pattern finds, in the order given.
  static std::vector<std::string> find(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(data.cFileName);
    while (FindNextFileA(search, &data));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_TRUE(FindClose(search));
    return names;
  }

  yrltest::ScratchDir dir_;
};

using Names = std::vector<std::string>;

TEST_F(FindFileTest, WildcardsMatchOnASortedListing) {
  for (const char* name : {"setup_1.txt", "disk_1.TXT", "b_1.txt.bak", "_1.txt", "msi.dat",
                           "README", "a.b.c", "x_2.txt"})
    dir_.make_file(name);
  dir_.make_dir("sub_1.txt");
  std::string base = windows(dir_.path()) + "\\";
  EXPECT_EQ(find(base + "*_1.txt"), (Names{"_1.txt", "disk_1.TXT", "setup_1.txt", "sub_1.txt"}));
  EXPECT_EQ(find(base + "MSI.DAT"), Names{"msi.dat"});
  EXPECT_EQ(find(base + "?_?.txt"), Names{"x_2.txt"});
  EXPECT_EQ(find(base + "*.*"),
            (Names{".", "..", "README", "_1.txt", "a.b.c", "b_1.txt.bak", "disk_1.TXT", "msi.dat",
                   "setup_1.txt", "sub_1.txt", "x_2.txt"}));
  EXPECT_EQ(find(base + "readme.*"), Names{"README"});
  EXPECT_EQ(find(base + "a.*"), Names{"a.b.c"});
  // Through the other delimiter and a relative name from the layer's directory.
  EXPECT_EQ(find(dir_.path() + "/*.dat"), Names{"msi.dat"});

  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA((base + "sub_1.txt").c_str(), &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_STREQ(data.cAlternateFileName, "");
  EXPECT_TRUE(FindClose(search));
  dir_.make_file("size.bin", std::string(1234, 'x'));
  search = FindFirstFileA((base + "size.bin").c_str(), &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.nFileSizeLow, 1234u);
  EXPECT_EQ(data.nFileSizeHigh, 0u);
  EXPECT_NE(data.ftLastWriteTime.dwHighDateTime, 0u);
  EXPECT_FALSE(CloseHandle(search)) << "a search is closed by FindClose only";
  EXPECT_TRUE(FindClose(search));
  EXPECT_FALSE(FindClose(search));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(FindFileTest, NothingFoundAndBadPatternsFailWithTheirReasons) {
  std::string base = windows(dir_.path()) + "\\";
  struct Case {
    std::string pattern;
    DWORD error;
  };
  const Case cases[] = {
      {base + "*_1.txt", ERROR_FILE_NOT_FOUND},
      {base + "missing\\*", ERROR_PATH_NOT_FOUND},
      {base, ERROR_FILE_NOT_FOUND},
  };
  WIN32_FIND_DATAA data;
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_EQ(FindFirstFileA(c.pattern.c_str(), &data), INVALID_HANDLE_VALUE) << c.pattern;
    EXPECT_EQ(GetLastError(), c.error) << c.pattern;
  }
  EXPECT_EQ(FindFirstFileA(nullptr, &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// '*' and '?' agree with fnmatch (letters folded) wherever no other rule applies.
TEST_F(FindFileTest, WildcardsAgreeWithFnmatch) {
  std::mt19937 random(12345);
  const char alphabet[] = "aAbB.*?";
  auto text = [&](bool wildcards, std::size_t most) {
    std::string out;
    std::size_t length = random() % (most + 1);
    for (std::size_t i = 0; i < length; ++i)
      out.push_back(alphabet[random() % (wildcards ? 7 : 5)]);
    return out;
  };
  for (int i = 0; i < 20000; ++i) {
    std::string pattern = text(true, 6);
    std::string name = text(false, 7);
    if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0) continue;
    bool expected = fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0;
    EXPECT_EQ(w32_wildcard_match(u16(pattern).c_str(), u16(name).c_str()), expected)
        << pattern << " / " << name;
  }
  // Where Win32 differs: "x.*" also takes "x", "[" stands for itself.
  EXPECT_TRUE(w32_wildcard_match(u"*.*", u"README"));
  EXPECT_TRUE(w32_wildcard_match(u"read?e.*", u"ReadMe"));
  EXPECT_FALSE(w32_wildcard_match(u"*.txt", u"a.txt.bak"));
  EXPECT_TRUE(w32_wildcard_match(u"[a].txt", u"[A].TXT"));
  EXPECT_FALSE(w32_wildcard_match(u"[a].txt", u"a.txt"));
}

}  // namespace
