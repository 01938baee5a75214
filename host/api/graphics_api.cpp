// The window, graphics and session functions of the host (windows and their display
// lists: host/display/graphics.cpp; which model a window shows: host/store/models.h).
#include <cmath>
#include <cstring>
#include <utility>

#include "host/api/host_behaviours.h"
#include "host/display/selection.h"
#include "host/display/window_store.h"
#include "host/store/models.h"
#include "host/util/utf16.h"
#include "platform/w32/codepage.h"

namespace yrlhost {
namespace {

std::vector<double> point_of(const double* point) { return {point[0], point[1], point[2]}; }

// Replaces a colour of the graphics state, handing back the one it replaces; a null new
// colour only reads it.
VynError colour_modify(VynColor& current, const VynColor* new_color, VynColor* old_color) {
  if (new_color && !host_colour_valid(*new_color)) return VYN_TK_BAD_INPUTS;
  if (old_color) *old_color = current;
  if (new_color) current = *new_color;
  return VYN_TK_NO_ERROR;
}

// A point or direction as a row vector times the matrix: x row 0 + y row 1 + z row 2,
// plus row 3 (the origin) for a point. The last column is not read (the transforms are
// affine). The result may be the input.
VynError transform_row_vector(const double* in, const double transform[4][4], bool point,
                              double* result) {
  if (!in || !transform || !result) return VYN_TK_BAD_INPUTS;
  double mapped[3];
  for (int j = 0; j < 3; ++j)
    mapped[j] = in[0] * transform[0][j] + in[1] * transform[1][j] + in[2] * transform[2][j] +
                (point ? transform[3][j] : 0.0);
  std::memcpy(result, mapped, sizeof mapped);
  return VYN_TK_NO_ERROR;
}

}  // namespace

// ---- Windows --------------------------------------------------------------------------

VynError Behaviour<HostApi::VynAccessorywindowCreate>::run(int, const VynWchar* name, int type,
                                                            int* window_id) {
  if (!name || !window_id) return VYN_TK_BAD_INPUTS;
  int id = windows().next_id++;
  WindowState& window = windows().by_id[id];
  window.id = id;
  window.name = utf8_from_utf16(name, 32);
  window.type = type;
  window_make_current(id);
  *window_id = id;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynWindowCurrentGet>::run(int, int* window_id) {
  if (!window_id) return VYN_TK_BAD_INPUTS;
  *window_id = windows().current;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynWindowCurrentSet>::run(int, int window_id) {
  WindowState* window = window_named(window_id);
  if (!window) return VYN_TK_BAD_INPUTS;
  window_make_current(window->id);
  return VYN_TK_NO_ERROR;
}

// The main window stays; deleting the current window makes the main window current.
VynError Behaviour<HostApi::VynWindowDelete>::run(int, int window_id) {
  WindowState* window = window_named(window_id);
  if (!window || window->id == main_window_id) return VYN_TK_BAD_INPUTS;
  int id = window->id;
  highlights_clear(id);
  if (windows().current == id) window_make_current(main_window_id);
  windows().by_id.erase(id);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynWindowRepaint>::run(int, int window_id) {
  WindowState* window = window_named(window_id);
  if (!window) return VYN_TK_BAD_INPUTS;
  ++window->repaints;
  window->display_list.clear();
  highlights_clear(window->id);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynWindowsVisit>::run(int, VynWindowVisitAction action,
                                                  void* app_data) {
  if (!action) return VYN_TK_BAD_INPUTS;
  for (int id : window_ids()) {
    if (!window_find(id)) continue;
    VynError status = action(id, app_data);
    if (status != VYN_TK_NO_ERROR) return status;
  }
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynWindowRefresh>::run(int, int window_id) {
  WindowState* window = window_named(window_id);
  if (!window) return VYN_TK_BAD_INPUTS;
  ++window->refreshes;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynWindowCurrentMatrixGet>::run(int, double matrix[4][4]) {
  if (!matrix) return VYN_TK_BAD_INPUTS;
  std::memcpy(matrix, window_named(-1)->matrix, sizeof(double[4][4]));
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynWindowPanZoomMatrixSet>::run(int, int window_id,
                                                             const double matrix[4][4]) {
  WindowState* window = window_named(window_id);
  if (!window || !matrix) return VYN_TK_BAD_INPUTS;
  std::memmove(window->matrix, matrix, sizeof window->matrix);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynWindowSizeGet>::run(int, int window_id, double* width,
                                                    double* height) {
  WindowState* window = window_named(window_id);
  if (!window || !width || !height) return VYN_TK_BAD_INPUTS;
  *width = window->width;
  *height = window->height;
  return VYN_TK_NO_ERROR;
}

// The browser pane's share of the window, in percent.
VynError Behaviour<HostApi::VynWindowBrowserSizeSet>::run(int, int window_id, double size) {
  WindowState* window = window_named(window_id);
  if (!window || !(size >= 0 && size <= 100)) return VYN_TK_BAD_INPUTS;
  window->browser_size = size;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynWindowURLShow>::run(int, int window_id, const VynWchar* url) {
  WindowState* window = window_named(window_id);
  if (!window || !url) return VYN_TK_BAD_INPUTS;
  window->url = utf8_from_utf16(url, VYN_PATH_SIZE);
  return VYN_TK_NO_ERROR;
}

// ---- Graphics -------------------------------------------------------------------------

// The three drawing calls without a result ignore a null point.
void Behaviour<HostApi::VynGraphicsPenPosition>::run(int, const double* point) {
  if (point) std::memcpy(graphics_state_edit().pen, point, sizeof graphics_state_edit().pen);
}

void Behaviour<HostApi::VynGraphicsLineDraw>::run(int, const double* point) {
  if (!point) return;
  DrawEntry entry;
  entry.kind = DrawKind::line;
  entry.points = {point_of(graphics_state_edit().pen), point_of(point)};
  graphics_draw(std::move(entry));
  std::memcpy(graphics_state_edit().pen, point, sizeof graphics_state_edit().pen);
}

void Behaviour<HostApi::VynGraphicsCircleDraw>::run(int, const double* center, double radius) {
  if (!center || !(radius >= 0)) return;
  DrawEntry entry;
  entry.kind = DrawKind::circle;
  entry.points = {point_of(center)};
  entry.radius = radius;
  graphics_draw(std::move(entry));
}

VynError Behaviour<HostApi::VynGraphicsArcDraw>::run(int, const double* center, double radius,
                                                      const double* vector1,
                                                      const double* vector2) {
  if (!center || !vector1 || !vector2 || !(radius >= 0)) return VYN_TK_BAD_INPUTS;
  DrawEntry entry;
  entry.kind = DrawKind::arc;
  entry.points = {point_of(center), point_of(vector1), point_of(vector2)};
  entry.radius = radius;
  graphics_draw(std::move(entry));
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynGraphicsTextDisplay>::run(int, const double* point,
                                                          const VynWchar* text) {
  if (!point || !text) return VYN_TK_BAD_INPUTS;
  DrawEntry entry;
  entry.kind = DrawKind::text;
  entry.points = {point_of(point)};
  entry.text = utf8_from_utf16(text, wide_text_limit);
  entry.text_height = graphics_state_edit().text_height;
  entry.text_width_factor = graphics_state_edit().text_width_factor;
  graphics_draw(std::move(entry));
  return VYN_TK_NO_ERROR;
}

// The colour handed back is the colour type in effect, 0 (the default) when the colour
// in effect is the default or given as red, green and blue.
VynError Behaviour<HostApi::VynGraphicsColorSet>::run(int, int new_color, int* old_color) {
  if (new_color < 0) return VYN_TK_BAD_INPUTS;
  if (old_color) *old_color = graphics_state_edit().colour.method == 1 ? graphics_state_edit().colour.value.type : 0;
  graphics_state_edit().colour = VynColor{};
  graphics_state_edit().colour.method = 1;
  graphics_state_edit().colour.value.type = new_color;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynGraphicsColorModify>::run(int, VynColor* new_color,
                                                          VynColor* old_color) {
  return colour_modify(graphics_state_edit().colour, new_color, old_color);
}

VynError Behaviour<HostApi::VynTextColorModify>::run(int, VynColor* new_color,
                                                      VynColor* old_color) {
  return colour_modify(graphics_state_edit().text_colour, new_color, old_color);
}

VynError Behaviour<HostApi::VynLinestyleSet>::run(int, int new_style, int* old_style) {
  if (new_style < 0) return VYN_TK_BAD_INPUTS;
  if (old_style) *old_style = graphics_state_edit().line_style;
  graphics_state_edit().line_style = new_style;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynTextAttributesCurrentGet>::run(int, VynTextAttribute* attributes) {
  if (!attributes) return VYN_TK_BAD_INPUTS;
  attributes->height = graphics_state_edit().text_height;
  attributes->width_factor = graphics_state_edit().text_width_factor;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynTextHeightCurrentSet>::run(int, double height) {
  if (!(height > 0) || !std::isfinite(height)) return VYN_TK_BAD_INPUTS;
  graphics_state_edit().text_height = height;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynTextWidthFactorCurrentSet>::run(int, double width_factor) {
  if (!(width_factor > 0) || !std::isfinite(width_factor)) return VYN_TK_BAD_INPUTS;
  graphics_state_edit().text_width_factor = width_factor;
  return VYN_TK_NO_ERROR;
}

// ---- Session services -----------------------------------------------------------------

VynError Behaviour<HostApi::VynPntTrfEval>::run(int, const double* point,
                                                 const double transform[4][4], double* result) {
  return transform_row_vector(point, transform, true, result);
}

VynError Behaviour<HostApi::VynVectorTrfEval>::run(int, const double* vector,
                                                    const double transform[4][4],
                                                    double* result) {
  return transform_row_vector(vector, transform, false, result);
}

// Tolerance types 0 (linear) and 1 (angular); the default tolerance for a number of
// decimal places is one unit in the last place, 10^-decimals.
VynError Behaviour<HostApi::VynToleranceDefaultGet>::run(int, int type, int decimals,
                                                          double* tolerance) {
  if (!tolerance || (type != 0 && type != 1) || decimals < 0 || decimals > 14)
    return VYN_TK_BAD_INPUTS;
  *tolerance = std::pow(10.0, -decimals);
  return VYN_TK_NO_ERROR;
}

// A path buffer of VYN_PATH_SIZE wide characters; a directory that does not fit is
// refused with an empty buffer.
VynError Behaviour<HostApi::VynDirectoryCurrentGet>::run(int, VynWchar* path) {
  if (!path) return VYN_TK_BAD_INPUTS;
  std::string directory = host_directory();
  int units = w32::MultiByteToWideChar(w32::CP_UTF8, 0, directory.c_str(), -1, path,
                                       VYN_PATH_SIZE);
  if (units == 0) {
    path[0] = 0;
    return VYN_TK_LINE_TOO_LONG;
  }
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynURLShow>::run(int, const VynWchar* url, const VynWchar* title) {
  if (!url) return VYN_TK_BAD_INPUTS;
  session_records().urls.push_back(
      UrlShown{utf8_from_utf16(url, wide_text_limit), utf8_from_utf16(title, wide_text_limit)});
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynInfoWindowDisplay>::run(int, const VynWchar* file, int flag1,
                                                        int flag2) {
  if (!file) return VYN_TK_BAD_INPUTS;
  session_records().info_windows.push_back(InfoShown{utf8_from_utf16(file, VYN_PATH_SIZE), flag1, flag2});
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynMacroLoad>::run(int, const VynWchar* macro) {
  if (!macro) return VYN_TK_BAD_INPUTS;
  session_records().macros_loaded.push_back(utf8_from_utf16(macro, VYN_PATH_SIZE));
  return VYN_TK_NO_ERROR;
}

// Runs the loaded lines as one batch; with none loaded there is nothing to run.
VynError Behaviour<HostApi::VynMacroExecute>::run(int) {
  if (!session_records().macros_loaded.empty())
    session_records().macros_executed.push_back(std::exchange(session_records().macros_loaded, {}));
  return VYN_TK_NO_ERROR;
}

}  // namespace yrlhost
