// Test hooks of the directory-cache refresh.
#pragma once

namespace vek {

// How many refreshes were asked for since the last reset, and the name of the n-th
// (0: the first) of the last 16; null when it is not kept.
int pfa_dir_cache_testing_refresh_count();
const char* pfa_dir_cache_testing_refreshed(int n);

void pfa_dir_cache_testing_reset();

}  // namespace vek
