// The menu utilities, against a host whose menu functions write what they are asked to
// do into an event list, and whose menu run presses the buttons a test names.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/util/host_arrays.h"
#include "tests/toolkit/toolkit_test.h"
#include "tests/toolkit/util/util_host_rows.h"
#include "toolkit/api/app_api.h"
#include "toolkit/util/menuutil.h"

namespace {

struct ButtonAction {
  std::string menu, button;
  VynMenubuttonAction action;
  void* app_data;
  int app_int;
};

struct MenuHost {
  std::vector<std::string> events;
  std::vector<ButtonAction> actions;
  std::function<void()> user;   // what the user does while a menu runs
  VynError process_status = 0;
  VynError button_status = 0;   // the answer of the button functions
  int closed_with = -99;        // the last VynMenuDeleteWithStatus status
  bool probing = false;         // an action is called only to see what it does
  std::string probe;
};

MenuHost& host() {
  static MenuHost h;
  return h;
}

std::string narrow(const VynWchar* w) {
  std::string s;
  for (; *w; ++w) s += static_cast<char>(*w);
  return s;
}

const char* text(VynWord word) { return reinterpret_cast<const char*>(word); }

VynError from_strings_register(int, VynWord menu, VynWord, VynWord strings, VynWord, VynWord,
                               VynWord id_out) {
  std::string event = std::string("register ") + text(menu) + " [";
  VynWchar** names = reinterpret_cast<VynWchar**>(strings);
  // The end mark comes last, and only there.
  int size = yrlhost::host_array_size(names);
  for (int i = 0; i < size; ++i) event += (i ? "," : "") + narrow(names[i]);
  host().events.push_back(event + "]");
  *reinterpret_cast<int*>(id_out) = 55;
  return 0;
}

VynError action_set(int, const char* menu, const char* button, VynMenubuttonAction action,
                    void* app_data, int app_int) {
  host().actions.push_back({menu, button, action, app_data, app_int});
  std::string what;
  if (action == VynUtilMenubuttonDeleteWithStatus) {
    what = "status " + std::to_string(app_int);
  } else if (action == VynUtilMenuToggleOne) {
    what = "toggle " + std::to_string(app_int);
  } else if (action == VynUtilMenuToggleDone) {
    what = "done " + std::to_string(app_int);
  } else {
    host().probing = true;
    action(app_data, app_int);
    host().probing = false;
    what = host().probe;
  }
  host().events.push_back("action " + std::string(menu) + "/" + button + " " + what);
  return 0;
}

VynError menu_delete(int) {
  if (host().probing) {
    host().probe = "delete";
  } else {
    host().events.push_back("delete");
  }
  return 0;
}

VynError menu_hold(int) {
  if (host().probing) {
    host().probe = "hold";
  } else {
    host().events.push_back("hold");
  }
  return 0;
}

VynError delete_with_status(int, int status) {
  host().events.push_back("close " + std::to_string(status));
  host().closed_with = status;
  return 0;
}

VynError button_delete(int, VynWord menu, VynWord button, VynWord id) {
  host().events.push_back(std::string("remove ") + text(menu) + "/" + text(button) + " " +
                          std::to_string(id));
  return 0;
}

VynError menu_create(int, VynWord kind, VynWord menu, VynWord) {
  host().events.push_back("create " + std::to_string(kind) + " " + text(menu));
  return 0;
}

template <const char* name>
VynError button_event(int, const char* menu, const char* button) {
  host().events.push_back(std::string(name) + " " + menu + "/" + button);
  return host().button_status;
}
constexpr char activate[] = "activate", deactivate[] = "deactivate", highlight[] = "highlight",
               unhighlight[] = "unhighlight";

template <const char* name>
VynError mode_event(int, const char* menu, int mode) {
  host().events.push_back(std::string(name) + " " + menu + " " + std::to_string(mode));
  return 0;
}
constexpr char mode[] = "mode", datamode[] = "datamode";

VynError menu_process(int, const char* menu, int* value) {
  host().events.push_back(std::string("process ") + menu);
  if (host().user) host().user();
  *value = host().closed_with;
  return host().process_status;
}

// Presses a button as the host would: calls the action set for it.
void press(const std::string& menu, const std::string& button) {
  for (const ButtonAction& a : host().actions) {
    if (a.menu == menu && a.button == button) {
      a.action(a.app_data, a.app_int);
      return;
    }
  }
  ADD_FAILURE() << "no action for " << menu << "/" << button;
}


class MenuUtilTest : public yrltest::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    host() = MenuHost();
    table_options.extra = {
        yrltest::host_row(&from_strings_register, "VynMenuFromStringsRegister_v"),
        yrltest::host_row(&action_set, "VynMenubuttonActionSet_v"),
        yrltest::host_row(&menu_delete, "VynMenuDelete_v"),
        yrltest::host_row(&menu_hold, "VynMenuHold_v"),
        yrltest::host_row(&delete_with_status, "VynMenuDeleteWithStatus_v"),
        yrltest::host_row(&button_delete, "VynMenubuttonDelete_v"),
        yrltest::host_row(&menu_create, "VynMenuCreate_v"),
        yrltest::host_row(&button_event<activate>, "VynMenubuttonActivate_v"),
        yrltest::host_row(&button_event<deactivate>, "VynMenubuttonDeactivate_v"),
        yrltest::host_row(&button_event<highlight>, "VynMenubuttonHighlight_v"),
        yrltest::host_row(&button_event<unhighlight>, "VynMenubuttonUnhighlight_v"),
        yrltest::host_row(&mode_event<mode>, "VynMenuModeSet_v"),
        yrltest::host_row(&mode_event<datamode>, "VynMenuDatamodeSet_v"),
        yrltest::host_row(&menu_process, "VynMenuProcess_v"),
    };
    bind_table();
  }
  using Events = std::vector<std::string>;
};

TEST_F(MenuUtilTest, ButtonActions) {
  int target = 0;
  EXPECT_EQ(VynUtilAssign(&target, 42), 0);
  EXPECT_EQ(target, 42);
  EXPECT_EQ(VynUtilMenuKill(nullptr, 3), 0);
  EXPECT_EQ(VynUtilMenubuttonDeleteWithStatus(nullptr, 6), 0);
  EXPECT_EQ(VynUtilMenubuttonActivate("M", "B", 1), 0);
  EXPECT_EQ(VynUtilMenubuttonActivate("M", "B", 0), 0);
  EXPECT_EQ(VynUtilMenubuttonHighlight("M", "B", 2), 0);
  EXPECT_EQ(VynUtilMenubuttonHighlight("M", "B", 0), 0);
  EXPECT_EQ(host().events, Events({"delete", "delete", "delete", "delete", "close 6",
                                   "activate M/B", "deactivate M/B", "highlight M/B",
                                   "unhighlight M/B"}));
  host().button_status = -4;
  EXPECT_EQ(VynUtilMenubuttonActivate("M", "B", 1), -4);
  EXPECT_EQ(VynUtilMenubuttonHighlight("M", "B", 0), -4);
}

TEST_F(MenuUtilTest, ValueMenuWithoutButtonsShowsNothing) {
  VynUtilMenuRow rows[] = {{"ONLY", 0, 1}, {"", 0, 0}};
  int value = -1;
  EXPECT_EQ(VynUtilMenuIntValueSelect(rows, &value), 0);
  EXPECT_EQ(value, -1);
  EXPECT_TRUE(host().events.empty());
  EXPECT_TRUE(yrlhost::call_log().empty());
  EXPECT_EQ(VynUtilMenuIntValueSelect(nullptr, &value), -2);
  EXPECT_EQ(VynUtilMenuIntValueSelect(rows, nullptr), -2);
}

TEST_F(MenuUtilTest, ValueMenuIsBuiltFromItsTableAndGivesTheChosenRowsValue) {
  VynUtilMenuRow rows[] = {
      {"Depth", 0, VYN_UTIL_MENU_DELETE},
      {"Blind", 10, VYN_UTIL_MENU_ACTIVATE | VYN_UTIL_MENU_HIGHLIGHT},
      {"Thru All", 20, VYN_UTIL_MENU_DEACTIVATE},
      {"Info", 30, VYN_UTIL_MENU_HOLD | VYN_UTIL_MENU_UNHIGHLIGHT},
      {"Old", 40, VYN_UTIL_MENU_REMOVE},
      {"", 0, 0},
  };
  host().user = [] { press("Depth", "Thru All"); };
  int value = -1;
  EXPECT_EQ(VynUtilMenuIntValueSelect(rows, &value), 0);
  EXPECT_EQ(value, 20);
  EXPECT_EQ(host().events, Events({
                               "register Depth [Blind,Thru All,Info,Old,]",
                               "action Depth/Depth delete",
                               "action Depth/Blind status 10",
                               "action Depth/Thru All status 20",
                               "action Depth/Info hold",
                               "action Depth/Old status 40",
                               "remove Depth/Old 55",
                               "create 0 Depth",
                               "activate Depth/Blind",
                               "highlight Depth/Blind",
                               "deactivate Depth/Thru All",
                               "unhighlight Depth/Info",
                               "process Depth",
                               "close 20",
                           }));
}

TEST_F(MenuUtilTest, ValueMenuRowNamesFillingTheirFieldAreCut) {
  VynUtilMenuRow rows[2 + 1] = {};
  std::memset(rows[0].name, 'M', sizeof rows[0].name);
  std::memset(rows[1].name, 'B', sizeof rows[1].name);
  int value = 0;
  EXPECT_EQ(VynUtilMenuIntValueSelect(rows, &value), 0);
  std::string menu(32, 'M'), button(32, 'B');
  EXPECT_EQ(host().events[0], "register " + menu + " [" + button + ",]");
}

TEST_F(MenuUtilTest, MenuStringsArrayKeepsTheEmptyStringLast) {
  VynArray array = nullptr;
  ASSERT_EQ(VynUtilMenuStringsAlloc(&array), 0);
  EXPECT_EQ(yrlhost::host_array_size(array), 1);
  EXPECT_EQ(VynUtilMenuStringsStrAdd(&array, "TOP"), 0);
  EXPECT_EQ(VynUtilMenuStringsWstrAdd(&array, u"\u4e2d\u6587"), 0);
  EXPECT_EQ(VynUtilMenuStringsStrAdd(&array, "caf\xe9"), 0);
  ASSERT_EQ(yrlhost::host_array_size(array), 4);
  VynWchar** texts = static_cast<VynWchar**>(array);
  EXPECT_EQ(std::u16string(texts[0]), u"TOP");
  EXPECT_EQ(std::u16string(texts[1]), u"\u4e2d\u6587");
  EXPECT_EQ(std::u16string(texts[2]), u"caf\u00e9");
  EXPECT_EQ(texts[3][0], 0);
  VynArray kept = array;
  EXPECT_EQ(VynUtilMenuStringsFree(&array), 0);
  EXPECT_FALSE(yrlhost::host_array_is(kept));

  EXPECT_EQ(VynUtilMenuStringsAlloc(nullptr), -2);
  EXPECT_EQ(VynUtilMenuStringsStrAdd(nullptr, "x"), -2);
  EXPECT_EQ(VynUtilMenuStringsFree(nullptr), -2);
}

TEST_F(MenuUtilTest, MenuStringsAddThatTheHostRefusesLeavesNothingBehind) {
  VynArray array = nullptr;
  ASSERT_EQ(VynUtilMenuStringsAlloc(&array), 0);
  yrlhost::call_log_fail_on_call("VynArrayObjectAdd_v", 1, VYN_TK_GENERAL_ERROR);
  EXPECT_EQ(VynUtilMenuStringsStrAdd(&array, "lost"), VYN_TK_GENERAL_ERROR);
  EXPECT_EQ(yrlhost::host_array_size(array), 1);  // the leak checker sees the string go
  EXPECT_EQ(VynUtilMenuStringsFree(&array), 0);
}

// A menu-strings array of names, freed at the end of the test.
class NamesTest : public MenuUtilTest {
 protected:
  void SetUp() override {
    MenuUtilTest::SetUp();
    ASSERT_EQ(VynUtilMenuStringsAlloc(&names), 0);
    for (const char* name : {"TOP", "FRONT", "RIGHT"})
      ASSERT_EQ(VynUtilMenuStringsStrAdd(&names, name), 0);
    host().events.clear();
  }
  void TearDown() override {
    VynUtilMenuStringsFree(&names);
    MenuUtilTest::TearDown();
  }
  VynArray names = nullptr;
};

TEST_F(NamesTest, StringsValueMenuGivesTheNamesIndex) {
  host().user = [] { press("Views", "RIGHT"); };
  int value = -1;
  EXPECT_EQ(VynUtilMenuStringsIntValueSelect("Views", names, &value), 0);
  EXPECT_EQ(value, 2);
  EXPECT_EQ(host().events[0], "register Views [TOP,FRONT,RIGHT,]");
  EXPECT_EQ(host().events[1], "action Views/Views delete");
  EXPECT_EQ(host().events[2], "action Views/TOP status 0");
  EXPECT_EQ(VynUtilMenuStringsIntValueSelect(nullptr, names, &value), -2);
}

// A host array of names that lacks the empty end string: only its elements are read.
TEST_F(MenuUtilTest, NamesArrayWithoutItsEndMarkIsReadNoFurtherThanItsSize) {
  static const VynWchar top[] = u"TOP";
  static const VynWchar front[] = u"FRONT";
  VynArray names = nullptr;
  ASSERT_EQ(VynArrayAlloc(0, static_cast<int>(sizeof(VynWchar*)), 1, &names), 0);
  for (const VynWchar* name : {top, front}) ASSERT_EQ(VynArrayObjectAdd(&names, -1, 1, &name), 0);
  host().user = [] { press("Views", "FRONT"); };
  int value = -1;
  EXPECT_EQ(VynUtilMenuStringsIntValueSelect("Views", names, &value), 0);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(host().events[0], "register Views [TOP,FRONT,]");

  host().actions.clear();
  host().user = [] {
    press("Views", "FRONT");
    press("TkMenuUtilSelect", "Done Sel");
  };
  VynArray indices = nullptr;
  int count = 0;
  ASSERT_EQ(VynUtilMenuStringManySelect("Views", names, &indices, &count), 0);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(static_cast<int*>(indices)[0], 1);
  VynArrayFree(&indices);
  VynArrayFree(&names);
}

TEST_F(NamesTest, ManySelectGivesTheIndicesOfTheSelectedNames) {
  host().user = [] {
    press("Views", "TOP");
    press("Views", "RIGHT");
    press("Views", "FRONT");
    press("Views", "TOP");  // unselected again
    press("TkMenuUtilSelect", "Done Sel");
  };
  VynArray indices = nullptr;
  int count = 0;
  ASSERT_EQ(VynUtilMenuStringManySelect("Views", names, &indices, &count), 0);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(yrlhost::host_array_size(indices), 2);
  EXPECT_EQ(static_cast<int*>(indices)[0], 1);
  EXPECT_EQ(static_cast<int*>(indices)[1], 2);
  VynArrayFree(&indices);
  EXPECT_EQ(host().events, Events({
                               "register Views [TOP,FRONT,RIGHT,]",
                               "action Views/TOP toggle 0",
                               "action Views/FRONT toggle 1",
                               "action Views/RIGHT toggle 2",
                               "action Views/Views delete",
                               "mode Views 1",
                               "datamode Views 1",
                               "create 0 Views",
                               "register TkMenuUtilSelect [Select All,Unsel All,Done Sel,Quit Sel,]",
                               "action TkMenuUtilSelect/Select All done 0",
                               "action TkMenuUtilSelect/Unsel All done 1",
                               "action TkMenuUtilSelect/Done Sel done 2",
                               "action TkMenuUtilSelect/Quit Sel done 3",
                               "action TkMenuUtilSelect/TkMenuUtilSelect done 3",
                               "create 1 TkMenuUtilSelect",
                               "process TkMenuUtilSelect",
                               "close 2",
                               "close 2",
                           }));
}

TEST_F(NamesTest, SelectAllAndUnselectAllHighlightOnlyWhatChanges) {
  host().user = [] {
    press("Views", "FRONT");
    host().events.clear();
    press("TkMenuUtilSelect", "Select All");
    press("TkMenuUtilSelect", "Unsel All");
    press("Views", "RIGHT");
    press("TkMenuUtilSelect", "Done Sel");
  };
  VynArray indices = nullptr;
  int count = 0;
  ASSERT_EQ(VynUtilMenuStringManySelect("Views", names, &indices, &count), 0);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(static_cast<int*>(indices)[0], 2);
  VynArrayFree(&indices);
  EXPECT_EQ(host().events, Events({"highlight Views/TOP", "highlight Views/RIGHT",
                                   "unhighlight Views/TOP", "unhighlight Views/FRONT",
                                   "unhighlight Views/RIGHT", "close 2", "close 2"}));
}

TEST_F(NamesTest, ManySelectEndsInAbortUnlessDoneWithASelection) {
  struct Case {
    const char* what;
    std::function<void()> user;
    VynError process_status;
  };
  const Case cases[] = {
      {"quit", [] { press("Views", "TOP"); press("TkMenuUtilSelect", "Quit Sel"); }, 0},
      {"exit button", [] { press("Views", "TOP"); press("TkMenuUtilSelect", "TkMenuUtilSelect"); }, 0},
      {"done with nothing", [] { press("TkMenuUtilSelect", "Done Sel"); }, 0},
      {"run failed", [] { press("Views", "TOP"); press("TkMenuUtilSelect", "Done Sel"); }, -5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host().actions.clear();
    host().user = c.user;
    host().process_status = c.process_status;
    VynArray indices = nullptr;
    int count = -1;
    EXPECT_EQ(VynUtilMenuStringManySelect("Views", names, &indices, &count), VYN_TK_USER_ABORT);
    EXPECT_EQ(indices, nullptr);
    EXPECT_EQ(count, -1);
  }
  VynArray indices = nullptr;
  int count = 0;
  EXPECT_EQ(VynUtilMenuStringManySelect("Views", nullptr, &indices, &count), -2);
}

TEST_F(NamesTest, ToggleActionsIgnoreIndicesOutsideTheNames) {
  int flags[3] = {0, 0, 0};
  VynUtilMenuSelectState state{"Views", static_cast<VynWchar**>(names), flags, 3};
  EXPECT_EQ(VynUtilMenuToggleOne(&state, 1), 0);
  EXPECT_EQ(VynUtilMenuToggleOne(&state, 3), 0);
  EXPECT_EQ(VynUtilMenuToggleOne(&state, -1), 0);
  EXPECT_EQ(flags[0] + flags[1] * 10 + flags[2] * 100, 10);
  EXPECT_EQ(VynUtilMenuToggleDone(&state, 7), 0);
  EXPECT_TRUE(host().events.empty());
}

}  // namespace
