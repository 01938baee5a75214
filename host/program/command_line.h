// yrlhost's command line: the session the plug-in is started with and the scenario it
// runs, read from the program's arguments without starting anything.
#pragma once

#include <string>

#include "host/plugin/plugin_session.h"

namespace yrlhost {

struct HostCommandLine {
  SessionOptions options;     // from session_defaults(); args holds the whole argv
  std::string scenario_path;  // "" for the embedded default scenario
  bool pictures = false;      // --svg was given
  std::string svg_dir;        // where the windows' pictures go
  bool help = false;          // --help came before anything wrong
};

// Reads argv (argv[0] the program) into line, which starts from the session defaults.
// Options: --plugin, --version, --build, --text-dir, --scenario and --svg take a text, --lang
// and --context a whole number; --help ends the reading. false for an unknown option,
// a missing value or a value that is no number, with error "<reason>: <argument>".
bool host_command_line_parse(int argc, const char* const* argv, HostCommandLine& line,
                             std::string& error);

}  // namespace yrlhost
