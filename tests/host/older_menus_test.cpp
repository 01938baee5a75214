// The older menus: a menu file's buttons, their actions, and the scripted user pressing
// them while the menu runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/api/host_behaviours.h"
#include "host/api/older_menu_behaviours.h"
#include "host/plugin/plugin_session.h"
#include "host/script/script.h"
#include "tests/host/host_test.h"

namespace {

using yrlhost::Behaviour;
using yrlhost::HostApi;

std::string menus_dir() { return yrlhost::session_defaults().text_dir + "/text/usascii/menus"; }

yrlhost::ScriptAction press(const std::string& menu, const std::string& button) {
  yrlhost::ScriptAction action;
  action.kind = yrlhost::ScriptActionKind::menu_press;
  action.component = menu;
  action.name = button;
  return action;
}

std::vector<std::string> pressed;
int record(void* data, int number) {
  pressed.push_back(static_cast<const char*>(data) + std::to_string(number));
  return number;
}
int done(void*, int) { return Behaviour<HostApi::VynMenuDelete>::run(1); }

class OlderMenus : public yrltest::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    pressed.clear();
    int id = 0;
    ASSERT_EQ(Behaviour<HostApi::VynMenuFileRegister>::run(
                  1, reinterpret_cast<VynWord>("COLLECTION"),
                  reinterpret_cast<VynWord>(u"collection.mnu"), reinterpret_cast<VynWord>(&id),
                  menus_dir().c_str()),
              0);
    EXPECT_GT(id, 0);
  }
  static VynWord word(const void* pointer) { return reinterpret_cast<VynWord>(pointer); }
};

TEST_F(OlderMenus, TheFileGivesTheButtonsAndTheMenuItsExit) {
  std::vector<std::string> buttons = yrlhost::older_menu_buttons("COLLECTION");
  ASSERT_EQ(buttons.size(), 19u);
  EXPECT_EQ(buttons.front(), "Animation");
  EXPECT_EQ(buttons[16], "Dimensions");
  EXPECT_EQ(buttons[17], "Done Collect");
  EXPECT_EQ(buttons.back(), "COLLECTION");
  int id = 0;
  EXPECT_EQ(Behaviour<HostApi::VynMenuFileRegister>::run(1, word("X"), word(u"missing.mnu"),
                                                         word(&id), menus_dir().c_str()),
            -4);
  EXPECT_EQ(Behaviour<HostApi::VynMenuFileRegister>::run(1, 0, word(u"collection.mnu"), word(&id),
                                                         menus_dir().c_str()),
            -2);
  EXPECT_EQ(
      Behaviour<HostApi::VynMenubuttonActionSet>::run(1, "COLLECTION", "Nope", record, nullptr, 0),
      -4);
  EXPECT_EQ(
      Behaviour<HostApi::VynMenubuttonActionSet>::run(1, "OTHER", "Animation", record, nullptr, 0),
      -4);
  EXPECT_EQ(Behaviour<HostApi::VynMenuCreate>::run(1, 0, word("OTHER"), word(&id)), -4);
}

TEST(OlderMenuFile, OneButtonALine) {
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"A\nB C\n", {"A", "B C"}}, {"# comment\n\n  Solid Csys \t\r\nX", {"Solid Csys", "X"}},
      {"\r\n \t\n#only\n", {}},   {"  # indented comment\n", {}},
      {"a#b\n", {"a#b"}},
  };
  for (const auto& [text, buttons] : cases)
    EXPECT_EQ(yrlhost::older_menu_file_parse(text), buttons) << text;
}

TEST_F(OlderMenus, PressesRunTheirActionsUntilTheMenuIsDeleted) {
  static const char tag[] = "solid";
  ASSERT_EQ(Behaviour<HostApi::VynMenubuttonActionSet>::run(1, "COLLECTION", "Solid Csys", record,
                                                            const_cast<char*>(tag), 7),
            0);
  ASSERT_EQ(Behaviour<HostApi::VynMenubuttonActionSet>::run(1, "COLLECTION", "Done Collect", done,
                                                            nullptr, 0),
            0);
  int id = 0;
  ASSERT_EQ(Behaviour<HostApi::VynMenuCreate>::run(1, 0, word("COLLECTION"), word(&id)), 0);
  yrlhost::script_push(press("COLLECTION", "Solid Csys"));
  yrlhost::script_push(press("COLLECTION", "Animation"));  // no action: nothing runs
  yrlhost::script_push(press("COLLECTION", "Solid Csys"));
  yrlhost::script_push(press("COLLECTION", "Done Collect"));
  yrlhost::script_push(press("YrlMenuBar", "After"));  // stays for whoever comes next
  int value = -1;
  EXPECT_EQ(Behaviour<HostApi::VynMenuProcess>::run(1, "COLLECTION", &value), 0);
  EXPECT_EQ(pressed, (std::vector<std::string>{"solid7", "solid7"}));
  EXPECT_EQ(value, 0);  // Done's own answer
  EXPECT_EQ(yrlhost::script_size(), 1u);
  EXPECT_TRUE(yrlhost::script_failures().empty());
  EXPECT_EQ(Behaviour<HostApi::VynMenuDelete>::run(1), -4);  // nothing runs now
}

TEST_F(OlderMenus, AnotherActionOrAnEmptyScriptEndsTheRun) {
  int id = 0;
  ASSERT_EQ(Behaviour<HostApi::VynMenuCreate>::run(1, 0, word("COLLECTION"), word(&id)), 0);
  yrlhost::script_push(press("OTHER", "Animation"));
  int value = 5;
  EXPECT_EQ(Behaviour<HostApi::VynMenuProcess>::run(1, "COLLECTION", &value), -3);
  EXPECT_EQ(yrlhost::script_take_failures().size(), 1u);
  yrlhost::script_clear();
  EXPECT_EQ(Behaviour<HostApi::VynMenuProcess>::run(1, "COLLECTION", &value), -3);
  EXPECT_EQ(yrlhost::script_take_failures().size(), 1u);
  EXPECT_EQ(value, 5);
}

}  // namespace
