// Test hooks of the system facts (sysinfo.h).
#pragma once

namespace vek {

// Forgets every fact found: the system record, the family, the host and user names.
void sysinfo_testing_reset();

}  // namespace vek
