// Outlines of drawing entities and the box tests of box selection.
#include "app/views/outline.h"

#include <cmath>
#include <initializer_list>

#include "toolkit/local/geomdata.h"

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kFullCircle = 6.283185307179586;

// The box with its corners ordered per axis.
ViewOutline ordered(const ViewOutline& box) {
  ViewOutline out = box;
  for (int k = 0; k < 3; ++k) {
    if (out.min[k] > out.max[k]) {
      out.min[k] = box.max[k];
      out.max[k] = box.min[k];
    }
  }
  return out;
}

// Start angle (from the sheet's x axis) and sweep of an arc. The first axis' direction is
// taken with atan2, so that axes along and near the y axis keep their quadrant.
void arc_angles(const VynArcCurve& arc, double* start, double* sweep) {
  if (arc.end_angle == kFullCircle) {
    *start = 0.0;
    *sweep = kFullCircle;
    return;
  }
  *start = std::atan2(arc.vec1[1], arc.vec1[0]) + arc.start_angle;
  *sweep = arc.end_angle;
}

// The roots in (0, 1) of a s^2 + b s + c; their number.
int unit_roots(double a, double b, double c, double* roots) {
  int n = 0;
  auto keep = [&](double s) {
    if (s > 0.0 && s < 1.0) roots[n++] = s;
  };
  if (std::fabs(a) < 1e-300) {
    if (std::fabs(b) > 1e-300) keep(-c / b);
    return n;
  }
  double d = b * b - 4 * a * c;
  if (d < 0) return 0;
  double q = -0.5 * (b + std::copysign(std::sqrt(d), b));
  keep(q / a);
  if (q != 0.0) keep(c / q);
  return n;
}

}  // namespace

void InitViewOutline(ViewOutline* outline) {
  for (int k = 0; k < 3; ++k) {
    outline->min[k] = YRL_OUTLINE_EMPTY;
    outline->max[k] = -YRL_OUTLINE_EMPTY;
  }
}

void UpdateBox(ViewOutline* outline, const double* point, int first) {
  for (int k = 0; k < 3; ++k) {
    if (first) {
      outline->min[k] = outline->max[k] = point[k];
      continue;
    }
    if (point[k] < outline->min[k]) outline->min[k] = point[k];
    if (point[k] > outline->max[k]) outline->max[k] = point[k];
  }
}

int EvalArcEntity(const VynCurvedata* curve, double t, double* point) {
  if (!curve) return VYN_TK_BAD_INPUTS;
  if (!point) return VYN_TK_NO_ERROR;
  const VynArcCurve& arc = curve->arc;
  double start = 0.0;
  double sweep = 0.0;
  arc_angles(arc, &start, &sweep);
  double a = start + t * sweep;
  point[0] = arc.origin[0] + arc.radius * std::cos(a);
  point[1] = arc.origin[1] + arc.radius * std::sin(a);
  point[2] = arc.origin[2];
  return VYN_TK_NO_ERROR;
}

void AdjustAngle(double reference, double* angle, double period) {
  if (!(period > 0.0) || !std::isfinite(*angle)) return;
  double low = reference - period / 2;
  double offset = *angle - low;
  offset -= period * std::floor(offset / period);
  if (offset >= period) offset = 0.0;  // rounding at the upper edge
  *angle = low + offset;
}

void GenArcOutline(const double* centre, const double* x_axis, const double* y_axis,
                   double start_angle, double end_angle, const double* start, const double* end,
                   ViewOutline* outline, int first) {
  UpdateBox(outline, start, first);
  UpdateBox(outline, end, 0);
  double span = end_angle - start_angle;
  double middle = span / 2;
  for (int k = 0; k < 3; ++k) {
    if (std::fabs(x_axis[k]) < 1e-9 && std::fabs(y_axis[k]) < 1e-9) continue;
    double extreme = std::atan2(y_axis[k], x_axis[k]);
    for (double a : {extreme, extreme + kPi}) {
      AdjustAngle(middle, &a, 2 * kPi);
      if (a < 0.0 || a > span) continue;
      double p[3];
      for (int j = 0; j < 3; ++j) p[j] = centre[j] + x_axis[j] * std::cos(a) + y_axis[j] * std::sin(a);
      UpdateBox(outline, p, 0);
    }
  }
}

void YrlHermite3(double s, double* values, double* first, double* second) {
  double u = 1 - s;
  if (values) {
    values[2] = s * u * u;
    values[3] = -s * s * u;
    values[0] = 2 * values[2] + u * u;
    values[1] = 1 - values[0];
  }
  if (first) {
    first[0] = -6 * s * u;
    first[1] = -first[0];
    first[2] = u - 3 * s * u;
    first[3] = first[2] - (u - s);
  }
  if (second) {
    second[0] = -6 * (u - s);
    second[1] = -second[0];
    second[2] = -1 - 3 * (u - s);
    second[3] = second[2] + 2;
  }
}

void EvalSplineEntity(const double* params, const double (*points)[3], const double (*tangents)[3], int count,
                      double t, int normalised, double* point, double* first, double* second) {
  if (count < 2 || !params || !points || !tangents) return;
  double span = params[count - 1] - params[0];
  double u = normalised ? t * span + params[0] : t;
  // The segment k with params[k] <= u < params[k + 1]; parameters before the first or
  // from the last on take the end segments.
  int k = 0;
  if (u >= params[count - 1]) {
    k = count - 2;
  } else if (u >= params[0]) {
    int low = 0;
    int high = count - 2;
    while (low <= high) {
      int mid = (low + high) / 2;
      if (u < params[mid]) {
        high = mid - 1;
      } else if (u < params[mid + 1]) {
        k = mid;
        break;
      } else {
        low = mid + 1;
      }
    }
  }
  double h = params[k + 1] - params[k];
  if (h == 0.0) h = 1.0;
  double s = (u - params[k]) / h;
  double v[4], d[4], e[4];
  YrlHermite3(s, v, d, e);
  double scale1 = normalised ? span : 1.0;
  for (int j = 0; j < 3; ++j) {
    double p0 = points[k][j], p1 = points[k + 1][j], t0 = h * tangents[k][j], t1 = h * tangents[k + 1][j];
    if (point) point[j] = v[0] * p0 + v[1] * p1 + v[2] * t0 + v[3] * t1;
    if (first) first[j] = (d[0] * p0 + d[1] * p1 + d[2] * t0 + d[3] * t1) / h * scale1;
    if (second) second[j] = (e[0] * p0 + e[1] * p1 + e[2] * t0 + e[3] * t1) / (h * h) * scale1 * scale1;
  }
}

int YrlSplineOutlineGet(const VynCurvedata* curve, ViewOutline* outline) {
  if (!curve || !outline) return VYN_TK_BAD_INPUTS;
  const VynSplineCurve& spline = curve->spline;
  int n = spline.num_points;
  if (n < 2 || !spline.params || !spline.points || !spline.tangents) return VYN_TK_NO_ERROR;
  const double* params = static_cast<const double*>(spline.params);
  const auto* points = static_cast<const double(*)[3]>(spline.points);
  const auto* tangents = static_cast<const double(*)[3]>(spline.tangents);
  for (int k = 0; k < n; ++k) UpdateBox(outline, points[k], 0);
  // Each segment's extremes per axis: where the cubic's derivative, a quadratic in s,
  // vanishes inside the segment. The derivative's Hermite coefficients of d0..d3 in s are
  // d0 = -6s + 6s^2, d1 = 6s - 6s^2, d2 = 1 - 4s + 3s^2, d3 = -2s + 3s^2.
  for (int k = 0; k + 1 < n; ++k) {
    double h = params[k + 1] - params[k];
    if (h == 0.0) h = 1.0;
    for (int j = 0; j < 2; ++j) {
      double p0 = points[k][j], p1 = points[k + 1][j], t0 = h * tangents[k][j], t1 = h * tangents[k + 1][j];
      double a = 6 * p0 - 6 * p1 + 3 * t0 + 3 * t1;
      double b = -6 * p0 + 6 * p1 - 4 * t0 - 2 * t1;
      double c = t0;
      double roots[2];
      int count = unit_roots(a, b, c, roots);
      for (int r = 0; r < count; ++r) {
        double p[3];
        EvalSplineEntity(params, points, tangents, n, params[k] + roots[r] * h, 0, p, nullptr, nullptr);
        UpdateBox(outline, p, 0);
      }
    }
  }
  return VYN_TK_NO_ERROR;
}

int GetEntityOutlineLow(const VynCurvedata* curve, int curve_type, double t0, double t1,
                        ViewOutline* outline, int init) {
  if (!curve || !outline) return VYN_TK_BAD_INPUTS;
  if (init) InitViewOutline(outline);
  switch (curve_type) {
    case VYN_CURVE_POINT: {
      double p[3];
      if (int status = VynPointdataGet(curve, p)) return status;
      UpdateBox(outline, p, 0);
      return VYN_TK_NO_ERROR;
    }
    case VYN_CURVE_LINE: {
      double a[3], b[3];
      if (int status = VynLinedataGet(curve, a, b)) return status;
      UpdateBox(outline, a, 0);
      UpdateBox(outline, b, 0);
      return VYN_TK_NO_ERROR;
    }
    case VYN_CURVE_ARC:
    case VYN_CURVE_CIRCLE: {
      double start[3], end[3];
      EvalArcEntity(curve, t0, start);
      EvalArcEntity(curve, t1, end);
      double a0 = 0.0, sweep = 0.0;
      arc_angles(curve->arc, &a0, &sweep);
      const double* centre = curve->arc.origin;
      double x_axis[3] = {start[0] - centre[0], start[1] - centre[1], start[2] - centre[2]};
      double y_axis[3] = {-x_axis[1], x_axis[0], 0.0};  // (0, 0, 1) x X
      GenArcOutline(centre, x_axis, y_axis, 0.0, (t1 - t0) * sweep, start, end, outline, 0);
      return VYN_TK_NO_ERROR;
    }
    case VYN_CURVE_SPLINE:
      return YrlSplineOutlineGet(curve, outline);
    default:
      return VYN_TK_NO_ERROR;
  }
}

int GetEntityOutline(const VynCurvedata* curve, ViewOutline* outline) {
  if (!curve || !outline) return VYN_TK_BAD_INPUTS;
  int type = 0;
  if (int status = VynCurvedataTypeGet(curve, &type)) return status;
  int status = GetEntityOutlineLow(curve, type, 0.0, 1.0, outline, 1);
  outline->min[2] = 0.0;
  outline->max[2] = 0.0;
  return status;
}

int floating_equal(double a, double b) {
  bool tiny_a = std::fabs(a) <= 1e-30;
  bool tiny_b = std::fabs(b) <= 1e-30;
  if (tiny_a && tiny_b) return 1;
  if (tiny_a || tiny_b) return 0;
  return std::fabs(a - b) <= 1e-12 * std::fabs(a) ? 1 : 0;
}

int IsPntIn2dBox(const double* point, const ViewOutline* box) {
  ViewOutline b = ordered(*box);
  for (int k = 0; k < 2; ++k) {
    if (point[k] < b.min[k] && !floating_equal(point[k], b.min[k])) return 0;
    if (point[k] > b.max[k] && !floating_equal(point[k], b.max[k])) return 0;
  }
  return 1;
}

int OutlineInBox(const ViewOutline* outline, const ViewOutline* box) {
  ViewOutline b = ordered(*box);
  return outline->min[0] >= b.min[0] && outline->min[1] >= b.min[1] && outline->max[0] <= b.max[0] &&
                 outline->max[1] <= b.max[1]
             ? 1
             : 0;
}

int OutlineAcrossBox(const ViewOutline* outline, const ViewOutline* box, int* count) {
  ViewOutline b = ordered(*box);
  const ViewOutline& o = *outline;
  int wanted = count ? *count : 0;
  int found = 0;
  for (int k = 0; k < 2; ++k) {
    int other = 1 - k;
    if (o.min[other] <= b.min[other] && o.max[other] >= b.max[other] && o.min[k] >= b.min[k] &&
        o.max[k] <= b.max[k]) {
      if (count) *count = found;
      return 1;
    }
    if (!count) continue;
    double x = k == 0 ? o.min[0] : o.max[0];
    for (double y : {o.min[1], o.max[1]}) {
      const double corner[2] = {x, y};
      if (IsPntIn2dBox(corner, &b)) ++found;
      if (found >= wanted && wanted > 0) {
        *count = found;
        return 1;
      }
    }
  }
  if (count) *count = found;
  return 0;
}

namespace {

int outline_crosses(const ViewOutline& outline, const ViewOutline* box) {
  int corners = 2;
  if (OutlineAcrossBox(&outline, box, &corners)) return 1;
  return corners >= 1 || OutlineInBox(&outline, box) ? 1 : 0;
}

ViewOutline location_outline(const double* point) {
  ViewOutline outline;
  UpdateBox(&outline, point, 1);
  return outline;
}

}  // namespace

int IsEntityInBox(const VynCurvedata* curve, const ViewOutline* box) {
  ViewOutline outline;
  if (GetEntityOutline(curve, &outline) != VYN_TK_NO_ERROR) return 0;
  return OutlineInBox(&outline, box);
}

int IsEntityCrossBox(const VynCurvedata* curve, const ViewOutline* box) {
  ViewOutline outline;
  if (GetEntityOutline(curve, &outline) != VYN_TK_NO_ERROR) return 0;
  return outline_crosses(outline, box);
}

int IsLocationInBox(const double* point, const ViewOutline* box) {
  ViewOutline outline = location_outline(point);
  return OutlineInBox(&outline, box);
}

int IsLocationCrossBox(const double* point, const ViewOutline* box) {
  return outline_crosses(location_outline(point), box);
}

int IsEntArc(const VynCurvedata* curve) {
  if (!curve) return 0;
  return curve->arc.end_angle == kFullCircle ? 0 : 1;
}
