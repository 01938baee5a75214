// Glob patterns and user filters against the C library's fnmatch, with the designed
// differences pinned as rows of their own.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "runtime/text/glob.h"
#include "tests/runtime/text/glob_reference.h"
#include "tests/support/runtime_test.h"

namespace {

using yrltest::fnmatch_reference;
using yrltest::widen;

int glob_narrow(const std::string& pattern, const std::string& string, bool leading_dot) {
  return vek::vyn_glob_match_ascii(pattern.c_str(), string.c_str(), leading_dot);
}

int glob_wide(const std::string& pattern, const std::string& string, bool leading_dot) {
  return vek::vyn_glob_match(widen(pattern).c_str(), widen(string).c_str(), leading_dot);
}

struct Case {
  const char* pattern;
  const char* string;
  bool leading_dot;
};

std::string describe(const Case& c) {
  return std::string("pattern '") + c.pattern + "' string '" + c.string + "'" +
         (c.leading_dot ? " leading_dot" : "");
}

class GlobTest : public yrltest::RuntimeTest {};

// Cases where both matchers must say what fnmatch says.
TEST_F(GlobTest, AgreesWithFnmatchOnTheCommonSubset) {
  const Case cases[] = {
      {"*.prt", "a.prt", false},   {"*.prt", ".prt", false},   {"*.prt", ".prt", true},
      {"*.prt", "a.asm", false},   {"?prt", ".prt", true},     {"*?", ".a", true},
      {"\\.prt", ".prt", true},    {".*", ".abc", true},       {"a*", ".a", true},
      {"", "", false},             {"", "a", false},           {"a", "", false},
      {"?", "", false},            {"?", "a", false},          {"??", "a", false},
      {"*", "", false},            {"*", "abc", false},        {"**", "a", false},
      {"A", "a", false},           {"a*b*c", "axxbyyc", false}, {"a*b*c", "axxbyy", false},
      {"*a", "ba", false},         {"*a", "ab", false},        {"*??", "a", false},
      {"*??", "ab", false},        {"a*?b", "ab", false},      {"a*?b", "axb", false},
      {"[!a-c]x", "dx", false},    {"[!a-c]x", "bx", false},   {"[]]", "]", false},
      {"[!]]", "]", false},        {"[!]]", "a", false},       {"[a-]", "-", false},
      {"[a-]", "b", false},        {"[a-c-e]", "d", false},    {"[a-c-e]", "-", false},
      {"[--a]", "-", false},       {"[!-a]", "-", false},      {"[\\]]", "]", false},
      {"[a\\-z]", "-", false},     {"[a\\-z]", "m", false},    {"[a-\\]]", "]", false},
      {"[]-a]", "^", false},       {"[z-a]", "m", false},      {"[z-a]", "z", false},
      {"a[bc]", "a", false},       {"a[bc]d", "acd", false},   {"*[0-9]", "abc7", false},
      {"*[0-9]", "abc", false},    {"\\[a]", "[a]", false},    {"a\\*", "a*", false},
      {"a\\*", "ab", false},       {"a\\*", "a\\*", false},    {"*\\?", "ab?", false},
      {"a\\", "a\\", false},       {"a\\", "a", false},        {"*\\", "a\\", false},
      {"[\x80-\xff]", "\xe9", false},
      {"*a*a*a*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
      {"*a*a*a*a*a*a*a*a", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
      {"*?*?*?*?*?*?*?*?*?*?x", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
  };
  for (const Case& c : cases) {
    const int expected = fnmatch_reference(c.pattern, c.string, c.leading_dot);
    EXPECT_EQ(glob_narrow(c.pattern, c.string, c.leading_dot), expected) << describe(c);
    // The wide matcher agrees wherever both ends of a range are ASCII.
    if (std::string(c.pattern).find('\x80') == std::string::npos) {
      EXPECT_EQ(glob_wide(c.pattern, c.string, c.leading_dot), expected) << describe(c);
    }
  }
}

struct Difference {
  Case c;
  int ours;
  int fnmatch;
};

// Where the grammar differs from fnmatch on purpose; both verdicts are pinned.
TEST_F(GlobTest, DesignedDifferencesFromFnmatch) {
  const Difference rows[] = {
      // A set may match a leading '.'.
      {{"[.]prt", ".prt", true}, 1, 0},
      // A set that is never closed matches nothing; fnmatch reads the '[' literally.
      {{"[abc", "[abc", false}, 0, 1},
      {{"*[abc", "x[abc", false}, 0, 1},
      {{"[!]", "[!]", false}, 0, 1},
      // '^' is a member, not a negation.
      {{"[^a]", "b", false}, 0, 1},
      {{"[^a]", "a", false}, 1, 0},
      // No character classes: "[[:digit:]]" is the set of "[:digt" and then a ']'.
      {{"[[:digit:]]", "5", false}, 0, 1},
      {{"[[:digit:]]", "d]", false}, 1, 0},
      // Alternatives; fnmatch takes braces literally.
      {{"{a,b}", "a", false}, 1, 0},
      {{"{a,b}", "{a,b}", false}, 0, 1},
      // The narrow matcher's range ends are signed bytes: a-\xff runs from 97 to -1.
      {{"[a-\xff]", "b", false}, 0, 1},
      {{"[a-\xff]", "\xe9", false}, 0, 1},
  };
  for (const Difference& d : rows) {
    EXPECT_EQ(glob_narrow(d.c.pattern, d.c.string, d.c.leading_dot), d.ours) << describe(d.c);
    if (std::string(d.c.pattern).find('\xff') == std::string::npos) {
      EXPECT_EQ(glob_wide(d.c.pattern, d.c.string, d.c.leading_dot), d.ours) << describe(d.c);
    }
    EXPECT_EQ(fnmatch_reference(d.c.pattern, d.c.string, d.c.leading_dot), d.fnmatch)
        << describe(d.c);
  }
}

TEST_F(GlobTest, WideRangesCompareUnsigned) {
  EXPECT_EQ(vek::vyn_glob_match(u"[a-\u00ff]", u"b", 0), 1);
  EXPECT_EQ(vek::vyn_glob_match(u"[a-\u00ff]", u"\u00e9", 0), 1);
  EXPECT_EQ(vek::vyn_glob_match(u"[\u3040-\u309f]x", u"\u3042x", 0), 1);
  EXPECT_EQ(vek::vyn_glob_match(u"[!\u3040-\u309f]x", u"\u3042x", 0), 0);
  // Whole 16-bit characters: a unit is never split or taken for its low byte.
  EXPECT_EQ(vek::vyn_glob_match(u"?", u"\uffff", 0), 1);
  EXPECT_EQ(vek::vyn_glob_match(u"a", u"\u0161", 0), 0);
}

struct BraceCase {
  const char* pattern;
  const char* string;
  int expected;
};

TEST_F(GlobTest, Alternatives) {
  const BraceCase cases[] = {
      {"{ab,a}c", "abc", 1},
      {"{ab,a}c", "ac", 1},
      // The string ends inside the first alternative: later ones are not tried.
      {"{abc,a}", "a", 0},
      {"{a,abc}", "a", 1},
      // The first alternative that fits is taken, never reconsidered.
      {"{a,ab}c", "abc", 0},
      {"{x,y}", "z", 0},
      {"{,x}a", "a", 1},
      {"{,x}", "", 1},
      {"{x}", "", 0},
      {"*{x,y}", "ax", 1},
      {"*{x,y}", "az", 0},
      {"*{,x}", "", 1},
      // Alternatives are plain text.
      {"{*,?}", "*", 1},
      {"{*,?}", "a", 0},
      {"{a{b,c}", "a{b", 1},
      {"{\\,a}", "\\", 1},
      // A group that is never closed matches nothing.
      {"{a,b", "a", 0},
      {"{a", "a", 0},
      {"a{", "a", 0},
      // After an alternative of variable width, a later star that ran out of string
      // does not end the search of an earlier one.
      {"*{abcd,b}*??", "abcde", 1},
  };
  for (const BraceCase& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " / " + c.string);
    EXPECT_EQ(glob_narrow(c.pattern, c.string, false), c.expected);
    EXPECT_EQ(glob_wide(c.pattern, c.string, false), c.expected);
  }
}

TEST_F(GlobTest, AfterStarMatchesTheRestAnywhere) {
  EXPECT_EQ(vek::vyn_glob_match_after_star_ascii(".prt", "a.b.prt"), 1);
  EXPECT_EQ(vek::vyn_glob_match_after_star_ascii("?.prt", ".prt"), 0);
  EXPECT_EQ(vek::vyn_glob_match_after_star_ascii("", "anything"), 1);
  EXPECT_EQ(vek::vyn_glob_match_after_star(u"[0-9]", u"ab7"), 1);
  EXPECT_EQ(vek::vyn_glob_match_after_star(u"\\*", u"ab"), 0);
}

TEST_F(GlobTest, NullArgumentsMatchNothing) {
  EXPECT_EQ(vek::vyn_glob_match_ascii(nullptr, "a", 0), 0);
  EXPECT_EQ(vek::vyn_glob_match_ascii("*", nullptr, 0), 0);
  EXPECT_EQ(vek::vyn_glob_match(nullptr, u"a", 0), 0);
  EXPECT_EQ(vek::vyn_glob_match_after_star(u"a", nullptr), 0);
}

// Random patterns over the characters that matter, compared with fnmatch wherever the
// designs agree.
TEST_F(GlobTest, RandomPatternsAgreeWithFnmatch) {
  std::mt19937 rng(20240611);
  const std::string pattern_chars = "ab.*?*[]!-\\";
  const std::string string_chars = "ab.-]![\\*?";
  auto text = [&](const std::string& alphabet, int max_len) {
    std::string s(std::uniform_int_distribution<int>(0, max_len)(rng), ' ');
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    for (char& c : s) c = alphabet[pick(rng)];
    return s;
  };
  int compared = 0;
  for (int i = 0; i < 100000; ++i) {
    const std::string pattern = text(pattern_chars, 10);
    const std::string string = text(string_chars, 8);
    const bool leading_dot = i % 3 == 0;
    if (!yrltest::glob_in_common_subset(pattern, string, leading_dot)) continue;
    ++compared;
    const int expected = fnmatch_reference(pattern, string, leading_dot);
    ASSERT_EQ(glob_narrow(pattern, string, leading_dot), expected)
        << "pattern '" << pattern << "' string '" << string << "' " << leading_dot;
    ASSERT_EQ(glob_wide(pattern, string, leading_dot), expected)
        << "pattern '" << pattern << "' string '" << string << "' " << leading_dot;
  }
  EXPECT_GT(compared, 10000);
}

TEST_F(GlobTest, IsGlobPattern) {
  struct Row {
    const char16_t* w;
    int expected;
  };
  const Row rows[] = {
      {u"abc", 0}, {u"a*", 1},   {u"a?", 1},    {u"[a", 1},     {u"{x}", 1},
      {u"]},", 0}, {u"a\\*", 0}, {u"\\[\\{", 0}, {u"\\\\*", 1}, {u"a\\", 0},
      {u"", 0},
  };
  for (const Row& r : rows) EXPECT_EQ(vek::vyn_is_glob_pattern(r.w), r.expected);
  EXPECT_EQ(vek::vyn_is_glob_pattern(nullptr), 0);
}

struct FilterCase {
  const char* filter;
  const char* string;
  int expected;
};

class UserFilterTest : public yrltest::RuntimeTest {};

// Only '*' and '?' are special; every other character, '[' and '\' too, is itself.
// fnmatch with FNM_NOESCAPE agrees on filters without '['.
TEST_F(UserFilterTest, MatchesLikeFnmatchWithoutSets) {
  const FilterCase cases[] = {
      {"a?c", "abc", 1}, {"a?c", "ac", 0},    {"", "", 1},          {"", "a", 0},
      {"*", "", 1},      {"**", "abc", 1},    {"*c", "abc", 1},     {"*c", "abcd", 0},
      {"a*", "a", 1},    {"?*", "", 0},       {"*?*", "x", 1},      {"a*b*c", "aXbYbZc", 1},
      {"a*b*c", "acb", 0}, {"A", "a", 0},     {"a\\", "a\\", 1},    {"\\*", "\\xyz", 1},
      {".*", ".profile", 1}, {"{a,b}", "{a,b}", 1},
      {"*a*a*a*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", 0},
  };
  for (const FilterCase& c : cases) {
    SCOPED_TRACE(std::string(c.filter) + " / " + c.string);
    EXPECT_EQ(vek::match_user_filter(c.string, c.filter), c.expected);
    EXPECT_EQ(vek::match_w_user_filter(widen(c.string).c_str(), widen(c.filter).c_str()),
              c.expected);
    EXPECT_EQ(fnmatch(c.filter, c.string, FNM_NOESCAPE) == 0, c.expected == 1);
  }
}

TEST_F(UserFilterTest, SetsAreLiteralAndNullMatchesAll) {
  EXPECT_EQ(vek::match_user_filter("[a]", "[a]"), 1);
  EXPECT_EQ(vek::match_user_filter("a", "[a]"), 0);
  EXPECT_EQ(vek::match_user_filter("anything", nullptr), 1);
  EXPECT_EQ(vek::match_user_filter(nullptr, "x"), 1);
  EXPECT_EQ(vek::match_w_user_filter(u"anything", nullptr), 1);
  EXPECT_EQ(vek::match_w_user_filter(nullptr, u"x"), 1);
}

TEST_F(UserFilterTest, WildcardQueries) {
  const char* s = "a?b*c*";
  EXPECT_EQ(vek::find_filter_str_wildcard(s), s + 3);
  EXPECT_EQ(vek::find_filter_str_wildcard(s + 4), s + 5);
  const char* q = "ab?c?";
  EXPECT_EQ(vek::find_filter_str_wildcard(q), q + 2);
  EXPECT_EQ(vek::find_filter_str_wildcard("abc"), nullptr);
  EXPECT_EQ(vek::find_filter_str_wildcard(nullptr), nullptr);
  const char16_t* w = u"x?y*";
  EXPECT_EQ(vek::find_filter_wstr_wildcard(w), w + 3);
  EXPECT_EQ(vek::find_filter_wstr_wildcard(u"xy"), nullptr);
  EXPECT_EQ(vek::find_filter_wstr_wildcard(nullptr), nullptr);

  EXPECT_EQ(vek::filter_has_wildcards("a?"), 1);
  EXPECT_EQ(vek::filter_has_wildcards("*"), 1);
  EXPECT_EQ(vek::filter_has_wildcards("[a]"), 0);
  EXPECT_EQ(vek::filter_has_wildcards(nullptr), 0);

  EXPECT_EQ(vek::filter_is_any("", 0), 1);
  EXPECT_EQ(vek::filter_is_any("***", 1), 1);
  EXPECT_EQ(vek::filter_is_any("*a", 0), 0);
  EXPECT_EQ(vek::filter_is_any("?", 0), 0);
  EXPECT_EQ(vek::filter_is_any(nullptr, 0), 0);
}

}  // namespace
