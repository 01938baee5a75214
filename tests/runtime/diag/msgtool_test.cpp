// The message tool's framed reports and the debug printers.
#include <gtest/gtest.h>

#include <string>

#include "runtime/diag/diag.h"
#include "runtime/diag/msgtool.h"
#include "runtime/diag/runmode.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "tests/support/temp_dir.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

class MsgTool : public yrltest::RuntimeTest {};
class MsgToolDeathTest : public yrltest::RuntimeDeathTest {};

std::string crash_func_where;
int crash_func_result;

int recording_crash_func(const char* where) {
  crash_func_where = where;
  vek::dbg_info_msg("nested", "never printed");  // a report inside a report does nothing
  return crash_func_result;
}

TEST_F(MsgTool, ShippedSwitchesMakeEveryReportSilent) {
  CaptureStderr();
  vek::dbg_crash_msg("routine", "fatal %d", 1);
  vek::dbg_error_msg("routine", 'W', "error");
  vek::dbg_info_msg("routine", "info");
  EXPECT_EQ(GetCapturedStderr(), "");
}

TEST_F(MsgTool, ReportsAreFramedByKind) {
  vek::dbg_set_allow_print(1);
  CaptureStderr();
  vek::dbg_crash_msg("xar_cpy", "bad %s", "handle");
  vek::dbg_error_msg("parse", 'W', "line %d", 12);
  vek::dbg_info_msg("init", "ready");
  vek::dbg_msg_tool(7, nullptr, ' ', nullptr, nullptr);
  EXPECT_EQ(GetCapturedStderr(),
            "\n*** FATAL ERROR in xar_cpy : ***\n\tbad handle\n"
            "\n*** W-LEVEL ERROR in parse : ***\n\tline 12\n"
            "\n*** INFO MESSAGE from init : ***\n\tready\n"
            "\n*** INFO MESSAGE from  : ***\n\t\n");
}

TEST_F(MsgTool, CrashFuncThatAnswersZeroPreventsTheCrash) {
  vek::dbg_set_allow_crash(1);
  crash_func_result = 0;
  EXPECT_EQ(vek::dbg_set_crash_func(recording_crash_func), recording_crash_func);
  CaptureStderr();
  vek::dbg_crash_msg("routine", "survived");
  EXPECT_EQ(GetCapturedStderr(), "");
  EXPECT_EQ(crash_func_where, "routine");
}

TEST_F(MsgToolDeathTest, FatalReportWithCrashingOnEndsTheProcess) {
  EXPECT_EXIT(
      {
        yrltest::route_console_to_stderr();
        vek::dbg_set_allow_print(1);
        vek::dbg_set_allow_crash(1);
        crash_func_result = 1;
        vek::dbg_set_crash_func(recording_crash_func);
        vek::dbg_crash_msg("routine", "fatal");
      },
      testing::ExitedWithCode(2),
      "^\n\\*\\*\\* FATAL ERROR in routine : \\*\\*\\*\n\tfatal\n"
      "Serious internal error; cannot continue\\.\n$");
}

TEST_F(MsgToolDeathTest, CrashingWithoutPrintingIsSilentUntilTheStop) {
  EXPECT_EXIT(
      {
        yrltest::route_console_to_stderr();
        vek::dbg_set_allow_crash(1);
        vek::dbg_crash_msg("routine", "fatal");
      },
      testing::ExitedWithCode(2), "^Serious internal error; cannot continue\\.\n$");
}

TEST_F(MsgTool, ErrorFileIsEmptiedByTheFirstReportAndAppendedAfter) {
  yrltest::TempDir dir;
  std::string name = dir.file("errors.txt");
  yrltest::write_file(name, "old content\n");
  vek::dbg_set_allow_print(1);
  vek::dbg_set_error_file_name(name.c_str());
  CaptureStderr();
  vek::dbg_info_msg("one", "first");
  EXPECT_EQ(yrltest::read_file(name), "\n*** INFO MESSAGE from one : ***\n\tfirst\n");
  vek::dbg_error_msg("two", 'E', "second");
  EXPECT_EQ(yrltest::read_file(name),
            "\n*** INFO MESSAGE from one : ***\n\tfirst\n"
            "\n*** E-LEVEL ERROR in two : ***\n\tsecond\n");
  EXPECT_EQ(GetCapturedStderr(), "");

  // A file that cannot be opened sends the report to standard error.
  vek::dbg_set_error_file_name(dir.file("missing/errors.txt").c_str());
  CaptureStderr();
  vek::dbg_info_msg("three", "third");
  EXPECT_EQ(GetCapturedStderr(), "\n*** INFO MESSAGE from three : ***\n\tthird\n");
}

TEST_F(MsgTool, ErrorFileNameIsCutToItsBuffer) {
  yrltest::TempDir dir;
  // 259 characters are kept: the name below names a file in dir once cut.
  std::string kept = dir.path() + "/" + std::string(259 - dir.path().size() - 1, 'n');
  ASSERT_EQ(kept.size(), 259u);
  vek::dbg_set_allow_print(1);
  vek::dbg_set_error_file_name((kept + "tail").c_str());
  vek::dbg_info_msg("where", "cut");
  EXPECT_EQ(yrltest::read_file(kept), "\n*** INFO MESSAGE from where : ***\n\tcut\n");
}

TEST_F(MsgTool, DebugPrintersWriteAtMostTheirBuffer) {
  yrltest::ConsoleCapture capture;
  std::string long_text(1500, 'z');
  vek::dbg_fprintf(nullptr, "%s", long_text.c_str());
  vek::dbg_fprintf(stdout, "n=%d", 5);
  EXPECT_EQ(capture.err(), std::string(999, 'z'));
  EXPECT_EQ(capture.out(), "n=5");

  CaptureStderr();
  EXPECT_EQ(vek::dbg_pfa_fprintf(nullptr, "%s|%d", "handle", 7), 0);
  vek::dbg_pfa_fprintf(nullptr, "%s", long_text.c_str());
  EXPECT_EQ(GetCapturedStderr(), "handle|7" + std::string(999, 'z'));
}

TEST_F(MsgToolDeathTest, FatalFormattingReportOfTheCommandRunnerFollowsTheSwitches) {
  // vyn_exec_command reports a bad command through dbg_crash_msg.
  EXPECT_EXIT(
      {
        yrltest::route_console_to_stderr();
        vek::vyn_set_debug_env(1);
        vek::set_vyn_debug_switch(0);
        std::string command(600, 'c');
        vek::dcl_com(command.c_str());
      },
      testing::ExitedWithCode(2),
      "\\*\\*\\* FATAL ERROR in vyn_exec_command : \\*\\*\\*\n\t"
      "resulting command string too long\n");
}

}  // namespace
