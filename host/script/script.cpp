// The scripted user's queue and its failures.
#include "host/script/script.h"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <utility>

#include "host/util/events.h"
#include "host/util/host_testing.h"
#include "host/ui/menus.h"

namespace yrlhost {
namespace {

std::deque<ScriptAction>& queue() {
  static std::deque<ScriptAction> actions;
  return actions;
}

std::vector<std::string>& failures() {
  static std::vector<std::string> list;
  return list;
}

const char* kind_name(ScriptActionKind kind) {
  switch (kind) {
    case ScriptActionKind::menu_press: return "menu";
    case ScriptActionKind::button_press: return "press";
    case ScriptActionKind::check_toggle: return "toggle";
    case ScriptActionKind::radio_choose: return "radio";
    case ScriptActionKind::option_choose: return "option";
    case ScriptActionKind::tab_choose: return "tab";
    case ScriptActionKind::input_type: return "type";
    case ScriptActionKind::list_select: return "list";
    case ScriptActionKind::table_select: return "table";
    case ScriptActionKind::close_box: return "close";
    case ScriptActionKind::pick: return "pick";
    case ScriptActionKind::pick_abort: return "abort";
    case ScriptActionKind::mouse_pick: return "mouse";
    case ScriptActionKind::mouse_box: return "box";
    case ScriptActionKind::check: return "check";
  }
  return "?";
}

// Failures in a row with no action taken between them. A plug-in that asks the user
// again whenever the answer is an abort (a dialog activated in a loop, a selection
// retried) would otherwise spin for ever on a script that has run dry.
int& failures_in_a_row() {
  static int count = 0;
  return count;
}

constexpr int failures_in_a_row_limit = 1000;

}  // namespace

std::string script_action_text(const ScriptAction& action) {
  if (!action.source.empty()) return action.source;
  std::string text = kind_name(action.kind);
  for (const std::string* part : {&action.dialog, &action.component, &action.name, &action.text})
    if (!part->empty()) text += " " + *part;
  for (const std::string& name : action.names) text += " " + name;
  return text;
}

void script_push(ScriptAction action) { queue().push_back(std::move(action)); }

bool script_empty() { return queue().empty(); }

std::size_t script_size() { return queue().size(); }

const ScriptAction* script_front() { return queue().empty() ? nullptr : &queue().front(); }

const ScriptAction* script_next_for(const std::string& waiter) {
  while (const ScriptAction* action = script_front()) {
    if (action->kind != ScriptActionKind::check) return action;
    ScriptAction check = script_pop();
    if (check.run) check.run();
  }
  script_fail(waiter + " waits for the user, but the script is empty");
  return nullptr;
}

ScriptAction script_pop() {
  if (queue().empty()) {
    std::fprintf(stderr, "yrlhost: script_pop on an empty script\n");
    std::abort();
  }
  ScriptAction action = std::move(queue().front());
  queue().pop_front();
  failures_in_a_row() = 0;
  if (action.kind != ScriptActionKind::check) host_event("user: " + script_action_text(action));
  return action;
}

void script_clear() { queue().clear(); }

void script_fail(const std::string& what) {
  failures().push_back(what);
  host_event("script failure: " + what);
  if (++failures_in_a_row() >= failures_in_a_row_limit) {
    std::fprintf(stderr, "yrlhost: %d script failures in a row, the plug-in waits for a user "
                 "who never comes; last: %s\n", failures_in_a_row_limit, what.c_str());
    std::abort();
  }
}

const std::vector<std::string>& script_failures() { return failures(); }

std::vector<std::string> script_take_failures() { return std::exchange(failures(), {}); }

void script_run() {
  while (!queue().empty()) {
    ScriptAction action = script_pop();
    switch (action.kind) {
      case ScriptActionKind::menu_press:
        menu_press(action.component, action.name);
        break;
      case ScriptActionKind::check:
        if (action.run) action.run();
        break;
      default:
        script_fail("nothing waits for the user's action \"" + script_action_text(action) + "\"");
        break;
    }
  }
}

void script_testing_reset() {
  failures_in_a_row() = 0;
  queue().clear();
  failures().clear();
}

}  // namespace yrlhost
