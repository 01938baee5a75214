// Selections, the selection function with the scripted user's picks, highlights and
// mouse input.
#include "host/display/selection.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <tuple>
#include <utility>

#include "host/display/graphics.h"
#include "host/util/host_arrays.h"
#include "host/api/host_behaviours.h"
#include "host/display/curve_points.h"
#include "host/util/live_objects.h"
#include "host/store/models.h"
#include "host/store/pick_items.h"
#include "host/script/script.h"

namespace yrlhost {
namespace {

// The filter words and the host item types each allows.
struct FilterWord {
  const char* word;
  std::vector<int> types;
};

const std::vector<FilterWord>& filter_words() {
  static const std::vector<FilterWord> words = {
      {"part", {2}},
      {"prt_or_asm", {1, 2}},
      {"feature", {3}},
      {"surface", {5}},
      {"edge", {6}},
      {"dimension", {8, 28}},  // driving and reference dimensions
      {"ref_dim", {28}},
      {"axis", {21}},
      {"csys", {25}},
      {"curve", {62}},
      {"point", {66}},
      {"note", {68}},
      {"any_note", {68, 69}},  // notes and notes of parameters
      {"symbol", {76}},
      {"draft_ent", {77}},
      {"layer", {117}},
      {"datum", {176}},
  };
  return words;
}

// The last answer of the selection function, which the host keeps.
struct SelectAnswer {
  VynArray array = nullptr;
  std::uint64_t array_serial = 0;  // host_array_serial of array when it was handed out
  std::vector<VynSelection> selections;
  std::uint64_t round = 0;
};

SelectAnswer& last_answer() {
  static SelectAnswer answer;
  return answer;
}

std::uint64_t& select_rounds() {
  static std::uint64_t rounds = 0;
  return rounds;
}

// Every selection and selection environment handed out and not yet freed, for the reset:
// the plug-in may leave some behind, and the registry of live objects only forgets them.
std::set<VynSelection>& selections_made() {
  static std::set<VynSelection> made;
  return made;
}

std::set<VynSelectionEnvRecord*>& envs_made() {
  static std::set<VynSelectionEnvRecord*> made;
  return made;
}

std::vector<VynModelitem>& refused() {
  static std::vector<VynModelitem> items;
  return items;
}

using ItemKey = std::tuple<const void*, int, int>;

ItemKey item_key(const VynModelitem& item) { return {item.owner, item.type, item.id}; }

struct Highlight {
  int colour = 0;
  int window = 0;
};

std::map<ItemKey, Highlight>& highlights() {
  static std::map<ItemKey, Highlight> map;
  return map;
}

// Frees the last answer: the selections the plug-in did not free itself, and the array
// unless the plug-in freed it.
void release_last_answer() {
  SelectAnswer& answer = last_answer();
  for (VynSelection selection : answer.selections)
    if (selection_is(selection) && selection->select_round == answer.round)
      selection_release(selection);
  // The plug-in may have freed the array itself, and a later array may have its address.
  if (answer.array && host_array_serial(answer.array) == answer.array_serial)
    host_array_release(&answer.array);
  answer = SelectAnswer{};
}

std::string trimmed(const std::string& text) {
  std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// A script failure for an action that the waiting call cannot use; the action stays
// queued for whoever can.
VynError wrong_action(const std::string& waiter, const ScriptAction& action) {
  script_fail(waiter + " cannot take the user's action \"" + script_action_text(action) + "\"");
  return VYN_TK_USER_ABORT;
}

bool contains(const std::vector<int>& types, int type) {
  for (int allowed : types)
    if (allowed == type) return true;
  return false;
}

}  // namespace

// ---- Selections -----------------------------------------------------------------------

VynSelection selection_make(const VynModelitem& item, int window, const double* point) {
  auto* selection = new VynSelectionRecord;
  selection->item = item;
  selection->window = window != 0 ? window : window_current();
  if (point) std::memcpy(selection->point, point, sizeof selection->point);
  live_object_add(LiveKind::selection, selection);
  selections_made().insert(selection);
  return selection;
}

bool selection_is(VynSelection selection) {
  return live_object_is(LiveKind::selection, selection);
}

VynSelection selection_copy(VynSelection from) {
  if (!selection_is(from)) return nullptr;
  VynSelection copy = selection_make(from->item, from->window, from->point);
  selection_uv_set(copy, from->uv);
  return copy;
}

bool selection_release(VynSelection selection) {
  if (!live_object_remove(LiveKind::selection, selection)) return false;
  selections_made().erase(selection);
  delete selection;
  return true;
}

bool selection_uv_set(VynSelection selection, const double uv[2]) {
  if (!selection_is(selection) || !uv) return false;
  selection->uv[0] = uv[0];
  selection->uv[1] = uv[1];
  return true;
}

std::optional<int> highlight_colour(const VynModelitem& item) {
  auto found = highlights().find(item_key(item));
  if (found == highlights().end()) return std::nullopt;
  return found->second.colour;
}

std::optional<int> highlight_colour_in(const VynModelitem& item, int window) {
  auto found = highlights().find(item_key(item));
  if (found == highlights().end() || found->second.window != window) return std::nullopt;
  return found->second.colour;
}

std::size_t highlight_count() { return highlights().size(); }

void highlights_clear(int window) {
  std::erase_if(highlights(),
                [window](const auto& entry) { return entry.second.window == window; });
}

bool selection_filter_types(const std::string& filter, std::vector<int>& types) {
  std::vector<int> found;
  std::size_t start = 0;
  while (true) {
    std::size_t comma = filter.find(',', start);
    std::string word = trimmed(filter.substr(start, comma - start));  // npos: to the end
    const FilterWord* known = nullptr;
    for (const FilterWord& entry : filter_words())
      if (word == entry.word) known = &entry;
    if (!known) return false;
    found.insert(found.end(), known->types.begin(), known->types.end());
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  types = std::move(found);
  return true;
}

const std::vector<VynModelitem>& selection_refused() { return refused(); }

void selection_testing_reset() {
  release_last_answer();
  for (VynSelection selection : std::set<VynSelection>(selections_made())) selection_release(selection);
  for (VynSelectionEnvRecord* env : envs_made()) {
    live_object_remove(LiveKind::selection_env, env);
    delete env;
  }
  envs_made().clear();
  refused().clear();
  highlights().clear();
  pick_items_testing_reset();
  select_rounds() = 0;
}

VynError Behaviour<HostApi::VynSelectionAlloc>::run(int, VynAsmcomppath*, VynModelitem* item,
                                                     VynSelection* selection) {
  if (!item || !selection) return VYN_TK_BAD_INPUTS;
  *selection = selection_make(*item, 0, nullptr);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSelectionCopy>::run(int, VynSelection from, VynSelection* to) {
  if (!selection_is(from) || !to) return VYN_TK_BAD_INPUTS;
  *to = selection_copy(from);
  return VYN_TK_NO_ERROR;
}

// A selection an element value holds goes with the value.
VynError Behaviour<HostApi::VynSelectionFree>::run(int, VynSelection* selection) {
  if (!selection || (selection_is(*selection) && (*selection)->held)) return VYN_TK_BAD_INPUTS;
  if (!selection_release(*selection)) return VYN_TK_BAD_INPUTS;
  *selection = nullptr;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSelectionModelitemGet>::run(int, VynSelection selection,
                                                            VynModelitem* item) {
  if (!selection_is(selection) || !item) return VYN_TK_BAD_INPUTS;
  *item = selection->item;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSelectionUvParamGet>::run(int, VynSelection selection,
                                                          double* uv) {
  if (!selection_is(selection) || !uv) return VYN_TK_BAD_INPUTS;
  uv[0] = selection->uv[0];
  uv[1] = selection->uv[1];
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSelectionWindowIdGet>::run(int, VynSelection selection,
                                                           int* window_id) {
  if (!selection_is(selection) || !window_id) return VYN_TK_BAD_INPUTS;
  *window_id = selection->window;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSelectionHighlight>::run(int, VynSelection selection, int color) {
  if (!selection_is(selection)) return VYN_TK_BAD_INPUTS;
  highlights()[item_key(selection->item)] = Highlight{color, selection->window};
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSelectionUnhighlight>::run(int, VynSelection selection) {
  if (!selection_is(selection)) return VYN_TK_BAD_INPUTS;
  highlights().erase(item_key(selection->item));
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSelectionEnvAlloc>::run(int, const VynSelectionEnvOption* options,
                                                        int n_options, VynSelectionEnv* env) {
  if (!env || n_options < 0 || (n_options > 0 && !options)) return VYN_TK_BAD_INPUTS;
  auto* record = new VynSelectionEnvRecord;
  if (n_options > 0) record->options.assign(options, options + n_options);
  live_object_add(LiveKind::selection_env, record);
  envs_made().insert(record);
  *env = record;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSelectionEnvFree>::run(int, VynWord env) {
  auto* record = reinterpret_cast<VynSelectionEnvRecord*>(env);
  if (!live_object_remove(LiveKind::selection_env, record)) return VYN_TK_BAD_INPUTS;
  envs_made().erase(record);
  delete record;
  return VYN_TK_NO_ERROR;
}

// ---- The selection function ------------------------------------------------------------

namespace {

// A pick made ready for the selection: its window and the model that window shows, the
// item's owner. False, with a script failure, for a pick the user cannot make: in an
// unknown window, in a window that shows no model, or of an item that model does not
// have or hides.
bool pick_resolve(ScriptPick& pick, const ScriptAction& action) {
  std::string what = "\"" + script_action_text(action) + "\": ";
  int window = pick.window != 0 ? pick.window : window_current();
  if (!window_find(window)) {
    script_fail(what + "there is no window " + std::to_string(window));
    return false;
  }
  pick.window = window;
  pick.item.owner = window_model(window);
  if (!pick.item.owner) {
    script_fail(what + "window " + std::to_string(window) + " shows no model");
    return false;
  }
  std::string item = "item " + std::to_string(pick.item.type) + " " + std::to_string(pick.item.id);
  switch (drawing_item_state(pick.item.owner, pick.item.type, pick.item.id)) {
    case ItemShown::shown:
      return true;
    case ItemShown::hidden:
      script_fail(what + item + " of " + host_model_name(pick.item.owner) + " is hidden");
      return false;
    case ItemShown::absent:
      break;
  }
  script_fail(what + host_model_name(pick.item.owner) + " has no " + item);
  return false;
}

// The pick's parameters along the item's curve when the script gives none: from the
// pick point, or, without one, the curve's middle, which then becomes the pick point.
void pick_parameters_complete(ScriptPick& pick) {
  VynCurvedata curve{};
  if (pick.has_uv || !drawing_item_curve(pick.item.owner, pick.item.type, pick.item.id, &curve))
    return;
  if (!pick.has_point) {
    if (!curve_point_at(curve, 0.5, pick.point)) return;
    pick.uv[0] = 0.5;
    return;
  }
  curve_parameter_at(curve, pick.point, &pick.uv[0]);
}

// A new selection of the pick, held by the host for the answer of round.
VynSelection pick_selection(const ScriptPick& pick, std::uint64_t round) {
  VynSelection selection = selection_make(pick.item, pick.window, pick.point);
  selection_uv_set(selection, pick.uv);
  selection->select_round = round;
  return selection;
}

}  // namespace

VynError Behaviour<HostApi::VynSelect>::run(int, const char* filter, int max_count,
                                            VynSelection*, VynSelectionFilter* filter_record,
                                            VynSelectionEnv env, VynWord, VynArray* selections,
                                            int* count) {
  std::vector<int> types;
  if (!filter || !selections || !count || !selection_filter_types(filter, types))
    return VYN_TK_BAD_INPUTS;
  if (env && !live_object_is(LiveKind::selection_env, env)) return VYN_TK_BAD_INPUTS;
  release_last_answer();
  *count = 0;
  const std::string waiter = std::string("the selection of \"") + filter + "\"";
  const std::uint64_t round = ++select_rounds();
  VynSelectionFilter record = filter_record ? *filter_record : VynSelectionFilter{};
  // The user picks until a pick holds an item the filter text and the filter record take.
  std::vector<VynSelection> taken;
  auto full = [&] { return max_count > 0 && static_cast<int>(taken.size()) >= max_count; };
  while (taken.empty()) {
    const ScriptAction* action = script_next_for(waiter);
    if (!action) return VYN_TK_USER_ABORT;
    if (action->kind == ScriptActionKind::pick_abort) return script_pop().status;
    // The user leaves the selection by choosing another menu button, which then runs.
    if (action->kind == ScriptActionKind::menu_press) return selection_left_by_menu;
    if (action->kind != ScriptActionKind::pick) return wrong_action(waiter, *action);
    ScriptAction picked = script_pop();
    for (ScriptPick& pick : picked.picks)
      if (!pick_resolve(pick, picked)) return VYN_TK_USER_ABORT;
    for (ScriptPick& pick : picked.picks) {
      if (full()) break;
      if (!contains(types, pick.item.type)) {
        refused().push_back(pick.item);
        continue;
      }
      pick_parameters_complete(pick);
      VynSelection selection = pick_selection(pick, round);
      VynError verdict = record.post_filter ? record.post_filter(selection, record.app_data) : 0;
      // A filter that freed the selection it was handed refuses the pick.
      if (verdict == VYN_TK_NO_ERROR && selection_is(selection)) {
        taken.push_back(selection);
      } else {
        refused().push_back(pick.item);
        selection_release(selection);
      }
    }
  }
  const int n = static_cast<int>(taken.size());
  VynArray array = host_array_make(n, sizeof(VynSelection));
  if (!array) {
    for (VynSelection selection : taken) selection_release(selection);
    return VYN_TK_GENERAL_ERROR;
  }
  release_last_answer();  // one that a selection inside a filter call may have left
  SelectAnswer& answer = last_answer();
  answer.round = round;
  answer.array = array;
  answer.array_serial = host_array_serial(array);
  answer.selections = taken;
  std::copy(taken.begin(), taken.end(), static_cast<VynSelection*>(array));
  *selections = array;
  *count = n;
  return VYN_TK_NO_ERROR;
}

// ---- Mouse input ----------------------------------------------------------------------

// The buttons mask is not read: the scripted click says which button it was.
VynError Behaviour<HostApi::VynMousePickGet>::run(int, int, int* button, double* position) {
  if (!button || !position) return VYN_TK_BAD_INPUTS;
  const std::string waiter = "the mouse pick";
  const ScriptAction* action = script_next_for(waiter);
  if (!action) return VYN_TK_USER_ABORT;
  if (action->kind != ScriptActionKind::mouse_pick) return wrong_action(waiter, *action);
  ScriptAction click = script_pop();
  *button = click.button;
  std::memcpy(position, click.point, sizeof click.point);
  return VYN_TK_NO_ERROR;
}

// The box is dragged from the given point (the caller's earlier pick) or, without one,
// from the scripted drag's first point, to the drag's corner. A drag with another
// button than the first gives the box up.
VynError Behaviour<HostApi::VynMouseBoxInput>::run(int, const double* point, double* box) {
  if (!box) return VYN_TK_BAD_INPUTS;
  const std::string waiter = "the box input";
  const ScriptAction* action = script_next_for(waiter);
  if (!action) return VYN_TK_USER_ABORT;
  if (action->kind != ScriptActionKind::mouse_box) return wrong_action(waiter, *action);
  ScriptAction drag = script_pop();
  if (drag.button != 1) return VYN_TK_USER_ABORT;
  std::memmove(box, point ? point : drag.point, 3 * sizeof(double));
  std::memmove(box + 3, drag.corner, 3 * sizeof(double));
  return VYN_TK_NO_ERROR;
}

}  // namespace yrlhost
