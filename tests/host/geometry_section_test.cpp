// The geometry module's 2-D half: sketch frames and datum records, the faults of a
// section and the loops and regions of its profile.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "host/geometry/geometry.h"
#include "tests/host/geometry_test.h"

namespace yrltest {
namespace {

namespace geom = yrlhost::geom;
using geom::Frame;
using geom::SectionFault;
using geom::Status;

// ---- Frames ------------------------------------------------------------------------------

// The default planes carry a sketch point as the views map their drawings: TOP (u, d,
// -v), FRONT (u, v, d), RIGHT (d, v, -u), each with the plane's normal as the third row.
TEST(GeometryFrames, DefaultPlanesMapSketchPointsAsTheViewsDo) {
  struct Case {
    geom::StandardPlane plane;
    Vec3 point;   // of sketch point (2, 3) at offset 5
    Vec3 normal;
  };
  const Case cases[] = {
      {geom::StandardPlane::top, {2, 5, -3}, {0, 1, 0}},
      {geom::StandardPlane::front, {2, 3, 5}, {0, 0, 1}},
      {geom::StandardPlane::right, {5, 3, -2}, {1, 0, 0}},
  };
  for (const Case& c : cases) {
    Frame frame = geom::standard_frame(c.plane, 5);
    EXPECT_TRUE(geom::frame_valid(frame));
    expect_near3(geom::frame_point(frame, {2, 3}), c.point, 1e-12);
    expect_near3(geom::frame_plane(frame).normal, c.normal, 1e-12);
    geom::Vec2 back = geom::frame_uv(frame, c.point);
    EXPECT_DOUBLE_EQ(back[0], 2);
    EXPECT_DOUBLE_EQ(back[1], 3);
  }
}

TEST(GeometryFrames, OnlyOrthonormalRightHandedFramesAreValid) {
  Frame good = geom::standard_frame(geom::StandardPlane::front, 0);
  Frame stretched = good, left_handed = good, skewed = good, not_finite = good;
  stretched.m[0][0] = 2;
  left_handed.m[2][2] = -1;
  skewed.m[1][0] = 0.1;
  not_finite.m[3][1] = NAN;
  EXPECT_TRUE(geom::frame_valid(good));
  EXPECT_FALSE(geom::frame_valid(stretched));
  EXPECT_FALSE(geom::frame_valid(left_handed));
  EXPECT_FALSE(geom::frame_valid(skewed));
  EXPECT_FALSE(geom::frame_valid(not_finite));
}

TEST(GeometryFrames, OffsetAndTurnedFramesStayValid) {
  Frame front = geom::standard_frame(geom::StandardPlane::front, 0);
  expect_near3(geom::frame_plane(geom::frame_offset(front, 4)).origin, {0, 0, 4}, 1e-12);
  // A quarter turn about +y takes the front plane's normal +z to +x and its u, +x, to -z.
  Frame turned = geom::frame_rotated(front, {{0, 0, 0}, {0, 1, 0}}, 90);
  EXPECT_TRUE(geom::frame_valid(turned));
  expect_near3(geom::frame_plane(turned).normal, {1, 0, 0}, 1e-12);
  expect_near3(geom::frame_point(turned, {1, 0}), {0, 0, -1}, 1e-12);
  // The axis need not pass through the origin.
  Frame about = geom::frame_rotated(front, {{1, 0, 0}, {0, 1, 0}}, 180);
  expect_near3(geom::frame_point(about, {0, 0}), {2, 0, 0}, 1e-12);
}

// A frame on a datum plane: its origin and normal are the plane's and u follows the hint.
TEST(GeometryFrames, AFrameOnAPlaneFollowsTheHint) {
  Frame frame;
  ASSERT_EQ(geom::plane_frame({{1, 2, 3}, {0, 0, 2}}, {1, 1, 5}, frame), Status::ok);
  EXPECT_TRUE(geom::frame_valid(frame));
  double r = std::sqrt(0.5);
  expect_near3({frame.m[0][0], frame.m[0][1], frame.m[0][2]}, {r, r, 0}, 1e-12);
  expect_near3(geom::frame_plane(frame).normal, {0, 0, 1}, 1e-12);
  expect_near3(geom::frame_plane(frame).origin, {1, 2, 3}, 1e-12);
  EXPECT_EQ(geom::plane_frame({{0, 0, 0}, {0, 0, 1}}, {0, 0, 3}, frame), Status::bad_input);
  EXPECT_EQ(geom::plane_frame({{0, 0, 0}, {0, 0, 0}}, {1, 0, 0}, frame), Status::bad_input);
  EXPECT_EQ(geom::plane_frame({{0, 0, 0}, {0, 0, 1}}, {NAN, 0, 0}, frame), Status::bad_input);
}

// A datum plane offset 10 from FRONT lies at z = 10; flipped (offset the other way) at
// z = -10.
TEST(GeometryFrames, OffsetPlanesAndDistances) {
  geom::Plane front = geom::frame_plane(geom::standard_frame(geom::StandardPlane::front, 0));
  geom::Plane ahead = geom::plane_offset(front, 10), behind = geom::plane_offset(front, -10);
  expect_near3(ahead.origin, {0, 0, 10}, 1e-12);
  expect_near3(behind.origin, {0, 0, -10}, 1e-12);
  EXPECT_DOUBLE_EQ(geom::plane_distance(ahead, {3, 4, 12}), 2);
  EXPECT_DOUBLE_EQ(geom::plane_distance(behind, {3, 4, 12}), 22);
}

// A plane seen edge-on from a sketch is a line of the section; a parallel one is none.
TEST(GeometryFrames, PlanesSeenEdgeOnTraceLines) {
  Frame top = geom::standard_frame(geom::StandardPlane::top, 0);
  geom::Vec2 point, direction;
  // FRONT offset 4 (z = 4) is v = -4 in the TOP sketch, along u.
  ASSERT_TRUE(geom::plane_trace(top, {{0, 0, 4}, {0, 0, 1}}, point, direction));
  EXPECT_NEAR(point[1], -4, 1e-12);
  EXPECT_NEAR(std::fabs(direction[0]), 1, 1e-12);
  EXPECT_NEAR(direction[1], 0, 1e-12);
  // RIGHT at x = 3 is u = 3 along v.
  ASSERT_TRUE(geom::plane_trace(top, {{3, 7, 0}, {-2, 0, 0}}, point, direction));
  EXPECT_NEAR(point[0], 3, 1e-12);
  EXPECT_NEAR(direction[0], 0, 1e-12);
  // A slanted plane x = z through the origin: u = -v.
  ASSERT_TRUE(geom::plane_trace(top, {{0, 0, 0}, {1, 0, -1}}, point, direction));
  EXPECT_NEAR(point[0] + point[1], 0, 1e-12);
  EXPECT_NEAR(direction[0] + direction[1], 0, 1e-12);
  EXPECT_FALSE(geom::plane_trace(top, {{0, 9, 0}, {0, 1, 0}}, point, direction));
}

TEST(GeometryFrames, SketchAxisRunsAlongTheSketchLine) {
  Frame right = geom::standard_frame(geom::StandardPlane::right, 2);
  geom::Axis axis = geom::sketch_axis(right, {1, 1}, {1, 5});
  expect_near3(axis.origin, {2, 1, -1}, 1e-12);
  expect_near3(axis.direction, {0, 1, 0}, 1e-12);
}

// ---- Section faults ----------------------------------------------------------------------

struct FaultCase {
  std::string name;
  std::vector<SectionEntity> entities;
  std::vector<std::pair<int, SectionFault>> faults;  // (entity id, fault), in order
};

std::vector<FaultCase> fault_cases() {
  const double d = 0.5 * tol;  // a gap the tolerance closes
  return {
      {"closed rectangle", rectangle(0, 0, 10, 5), {}},
      {"corner within the tolerance",
       {line(1, {0, 0}, {10, 0}), line(2, {10, d}, {10, 5}), line(3, {10, 5}, {0, 5}),
        line(4, {0, 5}, {0, 0})},
       {}},
      {"slot of tangent lines and arcs",
       {line(1, {0, 0}, {10, 0}), arc(2, {10, 1}, 1, -pi / 2, pi / 2), line(3, {10, 2}, {0, 2}),
        arc(4, {0, 1}, 1, pi / 2, 3 * pi / 2)},
       {}},
      {"lone circle", {circle(7, {0, 0}, 2)}, {}},
      {"two arcs make a circle", {arc(1, {0, 0}, 2, 0, pi), arc(2, {0, 0}, 2, pi, 2 * pi)}, {}},
      {"construction crossing the profile is no fault",
       joined(rectangle(0, 0, 10, 5),
              {line(9, {-5, 2}, {15, 2}, EntityKind::centerline),
               line(10, {3, 3}, {3, 3}, EntityKind::point)}),
       {}},
      {"open end",
       {line(1, {0, 0}, {10, 0}), line(2, {10, 0}, {10, 5}), line(3, {10, 5}, {0, 5})},
       {{1, SectionFault::open_end}, {3, SectionFault::open_end}}},
      {"gap twice the tolerance",
       {line(1, {0, 0}, {10, 0}), line(2, {10, 4 * d}, {10, 5}), line(3, {10, 5}, {0, 5}),
        line(4, {0, 5}, {0, 0})},
       {{1, SectionFault::open_end}, {2, SectionFault::open_end}}},
      {"bow tie",
       {line(1, {0, 0}, {10, 5}), line(2, {10, 5}, {10, 0}), line(3, {10, 0}, {0, 5}),
        line(4, {0, 5}, {0, 0})},
       {{1, SectionFault::crossing}, {3, SectionFault::crossing}}},
      {"circle through a rectangle side",
       joined(rectangle(0, 0, 10, 5), {circle(5, {10, 2}, 1)}),
       {{2, SectionFault::crossing}, {2, SectionFault::crossing}, {5, SectionFault::crossing},
        {5, SectionFault::crossing}}},
      {"circle touching a side", joined(rectangle(0, 0, 10, 5), {circle(5, {5, 1}, 1)}),
       {{1, SectionFault::crossing}, {5, SectionFault::crossing}}},
      {"overlapping sides",
       joined(rectangle(0, 0, 10, 5), {line(5, {2, 0}, {6, 0}), line(6, {6, 0}, {2, 0})}),
       {{1, SectionFault::crossing},
        {5, SectionFault::crossing},
        {6, SectionFault::crossing}}},
      {"the same circle twice", {circle(1, {0, 0}, 2), circle(2, {0, 0}, 2)},
       {{1, SectionFault::crossing}, {2, SectionFault::crossing}}},
      {"arcs sharing a stretch", {arc(1, {0, 0}, 2, 0, pi), arc(2, {0, 0}, 2, pi / 2, 2 * pi)},
       {{1, SectionFault::crossing}, {1, SectionFault::open_end}, {2, SectionFault::crossing},
        {2, SectionFault::open_end}}},
      {"line ending on another's middle",
       joined(rectangle(0, 0, 10, 5), {line(5, {5, 0}, {5, 3})}),
       {{1, SectionFault::crossing},
        {5, SectionFault::crossing},
        {5, SectionFault::open_end},
        {5, SectionFault::open_end}}},
      {"three ends at a corner",
       joined(rectangle(0, 0, 10, 5), {line(5, {10, 5}, {20, 5})}),
       {{2, SectionFault::branch},
        {3, SectionFault::branch},
        {5, SectionFault::branch},
        {5, SectionFault::open_end}}},
      {"zero-length line and zero radius",
       joined(rectangle(0, 0, 10, 5), {line(5, {20, 0}, {20, 0}), circle(6, {30, 0}, 0)}),
       {{5, SectionFault::degenerate}, {6, SectionFault::degenerate}}},
      {"not a number", {circle(1, {NAN, 0}, 1), line(2, {0, INFINITY}, {1, 1})},
       {{1, SectionFault::degenerate}, {2, SectionFault::degenerate}}},
      {"arc of a full turn", {arc(1, {0, 0}, 1, 0, 2 * pi)}, {{1, SectionFault::degenerate}}},
  };
}

TEST(GeometrySection, FaultsNameTheirEntities) {
  for (const FaultCase& c : fault_cases()) {
    std::vector<geom::SectionProblem> problems = geom::section_check(c.entities, tol);
    std::vector<std::pair<int, SectionFault>> got;
    for (const auto& p : problems) got.push_back({p.entity, p.fault});
    EXPECT_EQ(got, c.faults) << c.name;
  }
}

// The problems say where: a crossing at the crossing point, an open end at the end.
TEST(GeometrySection, ProblemsSayWhere) {
  auto problems = geom::section_check(
      {line(1, {0, 0}, {10, 5}), line(2, {10, 5}, {10, 0}), line(3, {10, 0}, {0, 5}),
       line(4, {0, 5}, {0, 0})},
      tol);
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_NEAR(problems[0].where[0], 5, 1e-9);
  EXPECT_NEAR(problems[0].where[1], 2.5, 1e-9);
  problems = geom::section_check({line(1, {0, 0}, {4, 0}), line(2, {4, 0}, {4, 3})}, tol);
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[1].entity, 2);
  EXPECT_NEAR(problems[1].where[1], 3, 1e-12);
  EXPECT_STREQ(geom::section_fault_text(problems[1].fault), "open end");
}

// ---- Profiles ----------------------------------------------------------------------------

struct ProfileCase {
  std::string name;
  std::vector<SectionEntity> entities;
  double area;
  int regions;
  int loops;
};

TEST(GeometryProfile, LoopsNestIntoRegions) {
  const ProfileCase cases[] = {
      {"rectangle", rectangle(0, 0, 10, 5), 50, 1, 1},
      {"rectangle drawn clockwise",
       {line(1, {0, 0}, {0, 5}), line(2, {10, 5}, {0, 5}), line(3, {10, 5}, {10, 0}),
        line(4, {0, 0}, {10, 0})},
       50, 1, 1},
      {"slot",
       {line(1, {0, 0}, {10, 0}), arc(2, {10, 1}, 1, -pi / 2, pi / 2), line(3, {10, 2}, {0, 2}),
        arc(4, {0, 1}, 1, pi / 2, 3 * pi / 2)},
       20 + pi, 1, 1},
      {"slot with arcs drawn clockwise",
       {line(1, {0, 0}, {10, 0}), arc(2, {10, 1}, 1, pi / 2, -pi / 2), line(3, {10, 2}, {0, 2}),
        arc(4, {0, 1}, 1, 3 * pi / 2, pi / 2)},
       20 + pi, 1, 1},
      {"half disc", {arc(1, {0, 0}, 2, 0, pi), line(2, {-2, 0}, {2, 0})}, 2 * pi, 1, 1},
      {"plate with a hole", joined(rectangle(0, 0, 10, 5), {circle(5, {5, 2.5}, 1)}), 50 - pi, 1,
       2},
      {"two plates", joined(rectangle(0, 0, 10, 5), rectangle(20, 0, 30, 5, 5)), 100, 2, 2},
      {"island in a hole",
       joined(joined(rectangle(0, 0, 10, 10), {circle(5, {5, 5}, 4)}), rectangle(4, 4, 6, 6, 6)),
       100 - 16 * pi + 4, 2, 3},
  };
  for (const ProfileCase& c : cases) {
    geom::Profile profile;
    ASSERT_EQ(geom::profile_make(geom::standard_frame(geom::StandardPlane::front, 0), c.entities,
                                 tol, profile, nullptr),
              Status::ok)
        << c.name;
    EXPECT_NEAR(geom::profile_area(profile), c.area, 1e-9) << c.name;
    EXPECT_EQ(geom::profile_regions(profile), c.regions) << c.name;
    EXPECT_EQ(geom::profile_loops(profile), c.loops) << c.name;
  }
}

TEST(GeometryProfile, BadSectionsGiveAStatusAndTheirProblems) {
  const Frame front = geom::standard_frame(geom::StandardPlane::front, 0);
  Frame skewed = front;
  skewed.m[0][1] = 0.5;
  const double side = 3 * tol;  // a triangle too small to enclose anything
  struct Case {
    std::string name;
    Frame frame;
    std::vector<SectionEntity> entities;
    double tolerance;
    Status status;
    int problems;
  };
  const Case cases[] = {
      {"open loop", front, {line(1, {0, 0}, {10, 0}), line(2, {10, 0}, {10, 5})}, tol,
       Status::open_loop, 2},
      {"crossing entities", front,
       {line(1, {0, 0}, {10, 5}), line(2, {10, 5}, {10, 0}), line(3, {10, 0}, {0, 5}),
        line(4, {0, 5}, {0, 0})},
       tol, Status::crossing_entities, 2},
      {"branch beats open end", front, joined(rectangle(0, 0, 10, 5), {line(5, {10, 5}, {20, 5})}),
       tol, Status::branching_entities, 4},
      {"degenerate beats the rest", front,
       {line(1, {0, 0}, {0, 0}), line(2, {0, 0}, {10, 5}), line(3, {0, 5}, {10, 0})}, tol,
       Status::degenerate_entity, 7},
      {"degenerate face", front,
       {line(1, {0, 0}, {side, 0}), line(2, {side, 0}, {side / 2, side * 0.866}),
        line(3, {side / 2, side * 0.866}, {0, 0})},
       tol, Status::degenerate_face, 0},
      {"construction only", front, {line(1, {0, 0}, {0, 5}, EntityKind::centerline)}, tol,
       Status::empty_section, 0},
      {"nothing", front, {}, tol, Status::empty_section, 0},
      {"skewed frame", skewed, rectangle(0, 0, 1, 1), tol, Status::bad_input, 0},
      {"no tolerance", front, rectangle(0, 0, 1, 1), 0, Status::bad_input, 0},
      {"tolerance not a number", front, rectangle(0, 0, 1, 1), NAN, Status::bad_input, 0},
  };
  for (const Case& c : cases) {
    geom::Profile profile;
    std::vector<geom::SectionProblem> problems{{99, SectionFault::branch, {0, 0}}};
    EXPECT_EQ(geom::profile_make(c.frame, c.entities, c.tolerance, profile, &problems), c.status)
        << c.name;
    EXPECT_EQ(static_cast<int>(problems.size()), c.problems) << c.name;
    EXPECT_EQ(profile.data, nullptr) << c.name;
  }
}

TEST(GeometryStatus, EveryStatusHasAText) {
  for (int s = 0; s <= static_cast<int>(Status::adds_nothing); ++s)
    EXPECT_STRNE(geom::status_text(static_cast<Status>(s)), "unknown status") << s;
  EXPECT_STREQ(geom::status_text(Status::open_loop), "open loop");
}

}  // namespace
}  // namespace yrltest
