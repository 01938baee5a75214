// Fixture of the toolkit tests: the run-time's start state, the toolkit's and the
// application's state as at load, and the stand-in host's function table, whose
// functions log what the plug-in asks of them (host/plugin/call_log.h).
#pragma once

#include <string>
#include <vector>

#include "app/menus/app_testing.h"
#include "host/plugin/call_log.h"
#include "host/plugin/host_table.h"
#include "host/util/host_testing.h"
#include "runtime/system/appinfo_testing.h"
#include "tests/support/runtime_test.h"
#include "toolkit/binding/binding_testing.h"
#include "toolkit/startup/startup.h"
#include "toolkit/local/geomdata_testing.h"
#include "toolkit/startup/startup_testing.h"
#include "toolkit/testreport/testreport_testing.h"
#include "toolkit/util/collect_testing.h"
#include "toolkit/util/elemtree_util_testing.h"

namespace yrltest {

// The start-up arguments a test varies; the others are fixed.
struct StartArgs {
  const char* version = "25";
  const char* build = "2003100";
  const char* text_dir = "/nonexistent-yrl-text-dir";
  const char* exec_path = YRL_PLUGIN_PATH;
  int context = 7;
  int language = 0;
};

// A row of the host's table for a test's own host function: the plug-in calls it through
// its row's type, which function must have.
template <typename F>
win_export_entry host_row(F* function, const char* key) {
  return win_export_entry{reinterpret_cast<VynHostFunction>(function), key};
}

// The report line of a forwarding function whose host function is missing.
inline std::string missing_function_report(const std::string& report_name) {
  return report_name + ":  couldn't find pointer to Mavrel-side function";
}

// The toolkit's and the application's state as at load, and the stand-in host's start
// state: also its log, its set answers and the keys of its extra recorders.
inline void reset_toolkit_state() {
  binding_testing_reset();
  startup_testing_reset();
  app_testing_reset();
  testreport_testing_reset();
  geomdata_testing_reset();
  elemtree_util_testing_reset();
  collect_testing_reset();
  yrlhost::host_testing_reset();
}

// user_initialize_plus as the host calls it with table, which must outlive the plug-in's
// use of it; error_text holds 64 units.
inline int start_plugin(const StartArgs& args, std::vector<win_export_entry>& table,
                        VynWchar* error_text) {
  return user_initialize_plus(0, nullptr, args.version, args.build, nullptr, error_text,
                              args.text_dir, u"Yrlform", args.exec_path, args.context, 0,
                              table.data(), static_cast<int>(table.size()), args.language);
}

class ToolkitTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    reset_toolkit();
  }
  void TearDown() override {
    reset_toolkit();
    RuntimeTest::TearDown();
  }

  static void reset_toolkit() { reset_toolkit_state(); }

  // The host's table as table_options make it, kept alive in table.
  win_export_entry* build_table() {
    table = yrlhost::host_table_build(table_options);
    return table.data();
  }

  // user_initialize_plus as the host calls it, with a fresh table.
  int start(const StartArgs& args = StartArgs()) {
    build_table();
    return start_plugin(args, table, error_text);
  }

  // Hands a fresh table to the plug-in as start-up does, without starting.
  void bind_table() {
    win_export_functions = build_table();
    win_export_func_ct = static_cast<int>(table.size());
  }

  // The error text written into the host's buffer (ASCII).
  std::string error() const {
    std::string text;
    for (const VynWchar* c = error_text; *c; ++c) text += static_cast<char>(*c);
    return text;
  }

  yrlhost::HostTableOptions table_options;
  std::vector<win_export_entry> table;
  VynWchar error_text[64] = {};
};

}  // namespace yrltest
