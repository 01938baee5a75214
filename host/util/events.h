// What happened in the host, in order, as a person reads it: models opened and saved,
// menu presses, dialogs shown and closed, messages displayed, script failures. yrlhost
// prints it; tests read it.
#pragma once

#include <string>
#include <vector>

namespace yrlhost {

void host_event(std::string text);
const std::vector<std::string>& host_events();
void events_testing_reset();

}  // namespace yrlhost
