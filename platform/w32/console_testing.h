// Test hooks of the consoles and windows (console.h).
#pragma once

#include "platform/w32/types.h"

namespace w32 {

// Adds a visible top-level window made by thread_id of this process; its handle.
HWND console_testing_add_window(DWORD thread_id);
// The last command ShowWindow was given for window, -1 when none.
int console_testing_last_show(HWND window);
// Whether the process has a console now.
bool console_testing_has_console();
// No console, no window, the standard handles as at start.
void console_testing_reset();

}  // namespace w32
