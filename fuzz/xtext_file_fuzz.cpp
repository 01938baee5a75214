// String lists read from files: the input is the file. It is read as a text file
// (carriage returns dropped) and as a binary one, by the narrow and the wide reader.
// Either list holds the file's lines, each up to a NUL it may hold, a last line without
// a line feed only when that text is not empty, or the read fails exactly when a line
// is longer than the reader's buffer. The wide list is the narrow one converted; a list
// written back and read again is the same; and the words of the file's text are those
// that stream extraction gives. Nothing is left on the memory chain.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_file.h"
#include "fileaccess/backends/pfu.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "runtime/memory/xar_ptr.h"
#include "runtime/text/strmake.h"
#include "runtime/text/wstring.h"
#include "runtime/text/xtext.h"
#include "tests/support/runtime_test.h"
#include "tests/support/temp_dir.h"

namespace {

// The readers' line buffer: a line with its line feed fits in one byte less.
constexpr std::size_t kLineBuffer = 10000;

void require(bool condition) {
  if (!condition) std::abort();
}

const std::string& path() {
  static const yrltest::TempDir dir;
  static const std::string file = dir.file("list.txt");
  return file;
}

vek::PF_File* open(int access, int mode) {
  vek::PF_File* file = nullptr;
  require(vek::pfu_fopen(path().c_str(), access, mode, 512, &file) == vek::PFU_SUCCESS);
  return file;
}

void close(vek::PF_File** file) { require(vek::pfu_fclose(file) == vek::PFU_SUCCESS); }

template <typename Read>
auto read_with(Read read, int mode) {
  vek::PF_File* file = open(vek::PFU_ACCESS_READ, mode);
  auto list = read(file);
  close(&file);
  return list;
}

std::vector<std::string> strings_of(vek::xtext list) {
  std::vector<std::string> strings;
  for (int i = 0, n = vek::xar_count(&list); i < n; ++i) strings.emplace_back(list[i]);
  return strings;
}

// The lines the reader gives for the file's bytes, as a mode reads them; false when one
// does not fit the buffer.
bool expected_lines(const std::string& bytes, int mode, std::vector<std::string>* lines) {
  std::string text;
  for (char c : bytes)
    if (c != '\r' || mode != vek::PFU_TEXT) text += c;
  lines->clear();
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    if (end - start + 1 >= kLineBuffer) return false;
    lines->push_back(text.substr(start, end - start).c_str());
  }
  if (text.size() - start >= kLineBuffer) return false;
  std::string last = text.substr(start).c_str();
  if (!last.empty()) lines->push_back(last);
  return true;
}

void check_mode(const std::string& bytes, int mode) {
  fuzz_write_file(path(), bytes);
  vek::xtext list = read_with(vek::xtext_read_file, mode);
  vek::xwtext wide = read_with(vek::xwtext_read_file, mode);
  std::vector<std::string> lines;
  const bool fits = expected_lines(bytes, mode, &lines);
  require((list != nullptr) == fits && (wide != nullptr) == fits);
  if (!fits) return;
  require(strings_of(list) == lines);
  require(vek::xar_count(&wide) == static_cast<int>(lines.size()));
  for (std::size_t i = 0; i < lines.size(); ++i) {
    VynWchar* converted = vek::make_strtows(lines[i].c_str());
    require(vek::wscmp(converted, wide[i]) == 0);
    vek::rlsmem(converted);
  }

  // Written back as a text file and read again (a new file: see fuzz_write_file).
  std::remove(path().c_str());
  vek::PF_File* file = open(vek::PFU_ACCESS_CREATE_WRITE, vek::PFU_TEXT);
  require(vek::xtext_write_file(file, &list) == vek::PFU_SUCCESS);
  close(&file);
  vek::xtext back = read_with(vek::xtext_read_file, vek::PFU_TEXT);
  if (mode == vek::PFU_TEXT) require(strings_of(back) == lines);
  require(back != nullptr && vek::xar_count(&back) == static_cast<int>(lines.size()));
  vek::xar_pblock_free(&back);
  vek::xar_pblock_free(&list);
  vek::xar_pblock_free(&wide);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  yrltest::reset_runtime_state();
  yrltest::start_in_english();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  check_mode(bytes, vek::PFU_TEXT);
  check_mode(bytes, vek::PFU_BINARY);

  const std::string text = bytes.c_str();
  std::istringstream stream(text);
  std::vector<std::string> words;
  for (std::string word; stream >> word;) words.push_back(word);
  vek::xtext list = vek::xtext_from_string(text.c_str());
  require(strings_of(list) == words);
  vek::xwtext wide = vek::xwtext_from_string(text.c_str());
  require(vek::xar_count(&wide) == static_cast<int>(words.size()));
  vek::xar_pblock_free(&list);
  vek::xar_pblock_free(&wide);
  require(yrltest::live_blocks() == 0);
  return 0;
}
