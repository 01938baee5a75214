// The menu bar, the commands of the plug-in and the scripted user's presses.
#include "host/ui/menus.h"

#include <filesystem>
#include <memory>

#include "host/api/host_behaviours.h"
#include "host/util/host_testing.h"
#include "host/ui/messages.h"
#include "host/script/script.h"
#include "host/util/utf16.h"
#include "platform/w32/path.h"

namespace yrlhost {

namespace {

struct Command {
  std::string name;
  VynCmdActionFunction action = nullptr;
  VynCmdAccessFunction access = nullptr;  // null: always available
  int priority = 0, flag1 = 0, flag2 = 0;
  std::string icon, label, help, description;
  std::string label_key, help_key, description_key;
  bool designated = false;
};

struct Entry {
  bool cascade = false;
  std::string name, label, help;
  const Command* command = nullptr;  // push buttons of the plug-in
  std::string label_key, help_key;
};

struct Menu {
  std::string name, parent, label;
  std::vector<Entry> entries;
};

struct MenuState {
  std::vector<Menu> menus;  // top menus first, then cascades in the order added
  std::vector<std::unique_ptr<Command>> commands;
};

MenuState start_state() {
  MenuState state;
  Menu utilities{"Utilities", "", "Utilities", {}};
  // The host's own buttons have their texts without message keys.
  utilities.entries.push_back(
      {false, "psh_util_holetable", "Hole Table", "Make a hole table", nullptr, "", ""});
  utilities.entries.push_back({false, "psh_util_auxapps", "Auxiliary Applications",
                               "Start or stop auxiliary applications", nullptr, "", ""});
  state.menus.push_back(std::move(utilities));
  return state;
}

MenuState& state() {
  static MenuState menus = start_state();
  return menus;
}

Menu* menu_find(const std::string& name) {
  for (Menu& menu : state().menus)
    if (menu.name == name) return &menu;
  return nullptr;
}

Command* command_find(VynCmd handle) {
  for (auto& command : state().commands)
    if (reinterpret_cast<VynCmd>(command.get()) == handle) return command.get();
  return nullptr;
}

Command* command_find(const std::string& name) {
  for (auto& command : state().commands)
    if (command->name == name) return command.get();
  return nullptr;
}

int entry_index(const Menu& menu, const std::string& name) {
  for (std::size_t i = 0; i < menu.entries.size(); ++i)
    if (menu.entries[i].name == name) return static_cast<int>(i);
  return -1;
}

// Where a new entry goes in menu: before or after its neighbour ("<menu>.<name>" or
// "<name>"), or first or last without one; -1 for an unknown neighbour.
int insert_position(const Menu& menu, std::string neighbour, int after) {
  if (neighbour.empty()) return after ? static_cast<int>(menu.entries.size()) : 0;
  std::string prefix = menu.name + ".";
  if (neighbour.compare(0, prefix.size(), prefix) == 0) neighbour.erase(0, prefix.size());
  int index = entry_index(menu, neighbour);
  if (index < 0) return -1;
  return after ? index + 1 : index;
}

// The texts of keys in the wide-named message file under dir; -2 or -4 when one cannot
// be had.
VynError texts_find(const char* dir, const VynWchar* msg_file,
                    std::initializer_list<std::pair<const char*, std::string*>> keys) {
  if (!msg_file || !dir) return VYN_TK_BAD_INPUTS;
  std::string file = utf8_from_utf16(msg_file, wide_text_limit);
  for (auto [key, text] : keys) {
    if (!key) return VYN_TK_BAD_INPUTS;
    VynError status = message_text_find(dir, file, key, *text);
    if (status != VYN_TK_NO_ERROR) return status;
  }
  return VYN_TK_NO_ERROR;
}

int access_state(const Command& command) {
  return command.access ? command.access() : command_available;
}

// Prints a copy of the menu: the access functions it asks are the plug-in's and may add
// menus and buttons, which moves the menus and entries.
void tree_print(Menu menu, int depth, std::string& text) {
  std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
  text += indent + "menu " + menu.name + " \"" + menu.label + "\"\n";
  for (const Entry& entry : menu.entries) {
    if (entry.cascade) {
      if (const Menu* cascade = menu_find(entry.name)) tree_print(*cascade, depth + 1, text);
      continue;
    }
    text += indent + "  button " + entry.name + " \"" + entry.label + "\"";
    if (entry.command)
      text += " -> " + entry.command->name + " [access " +
              std::to_string(access_state(*entry.command)) + "]";
    text += "\n";
  }
}

}  // namespace

void menu_press(const std::string& menu_name, const std::string& button) {
  std::string where = "menu " + menu_name + " / " + button;
  const Menu* menu = menu_find(menu_name);
  if (!menu) {
    script_fail(where + ": no menu \"" + menu_name + "\"");
    return;
  }
  int index = entry_index(*menu, button);
  if (index < 0) {
    script_fail(where + ": the menu has no button \"" + button + "\"");
    return;
  }
  const Entry& entry = menu->entries[static_cast<std::size_t>(index)];
  if (entry.cascade) {
    script_fail(where + ": a cascade menu, not a push button");
    return;
  }
  if (!entry.command) {
    script_fail(where + ": a button of the host's own, which runs nothing here");
    return;
  }
  const Command& command = *entry.command;
  int access = access_state(command);
  if (access != command_available) {
    script_fail(where + ": command " + command.name + " is not available (access state " +
                std::to_string(access) + ")");
    return;
  }
  command.action();
}

bool menu_exists(const std::string& menu) { return menu_find(menu) != nullptr; }

std::vector<MenuEntry> menu_entries(const std::string& menu_name) {
  std::vector<MenuEntry> entries;
  if (const Menu* menu = menu_find(menu_name)) {
    for (const Entry& entry : menu->entries) {
      MenuEntry shown{entry.cascade, entry.name, entry.label, entry.help, "",
                      entry.label_key, entry.help_key};
      if (entry.cascade) {
        if (const Menu* cascade = menu_find(entry.name)) shown.label = cascade->label;
      }
      if (entry.command) shown.command = entry.command->name;
      entries.push_back(shown);
    }
  }
  return entries;
}

std::string menu_parent(const std::string& menu) {
  const Menu* found = menu_find(menu);
  return found ? found->parent : std::string();
}

std::string menu_tree_text() {
  std::string text;
  std::vector<Menu> menus = state().menus;
  for (const Menu& menu : menus)
    if (menu.parent.empty()) tree_print(menu, 0, text);
  return text;
}

std::vector<CommandInfo> commands() {
  std::vector<CommandInfo> infos;
  for (const auto& command : state().commands)
    infos.push_back({command->name, command->priority, command->icon, command->label,
                     command->help, command->description, command->label_key,
                     command->help_key, command->description_key, command->designated});
  return infos;
}

std::optional<int> command_access(const std::string& name) {
  const Command* command = command_find(name);
  if (!command) return std::nullopt;
  return access_state(*command);
}

bool command_offered(const std::string& name) {
  return command_access(name) == command_available;
}

VynError Behaviour<HostApi::VynMenubarmenuMenuAdd>::run(int, const char* parent, const char* menu,
                                                        const char* label, const char* neighbor,
                                                        int after, const VynWchar* msg_file,
                                                        const char* dir) {
  if (!parent || !menu || !*menu || !label || !neighbor) return VYN_TK_BAD_INPUTS;
  Menu* parent_menu = menu_find(parent);
  if (!parent_menu) return VYN_TK_E_NOT_FOUND;
  if (menu_find(menu) || entry_index(*parent_menu, menu) >= 0) return VYN_TK_E_FOUND;
  int position = insert_position(*parent_menu, neighbor, after);
  if (position < 0) return VYN_TK_E_NOT_FOUND;
  std::string label_text;
  VynError status = texts_find(dir, msg_file, {{label, &label_text}});
  if (status != VYN_TK_NO_ERROR) return status;
  parent_menu->entries.insert(parent_menu->entries.begin() + position,
                              Entry{true, menu, label_text, "", nullptr, label, ""});
  state().menus.push_back(Menu{menu, parent, label_text, {}});
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynMenubarmenuPushbuttonAdd>::run(
    int, const char* menu, const char* button, const char* label, const char* help,
    const char* neighbor, int after, VynCmd command, const VynWchar* msg_file, const char* dir) {
  if (!menu || !button || !*button || !label || !help || !neighbor) return VYN_TK_BAD_INPUTS;
  Menu* target = menu_find(menu);
  const Command* found = command_find(command);
  if (!target || !found) return VYN_TK_E_NOT_FOUND;
  if (entry_index(*target, button) >= 0) return VYN_TK_E_FOUND;
  int position = insert_position(*target, neighbor, after);
  if (position < 0) return VYN_TK_E_NOT_FOUND;
  std::string label_text, help_text;
  VynError status = texts_find(dir, msg_file, {{label, &label_text}, {help, &help_text}});
  if (status != VYN_TK_NO_ERROR) return status;
  target->entries.insert(target->entries.begin() + position,
                         Entry{false, button, label_text, help_text, found, label, help});
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynCmdActionAdd>::run(int, const char* name,
                                                  VynCmdActionFunction action, int priority,
                                                  VynCmdAccessFunction access, int flag1,
                                                  int flag2, VynCmd* command) {
  if (!name || !*name || !action || !command) return VYN_TK_BAD_INPUTS;
  if (command_find(std::string(name))) return VYN_TK_E_FOUND;
  auto made = std::make_unique<Command>();
  made->name = name;
  made->action = action;
  made->access = access;
  made->priority = priority;
  made->flag1 = flag1;
  made->flag2 = flag2;
  *command = reinterpret_cast<VynCmd>(made.get());
  state().commands.push_back(std::move(made));
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynCmdIconSet>::run(int, VynCmd handle, const char* icon,
                                                const char* dir) {
  if (!icon || !dir) return VYN_TK_BAD_INPUTS;
  Command* command = command_find(handle);
  if (!command) return VYN_TK_E_NOT_FOUND;
  if (*icon) {
    // An icon is a picture "<icon>.png" in the resource directory.
    std::string name = std::string(dir) + "\\" + icon + ".png";
    char posix[w32::W32_PATH_CAPACITY];
    std::error_code error;
    if (!w32::w32_resolve_path_a(name.c_str(), posix, sizeof posix) ||
        !std::filesystem::is_regular_file(posix, error))
      return VYN_TK_E_NOT_FOUND;
  }
  command->icon = icon;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynCmdDesignate>::run(int, VynCmd handle, const char* label,
                                                  const char* help, const char* description,
                                                  const VynWchar* msg_file, const char* dir) {
  Command* command = command_find(handle);
  if (!command) return VYN_TK_E_NOT_FOUND;
  std::string label_text, help_text, description_text;
  VynError status = texts_find(
      dir, msg_file,
      {{label, &label_text}, {help, &help_text}, {description, &description_text}});
  if (status != VYN_TK_NO_ERROR) return status;
  command->label = label_text;
  command->help = help_text;
  command->description = description_text;
  command->label_key = label;
  command->help_key = help;
  command->description_key = description;
  command->designated = true;
  return VYN_TK_NO_ERROR;
}

void menus_testing_reset() { state() = start_state(); }

}  // namespace yrlhost
