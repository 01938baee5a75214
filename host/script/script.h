// The scripted user: a queue of what the user does next, and the failures the host
// records when the script and the plug-in disagree.
//
// A test or a scenario file queues actions; whoever waits for the user takes them in
// order: the top-level run (menu presses and checks between commands), a dialog's
// activation (its own components' actions, until the dialog exits), a selection (entity
// picks, aborts) and the mouse functions (picks and boxes). An action that reaches a
// place that cannot use it, an action on an unknown, disabled or hidden component, and a
// script that runs dry while the plug-in still waits for the user are script failures:
// the host records them and answers the waiting call as the user's abort would, so the
// plug-in unwinds and the test reports what went wrong.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "toolkit/api/host_types.h"

namespace yrlhost {

enum class ScriptActionKind {
  menu_press,     // component: the menu; name: the push button
  button_press,   // dialog, component: a push button
  check_toggle,   // dialog, component: a check button; flips its state
  radio_choose,   // dialog, component: a radio group; name: the button chosen
  option_choose,  // dialog, component: an option menu; name: the entry chosen
  tab_choose,     // dialog, component: a tab; name: the page chosen
  input_type,     // dialog, component: an input panel; text typed; event follows
  list_select,    // dialog, component: a list; names: the selected names
  table_select,   // dialog, component: a table; names: the selected rows
  close_box,      // dialog: the window's close box
  pick,           // picks: the items the user picks in one selection
  pick_abort,     // status: what the selection answers (the user gave up)
  mouse_pick,     // button, point: a mouse click
  mouse_box,      // corner, and point when has_start: a box dragged to corner
  check,          // run: a test's own check, run where the action is taken
};

// What happens after text is typed into an input panel.
enum class InputEvent { none, activate, focus_out };

// One item the user picks: the item, the window (0: the current one), the point of the
// pick and the item's curve or surface parameters there, as far as the script gives them.
struct ScriptPick {
  VynModelitem item{};
  int window = 0;
  double point[3] = {0, 0, 0};
  double uv[2] = {0, 0};
  bool has_point = false;
  bool has_uv = false;
};

struct ScriptAction {
  ScriptActionKind kind = ScriptActionKind::check;
  std::string dialog;                // dialog actions: the dialog's name
  std::string component;             // dialog actions: the component; menu_press: the menu
  std::string name;                  // menu_press: the button; the chosen name or page
  std::string text;                  // input_type: the text typed
  InputEvent event = InputEvent::none;
  std::vector<std::string> names;    // list_select, table_select
  std::vector<ScriptPick> picks;     // pick
  int status = VYN_TK_USER_ABORT;    // pick_abort
  int button = 1;                    // mouse_pick, mouse_box
  double point[3] = {0, 0, 0};       // mouse_pick; mouse_box: its first corner
  bool has_start = false;            // mouse_box: the first corner is given
  double corner[3] = {0, 0, 0};      // mouse_box: the corner it is dragged to
  std::function<void()> run;         // check
  std::string source;                // how the action was written, for failure texts
};

// A one-line description of the action: its source when it has one, else its kind and
// its names.
std::string script_action_text(const ScriptAction& action);

// The queue.
void script_push(ScriptAction action);
bool script_empty();
std::size_t script_size();
// The next action; null when the queue is empty.
const ScriptAction* script_front();
// For a call that waits for the user: runs the checks at the front of the queue and
// gives the next action, which stays queued; null, with a script failure recorded, when
// the script runs dry.
const ScriptAction* script_next_for(const std::string& waiter);
// Takes the next action off the queue, noting it in the host's events (checks are not
// noted); the queue must not be empty.
ScriptAction script_pop();
void script_clear();

// Records a script failure: what the host expected and what it found. The host goes
// on; tests check script_failures() at their end. A thousand failures in a row with no
// action taken end the process with a message: the plug-in keeps asking a user the
// script no longer has.
void script_fail(const std::string& what);
const std::vector<std::string>& script_failures();
// The failures so far, which are then forgotten (for tests that expect failures).
std::vector<std::string> script_take_failures();

// Runs the queue at the top level, between commands: menu presses run their commands,
// checks run, and any other action is a failure (nothing waits for it) and is dropped.
// Returns when the queue is empty.
void script_run();

void script_testing_reset();

}  // namespace yrlhost
