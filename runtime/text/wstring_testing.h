// Test hook: puts the wide string module's buffers and token position back to their
// start values (the ring's memory blocks are forgotten, not freed).
#pragma once

namespace vek {

void wstring_testing_reset();

}  // namespace vek
