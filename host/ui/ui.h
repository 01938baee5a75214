// UI dialogs as the host keeps them: the layouts read from the resource directory, the
// open dialogs with their components' state, the dialogs being activated, and the last
// state of every destroyed dialog. For tests and the scenario runner; the plug-in reaches
// the same state through the VynUI host functions (host/api/ui_behaviours.h).
//
// Statuses of the VynUI functions: -2 for a null name or output, a bad count or array, or
// a component of another kind than the function's; -4 for an unknown dialog, component,
// item, row or column; -5 for VynUIDialogCreate of a name that is open already and for a
// cell component copied under a name the dialog has; -1 for a layout file that does not
// parse, for activating a dialog that is active, and for exiting a dialog that is not,
// or destroying one that is.
//
// Texts: narrow texts the plug-in passes are kept byte for byte; wide texts (labels,
// titles, button texts) are kept as UTF-8.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/api/host_types.h"

namespace yrlhost {

// The kinds of component a layout can hold, in the layout files' spelling.
#define YRL_UI_KINDS(X) \
  X(pushbutton)         \
  X(checkbutton)        \
  X(inputpanel)         \
  X(label)              \
  X(layout)             \
  X(list)               \
  X(optionmenu)         \
  X(radiogroup)         \
  X(tab)                \
  X(table)              \
  X(textarea)           \
  X(thumbwheel)         \
  X(slider)             \
  X(spinbox)            \
  X(progressbar)        \
  X(cascadebutton)      \
  X(menubar)            \
  X(menupane)

enum class UiKind {
#define YRL_UI_KIND_ENUM(kind) kind,
  YRL_UI_KINDS(YRL_UI_KIND_ENUM)
#undef YRL_UI_KIND_ENUM
};

const char* ui_kind_name(UiKind kind);
std::optional<UiKind> ui_kind_from_name(const std::string& name);

// A list's selection policies: single and browse let the user select one name at a time,
// multiple and extended any number. A list starts single unless its layout says otherwise.
inline constexpr int ui_list_policy_single = 0;
inline constexpr int ui_list_policy_browse = 1;
inline constexpr int ui_list_policy_multiple = 2;
inline constexpr int ui_list_policy_extended = 3;
inline bool ui_list_policy_takes_many(int policy) { return policy >= ui_list_policy_multiple; }

// The events a component's action can be set for.
enum class UiEvent { activate, select, focus_out, focus_in, input, update };
inline constexpr int ui_event_count = 6;

struct UiAction {
  VynUIAction action = nullptr;
  void* app_data = nullptr;
};

// One cell of a table: its label and the name of the component copied into it, if any.
struct UiCell {
  std::string label;
  std::string component;
};

// One component's whole state. Fields that do not apply to the kind keep their defaults.
struct UiComponent {
  std::string name;
  UiKind kind = UiKind::label;
  std::string parent;            // the layout, tab or table it sits in ("" for the dialog)
  bool enabled = true;
  bool shown = true;
  std::string text;              // button, label and layout text
  std::string value;             // input panel and text area text; option menu value
  int input_type = 0;            // input panel: 0 text, 3 double, ...
  int digits = -1;               // input panel: decimals shown for a double; -1 unset
  bool editable = true;          // input panel, text area, spin box
  bool checked = false;          // check button
  int integer = 0;               // thumbwheel, slider, spin box, progress bar
  std::vector<std::string> names;     // list, option menu, radio group, tab: the items;
                                      // table: the columns
  std::vector<std::string> labels;    // the items' labels (parallel to names)
  std::vector<std::string> selected;  // the selected items; table: row, column pairs
  int visible_rows = 0;
  int selection_policy = 0;      // list: ui_list_policy_*; table: as set
  std::vector<std::string> rows;                                // table rows, in order
  std::map<std::pair<std::string, std::string>, UiCell> cells;  // table cells (row, column)
  std::string focus_row, focus_column;                          // table focus cell
  std::string row, column;       // a component copied into a table cell: its cell
  UiAction actions[ui_event_count];
};

struct UiDialog {
  std::string name;
  std::string layout;            // the layout's name
  std::string title;
  std::string default_button;
  std::vector<UiComponent> components;  // in layout order, copied cell components after
  UiAction close;
};

// A layout as read from its file: the components the dialog starts with.
struct UiLayout {
  std::string name;
  std::string path;              // the file it was read from
  std::string title;
  std::vector<UiComponent> components;
};

// The host's own resource directory (host/resources/text/usascii/resource of the source
// tree), as a POSIX path.
std::string ui_default_resource_dir();

// Reads a layout from the text of a layout file; on an error the reason is in error and
// the result is empty.
std::optional<UiLayout> ui_layout_parse(const std::string& name, const std::string& text,
                                        std::string* error);
// The layouts read so far, by name.
std::vector<std::string> ui_layouts_loaded();
// Why the last layout that failed to load failed ("" when none failed).
const std::string& ui_layout_error();

// Open dialogs (created and not yet destroyed).
bool ui_dialog_is_open(const std::string& dialog);
std::vector<std::string> ui_open_dialogs();
// The dialogs being activated, outermost first; the last one takes the user's actions.
std::vector<std::string> ui_active_dialogs();
// A copy of an open dialog, or of the last destroyed dialog of that name.
std::optional<UiDialog> ui_dialog(const std::string& dialog);
std::optional<UiDialog> ui_dialog_snapshot(const std::string& dialog);
// One component of an open dialog, or of the last destroyed dialog of that name.
std::optional<UiComponent> ui_component(const std::string& dialog, const std::string& component);
std::optional<UiComponent> ui_component_snapshot(const std::string& dialog,
                                                 const std::string& component);

}  // namespace yrlhost
