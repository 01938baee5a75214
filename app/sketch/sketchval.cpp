#include "app/sketch/sketchval.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "app/util/apputil.h"
#include "toolkit/local/geomdata.h"

namespace {

constexpr double kPointTol = 0.0001;

bool near_end(double t) {
  return IsYrlDoubleSame(t, 0.0, YRL_SKETCH_PARAM_TOL) || IsYrlDoubleSame(t, 1.0, YRL_SKETCH_PARAM_TOL);
}

void list_free(YrlSketchIntPointList* list) {
  std::free(list->items);
  *list = YrlSketchIntPointList{};
}

// The angle a measured from the arc's start, in [0, 2 pi).
double angle_offset(const YrlSketchEntity& e, double a) {
  double d = std::fmod(a - e.start_angle, YRL_TWO_PI);
  if (d < 0) d += YRL_TWO_PI;
  return d;
}

// The parameter along the arc of the angle a: its offset over the sweep, taken as just
// before the start (negative) when it lies within tol below it.
double arc_param(const YrlSketchEntity& e, double a, double tol) {
  double sweep = YrlSketchEntitySweep(&e);
  double d = angle_offset(e, a);
  if (d >= YRL_TWO_PI - tol && sweep < YRL_TWO_PI - tol) d -= YRL_TWO_PI;
  return sweep > 0 ? d / sweep : 0.0;
}

// The parameter of p along the line a-b (0 at a, 1 at b).
double line_param(const double* p, const double* a, const double* b) {
  double dx = b[0] - a[0], dy = b[1] - a[1];
  double len2 = dx * dx + dy * dy;
  return len2 > 0 ? ((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / len2 : 0.0;
}

void gain(YrlSketchEntity& e, bool end_side, int bits) {
  (end_side ? e.end_status : e.start_status) |= bits;
}

// Whether point lies within the end tolerance of one of e's two ends. A full circle has
// no ends: where its seam lies says nothing about how other entities meet it.
bool at_an_end(const YrlSketchEntity& e, const double* point) {
  if (IsYrlSketchEntityCircle(&e)) return false;
  return std::hypot(point[0] - e.start[0], point[1] - e.start[1]) <= YRL_SKETCH_END_TOL ||
         std::hypot(point[0] - e.end[0], point[1] - e.end[1]) <= YRL_SKETCH_END_TOL;
}

// The parameter by which a crossing is judged to lie inside e: a full circle's crossings
// all lie inside it, whatever parameter its seam gives them.
double inside_param(const YrlSketchEntity& e, double t) { return IsYrlSketchEntityCircle(&e) ? 0.5 : t; }

// The status one end of entity self gains from a meeting at point: closed when the point
// lies at an end of both entities (by distance), else intersects when it crosses one of
// them away from that one's ends.
YrlSketchEndStatus meeting_status(const YrlSketchEntity& self, const YrlSketchEntity& other, double t_self,
                                  double t_other, const double* point) {
  if (at_an_end(self, point) && at_an_end(other, point)) return YRL_SKETCH_END_CLOSED;
  return YrlSketchParamsIntersects(inside_param(self, t_self), inside_param(other, t_other))
             ? YRL_SKETCH_END_INTERSECTS
             : 0;
}

// Records a meeting of entities i and j at point with parameters ti and tj in both
// entities' end-side arrays (by the 0.5 rule) and gives each end its status.
void record_meeting(YrlSketchEntity* es, int i, int j, double ti, double tj, const double* point) {
  YrlSketchIntPoint p{i, j, ti, tj, {point[0], point[1], 0.0}};
  YrlSketchListAdd(ti >= 0.5 ? &es[i].end_side : &es[i].start_side, p);
  gain(es[i], ti >= 0.5, meeting_status(es[i], es[j], ti, tj, point));
  YrlSketchListAdd(tj >= 0.5 ? &es[j].end_side : &es[j].start_side, p);
  gain(es[j], tj >= 0.5, meeting_status(es[j], es[i], tj, ti, point));
}

bool point_within_line(const YrlSketchEntity& a, const YrlSketchEntity& b) {
  // Both ends of a within the distance tolerance of b's infinite line.
  double dx = b.end[0] - b.start[0], dy = b.end[1] - b.start[1];
  double len = std::hypot(dx, dy);
  if (len <= 0) return false;
  for (const double* p : {a.start, a.end}) {
    double dist = std::fabs((p[0] - b.start[0]) * dy - (p[1] - b.start[1]) * dx) / len;
    if (dist > YRL_SKETCH_DIST_TOL) return false;
  }
  return true;
}

// Two collinear lines overlap when they share a stretch longer than the end tolerance
// (b's ends measured along a; the stretch is the same measured the other way): a line
// lying inside another, or two lines running over each other. Lines that only touch
// end to end share no stretch. 1 overlap found, 0 not.
int collinear_overlap(YrlSketchEntity* es, int ia, int ib) {
  YrlSketchEntity& a = es[ia];
  YrlSketchEntity& b = es[ib];
  double s1 = line_param(b.start, a.start, a.end);
  double s2 = line_param(b.end, a.start, a.end);
  double shared = std::min(1.0, std::max(s1, s2)) - std::max(0.0, std::min(s1, s2));
  if (shared * std::hypot(a.end[0] - a.start[0], a.end[1] - a.start[1]) <= YRL_SKETCH_END_TOL) return 0;
  a.start_status |= YRL_SKETCH_END_OVERLAPS;
  a.end_status |= YRL_SKETCH_END_OVERLAPS;
  b.start_status |= YRL_SKETCH_END_OVERLAPS;
  b.end_status |= YRL_SKETCH_END_OVERLAPS;
  return 1;
}

// Ends of two entities that lie within the end tolerance of each other meet: both are
// closed.
void ends_meet(YrlSketchEntity& a, bool end_a, YrlSketchEntity& b, bool end_b) {
  const double* p = end_a ? a.end : a.start;
  const double* q = end_b ? b.end : b.start;
  if (std::hypot(p[0] - q[0], p[1] - q[1]) > YRL_SKETCH_END_TOL) return;
  gain(a, end_a, YRL_SKETCH_END_CLOSED);
  gain(b, end_b, YRL_SKETCH_END_CLOSED);
}

void all_ends_meet(YrlSketchEntity& a, YrlSketchEntity& b) {
  for (bool end_a : {false, true})
    for (bool end_b : {false, true}) ends_meet(a, end_a, b, end_b);
}

// The pair test runs for every pair of lines, so the crossing is worked out in closed
// form in the view plane; parallel is the application's 1 - |cos| <= 1e-6. The crossing
// of the two infinite lines is kept wherever it lies, on the entities or beyond them:
// Extend reaches a crossing of the lines' extensions (an L-corner with a gap).
void line_line(YrlSketchEntity* es, int i, int j) {
  YrlSketchEntity& a = es[i];
  YrlSketchEntity& b = es[j];
  double ax = a.end[0] - a.start[0], ay = a.end[1] - a.start[1];
  double bx = b.end[0] - b.start[0], by = b.end[1] - b.start[1];
  double det = ax * by - ay * bx;
  double cosine = (ax * bx + ay * by) / std::sqrt((ax * ax + ay * ay) * (bx * bx + by * by));
  bool parallel = 1 - std::fabs(cosine) <= 1e-6;
  if (!parallel) {
    double wx = b.start[0] - a.start[0], wy = b.start[1] - a.start[1];
    double ta = (wx * by - wy * bx) / det;
    double tb = (wx * ay - wy * ax) / det;
    double x[3] = {a.start[0] + ta * ax, a.start[1] + ta * ay, 0};
    record_meeting(es, i, j, ta, tb, x);
    return;
  }
  if (!point_within_line(a, b)) return;
  if (collinear_overlap(es, i, j)) return;
  all_ends_meet(a, b);
}

// Ends of two entities (one at least an arc) that meet within the end tolerance are
// closed; the bits already set stay.
void arc_end_test(YrlSketchEntity* es, int i, int j) {
  if (IsYrlSketchEntityCircle(&es[i]) || IsYrlSketchEntityCircle(&es[j])) return;
  all_ends_meet(es[i], es[j]);
}

// Crossings of a line (infinite) with an arc's circle that lie on the arc. A line's
// crossings are kept beyond its ends, as two lines' are: Extend can run a line on to
// them. An arc's are kept only on the arc (and two arcs' only on both): its parameter
// past an end wraps round its circle and would put the crossing on the wrong side.
void line_arc(YrlSketchEntity* es, int il, int ia) {
  const YrlSketchEntity& l = es[il];
  const YrlSketchEntity& a = es[ia];
  double dx = l.end[0] - l.start[0], dy = l.end[1] - l.start[1];
  double fx = l.start[0] - a.centre[0], fy = l.start[1] - a.centre[1];
  double qa = dx * dx + dy * dy;
  if (qa <= 0) return;
  double qb = 2 * (fx * dx + fy * dy);
  double qc = fx * fx + fy * fy - a.radius * a.radius;
  double disc = qb * qb - 4 * qa * qc;
  if (disc < 0) return;
  double root = std::sqrt(disc);
  double ts[2] = {(-qb - root) / (2 * qa), (-qb + root) / (2 * qa)};
  int roots = root > 0 ? 2 : 1;
  for (int k = 0; k < roots; ++k) {
    double p[3] = {l.start[0] + ts[k] * dx, l.start[1] + ts[k] * dy, 0};
    double angle = std::atan2(p[1] - a.centre[1], p[0] - a.centre[0]);
    double tol = a.radius > 0 ? YRL_SKETCH_DIST_TOL / a.radius : 0;
    double ta = arc_param(a, angle, tol);
    if (!YrlSketchLineParamWithinEnds(ta)) continue;
    if (il < ia) record_meeting(es, il, ia, ts[k], ta, p);
    else record_meeting(es, ia, il, ta, ts[k], p);
  }
}

// Crossings of the circles of two arcs that lie on both arcs (see line_arc).
void arc_arc(YrlSketchEntity* es, int i, int j) {
  const YrlSketchEntity& a = es[i];
  const YrlSketchEntity& b = es[j];
  double dx = b.centre[0] - a.centre[0], dy = b.centre[1] - a.centre[1];
  double d = std::hypot(dx, dy);
  if (d <= kPointTol || d > a.radius + b.radius || d < std::fabs(a.radius - b.radius)) return;
  double along = (d * d + a.radius * a.radius - b.radius * b.radius) / (2 * d);
  double h2 = a.radius * a.radius - along * along;
  double h = h2 > 0 ? std::sqrt(h2) : 0;
  double mx = a.centre[0] + along * dx / d, my = a.centre[1] + along * dy / d;
  int roots = h > 0 ? 2 : 1;
  for (int k = 0; k < roots; ++k) {
    double sign = k == 0 ? 1.0 : -1.0;
    double p[3] = {mx - sign * h * dy / d, my + sign * h * dx / d, 0};
    double ti = arc_param(a, std::atan2(p[1] - a.centre[1], p[0] - a.centre[0]),
                          a.radius > 0 ? YRL_SKETCH_DIST_TOL / a.radius : 0);
    double tj = arc_param(b, std::atan2(p[1] - b.centre[1], p[0] - b.centre[0]),
                          b.radius > 0 ? YRL_SKETCH_DIST_TOL / b.radius : 0);
    if (YrlSketchLineParamWithinEnds(ti) && YrlSketchLineParamWithinEnds(tj)) record_meeting(es, i, j, ti, tj, p);
  }
}

// Where the angle lies against arc e's range, with the angle tolerance.
struct AngleAt {
  bool fully_inside;
  bool at_start;
  bool at_end;
};
AngleAt angle_at(const YrlSketchEntity& e, double a) {
  double sweep = YrlSketchEntitySweep(&e);
  double d = angle_offset(e, a);
  AngleAt at{};
  bool just_below = d >= YRL_TWO_PI - YRL_SKETCH_ANGLE_TOL;
  at.at_start = d <= YRL_SKETCH_ANGLE_TOL || just_below;
  at.at_end = std::fabs(d - sweep) <= YRL_SKETCH_ANGLE_TOL;
  at.fully_inside = d > YRL_SKETCH_ANGLE_TOL && d < sweep - YRL_SKETCH_ANGLE_TOL;
  return at;
}

// Concentric arcs or circles of the same radius: overlaps, tested both ways. Different
// radii never overlap.
void arc_arc_overlap(YrlSketchEntity* es, int i, int j) {
  YrlSketchEntity& a = es[i];
  YrlSketchEntity& b = es[j];
  if (!IsYrlSketchEntityRound(&a) || !IsYrlSketchEntityRound(&b) || !IsYrlTwoPointsAtSameLoc(a.centre, b.centre)) return;
  if (!IsYrlDoubleSame(a.radius, b.radius, YRL_SKETCH_DIST_TOL)) return;
  AngleAt bs = angle_at(a, b.start_angle), be = angle_at(a, b.end_angle);
  AngleAt as = angle_at(b, a.start_angle), ae = angle_at(b, a.end_angle);
  // Overlap: an end of one lies inside the other, the two share their range, or one is
  // a whole circle. Arcs that only share both ends (two halves of a circle) meet.
  bool overlap = bs.fully_inside || be.fully_inside || as.fully_inside || ae.fully_inside ||
                 (bs.at_start && be.at_end) || IsYrlSketchEntityCircle(&a) || IsYrlSketchEntityCircle(&b);
  // Ends that meet were closed by the arc end test, by distance.
  if (overlap) a.start_status |= 16, a.end_status |= 16, b.start_status |= 16, b.end_status |= 16;
}

// The point tolerance of IsYrlTwoPointsAtSameLoc, with a cheap reject first: the chain
// walk compares an end with every entity's ends.
bool same_loc(const double* p, const double* q) {
  if (std::fabs(p[0] - q[0]) > kPointTol || std::fabs(p[1] - q[1]) > kPointTol) return false;
  return IsYrlTwoPointsAtSameLoc(p, q) != 0;
}

// The next entity of a chain from entity i's side (0 start, 1 end): k and the side it
// is arrived at; false when none.
bool chain_other_end(const YrlSketchEntity* es, int n, int i, int side, int* k_out, int* arrive) {
  const double* p = side == 0 ? es[i].start : es[i].end;
  for (int k = 0; k < n; ++k) {
    if (k == i || IsYrlSketchEntityCircle(&es[k]) || es[k].degenerate) continue;
    if (same_loc(es[k].start, p)) return *k_out = k, *arrive = 0, true;
    if (same_loc(es[k].end, p)) return *k_out = k, *arrive = 1, true;
  }
  const YrlSketchIntPointList& list = side == 0 ? es[i].start_side : es[i].end_side;
  for (int r = 0; r < list.count; ++r) {
    const YrlSketchIntPoint& rec = list.items[r];
    if (rec.first == rec.second) continue;
    bool mine_first = rec.first == i;
    double t_mine = mine_first ? rec.t_first : rec.t_second;
    double t_other = mine_first ? rec.t_second : rec.t_first;
    // The meeting must lie on the other entity: the crossings of lines' extensions are
    // kept too, and a chain does not run on to an entity that is not there.
    if (!IsYrlDoubleSame(t_mine, side == 0 ? 0.0 : 1.0, YRL_SKETCH_PARAM_TOL) ||
        !YrlSketchLineParamWithinEnds(t_other))
      continue;
    *k_out = mine_first ? rec.second : rec.first;
    *arrive = IsYrlDoubleSame(t_other, 0.0, YRL_SKETCH_PARAM_TOL) ? 0 : 1;
    return true;
  }
  return false;
}

bool side_open(const YrlSketchEntity& e, int side) {
  return IsYrlSketchEndOpen(side == 0 ? e.start_status : e.end_status) != 0;
}

}  // namespace

int YrlSketchValLoopsDefine(YrlSketchEntity* es, int n, int i, int side, int* counter) {
  for (;;) {
    YrlSketchEntity& e = es[i];
    int bit = side == 0 ? 1 : 2, other_bit = side == 0 ? 2 : 1;
    if (e.loop > 0 && (e.visited & bit)) return *counter;
    e.loop = *counter;
    e.visited |= bit;
    if (IsYrlSketchEntityCircle(&e) || e.degenerate ||
        (e.curve_type == VYN_CURVE_LINE && side_open(e, 0) && side_open(e, 1))) {
      e.visited |= other_bit;
      return ++*counter;
    }
    if (side_open(e, side)) {
      if (e.visited & other_bit) return ++*counter;
      side = 1 - side;
      continue;
    }
    int k = 0, arrive = 0;
    if (!chain_other_end(es, n, i, side, &k, &arrive)) return *counter;
    es[k].visited |= arrive == 0 ? 1 : 2;
    i = k;
    side = 1 - arrive;
  }
}

int IsYrlSketchEndStatusMatch(YrlSketchEndStatus status, int mask) { return (status & mask) == mask; }
int IsYrlSketchEndOpen(YrlSketchEndStatus s) { return IsYrlSketchEndStatusMatch(s, YRL_SKETCH_END_OPEN); }
int IsYrlSketchEndClosed(YrlSketchEndStatus s) { return IsYrlSketchEndStatusMatch(s, YRL_SKETCH_END_CLOSED); }
int IsYrlSketchEndIntersects(YrlSketchEndStatus s) {
  return IsYrlSketchEndStatusMatch(s, YRL_SKETCH_END_INTERSECTS);
}
int IsYrlSketchEndOverlaps(YrlSketchEndStatus s) { return IsYrlSketchEndStatusMatch(s, YRL_SKETCH_END_OVERLAPS); }

int YrlSketchLineParamFullyInside(double t) { return !near_end(t) && YrlSketchLineParamWithinEnds(t); }
int YrlSketchLineParamWithinEnds(double t) { return t > -YRL_SKETCH_PARAM_TOL && t < 1 + YRL_SKETCH_PARAM_TOL; }
int YrlSketchParamsIntersects(double t1, double t2) {
  return (YrlSketchLineParamFullyInside(t1) && YrlSketchLineParamWithinEnds(t2)) ||
         (YrlSketchLineParamFullyInside(t2) && YrlSketchLineParamWithinEnds(t1));
}
int YrlSelIntPointIsIntersection(const YrlSketchIntPoint* p) {
  return p != nullptr && p->first != p->second && YrlSketchParamsIntersects(p->t_first, p->t_second);
}

int IsYrlSketchEntityCircle(const YrlSketchEntity* e) {
  if (e->curve_type == VYN_CURVE_CIRCLE) return 1;
  return e->curve_type == VYN_CURVE_ARC && IsYrlDoubleSame(e->end_angle - e->start_angle, YRL_TWO_PI, 0.01);
}

int IsYrlSketchEntityRound(const YrlSketchEntity* e) {
  return e->curve_type == VYN_CURVE_ARC || e->curve_type == VYN_CURVE_CIRCLE;
}

double YrlSketchEntitySweep(const YrlSketchEntity* e) {
  return IsYrlSketchEntityCircle(e) ? YRL_TWO_PI : e->end_angle - e->start_angle;
}

void YrlSketchEntityLineSet(YrlSketchEntity* e, const double* start, const double* end) {
  e->curve_type = VYN_CURVE_LINE;
  for (int k = 0; k < 2; ++k) e->start[k] = start[k], e->end[k] = end[k];
  e->start[2] = e->end[2] = 0;
  e->loop = -1;
}

void YrlSketchEntityArcSet(YrlSketchEntity* e, const double* centre, double radius, double start,
                           double sweep) {
  e->curve_type = VYN_CURVE_ARC;
  e->centre[0] = centre[0], e->centre[1] = centre[1], e->centre[2] = 0;
  e->radius = radius;
  e->start_angle = start;
  e->end_angle = start + sweep;
  if (!IsYrlSketchEntityCircle(e)) {
    e->start[0] = centre[0] + radius * std::cos(start), e->start[1] = centre[1] + radius * std::sin(start);
    e->end[0] = centre[0] + radius * std::cos(start + sweep), e->end[1] = centre[1] + radius * std::sin(start + sweep);
  }
  e->loop = -1;
}

void YrlSketchEntityCircleSet(YrlSketchEntity* e, const double* centre, double radius) {
  e->curve_type = VYN_CURVE_CIRCLE;
  e->centre[0] = centre[0], e->centre[1] = centre[1], e->centre[2] = 0;
  e->radius = radius;
  e->start_angle = 0;
  e->end_angle = YRL_TWO_PI;
  e->loop = -1;
}

void YrlSketchEntitiesFree(YrlSketchEntity* entities, int n) {
  for (int i = 0; entities != nullptr && i < n; ++i) {
    list_free(&entities[i].start_side);
    list_free(&entities[i].end_side);
  }
}

void YrlSketchIntersectionsFill(YrlSketchEntity* es, int n) {
  for (int i = 0; i < n; ++i) {
    YrlSketchEntity& e = es[i];
    list_free(&e.start_side);
    list_free(&e.end_side);
    e.start_status = e.end_status = 0;
    e.loop = -1;
    e.visited = 0;
    // A line no longer than the end tolerance has its two ends meet: no line at all.
    e.degenerate = e.curve_type == VYN_CURVE_LINE &&
                   std::hypot(e.end[0] - e.start[0], e.end[1] - e.start[1]) <= YRL_SKETCH_END_TOL;
  }
  for (int i = 0; i < n; ++i) {
    if (es[i].degenerate) continue;
    for (int j = i + 1; j < n; ++j) {
      if (es[j].degenerate) continue;
      bool line_i = es[i].curve_type == VYN_CURVE_LINE, line_j = es[j].curve_type == VYN_CURVE_LINE;
      if (line_i && line_j) {
        line_line(es, i, j);
      } else if (line_i && IsYrlSketchEntityRound(&es[j])) {
        arc_end_test(es, i, j);
        line_arc(es, i, j);
      } else if (line_j && IsYrlSketchEntityRound(&es[i])) {
        arc_end_test(es, i, j);
        line_arc(es, j, i);
      } else if (IsYrlSketchEntityRound(&es[i]) && IsYrlSketchEntityRound(&es[j])) {
        arc_end_test(es, i, j);
        arc_arc(es, i, j);
        arc_arc_overlap(es, i, j);
      }
    }
  }
}

int YrlSketchRevolveSidesCheck(const YrlSketchEntity* axis, YrlSketchEntity* es, int n) {
  double d[3] = {axis->end[0] - axis->start[0], axis->end[1] - axis->start[1], 0};
  double len = std::hypot(d[0], d[1]);
  if (len <= 0) return 0;
  // The axis normal (D x z) and the axis start's parameter along it.
  double normal_end[3] = {d[1] / len, -d[0] / len, 0};
  const double origin[3] = {0, 0, 0};
  double c = line_param(axis->start, origin, normal_end);
  int side1 = 0, side2 = 0;
  auto side_of = [c](double t) {
    if (IsYrlDoubleSame(t, c, YRL_SKETCH_PARAM_TOL)) return 0;
    if (c <= 0) return t > c ? 1 : 2;
    return t >= c ? 2 : 1;
  };
  const double ax[2][3] = {{axis->start[0], axis->start[1], 0}, {axis->end[0], axis->end[1], 0}};
  for (int i = 0; i < n; ++i) {
    YrlSketchEntity& e = es[i];
    e.start_axis_side = side_of(line_param(e.start, origin, normal_end));
    e.end_axis_side = side_of(line_param(e.end, origin, normal_end));
    for (int s : {e.start_axis_side, e.end_axis_side}) side1 += s == 1, side2 += s == 2;
    const double el[2][3] = {{e.start[0], e.start[1], 0}, {e.end[0], e.end[1], 0}};
    double x[3];
    if (!e.degenerate && !YrlUtilLinesParallel(el, ax) && YrlUtilLineLineX(el, ax, x) != nullptr) {
      double t = line_param(x, e.start, e.end);
      YrlSketchIntPoint p{i, i, t, t, {x[0], x[1], 0}};
      YrlSketchListAdd(t >= 0.5 ? &e.end_side : &e.start_side, p);
    }
  }
  return side1 > 0 && side2 > 0 ? 0 : 1;
}

int YrlSketchValLoopsIdentify(YrlSketchEntity* es, int n) {
  int counter = 1;
  for (int i = 0; i < n; ++i) {
    const int chain = counter;
    YrlSketchValLoopsDefine(es, n, i, 0, &counter);
    if (counter == chain) {
      YrlSketchValLoopsDefine(es, n, i, 1, &counter);
      continue;
    }
    // The walk from the start side ended at an open end, so entity i lies on an open
    // chain. Its other side walks on with the chain's number, and the chain's other open
    // end, when that walk reaches one, ends the same chain: counted once, not twice.
    counter = chain;
    YrlSketchValLoopsDefine(es, n, i, 1, &counter);
    if (counter < chain + 1) counter = chain + 1;
  }
  return counter - 1;
}

void YrlSketchResultsCompute(YrlSketchValInfo* info, int cut, int revolve) {
  YrlSketchEntity* es = info->entities;
  int n = es != nullptr ? info->count : 0;
  info->rule1 = 1;
  for (int i = 0; i < n; ++i) {
    YrlSketchEntity& e = es[i];
    if (IsYrlSketchEntityCircle(&e)) e.start_status |= 4, e.end_status |= 4;
    for (YrlSketchEndStatus* s : {&e.start_status, &e.end_status}) {
      if (!IsYrlSketchEndClosed(*s)) *s |= cut ? YRL_SKETCH_END_CLOSED : YRL_SKETCH_END_OPEN;
    }
    info->degenerate_entities += e.degenerate;
    const YrlSketchIntPointList* lists[2] = {&e.start_side, &e.end_side};
    const YrlSketchEndStatus statuses[2] = {e.start_status, e.end_status};
    for (int s = 0; s < 2; ++s) {
      info->open_ends += IsYrlSketchEndOpen(statuses[s]);
      info->unclosed_with_points += !IsYrlSketchEndClosed(statuses[s]) && lists[s]->count > 0;
      info->intersecting_ends += IsYrlSketchEndIntersects(statuses[s]);
      info->overlapping_ends += IsYrlSketchEndOverlaps(statuses[s]);
    }
  }
  info->no_open_ends = info->open_ends == 0;
  info->loop_count = YrlSketchValLoopsIdentify(es, n);
  info->valid = n > 0 && info->rule1 && info->no_open_ends && info->intersecting_ends < 1 &&
                info->overlapping_ends < 1 && info->degenerate_entities == 0 && (!revolve || info->revolve_sides);
}

int YrlSketchValidate(YrlSketchValInfo* info, int revolve, const YrlSketchEntity* axis, int cut) {
  int n = info->entities != nullptr ? info->count : 0;
  YrlSketchIntersectionsFill(info->entities, n);
  info->rule1 = info->no_open_ends = info->revolve_sides = info->loop_count = 0;
  info->open_ends = info->unclosed_with_points = info->intersecting_ends = info->overlapping_ends = 0;
  info->degenerate_entities = 0;
  info->valid = 0;
  if (revolve && axis != nullptr) info->revolve_sides = YrlSketchRevolveSidesCheck(axis, info->entities, n);
  YrlSketchResultsCompute(info, cut, revolve);
  return 0;
}
