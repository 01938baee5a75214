// Base fixture of the host's tests (every test starts from the host's start state) and
// small helpers they share.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host/display/graphics.h"
#include "host/util/host_testing.h"
#include "toolkit/api/host_types.h"
#include "toolkit/local/geomdata.h"

namespace yrltest {

// A line curve record in the drawing plane from (x1, y1) to (x2, y2).
inline VynCurvedata line_curve(double x1, double y1, double x2, double y2) {
  VynCurvedata curve{};
  curve.line.type = VYN_CURVE_LINE;
  curve.line.end1[0] = x1;
  curve.line.end1[1] = y1;
  curve.line.end2[0] = x2;
  curve.line.end2[1] = y2;
  return curve;
}

// A section line (or centerline, or point at the start) from (x0, y0) to (x1, y1).
inline Vyn2dEntity line2d(double x0, double y0, double x1, double y1, int type = VYN_2D_LINE) {
  Vyn2dEntity entity{};
  entity.type = type;
  entity.start[0] = x0;
  entity.start[1] = y0;
  entity.end[0] = x1;
  entity.end[1] = y1;
  return entity;
}
inline Vyn2dEntity circle2d(double cu, double cv, double radius) {
  Vyn2dEntity entity{};
  entity.type = VYN_2D_CIRCLE;
  entity.center[0] = cu;
  entity.center[1] = cv;
  entity.radius = radius;
  return entity;
}

// A colour of a colour type, and one of red, green and blue.
inline VynColor colour_type(int type) {
  VynColor colour{};
  colour.method = 1;
  colour.value.type = type;
  return colour;
}

inline VynColor rgb(double r, double g, double b) { return yrlhost::host_rgb_colour(r, g, b); }

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override { yrlhost::host_testing_reset(); }
  void TearDown() override { yrlhost::host_testing_reset(); }
};

}  // namespace yrltest
