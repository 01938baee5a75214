// The test-call report: every host call that the utilities make hands its status here.
// In the default (silent) run mode nothing happens; the test run modes, chosen once per
// process from the environment, write each call to a regression log, count it in a
// statistics table, or stop the host at the first unexpected failure. Beside it: the
// regression log itself, the command-line parser that names the trail file, and the
// file-name helper of the tests.
//
// Process-wide state (run mode, log stream and path, trail name, statistics table) lives
// in plain statics; testreport_testing.h resets it.
#pragma once

#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

// Run modes. SILENT is also the mode before the first report.
enum : int {
  VYN_TEST_RUNMODE_SILENT = 1,
  VYN_TEST_RUNMODE_REPORT = 2,
  VYN_TEST_RUNMODE_CRASH = 3,
  VYN_TEST_RUNMODE_STATISTIC = 4,
  VYN_TEST_RUNMODE_CRASH_REPORT = 5,
};

// Bytes of a function name in the permitted-error and statistics tables, terminator
// included; names are compared and kept over their first VYN_TEST_NAME_KEEP characters.
constexpr int VYN_TEST_NAME_SIZE = 40;
constexpr int VYN_TEST_NAME_KEEP = 38;
// Bytes of the report line and of the cut copy of a function text, terminator included;
// longer texts are cut to fit.
constexpr int VYN_TEST_LINE_SIZE = 100;
// Bytes of the kept log path and of the trail-file name, terminator included; longer
// texts are cut to fit (a log path that had to be cut is not opened).
constexpr int VYN_TEST_PATH_SIZE = 512;

// One row of the statistics table: how often function answered status.
struct VynTestStatisticRow {
  int count;
  int status;
  char name[VYN_TEST_NAME_SIZE];
};
static_assert(sizeof(VynTestStatisticRow) == 48);

// Reports the status of the host call function (as a rule "VynX()") made by caller.
// error_flag is, as a rule, status != 0; a failure listed as permitted clears it.
void VynTestCallReport(const char* function, const char* caller, VynError status,
                       int error_flag);

// The run mode: decided from the environment on the first call, then kept.
int VynTestRunmodeGet();

// Opens the regression log "<VYNTOOL_LOG_DIR>/<base>.log" for appending and writes its
// header (nothing in the silent mode). The base is name (or "regtest" for null) up to
// its first "."; name itself is left as it is. In the statistic mode it also creates the
// statistics table. 0.
int VynTestErrlogOpen(const char* name, const char* version, const char* build);
// Writes text to the open log and closes and reopens it, so that it reaches the disk; 0.
int VynTestErrlogWrite(const char* text);
// Writes and frees the statistics table (when there is one), then closes the log; 0.
int VynTestErrlogClose();
// Opens the kept log path again for appending; 0.
int VynTestErrlogReopen();

// Counts one call of function with status in the statistics table: 1 when counted, 0
// when no log is open. caller is not kept.
int VynTestStatisticWrite(const char* function, const char* caller, VynError status);
// Order of the statistics rows (addresses of two VynTestStatisticRow): by name over its
// kept characters, byte-wise, then by status ascending.
int VynTestStatisticCmp(const void* a, const void* b);

// Takes the trail-file name from the last argument (index 1 on) that contains "+trail:":
// the text after its first ":". 0.
int VynUtilCommandLineParse(int argc, char** argv);

// out = the name of model (lower case) or "nomodel" for a null model or one whose name
// cannot be read, followed by suffix; cut to out_size bytes with the terminator. Returns
// out (null for a null out or an out_size below 1).
char* VynTestQcrName(VynMdl model, const char* suffix, char* out, int out_size);
