// Consoles, the standard handles and top-level windows.
//
// The standard handles stand for the process's own streams (descriptors 0, 1 and 2):
// GetStdHandle answers a handle of each that CreateProcessA passes on to a child
// (STARTF_USESTDHANDLES) and that is never closed. SetStdHandle replaces the answer,
// null included. There is no console to make here: the process starts without one,
// AllocConsole gives it one (the standard handles become the process's streams again)
// and FreeConsole takes it away. No window exists unless a test adds one
// (console_testing.h); ShowWindow records what it was asked.
#pragma once

#include <cstdint>

#include "platform/w32/types.h"

namespace w32 {

constexpr DWORD STD_INPUT_HANDLE = static_cast<DWORD>(-10);
constexpr DWORD STD_OUTPUT_HANDLE = static_cast<DWORD>(-11);
constexpr DWORD STD_ERROR_HANDLE = static_cast<DWORD>(-12);

// ShowWindow's commands.
constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;

typedef std::intptr_t LPARAM;
typedef BOOL (*WNDENUMPROC)(HWND window, LPARAM data);

// The handle of a standard stream; INVALID_HANDLE_VALUE with ERROR_INVALID_PARAMETER for
// another number.
HANDLE GetStdHandle(DWORD which);
// Makes handle the answer of GetStdHandle(which). FALSE with ERROR_INVALID_PARAMETER for
// another number.
BOOL SetStdHandle(DWORD which, HANDLE handle);

// Gives the process a console: FALSE with ERROR_ACCESS_DENIED when it has one. Both
// consult the fault facility (fault.h).
BOOL AllocConsole();
// Takes the console away: FALSE with ERROR_INVALID_PARAMETER when there is none.
BOOL FreeConsole();

// Calls callback(window, data) for every top-level window until it answers FALSE. TRUE
// when it went through them all.
BOOL EnumWindows(WNDENUMPROC callback, LPARAM data);
// The id of the thread that made the window (*process_id, when given, gets its
// process's); 0 with ERROR_INVALID_WINDOW_HANDLE for an unknown window.
DWORD GetWindowThreadProcessId(HWND window, DWORD* process_id);
// Records the command for the window: TRUE when it was visible before, FALSE when it
// was hidden or is unknown.
BOOL ShowWindow(HWND window, int command);

// Input modes of GetConsoleMode and SetConsoleMode, served over the terminal's termios
// flags: PROCESSED_INPUT is ISIG, LINE_INPUT ICANON, ECHO_INPUT ECHO. Other bits are
// taken and ignored.
constexpr DWORD ENABLE_PROCESSED_INPUT = 0x1;
constexpr DWORD ENABLE_LINE_INPUT = 0x2;
constexpr DWORD ENABLE_ECHO_INPUT = 0x4;
// The input mode of the terminal behind handle (a standard handle or a file handle of
// this layer). FALSE with ERROR_INVALID_HANDLE when it is no terminal, ERROR_INVALID_PARAMETER
// for a null mode.
BOOL GetConsoleMode(HANDLE handle, DWORD* mode);
BOOL SetConsoleMode(HANDLE handle, DWORD mode);
// For CreateProcessA: the descriptor that a standard handle of GetStdHandle stands for, or
// -1 when handle is none of them.
int w32_std_handle_descriptor(HANDLE handle);

}  // namespace w32
