// Making, reading and deleting directories on a temporary drive, with a fault sweep over
// the forced recursive delete.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "fileaccess/core/pfa.h"
#include "fileaccess/core/pfadir.h"
#include "fileaccess/core/pfadircache.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfaname.h"
#include "fileaccess/names/pfavers.h"
#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"
#include "platform/w32/path.h"
#include "platform/w32/types.h"
#include "platform/w32/winpath.h"
#include "runtime/memory/xar.h"
#include "tests/fileaccess/disk_test.h"
#include "tests/fileaccess/fault_sweep.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/support/console_capture.h"
#include "tests/support/temp_dir.h"

namespace {

bool exists(const std::string& path) { return yrltest::on_disk(path); }
unsigned mode_of(const std::string& path) { return yrltest::mode_on_disk(path); }
std::string windows(const std::string& posix) { return yrltest::windows_name(posix); }

class PfaDirOps : public yrltest::FileaccessTest {
 protected:
  // tree/ with a file, a read-only file, sub/ (mode 0750) with a file, and a link to a
  // directory outside the tree that holds a file of its own.
  void make_tree(const yrltest::TempDir& dir) {
    ASSERT_EQ(::mkdir(dir.file("tree").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(dir.file("tree/sub").c_str(), 0750), 0);
    ASSERT_EQ(::mkdir(dir.file("outside").c_str(), 0755), 0);
    yrltest::write_file(dir.file("tree/a.txt"), "a");
    yrltest::write_file(dir.file("tree/ro.txt"), "ro");
    ::chmod(dir.file("tree/ro.txt").c_str(), 0444);
    yrltest::write_file(dir.file("tree/sub/b.txt"), "b");
    yrltest::write_file(dir.file("outside/keep.txt"), "keep");
    ASSERT_EQ(::symlink(dir.file("outside").c_str(), dir.file("tree/link").c_str()), 0);
  }
  std::map<std::string, unsigned> modes(const yrltest::TempDir& dir) {
    std::map<std::string, unsigned> out;
    for (const char* name : {"tree", "tree/sub", "tree/a.txt", "tree/ro.txt", "tree/sub/b.txt"})
      out[name] = mode_of(dir.file(name));
    return out;
  }
};

TEST_F(PfaDirOps, MakeDirBuildsTheChainAndRefusesAnExistingOne) {
  yrltest::TempDir dir;
  vek::VynFile* deep = vek::pfa_alloc_dir(windows(dir.file("x/y/z")).c_str());
  ASSERT_NE(deep, nullptr);
  EXPECT_EQ(vek::pfa_make_dir(deep), vek::PFA_E_NO_ERROR);
  struct stat st;
  EXPECT_EQ(::stat(dir.file("x/y/z").c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(vek::pfa_make_dir(deep), vek::PFA_E_EXIST);
  vek::VynFile* file = vek::pfa_alloc_file(windows(dir.file("f.txt")).c_str());
  EXPECT_EQ(vek::pfa_make_dir(file), vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(vek::pfa_make_dir(nullptr), vek::PFA_E_NOT_VALID);
  vek::pfa_free_vyn_file(&file);
  vek::pfa_free_vyn_file(&deep);
}

TEST_F(PfaDirOps, ReadDirGivesEveryEntryWithTheDirectorysLocation) {
  yrltest::TempDir dir;
  make_tree(dir);
  vek::VynFile* tree = vek::pfa_alloc_dir(windows(dir.file("tree")).c_str());
  vek::VynFile* entry = nullptr;
  ASSERT_EQ(vek::pfa_alloc_vyn_file(&entry), 0);
  EXPECT_EQ(vek::pfa_read_dir(tree, entry), vek::PFA_E_INACTIVE);
  EXPECT_EQ(vek::pfa_read_dir(entry, entry), vek::PFA_E_NOT_VALID);
  ASSERT_EQ(vek::pfa_open_dir(tree), 0);
  std::set<std::string> names;
  while (vek::pfa_read_dir(tree, entry) == vek::PFA_E_NO_ERROR) {
    char full[260];
    ASSERT_EQ(vek::pfa_get_full_name(entry, full), 0);
    names.insert(full);
    EXPECT_NE(entry->flags & vek::PFA_FLAG_EXACT_CASE, 0u);
  }
  vek::pfa_close(tree);
  const std::string base = windows(dir.file("tree")) + "\\";
  std::set<std::string> expected;
  for (const char* name : {"a.txt", "ro.txt", "sub", "link"}) expected.insert(base + name);
  EXPECT_EQ(names, expected);
  vek::pfa_free_vyn_file(&entry);
  vek::pfa_free_vyn_file(&tree);
}

TEST_F(PfaDirOps, RecursiveDeleteChecksFirstAndNeverFollowsALink) {
  yrltest::TempDir dir;
  make_tree(dir);
  const auto before = modes(dir);
  vek::VynFile* tree = vek::pfa_alloc_dir(windows(dir.file("tree")).c_str());
  // Without force the read-only file stops everything before anything is deleted.
  EXPECT_EQ(vek::pfa_delete_dir(tree, 1, 0), vek::PFA_E_NO_ACCESS);
  EXPECT_TRUE(exists(dir.file("tree/a.txt")));
  EXPECT_TRUE(exists(dir.file("tree/sub/b.txt")));
  EXPECT_EQ(modes(dir), before);
  // Not recursive: a directory that holds anything stays.
  EXPECT_NE(vek::pfa_delete_dir(tree, 0, 0), vek::PFA_E_NO_ERROR);
  // The contents alone, forced: the link goes, what it led to stays.
  EXPECT_EQ(vek::pfa_delete_dir_contents(tree, 1), vek::PFA_E_NO_ERROR);
  EXPECT_TRUE(exists(dir.file("tree")));
  EXPECT_EQ(mode_of(dir.file("tree")), before.at("tree"));
  for (const char* name : {"tree/a.txt", "tree/ro.txt", "tree/sub", "tree/link"})
    EXPECT_FALSE(exists(dir.file(name))) << name;
  EXPECT_EQ(yrltest::read_file(dir.file("outside/keep.txt")), "keep");
  EXPECT_EQ(vek::pfa_delete_dir(tree, 0, 0), vek::PFA_E_NO_ERROR);
  EXPECT_FALSE(exists(dir.file("tree")));
  vek::pfa_free_vyn_file(&tree);
}

const char* const SWEPT_CALLS[] = {"DeleteFileA", "RemoveDirectoryA", "FindFirstFileA",
                                   "FindNextFileA", "GetFileAttributesA", "_access",
                                   "_chmod", "SetFileAttributesA"};

void unlink_hook(void* data) { ::unlink(static_cast<std::string*>(data)->c_str()); }

// The tree's own directory loses its write permission, which the forced delete must give
// back. Only root can still delete from such a directory through the stand-in (whose
// write-access answer for a directory does not look at the mode): for anyone else the
// directory stays writable.
void lock_tree(const yrltest::TempDir& dir) {
  if (::geteuid() == 0) ::chmod(dir.file("tree").c_str(), 0555);
}

// An entry the walk cannot make a handle of (a name too long for a full name, listed
// last) is no end of the listing: the check fails and nothing is deleted, nor moved.
TEST_F(PfaDirOps, AWalkThatBreaksOffDeletesNothing) {
  yrltest::TempDir dir;
  ASSERT_EQ(::mkdir(dir.file("tree").c_str(), 0755), 0);
  yrltest::write_file(dir.file("tree/a.txt"), "a");
  yrltest::write_file(dir.file("tree/b.txt"), "b");
  const std::string last = "tree/" + std::string(260 - dir.file("tree/").size(), 'z');
  yrltest::write_file(dir.file(last), "z");
  vek::VynFile* tree = vek::pfa_alloc_dir(dir.file("tree").c_str());
  EXPECT_EQ(vek::pfa_delete_dir(tree, 1, 0), vek::PFA_E_INVALID_NAME);
  EXPECT_EQ(vek::pfa_delete_dir_contents(tree, 1), vek::PFA_E_INVALID_NAME);
  EXPECT_EQ(vek::pfa_check_dir_deletable(tree), vek::PFA_E_INVALID_NAME);
  EXPECT_EQ(yrltest::read_file(dir.file("tree/a.txt")), "a");
  EXPECT_EQ(yrltest::read_file(dir.file("tree/b.txt")), "b");
  EXPECT_EQ(yrltest::read_file(dir.file(last)), "z");
  vek::pfa_free_vyn_file(&tree);
}

TEST_F(PfaDirOps, ForcedDeleteSweepKeepsPermissionsAndNeverLeavesTheTree) {
  std::map<std::string, long> calls;
  {
    yrltest::TempDir dir;
    make_tree(dir);
    lock_tree(dir);
    w32::fault_testing_reset();
    vek::VynFile* tree = vek::pfa_alloc_dir(windows(dir.file("tree")).c_str());
    EXPECT_EQ(vek::pfa_delete_dir(tree, 1, 1), vek::PFA_E_NO_ERROR);
    vek::pfa_free_vyn_file(&tree);
    EXPECT_FALSE(exists(dir.file("tree")));
    for (const char* name : SWEPT_CALLS)
      if (long n = w32::fault_testing_calls(name)) calls[name] = n;
  }
  ASSERT_FALSE(calls.empty());
  for (const auto& [name, n] : calls) {
    for (long k = 1; k <= yrltest::sweep_depth(n); ++k) {
      for (w32::DWORD code : {w32::ERROR_DISK_FULL, w32::ERROR_ACCESS_DENIED, w32::DWORD{0}}) {
        yrltest::TempDir dir;
        make_tree(dir);
        lock_tree(dir);
        auto before = modes(dir);
        std::string vanish = dir.file("tree/a.txt");
        w32::fault_testing_reset();
        if (code)
          ASSERT_TRUE(w32::fault_testing_fail_on_call(name.c_str(), static_cast<int>(k), code));
        else
          ASSERT_TRUE(w32::fault_testing_hook_call(name.c_str(), static_cast<int>(k), unlink_hook, &vanish));
        yrltest::note_swept(name);
        vek::VynFile* tree = vek::pfa_alloc_dir(windows(dir.file("tree")).c_str());
        int result;
        {
          yrltest::ConsoleCapture quiet;
          result = vek::pfa_delete_dir(tree, 1, 1);
        }
        vek::pfa_free_vyn_file(&tree);
        w32::fault_testing_reset();
        std::string why = name + " #" + std::to_string(k) + " code " + std::to_string(code) +
                          " result " + std::to_string(result);
        EXPECT_EQ(yrltest::read_file(dir.file("outside/keep.txt")), "keep") << why;
        if (result == vek::PFA_E_NO_ERROR) {
          EXPECT_FALSE(exists(dir.file("tree"))) << why;
        }
        for (const auto& [entry, mode] : before) {
          if (exists(dir.file(entry))) {
            EXPECT_EQ(mode_of(dir.file(entry)), mode) << why << " " << entry;
          }
        }
        ::chmod(dir.file("tree").c_str(), 0755);
        ::chmod(dir.file("tree/sub").c_str(), 0755);
      }
    }
  }
}

TEST_F(PfaDirOps, MovingIntoAnExistingDirectoryAndAcrossLocations) {
  yrltest::TempDir dir;
  make_tree(dir);
  ASSERT_EQ(::mkdir(dir.file("into").c_str(), 0755), 0);
  vek::VynFile* tree = vek::pfa_alloc_dir(windows(dir.file("tree")).c_str());
  vek::VynFile* into = vek::pfa_alloc_dir(windows(dir.file("into")).c_str());
  EXPECT_EQ(vek::pfa_move_dir(tree, into), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(yrltest::read_file(dir.file("into/tree/sub/b.txt")), "b");
  EXPECT_FALSE(exists(dir.file("tree")));
  char name[260];
  ASSERT_EQ(vek::pfa_get_full_name(into, name), 0);
  EXPECT_EQ(std::string(name), windows(dir.file("into/tree")) + "\\");
  EXPECT_EQ(vek::pfa_move_dir(tree, into), vek::PFA_E_NOT_FOUND);
  EXPECT_EQ(vek::pfa_move_dir(nullptr, into), vek::PFA_E_NOT_VALID);

  // Across location types the tree is copied; a link in it stops the move whole.
  yrltest::TempDir share;
  ASSERT_TRUE(w32::w32_set_unc_root(share.path().c_str()));
  ASSERT_EQ(::mkdir(share.file("srv").c_str(), 0755), 0);
  ASSERT_EQ(::mkdir(share.file("srv/share").c_str(), 0755), 0);
  vek::VynFile* moved = vek::pfa_alloc_dir(windows(dir.file("into/tree")).c_str());
  vek::VynFile* remote = vek::pfa_alloc_dir("\\\\srv\\share\\t");
  {
    yrltest::ConsoleCapture quiet;
    EXPECT_EQ(vek::pfa_move_dir(moved, remote), vek::PFA_E_NOT_ALLOWED);
  }
  EXPECT_FALSE(exists(share.file("srv/share/t")));
  EXPECT_EQ(yrltest::read_file(dir.file("into/tree/ro.txt")), "ro");
  ASSERT_EQ(::unlink(dir.file("into/tree/link").c_str()), 0);
  EXPECT_EQ(vek::pfa_move_dir(moved, remote), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(yrltest::read_file(share.file("srv/share/t/sub/b.txt")), "b");
  EXPECT_EQ(mode_of(share.file("srv/share/t/ro.txt")), 0444u);
  EXPECT_FALSE(exists(dir.file("into/tree")));
  for (vek::VynFile* f : {tree, into, moved, remote}) vek::pfa_free_vyn_file(&f);
}

TEST_F(PfaDirOps, MoveByCopyingSweepLosesNothing) {
  const char* const files[] = {"a.txt", "ro.txt", "sub/b.txt"};
  auto setup = [&](yrltest::TempDir& dir, yrltest::TempDir& share) {
    make_tree(dir);
    ::unlink(dir.file("tree/link").c_str());
    ASSERT_TRUE(w32::w32_set_unc_root(share.path().c_str()));
    ASSERT_EQ(::mkdir(share.file("srv").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(share.file("srv/share").c_str(), 0755), 0);
  };
  auto run = [&](yrltest::TempDir& dir) {
    vek::VynFile* tree = vek::pfa_alloc_dir(windows(dir.file("tree")).c_str());
    vek::VynFile* remote = vek::pfa_alloc_dir("\\\\srv\\share\\t");
    int result;
    {
      yrltest::ConsoleCapture quiet;
      result = vek::pfa_move_dir(tree, remote);
    }
    vek::pfa_free_vyn_file(&tree);
    vek::pfa_free_vyn_file(&remote);
    return result;
  };
  const char* const swept[] = {"CreateFileA", "ReadFile", "WriteFile", "CopyFileA",
                               "DeleteFileA", "RemoveDirectoryA", "CreateDirectoryExA",
                               "FindFirstFileA", "FindNextFileA", "_chmod"};
  std::map<std::string, long> calls;
  {
    yrltest::TempDir dir, share;
    setup(dir, share);
    w32::fault_testing_reset();
    ASSERT_EQ(run(dir), vek::PFA_E_NO_ERROR);
    for (const char* name : swept)
      if (long n = w32::fault_testing_calls(name)) calls[name] = n;
  }
  ASSERT_FALSE(calls.empty());
  for (const auto& [name, n] : calls) {
    for (long k = 1; k <= yrltest::sweep_depth(n); ++k) {
      for (w32::DWORD code : {w32::ERROR_DISK_FULL, w32::ERROR_ACCESS_DENIED}) {
        yrltest::TempDir dir, share;
        setup(dir, share);
        w32::fault_testing_reset();
        ASSERT_TRUE(w32::fault_testing_fail_on_call(name.c_str(), static_cast<int>(k), code));
        yrltest::note_swept(name);
        int result = run(dir);
        w32::fault_testing_reset();
        std::string why = name + " #" + std::to_string(k) + " code " + std::to_string(code) +
                          " result " + std::to_string(result);
        // Every file is whole in the source tree, or the target tree is whole.
        bool source_whole = true, target_whole = true;
        for (const char* f : files) {
          std::string a = dir.file(std::string("tree/") + f);
          std::string b = share.file(std::string("srv/share/t/") + f);
          std::string want = std::string(f) == "sub/b.txt" ? "b" : std::string(f) == "a.txt" ? "a" : "ro";
          source_whole = source_whole && exists(a) && yrltest::read_file(a) == want;
          target_whole = target_whole && exists(b) && yrltest::read_file(b) == want;
        }
        EXPECT_TRUE(source_whole || target_whole) << why;
        if (result == vek::PFA_E_NO_ERROR) {
          EXPECT_TRUE(target_whole) << why;
        } else if (target_whole) {
          // The copy stood and the source could not all be deleted: no part of it stays
          // under its name, so that the failure is never read as a source left as it was;
          // what is left stands beside it under one fresh name.
          EXPECT_FALSE(exists(dir.file("tree"))) << why << ": a part under the source's name";
          int beside = 0;
          for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            if (e.path().filename() != "outside") ++beside;
          EXPECT_LE(beside, 1) << why;
        } else if (!target_whole) {
          // Failed before the copy stood whole: the source as it was, no partial target.
          EXPECT_TRUE(source_whole) << why;
          EXPECT_FALSE(exists(share.file("srv/share/t"))) << why << ": partial target left";
          EXPECT_EQ(mode_of(dir.file("tree")), 0755u) << why;
        }
        ::chmod(dir.file("tree").c_str(), 0755);
        ::chmod(dir.file("tree/sub").c_str(), 0755);
      }
    }
  }
}

int supply_chdir(VynWord data, vek::VynFile*, vek::VynFile** out) {
  *out = reinterpret_cast<vek::VynFile*>(data);
  return 1;
}

TEST_F(PfaDirOps, ChdirMovesTheLayersCurrentDirectoryAndAsksTheHooks) {
  yrltest::TempDir dir;
  make_tree(dir);
  char before[260];
  ASSERT_EQ(vek::pfa_get_full_name(vek::pfa_get_cur_dir(), before), 0);
  vek::VynFile* sub = vek::pfa_alloc_dir(windows(dir.file("tree/sub")).c_str());
  vek::VynFile* missing = vek::pfa_alloc_dir(windows(dir.file("nowhere")).c_str());
  vek::VynFile* file = vek::pfa_alloc_file(windows(dir.file("tree/a.txt")).c_str());
  EXPECT_EQ(vek::pfa_chdir(file), vek::PFA_E_NOT_VALID);
  EXPECT_EQ(vek::pfa_chdir(nullptr), vek::PFA_E_NOT_VALID);
  EXPECT_EQ(vek::pfa_chdir(missing), vek::PFA_E_ERROR);
  char now[260];
  ASSERT_EQ(vek::pfa_get_full_name(vek::pfa_get_cur_dir(), now), 0);
  EXPECT_EQ(std::string(now), std::string(before));
  EXPECT_EQ(vek::pfa_chdir(sub), vek::PFA_E_NO_ERROR);
  ASSERT_EQ(vek::pfa_get_full_name(vek::pfa_get_cur_dir(), now), 0);
  EXPECT_EQ(std::string(now), windows(dir.file("tree/sub")) + "\\");
  // A relative name now resolves there.
  vek::VynFile* relative = vek::pfa_fopen_file("b.txt", "r");
  ASSERT_NE(relative, nullptr);
  vek::pfa_dispose(&relative);
  // A kind 2 hook supplies the directory to use instead.
  vek::VynFile* tree = vek::pfa_alloc_dir(windows(dir.file("tree")).c_str());
  int id = vek::PfaNotificationAdd(vek::PFA_NOTIFY_CHDIR, supply_chdir,
                                   reinterpret_cast<VynWord>(tree), nullptr);
  EXPECT_EQ(vek::pfa_chdir(file), vek::PFA_E_NO_ERROR);
  vek::PfaNotificationIdRemove(vek::PFA_NOTIFY_CHDIR, id);
  ASSERT_EQ(vek::pfa_get_full_name(vek::pfa_get_cur_dir(), now), 0);
  EXPECT_EQ(std::string(now), windows(dir.file("tree")) + "\\");
  for (vek::VynFile* f : {sub, missing, file, tree}) vek::pfa_free_vyn_file(&f);
}

int g_freed = 0;
int answer_modes(vek::VynFile*, void* modes, void*) {
  *static_cast<int*>(modes) = 6;
  return 0;
}
int answer_two(vek::VynFile*, void*, void*) { return 2; }
int answer_one(vek::VynFile*, void*, void*) { return 1; }

// What a location method was handed, for the queries that only pass their arguments on.
struct Handed {
  vek::VynFile* file = nullptr;
  int ints[3] = {};
  void* pointers[4] = {};
};
Handed g_handed;
int entry_info(vek::VynFile* dir, void**, vek::VynFile* entry, int a, int b, int c, void* p0,
               void* p1, void* p2, void* p3) {
  g_handed = {entry, {a, b, c}, {p0, p1, p2, p3}};
  return dir == entry ? 3 : -3;
}
int detail_configs(vek::VynFile*, void* names, void* data, void*, void*) {
  void* name = names;
  vek::xar_append(static_cast<void**>(names), 1, &name);
  vek::xar_append(static_cast<void**>(data), 1, &name);
  return 0;
}
int properties_url(vek::VynFile*, void* url) {
  *static_cast<std::string*>(url) = "url";
  return 0;
}
int top_parent(vek::VynFile*, void* out) {
  *static_cast<std::string*>(out) = "top";
  return 0;
}
int ui_mgr_top_parent(vek::VynFile*, void* out, void* second) {
  *static_cast<std::string*>(out) += second ? "+second" : "+layer";
  return 0;
}
int add_config(void* a, void*, void*) {
  ++*static_cast<int*>(a);
  return 3;  // an answer is not passed on
}
// The location names the texts; the user-managed layer appends to the first.
int location_ui_info(vek::VynFile*, vek::VynFile*, void* a, void*, void*, void*) {
  *static_cast<std::string*>(a) += "location";
  return 4;
}
int ui_mgr_info(void*, void* a, void*, void*, void*) {
  *static_cast<std::string*>(a) += "+layer";
  return 0;
}
// Adds one folder handle for the directory named by argument.
int add_top_folder(void* p_folders, void* argument) {
  vek::VynFile* folder = vek::pfa_alloc_dir(static_cast<const char*>(argument));
  vek::xar_append(p_folders, 1, &folder);
  return 0;
}
// Puts argument into the second of the three shortcut arrays.
int add_shortcut(void* argument, void*, void* p_b, void*) {
  vek::xar_append(p_b, 1, &argument);
  return 0;
}
int free_config(void* word) {
  g_freed += static_cast<int>(reinterpret_cast<VynWord>(word));
  return 0;
}

TEST_F(PfaDirOps, DisplayQuestionsGoToTheLocation) {
  yrltest::TempDir dir;
  vek::VynFile* d = vek::pfa_alloc_dir(windows(dir.path()).c_str());
  // Without the methods the dispatcher's -1 comes back; invalid handles have their codes.
  int count = 0;
  EXPECT_EQ(vek::pfadir_get_num_detail_columns(d, &count), -1);
  EXPECT_EQ(vek::pfadir_has_detail_configs(d, nullptr, nullptr), 0);
  EXPECT_EQ(vek::pfadir_get_allowed_disp_modes(nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(vek::pfadir_get_num_detail_columns(nullptr, &count), vek::PFA_E_NOT_VALID);
  EXPECT_EQ(vek::pfa_get_properties_url(nullptr, nullptr), vek::PFA_E_NOT_VALID);
  vek::VynFile** none = nullptr;
  EXPECT_EQ(vek::pfa_get_top_level_folders(&none, nullptr), vek::PFA_E_NOT_FOUND);
  EXPECT_EQ(none, nullptr);

  ASSERT_TRUE(vek::pfa_loc_register_append(1));
  vek::pfa_loc_method_register(1, vek::PfaDirAllowedDispModes, vek::PLM_CALL_FPP,
                               vek::as_method(&answer_modes));
  vek::pfa_loc_method_register(1, vek::PfaDirHasDetailConfigs, vek::PLM_CALL_FPP,
                               vek::as_method(&answer_two));
  vek::pfa_loc_method_register(1, vek::PfaDirSetDetailConfig, vek::PLM_CALL_FPP,
                               vek::as_method(&answer_one));
  vek::pfa_loc_method_register(1, vek::PfaDirFreeDetailConfigData, vek::PLM_CALL_P,
                               vek::as_method(&free_config));
  vek::pfa_loc_method_register(1, vek::PfaGetBrowserConfigVals, vek::PLM_CALL_PPP,
                               vek::as_method(&add_config));
  vek::pfa_loc_method_register(1, vek::PfaTopLevelFolders, vek::PLM_CALL_PP,
                               vek::as_method(&add_top_folder));
  vek::pfa_loc_method_register(1, vek::PfaGetBrowserShortcuts, vek::PLM_CALL_PPPP,
                               vek::as_method(&add_shortcut));
  vek::pfa_loc_method_register(1, vek::PfaGetUIInfo, vek::PLM_CALL_FFPPPP,
                               vek::as_method(&location_ui_info));
  vek::pfa_loc_register_setup(0);
  int modes = 0;
  EXPECT_EQ(vek::pfadir_get_allowed_disp_modes(d, &modes, nullptr), 0);
  EXPECT_EQ(modes, 6);
  // Only an answer of 1 counts as having configurations.
  EXPECT_EQ(vek::pfadir_has_detail_configs(d, nullptr, nullptr), 0);
  EXPECT_EQ(vek::pfadir_set_detail_config(d, nullptr, nullptr), 1);
  VynWord words[12] = {};
  words[1] = 5;
  words[3] = 7;  // an unregistered type is skipped
  g_freed = 0;
  vek::pfadir_free_det_config_data(words);
  EXPECT_EQ(g_freed, 5);
  // Browser configuration: every registered type that has the method is asked.
  int asked = 0;
  EXPECT_EQ(vek::pfa_get_browse_config_items(&asked, nullptr, nullptr), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(asked, 1);
  // User-interface texts: the layer completes them only for the handle asked about itself.
  ASSERT_EQ(vek::pfa_register_ui_mgr(nullptr, nullptr, &ui_mgr_info, nullptr), 1);
  vek::VynFile* other = vek::pfa_alloc_dir(windows(dir.path()).c_str());
  std::string text;
  EXPECT_EQ(vek::pfa_get_ui_info(d, other, &text, nullptr, nullptr, nullptr), 4);
  EXPECT_EQ(text, "location");
  text.clear();
  EXPECT_EQ(vek::pfa_get_ui_info(d, d, &text, nullptr, nullptr, nullptr), 4);
  EXPECT_EQ(text, "location+layer");
  EXPECT_EQ(vek::pfa_get_ui_info(nullptr, d, &text, nullptr, nullptr, nullptr), vek::PFA_E_NOT_VALID);
  vek::pfa_register_ui_mgr(nullptr, nullptr, nullptr, nullptr);
  vek::pfa_free_vyn_file(&other);
  // Top-level folders: the location's and then the user-managed layer's.
  ASSERT_EQ(vek::pfa_register_ui_mgr(&add_top_folder, nullptr, nullptr, nullptr), 1);
  std::string top = windows(dir.path());
  vek::VynFile** folders = nullptr;
  EXPECT_EQ(vek::pfa_get_top_level_folders(&folders, top.data()), vek::PFA_E_NO_ERROR);
  ASSERT_NE(folders, nullptr);
  EXPECT_EQ(vek::xar_count(&folders), 2);
  EXPECT_TRUE(vek::pfa_is_valid(folders[1]));
  vek::pfa_free_folder_xarray(&folders);
  EXPECT_EQ(folders, nullptr);
  vek::pfa_register_ui_mgr(nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(vek::pfa_get_top_level_folders(nullptr, nullptr), vek::PFA_E_INVALID_INPUT);
  // Browser shortcuts: three new arrays, filled by the location types.
  char shortcut[] = "shortcut";
  char** shortcuts[3] = {};
  EXPECT_EQ(vek::pfa_get_browser_shortcuts(shortcut, &shortcuts[0], &shortcuts[1], &shortcuts[2]),
            vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::xar_count(&shortcuts[0]), 0);
  ASSERT_EQ(vek::xar_count(&shortcuts[1]), 1);
  EXPECT_STREQ(shortcuts[1][0], "shortcut");
  EXPECT_EQ(vek::xar_count(&shortcuts[2]), 0);
  for (char**& array : shortcuts) vek::xar_free(&array);
  EXPECT_EQ(vek::pfa_get_browser_shortcuts(shortcut, nullptr, &shortcuts[1], &shortcuts[2]),
            vek::PFA_E_INVALID_INPUT);
  vek::pfa_free_vyn_file(&d);
}

TEST_F(PfaDirOps, EntryInfoDetailConfigsUrlsAndTopParentGoToTheLocation) {
  yrltest::TempDir dir;
  vek::VynFile* d = vek::pfa_alloc_dir(windows(dir.path()).c_str());
  ASSERT_TRUE(vek::pfa_loc_register_append(1));
  vek::pfa_loc_method_register(1, vek::PfaDirGetEntryInfo, vek::PLM_CALL_FLFIIIPP,
                               vek::as_method(&entry_info));
  vek::pfa_loc_method_register(1, vek::PfaDirGetDetailConfigs, vek::PLM_CALL_FPPPP,
                               vek::as_method(&detail_configs));
  vek::pfa_loc_method_register(1, vek::PfaGetPropertiesURL, vek::PLM_CALL_FP,
                               vek::as_method(&properties_url));
  vek::pfa_loc_method_register(1, vek::PfaTopParentName, vek::PLM_CALL_FP,
                               vek::as_method(&top_parent));
  vek::pfa_loc_register_setup(0);
  // Entry information: the entry, the three ints, then the first pointer before the others.
  int p0 = 0, p1 = 0, p2 = 0, p3 = 0;
  EXPECT_EQ(vek::pfadir_get_entry_info(d, &p0, 4, 5, 6, &p1, &p2, &p3), 3);
  EXPECT_EQ(g_handed.file, d);
  EXPECT_EQ(g_handed.ints[0] * 100 + g_handed.ints[1] * 10 + g_handed.ints[2], 456);
  EXPECT_EQ(g_handed.pointers[0], &p0);
  EXPECT_EQ(g_handed.pointers[3], &p3);
  EXPECT_EQ(vek::pfadir_get_entry_info(nullptr, &p0, 4, 5, 6, &p1, &p2, &p3), vek::PFA_E_NOT_VALID);
  // Detail configurations: two new arrays that the location fills.
  void* names = nullptr;
  void* data = nullptr;
  EXPECT_EQ(vek::pfadir_get_detail_configs(d, &names, &data, nullptr, nullptr), 0);
  EXPECT_EQ(vek::xar_count(&names), 1);
  EXPECT_EQ(vek::xar_count(&data), 1);
  vek::xar_free(&names);
  vek::xar_free(&data);
  EXPECT_EQ(vek::pfadir_get_detail_configs(d, nullptr, &data, nullptr, nullptr),
            vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(data, nullptr);
  // The folder's contents address is the location's properties address.
  std::string url;
  EXPECT_EQ(vek::pfadir_folder_contents_url(d, &url), 0);
  EXPECT_EQ(url, "url");
  // The top parent's name: the location's, completed by the user-managed layer.
  std::string top;
  EXPECT_EQ(vek::pfa_top_parent_name(d, &top), 0);
  EXPECT_EQ(top, "top");
  ASSERT_EQ(vek::pfa_register_ui_mgr(nullptr, &ui_mgr_top_parent, nullptr, nullptr), 1);
  top.clear();
  EXPECT_EQ(vek::pfa_top_parent_name(d, &top), 0);
  EXPECT_EQ(top, "top+layer");
  vek::pfa_register_ui_mgr(nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(vek::pfa_top_parent_name(nullptr, &top), vek::PFA_E_NOT_VALID);
  vek::pfa_free_vyn_file(&d);
}

}  // namespace
