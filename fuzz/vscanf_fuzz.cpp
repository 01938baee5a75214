// The scanner, two ways from one input.
//
// Against the C library: a format drawn from the conversions the scanner hands on as
// the C library reads them (its keywords in either case, scan sets, '*', widths, "%%",
// literal text) is scanned from a drawn text with vyn_sscanf, and the C library's
// sscanf scans the same text with the format as it reads it (keywords in lower case; a
// "%ws" as "%s" of at most 511 bytes, widened after). Both give the same result and
// the same bytes in every target, and the consumed count of vyn_vscanf_low is the one
// a trailing "%n" gives.
//
// Any format: the first byte tells the session language and where the input splits
// into a format and a text, both taken as they are (only the C library's allocating
// 'm' is left out: its targets would be the caller's to free). Every target has room
// for whatever the text can fill; the scanner must never reach for a target it was
// not given nor write past one.
#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/fuzz_input.h"
#include "runtime/text/lang.h"
#include "runtime/text/vscanf.h"
#include "runtime/text/wide.h"
#include "runtime/text/wstring.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"

namespace {

constexpr int kTargets = vek::VSCANF_MAX_TARGETS;
static_assert(kTargets == 20, "the calls below pass twenty targets");
// The longest drawn text; any text fills a target with at most four bytes a byte
// ("%ls"), and a "%ws" target takes 512 wide characters.
constexpr std::size_t kMaxText = 256;
constexpr std::size_t kTargetSize = 4 * (kMaxText + 2) + 2 * (vek::VSCANF_WS_MAX + 1) + 64;

struct alignas(16) Target {
  unsigned char bytes[kTargetSize];
};
Target mine[kTargets];
Target theirs[kTargets];

void require(bool condition) {
  if (!condition) std::abort();
}

[[noreturn]] void mismatch(const std::string& text, const std::string& format, const char* what) {
  std::fprintf(stderr, "text \"%s\", format \"%s\": %s\n", text.c_str(), format.c_str(), what);
  std::abort();
}

void clear_targets() {
  std::memset(mine, 0, sizeof mine);
  std::memset(theirs, 0, sizeof theirs);
}

int scan_low_va(const char* text, int* count, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  int result = vek::vyn_vscanf_low(text, count, format, args);
  va_end(args);
  return result;
}

int scan_low(const char* text, int* count, const char* format, Target* t) {
  return scan_low_va(text, count, format, t[0].bytes, t[1].bytes, t[2].bytes, t[3].bytes,
                     t[4].bytes, t[5].bytes, t[6].bytes, t[7].bytes, t[8].bytes, t[9].bytes,
                     t[10].bytes, t[11].bytes, t[12].bytes, t[13].bytes, t[14].bytes,
                     t[15].bytes, t[16].bytes, t[17].bytes, t[18].bytes, t[19].bytes);
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
int c_library_scan(const char* text, const char* format, Target* t) {
  return std::sscanf(text, format, t[0].bytes, t[1].bytes, t[2].bytes, t[3].bytes, t[4].bytes,
                     t[5].bytes, t[6].bytes, t[7].bytes, t[8].bytes, t[9].bytes, t[10].bytes,
                     t[11].bytes, t[12].bytes, t[13].bytes, t[14].bytes, t[15].bytes,
                     t[16].bytes, t[17].bytes, t[18].bytes, t[19].bytes);
}
#pragma GCC diagnostic pop

// --- Against the C library ---------------------------------------------------------

struct Keyword {
  const char* text;
  bool wide;
};
const Keyword kKeywords[] = {
    {"d", false},  {"i", false},  {"o", false},  {"u", false},  {"x", false},  {"n", false},
    {"c", false},  {"ld", false}, {"li", false}, {"lo", false}, {"lu", false}, {"lx", false},
    {"f", false},  {"e", false},  {"g", false},  {"lf", false}, {"le", false}, {"lg", false},
    {"s", false},  {"ws", true},
};
constexpr int kKeywordCount = sizeof kKeywords / sizeof kKeywords[0];

const char* const kScanSets[] = {"[a-z]", "[^ ]", "[]x]", "[^]0-9]", "[-+.0-9eE]", "[^\n]"};
constexpr int kScanSetCount = sizeof kScanSets / sizeof kScanSets[0];

// The characters of literal text and of drawn texts: what the conversions read.
constexpr char kLiteral[] = " \t,;:x0-";
constexpr char kText[] = "0123456789+-.eExXabfinANIF \t\n,;:]^%z";

struct Drawn {
  std::string mine;     // the format given to vyn_sscanf
  std::string theirs;   // the same as the C library reads it
  int wide[kTargets];   // 1 for a "%ws" target
  int targets = 0;
};

void append_both(Drawn& d, const std::string& text) {
  d.mine += text;
  d.theirs += text;
}

void draw_conversion(FuzzInput& in, Drawn& d) {
  append_both(d, "%");
  const bool suppressed = in.below(5) == 0;
  if (suppressed) append_both(d, "*");
  const int width = in.below(3) == 0 ? 1 + in.below(40) : 0;
  const int kind = in.below(kKeywordCount + kScanSetCount);
  if (kind >= kKeywordCount) {
    if (width) append_both(d, std::to_string(width));
    append_both(d, kScanSets[kind - kKeywordCount]);
  } else {
    const Keyword& keyword = kKeywords[kind];
    if (keyword.wide) {
      int limit = width > 0 && width <= vek::VSCANF_WS_MAX ? width : vek::VSCANF_WS_MAX;
      d.theirs += std::to_string(limit) + "s";
      if (width) d.mine += std::to_string(width);
      d.mine += in.below(2) ? "ws" : "WS";
    } else {
      if (width) append_both(d, std::to_string(width));
      d.theirs += keyword.text;
      for (const char* c = keyword.text; *c; ++c)
        d.mine += in.below(2) ? static_cast<char>(*c - 'a' + 'A') : *c;
    }
    if (!suppressed) d.wide[d.targets] = keyword.wide;
  }
  if (!suppressed) ++d.targets;
}

void compare_with_c_library(FuzzInput& in) {
  Drawn d{};
  // One target stays for the consumed count.
  for (int items = 1 + in.below(12); items > 0 && d.targets < kTargets - 1; --items) {
    switch (in.below(4)) {
      case 0:
        for (int n = 1 + in.below(3); n > 0; --n)
          append_both(d, std::string(1, kLiteral[in.below(sizeof kLiteral - 1)]));
        break;
      case 1:
        append_both(d, "%%");
        break;
      default:
        draw_conversion(in, d);
        break;
    }
  }
  std::string text;
  for (int n = in.below(64); n > 0; --n) text += kText[in.below(sizeof kText - 1)];

  clear_targets();
  int count = -1;
  const int result = scan_low(text.c_str(), &count, d.mine.c_str(), mine);
  int their_count = 0;
  Target* count_target = &theirs[d.targets];
  const int their_result = c_library_scan(text.c_str(), (d.theirs + "%n").c_str(), theirs);
  std::memcpy(&their_count, count_target->bytes, sizeof their_count);
  std::memset(count_target->bytes, 0, sizeof their_count);
  if (result != their_result) mismatch(text, d.mine, "the results differ");
  if (count != their_count) mismatch(text, d.mine, "the consumed counts differ");
  for (int i = 0; i < d.targets; ++i) {
    if (!d.wide[i]) {
      if (std::memcmp(mine[i].bytes, theirs[i].bytes, kTargetSize) != 0)
        mismatch(text, d.mine, "a target differs");
      continue;
    }
    VynWchar widened[vek::VSCANF_WS_MAX + 1];
    vek::strtows(widened, reinterpret_cast<const char*>(theirs[i].bytes));
    if (vek::wscmp(reinterpret_cast<const VynWchar*>(mine[i].bytes), widened) != 0)
      mismatch(text, d.mine, "a wide target differs");
  }
}

// --- Any format ---------------------------------------------------------------------

const int kLanguages[] = {vek::LANG_ENGLISH, vek::LANG_JAPANESE, vek::LANG_GENERIC_MULTIBYTE,
                          vek::LANG_KOREAN, vek::LANG_CHINESE_SIMPLIFIED};

void scan_any_format(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return;
  vek::set_language(kLanguages[data[0] % 5]);
  std::size_t split = 1 + data[1] * (size - 1) / 256;
  std::string format(reinterpret_cast<const char*>(data + 1), split - 1);
  for (char& c : format)
    if (c == 'm') c = 'M';
  std::string text(reinterpret_cast<const char*>(data + split), size - split);
  text = text.substr(0, std::min(text.find('\0'), kMaxText));
  clear_targets();
  int count = 0;
  scan_low(text.c_str(), data[0] & 8 ? &count : nullptr, format.c_str(), mine);
  require(count >= 0 && static_cast<std::size_t>(count) <= text.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  yrltest::reset_runtime_state();
  yrltest::start_in_english();
  yrltest::ConsoleCapture console;  // the reports of refused formats
  FuzzInput in{data, size};
  compare_with_c_library(in);
  scan_any_format(data, size);
  return 0;
}
