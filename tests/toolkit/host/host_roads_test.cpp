// The toolkit's forwarding functions against the stand-in host's behaviour: a menu
// button registered through the API runs its command when the scripted user presses it,
// the command's dialog takes the user's next actions, and data stored in a drawing
// through the API comes back after the drawing is saved and reopened.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "host/events.h"
#include "host/live_objects.h"
#include "host/menus.h"
#include "host/models.h"
#include "host/plugin_session.h"
#include "host/script.h"
#include "host/script_text.h"
#include "host/ui.h"
#include "tests/toolkit/toolkit_test.h"
#include "toolkit/api/app_api.h"

namespace {

class HostRoads : public yrltest::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    text_dir = yrlhost::session_defaults().text_dir;
    yrltest::StartArgs args;
    args.text_dir = text_dir.c_str();
    ASSERT_EQ(start(args), 0) << error();
  }

  void TearDown() override {
    EXPECT_TRUE(yrlhost::script_failures().empty());
    ToolkitTest::TearDown();
  }

  static void push(const std::string& line) {
    std::string why;
    ASSERT_TRUE(yrlhost::script_push_text(line, why)) << line << ": " << why;
  }

  std::string text_dir;
};

const VynWchar menubar_file[] = u"yrl_menubar_msg.txt";

int dialog_status = -100;
int offered = 3;

int offer() { return offered; }

void exit_with_yes(char* dialog, char*, void*) { VynUIDialogExit(dialog, 1); }
void exit_with_no(char* dialog, char*, void*) { VynUIDialogExit(dialog, 0); }

// The command: a confirmation dialog whose buttons end it with 1 or 0.
int confirm_command() {
  if (VynUIDialogCreate("yrlconfirmdlg", "yrlconfirmdlg") != 0) return -1;
  VynUIPushbuttonActivateActionSet("yrlconfirmdlg", "yes_btn", exit_with_yes, nullptr);
  VynUIPushbuttonActivateActionSet("yrlconfirmdlg", "no_btn", exit_with_no, nullptr);
  VynUIDialogActivate("yrlconfirmdlg", &dialog_status);
  VynUIDialogDestroy("yrlconfirmdlg");
  return 0;
}

TEST_F(HostRoads, AMenuButtonRunsItsCommandAndItsDialogTakesTheUsersActions) {
  ASSERT_EQ(VynMenubarmenuMenuAdd("Utilities", "TestMenu", "Yrlform",
                                  "Utilities.psh_util_holetable", 1, menubar_file),
            0);
  VynCmd command = nullptr;
  ASSERT_EQ(VynCmdActionAdd("TestConfirm", confirm_command, 2, offer, 1, 1, &command), 0);
  ASSERT_EQ(VynMenubarmenuPushbuttonAdd("TestMenu", "TestButton", "Button About",
                                        "Button About Help", "", 1, command, menubar_file),
            0);
  std::vector<yrlhost::MenuEntry> utilities = yrlhost::menu_entries("Utilities");
  ASSERT_GE(utilities.size(), 2u);
  EXPECT_EQ(utilities[1].name, "TestMenu");  // right after the hole-table button

  dialog_status = -100;
  push("menu TestMenu TestButton");
  push("press yrlconfirmdlg no_btn");
  push("menu TestMenu TestButton");
  push("press yrlconfirmdlg yes_btn");
  yrlhost::script_run();
  EXPECT_EQ(dialog_status, 1);
  EXPECT_FALSE(yrlhost::ui_dialog_is_open("yrlconfirmdlg"));
  EXPECT_TRUE(yrlhost::ui_dialog_snapshot("yrlconfirmdlg").has_value());

  // A command that is not offered does not run, and the press fails the script.
  offered = 0;
  dialog_status = -100;
  push("menu TestMenu TestButton");
  yrlhost::script_run();
  offered = 3;
  EXPECT_EQ(dialog_status, -100);
  EXPECT_EQ(yrlhost::script_take_failures().size(), 1u);

  const std::vector<std::string>& events = yrlhost::host_events();
  EXPECT_NE(std::find(events.begin(), events.end(), "dialog yrlconfirmdlg closed with status 1"),
            events.end());
}

TEST_F(HostRoads, DataStoredInADrawingSurvivesSaveAndReopen) {
  std::string why;
  ASSERT_NE(yrlhost::host_model_create(yrlhost::model_type_drawing, "SHEETS", why), nullptr) << why;
  VynMdl drawing = nullptr;
  ASSERT_EQ(VynMdlCurrentGet(&drawing), 0);
  ASSERT_EQ(VynExtdataInit(drawing), 0);
  VynExtdataClass data_class{};
  ASSERT_EQ(VynExtdataClassRegister(drawing, u"Y_V", &data_class), 0);
  VynExtdataSlot slot{};
  ASSERT_EQ(VynExtdataSlotCreate(&data_class, u"YRL_DWGSCALE", &slot), 0);
  double scale = 2.5;
  ASSERT_EQ(VynExtdataSlotWrite(&slot, 4098, 2, 0, &scale), 0);

  std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("yrl_roads_" + std::to_string(::getpid()) + ".drw");
  ASSERT_TRUE(yrlhost::host_model_save(drawing, file.string(), why)) << why;
  ASSERT_EQ(VynMdlErase(drawing), 0);
  VynMdl reopened = yrlhost::host_model_open(file.string(), why);
  std::filesystem::remove(file);
  ASSERT_NE(reopened, nullptr) << why;

  ASSERT_EQ(VynMdlCurrentGet(&drawing), 0);
  EXPECT_EQ(drawing, reopened);
  VynExtdataClass again{drawing, u"Y_V"};
  VynExtdataSlot read_slot{&again, u"YRL_DWGSCALE"};
  int type = 0, size = 0;
  void* value = nullptr;
  ASSERT_EQ(VynExtdataSlotRead(&read_slot, 4098, &type, &size, &value), 0);
  EXPECT_EQ(type, 2);
  ASSERT_EQ(size, static_cast<int>(sizeof(double)));
  EXPECT_EQ(*static_cast<double*>(value), 2.5);
  EXPECT_EQ(yrlhost::live_object_count(yrlhost::LiveKind::extdata), 1u);
  EXPECT_EQ(VynExtdataFree(&value), 0);
  EXPECT_EQ(value, nullptr);
  EXPECT_EQ(yrlhost::live_object_count(yrlhost::LiveKind::extdata), 0u);
}

}  // namespace
