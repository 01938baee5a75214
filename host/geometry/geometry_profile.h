// What the geometry module's two halves share (host/geometry/geometry.h is the interface): the
// checked loops of a profile, which the 2-D half (geometry_section.cpp) finds and the
// kernel half (geometry_occt.cpp) turns into faces, and small vector helpers.
#pragma once

#include <array>
#include <cmath>
#include <vector>

#include "host/geometry/geometry.h"

namespace yrlhost::geom {

inline constexpr double pi = 3.14159265358979323846;

inline Vec2 operator+(const Vec2& a, const Vec2& b) { return {a[0] + b[0], a[1] + b[1]}; }
inline Vec2 operator-(const Vec2& a, const Vec2& b) { return {a[0] - b[0], a[1] - b[1]}; }
inline Vec2 operator*(const Vec2& a, double s) { return {a[0] * s, a[1] * s}; }
inline double dot(const Vec2& a, const Vec2& b) { return a[0] * b[0] + a[1] * b[1]; }
inline double cross(const Vec2& a, const Vec2& b) { return a[0] * b[1] - a[1] * b[0]; }
inline double norm(const Vec2& a) { return std::hypot(a[0], a[1]); }

inline Vec3 operator+(const Vec3& a, const Vec3& b) {
  return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}
inline Vec3 operator-(const Vec3& a, const Vec3& b) {
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
inline Vec3 operator*(const Vec3& a, double s) { return {a[0] * s, a[1] * s, a[2] * s}; }
inline double dot(const Vec3& a, const Vec3& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
inline Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
inline double norm(const Vec3& a) { return std::sqrt(dot(a, a)); }

// Row i of a frame as a vector (0 u, 1 v, 2 normal, 3 origin).
inline Vec3 frame_row(const Frame& frame, int i) {
  return {frame.m[i][0], frame.m[i][1], frame.m[i][2]};
}

// One entity of a loop, walked from its start to its end (forward) or back.
struct LoopStep {
  int entity = 0;  // index into ProfileData::entities
  bool forward = true;
};

// A closed loop: counter-clockwise (positive area) when it bounds a region from outside,
// clockwise when it is a hole.
struct Loop {
  std::vector<LoopStep> steps;
  double area = 0;  // signed, as walked
};

struct Region {
  int outer = 0;           // index into ProfileData::loops
  std::vector<int> holes;  // the same
};

struct ProfileData {
  std::vector<SectionEntity> entities;  // the lines, arcs and circles, in section order
  std::vector<Vec2> nodes;              // where entity ends meet
  // The nodes at each entity's start and end; -1 for a circle.
  std::vector<std::array<int, 2>> entity_nodes;
  std::vector<Loop> loops;
  std::vector<Region> regions;
  double tolerance = 0;
  double area = 0;
};

// An entity's point at its start (end = false) or end, in sketch coordinates; a circle's
// point at angle 0 for either.
Vec2 entity_end(const SectionEntity& entity, bool end);

// The sketch rectangle that holds the entities (an arc or a circle with its whole circle);
// false for none.
bool sketch_bounds(const std::vector<SectionEntity>& entities, Vec2& low, Vec2& high);
// Whether the sketch rectangle low-high lies within the model-size box on the frame.
bool sketch_box_in_model_box(const Frame& frame, const Vec2& low, const Vec2& high);
// The least and greatest signed distance of the profile's entities from a sketch line
// through `point` along the unit `direction` (positive to its left).
void profile_side_range(const ProfileData& data, const Vec2& point, const Vec2& direction,
                        double& least, double& greatest);

}  // namespace yrlhost::geom
