// The application started in the stand-in host, for the fuzz targets of its readers. The
// plug-in starts once, from the load state of every module as a test starts, in a
// temporary working directory of the process's own, so that the files the application
// reads and writes stay there. Between inputs the host goes back to its start state and
// each target resets the application modules whose state its reader keeps.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "host/plugin/plugin_session.h"
#include "tests/support/temp_dir.h"
#include "tests/toolkit/toolkit_test.h"

namespace yrlfuzz {

// The temporary working directory of the run, made and entered on first use and removed
// at exit.
inline const std::string& work_dir() {
  static yrltest::InTempDir dir;
  return dir.path();
}

// Starts the plug-in with the host's resources as its text directory on the first call;
// ends the process when it does not start. Later calls put the host's logs, models,
// external data, dialogs and menus back to their start state.
inline void app_next_input() {
  static std::vector<win_export_entry> table;
  if (!table.empty()) {
    yrlhost::host_testing_reset();
    return;
  }
  static VynWchar error_text[64];
  static const std::string text_dir = yrlhost::session_defaults().text_dir;
  work_dir();
  yrltest::reset_runtime_state();
  yrltest::start_in_english();
  yrltest::reset_toolkit_state();
  table = yrlhost::host_table_build();
  yrltest::StartArgs args;
  args.text_dir = text_dir.c_str();
  if (yrltest::start_plugin(args, table, error_text) != 0) std::abort();
}

}  // namespace yrlfuzz
