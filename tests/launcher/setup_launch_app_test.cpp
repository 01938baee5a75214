// The splash dialog in the test process: its missing icon, the minimised paint, the
// drag icon and the help command that goes to the application.
#include "launcher/setup_launch_app.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/ui_testing.h"

namespace {

std::vector<std::string> records() {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < ui::ui_testing_record_count(); ++i) lines.emplace_back(ui::ui_testing_record(i));
  return lines;
}

// Whether the lines appear in this order (others may lie between).
bool recorded_in_order(const std::vector<std::string>& wanted) {
  std::size_t next = 0;
  for (const std::string& line : records())
    if (next < wanted.size() && line == wanted[next]) ++next;
  return next == wanted.size();
}

class Splash : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::ui_testing_reset();
    ui::ui_testing_set_app(&trovask::theApp.base);
  }
  void TearDown() override { ui::ui_testing_reset(); }
};

TEST_F(Splash, HasNoIconOfItsOwn) {
  trovask::CSetupLaunchDlg dialog;
  trovask::CSetupLaunchDlg_construct(&dialog, nullptr);
  EXPECT_EQ(dialog.m_hIcon, nullptr);
  EXPECT_EQ(ui::dialog_send_message(&dialog.base, ui::WM_QUERYDRAGICON, 0, 0), 0);
  ASSERT_TRUE(ui::ui_testing_set_script("esc"));
  EXPECT_EQ(ui::dialog_do_modal(&dialog.base), static_cast<ui::INT_PTR>(ui::IDCANCEL));
  EXPECT_TRUE(recorded_in_order({"icon 128 not found", "dialog 102 created 141x64 units, 211x104 pixels, "
                                                        "font \"MS Sans Serif\" 8",
                                 "dialog 102 set big icon 0", "dialog 102 set small icon 0",
                                 "dialog 102 shown", "dialog 102 painted by default", "key esc",
                                 "dialog 102 ended 2"}));
}

TEST_F(Splash, MinimisedPaintsOnlyTheIconCentredInTheEmptyClientArea) {
  trovask::CSetupLaunchDlg dialog;
  trovask::CSetupLaunchDlg_construct(&dialog, nullptr);
  ASSERT_TRUE(ui::ui_testing_set_script("minimise paint restore enter"));
  EXPECT_EQ(ui::dialog_do_modal(&dialog.base), static_cast<ui::INT_PTR>(ui::IDOK));
  const std::vector<std::string> iconic = {
      "dialog 102 paint begins", "dialog 102 erase icon background",
      "draw icon at -15,-15: no icon, nothing drawn", "dialog 102 paint ends"};
  std::vector<std::string> wanted = {"dialog 102 minimised"};
  wanted.insert(wanted.end(), iconic.begin(), iconic.end());
  wanted.insert(wanted.end(), iconic.begin(), iconic.end());
  wanted.insert(wanted.end(), {"dialog 102 restored", "dialog 102 painted by default", "dialog 102 ended 1"});
  EXPECT_TRUE(recorded_in_order(wanted));
}

TEST_F(Splash, IconIsDrawnAtTheCentreOfTheClientArea) {
  // With an icon, a minimised splash of some client size centres it as designed.
  trovask::CSetupLaunchDlg dialog;
  trovask::CSetupLaunchDlg_construct(&dialog, nullptr);
  dialog.m_hIcon = ui::app_load_icon(&trovask::theApp.base, 137);
  ASSERT_NE(dialog.m_hIcon, nullptr);
  dialog.base.window.iconic = true;
  dialog.base.window.client_width = 101;
  dialog.base.window.client_height = 40;
  trovask::CSetupLaunchDlg_OnPaint(&dialog, 0, 0);
  EXPECT_TRUE(recorded_in_order({"draw icon 137 at 35,4"}));
  EXPECT_EQ(ui::dialog_send_message(&dialog.base, ui::WM_QUERYDRAGICON, 0, 0),
            reinterpret_cast<ui::LRESULT>(dialog.m_hIcon));
}

TEST_F(Splash, HelpGoesToTheApplication) {
  trovask::CSetupLaunchDlg dialog;
  trovask::CSetupLaunchDlg_construct(&dialog, nullptr);
  ASSERT_TRUE(ui::ui_testing_set_script("help esc"));
  ui::dialog_do_modal(&dialog.base);
  EXPECT_TRUE(recorded_in_order({"key f1", "help requested: no help file"}));
}

}  // namespace
