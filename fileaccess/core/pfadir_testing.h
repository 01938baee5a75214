// Test hook: forgets the current-directory and home records and the notification
// application (their memory goes with the memory reset).
#pragma once

namespace vek {

void pfadir_testing_reset();

}  // namespace vek
