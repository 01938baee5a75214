// The command interpreter behind CreateProcessA, children's standard handles, the C
// run-time's system and spawn, and the environment block.
#include "platform/w32/interpreter.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/w32/console.h"
#include "platform/w32/crtprocess.h"
#include "platform/w32/environment.h"
#include "platform/w32/environment_testing.h"
#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"
#include "platform/w32/fileio.h"
#include "platform/w32/pipe.h"
#include "platform/w32/process.h"
#include "tests/platform/w32/process_test_support.h"

namespace {

using namespace w32;

class InterpreterTest : public yrltest::W32ProcessTest {
 protected:
  void TearDown() override {
    unsetenv("YRL_INTERP_TEST");
    W32ProcessTest::TearDown();
  }

  struct Run {
    BOOL started;
    DWORD error;
    DWORD code;
    std::string output;  // standard output and error
  };

  // Starts line with its output piped back, reads it all and waits.
  static Run run(const std::string& line, const char* application = nullptr) {
    Run result{FALSE, 0, 0, ""};
    SECURITY_ATTRIBUTES inherit = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE reader = nullptr;
    HANDLE writer = nullptr;
    EXPECT_TRUE(CreatePipe(&reader, &writer, &inherit, 0));
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = writer;
    startup.hStdError = writer;
    PROCESS_INFORMATION information;
    std::vector<char> text(line.begin(), line.end());
    text.push_back('\0');
    result.started = CreateProcessA(application, text.data(), nullptr, nullptr, TRUE,
                                    DETACHED_PROCESS, nullptr, nullptr, &startup, &information);
    result.error = GetLastError();
    CloseHandle(writer);
    if (result.started) {
      char buffer[256];
      DWORD got = 0;
      while (ReadFile(reader, buffer, sizeof buffer, &got, nullptr) && got > 0)
        result.output.append(buffer, got);
      EXPECT_EQ(WaitForSingleObject(information.hProcess, 10000), WAIT_OBJECT_0);
      EXPECT_TRUE(GetExitCodeProcess(information.hProcess, &result.code));
      CloseHandle(information.hThread);
      CloseHandle(information.hProcess);
    }
    CloseHandle(reader);
    return result;
  }

  // A batch file in the scratch directory; its Windows name.
  std::string batch(const std::string& relative, const std::string& text) {
    dir_.make_file(relative, text);
    return windows(dir_.at(relative));
  }

  yrltest::ScratchDir dir_;
};

TEST_F(InterpreterTest, InterpreterRunsItsCommandWithTheShellAndPassesTheExitCode) {
  struct Case {
    const char* line;
    DWORD code;
    const char* output;
  };
  const Case cases[] = {
      {"cmd.exe /c exit 7", 7, ""},
      {"C:\\Windows\\system32\\CMD.EXE /C echo one; echo two >&2", 0, "one\ntwo\n"},
      {"\"C:\\Windows\\system32\\cmd.exe\" /e:4096 /c printf '%s|' a 'b c'", 0, "a|b c|"},
      {"cmd /q /d /c exit 3", 3, ""},
      {"cmd.exe /c", 0, ""},
  };
  for (const Case& c : cases) {
    Run result = run(c.line);
    ASSERT_TRUE(result.started) << c.line << " " << result.error;
    EXPECT_EQ(result.code, c.code) << c.line;
    EXPECT_EQ(result.output, c.output) << c.line;
  }
  // The application name alone may name the interpreter.
  Run named = run("cmd.exe /c exit 4", "C:\\Windows\\System32\\cmd.exe");
  EXPECT_EQ(named.code, 4u);
}

TEST_F(InterpreterTest, InterpreterWithoutSlashCIsRefused) {
  for (const char* line : {"cmd.exe", "cmd.exe /k echo x", "cmd.exe /x /c echo x"}) {
    Run result = run(line);
    EXPECT_FALSE(result.started) << line;
    EXPECT_EQ(result.error, ERROR_NOT_SUPPORTED) << line;
  }
}

TEST_F(InterpreterTest, BatchFileLinesRunInOrderWithTheirVariables) {
  setenv("YRL_INTERP_TEST", "from parent", 1);
  std::string name = batch("run.bat",
                           "@echo off\r\n"
                           "rem a comment\r\n"
                           ":: another\r\n"
                           "\r\n"
                           "echo \"[%YRL_INTERP_TEST%]\"\r\n"
                           "set PLAIN=a b  \r\n"
                           "set \"QUOTED=x & y | z < > ^ 50%% \"q\" 'n'\"\r\n"
                           "set yrl_interp_test=changed\r\n"
                           "echo \"[%plain%][%UNSET_NAME%][100%%]\"\r\n"
                           "printf '%%s\\n' \"$QUOTED\" \"$YRL_INTERP_TEST\"\r\n"
                           "set PLAIN=\r\n"
                           "echo \"[${PLAIN-gone}]\"\r\n"
                           "exit 9\r\n");
  Run result = run("cmd.exe /c " + name);
  ASSERT_TRUE(result.started) << result.error;
  EXPECT_EQ(result.code, 9u);
  EXPECT_EQ(result.output,
            "[from parent]\n"
            "[a b  ][][100%]\n"
            "x & y | z < > ^ 50% \"q\" 'n'\n"
            "changed\n"
            "[gone]\n");
}

TEST_F(InterpreterTest, BatchExitCodeIsTheLastLinesAndNestedInterpretersRun) {
  std::string inner = batch("inner.cmd", "set INNER=1\nexit 5\n");
  std::string outer = batch("outer.BAT",
                            "set \"OUTER=o%%k\"\n"
                            "C:\\Windows\\system32\\cmd.exe /e:4096 /c echo \"$OUTER\"\n"
                            "cmd.exe /c " + inner + "\n"
                            "echo \"inner gave $?; [${INNER-unset}]\"\n"
                            "false\n");
  Run result = run("cmd.exe /c \"" + outer + "\"");
  ASSERT_TRUE(result.started) << result.error;
  EXPECT_EQ(result.code, 1u);
  EXPECT_EQ(result.output, "o%k\ninner gave 5; [unset]\n");

  std::string empty = batch("empty.bat", "@echo off\n");
  EXPECT_EQ(run("cmd.exe /c " + empty).code, 0u);

  // A batch that starts itself stops at the depth limit instead of running forever.
  std::string self = dir_.at("self.bat");
  batch("self.bat", "cmd.exe /c " + windows(self) + "\n");
  Run deep = run("cmd.exe /c " + windows(self));
  EXPECT_FALSE(deep.started);
  EXPECT_EQ(deep.error, ERROR_FILE_NOT_FOUND);
}

TEST_F(InterpreterTest, ChildStandardHandlesAreHonouredOrRefused) {
  // Standard input from a pipe: what is written arrives, and the end of it too, since
  // the parent's end is no inheritable handle that the child could hold open. The
  // handles of the start-up record reach the child inheritable or not.
  HANDLE in_read = nullptr;
  HANDLE in_write = nullptr;
  HANDLE out_read = nullptr;
  HANDLE out_write = nullptr;
  ASSERT_TRUE(CreatePipe(&in_read, &in_write, nullptr, 0));
  ASSERT_TRUE(CreatePipe(&out_read, &out_write, nullptr, 0));
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in_read;
  startup.hStdOutput = out_write;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION information;
  char line[] = "cmd.exe /c tr a-z A-Z";
  ASSERT_TRUE(CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &information));
  CloseHandle(in_read);
  CloseHandle(out_write);
  DWORD put = 0;
  EXPECT_TRUE(WriteFile(in_write, "piped\n", 6, &put, nullptr));
  CloseHandle(in_write);
  char buffer[16] = {};
  DWORD got = 0;
  EXPECT_TRUE(ReadFile(out_read, buffer, sizeof buffer - 1, &got, nullptr));
  EXPECT_EQ(std::string(buffer, got), "PIPED\n");
  EXPECT_EQ(WaitForSingleObject(information.hProcess, 10000), WAIT_OBJECT_0);
  CloseHandle(information.hThread);
  CloseHandle(information.hProcess);
  CloseHandle(out_read);

  // A null input reads nothing; a closed handle is refused.
  EXPECT_EQ(run("cmd.exe /c cat; echo end").output, "end\n");
  HANDLE stale = nullptr;
  HANDLE other = nullptr;
  ASSERT_TRUE(CreatePipe(&stale, &other, nullptr, 0));
  CloseHandle(stale);
  CloseHandle(other);
  startup.hStdInput = stale;
  char again[] = "cmd.exe /c true";
  SetLastError(0);
  EXPECT_FALSE(CreateProcessA(nullptr, again, nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                              &startup, &information));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(InterpreterTest, SystemRunsThroughComspecAndFailsWithoutIt) {
  EXPECT_NE(w32::system(nullptr), 0);
  EXPECT_EQ(w32::system("exit 5"), 5);
  EXPECT_EQ(w32::system("true"), 0);

  environment_testing_remove_comspec(true);
  EXPECT_EQ(w32::system(nullptr), 0);
  errno = 0;
  EXPECT_EQ(w32::system("true"), -1);
  EXPECT_EQ(errno, ENOENT);
  // A COMSPEC that the process sets is found again.
  setenv("COMSPEC", "C:\\tools\\cmd.exe", 1);
  EXPECT_EQ(w32::system("exit 2"), 2);
  unsetenv("COMSPEC");

  environment_testing_remove_comspec(false);
  ASSERT_TRUE(fault_testing_fail_on_call("system", 1, ERROR_ACCESS_DENIED));
  errno = 0;
  EXPECT_EQ(w32::system("true"), -1);
  EXPECT_EQ(errno, EACCES);
}

TEST_F(InterpreterTest, SpawnFindsTheProgramOnThePathAndKeepsArgumentsWhole) {
  std::string record = dir_.at("args");
  std::string script = "for a in \"$@\"; do printf '[%s]' \"$a\"; done > '" + record + "'";
  const char* args[] = {"sh", "-c", script.c_str(), "sh", "a b", "", "q\"uote", nullptr};
  EXPECT_EQ(w32::_spawnvp(_P_WAIT, "sh", args), 0);
  EXPECT_EQ(read_all(record), "[a b][][q\"uote]");

  const char* fail[] = {"sh", "-c", "exit 6", nullptr};
  EXPECT_EQ(w32::_spawnvp(_P_WAIT, "sh", fail), 6);
  std::intptr_t handle = w32::_spawnvp(_P_NOWAIT, "sh", fail);
  ASSERT_GT(handle, 0);
  HANDLE process = reinterpret_cast<HANDLE>(handle);
  EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(process, &code));
  EXPECT_EQ(code, 6u);
  CloseHandle(process);

  errno = 0;
  EXPECT_EQ(w32::_spawnvp(7, "sh", fail), -1);
  EXPECT_EQ(errno, EINVAL);
  const char* none[] = {nullptr};
  EXPECT_EQ(w32::_spawnvp(_P_WAIT, "sh", none), -1);
  EXPECT_EQ(w32::_spawnvp(_P_WAIT, "no-such-program-here", fail), -1);
  EXPECT_EQ(errno, ENOENT);
  std::string huge(40000, 'x');
  const char* long_args[] = {"sh", huge.c_str(), nullptr};
  EXPECT_EQ(w32::_spawnvp(_P_WAIT, "sh", long_args), -1);
  EXPECT_EQ(errno, E2BIG);
}

TEST_F(InterpreterTest, EnvironmentBlockHoldsTheDriveDirectoryTheVariablesAndComspec) {
  setenv("YRL_INTERP_TEST", "v=1", 1);
  char* block = GetEnvironmentStrings();
  ASSERT_NE(block, nullptr);
  std::vector<std::string> entries;
  for (const char* at = block; *at != '\0'; at += std::strlen(at) + 1) entries.push_back(at);
  EXPECT_TRUE(FreeEnvironmentStrings(block));
  char current[MAX_PATH];
  ASSERT_GT(GetCurrentDirectoryA(sizeof current, current), 0u);
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries[0], "=C:=" + std::string(current));
  auto has = [&](const std::string& entry) {
    for (const std::string& e : entries)
      if (e == entry) return true;
    return false;
  };
  EXPECT_TRUE(has("YRL_INTERP_TEST=v=1"));
  EXPECT_TRUE(has("COMSPEC=C:\\Windows\\system32\\cmd.exe"));
  char value[64];
  EXPECT_EQ(GetEnvironmentVariableA("ComSpec", value, sizeof value), 27u);
  EXPECT_STREQ(value, "C:\\Windows\\system32\\cmd.exe");

  environment_testing_remove_comspec(true);
  block = GetEnvironmentStrings();
  ASSERT_NE(block, nullptr);
  bool comspec = false;
  for (const char* at = block; *at != '\0'; at += std::strlen(at) + 1)
    comspec = comspec || std::strncmp(at, "COMSPEC=", 8) == 0;
  EXPECT_FALSE(comspec);
  FreeEnvironmentStrings(block);
  SetLastError(0);
  EXPECT_EQ(GetEnvironmentVariableA("COMSPEC", value, sizeof value), 0u);
  EXPECT_EQ(GetLastError(), ERROR_ENVVAR_NOT_FOUND);

  EXPECT_FALSE(FreeEnvironmentStrings(nullptr));
  ASSERT_TRUE(fault_testing_fail_on_call("GetEnvironmentStrings", 1, ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_EQ(GetEnvironmentStrings(), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
}

}  // namespace
