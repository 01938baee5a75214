// Test hook of the file functions.
#pragma once

namespace w32 {

// Puts the error mode back to 0.
void file_testing_reset();

}  // namespace w32
