#include "runtime/system/process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstring>

#include "runtime/diag/diag.h"
#include "runtime/diag/msgtool.h"
#include "runtime/text/vsprintf.h"

extern char** environ;

namespace vek {

namespace {

constexpr std::size_t EXEC_COMMAND_SIZE = 512;

// Runs argv[0] with argv and waits for it: its exit status, -1 when it could not be
// started or did not exit normally.
int spawn_and_wait(char* const argv[]) {
  pid_t pid;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv, environ) != 0) return -1;
  int status;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Mode 2 leaves the command running in the background: nonzero when it was started.
// Other modes wait for it and give its exit status, -1 when it did not run.
int exec_command_line(const char* command, int mode) {
  dcl_com_start_func();
  int result;
  char shell[] = "/bin/sh";
  char dash_c[] = "-c";
  char* line = const_cast<char*>(command);
  if (mode == 2) {
    // A shell starts the command as its own background job and ends at once, so the
    // command is never left behind as an unwaited child of this process.
    char background[] = "/bin/sh -c \"$0\" &";
    char* argv[] = {shell, dash_c, background, line, nullptr};
    result = spawn_and_wait(argv) == 0 ? 1 : 0;
  } else {
    char* argv[] = {shell, dash_c, line, nullptr};
    result = spawn_and_wait(argv);
  }
  dcl_com_end_func();
  return result;
}

}  // namespace

int vyn_exec_command(int mode, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  const char* text = vyn_vsprintf(nullptr, format, args);
  va_end(args);
  if (!text) {
    dbg_crash_msg("vyn_exec_command", "bad format %s", format ? format : "");
    return -1;
  }
  char command[EXEC_COMMAND_SIZE];
  std::size_t length = std::strlen(text);
  if (length >= sizeof command) {
    dbg_crash_msg("vyn_exec_command", "resulting command string too long");
    return -1;
  }
  std::memcpy(command, text, length + 1);
  return exec_command_line(command, mode);
}

}  // namespace vek
