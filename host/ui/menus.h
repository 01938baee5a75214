// Menus and commands as the scripted user presses them.
//
// The host starts with its own menu bar: the menu "Utilities" with its push buttons
// "psh_util_holetable" and "psh_util_auxapps", which run nothing of the plug-in. The
// plug-in adds cascade menus under a menu and push buttons to a menu, each placed before
// or after a neighbour of that menu (a push button or a cascade menu, named plainly or
// as "<menu>.<name>"); no neighbour ("") puts it first (before) or last (after). Labels
// and help texts are looked up in the message file the call names, and a missing file
// or key refuses the call (-4), so that a menu never shows a key in place of its text.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace yrlhost {

// The user presses push button button of menu menu: the command's access function
// decides, and an available command's action runs. An unknown menu or button, or a
// command that is not available, is a script failure.
void menu_press(const std::string& menu, const std::string& button);

// The access state that makes a command available.
inline constexpr int command_available = 3;

// One entry of a menu, in menu order.
struct MenuEntry {
  bool cascade = false;  // a cascade menu; else a push button
  std::string name;
  std::string label;     // the label's text
  std::string help;      // a push button's help text
  std::string command;   // a push button's command name; "" for the host's own buttons
  std::string label_key, help_key;  // the message keys the texts were found by
};

bool menu_exists(const std::string& menu);
// The entries of a menu in order; empty for an unknown menu.
std::vector<MenuEntry> menu_entries(const std::string& menu);
// The menu a cascade menu stands in; "" for a top menu or an unknown one.
std::string menu_parent(const std::string& menu);
// The menu bar as indented text: one line per menu ("menu NAME \"LABEL\"") and push
// button ("button NAME \"LABEL\" -> COMMAND [access N]"), with each command's access
// state asked now.
std::string menu_tree_text();

// A command that VynCmdActionAdd registered.
struct CommandInfo {
  std::string name;
  int priority = 0;
  std::string icon;         // as VynCmdIconSet named it; "" for none
  std::string label, help, description;  // texts from VynCmdDesignate; "" before it
  std::string label_key, help_key, description_key;  // the keys VynCmdDesignate was given
  bool designated = false;
};

std::vector<CommandInfo> commands();
// The command's access state, asked of its access function now (a command registered
// without one is always available); nullopt for an unknown command.
std::optional<int> command_access(const std::string& command);
// Whether the command is offered now (its access state is command_available).
bool command_offered(const std::string& command);

}  // namespace yrlhost
