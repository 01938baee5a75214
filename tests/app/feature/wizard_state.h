// The state of the feature wizard that is open, as its buttons' actions are handed it:
// for checks run between the scripted user's actions.
#pragma once

#include <optional>

#include "app/feature/featdlg.h"
#include "host/ui/ui.h"

namespace yrltest {

// The open wizard's state; null when no wizard is open.
inline const YrlExtDlgInfo* wizard_state() {
  const std::optional<yrlhost::UiComponent> next = yrlhost::ui_component("yrlfeatdlg", "next_btn");
  if (!next) return nullptr;
  return static_cast<const YrlExtDlgInfo*>(next->actions[static_cast<int>(yrlhost::UiEvent::activate)].app_data);
}

}  // namespace yrltest
