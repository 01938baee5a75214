// The headless dialog framework: modal loop driven by scripted keys, message maps, the
// routing of commands to the application, painting records and the thread gate.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/ui/framework.h"
#include "platform/ui/ui_testing.h"

namespace {

std::vector<std::string> records() {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < ui::ui_testing_record_count(); ++i) lines.emplace_back(ui::ui_testing_record(i));
  return lines;
}

bool has_record(const std::string& line) {
  for (const std::string& r : records())
    if (r == line) return true;
  return false;
}

int g_exchanges = 0;
int g_paints = 0;

void count_exchange(ui::Dialog*) { ++g_exchanges; }
ui::LRESULT count_paint(void*, ui::WPARAM, ui::LPARAM) {
  ++g_paints;
  return 0;
}

const ui::DialogTemplate kTemplates[] = {{7, 100, 40, "Sans", 8}};
const ui::IconResource kIcons[] = {{5}};
const ui::Resources kResources = {kTemplates, 1, kIcons, 1};
const ui::MessageEntry kAppMap[] = {{ui::WM_COMMAND, ui::ID_HELP, ui::app_on_help}};
const ui::AppClass kAppClass = {nullptr, kAppMap, 1};
const ui::MessageEntry kPaintMap[] = {{ui::WM_PAINT, 0, count_paint}};
const ui::DialogClass kPlainClass = {nullptr, count_exchange, nullptr, 0};
const ui::DialogClass kPaintingClass = {nullptr, nullptr, kPaintMap, 1};

class UiFramework : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::ui_testing_reset();
    ui::ui_testing_set_app(&app_);
    g_exchanges = 0;
    g_paints = 0;
  }
  void TearDown() override { ui::ui_testing_reset(); }

  ui::App app_{&kAppClass, &kResources, nullptr};
};

TEST_F(UiFramework, EnterAndEscEndTheModalLoopWithOkAndCancel) {
  struct Case {
    const char* script;
    ui::INT_PTR result;
    int exchanges;  // on initialisation, and again for OK
  };
  for (const Case& c : {Case{"enter", ui::IDOK, 2}, Case{"esc", ui::IDCANCEL, 1},
                        Case{"paint, esc", ui::IDCANCEL, 1}}) {
    SetUp();
    ASSERT_TRUE(ui::ui_testing_set_script(c.script));
    ui::Dialog dialog;
    ui::dialog_construct(&dialog, &kPlainClass, 7, nullptr);
    EXPECT_EQ(ui::dialog_do_modal(&dialog), c.result) << c.script;
    EXPECT_EQ(g_exchanges, c.exchanges) << c.script;
    EXPECT_TRUE(has_record("dialog 7 created 100x40 units, 150x65 pixels, font \"Sans\" 8"));
    EXPECT_TRUE(has_record("dialog 7 ended " + std::to_string(c.result)));
  }
}

TEST_F(UiFramework, MissingTemplateFailsWithoutWaiting) {
  ui::Dialog dialog;
  ui::dialog_construct(&dialog, &kPlainClass, 99, nullptr);
  EXPECT_EQ(ui::dialog_do_modal(&dialog), -1);
  EXPECT_TRUE(has_record("dialog 99: no template"));
}

TEST_F(UiFramework, MessageMapTakesPaintBeforeTheDefault) {
  ASSERT_TRUE(ui::ui_testing_set_script("paint minimise restore esc"));
  ui::Dialog dialog;
  ui::dialog_construct(&dialog, &kPaintingClass, 7, nullptr);
  ui::dialog_do_modal(&dialog);
  // The first paint as the dialog shows, then one each for paint, minimise, restore.
  EXPECT_EQ(g_paints, 4);
  EXPECT_FALSE(has_record("dialog 7 painted by default"));
  EXPECT_TRUE(has_record("dialog 7 minimised"));
  EXPECT_TRUE(has_record("dialog 7 restored"));
}

TEST_F(UiFramework, MinimisedClientAreaIsEmpty) {
  ui::ui_testing_set_script("minimise esc");
  ui::Dialog dialog;
  ui::dialog_construct(&dialog, &kPlainClass, 7, nullptr);
  ui::dialog_do_modal(&dialog);
  EXPECT_TRUE(ui::dialog_is_iconic(&dialog));
  ui::RECT rect;
  ui::dialog_get_client_rect(&dialog, &rect);
  EXPECT_EQ(rect.right, 0);
  EXPECT_EQ(rect.bottom, 0);
}

TEST_F(UiFramework, UnhandledCommandsReachTheApplicationsMap) {
  ui::ui_testing_set_script("help esc");
  ui::Dialog dialog;
  ui::dialog_construct(&dialog, &kPlainClass, 7, nullptr);
  ui::dialog_do_modal(&dialog);
  EXPECT_TRUE(has_record("help requested: no help file"));
}

TEST_F(UiFramework, SetIconKeepsBothSlotsAndReturnsThePrevious) {
  ui::Dialog dialog;
  ui::dialog_construct(&dialog, &kPlainClass, 7, nullptr);
  ui::HICON icon = ui::app_load_icon(&app_, 5);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(ui::app_load_icon(&app_, 6), nullptr);
  EXPECT_EQ(ui::dialog_send_message(&dialog, ui::WM_SETICON, ui::ICON_BIG, reinterpret_cast<ui::LPARAM>(icon)), 0);
  EXPECT_EQ(dialog.window.big_icon, icon);
  EXPECT_EQ(dialog.window.small_icon, nullptr);
  EXPECT_EQ(ui::dialog_send_message(&dialog, ui::WM_SETICON, ui::ICON_BIG, 0), reinterpret_cast<ui::LRESULT>(icon));
  EXPECT_TRUE(has_record("dialog 7 set big icon 5"));
  EXPECT_TRUE(has_record("dialog 7 set big icon 0"));
}

TEST_F(UiFramework, DrawIconDrawsNothingForANullIcon) {
  ui::Dialog dialog;
  ui::dialog_construct(&dialog, &kPlainClass, 7, nullptr);
  ui::HDC dc = ui::dialog_begin_paint(&dialog);
  EXPECT_FALSE(ui::draw_icon(dc, -15, -15, nullptr));
  EXPECT_TRUE(ui::draw_icon(dc, 1, 2, ui::app_load_icon(&app_, 5)));
  ui::dialog_end_paint(&dialog, dc);
  EXPECT_TRUE(has_record("draw icon at -15,-15: no icon, nothing drawn"));
  EXPECT_TRUE(has_record("draw icon 5 at 1,2"));
  EXPECT_EQ(ui::GetSystemMetrics(ui::SM_CXICON), 32);
  EXPECT_EQ(ui::GetSystemMetrics(ui::SM_CYICON), 32);
}

TEST_F(UiFramework, ScriptRejectsUnknownCommandsWhole) {
  EXPECT_FALSE(ui::ui_testing_set_script("paint, jump"));
  EXPECT_FALSE(ui::ui_testing_post("jump"));
  EXPECT_TRUE(ui::ui_testing_post("esc"));
  ui::Dialog dialog;
  ui::dialog_construct(&dialog, &kPlainClass, 7, nullptr);
  EXPECT_EQ(ui::dialog_do_modal(&dialog), ui::IDCANCEL);
}

TEST_F(UiFramework, RecordReadStaysValidWhileMoreIsRecorded) {
  ui::Enable3dControlsStatic();
  const char* line = ui::ui_testing_record(0);
  ASSERT_NE(line, nullptr);
  // Enough records that the store must grow and move.
  std::thread other([] {
    for (int i = 0; i < 1000; ++i) ui::Enable3dControlsStatic();
  });
  other.join();
  EXPECT_STREQ(line, "3d controls on");
  EXPECT_EQ(ui::ui_testing_record(1000), std::string("3d controls on"));
  EXPECT_EQ(ui::ui_testing_record(1001), nullptr);
}

TEST_F(UiFramework, ActionsPostedFromAnotherThreadReachTheLoop) {
  ui::Dialog dialog;
  ui::dialog_construct(&dialog, &kPlainClass, 7, nullptr);
  std::thread user([] { ui::ui_testing_post("enter"); });
  EXPECT_EQ(ui::dialog_do_modal(&dialog), ui::IDOK);
  user.join();
}

std::atomic<int> g_thread_runs{0};
ui::DWORD note_run(void*) {
  g_thread_runs.fetch_add(1);
  return 0;
}

TEST_F(UiFramework, HeldThreadsRunOnlyAfterRelease) {
  g_thread_runs = 0;
  ASSERT_TRUE(ui::ui_testing_set_script("hold esc"));
  ui::DWORD id = 0;
  ASSERT_NE(ui::CreateThread(nullptr, 0, note_run, nullptr, 0, &id), nullptr);
  ui::Dialog dialog;
  ui::dialog_construct(&dialog, &kPlainClass, 7, nullptr);
  ui::dialog_do_modal(&dialog);
  // The script ended the dialog without releasing: the routine has not run.
  EXPECT_EQ(g_thread_runs.load(), 0);
  ui::ui_testing_set_script("release esc");
  ui::dialog_do_modal(&dialog);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (g_thread_runs.load() == 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(g_thread_runs.load(), 1);
  EXPECT_TRUE(has_record("threads released"));
}

}  // namespace
