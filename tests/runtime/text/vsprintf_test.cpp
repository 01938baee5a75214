#include "runtime/text/vsprintf.h"
#include "runtime/text/wide.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/diag/msgtool.h"
#include "runtime/text/lang.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"

namespace {

using yrltest::ConsoleCapture;

class Vsprintf : public yrltest::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    vek::set_language(vek::LANG_ENGLISH);
  }
};

// What the C library makes of the format, every byte of it (a "%c" of 0 included).
// The formats are the tests' own tables, so a format that is not a literal is safe here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-security"
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
template <typename... Args>
std::string reference(const char* format, Args... args) {
  int n = std::snprintf(nullptr, 0, format, args...);
  if (n < 0) return "<reference failed>";
  std::string text(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(text.data(), text.size(), format, args...);
  text.pop_back();
  return text;
}
#pragma GCC diagnostic pop

// vyn_sprintf into a caller's buffer guarded by 0x7F bytes; the expected text (and its
// terminator) must be there and the guard behind it untouched.
template <typename... Args>
void expect_formats(const std::string& expected, const char* format, Args... args) {
  std::vector<char> dst(expected.size() + 16, '\x7f');
  char* result = vek::vyn_sprintf(dst.data(), format, args...);
  ASSERT_EQ(result, dst.data()) << format;
  EXPECT_EQ(std::string(dst.data(), expected.size()), expected) << format;
  EXPECT_EQ(dst[expected.size()], '\0') << format;
  EXPECT_EQ(dst[expected.size() + 1], '\x7f') << format;
}

template <typename... Args>
void expect_like_reference(const char* format, Args... args) {
  expect_formats(reference(format, args...), format, args...);
}

template <typename... Args>
void expect_refused(const char* format, Args... args) {
  char dst[64];
  std::memset(dst, 'z', sizeof dst);
  EXPECT_EQ(vek::vyn_sprintf(dst, format, args...), nullptr) << format;
  EXPECT_EQ(dst[0], 'z') << format;
  EXPECT_EQ(vek::vyn_sprintf(nullptr, format, args...), nullptr) << format;
}

std::string internal_text(const char* text) { return text ? text : "<null>"; }

TEST_F(Vsprintf, IntegersMatchTheCLibrary) {
  const char* formats[] = {"%d",   "%5d",   "%-5d|", "%05d", "%+d",  "% d",  "%.3d",
                           "%8.3d", "%-8.3d|", "%x",  "%X",   "%#x",  "%#X",  "%08x",
                           "%o",   "%#o",   "%u",    "%c",   "%i",   "[%6i]", "a%db%dc"};
  const int values[] = {0, 1, -1, 42, -42, 255, 'A', INT_MAX, INT_MIN};
  for (const char* format : formats) {
    for (int value : values) expect_like_reference(format, value, value);
  }
}

TEST_F(Vsprintf, LongsMatchTheCLibrary) {
  const char* formats[] = {"%ld", "%li", "%lu", "%lo", "%lx", "%lX", "%#018lx", "%-22ld|",
                           "%+.12li"};
  const long values[] = {0L, -1L, 42L, LONG_MAX, LONG_MIN, 0x123456789abcL};
  for (const char* format : formats) {
    for (long value : values) expect_like_reference(format, value);
  }
  // An address prints pointer-wide.
  int object = 0;
  long address = static_cast<long>(reinterpret_cast<std::uintptr_t>(&object));
  expect_like_reference("at %lx", address);
}

TEST_F(Vsprintf, DoublesMatchTheCLibrary) {
  const char* formats[] = {"%f",   "%.0f",   "%.2f", "%10.3f", "%-10.3f|", "%+f",   "% f",
                           "%010.2f", "%e",  "%.0e", "%.3e",   "%E",       "%12.4e", "%-12.4e|",
                           "%g",   "%.3g",   "%10g", "%G",     "%#g",      "%#.0f", "%lf",
                           "%F",   "%+.10e", "%.15g"};
  const double values[] = {0.0,    1.0,   -1.0,    0.5,         1.5,     2.5,   12345.678,
                           -0.001, 1e-10, 1e10,    123456789.0, 1e100,   -1e-29, 1e300,
                           DBL_MAX, HUGE_VAL, -HUGE_VAL};
  for (const char* format : formats) {
    for (double value : values) expect_like_reference(format, value);
  }
}

TEST_F(Vsprintf, StringsAndMixedFormatsMatchTheCLibrary) {
  const std::string long_text(1000, 'q');
  const char* formats[] = {"%s", "%10s", "%-10s|", "%.3s", "%.0s", "%10.2s", "[%s] 100%%"};
  for (const char* format : formats) {
    for (const char* value : {"", "a", "hello world", long_text.c_str()}) {
      expect_like_reference(format, value);
    }
  }
  // Within its precision a text need not be terminated.
  const char unterminated[3] = {'a', 'b', 'c'};
  expect_formats("ab|abc", "%.2s|%.3s", unterminated, unterminated);
  expect_like_reference("x=%d y=%s z=%.2f%% w=%c", 7, "why", 2.345, 'w');
  expect_like_reference("%%%d%%%s%%", 1, "2");
  expect_like_reference("no conversions at all");
  expect_like_reference("");
}

TEST_F(Vsprintf, PiecesOfAnySizeAreMeasured) {
  // Widths and precisions beyond the 500-byte piece buffer of old.
  expect_like_reference("%600d|", 7);
  expect_like_reference("%.600f", 1.0 / 3.0);
  expect_like_reference("%1000s|", "x");
  expect_like_reference("%-700.650e|", -2.5);
  expect_like_reference("%f", DBL_MAX);
  expect_like_reference("%*.*f", 900, 800, 3.25);
  std::string big(300000, 'b');
  expect_like_reference("<%s>", big.c_str());
}

TEST_F(Vsprintf, TextBeyondTheLimitIsRefused) {
  std::string most(vek::VSPRINTF_MAX_TEXT, 'm');
  std::string half(vek::VSPRINTF_MAX_TEXT / 2 + 1, 'h');
  EXPECT_EQ(vek::vyn_sprintf(nullptr, "%s%s", half.c_str(), half.c_str()), nullptr);
  EXPECT_EQ(vek::vyn_sprintf(nullptr, "%2000000d%2000000d", 1, 2), nullptr);
  EXPECT_EQ(vek::vyn_sprintf(nullptr, "%*d", INT_MAX, 1), nullptr);
  EXPECT_EQ(vek::vyn_sprintf(nullptr, "%.*f", INT_MAX, 1.0), nullptr);
  EXPECT_EQ(vek::vyn_sprintf(nullptr, "%99999999d", 1), nullptr);
  // A text's precision beyond the limit cuts nothing.
  vek::set_language(vek::LANG_ENGLISH);
  const char* uncut = vek::vyn_sprintf(nullptr, "%.*s|%-4.*ws|%.99999999s|%.*s", INT_MAX, "abc",
                                       INT_MAX, u"de", "fg", INT_MAX, most.c_str() + 20);
  ASSERT_NE(uncut, nullptr);
  EXPECT_EQ(std::string(uncut), "abc|de  |fg|" + most.substr(20));
  EXPECT_STREQ(vek::vyn_sprintf(nullptr, "%.*pf", INT_MAX, "a/b"), "a\\b");
  // Exactly the limit is fine.
  const char* text = vek::vyn_sprintf(nullptr, "%s", most.c_str());
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::strlen(text), most.size());
  EXPECT_EQ(vek::vyn_sprintf(nullptr, "%s!", most.c_str()), nullptr);
}

TEST_F(Vsprintf, StarValuesAreTakenInOrder) {
  expect_formats("   42", "%*d", 5, 42);
  expect_like_reference("%-*d|", 5, 42);
  expect_like_reference("%*d|", -5, 42);      // a negative width justifies left
  expect_like_reference("%.*f", -1, 1.5);     // a negative precision counts as none
  expect_like_reference("%.*s", -3, "abcdef");
  expect_like_reference("%10.*e", -2, 12.5);
  expect_like_reference("%*.*f|%d", 10, 2, 3.14159, 9);
  expect_like_reference("%.*s", 2, "abcdef");
}

TEST_F(Vsprintf, KeywordCaseNeverChangesTheArgumentType) {
  struct Case {
    const char* format;
    const char* like;
  };
  for (Case c : {Case{"%D", "%d"}, Case{"%I", "%i"}, Case{"%O", "%o"}, Case{"%U", "%u"},
                 Case{"%C", "%c"}, Case{"%X", "%X"}}) {
    for (int value : {0x41, -1, INT_MIN}) expect_formats(reference(c.like, value), c.format, value);
  }
  for (Case c : {Case{"%Ld", "%ld"}, Case{"%LI", "%li"}, Case{"%LX", "%lX"}, Case{"%lU", "%lu"},
                 Case{"%LO", "%lo"}}) {
    for (long value : {0x41L, -1L, LONG_MIN}) {
      expect_formats(reference(c.like, value), c.format, value);
    }
  }
  for (Case c : {Case{"%Lf", "%f"}, Case{"%LF", "%F"}, Case{"%lF", "%F"},
                 Case{"%G", "%G"}, Case{"%8.3E", "%8.3E"}}) {
    expect_formats(reference(c.like, 1234.5), c.format, 1234.5);
  }
  expect_formats("abc", "%S", "abc");
  expect_formats("  abc", "%5S", "abc");
  expect_formats("wide", "%WS", u"wide");
}

TEST_F(Vsprintf, TheGoldenRowsOfTheExponent) {
  expect_formats("1.2e+04", "%5.1e", 12345.0);
  expect_formats("   1.2e+04", "%10.1e", 12345.0);
  expect_formats("1.2e+04   ", "%-10.1e", 12345.0);
}

TEST_F(Vsprintf, ValuesCloseToZeroPrintAsZero) {
  expect_formats("0.000000", "%f", 1e-31);
  expect_formats("0.000000", "%f", -1e-31);
  expect_formats("0.000000", "%f", -0.0);
  expect_formats("0.000000", "%f", std::nan(""));
  expect_formats("0", "%g", -1e-300);
  expect_formats("1e-30", "%g", 1e-30);
  expect_formats("-1e-30", "%g", -1e-30);
}

TEST_F(Vsprintf, ExponentTrimKeepsTheWidth) {
  struct Case {
    const char* text;
    const char* spec;
    const char* expected;
  };
  const Case cases[] = {
      {"1.2e+004", "%e", "1.2e+04"},         {"1.2e+004", "%8.1e", " 1.2e+04"},
      {"1.2e+004", "%-8.1e", "1.2e+04 "},    {" 1.2e+004", "%9.1e", "  1.2e+04"},
      {"1.2e+004 ", "%-9.1e", "1.2e+04  "},  {"1.2E-005", "%E", "1.2E-05"},
      {"1.2e+004", "%+-9.1e", "1.2e+04 "},   {"1e+004", "%g", "1e+04"},
      {"1.2e+04", "%e", "1.2e+04"},          {"1e+100", "%g", "1e+100"},
      {"1e+0", "%e", "1e+0"},                {"1e+0x1", "%e", "1e+0x1"},
      {"1e", "%e", "1e"},                    {"inf", "%e", "inf"},
      {"", "%e", ""},
  };
  for (const Case& c : cases) {
    char text[32];
    std::snprintf(text, sizeof text, "%s", c.text);
    int length = vek::trim_exponent_zero(text, c.spec);
    EXPECT_STREQ(text, c.expected) << c.text << " " << c.spec;
    EXPECT_EQ(length, static_cast<int>(std::strlen(c.expected)));
  }
}

TEST_F(Vsprintf, MalformedAndUnknownConversionsFailWithoutOutput) {
  ConsoleCapture capture;
  expect_refused("%q", 1);
  expect_refused("abc %q def", 1);
  expect_refused("%d %q", 1, 2);
  expect_refused("%", 1);
  expect_refused("abc%", 1);
  expect_refused("%5", 1);
  expect_refused("%-", 1);
  expect_refused("%.", 1);
  expect_refused("%1$d", 1);   // positional arguments could reach past the passed ones
  expect_refused("%n", nullptr);
  expect_refused("%hd", 1);
  expect_refused("%lld", 1LL);
  expect_refused("%le", 1.0);  // of the "l" forms only "lf" prints a double
  expect_refused("%p", nullptr);
  expect_refused("%5.3.2d", 1);
  expect_refused("%**d", 1, 1);
  expect_refused("%'d", 1);
  expect_refused("%-000000000000000001d", 1);  // longer than a conversion spec may be
  expect_refused("%-00000000*d", 1000000000, 1);  // too long once the "*" value is in
  expect_refused("%\xE9", 1);
  expect_refused(nullptr);
  EXPECT_EQ(capture.out(), "");
}

TEST_F(Vsprintf, NullArgumentsFail) {
  expect_refused("%s", static_cast<const char*>(nullptr));
  expect_refused("%ws", static_cast<const VynWchar*>(nullptr));
  expect_refused("%pd", static_cast<const char*>(nullptr));
  expect_refused("%pf", static_cast<const char*>(nullptr));
}

TEST_F(Vsprintf, FormatLengthLimit) {
  ConsoleCapture capture;
  std::string most(vek::VSPRINTF_MAX_FORMAT, 'f');
  EXPECT_EQ(internal_text(vek::vyn_sprintf(nullptr, most.c_str())), most);
  EXPECT_EQ(capture.out(), "");
  std::string over(vek::VSPRINTF_MAX_FORMAT + 1, 'f');
  EXPECT_EQ(vek::vyn_sprintf(nullptr, over.c_str()), nullptr);
  EXPECT_EQ(capture.out(), "vyn_sprintf   format too long \n");
}

TEST_F(Vsprintf, HighBytesStayTextInSingleByteLanguages) {
  for (int language : {vek::LANG_ENGLISH, vek::LANG_FRENCH, vek::LANG_RUSSIAN, vek::LANG_HEBREW,
                       vek::LANG_GENERIC_SINGLE_BYTE}) {
    vek::set_language(language);
    expect_formats("\xE9" "7", "\xE9%d", 7);
    expect_formats("\xFF\x80[x]", "\xFF\x80[%s]", "x");
  }
}

TEST_F(Vsprintf, MultibyteCharactersOfTheFormatAreCopiedWhole) {
  vek::set_language(vek::LANG_JAPANESE);
  expect_formats("\xA4\xA2" "7\xA4\xA4", "\xA4\xA2%d\xA4\xA4", 7);
  expect_formats("\x8F\xB0\xA1" "7", "\x8F\xB0\xA1%d", 7);
  // A lead byte at the end of the format stops there.
  expect_formats("x\xA4", "x\xA4");
  vek::set_language(vek::LANG_CHINESE_SIMPLIFIED);
  expect_formats("\xD2\xBB" "7", "\xD2\xBB%d", 7);
  // 0x80 is no lead byte in this code page: the '%' behind it begins a conversion.
  expect_formats("\x80" "7", "\x80%d", 7);
}

TEST_F(Vsprintf, WideStringsAreConvertedByTheLanguage) {
  expect_formats("caf\xE9 \x80", "%ws", u"caf\u00e9 \u20ac");
  expect_formats("[   ab]", "[%5ws]", u"ab");
  expect_formats("[ab   ]", "[%-5ws]", u"ab");
  vek::set_language(vek::LANG_JAPANESE);
  expect_formats("\xA4\xA2\xA4\xA4", "%ws", u"\u3042\u3044");
  expect_formats("  \xA4\xA2", "%4ws", u"\u3042");
}

TEST_F(Vsprintf, WidePrecisionNeverSplitsACharacter) {
  struct Case {
    int language;
    const char* format;
    const char16_t* text;
    const char* expected;
  };
  const Case cases[] = {
      {vek::LANG_ENGLISH, "%.2ws", u"abc", "ab"},
      {vek::LANG_ENGLISH, "%.0ws", u"abc", ""},
      {vek::LANG_ENGLISH, "[%5.1ws]", u"abc", "[    a]"},
      {vek::LANG_JAPANESE, "%.3ws", u"a\u3042\u3044", "a\xA4\xA2"},
      {vek::LANG_JAPANESE, "%.4ws", u"a\u3042\u3044", "a\xA4\xA2"},
      {vek::LANG_JAPANESE, "%.5ws", u"a\u3042\u3044", "a\xA4\xA2\xA4\xA4"},
      {vek::LANG_JAPANESE, "%.0ws", u"\u3042", ""},
      {vek::LANG_JAPANESE, "%.1ws", u"\u3042", ""},
      {vek::LANG_JAPANESE, "[%3.1ws]", u"\u3042", "[   ]"},
      {vek::LANG_JAPANESE, "%.10ws", u"a\u3042", "a\xA4\xA2"},
      // By the code page: 0x8F leads a two-byte character here, not a three-byte one.
      {vek::LANG_CHINESE_SIMPLIFIED, "%.2ws", u"\u5f59a", "\x8F\xA1"},
      {vek::LANG_CHINESE_SIMPLIFIED, "%.3ws", u"\u5f59a", "\x8F\xA1" "a"},
      {vek::LANG_CHINESE_SIMPLIFIED, "%.1ws", u"\u4e00", ""},
  };
  for (const Case& c : cases) {
    vek::set_language(c.language);
    expect_formats(c.expected, c.format, c.text);
  }
  vek::set_language(vek::LANG_JAPANESE);
  expect_formats("a\xA4\xA2", "%.*ws", 3, u"a\u3042\u3044");
  expect_formats("a\xA4\xA2\xA4\xA4", "%.*ws", -1, u"a\u3042\u3044");
}

TEST_F(Vsprintf, CharacterLengthsFollowTheEncoding) {
  struct Case {
    int language;
    const char* text;
    int length;
  };
  const Case cases[] = {
      {vek::LANG_ENGLISH, "\xA4\xA2", 1},          {vek::LANG_ENGLISH, "", 0},
      {vek::LANG_JAPANESE, "a", 1},                {vek::LANG_JAPANESE, "\xA4\xA2", 2},
      {vek::LANG_JAPANESE, "\x8E\xB1", 2},         {vek::LANG_JAPANESE, "\x8F\xB0\xA1", 3},
      {vek::LANG_JAPANESE, "\x8F\xB0", 2},         {vek::LANG_JAPANESE, "\xA4", 1},
      {vek::LANG_CHINESE_SIMPLIFIED, "\x8F\xA1", 2}, {vek::LANG_CHINESE_SIMPLIFIED, "\x80", 1},
      {vek::LANG_KOREAN, "\xB0\xA1", 2},           {vek::LANG_CHINESE_TRADITIONAL, "\xA4\x40", 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(vek::mb_char_len(c.text, c.language), c.length) << c.language << " " << c.text;
  }
}

TEST_F(Vsprintf, PathsTakeTheSystemForm) {
  expect_formats("a\\b\\c\\d", "%pd", "a/b|c\\d");
  expect_formats("[\\x\\y        ]", "[%-12pf]", "/x/y");
  expect_formats("[  x\\y]", "[%5pd]", "x|y");
  // A trail byte that looks like '|' stays what it is.
  vek::set_language(vek::LANG_CHINESE_SIMPLIFIED);
  expect_formats("\x81|\\x", "%pf", "\x81|/x");
}

TEST_F(Vsprintf, LongPathsAreReportedAndCut) {
  std::string path(300, 'p');
  path[0] = '/';
  std::string expected = "\\" + std::string(254, 'p');
  expect_formats("<" + expected + ">", "<%pf>", path.c_str());
  // The report, made while the conversion runs, formats on a level of its own: the text
  // formatted so far survives it.
  vek::dbg_set_allow_print(1);
  testing::internal::CaptureStderr();
  const char* text = vek::vyn_sprintf(nullptr, "%d<%pd>%s", 12, path.c_str(), "end");
  std::string report = testing::internal::GetCapturedStderr();
  EXPECT_EQ(internal_text(text), "12<" + expected + ">end");
  EXPECT_NE(report.find("WSTRCOPY_X"), std::string::npos) << report;
  EXPECT_NE(report.find("OVERFLOW."), std::string::npos) << report;
}

TEST_F(Vsprintf, LongPathsAreCutAtAWholeCharacter) {
  vek::set_language(vek::LANG_JAPANESE);
  // Byte 255 is a lead byte: its character does not fit and goes whole.
  std::string path = "ab";
  while (path.size() < 300) path += "\xA4\xA2";
  std::string expected = "ab";
  while (expected.size() + 2 <= 255) expected += "\xA4\xA2";
  expect_formats(expected, "%pf", path.c_str());
}

TEST_F(Vsprintf, InternalBufferHoldsTheTextUntilTheNextCall) {
  const char* first = vek::vyn_sprintf(nullptr, "%d", 5);
  ASSERT_NE(first, nullptr);
  EXPECT_STREQ(first, "5");
  // The text of the call before may be an argument of the next one.
  const char* second = vek::vyn_sprintf(nullptr, "[%s|%s]", first, first);
  EXPECT_EQ(internal_text(second), "[5|5]");
  const char* third = vek::vyn_sprintf(nullptr, "<%s>", second);
  EXPECT_EQ(internal_text(third), "<[5|5]>");
  // A call with a destination leaves the internal text alone.
  char dst[16];
  vek::vyn_sprintf(dst, "%s", "other");
  EXPECT_EQ(internal_text(third), "<[5|5]>");
  // A failed call as well.
  EXPECT_EQ(vek::vyn_sprintf(nullptr, "%q"), nullptr);
  EXPECT_EQ(internal_text(third), "<[5|5]>");
}

TEST_F(Vsprintf, ParseConverSpec) {
  struct Case {
    const char* format;
    const char* spec;
    int type;
    int stars;
    const char* rest;
  };
  const Case cases[] = {
      {"%-08.3lX rest", "%-08.3lX", 8, 0, " rest"}, {"%*.*ws!", "%*.*s", 4, 2, "!"},
      {"%LF", "%lF", 2, 0, ""},                     {"%PD", "%s", 6, 0, ""},
      {"%pfx", "%s", 7, 0, "x"},                    {"%+ #10c", "%+ #10c", 1, 0, ""},
      {"%lfe", "%lf", 2, 0, "e"},                   {"%Ws", "%s", 4, 0, ""},
      {"%.e", "%.e", 2, 0, ""},                     {"%*LD", "%*ld", 8, 1, ""},
  };
  for (const Case& c : cases) {
    const char* position = c.format;
    int type = 0;
    char spec[vek::VSPRINTF_SPEC_SIZE];
    EXPECT_EQ(vek::parse_conver_spec(&position, &type, spec), c.stars) << c.format;
    EXPECT_EQ(type, c.type) << c.format;
    EXPECT_STREQ(spec, c.spec) << c.format;
    EXPECT_STREQ(position, c.rest) << c.format;
  }
  for (const char* bad : {"%q", "%5", "%1$d", "%0000000000000000000d"}) {
    const char* position = bad;
    int type = 0;
    char spec[vek::VSPRINTF_SPEC_SIZE];
    EXPECT_EQ(vek::parse_conver_spec(&position, &type, spec), 0) << bad;
    EXPECT_EQ(type, -1) << bad;
    EXPECT_LT(std::strlen(spec), sizeof spec);
  }
}

TEST_F(Vsprintf, WsprintfConvertsTheText) {
  VynWchar dst[32] = {u'z', 0};
  EXPECT_EQ(vek::vyn_wsprintf(dst, "%s=%d", "n", 15), 4);
  EXPECT_EQ(std::u16string(dst), u"n=15");
  EXPECT_EQ(vek::vyn_wsprintf(dst, "%q", 1), 0);
  EXPECT_EQ(std::u16string(dst), u"n=15");
  vek::set_language(vek::LANG_JAPANESE);
  EXPECT_EQ(vek::vyn_wsprintf(dst, "%ws!", u"\u3042\u3044"), 3);
  EXPECT_EQ(std::u16string(dst), u"\u3042\u3044!");
}

TEST_F(Vsprintf, PrintfWritesToTheConsole) {
  ConsoleCapture capture;
  EXPECT_EQ(vek::vyn_printf("%d-%s\n", 3, "x"), 4);
  EXPECT_EQ(vek::vyn_printf("%q", 3), 0);
  EXPECT_EQ(capture.out(), "3-x\n");
}

TEST_F(Vsprintf, FprintfAndFputsWriteToTheStream) {
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(vek::vyn_fprintf(file, "%05d|%s", 42, "ab"), 8);
  EXPECT_EQ(vek::vyn_fprintf(file, "%q", 1), 0);
  EXPECT_EQ(vek::vyn_fputs("tail", file), 4);
  EXPECT_EQ(vek::vyn_fputs(nullptr, file), -1);
  EXPECT_EQ(vek::vyn_fprintf(nullptr, "%d", 1), 0);
  EXPECT_EQ(vek::vyn_fputs("x", nullptr), -1);
  std::rewind(file);
  char line[64] = {};
  ASSERT_NE(std::fgets(line, sizeof line, file), nullptr);
  EXPECT_STREQ(line, "00042|abtail");
  std::fclose(file);
}

}  // namespace
