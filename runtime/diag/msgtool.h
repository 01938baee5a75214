// The framed reports of the message tool, the debug printers, the integer table dumps
// and the names of the toolkit's status codes.
#pragma once

#include <cstdarg>
#include <cstdio>

namespace vek {

struct VynFile;

typedef int (*DbgMsgCrashFunc)(const char* where);

// kind 0 information, 1 error of a level letter, 2 fatal.
void dbg_msg_tool(int kind, const char* where, int level, const char* format,
                  std::va_list args);
void dbg_info_msg(const char* where, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
void dbg_error_msg(const char* where, int level, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
void dbg_crash_msg(const char* where, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
void dbg_set_allow_print(int on);
void dbg_set_allow_crash(int on);
DbgMsgCrashFunc dbg_set_crash_func(DbgMsgCrashFunc func);
// Reports go to this file (at most 259 characters kept); empty: the standard error
// stream. The first report of the process empties the file, later ones append.
void dbg_set_error_file_name(const char* name);
void lock_dbg_msg_tool();
void unlock_dbg_msg_tool();

// Format with vyn_vsprintf (at most 999 characters are written) and write onto a
// stream (null: standard error) / a file handle (null: the standard error handle).
int dbg_fprintf(std::FILE* stream, const char* format, ...);
int dbg_pfa_fprintf(VynFile* file, const char* format, ...);

// Writes "<title>[id, id, ...]" and a newline onto a file handle (null: the standard
// error handle). A null title is empty; a null table or n <= 0 writes no ids.
void dbg_pfa_show_id_tab(VynFile* file, const char* title, const int* ids, int n);
// The same for a growable int array (its handle): "<title><NULL>" for a null handle,
// "<title><INVALID>" for a bad handle or one whose elements are not 4 bytes.
void dbg_pfa_show_id_tab_xar(VynFile* file, const char* title, const int* array);

// One row of the toolkit's status names.
struct VynErrorMsg {
  int code;
  const char* name;
};
constexpr int ERROR_MSGS_COUNT = 63;
extern const VynErrorMsg error_msgs[ERROR_MSGS_COUNT];

// The name of the first row of error_msgs with this code; "" when none has it.
const char* vynkit_perror(int code);

// 1-based position of the lowest set bit of the 32-bit value; 0 for 0.
int ffs(int v);

}  // namespace vek
