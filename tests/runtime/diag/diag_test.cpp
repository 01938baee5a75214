// Fault reports, the message hooks, the orderly stop and the command runner.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fileaccess/names/oshelp.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/runmode.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "tests/support/temp_dir.h"

namespace {

using testing::ExitedWithCode;
using yrltest::ConsoleCapture;

const char kContinuing[] = "dbg_err_crash() -- continuing from serious error (ORDER_DEBUG).\n";
const char kSerious[] = "Serious internal error; cannot continue.\n";

// What the hooks saw, one entry per call.
struct HookCall {
  std::vector<std::string> texts;  // the argument words that are texts
  int letter = 0;
};
std::vector<HookCall> msg_calls;
std::vector<HookCall> trail_calls;

std::string narrow(const VynWchar* w) {
  std::string s;
  for (; *w; ++w) s += static_cast<char>(*w);
  return s;
}

int record_msg(VynWord a1, VynWord a2, VynWord a3, VynWord a4, VynWord a5, VynWord a6,
               VynWord a7, VynWord a8, VynWord a9, VynWord a10, int letter) {
  HookCall call;
  for (VynWord w : {a1, a2, a3, a4, a5, a6, a7, a8, a9, a10}) {
    if (w) call.texts.push_back(reinterpret_cast<const char*>(w));
  }
  call.letter = letter;
  msg_calls.push_back(call);
  return 0;
}

int record_trail(VynWord a1, VynWord, VynWord, VynWord, VynWord, VynWord, VynWord,
                 VynWord, VynWord, VynWord, int letter) {
  HookCall call;
  call.texts.push_back(narrow(reinterpret_cast<const VynWchar*>(a1)));
  call.letter = letter;
  trail_calls.push_back(call);
  return 0;
}

// In a death test's child: each trail message as a line on standard error.
int print_trail(VynWord a1, VynWord, VynWord, VynWord, VynWord, VynWord, VynWord, VynWord,
                VynWord, VynWord, int letter) {
  std::string text = narrow(reinterpret_cast<const VynWchar*>(a1));
  std::fprintf(stderr, "TRAIL %c %zu %s\n", letter, text.size(), text.c_str());
  return 0;
}

void exit_marker(int code) { std::fprintf(stderr, "EXIT %d\n", code); }
int hook_marker(int code) {
  std::fprintf(stderr, "HOOK %d\n", code);
  return 0;
}

struct CallbackLog {
  int calls = 0;
  std::string name;
  std::string message;
  int result = 0;
  int inner = -1;  // result of a report made from inside the callback
};
CallbackLog callback_log;

int answering_callback(const char* name, const char* message) {
  ++callback_log.calls;
  callback_log.name = name ? name : "<null>";
  callback_log.message = message ? message : "<null>";
  callback_log.inner = vek::dbg_err_crash("inner", "from the callback");
  return callback_log.result;
}

int never_asked(const char*, const char*) { _exit(3); }

class Diag : public yrltest::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    msg_calls.clear();
    trail_calls.clear();
    callback_log = CallbackLog();
  }
};

class DiagDeathTest : public yrltest::RuntimeDeathTest {};

int report(int kind, const char* name, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  int result = vek::VynDebugErrorReport_va(kind, name, format, args);
  va_end(args);
  return result;
}

TEST_F(Diag, ShippedStateIsSilent) {
  ConsoleCapture capture;
  vek::set_mgr_msg_func(record_msg);
  vek::set_mgr_msg_put_in_trl_func(record_trail);
  EXPECT_EQ(vek::dbg_err_crash(nullptr, nullptr), 0);
  EXPECT_EQ(vek::dbg_err_crash("routine", "value %d", 3), 0);
  EXPECT_EQ(vek::dbg_err_syserr(nullptr, nullptr), 0);
  EXPECT_EQ(vek::dbg_err_syserr("routine", "errno %d", 2), 0);
  EXPECT_EQ(vek::dbg_print_info(nullptr, nullptr), 0);
  EXPECT_EQ(vek::dbg_print_info("routine", "note"), 0);
  EXPECT_EQ(report(0, "routine", "x"), 0);
  EXPECT_EQ(vek::e_not_implemented_x("routine"), 13);
  EXPECT_EQ(vek::error_break("Memory error."), 0);
  EXPECT_EQ(capture.out() + capture.err(), "");
  EXPECT_TRUE(trail_calls.empty());
  ASSERT_EQ(msg_calls.size(), 1u);  // error_break hands its text to the message hook
  EXPECT_EQ(msg_calls[0].texts, std::vector<std::string>{"Memory error."});
}

TEST_F(Diag, VerboseInRunModeZeroOnlyContinues) {
  ConsoleCapture capture;
  vek::set_verbose_mode(1);
  vek::set_mgr_msg_func(record_msg);
  vek::set_mgr_msg_put_in_trl_func(record_trail);
  EXPECT_EQ(vek::dbg_err_crash("routine", "value %d", 3), 1);
  EXPECT_EQ(vek::dbg_err_crash(nullptr, nullptr), 1);
  EXPECT_EQ(capture.out(), std::string(kContinuing) + kContinuing);
  ASSERT_EQ(msg_calls.size(), 2u);
  EXPECT_EQ(msg_calls[0].texts,
            (std::vector<std::string>{
                "dummy message",
                "dbg_err_crash() - continuing from serious error (ORDER_DEBUG)."}));
  EXPECT_TRUE(trail_calls.empty());
  EXPECT_EQ(vek::e_not_implemented_x("routine"), 13);
}

TEST_F(Diag, CallbackThatDeclinesTheCrashLetsTheProcessGoOn) {
  ConsoleCapture capture;
  vek::set_verbose_mode(1);
  vek::set_run_mode(1);
  vek::set_mgr_msg_put_in_trl_func(record_trail);
  EXPECT_EQ(vek::set_dbg_err_crash_callback(answering_callback), nullptr);
  EXPECT_EQ(vek::dbg_err_crash("routine", "value %d of %s", 3, "x"), 1);
  EXPECT_EQ(capture.out(), std::string("routine:  value 3 of x\n") + kContinuing);
  EXPECT_EQ(callback_log.calls, 1);
  EXPECT_EQ(callback_log.name, "routine");
  EXPECT_EQ(callback_log.message, "value 3 of x");
  EXPECT_EQ(callback_log.inner, 0);  // a report from inside a report is refused
  EXPECT_TRUE(trail_calls.empty());

  // Without a format the line ends after the name and the callback gets no message.
  capture.clear();
  EXPECT_EQ(vek::dbg_err_crash("routine", nullptr), 1);
  EXPECT_EQ(capture.out(), std::string("routine:  \n") + kContinuing);
  EXPECT_EQ(callback_log.message, "<null>");
  EXPECT_EQ(vek::set_dbg_err_crash_callback(nullptr), answering_callback);
}

TEST_F(Diag, MessageThatDoesNotFormatIsPrintedAsItStands) {
  ConsoleCapture capture;
  vek::set_verbose_mode(1);
  vek::set_run_mode(1);
  vek::set_dbg_err_crash(0);
  std::string format(501, 'f');  // longer than the formatter takes
  EXPECT_EQ(vek::dbg_err_crash("routine", format.c_str(), 0), 1);
  EXPECT_EQ(capture.out(), "vyn_sprintf   format too long \nroutine:  " + format + "\n" +
                               kContinuing);
}

TEST_F(Diag, ErrorBreakPrintsItsMessageLiterally) {
  ConsoleCapture capture;
  vek::set_verbose_mode(1);
  vek::set_run_mode(1);
  vek::set_dbg_err_crash(0);
  vek::set_mgr_msg_func(record_msg);
  EXPECT_EQ(vek::error_break("100% %s done"), 1);
  EXPECT_EQ(capture.out(), std::string("error_break:  100% %s done\n") + kContinuing);
  ASSERT_EQ(msg_calls.size(), 2u);
  EXPECT_EQ(msg_calls[0].texts, std::vector<std::string>{"100% %s done"});
  EXPECT_EQ(msg_calls[0].letter, 0);
}

TEST_F(Diag, SystemErrorReportsNeedVerboseModeAndPrintOutsideRunModeZero) {
  ConsoleCapture capture;
  vek::set_run_mode(1);
  EXPECT_EQ(vek::dbg_err_syserr("open", "errno %d", 2), 0);
  vek::set_verbose_mode(1);
  EXPECT_EQ(vek::dbg_err_syserr("open", "errno %d", 2), 1);
  EXPECT_EQ(vek::dbg_err_syserr("open", nullptr), 1);
  EXPECT_EQ(vek::dbg_err_syserr(nullptr, "unseen"), 1);
  vek::set_run_mode(0);
  EXPECT_EQ(vek::dbg_err_syserr("open", "unseen"), 1);
  EXPECT_EQ(capture.out(), "open:  errno 2 (ORDER_DEBUG)\nopen:   (ORDER_DEBUG)\n");
}

TEST_F(Diag, InformationTracesFollowTheRunModeOnly) {
  ConsoleCapture capture;
  EXPECT_EQ(vek::dbg_print_info("scan", "%d files", 4), 0);
  vek::set_run_mode(7);
  EXPECT_EQ(vek::dbg_print_info("scan", "%d files", 4), 1);
  EXPECT_EQ(vek::dbg_print_info(nullptr, "bare"), 1);
  EXPECT_EQ(vek::dbg_print_info("scan", nullptr), 1);
  EXPECT_EQ(capture.out(), "scan:  4 files (INFO MESSAGE)\nbare\nscan:   (INFO MESSAGE)\n");
}

TEST_F(Diag, ReportDispatcherChoosesByKind) {
  ConsoleCapture capture;
  vek::set_verbose_mode(1);
  vek::set_dbg_err_crash(0);
  EXPECT_EQ(report(2, "r", "info"), 0);  // run mode 0: nothing at all
  vek::set_run_mode(3);
  EXPECT_EQ(report(0, "r", "serious"), 1);
  EXPECT_EQ(report(1, "r", "system"), 1);
  EXPECT_EQ(report(2, "r", "info"), 1);
  EXPECT_EQ(report(3, "r", "unknown kind"), 0);
  EXPECT_EQ(capture.out(), std::string("r:  serious\n") + kContinuing +
                               "r:  system (ORDER_DEBUG)\nr:  info (INFO MESSAGE)\n");
}

TEST_F(Diag, HooksReceiveTheirArgumentsUnchanged) {
  EXPECT_EQ(vek::mgr_msg_put(1, 2), 0);  // no hook: nothing happens
  EXPECT_EQ(vek::mgr_msgID_put(1), 0);
  EXPECT_EQ(vek::mgr_msg_put_in_trl(1), 0);
  static std::vector<VynWord> words;
  static int letter;
  auto msg_hook = [](VynWord a1, VynWord a2, VynWord a3, VynWord a4, VynWord a5, VynWord a6,
                     VynWord a7, VynWord a8, VynWord a9, VynWord a10, int c) {
    words = {a1, a2, a3, a4, a5, a6, a7, a8, a9, a10};
    letter = c;
    return 21;
  };
  auto id_hook = [](VynWord a1, VynWord a2, VynWord a3, VynWord a4, VynWord a5, VynWord a6,
                    VynWord a7, VynWord a8, VynWord a9, VynWord a10) {
    words = {a1, a2, a3, a4, a5, a6, a7, a8, a9, a10};
    return 17;
  };
  EXPECT_EQ(vek::set_mgr_msg_func(msg_hook), static_cast<vek::MgrMsgFunc>(msg_hook));
  EXPECT_EQ(vek::set_mgr_msgID_func(id_hook), static_cast<vek::MgrMsgIdFunc>(id_hook));
  EXPECT_EQ(vek::mgr_msg_put(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 'Q'), 21);
  EXPECT_EQ(words, (std::vector<VynWord>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(letter, 'Q');
  EXPECT_EQ(vek::mgr_msgID_put(10, 9, 8, 7, 6, 5, 4, 3, 2, 1), 17);
  EXPECT_EQ(words, (std::vector<VynWord>{10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
  EXPECT_EQ(vek::set_mgr_msg_put_in_trl_func(msg_hook), static_cast<vek::MgrMsgFunc>(msg_hook));
  EXPECT_EQ(vek::mgr_msg_put_in_trl(5, 0, 0, 0, 0, 0, 0, 0, 0, 6, 'W'), 21);
  EXPECT_EQ(words, (std::vector<VynWord>{5, 0, 0, 0, 0, 0, 0, 0, 0, 6}));
  EXPECT_EQ(letter, 'W');
}

// --- Paths that end the process ---------------------------------------------------

TEST_F(DiagDeathTest, SeriousErrorInRunModeOneCrashesOutAfterTheExitFunctions) {
  EXPECT_EXIT(
      {
        yrltest::route_console_to_stderr();
        vek::set_verbose_mode(1);
        vek::set_run_mode(1);
        vek::set_mgr_msg_put_in_trl_func(print_trail);
        vek::vek_exit_register(exit_marker);
        vek::dbg_err_crash("routine", "value %d", 3);
      },
      ExitedWithCode(2),
      "^routine:  value 3\n"
      "TRAIL E 17 routine  :value 3\n"
      "TRAIL E 52 dbg_err_crash\\(\\) -- crashing out in ORDER_DEBUG ONLY\\.\n"
      "dbg_err_crash\\(\\) -- crashing out in ORDER_DEBUG ONLY\\.\n"
      "Serious internal error; cannot continue\\.\n"
      "EXIT 2\n$");
}

TEST_F(DiagDeathTest, TrailTextIsBoundedByItsBuffer) {
  EXPECT_EXIT(
      {
        yrltest::route_console_to_stderr();
        vek::set_verbose_mode(1);
        vek::set_run_mode(1);
        vek::set_mgr_msg_put_in_trl_func(print_trail);
        std::string message(2000, 'm');
        vek::dbg_err_crash("routine", "%s", message.c_str());
      },
      ExitedWithCode(2), "TRAIL E 259 routine  :mmmm+\nTRAIL E 52 ");
}

TEST_F(DiagDeathTest, ForcedCrashOutInRunModeZeroSendsNoRoutineTrail) {
  EXPECT_EXIT(
      {
        yrltest::route_console_to_stderr();
        vek::set_verbose_mode(1);
        vek::set_dbg_err_crash(1);
        vek::set_mgr_msg_put_in_trl_func(print_trail);
        vek::dbg_err_crash("routine", "value %d", 3);
      },
      ExitedWithCode(2),
      "^TRAIL E 52 dbg_err_crash\\(\\) -- crashing out in ORDER_DEBUG ONLY\\.\n"
      "dbg_err_crash\\(\\) -- crashing out in ORDER_DEBUG ONLY\\.\n"
      "Serious internal error; cannot continue\\.\n$");
}

TEST_F(DiagDeathTest, InputModeOneInRegressionRunNeverAsksTheCallback) {
  for (int mode : {9029, -151}) {
    EXPECT_EXIT(
        {
          yrltest::route_console_to_stderr();
          vek::set_input_mode(1);
          vek::set_verbose_mode(1);
          vek::set_run_mode(mode);
          vek::set_dbg_err_crash_callback(never_asked);
          vek::dbg_err_crash("routine", "x");
        },
        ExitedWithCode(2), "crashing out");
  }
}

TEST_F(Diag, InputModeOneAsksTheCallbackOnlyWhenTheDialogIsWanted) {
  ConsoleCapture capture;
  vek::set_input_mode(1);
  vek::set_verbose_mode(1);
  vek::set_run_mode(1);
  vek::set_dbg_err_crash_callback(answering_callback);
  ASSERT_EQ(setenv("DBG_ERR_SHOW_DIALOG", "", 1), 0);
  EXPECT_EQ(vek::dbg_err_crash("routine", "x"), 1);
  unsetenv("DBG_ERR_SHOW_DIALOG");
  EXPECT_EQ(callback_log.calls, 1);
  // The decision is kept for the life of the process.
  EXPECT_EQ(vek::dbg_err_crash("routine", "x"), 1);
  EXPECT_EQ(callback_log.calls, 2);
}

TEST_F(DiagDeathTest, ErrCrashEndsTheProcessWhateverTheModes) {
  EXPECT_EXIT(
      {
        yrltest::route_console_to_stderr();
        vek::vek_exit_register(exit_marker);
        vek::err_crash("xar_extend", "invalid xarray");
      },
      ExitedWithCode(2), "^xar_extend:  invalid xarray\n" + std::string(kSerious) + "EXIT 2\n$");
}

TEST_F(DiagDeathTest, ExitHookThatReturnsStillEndsTheProcess) {
  EXPECT_EXIT(
      {
        yrltest::route_console_to_stderr();
        vek::vek_exit_register(exit_marker);
        vek::set_vek_exit_func(hook_marker);
        vek::crash();
      },
      ExitedWithCode(2), "^" + std::string(kSerious) + "EXIT 2\nHOOK 2\n$");
}

// A crash from an exit function prints its line again and goes on to the exit hook; the
// list does not run a second time, so the functions after it never run.
TEST_F(DiagDeathTest, ExitFunctionThatCrashesGoesOnToTheExitHook) {
  EXPECT_EXIT(
      {
        yrltest::route_console_to_stderr();
        vek::vek_exit_register(exit_marker);
        vek::vek_exit_register([](int) { vek::crash(); });
        vek::set_vek_exit_func(hook_marker);
        vek::crash();
      },
      ExitedWithCode(2), "^" + std::string(kSerious) + kSerious + "HOOK 2\n$");
  EXPECT_EXIT(
      {
        yrltest::route_console_to_stderr();
        vek::vek_exit_register([](int) { vek::crash(); });
        vek::crash();
      },
      ExitedWithCode(2), "^" + std::string(kSerious) + kSerious + "$");
}

// A crash from the exit hook ends the process at once.
TEST_F(DiagDeathTest, ExitHookThatCrashesEndsTheStopAtOnce) {
  EXPECT_EXIT(
      {
        yrltest::route_console_to_stderr();
        vek::vek_exit_register(exit_marker);
        vek::set_vek_exit_func([](int code) {
          hook_marker(code);
          return vek::crash();
        });
        vek::crash();
      },
      ExitedWithCode(2), "^" + std::string(kSerious) + "EXIT 2\nHOOK 2\n$");
}

void returning_segv_handler(int signal) {
  const char text[] = "HANDLER\n";
  (void)signal;
  (void)!write(2, text, sizeof text - 1);
}

void crashing_segv_handler(int signal) {
  returning_segv_handler(signal);
  vek::crash();
}

// With the debug switch the stop raises signal 11. When the handler returns, the stop
// ends as the plain one does: the exit functions, then the exit hook, then the end of
// the process; a crash from the handler ends it at once.
TEST_F(DiagDeathTest, DebugSwitchRaisesSignalEleven) {
  struct Case {
    void (*handler)(int);
    const char* expected;
  };
  for (Case c : {Case{returning_segv_handler,
                      "^RAISING SIGNAL : Signal number : 11\nHANDLER\nRaised Signal number : "
                      "11\nEXIT 2\nHOOK 2\n$"},
                 Case{crashing_segv_handler, "^RAISING SIGNAL : Signal number : 11\nHANDLER\n$"}})
    EXPECT_EXIT(
        {
          yrltest::route_console_to_stderr();
          struct sigaction action = {};
          action.sa_handler = c.handler;
          sigaction(SIGSEGV, &action, nullptr);
          vek::vek_exit_register(exit_marker);
          vek::set_vek_exit_func(hook_marker);
          vek::set_vyn_debug_switch(1);
          vek::crash();
        },
        ExitedWithCode(2), c.expected);
}

TEST_F(DiagDeathTest, AllowCrashAbortsInsteadOfExiting) {
  EXPECT_EXIT(
      {
        yrltest::route_console_to_stderr();
        setenv("ALLOW_CRASH", "1", 1);
        vek::vek_exit_register(exit_marker);
        vek::crash();
      },
      testing::KilledBySignal(SIGABRT), "^Allowing crash: crash\\(\\)\n$");
}

// --- Command runner ---------------------------------------------------------------

int hook_calls;

TEST_F(Diag, DclComRunsTheCommandBetweenItsHooks) {
  hook_calls = 0;
  vek::set_dcl_com_start_func([] { hook_calls += 1; });
  vek::set_dcl_com_end_func([] { hook_calls += 10; });
  ConsoleCapture capture;
  EXPECT_EQ(vek::dcl_com("exit 3"), 3);
  EXPECT_EQ(vek::dcl_com("true"), 0);
  EXPECT_EQ(hook_calls, 22);
  EXPECT_EQ(capture.out(), "");
  vek::set_run_mode(98765);
  EXPECT_EQ(vek::dcl_com("true"), 0);
  EXPECT_EQ(capture.out(), "Dcl_com:  true\n");
  EXPECT_EQ(vek::dcl_com(nullptr), -1);
  vek::set_dcl_com_start_func(nullptr);
  vek::set_dcl_com_end_func(nullptr);
  EXPECT_EQ(vek::dcl_com("exit 1"), 1);
  vek::dcl_com_start_func();
  vek::dummy_action();
}

}  // namespace
