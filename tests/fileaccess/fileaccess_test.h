// Base fixture of the file-access tests: the start state of every module, with a switch
// for the serious reports.
#pragma once

#include <string>

#include "fileaccess/core/pfa.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/runmode.h"
#include "tests/support/runtime_test.h"

namespace yrltest {

class FileaccessTest : public RuntimeTest {
 protected:
  // Serious reports (dbg_err_crash) print their routine line and let the test go on.
  static void show_serious_reports() {
    vek::set_verbose_mode(1);
    vek::set_run_mode(1);
    vek::set_dbg_err_crash(0);
  }
};

// One fresh handle (the first allocation registers the location types), freed at the
// end of the test.
class HandleTest : public FileaccessTest {
 protected:
  void SetUp() override {
    FileaccessTest::SetUp();
    ASSERT_EQ(vek::pfa_alloc_vyn_file(&file_), 0);
  }
  void TearDown() override {
    vek::pfa_free_vyn_file(&file_);
    FileaccessTest::TearDown();
  }
  // Component slot c of the handle's text.
  std::string slot(int c) const {
    return std::string(file_->text + file_->component[c][0],
                       static_cast<std::size_t>(file_->component[c][1] - file_->component[c][0]));
  }
  vek::VynFile* file_ = nullptr;
};

}  // namespace yrltest
