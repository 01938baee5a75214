// Running commands and child processes.
#pragma once

namespace vek {

// Formats a command line and runs it through the shell. Mode 2 starts it in the
// background and gives nonzero when it was started; any other mode waits and gives
// its exit status, -1 when it could not run. -1 for a bad format.
int vyn_exec_command(int mode, const char* format, ...);

}  // namespace vek
