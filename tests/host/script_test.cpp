// The scripted user's queue and its text form, the registry of live objects and the
// failure of a host function on its n-th call.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/plugin/call_log.h"
#include "host/api/host_behaviours.h"
#include "host/plugin/host_startup.h"
#include "host/plugin/host_table.h"
#include "host/util/live_objects.h"
#include "host/script/script.h"
#include "host/script/script_text.h"
#include "tests/host/host_test.h"

namespace {

using yrlhost::InputEvent;
using yrlhost::ScriptAction;
using yrlhost::ScriptActionKind;

class Script : public yrltest::HostTest {};

ScriptAction parsed(const std::string& line) {
  std::vector<std::string> words;
  ScriptAction action;
  std::string error;
  EXPECT_TRUE(yrlhost::script_split_words(line, words, error)) << line << ": " << error;
  EXPECT_TRUE(yrlhost::script_action_from_words(words, action, error)) << line << ": " << error;
  return action;
}

TEST_F(Script, WordsSplitOnBlanksAndGroupInQuotes) {
  struct Case {
    const char* line;
    std::vector<std::string> words;
  } cases[] = {
      {"press  yrlpreferences\tOK", {"press", "yrlpreferences", "OK"}},
      {R"(type d c "two words")", {"type", "d", "c", "two words"}},
      {R"(type d c "say \"hi\" \\ ok")", {"type", "d", "c", R"(say "hi" \ ok)"}},
      {R"(type d c "")", {"type", "d", "c", ""}},
      {"   ", {}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> words;
    std::string error;
    EXPECT_TRUE(yrlhost::script_split_words(c.line, words, error)) << c.line;
    EXPECT_EQ(words, c.words) << c.line;
  }
  for (const char* bad : {R"(type d c "open)", R"(type d c "a\n")"}) {
    std::vector<std::string> words;
    std::string error;
    EXPECT_FALSE(yrlhost::script_split_words(bad, words, error)) << bad;
    EXPECT_FALSE(error.empty());
  }
}

TEST_F(Script, ActionsFromText) {
  ScriptAction menu = parsed("menu YrlMenuBar YrlPreferences");
  EXPECT_EQ(menu.kind, ScriptActionKind::menu_press);
  EXPECT_EQ(menu.component, "YrlMenuBar");
  EXPECT_EQ(menu.name, "YrlPreferences");

  ScriptAction typed = parsed("type dlg panel \"1.5 mm\" focusout");
  EXPECT_EQ(typed.kind, ScriptActionKind::input_type);
  EXPECT_EQ(typed.dialog, "dlg");
  EXPECT_EQ(typed.component, "panel");
  EXPECT_EQ(typed.text, "1.5 mm");
  EXPECT_EQ(typed.event, InputEvent::focus_out);
  EXPECT_EQ(parsed("type dlg panel 2").event, InputEvent::activate);

  ScriptAction answer = parsed("answer Y");
  EXPECT_EQ(answer.kind, ScriptActionKind::input_type);
  EXPECT_EQ(answer.dialog, "");
  EXPECT_EQ(answer.component, "message");
  EXPECT_EQ(answer.text, "Y");

  ScriptAction radio = parsed("radio dlg group second");
  EXPECT_EQ(radio.kind, ScriptActionKind::radio_choose);
  EXPECT_EQ(radio.name, "second");

  ScriptAction rows = parsed("table dlg t r1 r3");
  EXPECT_EQ(rows.kind, ScriptActionKind::table_select);
  EXPECT_EQ(rows.names, (std::vector<std::string>{"r1", "r3"}));
  EXPECT_TRUE(parsed("list dlg l").names.empty());

  ScriptAction picks = parsed("pick 4 12 + 4 13 2 1.5 -2 0 + 5 1 1 0 0 0 0.25 0.75");
  ASSERT_EQ(picks.picks.size(), 3u);
  EXPECT_EQ(picks.picks[2].uv[0], 0.25);
  EXPECT_EQ(picks.picks[2].uv[1], 0.75);
  EXPECT_EQ(picks.picks[0].item.type, 4);
  EXPECT_EQ(picks.picks[0].item.id, 12);
  EXPECT_EQ(picks.picks[1].item.id, 13);
  EXPECT_EQ(picks.picks[1].window, 2);
  EXPECT_EQ(picks.picks[1].point[0], 1.5);
  EXPECT_EQ(picks.picks[1].point[1], -2.0);

  EXPECT_EQ(parsed("abort").status, VYN_TK_USER_ABORT);
  EXPECT_EQ(parsed("abort -1").status, -1);

  ScriptAction box = parsed("box 1 2 0 10 5 0");
  EXPECT_EQ(box.kind, ScriptActionKind::mouse_box);
  EXPECT_TRUE(box.has_start);
  EXPECT_EQ(box.point[1], 2.0);
  EXPECT_EQ(box.corner[0], 10.0);
  EXPECT_EQ(box.corner[1], 5.0);
  ScriptAction corner = parsed("box 10 5 0");
  EXPECT_FALSE(corner.has_start);
  EXPECT_EQ(corner.corner[1], 5.0);
  ScriptAction mouse = parsed("mouse 2 1 2 3");
  EXPECT_EQ(mouse.button, 2);
  EXPECT_EQ(mouse.point[2], 3.0);
  EXPECT_EQ(mouse.source, "mouse 2 1 2 3");
}

TEST_F(Script, BadActionLinesAreRefusedAndNothingQueued) {
  for (const char* bad : {"", "wave dlg", "press dlg", "press a b c", "type d c t sideways",
                          "pick 4", "pick 4 x", "pick 4 12 + ", "pick 4 12 1 2", "pick 4 12 1 0 0 0 1", "abort x",
                          "mouse 1 1 2", "box 1 2 3 4 5 z", "box 1 2", "box 1 2 3 4", "box 1 2 3 4 5 6 7", "close"}) {
    std::string error;
    EXPECT_FALSE(yrlhost::script_push_text(bad, error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
  EXPECT_TRUE(yrlhost::script_empty());
}

TEST_F(Script, TopLevelRunTakesChecksAndFailsWhatNothingWaitsFor) {
  std::string error;
  std::vector<int> order;
  ScriptAction check;
  check.run = [&] { order.push_back(1); };
  yrlhost::script_push(check);
  ASSERT_TRUE(yrlhost::script_push_text("press dlg OK", error)) << error;
  check.run = [&] { order.push_back(2); };
  yrlhost::script_push(check);

  yrlhost::script_run();
  EXPECT_TRUE(yrlhost::script_empty());
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
  std::vector<std::string> failures = yrlhost::script_take_failures();
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("press dlg OK"), std::string::npos) << failures[0];
  EXPECT_TRUE(yrlhost::script_failures().empty());
}

TEST_F(Script, LiveObjectsAreCountedPerKind) {
  int a = 0, b = 0;
  yrlhost::live_object_add(yrlhost::LiveKind::array, &a);
  yrlhost::live_object_add(yrlhost::LiveKind::array, &b);
  yrlhost::live_object_add(yrlhost::LiveKind::string, &a);
  EXPECT_EQ(yrlhost::live_object_count(yrlhost::LiveKind::array), 2u);
  EXPECT_TRUE(yrlhost::live_object_is(yrlhost::LiveKind::string, &a));
  EXPECT_FALSE(yrlhost::live_object_is(yrlhost::LiveKind::string, &b));
  EXPECT_TRUE(yrlhost::live_object_remove(yrlhost::LiveKind::array, &a));
  EXPECT_FALSE(yrlhost::live_object_remove(yrlhost::LiveKind::array, &a));
  EXPECT_EQ(yrlhost::live_object_count(yrlhost::LiveKind::array), 1u);
  EXPECT_STREQ(yrlhost::live_kind_name(yrlhost::LiveKind::data_record), "data_record");
}

TEST_F(Script, AHostFunctionFailsOnItsNthCallOnly) {
  std::vector<win_export_entry> table = yrlhost::host_table_build();
  auto pass_version = yrlhost::host_function<yrlhost::HostApi::vyndev_pass_version_info>(table);
  ASSERT_NE(pass_version, nullptr);
  const char* key = yrlhost::host_api_key(yrlhost::HostApi::vyndev_pass_version_info);

  yrlhost::call_log_fail_on_call(key, 2, -11);
  EXPECT_EQ(pass_version(1, 7), 1);
  EXPECT_EQ(pass_version(1, 8), -11);
  EXPECT_EQ(yrlhost::host_plugin_level(), 7);  // the failing call did nothing
  EXPECT_EQ(pass_version(1, 9), 1);
  EXPECT_EQ(yrlhost::host_plugin_level(), 9);
  std::vector<yrlhost::CallRecord> calls = yrlhost::call_log_of(key);
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[1].result, -11);

  yrlhost::call_log_fail_on_call(key, 1);
  EXPECT_EQ(pass_version(1, 10), -1);
  yrlhost::call_log_fail_on_call(key, 0);  // withdrawn
  EXPECT_EQ(pass_version(1, 11), 1);
}

}  // namespace
