// Test hook: unregisters the user-managed location layer.
#pragma once

namespace vek {

void pfavers_testing_reset();

}  // namespace vek
