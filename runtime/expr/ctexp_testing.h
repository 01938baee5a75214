// Test hook of the expression service: the parse function slot back to its load state.
#pragma once

namespace vek {
void ctexp_testing_reset();
// 1 once the slot has been set by a first use.
int ctexp_testing_parse_function_set();
}  // namespace vek
