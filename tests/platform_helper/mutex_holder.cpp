// A second process for the tests of named mutexes: takes the mutex named on the command
// line in the folder given, writes "owned" (or "busy" when another owns it) to its
// standard output, and then, on a line of its standard input, "release" lets go of it
// and ends with 0, "die" ends at once with 3 holding it.
//   mutex_holder <folder> <name>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "platform/w32/mutex.h"
#include "platform/w32/mutex_testing.h"
#include "platform/w32/wait.h"

int main(int argc, char** argv) {
  if (argc != 3 || !w32::mutex_testing_set_folder(argv[1])) return 2;
  w32::HANDLE mutex = w32::CreateMutexA(nullptr, w32::FALSE, argv[2]);
  if (mutex == nullptr) return 2;
  w32::DWORD taken = w32::WaitForSingleObject(mutex, 0);
  std::printf("%s\n", taken == w32::WAIT_OBJECT_0    ? "owned"
                      : taken == w32::WAIT_ABANDONED ? "abandoned"
                                                     : "busy");
  std::fflush(stdout);
  char line[32] = {};
  if (std::fgets(line, sizeof line, stdin) == nullptr || std::strncmp(line, "die", 3) == 0)
    _exit(3);
  w32::ReleaseMutex(mutex);
  w32::CloseHandle(mutex);
  return 0;
}
