// Local directories: listings (drives, sizes of 4 GB and more), the directory cache on a
// real temporary tree counted by the stand-in's listing calls, version rules, scans and
// the access questions.
#include <gtest/gtest.h>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "fileaccess/backends/ntdircache.h"
#include "fileaccess/backends/ntdircache_testing.h"
#include "fileaccess/backends/ntlangwrap.h"
#include "fileaccess/backends/pfafs.h"
#include "fileaccess/backends/pfafs_dir.h"
#include "fileaccess/core/pfadircache.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfaname.h"
#include "fileaccess/core/pfaops.h"
#include "fileaccess/names/drives.h"
#include "fileaccess/names/oshelp.h"
#include "fileaccess/names/pfascan.h"
#include "fileaccess/names/pfavers.h"
#include "platform/w32/clock_testing.h"
#include "platform/w32/fault_testing.h"
#include "platform/w32/library.h"
#include "platform/w32/path.h"
#include "platform/w32/path_testing.h"
#include "platform/w32/registry.h"
#include "platform/w32/volume.h"
#include "platform/w32/volume_testing.h"
#include "runtime/memory/clump.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/support/console_capture.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// The entries of a listing in its order; every one must be a directory.
std::vector<std::string> listed(const char* path) {
  std::vector<std::string> names;
  vek::NtListing* listing = vek::nt_opendir(path, nullptr, 0);
  int is_dir = 0;
  while (const char* name = vek::nt_readdir(listing, &is_dir)) {
    names.push_back(name);
    EXPECT_EQ(is_dir, 1) << name;
  }
  vek::nt_closedir(listing);
  return names;
}

class PfaFsDirTest : public yrltest::FileaccessTest {
 protected:
  void TearDown() override {
    w32::fault_testing_reset();
    w32::volume_testing_reset();
    w32::path_testing_reset();
    w32::clock_testing_reset();
    FileaccessTest::TearDown();
  }
  static long listings() {
    return w32::fault_testing_calls("FindFirstFileA") + w32::fault_testing_calls("FindFirstFileW");
  }
  // Makes a directory whose last write lies 10 s back, so that the cache may keep it.
  std::string old_dir(const std::string& name) {
    std::string path = dir.file(name);
    fs::create_directories(path);
    age(path);
    return path;
  }
  static void age(const std::string& path) {
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::seconds(10));
  }
  // Opens and closes a directory handle; the handle's flags while it was open.
  static unsigned open_close(const std::string& path, int* result = nullptr) {
    vek::VynFile* d = vek::pfa_alloc_dir(path.c_str());
    EXPECT_NE(d, nullptr);
    int opened = vek::pfa_open_dir(d);
    if (result) *result = opened;
    unsigned flags = d->flags;
    if (opened == 0) {
      EXPECT_EQ(vek::pfa_close(d), 0);
    }
    vek::pfa_free_vyn_file(&d);
    return flags;
  }
  yrltest::TempDir dir;
};

// A scan that meets an entry it cannot make a handle of (a name too long for a full
// name) gives no list, never the entries read before it as the whole directory.
TEST_F(PfaFsDirTest, AScanThatBreaksOffGivesNoList) {
  yrltest::TempDir dir;
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) yrltest::write_file(dir.file(name), "");
  yrltest::write_file(dir.file(std::string(259 - dir.path().size(), 'z')), "");
  vek::VynFile* d = vek::pfa_alloc_dir(dir.path().c_str());
  int count = -1;
  vek::VynFile** list = nullptr;
  EXPECT_EQ(vek::pfa_scandir(d, vek::PFA_SCAN_FILES, nullptr, &count, &list),
            vek::PFA_E_INVALID_NAME);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(list, nullptr);
  EXPECT_FALSE(vek::pfa_file_is_open(d));
  vek::pfa_free_vyn_file(&d);
}

TEST_F(PfaFsDirTest, TheDriveListHonoursTheNoDrivesPolicy) {
  yrltest::TempDir d, e;
  ASSERT_TRUE(w32::w32_set_drive('D', d.path().c_str()));
  ASSERT_TRUE(w32::w32_set_drive('E', e.path().c_str()));
  auto list = [] { return listed("pfafs:drives"); };
  EXPECT_EQ(list(), (std::vector<std::string>{"C:\\", "D:\\", "E:\\"}));
  ASSERT_TRUE(vek::nt_set_registry_value(
      w32::HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
      "NoDrives", 1u << 3));
  EXPECT_EQ(list(), (std::vector<std::string>{"C:\\", "E:\\"}));
  void* drives = nullptr;
  EXPECT_EQ(vek::get_win32_valid_drives(&drives), 2);
  EXPECT_EQ(static_cast<vek::Win32DriveInfo*>(drives)[1].letter, 'E');
  EXPECT_STREQ(static_cast<vek::Win32DriveInfo*>(drives)[1].file_system, "NTFS");
  vek::xar_free(&drives);
  // The drive list as a directory: readable, its access and its parent.
  vek::VynFile* drive_list = vek::pfa_alloc_file("pfafs:drives");
  ASSERT_NE(drive_list, nullptr);
  EXPECT_EQ(vek::pfaloc_call_FII(drive_list, vek::PfaAccess, 4, 0), 1);
  EXPECT_EQ(vek::pfaloc_call_FII(drive_list, vek::PfaAccess, 2, 0), 0);
  vek::pfa_free_vyn_file(&drive_list);
}

TEST_F(PfaFsDirTest, MediaAndSizeClassesFollowTheirTables) {
  const int nt_walks[][4] = {{2, 5, 0, 0}, {5, 2, 0, 0}, {9, 10, 0, 0}, {2, 22, 6, 0}, {0, 0, 0, 0}};
  const int counts[] = {2, 2, 2, 3, 0};
  const int media[] = {2, 2, 9, 22, 11};
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(vek::nt_media_from_geometry(nt_walks[i], counts[i]), media[i]) << i;
  const int device_types[][2] = {{0, 6}, {1, 1}, {2, 5}, {3, 22}, {4, 22}, {5, 11},
                                 {7, 2}, {8, 11}, {9, 3}, {42, 11}};
  for (const auto& row : device_types) EXPECT_EQ(vek::media_from_device_type(row[0]), row[1]);
  const int sizes[][2] = {{1, 5}, {19, 5}, {2, 3}, {21, 3}, {22, 8}, {11, -1}, {0, -1}};
  for (const auto& row : sizes) EXPECT_EQ(vek::get_win32_drive_size(row[0]), row[1]);
}

// A removable drive's media come from what its device reports: a 3.5-inch disk drive
// that takes 1.44 MB and 720 KB media is class 3; with nothing reported, removable media.
TEST_F(PfaFsDirTest, ARemovableDrivesMediaComeFromItsDevice) {
  yrltest::TempDir a;
  ASSERT_TRUE(w32::w32_set_drive('A', a.path().c_str()));
  ASSERT_TRUE(w32::volume_testing_set_drive('A', w32::DRIVE_REMOVABLE, "FAT", "FLOPPY", nullptr));
  vek::Win32DriveInfo info{};
  ASSERT_EQ(vek::get_win32_drive_info('A', &info, 0), 0);
  EXPECT_EQ(info.media, 11);
  EXPECT_EQ(info.size_class, -1);
  EXPECT_STREQ(info.label, "");
  const int types[] = {2, 5};
  ASSERT_TRUE(w32::volume_testing_set_drive_media('A', types, 2));
  ASSERT_EQ(vek::get_win32_drive_info('A', &info, 0), 0);
  EXPECT_EQ(info.media, 2);
  EXPECT_EQ(info.size_class, 3);
  EXPECT_FALSE(w32::volume_testing_set_drive_media('A', types, w32::kMediaTypeCount + 1));
  EXPECT_EQ(vek::get_win32_drive_media('C'), 0);  // a fixed disk has no removable media
}

// A listing keeps whole 64-bit sizes: a file of 5 GB is told as 5 GB.
TEST_F(PfaFsDirTest, ListingsKeepSizesOfFourGigabytesAndMore) {
  std::string big = dir.file("big.bin");
  ASSERT_EQ(::truncate((yrltest::write_file(big, ""), big.c_str()), 5LL << 30), 0);
  vek::VynFile* d = vek::pfa_alloc_dir(dir.path().c_str());
  ASSERT_EQ(vek::pfa_open_dir_subset(d, nullptr, reinterpret_cast<void*>(1), 0), 0);
  vek::VynFile* entry = nullptr;
  ASSERT_EQ(vek::pfa_alloc_vyn_file(&entry), 0);
  ASSERT_EQ(vek::pfaloc_call_FLPPPI(d, vek::PfaDirReadNext, entry, nullptr, nullptr, 0), 0);
  int status = -2;
  std::int64_t size = 0, modified = 0;
  EXPECT_EQ(vek::ntreaddir_fill_stat_buf(d, &d->location_slot, entry, &status, &size, &modified), 1);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(size, 5LL << 30);
  EXPECT_NEAR(static_cast<double>(modified), static_cast<double>(time(nullptr)), 60.0);
  EXPECT_EQ(vek::pfaloc_call_FLPPPI(d, vek::PfaDirReadNext, entry, nullptr, nullptr, 0), 5);
  vek::pfa_close(d);
  vek::pfa_free_vyn_file(&d);
  vek::pfa_free_vyn_file(&entry);
}

TEST_F(PfaFsDirTest, TwoOpensOfAnUnchangedDirectoryListItOnce) {
  std::string path = old_dir("same");
  yrltest::write_file(path + "/a.txt", "a");
  age(path);
  long before = listings();
  EXPECT_EQ(open_close(path) & vek::PFA_FLAG_DIR_BORROWED, vek::PFA_FLAG_DIR_BORROWED);
  EXPECT_EQ(listings(), before + 1);
  EXPECT_EQ(open_close(path) & vek::PFA_FLAG_DIR_BORROWED, vek::PFA_FLAG_DIR_BORROWED);
  EXPECT_EQ(listings(), before + 1);
  EXPECT_EQ(vek::pfa_dir_cache_entries(), 1);
  // Creating, deleting and renaming through the layer drop the entry.
  struct Change {
    const char* what;
    void (*run)(const std::string& path);
  };
  const Change changes[] = {
      {"create",
       [](const std::string& p) {
         vek::VynFile* f = vek::pfa_fopen_file_vers((p + "/b.txt").c_str(), "w", 0);
         vek::pfa_dispose(&f);
       }},
      {"delete",
       [](const std::string& p) { vek::ntlangwrap_DeleteFile((p + "\\b.txt").c_str()); }},
      {"rename", [](const std::string& p) {
         vek::ntlangwrap_move_file((p + "\\a.txt").c_str(), (p + "\\c.txt").c_str(), 0);
       }}};
  for (const Change& change : changes) {
    SCOPED_TRACE(change.what);
    change.run(path);
    EXPECT_EQ(vek::pfa_dir_cache_entries(), 0);
    age(path);
    long listed = listings();
    open_close(path);
    EXPECT_EQ(listings(), listed + 1);
    open_close(path);
    EXPECT_EQ(listings(), listed + 1);
  }
}

// A directory written within the clock's grain is read but not cached: a listing taken
// then could miss a file written in the same tick.
TEST_F(PfaFsDirTest, ARecentlyWrittenDirectoryIsNotCached) {
  std::string path = dir.file("fresh");
  fs::create_directories(path);
  vek::VynFile* d = vek::pfa_alloc_dir(path.c_str());
  EXPECT_EQ(vek::pfaloc_call_FLPPPI(d, vek::PfaDirOpen, nullptr, nullptr, nullptr, 0),
            vek::PFA_E_NOT_CACHABLE);
  EXPECT_EQ(vek::pfaloc_call_FL(d, vek::PfaDirClose), 0);
  vek::pfa_free_vyn_file(&d);
  long before = listings();
  int result = -1;
  EXPECT_EQ(open_close(path, &result) & vek::PFA_FLAG_DIR_BORROWED, 0u);
  EXPECT_EQ(result, 0);
  open_close(path);
  EXPECT_EQ(listings(), before + 2);
  EXPECT_EQ(vek::pfa_dir_cache_entries(), 0);
}

TEST_F(PfaFsDirTest, CachingModeZeroAndOtherFileSystemsNeverCache) {
  std::string path = old_dir("plain");
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run ? "FAT" : "mode 0");
    if (run == 0) {
      vek::set_nt_directory_caching(0);
    } else {
      vek::ntdircache_testing_reset();  // drive records are read once per process
      ASSERT_TRUE(w32::volume_testing_set_drive('C', w32::DRIVE_FIXED, "FAT", nullptr, nullptr));
    }
    long before = listings();
    open_close(path);
    open_close(path);
    EXPECT_EQ(listings(), before + 2);
    EXPECT_EQ(vek::pfa_dir_cache_entries(), 0);
    EXPECT_EQ(vek::is_drive_cachable('C'), 0);
  }
}

// Mode 1: the entry stays good until the directory's change notification fires; a file
// written by another process fires it.
TEST_F(PfaFsDirTest, ModeOneWatchesForChangesByOtherProcesses) {
  vek::set_nt_directory_caching(1);
  std::string path = old_dir("watched");
  long before = listings();
  open_close(path);
  open_close(path);
  EXPECT_EQ(listings(), before + 1);
  ASSERT_EQ(std::system(("touch '" + path + "/from_child'").c_str()), 0);
  bool listed_again = false;
  for (int tries = 0; tries < 200 && !listed_again; ++tries) {
    open_close(path);
    listed_again = listings() > before + 1;
    if (!listed_again) usleep(5000);
  }
  EXPECT_TRUE(listed_again);
}

// While one handle reads the cached listing, a second open lists afresh and keeps its
// own: the cache holds one entry for the directory.
TEST_F(PfaFsDirTest, ALentEntryGetsNoTwinAndTheSecondReaderKeepsItsListing) {
  std::string path = old_dir("lent");
  open_close(path);  // cached
  vek::VynFile* first = vek::pfa_alloc_dir(path.c_str());
  vek::VynFile* second = vek::pfa_alloc_dir(path.c_str());
  ASSERT_EQ(vek::pfa_open_dir(first), 0);
  EXPECT_NE(first->flags & vek::PFA_FLAG_DIR_BORROWED, 0u);
  show_serious_reports();
  yrltest::ConsoleCapture console;
  ASSERT_EQ(vek::pfa_open_dir(second), 0);
  EXPECT_NE(console.out().find("two people reading the same dir simultaneously?"),
            std::string::npos);
  EXPECT_EQ(second->flags & vek::PFA_FLAG_DIR_BORROWED, 0u);
  EXPECT_EQ(vek::pfa_dir_cache_entries(), 1);
  EXPECT_EQ(vek::pfa_close(second), 0);
  EXPECT_EQ(vek::pfa_close(first), 0);
  long before = listings();
  open_close(path);
  EXPECT_EQ(listings(), before);  // the entry is still there and good
  vek::pfa_free_vyn_file(&first);
  vek::pfa_free_vyn_file(&second);
}

TEST_F(PfaFsDirTest, AFullCacheReusesTheLeastRecentlyUsedUnlentEntry) {
  const int max = vek::get_dir_cache_max();
  ASSERT_EQ(max, 256);
  std::vector<std::string> paths;
  for (int i = 0; i <= max; ++i) paths.push_back(old_dir("d" + std::to_string(i)));
  // Each use a second after the one before (the cache keeps seconds).
  w32::clock_testing_start(static_cast<std::int64_t>(time(nullptr) + 86400) * 1000);
  for (int i = 0; i < max; ++i) {
    open_close(paths[i]);
    w32::clock_testing_advance(1000);
  }
  EXPECT_EQ(vek::pfa_dir_cache_entries(), max);
  open_close(paths[0]);  // used again: now the most recent
  w32::clock_testing_advance(1000);
  vek::VynFile* lent = vek::pfa_alloc_dir(paths[1].c_str());
  ASSERT_EQ(vek::pfa_open_dir(lent), 0);  // d1 is lent while d256 comes in
  open_close(paths[max]);
  EXPECT_EQ(vek::pfa_dir_cache_entries(), max);
  vek::pfa_close(lent);
  vek::pfa_free_vyn_file(&lent);
  long before = listings();
  open_close(paths[0]);
  open_close(paths[1]);
  open_close(paths[max]);
  EXPECT_EQ(listings(), before);  // all three still cached
  open_close(paths[2]);           // the one reused
  EXPECT_EQ(listings(), before + 1);
}

// The cache's copy is never counted: the count of open remote files comes back to 0.
TEST_F(PfaFsDirTest, RemoteCountIsBackAtZeroAfterEveryOpenAndClose) {
  yrltest::TempDir share;
  ASSERT_TRUE(w32::w32_set_drive('R', share.path().c_str()));
  ASSERT_TRUE(w32::volume_testing_set_drive('R', w32::DRIVE_REMOTE, "NTFS", nullptr,
                                            "\\\\srv\\data"));
  fs::create_directories(share.path() + "/sub");
  vek::pfa_force_cache_dir("R:\\sub\\");
  vek::pfa_set_dir_cache(1);
  for (int round = 0; round < 3; ++round) {
    vek::VynFile* d = vek::pfa_alloc_dir("R:\\sub\\");
    ASSERT_EQ(vek::pfa_open_dir(d), 0);
    EXPECT_EQ(vek::pfa_num_open_remote_files(), 1);
    vek::pfa_close(d);
    EXPECT_EQ(vek::pfa_num_open_remote_files(), 0);
    vek::pfa_free_vyn_file(&d);
    vek::VynFile* f = vek::pfa_fopen_file_vers("R:\\sub\\x.txt", "w", 0);  // drops the entry
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(vek::pfa_num_open_remote_files(), 1);
    vek::pfa_dispose(&f);
    EXPECT_EQ(vek::pfa_num_open_remote_files(), 0);
  }
}

TEST_F(PfaFsDirTest, VersionRulesReadTheListing) {
  struct Row {
    std::vector<const char*> files;
    const char* name;
    int rule;
    int result;
    int version;
  };
  const Row rows[] = {
      {{"a.prt", "a.prt.3", "a.prt.12"}, "a.prt", 1, 0, 12},
      {{"a.prt", "a.prt.3", "a.prt.12"}, "a.prt", 2, 0, 13},
      {{"a.prt"}, "a.prt", 1, 0, 0},
      {{"a.prt"}, "a.prt", 2, 0, 2},
      {{"a.prt"}, "a.prt.7", 0, 0, 7},
      {{}, "a.prt", 1, vek::PFA_E_NOT_FOUND, -1},
      {{}, "a.prt", 2, 0, 1},
      {{"a.prt.32767"}, "a.prt", 1, 0, 32767},
      {{"a.prt.32767"}, "a.prt", 2, vek::PFA_E_INVALID_NAME, -1},
      {{"a.prt.99999", "a.prt.4"}, "a.prt", 1, 0, 4},  // 99999 is no version
      {{"A.PRT.5", "a.prt.2"}, "a.prt", 1, 0, 5},      // the location ignores case
      {{"a.prtx.9", "ba.prt.9", "a.prt.1"}, "a.prt", 1, 0, 1},
  };
  int n = 0;
  for (const Row& row : rows) {
    std::string sub = dir.file("v" + std::to_string(n++));
    fs::create_directories(sub);
    for (const char* f : row.files) yrltest::write_file(sub + "/" + f, "x");
    SCOPED_TRACE(sub + " " + row.name + " rule " + std::to_string(row.rule));
    vek::VynFile* file = vek::pfa_alloc_file((sub + "/" + row.name).c_str());
    ASSERT_NE(file, nullptr);
    int version = -1;
    EXPECT_EQ(vek::pfa_get_file_vers(file, row.rule, &version), row.result);
    EXPECT_EQ(version, row.version);
    vek::pfa_free_vyn_file(&file);
  }
}

int answer_case_sensitive(vek::VynFile*) { return 1; }

TEST_F(PfaFsDirTest, ACaseSensitiveLocationKeepsOtherCasesApart) {
  yrltest::write_file(dir.file("A.PRT.5"), "x");
  yrltest::write_file(dir.file("a.prt.2"), "x");
  vek::VynFile* file = vek::pfa_alloc_file(dir.file("a.prt").c_str());
  ASSERT_TRUE(vek::pfa_loc_register_append(1));
  vek::pfa_loc_method_register(1, vek::PfaCaseSensitiveLoc, vek::PLM_CALL_F,
                               vek::as_method(&answer_case_sensitive));
  vek::pfa_loc_register_setup(0);
  int version = -1;
  EXPECT_EQ(vek::pfa_get_file_vers(file, 1, &version), 0);
  EXPECT_EQ(version, 2);
  int* versions = nullptr;
  EXPECT_EQ(vek::pfa_get_versions(file, &versions), 1);
  EXPECT_EQ(versions[0], 2);
  vek::xar_free(&versions);
  vek::pfa_free_vyn_file(&file);
}

// A file that vanishes between its listing and its open gives the open's failure.
TEST_F(PfaFsDirTest, AFileVanishingAfterItsListingGivesTheOpensCode) {
  yrltest::write_file(dir.file("gone.prt.3"), "x");
  vek::VynFile* file = vek::pfa_alloc_file(dir.file("gone.prt").c_str());
  static std::string victim;
  victim = dir.file("gone.prt.3");
  ASSERT_TRUE(w32::fault_testing_hook_call(
      "fopen", 1, [](void*) { fs::remove(victim); }, nullptr));
  EXPECT_EQ(vek::pfa_fopen(file, 1, "r"), vek::PFA_E_ERROR);
  EXPECT_EQ(file->flags & vek::PFA_FLAG_OPEN, 0u);
  vek::pfa_free_vyn_file(&file);
}

std::set<std::string> readdir_names(const std::string& path) {
  std::set<std::string> names;
  DIR* d = opendir(path.c_str());
  while (dirent* e = d ? readdir(d) : nullptr) {
    std::string name = e->d_name;
    if (name != "." && name != "..") names.insert(name);
  }
  if (d) closedir(d);
  return names;
}

TEST_F(PfaFsDirTest, ScansEqualAReaddirAndSortedScansAStableSort) {
  const char* names[] = {"b.prt.2", "a.prt", "a.prt.3", "A.txt", "zz", "a.prt.12", "c.asm.1"};
  for (const char* n : names) yrltest::write_file(dir.file(n), "x");
  fs::create_directories(dir.file("sub"));
  vek::VynFile* d = vek::pfa_alloc_dir(dir.path().c_str());
  int count = 0;
  vek::VynFile** list = nullptr;
  ASSERT_EQ(vek::pfa_scandir_simple(d, vek::PFA_SCAN_FILES | vek::PFA_SCAN_DIRS, nullptr, &count,
                                    &list, 2),
            0);
  std::set<std::string> scanned;
  std::vector<vek::VynFile*> unsorted(list, list + count);
  for (int i = 0; i < count; ++i) {
    char name[260];
    vek::pfa_get_file_name(list[i], 56, name);
    if (list[i]->object_type == vek::PFA_TYPE_DIRECTORY) {
      std::string path(name);
      vek::pfa_get_file_name(list[i], 4, name);
      std::string p(name);
      p.pop_back();
      scanned.insert(p.substr(p.find_last_of("\\/") + 1));
    } else {
      scanned.insert(name);
    }
  }
  EXPECT_EQ(scanned, readdir_names(dir.path()));
  // The sorted scan is the stable sort of the unsorted one.
  std::vector<std::pair<std::string, int>> expected;
  std::stable_sort(unsorted.begin(), unsorted.end(), [](vek::VynFile* a, vek::VynFile* b) {
    return vek::pfautl_comp_all_versions(a, b) < 0;
  });
  auto key = [](vek::VynFile* f) {
    char name[260];
    vek::pfa_get_file_name(f, 62, name);
    return std::make_pair(std::string(name), static_cast<int>(f->object_type));
  };
  for (vek::VynFile* f : unsorted) expected.push_back(key(f));
  ASSERT_EQ(vek::pfa_scandir_simple(d, vek::PFA_SCAN_FILES | vek::PFA_SCAN_DIRS | vek::PFA_SCAN_SORTED,
                                    nullptr, &count, &list, 2),
            0);
  std::vector<std::pair<std::string, int>> sorted;
  for (int i = 0; i < count; ++i) sorted.push_back(key(list[i]));
  EXPECT_EQ(sorted, expected);
  EXPECT_EQ(list[count - 1]->object_type, vek::PFA_TYPE_DIRECTORY);  // files first
  // Merging versions lists a.prt once, with its highest version.
  ASSERT_EQ(vek::pfa_scandir_simple(d, vek::PFA_SCAN_FILES, u"a*,A*", &count, &list, 1), 0);
  std::vector<std::string> merged;
  for (int i = 0; i < count; ++i) merged.push_back(key(list[i]).first);
  std::sort(merged.begin(), merged.end());
  EXPECT_EQ(merged.size(), 2u) << ::testing::PrintToString(merged);
  bool found = false;
  for (int i = 0; i < count; ++i) {
    if (key(list[i]).first.find("a.prt") != std::string::npos) {
      EXPECT_EQ(list[i]->version, 12);
      found = true;
    }
  }
  EXPECT_TRUE(found);
  vek::pfa_free_vyn_file(&d);
}

TEST_F(PfaFsDirTest, FiltersFromTextAndTheirLimits) {
  vek::Pfa_Scan_Filter filter;
  EXPECT_EQ(vek::wstring_to_Pfa_Scan_FIlter(u"*.prt,*.asm", 0, 0, &filter), 0);
  ASSERT_EQ(filter.count, 2);
  EXPECT_STREQ(filter.patterns[0], "*.prt");
  EXPECT_EQ(filter.typed[0], 1);
  EXPECT_EQ(filter.typed[1], 1);
  vek::pfa_clean_scan_filter(&filter);
  EXPECT_EQ(vek::wstring_to_Pfa_Scan_FIlter(u"Select Dir", 0, 0, &filter), 0);
  EXPECT_EQ(filter.count, 0);
  std::u16string long_pattern(40, u'x');
  EXPECT_EQ(vek::wstring_to_Pfa_Scan_FIlter(long_pattern.c_str(), 0, 0, &filter), 9);
  std::u16string long_text(1100, u'x');
  EXPECT_EQ(vek::wstring_to_Pfa_Scan_FIlter(long_text.c_str(), 0, 0, &filter), 9);
  // A refused filter matches nothing.
  yrltest::write_file(dir.file("x"), "x");
  vek::VynFile* d = vek::pfa_alloc_dir(dir.path().c_str());
  int count = -1;
  vek::VynFile** list = nullptr;
  EXPECT_EQ(vek::pfa_scandir(d, vek::PFA_SCAN_FILES, &filter, &count, &list), 0);
  EXPECT_EQ(count, 0);
  vek::pfa_clean_scan_filter(&filter);
  vek::pfa_free_vyn_file(&d);
}

// The write probe uses a name nobody has: a user's files of the old probe names stay.
TEST_F(PfaFsDirTest, TheWriteProbeNeverTouchesAUsersFile) {
  yrltest::write_file(dir.file("write.acc"), "mine");
  yrltest::write_file(dir.file("write.acc.937"), "also mine");
  std::string native = dir.path();
  for (char& c : native) c = c == '/' ? '\\' : c;
  auto before = readdir_names(dir.path());
  EXPECT_EQ(vek::Win32_can_write_tmp_file(native.c_str()), 1);
  EXPECT_EQ(vek::Win32_can_write_tmp_file((native + "\\write.acc").c_str()), 1);
  EXPECT_EQ(readdir_names(dir.path()), before);
  EXPECT_EQ(yrltest::read_file(dir.file("write.acc")), "mine");
  EXPECT_EQ(yrltest::read_file(dir.file("write.acc.937")), "also mine");
  EXPECT_EQ(vek::Win32_can_write_tmp_file((native + "\\missing").c_str()), 0);
}

TEST_F(PfaFsDirTest, AccessModes) {
  yrltest::write_file(dir.file("ro.txt"), "x");
  yrltest::write_file(dir.file("tool.EXE"), "x");
  fs::permissions(dir.file("ro.txt"), fs::perms::owner_read);
  struct Row {
    const char* name;
    int mode;
    int allowed;
  };
  const Row rows[] = {{"ro.txt", 0, 1},   {"ro.txt", 2, 0},   {"ro.txt", 4, 1},
                      {"ro.txt", 1, 0},   {"tool.EXE", 1, 1}, {"tool.EXE", 2, 1},
                      {"missing", 0, 0},  {"tool.EXE", 3, 0}};
  for (const Row& row : rows) {
    vek::VynFile* f = vek::pfa_alloc_file(dir.file(row.name).c_str());
    EXPECT_EQ(vek::pfaloc_call_FII(f, vek::PfaAccess, row.mode, 0), row.allowed)
        << row.name << " " << row.mode;
    vek::pfa_free_vyn_file(&f);
  }
  char owner[64] = "", group[64] = "";
  vek::VynFile* f = vek::pfa_alloc_file(dir.file("tool.EXE").c_str());
  EXPECT_EQ(vek::pfaloc_call_FPPP(f, vek::PfaGetOwners, owner, group, nullptr), 0);
  EXPECT_GT(std::strlen(owner), 0u);
  EXPECT_GT(std::strlen(group), 0u);
  EXPECT_EQ(vek::pfaloc_call_FPP(f, vek::PfaChown, owner, group), 0);  // its own user and group
  yrltest::ConsoleCapture console;
  vek::set_verbose_mode(1);
  vek::set_run_mode(1);
  EXPECT_EQ(vek::pfaloc_call_FPP(f, vek::PfaChown, const_cast<char*>("no-such-user-x"), group), 1);
  EXPECT_NE(console.out().find("LookupAccountName failed"), std::string::npos) << console.out();
  vek::pfa_free_vyn_file(&f);
}

}  // namespace

namespace {

// UNC names open, list, answer access and delete through their full names.
TEST_F(PfaFsDirTest, UncNamesWorkThroughTheirFullNames) {
  ASSERT_TRUE(w32::w32_set_unc_root(dir.path().c_str()));
  fs::create_directories(dir.file("srv/data/sub"));
  yrltest::write_file(dir.file("srv/data/sub/a.txt"), "unc");
  vek::VynFile* f = vek::pfa_fopen_file_vers("\\\\srv\\data\\sub\\a.txt", "r", 0);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->location_type, static_cast<std::uint32_t>(vek::PFA_LOC_UNC));
  char text[8] = {};
  int count = 0;
  EXPECT_EQ(vek::pfa_read_file(f, 7, &count, text), 0);
  EXPECT_STREQ(text, "unc");
  EXPECT_EQ(vek::pfaloc_call_FII(f, vek::PfaAccess, 4, 0), 1);
  long long size = 0;
  EXPECT_EQ(vek::pfaloc_call_FP(f, vek::PfaGetFileSize, &size), 0);
  EXPECT_EQ(size, 3);
  vek::pfa_dispose(&f);
  vek::VynFile* d = vek::pfa_alloc_dir("\\\\srv\\data\\sub\\");
  int n = 0;
  vek::VynFile** list = nullptr;
  ASSERT_EQ(vek::pfa_scandir(d, vek::PFA_SCAN_FILES, nullptr, &n, &list), 0);
  ASSERT_EQ(n, 1);
  char name[260];
  vek::pfa_get_file_name(list[0], 24, name);
  EXPECT_STREQ(name, "a.txt");
  vek::pfa_free_vyn_file(&d);
  vek::VynFile* host = vek::pfa_alloc_file("\\\\srv");
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(vek::pfaloc_call_FII(host, vek::PfaAccess, 0, 0), 1);
  EXPECT_EQ(vek::pfaloc_call_FII(host, vek::PfaAccess, 2, 0), 0);
  vek::pfa_free_vyn_file(&host);
  f = vek::pfa_alloc_file("\\\\srv\\data\\sub\\a.txt");
  EXPECT_EQ(vek::pfaloc_call_F(f, vek::PfaDeleteFile), 0);
  EXPECT_FALSE(fs::exists(dir.file("srv/data/sub/a.txt")));
  vek::pfa_free_vyn_file(&f);
}

}  // namespace

namespace {

// The names a scan of the directory gives now (through the cache).
std::set<std::string> scanned(const std::string& path) {
  std::set<std::string> names;
  vek::VynFile* d = vek::pfa_alloc_dir(path.c_str());
  EXPECT_NE(d, nullptr);
  int count = 0;
  vek::VynFile** list = nullptr;
  EXPECT_EQ(vek::pfa_scandir_simple(d, vek::PFA_SCAN_FILES, nullptr, &count, &list, 0), 0);
  for (int i = 0; i < count; ++i) {
    char name[vek::PFA_NAME_SIZE];
    vek::pfa_get_file_name(list[i], 56, name);
    names.insert(name);
  }
  vek::pfa_free_vyn_file(&d);
  return names;
}

// The last-write time of a directory, to put back after a change that the validity test
// must not see: only the layer's own refresh can tell the cache then.
struct timespec mtime_of(const std::string& path) {
  struct stat st;
  EXPECT_EQ(::stat(path.c_str(), &st), 0);
  return st.st_mtim;
}
void set_mtime(const std::string& path, const struct timespec& time) {
  const struct timespec times[2] = {time, time};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// The cache's promise: a file that another process makes behind its back is seen by the
// next scan, in either mode, with caching automatic or not.
TEST_F(PfaFsDirTest, AChangeBehindTheCachesBackIsSeen) {
  for (int mode : {2, 1}) {
    for (int automatic : {0, 1}) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << " automatic " << automatic);
      vek::set_nt_directory_caching(mode);
      vek::pfa_set_dir_cache(automatic);
      std::string path = old_dir("behind" + std::to_string(mode) + std::to_string(automatic));
      yrltest::write_file(path + "/a.txt", "a");
      age(path);
      EXPECT_EQ(scanned(path), (std::set<std::string>{"a.txt"}));
      long before = listings();
      EXPECT_EQ(scanned(path), (std::set<std::string>{"a.txt"}));
      EXPECT_EQ(listings(), before);  // from the cache
      ASSERT_EQ(std::system(("touch '" + path + "/b.txt'").c_str()), 0);
      bool seen = false;
      for (int tries = 0; tries < 200 && !seen; ++tries) {
        seen = scanned(path).count("b.txt") != 0;
        if (!seen) usleep(5000);  // a notification may come a moment later
      }
      EXPECT_TRUE(seen);
    }
  }
}

// The watch (mode 1) or the last-write time (mode 2) is taken before the directory is
// read: a file made between the two is never lost in a cached listing.
struct MakeLate {
  std::string file;
  std::string dir;
  bool age;
};
void make_late(void* data) {
  auto* late = static_cast<MakeLate*>(data);
  yrltest::write_file(late->file, "late");
  if (late->age)
    fs::last_write_time(late->dir, fs::file_time_type::clock::now() - std::chrono::seconds(20));
}

TEST_F(PfaFsDirTest, TheWatchStartsBeforeTheListing) {
  struct Case {
    int mode;
    const char* call;  // where the file comes in
  };
  // Mode 1 watches from FindFirstChangeNotification, mode 2 reads the time through
  // CreateFile; the listing begins with FindFirstFile.
  const Case cases[] = {{1, "FindFirstChangeNotificationA"}, {1, "FindFirstFileA"},
                        {2, "CreateFileA"}, {2, "FindFirstFileA"}};
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " at " << c.call);
    vek::set_nt_directory_caching(c.mode);
    std::string path = old_dir("late" + std::to_string(n++));
    MakeLate late{path + "/late.txt", path, c.mode == 2};
    ASSERT_TRUE(w32::fault_testing_hook_call(c.call, 1, make_late, &late));
    scanned(path);
    w32::fault_testing_reset();
    bool seen = false;
    for (int tries = 0; tries < 200 && !seen; ++tries) {
      seen = scanned(path).count("late.txt") != 0;
      if (!seen) usleep(5000);
    }
    EXPECT_TRUE(seen);
  }
}

// Names ignore case, and so does the cache: a file made through another spelling of the
// directory's name drops its entry, even when the directory's time does not change.
TEST_F(PfaFsDirTest, TheCacheKnowsADirectoryByAnySpellingOfItsName) {
  std::string path = old_dir("spelled");
  EXPECT_TRUE(scanned(path).empty());
  struct timespec kept = mtime_of(path);
  std::string upper = dir.file("SPELLED");
  vek::VynFile* made = vek::pfa_fopen_file_vers((upper + "/new.txt").c_str(), "w", 0);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(vek::pfa_dispose(&made), 0);
  set_mtime(path, kept);
  EXPECT_EQ(scanned(path), (std::set<std::string>{"new.txt"}));
  // A forced directory is forced under any spelling.
  vek::pfa_force_cache_dir(path.c_str());
  char location[vek::PFA_NAME_SIZE];
  vek::VynFile* d = vek::pfa_alloc_dir(upper.c_str());
  ASSERT_NE(d, nullptr);
  ASSERT_EQ(vek::pfa_get_location(d, location, nullptr), 0);
  EXPECT_EQ(vek::is_name_forced_cache(location), 1) << location;
  vek::pfa_free_vyn_file(&d);
}

// Beneath the stand-in two directories whose names differ only in case can stand side by
// side, each reached by its exact spelling: the cache never lends the listing of one for
// the other, in either mode, even when their times agree.
TEST_F(PfaFsDirTest, DirectoriesWhoseNamesDifferInCaseKeepTheirOwnListings) {
  for (int mode : {1, 2}) {
    SCOPED_TRACE(testing::Message() << "mode " << mode);
    vek::set_nt_directory_caching(mode);
    const std::string lower = old_dir("twin" + std::to_string(mode));
    const std::string upper = old_dir("TWIN" + std::to_string(mode));
    yrltest::write_file(lower + "/lower.txt", "l");
    yrltest::write_file(upper + "/upper.txt", "u");
    struct timespec kept = mtime_of(lower);
    set_mtime(upper, kept);
    for (int round = 0; round < 2; ++round) {
      EXPECT_EQ(scanned(lower), (std::set<std::string>{"lower.txt"}));
      EXPECT_EQ(scanned(upper), (std::set<std::string>{"upper.txt"}));
    }
  }
}

// With caching automatic a version that another process wrote is seen; and a version
// the listing cannot know of is never emptied: the next version is made, not opened.
TEST_F(PfaFsDirTest, TheNextVersionNeverEmptiesAFileItDidNotSee) {
  vek::pfa_set_dir_cache(1);
  std::string path = old_dir("versions");
  for (const char* name : {"a.prt.1", "a.prt.2"}) yrltest::write_file(path + "/" + name, name);
  age(path);
  vek::VynFile* file = vek::pfa_alloc_file((path + "/a.prt").c_str());
  ASSERT_NE(file, nullptr);
  int version = -1;
  ASSERT_EQ(vek::pfa_get_file_vers(file, 1, &version), 0);
  EXPECT_EQ(version, 2);
  yrltest::write_file(path + "/a.prt.3", "theirs");
  ASSERT_EQ(vek::pfa_get_file_vers(file, 1, &version), 0);
  EXPECT_EQ(version, 3);
  // Even with the directory's time put back, so that no test can see the new file.
  age(path);
  ASSERT_EQ(vek::pfa_get_file_vers(file, 1, &version), 0);
  struct timespec kept = mtime_of(path);
  yrltest::write_file(path + "/a.prt.4", "theirs too");
  set_mtime(path, kept);
  ASSERT_EQ(vek::pfa_get_file_vers(file, 1, &version), 0);
  EXPECT_EQ(version, 3);  // the cache cannot know
  ASSERT_EQ(vek::pfa_fopen(file, 2, "w"), 0);
  EXPECT_EQ(file->version, 5);
  EXPECT_EQ(vek::pfa_fputs(file, "mine"), 0);
  EXPECT_EQ(vek::pfa_close(file), 0);
  EXPECT_EQ(yrltest::read_file(path + "/a.prt.4"), "theirs too");
  EXPECT_EQ(yrltest::read_file(path + "/a.prt.5"), "mine");
  // Descriptor-style opens make the next version the same way.
  yrltest::write_file(path + "/a.prt.6", "theirs");
  set_mtime(path, kept);
  vek::VynFile* again = vek::pfa_alloc_file((path + "/a.prt").c_str());
  ASSERT_EQ(vek::pfa_open(again, 2, 0x100 | 0x1, 0x180), 0);
  EXPECT_GE(again->version, 7);
  EXPECT_EQ(vek::pfa_close(again), 0);
  EXPECT_EQ(yrltest::read_file(path + "/a.prt.6"), "theirs");
  vek::pfa_free_vyn_file(&again);
  vek::pfa_free_vyn_file(&file);
}

// Processes that write the next version of one file at the same moment, half by stream
// and half by descriptor, each from a listing of its own: each gets a version of its
// own, and every version stands whole with the bytes of the one process that wrote it.
TEST_F(PfaFsDirTest, ProcessesRacingForTheNextVersionNeverShareOne) {
  vek::pfa_set_dir_cache(1);
  const std::string path = old_dir("race");
  for (const char* name : {"a.prt.1", "a.prt.2"}) yrltest::write_file(path + "/" + name, name);
  age(path);
  const std::string name = path + "/a.prt";
  constexpr int kWriters = 12;
  auto bytes_of = [](int k) { return std::string(100000, static_cast<char>('A' + k)) + "."; };
  int gate[2];
  ASSERT_EQ(pipe(gate), 0);
  std::vector<pid_t> writers;
  for (int k = 0; k < kWriters; ++k) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      close(gate[1]);
      vek::VynFile* probe = vek::pfa_alloc_file(name.c_str());
      int highest = 0;
      vek::pfa_get_file_vers(probe, 1, &highest);
      vek::pfa_free_vyn_file(&probe);
      char go = 0;
      if (read(gate[0], &go, 1) < 0) _exit(2);  // all start when the gate closes
      const std::string bytes = bytes_of(k);
      vek::VynFile* f = k % 2 ? vek::pfa_open_file_vers(name.c_str(), 0x100 | 0x1, 0x180, 4)
                              : vek::pfa_fopen_file_vers(name.c_str(), "w", 4);
      int result = f ? vek::pfa_write_file(f, static_cast<int>(bytes.size()), bytes.data()) : 1;
      if (f && vek::pfa_dispose(&f) != 0) result = 1;
      _exit(result == 0 ? 0 : 1);
    }
    writers.push_back(pid);
  }
  close(gate[0]);
  close(gate[1]);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  for (pid_t pid : writers) {
    int status = -1;
    while (waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        break;
      }
      usleep(1000);
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer " << pid;
  }
  std::set<int> found;
  for (const auto& entry : fs::directory_iterator(path)) {
    const std::string file = entry.path().filename();
    const std::string text = yrltest::read_file(entry.path());
    if (file == "a.prt.1" || file == "a.prt.2") {
      EXPECT_EQ(text, file);
      continue;
    }
    int writer = text.empty() ? -1 : text[0] - 'A';
    bool whole = writer >= 0 && writer < kWriters && text == bytes_of(writer);
    EXPECT_TRUE(whole && found.insert(writer).second) << file << " is not one writer's whole file";
  }
  EXPECT_EQ(found.size(), static_cast<std::size_t>(kWriters));
}

// A listing taken while its directory's time was within the clock's grain is kept with
// caching automatic, but never lent: a change in the same tick leaves the time as it was.
TEST_F(PfaFsDirTest, AListingTakenWithinTheGrainIsNeverLent) {
  vek::pfa_set_dir_cache(1);
  std::string path = dir.file("recent");
  fs::create_directories(path);
  EXPECT_TRUE(scanned(path).empty());
  EXPECT_EQ(vek::pfa_dir_cache_entries(), 1);  // kept as state 19
  struct timespec kept = mtime_of(path);
  yrltest::write_file(path + "/same_tick.txt", "x");
  set_mtime(path, kept);
  EXPECT_EQ(scanned(path), (std::set<std::string>{"same_tick.txt"}));
}

// A running memory-debugger loop drops what the cache holds.
TEST_F(PfaFsDirTest, AMemoryLoopDropsTheCache) {
  std::string path = old_dir("looped");
  open_close(path);
  EXPECT_EQ(vek::pfa_dir_cache_entries(), 1);
  ASSERT_EQ(vek::debug_memory_loop(), 1);
  long before = listings();
  open_close(path);
  EXPECT_EQ(listings(), before + 1);
  vek::debug_cancel_memory_loop();
  EXPECT_EQ(vek::get_in_debug_memory_loop(), 0);
}

// Entries used in the current second are not the oldest: a full cache then grows rather
// than drop a listing it may need at once.
TEST_F(PfaFsDirTest, EntriesOfTheCurrentSecondAreNeverEvicted) {
  ASSERT_EQ(vek::set_dir_cache_max(0, u"3"), 256);
  std::vector<std::string> paths;
  for (int i = 0; i < 4; ++i) paths.push_back(old_dir("s" + std::to_string(i)));
  w32::clock_testing_start(static_cast<std::int64_t>(time(nullptr) + 86400) * 1000);
  for (const std::string& p : paths) open_close(p);
  EXPECT_EQ(vek::pfa_dir_cache_entries(), 4);
  long before = listings();
  for (const std::string& p : paths) open_close(p);
  EXPECT_EQ(listings(), before);
  // A second later the oldest goes.
  w32::clock_testing_advance(1000);
  open_close(paths[1]);
  open_close(paths[2]);
  open_close(paths[3]);
  w32::clock_testing_advance(1000);
  open_close(old_dir("s4"));
  EXPECT_EQ(vek::pfa_dir_cache_entries(), 4);
  before = listings();
  open_close(paths[0]);
  EXPECT_EQ(listings(), before + 1);
}

// What a scan takes: directories and files by the flags, then patterns on the name
// without its version (typed ones only where the extension allows), then the version.
TEST_F(PfaFsDirTest, TheScanFilterTakesByFlagsPatternsAndVersion) {
  vek::Pfa_Scan_Filter prt{};
  ASSERT_EQ(vek::string_to_Pfa_Scan_Filter("*.PRT", 0, 3, &prt), 0);
  vek::Pfa_Scan_Filter any{};
  ASSERT_EQ(vek::string_to_Pfa_Scan_Filter("a*", 1, 0, &any), 0);
  const int both = vek::PFA_SCAN_FILES | vek::PFA_SCAN_DIRS;
  struct Case {
    const char* name;
    int directory;
    vek::Pfa_Scan_Filter* filter;
    int flags;
    int taken;
  };
  const Case cases[] = {
      {"sub", 1, &prt, vek::PFA_SCAN_FILES, 0}, {"sub", 1, &prt, both, 1},
      {"x.prt.3", 0, &prt, vek::PFA_SCAN_DIRS, 0}, {"x.prt.3", 0, nullptr, both, 1},
      {"x.prt.3", 0, &prt, both, 1},            {"x.prt.2", 0, &prt, both, 0},
      {"X.PRT.3", 0, &prt, both, 1},            {"x.asm.3", 0, &prt, both, 0},
      {"a.txt", 0, &any, both, 1},              {"a.txt.9", 0, &any, both, 1},
      {"b.txt", 0, &any, both, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(vek::pfautl_check_file(c.name, c.directory, c.filter, c.flags), c.taken) << c.name;
  vek::pfa_clean_scan_filter(&prt);
  vek::pfa_clean_scan_filter(&any);
  // An entry read relative to its directory takes the directory's location and keeps the
  // case it was read in.
  vek::VynFile* d = vek::pfa_alloc_dir(dir.path().c_str());
  vek::VynFile* entry = nullptr;
  ASSERT_EQ(vek::pfa_alloc_vyn_file(&entry), 0);
  ASSERT_EQ(vek::parse_to_pfa(entry, 0, "Mixed.PRT.2"), 0);
  vek::pfautl_update_entry(entry, d, 0, 0);
  char full[vek::PFA_NAME_SIZE];
  ASSERT_EQ(vek::pfa_get_full_name(entry, full), 0);
  char location[vek::PFA_NAME_SIZE];
  ASSERT_EQ(vek::pfa_get_location(d, location, nullptr), 0);
  EXPECT_EQ(std::string(full), std::string(location) + "Mixed.PRT.2");
  EXPECT_EQ(entry->object_type, 2);
  vek::pfa_free_vyn_file(&entry);
  vek::pfa_free_vyn_file(&d);
}

// The last letter names a drive like every other.
TEST_F(PfaFsDirTest, DriveZ) {
  EXPECT_EQ(vek::pfafs_NT_drive_letter_to_int('Z'), 26);
  EXPECT_EQ(vek::pfafs_NT_drive_letter_to_int('z'), 26);
  EXPECT_EQ(vek::pfafs_NT_drive_letter_to_int('['), -1);
  EXPECT_EQ(vek::pfafs_NT_drive_letter_to_int('@'), -1);
  yrltest::TempDir z;
  ASSERT_TRUE(w32::w32_set_drive('Z', z.path().c_str()));
  EXPECT_EQ(listed("pfafs:drives"), (std::vector<std::string>{"C:\\", "Z:\\"}));
  const vek::NtDriveRecord* record = vek::get_nt_drive_info('z');
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->info.letter, 'Z');
  EXPECT_EQ(vek::get_win32_cached_drive_info('Z'), record);
  EXPECT_EQ(vek::is_drive_cachable('Z'), 1);
  EXPECT_EQ(vek::get_nt_drive_info('1'), nullptr);
  EXPECT_EQ(vek::append_drive('@'), nullptr);
}

TEST_F(PfaFsDirTest, TheMaximumAndTheDebugSwitch) {
  EXPECT_EQ(vek::set_dir_cache_max(0, u"12"), 256);
  EXPECT_EQ(vek::get_dir_cache_max(), 12);
  EXPECT_EQ(vek::set_dir_cache_max(0, u"many"), 12);
  EXPECT_EQ(vek::get_dir_cache_max(), 12);
  struct Row {
    const char* value;
    int on;
  } rows[] = {{nullptr, 0}, {"false", 0}, {"F", 0}, {"1", 1}, {"true", 1}};
  for (const Row& row : rows) {
    if (row.value) setenv("___DIR_CACHE_DEBUG", row.value, 1);
    else unsetenv("___DIR_CACHE_DEBUG");
    vek::ntdircache_testing_reset();
    EXPECT_EQ(vek::pfa_dir_cache_debug(), row.on) << (row.value ? row.value : "unset");
  }
  unsetenv("___DIR_CACHE_DEBUG");
  vek::ntdircache_testing_reset();
}

}  // namespace

namespace {

TEST_F(PfaFsDirTest, InstanceScansMarkFamilyInstancesGeneric) {
  yrltest::write_file(dir.file("bolt<m8>.prt"), "x");
  yrltest::write_file(dir.file("plain.prt"), "x");
  vek::VynFile* d = vek::pfa_alloc_dir(dir.path().c_str());
  int count = 0;
  vek::VynFile** list = nullptr;
  ASSERT_EQ(vek::pfa_scandir(d, vek::PFA_SCAN_FILES | vek::PFA_SCAN_INSTANCES | vek::PFA_SCAN_SORTED,
                             nullptr, &count, &list),
            0);
  ASSERT_EQ(count, 2);
  char name[260];
  vek::pfa_get_file_name(list[0], 8, name);
  EXPECT_STREQ(name, "bolt<m8>");
  EXPECT_EQ(vek::pfa_is_generic_in_name(list[0]), 1);
  EXPECT_EQ(vek::pfa_is_generic_in_name(list[1]), 0);
  // Without the flag the same entry is a plain name.
  ASSERT_EQ(vek::pfa_scandir(d, vek::PFA_SCAN_FILES | vek::PFA_SCAN_SORTED, nullptr, &count, &list), 0);
  EXPECT_EQ(vek::pfa_is_generic_in_name(list[0]), 0);
  // The names of a scan as wide texts.
  void* names = nullptr;
  std::u16string wide_dir(dir.path().begin(), dir.path().end());
  EXPECT_EQ(vek::pfa_scandir_to_array(wide_dir.c_str(), u"plain*", 24, &names), 1);
  ASSERT_EQ(vek::xar_count(&names), 1);
  EXPECT_EQ(std::u16string(static_cast<VynWchar**>(names)[0]), u"plain.prt");
  vek::relmem(&static_cast<VynWchar**>(names)[0]);
  vek::xar_free(&names);
  vek::pfa_free_vyn_file(&d);
}

}  // namespace

#include "platform/w32/builtin_module_testing.h"
#include "platform/w32/filetime.h"

namespace {

// The server's clock as the time service tells it: the local time plus this many seconds.
int g_server_ahead = 0;
int g_tod_calls = 0;

w32::DWORD fake_remote_tod(const char16_t* server, unsigned char** buffer) {
  ++g_tod_calls;
  if (std::u16string(server) != u"\\\\srv") return 53;
  static std::uint32_t reply[12];
  reply[0] = static_cast<std::uint32_t>(time(nullptr) + g_server_ahead);
  *buffer = reinterpret_cast<unsigned char*>(reply);
  return 0;
}

w32::DWORD fake_buffer_free(void*) { return 0; }

// On a network drive the grain is 30 s of the server's clock; without the time service
// (or for an unknown server) every time counts as too recent.
TEST_F(PfaFsDirTest, NetworkTimesAreCorrectedByTheServersClock) {
  yrltest::TempDir share;
  ASSERT_TRUE(w32::w32_set_drive('R', share.path().c_str()));
  ASSERT_TRUE(w32::volume_testing_set_drive('R', w32::DRIVE_REMOTE, "NTFS", nullptr,
                                            "\\\\srv\\data"));
  w32::FILETIME now;
  w32::GetSystemTimeAsFileTime(&now);
  const std::uint64_t local_now = (std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
  const std::uint64_t written_25s_ago = local_now - 25ull * 10000000ull;
  EXPECT_EQ(vek::nt_dir_mod_time_too_recent("R:\\x\\", written_25s_ago), 1);  // no service
  EXPECT_EQ(vek::nt_dir_mod_time_too_recent("C:\\x\\", written_25s_ago), 0);  // local: 2 s

  static const w32::BuiltinModuleProc procs[] = {
      {"NetRemoteTOD", reinterpret_cast<w32::FARPROC>(&fake_remote_tod)},
      {"NetApiBufferFree", reinterpret_cast<w32::FARPROC>(&fake_buffer_free)}};
  ASSERT_TRUE(w32::builtin_module_testing_register("NETAPI32", procs, 2));
  ASSERT_NE(w32::LoadLibraryA("NETAPI32"), nullptr);
  struct Row {
    int server_ahead;
    int too_recent;
  } rows[] = {{10, 0}, {-10, 1}};
  for (const Row& row : rows) {
    vek::ntdircache_testing_reset();  // the offset is asked once per server
    g_server_ahead = row.server_ahead;
    g_tod_calls = 0;
    EXPECT_EQ(vek::nt_dir_mod_time_too_recent("R:\\x\\", written_25s_ago), row.too_recent)
        << row.server_ahead;
    EXPECT_EQ(vek::nt_dir_mod_time_too_recent("R:\\y\\", written_25s_ago), row.too_recent);
    EXPECT_EQ(g_tod_calls, 1);
    std::int64_t offset = 0;
    EXPECT_EQ(vek::nt_host_time_adjustment("srv", &offset), 1);
    EXPECT_NEAR(static_cast<double>(offset) / 1e7, row.server_ahead, 2.0);
  }
  EXPECT_EQ(vek::nt_host_time_adjustment("other", nullptr), 0);  // asked, unknown
  EXPECT_EQ(vek::nt_dir_mod_time_too_recent("\\\\other\\share\\", written_25s_ago), 1);
}

}  // namespace

namespace {

TEST_F(PfaFsDirTest, TheNetworkListsItsHostsAndAHostItsShares) {
  ASSERT_TRUE(w32::w32_set_unc_root(dir.path().c_str()));
  fs::create_directories(dir.file("alpha/docs"));
  fs::create_directories(dir.file("alpha/tools"));
  fs::create_directories(dir.file("beta/pub"));
  auto list = [](const char* path) {
    std::vector<std::string> names = listed(path);
    std::sort(names.begin(), names.end());
    return names;
  };
  EXPECT_EQ(list("\\\\"), (std::vector<std::string>{"alpha", "beta"}));
  EXPECT_EQ(list("\\\\alpha"), (std::vector<std::string>{"docs", "tools"}));
  EXPECT_EQ(list("\\\\alpha\\"), (std::vector<std::string>{"docs", "tools"}));
  EXPECT_EQ(vek::nt_opendir("\\\\nohost", nullptr, 0), nullptr);
}

}  // namespace

#include "platform/w32/system.h"
#include "platform/w32/system_testing.h"
#include "runtime/system/sysinfo_testing.h"

namespace {

// On the older system family reading and writing on a fixed drive ask no security: a
// file unreadable by its mode is still readable there, and no version is registered.
TEST_F(PfaFsDirTest, TheOlderSystemFamilySkipsSecurityAndRegistration) {
  yrltest::write_file(dir.file("locked.txt"), "x");
  yrltest::write_file(dir.file("v.prt.4"), "x");
  fs::permissions(dir.file("locked.txt"), fs::perms::none);
  vek::VynFile* f = vek::pfa_alloc_file(dir.file("locked.txt").c_str());
  if (geteuid() != 0) {
    EXPECT_EQ(vek::pfaloc_call_FII(f, vek::PfaAccess, 4, 0), 0);  // asked of the system
  }
  w32::system_testing_set_platform(w32::VER_PLATFORM_WIN32_WINDOWS);
  vek::sysinfo_testing_reset();
  EXPECT_EQ(vek::pfaloc_call_FII(f, vek::PfaAccess, 4, 0), 1);
  vek::pfa_free_vyn_file(&f);
  vek::nt_set_registry_string(w32::HKEY_CURRENT_USER, "Software\\VEK", "mavrelmsg", 260, "open");
  vek::nt_set_registry_string(w32::HKEY_CURRENT_USER, "Software\\VEK", "vekicon", 260, "icon");
  vek::VynFile* v = vek::pfa_alloc_file(dir.file("v.prt").c_str());
  int version = 0;
  EXPECT_EQ(vek::pfa_get_file_vers(v, 1, &version), 0);
  EXPECT_EQ(version, 4);
  char value[64];
  EXPECT_EQ(vek::nt_get_registry_string(w32::HKEY_CLASSES_ROOT, ".4", nullptr, 64, value), 0);
  vek::pfa_free_vyn_file(&v);
  fs::permissions(dir.file("locked.txt"), fs::perms::owner_all);
}

}  // namespace
