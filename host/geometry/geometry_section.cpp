// The geometry module's 2-D half: frames and datum records, the checks of a section's
// entities and the loops and regions of its profile. No kernel is needed here.
#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>

#include "host/geometry/geometry.h"
#include "host/geometry/geometry_profile.h"

namespace yrlhost::geom {
namespace {

constexpr double two_pi = 2 * pi;
// How far from orthonormal a frame may be, and how close to parallel two planes are.
constexpr double frame_slack = 1e-9;

bool finite(const Vec2& v) { return std::isfinite(v[0]) && std::isfinite(v[1]); }

bool is_profile_kind(EntityKind kind) {
  return kind == EntityKind::line || kind == EntityKind::arc || kind == EntityKind::circle;
}

Vec2 circle_point(const Vec2& center, double radius, double angle) {
  return {center[0] + radius * std::cos(angle), center[1] + radius * std::sin(angle)};
}

double sweep_of(const SectionEntity& e) { return e.end_angle - e.start_angle; }

// An angle brought into [0, 2 pi).
double wrap(double angle) {
  double a = std::fmod(angle, two_pi);
  return a < 0 ? a + two_pi : a;
}

// An arc or circle as a counter-clockwise angle interval [from, from + length].
struct Interval {
  double from = 0;
  double length = two_pi;
};
Interval interval_of(const SectionEntity& e) {
  if (e.kind == EntityKind::circle) return {};
  double sweep = sweep_of(e);
  return sweep >= 0 ? Interval{wrap(e.start_angle), sweep} : Interval{wrap(e.end_angle), -sweep};
}

// Whether a point of an arc's circle lies on the arc, allowing `slack` radians past
// either end.
bool on_arc(const SectionEntity& e, const Vec2& x, double slack) {
  if (e.kind == EntityKind::circle) return true;
  Interval in = interval_of(e);
  double a = wrap(std::atan2(x[1] - e.center[1], x[0] - e.center[0]) - in.from);
  return a <= in.length + slack || a >= two_pi - slack;
}

bool on_segment(const SectionEntity& e, const Vec2& x, double tolerance) {
  Vec2 d = e.end - e.start;
  double length = norm(d);
  double along = dot(x - e.start, d) / length;
  return along >= -tolerance && along <= length + tolerance;
}

// Whether an entity cannot bound a profile: no length or radius, a full turn or more, or a
// number that is not finite.
bool degenerate(const SectionEntity& e, double tolerance) {
  switch (e.kind) {
    case EntityKind::line:
      return !finite(e.start) || !finite(e.end) || !(norm(e.end - e.start) > tolerance);
    case EntityKind::arc: {
      double sweep = sweep_of(e);
      return !finite(e.center) || !std::isfinite(e.radius) || !std::isfinite(sweep) ||
             !(e.radius > tolerance) || !(e.radius * std::fabs(sweep) > tolerance) ||
             !(std::fabs(sweep) < two_pi);
    }
    case EntityKind::circle:
      return !finite(e.center) || !std::isfinite(e.radius) || !(e.radius > tolerance);
    default:
      return false;
  }
}

// Where two entities meet: single points, and the middle of any stretch they share
// (overlap set).
struct Meeting {
  std::vector<Vec2> points;
  std::optional<Vec2> overlap;
};

void line_line(const SectionEntity& a, const SectionEntity& b, double tol, Meeting& out) {
  Vec2 d1 = a.end - a.start, d2 = b.end - b.start;
  double l1 = norm(d1), l2 = norm(d2);
  double denominator = cross(d1, d2);
  if (std::fabs(denominator) <= 1e-12 * l1 * l2) {
    if (std::fabs(cross(d1, b.start - a.start)) / l1 > tol) return;
    // One carrier: the stretch of b along a.
    Vec2 u = d1 * (1 / l1);
    double t1 = dot(b.start - a.start, u), t2 = dot(b.end - a.start, u);
    double lo = std::max(0.0, std::min(t1, t2)), hi = std::min(l1, std::max(t1, t2));
    Vec2 middle = a.start + u * ((lo + hi) / 2);
    if (hi - lo > tol)
      out.overlap = middle;
    else if (hi - lo >= -tol)
      out.points.push_back(middle);
    return;
  }
  Vec2 w = b.start - a.start;
  double t = cross(w, d2) / denominator, s = cross(w, d1) / denominator;
  if (t * l1 >= -tol && t * l1 <= l1 + tol && s * l2 >= -tol && s * l2 <= l2 + tol)
    out.points.push_back(a.start + d1 * t);
}

void line_circle(const SectionEntity& line, const SectionEntity& arc, double tol,
                 Meeting& out) {
  Vec2 d = line.end - line.start;
  Vec2 u = d * (1 / norm(d));
  Vec2 foot = line.start + u * dot(arc.center - line.start, u);
  double h = norm(arc.center - foot);
  if (h > arc.radius + tol) return;
  std::vector<Vec2> candidates;
  if (std::fabs(h - arc.radius) <= tol) {
    candidates.push_back(foot);
  } else {
    double k = std::sqrt(arc.radius * arc.radius - h * h);
    candidates = {foot - u * k, foot + u * k};
  }
  for (const Vec2& x : candidates)
    if (on_segment(line, x, tol) && on_arc(arc, x, tol / arc.radius)) out.points.push_back(x);
}

void circle_circle(const SectionEntity& a, const SectionEntity& b, double tol, Meeting& out) {
  Vec2 joint = b.center - a.center;
  double d = norm(joint);
  if (d <= tol && std::fabs(a.radius - b.radius) <= tol) {
    // One circle: the stretches the two share.
    Interval ia = interval_of(a), ib = interval_of(b);
    for (int k = -1; k <= 1; ++k) {
      double lo = std::max(ia.from, ib.from + k * two_pi);
      double hi = std::min(ia.from + ia.length, ib.from + ib.length + k * two_pi);
      Vec2 middle = circle_point(a.center, a.radius, (lo + hi) / 2);
      if ((hi - lo) * a.radius > tol)
        out.overlap = middle;
      else if ((hi - lo) * a.radius >= -tol)
        out.points.push_back(middle);
    }
    return;
  }
  if (d <= tol || d > a.radius + b.radius + tol || d < std::fabs(a.radius - b.radius) - tol)
    return;
  double along = (d * d + a.radius * a.radius - b.radius * b.radius) / (2 * d);
  Vec2 u = joint * (1 / d);
  Vec2 base = a.center + u * along;
  std::vector<Vec2> candidates;
  if (std::fabs(d - (a.radius + b.radius)) <= tol ||
      std::fabs(d - std::fabs(a.radius - b.radius)) <= tol) {
    candidates.push_back(base);
  } else {
    double h = std::sqrt(std::max(0.0, a.radius * a.radius - along * along));
    Vec2 across{-u[1], u[0]};
    candidates = {base - across * h, base + across * h};
  }
  for (const Vec2& x : candidates)
    if (on_arc(a, x, tol / a.radius) && on_arc(b, x, tol / b.radius)) out.points.push_back(x);
}

Meeting meet(const SectionEntity& a, const SectionEntity& b, double tol) {
  Meeting out;
  bool a_line = a.kind == EntityKind::line, b_line = b.kind == EntityKind::line;
  if (a_line && b_line)
    line_line(a, b, tol, out);
  else if (a_line)
    line_circle(a, b, tol, out);
  else if (b_line)
    line_circle(b, a, tol, out);
  else
    circle_circle(a, b, tol, out);
  return out;
}

// The ends of the entities gathered into nodes: ends within the tolerance of each other
// (directly or through other ends) share a node, placed at their mean.
struct Nodes {
  std::vector<Vec2> places;
  std::vector<std::array<int, 2>> of_entity;     // -1 for circles and skipped entities
  std::vector<std::vector<std::array<int, 2>>> ends;  // (entity, 0 start / 1 end) per node
};

Nodes gather_nodes(const std::vector<SectionEntity>& entities, const std::vector<bool>& use,
                   double tol) {
  struct End {
    int entity;
    int which;
    Vec2 place;
  };
  std::vector<End> ends;
  for (int i = 0; i < static_cast<int>(entities.size()); ++i)
    if (use[i] && entities[i].kind != EntityKind::circle)
      for (int which = 0; which < 2; ++which)
        ends.push_back({i, which, entity_end(entities[i], which == 1)});
  std::vector<int> parent(ends.size());
  std::iota(parent.begin(), parent.end(), 0);
  auto root = [&parent](int i) {
    while (parent[i] != i) i = parent[i] = parent[parent[i]];
    return i;
  };
  for (std::size_t i = 0; i < ends.size(); ++i)
    for (std::size_t j = i + 1; j < ends.size(); ++j)
      if (norm(ends[i].place - ends[j].place) <= tol)
        parent[root(static_cast<int>(j))] = root(static_cast<int>(i));
  Nodes nodes;
  nodes.of_entity.assign(entities.size(), {-1, -1});
  std::vector<int> node_of_root(ends.size(), -1);
  for (std::size_t i = 0; i < ends.size(); ++i) {
    int r = root(static_cast<int>(i));
    if (node_of_root[r] < 0) {
      node_of_root[r] = static_cast<int>(nodes.places.size());
      nodes.places.push_back({0, 0});
      nodes.ends.emplace_back();
    }
    int node = node_of_root[r];
    nodes.places[node] = nodes.places[node] + ends[i].place;
    nodes.ends[node].push_back({ends[i].entity, ends[i].which});
    nodes.of_entity[ends[i].entity][ends[i].which] = node;
  }
  for (std::size_t n = 0; n < nodes.places.size(); ++n)
    nodes.places[n] = nodes.places[n] * (1.0 / static_cast<double>(nodes.ends[n].size()));
  return nodes;
}

// Whether a meeting point of two entities is an end they share.
bool at_shared_end(const Nodes& nodes, int a, int b, const Vec2& x, double tol) {
  for (int na : nodes.of_entity[a])
    for (int nb : nodes.of_entity[b])
      if (na >= 0 && na == nb && norm(x - nodes.places[na]) <= 2 * tol) return true;
  return false;
}

struct Checked {
  std::vector<SectionEntity> entities;  // profile entities only
  std::vector<int> source;              // their indexes in the section, for ordering
  Nodes nodes;
  std::vector<SectionProblem> problems;
};

Checked check(const std::vector<SectionEntity>& section, double tol) {
  Checked out;
  for (int i = 0; i < static_cast<int>(section.size()); ++i)
    if (is_profile_kind(section[i].kind)) {
      out.entities.push_back(section[i]);
      out.source.push_back(i);
    }
  const std::vector<SectionEntity>& es = out.entities;
  int count = static_cast<int>(es.size());
  std::vector<std::pair<int, SectionProblem>> found;  // (entity index, problem)
  auto report = [&](int i, SectionFault fault, const Vec2& where) {
    found.push_back({i, SectionProblem{es[i].id, fault, where}});
  };
  std::vector<bool> use(count);
  for (int i = 0; i < count; ++i) {
    use[i] = !degenerate(es[i], tol);
    if (!use[i])
      report(i, SectionFault::degenerate,
             es[i].kind == EntityKind::line ? es[i].start : es[i].center);
  }
  out.nodes = gather_nodes(es, use, tol);
  for (int a = 0; a < count; ++a)
    for (int b = a + 1; b < count; ++b) {
      if (!use[a] || !use[b]) continue;
      Meeting m = meet(es[a], es[b], tol);
      std::vector<Vec2> bad;
      if (m.overlap)
        bad.push_back(*m.overlap);
      else
        for (const Vec2& x : m.points)
          if (!at_shared_end(out.nodes, a, b, x, tol)) bad.push_back(x);
      for (const Vec2& x : bad) {
        report(a, SectionFault::crossing, x);
        report(b, SectionFault::crossing, x);
      }
    }
  for (std::size_t n = 0; n < out.nodes.places.size(); ++n) {
    const auto& ends = out.nodes.ends[n];
    if (ends.size() == 2) continue;
    SectionFault fault = ends.size() == 1 ? SectionFault::open_end : SectionFault::branch;
    for (const auto& end : ends) report(end[0], fault, out.nodes.places[n]);
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const auto& x, const auto& y) { return x.first < y.first; });
  for (const auto& entry : found) {
    const SectionProblem& problem = entry.second;
    bool repeated = std::any_of(out.problems.begin(), out.problems.end(), [&](const auto& p) {
      return p.entity == problem.entity && p.fault == problem.fault &&
             norm(p.where - problem.where) <= tol;
    });
    if (!repeated) out.problems.push_back(problem);
  }
  return out;
}

// ---- Loops -----------------------------------------------------------------------------

double entity_length(const SectionEntity& e) {
  switch (e.kind) {
    case EntityKind::line: return norm(e.end - e.start);
    case EntityKind::arc: return e.radius * std::fabs(sweep_of(e));
    default: return two_pi * e.radius;
  }
}

// Twice the signed area an entity's step adds to its loop (Green: x dy - y dx).
double step_area2(const SectionEntity& e, bool forward) {
  double twice = 0;
  if (e.kind == EntityKind::line) {
    twice = cross(e.start, e.end);
  } else if (e.kind == EntityKind::circle) {
    twice = two_pi * e.radius * e.radius;
  } else {
    double a0 = e.start_angle, a1 = e.end_angle, r = e.radius;
    twice = r * e.center[0] * (std::sin(a1) - std::sin(a0)) -
            r * e.center[1] * (std::cos(a1) - std::cos(a0)) + r * r * (a1 - a0);
  }
  return forward ? twice : -twice;
}

// A point on an entity away from its ends.
Vec2 entity_middle(const SectionEntity& e) {
  if (e.kind == EntityKind::line) return (e.start + e.end) * 0.5;
  double angle = e.kind == EntityKind::circle ? 0.0 : (e.start_angle + e.end_angle) / 2;
  return circle_point(e.center, e.radius, angle);
}

// Crossings of the ray from x along direction d with an entity; nothing when the ray
// passes too close to an end or touches a circle, where counting is unsure.
std::optional<int> ray_hits(const SectionEntity& e, const Vec2& x, const Vec2& d) {
  constexpr double unsure = 1e-9;
  if (e.kind == EntityKind::line) {
    Vec2 s = e.end - e.start;
    double denominator = cross(d, s);
    if (std::fabs(denominator) <= unsure * norm(s)) return 0;  // parallel: no crossing
    Vec2 w = e.start - x;
    double t = cross(w, s) / denominator, along = cross(w, d) / denominator;
    if (t <= 0) return 0;
    if (std::fabs(along) <= unsure || std::fabs(along - 1) <= unsure) return std::nullopt;
    return along > 0 && along < 1 ? 1 : 0;
  }
  Vec2 w = x - e.center;
  double b = dot(w, d), c = dot(w, w) - e.radius * e.radius;
  double discriminant = b * b - c;
  if (discriminant < 0) return 0;
  if (discriminant <= unsure * e.radius * e.radius) return std::nullopt;
  int hits = 0;
  for (double t : {-b - std::sqrt(discriminant), -b + std::sqrt(discriminant)}) {
    if (t <= 0) continue;
    Vec2 p = x + d * t;
    if (e.kind == EntityKind::circle) {
      ++hits;
      continue;
    }
    if (on_arc(e, p, -unsure))
      ++hits;
    else if (on_arc(e, p, unsure))
      return std::nullopt;
  }
  return hits;
}

// Whether a point lies inside a loop (it lies on no entity of it), by the parity of a
// ray's crossings, trying other directions while a ray passes too close to an end.
bool inside(const ProfileData& data, const Loop& loop, const Vec2& x) {
  for (double angle = 0.7390851332; angle < 100; angle += 1.2345678901) {
    Vec2 d{std::cos(angle), std::sin(angle)};
    int crossings = 0;
    bool sure = true;
    for (const LoopStep& step : loop.steps) {
      std::optional<int> hits = ray_hits(data.entities[step.entity], x, d);
      if (!hits) {
        sure = false;
        break;
      }
      crossings += *hits;
    }
    if (sure) return crossings % 2 == 1;
  }
  return false;
}

void reverse(Loop& loop) {
  std::reverse(loop.steps.begin(), loop.steps.end());
  for (LoopStep& step : loop.steps) step.forward = !step.forward;
  loop.area = -loop.area;
}

// Walks the loops of checked entities (every node joins exactly two ends).
std::vector<Loop> walk_loops(const ProfileData& data, const Nodes& nodes) {
  std::vector<Loop> loops;
  int count = static_cast<int>(data.entities.size());
  std::vector<bool> done(count);
  for (int first = 0; first < count; ++first) {
    if (done[first]) continue;
    Loop loop;
    int entity = first;
    bool forward = true;
    while (true) {
      done[entity] = true;
      loop.steps.push_back({entity, forward});
      if (data.entities[entity].kind == EntityKind::circle) break;
      int node = nodes.of_entity[entity][forward ? 1 : 0];
      const auto& ends = nodes.ends[node];
      // The other end at the node: its entity starts there (forward) or ends there.
      const auto& next = ends[0][0] == entity && ends[0][1] == (forward ? 1 : 0) ? ends[1] : ends[0];
      if (next[0] == first) break;
      entity = next[0];
      forward = next[1] == 0;
    }
    for (const LoopStep& step : loop.steps)
      loop.area += step_area2(data.entities[step.entity], step.forward) / 2;
    loops.push_back(std::move(loop));
  }
  return loops;
}

}  // namespace

// ---- Status texts ------------------------------------------------------------------------

const char* status_text(Status status) {
  switch (status) {
    case Status::ok: return "ok";
    case Status::bad_input: return "bad input";
    case Status::empty_section: return "the section has no lines, arcs or circles";
    case Status::degenerate_entity: return "an entity has no length";
    case Status::crossing_entities: return "entities cross";
    case Status::branching_entities: return "more than two entities meet at a point";
    case Status::open_loop: return "open loop";
    case Status::degenerate_face: return "a loop encloses no area";
    case Status::zero_depth: return "zero depth";
    case Status::bad_reference: return "the reference cannot be reached";
    case Status::bad_axis: return "the axis is out of the sketch plane or crosses the section";
    case Status::no_part: return "the part has no solid";
    case Status::empty_result: return "nothing is left of the part";
    case Status::not_found: return "not found";
    case Status::file_error: return "the file cannot be written or read";
    case Status::bad_file: return "the file holds no valid solid";
    case Status::kernel_failure: return "the geometry kernel failed";
    case Status::outside_model_box: return "outside the model-size box (1e6 from the origin)";
    case Status::no_intersection: return "the feature does not intersect the part";
    case Status::adds_nothing: return "the feature adds no material to the part";
  }
  return "unknown status";
}

const char* section_fault_text(SectionFault fault) {
  switch (fault) {
    case SectionFault::degenerate: return "entity has no length";
    case SectionFault::crossing: return "entities cross";
    case SectionFault::branch: return "more than two entities meet";
    case SectionFault::open_end: return "open end";
  }
  return "unknown fault";
}

// ---- Frames ------------------------------------------------------------------------------

Frame standard_frame(StandardPlane plane, double offset) {
  switch (plane) {
    case StandardPlane::top:
      return {{{1, 0, 0, 0}, {0, 0, -1, 0}, {0, 1, 0, 0}, {0, offset, 0, 1}}};
    case StandardPlane::front:
      return {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, offset, 1}}};
    case StandardPlane::right:
      break;
  }
  return {{{0, 0, -1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {offset, 0, 0, 1}}};
}

bool frame_valid(const Frame& frame) {
  for (const auto& row : frame.m)
    for (double value : row)
      if (!std::isfinite(value)) return false;
  Vec3 u = frame_row(frame, 0), v = frame_row(frame, 1), n = frame_row(frame, 2);
  if (std::fabs(norm(u) - 1) > frame_slack || std::fabs(norm(v) - 1) > frame_slack ||
      std::fabs(dot(u, v)) > frame_slack)
    return false;
  return norm(cross(u, v) - n) <= frame_slack;
}

Vec3 frame_point(const Frame& frame, const Vec2& uv) {
  return frame_row(frame, 3) + frame_row(frame, 0) * uv[0] + frame_row(frame, 1) * uv[1];
}

Vec2 frame_uv(const Frame& frame, const Vec3& point) {
  Vec3 offset = point - frame_row(frame, 3);
  return {dot(offset, frame_row(frame, 0)), dot(offset, frame_row(frame, 1))};
}

Frame frame_offset(const Frame& frame, double distance) {
  Frame out = frame;
  for (int j = 0; j < 3; ++j) out.m[3][j] += distance * frame.m[2][j];
  return out;
}

Frame frame_rotated(const Frame& frame, const Axis& axis, double degrees) {
  // Rodrigues: v' = v cos + (k x v) sin + k (k . v)(1 - cos), k the unit axis.
  Vec3 k = axis.direction * (1 / norm(axis.direction));
  double angle = degrees * pi / 180, c = std::cos(angle), s = std::sin(angle);
  auto turn = [&](const Vec3& v) { return v * c + cross(k, v) * s + k * (dot(k, v) * (1 - c)); };
  Frame out = frame;
  for (int i = 0; i < 4; ++i) {
    Vec3 row = frame_row(frame, i);
    Vec3 turned = i < 3 ? turn(row) : axis.origin + turn(row - axis.origin);
    for (int j = 0; j < 3; ++j) out.m[i][j] = turned[j];
  }
  return out;
}

Plane frame_plane(const Frame& frame) { return {frame_row(frame, 3), frame_row(frame, 2)}; }

Status plane_frame(const Plane& plane, const Vec3& u_hint, Frame& out) {
  double length = norm(plane.normal);
  if (!(length > 1e-12) || !std::isfinite(length) || !std::isfinite(dot(u_hint, u_hint)) ||
      !std::isfinite(dot(plane.origin, plane.origin)))
    return Status::bad_input;
  Vec3 n = plane.normal * (1 / length);
  Vec3 u = u_hint - n * dot(u_hint, n);
  double u_length = norm(u);
  if (!(u_length > frame_slack * norm(u_hint))) return Status::bad_input;
  u = u * (1 / u_length);
  Vec3 v = cross(n, u);
  const Vec3 rows[4] = {u, v, n, plane.origin};
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 3; ++j) out.m[i][j] = rows[i][j];
    out.m[i][3] = i == 3 ? 1 : 0;
  }
  return Status::ok;
}

Plane plane_offset(const Plane& plane, double distance) {
  return {plane.origin + plane.normal * distance, plane.normal};
}

double plane_distance(const Plane& plane, const Vec3& point) {
  return dot(point - plane.origin, plane.normal);
}

bool plane_trace(const Frame& frame, const Plane& plane, Vec2& point, Vec2& direction) {
  // g is the plane's normal seen in the sketch; the trace runs across it.
  Vec3 m = plane.normal * (1 / norm(plane.normal));
  Vec2 g{dot(m, frame_row(frame, 0)), dot(m, frame_row(frame, 1))};
  double length = norm(g);
  if (!(length > frame_slack)) return false;
  double level = dot(m, plane.origin - frame_row(frame, 3));
  point = g * (level / (length * length));
  direction = Vec2{-g[1], g[0]} * (1 / length);
  return true;
}

Axis sketch_axis(const Frame& frame, const Vec2& a, const Vec2& b) {
  Vec3 from = frame_point(frame, a), along = frame_point(frame, b) - from;
  double length = norm(along);
  return {from, length > 0 ? along * (1 / length) : Vec3{}};
}

// ---- Sections ----------------------------------------------------------------------------

Vec2 entity_end(const SectionEntity& entity, bool end) {
  switch (entity.kind) {
    case EntityKind::arc:
      return circle_point(entity.center, entity.radius, end ? entity.end_angle : entity.start_angle);
    case EntityKind::circle:
      return circle_point(entity.center, entity.radius, 0);
    default:
      return end ? entity.end : entity.start;
  }
}

std::vector<SectionProblem> section_check(const std::vector<SectionEntity>& entities,
                                          double tolerance) {
  return check(entities, tolerance).problems;
}

Status profile_make(const Frame& frame, const std::vector<SectionEntity>& entities,
                    double tolerance, Profile& out, std::vector<SectionProblem>* problems) {
  if (problems) problems->clear();
  if (!frame_valid(frame) || !(tolerance > 0) || !std::isfinite(tolerance))
    return Status::bad_input;
  if (!sketch_in_model_box(frame, entities)) return Status::outside_model_box;
  Checked checked = check(entities, tolerance);
  if (checked.entities.empty()) return Status::empty_section;
  if (!checked.problems.empty()) {
    if (problems) *problems = checked.problems;
    auto has = [&](SectionFault fault) {
      return std::any_of(checked.problems.begin(), checked.problems.end(),
                         [fault](const SectionProblem& p) { return p.fault == fault; });
    };
    if (has(SectionFault::degenerate)) return Status::degenerate_entity;
    if (has(SectionFault::crossing)) return Status::crossing_entities;
    if (has(SectionFault::branch)) return Status::branching_entities;
    return Status::open_loop;
  }
  auto data = std::make_shared<ProfileData>();
  data->entities = std::move(checked.entities);
  data->nodes = checked.nodes.places;
  data->entity_nodes = checked.nodes.of_entity;
  data->tolerance = tolerance;
  data->loops = walk_loops(*data, checked.nodes);
  for (const Loop& loop : data->loops) {
    double perimeter = 0;
    for (const LoopStep& step : loop.steps) perimeter += entity_length(data->entities[step.entity]);
    if (std::fabs(loop.area) <= tolerance * perimeter) return Status::degenerate_face;
  }
  // Nesting: a loop inside an even number of others bounds a region from outside, one
  // inside an odd number is a hole in the smallest loop around it.
  int count = static_cast<int>(data->loops.size());
  std::vector<int> depth(count), parent(count, -1);
  for (int i = 0; i < count; ++i) {
    const LoopStep& step = data->loops[i].steps.front();
    Vec2 probe = entity_middle(data->entities[step.entity]);
    for (int j = 0; j < count; ++j) {
      if (j == i || !inside(*data, data->loops[j], probe)) continue;
      ++depth[i];
      if (parent[i] < 0 ||
          std::fabs(data->loops[j].area) < std::fabs(data->loops[parent[i]].area))
        parent[i] = j;
    }
  }
  for (int i = 0; i < count; ++i) {
    Loop& loop = data->loops[i];
    bool hole = depth[i] % 2 == 1;
    if ((loop.area < 0) != hole) reverse(loop);
    data->area += loop.area;
    if (!hole) data->regions.push_back({i, {}});
  }
  for (int i = 0; i < count; ++i) {
    if (depth[i] % 2 == 0) continue;
    for (Region& region : data->regions)
      if (region.outer == parent[i]) region.holes.push_back(i);
  }
  out.frame = frame;
  out.data = std::move(data);
  return Status::ok;
}

double profile_area(const Profile& profile) { return profile.data ? profile.data->area : 0; }

int profile_regions(const Profile& profile) {
  return profile.data ? static_cast<int>(profile.data->regions.size()) : 0;
}

int profile_loops(const Profile& profile) {
  return profile.data ? static_cast<int>(profile.data->loops.size()) : 0;
}

bool in_model_box(const Vec3& point) {
  return std::all_of(point.begin(), point.end(),
                     [](double x) { return std::fabs(x) <= model_box_half; });
}

bool sketch_bounds(const std::vector<SectionEntity>& entities, Vec2& low, Vec2& high) {
  low = {INFINITY, INFINITY};
  high = {-INFINITY, -INFINITY};
  auto take = [&](const Vec2& x, double reach) {
    for (int i = 0; i < 2; ++i) {
      low[i] = std::min(low[i], x[i] - reach);
      high[i] = std::max(high[i], x[i] + reach);
    }
  };
  for (const SectionEntity& e : entities) {
    if (e.kind == EntityKind::arc || e.kind == EntityKind::circle) {
      take(e.center, std::fabs(e.radius));
    } else {
      take(e.start, 0);
      if (e.kind != EntityKind::point) take(e.end, 0);
    }
  }
  return !entities.empty();
}

bool sketch_box_in_model_box(const Frame& frame, const Vec2& low, const Vec2& high) {
  for (double u : {low[0], high[0]})
    for (double v : {low[1], high[1]})
      if (!in_model_box(frame_point(frame, {u, v}))) return false;
  return true;
}

// Non-finite numbers are left to the section check, which finds such entities degenerate.
bool sketch_in_model_box(const Frame& frame, const std::vector<SectionEntity>& entities) {
  for (const SectionEntity& e : entities)
    for (double x : {e.start[0], e.start[1], e.end[0], e.end[1], e.center[0], e.center[1], e.radius})
      if (!std::isfinite(x)) return true;
  Vec2 low{}, high{};
  if (!sketch_bounds(entities, low, high)) return in_model_box(frame_row(frame, 3));
  return sketch_box_in_model_box(frame, low, high);
}

void profile_side_range(const ProfileData& data, const Vec2& point, const Vec2& direction,
                        double& least, double& greatest) {
  Vec2 left{-direction[1], direction[0]};
  least = INFINITY;
  greatest = -INFINITY;
  auto take = [&](const Vec2& x) {
    double side = dot(x - point, left);
    least = std::min(least, side);
    greatest = std::max(greatest, side);
  };
  for (const SectionEntity& e : data.entities) {
    if (e.kind == EntityKind::line) {
      take(e.start);
      take(e.end);
      continue;
    }
    if (e.kind == EntityKind::arc) {
      take(entity_end(e, false));
      take(entity_end(e, true));
    }
    // The arc's points farthest to either side, where it has them.
    for (double sign : {1.0, -1.0}) {
      Vec2 x = e.center + left * (sign * e.radius);
      if (on_arc(e, x, 0)) take(x);
    }
  }
}

}  // namespace yrlhost::geom
