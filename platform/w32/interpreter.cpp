#include "platform/w32/interpreter.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

#include "platform/w32/ascii.h"
#include "platform/w32/error.h"
#include "platform/w32/path.h"

namespace w32 {

namespace {

constexpr int MAX_BATCH_DEPTH = 4;

bool equal_folded(const std::string& a, const char* b) {
  return a.size() == std::strlen(b) && equal_ascii_folded(a.c_str(), b, a.size());
}

bool ends_folded(const std::string& text, const char* tail) {
  std::size_t n = std::strlen(tail);
  return text.size() >= n && equal_ascii_folded(text.c_str() + text.size() - n, tail, n);
}

std::string trim(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && is_blank(text[begin])) ++begin;
  while (end > begin && is_blank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// The first token of line (to the closing quote when it begins with one), and where the
// rest begins.
std::string first_token(const std::string& line, std::size_t* rest) {
  std::size_t at = 0;
  while (at < line.size() && is_blank(line[at])) ++at;
  if (at < line.size() && line[at] == '"') {
    std::size_t close = line.find('"', at + 1);
    if (close == std::string::npos) close = line.size();
    *rest = close < line.size() ? close + 1 : close;
    return line.substr(at + 1, close - at - 1);
  }
  std::size_t end = at;
  while (end < line.size() && !is_blank(line[end])) ++end;
  *rest = end;
  return line.substr(at, end - at);
}

bool names_interpreter(const std::string& program) {
  std::size_t last = program.find_last_of("\\/:");
  std::string base = last == std::string::npos ? program : program.substr(last + 1);
  return equal_folded(base, "cmd.exe") || equal_folded(base, "cmd");
}

// The text after "[switches] /c", or false when there is no "/c".
bool command_of(const std::string& arguments, std::string* command) {
  std::size_t at = 0;
  for (;;) {
    while (at < arguments.size() && is_blank(arguments[at])) ++at;
    std::size_t end = at;
    while (end < arguments.size() && !is_blank(arguments[end])) ++end;
    std::string word = arguments.substr(at, end - at);
    if (equal_folded(word, "/c")) {
      *command = trim(arguments.substr(end));
      return true;
    }
    bool known = (word.size() > 3 && equal_ascii_folded(word.c_str(), "/e:", 3)) ||
                 equal_folded(word, "/q") || equal_folded(word, "/d");
    if (!known) return false;
    at = end;
  }
}

// The shell's single-quoted form of text.
std::string quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  return out + "'";
}

bool shell_name(const std::string& name) {
  if (name.empty() || (name[0] >= '0' && name[0] <= '9')) return false;
  for (char c : name)
    if (!(c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
      return false;
  return true;
}

// The batch's variables: names compare without ASCII case, the first spelling is kept.
struct Variables {
  std::vector<std::pair<std::string, std::string>> entries;

  std::pair<std::string, std::string>* find(const std::string& name) {
    for (auto& entry : entries)
      if (entry.first.size() == name.size() &&
          equal_ascii_folded(entry.first.c_str(), name.c_str(), name.size()))
        return &entry;
    return nullptr;
  }
};

// Expands a batch line: "%%" to '%', "%NAME%" to its value (nothing when unset), and a
// lone '%' dropped.
std::string expand(const std::string& line, Variables* variables) {
  std::string out;
  for (std::size_t at = 0; at < line.size();) {
    if (line[at] != '%') {
      out += line[at++];
      continue;
    }
    if (at + 1 < line.size() && line[at + 1] == '%') {
      out += '%';
      at += 2;
      continue;
    }
    std::size_t close = line.find('%', at + 1);
    if (close == std::string::npos) {
      ++at;
      continue;
    }
    auto* entry = variables->find(line.substr(at + 1, close - at - 1));
    if (entry != nullptr) out += entry->second;
    at = close + 1;
  }
  return out;
}

DWORD script_of_command(const std::string& command, Variables* variables, int depth,
                        std::string* script);

// Translates the batch file at its Windows name into shell lines.
DWORD batch_script(const std::string& name, Variables* variables, int depth,
                   std::string* script) {
  char posix[W32_PATH_CAPACITY];
  if (depth > MAX_BATCH_DEPTH || !w32_resolve_path_a(name.c_str(), posix, sizeof posix))
    return ERROR_FILE_NOT_FOUND;
  std::ifstream in(posix, std::ios::binary);
  if (!in) return ERROR_FILE_NOT_FOUND;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // Leading blanks go; trailing ones belong to a set line's value.
    line = line.substr(std::min(line.size(), line.find_first_not_of(" \t")));
    if (!line.empty() && line[0] == '@') line = line.substr(1);
    std::string bare = trim(line);
    if (bare.empty() || bare.rfind("::", 0) == 0 || equal_folded(bare, "rem") ||
        (bare.size() > 3 && equal_ascii_folded(bare.c_str(), "rem", 3) && is_blank(bare[3])) ||
        equal_folded(bare, "echo off"))
      continue;
    line = expand(line, variables);
    std::size_t rest = 0;
    std::string word = first_token(line, &rest);
    if (equal_folded(word, "set") && line[0] != '"') {
      std::string assignment = line.substr(rest);
      assignment = assignment.substr(std::min(assignment.size(), assignment.find_first_not_of(" \t")));
      if (!assignment.empty() && assignment[0] == '"') {
        std::size_t close = assignment.rfind('"');
        assignment = close > 0 ? assignment.substr(1, close - 1) : assignment.substr(1);
      }
      std::size_t equal = assignment.find('=');
      if (equal == std::string::npos || equal == 0) continue;
      std::string variable = assignment.substr(0, equal);
      std::string value = assignment.substr(equal + 1);
      auto* entry = variables->find(variable);
      if (entry == nullptr) {
        variables->entries.emplace_back(variable, value);
        entry = &variables->entries.back();
      }
      entry->second = value;
      if (!shell_name(entry->first)) continue;
      if (value.empty())
        *script += "unset " + entry->first + "\n";
      else
        *script += "export " + entry->first + "=" + quoted(value) + "\n";
      continue;
    }
    std::string nested;
    if (names_interpreter(word)) {
      std::string command;
      if (!command_of(line.substr(rest), &command)) return ERROR_NOT_SUPPORTED;
      Variables copy = *variables;
      DWORD code = script_of_command(command, &copy, depth + 1, &nested);
      if (code != ERROR_SUCCESS) return code;
      *script += "/bin/sh -c " + quoted(nested) + "\n";
      continue;
    }
    *script += line + "\n";
  }
  // The batch's exit code is its last line's; a batch that ran nothing gives 0.
  if (script->empty()) *script = "true\n";
  return ERROR_SUCCESS;
}

// The script for the command after "/c": a batch file, or the command itself.
DWORD script_of_command(const std::string& command, Variables* variables, int depth,
                        std::string* script) {
  std::string name = command;
  if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
    name = name.substr(1, name.size() - 2);
  if (ends_folded(name, ".bat") || ends_folded(name, ".cmd")) {
    char posix[W32_PATH_CAPACITY];
    struct stat st;
    if (w32_resolve_path_a(name.c_str(), posix, sizeof posix) && stat(posix, &st) == 0 &&
        S_ISREG(st.st_mode))
      return batch_script(name, variables, depth, script);
  }
  *script = command;
  return ERROR_SUCCESS;
}

}  // namespace

bool w32_is_interpreter(const char* application_name, const std::string& line) {
  if (application_name != nullptr) return names_interpreter(application_name);
  std::size_t rest = 0;
  return names_interpreter(first_token(line, &rest));
}

DWORD w32_interpreter_script(const std::string& line, const std::vector<std::string>& environment,
                             std::string* script) {
  std::size_t rest = 0;
  first_token(line, &rest);
  std::string command;
  if (!command_of(line.substr(rest), &command)) return ERROR_NOT_SUPPORTED;
  Variables variables;
  for (const std::string& entry : environment) {
    std::size_t equal = entry.find('=', 1);
    if (equal == std::string::npos) continue;
    std::string name = entry.substr(0, equal);
    if (variables.find(name) == nullptr) variables.entries.emplace_back(name, entry.substr(equal + 1));
  }
  script->clear();
  return script_of_command(command, &variables, 0, script);
}

}  // namespace w32
