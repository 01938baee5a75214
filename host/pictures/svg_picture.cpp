// Pictures of the windows as SVG files.
#include "host/pictures/svg_picture.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <set>
#include <system_error>

#include "host/store/drawings.h"
#include "host/files/file_set.h"
#include "host/files/model_file_text.h"
#include "host/store/model_store.h"
#include "host/store/models.h"
#include "host/display/selection.h"
#include "host/util/utf16.h"

namespace yrlhost {
namespace {

// The picture's larger side in pixels, and the size of a picture with nothing drawn.
constexpr double picture_pixels = 1000;
constexpr double empty_picture_side = 100;

// The colours of the host's colour types 0, 1, ...; a type past the table is grey.
constexpr const char* colour_types[] = {
    "#000000", "#e00000", "#00a000", "#0000e0", "#c0a000", "#c000c0", "#00a0a0", "#606060",
    "#ff8000", "#8000ff", "#804000", "#808000", "#008080", "#000080", "#800000", "#006000",
    "#ff60a0", "#40a0ff", "#60c000", "#ff3000", "#ffc000", "#a060ff", "#303030", "#b0b0b0",
};
constexpr const char* colour_type_unknown = "#808080";

// The dash patterns of line styles 1 to 4 (dotted, dashed, dash-dot, dash-dot-dot), in
// pixels; style 0 and the rest are solid.
struct DashPattern {
  int count;
  double lengths[6];
};
constexpr DashPattern dash_patterns[] = {
    {2, {2, 4}}, {2, {8, 4}}, {4, {12, 4, 2, 4}}, {6, {12, 4, 2, 4, 2, 4}}};

struct Point {
  double x = 0;
  double y = 0;
};

// A display-list entry as it is drawn, in sheet coordinates.
struct Shape {
  const DrawEntry* entry = nullptr;
  Point a;      // line: from; circle, arc: centre; text, point: place
  Point b;      // line: to
  Point start;  // arc: its ends
  Point end;
  double start_angle = 0;  // arc: the angle of its start from +x
  double sweep = 0;        // arc: counter-clockwise from start to end, in (0, 2 pi]
  bool full = false;       // an arc whose ends meet: drawn as a circle
};

struct Bounds {
  bool empty = true;
  double min_x = 0, min_y = 0, max_x = 0, max_y = 0;

  void add(double x, double y) {
    if (empty) {
      min_x = max_x = x;
      min_y = max_y = y;
      empty = false;
      return;
    }
    min_x = std::min(min_x, x);
    max_x = std::max(max_x, x);
    min_y = std::min(min_y, y);
    max_y = std::max(max_y, y);
  }
};

bool drawable(double value) {
  return std::isfinite(value) && std::fabs(value) <= entry_coordinate_limit;
}

// A number as SVG takes it: the shortest decimal form that reads back the same, and 0 for
// negative zero.
std::string num(double value) { return number_text(value == 0 ? 0.0 : value); }

std::size_t code_points(const std::string& text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::size_t point_count(DrawKind kind) {
  switch (kind) {
    case DrawKind::line:
      return 2;
    case DrawKind::arc:
      return 3;
    case DrawKind::circle:
    case DrawKind::text:
    case DrawKind::point:
      return 1;
  }
  return 0;
}

// The shape of an entry; false when it holds a number it cannot be drawn with.
bool shape_of(const DrawEntry& entry, Shape& shape) {
  if (entry.points.size() != point_count(entry.kind)) return false;
  for (const std::vector<double>& point : entry.points) {
    if (point.size() < 2) return false;
    if (!std::all_of(point.begin(), point.end(), drawable)) return false;
  }
  shape.entry = &entry;
  shape.a = {entry.points[0][0], entry.points[0][1]};
  switch (entry.kind) {
    case DrawKind::line:
      shape.b = {entry.points[1][0], entry.points[1][1]};
      return true;
    case DrawKind::point:
      return true;
    case DrawKind::text:
      return drawable(entry.text_height) && entry.text_height > 0 &&
             drawable(entry.text_width_factor) && entry.text_width_factor > 0;
    case DrawKind::circle:
      return drawable(entry.radius) && entry.radius >= 0;
    case DrawKind::arc: {
      if (!drawable(entry.radius) || entry.radius < 0) return false;
      // The directions of the ends, unit in x and y.
      Point unit[2];
      for (int i = 0; i < 2; ++i) {
        const std::vector<double>& v = entry.points[1 + i];
        double length = std::hypot(v[0], v[1]);
        if (!(length > 0)) return false;
        unit[i] = {v[0] / length, v[1] / length};
      }
      shape.sweep = std::atan2(unit[0].x * unit[1].y - unit[0].y * unit[1].x,
                               unit[0].x * unit[1].x + unit[0].y * unit[1].y);
      if (shape.sweep <= 0) shape.sweep += 2 * std::numbers::pi;
      shape.start_angle = std::atan2(unit[0].y, unit[0].x);
      Point ends[2];
      for (int i = 0; i < 2; ++i)
        ends[i] = {shape.a.x + entry.radius * unit[i].x, shape.a.y + entry.radius * unit[i].y};
      shape.start = ends[0];
      shape.end = ends[1];
      // Ends that meet after most of a turn close the circle; after a sliver they draw
      // nothing, as SVG leaves out an arc whose ends are one point.
      shape.full =
          ends[0].x == ends[1].x && ends[0].y == ends[1].y && shape.sweep > std::numbers::pi;
      return true;
    }
  }
  return false;
}

// Adds what a shape covers: a text's box is its characters times its height and width
// factor wide and its height high, from its place.
void bounds_add(Bounds& bounds, const Shape& shape) {
  const DrawEntry& entry = *shape.entry;
  const double r = entry.radius;
  if (entry.kind != DrawKind::arc) bounds.add(shape.a.x, shape.a.y);
  switch (entry.kind) {
    case DrawKind::line:
      bounds.add(shape.b.x, shape.b.y);
      break;
    case DrawKind::point:
      break;
    case DrawKind::text:
      bounds.add(shape.a.x + static_cast<double>(code_points(entry.text)) * entry.text_height *
                                 entry.text_width_factor,
                 shape.a.y + entry.text_height);
      break;
    case DrawKind::circle:
      bounds.add(shape.a.x - r, shape.a.y - r);
      bounds.add(shape.a.x + r, shape.a.y + r);
      break;
    case DrawKind::arc: {
      bounds.add(shape.start.x, shape.start.y);
      bounds.add(shape.end.x, shape.end.y);
      // The points of the arc furthest along +x, +y, -x and -y, where the arc passes them.
      const double two_pi = 2 * std::numbers::pi;
      for (int quarter = 0; quarter < 4; ++quarter) {
        double along =
            std::fmod(quarter * std::numbers::pi / 2 - shape.start_angle + 2 * two_pi, two_pi);
        if (shape.full || along <= shape.sweep) {
          static constexpr double axis[4][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
          bounds.add(shape.a.x + r * axis[quarter][0], shape.a.y + r * axis[quarter][1]);
        }
      }
      break;
    }
  }
}

// Lengths in picture pixels as the view box measures them.
struct Pixels {
  double side = 1;   // the view box's larger side
  double count = 1;  // the picture's pixels along it
  double operator()(double pixels) const { return pixels * side / count; }
};

// How a shape is drawn: its colour, line style (-1: solid) and the radius of a point's
// dot, in pixels.
struct Pen {
  std::string colour;
  int line_style = -1;
  double dot = 2;
};

// The attributes of a stroke.
std::string stroke(const Pen& pen, const Pixels& pixels) {
  std::string text = " stroke=\"" + pen.colour + "\"";
  if (pen.line_style >= 1 && pen.line_style <= 4) {
    text += " stroke-dasharray=\"";
    const char* blank = "";
    const DashPattern& pattern = dash_patterns[pen.line_style - 1];
    for (int i = 0; i < pattern.count; ++i) {
      text += blank + num(pixels(pattern.lengths[i]));
      blank = " ";
    }
    text += "\"";
  }
  return text;
}

// The element that draws a shape with a pen.
std::string element(const Shape& shape, const Pen& pen, const Pixels& pixels) {
  const DrawEntry& entry = *shape.entry;
  const std::string& colour = pen.colour;
  std::string y = num(-shape.a.y);
  std::string x = num(shape.a.x);
  switch (entry.kind) {
    case DrawKind::line:
      return "<line x1=\"" + x + "\" y1=\"" + y + "\" x2=\"" + num(shape.b.x) + "\" y2=\"" +
             num(-shape.b.y) + "\"" + stroke(pen, pixels) + "/>";
    case DrawKind::point:
      return "<circle cx=\"" + x + "\" cy=\"" + y + "\" r=\"" + num(pixels(pen.dot)) +
             "\" fill=\"" + colour + "\"/>";
    case DrawKind::circle:
      return "<circle cx=\"" + x + "\" cy=\"" + y + "\" r=\"" + num(entry.radius) + "\"" +
             stroke(pen, pixels) + "/>";
    case DrawKind::arc: {
      if (shape.full)
        return "<circle cx=\"" + x + "\" cy=\"" + y + "\" r=\"" + num(entry.radius) + "\"" +
               stroke(pen, pixels) + "/>";
      // Counter-clockwise with y up is the negative direction once y is flipped: sweep 0.
      const std::string r = num(entry.radius);
      return "<path d=\"M " + num(shape.start.x) + " " + num(-shape.start.y) + " A " + r + " " + r +
             " 0 " + (shape.sweep > std::numbers::pi ? "1" : "0") + " 0 " + num(shape.end.x) + " " +
             num(-shape.end.y) + "\"" + stroke(pen, pixels) + "/>";
    }
    case DrawKind::text: {
      std::string place = entry.text_width_factor == 1
                              ? " x=\"" + x + "\" y=\"" + y + "\""
                              : " transform=\"translate(" + x + " " + y + ") scale(" +
                                    num(entry.text_width_factor) + " 1)\"";
      return "<text" + place + " font-size=\"" + num(entry.text_height) + "\" fill=\"" + colour +
             "\">" + xml_text(entry.text) + "</text>";
    }
  }
  return "";
}

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The box of what entries draw; empty when none can be drawn.
Bounds entries_bounds(const std::vector<DrawEntry>& entries) {
  Bounds bounds;
  for (const DrawEntry& entry : entries) {
    Shape shape;
    if (shape_of(entry, shape)) bounds_add(bounds, shape);
  }
  return bounds;
}

geom::Vec3 unit3(const geom::Vec3& v) {
  const double length = std::hypot(v[0], v[1], v[2]);
  if (!(length > 0) || !std::isfinite(length)) return {};
  return {v[0] / length, v[1] / length, v[2] / length};
}

geom::Vec3 cross3(const geom::Vec3& a, const geom::Vec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

double dot3(const geom::Vec3& a, const geom::Vec3& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// The entries of an outline's curves, as the outline gives them.
std::vector<DrawEntry> outline_entries(const std::vector<geom::OutlineCurve>& curves) {
  std::vector<DrawEntry> entries;
  for (const geom::OutlineCurve& curve : curves) {
    DrawEntry entry;
    entry.line_style = curve.visible ? 0 : hidden_edge_line_style;
    auto point = [](const geom::Vec2& p) { return std::vector<double>{p[0], p[1], 0}; };
    switch (curve.kind) {
      case geom::OutlineKind::line:
        entry.kind = DrawKind::line;
        entry.points = {point(curve.points[0]), point(curve.points[1])};
        entries.push_back(entry);
        break;
      case geom::OutlineKind::arc: {
        entry.radius = curve.radius;
        entry.points = {point(curve.center)};
        if (curve.sweep >= 2 * std::numbers::pi - 1e-9) {
          entry.kind = DrawKind::circle;
        } else {
          entry.kind = DrawKind::arc;
          const double end = curve.start_angle + curve.sweep;
          entry.points.push_back({std::cos(curve.start_angle), std::sin(curve.start_angle), 0});
          entry.points.push_back({std::cos(end), std::sin(end), 0});
        }
        entries.push_back(entry);
        break;
      }
      case geom::OutlineKind::polyline:
        entry.kind = DrawKind::line;
        for (std::size_t i = 0; i + 1 < curve.points.size(); ++i) {
          entry.points = {point(curve.points[i]), point(curve.points[i + 1])};
          entries.push_back(entry);
        }
        break;
    }
  }
  return entries;
}

// Moves entries so that from lands at to, their lengths times scale (above 0).
void entries_place(std::vector<DrawEntry>& entries, const Point& from, const double to[3],
                   double scale) {
  auto place = [&](std::vector<double>& p) {
    p[0] = to[0] + scale * (p[0] - from.x);
    p[1] = to[1] + scale * (p[1] - from.y);
    p[2] = to[2];
  };
  for (DrawEntry& entry : entries) {
    place(entry.points[0]);
    if (entry.kind == DrawKind::line) place(entry.points[1]);
    entry.radius *= scale;  // an arc's directions stay
  }
}

// The entries of a drawing view's part on the sheet; a view whose part is not in session
// or has no solid draws nothing.
void drawing_view_add(const DrawingView& view, std::vector<DrawEntry>& entries,
                      std::vector<std::string>* not_drawn) {
  const StoredModel* part = stored_model_find(model_type_part, view.model);
  if (!part || part->solid.empty()) return;
  std::string problem;
  geom::ViewAxes axes;
  if (!drawing_view_axes(view.orientation, axes))
    problem = "its orientation gives no direction";
  else if (!(view.scale > 0) || !std::isfinite(view.scale))
    problem = "its scale is not above 0";
  else if (shape_entries(part->solid, axes, view.position, view.scale, entries, problem))
    return;
  if (not_drawn) not_drawn->push_back(utf8_from_utf16(view.name) + " (" + problem + ")");
}

// A part's solid seen isometrically, in model units; a part without a solid draws nothing.
void part_add(const StoredModel& part, std::vector<DrawEntry>& entries,
              std::vector<std::string>* not_drawn) {
  if (part.solid.empty()) return;
  std::string problem;
  if (!shape_entries(part.solid, geom::isometric_axes(), nullptr, 1, entries, problem) &&
      not_drawn)
    not_drawn->push_back(utf8_from_utf16(part.name) + " (" + problem + ")");
}

SvgPicture picture_of(const std::string& title, const std::vector<DrawEntry>& entries,
                      std::vector<std::string> not_drawn, int window) {
  SvgPicture picture = svg_picture(title, entries, [window](const DrawEntry& entry) {
    return entry.item.type == 0 || window == 0 ? std::nullopt
                                               : highlight_colour_in(entry.item, window);
  });
  picture.not_drawn = std::move(not_drawn);
  return picture;
}

// Writes a picture to dir under name and lists it; false with the reason when it cannot
// be written. It is put in place whole, as a save's files are: a write that fails leaves
// the earlier picture of that name as it was.
bool picture_file_write(const std::string& dir, const std::string& name,
                        const SvgPicture& picture, std::FILE* out, std::string& error) {
  const std::string path = (std::filesystem::path(dir) / name).string();
  FileSet file;
  file.write(path, picture.text);
  std::string failure;
  if (!file.commit(failure)) {
    error = path + ": cannot be written";
    return false;
  }
  std::string missing;
  for (const std::string& what : picture.not_drawn)
    missing += (missing.empty() ? ", not drawn: " : ", ") + what;
  std::fprintf(out, "  %s: %d drawn, %d highlighted, %d left out%s\n", path.c_str(),
               picture.drawn, picture.highlighted, picture.left_out, missing.c_str());
  return true;
}

}  // namespace

bool drawing_view_axes(const double orientation[4][4], geom::ViewAxes& axes) {
  const geom::Vec3 toward = unit3({orientation[2][0], orientation[2][1], orientation[2][2]});
  if (toward == geom::Vec3{}) return false;
  // Along a model axis: upright as the datum planes' sketch frames are.
  for (int axis = 0; axis < 3; ++axis) {
    if (std::fabs(std::fabs(toward[axis]) - 1) > 1e-9) continue;
    const geom::Vec3 up = axis == 1 ? geom::Vec3{0, 0, -1} : geom::Vec3{0, 1, 0};
    geom::Vec3 exact{};
    exact[axis] = toward[axis] > 0 ? 1 : -1;
    axes = {cross3(up, exact), exact};
    return true;
  }
  const geom::Vec3 row0 = unit3({orientation[0][0], orientation[0][1], orientation[0][2]});
  const double along = dot3(row0, toward);
  if (row0 == geom::Vec3{} || std::fabs(along) > 1 - 1e-9) return false;
  const geom::Vec3 right = unit3(
      {row0[0] - along * toward[0], row0[1] - along * toward[1], row0[2] - along * toward[2]});
  axes = {right, toward};
  return true;
}

bool shape_entries(const geom::Shape& shape, const geom::ViewAxes& axes, const double* at,
                   double scale, std::vector<DrawEntry>& out, std::string& error) {
  std::vector<geom::OutlineCurve> curves;
  const geom::Status status = geom::shape_outline(shape, axes, curves);
  if (status != geom::Status::ok) {
    error = geom::status_text(status);
    return false;
  }
  std::vector<DrawEntry> entries = outline_entries(curves);
  if (at) {
    const Bounds bounds = entries_bounds(entries);
    const Point middle{(bounds.min_x + bounds.max_x) / 2, (bounds.min_y + bounds.max_y) / 2};
    entries_place(entries, middle, at, scale);
  }
  out.insert(out.end(), entries.begin(), entries.end());
  return true;
}

std::string xml_text(const std::string& text) {
  // Through UTF-16, so that what is no UTF-8 arrives as U+FFFD.
  const std::u16string wide = utf16_from_text(text);
  std::string out;
  for (std::size_t i = 0; i < wide.size(); ++i) {
    char32_t c = wide[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] <= 0xDFFF)
      c = 0x10000 + ((c - 0xD800) << 10) + (wide[++i] - 0xDC00);
    switch (c) {
      case '&':
        out += "&amp;";
        continue;
      case '<':
        out += "&lt;";
        continue;
      case '>':
        out += "&gt;";
        continue;
      case '"':
        out += "&quot;";
        continue;
      case '\'':
        out += "&apos;";
        continue;
      case '\t':
        out += "&#9;";
        continue;
      case '\n':
        out += "&#10;";
        continue;
      case '\r':
        out += "&#13;";
        continue;
      default:
        break;
    }
    bool xml_char = c >= 0x20 && !(c >= 0xD800 && c <= 0xDFFF) && c != 0xFFFE && c != 0xFFFF;
    append_utf8(out, xml_char ? c : 0xFFFD);
  }
  return out;
}

std::string svg_colour(const VynColor& colour) {
  if (!host_colour_valid(colour) || colour.method == 0) return colour_types[0];
  if (colour.method == 1) {
    const int type = colour.value.type;
    return type < static_cast<int>(std::size(colour_types)) ? colour_types[type]
                                                            : colour_type_unknown;
  }
  static const char digits[] = "0123456789abcdef";
  std::string text = "#";
  for (double part : colour.value.rgb) {
    int byte = static_cast<int>(std::lround(part * 255));
    text += digits[byte >> 4];
    text += digits[byte & 15];
  }
  return text;
}

SvgPicture svg_picture(const std::string& title, const std::vector<DrawEntry>& entries,
                       const HighlightOf& highlight) {
  SvgPicture picture;
  std::vector<Shape> shapes;
  Bounds bounds;
  for (const DrawEntry& entry : entries) {
    Shape shape;
    if (!shape_of(entry, shape)) {
      ++picture.left_out;
      continue;
    }
    bounds_add(bounds, shape);
    shapes.push_back(shape);
  }
  picture.drawn = static_cast<int>(shapes.size());

  // The view box in SVG coordinates (y flipped) and the picture's size in pixels.
  double x = 0, y = 0, width = empty_picture_side, height = empty_picture_side;
  double pixel_width = empty_picture_side, pixel_height = empty_picture_side;
  if (!bounds.empty) {
    const double side = std::max(bounds.max_x - bounds.min_x, bounds.max_y - bounds.min_y);
    const double margin = side > 0 ? side * 0.05 : 1;
    x = bounds.min_x - margin;
    y = -bounds.max_y - margin;
    width = bounds.max_x - bounds.min_x + 2 * margin;
    height = bounds.max_y - bounds.min_y + 2 * margin;
    const double larger = std::max(width, height);
    pixel_width = std::max(1.0, std::round(picture_pixels * width / larger));
    pixel_height = std::max(1.0, std::round(picture_pixels * height / larger));
  }
  const Pixels pixels{std::max(width, height), std::max(pixel_width, pixel_height)};

  std::string& out = picture.text;
  out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + num(pixel_width) +
         "\" height=\"" + num(pixel_height) + "\" viewBox=\"" + num(x) + " " + num(y) + " " +
         num(width) + " " + num(height) + "\" xml:space=\"preserve\">\n";
  out += "<title>" + xml_text(title) + "</title>\n";
  out += "<rect x=\"" + num(x) + "\" y=\"" + num(y) + "\" width=\"" + num(width) + "\" height=\"" +
         num(height) + "\" fill=\"#ffffff\"/>\n";
  auto group = [&](double stroke_pixels) {
    return "<g fill=\"none\" stroke-width=\"" + num(pixels(stroke_pixels)) +
           "\" stroke-linecap=\"round\" stroke-linejoin=\"round\">\n";
  };
  if (!shapes.empty()) {
    out += group(1);
    for (const Shape& shape : shapes)
      out +=
          element(shape, Pen{svg_colour(shape.entry->colour), shape.entry->line_style, 2}, pixels) +
          "\n";
    out += "</g>\n";
  }
  std::string over;
  for (const Shape& shape : shapes) {
    std::optional<int> colour = highlight ? highlight(*shape.entry) : std::nullopt;
    if (!colour || *colour < 0) continue;
    VynColor highlight_colour{};
    highlight_colour.method = 1;
    highlight_colour.value.type = *colour;
    over += element(shape, Pen{svg_colour(highlight_colour), -1, 4}, pixels) + "\n";
    ++picture.highlighted;
  }
  if (!over.empty()) out += group(3) + over + "</g>\n";
  out += "</svg>\n";
  return picture;
}

std::vector<DrawEntry> window_entries(int window, int sheet, std::vector<std::string>* not_drawn) {
  const WindowState* state = window_find(window);
  if (!state) return {};
  std::vector<DrawEntry> entries;
  const VynMdl model = window_model(window);
  bool current = true;
  if (const DrawingContent* drawing = host_drawing(model)) {
    if (sheet == 0) sheet = drawing->current_sheet;
    current = sheet == drawing->current_sheet;
    for (const DrawingView& view : drawing->views)
      if (view.sheet == sheet) drawing_view_add(view, entries, not_drawn);
    // The display list's own drawing of an entity stands for it.
    std::set<int> listed;
    for (const DrawEntry& entry : state->display_list)
      if (current && entry.item.type == item_type_draft_entity && entry.item.owner == model)
        listed.insert(entry.item.id);
    for (const auto& [id, entity] : drawing->entities) {
      if (entity.sheet != sheet || listed.count(id) ||
          stored_item_hidden(model, item_type_draft_entity, id))
        continue;
      std::vector<DrawEntry> drawn = draft_entity_drawing(model, entity);
      entries.insert(entries.end(), drawn.begin(), drawn.end());
    }
  } else if (const StoredModel* part = stored_model(model); part && part->type == model_type_part) {
    part_add(*part, entries, not_drawn);
  }
  if (current)
    entries.insert(entries.end(), state->display_list.begin(), state->display_list.end());
  return entries;
}

SvgPicture window_picture(int window, int sheet) {
  const WindowState* state = window_find(window);
  if (!state) return svg_picture("", {}, nullptr);
  std::string title = "window " + std::to_string(window);
  if (!state->name.empty()) title += " " + state->name;
  if (VynMdl model = window_model(window)) title += ": " + host_model_name(model);
  if (sheet != 0) title += ", sheet " + std::to_string(sheet);
  std::vector<std::string> not_drawn;
  std::vector<DrawEntry> entries = window_entries(window, sheet, &not_drawn);
  return picture_of(title, entries, std::move(not_drawn), window);
}

SvgPicture part_picture(VynMdl part) {
  const StoredModel* model = stored_model(part);
  if (!model || model->type != model_type_part) return svg_picture("", {}, nullptr);
  std::vector<DrawEntry> entries;
  std::vector<std::string> not_drawn;
  part_add(*model, entries, &not_drawn);
  return picture_of("part " + host_model_name(part), entries, std::move(not_drawn), 0);
}

std::string part_picture_name(VynMdl part) {
  const StoredModel* model = stored_model(part);
  if (!model) return "";
  std::string name = drawing_part_file_name(model->name);
  return "part_" + name.substr(0, name.size() - 4) + ".svg";
}

std::string window_picture_name(int window, int sheet) {
  return "window" + std::to_string(window) +
         (sheet != 0 ? "_sheet" + std::to_string(sheet) : std::string()) + ".svg";
}

bool picture_directory_prepare(const std::string& dir, std::string& error) {
  if (dir.empty()) {
    error = "an empty directory name";
    return false;
  }
  std::error_code code;
  if (std::filesystem::exists(dir, code)) {
    if (std::filesystem::is_directory(dir, code)) return true;
    error = dir + ": not a directory";
    return false;
  }
  std::filesystem::create_directories(dir, code);
  if (code || !std::filesystem::is_directory(dir)) {
    error = dir + ": cannot be made" + (code ? " (" + code.message() + ")" : "");
    return false;
  }
  return true;
}

bool window_pictures_write(const std::string& dir, std::FILE* out, std::string& error) {
  std::fprintf(out, "pictures:\n");
  for (int id : window_ids()) {
    // The window's picture, then each other sheet of the drawing it shows.
    std::vector<int> sheets = {0};
    if (const DrawingContent* drawing = host_drawing(window_model(id)))
      for (const DrawingSheet& sheet : drawing->sheets)
        if (sheet.number != drawing->current_sheet) sheets.push_back(sheet.number);
    for (int sheet : sheets)
      if (!picture_file_write(dir, window_picture_name(id, sheet), window_picture(id, sheet), out,
                              error))
        return false;
  }
  for (VynMdl part : host_models(model_type_part))
    if (!picture_file_write(dir, part_picture_name(part), part_picture(part), out, error))
      return false;
  return true;
}

}  // namespace yrlhost
