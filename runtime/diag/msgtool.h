// The framed reports of the message tool.
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

}  // namespace vek
