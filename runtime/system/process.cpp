#include "runtime/system/process.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fileaccess/core/pfa.h"
#include "fileaccess/names/pfahandleops.h"
#include "fileaccess/core/pfacomp.h"
#include "fileaccess/core/pfafile.h"
#include "fileaccess/core/pfaname.h"
#include "platform/w32/codepage.h"
#include "platform/w32/commandline.h"
#include "platform/w32/crt.h"
#include "platform/w32/crtprocess.h"
#include "platform/w32/environment.h"
#include "platform/w32/error.h"
#include "platform/w32/handle.h"
#include "platform/w32/path.h"
#include "platform/w32/process.h"
#include "platform/w32/wait.h"
#include "runtime/diag/console.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/msgtool.h"
#include "runtime/memory/getmem.h"
#include "runtime/system/signals.h"
#include "runtime/system/sysinfo.h"
#include "runtime/text/vsprintf.h"

namespace vek {

namespace {

// Variables of this length or longer are not looked up by the interpreter roads.
constexpr w32::DWORD ENV_VALUE_SIZE = 32768;
// How many batch-file names call_script tries before it gives up.
constexpr int BATCH_NAME_TRIES = 1000;
// The extension component of a handle (fileaccess/core/pfacomp.h).
constexpr int PFA_EXTENSION_COMPONENT = 4;

char* copy_string(const char* text) {
  std::size_t length = std::strlen(text);
  char* copy = static_cast<char*>(std::malloc(length + 1));
  if (copy) std::memcpy(copy, text, length + 1);
  return copy;
}

// The value of an environment variable (as Win32 reads it) in a new malloc'd string;
// null when it is not set, empty or too long. Kept off the stack, which a thread may have
// little of.
char* variable_copy(const char* name) {
  w32::DWORD needed = w32::GetEnvironmentVariableA(name, nullptr, 0);
  if (needed < 2 || needed > ENV_VALUE_SIZE) return nullptr;
  char* value = static_cast<char*>(std::malloc(needed));
  w32::DWORD length = value ? w32::GetEnvironmentVariableA(name, value, needed) : 0;
  if (length > 0 && length < needed) return value;
  std::free(value);
  return nullptr;
}

// Formats into a buffer of size bytes for the entry point routine: false after the
// report "bad format %s" or "resulting command string too long" (the length is measured
// before anything is copied). reserved bytes at the buffer's end stay free: the system
// calls keep one, so that their commands have at most size - 2 characters.
bool format_command(const char* routine, char* buffer, int size, int reserved,
                    const char* format, std::va_list args) {
  const char* text = vyn_vsprintf(nullptr, format, args);
  if (!text) {
    dbg_crash_msg(routine, "bad format %s", format ? format : "");
    return false;
  }
  std::size_t length = std::strlen(text);
  if (length + 1 + static_cast<std::size_t>(reserved) > static_cast<std::size_t>(size)) {
    dbg_crash_msg(routine, "resulting command string too long");
    return false;
  }
  std::memcpy(buffer, text, length + 1);
  return true;
}

// The interpreter's line for command: "%s /c %s", with "/e:8196" on the Windows 95
// family. Null (nothing made) when COMSPEC is not set; malloc'd otherwise.
char* interpreter_line(const char* command, const char* switches) {
  char* interpreter = variable_copy("COMSPEC");
  if (!interpreter) return nullptr;
  std::size_t size = std::strlen(interpreter) + std::strlen(switches) + std::strlen(command) + 6;
  char* line = static_cast<char*>(std::malloc(size));
  if (line) std::snprintf(line, size, "%s %s/c %s", interpreter, switches, command);
  std::free(interpreter);
  return line;
}

const char* platform_switches() { return vyn_is_win95_running() ? "/e:8196 " : ""; }

// The "TMP" directory (malloc'd) when it is one this process may write, else null.
char* writable_tmp() {
  char* directory = variable_copy("TMP");
  if (!directory) return nullptr;
  VynFile* handle = pfa_alloc_dir(directory);
  bool writable = handle && pfa_access(handle, 2);
  pfa_free_vyn_file(&handle);
  if (writable) return directory;
  std::free(directory);
  return nullptr;
}

// One start of a process, as the start entry points ask for it.
struct Start {
  const char* command;  // prepared
  bool interpreter;
  bool use_tmp;
  bool hide;            // hidden window without the interpreter
  bool wait;
  bool keep_console;
  w32::DWORD flags;     // creation flags
};

// What a start made: the creation result, the handles (when kept) and the exit code.
struct Started {
  int created;
  w32::HANDLE process;
  int exit_code;
};

// Hides the first window of the calling thread.
void hide_console_window() { w32::EnumWindows(console_hide, 0); }

// Starts as asked. With keep_handle the process handle is handed out; otherwise the
// handles are closed. Without the interpreter's COMSPEC, or with an invalid standard
// handle, nothing starts.
Started start_process(const Start& start, bool keep_handle) {
  Started result = {0, nullptr, 0};
  char* line = start.interpreter ? interpreter_line(start.command, platform_switches())
                                 : copy_string(start.command);
  if (!line) return result;
  w32::STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  bool console = false;
  if (start.interpreter) {
    console = w32::AllocConsole() != w32::FALSE;
    startup.dwFlags = w32::STARTF_USESTDHANDLES;
    startup.hStdInput = w32::GetStdHandle(w32::STD_INPUT_HANDLE);
    startup.hStdOutput = w32::GetStdHandle(w32::STD_OUTPUT_HANDLE);
    startup.hStdError = w32::GetStdHandle(w32::STD_ERROR_HANDLE);
    if (startup.hStdInput == w32::INVALID_HANDLE_VALUE ||
        startup.hStdOutput == w32::INVALID_HANDLE_VALUE ||
        startup.hStdError == w32::INVALID_HANDLE_VALUE) {
      if (console) w32::FreeConsole();
      std::free(line);
      return result;
    }
  } else if (start.hide) {
    startup.dwFlags = w32::STARTF_USESHOWWINDOW;
    startup.wShowWindow = 0;
  }
  char* directory = start.use_tmp ? writable_tmp() : nullptr;
  w32::PROCESS_INFORMATION information;
  std::memset(&information, 0, sizeof information);
  result.created = w32::CreateProcessA(nullptr, line, nullptr, nullptr, w32::FALSE, start.flags,
                                       nullptr, directory, &startup, &information);
  std::free(directory);
  std::free(line);
  if (result.created) {
    if (start.interpreter && console && !start.keep_console) hide_console_window();
    if (start.wait) {
      w32::DWORD code = 0;
      w32::WaitForSingleObject(information.hProcess, w32::INFINITE);
      w32::GetExitCodeProcess(information.hProcess, &code);
      result.exit_code = static_cast<int>(code);
    }
    w32::CloseHandle(information.hThread);
    if (keep_handle)
      result.process = information.hProcess;
    else
      w32::CloseHandle(information.hProcess);
  }
  if (start.interpreter && console) {
    // The console's handles go with it.
    if (start.wait) {
      w32::SetStdHandle(w32::STD_INPUT_HANDLE, nullptr);
      w32::SetStdHandle(w32::STD_OUTPUT_HANDLE, nullptr);
      w32::SetStdHandle(w32::STD_ERROR_HANDLE, nullptr);
    }
    w32::FreeConsole();
  }
  return result;
}

// A background start of a command prepared already.
Started background_prepared(const char* prepared, int use_interpreter, int use_tmp,
                            bool keep_handle) {
  Start start = {prepared, use_interpreter != 0, use_tmp != 0, false, false, true,
                 w32::DETACHED_PROCESS};
  return start_process(start, keep_handle);
}

Started background(const char* command, int use_interpreter, int use_tmp, bool keep_handle) {
  char* prepared = nullptr;
  vyn_check_space_in_command(command, &prepared);
  Started result = {0, nullptr, 0};
  if (prepared) result = background_prepared(prepared, use_interpreter, use_tmp, keep_handle);
  std::free(prepared);
  return result;
}

int waiting_start(const char* command, int wait, int use_interpreter, int keep_console,
                  int use_tmp, int* status, int hide, w32::DWORD flags) {
  dcl_com_start_func();
  Start start = {command,    use_interpreter != 0, use_tmp != 0, hide != 0, wait != 0,
                 keep_console != 0, flags};
  Started started = start_process(start, false);
  if (status) *status = started.created ? (wait ? started.exit_code : started.created) : 0;
  dcl_com_end_func();
  return started.created;
}

// Writes command into a new temporary batch file and gives its full name in name (260
// bytes): true when written.
bool write_temp_batch(const char* command, char* name) {
  VynFile* handle = nullptr;
  if (pfa_alloc_vyn_file(&handle) != PFA_E_NO_ERROR) return false;
  bool written = pfa_make_temp_file(handle, PFA_TYPE_UNKNOWN) == PFA_E_NO_ERROR &&
                 pfa_put_component(handle, PFA_EXTENSION_COMPONENT, "bat") == PFA_E_NO_ERROR &&
                 pfa_get_full_name(handle, name) == PFA_E_NO_ERROR &&
                 pfa_fopen(handle, PFA_RULE_AS_NAMED, "w") == PFA_E_NO_ERROR;
  if (written) {
    written = pfa_fprintf(handle, "%s\n", command) == PFA_E_NO_ERROR;
    written = pfa_close(handle) == PFA_E_NO_ERROR && written;
    if (!written) pfa_delete_file(handle, 0);
  }
  pfa_free_vyn_file(&handle);
  return written;
}

// Runs command through the C run-time's system, by way of a batch file when it holds a
// line break after its first character: its exit code, -1 when it did not run.
int run_through_system(const char* command) {
  if (!std::strchr(command + (command[0] ? 1 : 0), '\n')) return w32::system(command);
  char name[sizeof(VynFile::text)];
  if (!write_temp_batch(command, name)) return -1;
  int result = w32::system(name);
  char posix[w32::W32_PATH_CAPACITY];
  if (w32::w32_resolve_path_a(name, posix, sizeof posix)) ::unlink(posix);
  return result;
}

// Appends text to line (capacity bytes), quoted by the Win32 rules when it must be.
bool append_argument(char* line, int capacity, const char* text, bool first) {
  w32::WCHAR wide_line[VYN_ARG_BUFFER_SIZE + 1];
  w32::WCHAR wide_text[VYN_ARG_BUFFER_SIZE + 1];
  if (w32::MultiByteToWideChar(w32::CP_ACP, 0, line, -1, wide_line, VYN_ARG_BUFFER_SIZE + 1) == 0 ||
      w32::MultiByteToWideChar(w32::CP_ACP, 0, text, -1, wide_text, VYN_ARG_BUFFER_SIZE + 1) == 0)
    return false;
  int length = 0;
  while (wide_line[length] != 0) ++length;
  if (!first) {
    if (length + 2 > capacity) return false;
    wide_line[length++] = u' ';
    wide_line[length] = 0;
  }
  // An empty argument adds nothing, as the joined line always had it.
  if (text[0] != '\0' &&
      !w32::w32_append_quoted_argument(wide_line, &length, capacity, wide_text, first ? w32::TRUE : w32::FALSE))
    return false;
  return w32::WideCharToMultiByte(w32::CP_ACP, 0, wide_line, -1, line, capacity, nullptr,
                                  nullptr) != 0 &&
         std::strlen(line) < static_cast<std::size_t>(capacity);
}

void report_version_check(const char* text) { std::perror(text); }

// Starts line detached and hidden with the caller's standard handles, runs started()
// once it runs, and waits for it: true with its exit code in *code.
template <typename Started = void (*)()>
bool run_hidden(char* line, w32::DWORD* code, Started started = [] {}) {
  w32::STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = w32::STARTF_USESTDHANDLES | w32::STARTF_USESHOWWINDOW;
  startup.wShowWindow = 0;
  startup.hStdInput = w32::GetStdHandle(w32::STD_INPUT_HANDLE);
  startup.hStdOutput = w32::GetStdHandle(w32::STD_OUTPUT_HANDLE);
  startup.hStdError = w32::GetStdHandle(w32::STD_ERROR_HANDLE);
  w32::PROCESS_INFORMATION information;
  std::memset(&information, 0, sizeof information);
  if (!w32::CreateProcessA(nullptr, line, nullptr, nullptr, w32::FALSE, w32::DETACHED_PROCESS,
                           nullptr, nullptr, &startup, &information))
    return false;
  started();
  w32::WaitForSingleObject(information.hProcess, w32::INFINITE);
  w32::GetExitCodeProcess(information.hProcess, code);
  w32::CloseHandle(information.hThread);
  w32::CloseHandle(information.hProcess);
  return true;
}

}  // namespace

// --- Command-line preparation -------------------------------------------------------

int vyn_quote_exe(const char* path, char** out) {
  if (!out) return 2;
  *out = nullptr;
  if (!path) return 2;
  std::size_t length = std::strlen(path);
  bool quote = !std::strchr(path, '"') && std::strchr(path, ' ');
  char* copy = static_cast<char*>(std::malloc(length + 3));
  if (!copy) return 2;
  if (quote)
    std::snprintf(copy, length + 3, "\"%s\"", path);
  else
    std::memcpy(copy, path, length + 1);
  *out = copy;
  return 0;
}

int vyn_check_file_is_executable(const char* path) {
  if (!path || !*path) return 0;
  VynFile* handle = pfa_alloc_file(path);
  int executable = handle && !pfa_is_dir(handle) &&
                   pfa_put_obj_type(handle, PFA_TYPE_UNKNOWN) == PFA_E_NO_ERROR &&
                   pfa_access(handle, 1);
  pfa_free_vyn_file(&handle);
  return executable;
}

int vyn_check_space_in_command(const char* command, char** out) {
  if (!out) return 0;
  *out = nullptr;
  if (!command) return 0;
  if (!std::strchr(command, ' ') || std::strchr(command, '"')) {
    *out = copy_string(command);
    return 1;
  }
  std::size_t length = std::strlen(command);
  char* prefix = copy_string(command);
  if (!prefix) return 0;
  // Grow the program one word at a time; the whole command is tried last.
  for (std::size_t end = 0;; ++end) {
    while (end < length && command[end] != ' ') ++end;
    prefix[end] = '\0';
    if (vyn_check_file_is_executable(prefix)) {
      char* program = nullptr;
      if (vyn_quote_exe(prefix, &program) != 0) break;
      std::size_t size = std::strlen(program) + (length - end) + 1;
      *out = static_cast<char*>(std::malloc(size));
      if (*out) std::snprintf(*out, size, "%s%s", program, command + end);
      std::free(program);
      std::free(prefix);
      return *out ? 1 : 0;
    }
    if (end >= length) break;
    prefix[end] = ' ';
  }
  std::free(prefix);
  *out = copy_string(command);
  return 0;
}

int handle_nt_env_vars(const char* text, char* out, int capacity) {
  if (!text || !out || capacity < 1) return 0;
  std::size_t used = 0;
  std::size_t room = static_cast<std::size_t>(capacity);
  auto append = [&](const char* piece, std::size_t n) {
    if (used + n >= room) return false;
    std::memcpy(out + used, piece, n);
    used += n;
    return true;
  };
  bool fits = true;
  const char* at = text;
  while (fits && *at) {
    const char* open = std::strchr(at, '%');
    if (!open) {
      fits = append(at, std::strlen(at));
      break;
    }
    fits = append(at, static_cast<std::size_t>(open - at));
    const char* close = fits ? std::strchr(open + 1, '%') : nullptr;
    if (!fits) break;
    if (!close) {
      // A '%' without a closing one stays with the rest.
      fits = append(open, std::strlen(open));
      break;
    }
    std::size_t name_length = static_cast<std::size_t>(close - open - 1);
    char* name = static_cast<char*>(std::malloc(name_length + 1));
    if (!name) {
      fits = false;
      break;
    }
    std::memcpy(name, open + 1, name_length);
    name[name_length] = '\0';
    w32::DWORD needed = name_length ? w32::GetEnvironmentVariableA(name, nullptr, 0) : 0;
    if (needed > 0) {
      char* value = static_cast<char*>(std::malloc(needed));
      w32::DWORD got = value ? w32::GetEnvironmentVariableA(name, value, needed) : 0;
      fits = value && got < needed && append(value, got);
      std::free(value);
    } else {
      // An unknown name keeps its percent signs.
      fits = append(open, name_length + 2);
    }
    std::free(name);
    at = close + 1;
  }
  if (!fits) {
    out[0] = '\0';
    return 0;
  }
  out[used] = '\0';
  return 1;
}

int make_arg_list(const char* command, char* words, int words_size, char** args, int args_size) {
  if (!command || !words || !args || words_size < 0 || args_size < 1) return -1;
  int count = 0;
  int used = 0;
  const char* at = command;
  for (;;) {
    while (*at == ' ') ++at;
    if (!*at) break;
    const char* end = at;
    while (*end && *end != ' ') ++end;
    int length = static_cast<int>(end - at);
    // The word and the closing null must fit.
    if (count + 1 >= args_size || used + length + 1 > words_size) return -1;
    std::memcpy(words + used, at, static_cast<std::size_t>(length));
    words[used + length] = '\0';
    args[count++] = words + used;
    used += length + 1;
    at = end;
  }
  args[count] = nullptr;
  return 0;
}

// --- Running commands ---------------------------------------------------------------

int vyn_exec_command_line(const char* command, int mode, int* status) {
  if (status) *status = 0;
  if (!command) {
    if (status && mode != 2) *status = -1;
    return -1;
  }
  char* prepared = nullptr;
  vyn_check_space_in_command(command, &prepared);
  dcl_com_start_func();
  int result = -1;
  if (!prepared) {
    result = -1;
  } else if (mode == 2) {
    result = background_prepared(prepared, 1, 0, false).created;
  } else if (vyn_is_win95_running()) {
    char words[VYN_ARG_BUFFER_SIZE];
    char* args[VYN_ARG_ENTRIES];
    if (make_arg_list(prepared, words, sizeof words, args, VYN_ARG_ENTRIES) == 0 && args[0])
      result = static_cast<int>(w32::_spawnvp(w32::_P_WAIT, args[0], args));
  } else {
    result = run_through_system(prepared);
  }
  dcl_com_end_func();
  std::free(prepared);
  if (mode != 2 && status) *status = result < 0 ? -1 : result;
  return result;
}

int vyn_exec_command(int mode, const char* format, ...) {
  char command[VYN_EXEC_COMMAND_SIZE];
  std::va_list args;
  va_start(args, format);
  bool made = format_command("vyn_exec_command", command, sizeof command, 0, format, args);
  va_end(args);
  return made ? vyn_exec_command_line(command, mode, nullptr) : -1;
}

namespace {

int system_call(int* status, int mode, const char* format, std::va_list args) {
  char command[VYN_SYSTEM_CALL_SIZE];
  if (!format_command("vyn_system_call", command, sizeof command, 1, format, args)) {
    if (status) *status = -1;
    return 100;
  }
  return vyn_exec_command_line(command, mode, status) < 0 ? 100 : 0;
}

// A finished command goes through the formatter as its own format, without arguments.
int system_call_of(int* status, int mode, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  int result = system_call(status, mode, format, args);
  va_end(args);
  return result;
}

bool format_finished(char* buffer, int size, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  bool made = format_command("vyn_system_call", buffer, size, 1, format, args);
  va_end(args);
  return made;
}

}  // namespace

int vyn_system_call(int* status, int mode, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  int result = system_call(status, mode, format, args);
  va_end(args);
  return result;
}

int vyn_system_call_new(int* status, int mode, const char* command) {
  if (!vyn_is_win95_running()) return system_call_of(status, mode, command);
  char buffer[VYN_SYSTEM_CALL_SIZE];
  if (!format_finished(buffer, sizeof buffer, command)) {
    if (status) *status = -1;
    return 100;
  }
  ivek_fprintf(stderr, "going to call run_win95 with %s\n", buffer);
  int created = run_win95_program(buffer);
  if (status) *status = created;
  return 0;
}

int vyn_system_script_call(...) { return 0; }

int vyn_exec_background_shell(const char* format, ...) {
  char command[VYN_EXEC_COMMAND_SIZE];
  std::va_list args;
  va_start(args, format);
  bool made = format_command("vyn_exec_background_shell", command, sizeof command, 0, format, args);
  va_end(args);
  return made ? start_background_proc(command, 1, 0) : 0;
}

w32::HANDLE vyn_exec_background_shell_ex(const char* format, ...) {
  char command[VYN_EXEC_COMMAND_SIZE];
  std::va_list args;
  va_start(args, format);
  bool made = format_command("vyn_exec_background_shell", command, sizeof command, 0, format, args);
  va_end(args);
  return made ? start_background_proc_ex(command, 1, 0) : nullptr;
}

int vyn_start_background_process(const char* format, ...) {
  char command[VYN_BACKGROUND_PROCESS_SIZE];
  std::va_list args;
  va_start(args, format);
  bool made =
      format_command("vyn_start_background_process", command, sizeof command, 0, format, args);
  va_end(args);
  return made ? start_background_proc(command, 0, 1) : 0;
}

int start_background_proc(const char* command, int use_interpreter, int use_tmp) {
  return background(command, use_interpreter, use_tmp, false).created;
}

w32::HANDLE start_background_proc_ex(const char* command, int use_interpreter, int use_tmp) {
  return background(command, use_interpreter, use_tmp, true).process;
}

int vyn_start_proc_new(const char* command, int wait, int use_interpreter, int use_tmp,
                       int* status) {
  if (status) *status = 0;
  if (!command) return 0;
  w32::DWORD flags = use_interpreter && wait ? 0 : w32::DETACHED_PROCESS;
  return waiting_start(command, wait, use_interpreter, 0, use_tmp, status, 0, flags);
}

int vyn_exec_command_new(int wait, const char* format, ...) {
  char command[VYN_EXEC_COMMAND_SIZE];
  std::va_list args;
  va_start(args, format);
  bool made = format_command("vyn_exec_command_new", command, sizeof command, 0, format, args);
  va_end(args);
  return made ? vyn_start_proc_new(command, wait, 1, 0, nullptr) : -1;
}

int vyn_start_process(const char* command, int wait, int use_interpreter, int keep_console,
                      int use_tmp, int* status) {
  return vyn_start_process_low(command, wait, use_interpreter, keep_console, use_tmp, status, 0);
}

int vyn_start_process_low(const char* command, int wait, int use_interpreter, int keep_console,
                          int use_tmp, int* status, int hide) {
  if (status) *status = 0;
  char* prepared = nullptr;
  vyn_check_space_in_command(command, &prepared);
  if (!prepared) return 0;
  int created =
      waiting_start(prepared, wait, use_interpreter, keep_console, use_tmp, status, hide, 0);
  std::free(prepared);
  return created;
}

int vyn_exec_cmd(int wait, int use_interpreter, int keep_console, int use_tmp, int* status,
                 const char* format, ...) {
  char command[VYN_EXEC_COMMAND_SIZE];
  std::va_list args;
  va_start(args, format);
  bool made = format_command("vyn_exec_command_new", command, sizeof command, 0, format, args);
  va_end(args);
  if (!made) return -1;
  return vyn_start_process(command, wait, wait ? 0 : use_interpreter, keep_console, use_tmp,
                           status);
}

int run_win95_program(const char* command) {
  int status = 0;
  return vyn_exec_cmd(1, 0, 0, 0, &status, "%s", command ? command : "");
}

int vyn_spawn_for_version_check(const char* command_line) {
  if (!command_line) return -1;
  std::size_t length = std::strlen(command_line);
  char* copy = copy_string(command_line);
  // Every white-space character starts a piece: at most length + 1 pieces and the null.
  const char** args =
      static_cast<const char**>(std::malloc((length + 2) * sizeof(const char*)));
  if (!copy || !args) {
    std::free(copy);
    std::free(args);
    return -1;
  }
  // Every white-space character ends a piece; the next position begins the next one.
  int count = 0;
  args[count++] = copy;
  for (std::size_t i = 0; i < length; ++i) {
    if (std::isspace(static_cast<unsigned char>(copy[i]))) {
      copy[i] = '\0';
      args[count++] = copy + i + 1;
    }
  }
  args[count] = nullptr;
  int result = vyn_spawn_for_version_check_use_array(args[0], args + 1);
  std::free(args);
  std::free(copy);
  return result;
}

int vyn_spawn_for_version_check_use_array(const char* program, const char* const* args) {
  if (!program) return -1;
  char name[VYN_ARG_BUFFER_SIZE + 1];
  std::size_t length = std::strlen(program);
  if (program[0] == '"') {
    ++program;
    --length;
  }
  if (length > 0 && program[length - 1] == '"') --length;
  if (length > VYN_ARG_BUFFER_SIZE) length = VYN_ARG_BUFFER_SIZE + 1;
  std::memcpy(name, program, length < sizeof name ? length : sizeof name - 1);
  name[length < sizeof name ? length : sizeof name - 1] = '\0';
  // The program and every argument that needs it are quoted; a line that does not fit is
  // refused rather than cut.
  char line[VYN_ARG_BUFFER_SIZE + 1] = "";
  bool fits = length <= VYN_ARG_BUFFER_SIZE &&
              append_argument(line, VYN_ARG_BUFFER_SIZE + 1, name, true);
  for (int i = 0; fits && args && args[i]; ++i)
    fits = append_argument(line, VYN_ARG_BUFFER_SIZE + 1, args[i], false);
  if (!fits) {
    report_version_check("vyn_spawn_for_version_check() : SPAWN FAILED");
    return -1;
  }
  dcl_com_start_func();
  int result = 0;
  w32::DWORD code = 0;
  if (!run_hidden(line, &code)) {
    report_version_check("vyn_spawn_for_version_check() : SPAWN FAILED");
    result = -1;
  } else {
    if (code != 0) {
      report_version_check("vyn_spawn_for_version_check() : ");
      ivek_fprintf(stderr, "SPAWNED PROCESS DID NOT EXIT NORMALLY\n");
    }
  }
  dcl_com_end_func();
  return result;
}

namespace {

// Text gathered in a malloc'd buffer that grows, so that a file is written in one go.
struct Text {
  char* data;
  std::size_t length;
  std::size_t capacity;
  bool failed;  // out of memory: the text is incomplete
};

void append(Text* text, const char* piece, std::size_t n) {
  if (text->failed) return;
  if (text->length + n > text->capacity) {
    std::size_t capacity = text->capacity ? text->capacity : 4096;
    while (capacity < text->length + n) capacity *= 2;
    char* grown = static_cast<char*>(std::realloc(text->data, capacity));
    if (!grown) {
      text->failed = true;
      return;
    }
    text->data = grown;
    text->capacity = capacity;
  }
  std::memcpy(text->data + text->length, piece, n);
  text->length += n;
}

bool write_all(int fd, const char* data, std::size_t length) {
  while (length > 0) {
    ssize_t put = ::write(fd, data, length);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    data += put;
    length -= static_cast<std::size_t>(put);
  }
  return true;
}

// Writes the batch file for call_script on fd: the environment as quoted set lines
// (every '%' doubled, so that nothing in a value is read by the interpreter; texts
// holding a line break and the drive entries beginning with '=' are left out), then the
// interpreter's line for the command.
bool write_batch(int fd, const char* interpreter, const char* command) {
  char* block = w32::GetEnvironmentStrings();
  if (!block) return false;
  Text text = {nullptr, 0, 0, false};
  for (const char* entry = block; *entry; entry += std::strlen(entry) + 1) {
    if (entry[0] == '=' || std::strpbrk(entry, "\r\n")) continue;
    append(&text, "set \"", 5);
    for (const char* c = entry; *c;) {
      // Up to and with the next '%', which is doubled.
      std::size_t run = std::strcspn(c, "%");
      append(&text, c, run + (c[run] == '%' ? 1 : 0));
      if (c[run] == '%') append(&text, "%", 1);
      c += run + (c[run] == '%' ? 1 : 0);
    }
    append(&text, "\"\n", 2);
  }
  w32::FreeEnvironmentStrings(block);
  const char* line = vyn_sprintf(nullptr, "%s /e:4096 /c %s\n", interpreter, command);
  if (line) append(&text, line, std::strlen(line));
  bool written = line && !text.failed && write_all(fd, text.data, text.length);
  std::free(text.data);
  return written;
}

// Writes the first free "~tempbat<n>.bat" in tmp and runs it: 1 when it ran. The names
// are tried within a bound, so that a "TMP" where nothing can be made does not hang the
// caller.
int run_batch(const char* interpreter, const char* tmp, const char* prepared, int* exit_code) {
  std::size_t name_size = std::strlen(tmp) + 32;
  char* name = static_cast<char*>(std::malloc(name_size));
  if (!name) return 0;
  int fd = -1;
  for (int n = 0; n < BATCH_NAME_TRIES && fd < 0; ++n) {
    std::snprintf(name, name_size, "%s\\~tempbat%i.bat", tmp, n);
    fd = w32::_open(name, w32::_O_CREAT | w32::_O_EXCL | w32::_O_RDWR | w32::_O_TEXT,
                    w32::_S_IREAD | w32::_S_IWRITE);
    if (fd < 0 && errno != EEXIST) break;
  }
  int ran = 0;
  if (fd >= 0) {
    bool written = write_batch(fd, interpreter, prepared);
    written = ::close(fd) == 0 && written;
    std::size_t size = std::strlen(interpreter) + std::strlen(name) + 16;
    char* line = static_cast<char*>(std::malloc(size));
    if (written && line) {
      std::snprintf(line, size, "%s /e:4096 /c %s", interpreter, name);
      w32::DWORD code = 0;
      auto announce = [&] {
        ivek_printf("Process \"%s is called via CreateProcess \"%s\n", line, prepared);
      };
      if (run_hidden(line, &code, announce)) {
        if (exit_code) *exit_code = static_cast<int>(code);
        ran = 1;
      }
    }
    if (!ran) ivek_printf("Process \"%s\" failed\n", name);
    std::free(line);
    w32::_unlink(name);
  }
  std::free(name);
  return ran;
}

}  // namespace

int call_script(const char* command, int* exit_code) {
  if (!command) return 0;
  char* interpreter = variable_copy("COMSPEC");
  char* tmp = variable_copy("TMP");
  char* prepared = nullptr;
  if (interpreter && tmp) vyn_check_space_in_command(command, &prepared);
  int ran = prepared ? run_batch(interpreter, tmp, prepared, exit_code) : 0;
  std::free(prepared);
  std::free(tmp);
  std::free(interpreter);
  return ran;
}

int play_batch_file(const char* command) {
  int code = -1;
  return call_script(command, &code) ? code : -1;
}

w32::BOOL console_hide(w32::HWND window, w32::LPARAM) {
  if (w32::GetWindowThreadProcessId(window, nullptr) != w32::GetCurrentThreadId()) return w32::TRUE;
  w32::ShowWindow(window, w32::SW_HIDE);
  return w32::FALSE;
}

void vek_jack_up_fd_limit() {}

// --- Process records and threads ------------------------------------------------------

VynProc* _WINDOWS_alloc_proc(int kind, std::uint32_t id, w32::HANDLE handle) {
  VynProc* proc = static_cast<VynProc*>(getmem(sizeof(VynProc)));
  proc->kind = kind;
  proc->id = id;
  proc->handle = handle;
  return proc;
}

VynProc* vyn_open_process(std::uint32_t pid) {
  w32::HANDLE handle =
      w32::OpenProcess(w32::SYNCHRONIZE | w32::PROCESS_TERMINATE, w32::FALSE, pid);
  return handle ? _WINDOWS_alloc_proc(VYN_PROC_PROCESS, pid, handle) : nullptr;
}

int vyn_test_pid(std::uint32_t pid) {
  VynProc* proc = vyn_open_process(pid);
  if (!proc) return 0;
  vyn_free_proc_handle(&proc);
  return 1;
}

VynProc* vyn_create_subprocess(int kind, w32::LPTHREAD_START_ROUTINE routine, void* argument) {
  if (kind == VYN_PROC_PROCESS) {
    dbg_err_crash("vyn_create_subprocess", "processes cannot be created");
    crash();
  }
  if (kind != VYN_PROC_THREAD || !routine) return nullptr;
  w32::DWORD id = 0;
  w32::HANDLE handle = w32::CreateThread(nullptr, 0, routine, argument, 0, &id);
  return handle ? _WINDOWS_alloc_proc(VYN_PROC_THREAD, id, handle) : nullptr;
}

void vyn_exit_cur_subprocess(int code) { w32::ExitThread(static_cast<w32::DWORD>(code)); }

int vyn_kill_subprocess(VynProc* proc) {
  if (!proc) return 0;
  const w32::DWORD killed = static_cast<w32::DWORD>(-1);
  if (proc->kind == VYN_PROC_PROCESS) return w32::TerminateProcess(proc->handle, killed);
  if (proc->kind == VYN_PROC_THREAD) return w32::TerminateThread(proc->handle, killed);
  return 0;
}

int vyn_kill_subprocess_ext(VynProc* proc) { return vyn_kill_subprocess(proc); }

int vyn_test_subprocess(VynProc* proc) {
  w32::DWORD state = proc ? w32::WaitForSingleObject(proc->handle, 0) : w32::WAIT_FAILED;
  if (state == w32::WAIT_TIMEOUT) return 1;
  if (state == w32::WAIT_OBJECT_0) return 0;
  dbg_err_crash("vyn_test_subprocess", "cannot test the process");
  crash();
}

int vyn_test_child_subprocess(VynProc* proc) { return vyn_test_subprocess(proc); }

int vyn_wait_for_subproc(int count, VynProc* const* procs, int* exit_code) {
  if (count > VYN_MAX_WAIT_PROCS) {
    dbg_crash_msg("vyn_wait_for_subproc", "too many processes.");
    return -1;
  }
  if (count < 1 || !procs) {
    dbg_crash_msg("vyn_wait_for_subproc", "WaitForMultipleObjects () failed.");
    return -1;
  }
  w32::HANDLE handles[VYN_MAX_WAIT_PROCS];
  for (int i = 0; i < count; ++i) handles[i] = procs[i] ? procs[i]->handle : nullptr;
  w32::DWORD which = w32::WaitForMultipleObjects(static_cast<w32::DWORD>(count), handles, w32::FALSE,
                                                 w32::INFINITE);
  if (which >= static_cast<w32::DWORD>(count)) {
    dbg_crash_msg("vyn_wait_for_subproc", "WaitForMultipleObjects () failed.");
    return -1;
  }
  int index = static_cast<int>(which);
  w32::DWORD code = 0;
  if (procs[index]->kind == VYN_PROC_THREAD) {
    if (!w32::GetExitCodeThread(procs[index]->handle, &code))
      dbg_crash_msg("vyn_wait_for_subproc", "GetExitCodeThread () failed.");
  } else if (!w32::GetExitCodeProcess(procs[index]->handle, &code)) {
    dbg_crash_msg("vyn_wait_for_subproc", "GetExitCodeProcess () failed.");
  }
  if (exit_code) *exit_code = static_cast<int>(code);
  return index;
}

std::uint32_t vyn_get_id_of_process(const VynProc* proc) {
  return proc ? proc->id : vyn_getpid();
}

std::uint32_t vyn_getpid() { return w32::GetCurrentProcessId(); }

void vyn_free_proc_handle(VynProc** proc) {
  if (!proc || !*proc) return;
  if ((*proc)->handle) w32::CloseHandle((*proc)->handle);
  relmem(proc);
}

int vyn_proc_type_dups_handles() { return 0; }

void vyn_goto_sleep() {
  dbg_err_crash("vyn_goto_sleep", "not supported");
  crash();
}

void vyn_wakeup() {
  dbg_err_crash("vyn_wakeup", "not supported");
  crash();
}

int vyn_sig_handler(VynSigHandler handler) {
  vek_set_signal_handler(2, handler);
  vek_set_signal_handler(15, handler);
  return 0;
}

int pdmshm_initialize() { return 0; }
int pdmshm_cleanup() { return 0; }
void* pdmshm_alloc(int size) { return size > 0 ? getmem(static_cast<std::size_t>(size)) : nullptr; }
void pdmshm_free(void* block) {
  if (block) rlsmem(block);
}
std::intptr_t pdmshm_get_ptr(std::intptr_t offset) { return offset; }

}  // namespace vek
