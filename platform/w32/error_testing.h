// Test hook of the last-error code.
#pragma once

namespace w32 {

// Clears the calling thread's last error.
void error_testing_reset();

}  // namespace w32
