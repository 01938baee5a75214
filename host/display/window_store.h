// The windows, the graphics state and the session's records behind the window, graphics
// and session functions, shared by graphics.cpp and host/api/graphics_api.cpp only;
// every other module goes through host/display/graphics.h.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/display/graphics.h"

namespace yrlhost {

struct Windows {
  std::map<int, WindowState> by_id;
  int current = main_window_id;
  int next_id = main_window_id + 1;
};
Windows& windows();

GraphicsState& graphics_state_edit();

struct SessionRecords {
  std::optional<std::string> directory;  // set by a test; else the working directory
  std::vector<UrlShown> urls;
  std::vector<InfoShown> info_windows;
  std::vector<std::string> macros_loaded;
  std::vector<std::vector<std::string>> macros_executed;
};
SessionRecords& session_records();

// The window an id names, -1 naming the current one; null for an unknown id.
WindowState* window_named(int id);
// Appends an entry to the current window's display list in the graphics state's colour
// and line style (text takes the text colour when one is set).
void graphics_draw(DrawEntry entry);

}  // namespace yrlhost
