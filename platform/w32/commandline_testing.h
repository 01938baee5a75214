// Test hooks of the command line.
#pragma once

#include "platform/w32/types.h"

namespace w32 {

// Makes GetCommandLineW answer line (copied), whatever the variable and the arguments.
void commandline_testing_set(const WCHAR* line);

// Forgets the line set or built, so that the next GetCommandLineW builds it again.
void commandline_testing_reset();

}  // namespace w32
