// The helpers that take names: the older splitting and joining, versions of names,
// files and directories by name, access checks and the image-format classes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "fileaccess/core/pfa.h"
#include "fileaccess/names/fnstring.h"
#include "fileaccess/names/oshelp.h"
#include "platform/w32/environment.h"
#include "tests/fileaccess/fault_sweep.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/fileaccess/names/names_test.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

using yrltest::narrow;
using yrltest::widen;

class OsNames : public yrltest::FileaccessTest {};

std::string text(const char* s) { return s ? s : "(null)"; }

// The Windows form of a POSIX path on drive C:.
std::string windows(const std::string& posix) {
  std::string s = "C:" + posix;
  for (char& c : s) c = c == '/' ? '\\' : c;
  return s;
}

TEST_F(OsNames, IsPathAbsolute) {
  struct Case {
    const char16_t* path;
    int result;
  };
  const Case cases[] = {
      {u"C:\\x", 1},  {u"  \\x", 1}, {u"\t\\x", 1}, {u"C:x", 0},       {u"x\\y", 0},
      {u"C:/x", 0},   {u"/x", 0},    {u"", 0},      {u"a:b:\\x", 0},   {u"\\\\h\\s", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(vek::is_path_absolute(c.path), c.result) << narrow(c.path);
  EXPECT_EQ(vek::is_path_absolute(nullptr), 0);
}

TEST_F(OsNames, ProjParseFilename) {
  struct Case {
    std::string name;
    std::string directory, base, extension, version;
  };
  const Case cases[] = {
      {"C:\\d\\a.prt.3", "C:\\d\\", "a", "prt", "3"},
      {".cfg.txt", "(null)", ".cfg", "txt", "(null)"},
      {"a.prt;2", "(null)", "a", "prt", "2"},
      {"a.b.c.d", "(null)", "a", "b", "c.d"},  // the version is kept as text
      {"a.prt.x", "(null)", "a", "prt", "x"},
      {"plain", "(null)", "plain", "(null)", "(null)"},
      {"d/a.b", "(null)", "d/a", "b", "(null)"},  // only '\\' ends the directory here
  };
  for (const Case& c : cases) {
    char *d = nullptr, *b = nullptr, *e = nullptr, *v = nullptr;
    ASSERT_EQ(vek::proj_parse_filename(c.name.c_str(), &d, &b, &e, &v), 0) << c.name;
    EXPECT_EQ(text(d), c.directory) << c.name;
    EXPECT_EQ(text(b), c.base) << c.name;
    EXPECT_EQ(text(e), c.extension) << c.name;
    EXPECT_EQ(text(v), c.version) << c.name;
  }
  std::string longest(260, 'a');
  EXPECT_EQ(vek::proj_parse_filename(longest.c_str(), nullptr, nullptr, nullptr, nullptr), 0);
  longest += 'a';
  EXPECT_EQ(vek::proj_parse_filename(longest.c_str(), nullptr, nullptr, nullptr, nullptr), 11);
}

TEST_F(OsNames, GetVersionNum) {
  struct Case {
    const char16_t* name;
    int version;
    std::string base;
  };
  const Case cases[] = {
      {u"a.prt.3", 3, "a.prt"},
      {u"a.prt;2", 2, "a.prt"},
      {u"a.prt.0", 0, "a.prt.0"},  // version 0 leaves the name whole
      {u"a.-2", -2, "a"},
      {u".5", 0, ".5"},            // a separator at the first position does not count
      {u"d.3\\file", 0, "d.3\\file"},  // nor one in the directory
      {u"a.prt.x", 0, "a.prt.x"},
      {u"a.prt.99999999999", 0, "a.prt.99999999999"},
      {u"", 0, ""},
  };
  for (const Case& c : cases) {
    int version = -99;
    char16_t base[64];
    EXPECT_EQ(vek::get_version_num(c.name, &version, base), 1);
    EXPECT_EQ(version, c.version) << narrow(c.name);
    EXPECT_EQ(narrow(base), c.base) << narrow(c.name);
  }
}

TEST_F(OsNames, GetHostPathName) {
  struct Case {
    const char16_t* name;
    std::string host, device, path, base, extension;
    int version;
  };
  const Case cases[] = {
      {u"\\\\host\\share\\dir\\a.prt.3", "host", "", "\\dir\\", "a", "prt", 3},
      {u"\\\\host\\share", "host", "", "", "", "", 0},
      {u"C:\\d/e\\f.txt", "", "C", "\\d/e\\", "f", "txt", 0},
      {u"plain", "", "", "", "plain", "", 0},
      {u".cfg", "", "", "", ".cfg", "", 0},
      {u"a.b.c;4", "", "", "", "a.b", "c", 4},
  };
  for (const Case& c : cases) {
    char16_t host[64], device[64], path[64], base[64], extension[64];
    int version = -1;
    vek::get_host_path_name(c.name, host, device, path, base, extension, &version);
    EXPECT_EQ(narrow(host), c.host) << narrow(c.name);
    EXPECT_EQ(narrow(device), c.device) << narrow(c.name);
    EXPECT_EQ(narrow(path), c.path) << narrow(c.name);
    EXPECT_EQ(narrow(base), c.base) << narrow(c.name);
    EXPECT_EQ(narrow(extension), c.extension) << narrow(c.name);
    EXPECT_EQ(version, c.version) << narrow(c.name);
  }
  char16_t base[64];
  vek::get_host_path_name(u"\\\\h\\s\\x", nullptr, nullptr, nullptr, base, nullptr, nullptr);
  EXPECT_EQ(narrow(base), "x");
}

TEST_F(OsNames, ProjMakeFullAndFamilyNames) {
  struct Case {
    const char *host, *device, *path, *name, *extension;
    int version;
    std::string out;
  };
  const Case cases[] = {
      {nullptr, "e", "\\d", "a", "prt", 3, "e:\\d\\a.prt.3"},
      {nullptr, "e", "\\d\\", "a", "", 0, "e:\\d\\a"},
      {"h", "e", "\\d", "a", nullptr, 0, "\\\\h\\e\\d\\a"},  // the drive is the share
      {nullptr, nullptr, nullptr, "a", "prt", -1, "a.prt"},
      {"", "", "", "a", nullptr, 0, "a"},
  };
  for (const Case& c : cases) {
    char out[vek::VYN_NAME_MAX];
    EXPECT_EQ(vek::proj_make_full_filename(c.host, c.device, c.path, c.name, c.extension,
                                           c.version, out),
              0);
    EXPECT_EQ(std::string(out), c.out);
  }
  EXPECT_EQ(vek::proj_make_full_filename(nullptr, "e", "\\d", "a", nullptr, 0, nullptr), 3);
  std::string name(252, 'n');
  char out[vek::VYN_NAME_MAX];
  EXPECT_EQ(vek::proj_make_full_filename(nullptr, "e", "\\d", name.c_str(), nullptr, 0, out), 0);
  EXPECT_EQ(std::strlen(out), 257u);
  EXPECT_EQ(vek::proj_make_full_filename(nullptr, "e", "\\d", name.c_str(), "prt", 0, out), 11);
  EXPECT_STREQ(out, "");

  EXPECT_EQ(vek::proj_make_family_name("gen", "inst", out), 0);
  EXPECT_STREQ(out, "inst<gen>");
  EXPECT_EQ(vek::proj_make_family_name("gen", "gen", out), 0);
  EXPECT_STREQ(out, "gen");
}

TEST_F(OsNames, ImageFormatClasses) {
  struct Case {
    int image_class, count, has_shd, has_tx1;
  };
  const Case cases[] = {{0, 14, 1, 1}, {1, 13, 0, 1}, {2, 12, 0, 0}, {3, 12, 0, 0}};
  for (const Case& c : cases) {
    const int* list = nullptr;
    int count = 0;
    EXPECT_EQ(vek::image_formats_from_class(c.image_class, &list, &count), 0);
    EXPECT_EQ(count, c.count);
    EXPECT_EQ(vek::valid_image_type(c.image_class, 580), c.has_shd);
    EXPECT_EQ(vek::valid_image_type(c.image_class, 588), c.has_tx1);
    EXPECT_EQ(vek::valid_image_type(c.image_class, 587), 1);  // IMF is in every class
  }
  const int* list = &cases[0].count;
  int count = 5;
  EXPECT_EQ(vek::image_formats_from_class(4, &list, &count), 100);
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(vek::valid_image_type(-1, 587), 0);
}

class OsFiles : public yrltest::FileaccessTest {
 protected:
  std::u16string wide(const std::string& name) const { return widen(dir_.file(name)); }
  void put(const std::string& name, const std::string& content) {
    yrltest::write_file(dir_.file(name), content);
  }
  bool exists(const std::string& name) const { return std::filesystem::exists(dir_.file(name)); }
  static unsigned mode_of(const std::string& path) {
    struct stat s {};
    ::stat(path.c_str(), &s);
    return s.st_mode & 0777;
  }
  yrltest::TempDir dir_;
};

TEST_F(OsFiles, FileExists) {
  put("abc.txt", "");
  std::filesystem::create_directory(dir_.file("sub"));
  std::filesystem::create_directory(dir_.file("d.x"));
  put("d.x/noext.prt", "");
  std::string long_name(255, 'l');
  put(long_name, "");
  struct Case {
    std::string name;
    int result;
  };
  const Case cases[] = {
      {dir_.file("abc"), 1},           // ".*" appended: matches abc.txt
      {dir_.file("abc.txt"), 1},
      {dir_.file("ab"), 0},
      {dir_.file("sub"), 0},           // a directory
      {dir_.file("nothing"), 0},
      {dir_.file("d.x/noext"), 1},     // a '.' in the directory does not stop the ".*"
      {dir_.file("d.x\\noext"), 1},
      {dir_.file(long_name), 1},       // long names are looked up whole
  };
  for (const Case& c : cases) EXPECT_EQ(vek::file_exists(c.name.c_str()), c.result) << c.name;
  ASSERT_GT(dir_.file(long_name).size(), 80u);
  EXPECT_EQ(vek::file_exists(nullptr), 0);
}

// The new directory takes what the file layer's mode holds of its parent's, its
// read-only state; a read-only parent is made writable for the creation only.
TEST_F(OsFiles, MakeDirCarriesTheParentsModeAndRestoresIt) {
  std::string parent = dir_.file("p");
  std::filesystem::create_directory(parent);
  ::chmod(parent.c_str(), 0555);
  EXPECT_EQ(vek::make_dir(widen(parent + "/made").c_str(), 1), 1);
  EXPECT_EQ(mode_of(parent), 0555u);
  EXPECT_EQ(mode_of(parent + "/made") & 0200, 0u);  // read-only as its parent
  // The creation fails (the directory is there): the parent gets its mode back too.
  EXPECT_EQ(vek::make_dir(widen(parent + "/made").c_str(), 1), 0);
  EXPECT_EQ(mode_of(parent), 0555u);
  ::chmod(parent.c_str(), 0750);
  EXPECT_EQ(vek::make_dir(widen(parent + "\\other\\").c_str(), 0), 1);
  EXPECT_NE(mode_of(parent + "/other") & 0200, 0u);
  EXPECT_EQ(vek::make_dir(wide("missing/deeper").c_str(), 1), 0);
  EXPECT_FALSE(exists("missing"));
  ::chmod(parent.c_str(), 0755);
  ::chmod((parent + "/made").c_str(), 0755);
}

// Deleting the highest version by name, swept: whatever call fails, a success has
// deleted version 3 and only it, and a failure has deleted nothing. An unversioned file
// beside the versions is never taken for the highest one.
TEST_F(OsFiles, DeletingTheHighestVersionNeverDeletesAnotherFile) {
  yrltest::SweepOp op;
  op.label = "dms_delete_file a.prt";
  op.setup = [&] {
    for (const auto& e : std::filesystem::directory_iterator(dir_.path()))
      std::filesystem::remove_all(e.path());
    put("a.prt", "bare");
    put("a.prt.3", "v3");
  };
  op.run = [&] { return vek::dms_delete_file(wide("A.PRT").c_str()); };
  op.check = [&](const yrltest::SweepRun& run) {
    EXPECT_TRUE(exists("a.prt") && yrltest::read_file(dir_.file("a.prt")) == "bare")
        << run.why << ": the unversioned file went";
    EXPECT_EQ(exists("a.prt.3"), run.result != 0) << run.why;
  };
  yrltest::sweep_faults(op);
}

// The process-wide flag that nothing reads: stored and returned.
TEST_F(OsFiles, ViewOnlyOrderCheck) {
  EXPECT_EQ(vek::set_view_only_order_check(1), 1);
  EXPECT_EQ(vek::set_view_only_order_check(0), 0);
  EXPECT_EQ(vek::set_view_only_order_check(7), 7);
}

TEST_F(OsFiles, CopyAndDeleteByName) {
  put("x.prt", "plain");
  EXPECT_EQ(vek::spg_copy_file(wide("x.prt.1").c_str(), wide("y.prt").c_str()), 1);
  EXPECT_EQ(yrltest::read_file(dir_.file("y.prt")), "plain");
  EXPECT_EQ(vek::spg_copy_file(wide("none.prt.2").c_str(), wide("y.prt").c_str()), 0);

  for (const char* v : {"1", "2"}) put(std::string("a.prt.") + v, v);
  EXPECT_EQ(vek::dms_delete_file(wide("A.PRT").c_str()), 0);  // the highest version
  EXPECT_FALSE(exists("a.prt.2"));
  EXPECT_TRUE(exists("a.prt.1"));
  EXPECT_EQ(vek::delete_file(wide("a.prt.1").c_str()), 0);
  EXPECT_FALSE(exists("a.prt.1"));
  EXPECT_EQ(vek::dms_delete_file(wide("a.prt").c_str()), vek::PFA_E_NOT_FOUND);
  EXPECT_EQ(vek::delete_file_this_case(wide("x.prt").c_str()), 0);
  EXPECT_FALSE(exists("x.prt"));
  EXPECT_EQ(vek::delete_latest_file(wide("y.prt").c_str()), 0);
  EXPECT_FALSE(exists("y.prt"));
}

TEST_F(OsFiles, DirectoriesAndAccess) {
  put("f", "x");
  std::filesystem::create_directory(dir_.file("sub"));
  EXPECT_EQ(vek::get_file_stat(wide("f").c_str()), 2);
  EXPECT_EQ(vek::get_file_stat(wide("sub").c_str()), 1);
  EXPECT_EQ(vek::get_file_stat(wide("none").c_str()), -1);
  EXPECT_EQ(vek::get_file_stat(nullptr), -1);
  // The name is the file layer's: a variable in it is read, and a version part names
  // the version.
  yrltest::ScopedEnv where("YRL_STAT_DIR", windows(dir_.path()).c_str());
  EXPECT_EQ(vek::get_file_stat(u"$YRL_STAT_DIR\\f"), 2);
  EXPECT_EQ(vek::get_file_stat(u"$YRL_STAT_DIR\\sub\\"), 1);
  EXPECT_EQ(vek::get_file_stat(u"$YRL_STAT_DIR\\none"), -1);
  EXPECT_EQ(vek::vyn_is_directory(wide("sub").c_str()), 1);
  EXPECT_EQ(vek::vyn_is_directory(wide("f").c_str()), 0);
  EXPECT_EQ(vek::vyn_is_local_directory(widen(dir_.path() + "/").c_str(), u"sub"), 1);
  EXPECT_EQ(vek::dir_valid(wide("f").c_str()), 1);
  EXPECT_EQ(vek::dir_valid(wide("none").c_str()), 0);
  EXPECT_EQ(vek::dir_has_write_access(wide("sub").c_str()), 1);
  EXPECT_EQ(vek::vyn_check_access(dir_.file("f").c_str(), 4), 0);
  EXPECT_EQ(vek::vyn_check_access(dir_.file("none").c_str(), 0), vek::PFA_E_NOT_FOUND);

  ASSERT_EQ(vek::dir_change(wide("sub").c_str()), 1);
  char16_t current[vek::VYN_NAME_MAX];
  ASSERT_EQ(vek::dir_get(current, vek::VYN_NAME_MAX), 1);
  std::string expected = windows(dir_.file("sub"));
  // The layer's current directory is the handle the change was made with: a directory
  // (its full name ends in a delimiter) named from the root of the current drive.
  ASSERT_EQ(expected.rfind("C:", 0), 0u);
  EXPECT_EQ(narrow(current), expected.substr(2) + "\\");
  char buffer[vek::VYN_NAME_MAX];
  EXPECT_EQ(std::string(vek::getwd(buffer)), expected);
  EXPECT_EQ(vek::dir_change(wide("none").c_str()), 0);
  EXPECT_EQ(vek::dir_has_write_access(u""), 1);

  // A name that exists is kept as written; another is written back as the file layer
  // reads it (a relative name stays relative).
  char16_t out[vek::VYN_NAME_MAX];
  EXPECT_EQ(vek::os_convert_path(u"", out), 1);
  put("sub/inner", "");
  EXPECT_EQ(vek::os_convert_path(u"inner", out), 1);
  EXPECT_EQ(narrow(out), "inner");
  EXPECT_EQ(vek::os_convert_path(u"..\\f", out), 1);
  EXPECT_EQ(vek::os_convert_path(u"..\\none", out), 0);
  EXPECT_EQ(narrow(out), "..\\none");
}

}  // namespace
