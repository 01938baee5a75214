// Wide string functions: the basic family against the narrow C functions, numbers,
// narrow arguments, return buffers, tokens, case by language, the precision cut and
// the display order of right-to-left text.
#include <gtest/gtest.h>

#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/w32/codepage.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/msgtool.h"
#include "runtime/diag/runmode.h"
#include "runtime/memory/getmem.h"
#include "runtime/text/lang.h"
#include "runtime/text/wstring.h"
#include "runtime/text/wstring_testing.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"

namespace {

using std::u16string;

// ASCII text as wide text, unit for unit.
u16string W(const std::string& s) { return u16string(s.begin(), s.end()); }

int sign(int v) { return (v > 0) - (v < 0); }

class WString : public yrltest::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    vek::set_language(vek::LANG_ENGLISH);
  }
};

// ---- The basic family against the C library

const char* const kAsciiTexts[] = {"", "a", "ab", "abc", "abd", "abcdef", "b", "ABC", "a b~"};

TEST_F(WString, LengthCopyAndConcatenationMatchTheNarrowFunctions) {
  for (const char* a : kAsciiTexts) {
    u16string wa = W(a);
    EXPECT_EQ(vek::wslen(wa.c_str()), static_cast<int>(std::strlen(a)));
    char16_t wbuf[32];
    EXPECT_EQ(vek::wscpy(wbuf, wa.c_str()), wbuf);
    EXPECT_EQ(u16string(wbuf), wa);
    for (const char* b : kAsciiTexts) {
      char nbuf[32];
      std::strcat(std::strcpy(nbuf, a), b);
      vek::wscpy(wbuf, wa.c_str());
      EXPECT_EQ(vek::wscat(wbuf, W(b).c_str()), wbuf);
      EXPECT_EQ(u16string(wbuf), W(nbuf));
    }
  }
}

TEST_F(WString, BoundedCopyAndConcatenationMatchStrncpyAndStrncat) {
  for (const char* src : kAsciiTexts) {
    for (int n = 0; n <= 8; ++n) {
      // strncpy: zero fill, and no terminator when src has n or more characters.
      char nbuf[12];
      char16_t wbuf[12];
      std::memset(nbuf, '#', sizeof nbuf);
      for (char16_t& c : wbuf) c = u'#';
      std::strncpy(nbuf, src, static_cast<size_t>(n));
      EXPECT_EQ(vek::wsncpy(wbuf, W(src).c_str(), n), wbuf);
      EXPECT_EQ(u16string(wbuf, 12), W(std::string(nbuf, 12))) << src << " n=" << n;

      // strncat appends at most n characters and a terminator.
      std::memset(nbuf, '#', sizeof nbuf);
      for (char16_t& c : wbuf) c = u'#';
      std::strcpy(nbuf, "xy");
      vek::wscpy(wbuf, u"xy");
      std::strncat(nbuf, src, static_cast<size_t>(n));
      EXPECT_EQ(vek::wsncat(wbuf, W(src).c_str(), n), wbuf);
      EXPECT_EQ(u16string(wbuf, 12), W(std::string(nbuf, 12))) << src << " n=" << n;
    }
  }
}

TEST_F(WString, ComparisonMatchesStrcmpAndStrncmp) {
  for (const char* a : kAsciiTexts) {
    for (const char* b : kAsciiTexts) {
      EXPECT_EQ(sign(vek::wscmp(W(a).c_str(), W(b).c_str())), sign(std::strcmp(a, b)))
          << a << " / " << b;
      for (int n = 0; n <= 7; ++n) {
        EXPECT_EQ(sign(vek::wsncmp(W(a).c_str(), W(b).c_str(), n)),
                  sign(std::strncmp(a, b, static_cast<size_t>(n))))
            << a << " / " << b << " n=" << n;
      }
    }
  }
  // The difference of the first differing units, taken unsigned.
  EXPECT_EQ(vek::wscmp(u"abc", u"abd"), -1);
  EXPECT_EQ(vek::wscmp(u"\xFFFF", u"a"), 0xFFFF - 'a');
  EXPECT_EQ(vek::wscmp(u"a", u"a\x8000"), -0x8000);
  EXPECT_EQ(vek::wsncmp(u"abc", u"xyz", 0), 0);
}

TEST_F(WString, SearchMatchesStrchrAndStrrchr) {
  const char* text = "a/b/c";
  u16string w = W(text);
  for (char c : {'a', '/', 'c', 'z', '\0'}) {
    const char* first = std::strchr(text, c);
    const char* last = std::strrchr(text, c);
    char16_t* wfirst = vek::wschr(w.c_str(), static_cast<char16_t>(c));
    char16_t* wlast = vek::wsrchr(w.c_str(), static_cast<char16_t>(c));
    EXPECT_EQ(wfirst ? wfirst - w.c_str() : -1, first ? first - text : -1) << c;
    EXPECT_EQ(wlast ? wlast - w.c_str() : -1, last ? last - text : -1) << c;
  }
  EXPECT_EQ(vek::wstrchr_two_tokens(w.c_str(), u'b', u'/'), w.c_str() + 1);
  EXPECT_EQ(vek::wstrchr_two_tokens(w.c_str(), u'c', u'x'), w.c_str() + 4);
  EXPECT_EQ(vek::wstrchr_two_tokens(w.c_str(), u'x', u'y'), w.c_str() + 5);
  EXPECT_EQ(vek::wstrchr_two_tokens(nullptr, u'x', u'y'), nullptr);
}

// ---- Numbers

TEST_F(WString, NumbersMatchTheCLibrary) {
  for (const char* text : {"42", "  -17xyz", "+8", "0x1F", "", "abc", "2147483647", "12.75e1"}) {
    EXPECT_EQ(vek::watol(W(text).c_str()), std::strtol(text, nullptr, 10)) << text;
    EXPECT_EQ(vek::watoi(W(text).c_str()), static_cast<int>(std::strtol(text, nullptr, 10)));
    EXPECT_DOUBLE_EQ(vek::watof(W(text).c_str()), std::strtod(text, nullptr)) << text;
  }
  struct Case {
    const char* text;
    int base;
  } cases[] = {{"  0x1Fz", 16}, {"0x1F", 0}, {"0755", 0}, {"-99 rest", 10}, {"zz", 36},
               {"", 10},        {"  ", 10},  {"99999999999999999999999", 10}};
  for (const Case& c : cases) {
    std::wstring reference(c.text, c.text + std::strlen(c.text));
    wchar_t* ref_end = nullptr;
    long expected = std::wcstol(reference.c_str(), &ref_end, c.base);
    u16string w = W(c.text);
    char16_t* end = nullptr;
    EXPECT_EQ(vek::vyn_wstrtol(w.c_str(), &end, c.base), expected) << c.text;
    EXPECT_EQ(end - w.c_str(), ref_end - reference.c_str()) << c.text;
  }
  for (const char* text : {"1.5e2abc", " -0.25", "inf", "x", "1e400"}) {
    std::wstring reference(text, text + std::strlen(text));
    wchar_t* ref_end = nullptr;
    double expected = std::wcstod(reference.c_str(), &ref_end);
    u16string w = W(text);
    char16_t* end = nullptr;
    EXPECT_EQ(vek::vyn_wstrtod(w.c_str(), &end), expected) << text;
    EXPECT_EQ(end - w.c_str(), ref_end - reference.c_str()) << text;
  }
  // A number far longer than the narrow work buffer is still read whole.
  u16string zeros = u16string(600, u'0') + u"123";
  EXPECT_EQ(vek::watol(zeros.c_str()), 123);
  EXPECT_EQ(vek::watof(zeros.c_str()), 123.0);
  EXPECT_EQ(vek::watol(nullptr), 0);
}

TEST_F(WString, CharacterLengthOfTheMultibyteForm) {
  EXPECT_EQ(vek::vyn_wclen(u'a'), 1);
  vek::set_language(vek::LANG_KOREAN);
  EXPECT_EQ(vek::vyn_wclen(u'\uAC00'), 2);  // a Hangul syllable in code page 949
}

// ---- Narrow arguments

TEST_F(WString, NarrowArgumentsAreWidenedFirst) {
  EXPECT_EQ(vek::wstrcmp_s(u"abc", "abc"), 0);
  EXPECT_LT(vek::wstrcmp_s(u"abc", "abd"), 0);
  EXPECT_GT(vek::wstrcmp_s(u"abc", "ab"), 0);
  EXPECT_EQ(vek::wstrncmp_s(u"abcx", "abcy", 3), 0);
  EXPECT_NE(vek::wstrncmp_s(u"abcx", "abcy", 4), 0);
  char16_t buf[32] = u"x";
  vek::wstrcat_s(buf, "yz");
  EXPECT_EQ(u16string(buf), u"xyz");
  vek::wstrncat_s(buf, "1234", 2);
  EXPECT_EQ(u16string(buf), u"xyz12");
  // English: byte 0xE9 is U+00E9.
  EXPECT_EQ(vek::wstrcmp_s(u"caf\u00E9", "caf\xE9"), 0);

  // Narrow text longer than the 260-character work buffer compares and appends whole.
  std::string long_text(400, 'q');
  u16string long_wide = W(long_text);
  EXPECT_EQ(vek::wstrcmp_s(long_wide.c_str(), long_text.c_str()), 0);
  EXPECT_LT(vek::wstrcmp_s(long_wide.c_str(), (long_text + "r").c_str()), 0);
  std::vector<char16_t> big(500, 0);
  vek::wstrcat_s(big.data(), long_text.c_str());
  EXPECT_EQ(u16string(big.data()), long_wide);
}

// Null strings never crash: a comparison sorts a null wide string first, or reads it as
// empty where the narrow side already does; the conversions and appends write nothing.
TEST_F(WString, NullArgumentsGetThePlainStatusOfTheirFamily) {
  EXPECT_EQ(vek::wu_strcmp(nullptr, nullptr), 0);
  EXPECT_EQ(vek::wu_strcmp(nullptr, u"a"), -1);
  EXPECT_EQ(vek::wu_strcmp(u"a", nullptr), 1);
  EXPECT_EQ(vek::wu_strncmp(nullptr, u"a", 3), -1);
  EXPECT_EQ(vek::wu_strcmp_s(nullptr, nullptr), 0);
  EXPECT_EQ(vek::wu_strcmp_s(nullptr, ""), 0);
  EXPECT_LT(vek::wu_strcmp_s(nullptr, "a"), 0);
  EXPECT_LT(vek::wu_strncmp_s(nullptr, "a", 2), 0);
  EXPECT_EQ(vek::wstrcmp_s(nullptr, nullptr), 0);
  EXPECT_LT(vek::wstrcmp_s(nullptr, "a"), 0);
  EXPECT_GT(vek::wstrcmp_s(u"a", nullptr), 0);
  EXPECT_EQ(vek::wstrncmp_s(nullptr, "", 4), 0);
  EXPECT_EQ(vek::wstrcat_s(nullptr, "a"), nullptr);
  EXPECT_EQ(vek::wstrncat_s(nullptr, "a", 1), nullptr);

  char16_t out[8] = u"keep";
  EXPECT_EQ(vek::wcnvrt_to_upper(nullptr, out), 0);
  EXPECT_EQ(vek::wcnvrt_to_lower(nullptr, out), 0);
  EXPECT_EQ(vek::wncnvrt_to_upper(nullptr, out, 4), 0);
  EXPECT_EQ(vek::wncnvrt_to_lower(nullptr, out, 4), 0);
  EXPECT_EQ(vek::wcnvrt_to_capital(nullptr, out), 0);
  EXPECT_EQ(vek::wcnvrt_to_title(nullptr, out), 0);
  EXPECT_EQ(u16string(out), u"keep");
  EXPECT_EQ(vek::wcnvrt_to_upper(u"x", nullptr), 0);
  EXPECT_EQ(vek::wcnvrt_to_lower(u"x", nullptr), 0);
  EXPECT_EQ(vek::wncnvrt_to_upper(u"x", nullptr, 4), 0);
  EXPECT_EQ(vek::wncnvrt_to_lower(u"x", nullptr, 4), 0);
  EXPECT_EQ(vek::wcnvrt_to_capital(u"x", nullptr), 0);
  EXPECT_EQ(vek::wcnvrt_to_title(u"x", nullptr), 0);
}

// ---- Return buffers

TEST_F(WString, StrRetUsesOneBufferThatTheNextCallOverwrites) {
  char* first = vek::str_ret(u"first");
  EXPECT_STREQ(first, "first");
  char* second = vek::str_ret(u"caf\u00E9");
  EXPECT_EQ(second, first);
  EXPECT_STREQ(second, "caf\xE9");
  EXPECT_STREQ(vek::str_ret(nullptr), "");
  std::string exact(260, 'e');
  EXPECT_EQ(std::string(vek::str_ret(W(exact).c_str())), exact);
}

TEST_F(WString, StrRetOfAnOverlongStringReportsAndStaysInItsBuffer) {
  std::string narrow = std::string(261, 'a') + std::string(1500, 'b');
  u16string w = W(narrow);
  // Silent as shipped; the text is cut to the buffer's 1039 bytes.
  testing::internal::CaptureStderr();
  EXPECT_EQ(std::string(vek::str_ret(w.c_str())), narrow.substr(0, 1039));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

  vek::dbg_set_allow_print(1);
  testing::internal::CaptureStderr();
  EXPECT_EQ(std::string(vek::str_ret(w.c_str())), narrow.substr(0, 1039));
  std::string report = testing::internal::GetCapturedStderr();
  EXPECT_EQ(report.rfind("\n*** FATAL ERROR in str_ret : ***\n\tstring \"aaaa", 0), 0u) << report;

  // 261 characters are reported and converted whole.
  testing::internal::CaptureStderr();
  EXPECT_EQ(std::string(vek::str_ret(W(narrow.substr(0, 261)).c_str())), narrow.substr(0, 261));
  EXPECT_NE(testing::internal::GetCapturedStderr(), "");
}

TEST_F(WString, WstrRetResultSurvivesThreeFurtherCalls) {
  char16_t* r[5];
  r[0] = vek::wstr_ret("zero");
  r[1] = vek::wstr_ret("one");
  r[2] = vek::wstr_ret("two");
  r[3] = vek::wstr_ret("three");
  EXPECT_EQ(u16string(r[0]), u"zero");
  EXPECT_EQ(u16string(r[1]), u"one");
  EXPECT_EQ(u16string(r[2]), u"two");
  EXPECT_EQ(u16string(r[3]), u"three");
  r[4] = vek::wstr_ret("four");
  EXPECT_EQ(r[4], r[0]);
  EXPECT_EQ(u16string(r[0]), u"four");
  EXPECT_EQ(u16string(r[1]), u"one");

  // Steady use allocates nothing; a slot grows for a long text and stays grown.
  int blocks = yrltest::live_blocks();
  for (int i = 0; i < 12; ++i) vek::wstr_ret("steady");
  EXPECT_EQ(yrltest::live_blocks(), blocks);
  std::string long_text(1000, 'L');
  EXPECT_EQ(u16string(vek::wstr_ret(long_text.c_str())), W(long_text));
  EXPECT_EQ(yrltest::live_blocks(), blocks);
  for (int i = 0; i < 8; ++i) vek::wstr_ret(long_text.c_str());
  EXPECT_EQ(yrltest::live_blocks(), blocks);
  EXPECT_EQ(u16string(vek::wstr_ret(nullptr)), u"");
}

// ---- Tokens and replacement

std::vector<u16string> all_tokens(u16string text, const char16_t* delims) {
  std::vector<u16string> tokens;
  for (char16_t* t = vek::wstok(text.data(), delims); t; t = vek::wstok(nullptr, delims))
    tokens.emplace_back(t);
  return tokens;
}

TEST_F(WString, TokensKeepEmptyFields) {
  using V = std::vector<u16string>;
  EXPECT_EQ(all_tokens(u"a,,b", u","), (V{u"a", u"", u"b"}));
  EXPECT_EQ(all_tokens(u",a;b,", u",;"), (V{u"", u"a", u"b"}));
  EXPECT_EQ(all_tokens(u"whole", u","), (V{u"whole"}));
  EXPECT_EQ(all_tokens(u"", u","), V{});
  // With nothing left, and with nothing ever given, there is no token.
  EXPECT_EQ(vek::wstok(nullptr, u","), nullptr);
  vek::wstring_testing_reset();
  EXPECT_EQ(vek::wstok(nullptr, u","), nullptr);
}

TEST_F(WString, ReplaceTheFirstOccurrence) {
  char16_t out[64];
  EXPECT_EQ(vek::wstrtok_replace(out, u"one two two", u"two", u"2"), out + 4);
  EXPECT_EQ(u16string(out), u"one 2 two");

  // The input may be the output buffer itself.
  vek::wscpy(out, u"abcabc");
  EXPECT_EQ(vek::wstrtok_replace(out, out, u"ca", u"[longer]"), out + 2);
  EXPECT_EQ(u16string(out), u"ab[longer]bc");

  vek::wscpy(out, u"unchanged");
  EXPECT_EQ(vek::wstrtok_replace(out, u"abc", u"x", u"y"), nullptr);
  EXPECT_EQ(u16string(out), u"unchanged");
  EXPECT_EQ(vek::wstrtok_replace(nullptr, u"abc", u"b", u"y"), nullptr);

  // Input longer than the 520-character work buffer.
  u16string in = u16string(700, u'x') + u"TOKEN" + u16string(100, u'y');
  std::vector<char16_t> big(1000);
  EXPECT_EQ(vek::wstrtok_replace(big.data(), in.c_str(), u"TOKEN", u"-"), big.data() + 700);
  EXPECT_EQ(u16string(big.data()), u16string(700, u'x') + u"-" + u16string(100, u'y'));
}

TEST_F(WString, ReplaceEveryOccurrence) {
  char16_t out[64];
  EXPECT_EQ(vek::wstrtok_replace_all(out, u"a.b.c.", u".", u"--"), out + 1);
  EXPECT_EQ(u16string(out), u"a--b--c--");

  // A replacement that holds the token is not searched again.
  EXPECT_EQ(vek::wstrtok_replace_all(out, u"xax", u"a", u"aa"), out + 1);
  EXPECT_EQ(u16string(out), u"xaax");
  EXPECT_EQ(vek::wstrtok_replace_all(out, u"aaaa", u"aa", u"b"), out);
  EXPECT_EQ(u16string(out), u"bb");

  vek::wscpy(out, u"in place in place");
  EXPECT_EQ(vek::wstrtok_replace_all(out, out, u"in", u"out"), out);
  EXPECT_EQ(u16string(out), u"out place out place");

  // No occurrence (an empty token has none): out is left as it was.
  vek::wscpy(out, u"kept");
  EXPECT_EQ(vek::wstrtok_replace_all(out, u"abc", u"z", u"y"), nullptr);
  EXPECT_EQ(vek::wstrtok_replace_all(out, u"abc", u"", u"y"), nullptr);
  EXPECT_EQ(u16string(out), u"kept");

  u16string in;
  u16string expected;
  for (int i = 0; i < 200; ++i) {
    in += u"ab,";
    expected += u"ab;;";
  }
  std::vector<char16_t> big(1000);
  EXPECT_EQ(vek::wstrtok_replace_all(big.data(), in.c_str(), u",", u";;"), big.data() + 2);
  EXPECT_EQ(u16string(big.data()), expected);
}

// ---- Case

TEST_F(WString, CaseInsensitiveComparisonMatchesStrcasecmp) {
  const char* texts[] = {"", "abc", "ABC", "aBd", "ab", "Zeta", "zeta!", "a b", "A~"};
  for (const char* a : texts) {
    for (const char* b : texts) {
      EXPECT_EQ(sign(vek::wu_strcmp(W(a).c_str(), W(b).c_str())), sign(::strcasecmp(a, b)))
          << a << " / " << b;
      EXPECT_EQ(sign(vek::wu_strcmp_s(W(a).c_str(), b)), sign(::strcasecmp(a, b)))
          << a << " / " << b;
      for (int n = 0; n <= 4; ++n) {
        int expected = sign(::strncasecmp(a, b, static_cast<size_t>(n)));
        EXPECT_EQ(sign(vek::wu_strncmp(W(a).c_str(), W(b).c_str(), n)), expected);
        EXPECT_EQ(sign(vek::wu_strncmp_s(W(a).c_str(), b, n)), expected);
      }
    }
  }
  EXPECT_EQ(vek::wu_strcmp_null(nullptr, nullptr), 0);
  EXPECT_EQ(vek::wu_strcmp_null(nullptr, u"a"), -1);
  EXPECT_EQ(vek::wu_strcmp_null(u"a", nullptr), 1);
  EXPECT_EQ(vek::wu_strcmp_null(u"aB", u"Ab"), 0);
  // Letters compare as upper case: '_' lies between 'Z' and 'a'.
  EXPECT_GT(vek::wu_strcmp(u"_", u"a"), 0);
  EXPECT_GT(vek::wu_strcmp_s(u"_", "a"), 0);
  EXPECT_EQ(vek::wu_strcmp(u"x_", u"X_"), 0);
}

TEST_F(WString, CaseInsensitiveComparisonWithEightBitLetters) {
  // Past the ASCII prefix the narrow rest is widened and compared by the language.
  vek::set_language(vek::LANG_GERMAN);
  EXPECT_EQ(vek::wu_strcmp_s(u"Stra\u00DFe \u00C9t\u00E9", "STRA\xDF" "E \xE9T\xC9"), 0);
  EXPECT_EQ(vek::wu_strncmp_s(u"ab\u00E9x", "AB\xC9y", 3), 0);
  EXPECT_NE(vek::wu_strncmp_s(u"ab\u00E9x", "AB\xC9y", 4), 0);
  EXPECT_EQ(vek::wu_strcmp(u"\u00E9t\u00E9", u"\u00C9T\u00C9"), 0);
  vek::set_language(vek::LANG_ENGLISH);
  EXPECT_NE(vek::wu_strcmp(u"\u00E9t\u00E9", u"\u00C9T\u00C9"), 0);
}

TEST_F(WString, EightBitLettersFollowTheCurrentLanguage) {
  struct Case {
    int language;
    char16_t c, upper, lower;
  } cases[] = {
      {vek::LANG_GERMAN, u'\u00E9', u'\u00C9', u'\u00E9'},
      {vek::LANG_GERMAN, u'\u00C9', u'\u00C9', u'\u00E9'},
      {vek::LANG_GERMAN, u'\u00F7', u'\u00F7', u'\u00F7'},  // division sign
      {vek::LANG_GERMAN, u'\u00D7', u'\u00D7', u'\u00D7'},  // multiplication sign
      {vek::LANG_GERMAN, u'\u00FE', u'\u00DE', u'\u00FE'},
      {vek::LANG_GERMAN, u'\u00FF', u'\u00FF', u'\u00FF'},  // outside the range
      {vek::LANG_FRENCH, u'\u00E0', u'\u00C0', u'\u00E0'},
      {vek::LANG_SPANISH, u'\u00F1', u'\u00D1', u'\u00F1'},
      {vek::LANG_ITALIAN, u'\u00C8', u'\u00C8', u'\u00E8'},
      {vek::LANG_GERMAN, u'q', u'Q', u'q'},
      {vek::LANG_ENGLISH, u'\u00E9', u'\u00E9', u'\u00E9'},
      {vek::LANG_ENGLISH, u'\u00C9', u'\u00C9', u'\u00C9'},
      {vek::LANG_ENGLISH, u'Q', u'Q', u'q'},
      {vek::LANG_RUSSIAN, u'\u00E9', u'\u00E9', u'\u00E9'},
      {vek::LANG_JAPANESE, u'\u00E9', u'\u00E9', u'\u00E9'},
  };
  for (const Case& c : cases) {
    vek::set_language(c.language);
    EXPECT_EQ(vek::is_8bit_lang(),
              c.language == vek::LANG_FRENCH || c.language == vek::LANG_GERMAN ||
                  c.language == vek::LANG_ITALIAN || c.language == vek::LANG_SPANISH);
    EXPECT_EQ(vek::wuppercase(c.c), c.upper) << c.language << " " << int(c.c);
    EXPECT_EQ(vek::wlowercase(c.c), c.lower) << c.language << " " << int(c.c);
  }
}

TEST_F(WString, ALanguageSetAfterFirstUseTakesEffect) {
  EXPECT_EQ(vek::wuppercase(u'\u00E9'), u'\u00E9');
  vek::set_language(vek::LANG_GERMAN);
  EXPECT_EQ(vek::wuppercase(u'\u00E9'), u'\u00C9');
  vek::set_language(vek::LANG_ENGLISH);
  EXPECT_EQ(vek::wuppercase(u'\u00E9'), u'\u00E9');
  EXPECT_EQ(vek::is_8bit_lang(), 0);
  // So does a system code page set after first use: 0xE9 and 0xC9 are Cyrillic there.
  vek::set_language(vek::LANG_GERMAN);
  EXPECT_EQ(vek::wuppercase(u'\u00E9'), u'\u00C9');
  ASSERT_TRUE(w32::set_system_code_page(1251));
  EXPECT_EQ(vek::wuppercase(u'\u00E9'), u'\u00E9');
  EXPECT_EQ(vek::wuppercase(u'\u0439'), u'\u0419');
  EXPECT_EQ(vek::wlowercase(u'\u0419'), u'\u0439');
}

TEST_F(WString, SingleCharacterCaseReadsItsRangesOncePerLanguageAndCodePage) {
  // In a double-byte code page the first 8-bit letter does not convert, which verbose
  // mode reports: one report means one reading.
  ASSERT_TRUE(w32::set_system_code_page(932));
  vek::set_language(vek::LANG_FRENCH);
  vek::set_verbose_mode(1);
  vek::set_run_mode(1);
  yrltest::ConsoleCapture console;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(vek::wuppercase(u'\u00E9'), u'\u00E9');
    EXPECT_EQ(vek::wlowercase(u'\u00C9'), u'\u00C9');
  }
  std::string reports = console.out() + console.err();
  std::size_t first = reports.find("vyn_mbtowc");
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(reports.find("vyn_mbtowc", first + 1), std::string::npos) << reports;
  vek::set_language(vek::LANG_GERMAN);
  EXPECT_EQ(vek::wuppercase(u'\u00E9'), u'\u00E9');
  EXPECT_NE(reports.size(), console.out().size() + console.err().size());
}

TEST_F(WString, StringCaseConversion) {
  vek::set_language(vek::LANG_FRENCH);
  char16_t out[64];
  EXPECT_EQ(vek::wcnvrt_to_upper(u"caf\u00E9 au lait 1", out), 1);
  EXPECT_EQ(u16string(out), u"CAF\u00C9 AU LAIT 1");
  EXPECT_EQ(vek::wcnvrt_to_lower(u"CAF\u00C9 Au", out), 1);
  EXPECT_EQ(u16string(out), u"caf\u00E9 au");

  // At most n-1 characters and the terminator; n = 0 writes nothing.
  for (char16_t& c : out) c = u'#';
  EXPECT_EQ(vek::wncnvrt_to_upper(u"abcdef", out, 4), 1);
  EXPECT_EQ(u16string(out, 5), u16string(u"ABC\0#", 5));
  EXPECT_EQ(vek::wncnvrt_to_lower(u"ABCDEF", out, 1), 1);
  EXPECT_EQ(out[0], 0);
  out[0] = u'#';
  EXPECT_EQ(vek::wncnvrt_to_lower(u"ABCDEF", out, 0), 1);
  EXPECT_EQ(out[0], u'#');

  // In place.
  char16_t text[] = u"MiXeD";
  vek::wcnvrt_to_lower(text, text);
  EXPECT_EQ(u16string(text), u"mixed");
}

TEST_F(WString, WordCapitals) {
  char16_t out[64];
  EXPECT_EQ(vek::wcnvrt_to_capital(u"hELLO wORLD-x", out), 1);
  EXPECT_EQ(u16string(out), u"Hello World-X");
  // Digits end a word for the capitals and belong to it for the title form.
  EXPECT_EQ(vek::wcnvrt_to_capital(u"3RD pLACE a2B", out), 1);
  EXPECT_EQ(u16string(out), u"3Rd Place A2B");
  EXPECT_EQ(vek::wcnvrt_to_title(u"3RD pLACE a2B", out), 0);
  EXPECT_EQ(u16string(out), u"3rd Place A2b");

  char16_t words[] = u"ab cd/ef  gH";
  vek::wuppercase_words(words);
  EXPECT_EQ(u16string(words), u"Ab Cd/Ef  GH");
  char16_t lead[] = u"/x y";
  vek::wuppercase_words(lead);
  EXPECT_EQ(u16string(lead), u"/X Y");
}

// Words are made of Unicode letters in every language; the language decides only the
// case rules, so an accented letter that it cannot change still belongs to its word.
TEST_F(WString, WordsAreMadeOfUnicodeLetters) {
  struct Case {
    int language;
    bool title;
    const char16_t* text;
    const char16_t* expected;
  } cases[] = {
      {vek::LANG_FRENCH, false, u"\u00E9lan", u"\u00C9lan"},
      {vek::LANG_FRENCH, true, u"caf\u00E9 cr\u00E8me", u"Caf\u00E9 Cr\u00E8me"},
      {vek::LANG_FRENCH, false, u"\u00C9T\u00C9 \u00C0 l'\u00EEle",
       u"\u00C9t\u00E9 \u00C0 L'\u00CEle"},
      {vek::LANG_GERMAN, true, u"STRA\u00DFE 2b", u"Stra\u00DFe 2b"},
      {vek::LANG_ENGLISH, false, u"\u00E9lan", u"\u00E9lan"},
      {vek::LANG_JAPANESE, false, u"\u6771\u4EACtokyo", u"\u6771\u4EACtokyo"},
      {vek::LANG_RUSSIAN, false, u"\u043C\u0438\u0440world", u"\u043C\u0438\u0440world"},
      {vek::LANG_ENGLISH, true, u"a\u3000b", u"A\u3000B"},
  };
  for (const Case& c : cases) {
    vek::set_language(c.language);
    char16_t out[64];
    if (c.title)
      vek::wcnvrt_to_title(c.text, out);
    else
      vek::wcnvrt_to_capital(c.text, out);
    EXPECT_EQ(u16string(out), u16string(c.expected)) << c.language;
  }
}

// ---- Character tests

TEST_F(WString, CharacterClasses) {
  for (int c = -128; c < 256; ++c) {
    bool valid = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                 c == '_' || c == '-';
    if (c >= 0) {
      EXPECT_EQ(vek::is_valid_wc(static_cast<char16_t>(c)), valid) << c;
    }
    if (c < 128) {
      EXPECT_EQ(vek::is_valid_character(static_cast<char>(c)), valid) << c;
    }
  }
  EXPECT_EQ(vek::is_valid_character(static_cast<char>(0xC1)), 0);
  EXPECT_EQ(vek::is_valid_wc(u'\u0141'), 0);  // 0x41 in its low byte

  struct Case {
    const char16_t* text;
    int number;
  } cases[] = {{u"", 1},    {u"+", 1},    {u"-12", 1}, {u"007", 1},  {u"1.5", 0},
               {u"+-1", 0}, {u"12a", 0},  {u" 1", 0},  {u"\u0661", 0}};
  for (const Case& c : cases) EXPECT_EQ(vek::iswsnum(c.text), c.number);
}

// ---- Precision cut

struct PrecisionCase {
  int language;
  const char* spec;
  const char* text;
  const char* kept;
};

TEST_F(WString, PrecisionCutKeepsWholeCharacters) {
  const PrecisionCase cases[] = {
      // One single-byte character and two EUC two-byte characters.
      {vek::LANG_JAPANESE, "%.3s", "a\xA4\xA2\xA4\xA4", "a\xA4\xA2"},
      {vek::LANG_JAPANESE, "%.4s", "a\xA4\xA2\xA4\xA4", "a\xA4\xA2"},
      {vek::LANG_JAPANESE, "%.2s", "a\xA4\xA2\xA4\xA4", "a"},
      {vek::LANG_JAPANESE, "%.5s", "a\xA4\xA2\xA4\xA4", "a\xA4\xA2\xA4\xA4"},
      {vek::LANG_JAPANESE, "%-12.3s", "a\xA4\xA2\xA4\xA4", "a\xA4\xA2"},
      {vek::LANG_JAPANESE, "%%%.1s", "ab", "a"},
      // A first character longer than the precision is dropped, never split; %.0s
      // keeps nothing.
      {vek::LANG_JAPANESE, "%.1s", "\xA4\xA2z", ""},
      {vek::LANG_JAPANESE, "%.0s", "xyz", ""},
      // Code set 3 takes three bytes.
      {vek::LANG_JAPANESE, "%.3s", "\x8F\xA1\xA1z", "\x8F\xA1\xA1"},
      {vek::LANG_JAPANESE, "%.2s", "a\x8F\xA1\xA1", "a"},
      // A lead byte right before the terminator is not read past.
      {vek::LANG_JAPANESE, "%.2s", "\x8F\xA1", "\x8F\xA1"},
      {vek::LANG_JAPANESE, "%.1s", "a\xA4", "a"},
      // No precision, or none that cuts: unchanged.
      {vek::LANG_JAPANESE, "%s", "a\xA4\xA2", "a\xA4\xA2"},
      {vek::LANG_JAPANESE, "%10s", "abc", "abc"},
      {vek::LANG_JAPANESE, "%.9s", "abc", "abc"},
      // In a single-byte language every byte is a character.
      {vek::LANG_FRENCH, "%.2s", "a\xE9" "b", "a\xE9"},
      {vek::LANG_ENGLISH, "%.1s", "\xE9" "b", "\xE9"},
  };
  for (const PrecisionCase& c : cases) {
    vek::set_language(c.language);
    char text[32];
    std::strcpy(text, c.text);
    vek::take_care_of_precision(c.spec, text);
    EXPECT_STREQ(text, c.kept) << c.spec << " on " << c.text;
  }
  // An over-long conversion spec is read only within its 19 characters.
  char text[] = "abcdef";
  vek::take_care_of_precision("%.2s                          ", text);
  EXPECT_STREQ(text, "ab");
}

// ---- Display order

class WStringDisplay : public WString {
 protected:
  // The display form of text in Hebrew, or "<0>" when get_display_string refuses.
  u16string display(const u16string& text) {
    vek::set_language(vek::LANG_HEBREW);
    char16_t* out = nullptr;
    int blocks = yrltest::live_blocks();
    if (!vek::get_display_string(text.c_str(), &out)) return u"<0>";
    u16string result(out);
    vek::relmem(&out);
    EXPECT_EQ(yrltest::live_blocks(), blocks);  // the work blocks are released
    return result;
  }
};

TEST_F(WStringDisplay, LeftToRightLanguageLeavesOutUntouched) {
  char16_t marker[] = u"m";
  char16_t* out = marker;
  EXPECT_EQ(vek::get_display_string(u"\u05D0\u05D1", &out), 0);
  EXPECT_EQ(out, marker);
}

TEST_F(WStringDisplay, RightToLeftRunsAreReversed) {
  struct Case {
    const char16_t* text;
    const char16_t* shown;
  } cases[] = {
      {u"", u""},
      {u"abc def", u"abc def"},
      {u"\u05D0\u05D1\u05D2", u"\u05D2\u05D1\u05D0"},
      {u"\u05D0\u05D1 cd", u"\u05D1\u05D0 cd"},
      {u"ab \u05D0\u05D1\u05D2", u"ab \u05D2\u05D1\u05D0"},
      // Neutrals between runs of opposite direction stay on the left-to-right side.
      {u"ab \u05D0\u05D1 cd", u"ab \u05D1\u05D0 cd"},
      // Trailing neutrals after a right-to-left run are not part of it.
      {u"\u05D0\u05D1.", u"\u05D1\u05D0."},
      // Leading digits join the right-to-left run.
      {u"12\u05D0\u05D1", u"\u05D1\u05D012"},
      // A number keeps its order inside a right-to-left run.
      {u"\u05D0 12.5 \u05D1", u"\u05D1 12.5 \u05D0"},
      {u"\u05D0 10:30, \u05D1", u"\u05D1 ,10:30 \u05D0"},
      // Tabs stay in place; the pieces between them are reversed on their own.
      {u"\u05D0\u05D1\t\u05D2\u05D3", u"\u05D1\u05D0\t\u05D3\u05D2"},
      // Brackets are mirrored inside a right-to-left run.
      {u"\u05D0(\u05D1)\u05D2", u"\u05D2(\u05D1)\u05D0"},
      {u"\u05D0<\u05D1]\u05D2", u"\u05D2[\u05D1>\u05D0"},
      {u"\u05D0{\u05D1}", u"\u05D1}\u05D0}"},
      // A protected span keeps its order and moves as one block.
      {u"\u05D0\x01xy\x02\u05D1", u"\u05D1\x01xy\x02\u05D0"},
      {u"\u05D0\x01x\ty\x02\u05D1", u"\u05D1\x01x\ty\x02\u05D0"},
      // A 1 without its 2 is an ordinary character.
      {u"\u05D0\x01\u05D1", u"\u05D1\x01\u05D0"},
      // Only the first line is reordered.
      {u"\u05D0\u05D1\n\u05D2\u05D3", u"\u05D1\u05D0\n\u05D2\u05D3"},
  };
  for (const Case& c : cases) EXPECT_EQ(display(c.text), u16string(c.shown));
}

}  // namespace
