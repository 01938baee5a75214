// Test hook: no hook bound, no instance names, no replaced model, the appinfo types of
// the neutral-data records unregistered.
#pragma once

namespace vek {

void pfainst_testing_reset();

}  // namespace vek
