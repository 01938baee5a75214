// Files and directories by name: making and removing directories, attributes, and the
// wide forms of the name functions.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"
#include "platform/w32/file.h"
#include "tests/platform/w32/process_test_support.h"

namespace {

using namespace w32;

class NamesTest : public yrltest::W32ProcessTest {
 protected:
  std::string name(const std::string& relative) { return windows(dir_.at(relative)); }
  std::u16string wide(const std::string& relative) {
    std::string narrow = name(relative);  // ASCII: the scratch names are
    return std::u16string(narrow.begin(), narrow.end());
  }
  mode_t mode(const std::string& relative) {
    struct stat st;
    EXPECT_EQ(lstat(dir_.at(relative).c_str(), &st), 0) << relative;
    return st.st_mode & 07777;
  }

  yrltest::ScratchDir dir_;
};

TEST_F(NamesTest, DirectoriesAreMadeAndRemovedOnlyWhenEmpty) {
  dir_.make_file("file", "x");
  dir_.make_dir("full");
  dir_.make_file("full/inside");
  symlink("full", dir_.at("link").c_str());
  struct Case {
    const char* relative;
    bool make_ok;
    DWORD make_error;
    bool remove_ok;
    DWORD remove_error;
  } cases[] = {
      {"new", true, ERROR_SUCCESS, true, ERROR_SUCCESS},
      {"file", false, ERROR_ALREADY_EXISTS, false, ERROR_DIRECTORY},
      {"full", false, ERROR_ALREADY_EXISTS, false, ERROR_DIR_NOT_EMPTY},
      {"link", false, ERROR_ALREADY_EXISTS, false, ERROR_DIRECTORY},
      {"no/such", false, ERROR_PATH_NOT_FOUND, false, ERROR_PATH_NOT_FOUND},
  };
  for (bool use_wide : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.relative) + (use_wide ? " W" : " A"));
      SetLastError(0);
      BOOL made = use_wide ? CreateDirectoryW(wide(c.relative).c_str(), nullptr)
                           : CreateDirectoryA(name(c.relative).c_str(), nullptr);
      EXPECT_EQ(made != 0, c.make_ok);
      if (!c.make_ok) {
        EXPECT_EQ(GetLastError(), c.make_error);
      }
      SetLastError(0);
      BOOL removed = use_wide ? RemoveDirectoryW(wide(c.relative).c_str())
                              : RemoveDirectoryA(name(c.relative).c_str());
      EXPECT_EQ(removed != 0, c.remove_ok);
      if (!c.remove_ok) {
        EXPECT_EQ(GetLastError(), c.remove_error);
      }
    }
  }
  EXPECT_EQ(GetFileAttributesA(name("full/inside").c_str()), FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(GetFileAttributesA(name("new").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(CreateDirectoryA(nullptr, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(RemoveDirectoryW(nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(NamesTest, ADirectoryMadeAfterATemplateTakesItsMode) {
  dir_.make_dir("model");
  chmod(dir_.at("model").c_str(), 0751);
  dir_.make_file("file");
  SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
  EXPECT_TRUE(CreateDirectoryExA(name("model").c_str(), name("copy").c_str(), &security));
  EXPECT_EQ(mode("copy"), 0751u);
  EXPECT_FALSE(CreateDirectoryExA(name("file").c_str(), name("other").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
  EXPECT_FALSE(CreateDirectoryExA(name("model").c_str(), name("copy").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
}

// READONLY is the owner's write bit alone: setting it and taking it away gives back the
// exact mode, whatever the other bits were.
TEST_F(NamesTest, AttributeRoundTripsKeepTheExactMode) {
  for (mode_t start : {mode_t{0644}, mode_t{0600}, mode_t{0764}, mode_t{0444}, mode_t{0200}}) {
    SCOPED_TRACE(start);
    dir_.make_file("f", "x");
    chmod(dir_.at("f").c_str(), start);
    DWORD before = GetFileAttributesA(name("f").c_str());
    EXPECT_EQ((before & FILE_ATTRIBUTE_READONLY) != 0, (start & S_IWUSR) == 0);
    EXPECT_TRUE(SetFileAttributesA(name("f").c_str(), before | FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(mode("f"), start & ~mode_t{S_IWUSR});
    EXPECT_TRUE(SetFileAttributesW(wide("f").c_str(), before & ~FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(mode("f"), start | S_IWUSR);
    EXPECT_TRUE(SetFileAttributesA(name("f").c_str(), before));
    EXPECT_EQ(mode("f"), start);
    EXPECT_EQ(GetFileAttributesA(name("f").c_str()), before);
    chmod(dir_.at("f").c_str(), 0600);
  }
  // HIDDEN follows the name: asked for, it changes nothing.
  dir_.make_file(".hidden", "x");
  dir_.make_file("shown", "x");
  EXPECT_TRUE(SetFileAttributesA(name("shown").c_str(), FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(GetFileAttributesA(name("shown").c_str()), FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_TRUE(SetFileAttributesA(name(".hidden").c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(GetFileAttributesA(name(".hidden").c_str()),
            FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN);
  EXPECT_FALSE(SetFileAttributesA(name("missing").c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(NamesTest, WideAndPlainFormsOfDeleteMoveAndCopy) {
  dir_.make_file("a", "alpha");
  dir_.make_file("b", "beta");
  EXPECT_TRUE(CopyFileW(wide("a").c_str(), wide("c").c_str(), TRUE));
  EXPECT_EQ(read_all(dir_.at("c")), "alpha");
  EXPECT_FALSE(CopyFileW(wide("b").c_str(), wide("c").c_str(), TRUE));
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  // MoveFileA never replaces; MoveFileExW replaces when asked.
  EXPECT_FALSE(MoveFileA(name("b").c_str(), name("c").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_TRUE(MoveFileExW(wide("b").c_str(), wide("c").c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(read_all(dir_.at("c")), "beta");
  EXPECT_TRUE(MoveFileA(name("c").c_str(), name("d").c_str()));
  EXPECT_EQ(read_all(dir_.at("d")), "beta");
  EXPECT_TRUE(DeleteFileW(wide("d").c_str()));
  EXPECT_FALSE(DeleteFileW(wide("d").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  // A link is deleted itself, never what it leads to.
  symlink("a", dir_.at("to-a").c_str());
  EXPECT_TRUE(DeleteFileA(name("to-a").c_str()));
  EXPECT_EQ(read_all(dir_.at("a")), "alpha");
}

TEST_F(NamesTest, NarrowAndWideFormsCountApartForFaults) {
  dir_.make_file("a", "alpha");
  ASSERT_TRUE(fault_testing_fail_on_call("DeleteFileW", 1, ERROR_ACCESS_DENIED));
  EXPECT_TRUE(CopyFileA(name("a").c_str(), name("b").c_str(), TRUE));
  EXPECT_TRUE(DeleteFileA(name("b").c_str()));  // the W arm does not hit the A form
  EXPECT_FALSE(DeleteFileW(wide("a").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(read_all(dir_.at("a")), "alpha");
  // A filter matches a W name in UTF-8.
  ASSERT_TRUE(fault_testing_fail_calls("CreateDirectoryW", 1, 1, ERROR_DISK_FULL, "d\xc3\xa9j\xc3\xa0"));
  std::u16string plain = wide("plain");
  std::u16string accented = wide("") + u"d\u00e9j\u00e0";
  EXPECT_TRUE(CreateDirectoryW(plain.c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryW(accented.c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
  EXPECT_TRUE(CreateDirectoryW(accented.c_str(), nullptr));
  EXPECT_EQ(fault_testing_calls("CreateDirectoryW"), 3);
  EXPECT_EQ(fault_testing_calls("CopyFileA"), 1);
  EXPECT_EQ(fault_testing_calls("DeleteFileA"), 1);
  EXPECT_EQ(fault_testing_calls("DeleteFileW"), 1);
}

}  // namespace
