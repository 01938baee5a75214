// Windows, the graphics drawn into them, and the small session services (macros, the
// information window, the browser), as tests and the scenario runner see them.
//
// Windows: the main window (main_window_id) exists from the start and is current; an
// accessory window gets the next free id and becomes the current window. Each window
// keeps a view matrix (identity at first), its size, counts of repaints and refreshes, a
// display list, and the model it shows.
//
// Windows bound to models (host/store/models.h, window_make_current and window_model):
// the current window shows the current model; the window left when another becomes
// current keeps the model that was current as the one it shows (WindowState::model).
//
// Graphics: every drawing call appends one entry to the current window's display list,
// with the colour, line style and text attributes in effect. The pen and those
// attributes are one graphics state for the session. A repaint of a window draws the
// model afresh: its display list and its highlighted items are cleared; a refresh keeps
// them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "toolkit/api/host_types.h"

namespace yrlhost {

inline constexpr int main_window_id = 1;
// The size a new window reports: its width and height in pixels.
inline constexpr double window_default_width = 1024;
inline constexpr double window_default_height = 768;
// The text height and width factor at the start of the session.
inline constexpr double text_default_height = 1.0;
inline constexpr double text_default_width_factor = 1.0;

enum class DrawKind { line, circle, arc, text, point };

struct DrawEntry {
  DrawKind kind = DrawKind::line;
  // line: from, to; circle: centre; arc: centre, first and second vector; text and
  // point: place.
  std::vector<std::vector<double>> points;
  double radius = 0;      // circle, arc
  std::string text;       // text, as UTF-8
  VynColor colour{};      // graphics colour (the text colour for text when one is set)
  int line_style = 0;
  double text_height = 0;        // text
  double text_width_factor = 0;  // text
  VynModelitem item{};           // the drawing's item the entry draws; type 0 for none
};

struct WindowState {
  int id = 0;
  std::string name;   // an accessory window's name, as UTF-8
  int type = 0;       // an accessory window's type
  double matrix[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  double width = window_default_width;
  double height = window_default_height;
  double browser_size = 0;  // percent of the window the browser pane takes
  std::string url;          // the page the window's browser shows, as UTF-8
  int repaints = 0;
  int refreshes = 0;
  std::vector<DrawEntry> display_list;
  VynMdl model = nullptr;  // the model the window showed when it was last left current
};

// The current window's id.
int window_current();
// A window by id; null for an unknown id.
const WindowState* window_find(int id);
// The ids of the windows, ascending.
std::vector<int> window_ids();
// Makes a known window current, as it is (the store's window_make_current also moves the
// current model along); false for an unknown id.
bool window_current_set(int id);
// Sets the model a window keeps as the one it shows once it is left current.
void window_left_model_set(int id, VynMdl model);
// Sets the size a window reports; false for an unknown id.
bool window_size_set(int id, double width, double height);

// Appends entries, as they stand (colours and item included), to the current window's
// display list: how a drawing's item is drawn.
void display_list_add(const std::vector<DrawEntry>& entries);
// Takes the entries that draw an item off every window's display list.
void display_list_item_erase(const VynModelitem& item);

// Whether a colour is the default (method 0), a colour type (1, type >= 0) or red, green
// and blue each in 0..1 (2).
bool host_colour_valid(const VynColor& colour);
// A colour given by red, green and blue, each from 0 to 1 (method 2).
inline VynColor host_rgb_colour(double r, double g, double b) {
  VynColor colour{};
  colour.method = 2;
  colour.value.rgb[0] = r;
  colour.value.rgb[1] = g;
  colour.value.rgb[2] = b;
  return colour;
}

// The graphics state: colours, line style, text attributes and the pen.
struct GraphicsState {
  VynColor colour{};       // graphics colour; method 0 is the default colour
  VynColor text_colour{};  // text colour; method 0: text takes the graphics colour
  int line_style = 0;
  double text_height = text_default_height;
  double text_width_factor = text_default_width_factor;
  double pen[3] = {0, 0, 0};
};
const GraphicsState& graphics_state();

// The host's current directory as the plug-in sees it (Windows form); at start the
// process's working directory on drive C:.
std::string host_directory();
void host_directory_set(const std::string& windows_path);

// What the session was asked to show or run, in order.
struct UrlShown {
  std::string url;
  std::string title;
};
const std::vector<UrlShown>& urls_shown();
struct InfoShown {
  std::string file;
  int flag1 = 0;
  int flag2 = 0;
};
const std::vector<InfoShown>& info_windows_shown();
// The macro lines loaded and not yet executed.
const std::vector<std::string>& macros_loaded();
// The batches of macro lines executed, one per execution.
const std::vector<std::vector<std::string>>& macros_executed();

}  // namespace yrlhost
