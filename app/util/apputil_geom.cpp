// Tolerant comparisons of doubles and the 2-D and 3-D line functions.
#include <cmath>

#include "app/menus/app_init.h"
#include "app/util/apputil.h"
#include "toolkit/api/app_api.h"
#include "toolkit/util/vecmath.h"

namespace {

constexpr double kParallelTol = 1e-6;
constexpr double kPointTol = 1e-6;
constexpr double kDegreesPerRadian = 57.29577951308232;

// The unit direction of a line: first point minus second point, normalised.
void line_direction(const double line[2][3], double* d) {
  VynUtilVectorNormalize(VynUtilVectorDiff(line[0], line[1], d), d);
}

bool same_point(const double* p, const double* q) {
  for (int i = 0; i < 3; ++i) {
    if (!IsYrlDoubleSame(p[i], q[i], kPointTol)) return false;
  }
  return true;
}

}  // namespace

int IsYrlDoubleSame(double a, double b, double tol) { return std::fabs(a - b) <= tol ? 1 : 0; }

int IsYrlDoubleInRange(double x, double lo, double hi, double tol) {
  return lo - tol < x && x < hi + tol ? 1 : 0;
}

int IsYrlDoubleFullyInsideRange(double x, double lo, double hi, double tol) {
  return lo + tol < x && x < hi - tol ? 1 : 0;
}

int IsYrlTwoPointsAtSameLoc(const double* p, const double* q) {
  return IsYrlDoubleSame(VynUtilPointsDist(p, q), 0.0, 0.0001);
}

void YrlDoubleSwap(double* a, double* b) {
  double t = *a;
  *a = *b;
  *b = t;
}

int YrlUtilVectorsParallel(const double* u, const double* v) {
  return 1.0 - std::fabs(VynUtilVectorDot(u, v)) <= kParallelTol ? 1 : 0;
}

int YrlUtilLinesParallel(const double l1[2][3], const double l2[2][3]) {
  double d1[3], d2[3];
  line_direction(l1, d1);
  line_direction(l2, d2);
  return 1.0 - std::fabs(VynUtilVectorDot(d1, d2)) <= kParallelTol ? 1 : 0;
}

int YrlUtilLinesPerpendicular(const double l1[2][3], const double l2[2][3]) {
  double d1[3], d2[3];
  line_direction(l1, d1);
  line_direction(l2, d2);
  return std::fabs(VynUtilVectorDot(d1, d2)) < 1e-9 ? 1 : 0;
}

double* YrlUtilLineLineX(const double l1[2][3], const double l2[2][3], double* out) {
  if (!out || YrlUtilLinesParallel(l1, l2)) return nullptr;
  double d1[3], d2[3];
  VynUtilVectorDiff(l1[0], l1[1], d1);
  VynUtilVectorDiff(l2[0], l2[1], d2);

  if (same_point(l1[0], l2[0])) return VynUtilVectorCopy(l1[0], out);
  if (same_point(l1[1], l2[1])) return VynUtilVectorCopy(l1[1], out);

  // Coplanar when the normal of the two directions and the normal of the two
  // point-to-point vectors agree. When those vectors are parallel (the lines cross at
  // both midpoints, for example) the four points lie in one plane with the lines and
  // their cross product, being zero, has no direction to compare.
  double e1[3], e2[3], w1[3], w2[3];
  VynUtilVectorDiff(l1[0], l2[0], e1);
  VynUtilVectorDiff(l1[1], l2[1], e2);
  VynUtilVectorNormalize(VynUtilVectorCross(d1, d2, w1), w1);
  VynUtilVectorCross(e1, e2, w2);
  double e_cross = VynUtilVectorLength(w2);
  if (e_cross > kParallelTol * VynUtilVectorLength(e1) * VynUtilVectorLength(e2)) {
    VynUtilVectorNormalize(w2, w2);
    if (!(1.0 - std::fabs(VynUtilVectorDot(w1, w2)) < kParallelTol)) return nullptr;
  }

  VynUtilVectorNormalize(d1, d1);
  VynUtilVectorNormalize(d2, d2);
  double n[3];
  VynUtilVectorCross(w1, d1, n);
  return VynUtilPlaneLineX(l1[0], n, l2[0], d2, out);
}

int IsLineVertorHoriz(const double* p1, const double* p2, int* kind) {
  if (!kind) return 0;
  if (p1[0] == p2[0]) {
    *kind = 1;
  } else if (p1[1] == p2[1]) {
    *kind = 2;
  } else {
    *kind = 0;
  }
  return 0;
}

int YrlUtilFindAngleBetweenLines(const double* p1, const double* p2, const double* q1,
                                 const double* q2, double* angle) {
  int kind1 = 0, kind2 = 0;
  IsLineVertorHoriz(p1, p2, &kind1);
  IsLineVertorHoriz(q1, q2, &kind2);
  bool vertical1 = kind1 == 1;
  bool vertical2 = kind2 == 1;
  // Slopes of vertical lines are never formed.
  double m1 = vertical1 ? 0.0 : (p2[1] - p1[1]) / (p2[0] - p1[0]);
  double m2 = vertical2 ? 0.0 : (q2[1] - q1[1]) / (q2[0] - q1[0]);

  double result = 0.0;  // two vertical lines are parallel
  if (!vertical1 || !vertical2) {
    double theta;
    if (vertical1) {
      theta = m2 <= 0 ? std::atan(-1.0 / m2) : std::atan(1.0 / m2);
    } else if (vertical2) {
      theta = m1 <= 0 ? std::atan(-1.0 / m1) : std::atan(1.0 / m1);
    } else {
      theta = std::atan((m1 - m2) / (1.0 + m1 * m2));
    }
    result = -theta * kDegreesPerRadian;
  }
  int status = VynMessageDisplay(YrlMsgFile, "YRLFORM INFO %0s %1f",
                                 "The angle between the 2 lines are: ", &result);
  if (angle) *angle = result;
  return status;
}

int YrlLineMidPointGet(const double* a, const double* b, double* out) {
  for (int i = 0; i < 2; ++i) {
    if (a[i] == b[i]) {
      out[i] = a[i];
    } else {
      double lo = a[i] < b[i] ? a[i] : b[i];
      double hi = a[i] < b[i] ? b[i] : a[i];
      out[i] = lo + (hi - lo) / 2.0;
    }
  }
  return 0;
}

int YrlProjectPointToSeg(const double* p, const double* a, const double* b, double* foot,
                         double* dist, double tol) {
  double d[3];
  VynUtilVectorDiff(b, a, d);
  double length = VynUtilVectorLength(d);
  double f[3];
  double t;
  if (length > 0.0 && std::isfinite(length)) {
    double u[3], ap[3];
    VynUtilVectorNormalize(d, u);
    t = VynUtilVectorDot(VynUtilVectorDiff(p, a, ap), u);
    for (int i = 0; i < 3; ++i) f[i] = a[i] + t * u[i];
  } else {
    VynUtilVectorCopy(a, f);
    t = length / 2.0;
  }
  if (foot) VynUtilVectorCopy(f, foot);
  if (dist) *dist = VynUtilPointsDist(p, f);
  return -tol < t && t < length + tol ? 1 : 0;
}

double YrlProjectPntOnLineParamEval(const double* p, const double* a, const double* b) {
  double foot[3];
  double dist = 0.0;
  YrlProjectPointToSeg(p, a, b, foot, &dist, 0.01);
  double length = VynUtilPointsDist(a, b);
  // A segment without length has no parameter along it.
  if (!(length > 0.0)) return 0.0;
  double s = VynUtilPointsDist(foot, a);
  double e = VynUtilPointsDist(foot, b);
  if (s < length && e < length) return s / length;
  if (s <= e) return -s / length;
  return s / length;
}
