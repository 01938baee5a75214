// Line reads of the file-access layer: the input is the file, whose first bytes also
// pick a line limit and a session language. Read to its end with pfa_fgets (in
// Japanese and the generic languages a character cut by the limit goes back to the
// stream), every line holds at most limit - 1 bytes, its count is its length, and the
// lines put together are the file, or the start of it when a character can never fit
// the limit (11). Read with pfu_fgets in binary and in text mode, the lines put together
// are the file, without its carriage returns in text mode. A file holding a NUL is
// only read, since a line's text ends there.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_file.h"
#include "fileaccess/backends/pfu.h"
#include "fileaccess/core/pfa.h"
#include "runtime/text/lang.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "tests/support/temp_dir.h"

namespace {

const int kLanguages[] = {vek::LANG_ENGLISH, vek::LANG_JAPANESE, vek::LANG_GENERIC_MULTIBYTE,
                          vek::LANG_GENERIC_SINGLE_BYTE, vek::LANG_KOREAN};

void require(bool condition) {
  if (!condition) std::abort();
}

bool is_walked(int language) {
  return language == vek::LANG_JAPANESE || language == vek::LANG_GENERIC_MULTIBYTE ||
         language == vek::LANG_GENERIC_SINGLE_BYTE;
}

// The lines pfa_fgets gives, put together; *whole is false when it stopped before the end.
std::string pfa_lines(const std::string& path, int limit, bool walked, bool* whole) {
  vek::VynFile* file = vek::pfa_fopen_file_vers(path.c_str(), "r", 0);
  require(file != nullptr);
  std::string lines;
  std::vector<char> buffer(static_cast<std::size_t>(limit));
  *whole = false;
  for (;;) {
    int count = -1;
    const int result = vek::pfa_fgets(file, limit, &count, buffer.data());
    const std::size_t length = std::strlen(buffer.data());
    if (result == vek::PFA_E_QUIT) {
      require(count == 0 && length == 0);
      *whole = true;
      break;
    }
    if (result == vek::PFA_E_NOT_VALID) {
      require(walked && length == 0);
      break;
    }
    require(result == vek::PFA_E_NO_ERROR);
    require(count == static_cast<int>(length) && count <= limit - 1);
    lines.append(buffer.data(), length);
    if (count == 0) break;  // a limit of 1 reads nothing
  }
  require(vek::pfa_dispose(&file) == vek::PFA_E_NO_ERROR);
  return lines;
}

// The lines pfu_fgets gives, put together; *whole is false when it stopped before the end.
std::string pfu_lines(const std::string& path, int mode, int size, bool comparable, bool* whole) {
  vek::PF_File* file = nullptr;
  require(vek::pfu_fopen(path.c_str(), vek::PFU_ACCESS_READ, mode, 512, &file) == vek::PFU_SUCCESS);
  std::string lines;
  std::vector<char> buffer(static_cast<std::size_t>(size));
  *whole = false;
  for (;;) {
    const int result = vek::pfu_fgets(file, buffer.data(), size);
    const std::size_t length = std::strlen(buffer.data());
    lines.append(buffer.data(), length);
    if (result == vek::PFU_END_OF_FILE) {
      *whole = true;
      break;
    }
    if (result == vek::PFU_SUCCESS) {
      require(!comparable || (length > 0 && buffer[length - 1] == '\n'));
      continue;
    }
    require(result == vek::PFU_NAME_TOO_LONG);
    require(!comparable || length == static_cast<std::size_t>(size) - 1);
    if (size == 1) break;  // a buffer of one byte holds no line
  }
  require(vek::pfu_fclose(&file) == vek::PFU_SUCCESS);
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const yrltest::TempDir dir;
  static const std::string path = dir.file("lines.txt");
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  fuzz_write_file(path, bytes);
  const int limit = 1 + (size > 0 ? data[0] % 48 : 0);
  const int language = kLanguages[size > 1 ? data[1] % 5 : 0];
  const bool comparable = bytes.find('\0') == std::string::npos;

  yrltest::reset_runtime_state();
  yrltest::ConsoleCapture console;
  vek::set_language(language);
  bool whole = false;
  std::string lines = pfa_lines(path, limit, is_walked(language), &whole);
  if (comparable) require(whole ? lines == bytes : bytes.compare(0, lines.size(), lines) == 0);
  if (comparable && !is_walked(language)) require(whole || limit == 1);

  std::string no_returns;
  for (char c : bytes)
    if (c != '\r') no_returns += c;
  lines = pfu_lines(path, vek::PFU_BINARY, limit, comparable, &whole);
  if (comparable) require(whole ? lines == bytes : limit == 1);
  lines = pfu_lines(path, vek::PFU_TEXT, limit, comparable, &whole);
  if (comparable) require(whole ? lines == no_returns : limit == 1);
  return 0;
}
