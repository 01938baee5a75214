// Element trees, element values and element paths: the host functions with behaviour
// (see host/api/host_behaviours.h; the store and its rules are in host/store/elemtrees.h).
//
// A stale, foreign or null handle, a null output, or an element, value or path of a tree
// the host keeps for itself given to a function that would change it, answers -2
// (VYN_TK_BAD_INPUTS) and nothing changes. A path argument is read from the element
// given with it; a null path names that element itself. A path that leads to no element
// answers -4 (VYN_TK_E_NOT_FOUND).
#pragma once

#include "host/api/host_api.h"

namespace yrlhost {

// One specialisation per key; run has the row's signature (context id first).
#define YRL_ELEMTREE_BEHAVIOUR(name, ...)  \
  template <>                              \
  struct Behaviour<HostApi::name> {        \
    static VynError run(int, __VA_ARGS__); \
  };

// ---- Elements --------------------------------------------------------------------------
// A new root element without values or children; ids below 1 are refused.
YRL_ELEMTREE_BEHAVIOUR(VynElementAlloc, int id, VynElement* element)
// Frees the element (a VynElement in the word) with everything below it and its values,
// taking it off its parent first.
YRL_ELEMTREE_BEHAVIOUR(VynElementFree, VynWord element)
YRL_ELEMTREE_BEHAVIOUR(VynElementIdGet, VynElement element, int* id)
// The element's single value, which it keeps holding; -4 when it has none, -2 for a
// multi-valued element.
YRL_ELEMTREE_BEHAVIOUR(VynElementValueGet, VynElement element, VynValue* value)
// Makes value (with data) the element's single value; the element's other values are
// freed. -2 for an element with children or an array element.
YRL_ELEMTREE_BEHAVIOUR(VynElementValueSet, VynElement element, VynValue value)
// A new VynArray of the element's values (the handles it holds), in order.
YRL_ELEMTREE_BEHAVIOUR(VynElementValuesGet, VynElement element, VynValue** values)
// Makes the values of a VynArray of VynValue (each with data, each once; the array may
// be empty) the element's list of values; it is multi-valued from then on.
YRL_ELEMTREE_BEHAVIOUR(VynElementValuesSet, VynElement element, VynElempath path, VynValue* values)
YRL_ELEMTREE_BEHAVIOUR(VynElementIsArray, VynElement element, VynElempath path, int* is_array)
YRL_ELEMTREE_BEHAVIOUR(VynElementIsCompound, VynElement element, VynElempath path, int* is_compound)
YRL_ELEMTREE_BEHAVIOUR(VynElementIsMultival, VynElement element, VynElempath path, int* is_multival)
// The members of an array element: their count, or a new VynArray of their handles; -2
// for an element that is no array.
YRL_ELEMTREE_BEHAVIOUR(VynElementArrayCount, VynElement element, VynElempath path, int* count)
YRL_ELEMTREE_BEHAVIOUR(VynElementArrayGet, VynElement element, VynElempath path,
                       VynElement** members)
// A new VynArray of the element's children in order (empty when it has none).
YRL_ELEMTREE_BEHAVIOUR(VynElementChildrenGet, VynElement element, VynElempath path,
                       VynElement** children)

// ---- Trees -----------------------------------------------------------------------------
// Adds element, a root, as the last child of the element at path from tree. -2 for an
// element that has a parent, for tree or one of its ancestors as the element, and for a
// parent that holds values.
YRL_ELEMTREE_BEHAVIOUR(VynElemtreeElementAdd, VynElement tree, VynElempath path, VynElement element)
YRL_ELEMTREE_BEHAVIOUR(VynElemtreeElementGet, VynElement tree, VynElempath path,
                       VynElement* element)
// Visits the element at path and everything below it, parents before children, each with
// its path from tree (the host's, valid during the call). The elements are taken when the
// visit starts: one freed before its turn is not offered, one added is not. The filter's
// -7 skips an element (not its children), as does a filter that frees it; an action's
// nonzero status ends the visit and is its answer; a complete visit answers 0.
YRL_ELEMTREE_BEHAVIOUR(VynElemtreeElementVisit, VynElement tree, VynElempath path,
                       VynElementFilterAction filter, VynElementVisitAction action, void* app_data)

// ---- Paths -----------------------------------------------------------------------------
// A new empty path.
YRL_ELEMTREE_BEHAVIOUR(VynElempathAlloc, VynElempath* path)
// Replaces the path's steps; -2 for a step of another kind, an element id below 1 or an
// index below 0 (the path keeps its steps).
YRL_ELEMTREE_BEHAVIOUR(VynElempathDataSet, VynElempath path, const VynElempathItem* items,
                       int n_items)
// Frees the path and nulls the variable.
YRL_ELEMTREE_BEHAVIOUR(VynElempathFree, VynElempath* path)
YRL_ELEMTREE_BEHAVIOUR(VynElempathSizeGet, VynElempath path, int* size)
// Gives second the steps of first.
YRL_ELEMTREE_BEHAVIOUR(VynElempathCopy, VynElempath first, VynElempath second)

// ---- Values ----------------------------------------------------------------------------
// A new value without data, the plug-in's until it is set on an element.
YRL_ELEMTREE_BEHAVIOUR(VynValueAlloc, VynValue* value)
// Frees a value; one an element holds is taken off the element first.
YRL_ELEMTREE_BEHAVIOUR(VynValueFree, VynValue value)
// Writes the value's data record; -4 for a value without data.
YRL_ELEMTREE_BEHAVIOUR(VynValueDataGet, VynValue value, VynValuedata* data)
// Sets the value's data (types 1 to 8; strings, selections and transforms copied).
YRL_ELEMTREE_BEHAVIOUR(VynValueDataSet, VynValue value, const VynValuedata* data)

#undef YRL_ELEMTREE_BEHAVIOUR

}  // namespace yrlhost
