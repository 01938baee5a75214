// Scenario files parsed into model steps and the scripted user's actions.
#include "host/script/scenario.h"

#include <sstream>
#include <utility>

#include "host/script/script_text.h"

namespace yrlhost {
namespace {

std::string resolved(const std::string& path, const std::string& base_dir) {
  if (path.empty() || path[0] == '/' || base_dir.empty()) return path;
  return base_dir + "/" + path;
}

bool is_skipped(const std::vector<std::string>& words) {
  return words.empty() || words[0][0] == '#';
}

}  // namespace

bool scenario_parse(const std::string& text, const std::string& base_dir, Scenario& scenario,
                    std::string& error) {
  Scenario parsed;
  std::istringstream in(text);
  std::string line;
  int number = 0;
  ScenarioModelStep* inline_drawing = nullptr;
  auto fail = [&](const std::string& why) {
    error = "line " + std::to_string(number) + ": " + why;
    return false;
  };

  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // A NUL byte would cut a word short without a trace.
    if (line.find('\0') != std::string::npos) return fail("a NUL byte in the line");
    std::vector<std::string> words;
    std::string why;
    if (inline_drawing) {
      // The drawing's own lines are kept as they stand, up to the closing line.
      if (script_split_words(line, words, why) &&
          words == std::vector<std::string>{"end", "drawing"}) {
        inline_drawing = nullptr;
      } else {
        inline_drawing->lines.push_back(line);
      }
      continue;
    }
    if (!script_split_words(line, words, why)) return fail(why);
    if (is_skipped(words)) continue;

    const std::string& step = words[0];
    if (step == "drawing" || step == "open" || step == "save") {
      if (words.size() != 2) return fail("usage: " + step + (step == "drawing" ? " NAME" : " PATH"));
      if (step == "save") {
        parsed.save_paths.push_back(resolved(words[1], base_dir));
        continue;
      }
      ScenarioModelStep model;
      model.kind = step == "drawing" ? ScenarioModelStep::Kind::new_drawing
                                     : ScenarioModelStep::Kind::open_file;
      model.name_or_path = step == "drawing" ? words[1] : resolved(words[1], base_dir);
      model.line_number = number;
      parsed.models.push_back(std::move(model));
    } else if (step == "begin") {
      if (words != std::vector<std::string>{"begin", "drawing"}) return fail("usage: begin drawing");
      ScenarioModelStep model;
      model.kind = ScenarioModelStep::Kind::open_lines;
      model.line_number = number;
      parsed.models.push_back(std::move(model));
      inline_drawing = &parsed.models.back();
    } else {
      ScriptAction action;
      if (!script_action_from_words(words, action, why)) return fail(why);
      parsed.actions.push_back(std::move(action));
    }
  }
  if (inline_drawing) return fail("\"begin drawing\" without \"end drawing\"");
  scenario = std::move(parsed);
  return true;
}

const char* scenario_default_text() {
  // The bracket road, then a save of the drawing (bracket.drw, with BRACKET.prt and
  // BRACKET.brep beside it) in the working directory.
  return
#include "host/script/scenario_default.inc"
      ;
}

}  // namespace yrlhost
