// The preferences: config.yrl read and written, and the "yrlpreferences" dialog driven by
// the scripted user through the Preferences command.
#include "app/prefs/prefs.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/storage/storage.h"
#include "app/views/viewdata.h"
#include "host/display/graphics.h"
#include "host/ui/messages.h"
#include "host/script/script.h"
#include "host/ui/ui.h"
#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"
#include "runtime/text/lang.h"
#include "tests/app/app_test.h"
#include "tests/fileaccess/fault_sweep.h"
#include "tests/support/file_size_limit.h"

namespace {

using yrltest::read_file;
using yrltest::write_file;

// The record as the reader leaves it without a file.
YrlPreferencesData defaults() {
  YrlPreferencesData d{};
  d.loaded = 1;
  std::strcpy(d.layer_prefix, "YRL_");
  d.auto_view_map = 1;
  d.set_new_part_active = 1;
  d.use_drawing_name = 1;
  d.use_drawing_units = 1;
  std::strcpy(d.drawing_proj_system, "third_angle");
  d.auto_drawing_view_create = 1;
  d.tolerance = 0.01;
  return d;
}

void expect_same(const YrlPreferencesData& a, const YrlPreferencesData& b) {
  EXPECT_EQ(a.loaded, b.loaded);
  EXPECT_STREQ(a.layer_prefix, b.layer_prefix);
  EXPECT_EQ(a.auto_view_map, b.auto_view_map);
  EXPECT_EQ(a.set_new_part_active, b.set_new_part_active);
  EXPECT_EQ(a.use_drawing_name, b.use_drawing_name);
  EXPECT_EQ(a.use_drawing_units, b.use_drawing_units);
  EXPECT_EQ(a.automatic_forward, b.automatic_forward);
  EXPECT_EQ(a.crdt_ent_sec_vyn_fix, b.crdt_ent_sec_vyn_fix);
  EXPECT_STREQ(a.drawing_proj_system, b.drawing_proj_system);
  EXPECT_EQ(a.auto_drawing_view_create, b.auto_drawing_view_create);
  EXPECT_EQ(a.tolerance, b.tolerance);
  EXPECT_EQ(a.add_debug_commands, b.add_debug_commands);
  EXPECT_EQ(a.use_embed_browser, b.use_embed_browser);
}

class Preferences : public yrltest::AppTest {
 protected:
  void SetUp() override {
    yrltest::AppTest::SetUp();
    ASSERT_EQ(start_app(), 0);
  }

  // The record that config.yrl with text gives.
  static YrlPreferencesData read_text(const std::string& text) {
    write_file("config.yrl", text);
    YrlPreferencesData record{};
    EXPECT_EQ(YrlPreferencesRead(&record), 0);
    return record;
  }

  static bool displayed(const std::string& key) {
    for (const yrlhost::MessageRecord& m : yrlhost::message_log())
      if (m.key == key) return true;
    return false;
  }

  // The first values of the messages shown with key, from the from-th record of the log on.
  static std::vector<std::string> shown_values(const std::string& key, std::size_t from = 0) {
    std::vector<std::string> values;
    const std::vector<yrlhost::MessageRecord>& log = yrlhost::message_log();
    for (std::size_t i = from; i < log.size(); ++i)
      if (log[i].key == key) values.push_back(log[i].values.empty() ? "" : log[i].values[0]);
    return values;
  }

  static bool displayed_since(const std::string& key, std::size_t from) {
    const std::vector<yrlhost::MessageRecord>& log = yrlhost::message_log();
    for (std::size_t i = from; i < log.size(); ++i)
      if (log[i].key == key) return true;
    return false;
  }

  // The names in the process's current directory.
  static std::vector<std::string> directory_names() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator("."))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(Preferences, AMissingFileGivesTheDefaults) {
  YrlPreferencesData record{};
  EXPECT_EQ(YrlPreferencesRead(&record), 0);
  expect_same(record, defaults());
  // Null fills the global record.
  EXPECT_EQ(YrlPreferencesRead(nullptr), 0);
  expect_same(preferences, defaults());
}

// Each line and what it changes in the defaults.
struct LineCase {
  std::string text;
  std::function<void(YrlPreferencesData&)> change;
};

TEST_F(Preferences, LinesAreReadByTheirKeys) {
  const LineCase cases[] = {
      {"YRL_AUTO_VIEW_MAP   NO\n", [](YrlPreferencesData& d) { d.auto_view_map = 0; }},
      {"yrl_tolerance 0.005\n", [](YrlPreferencesData& d) { d.tolerance = 0.005; }},
      // Only the first 19 characters of the key are compared.
      {"yrl_use_drawing_namexyz no\n", [](YrlPreferencesData& d) { d.use_drawing_name = 0; }},
      {"yrl_use_drawing_name\tno\n", [](YrlPreferencesData& d) { d.use_drawing_name = 0; }},
      {"yrl_use_drawing_units true\n", [](YrlPreferencesData&) {}},
      {"yrl_automatic_forward Yes\r\n", [](YrlPreferencesData& d) { d.automatic_forward = 1; }},
      {"  \t yrl_add_debug_commands  \t yes \t \n",
       [](YrlPreferencesData& d) { d.add_debug_commands = 1; }},
      {"yrl_layer_prefix ABC_\n", [](YrlPreferencesData& d) { std::strcpy(d.layer_prefix, "ABC_"); }},
      {"yrl_drawing_proj_system first_angle\n",
       [](YrlPreferencesData& d) { std::strcpy(d.drawing_proj_system, "first_angle"); }},
      // A projection names a button of the dialog's group, whatever its case; any other
      // value is the default.
      {"yrl_drawing_proj_system FIRST_ANGLE\n",
       [](YrlPreferencesData& d) { std::strcpy(d.drawing_proj_system, "first_angle"); }},
      {"yrl_drawing_proj_system first_angle\nyrl_drawing_proj_system Third_Angle\n",
       [](YrlPreferencesData&) {}},
      {"yrl_drawing_proj_system first_angle\nyrl_drawing_proj_system isometric\n",
       [](YrlPreferencesData&) {}},
      {"yrl_set_new_part_active no\nyrl_crdt_ent_sec_vyn_fix yes\nyrl_use_embed_browser YES\n"
       "yrl_auto_drawing_view_create no\n",
       [](YrlPreferencesData& d) {
         d.set_new_part_active = 0;
         d.crdt_ent_sec_vyn_fix = 1;
         d.use_embed_browser = 1;
         d.auto_drawing_view_create = 0;
       }},
      // A known key without a value, comments and unknown lines change nothing.
      {"yrl_tolerance\nyrl_auto_view_map\n# yrl_auto_view_map no\n\nyrl_unknown 5\n",
       [](YrlPreferencesData&) {}},
      // A text longer than its field is cut after 31 characters.
      {"yrl_layer_prefix 0123456789012345678901234567890123456789\n",
       [](YrlPreferencesData& d) { std::strcpy(d.layer_prefix, "0123456789012345678901234567890"); }},
      // A line is read by its first 80 characters; the rest of a longer line is no line.
      {"yrl_layer_prefix AB                                                             "
       "yrl_auto_view_map no\nyrl_automatic_forward yes",
       [](YrlPreferencesData& d) {
         std::strcpy(d.layer_prefix, "AB");
         d.automatic_forward = 1;
       }},
      // The conversion takes the number the text begins with, in the C locale.
      {"yrl_tolerance 2.5e-3mm\n", [](YrlPreferencesData& d) { d.tolerance = 2.5e-3; }},
      {"yrl_tolerance abc\n", [](YrlPreferencesData& d) { d.tolerance = 0.0; }},
      // A stray NUL byte ends the text of its line only; the next line is still read.
      {std::string("yrl_layer_prefix AB\0CD\nyrl_auto_view_map no\n", 44),
       [](YrlPreferencesData& d) {
         std::strcpy(d.layer_prefix, "AB");
         d.auto_view_map = 0;
       }},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.text);
    YrlPreferencesData expected = defaults();
    c.change(expected);
    expect_same(read_text(c.text), expected);
  }
}

TEST_F(Preferences, ALongTextIsCutAfterItsLastWholeCharacter) {
  vek::set_language(vek::LANG_JAPANESE);
  // 30 letters, then a two-byte character that would end one byte past the field.
  std::string prefix(30, 'A');
  YrlPreferencesData record = read_text("yrl_layer_prefix " + prefix + "\xa4\xa2\n");
  vek::reset_language();
  EXPECT_EQ(std::string(record.layer_prefix), prefix);
}

TEST_F(Preferences, TheHostDirectoryIsTheSecondPlace) {
  ASSERT_EQ(mkdir("hostdir", 0700), 0);
  write_file("hostdir/config.yrl", "yrl_auto_view_map no\n");
  std::string windows = "C:" + work_dir.path() + "/hostdir";
  for (char& c : windows)
    if (c == '/') c = '\\';
  yrlhost::host_directory_set(windows);

  YrlPreferencesData record{};
  EXPECT_EQ(YrlPreferencesRead(&record), 0);
  EXPECT_EQ(record.auto_view_map, 0);

  // A file in the process's own directory comes first.
  write_file("config.yrl", "yrl_auto_view_map yes\n");
  EXPECT_EQ(YrlPreferencesRead(&record), 0);
  EXPECT_EQ(record.auto_view_map, 1);

  // Writing goes there too when the process's own directory cannot take the file.
  ASSERT_EQ(std::remove("config.yrl"), 0);
  ASSERT_EQ(mkdir("config.yrl", 0700), 0);
  YrlPreferencesRead(nullptr);
  preferences.auto_view_map = 1;
  EXPECT_EQ(YrlPreferencesWrite(), 0);
  EXPECT_NE(read_file("hostdir/config.yrl").find("yrl_auto_view_map\tYes\n"), std::string::npos);
}

TEST_F(Preferences, WrittenFileReadsBackByteForByte) {
  YrlPreferencesRead(nullptr);
  std::strcpy(preferences.layer_prefix, "LP_");
  preferences.auto_view_map = 0;
  preferences.use_drawing_units = 0;
  std::strcpy(preferences.drawing_proj_system, "first_angle");
  preferences.tolerance = 0.005;
  preferences.automatic_forward = 1;
  preferences.use_embed_browser = 1;
  preferences.add_debug_commands = 1;
  ASSERT_EQ(YrlPreferencesWrite(), 0);
  const std::string written = read_file("config.yrl");
  EXPECT_EQ(written,
            "yrl_layer_prefix\tLP_\n"
            "yrl_auto_view_map\tNo\n"
            "yrl_set_new_part_active\tYes\n"
            "yrl_use_drawing_name\tYes\n"
            "yrl_use_drawing_units\tNo\n"
            "yrl_drawing_proj_system\tfirst_angle\n"
            "yrl_auto_drawing_view_create\tYes\n"
            "yrl_tolerance\t0.005000\n"
            "yrl_automatic_forward\tYes\n"
            "yrl_crdt_ent_sec_vyn_fix\tNo\n"
            "yrl_use_embed_browser\tYes\n"
            "yrl_add_debug_commands\tYes\n");
  EXPECT_TRUE(displayed("YRL_SAVED_CONFIG"));

  YrlPreferencesData back{};
  ASSERT_EQ(YrlPreferencesRead(&back), 0);
  expect_same(back, preferences);
  preferences = back;
  ASSERT_EQ(YrlPreferencesWrite(), 0);
  EXPECT_EQ(read_file("config.yrl"), written);
}

TEST_F(Preferences, TheToleranceIsWrittenAsPrintfWouldInTheCLocale) {
  for (double tolerance : {0.005, 1.0 / 3.0, 12345.678901234, -0.25, 1e-9, 0.0000005}) {
    preferences.tolerance = tolerance;
    ASSERT_EQ(YrlPreferencesWrite(), 0);
    char expected[64];
    std::snprintf(expected, sizeof expected, "yrl_tolerance\t%2.6f\n", tolerance);
    EXPECT_NE(read_file("config.yrl").find(expected), std::string::npos) << expected;
  }
}

TEST_F(Preferences, WriteWithNowhereToWriteFailsWithItsMessage) {
  ASSERT_EQ(mkdir("config.yrl", 0700), 0);  // neither place can be opened for writing
  EXPECT_NE(YrlPreferencesWrite(), 0);
  EXPECT_TRUE(displayed("YRL_CONFIG_OPEN_FAILED"));
  EXPECT_FALSE(displayed("YRL_SAVED_CONFIG"));
}

// A save that fails part-way leaves the old file as it was and no temporary file: the
// new text is written beside it and replaces it only once all of it is on disk.
TEST_F(Preferences, AFailedSaveLeavesTheOldFileWhole) {
  const std::string old_text = "yrl_layer_prefix OLD_\nyrl_auto_view_map no\nyrl_tolerance 0.005\n";
  struct Case {
    const char* what;
    const char* function;  // the call made to fail; null: a real size limit of 100 bytes
    int n;
    w32::DWORD code;
  };
  const Case cases[] = {
      {"disk full on the first line", "WriteFile", 1, w32::ERROR_DISK_FULL},
      {"disk full on the fifth line", "WriteFile", 5, w32::ERROR_DISK_FULL},
      {"the file system's size limit", nullptr, 0, 0},
      {"the flush fails", "FlushFileBuffers", 1, w32::ERROR_DISK_FULL},
      {"the old file cannot be replaced", "MoveFileExA", 1, w32::ERROR_ACCESS_DENIED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::size_t from = yrlhost::message_log().size();
    write_file("config.yrl", old_text);
    YrlPreferencesRead(nullptr);
    std::strcpy(preferences.layer_prefix, "NEW_");
    int status = 0;
    if (c.function) {
      ASSERT_TRUE(w32::fault_testing_fail_on_call(c.function, c.n, c.code));
      status = YrlPreferencesWrite();
    } else {
      yrltest::FileSizeLimit limit(100);
      status = YrlPreferencesWrite();
    }
    EXPECT_NE(status, 0);
    EXPECT_EQ(w32::fault_testing_armed(), 0);
    EXPECT_EQ(read_file("config.yrl"), old_text);
    EXPECT_EQ(directory_names(), std::vector<std::string>{"config.yrl"});
    EXPECT_EQ(shown_values("YRLFORM ERROR %0s", from),
              std::vector<std::string>{"config.yrl could not be written; it was left as it was."});
    EXPECT_FALSE(displayed_since("YRL_SAVED_CONFIG", from));
  }
  // Without a fault the same save replaces the file.
  EXPECT_EQ(YrlPreferencesWrite(), 0);
  EXPECT_NE(read_file("config.yrl").find("yrl_layer_prefix\tNEW_\n"), std::string::npos);
  EXPECT_EQ(directory_names(), std::vector<std::string>{"config.yrl"});
}

// The save swept: each call it makes failing in turn (a full disk, a denied access, a
// write cut short, the old file gone). A success leaves the new text whole under the
// name, a failure the old text (or, the old file gone, nothing); never a temporary file.
TEST_F(Preferences, SaveSweepKeepsTheOldFileOrWritesTheNewWhole) {
  const std::string old_text = "yrl_layer_prefix OLD_\nyrl_auto_view_map no\n";
  std::string saved;
  yrltest::SweepOp op;
  op.label = "preferences save";
  op.setup = [&] {
    for (const auto& entry : std::filesystem::directory_iterator("."))
      std::filesystem::remove_all(entry.path());
    write_file("config.yrl", old_text);
    YrlPreferencesRead(nullptr);
    std::strcpy(preferences.layer_prefix, "NEW_");
  };
  op.run = [] { return YrlPreferencesWrite(); };
  op.vanishing = [] { return std::filesystem::absolute("config.yrl").string(); };
  op.check = [&](const yrltest::SweepRun& run) {
    const bool there = std::filesystem::exists("config.yrl");
    if (run.result == 0) {
      ASSERT_TRUE(there) << run.why << ": reported saved, no file";
      YrlPreferencesData record{};
      EXPECT_EQ(YrlPreferencesRead(&record), 0) << run.why;
      EXPECT_STREQ(record.layer_prefix, "NEW_") << run.why << ": reported saved, not so";
      // The clean run comes first: what it saved is the whole text.
      if (run.call.empty()) saved = read_file("config.yrl");
      EXPECT_EQ(read_file("config.yrl"), saved) << run.why << ": reported saved, not whole";
    } else if (there || run.fault != yrltest::SweepFault::vanished) {
      EXPECT_EQ(read_file("config.yrl"), old_text) << run.why << ": the old file was lost";
    }
    EXPECT_EQ(directory_names(), there ? std::vector<std::string>{"config.yrl"}
                                       : std::vector<std::string>{})
        << run.why << ": a temporary file was left";
  };
  std::vector<std::pair<std::string, long>> calls = yrltest::sweep_faults(op);
  for (const char* call : {"WriteFile", "FlushFileBuffers", "MoveFileExA"}) {
    bool reached = false;
    for (const auto& counted : calls) reached = reached || counted.first == call;
    EXPECT_TRUE(reached) << call << " was not swept";
  }
}

TEST_F(Preferences, GettersReadTheGlobalRecord) {
  YrlPreferencesRead(nullptr);
  char text[YRL_PREF_TEXT_SIZE] = "x";
  YrlPreferencesLayerPrefixGet(text);
  EXPECT_STREQ(text, "YRL_");
  YrlPreferencesDrawProjSystemGet(text);
  EXPECT_STREQ(text, "third_angle");
  YrlPreferencesLayerPrefixGet(nullptr);
  YrlPreferencesDrawProjSystemGet(nullptr);
  EXPECT_EQ(YrlPreferencesToleranceGet(), 0.01);
  YrlPreferencesAutoDrawingViewCreateSet(0);
  EXPECT_EQ(YrlPreferencesAutoDrawingViewCreateGet(), 0);
  EXPECT_FALSE(std::ifstream("config.yrl").good());  // in memory only
  YrlMavrelActivePartSet(5);
  EXPECT_EQ(YrlMavrelActivePartGet(), 5);
}

// ---- The dialog --------------------------------------------------------------------------

class PreferencesDialog : public Preferences {
 protected:
  void SetUp() override {
    Preferences::SetUp();
    new_drawing();
    user("menu YrlMenuBar YrlPreferences");
  }

  static yrlhost::UiComponent component(const std::string& name) {
    // The open dialog's component, else the one the dialog had when it was destroyed.
    std::optional<yrlhost::UiComponent> c = yrlhost::ui_component("yrlpreferences", name);
    if (!c) c = yrlhost::ui_component_snapshot("yrlpreferences", name);
    EXPECT_TRUE(c.has_value()) << name;
    return c.value_or(yrlhost::UiComponent{});
  }
};

TEST_F(PreferencesDialog, OpensWithTheOptionsInMemory) {
  std::strcpy(preferences.layer_prefix, "MEM_");
  preferences.automatic_forward = 1;
  std::strcpy(preferences.drawing_proj_system, "first_angle");
  user("press yrlpreferences Cancel");
  yrlhost::script_run();
  std::optional<yrlhost::UiDialog> dialog = yrlhost::ui_dialog_snapshot("yrlpreferences");
  ASSERT_TRUE(dialog.has_value());
  EXPECT_EQ(dialog->title, "Preferences");
  EXPECT_EQ(dialog->default_button, "Cancel");
  EXPECT_EQ(component("i_yrl_layer_prefix").value, "MEM_");
  EXPECT_EQ(component("i_yrl_layer_prefix").input_type, 0);
  EXPECT_EQ(component("i_yrl_tolerance").input_type, 3);
  EXPECT_TRUE(component("c_yrl_automatic_forward").checked);
  EXPECT_TRUE(component("c_yrl_auto_view_map").checked);
  EXPECT_FALSE(component("c_yrl_crdt_ent_sec_vyn_fix").checked);
  EXPECT_EQ(component("r_yrl_drawing_proj_system").selected,
            std::vector<std::string>{"first_angle"});
  EXPECT_FALSE(yrlhost::ui_dialog_is_open("yrlpreferences"));
}

TEST_F(PreferencesDialog, OkStoresAndWritesEveryField) {
  user("type yrlpreferences i_yrl_layer_prefix NEW_");
  user("type yrlpreferences i_yrl_tolerance 0.125");
  user("toggle yrlpreferences c_yrl_auto_view_map");
  user("toggle yrlpreferences c_yrl_crdt_ent_sec_vyn_fix");
  user("radio yrlpreferences r_yrl_drawing_proj_system first_angle");
  user("press yrlpreferences OK");
  yrlhost::script_run();
  EXPECT_FALSE(yrlhost::ui_dialog_is_open("yrlpreferences"));
  YrlPreferencesData expected = defaults();
  std::strcpy(expected.layer_prefix, "NEW_");
  expected.tolerance = 0.125;
  expected.auto_view_map = 0;
  expected.crdt_ent_sec_vyn_fix = 1;
  std::strcpy(expected.drawing_proj_system, "first_angle");
  expect_same(preferences, expected);
  YrlPreferencesData from_file{};
  YrlPreferencesRead(&from_file);
  expect_same(from_file, expected);
}

TEST_F(PreferencesDialog, CancelLeavesMemoryAndFileAlone) {
  user("type yrlpreferences i_yrl_layer_prefix NEW_");
  user("toggle yrlpreferences c_yrl_auto_view_map");
  user("press yrlpreferences Cancel");
  yrlhost::script_run();
  expect_same(preferences, defaults());
  EXPECT_FALSE(std::ifstream("config.yrl").good());
}

TEST_F(PreferencesDialog, TheCloseBoxCancels) {
  user("toggle yrlpreferences c_yrl_auto_view_map");
  user("close yrlpreferences");
  yrlhost::script_run();
  expect_same(preferences, defaults());
  EXPECT_FALSE(std::ifstream("config.yrl").good());
}

TEST_F(PreferencesDialog, DefaultShowsTheDefaultsAndStoresNothingUntilOk) {
  std::strcpy(preferences.layer_prefix, "MEM_");
  preferences.auto_view_map = 0;
  preferences.automatic_forward = 1;
  preferences.tolerance = 0.5;
  preferences.add_debug_commands = 1;
  const YrlPreferencesData before = preferences;
  user("press yrlpreferences Default");
  check([&] {
    EXPECT_EQ(component("i_yrl_layer_prefix").value, "YRL_");
    EXPECT_TRUE(component("c_yrl_auto_view_map").checked);
    EXPECT_FALSE(component("c_yrl_automatic_forward").checked);
    expect_same(preferences, before);
    EXPECT_FALSE(std::ifstream("config.yrl").good());
  });
  user("press yrlpreferences OK");
  yrlhost::script_run();
  // The defaults are stored; the debug option, which the dialog does not show, stays.
  YrlPreferencesData expected = defaults();
  expected.add_debug_commands = 1;
  expect_same(preferences, expected);
  EXPECT_NE(read_file("config.yrl").find("yrl_add_debug_commands\tYes\n"), std::string::npos);
}

TEST_F(PreferencesDialog, SavingKeepsTheDebugCommandsOption) {
  write_file("config.yrl", "yrl_add_debug_commands yes\n");
  YrlPreferencesRead(nullptr);
  user("press yrlpreferences OK");
  yrlhost::script_run();
  EXPECT_EQ(preferences.add_debug_commands, 1);
  YrlPreferencesData from_file{};
  YrlPreferencesRead(&from_file);
  EXPECT_EQ(from_file.add_debug_commands, 1);
}

TEST_F(PreferencesDialog, AFailedWriteKeepsTheDialogOpenAndChangesNothing) {
  ASSERT_EQ(mkdir("config.yrl", 0700), 0);
  user("type yrlpreferences i_yrl_layer_prefix NEW_");
  user("press yrlpreferences OK");
  check([&] {
    EXPECT_TRUE(yrlhost::ui_dialog_is_open("yrlpreferences"));
    EXPECT_TRUE(displayed("YRL_CONFIG_OPEN_FAILED"));
    expect_same(preferences, defaults());
  });
  user("press yrlpreferences Cancel");
  yrlhost::script_run();
  expect_same(preferences, defaults());
}

TEST_F(PreferencesDialog, AnUnreadableToleranceKeepsTheDialogOpenAndChangesNothing) {
  user("type yrlpreferences i_yrl_layer_prefix NEW_");
  user("toggle yrlpreferences c_yrl_auto_view_map");
  user("type yrlpreferences i_yrl_tolerance abc");
  user("press yrlpreferences OK");
  check([&] {
    EXPECT_TRUE(yrlhost::ui_dialog_is_open("yrlpreferences"));
    expect_same(preferences, defaults());
    // OK never does nothing without saying why.
    EXPECT_EQ(shown_values("YRLFORM ERROR %0s"),
              std::vector<std::string>{"The tolerance is not a number; nothing was saved."});
  });
  user("press yrlpreferences Cancel");
  yrlhost::script_run();
  expect_same(preferences, defaults());
  EXPECT_FALSE(std::ifstream("config.yrl").good());
}

// A projection the group has no button for, or written in another case, shows the
// button it stands for, and the dialog is filled to its end: OK saves.
TEST_F(PreferencesDialog, AnyProjectionValueFillsTheDialogAndOkSaves) {
  std::strcpy(preferences.drawing_proj_system, "FIRST_ANGLE");
  preferences.tolerance = 0.25;
  check([&] {
    EXPECT_EQ(component("r_yrl_drawing_proj_system").selected,
              std::vector<std::string>{"first_angle"});
    EXPECT_EQ(component("i_yrl_tolerance").value, "0.25");
  });
  user("press yrlpreferences OK");
  user("menu YrlMenuBar YrlPreferences");
  check([&] {
    EXPECT_EQ(component("r_yrl_drawing_proj_system").selected,
              std::vector<std::string>{"first_angle"});
  });
  user("press yrlpreferences Cancel");
  yrlhost::script_run();
  EXPECT_STREQ(preferences.drawing_proj_system, "first_angle");
  EXPECT_NE(read_file("config.yrl").find("yrl_drawing_proj_system\tfirst_angle\n"),
            std::string::npos);
  EXPECT_NE(read_file("config.yrl").find("yrl_tolerance\t0.250000\n"), std::string::npos);

  std::strcpy(preferences.drawing_proj_system, "isometric");
  user("menu YrlMenuBar YrlPreferences");
  check([&] {
    EXPECT_EQ(component("r_yrl_drawing_proj_system").selected,
              std::vector<std::string>{"third_angle"});
  });
  user("press yrlpreferences OK");
  yrlhost::script_run();
  EXPECT_FALSE(yrlhost::ui_dialog_is_open("yrlpreferences"));
  EXPECT_STREQ(preferences.drawing_proj_system, "third_angle");
}

TEST_F(PreferencesDialog, ChangingTheProjectionWithOrthographicViewsWarns) {
  YrlViewClassRegister();
  YrlViewData top{};
  top.view_type = 1;
  std::strcpy(top.view_name, "TOP");
  ASSERT_EQ(YrlViewDataWrite("TOP", top), 0);
  user("radio yrlpreferences r_yrl_drawing_proj_system first_angle");
  check([] { EXPECT_TRUE(yrlhost::ui_dialog_is_open("message")); });
  user("press message OK");
  user("press yrlpreferences Cancel");
  yrlhost::script_run();
  std::optional<yrlhost::UiDialog> note = yrlhost::ui_dialog_snapshot("message");
  ASSERT_TRUE(note.has_value());
  EXPECT_EQ(note->title, "IMPORTANT NOTE");
  std::optional<yrlhost::UiComponent> text = yrlhost::ui_component_snapshot("message", "label1");
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(text->text, "Orthogonal views already defined. \n Remember to clear them.");
  expect_same(preferences, defaults());
}

// Each set-up step that fails is named in the message, and the dialog is not left open.
TEST_F(Preferences, SetupFailuresNameWhatFailed) {
  struct Case {
    const char* key;
    int n;
    const char* name;
  };
  const Case cases[] = {
      {"VynUIDialogCreate_v", 1, "yrlpreferences"},
      {"VynUIPushbuttonActivateActionSet_v", 1, "Cancel"},
      {"VynUIPushbuttonActivateActionSet_v", 2, "OK"},
      {"VynUIRadiogroupSelectActionSet_v", 1, "Projection system"},
      {"VynUIPushbuttonActivateActionSet_v", 3, "Default"},
      {"VynUIDialogTitleSet_v", 1, "Title Set"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    yrlhost::call_log_fail_on_call(c.key, c.n);
    EXPECT_NE(YrlPreferences(), 0);
    ASSERT_FALSE(yrlhost::message_log().empty());
    const yrlhost::MessageRecord& last = yrlhost::message_log().back();
    EXPECT_EQ(last.key, "YRL_DIALOG_ERROR");
    EXPECT_EQ(last.values.empty() ? "" : last.values[0], c.name);
    EXPECT_FALSE(yrlhost::ui_dialog_is_open("yrlpreferences"));
  }
}

}  // namespace
