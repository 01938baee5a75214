#include "runtime/diag/msgtool.h"

#include <cstdint>
#include <cstdio>

#include "fileaccess/core/pfa.h"
#include "runtime/diag/console.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/msgtool_testing.h"
#include "runtime/diag/report_text.h"
#include "runtime/memory/xar.h"
#include "runtime/text/textbase.h"

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
  copy_cut(buffer, dbg_message_text(format, args), MSG_BUFFER);
}

VynFile* report_target(VynFile* file) { return file ? file : pfa_get_stderr(); }

}  // namespace

const VynErrorMsg error_msgs[ERROR_MSGS_COUNT] = {
    {0, "VYN_TK_NO_ERROR"},
    {-1, "VYN_TK_GENERAL_ERROR"},
    {-2, "VYN_TK_BAD_INPUTS"},
    {-3, "VYN_TK_USER_ABORT"},
    {-4, "VYN_TK_E_NOT_FOUND"},
    {-5, "VYN_TK_E_FOUND"},
    {-6, "VYN_TK_LINE_TOO_LONG"},
    {-7, "VYN_TK_CONTINUE"},
    {-8, "VYN_TK_BAD_CONTEXT"},
    {-9, "VYN_TK_NOT_IMPLEMENTED"},
    {-10, "VYN_TK_OUT_OF_MEMORY"},
    {-11, "VYN_TK_COMM_ERROR"},
    {-12, "VYN_TK_NO_CHANGE"},
    {-13, "VYN_TK_SUPP_PARENTS"},
    {-14, "VYN_TK_PICK_ABOVE"},
    {-15, "VYN_TK_INVALID_DIR"},
    {-16, "VYN_TK_INVALID_FILE"},
    {-17, "VYN_TK_CANT_WRITE"},
    {-18, "VYN_TK_INVALID_TYPE"},
    {-19, "VYN_TK_INVALID_PTR"},
    {-20, "VYN_TK_UNAV_SEC"},
    {-21, "VYN_TK_INVALID_MATRIX"},
    {-22, "VYN_TK_INVALID_NAME"},
    {-23, "VYN_TK_NOT_EXIST"},
    {-24, "VYN_TK_CANT_OPEN"},
    {-25, "VYN_TK_ABORT"},
    {-26, "VYN_TK_NOT_VALID"},
    {-27, "VYN_TK_INVALID_ITEM"},
    {-28, "VYN_TK_MSG_NOT_FOUND"},
    {-29, "VYN_TK_MSG_NO_TRANS"},
    {-30, "VYN_TK_MSG_FMT_ERROR"},
    {-31, "VYN_TK_MSG_USER_QUIT"},
    {-32, "VYN_TK_MSG_TOO_LONG"},
    {-33, "VYN_TK_CANT_ACCESS"},
    {-34, "VYN_TK_OBSOLETE_FUNC"},
    {-35, "VYN_TK_NO_COORD_SYSTEM"},
    {-36, "VYN_TK_E_AMBIGUOUS"},
    {-37, "VYN_TK_E_DEADLOCK"},
    {-38, "VYN_TK_E_BUSY"},
    {-39, "VYN_TK_E_IN_USE"},
    {-41, "VYN_TK_BSPL_UNSUITABLE_DEGREE"},
    {-42, "VYN_TK_BSPL_NON_STD_END_KNOTS"},
    {-43, "VYN_TK_BSPL_MULTI_INNER_KNOTS"},
    {-44, "VYN_TK_BAD_SRF_CRV"},
    {-45, "VYN_TK_EMPTY"},
    {-46, "VYN_TK_BAD_DIM_ATTACH"},
    {-47, "VYN_TK_NOT_DISPLAYED"},
    {-48, "VYN_TK_CANT_MODIFY"},
    {-49, "VYN_TK_CHECKOUT_CONFLICT"},
    {-50, "VYN_TK_CRE_VIEW_BAD_SHEET"},
    {-51, "VYN_TK_CRE_VIEW_BAD_MODEL"},
    {-52, "VYN_TK_CRE_VIEW_BAD_PARENT"},
    {-53, "VYN_TK_CRE_VIEW_BAD_TYPE"},
    {-54, "VYN_TK_CRE_VIEW_BAD_EXPLODE"},
    {-55, "VYN_TK_UNATTACHED_FEATS"},
    {-56, "VYN_TK_REGEN_AGAIN"},
    {-57, "VYN_TK_DWGCREATE_ERRORS"},
    {-93, "VYN_TK_APP_XS_CALLBACKS"},
    {-94, "VYN_TK_APP_STARTUP_FAIL"},
    {-95, "VYN_TK_APP_INIT_FAIL"},
    {-96, "VYN_TK_APP_VERSION_MISMATCH"},
    {-97, "VYN_TK_APP_COMM_FAILURE"},
    {-98, "VYN_TK_APP_NEW_VERSION"},
};

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
    // The message is cut to its buffer, but its line always ends: the newline is
    // written with it rather than formatted into the same 1000 bytes.
    char message[MSG_BUFFER];
    format_report(message, format, args);
    pfa_fprintf(report_target(file), "%s\n", message);
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
  copy_cut(dbg_error_fname, name, sizeof dbg_error_fname);
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
  return pfa_fprintf(report_target(file), "%s", buffer);
}

void dbg_pfa_show_id_tab(VynFile* file, const char* title, const int* ids, int n) {
  dbg_pfa_fprintf(file, "%s[", title ? title : "");
  for (int i = 0; ids && i < n; ++i) dbg_pfa_fprintf(file, "%s%d", i ? ", " : "", ids[i]);
  dbg_pfa_fprintf(file, "]\n");
}

void dbg_pfa_show_id_tab_xar(VynFile* file, const char* title, const int* array) {
  dbg_pfa_fprintf(file, "%s", title ? title : "");
  if (!array) {
    dbg_pfa_fprintf(file, "%s\n", "<NULL>");
    return;
  }
  int size = 0;
  int count = 0;
  // The validity check comes first: xar_params ends the process on a bad handle.
  if (!debug_xar_invalid(&array)) xar_params(&array, &size, nullptr, &count, nullptr);
  if (size != static_cast<int>(sizeof(int))) {
    dbg_pfa_fprintf(file, "%s\n", "<INVALID>");
    return;
  }
  dbg_pfa_show_id_tab(file, "", array, count);
}

const char* vynkit_perror(int code) {
  for (const VynErrorMsg& row : error_msgs)
    if (row.code == code) return row.name;
  return "";
}

int ffs(int v) {
  auto bits = static_cast<std::uint32_t>(v);
  if (bits == 0) return 0;
  int position = 1;
  while (!(bits & 1u)) {
    bits >>= 1;
    ++position;
  }
  return position;
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
