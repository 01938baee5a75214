#include "platform/w32/crtprocess.h"

#include <pthread.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/w32/codepage.h"
#include "platform/w32/commandline.h"
#include "platform/w32/crt.h"
#include "platform/w32/environment.h"
#include "platform/w32/error.h"
#include "platform/w32/fault.h"
#include "platform/w32/handle.h"
#include "platform/w32/process.h"

namespace w32 {

namespace {

// The longest command line Win32 takes, terminator included.
constexpr int LINE_CAPACITY = 32768;

int fail_errno(int error) {
  errno = error;
  return -1;
}

// Starts line (and application, when given) as CreateProcessA does; TRUE with the
// process handle in *process.
BOOL start(const char* application, std::string line, HANDLE* process) {
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION information;
  std::memset(&information, 0, sizeof information);
  if (!CreateProcessA(application, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &information))
    return FALSE;
  CloseHandle(information.hThread);
  *process = information.hProcess;
  return TRUE;
}

void close_process(void* process) { CloseHandle(static_cast<HANDLE>(process)); }

// Waits for the process and closes it: its exit code, or -1 with errno. The wait is a
// cancellation point (cancel.h): a thread ended there closes the process all the same.
int wait_for(HANDLE process) {
  DWORD code = 0;
  bool ended = false;
  pthread_cleanup_push(close_process, process);
  ended = WaitForSingleObject(process, INFINITE) == WAIT_OBJECT_0;
  pthread_cleanup_pop(0);
  ended = ended && GetExitCodeProcess(process, &code);
  DWORD error = GetLastError();
  CloseHandle(process);
  return ended ? static_cast<int>(code) : fail_errno(w32_errno_from_error(error));
}

// The command line of argv, each argument quoted as the Win32 rules ask; false when it
// does not fit a command line.
bool line_of(const char* const* argv, std::string* out) {
  std::vector<WCHAR> line(LINE_CAPACITY);
  int length = 0;
  std::vector<WCHAR> wide(LINE_CAPACITY);
  for (int i = 0; argv[i] != nullptr; ++i) {
    if (MultiByteToWideChar(CP_ACP, 0, argv[i], -1, wide.data(), LINE_CAPACITY) == 0)
      return false;
    if (i > 0) {
      if (length + 2 > LINE_CAPACITY) return false;
      line[static_cast<std::size_t>(length++)] = u' ';
      line[static_cast<std::size_t>(length)] = 0;
    }
    if (!w32_append_quoted_argument(line.data(), &length, LINE_CAPACITY, wide.data(), i == 0))
      return false;
  }
  std::vector<char> narrow(static_cast<std::size_t>(LINE_CAPACITY) * 2);
  if (WideCharToMultiByte(CP_ACP, 0, line.data(), -1, narrow.data(),
                          static_cast<int>(narrow.size()), nullptr, nullptr) == 0)
    return false;
  *out = narrow.data();
  return true;
}

}  // namespace

int system(const char* command) {
  if (w32_fault_hit("system")) return fail_errno(w32_errno_from_error(GetLastError()));
  char interpreter[MAX_PATH];
  DWORD length = GetEnvironmentVariableA("COMSPEC", interpreter, sizeof interpreter);
  bool found = length > 0 && length < sizeof interpreter;
  if (command == nullptr) return found ? 1 : 0;
  if (!found) return fail_errno(ENOENT);
  // Nothing to free is left while the wait runs.
  HANDLE process = nullptr;
  if (!start(nullptr, std::string(interpreter) + " /c " + command, &process))
    return fail_errno(w32_errno_from_error(GetLastError()));
  return wait_for(process);
}

std::intptr_t _spawnvp(int mode, const char* name, const char* const* argv) {
  if (w32_fault_hit("_spawnvp", name)) return fail_errno(w32_errno_from_error(GetLastError()));
  if ((mode != _P_WAIT && mode != _P_NOWAIT) || name == nullptr || argv == nullptr ||
      argv[0] == nullptr)
    return fail_errno(EINVAL);
  // The program is found by name; the line's first word is only what the child is told.
  // Nothing to free is left while the wait runs.
  HANDLE process = nullptr;
  {
    std::string line;
    if (!line_of(argv, &line)) return fail_errno(E2BIG);
    if (!start(name, line, &process)) return fail_errno(w32_errno_from_error(GetLastError()));
  }
  if (mode == _P_NOWAIT) return reinterpret_cast<std::intptr_t>(process);
  return wait_for(process);
}

}  // namespace w32
