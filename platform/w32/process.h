// Processes: starting a program by its Windows command line, waiting for it and for its
// readiness, its exit code, other processes by id, and the process's own end.
//
// How the stand-in starts a program (CreateProcessA, over posix_spawn):
// - The program is application_name when given, else the first token of command_line:
//   up to the closing quote when the line begins with '"'; otherwise, as on Win32, the
//   text up to each blank in turn is tried as a name, shortest first, and the whole line
//   last. A name without an extension is tried with ".exe" after it as well.
// - A name with a drive or a delimiter goes through the path model (path.h); a bare name
//   is looked for in the layer's current directory and then in the directories of PATH.
//   A name that ends in ".exe" and does not exist, while the same name without ".exe"
//   does, runs the latter, so that a POSIX program can stand for a Windows one. The
//   program must be a regular file that may be executed (else ERROR_ACCESS_DENIED); a
//   missing one gives ERROR_FILE_NOT_FOUND, a missing directory ERROR_PATH_NOT_FOUND.
// - A program named cmd.exe (any directory, any letter case) is the command
//   interpreter (interpreter.h): the child is /bin/sh running what its line asks.
// - The child's POSIX argv is the program's POSIX path and the arguments that
//   CommandLineToArgvW finds after the first (commandline.h), in UTF-8.
// - The environment is environment (a block of "NAME=value" texts, each terminated, with
//   an empty text at the end; UTF-16 under CREATE_UNICODE_ENVIRONMENT) or, when null,
//   the process's own. Into it go YRL_W32_COMMAND_LINE, the command line in UTF-8, which
//   the child's GetCommandLineW answers as Win32 gives a child the line it was started
//   with, and YRL_W32_READY_FD, the descriptor of the ready signal (see
//   WaitForInputIdle).
// - The child starts in current_directory (path model) or, when null, in the layer's
//   current directory.
// - DETACHED_PROCESS: the child gets a session of its own (setsid) and, having no
//   console, its standard streams read and write /dev/null. CREATE_NEW_PROCESS_GROUP
//   alone: a process group of its own. CREATE_SUSPENDED is refused with
//   ERROR_NOT_SUPPORTED; other flags (console, window, priority) are accepted and have
//   no effect here.
// - With STARTF_USESTDHANDLES in the start-up record the child's standard input, output
//   and error are its three handles: a pipe end or file of this layer, a standard
//   handle (console.h), or null for none (/dev/null); any other handle is refused with
//   ERROR_INVALID_HANDLE. The record's size must be at least sizeof(STARTUPINFOA) (else
//   ERROR_INVALID_PARAMETER); its other fields and the security attributes are
//   accepted and not used. inherit_handles is not consulted: the descriptors of
//   inheritable pipe ends (pipe.h) reach every child, and no other handle does.
// - The thread handle stands for the child's main thread and becomes signalled with
//   the process; the thread id is the process id, as Linux numbers a main thread.
#pragma once

#include <cstddef>

#include "platform/w32/handle.h"
#include "platform/w32/library.h"
#include "platform/w32/types.h"

namespace w32 {

constexpr DWORD CREATE_SUSPENDED = 0x4;
constexpr DWORD DETACHED_PROCESS = 0x8;
constexpr DWORD CREATE_NEW_CONSOLE = 0x10;
constexpr DWORD NORMAL_PRIORITY_CLASS = 0x20;
constexpr DWORD CREATE_NEW_PROCESS_GROUP = 0x200;
constexpr DWORD CREATE_UNICODE_ENVIRONMENT = 0x400;
constexpr DWORD CREATE_NO_WINDOW = 0x08000000;

constexpr DWORD STARTF_USESHOWWINDOW = 0x1;
constexpr DWORD STARTF_USESTDHANDLES = 0x100;

constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_ABANDONED = 0x80;
constexpr DWORD WAIT_ABANDONED_0 = WAIT_ABANDONED;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr DWORD STILL_ACTIVE = 259;

constexpr DWORD PROCESS_TERMINATE = 0x1;
constexpr DWORD PROCESS_VM_READ = 0x10;
constexpr DWORD PROCESS_QUERY_INFORMATION = 0x400;
constexpr DWORD PROCESS_QUERY_LIMITED_INFORMATION = 0x1000;
constexpr DWORD SYNCHRONIZE = 0x100000;

// The variables that CreateProcessA sets for each child.
constexpr char W32_COMMAND_LINE_VARIABLE[] = "YRL_W32_COMMAND_LINE";
constexpr char W32_READY_FD_VARIABLE[] = "YRL_W32_READY_FD";

// SECURITY_ATTRIBUTES: types.h.

struct STARTUPINFOA {
  DWORD cb;
  char* lpReserved;
  char* lpDesktop;
  char* lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  BYTE* lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
};
// The natural x86-64 layout: pointers and handles are pointer-sized.
static_assert(offsetof(STARTUPINFOA, dwX) == 32);
static_assert(offsetof(STARTUPINFOA, wShowWindow) == 64);
static_assert(offsetof(STARTUPINFOA, hStdInput) == 80);
static_assert(sizeof(STARTUPINFOA) == 104);

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};
static_assert(offsetof(PROCESS_INFORMATION, dwProcessId) == 16);
static_assert(sizeof(PROCESS_INFORMATION) == 24);

// Starts a program (see above). TRUE with *process_information filled; FALSE with the
// reason in GetLastError and nothing started. Null command_line and application_name,
// or a null start-up record or result: ERROR_INVALID_PARAMETER.
BOOL CreateProcessA(const char* application_name, char* command_line,
                    SECURITY_ATTRIBUTES* process_attributes, SECURITY_ATTRIBUTES* thread_attributes,
                    BOOL inherit_handles, DWORD creation_flags, void* environment,
                    const char* current_directory, STARTUPINFOA* startup_info,
                    PROCESS_INFORMATION* process_information);

// Waits until the object behind handle is signalled (a process or thread that has
// ended, a mutex that is free), for at most milliseconds (INFINITE: without limit):
// WAIT_OBJECT_0, WAIT_ABANDONED for a mutex whose owner ended holding it, WAIT_TIMEOUT,
// or WAIT_FAILED with ERROR_INVALID_HANDLE for a handle of another kind. See wait.h.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);

// Ends the process behind handle (SIGKILL); its exit code becomes exit_code. TRUE when
// the signal went or the process had ended already; FALSE with ERROR_INVALID_HANDLE for
// another handle, or the reason the system gives. Consults the fault facility.
BOOL TerminateProcess(HANDLE process, UINT exit_code);

// For the waits (wait.h): whether the process or main thread behind a held process or
// thread handle object has ended.
bool w32_process_ended(W32HandleObject* object);

// Waits until the child started by CreateProcessA is ready for input, which it tells
// by calling w32_signal_input_idle, for at most milliseconds: 0 when it has told (at
// once on every later call), WAIT_TIMEOUT, or WAIT_FAILED when the child ended or let go
// of the signal without telling (ERROR_NOT_SUPPORTED), for a process not started here
// (ERROR_NOT_SUPPORTED) and for a bad handle (ERROR_INVALID_HANDLE).
DWORD WaitForInputIdle(HANDLE process, DWORD milliseconds);

// Tells the parent that started this process through CreateProcessA that it is ready
// for input: writes to the descriptor named by YRL_W32_READY_FD, closes it and removes
// the variable, so that only the first call tells. TRUE when the parent was told; FALSE
// when there is no such parent (no variable, or one that names no pipe) or it is gone.
BOOL w32_signal_input_idle();

// The process's exit code: STILL_ACTIVE while it runs; for a child started here, the
// code it ended with, or 128 plus the number of the signal that ended it. For another
// process that has ended: FALSE with ERROR_NOT_SUPPORTED, as its code is not known
// here. FALSE with ERROR_INVALID_PARAMETER for a null exit_code.
BOOL GetExitCodeProcess(HANDLE process, DWORD* exit_code);

// A handle to the running process id (access and inherit_handle are not checked). Null
// with ERROR_INVALID_PARAMETER when there is no such process, as on Win32 (id 0 too).
HANDLE OpenProcess(DWORD access, BOOL inherit_handle, DWORD process_id);

DWORD GetCurrentProcessId();

// The id of the process behind a process handle; 0 with ERROR_INVALID_HANDLE for any
// other handle.
DWORD GetProcessId(HANDLE process);

// The Windows name (winpath.h) of the process's own program for a null module; for any
// other module 0 with ERROR_MOD_NOT_FOUND. Copies at most size - 1 bytes and
// a terminator and returns the length; when the name was cut, returns size with
// ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileNameA(HMODULE module, char* filename, DWORD size);

// Ends the process with exit_code after flushing the C streams; no static destructor
// and no atexit function runs, as another thread may still be using the process.
[[noreturn]] void ExitProcess(UINT exit_code);

}  // namespace w32
