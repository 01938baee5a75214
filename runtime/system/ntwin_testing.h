// Test hooks of the small Win32 services (ntwin.h).
#pragma once

namespace vek {

// Clears the immediate-expose flag and forgets the chosen root key.
void ntwin_testing_reset();

}  // namespace vek
