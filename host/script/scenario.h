// Scenario files: what yrlhost does with a started plug-in. A scenario is plain text,
// one step per line:
//
//   drawing NAME          a new, empty drawing named NAME becomes the current model
//   open PATH             a saved drawing is opened (retrieved) and becomes current; a
//                         file named *.dxf is read as a DXF drawing (host/dxf/dxf.h)
//   begin drawing         the lines up to "end drawing" are a drawing in the host's
//   ...                   drawing file format, opened as "open" opens a file
//   end drawing
//   save PATH             once the script has run, the current drawing is saved to PATH
//   ACTION ...            anything else is an action of the scripted user
//                         (host/script/script_text.h): menu, press, type, pick, ...
//
// Blank lines and lines whose first word begins with # are skipped. Paths are relative to
// the scenario file's folder. The model steps run in order before the user's actions,
// which then run from the top level (script_run) in order.
#pragma once

#include <string>
#include <vector>

#include "host/script/script.h"

namespace yrlhost {

struct ScenarioModelStep {
  enum class Kind { new_drawing, open_file, open_lines } kind = Kind::new_drawing;
  std::string name_or_path;         // the drawing's name, or the file's path
  std::vector<std::string> lines;   // open_lines: the drawing
  int line_number = 0;              // where the step stands, for error texts
};

struct Scenario {
  std::vector<ScenarioModelStep> models;
  std::vector<ScriptAction> actions;
  std::vector<std::string> save_paths;
};

// Parses a scenario's text; relative paths are taken from base_dir. False with
// "line N: reason" in error for the first line that is not a step.
bool scenario_parse(const std::string& text, const std::string& base_dir, Scenario& scenario,
                    std::string& error);

// The scenario yrlhost runs when it is given none.
const char* scenario_default_text();

}  // namespace yrlhost
