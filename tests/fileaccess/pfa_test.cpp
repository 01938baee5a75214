// The file handle's open, formatted write and read, and dispose.
#include <gtest/gtest.h>

#include <string>

#include "fileaccess/core/pfa.h"
#include "tests/support/runtime_test.h"
#include "tests/support/temp_dir.h"

namespace {

class Pfa : public yrltest::RuntimeTest {};

TEST_F(Pfa, WritesAndReadsBackPairsOfNumbers) {
  yrltest::TempDir dir;
  std::string name = dir.file("unreleased.memory");
  vek::VynFile* file = vek::pfa_fopen_file_vers(name.c_str(), "w", 0);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->magic, vek::VYN_FILE_MAGIC);
  EXPECT_EQ(vek::pfa_fprintf(file, "%d %d\n", 17, 64), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfa_fprintf(file, "%d %d", 18, 8), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfa_dispose(&file), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(file, nullptr);
  EXPECT_EQ(yrltest::read_file(name), "17 64\n18 8");

  file = vek::pfa_fopen_file_vers(name.c_str(), "r", 0);
  ASSERT_NE(file, nullptr);
  int index = 0, size = 0;
  EXPECT_EQ(vek::pfa_fscanf(file, "%d %d\n", &index, &size), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(index, 17);
  EXPECT_EQ(size, 64);
  EXPECT_EQ(vek::pfa_fscanf(file, "%d %d\n", &index, &size), vek::PFA_E_QUIT);  // last line
  EXPECT_EQ(index, 18);
  EXPECT_EQ(vek::pfa_fscanf(file, "%d %d\n", &index, &size), vek::PFA_E_ERROR);  // nothing
  vek::pfa_dispose(&file);
}

TEST_F(Pfa, BadHandlesAreRefused) {
  yrltest::TempDir dir;
  EXPECT_EQ(vek::pfa_fopen_file_vers(dir.file("none").c_str(), "r", 0), nullptr);
  EXPECT_EQ(vek::pfa_fopen_file_vers(nullptr, "r", 0), nullptr);
  EXPECT_EQ(vek::pfa_fopen_file_vers(std::string(300, 'x').c_str(), "w", 0), nullptr);
  vek::VynFile* none = nullptr;
  EXPECT_EQ(vek::pfa_dispose(nullptr), 0);
  EXPECT_EQ(vek::pfa_dispose(&none), 0);
  EXPECT_EQ(vek::pfa_fprintf(nullptr, "x"), vek::PFA_E_NOT_VALID);
  int value;
  EXPECT_EQ(vek::pfa_fscanf(nullptr, "%d", &value), vek::PFA_E_NOT_VALID);

  vek::VynFile closed = {};
  closed.magic = vek::VYN_FILE_MAGIC;  // valid but not open
  EXPECT_EQ(vek::pfa_fprintf(&closed, "x"), vek::PFA_E_INACTIVE);
  EXPECT_EQ(vek::pfa_fscanf(&closed, "%d", &value), vek::PFA_E_INACTIVE);
}

TEST_F(Pfa, StandardErrorHandleIsMadeOnceAndStaysOpen) {
  vek::VynFile* err = vek::pfa_get_stderr();
  ASSERT_NE(err, nullptr);
  EXPECT_EQ(vek::pfa_get_stderr(), err);
  testing::internal::CaptureStderr();
  EXPECT_EQ(vek::pfa_fprintf(err, "to %s\n", "stderr"), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "to stderr\n");
}

}  // namespace
