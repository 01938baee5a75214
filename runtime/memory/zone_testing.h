// Test hook: forgets the zone table (its memory goes with the memory chain's reset).
#pragma once

namespace vek {

void zone_testing_reset();

}  // namespace vek
