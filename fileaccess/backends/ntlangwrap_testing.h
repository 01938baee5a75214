// Test hooks of the language-dependent wrappers.
#pragma once

namespace vek {

// Makes the wrappers take action as if it had been decided (any value, so that a test
// can give an invalid one).
void ntlangwrap_testing_set_action(int action);

// Forgets the decided action (-1): the next call decides again.
void ntlangwrap_testing_reset();

}  // namespace vek
