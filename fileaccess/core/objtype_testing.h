// Test hook: the table's extensions and match types as built, the indexes unmade.
#pragma once

namespace vek {

void objtype_testing_reset();

}  // namespace vek
