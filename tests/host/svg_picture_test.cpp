// The windows' pictures: the SVG text of small display lists, escaping, colours, line
// styles, numbers that cannot be drawn, highlights, a window's model under its display
// list, and the files. Every picture is read back with libxml2.
#include "host/pictures/svg_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "host/store/drawings.h"
#include "host/display/graphics.h"
#include "host/files/file_set.h"
#include "host/store/models.h"
#include "host/store/model_geometry.h"
#include "host/store/model_store.h"
#include "host/util/host_testing.h"
#include "host/util/text_read.h"
#include "tests/host/drawing_test.h"
#include "tests/host/svg_check.h"
#include "tests/support/temp_dir.h"

namespace {

using yrlhost::DrawEntry;
using yrlhost::DrawKind;
using yrlhost::svg_picture;
using yrltest::colour_type;
using yrltest::rgb;
using yrltest::svg_problems;
using yrltest::texts_read;

// The check of a picture finds what it looks for.
TEST(SvgPicture, TheCheckOfAPictureFindsFaults) {
  const std::string head = "<svg xmlns=\"http://www.w3.org/2000/svg\">";
  struct Case {
    std::string svg;
    bool fine;
  };
  const Case cases[] = {
      {head + "<line x1=\"1e+15\" y1=\"-0.5\"/><path d=\"M 1 2 A 3 3 0 1 0 4 5\"/></svg>", true},
      {head + "<text transform=\"translate(1 -2) scale(0.5 1)\">a</text></svg>", true},
      {head + "<line x1=\"nan\"/></svg>", false},
      {head + "<circle r=\"-inf\"/></svg>", false},
      {head + "<path d=\"M 1 NaN\"/></svg>", false},
      {head + "<line x1=\"1e999\"/></svg>", false},
      {head + "<line x1=\"1,5\"/></svg>", true},
      {head + "<text>a & b</text></svg>", false},
      {head + "<text>a</txt></svg>", false},
      {"<svg><line/></svg>", false},
      {head + "<script/></svg>", false},
      {head + "<text>\x01</text></svg>", false},
  };
  for (const Case& c : cases) EXPECT_EQ(svg_problems(c.svg).empty(), c.fine) << c.svg;
}

// ---- Display-list entries ---------------------------------------------------------------

DrawEntry line(double x1, double y1, double x2, double y2) {
  DrawEntry entry;
  entry.kind = DrawKind::line;
  entry.points = {{x1, y1, 0}, {x2, y2, 0}};
  return entry;
}

DrawEntry circle(double x, double y, double radius) {
  DrawEntry entry;
  entry.kind = DrawKind::circle;
  entry.points = {{x, y, 0}};
  entry.radius = radius;
  return entry;
}

DrawEntry arc(double x, double y, double radius, double v1x, double v1y, double v2x, double v2y) {
  DrawEntry entry;
  entry.kind = DrawKind::arc;
  entry.points = {{x, y, 0}, {v1x, v1y, 0}, {v2x, v2y, 0}};
  entry.radius = radius;
  return entry;
}

DrawEntry point(double x, double y) {
  DrawEntry entry;
  entry.kind = DrawKind::point;
  entry.points = {{x, y, 0}};
  return entry;
}

DrawEntry text(double x, double y, const std::string& characters, double height = 1,
               double width_factor = 1) {
  DrawEntry entry;
  entry.kind = DrawKind::text;
  entry.points = {{x, y, 0}};
  entry.text = characters;
  entry.text_height = height;
  entry.text_width_factor = width_factor;
  return entry;
}

template <typename T>
T with_colour(T entry, const VynColor& colour) {
  entry.colour = colour;
  return entry;
}

// The lines of a picture between its background and its end: the drawing groups.
std::string drawn_part(const std::string& svg) {
  std::size_t from = svg.find("fill=\"#ffffff\"/>\n");
  std::size_t to = svg.rfind("</svg>");
  if (from == std::string::npos || to == std::string::npos) return svg;
  from += std::string("fill=\"#ffffff\"/>\n").size();
  return svg.substr(from, to - from);
}

std::string view_box(const std::string& svg) {
  std::size_t from = svg.find("viewBox=\"");
  if (from == std::string::npos) return "";
  from += 9;
  return svg.substr(from, svg.find('"', from) - from);
}

// ---- The writer -------------------------------------------------------------------------

// One entry of every kind, a colour of every method, a dashed line style and a highlight:
// the whole file. The view box is the bounds (x 0..10, y -2..2) with a margin of 5% of
// the larger side; y is flipped; a pixel is 11 / 1000 of the view box.
TEST(SvgPicture, TheTextOfASmallDisplayList) {
  DrawEntry dashed = with_colour(circle(5, 0, 2), colour_type(1));
  dashed.line_style = 2;
  DrawEntry picked = line(0, 0, 10, 0);
  picked.item = VynModelitem{77, 4, nullptr};
  const std::vector<DrawEntry> entries = {
      picked,
      dashed,
      arc(0, 0, 2, 1, 0, 0, 1),
      point(10, 2),
      with_colour(text(0, -2, "A&B"), rgb(0, 0.5, 1)),
  };
  const yrlhost::SvgPicture picture =
      svg_picture("window 1", entries, [](const DrawEntry& entry) -> std::optional<int> {
        if (entry.item.id == 4) return 19;
        return std::nullopt;
      });
  EXPECT_EQ(picture.text,
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"1000\" "
            "height=\"455\" viewBox=\"-0.5 -2.5 11 5\" xml:space=\"preserve\">\n"
            "<title>window 1</title>\n"
            "<rect x=\"-0.5\" y=\"-2.5\" width=\"11\" height=\"5\" fill=\"#ffffff\"/>\n"
            "<g fill=\"none\" stroke-width=\"0.011\" stroke-linecap=\"round\" "
            "stroke-linejoin=\"round\">\n"
            "<line x1=\"0\" y1=\"0\" x2=\"10\" y2=\"0\" stroke=\"#000000\"/>\n"
            "<circle cx=\"5\" cy=\"0\" r=\"2\" stroke=\"#e00000\" "
            "stroke-dasharray=\"0.088 0.044\"/>\n"
            "<path d=\"M 2 0 A 2 2 0 0 0 0 -2\" stroke=\"#000000\"/>\n"
            "<circle cx=\"10\" cy=\"-2\" r=\"0.022\" fill=\"#000000\"/>\n"
            "<text x=\"0\" y=\"2\" font-size=\"1\" fill=\"#0080ff\">A&amp;B</text>\n"
            "</g>\n"
            "<g fill=\"none\" stroke-width=\"0.033\" stroke-linecap=\"round\" "
            "stroke-linejoin=\"round\">\n"
            "<line x1=\"0\" y1=\"0\" x2=\"10\" y2=\"0\" stroke=\"#ff3000\"/>\n"
            "</g>\n"
            "</svg>\n");
  EXPECT_EQ(picture.drawn, 5);
  EXPECT_EQ(picture.highlighted, 1);
  EXPECT_EQ(picture.left_out, 0);
  EXPECT_EQ(svg_problems(picture.text), "");
}

TEST(SvgPicture, AnEmptyDisplayListGivesASmallEmptyPicture) {
  const std::string empty =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"100\" height=\"100\" "
      "viewBox=\"0 0 100 100\" xml:space=\"preserve\">\n"
      "<title>window 3</title>\n"
      "<rect x=\"0\" y=\"0\" width=\"100\" height=\"100\" fill=\"#ffffff\"/>\n"
      "</svg>\n";
  yrlhost::SvgPicture picture = svg_picture("window 3", {}, nullptr);
  EXPECT_EQ(picture.text, empty);
  EXPECT_EQ(svg_problems(picture.text), "");
  // Nothing drawable is nothing drawn.
  picture = svg_picture("window 3", {line(0, 0, NAN, 1)}, nullptr);
  EXPECT_EQ(picture.text, empty);
  EXPECT_EQ(picture.left_out, 1);
}

// Each kind of entry as its element; the picture's pixel is 0.99 here (a view box of
// 990 for 1000 pixels): a dot's radius is 2 pixels, dashes are in pixels.
TEST(SvgPicture, EveryKindOfEntry) {
  struct Case {
    const char* what;
    DrawEntry entry;
    const char* element;
  };
  DrawEntry dotted = line(1, 2, 3, 4);
  dotted.line_style = 1;
  DrawEntry dash_dot = circle(1, 2, 3);
  dash_dot.line_style = 3;
  DrawEntry dash_dot_dot = arc(0, 0, 5, 0, 1, 1, 0);
  dash_dot_dot.line_style = 4;
  DrawEntry style_beyond = line(1, 2, 3, 4);
  style_beyond.line_style = 5;
  DrawEntry text_style = text(1, 2, "T");
  text_style.line_style = 2;
  const Case cases[] = {
      {"line", line(1, 2, 3, 4),
       "<line x1=\"1\" y1=\"-2\" x2=\"3\" y2=\"-4\" stroke=\"#000000\"/>"},
      {"dotted", dotted,
       "<line x1=\"1\" y1=\"-2\" x2=\"3\" y2=\"-4\" stroke=\"#000000\" "
       "stroke-dasharray=\"1.98 3.96\"/>"},
      {"style past the table", style_beyond,
       "<line x1=\"1\" y1=\"-2\" x2=\"3\" y2=\"-4\" stroke=\"#000000\"/>"},
      {"circle, dash-dot", dash_dot,
       "<circle cx=\"1\" cy=\"-2\" r=\"3\" stroke=\"#000000\" "
       "stroke-dasharray=\"11.88 3.96 1.98 3.96\"/>"},
      {"circle of radius 0", circle(1, 2, 0),
       "<circle cx=\"1\" cy=\"-2\" r=\"0\" stroke=\"#000000\"/>"},
      {"quarter arc", arc(0, 0, 5, 1, 0, 0, 1),
       "<path d=\"M 5 0 A 5 5 0 0 0 0 -5\" stroke=\"#000000\"/>"},
      // Counter-clockwise from +y to +x is three quarters: the large arc.
      {"three quarters, dash-dot-dot", dash_dot_dot,
       "<path d=\"M 0 -5 A 5 5 0 1 0 5 0\" stroke=\"#000000\" "
       "stroke-dasharray=\"11.88 3.96 1.98 3.96 1.98 3.96\"/>"},
      // Directions of any length.
      {"directions not unit", arc(1, 1, 2, 0, -7, 3, 0),
       "<path d=\"M 1 1 A 2 2 0 0 0 3 -1\" stroke=\"#000000\"/>"},
      {"arc whose ends meet", arc(1, 1, 2, 0, 1, 0, 3),
       "<circle cx=\"1\" cy=\"-1\" r=\"2\" stroke=\"#000000\"/>"},
      {"point", point(-1, -2), "<circle cx=\"-1\" cy=\"2\" r=\"1.98\" fill=\"#000000\"/>"},
      {"text", text(1, 2, "Hi", 2.5),
       "<text x=\"1\" y=\"-2\" font-size=\"2.5\" fill=\"#000000\">Hi</text>"},
      {"narrow text", text(1, 2, "Hi", 2, 0.5),
       "<text transform=\"translate(1 -2) scale(0.5 1)\" font-size=\"2\" "
       "fill=\"#000000\">Hi</text>"},
      {"text takes no dashes", text_style,
       "<text x=\"1\" y=\"-2\" font-size=\"1\" fill=\"#000000\">T</text>"},
  };
  for (const Case& c : cases) {
    // A frame the entries lie in.
    const std::vector<DrawEntry> entries = {point(-400, -400), point(500, 500), c.entry};
    yrlhost::SvgPicture picture = svg_picture("kinds", entries, nullptr);
    EXPECT_EQ(view_box(picture.text), "-445 -545 990 990") << c.what;
    std::string drawn = drawn_part(picture.text);
    EXPECT_NE(drawn.find(std::string(c.element) + "\n</g>"), std::string::npos) << c.what << "\n"
                                                                                << drawn;
    EXPECT_EQ(picture.drawn, 3) << c.what;
    EXPECT_EQ(svg_problems(picture.text), "") << c.what;
  }
}

// The view box holds what is drawn: an arc by the part of its circle it runs through, a
// text by its characters, a single point with a margin of 1.
TEST(SvgPicture, TheViewBoxHoldsWhatIsDrawn) {
  struct Case {
    const char* what;
    std::vector<DrawEntry> entries;
    const char* view_box;
  };
  const Case cases[] = {
      {"one point", {point(3, 4)}, "2 -5 2 2"},
      {"a horizontal line", {line(0, 1, 20, 1)}, "-1 -2 22 2"},
      {"a circle", {circle(0, 0, 10)}, "-11 -11 22 22"},
      {"a quarter arc", {arc(0, 0, 10, 1, 0, 0, 1)}, "-0.5 -10.5 11 11"},
      {"three quarters", {arc(0, 0, 10, 0, 1, 1, 0)}, "-11 -11 22 22"},
      {"a half circle through -y", {arc(0, 0, 10, -1, 0, 1, 0)}, "-11 -1 22 12"},
      {"an arc that passes no axis, away from its centre",
       {arc(0, 0, 5, 4, 3, 3, 4)},
       "2.95 -4.05 1.1 1.1"},
      {"a text of 4 characters, 2 high, width factor 0.5",
       {text(0, 0, "abcd", 2, 0.5)},
       "-0.2 -2.2 4.4 2.4"},
      {"a text of 2 characters of 2 bytes each",
       {text(0, 0, "\xc3\xa9\xc3\xa9")},
       "-0.1 -1.1 2.2 1.2"},
  };
  for (const Case& c : cases) {
    yrlhost::SvgPicture picture = svg_picture("box", c.entries, nullptr);
    EXPECT_EQ(view_box(picture.text), c.view_box) << c.what;
    EXPECT_EQ(svg_problems(picture.text), "") << c.what;
  }
}

TEST(SvgPicture, Colours) {
  struct Case {
    VynColor colour;
    const char* svg;
  };
  VynColor bad_method{};
  bad_method.method = 3;
  const Case cases[] = {
      {VynColor{}, "#000000"},
      {colour_type(0), "#000000"},
      {colour_type(1), "#e00000"},
      {colour_type(19), "#ff3000"},
      {colour_type(23), "#b0b0b0"},
      {colour_type(24), "#808080"},  // past the table
      {colour_type(-1), "#000000"},  // no colour type
      {rgb(0, 0, 0), "#000000"},
      {rgb(1, 1, 1), "#ffffff"},
      {rgb(0.5, 0.2, 0.8), "#8033cc"},  // 127.5 rounds up, 51, 204
      {rgb(0.001, 0.999, 0.002), "#00ff01"},
      {rgb(1.5, 0, 0), "#000000"},  // refused by the host: the default colour
      {rgb(NAN, 0, 0), "#000000"},
      {bad_method, "#000000"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(yrlhost::svg_colour(c.colour), c.svg)
        << c.colour.method << " " << c.colour.value.type;
    // In a picture, the colour is the stroke of a line and the fill of a text and a dot.
    std::vector<DrawEntry> entries = {with_colour(line(0, 0, 1, 1), c.colour),
                                      with_colour(text(0, 0, "x"), c.colour),
                                      with_colour(point(0, 0), c.colour)};
    std::string drawn = drawn_part(svg_picture("colours", entries, nullptr).text);
    EXPECT_NE(drawn.find(std::string("stroke=\"") + c.svg + "\"/>\n<text"), std::string::npos)
        << drawn;
    EXPECT_NE(drawn.find(std::string("fill=\"") + c.svg + "\">x</text>"), std::string::npos)
        << drawn;
    EXPECT_NE(drawn.find(std::string("fill=\"") + c.svg + "\"/>\n</g>"), std::string::npos)
        << drawn;
  }
}

// Text and the title reach an XML reader as they were, or with U+FFFD where XML cannot
// hold a character or the bytes are no UTF-8.
TEST(SvgPicture, TextIsEscapedForXml) {
  const std::string replacement = "\xef\xbf\xbd";
  struct Case {
    std::string text;
    std::string escaped;
    std::string read;
  };
  const Case cases[] = {
      {"plain", "plain", "plain"},
      {"a & b < c > d", "a &amp; b &lt; c &gt; d", "a & b < c > d"},
      {"\"q\" 'a'", "&quot;q&quot; &apos;a&apos;", "\"q\" 'a'"},
      {"]]>", "]]&gt;", "]]>"},
      {"&amp;", "&amp;amp;", "&amp;"},
      {"tab\tline\ncr\r", "tab&#9;line&#10;cr&#13;", "tab\tline\ncr\r"},
      {"\xc3\xa9t\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80",
       "\xc3\xa9t\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80",
       "\xc3\xa9t\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"},
      {std::string("nul\0in", 6), "nul" + replacement + "in", "nul" + replacement + "in"},
      {"bell\x07 esc\x1b del\x7f", "bell" + replacement + " esc" + replacement + " del\x7f",
       "bell" + replacement + " esc" + replacement + " del\x7f"},
      {"\xef\xbf\xbe\xef\xbf\xbf", replacement + replacement, replacement + replacement},
      {"bad \xff byte", "bad " + replacement + " byte", "bad " + replacement + " byte"},
      {"cut \xe2\x82", "cut " + replacement, "cut " + replacement},
      {"surrogate \xed\xa0\x80", "surrogate " + replacement + replacement + replacement,
       "surrogate " + replacement + replacement + replacement},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(yrlhost::xml_text(c.text), c.escaped) << c.text;
    const std::string svg = svg_picture(c.text, {text(0, 0, c.text)}, nullptr).text;
    EXPECT_EQ(svg_problems(svg), "") << c.text;
    EXPECT_EQ(texts_read(svg), (std::vector<std::string>{c.read, c.read})) << c.text;
  }
}

// Entries that hold a number the picture cannot draw are left out and counted; the
// picture is that of the others.
TEST(SvgPicture, EntriesWithNumbersThatCannotBeDrawnAreLeftOut) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  DrawEntry z_nan = line(0, 0, 1, 1);
  z_nan.points[1][2] = nan;
  DrawEntry short_point = line(0, 0, 1, 1);
  short_point.points[1] = {1};
  DrawEntry three_points = line(0, 0, 1, 1);
  three_points.points.push_back({2, 2, 0});
  DrawEntry no_points = point(0, 0);
  no_points.points.clear();
  const std::vector<DrawEntry> bad = {
      line(nan, 0, 1, 1),
      line(0, 0, inf, 1),
      line(0, 0, 1, -inf),
      line(0, 0, 1, 1.0000000000000002e15),
      z_nan,
      short_point,
      three_points,
      no_points,
      circle(0, 0, nan),
      circle(0, 0, -1),
      circle(0, 0, 2e15),
      arc(0, 0, 1, 0, 0, 1, 0),  // a direction of length 0
      arc(0, 0, 1, 1, 0, nan, 1),
      arc(0, 0, inf, 1, 0, 0, 1),
      point(nan, nan),
      text(0, 0, "x", 0),
      text(0, 0, "x", -1),
      text(0, 0, "x", nan),
      text(0, 0, "x", 1, 0),
      text(0, 0, "x", 1, inf),
  };
  const std::vector<DrawEntry> good = {line(0, 0, 1e15, -1e15), circle(3, 4, 5),
                                       arc(0, 0, 1, 1, 0, -1, 0), point(-1e15, 1),
                                       text(2, 2, "ok", 1e15, 1e15)};
  std::vector<DrawEntry> mixed;
  for (std::size_t i = 0; i < bad.size(); ++i) {
    mixed.push_back(bad[i]);
    if (i < good.size()) mixed.push_back(good[i]);
  }
  const yrlhost::SvgPicture alone = svg_picture("mixed", good, nullptr);
  const yrlhost::SvgPicture picture =
      svg_picture("mixed", mixed, [](const DrawEntry&) { return std::optional<int>(19); });
  EXPECT_EQ(picture.left_out, static_cast<int>(bad.size()));
  EXPECT_EQ(picture.drawn, static_cast<int>(good.size()));
  EXPECT_EQ(picture.highlighted, static_cast<int>(good.size()));
  EXPECT_EQ(drawn_part(picture.text).substr(0, drawn_part(alone.text).size()),
            drawn_part(alone.text));
  EXPECT_EQ(svg_problems(picture.text), "");
  EXPECT_EQ(svg_problems(alone.text), "");
}

// A highlighted entry is drawn over, solid and wider, in its highlight colour; a
// negative colour draws nothing over.
TEST(SvgPicture, HighlightsAreDrawnOverTheEntries) {
  DrawEntry dashed = line(0, 0, 1000, 0);
  dashed.line_style = 2;
  dashed.item = VynModelitem{77, 1, nullptr};
  DrawEntry dot = point(0, 10);
  dot.item = VynModelitem{77, 2, nullptr};
  DrawEntry label = text(0, 20, "L");
  label.item = VynModelitem{68, 3, nullptr};
  DrawEntry unhighlighted = circle(500, 0, 10);
  unhighlighted.item = VynModelitem{77, 5, nullptr};
  DrawEntry negative = circle(600, 0, 10);
  negative.item = VynModelitem{77, 6, nullptr};
  const yrlhost::SvgPicture picture =
      svg_picture("over", {dashed, dot, label, unhighlighted, negative},
                  [](const DrawEntry& entry) -> std::optional<int> {
                    switch (entry.item.id) {
                      case 1:
                        return 5;
                      case 2:
                        return 19;
                      case 3:
                        return 30;
                      case 6:
                        return -1;
                      default:
                        return std::nullopt;
                    }
                  });
  EXPECT_EQ(picture.highlighted, 3);
  // The view box is 1100 wide for 1000 pixels.
  const std::string over =
      drawn_part(picture.text).substr(drawn_part(picture.text).find("</g>\n") + 5);
  EXPECT_EQ(over,
            "<g fill=\"none\" stroke-width=\"3.3\" stroke-linecap=\"round\" "
            "stroke-linejoin=\"round\">\n"
            "<line x1=\"0\" y1=\"0\" x2=\"1000\" y2=\"0\" stroke=\"#c000c0\"/>\n"
            "<circle cx=\"0\" cy=\"-10\" r=\"4.4\" fill=\"#ff3000\"/>\n"
            "<text x=\"0\" y=\"-20\" font-size=\"1\" fill=\"#808080\">L</text>\n"
            "</g>\n");
  EXPECT_EQ(svg_problems(picture.text), "");
}

// Display lists of random entries, with numbers and bytes of every sort, always give a
// picture an XML reader takes, with every entry either drawn or left out.
TEST(SvgPicture, RandomDisplayListsGiveWellFormedPictures) {
  std::mt19937 random(15);
  const double numbers[] = {0.0,
                            -0.0,
                            1.0,
                            -2.5,
                            1e-300,
                            4.9e-324,
                            1e15,
                            -1e15,
                            1e16,
                            1e308,
                            std::numeric_limits<double>::quiet_NaN(),
                            std::numeric_limits<double>::infinity(),
                            0.1,
                            3.0};
  auto any_number = [&] { return numbers[random() % std::size(numbers)]; };
  for (int round = 0; round < 200; ++round) {
    std::vector<DrawEntry> entries;
    const int count = static_cast<int>(random() % 8);
    for (int i = 0; i < count; ++i) {
      DrawEntry entry;
      entry.kind = static_cast<DrawKind>(random() % 5);
      const int points = static_cast<int>(random() % 4);
      for (int p = 0; p < points; ++p)
        entry.points.push_back({any_number(), any_number(), any_number()});
      entry.radius = any_number();
      entry.text_height = any_number();
      entry.text_width_factor = any_number();
      for (int c = static_cast<int>(random() % 6); c > 0; --c)
        entry.text += static_cast<char>(random() % 256);
      entry.colour = random() % 2 ? colour_type(static_cast<int>(random() % 40) - 5)
                                  : rgb(any_number(), any_number(), any_number());
      entry.line_style = static_cast<int>(random() % 7) - 1;
      entry.item.id = static_cast<int>(random() % 3);
      entries.push_back(entry);
    }
    const yrlhost::SvgPicture picture =
        svg_picture("round " + std::to_string(round), entries,
                    [&](const DrawEntry& entry) -> std::optional<int> {
                      if (entry.item.id == 0) return std::nullopt;
                      return entry.item.id * 10 - 15;
                    });
    EXPECT_EQ(picture.drawn + picture.left_out, count);
    ASSERT_EQ(svg_problems(picture.text), "") << picture.text;
  }
}

// ---- Windows ----------------------------------------------------------------------------

class WindowPictures : public yrltest::DrawingTest {
 protected:
  const double a[3] = {0, 0, 0};
  const double b[3] = {10, 0, 0};
  const double c[3] = {0, 10, 0};
};

// A window shows its drawing's visible entities of the current sheet, then its display
// list; an entity the display list draws itself is drawn once.
TEST_F(WindowPictures, AWindowShowsItsDrawingAndItsDisplayList) {
  const int shown = line(a, b);
  const int drawn_too = line(a, c);
  yrlhost::DraftEntity hidden;
  hidden.hidden = true;
  hidden.curve = yrlhost::draft_line(b, c);
  std::string error;
  ASSERT_GT(yrlhost::host_entity_add(drawing, hidden, error), 0) << error;
  ASSERT_EQ(yrlhost::host_sheet_add(drawing, error), 2) << error;
  line(b, c, 2);  // on sheet 2, not current

  VynDtlentity entity{yrlhost::item_type_draft_entity, drawn_too, drawing};
  ASSERT_EQ(call<yrlhost::HostApi::VynDtlentityDraw>(&entity), 0);
  const double pen[3] = {-5, -5, 0};
  const double to[3] = {-5, 5, 0};
  yrlhost::Behaviour<yrlhost::HostApi::VynGraphicsPenPosition>::run(1, pen);
  yrlhost::Behaviour<yrlhost::HostApi::VynGraphicsLineDraw>::run(1, to);

  const std::vector<DrawEntry> entries = yrlhost::window_entries(yrlhost::main_window_id);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].item.id, shown);
  EXPECT_EQ(entries[0].points, (std::vector<std::vector<double>>{{0, 0, 0}, {10, 0, 0}}));
  EXPECT_EQ(entries[1].item.id, drawn_too);
  EXPECT_EQ(entries[2].item.type, 0);
  const yrlhost::SvgPicture picture = yrlhost::window_picture(yrlhost::main_window_id);
  EXPECT_EQ(picture.drawn, 3);
  EXPECT_EQ(texts_read(picture.text), std::vector<std::string>{"window 1: PLATE"});
  EXPECT_EQ(svg_problems(picture.text), "");

  // The other sheet made current shows its own entity; the display list stays.
  ASSERT_TRUE(yrlhost::host_current_sheet_set(drawing, 2, error)) << error;
  EXPECT_EQ(yrlhost::window_entries(yrlhost::main_window_id).size(), 3u);
  EXPECT_EQ(yrlhost::window_entries(yrlhost::main_window_id)[0].points,
            (std::vector<std::vector<double>>{{10, 0, 0}, {0, 10, 0}}));
}

// A highlight is drawn in the window it was made in only; a window that shows a part
// shows its display list alone.
TEST_F(WindowPictures, HighlightsBelongToTheirWindow) {
  const int id = line(a, b);
  VynModelitem item{yrlhost::item_type_draft_entity, id, drawing};
  VynSelection selection = nullptr;
  ASSERT_EQ(call<yrlhost::HostApi::VynSelectionAlloc>(nullptr, &item, &selection), 0);
  ASSERT_EQ(call<yrlhost::HostApi::VynSelectionHighlight>(selection, 19), 0);

  int accessory = 0;
  ASSERT_EQ(call<yrlhost::HostApi::VynAccessorywindowCreate>(u"PREVIEW", 2, &accessory), 0);
  yrlhost::SvgPicture in_main = yrlhost::window_picture(yrlhost::main_window_id);
  yrlhost::SvgPicture in_accessory = yrlhost::window_picture(accessory);
  EXPECT_EQ(in_main.highlighted, 1);
  EXPECT_NE(in_main.text.find("stroke=\"#ff3000\""), std::string::npos);
  // The accessory window shows the current model, the drawing, unhighlighted.
  EXPECT_EQ(in_accessory.drawn, 1);
  EXPECT_EQ(in_accessory.highlighted, 0);
  EXPECT_EQ(texts_read(in_accessory.text), std::vector<std::string>{"window 2 PREVIEW: PLATE"});

  ASSERT_EQ(call<yrlhost::HostApi::VynMdlDisplay>(part), 0);
  EXPECT_EQ(yrlhost::window_picture(accessory).drawn, 0);
  EXPECT_EQ(texts_read(yrlhost::window_picture(accessory).text),
            std::vector<std::string>{"window 2 PREVIEW: BLOCK"});
  // A repaint forgets the window's highlights.
  ASSERT_EQ(call<yrlhost::HostApi::VynWindowRepaint>(yrlhost::main_window_id), 0);
  EXPECT_EQ(yrlhost::window_picture(yrlhost::main_window_id).highlighted, 0);
  ASSERT_EQ(call<yrlhost::HostApi::VynSelectionFree>(&selection), 0);
}

// ---- Drawing views and parts ----------------------------------------------------------

// How a drawing view's orientation turns into the axes it sees its part along: the
// application's FRONT, TOP and RIGHT as a third-angle drawing shows them, views from the
// other sides upright too, and any other orientation by its rows.
TEST(DrawingViewAxes, FromTheOrientation) {
  struct Case {
    const char* view;
    double rows[3][3];
    bool ok;
    yrlhost::geom::Vec3 right;
    yrlhost::geom::Vec3 toward;
  };
  const double s = std::sqrt(0.5);
  const Case cases[] = {
      {"front (identity)", {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, true, {1, 0, 0}, {0, 0, 1}},
      {"top (x, z, y)", {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}}, true, {1, 0, 0}, {0, 1, 0}},
      {"right (z, y, x)", {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}}, true, {0, 0, -1}, {1, 0, 0}},
      {"from -x", {{0, 0, 1}, {0, 1, 0}, {-1, 0, 0}}, true, {0, 0, 1}, {-1, 0, 0}},
      {"from -z", {{1, 0, 0}, {0, 1, 0}, {0, 0, -1}}, true, {-1, 0, 0}, {0, 0, -1}},
      {"from -y", {{1, 0, 0}, {0, 0, 1}, {0, -2, 0}}, true, {-1, 0, 0}, {0, -1, 0}},
      {"turned about y", {{s, 0, -s}, {0, 1, 0}, {s, 0, s}}, true, {s, 0, -s}, {s, 0, s}},
      {"row 0 slanted", {{2, 0, 0}, {0, 1, 0}, {s, 0, s}}, true, {s, 0, -s}, {s, 0, s}},
      {"no row 2", {{1, 0, 0}, {0, 1, 0}, {0, 0, 0}}, false, {}, {}},
      {"row 0 along row 2", {{s, 0, s}, {0, 1, 0}, {1, 0, 1}}, false, {}, {}},
  };
  for (const Case& c : cases) {
    double orientation[4][4] = {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 1}};
    for (int row = 0; row < 3; ++row)
      for (int column = 0; column < 3; ++column) orientation[row][column] = c.rows[row][column];
    yrlhost::geom::ViewAxes axes;
    ASSERT_EQ(yrlhost::drawing_view_axes(orientation, axes), c.ok) << c.view;
    if (!c.ok) continue;
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(axes.right[i], c.right[i], 1e-12) << c.view;
      EXPECT_NEAR(axes.toward[i], c.toward[i], 1e-12) << c.view;
    }
  }
}

// A part BLOCK with the solid x 0..40, y 0..20, z 0..10 and a hole of diameter 8 along z
// through (20, 10), a model of the drawing.
class SolidPictures : public yrltest::DrawingTest {
 protected:
  void SetUp() override {
    yrltest::DrawingTest::SetUp();
    namespace geom = yrlhost::geom;
    const geom::Frame front = geom::standard_frame(geom::StandardPlane::front, 0);
    auto prism = [&](std::vector<geom::SectionEntity> entities) {
      geom::Profile profile;
      EXPECT_EQ(geom::profile_make(front, entities, 1e-6, profile, nullptr), geom::Status::ok);
      geom::Shape shape;
      EXPECT_EQ(geom::prism(profile, {{geom::DepthKind::blind, 10, {}}, {}}, {}, feature, shape),
                geom::Status::ok);
      return shape;
    };
    std::vector<geom::SectionEntity> block;
    const geom::Vec2 corners[4] = {{0, 0}, {40, 0}, {40, 20}, {0, 20}};
    for (int i = 0; i < 4; ++i) {
      geom::SectionEntity side;
      side.id = i + 1;
      side.start = corners[i];
      side.end = corners[(i + 1) % 4];
      block.push_back(side);
    }
    geom::SectionEntity hole;
    hole.id = 5;
    hole.kind = geom::EntityKind::circle;
    hole.center = {20, 10};
    hole.radius = 4;
    feature = yrlhost::host_feature_add(part, 917, "EXTRUDE", {});
    ASSERT_EQ(geom::combine(prism(block), prism({hole}), geom::Combine::remove, solid),
              geom::Status::ok);
    ASSERT_TRUE(yrlhost::part_geometry_testing_set(part, solid, {}));
    std::string error;
    ASSERT_TRUE(yrlhost::host_drawing_model_add(drawing, u"BLOCK", error)) << error;
  }

  // A view of BLOCK at a position and scale, on a sheet, with the rows of an orientation.
  int view(const char16_t* name, int sheet, std::array<double, 3> position, double scale,
           const double rows[3][3]) {
    yrlhost::DrawingView made;
    made.name = name;
    made.sheet = sheet;
    made.model = u"BLOCK";
    std::copy(position.begin(), position.end(), made.position);
    made.scale = scale;
    for (int row = 0; row < 3; ++row)
      for (int column = 0; column < 3; ++column) made.orientation[row][column] = rows[row][column];
    std::string error;
    const int id = yrlhost::host_view_add(drawing, made, error);
    EXPECT_GT(id, 0) << error;
    return id;
  }

  int feature = 0;
  yrlhost::geom::Shape solid;
};

struct Extent {
  double min_x = HUGE_VAL, min_y = HUGE_VAL, max_x = -HUGE_VAL, max_y = -HUGE_VAL;
  int solid = 0, dashed = 0, circles = 0;
};

// The box of the entries' points (a circle's by its radius) and their kinds.
Extent extent_of(const std::vector<DrawEntry>& entries) {
  Extent e;
  for (const DrawEntry& entry : entries) {
    const double r = entry.kind == DrawKind::circle ? entry.radius : 0;
    const std::size_t count = entry.kind == DrawKind::line ? 2 : 1;
    for (std::size_t i = 0; i < count; ++i) {
      e.min_x = std::min(e.min_x, entry.points[i][0] - r);
      e.max_x = std::max(e.max_x, entry.points[i][0] + r);
      e.min_y = std::min(e.min_y, entry.points[i][1] - r);
      e.max_y = std::max(e.max_y, entry.points[i][1] + r);
    }
    (entry.line_style == yrlhost::hidden_edge_line_style ? e.dashed : e.solid) += 1;
    e.circles += entry.kind == DrawKind::circle;
  }
  return e;
}

// Each view draws its part's outline in its own orientation, its box's middle at the
// view's position and its lengths times the view's scale; the front sees the hole as a
// circle, the top as two hidden lines. Views of another sheet are in that sheet's picture.
TEST_F(SolidPictures, DrawingViewsShowTheirPartsSolid) {
  const double front[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  const double top[3][3] = {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}};
  std::string error;
  ASSERT_EQ(yrlhost::host_sheet_add(drawing, error), 2) << error;
  view(u"FRONT_2", 2, {100, 50, 0}, 2, front);
  view(u"TOP_2", 2, {100, 120, 0}, 2, top);
  view(u"FRONT_1", 1, {0, 0, 0}, 0.5, front);

  // Sheet 1, current: only its own view, at half size around the origin.
  const Extent on_1 = extent_of(yrlhost::window_entries(yrlhost::main_window_id));
  EXPECT_NEAR(on_1.min_x, -10, 1e-9);
  EXPECT_NEAR(on_1.max_x, 10, 1e-9);
  EXPECT_NEAR(on_1.min_y, -5, 1e-9);
  EXPECT_NEAR(on_1.max_y, 5, 1e-9);
  EXPECT_EQ(on_1.circles, 1);
  EXPECT_EQ(on_1.dashed, 0);

  std::vector<std::string> not_drawn;
  const std::vector<DrawEntry> on_2 = yrlhost::window_entries(yrlhost::main_window_id, 2, &not_drawn);
  EXPECT_TRUE(not_drawn.empty());
  std::vector<DrawEntry> front_entries, top_entries;
  for (const DrawEntry& entry : on_2) (entry.points[0][1] < 85 ? front_entries : top_entries).push_back(entry);
  const Extent f = extent_of(front_entries), t = extent_of(top_entries);
  EXPECT_NEAR(f.min_x, 60, 1e-9);
  EXPECT_NEAR(f.max_x, 140, 1e-9);
  EXPECT_NEAR(f.min_y, 30, 1e-9);
  EXPECT_NEAR(f.max_y, 70, 1e-9);
  EXPECT_EQ(f.circles, 1);
  for (const DrawEntry& entry : front_entries)
    if (entry.kind == DrawKind::circle) {
      EXPECT_DOUBLE_EQ(entry.radius, 8);
      EXPECT_NEAR(entry.points[0][0], 100, 1e-9);
      EXPECT_NEAR(entry.points[0][1], 50, 1e-9);
    }
  // The top: 80 wide, 20 deep, the hole's sides hidden at x 16 and 24 (92 and 108 here).
  EXPECT_NEAR(t.min_x, 60, 1e-9);
  EXPECT_NEAR(t.max_x, 140, 1e-9);
  EXPECT_NEAR(t.min_y, 110, 1e-9);
  EXPECT_NEAR(t.max_y, 130, 1e-9);
  EXPECT_EQ(t.circles, 0);
  std::set<double> hidden_x;
  for (const DrawEntry& entry : top_entries)
    if (entry.line_style == yrlhost::hidden_edge_line_style) {
      EXPECT_EQ(entry.points[0][0], entry.points[1][0]);
      hidden_x.insert(std::round(entry.points[0][0] * 1e6) / 1e6);
    }
  EXPECT_EQ(hidden_x, (std::set<double>{92, 108}));

  const yrlhost::SvgPicture picture = yrlhost::window_picture(yrlhost::main_window_id, 2);
  EXPECT_EQ(texts_read(picture.text), std::vector<std::string>{"window 1: PLATE, sheet 2"});
  EXPECT_EQ(picture.drawn, static_cast<int>(on_2.size()));
  EXPECT_NE(picture.text.find("stroke-dasharray"), std::string::npos);
  EXPECT_EQ(svg_problems(picture.text), "");
}

// A view whose part has left the session or has no solid draws nothing; one whose
// orientation gives no direction is named as not drawn.
TEST_F(SolidPictures, ViewsThatCannotShowTheirPart) {
  const double none[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 0}};
  view(u"NOWHERE", 1, {0, 0, 0}, 1, none);
  std::vector<std::string> not_drawn;
  EXPECT_TRUE(yrlhost::window_entries(yrlhost::main_window_id, 0, &not_drawn).empty());
  EXPECT_EQ(not_drawn, std::vector<std::string>{"NOWHERE (its orientation gives no direction)"});
  EXPECT_EQ(yrlhost::window_picture(yrlhost::main_window_id).not_drawn, not_drawn);

  const double front[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  view(u"FRONT", 1, {0, 0, 0}, 1, front);
  ASSERT_TRUE(yrlhost::part_geometry_testing_set(part, yrlhost::geom::Shape{}, {}));
  EXPECT_TRUE(yrlhost::window_entries(yrlhost::main_window_id).empty());
  ASSERT_TRUE(yrlhost::part_geometry_testing_set(part, solid, {}));
  EXPECT_FALSE(yrlhost::window_entries(yrlhost::main_window_id).empty());
  yrlhost::host_model_erase(part);
  EXPECT_TRUE(yrlhost::window_entries(yrlhost::main_window_id).empty());
}

// A window showing a part, and the part's own picture, show its solid seen from
// (1, 1, 1): the block's eight corners project within the picture's box, the hole's rims
// are ellipses.
TEST_F(SolidPictures, APartIsSeenIsometrically) {
  int accessory = 0;
  ASSERT_EQ(call<yrlhost::HostApi::VynAccessorywindowCreate>(u"PREVIEW", 2, &accessory), 0);
  ASSERT_EQ(call<yrlhost::HostApi::VynMdlDisplay>(part), 0);
  const std::vector<DrawEntry> entries = yrlhost::window_entries(accessory);
  const Extent e = extent_of(entries);
  // x runs along (1, 0, -1) / sqrt 2: from (0, *, 10) to (40, *, 0); y along
  // (-1, 2, -1) / sqrt 6: from (40, 0, 10) to (0, 20, 0).
  EXPECT_NEAR(e.min_x, -10 / std::sqrt(2.0), 1e-9);
  EXPECT_NEAR(e.max_x, 40 / std::sqrt(2.0), 1e-9);
  EXPECT_NEAR(e.min_y, -50 / std::sqrt(6.0), 1e-9);
  EXPECT_NEAR(e.max_y, 40 / std::sqrt(6.0), 1e-9);
  EXPECT_GT(e.dashed, 0);
  EXPECT_EQ(e.circles, 0);

  const yrlhost::SvgPicture picture = yrlhost::part_picture(part);
  EXPECT_EQ(picture.drawn, static_cast<int>(entries.size()));
  EXPECT_EQ(texts_read(picture.text), std::vector<std::string>{"part BLOCK"});
  EXPECT_EQ(yrlhost::part_picture_name(part), "part_BLOCK.svg");
  EXPECT_EQ(svg_problems(picture.text), "");
}

// The files: each window, each other sheet of a drawing a window shows, then each part
// (its name escaped as a part file's), each listed.
TEST_F(SolidPictures, EachSheetAndEachPartHasAFile) {
  yrltest::TempDir temp;
  std::string error;
  ASSERT_EQ(yrlhost::host_sheet_add(drawing, error), 2) << error;
  ASSERT_EQ(yrlhost::host_sheet_add(drawing, error), 3) << error;
  ASSERT_TRUE(yrlhost::host_current_sheet_set(drawing, 2, error)) << error;
  const double front[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  view(u"FRONT", 3, {0, 0, 0}, 1, front);
  VynMdl other = yrlhost::host_model_create(yrlhost::model_type_part, "odd name/x", error);
  ASSERT_NE(other, nullptr) << error;
  EXPECT_EQ(yrlhost::part_picture_name(other), "part_odd%20name%2Fx.svg");
  yrlhost::host_model_make_current(drawing);

  std::FILE* out = std::tmpfile();
  ASSERT_TRUE(yrlhost::window_pictures_write(temp.path(), out, error)) << error;
  std::rewind(out);
  std::string listed;
  for (int ch = std::fgetc(out); ch != EOF; ch = std::fgetc(out)) listed += static_cast<char>(ch);
  std::fclose(out);
  const std::string dir = temp.path() + "/";
  const int on_3 = static_cast<int>(yrlhost::window_entries(yrlhost::main_window_id, 3).size());
  const int of_block = yrlhost::part_picture(part).drawn;
  EXPECT_EQ(listed, "pictures:\n  " + dir + "window1.svg: 0 drawn, 0 highlighted, 0 left out\n  " + dir +
                        "window1_sheet1.svg: 0 drawn, 0 highlighted, 0 left out\n  " + dir +
                        "window1_sheet3.svg: " + std::to_string(on_3) +
                        " drawn, 0 highlighted, 0 left out\n  " + dir + "part_BLOCK.svg: " +
                        std::to_string(of_block) + " drawn, 0 highlighted, 0 left out\n  " + dir +
                        "part_odd%20name%2Fx.svg: 0 drawn, 0 highlighted, 0 left out\n");
  EXPECT_GT(on_3, 0);
  std::string text;
  ASSERT_TRUE(yrlhost::file_text_read(dir + "window1_sheet3.svg", text));
  EXPECT_EQ(text, yrlhost::window_picture(yrlhost::main_window_id, 3).text);
  ASSERT_TRUE(yrlhost::file_text_read(dir + "part_BLOCK.svg", text));
  EXPECT_EQ(text, yrlhost::part_picture(part).text);
}

// ---- Files ------------------------------------------------------------------------------

class PictureFiles : public yrltest::HostTest {
 protected:
  // A folder per test: ctest runs the tests of this fixture side by side.
  yrltest::TempDir temp;
  const std::filesystem::path dir = temp.path();
};

TEST_F(PictureFiles, TheDirectoryIsMadeWhenMissingAndRefusedWhenNoDirectory) {
  std::ofstream(dir / "file") << "x";
  struct Case {
    std::string path;
    bool ready;
    std::string error;
  };
  const Case cases[] = {
      {dir.string(), true, ""},
      {(dir / "new" / "deeper").string(), true, ""},
      {(dir / "slash").string() + "/", true, ""},
      {"", false, "an empty directory name"},
      {(dir / "file").string(), false, (dir / "file").string() + ": not a directory"},
      {(dir / "file" / "below").string(), false,
       (dir / "file" / "below").string() + ": cannot be made"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_EQ(yrlhost::picture_directory_prepare(c.path, error), c.ready) << c.path;
    EXPECT_EQ(error.substr(0, c.error.size()), c.error) << c.path;
    if (c.ready) {
      EXPECT_TRUE(std::filesystem::is_directory(c.path)) << c.path;
    }
  }
}

// One file per window, by id, listed with its counts; other files stay; a file that
// cannot be written stops the writing with its path.
TEST_F(PictureFiles, EveryWindowIsWrittenAndListed) {
  int accessory = 0;
  ASSERT_EQ(
      yrlhost::Behaviour<yrlhost::HostApi::VynAccessorywindowCreate>::run(1, u"P", 2, &accessory),
      0);
  const double from[3] = {0, 0, 0};
  const double to[3] = {NAN, 1, 0};
  yrlhost::Behaviour<yrlhost::HostApi::VynGraphicsPenPosition>::run(1, from);
  yrlhost::Behaviour<yrlhost::HostApi::VynGraphicsLineDraw>::run(1, to);
  yrlhost::Behaviour<yrlhost::HostApi::VynGraphicsCircleDraw>::run(1, from, 1.0);
  std::ofstream(dir / "window9.svg") << "kept";

  std::FILE* out = std::tmpfile();
  std::string error;
  ASSERT_TRUE(yrlhost::window_pictures_write(dir.string(), out, error)) << error;
  std::rewind(out);
  std::string listed;
  for (int ch = std::fgetc(out); ch != EOF; ch = std::fgetc(out)) listed += static_cast<char>(ch);
  std::fclose(out);
  EXPECT_EQ(listed, "pictures:\n  " + (dir / "window1.svg").string() +
                        ": 0 drawn, 0 highlighted, 0 left out\n  " +
                        (dir / "window2.svg").string() + ": 1 drawn, 0 highlighted, 1 left out\n");
  for (int id : {1, 2}) {
    std::string text;
    ASSERT_TRUE(
        yrlhost::file_text_read((dir / ("window" + std::to_string(id) + ".svg")).string(), text));
    EXPECT_EQ(text, yrlhost::window_picture(id).text);
    EXPECT_EQ(svg_problems(text), "");
  }
  std::string kept;
  ASSERT_TRUE(yrlhost::file_text_read((dir / "window9.svg").string(), kept));
  EXPECT_EQ(kept, "kept");

  std::filesystem::remove(dir / "window2.svg");
  std::filesystem::create_directory(dir / "window2.svg");
  out = std::tmpfile();
  EXPECT_FALSE(yrlhost::window_pictures_write(dir.string(), out, error));
  std::fclose(out);
  EXPECT_EQ(error, (dir / "window2.svg").string() + ": cannot be written");
}

// Fault: a picture was written in place, so that a write that failed part-way (a file-size
// limit, a full disk) left the earlier picture of that name cut. A picture is written
// beside its file and put in place whole: a failure leaves the earlier one as it was,
// and nothing else behind.
TEST_F(PictureFiles, APictureThatCannotBeWrittenLeavesTheEarlierOneWhole) {
  const double from[3] = {0, 0, 0};
  yrlhost::Behaviour<yrlhost::HostApi::VynGraphicsPenPosition>::run(1, from);
  yrlhost::Behaviour<yrlhost::HostApi::VynGraphicsCircleDraw>::run(1, from, 1.0);
  const std::string earlier = "<svg>earlier</svg>";
  std::ofstream(dir / "window1.svg") << earlier;
  std::FILE* out = std::tmpfile();
  std::string error;
  yrlhost::file_set_failure_testing_set(0);
  EXPECT_FALSE(yrlhost::window_pictures_write(dir.string(), out, error));
  yrlhost::file_set_failure_testing_set(-1);
  std::fclose(out);
  EXPECT_EQ(error, (dir / "window1.svg").string() + ": cannot be written");
  std::string kept;
  ASSERT_TRUE(yrlhost::file_text_read((dir / "window1.svg").string(), kept));
  EXPECT_EQ(kept, earlier);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
}

}  // namespace
