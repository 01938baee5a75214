// Test hook: forgets every registered location type.
#pragma once

namespace vek {

void pfaloc_testing_reset();

}  // namespace vek
