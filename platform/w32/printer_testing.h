// Test hooks of the printers (printer.h).
#pragma once

namespace w32 {

// Spools into folder (which must exist) instead of the folder the environment chooses;
// null goes back to that. false when the name is too long.
bool printer_testing_set_spool_folder(const char* folder);

}  // namespace w32
