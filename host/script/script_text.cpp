// The scripted user's actions parsed from text.
#include "host/script/script_text.h"

#include <utility>

#include "host/util/text_read.h"

namespace yrlhost {
namespace {

bool parse_int(const std::string& word, int& value) { return number_from_text(word, value); }

bool parse_double(const std::string& word, double& value) { return number_from_text(word, value); }

// Reads count numbers from words[first...] into values.
bool parse_point(const std::vector<std::string>& words, std::size_t first, double* values,
                 int count, std::string& error) {
  for (int i = 0; i < count; ++i) {
    if (!parse_double(words[first + i], values[i])) {
      error = "not a number: \"" + words[first + i] + "\"";
      return false;
    }
  }
  return true;
}

// One pick: TYPE ID [WINDOW [X Y Z [U V]]].
bool parse_pick(const std::vector<std::string>& words, ScriptPick& pick, std::string& error) {
  if (words.size() != 2 && words.size() != 3 && words.size() != 6 && words.size() != 8) {
    error = "a pick is TYPE ID [WINDOW [X Y Z [U V]]]";
    return false;
  }
  int values[3] = {0, 0, 0};
  for (std::size_t i = 0; i < words.size() && i < 3; ++i) {
    if (!parse_int(words[i], values[i])) {
      error = "not a whole number: \"" + words[i] + "\"";
      return false;
    }
  }
  pick.item.type = values[0];
  pick.item.id = values[1];
  pick.window = values[2];
  pick.has_point = words.size() >= 6;
  pick.has_uv = words.size() == 8;
  return !pick.has_point ||
         (parse_point(words, 3, pick.point, 3, error) &&
          (!pick.has_uv || parse_point(words, 6, pick.uv, 2, error)));
}

struct ActionForm {
  const char* word;
  ScriptActionKind kind;
  std::size_t min_words, max_words;  // the words after the first; max 0: any number
  const char* usage;
};

// The actions whose words are dialog, component and names; the others are parsed by hand
// below.
constexpr ActionForm forms[] = {
    {"menu", ScriptActionKind::menu_press, 2, 2, "menu MENU BUTTON"},
    {"press", ScriptActionKind::button_press, 2, 2, "press DIALOG COMPONENT"},
    {"toggle", ScriptActionKind::check_toggle, 2, 2, "toggle DIALOG COMPONENT"},
    {"radio", ScriptActionKind::radio_choose, 3, 3, "radio DIALOG COMPONENT NAME"},
    {"option", ScriptActionKind::option_choose, 3, 3, "option DIALOG COMPONENT NAME"},
    {"tab", ScriptActionKind::tab_choose, 3, 3, "tab DIALOG COMPONENT NAME"},
    {"type", ScriptActionKind::input_type, 3, 4, "type DIALOG COMPONENT TEXT [EVENT]"},
    {"answer", ScriptActionKind::input_type, 1, 1, "answer TEXT"},
    {"list", ScriptActionKind::list_select, 2, 0, "list DIALOG COMPONENT NAME..."},
    {"table", ScriptActionKind::table_select, 2, 0, "table DIALOG COMPONENT ROW..."},
    {"close", ScriptActionKind::close_box, 1, 1, "close DIALOG"},
    {"pick", ScriptActionKind::pick, 2, 0, "pick TYPE ID [WINDOW [X Y Z [U V]]] [+ ...]"},
    {"abort", ScriptActionKind::pick_abort, 0, 1, "abort [STATUS]"},
    {"mouse", ScriptActionKind::mouse_pick, 4, 4, "mouse BUTTON X Y Z"},
    {"box", ScriptActionKind::mouse_box, 3, 6, "box [X1 Y1 Z1] X2 Y2 Z2"},
};

}  // namespace

bool script_split_words(const std::string& line, std::vector<std::string>& words,
                        std::string& error) {
  words.clear();
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r' || line[i] == '\n') {
      ++i;
      continue;
    }
    std::string word;
    if (line[i] == '"') {
      ++i;
      for (;;) {
        if (i >= line.size()) {
          error = "unterminated quote";
          return false;
        }
        char c = line[i++];
        if (c == '"') break;
        if (c == '\\') {
          if (i >= line.size() || (line[i] != '"' && line[i] != '\\')) {
            error = "a backslash in quotes stands before \" or \\ only";
            return false;
          }
          c = line[i++];
        }
        word += c;
      }
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' &&
             line[i] != '\n')
        word += line[i++];
    }
    words.push_back(std::move(word));
  }
  return true;
}

bool script_action_from_words(const std::vector<std::string>& words, ScriptAction& action,
                              std::string& error) {
  if (words.empty()) {
    error = "no action";
    return false;
  }
  const ActionForm* form = nullptr;
  for (const ActionForm& candidate : forms)
    if (words[0] == candidate.word) form = &candidate;
  if (!form) {
    error = "unknown action \"" + words[0] + "\"";
    return false;
  }
  std::size_t count = words.size() - 1;
  if (count < form->min_words || (form->max_words && count > form->max_words)) {
    error = std::string("usage: ") + form->usage;
    return false;
  }
  ScriptAction parsed;
  parsed.kind = form->kind;
  for (std::size_t i = 0; i < words.size(); ++i) parsed.source += (i ? " " : "") + words[i];
  auto arg = [&](std::size_t i) -> const std::string& { return words[i + 1]; };

  switch (form->kind) {
    case ScriptActionKind::menu_press:
      parsed.component = arg(0);
      parsed.name = arg(1);
      break;
    case ScriptActionKind::close_box:
      parsed.dialog = arg(0);
      break;
    case ScriptActionKind::input_type:
      if (words[0] == "answer") {
        // A prompt's answer goes to the message area's input panel.
        parsed.component = "message";
        parsed.text = arg(0);
        parsed.event = InputEvent::activate;
        break;
      }
      parsed.dialog = arg(0);
      parsed.component = arg(1);
      parsed.text = arg(2);
      parsed.event = InputEvent::activate;
      if (count == 4) {
        if (arg(3) == "activate") parsed.event = InputEvent::activate;
        else if (arg(3) == "focusout") parsed.event = InputEvent::focus_out;
        else if (arg(3) == "none") parsed.event = InputEvent::none;
        else {
          error = "the event is activate, focusout or none, not \"" + arg(3) + "\"";
          return false;
        }
      }
      break;
    case ScriptActionKind::pick: {
      std::vector<std::string> pick_words;
      for (std::size_t i = 1; i <= words.size(); ++i) {
        if (i == words.size() || words[i] == "+") {
          ScriptPick pick;
          if (!parse_pick(pick_words, pick, error)) return false;
          parsed.picks.push_back(pick);
          pick_words.clear();
        } else {
          pick_words.push_back(words[i]);
        }
      }
      break;
    }
    case ScriptActionKind::pick_abort:
      if (count == 1 && !parse_int(arg(0), parsed.status)) {
        error = "not a whole number: \"" + arg(0) + "\"";
        return false;
      }
      break;
    case ScriptActionKind::mouse_pick:
      if (!parse_int(arg(0), parsed.button)) {
        error = "not a whole number: \"" + arg(0) + "\"";
        return false;
      }
      if (!parse_point(words, 2, parsed.point, 3, error)) return false;
      break;
    case ScriptActionKind::mouse_box:
      // The corner the box is dragged to, after its first corner when that is given.
      if (count != 3 && count != 6) {
        error = std::string("usage: ") + form->usage;
        return false;
      }
      parsed.has_start = count == 6;
      if ((parsed.has_start && !parse_point(words, 1, parsed.point, 3, error)) ||
          !parse_point(words, parsed.has_start ? 4 : 1, parsed.corner, 3, error))
        return false;
      break;
    default:  // dialog, component and the chosen name or names
      parsed.dialog = arg(0);
      parsed.component = arg(1);
      if (form->kind == ScriptActionKind::list_select ||
          form->kind == ScriptActionKind::table_select)
        parsed.names.assign(words.begin() + 3, words.end());
      else if (count == 3)
        parsed.name = arg(2);
      break;
  }
  action = std::move(parsed);
  return true;
}

bool script_push_text(const std::string& line, std::string& error) {
  std::vector<std::string> words;
  ScriptAction action;
  if (!script_split_words(line, words, error) ||
      !script_action_from_words(words, action, error))
    return false;
  script_push(std::move(action));
  return true;
}

}  // namespace yrlhost
