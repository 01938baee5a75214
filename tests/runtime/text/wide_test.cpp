#include "runtime/text/wide.h"

#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/w32/codepage.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/runmode.h"
#include "runtime/memory/getmem.h"
#include "runtime/text/lang.h"
#include "tests/platform/iconv_reference.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"

namespace {

using yrltest::iconv_decode;
using yrltest::iconv_encode;

class WideTest : public yrltest::RuntimeTest {};

constexpr char kCanary = '#';
constexpr char16_t kWideCanary = u'#';

// wstostr into exactly the room it promises to need, with a canary behind it.
std::string narrow(const std::u16string& wide) {
  std::vector<char> buffer(4 * wide.size() + 2, kCanary);
  char* result = vek::wstostr(buffer.data(), wide.c_str());
  EXPECT_EQ(result, buffer.data());
  EXPECT_EQ(buffer.back(), kCanary) << "wstostr wrote past its room";
  return std::string(buffer.data());
}

// strtows into exactly the room it promises to need, with a canary behind it.
std::u16string wide(const std::string& narrow) {
  std::vector<char16_t> buffer(narrow.size() + 2, kWideCanary);
  VynWchar* result = vek::strtows(buffer.data(), narrow.c_str());
  EXPECT_EQ(result, buffer.data());
  EXPECT_EQ(buffer.back(), kWideCanary) << "strtows wrote past its room";
  return std::u16string(buffer.data());
}

std::string byte(int b) { return std::string(1, static_cast<char>(b)); }

std::string euc_of_jis(int c1, int c2) { return byte(c1 | 0x80) + byte(c2 | 0x80); }

// The two bytes of a JIS cell in Shift_JIS by jis2sjis.
std::string sjis_of_jis(int c1, int c2) {
  vek::jis2sjis(&c1, &c2);
  return byte(c1) + byte(c2);
}

// Whether bytes are EUC as the Japanese strtows reads it: ASCII, code-set-1 pairs and
// code-set-2 half-width katakana.
bool is_euc(const std::string& bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) continue;
    if (i + 1 >= bytes.size()) return false;
    unsigned char c2 = static_cast<unsigned char>(bytes[++i]);
    if (c == 0x8E ? !(c2 >= 0xA1 && c2 <= 0xDF)
                  : !(c >= 0xA1 && c <= 0xFE && c2 >= 0xA1 && c2 <= 0xFE))
      return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------
// English and Hebrew: the fixed maps

TEST_F(WideTest, EnglishIsLatin1WithTheEuroSignAtByte0x80) {
  vek::set_language(vek::LANG_ENGLISH);
  EXPECT_EQ(wide("caf\xE9\x80"), u"caf\u00E9\u20AC");
  EXPECT_EQ(narrow(u"caf\u00E9\u20AC"), "caf\xE9\x80");
  for (int b = 1; b < 256; ++b) {
    std::u16string unit = wide(byte(b));
    EXPECT_EQ(unit, std::u16string(1, b == 0x80 ? u'\u20AC' : static_cast<char16_t>(b))) << b;
    if (b != 0x80) {
      EXPECT_EQ(iconv_decode("ISO-8859-1", byte(b)), unit) << b;
    }
    EXPECT_EQ(narrow(unit), byte(b));
  }
  // Beyond Latin-1 only '?' comes out: never a low byte, never a 0 that cuts the text.
  EXPECT_EQ(narrow(u"a\u0141b\u4E00c\u0100d\uFFFF"), "a?b?c?d?");
}

TEST_F(WideTest, HebrewMapsItsLettersAndKeepsTheOtherBytes) {
  vek::set_language(vek::LANG_HEBREW);
  for (int b = 1; b < 256; ++b) {
    std::u16string unit = wide(byte(b));
    if (b >= 0xE0 && b <= 0xFA) {
      EXPECT_EQ(unit, iconv_decode("ISO-8859-8", byte(b))) << b;
    } else {
      EXPECT_EQ(unit, std::u16string(1, static_cast<char16_t>(b))) << b;
    }
    EXPECT_EQ(narrow(unit), byte(b)) << b;
  }
  EXPECT_EQ(wide("\xE0\xFB"), u"\u05D0\u00FB");
  // Outside the map nothing above U+00FF survives as a byte of its own.
  EXPECT_EQ(narrow(u"\u05EB\u05CF\u20AC\u05D0"), "???\xE0");
}

// ---------------------------------------------------------------------------------------
// Japanese: EUC through code page 932

TEST_F(WideTest, JisAndShiftJisArithmeticRoundTripsTheWholeGridAsIconvDoes) {
  int defined = 0;
  for (int c1 = 0x21; c1 <= 0x7E; ++c1) {
    for (int c2 = 0x21; c2 <= 0x7E; ++c2) {
      int s1 = c1;
      int s2 = c2;
      vek::jis2sjis(&s1, &s2);
      ASSERT_TRUE((s1 >= 0x81 && s1 <= 0x9F) || (s1 >= 0xE0 && s1 <= 0xEF)) << c1 << " " << c2;
      ASSERT_TRUE(s2 >= 0x40 && s2 <= 0xFC && s2 != 0x7F) << c1 << " " << c2;
      int j1 = s1;
      int j2 = s2;
      vek::sjis2jis(&j1, &j2);
      ASSERT_EQ(j1, c1);
      ASSERT_EQ(j2, c2);
      // The same JIS X 0208 character in its EUC and its Shift_JIS form.
      std::optional<std::u16string> from_euc = iconv_decode("EUC-JP", euc_of_jis(c1, c2));
      std::optional<std::u16string> from_sjis = iconv_decode("SHIFT_JIS", byte(s1) + byte(s2));
      ASSERT_EQ(from_euc, from_sjis) << c1 << " " << c2;
      if (from_euc) ++defined;
    }
  }
  EXPECT_GT(defined, 6800);
  int zero = 0;
  int other = 0x41;
  vek::jis2sjis(&zero, &other);
  vek::sjis2jis(&zero, &other);
  EXPECT_EQ(zero, 0);
  EXPECT_EQ(other, 0x41);
}

TEST_F(WideTest, JapaneseReadsEveryEucCellAsCodePage932Does) {
  vek::set_language(vek::LANG_JAPANESE);
  for (int c1 = 0x21; c1 <= 0x7E; ++c1) {
    for (int c2 = 0x21; c2 <= 0x7E; ++c2) {
      std::u16string got = wide(euc_of_jis(c1, c2));
      // Rows 1 to 84 as the Microsoft flavour of EUC has them; the rest, where that
      // flavour puts private-use characters, as code page 932 has them: empty but for
      // the NEC-selected rows 89 to 92.
      std::optional<std::u16string> expected = c1 - 0x20 <= 84
                                                   ? iconv_decode("EUC-JP-MS", euc_of_jis(c1, c2))
                                                   : iconv_decode("CP932", sjis_of_jis(c1, c2));
      ASSERT_EQ(got, expected.value_or(u"\uFFFD")) << "row " << c1 - 0x20 << " cell " << c2 - 0x20;
    }
  }
  // The cell of row 4, cell 2 and back.
  EXPECT_EQ(wide("\xA4\xA2"), u"\u3042");
  EXPECT_EQ(narrow(u"\u3042"), "\xA4\xA2");
}

TEST_F(WideTest, JapaneseWritesEveryCharacterAsEucThatReadsBack) {
  vek::set_language(vek::LANG_JAPANESE);
  int checked = 0;
  for (int c = 1; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    std::u16string unit(1, static_cast<char16_t>(c));
    std::string euc = narrow(unit);
    ASSERT_TRUE(is_euc(euc)) << std::hex << c;
    std::optional<std::string> in_932 = iconv_encode("CP932", unit);
    if (!in_932 || (c >= 0xE000 && c <= 0xF8FF)) {
      // Not in the code page, or in its user-defined rows, which EUC has no room for.
      ASSERT_EQ(euc, "?") << std::hex << c;
      continue;
    }
    ++checked;
    // Back comes the character, or the one code page 932 reads from its code (U+00A2
    // is written as the code of U+FFE0).
    ASSERT_EQ(wide(euc), iconv_decode("CP932", *in_932)) << std::hex << c;
    // Where the Microsoft flavour of EUC has the character in code set 1 or 2, the
    // bytes are the same.
    std::optional<std::string> reference = iconv_encode("EUC-JP-MS", unit);
    if (reference && static_cast<unsigned char>((*reference)[0]) != 0x8F) {
      ASSERT_EQ(euc, *reference) << std::hex << c;
    }
  }
  EXPECT_GT(checked, 7500);
  // Half-width katakana are code set 2.
  EXPECT_EQ(narrow(u"\uFF71"), "\x8E\xB1");
  EXPECT_EQ(wide("\x8E\xB1"), u"\uFF71");
}

TEST_F(WideTest, JapaneseGivesTheIbmExtensionsTheirNecSelectedEucCells) {
  vek::set_language(vek::LANG_JAPANESE);
  int count = 0;
  for (int lead = 0xFA; lead <= 0xFC; ++lead) {
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      std::optional<std::u16string> unit = iconv_decode("CP932", byte(lead) + byte(trail));
      if (!unit) continue;
      ++count;
      std::string euc = narrow(*unit);
      EXPECT_EQ(euc.size(), 2u) << std::hex << lead << trail;
      EXPECT_TRUE(is_euc(euc)) << std::hex << lead << trail;
      EXPECT_EQ(wide(euc), *unit) << std::hex << lead << trail;
    }
  }
  EXPECT_EQ(count, 388);
  // A name that needs one: the IBM code 0xFBFC would give bytes that are not EUC. Its
  // NEC-selected twin 0xEEE0 is JIS row 92, cell 66.
  ASSERT_EQ(iconv_decode("CP932", "\xEE\xE0"), u"\u9AD9");
  EXPECT_EQ(narrow(u"\u9AD9\u6A4B"), euc_of_jis(92 + 0x20, 66 + 0x20) + "\xB6\xB6");
  EXPECT_EQ(wide(narrow(u"\uFA11")), u"\uFA11");
}

TEST_F(WideTest, JapaneseReadsBrokenEucAsReplacementsNeverAsZeroUnits) {
  vek::set_language(vek::LANG_JAPANESE);
  struct Case {
    std::string euc;
    std::u16string expected;
  };
  const Case cases[] = {
      {"\xA4", u"\uFFFD"},  // first byte without its second
      {"a\xA4\xA2\xA4", u"a\u3042\uFFFD"},
      {"\x8E", u"\uFFFD"},
      {"\x8E\xB1\x8E", u"\uFF71\uFFFD"},
      {"\xA4"
       "a"
       "b",
       u"\uFFFD"
       "b"},  // the pair code page 932 reads as two
      {"\x8F\xB0\xA1x",
       u"\uFFFD"
       "x"},  // code set 3 has no code-page-932 form
      {"\x80"
       "x",
       u"\uFFFD"
       "x"},
      {"\xA4\xA2\xFF\xA4\xA2", u"\u3042"},  // 0xFF ends the text
      {"\xA4\xFF\xA4\xA2", u"\uFFFD"},
      {"\xF5\xA1", u"\uFFFD"},  // rows 85 to 88 are empty
      {"\xA1\xC1", u"\uFF5E"},  // code page 932 flavour of the wave dash
  };
  for (const Case& c : cases) EXPECT_EQ(wide(c.euc), c.expected) << c.euc;
}

TEST_F(WideTest, JapaneseWritesCharactersOutsideCodePage932AsQuestionMarks) {
  vek::set_language(vek::LANG_JAPANESE);
  const std::u16string lone_surrogate(1, static_cast<char16_t>(0xD800));
  EXPECT_EQ(narrow(u"a\u20ACb\u0141\uE000" + lone_surrogate + u"c"), "a?b???c");
  EXPECT_EQ(narrow(u"\u65E5\u672C\u8A9E"), *iconv_encode("EUC-JP", u"\u65E5\u672C\u8A9E"));
}

// ---------------------------------------------------------------------------------------
// The code-page languages and the system code page

TEST_F(WideTest, CodePageLanguagesConvertAsIconv) {
  struct Case {
    int language;
    const char* encoding;
    std::u16string text;
  };
  const Case cases[] = {
      {vek::LANG_RUSSIAN, "CP1251",
       u"\u041F\u0440\u0438\u0432\u0435\u0442, \u043C\u0438\u0440 \u2116"},
      {vek::LANG_KOREAN, "CP949", u"\uD55C\uAD6D\uC5B4 abc \uAC02"},
      {vek::LANG_CHINESE_TRADITIONAL, "CP950", u"\u4E2D\u6587 \u7E41\u9AD4"},
      {vek::LANG_CHINESE_SIMPLIFIED, "CP936", u"\u4E2D\u6587 \u7B80\u4F53 \u20AC"},
      {vek::LANG_GENERIC_MULTIBYTE, "CP1252", u"d\u00E9j\u00E0 \u20AC"},
  };
  for (const Case& c : cases) {
    vek::set_language(c.language);
    std::string bytes = *iconv_encode(c.encoding, c.text);
    EXPECT_EQ(narrow(c.text), bytes) << c.encoding;
    EXPECT_EQ(wide(bytes), c.text) << c.encoding;
  }
  vek::set_language(vek::LANG_KOREAN);
  EXPECT_EQ(narrow(u"a\u05D0b"), "a?b");
  EXPECT_EQ(wide("a\xC9\x41"
                 "b\x81"),
            u"a\uFFFDb\uFFFD");
}

TEST_F(WideTest, OtherLanguagesGoCharacterByCharacterThroughTheSystemCodePage) {
  vek::set_language(vek::LANG_FRENCH);
  EXPECT_EQ(wide("\x80\xE9\x81"), u"\u20AC\u00E9\u0081");
  EXPECT_EQ(narrow(u"\u20AC\u00E9\u0081\u4E00x"), "\x80\xE9\x81?x");
  ASSERT_TRUE(w32::set_system_code_page(1251));
  EXPECT_EQ(wide("\xC0\xE0"), u"\u0410\u0430");
  EXPECT_EQ(narrow(u"\u0410\u00E9"), "\xC0?");
  // A double-byte system code page: a lead byte with nothing behind it ends the text.
  ASSERT_TRUE(w32::set_system_code_page(932));
  vek::set_language(vek::LANG_GENERIC_SINGLE_BYTE);
  yrltest::ConsoleCapture console;
  EXPECT_EQ(wide("\x93\xFA"
                 "a\x96"),
            u"\u65E5a");
  EXPECT_EQ(narrow(u"\u65E5a"),
            "\x93\xFA"
            "a");
}

TEST_F(WideTest, EveryPathFollowsTheLanguageOfTheMoment) {
  vek::set_language(vek::LANG_ENGLISH);
  EXPECT_EQ(wide("\xE0\x80"), u"\u00E0\u20AC");
  VynWchar out = 0;
  EXPECT_EQ(vek::wc_to_sigma_wc(&out, u'\u3042'), 1);
  EXPECT_EQ(out, u'\u3042');
  VynWchar code = 0xA4A2;
  vek::wc16towc32(&code);
  EXPECT_EQ(code, 0xA4A2);

  vek::set_language(vek::LANG_HEBREW);
  EXPECT_EQ(wide("\xE0\x80"), u"\u05D0\u0080");
  vek::set_language(vek::LANG_JAPANESE);
  EXPECT_EQ(wide("\xA4\xA2"), u"\u3042");
  vek::wc16towc32(&code);
  EXPECT_EQ(code, u'\u3042');
  vek::set_language(vek::LANG_KOREAN);
  EXPECT_EQ(vek::wc_to_sigma_wc(&out, u'\uD55C'), 1);
  EXPECT_EQ(out, 0xC7D1);
}

// ---------------------------------------------------------------------------------------
// Destinations with a capacity

TEST_F(WideTest, BoundedConversionsCutAfterWholeCharacters) {
  struct Case {
    int language;
    std::u16string text;
    std::size_t capacity;
    std::string expected;
  };
  const Case narrow_cases[] = {
      {vek::LANG_JAPANESE, u"\u3042\u3044", 4, "\xA4\xA2"},
      {vek::LANG_JAPANESE, u"a\uFF71", 3, "a"},
      {vek::LANG_KOREAN, u"\uD55C\uAD6D", 4, "\xC7\xD1"},
      {vek::LANG_KOREAN, u"\uD55C\uAD6D", 2, ""},
      {vek::LANG_ENGLISH, u"abcdef", 4, "abc"},
      {vek::LANG_FRENCH, u"abc", 1, ""},
  };
  for (const Case& c : narrow_cases) {
    vek::set_language(c.language);
    std::vector<char> buffer(c.capacity + 1, kCanary);
    EXPECT_EQ(vek::wstostr_bounded(buffer.data(), c.capacity, c.text.c_str()), 1);
    EXPECT_EQ(std::string(buffer.data()), c.expected);
    EXPECT_EQ(buffer.back(), kCanary);
  }
  vek::set_language(vek::LANG_KOREAN);
  char exact[5];
  EXPECT_EQ(vek::wstostr_bounded(exact, sizeof exact, u"\uD55C\uAD6D"), 0);
  EXPECT_EQ(std::string(exact), iconv_encode("CP949", u"\uD55C\uAD6D"));
  vek::set_language(vek::LANG_JAPANESE);
  EXPECT_EQ(vek::wstostr_bounded(exact, sizeof exact, u"\u3042\u3044"), 0);
  EXPECT_STREQ(exact, "\xA4\xA2\xA4\xA4");
  EXPECT_EQ(vek::wstostr_bounded(exact, 0, u"x"), 1);

  vek::set_language(vek::LANG_CHINESE_SIMPLIFIED);
  std::vector<char16_t> units(4, kWideCanary);
  EXPECT_EQ(vek::strtows_bounded(units.data(), 3, "\xD6\xD0\xCE\xC4x"), 1);
  EXPECT_EQ(std::u16string(units.data()), u"\u4E2D\u6587");
  EXPECT_EQ(units[3], kWideCanary);
  vek::set_language(vek::LANG_JAPANESE);
  EXPECT_EQ(vek::strtows_bounded(units.data(), 2, "\xA4\xA2\xA4\xA4"), 1);
  EXPECT_EQ(std::u16string(units.data()), u"\u3042");
  EXPECT_EQ(vek::strtows_bounded(units.data(), 3, "\xA4\xA2\xA4\xA4"), 0);
}

TEST_F(WideTest, NullArgumentsAreReportedAndLeaveTheDestinationEmpty) {
  vek::set_language(vek::LANG_ENGLISH);
  yrltest::ConsoleCapture console;
  char narrow_buffer[16] = "xyz";
  EXPECT_EQ(vek::wstostr(narrow_buffer, nullptr), narrow_buffer);
  EXPECT_STREQ(narrow_buffer, "");
  EXPECT_EQ(vek::wstostr(nullptr, u"a"), nullptr);
  VynWchar wide_buffer[4] = {u'x', 0};
  EXPECT_EQ(vek::strtows(wide_buffer, nullptr), wide_buffer);
  EXPECT_EQ(wide_buffer[0], 0);
  EXPECT_EQ(vek::strtows(nullptr, "a"), nullptr);
  EXPECT_EQ(console.out(),
            "WSTOSTR :  Illegal NULL pointer !!!WSTOSTR :  Illegal NULL pointer !!!"
            "STRTOWS :  Illegal NULL pointer !!!STRTOWS :  Illegal NULL pointer !!!");
  // The other names of the pair.
  EXPECT_EQ(vek::vyn_str_to_wstr(wide_buffer, "ab"), wide_buffer);
  EXPECT_EQ(std::u16string(wide_buffer), u"ab");
  EXPECT_STREQ(vek::vyn_wstr_to_str(narrow_buffer, u"cd"), "cd");
}

// ---------------------------------------------------------------------------------------
// Single characters

TEST_F(WideTest, WctombUsesTheCodePageOrThePackedEucCode) {
  char mb[4];
  vek::set_language(vek::LANG_KOREAN);
  ASSERT_EQ(vek::vyn_wctomb(mb, u'\uD55C'), 2);
  EXPECT_EQ(std::string(mb, 2), *iconv_encode("CP949", u"\uD55C"));
  EXPECT_EQ(vek::vyn_wctomb(mb, u'\u05D0'), 1);
  EXPECT_EQ(mb[0], '?');
  EXPECT_EQ(vek::vyn_wctomb(nullptr, u'a'), -1);

  vek::set_language(vek::LANG_JAPANESE);  // sets the packed-code flag
  EXPECT_EQ(vek::get_japanese_for_wchar_conv(), 1);
  ASSERT_EQ(vek::vyn_wctomb(mb, 0xA4A2), 2);
  EXPECT_EQ(std::string(mb, 2), "\xA4\xA2");
  ASSERT_EQ(vek::vyn_wctomb(mb, 0xB1), 2);
  EXPECT_EQ(std::string(mb, 2), "\x8E\xB1");
  vek::set_language(vek::LANG_ENGLISH);
  EXPECT_EQ(vek::get_japanese_for_wchar_conv(), 0);
  EXPECT_EQ(vek::set_japanese_for_wchar_conv(1), 0);
  EXPECT_EQ(vek::vyn_wctomb(mb, 0x8430), 3);
  EXPECT_EQ(std::string(mb, 3), "\x8F\x84\xB0");
}

TEST_F(WideTest, MbtowcReadsNoByteBeyondTheOnesItWasGiven) {
  VynWchar wc = 0;
  EXPECT_EQ(vek::vyn_mbtowc(&wc, nullptr, 3), -1);
  // Without wc: the EUC length of the character.
  EXPECT_EQ(vek::vyn_mbtowc(nullptr, "\x8F", 1), 3);
  EXPECT_EQ(vek::vyn_mbtowc(nullptr, "\xA4", 1), 2);
  EXPECT_EQ(vek::vyn_mbtowc(nullptr, "a", 1), 1);

  vek::set_language(vek::LANG_CHINESE_TRADITIONAL);
  // Exactly the bytes given, in blocks of their own so that a read past them is seen.
  std::vector<char> lead_only = {'\xA4'};
  vek::set_verbose_mode(1);
  vek::set_run_mode(1);
  {
    yrltest::ConsoleCapture console;
    EXPECT_EQ(vek::vyn_mbtowc(&wc, lead_only.data(), 1), -1);
    EXPECT_EQ(console.out(),
              "vyn_mbtowc:  input spec says convert <=1 bytes; local rule says convert more (2) "
              "(ORDER_DEBUG)\n");
  }
  std::vector<char> character = {'\xA4', '\x40'};
  EXPECT_EQ(vek::vyn_mbtowc(&wc, character.data(), 2), 2);
  EXPECT_EQ(std::u16string(1, wc), iconv_decode("CP950", "\xA4\x40"));
  std::vector<char> ascii = {'z'};
  EXPECT_EQ(vek::vyn_mbtowc(&wc, ascii.data(), 1), 1);
  EXPECT_EQ(wc, u'z');
  EXPECT_EQ(vek::vyn_mbtowc(&wc, "\xA4\x40", -1), 2);
  {
    yrltest::ConsoleCapture console;
    EXPECT_EQ(vek::vyn_mbtowc(&wc, "\xA4", -1), -1);  // the terminator is no trail byte
    EXPECT_EQ(console.out(), "vyn_mbtowc:Error - 122\n");
  }

  vek::set_language(vek::LANG_JAPANESE);
  std::vector<char> euc = {'\xA4', '\xA2'};
  EXPECT_EQ(vek::vyn_mbtowc(&wc, euc.data(), 2), 2);
  EXPECT_EQ(wc, 0xA4A2);
  EXPECT_EQ(vek::vyn_mbtowc(&wc, euc.data(), 1), -1);
  EXPECT_EQ(vek::vyn_mbtowc(&wc, "\x8E\xB1", -1), 2);
  EXPECT_EQ(wc, 0xB1);
}

TEST_F(WideTest, PackedCodesOfTheLanguages) {
  vek::set_language(vek::LANG_JAPANESE);
  EXPECT_EQ(vek::unicode_to_wchar(u'\u3042'), 0xA4A2);
  EXPECT_EQ(vek::unicode_to_wchar(u'\uFF71'), 0xB1);
  EXPECT_EQ(vek::unicode_to_wchar(u'A'), u'A');
  EXPECT_EQ(vek::unicode_to_wchar(0), 0);
  vek::set_language(vek::LANG_HEBREW);
  EXPECT_EQ(vek::unicode_to_wchar(u'\u05D0'), 0xE0);
  vek::set_language(vek::LANG_KOREAN);
  EXPECT_EQ(vek::unicode_to_wchar(u'\uD55C'), 0xC7D1);
  vek::set_language(vek::LANG_RUSSIAN);
  EXPECT_EQ(vek::unicode_to_wchar(u'\u0410'), u'\u0410');
}

TEST_F(WideTest, HexJisTextRoundTripsEveryJapaneseCharacter) {
  vek::set_language(vek::LANG_JAPANESE);
  char text[5];
  VynWchar back = 0;
  const VynWchar a = u'\u3042';
  EXPECT_EQ(vek::wctohexjis(text, &a), 1);
  EXPECT_STREQ(text, "2422");
  const VynWchar kana = u'\uFF71';
  vek::wctohexjis(text, &kana);
  EXPECT_STREQ(text, "00b1");
  const VynWchar letter = u'\n';
  vek::wctohexjis(text, &letter);
  EXPECT_STREQ(text, "000a");
  EXPECT_EQ(vek::hexjistowc(&back, "2422"), 1);
  EXPECT_EQ(back, u'\u3042');
  for (int c = 1; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    VynWchar unit = static_cast<VynWchar>(c);
    if (narrow(std::u16string(1, unit)) == "?" && c != '?') continue;
    ASSERT_EQ(vek::wctohexjis(text, &unit), 1);
    ASSERT_EQ(vek::hexjistowc(&back, text), 1) << text;
    ASSERT_EQ(std::u16string(1, back), wide(narrow(std::u16string(1, unit))))
        << std::hex << c << " " << text;
  }
  EXPECT_EQ(vek::hexjistowc(&back, "24"), 0);
  EXPECT_EQ(back, 0);

  vek::set_language(vek::LANG_ENGLISH);
  back = 1;
  EXPECT_EQ(vek::hexjistowc(&back, "2422"), 0);
  EXPECT_EQ(back, 0);
  EXPECT_EQ(vek::wctohexjis(text, &a), 0);
  EXPECT_STREQ(text, "0000");
}

TEST_F(WideTest, CharacterClasses) {
  EXPECT_EQ(vek::_iswctype(0xA1A1, 8), 1);
  EXPECT_EQ(vek::_iswctype(' ', 8), 0);
  EXPECT_EQ(vek::_iswctype(0xA1A1, 1), 0);
  for (int c = -1; c < 300; ++c) {
    int expected_print = c > 127 ? 1 : c >= 0 && std::isprint(c) ? 1 : 0;
    int expected_graph = c > 127 ? 1 : c >= 0 && std::isgraph(c) ? 1 : 0;
    EXPECT_EQ(vek::vyn_iswprint(c), expected_print) << c;
    EXPECT_EQ(vek::vyn_iswgraph(c), expected_graph) << c;
  }
}

// ---------------------------------------------------------------------------------------
// EUC, JIS and Shift_JIS helpers

TEST_F(WideTest, EucBytesAndPackedCodes) {
  struct Case {
    std::string bytes;
    int n;
    int used;
    VynWchar code;
    bool whole;  // a complete character, which euc_wc2mb gives back
  };
  const Case cases[] = {
      {"\xA4\xA2", 2, 2, 0xA4A2, true},
      {"\xA4\xA2", 1, 0, 0, false},
      {"\x8E\xB1", 2, 2, 0xB1, true},
      {"\x8F\xB0\xA1", 3, 3, 0xB021, true},
      {"\x8F\xB0\xA1", 2, 0, 0, false},
      {"A", 1, 1, u'A', true},
      // Cut short by the terminator: what is there, never a byte behind it.
      {"\xA4", 2, 1, 0xA4, false},
      {"\x8E", 2, 1, 0x8E, false},
      {"\x8F\xB0", 3, 2, 0xB0, false},
      {"\x8F", 3, 1, 0x8F, false},
  };
  for (const Case& c : cases) {
    VynWchar code = 0;
    EXPECT_EQ(vek::euc_mb2wc(&code, c.bytes.c_str(), c.n), c.used) << c.bytes;
    EXPECT_EQ(code, c.code) << c.bytes;
    if (c.whole) {
      char mb[4];
      ASSERT_EQ(vek::euc_wc2mb(mb, code), c.used);
      EXPECT_EQ(std::string(mb, static_cast<std::size_t>(c.used)), c.bytes);
    }
  }
  EXPECT_EQ(vek::wc_jis2euc(0x2422), 0xA4A2);
  EXPECT_EQ(vek::wc_jis2euc(0x41), 0x41);
  EXPECT_EQ(vek::wc_jis2euc__codeset3(0x3021), 0xB021);
  EXPECT_EQ(vek::wc_euc2jis(0xA4A2), 0x2422);
  EXPECT_EQ(vek::wc_euc2jis(0xB1), 0xB1);
}

TEST_F(WideTest, SjisToEucConvertsWithinItsCapacity) {
  struct Case {
    std::string sjis;
    int capacity;
    int result;
    std::string euc;
    int count;
  };
  const Case cases[] = {
      {"a\x82\xA0\xB1", 16, 0, "a\xA4\xA2\x8E\xB1", 3},
      {"\x82", 16, 0, "\x82", 1},          // lead byte before the terminator
      {"\x82\x20", 16, 0, "\x82\x20", 1},  // a byte that is no trail byte
      {"a\x82\xA0\xB1", 3, 1, "a", 1},     // the pair and terminator need 3
      {"a\x82\xA0\xB1", 5, 1, "a\xA4\xA2", 2},
      {"a\x82\xA0\xB1", 6, 0, "a\xA4\xA2\x8E\xB1", 3},
      {"\xFB\xFC", 16, 0, euc_of_jis(92 + 0x20, 66 + 0x20), 1},  // IBM code: its NEC-selected cell
      {"\xF0\x40x", 16, 0, "?x", 2},                             // user-defined row: no EUC form
      {"", 1, 0, "", 0},
  };
  for (const Case& c : cases) {
    std::vector<char> dst(static_cast<std::size_t>(c.capacity) + 1, kCanary);
    int count = -1;
    EXPECT_EQ(vek::sjis_to_euc(c.sjis.c_str(), c.capacity, dst.data(), &count), c.result) << c.sjis;
    EXPECT_EQ(std::string(dst.data()), c.euc) << c.sjis;
    EXPECT_EQ(count, c.count) << c.sjis;
    EXPECT_EQ(dst.back(), kCanary) << c.sjis;
  }
  vek::set_language(vek::LANG_JAPANESE);
  char euc[8];
  int count = 0;
  vek::sjis_to_euc("\xFB\xFC", sizeof euc, euc, &count);
  EXPECT_EQ(wide(euc), u"\u9AD9");
}

TEST_F(WideTest, MakeSjistoeucReturnsABlockOfTheTextsLength) {
  EXPECT_EQ(vek::make_sjistoeuc(nullptr), nullptr);
  int before = yrltest::live_blocks();
  char* euc = vek::make_sjistoeuc("\x93\xFA\x96\x7B x\xB1");
  EXPECT_STREQ(euc, "\xC6\xFC\xCB\xDC x\x8E\xB1");
  EXPECT_EQ(yrltest::live_blocks(), before + 1);
  vek::rlsmem(euc);
  EXPECT_EQ(yrltest::live_blocks(), before);
}

TEST_F(WideTest, WholeStringHelpersKeepTheirRoom) {
  std::vector<char> euc(4 * 2 + 2, kCanary);
  EXPECT_STREQ(vek::unicode_str_to_euc_str(euc.data(), u"\u3042\uFF71"), "\xA4\xA2\x8E\xB1");
  EXPECT_EQ(euc.back(), kCanary);
  std::vector<char16_t> units(6, kWideCanary);
  vek::euc_str_to_unicode_str(units.data(), "\xA4\xA2\x8E\xB1");
  EXPECT_EQ(std::u16string(units.data()), u"\u3042\uFF71");
  EXPECT_EQ(units[5], kWideCanary);
  vek::set_language(vek::LANG_ITALIAN);
  std::vector<char> sbcs(4 * 3 + 2, kCanary);
  EXPECT_STREQ(vek::unicode_str_to_multibyte_str(sbcs.data(), u"\u00E8\u20AC\u4E00"), "\xE8\x80?");
  EXPECT_EQ(sbcs.back(), kCanary);
}

// ---------------------------------------------------------------------------------------
// Small helpers

TEST_F(WideTest, ItowstrWritesDecimalIntoOneStaticBuffer) {
  for (int n : {0, 7, -42, INT_MAX, INT_MIN}) {
    std::string expected = std::to_string(n);
    EXPECT_EQ(std::u16string(vek::itowstr(n)), std::u16string(expected.begin(), expected.end()));
  }
  VynWchar* first = vek::itowstr(1);
  EXPECT_EQ(vek::itowstr(2), first);
  EXPECT_EQ(std::u16string(first), u"2");
}

TEST_F(WideTest, WsSubWcReplacesEveryOccurrence) {
  VynWchar dst[16];
  EXPECT_EQ(vek::ws_sub_wc(u"a/b/c", dst, u'/', u'\\'), dst);
  EXPECT_EQ(std::u16string(dst), u"a\\b\\c");
  EXPECT_EQ(vek::ws_sub_wc(u"", dst, u'a', u'b'), dst);
  EXPECT_EQ(dst[0], 0);
  dst[0] = u'x';
  EXPECT_EQ(vek::ws_sub_wc(nullptr, dst, u'a', u'b'), nullptr);
  EXPECT_EQ(dst[0], 0);
  EXPECT_EQ(vek::ws_sub_wc(u"a", nullptr, u'a', u'b'), nullptr);
  VynWchar in_place[] = u"aXa";
  vek::ws_sub_wc(in_place, in_place, u'a', u'b');
  EXPECT_EQ(std::u16string(in_place), u"bXb");
}

TEST_F(WideTest, SearchwstrFindsTheFirstOccurrenceAsFindDoes) {
  const std::u16string texts[] = {u"", u"a", u"abcabc", u"aaab", u"\u3042\u3044\u3042"};
  const std::u16string subs[] = {u"", u"a", u"bc", u"c", u"aab", u"abcabcx", u"\u3044\u3042", u"z"};
  for (const std::u16string& s : texts) {
    for (const std::u16string& sub : subs) {
      std::size_t at = s.find(sub);
      int expected = s.empty() || at == std::u16string::npos ? -1 : static_cast<int>(at);
      EXPECT_EQ(vek::searchwstr(s.c_str(), sub.c_str()), expected);
    }
  }
  EXPECT_EQ(vek::searchwstr(nullptr, u"a"), -1);
  EXPECT_EQ(vek::searchwstr(u"a", nullptr), -1);
}

}  // namespace
