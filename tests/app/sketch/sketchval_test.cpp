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
