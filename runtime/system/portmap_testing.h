// Test hooks of the port map (portmap.h).
#pragma once

namespace vek {

// Lets go of every mutex this process holds for its registrations.
void portmap_testing_reset();

}  // namespace vek
