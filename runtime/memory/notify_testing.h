// Test hook: forgets the notification registry (its memory goes with the memory chain's
// reset).
#pragma once

namespace vek {

void notify_testing_reset();

}  // namespace vek
