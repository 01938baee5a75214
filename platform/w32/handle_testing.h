// Test hooks of the handle table.
#pragma once

namespace w32 {

// How many handles are open, of any kind.
int handle_testing_open_count();

// Closes every handle still open.
void handle_testing_reset();

}  // namespace w32
