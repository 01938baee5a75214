// Test hook of the wide character classes.
#pragma once

namespace vek {

// Frees the C library's UTF-8 locale object; the next class test makes it again.
void wclass_testing_reset();

}  // namespace vek
