// Test hook of the text conversion.
#pragma once

namespace vek {

// Clears the Japanese conversion flag and forgets the code-page-932 duplicate table and
// the itowstr buffer.
void wide_testing_reset();

}  // namespace vek
