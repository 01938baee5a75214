// The real plug-in loaded and started through a host session.
#include "host/plugin/plugin_session.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "host/plugin/call_log.h"
#include "host/plugin/host_startup.h"
#include "tests/host/host_test.h"

namespace {

using yrlhost::PluginSession;
using yrlhost::SessionOptions;

class HostSession : public yrltest::HostTest {
 protected:
  void TearDown() override {
    yrlhost::plugin_session_stop(session);
    HostTest::TearDown();
  }

  SessionOptions options(const std::string& version, const std::string& build) {
    SessionOptions o = yrlhost::session_defaults();
    o.plugin_path = YRL_PLUGIN_PATH;
    o.version = version;
    o.build = build;
    return o;
  }

  PluginSession session;
};

bool still_loaded(const char* path) {
  void* handle = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
  if (handle) dlclose(handle);
  return handle != nullptr;
}

TEST_F(HostSession, StartsAndPassesTheLevelWithItsContextId) {
  SessionOptions o = options("25", "2003100");
  o.context = 5;
  ASSERT_TRUE(yrlhost::plugin_session_start(session, o)) << session.failure;
  EXPECT_EQ(session.status, 0);
  EXPECT_EQ(yrlhost::plugin_session_error_text(session), "");

  std::vector<yrlhost::CallRecord> passes = yrlhost::call_log_of("vyndev_pass_version_info_v");
  ASSERT_EQ(passes.size(), 1u);
  EXPECT_EQ(passes[0].context, 5);
  EXPECT_EQ(passes[0].words, std::vector<VynWord>{252003100});
  EXPECT_EQ(passes[0].result, 1);
  EXPECT_EQ(yrlhost::host_plugin_level(), 252003100);

  EXPECT_EQ(yrlhost::plugin_session_stop(session), 0);
  EXPECT_FALSE(still_loaded(YRL_PLUGIN_PATH));
}

// Host levels around the plug-in's (252,003,100) and its newest marker (252,002,360).
// A refused plug-in never gets the table, so it asks the host nothing.
TEST_F(HostSession, TheVersionCheckAcceptsOrRefusesTheHost) {
  struct Case {
    const char* version;
    const char* build;
    int status;
    const char* error_text;
  };
  const Case cases[] = {
      {"25", "2003100", 0, ""},
      {"25", "2002370", 0, ""},  // a walk over the plug-in's own file finds no marker above
      {"25", "2002360", 0, ""},
      {"25", "2002200", -96, "Release 25|2002360"},
      {"24", "2003100", -98, "Release 25|0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.version) + " " + c.build);
    yrlhost::host_testing_reset();
    ASSERT_TRUE(yrlhost::plugin_session_start(session, options(c.version, c.build)))
        << session.failure;
    EXPECT_EQ(session.status, c.status);
    EXPECT_EQ(yrlhost::plugin_session_error_text(session), c.error_text);
    EXPECT_EQ(yrlhost::call_log_of("vyndev_pass_version_info_v").size(), c.status == 0 ? 1u : 0u);
    if (c.status != 0) {
      EXPECT_TRUE(yrlhost::call_log().empty());
    }
    EXPECT_EQ(yrlhost::plugin_session_stop(session), c.status == 0 ? std::optional<int>(0)
                                                                   : std::nullopt);
    EXPECT_FALSE(still_loaded(YRL_PLUGIN_PATH));
  }
}

TEST_F(HostSession, AHostThatRefusesTheLevelGetsMinusOne) {
  yrlhost::call_log_set_result("vyndev_pass_version_info_v", 0);
  ASSERT_TRUE(yrlhost::plugin_session_start(session, options("25", "2003100")));
  EXPECT_EQ(session.status, -1);
  EXPECT_EQ(yrlhost::call_log_of("vyndev_pass_version_info_v").size(), 1u);
  EXPECT_EQ(yrlhost::plugin_session_stop(session), std::nullopt);
}

TEST_F(HostSession, AHostWithoutTheVersionFunctionStartsThePlugin) {
  SessionOptions o = options("25", "2003100");
  o.table.left_out = {"vyndev_pass_version_info_v"};
  ASSERT_TRUE(yrlhost::plugin_session_start(session, o));
  EXPECT_EQ(session.status, 0);
  EXPECT_TRUE(yrlhost::call_log_of("vyndev_pass_version_info_v").empty());
  EXPECT_EQ(yrlhost::host_plugin_level(), -1);
}

TEST_F(HostSession, AMissingFileOrEntryPointIsAClearFailure) {
  struct Case {
    const char* path;
    const char* failure;
  };
  const Case cases[] = {
      {"/nonexistent/libyrlform.so", "cannot load the plug-in /nonexistent/libyrlform.so"},
      {YRL_EMPTY_REFERENCE_PATH, "has no entry point user_initialize_plus"},
      {"", "no plug-in path given"},
  };
  for (const Case& c : cases) {
    SessionOptions o = options("25", "2003100");
    o.plugin_path = c.path;
    EXPECT_FALSE(yrlhost::plugin_session_start(session, o));
    EXPECT_NE(session.failure.find(c.failure), std::string::npos) << session.failure;
    EXPECT_EQ(session.handle, nullptr);
    EXPECT_EQ(session.status, std::nullopt);
    if (*c.path) {
      EXPECT_FALSE(still_loaded(c.path));
    }
  }
  EXPECT_TRUE(yrlhost::call_log().empty());
}

// The plug-in resolves the paths it is handed through its Win32 stand-in, whose C: drive
// starts at the process's working directory: they go over exactly as given.
TEST_F(HostSession, PathsAreHandedOverAsGiven) {
  // The version walk opens the plug-in's own file again by the path it was handed: a
  // relative path that the plug-in read otherwise would leave it without markers
  // ("Release 25|0").
  SessionOptions o = options("25", "2002200");
  o.plugin_path = std::filesystem::relative(YRL_PLUGIN_PATH).string();
  ASSERT_TRUE(yrlhost::plugin_session_start(session, o)) << session.failure;
  EXPECT_EQ(session.status, -96);
  EXPECT_EQ(yrlhost::plugin_session_error_text(session), "Release 25|2002360");
  EXPECT_EQ(session.plugin_path, o.plugin_path);
  yrlhost::plugin_session_stop(session);

  // A text directory in Windows form: "C:" and the POSIX path with '\\' delimiters.
  o = options("25", "2003100");
  std::string windows_dir = "C:" + o.text_dir;
  std::replace(windows_dir.begin(), windows_dir.end(), '/', '\\');
  o.text_dir = windows_dir;
  ASSERT_TRUE(yrlhost::plugin_session_start(session, o)) << session.failure;
  EXPECT_EQ(session.status, 0);
  EXPECT_EQ(session.text_dir, windows_dir);
}

TEST_F(HostSession, ASessionLoadsOnePluginAtATime) {
  ASSERT_TRUE(yrlhost::plugin_session_start(session, options("25", "2003100")));
  EXPECT_FALSE(yrlhost::plugin_session_start(session, options("25", "2003100")));
  EXPECT_NE(session.failure.find("loaded in this session already"), std::string::npos);
  EXPECT_EQ(session.status, 0);
}

}  // namespace
