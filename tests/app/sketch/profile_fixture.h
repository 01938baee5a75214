// Fixture profiles for the validation tests and benchmarks: lines, arcs (degrees) and
// circles in view coordinates, built into a YrlSketchValInfo.
#pragma once

#include <cmath>
#include <vector>

#include "app/sketch/sketchval.h"

namespace yrltest {

struct Shape {
  int kind;  // 2 line, 3 arc, 10 circle
  double a, b, c, d, e;
};
inline Shape line(double x0, double y0, double x1, double y1) { return {2, x0, y0, x1, y1, 0}; }
inline Shape arc(double cx, double cy, double r, double start_deg, double sweep_deg) {
  return {3, cx, cy, r, start_deg, sweep_deg};
}
inline Shape circle10(double cx, double cy, double r) { return {10, cx, cy, r, 0, 0}; }
inline std::vector<Shape> rectangle(double x0, double y0, double x1, double y1) {
  return {line(x0, y0, x1, y0), line(x1, y0, x1, y1), line(x1, y1, x0, y1), line(x0, y1, x0, y0)};
}

// A closed polygon of n sides on a circle of radius r around (cx, cy).
inline std::vector<Shape> polygon(int n, double cx, double cy, double r) {
  std::vector<Shape> out;
  const double pi = 3.141592653589793;
  for (int k = 0; k < n; ++k) {
    double a0 = 2 * pi * k / n, a1 = 2 * pi * (k + 1) / n;
    out.push_back(line(cx + r * std::cos(a0), cy + r * std::sin(a0), cx + r * std::cos(a1), cy + r * std::sin(a1)));
  }
  return out;
}

struct Profile {
  explicit Profile(const std::vector<Shape>& shapes) : entities(shapes.size()) {
    const double deg = 3.141592653589793 / 180;
    for (size_t i = 0; i < shapes.size(); ++i) {
      const Shape& s = shapes[i];
      YrlSketchEntity* e = &entities[i];
      *e = YrlSketchEntity{};
      if (s.kind == 2) {
        const double p[2] = {s.a, s.b}, q[2] = {s.c, s.d};
        YrlSketchEntityLineSet(e, p, q);
      } else if (s.kind == 3) {
        const double c[2] = {s.a, s.b};
        YrlSketchEntityArcSet(e, c, s.c, s.d * deg, s.e == 360 ? YRL_TWO_PI : s.e * deg);
      } else {
        const double c[2] = {s.a, s.b};
        YrlSketchEntityCircleSet(e, c, s.c);
      }
    }
    info = YrlSketchValInfo{};
    info.entities = entities.empty() ? nullptr : entities.data();
    info.count = static_cast<int>(entities.size());
  }
  ~Profile() { YrlSketchEntitiesFree(entities.data(), static_cast<int>(entities.size())); }
  Profile(const Profile&) = delete;
  Profile& operator=(const Profile&) = delete;

  std::vector<YrlSketchEntity> entities;
  YrlSketchValInfo info{};
};

}  // namespace yrltest
