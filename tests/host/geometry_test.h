// Section entities and checks for the geometry module's tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/geometry/geometry.h"

namespace yrltest {

using yrlhost::geom::EntityKind;
using yrlhost::geom::SectionEntity;
using yrlhost::geom::Vec2;
using yrlhost::geom::Vec3;

inline constexpr double pi = 3.14159265358979323846;
// The section tolerance of the tests.
inline constexpr double tol = 1e-6;

inline void expect_near3(const Vec3& got, const Vec3& want, double slack,
                         const std::string& what = "") {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], want[i], slack) << what << " component " << i;
}

inline SectionEntity line(int id, Vec2 from, Vec2 to, EntityKind kind = EntityKind::line) {
  SectionEntity e;
  e.id = id;
  e.kind = kind;
  e.start = from;
  e.end = to;
  return e;
}

inline SectionEntity arc(int id, Vec2 center, double radius, double from, double to) {
  SectionEntity e;
  e.id = id;
  e.kind = EntityKind::arc;
  e.center = center;
  e.radius = radius;
  e.start_angle = from;
  e.end_angle = to;
  return e;
}

inline SectionEntity circle(int id, Vec2 center, double radius) {
  SectionEntity e = arc(id, center, radius, 0, 0);
  e.kind = EntityKind::circle;
  return e;
}

// The four sides of the rectangle (u0, v0)-(u1, v1), ids first_id.., counter-clockwise
// from (u0, v0).
inline std::vector<SectionEntity> rectangle(double u0, double v0, double u1, double v1,
                                            int first_id = 1) {
  const Vec2 corners[4] = {{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}};
  std::vector<SectionEntity> sides;
  for (int i = 0; i < 4; ++i) sides.push_back(line(first_id + i, corners[i], corners[(i + 1) % 4]));
  return sides;
}

// The entities of a and then b.
inline std::vector<SectionEntity> joined(std::vector<SectionEntity> a,
                                         const std::vector<SectionEntity>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace yrltest
