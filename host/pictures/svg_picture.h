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
// - Lengths that do not belong to the drawing (stroke widths, dashes, a point's dot)
//   are in picture pixels.
#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/display/graphics.h"

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

// What a window's picture draws: its model's entities (above), then its display list.
std::vector<DrawEntry> window_entries(int window);

// The picture of a known window, titled "window <id>", its name when it has one, and
// ": <model name>" when it shows a model; highlights are those of that window.
SvgPicture window_picture(int window);

// The file name of a window's picture: "window<id>.svg".
std::string window_picture_name(int window);

// Makes dir ready to take pictures: a directory that exists is used as it is, a missing
// one is made with its parents. False with the reason for an empty path, a path that is
// not a directory, or one that cannot be made.
bool picture_directory_prepare(const std::string& dir, std::string& error);

// Writes the picture of every window, by ascending id, into dir (replacing files of
// those names, leaving any other file alone), and to out under "pictures:" one line per
// picture: "  <path>: <n> drawn, <n> highlighted, <n> left out". False with the reason
// at the first file that cannot be written (the pictures before it stay).
bool window_pictures_write(const std::string& dir, std::FILE* out, std::string& error);

}  // namespace yrlhost
