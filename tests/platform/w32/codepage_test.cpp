#include "platform/w32/codepage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/w32/codepage_testing.h"
#include "platform/w32/error.h"
#include "platform/w32/error_testing.h"
#include "tests/platform/iconv_reference.h"

namespace {

using namespace w32;

class CodePageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    codepage_testing_reset();
    error_testing_reset();
  }
  void TearDown() override { codepage_testing_reset(); }
};

struct Page {
  UINT id;
  const char* iconv_name;
};

const Page kSingleBytePages[] = {{1251, "CP1251"}, {1252, "CP1252"}, {28598, "ISO-8859-8"}};
const Page kDoubleBytePages[] = {{932, "CP932"}, {936, "CP936"}, {949, "CP949"}, {950, "CP950"}};

using yrltest::iconv_decode;
using yrltest::iconv_encode;

// ---- The stand-in, with explicit lengths (no terminator).

std::optional<std::u16string> decode(UINT page, const std::string& bytes, DWORD flags = 0) {
  int n =
      MultiByteToWideChar(page, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (n == 0) return std::nullopt;
  std::u16string out(static_cast<std::size_t>(n), u'\0');
  EXPECT_EQ(
      MultiByteToWideChar(page, flags, bytes.data(), static_cast<int>(bytes.size()), out.data(), n),
      n);
  return out;
}

std::string encode(UINT page, const std::u16string& text, BOOL* used_default = nullptr,
                   const char* default_char = nullptr) {
  int n = WideCharToMultiByte(page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              default_char, used_default);
  EXPECT_GT(n, 0);
  std::string out(static_cast<std::size_t>(n), '\0');
  EXPECT_EQ(WideCharToMultiByte(page, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                                default_char, used_default),
            n);
  return out;
}

std::string byte(int b) { return std::string(1, static_cast<char>(b)); }
std::string pair(int lead, int trail) { return byte(lead) + byte(trail); }

// ---------------------------------------------------------------------------------------
// Agreement with iconv

TEST_F(CodePageTest, SingleBytePagesAgreeWithIconvOnEveryByte) {
  for (const Page& page : kSingleBytePages) {
    for (int b = 1; b < 256; ++b) {
      SCOPED_TRACE(std::string(page.iconv_name) + " byte " + std::to_string(b));
      std::optional<std::u16string> expected = iconv_decode(page.iconv_name, byte(b));
      std::optional<std::u16string> strict = decode(page.id, byte(b), MB_ERR_INVALID_CHARS);
      if (expected) {
        ASSERT_EQ(strict, expected);
        BOOL used = TRUE;
        EXPECT_EQ(encode(page.id, *expected, &used), byte(b));
        EXPECT_FALSE(used);
        continue;
      }
      // The holes of 1251 and 1252 hold the C1 control of the same value both ways;
      // any other hole is an invalid byte.
      bool c1_hole = (page.id == 1252 &&
                      std::string("\x81\x8D\x8F\x90\x9D").find(byte(b)) != std::string::npos) ||
                     (page.id == 1251 && b == 0x98);
      if (c1_hole) {
        EXPECT_EQ(strict, std::u16string(1, static_cast<char16_t>(b)));
        EXPECT_EQ(encode(page.id, std::u16string(1, static_cast<char16_t>(b))), byte(b));
      } else {
        EXPECT_EQ(strict, std::nullopt);
        EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
        EXPECT_EQ(decode(page.id, byte(b)), u"\uFFFD");
      }
    }
  }
}

TEST_F(CodePageTest, DoubleBytePagesAgreeWithIconvOnEveryPair) {
  for (const Page& page : kDoubleBytePages) {
    SCOPED_TRACE(page.iconv_name);
    int checked = 0;
    for (int lead = 0x81; lead < 0x100; ++lead) {
      for (int trail = 0x40; trail < 0x100; ++trail) {
        std::string bytes = pair(lead, trail);
        std::optional<std::u16string> expected = iconv_decode(page.iconv_name, bytes);
        if (!expected || expected->size() != 1 || !IsDBCSLeadByteEx(page.id, lead)) continue;
        ++checked;
        ASSERT_EQ(decode(page.id, bytes, MB_ERR_INVALID_CHARS), expected)
            << std::hex << lead << " " << trail;
        // Each character comes back as the code iconv chooses for it (a character with
        // two codes comes back as the same one).
        EXPECT_EQ(encode(page.id, *expected), iconv_encode(page.iconv_name, *expected))
            << std::hex << lead << " " << trail;
      }
    }
    EXPECT_GT(checked, 7000);
  }
}

TEST_F(CodePageTest, LongTextsAgreeWithIconvWhereverTheirCharactersFall) {
  // Two-byte characters and surrogate pairs at every offset of a long text.
  std::string sjis;
  std::u16string wide;
  for (int i = 0; i < 700; ++i) {
    sjis += i % 3 == 0 ? std::string("x") : i % 3 == 1 ? std::string("\x93\xfa") : "\xb1";
    wide += i % 5 == 0 ? u"\U0001F600" : i % 5 == 1 ? u"\u65E5" : u"y";
  }
  EXPECT_EQ(decode(932, sjis), iconv_decode("CP932", sjis));
  EXPECT_EQ(encode(932, *iconv_decode("CP932", sjis)), sjis);
  std::string expected;
  for (int i = 0; i < 700; ++i) expected += i % 5 == 0 ? "?" : i % 5 == 1 ? "\x93\xfa" : "y";
  EXPECT_EQ(encode(932, wide), expected);
}

TEST_F(CodePageTest, EveryBmpCharacterEncodesAsIconvOrAsTheDefault) {
  std::u16string all;
  for (int c = 1; c < 0x10000; ++c)
    if (c < 0xD800 || c > 0xDFFF) all.push_back(static_cast<char16_t>(c));
  for (const Page* page :
       {&kSingleBytePages[0], &kSingleBytePages[1], &kSingleBytePages[2], &kDoubleBytePages[0],
        &kDoubleBytePages[1], &kDoubleBytePages[2], &kDoubleBytePages[3]}) {
    SCOPED_TRACE(page->iconv_name);
    std::string expected;
    for (char16_t c : all) {
      std::optional<std::string> one = iconv_encode(page->iconv_name, std::u16string(1, c));
      bool c1_hole =
          (page->id == 1252 && (c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D)) ||
          (page->id == 1251 && c == 0x98);
      expected += one ? *one : c1_hole ? byte(c) : "?";
    }
    BOOL used = FALSE;
    EXPECT_EQ(encode(page->id, all, &used), expected);
    EXPECT_TRUE(used);
  }
}

TEST_F(CodePageTest, LeadBytesAreThoseThatOpenIconvsTwoByteCharacters) {
  for (const Page& page : kDoubleBytePages) {
    for (int b = 0x80; b < 0x100; ++b) {
      if (iconv_decode(page.iconv_name, byte(b))) {
        EXPECT_FALSE(IsDBCSLeadByteEx(page.id, b)) << page.iconv_name << " " << b;
      }
      for (int trail = 0x40; trail < 0x100; ++trail) {
        std::optional<std::u16string> one = iconv_decode(page.iconv_name, pair(b, trail));
        if (one && one->size() == 1 && !iconv_decode(page.iconv_name, byte(b))) {
          EXPECT_TRUE(IsDBCSLeadByteEx(page.id, b)) << page.iconv_name << " " << b;
          break;
        }
      }
    }
  }
  for (const Page& page : kSingleBytePages)
    for (int b = 0; b < 0x100; ++b) EXPECT_FALSE(IsDBCSLeadByteEx(page.id, b));
  // Win32's lead ranges, which include rows iconv leaves empty.
  EXPECT_TRUE(IsDBCSLeadByteEx(932, 0xFC));
  EXPECT_FALSE(IsDBCSLeadByteEx(932, 0xFD));
  EXPECT_FALSE(IsDBCSLeadByteEx(932, 0xA0));
  EXPECT_TRUE(IsDBCSLeadByteEx(950, 0x81));
  EXPECT_TRUE(IsDBCSLeadByteEx(949, 0xFE));
  EXPECT_FALSE(IsDBCSLeadByteEx(936, 0xFF));
}

// ---------------------------------------------------------------------------------------
// Code page 932: the vendor rows

TEST_F(CodePageTest, Cp932VendorRowsDecodeAndEncodeAsWindowsDoes) {
  struct Cell {
    int code;
    char16_t unit;
    int encoded;  // the code Windows gives back for the character
  };
  const Cell cells[] = {
      {0x8740, u'\u2460', 0x8740},  // NEC row 13: circled digit one
      {0x8754, u'\u2160', 0x8754},  // NEC row 13: Roman numeral one
      {0x8782, u'\u2116', 0x8782},  // NEC row 13: numero sign
      {0x8790, u'\u2252', 0x81E0},  // NEC row 13 duplicate of JIS row 2
      {0x879A, u'\u2235', 0x81E6},  // because: JIS row 2 wins
      {0xED40, u'\u7E8A', 0xFA5C},  // NEC-selected IBM extension: the IBM code wins
      {0xEEF9, u'\uFFE2', 0x81CA},  // not sign: JIS row 2 wins
      {0xFA40, u'\u2170', 0xFA40},  // IBM extension: small Roman numeral one
      {0xFA4A, u'\u2160', 0x8754},  // IBM duplicate of NEC row 13
      {0xFA5C, u'\u7E8A', 0xFA5C},  // IBM extension kanji
      {0xFBFC, u'\u9AD9', 0xFBFC},  // IBM extension kanji
      {0xF040, u'\uE000', 0xF040},  // user-defined rows: private use
      {0xF9FC, u'\uE757', 0xF9FC},
  };
  for (const Cell& cell : cells) {
    std::string bytes = pair(cell.code >> 8, cell.code & 0xFF);
    EXPECT_EQ(decode(932, bytes), std::u16string(1, cell.unit)) << std::hex << cell.code;
    EXPECT_EQ(iconv_decode("CP932", bytes), std::u16string(1, cell.unit)) << std::hex << cell.code;
    EXPECT_EQ(encode(932, std::u16string(1, cell.unit)),
              pair(cell.encoded >> 8, cell.encoded & 0xFF))
        << std::hex << cell.code;
  }
}

// ---------------------------------------------------------------------------------------
// Invalid sequences

TEST_F(CodePageTest, InvalidSequencesGiveReplacementsOrFailWhenAsked) {
  struct Case {
    UINT page;
    std::string bytes;
    std::u16string replaced;
  };
  const Case cases[] = {
      {932,
       "\x81"
       "1",
       u"\uFFFD"
       "1"},                       // lead byte, then a byte that is no trail
      {932, "a\x81", u"a\uFFFD"},  // lead byte at the end
      {932,
       "\xEB\x40"
       "b",
       u"\uFFFD"
       "b"},  // an empty cell is one character
      {932, "\x80\xA0\xFD", u"\uFFFD\uFFFD\uFFFD"},
      {949, "\xC9\x41", u"\uFFFD"},
      {950,
       "\x81\x40"
       "c",
       u"\uFFFD"
       "c"},
      {28598, "\xFB", u"\uFFFD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(decode(c.page, c.bytes), c.replaced);
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(c.page, MB_ERR_INVALID_CHARS, c.bytes.data(),
                                  static_cast<int>(c.bytes.size()), nullptr, 0),
              0);
    EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
  }
}

TEST_F(CodePageTest, CharactersOutsideThePageBecomeTheDefaultCharacter) {
  BOOL used = FALSE;
  EXPECT_EQ(encode(1252, u"a\u4E00b", &used), "a?b");
  EXPECT_TRUE(used);
  EXPECT_EQ(encode(1252, u"ab", &used), "ab");
  EXPECT_FALSE(used);
  // A lone surrogate is one unknown character; a valid pair is one too.
  EXPECT_EQ(encode(932, u"\xD800x\xDC00", &used), "?x?");
  EXPECT_EQ(encode(932, u"\U0001F600", &used), "?");
  // The caller's default, single- or double-byte.
  EXPECT_EQ(encode(1252, u"\u4E00", &used, "*"), "*");
  EXPECT_EQ(encode(932, u"\u20AC", &used, "\x81\x48"), "\x81\x48");
}

// ---------------------------------------------------------------------------------------
// UTF-8

TEST_F(CodePageTest, Utf8AgreesWithIconvOnEveryCharacter) {
  std::u16string all;
  for (char32_t c = 1; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    if (c < 0x10000) {
      all.push_back(static_cast<char16_t>(c));
    } else {
      all.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      all.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    }
  }
  std::optional<std::string> expected = iconv_encode("UTF-8", all);
  ASSERT_TRUE(expected);
  EXPECT_EQ(encode(CP_UTF8, all), *expected);
  EXPECT_EQ(decode(CP_UTF8, *expected, MB_ERR_INVALID_CHARS), all);

  // Three- and four-byte characters cut at every offset of the converter's slices.
  std::u16string mixed;
  for (int i = 0; i < 700; ++i) mixed += i % 4 == 0 ? u"😀" : i % 4 == 1 ? u"日" : u"y";
  expected = iconv_encode("UTF-8", mixed);
  ASSERT_TRUE(expected);
  EXPECT_EQ(encode(CP_UTF8, mixed), *expected);
  EXPECT_EQ(decode(CP_UTF8, *expected), mixed);
  EXPECT_FALSE(IsDBCSLeadByteEx(CP_UTF8, 0xE6));
}

TEST_F(CodePageTest, IllFormedUtf8GivesOneReplacementForEachMaximalSubpart) {
  struct Case {
    std::string bytes;
    std::u16string replaced;
  };
  const Case cases[] = {
      // The example of the Unicode Standard's chapter on conversion (U+FFFD substitution
      // of maximal subparts).
      {"\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64",
       u"a\uFFFD\uFFFD\uFFFDb\uFFFDc\uFFFD\uFFFDd"},
      {"\xC0\x80", u"\uFFFD\uFFFD"},                  // overlong, no lead byte at all
      {"\xE0\x80\x80", u"\uFFFD\uFFFD\uFFFD"},          // overlong three-byte form
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},          // a surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
      {"\xF5\xFF\xFE", u"\uFFFD\uFFFD\uFFFD"},
      {"\xF0\x9F\x98x", u"\uFFFDx"},                  // cut short, then a character
      {"x\xE2\x82", u"x\uFFFD"},                      // cut by the end of the text
      {"\xE2\x82\xE2\x82\xAC", u"\uFFFD\u20AC"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(decode(CP_UTF8, c.bytes), c.replaced);
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, c.bytes.data(),
                                  static_cast<int>(c.bytes.size()), nullptr, 0),
              0);
    EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
  }

  // Bad sequences wherever the converter's slices fall.
  std::string bytes;
  std::u16string replaced;
  for (int i = 0; i < 300; ++i) {
    bytes += i % 2 ? "ab\xE2\x82" : "\xF0\x9F\x98\x80\x80";
    replaced += i % 2 ? u"ab\uFFFD" : u"\U0001F600\uFFFD";
  }
  EXPECT_EQ(decode(CP_UTF8, bytes), replaced);
}

TEST_F(CodePageTest, UnpairedSurrogatesBecomeTheReplacementInUtf8OrFailWhenAsked) {
  struct Case {
    std::u16string text;
    std::string bytes;
  };
  const Case cases[] = {
      {u"a\xD800" u"b", "a\xEF\xBF\xBD" "b"},
      {u"\xDC00", "\xEF\xBF\xBD"},
      {u"z\xDBFF", "z\xEF\xBF\xBD"},  // a high surrogate that ends the text
      {u"\xDC00\xD800", "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(encode(CP_UTF8, c.text), c.bytes);
    bool paired = c.text == u"\U0010FFFF";
    SetLastError(0);
    int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, c.text.data(),
                                static_cast<int>(c.text.size()), nullptr, 0, nullptr, nullptr);
    EXPECT_EQ(n, paired ? 4 : 0);
    EXPECT_EQ(GetLastError(), paired ? ERROR_SUCCESS : ERROR_NO_UNICODE_TRANSLATION);
  }
  // Terminated text with a buffer that is too short: what fits, and no byte past it.
  char bytes[6];
  std::memset(bytes, '#', sizeof bytes);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u00E9\u20AC", -1, bytes, 4, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(bytes[4], '#');
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u00E9\u20AC", -1, bytes, 6, nullptr, nullptr), 6);
  EXPECT_STREQ(bytes, "\xC3\xA9\xE2\x82\xAC");
}

// ---------------------------------------------------------------------------------------
// Sizes, buffers and parameters

TEST_F(CodePageTest, ZeroCapacityAsksForTheSizeWithTheTerminatorWhenCountedToIt) {
  const char* narrow = "\x82\xA0\x82\xA2x";  // two kanas and x in code page 932
  EXPECT_EQ(MultiByteToWideChar(932, 0, narrow, -1, nullptr, 0), 4);
  EXPECT_EQ(MultiByteToWideChar(932, 0, narrow, 5, nullptr, 0), 3);
  const char16_t* wide = u"\u3042\u3044x";
  EXPECT_EQ(WideCharToMultiByte(932, 0, wide, -1, nullptr, 0, nullptr, nullptr), 6);
  EXPECT_EQ(WideCharToMultiByte(932, 0, wide, 3, nullptr, 0, nullptr, nullptr), 5);

  char16_t units[4];
  ASSERT_EQ(MultiByteToWideChar(932, MB_PRECOMPOSED, narrow, -1, units, 4), 4);
  EXPECT_EQ(std::u16string(units), u"\u3042\u3044x");
  char bytes[6];
  ASSERT_EQ(WideCharToMultiByte(932, WC_COMPOSITECHECK | WC_DEFAULTCHAR, wide, -1, bytes, 6,
                                nullptr, nullptr),
            6);
  EXPECT_STREQ(bytes, narrow);
}

TEST_F(CodePageTest, ShortBuffersFailWithoutWritingPastThem) {
  const char* narrow = "\x82\xA0\x82\xA2x";
  char16_t units[5] = {u'#', u'#', u'#', u'#', u'#'};
  EXPECT_EQ(MultiByteToWideChar(932, 0, narrow, -1, units, 3), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(units[3], u'#');

  char bytes[8];
  std::memset(bytes, '#', sizeof bytes);
  EXPECT_EQ(WideCharToMultiByte(932, 0, u"\u3042\u3044x", -1, bytes, 5, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(bytes[5], '#');
}

TEST_F(CodePageTest, BadParametersAndFlagsAreRefused) {
  char16_t units[8];
  char bytes[8];
  struct Case {
    const char* what;
    std::function<int()> call;
    DWORD error;
  };
  auto mb = [](UINT page, DWORD flags, const char* src, int count, char16_t* dst, int capacity) {
    return MultiByteToWideChar(page, flags, src, count, dst, capacity);
  };
  auto wc = [](UINT page, DWORD flags, const char16_t* src, int count, char* dst, int capacity) {
    return WideCharToMultiByte(page, flags, src, count, dst, capacity, nullptr, nullptr);
  };
  const Case cases[] = {
      {"mb null source", [&] { return mb(1252, 0, nullptr, 3, units, 8); },
       ERROR_INVALID_PARAMETER},
      {"mb zero count", [&] { return mb(1252, 0, "abc", 0, units, 8); }, ERROR_INVALID_PARAMETER},
      {"mb count -2", [&] { return mb(1252, 0, "abc", -2, units, 8); }, ERROR_INVALID_PARAMETER},
      {"mb capacity, no dst", [&] { return mb(1252, 0, "abc", 3, nullptr, 8); },
       ERROR_INVALID_PARAMETER},
      {"mb negative capacity", [&] { return mb(1252, 0, "abc", 3, units, -1); },
       ERROR_INVALID_PARAMETER},
      {"mb in place", [&] { return mb(1252, 0, reinterpret_cast<char*>(units), 2, units, 8); },
       ERROR_INVALID_PARAMETER},
      {"mb page 65000", [&] { return mb(65000, 0, "abc", 3, units, 8); }, ERROR_INVALID_PARAMETER},
      {"mb UTF-8 precomposed", [&] { return mb(CP_UTF8, MB_PRECOMPOSED, "abc", 3, units, 8); },
       ERROR_INVALID_FLAGS},
      {"mb page 437", [&] { return mb(437, 0, "abc", 3, units, 8); }, ERROR_INVALID_PARAMETER},
      {"mb composite", [&] { return mb(1252, MB_COMPOSITE, "abc", 3, units, 8); },
       ERROR_INVALID_FLAGS},
      {"mb both forms", [&] { return mb(1252, MB_COMPOSITE | MB_PRECOMPOSED, "abc", 3, units, 8); },
       ERROR_INVALID_FLAGS},
      {"mb unknown flag", [&] { return mb(1252, 0x100, "abc", 3, units, 8); }, ERROR_INVALID_FLAGS},
      {"wc null source", [&] { return wc(1252, 0, nullptr, 3, bytes, 8); },
       ERROR_INVALID_PARAMETER},
      {"wc zero count", [&] { return wc(1252, 0, u"abc", 0, bytes, 8); }, ERROR_INVALID_PARAMETER},
      {"wc capacity, no dst", [&] { return wc(1252, 0, u"abc", 3, nullptr, 8); },
       ERROR_INVALID_PARAMETER},
      {"wc negative capacity", [&] { return wc(1252, 0, u"abc", 3, bytes, -5); },
       ERROR_INVALID_PARAMETER},
      {"wc page 12", [&] { return wc(12, 0, u"abc", 3, bytes, 8); }, ERROR_INVALID_PARAMETER},
      {"wc invalid-chars flag", [&] { return wc(1252, WC_ERR_INVALID_CHARS, u"abc", 3, bytes, 8); },
       ERROR_INVALID_FLAGS},
      {"wc unknown flag", [&] { return wc(1252, 0x1000, u"abc", 3, bytes, 8); },
       ERROR_INVALID_FLAGS},
      {"wc UTF-8 composite check", [&] { return wc(CP_UTF8, WC_COMPOSITECHECK, u"abc", 3, bytes, 8); },
       ERROR_INVALID_FLAGS},
      {"wc UTF-8 default character",
       [&] { return WideCharToMultiByte(CP_UTF8, 0, u"abc", 3, bytes, 8, "?", nullptr); },
       ERROR_INVALID_PARAMETER},
      {"wc UTF-8 used-default report",
       [&] {
         BOOL used = FALSE;
         return WideCharToMultiByte(CP_UTF8, 0, u"abc", 3, bytes, 8, nullptr, &used);
       },
       ERROR_INVALID_PARAMETER},
      {"lead byte of page 1", [] { return IsDBCSLeadByteEx(1, 0x81); }, ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(c.call(), 0) << c.what;
    EXPECT_EQ(GetLastError(), c.error) << c.what;
  }
}

// ---------------------------------------------------------------------------------------
// System code page and last error

TEST_F(CodePageTest, TheSystemCodePageIs1252UntilSetToAServedPage) {
  EXPECT_EQ(GetACP(), 1252u);
  EXPECT_EQ(decode(CP_ACP, "\x80\xE9"), u"\u20AC\u00E9");
  EXPECT_TRUE(set_system_code_page(1251));
  EXPECT_EQ(GetACP(), 1251u);
  EXPECT_EQ(decode(CP_ACP, "\xC0"), u"\u0410");
  EXPECT_FALSE(IsDBCSLeadByteEx(CP_ACP, 0x81));
  EXPECT_TRUE(set_system_code_page(932));
  EXPECT_TRUE(IsDBCSLeadByteEx(CP_ACP, 0x81));
  EXPECT_FALSE(set_system_code_page(65001));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(set_system_code_page(CP_ACP));
  EXPECT_EQ(GetACP(), 932u);
  codepage_testing_reset();
  EXPECT_EQ(GetACP(), 1252u);
}

TEST_F(CodePageTest, EachThreadHasItsOwnLastErrorAndConversionsRunSideBySide) {
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  DWORD seen_by_worker = 1;
  std::thread([&seen_by_worker] {
    seen_by_worker = GetLastError();
    SetLastError(ERROR_INVALID_FLAGS);
  }).join();
  EXPECT_EQ(seen_by_worker, ERROR_SUCCESS);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

  // The cached converters are shared: four threads converting at once all get the
  // right text.
  const std::string sjis = "\x93\xfa\x96\x7b\x8c\xea abc \x82\xa0";
  const std::u16string expected = *iconv_decode("CP932", sjis);
  std::vector<std::thread> threads;
  std::vector<int> wrong(4, 0);
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 2000; ++i) {
        char16_t out[32];
        int n = MultiByteToWideChar(932, 0, sjis.data(), static_cast<int>(sjis.size()), out, 32);
        if (std::u16string(out, static_cast<std::size_t>(n > 0 ? n : 0)) != expected) ++wrong[t];
        char back[32];
        int m = WideCharToMultiByte(932, 0, expected.data(), static_cast<int>(expected.size()),
                                    back, 32, nullptr, nullptr);
        if (std::string(back, static_cast<std::size_t>(m > 0 ? m : 0)) != sjis) ++wrong[t];
      }
    });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

}  // namespace
