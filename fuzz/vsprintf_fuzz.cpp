// Formats generated conversions with vyn_sprintf and with snprintf and requires the
// same bytes. The conversions come from the subset on which both agree by design:
// flags, widths and precisions (also as '*'), and the keywords of the formatter's table
// that the C library reads the same way. Doubles that the formatter prints as zero
// (below 1e-30 in magnitude, NaN) are given to snprintf as zero.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/fuzz_input.h"
#include "runtime/text/lang.h"
#include "runtime/text/vsprintf.h"

namespace {

using Input = FuzzInput;

enum Kind { kInt, kLong, kDouble, kString };

struct Keyword {
  const char* text;
  Kind kind;
};

const Keyword kKeywords[] = {
    {"d", kInt},    {"i", kInt},    {"o", kInt},     {"u", kInt},     {"x", kInt},
    {"X", kInt},    {"c", kInt},    {"ld", kLong},   {"li", kLong},   {"lu", kLong},
    {"lx", kLong},  {"lo", kLong},  {"f", kDouble},  {"e", kDouble},  {"E", kDouble},
    {"g", kDouble}, {"G", kDouble}, {"lf", kDouble}, {"F", kDouble},  {"s", kString},
};
constexpr int kKeywordCount = sizeof kKeywords / sizeof kKeywords[0];

const char* const kStrings[] = {"", "a", "hello, world", "0123456789abcdefghijklmnop"};

[[noreturn]] void mismatch(const std::string& format, const std::string& mine,
                           const std::string& theirs) {
  std::fprintf(stderr, "format \"%s\":\n  vyn_sprintf \"%s\"\n  snprintf    \"%s\"\n",
               format.c_str(), mine.c_str(), theirs.c_str());
  std::abort();
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
template <typename... Args>
void compare(const std::string& format, Args... args) {
  char theirs[8192];
  char mine[8192];
  int n = std::snprintf(theirs, sizeof theirs, format.c_str(), args...);
  if (n < 0 || n >= static_cast<int>(sizeof theirs)) return;
  std::memset(mine, 0x7f, sizeof mine);
  if (vek::vyn_sprintf(mine, format.c_str(), args...) != mine ||
      std::memcmp(mine, theirs, static_cast<std::size_t>(n) + 1) != 0) {
    mismatch(format, mine, theirs);
  }
}
#pragma GCC diagnostic pop

// Calls with the "*" values in front of the value.
template <typename T>
void compare_with_stars(const std::string& format, int stars, int width, int precision,
                        T value) {
  if (stars == 0) compare(format, value);
  if (stars == 1) compare(format, width, value);
  if (stars == 2) compare(format, width, precision, value);
}

void one_conversion(Input& in) {
  std::string format = in.below(2) ? "<" : "";
  format += '%';
  static const char kFlags[] = "-+ #0";
  for (int n = in.below(4); n > 0; --n) format += kFlags[in.below(5)];
  int stars = 0;
  int width = in.below(81) - 40;
  int precision = in.below(46) - 5;
  switch (in.below(3)) {
    case 1:
      format += std::to_string(in.below(40));
      break;
    case 2:
      format += '*';
      ++stars;
      break;
  }
  switch (in.below(3)) {
    case 1:
      format += '.' + std::to_string(in.below(40));
      break;
    case 2:
      format += ".*";
      if (stars == 0) width = precision;  // the only "*" is the precision
      ++stars;
      break;
  }
  const Keyword& keyword = kKeywords[in.below(kKeywordCount)];
  format += keyword.text;
  if (in.below(2)) format += "> 100%%";

  switch (keyword.kind) {
    case kInt:
      compare_with_stars(format, stars, width, precision, static_cast<int>(in.word()));
      break;
    case kLong:
      compare_with_stars(format, stars, width, precision, in.word());
      break;
    case kDouble: {
      long bits = in.word();
      double value;
      std::memcpy(&value, &bits, sizeof value);
      if (in.below(2)) value = static_cast<double>(bits % 2000000) / 64.0;
      if (!(std::fabs(value) >= 1e-30)) value = 0.0;
      compare_with_stars(format, stars, width, precision, value);
      break;
    }
    case kString:
      compare_with_stars(format, stars, width, precision, kStrings[in.below(4)]);
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vek::set_language(vek::LANG_ENGLISH);
  Input in{data, size};
  while (!in.done()) one_conversion(in);
  return 0;
}
