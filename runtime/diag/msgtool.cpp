#include "runtime/diag/msgtool.h"

#include <cstdio>
#include <cstring>

#include "fileaccess/core/pfa.h"
#include "runtime/diag/console.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/msgtool_testing.h"
#include "runtime/diag/report_text.h"

namespace vek {

namespace {

// Size of the buffers that a report's text is written from.
constexpr std::size_t MSG_BUFFER = 1000;

int dbg_allow_print;
int dbg_allow_crash;
DbgMsgCrashFunc crash_func;
char dbg_error_fname[260];
int fresh = 1;
int dbg_msg_tool_called;

const char* banner_of(int kind) {
  switch (kind) {
    case 1: return "\n*** %c-LEVEL ERROR in %s : ***\n\t";
    case 2: return "\n*** FATAL ERROR in %s : ***\n\t";
    default: return "\n*** INFO MESSAGE from %s : ***\n\t";
  }
}

// The formatted message, cut to the report buffer: the text then leaves the
// formatter's internal buffer, which writing it through a file handle reuses.
void format_report(char* buffer, const char* format, std::va_list args) {
  std::snprintf(buffer, MSG_BUFFER, "%s", dbg_message_text(format, args));
}

}  // namespace

void dbg_msg_tool(int kind, const char* where, int level, const char* format,
                  std::va_list args) {
  if (dbg_msg_tool_called) return;
  lock_dbg_msg_tool();
  dbg_msg_tool_called = 1;
  if (!where) where = "";

  int do_crash = 0;
  if (kind == 2) do_crash = dbg_allow_crash && (!crash_func || crash_func(where) != 0);

  if (dbg_allow_print) {
    VynFile* file = nullptr;
    if (dbg_error_fname[0]) file = pfa_fopen_file_vers(dbg_error_fname, fresh ? "w" : "a", 0);
    if (kind == 1) {
      dbg_pfa_fprintf(file, banner_of(kind), level, where);
    } else {
      dbg_pfa_fprintf(file, banner_of(kind), where);
    }
    char message[MSG_BUFFER];
    format_report(message, format, args);
    dbg_pfa_fprintf(file, "%s\n", message);
    if (file) {
      pfa_dispose(&file);
      fresh = 0;
    }
  }

  dbg_msg_tool_called = 0;
  unlock_dbg_msg_tool();
  if (do_crash) crash();
}

void dbg_info_msg(const char* where, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  dbg_msg_tool(0, where, ' ', format, args);
  va_end(args);
}

void dbg_error_msg(const char* where, int level, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  dbg_msg_tool(1, where, level, format, args);
  va_end(args);
}

void dbg_crash_msg(const char* where, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  dbg_msg_tool(2, where, ' ', format, args);
  va_end(args);
}

void dbg_set_allow_print(int on) { dbg_allow_print = on; }

void dbg_set_allow_crash(int on) { dbg_allow_crash = on; }

DbgMsgCrashFunc dbg_set_crash_func(DbgMsgCrashFunc func) {
  crash_func = func;
  return func;
}

void dbg_set_error_file_name(const char* name) {
  std::snprintf(dbg_error_fname, sizeof dbg_error_fname, "%s", name ? name : "");
}

void lock_dbg_msg_tool() {}
void unlock_dbg_msg_tool() {}

int dbg_fprintf(std::FILE* stream, const char* format, ...) {
  char buffer[MSG_BUFFER];
  std::va_list args;
  va_start(args, format);
  format_report(buffer, format, args);
  va_end(args);
  return ivek_fprintf(stream ? stream : stderr, "%s", buffer);
}

int dbg_pfa_fprintf(VynFile* file, const char* format, ...) {
  char buffer[MSG_BUFFER];
  std::va_list args;
  va_start(args, format);
  format_report(buffer, format, args);
  va_end(args);
  return pfa_fprintf(file ? file : pfa_get_stderr(), "%s", buffer);
}

void msgtool_testing_reset() {
  dbg_allow_print = 0;
  dbg_allow_crash = 0;
  crash_func = nullptr;
  dbg_error_fname[0] = '\0';
  fresh = 1;
  dbg_msg_tool_called = 0;
}

}  // namespace vek
