// Test hooks of the directory cache.
#pragma once

namespace vek {

// How many refreshes were asked for since the last reset, and the name of the n-th
// (0: the first) of the last 16; null when it is not kept.
int pfa_dir_cache_testing_refresh_count();
const char* pfa_dir_cache_testing_refreshed(int n);

// An empty cache, automatic caching off, the maximum 256, no remote files counted.
void pfa_dir_cache_testing_reset();

}  // namespace vek
