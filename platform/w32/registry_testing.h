// Test hooks of the registry.
#pragma once

namespace w32 {

// How many opened keys are not closed yet.
int registry_testing_open_handles();

// Empties the store and forgets every opened key.
void registry_testing_reset();

}  // namespace w32
