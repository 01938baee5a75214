// Test hook: puts the module's process-wide state back to its start values.
#pragma once

namespace vek {

// Forgets the language, the switches and the locale table (whose memory block the
// memory reset releases) and puts the C library's locale back to "C".
void lang_testing_reset();

}  // namespace vek
