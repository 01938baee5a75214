#include "runtime/diag/diag.h"

#include <cstdio>
#include <cstdlib>

#include "fileaccess/backends/pfu.h"
#include "fileaccess/names/oshelp.h"
#include "runtime/diag/console.h"
#include "runtime/diag/diag_testing.h"
#include "runtime/diag/report_text.h"
#include "runtime/diag/runmode.h"
#include "runtime/system/process.h"
#include "runtime/text/wide.h"
#include "runtime/text/wstring.h"

namespace vek {

namespace {

int order_debug;
int dbg_crash_called;
int should_alert_on_error = -1;
int should_show_dialog = -1;
DbgCrashCallback dbg_err_crash_callback;
int vyn_debug_switch;
// How far the orderly stop has come. A crash from an exit function goes on to the exit
// hook (the list runs once); one from the exit hook or the signal path ends at once, so
// the stop can never recurse without end.
enum CrashStage { CRASH_IDLE, CRASH_EXIT_FUNCTIONS, CRASH_FINAL };
int crash_running = CRASH_IDLE;

MgrMsgFunc _mgr_msg_func;
MgrMsgIdFunc _mgr_msgID_func;
MgrMsgFunc _mgr_msg_put_in_trl_func;
DclComFunc _dcl_com_start_func = dummy_action;
DclComFunc _dcl_com_end_func = dummy_action;

const char* text_or_empty(const char* text) { return text ? text : ""; }

// Whether a crash-out asks the callback first; decided on the first report.
int decide_show_dialog(int run_mode) {
  if (get_input_mode() != 1) return 1;
  if (run_mode == 9029 || run_mode == -151) return 0;
  return std::getenv("DBG_ERR_SHOW_DIALOG") ? 1 : 0;
}

// The end of every stop, the plain one and the one whose signal handler returned: the
// exit functions (once), then the exit hook; when the hook returns, the process still
// ends.
[[noreturn]] void exit_after_stop() {
  vek_exit_run(2);
  crash_running = CRASH_FINAL;
  vek_exit(2);
  std::exit(2);
}

void put_in_trail(const char* text) {
  VynWchar wide[STR_LEN];
  strtows(wide, text);
  mgr_msg_put_in_trl(reinterpret_cast<VynWord>(wide), 0, 0, 0, 0, 0, 0, 0, 0, 0, 'E');
}

}  // namespace

int dbg_err_crash(const char* name, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  int result = dbg_err_crash_va(name, format, args);
  va_end(args);
  return result;
}

int dbg_err_crash_va(const char* name, const char* format, std::va_list args) {
  if (!order_debug || dbg_crash_called) return 0;
  lock_dbg_crash();
  dbg_crash_called = 1;
  int run_mode = get_run_mode();
  if (should_alert_on_error == -1) should_alert_on_error = run_mode != 0;
  if (should_show_dialog == -1) should_show_dialog = decide_show_dialog(run_mode);

  // The trail text stays empty unless the routine line is printed.
  char trail[STR_LEN] = "";
  const char* message = nullptr;
  if (run_mode != 0 && name) {
    if (format) {
      message = dbg_message_text(format, args);
      ivek_printf("%s:  %s\n", name, message);
      std::snprintf(trail, sizeof trail, "%s  :%s", name, message);
    } else {
      ivek_printf("%s:  \n", name);
      std::snprintf(trail, sizeof trail, "%s  :", name);
    }
  }

  int crash_out = should_alert_on_error != 0;
  if (crash_out && should_show_dialog && dbg_err_crash_callback) {
    crash_out = dbg_err_crash_callback(name, message) != 0;
  }
  if (crash_out) {
    static const char crashing[] = "dbg_err_crash() -- crashing out in ORDER_DEBUG ONLY.";
    if (trail[0]) put_in_trail(trail);
    put_in_trail(crashing);
    ivek_printf("%s\n", crashing);
    crash();
  }
  ivek_printf("dbg_err_crash() -- continuing from serious error (%s).\n", "ORDER_DEBUG");
  mgr_msg_put(reinterpret_cast<VynWord>("dummy message"),
              reinterpret_cast<VynWord>(
                  "dbg_err_crash() - continuing from serious error (ORDER_DEBUG)."));
  dbg_crash_called = 0;
  unlock_dbg_crash();
  return 1;
}

int dbg_err_syserr(const char* name, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  int result = dbg_err_syserr_va(name, format, args);
  va_end(args);
  return result;
}

int dbg_err_syserr_va(const char* name, const char* format, std::va_list args) {
  if (!order_debug) return 0;
  lock_dbg_err_syserr();
  if (get_run_mode() != 0 && name) {
    if (format) {
      ivek_printf("%s:  %s (ORDER_DEBUG)\n", name, dbg_message_text(format, args));
    } else {
      ivek_printf("%s:   (ORDER_DEBUG)\n", name);
    }
  }
  unlock_dbg_err_syserr();
  return 1;
}

int dbg_print_info(const char* name, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  int result = dbg_print_info_va(name, format, args);
  va_end(args);
  return result;
}

int dbg_print_info_va(const char* name, const char* format, std::va_list args) {
  if (get_run_mode() == 0) return 0;
  lock_dbg_print_info();
  if (name) ivek_printf("%s:  ", name);
  if (format) ivek_printf("%s", dbg_message_text(format, args));
  ivek_printf("%s", name ? " (INFO MESSAGE)\n" : "\n");
  unlock_dbg_print_info();
  return 1;
}

int VynDebugErrorReport_va(int kind, const char* name, const char* format, std::va_list args) {
  if (get_run_mode() == 0) return 0;
  switch (kind) {
    case 0: return dbg_err_crash_va(name, format, args);
    case 1: return dbg_err_syserr_va(name, format, args);
    case 2: return dbg_print_info_va(name, format, args);
    default: return 0;
  }
}

int set_verbose_mode(int on) {
  order_debug = on;
  return on;
}

int get_verbose_mode() { return order_debug; }

int set_dbg_err_crash(int flag) {
  should_alert_on_error = flag;
  return flag;
}

DbgCrashCallback set_dbg_err_crash_callback(DbgCrashCallback callback) {
  DbgCrashCallback previous = dbg_err_crash_callback;
  dbg_err_crash_callback = callback;
  return previous;
}

int set_vyn_debug_switch(int value) {
  vyn_debug_switch = value;
  return value;
}

int crash() {
  if (crash_running == CRASH_FINAL) {
    std::fflush(nullptr);
    std::_Exit(2);
  }
  if (crash_running == CRASH_IDLE) {
    crash_running = CRASH_EXIT_FUNCTIONS;
    if (std::getenv("ALLOW_CRASH")) {
      ivek_printf("Allowing crash: crash()\n");
      // The process ends in a way that a debugger stops at.
      std::abort();
    }
    if (vyn_debug_switch != 0) {
      crash_running = CRASH_FINAL;
      ctsu_raise_signal(11);
      // The handler returned: the stop ends as the plain one does.
      exit_after_stop();
    }
  }
  ivek_printf("Serious internal error; cannot continue.\n");
  exit_after_stop();
}

int error_break(const char* message) {
  mgr_msg_put(reinterpret_cast<VynWord>(message));
  // The message is printed as it stands: a '%' in it is no conversion.
  if (!message) return dbg_err_crash("error_break", nullptr);
  return dbg_err_crash("error_break", "%s", message);
}

int e_not_implemented_x(const char* name) {
  dbg_err_crash(name, "unimplemented case");
  return 13;
}

int mgr_msg_put(VynWord a1, VynWord a2, VynWord a3, VynWord a4, VynWord a5, VynWord a6,
                VynWord a7, VynWord a8, VynWord a9, VynWord a10, int letter) {
  if (!_mgr_msg_func) return 0;
  return _mgr_msg_func(a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, letter);
}

int mgr_msg_put_in_trl(VynWord a1, VynWord a2, VynWord a3, VynWord a4, VynWord a5,
                       VynWord a6, VynWord a7, VynWord a8, VynWord a9, VynWord a10,
                       int letter) {
  if (!_mgr_msg_put_in_trl_func) return 0;
  return _mgr_msg_put_in_trl_func(a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, letter);
}

int mgr_msgID_put(VynWord a1, VynWord a2, VynWord a3, VynWord a4, VynWord a5, VynWord a6,
                  VynWord a7, VynWord a8, VynWord a9, VynWord a10) {
  if (!_mgr_msgID_func) return 0;
  return _mgr_msgID_func(a1, a2, a3, a4, a5, a6, a7, a8, a9, a10);
}

MgrMsgFunc set_mgr_msg_func(MgrMsgFunc func) {
  _mgr_msg_func = func;
  return func;
}

MgrMsgIdFunc set_mgr_msgID_func(MgrMsgIdFunc func) {
  _mgr_msgID_func = func;
  return func;
}

MgrMsgFunc set_mgr_msg_put_in_trl_func(MgrMsgFunc func) {
  _mgr_msg_put_in_trl_func = func;
  return func;
}

int dcl_com(const char* command) {
  if (!command) return -1;
  if (get_run_mode() == 98765) ivek_printf("Dcl_com:  %s\n", command);
  return vyn_exec_command(1, "%s", command);
}

DclComFunc set_dcl_com_start_func(DclComFunc func) {
  _dcl_com_start_func = func;
  return func;
}

DclComFunc set_dcl_com_end_func(DclComFunc func) {
  _dcl_com_end_func = func;
  return func;
}

void dcl_com_start_func() {
  if (_dcl_com_start_func) _dcl_com_start_func();
}

void dcl_com_end_func() {
  if (_dcl_com_end_func) _dcl_com_end_func();
}

void dummy_action() {}

void lock_dbg_crash() {}
void unlock_dbg_crash() {}
void lock_dbg_print_info() {}
void unlock_dbg_print_info() {}
void lock_dbg_err_syserr() {}
void unlock_dbg_err_syserr() {}

void err_crash(const char* name, const char* message) {
  ivek_printf("%s:  %s\n", text_or_empty(name), text_or_empty(message));
  crash();
}

void err_unwind(const char* name, const char* message) {
  ivek_printf("%s:  %s\n", text_or_empty(name), text_or_empty(message));
  error_break("Memory error.");
}

void diag_testing_reset() {
  order_debug = 0;
  dbg_crash_called = 0;
  should_alert_on_error = -1;
  should_show_dialog = -1;
  dbg_err_crash_callback = nullptr;
  vyn_debug_switch = 0;
  crash_running = CRASH_IDLE;
  _mgr_msg_func = nullptr;
  _mgr_msgID_func = nullptr;
  _mgr_msg_put_in_trl_func = nullptr;
  _dcl_com_start_func = dummy_action;
  _dcl_com_end_func = dummy_action;
}

}  // namespace vek
