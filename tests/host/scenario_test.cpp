// Scenario files: their steps, their actions and their errors.
#include "host/script/scenario.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/host/host_test.h"

namespace {

using yrlhost::Scenario;
using yrlhost::ScenarioModelStep;

class ScenarioFile : public yrltest::HostTest {};

TEST_F(ScenarioFile, StepsAndActionsInOrder) {
  const char* text =
      "# a comment\n"
      "\n"
      "drawing DEMO\r\n"
      "open saved/one.drw\n"
      "begin drawing\n"
      "  any text of the drawing # kept\n"
      "\n"
      "end drawing\n"
      "menu YrlMenuBar YrlPreferences\n"
      "press yrlpreferences OK\n"
      "save /tmp/out.drw\n"
      "save out.drw\n";
  Scenario scenario;
  std::string error;
  ASSERT_TRUE(yrlhost::scenario_parse(text, "/base", scenario, error)) << error;
  ASSERT_EQ(scenario.models.size(), 3u);
  EXPECT_EQ(scenario.models[0].kind, ScenarioModelStep::Kind::new_drawing);
  EXPECT_EQ(scenario.models[0].name_or_path, "DEMO");
  EXPECT_EQ(scenario.models[1].kind, ScenarioModelStep::Kind::open_file);
  EXPECT_EQ(scenario.models[1].name_or_path, "/base/saved/one.drw");
  EXPECT_EQ(scenario.models[2].kind, ScenarioModelStep::Kind::open_lines);
  EXPECT_EQ(scenario.models[2].lines,
            (std::vector<std::string>{"  any text of the drawing # kept", ""}));
  EXPECT_EQ(scenario.models[2].line_number, 5);
  ASSERT_EQ(scenario.actions.size(), 2u);
  EXPECT_EQ(scenario.actions[0].source, "menu YrlMenuBar YrlPreferences");
  EXPECT_EQ(scenario.actions[1].dialog, "yrlpreferences");
  EXPECT_EQ(scenario.save_paths, (std::vector<std::string>{"/tmp/out.drw", "/base/out.drw"}));
}

TEST_F(ScenarioFile, ErrorsNameTheLine) {
  struct Case {
    std::string text;
    const char* error;
  } cases[] = {
      {"drawing\n", "line 1: usage: drawing NAME"},
      {"\nopen a b\n", "line 2: usage: open PATH"},
      {"begin sheet\n", "line 1: usage: begin drawing"},
      {"drawing D\nbegin drawing\nx\n", "line 3: \"begin drawing\" without \"end drawing\""},
      {"wave hello\n", "line 1: unknown action \"wave\""},
      {"press \"dlg\n", "line 1: unterminated quote"},
      {std::string("drawing D\nmenu A B\0C\n", 21), "line 2: a NUL byte in the line"},
      {std::string("begin drawing\nx\0\nend drawing\n", 29), "line 2: a NUL byte in the line"},
      // Numbers are finite.
      {"drawing D\npick 77 1 1 nan 0 0\n", "line 2: not a number: \"nan\""},
      {"mouse 1 0 inf 0\n", "line 1: not a number: \"inf\""},
      {"\n\nbox 0 0 0 -Infinity 1 0\n", "line 3: not a number: \"-Infinity\""},
      {"pick 77 1 1 0 0 0 0.5 NAN\n", "line 1: not a number: \"NAN\""},
  };
  for (const Case& c : cases) {
    Scenario scenario;
    scenario.save_paths.push_back("kept");
    std::string error;
    EXPECT_FALSE(yrlhost::scenario_parse(c.text, "", scenario, error)) << c.text.c_str();
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(scenario.save_paths.size(), 1u) << "a failed parse leaves the scenario alone";
  }
}

TEST_F(ScenarioFile, TheDefaultScenarioParses) {
  Scenario scenario;
  std::string error;
  EXPECT_TRUE(yrlhost::scenario_parse(yrlhost::scenario_default_text(), "", scenario, error))
      << error;
  EXPECT_FALSE(scenario.models.empty());
}

}  // namespace
