// Test hook of the text-file comparison: closes a report file left open.
#pragma once

namespace vek {
void dbgcomp_testing_reset();
}  // namespace vek
