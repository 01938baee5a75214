// A part of 50 features on the host's geometry module: a plate, then 49 studs and holes
// on a 7 x 7 grid (studs added on the top face, holes through all), as the feature
// builder makes it. Building makes each section's profile and solid; regenerating
// rebuilds the solids from the profiles kept, as a change of one feature's depth does;
// the point query runs over the finished part's 150-odd faces.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "host/geometry/geometry.h"

namespace {

namespace geom = yrlhost::geom;

constexpr double tolerance = 1e-6;

struct Feature {
  geom::Frame frame;
  std::vector<geom::SectionEntity> section;
  geom::Extent extent;
  geom::Combine how;
};

geom::SectionEntity circle(double u, double v, double radius) {
  geom::SectionEntity e;
  e.id = 1;
  e.kind = geom::EntityKind::circle;
  e.center = {u, v};
  e.radius = radius;
  return e;
}

// The plate x, y 0..100, z 0..20 (sketched on FRONT), then the grid.
std::vector<Feature> features(double stud_height) {
  geom::Frame front = geom::standard_frame(geom::StandardPlane::front, 0);
  std::vector<Feature> list;
  Feature plate{front, {}, {{geom::DepthKind::blind, 20, {}}, {}}, geom::Combine::add};
  const geom::Vec2 corners[4] = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
  for (int i = 0; i < 4; ++i) {
    geom::SectionEntity side;
    side.id = i + 1;
    side.start = corners[i];
    side.end = corners[(i + 1) % 4];
    plate.section.push_back(side);
  }
  list.push_back(plate);
  geom::Frame top_face = geom::standard_frame(geom::StandardPlane::front, 20);
  for (int k = 0; k < 49; ++k) {
    double u = 14 + 12 * (k % 7), v = 14 + 12 * (k / 7);
    if (k % 2 == 0)
      list.push_back({top_face, {circle(u, v, 3)},
                      {{geom::DepthKind::blind, stud_height, {}}, {}}, geom::Combine::add});
    else
      list.push_back({top_face, {circle(u, v, 2)},
                      {{}, {geom::DepthKind::through_all, 0, {}}}, geom::Combine::remove});
  }
  return list;
}

geom::Shape build(const std::vector<Feature>& list, const std::vector<geom::Profile>& profiles) {
  geom::Shape part;
  for (std::size_t i = 0; i < list.size(); ++i) {
    geom::Shape tool, next;
    if (geom::prism(profiles[i], list[i].extent, part, static_cast<int>(i) + 1, tool) !=
            geom::Status::ok ||
        geom::combine(part, tool, list[i].how, next) != geom::Status::ok)
      std::abort();
    part = next;
  }
  return part;
}

std::vector<geom::Profile> profiles_of(const std::vector<Feature>& list) {
  std::vector<geom::Profile> profiles(list.size());
  for (std::size_t i = 0; i < list.size(); ++i)
    if (geom::profile_make(list[i].frame, list[i].section, tolerance, profiles[i], nullptr) !=
        geom::Status::ok)
      std::abort();
  return profiles;
}

void BM_part50_build(benchmark::State& state) {
  std::vector<Feature> list = features(5);
  for (auto _ : state) {
    geom::Shape part = build(list, profiles_of(list));
    benchmark::DoNotOptimize(part.data);
  }
}
BENCHMARK(BM_part50_build)->Unit(benchmark::kMillisecond);

void BM_part50_regenerate(benchmark::State& state) {
  std::vector<Feature> list = features(5);
  std::vector<geom::Profile> profiles = profiles_of(list);
  double height = 5;
  for (auto _ : state) {
    height = height == 5 ? 6 : 5;
    for (std::size_t i = 2; i < list.size(); i += 2) list[i].extent.front.distance = height;
    geom::Shape part = build(list, profiles);
    benchmark::DoNotOptimize(part.data);
  }
}
BENCHMARK(BM_part50_regenerate)->Unit(benchmark::kMillisecond);

void BM_part50_geometry_at_point(benchmark::State& state) {
  std::vector<Feature> list = features(5);
  geom::Shape part = build(list, profiles_of(list));
  // On a stud's rim: its top face, its side and the rim edge.
  const geom::Vec3 point{17, 14, 25};
  for (auto _ : state) {
    geom::PointHits hits = geom::geometry_at_point(part, point, tolerance);
    if (hits.faces.size() != 2) std::abort();
    benchmark::DoNotOptimize(hits.faces.data());
  }
}
BENCHMARK(BM_part50_geometry_at_point)->Unit(benchmark::kMicrosecond);

}  // namespace
