// Running commands and child processes: command lines made safe to run, runs through the
// command interpreter named by COMSPEC (waited for or left in the background), the
// version-check spawn, the batch-file runner, and process records for processes and
// threads that are waited for, tested and killed.
//
// Strings that these functions hand out are malloc'd (free them); command strings are
// narrow, in the system code page. Every run is bracketed by the command hooks
// (dcl_com_start_func, dcl_com_end_func).
#pragma once

#include <cstdint>

#include "platform/w32/console.h"
#include "platform/w32/thread.h"
#include "platform/w32/types.h"

namespace vek {

// Process record kinds.
constexpr int VYN_PROC_PROCESS = 1;
constexpr int VYN_PROC_THREAD = 2;

// A process or thread: its kind, id and the Win32 handle, which the record owns.
struct VynProc {
  std::int32_t kind;
  std::uint32_t id;
  w32::HANDLE handle;
};
static_assert(sizeof(VynProc::kind) == 4 && sizeof(VynProc::id) == 4);

// Command buffers of the formatting entry points.
constexpr int VYN_SYSTEM_CALL_SIZE = 2048;
constexpr int VYN_EXEC_COMMAND_SIZE = 512;
constexpr int VYN_BACKGROUND_PROCESS_SIZE = 584;
// The Windows 95 road's argument buffer and entries, and the version-check line.
constexpr int VYN_ARG_BUFFER_SIZE = 2078;
constexpr int VYN_ARG_ENTRIES = 32;
// The most records vyn_wait_for_subproc waits for.
constexpr int VYN_MAX_WAIT_PROCS = 1000;

// --- Command-line preparation -------------------------------------------------------

// *out becomes a new copy of path: unchanged when it holds a '"', in double quotes when
// it holds a blank. 0; 2 for a null path or out, or when there is no memory.
int vyn_quote_exe(const char* path, char** out);

// 1 when path names an existing file, not a directory, that may be run.
int vyn_check_file_is_executable(const char* path);

// *out becomes a new string: command with its program quoted when the program's path
// holds blanks. The program is the shortest run of words that names an executable
// file, else the whole command. 1 when the command needed nothing (no blank, or a '"')
// or its program was found; else 0 with the command copied unchanged. A null command
// gives 0 with *out null, as does a null out.
int vyn_check_space_in_command(const char* command, char** out);

// Expands every "%NAME%" of text with the variable's value into out (capacity bytes with
// the terminator); an unknown name keeps its percent signs, a '%' without a closing one
// is kept with the rest. 1; 0 with an empty out when the expansion does not fit or an
// argument is null (out is then left alone).
int handle_nt_env_vars(const char* text, char* out, int capacity);

// Splits command at blanks into words, copied one after another into words (words_size
// bytes); args (args_size entries) gets a pointer to each and a null after the last. 0;
// -1 when a word or the closing null does not fit.
int make_arg_list(const char* command, char* words, int words_size, char** args, int args_size);

// --- Running commands ---------------------------------------------------------------

// Runs command through the interpreter. Mode 2 starts it in the background: nonzero when
// it was started. Any other mode waits: its exit code, -1 when it could not run; *status
// (when given) gets the same.
int vyn_exec_command_line(const char* command, int mode, int* status);
// Formats into 512 bytes and runs vyn_exec_command_line; -1 for a bad format or a
// command that does not fit (reported).
int vyn_exec_command(int mode, const char* format, ...);
// Formats into 2,048 bytes and runs: 0 when it ran, 100 for a bad format, a command of
// 2,047 characters or more (both reported, *status -1) or a negative result.
int vyn_system_call(int* status, int mode, const char* format, ...);
// vyn_system_call of a finished command (it may hold "%%", no other conversion).
int vyn_system_call_new(int* status, int mode, const char* command);
// Does nothing; 0.
int vyn_system_script_call(...);

// Background starts: through the interpreter (nonzero when started; the _ex form gives
// the process handle, which the caller closes, or null), and without it in the "TMP"
// directory (nonzero when started). Formats into 512 (584) bytes; a bad or overlong
// command gives 0 (reported).
int vyn_exec_background_shell(const char* format, ...);
w32::HANDLE vyn_exec_background_shell_ex(const char* format, ...);
int vyn_start_background_process(const char* format, ...);
int start_background_proc(const char* command, int use_interpreter, int use_tmp);
w32::HANDLE start_background_proc_ex(const char* command, int use_interpreter, int use_tmp);

// Waiting starts: the creation result (nonzero when started); *status gets it, then the
// exit code when waited for.
int vyn_start_proc_new(const char* command, int wait, int use_interpreter, int use_tmp,
                       int* status);
int vyn_exec_command_new(int wait, const char* format, ...);
int vyn_start_process(const char* command, int wait, int use_interpreter, int keep_console,
                      int use_tmp, int* status);
int vyn_start_process_low(const char* command, int wait, int use_interpreter, int keep_console,
                          int use_tmp, int* status, int hide);
// A waiting run never uses the interpreter. -1 for a bad or overlong command.
int vyn_exec_cmd(int wait, int use_interpreter, int keep_console, int use_tmp, int* status,
                 const char* format, ...);
int run_win95_program(const char* command);

// Starts a program and waits for it: 0 (also when it ended with a nonzero code, which is
// reported), -1 when it could not be started or its line does not fit 2,078 characters.
int vyn_spawn_for_version_check(const char* command_line);
int vyn_spawn_for_version_check_use_array(const char* program, const char* const* args);

// Runs command through a batch file that first sets the process's environment: 1 when
// it ran (*exit_code, when given, gets its exit code), 0 when not.
int call_script(const char* command, int* exit_code);
// The exit code of call_script, -1 when it did not run.
int play_batch_file(const char* command);
// Window-enumeration callback: hides the first window of the calling thread.
w32::BOOL console_hide(w32::HWND window, w32::LPARAM ignored);
void vek_jack_up_fd_limit();

// --- Process records and threads ------------------------------------------------------

// A new record that owns handle.
VynProc* _WINDOWS_alloc_proc(int kind, std::uint32_t id, w32::HANDLE handle);
// A record of a running process, with a handle to wait for and end it; null when none.
VynProc* vyn_open_process(std::uint32_t pid);
int vyn_test_pid(std::uint32_t pid);
// Kind 2: a thread running routine(argument), as a record, or null. Kind 1 is not
// supported (crash); other kinds give null.
VynProc* vyn_create_subprocess(int kind, w32::LPTHREAD_START_ROUTINE routine, void* argument);
[[noreturn]] void vyn_exit_cur_subprocess(int code);
// Ends the process or thread with exit code -1: nonzero when asked, 0 for another kind.
// A thread ends at its next cancellation point (a wait, a sleep, a read): one that never
// reaches one cannot be ended.
int vyn_kill_subprocess(VynProc* proc);
int vyn_kill_subprocess_ext(VynProc* proc);
// 1 while it runs, 0 when it has ended; a failed test ends the process (crash).
int vyn_test_subprocess(VynProc* proc);
int vyn_test_child_subprocess(VynProc* proc);
// Waits for the first of count records to end: its index, with its exit code in
// *exit_code (when given). -1 after the report for more than 1,000 records or a failed
// wait.
int vyn_wait_for_subproc(int count, VynProc* const* procs, int* exit_code);
std::uint32_t vyn_get_id_of_process(const VynProc* proc);
std::uint32_t vyn_getpid();
// Closes the handle, releases the record and clears *proc.
void vyn_free_proc_handle(VynProc** proc);
int vyn_proc_type_dups_handles();
[[noreturn]] void vyn_goto_sleep();
[[noreturn]] void vyn_wakeup();

// Installs handler for the interrupt and terminate signals (2 and 15).
typedef void (*VynSigHandler)(int signal);
int vyn_sig_handler(VynSigHandler handler);

// The shared-memory layer's no-op forms.
int pdmshm_initialize();
int pdmshm_cleanup();
void* pdmshm_alloc(int size);
void pdmshm_free(void* block);
std::intptr_t pdmshm_get_ptr(std::intptr_t offset);

}  // namespace vek
