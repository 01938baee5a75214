// VynUtilFileToWstringArray: the input is the file. Read into a host wide-string array
// through the stand-in host's table, in English and, for inputs of odd length, in
// Japanese, the array holds the file's lines as pieces of at most 80 bytes (a piece
// ends with the line feed it reached), each widened as the session widens text, up to
// a NUL it may hold.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_file.h"
#include "host/util/host_arrays.h"
#include "runtime/text/lang.h"
#include "runtime/text/strmake.h"
#include "runtime/memory/getmem.h"
#include "tests/support/temp_dir.h"
#include "tests/toolkit/toolkit_test.h"
#include "toolkit/api/app_api.h"
#include "toolkit/util/strinput.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

// Binds the host's table once; later calls put the host back to its start state.
void next_input() {
  static std::vector<win_export_entry> table;
  if (table.empty()) {
    yrltest::reset_runtime_state();
    yrltest::reset_toolkit_state();
    table = yrlhost::host_table_build();
    win_export_functions = table.data();
    win_export_func_ct = static_cast<int>(table.size());
  } else {
    yrlhost::host_testing_reset();
  }
}

// The pieces fgets gives with room for VYN_UTIL_FILE_LINE_SIZE bytes, each up to a NUL.
std::vector<std::string> pieces(const std::string& bytes) {
  std::vector<std::string> result;
  std::size_t at = 0;
  while (at < bytes.size()) {
    std::size_t length = 0;
    while (at + length < bytes.size() && length < VYN_UTIL_FILE_LINE_SIZE) {
      if (bytes[at + length++] == '\n') break;
    }
    result.push_back(bytes.substr(at, length).c_str());
    at += length;
  }
  return result;
}

void check_language(const std::u16string& path, const std::string& bytes, int language) {
  vek::set_language(language);
  VynArray strings = yrlhost::host_array_make(0, sizeof(VynWchar*));
  require(VynUtilFileToWstringArray(path.c_str(), &strings) == VYN_TK_NO_ERROR);
  const std::vector<std::string> expected = pieces(bytes);
  require(yrlhost::host_array_size(strings) == static_cast<int>(expected.size()));
  for (std::size_t i = 0; i < expected.size(); ++i) {
    VynWchar* widened = vek::make_strtows(expected[i].c_str());
    require(std::u16string(static_cast<VynWchar**>(strings)[i]) == std::u16string(widened));
    vek::rlsmem(widened);
  }
  require(VynWstringArrayFree(&strings) == VYN_TK_NO_ERROR);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const yrltest::TempDir dir;
  static const std::string path = dir.file("strings.txt");
  static const std::u16string wide_path(path.begin(), path.end());
  next_input();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  fuzz_write_file(path, bytes);
  check_language(wide_path, bytes, vek::LANG_ENGLISH);
  if (size % 2) check_language(wide_path, bytes, vek::LANG_JAPANESE);
  return 0;
}
