// Message files, the message area and the user's typed answers.
#include "host/ui/messages.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "host/api/host_behaviours.h"
#include "host/util/events.h"
#include "host/util/host_testing.h"
#include "host/util/text_read.h"
#include "host/script/script.h"
#include "host/util/utf16.h"
#include "platform/w32/codepage.h"
#include "platform/w32/path.h"

namespace yrlhost {

namespace {

std::map<std::string, MessageFileContent>& file_cache() {
  static std::map<std::string, MessageFileContent> files;
  return files;
}

std::vector<MessageRecord>& records() {
  static std::vector<MessageRecord> log;
  return log;
}

std::string trim_right(const std::string& text) {
  std::size_t end = text.find_last_not_of(" \t\r");
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

// A key or text written in double quotes is taken as it stands inside them, so that
// leading and trailing blanks survive.
std::string unquote(const std::string& text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
    return text.substr(1, text.size() - 2);
  return text;
}

// Checks the placeholders of a text; the reason, or "" when they are all well formed.
std::string placeholder_error(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    if (i + 1 < text.size() && text[i + 1] == '%') {
      ++i;
      continue;
    }
    if (i + 1 >= text.size() || text[i + 1] < '0' || text[i + 1] > '9')
      return "a '%' stands before a value number or another '%' only";
    char type = i + 2 < text.size() ? text[i + 2] : '\0';
    if (type != 's' && type != 'w' && type != 'd' && type != 'f')
      return "a placeholder is %<0-9><s|w|d|f>";
    i += 2;
  }
  return "";
}

// Writes at most max_units units of wide and a terminator to out, never cutting a
// surrogate pair.
void wide_write(const std::u16string& wide, VynWchar* out, std::size_t max_units) {
  std::size_t units = std::min(wide.size(), max_units);
  if (units < wide.size() && units > 0 && wide[units - 1] >= 0xD800 && wide[units - 1] <= 0xDBFF)
    --units;
  wide.copy(out, units);
  out[units] = u'\0';
}

// The POSIX path of file_name under dir; "" when it does not resolve.
std::string message_file_path(const char* dir, const std::string& file_name) {
  std::u16string name = utf16_from_text(std::string(dir), w32::CP_ACP);
  name += u'\\';
  name += utf16_from_text(file_name);
  char posix[w32::W32_PATH_CAPACITY];
  if (!w32::w32_resolve_path_w(name.c_str(), posix, sizeof posix)) return "";
  return posix;
}

// The wide file name of a call as UTF-8; "" for null.
std::string file_name_of(const VynWchar* file) {
  return file ? utf8_from_utf16(file, wide_text_limit) : std::string();
}

// Looks the key up and formats it; the record of the call, whose status tells.
MessageRecord message_make(MessageEvent event, const VynWchar* file, const char* key,
                           const void* const values[10], const char* dir) {
  MessageRecord record;
  record.event = event;
  record.file = file_name_of(file);
  record.key = key ? key : "";
  record.text = record.key;
  if (!file || !key || !dir) {
    record.status = VYN_TK_BAD_INPUTS;
    return record;
  }
  std::string format;
  record.status = message_text_find(dir, record.file, record.key, format);
  if (record.status == VYN_TK_NO_ERROR) record.text = message_format(format, values, &record.values);
  return record;
}

// Waits for the user's typed answer: the text, or nullopt when the user gave nothing
// (an empty answer) or the script has none (a script failure). Another action is a
// script failure too and stays queued for whoever waits for it, as in a selection.
// Every answer taken is logged.
std::optional<std::string> answer_take(const char* what) {
  const ScriptAction* next = script_next_for(what);
  if (!next) return std::nullopt;
  if (next->kind != ScriptActionKind::input_type || !next->dialog.empty() ||
      next->component != "message") {
    script_fail(std::string(what) + " waits for a typed answer, not " +
                script_action_text(*next));
    return std::nullopt;
  }
  ScriptAction action = script_pop();
  MessageRecord record;
  record.event = MessageEvent::input;
  record.text = action.text;
  records().push_back(record);
  if (action.text.empty()) return std::nullopt;
  return action.text;
}

// Reads a number in range (null: any); the host asks again after a refused entry, as
// it would in its message area.
template <typename T>
VynError number_read(const char* what, const T* range, T* value) {
  if (!value) return VYN_TK_BAD_INPUTS;
  for (;;) {
    std::optional<std::string> text = answer_take(what);
    if (!text) return VYN_TK_USER_ABORT;
    T read{};
    if (!number_from_text(*text, read)) continue;
    if (range && (read < range[0] || read > range[1])) continue;
    *value = read;
    return VYN_TK_NO_ERROR;
  }
}

}  // namespace

MessageFileContent message_file_parse(const std::string& content) {
  MessageFileContent parsed;
  std::istringstream in(content);
  std::string line, key;
  bool key_has_text = true;
  int number = 0;
  auto error = [&](const std::string& what) {
    parsed.errors.push_back("line " + std::to_string(number) + ": " + what);
  };
  auto key_close = [&] {
    if (!key_has_text) parsed.errors.push_back("key \"" + key + "\" has no text");
  };
  while (std::getline(in, line)) {
    ++number;
    line = trim_right(line);
    if (line.empty() || line[0] == '#') continue;
    if (line[0] != ' ' && line[0] != '\t') {
      key_close();
      key = unquote(line);
      key_has_text = false;
      if (parsed.texts.count(key)) error("key \"" + key + "\" given twice");
      parsed.texts[key];
      continue;
    }
    if (key.empty()) {
      error("a text before any key");
      continue;
    }
    std::string text = unquote(line.substr(line.find_first_not_of(" \t")));
    std::string bad = placeholder_error(text);
    if (!bad.empty()) error(bad);
    std::string& stored = parsed.texts[key];
    stored += (key_has_text ? "\n" : "") + text;
    key_has_text = true;
  }
  key_close();
  return parsed;
}

std::optional<MessageFileContent> message_file_read(const std::string& posix_path) {
  std::string content;
  if (!file_text_read(posix_path, content)) return std::nullopt;
  return message_file_parse(content);
}

VynError message_text_find(const char* dir, const std::string& file_name,
                           const std::string& key, std::string& text) {
  if (!dir || file_name.empty()) return VYN_TK_BAD_INPUTS;
  std::string path = message_file_path(dir, file_name);
  if (path.empty()) return VYN_TK_E_NOT_FOUND;
  auto cached = file_cache().find(path);
  if (cached == file_cache().end()) {
    std::optional<MessageFileContent> read = message_file_read(path);
    if (!read) return VYN_TK_E_NOT_FOUND;
    cached = file_cache().emplace(path, std::move(*read)).first;
  }
  const MessageFileContent& content = cached->second;
  if (!content.errors.empty()) return VYN_TK_E_NOT_FOUND;
  auto found = content.texts.find(key);
  if (found == content.texts.end()) return VYN_TK_E_NOT_FOUND;
  text = found->second;
  return VYN_TK_NO_ERROR;
}

std::string message_format(const std::string& format, const void* const values[10],
                           std::vector<std::string>* value_texts) {
  std::string text;
  if (value_texts) value_texts->clear();
  for (std::size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c != '%' || i + 1 >= format.size()) {
      text += c;
      continue;
    }
    if (format[i + 1] == '%') {
      text += '%';
      ++i;
      continue;
    }
    char digit = format[i + 1];
    char type = i + 2 < format.size() ? format[i + 2] : '\0';
    if (digit < '0' || digit > '9' ||
        (type != 's' && type != 'w' && type != 'd' && type != 'f')) {
      text += c;  // not a placeholder (a parsed file never has one such)
      continue;
    }
    int n = digit - '0';
    const void* value = values ? values[n] : nullptr;
    std::string shown = "(null)";
    if (value) {
      switch (type) {
        case 's': shown = utf8_from_narrow(static_cast<const char*>(value)); break;
        case 'w': shown = utf8_from_utf16(static_cast<const VynWchar*>(value), wide_text_limit); break;
        case 'd': shown = std::to_string(*static_cast<const int*>(value)); break;
        case 'f': {
          char buffer[64];
          std::snprintf(buffer, sizeof buffer, "%g", *static_cast<const double*>(value));
          shown = buffer;
          break;
        }
      }
    }
    if (value_texts) {
      if (value_texts->size() <= static_cast<std::size_t>(n)) value_texts->resize(n + 1);
      (*value_texts)[n] = shown;
    }
    text += shown;
    i += 2;
  }
  return text;
}

const std::vector<MessageRecord>& message_log() { return records(); }

std::vector<std::string> messages_displayed() {
  std::vector<std::string> texts;
  for (const MessageRecord& record : records())
    if (record.event == MessageEvent::display && record.status == VYN_TK_NO_ERROR)
      texts.push_back(record.text);
  return texts;
}

std::vector<std::string> message_area() {
  std::vector<std::string> texts;
  for (const MessageRecord& record : records()) {
    if (record.event == MessageEvent::clear) texts.clear();
    if (record.event == MessageEvent::display && record.status == VYN_TK_NO_ERROR)
      texts.push_back(record.text);
  }
  return texts;
}

std::string message_log_text() {
  std::string text;
  for (const MessageRecord& record : records()) {
    switch (record.event) {
      case MessageEvent::display:
      case MessageEvent::to_buffer:
        text += record.file + " " + record.key + ": " + record.text;
        if (record.status != VYN_TK_NO_ERROR)
          text += " (status " + std::to_string(record.status) + ")";
        break;
      case MessageEvent::clear: text += "(clear)"; break;
      case MessageEvent::input: text += "(typed) " + record.text; break;
    }
    text += "\n";
  }
  return text;
}

VynError Behaviour<HostApi::VynMessageDisplay>::run(int, const VynWchar* file, const char* key,
                                                    const void* v1, const void* v2,
                                                    const void* v3, const void* v4,
                                                    const void* v5, const void* v6,
                                                    const void* v7, const void* v8,
                                                    const void* v9, const void* v10,
                                                    const char* dir) {
  const void* values[10] = {v1, v2, v3, v4, v5, v6, v7, v8, v9, v10};
  records().push_back(message_make(MessageEvent::display, file, key, values, dir));
  host_event("message " + records().back().file + " " + records().back().key + ": " +
             records().back().text);
  return records().back().status;
}

VynError Behaviour<HostApi::VynMessageToBuffer>::run(int, VynWchar* buffer,
                                                     const VynWchar* file, const char* key,
                                                     const void* v1, const void* v2,
                                                     const void* v3, const void* v4,
                                                     const void* v5, const void* v6,
                                                     const void* v7, const void* v8,
                                                     const void* v9, const void* v10,
                                                     const char* dir) {
  const void* values[10] = {v1, v2, v3, v4, v5, v6, v7, v8, v9, v10};
  MessageRecord record = message_make(MessageEvent::to_buffer, file, key, values, dir);
  if (!buffer && record.status == VYN_TK_NO_ERROR) record.status = VYN_TK_BAD_INPUTS;
  if (record.status == VYN_TK_NO_ERROR) {
    wide_write(utf16_from_text(record.text), buffer, message_buffer_units - 1);
  }
  records().push_back(record);
  return record.status;
}

void Behaviour<HostApi::VynMessageClear>::run(int) {
  MessageRecord record;
  record.event = MessageEvent::clear;
  records().push_back(record);
}

VynError Behaviour<HostApi::VynMessageStringRead>::run(int, int max_length, VynWchar* text) {
  if (!text || max_length < 0) return VYN_TK_BAD_INPUTS;
  std::optional<std::string> answer = answer_take("VynMessageStringRead");
  if (!answer) return VYN_TK_USER_ABORT;
  wide_write(utf16_from_text(*answer), text, static_cast<std::size_t>(max_length));
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynMessageIntegerRead>::run(int, const int* range, int* value) {
  return number_read("VynMessageIntegerRead", range, value);
}

VynError Behaviour<HostApi::VynMessageDoubleRead>::run(int, const double* range, double* value) {
  return number_read("VynMessageDoubleRead", range, value);
}

void messages_testing_reset() {
  file_cache().clear();
  records().clear();
}

}  // namespace yrlhost
