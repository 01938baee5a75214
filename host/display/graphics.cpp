// Windows, the display lists drawn into them, and the small session services (the
// window, graphics and session functions of the host are host/api/graphics_api.cpp).
#include "host/display/window_store.h"

#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <map>
#include <utility>

#include "host/util/host_testing.h"
#include "host/display/selection.h"
#include "host/util/utf16.h"

namespace yrlhost {
namespace {

Windows start_windows() {
  Windows windows;
  windows.by_id[main_window_id].id = main_window_id;
  return windows;
}

std::string working_directory_windows_form() {
  char buffer[PATH_MAX];
  if (!getcwd(buffer, sizeof buffer)) return "C:\\";
  std::string path = std::string("C:") + buffer;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

}  // namespace

// ---- For the window and graphics functions ------------------------------------------

Windows& windows() {
  static Windows state = start_windows();
  return state;
}

GraphicsState& graphics_state_edit() {
  static GraphicsState graphics;
  return graphics;
}

SessionRecords& session_records() {
  static SessionRecords session;
  return session;
}

WindowState* window_named(int id) {
  if (id == -1) id = windows().current;
  auto found = windows().by_id.find(id);
  return found == windows().by_id.end() ? nullptr : &found->second;
}

void graphics_draw(DrawEntry entry) {
  const GraphicsState& state = graphics_state_edit();
  bool text_coloured = entry.kind == DrawKind::text && state.text_colour.method != 0;
  entry.colour = text_coloured ? state.text_colour : state.colour;
  entry.line_style = state.line_style;
  windows().by_id.at(windows().current).display_list.push_back(std::move(entry));
}

// ---- Host-side view -------------------------------------------------------------------

int window_current() { return windows().current; }

const WindowState* window_find(int id) {
  auto found = windows().by_id.find(id);
  return found == windows().by_id.end() ? nullptr : &found->second;
}

std::vector<int> window_ids() {
  std::vector<int> ids;
  for (const auto& entry : windows().by_id) ids.push_back(entry.first);
  return ids;
}

bool window_current_set(int id) {
  if (!window_find(id)) return false;
  windows().current = id;
  return true;
}

void window_left_model_set(int id, VynMdl model) {
  if (WindowState* window = window_named(id)) window->model = model;
}

bool window_size_set(int id, double width, double height) {
  auto found = windows().by_id.find(id);
  if (found == windows().by_id.end()) return false;
  found->second.width = width;
  found->second.height = height;
  return true;
}

const GraphicsState& graphics_state() { return graphics_state_edit(); }

void display_list_add(const std::vector<DrawEntry>& entries) {
  std::vector<DrawEntry>& list = windows().by_id.at(windows().current).display_list;
  list.insert(list.end(), entries.begin(), entries.end());
}

void display_list_item_erase(const VynModelitem& item) {
  for (auto& [id, window] : windows().by_id)
    std::erase_if(window.display_list, [&item](const DrawEntry& entry) {
      return entry.item.type == item.type && entry.item.id == item.id && entry.item.owner == item.owner;
    });
}

bool host_colour_valid(const VynColor& colour) {
  switch (colour.method) {
    case 0: return true;
    case 1: return colour.value.type >= 0;
    case 2:
      for (double part : colour.value.rgb)
        if (!(part >= 0 && part <= 1)) return false;
      return true;
    default: return false;
  }
}

std::string host_directory() {
  return session_records().directory ? *session_records().directory : working_directory_windows_form();
}

void host_directory_set(const std::string& windows_path) { session_records().directory = windows_path; }

const std::vector<UrlShown>& urls_shown() { return session_records().urls; }
const std::vector<InfoShown>& info_windows_shown() { return session_records().info_windows; }
const std::vector<std::string>& macros_loaded() { return session_records().macros_loaded; }
const std::vector<std::vector<std::string>>& macros_executed() {
  return session_records().macros_executed;
}

void graphics_testing_reset() {
  selection_testing_reset();
  windows() = start_windows();
  graphics_state_edit() = GraphicsState{};
  session_records() = SessionRecords{};
}

}  // namespace yrlhost
