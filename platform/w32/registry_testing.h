// Test hooks of the registry.
#pragma once

namespace w32 {

// How many opened keys are not closed yet.
int registry_testing_open_handles();

// Restarts the system as far as the store goes: drops every volatile key (from the
// shared file too, when there is one). Opened handles to them give ERROR_KEY_DELETED.
void registry_testing_restart();

// Empties the store and forgets every opened key.
void registry_testing_reset();

}  // namespace w32
