// A fixture for the feature tests: a part with the default datum planes, element trees
// built through the host's function table as the application builds them, and the
// application's road of a sketched feature (create incomplete, fill the section, redefine).
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "host/store/feature_build.h"
#include "host/api/host_behaviours.h"
#include "host/plugin/host_table.h"
#include "host/store/model_store.h"
#include "host/store/models.h"
#include "host/display/selection.h"
#include "tests/host/host_test.h"

namespace yrltest {

inline constexpr double pi_value = 3.14159265358979323846;

// An element tree as a value: the element's id, its value (type 0: none) and children.
struct Node {
  int id = 0;
  VynValuedata value{};
  std::vector<Node> children;
};
inline Node I(int id, int v) { return {id, {VYN_VALUE_TYPE_INT, 0, {.i = v}}, {}}; }
inline Node D(int id, double v) {
  Node node{id, {VYN_VALUE_TYPE_DOUBLE, 0, {}}, {}};
  node.value.value.d = v;
  return node;
}
inline Node S(int id, const VynModelitem& item) {
  Node node{id, {VYN_VALUE_TYPE_SELECTION, 0, {}}, {}};
  node.value.value.r = yrlhost::selection_make(item, 0, nullptr);
  return node;
}
inline Node N(int id, std::vector<Node> children) { return {id, {}, std::move(children)}; }

inline Vyn2dEntity point2d(double x, double y) { return line2d(x, y, 0, 0, VYN_2D_POINT); }
inline std::vector<Vyn2dEntity> rect2d(double u0, double v0, double u1, double v1) {
  return {line2d(u0, v0, u1, v0), line2d(u1, v0, u1, v1), line2d(u1, v1, u0, v1), line2d(u0, v1, u0, v0)};
}

#define YRL_FEATURE_FUNCTIONS(X)                \
  X(element_alloc, VynElementAlloc)             \
  X(element_free, VynElementFree)               \
  X(element_value_get, VynElementValueGet)      \
  X(element_value_set, VynElementValueSet)      \
  X(tree_add, VynElemtreeElementAdd)            \
  X(tree_get, VynElemtreeElementGet)            \
  X(path_alloc, VynElempathAlloc)               \
  X(path_data_set, VynElempathDataSet)          \
  X(path_free, VynElempathFree)                 \
  X(value_alloc, VynValueAlloc)                 \
  X(value_data_get, VynValueDataGet)            \
  X(value_data_set, VynValueDataSet)            \
  X(feature_create, VynFeatureCreate)           \
  X(feature_redefine, VynFeatureRedefine)       \
  X(feature_delete, VynFeatureDelete)           \
  X(feature_tree, VynFeatureElemtreeCreate)     \
  X(feature_value, VynFeatureElemValueGet)      \
  X(feature_sections, VynFeatureNumSectionsGet) \
  X(feature_status, VynFeatureStatusGet)        \
  X(feature_type, VynFeatureTypeGet)            \
  X(sketch_add, VynFeatureSketchAdd)            \
  X(sketch_validate, VynFeatureSketchValidate)  \
  X(entity_add, VynSectionEntityAdd)            \
  X(section_location, VynSectionLocationGet)    \
  X(regenerate, VynSolidRegenerate)             \
  X(name_set, VynModelitemNameSet)              \
  X(model_copy, VynMdlCopy)                     \
  X(selection_free, VynSelectionFree)         \
  X(feature_items_visit, VynFeatureGeomitemVisit)

class FeatureTest : public HostTest {
 protected:
  static constexpr VynError ok = VYN_TK_NO_ERROR;

  void SetUp() override {
    HostTest::SetUp();
    table = yrlhost::host_table_build();
#define YRL_FEATURE_BIND(member, row) member = yrlhost::host_function<yrlhost::HostApi::row>(table);
    YRL_FEATURE_FUNCTIONS(YRL_FEATURE_BIND)
#undef YRL_FEATURE_BIND
    std::string error;
    part = yrlhost::host_model_create(yrlhost::model_type_part, "BLOCK", error);
    ASSERT_NE(part, nullptr) << error;
    // The default datum planes as the templates hold them.
    const yrlhost::HostPlane right{{0, 0, -1}, {0, 1, 0}, {1, 0, 0}, {0, 0, 0}};
    const yrlhost::HostPlane top_plane{{1, 0, 0}, {0, 0, -1}, {0, 1, 0}, {0, 0, 0}};
    const yrlhost::HostPlane front_plane{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}};
    RIGHT = feature_item(yrlhost::host_feature_add(part, 923, "RIGHT", {right}));
    TOP = feature_item(yrlhost::host_feature_add(part, 923, "TOP", {top_plane}));
    FRONT = feature_item(yrlhost::host_feature_add(part, 923, "FRONT", {front_plane}));
    ASSERT_EQ(regenerate(1, part, 0), ok);
  }

  // VynElementFree takes its element as a word.
  VynError release(VynElement tree) { return element_free(1, reinterpret_cast<VynWord>(tree)); }

  VynModelitem feature_item(int id) { return {yrlhost::item_type_feature, id, part}; }
  yrlhost::StoredModel& stored() { return *yrlhost::stored_model(part); }
  yrlhost::geom::SolidSummary summary() { return yrlhost::geom::solid_summary(stored().solid); }

  // Builds a tree through the host functions (the nodes' selections stay the test's: one
  // node may be built more than once).
  VynElement build(const Node& node) {
    VynElement element = nullptr;
    EXPECT_EQ(element_alloc(1, node.id, &element), ok);
    if (node.value.type != 0) {
      VynValue value = nullptr;
      EXPECT_EQ(value_alloc(1, &value), ok);
      EXPECT_EQ(value_data_set(1, value, &node.value), ok);
      EXPECT_EQ(element_value_set(1, element, value), ok);
    }
    for (const Node& child : node.children) {
      VynElement built = build(child);
      EXPECT_EQ(tree_add(1, element, nullptr, built), ok);
    }
    return element;
  }

  // The application's trees (feature type, form, sketch set-up), with the extent given.
  Node sketch_setup(const VynModelitem& plane, const VynModelitem& orientation_ref) {
    return N(447, {N(450, {S(451, plane), I(452, 1), I(454, 4), S(455, orientation_ref)})});
  }
  Node extrude(const VynModelitem& plane, Node depth, bool cut = false, int form = 1) {
    return N(386, {I(1956, 917), I(3176, 0), I(2023, cut ? 916 : -1), I(388, form),
                   sketch_setup(plane, RIGHT), std::move(depth)});
  }
  static Node blind(double depth) {
    return N(515, {N(428, {I(430, 4096)}), N(429, {I(433, 262144), D(434, depth)})});
  }
  static Node both_sides(double depth) {
    return N(515, {N(428, {I(430, 128), D(431, depth / 2)}), N(429, {I(433, 262144), D(434, depth / 2)})});
  }
  static Node through_all() { return N(515, {N(428, {I(430, 512)}), N(429, {I(433, 1048576)})}); }
  static Node up_to(const VynModelitem& ref, bool flipped) {
    if (flipped) return N(515, {N(428, {I(430, 4096)}), N(429, {I(433, 4194304), S(435, ref)})});
    return N(515, {N(428, {I(430, 2048), S(432, ref)}), N(429, {I(433, 8388608)})});
  }
  static Node angle(double degrees) {
    if (degrees > 360) return N(6, {N(437, {I(439, 65536)}), N(438, {I(440, 268435456)})});
    return N(6, {N(437, {I(439, 262144)}), N(438, {I(440, 4194304), D(442, degrees)})});
  }
  Node datum_plane(const VynModelitem& ref, double offset, int flip = 0) {
    return N(386, {I(387, 923), N(410, {N(411, {I(412, 3), S(413, ref), D(414, offset)})}), I(3123, flip)});
  }
  Node hole(const VynModelitem& plane, double diameter, Node depth, double d1, double d2) {
    return N(386, {I(387, 911), I(388, 1),
                   N(1671, {I(1689, 34), I(1672, 16), I(1672, 16), D(82, diameter), std::move(depth)}),
                   N(1340, {S(1341, plane), I(696, 1), S(704, FRONT), D(706, d1), S(707, RIGHT), D(708, d2)})});
  }
  static Node hole_blind(double depth) {
    return N(1684, {N(1685, {I(1687, 1), D(431, depth)}), N(1686, {I(1688, 6)})});
  }
  static Node hole_through() {
    return N(1684, {N(1685, {I(1687, 3), D(431, 0)}), N(1686, {I(1688, 3), D(434, 0)})});
  }

  // Creates a feature of the tree (options {2} unless told); the status, the feature and
  // the errors come back.
  VynError create(const Node& tree, VynFeature& feature, VynErrors& errors, std::vector<int> options = {2}) {
    VynElement root = build(tree);
    VynSelection model = yrlhost::selection_make({yrlhost::model_type_part, stored().id, part}, 0, nullptr);
    VynError status = feature_create(1, model, root, options.data(), static_cast<int>(options.size()),
                                     &feature, &errors);
    yrlhost::selection_release(model);
    EXPECT_EQ(release(root), ok);
    return status;
  }

  // The section of a feature's tree, as the application finds it at {447, 458}.
  VynSection section_of(VynElement tree) {
    VynElempath path = nullptr;
    const VynElempathItem items[] = {{VYN_ELEMPATH_ID, 447}, {VYN_ELEMPATH_ID, 458}};
    EXPECT_EQ(path_alloc(1, &path), ok);
    EXPECT_EQ(path_data_set(1, path, items, 2), ok);
    VynElement element = nullptr;
    VynValue value = nullptr;
    VynValuedata data{};
    VynError found = tree_get(1, tree, path, &element);
    EXPECT_EQ(path_free(1, &path), ok);
    if (found != ok) return nullptr;
    EXPECT_EQ(element_value_get(1, element, &value), ok);
    EXPECT_EQ(value_data_get(1, value, &data), ok);
    return static_cast<VynSection>(data.value.p);
  }

  // The value at a path of a feature's tree (VynFeatureElemValueGet) and its data.
  VynValuedata feature_value_at(VynFeature& feature, const std::vector<VynElempathItem>& items, VynValue& value) {
    VynElempath path = nullptr;
    VynValuedata data{};
    EXPECT_EQ(path_alloc(1, &path), ok);
    EXPECT_EQ(path_data_set(1, path, items.data(), static_cast<int>(items.size())), ok);
    EXPECT_EQ(feature_value(1, &feature, path, &value), ok);
    EXPECT_EQ(value_data_get(1, value, &data), ok);
    EXPECT_EQ(path_free(1, &path), ok);
    return data;
  }

  // The application's road for a sketched feature: create it incomplete, take its tree,
  // fill its section and redefine it. The redefinition's status comes back.
  VynError sketched(const Node& tree, const std::vector<Vyn2dEntity>& entities, VynFeature& feature,
                    VynErrors& errors) {
    VynError status = create(tree, feature, errors);
    EXPECT_EQ(status, ok);
    if (status != ok) return status;
    return fill_and_redefine(feature, entities, errors);
  }
  VynError fill_and_redefine(VynFeature& feature, const std::vector<Vyn2dEntity>& entities, VynErrors& errors) {
    VynElement tree = nullptr;
    EXPECT_EQ(feature_tree(1, &feature, &tree), ok);
    VynSection section = section_of(tree);
    EXPECT_NE(section, nullptr);
    for (const Vyn2dEntity& entity : entities) {
      int id = 0;
      EXPECT_EQ(entity_add(1, section, &entity, &id), ok);
    }
    const int options[] = {2};
    VynError status = feature_redefine(1, nullptr, &feature, tree, options, 1, &errors);
    EXPECT_EQ(release(tree), ok);
    return status;
  }
  // Builds a feature as the application does: a sketched one (a section given) by its
  // road, another at once without option 2. The status of the build comes back.
  VynError attempt(const Node& tree, const std::vector<Vyn2dEntity>& section, VynFeature& feature,
                   VynErrors& errors) {
    return section.empty() ? create(tree, feature, errors, {}) : sketched(tree, section, feature, errors);
  }
  // A feature made from a tree that needs no section.
  VynFeature made(const Node& tree) {
    VynFeature feature{};
    VynErrors errors{};
    EXPECT_EQ(create(tree, feature, errors, {}), ok);
    return feature;
  }
  VynFeature made_sketched(const Node& tree, const std::vector<Vyn2dEntity>& entities) {
    VynFeature feature{};
    VynErrors errors{};
    EXPECT_EQ(sketched(tree, entities, feature, errors), ok);
    return feature;
  }
  // The block x, y, z 0..10: a FRONT rectangle extruded 10.
  VynFeature block() { return made_sketched(extrude(FRONT, blind(10)), rect2d(0, 0, 10, 10)); }

  const yrlhost::StoredDatum* datum_of(const VynFeature& feature) {
    for (const yrlhost::StoredDatum& datum : stored().datums)
      if (datum.feature_id == feature.id) return &datum;
    return nullptr;
  }

  void expect_solid(double volume, int faces, const yrlhost::geom::Box& box, const std::string& what) {
    yrlhost::geom::SolidSummary s = summary();
    EXPECT_NEAR(s.volume, volume, 1e-6 * std::max(1.0, volume)) << what;
    EXPECT_EQ(s.faces, faces) << what;
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(s.box.min[i], box.min[i], 1e-6) << what << " min " << i;
      EXPECT_NEAR(s.box.max[i], box.max[i], 1e-6) << what << " max " << i;
    }
  }

  std::vector<win_export_entry> table;
  VynMdl part = nullptr;
  VynModelitem RIGHT{}, TOP{}, FRONT{};
#define YRL_FEATURE_MEMBER(member, row) \
  decltype(yrlhost::host_function<yrlhost::HostApi::row>({})) member = nullptr;
  YRL_FEATURE_FUNCTIONS(YRL_FEATURE_MEMBER)
#undef YRL_FEATURE_MEMBER
};

}  // namespace yrltest
