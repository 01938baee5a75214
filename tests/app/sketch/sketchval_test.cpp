// Validation of fixture profiles as geometry: verdicts, counts and end statuses.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/sketch/sketchval.h"
#include "tests/app/sketch/profile_fixture.h"

namespace yrltest {
namespace {

struct Expect {
  int valid;
  int open_ends;
  int intersecting;
  int overlapping;
  int loops;
};

struct Case {
  std::string name;
  std::vector<Shape> shapes;
  Expect expect;
};

// Each profile validated as an extrude (no axis, not a cut).
TEST(SketchValidation, FixtureProfiles) {
  const Case cases[] = {
      {"rectangle", rectangle(0, 0, 10, 5), {1, 0, 0, 0, 0}},
      {"circle of type 10", {circle10(0, 0, 5)}, {1, 0, 0, 0, 1}},
      {"arc with angles 0 and 2 pi", {arc(0, 0, 5, 0, 360)}, {1, 0, 0, 0, 1}},
      // Fault: absolute angles 90 + 270 = 360 made this semicircle a full circle.
      {"semicircle from 90 to 270 is open", {arc(0, 0, 5, 90, 180)}, {0, 2, 0, 0, 1}},
      {"semicircle closed by its diameter", {arc(0, 0, 5, 90, 180), line(0, -5, 0, 5)}, {1, 0, 0, 0, 0}},
      {"two lines crossing in their middles", {line(0, 0, 10, 10), line(0, 10, 10, 0)}, {0, 4, 2, 0, 2}},
      {"open polyline", {line(0, 0, 10, 0), line(10, 0, 10, 5)}, {0, 2, 0, 0, 1}},
      // A later line with an end inside an earlier collinear one.
      {"collinear overlap", {line(0, 0, 10, 0), line(5, 0, 15, 0)}, {0, 4, 0, 4, 2}},
      // Fault: only the later line's ends were measured along the earlier one.
      {"short line inside a longer later one", {line(2, 0, 4, 0), line(0, 0, 10, 0)}, {0, 4, 0, 4, 2}},
      {"collinear lines touching end to end", {line(0, 0, 5, 0), line(5, 0, 10, 0)}, {0, 2, 0, 0, 1}},
      // Fault: only line/line crossings were found.
      {"a line crossing an arc",
       {arc(0, 0, 5, 0, 180), line(-5, 0, 5, 0), line(0, -2, 0, 8)},
       {0, 2, 4, 0, 1}},
      {"two crossing arcs", {arc(0, 0, 5, 0, 180), arc(4, 0, 5, 0, 180), line(-5, 0, 9, 0)}, {0, 2, 4, 0, 1}},
      {"a line crossing a circle", {circle10(0, 0, 5), line(-10, 0, 10, 0)}, {0, 2, 4, 0, 2}},
      // Fault: concentric circles overlapped whatever their radii.
      {"washer", {circle10(0, 0, 5), circle10(0, 0, 2)}, {1, 0, 0, 0, 2}},
      {"washer of full arcs", {arc(0, 0, 5, 0, 360), arc(0, 0, 2, 30, 360)}, {1, 0, 0, 0, 2}},
      {"concentric arcs of one radius overlapping", {arc(0, 0, 5, 0, 90), arc(0, 0, 5, 45, 90)}, {0, 4, 0, 4, 2}},
      // Fault: the overlap test ran one way only.
      {"short arc inside a longer one", {arc(0, 0, 5, 30, 20), arc(0, 0, 5, 0, 90)}, {0, 4, 0, 4, 2}},
      {"arcs of one circle meeting end to end", {arc(0, 0, 5, 0, 180), arc(0, 0, 5, 180, 180)}, {1, 0, 0, 0, 0}},
      // Fault: type-10 circles kept no centre, so any two were concentric overlaps.
      {"two circles apart", {circle10(0, 0, 2), circle10(10, 0, 2)}, {1, 0, 0, 0, 2}},
      // Fault: a zero-length line divided by zero.
      {"zero-length line", {line(0, 0, 10, 0), line(10, 0, 10, 0)}, {0, 4, 0, 0, 2}},
      {"empty profile", {}, {0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Profile p(c.shapes);
    YrlSketchValidate(&p.info, 0, nullptr, 0);
    EXPECT_EQ(p.info.valid, c.expect.valid);
    EXPECT_EQ(p.info.open_ends, c.expect.open_ends);
    EXPECT_EQ(p.info.intersecting_ends, c.expect.intersecting);
    EXPECT_EQ(p.info.overlapping_ends, c.expect.overlapping);
    EXPECT_EQ(p.info.loop_count, c.expect.loops);
    EXPECT_EQ(p.info.rule1, 1);
  }
}

// End statuses of single profiles, entity by entity.
TEST(SketchValidation, EndStatuses) {
  struct StatusCase {
    std::string name;
    std::vector<Shape> shapes;
    std::vector<std::pair<int, int>> statuses;  // start, end of each entity
  };
  const StatusCase cases[] = {
      {"rectangle", rectangle(0, 0, 10, 5), {{4, 4}, {4, 4}, {4, 4}, {4, 4}}},
      // The crossing at 0.5 counts for the end half.
      {"crossing in the middles", {line(0, 0, 10, 10), line(0, 10, 10, 0)}, {{2, 10}, {2, 10}}},
      {"crossing near the starts", {line(0, 0, 10, 0), line(2, -1, 2, 9)}, {{10, 2}, {10, 2}}},
      // A T-junction: the stem's end touches the bar's middle.
      {"T-junction", {line(0, 0, 10, 0), line(5, 5, 5, 0)}, {{2, 10}, {2, 10}}},
      // Fault: the arc end test replaced the bits it must add to.
      {"arc end test keeps the crossing bit",
       {line(0, 0, 10, 0), line(5, -2, 5, 4), arc(10, 3, 3, 270, 180)},
       {{2, 12}, {10, 2}, {4, 2}}},
      {"degenerate line", {line(3, 3, 3, 3)}, {{2, 2}}},
  };
  for (const StatusCase& c : cases) {
    SCOPED_TRACE(c.name);
    Profile p(c.shapes);
    YrlSketchValidate(&p.info, 0, nullptr, 0);
    ASSERT_EQ(c.statuses.size(), p.entities.size());
    for (size_t i = 0; i < c.statuses.size(); ++i) {
      EXPECT_EQ(p.entities[i].start_status, c.statuses[i].first) << "entity " << i;
      EXPECT_EQ(p.entities[i].end_status, c.statuses[i].second) << "entity " << i;
    }
  }
}

TEST(SketchValidation, CutClosesOpenEnds) {
  Profile p({line(0, 0, 10, 0), line(10, 0, 10, 5)});
  YrlSketchValidate(&p.info, 0, nullptr, 1);
  EXPECT_EQ(p.info.open_ends, 0);
  EXPECT_EQ(p.info.valid, 1);
}

TEST(SketchValidation, RevolveSides) {
  YrlSketchEntity axis{};
  const double a0[2] = {0, -10}, a1[2] = {0, 10};
  YrlSketchEntityLineSet(&axis, a0, a1);
  struct RevCase {
    std::string name;
    std::vector<Shape> shapes;
    int sides;
    int valid;
  };
  const RevCase cases[] = {
      {"profile on one side", rectangle(2, 0, 5, 4), 1, 1},
      {"profile across the axis", rectangle(-2, 0, 5, 4), 0, 0},
      // Ends within 0.01 of the axis count on neither side.
      {"profile touching the axis", rectangle(0.005, 0, 5, 4), 1, 1},
  };
  for (const RevCase& c : cases) {
    SCOPED_TRACE(c.name);
    Profile p(c.shapes);
    YrlSketchValidate(&p.info, 1, &axis, 0);
    EXPECT_EQ(p.info.revolve_sides, c.sides);
    EXPECT_EQ(p.info.valid, c.valid);
  }
  // A revolve without an axis fails its sides verdict.
  Profile p(rectangle(2, 0, 5, 4));
  YrlSketchValidate(&p.info, 1, nullptr, 0);
  EXPECT_EQ(p.info.revolve_sides, 0);
  EXPECT_EQ(p.info.valid, 0);
}

// Fault: ends were judged to meet when their crossing lay within 0.01 of an end in
// parameter, so a gap of 0.25 at the end of a 30-long line counted as closed while the
// host's section found an open end there. Ends meet when they lie within the end
// tolerance in drawing units, whatever the entities' lengths.
TEST(SketchValidation, EndsMeetByDistanceInDrawingUnits) {
  struct GapCase {
    std::string name;
    double gap;
    int valid;
    int open_ends;
  } cases[] = {
      {"a gap of 0.25 on a 30-long line", 0.25, 0, 2},
      {"a gap of 0.001", 0.001, 0, 2},
      {"a gap within the tolerance", YRL_SKETCH_END_TOL / 2, 1, 0},
      {"no gap", 0, 1, 0},
  };
  for (const GapCase& c : cases) {
    SCOPED_TRACE(c.name);
    Profile p({line(0, 0, 30, 0), line(30, c.gap, 30, 30), line(30, 30, 0, 30), line(0, 30, 0, 0)});
    YrlSketchValidate(&p.info, 0, nullptr, 0);
    EXPECT_EQ(p.info.valid, c.valid);
    EXPECT_EQ(p.info.open_ends, c.open_ends);
    EXPECT_EQ(p.info.intersecting_ends, 0);
  }
  // The same rule for an arc meeting a line, and for collinear lines end to end.
  Profile arc_gap({arc(0, 0, 30, 0, 90), line(0, 30.25, 0, 0), line(0, 0, 30, 0)});
  YrlSketchValidate(&arc_gap.info, 0, nullptr, 0);
  EXPECT_EQ(arc_gap.info.open_ends, 2);
  Profile collinear({line(0, 0, 30, 0), line(30.005, 0, 60, 0)});
  YrlSketchValidate(&collinear.info, 0, nullptr, 0);
  EXPECT_EQ(collinear.info.open_ends, 4);
}

// Fault: a line ending on a full circle got "closed" where the circle's seam (parameter
// 0) lies and "intersects" anywhere else. A full circle has no ends: the same status
// wherever its seam is.
TEST(SketchValidation, TouchingACircleDoesNotDependOnItsSeam) {
  const double s = 5 / std::sqrt(2.0);
  const std::vector<std::pair<double, double>> touch = {{5, 0}, {0, 5}, {-5, 0}, {s, s}};
  for (const Shape& circle : {circle10(0, 0, 5), arc(0, 0, 5, 0, 360), arc(0, 0, 5, 90, 360)}) {
    std::vector<int> line_end, circle_start;
    for (auto [x, y] : touch) {
      Profile p({circle, line(x * 3, y * 3, x, y)});
      YrlSketchValidate(&p.info, 0, nullptr, 0);
      line_end.push_back(p.entities[1].end_status);
      circle_start.push_back(p.entities[0].start_status | p.entities[0].end_status);
    }
    for (size_t k = 0; k < touch.size(); ++k) {
      SCOPED_TRACE(k);
      EXPECT_EQ(line_end[k], YRL_SKETCH_END_INTERSECTS | YRL_SKETCH_END_OPEN);
      EXPECT_EQ(circle_start[k], circle_start[0]);
    }
  }
  // A full circle keeps no end points (they stay at the sheet's origin): a circle through
  // the origin, touched there by a line's end, is touched as anywhere else.
  for (const Shape& circle : {circle10(5, 0, 5), arc(5, 0, 5, 0, 360)}) {
    Profile p({circle, line(0, -15, 0, 0)});
    YrlSketchValidate(&p.info, 0, nullptr, 0);
    EXPECT_EQ(p.entities[1].end_status, YRL_SKETCH_END_INTERSECTS | YRL_SKETCH_END_OPEN);
  }
}

// Fault: the crossing of two lines lying on neither line was dropped, so an L-corner
// with a gap had no meeting for Extend to reach. It is kept on both lines' sides,
// without a status of its own.
TEST(SketchValidation, CrossingOfTheLinesExtensionsIsKept) {
  Profile p({line(0, 0, 10, 0), line(12, 2, 12, 10)});
  YrlSketchValidate(&p.info, 0, nullptr, 0);
  ASSERT_EQ(p.entities[0].end_side.count, 1);
  ASSERT_EQ(p.entities[1].start_side.count, 1);
  EXPECT_NEAR(p.entities[0].end_side.items[0].point[0], 12, 1e-12);
  EXPECT_NEAR(p.entities[0].end_side.items[0].point[1], 0, 1e-12);
  EXPECT_EQ(p.entities[0].end_status, YRL_SKETCH_END_OPEN);
  EXPECT_EQ(p.entities[1].start_status, YRL_SKETCH_END_OPEN);
  EXPECT_EQ(p.info.unclosed_with_points, 2);
}

// Decision: an open chain whose walk begins in its middle counts once (the walk from
// its first entity's start ends at one open end, the walk from its end at the other),
// and all its entities carry one loop number, whatever the pick order.
TEST(SketchValidation, OpenChainPickedFromItsMiddleIsOneLoop) {
  const Shape a = line(0, 0, 10, 0), b = line(10, 0, 10, 5), c = line(10, 5, 0, 5);
  const std::vector<std::vector<Shape>> orders = {{a, b, c}, {b, a, c}, {b, c, a}, {c, b, a}};
  for (const std::vector<Shape>& order : orders) {
    Profile p(order);
    YrlSketchValidate(&p.info, 0, nullptr, 0);
    EXPECT_EQ(p.info.loop_count, 1);
    EXPECT_EQ(p.entities[0].loop, p.entities[1].loop);
    EXPECT_EQ(p.entities[1].loop, p.entities[2].loop);
  }
  // Two open chains stay two, each with its own number.
  Profile two({b, a, line(20, 0, 30, 0), line(30, 0, 30, 5), line(30, 5, 25, 8)});
  YrlSketchValidate(&two.info, 0, nullptr, 0);
  EXPECT_EQ(two.info.loop_count, 2);
  EXPECT_EQ(two.entities[0].loop, two.entities[1].loop);
  EXPECT_NE(two.entities[1].loop, two.entities[2].loop);
  EXPECT_EQ(two.entities[2].loop, two.entities[4].loop);
}

// A validation run twice gives the same result (the meeting arrays are rebuilt).
TEST(SketchValidation, RepeatedRunIsStable) {
  Profile p(rectangle(0, 0, 10, 5));
  YrlSketchValidate(&p.info, 0, nullptr, 0);
  int points = p.entities[0].start_side.count;
  YrlSketchValidate(&p.info, 0, nullptr, 0);
  EXPECT_EQ(p.entities[0].start_side.count, points);
  EXPECT_EQ(p.info.valid, 1);
}

}  // namespace
}  // namespace yrltest
