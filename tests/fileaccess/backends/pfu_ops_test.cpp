// The portable file record against C stdio, its edge cases, the path helpers, the
// directory walks and the operations that must lose nothing under injected faults.
#include "fileaccess/backends/pfu.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "runtime/system/process.h"
#include "tests/fileaccess/fault_sweep.h"
#include "tests/support/runtime_test.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using yrltest::live_blocks;
using yrltest::read_file;
using yrltest::write_file;

class PfuOpsTest : public yrltest::RuntimeTest {
 protected:
  yrltest::TempDir dir;
  std::string path = dir.file("data.bin");
};

// Random reads, writes, seeks, tells, flushes and truncations on a record and on a C
// stream of a twin file give the same results and the same bytes. A read right after a
// write, or a write right after a read, is refused by the record (4) and skipped on the
// twin, where it needs a seek too.
TEST_F(PfuOpsTest, RandomOperationsMatchCStdio) {
  for (int buffer_size : {0, 1, 512, 4096}) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
      SCOPED_TRACE(testing::Message() << "buffer " << buffer_size << " seed " << seed);
      std::string twin_path = dir.file("twin.bin");
      vek::PF_File* file = nullptr;
      ASSERT_EQ(vek::pfu_fopen(path.c_str(), vek::PFU_ACCESS_CREATE_READ_WRITE, vek::PFU_BINARY,
                               buffer_size, &file),
                vek::PFU_SUCCESS);
      std::FILE* twin = std::fopen(twin_path.c_str(), "w+b");
      ASSERT_NE(twin, nullptr);
      std::mt19937 random(seed * 7919u + static_cast<unsigned>(buffer_size));
      auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
      int last = vek::PFU_OP_NONE;
      for (int step = 0; step < 400; ++step) {
        int op = below(6);
        if (op == 0) {  // write
          std::vector<char> bytes(static_cast<std::size_t>(1 + below(700)));
          for (char& c : bytes) c = static_cast<char>(below(256));
          int status = vek::pfu_fwrite(file, static_cast<int>(bytes.size()), bytes.data());
          if (last == vek::PFU_OP_READ) {
            ASSERT_EQ(status, vek::PFU_TRAP) << step;
            continue;
          }
          ASSERT_EQ(status, vek::PFU_SUCCESS) << step;
          ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), twin), bytes.size());
          last = vek::PFU_OP_WRITE;
        } else if (op == 1) {  // read
          int want = 1 + below(700);
          std::vector<char> got(static_cast<std::size_t>(want));
          std::vector<char> expected(static_cast<std::size_t>(want));
          int count = -1;
          int status = vek::pfu_fread(file, want, &count, got.data());
          if (last == vek::PFU_OP_WRITE) {
            ASSERT_EQ(status, vek::PFU_TRAP) << step;
            continue;
          }
          std::size_t n = std::fread(expected.data(), 1, expected.size(), twin);
          ASSERT_EQ(count, static_cast<int>(n)) << step;
          ASSERT_EQ(status, n == expected.size() ? vek::PFU_SUCCESS : vek::PFU_END_OF_FILE);
          ASSERT_EQ(std::memcmp(got.data(), expected.data(), n), 0) << step;
          last = vek::PFU_OP_READ;
        } else if (op == 2) {  // seek
          long size = static_cast<long>(fs::file_size(twin_path));
          std::fflush(twin);
          size = static_cast<long>(fs::file_size(twin_path));
          long at = std::ftell(twin);
          int origin = below(3);
          long offset = origin == 0   ? below(static_cast<int>(size) + 50)
                        : origin == 1 ? below(200) - std::min(at, 100L)
                                      : below(150) - std::min(size, 100L);
          ASSERT_EQ(vek::pfu_fseek(file, offset, origin), vek::PFU_SUCCESS) << step;
          ASSERT_EQ(std::fseek(twin, offset, origin), 0);
          last = vek::PFU_OP_NONE;
        } else if (op == 3) {  // tell
          ASSERT_EQ(vek::pfu_ftell(file), std::ftell(twin)) << step;
        } else if (op == 4) {  // flush
          ASSERT_EQ(vek::pfu_fflush(file), vek::PFU_SUCCESS);
          long at = std::ftell(twin);
          std::fflush(twin);
          std::fseek(twin, at, SEEK_SET);
          last = vek::PFU_OP_NONE;
        } else {  // truncate: the position goes to the new end
          long at = std::ftell(twin);
          std::fflush(twin);
          long length = below(static_cast<int>(std::max(at, 1L)) + 100);
          ASSERT_EQ(vek::pfu_ftruncate(file, length), vek::PFU_SUCCESS) << step;
          ASSERT_EQ(::ftruncate(fileno(twin), length), 0);
          ASSERT_EQ(std::fseek(twin, length, SEEK_SET), 0);
          last = vek::PFU_OP_NONE;
        }
      }
      ASSERT_EQ(vek::pfu_fclose(&file), vek::PFU_SUCCESS);
      std::fclose(twin);
      ASSERT_EQ(read_file(path), read_file(twin_path));
    }
  }
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(PfuOpsTest, TruncationFlushesPendingBytesFirst) {
  vek::PF_File* file = nullptr;
  ASSERT_EQ(vek::pfu_fopen(path.c_str(), vek::PFU_ACCESS_CREATE_WRITE, vek::PFU_BINARY, 512, &file),
            vek::PFU_SUCCESS);
  EXPECT_EQ(vek::pfu_fputs(file, "abcdef"), vek::PFU_SUCCESS);
  EXPECT_EQ(vek::pfu_ftruncate(file, 3), vek::PFU_SUCCESS);
  EXPECT_EQ(vek::pfu_fputs(file, "Z"), vek::PFU_SUCCESS);
  EXPECT_EQ(vek::pfu_fclose(&file), vek::PFU_SUCCESS);
  EXPECT_EQ(read_file(path), "abcZ");
}

TEST_F(PfuOpsTest, RelativeSeekAfterABufferedReadCountsFromTheReader) {
  write_file(path, "0123456789");
  vek::PF_File* file = nullptr;
  ASSERT_EQ(vek::pfu_fopen(path.c_str(), vek::PFU_ACCESS_READ_WRITE, vek::PFU_BINARY, 512, &file),
            vek::PFU_SUCCESS);
  char bytes[4] = {};
  int count = 0;
  EXPECT_EQ(vek::pfu_fread(file, 2, &count, bytes), vek::PFU_SUCCESS);
  EXPECT_EQ(vek::pfu_ftell(file), 2);
  EXPECT_EQ(vek::pfu_fseek(file, 1, 1), vek::PFU_SUCCESS);
  EXPECT_EQ(vek::pfu_ftell(file), 3);
  EXPECT_EQ(vek::pfu_fread(file, 1, &count, bytes), vek::PFU_SUCCESS);
  EXPECT_EQ(bytes[0], '3');
  // A flush after a read leaves the writer where the reader stood.
  EXPECT_EQ(vek::pfu_fflush(file), vek::PFU_SUCCESS);
  EXPECT_EQ(vek::pfu_fputs(file, "X"), vek::PFU_SUCCESS);
  EXPECT_EQ(vek::pfu_fclose(&file), vek::PFU_SUCCESS);
  EXPECT_EQ(read_file(path), "0123X56789");
}

TEST_F(PfuOpsTest, MissingFileOpenedForReadingIsMadeEmpty) {
  vek::PF_File* file = nullptr;
  ASSERT_EQ(vek::pfu_fopen(path.c_str(), vek::PFU_ACCESS_READ, vek::PFU_TEXT, 512, &file),
            vek::PFU_SUCCESS);
  char bytes[4];
  int count = -1;
  EXPECT_EQ(vek::pfu_fread(file, 4, &count, bytes), vek::PFU_END_OF_FILE);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(vek::pfu_fclose(&file), vek::PFU_SUCCESS);
  EXPECT_TRUE(fs::exists(path));
}

TEST_F(PfuOpsTest, TextReadsGiveTheSameBytesWhateverTheReadSizes) {
  std::string stored;
  std::string expected;
  for (int i = 0; i < 3000; ++i) {
    char c = static_cast<char>('a' + i % 26);
    stored += c;
    expected += c;
    if (i % 37 == 0) {
      stored += "\r\n";
      expected += "\n";
    }
  }
  write_file(path, stored);
  for (int buffer_size : {0, 1, 512, 4096}) {
    for (int piece : {1, 7, 255, 600, 5000}) {
      vek::PF_File* file = nullptr;
      ASSERT_EQ(vek::pfu_fopen(path.c_str(), vek::PFU_ACCESS_READ, vek::PFU_TEXT, buffer_size, &file),
                vek::PFU_SUCCESS);
      std::string got;
      std::vector<char> bytes(static_cast<std::size_t>(piece));
      int count = 0;
      int status;
      do {
        status = vek::pfu_fread(file, piece, &count, bytes.data());
        got.append(bytes.data(), static_cast<std::size_t>(count));
      } while (status == vek::PFU_SUCCESS);
      EXPECT_EQ(status, vek::PFU_END_OF_FILE);
      EXPECT_EQ(got, expected) << buffer_size << " " << piece;
      vek::pfu_fclose(&file);
    }
  }
}

TEST_F(PfuOpsTest, ChecksumAndStatusTexts) {
  write_file(path, "abc");
  long sum = 0;
  EXPECT_EQ(vek::pfu_calc_checksum_by_path(path.c_str(), &sum), vek::PFU_SUCCESS);
  EXPECT_EQ(sum, 0x00032660L);
  EXPECT_STREQ(vek::pfu_status_to_msg(1), "Success");
  EXPECT_STREQ(vek::pfu_status_to_msg(14), "Entry Is Not a Directory");
  EXPECT_STREQ(vek::pfu_status_to_msg(35), "Trans-Bomb Exploded");
  EXPECT_STREQ(vek::pfu_status_to_msg(36), "UNDEFINED STATUS");
  EXPECT_STREQ(vek::pfu_status_to_msg(-1), "UNDEFINED STATUS");
}

TEST_F(PfuOpsTest, SplitAndCatPaths) {
  struct Case {
    const char* path;
    int status;
    const char* parent;
    const char* tail;
  };
  const Case cases[] = {
      {"c:|a", 1, "c:|", "a"},          {"c:|", 29, "", ""},
      {"|", 29, "", ""},                {"|a", 1, "|", "a"},
      {"a|b|c", 1, "a|b", "c"},         {"a\\b/c", 1, "a\\b", "c"},
      {"name", 1, "", "name"},          {"", 1, "", ""},
  };
  for (const Case& c : cases) {
    char parent[vek::PFU_PATH_SIZE] = "";
    char tail[vek::PFU_PATH_SIZE] = "";
    EXPECT_EQ(vek::pfu_split_path(c.path, parent, tail), c.status) << c.path;
    if (c.status != 1) continue;
    EXPECT_STREQ(parent, c.parent) << c.path;
    EXPECT_STREQ(tail, c.tail) << c.path;
  }
  char parent[vek::PFU_PATH_SIZE];
  char wd[vek::PFU_PATH_SIZE];
  ASSERT_EQ(vek::pfu_getwd(wd), vek::PFU_SUCCESS);
  EXPECT_EQ(vek::pfu_get_parent_path("name", parent, nullptr), vek::PFU_SUCCESS);
  EXPECT_STREQ(parent, wd);

  char joined[vek::PFU_PATH_SIZE];
  EXPECT_EQ(vek::pfu_cat_path("a|", "b", joined), 1);
  EXPECT_STREQ(joined, "a|b");
  EXPECT_EQ(vek::pfu_cat_path("a/", "b", joined), 1);
  EXPECT_STREQ(joined, "a|b");
  EXPECT_EQ(vek::pfu_cat_path("", "b", joined), 1);
  EXPECT_STREQ(joined, "b");
  std::string a(200, 'a');
  std::string b(55, 'b');  // 200 + 55 + 1 = 256
  EXPECT_EQ(vek::pfu_cat_path(a.c_str(), b.c_str(), joined), 0);
  EXPECT_STREQ(joined, "");
  b.pop_back();
  EXPECT_EQ(vek::pfu_cat_path(a.c_str(), b.c_str(), joined), 1);

  EXPECT_STREQ(vek::pfu_path_tail("a|b\\c"), "c");
  EXPECT_STREQ(vek::pfu_path_tail("abc"), "abc");
  EXPECT_EQ(vek::pfu_path_tail(""), nullptr);
}

TEST_F(PfuOpsTest, NeutralAbsoluteAndParentPaths) {
  struct Neutral {
    const char* path;
    int result;
    const char* neutral;
  };
  for (const Neutral& c : {Neutral{"a/b\\c/", 1, "a|b|c"}, Neutral{"a b/c", 0, "a"},
                           Neutral{"x\ty", 0, "x"}, Neutral{"", 1, ""},
                           Neutral{"/", 1, "|"}, Neutral{"c:\\", 1, "c:|"}}) {
    char path[vek::PFU_PATH_SIZE];
    std::strcpy(path, c.path);
    EXPECT_EQ(vek::pfu_path_to_neut(path), c.result) << c.path;
    EXPECT_STREQ(path, c.neutral);
  }
  struct Absolute {
    const char* path;
    int absolute;
  };
  for (const Absolute& c : {Absolute{"/x", 1}, Absolute{"c:\\x", 1}, Absolute{"c:x", 1},
                            Absolute{"x/y", 0}, Absolute{"\\\\host\\share", 1}}) {
    char path[vek::PFU_PATH_SIZE];
    std::strcpy(path, c.path);
    EXPECT_EQ(vek::pfu_is_abs_path(path), c.absolute) << c.path;
  }
  char result[vek::PFU_PATH_SIZE];
  char wd[vek::PFU_PATH_SIZE];
  ASSERT_EQ(vek::pfu_getwd(wd), vek::PFU_SUCCESS);
  EXPECT_EQ(vek::pfu_path_to_abs("d/e", result), vek::PFU_SUCCESS);
  EXPECT_EQ(std::string(result), std::string(wd) + "|d|e");
  EXPECT_EQ(vek::pfu_path_to_abs("/d/e", result), vek::PFU_SUCCESS);
  EXPECT_STREQ(result, "|d|e");
  EXPECT_EQ(vek::pfu_path_to_abs("/", result), vek::PFU_SUCCESS);  // the root, not here
  EXPECT_STREQ(result, "|");

  struct Parent {
    const char* child;
    const char* parent;
    int result;
    const char* rest;
  };
  for (const Parent& c : {Parent{"a/b/c", "a/b", 1, "c"}, Parent{"a/bc", "a/b", 0, ""},
                          Parent{"a/b", "", 1, "a|b"}, Parent{"a|b", "a\\b", 1, ""},
                          Parent{"", "a", 0, ""}}) {
    char rest[vek::PFU_PATH_SIZE] = "";
    EXPECT_EQ(vek::pfu_is_parent_path(c.child, c.parent, rest), c.result) << c.child;
    if (c.result) {
      EXPECT_STREQ(rest, c.rest) << c.child;
    }
  }
}

// An over-long path fails before the system is asked: an emptied path would name the
// current drive's root, which a recursive delete would walk.
TEST_F(PfuOpsTest, OverLongPathsFailBeforeAnySystemCall) {
  std::string long_path = dir.path() + "/" + std::string(300, 'n');
  w32::fault_testing_reset();
  vek::PfuDir* listing = nullptr;
  vek::PfuStat info;
  long long size = 0;
  char out[vek::PFU_PATH_SIZE];
  const char* p = long_path.c_str();
  EXPECT_EQ(vek::pfu_rmdir_ext(p, 1, 1), vek::PFU_NAME_TOO_LONG);
  EXPECT_EQ(vek::pfu_opendir(p, &listing), vek::PFU_NAME_TOO_LONG);
  EXPECT_EQ(vek::pfu_mkdir_ext(p, 1, 0), vek::PFU_NAME_TOO_LONG);
  EXPECT_EQ(vek::pfu_unlink(p), vek::PFU_NAME_TOO_LONG);
  EXPECT_EQ(vek::pfu_rmdir(p), vek::PFU_NAME_TOO_LONG);
  EXPECT_EQ(vek::pfu_stat(p, &info), vek::PFU_NAME_TOO_LONG);
  EXPECT_EQ(vek::pfu_get_file_size(p, &size), vek::PFU_NAME_TOO_LONG);
  EXPECT_EQ(vek::pfu_copy(path.c_str(), p), vek::PFU_NAME_TOO_LONG);
  EXPECT_EQ(vek::pfu_rename_ext(p, path.c_str(), 0), vek::PFU_NAME_TOO_LONG);
  EXPECT_EQ(vek::pfu_path_to_abs(p, out), vek::PFU_NAME_TOO_LONG);
  EXPECT_EQ(vek::pfu_chdir(p), vek::PFU_NAME_TOO_LONG);
  for (const char* call : {"FindFirstFileA", "GetFileAttributesA", "CreateFileA", "DeleteFileA",
                           "_chdir", "MoveFileExA"})
    EXPECT_EQ(w32::fault_testing_calls(call), 0) << call;
  EXPECT_EQ(live_blocks(), 0);
}

// System failures map by meaning: a missing entry 5, an existing one 7, a directory
// where a file was wanted 8, a file where a directory was wanted 14.
TEST_F(PfuOpsTest, FailuresMapByMeaning) {
  std::string file = dir.file("f");
  std::string sub = dir.file("d");
  write_file(file, "x");
  fs::create_directory(sub);
  write_file(sub + "/inside", "y");
  EXPECT_EQ(vek::pfu_unlink(dir.file("missing").c_str()), vek::PFU_NOT_EXIST);
  EXPECT_EQ(vek::pfu_mkdir(sub.c_str()), vek::PFU_ALREADY_EXISTS);
  EXPECT_EQ(vek::pfu_unlink(sub.c_str()), vek::PFU_ACCESS_DENIED);
  EXPECT_EQ(vek::pfu_rmdir(file.c_str()), vek::PFU_NOT_DIRECTORY);
  EXPECT_EQ(vek::pfu_rmdir(dir.file("missing").c_str()), vek::PFU_NOT_EXIST);
  EXPECT_EQ(vek::pfu_rename_ext(dir.file("missing").c_str(), file.c_str(), 0), vek::PFU_NOT_EXIST);
  EXPECT_EQ(vek::pfu_copy(dir.file("missing").c_str(), file.c_str()), vek::PFU_NOT_EXIST);
  EXPECT_FALSE(fs::exists(dir.file("missing")));  // the copy made no empty source
  EXPECT_EQ(read_file(file), "x");
  EXPECT_NE(vek::pfu_rmdir(sub.c_str()), vek::PFU_SUCCESS);  // not empty
  EXPECT_TRUE(fs::exists(sub + "/inside"));
}

// The stat record's size is 32 bits and saturates; the size query is 64 bits. Times
// set with pfu_utime come back in the record.
TEST_F(PfuOpsTest, StatSaturatesTheSizeAndCarriesTheTime) {
  write_file(path, "");
  fs::resize_file(path, 5ull << 30);  // sparse
  vek::PfuStat info;
  ASSERT_EQ(vek::pfu_stat(path.c_str(), &info), vek::PFU_SUCCESS);
  EXPECT_EQ(info.size, 0xFFFFFFFFu);
  EXPECT_EQ(info.is_dir, 0);
  EXPECT_EQ(info.is_readable, 1);
  long long size = 0;
  EXPECT_EQ(vek::pfu_get_file_size(path.c_str(), &size), vek::PFU_SUCCESS);
  EXPECT_EQ(size, 5ll << 30);
  const long times[2] = {1000, 3000000000L};  // a time past 2038 still fits unsigned
  EXPECT_EQ(vek::pfu_utime(path.c_str(), times), vek::PFU_SUCCESS);
  ASSERT_EQ(vek::pfu_stat(path.c_str(), &info), vek::PFU_SUCCESS);
  EXPECT_EQ(info.mtime, 3000000000u);
  EXPECT_EQ(vek::pfu_stat(dir.file("missing").c_str(), &info), vek::PFU_NOT_EXIST);
  fs::resize_file(path, 0);

  // Records open files exclusively.
  vek::PF_File* first = nullptr;
  vek::PF_File* second = nullptr;
  ASSERT_EQ(vek::pfu_fopen(path.c_str(), vek::PFU_ACCESS_READ, vek::PFU_BINARY, 0, &first),
            vek::PFU_SUCCESS);
  EXPECT_NE(vek::pfu_fopen(path.c_str(), vek::PFU_ACCESS_READ, vek::PFU_BINARY, 0, &second),
            vek::PFU_SUCCESS);
  EXPECT_EQ(second, nullptr);
  vek::pfu_fclose(&first);
}

TEST_F(PfuOpsTest, DirectoryRemovalRefusesFilesAndNeverFollowsLinks) {
  std::string file = dir.file("plain");
  write_file(file, "x");
  EXPECT_EQ(vek::pfu_rmdir(file.c_str()), vek::PFU_NOT_DIRECTORY);
  EXPECT_EQ(vek::pfu_rmdir_ext(file.c_str(), 1, 1), vek::PFU_NOT_DIRECTORY);
  EXPECT_TRUE(fs::exists(file));

  yrltest::TempDir outside;
  write_file(outside.file("keep.txt"), "keep");
  std::string tree = dir.file("tree");
  fs::create_directories(tree + "/sub/deeper");
  write_file(tree + "/sub/deeper/f.txt", "f");
  write_file(tree + "/top.txt", "t");
  fs::create_directory_symlink(outside.path(), tree + "/sub/link");
  fs::create_symlink(outside.file("keep.txt"), tree + "/filelink");
  EXPECT_EQ(vek::pfu_rmdir_ext(tree.c_str(), 1, 0), vek::PFU_SUCCESS);
  EXPECT_FALSE(fs::exists(fs::symlink_status(tree)));
  EXPECT_EQ(read_file(outside.file("keep.txt")), "keep");

  // A link given as the directory is removed itself.
  std::string link = dir.file("dirlink");
  fs::create_directory_symlink(outside.path(), link);
  EXPECT_EQ(vek::pfu_rmdir_ext(link.c_str(), 1, 0), vek::PFU_SUCCESS);
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
  EXPECT_EQ(read_file(outside.file("keep.txt")), "keep");

  // The permission walk does not go through the link either.
  fs::create_directories(tree + "/a");
  write_file(tree + "/a/b.txt", "b");
  fs::create_directory_symlink(outside.path(), tree + "/a/out");
  std::vector<std::string> seen;
  auto record = [](const char* p, void* data) -> int {
    static_cast<std::vector<std::string>*>(data)->push_back(p);
    return vek::PFU_SUCCESS;
  };
  EXPECT_EQ(vek::pfu_chmod_ext(tree.c_str(), record, &seen), vek::PFU_SUCCESS);
  for (const std::string& p : seen) EXPECT_EQ(p.find("keep.txt"), std::string::npos) << p;
  EXPECT_EQ(seen.size(), 4u);  // tree, a, b.txt, the link itself
}

TEST_F(PfuOpsTest, MakeDirectoriesWithParentsAndListThem) {
  std::string deep = dir.file("m/n/o");
  EXPECT_EQ(vek::pfu_mkdir_ext(deep.c_str(), 0, 0), vek::PFU_NOT_EXIST);
  EXPECT_EQ(vek::pfu_mkdir_ext(deep.c_str(), 1, 0), vek::PFU_SUCCESS);
  EXPECT_TRUE(fs::is_directory(deep));
  EXPECT_EQ(vek::pfu_mkdir_ext(deep.c_str(), 1, 0), vek::PFU_SUCCESS);
  write_file(deep + "/x.txt", "1");
  write_file(deep + "/y.dat", "2");
  EXPECT_EQ(vek::pfu_mkdir_ext((deep + "/x.txt").c_str(), 1, 0), vek::PFU_NOT_DIRECTORY);
  char** names = nullptr;
  ASSERT_EQ(vek::pfu_expand_pattern(deep.c_str(), "*.txt", &names), vek::PFU_SUCCESS);
  ASSERT_EQ(vek::xar_count(&names), 1);
  EXPECT_STREQ(names[0], "x.txt");
  vek::rlsmem(names[0]);
  vek::xar_free(&names);
  // A search that breaks off is a failure, not the end of the listing.
  for (int i = 0; i < 6; ++i) write_file(deep + "/f" + std::to_string(i) + ".txt", "");
  ASSERT_TRUE(w32::fault_testing_fail_on_call("FindNextFileA", 3, w32::ERROR_ACCESS_DENIED));
  EXPECT_EQ(vek::pfu_expand_pattern(deep.c_str(), "*.txt", &names), vek::PFU_ACCESS_DENIED);
  w32::fault_testing_reset();
  EXPECT_EQ(names, nullptr);
  EXPECT_EQ(vek::pfu_is_dir(deep.c_str()), 1);
  EXPECT_EQ(vek::pfu_is_dir((deep + "/x.txt").c_str()), 0);
  long long size = 0;
  EXPECT_EQ(vek::pfu_get_file_size((deep + "/y.dat").c_str(), &size), vek::PFU_SUCCESS);
  EXPECT_EQ(size, 1);
  EXPECT_EQ(live_blocks(), 0);
}

// Replacement works on byte counts, so zero bytes in the file are data, and finds
// matches that straddle the reading blocks.
TEST_F(PfuOpsTest, ReplaceStringMatchesAStringReplacement) {
  std::mt19937 random(5);
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "ab\0c"[random() % 4];
  const std::string olds[] = {"a", std::string("ab\0c", 4), std::string("b\0ca", 4),
                              std::string(300, 'a')};
  text.insert(509, std::string(300, 'a'));
  std::string to = dir.file("out.bin");
  for (const std::string& old_text : olds) {
    if (old_text.find('\0') != std::string::npos) continue;  // the old text is a C string
    write_file(path, text);
    std::string expected;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(old_text, from)) != std::string::npos;) {
      expected.append(text, from, at - from).append("XY");
      from = at + old_text.size();
    }
    expected.append(text, from, std::string::npos);
    EXPECT_EQ(vek::pfu_replace_string(old_text.c_str(), "XY", path.c_str(), to.c_str()),
              vek::PFU_SUCCESS);
    EXPECT_EQ(read_file(to), expected) << old_text.size();
  }
  EXPECT_EQ(vek::pfu_replace_string(std::string(512, 'a').c_str(), "x", path.c_str(), to.c_str()),
            vek::PFU_TRAP);
}

TEST_F(PfuOpsTest, CollectedRecordsAreListedUntilClosed) {
  EXPECT_EQ(vek::pfu_dbg_list_open_files(), nullptr);
  vek::pfu_enable_dbg_collect(1);
  vek::PF_File* a = nullptr;
  vek::PF_File* b = nullptr;
  ASSERT_EQ(vek::pfu_fopen(path.c_str(), 6, vek::PFU_BINARY, 0, &a), vek::PFU_SUCCESS);
  ASSERT_EQ(vek::pfu_fopen(dir.file("b").c_str(), 6, vek::PFU_BINARY, 0, &b), vek::PFU_SUCCESS);
  vek::pfu_fclose(&a);
  char** names = vek::pfu_dbg_list_open_files();
  ASSERT_EQ(vek::xar_count(&names), 1);
  EXPECT_EQ(std::string(names[0]).substr(std::string(names[0]).size() - 2), "|b");
  vek::rlsmem(names[0]);
  vek::xar_free(&names);
  vek::pfu_fclose(&b);
  vek::pfu_enable_dbg_collect(0);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(PfuOpsTest, AnonymousPipeCarriesTextBothWays) {
  vek::PF_File* writer = nullptr;
  vek::PF_File* reader = nullptr;
  ASSERT_EQ(vek::pfu_pipe(vek::PFU_TEXT, vek::PFU_TEXT, 512, 512, &writer, &reader),
            vek::PFU_SUCCESS);
  EXPECT_EQ(writer->kind, vek::PFU_Pipe);
  EXPECT_EQ(vek::pfu_fputs(writer, "one\ntwo\n"), vek::PFU_SUCCESS);
  EXPECT_EQ(vek::pfu_fseek(writer, 0, 0), vek::PFU_TRAP);
  EXPECT_EQ(vek::pfu_ftell(writer), -1);
  EXPECT_EQ(vek::pfu_fclose(&writer), vek::PFU_SUCCESS);
  char line[16];
  EXPECT_EQ(vek::pfu_fgets(reader, line, sizeof line), vek::PFU_SUCCESS);
  EXPECT_STREQ(line, "one\n");
  EXPECT_EQ(vek::pfu_fgets(reader, line, sizeof line), vek::PFU_SUCCESS);
  EXPECT_STREQ(line, "two\n");
  EXPECT_EQ(vek::pfu_fgets(reader, line, sizeof line), vek::PFU_END_OF_FILE);
  EXPECT_EQ(vek::pfu_fclose(&reader), vek::PFU_SUCCESS);

  // Unbuffered, a line cut by the size loses nothing: the rest comes with the next read.
  for (int size : {0, 1, 512}) {
    ASSERT_EQ(vek::pfu_pipe(vek::PFU_BINARY, vek::PFU_BINARY, 0, size, &writer, &reader),
              vek::PFU_SUCCESS);
    EXPECT_EQ(vek::pfu_fputs(writer, "abcdef\nxy"), vek::PFU_SUCCESS);
    vek::pfu_fclose(&writer);
    std::string lines;
    int status;
    while ((status = vek::pfu_fgets(reader, line, 4)) != vek::PFU_END_OF_FILE) {
      EXPECT_LT(std::strlen(line), 4u);
      lines += line;
    }
    lines += line;
    EXPECT_EQ(lines, "abcdef\nxy") << size;
    vek::pfu_fclose(&reader);
  }
  EXPECT_EQ(live_blocks(), 0);
}

// Fault sweeps: each counted call of the stand-in fails in turn with a full disk, a
// denied access, or after the source vanished. After every run the original bytes are
// whole in the source or the complete target, no half-written file stands under the
// target's name, nothing is left beside it, and the result says whether it worked.
struct Sweep {
  const char* call;
  long calls;
};

const char* const SWEPT_CALLS[] = {"CreateFileA", "ReadFile",   "WriteFile",
                                   "SetFilePointer", "MoveFileExA", "DeleteFileA",
                                   "GetFileAttributesA", "FindFirstFileA", "FindNextFileA"};

std::vector<Sweep> count_calls(const std::function<void()>& run) {
  w32::fault_testing_reset();
  run();
  std::vector<Sweep> sweeps;
  for (const char* call : SWEPT_CALLS) sweeps.push_back({call, w32::fault_testing_calls(call)});
  w32::fault_testing_reset();
  return sweeps;
}

struct Vanish {
  std::string path;
};
void vanish(void* data) { fs::remove_all(static_cast<Vanish*>(data)->path); }

TEST_F(PfuOpsTest, CopyLosesNothingUnderFaults) {
  std::string source = dir.file("source.bin");
  std::string target = dir.file("target.bin");
  std::string original(3000, '\0');
  for (std::size_t i = 0; i < original.size(); ++i) original[i] = static_cast<char>(i * 7);
  auto setup = [&] {
    write_file(source, original);
    write_file(target, "old target");
  };
  setup();
  std::vector<Sweep> sweeps = count_calls([&] {
    ASSERT_EQ(vek::pfu_copy(source.c_str(), target.c_str()), vek::PFU_SUCCESS);
  });
  int runs = 0;
  for (const Sweep& sweep : sweeps) {
    for (long n = 1; n <= yrltest::sweep_depth(sweep.calls); ++n) {
      for (int kind = 0; kind < 3; ++kind) {
        SCOPED_TRACE(testing::Message() << sweep.call << " #" << n << " kind " << kind);
        setup();
        Vanish gone{source};
        if (kind == 0) w32::fault_testing_fail_on_call(sweep.call, static_cast<int>(n), w32::ERROR_DISK_FULL);
        if (kind == 1) w32::fault_testing_fail_on_call(sweep.call, static_cast<int>(n), w32::ERROR_ACCESS_DENIED);
        if (kind == 2) w32::fault_testing_hook_call(sweep.call, static_cast<int>(n), vanish, &gone);
        yrltest::note_swept(sweep.call);
        int status = vek::pfu_copy(source.c_str(), target.c_str());
        w32::fault_testing_reset();
        ++runs;
        std::string now = read_file(target);
        if (status == vek::PFU_SUCCESS) {
          EXPECT_EQ(now, original);
        } else {
          EXPECT_EQ(now, "old target");
          if (kind != 2) {
            EXPECT_EQ(read_file(source), original);
          }
        }
        EXPECT_FALSE(fs::exists(target + ".pfu~"));
        EXPECT_EQ(live_blocks(), 0);
      }
    }
  }
  EXPECT_GT(runs, 0);
}

TEST_F(PfuOpsTest, RenameLosesNothingUnderFaults) {
  std::string from = dir.file("from");
  std::string to = dir.file("to");
  struct Shape {
    bool from_dir;
    bool to_dir;
  };
  for (Shape shape : {Shape{false, false}, Shape{true, true}, Shape{false, true}}) {
    SCOPED_TRACE(testing::Message() << shape.from_dir << shape.to_dir);
    auto setup = [&] {
      fs::remove_all(from);
      fs::remove_all(to);
      fs::remove_all(to + ".pfu-aside");
      if (shape.from_dir) {
        fs::create_directories(from + "/in");
        write_file(from + "/in/new.txt", "new");
      } else {
        write_file(from, "new");
      }
      if (shape.to_dir) {
        fs::create_directories(to + "/in");
        write_file(to + "/in/old.txt", "old");
      } else {
        write_file(to, "old");
      }
    };
    auto content = [](const std::string& p) {
      if (!fs::exists(p)) return std::string("missing");
      return fs::is_directory(p) ? read_file(p + "/in/new.txt") + read_file(p + "/in/old.txt")
                                 : read_file(p);
    };
    setup();
    std::vector<Sweep> sweeps = count_calls([&] {
      ASSERT_EQ(vek::pfu_rename_ext(from.c_str(), to.c_str(), 0), vek::PFU_SUCCESS);
    });
    for (const Sweep& sweep : sweeps) {
      for (long n = 1; n <= yrltest::sweep_depth(sweep.calls); ++n) {
        for (int kind = 0; kind < 2; ++kind) {
          SCOPED_TRACE(testing::Message() << sweep.call << " #" << n << " kind " << kind);
          setup();
          w32::fault_testing_fail_on_call(sweep.call, static_cast<int>(n),
                                          kind ? w32::ERROR_ACCESS_DENIED : w32::ERROR_DISK_FULL);
          yrltest::note_swept(sweep.call);
          int status = vek::pfu_rename_ext(from.c_str(), to.c_str(), 0);
          w32::fault_testing_reset();
          if (status == vek::PFU_SUCCESS) {
            EXPECT_EQ(content(to), "new");
            EXPECT_FALSE(fs::exists(from));
          } else {
            EXPECT_EQ(content(to), "old");
            EXPECT_EQ(content(from), "new");
            EXPECT_FALSE(fs::exists(to + ".pfu-aside"));
          }
        }
      }
    }
  }
  EXPECT_EQ(live_blocks(), 0);
}

}  // namespace

namespace {

// A loopback pair: a listener on a chosen port, a connection and its accepted end.
TEST_F(PfuOpsTest, LoopbackSocketPairCarriesAFile) {
  int port = 0;
  vek::PfuSocket* listener = nullptr;
  ASSERT_EQ(vek::pfu_socket(4, &port, &listener), vek::PFU_SUCCESS);
  EXPECT_GT(port, 0);
  vek::PF_File* client = nullptr;
  vek::PF_File* server = nullptr;
  ASSERT_EQ(vek::pfu_connect("127.0.0.1", port, vek::PFU_ACCESS_READ_WRITE, vek::PFU_BINARY, 512,
                             &client),
            vek::PFU_SUCCESS);
  ASSERT_EQ(vek::pfu_accept(listener, vek::PFU_ACCESS_READ_WRITE, vek::PFU_BINARY, 512, &server),
            vek::PFU_SUCCESS);
  EXPECT_EQ(client->kind, vek::PFU_INET_Socket);
  EXPECT_EQ(client->handle, nullptr);
  EXPECT_EQ(vek::pfu_fseek(client, 0, 0), vek::PFU_TRAP);

  write_file(path, "line one\r\nline two\r\n");
  EXPECT_EQ(vek::pfu_send_file(path.c_str(), client), vek::PFU_SUCCESS);
  std::string received = dir.file("received.txt");
  EXPECT_EQ(vek::pfu_recieve_file(server, received.c_str()), vek::PFU_SUCCESS);
  EXPECT_EQ(read_file(received), "line one\r\nline two\r\n");

  // A byte 4 cannot be sent: it ends a transmission.
  write_file(path, std::string("a\x04z", 3));
  EXPECT_EQ(vek::pfu_send_file(path.c_str(), client), vek::PFU_TRAP);

  // Closing one end is the other's end of input.
  EXPECT_EQ(vek::pfu_fclose(&client), vek::PFU_SUCCESS);
  char bytes[8];
  int count = 0;
  EXPECT_EQ(vek::pfu_fread(server, 8, &count, bytes), vek::PFU_END_OF_FILE);
  EXPECT_EQ(std::string(bytes, static_cast<std::size_t>(count)), "a");
  EXPECT_EQ(vek::pfu_fclose(&server), vek::PFU_SUCCESS);
  EXPECT_EQ(vek::pfu_socket_close(&listener), vek::PFU_SUCCESS);
  EXPECT_EQ(vek::pfu_connect("no-such-host.invalid", port, 3, vek::PFU_BINARY, 0, &client),
            vek::PFU_NOT_EXIST);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(PfuOpsTest, ExecRunsAChildOnTheRecordsStreams) {
  write_file(path, "from a file\n");
  std::string out_path = dir.file("out.txt");
  vek::PF_File* in = nullptr;
  vek::PF_File* out = nullptr;
  ASSERT_EQ(vek::pfu_fopen(path.c_str(), vek::PFU_ACCESS_READ, vek::PFU_BINARY, 0, &in),
            vek::PFU_SUCCESS);
  ASSERT_EQ(vek::pfu_fopen(out_path.c_str(), vek::PFU_ACCESS_CREATE_WRITE, vek::PFU_BINARY, 512,
                           &out),
            vek::PFU_SUCCESS);
  EXPECT_EQ(vek::pfu_fputs(out, "first\n"), vek::PFU_SUCCESS);
  vek::VynProc* child = nullptr;
  ASSERT_EQ(vek::pfu_exec(" sh -c \"tr a-z A-Z; echo err >&2\" ", in, out, out, &child),
            vek::PFU_SUCCESS);
  int code = -1;
  EXPECT_EQ(vek::vyn_wait_for_subproc(1, &child, &code), 0);
  EXPECT_EQ(code, 0);
  vek::vyn_free_proc_handle(&child);
  vek::pfu_fclose(&in);
  vek::pfu_fclose(&out);
  EXPECT_EQ(read_file(out_path), "first\nFROM A FILE\nerr\n");
  EXPECT_EQ(vek::pfu_exec(nullptr, nullptr, nullptr, nullptr, &child), vek::PFU_INVALID_ARG);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(PfuOpsTest, NamesFallBackWithinTheCallersSize) {
  char name[64];
  EXPECT_EQ(vek::pfu_get_computer_name(name, sizeof name), 1);
  EXPECT_GT(std::strlen(name), 0u);
  char tiny[4] = "zz";
  EXPECT_EQ(vek::pfu_get_computer_name(tiny, 1), 0);  // no name fits one byte
  EXPECT_STREQ(tiny, "");  // nor does "UnknownComputer"
  ASSERT_TRUE(w32::fault_testing_fail_on_call("GetUserNameA", 1, w32::ERROR_ACCESS_DENIED));
  EXPECT_EQ(vek::pfu_get_user_name(name, sizeof name), 0);
  EXPECT_STREQ(name, "UnknownUser");
  int n = 0;
  EXPECT_EQ(vek::pfu_get_arg_max(&n), vek::PFU_SUCCESS);
  EXPECT_EQ(n, 14500);
}

}  // namespace
