// Base fixture of the file-access tests: the start state of every module, with a switch
// for the serious reports.
#pragma once

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

}  // namespace yrltest
