// The text of the host's model files: numbers, escaped texts and the line reader.
#include "host/files/model_file_text.h"

#include <charconv>
#include <cmath>
#include <sstream>

#include "host/util/text_read.h"

namespace yrlhost {

std::vector<std::string> split_words(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// ---- LineReader ------------------------------------------------------------------------

void LineReader::fail(const std::string& what) const {
  throw ReadError{where_ + ":" + std::to_string(index_ + 1) + ": " + what};
}

int LineReader::read_int(const std::string& word, const char* what) const {
  int value = 0;
  if (!number_from_text(word, value)) fail(std::string(what) + " \"" + word + "\" is not an integer");
  return value;
}

double LineReader::read_double(const std::string& word, const char* what) const {
  double value = 0;
  if (!number_from_text(word, value) || !std::isfinite(value))
    fail(std::string(what) + " \"" + word + "\" is not a number");
  return value;
}

std::u16string LineReader::read_wide_text(const std::string& escaped) const {
  std::string text;
  std::u16string wide;
  if (!unescape_text(escaped, text)) fail("bad %XX escape in \"" + escaped + "\"");
  if (!utf16_from_text(text, wide)) fail("text is not UTF-8");
  // Wherever the host hands a text on, it ends at its first NUL.
  if (wide.find(u'\0') != std::u16string::npos) fail("text \"" + escaped + "\" holds a NUL");
  return wide;
}

std::u16string LineReader::read_wide_name(const std::string& escaped, bool may_be_empty) const {
  std::string text;
  std::u16string wide;
  if (!unescape_text(escaped, text)) fail("bad %XX escape in \"" + escaped + "\"");
  if (!utf16_from_text(text, wide)) fail("name is not UTF-8");
  // Wherever the host hands a name on, it ends at its first NUL.
  if (wide.find(u'\0') != std::u16string::npos) fail("name \"" + escaped + "\" holds a NUL");
  if (wide.size() > host_name_max) fail("name \"" + text + "\" is longer than 31 characters");
  if (wide.empty() && !may_be_empty) fail("empty name");
  return wide;
}

void LineReader::expect_words(const std::vector<std::string>& words, std::size_t count,
                              const char* form) const {
  if (words.size() != count) fail(std::string("expected \"") + form + "\"");
}

int LineReader::read_item_id(ModelFile& file, const std::string& word) const {
  int id = read_int(word, "id");
  if (id < 1) fail("id " + word + " is not positive");
  if (id > max_item_id) fail("id " + word + " is above " + std::to_string(max_item_id));
  if (!file.ids.insert(id).second) fail("id " + word + " is used twice");
  file.max_id = std::max(file.max_id, id);
  return id;
}

std::string LineReader::take_line(const std::string& what) {
  if (index_ + 1 >= lines_.size()) fail("the file ends inside " + what);
  std::string line = lines_[++index_];
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::string LineReader::take_counted(const CountedLines& block) {
  auto runs_past = [&](const std::string& into) {
    throw ReadError{where_ + ":" + std::to_string(block.line) + ": " + block.whose + " count, " +
                    std::to_string(block.count) + ", runs past its lines: " + into};
  };
  if (index_ + 1 >= lines_.size()) runs_past("the file ends first");
  std::string line = take_line(block.whose + " lines");
  std::vector<std::string> words = split_words(line);
  if (!words.empty() && keyword(words[0]))
    runs_past("line " + std::to_string(line_number()) + " is \"" + line + "\"");
  return line;
}

bool LineReader::keyword(const std::string& word) {
  static const char* const keywords[] = {
      "yrlhost-model", "type", "name", "units", "feature", "plane", "tree", "sketch", "datums",
      "face", "edge", "parameter", "extdata", "end", "next-id", "sheet", "current-sheet", "model",
      "scale", "view", "entity", "note", "symbol", "dimension", "layer"};
  for (const char* known : keywords)
    if (word == known) return true;
  return false;
}

// ---- WordCursor ------------------------------------------------------------------------

const std::string& WordCursor::next() {
  if (at_ >= words_.size()) reader_.fail("expected \"" + form_ + "\"");
  return words_[at_++];
}

void WordCursor::next_point(double point[3], const char* what) {
  for (int i = 0; i < 3; ++i) point[i] = next_double(what);
}

void WordCursor::end() {
  if (at_ != words_.size()) reader_.fail("expected \"" + form_ + "\"");
}

}  // namespace yrlhost
