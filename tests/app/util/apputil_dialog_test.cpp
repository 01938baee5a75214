// The message dialogs, the yes/no dialog, the About dialog and the online help, with the
// scripted user answering.
#include <string>

#include <gtest/gtest.h>

#include "app/prefs/prefs.h"
#include "app/util/apputil.h"
#include "host/plugin/call_log.h"
#include "host/display/graphics.h"
#include "host/ui/messages.h"
#include "host/ui/ui.h"
#include "tests/app/util/apputil_fixture.h"

namespace {

class Dialogs : public yrltest::UtilTest {
 protected:
  static std::string label(const std::string& dialog, const std::string& component) {
    auto c = yrlhost::ui_component_snapshot(dialog, component);
    return c ? c->text : "<none>";
  }
  static std::string title(const std::string& dialog) {
    auto d = yrlhost::ui_dialog_snapshot(dialog);
    return d ? d->title : "<none>";
  }
  static std::string last_message() {
    auto shown = yrlhost::messages_displayed();
    return shown.empty() ? "" : shown.back();
  }
};

TEST_F(Dialogs, OneButtonDialogsShowTextAndTitle) {
  struct Case {
    const char* dialog;
    int (*show)(const char*, const char*);
  } cases[] = {{"error", ErrorDialog}, {"confirm", ConfirmDialog}, {"message", MessageDialog}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dialog);
    user(std::string("press ") + c.dialog + " OK");
    EXPECT_EQ(c.show("PARTMODEL ERROR", "No VIEWS.\nUse View Setup."), 0);
    EXPECT_EQ(title(c.dialog), "PARTMODEL ERROR");
    EXPECT_EQ(label(c.dialog, "label1"), "No VIEWS.\nUse View Setup.");
    EXPECT_FALSE(yrlhost::ui_dialog_is_open(c.dialog));

    user(std::string("press ") + c.dialog + " OK");
    EXPECT_EQ(c.show(nullptr, "text"), 0);
    EXPECT_EQ(title(c.dialog), "Message");
  }
}

TEST_F(Dialogs, LongTextsAreCutForDisplayOnly) {
  std::string text(300, 't');
  std::string heading(100, 'h');
  user("press error OK");
  EXPECT_EQ(ErrorDialog(heading.c_str(), text.c_str()), 0);
  EXPECT_EQ(label("error", "label1"), std::string(255, 't'));
  EXPECT_EQ(title("error"), std::string(80, 'h'));
  EXPECT_EQ(text, std::string(300, 't'));
}

TEST_F(Dialogs, NullTextShowsNothing) {
  EXPECT_EQ(ErrorDialog("title", nullptr), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(OkCancelDialog("title", nullptr, nullptr), VYN_TK_BAD_INPUTS);
  EXPECT_FALSE(yrlhost::ui_dialog_snapshot("error"));
  EXPECT_TRUE(yrlhost::call_log_of("VynUIDialogCreate_v").empty());
}

TEST_F(Dialogs, SetUpFailuresAreReportedAndTheDialogTakenDown) {
  struct Case {
    const char* key;
    int call;
    const char* text;
  } cases[] = {
      {"VynUIDialogCreate_v", 1, "Error occurs in dialog create"},
      {"VynUIPushbuttonActivateActionSet_v", 1, "Error occurs in push button activate"},
      {"VynUILabelTextSet_v", 1, "Error occurs in label text set"},
      {"VynUIDialogTitleSet_v", 1, "Error occurs in title set"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    yrlhost::call_log_fail_on_call(c.key, c.call, -4);
    EXPECT_EQ(ErrorDialog("t", "x"), -4);
    EXPECT_EQ(last_message(), std::string("YRLFORM ERROR ") + c.text);
    EXPECT_FALSE(yrlhost::ui_dialog_is_open("error"));
  }
  struct Case ok_cancel[] = {
      {"VynUIDialogCreate_v", 1, "Error occurs in push button create"},
      {"VynUIPushbuttonActivateActionSet_v", 1, "Error occurs in OK push button activate"},
      {"VynUIPushbuttonActivateActionSet_v", 2, "Error occurs in CANCEL push button activate"},
      {"VynUILabelTextSet_v", 1, "Error occurs in setting LABEL text"},
      {"VynUIDialogTitleSet_v", 1, "Error occurs in setting TITLE text"},
  };
  for (const Case& c : ok_cancel) {
    SCOPED_TRACE(c.text);
    yrlhost::call_log_fail_on_call(c.key, c.call, -4);
    int ok = 1;
    EXPECT_EQ(OkCancelDialog("t", "x", &ok), -4);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(last_message(), std::string("YRLFORM ERROR ") + c.text);
    EXPECT_FALSE(yrlhost::ui_dialog_is_open("okcancel"));
  }
  // The next dialog of the same name opens normally.
  user("press error OK");
  EXPECT_EQ(ErrorDialog("t", "x"), 0);
}

TEST_F(Dialogs, OkCancelAndYesNo) {
  int ok = -1;
  user("press okcancel OK");
  EXPECT_EQ(OkCancelDialog(nullptr, "Save?", &ok), 0);
  EXPECT_EQ(ok, 1);
  EXPECT_EQ(title("okcancel"), "Confirm?");
  EXPECT_EQ(label("okcancel", "label1"), "Save?");
  user("press okcancel Cancel");
  EXPECT_EQ(OkCancelDialog("Q", "Save?", &ok), 0);
  EXPECT_EQ(ok, 0);
  user("press okcancel OK");
  EXPECT_EQ(OkCancelDialog("Q", "Save?", nullptr), 0);

  user("press yrlconfirmdlg yes_btn");
  EXPECT_EQ(YrlConfirmDlg("YRL_BROWSER_OPEN_FAILED"), 1);
  EXPECT_EQ(label("yrlconfirmdlg", "msg_label"), "Could not open the online help.");
  EXPECT_EQ(yrlhost::ui_dialog_snapshot("yrlconfirmdlg")->default_button, "no_btn");
  user("press yrlconfirmdlg no_btn");
  EXPECT_EQ(YrlConfirmDlg("YRL_BROWSER_OPEN_FAILED"), 0);
  EXPECT_FALSE(yrlhost::ui_dialog_is_open("yrlconfirmdlg"));
  // A failed set-up answers no.
  yrlhost::call_log_fail_on_call("VynUIDialogCreate_v", 1);
  EXPECT_EQ(YrlConfirmDlg("YRL_BROWSER_OPEN_FAILED"), 0);
  EXPECT_EQ(YrlConfirmDlg(nullptr), 0);
}

TEST_F(Dialogs, AboutClosesByButtonOrCloseBox) {
  user("press yrlabout CloseButton");
  EXPECT_EQ(YrlAboutDialog(), 0);
  EXPECT_EQ(title("yrlabout"), "About Yrlform");
  EXPECT_EQ(yrlhost::ui_dialog_snapshot("yrlabout")->default_button, "CloseButton");
  user("close yrlabout");
  EXPECT_EQ(YrlAboutDialog(), 0);
  EXPECT_FALSE(yrlhost::ui_dialog_is_open("yrlabout"));

  struct Case {
    const char* key;
    const char* shown;
  } cases[] = {{"VynUIDialogCreate_v", "yrlabout"},
               {"VynUIPushbuttonActivateActionSet_v", "Close"},
               {"VynUIDialogTitleSet_v", "Title Set"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    yrlhost::call_log_fail_on_call(c.key, 1);
    EXPECT_EQ(YrlAboutDialog(), 0);
    EXPECT_EQ(last_message(), std::string("Could not set up the dialog: ") + c.shown + ".");
    EXPECT_FALSE(yrlhost::ui_dialog_is_open("yrlabout"));
  }
}

TEST_F(Dialogs, HelpOpensTheStartPage) {
  const std::string page = text_dir + "\\html\\usascii\\start.htm";
  preferences.use_embed_browser = 0;
  EXPECT_EQ(YrlOpenHelpBrowser(), 0);
  ASSERT_FALSE(yrlhost::urls_shown().empty());
  EXPECT_EQ(yrlhost::urls_shown().back().url, page);
  EXPECT_EQ(yrlhost::urls_shown().back().title, "Yrlform Online Help");

  preferences.use_embed_browser = 1;
  EXPECT_EQ(YrlOpenHelpBrowser(), 0);
  const yrlhost::WindowState* window = yrlhost::window_find(yrlhost::window_current());
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->url, page);
  EXPECT_EQ(window->browser_size, 98.0);

  yrlhost::call_log_fail_on_call("VynWindowURLShow_v", 1, -3);
  EXPECT_EQ(YrlOpenHelpBrowser(), -3);
  EXPECT_EQ(last_message(), "Could not open the online help.");
}

}  // namespace
