// The text of the host's model files, shared by the readers and writers of its parts
// (model_files.cpp for models and parts, drawing_files.cpp for a drawing's content): a
// reader of lines that fails with the file and line (numbers and escaped texts are
// host/util/text_fields.h's).
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/store/model_geometry.h"
#include "host/store/model_store.h"
#include "host/util/text_fields.h"

namespace yrlhost {

std::vector<std::string> split_words(const std::string& text);

// Ids stay far enough below INT_MAX that a model can go on numbering new items.
inline constexpr int max_item_id = 1 << 30;

// A model file failed to read: "<where>:<line>: <what>".
struct ReadError {
  std::string text;
};

// One value of an element of a feature's tree as a file keeps it: its data, and what the
// data points to once it is loaded (a selection names an item of the part itself).
struct FileValue {
  VynValuedata data{};
  bool null_text = false;  // a string or wide string value that is a null pointer
  std::string text;
  std::u16string wide;
  VynModelitem item{};
  double transform[4][4] = {};
};
// One element of a feature's tree: its depth (0 the root), id, and single value or list.
struct FileTreeLine {
  int level = 0;
  int id = 0;
  bool list = false;
  std::vector<FileValue> values;
};

// A model file as read, before it comes into session.
struct ModelFile {
  int type = 0;
  std::u16string name;
  std::string units = "INCH";
  std::vector<StoredFeature> features;
  std::vector<StoredParameter> parameters;  // the model's own: owner_id 0 until loaded
  std::vector<std::string> extdata;
  int extdata_line = 0;
  std::set<int> ids;      // every item id given
  int max_id = 0;
  int next_id = 0;        // "next-id"; 0 when not given
  DrawingContent drawing;
  bool drawing_started = false;     // a drawing line other than a sheet was read
  std::vector<int> model_lines;     // the line of each drawing model, in order
  std::map<int, std::vector<FileTreeLine>> feature_trees;  // parts: the trees, by feature id
  ItemIdTable item_ids;  // parts: the ids their faces and edges were given
};

// A block of lines that a line announces by their count ("tree 5", "note ... 2"): whose
// lines they are ("the tree's", "note 7's"), the count and the line that gives it.
struct CountedLines {
  std::string whose;
  int count = 0;
  int line = 0;
};

// Reads the lines of one file in order. Every failure throws ReadError naming the file
// and the line being read.
class LineReader {
 public:
  LineReader(const std::vector<std::string>& lines, const std::string& where)
      : lines_(lines), where_(where) {}

  [[noreturn]] void fail(const std::string& what) const;
  int read_int(const std::string& word, const char* what) const;
  // A finite double.
  double read_double(const std::string& word, const char* what) const;
  // An escaped name of at most 31 characters (empty only when may_be_empty).
  std::u16string read_wide_name(const std::string& escaped, bool may_be_empty) const;
  // An escaped text of any length.
  std::u16string read_wide_text(const std::string& escaped) const;
  void expect_words(const std::vector<std::string>& words, std::size_t count, const char* form) const;
  // A new item id of the model: positive, not above max_item_id, not given before.
  int read_item_id(ModelFile& file, const std::string& word) const;
  int line_number() const { return static_cast<int>(index_) + 1; }
  // The line after the current one, which becomes current, without its '\r'; fails at
  // the end of the file with "the file ends inside <what>".
  std::string take_line(const std::string& what);
  // The next line of a counted block; a count that runs past the block fails at the
  // line of the count, saying so: at the end of the file, and at a line whose first word
  // begins a line of the file's own (a keyword: the block ended before its count did).
  std::string take_counted(const CountedLines& block);
  // Whether a word begins a line of the host's model files.
  static bool keyword(const std::string& word);

 protected:
  const std::vector<std::string>& lines_;
  const std::string& where_;
  std::size_t index_ = 0;  // the current line, from 0
};

// The words of a line read one after the other.
class WordCursor {
 public:
  WordCursor(const LineReader& reader, const std::vector<std::string>& words, std::string form)
      : reader_(reader), words_(words), form_(std::move(form)) {}
  // The next word; fails with "expected \"<form>\"" when there is none.
  const std::string& next();
  int next_int(const char* what) { return reader_.read_int(next(), what); }
  int read_int(const std::string& word, const char* what) const { return reader_.read_int(word, what); }
  double next_double(const char* what) { return reader_.read_double(next(), what); }
  void next_point(double point[3], const char* what);
  // Fails unless every word was read.
  void end();

 private:
  const LineReader& reader_;
  const std::vector<std::string>& words_;
  std::string form_;
  std::size_t at_ = 1;  // the keyword is read
};

// ---- A part's features made from trees (feature_files.cpp) ----------------------------

// Reads the lines a feature made from a tree adds after its "feature" line ("tree",
// "sketch", "datums" and the lines they announce) and a part's "face" and "edge" lines;
// false for another keyword.
bool feature_line_read(LineReader& reader, ModelFile& file, const std::vector<std::string>& words);
// The lines of a feature made from a tree, after its "feature" line.
void feature_lines_write(const StoredFeature& feature, std::vector<std::string>& lines);
// A part's "face" and "edge" lines: the ids its faces and edges were given, by origin.
void item_id_lines_write(StoredModel& model, std::vector<std::string>& lines);
// Gives a part read from a file the trees of its features and their sections, and
// regenerates it.
void feature_trees_load(StoredModel& model, const ModelFile& file);

// ---- A drawing's content (drawing_files.cpp) ------------------------------------------

// Reads one line of a drawing's content whose keyword is given; false for a keyword that
// is not one of a drawing's.
bool drawing_line_read(LineReader& reader, ModelFile& file, const std::vector<std::string>& words);
// Checks what a whole file read says of its drawing; called once the file has ended.
void drawing_file_finish(const LineReader& reader, ModelFile& file);
// The lines of a drawing's content, in the order a file keeps them.
void drawing_lines_write(const StoredModel& model, std::vector<std::string>& lines);
// The file name (no folder) a drawing model of that name is saved under beside its
// drawing: the name (UTF-8) with every byte but ASCII letters, digits, '_' and '-' and
// the bytes of non-ASCII characters as %XX, and ".prt".
std::string drawing_part_file_name(const std::u16string& part);

}  // namespace yrlhost
