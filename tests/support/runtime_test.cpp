#include "tests/support/runtime_test.h"

#include "fileaccess/core/pfa_testing.h"
#include "fileaccess/names/oshelp_testing.h"
#include "runtime/algo/sort_testing.h"
#include "runtime/diag/console_testing.h"
#include "runtime/diag/diag_testing.h"
#include "runtime/diag/msgtool_testing.h"
#include "runtime/diag/runmode_testing.h"
#include "runtime/memory/arrays_testing.h"
#include "runtime/memory/clump_testing.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/getmem_testing.h"
#include "runtime/memory/xar_testing.h"
#include "runtime/memory/zone_testing.h"

namespace yrltest {

void reset_runtime_state() {
  // Modules first forget what they hold; the memory chain is released last, whole.
  vek::console_testing_reset();
  vek::diag_testing_reset();
  vek::msgtool_testing_reset();
  vek::runmode_testing_reset();
  vek::xar_testing_reset();
  vek::arrays_testing_reset();
  vek::zone_testing_reset();
  vek::clump_testing_reset();
  vek::sort_testing_reset();
  vek::oshelp_testing_reset();
  vek::pfa_testing_reset();
  vek::getmem_testing_reset();
}

int live_blocks() {
  int blocks = 0;
  vek::get_memory_usage(&blocks, nullptr, nullptr, nullptr);
  return blocks;
}

}  // namespace yrltest
