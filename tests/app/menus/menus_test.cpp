// Start-up of the application in the stand-in host: its menus and commands, when the
// commands are offered, and the model-retrieve notification.
#include "app/menus/app_menus.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "app/menus/app_init.h"
#include "app/prefs/prefs.h"
#include "app/storage/storage.h"
#include "app/util/apputil.h"
#include "host/plugin/call_log.h"
#include "host/ui/menus.h"
#include "host/store/models.h"
#include "host/files/model_files.h"
#include "host/script/script.h"
#include "tests/app/app_test.h"

namespace {

using yrlhost::MenuEntry;

struct Expected {
  bool cascade;
  const char* name;
  const char* label;
  const char* command;
};

const Expected kProductMenu[] = {
    {false, "YrlPreferences", "Preferences", "YrlActionPreferences"},
    {false, "YrlCleanUp", "Clean Up", "YrlActionCleanUp"},
    {false, "YrlViewSetup", "View Setup", "YrlActionViewSetup"},
    {false, "YrlPartSetup", "Part Setup", "YrlActionPartSetup"},
    {true, "YrlFeatMenuBar", "Feature", ""},
    {false, "YrlHelp", "Help", "YrlActionHelp"},
    {false, "YrlAbout", "About", "YrlActionAbout"},
    {false, "YrlEndPoints", "End Points", "YrlActionEndPoints"},
};

const Expected kFeatureMenu[] = {
    {false, "YrlFProtrusion", "Protrusion", "YrlActionFProtrusion"},
    {false, "YrlFRevolve", "Revolve", "YrlActionFRevolve"},
    {false, "YrlFSHole", "Sketched Hole", "YrlActionFSHole"},
    {false, "YrlFDPlane", "Datum Plane", "YrlActionFDPlane"},
    {false, "YrlFDCurve", "Datum Curve", "YrlActionFDCurve"},
    {false, "YrlFDPoint", "Datum Point", "YrlActionFDPoint"},
};

template <std::size_t N>
void expect_menu(const std::string& menu, const Expected (&expected)[N]) {
  std::vector<MenuEntry> entries = yrlhost::menu_entries(menu);
  ASSERT_EQ(entries.size(), N) << yrlhost::menu_tree_text();
  for (std::size_t i = 0; i < N; ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(entries[i].cascade, expected[i].cascade);
    EXPECT_EQ(entries[i].name, expected[i].name);
    EXPECT_EQ(entries[i].label, expected[i].label);
    EXPECT_EQ(entries[i].command, expected[i].command);
  }
}

std::vector<std::string> all_commands() {
  std::vector<std::string> names;
  for (const YrlMenuPushButton& row : push_buts) names.push_back(row.command);
  for (const YrlMenuPushButton& row : feat_push_buts) names.push_back(row.command);
  return names;
}

class Menus : public yrltest::AppTest {};

TEST_F(Menus, StartUpBuildsBothMenusInOrder) {
  ASSERT_EQ(start_app(), 0);
  // The product menu stands in "Utilities" right after the hole table button.
  std::vector<MenuEntry> utilities = yrlhost::menu_entries("Utilities");
  ASSERT_EQ(utilities.size(), 3u);
  EXPECT_EQ(utilities[0].name, "psh_util_holetable");
  EXPECT_TRUE(utilities[1].cascade);
  EXPECT_EQ(utilities[1].name, "YrlMenuBar");
  EXPECT_EQ(utilities[1].label, "Yrlform");
  EXPECT_EQ(utilities[2].name, "psh_util_auxapps");
  expect_menu("YrlMenuBar", kProductMenu);
  EXPECT_EQ(yrlhost::menu_parent("YrlFeatMenuBar"), "YrlMenuBar");
  expect_menu("YrlFeatMenuBar", kFeatureMenu);
}

// The command rows as the product defines them, in registration order: menu, command,
// button, label key, help key (also the second help key) and icon.
struct CommandRow {
  const char* menu;
  const char* command;
  const char* button;
  const char* label_key;
  const char* help_key;
  const char* icon;
};

const CommandRow kCommandRows[] = {
    {"YrlMenuBar", "YrlActionPreferences", "YrlPreferences", "Button Preferences",
     "Button Preferences Help", "preferences"},
    {"YrlMenuBar", "YrlActionCleanUp", "YrlCleanUp", "Button Clean Up", "Button Clean Up Help",
     "yrl_cleanup"},
    {"YrlMenuBar", "YrlActionViewSetup", "YrlViewSetup", "Button View Setup",
     "Button View Setup Help", "yrl_view_setup"},
    {"YrlMenuBar", "YrlActionPartSetup", "YrlPartSetup", "Button Part Setup",
     "Button Part Setup Help", "yrl_part_setup"},
    {"YrlMenuBar", "YrlActionHelp", "YrlHelp", "Button Help", "Button Help Help",
     "help_user_guide"},
    {"YrlMenuBar", "YrlActionAbout", "YrlAbout", "Button About", "Button About Help", ""},
    {"YrlMenuBar", "YrlActionEndPoints", "YrlEndPoints", "Button EndPoints",
     "Button EndPoints Help", ""},
    {"YrlFeatMenuBar", "YrlActionFProtrusion", "YrlFProtrusion", "Button Protrusion",
     "Button Protrusion Help", "feat_extrude"},
    {"YrlFeatMenuBar", "YrlActionFRevolve", "YrlFRevolve", "Button Revolve",
     "Button Revolve Help", "feat_revolve"},
    {"YrlFeatMenuBar", "YrlActionFSHole", "YrlFSHole", "Button SHole", "Button SHole Help",
     "str_skt_hole"},
    {"YrlFeatMenuBar", "YrlActionFDPlane", "YrlFDPlane", "Button DPlane", "Button DPlane Help",
     "new_plane_red"},
    {"YrlFeatMenuBar", "YrlActionFDCurve", "YrlFDCurve", "Button DCurve", "Button DCurve Help",
     "sketdtmcrv"},
    {"YrlFeatMenuBar", "YrlActionFDPoint", "YrlFDPoint", "Button DPoint", "Button DPoint Help",
     "sketdtmpnt"},
};

TEST_F(Menus, EveryCommandHasItsIconAndDesignation) {
  ASSERT_EQ(start_app(), 0);
  std::vector<yrlhost::CommandInfo> commands = yrlhost::commands();
  ASSERT_EQ(commands.size(), std::size(kCommandRows));
  for (std::size_t i = 0; i < commands.size(); ++i) {
    const CommandRow& row = kCommandRows[i];
    SCOPED_TRACE(row.command);
    EXPECT_EQ(commands[i].name, row.command);
    EXPECT_EQ(commands[i].priority, 2);
    EXPECT_EQ(commands[i].icon, row.icon);
    EXPECT_TRUE(commands[i].designated);
    EXPECT_EQ(commands[i].label_key, row.label_key);
    EXPECT_EQ(commands[i].help_key, row.help_key);
    EXPECT_EQ(commands[i].description_key, row.help_key);

    // The button stands in its menu with the same keys.
    bool found = false;
    for (const MenuEntry& entry : yrlhost::menu_entries(row.menu)) {
      if (entry.name != row.button) continue;
      found = true;
      EXPECT_EQ(entry.command, row.command);
      EXPECT_EQ(entry.label_key, row.label_key);
      EXPECT_EQ(entry.help_key, row.help_key);
    }
    EXPECT_TRUE(found) << row.button << " in " << row.menu;
  }
}

TEST_F(Menus, CommandsAreOfferedOnDrawingsOnly) {
  ASSERT_EQ(start_app(), 0);
  for (const std::string& command : all_commands())
    EXPECT_FALSE(yrlhost::command_offered(command)) << "no model: " << command;

  std::string error;
  ASSERT_NE(yrlhost::host_model_create(yrlhost::model_type_part, "PRT0001", error), nullptr);
  for (const std::string& command : all_commands())
    EXPECT_FALSE(yrlhost::command_offered(command)) << "part: " << command;

  new_drawing();
  for (const std::string& command : all_commands())
    EXPECT_EQ(yrlhost::command_offered(command), command != "YrlActionEndPoints")
        << "drawing: " << command;
}

TEST_F(Menus, TheDebugCommandNeedsYesInConfig) {
  yrltest::write_file("config.yrl", "yrl_add_debug_commands yes\n");
  ASSERT_EQ(start_app(), 0);
  EXPECT_FALSE(yrlhost::command_offered("YrlActionEndPoints"));  // no model
  new_drawing();
  EXPECT_TRUE(yrlhost::command_offered("YrlActionEndPoints"));
  std::string error;
  ASSERT_NE(yrlhost::host_model_create(yrlhost::model_type_part, "PRT0001", error), nullptr);
  EXPECT_FALSE(yrlhost::command_offered("YrlActionEndPoints"));
}

TEST_F(Menus, WithNoModelTheOrdinaryAccessForgetsTheClassesAndTheDebugOneDoesNot) {
  ASSERT_EQ(start_app(), 0);
  preferences.add_debug_commands = 1;
  YrlAllClassRegisterSet(1);
  EXPECT_EQ(YrlMenuBarDebugAccessFunction(), 0);
  EXPECT_EQ(ViewClassRegistered, 1);
  EXPECT_EQ(PartClassRegistered, 1);
  EXPECT_EQ(ActiveClassRegistered, 1);
  EXPECT_EQ(YrlMenuBarAccessFunction(), 0);
  EXPECT_EQ(ViewClassRegistered, 0);
  EXPECT_EQ(PartClassRegistered, 0);
  EXPECT_EQ(ActiveClassRegistered, 0);
}

TEST_F(Menus, ARowWhoseCommandFailsGetsNoButton) {
  yrlhost::call_log_fail_on_call("VynCmdActionAdd_v", 2);  // "YrlActionCleanUp"
  ASSERT_EQ(start_app(), 0);
  std::vector<MenuEntry> entries = yrlhost::menu_entries("YrlMenuBar");
  std::vector<std::string> names;
  for (const MenuEntry& e : entries) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{"YrlPreferences", "YrlViewSetup", "YrlPartSetup",
                                             "YrlFeatMenuBar", "YrlHelp", "YrlAbout",
                                             "YrlEndPoints"}));
  EXPECT_EQ(yrlhost::menu_entries("YrlFeatMenuBar").size(), 6u);
}

TEST_F(Menus, TheFeatureMenuNeedsTheLastRowToSucceed) {
  yrlhost::call_log_fail_on_call("VynCmdDesignate_v", 7);  // the last product row's last call
  ASSERT_EQ(start_app(), 0);
  EXPECT_EQ(yrlhost::menu_entries("YrlMenuBar").size(), 7u);
  EXPECT_FALSE(yrlhost::menu_exists("YrlFeatMenuBar"));
}

TEST_F(Menus, StartUpSucceedsWhateverTheHostRefuses) {
  yrlhost::call_log_set_result("VynMenubarmenuMenuAdd_v", -1);
  yrlhost::call_log_set_result("VynCmdActionAdd_v", -1);
  yrlhost::call_log_set_result("VynNotificationSet_v", -1);
  EXPECT_EQ(start_app(), 0);
  char name[] = "yrlform_msg.txt";
  char back[sizeof name] = {};
  for (std::size_t i = 0; i < sizeof name; ++i) back[i] = static_cast<char>(YrlMsgFile[i]);
  EXPECT_STREQ(back, name);
  EXPECT_EQ(preferences.loaded, 1);
}

TEST_F(Menus, CommandsRegisterTheClassesTheyNeed) {
  ASSERT_EQ(start_app(), 0);
  new_drawing();
  YrlAllClassRegisterSet(0);
  user("menu YrlFeatMenuBar YrlFRevolve");
  user("press error OK");  // no views declared: the feature run stops at the drawing
  yrlhost::script_run();
  EXPECT_EQ(ViewClassRegistered, 1);
  EXPECT_EQ(PartClassRegistered, 1);  // the parts' view maps, read by the feature dialog
  EXPECT_EQ(ActiveClassRegistered, 0);
  user("menu YrlMenuBar YrlPartSetup");
  user("press yrlnewpart Cancel");  // a drawing without parts goes to New Part
  yrlhost::script_run();
  EXPECT_EQ(ActiveClassRegistered, 1);
}

TEST_F(Menus, RetrievingADrawingRestoresItsActivePart) {
  ASSERT_EQ(start_app(), 0);
  std::string error;
  VynMdl part = yrlhost::host_model_create(yrlhost::model_type_part, "PRT0001", error);
  ASSERT_NE(part, nullptr) << error;
  VynMdl drawing = new_drawing("DRW0001");
  ASSERT_EQ(YrlActiveClassRegister(), 0);
  ASSERT_EQ(YrlActiveModelSet(part), 0);
  const std::string path = work_dir.path() + "/drw0001.drw";
  ASSERT_TRUE(yrlhost::host_model_save(drawing, path, error)) << error;

  // Forget the drawing and the active part, then bring the drawing back.
  ASSERT_TRUE(yrlhost::host_model_erase(drawing));
  active_mdl = nullptr;
  ASSERT_NE(yrlhost::host_model_open(path, error), nullptr) << error;
  VynMdl active = nullptr;
  EXPECT_EQ(YrlActiveModelGet(&active), 0);
  EXPECT_EQ(active, part);
}

}  // namespace
