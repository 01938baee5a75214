// UI dialogs: creation from layouts, activation with the scripted user inside, exit and
// destruction, and the snapshots that destroyed dialogs leave for tests.
#include <algorithm>
#include <memory>
#include <vector>

#include "host/util/host_arrays.h"
#include "host/api/host_behaviours.h"
#include "host/util/events.h"
#include "host/util/host_testing.h"
#include "host/script/script.h"
#include "host/ui/ui_model.h"
#include "host/util/utf16.h"
#include "platform/w32/codepage.h"

namespace yrlhost {
namespace {

// An open dialog and its activation.
struct OpenDialog {
  UiDialog dialog;
  bool active = false;
  bool exiting = false;  // VynUIDialogExit was called during the activation
  int exit_status = 0;
};

std::vector<std::unique_ptr<OpenDialog>>& open_dialogs() {
  static std::vector<std::unique_ptr<OpenDialog>> dialogs;
  return dialogs;
}

std::vector<std::string>& active_stack() {
  static std::vector<std::string> names;
  return names;
}

std::map<std::string, UiDialog>& snapshots() {
  static std::map<std::string, UiDialog> last;
  return last;
}

OpenDialog* open_find(const char* name) {
  if (!name) return nullptr;
  for (auto& open : open_dialogs())
    if (open->dialog.name == name) return open.get();
  return nullptr;
}

std::vector<char> modifiable(const std::string& text) {
  std::vector<char> copy(text.begin(), text.end());
  copy.push_back('\0');
  return copy;
}

void close_action_call(const std::string& dialog, const UiAction& close) {
  std::vector<char> name = modifiable(dialog);
  std::vector<char> none = modifiable("");
  close.action(name.data(), none.data(), close.app_data);
}

// The component an action names, when the user can reach it: known, of the kind, enabled
// and shown, inside containers that are shown, on the selected page of every tab it sits
// in. Otherwise a script failure and null.
UiComponent* reachable(UiDialog& dialog, const ScriptAction& action, UiKind kind) {
  std::string what = "\"" + script_action_text(action) + "\": ";
  UiComponent* component = ui::component_find(dialog, action.component);
  if (!component) {
    script_fail(what + "dialog \"" + dialog.name + "\" has no component \"" + action.component + "\"");
    return nullptr;
  }
  if (component->kind != kind) {
    script_fail(what + "\"" + action.component + "\" is a " + ui_kind_name(component->kind) +
                ", not a " + ui_kind_name(kind));
    return nullptr;
  }
  if (!component->enabled) {
    script_fail(what + "\"" + action.component + "\" is disabled");
    return nullptr;
  }
  // A hidden container hides what it holds; a disabled layout or table disables it too
  // (a disabled tab only keeps its page, so its pages' components stay usable).
  int depth = 0;
  for (UiComponent* c = component; c; c = c->parent.empty() ? nullptr : ui::component_find(dialog, c->parent)) {
    if (!c->shown || ++depth > 64) {
      script_fail(what + "\"" + c->name + "\" is hidden");
      return nullptr;
    }
    if (!c->enabled && (c->kind == UiKind::layout || c->kind == UiKind::table)) {
      script_fail(what + "\"" + c->name + "\" is disabled");
      return nullptr;
    }
    const UiComponent* tab = c->parent.empty() ? nullptr : ui::component_find(dialog, c->parent);
    if (tab && tab->kind == UiKind::tab &&
        std::find(tab->selected.begin(), tab->selected.end(), c->name) == tab->selected.end()) {
      script_fail(what + "page \"" + c->name + "\" of tab \"" + tab->name + "\" is not the selected page");
      return nullptr;
    }
  }
  return component;
}

bool known_items(const ScriptAction& action, const UiComponent& component,
                 const std::vector<std::string>& wanted) {
  for (const std::string& name : wanted) {
    if (std::find(component.names.begin(), component.names.end(), name) == component.names.end()) {
      script_fail("\"" + script_action_text(action) + "\": \"" + component.name + "\" has no item \"" +
                  name + "\"");
      return false;
    }
  }
  return true;
}

// A table cell the user selects: "row" (its first column) or "row:column".
bool table_cells(const ScriptAction& action, const UiComponent& table, std::vector<std::string>* pairs) {
  for (const std::string& cell : action.names) {
    std::size_t colon = cell.rfind(':');
    std::string row = colon == std::string::npos ? cell : cell.substr(0, colon);
    std::string column = colon == std::string::npos ? (table.names.empty() ? "" : table.names.front())
                                                    : cell.substr(colon + 1);
    bool row_known = std::find(table.rows.begin(), table.rows.end(), row) != table.rows.end();
    bool column_known = std::find(table.names.begin(), table.names.end(), column) != table.names.end();
    if (!row_known || !column_known) {
      script_fail("\"" + script_action_text(action) + "\": table \"" + table.name + "\" has no cell \"" +
                  row + ":" + column + "\"");
      return false;
    }
    pairs->push_back(row);
    pairs->push_back(column);
  }
  return true;
}

// Takes one of the user's actions inside the activation of dialog: changes the
// component's state as the user would and calls its action for the event.
void take_action(OpenDialog& open, const ScriptAction& action) {
  UiDialog& dialog = open.dialog;
  std::string what = "\"" + script_action_text(action) + "\"";
  switch (action.kind) {
    case ScriptActionKind::check:
      if (action.run) action.run();
      return;
    case ScriptActionKind::menu_press:
      script_fail(what + ": a menu cannot be used while dialog \"" + dialog.name + "\" is open");
      return;
    case ScriptActionKind::pick:
    case ScriptActionKind::pick_abort:
    case ScriptActionKind::mouse_pick:
    case ScriptActionKind::mouse_box:
      script_fail(what + ": dialog \"" + dialog.name + "\" waits for the user, not for a pick");
      return;
    default:
      break;
  }
  if (action.dialog != dialog.name) {
    script_fail(what + ": the active dialog is \"" + dialog.name + "\"");
    return;
  }
  if (action.kind == ScriptActionKind::close_box) {
    if (!dialog.close.action) {
      script_fail(what + ": dialog \"" + dialog.name + "\" has no close action");
      return;
    }
    close_action_call(dialog.name, dialog.close);
    return;
  }
  static const std::map<ScriptActionKind, UiKind> kinds = {
      {ScriptActionKind::button_press, UiKind::pushbutton},
      {ScriptActionKind::check_toggle, UiKind::checkbutton},
      {ScriptActionKind::radio_choose, UiKind::radiogroup},
      {ScriptActionKind::option_choose, UiKind::optionmenu},
      {ScriptActionKind::tab_choose, UiKind::tab},
      {ScriptActionKind::list_select, UiKind::list},
      {ScriptActionKind::table_select, UiKind::table},
  };
  UiKind kind = UiKind::inputpanel;
  if (action.kind != ScriptActionKind::input_type) {
    kind = kinds.at(action.kind);
  } else if (UiComponent* typed = ui::component_find(dialog, action.component);
             typed && typed->kind == UiKind::optionmenu) {
    kind = UiKind::optionmenu;  // an editable option menu takes typed text too
  }
  UiComponent* component = reachable(dialog, action, kind);
  if (!component) return;
  UiEvent event = UiEvent::select;
  switch (action.kind) {
    case ScriptActionKind::button_press:
      event = UiEvent::activate;
      break;
    case ScriptActionKind::check_toggle:
      component->checked = !component->checked;
      event = UiEvent::activate;
      break;
    case ScriptActionKind::radio_choose:
    case ScriptActionKind::option_choose:
    case ScriptActionKind::tab_choose: {
      if (!known_items(action, *component, {action.name})) return;
      component->selected = {action.name};
      if (kind == UiKind::optionmenu) {
        auto at = std::find(component->names.begin(), component->names.end(), action.name);
        component->value = component->labels[static_cast<std::size_t>(at - component->names.begin())];
      }
      break;
    }
    case ScriptActionKind::list_select:
      if (!known_items(action, *component, action.names)) return;
      if (action.names.size() > 1 && !ui_list_policy_takes_many(component->selection_policy)) {
        script_fail(what + ": list \"" + component->name + "\" takes one name at a time (policy " +
                    std::to_string(component->selection_policy) + ")");
        return;
      }
      component->selected = action.names;
      break;
    case ScriptActionKind::table_select: {
      std::vector<std::string> pairs;
      if (!table_cells(action, *component, &pairs)) return;
      component->selected = pairs;
      if (!pairs.empty()) {
        component->focus_row = pairs[pairs.size() - 2];
        component->focus_column = pairs.back();
      }
      break;
    }
    case ScriptActionKind::input_type:
      if (!component->editable) {
        script_fail(what + ": \"" + component->name + "\" is read-only");
        return;
      }
      component->value = action.text;
      // A value typed into an option menu stands instead of a chosen entry.
      if (component->kind == UiKind::optionmenu) component->selected.clear();
      if (action.event == InputEvent::none) return;
      event = action.event == InputEvent::activate ? UiEvent::activate : UiEvent::focus_out;
      break;
    default:
      return;
  }
  ui::action_call(dialog.name, component->name, event);
}

}  // namespace

namespace ui {

UiDialog* dialog_find(const char* name) {
  OpenDialog* open = open_find(name);
  return open ? &open->dialog : nullptr;
}

UiComponent* component_find(UiDialog& dialog, const std::string& name) {
  for (UiComponent& component : dialog.components)
    if (component.name == name) return &component;
  return nullptr;
}

Target target(const char* dialog, const char* component, UiKind kind) {
  Target found;
  if (!dialog || !component) {
    found.status = VYN_TK_BAD_INPUTS;
    return found;
  }
  found.dialog = dialog_find(dialog);
  found.component = found.dialog ? component_find(*found.dialog, component) : nullptr;
  if (!found.component) {
    found.status = VYN_TK_E_NOT_FOUND;
  } else if (found.component->kind != kind) {
    found.status = VYN_TK_BAD_INPUTS;
    found.component = nullptr;
  }
  return found;
}

void action_call(const std::string& dialog, const std::string& component, UiEvent event) {
  UiDialog* open = dialog_find(dialog.c_str());
  UiComponent* target = open ? component_find(*open, component) : nullptr;
  if (!target) return;
  UiAction action = target->actions[static_cast<int>(event)];
  if (!action.action) return;
  std::vector<char> dialog_name = modifiable(dialog);
  std::vector<char> component_name = modifiable(component);
  action.action(dialog_name.data(), component_name.data(), action.app_data);
}

VynError names_read(int count, VynArray array, bool wide, std::vector<std::string>* out) {
  if (count < 0) return VYN_TK_BAD_INPUTS;
  if (count == 0) {
    out->clear();
    return VYN_TK_NO_ERROR;
  }
  if (!host_array_is(array) || count > host_array_size(array)) return VYN_TK_BAD_INPUTS;
  std::vector<std::string> texts = wide ? host_wstring_vynarray_read(array) : host_string_vynarray_read(array);
  if (texts.size() < static_cast<std::size_t>(count)) return VYN_TK_BAD_INPUTS;
  texts.resize(static_cast<std::size_t>(count));
  *out = std::move(texts);
  return VYN_TK_NO_ERROR;
}

}  // namespace ui

// ---- The host functions ---------------------------------------------------------------

VynError Behaviour<HostApi::VynUIDialogCreate>::run(int, const char* dialog, const char* layout,
                                                    const char* dir) {
  if (!dialog || !*dialog || !layout) return VYN_TK_BAD_INPUTS;
  if (open_find(dialog)) return VYN_TK_E_FOUND;
  UiLayout loaded;
  VynError status = ui::layout_load(layout, dir, &loaded);
  if (status != VYN_TK_NO_ERROR) return status;
  auto open = std::make_unique<OpenDialog>();
  open->dialog.name = dialog;
  open->dialog.layout = loaded.name;
  open->dialog.title = loaded.title;
  open->dialog.components = loaded.components;
  open_dialogs().push_back(std::move(open));
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynUIDialogDestroy>::run(int, const char* dialog) {
  OpenDialog* open = open_find(dialog);
  if (!open) return dialog ? VYN_TK_E_NOT_FOUND : VYN_TK_BAD_INPUTS;
  // The activation still runs on this dialog; it ends through VynUIDialogExit first.
  if (open->active) return VYN_TK_GENERAL_ERROR;
  snapshots()[open->dialog.name] = open->dialog;
  auto& dialogs = open_dialogs();
  dialogs.erase(std::find_if(dialogs.begin(), dialogs.end(), [&](const auto& d) { return d.get() == open; }));
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynUIDialogActivate>::run(int, const char* dialog, int* status) {
  if (!dialog || !status) return VYN_TK_BAD_INPUTS;
  OpenDialog* open = open_find(dialog);
  if (!open) return VYN_TK_E_NOT_FOUND;
  if (open->active) return VYN_TK_GENERAL_ERROR;
  std::string name = open->dialog.name;
  open->active = true;
  open->exiting = false;
  active_stack().push_back(name);
  host_event("dialog " + name + " shown");
  bool closed_by_host = false;
  // The dialog cannot be destroyed while active, so open stays valid across the actions.
  while (!open->exiting) {
    if (script_empty()) {
      if (!closed_by_host) {
        script_fail("the script ran dry while dialog \"" + name + "\" waits for the user");
        closed_by_host = true;
        // As if the user closed the window; a dialog that still stays open is ended.
        if (open->dialog.close.action) {
          close_action_call(name, open->dialog.close);
          continue;
        }
      }
      open->exiting = true;
      open->exit_status = VYN_TK_USER_ABORT;
      break;
    }
    take_action(*open, script_pop());
  }
  active_stack().pop_back();
  open->active = false;
  open->exiting = false;
  *status = open->exit_status;
  host_event("dialog " + name + " closed with status " + std::to_string(*status));
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynUIDialogExit>::run(int, const char* dialog, int status) {
  OpenDialog* open = open_find(dialog);
  if (!open) return dialog ? VYN_TK_E_NOT_FOUND : VYN_TK_BAD_INPUTS;
  if (!open->active) return VYN_TK_GENERAL_ERROR;
  open->exiting = true;
  open->exit_status = status;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynUIDialogCloseActionSet>::run(int, const char* dialog, VynUIAction action,
                                                            void* app_data) {
  UiDialog* open = ui::dialog_find(dialog);
  if (!open) return dialog ? VYN_TK_E_NOT_FOUND : VYN_TK_BAD_INPUTS;
  open->close = UiAction{action, app_data};
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynUIDialogDefaultbuttonSet>::run(int, const char* dialog, const char* component) {
  ui::Target found = ui::target(dialog, component, UiKind::pushbutton);
  if (found.status != VYN_TK_NO_ERROR) return found.status;
  found.dialog->default_button = component;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynUIDialogTitleSet>::run(int, const char* dialog, const VynWchar* title) {
  UiDialog* open = ui::dialog_find(dialog);
  if (!open) return dialog ? VYN_TK_E_NOT_FOUND : VYN_TK_BAD_INPUTS;
  if (!title) return VYN_TK_BAD_INPUTS;
  open->title = utf8_from_utf16(title, wide_text_limit);
  return VYN_TK_NO_ERROR;
}

// ---- The host's view ------------------------------------------------------------------

bool ui_dialog_is_open(const std::string& dialog) { return open_find(dialog.c_str()) != nullptr; }

std::vector<std::string> ui_open_dialogs() {
  std::vector<std::string> names;
  for (const auto& open : open_dialogs()) names.push_back(open->dialog.name);
  return names;
}

std::vector<std::string> ui_active_dialogs() { return active_stack(); }

std::optional<UiDialog> ui_dialog(const std::string& dialog) {
  const UiDialog* open = ui::dialog_find(dialog.c_str());
  if (!open) return std::nullopt;
  return *open;
}

std::optional<UiDialog> ui_dialog_snapshot(const std::string& dialog) {
  auto found = snapshots().find(dialog);
  if (found == snapshots().end()) return std::nullopt;
  return found->second;
}

namespace {

std::optional<UiComponent> component_of(const std::optional<UiDialog>& dialog, const std::string& name) {
  if (!dialog) return std::nullopt;
  for (const UiComponent& component : dialog->components)
    if (component.name == name) return component;
  return std::nullopt;
}

}  // namespace

std::optional<UiComponent> ui_component(const std::string& dialog, const std::string& component) {
  return component_of(ui_dialog(dialog), component);
}

std::optional<UiComponent> ui_component_snapshot(const std::string& dialog, const std::string& component) {
  return component_of(ui_dialog_snapshot(dialog), component);
}

void ui_testing_reset() {
  open_dialogs().clear();
  active_stack().clear();
  snapshots().clear();
  ui::layouts_reset();
  ui::components_reset();
}

}  // namespace yrlhost
