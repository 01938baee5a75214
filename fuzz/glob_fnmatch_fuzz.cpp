// Compares the narrow and wide glob matchers with the C library's fnmatch on patterns
// and strings made from the input, wherever the two designs agree (the common subset),
// and checks that the matchers read nothing past either text elsewhere.
//
// Input: a flag byte (bit 0: leading_dot), then the pattern and the string separated by
// a zero byte. Bytes are mapped onto the characters the grammar cares about, so that
// most inputs are patterns worth comparing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "runtime/text/glob.h"
#include "tests/runtime/text/glob_reference.h"

namespace {

constexpr std::size_t kMaxText = 48;

std::string mapped(const std::uint8_t* data, std::size_t size) {
  static constexpr char kChars[] = "ab.*?[]!-\\^{},";
  std::string s;
  for (std::size_t i = 0; i < size && s.size() < kMaxText; ++i) {
    // Half the byte values stay themselves (printable ASCII), half pick a special.
    const std::uint8_t b = data[i];
    s.push_back(b >= 32 && b < 127 && (b & 1) ? static_cast<char>(b)
                                               : kChars[b % (sizeof kChars - 1)]);
  }
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const bool leading_dot = data[0] & 1;
  ++data;
  --size;
  std::size_t split = 0;
  while (split < size && data[split] != 0) ++split;
  const std::string pattern = mapped(data, split);
  const std::string string = split < size ? mapped(data + split + 1, size - split - 1) : "";

  const int narrow = vek::vyn_glob_match_ascii(pattern.c_str(), string.c_str(), leading_dot);
  const std::u16string wide_pattern = yrltest::widen(pattern);
  const std::u16string wide_string = yrltest::widen(string);
  const int wide = vek::vyn_glob_match(wide_pattern.c_str(), wide_string.c_str(), leading_dot);
  // On ASCII text the two matchers are one grammar.
  if (narrow != wide) std::abort();
  if (yrltest::glob_in_common_subset(pattern, string, leading_dot) &&
      narrow != yrltest::fnmatch_reference(pattern, string, leading_dot))
    std::abort();
  // A user filter is a glob pattern with only '*' and '?' special.
  const int filter = vek::match_user_filter(string.c_str(), pattern.c_str());
  if (pattern.find_first_of("[{\\") == std::string::npos && !leading_dot && filter != narrow)
    std::abort();
  return 0;
}
