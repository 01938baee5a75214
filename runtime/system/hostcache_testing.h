// Test hooks of the host cache (hostcache.h).
#pragma once

namespace vek {

// Releases every cached entry and forgets the last name, the switch and the socket start.
void hostcache_testing_reset();
// How many entries are in use.
int hostcache_testing_entries();

}  // namespace vek
