#include "platform/w32/tempfile.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <utility>

#include "platform/w32/error.h"
#include "platform/w32/file.h"
#include "tests/platform/w32/process_test_support.h"

namespace {

using namespace w32;

class TempFileTest : public yrltest::W32ProcessTest {
 protected:
  void SetUp() override {
    W32ProcessTest::SetUp();
    for (const char* name : {"TMP", "TEMP", "TMPDIR"}) {
      const char* value = getenv(name);
      saved_[name] = value != nullptr ? std::make_pair(true, std::string(value))
                                      : std::make_pair(false, std::string());
      unsetenv(name);
    }
  }
  void TearDown() override {
    for (auto& [name, value] : saved_)
      if (value.first)
        setenv(name.c_str(), value.second.c_str(), 1);
      else
        unsetenv(name.c_str());
    W32ProcessTest::TearDown();
  }

  static std::string temp_path() {
    char buffer[MAX_PATH + 1];
    DWORD length = GetTempPathA(sizeof buffer, buffer);
    EXPECT_GT(length, 0u);
    EXPECT_EQ(length, std::strlen(buffer));
    return buffer;
  }

  std::map<std::string, std::pair<bool, std::string>> saved_;
  yrltest::ScratchDir dir_;
};

TEST_F(TempFileTest, TempPathComesFromTmpTempTmpdirOrTmp) {
  EXPECT_EQ(temp_path(), windows("/tmp") + "\\");
  setenv("TMPDIR", dir_.path().c_str(), 1);
  EXPECT_EQ(temp_path(), windows(dir_.path()) + "\\");
  setenv("TEMP", "D:\\temp", 1);
  EXPECT_EQ(temp_path(), "D:\\temp\\");
  setenv("TMP", "E:\\tmp\\", 1);
  EXPECT_EQ(temp_path(), "E:\\tmp\\");
  // Too small: the size needed, terminator included, nothing written.
  char small[4] = "abc";
  EXPECT_EQ(GetTempPathA(sizeof small, small), 8u);
  EXPECT_STREQ(small, "abc");
}

TEST_F(TempFileTest, TempFileNamesAreUniqueAndMadeWithTheirPrefix) {
  std::string directory = windows(dir_.path());
  std::set<std::string> names;
  for (int i = 0; i < 20; ++i) {
    char name[MAX_PATH];
    UINT number = GetTempFileNameA(directory.c_str(), "vekx", 0, name);
    ASSERT_NE(number, 0u);
    char expected[32];
    std::snprintf(expected, sizeof expected, "\\vek%X.tmp", number);
    EXPECT_EQ(std::string(name), directory + expected);
    EXPECT_TRUE(std::regex_match(name, std::regex(".*\\\\vek[0-9A-F]{1,4}\\.tmp")));
    EXPECT_EQ(GetFileAttributesA(name), FILE_ATTRIBUTE_ARCHIVE) << "the file is made";
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 20u);

  // A number of the caller's: only the name, the number given back.
  char name[MAX_PATH];
  EXPECT_EQ(GetTempFileNameA((directory + "\\").c_str(), "ab", 0x2B, name), 0x2Bu);
  EXPECT_EQ(std::string(name), directory + "\\ab2B.tmp");
  EXPECT_EQ(GetFileAttributesA(name), INVALID_FILE_ATTRIBUTES);

  SetLastError(0);
  EXPECT_EQ(GetTempFileNameA((directory + "\\missing").c_str(), "vek", 0, name), 0u);
  EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
  std::string deep = "C:\\" + std::string(300, 'd');
  EXPECT_EQ(GetTempFileNameA(deep.c_str(), "vek", 1, name), 0u);
  EXPECT_EQ(GetLastError(), ERROR_BUFFER_OVERFLOW);
}

TEST_F(TempFileTest, CopyKeepsBytesAndModeAndHonoursFailIfExists) {
  std::string bytes("binary\0data\r\n", 13);
  dir_.make_file("source.exe", bytes);
  chmod(dir_.at("source.exe").c_str(), 0751);
  std::string source = windows(dir_.at("source.exe"));
  std::string target = windows(dir_.path()) + "\\COPY.EXE";
  ASSERT_TRUE(CopyFileA(source.c_str(), target.c_str(), TRUE));
  EXPECT_EQ(read_all(dir_.at("COPY.EXE")), bytes);
  struct stat st;
  ASSERT_EQ(stat(dir_.at("COPY.EXE").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0751u);

  // An existing target: kept under fail-if-exists, replaced otherwise.
  dir_.make_file("other", "other");
  std::string other = windows(dir_.at("other"));
  SetLastError(0);
  EXPECT_FALSE(CopyFileA(other.c_str(), target.c_str(), TRUE));
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  EXPECT_EQ(read_all(dir_.at("COPY.EXE")), bytes);
  EXPECT_TRUE(CopyFileA(other.c_str(), target.c_str(), FALSE));
  EXPECT_EQ(read_all(dir_.at("COPY.EXE")), "other");

  // Onto itself (by another spelling): refused, the file whole.
  EXPECT_FALSE(
      CopyFileA(source.c_str(), windows(dir_.path()).append("\\SOURCE.exe").c_str(), FALSE));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(read_all(dir_.at("source.exe")), bytes);

  struct Case {
    std::string from;
    std::string to;
    DWORD error;
  };
  dir_.make_dir("sub");
  const Case cases[] = {
      {windows(dir_.at("missing")), target, ERROR_FILE_NOT_FOUND},
      {windows(dir_.at("sub")), target, ERROR_ACCESS_DENIED},
      {source, windows(dir_.at("sub")), ERROR_ACCESS_DENIED},
      {source, windows(dir_.at("no/dir/x")), ERROR_PATH_NOT_FOUND},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_FALSE(CopyFileA(c.from.c_str(), c.to.c_str(), FALSE)) << c.from << " -> " << c.to;
    EXPECT_EQ(GetLastError(), c.error) << c.from << " -> " << c.to;
  }
  EXPECT_FALSE(CopyFileA(nullptr, target.c_str(), FALSE));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(TempFileTest, DeleteRemovesFilesOnly) {
  dir_.make_file("gone.tmp");
  dir_.make_file("kept.txt");
  chmod(dir_.at("kept.txt").c_str(), 0444);
  dir_.make_dir("sub");
  std::string base = windows(dir_.path()) + "\\";
  EXPECT_TRUE(DeleteFileA((base + "GONE.TMP").c_str()));
  EXPECT_EQ(GetFileAttributesA((base + "gone.tmp").c_str()), INVALID_FILE_ATTRIBUTES);
  struct Case {
    const char* name;
    DWORD error;
  };
  for (const Case& c :
       {Case{"gone.tmp", ERROR_FILE_NOT_FOUND}, Case{"kept.txt", ERROR_ACCESS_DENIED},
        Case{"sub", ERROR_ACCESS_DENIED}, Case{"no\\x", ERROR_PATH_NOT_FOUND}}) {
    SetLastError(0);
    EXPECT_FALSE(DeleteFileA((base + c.name).c_str())) << c.name;
    EXPECT_EQ(GetLastError(), c.error) << c.name;
  }
}

TEST_F(TempFileTest, MoveReplacesOnlyWhenAskedAndNeverADirectoryOrReadOnlyFile) {
  std::string base = windows(dir_.path()) + "\\";
  dir_.make_file("new.tmp", "new");
  dir_.make_file("config", "old");
  SetLastError(0);
  EXPECT_FALSE(MoveFileExA((base + "new.tmp").c_str(), (base + "config").c_str(), 0));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(read_all(dir_.at("config")), "old");
  EXPECT_TRUE(MoveFileExA((base + "NEW.TMP").c_str(), (base + "Config").c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(read_all(dir_.at("config")), "new");
  EXPECT_EQ(GetFileAttributesA((base + "new.tmp").c_str()), INVALID_FILE_ATTRIBUTES);

  // To a free name, and to another spelling of its own name.
  EXPECT_TRUE(MoveFileExA((base + "config").c_str(), (base + "renamed").c_str(), 0));
  EXPECT_EQ(read_all(dir_.at("renamed")), "new");
  EXPECT_TRUE(MoveFileExA((base + "renamed").c_str(), (base + "RENAMED").c_str(),
                          MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(read_all(dir_.at("renamed")), "new");
  dir_.make_dir("folder");
  EXPECT_TRUE(MoveFileExA((base + "folder").c_str(), (base + "moved").c_str(), 0));
  EXPECT_EQ(GetFileAttributesA((base + "moved").c_str()), FILE_ATTRIBUTE_DIRECTORY);

  dir_.make_file("locked", "keep");
  chmod(dir_.at("locked").c_str(), 0444);
  dir_.make_dir("dir");
  struct Case {
    const char* from;
    const char* to;
    DWORD error;
  };
  for (const Case& c : {Case{"renamed", "locked", ERROR_ACCESS_DENIED},
                        Case{"renamed", "dir", ERROR_ACCESS_DENIED},
                        Case{"moved", "locked", ERROR_ACCESS_DENIED},
                        Case{"missing", "other", ERROR_FILE_NOT_FOUND},
                        Case{"renamed", "no\\dir\\x", ERROR_PATH_NOT_FOUND}}) {
    SCOPED_TRACE(std::string(c.from) + " -> " + c.to);
    SetLastError(0);
    EXPECT_FALSE(MoveFileExA((base + c.from).c_str(), (base + c.to).c_str(),
                             MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_EQ(read_all(dir_.at("locked")), "keep");
  EXPECT_EQ(read_all(dir_.at("renamed")), "new");
  EXPECT_FALSE(MoveFileExA(nullptr, (base + "x").c_str(), 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(MoveFileExA((base + "renamed").c_str(), nullptr, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// Across file systems a file moves only as a copy, when the caller allows it.
TEST_F(TempFileTest, MoveToAnotherFileSystemNeedsCopyAllowed) {
  struct stat here, shm;
  if (stat(dir_.path().c_str(), &here) != 0 || stat("/dev/shm", &shm) != 0 ||
      here.st_dev == shm.st_dev)
    GTEST_SKIP() << "no second file system at /dev/shm";
  std::string target = "/dev/shm/yrl-move-" + std::to_string(getpid());
  dir_.make_file("far", "bytes");
  std::string from = windows(dir_.at("far"));
  SetLastError(0);
  EXPECT_FALSE(MoveFileExA(from.c_str(), windows(target).c_str(), 0));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SAME_DEVICE);
  EXPECT_EQ(read_all(dir_.at("far")), "bytes");
  EXPECT_TRUE(MoveFileExA(from.c_str(), windows(target).c_str(), MOVEFILE_COPY_ALLOWED));
  EXPECT_EQ(read_all(target), "bytes");
  EXPECT_EQ(GetFileAttributesA(from.c_str()), INVALID_FILE_ATTRIBUTES);
  std::remove(target.c_str());
}

}  // namespace
