// Test hook of the directory-validity state (ntdircache.h).
#pragma once

namespace vek {

// Mode 2, no drive records or server offsets, the debug switch read again.
void ntdircache_testing_reset();

}  // namespace vek
