// Test hook: puts the module's process-wide state back to its start values.
#pragma once

namespace vek {

// Forgets the language, the switches and the locale table (whose memory block the
// memory reset releases) and puts the C library's locale back to "C".
void lang_testing_reset();

// The locale table's rows in order: their number (0 before the table is built), and the
// name and id of row i.
int lang_testing_locale_count();
const char* lang_testing_locale_row(int i, int* id);

}  // namespace vek
