// The store of element trees, values and paths, and the host modules' interface to it.
//
// Every walk over a tree keeps its own stack instead of recursing, so that a tree of any
// depth the plug-in builds is freed, copied, visited and printed without running out of
// the thread's stack.
#include <algorithm>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <utility>

#include "host/store/elemtree_store.h"
#include "host/util/host_testing.h"
#include "host/util/text_fields.h"
#include "host/display/selection.h"
#include "host/util/utf16.h"

namespace yrlhost {
namespace {

// Handles are numbers in ranges of their own, far from any address the process uses for
// data the plug-in could mix them up with.
constexpr std::uintptr_t element_handle_base = 0x45000000;
constexpr std::uintptr_t value_handle_base = 0x56000000;
constexpr std::uintptr_t path_handle_base = 0x50000000;

struct TreeStore {
  std::unordered_map<std::uintptr_t, std::unique_ptr<ElementRecord>> elements;
  std::unordered_map<std::uintptr_t, std::unique_ptr<ValueRecord>> values;
  std::unordered_map<std::uintptr_t, std::unique_ptr<PathRecord>> paths;
  std::uintptr_t next_element_serial = 1;
  std::uintptr_t next_value_serial = 1;
  std::uintptr_t next_path_serial = 1;
};

TreeStore& store() {
  static TreeStore trees;
  return trees;
}

template <typename Record, typename Handle>
Record* find_record(std::unordered_map<std::uintptr_t, std::unique_ptr<Record>>& records,
                    Handle handle) {
  auto found = records.find(reinterpret_cast<std::uintptr_t>(handle));
  return found == records.end() ? nullptr : found->second.get();
}

template <typename Record>
Record& add_record(std::unordered_map<std::uintptr_t, std::unique_ptr<Record>>& records,
                   std::uintptr_t base, std::uintptr_t& serial) {
  std::uintptr_t key = base + 16 * serial++;
  auto record = std::make_unique<Record>();
  record->handle = reinterpret_cast<decltype(record->handle)>(key);
  Record& made = *record;
  records.emplace(key, std::move(record));
  return made;
}

// The element and everything below it, parents before their children.
std::vector<ElementRecord*> subtree(ElementRecord& top) {
  std::vector<ElementRecord*> found{&top};
  for (std::size_t next = 0; next < found.size(); ++next)
    found.insert(found.end(), found[next]->children.begin(), found[next]->children.end());
  return found;
}

// Frees a value that no element holds any more.
void value_release(ValueRecord& value) {
  if (value.selection) selection_release(value.selection);
  store().values.erase(reinterpret_cast<std::uintptr_t>(value.handle));
}

std::string value_text(const VynValuedata& data) {
  switch (data.type) {
    case VYN_VALUE_TYPE_INT: return "int " + std::to_string(data.value.i);
    case VYN_VALUE_TYPE_DOUBLE: return "double " + number_text(data.value.d);
    case VYN_VALUE_TYPE_POINTER: return data.value.p ? "pointer" : "pointer null";
    case VYN_VALUE_TYPE_STRING:
      return std::string("string ") + (data.value.s ? escape_text(data.value.s, true) : "null");
    case VYN_VALUE_TYPE_WSTRING:
      return std::string("wstring ") +
             (data.value.w ? escape_text(utf8_from_utf16(std::u16string(data.value.w)), true)
                           : "null");
    case VYN_VALUE_TYPE_SELECTION:
      if (!selection_is(data.value.r)) return "selection gone";
      return "selection " + std::to_string(data.value.r->item.type) + " " +
             std::to_string(data.value.r->item.id);
    case VYN_VALUE_TYPE_TRANSFORM: {
      std::string text = "transform";
      for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
          text += " " + number_text(data.value.t[row][column]);
      return text;
    }
    case VYN_VALUE_TYPE_BOOL: return "bool " + std::to_string(data.value.b);
    default: return "nodata";
  }
}

TreeValue value_read(ElementRecord* element, int type) {
  TreeValue read;
  if (!element) return read;
  if (element->multival || element->values.empty()) {
    read.status = TreeRead::no_value;
    return read;
  }
  read.data = element->values.front()->data;
  read.status = read.data.type == type ? TreeRead::ok : TreeRead::wrong_type;
  return read;
}

std::vector<VynElempathItem> id_steps(std::initializer_list<int> ids) {
  std::vector<VynElempathItem> items;
  for (int id : ids) items.push_back({VYN_ELEMPATH_ID, id});
  return items;
}

}  // namespace

// ---- Records ----------------------------------------------------------------------------

ElementRecord* element_record(VynElement element) { return find_record(store().elements, element); }
ValueRecord* value_record(VynValue value) { return find_record(store().values, value); }
PathRecord* path_record(VynElempath path) { return find_record(store().paths, path); }

ElementRecord& element_record_new(int id) {
  ElementRecord& element =
      add_record(store().elements, element_handle_base, store().next_element_serial);
  element.id = id;
  return element;
}

ValueRecord& value_record_new() {
  return add_record(store().values, value_handle_base, store().next_value_serial);
}

PathRecord& path_record_new() {
  return add_record(store().paths, path_handle_base, store().next_path_serial);
}

void element_record_free(ElementRecord& element) {
  if (element.parent) std::erase(element.parent->children, &element);
  for (ElementRecord* doomed : subtree(element)) {
    for (ValueRecord* value : doomed->values) value_release(*value);
    store().elements.erase(reinterpret_cast<std::uintptr_t>(doomed->handle));
  }
}

void value_record_free(ValueRecord& value) {
  if (value.holder) std::erase(value.holder->values, &value);
  value_release(value);
}

void path_record_free(PathRecord& path) {
  store().paths.erase(reinterpret_cast<std::uintptr_t>(path.handle));
}

bool path_item_valid(const VynElempathItem& item) {
  return (item.kind == VYN_ELEMPATH_ID && item.value >= 1) ||
         (item.kind == VYN_ELEMPATH_INDEX && item.value >= 0);
}

ElementRecord* element_record_find(ElementRecord& element,
                                   const std::vector<VynElempathItem>& items) {
  ElementRecord* at = &element;
  for (const VynElempathItem& item : items) {
    const std::vector<ElementRecord*>& children = at->children;
    ElementRecord* next = nullptr;
    if (item.kind == VYN_ELEMPATH_ID) {
      auto found =
          std::find_if(children.begin(), children.end(),
                       [&item](const ElementRecord* child) { return child->id == item.value; });
      if (found != children.end()) next = *found;
    } else if (item.kind == VYN_ELEMPATH_INDEX && item.value >= 0 &&
               static_cast<std::size_t>(item.value) < children.size()) {
      next = children[static_cast<std::size_t>(item.value)];
    }
    if (!next) return nullptr;
    at = next;
  }
  return at;
}

bool element_valued(const ElementRecord& element) {
  return element.multival || !element.values.empty();
}

bool element_compound(const ElementRecord& element) {
  return !element_id_is_array(element.id) && !element_valued(element);
}

bool element_within(const ElementRecord& element, const ElementRecord& ancestor) {
  for (const ElementRecord* at = &element; at; at = at->parent)
    if (at == &ancestor) return true;
  return false;
}

VynElempathItem element_step(const ElementRecord& element) {
  const std::vector<ElementRecord*>& siblings = element.parent->children;
  int index =
      static_cast<int>(std::find(siblings.begin(), siblings.end(), &element) - siblings.begin());
  if (element_id_is_array(element.parent->id)) return {VYN_ELEMPATH_INDEX, index};
  for (const ElementRecord* sibling : siblings) {
    if (sibling->id != element.id) continue;
    if (sibling == &element) return {VYN_ELEMPATH_ID, element.id};
    break;
  }
  return {VYN_ELEMPATH_INDEX, index};
}

VynError value_record_assign(ValueRecord& value, const VynValuedata& data) {
  if (data.type < VYN_VALUE_TYPE_INT || data.type > VYN_VALUE_TYPE_BOOL) return VYN_TK_BAD_INPUTS;
  if (data.type == VYN_VALUE_TYPE_SELECTION && !selection_is(data.value.r))
    return VYN_TK_BAD_INPUTS;
  if (data.type == VYN_VALUE_TYPE_TRANSFORM && !data.value.t) return VYN_TK_BAD_INPUTS;
  if (data.type == VYN_VALUE_TYPE_BOOL && data.value.b != 0 && data.value.b != 1)
    return VYN_TK_BAD_INPUTS;
  // The data may point into this value: copy what it points to before anything changes.
  VynValuedata kept{};
  kept.type = data.type;
  std::string text;
  std::u16string wide;
  VynSelection selection = nullptr;
  double transform[4][4] = {};
  switch (data.type) {
    case VYN_VALUE_TYPE_INT: kept.value.i = data.value.i; break;
    case VYN_VALUE_TYPE_DOUBLE: kept.value.d = data.value.d; break;
    case VYN_VALUE_TYPE_POINTER: kept.value.p = data.value.p; break;
    case VYN_VALUE_TYPE_BOOL: kept.value.b = data.value.b; break;
    case VYN_VALUE_TYPE_STRING:
      if (data.value.s) text = data.value.s;
      break;
    case VYN_VALUE_TYPE_WSTRING:
      if (data.value.w) wide = data.value.w;
      break;
    case VYN_VALUE_TYPE_SELECTION:
      selection = selection_copy(data.value.r);
      selection->held = true;
      break;
    case VYN_VALUE_TYPE_TRANSFORM: std::memcpy(transform, data.value.t, sizeof transform); break;
  }
  if (value.selection) selection_release(value.selection);
  value.text = std::move(text);
  value.wide = std::move(wide);
  value.selection = selection;
  std::memcpy(value.transform, transform, sizeof transform);
  if (data.type == VYN_VALUE_TYPE_STRING && data.value.s) kept.value.s = value.text.c_str();
  if (data.type == VYN_VALUE_TYPE_WSTRING && data.value.w) kept.value.w = value.wide.c_str();
  if (data.type == VYN_VALUE_TYPE_SELECTION) kept.value.r = value.selection;
  if (data.type == VYN_VALUE_TYPE_TRANSFORM) kept.value.t = value.transform;
  value.data = kept;
  return VYN_TK_NO_ERROR;
}

void element_values_replace(ElementRecord& element, const std::vector<ValueRecord*>& values,
                            bool multival) {
  std::vector<ValueRecord*> kept;
  for (ValueRecord* value : values) {
    if (value->holder && value->holder != &element) {
      ValueRecord& copy = value_record_new();
      value_record_assign(copy, value->data);
      value = &copy;
    }
    value->holder = &element;
    kept.push_back(value);
  }
  std::vector<ValueRecord*> old = std::exchange(element.values, kept);
  element.multival = multival;
  for (ValueRecord* value : old) {
    if (std::find(kept.begin(), kept.end(), value) != kept.end()) continue;
    value->holder = nullptr;
    value_release(*value);
  }
}

// ---- The host modules' interface --------------------------------------------------------

bool element_id_is_array(int id) { return id == 410 || id == 2015 || id == 2019; }

bool tree_element_live(VynElement element) { return element_record(element) != nullptr; }

int tree_element_id(VynElement element) {
  ElementRecord* record = element_record(element);
  return record ? record->id : -1;
}

VynElement tree_element_parent(VynElement element) {
  ElementRecord* record = element_record(element);
  return record && record->parent ? record->parent->handle : nullptr;
}

std::vector<VynElement> tree_element_children(VynElement element) {
  std::vector<VynElement> children;
  if (ElementRecord* record = element_record(element))
    for (ElementRecord* child : record->children) children.push_back(child->handle);
  return children;
}

VynElement tree_element_find(VynElement tree, const std::vector<VynElempathItem>& path) {
  ElementRecord* record = element_record(tree);
  ElementRecord* found = record ? element_record_find(*record, path) : nullptr;
  return found ? found->handle : nullptr;
}

VynElement tree_element_find(VynElement tree, std::initializer_list<int> ids) {
  return tree_element_find(tree, id_steps(ids));
}

bool tree_element_multival(VynElement element) {
  ElementRecord* record = element_record(element);
  return record && record->multival;
}

VynValue tree_element_value(VynElement element) {
  ElementRecord* record = element_record(element);
  if (!record || record->multival || record->values.empty()) return nullptr;
  return record->values.front()->handle;
}

std::vector<VynValuedata> tree_element_values(VynElement element) {
  std::vector<VynValuedata> values;
  if (ElementRecord* record = element_record(element))
    for (ValueRecord* value : record->values) values.push_back(value->data);
  return values;
}

TreeValue tree_value_read(VynElement tree, const std::vector<VynElempathItem>& path, int type) {
  ElementRecord* record = element_record(tree);
  return value_read(record ? element_record_find(*record, path) : nullptr, type);
}

TreeValue tree_value_read(VynElement tree, std::initializer_list<int> ids, int type) {
  return tree_value_read(tree, id_steps(ids), type);
}

bool tree_path_items(VynElempath path, std::vector<VynElempathItem>& items) {
  PathRecord* record = path_record(path);
  if (!record) return false;
  items = record->items;
  return true;
}

std::string tree_text(VynElement element) {
  ElementRecord* top = element_record(element);
  if (!top) return "";
  std::string text;
  std::vector<std::pair<const ElementRecord*, int>> pending{{top, 0}};
  while (!pending.empty()) {
    auto [at, depth] = pending.back();
    pending.pop_back();
    text += std::string(2 * static_cast<std::size_t>(depth), ' ') + std::to_string(at->id);
    if (at->multival) {
      text += " = {";
      for (std::size_t i = 0; i < at->values.size(); ++i)
        text += (i ? ", " : "") + value_text(at->values[i]->data);
      text += "}";
    } else if (!at->values.empty()) {
      text += " = " + value_text(at->values.front()->data);
    }
    text += "\n";
    for (auto child = at->children.rbegin(); child != at->children.rend(); ++child)
      pending.push_back({*child, depth + 1});
  }
  return text;
}

VynElement tree_element_new(int id) { return id >= 1 ? element_record_new(id).handle : nullptr; }

bool tree_element_append(VynElement parent, VynElement child) {
  ElementRecord* to = element_record(parent);
  ElementRecord* added = element_record(child);
  if (!to || !added || added->parent || element_valued(*to) || element_within(*to, *added))
    return false;
  added->parent = to;
  to->children.push_back(added);
  return true;
}

bool tree_element_value_set(VynElement element, const VynValuedata& data) {
  ElementRecord* record = element_record(element);
  if (!record || !record->children.empty() || element_id_is_array(record->id)) return false;
  ValueRecord& value = value_record_new();
  if (value_record_assign(value, data) != VYN_TK_NO_ERROR) {
    value_record_free(value);
    return false;
  }
  element_values_replace(*record, {&value}, false);
  return true;
}

bool tree_element_values_set(VynElement element, const std::vector<VynValuedata>& list) {
  ElementRecord* record = element_record(element);
  if (!record || !record->children.empty() || element_id_is_array(record->id)) return false;
  std::vector<ValueRecord*> values;
  for (const VynValuedata& data : list) {
    ValueRecord& value = value_record_new();
    values.push_back(&value);
    if (value_record_assign(value, data) != VYN_TK_NO_ERROR) {
      for (ValueRecord* made : values) value_record_free(*made);
      return false;
    }
  }
  element_values_replace(*record, values, true);
  return true;
}

VynElement tree_copy(VynElement element, bool read_only) {
  ElementRecord* top = element_record(element);
  if (!top) return nullptr;
  ElementRecord* root = nullptr;
  // Children are taken in order, each appended to its copied parent when it is copied.
  std::vector<std::pair<const ElementRecord*, ElementRecord*>> pending{{top, nullptr}};
  while (!pending.empty()) {
    auto [from, parent] = pending.back();
    pending.pop_back();
    ElementRecord& copy = element_record_new(from->id);
    copy.read_only = read_only;
    copy.multival = from->multival;
    for (const ValueRecord* value : from->values) {
      ValueRecord& copied = value_record_new();
      value_record_assign(copied, value->data);
      copied.holder = &copy;
      copy.values.push_back(&copied);
    }
    if (parent) {
      copy.parent = parent;
      parent->children.push_back(&copy);
    } else {
      root = &copy;
    }
    for (auto child = from->children.rbegin(); child != from->children.rend(); ++child)
      pending.push_back({*child, &copy});
  }
  return root->handle;
}

bool tree_free(VynElement element) {
  ElementRecord* record = element_record(element);
  if (!record) return false;
  element_record_free(*record);
  return true;
}

TreeCounts tree_counts() {
  return {store().elements.size(), store().values.size(), store().paths.size()};
}

// Frees every element, value and path and starts the handle numbers again.
void elemtrees_release_all() {
  for (auto& entry : store().values)
    if (entry.second->selection) selection_release(entry.second->selection);
  store() = TreeStore{};
}

void elemtrees_testing_reset() { elemtrees_release_all(); }

}  // namespace yrlhost
