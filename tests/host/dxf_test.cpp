// DXF drawings read into the drawing store: every kind of entity the import takes, the
// entities it does not take, units, colours, text codes and files that are not DXF.
#include "host/dxf/dxf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "host/store/drawings.h"
#include "host/dxf/dxf_read.h"
#include "host/api/host_behaviours.h"
#include "host/store/models.h"
#include "host/files/model_files.h"
#include "host/util/utf16.h"
#include "host_test.h"
#include "tests/support/temp_dir.h"

namespace {

using Groups = std::vector<std::pair<int, std::string>>;

// The text of a DXF file: its groups, two lines each.
std::string dxf_text(const Groups& groups) {
  std::string text;
  for (const auto& [code, value] : groups) text += std::to_string(code) + "\n" + value + "\n";
  return text;
}

// A whole file: the header's groups, then the entities' in an ENTITIES section.
std::string dxf_file(const Groups& entities, const Groups& header = {}) {
  Groups all = {{0, "SECTION"}, {2, "HEADER"}};
  all.insert(all.end(), header.begin(), header.end());
  all.insert(all.end(), {{0, "ENDSEC"}, {0, "SECTION"}, {2, "ENTITIES"}});
  all.insert(all.end(), entities.begin(), entities.end());
  all.insert(all.end(), {{0, "ENDSEC"}, {0, "EOF"}});
  return dxf_text(all);
}

std::string fixture(const char* name) { return std::string(YRL_HOST_DXF_DIR) + "/" + name; }

bool rgb_is(const VynColor& colour, double r, double g, double b) {
  return colour.method == 2 && std::fabs(colour.value.rgb[0] - r) < 1e-12 &&
         std::fabs(colour.value.rgb[1] - g) < 1e-12 && std::fabs(colour.value.rgb[2] - b) < 1e-12;
}

void expect_point(const double* p, double x, double y, double z = 0) {
  EXPECT_NEAR(p[0], x, 1e-9);
  EXPECT_NEAR(p[1], y, 1e-9);
  EXPECT_NEAR(p[2], z, 1e-9);
}

// A curve's points at its start, middle and end.
void expect_curve_through(const yrlhost::DraftCurve& curve, const double (&points)[3][2]) {
  for (int i = 0; i < 3; ++i) {
    double at[3];
    ASSERT_TRUE(yrlhost::draft_curve_point(curve, i / 2.0, at));
    EXPECT_NEAR(at[0], points[i][0], 1e-9) << "point " << i;
    EXPECT_NEAR(at[1], points[i][1], 1e-9) << "point " << i;
  }
}

// A curve's type and its points at its start, middle and end.
struct CurveThrough {
  int id;
  int type;
  double points[3][2];
};

class DxfTest : public yrltest::HostTest {
 protected:
  // A drawing from a file's text; fails the test when it does not load.
  const yrlhost::DrawingContent& load(const std::string& text, const std::string& name = "DXF") {
    std::string error;
    drawing_ = yrlhost::host_dxf_load(text, name, name + ".dxf", import, error);
    EXPECT_NE(drawing_, nullptr) << error;
    static const yrlhost::DrawingContent none;
    return drawing_ ? *yrlhost::host_drawing(drawing_) : none;
  }

  yrlhost::DxfImport import;
  VynMdl drawing_ = nullptr;
};

// Every kind of entity the import takes, in one file: curves with their colours (by
// index, true colour and by layer), notes, dimensions attached to the entities they
// measure, the layer of each, the layer table; a reopened copy of the drawing is the same.
TEST_F(DxfTest, EveryKindOfEntityBecomesTheDrawingsContent) {
  std::string error;
  VynMdl drawing = yrlhost::host_dxf_open(fixture("every_kind.dxf"), import, error);
  ASSERT_NE(drawing, nullptr) << error;
  EXPECT_EQ(yrlhost::host_current_model(), drawing);
  EXPECT_EQ(yrlhost::host_model_name(drawing), "every_kind");
  EXPECT_EQ(yrlhost::host_model_units(drawing), "MM");
  EXPECT_EQ(yrlhost::host_model_path(drawing), fixture("every_kind.dxf"));
  EXPECT_TRUE(import.skipped.empty()) << yrlhost::dxf_skipped_text(import);
  const yrlhost::DrawingContent& content = *yrlhost::host_drawing(drawing);
  ASSERT_EQ(content.sheets.size(), 1u);

  const double h = std::sqrt(0.5);
  const CurveThrough curves[] = {
      {1, VYN_CURVE_LINE, {{0, 0}, {50, 0}, {100, 0}}},
      {2, VYN_CURVE_LINE, {{100, 0}, {100, 25}, {100, 50}}},
      {4, VYN_CURVE_ARC, {{60, 50}, {50 + 10 * h, 50 + 10 * h}, {50, 60}}},
      {5, VYN_CURVE_ARC, {{25, 30}, {15, 30}, {25, 30}}},
      // Seen from below (extrusion -z): x turns round.
      {6, VYN_CURVE_ARC, {{-28, 0}, {-32, 0}, {-28, 0}}},
      {7, VYN_CURVE_ARC, {{-10, 1}, {-10 - h, h}, {-11, 0}}},
      // The closed lightweight polyline: a line, the half circle of bulge 1, two lines.
      {8, VYN_CURVE_LINE, {{0, 60}, {10, 60}, {20, 60}}},
      {9, VYN_CURVE_ARC, {{20, 60}, {30, 70}, {20, 80}}},
      {10, VYN_CURVE_LINE, {{20, 80}, {10, 80}, {0, 80}}},
      {11, VYN_CURVE_LINE, {{0, 80}, {0, 70}, {0, 60}}},
      // The old-form polyline: bulge -0.5 runs clockwise, so the arc is kept the other way.
      {12, VYN_CURVE_ARC, {{80, 60}, {70, 65}, {60, 60}}},
      {13, VYN_CURVE_LINE, {{80, 60}, {80, 70}, {80, 80}}},
  };
  ASSERT_EQ(content.entities.size(), 13u);
  for (const CurveThrough& c : curves) {
    SCOPED_TRACE("entity " + std::to_string(c.id));
    const yrlhost::DraftCurve& curve = content.entities.at(c.id).curve;
    EXPECT_EQ(curve.record.point.type, c.type);
    expect_curve_through(curve, c.points);
  }
  expect_point(content.entities.at(3).curve.record.point.pos, 10, 10);
  // Circles are arcs whose sweep is exactly 2 pi.
  for (int id : {5, 6}) EXPECT_EQ(content.entities.at(id).curve.record.arc.end_angle, 6.283185307179586);
  EXPECT_EQ(content.entities.at(5).curve.record.arc.radius, 5);

  EXPECT_TRUE(rgb_is(content.entities.at(1).colour, 1, 0, 0));        // by layer: Outline is 1
  EXPECT_TRUE(rgb_is(content.entities.at(2).colour, 0, 1, 0));        // 3
  EXPECT_EQ(content.entities.at(3).colour.method, 0);                 // 7: the foreground
  EXPECT_TRUE(rgb_is(content.entities.at(4).colour, 0, 1, 0));        // by layer: Hidden is -3
  EXPECT_TRUE(rgb_is(content.entities.at(5).colour, 0.2, 0.4, 0.6));  // by layer: true colour
  EXPECT_TRUE(rgb_is(content.entities.at(6).colour, 1, 0.5, 0));      // 30
  EXPECT_TRUE(rgb_is(content.entities.at(7).colour, 0.2, 0.2, 0.2));  // 250
  // The old-form polyline's colour is its own, not its vertices' or SEQEND's.
  for (int id : {12, 13}) EXPECT_TRUE(rgb_is(content.entities.at(id).colour, 0, 1, 1)) << id;

  ASSERT_EQ(content.notes.size(), 2u);
  EXPECT_EQ(content.notes.at(14).lines, std::vector<std::u16string>{u"Part \u230010"});
  EXPECT_TRUE(rgb_is(content.notes.at(14).colour, 1, 1, 0));
  expect_point(content.notes.at(14).attachment.location, 5, 5);
  EXPECT_EQ(content.notes.at(15).lines, (std::vector<std::u16string>{u"Header", u"Bold text", u"second"}));
  EXPECT_EQ(content.notes.at(15).attachment.kind, yrlhost::attach_free);

  struct Dimension {
    int id;
    int type;
    double value;
    std::u16string text;
    std::vector<std::pair<int, int>> attached;  // entity, side
  };
  const Dimension dimensions[] = {
      // The second end point is shared by lines 1 and 2: the other line than the first's.
      {16, yrlhost::dimension_linear, 100, u"100", {{1, 1}, {2, 1}}},
      {17, yrlhost::dimension_linear, 50, u"50 mm", {{1, 2}, {2, 2}}},
      {18, yrlhost::dimension_radius, 10, u"R10", {{4, 0}}},
      {19, yrlhost::dimension_diameter, 10, u"\u230010", {{5, 0}}},
      {20, yrlhost::dimension_angle, 90, u"90\u00B0", {}},
  };
  ASSERT_EQ(content.dimensions.size(), 5u);
  for (const Dimension& d : dimensions) {
    SCOPED_TRACE("dimension " + std::to_string(d.id));
    const yrlhost::DrawingDimension& stored = content.dimensions.at(d.id);
    EXPECT_EQ(stored.type, d.type);
    EXPECT_NEAR(stored.value, d.value, 1e-9);
    EXPECT_EQ(stored.lines, std::vector<std::u16string>{d.text});
    std::vector<std::pair<int, int>> attached;
    for (const yrlhost::DimensionAttachment& a : stored.attachments) attached.emplace_back(a.entity, a.side);
    EXPECT_EQ(attached, d.attached);
  }
  expect_point(content.dimensions.at(16).position, 50, -10);

  // The items in store order, with their entities' types, layers and lines.
  ASSERT_EQ(import.items.size(), 20u);
  struct Item {
    std::size_t index;
    int type;
    int id;
    const char* entity;
    const char16_t* layer;
  };
  const Item items[] = {
      {0, yrlhost::item_type_draft_entity, 1, "LINE", u"Outline"},
      {8, yrlhost::item_type_draft_entity, 9, "LWPOLYLINE", u"Outline"},
      {12, yrlhost::item_type_draft_entity, 13, "POLYLINE", u"Poly"},
      {13, yrlhost::item_type_note, 14, "TEXT", u"Notes"},
      {14, yrlhost::item_type_note, 15, "MTEXT", u"Notes"},
      {19, yrlhost::item_type_dimension, 20, "DIMENSION", u"Dims"},
  };
  for (const Item& item : items) {
    const yrlhost::DxfItem& got = import.items[item.index];
    EXPECT_EQ(got.type, item.type);
    EXPECT_EQ(got.id, item.id);
    EXPECT_EQ(got.entity, item.entity);
    EXPECT_EQ(got.layer, item.layer);
  }
  EXPECT_EQ(import.items[8].line, import.items[9].line);  // one polyline, one line of the file
  EXPECT_LT(import.items[0].line, import.items[1].line);

  ASSERT_EQ(import.layers.size(), 4u);
  EXPECT_EQ(import.layers[2].name, u"Hidden");
  EXPECT_TRUE(import.layers[2].off);
  EXPECT_TRUE(import.layers[2].frozen);
  EXPECT_FALSE(import.layers[1].off || import.layers[1].frozen);
  EXPECT_TRUE(rgb_is(import.layers[3].colour, 0.2, 0.4, 0.6));

  // The drawing's layers: the table's in file order (Hidden, off and frozen, blank), then
  // the names only entities give; every item is on its entity's layer.
  std::vector<std::u16string> names;
  for (const auto& [id, layer] : content.layers) {
    names.push_back(layer.name);
    EXPECT_EQ(layer.status, layer.name == u"Hidden" ? yrlhost::layer_status_blank
                                                    : yrlhost::layer_status_shown)
        << std::string(layer.name.begin(), layer.name.end());
  }
  EXPECT_EQ(names, (std::vector<std::u16string>{u"0", u"Outline", u"Hidden", u"Tc", u"Poly",
                                                u"Notes", u"Dims"}));
  for (const yrlhost::DxfItem& item : import.items) {
    int holders = 0;
    for (const auto& [id, layer] : content.layers) {
      bool holds = std::find(layer.items.begin(), layer.items.end(),
                             yrlhost::LayerMember{item.type, item.id}) != layer.items.end();
      if (holds) {
        EXPECT_EQ(layer.name, item.layer) << item.id;
      }
      holders += holds;
    }
    EXPECT_EQ(holders, 1) << item.id;
    EXPECT_EQ(yrlhost::stored_item_hidden(drawing, item.type, item.id), item.layer == u"Hidden")
        << item.id;
  }

  // The drawing keeps it all in the host's own format, full circles exact.
  std::vector<std::string> lines = yrlhost::host_model_lines(drawing);
  yrlhost::host_models_erase_all();
  VynMdl again = yrlhost::host_model_read(lines, "again", error);
  ASSERT_NE(again, nullptr) << error;
  EXPECT_EQ(yrlhost::host_model_lines(again), lines);
  EXPECT_EQ(yrlhost::host_drawing(again)->entities.at(5).curve.record.arc.end_angle, yrlhost::full_circle_sweep);
}

// Entities the drawing cannot hold are counted by type, or by type and reason; a block's
// entities are taken where a reference places them, a spline and an ellipse as curves.
TEST_F(DxfTest, EntitiesNotTakenAreCountedByType) {
  std::string error;
  VynMdl drawing = yrlhost::host_dxf_open(fixture("unsupported.dxf"), import, error);
  ASSERT_NE(drawing, nullptr) << error;
  const std::map<std::string, int> skipped = {
      {"ATTRIB", 1},          {"CIRCLE (not in the sheet plane)", 1},
      {"DIMENSION (ordinate)", 1}, {"HATCH", 2},
      {"LINE (paper space)", 1},
  };
  EXPECT_EQ(import.skipped, skipped);
  EXPECT_EQ(yrlhost::dxf_skipped_text(import),
            "1 ATTRIB, 1 CIRCLE (not in the sheet plane), 1 DIMENSION (ordinate), 2 HATCH, "
            "1 LINE (paper space)");
  const yrlhost::DrawingContent& content = *yrlhost::host_drawing(drawing);
  // The line, the spline, the block's circle at the reference's point, the ellipse.
  ASSERT_EQ(content.entities.size(), 4u);
  const int types[] = {VYN_CURVE_LINE, VYN_CURVE_SPLINE, VYN_CURVE_ARC, VYN_CURVE_SPLINE};
  for (int id = 1; id <= 4; ++id) EXPECT_EQ(content.entities.at(id).curve.record.point.type, types[id - 1]) << id;
  expect_point(content.entities.at(3).curve.record.arc.origin, 5, 5);
  EXPECT_EQ(yrlhost::host_model_units(drawing), "INCH");
}

// Block references: each is its block's entities, placed by the reference (base point to
// insertion point, scaled, turned, seen from below, in columns and rows), nested ones
// within; layer 0 and colour "by block" take the reference's. Ids follow the file, a
// reference's entities in its block's order. A reference to a block that places itself,
// a missing block or a scale of 0 is counted.
TEST_F(DxfTest, BlockReferencesArePlacedWhereTheySay) {
  std::string error;
  VynMdl drawing = yrlhost::host_dxf_open(fixture("blocks.dxf"), import, error);
  ASSERT_NE(drawing, nullptr) << error;
  const std::map<std::string, int> skipped = {
      {"INSERT (block inserts itself)", 2}, {"INSERT (no such block)", 1}, {"INSERT (scale 0)", 1}};
  EXPECT_EQ(import.skipped, skipped);
  const yrlhost::DrawingContent& content = *yrlhost::host_drawing(drawing);
  ASSERT_EQ(content.entities.size(), 21u);
  const double r = std::sqrt(2.0), h = 3 * std::sqrt(2.0);
  const CurveThrough curves[] = {
      // PLATE turned 90 degrees about its base (10, 0) put at (100, 50): its outline,
      // and the BOLT inside it at (15, 5) of the plate.
      {1, VYN_CURVE_LINE, {{100, 50}, {100, 60}, {100, 70}}},
      {2, VYN_CURVE_LINE, {{100, 70}, {95, 70}, {90, 70}}},
      {3, VYN_CURVE_LINE, {{90, 70}, {90, 60}, {90, 50}}},
      {4, VYN_CURVE_LINE, {{90, 50}, {95, 50}, {100, 50}}},
      {5, VYN_CURVE_ARC, {{96, 55}, {94, 55}, {96, 55}}},
      {6, VYN_CURVE_LINE, {{95, 53}, {95, 55}, {95, 57}}},
      // BOLT scaled 2 along x: its circle an ellipse.
      {7, VYN_CURVE_SPLINE, {{2, 0}, {-2, 0}, {2, 0}}},
      {8, VYN_CURVE_LINE, {{-4, 0}, {0, 0}, {4, 0}}},
      // BOLT seen from below at (50, 0): x turns round.
      {9, VYN_CURVE_ARC, {{-49, 0}, {-51, 0}, {-49, 0}}},
      {10, VYN_CURVE_LINE, {{-48, 0}, {-50, 0}, {-52, 0}}},
      // Two columns 10 apart and two rows 20 apart from (0, 100).
      {11, VYN_CURVE_ARC, {{1, 100}, {-1, 100}, {1, 100}}},
      {13, VYN_CURVE_ARC, {{11, 100}, {9, 100}, {11, 100}}},
      {15, VYN_CURVE_ARC, {{1, 120}, {-1, 120}, {1, 120}}},
      {18, VYN_CURVE_LINE, {{8, 120}, {10, 120}, {12, 120}}},
      // SELF's own line; its reference to itself is counted.
      {19, VYN_CURVE_LINE, {{0, 0}, {0.5, 0}, {1, 0}}},
      // HOOK's quarter arc mirrored in y at (0, -50): it runs from -90 to 0 degrees.
      {20, VYN_CURVE_ARC, {{0, -52}, {r, -50 - r}, {2, -50}}},
      // HOOK scaled 3 and turned 45 degrees at (0, -80): from 45 to 135 degrees.
      {21, VYN_CURVE_ARC, {{h, -80 + h}, {0, -74}, {-h, -80 + h}}},
  };
  for (const CurveThrough& c : curves) {
    SCOPED_TRACE("entity " + std::to_string(c.id));
    const yrlhost::DraftCurve& curve = content.entities.at(c.id).curve;
    EXPECT_EQ(curve.record.point.type, c.type);
    expect_curve_through(curve, c.points);
  }
  for (int id : {5, 9, 11}) EXPECT_EQ(content.entities.at(id).curve.record.arc.end_angle, yrlhost::full_circle_sweep);
  EXPECT_DOUBLE_EQ(content.entities.at(21).curve.record.arc.radius, 6);
  // The ellipse of the scaled circle passes (0, 1) a quarter along.
  double quarter[3];
  ASSERT_TRUE(yrlhost::draft_curve_point(content.entities.at(7).curve, 0.25, quarter));
  expect_point(quarter, 0, 1);

  // The plate's text, turned with it.
  ASSERT_EQ(content.notes.size(), 1u);
  EXPECT_EQ(content.notes.at(22).lines, std::vector<std::u16string>{u"PLATE"});
  expect_point(content.notes.at(22).attachment.location, 92, 52);

  // Looks: the plate's layer-0 entities take its layer Parts (green by layer), its
  // bolt's circle (by block) the plate's colour; the bolt's centre line keeps its layer
  // Centre (red); the scaled bolt's circle takes that reference's blue.
  const std::u16string parts = u"Parts";
  for (int id : {1, 4, 5}) {
    EXPECT_TRUE(rgb_is(content.entities.at(id).colour, 0, 1, 0)) << id;
    EXPECT_EQ(import.items[static_cast<std::size_t>(id - 1)].layer, parts) << id;
  }
  EXPECT_TRUE(rgb_is(content.entities.at(6).colour, 1, 0, 0));
  EXPECT_EQ(import.items[5].layer, u"Centre");
  EXPECT_TRUE(rgb_is(content.entities.at(7).colour, 0, 0, 1));
  EXPECT_EQ(import.items[6].layer, u"0");
  EXPECT_EQ(content.entities.at(9).colour.method, 0);
  EXPECT_EQ(import.items[21].layer, parts);
  EXPECT_EQ(import.items[0].entity, "LWPOLYLINE");
  EXPECT_EQ(import.items[4].entity, "CIRCLE");

  // Saved and read back, the placed curves stay.
  std::vector<std::string> lines = yrlhost::host_model_lines(drawing);
  yrlhost::host_models_erase_all();
  VynMdl again = yrlhost::host_model_read(lines, "again", error);
  ASSERT_NE(again, nullptr) << error;
  EXPECT_EQ(yrlhost::host_model_lines(again), lines);
}

// Splines and ellipses: a cubic through its end points with its own tangents, a rational
// quarter circle, a degree-1 spline as lines, a spline with a corner as two, one of fit
// points through them; ellipses as splines, or as arcs when their axes are equal (seen
// from below, turned round). Ones the import cannot take are counted with the reason.
TEST_F(DxfTest, SplinesAndEllipsesBecomeCurves) {
  std::string error;
  VynMdl drawing = yrlhost::host_dxf_open(fixture("curves.dxf"), import, error);
  ASSERT_NE(drawing, nullptr) << error;
  EXPECT_EQ(import.skipped, (std::map<std::string, int>{{"ELLIPSE (radius not positive)", 1},
                                                        {"SPLINE (knots do not fit)", 1}}));
  const yrlhost::DrawingContent& content = *yrlhost::host_drawing(drawing);
  ASSERT_EQ(content.entities.size(), 11u);
  const double c = 5 / std::sqrt(2.0), e = 10 / std::sqrt(2.0);
  const CurveThrough curves[] = {
      {1, VYN_CURVE_SPLINE, {{0, 0}, {20, 15}, {40, 0}}},
      {3, VYN_CURVE_LINE, {{0, 30}, {5, 30}, {10, 30}}},
      {4, VYN_CURVE_LINE, {{10, 30}, {10, 35}, {10, 40}}},
      {5, VYN_CURVE_SPLINE, {{20, 30}, {25, 32.5}, {30, 30}}},
      {6, VYN_CURVE_SPLINE, {{30, 30}, {35, 27.5}, {40, 30}}},
      {8, VYN_CURVE_SPLINE, {{120, 0}, {80, 0}, {120, 0}}},
      {9, VYN_CURVE_ARC, {{100, 55}, {100 - c, 50 + c}, {95, 50}}},
      {10, VYN_CURVE_SPLINE, {{10, -50}, {e, -50 - c}, {0, -55}}},
      {11, VYN_CURVE_ARC, {{5, -80}, {-5, -80}, {5, -80}}},
  };
  for (const CurveThrough& curve : curves) {
    SCOPED_TRACE("entity " + std::to_string(curve.id));
    EXPECT_EQ(content.entities.at(curve.id).curve.record.point.type, curve.type);
    expect_curve_through(content.entities.at(curve.id).curve, curve.points);
  }
  // The cubic: its two ends with the tangents 3 (P1 - P0) and 3 (P3 - P2).
  const std::vector<yrlhost::SplineKnot>& cubic = content.entities.at(1).curve.spline;
  ASSERT_EQ(cubic.size(), 2u);
  expect_point(cubic[0].tangent, 30, 60);
  expect_point(cubic[1].tangent, 30, -60);
  // The quarter circle of radius 10 about (50, 0), from (60, 0) to (50, 10).
  for (double t : {0.0, 0.03, 0.1, 0.37, 0.5, 0.81, 1.0}) {
    double at[3];
    ASSERT_TRUE(yrlhost::draft_curve_point(content.entities.at(2).curve, t, at));
    EXPECT_NEAR(std::hypot(at[0] - 50, at[1]), 10, 1e-6) << t;
  }
  // The fit points are the spline's points; the end tangents the file's.
  const std::vector<yrlhost::SplineKnot>& fit = content.entities.at(7).curve.spline;
  ASSERT_EQ(fit.size(), 3u);
  expect_point(fit[1].point, 10, 55);
  expect_point(fit[0].tangent, 1, 0);
  expect_point(fit[2].tangent, 1, 0);
  // The ellipse of ratio 0.5: a quarter along it lies at the end of its minor axis, and
  // it keeps within 1e-6 of its major axis of the ellipse.
  double quarter[3];
  ASSERT_TRUE(yrlhost::draft_curve_point(content.entities.at(8).curve, 0.25, quarter));
  expect_point(quarter, 100, 10);
  for (double t = 0; t <= 1; t += 0.0123) {
    double at[3];
    ASSERT_TRUE(yrlhost::draft_curve_point(content.entities.at(8).curve, t, at));
    const double x = (at[0] - 100) / 20, y = at[1] / 10;
    EXPECT_NEAR(std::hypot(x, y), 1, 1e-6) << t;
  }
  EXPECT_EQ(content.entities.at(11).curve.record.arc.end_angle, yrlhost::full_circle_sweep);
  EXPECT_DOUBLE_EQ(content.entities.at(11).curve.record.arc.radius, 5);
}

// A spline of degree 4 made from the cubic of curves.dxf by raising its degree is the
// same curve; the drawing's spline of it keeps to it within 1e-6.
TEST(DxfCurves, AHigherDegreeSplineKeepsToItsCurve) {
  yrlhost::DxfSpline spline;
  spline.degree = 4;
  spline.knots = {0, 0, 0, 0, 0, 1, 1, 1, 1, 1};
  spline.control = {{0, 0, 0}, {7.5, 15, 0}, {20, 20, 0}, {32.5, 15, 0}, {40, 0, 0}};
  std::string reason;
  const std::vector<yrlhost::DraftCurve> curves = yrlhost::dxf_spline_curves(spline, reason);
  ASSERT_EQ(curves.size(), 1u) << reason;
  for (double t = 0; t <= 1; t += 0.0625) {
    const double u = 1 - t;
    const double x = 3 * u * u * t * 10 + 3 * u * t * t * 30 + t * t * t * 40;
    const double y = 3 * u * u * t * 20 + 3 * u * t * t * 20;
    double at[3];
    ASSERT_TRUE(yrlhost::draft_curve_point(curves[0], t, at));
    EXPECT_NEAR(at[0], x, 1e-6) << t;
    EXPECT_NEAR(at[1], y, 1e-6) << t;
  }
  // Without knots to fit, weights to fit or points, nothing.
  struct Case {
    std::vector<double> knots;
    std::vector<double> weights;
    const char* reason;
  };
  const Case cases[] = {
      {{0, 0, 0, 0, 1, 1, 1, 1, 1}, {}, "knots do not fit"},
      {{0, 0, 0, 0, 0, 1, 1, 1, 1, 0}, {}, "knots do not fit"},
      {{1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, {}, "knots do not fit"},
      {spline.knots, {1, 1, 0, 1, 1}, "weights do not fit"},
      {spline.knots, {1, 1}, "weights do not fit"},
  };
  for (const Case& c : cases) {
    yrlhost::DxfSpline broken = spline;
    broken.knots = c.knots;
    broken.weights = c.weights;
    EXPECT_TRUE(yrlhost::dxf_spline_curves(broken, reason).empty()) << c.reason;
    EXPECT_EQ(reason, c.reason);
  }
  yrlhost::DxfSpline point = spline;
  point.control.assign(5, {1, 1, 0});
  EXPECT_TRUE(yrlhost::dxf_spline_curves(point, reason).empty());
  EXPECT_EQ(reason, "no length");
}

// A block's curves in a file of centimetres: lengths, the reference's point and the
// curves read without dxflib (splines, ellipses) all scaled into millimetres.
TEST_F(DxfTest, BlockCurvesAreScaledIntoTheDrawingsUnits) {
  const Groups file = {
      {0, "SECTION"}, {2, "HEADER"}, {9, "$INSUNITS"}, {70, "5"}, {0, "ENDSEC"},
      {0, "SECTION"}, {2, "BLOCKS"},
      {0, "BLOCK"}, {2, "Part"}, {10, "1"}, {20, "0"}, {30, "0"},
      {0, "ARC"}, {10, "1"}, {20, "0"}, {40, "1"}, {50, "0"}, {51, "180"},
      {0, "ELLIPSE"}, {10, "1"}, {20, "0"}, {11, "2"}, {21, "0"}, {40, "0.5"}, {41, "0"}, {42, "3.141592653589793"},
      {0, "SPLINE"}, {71, "1"}, {40, "0"}, {40, "0"}, {40, "1"}, {40, "1"}, {10, "1"}, {20, "0"}, {10, "1"}, {20, "3"},
      {0, "DIMENSION"}, {70, "1"}, {13, "0"}, {23, "0"}, {14, "2"}, {24, "0"}, {11, "1"}, {21, "1"},
      {0, "ENDBLK"}, {0, "ENDSEC"},
      {0, "SECTION"}, {2, "ENTITIES"},
      {0, "INSERT"}, {2, "PART"}, {10, "5"}, {20, "5"}, {41, "2"}, {42, "2"}, {43, "2"},
      {0, "ENDSEC"}, {0, "EOF"}};
  const yrlhost::DrawingContent& content = load(dxf_text(file));
  ASSERT_EQ(content.entities.size(), 3u) << yrlhost::dxf_skipped_text(import);
  // The block's base (1, 0) lies at (5, 5): (1 + x, y) becomes (50 + 20 x, 50 + 20 y) mm.
  const VynArcCurve& arc = content.entities.at(1).curve.record.arc;
  expect_point(arc.origin, 50, 50);
  EXPECT_DOUBLE_EQ(arc.radius, 20);
  const CurveThrough expected[] = {
      {1, VYN_CURVE_ARC, {{70, 50}, {50, 70}, {30, 50}}},
      {2, VYN_CURVE_SPLINE, {{90, 50}, {50, 70}, {10, 50}}},
      {3, VYN_CURVE_LINE, {{50, 50}, {50, 80}, {50, 110}}},
  };
  for (const CurveThrough& c : expected) {
    SCOPED_TRACE("entity " + std::to_string(c.id));
    EXPECT_EQ(content.entities.at(c.id).curve.record.point.type, c.type);
    expect_curve_through(content.entities.at(c.id).curve, c.points);
  }
  // The dimension measures 2 cm of the block, scaled 2: 40 mm.
  ASSERT_EQ(content.dimensions.size(), 1u);
  EXPECT_DOUBLE_EQ(content.dimensions.at(4).value, 40);
  expect_point(content.dimensions.at(4).position, 50, 70);
}

// What block references may not do: nest past the bound, or place more than the import
// takes; both refuse the file with the reference's line; a reference in paper space, to
// an external block or out of the sheet's plane is counted.
TEST_F(DxfTest, BlockReferencesAreBounded) {
  // Seven blocks each placing the next ten times: ten million lines.
  Groups blocks = {{0, "SECTION"}, {2, "BLOCKS"}};
  for (int level = 0; level < 7; ++level) {
    blocks.insert(blocks.end(), {{0, "BLOCK"}, {2, "L" + std::to_string(level)}});
    if (level == 6) blocks.insert(blocks.end(), {{0, "LINE"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "0"}});
    for (int i = 0; level < 6 && i < 10; ++i)
      blocks.insert(blocks.end(), {{0, "INSERT"}, {2, "L" + std::to_string(level + 1)}, {10, std::to_string(i)}});
    blocks.push_back({0, "ENDBLK"});
  }
  blocks.push_back({0, "ENDSEC"});
  auto file_of = [&](const Groups& extra_blocks, const Groups& entities) {
    Groups all = blocks;
    all.insert(all.end() - 1, extra_blocks.begin(), extra_blocks.end());
    all.insert(all.end(), {{0, "SECTION"}, {2, "ENTITIES"}});
    all.insert(all.end(), entities.begin(), entities.end());
    all.insert(all.end(), {{0, "ENDSEC"}, {0, "EOF"}});
    return dxf_text(all);
  };
  std::string error;
  EXPECT_EQ(yrlhost::host_dxf_load(file_of({}, {{0, "INSERT"}, {2, "L0"}}), "DXF", "DXF.dxf", import, error), nullptr);
  EXPECT_NE(error.find("INSERT: block references place more than 1000000 groups of entities"), std::string::npos) << error;
  EXPECT_EQ(error.substr(0, 8), "DXF.dxf:");
  // An empty block in an array of 32767 by 32767 references.
  const Groups empty = {{0, "BLOCK"}, {2, "EMPTY"}, {0, "ENDBLK"}};
  EXPECT_EQ(yrlhost::host_dxf_load(file_of(empty, {{0, "INSERT"}, {2, "EMPTY"}, {70, "32767"}, {71, "32767"}}), "DXF",
                                   "DXF.dxf", import, error),
            nullptr);
  EXPECT_NE(error.find("block references place more than"), std::string::npos) << error;
  EXPECT_TRUE(yrlhost::host_models().empty());

  // Forty blocks, each placing the next once and a line of its own: the nesting stops at
  // 32 and is counted there.
  Groups chain;
  for (int level = 0; level < 40; ++level) {
    chain.insert(chain.end(), {{0, "BLOCK"}, {2, "C" + std::to_string(level)},
                               {0, "LINE"}, {10, "0"}, {20, std::to_string(level)}, {11, "1"}, {21, std::to_string(level)},
                               {0, "INSERT"}, {2, "C" + std::to_string(level + 1)}, {0, "ENDBLK"}});
  }
  chain.insert(chain.end(), {{0, "BLOCK"}, {2, "XREF"}, {70, "4"}, {0, "ENDBLK"}});
  const yrlhost::DrawingContent& content =
      load(file_of(chain, {{0, "INSERT"}, {2, "C0"},
                           {0, "INSERT"}, {2, "L6"}, {67, "1"},
                           {0, "INSERT"}, {2, "XREF"},
                           {0, "INSERT"}, {2, "L6"}, {210, "1"}, {220, "0"}, {230, "0"}}));
  EXPECT_EQ(content.entities.size(), 32u);
  EXPECT_EQ(import.skipped, (std::map<std::string, int>{{"INSERT (external reference)", 1},
                                                        {"INSERT (nested too deep)", 1},
                                                        {"INSERT (not in the sheet plane)", 1},
                                                        {"INSERT (paper space)", 1}}));
}


// Entities of kinds the import takes that it cannot take as they are.
TEST_F(DxfTest, EntitiesOfTakenKindsSkippedWithTheirReason) {
  const Groups entities = {
      {0, "CIRCLE"}, {10, "1"}, {20, "1"}, {40, "0"},
      {0, "ARC"}, {10, "1"}, {20, "1"}, {40, "-2"}, {50, "0"}, {51, "90"},
      {0, "TEXT"}, {10, "0"}, {20, "0"}, {1, "  %%u"},
      {0, "MTEXT"}, {10, "0"}, {20, "0"}, {1, "{\\fArial;}\\P"},
      {0, "LWPOLYLINE"}, {90, "1"}, {10, "0"}, {20, "0"},
      {0, "LWPOLYLINE"}, {90, "2"}, {10, "3"}, {20, "3"}, {10, "3"}, {20, "3"},
      {0, "POLYLINE"}, {70, "16"}, {0, "VERTEX"}, {10, "0"}, {20, "0"}, {0, "VERTEX"}, {10, "1"}, {20, "0"},
      {0, "SEQEND"},
      {0, "VERTEX"}, {10, "0"}, {20, "0"},
      {0, "TEXT"}, {10, "0"}, {20, "0"}, {1, "x"}, {210, "0"}, {220, "1"}, {230, "0"},
      {0, "DIMENSION"}, {70, "1"}, {210, "1"}, {220, "0"}, {230, "0"},
      {0, "LINE"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "0"},
  };
  const std::map<std::string, int> skipped = {
      {"ARC (radius not positive)", 1},  {"CIRCLE (radius not positive)", 1},
      {"DIMENSION (not in the sheet plane)", 1},
      {"LWPOLYLINE (fewer than 2 vertices)", 1}, {"LWPOLYLINE (no length)", 1},
      {"MTEXT (no text)", 1},            {"POLYLINE (mesh)", 1},
      {"TEXT (no text)", 1},             {"TEXT (not in the sheet plane)", 1},
      {"VERTEX", 1},
  };
  const yrlhost::DrawingContent& content = load(dxf_file(entities));
  EXPECT_EQ(import.skipped, skipped);
  EXPECT_EQ(content.entities.size(), 1u);
  EXPECT_TRUE(content.notes.empty());
}

// Files that are not DXF the import can read are refused with the line and leave
// nothing in session; the model current before stays current.
TEST_F(DxfTest, MalformedFilesAreRefusedWithTheLineAndLeaveNothing) {
  const std::string line = dxf_text({{0, "LINE"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "1"}});
  const std::string entities_start = dxf_text({{0, "SECTION"}, {2, "ENTITIES"}});
  const std::string entities_end = dxf_text({{0, "ENDSEC"}, {0, "EOF"}});
  std::string binary(64, '\0');
  for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 37 + 11);
  struct Case {
    std::string text;
    std::string says;
  };
  const Case cases[] = {
      {"", "DXF.dxf: the file is empty"},
      {"\n\n", "DXF.dxf:1: \"\" is not a group code"},
      {binary, "DXF.dxf:1: \"?0U"},
      {"  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 10\n", "DXF.dxf:7: group 10 has no value: the file is cut short"},
      {entities_start + line, "DXF.dxf: the file ends inside section \"ENTITIES\": it is cut short"},
      {entities_start + line + "0\nENDSEC\n", "DXF.dxf: the file ends without EOF: it is cut short"},
      {entities_start + line + "0\nEOF\n", "DXF.dxf:16: EOF inside section \"ENTITIES\", which has no ENDSEC"},
      {entities_start + line + entities_start, "DXF.dxf:16: SECTION inside section \"ENTITIES\""},
      {line + "0\nEOF\n", "DXF.dxf:2: \"LINE\" stands outside a section"},
      {"999\ncomment\n10\n1\n0\nEOF\n", "DXF.dxf:4: group 10 stands outside a section"},
      {"0\nSECTION\n0\nEOF\n", "DXF.dxf:4: a SECTION without its name (group 2)"},
      {"2000\nx\n0\nEOF\n", "DXF.dxf:1: \"2000\" is not a group code"},
      {"-1\nx\n0\nEOF\n", "DXF.dxf:1: \"-1\" is not a group code"},
      {dxf_file({{0, "LINE"}, {10, "nan"}}), "DXF.dxf:14: LINE: group 10 \"nan\" is not a finite number"},
      {dxf_file({{0, "LINE"}, {10, "1e999"}}), "DXF.dxf:14: LINE: group 10 \"1e999\" is not a finite number"},
      {dxf_file({{0, "CIRCLE"}, {40, "1,5"}}), "DXF.dxf:14: CIRCLE: group 40 \"1,5\" is not a finite number"},
      {dxf_file({{0, "LINE"}, {62, "70000"}}), "LINE: group 62 \"70000\" is not a whole number from -32768 to 32767"},
      {dxf_file({}, {{9, "$INSUNITS"}, {70, "25"}}), "DXF.dxf:8: $INSUNITS: group 70 \"25\" is not a whole number from 0 to 24"},
      {dxf_file({{0, "LWPOLYLINE"}, {42, "1"}, {10, "0"}, {20, "0"}, {10, "1"}, {20, "0"}}),
       "DXF.dxf:14: LWPOLYLINE: group 42 \"1\" comes before the first vertex (group 10)"},
      {dxf_file({{0, "TEXT"}, {1, std::string(1001, 'x')}}), "TEXT: group 1 \"xxxx"},
      {dxf_file({{0, "TEXT"}, {1, std::string("a\0b", 3)}}), "DXF.dxf:14: TEXT: group 1 \"a?b\" holds a NUL byte"},
      {dxf_file({{0, "SPLINE"}, {20, "1"}, {10, "0"}}),
       "DXF.dxf:14: SPLINE: group 20 \"1\" comes before the first control point (group 10)"},
      {dxf_file({{0, "SPLINE"}, {31, "1"}}), "DXF.dxf:14: SPLINE: group 31 \"1\" comes before the first fit point (group 11)"},
      {dxf_file({{0, "ELLIPSE"}, {40, "inf"}}), "DXF.dxf:14: ELLIPSE: group 40 \"inf\" is not a finite number"},
      {dxf_file({{0, "INSERT"}, {2, std::string(1001, 'b')}}), "INSERT: group 2 \"bbbb"},
      {dxf_file({{0, "LI NE"}}), "DXF.dxf:12: \"LI NE\" is not an entity type"},
      {dxf_file({{0, ""}}), "DXF.dxf:12: \"\" is not an entity type"},
  };
  std::string error;
  VynMdl before = yrlhost::host_model_create(yrlhost::model_type_drawing, "BEFORE", error);
  for (const Case& c : cases) {
    error.clear();
    import.items.push_back({});
    EXPECT_EQ(yrlhost::host_dxf_load(c.text, "DXF", "DXF.dxf", import, error), nullptr) << c.says;
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
    EXPECT_EQ(yrlhost::host_models(), std::vector<VynMdl>{before}) << c.says;
    EXPECT_EQ(yrlhost::host_current_model(), before) << c.says;
    EXPECT_EQ(import.items.size(), 1u) << "the import record is left as it was";
    import.items.clear();
  }
  // A drawing of the file's name already in session.
  EXPECT_EQ(yrlhost::host_dxf_load(dxf_file({}), "BEFORE", "BEFORE.dxf", import, error), nullptr);
  EXPECT_EQ(error, "BEFORE.dxf: a model named \"BEFORE\" of that type is already in session");
  EXPECT_EQ(yrlhost::host_models(), std::vector<VynMdl>{before});
  EXPECT_EQ(yrlhost::host_dxf_open(fixture("missing.dxf"), import, error), nullptr);
  EXPECT_EQ(error, fixture("missing.dxf") + ": cannot be read");
}

// What dxflib alone would trust: a vertex count far above the vertices given, texts of
// any length up to the limit, a group of a long value it does not read. The import
// counts the vertices itself.
TEST_F(DxfTest, CountsAndLengthsTheFileStatesAreNotTrusted) {
  const Groups entities = {
      {0, "LWPOLYLINE"}, {90, "1073741825"}, {10, "0"}, {20, "0"}, {10, "4"}, {20, "0"},
      {0, "LWPOLYLINE"}, {90, "-5"}, {10, "0"}, {20, "1"}, {42, "1"}, {10, "4"}, {20, "1"},
      {0, "TEXT"}, {10, "0"}, {20, "0"}, {1, std::string(1000, 'x')},
      {0, "HATCH"}, {1, std::string(5000, 'y')}, {91, "999999999999"},
  };
  const yrlhost::DrawingContent& content = load(dxf_file(entities));
  ASSERT_EQ(content.entities.size(), 2u);
  EXPECT_EQ(content.entities.at(1).curve.record.point.type, VYN_CURVE_LINE);
  EXPECT_EQ(content.entities.at(2).curve.record.point.type, VYN_CURVE_ARC);
  EXPECT_EQ(content.notes.at(3).lines[0].size(), 1000u);
  EXPECT_EQ(import.skipped, (std::map<std::string, int>{{"HATCH", 1}}));
}

// $INSUNITS decides the drawing's units, and lengths are scaled into them.
TEST_F(DxfTest, UnitsFollowInsunitsAndLengthsAreScaled) {
  struct Case {
    Groups header;
    const char* units;
    double scale;
  };
  const double survey_foot = 12 / (39.37 * 0.0254);
  const Case cases[] = {
      {{}, "INCH", 1},
      {{{9, "$INSUNITS"}, {70, "0"}, {9, "$MEASUREMENT"}, {70, "1"}}, "MM", 1},
      {{{9, "$MEASUREMENT"}, {70, "0"}}, "INCH", 1},
      {{{9, "$INSUNITS"}, {70, "1"}}, "INCH", 1},
      {{{9, "$INSUNITS"}, {70, "2"}}, "INCH", 12},
      {{{9, "$INSUNITS"}, {70, "10"}}, "INCH", 36},
      {{{9, "$INSUNITS"}, {70, "9"}}, "INCH", 1e-3},
      {{{9, "$INSUNITS"}, {70, "21"}}, "INCH", survey_foot},
      {{{9, "$INSUNITS"}, {70, "4"}, {9, "$MEASUREMENT"}, {70, "0"}}, "MM", 1},
      {{{9, "$INSUNITS"}, {70, "5"}}, "MM", 10},
      {{{9, "$INSUNITS"}, {70, "6"}}, "MM", 1000},
      {{{9, "$INSUNITS"}, {70, "13"}}, "MM", 1e-3},
  };
  const Groups entities = {
      {0, "LINE"}, {10, "0"}, {20, "0"}, {11, "2"}, {21, "0"},
      {0, "CIRCLE"}, {10, "1"}, {20, "0"}, {40, "0.5"},
      {0, "TEXT"}, {10, "3"}, {20, "0"}, {1, "T"},
      {0, "DIMENSION"}, {70, "1"}, {13, "0"}, {23, "0"}, {14, "2"}, {24, "0"}, {11, "1"}, {21, "1"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(n);
    const yrlhost::DrawingContent& content = load(dxf_file(entities, c.header), "U" + std::to_string(n++));
    EXPECT_EQ(yrlhost::host_model_units(drawing_), c.units);
    EXPECT_EQ(import.units, c.units);
    EXPECT_DOUBLE_EQ(import.scale, c.scale);
    EXPECT_DOUBLE_EQ(content.entities.at(1).curve.record.line.end2[0], 2 * c.scale);
    EXPECT_DOUBLE_EQ(content.entities.at(2).curve.record.arc.radius, 0.5 * c.scale);
    EXPECT_DOUBLE_EQ(content.notes.at(3).attachment.location[0], 3 * c.scale);
    EXPECT_DOUBLE_EQ(content.dimensions.at(4).value, 2 * c.scale);
    EXPECT_DOUBLE_EQ(content.dimensions.at(4).position[1], c.scale);
    // The line's ends, scaled as the dimension's points are: the dimension measures the line.
    ASSERT_EQ(content.dimensions.at(4).attachments.size(), 1u);
    EXPECT_EQ(content.dimensions.at(4).attachments[0].entity, 1);
    EXPECT_EQ(content.dimensions.at(4).attachments[0].side, 0);
  }
}

// Arcs from start to end counter-clockwise, from above and from below; bulges of either
// sign, open and closed polylines, 3-D polylines with their vertices' heights.
TEST_F(DxfTest, ArcsAndPolylineSegmentsRunWhereTheFileSays) {
  struct Case {
    Groups entity;
    std::vector<std::vector<double>> points;  // per entity: start, middle, end (x, y)
  };
  const double h = std::sqrt(0.5);
  const Case cases[] = {
      // 350 to 10 degrees passes 0.
      {{{0, "ARC"}, {10, "0"}, {20, "0"}, {40, "1"}, {50, "350"}, {51, "10"}},
       {{std::cos(-10 * M_PI / 180), std::sin(-10 * M_PI / 180), 1, 0, std::cos(10 * M_PI / 180),
         std::sin(10 * M_PI / 180)}}},
      // Equal angles: a full circle.
      {{{0, "ARC"}, {10, "0"}, {20, "0"}, {40, "2"}, {50, "90"}, {51, "450"}}, {{0, 2, 0, -2, 0, 2}}},
      // From below, 0 to 90 is 180 - 90 to 180 - 0.
      {{{0, "ARC"}, {10, "1"}, {20, "0"}, {40, "1"}, {50, "0"}, {51, "90"}, {230, "-1"}}, {{-1, 1, -1 - h, h, -2, 0}}},
      // Bulge 1 and -1 between the same points: the half circles on either side.
      {{{0, "LWPOLYLINE"}, {10, "0"}, {20, "0"}, {42, "1"}, {10, "2"}, {20, "0"}}, {{0, 0, 1, -1, 2, 0}}},
      {{{0, "LWPOLYLINE"}, {10, "0"}, {20, "0"}, {42, "-1"}, {10, "2"}, {20, "0"}}, {{2, 0, 1, 1, 0, 0}}},
      // tan(22.5 degrees): a quarter circle counter-clockwise from (1, 0) to (0, 1).
      {{{0, "LWPOLYLINE"}, {10, "1"}, {20, "0"}, {42, "0.41421356237309503"}, {10, "0"}, {20, "1"}}, {{1, 0, h, h, 0, 1}}},
      // From below, the bulge turns round with x.
      {{{0, "LWPOLYLINE"}, {230, "-1"}, {10, "0"}, {20, "0"}, {42, "1"}, {10, "2"}, {20, "0"}}, {{-2, 0, -1, -1, 0, 0}}},
      // Closed: the last vertex's bulge closes the ring.
      {{{0, "LWPOLYLINE"}, {70, "1"}, {10, "0"}, {20, "0"}, {10, "2"}, {20, "0"}, {42, "1"}},
       {{0, 0, 1, 0, 2, 0}, {2, 0, 1, 1, 0, 0}}},
      // A 3-D polyline: vertices as given, bulges not read.
      {{{0, "POLYLINE"}, {70, "8"}, {0, "VERTEX"}, {10, "0"}, {20, "0"}, {30, "1"}, {42, "1"},
        {0, "VERTEX"}, {10, "2"}, {20, "0"}, {30, "3"}, {0, "SEQEND"}},
       {{0, 0, 1, 0, 2, 0}}},
      // A polyline without SEQEND ends at the next entity; a spline's frame vertex is no vertex.
      {{{0, "POLYLINE"}, {0, "VERTEX"}, {10, "0"}, {20, "0"}, {0, "VERTEX"}, {70, "16"}, {10, "5"}, {20, "5"},
        {0, "VERTEX"}, {10, "2"}, {20, "0"}, {0, "POINT"}, {10, "7"}, {20, "7"}},
       {{0, 0, 1, 0, 2, 0}, {7, 7, 7, 7, 7, 7}}},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(n);
    const yrlhost::DrawingContent& content = load(dxf_file(c.entity), "C" + std::to_string(n++));
    ASSERT_EQ(content.entities.size(), c.points.size());
    auto entity = content.entities.begin();
    for (const std::vector<double>& p : c.points) {
      const double points[3][2] = {{p[0], p[1]}, {p[2], p[3]}, {p[4], p[5]}};
      expect_curve_through((entity++)->second.curve, points);
    }
  }
  // The 3-D polyline's heights.
  const yrlhost::DrawingContent& content = load(dxf_file(cases[8].entity), "HEIGHTS");
  EXPECT_EQ(content.entities.at(1).curve.record.line.end1[2], 1);
  EXPECT_EQ(content.entities.at(1).curve.record.line.end2[2], 3);
}

// A dimension's value comes from its points; its text from the file, "<>" standing for
// the value.
TEST_F(DxfTest, DimensionValuesAndTextsFromTheirPoints) {
  struct Case {
    Groups dimension;
    int type;
    double value;
    std::vector<std::u16string> text;
  };
  const Case cases[] = {
      {{{70, "0"}, {50, "30"}, {13, "0"}, {23, "0"}, {14, "3"}, {24, "4"}},
       yrlhost::dimension_linear, 1.5 * std::sqrt(3.0) + 2, {u"4.5981"}},
      // Seen from below, the dimension line's angle turns round with x.
      {{{70, "0"}, {50, "30"}, {13, "0"}, {23, "0"}, {14, "3"}, {24, "4"}, {230, "-1"}},
       yrlhost::dimension_linear, 1.5 * std::sqrt(3.0) - 2, {u"0.5981"}},
      {{{70, "1"}, {13, "0"}, {23, "0"}, {14, "3"}, {24, "4"}, {1, "<> typ.\\P(<>)"}},
       yrlhost::dimension_linear, 5, {u"5 typ.", u"(5)"}},
      {{{70, "4"}, {10, "1"}, {20, "1"}, {15, "4"}, {25, "5"}}, yrlhost::dimension_radius, 5, {u"R5"}},
      {{{70, "3"}, {10, "1"}, {20, "1"}, {15, "4"}, {25, "5"}, {1, "HOLE"}}, yrlhost::dimension_diameter, 5, {u"HOLE"}},
      {{{70, "2"}, {13, "0"}, {23, "0"}, {14, "1"}, {24, "0"}, {15, "0"}, {25, "0"}, {10, "1"}, {20, "1"}},
       yrlhost::dimension_angle, 45, {u"45\u00B0"}},
      {{{70, "5"}, {13, "1"}, {23, "0"}, {14, "-1"}, {24, "0"}, {15, "0"}, {25, "0"}},
       yrlhost::dimension_angle, 180, {u"180\u00B0"}},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(n);
    Groups entity = {{0, "DIMENSION"}};
    entity.insert(entity.end(), c.dimension.begin(), c.dimension.end());
    const yrlhost::DrawingContent& content = load(dxf_file(entity), "D" + std::to_string(n++));
    ASSERT_EQ(content.dimensions.size(), 1u);
    const yrlhost::DrawingDimension& dimension = content.dimensions.begin()->second;
    EXPECT_EQ(dimension.type, c.type);
    EXPECT_NEAR(dimension.value, std::fabs(c.value), 1e-12);
    EXPECT_EQ(dimension.lines, c.text);
  }
}

// Colours by index (the palette), by true colour, by layer; 7, by block and out of
// range are the default colour.
TEST(DxfColour, IndexAndTrueColour) {
  struct Case {
    int index;
    int true_colour;
    int method;
    double rgb[3];
  };
  const Case cases[] = {
      {1, -1, 2, {1, 0, 0}},        {2, -1, 2, {1, 1, 0}},          {3, -1, 2, {0, 1, 0}},
      {4, -1, 2, {0, 1, 1}},        {5, -1, 2, {0, 0, 1}},          {6, -1, 2, {1, 0, 1}},
      {7, -1, 0, {}},               {0, -1, 0, {}},                 {256, -1, 0, {}},
      {257, -1, 0, {}},             {-1, -1, 0, {}},                {8, -1, 2, {128 / 255.0, 128 / 255.0, 128 / 255.0}},
      {10, -1, 2, {1, 0, 0}},       {11, -1, 2, {1, 0.5, 0.5}},     {12, -1, 2, {0.65, 0, 0}},
      {19, -1, 2, {0.15, 0.075, 0.075}}, {20, -1, 2, {1, 0.25, 0}}, {50, -1, 2, {1, 1, 0}},
      {90, -1, 2, {0, 1, 0}},       {130, -1, 2, {0, 1, 1}},        {170, -1, 2, {0, 0, 1}},
      {210, -1, 2, {1, 0, 1}},      {249, -1, 2, {0.15, 0.075, 0.09375}}, {250, -1, 2, {0.2, 0.2, 0.2}},
      {255, -1, 2, {1, 1, 1}},      {1, 0x336699, 2, {0.2, 0.4, 0.6}}, {256, 0, 2, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    VynColor colour = yrlhost::dxf_colour(c.index, c.true_colour);
    EXPECT_EQ(colour.method, c.method) << c.index;
    if (c.method == 2) {
      EXPECT_TRUE(rgb_is(colour, c.rgb[0], c.rgb[1], c.rgb[2])) << c.index;
    }
  }
}

// Special codes, characters by number and mtext formatting.
TEST(DxfText, CodesAndFormattingBecomeLines) {
  struct Case {
    const char16_t* text;
    bool mtext;
    std::vector<std::u16string> lines;
  };
  const Case cases[] = {
      {u"%%c10 %%D %%p0.1 50%%%", false, {u"\u230010 \u00B0 \u00B10.1 50%"}},
      {u"%%uunder%%u %%o%%k%%065", false, {u"under A"}},
      {u"\\U+00E9t\\U+00e9 \\U+00G1", false, {u"\u00E9t\u00E9 \\U+00G1"}},
      {u"a\\Pb %%", false, {u"a\\Pb %%"}},
      {u"a\\Pb\\Xc^Jd", true, {u"a", u"b", u"c", u"d"}},
      {u"{\\fArial|b1;Bold} {\\H2.5x;big}", true, {u"Bold big"}},
      {u"\\\\ \\{x\\} a\\~b", true, {u"\\ {x} a\u00A0b"}},
      {u"\\S1^2; \\S3#4; \\LUnder\\l\\O\\o", true, {u"1/2 3/4 Under"}},
      {u"\\A1;\\C3;\\c255;\\Q15;\\T2;\\W0.8;\\pi1;x", true, {u"x"}},
      {u"^I^ ^z \\\\U+0041 \\U+0041 \\H", true, {u"\t^^z \\U+0041 A "}},
      {u"unclosed \\S1^2", true, {u"unclosed 1/2"}},
      {u"a\u0001b\rc", false, {u"abc"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(yrlhost::dxf_text_lines(c.text, c.mtext), c.lines) << yrlhost::utf8_from_utf16(c.text);
}

// Text is UTF-8 from AC1021 on; before, and without a version, valid UTF-8 is taken as
// UTF-8 and anything else in the file's code page (1252 when unknown).
TEST(DxfText, CodingFromVersionAndCodePage) {
  struct Case {
    const char* version;
    const char* code_page;
    std::string raw;
    std::u16string text;
  };
  const Case cases[] = {
      {"AC1021", "ANSI_1252", "\xC3\xA9", u"\u00E9"},
      {"AC1021", "ANSI_1252", "\xE9", u"\uFFFD"},
      {"AC1015", "ANSI_1252", "\xE9\x80", u"\u00E9\u20AC"},
      {"AC1015", "ANSI_1252", "\xC3\xA9", u"\u00E9"},
      {"AC1015", "ANSI_1251", "\xC0", u"\u0410"},
      {"AC1015", "ansi_1251", "\xC0", u"\u0410"},
      {"", "", "\xE9", u"\u00E9"},
      {"AC1009", "ANSI_99999", "\xE9", u"\u00E9"},
      {"junk", "DOS437", "\xE9", u"\u00E9"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(yrlhost::dxf_text_decode(c.raw, yrlhost::dxf_text_coding(c.version, c.code_page)), c.text)
        << c.version << " " << c.code_page;
}

// The drawing's name is the file's, cut to 31 characters; any extension case is DXF.
TEST_F(DxfTest, TheDrawingIsNamedAfterTheFile) {
  yrltest::TempDir temp;
  const std::filesystem::path dir = temp.path();
  const std::string long_name = "a_drawing_whose_name_is_longer_than_a_model_name";
  const std::filesystem::path path = dir / (long_name + ".DXF");
  std::ofstream(path) << dxf_file({{0, "POINT"}});
  std::string error;
  VynMdl drawing = yrlhost::host_dxf_open(path.string(), import, error);
  ASSERT_NE(drawing, nullptr) << error;
  EXPECT_EQ(yrlhost::host_model_name(drawing), long_name.substr(0, 31));
  EXPECT_TRUE(yrlhost::dxf_path_is(path.string()));
  EXPECT_TRUE(yrlhost::dxf_path_is("x.Dxf"));
  EXPECT_FALSE(yrlhost::dxf_path_is("x.drw"));
  EXPECT_FALSE(yrlhost::dxf_path_is("dxf"));
}

std::vector<VynMdl> retrieved;
VynError record_retrieve(VynMdl model) {
  retrieved.push_back(model);
  return 0;
}

// The plug-in is told of the drawing as of any drawing opened; a refused file tells it
// nothing.
TEST_F(DxfTest, TheRetrieveNotificationFiresForAnImportedDrawing) {
  retrieved.clear();
  ASSERT_EQ(yrlhost::Behaviour<yrlhost::HostApi::VynNotificationSet>::run(
                1, yrlhost::notification_model_retrieve, reinterpret_cast<VynNotificationFunction>(&record_retrieve)),
            0);
  std::string error;
  EXPECT_EQ(yrlhost::host_dxf_load("0\nSECTION\n", "BAD", "BAD.dxf", import, error), nullptr);
  EXPECT_TRUE(retrieved.empty());
  load(dxf_file({{0, "POINT"}}));
  EXPECT_EQ(retrieved, std::vector<VynMdl>{drawing_});
}

}  // namespace
