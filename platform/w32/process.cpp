#include "platform/w32/process.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/w32/ascii.h"
#include "platform/w32/cancel.h"
#include "platform/w32/codepage.h"
#include "platform/w32/commandline.h"
#include "platform/w32/console.h"
#include "platform/w32/fileio.h"
#include "platform/w32/interpreter.h"
#include "platform/w32/clock.h"
#include "platform/w32/error.h"
#include "platform/w32/fault.h"
#include "platform/w32/path.h"
#include "platform/w32/pipe.h"
#include "platform/w32/proclist.h"
#include "platform/w32/winpath.h"

extern char** environ;

namespace w32 {

namespace {

// A process behind a handle. The process handle and the thread handle of a child share
// one. State is guarded by g_lock.
struct Process {
  W32HandleObject head;
  pid_t pid;
  bool child;                // started here, so waitpid can reap it
  unsigned long long start;  // the start time of another process, to tell reuse
  bool ended;
  DWORD exit_code;
  int ready_fd;  // read end of the ready pipe, -1 when there is none
  bool ready;
};

pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;

// Children whose handles were all closed before they ended; reaped when they end, so
// that they do not stay zombies. malloc'd, guarded by g_lock.
pid_t* g_orphans = nullptr;
std::size_t g_orphan_count = 0;
std::size_t g_orphan_capacity = 0;

DWORD fail_wait(DWORD code) {
  SetLastError(code);
  return WAIT_FAILED;
}

DWORD fail_zero(DWORD code) {
  SetLastError(code);
  return 0;
}

BOOL fail(DWORD code) {
  SetLastError(code);
  return FALSE;
}

DWORD exit_code_of(int status) {
  if (WIFEXITED(status)) return static_cast<DWORD>(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return 128u + static_cast<DWORD>(WTERMSIG(status));
  return 0;
}

// Reaps the orphans that have ended. Called with g_lock held.
void reap_orphans() {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < g_orphan_count; ++i) {
    int status = 0;
    pid_t done = waitpid(g_orphans[i], &status, WNOHANG);
    if (done == 0) g_orphans[kept++] = g_orphans[i];
  }
  g_orphan_count = kept;
}

// Brings the process's state up to date. Called with g_lock held.
void update(Process* process) {
  if (process->ended) return;
  if (process->child) {
    int status = 0;
    pid_t done = waitpid(process->pid, &status, WNOHANG);
    if (done == process->pid) {
      process->ended = true;
      process->exit_code = exit_code_of(status);
    } else if (done < 0 && errno == ECHILD) {
      // Someone else reaped it: it has ended, with a code not known.
      process->ended = true;
      process->exit_code = 0xFFFFFFFF;
    }
    return;
  }
  W32ProcessInfo info;
  unsigned long long start = 0;
  if (!w32_process_info(static_cast<DWORD>(process->pid), &info, &start) || start != process->start)
    process->ended = true;
}

void destroy_process(W32HandleObject* object) {
  Process* process = reinterpret_cast<Process*>(object);
  W32NoCancel no_cancel;
  pthread_mutex_lock(&g_lock);
  update(process);
  if (process->child && !process->ended) {
    if (g_orphan_count == g_orphan_capacity) {
      std::size_t capacity = g_orphan_capacity == 0 ? 8 : 2 * g_orphan_capacity;
      void* grown = std::realloc(g_orphans, capacity * sizeof(pid_t));
      if (grown != nullptr) {
        g_orphans = static_cast<pid_t*>(grown);
        g_orphan_capacity = capacity;
      }
    }
    if (g_orphan_count < g_orphan_capacity) g_orphans[g_orphan_count++] = process->pid;
  }
  reap_orphans();
  pthread_mutex_unlock(&g_lock);
  if (process->ready_fd >= 0) ::close(process->ready_fd);
  std::free(process);
}

Process* new_process(pid_t pid, bool child) {
  Process* process = static_cast<Process*>(std::calloc(1, sizeof(Process)));
  if (process == nullptr) return nullptr;
  process->head.destroy = destroy_process;
  process->pid = pid;
  process->child = child;
  process->ready_fd = -1;
  return process;
}

Process* acquire_process(HANDLE handle, unsigned kinds) {
  return reinterpret_cast<Process*>(w32_handle_acquire(handle, kinds));
}

void release(Process* process) { w32_handle_release(&process->head); }

// Cleanup of a wait that holds a process: lets go of it when the thread ends there.
void let_go(void* process) { release(static_cast<Process*>(process)); }

// --- Finding the program ------------------------------------------------------------

bool ends_with_exe(const std::string& name) {
  return name.size() > 4 && equal_ascii_folded(name.c_str() + name.size() - 4, ".exe", 4);
}

bool has_extension(const std::string& name) {
  std::size_t last = name.find_last_of("\\/:");
  std::size_t dot = name.rfind('.');
  return dot != std::string::npos && (last == std::string::npos || dot > last);
}

// Whether the POSIX file is a program: ERROR_SUCCESS, ERROR_FILE_NOT_FOUND, or
// ERROR_ACCESS_DENIED for one that is no regular file or may not be run.
DWORD check_program(const char* posix) {
  struct stat st;
  if (stat(posix, &st) != 0)
    return errno == ENOENT ? ERROR_FILE_NOT_FOUND : w32_error_from_errno(errno);
  if (!S_ISREG(st.st_mode) || access(posix, X_OK) != 0) return ERROR_ACCESS_DENIED;
  return ERROR_SUCCESS;
}

// Looks for one spelling of a program name (system code page) and writes its POSIX path.
DWORD locate(const std::string& name, std::string* posix) {
  char resolved[W32_PATH_CAPACITY];
  bool bare =
      name.find_first_of("\\/") == std::string::npos && !(name.size() >= 2 && name[1] == ':');
  if (!w32_resolve_path_a(name.c_str(), resolved, sizeof resolved)) return GetLastError();
  DWORD code = check_program(resolved);
  if (code == ERROR_SUCCESS || !bare) {
    if (code == ERROR_SUCCESS) *posix = resolved;
    return code;
  }
  // A bare name: the directories of PATH after the current one.
  const char* path = std::getenv("PATH");
  if (path == nullptr) return code;
  char utf8[W32_PATH_CAPACITY];
  WCHAR wide[W32_PATH_CAPACITY];
  if (MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, wide, static_cast<int>(W32_PATH_CAPACITY)) ==
          0 ||
      WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, static_cast<int>(sizeof utf8), nullptr,
                          nullptr) == 0)
    return code;
  while (*path != '\0') {
    const char* end = std::strchr(path, ':');
    if (end == nullptr) end = path + std::strlen(path);
    std::string candidate(path, static_cast<std::size_t>(end - path));
    if (!candidate.empty() && candidate[0] == '/') {
      candidate.append("/").append(utf8);
      DWORD found = check_program(candidate.c_str());
      if (found == ERROR_SUCCESS) {
        *posix = candidate;
        return found;
      }
    }
    path = *end != '\0' ? end + 1 : end;
  }
  return code;
}

// Looks for a program name in its spellings: with ".exe" added when it has no
// extension, and without a ".exe" that it has. The first error found is kept, an access
// error before a missing file.
DWORD find_program(const std::string& name, std::string* posix) {
  std::vector<std::string> spellings;
  if (ends_with_exe(name)) {
    spellings.push_back(name);
    spellings.push_back(name.substr(0, name.size() - 4));
  } else if (!has_extension(name)) {
    spellings.push_back(name + ".exe");
    spellings.push_back(name);
  } else {
    spellings.push_back(name);
  }
  DWORD first = ERROR_SUCCESS;
  for (const std::string& spelling : spellings) {
    DWORD code = locate(spelling, posix);
    if (code == ERROR_SUCCESS) return code;
    if (first == ERROR_SUCCESS || (code == ERROR_ACCESS_DENIED && first != ERROR_ACCESS_DENIED))
      first = code;
  }
  return first;
}

// The program of a command line without an application name (see process.h).
DWORD program_of_line(const std::string& line, std::string* posix) {
  if (!line.empty() && line[0] == '"') {
    std::size_t close = line.find('"', 1);
    std::string name = line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    return name.empty() ? ERROR_FILE_NOT_FOUND : find_program(name, posix);
  }
  DWORD first = ERROR_SUCCESS;
  std::size_t at = 0;
  std::string last_tried;
  for (;;) {
    while (at < line.size() && !is_blank(line[at])) ++at;
    std::string name = line.substr(0, at);
    while (!name.empty() && is_blank(name.back())) name.pop_back();
    if (!name.empty() && name != last_tried) {
      last_tried = name;
      DWORD code = find_program(name, posix);
      if (code == ERROR_SUCCESS) return code;
      if (first == ERROR_SUCCESS) first = code;
    }
    if (at >= line.size()) break;
    ++at;
  }
  return first == ERROR_SUCCESS ? ERROR_FILE_NOT_FOUND : first;
}

// --- Text conversions --------------------------------------------------------------

std::u16string acp_to_wide(const char* text) {
  int units = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (units <= 0) return std::u16string();
  std::u16string wide(static_cast<std::size_t>(units), u'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), units);
  wide.pop_back();
  return wide;
}

std::string wide_to(UINT code_page, const WCHAR* text) {
  int bytes = WideCharToMultiByte(code_page, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::string narrow(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(code_page, 0, text, -1, narrow.data(), bytes, nullptr, nullptr);
  narrow.pop_back();
  return narrow;
}

// The child's environment: the block given (or the process's own) without our two
// variables, then those two.
std::vector<std::string> child_environment(const void* block, bool unicode,
                                           const std::string& line_utf8, int ready_fd) {
  std::vector<std::string> entries;
  if (block == nullptr) {
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry)
      entries.push_back(*entry);
  } else if (unicode) {
    for (const WCHAR* at = static_cast<const WCHAR*>(block); *at != 0;) {
      std::size_t length = 0;
      while (at[length] != 0) ++length;
      entries.push_back(wide_to(CP_ACP, at));
      at += length + 1;
    }
  } else {
    for (const char* at = static_cast<const char*>(block); *at != '\0'; at += std::strlen(at) + 1)
      entries.push_back(at);
  }
  std::vector<std::string> kept;
  for (std::string& entry : entries) {
    bool ours = entry.rfind(std::string(W32_COMMAND_LINE_VARIABLE) + "=", 0) == 0 ||
                entry.rfind(std::string(W32_READY_FD_VARIABLE) + "=", 0) == 0;
    if (!ours) kept.push_back(std::move(entry));
  }
  kept.push_back(std::string(W32_COMMAND_LINE_VARIABLE) + "=" + line_utf8);
  kept.push_back(std::string(W32_READY_FD_VARIABLE) + "=" + std::to_string(ready_fd));
  return kept;
}

// What a child's standard stream becomes: a descriptor, the process's own stream
// (KEEP_STREAM; /dev/null for a detached child) or /dev/null (NULL_STREAM).
constexpr int KEEP_STREAM = -1;
constexpr int NULL_STREAM = -2;

// The standard handles of a start-up record, held until the start is done.
struct StdStreams {
  int fds[3] = {KEEP_STREAM, KEEP_STREAM, KEEP_STREAM};
  W32HandleObject* held[3] = {nullptr, nullptr, nullptr};

  // Takes the three handles: a null handle gives the child no stream. FALSE with
  // ERROR_INVALID_HANDLE when one is neither a standard handle nor an open file or pipe
  // that may be read (input) or written (outputs).
  bool take(HANDLE input, HANDLE output, HANDLE error) {
    HANDLE handles[3] = {input, output, error};
    for (int i = 0; i < 3; ++i) {
      if (handles[i] == nullptr) {
        fds[i] = NULL_STREAM;
        continue;
      }
      int own = w32_std_handle_descriptor(handles[i]);
      if (own >= 0) {
        fds[i] = own;
        continue;
      }
      fds[i] = w32_file_acquire_descriptor(handles[i], i == 0 ? GENERIC_READ : GENERIC_WRITE,
                                           FALSE, &held[i]);
      if (fds[i] < 0) return false;
    }
    return true;
  }

  ~StdStreams() {
    for (W32HandleObject* object : held)
      if (object != nullptr) w32_handle_release(object);
  }
};

// posix_spawn with the file actions and attributes the flags ask for.
int spawn(pid_t* pid, const std::string& program, const std::string& directory, DWORD flags,
          int ready_fd, const int std_fds[3], char* const* argv, char* const* envp) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  if (posix_spawn_file_actions_init(&actions) != 0) return ENOMEM;
  if (posix_spawnattr_init(&attributes) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return ENOMEM;
  }
  int error = 0;
  // Dup'ed onto itself, the ready descriptor loses its close-on-exec flag in the child
  // alone.
  error = error != 0 ? error : posix_spawn_file_actions_adddup2(&actions, ready_fd, ready_fd);
  for (int fd = 0; fd < 3; ++fd) {
    if (std_fds[fd] >= 0) {
      error = error != 0 ? error : posix_spawn_file_actions_adddup2(&actions, std_fds[fd], fd);
    } else if ((flags & DETACHED_PROCESS) != 0 || std_fds[fd] == NULL_STREAM) {
      error = error != 0 ? error
                         : posix_spawn_file_actions_addopen(&actions, fd, "/dev/null",
                                                            fd == 0 ? O_RDONLY : O_WRONLY, 0);
    }
  }
  error = error != 0 ? error : posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
  short spawn_flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
  if ((flags & DETACHED_PROCESS) != 0) {
    spawn_flags |= POSIX_SPAWN_SETSID;
  } else if ((flags & CREATE_NEW_PROCESS_GROUP) != 0) {
    spawn_flags |= POSIX_SPAWN_SETPGROUP;
    error = error != 0 ? error : posix_spawnattr_setpgroup(&attributes, 0);
  }
  // The child starts with no signal blocked and the usual ones at their defaults,
  // whatever this process has set.
  sigset_t none;
  sigset_t defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int signal : {SIGPIPE, SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGCHLD, SIGUSR1, SIGUSR2})
    sigaddset(&defaults, signal);
  error = error != 0 ? error : posix_spawnattr_setsigmask(&attributes, &none);
  error = error != 0 ? error : posix_spawnattr_setsigdefault(&attributes, &defaults);
  error = error != 0 ? error : posix_spawnattr_setflags(&attributes, spawn_flags);
  if (error == 0) error = posix_spawn(pid, program.c_str(), &actions, &attributes, argv, envp);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return error;
}

DWORD spawn_error(int error) {
  switch (error) {
    case ENOEXEC:
      return ERROR_BAD_EXE_FORMAT;
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    default:
      return w32_error_from_errno(error);
  }
}

// Makes the process and thread handles of a started child.
BOOL hand_out(pid_t pid, int ready_fd, PROCESS_INFORMATION* information) {
  Process* process = new_process(pid, true);
  if (process == nullptr) {
    ::close(ready_fd);
    return fail(ERROR_NOT_ENOUGH_MEMORY);
  }
  process->ready_fd = ready_fd;
  HANDLE process_handle = w32_handle_open(&process->head, W32_HANDLE_PROCESS);
  HANDLE thread_handle =
      process_handle != nullptr ? w32_handle_open(&process->head, W32_HANDLE_THREAD) : nullptr;
  if (thread_handle == nullptr) {
    // The child runs on; only its handles could not be made.
    if (process_handle != nullptr)
      w32_handle_close(process_handle, W32_HANDLE_PROCESS);
    else
      destroy_process(&process->head);
    return fail(ERROR_NOT_ENOUGH_MEMORY);
  }
  information->hProcess = process_handle;
  information->hThread = thread_handle;
  information->dwProcessId = static_cast<DWORD>(pid);
  information->dwThreadId = static_cast<DWORD>(pid);
  return TRUE;
}

}  // namespace

BOOL CreateProcessA(const char* application_name, char* command_line,
                    SECURITY_ATTRIBUTES* /*process_attributes*/,
                    SECURITY_ATTRIBUTES* /*thread_attributes*/, BOOL /*inherit_handles*/,
                    DWORD creation_flags, void* environment, const char* current_directory,
                    STARTUPINFOA* startup_info, PROCESS_INFORMATION* process_information) {
  // A start is no wait: it runs whole, its strings freed and its descriptors closed.
  W32NoCancel no_cancel;
  if ((application_name == nullptr && command_line == nullptr) || startup_info == nullptr ||
      startup_info->cb < sizeof(STARTUPINFOA) || process_information == nullptr)
    return fail(ERROR_INVALID_PARAMETER);
  if ((creation_flags & CREATE_SUSPENDED) != 0) return fail(ERROR_NOT_SUPPORTED);

  // The line the child is given, and the program it names.
  std::string line;
  if (command_line != nullptr) {
    line = command_line;
  } else {
    WCHAR quoted[W32_PATH_CAPACITY];
    int length = 0;
    std::u16string name = acp_to_wide(application_name);
    if (!w32_append_quoted_argument(quoted, &length, static_cast<int>(W32_PATH_CAPACITY),
                                    name.c_str(), TRUE))
      return fail(ERROR_FILENAME_EXCED_RANGE);
    line = wide_to(CP_ACP, quoted);
  }
  bool interpreter = w32_is_interpreter(application_name, line);
  std::string program = "/bin/sh";
  DWORD code = interpreter                  ? ERROR_SUCCESS
               : application_name != nullptr ? find_program(application_name, &program)
                                             : program_of_line(line, &program);
  if (code != ERROR_SUCCESS) return fail(code);

  char directory[W32_PATH_CAPACITY];
  if (!w32_resolve_path_a(current_directory != nullptr ? current_directory : ".", directory,
                          sizeof directory))
    return FALSE;
  struct stat st;
  if (stat(directory, &st) != 0 || !S_ISDIR(st.st_mode))
    return fail(current_directory != nullptr ? ERROR_DIRECTORY : ERROR_PATH_NOT_FOUND);

  // The POSIX arguments: the program, then what the line splits into after its first.
  std::u16string wide_line = acp_to_wide(line.c_str());
  int count = 0;
  WCHAR** split = CommandLineToArgvW(wide_line.empty() ? u"\"\"" : wide_line.c_str(), &count);
  if (split == nullptr) return FALSE;
  std::vector<std::string> arguments;
  arguments.push_back(program);
  for (int i = 1; i < count; ++i) arguments.push_back(wide_to(CP_UTF8, split[i]));
  LocalFree(split);

  StdStreams streams;
  if ((startup_info->dwFlags & STARTF_USESTDHANDLES) != 0 &&
      !streams.take(startup_info->hStdInput, startup_info->hStdOutput, startup_info->hStdError))
    return FALSE;

  int ready[2];
  if (pipe2(ready, O_CLOEXEC) != 0) return fail(w32_error_from_errno(errno));
  std::vector<std::string> entries =
      child_environment(environment, (creation_flags & CREATE_UNICODE_ENVIRONMENT) != 0,
                        wide_to(CP_UTF8, wide_line.c_str()), ready[1]);
  if (interpreter) {
    std::string script;
    code = w32_interpreter_script(line, entries, &script);
    if (code != ERROR_SUCCESS) {
      ::close(ready[0]);
      ::close(ready[1]);
      return fail(code);
    }
    arguments = {program, "-c", script};
  }
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (std::string& entry : entries) envp.push_back(entry.data());
  envp.push_back(nullptr);

  pthread_mutex_lock(&g_lock);
  reap_orphans();
  pthread_mutex_unlock(&g_lock);
  pid_t pid = 0;
  int error = spawn(&pid, program, directory, creation_flags, ready[1], streams.fds, argv.data(),
                    envp.data());
  ::close(ready[1]);
  if (error != 0) {
    ::close(ready[0]);
    return fail(spawn_error(error));
  }
  return hand_out(pid, ready[0], process_information);
}

bool w32_process_ended(W32HandleObject* object) {
  Process* process = reinterpret_cast<Process*>(object);
  W32NoCancel no_cancel;  // waitpid under g_lock
  pthread_mutex_lock(&g_lock);
  update(process);
  bool ended = process->ended;
  pthread_mutex_unlock(&g_lock);
  return ended;
}

BOOL TerminateProcess(HANDLE handle, UINT exit_code) {
  if (w32_fault_hit("TerminateProcess")) return FALSE;
  Process* process = acquire_process(handle, W32_HANDLE_PROCESS);
  if (process == nullptr) return FALSE;
  W32NoCancel no_cancel;  // the child is reaped under g_lock
  pthread_mutex_lock(&g_lock);
  update(process);
  int error = 0;
  if (!process->ended) {
    if (kill(process->pid, SIGKILL) != 0) {
      error = errno;
    } else if (process->child) {
      // Reaped here at once, so that the code is the one asked for, not the signal's.
      int status = 0;
      while (waitpid(process->pid, &status, 0) < 0 && errno == EINTR) {
      }
      process->ended = true;
      process->exit_code = exit_code;
    }
  }
  pthread_mutex_unlock(&g_lock);
  release(process);
  return error == 0 ? TRUE : fail(w32_error_from_errno(error));
}

namespace {

// Waits on the ready descriptor of a child; the poll and the read are cancellation points.
DWORD wait_ready(Process* process, int fd, DWORD milliseconds) {
  long long deadline = milliseconds == INFINITE ? 0 : w32_clock_real_monotonic_ms() + milliseconds;
  for (;;) {
    int timeout = -1;
    if (milliseconds != INFINITE) {
      long long left = deadline - w32_clock_real_monotonic_ms();
      timeout = left <= 0 ? 0 : left > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(left);
    }
    pollfd wait = {fd, POLLIN, 0};
    int polled = poll(&wait, 1, timeout);
    if (polled < 0 && errno == EINTR) continue;
    if (polled < 0) return fail_wait(w32_error_from_errno(errno));
    if (polled == 0) return WAIT_TIMEOUT;
    char signal = 0;
    ssize_t got = ::read(fd, &signal, 1);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got != 1) {
      // The child let go of its end without telling: it will never be ready.
      return fail_wait(ERROR_NOT_SUPPORTED);
    }
    W32NoCancel no_cancel;
    pthread_mutex_lock(&g_lock);
    process->ready = true;
    pthread_mutex_unlock(&g_lock);
    return 0;
  }
}

}  // namespace

DWORD WaitForInputIdle(HANDLE handle, DWORD milliseconds) {
  pthread_testcancel();  // also when the child is ready already
  Process* process = acquire_process(handle, W32_HANDLE_PROCESS);
  if (process == nullptr) return WAIT_FAILED;
  DWORD result = WAIT_TIMEOUT;
  pthread_mutex_lock(&g_lock);
  bool ready = process->ready;
  int fd = process->ready_fd;
  pthread_mutex_unlock(&g_lock);
  if (ready) {
    result = 0;
  } else if (!process->child || fd < 0) {
    result = fail_wait(ERROR_NOT_SUPPORTED);
  } else {
    pthread_cleanup_push(let_go, process);
    result = wait_ready(process, fd, milliseconds);
    pthread_cleanup_pop(0);
  }
  release(process);
  return result;
}

BOOL w32_signal_input_idle() {
  const char* text = std::getenv(W32_READY_FD_VARIABLE);
  if (text == nullptr) return FALSE;
  char* end = nullptr;
  long fd = std::strtol(text, &end, 10);
  bool valid = end != text && *end == '\0' && fd >= 0 && fd <= 0x7FFFFFFF;
  unsetenv(W32_READY_FD_VARIABLE);
  struct stat st;
  if (!valid || fstat(static_cast<int>(fd), &st) != 0 || !S_ISFIFO(st.st_mode)) return FALSE;
  // A parent that is gone must not end this process with SIGPIPE.
  int error = 0;
  std::size_t put = w32_pipe_write(static_cast<int>(fd), "r", 1, &error);
  ::close(static_cast<int>(fd));
  return put == 1 && error == 0 ? TRUE : FALSE;
}

BOOL GetExitCodeProcess(HANDLE handle, DWORD* exit_code) {
  if (exit_code == nullptr) return fail(ERROR_INVALID_PARAMETER);
  Process* process = acquire_process(handle, W32_HANDLE_PROCESS);
  if (process == nullptr) return FALSE;
  W32NoCancel no_cancel;  // waitpid under g_lock
  pthread_mutex_lock(&g_lock);
  update(process);
  bool known = !process->ended || process->child;
  if (known) *exit_code = process->ended ? process->exit_code : STILL_ACTIVE;
  pthread_mutex_unlock(&g_lock);
  release(process);
  return known ? TRUE : fail(ERROR_NOT_SUPPORTED);
}

HANDLE OpenProcess(DWORD /*access*/, BOOL /*inherit_handle*/, DWORD process_id) {
  W32ProcessInfo info;
  unsigned long long start = 0;
  if (process_id == 0 || process_id > 0x7FFFFFFF || !w32_process_info(process_id, &info, &start)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  Process* process = new_process(static_cast<pid_t>(process_id), false);
  if (process == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  process->start = start;
  HANDLE handle = w32_handle_open(&process->head, W32_HANDLE_PROCESS);
  if (handle == nullptr) std::free(process);
  return handle;
}

DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }

DWORD GetProcessId(HANDLE handle) {
  Process* process = acquire_process(handle, W32_HANDLE_PROCESS);
  if (process == nullptr) return 0;
  DWORD pid = static_cast<DWORD>(process->pid);
  release(process);
  return pid;
}

DWORD GetModuleFileNameA(HMODULE module, char* filename, DWORD size) {
  if (module != nullptr) return fail_zero(ERROR_MOD_NOT_FOUND);
  if (filename == nullptr && size != 0) return fail_zero(ERROR_INVALID_PARAMETER);
  char posix[W32_PATH_CAPACITY];
  ssize_t length = readlink("/proc/self/exe", posix, sizeof posix - 1);
  if (length <= 0) return fail_zero(w32_error_from_errno(errno));
  posix[length] = '\0';
  char name[W32_PATH_CAPACITY];
  if (!w32_windows_path_from_posix(posix, name, sizeof name)) return 0;
  std::size_t needed = std::strlen(name);
  if (needed < size) {
    std::memcpy(filename, name, needed + 1);
    return static_cast<DWORD>(needed);
  }
  if (size > 0) {
    std::memcpy(filename, name, size - 1);
    filename[size - 1] = '\0';
  }
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return size;
}

void ExitProcess(UINT exit_code) {
  std::fflush(nullptr);
  _exit(static_cast<int>(exit_code));
}

}  // namespace w32
