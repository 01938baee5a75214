// The message tool's framed reports and the debug printers.
#include <gtest/gtest.h>

#include <strings.h>

#include <cstdint>
#include <set>
#include <string>

#include "fileaccess/core/pfa.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/msgtool.h"
#include "runtime/diag/runmode.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
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

  // Printing on: the report made from inside crash_func is refused.
  vek::dbg_set_allow_print(1);
  CaptureStderr();
  vek::dbg_crash_msg("again", "survived");
  EXPECT_EQ(GetCapturedStderr(), "\n*** FATAL ERROR in again : ***\n\tsurvived\n");
  EXPECT_EQ(crash_func_where, "again");
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

TEST_F(MsgTool, MessageCutToItsBufferKeepsTheLineEnd) {
  vek::dbg_set_allow_print(1);
  std::string long_text(1500, 'z');
  CaptureStderr();
  vek::dbg_info_msg("where", "%s", long_text.c_str());
  vek::dbg_info_msg("next", "line");
  EXPECT_EQ(GetCapturedStderr(), "\n*** INFO MESSAGE from where : ***\n\t" + std::string(999, 'z') +
                                     "\n\n*** INFO MESSAGE from next : ***\n\tline\n");
}

TEST_F(MsgTool, IdTableDumps) {
  const int ids[] = {3, 5, -7};
  CaptureStderr();
  vek::dbg_pfa_show_id_tab(nullptr, "ids", ids, 2);
  vek::dbg_pfa_show_id_tab(nullptr, "one", ids + 2, 1);
  vek::dbg_pfa_show_id_tab(nullptr, "none", ids, 0);
  vek::dbg_pfa_show_id_tab(nullptr, nullptr, nullptr, 4);
  EXPECT_EQ(GetCapturedStderr(), "ids[3, 5]\none[-7]\nnone[]\n[]\n");

  // Onto a file handle.
  yrltest::TempDir dir;
  std::string name = dir.file("tab.txt");
  vek::VynFile* file = vek::pfa_fopen_file_vers(name.c_str(), "w", 0);
  ASSERT_NE(file, nullptr);
  vek::dbg_pfa_show_id_tab(file, "t", ids, 3);
  vek::pfa_dispose(&file);
  EXPECT_EQ(yrltest::read_file(name), "t[3, 5, -7]\n");
}

TEST_F(MsgTool, IdTableDumpOfAGrowableArray) {
  const int values[] = {1, 2, 3};
  int* ints = nullptr;
  vek::xar_alloc_or_append(&ints, 3, sizeof(int), 4, values);
  int* empty = static_cast<int*>(vek::xar_alloc(0, sizeof(int), 4));
  double* doubles = nullptr;
  const double one = 1.0;
  vek::xar_alloc_or_append(&doubles, 1, sizeof(double), 4, &one);
  // A block that is no array: its zeroed words fail the array's marks.
  int* block = static_cast<int*>(vek::getmem(64 * sizeof(int)));

  CaptureStderr();
  vek::dbg_pfa_show_id_tab_xar(nullptr, "ints", ints);
  vek::dbg_pfa_show_id_tab_xar(nullptr, "empty", empty);
  vek::dbg_pfa_show_id_tab_xar(nullptr, "null", nullptr);
  vek::dbg_pfa_show_id_tab_xar(nullptr, "doubles", reinterpret_cast<const int*>(doubles));
  vek::dbg_pfa_show_id_tab_xar(nullptr, "block", block + 16);
  EXPECT_EQ(GetCapturedStderr(),
            "ints[1, 2, 3]\nempty[]\nnull<NULL>\ndoubles<INVALID>\nblock<INVALID>\n");
}

TEST_F(MsgTool, StatusNames) {
  EXPECT_STREQ(vek::vynkit_perror(-8), "VYN_TK_BAD_CONTEXT");
  EXPECT_STREQ(vek::vynkit_perror(0), "VYN_TK_NO_ERROR");
  EXPECT_STREQ(vek::vynkit_perror(-39), "VYN_TK_E_IN_USE");
  EXPECT_STREQ(vek::vynkit_perror(-41), "VYN_TK_BSPL_UNSUITABLE_DEGREE");
  EXPECT_STREQ(vek::vynkit_perror(-57), "VYN_TK_DWGCREATE_ERRORS");
  EXPECT_STREQ(vek::vynkit_perror(-93), "VYN_TK_APP_XS_CALLBACKS");
  EXPECT_STREQ(vek::vynkit_perror(-98), "VYN_TK_APP_NEW_VERSION");
  for (int code : {-40, -58, -92, -99, 1}) EXPECT_STREQ(vek::vynkit_perror(code), "") << code;

  // Every row is found by its own code: codes and names are unique and well formed.
  std::set<int> codes;
  std::set<std::string> names;
  for (const vek::VynErrorMsg& row : vek::error_msgs) {
    codes.insert(row.code);
    names.insert(row.name);
    EXPECT_EQ(std::string(row.name).rfind("VYN_TK_", 0), 0u) << row.name;
    EXPECT_STREQ(vek::vynkit_perror(row.code), row.name);
  }
  EXPECT_EQ(codes.size(), 63u);
  EXPECT_EQ(names.size(), 63u);
}

TEST_F(MsgTool, FfsMatchesTheCLibrary) {
  EXPECT_EQ(vek::ffs(0), 0);
  EXPECT_EQ(vek::ffs(1), 1);
  EXPECT_EQ(vek::ffs(static_cast<int>(0x80000000u)), 32);
  for (std::uint32_t v : {0u, 1u, 2u, 3u, 12u, 0x100u, 0x12345678u, 0x40000000u, 0x80000000u,
                          0xFFFFFFFFu, 0xFFFF0000u}) {
    int value = static_cast<int>(v);
    EXPECT_EQ(vek::ffs(value), ::ffs(value)) << std::hex << v;
  }
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
