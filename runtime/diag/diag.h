// Fault reports of the run-time library and the orderly stop.
#pragma once

#include <cstdarg>

#include "runtime/vekbase.h"

namespace vek {

// Hooks by which a report reaches a host's message area and trail. They receive up to
// ten argument words (and, for the trail, a character) exactly as given.
typedef int (*MgrMsgFunc)(VynWord a1, VynWord a2, VynWord a3, VynWord a4, VynWord a5,
                          VynWord a6, VynWord a7, VynWord a8, VynWord a9, VynWord a10,
                          int letter);
typedef int (*MgrMsgIdFunc)(VynWord a1, VynWord a2, VynWord a3, VynWord a4, VynWord a5,
                            VynWord a6, VynWord a7, VynWord a8, VynWord a9, VynWord a10);
typedef int (*DbgCrashCallback)(const char* name, const char* message);
typedef void (*DclComFunc)();

// The report functions format their message with vyn_vsprintf: d i o u x c, ld li lo lu
// lx, f e g lf, s, ws, pd, pf and "%%", with flags, width and precision. There is no %p,
// no %n, no h, ll or z length, and no positional "$": such a format is printed as it
// stands. printf-format checking still warns about argument types.

// Serious internal error: silent unless verbose mode is on. 0 when silent or re-entered.
int dbg_err_crash(const char* name, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
int dbg_err_crash_va(const char* name, const char* format, std::va_list args);
// Failed system call: 0 unless verbose mode is on.
int dbg_err_syserr(const char* name, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
int dbg_err_syserr_va(const char* name, const char* format, std::va_list args);
// Information trace: 0 in run mode 0.
int dbg_print_info(const char* name, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
int dbg_print_info_va(const char* name, const char* format, std::va_list args);
// kind 0 serious error, 1 system error, 2 information.
int VynDebugErrorReport_va(int kind, const char* name, const char* format, std::va_list args);

int set_verbose_mode(int on);
int get_verbose_mode();
int set_dbg_err_crash(int flag);
DbgCrashCallback set_dbg_err_crash_callback(DbgCrashCallback callback);
int set_vyn_debug_switch(int value);

// The orderly stop: exit functions with code 2, then the exit hook (vek_exit), then the
// process ends with code 2. Never returns, not even when the hook or a signal handler
// does. Called again from an exit function it prints its line again and goes on to the
// hook without running the list twice; called from the hook or the signal path it ends
// the process at once.
[[noreturn]] int crash();
int error_break(const char* message);
int e_not_implemented_x(const char* name);

int mgr_msg_put(VynWord a1 = 0, VynWord a2 = 0, VynWord a3 = 0, VynWord a4 = 0,
                VynWord a5 = 0, VynWord a6 = 0, VynWord a7 = 0, VynWord a8 = 0,
                VynWord a9 = 0, VynWord a10 = 0, int letter = 0);
int mgr_msg_put_in_trl(VynWord a1 = 0, VynWord a2 = 0, VynWord a3 = 0, VynWord a4 = 0,
                       VynWord a5 = 0, VynWord a6 = 0, VynWord a7 = 0, VynWord a8 = 0,
                       VynWord a9 = 0, VynWord a10 = 0, int letter = 0);
int mgr_msgID_put(VynWord a1 = 0, VynWord a2 = 0, VynWord a3 = 0, VynWord a4 = 0,
                  VynWord a5 = 0, VynWord a6 = 0, VynWord a7 = 0, VynWord a8 = 0,
                  VynWord a9 = 0, VynWord a10 = 0);
MgrMsgFunc set_mgr_msg_func(MgrMsgFunc func);
MgrMsgIdFunc set_mgr_msgID_func(MgrMsgIdFunc func);
MgrMsgFunc set_mgr_msg_put_in_trl_func(MgrMsgFunc func);

int dcl_com(const char* command);
DclComFunc set_dcl_com_start_func(DclComFunc func);
DclComFunc set_dcl_com_end_func(DclComFunc func);
void dcl_com_start_func();
void dcl_com_end_func();
void dummy_action();

void lock_dbg_crash();
void unlock_dbg_crash();
void lock_dbg_print_info();
void unlock_dbg_print_info();
void lock_dbg_err_syserr();
void unlock_dbg_err_syserr();

// Fatal faults of the containers: "%s:  %s\n" whatever the modes, then crash().
[[noreturn]] void err_crash(const char* name, const char* message);
// "%s:  %s\n", then error_break("Memory error."), and return.
void err_unwind(const char* name, const char* message);

}  // namespace vek
