// Test hooks of the mutexes (mutex.h).
#pragma once

namespace w32 {

// Keeps the files of named mutexes in folder (which must exist) instead of the folder
// the environment chooses; null goes back to that. The name is copied; FALSE when it is
// too long.
bool mutex_testing_set_folder(const char* folder);

}  // namespace w32
