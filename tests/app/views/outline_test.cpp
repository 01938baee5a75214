// Outlines of points, lines, arcs and splines against independent computations, the box
// tests, and the reference point of a view of arcs read from the host's drawing.
#include "app/views/outline.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "app/views/views.h"
#include "host/store/drawings.h"
#include "tests/app/util/apputil_fixture.h"
#include "toolkit/local/geomdata.h"

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kFull = 6.283185307179586;

VynCurvedata arc_curve(double cx, double cy, double radius, double axis_angle, double start, double sweep) {
  VynCurvedata c{};
  c.arc.type = VYN_CURVE_ARC;
  c.arc.vec1[0] = std::cos(axis_angle);
  c.arc.vec1[1] = std::sin(axis_angle);
  c.arc.vec2[0] = -std::sin(axis_angle);
  c.arc.vec2[1] = std::cos(axis_angle);
  c.arc.origin[0] = cx;
  c.arc.origin[1] = cy;
  c.arc.start_angle = start;
  c.arc.end_angle = sweep;
  c.arc.radius = radius;
  return c;
}

ViewOutline box(double x0, double y0, double x1, double y1) { return ViewOutline{{x0, y0, 0}, {x1, y1, 0}}; }

ViewOutline outline_of(const VynCurvedata& c) {
  ViewOutline o;
  EXPECT_EQ(GetEntityOutline(&c, &o), 0);
  return o;
}

// The box of a dense sampling of the arc, computed from angles directly.
ViewOutline sampled_arc(double cx, double cy, double r, double a0, double sweep) {
  ViewOutline o;
  for (int i = 0; i <= 100000; ++i) {
    double a = a0 + sweep * i / 100000.0;
    const double p[3] = {cx + r * std::cos(a), cy + r * std::sin(a), 0};
    UpdateBox(&o, p, i == 0);
  }
  return o;
}

TEST(Outline, EmptyThenGrownPointByPoint) {
  ViewOutline o;
  InitViewOutline(&o);
  EXPECT_EQ(o.min[0], 999999999.9999999);
  EXPECT_EQ(o.max[2], -999999999.9999999);
  const double p[3] = {3, -4, 5};
  UpdateBox(&o, p, 0);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(o.min[k], p[k]);
    EXPECT_EQ(o.max[k], p[k]);
  }
  const double q[3] = {-1, 7, 5};
  UpdateBox(&o, q, 0);
  EXPECT_EQ(o.min[0], -1);
  EXPECT_EQ(o.max[1], 7);
  UpdateBox(&o, q, 1);  // first: both corners become the point
  EXPECT_EQ(o.min[1], 7);
  EXPECT_EQ(o.max[0], -1);
}

TEST(Outline, PointsAndLinesWithZeroZ) {
  VynCurvedata pt{};
  const double p[3] = {2, 3, 9};
  VynPointdataInit(p, &pt);
  ViewOutline o = outline_of(pt);
  EXPECT_EQ(o.min[0], 2);
  EXPECT_EQ(o.max[1], 3);
  EXPECT_EQ(o.max[2], 0);
  VynCurvedata line{};
  const double a[3] = {5, -1, 0}, b[3] = {-2, 4, 0};
  VynLinedataInit(a, b, &line);
  o = outline_of(line);
  EXPECT_EQ(o.min[0], -2);
  EXPECT_EQ(o.min[1], -1);
  EXPECT_EQ(o.max[0], 5);
  EXPECT_EQ(o.max[1], 4);
  // Kinds without an outline leave it empty.
  VynCurvedata text{};
  text.text.type = VYN_CURVE_TEXT;
  o = outline_of(text);
  EXPECT_GT(o.min[0], o.max[0]);
}

TEST(Outline, ArcsAgainstDenseSampling) {
  struct Case {
    double cx, cy, r, axis, start, sweep;
  };
  const Case cases[] = {
      {0, 0, 5, 0, 0, kPi / 2},                 // quarter arc: (0,0)-(r,r) and its ends
      {0, 0, 5, 0, 0, kPi},                     // half arc reaches y = r
      {10, -3, 2, 0.3, 0.2, 4.0},               // over several extremes
      {1, 1, 3, kPi / 2 + 0.003, 0.1, 1.0},     // first axis just past the y axis
      {1, 1, 3, -kPi / 2 - 0.003, 0.1, 1.0},    // and its opposite
      {-4, 2, 1.5, 2.5, 5.0, 2.0},              // start beyond 2 pi
      {0, 0, 2, 1.0, 0, kFull},                 // full circle
      {3, 4, 1, 0, kPi / 4, 1e-4},              // tiny arc
  };
  for (const Case& c : cases) {
    VynCurvedata arc = arc_curve(c.cx, c.cy, c.r, c.axis, c.start, c.sweep);
    ViewOutline o = outline_of(arc);
    double a0 = c.sweep == kFull ? 0.0 : c.axis + c.start;
    ViewOutline s = sampled_arc(c.cx, c.cy, c.r, a0, c.sweep);
    for (int k = 0; k < 2; ++k) {
      EXPECT_NEAR(o.min[k], s.min[k], 1e-6) << c.axis << " " << c.start << " " << k;
      EXPECT_NEAR(o.max[k], s.max[k], 1e-6) << c.axis << " " << c.start << " " << k;
    }
    // A circle record (type 10) reads like the arc.
    arc.arc.type = VYN_CURVE_CIRCLE;
    ViewOutline circle = outline_of(arc);
    EXPECT_EQ(circle.max[0], o.max[0]);
    EXPECT_EQ(circle.min[1], o.min[1]);
  }
  ViewOutline quarter = outline_of(arc_curve(0, 0, 5, 0, 0, kPi / 2));
  EXPECT_NEAR(quarter.min[0], 0, 1e-12);
  EXPECT_NEAR(quarter.min[1], 0, 1e-12);
  EXPECT_NEAR(quarter.max[0], 5, 1e-12);
  EXPECT_NEAR(quarter.max[1], 5, 1e-12);
}

TEST(Outline, ArcPointsAndFullCircles) {
  VynCurvedata arc = arc_curve(1, 2, 3, kPi / 2, 0, kPi);
  double p[3];
  ASSERT_EQ(EvalArcEntity(&arc, 0.5, p), 0);
  EXPECT_NEAR(p[0], -2, 1e-12);
  EXPECT_NEAR(p[1], 2, 1e-12);
  EXPECT_EQ(EvalArcEntity(&arc, 0.5, nullptr), 0);
  EXPECT_EQ(IsEntArc(&arc), 1);
  arc.arc.end_angle = kFull;
  EXPECT_EQ(IsEntArc(&arc), 0);
  // A full circle starts at angle 0 whatever its axis.
  ASSERT_EQ(EvalArcEntity(&arc, 0.25, p), 0);
  EXPECT_NEAR(p[0], 1, 1e-12);
  EXPECT_NEAR(p[1], 5, 1e-12);
  arc.arc.end_angle = std::nextafter(kFull, 0.0);
  EXPECT_EQ(IsEntArc(&arc), 1);
}

TEST(Outline, AngleAdjustment) {
  const double period = 2 * kPi;
  for (double angle : {-100.0, -7.0, -3.0, 0.0, 1.0, 3.2, 9.0, 1e4}) {
    for (double ref : {0.0, 1.0, -2.0, 50.0}) {
      double a = angle;
      AdjustAngle(ref, &a, period);
      EXPECT_GE(a, ref - kPi - 1e-9);
      EXPECT_LT(a, ref + kPi);
      double turns = (angle - a) / period;
      EXPECT_NEAR(turns, std::round(turns), 1e-9);
    }
  }
  double a = 5.0;
  AdjustAngle(0.0, &a, 0.0);
  EXPECT_EQ(a, 5.0);
}

TEST(Outline, HermiteBasis) {
  for (double s : {0.0, 0.25, 0.5, 0.9, 1.0}) {
    double v[4], d[4], e[4];
    YrlHermite3(s, v, d, e);
    EXPECT_NEAR(v[0], 2 * s * s * s - 3 * s * s + 1, 1e-15);
    EXPECT_NEAR(v[1], -2 * s * s * s + 3 * s * s, 1e-15);
    EXPECT_NEAR(v[2], s * s * s - 2 * s * s + s, 1e-15);
    EXPECT_NEAR(v[3], s * s * s - s * s, 1e-15);
    EXPECT_NEAR(d[0], 6 * s * s - 6 * s, 1e-15);
    EXPECT_NEAR(d[2], 3 * s * s - 4 * s + 1, 1e-15);
    EXPECT_NEAR(d[3], 3 * s * s - 2 * s, 1e-15);
    EXPECT_NEAR(e[0], 12 * s - 6, 1e-15);
    EXPECT_NEAR(e[2], 6 * s - 4, 1e-15);
    EXPECT_NEAR(e[3], 6 * s - 2, 1e-15);
  }
  YrlHermite3(0.5, nullptr, nullptr, nullptr);
}

struct SplineData {
  std::vector<double> params;
  std::vector<std::array<double, 3>> points, tangents;
  VynCurvedata curve() {
    VynCurvedata c{};
    c.spline.type = VYN_CURVE_SPLINE;
    c.spline.params = params.data();
    c.spline.points = points.data();
    c.spline.tangents = tangents.data();
    c.spline.num_points = static_cast<int>(params.size());
    return c;
  }
};

TEST(Outline, SplinesAgainstTheHostsHermiteCurve) {
  // Tangents that make the curve bulge well beyond its points and its segment middles.
  SplineData s{{0, 1, 3, 3.5},
               {{{0, 0, 0}}, {{4, 1, 0}}, {{6, -2, 0}}, {{7, 0, 0}}},
               {{{0, 9, 0}}, {{8, -1, 0}}, {{-3, -7, 0}}, {{2, 12, 0}}}};
  VynCurvedata c = s.curve();
  ViewOutline o = outline_of(c);
  yrlhost::DraftCurve host;
  host.record = c;
  for (std::size_t i = 0; i < s.params.size(); ++i) {
    yrlhost::SplineKnot knot;
    knot.parameter = s.params[i];
    for (int j = 0; j < 3; ++j) knot.point[j] = s.points[i][j], knot.tangent[j] = s.tangents[i][j];
    host.spline.push_back(knot);
  }
  ViewOutline sampled;
  const int n = 200000;
  for (int i = 0; i <= n; ++i) {
    double p[3];
    ASSERT_TRUE(yrlhost::draft_curve_point(host, static_cast<double>(i) / n, p));
    UpdateBox(&sampled, p, i == 0);
    double q[3];
    EvalSplineEntity(s.params.data(), reinterpret_cast<const double(*)[3]>(s.points.data()),
                     reinterpret_cast<const double(*)[3]>(s.tangents.data()), 4, static_cast<double>(i) / n, 1, q,
                     nullptr, nullptr);
    EXPECT_NEAR(q[0], p[0], 1e-9);
    EXPECT_NEAR(q[1], p[1], 1e-9);
  }
  for (int k = 0; k < 2; ++k) {
    EXPECT_NEAR(o.min[k], sampled.min[k], 1e-6) << k;
    EXPECT_NEAR(o.max[k], sampled.max[k], 1e-6) << k;
    EXPECT_LE(o.min[k], sampled.min[k]);
    EXPECT_GE(o.max[k], sampled.max[k]);
  }
  // Derivatives against differences of points.
  const auto* pts = reinterpret_cast<const double(*)[3]>(s.points.data());
  const auto* tan = reinterpret_cast<const double(*)[3]>(s.tangents.data());
  double p0[3], p1[3], d[3], dd[3], d1[3];
  const double h = 1e-6;
  EvalSplineEntity(s.params.data(), pts, tan, 4, 0.4, 1, p0, d, dd);
  EvalSplineEntity(s.params.data(), pts, tan, 4, 0.4 + h, 1, p1, d1, nullptr);
  EXPECT_NEAR((p1[0] - p0[0]) / h, d[0], 1e-3);
  EXPECT_NEAR((d1[1] - d[1]) / h, dd[1], 1e-2);
  // At a point the curve passes through it with its tangent.
  EvalSplineEntity(s.params.data(), pts, tan, 4, 1.0, 0, p0, d, nullptr);
  EXPECT_NEAR(p0[0], 4, 1e-12);
  EXPECT_NEAR(d[1], -1, 1e-12);
  // One point adds nothing.
  c.spline.num_points = 1;
  o = outline_of(c);
  EXPECT_GT(o.min[0], o.max[0]);
}

TEST(BoxTests, PointsOnAndNearEdges) {
  const ViewOutline b = box(10, 10, 0, 0);  // corners in any order
  struct Case {
    double x, y;
    int inside;
  };
  const Case cases[] = {
      {5, 5, 1},           {0, 0, 1},          {10, 10, 1},        {10, 5, 1},
      {10 * (1 + 1e-13), 5, 1}, {10 * (1 + 1e-11), 5, 0}, {-1e-31, 5, 1}, {-1e-20, 5, 0},
      {11, 5, 0},          {5, -0.5, 0},
  };
  for (const Case& c : cases) {
    const double p[2] = {c.x, c.y};
    EXPECT_EQ(IsPntIn2dBox(p, &b), c.inside) << c.x << "," << c.y;
    const double p3[3] = {c.x, c.y, 0};
    EXPECT_EQ(IsLocationCrossBox(p3, &b), c.inside) << c.x << "," << c.y;
  }
  EXPECT_EQ(floating_equal(0, 1e-31), 1);
  EXPECT_EQ(floating_equal(0, 1e-29), 0);
  EXPECT_EQ(floating_equal(1, 1 + 1e-13), 1);
}

TEST(BoxTests, InsideAndCrossing) {
  const ViewOutline b = box(0, 0, 10, 10);
  VynCurvedata line{};
  auto line_at = [&](double x0, double y0, double x1, double y1) {
    const double a[3] = {x0, y0, 0}, e[3] = {x1, y1, 0};
    VynLinedataInit(a, e, &line);
    return line;
  };
  struct Case {
    const char* what;
    double x0, y0, x1, y1;
    int inside, cross;
  };
  const Case cases[] = {
      {"inside", 1, 1, 9, 9, 1, 1},
      {"on the edges", 0, 0, 10, 10, 1, 1},
      {"one end out", 5, 5, 15, 5, 0, 1},
      {"through in x", -5, 5, 15, 5, 0, 1},
      {"through in y", 4, -5, 4, 15, 0, 1},
      {"diagonal through, no corner inside", -5, -4, 15, 16, 0, 0},
      {"outside", 11, 11, 20, 20, 0, 0},
      {"beside in y", -5, 12, 15, 12, 0, 0},
  };
  for (const Case& c : cases) {
    VynCurvedata l = line_at(c.x0, c.y0, c.x1, c.y1);
    EXPECT_EQ(IsEntityInBox(&l, &b), c.inside) << c.what;
    EXPECT_EQ(IsEntityCrossBox(&l, &b), c.cross) << c.what;
  }
  const double inside[3] = {3, 3, 0}, outside[3] = {-3, 3, 0};
  EXPECT_EQ(IsLocationInBox(inside, &b), 1);
  EXPECT_EQ(IsLocationInBox(outside, &b), 0);
  // The count of corners asked and found.
  ViewOutline o = box(5, 5, 15, 15);
  int count = 2;
  EXPECT_EQ(OutlineAcrossBox(&o, &b, &count), 0);
  EXPECT_EQ(count, 1);
  count = 1;
  EXPECT_EQ(OutlineAcrossBox(&o, &b, &count), 1);
  EXPECT_EQ(OutlineAcrossBox(&o, &b, nullptr), 0);
}

// ---- Reference points of views of arcs (the host's drawing) ----

class ArcViews : public yrltest::UtilTest {};

TEST_F(ArcViews, ReferencePointAndBoundsComeFromTheOutlines) {
  arc_entity(5, {1, 0, 0}, {0, 0, 0}, 0, kPi / 2, 4);  // quarter arc radius 4
  arc_entity(6, {1, 0, 0}, {20, 0, 0}, 0, kFull, 3);  // circle around (20, 0)
  VynSelection first = nullptr, second = nullptr;
  VynModelitem a = entity(5), b = entity(6);
  ASSERT_EQ(VynSelectionAlloc(nullptr, &a, &first), 0);
  ASSERT_EQ(VynSelectionAlloc(nullptr, &b, &second), 0);
  double ref[3] = {9999999.0, 9999999.0, 0};
  double bounds[6] = {};
  ASSERT_EQ(YrlReferencePointGet(1, "FRONT", first, ref, bounds), 0);
  EXPECT_NEAR(ref[0], 0, 1e-12);
  EXPECT_NEAR(ref[1], 0, 1e-12);
  EXPECT_NEAR(bounds[3], 4, 1e-12);
  EXPECT_NEAR(bounds[4], 4, 1e-12);
  ASSERT_EQ(YrlReferencePointGet(0, "FRONT", second, ref, bounds), 0);
  EXPECT_NEAR(ref[1], -3, 1e-12);
  EXPECT_NEAR(bounds[3], 23, 1e-12);
  EXPECT_NEAR(bounds[1], -3, 1e-12);
  EXPECT_NEAR(bounds[4], 4, 1e-12);
  VynSelectionFree(&first);
  VynSelectionFree(&second);
}

}  // namespace
