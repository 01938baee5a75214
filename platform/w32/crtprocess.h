// The C run-time's process calls, under their run-time names in namespace w32: the
// command interpreter's system and the spawn with path search. Both start their child
// with CreateProcessA (process.h), so it inherits the process's standard streams and
// its environment, and set errno as the run-time does. Each consults the fault facility
// (fault.h) under its name; an armed call fails with errno from the armed code.
#pragma once

#include <cstdint>

namespace w32 {

// The spawn modes: wait and give the exit code, or give the process handle.
constexpr int _P_WAIT = 0;
constexpr int _P_NOWAIT = 1;

// Runs command through the interpreter named by COMSPEC ("%COMSPEC% /c command") and
// waits: its exit code. For a null command, nonzero when there is an interpreter. -1
// with errno ENOENT when COMSPEC is not set, or the errno of the failed start.
int system(const char* command);

// Starts the program name (a bare name is looked for in the current directory and the
// directories of PATH) with argv (null-terminated; argv[0] is the program's own name) as
// its command line, each argument quoted as the run-time quotes it. _P_WAIT: its exit
// code; _P_NOWAIT: its process handle as a number (close it with CloseHandle). -1 with
// errno: EINVAL for another mode or null arguments, E2BIG when the line exceeds 32,767
// characters, ENOENT or the errno of the failed start.
std::intptr_t _spawnvp(int mode, const char* name, const char* const* argv);

}  // namespace w32
