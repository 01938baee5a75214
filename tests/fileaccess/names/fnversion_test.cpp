// Versions in file names: texts, lookups over real directories, opening and renaming.
#include "fileaccess/names/fnversion.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "fileaccess/names/fnstring.h"
#include "platform/w32/environment.h"
#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"
#include "platform/w32/path.h"
#include "runtime/diag/runmode.h"
#include "runtime/memory/xar.h"
#include "runtime/system/sysinfo.h"
#include "tests/fileaccess/fault_sweep.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/fileaccess/names/names_test.h"
#include "tests/support/console_capture.h"
#include "tests/support/temp_dir.h"

namespace {

using yrltest::narrow;
using yrltest::widen;

class FnVersionText : public yrltest::FileaccessTest {};

TEST_F(FnVersionText, StripAndSplitTable) {
  struct Case {
    std::string name;
    std::string no_version, no_extension, version_at;
    std::string path, base, extension;
    int has_version;
  };
  const Case cases[] = {
      {"C:\\d\\a.prt.3", "C:\\d\\a.prt", "C:\\d\\a", ".3", "C:\\d\\", "a", ".prt.3", 1},
      {"a.prt", "a.prt", "a", "", "", "a", ".prt", 0},
      {".cfg.2", ".cfg.2", ".cfg", "", "", ".cfg", ".2", 0},  // leading dot: base ".cfg"
      {"a.prt;2", "a.prt;2", "a", "", "", "a", ".prt;2", 1},
      {"d.x\\file", "d.x\\file", "d.x\\file", "", "d.x\\", "file", "", 0},
      {"d/a.prt.7", "d/a.prt", "d/a", ".7", "d/", "a", ".prt.7", 1},
      {"a.prt.x", "a.prt", "a", ".x", "", "a", ".prt.x", 0},  // not a version to parse
      {"", "", "", "", "", "", "", 0},
  };
  for (const Case& c : cases) {
    std::u16string name = widen(c.name);
    char16_t out[300];
    vek::strip_version_from_fname(name.c_str(), out);
    EXPECT_EQ(narrow(out), c.no_version) << c.name;
    // Stripping twice is stripping once.
    char16_t again[300];
    vek::strip_version_from_fname(out, again);
    EXPECT_EQ(narrow(again), c.no_version) << c.name;
    vek::strip_extension_from_fname(name.c_str(), out);
    EXPECT_EQ(narrow(out), c.no_extension) << c.name;
    char narrow_out[300];
    vek::strip_ext_from_ascii_fname(c.name.c_str(), narrow_out);
    EXPECT_EQ(std::string(narrow_out), c.no_extension) << c.name;
    EXPECT_EQ(narrow(vek::spg_file_version_ptr(name.c_str())), c.version_at) << c.name;
    char16_t path[300], base[300], extension[300];
    EXPECT_EQ(vek::get_path_name_ext(name.c_str(), path, base, extension), 0);
    EXPECT_EQ(narrow(path), c.path) << c.name;
    EXPECT_EQ(narrow(base), c.base) << c.name;
    EXPECT_EQ(narrow(extension), c.extension) << c.name;
    EXPECT_EQ(vek::fname_has_version(name.c_str()), c.has_version) << c.name;
  }
}

TEST_F(FnVersionText, VersionFromAsciiName) {
  struct Case {
    const char* name;
    int version;
    std::string out;
  };
  const Case cases[] = {
      {"a.prt.3", 3, "a.prt"},
      {"d\\a.prt.12", 12, "d\\a.prt"},
      {"a.prt.x", 0, "a.prt.x"},
      {"a.prt.", 0, "a.prt"},  // an empty version text loses its '.'
      {"dir\\", 0, "dir\\"},
      {"dir.1\\a", 0, "dir.1\\a"},  // a '.' in the directory is not the file's
      {".5", 0, ".5"},              // a leading dot begins the base name
      {"a.99999999999", 0, "a.99999999999"},
      {"", 0, ""},
  };
  for (const Case& c : cases) {
    char out[64];
    EXPECT_EQ(vek::get_version_from_ascii_fname(c.name, out), c.version) << c.name;
    EXPECT_EQ(std::string(out), c.out) << c.name;
  }
}

TEST_F(FnVersionText, PartsLowerCaseAndHeader) {
  char16_t path[300], base[300], extension[300], version[300];
  EXPECT_EQ(vek::get_path_name_ext_ver(u"C:\\d\\a.prt.3", path, base, extension, version), 1);
  EXPECT_EQ(narrow(path) + "|" + narrow(base) + "|" + narrow(extension) + "|" + narrow(version),
            "C:\\d\\|a|prt|3");
  std::u16string longest(261, u'a');
  EXPECT_EQ(vek::get_path_name_ext_ver(longest.c_str(), path, base, nullptr, version), 1);
  EXPECT_EQ(path[0] + base[0] + version[0], 0);

  char16_t lower[300];
  vek::cnvrt_filenm_only_to_lower(u"C:\\DIR\\A.PRT.3", lower);
  EXPECT_EQ(narrow(lower), "C:\\DIR\\a.prt.3");

  char16_t header[80];
  const vek::SystemInfo* info = vek::vyn_get_system_info();
  std::string expected = std::string(info->unused).substr(0, 15) + "_" +
                         std::string(info->os_name).substr(0, 15) + "_" +
                         std::string(info->version).substr(0, 15) + "_" +
                         std::string(info->build).substr(0, 15);
  EXPECT_EQ(vek::vyn_gen_filehdr_sys_info(header), static_cast<int>(expected.size()) + 1);
  EXPECT_EQ(narrow(header), expected);
  EXPECT_EQ(vek::vyn_gen_filehdr_sys_info(nullptr), 92);
}

class FnVersionFiles : public yrltest::FileaccessTest {
 protected:
  std::u16string wide(const std::string& name) const { return widen(dir_.file(name)); }
  void put(const std::string& name, const std::string& text) {
    yrltest::write_file(dir_.file(name), text);
  }
  std::string get(const std::string& name) const { return yrltest::read_file(dir_.file(name)); }
  bool exists(const std::string& name) const {
    return std::filesystem::exists(dir_.file(name));
  }
  // Empties the directory for the next run of a sweep.
  void clear() {
    for (const auto& e : std::filesystem::directory_iterator(dir_.path()))
      std::filesystem::remove_all(e.path());
  }
  static std::string read_all(std::FILE* f) {
    std::string text;
    if (!f) return "(not open)";
    char buffer[64];
    while (std::fgets(buffer, sizeof buffer, f)) text += buffer;
    std::fclose(f);
    return text;
  }
  yrltest::TempDir dir_;
};

TEST_F(FnVersionFiles, HighestAndAllVersions) {
  for (const char* v : {"1", "2", "3"}) put(std::string("a.prt.") + v, v);
  put("a.prt.x", "");   // not a version
  put("a.prt.07", "");  // a leading zero is not a version
  put("a.prtx.9", "");  // another file
  std::filesystem::create_directory(dir_.file("a.prt.8"));  // a directory is not a version
  EXPECT_EQ(vek::vyn_get_highest_version(wide("a.prt").c_str()), 3);
  EXPECT_EQ(vek::vyn_get_highest_version(wide("A.PRT").c_str()), 3);
  // With a handle the name is looked for in the directory it names.
  vek::VynFile* dir = vek::pfa_alloc_dir(dir_.path().c_str());
  EXPECT_EQ(vek::vyn_get_highest_version_low(u"a.prt", dir, -2), 3);
  EXPECT_EQ(vek::vyn_get_highest_version_low(u"C:\\elsewhere\\a.prt", dir, -2), 3);
  EXPECT_EQ(vek::vyn_get_highest_version_low(u"none.prt", dir, -2), 0);
  vek::pfa_free_vyn_file(&dir);
  std::int16_t* versions = nullptr;
  ASSERT_EQ(vek::vyn_get_all_versions(wide("a.prt").c_str(), &versions), 3);
  EXPECT_EQ(versions[0] * 100 + versions[1] * 10 + versions[2], 123);
  vek::xar_free(&versions);

  put("b.prt", "plain");
  EXPECT_EQ(vek::vyn_get_highest_version(wide("b.prt").c_str()), 1);
  ASSERT_EQ(vek::vyn_get_all_versions(wide("b.prt").c_str(), &versions), 1);
  EXPECT_EQ(versions[0], 1);  // the unversioned file counts as 1
  vek::xar_free(&versions);
  EXPECT_EQ(vek::vyn_get_highest_version(wide("none.prt").c_str()), 0);
  EXPECT_EQ(vek::vyn_get_all_versions(wide("none.prt").c_str(), &versions), 0);
  EXPECT_EQ(versions, nullptr);
  EXPECT_EQ(vek::vyn_file_highest_version(dir_.file("a.prt").c_str()), 3);

  // Many versions, listed out of order on disk.
  for (int v = 150; v >= 1; v -= 2) put("many.prt." + std::to_string(v), "");
  ASSERT_EQ(vek::vyn_get_all_versions(wide("many.prt").c_str(), &versions), 75);
  for (int i = 0; i < 75; ++i) EXPECT_EQ(versions[i], 2 * i + 2);
  vek::xar_free(&versions);
  EXPECT_EQ(vek::vyn_get_highest_version(wide("many.prt").c_str()), 150);
}

TEST_F(FnVersionFiles, OpenChoosesTheVersion) {
  for (const char* v : {"1", "2", "3"}) put(std::string("a.prt.") + v, v);
  std::FILE* f = vek::vyn_spg_fopen(wide("a.prt").c_str(), 0, "w");
  ASSERT_NE(f, nullptr);
  std::fputs("4", f);
  std::fclose(f);
  EXPECT_EQ(get("a.prt.4"), "4");
  EXPECT_EQ(read_all(vek::vyn_spg_fopen(wide("A.PRT").c_str(), 0, "r")), "4");
  EXPECT_EQ(read_all(vek::vyn_spg_fopen(wide("a.prt").c_str(), 2, "r")), "2");
  EXPECT_EQ(read_all(vek::vyn_spg_fopen(wide("a.prt.2").c_str(), -1, "r")), "2");
  EXPECT_EQ(vek::vyn_spg_fopen(wide("none.prt").c_str(), 0, "r"), nullptr);
  EXPECT_EQ(vek::vyn_spg_fopen(wide("a.prt.2").c_str(), 0, "r"), nullptr);  // has a version
  // After the last version a name can carry there is no next one to write.
  put("full.prt.32767", "last");
  EXPECT_EQ(vek::vyn_spg_fopen(wide("full.prt").c_str(), 0, "w"), nullptr);
  EXPECT_FALSE(exists("full.prt.32768"));
  // "a" mode: the highest, or 1 when there is none.
  std::FILE* g = vek::vyn_spg_fopen(wide("new.prt").c_str(), 0, "a");
  ASSERT_NE(g, nullptr);
  std::fclose(g);
  EXPECT_TRUE(exists("new.prt.1"));

  put("b.prt", "plain");  // only the unversioned file: version 1 falls back to it
  EXPECT_EQ(read_all(vek::vyn_spg_fopen(wide("b.prt").c_str(), 1, "r")), "plain");
  EXPECT_EQ(read_all(vek::vyn_spg_fopen(wide("b.prt").c_str(), 0, "r")), "plain");
  EXPECT_EQ(read_all(vek::vyn_fopen(dir_.file("a.prt").c_str(), 1, "r")), "1");

  char16_t opened[vek::VYN_NAME_MAX];
  int version = 0;
  EXPECT_EQ(read_all(vek::vyn_spg_try_rol_fopen(wide("a.prt").c_str(), opened, &version)), "4");
  EXPECT_EQ(narrow(opened), dir_.file("a.prt.4"));
  EXPECT_EQ(version, 4);
  EXPECT_EQ(read_all(vek::vyn_spg_try_rol_fopen(wide("b.prt").c_str(), opened, &version)),
            "plain");
  EXPECT_EQ(version, 1);
  EXPECT_EQ(vek::vyn_spg_try_rol_fopen(wide("a.prt.1").c_str(), opened, &version), nullptr);

  // A name whose version would take it to 260 characters is not opened under a cut name.
  std::string base = std::string(255 - dir_.path().size() - 1, 'n');
  put(base + ".1", "one");
  std::string full = dir_.file(base) + ".1";
  ASSERT_EQ(full.size(), 257u);
  EXPECT_EQ(read_all(vek::vyn_spg_fopen(widen(dir_.file(base)).c_str(), 1, "r")), "one");
  std::string longer = std::string(258 - dir_.path().size() - 1, 'n');
  EXPECT_EQ(vek::vyn_spg_fopen(widen(dir_.file(longer)).c_str(), 10, "w"), nullptr);
}

TEST_F(FnVersionFiles, RenameEveryVersionKeepsOtherTargetVersions) {
  put("a.prt.1", "a1");
  put("a.prt.3", "a3");
  put("t.prt.2", "t2");
  EXPECT_EQ(vek::file_rename(wide("a.prt.*").c_str(), wide("t.prt").c_str()), 1);
  EXPECT_EQ(get("t.prt.1"), "a1");
  EXPECT_EQ(get("t.prt.2"), "t2");
  EXPECT_EQ(get("t.prt.3"), "a3");
  EXPECT_FALSE(exists("a.prt.1"));
  EXPECT_FALSE(exists("a.prt.3"));

  // The unversioned file moves as version 1; a version part of the target is replaced.
  put("b.prt", "b");
  put("b.prt.2", "b2");
  EXPECT_EQ(vek::file_rename(wide("b.prt.*").c_str(), wide("u.prt.9").c_str()), 1);
  EXPECT_EQ(get("u.prt.1"), "b");
  EXPECT_EQ(get("u.prt.2"), "b2");
  EXPECT_FALSE(exists("u.prt.9"));

  EXPECT_EQ(vek::file_rename(wide("none.prt.*").c_str(), wide("v.prt").c_str()), 0);
  put("c.prt", "c");
  EXPECT_EQ(vek::file_rename(wide("c.prt").c_str(), wide("t.prt.2").c_str()), 1);
  EXPECT_EQ(get("t.prt.2"), "c");

  yrltest::ConsoleCapture console;
  std::u16string too_long(257, u'x');
  EXPECT_EQ(vek::file_rename(too_long.c_str(), u"y"), 0);
  EXPECT_EQ(console.out(), "File_rename: invalid filenames :\n " + std::string(257, 'x') +
                               " \n y\n");
}

TEST_F(FnVersionFiles, RenameStopsAtTheFirstFailure) {
  put("a.prt.1", "a1");
  put("a.prt.2", "a2");
  std::filesystem::create_directory(dir_.file("t.prt.1"));  // a directory is never replaced
  EXPECT_EQ(vek::file_rename(wide("a.prt.*").c_str(), wide("t.prt").c_str()), 0);
  EXPECT_TRUE(exists("a.prt.1"));
  EXPECT_TRUE(exists("a.prt.2"));
  EXPECT_FALSE(exists("t.prt.2"));
}

// Opening the next version for writing, swept: a version lookup that fails opens
// nothing, so that no existing version is taken for a free one and cut.
TEST_F(FnVersionFiles, WritingTheNextVersionNeverCutsAnExistingOne) {
  yrltest::SweepOp op;
  op.label = "vyn_spg_fopen a.prt, version 0, w";
  op.setup = [&] {
    clear();
    for (int v = 1; v <= 3; ++v) put("a.prt." + std::to_string(v), "v" + std::to_string(v));
  };
  op.run = [&] {
    std::FILE* f = vek::vyn_spg_fopen(wide("a.prt").c_str(), 0, "w");
    if (!f) return 1;
    std::fputs("new", f);
    return std::fclose(f) == 0 ? 0 : 1;
  };
  op.check = [&](const yrltest::SweepRun& run) {
    for (int v = 1; v <= 3; ++v)
      EXPECT_EQ(get("a.prt." + std::to_string(v)), "v" + std::to_string(v)) << run.why;
    if (run.result == 0) { EXPECT_EQ(get("a.prt.4"), "new") << run.why; }
  };
  yrltest::sweep_faults(op);
}

// The next version is made, never opened: one that another program wrote after the
// lookup keeps its bytes, and the stream opened is the version after it.
static void write_other_version(void* path) {
  yrltest::write_file(*static_cast<std::string*>(path), "written meanwhile");
}

TEST_F(FnVersionFiles, WritingTheNextVersionStepsOverOneWrittenMeanwhile) {
  for (int v = 1; v <= 3; ++v) put("a.prt." + std::to_string(v), "v" + std::to_string(v));
  std::string meanwhile = dir_.file("a.prt.4");
  ASSERT_TRUE(w32::fault_testing_hook_call("fopen", 1, write_other_version, &meanwhile));
  std::FILE* f = vek::vyn_spg_fopen(wide("a.prt").c_str(), 0, "w");
  EXPECT_EQ(w32::fault_testing_armed(), 0) << "the hook never ran";
  w32::fault_testing_reset();
  ASSERT_NE(f, nullptr);
  std::fputs("new", f);
  EXPECT_EQ(std::fclose(f), 0);
  EXPECT_EQ(get("a.prt.4"), "written meanwhile");
  EXPECT_EQ(get("a.prt.5"), "new");
}

// Every version is renamed, or the failure is reported: a listing that broke off, or
// a check that failed, must not leave versions behind under a success.
TEST_F(FnVersionFiles, RenameEveryVersionSweepLeavesNoVersionBehindASuccess) {
  const std::vector<int> versions = {1, 2, 3};
  yrltest::SweepOp op;
  op.label = "file_rename a.prt.*";
  op.setup = [&] {
    clear();
    for (int v : versions) put("a.prt." + std::to_string(v), "a" + std::to_string(v));
  };
  op.run = [&] {
    return vek::file_rename(wide("a.prt.*").c_str(), wide("t.prt").c_str()) == 1 ? 0 : 1;
  };
  op.vanishing = [&] { return dir_.file("a.prt.2"); };
  op.check = [&](const yrltest::SweepRun& run) {
    for (int v : versions) {
      const std::string from = "a.prt." + std::to_string(v);
      const std::string to = "t.prt." + std::to_string(v);
      const std::string bytes = "a" + std::to_string(v);
      bool gone_on_purpose = run.fault == yrltest::SweepFault::vanished && v == 2;
      if (exists(from)) { EXPECT_EQ(get(from), bytes) << run.why; }
      if (exists(to)) { EXPECT_EQ(get(to), bytes) << run.why; }
      if (!gone_on_purpose) {
        EXPECT_NE(exists(from), exists(to)) << run.why << ": version " << v;
      }
      if (run.result == 0) { EXPECT_FALSE(exists(from)) << run.why << ": left behind"; }
    }
  };
  std::vector<std::pair<std::string, long>> calls = yrltest::sweep_faults(op);
  bool listed = false;
  for (const auto& call : calls) listed = listed || call.first.rfind("FindNextFile", 0) == 0;
  EXPECT_TRUE(listed) << "the sweep never broke the listing off";
}

// The same with the listing broken off after its first entry, and with every access
// check failing: nothing is reported renamed that was not.
TEST_F(FnVersionFiles, RenameEveryVersionFromABrokenListingIsNoSuccess) {
  for (const char* call : {"FindNextFileA", "FindNextFileW", "_access", "_waccess"}) {
    for (const char* v : {"1", "2", "3"}) put(std::string("a.prt.") + v, v);
    ASSERT_TRUE(w32::fault_testing_fail_calls(call, 1, 1000, w32::ERROR_ACCESS_DENIED));
    int result = vek::file_rename(wide("a.prt.*").c_str(), wide("t.prt").c_str());
    w32::fault_testing_reset();
    int left = 0;
    for (const char* v : {"1", "2", "3"}) left += exists(std::string("a.prt.") + v) ? 1 : 0;
    if (result == 1) { EXPECT_EQ(left, 0) << call; }
    else { EXPECT_GT(left, 0) << call; }
    for (const char* v : {"1", "2", "3"}) {
      std::filesystem::remove(dir_.file(std::string("a.prt.") + v));
      std::filesystem::remove(dir_.file(std::string("t.prt.") + v));
    }
  }
}

TEST_F(FnVersionFiles, DirectoryRenameKeepsTheTargetUntilTheMoveSucceeded) {
  std::filesystem::create_directories(dir_.file("to/deep"));
  put("to/deep/old", "old");
  // The move fails (no source): the target is still there, whole.
  EXPECT_NE(vek::rename_dir_even_if_exists(dir_.file("missing").c_str(), dir_.file("to").c_str()),
            0);
  EXPECT_EQ(get("to/deep/old"), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()),
                          std::filesystem::directory_iterator()),
            1);  // nothing left beside it

  std::filesystem::create_directories(dir_.file("from"));
  put("from/new", "new");
  EXPECT_EQ(vek::rename_dir_even_if_exists(dir_.file("from").c_str(), dir_.file("to").c_str()), 0);
  EXPECT_EQ(get("to/new"), "new");
  EXPECT_FALSE(exists("to/deep"));
  EXPECT_FALSE(exists("from"));
  EXPECT_EQ(vek::rename_dir_even_if_exists(dir_.file("to").c_str(),
                                           (dir_.file("fresh") + "\\").c_str()),
            0);
  EXPECT_EQ(get("fresh/new"), "new");
  EXPECT_EQ(vek::rename_dir_even_if_exists(nullptr, "x"), 9);
}

TEST_F(FnVersionFiles, DeleteDirectoriesAndFiles) {
  std::filesystem::create_directories(dir_.file("d/sub"));
  put("d/sub/f", "x");
  put("d/g", "y");
  put("keep", "k");
  std::filesystem::create_directory_symlink(dir_.path(), dir_.file("d/link"));
  EXPECT_EQ(vek::delete_directory_contents(dir_.file("d").c_str(), 0), 1);
  EXPECT_TRUE(exists("d"));
  EXPECT_TRUE(std::filesystem::is_empty(dir_.file("d")));
  EXPECT_EQ(get("keep"), "k");  // the link was removed, not followed
  EXPECT_EQ(vek::delete_directory_ws(widen(dir_.file("d")).c_str(), 0), 1);
  EXPECT_FALSE(exists("d"));
  EXPECT_EQ(vek::delete_directory(dir_.file("keep").c_str(), 0), 0);  // not a directory
  EXPECT_EQ(vek::delete_directory(dir_.file("missing").c_str(), 0), 0);

  put("f", "1");
  put("g", "2");
  EXPECT_EQ(vek::rename_even_if_exists(dir_.file("f").c_str(), dir_.file("g").c_str()), 0);
  EXPECT_EQ(get("g"), "1");
  EXPECT_EQ(vek::rename_even_if_exists(dir_.file("f").c_str(), dir_.file("h").c_str()),
            vek::PFA_E_NOT_FOUND);
}

// A directory that holds a file that cannot be deleted is deleted only with force, and
// without it nothing of it goes.
TEST_F(FnVersionFiles, DeleteDirectoryChecksTheWholeTreeFirstAndHonoursItsFlag) {
  for (bool contents_only : {false, true}) {
    std::filesystem::create_directories(dir_.file("d/sub"));
    put("d/a", "a");
    put("d/sub/b", "b");
    put("d/sub/ro", "ro");
    ::chmod(dir_.file("d/sub/ro").c_str(), 0444);
    auto remove = contents_only ? vek::delete_directory_contents : vek::delete_directory;
    EXPECT_EQ(remove(dir_.file("d").c_str(), 0), 0) << contents_only;
    EXPECT_EQ(get("d/a"), "a");
    EXPECT_EQ(get("d/sub/b"), "b");
    EXPECT_EQ(get("d/sub/ro"), "ro");
    EXPECT_EQ(remove(dir_.file("d").c_str(), 1), 1) << contents_only;
    EXPECT_EQ(exists("d"), contents_only);
    std::filesystem::remove_all(dir_.file("d"));
  }
}

// Replacing a directory whose old tree cannot be deleted changes nothing, and leaves
// nothing beside it.
TEST_F(FnVersionFiles, DirectoryRenameOverATreeThatCannotGoChangesNothing) {
  std::filesystem::create_directories(dir_.file("from"));
  std::filesystem::create_directories(dir_.file("to"));
  put("from/new", "new");
  put("to/old", "old");
  ::chmod(dir_.file("to/old").c_str(), 0444);
  EXPECT_EQ(vek::rename_dir_even_if_exists(dir_.file("from").c_str(), dir_.file("to").c_str()),
            vek::PFA_E_NO_ACCESS);
  EXPECT_EQ(get("from/new"), "new");
  EXPECT_EQ(get("to/old"), "old");
  std::vector<std::string> entries;
  for (const auto& e : std::filesystem::directory_iterator(dir_.path()))
    entries.push_back(e.path().filename().string());
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{"from", "to"}));
  ::chmod(dir_.file("to/old").c_str(), 0644);
}

// The tree under root as relative names and contents ("name/" for a directory).
std::vector<std::string> tree_of(const std::string& root) {
  std::vector<std::string> out;
  if (!std::filesystem::exists(root)) return out;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
    std::string name = std::filesystem::relative(e.path(), root).string();
    out.push_back(e.is_directory() ? name + "/" : name + "=" + yrltest::read_file(e.path()));
  }
  std::sort(out.begin(), out.end());
  return out;
}

// Replacing a directory, swept: whatever fails, the new tree stands whole at the source
// or at the target, a failure before the old tree was given up leaves both as they
// were, and nothing is left beside them unless the result says so.
TEST_F(FnVersionFiles, DirectoryRenameSweepLosesNothing) {
  const std::vector<std::string> fresh = {"a=new a", "sub/", "sub/b=new b"};
  const std::vector<std::string> old = {"deep/", "deep/old=old", "keep=keep"};
  yrltest::SweepOp op;
  op.label = "rename_dir_even_if_exists";
  op.setup = [&] {
    clear();
    std::filesystem::create_directories(dir_.file("from/sub"));
    std::filesystem::create_directories(dir_.file("to/deep"));
    put("from/a", "new a");
    put("from/sub/b", "new b");
    put("to/deep/old", "old");
    put("to/keep", "keep");
  };
  op.run = [&] {
    return vek::rename_dir_even_if_exists(dir_.file("from").c_str(), dir_.file("to").c_str());
  };
  op.check = [&](const yrltest::SweepRun& run) {
    std::vector<std::string> from = tree_of(dir_.file("from"));
    std::vector<std::string> to = tree_of(dir_.file("to"));
    std::vector<std::string> beside;
    for (const auto& e : std::filesystem::directory_iterator(dir_.path())) {
      std::string name = e.path().filename().string();
      if (name != "from" && name != "to") beside.push_back(name);
    }
    if (run.result == 0) {
      EXPECT_EQ(to, fresh) << run.why;
      EXPECT_FALSE(exists("from")) << run.why;
      EXPECT_TRUE(beside.empty()) << run.why << ": " << beside.size() << " left beside";
    } else if (to == fresh) {
      // The move stood and the old tree could not all be deleted: what is left of it
      // stays beside, and the result says so.
      EXPECT_FALSE(exists("from")) << run.why;
      EXPECT_EQ(beside.size(), 1u) << run.why;
    } else {
      EXPECT_EQ(from, fresh) << run.why;
      EXPECT_EQ(to, old) << run.why;
      EXPECT_TRUE(beside.empty()) << run.why << ": " << beside.size() << " left beside";
    }
  };
  yrltest::sweep_faults(op);
}

// Replacing a directory on another location type (the tree is copied, then the source
// deleted), swept: a success leaves the new tree at the target and nothing else; a
// failure leaves the new tree whole at the source and the old one at the target, or,
// once the copy stood, the new tree at the target, the source's name free and at most
// one part of a tree that could not be deleted beside them. Never is one tree put into
// the other, nor a part of the new tree left under the source's name.
TEST_F(FnVersionFiles, DirectoryRenameAcrossLocationTypesSweepLosesNothing) {
  yrltest::TempDir share;
  ASSERT_TRUE(w32::w32_set_unc_root(share.path().c_str()));
  const std::string share_dir = share.file("srv/share");
  auto disk = [&](const std::string& name) {
    return name.rfind("unc:", 0) == 0 ? share_dir + "/" + name.substr(4) : dir_.file(name);
  };
  auto windows = [&](const std::string& name) {
    return name.rfind("unc:", 0) == 0 ? "\\\\srv\\share\\" + name.substr(4) : dir_.file(name);
  };
  const std::vector<std::string> fresh = {"a=new a", "sub/", "sub/b=new b"};
  const std::vector<std::string> old = {"deep/", "deep/old=old", "keep=keep"};
  struct Row {
    std::string from;
    std::string to;
    bool target_exists;
  };
  const Row rows[] = {{"from", "unc:to", true}, {"unc:from", "to", true}, {"from", "unc:to", false}};
  for (const Row& row : rows) {
    yrltest::SweepOp op;
    op.label = "rename_dir_even_if_exists across location types";
    op.setup = [&] {
      clear();
      std::filesystem::remove_all(share_dir);
      std::filesystem::create_directories(share_dir);
      std::filesystem::create_directories(disk(row.from) + "/sub");
      yrltest::write_file(disk(row.from) + "/a", "new a");
      yrltest::write_file(disk(row.from) + "/sub/b", "new b");
      if (row.target_exists) {
        std::filesystem::create_directories(disk(row.to) + "/deep");
        yrltest::write_file(disk(row.to) + "/deep/old", "old");
        yrltest::write_file(disk(row.to) + "/keep", "keep");
      }
    };
    op.run = [&] {
      return vek::rename_dir_even_if_exists(windows(row.from).c_str(), windows(row.to).c_str());
    };
    op.check = [&](const yrltest::SweepRun& run) {
      const std::string why = run.why + ", " + row.from + " to " + row.to;
      std::vector<std::string> from = tree_of(disk(row.from));
      std::vector<std::string> to = tree_of(disk(row.to));
      std::vector<std::string> beside;
      for (const std::string& root : {dir_.path(), share_dir})
        for (const auto& e : std::filesystem::directory_iterator(root))
          if (e.path() != disk(row.from) && e.path() != disk(row.to))
            beside.push_back(e.path().string());
      const std::vector<std::string> none;
      if (run.result == 0) {
        EXPECT_EQ(to, fresh) << why;
        EXPECT_FALSE(std::filesystem::exists(disk(row.from))) << why;
        EXPECT_EQ(beside, none) << why;
      } else if (to == fresh) {
        EXPECT_FALSE(std::filesystem::exists(disk(row.from))) << why << ": a part under its name";
        EXPECT_LE(beside.size(), 1u) << why;
      } else {
        EXPECT_EQ(from, fresh) << why;
        EXPECT_EQ(to, row.target_exists ? old : none) << why;
        EXPECT_EQ(beside, none) << why;
      }
    };
    yrltest::sweep_faults(op);
  }
}

// Deleting a tree, swept: a success leaves nothing; a failure of the check deletes
// nothing; whatever is left is whole.
TEST_F(FnVersionFiles, DeleteDirectorySweepReportsEveryFailure) {
  yrltest::SweepOp op;
  op.label = "delete_directory";
  op.setup = [&] {
    clear();
    std::filesystem::create_directories(dir_.file("d/sub"));
    put("d/a", "a");
    put("d/sub/b", "b");
  };
  op.run = [&] { return vek::delete_directory(dir_.file("d").c_str(), 0) == 1 ? 0 : 1; };
  op.check = [&](const yrltest::SweepRun& run) {
    if (run.result == 0) { EXPECT_FALSE(exists("d")) << run.why; }
    else { EXPECT_TRUE(exists("d")) << run.why << ": reported failed, gone"; }
    if (exists("d/a")) { EXPECT_EQ(get("d/a"), "a") << run.why; }
    if (exists("d/sub/b")) { EXPECT_EQ(get("d/sub/b"), "b") << run.why; }
  };
  yrltest::sweep_faults(op);
}

TEST_F(FnVersionFiles, RegistryStoreAndRegressionProductName) {
  EXPECT_EQ(vek::vekreg_store_string("prod", "key", "value"), 1);
  char out[16] = "untouched";
  EXPECT_EQ(vek::vekreg_get_string("prod", "key", out, 5), 0);  // does not fit
  EXPECT_STREQ(out, "untouched");
  EXPECT_EQ(vek::vekreg_get_string("prod", "key", out, 6), 1);
  EXPECT_STREQ(out, "value");
  EXPECT_EQ(vek::vekreg_delete_val("prod", "key"), 1);
  EXPECT_EQ(vek::vekreg_get_string("prod", "key", out, 16), 0);

  std::string deep = dir_.file(std::string(20, 'a') + "/" + std::string(20, 'b'));
  std::filesystem::create_directories(deep);
  ASSERT_TRUE(w32::SetCurrentDirectoryA(deep.c_str()));
  EXPECT_STREQ(vek::vekreg_adjust_prodname("prod"), "prod");
  vek::set_run_mode(9029);
  std::string expected = "regtest\\" + std::string(11, 'a') + " " + std::string(20, 'b');
  EXPECT_EQ(std::string(vek::vekreg_adjust_prodname("prod")), expected);
  EXPECT_EQ(vek::vekreg_store_string("prod", "key", "r"), 1);
  vek::set_run_mode(0);
  EXPECT_EQ(vek::vekreg_get_string("prod", "key", out, 16), 0);  // kept apart
}

}  // namespace
