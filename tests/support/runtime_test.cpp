#include "tests/support/runtime_test.h"

#include <csignal>

#include "fileaccess/backends/ntlangwrap_testing.h"
#include "fileaccess/backends/pfu_testing.h"
#include "fileaccess/codec/lzw_testing.h"
#include "fileaccess/core/pfadircache_testing.h"
#include "fileaccess/core/pfa_testing.h"
#include "fileaccess/core/pfaloc_testing.h"
#include "fileaccess/core/objtype_testing.h"
#include "fileaccess/core/pfainst_testing.h"
#include "fileaccess/core/pfadir_testing.h"
#include "fileaccess/core/pfaops_testing.h"
#include "fileaccess/names/pfavers_testing.h"
#include "fileaccess/names/fnstring_testing.h"
#include "fileaccess/names/fnversion_testing.h"
#include "fileaccess/names/oshelp_testing.h"
#include "platform/w32/clock_testing.h"
#include "platform/w32/codepage_testing.h"
#include "platform/w32/console_testing.h"
#include "platform/w32/environment_testing.h"
#include "platform/w32/error_testing.h"
#include "platform/w32/fault_testing.h"
#include "platform/w32/file_testing.h"
#include "platform/w32/library_testing.h"
#include "platform/w32/path_testing.h"
#include "platform/w32/printer_testing.h"
#include "platform/w32/registry_testing.h"
#include "platform/w32/socket_testing.h"
#include "platform/w32/system_testing.h"
#include "platform/w32/volume_testing.h"
#include "runtime/algo/sort_testing.h"
#include "runtime/diag/console_testing.h"
#include "runtime/diag/diag_testing.h"
#include "runtime/diag/msgtool_testing.h"
#include "runtime/expr/ctexp_testing.h"
#include "runtime/diag/runmode_testing.h"
#include "runtime/memory/arrays_testing.h"
#include "runtime/memory/clump_testing.h"
#include "runtime/memory/getmem.h"
#include "runtime/text/lang.h"
#include "runtime/memory/getmem_testing.h"
#include "runtime/memory/notify_testing.h"
#include "runtime/memory/xar_testing.h"
#include "runtime/memory/zone_testing.h"
#include "runtime/system/appinfo_testing.h"
#include "runtime/system/dates_testing.h"
#include "runtime/system/hostcache_testing.h"
#include "runtime/system/ntsys_testing.h"
#include "runtime/system/ntwin_testing.h"
#include "runtime/system/portmap_testing.h"
#include "runtime/system/signals_testing.h"
#include "runtime/system/sysinfo_testing.h"
#include "runtime/text/lang_testing.h"
#include "runtime/text/strutil_testing.h"
#include "runtime/text/vscanf_testing.h"
#include "fileaccess/backends/ntdircache_testing.h"
#include "fileaccess/backends/pfafs_dir_testing.h"
#include "fileaccess/names/ntver_testing.h"
#include "fileaccess/names/pfascan_testing.h"
#include "runtime/text/vsprintf_testing.h"
#include "runtime/text/wclass_testing.h"
#include "runtime/text/wide_testing.h"
#include "runtime/text/wstring_testing.h"
#include "runtime/tools/dbgcomp_testing.h"

namespace yrltest {

namespace {

// The C runtime's signal dispositions as the first reset found them (with whatever the
// test framework and the sanitizers installed), put back by every later reset.
struct sigaction g_start_actions[NSIG];
bool g_start_known[NSIG];
bool g_start_taken = false;

void restore_start_signal_actions() {
  for (int signal = 1; signal < NSIG; ++signal) {
    if (!g_start_taken)
      g_start_known[signal] = sigaction(signal, nullptr, &g_start_actions[signal]) == 0;
    else if (g_start_known[signal])
      sigaction(signal, &g_start_actions[signal], nullptr);
  }
  g_start_taken = true;
}

}  // namespace

void reset_runtime_state() {
  restore_start_signal_actions();
  // Modules first forget what they hold; the memory chain is released last, whole.
  vek::console_testing_reset();
  vek::diag_testing_reset();
  vek::msgtool_testing_reset();
  vek::runmode_testing_reset();
  vek::xar_testing_reset();
  vek::arrays_testing_reset();
  vek::zone_testing_reset();
  vek::clump_testing_reset();
  vek::notify_testing_reset();
  vek::sort_testing_reset();
  vek::ctexp_testing_reset();
  // The comparison's report file is closed before the file-access layer forgets it.
  vek::dbgcomp_testing_reset();
  vek::oshelp_testing_reset();
  vek::lzw_compress_testing_reset();
  vek::lzw_uncompress_testing_reset();
  vek::fnstring_testing_reset();
  vek::fnversion_testing_reset();
  vek::pfa_testing_reset();
  vek::pfaloc_testing_reset();
  vek::objtype_testing_reset();
  vek::pfainst_testing_reset();
  vek::pfadir_testing_reset();
  vek::pfaops_testing_reset();
  vek::pfavers_testing_reset();
  vek::ntlangwrap_testing_reset();
  vek::pfu_testing_reset();
  vek::pfa_dir_cache_testing_reset();
  vek::ntdircache_testing_reset();
  vek::pfafs_dir_testing_reset();
  vek::pfascan_testing_reset();
  vek::ntver_testing_reset();
  vek::appinfo_testing_reset();
  vek::sysinfo_testing_reset();
  vek::ntsys_testing_reset();
  vek::dates_testing_reset();
  vek::clocks_testing_reset();
  vek::signals_testing_reset();
  vek::hostcache_testing_reset();
  vek::ntwin_testing_reset();
  vek::portmap_testing_reset();
  vek::lang_testing_reset();
  vek::wstring_testing_reset();
  vek::wclass_testing_reset();
  vek::strutil_testing_reset();
  vek::vsprintf_testing_reset();
  vek::vscanf_testing_reset();
  vek::wide_testing_reset();
  w32::codepage_testing_reset();
  w32::error_testing_reset();
  w32::file_testing_reset();
  w32::fault_testing_reset();
  w32::library_testing_reset();
  w32::path_testing_reset();
  w32::registry_testing_reset();
  w32::system_testing_reset();
  w32::clock_testing_reset();
  w32::socket_testing_reset();
  w32::printer_testing_set_spool_folder(nullptr);
  w32::volume_testing_reset();
  w32::console_testing_reset();
  w32::environment_testing_remove_comspec(false);
  vek::getmem_testing_reset();
}

void start_in_english() { vek::set_language(vek::LANG_ENGLISH); }

int live_blocks() {
  int blocks = 0;
  vek::get_memory_usage(&blocks, nullptr, nullptr, nullptr);
  return blocks;
}

}  // namespace yrltest
