// Versions in file names: texts, lookups over real directories, opening and renaming.
#include "fileaccess/names/fnversion.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "fileaccess/names/fnstring.h"
#include "platform/w32/environment.h"
#include "runtime/diag/runmode.h"
#include "runtime/memory/xar.h"
#include "runtime/system/sysinfo.h"
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
