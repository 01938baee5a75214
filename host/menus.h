// Menus and commands as the scripted user presses them.
#pragma once

#include <string>

namespace yrlhost {

// The user presses push button button of menu menu: the command's access function
// decides, and an available command's action runs. An unknown menu or button, or a
// command that is not available, is a script failure.
void menu_press(const std::string& menu, const std::string& button);

}  // namespace yrlhost
