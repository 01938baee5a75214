// The language resource file (vyn_i18n.res): the input is the file. It is loaded into an
// emptied locale table. Every row loaded is one word of 1 to 63 bytes that could not end
// the section, with the id of a language of the file. Written back as a resource file
// the table loads to the same rows; a load that appends puts the same rows behind those
// there already; and a session whose line reads walk by characters (Japanese, generic
// multibyte) loads the same rows from a file whose lines all fit one read.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/fuzz_file.h"
#include "runtime/text/lang.h"
#include "runtime/text/lang_testing.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "tests/support/temp_dir.h"

namespace {

using Rows = std::vector<std::pair<std::string, int>>;

// The file's language names: the first of each id is the one written back.
const std::pair<const char*, int> kLanguages[] = {
    {"ENGLISH", 0},  {"C", 0},           {"JAPANESE", 1},     {"FRENCH", 2},
    {"GERMAN", 3},   {"RUSSIAN", 4},     {"ITALIAN", 5},      {"SPANISH", 7},
    {"GENERIC_LANG", 6}, {"KOREAN", 8},  {"CHINESE_TW", 9},   {"CHINESE_CN", 10},
    {"GENERIC_LANG_SB", 11}, {"HEBREW", 12},
};

// The longest line the reader takes at once, without its line feed.
constexpr std::size_t kLineFits = 80;

void require(bool condition) {
  if (!condition) std::abort();
}

const char* language_name(int id) {
  for (const auto& [name, language] : kLanguages)
    if (language == id) return name;
  return nullptr;
}

Rows table_rows() {
  Rows rows;
  for (int i = 0, n = vek::lang_testing_locale_count(); i < n; ++i) {
    int id = 0;
    const char* name = vek::lang_testing_locale_row(i, &id);
    rows.emplace_back(name, id);
  }
  return rows;
}

Rows load(const std::string& text, int append) {
  static const yrltest::TempDir dir;
  const std::string path = dir.file("vyn_i18n.res");
  fuzz_write_file(path, text);
  require(vek::langLoadExtTbl(path.c_str(), append) == 0);
  return table_rows();
}

void require_rows_of_a_file(const Rows& rows) {
  for (const auto& [name, id] : rows) {
    require(!name.empty() && name.size() < vek::LANG_LOCALE_NAME_SIZE);
    require(name.find_first_of(" \t\r\n[]{}") == std::string::npos);
    require(language_name(id) != nullptr);
  }
}

std::string written(const Rows& rows) {
  std::string text = "[LOCALE]\n{WINDOWS}\n";
  for (const auto& [name, id] : rows) text += std::string(language_name(id)) + " " + name + "\n";
  return text + "}\n";
}

bool lines_fit(const std::string& text) {
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    if (end - start > kLineFits) return false;
  return text.size() - start <= kLineFits;
}

void start_session(int language) {
  yrltest::reset_runtime_state();
  vek::set_language(language);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  yrltest::ConsoleCapture console;  // the reports of unknown language names

  start_session(vek::LANG_ENGLISH);
  const Rows rows = load(text, 0);
  require_rows_of_a_file(rows);
  require(load(written(rows), 0) == rows);
  Rows twice = rows;
  twice.insert(twice.end(), rows.begin(), rows.end());
  require(load(text, 1) == twice);

  start_session(size % 2 ? vek::LANG_JAPANESE : vek::LANG_GENERIC_MULTIBYTE);
  const Rows walked = load(text, 0);
  require_rows_of_a_file(walked);
  if (lines_fit(text)) require(walked == rows);
  yrltest::reset_runtime_state();
  return 0;
}
