// Test hooks of the dialog framework: the recorded lines and the user's actions.
#pragma once

#include <cstddef>

#include "platform/ui/framework.h"

namespace ui {

// The recorded lines so far, oldest first ("dialog 102 shown", "key esc", ...); index
// past the end gives null. The line is a copy that stays valid until this thread asks
// for another; other threads may record meanwhile.
std::size_t ui_testing_record_count();
const char* ui_testing_record(std::size_t index);

// Queues one user action (a script command, see framework.h) for the modal loop, from
// any thread. FALSE for an unknown command or a full queue.
bool ui_testing_post(const char* command);

// Takes script commands from text instead of YRL_UI_SCRIPT (null: the variable again).
// FALSE when the text holds an unknown command; nothing is queued then.
bool ui_testing_set_script(const char* text);

// Makes app the running application without running it (its resources and message map
// serve the dialogs), as run_app does before it calls the application's start-up.
void ui_testing_set_app(App* app);

// Forgets the records, the queue, the script and the hold, and the running application.
void ui_testing_reset();

}  // namespace ui
