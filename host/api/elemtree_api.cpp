// The host functions on element trees, element values and element paths.
#include <algorithm>
#include <cstring>
#include <set>

#include "host/store/elemtree_store.h"
#include "host/util/host_arrays.h"
#include "host/api/host_behaviours.h"

namespace yrlhost {
namespace {

// The element that an element and a path from it name.
struct Located {
  VynError status = VYN_TK_BAD_INPUTS;
  ElementRecord* element = nullptr;
};

Located locate(VynElement element, VynElempath path) {
  ElementRecord* from = element_record(element);
  if (!from) return {};
  if (!path) return {VYN_TK_NO_ERROR, from};
  PathRecord* steps = path_record(path);
  if (!steps) return {};
  ElementRecord* found = element_record_find(*from, steps->items);
  if (!found) return {VYN_TK_E_NOT_FOUND, nullptr};
  return {VYN_TK_NO_ERROR, found};
}

// Answers one yes-or-no question about the element that an element and a path name.
VynError flag_get(VynElement element, VynElempath path, int* flag,
                  bool (*test)(const ElementRecord&)) {
  if (!flag) return VYN_TK_BAD_INPUTS;
  Located at = locate(element, path);
  if (at.status != VYN_TK_NO_ERROR) return at.status;
  *flag = test(*at.element) ? 1 : 0;
  return VYN_TK_NO_ERROR;
}

// Hands out a new VynArray of the handles of records (elements or values).
template <typename Record, typename Handle>
VynError handles_hand_out(const std::vector<Record*>& records, Handle** array) {
  std::vector<Handle> handles;
  for (const Record* record : records) handles.push_back(record->handle);
  VynArray made = nullptr;
  VynError status = host_array_hand_out(handles, &made);
  if (status == VYN_TK_NO_ERROR) *array = static_cast<Handle*>(made);
  return status;
}

// Whether an element may be given values: it has no children and is no array.
bool takes_values(const ElementRecord& element) {
  return !element.read_only && element.children.empty() && !element_id_is_array(element.id);
}

// The path from tree down to element (which stands below it); false when it does not.
bool path_from(const ElementRecord& tree, const ElementRecord& element,
               std::vector<VynElempathItem>& items) {
  items.clear();
  for (const ElementRecord* at = &element; at != &tree; at = at->parent) {
    if (!at->parent) return false;
    items.push_back(element_step(*at));
  }
  std::reverse(items.begin(), items.end());
  return true;
}

}  // namespace

// ---- Elements --------------------------------------------------------------------------

VynError Behaviour<HostApi::VynElementAlloc>::run(int, int id, VynElement* element) {
  if (!element || id < 1) return VYN_TK_BAD_INPUTS;
  *element = element_record_new(id).handle;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynElementFree>::run(int, VynWord element) {
  ElementRecord* record = element_record(reinterpret_cast<VynElement>(element));
  if (!record || record->read_only) return VYN_TK_BAD_INPUTS;
  element_record_free(*record);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynElementIdGet>::run(int, VynElement element, int* id) {
  ElementRecord* record = element_record(element);
  if (!record || !id) return VYN_TK_BAD_INPUTS;
  *id = record->id;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynElementValueGet>::run(int, VynElement element, VynValue* value) {
  ElementRecord* record = element_record(element);
  if (!record || !value || record->multival) return VYN_TK_BAD_INPUTS;
  if (record->values.empty()) return VYN_TK_E_NOT_FOUND;
  *value = record->values.front()->handle;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynElementValueSet>::run(int, VynElement element, VynValue value) {
  ElementRecord* record = element_record(element);
  ValueRecord* given = value_record(value);
  if (!record || !given || given->data.type == 0 || !takes_values(*record))
    return VYN_TK_BAD_INPUTS;
  element_values_replace(*record, {given}, false);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynElementValuesGet>::run(int, VynElement element, VynValue** values) {
  ElementRecord* record = element_record(element);
  if (!record || !values) return VYN_TK_BAD_INPUTS;
  return handles_hand_out(record->values, values);
}

VynError Behaviour<HostApi::VynElementValuesSet>::run(int, VynElement element, VynElempath path,
                                                      VynValue* values) {
  Located at = locate(element, path);
  if (at.status != VYN_TK_NO_ERROR) return at.status;
  if (!takes_values(*at.element) || !host_array_is(values) ||
      host_array_element_size(values) != static_cast<int>(sizeof(VynValue)))
    return VYN_TK_BAD_INPUTS;
  std::vector<ValueRecord*> list;
  std::set<ValueRecord*> seen;
  for (int i = 0; i < host_array_size(values); ++i) {
    ValueRecord* value = value_record(values[i]);
    if (!value || value->data.type == 0 || !seen.insert(value).second) return VYN_TK_BAD_INPUTS;
    list.push_back(value);
  }
  element_values_replace(*at.element, list, true);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynElementIsArray>::run(int, VynElement element, VynElempath path,
                                                    int* is_array) {
  return flag_get(element, path, is_array,
                  [](const ElementRecord& at) { return element_id_is_array(at.id); });
}

VynError Behaviour<HostApi::VynElementIsCompound>::run(int, VynElement element, VynElempath path,
                                                       int* is_compound) {
  return flag_get(element, path, is_compound, element_compound);
}

VynError Behaviour<HostApi::VynElementIsMultival>::run(int, VynElement element, VynElempath path,
                                                       int* is_multival) {
  return flag_get(element, path, is_multival, [](const ElementRecord& at) { return at.multival; });
}

VynError Behaviour<HostApi::VynElementArrayCount>::run(int, VynElement element, VynElempath path,
                                                       int* count) {
  Located at = locate(element, path);
  if (at.status != VYN_TK_NO_ERROR) return at.status;
  if (!count || !element_id_is_array(at.element->id)) return VYN_TK_BAD_INPUTS;
  *count = static_cast<int>(at.element->children.size());
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynElementArrayGet>::run(int, VynElement element, VynElempath path,
                                                     VynElement** members) {
  Located at = locate(element, path);
  if (at.status != VYN_TK_NO_ERROR) return at.status;
  if (!members || !element_id_is_array(at.element->id)) return VYN_TK_BAD_INPUTS;
  return handles_hand_out(at.element->children, members);
}

VynError Behaviour<HostApi::VynElementChildrenGet>::run(int, VynElement element, VynElempath path,
                                                        VynElement** children) {
  Located at = locate(element, path);
  if (at.status != VYN_TK_NO_ERROR) return at.status;
  if (!children) return VYN_TK_BAD_INPUTS;
  return handles_hand_out(at.element->children, children);
}

// ---- Trees -----------------------------------------------------------------------------

VynError Behaviour<HostApi::VynElemtreeElementAdd>::run(int, VynElement tree, VynElempath path,
                                                        VynElement element) {
  Located parent = locate(tree, path);
  if (parent.status != VYN_TK_NO_ERROR) return parent.status;
  ElementRecord* child = element_record(element);
  if (!child || child->parent || child->read_only || parent.element->read_only ||
      element_valued(*parent.element) || element_within(*parent.element, *child))
    return VYN_TK_BAD_INPUTS;
  child->parent = parent.element;
  parent.element->children.push_back(child);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynElemtreeElementGet>::run(int, VynElement tree, VynElempath path,
                                                        VynElement* element) {
  Located at = locate(tree, path);
  if (at.status != VYN_TK_NO_ERROR) return at.status;
  if (!element) return VYN_TK_BAD_INPUTS;
  *element = at.element->handle;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynElemtreeElementVisit>::run(int, VynElement tree, VynElempath path,
                                                          VynElementFilterAction filter,
                                                          VynElementVisitAction action,
                                                          void* app_data) {
  Located start = locate(tree, path);
  if (start.status != VYN_TK_NO_ERROR) return start.status;
  if (!action) return VYN_TK_BAD_INPUTS;
  // The elements in visiting order, taken before the first callback.
  std::vector<VynElement> turns;
  std::vector<ElementRecord*> pending{start.element};
  while (!pending.empty()) {
    ElementRecord* at = pending.back();
    pending.pop_back();
    turns.push_back(at->handle);
    pending.insert(pending.end(), at->children.rbegin(), at->children.rend());
  }
  std::vector<VynElempathItem> items;
  for (VynElement turn : turns) {
    // A freed element is gone with everything below it, so one still live still stands
    // below tree; its path is taken as the tree stands at its turn.
    ElementRecord* element = element_record(turn);
    ElementRecord* from = element_record(tree);
    if (!element || !from || !path_from(*from, *element, items)) continue;
    PathRecord& visit_path = path_record_new();
    visit_path.items = items;
    visit_path.read_only = true;
    VynElempath handle = visit_path.handle;
    // A filter that frees the element skips it.
    bool skipped =
        filter && (filter(turn, handle, app_data) == VYN_TK_CONTINUE || !element_record(turn));
    VynError status = skipped ? VYN_TK_NO_ERROR : action(turn, handle, app_data);
    if (PathRecord* used = path_record(handle)) path_record_free(*used);
    if (status != VYN_TK_NO_ERROR) return status;
  }
  return VYN_TK_NO_ERROR;
}

// ---- Paths -----------------------------------------------------------------------------

VynError Behaviour<HostApi::VynElempathAlloc>::run(int, VynElempath* path) {
  if (!path) return VYN_TK_BAD_INPUTS;
  *path = path_record_new().handle;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynElempathDataSet>::run(int, VynElempath path,
                                                     const VynElempathItem* items, int n_items) {
  PathRecord* record = path_record(path);
  if (!record || record->read_only || n_items < 0 || (n_items > 0 && !items))
    return VYN_TK_BAD_INPUTS;
  std::vector<VynElempathItem> steps(items, items + n_items);
  if (!std::all_of(steps.begin(), steps.end(), path_item_valid)) return VYN_TK_BAD_INPUTS;
  record->items = std::move(steps);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynElempathFree>::run(int, VynElempath* path) {
  PathRecord* record = path ? path_record(*path) : nullptr;
  if (!record || record->read_only) return VYN_TK_BAD_INPUTS;
  path_record_free(*record);
  *path = nullptr;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynElempathSizeGet>::run(int, VynElempath path, int* size) {
  PathRecord* record = path_record(path);
  if (!record || !size) return VYN_TK_BAD_INPUTS;
  *size = static_cast<int>(record->items.size());
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynElempathCopy>::run(int, VynElempath first, VynElempath second) {
  PathRecord* from = path_record(first);
  PathRecord* to = path_record(second);
  if (!from || !to || to->read_only) return VYN_TK_BAD_INPUTS;
  to->items = from->items;
  return VYN_TK_NO_ERROR;
}

// ---- Values ----------------------------------------------------------------------------

VynError Behaviour<HostApi::VynValueAlloc>::run(int, VynValue* value) {
  if (!value) return VYN_TK_BAD_INPUTS;
  *value = value_record_new().handle;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynValueFree>::run(int, VynValue value) {
  ValueRecord* record = value_record(value);
  if (!record || (record->holder && record->holder->read_only)) return VYN_TK_BAD_INPUTS;
  value_record_free(*record);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynValueDataGet>::run(int, VynValue value, VynValuedata* data) {
  ValueRecord* record = value_record(value);
  if (!record || !data) return VYN_TK_BAD_INPUTS;
  if (record->data.type == 0) return VYN_TK_E_NOT_FOUND;
  std::memcpy(static_cast<void*>(data), &record->data, sizeof *data);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynValueDataSet>::run(int, VynValue value, const VynValuedata* data) {
  ValueRecord* record = value_record(value);
  if (!record || !data || (record->holder && record->holder->read_only)) return VYN_TK_BAD_INPUTS;
  return value_record_assign(*record, *data);
}

}  // namespace yrlhost
