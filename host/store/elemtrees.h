// Element trees, element values and element paths: the store behind VynElement, VynValue
// and VynElempath, and how the host's own modules read and make trees (the feature
// builder reads the trees the plug-in hands it through this header).
//
// Handles are numbers in ranges of their own, never addresses: a handle names its object
// until the object is freed and never names another one after, so a stale, foreign or
// twice-freed handle is always told apart (and answers -2 at the API).
//
// An element has an id (1 or more), at most one parent, and either values or children,
// never both. Its children keep their insertion order; the same id may stand more than
// once under one parent. An element is an array when its id is one of the host's array
// elements (element_id_is_array), compound when it is no array and holds no value (an
// element without values or children is compound), and multi-valued when its values
// were set as a list (VynElementValuesSet); otherwise it holds at most one value.
//
// A value is the plug-in's from VynValueAlloc until it is set on an element; the element
// then holds it and frees it with itself, or when another value replaces it. A value has
// no data until its data is set. Strings, selections and transforms are copied into the
// value; the selection copy is a live selection that VynSelectionFree refuses.
//
// A tree the host keeps for itself (tree_copy with read_only) refuses every change and
// every free through the API with -2; the plug-in can read it.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "toolkit/api/host_types.h"

namespace yrlhost {

// Whether an element with this id is an array: its children are the array's members,
// reached by index (410 the constraints of a datum plane, 2015 and 2019 the constraints
// and the offset constraints of a datum axis).
bool element_id_is_array(int id);

// ---- Reading ----------------------------------------------------------------------------

bool tree_element_live(VynElement element);
// The element's id; -1 for what is not a live element.
int tree_element_id(VynElement element);
// The element's parent; null for a root or what is not a live element.
VynElement tree_element_parent(VynElement element);
// The element's children in order; none for what is not a live element.
std::vector<VynElement> tree_element_children(VynElement element);
// The element a path leads to from tree (the empty path: tree itself); null when the
// path leads nowhere or tree is not a live element.
VynElement tree_element_find(VynElement tree, const std::vector<VynElempathItem>& path);
// The same for a path of element ids (kind 1 steps).
VynElement tree_element_find(VynElement tree, std::initializer_list<int> ids);
bool tree_element_multival(VynElement element);
// The handle of the element's single value; null for a multi-valued element, one without
// a value or what is not a live element.
VynValue tree_element_value(VynElement element);
// The data of the element's values in order (for a single-valued element none or one).
// Pointers in the records point into the values: valid while the values live unchanged.
std::vector<VynValuedata> tree_element_values(VynElement element);

// The value of one element of a tree, as the feature builder reads it.
enum class TreeRead {
  ok,
  no_element,  // the path leads nowhere
  no_value,    // the element holds no single value (none, or a list)
  wrong_type,  // its value is of another type; data holds it all the same
};
struct TreeValue {
  TreeRead status = TreeRead::no_element;
  VynValuedata data{};  // the value's data when status is ok or wrong_type
};
// The single value of the element at the path of element ids from tree, expected of
// value type `type`.
TreeValue tree_value_read(VynElement tree, std::initializer_list<int> ids, int type);
TreeValue tree_value_read(VynElement tree, const std::vector<VynElempathItem>& path, int type);

// The steps of a live path; false (and items left alone) for anything else.
bool tree_path_items(VynElempath path, std::vector<VynElempathItem>& items);

// The tree below and with element as text, one element a line, indented two blanks a
// level: "<id>", "<id> = <value>" or "<id> = {<value>, ...}" (a list), where a value is
// "int 3", "double 2.5", "pointer" or "pointer null", "string <text>", "wstring <text>"
// (texts escaped as the model files escape a name, "null" for none), "selection <type>
// <id>", "transform <16 numbers>", "bool 1" or "nodata". Empty for what is not a live
// element.
std::string tree_text(VynElement element);

// ---- Making and freeing -----------------------------------------------------------------

// A new element of id (1 or more); null for a smaller id.
VynElement tree_element_new(int id);
// Adds child (a root that is not parent and holds parent nowhere below it) as the last
// child of parent (which holds no value); false, and nothing changes, otherwise.
bool tree_element_append(VynElement parent, VynElement child);
// Gives element (which has no children and is no array) one value of this data; false,
// and nothing changes, for data the host cannot keep (see VynValueDataSet).
bool tree_element_value_set(VynElement element, const VynValuedata& data);
// Gives element (as tree_element_value_set) a list of values of this data: it becomes
// multi-valued; false, and nothing changes, when the host cannot keep one of them.
bool tree_element_values_set(VynElement element, const std::vector<VynValuedata>& list);
// A copy of the tree below and with element, as a new root with handles of its own and
// copies of every value; read_only makes the host the only one to change or free it.
// Null for what is not a live element.
VynElement tree_copy(VynElement element, bool read_only);
// Frees element with everything below it, taking it off its parent first, read-only or
// not; false for what is not a live element.
bool tree_free(VynElement element);
// Frees every element tree left at the end of a session, with the selections its values
// hold.
void elemtrees_release_all();

// How many elements, values and paths are live (for tests: what the plug-in leaves).
struct TreeCounts {
  std::size_t elements = 0;
  std::size_t values = 0;
  std::size_t paths = 0;
};
TreeCounts tree_counts();

}  // namespace yrlhost
