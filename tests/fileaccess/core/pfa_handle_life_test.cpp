// The handle's life: allocate (with the one-time registration), recycle, copy, free,
// the readers, the allocating parses, the dump.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "fileaccess/core/pfa.h"
#include "fileaccess/core/pfaloc.h"
#include "runtime/diag/runmode.h"
#include "runtime/memory/clump.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/support/console_capture.h"
#include "tests/support/serious_reports.h"
#include "tests/support/temp_dir.h"

namespace {

using vek::VynFile;

class PfaLife : public yrltest::FileaccessTest {};

TEST_F(PfaLife, FirstAllocationRegistersTheLocationTypesOnce) {
  EXPECT_EQ(vek::pfa_location_type_registered(1), 0);
  VynFile* file = nullptr;
  ASSERT_EQ(vek::pfa_alloc_vyn_file(&file), vek::PFA_E_NO_ERROR);
  for (int type = 0; type < vek::PFA_LOC_TYPE_COUNT; ++type)
    EXPECT_EQ(vek::pfa_location_type_registered(type), type == 1 || type == 4 || type == 8)
        << type;
  // A second allocation registers nothing again (which would be reported).
  yrltest::SeriousReports reports;
  VynFile* second = nullptr;
  ASSERT_EQ(vek::pfa_alloc_vyn_file(&second), vek::PFA_E_NO_ERROR);
  EXPECT_TRUE(reports.lines().empty());
  EXPECT_EQ(file->magic, vek::VYN_FILE_MAGIC);
  EXPECT_EQ(file->object_type, -4);
  EXPECT_EQ(file->location_type, 1u);
  EXPECT_EQ(file->text[0], '\0');
  EXPECT_EQ(vek::mempool_of_slot(file), vek::mempool_of_slot(second));
  EXPECT_GE(vek::mempool_of_slot(file), 0);
  EXPECT_EQ(vek::pfa_free_vyn_file(&file), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(file, nullptr);
  EXPECT_EQ(vek::pfa_free_vyn_file(&file), vek::PFA_E_NOT_VALID);
  EXPECT_EQ(vek::pfa_free_vyn_file(nullptr), vek::PFA_E_NOT_VALID);
  EXPECT_EQ(vek::pfa_alloc_vyn_file(nullptr), vek::PFA_E_NOT_VALID);
  EXPECT_EQ(vek::pfa_free_vyn_file(&second), vek::PFA_E_NO_ERROR);
}

TEST_F(PfaLife, ErrorNamesCoverEveryCode) {
  EXPECT_STREQ(vek::pfa_error_to_string(0), "PFA_E_NO_ERROR");
  EXPECT_STREQ(vek::pfa_error_to_string(9), "PFA_E_INVALID_INPUT");
  EXPECT_STREQ(vek::pfa_error_to_string(19), "PFA_E_NOT_CACHABLE");
  EXPECT_STREQ(vek::pfa_error_to_string(20), "PFA_UNKNOWN_ERROR");
  EXPECT_STREQ(vek::pfa_error_to_string(-1), "PFA_UNKNOWN_ERROR");
}

class PfaOpenHandle : public yrltest::FileaccessTest {
 protected:
  void SetUp() override {
    FileaccessTest::SetUp();
    name_ = dir_.file("open.txt");
    file_ = vek::pfa_fopen_file_vers(name_.c_str(), "w", 0);
    ASSERT_NE(file_, nullptr);
  }
  void TearDown() override {
    vek::pfa_dispose(&file_);
    FileaccessTest::TearDown();
  }
  yrltest::TempDir dir_;
  std::string name_;
  VynFile* file_ = nullptr;
};

TEST_F(PfaOpenHandle, ACopyIsClosedAndLeavesTheStreamAlone) {
  // The stream-describing bits stay with the donor.
  file_->flags |= vek::PFA_FLAG_DIR_BORROWED | vek::PFA_FLAG_CACHE_COPY |
                  vek::PFA_FLAG_REMOTE_COUNTED | vek::PFA_FLAG_UI_HIDDEN;
  VynFile* copy = vek::pfa_make_copy(file_);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->flags, vek::PFA_FLAG_UI_HIDDEN);
  EXPECT_EQ(copy->location_slot, nullptr);
  EXPECT_STREQ(copy->text, file_->text);
  EXPECT_EQ(vek::pfa_file_is_open(copy), 0);
  EXPECT_EQ(vek::pfa_free_vyn_file(&copy), vek::PFA_E_NO_ERROR);
  file_->flags &= ~(vek::PFA_FLAG_DIR_BORROWED | vek::PFA_FLAG_CACHE_COPY |
                    vek::PFA_FLAG_REMOTE_COUNTED);
  EXPECT_EQ(vek::pfa_fprintf(file_, "still %d", 1), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfa_close(file_), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(yrltest::read_file(name_), "still 1");
}

TEST_F(PfaOpenHandle, OpenHandlesAreNeitherFreedRecycledNorCopiedOver) {
  {
    yrltest::SeriousReports reports;
    VynFile* same = file_;
    EXPECT_EQ(vek::pfa_free_vyn_file(&same), vek::PFA_E_NOT_ALLOWED);
    EXPECT_EQ(reports.lines(), std::vector<std::string>{
                                   "pfa_free_vyn_file:  Attempting to free open file"});
  }
  std::string before = file_->text;
  VynFile* same = file_;
  EXPECT_EQ(vek::pfa_recycle_vyn_file(&same), vek::PFA_E_NOT_ALLOWED);
  VynFile* other = vek::pfa_alloc_file("other.txt");
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(vek::pfa_copy_vyn_file(other, file_), vek::PFA_E_NOT_ALLOWED);
  EXPECT_EQ(vek::pfa_copy_vyn_file(file_, file_), vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(vek::pfa_file_is_open(file_), 1);
  EXPECT_EQ(file_->text, before);
  EXPECT_EQ(vek::pfa_fprintf(file_, "ok"), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfa_free_vyn_file(&other), vek::PFA_E_NO_ERROR);
}

TEST_F(PfaLife, RecycleGivesTheStartStateAndCleanupInvalidates) {
  VynFile* file = vek::pfa_alloc_file("C:\\dir\\part.prt.3");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(vek::pfa_get_version(file), 3);
  VynFile* kept = file;
  EXPECT_EQ(vek::pfa_recycle_vyn_file(&file), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(file, kept);
  EXPECT_EQ(file->text[0], '\0');
  EXPECT_EQ(vek::pfa_get_version(file), 0);
  EXPECT_EQ(vek::pfa_get_obj_type(file), -4);
  EXPECT_EQ(vek::pfa_cleanup(file), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfa_is_valid(file), 0);
  EXPECT_EQ(vek::pfa_get_obj_type(file), -1);
  EXPECT_EQ(vek::pfa_get_encode(file), 0);
  EXPECT_EQ(vek::pfa_cleanup(file), vek::PFA_E_NOT_VALID);
  EXPECT_EQ(vek::pfa_recycle_vyn_file(&file), vek::PFA_E_NO_ERROR);  // made valid again
  EXPECT_EQ(vek::pfa_is_valid(file), 1);
  EXPECT_EQ(vek::pfa_free_vyn_file(&file), vek::PFA_E_NO_ERROR);
  VynFile* none = nullptr;
  EXPECT_EQ(vek::pfa_recycle_vyn_file(&none), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfa_is_valid(none), 1);
  EXPECT_EQ(vek::pfa_free_vyn_file(&none), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfa_recycle_vyn_file(nullptr), vek::PFA_E_NOT_VALID);
}

TEST_F(PfaLife, AllocatingParsesAndDirectories) {
  EXPECT_EQ(vek::pfa_alloc_file(nullptr), nullptr);
  EXPECT_EQ(vek::pfa_alloc_file(std::string(300, 'a').c_str()), nullptr);
  VynFile* dir = vek::pfa_alloc_dir("C:\\work");
  ASSERT_NE(dir, nullptr);
  EXPECT_EQ(vek::pfa_is_dir(dir), 1);
  VynFile* same = vek::pfa_alloc_dir("C:\\work\\");
  ASSERT_NE(same, nullptr);
  EXPECT_STREQ(same->text, dir->text);
  VynFile* wide = vek::pfa_alloc_wfile(u"C:\\Work\\Part.PRT");
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(vek::pfa_lowercase_name_ext(wide), vek::PFA_E_NO_ERROR);
  // The text holds the components without their separators.
  EXPECT_EQ(std::string(wide->text), "C/Work/partprt");
  EXPECT_EQ(vek::pfa_lowercase_name_ext(nullptr), vek::PFA_E_INVALID_INPUT);
  // A path that leaves no room for its delimiter would name a file: refused.
  EXPECT_EQ(vek::pfa_alloc_dir(std::string(259, 'd').c_str()), nullptr);
  VynFile* full = vek::pfa_alloc_dir((std::string(258, 'd') + "\\").c_str());
  ASSERT_NE(full, nullptr);
  EXPECT_EQ(vek::pfa_is_dir(full), 1);
  EXPECT_EQ(vek::pfa_free_vyn_file(&full), 0);
  for (VynFile** f : {&dir, &same, &wide}) EXPECT_EQ(vek::pfa_free_vyn_file(f), 0);
}

TEST_F(PfaLife, DumpListsTheUsedFields) {
  VynFile* file = vek::pfa_alloc_file("C:\\dir\\part.prt.3");
  ASSERT_NE(file, nullptr);
  yrltest::ConsoleCapture capture;
  EXPECT_EQ(vek::dump_vyn_file(file, file), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(capture.out(),
            "This file represents the Current Directory\n"
            "The used fields of this file are:\n"
            "      loc2: C\n"
            "      loc3: /dir/\n"
            "      name: part\n"
            "       ext: prt\n"
            "   version:  3\n"
            "      type: 2\n"
            "End of this file.\n\n");
  EXPECT_EQ(vek::pfa_mem_debug(file, 1), 0);
  EXPECT_EQ(vek::pfa_free_vyn_file(&file), 0);
}

}  // namespace
