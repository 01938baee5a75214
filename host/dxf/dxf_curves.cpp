// Curves of the DXF import that dxflib does not make (host/dxf/dxf_read.h): the
// placements of block references and the curves they carry, ellipses and splines as the
// drawing's arcs and cubic Hermite splines.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "host/dxf/dxf_read.h"

namespace yrlhost {
namespace {

constexpr double two_pi = 2 * std::numbers::pi;
// The most points the pieces of one curved spline make between them.
constexpr std::size_t spline_points_max = 100000;

using Vec = std::array<double, 3>;

Vec vec(const double v[3]) { return {v[0], v[1], v[2]}; }

double length_of(const Vec& v) { return std::hypot(v[0], v[1], v[2]); }

// A spline of knots whose parameters increase: the curve's points and tangents there.
DraftCurve spline_of(std::vector<SplineKnot> knots) {
  DraftCurve curve;
  curve.record.point.type = VYN_CURVE_SPLINE;
  curve.spline = std::move(knots);
  return curve;
}

SplineKnot knot_at(double parameter, const Vec& point, const Vec& tangent) {
  SplineKnot knot;
  knot.parameter = parameter;
  std::copy(point.begin(), point.end(), knot.point);
  std::copy(tangent.begin(), tangent.end(), knot.tangent);
  return knot;
}

// The angle of an arc's start from +x: its first axis turned by its start angle.
double arc_start(const VynArcCurve& arc) { return std::atan2(arc.vec1[1], arc.vec1[0]) + arc.start_angle; }

// ---- B-splines -----------------------------------------------------------------------------

// The p + 1 basis functions that do not vanish on span k at u, and their derivatives.
void basis(const std::vector<double>& knots, std::size_t k, std::size_t p, double u, std::vector<double>& value,
           std::vector<double>& derivative) {
  // The basis of degree p - 1 first (for the derivatives), then of degree p.
  std::vector<double> left(p + 1), right(p + 1), lower(p + 1, 0.0);
  value.assign(p + 1, 0.0);
  value[0] = 1;
  for (std::size_t j = 1; j <= p; ++j) {
    if (j == p) lower = value;
    left[j] = u - knots[k + 1 - j];
    right[j] = knots[k + j] - u;
    double saved = 0;
    for (std::size_t r = 0; r < j; ++r) {
      const double denominator = right[r + 1] + left[j - r];
      const double term = denominator != 0 ? value[r] / denominator : 0;
      value[r] = saved + right[r + 1] * term;
      saved = left[j - r] * term;
    }
    value[j] = saved;
  }
  // N'_{i,p} = p (N_{i,p-1} / (u_{i+p} - u_i) - N_{i+1,p-1} / (u_{i+p+1} - u_{i+1})).
  derivative.assign(p + 1, 0.0);
  for (std::size_t r = 0; r <= p; ++r) {
    const std::size_t i = k - p + r;
    double d = 0;
    if (r >= 1) {
      const double width = knots[i + p] - knots[i];
      if (width != 0) d += lower[r - 1] / width;
    }
    if (r < p) {
      const double width = knots[i + p + 1] - knots[i + 1];
      if (width != 0) d -= lower[r] / width;
    }
    derivative[r] = static_cast<double>(p) * d;
  }
}

// The point and first derivative of a (rational) B-spline at u in span k.
void bspline_at(const DxfSpline& s, std::size_t k, double u, Vec& point, Vec& tangent) {
  const std::size_t p = static_cast<std::size_t>(s.degree);
  std::vector<double> n, dn;
  basis(s.knots, k, p, u, n, dn);
  Vec a{}, da{};
  double w = 0, dw = 0;
  for (std::size_t r = 0; r <= p; ++r) {
    const std::size_t i = k - p + r;
    const double weight = s.weights.empty() ? 1.0 : s.weights[i];
    for (int c = 0; c < 3; ++c) {
      a[c] += n[r] * weight * s.control[i][c];
      da[c] += dn[r] * weight * s.control[i][c];
    }
    w += n[r] * weight;
    dw += dn[r] * weight;
  }
  for (int c = 0; c < 3; ++c) {
    point[c] = a[c] / w;
    tangent[c] = (da[c] - dw * point[c]) / w;
  }
}

bool finite_all(const std::vector<SplineKnot>& knots) {
  return std::all_of(knots.begin(), knots.end(), [](const SplineKnot& k) {
    return std::isfinite(k.parameter) && std::isfinite(k.point[0]) && std::isfinite(k.point[1]) &&
           std::isfinite(k.point[2]) && std::isfinite(k.tangent[0]) && std::isfinite(k.tangent[1]) &&
           std::isfinite(k.tangent[2]);
  });
}

bool has_length(const std::vector<Vec>& points) {
  return std::any_of(points.begin(), points.end(), [&](const Vec& p) { return p != points.front(); });
}

std::vector<DraftCurve> control_spline_curves(const DxfSpline& s, std::string& reason) {
  const std::size_t n = s.control.size();
  if (s.degree < 1 || s.degree > 25) {
    reason = "degree not from 1 to 25";
    return {};
  }
  const std::size_t p = static_cast<std::size_t>(s.degree);
  if (n < p + 1 || s.knots.size() != n + p + 1 ||
      !std::is_sorted(s.knots.begin(), s.knots.end()) || !(s.knots[n] > s.knots[p])) {
    reason = "knots do not fit";
    return {};
  }
  if (!s.weights.empty() &&
      (s.weights.size() != n || !std::all_of(s.weights.begin(), s.weights.end(), [](double w) { return w > 0; }))) {
    reason = "weights do not fit";
    return {};
  }
  if (!has_length(s.control)) {
    reason = "no length";
    return {};
  }
  // A curve of degree up to 3 is exact through its points at the knots; another is cut
  // into pieces, fewer on a long curve so that it makes at most spline_points_max points.
  const bool exact = s.weights.empty() && p <= 3;
  const int steps = exact ? 1 : static_cast<int>(std::clamp<std::size_t>(spline_points_max / (n - p), 1, 32));
  std::vector<DraftCurve> curves;
  std::vector<SplineKnot> piece;
  // Through each span of the domain; a knot repeated p times (or more) inside it is a
  // corner, where one piece ends and the next begins.
  for (std::size_t k = p; k < n; ++k) {
    const double from = s.knots[k], to = s.knots[k + 1];
    if (!(to > from)) continue;
    for (int step = 0; step <= steps; ++step) {
      const double u = step == steps ? to : from + (to - from) * step / steps;
      if (!piece.empty() && step == 0) continue;  // the end of the span before
      Vec point{}, tangent{};
      bspline_at(s, k, u, point, tangent);
      piece.push_back(knot_at(u, point, tangent));
    }
    // A knot repeated p times is a corner: the next span starts a piece of its own.
    const auto [first, last] = std::equal_range(s.knots.begin(), s.knots.end(), to);
    const std::size_t repeated = static_cast<std::size_t>(last - first);
    if (k + 1 < n && repeated < p) continue;
    if (p == 1) {
      // Degree 1: straight lines between the points.
      for (std::size_t i = 0; i + 1 < piece.size(); ++i)
        if (vec(piece[i].point) != vec(piece[i + 1].point))
          curves.push_back(draft_line(piece[i].point, piece[i + 1].point));
    } else {
      curves.push_back(spline_of(std::move(piece)));
    }
    piece.clear();
  }
  for (const DraftCurve& curve : curves)
    if (!finite_all(curve.spline)) {
      reason = "not finite";
      return {};
    }
  return curves;
}

// Through the fit points: chord-length parameters, the tangent at a point along the
// chord of its neighbours, at the ends the file's end tangents (made as long as the
// parameter runs) or the end chords.
std::vector<DraftCurve> fit_spline_curves(const DxfSpline& s, std::string& reason) {
  std::vector<Vec> points;
  for (const Vec& p : s.fit)
    if (points.empty() || p != points.back()) points.push_back(p);
  if ((s.flags & 1) && points.size() > 2 && points.back() != points.front()) points.push_back(points.front());
  if (points.size() < 2) {
    reason = s.fit.size() < 2 ? "fewer than 2 points" : "no length";
    return {};
  }
  const std::size_t count = points.size();
  std::vector<double> t(count, 0.0);
  for (std::size_t i = 1; i < count; ++i) {
    Vec chord{points[i][0] - points[i - 1][0], points[i][1] - points[i - 1][1], points[i][2] - points[i - 1][2]};
    t[i] = t[i - 1] + length_of(chord);
  }
  auto difference = [&](std::size_t a, std::size_t b) {
    Vec d{};
    for (int c = 0; c < 3; ++c) d[c] = (points[b][c] - points[a][c]) / (t[b] - t[a]);
    return d;
  };
  auto given = [](const std::optional<Vec>& tangent, const Vec& otherwise) {
    if (!tangent) return otherwise;
    const double length = length_of(*tangent);
    if (!(length > 0) || !std::isfinite(length)) return otherwise;
    return Vec{(*tangent)[0] / length, (*tangent)[1] / length, (*tangent)[2] / length};
  };
  std::vector<SplineKnot> knots;
  for (std::size_t i = 0; i < count; ++i) {
    Vec tangent;
    if (i == 0) tangent = given(s.start_tangent, difference(0, 1));
    else if (i + 1 == count) tangent = given(s.end_tangent, difference(count - 2, count - 1));
    else tangent = difference(i - 1, i + 1);
    knots.push_back(knot_at(t[i], points[i], tangent));
  }
  if (!finite_all(knots)) {
    reason = "not finite";
    return {};
  }
  return {spline_of(std::move(knots))};
}

}  // namespace

// ---- Placements ------------------------------------------------------------------------------

DxfPlacement dxf_placement_of_reference(const DxfPlacement& outer, const double base[3],
                                        const double insertion[3], const double scale[3],
                                        double rotation, bool from_below) {
  const double turn = rotation * std::numbers::pi / 180;
  const double c = std::cos(turn), s = std::sin(turn);
  // In the reference's plane: p -> insertion + R S (p - base); from below, x and z turn.
  double own[3][3] = {{c * scale[0], -s * scale[1], 0}, {s * scale[0], c * scale[1], 0}, {0, 0, scale[2]}};
  double offset[3];
  for (int i = 0; i < 3; ++i)
    offset[i] = insertion[i] - (own[i][0] * base[0] + own[i][1] * base[1] + own[i][2] * base[2]);
  if (from_below)
    for (int i : {0, 2}) {
      for (double& v : own[i]) v = 0.0 - v;
      offset[i] = 0.0 - offset[i];
    }
  DxfPlacement placed;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j)
      placed.linear[i][j] =
          outer.linear[i][0] * own[0][j] + outer.linear[i][1] * own[1][j] + outer.linear[i][2] * own[2][j];
    placed.offset[i] = outer.linear[i][0] * offset[0] + outer.linear[i][1] * offset[1] +
                       outer.linear[i][2] * offset[2] + outer.offset[i];
  }
  return placed;
}

std::array<double, 3> dxf_placed_direction(const DxfPlacement& placement, const double direction[3]) {
  std::array<double, 3> out{};
  for (int i = 0; i < 3; ++i)
    out[i] = placement.linear[i][0] * direction[0] + placement.linear[i][1] * direction[1] +
             placement.linear[i][2] * direction[2];
  return out;
}

std::array<double, 3> dxf_placed_point(const DxfPlacement& placement, const double point[3],
                                       double unit_scale) {
  std::array<double, 3> out = dxf_placed_direction(placement, point);
  for (int i = 0; i < 3; ++i) out[i] += placement.offset[i] * unit_scale;
  return out;
}

bool dxf_placement_keeps_shapes(const DxfPlacement& placement) {
  const double(&m)[3][3] = placement.linear;
  const double size = std::max({std::fabs(m[0][0]), std::fabs(m[0][1]), std::fabs(m[1][0]), std::fabs(m[1][1])});
  const double slack = 1e-12 * size;
  // x and y stay in the sheet's plane, and the 2 x 2 part is a scaled turn or mirror.
  if (std::fabs(m[2][0]) > slack || std::fabs(m[2][1]) > slack || !(size > 0)) return false;
  const bool turn = std::fabs(m[0][0] - m[1][1]) <= slack && std::fabs(m[0][1] + m[1][0]) <= slack;
  const bool mirror = std::fabs(m[0][0] + m[1][1]) <= slack && std::fabs(m[0][1] - m[1][0]) <= slack;
  return turn || mirror;
}

DraftCurve dxf_placed_curve(const DraftCurve& curve, const DxfPlacement& placement, double unit_scale) {
  const VynCurvedata& r = curve.record;
  switch (r.point.type) {
    case VYN_CURVE_POINT:
      return draft_point(dxf_placed_point(placement, r.point.pos, unit_scale).data());
    case VYN_CURVE_LINE:
      return draft_line(dxf_placed_point(placement, r.line.end1, unit_scale).data(),
                        dxf_placed_point(placement, r.line.end2, unit_scale).data());
    case VYN_CURVE_ARC: {
      const VynArcCurve& arc = r.arc;
      const double start = arc_start(arc);
      const std::array<double, 3> centre = dxf_placed_point(placement, arc.origin, unit_scale);
      if (!dxf_placement_keeps_shapes(placement)) {
        const double x[3] = {arc.radius, 0, 0}, y[3] = {0, arc.radius, 0};
        const std::array<double, 3> major = dxf_placed_direction(placement, x);
        const std::array<double, 3> minor = dxf_placed_direction(placement, y);
        return dxf_elliptic_spline(centre.data(), major.data(), minor.data(), start, start + arc.end_angle);
      }
      // A mirror turns the arc round: it runs from the image of its end.
      const double(&m)[3][3] = placement.linear;
      const double scale = std::hypot(m[0][0], m[1][0]);
      const bool mirrored = m[0][0] * m[1][1] - m[0][1] * m[1][0] < 0;
      const double from = mirrored ? start + arc.end_angle : start;
      const double image = std::atan2(m[1][0] * std::cos(from) + m[1][1] * std::sin(from),
                                      m[0][0] * std::cos(from) + m[0][1] * std::sin(from));
      // A full circle starts at angle 0, as the import's circles do.
      const bool full = arc.end_angle == full_circle_sweep;
      return draft_arc(centre.data(), arc.radius * scale, full ? 0 : image, arc.end_angle);
    }
    case VYN_CURVE_SPLINE: {
      std::vector<SplineKnot> knots = curve.spline;
      for (SplineKnot& knot : knots) {
        const std::array<double, 3> point = dxf_placed_point(placement, knot.point, unit_scale);
        const std::array<double, 3> tangent = dxf_placed_direction(placement, knot.tangent);
        std::copy(point.begin(), point.end(), knot.point);
        std::copy(tangent.begin(), tangent.end(), knot.tangent);
      }
      return spline_of(std::move(knots));
    }
    default:
      return curve;
  }
}

// ---- Ellipses and splines ----------------------------------------------------------------------

DraftCurve dxf_elliptic_spline(const double center[3], const double major[3], const double minor[3],
                               double start, double end) {
  // 64 a full turn; a sweep that is no number of turns makes one piece.
  const double turns = (end - start) / two_pi;
  const int steps = turns > 0 && turns <= 1 ? std::max(1, static_cast<int>(std::ceil(turns * 64 - 1e-9))) : 1;
  std::vector<SplineKnot> knots;
  for (int i = 0; i <= steps; ++i) {
    const double t = i == steps ? end : start + (end - start) * i / steps;
    const double c = std::cos(t), s = std::sin(t);
    Vec point{}, tangent{};
    for (int k = 0; k < 3; ++k) {
      point[k] = center[k] + major[k] * c + minor[k] * s;
      tangent[k] = -major[k] * s + minor[k] * c;
    }
    knots.push_back(knot_at(t, point, tangent));
  }
  return spline_of(std::move(knots));
}

bool dxf_ellipse_curve(const DxfEllipse& e, DraftCurve& out, std::string& reason) {
  const double normal_length = std::hypot(e.extrusion[0], e.extrusion[1], e.extrusion[2]);
  const double major = std::hypot(e.major[0], e.major[1], e.major[2]);
  if (!(normal_length > 0) || std::hypot(e.extrusion[0], e.extrusion[1]) > 1e-9 * normal_length ||
      std::fabs(e.major[2]) > 1e-9 * major) {
    reason = "not in the sheet plane";
    return false;
  }
  if (!(major > 0) || !(e.ratio > 0)) {
    reason = "radius not positive";
    return false;
  }
  // The minor axis is the normal times the major one, scaled by the ratio; seen from
  // below it runs the other way round.
  const double turn = e.extrusion[2] > 0 ? 1 : -1;
  const double minor[3] = {-turn * e.major[1] * e.ratio, turn * e.major[0] * e.ratio, 0};
  if (!std::isfinite(e.end - e.start)) {
    reason = "not finite";
    return false;
  }
  // From start on to end, within a turn; equal parameters (0 and 2 pi) close it.
  double sweep = std::fmod(e.end - e.start, two_pi);
  if (sweep < 0) sweep += two_pi;
  const bool full = sweep <= 1e-12 * two_pi || sweep >= two_pi * (1 - 1e-12);
  double start = std::fmod(e.start, two_pi);
  if (start < 0) start += two_pi;
  const double end = start + (full ? two_pi : sweep);
  if (std::fabs(e.ratio - 1) <= 1e-12) {
    // A circle: the point at t lies at the major axis's angle plus t (minus t from below).
    const double axis = std::atan2(e.major[1], e.major[0]);
    const double from = turn > 0 ? axis + start : axis - end;
    out = draft_arc(e.center, major, full ? 0 : from, full ? full_circle_sweep : end - start);
    return true;
  }
  out = dxf_elliptic_spline(e.center, e.major, minor, start, end);
  if (!finite_all(out.spline)) {
    reason = "not finite";
    return false;
  }
  return true;
}

std::vector<DraftCurve> dxf_spline_curves(const DxfSpline& spline, std::string& reason) {
  if (!spline.control.empty()) return control_spline_curves(spline, reason);
  if (!spline.fit.empty()) return fit_spline_curves(spline, reason);
  reason = "fewer than 2 points";
  return {};
}

}  // namespace yrlhost
