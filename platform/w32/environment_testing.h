// Test hooks of the environment (environment.h).
#pragma once

namespace w32 {

// With removed, COMSPEC is not set unless the process's environment sets it, as on a
// system that lost it; without, it answers its Windows default again.
void environment_testing_remove_comspec(bool removed);

}  // namespace w32
