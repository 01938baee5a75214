// Menus, commands and the scripted user's menu presses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/api/host_behaviours.h"
#include "host/ui/menus.h"
#include "host/plugin/plugin_session.h"
#include "host/script/script.h"
#include "tests/host/host_test.h"

namespace {

using yrlhost::Behaviour;
using yrlhost::HostApi;
using MenuAdd = Behaviour<HostApi::VynMenubarmenuMenuAdd>;
using ButtonAdd = Behaviour<HostApi::VynMenubarmenuPushbuttonAdd>;
using ActionAdd = Behaviour<HostApi::VynCmdActionAdd>;
using IconSet = Behaviour<HostApi::VynCmdIconSet>;
using Designate = Behaviour<HostApi::VynCmdDesignate>;

constexpr const VynWchar* menubar_file = u"yrl_menubar_msg.txt";

// What the commands of a test see and do.
int access_answer = 3;
int access_calls = 0;
std::vector<std::string> actions_run;

int access_function() {
  ++access_calls;
  return access_answer;
}
int action_a() {
  actions_run.push_back("a");
  return 0;
}
int action_b() {
  actions_run.push_back("b");
  return 0;
}

class MenusTest : public yrltest::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    access_answer = 3;
    access_calls = 0;
    actions_run.clear();
  }
  std::string msg_dir() const { return yrlhost::session_defaults().text_dir + "\\text\\usascii"; }
  std::string resource_dir() const { return msg_dir() + "\\resource"; }

  VynCmd command(const char* name, VynCmdActionFunction action = action_a) {
    VynCmd made = nullptr;
    EXPECT_EQ(ActionAdd::run(1, name, action, 2, access_function, 1, 1, &made), 0);
    return made;
  }
  VynError menu(const char* parent, const char* name, const char* neighbour, int after,
                const char* label = "Yrlform") {
    return MenuAdd::run(1, parent, name, label, neighbour, after, menubar_file,
                        msg_dir().c_str());
  }
  VynError button(const char* menu_name, const char* name, const char* neighbour, int after,
                  VynCmd cmd, const char* label = "Button Help") {
    return ButtonAdd::run(1, menu_name, name, label, "Button Help Help", neighbour, after, cmd,
                          menubar_file, msg_dir().c_str());
  }
  static std::vector<std::string> names(const std::string& menu_name) {
    std::vector<std::string> result;
    for (const auto& entry : yrlhost::menu_entries(menu_name)) result.push_back(entry.name);
    return result;
  }
};

TEST_F(MenusTest, CascadeMenusAndButtonsStandByTheirNeighbours) {
  ASSERT_EQ(menu("Utilities", "YrlMenuBar", "Utilities.psh_util_holetable", 1), 0);
  EXPECT_EQ(names("Utilities"),
            (std::vector<std::string>{"psh_util_holetable", "YrlMenuBar", "psh_util_auxapps"}));
  EXPECT_EQ(yrlhost::menu_parent("YrlMenuBar"), "Utilities");
  EXPECT_EQ(yrlhost::menu_entries("Utilities")[1].label, "Yrlform");
  ASSERT_EQ(menu("Utilities", "Before", "psh_util_holetable", 0), 0);
  EXPECT_EQ(names("Utilities").front(), "Before");

  VynCmd cmd = command("Cmd");
  struct Step {
    const char* name;
    const char* neighbour;
    int after;
  } steps[] = {
      {"A", "", 1},           // empty menu
      {"B", "A", 1},          // after A
      {"C", "B", 1},          // after B: table order
      {"D", "B", 0},          // before B
      {"E", "", 0},           // first
      {"F", "", 1},           // last
      {"G", "YrlMenuBar.A", 1},  // a neighbour named with its menu
  };
  for (const Step& step : steps) ASSERT_EQ(button("YrlMenuBar", step.name, step.neighbour, step.after, cmd), 0) << step.name;
  EXPECT_EQ(names("YrlMenuBar"), (std::vector<std::string>{"E", "A", "G", "D", "B", "C", "F"}));
  auto entry = yrlhost::menu_entries("YrlMenuBar")[1];
  EXPECT_FALSE(entry.cascade);
  EXPECT_EQ(entry.label, "Help");
  EXPECT_EQ(entry.help, "Open the Yrlform guide.");
  EXPECT_EQ(entry.command, "Cmd");
}

TEST_F(MenusTest, RefusedAdditionsChangeNothing) {
  VynCmd cmd = command("Cmd");
  ASSERT_EQ(menu("Utilities", "YrlMenuBar", "", 1), 0);
  ASSERT_EQ(button("YrlMenuBar", "Taken", "", 1, cmd), 0);
  const std::string before = yrlhost::menu_tree_text();
  VynCmd stale = reinterpret_cast<VynCmd>(&access_calls);

  struct Case {
    const char* what;
    VynError status;
    VynError expected;
  } cases[] = {
      {"unknown parent", menu("NoMenu", "M1", "", 1), VYN_TK_E_NOT_FOUND},
      {"unknown neighbour", menu("Utilities", "M2", "psh_none", 1), VYN_TK_E_NOT_FOUND},
      {"neighbour of another menu", menu("Utilities", "M3", "YrlMenuBar.Taken", 1),
       VYN_TK_E_NOT_FOUND},
      {"menu exists", menu("Utilities", "YrlMenuBar", "", 1), VYN_TK_E_FOUND},
      {"missing label key", menu("Utilities", "M4", "", 1, "No Such Label"), VYN_TK_E_NOT_FOUND},
      {"missing message file",
       MenuAdd::run(1, "Utilities", "M5", "Yrlform", "", 1, u"none_msg.txt", msg_dir().c_str()),
       VYN_TK_E_NOT_FOUND},
      {"null label", MenuAdd::run(1, "Utilities", "M6", nullptr, "", 1, menubar_file,
                                  msg_dir().c_str()),
       VYN_TK_BAD_INPUTS},
      {"button of unknown menu", button("NoMenu", "B1", "", 1, cmd), VYN_TK_E_NOT_FOUND},
      {"button with unknown neighbour", button("YrlMenuBar", "B2", "Nope", 1, cmd),
       VYN_TK_E_NOT_FOUND},
      {"button of unknown command", button("YrlMenuBar", "B3", "", 1, stale), VYN_TK_E_NOT_FOUND},
      {"button exists", button("YrlMenuBar", "Taken", "", 1, cmd), VYN_TK_E_FOUND},
      {"button with missing label", button("YrlMenuBar", "B4", "", 1, cmd, "Button Nope"),
       VYN_TK_E_NOT_FOUND},
  };
  for (const Case& c : cases) EXPECT_EQ(c.status, c.expected) << c.what;
  EXPECT_EQ(yrlhost::menu_tree_text(), before);
}

TEST_F(MenusTest, CommandNamesAreUniqueAndHandlesChecked) {
  VynCmd first = command("YrlActionHelp");
  VynCmd again = nullptr;
  EXPECT_EQ(ActionAdd::run(1, "YrlActionHelp", action_b, 2, access_function, 1, 1, &again),
            VYN_TK_E_FOUND);
  EXPECT_EQ(again, nullptr);
  EXPECT_EQ(ActionAdd::run(1, nullptr, action_b, 2, access_function, 1, 1, &again),
            VYN_TK_BAD_INPUTS);
  EXPECT_EQ(ActionAdd::run(1, "X", nullptr, 2, access_function, 1, 1, &again), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(ActionAdd::run(1, "X", action_b, 2, access_function, 1, 1, nullptr),
            VYN_TK_BAD_INPUTS);
  ASSERT_EQ(yrlhost::commands().size(), 1u);

  const std::string res = resource_dir();
  EXPECT_EQ(IconSet::run(1, first, "help_user_guide", res.c_str()), 0);
  EXPECT_EQ(yrlhost::commands()[0].icon, "help_user_guide");
  EXPECT_EQ(IconSet::run(1, first, "no_such_icon", res.c_str()), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(yrlhost::commands()[0].icon, "help_user_guide");
  EXPECT_EQ(IconSet::run(1, first, "", res.c_str()), 0);  // no icon
  EXPECT_EQ(yrlhost::commands()[0].icon, "");
  VynCmd stale = reinterpret_cast<VynCmd>(&access_calls);
  EXPECT_EQ(IconSet::run(1, stale, "help_user_guide", res.c_str()), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(IconSet::run(1, nullptr, "help_user_guide", res.c_str()), VYN_TK_E_NOT_FOUND);

  const std::string dir = msg_dir();
  EXPECT_EQ(Designate::run(1, first, "Button Help", "Button Help Help", "Nope", menubar_file,
                           dir.c_str()),
            VYN_TK_E_NOT_FOUND);
  EXPECT_FALSE(yrlhost::commands()[0].designated);
  EXPECT_EQ(Designate::run(1, first, "Button Help", "Button Help Help", "Button Help Help",
                           menubar_file, dir.c_str()),
            0);
  auto info = yrlhost::commands()[0];
  EXPECT_TRUE(info.designated);
  EXPECT_EQ(info.label, "Help");
  EXPECT_EQ(info.description, "Open the Yrlform guide.");
  EXPECT_EQ(Designate::run(1, stale, "Button Help", "Button Help Help", "Button Help Help",
                           menubar_file, dir.c_str()),
            VYN_TK_E_NOT_FOUND);
}

TEST_F(MenusTest, PressRunsTheActionOnlyWhenTheCommandIsAvailable) {
  ASSERT_EQ(menu("Utilities", "YrlMenuBar", "", 1), 0);
  ASSERT_EQ(button("YrlMenuBar", "YrlA", "", 1, command("A", action_a)), 0);
  ASSERT_EQ(button("YrlMenuBar", "YrlB", "YrlA", 1, command("B", action_b)), 0);

  yrlhost::menu_press("YrlMenuBar", "YrlB");
  EXPECT_EQ(actions_run, std::vector<std::string>{"b"});
  EXPECT_EQ(access_calls, 1);
  EXPECT_TRUE(yrlhost::script_failures().empty());

  for (int state : {0, 1, 2, 4}) {
    access_answer = state;
    yrlhost::menu_press("YrlMenuBar", "YrlA");
    EXPECT_FALSE(yrlhost::command_offered("A"));
  }
  EXPECT_EQ(actions_run, std::vector<std::string>{"b"});
  auto failures = yrlhost::script_take_failures();
  ASSERT_EQ(failures.size(), 4u);
  EXPECT_NE(failures[0].find("command A is not available (access state 0)"), std::string::npos);

  access_answer = 3;
  EXPECT_TRUE(yrlhost::command_offered("A"));
  EXPECT_EQ(yrlhost::command_access("none"), std::nullopt);
}

TEST_F(MenusTest, PressesOfWhatCannotRunAreScriptFailures) {
  ASSERT_EQ(menu("Utilities", "YrlMenuBar", "", 1), 0);
  const std::pair<const char*, const char*> presses[] = {
      {"NoMenu", "YrlA"},                    // unknown menu
      {"YrlMenuBar", "YrlNone"},             // unknown button
      {"Utilities", "YrlMenuBar"},           // a cascade menu
      {"Utilities", "psh_util_holetable"},   // the host's own button
  };
  for (auto [menu_name, button_name] : presses) yrlhost::menu_press(menu_name, button_name);
  EXPECT_EQ(yrlhost::script_take_failures().size(), std::size(presses));
  EXPECT_TRUE(actions_run.empty());
}

TEST_F(MenusTest, AScriptedMenuPressRunsTheCommand) {
  ASSERT_EQ(menu("Utilities", "YrlMenuBar", "", 1), 0);
  ASSERT_EQ(button("YrlMenuBar", "YrlA", "", 1, command("A", action_a)), 0);
  yrlhost::ScriptAction press;
  press.kind = yrlhost::ScriptActionKind::menu_press;
  press.component = "YrlMenuBar";
  press.name = "YrlA";
  yrlhost::script_push(press);
  yrlhost::script_run();
  EXPECT_EQ(actions_run, std::vector<std::string>{"a"});
  EXPECT_TRUE(yrlhost::script_failures().empty());
}

// The product menu and its feature cascade as the application builds them, from the
// shipped label file: every label key resolves and the buttons stand in table order.
TEST_F(MenusTest, TheApplicationsMenusBuildFromTheShippedFiles) {
  struct Row {
    const char *command, *button, *label, *help, *icon;
  };
  const Row product[] = {
      {"YrlActionPreferences", "YrlPreferences", "Button Preferences", "Button Preferences Help", "preferences"},
      {"YrlActionCleanUp", "YrlCleanUp", "Button Clean Up", "Button Clean Up Help", "yrl_cleanup"},
      {"YrlActionViewSetup", "YrlViewSetup", "Button View Setup", "Button View Setup Help", "yrl_view_setup"},
      {"YrlActionPartSetup", "YrlPartSetup", "Button Part Setup", "Button Part Setup Help", "yrl_part_setup"},
      {"YrlActionHelp", "YrlHelp", "Button Help", "Button Help Help", "help_user_guide"},
      {"YrlActionAbout", "YrlAbout", "Button About", "Button About Help", ""},
      {"YrlActionEndPoints", "YrlEndPoints", "Button EndPoints", "Button EndPoints Help", ""},
  };
  const Row feature[] = {
      {"YrlActionFProtrusion", "YrlFProtrusion", "Button Protrusion", "Button Protrusion Help", "feat_extrude"},
      {"YrlActionFRevolve", "YrlFRevolve", "Button Revolve", "Button Revolve Help", "feat_revolve"},
      {"YrlActionFSHole", "YrlFSHole", "Button SHole", "Button SHole Help", "str_skt_hole"},
      {"YrlActionFDPlane", "YrlFDPlane", "Button DPlane", "Button DPlane Help", "new_plane_red"},
      {"YrlActionFDCurve", "YrlFDCurve", "Button DCurve", "Button DCurve Help", "sketdtmcrv"},
      {"YrlActionFDPoint", "YrlFDPoint", "Button DPoint", "Button DPoint Help", "sketdtmpnt"},
  };
  const std::string dir = msg_dir(), res = resource_dir();
  auto add_rows = [&](const char* menu_name, const auto& rows) {
    std::string neighbour;
    for (const Row& row : rows) {
      SCOPED_TRACE(row.command);
      VynCmd cmd = command(row.command);
      ASSERT_EQ(ButtonAdd::run(1, menu_name, row.button, row.label, row.help, neighbour.c_str(),
                               1, cmd, menubar_file, dir.c_str()),
                0);
      EXPECT_EQ(IconSet::run(1, cmd, row.icon, res.c_str()), 0);
      ASSERT_EQ(Designate::run(1, cmd, row.label, row.help, row.help, menubar_file, dir.c_str()),
                0);
      neighbour = row.button;
    }
  };
  ASSERT_EQ(menu("Utilities", "YrlMenuBar", "Utilities.psh_util_holetable", 1), 0);
  add_rows("YrlMenuBar", product);
  ASSERT_EQ(MenuAdd::run(1, "YrlMenuBar", "YrlFeatMenuBar", "YrlFeature", "YrlPartSetup", 1,
                         menubar_file, dir.c_str()),
            0);
  add_rows("YrlFeatMenuBar", feature);

  EXPECT_EQ(names("YrlMenuBar"),
            (std::vector<std::string>{"YrlPreferences", "YrlCleanUp", "YrlViewSetup",
                                      "YrlPartSetup", "YrlFeatMenuBar", "YrlHelp", "YrlAbout",
                                      "YrlEndPoints"}));
  EXPECT_EQ(names("YrlFeatMenuBar"),
            (std::vector<std::string>{"YrlFProtrusion", "YrlFRevolve", "YrlFSHole", "YrlFDPlane",
                                      "YrlFDCurve", "YrlFDPoint"}));
  const std::string tree = yrlhost::menu_tree_text();
  EXPECT_NE(tree.find("  menu YrlFeatMenuBar \"Feature\"\n"), std::string::npos) << tree;
  EXPECT_NE(tree.find("button YrlFProtrusion \"Protrusion\" -> YrlActionFProtrusion [access 3]"),
            std::string::npos)
      << tree;
}

}  // namespace

namespace {

// An access function that adds menus and buttons the first time it is asked, as a
// plug-in may while the host lists the menu bar.
std::string growing_msg_dir;
bool grown = false;

int growing_access() {
  if (!grown) {
    grown = true;
    for (int i = 0; i < 20; ++i) {
      std::string name = "Grown" + std::to_string(i);
      MenuAdd::run(1, "YrlMenuBar", (name + "Menu").c_str(), "Yrlform", "", 1, menubar_file,
                   growing_msg_dir.c_str());
    }
  }
  return 3;
}

TEST_F(MenusTest, TheMenuTreeSurvivesAnAccessFunctionThatAddsMenus) {
  growing_msg_dir = msg_dir();
  grown = false;
  ASSERT_EQ(menu("Utilities", "YrlMenuBar", "", 1), 0);
  VynCmd cmd = nullptr;
  ASSERT_EQ(ActionAdd::run(1, "Growing", action_a, 2, growing_access, 1, 1, &cmd), 0);
  ASSERT_EQ(button("YrlMenuBar", "First", "", 1, cmd), 0);
  ASSERT_EQ(button("YrlMenuBar", "Second", "", 1, cmd), 0);

  std::string tree = yrlhost::menu_tree_text();
  EXPECT_TRUE(grown);
  EXPECT_NE(tree.find("button Second \"Help\" -> Growing [access 3]"), std::string::npos) << tree;
  EXPECT_EQ(yrlhost::menu_entries("YrlMenuBar").size(), 22u);
}

}  // namespace
