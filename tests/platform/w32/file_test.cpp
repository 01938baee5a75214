#include "platform/w32/file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/w32/error.h"
#include "platform/w32/path.h"
#include "tests/platform/w32/w32_test_support.h"

namespace {

using namespace w32;

class FileAttributesTest : public yrltest::W32Test {
 protected:
  void SetUp() override {
    W32Test::SetUp();
    dir_.make_dir("Dir");
    dir_.make_file("Dir/plain.txt");
    dir_.make_file("Dir/locked.txt");
    chmod(dir_.at("Dir/locked.txt").c_str(), 0444);
    dir_.make_file("Dir/.profile");
    dir_.make_dir("Dir/.cache");
    dir_.make_dir("Sealed");
    chmod(dir_.at("Sealed").c_str(), 0555);
    symlink("Dir/plain.txt", dir_.at("link").c_str());
    symlink("nowhere", dir_.at("dangling").c_str());
    symlink("Dir", dir_.at("dirlink").c_str());
    ASSERT_TRUE(w32_set_drive('D', dir_.path().c_str()));
  }

  yrltest::ScratchDir dir_;
};

struct Case {
  const char* name;
  DWORD attributes;  // INVALID_FILE_ATTRIBUTES: error expected
  DWORD error;
};

TEST_F(FileAttributesTest, AttributesAndErrorsOfNames) {
  const Case cases[] = {
      {"D:\\Dir", FILE_ATTRIBUTE_DIRECTORY, 0},
      {"D:\\dir\\", FILE_ATTRIBUTE_DIRECTORY, 0},
      {"D:\\", FILE_ATTRIBUTE_DIRECTORY, 0},
      {"D:\\Dir\\Plain.TXT", FILE_ATTRIBUTE_ARCHIVE, 0},
      {"D:\\Dir\\locked.txt", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY, 0},
      {"D:\\Dir\\.profile", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN, 0},
      {"D:\\Dir\\.cache", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN, 0},
      {"D:\\Dir\\.cache\\", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN, 0},
      {"D:\\Sealed", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY, 0},
      // Links are reparse points, so that a walk can refuse to follow them.
      {"D:\\link", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT, 0},
      {"D:\\dirlink", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT, 0},
      {"D:\\dangling", FILE_ATTRIBUTE_REPARSE_POINT, 0},
      {"C:\\dev\\null", FILE_ATTRIBUTE_NORMAL, 0},
      {"D:\\Dir\\missing.txt", INVALID_FILE_ATTRIBUTES, ERROR_FILE_NOT_FOUND},
      {"D:\\Missing\\plain.txt", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
      {"D:\\Dir\\plain.txt\\", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
      {"D:\\Dir\\plain.txt\\x", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
      {"Q:\\Dir", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
      {"", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
      {"D:\\Dir\\*.txt", INVALID_FILE_ATTRIBUTES, ERROR_INVALID_NAME},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string narrow = c.name;
    std::u16string wide(narrow.begin(), narrow.end());
    SetLastError(0);
    EXPECT_EQ(GetFileAttributesA(narrow.c_str()), c.attributes);
    EXPECT_EQ(GetLastError(), c.error);
    SetLastError(0);
    EXPECT_EQ(GetFileAttributesW(wide.c_str()), c.attributes);
    EXPECT_EQ(GetLastError(), c.error);
  }
}

TEST_F(FileAttributesTest, NullNamesAreInvalidParameters) {
  EXPECT_EQ(GetFileAttributesA(nullptr), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  SetLastError(0);
  EXPECT_EQ(GetFileAttributesW(nullptr), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(FileAttributesTest, ADirectoryThatCannotBeSearchedDeniesAccess) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  dir_.make_file("Dir/inner.txt");
  chmod(dir_.at("Dir").c_str(), 0);
  SetLastError(0);
  EXPECT_EQ(GetFileAttributesA("D:\\Dir\\inner.txt"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_F(FileAttributesTest, NonAsciiNamesNarrowAndWide) {
  dir_.make_file("R\xC3\xA9sum\xC3\xA9.txt");  // Résumé.txt in UTF-8
  EXPECT_EQ(GetFileAttributesA("D:\\r\xE9sum\xE9.TXT"), FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(GetFileAttributesW(u"D:\\R\u00E9sum\u00E9.txt"), FILE_ATTRIBUTE_ARCHIVE);
}

TEST_F(FileAttributesTest, ErrorModeIsKeptAndGivenBack) {
  EXPECT_EQ(SetErrorMode(SEM_FAILCRITICALERRORS), 0u);
  EXPECT_EQ(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX), SEM_FAILCRITICALERRORS);
  EXPECT_EQ(SetErrorMode(0), SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  SetErrorMode(SEM_FAILCRITICALERRORS);
  yrltest::reset_w32_state();
  EXPECT_EQ(SetErrorMode(0), 0u);
}

}  // namespace
