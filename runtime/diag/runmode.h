// The process-wide run mode and the exit-function registry.
#pragma once

namespace vek {

// A function run by the stop with the exit code.
typedef void (*VekExitFunc)(int code);
// The function that replaces the process exit; vek_exit hands on its result.
typedef int (*VekExitHook)(int code);

int get_run_mode();
int set_run_mode(int mode);
int user_run_mode();
int regression_run_mode();
int is_run_mode(int mode);
int add_added_run_mode(int mode);
int del_added_run_mode(int mode);
int del_all_added_run_modes();
int vyn_set_debug_env(int on);
int is_runmode_trl_show_picks();

int vek_exit_register(VekExitFunc func);
int vek_exit_unregister(VekExitFunc func);
void vek_exit_run(int code);
VekExitHook set_vek_exit_func(VekExitHook func);
// Calls the function set by set_vek_exit_func and returns its result, or ends the
// process with exit(code).
int vek_exit(int code);
void lock_vek_exit_functions();
void unlock_vek_exit_functions();

}  // namespace vek
