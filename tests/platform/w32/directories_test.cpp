// Searches in both forms, the layer's per-drive current directories and full names.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/w32/codepage.h"
#include "platform/w32/environment.h"
#include "platform/w32/error.h"
#include "platform/w32/fileio.h"
#include "platform/w32/findfile.h"
#include "platform/w32/handle.h"
#include "platform/w32/path.h"
#include "tests/platform/w32/process_test_support.h"

namespace {

using namespace w32;

class DirectoriesTest : public yrltest::W32ProcessTest {
 protected:
  void SetUp() override {
    W32ProcessTest::SetUp();
    ASSERT_TRUE(w32_set_drive('D', dir_.path().c_str()));
  }

  static std::u16string wide(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
  }
  static std::string utf8(const WCHAR* text) {
    char out[4096];
    EXPECT_NE(WideCharToMultiByte(CP_UTF8, 0, text, -1, out, sizeof out, nullptr, nullptr), 0);
    return out;
  }

  yrltest::ScratchDir dir_;
};

struct Entry {
  std::string name;
  DWORD attributes, size_high, size_low;
  bool operator==(const Entry&) const = default;
};

TEST_F(DirectoriesTest, WideAndNarrowSearchesAgree) {
  dir_.make_file("plain.txt", "12345");
  dir_.make_file("\xc3\xa9t\xc3\xa9.txt", "summer");  // held by code page 1252
  dir_.make_file("\xe6\x97\xa5.txt", "day");           // not held by 1252
  dir_.make_dir("folder.txt");
  symlink("folder.txt", dir_.at("link.txt").c_str());
  // A sparse file beyond 4 GiB: its size needs both halves.
  ASSERT_EQ(truncate((dir_.at("plain.txt")).c_str(), (5LL << 30) + 7), 0);

  std::vector<Entry> narrow, wide_entries;
  WIN32_FIND_DATAA a;
  HANDLE search = FindFirstFileA("D:\\*.TXT", &a);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  do {
    WCHAR back[MAX_PATH];
    ASSERT_NE(MultiByteToWideChar(CP_ACP, 0, a.cFileName, -1, back, MAX_PATH), 0);
    narrow.push_back({utf8(back), a.dwFileAttributes, a.nFileSizeHigh, a.nFileSizeLow});
  } while (FindNextFileA(search, &a));
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  EXPECT_TRUE(FindClose(search));

  WIN32_FIND_DATAW w;
  search = FindFirstFileW(u"D:\\*.TXT", &w);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  do wide_entries.push_back({utf8(w.cFileName), w.dwFileAttributes, w.nFileSizeHigh, w.nFileSizeLow});
  while (FindNextFileW(search, &w));
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  EXPECT_TRUE(FindClose(search));

  const std::vector<Entry> expected = {
      {"folder.txt", FILE_ATTRIBUTE_DIRECTORY, 0, 0},
      {"link.txt", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT, 0, 0},
      {"plain.txt", FILE_ATTRIBUTE_ARCHIVE, 1, 0x40000007},
      {"\xc3\xa9t\xc3\xa9.txt", FILE_ATTRIBUTE_ARCHIVE, 0, 6},
      {"\xe6\x97\xa5.txt", FILE_ATTRIBUTE_ARCHIVE, 0, 3},
  };
  EXPECT_EQ(wide_entries, expected);
  // The A search leaves out only the name its code page cannot hold.
  std::vector<Entry> held(expected.begin(), expected.end() - 1);
  EXPECT_EQ(narrow, held);

  EXPECT_EQ(FindFirstFileW(u"D:\\none*", &w), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FindFirstFileW(u"D:\\missing\\*", &w), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(FindFirstFileW(nullptr, &w), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(DirectoriesTest, CurrentDirectoriesArePerDriveAndNeverTheProcesss) {
  char before[4096];
  ASSERT_NE(getcwd(before, sizeof before), nullptr);
  dir_.make_dir("Work/Deep");
  dir_.make_file("Work/note.txt", "n");
  EXPECT_TRUE(SetCurrentDirectoryA("D:\\work"));
  char buffer[4096];
  DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
  EXPECT_EQ(std::string(buffer, length), "D:\\Work");  // as the disk spells it
  WCHAR wbuffer[4096];
  length = GetCurrentDirectoryW(4096, wbuffer);
  EXPECT_EQ(std::u16string(wbuffer, length), u"D:\\Work");
  // Relative names continue it; the process's own directory stays.
  EXPECT_EQ(GetFileAttributesA("note.txt"), FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_TRUE(SetCurrentDirectoryW(u"deep"));
  EXPECT_EQ(GetFileAttributesA("..\\note.txt"), FILE_ATTRIBUTE_ARCHIVE);
  char after[4096];
  ASSERT_NE(getcwd(after, sizeof after), nullptr);
  EXPECT_STREQ(after, before);
  // Going to another drive keeps this drive's directory for "D:x" names.
  EXPECT_TRUE(SetCurrentDirectoryA("C:\\"));
  EXPECT_EQ(GetCurrentDirectoryA(sizeof buffer, buffer), 3u);
  EXPECT_EQ(GetFileAttributesA("D:..\\note.txt"), FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_TRUE(SetCurrentDirectoryA("D:"));
  length = GetCurrentDirectoryA(sizeof buffer, buffer);
  EXPECT_EQ(std::string(buffer, length), "D:\\Work\\Deep");

  struct Case {
    const char* name;
    DWORD error;
  } refused[] = {
      {"D:\\Work\\note.txt", ERROR_DIRECTORY},
      {"D:\\missing", ERROR_FILE_NOT_FOUND},
      {"D:\\missing\\deeper", ERROR_PATH_NOT_FOUND},
      {"Q:\\", ERROR_PATH_NOT_FOUND},
      {"\\\\host\\share", ERROR_NOT_SUPPORTED},
  };
  for (const Case& c : refused) {
    SCOPED_TRACE(c.name);
    SetLastError(0);
    EXPECT_FALSE(SetCurrentDirectoryA(c.name));
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_FALSE(SetCurrentDirectoryW(nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  length = GetCurrentDirectoryA(sizeof buffer, buffer);
  EXPECT_EQ(std::string(buffer, length), "D:\\Work\\Deep");  // the refusals changed nothing
}

TEST_F(DirectoriesTest, FullNamesAreFormedFromTheTextAlone) {
  dir_.make_dir("Cur");
  ASSERT_TRUE(SetCurrentDirectoryA("D:\\Cur"));
  struct Case {
    const char* name;
    const char* full;
    const char* file_part;  // null: none
  } cases[] = {
      {"a.txt", "D:\\Cur\\a.txt", "a.txt"},
      {"sub\\..\\b", "D:\\Cur\\b", "b"},
      {"..\\..\\..\\x", "D:\\x", "x"},
      {"\\top/down\\", "D:\\top\\down\\", nullptr},
      {"D:", "D:\\Cur", "Cur"},
      {"C:\\", "C:\\", nullptr},
      {"D:./Missing/File", "D:\\Cur\\Missing\\File", "File"},
      {"\\\\srv\\data\\a\\..\\b.txt", "\\\\srv\\data\\b.txt", "b.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    char buffer[300];
    char* file_part = buffer + 299;
    DWORD length = GetFullPathNameA(c.name, sizeof buffer, buffer, &file_part);
    EXPECT_EQ(std::string(buffer, length), c.full);
    if (c.file_part == nullptr) {
      EXPECT_EQ(file_part, nullptr);
    } else {
      ASSERT_NE(file_part, nullptr);
      EXPECT_STREQ(file_part, c.file_part);
    }
  }
  char small[5] = "keep";
  EXPECT_EQ(GetFullPathNameA("a.txt", sizeof small, small, nullptr), 13u);
  EXPECT_STREQ(small, "keep");
  EXPECT_EQ(GetFullPathNameA("", sizeof small, small, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(GetFullPathNameA(nullptr, sizeof small, small, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
