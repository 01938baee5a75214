// The calls that wait for the scripted user's picks: the selection function and the
// mouse input (selections and highlights are host/display/selection.h's).
#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "host/api/host_behaviours.h"
#include "host/display/curve_points.h"
#include "host/display/graphics.h"
#include "host/display/selection.h"
#include "host/script/script.h"
#include "host/store/models.h"
#include "host/store/pick_items.h"
#include "host/util/host_arrays.h"
#include "host/util/host_testing.h"

namespace yrlhost {
namespace {

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

// How far a box's written first corner may lie from where the button went down (the
// ends of the host's sections meet within the same).
constexpr double box_start_tolerance = 1e-6;

std::string point_text(const double* p) {
  std::ostringstream text;
  text << "(" << p[0] << ", " << p[1] << ", " << p[2] << ")";
  return text.str();
}

}  // namespace

void picks_testing_reset() {
  release_last_answer();
  select_rounds() = 0;
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
  if (env && !selection_env_is(env)) return VYN_TK_BAD_INPUTS;
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
        selection_refused_add(pick.item);
        continue;
      }
      pick_parameters_complete(pick);
      VynSelection selection = pick_selection(pick, round);
      VynError verdict = record.post_filter ? record.post_filter(selection, record.app_data) : 0;
      // A filter that freed the selection it was handed refuses the pick.
      if (verdict == VYN_TK_NO_ERROR && selection_is(selection)) {
        taken.push_back(selection);
      } else {
        selection_refused_add(pick.item);
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
  const std::string what = "\"" + script_action_text(drag) + "\": ";
  if (!point && !drag.has_start) {
    script_fail(what + "nothing gives the box its first corner: write \"box X1 Y1 Z1 X2 Y2 Z2\"");
    return VYN_TK_USER_ABORT;
  }
  if (point && drag.has_start) {
    // The words say where the box starts: they must agree with where the button went down.
    for (int i = 0; i < 3; ++i)
      if (!(std::fabs(drag.point[i] - point[i]) <= box_start_tolerance)) {
        script_fail(what + "the box starts where the button went down, at " + point_text(point) +
                    ", not at " + point_text(drag.point) + ": write \"box X2 Y2 Z2\"");
        return VYN_TK_USER_ABORT;
      }
  }
  std::memmove(box, point ? point : drag.point, 3 * sizeof(double));
  std::memmove(box + 3, drag.corner, 3 * sizeof(double));
  return VYN_TK_NO_ERROR;
}

}  // namespace yrlhost
