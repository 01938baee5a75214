// Element trees, element values and element paths, called through the host's function
// table as the plug-in calls them; the host's own reading of the trees.
#include "host/store/elemtrees.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "host/util/host_arrays.h"
#include "host/api/host_behaviours.h"
#include "host/plugin/host_table.h"
#include "host/display/selection.h"
#include "tests/host/host_test.h"

namespace {

using yrlhost::host_function;
using yrlhost::HostApi;

constexpr VynError ok = VYN_TK_NO_ERROR;
constexpr VynError bad = VYN_TK_BAD_INPUTS;
constexpr VynError not_found = VYN_TK_E_NOT_FOUND;

VynValuedata int_data(int i) { return {VYN_VALUE_TYPE_INT, 0, {.i = i}}; }
VynValuedata double_data(double d) { return {VYN_VALUE_TYPE_DOUBLE, 0, {.d = d}}; }

std::vector<VynElempathItem> ids(std::initializer_list<int> list) {
  std::vector<VynElempathItem> items;
  for (int id : list) items.push_back({VYN_ELEMPATH_ID, id});
  return items;
}

// The host functions the tests call, as (member, row).
#define YRL_TREE_FUNCTIONS(X)                \
  X(element_alloc, VynElementAlloc)          \
  X(element_free, VynElementFree)            \
  X(element_id_get, VynElementIdGet)         \
  X(element_value_get, VynElementValueGet)   \
  X(element_value_set, VynElementValueSet)   \
  X(element_values_get, VynElementValuesGet) \
  X(element_values_set, VynElementValuesSet) \
  X(is_array, VynElementIsArray)             \
  X(is_compound, VynElementIsCompound)       \
  X(is_multival, VynElementIsMultival)       \
  X(array_count, VynElementArrayCount)       \
  X(array_get, VynElementArrayGet)           \
  X(children_get, VynElementChildrenGet)     \
  X(tree_add, VynElemtreeElementAdd)         \
  X(tree_get, VynElemtreeElementGet)         \
  X(tree_visit, VynElemtreeElementVisit)     \
  X(path_alloc, VynElempathAlloc)            \
  X(path_data_set, VynElempathDataSet)       \
  X(path_free, VynElempathFree)              \
  X(path_size_get, VynElempathSizeGet)       \
  X(path_copy, VynElempathCopy)              \
  X(value_alloc, VynValueAlloc)              \
  X(value_free, VynValueFree)                \
  X(value_data_get, VynValueDataGet)         \
  X(value_data_set, VynValueDataSet)         \
  X(selection_free, VynSelectionFree)

class Elemtrees : public yrltest::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    table = yrlhost::host_table_build();
#define YRL_TREE_BIND(member, row) member = host_function<HostApi::row>(table);
    YRL_TREE_FUNCTIONS(YRL_TREE_BIND)
#undef YRL_TREE_BIND
  }

  // The application's building block: an element of id with a value of this data (none
  // for type 0) added under parent (none: a root).
  VynElement add(VynElement parent, int id, VynValuedata data = {}) {
    VynElement element = nullptr;
    EXPECT_EQ(element_alloc(1, id, &element), ok);
    if (data.type != 0) {
      VynValue value = value_of(data);
      EXPECT_EQ(element_value_set(1, element, value), ok);
    }
    if (parent) {
      EXPECT_EQ(tree_add(1, parent, nullptr, element), ok);
    }
    return element;
  }
  VynValue value_of(const VynValuedata& data) {
    VynValue value = nullptr;
    EXPECT_EQ(value_alloc(1, &value), ok);
    EXPECT_EQ(value_data_set(1, value, &data), ok);
    return value;
  }
  VynElempath path_of(const std::vector<VynElempathItem>& items) {
    VynElempath path = nullptr;
    EXPECT_EQ(path_alloc(1, &path), ok);
    EXPECT_EQ(path_data_set(1, path, items.data(), static_cast<int>(items.size())), ok);
    return path;
  }
  // The element a path leads to from tree (null when the lookup fails), as the
  // application's finder does it: a path made, the lookup, the path freed.
  VynElement find(VynElement tree, const std::vector<VynElempathItem>& items) {
    VynElempath path = path_of(items);
    VynElement found = nullptr;
    VynError status = tree_get(1, tree, path, &found);
    EXPECT_EQ(path_free(1, &path), ok);
    return status == ok ? found : nullptr;
  }
  VynValuedata data_of(VynElement element) {
    VynValue value = nullptr;
    VynValuedata data{};
    EXPECT_EQ(element_value_get(1, element, &value), ok);
    EXPECT_EQ(value_data_get(1, value, &data), ok);
    return data;
  }
  int flag(decltype(host_function<HostApi::VynElementIsCompound>({})) query, VynElement element) {
    int answer = -1;
    EXPECT_EQ(query(1, element, nullptr, &answer), ok);
    return answer;
  }

  // The hole tree the application builds (element 1672 stands twice under 1671), with a
  // selection of a datum plane as the placement plane.
  VynElement hole_tree(VynSelection plane) {
    VynElement root = add(nullptr, 386);
    add(root, 387, int_data(911));
    add(root, 388, int_data(1));
    VynElement hole = add(root, 1671);
    add(hole, 1689, int_data(34));
    first_1672 = add(hole, 1672, int_data(16));
    second_1672 = add(hole, 1672, int_data(17));
    add(hole, 82, double_data(6.5));
    VynElement placement = add(root, 1340);
    add(placement, 1341, {VYN_VALUE_TYPE_SELECTION, 0, {.r = plane}});
    add(placement, 696, int_data(1));
    return root;
  }
  // The datum axis tree: 2019 is an array of two 2020 members.
  VynElement axis_tree() {
    VynElement root = add(nullptr, 386);
    add(root, 387, int_data(926));
    VynElement constraints = add(root, 2015);
    VynElement constraint = add(constraints, 2016);
    add(constraint, 2017, int_data(0));
    VynElement offsets = add(root, 2019);
    for (double offset : {10.0, 20.0}) {
      VynElement member = add(offsets, 2020);
      add(member, 2022, double_data(offset));
    }
    return root;
  }

  std::vector<win_export_entry> table;
  VynElement first_1672 = nullptr;
  VynElement second_1672 = nullptr;
#define YRL_TREE_MEMBER(member, row) decltype(host_function<HostApi::row>({})) member = nullptr;
  YRL_TREE_FUNCTIONS(YRL_TREE_MEMBER)
#undef YRL_TREE_MEMBER
};

VynWord word_of(VynElement element) { return reinterpret_cast<VynWord>(element); }

// A tree built as the application builds it reads back whole: the elements in
// insertion order with their values, the same id twice under one parent kept in order.
TEST_F(Elemtrees, TreeBuiltAsTheApplicationBuildsItReadsBack) {
  VynSelection plane = yrlhost::selection_make({5, 3, nullptr}, 0, nullptr);
  VynElement root = hole_tree(plane);
  EXPECT_EQ(yrlhost::tree_text(root),
            "386\n"
            "  387 = int 911\n"
            "  388 = int 1\n"
            "  1671\n"
            "    1689 = int 34\n"
            "    1672 = int 16\n"
            "    1672 = int 17\n"
            "    82 = double 6.5\n"
            "  1340\n"
            "    1341 = selection 5 3\n"
            "    696 = int 1\n");
  // The application frees its selection at once; the tree keeps its own.
  EXPECT_EQ(selection_free(1, &plane), ok);
  VynValuedata placement = data_of(find(root, ids({1340, 1341})));
  ASSERT_EQ(placement.type, VYN_VALUE_TYPE_SELECTION);
  EXPECT_TRUE(yrlhost::selection_is(placement.value.r));
  EXPECT_EQ(placement.value.r->item.id, 3);

  int id = 0;
  EXPECT_EQ(element_id_get(1, find(root, ids({1671})), &id), ok);
  EXPECT_EQ(id, 1671);
  EXPECT_EQ(data_of(find(root, ids({1671, 82}))).value.d, 6.5);
  EXPECT_EQ(find(root, {}), root);  // the empty path: the tree itself
  VynElempath to_hole = path_of(ids({1671}));
  VynElement* children = nullptr;
  EXPECT_EQ(children_get(1, root, to_hole, &children), ok);
  ASSERT_EQ(yrlhost::host_array_size(children), 4);
  EXPECT_EQ(yrlhost::tree_element_id(children[0]), 1689);
  EXPECT_EQ(children[1], first_1672);
  EXPECT_EQ(children[2], second_1672);
  VynArray array = children;
  EXPECT_TRUE(yrlhost::host_array_release(&array));

  // Freeing the tree frees everything in it: the plug-in's paths stay its own.
  EXPECT_EQ(element_free(1, word_of(root)), ok);
  EXPECT_EQ(yrlhost::tree_counts().elements, 0u);
  EXPECT_EQ(yrlhost::tree_counts().values, 0u);
  EXPECT_EQ(yrlhost::tree_counts().paths, 1u);
  EXPECT_FALSE(yrlhost::selection_is(placement.value.r));
  EXPECT_EQ(path_free(1, &to_hole), ok);
}

// Repeated ids: an id step takes the first child with the id, an index step any child.
TEST_F(Elemtrees, PathStepsByIdTakeTheFirstAndByIndexTheOne) {
  VynSelection plane = yrlhost::selection_make({5, 3, nullptr}, 0, nullptr);
  VynElement hole = hole_tree(plane);
  VynElement axis = axis_tree();
  VynElement first_2020 = yrlhost::tree_element_children(find(axis, ids({2019})))[0];
  VynElement second_2020 = yrlhost::tree_element_children(find(axis, ids({2019})))[1];
  struct Case {
    VynElement tree;
    std::vector<VynElempathItem> path;
    VynElement expected;  // null: the lookup answers -4
  } cases[] = {
      {hole, ids({1671, 1672}), first_1672},
      {hole, {{VYN_ELEMPATH_ID, 1671}, {VYN_ELEMPATH_INDEX, 1}}, first_1672},
      {hole, {{VYN_ELEMPATH_ID, 1671}, {VYN_ELEMPATH_INDEX, 2}}, second_1672},
      {hole, {{VYN_ELEMPATH_INDEX, 2}, {VYN_ELEMPATH_INDEX, 2}}, second_1672},
      {hole, {{VYN_ELEMPATH_ID, 1671}, {VYN_ELEMPATH_INDEX, 4}}, nullptr},
      {hole, ids({1671, 1673}), nullptr},
      {hole, ids({1672}), nullptr},      // not directly under the root
      {hole, ids({387, 911}), nullptr},  // below an element that holds a value
      {axis, ids({2019, 2020}), first_2020},
      {axis, {{VYN_ELEMPATH_ID, 2019}, {VYN_ELEMPATH_INDEX, 1}}, second_2020},
      {axis,
       {{VYN_ELEMPATH_ID, 2019}, {VYN_ELEMPATH_INDEX, 1}, {VYN_ELEMPATH_ID, 2022}},
       yrlhost::tree_element_children(second_2020)[0]},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    VynElempath path = path_of(c.path);
    VynElement found = nullptr;
    EXPECT_EQ(tree_get(1, c.tree, path, &found), c.expected ? ok : not_found);
    if (c.expected) {
      EXPECT_EQ(found, c.expected);
    }
    EXPECT_EQ(yrlhost::tree_element_find(c.tree, c.path), c.expected);
    EXPECT_EQ(path_free(1, &path), ok);
    EXPECT_EQ(path, nullptr);
  }
  EXPECT_EQ(
      data_of(
          find(axis, {{VYN_ELEMPATH_ID, 2019}, {VYN_ELEMPATH_INDEX, 1}, {VYN_ELEMPATH_ID, 2022}}))
          .value.d,
      20.0);
  // An element is added under the element a path names.
  VynElement extra = add(nullptr, 1672, int_data(18));
  VynElempath to_hole = path_of(ids({1671}));
  EXPECT_EQ(tree_add(1, hole, to_hole, extra), ok);
  EXPECT_EQ(find(hole, {{VYN_ELEMPATH_ID, 1671}, {VYN_ELEMPATH_INDEX, 4}}), extra);
  EXPECT_EQ(find(hole, ids({1671, 1672})), first_1672);
}

// Every value type keeps its data; what a pointer of the record points to is copied,
// except for type 3, whose pointer is kept as given.
TEST_F(Elemtrees, ValueTypesKeepTheirData) {
  char narrow[] = "depth";
  VynWchar wide[81] = u"Hole \u00e9";
  double matrix[4][4] = {{1, 0, 0, 0}, {0, 0, -1, 0}, {0, 1, 0, 0}, {5, 6, 7, 1}};
  int marker = 0;
  VynSelection picked = yrlhost::selection_make({5, 12, nullptr}, 0, nullptr);
  struct Case {
    VynValuedata data;
    std::string text;  // tree_text of an element 1 holding it
    bool copied;       // the read pointer is the host's, not the one given
  } cases[] = {
      {{1, 77, {.i = -42}}, "int -42", false},
      {{2, 0, {.d = 0.1}}, "double 0.1", false},
      {{2, 0, {.d = -0.0}}, "double -0", false},
      {{3, 0, {.p = &marker}}, "pointer", false},
      {{3, 0, {.p = nullptr}}, "pointer null", false},
      {{4, 0, {.s = narrow}}, "string depth", true},
      {{4, 0, {.s = nullptr}}, "string null", false},
      {{5, 0, {.w = wide}}, "wstring Hole%20\u00e9", true},
      {{5, 0, {.w = nullptr}}, "wstring null", false},
      {{6, 0, {.r = picked}}, "selection 5 12", true},
      {{7, 0, {.t = matrix}}, "transform 1 0 0 0 0 0 -1 0 0 1 0 0 5 6 7 1", true},
      {{8, 0, {.b = 1}}, "bool 1", false},
      {{8, 0, {.b = 0}}, "bool 0", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    VynElement element = add(nullptr, 1, c.data);
    EXPECT_EQ(yrlhost::tree_text(element), "1 = " + c.text + "\n");
    VynValuedata read{};
    std::memset(&read, 0xa5, sizeof read);
    VynValue value = nullptr;
    ASSERT_EQ(element_value_get(1, element, &value), ok);
    ASSERT_EQ(value_data_get(1, value, &read), ok);
    EXPECT_EQ(read.type, c.data.type);
    EXPECT_EQ(read.reserved, 0);
    if (c.copied) {
      EXPECT_NE(read.value.p, c.data.value.p);
      switch (c.data.type) {
        case VYN_VALUE_TYPE_STRING: EXPECT_STREQ(read.value.s, narrow); break;
        case VYN_VALUE_TYPE_WSTRING: EXPECT_EQ(std::u16string(read.value.w), wide); break;
        case VYN_VALUE_TYPE_SELECTION: EXPECT_EQ(read.value.r->item.id, 12); break;
        default: EXPECT_EQ(std::memcmp(read.value.t, matrix, sizeof matrix), 0);
      }
    } else if (c.data.type == VYN_VALUE_TYPE_DOUBLE) {
      EXPECT_EQ(std::memcmp(&read.value.d, &c.data.value.d, sizeof(double)), 0);
    } else if (c.data.type == VYN_VALUE_TYPE_INT || c.data.type == VYN_VALUE_TYPE_BOOL) {
      EXPECT_EQ(read.value.i, c.data.value.i);
    } else {
      EXPECT_EQ(read.value.p, c.data.value.p);
    }
    // Read back as the host's modules read it.
    EXPECT_EQ(yrlhost::tree_value_read(element, {}, c.data.type).status, yrlhost::TreeRead::ok);
  }
  // The copies outlive what they were made from.
  VynElement copies = add(nullptr, 2);
  for (int i : {5, 7, 9, 10}) add(copies, 3, cases[i].data);
  std::string text = yrlhost::tree_text(copies);
  std::strcpy(narrow, "xxxxx");
  wide[0] = u'X';
  matrix[3][0] = 99;
  EXPECT_EQ(selection_free(1, &picked), ok);
  EXPECT_EQ(yrlhost::tree_text(copies), text);
}

// The application's changes to a value in a tree: read the element's value, set new
// data on it, set it on the element again. The tree changes in place.
TEST_F(Elemtrees, ValueOfATreeChangedInPlace) {
  VynElement root = add(nullptr, 386);
  VynElement depth = add(add(add(root, 515), 429), 434, double_data(10));
  VynValue value = nullptr;
  ASSERT_EQ(element_value_get(1, depth, &value), ok);
  VynValuedata data = double_data(2.5);
  ASSERT_EQ(value_data_set(1, value, &data), ok);
  ASSERT_EQ(element_value_set(1, depth, value), ok);
  EXPECT_EQ(yrlhost::tree_value_read(root, {515, 429, 434}, VYN_VALUE_TYPE_DOUBLE).data.value.d,
            2.5);
  // Data set from the value's own record (its pointers point into the value).
  VynElement name = add(root, 1964, {VYN_VALUE_TYPE_WSTRING, 0, {.w = u"EXTRUDE_1"}});
  ASSERT_EQ(element_value_get(1, name, &value), ok);
  ASSERT_EQ(value_data_get(1, value, &data), ok);
  ASSERT_EQ(value_data_set(1, value, &data), ok);
  EXPECT_EQ(yrlhost::tree_text(name), "1964 = wstring EXTRUDE_1\n");
  EXPECT_EQ(yrlhost::tree_counts().values, 2u);
}

// Who frees a value: the plug-in until it is set on an element, the element after.
TEST_F(Elemtrees, ValuesBelongToTheElementThatHoldsThem) {
  VynElement first = add(nullptr, 434);
  VynElement second = add(nullptr, 434);
  VynValue value = value_of(double_data(1));
  ASSERT_EQ(element_value_set(1, first, value), ok);
  // A value another element holds is copied, so no two elements share one.
  ASSERT_EQ(element_value_set(1, second, value), ok);
  VynValue held = nullptr;
  ASSERT_EQ(element_value_get(1, second, &held), ok);
  EXPECT_NE(held, value);
  // A new value replaces the old one, which is freed.
  ASSERT_EQ(element_value_set(1, first, value_of(double_data(2))), ok);
  VynValuedata data{};
  EXPECT_EQ(value_data_get(1, value, &data), bad);
  EXPECT_EQ(yrlhost::tree_text(first), "434 = double 2\n");
  // Freeing an element's value takes it off the element (the utility that replaces an
  // element's value frees the old value first).
  ASSERT_EQ(element_value_get(1, first, &held), ok);
  EXPECT_EQ(value_free(1, held), ok);
  EXPECT_EQ(element_value_get(1, first, &held), not_found);
  EXPECT_EQ(yrlhost::tree_text(first), "434\n");
  EXPECT_EQ(flag(is_compound, first), 1);
  // The plug-in's own value is freed by the plug-in, once.
  VynValue own = value_of(int_data(3));
  EXPECT_EQ(value_free(1, own), ok);
  EXPECT_EQ(value_free(1, own), bad);
  // Freeing an element frees its values.
  ASSERT_EQ(element_value_get(1, second, &held), ok);
  EXPECT_EQ(element_free(1, word_of(second)), ok);
  EXPECT_EQ(value_data_get(1, held, &data), bad);
  EXPECT_EQ(element_free(1, word_of(first)), ok);
  EXPECT_EQ(yrlhost::tree_counts().elements, 0u);
  EXPECT_EQ(yrlhost::tree_counts().values, 0u);
}

// A selection a value holds is the host's: the plug-in reads and copies it, and cannot
// free it; it goes with the value.
TEST_F(Elemtrees, SelectionOfAValueGoesWithTheValue) {
  VynSelection picked = yrlhost::selection_make({5, 12, nullptr}, 0, nullptr);
  VynValue value = value_of({VYN_VALUE_TYPE_SELECTION, 0, {.r = picked}});
  VynValuedata data{};
  ASSERT_EQ(value_data_get(1, value, &data), ok);
  VynSelection held = data.value.r;
  EXPECT_EQ(selection_free(1, &held), bad);
  VynSelection copy = nullptr;
  EXPECT_EQ(host_function<HostApi::VynSelectionCopy>(table)(1, held, &copy), ok);
  EXPECT_EQ(selection_free(1, &copy), ok);
  // New data releases the old copy.
  VynValuedata number = int_data(4);
  ASSERT_EQ(value_data_set(1, value, &number), ok);
  EXPECT_FALSE(yrlhost::selection_is(held));
  EXPECT_EQ(selection_free(1, &picked), ok);
}

// Multi-valued elements: a list of values set whole, read back in order.
TEST_F(Elemtrees, MultiValuedElementKeepsItsList) {
  VynElement root = add(nullptr, 386);
  VynElement refs = add(root, 2021);
  VynArray list = yrlhost::host_array_make(0, sizeof(VynValue));
  for (int i : {7, 8, 9}) {
    VynValue value = value_of(int_data(i));
    ASSERT_EQ(yrlhost::host_array_append(&list, &value, 1), ok);
  }
  VynElempath path = path_of(ids({2021}));
  ASSERT_EQ(element_values_set(1, root, path, static_cast<VynValue*>(list)), ok);
  EXPECT_EQ(yrlhost::tree_text(refs), "2021 = {int 7, int 8, int 9}\n");
  EXPECT_EQ(flag(is_multival, refs), 1);
  EXPECT_EQ(flag(is_compound, refs), 0);
  VynValue single = nullptr;
  EXPECT_EQ(element_value_get(1, refs, &single), bad);
  VynValue* values = nullptr;
  ASSERT_EQ(element_values_get(1, refs, &values), ok);
  ASSERT_EQ(yrlhost::host_array_size(values), 3);
  EXPECT_EQ(values[0], static_cast<VynValue*>(list)[0]);  // the element holds them now
  EXPECT_EQ(yrlhost::tree_value_read(root, {2021}, VYN_VALUE_TYPE_INT).status,
            yrlhost::TreeRead::no_value);
  // Setting the list again with one value left out frees that one; a value of another
  // element's list is copied.
  VynValue dropped = values[1];
  auto remove = host_function<HostApi::VynArrayObjectRemove>(table);
  VynArray again = values;
  ASSERT_EQ(remove(1, &again, 1, 1), ok);
  ASSERT_EQ(element_values_set(1, refs, nullptr, static_cast<VynValue*>(again)), ok);
  EXPECT_EQ(yrlhost::tree_text(refs), "2021 = {int 7, int 9}\n");
  VynValuedata data{};
  EXPECT_EQ(value_data_get(1, dropped, &data), bad);
  VynElement other = add(root, 2021);
  ASSERT_EQ(element_values_set(1, other, nullptr, static_cast<VynValue*>(again)), ok);
  EXPECT_EQ(yrlhost::tree_text(root), "386\n  2021 = {int 7, int 9}\n  2021 = {int 7, int 9}\n");
  // An empty list leaves a multi-valued element without values.
  VynArray empty = yrlhost::host_array_make(0, sizeof(VynValue));
  ASSERT_EQ(element_values_set(1, other, nullptr, static_cast<VynValue*>(empty)), ok);
  EXPECT_EQ(yrlhost::tree_text(other), "2021 = {}\n");
  EXPECT_EQ(flag(is_multival, other), 1);
  // A single value makes it single-valued again.
  ASSERT_EQ(element_value_set(1, other, value_of(int_data(1))), ok);
  EXPECT_EQ(flag(is_multival, other), 0);
  for (VynArray* array : {&list, &again, &empty}) EXPECT_TRUE(yrlhost::host_array_release(array));
  EXPECT_EQ(path_free(1, &path), ok);
  EXPECT_EQ(element_free(1, word_of(root)), ok);
  EXPECT_EQ(yrlhost::tree_counts().values, 0u);
}

// What an element is: array by its id, compound when it holds no value, multi-valued
// when its values came as a list; arrays tell their members.
TEST_F(Elemtrees, KindsOfElements) {
  VynElement axis = axis_tree();
  struct Case {
    std::vector<VynElempathItem> path;
    int array, compound, multival;
  } cases[] = {
      {{}, 0, 1, 0},          {ids({387}), 0, 0, 0},
      {ids({2015}), 1, 0, 0}, {ids({2015, 2016}), 0, 1, 0},
      {ids({2019}), 1, 0, 0}, {ids({2019, 2020, 2022}), 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    VynElempath path = path_of(c.path);
    int answer = -1;
    EXPECT_EQ(is_array(1, axis, path, &answer), ok);
    EXPECT_EQ(answer, c.array);
    EXPECT_EQ(is_compound(1, axis, path, &answer), ok);
    EXPECT_EQ(answer, c.compound);
    EXPECT_EQ(is_multival(1, axis, path, &answer), ok);
    EXPECT_EQ(answer, c.multival);
    int count = -1;
    VynElement* members = nullptr;
    EXPECT_EQ(array_count(1, axis, path, &count), c.array ? ok : bad);
    EXPECT_EQ(array_get(1, axis, path, &members), c.array ? ok : bad);
    if (c.array) {
      EXPECT_EQ(yrlhost::host_array_size(members), count);
      VynArray array = members;
      EXPECT_TRUE(yrlhost::host_array_release(&array));
    }
    EXPECT_EQ(path_free(1, &path), ok);
  }
  // An element with a value takes no children, an array or an element with children no
  // value.
  VynElement leaf = find(axis, ids({387}));
  EXPECT_EQ(tree_add(1, leaf, nullptr, add(nullptr, 5)), bad);
  EXPECT_EQ(element_value_set(1, find(axis, ids({2015, 2016})), value_of(int_data(1))), bad);
  VynElement empty_array = add(nullptr, 410);
  EXPECT_EQ(element_value_set(1, empty_array, value_of(int_data(1))), bad);
  int count = -1;
  EXPECT_EQ(array_count(1, empty_array, nullptr, &count), ok);
  EXPECT_EQ(count, 0);
}

// Bad input gets a clear status and changes nothing.
TEST_F(Elemtrees, BadInputAnswersAClearStatus) {
  VynElement root = axis_tree();
  VynElement leaf = find(root, ids({387}));
  VynElement compound = find(root, ids({2015, 2016}));
  VynElement freed = add(nullptr, 9);
  ASSERT_EQ(element_free(1, word_of(freed)), ok);
  VynValue value = value_of(int_data(5));
  VynValue empty = nullptr;
  ASSERT_EQ(value_alloc(1, &empty), ok);
  VynValue freed_value = value_of(int_data(6));
  ASSERT_EQ(value_free(1, freed_value), ok);
  VynElempath path = path_of(ids({387}));
  VynElempath nowhere = path_of(ids({999}));
  VynElempath freed_path = path_of({});
  VynElempath freed_path_copy = freed_path;
  ASSERT_EQ(path_free(1, &freed_path), ok);
  VynSelection gone = yrlhost::selection_make({5, 1, nullptr}, 0, nullptr);
  ASSERT_EQ(selection_free(1, &gone), ok);
  int local = 0;
  auto foreign_element = reinterpret_cast<VynElement>(&local);
  auto foreign_value = reinterpret_cast<VynValue>(&local);
  auto foreign_path = reinterpret_cast<VynElempath>(&local);
  VynElement child = add(nullptr, 12);
  VynElement out = nullptr;
  VynValue value_out = nullptr;
  VynValuedata data{};
  int number = 0;
  VynElempathItem bad_kind[] = {{3, 387}};
  VynElempathItem bad_id[] = {{VYN_ELEMPATH_ID, 0}};
  VynElempathItem bad_index[] = {{VYN_ELEMPATH_INDEX, -1}};
  VynArray not_values = yrlhost::host_array_make(1, 4);
  VynArray twice = yrlhost::host_array_make(0, sizeof(VynValue));
  ASSERT_EQ(yrlhost::host_array_append(&twice, &value, 1), ok);
  ASSERT_EQ(yrlhost::host_array_append(&twice, &value, 1), ok);
  VynArray with_empty = yrlhost::host_array_make(0, sizeof(VynValue));
  ASSERT_EQ(yrlhost::host_array_append(&with_empty, &empty, 1), ok);
  std::string before = yrlhost::tree_text(root);

  auto data_set = [&](VynValue target, VynValuedata given) {
    return value_data_set(1, target, &given);
  };
  struct Case {
    const char* what;
    VynError status;
    VynError expected;
  } cases[] = {
      {"alloc id 0", element_alloc(1, 0, &out), bad},
      {"alloc id -5", element_alloc(1, -5, &out), bad},
      {"alloc null output", element_alloc(1, 386, nullptr), bad},
      {"free stale element", element_free(1, word_of(freed)), bad},
      {"free foreign element", element_free(1, word_of(foreign_element)), bad},
      {"free null element", element_free(1, 0), bad},
      {"id of stale element", element_id_get(1, freed, &number), bad},
      {"id null output", element_id_get(1, leaf, nullptr), bad},
      {"value of compound", element_value_get(1, compound, &value_out), not_found},
      {"value null output", element_value_get(1, leaf, nullptr), bad},
      {"set stale value", element_value_set(1, child, freed_value), bad},
      {"set foreign value", element_value_set(1, child, foreign_value), bad},
      {"set value without data", element_value_set(1, child, empty), bad},
      {"set value on stale element", element_value_set(1, freed, value), bad},
      {"values list of ints",
       element_values_set(1, child, nullptr, static_cast<VynValue*>(not_values)), bad},
      {"values list twice the same",
       element_values_set(1, child, nullptr, static_cast<VynValue*>(twice)), bad},
      {"values list without data",
       element_values_set(1, child, nullptr, static_cast<VynValue*>(with_empty)), bad},
      {"values list null", element_values_set(1, child, nullptr, nullptr), bad},
      {"values null output", element_values_get(1, leaf, nullptr), bad},
      {"query stale path", is_compound(1, root, freed_path_copy, &number), bad},
      {"query foreign path", is_compound(1, root, foreign_path, &number), bad},
      {"query path to nowhere", is_array(1, root, nowhere, &number), not_found},
      {"query null output", is_multival(1, root, path, nullptr), bad},
      {"children null output", children_get(1, root, nullptr, nullptr), bad},
      {"add under nowhere", tree_add(1, root, nowhere, child), not_found},
      {"add under a valued element", tree_add(1, root, path, child), bad},
      {"add an element with a parent", tree_add(1, child, nullptr, leaf), bad},
      {"add the tree under itself", tree_add(1, root, nullptr, root), bad},
      {"add an ancestor below", tree_add(1, compound, nullptr, root), bad},
      {"add a stale element", tree_add(1, root, nullptr, freed), bad},
      {"add to a stale tree", tree_add(1, freed, nullptr, child), bad},
      {"get null output", tree_get(1, root, path, nullptr), bad},
      {"get from a stale tree", tree_get(1, freed, path, &out), bad},
      {"get foreign tree", tree_get(1, foreign_element, path, &out), bad},
      {"path kind 3", path_data_set(1, path, bad_kind, 1), bad},
      {"path id 0", path_data_set(1, path, bad_id, 1), bad},
      {"path index -1", path_data_set(1, path, bad_index, 1), bad},
      {"path count -1", path_data_set(1, path, bad_kind, -1), bad},
      {"path null items", path_data_set(1, path, nullptr, 2), bad},
      {"path stale", path_data_set(1, freed_path_copy, bad_id, 0), bad},
      {"path free stale", path_free(1, &freed_path_copy), bad},
      {"path free null", path_free(1, nullptr), bad},
      {"path size null output", path_size_get(1, path, nullptr), bad},
      {"path copy to stale", path_copy(1, path, freed_path_copy), bad},
      {"path copy from foreign", path_copy(1, foreign_path, path), bad},
      {"value alloc null output", value_alloc(1, nullptr), bad},
      {"value free stale", value_free(1, freed_value), bad},
      {"value free foreign", value_free(1, foreign_value), bad},
      {"data of a value without data", value_data_get(1, empty, &data), not_found},
      {"data null output", value_data_get(1, value, nullptr), bad},
      {"data of stale value", value_data_get(1, freed_value, &data), bad},
      {"data set null", value_data_set(1, value, nullptr), bad},
      {"data set stale value", data_set(freed_value, int_data(1)), bad},
      {"value type 0", data_set(value, {0, 0, {.i = 1}}), bad},
      {"value type 9", data_set(value, {9, 0, {.i = 1}}), bad},
      {"value type -1", data_set(value, {-1, 0, {.i = 1}}), bad},
      {"bool 2", data_set(value, {VYN_VALUE_TYPE_BOOL, 0, {.b = 2}}), bad},
      {"null selection", data_set(value, {VYN_VALUE_TYPE_SELECTION, 0, {.r = nullptr}}), bad},
      {"freed selection", data_set(value, {VYN_VALUE_TYPE_SELECTION, 0, {.r = gone}}), bad},
      {"null transform", data_set(value, {VYN_VALUE_TYPE_TRANSFORM, 0, {.t = nullptr}}), bad},
      {"visit without action", tree_visit(1, root, nullptr, nullptr, nullptr, nullptr), bad},
      {"visit stale tree", tree_visit(1, freed, nullptr, nullptr, nullptr, nullptr), bad},
  };
  for (const Case& c : cases) EXPECT_EQ(c.status, c.expected) << c.what;
  // Nothing changed: the tree, the value's data, the path's steps.
  EXPECT_EQ(yrlhost::tree_text(root), before);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(value_out, nullptr);
  ASSERT_EQ(value_data_get(1, value, &data), ok);
  EXPECT_EQ(data.type, VYN_VALUE_TYPE_INT);
  EXPECT_EQ(data.value.i, 5);
  std::vector<VynElempathItem> steps;
  ASSERT_TRUE(yrlhost::tree_path_items(path, steps));
  ASSERT_EQ(steps.size(), 1u);
  EXPECT_EQ(steps[0].value, 387);
  EXPECT_EQ(yrlhost::tree_text(child), "12\n");
  for (VynArray* array : {&not_values, &twice, &with_empty})
    EXPECT_TRUE(yrlhost::host_array_release(array));
}

// The visit: every element from the one a path names, parents before children, each with
// a path from the tree that leads back to it.
struct Visited {
  std::vector<std::pair<int, std::vector<VynElempathItem>>> seen;
  VynElement stop_at = nullptr;  // the action answers 5 here
  VynElement skip = nullptr;     // the filter answers -7 here
  VynElement drop = nullptr;     // the filter frees this element here
  VynElement free_at = nullptr;  // the action frees free_what here
  VynElement free_what = nullptr;
  VynElement add_under = nullptr;  // the action adds an element here
  VynElempath kept = nullptr;      // a copy of the last path, made by the action
};

VynError visit_filter(VynElement element, VynElempath, void* data) {
  auto* visited = static_cast<Visited*>(data);
  if (element == visited->drop) {
    EXPECT_EQ(yrlhost::Behaviour<HostApi::VynElementFree>::run(1, word_of(element)), 0);
  }
  return element == visited->skip ? VYN_TK_CONTINUE : 3;
}

VynError visit_action(VynElement element, VynElempath path, void* data) {
  auto* visited = static_cast<Visited*>(data);
  std::vector<VynElempathItem> items;
  EXPECT_TRUE(yrlhost::tree_path_items(path, items));
  visited->seen.push_back({yrlhost::tree_element_id(element), items});
  // The host's path: the plug-in reads and copies it, and cannot change or free it.
  auto path_free = yrlhost::Behaviour<HostApi::VynElempathFree>::run;
  EXPECT_EQ(path_free(1, &path), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(yrlhost::Behaviour<HostApi::VynElempathDataSet>::run(1, path, nullptr, 0),
            VYN_TK_BAD_INPUTS);
  if (!visited->kept) {
    EXPECT_EQ(yrlhost::Behaviour<HostApi::VynElempathAlloc>::run(1, &visited->kept), 0);
  }
  EXPECT_EQ(yrlhost::Behaviour<HostApi::VynElempathCopy>::run(1, path, visited->kept), 0);
  if (element == visited->free_at) {
    EXPECT_EQ(yrlhost::Behaviour<HostApi::VynElementFree>::run(1, word_of(visited->free_what)), 0);
  }
  if (element == visited->add_under) {
    VynElement added = yrlhost::tree_element_new(77);
    EXPECT_TRUE(yrlhost::tree_element_append(element, added));
  }
  return element == visited->stop_at ? 5 : 0;
}

std::vector<int> ids_seen(const Visited& visited) {
  std::vector<int> seen;
  for (const auto& entry : visited.seen) seen.push_back(entry.first);
  return seen;
}

TEST_F(Elemtrees, VisitOffersEveryElementWithItsPath) {
  VynSelection plane = yrlhost::selection_make({5, 3, nullptr}, 0, nullptr);
  VynElement hole = hole_tree(plane);
  Visited visited;
  ASSERT_EQ(tree_visit(1, hole, nullptr, nullptr, visit_action, &visited), ok);
  EXPECT_EQ(ids_seen(visited),
            (std::vector<int>{386, 387, 388, 1671, 1689, 1672, 1672, 82, 1340, 1341, 696}));
  for (const auto& [id, items] : visited.seen) {
    VynElement found = find(hole, items);
    EXPECT_EQ(yrlhost::tree_element_id(found), id);
  }
  // The second 1672 is reached by its index, the first by its id.
  EXPECT_EQ(find(hole, visited.seen[5].second), first_1672);
  EXPECT_EQ(find(hole, visited.seen[6].second), second_1672);
  EXPECT_EQ(visited.seen[6].second[1].kind, VYN_ELEMPATH_INDEX);
  // The copy the action kept is the plug-in's and outlives the visit.
  std::vector<VynElempathItem> kept;
  ASSERT_TRUE(yrlhost::tree_path_items(visited.kept, kept));
  EXPECT_EQ(find(hole, kept), find(hole, ids({1340, 696})));
  EXPECT_EQ(path_free(1, &visited.kept), ok);
  EXPECT_EQ(yrlhost::tree_counts().paths, 0u);

  // Array members are stepped by index; a visit from a path starts there, with paths
  // from the tree.
  VynElement axis = axis_tree();
  Visited members;
  VynElempath offsets = path_of(ids({2019}));
  ASSERT_EQ(tree_visit(1, axis, offsets, nullptr, visit_action, &members), ok);
  EXPECT_EQ(ids_seen(members), (std::vector<int>{2019, 2020, 2022, 2020, 2022}));
  ASSERT_EQ(members.seen[3].second.size(), 2u);
  EXPECT_EQ(members.seen[3].second[1].kind, VYN_ELEMPATH_INDEX);
  EXPECT_EQ(members.seen[3].second[1].value, 1);
  EXPECT_EQ(path_free(1, &members.kept), ok);
  EXPECT_EQ(path_free(1, &offsets), ok);
  VynElempath nowhere = path_of(ids({1}));
  EXPECT_EQ(tree_visit(1, axis, nowhere, nullptr, visit_action, &members), not_found);
  EXPECT_EQ(path_free(1, &nowhere), ok);
}

TEST_F(Elemtrees, VisitFilterActionAndChangesDuringTheVisit) {
  VynSelection plane = yrlhost::selection_make({5, 3, nullptr}, 0, nullptr);
  VynElement hole = hole_tree(plane);
  struct Case {
    const char* what;
    std::vector<int> skip, stop, free_at, free_what, add_under;
    VynError status;
    std::vector<int> seen;
    std::vector<int> drop = {};
  } cases[] = {
      // -7 skips the element only: its children are offered.
      {"skip", {1671}, {}, {}, {}, {}, ok, {386, 387, 388, 1689, 1672, 1672, 82, 1340, 1341, 696}},
      {"stop", {}, {1671, 1689}, {}, {}, {}, 5, {386, 387, 388, 1671, 1689}},
      // An element freed before its turn is not offered, nor anything below it.
      {"free", {}, {}, {388}, {1340}, {}, ok, {386, 387, 388, 1671, 1689, 1672, 1672, 82}},
      // An element added during the visit is not offered.
      {"add",
       {},
       {},
       {},
       {},
       {1340},
       ok,
       {386, 387, 388, 1671, 1689, 1672, 1672, 82, 1340, 1341, 696}},
      // An element the filter frees is not offered to the action, nor anything below it.
      {"drop", {}, {}, {}, {}, {}, ok, {386, 387, 388, 1340, 1341, 696}, {1671}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    VynElement tree = yrlhost::tree_copy(hole, false);
    Visited visited;
    auto element_at = [&](const std::vector<int>& path) -> VynElement {
      if (path.empty()) return nullptr;
      std::vector<VynElempathItem> items;
      for (int id : path) items.push_back({VYN_ELEMPATH_ID, id});
      return yrlhost::tree_element_find(tree, items);
    };
    visited.skip = element_at(c.skip);
    visited.stop_at = element_at(c.stop);
    visited.free_at = element_at(c.free_at);
    visited.free_what = element_at(c.free_what);
    visited.add_under = element_at(c.add_under);
    visited.drop = element_at(c.drop);
    EXPECT_EQ(tree_visit(1, tree, nullptr, visit_filter, visit_action, &visited), c.status);
    EXPECT_EQ(ids_seen(visited), c.seen);
    EXPECT_EQ(path_free(1, &visited.kept), ok);
    EXPECT_TRUE(yrlhost::tree_free(tree));
  }
  EXPECT_EQ(yrlhost::tree_counts().paths, 0u);
}

// A tree the host keeps for itself: the plug-in reads it and cannot change or free it.
TEST_F(Elemtrees, HostTreeIsReadOnlyForThePlugIn) {
  VynSelection plane = yrlhost::selection_make({5, 3, nullptr}, 0, nullptr);
  VynElement mine = hole_tree(plane);
  VynElement kept = yrlhost::tree_copy(mine, true);
  EXPECT_EQ(element_free(1, word_of(mine)), ok);
  ASSERT_EQ(yrlhost::tree_text(kept).substr(0, 4), "386\n");
  VynElement leaf = yrlhost::tree_element_find(kept, {387});
  VynValue value = nullptr;
  ASSERT_EQ(element_value_get(1, leaf, &value), ok);
  VynValuedata data = int_data(1);
  EXPECT_EQ(value_data_set(1, value, &data), bad);
  EXPECT_EQ(value_free(1, value), bad);
  EXPECT_EQ(element_value_set(1, leaf, value_of(int_data(2))), bad);
  EXPECT_EQ(element_free(1, word_of(leaf)), bad);
  EXPECT_EQ(element_free(1, word_of(kept)), bad);
  EXPECT_EQ(tree_add(1, kept, nullptr, add(nullptr, 5)), bad);
  EXPECT_EQ(tree_add(1, add(nullptr, 5), nullptr, kept), bad);
  // Its values can be set on the plug-in's elements: they are copied.
  VynElement copy = add(nullptr, 387);
  EXPECT_EQ(element_value_set(1, copy, value), ok);
  EXPECT_EQ(yrlhost::tree_text(copy), "387 = int 911\n");
  // The host's reading of it.
  struct Case {
    std::initializer_list<int> path;
    int type;
    yrlhost::TreeRead status;
  } cases[] = {
      {{387}, VYN_VALUE_TYPE_INT, yrlhost::TreeRead::ok},
      {{1671, 82}, VYN_VALUE_TYPE_DOUBLE, yrlhost::TreeRead::ok},
      {{1671, 82}, VYN_VALUE_TYPE_INT, yrlhost::TreeRead::wrong_type},
      {{1671}, VYN_VALUE_TYPE_INT, yrlhost::TreeRead::no_value},
      {{1671, 83}, VYN_VALUE_TYPE_INT, yrlhost::TreeRead::no_element},
      {{1340, 1341}, VYN_VALUE_TYPE_SELECTION, yrlhost::TreeRead::ok},
  };
  for (const Case& c : cases)
    EXPECT_EQ(yrlhost::tree_value_read(kept, c.path, c.type).status, c.status);
  EXPECT_EQ(yrlhost::tree_value_read(kept, {1671, 1672}, VYN_VALUE_TYPE_INT).data.value.i, 16);
  EXPECT_TRUE(yrlhost::tree_free(kept));
  EXPECT_FALSE(yrlhost::tree_free(kept));
  EXPECT_EQ(yrlhost::tree_counts().elements, 3u);  // the plug-in's: copy and the two 5s
  EXPECT_EQ(selection_free(1, &plane), ok);
}

}  // namespace
