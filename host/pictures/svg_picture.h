// Pictures of the windows as SVG files, so that a person can look at what a scenario
// drew. host/resources/README.md ("Pictures") gives the rules for a reader of the files;
// in short:
//
// - A window shows its model and its display list: for a drawing, the draft entities of
//   its current sheet that are not hidden (in id order, drawn as VynDtlentityDraw draws
//   them, unless the display list draws them itself), then the display list in order.
// - Sheet coordinates are drawn as they are, x to the right and y up (SVG's y is
//   flipped: y is written as -y); z is dropped. The window's pan/zoom matrix and size
//   are not applied: the view box holds everything drawn, with a margin of 5% of its
//   larger side (1 unit when that side is 0), and the picture is 1000 pixels on that
//   side. An entry with a number that is not finite or beyond entry_coordinate_limit in
//   magnitude (or a radius below 0, a text height or width factor that is not positive,
//   an arc direction of length 0, a wrong count of points) is left out and counted; a
//   window with nothing drawn gives a 100 x 100 picture of its background.
// - Entries are drawn in order on a white background; then every highlighted entry is
//   drawn over again, solid and three times as wide, in its highlight colour.
// - A drawing's drawing views show their parts' solids projected along the view (hidden
//   edges dashed), and a window that shows a part shows its solid seen isometrically:
//   the model as a person would see it, drawn before the entities and the display list.
// - Lengths that do not belong to the drawing (stroke widths, dashes, a point's dot)
//   are in picture pixels.
#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/display/graphics.h"
#include "host/geometry/geometry.h"

namespace yrlhost {

// The largest coordinate (and radius, text height and width factor) a picture draws.
inline constexpr double entry_coordinate_limit = 1e15;

// The colour type an entry is highlighted in; none when it is not highlighted.
using HighlightOf = std::function<std::optional<int>(const DrawEntry& entry)>;

struct SvgPicture {
  std::string text;     // the SVG file, UTF-8
  int drawn = 0;        // entries drawn
  int highlighted = 0;  // entries drawn over in a highlight colour
  int left_out = 0;     // entries left out for a number they hold (above)
  // The solids the picture should show and does not: "<view or part name> (<reason>)".
  std::vector<std::string> not_drawn;
};

// The picture of a display list, with its title; highlight may be empty (nothing is
// highlighted).
SvgPicture svg_picture(const std::string& title, const std::vector<DrawEntry>& entries,
                       const HighlightOf& highlight);

// The SVG colour ("#rrggbb") of a host colour: method 0 (the default colour) and
// anything host_colour_valid refuses are black, a colour type takes its row of the
// host's colour table (a type without a row is grey, #808080), red, green and blue are
// rounded to 0..255.
std::string svg_colour(const VynColor& colour);

// Text as XML character data or attribute value: & < > " ' escaped; characters XML
// cannot hold (controls but tab, line feed and carriage return, which become character
// references; U+FFFE, U+FFFF) and bytes that are no UTF-8 become U+FFFD.
std::string xml_text(const std::string& text);

// The line style of hidden edges: dashed.
inline constexpr int hidden_edge_line_style = 2;

// The axes a drawing view sees its part along, from its orientation. The view looks from
// the side row 2 points to. When row 2 lies along a model axis, the picture is upright as
// the sketch frames of the default datum planes have it (seen along y, up is -z; along x
// or z, up is +y) and its x is up x row 2, so that FRONT (identity), TOP and RIGHT (as
// the application orients them) show the part as a third-angle drawing does; otherwise
// its x is row 0 made square to row 2. False when row 2 or, off the axes, row 0 gives no
// direction.
bool drawing_view_axes(const double orientation[4][4], geom::ViewAxes& axes);

// The entries that draw a shape seen along axes: each piece of its outline a line, an
// arc, a circle or lines along a polyline, visible pieces solid and hidden ones in
// hidden_edge_line_style, in the default colour, naming no item. Placed so that the
// middle of the outline's box lies at `at` (sheet coordinates) and its lengths are times
// scale; with at null, as the outline gives them. False, nothing written, when the
// kernel cannot make the outline.
bool shape_entries(const geom::Shape& shape, const geom::ViewAxes& axes, const double* at,
                   double scale, std::vector<DrawEntry>& out, std::string& error);

// What a window's picture draws. For a drawing, of the given sheet (0: the current one):
// the drawing views on it (their parts' solids as drawing_view_axes sees them, placed at
// the view's position and scale), then its entities (above); then, on the current sheet,
// the display list. For a part: its solid seen isometrically (geom::isometric_axes, model
// units), then the display list. A view of a part that is not in session or has no
// solid draws nothing; a solid the kernel cannot outline draws nothing and is named in
// not_drawn when given.
std::vector<DrawEntry> window_entries(int window, int sheet = 0,
                                      std::vector<std::string>* not_drawn = nullptr);

// The picture of a known window, titled "window <id>", its name when it has one, and
// ": <model name>" when it shows a model; highlights are those of that window. A sheet
// other than 0 (the current sheet) of a drawing adds ", sheet <n>" to the title.
SvgPicture window_picture(int window, int sheet = 0);

// The file name of a window's picture: "window<id>.svg", and for a sheet of its drawing
// other than the current one "window<id>_sheet<n>.svg".
std::string window_picture_name(int window, int sheet = 0);

// The picture of a part in session as a window showing it would draw it (its solid seen
// isometrically), titled "part <name>", without highlights.
SvgPicture part_picture(VynMdl part);
// Its file name: "part_<name>.svg", the name's bytes but ASCII letters, digits, '_' and
// '-' and those of non-ASCII characters written as %XX (as a drawing's part files are).
std::string part_picture_name(VynMdl part);

// Makes dir ready to take pictures: a directory that exists is used as it is, a missing
// one is made with its parents. False with the reason for an empty path, a path that is
// not a directory, or one that cannot be made.
bool picture_directory_prepare(const std::string& dir, std::string& error);

// Writes the picture of every window, by ascending id, into dir, and for a window that
// shows a drawing of several sheets a picture of each other sheet after it, by number;
// then the picture of every part in session, in session order (replacing files of those
// names, leaving any other file alone), and to out under
// "pictures:" one line per picture: "  <path>: <n> drawn, <n> highlighted, <n> left out",
// with ", not drawn: <name> (<reason>), ..." when a solid could not be drawn. False with
// the reason at the first file that cannot be written (the pictures before it stay).
bool window_pictures_write(const std::string& dir, std::FILE* out, std::string& error);

}  // namespace yrlhost
