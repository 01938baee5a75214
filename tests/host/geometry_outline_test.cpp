// Outlines of a shape in a view (hidden-line removal): a block with a hole seen from the
// front, the top and the right, and a cube seen isometrically, against outlines worked
// out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "host/geometry/geometry.h"
#include "tests/host/geometry_test.h"

namespace yrltest {
namespace {

namespace geom = yrlhost::geom;
using geom::OutlineCurve;
using geom::OutlineKind;
using geom::Shape;
using geom::Status;
using geom::ViewAxes;

Shape solid(const geom::Frame& frame, const std::vector<SectionEntity>& entities, double depth) {
  geom::Profile profile;
  EXPECT_EQ(geom::profile_make(frame, entities, tol, profile, nullptr), Status::ok);
  Shape shape;
  EXPECT_EQ(geom::prism(profile, {{geom::DepthKind::blind, depth, {}}, {}}, {}, 1, shape),
            Status::ok);
  return shape;
}

// The block x 0..40, y 0..20, z 0..10 with a hole of diameter 8 along z through (20, 10).
Shape block_with_hole() {
  const geom::Frame front = geom::standard_frame(geom::StandardPlane::front, 0);
  Shape block = solid(front, rectangle(0, 0, 40, 20), 10);
  Shape hole = solid(front, {circle(1, {20, 10}, 4)}, 10);
  Shape out;
  EXPECT_EQ(geom::combine(block, hole, geom::Combine::remove, out), Status::ok);
  return out;
}

OutlineCurve segment(Vec2 a, Vec2 b) {
  OutlineCurve curve;
  curve.points = {a, b};
  return curve;
}

OutlineCurve full_circle(Vec2 center, double radius) {
  OutlineCurve curve;
  curve.kind = OutlineKind::arc;
  curve.center = center;
  curve.radius = radius;
  curve.sweep = 2 * pi;
  curve.points = {{center[0] + radius, center[1]}, {center[0] + radius, center[1]}};
  return curve;
}

std::vector<OutlineCurve> rectangle_outline(double x0, double y0, double x1, double y1) {
  return {segment({x0, y0}, {x1, y0}), segment({x1, y0}, {x1, y1}), segment({x1, y1}, {x0, y1}),
          segment({x0, y1}, {x0, y0})};
}

double segment_distance(Vec2 p, Vec2 a, Vec2 b) {
  const double dx = b[0] - a[0], dy = b[1] - a[1], length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? ((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / length2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p[0] - a[0] - t * dx, p[1] - a[1] - t * dy);
}

double distance_to(Vec2 p, const OutlineCurve& curve) {
  switch (curve.kind) {
    case OutlineKind::line:
      return segment_distance(p, curve.points[0], curve.points[1]);
    case OutlineKind::arc: {
      double angle = std::atan2(p[1] - curve.center[1], p[0] - curve.center[0]) - curve.start_angle;
      angle = std::fmod(angle + 4 * pi, 2 * pi);
      if (angle <= curve.sweep + 1e-9)
        return std::fabs(std::hypot(p[0] - curve.center[0], p[1] - curve.center[1]) - curve.radius);
      return std::min(std::hypot(p[0] - curve.points[0][0], p[1] - curve.points[0][1]),
                      std::hypot(p[0] - curve.points[1][0], p[1] - curve.points[1][1]));
    }
    case OutlineKind::polyline: {
      double least = HUGE_VAL;
      for (std::size_t i = 0; i + 1 < curve.points.size(); ++i)
        least = std::min(least, segment_distance(p, curve.points[i], curve.points[i + 1]));
      return least;
    }
  }
  return HUGE_VAL;
}

// Points along a curve, its ends included.
std::vector<Vec2> samples(const OutlineCurve& curve, int count = 16) {
  std::vector<Vec2> points;
  if (curve.kind == OutlineKind::polyline) return curve.points;
  for (int i = 0; i <= count; ++i) {
    const double t = static_cast<double>(i) / count;
    if (curve.kind == OutlineKind::line) {
      points.push_back({curve.points[0][0] + t * (curve.points[1][0] - curve.points[0][0]),
                        curve.points[0][1] + t * (curve.points[1][1] - curve.points[0][1])});
    } else {
      const double a = curve.start_angle + t * curve.sweep;
      points.push_back({curve.center[0] + curve.radius * std::cos(a),
                        curve.center[1] + curve.radius * std::sin(a)});
    }
  }
  return points;
}

bool on_any(Vec2 p, const std::vector<OutlineCurve>& curves) {
  return std::any_of(curves.begin(), curves.end(),
                     [&](const OutlineCurve& curve) { return distance_to(p, curve) <= 1e-6; });
}

std::vector<OutlineCurve> of_visibility(const std::vector<OutlineCurve>& curves, bool visible) {
  std::vector<OutlineCurve> kept;
  for (const OutlineCurve& curve : curves)
    if (curve.visible == visible) kept.push_back(curve);
  return kept;
}

// The outline covers each expected visible curve with visible pieces and each expected
// hidden one with hidden pieces; every visible piece lies on an expected visible curve,
// every hidden piece on an expected hidden one (an edge right behind a visible one is
// left out).
void expect_outline(const std::vector<OutlineCurve>& got, const std::vector<OutlineCurve>& visible,
                    const std::vector<OutlineCurve>& hidden, const std::string& view) {
  const std::vector<OutlineCurve> got_visible = of_visibility(got, true);
  const std::vector<OutlineCurve> got_hidden = of_visibility(got, false);
  for (const auto& [want, pieces, what] :
       {std::tuple{&visible, &got_visible, "visible"}, std::tuple{&hidden, &got_hidden, "hidden"}})
    for (const OutlineCurve& curve : *want)
      for (Vec2 p : samples(curve))
        EXPECT_TRUE(on_any(p, *pieces)) << view << ": no " << what << " piece at " << p[0] << ", " << p[1];
  for (const OutlineCurve& piece : got_visible)
    for (Vec2 p : samples(piece))
      EXPECT_TRUE(on_any(p, visible)) << view << ": a visible piece runs through " << p[0] << ", " << p[1];
  for (const OutlineCurve& piece : got_hidden)
    for (Vec2 p : samples(piece))
      EXPECT_TRUE(on_any(p, hidden)) << view << ": a hidden piece runs through " << p[0] << ", " << p[1];
}

TEST(ShapeOutline, ABlockWithAHoleSeenFromTheFrontTopAndRight) {
  const Shape part = block_with_hole();
  struct Case {
    const char* view;
    ViewAxes axes;
    std::vector<OutlineCurve> visible;
    std::vector<OutlineCurve> hidden;
  };
  // The front looks along -z (x right, y up): the block's face and the hole's rim. The top
  // looks along -y (x right, -z up): the hole's sides are hidden lines at x = 16 and 24.
  // The right looks along -x (-z right, y up): the hole's sides at y = 6 and 14.
  std::vector<OutlineCurve> front_visible = rectangle_outline(0, 0, 40, 20);
  front_visible.push_back(full_circle({20, 10}, 4));
  const Case cases[] = {
      {"front", {{1, 0, 0}, {0, 0, 1}}, front_visible, {}},
      {"top",
       {{1, 0, 0}, {0, 1, 0}},
       rectangle_outline(0, -10, 40, 0),
       {segment({16, -10}, {16, 0}), segment({24, -10}, {24, 0})}},
      {"right",
       {{0, 0, -1}, {1, 0, 0}},
       rectangle_outline(-10, 0, 0, 20),
       {segment({-10, 6}, {0, 6}), segment({-10, 14}, {0, 14})}},
  };
  for (const Case& c : cases) {
    std::vector<OutlineCurve> outline;
    ASSERT_EQ(geom::shape_outline(part, c.axes, outline), Status::ok) << c.view;
    expect_outline(outline, c.visible, c.hidden, c.view);
  }
}

TEST(ShapeOutline, TheHoleSeenAlongItsAxisIsAnArc) {
  std::vector<OutlineCurve> outline;
  ASSERT_EQ(geom::shape_outline(block_with_hole(), {{1, 0, 0}, {0, 0, 1}}, outline), Status::ok);
  double sweep = 0;
  for (const OutlineCurve& curve : outline)
    if (curve.visible && curve.kind == OutlineKind::arc) {
      EXPECT_NEAR(curve.center[0], 20, 1e-9);
      EXPECT_NEAR(curve.center[1], 10, 1e-9);
      EXPECT_NEAR(curve.radius, 4, 1e-9);
      EXPECT_GT(curve.sweep, 0);
      sweep += curve.sweep;
    }
  // The rim at the front, whole.
  EXPECT_NEAR(sweep, 2 * pi, 1e-9);
}

// A slab with a round end (x 0 to 20, then a half circle about (20, 5) of radius 5, y 0
// to 10, z 0 to 10) seen from the front and from behind: the round end is a half arc
// whose points run counter-clockwise from its start to its end as seen, on the right
// seen from the front (x 20 to 25), on the left seen from behind (picture x -25 to -20).
TEST(ShapeOutline, ArcsRunCounterClockwiseAsSeen) {
  const std::vector<SectionEntity> round_end = {
      line(1, {0, 0}, {20, 0}), arc(2, {20, 5}, 5, -pi / 2, pi / 2), line(3, {20, 10}, {0, 10}),
      line(4, {0, 10}, {0, 0})};
  const Shape slab = solid(geom::standard_frame(geom::StandardPlane::front, 0), round_end, 10);
  struct Case {
    const char* view;
    ViewAxes axes;
    double center_x;
    double side;  // +1: the arc's middle lies right of its centre, -1 left
  };
  const Case cases[] = {{"front", {{1, 0, 0}, {0, 0, 1}}, 20, 1}, {"back", {{-1, 0, 0}, {0, 0, -1}}, -20, -1}};
  for (const Case& c : cases) {
    std::vector<OutlineCurve> outline;
    ASSERT_EQ(geom::shape_outline(slab, c.axes, outline), Status::ok) << c.view;
    int arcs = 0;
    for (const OutlineCurve& curve : outline) {
      if (curve.kind != OutlineKind::arc || !curve.visible) continue;
      ++arcs;
      EXPECT_NEAR(curve.center[0], c.center_x, 1e-9) << c.view;
      EXPECT_NEAR(curve.center[1], 5, 1e-9) << c.view;
      EXPECT_NEAR(curve.sweep, pi, 1e-9) << c.view;
      const double end = curve.start_angle + curve.sweep, middle = curve.start_angle + curve.sweep / 2;
      EXPECT_NEAR(curve.points[0][0], curve.center[0] + 5 * std::cos(curve.start_angle), 1e-9) << c.view;
      EXPECT_NEAR(curve.points[0][1], curve.center[1] + 5 * std::sin(curve.start_angle), 1e-9) << c.view;
      EXPECT_NEAR(curve.points[1][0], curve.center[0] + 5 * std::cos(end), 1e-9) << c.view;
      EXPECT_NEAR(curve.points[1][1], curve.center[1] + 5 * std::sin(end), 1e-9) << c.view;
      EXPECT_NEAR(std::cos(middle), c.side, 1e-9) << c.view;
    }
    EXPECT_EQ(arcs, 1) << c.view;
  }
}

// A cube of side 10 from (1, 1, 1): nine edges seen, the three that meet at the far
// corner (the origin) hidden; each edge is 10 sqrt(2/3) long in the picture.
TEST(ShapeOutline, ACubeSeenIsometrically) {
  const Shape cube = solid(geom::standard_frame(geom::StandardPlane::front, 0), rectangle(0, 0, 10, 10), 10);
  std::vector<OutlineCurve> outline;
  ASSERT_EQ(geom::shape_outline(cube, geom::isometric_axes(), outline), Status::ok);
  double length[2] = {0, 0};
  for (const OutlineCurve& curve : outline) {
    ASSERT_EQ(curve.kind, OutlineKind::line);
    length[curve.visible ? 1 : 0] +=
        std::hypot(curve.points[1][0] - curve.points[0][0], curve.points[1][1] - curve.points[0][1]);
  }
  const double edge = 10 * std::sqrt(2.0 / 3.0);
  EXPECT_NEAR(length[1], 9 * edge, 1e-6);
  EXPECT_NEAR(length[0], 3 * edge, 1e-6);
  // The origin lies in the middle of the picture, at the hidden edges' meeting point; the
  // near corner (10, 10, 10) projects onto it too.
  for (const OutlineCurve& curve : of_visibility(outline, false))
    EXPECT_TRUE(std::hypot(curve.points[0][0], curve.points[0][1]) <= 1e-9 ||
                std::hypot(curve.points[1][0], curve.points[1][1]) <= 1e-9);
}

TEST(ShapeOutline, RefusesAnEmptyShapeAndAxesThatAreNoFrame) {
  std::vector<OutlineCurve> outline;
  EXPECT_EQ(geom::shape_outline(Shape{}, geom::isometric_axes(), outline), Status::bad_input);
  const Shape part = block_with_hole();
  for (const ViewAxes& axes : {ViewAxes{{2, 0, 0}, {0, 0, 1}}, ViewAxes{{1, 0, 0}, {1, 0, 0}},
                               ViewAxes{{NAN, 0, 0}, {0, 0, 1}}, ViewAxes{}})
    EXPECT_EQ(geom::shape_outline(part, axes, outline), Status::bad_input);
}

}  // namespace
}  // namespace yrltest
