// The start-up protocol: what user_initialize_plus stores, each status it returns, the
// binding of the host table, the context, and the translation of the host version.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/menus/app_init.h"
#include "runtime/text/wstring.h"
#include "tests/support/serious_reports.h"
#include "tests/support/temp_dir.h"
#include "tests/toolkit/toolkit_test.h"
#include "toolkit/api/startup_api.h"
#include "toolkit/startup/version.h"

namespace {

using yrlhost::CallRecord;
using yrlhost::call_log;

class StartupTest : public yrltest::ToolkitTest {
 protected:
  // Whether the application's own start-up ran (it names its message file).
  static bool application_started() { return YrlMsgFile[0] != 0; }
};

TEST_F(StartupTest, StartStoresTheHostsValuesAndPassesThePluginLevel) {
  yrltest::StartArgs args;
  args.context = 42;
  args.language = 0;
  ASSERT_EQ(start(args), 0);

  EXPECT_EQ(my_id_num, 42);
  EXPECT_EQ(my_lang, 0);
  EXPECT_EQ(version, args.version);  // the host's pointers themselves
  EXPECT_EQ(bld_date, args.build);
  EXPECT_EQ(my_epath, args.exec_path);
  EXPECT_EQ(my_dpath, args.text_dir);
  EXPECT_EQ(win_export_functions, table.data());
  EXPECT_EQ(win_export_func_ct, static_cast<int>(table.size()));
  EXPECT_EQ(get_int_mavrel_version(), 252003100);
  // The version goes over first; the application's own start-up calls follow it.
  ASSERT_FALSE(call_log().empty());
  EXPECT_EQ(call_log().front(), (CallRecord{"vyndev_pass_version_info_v", 42, {252003100},
                                            std::nullopt, 1}));
  EXPECT_EQ(vek::wscmp(YrlMsgFile, u"yrlform_msg.txt"), 0);
  EXPECT_EQ(error(), "");
  EXPECT_EQ(user_terminate_plus(), 0);
}

// Each outcome of the start-up: its status, the error text, whether the table was bound
// and whether the application's start-up ran.
struct StartCase {
  const char* name;
  const char* version;
  const char* build;
  const char* exec_path;
  int plugin_level;       // replaces the plug-in's level when not 0
  std::optional<long> pass_answer;  // set as the answer of "vyndev_pass_version_info_v"
                                    // (none: the host's own, which accepts with 1)
  bool host_has_pass;     // whether the host has that function at all
  int status;
  const char* error_text;
  bool bound;
  bool application;
};

const StartCase start_cases[] = {
    {"accepted", "25", "2003100", YRL_PLUGIN_PATH, 0, std::nullopt, true, 0, "", true, true},
    {"any nonzero answer accepts", "25", "2003100", YRL_PLUGIN_PATH, 0, -5, true, 0, "", true, true},
    {"host below a marker of the module", "25", "2002200", YRL_TOOLKIT_MODULE_PATH, 0, 1, true,
     -96, "Release 25|2002520", false, false},
    {"host below a marker of the plug-in", "25", "2002200", YRL_PLUGIN_PATH, 0, 1, true, -96,
     "Release 25|2002360", false, false},
    {"host past the newest marker", "25", "2002370", YRL_PLUGIN_PATH, 0, 1, true, 0, "", true,
     true},
    {"older major release", "24", "2002360", YRL_PLUGIN_PATH, 0, 1, true, -98,
     "Release 25|0", false, false},
    {"version with 17. is major 17", "1.17.2", "2009999", YRL_PLUGIN_PATH, 0, 1, true, -98,
     "Release 25|0", false, false},
    {"plug-in of major 26", "25", "2003100", YRL_PLUGIN_PATH, 262003100, 1, true, -98, "26|0",
     false, false},
    {"host answers 0", "25", "2003100", YRL_PLUGIN_PATH, 0, 0, true, -1, "", true, false},
    {"host lacks the function", "25", "2003100", YRL_PLUGIN_PATH, 0, 0, false, 0, "", true,
     true},
    {"plug-in file missing", "25", "2002200", "/nonexistent/libyrlform.so", 0, 1, true, -96,
     "Release 25|0", false, false},
};

TEST_F(StartupTest, EachOutcomeOfTheStartUp) {
  for (const StartCase& c : start_cases) {
    SCOPED_TRACE(c.name);
    reset_toolkit();
    error_text[0] = 0;
    table_options.left_out.clear();
    if (c.plugin_level) set_cur_frnpgm_version(c.plugin_level);
    if (c.pass_answer) yrlhost::call_log_set_result("vyndev_pass_version_info_v", *c.pass_answer);
    if (!c.host_has_pass) table_options.left_out = {"vyndev_pass_version_info_v"};

    yrltest::StartArgs args;
    args.version = c.version;
    args.build = c.build;
    args.exec_path = c.exec_path;
    EXPECT_EQ(start(args), c.status);
    EXPECT_EQ(error(), c.error_text);
    EXPECT_EQ(win_export_functions != nullptr, c.bound);
    EXPECT_EQ(application_started(), c.application);
    // Nothing of a refused host is called.
    if (!c.bound) {
      EXPECT_TRUE(call_log().empty());
    }
  }
}

TEST_F(StartupTest, RefusedHostIsNeverCalled) {
  yrltest::StartArgs args;
  args.version = "24";
  ASSERT_EQ(start(args), VYN_TK_APP_NEW_VERSION);
  yrltest::SeriousReports reports;
  EXPECT_EQ(vyn_get_startup_mode(), VYN_TK_GENERAL_ERROR);
  EXPECT_EQ(MavrelAbort(), VYN_TK_GENERAL_ERROR);
  EXPECT_TRUE(call_log().empty());
  EXPECT_EQ(reports.lines(),
            std::vector<std::string>({yrltest::missing_function_report("vyn_get_startup_mode_v"),
                                      yrltest::missing_function_report("MavrelAbort_v")}));
}

TEST_F(StartupTest, CallBeforeStartUpFailsThenBindsAfterIt) {
  EXPECT_EQ(MavrelRunmode(3), VYN_TK_GENERAL_ERROR);
  ASSERT_EQ(start(), 0);
  yrlhost::call_log_set_result("MavrelRunmode_v", 17);
  EXPECT_EQ(MavrelRunmode(3), 17);
  EXPECT_EQ(call_log().back(), (CallRecord{"MavrelRunmode_v", 7, {3}, std::nullopt, 17}));
}

TEST_F(StartupTest, HostSeesTheContextIdOfEachCall) {
  ASSERT_EQ(start(), 0);
  yrlhost::call_log_clear();  // what the start-up itself asked
  vyn_get_startup_mode();
  EXPECT_EQ(set_app_context(31, "/elsewhere"), 0);
  vyn_get_startup_mode();
  ASSERT_EQ(call_log().size(), 2u);
  // The host has no behaviour for the row: it answers "not available".
  EXPECT_EQ(call_log()[0],
            (CallRecord{"vyn_get_startup_mode_v", 7, {}, std::nullopt, VYN_TK_NOT_IMPLEMENTED, true}));
  EXPECT_EQ(call_log()[1],
            (CallRecord{"vyn_get_startup_mode_v", 31, {}, std::nullopt, VYN_TK_NOT_IMPLEMENTED, true}));
  EXPECT_STREQ(my_dpath, "/elsewhere");
  EXPECT_STREQ(msg_path, "/elsewhere\\text");
}

// The host hands its text directory over as it has it; the plug-in resolves it through
// its Win32 stand-in, so a Windows-form path ("C:" and '\\' delimiters) and a path
// relative to the process's working directory both find the language folder.
TEST_F(StartupTest, TextDirectoryInWindowsFormOrRelative) {
  yrltest::TempDir dir;
  std::filesystem::create_directories(dir.path() + "/text/usascii");
  std::string windows_form = "C:" + dir.path();
  std::replace(windows_form.begin(), windows_form.end(), '/', '\\');
  for (const std::string& text_dir :
       {windows_form, std::filesystem::relative(dir.path()).string()}) {
    SCOPED_TRACE(text_dir);
    reset_toolkit();
    yrltest::StartArgs args;
    args.text_dir = text_dir.c_str();
    ASSERT_EQ(start(args), 0);
    EXPECT_EQ(std::string(msg_path), text_dir + "\\text\\usascii");
    EXPECT_EQ(std::string(menu_path), text_dir + "\\text\\usascii\\menus");
  }
}

TEST_F(StartupTest, ContextBeforeStartUpIsReportedAndStillStored) {
  yrltest::SeriousReports reports;
  int context = 0;
  const char* dir = "unset";
  EXPECT_EQ(get_app_context(&context, &dir), 0);
  EXPECT_EQ(context, -1);
  EXPECT_EQ(dir, nullptr);
  EXPECT_EQ(set_app_context(5, "/d"), 0);
  EXPECT_EQ(get_app_context(&context, &dir), 0);
  EXPECT_EQ(context, 5);
  EXPECT_STREQ(dir, "/d");
  // my_lang still holds its load value, so every call reports.
  EXPECT_EQ(reports.lines(),
            std::vector<std::string>({"get_app_context:  called before VDP_INIT_FUNC",
                                      "set_app_context:  called before VDP_INIT_FUNC",
                                      "get_app_context:  called before VDP_INIT_FUNC"}));
  reports.clear();
  ASSERT_EQ(start(), 0);
  EXPECT_EQ(set_app_context(6, "/e"), 0);
  EXPECT_EQ(get_app_context(nullptr, nullptr), 0);
  EXPECT_TRUE(reports.lines().empty());
}

TEST_F(StartupTest, ReleaseNameOfTheHostVersion) {
  const std::pair<const char*, const char*> cases[] = {
      {"25", "Release 25"},
      {"24", "Release 24"},
      {"23", "Release 23"},
      {"21", "Release 21"},
      {"22", "22"},  // row 22 holds the illegal pair, not "22"
      {"20", "20"},
      {"7", "7"},
      {"1", "1"},
      {"0", "0"},  // row 0 is never compared
      {"Illegal Internal Version", "Illegal External Version"},
      {"25 ", "25 "},
      {"025", "025"},
      {"26", "26"},
      {"", ""},
  };
  for (const auto& [host_version, name] : cases) {
    EXPECT_STREQ(vynkit_release_name(host_version), name) << host_version;
  }
  EXPECT_STREQ(vynkit_release_name(nullptr), "");
  // An unmatched version is handed on as the host's own string.
  const char* odd = "G-03";
  EXPECT_EQ(vynkit_release_name(odd), odd);
}

TEST_F(StartupTest, ApplicationReceivesTheReleaseName) {
  const std::pair<const char*, const char*> cases[] = {
      {"25", "Release 25"},
      {"25.0", "25.0"},  // no row of its own: the host's text is handed on
  };
  for (const auto& [version, name] : cases) {
    reset_toolkit();
    yrltest::StartArgs args;
    args.version = version;
    ASSERT_EQ(start(args), 0) << version;
    EXPECT_STREQ(app_init_testing_release_name(), name) << version;
  }
}

TEST_F(StartupTest, ReleaseTableRows) {
  for (int row = 1; row <= 20; ++row) {
    EXPECT_EQ(std::string(vynkit_versions_strs[row][0]), std::to_string(row));
    EXPECT_EQ(std::string(vynkit_versions_strs[row][1]), std::to_string(row));
  }
  for (int row : {0, 22}) {
    EXPECT_STREQ(vynkit_versions_strs[row][0], "Illegal Internal Version");
    EXPECT_STREQ(vynkit_versions_strs[row][1], "Illegal External Version");
  }
  for (int row : {21, 23, 24, 25}) {
    EXPECT_EQ(std::string(vynkit_versions_strs[row][0]), std::to_string(row));
    EXPECT_EQ(std::string(vynkit_versions_strs[row][1]), "Release " + std::to_string(row));
  }
}

// The host level from its version and build strings.
struct LevelCase {
  const char* version;
  const char* build;
  int level;
  const char* version_copy;
  const char* build_copy;
};

const LevelCase level_cases[] = {
    {"25", "2002360", 252002360, "25", "2002360"},
    {"24", "2002360", 242002360, "24", "2002360"},
    {"17.0", "2002360", 172002360, "17.0", "2002360"},
    {"x17.3y", "1", 170000001, "x17.3y", "1"},     // "17." anywhere
    {"Rel G-03 9", "5", 170000005, "Rel G-03 9", "5"},
    {"17", "0", 170000000, "17", "0"},
    {"3a", "12b34", 30000012, "3a", "12b34"},      // leading digits only
    {"abc", "123", 123, "abc", "123"},
    {" 25", "2002360", 2002360, " 25", "2002360"},  // no leading digit: 0
    {"", "", 0, "", ""},
    {nullptr, nullptr, 0, "", ""},                  // null reads as ""
    {"214", "7483647", 2147483647, "214", "7483647"},
    {"215", "0", INT_MAX, "215", "0"},              // the level saturates
    {"25", "99999999999999999999", INT_MAX, "25", "99999999999"},
    {"123456789012345", "1", INT_MAX, "12345678901", "1"},
    {"G-03 and a very long tail", "2002360123", INT_MAX, "G-03 and a ", "2002360123"},
};

TEST_F(StartupTest, HostLevelAndBoundedCopiesOfItsStrings) {
  for (const LevelCase& c : level_cases) {
    SCOPED_TRACE(c.version ? c.version : "(null)");
    EXPECT_EQ(set_mavrel_version(c.version, c.build), 1);
    EXPECT_EQ(get_int_mavrel_version(), c.level);
    char copy_version[YRL_MAVREL_VERSION_SIZE];
    char copy_build[YRL_MAVREL_VERSION_SIZE];
    EXPECT_EQ(get_mavrel_version(copy_version, copy_build), 1);
    EXPECT_STREQ(copy_version, c.version_copy);
    EXPECT_STREQ(copy_build, c.build_copy);
  }
  EXPECT_EQ(get_mavrel_version(nullptr, nullptr), 1);
}

TEST_F(StartupTest, NullHostStringsStartAsEmptyOnes) {
  // With no version the host level is 0: the plug-in's major release is above it.
  yrltest::StartArgs args;
  args.version = nullptr;
  args.build = nullptr;
  EXPECT_EQ(start(args), VYN_TK_APP_NEW_VERSION);
  EXPECT_EQ(error(), "Release 25|0");
}

TEST_F(StartupTest, ApplicationPathsAsWideText) {
  VynWchar exec_path[128];
  VynWchar text_dir[128];
  // Before start-up the paths are null and read as "".
  EXPECT_EQ(VynToolkitApplExecPathGet(exec_path), 0);
  EXPECT_EQ(vek::wscmp(exec_path, u""), 0);
  EXPECT_EQ(VynToolkitApplTextPathGet(text_dir), 0);
  EXPECT_EQ(vek::wscmp(text_dir, u""), 0);
  EXPECT_EQ(VynToolkitApplExecPathGet(nullptr), 0);

  yrltest::StartArgs args;
  args.exec_path = "/opt/yrl/libyrlform.so";
  args.text_dir = "/opt/yrl/text\x80";
  args.build = "2004000";  // no walk: the file is not loaded
  ASSERT_EQ(start(args), 0);
  EXPECT_EQ(VynToolkitApplExecPathGet(exec_path), 0);
  EXPECT_EQ(vek::wscmp(exec_path, u"/opt/yrl/libyrlform.so"), 0);
  EXPECT_EQ(VynToolkitApplTextPathGet(text_dir), 0);
  EXPECT_EQ(vek::wscmp(text_dir, u"/opt/yrl/text\u20ac"), 0);  // byte 128 is the euro sign

  exec_path[0] = text_dir[0] = u'x';
  EXPECT_EQ(vyn_get_vyndevdat_info(exec_path, text_dir), 1);
  EXPECT_EQ(vek::wscmp(exec_path, u"/opt/yrl/libyrlform.so"), 0);
  EXPECT_EQ(vek::wscmp(text_dir, u"/opt/yrl/text\u20ac"), 0);
}

}  // namespace
