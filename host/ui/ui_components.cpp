// UI components: the host functions that set and read one component of a dialog.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

#include "host/util/host_arrays.h"
#include "host/api/host_behaviours.h"
#include "host/util/text_read.h"
#include "host/ui/ui_model.h"
#include "host/util/utf16.h"

namespace yrlhost {
namespace {

const char* word_text(VynWord word) { return reinterpret_cast<const char*>(word); }

enum class Switch { enable, disable, show, hide, editable, read_only, set, unset };
enum class Query { is_enabled, is_visible, integer };

VynError switch_run(UiKind kind, Switch op, const char* dialog, const char* component) {
  ui::Target found = ui::target(dialog, component, kind);
  if (found.status != VYN_TK_NO_ERROR) return found.status;
  UiComponent& c = *found.component;
  switch (op) {
    case Switch::enable: c.enabled = true; break;
    case Switch::disable: c.enabled = false; break;
    case Switch::show: c.shown = true; break;
    case Switch::hide: c.shown = false; break;
    case Switch::editable: c.editable = true; break;
    case Switch::read_only: c.editable = false; break;
    case Switch::set: c.checked = true; break;
    case Switch::unset: c.checked = false; break;
  }
  return VYN_TK_NO_ERROR;
}

VynError action_run(UiKind kind, UiEvent event, const char* dialog, const char* component,
                    VynUIAction action, void* app_data) {
  ui::Target found = ui::target(dialog, component, kind);
  if (found.status != VYN_TK_NO_ERROR) return found.status;
  found.component->actions[static_cast<int>(event)] = UiAction{action, app_data};
  return VYN_TK_NO_ERROR;
}

VynError number_run(UiKind kind, int UiComponent::*field, const char* dialog, const char* component,
                    int value) {
  ui::Target found = ui::target(dialog, component, kind);
  if (found.status != VYN_TK_NO_ERROR) return found.status;
  // Counts, types and policies are never negative; a plain integer value may be.
  if (value < 0 && field != &UiComponent::integer) return VYN_TK_BAD_INPUTS;
  UiComponent& c = *found.component;
  if (kind == UiKind::list && field == &UiComponent::selection_policy) {
    if (value > ui_list_policy_extended) return VYN_TK_BAD_INPUTS;
    // A list that now takes one name at a time keeps the first of its selected names.
    if (!ui_list_policy_takes_many(value) && c.selected.size() > 1) c.selected.resize(1);
  }
  c.*field = value;
  return VYN_TK_NO_ERROR;
}

VynError query_run(UiKind kind, Query question, const char* dialog, const char* component, int* answer) {
  ui::Target found = ui::target(dialog, component, kind);
  if (found.status != VYN_TK_NO_ERROR) return found.status;
  if (!answer) return VYN_TK_BAD_INPUTS;
  const UiComponent& c = *found.component;
  *answer = question == Query::is_enabled ? c.enabled : question == Query::is_visible ? c.shown : c.integer;
  return VYN_TK_NO_ERROR;
}

VynError text_run(UiKind kind, const char* dialog, const char* component, const VynWchar* text) {
  ui::Target found = ui::target(dialog, component, kind);
  if (found.status != VYN_TK_NO_ERROR) return found.status;
  if (!text) return VYN_TK_BAD_INPUTS;
  found.component->text = utf8_from_utf16(text, wide_text_limit);
  return VYN_TK_NO_ERROR;
}

enum class Items { names, labels, selected };

// Sets the names, labels or selected names of a component's items from the plug-in's
// array. New names drop the labels and the selected names that no longer fit them;
// selected names must be among the names.
VynError items_run(UiKind kind, Items what, const char* dialog, const char* component, int count,
                   VynArray array) {
  ui::Target found = ui::target(dialog, component, kind);
  if (found.status != VYN_TK_NO_ERROR) return found.status;
  std::vector<std::string> texts;
  VynError status = ui::names_read(count, array, what == Items::labels, &texts);
  if (status != VYN_TK_NO_ERROR) return status;
  UiComponent& c = *found.component;
  auto known = [&](const std::string& name) {
    return std::find(c.names.begin(), c.names.end(), name) != c.names.end();
  };
  switch (what) {
    case Items::labels:
      texts.resize(c.names.size());
      for (std::size_t i = static_cast<std::size_t>(count); i < texts.size(); ++i) texts[i] = c.names[i];
      c.labels = std::move(texts);
      break;
    case Items::names:
      c.names = std::move(texts);
      c.labels = c.names;
      std::erase_if(c.selected, [&](const std::string& name) { return !known(name); });
      break;
    case Items::selected:
      if (!std::all_of(texts.begin(), texts.end(), known)) return VYN_TK_E_NOT_FOUND;
      if (kind == UiKind::list && texts.size() > 1 && !ui_list_policy_takes_many(c.selection_policy))
        return VYN_TK_BAD_INPUTS;
      c.selected = std::move(texts);
      break;
  }
  // An option menu, radio group or tab always has one of its items chosen (the first
  // unless another is); an option menu shows the chosen entry's label as its value.
  bool one_chosen = kind == UiKind::optionmenu || kind == UiKind::radiogroup || kind == UiKind::tab;
  if (one_chosen && !c.names.empty() && c.selected.empty()) c.selected = {c.names.front()};
  if (kind == UiKind::optionmenu && !c.selected.empty()) {
    auto at = std::find(c.names.begin(), c.names.end(), c.selected.front());
    c.value = c.labels[static_cast<std::size_t>(at - c.names.begin())];
  }
  return VYN_TK_NO_ERROR;
}

// Hands a string list out as a char** the plug-in frees with VynStringarrayFree.
VynError string_array_out(const std::vector<std::string>& texts, int* count, char*** out) {
  if (!count || !out) return VYN_TK_BAD_INPUTS;
  char** made = host_string_array_make(texts);
  if (!made && !texts.empty()) return VYN_TK_GENERAL_ERROR;
  *out = made;
  *count = static_cast<int>(texts.size());
  return VYN_TK_NO_ERROR;
}

// Hands a string list out as a VynArray the plug-in frees with VynStringvynarrayFree.
VynError vynarray_out(const std::vector<std::string>& texts, int* count, VynArray* out) {
  if (!count || !out) return VYN_TK_BAD_INPUTS;
  VynArray made = host_string_vynarray_make(texts);
  if (!made) return VYN_TK_GENERAL_ERROR;
  *out = made;
  *count = static_cast<int>(texts.size());
  return VYN_TK_NO_ERROR;
}

std::string double_text(double value, int digits) {
  char text[64];
  if (digits >= 0) {
    std::snprintf(text, sizeof text, "%.*f", std::min(digits, 30), value);
    return text;
  }
  auto end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(text, end);
}

// The wide values handed out by VynUIOptionmenuValueGet: the host keeps each until the
// next call for the same component (or the host's reset); the plug-in never frees it.
std::map<std::pair<std::string, std::string>, std::u16string>& option_values() {
  static std::map<std::pair<std::string, std::string>, std::u16string> values;
  return values;
}

bool has(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// A table and, when row and column are given, one of its cells; -4 for an unknown one.
struct TableCell {
  VynError status;
  UiDialog* dialog;
  UiComponent* table;
};

TableCell table_cell(const char* dialog, const char* table, const char* row, const char* column) {
  ui::Target found = ui::target(dialog, table, UiKind::table);
  if (found.status != VYN_TK_NO_ERROR) return {found.status, nullptr, nullptr};
  if (!row || !column) return {VYN_TK_BAD_INPUTS, nullptr, nullptr};
  if (!has(found.component->rows, row) || !has(found.component->names, column))
    return {VYN_TK_E_NOT_FOUND, nullptr, nullptr};
  return {VYN_TK_NO_ERROR, found.dialog, found.component};
}

void component_erase(UiDialog& dialog, const std::string& name) {
  std::erase_if(dialog.components, [&](const UiComponent& c) { return c.name == name; });
}

}  // namespace

namespace ui {

void components_reset() { option_values().clear(); }

}  // namespace ui

// ---- The rows from the tables ---------------------------------------------------------

#define YRL_UI_DEFINE_SWITCH(row, kind, op)                                                       \
  VynError Behaviour<HostApi::row>::run(int, const char* dialog, const char* component) {        \
    return switch_run(UiKind::kind, Switch::op, dialog, component);                              \
  }
#define YRL_UI_DEFINE_SWITCH_WORDS(row, kind, op)                                                 \
  VynError Behaviour<HostApi::row>::run(int, VynWord dialog, VynWord component) {                \
    return switch_run(UiKind::kind, Switch::op, word_text(dialog), word_text(component));        \
  }
#define YRL_UI_DEFINE_ACTION(row, kind, event)                                                    \
  VynError Behaviour<HostApi::row>::run(int, const char* dialog, const char* component,          \
                                        VynUIAction action, void* app_data) {                    \
    return action_run(UiKind::kind, UiEvent::event, dialog, component, action, app_data);        \
  }
#define YRL_UI_DEFINE_ACTION_WORDS(row, kind, event)                                              \
  VynError Behaviour<HostApi::row>::run(int, VynWord dialog, VynWord component, VynWord action,  \
                                        VynWord app_data) {                                      \
    return action_run(UiKind::kind, UiEvent::event, word_text(dialog), word_text(component),     \
                      reinterpret_cast<VynUIAction>(action), reinterpret_cast<void*>(app_data)); \
  }
#define YRL_UI_DEFINE_NUMBER(row, kind, field)                                                    \
  VynError Behaviour<HostApi::row>::run(int, const char* dialog, const char* component,          \
                                        int value) {                                             \
    return number_run(UiKind::kind, &UiComponent::field, dialog, component, value);              \
  }
#define YRL_UI_DEFINE_NUMBER_WORDS(row, kind, field)                                              \
  VynError Behaviour<HostApi::row>::run(int, VynWord dialog, VynWord component, VynWord value) { \
    return number_run(UiKind::kind, &UiComponent::field, word_text(dialog), word_text(component), \
                      static_cast<int>(value));                                                  \
  }
#define YRL_UI_DEFINE_QUERY_WORDS(row, kind, question)                                            \
  VynError Behaviour<HostApi::row>::run(int, VynWord dialog, VynWord component, VynWord answer) { \
    return query_run(UiKind::kind, Query::question, word_text(dialog), word_text(component),     \
                     reinterpret_cast<int*>(answer));                                            \
  }
#define YRL_UI_DEFINE_TEXT(row, kind)                                                             \
  VynError Behaviour<HostApi::row>::run(int, const char* dialog, const char* component,          \
                                        const VynWchar* text) {                                  \
    return text_run(UiKind::kind, dialog, component, text);                                      \
  }
#define YRL_UI_DEFINE_ITEMS(row, kind, what)                                                      \
  VynError Behaviour<HostApi::row>::run(int, const char* dialog, const char* component,          \
                                        int count, VynArray names) {                             \
    return items_run(UiKind::kind, Items::what, dialog, component, count, names);                \
  }
#define YRL_UI_DEFINE_ITEMS_WORDS(row, kind, what)                                                \
  VynError Behaviour<HostApi::row>::run(int, VynWord dialog, VynWord component, VynWord count,   \
                                        VynWord names) {                                         \
    return items_run(UiKind::kind, Items::what, word_text(dialog), word_text(component),         \
                     static_cast<int>(count), reinterpret_cast<VynArray>(names));                \
  }
#define YRL_UI_DEFINE_SELECTED(row, kind)                                                         \
  VynError Behaviour<HostApi::row>::run(int, const char* dialog, const char* component,          \
                                        int* count, char*** names) {                             \
    ui::Target found = ui::target(dialog, component, UiKind::kind);                              \
    if (found.status != VYN_TK_NO_ERROR) return found.status;                                    \
    return string_array_out(found.component->selected, count, names);                            \
  }
#define YRL_UI_DEFINE_SELECTED_ARRAY(row, kind)                                                   \
  VynError Behaviour<HostApi::row>::run(int, const char* dialog, const char* component,          \
                                        int* count, VynArray* names) {                           \
    ui::Target found = ui::target(dialog, component, UiKind::kind);                              \
    if (found.status != VYN_TK_NO_ERROR) return found.status;                                    \
    return vynarray_out(found.component->selected, count, names);                                \
  }
#define YRL_UI_DEFINE_TEXT_WORDS(row, kind)                                                       \
  VynError Behaviour<HostApi::row>::run(int, VynWord dialog, VynWord component, VynWord text) {  \
    return text_run(UiKind::kind, word_text(dialog), word_text(component),                       \
                    reinterpret_cast<const VynWchar*>(text));                                    \
  }

YRL_UI_SWITCH_ROWS(YRL_UI_DEFINE_SWITCH)
YRL_UI_SWITCH_WORD_ROWS(YRL_UI_DEFINE_SWITCH_WORDS)
YRL_UI_ACTION_ROWS(YRL_UI_DEFINE_ACTION)
YRL_UI_ACTION_WORD_ROWS(YRL_UI_DEFINE_ACTION_WORDS)
YRL_UI_NUMBER_ROWS(YRL_UI_DEFINE_NUMBER)
YRL_UI_NUMBER_WORD_ROWS(YRL_UI_DEFINE_NUMBER_WORDS)
YRL_UI_QUERY_WORD_ROWS(YRL_UI_DEFINE_QUERY_WORDS)
YRL_UI_TEXT_ROWS(YRL_UI_DEFINE_TEXT)
YRL_UI_TEXT_WORD_ROWS(YRL_UI_DEFINE_TEXT_WORDS)
YRL_UI_ITEMS_ROWS(YRL_UI_DEFINE_ITEMS)
YRL_UI_ITEMS_WORD_ROWS(YRL_UI_DEFINE_ITEMS_WORDS)
YRL_UI_SELECTED_ROWS(YRL_UI_DEFINE_SELECTED)
YRL_UI_SELECTED_ARRAY_ROWS(YRL_UI_DEFINE_SELECTED_ARRAY)

// ---- Check buttons and input panels ---------------------------------------------------

VynError Behaviour<HostApi::VynUICheckbuttonGetState>::run(int, const char* dialog, const char* component,
                                                           int* state) {
  ui::Target found = ui::target(dialog, component, UiKind::checkbutton);
  if (found.status != VYN_TK_NO_ERROR) return found.status;
  if (!state) return VYN_TK_BAD_INPUTS;
  *state = found.component->checked ? 1 : 0;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynUIInputpanelDoubleGet>::run(int, const char* dialog, const char* component,
                                                           double* value) {
  ui::Target found = ui::target(dialog, component, UiKind::inputpanel);
  if (found.status != VYN_TK_NO_ERROR) return found.status;
  if (!value) return VYN_TK_BAD_INPUTS;
  // The whole text, blanks around it aside, must be a number.
  return number_from_text(found.component->value, *value) ? VYN_TK_NO_ERROR : VYN_TK_GENERAL_ERROR;
}

VynError Behaviour<HostApi::VynUIInputpanelDoubleSet>::run(int, const char* dialog, const char* component,
                                                           double value) {
  ui::Target found = ui::target(dialog, component, UiKind::inputpanel);
  if (found.status != VYN_TK_NO_ERROR) return found.status;
  found.component->value = double_text(value, found.component->digits);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynUIInputpanelStringGet>::run(int, const char* dialog, const char* component,
                                                           char** string) {
  ui::Target found = ui::target(dialog, component, UiKind::inputpanel);
  if (found.status != VYN_TK_NO_ERROR) return found.status;
  if (!string) return VYN_TK_BAD_INPUTS;
  char* made = host_string_make(found.component->value);
  if (!made) return VYN_TK_GENERAL_ERROR;
  *string = made;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynUIInputpanelStringSet>::run(int, const char* dialog, const char* component,
                                                           const char* string) {
  ui::Target found = ui::target(dialog, component, UiKind::inputpanel);
  if (found.status != VYN_TK_NO_ERROR) return found.status;
  if (!string) return VYN_TK_BAD_INPUTS;
  found.component->value = string;
  return VYN_TK_NO_ERROR;
}

// ---- Option menus ---------------------------------------------------------------------

VynError Behaviour<HostApi::VynUIOptionmenuValueGet>::run(int, const char* dialog, const char* component,
                                                          VynWchar** value) {
  ui::Target found = ui::target(dialog, component, UiKind::optionmenu);
  if (found.status != VYN_TK_NO_ERROR) return found.status;
  if (!value) return VYN_TK_BAD_INPUTS;
  std::u16string& kept = option_values()[{dialog, component}];
  kept = utf16_from_text(found.component->value);
  *value = kept.data();
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynUIOptionmenuValueSet>::run(int, const char* dialog, const char* component,
                                                          const VynWchar* value) {
  ui::Target found = ui::target(dialog, component, UiKind::optionmenu);
  if (found.status != VYN_TK_NO_ERROR) return found.status;
  if (!value) return VYN_TK_BAD_INPUTS;
  found.component->value = utf8_from_utf16(value, wide_text_limit);
  return VYN_TK_NO_ERROR;
}

// ---- Tables ---------------------------------------------------------------------------

VynError Behaviour<HostApi::VynUITableCellComponentCopy>::run(int, const char* dialog, const char* table,
                                                              const char* row, const char* column,
                                                              const char* source_dialog,
                                                              const char* source_component,
                                                              const char* name) {
  TableCell cell = table_cell(dialog, table, row, column);
  if (cell.status != VYN_TK_NO_ERROR) return cell.status;
  if (!source_dialog || !source_component || !name || !*name) return VYN_TK_BAD_INPUTS;
  UiDialog* source = ui::dialog_find(source_dialog);
  UiComponent* original = source ? ui::component_find(*source, source_component) : nullptr;
  if (!original) return VYN_TK_E_NOT_FOUND;
  UiCell& target = cell.table->cells[{row, column}];
  UiComponent* existing = ui::component_find(*cell.dialog, name);
  if (existing && existing->name != target.component) return VYN_TK_E_FOUND;
  UiComponent copy = *original;
  for (UiAction& action : copy.actions) action = UiAction{};  // actions belong to the source dialog
  // A copied table keeps its cells' labels, but the components in them stay the
  // original's: the copy's rows must not take them out of the dialog.
  for (auto& [at, cell_of_copy] : copy.cells) cell_of_copy.component.clear();
  copy.name = name;
  copy.parent = table;
  copy.row = row;
  copy.column = column;
  // The cell's earlier component makes way for the copy.
  std::string earlier = target.component;
  target.component = name;
  if (!earlier.empty()) component_erase(*cell.dialog, earlier);
  cell.dialog->components.push_back(std::move(copy));
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynUITableCellComponentDelete>::run(int, const char* dialog, const char* table,
                                                                const char* row, const char* column) {
  TableCell cell = table_cell(dialog, table, row, column);
  if (cell.status != VYN_TK_NO_ERROR) return cell.status;
  auto found = cell.table->cells.find({row, column});
  if (found == cell.table->cells.end() || found->second.component.empty()) return VYN_TK_E_NOT_FOUND;
  std::string name = std::exchange(found->second.component, "");
  component_erase(*cell.dialog, name);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynUITableCellLabelSet>::run(int, const char* dialog, const char* table,
                                                         const char* row, const char* column,
                                                         const VynWchar* label) {
  TableCell cell = table_cell(dialog, table, row, column);
  if (cell.status != VYN_TK_NO_ERROR) return cell.status;
  if (!label) return VYN_TK_BAD_INPUTS;
  cell.table->cells[{row, column}].label = utf8_from_utf16(label, wide_text_limit);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynUITableFocusCellGet>::run(int, const char* dialog, const char* table,
                                                         char** row, char** column) {
  ui::Target found = ui::target(dialog, table, UiKind::table);
  if (found.status != VYN_TK_NO_ERROR) return found.status;
  if (!row || !column) return VYN_TK_BAD_INPUTS;
  if (found.component->focus_row.empty()) return VYN_TK_E_NOT_FOUND;
  char* row_made = host_string_make(found.component->focus_row);
  char* column_made = host_string_make(found.component->focus_column);
  if (!row_made || !column_made) return VYN_TK_GENERAL_ERROR;
  *row = row_made;
  *column = column_made;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynUITableRownamesGet>::run(int, const char* dialog, const char* table,
                                                        int* count, char*** names) {
  ui::Target found = ui::target(dialog, table, UiKind::table);
  if (found.status != VYN_TK_NO_ERROR) return found.status;
  return string_array_out(found.component->rows, count, names);
}

VynError Behaviour<HostApi::VynUITableRowsDelete>::run(int, const char* dialog, const char* table, int count,
                                                       char** names) {
  ui::Target found = ui::target(dialog, table, UiKind::table);
  if (found.status != VYN_TK_NO_ERROR) return found.status;
  if (count < 0 || (count > 0 && !names)) return VYN_TK_BAD_INPUTS;
  UiComponent& t = *found.component;
  std::set<std::string> doomed;
  for (int i = 0; i < count; ++i) {
    if (!names[i]) return VYN_TK_BAD_INPUTS;
    if (!has(t.rows, names[i])) return VYN_TK_E_NOT_FOUND;
    doomed.insert(names[i]);
  }
  std::vector<std::string> gone;
  for (auto it = t.cells.begin(); it != t.cells.end();) {
    if (doomed.count(it->first.first)) {
      if (!it->second.component.empty()) gone.push_back(it->second.component);
      it = t.cells.erase(it);
    } else {
      ++it;
    }
  }
  std::erase_if(t.rows, [&](const std::string& row) { return doomed.count(row) > 0; });
  std::vector<std::string> kept;
  for (std::size_t i = 0; i + 1 < t.selected.size(); i += 2) {
    if (doomed.count(t.selected[i])) continue;
    kept.push_back(t.selected[i]);
    kept.push_back(t.selected[i + 1]);
  }
  t.selected = std::move(kept);
  if (doomed.count(t.focus_row)) {
    t.focus_row.clear();
    t.focus_column.clear();
  }
  // Erasing components moves the table itself; it is not used after this.
  for (const std::string& name : gone) component_erase(*found.dialog, name);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynUITableRowsInsert>::run(int, const char* dialog, const char* table,
                                                       const char* after_row, int count, char** names) {
  ui::Target found = ui::target(dialog, table, UiKind::table);
  if (found.status != VYN_TK_NO_ERROR) return found.status;
  if (count < 0 || (count > 0 && !names)) return VYN_TK_BAD_INPUTS;
  UiComponent& t = *found.component;
  // Null or "" inserts at the top, a row's name after that row.
  std::size_t at = 0;
  if (after_row && *after_row) {
    auto row = std::find(t.rows.begin(), t.rows.end(), after_row);
    if (row == t.rows.end()) return VYN_TK_E_NOT_FOUND;
    at = static_cast<std::size_t>(row - t.rows.begin()) + 1;
  }
  for (int i = 0; i < count; ++i)
    if (!names[i] || !*names[i]) return VYN_TK_BAD_INPUTS;
  for (int i = 0; i < count; ++i) {
    // A row that exists already stays where it is, with its cells, so that a table
    // filled again shows the new labels in the same rows.
    if (has(t.rows, names[i])) continue;
    t.rows.insert(t.rows.begin() + static_cast<std::ptrdiff_t>(at++), names[i]);
  }
  return VYN_TK_NO_ERROR;
}

}  // namespace yrlhost
