// The geometry module's solids: prisms, revolutions and holes added to and taken from a
// part, checked by volume, face count and bounding box worked out here; the queries on
// faces and edges; .brep files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "host/geometry/geometry.h"
#include "tests/host/geometry_test.h"

namespace yrltest {
namespace {

namespace geom = yrlhost::geom;
using geom::Box;
using geom::Combine;
using geom::Depth;
using geom::DepthKind;
using geom::Extent;
using geom::FaceOrigin;
using geom::FaceRole;
using geom::Frame;
using geom::Shape;
using geom::StandardPlane;
using geom::Status;
using geom::SurfaceKind;

Depth blind(double distance) { return {DepthKind::blind, distance, {}}; }
Depth through_all() { return {DepthKind::through_all, 0, {}}; }
Depth up_to(Vec3 origin, Vec3 normal) { return {DepthKind::up_to_plane, 0, {origin, normal}}; }

geom::Profile profile_of(const Frame& frame, const std::vector<SectionEntity>& entities) {
  geom::Profile profile;
  Status status = geom::profile_make(frame, entities, tol, profile, nullptr);
  EXPECT_EQ(status, Status::ok) << geom::status_text(status);
  return profile;
}

Shape extruded(const Frame& frame, const std::vector<SectionEntity>& entities,
               const Extent& extent, int feature = 1, const Shape& part = {}) {
  Shape shape;
  Status status = geom::prism(profile_of(frame, entities), extent, part, feature, shape);
  EXPECT_EQ(status, Status::ok) << geom::status_text(status);
  return shape;
}

Shape combined(const Shape& part, const Shape& tool, Combine how) {
  Shape shape;
  Status status = geom::combine(part, tool, how, shape);
  EXPECT_EQ(status, Status::ok) << geom::status_text(status);
  return shape;
}

Frame front(double offset = 0) { return geom::standard_frame(StandardPlane::front, offset); }
Frame top(double offset = 0) { return geom::standard_frame(StandardPlane::top, offset); }

// The block x, y, z 0..10, its FRONT sketch's sides ids 1 (y = 0), 2 (x = 10), 3 (y = 10)
// and 4 (x = 0).
Shape block() { return extruded(front(), rectangle(0, 0, 10, 10), {blind(10), {}}); }

void expect_solid(const Shape& shape, double volume, int faces, const Box& box,
                  const std::string& what) {
  geom::SolidSummary summary = geom::solid_summary(shape);
  EXPECT_NEAR(summary.volume, volume, 1e-6 * std::max(1.0, volume)) << what;
  EXPECT_EQ(summary.faces, faces) << what;
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(summary.box.min[i], box.min[i], 1e-6) << what << " min " << i;
    EXPECT_NEAR(summary.box.max[i], box.max[i], 1e-6) << what << " max " << i;
  }
}

// The one face through a point (inside a face, away from its edges).
geom::FaceInfo face_at(const Shape& shape, const Vec3& point) {
  geom::PointHits hits = geom::geometry_at_point(shape, point, tol);
  geom::FaceInfo info;
  EXPECT_EQ(hits.faces.size(), 1u);
  if (hits.faces.size() == 1) {
    EXPECT_EQ(geom::face_info(shape, hits.faces[0], info), Status::ok);
  }
  return info;
}

// ---- Prisms ------------------------------------------------------------------------------

// A 10 x 5 rectangle on TOP extruded 7 fills x 0..10, y 0..7, z -5..0: its caps lie at
// y = 0 (facing down) and y = 7 (facing up), its sides come from the sketch's lines.
TEST(GeometryPrism, TopRectangleExtrudedSeven) {
  Shape shape = extruded(top(), rectangle(0, 0, 10, 5), {blind(7), {}});
  expect_solid(shape, 350, 6, {{0, 0, -5}, {10, 7, 0}}, "block");
  EXPECT_EQ(geom::solid_summary(shape).edges, 12);
  EXPECT_EQ(geom::solid_summary(shape).solids, 1);
  struct Case {
    Vec3 point;
    Vec3 normal;
    FaceOrigin origin;
  };
  const Case cases[] = {
      {{5, 7, -2.5}, {0, 1, 0}, {1, FaceRole::end_cap, 0}},
      {{5, 0, -2.5}, {0, -1, 0}, {1, FaceRole::start_cap, 0}},
      {{5, 3, 0}, {0, 0, 1}, {1, FaceRole::side, 1}},      // sketch v = 0
      {{10, 3, -2.5}, {1, 0, 0}, {1, FaceRole::side, 2}},  // u = 10
      {{5, 3, -5}, {0, 0, -1}, {1, FaceRole::side, 3}},    // v = 5
      {{0, 3, -2.5}, {-1, 0, 0}, {1, FaceRole::side, 4}},  // u = 0
  };
  for (const Case& c : cases) {
    geom::FaceInfo info = face_at(shape, c.point);
    EXPECT_EQ(info.kind, SurfaceKind::plane);
    expect_near3(info.normal, c.normal, 1e-12, "normal");
    EXPECT_EQ(info.origin_of, c.origin);
  }
}

TEST(GeometryPrism, ExtentKinds) {
  // A 10 x 5 rectangle on FRONT (x 0..10, y 0..5), extruded along z.
  const double slope = 0.5;  // the slanted stop z = 6 + x / 2
  struct Case {
    std::string name;
    Extent extent;
    double volume;
    double z_min;
    double z_max;
  };
  const Case cases[] = {
      {"blind front", {blind(7), {}}, 350, 0, 7},
      {"blind back", {{}, blind(7)}, 350, -7, 0},
      {"both sides 10", {blind(5), blind(5)}, 500, -5, 5},
      {"three ahead, two behind", {blind(3), blind(2)}, 250, -2, 3},
      {"up to a parallel plane", {up_to({0, 0, 4}, {0, 0, -1}), {}}, 200, 0, 4},
      {"up to a plane behind", {{}, up_to({1, 1, -3}, {0, 0, 1})}, 150, -3, 0},
      {"up to a slanted plane", {up_to({0, 0, 6}, {-slope, 0, 1}), {}}, 5 * (60 + 25), 0, 11},
  };
  for (const Case& c : cases) {
    Shape shape = extruded(front(), rectangle(0, 0, 10, 5), c.extent);
    expect_solid(shape, c.volume, 6, {{0, 0, c.z_min}, {10, 5, c.z_max}}, c.name);
  }
}

// The stop of a slanted up-to plane is an end cap lying in the plane.
TEST(GeometryPrism, SlantedStopIsAnEndCapInThePlane) {
  Shape shape = extruded(front(), rectangle(0, 0, 10, 5), {up_to({0, 0, 6}, {-0.5, 0, 1}), {}});
  geom::FaceInfo info = face_at(shape, {4, 2, 8});
  EXPECT_EQ(info.origin_of, (FaceOrigin{1, FaceRole::end_cap, 0}));
  double length = std::sqrt(1.25);
  expect_near3(info.normal, {-0.5 / length, 0, 1 / length}, 1e-9, "stop normal");
}

TEST(GeometryPrism, ThroughAllCutsThroughTheWholePart) {
  Shape part = block();
  // A 2 x 2 square on the top face (y = 10): x 2..4, z 2..4 is u 2..4, v -4..-2.
  std::vector<SectionEntity> square = rectangle(2, -4, 4, -2, 11);
  Shape down = extruded(top(10), square, {{}, through_all()}, 2, part);
  expect_solid(combined(part, down, Combine::remove), 960, 10, {{0, 0, 0}, {10, 10, 10}},
               "cut down");
  // Up, away from the part, it takes nothing: the cut does not intersect the part.
  Shape up = extruded(top(10), square, {through_all(), {}}, 2, part);
  Shape unchanged;
  EXPECT_EQ(geom::combine(part, up, Combine::remove, unchanged), Status::no_intersection);
  // From a sketch inside the part, both ways.
  Shape both = extruded(front(5), rectangle(2, 2, 4, 4, 11), {through_all(), through_all()}, 2,
                        part);
  expect_solid(combined(part, both, Combine::remove), 960, 10, {{0, 0, 0}, {10, 10, 10}},
               "cut both ways");
}

TEST(GeometryPrism, ProfilesWithHolesAndSeveralRegions) {
  Shape plate = extruded(front(), joined(rectangle(0, 0, 10, 5), {circle(5, {5, 2.5}, 1)}),
                         {blind(2), {}});
  expect_solid(plate, 2 * (50 - pi), 7, {{0, 0, 0}, {10, 5, 2}}, "plate with a hole");
  Shape two = extruded(front(), joined(rectangle(0, 0, 10, 5), rectangle(20, 0, 30, 5, 5)),
                       {blind(2), {}});
  expect_solid(two, 200, 12, {{0, 0, 0}, {30, 5, 2}}, "two plates");
  EXPECT_EQ(geom::solid_summary(two).solids, 2);
}

// ---- The model-size box -------------------------------------------------------------------

// Nothing beyond the model-size box (every coordinate within 1e6 of 0) reaches the
// kernel: the operations answer outside_model_box first, at the box's edge and past it.
TEST(GeometryModelBox, NothingBeyondItReachesTheKernel) {
  const double edge = geom::model_box_half;
  EXPECT_TRUE(geom::in_model_box({edge, -edge, 0}));
  EXPECT_FALSE(geom::in_model_box({std::nextafter(edge, 2 * edge), 0, 0}));
  EXPECT_FALSE(geom::in_model_box({0, 0, -1e300}));
  EXPECT_FALSE(geom::in_model_box({NAN, 0, 0}));
  EXPECT_FALSE(geom::in_model_box({0, INFINITY, 0}));

  struct ProfileCase {
    std::string name;
    Frame frame;
    std::vector<SectionEntity> entities;
    Status status;
  };
  const ProfileCase profiles[] = {
      {"a circle of radius 1e300", front(), {circle(1, {0, 0}, 1e300)}, Status::outside_model_box},
      {"a circle of radius 1e180", front(), {circle(1, {5, 5}, 1e180)}, Status::outside_model_box},
      {"a circle touching the box", front(), {circle(1, {edge - 1, 0}, 1)}, Status::ok},
      {"a circle past the box", front(), {circle(1, {edge - 1, 0}, 1.5)}, Status::outside_model_box},
      {"a square at 2e6", front(), rectangle(2e6, 0, 2e6 + 1, 1), Status::outside_model_box},
      {"a square on a frame at 1e300", front(1e300), rectangle(0, 0, 1, 1), Status::outside_model_box},
      {"an arc's whole circle past the box", front(),
       {arc(1, {edge - 1, 0}, 2, pi / 2, pi), line(2, {edge - 3, 0}, {edge - 1, 0}),
        line(3, {edge - 1, 0}, {edge - 1, 2})},
       Status::outside_model_box},
  };
  for (const ProfileCase& c : profiles) {
    geom::Profile profile;
    EXPECT_EQ(geom::profile_make(c.frame, c.entities, tol, profile, nullptr), c.status) << c.name;
  }

  const Shape part = block();
  const geom::Profile square = profile_of(front(), rectangle(2, 2, 4, 4));
  struct SweepCase {
    std::string name;
    std::function<Status(Shape&)> run;
    Status status;
  };
  const SweepCase sweeps[] = {
      {"blind 1e300", [&](Shape& out) { return geom::prism(square, {blind(1e300), {}}, part, 2, out); },
       Status::outside_model_box},
      {"blind to the box's edge",
       [&](Shape& out) { return geom::prism(square, {blind(edge), {}}, part, 2, out); }, Status::ok},
      {"blind past the box's edge",
       [&](Shape& out) { return geom::prism(square, {blind(edge + 1), {}}, part, 2, out); },
       Status::outside_model_box},
      {"up to a plane through 1e7",
       [&](Shape& out) { return geom::prism(square, {up_to({0, 0, 1e7}, {0, 0, 1}), {}}, part, 2, out); },
       Status::outside_model_box},
      {"a revolution reaching past the box",
       [&](Shape& out) {
         geom::Profile far = profile_of(front(), rectangle(6e5, 0, 6e5 + 1, 1));
         return geom::revolve(far, {{-6e5, 0, 0}, {0, 1, 0}}, 90, 0, 2, out);
       },
       Status::outside_model_box},
      {"a revolution about an axis at 1e300",
       [&](Shape& out) { return geom::revolve(square, {{0, 0, 1e300}, {0, 1, 0}}, 90, 0, 2, out); },
       Status::outside_model_box},
      {"a hole of diameter 1e180",
       [&](Shape& out) { return geom::hole_tool({{5, 10, 5}, {0, -1, 0}}, 1e180, {through_all(), {}}, part, 3, out); },
       Status::outside_model_box},
      {"a hole of diameter 2e6",
       [&](Shape& out) { return geom::hole_tool({{5, 10, 5}, {0, -1, 0}}, 2e6, {blind(1), {}}, part, 3, out); },
       Status::outside_model_box},
      {"a hole at 1e300",
       [&](Shape& out) { return geom::hole_tool({{1e300, 10, 5}, {0, -1, 0}}, 2, {blind(1), {}}, part, 3, out); },
       Status::outside_model_box},
  };
  for (const SweepCase& c : sweeps) {
    Shape out;
    EXPECT_EQ(c.run(out), c.status) << c.name;
    EXPECT_EQ(out.empty(), c.status != Status::ok) << c.name;
  }

  // Below the sections' tolerance a hole has no size either (the kernel would fail on it).
  for (double diameter : {2e-6, 1e-9, 1e-300}) {
    Shape out;
    EXPECT_EQ(geom::hole_tool({{5, 10, 5}, {0, -1, 0}}, diameter, {blind(1), {}}, part, 3, out),
              Status::degenerate_entity)
        << diameter;
  }

  // Queries of a point or parameters beyond the box find nothing there.
  geom::Vec2 uv{};
  EXPECT_EQ(geom::face_uv(part, 1, {0, 0, 1e300}, uv), Status::outside_model_box);
  geom::SurfacePoint at;
  EXPECT_EQ(geom::face_eval(part, 1, {2e6, 0}, at), Status::outside_model_box);
  EXPECT_TRUE(geom::geometry_at_point(part, {1e300, 0, 0}, 1e300).faces.empty());
}

// ---- Revolutions -------------------------------------------------------------------------

TEST(GeometryRevolve, SweepAngles) {
  // The rectangle u 2..3, v 0..4 on FRONT about the sketch's v axis (+y): a positive turn
  // takes +x towards -z.
  const double s = std::sqrt(0.5);
  struct Case {
    std::string name;
    double front_degrees;
    double back_degrees;
    double volume;
    int faces;
    Box box;
  };
  const Case cases[] = {
      {"full turn", 360, 0, 20 * pi, 4, {{-3, 0, -3}, {3, 4, 3}}},
      {"quarter turn", 90, 0, 5 * pi, 6, {{0, 0, -3}, {3, 4, 0}}},
      {"quarter turn back", 0, 90, 5 * pi, 6, {{0, 0, 0}, {3, 4, 3}}},
      {"45 each way", 45, 45, 5 * pi, 6, {{2 * s, 0, -3 * s}, {3, 4, 3 * s}}},
      {"half each way", 180, 180, 20 * pi, 4, {{-3, 0, -3}, {3, 4, 3}}},
  };
  geom::Profile ring = profile_of(front(), rectangle(2, 0, 3, 4));
  geom::Axis axis = geom::sketch_axis(front(), {0, 0}, {0, 1});
  for (const Case& c : cases) {
    Shape shape;
    ASSERT_EQ(geom::revolve(ring, axis, c.front_degrees, c.back_degrees, 2, shape), Status::ok)
        << c.name;
    expect_solid(shape, c.volume, c.faces, c.box, c.name);
  }
}

// What a revolution makes of lines on, along and across its axis, of slanted lines and
// of arcs: planes, cylinders, cones, spheres and tori.
TEST(GeometryRevolve, SurfaceKinds) {
  geom::Axis axis = geom::sketch_axis(front(), {0, 0}, {0, 1});
  struct Case {
    std::string name;
    std::vector<SectionEntity> entities;
    double volume;
    std::vector<SurfaceKind> kinds;  // in face order
    Box box;
  };
  const Case cases[] = {
      {"tube", rectangle(2, 0, 3, 4), 20 * pi,
       {SurfaceKind::plane, SurfaceKind::cylinder, SurfaceKind::plane, SurfaceKind::cylinder},
       {{-3, 0, -3}, {3, 4, 3}}},
      {"cylinder", rectangle(0, 0, 3, 4), 36 * pi,
       {SurfaceKind::plane, SurfaceKind::cylinder, SurfaceKind::plane},
       {{-3, 0, -3}, {3, 4, 3}}},
      {"cone", {line(1, {0, 0}, {3, 0}), line(2, {3, 0}, {0, 4}), line(3, {0, 4}, {0, 0})},
       12 * pi, {SurfaceKind::plane, SurfaceKind::cone}, {{-3, 0, -3}, {3, 4, 3}}},
      {"sphere", {arc(1, {0, 0}, 2, -pi / 2, pi / 2), line(2, {0, 2}, {0, -2})}, 32 * pi / 3,
       {SurfaceKind::sphere}, {{-2, -2, -2}, {2, 2, 2}}},
      {"torus", {circle(1, {5, 0}, 1)}, 10 * pi * pi, {SurfaceKind::torus},
       {{-6, -1, -6}, {6, 1, 6}}},
  };
  for (const Case& c : cases) {
    Shape shape;
    ASSERT_EQ(geom::revolve(profile_of(front(), c.entities), axis, 360, 0, 7, shape), Status::ok)
        << c.name;
    expect_solid(shape, c.volume, static_cast<int>(c.kinds.size()), c.box, c.name);
    for (int face = 1; face <= static_cast<int>(c.kinds.size()); ++face) {
      geom::FaceInfo info;
      ASSERT_EQ(geom::face_info(shape, face, info), Status::ok);
      EXPECT_EQ(info.kind, c.kinds[face - 1]) << c.name << " face " << face;
      EXPECT_EQ(info.origin_of.feature, 7) << c.name;
      EXPECT_EQ(info.origin_of.role, FaceRole::side) << c.name;
      if (info.kind != SurfaceKind::plane) {
        EXPECT_NEAR(std::fabs(info.e3[1]), 1, 1e-12) << c.name << " axis";
        EXPECT_NEAR(info.origin[0], 0, 1e-12) << c.name << " on the axis";
        EXPECT_NEAR(info.origin[2], 0, 1e-12) << c.name << " on the axis";
      }
    }
  }
}

// The tube's faces: its caps (from the lines across the axis) face down and up, its
// cylinders are radius 2 (facing the axis) and 3 (facing away).
TEST(GeometryRevolve, TubeFacesComeFromTheirEntities) {
  Shape tube;
  ASSERT_EQ(geom::revolve(profile_of(front(), rectangle(2, 0, 3, 4)),
                          geom::sketch_axis(front(), {0, 0}, {0, 1}), 360, 0, 2, tube),
            Status::ok);
  geom::FaceInfo bottom = face_at(tube, {0, 0, 2.5}), outer = face_at(tube, {0, 2, 3});
  geom::FaceInfo top_cap = face_at(tube, {-2.5, 4, 0}), inner = face_at(tube, {2, 2, 0});
  EXPECT_EQ(bottom.origin_of, (FaceOrigin{2, FaceRole::side, 1}));
  EXPECT_EQ(outer.origin_of, (FaceOrigin{2, FaceRole::side, 2}));
  EXPECT_EQ(top_cap.origin_of, (FaceOrigin{2, FaceRole::side, 3}));
  EXPECT_EQ(inner.origin_of, (FaceOrigin{2, FaceRole::side, 4}));
  expect_near3(bottom.normal, {0, -1, 0}, 1e-12, "bottom");
  expect_near3(top_cap.normal, {0, 1, 0}, 1e-12, "top");
  EXPECT_DOUBLE_EQ(outer.radius, 3);
  EXPECT_DOUBLE_EQ(inner.radius, 2);
}

// ---- Booleans ----------------------------------------------------------------------------

// A 2 x 2 boss 3 high on the block's top face (y = 10) at x 4..6, z 4..6.
Shape boss_tool(const Shape& part) {
  return extruded(top(10), rectangle(4, -6, 6, -4, 11), {blind(3), {}}, 2, part);
}

TEST(GeometryCombine, ProtrusionsCutsAndHoles) {
  Shape part = block();
  expect_solid(combined(part, boss_tool(part), Combine::add), 1012, 11,
               {{0, 0, 0}, {10, 13, 10}}, "boss");
  geom::Axis down{{5, 10, 5}, {0, -1, 0}};
  struct Case {
    std::string name;
    Extent extent;
    double volume;
    int faces;
  };
  const Case holes[] = {
      {"blind hole", {blind(4), {}}, 1000 - 4 * pi, 8},
      {"hole through all", {through_all(), {}}, 1000 - 10 * pi, 7},
      {"hole up to a plane", {up_to({0, 3, 0}, {0, 1, 0}), {}}, 1000 - 7 * pi, 8},
  };
  for (const Case& c : holes) {
    Shape tool;
    ASSERT_EQ(geom::hole_tool(down, 2, c.extent, part, 3, tool), Status::ok) << c.name;
    expect_solid(combined(part, tool, Combine::remove), c.volume, c.faces,
                 {{0, 0, 0}, {10, 10, 10}}, c.name);
  }
}

// A feature that changes no material fails as a CAD system's does, and so does material
// added apart from the part (a second body); the part is what it was. Any real change
// builds however small it is beside the part: the rounding of a large part's volume hides
// neither a small cut nor a small boss.
TEST(GeometryCombine, AFeatureThatChangesNoMaterialFails) {
  const Shape part = block();
  // 1000 on a side, and a plate 10 m square and 10 mm thick: a volume of 1e9 each.
  const Shape large = extruded(front(), rectangle(0, 0, 1000, 1000), {blind(1000), {}});
  const Shape plate = extruded(front(), rectangle(0, 0, 10000, 10000), {blind(10), {}});
  auto prism_on_front = [](const std::vector<SectionEntity>& profile, const Extent& extent) {
    return extruded(front(), profile, extent, 2);
  };
  auto hole_down = [](const Shape& into, const geom::Axis& axis, double diameter,
                      const Extent& extent) {
    Shape tool;
    EXPECT_EQ(geom::hole_tool(axis, diameter, extent, into, 2, tool), Status::ok);
    return tool;
  };
  struct Case {
    std::string name;
    Shape part;
    Shape tool;
    Combine how;
    Status status;
    double change;  // of the part's volume, when it builds
    int solids;
  };
  const Case cases[] = {
      {"cut away from the part", part, prism_on_front(rectangle(20, 0, 22, 2), {blind(5), {}}),
       Combine::remove, Status::no_intersection, 0, 0},
      {"cut that only touches a face", part,
       prism_on_front(rectangle(10, 2, 12, 4), {blind(5), {}}), Combine::remove,
       Status::no_intersection, 0, 0},
      {"cut in front of the part", part, prism_on_front(rectangle(2, 2, 4, 4), {{}, blind(3)}),
       Combine::remove, Status::no_intersection, 0, 0},
      {"protrusion apart from the part", part,
       prism_on_front(rectangle(20, 0, 22, 2), {blind(1), {}}), Combine::add,
       Status::no_intersection, 0, 0},
      {"protrusion touching along an edge", part,
       prism_on_front(rectangle(10, 10, 12, 12), {blind(5), {}}), Combine::add,
       Status::no_intersection, 0, 0},
      {"protrusion inside the part", part, prism_on_front(rectangle(2, 2, 4, 4), {blind(5), {}}),
       Combine::add, Status::adds_nothing, 0, 0},
      {"protrusion on a face", part, prism_on_front(rectangle(10, 2, 12, 4), {blind(5), {}}),
       Combine::add, Status::ok, 20, 1},
      {"protrusion half in the part", part,
       prism_on_front(rectangle(8, 2, 12, 4), {blind(5), {}}), Combine::add, Status::ok, 20, 1},
      {"cut into the part", part, prism_on_front(rectangle(8, 2, 12, 4), {blind(5), {}}),
       Combine::remove, Status::ok, -20, 1},
      // A cut across the whole part takes material and leaves it in two bodies.
      {"cut through the part in two", part,
       prism_on_front(rectangle(4, -1, 6, 11), {blind(20), {}}), Combine::remove, Status::ok,
       -200, 2},
      // Features of less than 1 on the large block, its faces at x = 1000 and y = 1000.
      {"small cut into a large block", large,
       prism_on_front(rectangle(999.5, 500, 1001, 501), {blind(1), {}}), Combine::remove,
       Status::ok, -0.5, 1},
      {"thin cut into a large block", large,
       prism_on_front(rectangle(999.999, 500, 1001, 501), {blind(1), {}}), Combine::remove,
       Status::ok, -1e-3, 1},
      {"large cut barely into a large block", large,
       prism_on_front(rectangle(999.9995, 0, 1999.9995, 1), {blind(1000), {}}),
       Combine::remove, Status::ok, -0.5, 1},
      {"small hole in a large block", large,
       hole_down(large, {{500, 1000, 500}, {0, -1, 0}}, 1, {blind(1), {}}), Combine::remove,
       Status::ok, -pi / 4, 1},
      {"0.1 hole through a 10 m plate", plate,
       hole_down(plate, {{5000, 5000, 10}, {0, 0, -1}}, 0.1, {through_all(), {}}),
       Combine::remove, Status::ok, -pi * 0.0025 * 10, 1},
      {"small boss on a large block", large,
       prism_on_front(rectangle(1000, 500, 1000.5, 501), {blind(1), {}}), Combine::add,
       Status::ok, 0.5, 1},
      {"small boss half in a large block", large,
       prism_on_front(rectangle(999.5, 500, 1000.5, 501), {blind(1), {}}), Combine::add,
       Status::ok, 0.5, 1},
      {"small cut touching a large block", large,
       prism_on_front(rectangle(1000, 500, 1001, 501), {blind(1), {}}), Combine::remove,
       Status::no_intersection, 0, 0},
      {"small hole beside a large block", large,
       hole_down(large, {{1001, 1000, 500}, {0, -1, 0}}, 1, {through_all(), {}}),
       Combine::remove, Status::no_intersection, 0, 0},
      {"small protrusion apart from a large block", large,
       prism_on_front(rectangle(1001, 500, 1002, 501), {blind(1), {}}), Combine::add,
       Status::no_intersection, 0, 0},
      {"small protrusion touching a large block along an edge", large,
       prism_on_front(rectangle(1000, 1000, 1001, 1001), {blind(1), {}}), Combine::add,
       Status::no_intersection, 0, 0},
      {"small protrusion inside a large block", large,
       prism_on_front(rectangle(500, 500, 501, 501), {blind(1), {}}), Combine::add,
       Status::adds_nothing, 0, 0},
  };
  for (const Case& c : cases) {
    Shape out;
    EXPECT_EQ(geom::combine(c.part, c.tool, c.how, out), c.status) << c.name;
    if (c.status != Status::ok) {
      EXPECT_TRUE(out.empty()) << c.name;
      continue;
    }
    const double before = geom::solid_summary(c.part).volume;
    EXPECT_NEAR(geom::solid_summary(out).volume - before, c.change, 1e-6) << c.name;
    EXPECT_EQ(geom::solid_summary(out).solids, c.solids) << c.name;
  }
  // A hole beside the part takes nothing either.
  Shape hole;
  ASSERT_EQ(geom::hole_tool({{15, 10, 5}, {0, -1, 0}}, 2, {through_all(), {}}, part, 3, hole),
            Status::ok);
  Shape out;
  EXPECT_EQ(geom::combine(part, hole, Combine::remove, out), Status::no_intersection);
}

TEST(GeometryCombine, FacesKeepTheirFeatures) {
  Shape part = combined(block(), boss_tool(block()), Combine::add);
  Shape hole;
  ASSERT_EQ(geom::hole_tool({{2, 10, 2}, {0, -1, 0}}, 1, {blind(4), {}}, part, 3, hole),
            Status::ok);
  part = combined(part, hole, Combine::remove);
  struct Case {
    Vec3 point;
    FaceOrigin origin;
    SurfaceKind kind;
  };
  const Case cases[] = {
      {{8, 10, 8}, {1, FaceRole::side, 3}, SurfaceKind::plane},  // the block's top
      {{5, 13, 5}, {2, FaceRole::end_cap, 0}, SurfaceKind::plane},
      {{5, 11, 6}, {2, FaceRole::side, 11}, SurfaceKind::plane},  // boss side v = -6
      {{2.5, 8, 2}, {3, FaceRole::side, 0}, SurfaceKind::cylinder},
      {{2, 6, 2}, {3, FaceRole::end_cap, 0}, SurfaceKind::plane},
  };
  for (const Case& c : cases) {
    geom::FaceInfo info = face_at(part, c.point);
    EXPECT_EQ(info.origin_of, c.origin) << c.point[0] << " " << c.point[1] << " " << c.point[2];
    EXPECT_EQ(info.kind, c.kind);
  }
}

TEST(GeometryCombine, BuildingAgainGivesTheSameIdsAndOrigins) {
  auto build = [] {
    Shape part = combined(block(), boss_tool(block()), Combine::add);
    Shape hole;
    EXPECT_EQ(geom::hole_tool({{2, 10, 2}, {0, -1, 0}}, 1, {through_all(), {}}, part, 3, hole),
              Status::ok);
    return combined(part, hole, Combine::remove);
  };
  Shape first = build(), second = build();
  geom::SolidSummary a = geom::solid_summary(first), b = geom::solid_summary(second);
  ASSERT_EQ(a.faces, b.faces);
  ASSERT_EQ(a.edges, b.edges);
  for (int face = 1; face <= a.faces; ++face) {
    geom::FaceInfo x, y;
    ASSERT_EQ(geom::face_info(first, face, x), Status::ok);
    ASSERT_EQ(geom::face_info(second, face, y), Status::ok);
    EXPECT_EQ(x.origin_of, y.origin_of) << face;
    EXPECT_EQ(x.kind, y.kind) << face;
    expect_near3(x.origin, y.origin, 0, "face origin");
  }
  for (int edge = 1; edge <= a.edges; ++edge) {
    geom::EdgeInfo x, y;
    ASSERT_EQ(geom::edge_info(first, edge, x), Status::ok);
    ASSERT_EQ(geom::edge_info(second, edge, y), Status::ok);
    EXPECT_EQ(x.faces, y.faces) << edge;
  }
}

// ---- Queries -----------------------------------------------------------------------------

TEST(GeometryQueries, GeometryAtAPoint) {
  Shape part = block();
  Shape hole;
  ASSERT_EQ(geom::hole_tool({{5, 10, 5}, {0, -1, 0}}, 2, {blind(4), {}}, part, 3, hole),
            Status::ok);
  part = combined(part, hole, Combine::remove);
  struct Case {
    std::string name;
    Vec3 point;
    double tolerance;
    std::size_t faces;
    std::size_t edges;
  };
  const Case cases[] = {
      {"inside a face", {3, 5, 10}, tol, 1, 0},
      {"on a face boundary (an edge)", {10, 5, 10}, tol, 2, 1},
      {"at a corner", {10, 10, 10}, tol, 3, 3},
      {"on the hole's rim", {6, 10, 5}, tol, 2, 1},
      {"on the hole's wall", {4, 8, 5}, tol, 1, 0},
      {"just off a face, within the tolerance", {3, 5, 10 + 1e-7}, tol, 1, 0},
      {"just off a face, beyond the tolerance", {3, 5, 10 + 1e-7}, 1e-8, 0, 0},
      {"inside the solid", {5, 3, 5}, tol, 0, 0},
      {"in the hole", {5, 8, 5}, tol, 0, 0},
      {"off the part", {20, 20, 20}, tol, 0, 0},
      {"not a number", {NAN, 0, 0}, tol, 0, 0},
  };
  for (const Case& c : cases) {
    geom::PointHits hits = geom::geometry_at_point(part, c.point, c.tolerance);
    EXPECT_EQ(hits.faces.size(), c.faces) << c.name;
    EXPECT_EQ(hits.edges.size(), c.edges) << c.name;
    // Every edge found bounds two of the faces found.
    for (int edge : hits.edges) {
      geom::EdgeInfo info;
      ASSERT_EQ(geom::edge_info(part, edge, info), Status::ok);
      for (int face : info.faces)
        EXPECT_NE(std::find(hits.faces.begin(), hits.faces.end(), face), hits.faces.end())
            << c.name;
    }
  }
  EXPECT_TRUE(geom::geometry_at_point(Shape{}, {0, 0, 0}, tol).faces.empty());
}

// Every edge bounds exactly two faces, the ones found at its middle.
TEST(GeometryQueries, EdgesHaveTwoNeighbours) {
  Shape part = combined(block(), boss_tool(block()), Combine::add);
  Shape hole;
  ASSERT_EQ(geom::hole_tool({{2, 10, 2}, {0, -1, 0}}, 1, {blind(4), {}}, part, 3, hole),
            Status::ok);
  part = combined(part, hole, Combine::remove);
  geom::SolidSummary summary = geom::solid_summary(part);
  // Block 12, boss 12 more, hole: rim and bottom circles (the seam is no edge).
  EXPECT_EQ(summary.edges, 12 + 12 + 2);
  EXPECT_EQ(summary.faces, 6 + 5 + 2);
  int circles = 0;
  for (int edge = 1; edge <= summary.edges; ++edge) {
    geom::EdgeInfo info;
    ASSERT_EQ(geom::edge_info(part, edge, info), Status::ok);
    EXPECT_GE(info.faces[0], 1);
    EXPECT_LT(info.faces[0], info.faces[1]);
    Vec3 middle;
    if (info.kind == geom::CurveKind::circle) {
      ++circles;
      double angle = (info.first + info.last) / 2;
      for (int i = 0; i < 3; ++i)
        middle[i] = info.center[i] + info.radius * (std::cos(angle) * info.e1[i] +
                                                    std::sin(angle) * info.e2[i]);
      EXPECT_DOUBLE_EQ(info.radius, 0.5);
    } else {
      ASSERT_EQ(info.kind, geom::CurveKind::line);
      for (int i = 0; i < 3; ++i) middle[i] = (info.start[i] + info.end[i]) / 2;
    }
    geom::PointHits hits = geom::geometry_at_point(part, middle, 1e-7);
    std::vector<int> want(info.faces.begin(), info.faces.end());
    EXPECT_EQ(hits.faces, want) << "edge " << edge;
    EXPECT_EQ(hits.edges, std::vector<int>{edge});
  }
  EXPECT_EQ(circles, 2);
}

// A hole's wall: a cylinder of radius 1 about x = z = 5 whose outward normal faces the
// axis; evaluating and finding parameters undo each other.
TEST(GeometryQueries, SurfaceEvaluation) {
  Shape part = block();
  Shape hole;
  ASSERT_EQ(geom::hole_tool({{5, 10, 5}, {0, -1, 0}}, 2, {through_all(), {}}, part, 3, hole),
            Status::ok);
  part = combined(part, hole, Combine::remove);
  geom::PointHits hits = geom::geometry_at_point(part, {6, 5, 5}, tol);
  ASSERT_EQ(hits.faces.size(), 1u);
  int wall = hits.faces[0];
  geom::FaceInfo info;
  ASSERT_EQ(geom::face_info(part, wall, info), Status::ok);
  ASSERT_EQ(info.kind, SurfaceKind::cylinder);
  EXPECT_DOUBLE_EQ(info.radius, 1);
  EXPECT_NEAR(std::fabs(info.e3[1]), 1, 1e-12);
  EXPECT_NEAR(info.origin[0], 5, 1e-12);
  EXPECT_NEAR(info.origin[2], 5, 1e-12);
  EXPECT_NEAR(info.uv_max[0] - info.uv_min[0], 2 * pi, 1e-9);
  EXPECT_NEAR(info.uv_max[1] - info.uv_min[1], 10, 1e-6);
  for (double fu : {0.1, 0.5, 0.9}) {
    geom::Vec2 uv{info.uv_min[0] + fu * (info.uv_max[0] - info.uv_min[0]),
                  (info.uv_min[1] + info.uv_max[1]) / 2};
    geom::SurfacePoint at;
    ASSERT_EQ(geom::face_eval(part, wall, uv, at), Status::ok);
    Vec3 from_axis{at.point[0] - 5, 0, at.point[2] - 5};
    EXPECT_NEAR(std::hypot(from_axis[0], from_axis[2]), 1, 1e-12);
    expect_near3(at.normal, {-from_axis[0], 0, -from_axis[2]}, 1e-9, "wall normal");
    EXPECT_NEAR(std::hypot(at.du[0], at.du[1], at.du[2]), 1, 1e-12);
    EXPECT_NEAR(std::fabs(at.dv[1]), 1, 1e-12);
    expect_near3(at.duu, {-from_axis[0], 0, -from_axis[2]}, 1e-9, "second derivative");
    geom::Vec2 back;
    ASSERT_EQ(geom::face_uv(part, wall, at.point, back), Status::ok);
    EXPECT_NEAR(back[0], uv[0], 1e-9);
    EXPECT_NEAR(back[1], uv[1], 1e-9);
  }
  // A plane: its normal everywhere is the face's outward normal.
  geom::FaceInfo bottom = face_at(part, {1, 0, 1});
  int bottom_id = geom::geometry_at_point(part, {1, 0, 1}, tol).faces[0];
  geom::SurfacePoint at;
  ASSERT_EQ(geom::face_eval(part, bottom_id, {3, -2}, at), Status::ok);
  expect_near3(at.normal, {0, -1, 0}, 1e-12, "bottom");
  expect_near3(bottom.normal, {0, -1, 0}, 1e-12, "bottom info");
  EXPECT_NEAR(at.point[1], 0, 1e-12);
}

TEST(GeometryQueries, UnknownIdsAreNotFound) {
  Shape part = block();
  geom::FaceInfo face;
  geom::EdgeInfo edge;
  geom::SurfacePoint point;
  geom::Vec2 uv;
  EXPECT_EQ(geom::face_info(part, 0, face), Status::not_found);
  EXPECT_EQ(geom::face_info(part, 7, face), Status::not_found);
  EXPECT_EQ(geom::face_info(Shape{}, 1, face), Status::not_found);
  EXPECT_EQ(geom::edge_info(part, 13, edge), Status::not_found);
  EXPECT_EQ(geom::edge_info(part, -1, edge), Status::not_found);
  EXPECT_EQ(geom::face_eval(part, 9, {0, 0}, point), Status::not_found);
  EXPECT_EQ(geom::face_eval(part, 1, {NAN, 0}, point), Status::bad_input);
  EXPECT_EQ(geom::face_uv(part, 0, {0, 0, 0}, uv), Status::not_found);
  EXPECT_EQ(geom::face_uv(part, 1, {0, INFINITY, 0}, uv), Status::bad_input);
  geom::SolidSummary none = geom::solid_summary(Shape{});
  EXPECT_EQ(none.faces, 0);
  EXPECT_EQ(none.volume, 0);
}

// ---- Bad input ---------------------------------------------------------------------------

TEST(GeometryBadInput, PrismsRevolutionsHolesAndCombinations) {
  geom::Profile plate = profile_of(front(), rectangle(0, 0, 10, 5));
  geom::Profile ring = profile_of(front(), rectangle(2, 0, 3, 4));
  geom::Axis axis = geom::sketch_axis(front(), {0, 0}, {0, 1});
  Shape part = block(), out;
  const Vec3 slant{-0.5, 0, 1};
  struct PrismCase {
    std::string name;
    geom::Profile profile;
    Extent extent;
    Shape part;
    Status status;
  };
  const PrismCase prisms[] = {
      {"zero depth", plate, {blind(0), {}}, {}, Status::zero_depth},
      {"no extent", plate, {}, {}, Status::zero_depth},
      {"negative depth", plate, {blind(-2), {}}, {}, Status::bad_input},
      {"depth not a number", plate, {{}, blind(NAN)}, {}, Status::bad_input},
      {"plane behind the front", plate, {up_to({0, 0, -3}, {0, 0, 1}), {}}, {}, Status::bad_reference},
      {"plane in the sketch", plate, {up_to({0, 0, 0}, {0, 0, 1}), {}}, {}, Status::bad_reference},
      {"plane along the extent", plate, {up_to({0, 0, 0}, {1, 0, 0}), {}}, {}, Status::bad_reference},
      {"slanted plane through the profile", plate, {up_to({5, 0, 0}, {1, 0, -1}), {}}, {},
       Status::bad_reference},
      {"slanted plane on a two-way extent", plate, {up_to({0, 0, 6}, slant), blind(2)}, {},
       Status::bad_reference},
      {"plane without a normal", plate, {up_to({0, 0, 6}, {0, 0, 0}), {}}, {}, Status::bad_input},
      {"through all without a part", plate, {through_all(), {}}, {}, Status::no_part},
      {"no profile", geom::Profile{}, {blind(1), {}}, {}, Status::bad_input},
  };
  for (const PrismCase& c : prisms) {
    EXPECT_EQ(geom::prism(c.profile, c.extent, c.part, 1, out), c.status) << c.name;
    EXPECT_TRUE(out.empty()) << c.name;
  }
  struct RevolveCase {
    std::string name;
    geom::Axis axis;
    double front_degrees;
    double back_degrees;
    Status status;
  };
  const RevolveCase revolves[] = {
      {"axis through the profile", geom::sketch_axis(front(), {2.5, 0}, {2.5, 1}), 360, 0,
       Status::bad_axis},
      {"axis across the sketch plane", {{0, 0, 0}, {0, 0, 1}}, 360, 0, Status::bad_axis},
      {"axis off the sketch plane", {{0, 0, 1}, {0, 1, 0}}, 360, 0, Status::bad_axis},
      {"axis without a direction", {{0, 0, 0}, {0, 0, 0}}, 360, 0, Status::bad_axis},
      {"no turn", axis, 0, 0, Status::zero_depth},
      {"more than a full turn", axis, 300, 100, Status::bad_input},
      {"negative turn", axis, -90, 0, Status::bad_input},
      {"turn not a number", axis, NAN, 0, Status::bad_input},
  };
  for (const RevolveCase& c : revolves)
    EXPECT_EQ(geom::revolve(ring, c.axis, c.front_degrees, c.back_degrees, 1, out), c.status)
        << c.name;
  EXPECT_EQ(geom::revolve(geom::Profile{}, axis, 90, 0, 1, out), Status::bad_input);
  EXPECT_EQ(geom::hole_tool({{5, 10, 5}, {0, -1, 0}}, 0, {blind(1), {}}, part, 1, out),
            Status::bad_input);
  EXPECT_EQ(geom::hole_tool({{5, 10, 5}, {0, 0, 0}}, 1, {blind(1), {}}, part, 1, out),
            Status::bad_input);
  EXPECT_EQ(geom::hole_tool({{5, 10, 5}, {0, -1, 0}}, 1, {blind(0), {}}, part, 1, out),
            Status::zero_depth);
  EXPECT_TRUE(out.empty());
  // Combinations: no tool, nothing to cut from, nothing left.
  EXPECT_EQ(geom::combine(part, Shape{}, Combine::add, out), Status::bad_input);
  EXPECT_EQ(geom::combine(Shape{}, part, Combine::remove, out), Status::no_part);
  Shape bigger = extruded(front(-1), rectangle(-1, -1, 11, 11), {blind(12), {}});
  EXPECT_EQ(geom::combine(part, bigger, Combine::remove, out), Status::empty_result);
  EXPECT_TRUE(out.empty());
  ASSERT_EQ(geom::combine(Shape{}, part, Combine::add, out), Status::ok);
  EXPECT_EQ(out.data, part.data);
}

// ---- Files -------------------------------------------------------------------------------

class GeometryFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("yrl-geometry-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  std::filesystem::path dir_;
};

// A part read back from its .brep file is the same solid, faces numbered as before.
TEST_F(GeometryFiles, BrepRoundTrip) {
  Shape part = combined(block(), boss_tool(block()), Combine::add);
  Shape hole;
  ASSERT_EQ(geom::hole_tool({{2, 10, 2}, {0, -1, 0}}, 1, {blind(4), {}}, part, 3, hole),
            Status::ok);
  part = combined(part, hole, Combine::remove);
  ASSERT_EQ(geom::brep_write(part, path("part.brep")), Status::ok);
  Shape back;
  ASSERT_EQ(geom::brep_read(path("part.brep"), back), Status::ok);
  geom::SolidSummary a = geom::solid_summary(part), b = geom::solid_summary(back);
  EXPECT_NEAR(b.volume, a.volume, 1e-9);
  EXPECT_NEAR(a.volume, 1012 - 4 * pi / 4, 1e-6);
  EXPECT_EQ(b.faces, a.faces);
  EXPECT_EQ(b.edges, a.edges);
  expect_near3(b.box.min, a.box.min, 1e-9, "box min");
  expect_near3(b.box.max, a.box.max, 1e-9, "box max");
  for (int face = 1; face <= a.faces; ++face) {
    geom::FaceInfo x, y;
    ASSERT_EQ(geom::face_info(part, face, x), Status::ok);
    ASSERT_EQ(geom::face_info(back, face, y), Status::ok);
    EXPECT_EQ(x.kind, y.kind) << face;
    expect_near3(x.normal, y.normal, 1e-12, "normal");
    EXPECT_EQ(y.origin_of, FaceOrigin{}) << face;
  }
}

TEST_F(GeometryFiles, BadFilesGiveAStatus) {
  Shape out;
  EXPECT_EQ(geom::brep_read(path("missing.brep"), out), Status::file_error);
  std::ofstream(path("garbage.brep")) << "DBRep_DrawableShape\nnot a shape at all\n";
  EXPECT_EQ(geom::brep_read(path("garbage.brep"), out), Status::bad_file);
  std::ofstream(path("empty.brep")).close();
  EXPECT_EQ(geom::brep_read(path("empty.brep"), out), Status::bad_file);
  // A cut-off file.
  ASSERT_EQ(geom::brep_write(block(), path("whole.brep")), Status::ok);
  std::string text;
  {
    std::ifstream whole(path("whole.brep"));
    text.assign(std::istreambuf_iterator<char>(whole), {});
  }
  std::ofstream(path("cut.brep")) << text.substr(0, text.size() / 2);
  EXPECT_EQ(geom::brep_read(path("cut.brep"), out), Status::bad_file);
  // A damaged matrix that makes the kernel's reader crash.
  std::ofstream(path("crash.brep"))
      << "CASCADE Topology V3, (c) Open Cascade\nLocations 4\n1\n1 0 0 0\n0 1 0 0\n0 x0 1 10\n"
         "2 1 -1 0\n1\n1 0 0 0\n0 1 0 -4\n0 0 1 0\n2 3 -1 0\nCurve2ds 10\n1 10 0 0 -1\n"
         "1 0 -0 0 -1\n1 0 -0 1 0\n1 0 -10 1 0\n1 0 0 1 0\n1 0 -4 1 0\n2 0 0 1 0 -0 1 1\n"
         "2 5 -5 -1 -0 0 -1 1\n1 0 0 0 -1\n1 6.2831853071795862 0 0 -1\nCurves 10\n"
         "1 0 0 0 0 0 1\n1 10 0 0 0 0 1\n1 0 0 0 1 0 0\n1 0 10 0 0 0 1\n1 0 10 0 0 -1 0\n"
         "1 10 10 0 0 0 1\n1 10 0 0 0 1 0\n1 10 10 0 -1 0 0\n"
         "2 5 10 5 0 -1 0 1 0 0 -0 0 1 1\n1 6 10 5 0 -1 0\nPolygonOnTriangulations 0\n"
         "Surfaces 7\n1 0 0 1 0 1 0 18530717959\n2 8 3 0 0 6.28318530717959\n0 +10 0";
  EXPECT_EQ(geom::brep_read(path("crash.brep"), out), Status::bad_file);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(geom::brep_write(block(), path("no/such/dir/part.brep")), Status::file_error);
  EXPECT_EQ(geom::brep_write(Shape{}, path("none.brep")), Status::bad_input);
}

}  // namespace
}  // namespace yrltest
