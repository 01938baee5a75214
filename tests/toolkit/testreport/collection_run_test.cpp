// The collection tests run from their menu buttons on the stand-in host's models; the
// menu's user and the picks are the test's own rows (the host has no older menus).
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "host/assemblies.h"
#include "host/call_log.h"
#include "host/models.h"
#include "host/plugin_session.h"
#include "host/script.h"
#include "platform/w32/path.h"
#include "tests/support/temp_dir.h"
#include "tests/toolkit/toolkit_test.h"
#include "toolkit/api/app_api.h"
#include "toolkit/startup/startup.h"
#include "toolkit/testreport/testcollect.h"

namespace {

struct MenuUser {
  std::map<std::string, std::pair<VynMenubuttonAction, void*>> actions;
  std::deque<std::string> presses;  // the buttons the user presses, in order
  std::vector<int> answers;         // what each pressed button's action answered
  std::deque<std::u16string> typed;
  VynSelection pick = nullptr;
};

MenuUser& user() {
  static MenuUser u;
  return u;
}

VynError action_set(int, const char* menu, const char* button, VynMenubuttonAction action,
                    void* data, int) {
  if (std::string(menu) != "COLLECTION") return -2;
  user().actions[button] = {action, data};
  return 0;
}

VynError menu_process(int, const char*, int*) {
  while (!user().presses.empty()) {
    std::string button = user().presses.front();
    user().presses.pop_front();
    auto it = user().actions.find(button);
    if (it == user().actions.end()) return -2;
    user().answers.push_back(it->second.first(it->second.second, 0));
  }
  return 0;
}

VynSelection pick_list[1];
VynError select(int, const char*, int, VynSelection*, VynSelectionFilter*, VynSelectionEnv, VynWord,
                VynArray* selections, int* count) {
  if (!user().pick) return -3;
  pick_list[0] = user().pick;
  *selections = pick_list;
  *count = 1;
  return 0;
}

VynError string_read(int, int max_length, VynWchar* text) {
  if (user().typed.empty()) return -3;
  std::u16string answer = user().typed.front().substr(0, static_cast<std::size_t>(max_length));
  user().typed.pop_front();
  std::copy(answer.begin(), answer.end(), text);
  text[answer.size()] = 0;
  return 0;
}

class CollectionRunTest : public yrltest::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    user() = MenuUser();
    table_options.extra = {yrltest::host_row(&action_set, "VynMenubuttonActionSet_v"),
                           yrltest::host_row(&menu_process, "VynMenuProcess_v"),
                           yrltest::host_row(&select, "VynSelect_v"),
                           yrltest::host_row(&string_read, "VynMessageStringRead_v")};
    bind_table();
    for (const char* key : {"VynMenuFileRegister_v", "VynMenuCreate_v"})
      yrlhost::call_log_set_result(key, 0);
    ASSERT_TRUE(w32::w32_set_drive('C', dir.path().c_str()));
    ASSERT_TRUE(w32::w32_set_current_drive('C'));
    std::string error;
    part = yrlhost::host_model_create(yrlhost::model_type_part, "BLOCK", error);
    ASSERT_TRUE(part) << error;
    boss = yrlhost::host_feature_add(part, 917, "BOSS", {});
    hidden = yrlhost::host_feature_add(part, 916, "HIDDEN", {});
    ASSERT_TRUE(yrlhost::host_feature_state_set(part, hidden, 5, false));
  }
  void TearDown() override {
    if (user().pick) VynSelectionFree(&user().pick);
    ToolkitTest::TearDown();
  }

  // Runs the menu on model with the user pressing buttons, then Done: the output file.
  std::string run(VynMdl model, std::vector<std::string> buttons) {
    user().presses.assign(buttons.begin(), buttons.end());
    user().presses.push_back("Done Collect");
    EXPECT_EQ(VynTestCollection(&model), 0);
    return yrltest::read_file(dir.file("visitcollect.dat"));
  }

  yrltest::TempDir dir;
  VynMdl part = nullptr;
  int boss = 0, hidden = 0;
};

TEST_F(CollectionRunTest, SolidFeaturesListsAllThenTheVisibleOnes) {
  std::string expected_all =
      "Number of features:\t2\n"
      "Id " +
      std::to_string(boss) +
      ",\ttype 917,\tstatus: VYN_FEAT_ACTIVE\n"
      "Id " +
      std::to_string(hidden) + ",\ttype 916,\tstatus: VYN_FEAT_SUPPRESSED\n";
  std::string expected_visible =
      "Number of features:\t1\n"
      "Id " +
      std::to_string(boss) + ",\ttype 917,\tstatus: VYN_FEAT_ACTIVE\n";
  EXPECT_EQ(run(part, {"Solid Features"}),
            "\n# Solid features\n" + expected_all + expected_visible);
  EXPECT_EQ(user().answers, (std::vector<int>{0, 0}));
}

TEST_F(CollectionRunTest, AnAssemblyAlsoListsItsComponents) {
  std::string error;
  VynMdl top = yrlhost::host_assembly_create("TOP", error);
  int component = yrlhost::host_component_add(top, part, "BLOCK-1");
  std::string line = "Id " + std::to_string(component) + ",\ttype 1000,\tstatus: VYN_FEAT_ACTIVE\n";
  std::string one = "Number of features:\t1\n" + line;
  EXPECT_EQ(run(top, {"Solid Features"}), "\n# Solid features\n" + one + one + one);
}

TEST_F(CollectionRunTest, CsysAndDimensions) {
  EXPECT_EQ(run(part, {"Solid Csys"}), "\n# Solid CSYS\nNumber of solid csys:\t0\n");
  // A null model: the dimension test writes nothing and answers -1.
  std::string before = yrltest::read_file(dir.file("visitcollect.dat"));
  EXPECT_EQ(run(nullptr, {"Dimensions"}), before);
  EXPECT_EQ(user().answers.back(), 0);  // Done
  EXPECT_EQ(user().answers[user().answers.size() - 2], -1);
}

TEST_F(CollectionRunTest, FindByName) {
  VynModelitem item{3, boss, part};
  ASSERT_EQ(VynSelectionAlloc(nullptr, &item, &user().pick), 0);
  user().typed = {u"BOSS", u"E1", u"HIDDEN"};
  EXPECT_EQ(run(part, {"Find By Name"}),
            "\n# Features by name\nVisible feature found:\tBOSS\nEdge is not found\n");
  std::string first = yrltest::read_file(dir.file("visitcollect.dat"));
  // A suppressed feature is not found; without a pick the test ends there.
  VynSelectionFree(&user().pick);
  EXPECT_EQ(run(part, {"Find By Name"}), first + "\n# Features by name\nFeature is not found\n");
}

}  // namespace

namespace {

// The same menu on the stand-in host's own older menus: the user presses the buttons.
class CollectionMenuTest : public yrltest::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    bind_table();
    // The menu directory is drive R:, the current drive C: the test's own directory.
    std::string dir = yrlhost::session_defaults().text_dir + "/text/usascii/menus";
    ASSERT_TRUE(w32::w32_set_drive('R', dir.c_str()));
    std::snprintf(menu_path, sizeof menu_path, "R:");
    ASSERT_TRUE(w32::w32_set_drive('C', files.path().c_str()));
    ASSERT_TRUE(w32::w32_set_current_drive('C'));
  }
  void TearDown() override {
    menu_path[0] = '\0';
    ToolkitTest::TearDown();
  }
  static void press(const std::string& button) {
    yrlhost::ScriptAction action;
    action.kind = yrlhost::ScriptActionKind::menu_press;
    action.component = "COLLECTION";
    action.name = button;
    yrlhost::script_push(action);
  }
  yrltest::TempDir files;
};

TEST_F(CollectionMenuTest, ButtonsRunTheirTestsInTheHost) {
  std::string error;
  VynMdl part = yrlhost::host_model_create(yrlhost::model_type_part, "BLOCK", error);
  int boss = yrlhost::host_feature_add(part, 917, "BOSS", {});
  press("Solid Csys");
  press("Solid Features");
  press("COLLECTION");  // the menu's own exit
  EXPECT_EQ(VynTestCollection(&part), 0);
  std::string line = "Id " + std::to_string(boss) + ",\ttype 917,\tstatus: VYN_FEAT_ACTIVE\n";
  EXPECT_EQ(yrltest::read_file(files.file("visitcollect.dat")),
            "\n# Solid CSYS\nNumber of solid csys:\t0\n"
            "\n# Solid features\nNumber of features:\t1\n" +
                line + "Number of features:\t1\n" + line);
  EXPECT_TRUE(yrlhost::script_failures().empty());
  EXPECT_TRUE(yrlhost::script_empty());
}

}  // namespace
