#include "runtime/diag/runmode.h"

#include <cstdlib>
#include <cstring>

#include "runtime/diag/diag.h"
#include "runtime/diag/msgtool.h"
#include "runtime/diag/runmode_testing.h"
#include "runtime/memory/arrays.h"
#include "runtime/memory/xar.h"

namespace vek {

namespace {

int run_mode;
int* added_run_modes;        // int list, null until the first mode is added
VekExitFunc* exit_funcs;     // newest first, null until the first registration
VekExitHook vek_exit_func;
int exit_called;
int show_picks = -1;

constexpr int ADDED_RUN_MODES_STEP = 4;
constexpr int EXIT_FUNCS_STEP = 3;
// Exit lists up to this length are copied onto the stack before the run.
constexpr int EXIT_RUN_LOCAL = 32;

}  // namespace

int get_run_mode() { return run_mode; }

int set_run_mode(int mode) {
  int previous = run_mode;
  run_mode = mode;
  return previous;
}

int user_run_mode() { return run_mode == 0; }

int regression_run_mode() {
  return run_mode == 9029 || run_mode == 9129 || run_mode == 9229 || run_mode == 9329;
}

int is_run_mode(int mode) {
  if (mode == run_mode) return 1;
  return added_run_modes && int_in_list(mode, added_run_modes) >= 0 ? 1 : 0;
}

int add_added_run_mode(int mode) {
  xar_alloc_or_append(&added_run_modes, 1, sizeof(int), ADDED_RUN_MODES_STEP, &mode);
  return 0;
}

int del_added_run_mode(int mode) {
  for (int i = xar_count(&added_run_modes) - 1; i >= 0; --i) {
    if (added_run_modes[i] == mode) xar_remove(&added_run_modes, i, 1);
  }
  return 0;
}

int del_all_added_run_modes() {
  xar_free(&added_run_modes);
  return 0;
}

int vyn_set_debug_env(int on) {
  dbg_set_allow_print(on);
  dbg_set_allow_crash(on);
  set_vyn_debug_switch(on);
  debug_xar_force_ext_no(on);
  return set_run_mode(on ? -1 : 0);
}

int is_runmode_trl_show_picks() {
  if (show_picks == -1) show_picks = std::getenv("VYN_SHOW_PICKS_MODE") ? 1 : 0;
  if (show_picks == 0 && is_run_mode(1112)) show_picks = 1;
  return show_picks;
}

int vek_exit_register(VekExitFunc func) {
  // A null entry would be called by the stop.
  if (!func) return 0;
  lock_vek_exit_functions();
  if (!exit_funcs) {
    exit_funcs = static_cast<VekExitFunc*>(xar_alloc(0, sizeof(VekExitFunc), EXIT_FUNCS_STEP));
  }
  int result = exit_funcs && xar_insert(&exit_funcs, 0, 1, &func) ? 1 : 0;
  unlock_vek_exit_functions();
  return result;
}

int vek_exit_unregister(VekExitFunc func) {
  lock_vek_exit_functions();
  int result = 0;
  int count = xar_count(&exit_funcs);
  for (int i = 0; i < count; ++i) {
    if (exit_funcs[i] == func) {
      xar_remove(&exit_funcs, i, 1);
      result = 1;
      break;
    }
  }
  unlock_vek_exit_functions();
  return result;
}

void vek_exit_run(int code) {
  if (exit_called) return;
  exit_called = 1;
  int count = xar_count(&exit_funcs);
  if (count == 0) return;
  // The run goes over a copy: a function may register or unregister others while it
  // runs. The copy lives off the memory chain, which may be what is failing.
  VekExitFunc local[EXIT_RUN_LOCAL];
  VekExitFunc* funcs = local;
  if (count > EXIT_RUN_LOCAL) {
    funcs = static_cast<VekExitFunc*>(
        std::malloc(sizeof(VekExitFunc) * static_cast<std::size_t>(count)));
    if (!funcs) {
      funcs = local;
      count = EXIT_RUN_LOCAL;
    }
  }
  std::memcpy(funcs, exit_funcs, sizeof(VekExitFunc) * static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) funcs[i](code);
  if (funcs != local) std::free(funcs);
}

VekExitHook set_vek_exit_func(VekExitHook func) {
  if (vek_exit_func && run_mode != 0) {
    dbg_info_msg("set_vek_exit_func", "vek_exit_func already set!");
  }
  vek_exit_func = func;
  return func;
}

int vek_exit(int code) {
  if (!vek_exit_func) std::exit(code);
  return vek_exit_func(code);
}

void lock_vek_exit_functions() {}
void unlock_vek_exit_functions() {}

void runmode_testing_reset() {
  // Forgets the lists; their blocks go with the memory chain.
  run_mode = 0;
  added_run_modes = nullptr;
  exit_funcs = nullptr;
  vek_exit_func = nullptr;
  exit_called = 0;
  show_picks = -1;
}

}  // namespace vek
