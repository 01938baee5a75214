// The records behind element, value and path handles, shared by the store
// (elemtrees.cpp) and the host functions on them (elemtree_api.cpp) only; every other
// module goes through host/store/elemtrees.h.
#pragma once

#include <string>
#include <vector>

#include "host/store/elemtrees.h"

namespace yrlhost {

struct ValueRecord;

struct ElementRecord {
  VynElement handle = nullptr;
  int id = 0;
  ElementRecord* parent = nullptr;
  std::vector<ElementRecord*> children;  // in insertion order
  bool multival = false;                 // the values were set as a list
  std::vector<ValueRecord*> values;      // held: freed with the element
  bool read_only = false;                // the host's own tree
};

struct ValueRecord {
  VynValue handle = nullptr;
  ElementRecord* holder = nullptr;  // the element that holds it; null: the plug-in's
  // The data as VynValueDataGet hands it out (type 0: none yet); its string, selection
  // and transform pointers point at the members below.
  VynValuedata data{};
  std::string text;
  std::u16string wide;
  VynSelection selection = nullptr;  // a held copy (selection.h)
  double transform[4][4] = {};
};

struct PathRecord {
  VynElempath handle = nullptr;
  std::vector<VynElempathItem> items;
  bool read_only = false;  // a path the host hands to a visit's callbacks
};

// The live record a handle names; null for anything else (the handle is never read).
ElementRecord* element_record(VynElement element);
ValueRecord* value_record(VynValue value);
PathRecord* path_record(VynElempath path);

// New records with handles never given out before.
ElementRecord& element_record_new(int id);
ValueRecord& value_record_new();
PathRecord& path_record_new();

// Frees an element with everything below it and its values, taking it off its parent.
void element_record_free(ElementRecord& element);
// Frees a value, taking it off the element that holds it.
void value_record_free(ValueRecord& value);
void path_record_free(PathRecord& path);

// Whether a step is one a path can hold: kind 1 with an element id of 1 or more, or kind
// 2 with an index of 0 or more.
bool path_item_valid(const VynElempathItem& item);
// The element the steps lead to from element; null when they lead nowhere.
ElementRecord* element_record_find(ElementRecord& element,
                                   const std::vector<VynElempathItem>& items);
// Whether an element holds values (a list, even an empty one, counts).
bool element_valued(const ElementRecord& element);
bool element_compound(const ElementRecord& element);
// Whether ancestor is element or stands above it.
bool element_within(const ElementRecord& element, const ElementRecord& ancestor);
// The step from an element's parent to it: its index when it is an array's member or
// not the first child of its id, else its id.
VynElempathItem element_step(const ElementRecord& element);

// Sets a value's data; -2 (and the value unchanged) for data the host cannot keep: an
// unknown type, a selection that is not live, a null transform, a bool other than 0 or 1.
VynError value_record_assign(ValueRecord& value, const VynValuedata& data);
// Gives element exactly these values (checked: live, with data, each once), as a list or
// as its single value. A value the element holds stays, the plug-in's own is taken, and
// one another element holds is copied; the element's other values are freed.
void element_values_replace(ElementRecord& element, const std::vector<ValueRecord*>& values,
                            bool multival);

}  // namespace yrlhost
