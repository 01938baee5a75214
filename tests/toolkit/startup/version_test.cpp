// The version check: the plug-in's level, the walk over the markers of a loaded file,
// the statuses and the error text left for the host.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/system/appinfo.h"
#include "runtime/system/appinfo_testing.h"
#include "tests/support/serious_reports.h"
#include "tests/toolkit/toolkit_test.h"
#include "toolkit/startup/version.h"

namespace {

class VersionTest : public yrltest::ToolkitTest {
 protected:
  // The check for a plug-in level against a host build of major release 25.
  int check(int plugin_level, const char* host_build, const char* path) {
    set_cur_frnpgm_version(plugin_level);
    set_mavrel_version("25", host_build);
    error_text[0] = 0;
    return tk_uinit_VersionSkewCheck(path, u"Yrlform", error_text);
  }
};

TEST_F(VersionTest, PluginLevelComesFromTheBuildDateCode) {
  EXPECT_EQ(frnpgm_version, -1);
  EXPECT_EQ(get_cur_frnpgm_version(), 252003100);
  EXPECT_EQ(set_cur_frnpgm_version(252001000), 252003100);
  EXPECT_EQ(get_cur_frnpgm_version(), 252001000);
  startup_testing_reset();
  EXPECT_EQ(set_cur_frnpgm_version(5), -1);
}

TEST_F(VersionTest, InvalidDateCodeReadsAsZero) {
  ASSERT_EQ(vek::appinfo_testing_set_datecode("123"), 1);
  ASSERT_STREQ(vek::vyn_get_datecode(), "INVALID");
  EXPECT_EQ(get_cur_frnpgm_version(), 250000000);
  // Any host of major release 25 then passes without the file being loaded.
  set_mavrel_version("25", "0");
  EXPECT_EQ(tk_uinit_VersionSkewCheck("/nonexistent", u"Yrlform", error_text), 0);
}

// The walk over the test module's markers (digit 0: 252001290, 252002360, 252002520 where
// the jump from week 99 lands, and 252002600 in a week that the walk skips; digit 5:
// 252002365, 252002955; above: 252003200).
struct WalkCase {
  int plugin_level;
  const char* host_build;
  int status;
  const char* error_text;
};

const WalkCase module_walk_cases[] = {
    // From 252,002,990 the walk jumps by 470 to 252,002,520, past 252002600, and finds
    // the marker there first.
    {252003100, "2002200", -96, "Release 25|2002520"},
    {252003100, "2002520", 0, ""},                       // ends at the host level
    {252003100, "2002530", 0, ""},                       // lands below the host: no refusal
    {252003100, "2002519", -96, "Release 25|2002520"},
    {252003100, "1000000", -96, "Release 25|2002520"},   // the newest marker counts
    // Below the jump the walk goes on a week at a time: 2520 is passed, 2365 never probed.
    {252002510, "2002200", -96, "Release 25|2002360"},
    {252002510, "2002360", 0, ""},
    {252002350, "2001280", -96, "Release 25|2001290"},
    {252002350, "2001290", 0, ""},
    {252003100, "0", -96, "Release 25|2002520"},
    // Only a level ending in 990 jumps: with digit 5 week 95 is probed.
    {252003105, "2002600", -96, "Release 25|2002955"},
    {252003105, "2002955", 0, ""},
    {252003105, "2002400", -96, "Release 25|2002955"},
    // Not loaded at all: the plug-in is no newer than the host.
    {252003100, "2003100", 0, ""},
    {252003100, "2005000", 0, ""},
};

TEST_F(VersionTest, WalkOverTheMarkersOfAModule) {
  for (const WalkCase& c : module_walk_cases) {
    SCOPED_TRACE(std::to_string(c.plugin_level) + " against " + c.host_build);
    EXPECT_EQ(check(c.plugin_level, c.host_build, YRL_TOOLKIT_MODULE_PATH), c.status);
    EXPECT_EQ(error(), c.error_text);
  }
}

TEST_F(VersionTest, WalkOverTheMarkersOfThePlugin) {
  const WalkCase cases[] = {
      {252003100, "2002200", -96, "Release 25|2002360"},
      {252003100, "2002360", 0, ""},
      {252003100, "2002350", -96, "Release 25|2002360"},
      {252002300, "2002200", -96, "Release 25|2002230"},
      {252002060, "2001400", -96, "Release 25|2001490"},  // via the jump from 2001990
      {252001280, "2001000", 0, ""},                     // no marker below 252001290
  };
  for (const WalkCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.plugin_level) + " against " + c.host_build);
    EXPECT_EQ(check(c.plugin_level, c.host_build, YRL_PLUGIN_PATH), c.status);
    EXPECT_EQ(error(), c.error_text);
  }
}

TEST_F(VersionTest, OlderOrNewerMajorReleaseIsRefusedWithoutLoading) {
  yrltest::SeriousReports reports;
  set_cur_frnpgm_version(252003100);
  set_mavrel_version("24", "2002360");
  EXPECT_EQ(tk_uinit_VersionSkewCheck("/nonexistent", u"Yrlform", error_text),
            VYN_TK_APP_NEW_VERSION);
  EXPECT_EQ(error(), "Release 25|0");

  const std::pair<int, const char*> newer[] = {{262003100, "26|0"},
                                               {2147483647, "214|0"},
                                               {212003100, "Release 21|0"},
                                               {222003100, "Illegal External Version|0"},
                                               {52003100, "5|0"}};
  for (const auto& [plugin, text] : newer) {
    set_cur_frnpgm_version(plugin);
    set_mavrel_version("", "");
    EXPECT_EQ(tk_uinit_VersionSkewCheck("/nonexistent", u"Yrlform", error_text),
              VYN_TK_APP_NEW_VERSION);
    EXPECT_EQ(error(), text);
  }
  EXPECT_TRUE(reports.lines().empty());  // nothing was loaded
}

TEST_F(VersionTest, UnloadablePluginFileIsAMismatch) {
  yrltest::SeriousReports reports;
  EXPECT_EQ(check(252003100, "2002200", "/nonexistent/libyrlform.so"),
            VYN_TK_APP_VERSION_MISMATCH);
  EXPECT_EQ(error(), "Release 25|0");
  bool reported = false;
  for (const std::string& line : reports.lines()) {
    reported |= line == "tk_uinit_VersionSkewCheck:  couldn't open /nonexistent/libyrlform.so "
                        "for version info";
  }
  EXPECT_TRUE(reported);
}

TEST_F(VersionTest, NullPluginPathIsAMismatchReportedWithAnEmptyPath) {
  yrltest::SeriousReports reports;
  EXPECT_EQ(check(252003100, "2002200", nullptr), VYN_TK_APP_VERSION_MISMATCH);
  EXPECT_EQ(error(), "Release 25|0");
  EXPECT_EQ(reports.lines(), std::vector<std::string>(
                                 {"tk_uinit_VersionSkewCheck:  couldn't open  for version info",
                                  " (ORDER_DEBUG)"}));
}

TEST_F(VersionTest, NullErrorBufferIsNotWritten) {
  set_cur_frnpgm_version(252003100);
  set_mavrel_version("25", "2002200");
  EXPECT_EQ(tk_uinit_VersionSkewCheck(YRL_TOOLKIT_MODULE_PATH, u"Yrlform", nullptr),
            VYN_TK_APP_VERSION_MISMATCH);
  set_mavrel_version("24", "0");
  EXPECT_EQ(tk_uinit_VersionSkewCheck(YRL_TOOLKIT_MODULE_PATH, u"Yrlform", nullptr),
            VYN_TK_APP_NEW_VERSION);
}

TEST_F(VersionTest, WideCharacterCheck) {
  const std::pair<int, int> cases[] = {{2, 0}, {4, 2}, {1, 2}, {0, 2}, {-2, 2}};
  for (const auto& [size, result] : cases) {
    EXPECT_EQ(vyn_wchar_t_check(size), result) << size;
  }
}

}  // namespace
