#include "runtime/text/vscanf.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

#include "runtime/text/lang.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"

namespace {

using yrltest::ConsoleCapture;

class Vscanf : public yrltest::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    vek::set_language(vek::LANG_ENGLISH);
  }
};

constexpr int kUnset = -12345;

int scan_low(const char* text, int* count, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  int result = vek::vyn_vscanf_low(text, count, format, args);
  va_end(args);
  return result;
}

struct ScanCase {
  const char* text;
  const char* format;
};

// Scans the case with up to three targets of room for any type, starting from the same
// bytes, and expects what the C library's sscanf gives.
void expect_as_c_library(const ScanCase& c) {
  long long mine[3] = {kUnset, kUnset, kUnset};
  long long theirs[3] = {kUnset, kUnset, kUnset};
  EXPECT_EQ(vek::vyn_sscanf(c.text, c.format, &mine[0], &mine[1], &mine[2]),
            std::sscanf(c.text, c.format, &theirs[0], &theirs[1], &theirs[2]))
      << c.text << " / " << c.format;
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(mine[i], theirs[i]) << c.text << " / " << c.format << " target " << i;
}

TEST_F(Vscanf, IntegersMatchTheCLibrary) {
  const ScanCase cases[] = {
      {"12 34 56", "%d %d %d"}, {"  -7", "%d"},          {"0x1f 017 9", "%i %i %i"},
      {"ff FF", "%x %x"},       {"777", "%o"},           {"-1", "%u"},
      {"abc", "%d"},            {"", "%d"},              {"   ", "%d"},
      {"12,34", "%d,%d"},       {"12;34", "%d,%d"},      {"123456", "%3d%3d"},
      {"5 6", "%*d %d"},        {"%5", "%%%d"},          {"42abc", "%d%n"},
      {"1 2", "%d%n %d"},       {"9", "%d %d"},          {"+8 -0", "%i%d"},
  };
  for (const ScanCase& c : cases) expect_as_c_library(c);
}

TEST_F(Vscanf, TextsAndFloatsMatchTheCLibrary) {
  struct Case {
    const char* text;
    const char* format;
  };
  const Case cases[] = {
      {"hello world", "%s %s"}, {"abc,def", "%[^,],%s"}, {"abcdef", "%3s%s"},
      {"x y", "%c %c"},         {"]a]b", "%[]a]%s"},     {"hello", "%[a-h]%s"},
  };
  for (const Case& c : cases) {
    char mine[2][32] = {};
    char theirs[2][32] = {};
    EXPECT_EQ(vek::vyn_sscanf(c.text, c.format, mine[0], mine[1]),
              std::sscanf(c.text, c.format, theirs[0], theirs[1]))
        << c.format;
    EXPECT_STREQ(mine[0], theirs[0]) << c.format;
    EXPECT_STREQ(mine[1], theirs[1]) << c.format;
  }
  float f[2] = {};
  float g[2] = {};
  EXPECT_EQ(vek::vyn_sscanf("1.5 2.5e3", "%f %e", &f[0], &f[1]),
            std::sscanf("1.5 2.5e3", "%f %e", &g[0], &g[1]));
  EXPECT_EQ(f[0], g[0]);
  EXPECT_EQ(f[1], g[1]);
  double d[3] = {};
  EXPECT_EQ(vek::vyn_sscanf("1.25 -3e-5 7", "%lf %le %lg", &d[0], &d[1], &d[2]), 3);
  EXPECT_EQ(d[0], 1.25);
  EXPECT_EQ(d[1], -3e-5);
  EXPECT_EQ(d[2], 7.0);
}

TEST_F(Vscanf, WideTargetsReceiveWideText) {
  int number = 0;
  VynWchar wide[32] = {};
  EXPECT_EQ(vek::vyn_sscanf("12 ab", "%d %ws", &number, wide), 2);
  EXPECT_EQ(number, 12);
  EXPECT_EQ(std::u16string(wide), u"ab");

  // A count before or between wide items, with or without a size of its own: the
  // scanner does not count it as an item, and every wide item is converted.
  for (const char* count : {"%n", "%hn", "%hhn", "%ln", "%lln", "%jn", "%zn"}) {
    VynWchar first[8] = {u'u', 0};
    VynWchar second[8] = {u'u', 0};
    long long consumed = 0;  // room for every size; the count is small and positive
    const std::string between = std::string("%ws") + count + " %ws";
    EXPECT_EQ(vek::vyn_sscanf("xy zw", between.c_str(), first, &consumed, second), 2) << count;
    EXPECT_EQ(std::u16string(first), u"xy") << count;
    EXPECT_EQ(consumed, 2) << count;
    EXPECT_EQ(std::u16string(second), u"zw") << count;
    VynWchar only[8] = {u'u', 0};
    consumed = kUnset;
    const std::string before = std::string(count) + "%ws";
    EXPECT_EQ(vek::vyn_sscanf("xy", before.c_str(), &consumed, only), 1) << count;
    EXPECT_EQ(std::u16string(only), u"xy") << count;
  }

  // Items after a failed match are left alone.
  VynWchar untouched[8] = {u'u', 0};
  EXPECT_EQ(vek::vyn_sscanf("x ab", "%d %ws", &number, untouched), 0);
  EXPECT_EQ(std::u16string(untouched), u"u");

  vek::set_language(vek::LANG_JAPANESE);
  EXPECT_EQ(vek::vyn_sscanf("\xA4\xA2\xA4\xA4 5", "%ws %d", wide, &number), 2);
  EXPECT_EQ(std::u16string(wide), u"\u3042\u3044");
  EXPECT_EQ(number, 5);
}

TEST_F(Vscanf, WideItemsAreBoundedByTheirWidth) {
  std::string word(600, 'w');
  std::u16string target(vek::VSCANF_WS_MAX + 8, u'#');
  EXPECT_EQ(vek::vyn_sscanf(word.c_str(), "%ws", target.data()), 1);
  EXPECT_EQ(std::u16string(target.c_str()), std::u16string(vek::VSCANF_WS_MAX, u'w'));
  EXPECT_EQ(target[vek::VSCANF_WS_MAX + 1], u'#');

  VynWchar small[6];
  std::memset(small, 0x55, sizeof small);
  char rest[32] = {};
  EXPECT_EQ(vek::vyn_sscanf("abcdefgh", "%5ws%s", small, rest), 2);
  EXPECT_EQ(std::u16string(small), u"abcde");
  EXPECT_STREQ(rest, "fgh");
}

TEST_F(Vscanf, SuppressedConversionsTakeNoTarget) {
  int value = kUnset;
  int guard = kUnset;
  EXPECT_EQ(vek::vyn_sscanf("5 6", "%*d %d", &value, &guard), 1);
  EXPECT_EQ(value, 6);
  EXPECT_EQ(guard, kUnset);
  VynWchar wide[8] = {};
  EXPECT_EQ(vek::vyn_sscanf("skip 7 keep", "%*ws %d %ws", &value, wide), 2);
  EXPECT_EQ(value, 7);
  EXPECT_EQ(std::u16string(wide), u"keep");
  char text[8] = {};
  EXPECT_EQ(vek::vyn_sscanf("abc,def", "%*[^,],%s", text), 1);
  EXPECT_STREQ(text, "def");
}

TEST_F(Vscanf, KeywordCaseNeverChangesTheTargetType) {
  struct {
    int value;
    int guard;
  } target = {kUnset, kUnset};
  for (const char* format : {"%D", "%I", "%U", "%X"}) {
    target = {kUnset, kUnset};
    EXPECT_EQ(vek::vyn_sscanf("-1", format, &target.value), 1) << format;
    EXPECT_EQ(target.value, -1) << format;
    EXPECT_EQ(target.guard, kUnset) << format;
  }
  for (const char* format : {"%ld", "%LD", "%li", "%lu", "%lX"}) {
    long value = 0;
    EXPECT_EQ(vek::vyn_sscanf("-1", format, &value), 1) << format;
    EXPECT_EQ(value, -1L) << format;
  }
  char text[8] = {};
  EXPECT_EQ(vek::vyn_sscanf("abc", "%S", text), 1);
  EXPECT_STREQ(text, "abc");
  double d = 0;
  EXPECT_EQ(vek::vyn_sscanf("2.5", "%LF", &d), 1);
  EXPECT_EQ(d, 2.5);
}

TEST_F(Vscanf, AtMostTwentyTargets) {
  int v[21] = {};
  const char* twenty = "%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d";
  const char* text = "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21";
  ConsoleCapture capture;
  EXPECT_EQ(vek::vyn_sscanf(text, twenty, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6],
                            &v[7], &v[8], &v[9], &v[10], &v[11], &v[12], &v[13], &v[14], &v[15],
                            &v[16], &v[17], &v[18], &v[19]),
            20);
  EXPECT_EQ(v[19], 20);
  EXPECT_EQ(capture.out(), "");

  std::string twenty_one = std::string(twenty) + "%d";
  int w[21] = {};
  EXPECT_EQ(vek::vyn_sscanf(text, twenty_one.c_str(), &w[0], &w[1], &w[2], &w[3], &w[4], &w[5],
                            &w[6], &w[7], &w[8], &w[9], &w[10], &w[11], &w[12], &w[13], &w[14],
                            &w[15], &w[16], &w[17], &w[18], &w[19], &w[20]),
            0);
  EXPECT_EQ(w[0], 0);
  EXPECT_EQ(capture.out(), "Too many arguments to be processed by vyn_scanf\n");

  // The count target is one of the twenty.
  capture.clear();
  int count = kUnset;
  EXPECT_EQ(scan_low(text, &count, twenty, &w[0], &w[1], &w[2], &w[3], &w[4], &w[5], &w[6],
                     &w[7], &w[8], &w[9], &w[10], &w[11], &w[12], &w[13], &w[14], &w[15], &w[16],
                     &w[17], &w[18], &w[19]),
            0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(capture.out(), "Too many arguments to be processed by vyn_scanf\n");
}

TEST_F(Vscanf, CountPointerGetsTheBytesConsumed) {
  int a = 0;
  int b = 0;
  int count = kUnset;
  EXPECT_EQ(scan_low("12 34 rest", &count, "%d %d", &a, &b), 2);
  EXPECT_EQ(count, 5);
  count = kUnset;
  EXPECT_EQ(scan_low("12 x", &count, "%d %d", &a, &b), 1);
  EXPECT_EQ(count, 0);
  count = kUnset;
  EXPECT_EQ(scan_low("word", &count, "%*s"), 0);
  EXPECT_EQ(count, 4);
}

TEST_F(Vscanf, BadFormatsScanNothing) {
  ConsoleCapture capture;
  int value = kUnset;
  // A positional target, a format that ends inside a conversion, an open scan set.
  for (const char* format : {"%1$d", "%2$d", "%", "%5", "%[abc"}) {
    EXPECT_EQ(vek::vyn_sscanf("12", format, &value), 0) << format;
    EXPECT_EQ(value, kUnset) << format;
  }
  EXPECT_EQ(vek::vyn_sscanf("12", nullptr, &value), 0);
  EXPECT_EQ(vek::vyn_sscanf(nullptr, "%d", &value), -1);
  EXPECT_EQ(capture.out(), "");

  std::string longest = "%d" + std::string(vek::VSCANF_MAX_FORMAT - 2, ' ');
  EXPECT_EQ(vek::vyn_sscanf("12", longest.c_str(), &value), 1);
  EXPECT_EQ(value, 12);
  EXPECT_EQ(vek::vyn_sscanf("12", (longest + " ").c_str(), &value), 0);
  EXPECT_EQ(capture.out(), "vyn_scanf   format too long \n");
}

// Flags, widths and precisions between '%' and the keyword are the C scanner's to read:
// what it assigns, and where it gives up, is what the C library does with the same
// format.
TEST_F(Vscanf, FlagsWidthsAndPrecisionsMatchTheCLibrary) {
  const ScanCase cases[] = {
      {"12 3.25", "%d %5.2f"}, {"1,234", "%'d"},       {"1234 5", "%'d %d"},
      {"12 34", "%'*d %d"},    {"12 34", "%*'d %d"},   {"123456", "%'3d%d"},
      {"12", "%.2d"},          {"12", "%-d"},          {"12", "% d"},
      {"12 34", "%5*d %d"},    {"7 2.5", "%d %3.1lf"}, {"abc de", "%'s %s"},
  };
  for (const ScanCase& c : cases) expect_as_c_library(c);
  // The width of a wide item follows its flags and is bounded all the same.
  VynWchar wide[8] = {};
  int value = kUnset;
  EXPECT_EQ(vek::vyn_sscanf("abcdef 5", "%'3ws%*s %d", wide, &value), 2);
  EXPECT_EQ(std::u16string(wide), u"abc");
  EXPECT_EQ(value, 5);
}

TEST_F(Vscanf, UnknownKeywordsPassToTheScanner) {
  short s = 0;
  EXPECT_EQ(vek::vyn_sscanf("7", "%hd", &s), 1);
  EXPECT_EQ(s, 7);
  long long ll = 0;
  EXPECT_EQ(vek::vyn_sscanf("-9000000000", "%lld", &ll), 1);
  EXPECT_EQ(ll, -9000000000LL);
}

TEST_F(Vscanf, MultibyteFormatCharactersAreCopiedWhole) {
  vek::set_language(vek::LANG_JAPANESE);
  int value = 0;
  EXPECT_EQ(vek::vyn_sscanf("\xA4\xA2 7", "\xA4\xA2 %d", &value), 1);
  EXPECT_EQ(value, 7);
}

TEST_F(Vscanf, ParseFormatRebuildsAndClassifies) {
  char out[128];
  int kinds[vek::VSCANF_MAX_TARGETS];
  int count = 0;
  EXPECT_EQ(vek::parse_format("%d %n %ws %*d %S %q %lx %%%[^]x] %7WS %LE", out, sizeof out,
                              kinds, &count),
            1);
  EXPECT_STREQ(out, "%d %n %511s %*d %s %q %lx %%%[^]x] %7s %le");
  EXPECT_EQ(count, 9);
  const int expected[] = {-1, 0, 1, -1, -1, -1, -1, 1, -1, -1};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(kinds[i], expected[i]) << i;

  EXPECT_EQ(vek::parse_format("%hn %'5.2f %ln %*'d %'3ws", out, sizeof out, kinds, &count), 1);
  EXPECT_STREQ(out, "%hn %'5.2f %ln %*'d %'3s");
  EXPECT_EQ(count, 4);
  const int sized[] = {0, -1, 0, 1, -1};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(kinds[i], sized[i]) << i;

  EXPECT_EQ(vek::parse_format("%d", out, sizeof out, kinds, &count), 0);
  EXPECT_EQ(vek::parse_format("%ws", out, 5, kinds, &count), -1);  // "%511s" does not fit
  EXPECT_EQ(vek::parse_format("%ws", out, 6, kinds, &count), 1);
}

TEST_F(Vscanf, WsscanfScansTheNarrowForm) {
  int number = 0;
  VynWchar word[16] = {};
  EXPECT_EQ(vek::vyn_wsscanf(u"31 caf\u00e9", "%d %ws", &number, word), 2);
  EXPECT_EQ(number, 31);
  EXPECT_EQ(std::u16string(word), u"caf\u00e9");
  EXPECT_EQ(vek::vyn_wsscanf(nullptr, "%d", &number), -1);
  std::u16string long_text(5000, u'7');
  char narrow[8] = {};
  EXPECT_EQ(vek::vyn_wsscanf(long_text.c_str(), "%3s", narrow), 1);
  EXPECT_STREQ(narrow, "777");
}

TEST_F(Vscanf, FscanfReadsOneLinePerCall) {
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  std::fputs("1 2\n3\n", file);
  std::string long_line(600, '8');
  std::fputs(long_line.c_str(), file);
  std::rewind(file);
  int a = 0;
  int b = 0;
  EXPECT_EQ(vek::vyn_fscanf(file, "%d %d", &a, &b), 2);
  EXPECT_EQ(b, 2);
  EXPECT_EQ(vek::vyn_fscanf(file, "%d %d", &a, &b), 1);
  EXPECT_EQ(a, 3);
  // At most 511 bytes are read per call.
  char text[600] = {};
  EXPECT_EQ(vek::vyn_fscanf(file, "%s", text), 1);
  EXPECT_EQ(std::strlen(text), static_cast<std::size_t>(vek::VSCANF_LINE_SIZE - 1));
  EXPECT_EQ(vek::vyn_fscanf(file, "%s", text), 1);
  EXPECT_EQ(std::strlen(text), 600u - (vek::VSCANF_LINE_SIZE - 1));
  EXPECT_EQ(vek::vyn_fscanf(file, "%d", &a), -1);
  EXPECT_EQ(vek::vyn_fscanf(nullptr, "%d", &a), -1);
  std::fclose(file);
}

TEST_F(Vscanf, ScanfReadsTheStandardInput) {
  int pipe_ends[2];
  ASSERT_EQ(::pipe(pipe_ends), 0);
  ASSERT_EQ(::write(pipe_ends[1], "4 5\n", 4), 4);
  ::close(pipe_ends[1]);
  int saved_stdin = ::dup(0);
  ASSERT_GE(saved_stdin, 0);
  ASSERT_EQ(::dup2(pipe_ends[0], 0), 0);
  ::close(pipe_ends[0]);
  std::clearerr(stdin);
  int a = 0;
  int b = 0;
  int first = vek::vyn_scanf("%d %d", &a, &b);
  int at_end = vek::vyn_scanf("%d", &a);
  ::dup2(saved_stdin, 0);
  ::close(saved_stdin);
  std::clearerr(stdin);
  EXPECT_EQ(first, 2);
  EXPECT_EQ(a, 4);
  EXPECT_EQ(b, 5);
  EXPECT_EQ(at_end, -1);
}

}  // namespace
