// Strings in new blocks, limited copies, the two star matchers and trimming.
#include "runtime/text/strmake.h"

#include <fnmatch.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "runtime/memory/zone.h"
#include "runtime/text/lang.h"
#include "runtime/text/wstring.h"
#include "tests/support/runtime_test.h"

namespace {

using yrltest::live_blocks;

class StrmakeTest : public yrltest::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    vek::set_language(vek::LANG_ENGLISH);
  }
};

std::u16string wide(const VynWchar* w) { return w ? std::u16string(w) : std::u16string(); }

// A block that holds exactly the text and its terminator, so that a read past the
// terminator is a read past the block.
template <typename Char>
Char* exact_block(const std::basic_string<Char>& text) {
  auto* block = static_cast<Char*>(vek::getmem((text.size() + 1) * sizeof(Char)));
  std::memcpy(block, text.c_str(), (text.size() + 1) * sizeof(Char));
  return block;
}

// ---------------------------------------------------------------------------------------
// New blocks from strings

TEST_F(StrmakeTest, EveryMakeFunctionGivesNullForNullAndAllocatesNothing) {
  int zone = vek::alloc_zone(0);
  int before = live_blocks();
  std::vector<std::function<const void*()>> calls = {
      [] { return vek::make_scopy(nullptr); },
      [] { return vek::make_wscopy(nullptr); },
      [] { return vek::make_uscopy(nullptr); },
      [] { return vek::make_uwscopy(nullptr); },
      [] { return vek::make_strtows(nullptr); },
      [&] { return vek::make_strtows_zone(zone, nullptr); },
      [] { return vek::make_wstostr(nullptr); },
      [] { return vek::make_sncopy(nullptr, 5); },
      [] { return vek::make_wsncopy(nullptr, 5); },
      [] { return vek::mknewstr(nullptr); },
      [] { return vek::mknewwstr(nullptr); },
      [] { return vek::mknewstr_from_wstr(nullptr); },
  };
  for (std::size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(calls[i](), nullptr) << "call " << i;
  EXPECT_EQ(live_blocks(), before);
}

TEST_F(StrmakeTest, CopiesAreExactBlocksOfTheirOwn) {
  const char* s = "name.prt";
  char* copy = vek::make_scopy(s);
  EXPECT_STREQ(copy, s);
  EXPECT_NE(copy, s);
  EXPECT_EQ(vek::getmem_area_size(copy), 9);
  VynWchar* w = vek::make_wscopy(u"abc");
  EXPECT_EQ(wide(w), u"abc");
  EXPECT_EQ(vek::getmem_area_size(w), 8);
  char* empty = vek::make_scopy("");
  EXPECT_STREQ(empty, "");
  vek::rlsmem(copy);
  vek::rlsmem(w);
  vek::rlsmem(empty);
}

TEST_F(StrmakeTest, LimitedCopiesMatchTheFirstNMinusOneCharacters) {
  // Reference: n < 1 gives null; otherwise the text cut to n - 1 characters.
  const std::string text = "abcdef";
  for (int n : {-1, 0, 1, 2, 4, 6, 7, 10}) {
    char* narrow = vek::make_sncopy(text.c_str(), n);
    VynWchar* w = vek::make_wsncopy(u"abcdef", n);
    if (n < 1) {
      EXPECT_EQ(narrow, nullptr);
      EXPECT_EQ(w, nullptr);
      continue;
    }
    std::string expected = text.substr(0, static_cast<std::size_t>(n - 1));
    ASSERT_NE(narrow, nullptr);
    EXPECT_EQ(std::string(narrow), expected) << "n = " << n;
    EXPECT_EQ(wide(w), std::u16string(expected.begin(), expected.end())) << "n = " << n;
    // A cut copy takes n units; a whole one its own length and terminator.
    long units = n <= static_cast<int>(text.size()) ? n : static_cast<long>(text.size()) + 1;
    EXPECT_EQ(vek::getmem_area_size(narrow), units);
    EXPECT_EQ(vek::getmem_area_size(w), 2 * units);
    vek::rlsmem(narrow);
    vek::rlsmem(w);
  }
}

TEST_F(StrmakeTest, UpperCaseCopies) {
  char* narrow = vek::make_uscopy("abc-Xyz_1\xe9");
  EXPECT_STREQ(narrow, "ABC-XYZ_1\xe9");  // ASCII letters only
  vek::rlsmem(narrow);

  VynWchar* english = vek::make_uwscopy(u"ab\u00e9");
  EXPECT_EQ(wide(english), u"AB\u00e9");
  vek::set_language(vek::LANG_GERMAN);
  VynWchar* german = vek::make_uwscopy(u"ab\u00e9\u00f7");
  EXPECT_EQ(wide(german), u"AB\u00c9\u00f7");
  vek::rlsmem(english);
  vek::rlsmem(german);
}

TEST_F(StrmakeTest, ConvertedCopiesRoundTripInEnglish) {
  const char* narrow = "caf\xe9 \x80";
  VynWchar* w = vek::make_strtows(narrow);
  EXPECT_EQ(wide(w), u"caf\u00e9 \u20ac");
  EXPECT_EQ(vek::getmem_area_size(w), 2 * (static_cast<long>(std::strlen(narrow)) + 1));
  char* back = vek::make_wstostr(w);
  EXPECT_STREQ(back, narrow);
  char* other = vek::mknewstr_from_wstr(w);
  EXPECT_STREQ(other, narrow);
  EXPECT_EQ(vek::mknewstr_from_wstr(u""), nullptr);
  vek::rlsmem(w);
  vek::rlsmem(back);
  vek::rlsmem(other);
}

TEST_F(StrmakeTest, ZoneCopyComesFromTheZone) {
  int zone = vek::alloc_zone(0);
  int before = live_blocks();
  VynWchar* w = vek::make_strtows_zone(zone, "in zone");
  EXPECT_EQ(wide(w), u"in zone");
  EXPECT_GE(vek::zone_holding(w, 16), 0);
  EXPECT_EQ(live_blocks(), before);
  // A zone that does not exist gives no string.
  EXPECT_EQ(vek::make_strtows_zone(zone + 7, "x"), nullptr);
  vek::free_zone(zone);
}

TEST_F(StrmakeTest, StrcatReleaseJoinsAndReleasesTheOldBlock) {
  char* p = nullptr;
  char* first = vek::make_strcat_rls(&p, "abc");
  EXPECT_EQ(first, p);
  EXPECT_STREQ(p, "abc");
  int blocks = live_blocks();
  char* second = vek::make_strcat_rls(&p, "de");
  EXPECT_EQ(second, p);
  EXPECT_STREQ(p, "abcde");
  EXPECT_EQ(live_blocks(), blocks);  // the old block went
  EXPECT_EQ(vek::make_strcat_rls(&p, nullptr), nullptr);
  EXPECT_STREQ(p, "abcde");
  EXPECT_EQ(vek::make_strcat_rls(nullptr, "x"), nullptr);
  vek::relmem(&p);

  VynWchar* w = nullptr;
  vek::make_wstrcat_rls(&w, u"ab");
  vek::make_wstrcat_rls(&w, u"");
  vek::make_wstrcat_rls(&w, u"c");
  EXPECT_EQ(wide(w), u"abc");
  vek::relmem(&w);
  EXPECT_EQ(live_blocks(), blocks - 1);
}

TEST_F(StrmakeTest, FormattedStringsHaveNoLengthLimit) {
  char* s = vek::mkstring("%d-%s", 12, "ab");
  EXPECT_STREQ(s, "12-ab");
  vek::rlsmem(s);

  // Longer than the buffers the formatted text once went through (10,000 bytes narrow,
  // 4,000 wide characters).
  std::string long_text(12000, 'x');
  long_text[11999] = 'z';
  char* whole = vek::mkstring("%s", long_text.c_str());
  EXPECT_EQ(std::string(whole), long_text);
  VynWchar* w = vek::mkwstring("<%s>", long_text.c_str());
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(wide(w), u"<" + std::u16string(long_text.begin(), long_text.end()) + u">");
  EXPECT_EQ(vek::getmem_area_size(w), 2 * (static_cast<long>(long_text.size()) + 3));
  vek::rlsmem(whole);
  vek::rlsmem(w);
}

TEST_F(StrmakeTest, StrcatvAppendsTheFormattedText) {
  char buffer[64] = "x=";
  EXPECT_EQ(vek::strcatv(buffer, "%d, %s", 7, "y"), buffer);
  EXPECT_STREQ(buffer, "x=7, y");
}

// ---------------------------------------------------------------------------------------
// Int lists as text

int* int_list(const std::vector<int>& values) {
  int* list = static_cast<int*>(vek::xar_alloc(0, sizeof(int), 4));
  for (int v : values) vek::xar_append(&list, 1, &v);
  return list;
}

TEST_F(StrmakeTest, IntListTextJoinsWithCommaAndBlank) {
  VynWchar out[179];
  int* ints = int_list({1, 2, 3});
  EXPECT_EQ(vek::build_wstr_list_from_ints(out, &ints), 1);
  EXPECT_EQ(wide(out), u"1, 2, 3");
  vek::xar_free(&ints);

  int* none = int_list({});
  out[0] = 'q';
  EXPECT_EQ(vek::build_wstr_list_from_ints(out, &none), 0);
  EXPECT_EQ(wide(out), u"");
  vek::xar_free(&none);
  int* null_list = nullptr;
  EXPECT_EQ(vek::build_wstr_list_from_ints(out, &null_list), 0);
}

TEST_F(StrmakeTest, IntListTextStopsBefore171CharactersWithEllipsis) {
  std::vector<int> values;
  for (int i = 0; i < 100; ++i) values.push_back(-1000000 - i);
  int* ints = int_list(values);
  VynWchar out[179];
  EXPECT_EQ(vek::build_wstr_list_from_ints(out, &ints), 1);
  // Reference: whole pieces while the text stays within 171 characters.
  std::string expected;
  for (std::size_t i = 0; i < values.size(); ++i) {
    std::string piece = (i ? ", " : "") + std::to_string(values[i]);
    if (expected.size() + piece.size() > 171) {
      expected += ", ...";
      break;
    }
    expected += piece;
  }
  EXPECT_EQ(wide(out), std::u16string(expected.begin(), expected.end()));
  EXPECT_LT(vek::wslen(out), 179);
  vek::xar_free(&ints);
}

// ---------------------------------------------------------------------------------------
// Limited copies

TEST_F(StrmakeTest, LimitedCopiesEmptyTheTargetWhenTheTextDoesNotFit) {
  struct Case {
    std::u16string text;
    int size;
    int cut;
  };
  for (const Case& c : {Case{u"abc", 4, 0}, Case{u"abc", 3, 1}, Case{u"", 1, 0},
                        Case{u"a", 1, 1}, Case{u"abc", 100, 0}}) {
    std::string narrow(c.text.begin(), c.text.end());
    VynWchar wdst[8] = {'z', 'z', 0};
    char dst[8] = "zz";
    EXPECT_EQ(vek::wstrcpy_limit(c.text.c_str(), c.size, wdst), c.cut);
    EXPECT_EQ(wide(wdst), c.cut ? u"" : c.text);
    wdst[0] = 'z';
    EXPECT_EQ(vek::strtows_limit(narrow.c_str(), c.size, wdst), c.cut);
    EXPECT_EQ(wide(wdst), c.cut ? u"" : c.text);
    EXPECT_EQ(vek::wstrtos_limit(c.text.c_str(), c.size, dst), c.cut);
    EXPECT_EQ(std::string(dst), c.cut ? "" : narrow);
  }
  // No room at all: nothing is written.
  VynWchar untouched[2] = {'u', 0};
  EXPECT_EQ(vek::wstrcpy_limit(u"a", 0, untouched), 1);
  EXPECT_EQ(untouched[0], 'u');
}

TEST_F(StrmakeTest, NarrowLimitCountsTheConvertedBytes) {
  // Longer than the 10,000-byte buffer the narrow form was once made in.
  std::u16string text(15000, u'w');
  std::vector<char> dst(15001, 'z');
  EXPECT_EQ(vek::wstrtos_limit(text.c_str(), 15001, dst.data()), 0);
  EXPECT_EQ(std::string(dst.data()), std::string(15000, 'w'));
  EXPECT_EQ(vek::wstrtos_limit(text.c_str(), 15000, dst.data()), 1);
  EXPECT_EQ(dst[0], '\0');
}

TEST_F(StrmakeTest, WstrcatLimitAppendsWhatFits) {
  struct Case {
    std::u16string start, add;
    int size;
    std::u16string expected;
    int cut;
  };
  for (const Case& c : {Case{u"ab", u"cd", 5, u"abcd", 0}, Case{u"ab", u"cd", 4, u"abc", 1},
                        Case{u"ab", u"cd", 3, u"ab", 1}, Case{u"abcd", u"e", 3, u"ab", 1},
                        Case{u"", u"", 1, u"", 0}}) {
    VynWchar dst[16];
    std::memcpy(dst, c.start.c_str(), (c.start.size() + 1) * sizeof(VynWchar));
    EXPECT_EQ(vek::wstrcat_limit(dst, c.add.c_str(), c.size), c.cut);
    EXPECT_EQ(wide(dst), c.expected);
  }
}

TEST_F(StrmakeTest, WstrncpySetNullAlwaysTerminatesLikeStrncpy) {
  for (int n : {1, 2, 3, 5, 8}) {
    VynWchar dst[8];
    char reference[8];
    std::fill(dst, dst + 8, 'z');
    std::fill(reference, reference + 8, 'z');
    EXPECT_EQ(vek::wstrncpy_set_null(dst, u"abcd", n), dst);
    std::strncpy(reference, "abcd", static_cast<std::size_t>(n));
    reference[n - 1] = '\0';
    for (int i = 0; i < 8; ++i) EXPECT_EQ(dst[i], static_cast<VynWchar>(reference[i])) << n;
  }
}

TEST_F(StrmakeTest, QuickStrcatAdvancesTheCursor) {
  char buffer[16] = {};
  char* cursor = buffer;
  EXPECT_EQ(vek::quick_strcat(&cursor, "ab"), buffer);
  EXPECT_EQ(vek::quick_strcat(&cursor, ""), buffer + 2);
  EXPECT_EQ(vek::quick_strcat(&cursor, "cde"), buffer + 2);
  EXPECT_EQ(cursor, buffer + 5);
  *cursor = '\0';
  EXPECT_STREQ(buffer, "abcde");

  VynWchar wbuffer[8];
  VynWchar* wcursor = wbuffer;
  vek::quick_wstrcat(&wcursor, u"x");
  vek::quick_wstrcat(&wcursor, u"yz");
  *wcursor = 0;
  EXPECT_EQ(wide(wbuffer), u"xyz");

  // Without a cursor or a text nothing is written and the cursor stays.
  EXPECT_EQ(vek::quick_strcat(&cursor, nullptr), nullptr);
  EXPECT_EQ(cursor, buffer + 5);
  EXPECT_EQ(vek::quick_strcat(nullptr, "a"), nullptr);
  char* no_cursor = nullptr;
  EXPECT_EQ(vek::quick_strcat(&no_cursor, "a"), nullptr);
  EXPECT_EQ(no_cursor, nullptr);
  EXPECT_STREQ(buffer, "abcde");
  EXPECT_EQ(vek::quick_wstrcat(&wcursor, nullptr), nullptr);
  EXPECT_EQ(wcursor, wbuffer + 3);
  EXPECT_EQ(vek::quick_wstrcat(nullptr, u"a"), nullptr);
  VynWchar* no_wcursor = nullptr;
  EXPECT_EQ(vek::quick_wstrcat(&no_wcursor, u"a"), nullptr);
}

// ---------------------------------------------------------------------------------------
// Matchers

TEST_F(StrmakeTest, StringMatchCases) {
  struct Case {
    const char* string;
    const char* pattern;
    int expected;
  };
  for (Case c : {Case{"ab", "ab*c", 0}, Case{"ab", "a*?", 1}, Case{"", "", 1},
                 Case{"", "*", 1}, Case{"", "?", 0}, Case{"a", "", 0}, Case{"abc", "a**c", 1},
                 Case{"abc", "*b", 0}, Case{"a.prt", "*.prt", 1}, Case{"ab", "ab**", 1}}) {
    // The string in a block of its own length: ASan sees any read past the terminator.
    char* s = exact_block<char>(c.string);
    EXPECT_EQ(vek::string_match(s, c.pattern), c.expected) << c.string << " / " << c.pattern;
    vek::rlsmem(s);
  }
}

// Every string over a small alphabet against every pattern drawn from another.
template <typename F>
void for_random_pairs(unsigned seed, const std::string& string_alphabet,
                      const std::string& pattern_alphabet, F check) {
  std::mt19937 random(seed);
  auto draw = [&](const std::string& alphabet, int max) {
    std::string text(random() % static_cast<unsigned>(max + 1), ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    return text;
  };
  for (int i = 0; i < 20000; ++i) check(draw(string_alphabet, 8), draw(pattern_alphabet, 6));
}

TEST_F(StrmakeTest, StringMatchAgreesWithFnmatch) {
  // With only '*' and '?' special and no escapes, fnmatch's glob is the same grammar.
  for_random_pairs(7, "ab./", "ab*?", [](const std::string& s, const std::string& p) {
    int expected = fnmatch(p.c_str(), s.c_str(), FNM_NOESCAPE) == 0 ? 1 : 0;
    ASSERT_EQ(vek::string_match(s.c_str(), p.c_str()), expected) << s << " / " << p;
  });
}

TEST_F(StrmakeTest, PatternMatchAgreesWithFnmatchWithLiteralQuestionMarks) {
  for (int flags : {0, 1}) {
    for_random_pairs(11 + flags, "abA?", "abAB?*", [&](const std::string& s, const std::string& p) {
      std::string escaped;
      for (char c : p) escaped += c == '?' ? std::string("\\?") : std::string(1, c);
      int expected = fnmatch(escaped.c_str(), s.c_str(), flags ? FNM_CASEFOLD : 0) == 0 ? 1 : 0;
      std::u16string ws(s.begin(), s.end());
      std::u16string wp(p.begin(), p.end());
      ASSERT_EQ(vek::pattern_match(wp.c_str(), ws.c_str(), flags), expected)
          << s << " / " << p << " flags " << flags;
    });
  }
}

TEST_F(StrmakeTest, PatternMatchFoldsCaseByLanguage) {
  EXPECT_EQ(vek::pattern_match(u"*\u00c9", u"caf\u00e9", 1), 0);
  vek::set_language(vek::LANG_FRENCH);
  EXPECT_EQ(vek::pattern_match(u"*\u00c9", u"caf\u00e9", 1), 1);
  EXPECT_EQ(vek::pattern_match(u"*\u00c9", u"caf\u00e9", 0), 0);
}

TEST_F(StrmakeTest, StringIsPattern) {
  EXPECT_EQ(vek::string_is_pattern("a*"), 1);
  EXPECT_EQ(vek::string_is_pattern("?"), 1);
  EXPECT_EQ(vek::string_is_pattern("a[b]"), 0);
  EXPECT_EQ(vek::string_is_pattern(nullptr), 0);
}

// ---------------------------------------------------------------------------------------
// Trimming and small wide helpers

TEST_F(StrmakeTest, StripFunctions) {
  struct Case {
    const char* in;
    const char* stripped;  // s_strip
    const char* cut;       // strip_cr
  };
  for (Case c : {Case{"  ab cd \t\n", "ab cd", "  ab cd \t"}, Case{"\n\n x\ny ", "x", ""},
                 Case{"", "", ""}, Case{" \t ", "", " \t "}, Case{"a\r\nb", "a", "a\r"}}) {
    std::string a = c.in;
    std::string b = c.in;
    EXPECT_STREQ(vek::s_strip(a.data()), c.stripped) << c.in;
    EXPECT_EQ(vek::strip_cr(b.data()), b.data());
    EXPECT_STREQ(b.c_str(), c.cut) << c.in;
  }
  EXPECT_EQ(vek::s_strip(nullptr), nullptr);
  EXPECT_EQ(vek::strip_cr(nullptr), nullptr);

  // The wide form cuts at the last line feed.
  std::u16string w = u"a\nb\nc";
  EXPECT_EQ(vek::wstrip_cr(w.data()), w.data());
  EXPECT_EQ(wide(w.c_str()), u"a\nb");
  EXPECT_EQ(vek::wstrip_cr(nullptr), nullptr);
}

TEST_F(StrmakeTest, WsIndexFindsTheSubOrItsBeginningAtTheEnd) {
  struct Case {
    const char16_t* w;
    const char16_t* sub;
    int expected;
  };
  for (Case c : {Case{u"abc", u"cde", 1}, Case{u"abc", u"xyz", 0}, Case{u"abc", u"b", 1},
                 Case{u"abc", u"", 1}, Case{u"", u"", 0}, Case{u"", u"a", 0},
                 Case{u"abc", u"abcd", 1}, Case{u"abc", u"bd", 0}}) {
    VynWchar* w = exact_block<char16_t>(c.w);
    EXPECT_EQ(vek::ws_index(w, c.sub), c.expected);
    vek::rlsmem(w);
  }
}

TEST_F(StrmakeTest, EllipsisAtTheEnd) {
  for (auto [in, out] : {std::pair<std::u16string, std::u16string>{u"abcdef", u"abc..."},
                         {u"ab", u".."}, {u"", u""}, {u"abc", u"..."}}) {
    EXPECT_EQ(wide(vek::change_end_to_ellipsis(in.data())), out);
  }
  EXPECT_EQ(vek::change_end_to_ellipsis(nullptr), nullptr);
}

TEST_F(StrmakeTest, LeftTruncateKeepsTheEnd) {
  const std::u16string text = u"abcdefghijklmnopqrst";  // 20 characters
  struct Case {
    int size;
    std::u16string expected;
  };
  for (const Case& c : {Case{10, u"...opqrst"}, Case{21, text}, Case{20, u"...efghijklmnopqrst"},
                        Case{4, u"..."}, Case{3, u".."}, Case{2, u"."}, Case{1, u""}}) {
    std::vector<VynWchar> dst(32, 'z');
    vek::left_truncate_string(text.c_str(), dst.data(), c.size);
    EXPECT_EQ(wide(dst.data()), c.expected) << c.size;
    EXPECT_EQ(dst[static_cast<std::size_t>(c.size)], 'z') << "wrote past size " << c.size;
  }
  VynWchar untouched[1] = {'u'};
  vek::left_truncate_string(text.c_str(), untouched, 0);
  EXPECT_EQ(untouched[0], 'u');
  // In place.
  std::u16string same = text;
  vek::left_truncate_string(same.data(), same.data(), 10);
  EXPECT_EQ(wide(same.c_str()), u"...opqrst");
}

}  // namespace
