// Command lines, the runners through the interpreter, the batch runner, the version-check
// spawn, the command-output reader and the process and thread records.
#include "runtime/system/process.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/w32/clock.h"
#include "platform/w32/clock_testing.h"
#include "platform/w32/console_testing.h"
#include "platform/w32/environment_testing.h"
#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"
#include "platform/w32/system_testing.h"
#include "platform/w32/handle.h"
#include "platform/w32/handle_testing.h"
#include "platform/w32/pipe.h"
#include "platform/w32/process.h"
#include "platform/w32/winpath.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/runmode.h"
#include "runtime/system/clocks.h"
#include "runtime/system/dates.h"
#include "runtime/system/ntsys.h"
#include "runtime/system/sysinfo.h"
#include "runtime/system/sysinfo_testing.h"
#include "tests/support/bounded_wait.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

using yrltest::ConsoleCapture;
using yrltest::RuntimeTest;
using yrltest::ScopedEnv;
using yrltest::TempDir;

class Process : public RuntimeTest {
 protected:
  static std::string windows(const std::string& posix) {
    char name[4096];
    EXPECT_TRUE(w32::w32_windows_path_from_posix(posix.c_str(), name, sizeof name)) << posix;
    return name;
  }

  static void make_program(const std::string& path, const std::string& body) {
    yrltest::write_file(path, "#!/bin/sh\n" + body + "\n");
    chmod(path.c_str(), 0755);
  }

  static std::string taken(char* text) {
    std::string copy = text ? text : "(null)";
    std::free(text);
    return copy;
  }

  static bool exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
  }

  // Waits up to ten seconds for a file to have the text.
  static std::string await(const std::string& path, const std::string& text) {
    for (int i = 0; i < 200 && yrltest::read_file(path) != text; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return yrltest::read_file(path);
  }
};

using ProcessDeathTest = yrltest::RuntimeDeathTest;

// --- Command-line preparation -------------------------------------------------------

TEST_F(Process, QuoteExeQuotesPathsWithBlanksOnly) {
  struct Case {
    const char* path;
    const char* quoted;
  };
  const Case cases[] = {
      {"D:\\Program Files\\app.exe", "\"D:\\Program Files\\app.exe\""},
      {"\"D:\\Program Files\\app.exe\"", "\"D:\\Program Files\\app.exe\""},
      {"D:\\a \"b\" c", "D:\\a \"b\" c"},
      {"C:\\bin\\app.exe", "C:\\bin\\app.exe"},
      {"", ""},
  };
  for (const Case& c : cases) {
    char* out = nullptr;
    EXPECT_EQ(vek::vyn_quote_exe(c.path, &out), 0) << c.path;
    EXPECT_EQ(taken(out), c.quoted);
  }
  EXPECT_EQ(vek::vyn_quote_exe("x", nullptr), 2);
  char* out = reinterpret_cast<char*>(1);
  EXPECT_EQ(vek::vyn_quote_exe(nullptr, &out), 2);
  EXPECT_EQ(out, nullptr);
}

TEST_F(Process, ExecutableFilesAreRegularFilesThatMayRun) {
  TempDir dir;
  make_program(dir.file("tool"), "true");
  make_program(dir.file("tool.exe"), "true");
  yrltest::write_file(dir.file("plain.txt"), "x");
  yrltest::write_file(dir.file("script.BAT"), "x");
  mkdir(dir.file("folder.exe").c_str(), 0755);
  struct Case {
    std::string path;
    int executable;
  };
  const Case cases[] = {
      // Whether a file runs is judged by its extension, as Windows judges it: a POSIX
      // program without one is not taken for a program.
      {dir.file("tool"), 0},
      {dir.file("tool.exe"), 1},
      {windows(dir.file("tool.exe")), 1},
      {dir.file("plain.txt"), 0},
      {dir.file("script.BAT"), 1},  // by its extension, as Windows runs it
      {dir.file("folder.exe"), 0},
      {dir.file("folder.exe") + "/", 0},
      {dir.file("missing"), 0},
      {"", 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(vek::vyn_check_file_is_executable(c.path.c_str()), c.executable) << c.path;
  EXPECT_EQ(vek::vyn_check_file_is_executable(nullptr), 0);
}

TEST_F(Process, CommandWithBlanksGetsItsProgramQuoted) {
  TempDir dir;
  mkdir(dir.file("My Tools").c_str(), 0755);
  make_program(dir.file("My Tools/run.exe"), "true");
  make_program(dir.file("solo tool.exe"), "true");
  std::string program = windows(dir.file("My Tools/run.exe"));
  struct Case {
    std::string command;
    int found;
    std::string out;
  };
  const Case cases[] = {
      // "...\My" names nothing; "...\My Tools\run.exe" is the program.
      {program + " -x  y", 1, "\"" + program + "\" -x  y"},
      {program, 1, "\"" + program + "\""},
      {dir.file("solo tool.exe"), 1, "\"" + dir.file("solo tool.exe") + "\""},
      {"noblank", 1, "noblank"},
      {"\"" + program + "\" -x", 1, "\"" + program + "\" -x"},
      {"no such program -x", 0, "no such program -x"},
  };
  for (const Case& c : cases) {
    char* out = nullptr;
    EXPECT_EQ(vek::vyn_check_space_in_command(c.command.c_str(), &out), c.found) << c.command;
    EXPECT_EQ(taken(out), c.out);
  }
  char* out = nullptr;
  EXPECT_EQ(vek::vyn_check_space_in_command(nullptr, &out), 0);
  EXPECT_EQ(out, nullptr);
}

TEST_F(Process, EnvironmentReferencesExpandIntoTheBufferGiven) {
  ScopedEnv env("YRL_PROC_NAME", "value");
  env.set("YRL_PROC_EMPTY", "");
  struct Case {
    const char* text;
    const char* out;
  };
  const Case cases[] = {
      {"a %YRL_PROC_NAME% b", "a value b"},
      {"%yrl_proc_name%%YRL_PROC_NAME%", "valuevalue"},
      {"%YRL_PROC_UNSET% x", "%YRL_PROC_UNSET% x"},
      {"50% off", "50% off"},
      {"trailing %", "trailing %"},
      {"%%", "%%"},
      {"[%YRL_PROC_EMPTY%]", "[]"},  // set, to nothing
      {"", ""},
  };
  for (const Case& c : cases) {
    char out[64] = "#";
    EXPECT_EQ(vek::handle_nt_env_vars(c.text, out, sizeof out), 1) << c.text;
    EXPECT_STREQ(out, c.out) << c.text;
  }

  // A long PATH no longer overflows fixed work buffers: the output's size decides.
  std::string long_value(5000, 'p');
  env.set("YRL_PROC_LONG", long_value.c_str());
  std::vector<char> big(5100);
  EXPECT_EQ(vek::handle_nt_env_vars("<%YRL_PROC_LONG%>", big.data(), 5100), 1);
  EXPECT_EQ(std::string(big.data()), "<" + long_value + ">");
  EXPECT_EQ(vek::handle_nt_env_vars("<%YRL_PROC_LONG%>", big.data(), 5003), 1);
  EXPECT_EQ(vek::handle_nt_env_vars("<%YRL_PROC_LONG%>", big.data(), 5002), 0);
  EXPECT_STREQ(big.data(), "");
  char small[6] = "#";
  EXPECT_EQ(vek::handle_nt_env_vars("abcdef", small, sizeof small), 0);
  EXPECT_STREQ(small, "");
  EXPECT_EQ(vek::handle_nt_env_vars("abcde", small, sizeof small), 1);
  EXPECT_EQ(vek::handle_nt_env_vars(nullptr, small, sizeof small), 0);
  EXPECT_EQ(vek::handle_nt_env_vars("a", small, 0), 0);
}

TEST_F(Process, ArgumentListTakesWordsUpToItsEntries) {
  std::string words31;
  for (int i = 0; i < 31; ++i) words31 += " w" + std::to_string(i);
  char buffer[vek::VYN_ARG_BUFFER_SIZE];
  char* args[vek::VYN_ARG_ENTRIES];
  ASSERT_EQ(vek::make_arg_list(words31.c_str(), buffer, sizeof buffer, args, 32), 0);
  EXPECT_STREQ(args[0], "w0");
  EXPECT_STREQ(args[30], "w30");
  EXPECT_EQ(args[31], nullptr);
  std::string words32 = words31 + " w31";
  EXPECT_EQ(vek::make_arg_list(words32.c_str(), buffer, sizeof buffer, args, 32), -1);

  // Blanks only separate; the words' buffer must hold every word and its terminator.
  ASSERT_EQ(vek::make_arg_list("  a\tb   cd ", buffer, 7, args, 4), 0);
  EXPECT_STREQ(args[0], "a\tb");
  EXPECT_STREQ(args[1], "cd");
  EXPECT_EQ(args[2], nullptr);
  EXPECT_EQ(vek::make_arg_list("a\tb cd", buffer, 6, args, 4), -1);
  ASSERT_EQ(vek::make_arg_list("", buffer, 0, args, 1), 0);
  EXPECT_EQ(args[0], nullptr);
  ASSERT_EQ(vek::make_arg_list("   ", buffer, 1, args, 1), 0);
  EXPECT_EQ(args[0], nullptr);
}

// --- Running commands ---------------------------------------------------------------

TEST_F(Process, ExecCommandLineRunsThroughTheInterpreterWithItsExitCode) {
  TempDir dir;
  int status = 99;
  EXPECT_EQ(vek::vyn_exec_command_line("exit 3", 1, &status), 3);
  EXPECT_EQ(status, 3);
  EXPECT_EQ(vek::vyn_exec_command_line("true", 0, &status), 0);
  EXPECT_EQ(status, 0);

  // A command with a line break runs as a batch file, line by line, which is removed.
  std::string out = dir.file("lines");
  std::string twice = "echo one > " + out + "\necho two >> " + out + "\nexit 4";
  EXPECT_EQ(vek::vyn_exec_command_line(twice.c_str(), 1, &status), 4);
  EXPECT_EQ(yrltest::read_file(out), "one\ntwo\n");
  EXPECT_EQ(status, 4);
  // A batch file that cannot be written runs nothing: -1.
  {
    ScopedEnv nowhere("TMP", (windows(dir.path()) + "\\no\\such\\dir").c_str());
    EXPECT_EQ(vek::vyn_exec_command_line("true\ntrue", 1, &status), -1);
    EXPECT_EQ(status, -1);
  }

  // Without an interpreter nothing runs: -1.
  w32::environment_testing_remove_comspec(true);
  EXPECT_EQ(vek::vyn_exec_command_line("true", 1, &status), -1);
  EXPECT_EQ(status, -1);
}

TEST_F(Process, ExecCommandRefusesBadOrOverlongCommands) {
  std::string long_format(501, 'x');
  EXPECT_EQ(vek::vyn_exec_command(1, long_format.c_str()), -1);
  std::string long_command(600, 'x');
  EXPECT_EQ(vek::vyn_exec_command(1, "%s", long_command.c_str()), -1);
  // 511 characters fit the 512-byte buffer.
  std::string fits = ": " + std::string(509, 'x');
  EXPECT_EQ(vek::vyn_exec_command(1, "%s", fits.c_str()), 0);
  EXPECT_EQ(vek::vyn_exec_cmd(1, 0, 0, 0, nullptr, "%s", long_command.c_str()), -1);
  EXPECT_EQ(vek::vyn_exec_command_new(1, "%s", long_command.c_str()), -1);
  EXPECT_EQ(vek::vyn_exec_background_shell("%s", long_command.c_str()), 0);
  EXPECT_EQ(vek::vyn_exec_background_shell_ex("%s", long_command.c_str()), nullptr);
  std::string long_background(584, 'x');
  EXPECT_EQ(vek::vyn_start_background_process("%s", long_background.c_str()), 0);
}

TEST_F(Process, ExecCommandModeTwoLeavesTheCommandRunning) {
  TempDir dir;
  std::string marker = dir.file("done");
  EXPECT_EQ(vek::vyn_exec_command(2, "sleep 0.2; echo ok > %s", marker.c_str()), 1);
  // The call came back before the command finished.
  EXPECT_EQ(yrltest::read_file(marker), "");
  EXPECT_EQ(await(marker, "ok\n"), "ok\n");
}

// The command is prepared (its program looked for among the files, word run by word
// run, and quoted) once, whatever the mode. The file-access layer's trace (run mode
// 9998) counts the file handles the looking makes.
TEST_F(Process, ExecCommandLinePreparesTheCommandOnce) {
  TempDir dir;
  std::string marker = dir.file("done");
  std::string command = "touch " + marker;
  auto handles_made = [](const std::string& trace) {
    int count = 0;
    for (std::size_t at = trace.find("pfa_alloc_vyn_file:"); at != std::string::npos;
         at = trace.find("pfa_alloc_vyn_file:", at + 1))
      ++count;
    return count;
  };
  vek::set_run_mode(9998);
  int preparing = 0;
  {
    ConsoleCapture trace;
    char* prepared = nullptr;
    EXPECT_EQ(vek::vyn_check_space_in_command(command.c_str(), &prepared), 0);
    std::free(prepared);
    preparing = handles_made(trace.out());
  }
  EXPECT_GT(preparing, 0);
  for (int mode : {2, 1}) {
    SCOPED_TRACE(mode);
    int status = -5;
    ConsoleCapture trace;
    EXPECT_EQ(vek::vyn_exec_command_line(command.c_str(), mode, &status), mode == 2 ? 1 : 0);
    EXPECT_EQ(handles_made(trace.out()), preparing);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(yrltest::wait_until([&] { return exists(marker); }));
    ::unlink(marker.c_str());
  }
  vek::set_run_mode(0);
}

TEST_F(Process, SystemCallChecksItsLimitByLength) {
  int status = 99;
  // 2,046 characters run; 2,047 are reported and run nothing.
  std::string fits = ": " + std::string(2044, 'x');
  EXPECT_EQ(vek::vyn_system_call(&status, 1, "%s", fits.c_str()), 0);
  EXPECT_EQ(status, 0);
  std::string over = fits + "x";
  EXPECT_EQ(vek::vyn_system_call(&status, 1, "%s", over.c_str()), 100);
  EXPECT_EQ(status, -1);
  EXPECT_EQ(vek::vyn_system_call(&status, 1, "exit %d", 5), 0);
  EXPECT_EQ(status, 5);
  EXPECT_EQ(vek::vyn_system_call(nullptr, 1, nullptr), 100);

  // A finished command is its own format: "%%" is a percent sign.
  TempDir dir;
  std::string out = dir.file("pct");
  std::string command = "echo 100%% > " + out;
  EXPECT_EQ(vek::vyn_system_call_new(&status, 1, command.c_str()), 0);
  EXPECT_EQ(yrltest::read_file(out), "100%\n");
  EXPECT_EQ(vek::vyn_system_call_new(&status, 1, over.c_str()), 100);
  EXPECT_EQ(vek::vyn_system_script_call(1, "x"), 0);
  w32::environment_testing_remove_comspec(true);
  EXPECT_EQ(vek::vyn_system_call(&status, 1, "true"), 100);
  EXPECT_EQ(status, -1);
}

TEST_F(Process, WaitingStartsGiveTheCreationResultAndTheExitCode) {
  TempDir dir;
  ScopedEnv env("TMP", windows(dir.path()).c_str());
  struct Case {
    int wait;
    int interpreter;
    const char* command;
    int status;
  };
  // A waiting run of vyn_exec_cmd never uses the interpreter: sh is found on the path.
  const Case cases[] = {
      {1, 1, "sh -c \"exit 6\"", 6},
      {1, 0, "sh -c \"exit 7\"", 7},
      {0, 1, "exit 8", 1},
  };
  for (const Case& c : cases) {
    int status = -5;
    EXPECT_EQ(vek::vyn_exec_cmd(c.wait, c.interpreter, 0, 0, &status, "%s", c.command), 1)
        << c.command;
    EXPECT_EQ(status, c.status) << c.command;
  }
  int status = -5;
  EXPECT_EQ(vek::vyn_start_proc_new("exit 9", 1, 1, 0, &status), 1);
  EXPECT_EQ(status, 9);
  EXPECT_EQ(vek::vyn_start_process("no-such-program-anywhere", 1, 0, 0, 0, &status), 0);
  EXPECT_EQ(status, 0);

  // Use of "TMP": the child starts there.
  std::string where = dir.file("where");
  std::string command = "sh -c \"pwd > " + where + "\"";
  EXPECT_EQ(vek::vyn_start_process(command.c_str(), 1, 0, 0, 1, &status), 1);
  EXPECT_EQ(yrltest::read_file(where), dir.path() + "\n");
  EXPECT_EQ(vek::run_win95_program("sh -c \"exit 2\""), 1);
}

TEST_F(Process, InterpreterRunsHideTheCallersConsoleWindowUnlessKept) {
  w32::HWND mine = w32::console_testing_add_window(w32::GetCurrentThreadId());
  int status = 0;
  EXPECT_EQ(vek::vyn_start_process("true", 1, 1, 1, 0, &status), 1);
  EXPECT_EQ(w32::console_testing_last_show(mine), -1);
  EXPECT_EQ(vek::vyn_start_process("true", 1, 1, 0, 0, &status), 1);
  EXPECT_EQ(w32::console_testing_last_show(mine), w32::SW_HIDE);
  // The console went with the run, and its handles after a waited run.
  EXPECT_FALSE(w32::console_testing_has_console());
  EXPECT_EQ(w32::GetStdHandle(w32::STD_OUTPUT_HANDLE), nullptr);
  // The next run has a console again.
  EXPECT_EQ(vek::vyn_start_process("exit 3", 1, 1, 1, 0, &status), 1);
  EXPECT_EQ(status, 3);

  EXPECT_EQ(vek::console_hide(mine, 0), w32::FALSE);
  w32::HWND other = w32::console_testing_add_window(w32::GetCurrentThreadId() + 1);
  EXPECT_EQ(vek::console_hide(other, 0), w32::TRUE);
  EXPECT_EQ(w32::console_testing_last_show(other), -1);
}

TEST_F(Process, BackgroundStartsComeBackAtOnce) {
  TempDir dir;
  ScopedEnv env("TMP", windows(dir.path()).c_str());
  w32::HANDLE process = vek::vyn_exec_background_shell_ex("exit %d", 12);
  ASSERT_NE(process, nullptr);
  EXPECT_EQ(w32::WaitForSingleObject(process, 10000), w32::WAIT_OBJECT_0);
  w32::DWORD code = 0;
  EXPECT_TRUE(w32::GetExitCodeProcess(process, &code));
  EXPECT_EQ(code, 12u);
  w32::CloseHandle(process);

  std::string where = dir.file("where");
  EXPECT_NE(vek::vyn_start_background_process("sh -c \"pwd > %s\"", where.c_str()), 0);
  EXPECT_EQ(await(where, dir.path() + "\n"), dir.path() + "\n");
  std::string marker = dir.file("marker");
  EXPECT_NE(vek::vyn_exec_background_shell("echo bg > %s", marker.c_str()), 0);
  EXPECT_EQ(await(marker, "bg\n"), "bg\n");

  w32::environment_testing_remove_comspec(true);
  EXPECT_EQ(vek::start_background_proc("true", 1, 0), 0);
  EXPECT_EQ(vek::start_background_proc_ex("true", 1, 0), nullptr);
  EXPECT_EQ(w32::handle_testing_open_count(), 0);
}

TEST_F(Process, CommandHooksBracketEveryRun) {
  static int calls;
  calls = 0;
  vek::set_dcl_com_start_func([] { calls += 1; });
  vek::set_dcl_com_end_func([] { calls += 10; });
  int status = 0;
  vek::vyn_exec_command_line("true", 1, &status);
  vek::vyn_start_process("true", 1, 1, 1, 0, &status);
  vek::vyn_spawn_for_version_check("true");
  EXPECT_EQ(calls, 33);
  vek::set_dcl_com_start_func(nullptr);
  vek::set_dcl_com_end_func(nullptr);
}

TEST_F(Process, Windows95FamilyRunsSpawnWithoutTheInterpreter) {
  w32::system_testing_set_platform(1);
  vek::sysinfo_testing_reset();
  ASSERT_EQ(vek::vyn_is_win95_running(), 1);
  int status = 0;
  // Split at blanks and spawned with path search: no shell reads the line.
  testing::internal::CaptureStdout();
  EXPECT_EQ(vek::vyn_exec_command_line("echo a;false  b", 1, &status), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "a;false b\n");
  EXPECT_EQ(vek::vyn_exec_command_line("false", 1, &status), 1);
  EXPECT_EQ(status, 1);
  testing::internal::CaptureStderr();
  EXPECT_EQ(vek::vyn_system_call_new(&status, 1, "sh -c true"), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "going to call run_win95 with sh -c true\n");
  EXPECT_EQ(status, 1);
}

// --- Batch runner -------------------------------------------------------------------

TEST_F(Process, BatchRunnerPassesEveryValueIntactAndRunsNothingElse) {
  TempDir dir;
  ScopedEnv env("TMP", windows(dir.path()).c_str());
  std::string marker = dir.file("injected");
  const std::string tricky[] = {
      "a & touch " + marker,
      "b | touch " + marker,
      "c > " + marker,
      "d < nowhere",
      "e ^& f",
      "50% %PATH% %%",
      "quote \" inside \"",
      "'single'",
  };
  for (std::size_t i = 0; i < sizeof tricky / sizeof tricky[0]; ++i)
    env.set(("YRL_BATCH_" + std::to_string(i)).c_str(), tricky[i].c_str());
  env.set("YRL_BATCH_BREAK", ("line one\ntouch " + marker).c_str());
  std::string record = dir.file("record");
  // A '%' in the command itself is the interpreter's to read, as in every batch line.
  std::string command = "for i in 0 1 2 3 4 5 6 7; do eval echo \\\"\\$YRL_BATCH_$i\\\"; done > " +
                        record +
                        "; echo \"${YRL_BATCH_BREAK-skipped}\" >> " + record + "; exit 3";
  int code = -5;
  ConsoleCapture capture;
  ASSERT_EQ(vek::call_script(command.c_str(), &code), 1);
  EXPECT_EQ(code, 3);
  std::string expected;
  for (const std::string& value : tricky) expected += value + "\n";
  // A value with a line break gets no set line; it reaches the child as the process's
  // own environment does, and runs nothing.
  expected += "line one\ntouch " + marker + "\n";
  EXPECT_EQ(yrltest::read_file(record), expected);
  EXPECT_FALSE(exists(marker));
  // The batch file was the first free name and is gone.
  std::string batch = windows(dir.path()) + "\\~tempbat0.bat";
  EXPECT_NE(capture.out().find("Process \"C:\\Windows\\system32\\cmd.exe /e:4096 /c " + batch +
                               " is called via CreateProcess \"" + command + "\n"),
            std::string::npos)
      << capture.out();
  EXPECT_FALSE(exists(dir.file("~tempbat0.bat")));
}

TEST_F(Process, BatchRunnerTakesTheNextFreeNameAndNeedsComspecAndTmp) {
  TempDir dir;
  ScopedEnv env("TMP", windows(dir.path()).c_str());
  yrltest::write_file(dir.file("~tempbat0.bat"), "left by another run\n");
  ConsoleCapture capture;
  EXPECT_EQ(vek::play_batch_file("exit 4"), 4);
  EXPECT_NE(capture.out().find("~tempbat1.bat is called"), std::string::npos) << capture.out();
  EXPECT_EQ(yrltest::read_file(dir.file("~tempbat0.bat")), "left by another run\n");
  EXPECT_FALSE(exists(dir.file("~tempbat1.bat")));

  // A "TMP" where nothing can be made does not hang the caller.
  ScopedEnv missing("TMP", (windows(dir.path()) + "\\no\\such\\dir").c_str());
  EXPECT_EQ(vek::call_script("true", nullptr), 0);
  env.set("TMP", nullptr);
  EXPECT_EQ(vek::call_script("true", nullptr), 0);
  EXPECT_EQ(vek::play_batch_file("true"), -1);
  env.set("TMP", windows(dir.path()).c_str());
  w32::environment_testing_remove_comspec(true);
  EXPECT_EQ(vek::call_script("true", nullptr), 0);
}

// --- Version-check spawn ------------------------------------------------------------

TEST_F(Process, VersionCheckRunsAProgramWhosePathHoldsABlank) {
  TempDir dir;
  mkdir(dir.file("Program Files").c_str(), 0755);
  std::string program = dir.file("Program Files/check");
  std::string record = dir.file("args");
  make_program(program, "for a in \"$@\"; do printf '[%s]' \"$a\"; done > '" + record +
                            "'\nexit ${EXIT_WITH:-0}");
  // The blank would otherwise start ".../Program" with "Files/check" as argument.
  make_program(dir.file("Program"), "touch '" + dir.file("wrong") + "'");
  const char* args[] = {"-v", "two words", "", "last", nullptr};
  std::string quoted = "\"" + program + "\"";
  EXPECT_EQ(vek::vyn_spawn_for_version_check_use_array(quoted.c_str(), args), 0);
  EXPECT_EQ(yrltest::read_file(record), "[-v][two words][last]");
  EXPECT_FALSE(exists(dir.file("wrong")));

  // Split at every white-space character, quotes or not, consecutive blanks giving empty
  // pieces: a program whose path holds no blank.
  make_program(dir.file("check"), "exec '" + program + "' \"$@\"");
  std::string line = dir.file("check") + "  -a\tb";
  EXPECT_EQ(vek::vyn_spawn_for_version_check(line.c_str()), 0);
  EXPECT_EQ(yrltest::read_file(record), "[-a][b]");

  // Every blank of a run makes a piece: more pieces than half the line's length.
  line = dir.file("check") + "          -a     b";
  EXPECT_EQ(vek::vyn_spawn_for_version_check(line.c_str()), 0);
  EXPECT_EQ(yrltest::read_file(record), "[-a][b]");
  std::string blanks = dir.file("check") + std::string(500, ' ');
  testing::internal::CaptureStderr();
  EXPECT_EQ(vek::vyn_spawn_for_version_check(blanks.c_str()), 0);  // empty pieces add nothing
  testing::internal::GetCapturedStderr();

  // A nonzero exit is reported, and the result stays 0.
  ScopedEnv env("EXIT_WITH", "3");
  testing::internal::CaptureStderr();
  EXPECT_EQ(vek::vyn_spawn_for_version_check_use_array(program.c_str(), args), 0);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("vyn_spawn_for_version_check() : "), std::string::npos);
  EXPECT_NE(err.find("SPAWNED PROCESS DID NOT EXIT NORMALLY\n"), std::string::npos);

  // A line that does not fit is refused, not cut.
  std::string long_argument(2078, 'a');
  const char* long_args[] = {long_argument.c_str(), nullptr};
  testing::internal::CaptureStderr();
  EXPECT_EQ(vek::vyn_spawn_for_version_check_use_array(program.c_str(), long_args), -1);
  EXPECT_EQ(vek::vyn_spawn_for_version_check("no-such-program-anywhere"), -1);
  err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("vyn_spawn_for_version_check() : SPAWN FAILED"), std::string::npos);
}

// --- Command output -----------------------------------------------------------------

TEST_F(Process, ProcessOutputReadsWhatFitsAndDrainsTheRest) {
  char buffer[64];
  int size = sizeof buffer;
  // Output and error come through one pipe; text mode drops carriage returns.
  EXPECT_EQ(vek::vek_process_output("sh -c \"printf 'a\\r\\nb'; printf e >&2\"", buffer, &size),
            3);
  EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(size)), "a\nbe");

  // A child that writes far more than the buffer and the pipe hold is not left blocked.
  size = 10;
  EXPECT_EQ(vek::vek_process_output("sh -c \"yes 0123456789 | head -c 1000000\"", buffer, &size),
            1);
  EXPECT_EQ(std::string(buffer, 10), "0123456789");
  EXPECT_EQ(size, 10);

  // The read's status when the wait worked; 4 when it failed.
  size = sizeof buffer;
  ASSERT_TRUE(w32::fault_testing_fail_on_call("WaitForMultipleObjects", 1,
                                              w32::ERROR_INVALID_HANDLE));
  EXPECT_EQ(vek::vek_process_output("echo waited", buffer, &size), 4);
  EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(size)), "waited\n");

  size = sizeof buffer;
  EXPECT_EQ(vek::vek_process_output("no-such-program-anywhere", buffer, &size), 5);
  EXPECT_EQ(vek::vek_process_output("true", nullptr, &size), -1);
  EXPECT_EQ(vek::vek_process_output("true", buffer, nullptr), -1);
  EXPECT_EQ(w32::handle_testing_open_count(), 0);
}

// --- Process records and threads ------------------------------------------------------

w32::DWORD returns_argument(void* argument) {
  return static_cast<w32::DWORD>(reinterpret_cast<std::intptr_t>(argument));
}

// Blocks in a read of the descriptor given (a cancellation point) until it can read.
w32::DWORD blocks_in_read(void* argument) {
  char byte = 0;
  ssize_t got = ::read(static_cast<int>(reinterpret_cast<std::intptr_t>(argument)), &byte, 1);
  return got == 1 ? 5u : 6u;
}

TEST_F(Process, ThreadsAreCreatedWaitedForAndKilled) {
  vek::VynProc* thread = vek::vyn_create_subprocess(2, returns_argument, reinterpret_cast<void*>(42));
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(thread->kind, vek::VYN_PROC_THREAD);
  int code = 0;
  EXPECT_EQ(vek::vyn_wait_for_subproc(1, &thread, &code), 0);
  EXPECT_EQ(code, 42);
  EXPECT_EQ(vek::vyn_test_subprocess(thread), 0);
  vek::vyn_free_proc_handle(&thread);
  EXPECT_EQ(thread, nullptr);

  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  thread = vek::vyn_create_subprocess(2, blocks_in_read, reinterpret_cast<void*>(fds[0]));
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(vek::vyn_test_child_subprocess(thread), 1);
  EXPECT_NE(vek::vyn_kill_subprocess(thread), 0);
  EXPECT_EQ(vek::vyn_wait_for_subproc(1, &thread, &code), 0);
  EXPECT_EQ(code, -1);
  EXPECT_EQ(vek::vyn_test_subprocess(thread), 0);
  vek::vyn_free_proc_handle(&thread);
  close(fds[0]);
  close(fds[1]);

  EXPECT_EQ(vek::vyn_create_subprocess(3, returns_argument, nullptr), nullptr);
  vek::VynProc other = {7, 1, nullptr};
  EXPECT_EQ(vek::vyn_kill_subprocess_ext(&other), 0);
  EXPECT_EQ(vek::vyn_kill_subprocess(nullptr), 0);
}

TEST_F(Process, WaitForSubprocWaitsOnAThousandRecordsAndRefusesMore) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  vek::VynProc* running =
      vek::vyn_create_subprocess(2, blocks_in_read, reinterpret_cast<void*>(fds[0]));
  vek::VynProc* ended = vek::vyn_create_subprocess(2, returns_argument, reinterpret_cast<void*>(9));
  ASSERT_NE(running, nullptr);
  ASSERT_NE(ended, nullptr);
  // 999 records of the running thread, the ended one last; the records share handles
  // and are not freed one by one.
  std::vector<vek::VynProc> copies(1001, *running);
  std::vector<vek::VynProc*> records;
  for (vek::VynProc& copy : copies) records.push_back(&copy);
  records[999] = ended;
  int code = 0;
  EXPECT_EQ(vek::vyn_wait_for_subproc(1000, records.data(), &code), 999);
  EXPECT_EQ(code, 9);
  // With 1,001 nothing is waited for, not even the ended one.
  records[1000] = ended;
  records[999] = &copies[999];
  code = -7;
  EXPECT_EQ(vek::vyn_wait_for_subproc(1001, records.data(), &code), -1);
  EXPECT_EQ(code, -7);
  EXPECT_EQ(vek::vyn_wait_for_subproc(0, records.data(), &code), -1);

  ASSERT_EQ(write(fds[1], "x", 1), 1);
  EXPECT_EQ(vek::vyn_wait_for_subproc(1, &running, &code), 0);
  EXPECT_EQ(code, 5);
  vek::vyn_free_proc_handle(&running);
  vek::vyn_free_proc_handle(&ended);
  close(fds[0]);
  close(fds[1]);
}

// The runners keep their buffers on the heap: they run on a thread with the smallest
// stack the layer gives (64 KB; the stand-in's own path conversions take about 48 KB of
// it). AddressSanitizer's frames are larger: there the thread gets 128 KB, where the
// runners need about 80 KB, and more than 170 KB with their buffers on the stack.
#if defined(__SANITIZE_ADDRESS__)
constexpr std::size_t kSmallStack = 128 * 1024;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr std::size_t kSmallStack = 128 * 1024;
#else
constexpr std::size_t kSmallStack = 1;
#endif
#else
constexpr std::size_t kSmallStack = 1;
#endif

struct SmallStackRun {
  std::string tmp;
  int script = -1;
  int script_code = -1;
  int line = -1;
  int started = -1;
  int status = -1;
};

w32::DWORD runs_commands(void* argument) {
  auto* run = static_cast<SmallStackRun*>(argument);
  run->script = vek::call_script("exit 3", &run->script_code);
  run->line = vek::vyn_exec_command_line("exit 4", 1, nullptr);
  run->started = vek::vyn_start_process("exit 5", 1, 1, 0, 1, &run->status);
  return 0;
}

TEST_F(Process, RunnersWorkOnTheSmallestStack) {
  TempDir dir;
  ScopedEnv env("TMP", windows(dir.path()).c_str());
  SmallStackRun run;
  ConsoleCapture capture;
  w32::HANDLE thread = w32::CreateThread(nullptr, kSmallStack, runs_commands, &run, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(yrltest::finishes_within("the runs on a small stack",
                                     [&] { return w32::WaitForSingleObject(thread, 30000); }),
            w32::WAIT_OBJECT_0);
  w32::CloseHandle(thread);
  EXPECT_EQ(run.script, 1);
  EXPECT_EQ(run.script_code, 3);
  EXPECT_EQ(run.line, 4);
  EXPECT_NE(run.started, 0);
  EXPECT_EQ(run.status, 5);
}

// A thread killed while it sleeps (vek::sleep, spg_delay, Sleep) leaves the clock, sleeps
// and dates working for every later caller.
w32::DWORD sleeps_long(void* how) {
  switch (reinterpret_cast<std::intptr_t>(how)) {
    case 0:
      vek::sleep(600);
      break;
    case 1:
      vek::spg_delay(30);
      vek::spg_delay(30);
      vek::spg_delay(30);
      break;
    default:
      w32::Sleep(600000);
      break;
  }
  return 0;
}

TEST_F(Process, KillingASleepingThreadLeavesTheClockWorking) {
  const char* sleeps[] = {"sleep", "spg_delay", "Sleep"};
  for (std::intptr_t how = 0; how < 3; ++how) {
    SCOPED_TRACE(sleeps[how]);
    vek::VynProc* thread =
        vek::vyn_create_subprocess(2, sleeps_long, reinterpret_cast<void*>(how));
    ASSERT_NE(thread, nullptr);
    ASSERT_TRUE(yrltest::wait_until([] { return w32::clock_testing_waiting() > 0; }));
    EXPECT_NE(vek::vyn_kill_subprocess(thread), 0);
    int code = 0;
    auto wait = [&] { return vek::vyn_wait_for_subproc(1, &thread, &code); };
    EXPECT_EQ(yrltest::finishes_within("the wait for the killed thread", wait), 0);
    EXPECT_EQ(code, -1);
    vek::vyn_free_proc_handle(&thread);
    yrltest::finishes_within("the clock after the kill", [] {
      w32::DWORD before = w32::GetTickCount();
      vek::sleep(0);
      w32::Sleep(2);
      EXPECT_EQ(vek::spg_delay(0.1), 0);
      EXPECT_GE(w32::GetTickCount() - before, 2u);
      vek::ptime now = {};
      EXPECT_NE(vek::ptime_current_local(&now), nullptr);
      EXPECT_GE(now.tm_year, 124);
      char date[vek::DATE_STRING_SIZE];
      EXPECT_NE(vek::date_string_low(date), nullptr);
      EXPECT_EQ(w32::clock_testing_waiting(), 0);
    });
  }
}

TEST_F(Process, ProcessRecordsOpenTestAndKillProcesses) {
  EXPECT_EQ(vek::vyn_test_pid(vek::vyn_getpid()), 1);
  EXPECT_EQ(vek::vyn_get_id_of_process(nullptr), static_cast<std::uint32_t>(getpid()));

  w32::HANDLE child = vek::start_background_proc_ex("exec sleep 30", 1, 0);
  ASSERT_NE(child, nullptr);
  std::uint32_t pid = w32::GetProcessId(child);
  vek::VynProc* record = vek::_WINDOWS_alloc_proc(vek::VYN_PROC_PROCESS, pid, child);
  EXPECT_EQ(vek::vyn_get_id_of_process(record), pid);
  EXPECT_EQ(vek::vyn_test_subprocess(record), 1);
  vek::VynProc* opened = vek::vyn_open_process(pid);
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->id, pid);
  EXPECT_NE(vek::vyn_kill_subprocess(record), 0);
  int code = 0;
  EXPECT_EQ(vek::vyn_wait_for_subproc(1, &record, &code), 0);
  EXPECT_EQ(code, -1);
  vek::vyn_free_proc_handle(&opened);
  vek::vyn_free_proc_handle(&record);
  EXPECT_EQ(vek::vyn_test_pid(pid), 0);
  EXPECT_EQ(vek::vyn_open_process(0), nullptr);
  vek::vyn_free_proc_handle(nullptr);
  EXPECT_EQ(vek::vyn_proc_type_dups_handles(), 0);
}

std::atomic<int> g_signals{0};
void count_signal(int signal) { g_signals += signal; }

TEST_F(Process, SignalHandlerCoversInterruptAndTerminate) {
  g_signals = 0;
  EXPECT_EQ(vek::vyn_sig_handler(count_signal), 0);
  raise(SIGINT);
  raise(SIGTERM);
  EXPECT_EQ(g_signals.load(), SIGINT + SIGTERM);
  vek::vyn_sig_handler(SIG_DFL);
}

TEST_F(Process, SharedMemoryFormsDoNothingButAllocate) {
  EXPECT_EQ(vek::pdmshm_initialize(), 0);
  void* block = vek::pdmshm_alloc(16);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(static_cast<char*>(block)[15], 0);
  vek::pdmshm_free(block);
  EXPECT_EQ(vek::pdmshm_get_ptr(1234), 1234);
  EXPECT_EQ(vek::pdmshm_cleanup(), 0);
  vek::vek_jack_up_fd_limit();
}

TEST_F(ProcessDeathTest, UnsupportedRequestsEndTheProcess) {
  EXPECT_EXIT(vek::vyn_create_subprocess(1, returns_argument, nullptr),
              testing::ExitedWithCode(2), "");
  EXPECT_EXIT(vek::vyn_goto_sleep(), testing::ExitedWithCode(2), "");
  EXPECT_EXIT(vek::vyn_wakeup(), testing::ExitedWithCode(2), "");
  vek::VynProc stale = {vek::VYN_PROC_THREAD, 1, nullptr};
  EXPECT_EXIT(vek::vyn_test_subprocess(&stale), testing::ExitedWithCode(2), "");
}

}  // namespace
