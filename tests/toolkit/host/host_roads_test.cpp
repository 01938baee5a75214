// The toolkit's forwarding functions against the stand-in host's behaviour: a menu
// button registered through the API runs its command when the scripted user presses it,
// the command's dialog takes the user's next actions, and data stored in a drawing
// through the API comes back after the drawing is saved and reopened, and an element tree
// built through the API is the host's tree.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "host/store/elemtrees.h"
#include "host/util/events.h"
#include "host/util/live_objects.h"
#include "host/ui/menus.h"
#include "host/store/models.h"
#include "host/files/model_files.h"
#include "host/plugin/plugin_session.h"
#include "host/script/script.h"
#include "host/script/script_text.h"
#include "host/ui/ui.h"
#include "tests/toolkit/toolkit_test.h"
#include "toolkit/api/app_api.h"
#include "toolkit/api/catalogue_drawing_featref_api.h"
#include "toolkit/api/catalogue_udfvardim_xsec_api.h"

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

// The application's building block: an element with a value under a parent.
VynElement element_added(VynElement parent, int id, VynValuedata data) {
  VynElement element = nullptr;
  EXPECT_EQ(VynElementAlloc(id, &element), 0);
  VynValue value = nullptr;
  EXPECT_EQ(VynValueAlloc(&value), 0);
  EXPECT_EQ(VynValueDataSet(value, &data), 0);
  EXPECT_EQ(VynElementValueSet(element, value), 0);
  EXPECT_EQ(VynElemtreeElementAdd(parent, nullptr, element), 0);
  return element;
}

// The value of the element at a path of (kind, value) steps, read as the utilities read it.
VynValuedata value_at(VynElement tree, const std::vector<VynElempathItem>& steps) {
  VynElempath path = nullptr;
  EXPECT_EQ(VynElempathAlloc(&path), 0);
  EXPECT_EQ(VynElempathDataSet(path, steps.data(), static_cast<int>(steps.size())), 0);
  VynElement element = nullptr;
  VynValue value = nullptr;
  VynValuedata data{};
  EXPECT_EQ(VynElemtreeElementGet(tree, path, &element), 0);
  EXPECT_EQ(VynElementValueGet(element, &value), 0);
  EXPECT_EQ(VynValueDataGet(value, &data), 0);
  EXPECT_EQ(VynElempathFree(&path), 0);
  return data;
}

VynError count_element(VynElement, VynElempath, void* count) {
  ++*static_cast<int*>(count);
  return 0;
}

TEST_F(HostRoads, AnElementTreeBuiltThroughTheApiIsTheHostsTree) {
  // A datum plane's tree: 410 is an array of constraints {412 type, 413 reference, 414
  // offset}, built as the application builds it.
  VynElement root = nullptr;
  ASSERT_EQ(VynElementAlloc(386, &root), 0);
  element_added(root, 387, {VYN_VALUE_TYPE_INT, 0, {.i = 923}});
  VynElement constraints = nullptr, constraint = nullptr;
  ASSERT_EQ(VynElementAlloc(410, &constraints), 0);
  ASSERT_EQ(VynElemtreeElementAdd(root, nullptr, constraints), 0);
  ASSERT_EQ(VynElementAlloc(411, &constraint), 0);
  ASSERT_EQ(VynElemtreeElementAdd(constraints, nullptr, constraint), 0);
  element_added(constraint, 412, {VYN_VALUE_TYPE_INT, 0, {.i = 3}});
  element_added(constraint, 414, {VYN_VALUE_TYPE_DOUBLE, 0, {.d = 10.0}});
  EXPECT_EQ(yrlhost::tree_value_read(root, {410, 411, 414}, VYN_VALUE_TYPE_DOUBLE).data.value.d,
            10.0);

  // The utilities' path: element id, array index, element id.
  EXPECT_EQ(value_at(root, {{1, 410}, {2, 0}, {1, 412}}).value.i, 3);
  // Their replacement of a value: the old one freed, a new one set.
  VynElement offset = nullptr;
  VynElempath path = nullptr;
  const VynElempathItem to_offset[] = {{1, 410}, {2, 0}, {1, 414}};
  ASSERT_EQ(VynElempathAlloc(&path), 0);
  ASSERT_EQ(VynElempathDataSet(path, to_offset, 3), 0);
  ASSERT_EQ(VynElemtreeElementGet(root, path, &offset), 0);
  VynValue old_value = nullptr, new_value = nullptr;
  ASSERT_EQ(VynElementValueGet(offset, &old_value), 0);
  EXPECT_EQ(VynValueFree(old_value), 0);
  VynValuedata flipped{VYN_VALUE_TYPE_DOUBLE, 0, {.d = -10.0}};
  ASSERT_EQ(VynValueAlloc(&new_value), 0);
  ASSERT_EQ(VynValueDataSet(new_value, &flipped), 0);
  ASSERT_EQ(VynElementValueSet(offset, new_value), 0);
  EXPECT_EQ(value_at(root, {{1, 410}, {2, 0}, {1, 414}}).value.d, -10.0);

  // The catalogue's queries and list of values.
  int flag = -1, count = 0;
  EXPECT_EQ(VynElementIsArray(root, nullptr, &flag), 0);
  EXPECT_EQ(flag, 0);
  const VynElempathItem to_constraints[] = {{1, 410}};
  ASSERT_EQ(VynElempathDataSet(path, to_constraints, 1), 0);
  EXPECT_EQ(VynElementIsArray(root, path, &flag), 0);
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(VynElementArrayCount(root, path, &count), 0);
  EXPECT_EQ(count, 1);
  VynValue* values = nullptr;
  ASSERT_EQ(VynElementValuesGet(offset, &values), 0);
  EXPECT_EQ(VynElementValuesSet(offset, nullptr, values), 0);
  EXPECT_EQ(VynElementIsMultival(offset, nullptr, &flag), 0);
  EXPECT_EQ(flag, 1);
  VynArray values_array = values;
  EXPECT_EQ(VynArrayFree(&values_array), 0);
  count = 0;
  EXPECT_EQ(VynElemtreeElementVisit(root, nullptr, nullptr, count_element, &count), 0);
  EXPECT_EQ(count, 6);
  EXPECT_EQ(VynElempathFree(&path), 0);
  EXPECT_EQ(VynElementFree(reinterpret_cast<VynWord>(root)), 0);
  EXPECT_EQ(yrlhost::tree_counts().elements, 0u);
  EXPECT_EQ(yrlhost::tree_counts().values, 0u);
  EXPECT_EQ(yrlhost::tree_counts().paths, 0u);
}

}  // namespace
