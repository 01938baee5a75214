// UI dialogs: layouts, component state, and the scripted user inside modal dialogs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "host/util/host_arrays.h"
#include "host/api/host_behaviours.h"
#include "host/plugin/host_table.h"
#include "host/util/live_objects.h"
#include "host/script/script.h"
#include "host/ui/ui.h"
#include "tests/host/host_test.h"

namespace {

using yrlhost::HostApi;
using yrlhost::InputEvent;
using yrlhost::ScriptAction;
using yrlhost::ScriptActionKind;
using yrlhost::UiKind;

#define UI(row) yrlhost::Behaviour<HostApi::row>::run

// An action the test gives a component: app_data points to a Hook, which runs the
// test's own code with the names the host passed.
struct Hook {
  std::function<void(const std::string& dialog, const std::string& component)> run;
  int calls = 0;
  std::vector<std::string> seen;  // "dialog/component" per call
};

void hook_call(char* dialog, char* component, void* app_data) {
  Hook* hook = static_cast<Hook*>(app_data);
  ++hook->calls;
  hook->seen.push_back(std::string(dialog) + "/" + component);
  if (hook->run) hook->run(dialog, component);
}

ScriptAction act(ScriptActionKind kind, const std::string& dialog, const std::string& component = "",
                 const std::string& name = "") {
  ScriptAction action;
  action.kind = kind;
  action.dialog = dialog;
  action.component = component;
  action.name = name;
  return action;
}

ScriptAction press(const std::string& dialog, const std::string& button) {
  return act(ScriptActionKind::button_press, dialog, button);
}

ScriptAction typing(const std::string& dialog, const std::string& panel, const std::string& text,
                    InputEvent event) {
  ScriptAction action = act(ScriptActionKind::input_type, dialog, panel);
  action.text = text;
  action.event = event;
  return action;
}

// The free rows, called through the table as the plug-in calls them.
template <typename F>
F table_row(HostApi id) {
  static const std::vector<win_export_entry> table = yrlhost::host_table_build();
  return reinterpret_cast<F>(yrlhost::host_table_find(table, yrlhost::host_api_key(id)));
}
void string_free(char* text) { table_row<VynError (*)(int, char*)>(HostApi::VynStringFree)(1, text); }
void string_array_free(char** texts, int count) {
  table_row<VynError (*)(int, char**, int)>(HostApi::VynStringarrayFree)(1, texts, count);
}
void vynarray_free(VynArray texts) {
  table_row<VynError (*)(int, VynArray)>(HostApi::VynStringvynarrayFree)(1, texts);
}

std::u16string wide(const char* text) { return std::u16string(text, text + std::strlen(text)); }

class Ui : public yrltest::HostTest {
 protected:
  void TearDown() override {
    std::filesystem::remove_all(own_dir_);
    HostTest::TearDown();
  }

  VynError create(const std::string& dialog, const std::string& layout) {
    return UI(VynUIDialogCreate)(1, dialog.c_str(), layout.c_str(), resource_dir_.c_str());
  }
  VynError create_own(const std::string& dialog, const std::string& layout) {
    return UI(VynUIDialogCreate)(1, dialog.c_str(), layout.c_str(), own_dir_.c_str());
  }
  // Writes a layout of the test's own into a folder of its own.
  void layout_write(const std::string& name, const std::string& text) {
    std::filesystem::create_directories(own_dir_);
    std::ofstream(own_dir_ + "/" + name + ".dlg") << text;
  }
  // Sets hook as the exit-with-status action of a push button.
  void exit_on_press(const char* dialog, const char* button, Hook& hook, int status) {
    hook.run = [status](const std::string& d, const std::string&) {
      EXPECT_EQ(UI(VynUIDialogExit)(1, d.c_str(), status), 0);
    };
    ASSERT_EQ(UI(VynUIPushbuttonActivateActionSet)(1, dialog, button, hook_call, &hook), 0);
  }
  int activate(const char* dialog) {
    int status = 12345;
    EXPECT_EQ(UI(VynUIDialogActivate)(1, dialog, &status), 0);
    return status;
  }

  std::string resource_dir_ = yrlhost::ui_default_resource_dir();
  std::string own_dir_ = (std::filesystem::temp_directory_path() /
                          ("yrl-ui-test-" + std::to_string(::getpid()) + "-" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name()))
                             .string();
};

TEST_F(Ui, ShippedLayoutsHoldTheComponentsTheApplicationNames) {
  struct Case {
    const char* layout;
    std::vector<std::pair<const char*, UiKind>> components;
  } cases[] = {
      {"yrlpreferences",
       {{"i_yrl_layer_prefix", UiKind::inputpanel}, {"i_yrl_tolerance", UiKind::inputpanel},
        {"c_yrl_auto_view_map", UiKind::checkbutton}, {"c_yrl_set_new_part_active", UiKind::checkbutton},
        {"c_yrl_use_drawing_name", UiKind::checkbutton}, {"c_yrl_use_drawing_units", UiKind::checkbutton},
        {"c_yrl_auto_drawing_view_create", UiKind::checkbutton},
        {"c_yrl_automatic_forward", UiKind::checkbutton}, {"c_yrl_crdt_ent_sec_vyn_fix", UiKind::checkbutton},
        {"r_yrl_drawing_proj_system", UiKind::radiogroup}, {"OK", UiKind::pushbutton},
        {"Cancel", UiKind::pushbutton}, {"Default", UiKind::pushbutton}}},
      {"error", {{"label1", UiKind::label}, {"OK", UiKind::pushbutton}}},
      {"confirm", {{"label1", UiKind::label}, {"OK", UiKind::pushbutton}}},
      {"message", {{"label1", UiKind::label}, {"OK", UiKind::pushbutton}}},
      {"okcancel", {{"label1", UiKind::label}, {"OK", UiKind::pushbutton}, {"Cancel", UiKind::pushbutton}}},
      {"yrlconfirmdlg",
       {{"msg_label", UiKind::label}, {"yes_btn", UiKind::pushbutton}, {"no_btn", UiKind::pushbutton}}},
      {"yrlabout", {{"CloseButton", UiKind::pushbutton}}},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(create(c.layout, c.layout), 0) << c.layout << ": " << yrlhost::ui_layout_error();
    for (const auto& [name, kind] : c.components) {
      std::optional<yrlhost::UiComponent> component = yrlhost::ui_component(c.layout, name);
      ASSERT_TRUE(component) << c.layout << " " << name;
      EXPECT_EQ(component->kind, kind) << c.layout << " " << name;
    }
  }
  std::optional<yrlhost::UiComponent> projection =
      yrlhost::ui_component("yrlpreferences", "r_yrl_drawing_proj_system");
  EXPECT_EQ(projection->names, (std::vector<std::string>{"third_angle", "first_angle"}));
  EXPECT_EQ(projection->selected, std::vector<std::string>{"third_angle"});
  EXPECT_EQ(yrlhost::ui_layouts_loaded().size(), std::size(cases));
}

TEST_F(Ui, CreateRefusesWhatItCannotMake) {
  layout_write("broken", "pushbutton OK\nwidget W\n");
  EXPECT_EQ(create("a", "no_such_layout"), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(UI(VynUIDialogCreate)(1, nullptr, "yrlabout", resource_dir_.c_str()), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(UI(VynUIDialogCreate)(1, "a", nullptr, resource_dir_.c_str()), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(UI(VynUIDialogCreate)(1, "a", "yrlabout", nullptr), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(create("a", "..\\resource\\yrlabout"), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(create_own("a", "broken"), VYN_TK_GENERAL_ERROR);
  EXPECT_NE(yrlhost::ui_layout_error().find("line 2"), std::string::npos) << yrlhost::ui_layout_error();
  EXPECT_TRUE(yrlhost::ui_open_dialogs().empty());

  ASSERT_EQ(create("a", "yrlabout"), 0);
  EXPECT_EQ(create("a", "error"), VYN_TK_E_FOUND);
  EXPECT_EQ(yrlhost::ui_dialog("a")->layout, "yrlabout");
  // The plug-in's directory is in Windows form, with its own delimiters and any case.
  std::string windows_dir = resource_dir_.substr(0, resource_dir_.rfind('/')) + "\\RESOURCE";
  EXPECT_EQ(UI(VynUIDialogCreate)(1, "b", "yrlabout", windows_dir.c_str()), 0);
}

TEST_F(Ui, LayoutTextsThatAreRefused) {
  const char* bad[] = {
      "gadget X",                      // unknown kind
      "pushbutton",                    // no name
      "label A\nlabel A",              // a name twice
      "pushbutton A @blinking",        // unknown flag
      "pushbutton A B C",              // items on a kind without items
      "text Nobody hello",             // text for an unknown component
      "label A @in=Later\nlayout Later",  // a container must come first
      "layout A @in=A",                    // nor hold itself
      "tab T P Q\npushbutton P @in=T",    // a tab holds layouts, its pages
      "tab T P Q\nlayout R @in=T",        // named as its items
      "list S @policy=4",                 // a list's policy is 0 to 3
      "list S @policy=x",
      "table T A @policy=2",              // and only a list has one here
  };
  for (const char* text : bad) {
    std::string error;
    EXPECT_FALSE(yrlhost::ui_layout_parse("t", text, &error)) << text;
    EXPECT_NE(error.find("t.dlg line"), std::string::npos) << error;
  }
  std::string error;
  std::optional<yrlhost::UiLayout> good = yrlhost::ui_layout_parse(
      "t",
      "# comment\r\n\ntitle  Two words\nlayout L @hidden\ninputpanel P @in=L @read_only @disabled\n"
      "text P 1.5 mm\ncheckbutton C @set\noptionmenu O a b\ntable T Num Rule\nlist S\n",
      &error);
  ASSERT_TRUE(good) << error;
  EXPECT_EQ(good->title, "Two words");
  ASSERT_EQ(good->components.size(), 6u);
  const yrlhost::UiComponent& panel = good->components[1];
  EXPECT_EQ(panel.parent, "L");
  EXPECT_FALSE(panel.editable);
  EXPECT_FALSE(panel.enabled);
  EXPECT_EQ(panel.value, "1.5 mm");
  EXPECT_FALSE(good->components[0].shown);
  EXPECT_TRUE(good->components[2].checked);
  EXPECT_EQ(good->components[3].value, "a");
  EXPECT_EQ(good->components[4].names, (std::vector<std::string>{"Num", "Rule"}));
  EXPECT_TRUE(good->components[5].selected.empty());
}

TEST_F(Ui, FunctionsRefuseUnknownNamesAndOtherKinds) {
  ASSERT_EQ(create("yrlpreferences", "yrlpreferences"), 0);
  auto table = yrlhost::host_table_build();
  // Through the table, as the plug-in calls them: a row from the typed tables, one of the
  // catalogue's word rows and a getter.
  auto enable = yrlhost::host_function<HostApi::VynUIPushbuttonEnable>(table);
  auto hide = yrlhost::host_function<HostApi::VynUICheckbuttonHide>(table);
  auto state = yrlhost::host_function<HostApi::VynUICheckbuttonGetState>(table);
  auto word = [](const char* text) { return reinterpret_cast<VynWord>(text); };
  int value = 0;
  struct Case {
    const char* dialog;
    const char* component;
    VynError expected;
  } cases[] = {
      {"nodialog", "OK", VYN_TK_E_NOT_FOUND},
      {"yrlpreferences", "Nothing", VYN_TK_E_NOT_FOUND},
      {nullptr, "OK", VYN_TK_BAD_INPUTS},
      {"yrlpreferences", nullptr, VYN_TK_BAD_INPUTS},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(enable(1, c.dialog, c.component), c.expected);
    EXPECT_EQ(hide(1, word(c.dialog), word(c.component)), c.expected);
    EXPECT_EQ(state(1, c.dialog, c.component, &value), c.expected);
  }
  // A function of one kind on a component of another.
  EXPECT_EQ(enable(1, "yrlpreferences", "c_yrl_auto_view_map"), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(hide(1, word("yrlpreferences"), word("OK")), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(state(1, "yrlpreferences", "OK", &value), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(UI(VynUIInputpanelDoubleSet)(1, "yrlpreferences", "r_yrl_drawing_proj_system", 1.0), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(UI(VynUIDialogDefaultbuttonSet)(1, "yrlpreferences", "i_yrl_tolerance"), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(state(1, "yrlpreferences", "c_yrl_auto_view_map", nullptr), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(UI(VynUIInputpanelDigitsSet)(1, "yrlpreferences", "i_yrl_tolerance", -1), VYN_TK_BAD_INPUTS);
  // Nothing changed on the way.
  std::optional<yrlhost::UiComponent> ok = yrlhost::ui_component("yrlpreferences", "OK");
  EXPECT_TRUE(ok->enabled && ok->shown);
}

TEST_F(Ui, SettersChangeWhatGettersAndTheHostSee) {
  ASSERT_EQ(create("yrlpreferences", "yrlpreferences"), 0);
  const char* d = "yrlpreferences";
  int state = -1;
  ASSERT_EQ(UI(VynUICheckbuttonSet)(1, d, "c_yrl_auto_view_map"), 0);
  ASSERT_EQ(UI(VynUICheckbuttonGetState)(1, d, "c_yrl_auto_view_map", &state), 0);
  EXPECT_EQ(state, 1);
  ASSERT_EQ(UI(VynUICheckbuttonUnset)(1, d, "c_yrl_auto_view_map"), 0);
  ASSERT_EQ(UI(VynUICheckbuttonGetState)(1, d, "c_yrl_auto_view_map", &state), 0);
  EXPECT_EQ(state, 0);

  ASSERT_EQ(UI(VynUIInputpanelDigitsSet)(1, d, "i_yrl_tolerance", 3), 0);
  ASSERT_EQ(UI(VynUIInputpanelDoubleSet)(1, d, "i_yrl_tolerance", 0.0125), 0);
  EXPECT_EQ(yrlhost::ui_component(d, "i_yrl_tolerance")->value, "0.013");
  ASSERT_EQ(UI(VynUIInputpanelStringSet)(1, d, "i_yrl_layer_prefix", "YRL_"), 0);
  EXPECT_EQ(yrlhost::ui_component(d, "i_yrl_layer_prefix")->value, "YRL_");

  std::u16string title = wide("Preferences");
  ASSERT_EQ(UI(VynUIDialogTitleSet)(1, d, title.c_str()), 0);
  ASSERT_EQ(UI(VynUIDialogDefaultbuttonSet)(1, d, "Cancel"), 0);
  ASSERT_EQ(UI(VynUIPushbuttonDisable)(1, d, "Default"), 0);
  ASSERT_EQ(UI(VynUILayoutHide)(1, d, "LayProjection"), 0);
  int enabled = -1;
  ASSERT_EQ(UI(VynUIPushbuttonIsEnabled)(1, reinterpret_cast<VynWord>(d), reinterpret_cast<VynWord>("Default"),
                                         reinterpret_cast<VynWord>(&enabled)),
            0);
  EXPECT_EQ(enabled, 0);
  std::optional<yrlhost::UiDialog> dialog = yrlhost::ui_dialog(d);
  EXPECT_EQ(dialog->title, "Preferences");
  EXPECT_EQ(dialog->default_button, "Cancel");
}

TEST_F(Ui, DoubleGetReadsOnlyANumber) {
  ASSERT_EQ(create("yrlpreferences", "yrlpreferences"), 0);
  struct Case {
    const char* text;
    VynError status;
    double value;
  } cases[] = {
      {"0.005", 0, 0.005}, {"  2.5 ", 0, 2.5}, {"+1", 0, 1.0},  {"-3e2", 0, -300.0},
      {"", -1, 0},         {"abc", -1, 0},     {"1.5x", -1, 0}, {"1 2", -1, 0},
      {"nan", -1, 0},      {"inf", -1, 0},     {"-infinity", -1, 0},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(UI(VynUIInputpanelStringSet)(1, "yrlpreferences", "i_yrl_tolerance", c.text), 0);
    double value = 99;
    EXPECT_EQ(UI(VynUIInputpanelDoubleGet)(1, "yrlpreferences", "i_yrl_tolerance", &value), c.status) << c.text;
    EXPECT_EQ(value, c.status == 0 ? c.value : 99) << c.text;
  }
}

TEST_F(Ui, PressRunsTheButtonsActionWhichExitsWithItsStatus) {
  ASSERT_EQ(create("yrlabout", "yrlabout"), 0);
  Hook close;
  exit_on_press("yrlabout", "CloseButton", close, -1);
  std::vector<std::string> stack_inside;
  ScriptAction inside = act(ScriptActionKind::check, "");
  inside.run = [&] { stack_inside = yrlhost::ui_active_dialogs(); };
  yrlhost::script_push(inside);
  yrlhost::script_push(press("yrlabout", "CloseButton"));
  yrlhost::script_push(press("yrlabout", "CloseButton"));  // left for whoever waits next

  auto table = yrlhost::host_table_build();
  int status = 0;
  ASSERT_EQ(yrlhost::host_function<HostApi::VynUIDialogActivate>(table)(1, "yrlabout", &status), 0);
  EXPECT_EQ(status, -1);
  EXPECT_EQ(close.seen, std::vector<std::string>{"yrlabout/CloseButton"});
  EXPECT_EQ(stack_inside, std::vector<std::string>{"yrlabout"});
  EXPECT_EQ(yrlhost::script_size(), 1u);
  EXPECT_TRUE(yrlhost::ui_active_dialogs().empty());
  EXPECT_TRUE(yrlhost::script_failures().empty());
  // Exit outside an activation changes nothing.
  EXPECT_EQ(UI(VynUIDialogExit)(1, "yrlabout", 0), VYN_TK_GENERAL_ERROR);
}

TEST_F(Ui, ANestedDialogTakesTheActionsUntilItExits) {
  ASSERT_EQ(create("yrlpreferences", "yrlpreferences"), 0);
  Hook cancel, yes, open_confirm;
  exit_on_press("yrlpreferences", "Cancel", cancel, -1);
  int inner_status = 0;
  open_confirm.run = [&](const std::string&, const std::string&) {
    ASSERT_EQ(create("yrlconfirmdlg", "yrlconfirmdlg"), 0);
    exit_on_press("yrlconfirmdlg", "yes_btn", yes, 1);
    inner_status = activate("yrlconfirmdlg");
    EXPECT_EQ(UI(VynUIDialogDestroy)(1, "yrlconfirmdlg"), 0);
  };
  ASSERT_EQ(UI(VynUIPushbuttonActivateActionSet)(1, "yrlpreferences", "Default", hook_call, &open_confirm), 0);

  std::vector<std::string> stack_inside;
  ScriptAction look = act(ScriptActionKind::check, "");
  look.run = [&] { stack_inside = yrlhost::ui_active_dialogs(); };
  yrlhost::script_push(press("yrlpreferences", "Default"));
  yrlhost::script_push(look);
  yrlhost::script_push(press("yrlpreferences", "Cancel"));  // the outer one's: refused inside
  yrlhost::script_push(press("yrlconfirmdlg", "yes_btn"));
  yrlhost::script_push(press("yrlpreferences", "Cancel"));

  EXPECT_EQ(activate("yrlpreferences"), -1);
  EXPECT_EQ(inner_status, 1);
  EXPECT_EQ(stack_inside, (std::vector<std::string>{"yrlpreferences", "yrlconfirmdlg"}));
  EXPECT_EQ(yes.calls, 1);
  EXPECT_EQ(cancel.calls, 1);
  std::vector<std::string> failures = yrlhost::script_take_failures();
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("yrlconfirmdlg"), std::string::npos) << failures[0];
}

TEST_F(Ui, TypingSetsTheValueAndFiresTheEventAsked) {
  ASSERT_EQ(create("yrlpreferences", "yrlpreferences"), 0);
  const char* d = "yrlpreferences";
  Hook focus_out, activated, cancel;
  double seen = 0;
  focus_out.run = [&](const std::string& dialog, const std::string& component) {
    EXPECT_EQ(UI(VynUIInputpanelDoubleGet)(1, dialog.c_str(), component.c_str(), &seen), 0);
  };
  ASSERT_EQ(UI(VynUIInputpanelFocusoutActionSet)(1, d, "i_yrl_tolerance", hook_call, &focus_out), 0);
  ASSERT_EQ(UI(VynUIInputpanelActivateActionSet)(1, d, "i_yrl_tolerance", hook_call, &activated), 0);
  exit_on_press(d, "Cancel", cancel, -1);
  yrlhost::script_push(typing(d, "i_yrl_tolerance", "0.25", InputEvent::focus_out));
  yrlhost::script_push(typing(d, "i_yrl_tolerance", "0.5", InputEvent::activate));
  yrlhost::script_push(typing(d, "i_yrl_tolerance", "0.75", InputEvent::none));
  yrlhost::script_push(press(d, "Cancel"));
  EXPECT_EQ(activate(d), -1);
  EXPECT_EQ(focus_out.calls, 1);
  EXPECT_EQ(seen, 0.25);
  EXPECT_EQ(activated.calls, 1);
  EXPECT_EQ(yrlhost::ui_component(d, "i_yrl_tolerance")->value, "0.75");
  EXPECT_TRUE(yrlhost::script_failures().empty());
}

TEST_F(Ui, ActionsTheUserCannotTakeFailTheScriptAndAreDropped) {
  ASSERT_EQ(create("yrlpreferences", "yrlpreferences"), 0);
  const char* d = "yrlpreferences";
  Hook cancel, other;
  exit_on_press(d, "Cancel", cancel, -1);
  for (const char* button : {"OK", "Default"})
    ASSERT_EQ(UI(VynUIPushbuttonActivateActionSet)(1, d, button, hook_call, &other), 0);
  ASSERT_EQ(UI(VynUICheckbuttonActivateActionSet)(1, d, "c_yrl_auto_view_map", hook_call, &other), 0);
  ASSERT_EQ(UI(VynUIRadiogroupSelectActionSet)(1, d, "r_yrl_drawing_proj_system", hook_call, &other), 0);
  ASSERT_EQ(UI(VynUIPushbuttonDisable)(1, d, "OK"), 0);
  ASSERT_EQ(UI(VynUIPushbuttonHide)(1, d, "Default"), 0);
  ASSERT_EQ(UI(VynUILayoutHide)(1, d, "LayGeneral"), 0);
  ASSERT_EQ(UI(VynUIInputpanelReadOnly)(1, d, "i_yrl_layer_prefix"), 0);

  ScriptAction pick = act(ScriptActionKind::pick, "");
  ScriptAction menu = act(ScriptActionKind::menu_press, "", "YrlMenu", "YrlPreferences");
  const ScriptAction refused[] = {
      press(d, "OK"),                                                     // disabled
      press(d, "Default"),                                                // hidden
      act(ScriptActionKind::check_toggle, d, "c_yrl_auto_view_map"),      // its layout is hidden
      press(d, "Nothing"),                                                // unknown
      act(ScriptActionKind::check_toggle, d, "Cancel"),                   // a push button
      press("yrlabout", "CloseButton"),                                   // not the active dialog
      act(ScriptActionKind::radio_choose, d, "r_yrl_drawing_proj_system", "fourth_angle"),
      typing(d, "i_yrl_layer_prefix", "ABC", InputEvent::activate),       // read-only (and hidden)
      act(ScriptActionKind::close_box, d),                                // no close action
      menu,
      pick,
  };
  for (const ScriptAction& action : refused) yrlhost::script_push(action);
  yrlhost::script_push(press(d, "Cancel"));
  EXPECT_EQ(activate(d), -1);
  EXPECT_EQ(other.calls, 0);
  EXPECT_EQ(yrlhost::script_take_failures().size(), std::size(refused));
  std::optional<yrlhost::UiComponent> check = yrlhost::ui_component(d, "c_yrl_auto_view_map");
  EXPECT_FALSE(check->checked);
  EXPECT_EQ(yrlhost::ui_component(d, "r_yrl_drawing_proj_system")->selected,
            std::vector<std::string>{"third_angle"});
}

TEST_F(Ui, ChoosingAndTogglingChangeStateBeforeTheAction) {
  ASSERT_EQ(create("yrlpreferences", "yrlpreferences"), 0);
  const char* d = "yrlpreferences";
  Hook toggled, chosen, cancel;
  int state = -1;
  toggled.run = [&](const std::string& dialog, const std::string& component) {
    UI(VynUICheckbuttonGetState)(1, dialog.c_str(), component.c_str(), &state);
  };
  ASSERT_EQ(UI(VynUICheckbuttonActivateActionSet)(1, d, "c_yrl_automatic_forward", hook_call, &toggled), 0);
  ASSERT_EQ(UI(VynUIRadiogroupSelectActionSet)(1, d, "r_yrl_drawing_proj_system", hook_call, &chosen), 0);
  ASSERT_EQ(UI(VynUIDialogCloseActionSet)(1, d, hook_call, &cancel), 0);
  cancel.run = [](const std::string& dialog, const std::string&) { UI(VynUIDialogExit)(1, dialog.c_str(), -1); };
  yrlhost::script_push(act(ScriptActionKind::check_toggle, d, "c_yrl_automatic_forward"));
  yrlhost::script_push(act(ScriptActionKind::radio_choose, d, "r_yrl_drawing_proj_system", "first_angle"));
  yrlhost::script_push(act(ScriptActionKind::close_box, d));
  EXPECT_EQ(activate(d), -1);
  EXPECT_EQ(state, 1);
  EXPECT_EQ(chosen.seen, std::vector<std::string>{"yrlpreferences/r_yrl_drawing_proj_system"});
  EXPECT_EQ(cancel.seen, std::vector<std::string>{"yrlpreferences/"});
  EXPECT_EQ(yrlhost::ui_component(d, "r_yrl_drawing_proj_system")->selected,
            std::vector<std::string>{"first_angle"});
  EXPECT_TRUE(yrlhost::script_failures().empty());
}

TEST_F(Ui, ADryScriptClosesTheDialogAndNeverHangs) {
  struct Case {
    bool close_action;
    int close_exits_with;  // 0: the close action does not exit
    int status;
  } cases[] = {{false, 0, VYN_TK_USER_ABORT}, {true, -1, -1}, {true, 0, VYN_TK_USER_ABORT}};
  for (const Case& c : cases) {
    yrlhost::host_testing_reset();
    ASSERT_EQ(create("yrlabout", "yrlabout"), 0);
    Hook close;
    if (c.close_action) {
      close.run = [&](const std::string& dialog, const std::string&) {
        if (c.close_exits_with) UI(VynUIDialogExit)(1, dialog.c_str(), c.close_exits_with);
      };
      ASSERT_EQ(UI(VynUIDialogCloseActionSet)(1, "yrlabout", hook_call, &close), 0);
    }
    EXPECT_EQ(activate("yrlabout"), c.status);
    EXPECT_EQ(close.calls, c.close_action ? 1 : 0);
    EXPECT_EQ(yrlhost::script_take_failures().size(), 1u);
    EXPECT_TRUE(yrlhost::ui_active_dialogs().empty());
  }
}

TEST_F(Ui, DestroyKeepsTheLastStateForTests) {
  ASSERT_EQ(create("yrlpreferences", "yrlpreferences"), 0);
  ASSERT_EQ(UI(VynUICheckbuttonSet)(1, "yrlpreferences", "c_yrl_use_drawing_units"), 0);
  Hook cancel;
  cancel.run = [](const std::string& dialog, const std::string&) {
    EXPECT_EQ(UI(VynUIDialogDestroy)(1, dialog.c_str()), VYN_TK_GENERAL_ERROR);  // still active
    UI(VynUIDialogExit)(1, dialog.c_str(), -1);
  };
  ASSERT_EQ(UI(VynUIPushbuttonActivateActionSet)(1, "yrlpreferences", "Cancel", hook_call, &cancel), 0);
  yrlhost::script_push(press("yrlpreferences", "Cancel"));
  EXPECT_EQ(activate("yrlpreferences"), -1);
  ASSERT_EQ(UI(VynUIDialogDestroy)(1, "yrlpreferences"), 0);
  EXPECT_FALSE(yrlhost::ui_dialog_is_open("yrlpreferences"));
  EXPECT_FALSE(yrlhost::ui_component("yrlpreferences", "c_yrl_use_drawing_units"));
  EXPECT_TRUE(yrlhost::ui_component_snapshot("yrlpreferences", "c_yrl_use_drawing_units")->checked);
  EXPECT_EQ(UI(VynUIDialogDestroy)(1, "yrlpreferences"), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(UI(VynUICheckbuttonSet)(1, "yrlpreferences", "c_yrl_use_drawing_units"), VYN_TK_E_NOT_FOUND);

  // A new dialog of the name starts from its layout; the snapshot is the last destroyed.
  ASSERT_EQ(create("yrlpreferences", "yrlpreferences"), 0);
  EXPECT_FALSE(yrlhost::ui_component("yrlpreferences", "c_yrl_use_drawing_units")->checked);
  ASSERT_EQ(UI(VynUIDialogDestroy)(1, "yrlpreferences"), 0);
  EXPECT_FALSE(yrlhost::ui_component_snapshot("yrlpreferences", "c_yrl_use_drawing_units")->checked);
}

TEST_F(Ui, EditableOptionMenusTakeTextAndDisabledLayoutsBlockWhatTheyHold) {
  layout_write("mixed", "optionmenu angle_val_list @editable\noptionmenu fixed_list\n"
                        "layout Lay\npushbutton Inner @in=Lay\npushbutton Done\n");
  ASSERT_EQ(create_own("mixed", "mixed"), 0);
  const char* d = "mixed";
  std::u16string typed;
  Hook value, inner, done;
  value.run = [&](const std::string& dialog, const std::string& component) {
    VynWchar* text = nullptr;
    ASSERT_EQ(UI(VynUIOptionmenuValueGet)(1, dialog.c_str(), component.c_str(), &text), 0);
    typed = text;
  };
  ASSERT_EQ(UI(VynUIOptionmenuActivateActionSet)(1, d, "angle_val_list", hook_call, &value), 0);
  ASSERT_EQ(UI(VynUIPushbuttonActivateActionSet)(1, d, "Inner", hook_call, &inner), 0);
  exit_on_press(d, "Done", done, 0);
  auto word = [](const char* text) { return reinterpret_cast<VynWord>(text); };
  ASSERT_EQ(UI(VynUILayoutDisable)(1, word(d), word("Lay")), 0);

  yrlhost::script_push(typing(d, "angle_val_list", "45", InputEvent::activate));
  yrlhost::script_push(typing(d, "fixed_list", "45", InputEvent::activate));  // not editable
  yrlhost::script_push(press(d, "Inner"));                                   // its layout is disabled
  ScriptAction enable = act(ScriptActionKind::check, "");
  enable.run = [&] { UI(VynUILayoutEnable)(1, word(d), word("Lay")); };
  yrlhost::script_push(enable);
  yrlhost::script_push(press(d, "Inner"));
  yrlhost::script_push(press(d, "Done"));
  EXPECT_EQ(activate(d), 0);
  EXPECT_EQ(typed, wide("45"));
  EXPECT_TRUE(yrlhost::ui_component(d, "angle_val_list")->selected.empty());  // typed, not chosen
  EXPECT_EQ(inner.calls, 1);
  EXPECT_EQ(yrlhost::script_take_failures().size(), 2u);
}

// A tab's pages are the layouts that sit in it; what a page holds can be reached only
// while that page is the tab's selected one, also in a layout inside the page.
TEST_F(Ui, ComponentsOnATabPageThatIsNotSelectedCannotBeReached) {
  layout_write("views", "tab MainTab Ort Sec\nlayout Ort @in=MainTab\nlayout Sec @in=MainTab\n"
                        "pushbutton OrtViewPickBtn @in=Ort\nlayout SecNames @in=Sec\n"
                        "inputpanel SecVNameInput @in=SecNames\npushbutton Close\n");
  ASSERT_EQ(create_own("views", "views"), 0);
  const char* d = "views";
  Hook pick, named, close;
  ASSERT_EQ(UI(VynUIPushbuttonActivateActionSet)(1, d, "OrtViewPickBtn", hook_call, &pick), 0);
  ASSERT_EQ(UI(VynUIInputpanelActivateActionSet)(1, d, "SecVNameInput", hook_call, &named), 0);
  exit_on_press(d, "Close", close, -1);
  ScriptAction to_ort = act(ScriptActionKind::check, "");
  to_ort.run = [&] {  // the plug-in selects the page itself
    VynArray page = yrlhost::host_string_vynarray_make({"Ort"});
    EXPECT_EQ(UI(VynUITabSelectednamesSet)(1, d, "MainTab", 1, page), 0);
    table_row<VynError (*)(int, VynArray)>(HostApi::VynStringvynarrayFree)(1, page);
  };
  struct Step {
    ScriptAction action;
    bool reached;
  } steps[] = {
      {press(d, "OrtViewPickBtn"), true},  // Ort starts selected
      {typing(d, "SecVNameInput", "a-a", InputEvent::activate), false},
      {act(ScriptActionKind::tab_choose, d, "MainTab", "Sec"), true},
      {typing(d, "SecVNameInput", "a-a", InputEvent::activate), true},
      {press(d, "OrtViewPickBtn"), false},
      {to_ort, true},
      {press(d, "OrtViewPickBtn"), true},
  };
  int failures_expected = 0;
  for (const Step& step : steps) {
    yrlhost::script_push(step.action);
    if (!step.reached) ++failures_expected;
  }
  yrlhost::script_push(press(d, "Close"));
  EXPECT_EQ(activate(d), -1);
  EXPECT_EQ(pick.calls, 2);
  EXPECT_EQ(named.calls, 1);
  std::vector<std::string> failures = yrlhost::script_take_failures();
  ASSERT_EQ(failures.size(), static_cast<std::size_t>(failures_expected));
  EXPECT_NE(failures[0].find("page \"Sec\" of tab \"MainTab\" is not the selected page"), std::string::npos)
      << failures[0];
  EXPECT_NE(failures[1].find("page \"Ort\""), std::string::npos) << failures[1];
}

// ---- Functions that take or give host arrays and strings ------------------------------

class UiArrays : public Ui {
 protected:
  // A VynArray of narrow strings, as the plug-in fills one.
  VynArray names(const std::vector<std::string>& texts) {
    VynArray array = yrlhost::host_string_vynarray_make(texts);
    name_arrays_.push_back(array);
    return array;
  }
  // A VynArray of wide strings (VynWchar* elements).
  VynArray labels(const std::vector<std::u16string>& texts) {
    VynArray array = yrlhost::host_array_make(0, sizeof(VynWchar*));
    for (const std::u16string& text : texts) {
      const VynWchar* element = text.c_str();
      yrlhost::host_array_append(&array, &element, 1);
    }
    arrays_.push_back(array);
    return array;
  }
  void arrays_free() {
    for (VynArray array : name_arrays_) vynarray_free(array);
    for (VynArray& array : arrays_) yrlhost::host_array_release(&array);
    name_arrays_.clear();
    arrays_.clear();
  }
  void TearDown() override {
    arrays_free();
    Ui::TearDown();
  }
  std::vector<VynArray> name_arrays_;  // their strings are the host's too
  std::vector<VynArray> arrays_;
};

TEST_F(UiArrays, ListAndTableSelectionReachTheirActions) {
  layout_write("picks", "list SelList\ntable VwTable VwName DtmPlane\npushbutton Close\n");
  ASSERT_EQ(create_own("picks", "picks"), 0);
  const char* d = "picks";
  std::u16string front = wide("Front view"), top = wide("Top view");
  ASSERT_EQ(UI(VynUIListNamesSet)(1, d, "SelList", 2, names({"FRONT", "TOP", "EXTRA"})), 0);
  ASSERT_EQ(UI(VynUIListLabelsSet)(1, d, "SelList", 2, labels({front, top})), 0);
  EXPECT_EQ(UI(VynUIListNamesSet)(1, d, "SelList", 4, names({"A", "B"})), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(yrlhost::ui_component(d, "SelList")->labels, (std::vector<std::string>{"Front view", "Top view"}));
  char row0[] = "Row0", row1[] = "Row1", row2[] = "Row2";
  char* first[] = {row0, row2};
  char* middle[] = {row1};
  ASSERT_EQ(UI(VynUITableRowsInsert)(1, d, "VwTable", nullptr, 2, first), 0);
  ASSERT_EQ(UI(VynUITableRowsInsert)(1, d, "VwTable", "Row0", 1, middle), 0);
  EXPECT_EQ(UI(VynUITableRowsInsert)(1, d, "VwTable", "Row9", 1, middle), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(yrlhost::ui_component(d, "VwTable")->rows, (std::vector<std::string>{"Row0", "Row1", "Row2"}));
  std::u16string label = wide("FRONT");
  ASSERT_EQ(UI(VynUITableCellLabelSet)(1, d, "VwTable", "Row1", "VwName", label.c_str()), 0);
  EXPECT_EQ(UI(VynUITableCellLabelSet)(1, d, "VwTable", "Row1", "Nope", label.c_str()), VYN_TK_E_NOT_FOUND);

  std::vector<std::string> list_seen, table_seen;
  std::string focus;
  Hook list_hook, table_hook, close;
  list_hook.run = [&](const std::string& dialog, const std::string& component) {
    int count = 0;
    char** selected = nullptr;
    ASSERT_EQ(UI(VynUIListSelectednamesGet)(1, dialog.c_str(), component.c_str(), &count, &selected), 0);
    list_seen.assign(selected, selected + count);
    string_array_free(selected, count);
  };
  table_hook.run = [&](const std::string& dialog, const std::string& component) {
    int count = 0;
    char** selected = nullptr;
    ASSERT_EQ(UI(VynUITableSelectednamesGet)(1, dialog.c_str(), component.c_str(), &count, &selected), 0);
    table_seen.assign(selected, selected + count);
    char* row = nullptr;
    char* column = nullptr;
    ASSERT_EQ(UI(VynUITableFocusCellGet)(1, dialog.c_str(), component.c_str(), &row, &column), 0);
    focus = std::string(row) + ":" + column;
    string_array_free(selected, count);
    string_free(row);
    string_free(column);
  };
  ASSERT_EQ(UI(VynUIListSelectActionSet)(1, d, "SelList", hook_call, &list_hook), 0);
  ASSERT_EQ(UI(VynUIListSelectionpolicySet)(1, d, "SelList", yrlhost::ui_list_policy_extended), 0);
  ASSERT_EQ(UI(VynUITableSelectActionSet)(1, d, "VwTable", hook_call, &table_hook), 0);
  exit_on_press(d, "Close", close, -1);

  ScriptAction list_pick = act(ScriptActionKind::list_select, d, "SelList");
  list_pick.names = {"TOP", "FRONT"};
  ScriptAction list_bad = list_pick;
  list_bad.names = {"EXTRA"};  // dropped from the names: only two were set
  ScriptAction table_pick = act(ScriptActionKind::table_select, d, "VwTable");
  table_pick.names = {"Row2", "Row1:DtmPlane"};
  ScriptAction table_bad = table_pick;
  table_bad.names = {"Row1:Other"};
  for (const ScriptAction& action : {list_pick, list_bad, table_pick, table_bad, press(d, "Close")})
    yrlhost::script_push(action);
  EXPECT_EQ(activate(d), -1);
  EXPECT_EQ(list_seen, (std::vector<std::string>{"TOP", "FRONT"}));
  EXPECT_EQ(table_seen, (std::vector<std::string>{"Row2", "VwName", "Row1", "DtmPlane"}));
  EXPECT_EQ(focus, "Row1:DtmPlane");
  EXPECT_EQ(yrlhost::script_take_failures().size(), 2u);
  arrays_free();
  EXPECT_EQ(yrlhost::live_object_count(yrlhost::LiveKind::string), 0u);
  EXPECT_EQ(yrlhost::live_object_count(yrlhost::LiveKind::string_array), 0u);
}

// A list that takes one name at a time (single, browse) refuses a user's or the
// plug-in's selection of several; multiple and extended take any number.
TEST_F(UiArrays, AListsSelectionPolicyIsEnforced) {
  layout_write("lists", "list SelList A B C\nlist List1 A B C @policy=2\npushbutton Close\n");
  ASSERT_EQ(create_own("lists", "lists"), 0);
  const char* d = "lists";
  EXPECT_EQ(yrlhost::ui_component(d, "SelList")->selection_policy, yrlhost::ui_list_policy_single);
  EXPECT_EQ(yrlhost::ui_component(d, "List1")->selection_policy, yrlhost::ui_list_policy_multiple);
  Hook close;
  exit_on_press(d, "Close", close, -1);
  auto word = [](auto value) { return reinterpret_cast<VynWord>(value); };
  auto select_names = [&](int count, VynArray array) {  // a catalogue row, taking words
    return UI(VynUIListSelectednamesSet)(1, word(d), word("SelList"), count, word(array));
  };
  struct Case {
    int policy;
    std::vector<std::string> names;
    bool taken;
  } cases[] = {
      {0, {"A"}, true}, {0, {"A", "B"}, false}, {1, {"B", "C"}, false}, {1, {}, true},
      {2, {"A", "C"}, true}, {3, {"C", "B", "A"}, true}, {3, {"B"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.policy);
    ASSERT_EQ(UI(VynUIListSelectionpolicySet)(1, d, "SelList", c.policy), 0);
    ASSERT_EQ(select_names(0, nullptr), 0);
    ScriptAction choose = act(ScriptActionKind::list_select, d, "SelList");
    choose.names = c.names;
    yrlhost::script_push(choose);
    yrlhost::script_push(press(d, "Close"));
    EXPECT_EQ(activate(d), -1);
    EXPECT_EQ(yrlhost::script_take_failures().size(), c.taken ? 0u : 1u);
    EXPECT_EQ(yrlhost::ui_component(d, "SelList")->selected,
              c.taken ? c.names : std::vector<std::string>{});
    EXPECT_EQ(select_names(2, names({"A", "B"})),
              yrlhost::ui_list_policy_takes_many(c.policy) ? 0 : VYN_TK_BAD_INPUTS);
  }
  // Down to one at a time: the first selected name stays.
  ASSERT_EQ(select_names(2, names({"C", "A"})), 0);
  ASSERT_EQ(UI(VynUIListSelectionpolicySet)(1, d, "SelList", yrlhost::ui_list_policy_browse), 0);
  EXPECT_EQ(yrlhost::ui_component(d, "SelList")->selected, std::vector<std::string>{"C"});
  EXPECT_EQ(UI(VynUIListSelectionpolicySet)(1, d, "SelList", 4), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(UI(VynUIListSelectionpolicySet)(1, d, "SelList", -1), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(yrlhost::ui_component(d, "SelList")->selection_policy, yrlhost::ui_list_policy_browse);
}

TEST_F(UiArrays, SelectedNamesMustBeItemsAndComeBackAsFreeableStrings) {
  ASSERT_EQ(create("yrlpreferences", "yrlpreferences"), 0);
  const char* d = "yrlpreferences";
  EXPECT_EQ(UI(VynUIRadiogroupSelectednamesSet)(1, d, "r_yrl_drawing_proj_system", 1, names({"second_angle"})),
            VYN_TK_E_NOT_FOUND);
  ASSERT_EQ(UI(VynUIRadiogroupSelectednamesSet)(1, d, "r_yrl_drawing_proj_system", 1, names({"first_angle"})), 0);
  EXPECT_EQ(UI(VynUIRadiogroupSelectednamesSet)(1, d, "r_yrl_drawing_proj_system", 2, names({"first_angle"})),
            VYN_TK_BAD_INPUTS);
  int count = 0;
  char** selected = nullptr;
  ASSERT_EQ(UI(VynUIRadiogroupSelectednamesGet)(1, d, "r_yrl_drawing_proj_system", &count, &selected), 0);
  ASSERT_EQ(count, 1);
  EXPECT_STREQ(selected[0], "first_angle");
  string_array_free(selected, count);

  // New buttons (a catalogue row, taking words) keep one of them chosen.
  auto word = [](auto value) { return reinterpret_cast<VynWord>(value); };
  ASSERT_EQ(UI(VynUIRadiogroupNamesSet)(1, word(d), word("r_yrl_drawing_proj_system"), 2,
                                        word(names({"left", "right"}))),
            0);
  EXPECT_EQ(yrlhost::ui_component(d, "r_yrl_drawing_proj_system")->selected, std::vector<std::string>{"left"});

  ASSERT_EQ(UI(VynUIInputpanelStringSet)(1, d, "i_yrl_layer_prefix", "ABC_"), 0);
  char* text = nullptr;
  ASSERT_EQ(UI(VynUIInputpanelStringGet)(1, d, "i_yrl_layer_prefix", &text), 0);
  EXPECT_STREQ(text, "ABC_");
  string_free(text);

  layout_write("menus", "optionmenu depth_type_list\ntab MainTab Ortho Section\n");
  ASSERT_EQ(create_own("menus", "menus"), 0);
  std::u16string blind = wide("Blind"), thru = wide("Thru All");
  ASSERT_EQ(UI(VynUIOptionmenuNamesSet)(1, "menus", "depth_type_list", 2, names({"Blind", "All"})), 0);
  ASSERT_EQ(UI(VynUIOptionmenuLabelsSet)(1, "menus", "depth_type_list", 2, labels({blind, thru})), 0);
  ASSERT_EQ(UI(VynUIOptionmenuSelectednamesSet)(1, "menus", "depth_type_list", 1, names({"All"})), 0);
  VynWchar* value = nullptr;
  ASSERT_EQ(UI(VynUIOptionmenuValueGet)(1, "menus", "depth_type_list", &value), 0);
  EXPECT_EQ(std::u16string(value), thru);
  VynArray chosen = nullptr;
  ASSERT_EQ(UI(VynUIOptionmenuSelectednamesGet)(1, "menus", "depth_type_list", &count, &chosen), 0);
  EXPECT_EQ(yrlhost::host_string_vynarray_read(chosen), std::vector<std::string>{"All"});
  vynarray_free(chosen);
  ASSERT_EQ(UI(VynUITabSelectednamesSet)(1, "menus", "MainTab", 1, names({"Section"})), 0);
  ASSERT_EQ(UI(VynUITabSelectednamesGet)(1, "menus", "MainTab", &count, &chosen), 0);
  EXPECT_EQ(yrlhost::host_string_vynarray_read(chosen), std::vector<std::string>{"Section"});
  vynarray_free(chosen);

  arrays_free();
  for (auto kind : {yrlhost::LiveKind::string, yrlhost::LiveKind::string_array, yrlhost::LiveKind::array})
    EXPECT_EQ(yrlhost::live_object_count(kind), 0u) << yrlhost::live_kind_name(kind);
}

TEST_F(Ui, ACopiedCellComponentBelongsToTheTablesDialog) {
  layout_write("parts", "table PSTable PartName ViewsMapped Active\npushbutton OK\n");
  layout_write("chk", "checkbutton ActiveBtn\n");
  ASSERT_EQ(create_own("parts", "parts"), 0);
  ASSERT_EQ(create_own("chk", "chk"), 0);
  char row0[] = "Row0", row1[] = "Row1";
  char* rows[] = {row0, row1};
  ASSERT_EQ(UI(VynUITableRowsInsert)(1, "parts", "PSTable", nullptr, 2, rows), 0);
  EXPECT_EQ(UI(VynUITableCellComponentCopy)(1, "parts", "PSTable", "Row9", "Active", "chk", "ActiveBtn", "P1"),
            VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(UI(VynUITableCellComponentCopy)(1, "parts", "PSTable", "Row0", "Active", "chk", "Nothing", "P1"),
            VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(UI(VynUITableCellComponentCopy)(1, "parts", "PSTable", "Row0", "Active", "chk", "ActiveBtn", "OK"),
            VYN_TK_E_FOUND);
  ASSERT_EQ(UI(VynUITableCellComponentCopy)(1, "parts", "PSTable", "Row0", "Active", "chk", "ActiveBtn", "PRT1"), 0);
  ASSERT_EQ(UI(VynUITableCellComponentCopy)(1, "parts", "PSTable", "Row1", "Active", "chk", "ActiveBtn", "PRT2"), 0);
  ASSERT_EQ(UI(VynUIDialogDestroy)(1, "chk"), 0);

  Hook toggled, ok;
  ASSERT_EQ(UI(VynUICheckbuttonActivateActionSet)(1, "parts", "PRT2", hook_call, &toggled), 0);
  exit_on_press("parts", "OK", ok, 0);
  yrlhost::script_push(act(ScriptActionKind::check_toggle, "parts", "PRT2"));
  yrlhost::script_push(press("parts", "OK"));
  EXPECT_EQ(activate("parts"), 0);
  EXPECT_EQ(toggled.seen, std::vector<std::string>{"parts/PRT2"});
  std::optional<yrlhost::UiComponent> copy = yrlhost::ui_component("parts", "PRT2");
  EXPECT_TRUE(copy->checked);
  EXPECT_EQ(copy->parent, "PSTable");
  EXPECT_EQ(yrlhost::ui_component("parts", "PSTable")->cells.at({"Row1", "Active"}).component, "PRT2");

  // Deleting the cell's component or its row takes the copy out of the dialog.
  ASSERT_EQ(UI(VynUITableCellComponentDelete)(1, "parts", "PSTable", "Row0", "Active"), 0);
  EXPECT_FALSE(yrlhost::ui_component("parts", "PRT1"));
  EXPECT_EQ(UI(VynUITableCellComponentDelete)(1, "parts", "PSTable", "Row0", "Active"), VYN_TK_E_NOT_FOUND);
  char* doomed[] = {row1};
  ASSERT_EQ(UI(VynUITableRowsDelete)(1, "parts", "PSTable", 1, doomed), 0);
  EXPECT_FALSE(yrlhost::ui_component("parts", "PRT2"));
  EXPECT_EQ(yrlhost::ui_component("parts", "PSTable")->rows, std::vector<std::string>{"Row0"});
  EXPECT_EQ(UI(VynUITableRowsDelete)(1, "parts", "PSTable", 1, doomed), VYN_TK_E_NOT_FOUND);
}

// A table copied into a cell does not own the components in the original's cells.
TEST_F(Ui, ACopiedTableLeavesTheOriginalsCellComponentsAlone) {
  layout_write("nest", "table Inner Col\ntable Outer Col\ncheckbutton Box\n");
  ASSERT_EQ(create_own("nest", "nest"), 0);
  char row[] = "R";
  char* rows[] = {row};
  ASSERT_EQ(UI(VynUITableRowsInsert)(1, "nest", "Inner", nullptr, 1, rows), 0);
  ASSERT_EQ(UI(VynUITableRowsInsert)(1, "nest", "Outer", nullptr, 1, rows), 0);
  ASSERT_EQ(UI(VynUITableCellComponentCopy)(1, "nest", "Inner", "R", "Col", "nest", "Box", "InnerBox"), 0);
  ASSERT_EQ(UI(VynUITableCellComponentCopy)(1, "nest", "Outer", "R", "Col", "nest", "Inner", "InnerCopy"), 0);

  ASSERT_EQ(UI(VynUITableRowsDelete)(1, "nest", "InnerCopy", 1, rows), 0);
  EXPECT_TRUE(yrlhost::ui_component("nest", "InnerBox"));
  EXPECT_EQ(yrlhost::ui_component("nest", "Inner")->cells.at({"R", "Col"}).component, "InnerBox");
}

}  // namespace
