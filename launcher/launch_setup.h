// The launch sequence: works out the start directory, the machine type and the options,
// refuses a second setup while one runs, prepares the environment, copies the setup
// program away from a medium that will be changed, and starts it.
#pragma once

#include <cstddef>

namespace trovask {

// The whole sequence, on the worker thread. Returns after the setup program was started
// and became ready (or could not be started), after its one message, or when a setup is
// already running. A setup program that could not be copied whole ends the process with
// exit code 1 instead.
void LaunchSetup();

// "i486_nt", "ia64_nt" or "" into machine_type (size bytes; 8 are enough).
void GetMachineType(char* machine_type, std::size_t size);

// Reads the registry key path from the file name and the "ProcessId" recorded under it
// into id (PROCESS_ID_SIZE bytes; "" when there is none or it does not fit). 1 when the
// file and the key opened, else 0.
int ReadSetupProcessId(const char* file_name, char* id);

// 1 when a process with the id exists; 0 for an empty id or no such process.
int IsProcessRunning(const char* id);

// A fresh name for the copied program (TEXT_SIZE bytes) in the temporary directory
// (TEXT_SIZE bytes), published as VEK_SETUP_REDIRECT.
void MakeTempSetupName(char* name, char* directory);

// Copies source to destination byte by byte. 1 on success; 0, with the message on the
// standard error stream, when either file does not open or a stream fails.
int CopyFileToTemp(const char* source, const char* destination);

}  // namespace trovask
