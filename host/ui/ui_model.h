// The UI module's own shared pieces: the store of open dialogs and the lookups that
// every VynUI host function starts with.
#pragma once

#include <string>
#include <vector>

#include "host/ui/ui.h"
#include "toolkit/tkbase.h"

namespace yrlhost::ui {

// The open dialog of that name; null for null or an unknown name.
UiDialog* dialog_find(const char* name);
// The component of that name in an open dialog; null when it has none.
UiComponent* component_find(UiDialog& dialog, const std::string& name);

// A dialog's component of a given kind, or the status that refuses the call: -2 for a
// null name or a component of another kind, -4 for an unknown dialog or component.
struct Target {
  VynError status = VYN_TK_NO_ERROR;
  UiDialog* dialog = nullptr;
  UiComponent* component = nullptr;
};
Target target(const char* dialog, const char* component, UiKind kind);

// Loads the layout file <layout>.dlg below the resource directory dir (Windows grammar,
// as the plug-in passes it): 0 with the layout, -2 for a bad name or directory, -4 when
// there is no such file, -1 when the file is not a valid layout (ui_layout_error says why).
VynError layout_load(const char* layout, const char* dir, UiLayout* out);
void layouts_reset();

// The component's action for an event, called with the host's own modifiable copies of
// the names; nothing when no action is set. The component is looked up again by name
// afterwards by whoever needs it: the action may change the dialog.
void action_call(const std::string& dialog, const std::string& component, UiEvent event);

// Narrow names from a VynArray of char* (names) or of VynWchar* (labels, as UTF-8):
// -2 for a bad array or a count below 0 or above the array's size.
VynError names_read(int count, VynArray array, bool wide, std::vector<std::string>* out);

// Frees what the component functions keep for the plug-in (option menu values).
void components_reset();

}  // namespace yrlhost::ui
