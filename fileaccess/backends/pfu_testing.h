// Test hook of the portable file utilities: collection off, default permissions back.
#pragma once

namespace vek {

void pfu_testing_reset();

}  // namespace vek
