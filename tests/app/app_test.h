// Fixture of the application's tests: the toolkit and the application started in the
// test process with the stand-in host's function table, behaviour and resources, in a
// temporary working directory. Every test starts from the load state of the run-time,
// the toolkit, the application and the host; a test that leaves script failures fails.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "host/store/models.h"
#include "host/plugin/plugin_session.h"
#include "host/script/script.h"
#include "host/script/script_text.h"
#include "tests/support/temp_dir.h"
#include "tests/toolkit/toolkit_test.h"

namespace yrltest {

class AppTest : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    text_dir = yrlhost::session_defaults().text_dir;
  }

  void TearDown() override {
    EXPECT_TRUE(yrlhost::script_failures().empty())
        << "script failures: " << ::testing::PrintToString(yrlhost::script_failures());
    ToolkitTest::TearDown();
  }

  // The plug-in's start-up as the host calls it, with the host's resources as the text
  // directory: the application's user_initialize runs. 0 when it started.
  int start_app() {
    StartArgs args;
    args.text_dir = text_dir.c_str();
    return start(args);
  }

  // A new drawing of that name, which becomes the current model.
  static VynMdl new_drawing(const std::string& name = "DRW0001") {
    std::string error;
    VynMdl drawing = yrlhost::host_model_create(yrlhost::model_type_drawing, name, error);
    EXPECT_NE(drawing, nullptr) << error;
    return drawing;
  }

  // Queues what the user does next (host/script/script_text.h).
  // Runs check where the user's next action would be taken.
  static void check(std::function<void()> run) {
    yrlhost::ScriptAction action;
    action.kind = yrlhost::ScriptActionKind::check;
    action.run = std::move(run);
    yrlhost::script_push(std::move(action));
  }

  static void user(const std::string& line) {
    std::string error;
    ASSERT_TRUE(yrlhost::script_push_text(line, error)) << line << ": " << error;
  }

  InTempDir work_dir;     // the process's working directory for the test
  std::string text_dir;   // the host's resources
};

}  // namespace yrltest
