// Directory listings into the entry arena, against a plain readdir of the same tree.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "fileaccess/names/fnstring.h"
#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"
#include "runtime/memory/xar.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/support/console_capture.h"
#include "tests/support/temp_dir.h"

namespace {

class ScanDir : public yrltest::FileaccessTest {
 protected:
  void TearDown() override {
    vek::xar_free(&list_);
    FileaccessTest::TearDown();
  }
  int scan(const std::string& dir, vek::VynDirFilter filter = nullptr,
           vek::VynDirCompare compare = nullptr, void* argument = nullptr) {
    std::u16string wide(dir.begin(), dir.end());
    return vek::vyn_scandir(wide.c_str(), &list_, filter, compare, argument, nullptr);
  }
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (int i = 0; i < vek::xar_count(&list_); ++i) {
      EXPECT_EQ(vek::vyn_dirent_length(list_[i]),
                static_cast<int>(std::strlen(vek::vyn_dirent_name(list_[i]))));
      out.emplace_back(vek::vyn_dirent_name(list_[i]));
    }
    return out;
  }
  static std::vector<std::string> readdir_names(const std::string& dir) {
    std::vector<std::string> out;
    DIR* d = opendir(dir.c_str());
    while (dirent* e = readdir(d))
      if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
        out.emplace_back(e->d_name);
    closedir(d);
    std::sort(out.begin(), out.end());
    return out;
  }
  static void make_files(const yrltest::TempDir& dir, int count, std::size_t length) {
    for (int i = 0; i < count; ++i) {
      std::string name = std::to_string(i);
      name = std::string(length - name.size(), 'f') + name;
      yrltest::write_file(dir.file(name), "");
    }
  }
  vek::VynDirent** list_ = nullptr;
  yrltest::TempDir dir_;
};

int by_name(const void* a, const void* b) {
  return std::strcmp(vek::vyn_dirent_name(static_cast<const vek::VynDirent*>(a)),
                     vek::vyn_dirent_name(static_cast<const vek::VynDirent*>(b)));
}

// The longest name a full name holds is listed whole; a directory that holds a name too
// long for a full name gives no listing rather than one without it.
TEST_F(ScanDir, LongNamesAreListedWholeOrNotAtAll) {
  const std::size_t longest = 259 - dir_.path().size() - 1;
  make_files(dir_, 300, 200);
  std::filesystem::create_directory(dir_.file(std::string(longest, 'd')));
  yrltest::write_file(dir_.file(std::string(longest, 'e')), "x");
  ASSERT_EQ(scan(dir_.path(), nullptr, by_name), 302);
  std::vector<std::string> got = names();
  EXPECT_TRUE(std::is_sorted(got.begin(), got.end()));
  EXPECT_EQ(got, readdir_names(dir_.path()));
  yrltest::write_file(dir_.file(std::string(longest + 1, 'f')), "x");
  EXPECT_EQ(scan(dir_.path()), -1);
  EXPECT_EQ(list_, nullptr);
}

TEST_F(ScanDir, TenThousandEntriesEqualReaddir) {
  make_files(dir_, 10000, 40);
  std::string windows = "C:" + dir_.path() + "\\";  // the Windows form of the same tree
  for (char& c : windows) c = c == '/' ? '\\' : c;
  ASSERT_EQ(scan(windows, nullptr, by_name), 10000);
  EXPECT_EQ(names(), readdir_names(dir_.path()));
}

int keep_prt(const char16_t* directory, const char16_t* name, void* seen, void*) {
  auto* calls = static_cast<int*>(seen);
  ++*calls;
  std::u16string d(directory);
  EXPECT_EQ(d.back(), u'\\');  // the directory comes with its delimiter
  return std::u16string(name).find(u".prt") != std::u16string::npos;
}

TEST_F(ScanDir, FilterEmptyAndMissingDirectories) {
  for (const char* name : {"a.prt", "b.drw", "c.prt.2"}) yrltest::write_file(dir_.file(name), "");
  int calls = 0;
  ASSERT_EQ(scan(dir_.path(), keep_prt, by_name, &calls), 2);
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(names(), (std::vector<std::string>{"a.prt", "c.prt.2"}));

  yrltest::TempDir empty;
  EXPECT_EQ(scan(empty.path()), 0);  // the earlier listing is released first
  EXPECT_EQ(list_, nullptr);
  EXPECT_EQ(scan(dir_.file("missing")), -1);
  EXPECT_EQ(list_, nullptr);
  EXPECT_EQ(vek::vyn_scandir(u"/", nullptr, nullptr, nullptr, nullptr, nullptr), -1);
}

// Entries take their true size; a block that cannot hold one more starts the next, and
// the blocks grow by the rule until block 40.
TEST_F(ScanDir, ArenaPacksEntriesAndRefusesPastItsLastBlock) {
  const int sizes[] = {5000, 10001, 15000, 20000};
  for (int k = 0; k < 4; ++k) EXPECT_EQ(vek::rule_for_allocate(k), sizes[k]);
  EXPECT_EQ(vek::vyn_get_fdlimit(), 64);

  vek::VynDirent* a = vek::create_vyn_dirent("abc");
  vek::VynDirent* b = vek::create_vyn_dirent_w(u"de");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(reinterpret_cast<char*>(b) - reinterpret_cast<char*>(a), 2 + 3 + 1);
  vek::VynDirent* c = vek::allocate_vyn_dirent(a);
  EXPECT_STREQ(vek::vyn_dirent_name(c), "abc");
  char16_t wide[vek::VYN_NAME_MAX];
  vek::copy_dirent_name(wide, b);
  EXPECT_EQ(std::u16string(wide), u"de");

  std::string name(259, 'n');
  long capacity = 0;
  for (int k = 0; k < vek::VYN_DIRENT_BLOCKS; ++k)
    capacity += vek::rule_for_allocate(k) / 262;  // whole entries per block
  yrltest::ConsoleCapture console;
  vek::free_vyn_dirent();
  long made = 0;
  while (vek::create_vyn_dirent(name.c_str())) ++made;
  EXPECT_EQ(made, capacity);
  EXPECT_EQ(console.out(), "allocate_vyn_dirent:Directory too large !\n");
  // The arena was released: it starts again in block 0.
  EXPECT_NE(vek::create_vyn_dirent("again"), nullptr);
}

TEST_F(ScanDir, DirectoryOutgrowingTheArenaGivesNoListing) {
  // Entries as long as a full name allows, more than blocks 0 to 40 hold.
  const std::size_t length = 259 - dir_.path().size() - 1;
  long capacity = 0;
  for (int k = 0; k < vek::VYN_DIRENT_BLOCKS; ++k) capacity += vek::rule_for_allocate(k);
  make_files(dir_, static_cast<int>(capacity / static_cast<long>(length + 3)) + 100, length);
  yrltest::ConsoleCapture console;
  EXPECT_EQ(scan(dir_.path()), -1);
  EXPECT_EQ(list_, nullptr);
  EXPECT_EQ(console.out(), "allocate_vyn_dirent:Directory too large !\n");
}

// A listing that breaks off part-way is no listing: the caller would take the names it
// misses for files that do not exist.
TEST_F(ScanDir, AListingThatBreaksOffIsNoListing) {
  make_files(dir_, 20, 10);
  for (const char* call : {"FindNextFileA", "FindNextFileW"})
    ASSERT_TRUE(w32::fault_testing_fail_on_call(call, 5, w32::ERROR_ACCESS_DENIED));
  EXPECT_EQ(scan(dir_.path()), -1);
  w32::fault_testing_reset();
  EXPECT_EQ(list_, nullptr);
  EXPECT_EQ(scan(dir_.path()), 20);
}

TEST_F(ScanDir, InsertAndAppend) {
  vek::VynDirent* a = vek::create_vyn_dirent("a");
  vek::VynDirent* b = vek::create_vyn_dirent("b");
  vek::VynDirent* c = vek::create_vyn_dirent("c");
  vek::vyn_dirent_append(&list_, 1, b);
  vek::vyn_dirent_append(&list_, 0, a);
  vek::vyn_dirent_append(&list_, 1, c);
  vek::vyn_dirent_insert(&list_, 99, a);
  EXPECT_EQ(names(), (std::vector<std::string>{"a", "b", "c", "a"}));
}

}  // namespace
