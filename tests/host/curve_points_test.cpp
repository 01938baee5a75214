// Points and parameters along lines and arcs in the toolkit's curve records.
#include "host/display/curve_points.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "tests/host/host_test.h"

namespace {

constexpr double pi = std::numbers::pi;

// An arc around (cx, cy) of radius r whose first axis points at angle axis.
VynCurvedata arc(double cx, double cy, double r, double axis, double start, double sweep) {
  VynCurvedata curve{};
  curve.arc.type = VYN_CURVE_ARC;
  curve.arc.vec1[0] = std::cos(axis);
  curve.arc.vec1[1] = std::sin(axis);
  curve.arc.vec2[0] = -std::sin(axis);
  curve.arc.vec2[1] = std::cos(axis);
  curve.arc.origin[0] = cx;
  curve.arc.origin[1] = cy;
  curve.arc.start_angle = start;
  curve.arc.end_angle = sweep;
  curve.arc.radius = r;
  return curve;
}

TEST(CurvePoints, TheParameterOfAPointIsThatOfTheNearestCurvePoint) {
  struct Case {
    const char* what;
    VynCurvedata curve;
    double x, y;
    double parameter;
  } cases[] = {
      {"line, above a quarter", yrltest::line_curve(0, 0, 10, 0), 2.5, 3, 0.25},
      {"line, beyond its end", yrltest::line_curve(0, 0, 10, 0), 12, 1, 1.0},
      {"line, before its start", yrltest::line_curve(0, 0, 10, 0), -1, 0, 0.0},
      {"line reversed", yrltest::line_curve(10, 0, 0, 0), 2.5, 0, 0.75},
      {"line of no length", yrltest::line_curve(3, 3, 3, 3), 9, 9, 0.0},
      {"quarter arc, its end", arc(0, 0, 1, 0, 0, pi / 2), 0, 1, 1.0},
      {"quarter arc, a third", arc(0, 0, 2, 0, 0, pi / 2), 2 * std::cos(pi / 6), 2 * std::sin(pi / 6),
       1.0 / 3},
      {"quarter arc, off its start", arc(0, 0, 1, 0, 0, pi / 2), std::cos(-0.2), std::sin(-0.2), 0.0},
      {"quarter arc, off its end", arc(0, 0, 1, 0, 0, pi / 2), std::cos(2.2), std::sin(2.2), 1.0},
      {"quarter arc, its axis turned", arc(0, 0, 1, pi / 2, 0, pi / 2), -1, 0, 1.0},
      {"quarter arc, its start angle", arc(5, 5, 1, 0, pi, pi / 2), 5, 4, 1.0},
      {"quarter arc, swept backwards", arc(0, 0, 1, 0, 0, -pi / 2), 0, -1, 1.0},
      {"full circle", arc(0, 0, 1, 0, 0, 2 * pi), 0, -1, 0.75},
      {"full circle starts at angle 0", arc(0, 0, 1, pi / 2, 1.0, 6.283185307179586), 0, -1, 0.75},
  };
  for (const Case& c : cases) {
    const double point[3] = {c.x, c.y, 0};
    double parameter = -1;
    ASSERT_TRUE(yrlhost::curve_parameter_at(c.curve, point, &parameter)) << c.what;
    EXPECT_NEAR(parameter, c.parameter, 1e-12) << c.what;
  }
}

// The point at a parameter lies on the curve, and its parameter is the one asked for.
TEST(CurvePoints, PointsAtParametersGoBackToTheirParameters) {
  const VynCurvedata curves[] = {yrltest::line_curve(1, 2, 5, 6), arc(1, 1, 3, 0.3, 0.2, 1.5),
                                 arc(0, 0, 2, 0, 0, -pi), arc(0, 0, 1, 0, 0, 2 * pi)};
  for (const VynCurvedata& curve : curves) {
    for (double t : {0.0, 0.1, 0.5, 0.9}) {
      double point[3] = {};
      ASSERT_TRUE(yrlhost::curve_point_at(curve, t, point));
      double back = -1;
      ASSERT_TRUE(yrlhost::curve_parameter_at(curve, point, &back));
      EXPECT_NEAR(back, t, 1e-12) << "type " << curve.line.type << " at " << t;
    }
  }
  double point[3];
  ASSERT_TRUE(yrlhost::curve_point_at(yrltest::line_curve(1, 2, 5, 6), 0.5, point));
  EXPECT_EQ(point[0], 3);
  EXPECT_EQ(point[1], 4);
  ASSERT_TRUE(yrlhost::curve_point_at(arc(1, 1, 3, 0, 0, pi / 2), 1.0, point));
  EXPECT_NEAR(point[0], 1, 1e-15);
  EXPECT_EQ(point[1], 4);
}

TEST(CurvePoints, OtherKindsOfCurveHaveNoParameter) {
  VynCurvedata dot{};
  dot.point.type = VYN_CURVE_POINT;
  VynCurvedata spline{};
  spline.bspline.type = VYN_CURVE_SPLINE;
  const double at[3] = {0, 0, 0};
  double written[3] = {7, 7, 7};
  for (const VynCurvedata& curve : {dot, spline}) {
    EXPECT_FALSE(yrlhost::curve_parameter_at(curve, at, &written[0]));
    EXPECT_FALSE(yrlhost::curve_point_at(curve, 0.5, written));
    EXPECT_EQ(written[0], 7);
  }
}

}  // namespace
