// Access tests of handles, temporary files, deleting, and the object type of names of no
// known type.
#include "fileaccess/core/pfafile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "fileaccess/core/pfa.h"
#include "fileaccess/names/pfahandleops.h"
#include "fileaccess/core/pfaname.h"
#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"
#include "platform/w32/winpath.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/support/console_capture.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

class PfaFile : public yrltest::FileaccessTest {
 protected:
  static bool exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
  }
};

TEST_F(PfaFile, AccessAnswersByModeForFilesAndDirectories) {
  yrltest::TempDir dir;
  yrltest::write_file(dir.file("tool"), "#!/bin/sh\n");
  chmod(dir.file("tool").c_str(), 0755);
  yrltest::write_file(dir.file("data.txt"), "x");
  yrltest::write_file(dir.file("read-only.exe"), "x");
  chmod(dir.file("read-only.exe").c_str(), 0444);
  struct Case {
    std::string name;
    int mode;
    int allowed;
  };
  const Case cases[] = {
      {dir.file("tool"), 0, 1},          {dir.file("tool"), 1, 0},
      {dir.file("data.txt"), 1, 0},      {dir.file("data.txt"), 2, 1},
      {dir.file("data.txt"), 4, 1},      {dir.file("read-only.exe"), 1, 1},
      {dir.file("missing"), 0, 0},       {dir.file("missing"), 4, 0},
      {dir.path() + "/", 0, 1},          {dir.path() + "/", 1, 0},
      {dir.path() + "/", 2, 1},
  };
  for (const Case& c : cases) {
    vek::VynFile* file = vek::pfa_alloc_file(c.name.c_str());
    ASSERT_NE(file, nullptr) << c.name;
    EXPECT_EQ(vek::pfa_access(file, c.mode), c.allowed) << c.name << " mode " << c.mode;
    vek::pfa_free_vyn_file(&file);
  }
  // A read-only file is refused for writing to everyone, root too, as on Windows.
  vek::VynFile* read_only = vek::pfa_alloc_file(dir.file("read-only.exe").c_str());
  EXPECT_EQ(vek::pfa_access(read_only, 2), 0);
  yrltest::ConsoleCapture capture;
  EXPECT_EQ(vek::pfa_access(read_only, 3), 0);
  vek::pfa_free_vyn_file(&read_only);
  EXPECT_EQ(vek::pfa_access(nullptr, 0), 0);
}

TEST_F(PfaFile, TemporaryFilesAreFreshNamesInTheTemporaryDirectory) {
  yrltest::TempDir dir;
  char windows[4096];
  ASSERT_TRUE(w32::w32_windows_path_from_posix(dir.path().c_str(), windows, sizeof windows));
  yrltest::ScopedEnv env("TMP", windows);
  vek::VynFile* file = nullptr;
  ASSERT_EQ(vek::pfa_alloc_vyn_file(&file), vek::PFA_E_NO_ERROR);
  ASSERT_EQ(vek::pfa_make_temp_file(file, vek::PFA_TYPE_UNKNOWN), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfa_get_obj_type(file), vek::PFA_TYPE_UNKNOWN);
  char first[260];
  ASSERT_EQ(vek::pfa_get_full_name(file, first), vek::PFA_E_NO_ERROR);
  std::string name = first;
  ASSERT_EQ(name.rfind(std::string(windows) + "\\vyn", 0), 0u) << name;
  std::string posix = dir.file(name.substr(std::strlen(windows) + 1));
  EXPECT_EQ(posix.substr(posix.size() - 4), ".tmp");
  EXPECT_FALSE(exists(posix));

  // The name is free: once the file exists, the next one differs.
  ASSERT_EQ(vek::pfa_fopen(file, vek::PFA_RULE_AS_NAMED, "w"), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfa_make_temp_file(file, vek::PFA_TYPE_UNKNOWN), vek::PFA_E_NOT_ALLOWED);
  EXPECT_EQ(vek::pfa_delete_file(file, 0), vek::PFA_E_NOT_ALLOWED);
  ASSERT_EQ(vek::pfa_close(file), vek::PFA_E_NO_ERROR);
  EXPECT_TRUE(exists(posix));
  vek::VynFile* second = vek::pfa_make_copy(file);
  ASSERT_EQ(vek::pfa_make_temp_file(second, vek::PFA_TYPE_UNKNOWN), vek::PFA_E_NO_ERROR);
  char other[260];
  ASSERT_EQ(vek::pfa_get_full_name(second, other), vek::PFA_E_NO_ERROR);
  EXPECT_NE(std::string(other), name);

  EXPECT_EQ(vek::pfa_delete_file(file, 2), vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(vek::pfa_delete_file(file, 0), vek::PFA_E_NO_ERROR);
  EXPECT_FALSE(exists(posix));
  EXPECT_EQ(vek::pfa_delete_file(file, 0), vek::PFA_E_ERROR);
  EXPECT_EQ(vek::pfa_make_temp_file(nullptr, vek::PFA_TYPE_UNKNOWN), vek::PFA_E_NOT_VALID);
  vek::pfa_free_vyn_file(&second);

  // The names come from the temporary-name service: its cleaned names (lower-case
  // letters, digits, '_' and '-' behind the prefix), a directory's with its delimiter,
  // and no name when it has none.
  for (int type : {int{vek::PFA_TYPE_UNKNOWN}, int{vek::PFA_TYPE_DIRECTORY}}) {
    w32::fault_testing_reset();
    ASSERT_EQ(vek::pfa_make_temp_file(file, type), vek::PFA_E_NO_ERROR);
    EXPECT_GT(w32::fault_testing_calls("_tempnam"), 0);
    char made[260];
    ASSERT_EQ(vek::pfa_get_full_name(file, made), vek::PFA_E_NO_ERROR);
    std::string part = std::string(made).substr(std::strlen(windows) + 1);
    ASSERT_EQ(part.rfind("vyn", 0), 0u) << part;
    std::string cleaned = part.substr(3, part.find_first_of(".\\") - 3);
    EXPECT_FALSE(cleaned.empty()) << part;
    for (char c : cleaned)
      EXPECT_TRUE((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-') << part;
    EXPECT_EQ(vek::pfa_is_dir(file), type == vek::PFA_TYPE_DIRECTORY ? 1 : 0) << part;
  }
  ASSERT_TRUE(w32::fault_testing_fail_calls("_tempnam", 1, 1 << 30, w32::ERROR_ACCESS_DENIED));
  EXPECT_EQ(vek::pfa_make_temp_file(file, vek::PFA_TYPE_UNKNOWN), vek::PFA_E_ERROR);
  w32::fault_testing_reset();
  vek::pfa_free_vyn_file(&file);
}

}  // namespace
