// Features from element trees, called through the host's function table as the
// application calls them: each feature type and extent kind checked by the volume, face
// count and box of the part worked out here, incomplete features, redefinitions that
// fail, deletion with dependants and trees the builder refuses.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "host/store/elemtrees.h"
#include "host/store/model_report.h"
#include "host/store/sections.h"
#include "host/files/model_files.h"
#include "tests/host/feature_test.h"

namespace yrltest {
namespace {

using yrlhost::geom::Box;
constexpr double pi = pi_value;

class Features : public FeatureTest {};

// A 10 x 5 rectangle sketched on each default plane, with each extent kind.
TEST_F(Features, ExtrusionsOnTheDefaultPlanes) {
  struct Case {
    std::string name;
    VynModelitem plane;
    Node depth;
    int direction;  // 436 after the build: -1 the application's default, 1 flipped
    double volume;
    Box box;
  };
  const Case cases[] = {
      // TOP maps (u, v) to (u, d, -v): x 0..10, z -5..0, extruded up y.
      {"top blind 7", TOP, blind(7), -1, 350, {{0, 0, -5}, {10, 7, 0}}},
      {"top blind 7 flipped", TOP, blind(7), 1, 350, {{0, -7, -5}, {10, 0, 0}}},
      {"top both sides 10", TOP, both_sides(10), -1, 500, {{0, -5, -5}, {10, 5, 0}}},
      {"front blind 3", FRONT, blind(3), -1, 150, {{0, 0, 0}, {10, 5, 3}}},
      {"front both sides 4", FRONT, both_sides(4), -1, 200, {{0, 0, -2}, {10, 5, 2}}},
      // RIGHT maps (u, v) to (d, v, -u): z -10..0, y 0..5, extruded along x.
      {"right blind 7", RIGHT, blind(7), -1, 350, {{0, 0, -10}, {7, 5, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Node tree = extrude(c.plane, c.depth);
    tree.children.push_back(I(436, c.direction));
    VynFeature feature = made_sketched(tree, rect2d(0, 0, 10, 5));
    expect_solid(c.volume, 6, c.box, c.name);
    int ids[] = {feature.id};
    const int options[] = {1};
    ASSERT_EQ(feature_delete(1, part, ids, 1, options, 1), ok);
    EXPECT_TRUE(stored().solid.empty());
  }
}

// On a default plane a sketch oriented by its top or bottom (codes 1 and 2) has that
// plane's frame turned a quarter: a sketch point (u, v) lies where the plane's own frame
// puts (-v, u). Other codes keep the plane's frame. The 10 x 5 rectangle extruded 7.
TEST_F(Features, SketchOrientedByItsTopOrBottomIsTurnedAQuarter) {
  struct Case {
    std::string name;
    VynModelitem plane;
    int code;
    Box box;
  };
  const Case cases[] = {
      {"front code 4", FRONT, 4, {{0, 0, 0}, {10, 5, 7}}},
      {"front code 3", FRONT, 3, {{0, 0, 0}, {10, 5, 7}}},
      {"front code 2", FRONT, 2, {{-5, 0, 0}, {0, 10, 7}}},
      {"front code 1", FRONT, 1, {{-5, 0, 0}, {0, 10, 7}}},
      {"top code 2", TOP, 2, {{-5, 0, -10}, {0, 7, 0}}},
      {"right code 1", RIGHT, 1, {{0, 0, 0}, {7, 10, 5}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Node tree = N(386, {I(1956, 917), I(3176, 0), I(2023, -1), I(388, 1),
                        N(447, {N(450, {S(451, c.plane), I(452, 1), I(454, c.code), S(455, RIGHT)})}), blind(7)});
    VynFeature feature = made_sketched(tree, rect2d(0, 0, 10, 5));
    expect_solid(350, 6, c.box, c.name);
    int ids[] = {feature.id};
    const int options[] = {1};
    ASSERT_EQ(feature_delete(1, part, ids, 1, options, 1), ok);
  }
}

// Edge case: the rectangle on TOP extruded 7 has its caps at y = 0 and y = 7.
TEST_F(Features, TopRectangleCapsLieAtZeroAndSeven) {
  made_sketched(extrude(TOP, blind(7)), rect2d(0, 0, 10, 5));
  for (double y : {0.0, 7.0}) {
    yrlhost::geom::PointHits hits = yrlhost::geom::geometry_at_point(stored().solid, {5, y, -2.5}, 1e-6);
    ASSERT_EQ(hits.faces.size(), 1u) << y;
    yrlhost::geom::FaceInfo info;
    ASSERT_EQ(yrlhost::geom::face_info(stored().solid, hits.faces[0], info), yrlhost::geom::Status::ok);
    EXPECT_NEAR(std::fabs(info.normal[1]), 1, 1e-12);
  }
}

// Up to a reference goes towards the reference whichever side the tree names.
TEST_F(Features, UpToAReferencePlane) {
  VynFeature above = made(datum_plane(TOP, 4));
  VynFeature below = made(datum_plane(TOP, 3, 1));
  struct Case {
    std::string name;
    VynFeature ref;
    bool flipped;
    Box box;
  };
  const Case cases[] = {
      {"above, side 1", above, false, {{0, 0, -5}, {10, 4, 0}}},
      {"above, side 2", above, true, {{0, 0, -5}, {10, 4, 0}}},
      {"below, side 2", below, true, {{0, -3, -5}, {10, 0, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VynFeature feature = made_sketched(extrude(TOP, up_to(c.ref, c.flipped)), rect2d(0, 0, 10, 5));
    double height = c.box.max[1] - c.box.min[1];
    expect_solid(50 * height, 6, c.box, c.name);
    int ids[] = {feature.id};
    ASSERT_EQ(feature_delete(1, part, ids, 1, nullptr, 0), ok);
  }
}

TEST_F(Features, CutsAndHoles) {
  block();
  VynFeature top10 = made(datum_plane(TOP, 10));
  struct Case {
    std::string name;
    Node tree;
    std::vector<Vyn2dEntity> section;  // none: a hole
    double removed;
    int faces;
  };
  std::vector<Case> cases;
  // A 2 x 2 square on FRONT cut through all: through the whole block along z.
  cases.push_back({"cut through all", extrude(FRONT, through_all(), true), rect2d(2, 2, 4, 4), 40, 10});
  cases.push_back({"cut blind 3", extrude(FRONT, blind(3), true), rect2d(2, 2, 4, 4), 12, 11});
  // Holes placed on the datum 10 above TOP at x 5, z 5, running down into the block.
  cases.push_back({"hole blind 4", hole(top10, 2, hole_blind(4), 5, 5), {}, pi * 4, 8});
  cases.push_back({"hole through all", hole(top10, 2, hole_through(), 5, 5), {}, pi * 10, 7});
  VynFeature top6 = made(datum_plane(TOP, 6));
  cases.push_back({"hole up to a plane", hole(top10, 2, N(1684, {N(1685, {I(1687, 6)}), N(1686, {I(1688, 5), S(435, top6)})}), 5, 5),
                   {}, pi * 4, 8});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VynFeature feature = c.section.empty() ? made(c.tree) : made_sketched(c.tree, c.section);
    expect_solid(1000 - c.removed, c.faces, {{0, 0, 0}, {10, 10, 10}}, c.name);
    int ids[] = {feature.id};
    ASSERT_EQ(feature_delete(1, part, ids, 1, nullptr, 0), ok);
    expect_solid(1000, 6, {{0, 0, 0}, {10, 10, 10}}, c.name + ", deleted");
  }
}

// A feature that changes no material of the part fails, as a CAD system's does: a cut or
// a hole that takes nothing away and a protrusion apart from the part do not intersect it
// (row kind 8), a protrusion inside it adds nothing (row kind 6). The part stays as it was.
TEST_F(Features, AFeatureThatChangesNoMaterialFails) {
  block();
  VynFeature top10 = made(datum_plane(TOP, 10));
  struct Case {
    std::string name;
    Node tree;
    std::vector<Vyn2dEntity> section;  // none: a hole
    int kind;
    yrlhost::geom::Status status;
  };
  using yrlhost::geom::Status;
  const Case cases[] = {
      {"cut beside the block", extrude(FRONT, blind(5), true), rect2d(20, 0, 22, 2),
       yrlhost::feature_error_no_intersection, Status::no_intersection},
      {"cut in front of the block", extrude(FRONT, up_to(made(datum_plane(FRONT, -20)), true), true),
       rect2d(2, 2, 4, 4), yrlhost::feature_error_no_intersection, Status::no_intersection},
      {"protrusion apart from the block", extrude(FRONT, blind(5)), rect2d(20, 0, 22, 2),
       yrlhost::feature_error_no_intersection, Status::no_intersection},
      {"protrusion inside the block", extrude(FRONT, blind(5)), rect2d(2, 2, 4, 4),
       yrlhost::feature_error_geometry, Status::adds_nothing},
      {"hole beside the block", hole(top10, 2, hole_through(), 5, 15), {},
       yrlhost::feature_error_no_intersection, Status::no_intersection},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::size_t features = stored().features.size();
    VynFeature feature{};
    VynErrors errors{};
    EXPECT_EQ(attempt(c.tree, c.section, feature, errors), VYN_TK_GENERAL_ERROR);
    ASSERT_EQ(errors.count, 1);
    EXPECT_EQ(errors.rows[0].id, yrlhost::element_root);
    EXPECT_EQ(errors.rows[0].type, c.kind);
    EXPECT_EQ(errors.rows[0].error, static_cast<int>(c.status));
    expect_solid(1000, 6, {{0, 0, 0}, {10, 10, 10}}, c.name);
    EXPECT_EQ(summary().solids, 1);
    // The sketched feature made incomplete on the road stays so; the hole is not made.
    EXPECT_EQ(stored().features.size(), features + (c.section.empty() ? 0 : 1));
    if (!c.section.empty()) {
      int ids[] = {feature.id};
      ASSERT_EQ(feature_delete(1, part, ids, 1, nullptr, 0), ok);
    }
  }
}

// However small the material a feature takes or adds beside the part, it changes the
// part: a hole, a notch and a boss of less than 1 on a block of 1000 on a side (a volume of 1e9)
// build, each with its own volume.
TEST_F(Features, ASmallFeatureOnALargePartBuilds) {
  const std::size_t features = stored().features.size();
  made_sketched(extrude(FRONT, blind(1000)), rect2d(0, 0, 1000, 1000));
  VynFeature top = made(datum_plane(TOP, 1000));
  double volume = 1e9;
  made(hole(top, 1, hole_blind(1), 500, 500));
  volume -= pi / 4;
  EXPECT_NEAR(summary().volume, volume, 1e-6) << "hole";
  made_sketched(extrude(FRONT, blind(1), true), rect2d(999.5, 500, 1001, 501));
  volume -= 0.5;
  EXPECT_NEAR(summary().volume, volume, 1e-6) << "notch";
  made_sketched(extrude(FRONT, blind(1)), rect2d(1000, 200, 1000.5, 201));
  volume += 0.5;
  EXPECT_NEAR(summary().volume, volume, 1e-6) << "boss";
  EXPECT_EQ(summary().solids, 1);
  EXPECT_EQ(stored().features.size(), features + 5);
}

// A part read from a file whose cut does not intersect it loads with the cut failed; the
// report says so and shows the one body the part has.
TEST_F(Features, ACutApartFromThePartLoadsFailed) {
  block();
  made_sketched(extrude(FRONT, blind(3), true), rect2d(2, 2, 4, 4));
  std::vector<std::string> lines = yrlhost::host_model_lines(part);
  // The cut's square moved to u 22..24, beside the block.
  bool moved = false;
  for (std::string& line : lines) {
    const std::string pairs[][2] = {{"1 line 2 2 4 2", "1 line 22 2 24 2"}, {"2 line 4 2 4 4", "2 line 24 2 24 4"},
                                    {"3 line 4 4 2 4", "3 line 24 4 22 4"}, {"4 line 2 4 2 2", "4 line 22 4 22 2"}};
    for (const auto& pair : pairs)
      if (line == pair[0]) {
        line = pair[1];
        moved = true;
      }
  }
  ASSERT_TRUE(moved);
  yrlhost::host_model_erase(part);
  std::string error;
  VynMdl loaded = yrlhost::host_model_read(lines, "p.prt", error);
  ASSERT_NE(loaded, nullptr) << error;
  part = loaded;
  EXPECT_EQ(stored().features.back().status, yrlhost::feature_status_failed);
  EXPECT_EQ(regenerate(1, part, 0), VYN_TK_GENERAL_ERROR);
  const std::vector<std::string> report = yrlhost::host_models_report();
  ASSERT_GE(report.size(), 2u);
  EXPECT_EQ(report[report.size() - 2], "      8  916  -     failed");
  EXPECT_EQ(report.back(), "    solid: volume 1000, solids 1, faces 6, box (0, 0, 0) - (10, 10, 10)");
}

// Sizes and places beyond the model-size box (1e6 from the origin) never reach the
// kernel, through the creation and redefinition of a feature: the build fails with the
// geometry row and its status, and the part stays as it was.
TEST_F(Features, SizesBeyondTheModelBoxAreRefused) {
  block();
  VynFeature top10 = made(datum_plane(TOP, 10));
  struct Case {
    std::string name;
    Node tree;
    std::vector<Vyn2dEntity> section;  // none: a feature without a section
  };
  const Case cases[] = {
      {"hole of diameter 1e180", hole(top10, 1e180, hole_through(), 5, 5), {}},
      {"hole of diameter 1e300", hole(top10, 1e300, hole_blind(4), 5, 5), {}},
      {"hole of diameter 2e6", hole(top10, 2e6, hole_blind(4), 5, 5), {}},
      {"hole 1e300 from its reference", hole(top10, 2, hole_blind(4), 1e300, 5), {}},
      {"circle of radius 1e180", extrude(FRONT, blind(5)), {circle2d(5, 5, 1e180)}},
      {"circle of radius 1e300", extrude(FRONT, blind(5), true), {circle2d(5, 5, 1e300)}},
      {"circle at 1e300", extrude(FRONT, blind(5)), {circle2d(1e300, 5, 1)}},
      {"square at 2e6", extrude(FRONT, blind(5)), rect2d(2e6, 0, 2e6 + 10, 10)},
      {"depth 1e300", extrude(FRONT, blind(1e300)), rect2d(2, 2, 4, 4)},
      {"depth reaching past the box", extrude(FRONT, blind(1.5e6)), rect2d(2, 2, 4, 4)},
      {"depth past the box from a plane in it", extrude(made(datum_plane(FRONT, 999995)), blind(10)),
       rect2d(2, 2, 4, 4)},
      {"datum plane at 1e300", datum_plane(TOP, 1e300), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VynFeature feature{};
    VynErrors errors{};
    EXPECT_EQ(attempt(c.tree, c.section, feature, errors), VYN_TK_GENERAL_ERROR);
    ASSERT_GE(errors.count, 1);
    EXPECT_EQ(errors.rows[0].type, yrlhost::feature_error_geometry);
    EXPECT_EQ(errors.rows[0].error, static_cast<int>(yrlhost::geom::Status::outside_model_box));
    expect_solid(1000, 6, {{0, 0, 0}, {10, 10, 10}}, c.name);
  }
  // Within the box, a hole as wide as the block is cut.
  made(hole(top10, 9, hole_through(), 5, 5));
  expect_solid(1000 - pi_value * 4.5 * 4.5 * 10, 7, {{0, 0, 0}, {10, 10, 10}}, "a wide hole");
}

// A hole's centre lies at its two distances from FRONT and RIGHT on its placement plane.
TEST_F(Features, HoleCentreFromItsReferences) {
  block();
  VynFeature top10 = made(datum_plane(TOP, 10));
  made(hole(top10, 2, hole_blind(4), 3, 7));
  // Inside the hole's bore (x 7, z 3 at y 8) is no material any more; beside it is.
  EXPECT_TRUE(yrlhost::geom::geometry_at_point(stored().solid, {8, 8, 3}, 1e-6).faces.size() == 1);
  EXPECT_TRUE(yrlhost::geom::geometry_at_point(stored().solid, {7, 6, 3}, 1e-6).faces.size() == 1);
}

// A tube profile on FRONT revolved about the sketch's v axis (the model's y axis).
TEST_F(Features, RevolveAngles) {
  struct Case {
    std::string name;
    Node angles;
    double volume;
    int faces;
    Box box;
  };
  const Case cases[] = {
      {"360 is a full revolution", angle(360), 20 * pi, 4, {{-3, 0, -3}, {3, 4, 3}}},
      {"361 and more: a full revolution", angle(400), 20 * pi, 4, {{-3, 0, -3}, {3, 4, 3}}},
      // Right-hand about +y turns +x towards -z.
      {"90", angle(90), 5 * pi, 6, {{0, 0, -3}, {3, 4, 0}}},
      // RIGHT (x = 0) holds the axis: a quarter turn either way reaches it.
      {"side 2 up to RIGHT", N(6, {N(437, {I(439, 262144)}), N(438, {I(440, 134217728), S(444, RIGHT)})}),
       5 * pi, 6, {{0, 0, -3}, {3, 4, 0}}},
      {"side 1 up to RIGHT", N(6, {N(437, {I(439, 131072), S(443, RIGHT)}), N(438, {I(440, 268435456)})}),
       5 * pi, 6, {{0, 0, 0}, {3, 4, 3}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Vyn2dEntity> section = rect2d(2, 0, 3, 4);
    section.push_back(line2d(0, 0, 0, 1, VYN_2D_CENTERLINE));
    VynFeature feature = made_sketched(extrude(FRONT, c.angles, false, 2), section);
    expect_solid(c.volume, c.faces, c.box, c.name);
    int ids[] = {feature.id};
    ASSERT_EQ(feature_delete(1, part, ids, 1, nullptr, 0), ok);
  }
}

// A one-sided revolution turns the other way when its direction is flipped (436 = 1) or
// its sketch is viewed from the back (452 = -1), and back again with both: its box moves
// to the other side of the sketch plane.
TEST_F(Features, AFlippedOneSidedRevolveTurnsTheOtherWay) {
  const Box behind{{0, 0, -3}, {3, 4, 0}}, in_front{{0, 0, 0}, {3, 4, 3}};
  struct Case {
    std::string name;
    int direction;  // 436
    int view;       // 452
    Box box;
  };
  const Case cases[] = {
      {"as built", -1, 1, behind},
      {"direction flipped", 1, 1, in_front},
      {"viewed from the back", -1, -1, in_front},
      {"both", 1, -1, behind},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Vyn2dEntity> section = rect2d(2, 0, 3, 4);
    section.push_back(line2d(0, 0, 0, 1, VYN_2D_CENTERLINE));
    Node tree = N(386, {I(1956, 917), I(3176, 0), I(2023, -1), I(388, 2),
                        N(447, {N(450, {S(451, FRONT), I(452, c.view), I(454, 4), S(455, RIGHT)})}), angle(90),
                        I(436, c.direction)});
    VynFeature feature = made_sketched(tree, section);
    expect_solid(5 * pi, 6, c.box, c.name);
    int ids[] = {feature.id};
    ASSERT_EQ(feature_delete(1, part, ids, 1, nullptr, 0), ok);
  }
}

// An extrusion's two sides go opposite ways: an up-to side goes towards its plane,
// whichever side names it, and two sides that end up going the same way are refused
// (the second of them named, by its reference or by the root), the part as it was.
TEST_F(Features, TwoSidesGoingTheSameWayAreRefused) {
  block();
  VynFeature ahead = made(datum_plane(FRONT, 20)), further = made(datum_plane(FRONT, 30)),
             behind = made(datum_plane(FRONT, -10));
  struct Case {
    std::string name;
    Node depth;
    int element;    // of the row; 0: the feature builds
    double volume;  // of the part with it
    Box box;
  };
  const Case cases[] = {
      {"side 1 up to a plane ahead, side 2 blind ahead",
       N(515, {N(428, {I(430, 2048), S(432, ahead)}), N(429, {I(433, 262144), D(434, 5)})}), 386, 0, {}},
      {"both up to planes ahead",
       N(515, {N(428, {I(430, 2048), S(432, ahead)}), N(429, {I(433, 4194304), S(435, further)})}), 435, 0, {}},
      {"side 1 up to a plane behind, side 2 blind ahead",
       N(515, {N(428, {I(430, 2048), S(432, behind)}), N(429, {I(433, 262144), D(434, 5)})}), 0, 1000 + 4 * 10,
       {{0, 0, -10}, {10, 10, 10}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VynFeature feature{};
    VynErrors errors{};
    VynError status = sketched(extrude(FRONT, c.depth), rect2d(4, 4, 6, 6), feature, errors);
    if (c.element == 0) {
      EXPECT_EQ(status, ok);
      expect_solid(c.volume, 11, c.box, c.name);
    } else {
      EXPECT_EQ(status, VYN_TK_GENERAL_ERROR);
      ASSERT_EQ(errors.count, 1);
      EXPECT_EQ(errors.rows[0].id, c.element);
      EXPECT_EQ(errors.rows[0].type, yrlhost::feature_error_value);
      EXPECT_EQ(errors.rows[0].error, VYN_TK_BAD_INPUTS);
      expect_solid(1000, 6, {{0, 0, 0}, {10, 10, 10}}, c.name);
    }
    int ids[] = {feature.id};
    ASSERT_EQ(feature_delete(1, part, ids, 1, nullptr, 0), ok);
  }
}

TEST_F(Features, DatumPlanesAxesPointsAndCurves) {
  struct PlaneCase {
    const char16_t* name;
    VynModelitem ref;
    double offset;
    int flip;
    yrlhost::geom::Vec3 normal;
    double position;
  };
  const PlaneCase planes[] = {
      {u"AT_10", FRONT, 10, 0, {0, 0, 1}, 10},  // edge case: offset 10 from FRONT lies at z = 10
      {u"AT_MINUS_10", FRONT, 10, 1, {0, 0, 1}, -10},  // and at z = -10 flipped
      {u"RIGHT_2_5", RIGHT, 2.5, 0, {1, 0, 0}, 2.5},
  };
  for (const PlaneCase& c : planes) {
    VynFeature feature = made(datum_plane(c.ref, c.offset, c.flip));
    ASSERT_EQ(name_set(1, &feature, c.name), ok);
    int type = 0;
    EXPECT_EQ(feature_type(1, &feature, &type), ok);
    EXPECT_EQ(type, 923);
    const yrlhost::StoredDatum* datum = datum_of(feature);
    ASSERT_NE(datum, nullptr);
    EXPECT_EQ(datum->kind, yrlhost::DatumKind::plane);
    EXPECT_EQ(datum->name, yrlhost::stored_feature(stored(), feature.id)->name);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(datum->plane.normal[i], c.normal[i], 1e-12);
    EXPECT_NEAR(yrlhost::geom::plane_distance({{0, 0, 0}, c.normal}, datum->plane.origin), c.position, 1e-12);
    // The plane is one surface of its feature, however the host keeps it.
    std::vector<int> surfaces;
    auto collect = [](VynModelitem* item, VynError, void* data) -> VynError {
      static_cast<std::vector<int>*>(data)->push_back(item->id);
      return 0;
    };
    EXPECT_EQ(feature_items_visit(1, &feature, 5, collect, nullptr, &surfaces), ok);
    EXPECT_EQ(surfaces, std::vector<int>{datum->id}) << "feature " << feature.id;
  }
  // An axis normal to TOP, 1 from FRONT and 2 from RIGHT: along y through x 2, z 1.
  VynFeature axis = made(N(386, {I(387, 926), N(2015, {N(2016, {I(2017, 0), S(413, TOP)})}),
                                 N(2019, {N(2020, {S(2021, FRONT), D(2022, 1)}),
                                          N(2020, {S(2021, RIGHT), D(2022, 2)})})}));
  const yrlhost::StoredDatum* datum = datum_of(axis);
  ASSERT_NE(datum, nullptr);
  EXPECT_EQ(datum->kind, yrlhost::DatumKind::axis);
  EXPECT_NEAR(datum->axis.origin[0], 2, 1e-12);
  EXPECT_NEAR(datum->axis.origin[2], 1, 1e-12);
  EXPECT_NEAR(datum->axis.direction[1], 1, 1e-12);
  // Points sketched on TOP: (u, v) lies at (u, 0, -v).
  VynFeature points = made_sketched(N(386, {I(387, 931), I(3179, 22), sketch_setup(TOP, RIGHT)}),
                                    {point2d(3, 4), point2d(-1, 2)});
  std::vector<yrlhost::geom::Vec3> got;
  for (const yrlhost::StoredDatum& d : stored().datums)
    if (d.feature_id == points.id) got.push_back(d.point);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0], (yrlhost::geom::Vec3{3, 0, -4}));
  EXPECT_EQ(got[1], (yrlhost::geom::Vec3{-1, 0, -2}));
  // A curve keeps its profile entities, not the construction ones.
  VynFeature curve = made_sketched(N(386, {I(387, 949), I(511, 0), sketch_setup(FRONT, RIGHT)}),
                                   {line2d(0, 0, 5, 5), line2d(0, -500, 0, 500, VYN_2D_CENTERLINE)});
  datum = datum_of(curve);
  ASSERT_NE(datum, nullptr);
  EXPECT_EQ(datum->kind, yrlhost::DatumKind::curve);
  EXPECT_EQ(datum->curve.size(), 1u);
  EXPECT_TRUE(stored().solid.empty());
  // A curve's section may be open (an extrude's may not): autodim leaves its ends be.
  for (const VynFeature* f : {&curve, &points}) {
    VynFeature feature = *f;
    VynElement tree = nullptr;
    ASSERT_EQ(feature_tree(1, &feature, &tree), ok);
    EXPECT_EQ(yrlhost::section_open(section_of(tree)), f == &curve);
    EXPECT_EQ(release(tree), ok);
  }
}

// Option 2 with an empty section: an incomplete feature with its section in its tree.
TEST_F(Features, IncompleteFeatureHoldsItsSection) {
  VynFeature feature{};
  VynErrors errors{};
  ASSERT_EQ(create(extrude(TOP, blind(7)), feature, errors), ok);
  EXPECT_GE(feature.id, 1);
  EXPECT_EQ(errors.count, 0);
  int status = -1;
  EXPECT_EQ(feature_status(1, &feature, &status), ok);
  EXPECT_EQ(status, yrlhost::feature_status_incomplete);
  EXPECT_TRUE(stored().solid.empty());
  int sections = 0;
  EXPECT_EQ(feature_sections(1, &feature, &sections), ok);
  EXPECT_EQ(sections, 1);
  VynElement tree = nullptr;
  ASSERT_EQ(feature_tree(1, &feature, &tree), ok);
  VynSection section = section_of(tree);
  ASSERT_TRUE(yrlhost::section_live(section));
  double location[4][4];
  ASSERT_EQ(section_location(1, section, location), ok);
  yrlhost::geom::Frame top = yrlhost::geom::standard_frame(yrlhost::geom::StandardPlane::top, 0);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_EQ(location[r][c], top.m[r][c]);
  EXPECT_EQ(release(tree), ok);
  // Without option 2 the same tree makes no feature.
  std::size_t before = stored().features.size();
  EXPECT_EQ(create(extrude(TOP, blind(7)), feature, errors, {}), VYN_TK_GENERAL_ERROR);
  ASSERT_EQ(errors.count, 1);
  EXPECT_EQ(errors.rows[0].type, yrlhost::feature_error_incomplete);
  EXPECT_EQ(stored().features.size(), before);
}

// A redefinition that fails leaves the feature, its tree and the part's solid as they were.
TEST_F(Features, FailedRedefinitionLeavesTheLastGoodSolid) {
  VynFeature feature = made_sketched(extrude(TOP, blind(7)), rect2d(0, 0, 10, 5));
  expect_solid(350, 6, {{0, 0, -5}, {10, 7, 0}}, "built");
  // A depth up to a datum plane that is gone.
  VynFeature plane = made(datum_plane(TOP, 4));
  int ids[] = {plane.id};
  ASSERT_EQ(feature_delete(1, part, ids, 1, nullptr, 0), ok);
  VynErrors errors{};
  VynElement tree = build(extrude(TOP, up_to(plane, false)));
  const int options[] = {2};
  EXPECT_EQ(feature_redefine(1, nullptr, &feature, tree, options, 1, &errors), VYN_TK_GENERAL_ERROR);
  ASSERT_EQ(errors.count, 1);
  EXPECT_EQ(errors.rows[0].id, 432);
  EXPECT_EQ(errors.rows[0].type, yrlhost::feature_error_reference);
  EXPECT_EQ(release(tree), ok);
  expect_solid(350, 6, {{0, 0, -5}, {10, 7, 0}}, "after the missing reference");
  // An open section: a fifth line hanging off a corner.
  EXPECT_EQ(fill_and_redefine(feature, {line2d(10, 5, 12, 8)}, errors), VYN_TK_GENERAL_ERROR);
  ASSERT_GE(errors.count, 1);
  EXPECT_EQ(errors.rows[0].id, 458);
  EXPECT_EQ(errors.rows[0].type, yrlhost::feature_error_section);
  EXPECT_GE(errors.rows[0].error, 1);
  expect_solid(350, 6, {{0, 0, -5}, {10, 7, 0}}, "after the open section");
  // The feature's own tree still holds depth 7.
  VynValue value = nullptr;
  EXPECT_EQ(feature_value_at(feature, {{1, 515}, {1, 429}, {1, 434}}, value).value.d, 7.0);
  // A regeneration builds from the section as it stood at the last good build.
  ASSERT_EQ(regenerate(1, part, 0), ok);
  expect_solid(350, 6, {{0, 0, -5}, {10, 7, 0}}, "regenerated");
}

// A datum plane moved by a redefinition moves what is built on it.
TEST_F(Features, RegenerationFollowsARedefinedDatumPlane) {
  VynFeature plane = made(datum_plane(TOP, 4));
  made_sketched(extrude(plane, blind(2)), rect2d(0, 0, 10, 5));
  expect_solid(100, 6, {{0, 4, -5}, {10, 6, 0}}, "on the plane at 4");
  VynElement tree = build(datum_plane(TOP, 6));
  VynErrors errors{};
  ASSERT_EQ(feature_redefine(1, nullptr, &plane, tree, nullptr, 0, &errors), ok);
  EXPECT_EQ(release(tree), ok);
  expect_solid(100, 6, {{0, 6, -5}, {10, 8, 0}}, "on the plane at 6");
}

// Creations, redefinitions and deletions rebuild from the changed feature on; a full
// regeneration afterwards finds the same part.
TEST_F(Features, PartialRebuildsMatchAFullOne) {
  block();
  VynFeature plane = made(datum_plane(TOP, 10));
  made_sketched(extrude(plane, blind(2)), rect2d(2, -4, 4, -2));
  VynFeature cut = made_sketched(extrude(FRONT, through_all(), true), rect2d(6, 6, 8, 8));
  VynElement tree = build(datum_plane(TOP, 9));
  VynErrors errors{};
  ASSERT_EQ(feature_redefine(1, nullptr, &plane, tree, nullptr, 0, &errors), ok);
  EXPECT_EQ(release(tree), ok);
  int ids[] = {cut.id};
  ASSERT_EQ(feature_delete(1, part, ids, 1, nullptr, 0), ok);
  // The boss now stands half in the block, on the plane at 9: its upper half is added.
  expect_solid(1004, 11, {{0, 0, 0}, {10, 11, 10}}, "partial");
  const std::vector<yrlhost::StoredDatum> datums = stored().datums;
  ASSERT_EQ(regenerate(1, part, 0), ok);
  expect_solid(1004, 11, {{0, 0, 0}, {10, 11, 10}}, "full");
  ASSERT_EQ(stored().datums.size(), datums.size());
  for (std::size_t i = 0; i < datums.size(); ++i) {
    EXPECT_EQ(stored().datums[i].id, datums[i].id);
    EXPECT_EQ(stored().datums[i].plane.origin, datums[i].plane.origin);
  }
}

// A copied part has features of its own: trees naming its own items, its own sections.
TEST_F(Features, CopiedPartRebuildsOnItsOwn) {
  block();
  VynFeature plane = made(datum_plane(TOP, 10));
  made_sketched(extrude(plane, blind(2)), rect2d(2, -4, 4, -2));
  VynMdl copy = nullptr;
  ASSERT_EQ(model_copy(1, part, u"COPY", &copy), ok);
  const int options[] = {1};
  int ids[] = {plane.id};
  ASSERT_EQ(feature_delete(1, part, ids, 1, options, 1), ok);
  expect_solid(1000, 6, {{0, 0, 0}, {10, 10, 10}}, "the original without its boss");
  ASSERT_EQ(regenerate(1, copy, 0), ok);
  yrlhost::StoredModel& copied = *yrlhost::stored_model(copy);
  EXPECT_NEAR(yrlhost::geom::solid_summary(copied.solid).volume, 1008, 1e-6);
  ASSERT_EQ(copied.features.size(), 6u);
  VynFeature boss{yrlhost::item_type_feature, copied.features[5].id, copy};
  VynElement tree = nullptr;
  ASSERT_EQ(feature_tree(1, &boss, &tree), ok);
  EXPECT_NE(section_of(tree), nullptr);
  VynValue value = nullptr;
  VynValuedata data = feature_value_at(boss, {{1, 447}, {1, 450}, {1, 451}}, value);
  EXPECT_EQ(data.value.r->item.owner, copy);
  EXPECT_EQ(release(tree), ok);
}

// Edge case: a cancelled feature takes its incomplete feature and its datum plane away,
// and the part is as before; deleting a datum plane with option 1 takes what is built on
// it, without it nothing is deleted.
TEST_F(Features, DeletionAndDependants) {
  block();
  std::vector<int> before_ids;
  for (const auto& f : stored().features) before_ids.push_back(f.id);
  VynFeature plane = made(datum_plane(TOP, 10));
  // A 2 x 2 boss on the top face: TOP's v runs along -z.
  VynFeature boss = made_sketched(extrude(plane, blind(2)), rect2d(2, -4, 4, -2));
  expect_solid(1008, 11, {{0, 0, 0}, {10, 12, 10}}, "with the boss");
  int plane_id[] = {plane.id};
  EXPECT_EQ(feature_delete(1, part, plane_id, 1, nullptr, 0), VYN_TK_GENERAL_ERROR);
  EXPECT_EQ(stored().features.size(), before_ids.size() + 2);
  // The dialog's cancel: the feature, then its datum plane, each with option 1.
  const int options[] = {1};
  int boss_id[] = {boss.id};
  EXPECT_EQ(feature_delete(1, part, boss_id, 1, options, 1), ok);
  EXPECT_EQ(feature_delete(1, part, plane_id, 1, options, 1), ok);
  std::vector<int> after_ids;
  for (const auto& f : stored().features) after_ids.push_back(f.id);
  EXPECT_EQ(after_ids, before_ids);
  expect_solid(1000, 6, {{0, 0, 0}, {10, 10, 10}}, "as before");
  // Option 1 on the plane alone takes the boss with it.
  plane = made(datum_plane(TOP, 10));
  made_sketched(extrude(plane, blind(2)), rect2d(2, -4, 4, -2));
  plane_id[0] = plane.id;
  EXPECT_EQ(feature_delete(1, part, plane_id, 1, options, 1), ok);
  EXPECT_EQ(stored().features.size(), before_ids.size());
  expect_solid(1000, 6, {{0, 0, 0}, {10, 10, 10}}, "dependants gone");
}

// Edge case: trees the builder refuses answer -1 with their faults and add nothing.
TEST_F(Features, BadTreesAreRefused) {
  block();
  auto with = [](Node tree, int at, Node replacement) {
    for (Node& child : tree.children)
      if (child.id == at) child = std::move(replacement);
    return tree;
  };
  auto without = [](Node tree, int id) {
    std::erase_if(tree.children, [id](const Node& n) { return n.id == id; });
    return tree;
  };
  struct Case {
    std::string name;
    Node tree;
    int element;
    int kind;
  };
  const Node good = extrude(TOP, blind(7));
  const Case cases[] = {
      {"root other than 386", N(385, {I(387, 923)}), 386, yrlhost::feature_error_missing},
      {"unknown feature type", N(386, {I(387, 999)}), 387, yrlhost::feature_error_value},
      {"feature type as a double", N(386, {D(387, 923)}), 387, yrlhost::feature_error_value_type},
      {"no type at all", N(386, {}), 387, yrlhost::feature_error_missing},
      {"form 1956 not 917", with(good, 1956, I(1956, 916)), 1956, yrlhost::feature_error_value},
      {"cut value 5", with(good, 2023, I(2023, 5)), 2023, yrlhost::feature_error_value},
      {"no depth", without(good, 515), 515, yrlhost::feature_error_missing},
      {"depth as an int", with(good, 515, N(515, {N(428, {I(430, 4096)}), N(429, {I(433, 262144), I(434, 7)})})),
       434, yrlhost::feature_error_value_type},
      {"negative depth", with(good, 515, blind(-1)), 434, yrlhost::feature_error_value},
      {"unknown depth kind", with(good, 515, N(515, {N(429, {I(433, 3)})})), 433, yrlhost::feature_error_value},
      {"no sketch", without(good, 447), 447, yrlhost::feature_error_missing},
      {"sketch plane an int", with(good, 447, N(447, {N(450, {I(451, 5)})})), 451,
       yrlhost::feature_error_value_type},
      {"sketch plane not a plane", with(good, 447, N(447, {N(450, {S(451, {5, 9999, nullptr})})})), 451,
       yrlhost::feature_error_reference},
      {"datum plane without its reference", N(386, {I(387, 923), N(410, {N(411, {I(412, 3), D(414, 1)})})}),
       413, yrlhost::feature_error_missing},
      {"hole without a diameter", N(386, {I(387, 911), N(1671, {hole_blind(2)})}), 82,
       yrlhost::feature_error_missing},
  };
  const std::size_t features = stored().features.size();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VynFeature feature{};
    VynErrors errors{};
    ASSERT_EQ(create(c.tree, feature, errors, {2}), VYN_TK_GENERAL_ERROR);
    ASSERT_GE(errors.count, 1);
    EXPECT_EQ(errors.rows[0].id, c.element);
    EXPECT_EQ(errors.rows[0].type, c.kind);
    EXPECT_EQ(stored().features.size(), features);
    expect_solid(1000, 6, {{0, 0, 0}, {10, 10, 10}}, c.name);
  }
}

// Handles that name nothing live, null outputs and features of a template's lines answer
// -2 and change nothing.
TEST_F(Features, BadArgumentsAnswerMinusTwo) {
  constexpr VynError bad = VYN_TK_BAD_INPUTS;
  VynFeature plane = made(datum_plane(TOP, 4));
  VynElement tree = build(datum_plane(TOP, 5));
  VynSelection model = yrlhost::selection_make({yrlhost::model_type_part, stored().id, part}, 0, nullptr);
  std::string error;
  VynMdl drawing = yrlhost::host_model_create(yrlhost::model_type_drawing, "D", error);
  VynSelection of_drawing = yrlhost::selection_make({yrlhost::model_type_drawing, 1, drawing}, 0, nullptr);
  VynFeature feature{};
  VynErrors errors{};
  const int options[] = {2};
  EXPECT_EQ(feature_create(1, model, tree, options, 1, nullptr, &errors), bad);
  EXPECT_EQ(feature_create(1, of_drawing, tree, options, 1, &feature, &errors), bad);
  EXPECT_EQ(feature_create(1, model, tree, nullptr, 1, &feature, &errors), bad);
  EXPECT_EQ(feature_create(1, model, nullptr, options, 1, &feature, &errors), bad);
  EXPECT_EQ(feature_redefine(1, nullptr, &TOP, tree, options, 1, &errors), bad);  // a template's
  VynFeature gone{yrlhost::item_type_feature, 999, part};
  EXPECT_EQ(feature_redefine(1, nullptr, &gone, tree, options, 1, &errors), bad);
  int sections = 0;
  EXPECT_EQ(feature_sections(1, &gone, &sections), bad);
  VynElement copy = nullptr;
  EXPECT_EQ(feature_tree(1, &TOP, &copy), bad);
  VynValue value = nullptr;
  EXPECT_EQ(feature_value(1, &plane, nullptr, &value), bad);
  int ids[] = {plane.id, 999};
  EXPECT_EQ(feature_delete(1, part, ids, 2, nullptr, 0), bad);
  EXPECT_EQ(feature_delete(1, part, ids, 0, nullptr, 0), bad);
  EXPECT_EQ(feature_delete(1, drawing, ids, 1, nullptr, 0), bad);
  EXPECT_NE(datum_of(plane), nullptr);
  EXPECT_EQ(stored().features.size(), 4u);
  EXPECT_EQ(release(tree), ok);
  EXPECT_EQ(feature_create(1, model, tree, options, 1, &feature, &errors), bad);  // freed
  yrlhost::selection_release(model);
  yrlhost::selection_release(of_drawing);
}

TEST_F(Features, TreeValuesSectionsAndValidation) {
  VynFeature plane = made(datum_plane(FRONT, 3));
  // The constraint type at {410, #0, 412}, read as the utilities read it.
  VynValue value = nullptr;
  VynValuedata data = feature_value_at(plane, {{1, 410}, {2, 0}, {1, 412}}, value);
  EXPECT_EQ(data.type, VYN_VALUE_TYPE_INT);
  EXPECT_EQ(data.value.i, 3);
  // The host's own value refuses changes.
  EXPECT_EQ(value_data_set(1, value, &data), VYN_TK_BAD_INPUTS);
  int sections = -1;
  EXPECT_EQ(feature_sections(1, &plane, &sections), ok);
  EXPECT_EQ(sections, 0);
  VynElement tree = nullptr;
  EXPECT_EQ(feature_tree(1, &plane, &tree), ok);
  EXPECT_EQ(section_of(tree), nullptr);
  EXPECT_EQ(release(tree), ok);

  // A section copied into an incomplete feature and validated.
  VynFeature feature{};
  VynErrors errors{};
  ASSERT_EQ(create(extrude(FRONT, blind(2)), feature, errors), ok);
  VynSection other = yrlhost::section_new(yrlhost::geom::standard_frame(yrlhost::geom::StandardPlane::front, 0));
  for (const Vyn2dEntity& entity : rect2d(0, 0, 1, 1)) {
    int id = 0;
    ASSERT_EQ(entity_add(1, other, &entity, &id), ok);
  }
  VynSelection selection = yrlhost::selection_make(plane, 0, nullptr);
  EXPECT_EQ(sketch_validate(1, selection, other, 917, 447, &errors), ok);
  EXPECT_EQ(errors.count, 0);
  int id = 0;
  Vyn2dEntity stray = line2d(5, 5, 6, 6);
  ASSERT_EQ(entity_add(1, other, &stray, &id), ok);
  EXPECT_EQ(sketch_validate(1, selection, other, 917, 447, &errors), VYN_TK_GENERAL_ERROR);
  ASSERT_GE(errors.count, 1);  // its ends are open
  for (int i = 0; i < errors.count; ++i) EXPECT_EQ(errors.rows[i].error, id);
  EXPECT_EQ(sketch_add(1, &feature, selection, other), ok);
  EXPECT_EQ(fill_and_redefine(feature, {}, errors), VYN_TK_GENERAL_ERROR);
  yrlhost::section_release(other);
  yrlhost::selection_release(selection);
}

// The scenario report lists a part's features and its solid.
TEST_F(Features, ReportShowsFeaturesAndSolid) {
  VynFeature feature = block();
  VynFeature incomplete{};
  VynErrors errors{};
  ASSERT_EQ(create(extrude(TOP, blind(1)), incomplete, errors), ok);
  ASSERT_EQ(name_set(1, &feature, u"BASE"), ok);
  const std::vector<std::string> expected = {
      "  part BLOCK (INCH), 5 features",
      "    features:",
      "      id type name  status",
      "      1  923  RIGHT active",
      "      3  923  TOP   active",
      "      5  923  FRONT active",
      "      7  917  BASE  active",
      "      8  917  -     incomplete",
      "    solid: volume 1000, solids 1, faces 6, box (0, 0, 0) - (10, 10, 10)",
  };
  EXPECT_EQ(yrlhost::host_models_report(), expected);
}

}  // namespace
}  // namespace yrltest
