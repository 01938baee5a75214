// Test hook: forgets the local host's names read so far.
#pragma once

namespace vek {

void pfaops_testing_reset();

}  // namespace vek
