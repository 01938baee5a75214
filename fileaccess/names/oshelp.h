// Path and operating-system helpers of the file-access layer.
#pragma once

#include <cstdio>

namespace vek {

// The process-wide input mode, 0 at start.
int get_input_mode();
int set_input_mode(int mode);

// fopen that keeps the directory cache up to date for the files it creates.
std::FILE* dci_fopen(const char* name, const char* mode);

}  // namespace vek
