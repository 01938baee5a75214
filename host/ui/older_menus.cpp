// The older menus: registered from menu files, run by the scripted user.
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "host/api/host_behaviours.h"
#include "host/util/host_testing.h"
#include "host/api/older_menu_behaviours.h"
#include "host/script/script.h"
#include "host/util/text_read.h"
#include "host/util/utf16.h"
#include "platform/w32/path.h"

namespace yrlhost {
namespace {

struct ButtonAction {
  VynMenubuttonAction action = nullptr;
  void* app_data = nullptr;
  int app_int = 0;
};

struct OlderMenu {
  int id = 0;
  std::vector<std::string> buttons;  // the file's, then the menu's own exit button
  std::map<std::string, ButtonAction> actions;
  bool created = false;
};

struct OlderMenuState {
  std::map<std::string, OlderMenu> menus;
  int next_id = 1;
  std::vector<std::string> running;  // the menus VynMenuProcess runs, innermost last
  bool deleted = false;              // the innermost running menu was deleted
};

OlderMenuState& state() {
  static OlderMenuState menus;
  return menus;
}

OlderMenu* menu_find(const char* name) {
  if (!name) return nullptr;
  auto it = state().menus.find(name);
  return it == state().menus.end() ? nullptr : &it->second;
}

bool has_button(const OlderMenu& menu, const std::string& button) {
  for (const std::string& name : menu.buttons)
    if (name == button) return true;
  return false;
}

}  // namespace

std::vector<std::string> older_menu_file_parse(const std::string& text) {
  std::vector<std::string> buttons;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos || line[first] == '#') continue;
    std::size_t last = line.find_last_not_of(" \t\r");
    buttons.push_back(line.substr(first, last - first + 1));
  }
  return buttons;
}

std::vector<std::string> older_menu_buttons(const std::string& menu) {
  const OlderMenu* found = menu_find(menu.c_str());
  return found ? found->buttons : std::vector<std::string>{};
}

void older_menus_testing_reset() { state() = OlderMenuState{}; }

VynError Behaviour<HostApi::VynMenuFileRegister>::run(int, VynWord menu_word, VynWord file_word,
                                                      VynWord id_word, const char* dir) {
  const char* menu = reinterpret_cast<const char*>(menu_word);
  const VynWchar* file = reinterpret_cast<const VynWchar*>(file_word);
  std::string file_name = file ? utf8_from_utf16(file, wide_text_limit) : "";
  if (!menu || !*menu || file_name.empty()) return VYN_TK_BAD_INPUTS;
  std::string name = std::string(dir ? dir : "") + "\\" + file_name;
  char posix[w32::W32_PATH_CAPACITY];
  std::string text;
  if (!w32::w32_resolve_path_a(name.c_str(), posix, sizeof posix) || !file_text_read(posix, text))
    return VYN_TK_E_NOT_FOUND;
  OlderMenu& registered = state().menus[menu];
  if (registered.id == 0) registered.id = state().next_id++;
  registered.buttons = older_menu_file_parse(text);
  registered.buttons.push_back(menu);
  if (int* id = reinterpret_cast<int*>(id_word)) *id = registered.id;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynMenubuttonActionSet>::run(int, const char* menu, const char* button,
                                                         VynMenubuttonAction action, void* app_data,
                                                         int app_int) {
  OlderMenu* registered = menu_find(menu);
  if (!registered || !button || !has_button(*registered, button)) return VYN_TK_E_NOT_FOUND;
  registered->actions[button] = ButtonAction{action, app_data, app_int};
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynMenuCreate>::run(int, VynWord, VynWord menu_word, VynWord id_word) {
  OlderMenu* registered = menu_find(reinterpret_cast<const char*>(menu_word));
  if (!registered) return VYN_TK_E_NOT_FOUND;
  registered->created = true;
  if (int* id = reinterpret_cast<int*>(id_word)) *id = registered->id;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynMenuProcess>::run(int, const char* menu, int* value) {
  OlderMenu* registered = menu_find(menu);
  if (!registered || !registered->created) return VYN_TK_E_NOT_FOUND;
  std::string name = menu;
  state().running.push_back(name);
  state().deleted = false;
  VynError status = VYN_TK_NO_ERROR;
  while (!state().deleted) {
    const ScriptAction* next = script_next_for("menu " + name);
    if (!next) {
      status = VYN_TK_USER_ABORT;
      break;
    }
    if (next->kind != ScriptActionKind::menu_press || next->component != name) {
      script_fail("menu " + name + " runs, but the script has " + script_action_text(*next));
      status = VYN_TK_USER_ABORT;
      break;
    }
    ScriptAction press = script_pop();
    // The menu may be registered again by an action: look it up at each press.
    OlderMenu* current = menu_find(name.c_str());
    if (!current || !has_button(*current, press.name)) {
      script_fail("menu " + name + " has no button \"" + press.name + "\"");
      continue;
    }
    auto action = current->actions.find(press.name);
    if (action == current->actions.end() || !action->second.action) continue;
    int answer = action->second.action(action->second.app_data, action->second.app_int);
    if (value) *value = answer;
  }
  state().running.pop_back();
  state().deleted = false;
  return status;
}

VynError Behaviour<HostApi::VynMenuDelete>::run(int) {
  if (state().running.empty()) return VYN_TK_E_NOT_FOUND;
  state().deleted = true;
  return VYN_TK_NO_ERROR;
}

}  // namespace yrlhost
