// Test hook: forgets the regression product name.
#pragma once

namespace vek {

void fnversion_testing_reset();

}  // namespace vek
