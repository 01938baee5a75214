// A part of 50 features built through the host's feature functions as the application
// calls them: a plate extruded from FRONT, a datum plane on its top, and 48 studs and holes
// on a grid sketched on that plane (each made incomplete, its section filled, then
// redefined). Regenerating rebuilds the finished part from its features' trees.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "host/store/elemtrees.h"
#include "host/store/feature_build.h"
#include "host/api/host_behaviours.h"
#include "host/util/host_testing.h"
#include "host/store/model_store.h"
#include "host/store/models.h"
#include "host/store/sections.h"
#include "host/display/selection.h"

namespace {

using yrlhost::Behaviour;
using yrlhost::HostApi;

void must(VynError status) {
  if (status != VYN_TK_NO_ERROR) std::abort();
}

VynElement add(VynElement parent, int id, VynValuedata data = {}) {
  VynElement element = nullptr;
  must(Behaviour<HostApi::VynElementAlloc>::run(1, id, &element));
  if (data.type != 0) {
    VynValue value = nullptr;
    must(Behaviour<HostApi::VynValueAlloc>::run(1, &value));
    must(Behaviour<HostApi::VynValueDataSet>::run(1, value, &data));
    must(Behaviour<HostApi::VynElementValueSet>::run(1, element, value));
  }
  if (parent) must(Behaviour<HostApi::VynElemtreeElementAdd>::run(1, parent, nullptr, element));
  return element;
}
VynValuedata int_value(int v) { return {VYN_VALUE_TYPE_INT, 0, {.i = v}}; }
VynValuedata double_value(double v) {
  VynValuedata data{VYN_VALUE_TYPE_DOUBLE, 0, {}};
  data.value.d = v;
  return data;
}
VynValuedata selection_value(VynSelection selection) {
  VynValuedata data{VYN_VALUE_TYPE_SELECTION, 0, {}};
  data.value.r = selection;
  return data;
}

struct Part {
  VynMdl part = nullptr;
  VynSelection model = nullptr;
  VynSelection front = nullptr;
  VynSelection right = nullptr;
};

Part part_new() {
  yrlhost::host_testing_reset();
  Part p;
  std::string error;
  p.part = yrlhost::host_model_create(yrlhost::model_type_part, "PLATE", error);
  int right = yrlhost::host_feature_add(p.part, 923, "RIGHT", {{{0, 0, -1}, {0, 1, 0}, {1, 0, 0}, {0, 0, 0}}});
  int front = yrlhost::host_feature_add(p.part, 923, "FRONT", {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}}});
  must(Behaviour<HostApi::VynSolidRegenerate>::run(1, p.part, 0));
  p.model = yrlhost::selection_make({yrlhost::model_type_part, 1, p.part}, 0, nullptr);
  p.front = yrlhost::selection_make({yrlhost::item_type_feature, front, p.part}, 0, nullptr);
  p.right = yrlhost::selection_make({yrlhost::item_type_feature, right, p.part}, 0, nullptr);
  return p;
}

VynFeature create(const Part& p, VynElement tree) {
  const int options[] = {2};
  VynFeature feature{};
  VynErrors errors{};
  must(Behaviour<HostApi::VynFeatureCreate>::run(1, p.model, tree, options, 1, &feature, &errors));
  must(Behaviour<HostApi::VynElementFree>::run(1, reinterpret_cast<VynWord>(tree)));
  return feature;
}

// An extrusion on a plane, blind or (for a cut) through all, against the plane's normal
// when flipped; its section filled with the entities and the feature redefined.
void sketched(const Part& p, VynSelection plane, bool cut, double depth, bool flipped,
              const std::vector<Vyn2dEntity>& entities) {
  VynElement root = add(nullptr, 386);
  add(root, 1956, int_value(917));
  add(root, 2023, int_value(cut ? 916 : -1));
  add(root, 388, int_value(1));
  VynElement setup = add(add(root, 447), 450);
  add(setup, 451, selection_value(plane));
  add(setup, 455, selection_value(p.right));
  VynElement extent = add(root, 515);
  add(add(extent, 428), 430, int_value(4096));
  VynElement side = add(extent, 429);
  add(side, 433, int_value(cut ? 1048576 : 262144));
  if (!cut) add(side, 434, double_value(depth));
  VynFeature feature = create(p, root);
  VynElement tree = nullptr;
  must(Behaviour<HostApi::VynFeatureElemtreeCreate>::run(1, &feature, &tree));
  auto section = static_cast<VynSection>(yrlhost::tree_value_read(tree, {447, 458}, VYN_VALUE_TYPE_POINTER).data.value.p);
  for (const Vyn2dEntity& entity : entities) {
    int id = 0;
    must(Behaviour<HostApi::VynSectionEntityAdd>::run(1, section, &entity, &id));
  }
  if (flipped) {
    VynValue value = nullptr;
    VynElement direction = yrlhost::tree_element_find(tree, {436});
    must(Behaviour<HostApi::VynElementValueGet>::run(1, direction, &value));
    VynValuedata one = int_value(1);
    must(Behaviour<HostApi::VynValueDataSet>::run(1, value, &one));
  }
  const int options[] = {2};
  VynErrors errors{};
  must(Behaviour<HostApi::VynFeatureRedefine>::run(1, nullptr, &feature, tree, options, 1, &errors));
  must(Behaviour<HostApi::VynElementFree>::run(1, reinterpret_cast<VynWord>(tree)));
}

Vyn2dEntity line(double u0, double v0, double u1, double v1) {
  yrlhost::geom::SectionEntity e;
  e.start = {u0, v0};
  e.end = {u1, v1};
  return yrlhost::section_record(e);
}
Vyn2dEntity circle(double u, double v, double r) {
  yrlhost::geom::SectionEntity e;
  e.kind = yrlhost::geom::EntityKind::circle;
  e.center = {u, v};
  e.radius = r;
  return yrlhost::section_record(e);
}

// The plate x, y 0..100, z 0..20, the datum plane at z = 20, and the 48 studs and holes.
Part part50() {
  Part p = part_new();
  sketched(p, p.front, false, 20, false, {line(0, 0, 100, 0), line(100, 0, 100, 100), line(100, 100, 0, 100), line(0, 100, 0, 0)});
  VynElement root = add(nullptr, 386);
  add(root, 387, int_value(923));
  VynElement constraint = add(add(root, 410), 411);
  add(constraint, 412, int_value(3));
  add(constraint, 413, selection_value(p.front));
  add(constraint, 414, double_value(20));
  VynFeature plane = create(p, root);
  VynSelection on = yrlhost::selection_make(plane, 0, nullptr);
  for (int k = 0; k < 48; ++k) {
    double u = 14 + 12 * (k % 7), v = 14 + 12 * (k / 7);
    if (k % 2 == 0) sketched(p, on, false, 5, false, {circle(u, v, 3)});
    else sketched(p, on, true, 0, true, {circle(u, v, 2)});
  }
  if (yrlhost::stored_model(p.part)->features.size() != 52) std::abort();  // with RIGHT and FRONT
  return p;
}

void BM_feature_api_part50_build(benchmark::State& state) {
  for (auto _ : state) {
    Part p = part50();
    benchmark::DoNotOptimize(yrlhost::stored_model(p.part)->solid.data);
  }
  yrlhost::host_testing_reset();
}
BENCHMARK(BM_feature_api_part50_build)->Unit(benchmark::kMillisecond);

void BM_feature_api_part50_regenerate(benchmark::State& state) {
  Part p = part50();
  for (auto _ : state) must(Behaviour<HostApi::VynSolidRegenerate>::run(1, p.part, 0));
  yrlhost::host_testing_reset();
}
BENCHMARK(BM_feature_api_part50_regenerate)->Unit(benchmark::kMillisecond);

}  // namespace
