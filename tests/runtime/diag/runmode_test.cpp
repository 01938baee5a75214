// The run mode, the added run modes and the exit-function registry.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/diag/console.h"
#include "runtime/diag/msgtool.h"
#include "runtime/diag/runmode.h"
#include "runtime/memory/xar.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"

namespace {

class RunMode : public yrltest::RuntimeTest {};

TEST_F(RunMode, ModePredicates) {
  const struct {
    int mode;
    int user;
    int regression;
  } cases[] = {{0, 1, 0},    {1, 0, 0},    {-1, 0, 0},   {9029, 0, 1}, {9129, 0, 1},
               {9229, 0, 1}, {9329, 0, 1}, {9429, 0, 0}, {9028, 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    int previous = vek::get_run_mode();
    EXPECT_EQ(vek::set_run_mode(c.mode), previous);
    EXPECT_EQ(vek::get_run_mode(), c.mode);
    EXPECT_EQ(vek::user_run_mode(), c.user);
    EXPECT_EQ(vek::regression_run_mode(), c.regression);
    EXPECT_EQ(vek::is_run_mode(c.mode), 1);
  }
}

TEST_F(RunMode, AddedModesAreFoundBesideTheRunMode) {
  vek::set_run_mode(3);
  EXPECT_EQ(vek::is_run_mode(5), 0);
  EXPECT_EQ(vek::del_added_run_mode(5), 0);  // no list yet
  EXPECT_EQ(vek::add_added_run_mode(5), 0);
  vek::add_added_run_mode(7);
  vek::add_added_run_mode(5);
  EXPECT_EQ(vek::is_run_mode(5), 1);
  EXPECT_EQ(vek::is_run_mode(3), 1);
  EXPECT_EQ(vek::del_added_run_mode(5), 0);  // removes both 5s
  EXPECT_EQ(vek::is_run_mode(5), 0);
  EXPECT_EQ(vek::is_run_mode(7), 1);
  EXPECT_EQ(vek::del_all_added_run_modes(), 0);
  EXPECT_EQ(vek::is_run_mode(7), 0);
  EXPECT_EQ(vek::del_all_added_run_modes(), 0);
}

TEST_F(RunMode, DebugEnvironmentSwitchesTheTracesOnAndOff) {
  vek::set_run_mode(4);
  EXPECT_EQ(vek::vyn_set_debug_env(1), 4);
  EXPECT_EQ(vek::get_run_mode(), -1);
  EXPECT_EQ(vek::get_xar_force_ext_no(), 1);
  testing::internal::CaptureStderr();
  vek::dbg_info_msg("where", "now %s", "printed");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "\n*** INFO MESSAGE from where : ***\n\tnow printed\n");

  EXPECT_EQ(vek::vyn_set_debug_env(0), -1);
  EXPECT_EQ(vek::get_run_mode(), 0);
  EXPECT_EQ(vek::get_xar_force_ext_no(), 0);
  testing::internal::CaptureStderr();
  vek::dbg_info_msg("where", "silent");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(RunMode, ShowPicksFromTheEnvironmentOrModeEleventwelve) {
  unsetenv("VYN_SHOW_PICKS_MODE");
  EXPECT_EQ(vek::is_runmode_trl_show_picks(), 0);
  vek::add_added_run_mode(1112);
  EXPECT_EQ(vek::is_runmode_trl_show_picks(), 1);
  vek::del_all_added_run_modes();
  EXPECT_EQ(vek::is_runmode_trl_show_picks(), 1);  // cached

  yrltest::reset_runtime_state();
  setenv("VYN_SHOW_PICKS_MODE", "", 1);
  EXPECT_EQ(vek::is_runmode_trl_show_picks(), 1);
  unsetenv("VYN_SHOW_PICKS_MODE");
}

std::vector<std::string> calls;
void f(int code) { calls.push_back("F" + std::to_string(code)); }
void g(int code) { calls.push_back("G" + std::to_string(code)); }
void h(int code) { calls.push_back("H" + std::to_string(code)); }

TEST_F(RunMode, ExitFunctionsRunNewestFirstAndOnlyOnce) {
  calls.clear();
  EXPECT_EQ(vek::vek_exit_register(f), 1);
  EXPECT_EQ(vek::vek_exit_register(g), 1);
  EXPECT_EQ(vek::vek_exit_register(h), 1);
  vek::vek_exit_run(4);
  vek::vek_exit_run(5);
  EXPECT_EQ(calls, (std::vector<std::string>{"H4", "G4", "F4"}));
}

TEST_F(RunMode, RegistrationsCountOneByOne) {
  calls.clear();
  EXPECT_EQ(vek::vek_exit_unregister(f), 0);  // empty registry
  vek::vek_exit_register(f);
  vek::vek_exit_register(g);
  vek::vek_exit_register(f);
  EXPECT_EQ(vek::vek_exit_unregister(f), 1);
  EXPECT_EQ(vek::vek_exit_unregister(h), 0);
  EXPECT_EQ(vek::vek_exit_register(nullptr), 0);
  vek::vek_exit_run(0);
  EXPECT_EQ(calls, (std::vector<std::string>{"G0", "F0"}));
}

TEST_F(RunMode, ChangesDuringTheRunNeitherSkipNorRepeat) {
  calls.clear();
  vek::vek_exit_register(f);
  vek::vek_exit_register(g);
  // Newest: unregisters itself and g and registers h while the run is under way.
  vek::vek_exit_register([](int code) {
    calls.push_back("X" + std::to_string(code));
    vek::vek_exit_unregister(g);
    vek::vek_exit_register(h);
    vek::vek_exit_run(code);  // no second run
  });
  vek::vek_exit_run(2);
  EXPECT_EQ(calls, (std::vector<std::string>{"X2", "G2", "F2"}));
}

TEST_F(RunMode, LongListsRunWhole) {
  static int count;
  count = 0;
  for (int i = 0; i < 100; ++i) vek::vek_exit_register([](int) { ++count; });
  vek::vek_exit_run(2);
  EXPECT_EQ(count, 100);
}

int hook_code;

TEST_F(RunMode, ExitHookReplacesTheProcessExit) {
  hook_code = 0;
  auto first = [](int code) {
    hook_code = code;
    return code * 10;
  };
  auto second = [](int code) {
    hook_code = -code;
    return 0;
  };
  EXPECT_EQ(vek::set_vek_exit_func(first), static_cast<vek::VekExitHook>(first));
  // The hook's result comes back.
  EXPECT_EQ(vek::vek_exit(6), 60);
  EXPECT_EQ(hook_code, 6);

  vek::dbg_set_allow_print(1);
  testing::internal::CaptureStderr();
  vek::set_vek_exit_func(second);  // run mode 0: replaced silently
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  vek::set_run_mode(1);
  testing::internal::CaptureStderr();
  vek::set_vek_exit_func(first);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "\n*** INFO MESSAGE from set_vek_exit_func : ***\n\tvek_exit_func already set!\n");
  vek::vek_exit(3);
  EXPECT_EQ(hook_code, 3);
}

class RunModeDeathTest : public yrltest::RuntimeDeathTest {};

TEST_F(RunModeDeathTest, WithoutHookVekExitEndsTheProcess) {
  EXPECT_EXIT(vek::vek_exit(5), testing::ExitedWithCode(5), "");
}

}  // namespace
