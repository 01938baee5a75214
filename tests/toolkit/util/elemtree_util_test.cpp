// The element-tree utilities on the stand-in host's element trees.
#include "toolkit/util/elemtree_util.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host/store/assemblies.h"
#include "host/store/elemtrees.h"
#include "host/api/host_behaviours.h"
#include "host/store/models.h"
#include "host/display/graphics.h"
#include "platform/w32/path.h"
#include "tests/support/console_capture.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"
#include "tests/toolkit/toolkit_test.h"
#include "toolkit/api/app_api.h"
#include "toolkit/api/catalogue_2d_draw_api.h"
#include "toolkit/api/catalogue_drawing_featref_api.h"
#include "toolkit/api/catalogue_feature_option_api.h"
#include "toolkit/api/catalogue_output_udfreference_api.h"
#include "toolkit/api/catalogue_udfvardim_xsec_api.h"
#include "toolkit/util/elemtree_util_testing.h"

namespace {

VynUtilElemtreeRow row(int level, int id) { return {level, id, {-1, 0, {0}}}; }
VynUtilElemtreeRow int_row(int level, int id, int value) {
  VynUtilElemtreeRow r{level, id, {VYN_VALUE_TYPE_INT, 0, {0}}};
  r.value.value.i = value;
  return r;
}

class ElemtreeUtilTest : public yrltest::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    bind_table();
    ASSERT_TRUE(w32::w32_set_drive('C', dir.path().c_str()));
    ASSERT_TRUE(w32::w32_set_current_drive('C'));
  }
  void TearDown() override {
    for (VynElement tree : trees) yrlhost::tree_free(tree);
    ToolkitTest::TearDown();
  }
  VynElement build(const std::vector<VynUtilElemtreeRow>& rows) {
    VynElement tree = nullptr;
    EXPECT_EQ(VynUtilElemtreeCreate(rows.data(), static_cast<int>(rows.size()), nullptr, &tree), 0);
    trees.push_back(tree);
    return tree;
  }
  std::string printed(VynElement tree) {
    EXPECT_EQ(VynUtilShowTreeInInfo(tree), 0);
    return yrltest::read_file(dir.file("elemtree.inf"));
  }
  VynSelection selection_of(int type, int id) {
    VynModelitem item{type, id, nullptr};
    VynSelection selection = nullptr;
    EXPECT_EQ(VynSelectionAlloc(nullptr, &item, &selection), 0);
    return selection;
  }
  yrltest::TempDir dir;
  std::vector<VynElement> trees;
};

TEST_F(ElemtreeUtilTest, CreateHangsEachRowUnderTheLastOfTheLevelAbove) {
  VynElement tree = build({row(0, 386), int_row(1, 387, 917), row(1, 447), row(2, 450), row(1, 515),
                           int_row(2, 428, 3)});
  EXPECT_EQ(yrlhost::tree_text(tree),
            "386\n  387 = int 917\n  447\n    450\n  515\n    428 = int 3\n");
}

TEST_F(ElemtreeUtilTest, CreateUnderAGivenRoot) {
  VynElement root = build({row(0, 386)});
  VynElement same = nullptr;
  std::vector<VynUtilElemtreeRow> rows = {row(1, 447), row(2, 450)};
  EXPECT_EQ(VynUtilElemtreeCreate(rows.data(), 2, root, &same), 0);
  EXPECT_EQ(same, root);
  EXPECT_EQ(yrlhost::tree_text(root), "386\n  447\n    450\n");
}

TEST_F(ElemtreeUtilTest, CreateRefusesRowsWithoutAParentAndLeavesNothing) {
  const std::vector<std::vector<VynUtilElemtreeRow>> bad = {
      {row(0, 386), row(2, 450)},                            // skips a level
      {row(0, 386), row(1, 447), row(0, 386), row(2, 450)},  // the new root has no 447
      {row(1, 447)},                                         // no root at all
      {row(0, 386), row(VYN_UTIL_TREE_LEVELS, 450)},         // beyond the kept levels
      {row(-1, 386)},
      {row(0, 386), row(1, 0)},  // the host refuses id 0
  };
  for (const auto& rows : bad) {
    VynElement tree = reinterpret_cast<VynElement>(std::uintptr_t{1});
    EXPECT_NE(VynUtilElemtreeCreate(rows.data(), static_cast<int>(rows.size()), nullptr, &tree), 0);
    EXPECT_EQ(tree, reinterpret_cast<VynElement>(std::uintptr_t{1}));
    EXPECT_EQ(yrlhost::tree_counts().elements, 0u);
    EXPECT_EQ(yrlhost::tree_counts().values, 0u);
  }
}

TEST_F(ElemtreeUtilTest, PrintShowsNamesKindsAndValues) {
  VynUtilElemtreeRow dbl{1, 431, {VYN_VALUE_TYPE_DOUBLE, 0, {0}}};
  dbl.value.value.d = 2.5;
  VynUtilElemtreeRow text{1, 1964, {VYN_VALUE_TYPE_WSTRING, 0, {0}}};
  text.value.value.w = u"Boss";
  VynElement tree = build(
      {row(0, 386), int_row(1, 387, 917), row(1, 410), row(2, 411), int_row(3, 412, 0), dbl, text});
  EXPECT_EQ(printed(tree),
            "Element tree\n============\n\n"
            "FEATURE_TREE   Elem Id: 386    (COMPOUND) \n"
            " |---FEATURE_TYPE   Elem Id: 387   VALUE (INT)       = 917\n"
            " |---DTMPLN_CONSTRAINTS   Elem Id: 410    (ARRAY) \n"
            " |    |---not exist   Elem Id: 411    (COMPOUND) \n"
            " |         |---DTMPLN_CONSTR_TYPE   Elem Id: 412   VALUE (INT)       = 0\n"
            " |---not exist   Elem Id: 431   VALUE (DOUBLE)    = 2.500000\n"
            " |---not exist   Elem Id: 1964   VALUE (WSTRING)   = Boss\n");
  EXPECT_EQ(yrlhost::call_log_of("VynInfoWindowDisplay_v").size(), 1u);
}

TEST_F(ElemtreeUtilTest, PointersPrintOverTheirWholeWidth) {
  VynUtilElemtreeRow pointer{1, 3, {VYN_VALUE_TYPE_POINTER, 0, {0}}};
  pointer.value.value.p = reinterpret_cast<void*>(std::uintptr_t{0x7f12345678ab});
  VynUtilElemtreeRow null_pointer{1, 3, {VYN_VALUE_TYPE_POINTER, 0, {0}}};
  VynElement tree = build({row(0, 386), pointer, null_pointer});
  EXPECT_EQ(printed(tree),
            "Element tree\n============\n\n"
            "FEATURE_TREE   Elem Id: 386    (COMPOUND) \n"
            " |---not exist   Elem Id:   3   POINTER           = 7f12345678ab\n"
            " |---not exist   Elem Id:   3   POINTER           = **\n");
}

// An element whose id the host cannot read: the id as the host's query left it.
VynError id_get_fails(int, VynElement, int* id) {
  *id = 99999;
  return VYN_TK_BAD_INPUTS;
}

class ElemtreeBadIdTest : public ElemtreeUtilTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    table_options.extra = {yrltest::host_row(&id_get_fails, "VynElementIdGet_v")};
    bind_table();
    ASSERT_TRUE(w32::w32_set_drive('C', dir.path().c_str()));
    ASSERT_TRUE(w32::w32_set_current_drive('C'));
  }
};

TEST_F(ElemtreeBadIdTest, AnUnreadableIdIsPrintedAsTheHostLeftIt) {
  VynElement tree = build({row(0, 386)});
  EXPECT_EQ(VynUtilShowTreeInInfo(tree), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(yrltest::read_file(dir.file("elemtree.inf")),
            "Element tree\n============\n\nElement id 99999 is bad valued \n");
}

// Tree text is drawn 15 high with a width factor of 0.75, whatever the host's current
// attributes, which are set back; an advance moves right 22.5 units a character.
TEST_F(ElemtreeUtilTest, TextIsDrawnFifteenHighThreeQuartersWide) {
  elemtree_util_testing_reset();
  ASSERT_EQ(VynTextHeightCurrentSet(4.0), 0);
  ASSERT_EQ(VynTextWidthFactorCurrentSet(0.5), 0);
  ASSERT_EQ(VynUtilDisp("abc", 1), 0);
  ASSERT_EQ(VynUtilDisp("d", 0), 0);
  ASSERT_EQ(VynUtilDisp("e", 0), 0);
  const yrlhost::WindowState* window = yrlhost::window_find(yrlhost::window_current());
  ASSERT_NE(window, nullptr);
  ASSERT_GE(window->display_list.size(), 3u);
  const auto* entry = &window->display_list[window->display_list.size() - 3];
  const struct {
    const char* text;
    double x;
  } drawn[] = {{"abc", 20.0}, {"d", 20.0 + 3 * 22.5}, {"e", 20.0 + 3 * 22.5}};
  for (const auto& expected : drawn) {
    EXPECT_EQ(entry->text, expected.text);
    EXPECT_EQ(entry->text_height, 15.0);
    EXPECT_EQ(entry->text_width_factor, 0.75);
    EXPECT_EQ(entry->points[0], (std::vector<double>{expected.x, 700.0, 0.0})) << expected.text;
    ++entry;
  }
  EXPECT_EQ(yrlhost::graphics_state().text_height, 4.0);
  EXPECT_EQ(yrlhost::graphics_state().text_width_factor, 0.5);
  EXPECT_EQ(VynUtilDisp(nullptr, 0), VYN_TK_BAD_INPUTS);
}

TEST_F(ElemtreeUtilTest, SelectionsAndTransformsPrintTheirDetails) {
  VynSelection picked = selection_of(5, 42);
  VynUtilElemtreeRow selection{1, 451, {VYN_VALUE_TYPE_SELECTION, 0, {0}}};
  selection.value.value.r = picked;
  static const double matrix[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {1.5, -2, 3, 1}};
  VynUtilElemtreeRow transform{1, 452, {VYN_VALUE_TYPE_TRANSFORM, 0, {0}}};
  transform.value.value.t = matrix;
  VynElement tree = build({row(0, 386), selection, transform});
  VynSelectionFree(&picked);
  std::string text = printed(tree);
  EXPECT_NE(text.find("VALUE (SELECTION) Id = 42 Type = 5 Owner = 0 Path = \n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("VALUE (TRANSFORM)\n"
                      "                   1.00000  0.00000  0.00000  0.00000\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("                   1.50000 -2.00000  3.00000  1.00000\n"),
            std::string::npos);
}

TEST_F(ElemtreeUtilTest, TreesDeeperThanTheKeptLevelsPrintWhole) {
  std::vector<VynUtilElemtreeRow> rows;
  for (int level = 0; level < VYN_UTIL_TREE_LEVELS; ++level) rows.push_back(row(level, 386));
  VynElement tree = build(rows);
  // Five more levels below the deepest element the rows can reach.
  VynElement deepest = tree;
  while (!yrlhost::tree_element_children(deepest).empty())
    deepest = yrlhost::tree_element_children(deepest)[0];
  for (int extra = 0; extra < 5; ++extra) {
    VynElement child = yrlhost::tree_element_new(387);
    ASSERT_TRUE(yrlhost::tree_element_append(deepest, child));
    deepest = child;
  }
  std::string text = printed(tree);
  std::size_t lines = 0;
  for (char c : text) lines += c == '\n';
  EXPECT_EQ(lines, 3u + VYN_UTIL_TREE_LEVELS + 5u);
  std::string last_line = text.substr(text.rfind('\n', text.size() - 2) + 1);
  EXPECT_EQ(last_line, std::string(5 * (VYN_UTIL_TREE_LEVELS + 3), ' ') +
                           " |---FEATURE_TYPE   Elem Id: 387    (COMPOUND) \n");
}

TEST_F(ElemtreeUtilTest, GraphicsModeDrawsOnlyWhenAsked) {
  VynElement tree = build({row(0, 386)});
  {
    yrltest::ScopedEnv graph("GRAPH_WINDOW", nullptr);
    int window = 5;
    EXPECT_EQ(VynUtilElementtreePrint(tree, VYN_UTIL_TREE_GRAPHICS, &window), 0);
    EXPECT_EQ(window, -1);
  }
  EXPECT_TRUE(yrlhost::call_log_of("VynSolidCreate_v").empty());
  EXPECT_EQ(yrltest::read_file(dir.file("elemtree.inf")), "");
  yrltest::ScopedEnv graph("GRAPH_WINDOW", "YES");
  int window = 5;
  VynUtilElementtreePrint(tree, VYN_UTIL_TREE_GRAPHICS, &window);
  EXPECT_EQ(yrlhost::call_log_of("VynSolidCreate_v").size(), 1u);
}

TEST_F(ElemtreeUtilTest, ElementByPathAndValueReplacement) {
  VynElement tree = build({row(0, 386), row(1, 447), int_row(2, 452, 1)});
  const VynElempathItem items[] = {{VYN_ELEMPATH_ID, 447}, {VYN_ELEMPATH_ID, 452}};
  VynElement element = nullptr;
  ASSERT_EQ(VynUtilElemtreeElementGet(tree, items, 2, &element), 0);
  EXPECT_EQ(yrlhost::tree_element_id(element), 452);
  VynElement missing = nullptr;
  const VynElempathItem wrong[] = {{VYN_ELEMPATH_ID, 515}};
  EXPECT_NE(VynUtilElemtreeElementGet(tree, wrong, 1, &missing), 0);
  EXPECT_EQ(missing, nullptr);

  VynValuedata data{VYN_VALUE_TYPE_INT, 0, {0}};
  data.value.i = -1;
  EXPECT_EQ(VynUtilElementValueSet(element, &data), 0);
  EXPECT_EQ(yrlhost::tree_text(tree), "386\n  447\n    452 = int -1\n");
  EXPECT_EQ(yrlhost::tree_counts().values, 1u);
  EXPECT_EQ(yrlhost::tree_counts().paths, 0u);
}

// A replacement function: the same item type with the id raised by 100.
VynError raise_id(VynSelection selection, VynSelection* replacement, void* calls) {
  ++*static_cast<int*>(calls);
  VynModelitem item{};
  VynSelectionModelitemGet(selection, &item);
  item.id += 100;
  return VynSelectionAlloc(nullptr, &item, replacement);
}

TEST_F(ElemtreeUtilTest, ReplaceSelectionChangesEverySelectionValue) {
  VynSelection first = selection_of(5, 1);
  VynUtilElemtreeRow selection{1, 451, {VYN_VALUE_TYPE_SELECTION, 0, {0}}};
  selection.value.value.r = first;
  VynElement tree = build({row(0, 386), int_row(1, 387, 917), row(1, 447), selection});
  VynSelectionFree(&first);
  // A multi-valued element with a selection and an int.
  VynElement list = yrlhost::tree_element_new(455);
  ASSERT_TRUE(yrlhost::tree_element_append(tree, list));
  VynValue values[2] = {};
  VynSelection second = selection_of(21, 2);
  VynValuedata data{VYN_VALUE_TYPE_SELECTION, 0, {0}};
  data.value.r = second;
  VynValueAlloc(&values[0]);
  VynValueDataSet(values[0], &data);
  data = VynValuedata{VYN_VALUE_TYPE_INT, 0, {0}};
  data.value.i = 9;
  VynValueAlloc(&values[1]);
  VynValueDataSet(values[1], &data);
  VynArray array = nullptr;
  VynArrayAlloc(0, sizeof(VynValue), 1, &array);
  VynArrayObjectAdd(&array, -1, 2, values);
  ASSERT_EQ(VynElementValuesSet(list, nullptr, static_cast<VynValue*>(array)), 0);
  VynArrayFree(&array);
  VynSelectionFree(&second);

  int calls = 0;
  EXPECT_EQ(VynUtilElemtreeReplaceSelection(tree, raise_id, &calls), 0);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(yrlhost::tree_text(tree),
            "386\n  387 = int 917\n  447\n  451 = selection 5 101\n"
            "  455 = {selection 21 102, int 9}\n");
  EXPECT_EQ(yrlhost::tree_counts().values, 4u);

  // A value that holds no selection is left as it is.
  VynValue plain = nullptr;
  VynValueAlloc(&plain);
  VynValueDataSet(plain, &data);
  VynValue before = plain;
  EXPECT_EQ(VynUtilValueReplaceSelection(&plain, raise_id, &calls), -4);
  EXPECT_EQ(plain, before);
  VynValueFree(plain);
}

TEST(ElemtreeUtilPrint, FeatureErrorsNumberFromOne) {
  VynErrorItem rows[] = {{3, 1, -2}, {7, 2, 0}};
  VynErrors errors{rows, 2};
  yrltest::ConsoleCapture console;
  EXPECT_EQ(VynUtilFeatErrsPrint(&errors), 0);
  EXPECT_EQ(console.out(),
            "Error 1: Error ID 3, Type 1, Error -2\nError 2: Error ID 7, Type 2, Error 0\n");
  EXPECT_EQ(VynUtilFeatErrsPrint(nullptr), 0);
}

TEST(ElemtreeUtilNames, TypeTables) {
  struct Case {
    int (*function)(int, char*);
    int value;
    const char* name;
  };
  const Case cases[] = {
      {VynUtilFeattypeStr, 917, "PROTRUSION"},
      {VynUtilFeattypeStr, 932, "IMPORT"},
      {VynUtilFeattypeStr, 937, "SAW"},
      {VynUtilFeattypeStr, 1059, "PATH_SEGM"},
      {VynUtilFeattypeStr, 2000, "USER_FEAT"},
      {VynUtilFeattypeStr, 5, "**UNKNOWN : 5 **"},
      {VynUtilObjtypeStr, -1, "TYPE_UNUSED"},
      {VynUtilObjtypeStr, 1001, "GROUP"},
      {VynUtilSrftypeStr, 48, "Cylindrical Spline"},
      {VynUtilEnttypeStr, 41, "Composite"},
      {VynUtilMfgtypeStr, -10, "Mold"},
      {VynUtilExtRefScopeStr, 3, "None"},
      {VynUtilGtolTypeStr, 42, "Total run out"},
      {VynUtilGtolMaterialCondStr, 0, "UUnKnown"},
      {VynUtilLeaderTypeStr, 1, "Arrow heaad"},
      {VynUtilLeaderTypeStr, 5, "**UNKNOWN : 5 **"},
      {VynUtilGtolPlacementTypeStr, 7, "Geometric tolerance"},
      {VynUtilGtolRefItemTypeStr, -1, "None"},
      {VynUtilGtolReferenceTypeStr, 3, "Tertiary"},
      {VynUtilGtolProjzoneStr, 2, "Inside"},
      {VynUtilGtolProjzoneStr, -2147483647 - 1, "**UNKNOWN : -2147483648 **"},
  };
  for (const Case& c : cases) {
    char text[VYN_UTIL_TYPE_NAME_SIZE] = "";
    EXPECT_EQ(c.function(c.value, text), 0);
    EXPECT_STREQ(text, c.name) << c.value;
  }
}

}  // namespace

namespace {

// A datum plane's feature, answered by the test's rows: its visibility, its type and the
// values of its element tree.
struct DatumRows {
  VynElement tree = nullptr;
  int visible = 0;
  int type = 923;
};
DatumRows& datum() {
  static DatumRows d;
  return d;
}

VynError feature_of_item(int, VynGeomitem* item, VynFeature* feature) {
  *feature = VynFeature{3, 40, item->owner};
  return 0;
}
VynError visibility_get(int, VynFeature*, int* visible) {
  *visible = datum().visible;
  return 0;
}
VynError type_get(int, VynFeature*, int* type) {
  *type = datum().type;
  return 0;
}
VynError elem_value_get(int, VynFeature*, VynElempath path, VynValue* value) {
  std::vector<VynElempathItem> items;
  if (!yrlhost::tree_path_items(path, items)) return -2;
  VynElement element = yrlhost::tree_element_find(datum().tree, items);
  if (!element) return -4;
  return yrlhost::Behaviour<yrlhost::HostApi::VynElementValueGet>::run(1, element, value);
}

class OriginalGeomTest : public ElemtreeUtilTest {
 protected:
  void SetUp() override {
    datum() = DatumRows();
    table_options.extra = {yrltest::host_row(&feature_of_item, "VynGeomitemFeatureGet_v"),
                           yrltest::host_row(&visibility_get, "VynFeatureVisibilityGet_v"),
                           yrltest::host_row(&type_get, "VynFeatureTypeGet_v"),
                           yrltest::host_row(&elem_value_get, "VynFeatureElemValueGet_v")};
    ElemtreeUtilTest::SetUp();
  }
};

TEST_F(OriginalGeomTest, TheFirstThroughConstraintOfAHiddenDatumPlane) {
  VynSelection offset_ref = selection_of(5, 11);
  VynSelection through_ref = selection_of(5, 12);
  VynUtilElemtreeRow first_ref{3, 413, {VYN_VALUE_TYPE_SELECTION, 0, {0}}};
  first_ref.value.value.r = offset_ref;
  VynUtilElemtreeRow second_ref{3, 413, {VYN_VALUE_TYPE_SELECTION, 0, {0}}};
  second_ref.value.value.r = through_ref;
  // Constraint 0 is an offset (type 1), constraint 1 goes through its reference (type 0).
  datum().tree =
      build({row(0, 386), int_row(1, 387, 923), row(1, 410), row(2, 411), int_row(3, 412, 1),
             first_ref, row(2, 411), int_row(3, 412, 0), second_ref});
  VynSelectionFree(&offset_ref);
  VynSelectionFree(&through_ref);

  VynSelection surface = selection_of(5, 99);
  VynSelection original = nullptr;
  ASSERT_EQ(VynUtilOriginalGeomSelection(surface, &original), 0);
  VynModelitem item{};
  ASSERT_EQ(VynSelectionModelitemGet(original, &item), 0);
  EXPECT_EQ(item.id, 12);
  VynSelectionFree(&original);

  // A visible datum, another feature type or an item that is no surface: -4.
  datum().visible = 1;
  EXPECT_EQ(VynUtilOriginalGeomSelection(surface, &original), -4);
  datum().visible = 0;
  datum().type = 917;
  EXPECT_EQ(VynUtilOriginalGeomSelection(surface, &original), -4);
  datum().type = 923;
  VynSelection axis = selection_of(21, 99);
  EXPECT_EQ(VynUtilOriginalGeomSelection(axis, &original), -4);
  EXPECT_EQ(original, nullptr);
  VynSelectionFree(&axis);
  VynSelectionFree(&surface);
}

// An assembly TOP placing SUB-1 (of SUB), which places BOLT-1 (of the part BOLT), and the
// path {SUB-1, BOLT-1} from TOP.
struct TwoLevels {
  VynMdl top, sub, bolt;
  int sub1, bolt1;
  VynAsmcomppath target;
};
TwoLevels two_levels() {
  std::string error;
  TwoLevels a{};
  a.top = yrlhost::host_assembly_create("TOP", error);
  a.sub = yrlhost::host_assembly_create("SUB", error);
  a.bolt = yrlhost::host_model_create(yrlhost::model_type_part, "BOLT", error);
  a.sub1 = yrlhost::host_component_add(a.top, a.sub, "SUB-1");
  a.bolt1 = yrlhost::host_component_add(a.sub, a.bolt, "BOLT-1");
  a.target.owner = a.top;
  a.target.comp_id_table[0] = a.sub1;
  a.target.comp_id_table[1] = a.bolt1;
  a.target.comp_id_table[2] = -1;
  a.target.table_num = 2;
  return a;
}

TEST_F(ElemtreeUtilTest, SelectionUnderALongerComponentPath) {
  auto [top, sub, bolt, sub1, bolt1, target] = two_levels();
  VynModelitem surface{5, 7, bolt};
  VynSelection picked = nullptr;
  ASSERT_EQ(VynSelectionAlloc(nullptr, &surface, &picked), 0);
  VynSelection moved = nullptr;
  ASSERT_EQ(VynUtilSelectionChangeAsmcomppath(picked, &moved, &target), 0);
  VynModelitem item{};
  ASSERT_EQ(VynSelectionModelitemGet(moved, &item), 0);
  EXPECT_EQ(item.id, 7);
  VynSelectionFree(&moved);
  // An item of a model that no prefix of the path leads to.
  VynModelitem elsewhere{5, 7, top};
  VynSelection other = nullptr;
  ASSERT_EQ(VynSelectionAlloc(nullptr, &elsewhere, &other), 0);
  EXPECT_EQ(VynUtilSelectionChangeAsmcomppath(other, &moved, &target), -4);
  EXPECT_EQ(moved, nullptr);
  VynSelectionFree(&other);
  VynSelectionFree(&picked);
}

// Selections that keep their component paths: the host's own allocation, with the path
// kept here for VynSelectionAsmcomppathGet.
std::map<VynSelection, VynAsmcomppath>& selection_paths() {
  static std::map<VynSelection, VynAsmcomppath> paths;
  return paths;
}
VynError selection_alloc_with_path(int context, VynAsmcomppath* path, VynModelitem* item,
                                   VynSelection* selection) {
  VynError status = yrlhost::Behaviour<yrlhost::HostApi::VynSelectionAlloc>::run(
      context, path, item, selection);
  if (status == 0 && path) selection_paths()[*selection] = *path;
  return status;
}
VynError selection_path_get(int, VynSelection selection, VynAsmcomppath* path) {
  auto it = selection_paths().find(selection);
  if (it == selection_paths().end()) return VYN_TK_E_NOT_FOUND;
  *path = it->second;
  return 0;
}

class ElemtreeSelectionPathTest : public ElemtreeUtilTest {
 protected:
  void SetUp() override {
    selection_paths().clear();
    ToolkitTest::SetUp();
    table_options.extra = {
        yrltest::host_row(&selection_alloc_with_path, "VynSelectionAlloc_v"),
        yrltest::host_row(&selection_path_get, "VynSelectionAsmcomppathGet_v")};
    bind_table();
  }
};

// The prefixes longer than the selection's own path are tried from the shortest: an item
// of SUB gets {SUB-1}; a selection already under {SUB-1} is tried with the whole path.
TEST_F(ElemtreeSelectionPathTest, TheShortestPrefixToTheItemsModelIsTaken) {
  auto [top, sub, bolt, sub1, bolt1, target] = two_levels();
  struct Case {
    VynMdl owner;
    int own_length;  // of the selection's path
    VynError result;
    int length;  // of the new selection's path
  } cases[] = {{sub, 0, 0, 1}, {bolt, 0, 0, 2}, {bolt, 1, 0, 2}, {sub, 1, -4, 0},
               {bolt, 2, -4, 0}};
  for (const Case& c : cases) {
    VynModelitem item{5, 8, c.owner};
    VynAsmcomppath own{};
    if (c.own_length > 0) {
      ASSERT_EQ(VynAsmcomppathInit(top, target.comp_id_table, c.own_length, &own), 0);
    }
    VynSelection picked = nullptr;
    ASSERT_EQ(VynSelectionAlloc(c.own_length ? &own : nullptr, &item, &picked), 0);
    VynSelection moved = nullptr;
    EXPECT_EQ(VynUtilSelectionChangeAsmcomppath(picked, &moved, &target), c.result);
    if (c.result == 0) {
      VynAsmcomppath path{};
      ASSERT_EQ(VynSelectionAsmcomppathGet(moved, &path), 0);
      EXPECT_EQ(path.table_num, c.length);
      EXPECT_EQ(path.comp_id_table[0], sub1);
      VynSelectionFree(&moved);
    }
    VynSelectionFree(&picked);
  }
}

}  // namespace
