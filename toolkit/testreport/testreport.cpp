#include "toolkit/testreport/testreport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/w32/crt.h"
#include "runtime/algo/sort.h"
#include "runtime/diag/console.h"
#include "runtime/text/textbase.h"
#include "toolkit/api/app_api.h"
#include "toolkit/api/startup_api.h"
#include "toolkit/testreport/testreport_testing.h"
#include "toolkit/util/strinput.h"
#include "toolkit/util/strutil.h"
#include "toolkit/util/strutil_report.h"

namespace {

// A host failure that callers expect and that is therefore no error.
struct PermittedError {
  char name[VYN_TEST_NAME_SIZE];
  int status;
};

constexpr PermittedError permited_errors[] = {
    {"VynMenuProcess", -5},   {"VynModelitemNameGet", -4}, {"VynSelect", -14},
    {"VynSelect", -3},        {"VynSolidDisplay", -5},     {"VynGraphicsColorSet", -12},
    {"VynLinestyleSet", -12},
};

// 0 until the mode has been decided; VynTestRunmodeGet answers SILENT until then.
int run_mode_decided;
int run_mode = VYN_TEST_RUNMODE_SILENT;

std::FILE* log_stream;
char log_path[VYN_TEST_PATH_SIZE];
char trail_name[VYN_TEST_PATH_SIZE];
VynArray statistic_table;

// Copies text into a buffer of size bytes, cut to fit; true when it fitted whole.
bool copy_bounded(char* to, int size, const char* text) {
  return vek::copy_cut(to, text, static_cast<std::size_t>(size)) == 0;
}

// Appends text to the buffer, cut to fit; true when it fitted whole.
bool append_bounded(char* to, int size, const char* text) {
  std::size_t used = std::strlen(to);
  return copy_bounded(to + used, size - static_cast<int>(used), text);
}

// A name as the tables keep it: a name of VYN_TEST_NAME_KEEP or more characters becomes
// its first 34 characters followed by "..". Reports and rows are both compared in this
// form, so that a shortened row is found again by the next report of its function.
void kept_name(const char* function, char* out) {
  std::size_t n = std::strlen(function);
  if (n >= static_cast<std::size_t>(VYN_TEST_NAME_KEEP)) {
    std::memcpy(out, function, 34);
    std::memcpy(out + 34, "..", 3);
  } else {
    std::memcpy(out, function, n + 1);
  }
}

bool permitted(const char* function, VynError status) {
  char cut[VYN_TEST_LINE_SIZE];
  copy_bounded(cut, sizeof cut, function);
  if (char* paren = std::strchr(cut, '(')) *paren = '\0';
  for (const PermittedError& row : permited_errors) {
    if (row.status == status && std::strcmp(row.name, cut) == 0) return true;
  }
  return false;
}

// The report line: function, caller and status in fixed columns, cut to the line buffer.
void report_line(char* line, const char* function, const char* caller, VynError status) {
  std::snprintf(line, VYN_TEST_LINE_SIZE, "%-37s %-37.37s% -d\n", function, caller, status);
  // A cut line still ends its row.
  std::size_t n = std::strlen(line);
  if (n == static_cast<std::size_t>(VYN_TEST_LINE_SIZE) - 1 && line[n - 1] != '\n') {
    line[n - 1] = '\n';
  }
}

void log_header_line(const char* format, const char* text) {
  std::fprintf(log_stream, format, text);
  std::fflush(log_stream);
}

// Flushes and closes the stream; the path and the statistics table stay.
void close_stream() {
  if (!log_stream) return;
  std::fflush(log_stream);
  std::fclose(log_stream);
  log_stream = nullptr;
}

void decide_run_mode() {
  if (const char* regress = std::getenv("R_VYNDEV_REGRESS")) {
    run_mode = std::strcmp(regress, "no_crash") == 0 ? VYN_TEST_RUNMODE_REPORT
                                                     : VYN_TEST_RUNMODE_CRASH;
    return;
  }
  const char* debug = std::getenv("VYNTOOL_DEBUG");
  if (!debug || VynUtilStrcmp(debug, "silent") == 0) {
    run_mode = VYN_TEST_RUNMODE_SILENT;
    vek::ivek_printf("\n   Vynkit Run Mode SILENT\n\n");
  } else if (VynUtilStrcmp(debug, "crash") == 0) {
    run_mode = VYN_TEST_RUNMODE_CRASH;
    vek::ivek_printf("\n   Vynkit Run Mode CRASH\n\n");
  } else if (VynUtilStrcmp(debug, "stat") == 0) {
    run_mode = VYN_TEST_RUNMODE_STATISTIC;
    vek::ivek_printf("\n   Vynkit Run Mode STATISTIC\n\n");
  } else if (VynUtilStrcmp(debug, "crash_rep") == 0) {
    run_mode = VYN_TEST_RUNMODE_CRASH_REPORT;
    vek::ivek_printf("\n   Vynkit Run Mode CRASH_REPORT\n\n");
  } else {
    run_mode = VYN_TEST_RUNMODE_REPORT;
    vek::ivek_printf("\n   Vynkit Run Mode REPORT\n\n");
  }
}

}  // namespace

int VynTestRunmodeGet() {
  if (!run_mode_decided) {
    decide_run_mode();
    run_mode_decided = 1;
  }
  return run_mode;
}

void VynTestCallReport(const char* function, const char* caller, VynError status,
                       int error_flag) {
  if (!function) function = "";
  if (!caller) caller = "";
  if (error_flag && permitted(function, status)) error_flag = 0;
  char line[VYN_TEST_LINE_SIZE];
  switch (VynTestRunmodeGet()) {
    case VYN_TEST_RUNMODE_REPORT:
      report_line(line, function, caller, status);
      VynTestErrlogWrite(line);
      break;
    case VYN_TEST_RUNMODE_CRASH:
      report_line(line, function, caller, status);
      VynTestErrlogWrite(line);
      if (error_flag) {
        vek::ivek_printf("\n*** CRASHING Vynkit TEST ***\n");
        vek::ivek_printf("    Function         : %s\n", function);
        vek::ivek_printf("    Calling function : %s\n", caller);
        vek::ivek_printf("    Status           : %d\n", status);
        VynTestErrlogWrite("** CRASHED **\n");
        VynTestErrlogClose();
        MavrelAbort();
      }
      break;
    case VYN_TEST_RUNMODE_STATISTIC:
      VynTestStatisticWrite(function, caller, status);
      break;
    case VYN_TEST_RUNMODE_CRASH_REPORT:
      if (error_flag) {
        report_line(line, function, caller, status);
        VynTestErrlogWrite(line);
      }
      break;
    default:
      break;
  }
}

int VynTestErrlogOpen(const char* name, const char* version, const char* build) {
  if (VynTestRunmodeGet() == VYN_TEST_RUNMODE_SILENT) return 0;
  char dir[VYN_TEST_PATH_SIZE] = "";
  bool fits = true;
  if (const char* env = std::getenv("VYNTOOL_LOG_DIR")) {
    fits = copy_bounded(dir, sizeof dir, env);
    std::size_t n = std::strlen(dir);
    if (n == 0 || dir[n - 1] != '/') fits = append_bounded(dir, sizeof dir, "/") && fits;
  }
  vek::ivek_printf("   Logfile dir : %s\n", dir);
  // The base name is cut in a copy: the caller's text may be a literal or still in use.
  char base[VYN_TEST_PATH_SIZE];
  fits = copy_bounded(base, sizeof base, name ? name : "regtest") && fits;
  if (char* dot = std::strchr(base, '.')) *dot = '\0';
  char path[VYN_TEST_PATH_SIZE];
  std::strcpy(path, dir);
  fits = append_bounded(path, sizeof path, base) && fits;
  fits = append_bounded(path, sizeof path, ".log") && fits;
  // A path that had to be cut would name another file: keep none and open none.
  close_stream();
  if (!fits) {
    log_path[0] = '\0';
    return 0;
  }
  std::strcpy(log_path, path);
  log_stream = w32::fopen(log_path, "a");
  if (log_stream) {
    // The local time as ctime gives it, newline included.
    std::time_t now = std::time(nullptr);
    char started[64];
    if (!ctime_r(&now, started)) std::strcpy(started, "\n");
    log_header_line("%s", "# Vynkit Regression Test Log\n");
    log_header_line("%s", "#--------------------------------\n");
    log_header_line("# Mavrel version : %s\n", version ? version : "");
    log_header_line("# Mavrel build   : %s\n", build ? build : "");
    log_header_line("# Started at           : %s", started);
    if (trail_name[0]) log_header_line("# Trail file name      : %s\n", trail_name);
    log_header_line("%s", "#\n");
    log_header_line("%s", "# Vynkit Function         Called From                   Status\n#\n");
  }
  if (VynTestRunmodeGet() == VYN_TEST_RUNMODE_STATISTIC && !statistic_table) {
    VynArrayAlloc(0, static_cast<int>(sizeof(VynTestStatisticRow)), 10, &statistic_table);
  }
  return 0;
}

int VynTestErrlogWrite(const char* text) {
  if (!log_stream || !text) return 0;
  std::fprintf(log_stream, "%s", text);
  // Closing and reopening puts the line on disk even if the host stops next; the
  // statistics table is not touched by this cycle.
  close_stream();
  VynTestErrlogReopen();
  return 0;
}

int VynTestErrlogReopen() {
  if (log_path[0] && !log_stream) log_stream = w32::fopen(log_path, "a");
  return 0;
}

int VynTestErrlogClose() {
  if (!log_stream) return 0;
  if (statistic_table) {
    int size = 0;
    if (VynArraySizeGet(statistic_table, &size) == VYN_TK_NO_ERROR) {
      const VynTestStatisticRow* rows = static_cast<const VynTestStatisticRow*>(statistic_table);
      for (int i = 0; i < size; ++i) {
        // "% -20s" in the row's format: the blank flag does nothing for text, so the
        // caller column is written as "%-20s".
        std::fprintf(log_stream, "%-37s%-20s% -6d% -6d\n", rows[i].name, "internal()",
                     rows[i].status, rows[i].count);
      }
    }
    VynArrayFree(&statistic_table);
    statistic_table = nullptr;
  }
  close_stream();
  return 0;
}

int VynTestStatisticWrite(const char* function, const char* caller, VynError status) {
  (void)caller;
  if (!log_stream || !statistic_table) return 0;
  if (!function) function = "";
  VynTestStatisticRow row;
  std::memset(&row, 0, sizeof row);
  row.count = 1;
  row.status = status;
  kept_name(function, row.name);
  int size = 0;
  if (VynArraySizeGet(statistic_table, &size) != VYN_TK_NO_ERROR) return 0;
  VynTestStatisticRow* rows = static_cast<VynTestStatisticRow*>(statistic_table);
  for (int i = 0; i < size; ++i) {
    if (rows[i].status == status &&
        std::strncmp(rows[i].name, row.name, VYN_TEST_NAME_KEEP) == 0) {
      ++rows[i].count;
      return 1;
    }
  }
  if (VynArrayObjectAdd(&statistic_table, -1, 1, &row) != VYN_TK_NO_ERROR) return 0;
  if (VynArraySizeGet(statistic_table, &size) != VYN_TK_NO_ERROR) return 1;
  vek::sort_objects(size, VynTestStatisticCmp, statistic_table,
                    static_cast<int>(sizeof(VynTestStatisticRow)));
  return 1;
}

int VynTestStatisticCmp(const void* a, const void* b) {
  const VynTestStatisticRow* row_a = static_cast<const VynTestStatisticRow*>(a);
  const VynTestStatisticRow* row_b = static_cast<const VynTestStatisticRow*>(b);
  int by_name = std::strncmp(row_a->name, row_b->name, VYN_TEST_NAME_KEEP);
  if (by_name != 0) return by_name;
  if (row_a->status < row_b->status) return -1;
  return row_a->status > row_b->status ? 1 : 0;
}

int VynUtilCommandLineParse(int argc, char** argv) {
  if (!argv) return 0;
  for (int i = 1; i < argc; ++i) {
    if (!argv[i] || !std::strstr(argv[i], "+trail:")) continue;
    copy_bounded(trail_name, sizeof trail_name, std::strchr(argv[i], ':') + 1);
  }
  return 0;
}

char* VynTestQcrName(VynMdl model, const char* suffix, char* out, int out_size) {
  if (!out || out_size < 1) return nullptr;
  char name[VYN_UTIL_MODELNAME_SIZE];
  const char* text = "nomodel";
  if (!model) {
    VynMdl current = nullptr;
    util_call_report("VynMdlCurrentGet()", "VynTestQcrName()", VynMdlCurrentGet(&current));
  } else if (VynUtilModelnameGet(&model, name, nullptr)) {
    text = name;
  }
  copy_bounded(out, out_size, text);
  if (suffix) append_bounded(out, out_size, suffix);
  return out;
}

void testreport_testing_reset() {
  close_stream();
  run_mode_decided = 0;
  run_mode = VYN_TEST_RUNMODE_SILENT;
  log_path[0] = '\0';
  trail_name[0] = '\0';
  if (statistic_table) VynArrayFree(&statistic_table);
  statistic_table = nullptr;
}
