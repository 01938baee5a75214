// Points and parameters along lines and arcs.
#include "host/display/curve_points.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace yrlhost {
namespace {

constexpr double full_turn = 2 * std::numbers::pi;  // 6.283185307179586

int curve_type(const VynCurvedata& curve) { return curve.line.type & 0xff; }

// The angle where an arc starts.
double arc_start(const VynArcCurve& arc) {
  if (arc.end_angle == full_turn) return 0.0;
  return std::atan2(arc.vec1[1], arc.vec1[0]) + arc.start_angle;
}

}  // namespace

bool curve_point_at(const VynCurvedata& curve, double t, double point[3]) {
  if (curve_type(curve) == VYN_CURVE_LINE) {
    const VynLineCurve& line = curve.line;
    for (int k = 0; k < 3; ++k) point[k] = line.end1[k] + t * (line.end2[k] - line.end1[k]);
    return true;
  }
  if (curve_type(curve) == VYN_CURVE_ARC) {
    const VynArcCurve& arc = curve.arc;
    double a = arc_start(arc) + t * arc.end_angle;
    point[0] = arc.origin[0] + arc.radius * std::cos(a);
    point[1] = arc.origin[1] + arc.radius * std::sin(a);
    point[2] = arc.origin[2];
    return true;
  }
  return false;
}

bool curve_parameter_at(const VynCurvedata& curve, const double point[3], double* parameter) {
  if (curve_type(curve) == VYN_CURVE_LINE) {
    const VynLineCurve& line = curve.line;
    double along = 0, length2 = 0;
    for (int k = 0; k < 3; ++k) {
      double d = line.end2[k] - line.end1[k];
      along += (point[k] - line.end1[k]) * d;
      length2 += d * d;
    }
    *parameter = length2 > 0 ? std::clamp(along / length2, 0.0, 1.0) : 0.0;
    return true;
  }
  if (curve_type(curve) == VYN_CURVE_ARC) {
    const VynArcCurve& arc = curve.arc;
    double span = std::fabs(arc.end_angle);
    if (!(span > 0)) {
      *parameter = 0.0;
      return true;
    }
    // The angle from the start, counted in the arc's own direction, in [0, 2 pi).
    double angle = std::atan2(point[1] - arc.origin[1], point[0] - arc.origin[0]) - arc_start(arc);
    if (arc.end_angle < 0) angle = -angle;
    angle = std::fmod(angle, full_turn);
    if (angle < 0) angle += full_turn;
    if (angle <= span)
      *parameter = std::min(angle / span, 1.0);
    else  // beyond the end: the end nearer in angle
      *parameter = angle - span < full_turn - angle ? 1.0 : 0.0;
    return true;
  }
  return false;
}

}  // namespace yrlhost
