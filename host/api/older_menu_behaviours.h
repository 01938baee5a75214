// The older menus (VynMenuFileRegister ... VynMenuProcess): the host functions with
// behaviour (see host/api/host_behaviours.h). A menu comes from a menu file; while
// VynMenuProcess runs it, the scripted user presses its buttons (a "menu MENU BUTTON"
// action) and each press runs the action set on the button, until an action deletes the
// menu (VynMenuDelete).
#pragma once

#include <string>
#include <vector>

#include "host/api/host_api.h"

namespace yrlhost {

#define YRL_OLDER_MENU_BEHAVIOUR(name, signature) \
  template <>                                     \
  struct Behaviour<HostApi::name> {               \
    static VynError run signature;                \
  };

// Words: the menu's name (narrow), the menu file's name (wide) and an int the menu's id
// goes to; the file is looked for in dir, the plug-in's menu directory. -2 for a missing
// name; -4 for a file that cannot be read. Registering a menu again reads its file again.
YRL_OLDER_MENU_BEHAVIOUR(VynMenuFileRegister,
                         (int context, VynWord menu, VynWord file, VynWord id, const char* dir))
// Sets the action of a button of a registered menu (the menu's own name is its exit
// button): -4 for an unknown menu or button.
YRL_OLDER_MENU_BEHAVIOUR(VynMenubuttonActionSet,
                         (int context, const char* menu, const char* button,
                          VynMenubuttonAction action, void* app_data, int app_int))
// Words: a type the host does not read, the menu's name and an int the menu's id goes
// to; -4 for a menu not registered.
YRL_OLDER_MENU_BEHAVIOUR(VynMenuCreate, (int context, VynWord type, VynWord menu, VynWord id))
// Runs a created menu until an action deletes it: 0, with the last action's answer in
// value. A press of another menu, any other action, or a script that runs dry is a
// script failure and ends the run with -3.
YRL_OLDER_MENU_BEHAVIOUR(VynMenuProcess, (int context, const char* menu, int* value))
// Deletes the menu that runs (ends its VynMenuProcess after the action); -4 when none runs.
YRL_OLDER_MENU_BEHAVIOUR(VynMenuDelete, (int context))

#undef YRL_OLDER_MENU_BEHAVIOUR

// The button names of a menu file's text: one a line, blanks and tabs around it not part
// of it; blank lines and lines whose first character past any blanks is '#' are skipped.
std::vector<std::string> older_menu_file_parse(const std::string& text);
// The buttons of a registered older menu in file order; empty for an unknown one.
std::vector<std::string> older_menu_buttons(const std::string& menu);

}  // namespace yrlhost
