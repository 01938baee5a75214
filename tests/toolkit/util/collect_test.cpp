// The collection, find and traversal utilities on the stand-in host's parts, assemblies,
// element trees, parameters and windows, and on rows the tests supply for what the host
// does not model.
#include "toolkit/util/collect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "host/store/assemblies.h"
#include "host/store/elemtrees.h"
#include "host/display/graphics.h"
#include "host/util/live_objects.h"
#include "host/store/models.h"
#include "host/plugin/call_log.h"
#include "host/geometry/geometry.h"
#include "host/util/host_testing.h"
#include "host/store/model_geometry.h"
#include "host/store/model_store.h"
#include "tests/toolkit/toolkit_test.h"
#include "toolkit/api/app_api.h"
#include "toolkit/api/catalogue_drawing_featref_api.h"
#include "toolkit/api/catalogue_output_udfreference_api.h"
#include "toolkit/local/geomdata.h"
#include "toolkit/util/elemtree_util.h"

namespace {

std::vector<int> ids_of(VynArray array) {
  std::vector<int> ids;
  int n = 0;
  if (!array || VynArraySizeGet(array, &n) != 0) return ids;
  for (int i = 0; i < n; ++i) ids.push_back(static_cast<VynModelitem*>(array)[i].id);
  return ids;
}

std::vector<std::vector<int>> tables_of(VynArray array) {
  std::vector<std::vector<int>> tables;
  int n = 0;
  VynArraySizeGet(array, &n);
  for (int i = 0; i < n; ++i) {
    const VynAsmcomppath& path = static_cast<VynAsmcomppath*>(array)[i];
    tables.emplace_back(path.comp_id_table, path.comp_id_table + path.table_num);
  }
  return tables;
}

class CollectTest : public yrltest::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    table_options.extra = extra_rows();
    bind_table();
    std::string error;
    part = yrlhost::host_model_create(yrlhost::model_type_part, "BLOCK", error);
    ASSERT_TRUE(part) << error;
    boss = yrlhost::host_feature_add(part, 917, "BOSS", {});
    hidden = yrlhost::host_feature_add(part, 917, "HIDDEN", {});
    curve = yrlhost::host_feature_add(part, 949, "", {});
    ASSERT_TRUE(yrlhost::host_feature_state_set(part, hidden, 5, false));
  }
  virtual std::vector<win_export_entry> extra_rows() { return {}; }

  // A chain of assemblies, each placing the next, the last placing a part: depth levels.
  VynMdl chain(int depth, const std::string& prefix) {
    std::string error;
    VynMdl leaf = yrlhost::host_model_create(yrlhost::model_type_part, prefix + "LEAF", error);
    VynMdl below = leaf;
    VynMdl top = nullptr;
    for (int level = depth - 1; level >= 0; --level) {
      top = yrlhost::host_assembly_create(prefix + std::to_string(level), error);
      EXPECT_GT(yrlhost::host_component_add(top, below, ""), 0);
      below = top;
    }
    return top;
  }

  VynMdl part = nullptr;
  int boss = 0, hidden = 0, curve = 0;
};

TEST_F(CollectTest, FindVisibleFeatureByName) {
  VynFeature found{0, -1, nullptr};
  EXPECT_EQ(VynUtilFindFeatvisByName(part, u"BOSS", &found), 0);
  EXPECT_EQ(found.id, boss);
  EXPECT_EQ(found.type, 3);
  EXPECT_EQ(found.owner, part);
  // A suppressed (invisible) feature and an unknown name leave the output alone.
  for (const VynWchar* name : {u"HIDDEN", u"NONE", u"BOS"}) {
    VynFeature untouched{0, -1, nullptr};
    EXPECT_EQ(VynUtilFindFeatvisByName(part, name, &untouched), 0);
    EXPECT_EQ(untouched.id, -1);
  }
  // Names compare without regard to case.
  VynFeature lower{0, -1, nullptr};
  EXPECT_EQ(VynUtilFindFeatvisByName(part, u"boss", &lower), 0);
  EXPECT_EQ(lower.id, boss);
  // Without the visibility filter the invisible one is found.
  VynFeature any{0, -1, nullptr};
  EXPECT_EQ(VynUtilFindFeatureByName(part, u"HIDDEN", &any), 0);
  EXPECT_EQ(any.id, hidden);
  EXPECT_EQ(VynUtilFindFeatvisByName(nullptr, u"BOSS", &any), -2);
}

TEST_F(CollectTest, FeatureCollectorsFilter) {
  VynArray features = nullptr;
  ASSERT_EQ(VynUtilCollectSolidFeatures(part, &features), 0);
  EXPECT_EQ(ids_of(features), (std::vector<int>{boss, hidden, curve}));
  VynArrayFree(&features);
  ASSERT_EQ(VynUtilCollectSolidFeatvis(part, &features), 0);
  EXPECT_EQ(ids_of(features), (std::vector<int>{boss, curve}));
  VynArrayFree(&features);
  ASSERT_EQ(VynUtilCollectDtmCurveFeat(part, &features), 0);
  EXPECT_EQ(ids_of(features), (std::vector<int>{curve}));
  VynArrayFree(&features);
  EXPECT_EQ(VynUtilCollectSolidFeatures(part, nullptr), -2);
  features = reinterpret_cast<VynArray>(0x1);
  EXPECT_EQ(VynUtilCollectSolidFeatures(nullptr, &features), -2);
  EXPECT_EQ(features, nullptr);
}

TEST_F(CollectTest, ASolidWithoutCsysGivesNotFoundAndNoArray) {
  std::size_t live = yrlhost::live_object_count(yrlhost::LiveKind::array);
  VynArray csys = reinterpret_cast<VynArray>(0x1);
  EXPECT_EQ(VynUtilCollectSolidCsys(part, &csys), -4);
  EXPECT_EQ(csys, nullptr);
  EXPECT_EQ(yrlhost::live_object_count(yrlhost::LiveKind::array), live);
  VynGeomitem item{0, -1, nullptr};
  EXPECT_EQ(VynUtilFindCsysByName(part, u"CS0", &item), -4);
  EXPECT_EQ(item.id, -1);
}

TEST_F(CollectTest, ComponentPathsListParentsBeforeChildren) {
  std::string error;
  VynMdl top = yrlhost::host_assembly_create("TOP", error);
  VynMdl sub = yrlhost::host_assembly_create("SUB", error);
  int sub1 = yrlhost::host_component_add(top, sub, "SUB-1");
  int in_sub = yrlhost::host_component_add(sub, part, "BLOCK-1");
  int in_sub2 = yrlhost::host_component_add(sub, part, "BLOCK-2");
  int in_top = yrlhost::host_component_add(top, part, "BLOCK-3");
  VynArray paths = nullptr;
  int count = 0;
  ASSERT_EQ(VynUtilCollectAsmcomppath(top, &paths, &count), 0);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(tables_of(paths),
            (std::vector<std::vector<int>>{{sub1}, {sub1, in_sub}, {sub1, in_sub2}, {in_top}}));
  EXPECT_EQ(static_cast<VynAsmcomppath*>(paths)[1].owner, top);
  VynArrayFree(&paths);

  // The traversal sees the same paths in the same order.
  std::vector<std::vector<int>> seen;
  EXPECT_EQ(VynUtilAsmTraverse(
                top,
                [](VynAsmcomppath* path, void* data) {
                  static_cast<std::vector<std::vector<int>>*>(data)->emplace_back(
                      path->comp_id_table, path->comp_id_table + path->table_num);
                  return VynError{0};
                },
                &seen),
            0);
  EXPECT_EQ(seen,
            (std::vector<std::vector<int>>{{sub1}, {sub1, in_sub}, {sub1, in_sub2}, {in_top}}));

  VynArray components = nullptr;
  ASSERT_EQ(VynUtilCollectAsmcomp(top, &components), 0);
  EXPECT_EQ(ids_of(components), (std::vector<int>{sub1, in_top}));
  VynArrayFree(&components);
}

TEST_F(CollectTest, AnEmptyAssemblyClearsTheCallersArray) {
  std::string error;
  VynMdl empty = yrlhost::host_assembly_create("EMPTY", error);
  std::size_t live = yrlhost::live_object_count(yrlhost::LiveKind::array);
  VynArray paths = reinterpret_cast<VynArray>(0x1);
  int count = 7;
  EXPECT_EQ(VynUtilCollectAsmcomppath(empty, &paths, &count), -4);
  EXPECT_EQ(paths, nullptr);
  EXPECT_EQ(count, 7);
  EXPECT_EQ(yrlhost::live_object_count(yrlhost::LiveKind::array), live);
  EXPECT_EQ(VynUtilCollectAsmcomppath(empty, nullptr, &count), -2);
  EXPECT_EQ(VynUtilCollectAsmcomppath(empty, &paths, nullptr), -2);
}

TEST_F(CollectTest, AssembliesDeeperThanAPathAreRefusedNotOverrun) {
  // 25 levels fit a path; the 26th does not.
  VynMdl fits = chain(VYN_ASMCOMPPATH_MAX, "F");
  VynArray paths = nullptr;
  int count = 0;
  ASSERT_EQ(VynUtilCollectAsmcomppath(fits, &paths, &count), 0);
  EXPECT_EQ(count, VYN_ASMCOMPPATH_MAX);
  EXPECT_EQ(static_cast<VynAsmcomppath*>(paths)[count - 1].table_num, VYN_ASMCOMPPATH_MAX);
  VynArrayFree(&paths);

  VynMdl deep = chain(VYN_ASMCOMPPATH_MAX + 1, "D");
  std::size_t live = yrlhost::live_object_count(yrlhost::LiveKind::array);
  paths = reinterpret_cast<VynArray>(0x1);
  EXPECT_EQ(VynUtilCollectAsmcomppath(deep, &paths, &count), -1);
  EXPECT_EQ(paths, nullptr);
  EXPECT_EQ(yrlhost::live_object_count(yrlhost::LiveKind::array), live);

  int visited = 0;
  EXPECT_EQ(
      VynUtilAsmTraverse(
          deep,
          [](VynAsmcomppath*, void* data) { return VynError{++*static_cast<int*>(data) * 0}; },
          &visited),
      0);
  EXPECT_EQ(visited, VYN_ASMCOMPPATH_MAX);
}

TEST_F(CollectTest, ElementsWithCopiesOfTheirPaths) {
  VynUtilElemtreeRow rows[] = {
      {0, 386, {-1, 0, {0}}}, {1, 387, {1, 0, {0}}}, {1, 447, {-1, 0, {0}}}};
  VynElement tree = nullptr;
  ASSERT_EQ(VynUtilElemtreeCreate(rows, 3, nullptr, &tree), 0);
  VynArray elements = nullptr;
  ASSERT_EQ(VynUtilCollectElemtreeElements(tree, nullptr, &elements), 0);
  int n = 0;
  VynArraySizeGet(elements, &n);
  ASSERT_EQ(n, 3);
  const auto* records = static_cast<VynUtilElemRecord*>(elements);
  std::vector<VynElempathItem> items;
  ASSERT_TRUE(yrlhost::tree_path_items(records[2].path, items));
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].value, 447);
  EXPECT_EQ(yrlhost::tree_counts().paths, 3u);
  EXPECT_EQ(VynUtilElemtreeElementArrayFree(&elements), 0);
  EXPECT_EQ(elements, nullptr);
  EXPECT_EQ(yrlhost::tree_counts().paths, 0u);

  // A copy or an add that fails ends the visit: the paths already collected are freed
  // with the array, the one being copied by the action.
  for (const char* key : {"VynElempathCopy_v", "VynArrayObjectAdd_v"}) {
    yrlhost::call_log_fail_on_call(key, 3, VYN_TK_GENERAL_ERROR);
    elements = reinterpret_cast<VynArray>(0x1);
    EXPECT_EQ(VynUtilCollectElemtreeElements(tree, nullptr, &elements), VYN_TK_GENERAL_ERROR)
        << key;
    EXPECT_EQ(elements, nullptr);
    EXPECT_EQ(yrlhost::tree_counts().paths, 0u) << key;
  }
  yrlhost::tree_free(tree);
}

TEST_F(CollectTest, ParametersOfAModelItem) {
  VynModelitem owner{3, boss, part};
  unsigned char room[512];
  VynParamvalue value{};
  value.type = 50;  // a double
  for (const VynWchar* name : {u"DEPTH", u"WIDTH"})
    ASSERT_EQ(VynParameterCreate(&owner, name, &value, reinterpret_cast<VynParameter*>(room)), 0);
  VynArray params = nullptr;
  ASSERT_EQ(VynUtilCollectParameters(&owner, &params), 0);
  int n = 0;
  VynArraySizeGet(params, &n);
  ASSERT_EQ(n, 2);
  const auto* bytes = static_cast<const unsigned char*>(params);
  // The records are packed at 84 bytes each: the second one's name is copied out.
  VynName name = {};
  std::memcpy(name, bytes + VYN_UTIL_PARAMETER_SIZE + offsetof(yrlhost::HostParameterRecord, name),
              sizeof name);
  EXPECT_EQ(std::u16string(name), u"WIDTH");
  VynArrayFree(&params);
}

TEST_F(CollectTest, LayersOfADrawing) {
  std::string error;
  VynMdl drawing = yrlhost::host_model_create(yrlhost::model_type_drawing, "SHEETS", error);
  ASSERT_TRUE(drawing) << error;
  VynLayer layer{};
  ASSERT_EQ(VynLayerCreate(drawing, u"NOTES", &layer), 0);
  ASSERT_EQ(VynLayerCreate(drawing, u"DIMS", &layer), 0);
  VynArray layers = nullptr;
  ASSERT_EQ(VynUtilCollectMdlLayers(drawing, &layers), 0);
  int n = 0;
  VynArraySizeGet(layers, &n);
  ASSERT_EQ(n, 2);
  VynName name = {};
  ASSERT_EQ(VynModelitemNameGet(&static_cast<VynLayer*>(layers)[1], name), 0);
  EXPECT_EQ(std::u16string(name), u"DIMS");
  VynArrayFree(&layers);
  // A drawing's notes: none yet, a complete visit and an empty array.
  VynArray notes = nullptr;
  ASSERT_EQ(VynUtilCollectModelNotes(drawing, &notes), 0);
  EXPECT_EQ(ids_of(notes), std::vector<int>{});
  VynArrayFree(&notes);
}

TEST_F(CollectTest, WindowIds) {
  VynArray ids = nullptr;
  ASSERT_EQ(VynUtilCollectWindowIds(&ids), 0);
  int n = 0;
  VynArraySizeGet(ids, &n);
  std::vector<int> collected(static_cast<int*>(ids), static_cast<int*>(ids) + n);
  EXPECT_EQ(collected, yrlhost::window_ids());
  VynArrayFree(&ids);
}

// ---- Rows the tests supply

int dimension_count = 0;
int dimension_ids[3] = {11, 12, 13};
VynError dim_ids(int, VynMdl, int, int, int** ids) {
  *ids = dimension_ids;
  return dimension_count;
}

double axis_degrees = 0;
VynGeomitemdata axis_geometry;
VynCurvedata axis_line;
VynError axis_data(int, VynAxis, VynGeomitemdata** data) {
  double a = axis_degrees * 3.14159265358979323846 / 180.0;
  const double start[3] = {1, 1, 1}, end[3] = {1 + 2 * std::cos(a), 1 + 2 * std::sin(a), 1};
  VynLinedataInit(start, end, &axis_line);
  axis_geometry.obj_type = 21;
  axis_geometry.data.p_curve_data = &axis_line;
  *data = &axis_geometry;
  return 0;
}
int geometry_freed = 0;
VynError geometry_free(int, VynGeomitemdata** data) {
  ++geometry_freed;
  *data = nullptr;
  return 0;
}
VynError xsec_visit(int, VynSolid, VynItemVisitActionNoStatus, void*) { return -4; }

class CollectRowsTest : public CollectTest {
 protected:
  std::vector<win_export_entry> extra_rows() override {
    return {yrltest::host_row(&dim_ids, "vyndim_get_dim_ids_v"),
            yrltest::host_row(&axis_data, "VynAxisDataGet_v"),
            yrltest::host_row(&geometry_free, "VynGeomitemdataFree_v"),
            yrltest::host_row(&xsec_visit, "VynSolidXsecVisit_v")};
  }
};

TEST_F(CollectRowsTest, DimensionIds) {
  std::size_t live = yrlhost::live_object_count(yrlhost::LiveKind::array);
  dimension_count = 0;
  VynArray ids = reinterpret_cast<VynArray>(0x1);
  EXPECT_EQ(VynUtilCollectDimension(part, 1, 0, &ids), -4);
  EXPECT_EQ(yrlhost::live_object_count(yrlhost::LiveKind::array), live);
  dimension_count = -3;
  EXPECT_EQ(VynUtilCollectDimension(part, 1, 0, &ids), -1);
  dimension_count = 3;
  ASSERT_EQ(VynUtilCollectDimension(part, 1, 0, &ids), 0);
  int n = 0;
  VynArraySizeGet(ids, &n);
  EXPECT_EQ(std::vector<int>(static_cast<int*>(ids), static_cast<int*>(ids) + n),
            (std::vector<int>{11, 12, 13}));
  VynArrayFree(&ids);
}

TEST_F(CollectRowsTest, AxisByVectorWithinAMillionthOfTheCosine) {
  const struct {
    double degrees;
    int mode;
    VynError result;
  } cases[] = {
      {0.0, 0, 0},
      {0.08, 0, 0},
      {180.0, 0, 0},
      {1.0, 0, -7},
      // Perpendicular: the cosine itself must be below 1e-6 (about 0.00006 degrees).
      {90.0, 1, 0},
      {89.99995, 1, 0},
      {89.95, 1, -7},
      {0.0, 1, -7},
      {0.0, 2, -7},  // no such mode
  };
  VynUtilAxisByVectorData data{nullptr, {1, 0, 0}, 0};
  for (const auto& c : cases) {
    axis_degrees = c.degrees;
    data.mode = c.mode;
    geometry_freed = 0;
    EXPECT_EQ(VynUtilAxisByVectorFilterAction(reinterpret_cast<void*>(0x10), &data), c.result)
        << c.degrees << " mode " << c.mode;
    EXPECT_EQ(geometry_freed, 1);
  }
}

TEST_F(CollectRowsTest, CrossSectionsKeepAnEmptyArray) {
  VynArray sections = nullptr;
  EXPECT_EQ(VynUtilCollectSolidXsec(part, &sections), 0);
  ASSERT_NE(sections, nullptr);
  int n = -1;
  VynArraySizeGet(sections, &n);
  EXPECT_EQ(n, 0);
  VynArrayFree(&sections);
}

// A feature visit that answers -4 when it visits nothing, as a host may.
VynError feature_visit_or_not_found(int, VynSolid solid, VynFeatureVisitAction action,
                                    VynFeatureFilterAction filter, void* data) {
  int visited = 0;
  for (int id : yrlhost::host_feature_ids(solid)) {
    VynFeature feature{yrlhost::item_type_feature, id, solid};
    VynError status = filter ? filter(&feature, data) : VYN_TK_NO_ERROR;
    if (status == VYN_TK_CONTINUE) continue;
    ++visited;
    status = action(&feature, status, data);
    if (status != VYN_TK_NO_ERROR) return status;
  }
  return visited ? VYN_TK_NO_ERROR : VYN_TK_E_NOT_FOUND;
}

class CollectNotFoundTest : public CollectTest {
 protected:
  std::vector<win_export_entry> extra_rows() override {
    return {yrltest::host_row(&feature_visit_or_not_found, "VynSolidFeatVisit_v")};
  }
};

// One level without datum-point features passes the collector's -4 on; the collection
// over an assembly goes on to its components all the same.
TEST_F(CollectNotFoundTest, DatumPointsOfAssemblyComponents) {
  int point_feature = yrlhost::host_feature_add(part, 931, "PNT0", {});
  yrlhost::StoredDatum point;
  point.feature_id = point_feature;
  point.kind = yrlhost::DatumKind::point;
  point.name = u"PNT0";
  std::vector<int> ids;
  ASSERT_TRUE(yrlhost::part_geometry_testing_set(part, yrlhost::geom::Shape{}, {point}, &ids));
  std::string error;
  VynMdl assembly = yrlhost::host_assembly_create("ASM", error);
  ASSERT_TRUE(assembly) << error;
  int component = yrlhost::host_component_add(assembly, part, "");
  ASSERT_GT(component, 0);

  VynArray selections = nullptr;
  ASSERT_EQ(VynArrayAlloc(0, sizeof(VynSelection), 1, &selections), 0);
  EXPECT_EQ(VynUtilCollectOneLevelDtmPnts(assembly, nullptr, &selections), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(VynUtilCollectOneLevelDtmPnts(part, nullptr, &selections), 0);
  int n = 0;
  VynArraySizeGet(selections, &n);
  EXPECT_EQ(n, 1);
  VynUtilSelectionArrayFree(&selections);

  int count = 0;
  ASSERT_EQ(VynUtilCollectSolidDtmPnts(assembly, &selections, &count), 0);
  ASSERT_EQ(count, 1);
  VynModelitem item{};
  ASSERT_EQ(VynSelectionModelitemGet(static_cast<VynSelection*>(selections)[0], &item), 0);
  EXPECT_EQ(item.type, yrlhost::item_type_point);
  EXPECT_EQ(item.id, ids[0]);
  EXPECT_EQ(item.owner, part);
  VynUtilSelectionArrayFree(&selections);

  // A part of no datum points gives -4 and no array.
  VynMdl empty = yrlhost::host_model_create(yrlhost::model_type_part, "EMPTY", error);
  selections = reinterpret_cast<VynArray>(0x1);
  count = 7;
  EXPECT_EQ(VynUtilCollectSolidDtmPnts(empty, &selections, &count), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(selections, nullptr);
  EXPECT_EQ(count, 7);
}

}  // namespace
