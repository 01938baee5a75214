// The feature builder on random element trees: the input draws trees of the element ids,
// kinds and values the builder reads (and others), well-formed trees of extrusions,
// revolutions, holes and datum planes whose sizes and distances are drawn, sections to
// fill, and a sequence of creations, redefinitions, deletions and regenerations on a part
// with the default datum planes. Numbers are drawn from small ones and extreme ones (far past the
// model-size box, tiny, not finite), so that a size no kernel should see is tried. Every answer must be one the functions document; a refused creation or
// redefinition must name its faults and leave the part's features and solid as they were;
// a feature made must have an id of 1 or more.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
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

void require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "feature fuzz: %s\n", what);
  std::abort();
}

template <typename T>
T draw_from(FuzzInput& in, std::initializer_list<T> list) {
  return list.begin()[in.below(static_cast<int>(list.size()))];
}

constexpr std::initializer_list<int> element_ids = {
    386, 387, 388, 1956, 2023, 3176, 447, 450, 451, 452, 454, 455, 458, 515, 428, 429, 430, 431,
    432, 433, 434, 435, 436, 499, 6,    437,  438,  439, 440, 441, 442, 443, 444, 1671, 1689, 1672,
    82,  1340, 1341, 696, 704, 706, 707, 708, 1684, 1685, 1686, 1687, 1688, 410, 411, 412, 413,
    414, 3123, 2015, 2016, 2017, 2019, 2020, 2021, 2022, 3179, 511, 7};
constexpr std::initializer_list<int> int_values = {
    917, 916, 911, 923, 926, 931, 949, 0, 1, 2, 3, 4, 5, 6, -1, 34, 128, 512, 2048, 4096, 262144,
    1048576, 4194304, 8388608, 65536, 131072, 134217728, 268435456, 999};
constexpr std::initializer_list<double> double_values = {
    0, 1, 2.5, 5, 7, 10, 90, 360, 400, -3, 1e-9, 1e300, std::numeric_limits<double>::quiet_NaN(),
    std::numeric_limits<double>::infinity()};
// Sizes and coordinates at and past the model-size box (1e6), and below any tolerance.
constexpr std::initializer_list<double> extreme_values = {
    999999, 1e6, 1000001, 2e6, 1e12, 1e180, 1e300, -1e300, 1.7e308, 1e-7, 1e-12, 1e-300, 5e-324,
    -5e-324, std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
    std::numeric_limits<double>::quiet_NaN()};

struct Run {
  Run(const std::uint8_t* data, std::size_t size) : in{data, size} {}

  FuzzInput in;
  VynMdl part = nullptr;
  VynModelitem planes[3]{};  // the default datum planes' features: RIGHT, TOP, FRONT
  std::vector<VynFeature> features;  // made, maybe deleted since
  std::vector<VynSelection> selections;

  VynModelitem item() {
    yrlhost::StoredModel* model = yrlhost::stored_model(part);
    switch (in.below(4)) {
      case 0:
        if (!model->features.empty())
          return {yrlhost::item_type_feature, model->features[in.below(static_cast<int>(model->features.size()))].id, part};
        return {};
      case 1:
        if (!model->datums.empty())
          return {yrlhost::item_type_surface, model->datums[in.below(static_cast<int>(model->datums.size()))].id, part};
        return {};
      case 2: return {draw_from(in, {3, 5, 2, 21}), in.below(40), part};
      default: return {yrlhost::item_type_surface, 2, nullptr};
    }
  }

  // A number: mostly a small whole one, else an extreme one.
  double number() { return in.below(3) ? in.below(12) - 2 : draw_from(in, extreme_values); }

  VynValuedata value() {
    VynValuedata data{};
    switch (in.below(4)) {
      case 0:
        data.type = VYN_VALUE_TYPE_INT;
        data.value.i = draw_from(in, int_values);
        break;
      case 1:
        data.type = VYN_VALUE_TYPE_DOUBLE;
        data.value.d = in.below(2) ? draw_from(in, double_values) : number();
        break;
      case 2:
        data.type = VYN_VALUE_TYPE_SELECTION;
        selections.push_back(yrlhost::selection_make(item(), 0, nullptr));
        data.value.r = selections.back();
        break;
      default:
        data.type = VYN_VALUE_TYPE_POINTER;
        data.value.p = reinterpret_cast<void*>(static_cast<std::uintptr_t>(in.word()));
        break;
    }
    return data;
  }

  // A tree of up to a few dozen elements under a root that is mostly 386.
  VynElement tree() {
    VynElement root = yrlhost::tree_element_new(in.below(8) ? 386 : draw_from(in, element_ids));
    std::vector<VynElement> parents = {root};
    int count = in.below(40);
    for (int i = 0; i < count && !in.done(); ++i) {
      VynElement element = yrlhost::tree_element_new(draw_from(in, element_ids));
      if (in.below(2)) yrlhost::tree_element_value_set(element, value());
      VynElement parent = parents[in.below(static_cast<int>(parents.size()))];
      if (!yrlhost::tree_element_append(parent, element)) {
        yrlhost::tree_free(element);
        continue;
      }
      parents.push_back(element);
    }
    return root;
  }

  VynElement leaf(int id, const VynValuedata& data) {
    VynElement element = yrlhost::tree_element_new(id);
    yrlhost::tree_element_value_set(element, data);
    return element;
  }
  VynElement leaf_int(int id, int v) {
    VynValuedata data{};
    data.type = VYN_VALUE_TYPE_INT;
    data.value.i = v;
    return leaf(id, data);
  }
  VynElement leaf_double(int id, double v) {
    VynValuedata data{};
    data.type = VYN_VALUE_TYPE_DOUBLE;
    data.value.d = v;
    return leaf(id, data);
  }
  VynElement leaf_plane(int id) {
    VynValuedata data{};
    data.type = VYN_VALUE_TYPE_SELECTION;
    selections.push_back(yrlhost::selection_make(planes[in.below(3)], 0, nullptr));
    data.value.r = selections.back();
    return leaf(id, data);
  }
  VynElement node(int id, std::initializer_list<VynElement> children) {
    VynElement element = yrlhost::tree_element_new(id);
    for (VynElement child : children) yrlhost::tree_element_append(element, child);
    return element;
  }

  // A tree of the form the application builds (an extrusion or a revolution, added or
  // cut, a hole, a datum plane) on the default datum planes, with its sizes and distances
  // drawn.
  VynElement shaped_tree() {
    switch (in.below(4)) {
      case 0:
        return node(386, {leaf_int(1956, 917), leaf_int(2023, in.below(2) ? 916 : -1), leaf_int(388, 1),
                          node(447, {node(450, {leaf_plane(451), leaf_int(452, 1), leaf_int(454, 4), leaf_plane(455)})}),
                          node(515, {node(428, {leaf_int(430, in.below(2) ? 4096 : 128), leaf_double(431, number())}),
                                     node(429, {leaf_int(433, 262144), leaf_double(434, number())})})});
      case 1:
        return node(386, {leaf_int(387, 911), leaf_int(388, 1),
                          node(1671, {leaf_int(1689, 34), leaf_double(82, number()),
                                      node(1684, {node(1685, {leaf_int(1687, in.below(2) ? 1 : 3), leaf_double(431, number())}),
                                                  node(1686, {leaf_int(1688, 6)})})}),
                          node(1340, {leaf_plane(1341), leaf_plane(704), leaf_double(706, number()), leaf_plane(707),
                                      leaf_double(708, number())})});
      case 2:
        return node(386, {leaf_int(1956, 917), leaf_int(2023, in.below(2) ? 916 : -1), leaf_int(388, 2),
                          node(447, {node(450, {leaf_plane(451), leaf_int(452, 1), leaf_int(454, 4), leaf_plane(455)})}),
                          node(6, {node(437, {leaf_int(439, in.below(2) ? 262144 : 65536)}),
                                   node(438, {leaf_int(440, in.below(2) ? 4194304 : 268435456),
                                              leaf_double(442, in.below(2) ? 90 : number())})})});
      default:
        return node(386, {leaf_int(387, 923),
                          node(410, {node(411, {leaf_int(412, 3), leaf_plane(413), leaf_double(414, number())})})});
    }
  }

  std::vector<int> options() {
    switch (in.below(3)) {
      case 0: return {};
      case 1: return {2};
      default: return {1, 2, in.below(5)};
    }
  }

  struct PartState {
    std::size_t features = 0;
    double volume = 0;
  };
  PartState state() {
    yrlhost::StoredModel* model = yrlhost::stored_model(part);
    return {model->features.size(), yrlhost::geom::solid_summary(model->solid).volume};
  }
  void require_unchanged(const PartState& before, const char* what) {
    PartState after = state();
    require(after.features == before.features, what);
    require(after.volume == before.volume || (std::isnan(after.volume) && std::isnan(before.volume)), what);
  }
  void require_refusal(VynError status, const VynErrors& errors, const PartState& before, const char* what) {
    require(status == VYN_TK_NO_ERROR || status == VYN_TK_GENERAL_ERROR || status == VYN_TK_BAD_INPUTS, what);
    if (status == VYN_TK_GENERAL_ERROR) require(errors.count >= 1 && errors.rows, "a refusal names no fault");
    if (status != VYN_TK_NO_ERROR) require_unchanged(before, what);
  }

  void create() {
    VynElement root = in.below(2) ? shaped_tree() : tree();
    std::vector<int> list = options();
    VynSelection model = yrlhost::selection_make({yrlhost::model_type_part, 1, part}, 0, nullptr);
    VynFeature feature{};
    VynErrors errors{};
    PartState before = state();
    VynError status = Behaviour<HostApi::VynFeatureCreate>::run(1, model, root, list.data(),
                                                                 static_cast<int>(list.size()), &feature, &errors);
    require_refusal(status, errors, before, "creation");
    if (status == VYN_TK_NO_ERROR) {
      require(feature.id >= 1 && yrlhost::stored_feature(*yrlhost::stored_model(part), feature.id), "no feature made");
      features.push_back(feature);
    }
    yrlhost::selection_release(model);
    yrlhost::tree_free(root);
  }

  // Fills a made feature's section from the input and redefines it, from its own tree
  // or from a random one.
  void redefine() {
    if (features.empty()) return;
    VynFeature feature = features[in.below(static_cast<int>(features.size()))];
    VynElement tree = nullptr;
    VynError got = Behaviour<HostApi::VynFeatureElemtreeCreate>::run(1, &feature, &tree);
    require(got == VYN_TK_NO_ERROR || got == VYN_TK_BAD_INPUTS, "tree of a feature");
    if (got != VYN_TK_NO_ERROR) return;
    if (in.below(3) == 0) {
      yrlhost::tree_free(tree);
      tree = this->tree();
    }
    yrlhost::TreeValue section = yrlhost::tree_value_read(tree, {447, 458}, VYN_VALUE_TYPE_POINTER);
    if (section.status == yrlhost::TreeRead::ok) {
      int count = in.below(6);
      for (int i = 0; i < count; ++i) {
        Vyn2dEntity entity{};
        entity.type = 1 + in.below(5);
        for (double* value : {&entity.start[0], &entity.start[1], &entity.end[0], &entity.end[1], &entity.center[0],
                              &entity.center[1], &entity.radius})
          *value = number();
        entity.end_angle = in.below(7);
        int id = 0;
        Behaviour<HostApi::VynSectionEntityAdd>::run(1, static_cast<VynSection>(section.data.value.p), &entity, &id);
      }
    }
    std::vector<int> list = options();
    VynErrors errors{};
    PartState before = state();
    VynError status = Behaviour<HostApi::VynFeatureRedefine>::run(1, nullptr, &feature, tree, list.data(),
                                                                   static_cast<int>(list.size()), &errors);
    require_refusal(status, errors, before, "redefinition");
    yrlhost::tree_free(tree);
  }

  void remove() {
    if (features.empty()) return;
    int id = features[in.below(static_cast<int>(features.size()))].id;
    std::vector<int> list = options();
    VynError status = Behaviour<HostApi::VynFeatureDelete>::run(1, part, &id, 1, list.data(), static_cast<int>(list.size()));
    require(status == VYN_TK_NO_ERROR || status == VYN_TK_GENERAL_ERROR || status == VYN_TK_BAD_INPUTS, "deletion");
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  yrlhost::host_testing_reset();
  Run run(data, size);
  std::string error;
  run.part = yrlhost::host_model_create(yrlhost::model_type_part, "P", error);
  require(run.part != nullptr, "no part");
  const yrlhost::HostPlane planes[] = {{{0, 0, -1}, {0, 1, 0}, {1, 0, 0}, {0, 0, 0}},
                                       {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}, {0, 0, 0}},
                                       {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}}};
  for (int i = 0; i < 3; ++i)
    run.planes[i] = {yrlhost::item_type_feature, yrlhost::host_feature_add(run.part, 923, "", {planes[i]}), run.part};
  Behaviour<HostApi::VynSolidRegenerate>::run(1, run.part, 0);
  for (int step = 0; step < 12 && !run.in.done(); ++step) {
    switch (run.in.below(5)) {
      case 0:
      case 1: run.create(); break;
      case 2: run.redefine(); break;
      case 3: run.remove(); break;
      default: Behaviour<HostApi::VynSolidRegenerate>::run(1, run.part, 0); break;
    }
  }
  // The part leaves the session with everything its features held.
  for (VynSelection selection : run.selections) yrlhost::selection_release(selection);
  yrlhost::host_model_erase(run.part);
  yrlhost::TreeCounts trees = yrlhost::tree_counts();
  require(trees.elements == 0 && trees.values == 0, "trees left behind");
  require(yrlhost::section_counts().sections == 0, "sections left behind");
  return 0;
}
