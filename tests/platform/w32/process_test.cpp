#include "platform/w32/process.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"
#include "platform/w32/psapi.h"
#include "tests/platform/w32/process_test_support.h"

namespace {

using namespace w32;

class ProcessTest : public yrltest::W32ProcessTest {
 protected:
  // Starts line; the process handle (the thread handle is closed at once), or null.
  static HANDLE start(const std::string& line, DWORD flags = 0, void* environment = nullptr,
                      const char* directory = nullptr, DWORD* pid = nullptr) {
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION information;
    std::memset(&information, 0, sizeof information);
    std::vector<char> text(line.begin(), line.end());
    text.push_back('\0');
    if (!CreateProcessA(nullptr, text.data(), nullptr, nullptr, FALSE, flags, environment,
                        directory, &startup, &information))
      return nullptr;
    EXPECT_NE(information.dwProcessId, 0u);
    EXPECT_EQ(information.dwThreadId, information.dwProcessId);
    EXPECT_TRUE(CloseHandle(information.hThread));
    if (pid != nullptr) *pid = information.dwProcessId;
    return information.hProcess;
  }

  // Waits for a started process and gives its exit code, closing its handle.
  static DWORD finish(HANDLE process) {
    EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0);
    DWORD code = 12345;
    EXPECT_TRUE(GetExitCodeProcess(process, &code));
    EXPECT_TRUE(CloseHandle(process));
    return code;
  }

  // A script that writes its arguments, one a line, and its command-line variable.
  std::string recorder(const std::string& relative) {
    std::string path = dir_.at(relative);
    make_script(path,
                "out=\"$(dirname \"$0\")/record\"\n"
                ": > \"$out\"\n"
                "for a in \"$@\"; do printf '[%s]\\n' \"$a\" >> \"$out\"; done\n"
                "printf 'line=%s\\n' \"$YRL_W32_COMMAND_LINE\" >> \"$out\"\n"
                "printf 'pwd=%s\\n' \"$(pwd)\" >> \"$out\"\n");
    return path;
  }

  yrltest::ScratchDir dir_;
};

TEST_F(ProcessTest, ChildRunsWaitsAndGivesItsExitCode) {
  HANDLE process = start("sh -c \"exit 7\"");
  ASSERT_NE(process, nullptr) << GetLastError();
  EXPECT_EQ(finish(process), 7u);

  // Running: STILL_ACTIVE, and a short wait times out; a signal gives 128 + its number.
  DWORD pid = 0;
  process = start("sh -c \"exec sleep 5\"", 0, nullptr, nullptr, &pid);
  ASSERT_NE(process, nullptr);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(process, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(GetProcessId(process), pid);
  EXPECT_EQ(WaitForSingleObject(process, 50), WAIT_TIMEOUT);
  kill(static_cast<pid_t>(pid), SIGKILL);
  EXPECT_EQ(finish(process), 128u + SIGKILL);
}

TEST_F(ProcessTest, TerminateProcessKillsAndRecordsTheCode) {
  HANDLE process = start("sh -c \"exec sleep 30\"");
  ASSERT_NE(process, nullptr);
  EXPECT_TRUE(TerminateProcess(process, 42));
  EXPECT_EQ(finish(process), 42u);  // the code asked for, not 128 + SIGKILL
  process = start("sh -c \"exit 5\"");
  ASSERT_NE(process, nullptr);
  ASSERT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0);
  EXPECT_TRUE(TerminateProcess(process, 42));  // ended already: its code stays
  EXPECT_EQ(finish(process), 5u);
  EXPECT_FALSE(TerminateProcess(nullptr, 1));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  process = start("sh -c \"exit 0\"");
  ASSERT_NE(process, nullptr);
  ASSERT_TRUE(fault_testing_fail_on_call("TerminateProcess", 1, ERROR_ACCESS_DENIED));
  EXPECT_FALSE(TerminateProcess(process, 1));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(finish(process), 0u);
}

TEST_F(ProcessTest, ChildGetsArgumentsLineDirectoryAndEnvironment) {
  recorder("tool");
  dir_.make_dir("work");
  // Named with ".exe" although the file has none; arguments by the Windows rules.
  std::string line = windows(dir_.at("tool")) + ".exe  plain \"with blank\" a\\\"b \"\"";
  std::string work = windows(dir_.at("work"));
  HANDLE process = start(line, 0, nullptr, work.c_str());
  ASSERT_NE(process, nullptr) << GetLastError();
  EXPECT_EQ(finish(process), 0u);
  EXPECT_EQ(read_all(dir_.at("record")),
            "[plain]\n[with blank]\n[a\"b]\n[]\nline=" + line + "\npwd=" + dir_.at("work") + "\n");

  // An environment block of its own, with the variables of the stand-in added.
  make_script(dir_.at("env"), "env | sort > \"$(dirname \"$0\")/record\"");
  char block[] = "A=1\0B=two words\0";
  process = start("\"" + windows(dir_.at("env")) + "\"", 0, block);
  ASSERT_NE(process, nullptr) << GetLastError();
  EXPECT_EQ(finish(process), 0u);
  std::string env = read_all(dir_.at("record"));
  EXPECT_NE(env.find("A=1\nB=two words\n"), std::string::npos) << env;
  EXPECT_NE(env.find("YRL_W32_COMMAND_LINE=\"" + windows(dir_.at("env")) + "\"\n"),
            std::string::npos)
      << env;
  EXPECT_NE(env.find("YRL_W32_READY_FD="), std::string::npos) << env;
  EXPECT_EQ(env.find("HOME="), std::string::npos) << env;
}

// Without quotes, the program of a line whose directory holds blanks is found by
// trying the text up to each blank in turn.
TEST_F(ProcessTest, UnquotedProgramWithBlanksIsFoundByItsPrefixes) {
  dir_.make_dir("dir with blanks");
  recorder("dir with blanks/setup.exe");
  std::string line = windows(dir_.at("dir with blanks/setup.exe")) + " -multicd";
  HANDLE process = start(line);
  ASSERT_NE(process, nullptr) << GetLastError();
  EXPECT_EQ(finish(process), 0u);
  // The child splits the line as Win32 does: the program's own rule cuts it at the
  // first blank, so its arguments begin with the rest of the path.
  std::string record = read_all(dir_.at("dir with blanks/record"));
  EXPECT_NE(record.find("[blanks\\setup.exe]\n[-multicd]\n"), std::string::npos) << record;
}

TEST_F(ProcessTest, FailuresStartNothingAndSayWhy) {
  dir_.make_dir("sub");
  dir_.make_file("data.txt");
  chmod(dir_.at("data.txt").c_str(), 0644);
  struct Case {
    std::string line;
    DWORD error;
  };
  const Case cases[] = {
      {windows(dir_.at("missing.exe")) + " a", ERROR_FILE_NOT_FOUND},
      {windows(dir_.at("no/dir/x.exe")), ERROR_PATH_NOT_FOUND},
      {"\"" + windows(dir_.at("sub")) + "\"", ERROR_ACCESS_DENIED},
      {windows(dir_.at("data.txt")), ERROR_ACCESS_DENIED},
      {"no-such-program-anywhere", ERROR_FILE_NOT_FOUND},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_EQ(start(c.line), nullptr) << c.line;
    EXPECT_EQ(GetLastError(), c.error) << c.line;
  }
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  PROCESS_INFORMATION information;
  char line[] = "sh -c true";
  SetLastError(0);
  EXPECT_FALSE(CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &information));  // cb not set
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  startup.cb = sizeof startup;
  EXPECT_FALSE(CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                              nullptr, &startup, &information));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
  EXPECT_FALSE(CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr,
                              windows(dir_.at("data.txt")).c_str(), &startup, &information));
  EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
}

TEST_F(ProcessTest, DetachedChildHasItsOwnSessionAndNoConsole) {
  make_script(dir_.at("session"),
              "cut -d' ' -f6 /proc/$$/stat > \"$(dirname \"$0\")/record\"\n"
              "echo to-the-console\n"
              "out=$(readlink /proc/$$/fd/1)\n"
              "echo \"$out\" >> \"$(dirname \"$0\")/record\"");
  HANDLE process = start(windows(dir_.at("session")), DETACHED_PROCESS);
  ASSERT_NE(process, nullptr) << GetLastError();
  EXPECT_EQ(finish(process), 0u);
  std::string record = read_all(dir_.at("record"));
  std::string session = record.substr(0, record.find('\n'));
  EXPECT_NE(session, std::to_string(getsid(0)));
  EXPECT_NE(record.find("/dev/null"), std::string::npos) << record;
}

TEST_F(ProcessTest, WaitForInputIdleSeesTheReadySignal) {
  // Tells, then stays: ready at once, and at once again later.
  DWORD pid = 0;
  HANDLE ready =
      start("sh -c \"printf r >&$YRL_W32_READY_FD; exec sleep 5\"", 0, nullptr, nullptr, &pid);
  ASSERT_NE(ready, nullptr);
  auto began = std::chrono::steady_clock::now();
  EXPECT_EQ(WaitForInputIdle(ready, 10000), 0u);
  EXPECT_EQ(WaitForInputIdle(ready, 0), 0u);
  EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(4));
  kill(static_cast<pid_t>(pid), SIGKILL);
  finish(ready);

  // Never tells: the wait times out.
  HANDLE silent = start("sh -c \"exec sleep 5\"", 0, nullptr, nullptr, &pid);
  ASSERT_NE(silent, nullptr);
  EXPECT_EQ(WaitForInputIdle(silent, 100), WAIT_TIMEOUT);
  kill(static_cast<pid_t>(pid), SIGKILL);
  finish(silent);

  // Ends without telling: the wait fails at once instead of running out its time.
  HANDLE gone = start("sh -c \"exit 3\"");
  ASSERT_NE(gone, nullptr);
  began = std::chrono::steady_clock::now();
  SetLastError(0);
  EXPECT_EQ(WaitForInputIdle(gone, 60000), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
  EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(30));
  EXPECT_EQ(finish(gone), 3u);

  // Not a child of ours, or no process handle at all.
  HANDLE self = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, GetCurrentProcessId());
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(WaitForInputIdle(self, 0), WAIT_FAILED);
  EXPECT_TRUE(CloseHandle(self));
  SetLastError(0);
  EXPECT_EQ(WaitForInputIdle(nullptr, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

// The child's side of the signal, over a pipe of this test's own.
TEST_F(ProcessTest, SignalInputIdleTellsOnceThroughTheVariable) {
  unsetenv(W32_READY_FD_VARIABLE);
  EXPECT_FALSE(w32_signal_input_idle());
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  setenv(W32_READY_FD_VARIABLE, std::to_string(ends[1]).c_str(), 1);
  EXPECT_TRUE(w32_signal_input_idle());
  EXPECT_EQ(getenv(W32_READY_FD_VARIABLE), nullptr);
  char got[4] = {};
  EXPECT_EQ(read(ends[0], got, sizeof got), 1);  // one byte, then end of file
  EXPECT_EQ(read(ends[0], got, sizeof got), 0);
  EXPECT_FALSE(w32_signal_input_idle());
  close(ends[0]);

  // A parent that has gone does not end this process with SIGPIPE.
  ASSERT_EQ(pipe(ends), 0);
  close(ends[0]);
  setenv(W32_READY_FD_VARIABLE, std::to_string(ends[1]).c_str(), 1);
  EXPECT_FALSE(w32_signal_input_idle());
  // Not a pipe: refused without writing.
  setenv(W32_READY_FD_VARIABLE, "0x1", 1);
  EXPECT_FALSE(w32_signal_input_idle());
}

TEST_F(ProcessTest, HandlesAreRefusedOnceClosedAndOtherProcessesCanBeOpened) {
  HANDLE process = start("sh -c \"exit 0\"");
  ASSERT_NE(process, nullptr);
  EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(process));
  SetLastError(0);
  EXPECT_FALSE(CloseHandle(process));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  DWORD code = 0;
  EXPECT_FALSE(GetExitCodeProcess(process, &code));
  EXPECT_EQ(WaitForSingleObject(process, 0), WAIT_FAILED);
  EXPECT_FALSE(CloseHandle(nullptr));
  EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));

  // Another process by its id: running, with a name, and signalled when it ends.
  DWORD pid = 0;
  HANDLE child = start("sleep 5", 0, nullptr, nullptr, &pid);
  ASSERT_NE(child, nullptr);
  HANDLE other = OpenProcess(SYNCHRONIZE, FALSE, pid);
  ASSERT_NE(other, nullptr);
  EXPECT_TRUE(GetExitCodeProcess(other, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  char name[64] = {};
  EXPECT_EQ(GetModuleBaseNameA(other, nullptr, name, sizeof name), 5u);
  EXPECT_STREQ(name, "sleep");
  EXPECT_EQ(WaitForSingleObject(other, 0), WAIT_TIMEOUT);
  kill(static_cast<pid_t>(pid), SIGKILL);
  EXPECT_EQ(WaitForSingleObject(other, 10000), WAIT_OBJECT_0);  // a zombie has ended
  EXPECT_FALSE(GetExitCodeProcess(other, &code));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
  EXPECT_TRUE(CloseHandle(other));
  EXPECT_EQ(finish(child), 128u + SIGKILL);

  SetLastError(0);
  EXPECT_EQ(OpenProcess(SYNCHRONIZE, FALSE, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(OpenProcess(SYNCHRONIZE, FALSE, 0x7FFFFFF0), nullptr);
}

TEST_F(ProcessTest, OwnProgramNameFollowsWin32BufferRules) {
  char posix[4096] = {};
  ASSERT_GT(readlink("/proc/self/exe", posix, sizeof posix - 1), 0);
  std::string expected = windows(posix);
  char name[4096];
  EXPECT_EQ(GetModuleFileNameA(nullptr, name, sizeof name), expected.size());
  EXPECT_EQ(name, expected);
  // Cut: the size given back, a terminator at its end, ERROR_INSUFFICIENT_BUFFER.
  char small[6];
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), sizeof small);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::string(small), expected.substr(0, 5));
}

TEST_F(ProcessTest, ExitProcessFlushesAndEndsWithTheCode) {
  EXPECT_EXIT(
      {
        std::fputs("buffered text", stderr);
        std::printf("buffered");
        ExitProcess(42);
      },
      ::testing::ExitedWithCode(42), "buffered text");
}

}  // namespace
