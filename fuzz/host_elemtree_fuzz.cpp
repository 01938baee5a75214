// Element trees as a plug-in builds and reads them: the input draws a sequence of calls
// of the element, value and path functions on handles the sequence made (live, freed or
// foreign), with value data of every type, paths of any steps, visits whose callbacks
// change the tree, and copies the host keeps for itself. Every answer must be one the
// functions document, the trees must stay trees (each child under the parent it names,
// no element both valued and a parent, no cycle), and once everything is freed through
// the functions nothing may be left: no element, value, path or selection.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "host/store/elemtrees.h"
#include "host/util/host_arrays.h"
#include "host/api/host_behaviours.h"
#include "host/util/host_testing.h"
#include "host/util/live_objects.h"
#include "host/display/selection.h"

namespace {

using yrlhost::Behaviour;
using yrlhost::HostApi;

template <HostApi id, typename... Args>
VynError call(Args... args) {
  return Behaviour<id>::run(1, args...);
}

void require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "element tree fuzz: %s\n", what);
  std::abort();
}

void require_status(VynError status, std::initializer_list<VynError> allowed, const char* what) {
  for (VynError one : allowed)
    if (status == one) return;
  std::fprintf(stderr, "element tree fuzz: %s answered %d\n", what, status);
  std::abort();
}

// What the sequence made, freed or not; a pick may also draw null or a foreign handle.
struct Pools {
  std::vector<VynElement> elements;
  std::vector<VynElement> host_trees;  // made by tree_copy(read_only)
  std::vector<VynValue> values;
  std::vector<VynElempath> paths;
  std::vector<VynSelection> selections;
};

int foreign_object = 0;

template <typename Handle>
Handle pick(FuzzInput& in, const std::vector<Handle>& pool) {
  int choice = in.below(static_cast<int>(pool.size()) + 2);
  if (choice == 0) return nullptr;
  if (choice == 1) return reinterpret_cast<Handle>(&foreign_object);
  return pool[static_cast<std::size_t>(choice - 2)];
}

VynElement pick_element(FuzzInput& in, const Pools& pools) {
  if (!pools.host_trees.empty() && in.below(8) == 0) {
    VynElement tree = pools.host_trees[static_cast<std::size_t>(
        in.below(static_cast<int>(pools.host_trees.size())))];
    std::vector<VynElement> children = yrlhost::tree_element_children(tree);
    return children.empty() || in.below(2) ? tree : children.front();
  }
  return pick(in, pools.elements);
}

int element_id(FuzzInput& in) {
  static const int ids[] = {386, 387, 410, 411, 447, 450, 515, 1671, 1672, 2019, 2020, -1, 0};
  return in.below(4) == 0 ? in.below16(4000) - 2 : ids[in.below(13)];
}

std::vector<VynElempathItem> steps_drawn(FuzzInput& in) {
  std::vector<VynElempathItem> items(static_cast<std::size_t>(in.below(5)));
  for (VynElempathItem& item : items) {
    item.kind = in.below(8) == 0 ? in.below(5) : 1 + in.below(2);
    item.value = item.kind == VYN_ELEMPATH_INDEX ? in.below(5) - 1 : element_id(in);
  }
  return items;
}

const double matrix[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {1, 2, 3, 1}};
const char narrow[] = "depth";
const VynWchar wide[] = u"Hole \u00e9";

VynValuedata data_drawn(FuzzInput& in, const Pools& pools) {
  VynValuedata data{};
  data.type = in.below(10);
  data.reserved = in.byte();
  switch (data.type) {
    case VYN_VALUE_TYPE_INT: data.value.i = in.below16(70000) - 35000; break;
    case VYN_VALUE_TYPE_DOUBLE: {
      long bits = in.word();
      std::memcpy(&data.value.d, &bits, sizeof data.value.d);
      break;
    }
    case VYN_VALUE_TYPE_POINTER: data.value.p = in.below(2) ? &foreign_object : nullptr; break;
    case VYN_VALUE_TYPE_STRING: data.value.s = in.below(3) ? narrow : nullptr; break;
    case VYN_VALUE_TYPE_WSTRING: data.value.w = in.below(3) ? wide : nullptr; break;
    case VYN_VALUE_TYPE_SELECTION: data.value.r = pick(in, pools.selections); break;
    case VYN_VALUE_TYPE_TRANSFORM: data.value.t = in.below(4) ? matrix : nullptr; break;
    case VYN_VALUE_TYPE_BOOL: data.value.b = in.below(3); break;
    default: data.value.i = in.byte(); break;
  }
  return data;
}

// What the callbacks of a visit do, drawn from the same input.
struct VisitState {
  FuzzInput* in;
  Pools* pools;
  int depth;
  std::vector<VynElement> offered;  // the elements the action got, in order
  std::vector<VynElempath> kept;    // a copy of each one's path
  bool changed = false;             // an action ran further calls
};

void step(FuzzInput& in, Pools& pools, int depth);

VynError visit_filter(VynElement element, VynElempath path, void* data) {
  auto* state = static_cast<VisitState*>(data);
  require_status(call<HostApi::VynElempathFree>(&path), {VYN_TK_BAD_INPUTS},
                 "freeing a visit's path");
  if (state->in->below(8) == 0) {
    state->changed = true;
    require_status(call<HostApi::VynElementFree>(reinterpret_cast<VynWord>(element)),
                   {VYN_TK_NO_ERROR, VYN_TK_BAD_INPUTS}, "freeing an element in a filter");
  }
  return state->in->below(4) == 0 ? VYN_TK_CONTINUE : state->in->below(3);
}

VynError visit_action(VynElement element, VynElempath path, void* data) {
  auto* state = static_cast<VisitState*>(data);
  require(yrlhost::tree_element_live(element), "a visit offered a freed element");
  VynElempath copy = nullptr;
  require_status(call<HostApi::VynElempathAlloc>(&copy), {VYN_TK_NO_ERROR}, "path alloc");
  require_status(call<HostApi::VynElempathCopy>(path, copy), {VYN_TK_NO_ERROR},
                 "copying a visit's path");
  state->pools->paths.push_back(copy);
  state->offered.push_back(element);
  state->kept.push_back(copy);
  switch (state->in->below(6)) {
    case 0: return 5;  // ends the visit
    case 1:
    case 2:
      if (state->depth < 2) {
        state->changed = true;
        step(*state->in, *state->pools, state->depth + 1);
      }
      return VYN_TK_NO_ERROR;
    default: return VYN_TK_NO_ERROR;
  }
}

// Every element the sequence holds stands in a sound tree.
void check_trees(const Pools& pools) {
  std::set<VynElement> checked;
  std::vector<VynElement> all = pools.elements;
  all.insert(all.end(), pools.host_trees.begin(), pools.host_trees.end());
  for (VynElement element : all) {
    if (!yrlhost::tree_element_live(element) || !checked.insert(element).second) continue;
    std::vector<VynElement> children = yrlhost::tree_element_children(element);
    bool valued =
        yrlhost::tree_element_multival(element) || !yrlhost::tree_element_values(element).empty();
    require(!(valued && !children.empty()), "an element holds values and children");
    for (VynElement child : children)
      require(yrlhost::tree_element_parent(child) == element, "a child names another parent");
    if (VynElement parent = yrlhost::tree_element_parent(element)) {
      std::vector<VynElement> siblings = yrlhost::tree_element_children(parent);
      require(std::find(siblings.begin(), siblings.end(), element) != siblings.end(),
              "an element is missing from its parent's children");
    }
    std::size_t up = 0;
    for (VynElement at = element; at; at = yrlhost::tree_element_parent(at))
      require(++up <= yrlhost::tree_counts().elements, "a cycle of parents");
  }
}

void step(FuzzInput& in, Pools& pools, int depth) {
  const VynError ok = VYN_TK_NO_ERROR, bad = VYN_TK_BAD_INPUTS, none = VYN_TK_E_NOT_FOUND;
  switch (in.below(18)) {
    case 0: {
      VynElement element = nullptr;
      int id = element_id(in);
      VynError status = call<HostApi::VynElementAlloc>(id, &element);
      require_status(status, {id >= 1 ? ok : bad}, "VynElementAlloc");
      if (status == ok) pools.elements.push_back(element);
      break;
    }
    case 1:
      require_status(
          call<HostApi::VynElementFree>(reinterpret_cast<VynWord>(pick_element(in, pools))),
          {ok, bad}, "VynElementFree");
      break;
    case 2: {
      VynValue value = nullptr;
      require_status(call<HostApi::VynValueAlloc>(&value), {ok}, "VynValueAlloc");
      pools.values.push_back(value);
      break;
    }
    case 3: {
      VynValue value = pick(in, pools.values);
      VynValuedata data = data_drawn(in, pools);
      VynError status = call<HostApi::VynValueDataSet>(value, &data);
      require_status(status, {ok, bad}, "VynValueDataSet");
      if (status == ok) {
        VynValuedata read{};
        require_status(call<HostApi::VynValueDataGet>(value, &read), {ok}, "VynValueDataGet");
        require(read.type == data.type && read.reserved == 0, "data read back differs");
      }
      break;
    }
    case 4:
      require_status(call<HostApi::VynValueFree>(pick(in, pools.values)), {ok, bad},
                     "VynValueFree");
      break;
    case 5:
      require_status(
          call<HostApi::VynElementValueSet>(pick_element(in, pools), pick(in, pools.values)),
          {ok, bad}, "VynElementValueSet");
      break;
    case 6: {
      VynElement parent = pick_element(in, pools);
      VynElempath path = pick(in, pools.paths);
      VynElement child = pick_element(in, pools);
      VynError status = call<HostApi::VynElemtreeElementAdd>(parent, path, child);
      require_status(status, {ok, bad, none}, "VynElemtreeElementAdd");
      if (status == ok) {
        VynElement at = nullptr;
        require_status(call<HostApi::VynElemtreeElementGet>(parent, path, &at), {ok},
                       "lookup after add");
        require(yrlhost::tree_element_parent(child) == at,
                "an added element is not under its parent");
      }
      break;
    }
    case 7: {
      VynElement found = nullptr;
      VynError status = call<HostApi::VynElemtreeElementGet>(pick_element(in, pools),
                                                             pick(in, pools.paths), &found);
      require_status(status, {ok, bad, none}, "VynElemtreeElementGet");
      if (status == ok) pools.elements.push_back(found);
      break;
    }
    case 8: {
      VynElempath path = nullptr;
      require_status(call<HostApi::VynElempathAlloc>(&path), {ok}, "VynElempathAlloc");
      pools.paths.push_back(path);
      std::vector<VynElempathItem> items = steps_drawn(in);
      bool valid = true;
      for (const VynElempathItem& item : items)
        valid =
            valid && ((item.kind == 1 && item.value >= 1) || (item.kind == 2 && item.value >= 0));
      require_status(
          call<HostApi::VynElempathDataSet>(path, items.data(), static_cast<int>(items.size())),
          {valid ? ok : bad}, "VynElempathDataSet");
      break;
    }
    case 9: {
      VynElempath path = pick(in, pools.paths);
      require_status(call<HostApi::VynElempathFree>(&path), {ok, bad}, "VynElempathFree");
      break;
    }
    case 10: {
      VynArray list = yrlhost::host_array_make(0, sizeof(VynValue));
      for (int n = in.below(4); n > 0; --n) {
        VynValue value = pick(in, pools.values);
        yrlhost::host_array_append(&list, &value, 1);
      }
      require_status(
          call<HostApi::VynElementValuesSet>(pick_element(in, pools), pick(in, pools.paths),
                                             static_cast<VynValue*>(list)),
          {ok, bad, none}, "VynElementValuesSet");
      yrlhost::host_array_release(&list);
      break;
    }
    case 11: {
      VynValue* values = nullptr;
      VynError status = call<HostApi::VynElementValuesGet>(pick_element(in, pools), &values);
      require_status(status, {ok, bad}, "VynElementValuesGet");
      if (status != ok) break;
      for (int i = 0; i < yrlhost::host_array_size(values); ++i) pools.values.push_back(values[i]);
      VynArray array = values;
      require(yrlhost::host_array_release(&array), "values array");
      break;
    }
    case 12: {
      VynValue value = nullptr;
      VynError status = call<HostApi::VynElementValueGet>(pick_element(in, pools), &value);
      require_status(status, {ok, bad, none}, "VynElementValueGet");
      if (status != ok) break;
      pools.values.push_back(value);
      VynValuedata read{};
      require_status(call<HostApi::VynValueDataGet>(value, &read), {ok}, "data of a held value");
      if (read.type == VYN_VALUE_TYPE_SELECTION) {
        VynSelection held = read.value.r;
        require_status(call<HostApi::VynSelectionFree>(&held), {bad}, "freeing a held selection");
      }
      break;
    }
    case 13: {
      VisitState state{&in, &pools, depth, {}, {}, false};
      VynElement tree = pick_element(in, pools);
      VynElempath path = pick(in, pools.paths);
      VynError status =
          call<HostApi::VynElemtreeElementVisit>(tree, path, in.below(2) ? visit_filter : nullptr,
                                                 in.below(8) ? visit_action : nullptr, &state);
      require_status(status, {ok, bad, none, 5}, "VynElemtreeElementVisit");
      // While the tree stands as it stood, each path handed out leads from the tree back
      // to its element.
      if (!state.changed && yrlhost::tree_element_live(tree))
        for (std::size_t i = 0; i < state.offered.size(); ++i) {
          std::vector<VynElempathItem> items;
          require(yrlhost::tree_path_items(state.kept[i], items), "a kept path");
          require(yrlhost::tree_element_find(tree, items) == state.offered[i],
                  "a visit's path leads elsewhere");
        }
      break;
    }
    case 14: {
      VynElement element = pick_element(in, pools);
      VynElempath path = pick(in, pools.paths);
      int answer = -1;
      require_status(call<HostApi::VynElementIsArray>(element, path, &answer), {ok, bad, none},
                     "IsArray");
      require_status(call<HostApi::VynElementIsCompound>(element, path, &answer), {ok, bad, none},
                     "IsCompound");
      require_status(call<HostApi::VynElementIsMultival>(element, path, &answer), {ok, bad, none},
                     "IsMultival");
      VynElement* members = nullptr;
      if (call<HostApi::VynElementArrayGet>(element, path, &members) == ok) {
        int count = -1;
        require_status(call<HostApi::VynElementArrayCount>(element, path, &count), {ok},
                       "ArrayCount");
        require(count == yrlhost::host_array_size(members), "array count");
        VynArray array = members;
        yrlhost::host_array_release(&array);
      }
      VynElement* children = nullptr;
      if (call<HostApi::VynElementChildrenGet>(element, path, &children) == ok) {
        for (int i = 0; i < yrlhost::host_array_size(children); ++i)
          pools.elements.push_back(children[i]);
        VynArray array = children;
        yrlhost::host_array_release(&array);
      }
      break;
    }
    case 15: {
      VynElempath first = pick(in, pools.paths), second = pick(in, pools.paths);
      require_status(call<HostApi::VynElempathCopy>(first, second), {ok, bad}, "VynElempathCopy");
      int size = -1;
      require_status(call<HostApi::VynElempathSizeGet>(second, &size), {ok, bad},
                     "VynElempathSizeGet");
      break;
    }
    case 16: {
      bool read_only = in.below(2);
      VynElement copy = yrlhost::tree_copy(pick_element(in, pools), read_only);
      if (!copy) break;
      if (!read_only) {
        pools.elements.push_back(copy);
        break;
      }
      // A copy the host keeps: the plug-in cannot free it.
      require_status(call<HostApi::VynElementFree>(reinterpret_cast<VynWord>(copy)), {bad},
                     "freeing a host tree");
      pools.host_trees.push_back(copy);
      break;
    }
    default:
      if (in.below(2)) {
        pools.selections.push_back(yrlhost::selection_make({5, in.below(9), nullptr}, 0, nullptr));
      } else {
        VynSelection selection = pick(in, pools.selections);
        require_status(call<HostApi::VynSelectionFree>(&selection), {ok, bad}, "VynSelectionFree");
      }
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  yrlhost::elemtrees_testing_reset();
  yrlhost::selection_testing_reset();
  yrlhost::arrays_testing_reset();
  FuzzInput in{data, size};
  Pools pools;
  while (!in.done()) {
    step(in, pools, 0);
    check_trees(pools);
  }
  // Everything freed through the functions leaves nothing behind.
  for (VynValue value : pools.values) call<HostApi::VynValueFree>(value);
  for (VynElement element : pools.elements)
    call<HostApi::VynElementFree>(reinterpret_cast<VynWord>(element));
  for (VynElement tree : pools.host_trees) yrlhost::tree_free(tree);
  for (VynElempath path : pools.paths) call<HostApi::VynElempathFree>(&path);
  for (VynSelection selection : pools.selections) call<HostApi::VynSelectionFree>(&selection);
  yrlhost::TreeCounts left = yrlhost::tree_counts();
  require(left.elements == 0 && left.values == 0 && left.paths == 0,
          "something left after freeing everything");
  require(yrlhost::live_object_count(yrlhost::LiveKind::selection) == 0, "a selection left");
  require(yrlhost::live_object_count(yrlhost::LiveKind::array) == 0, "an array left");
  return 0;
}
