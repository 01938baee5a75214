// Test hooks of the application and build information.
#pragma once

namespace vek {

// Puts the product identity, the platform, the stored date code ("2003100"), the
// version and display buffers and the appinfo types back to their start values. The
// types' array is forgotten, not freed.
void appinfo_testing_reset();

// Stores a date code as it stands (at most 7 characters): 1, else 0 and nothing changed.
int appinfo_testing_set_datecode(const char* code);
// The stored date code as vyn_get_datecode left it.
const char* appinfo_testing_stored_datecode();
// Number of registered appinfo types.
int appinfo_testing_type_count();

}  // namespace vek
