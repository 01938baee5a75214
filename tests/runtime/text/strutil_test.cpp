// String utilities: name rules, case, white space, quotes and tokens, escapes, searches
// and star templates; against the C library where it has the same function.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <strings.h>
#include <vector>

#include "runtime/memory/getmem.h"
#include "runtime/text/lang.h"
#include "runtime/text/strutil.h"
#include "tests/support/runtime_test.h"

namespace {

using std::string;
using std::u16string;

class StrutilTest : public yrltest::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    vek::set_language(vek::LANG_ENGLISH);
  }
};

int sign(int v) { return (v > 0) - (v < 0); }

// ---- Name validity

struct NameRow {
  const char16_t* name;
  int disabled;  // invalid_name_idx with no wildcard set
  int enabled;   // with the default set "*?$"
};

TEST_F(StrutilTest, NameValidityFollowsTheWildcardSet) {
  const NameRow rows[] = {
      {u"", 0, 0},
      {u"-abc", 0, 0},
      {u"abc_1-x", 7, 7},
      {u"ab<cd>", 2, 6},      // a generic part only while wildcards are enabled
      {u"ab<cd>e", 2, 5},     // a '>' that is not the last character
      {u"ab<cd", 2, 4},       // never closed
      {u"ab<", 2, 2},
      {u"ab<c!d>", 2, 3},     // a bad character inside the generic part
      {u"<ab>", 0, 0},        // no generic part at the first character
      {u"ab<c<d>", 2, 3},
      {u"a*b?$", 1, 5},
      {u"a b", 1, 1},
      {u"ab>", 2, 2},
  };
  for (const NameRow& r : rows) {
    SCOPED_TRACE(testing::Message() << "row " << (&r - rows));
    const int length = static_cast<int>(std::char_traits<char16_t>::length(r.name));
    vek::disable_wild_card();
    EXPECT_EQ(vek::invalid_name_idx(r.name), r.disabled);
    EXPECT_EQ(vek::invalid_string(r.name), r.disabled != length || r.name[0] == '-');
    vek::enable_wild_card();
    EXPECT_EQ(vek::invalid_name_idx(r.name), r.enabled);
    EXPECT_EQ(vek::invalid_string(r.name), r.enabled != length || r.name[0] == '-');
  }
  EXPECT_EQ(vek::invalid_name_idx(nullptr), 0);
  EXPECT_EQ(vek::invalid_string(nullptr), 0);
}

TEST_F(StrutilTest, CustomWildcardSet) {
  EXPECT_EQ(vek::is_wild_card('*'), 0);
  EXPECT_EQ(vek::enable_wild_card(), 0);
  EXPECT_EQ(vek::is_wild_card('$'), 1);
  EXPECT_EQ(vek::is_wild_card(0), 0);

  char16_t old[vek::WILD_CARDS_SIZE];
  EXPECT_EQ(vek::enable_custom_wild_card(u"<#", old), 1);
  EXPECT_EQ(u16string(old), u"*?$");
  EXPECT_EQ(vek::is_wild_card('*'), 0);
  // '<' is a wildcard now, so there are no generic parts and '>' is a bad character.
  EXPECT_EQ(vek::invalid_name_idx(u"ab<cd#"), 6);
  EXPECT_EQ(vek::invalid_name_idx(u"ab<cd>"), 5);

  // A set longer than the store keeps its first 31 characters.
  const u16string long_set = u"abcdefghijklmnopqrstuvwxyz0123456789";
  vek::enable_custom_wild_card(long_set.c_str(), nullptr);
  EXPECT_EQ(vek::is_wild_card(u'4'), 1);
  EXPECT_EQ(vek::is_wild_card(u'5'), 0);
  EXPECT_EQ(vek::enable_custom_wild_card(nullptr, old), 1);
  EXPECT_EQ(u16string(old), long_set.substr(0, 31));
  EXPECT_EQ(vek::is_wild_card('a'), 0);

  vek::disable_wild_card();
  EXPECT_EQ(vek::enable_wild_card(), 0);
}

TEST_F(StrutilTest, SymbolAndCrossSectionNames) {
  struct Row {
    const char16_t* w;
    int symbol;
    int xsec;
  };
  const Row rows[] = {
      {u"", 0, 0},          {u"abc_9-x", 0, 0},   {u"-a", 1, 1},
      {u"a.b", 1, 0},       {u"a\"b", 1, 0},      {u".ab", 1, 0},  // first: only '-'
      {u"a b", 1, 1},       {u"\u00e9t\u00e9", 0, 0}, {u"a\u3042", 0, 0},
      {u"a/b", 1, 1},       {u"a\x7f", 1, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "row " << (&r - rows));
    EXPECT_EQ(vek::invalid_symbol(r.w), r.symbol);
    EXPECT_EQ(vek::invalid_xsec_name(r.w), r.xsec);
  }
  EXPECT_EQ(vek::invalid_symbol(nullptr), 0);
  EXPECT_EQ(vek::invalid_xsec_name(nullptr), 0);
}

TEST_F(StrutilTest, ValidCharAndAsciiCaseAgainstTheCLibrary) {
  for (int i = 0; i < 256; ++i) {
    const char c = static_cast<char>(i);
    EXPECT_EQ(vek::is_valid_char(c), std::isalnum(i) || c == '_' || c == '-') << i;
    EXPECT_EQ(vek::uppercase(c), static_cast<char>(std::toupper(i))) << i;
    EXPECT_EQ(vek::lowercase(c), static_cast<char>(std::tolower(i))) << i;
  }
  char buf[] = "Hello, World \xe9 42";
  vek::vyn_cnvrt_to_upper(buf, buf);
  EXPECT_STREQ(buf, "HELLO, WORLD \xe9 42");
  char lower[sizeof buf];
  vek::convert_to_lower(buf, lower);
  EXPECT_STREQ(lower, "hello, world \xe9 42");
  char title[32];
  vek::vyn_cnvrt_to_title("hELLO wORLD-x 2nd_ab", title);
  EXPECT_STREQ(title, "Hello World-X 2nd_Ab");
}

TEST_F(StrutilTest, CaseInsensitiveComparison) {
  struct Row {
    const char* a;
    const char* b;
  };
  // Letters, digits and blanks: the order of strcasecmp.
  const Row same_order[] = {{"abc", "ABC"}, {"abc", "abd"}, {"ABD", "abc"}, {"ab", "abc"},
                            {"abc", "ab"},  {"", ""},       {"", "a"},      {"a 1", "A 2"},
                            {"Zeta", "alpha"}};
  for (const Row& r : same_order) {
    EXPECT_EQ(sign(vek::u_strcmp_func(r.a, r.b)), sign(strcasecmp(r.a, r.b))) << r.a << " " << r.b;
    EXPECT_EQ(sign(vek::upper_strncmp_func(r.a, r.b, 100)), sign(strcasecmp(r.a, r.b)));
  }
  // Letters go to upper case, so '_' sorts after them (strcasecmp lowers: before).
  EXPECT_GT(vek::u_strcmp_func("_", "a"), 0);
  EXPECT_LT(strcasecmp("_", "a"), 0);
  // Bytes are signed.
  EXPECT_LT(vek::u_strcmp_func("\xe9", "a"), 0);
  EXPECT_LT(vek::u_strcmp_func("\xe9", ""), 0);
  EXPECT_EQ(vek::u_strcmp_func("a\xe9", "A\xe9"), 0);
  // n positions only.
  EXPECT_EQ(vek::upper_strncmp_func("abcX", "ABCy", 3), 0);
  EXPECT_NE(vek::upper_strncmp_func("abcX", "ABCy", 4), 0);
  EXPECT_EQ(vek::upper_strncmp_func("abc", "abd", 0), 0);
  EXPECT_EQ(vek::upper_strncmp_func("ab", "AB", 10), 0);
}

// ---- Blanks and white space

TEST_F(StrutilTest, BlankPadding) {
  struct Row {
    const char* in;
    int n;
    int result;
    const char* out;
  };
  const Row rows[] = {{"ab", 5, 1, "ab  "}, {"ab", 3, 1, "ab"},  {"ab", 2, 0, "ab"},
                      {"", 5, 0, ""},       {"abc", 0, 0, "abc"}, {"abc", -1, 0, "abc"}};
  for (const Row& r : rows) {
    char buf[16];
    std::memset(buf, 'x', sizeof buf);
    std::strcpy(buf, r.in);
    EXPECT_EQ(vek::blankpad(buf, r.n), r.result) << r.in << " " << r.n;
    EXPECT_STREQ(buf, r.out);
    if (r.result) {
      EXPECT_EQ(buf[r.n], 'x');  // nothing written past n - 1
    }
  }
}

TEST_F(StrutilTest, BlankAndEmptyTests) {
  EXPECT_EQ(vek::blankstr(nullptr), 1);
  EXPECT_EQ(vek::blankstr(u""), 1);
  EXPECT_EQ(vek::blankstr(u" \t "), 1);
  EXPECT_EQ(vek::blankstr(u" \n"), 0);
  EXPECT_EQ(vek::blankstr(u" a"), 0);

  EXPECT_EQ(vek::empty_string(""), 1);
  EXPECT_EQ(vek::empty_string(" \t\r\n\v\f"), 1);
  EXPECT_EQ(vek::empty_string(" x "), 0);
  EXPECT_EQ(vek::empty_string(nullptr), 1);

  const char text[] = "  \tab";
  EXPECT_EQ(vek::empty_string_noz(text, text + 2), 1);
  EXPECT_EQ(vek::empty_string_noz(text, text + 3), 0);
  // Stops at the terminator even when last lies beyond it.
  const char shorter[] = "  \0ab";
  EXPECT_EQ(vek::empty_string_noz(shorter, shorter + 4), 1);
}

TEST_F(StrutilTest, TrimmingWhiteSpace) {
  u16string a = u"  \tab c \r\n\v ";
  char16_t* first = vek::extract_string(a.data());
  EXPECT_EQ(u16string(first), u"ab c");
  EXPECT_EQ(first, a.data() + 3);

  u16string b = u"ab \r\t\n \n";
  vek::remove_trailing_whitespace(b.data());
  EXPECT_EQ(u16string(b.c_str()), u"ab \r");

  u16string c = u"ab \r\t\n";
  char16_t* end = vek::remove_all_trailing_whitespaces(c.data());
  EXPECT_EQ(u16string(c.c_str()), u"ab");
  EXPECT_EQ(end, c.data() + 2);
  u16string all_blank = u" \t ";
  EXPECT_EQ(vek::remove_all_trailing_whitespaces(all_blank.data()), all_blank.data());
  EXPECT_EQ(all_blank[0], 0);

  u16string d = u"\n\t x y";
  char16_t* p = d.data();
  vek::strip_wspaces(&p);
  EXPECT_EQ(p, d.data() + 3);

  u16string e = u" \r\n ab c \r\n";
  EXPECT_EQ(vek::remove_lead_trail_whitespace(e.data()), e.data());
  EXPECT_EQ(u16string(e.c_str()), u"ab c \r");
  u16string f = u"   ";
  vek::remove_lead_trail_whitespace(f.data());
  EXPECT_EQ(f[0], 0);

  EXPECT_EQ(vek::extract_string(nullptr), nullptr);
  EXPECT_EQ(vek::remove_lead_trail_whitespace(nullptr), nullptr);

  // Wide white space is Unicode's whatever the process's locale: the ideographic space,
  // the em space and the line separator are trimmed; the no-break space is no white
  // space and stays.
  u16string g = u"\u3000\u2003ab\u3000c\u3000\u2028";
  first = vek::extract_string(g.data());
  EXPECT_EQ(u16string(first), u"ab\u3000c");
  EXPECT_EQ(first, g.data() + 2);
  u16string h = u"\u00A0x\u00A0";
  EXPECT_EQ(u16string(vek::extract_string(h.data())), u"\u00A0x\u00A0");
}

TEST_F(StrutilTest, ControlCharactersAreDropped) {
  char buf[] = "a\tb\x01" "c\x7f\x1b[1m\r\n\xe9\xa4\xa2!";
  vek::trunc_ctrl_chars(buf, buf);
  EXPECT_STREQ(buf, "a\tbc[1m\r\n\xe9\xa4\xa2!");
}

// ---- Quotes and tokens

TEST_F(StrutilTest, StripQuotes) {
  struct Row {
    const char16_t* in;
    const char16_t* out;
  };
  const Row rows[] = {
      {u"\"abc\"", u"abc"},   {u"'abc'", u"abc"},    {u"\"abc'  \t", u"abc"},
      {u"abc", u"abc"},       {u"\"abc", u"abc"},    {u"abc\"", u"abc"},
      {u"ab c  ", u"ab c  "}, {u"\"", u""},          {u"\"\"", u""},
      {u"' ", u" "},          {u"a\"b", u"a\"b"},       {u"\"'x'\"", u"'x'"},
  };
  for (const Row& r : rows) {
    char16_t out[vek::STRIP_QUOTES_SIZE];
    EXPECT_EQ(vek::strip_quotes(r.in, out), out);
    EXPECT_EQ(u16string(out), r.out) << "row " << (&r - rows);
  }
  char16_t out[4] = u"xyz";
  EXPECT_EQ(vek::strip_quotes(u"", out), nullptr);
  EXPECT_EQ(u16string(out), u"xyz");

  // In place, and cut to the local buffer.
  u16string in_place = u"'quoted'";
  vek::strip_quotes(in_place.data(), in_place.data());
  EXPECT_EQ(u16string(in_place.c_str()), u"quoted");
  const u16string longer = u"\"" + u16string(100, u'x') + u"\"";
  std::vector<char16_t> big(200, u'#');
  vek::strip_quotes(longer.c_str(), big.data());
  EXPECT_EQ(u16string(big.data()), u16string(vek::STRIP_QUOTES_SIZE - 1, u'x'));
  EXPECT_EQ(big[vek::STRIP_QUOTES_SIZE], u'#');
}

// Every token of text, read with parse_quoted_to_tok until the text ends.
std::vector<u16string> tokens_of(const char16_t* text, const char16_t* delims) {
  std::vector<u16string> out;
  char16_t* cursor = const_cast<char16_t*>(text);
  char16_t tok[64];
  while (cursor) {
    int r = vek::parse_quoted_to_tok(&cursor, delims, 64, tok);
    if (r != vek::TOK_OK) throw std::runtime_error("status " + std::to_string(r));
    out.push_back(tok);
  }
  return out;
}

TEST_F(StrutilTest, ParseQuotedTokens) {
  EXPECT_EQ(tokens_of(u"  a \"b c\" 'd\"e' f\"g h\"i", u" "),
            (std::vector<u16string>{u"a", u"b c", u"d\"e", u"fg hi"}));
  EXPECT_EQ(tokens_of(u"a,,b,", u","), (std::vector<u16string>{u"a", u"b", u""}));
  EXPECT_EQ(tokens_of(u"one two", nullptr), (std::vector<u16string>{u"one two"}));

  char16_t text[] = u" x 'open";
  char16_t* cursor = text;
  char16_t tok[16];
  EXPECT_EQ(vek::parse_quoted_to_tok(&cursor, u" ", 16, tok), vek::TOK_OK);
  EXPECT_EQ(cursor, text + 2);
  EXPECT_EQ(vek::parse_quoted_to_tok(&cursor, u" ", 16, tok), vek::TOK_OPEN_QUOTE);
  EXPECT_EQ(cursor, text + 2);

  // A token that reaches size characters is cut, its last place the terminator.
  char16_t word[] = u"abcdef gh";
  cursor = word;
  char16_t small[4];
  EXPECT_EQ(vek::parse_quoted_to_tok(&cursor, u" ", 4, small), vek::TOK_TRUNCATED);
  EXPECT_EQ(u16string(small), u"abc");
  EXPECT_EQ(cursor, word);
  EXPECT_EQ(vek::parse_quoted_to_tok(&cursor, u" ", 7, tok), vek::TOK_OK);
  EXPECT_EQ(u16string(tok), u"abcdef");

  char16_t* null_text = nullptr;
  EXPECT_EQ(vek::parse_quoted_to_tok(&null_text, u" ", 4, tok), vek::TOK_BAD_ARGS);
  EXPECT_EQ(vek::parse_quoted_to_tok(nullptr, u" ", 4, tok), vek::TOK_BAD_ARGS);
  cursor = word;
  EXPECT_EQ(vek::parse_quoted_to_tok(&cursor, u" ", 0, tok), vek::TOK_BAD_ARGS);
  EXPECT_EQ(vek::parse_quoted_to_tok(&cursor, u" ", 4, nullptr), vek::TOK_BAD_ARGS);
  EXPECT_EQ(vek::parse_quoted_to_tok(&cursor, u" '", 4, tok), vek::TOK_BAD_ARGS);
  EXPECT_EQ(vek::parse_quoted_to_tok(&cursor, u"\"", 4, tok), vek::TOK_BAD_ARGS);
}

TEST_F(StrutilTest, WrappedTokensReadBackAsTheText) {
  char16_t out[64];
  EXPECT_EQ(vek::wstr_to_wrapped_tok(u"a b", u" ", 64, out), vek::TOK_OK);
  EXPECT_EQ(u16string(out), u"\"a b\"");
  EXPECT_EQ(vek::wstr_to_wrapped_tok(u"plain", u" ", 64, out), vek::TOK_OK);
  EXPECT_EQ(u16string(out), u"plain");
  EXPECT_EQ(vek::wstr_to_wrapped_tok(u"say \"hi\"", u" ", 64, out), vek::TOK_OK);
  EXPECT_EQ(u16string(out), u"'say \"hi\"'");

  const char16_t* texts[] = {
      u"a b",        u"it's",         u"\"q\"",      u"a\"b'c",      u"'a\"",
      u"x'\"'\"y",   u"\"\"''",       u"'",          u"\"",          u" lead",
      u"a,b c'd\"e", u"''\"\"''\"",
  };
  for (const char16_t* text : texts) {
    SCOPED_TRACE(testing::Message() << "text " << (&text - texts));
    ASSERT_EQ(vek::wstr_to_wrapped_tok(text, u" ,", 64, out), vek::TOK_OK);
    EXPECT_EQ(tokens_of(out, u" ,"), std::vector<u16string>{text});
  }
}

TEST_F(StrutilTest, WrappedTokenLimits) {
  char16_t out[8];
  // The text must be shorter than size; the quotes must fit as well.
  EXPECT_EQ(vek::wstr_to_wrapped_tok(u"abcdefgh", nullptr, 8, out), vek::TOK_BAD_ARGS);
  EXPECT_EQ(vek::wstr_to_wrapped_tok(u"abcdefg", nullptr, 8, out), vek::TOK_OK);
  EXPECT_EQ(vek::wstr_to_wrapped_tok(u"ab cde", u" ", 8, out), vek::TOK_TRUNCATED);
  EXPECT_EQ(vek::wstr_to_wrapped_tok(u"ab cd", u" ", 8, out), vek::TOK_OK);
  EXPECT_EQ(u16string(out), u"\"ab cd\"");
  // Both kinds: "a'b"c becomes 5 + 3 units and its two quotes; cut, out is emptied.
  std::vector<char16_t> exact(12, u'#');
  EXPECT_EQ(vek::wstr_to_wrapped_tok(u"a\"b'c", nullptr, 9, exact.data()), vek::TOK_TRUNCATED);
  EXPECT_EQ(exact[0], 0);
  EXPECT_EQ(exact[9], u'#');
  EXPECT_EQ(vek::wstr_to_wrapped_tok(u"a\"b'c", nullptr, 10, exact.data()), vek::TOK_OK);
  EXPECT_EQ(exact[10], u'#');

  EXPECT_EQ(vek::wstr_to_wrapped_tok(u"", nullptr, 8, out), vek::TOK_BAD_ARGS);
  EXPECT_EQ(vek::wstr_to_wrapped_tok(nullptr, nullptr, 8, out), vek::TOK_BAD_ARGS);
  EXPECT_EQ(vek::wstr_to_wrapped_tok(u"a", nullptr, 0, out), vek::TOK_BAD_ARGS);
  EXPECT_EQ(vek::wstr_to_wrapped_tok(u"a", nullptr, 8, nullptr), vek::TOK_BAD_ARGS);
  EXPECT_EQ(vek::wstr_to_wrapped_tok(u"a", u"'", 8, out), vek::TOK_BAD_ARGS);
  EXPECT_EQ(vek::is_quote_char('"'), 1);
  EXPECT_EQ(vek::is_quote_char('\''), 1);
  EXPECT_EQ(vek::is_quote_char('`'), 0);
}

// ---- Special characters and escapes

// The plain reading of the rule: while sym occurs, drop the first character of its
// first occurrence.
string eliminate_reference(string s, const string& sym) {
  for (std::size_t at; (at = s.find(sym)) != string::npos;) s.erase(at, 1);
  return s;
}

TEST_F(StrutilTest, EliminateSymbolDoubles) {
  char path[] = "a//b///c////";
  vek::eliminate_symbol_doubles(path, "//");
  EXPECT_STREQ(path, "a/b/c/");
  char text[] = "abc";
  vek::eliminate_symbol_doubles(text, "");
  EXPECT_STREQ(text, "abc");
  vek::eliminate_symbol_doubles(text, nullptr);
  EXPECT_STREQ(text, "abc");

  std::mt19937 rng(7);
  const string syms[] = {"ab", "aa", "aba", "abab", "b", "aab"};
  for (int i = 0; i < 3000; ++i) {
    string s(std::uniform_int_distribution<int>(0, 20)(rng), 'a');
    for (char& c : s) c = "ab"[rng() % 2];
    const string& sym = syms[i % 6];
    std::vector<char> buf(s.begin(), s.end());
    buf.push_back(0);
    vek::eliminate_symbol_doubles(buf.data(), sym.c_str());
    ASSERT_EQ(string(buf.data()), eliminate_reference(s, sym)) << s << " / " << sym;
  }
}

TEST_F(StrutilTest, ProtectedSpansAndFreeze) {
  u16string w = u"tub \x01tu b\x02tu b\x01t";
  EXPECT_EQ(vek::remove_dup_special_chars(w.data()), 0);
  EXPECT_EQ(w, u"tub \x01\"!~l\x02tu b\x01\"");

  EXPECT_EQ(vek::get_freeze_symbol_chars(), 0);
  EXPECT_EQ(vek::set_freeze_symbol_chars(5), 0);
  u16string frozen = u"\x01tub\x02";
  EXPECT_EQ(vek::remove_dup_special_chars(frozen.data()), 5);
  EXPECT_EQ(frozen, u"\x01tub\x02");
  EXPECT_EQ(vek::set_freeze_symbol_chars(0), 5);
}

TEST_F(StrutilTest, EscapingRoundTrips) {
  char* e = vek::replace_escape_char_in_str("a/b|c\\d", '/', '|', '\\');
  EXPECT_STREQ(e, "a|b\\|c\\\\d");
  EXPECT_GE(vek::getmem_area_size(e), 2 * 7 + 1);
  char* d = vek::unreplace_escape_char_in_str(e, '|', '/', '\\');
  EXPECT_STREQ(d, "a/b|c\\d");
  vek::rlsmem(e);
  vek::rlsmem(d);

  std::mt19937 rng(11);
  for (int i = 0; i < 2000; ++i) {
    string s(std::uniform_int_distribution<int>(0, 16)(rng), 'a');
    for (char& c : s) c = "a/|\\"[rng() % 4];
    char* enc = vek::replace_escape_char_in_str(s.c_str(), '/', '|', '\\');
    ASSERT_EQ(std::strchr(enc, '/'), nullptr);
    char* dec = vek::unreplace_escape_char_in_str(enc, '|', '/', '\\');
    ASSERT_EQ(string(dec), s);
    u16string ws(s.begin(), s.end());
    char16_t* wenc = vek::replace_escape_wchar_in_wstr(ws.c_str(), '/', '|', '\\');
    ASSERT_EQ(u16string(wenc), u16string(enc, enc + std::strlen(enc)));
    vek::rlsmem(enc);
    vek::rlsmem(dec);
    vek::rlsmem(wenc);
  }
  EXPECT_EQ(vek::replace_escape_char_in_str(nullptr, 'a', 'b', 'c'), nullptr);
  EXPECT_EQ(vek::unreplace_escape_char_in_str(nullptr, 'a', 'b', 'c'), nullptr);
  EXPECT_EQ(vek::replace_escape_wchar_in_wstr(nullptr, 'a', 'b', 'c'), nullptr);
}

TEST_F(StrutilTest, UnescapingStopsAtTheTerminator) {
  // The block is exactly length + 1 bytes; an escape at the end quotes nothing.
  char* d = vek::unreplace_escape_char_in_str("ab\\", '|', '/', '\\');
  EXPECT_STREQ(d, "ab");
  vek::rlsmem(d);
  d = vek::unreplace_escape_char_in_str("\\", '|', '/', '\\');
  EXPECT_STREQ(d, "");
  vek::rlsmem(d);
}

TEST_F(StrutilTest, ReplaceWideCharacter) {
  char16_t* r = vek::replace_wchar_in_wstr(u"a.b.c", '.', '/');
  EXPECT_EQ(u16string(r), u"a/b/c");
  vek::rlsmem(r);
  r = vek::replace_wchar_in_wstr(u"", '.', '/');
  EXPECT_EQ(r[0], 0);
  vek::rlsmem(r);
  EXPECT_EQ(vek::replace_wchar_in_wstr(nullptr, '.', '/'), nullptr);
}

// ---- Searching

TEST_F(StrutilTest, SearchAgainstStrstr) {
  const char* texts[] = {"hello world", "aaab", "a", "abcabc"};
  const char* subs[] = {"o", "world", "aab", "abc", "x", "", "hello world!", "cab", "b"};
  for (const char* s : texts) {
    for (const char* sub : subs) {
      const char* hit = std::strstr(s, sub);
      EXPECT_EQ(vek::searchstr(s, sub), hit ? static_cast<int>(hit - s) : -1) << s << " / " << sub;
      const char* uhit = strcasestr(s, sub);
      string upper_sub(sub);
      for (char& c : upper_sub) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      EXPECT_EQ(vek::u_searchstr(s, upper_sub.c_str()), uhit ? static_cast<int>(uhit - s) : -1);
      u16string ws(s, s + std::strlen(s));
      u16string wsub(sub, sub + std::strlen(sub));
      EXPECT_EQ(vek::vyn_index(ws.c_str(), wsub.c_str()),
                *sub == 0 ? -1 : hit ? static_cast<int>(hit - s) : -2);
    }
  }
  EXPECT_EQ(vek::searchstr("", ""), -1);
  EXPECT_EQ(vek::searchstr("", "a"), -1);
  EXPECT_EQ(vek::u_searchstr("", ""), -1);
  EXPECT_EQ(vek::u_searchstr("Hello World", "o w"), 4);
  EXPECT_EQ(vek::vyn_index(u"", u"a"), -2);
  EXPECT_EQ(vek::vyn_index(u"abc", nullptr), -1);
}

TEST_F(StrutilTest, WideStringArrays) {
  const char16_t* array[] = {u"Alpha", nullptr, u"beta", u"GAMMA", u"beta"};
  EXPECT_EQ(vek::is_wstring_in_wstring_array(array, 5, u"beta", 1), 2);
  EXPECT_EQ(vek::is_wstring_in_wstring_array(array, 5, u"gamma", 1), -1);
  EXPECT_EQ(vek::is_wstring_in_wstring_array(array, 5, u"gamma", 0), 3);
  EXPECT_EQ(vek::is_wstring_in_wstring_array(array, 5, nullptr, 0), -1);
  EXPECT_EQ(vek::is_wstring_in_wstring_array(array, 0, u"Alpha", 1), -1);
  EXPECT_EQ(vek::is_wstr_in_wstr_arr_low(array, 3, 4, u"beta", 1), 4);
  EXPECT_EQ(vek::is_wstr_in_wstr_arr_low(array, 4, 3, u"beta", 1), -1);

  EXPECT_EQ(vek::search_wstring_in_wstring_array(array, 5, 0, u"ph", 1), 0);
  EXPECT_EQ(vek::search_wstring_in_wstring_array(array, 5, 0, u"AMM", 1), 3);
  EXPECT_EQ(vek::search_wstring_in_wstring_array(array, 5, 0, u"amm", 1), -1);
  EXPECT_EQ(vek::search_wstring_in_wstring_array(array, 5, 0, u"amm", 0), 3);
  EXPECT_EQ(vek::search_wstring_in_wstring_array(array, 5, 3, u"ET", 0), 4);
  EXPECT_EQ(vek::search_wstring_in_wstring_array(array, 5, 0, u"", 1), 0);
  EXPECT_EQ(vek::search_wstring_in_wstring_array(array, 5, 5, u"a", 1), -1);
  EXPECT_EQ(vek::search_wstring_in_wstring_array(array, 5, 6, u"a", 1), -1);
  EXPECT_EQ(vek::search_wstring_in_wstring_array(array, 5, -1, u"a", 1), -1);
  EXPECT_EQ(vek::search_wstring_in_wstring_array(array, 5, 0, nullptr, 1), -1);
  // No local copies: texts longer than 512 characters are searched whole.
  const u16string long_text = u16string(600, u'x') + u"needle";
  const char16_t* long_array[] = {long_text.c_str()};
  EXPECT_EQ(vek::search_wstring_in_wstring_array(long_array, 1, 0, u"NEEDLE", 0), 0);

  const char16_t* other[] = {u"Alpha", nullptr, u"bet", u"GAMMA", u"beta"};
  EXPECT_EQ(vek::compare_wstring_arrays(array, array, 5), 0);
  EXPECT_GT(vek::compare_wstring_arrays(array, other, 5), 0);
  EXPECT_EQ(vek::compare_wstring_arrays(array, other, 2), 0);
  const char16_t* with_null[] = {u"Alpha", u"x"};
  EXPECT_LT(vek::compare_wstring_arrays(array, with_null, 2), 0);
}

TEST_F(StrutilTest, NarrowStringArrays) {
  const char* array[] = {"Key", nullptr, "key", "Other"};
  EXPECT_EQ(vek::is_str_in_str_array(array, 4, "key", 1), 2);
  EXPECT_EQ(vek::is_str_in_str_array(array, 4, "KEY", 0), 0);
  EXPECT_EQ(vek::is_str_in_str_array(array, 4, "none", 0), -1);
  EXPECT_EQ(vek::is_str_in_str_array(array, 4, nullptr, 0), -1);

  const char* keys[] = {"a", "b", "a", nullptr};
  const char* values[] = {"1", "2", "3", "4"};
  EXPECT_EQ(vek::index_in_string_pair_arrays(keys, "a", values, "3", 4, 1), 2);
  EXPECT_EQ(vek::index_in_string_pair_arrays(keys, "A", values, "3", 4, 1), -1);
  EXPECT_EQ(vek::index_in_string_pair_arrays(keys, "A", values, "3", 4, 0), 2);
  EXPECT_EQ(vek::index_in_string_pair_arrays(keys, "b", values, "3", 4, 0), -1);
}

// ---- Star templates

TEST_F(StrutilTest, LoadNameTemplate) {
  vek::VynNameTemplate record;
  EXPECT_EQ(vek::load_name_template(u"a*b**c*", &record), 4);
  EXPECT_EQ(record.star_count, 4);
  EXPECT_EQ(std::vector<int>(record.star_at, record.star_at + 4), (std::vector<int>{1, 3, 4, 6}));
  EXPECT_EQ(u16string(record.text), u"a*b**c*");
  const u16string stars(300, u'*');
  EXPECT_EQ(vek::load_name_template(stars.c_str(), &record), vek::NAME_TEMPLATE_SIZE - 1);
  EXPECT_EQ(vek::load_name_template(nullptr, &record), 0);
}

struct ConvertRow {
  const char16_t* from;
  const char16_t* to;
  const char16_t* name;
  const char16_t* out;  // null: no match
};

TEST_F(StrutilTest, TemplateStringConvert) {
  const ConvertRow rows[] = {
      {u"a*.prt", u"b*.asm", u"a12.prt", u"b12.asm"},
      {u"a*.prt", u"b*c*.asm", u"a12.prt", nullptr},
      {u"*.prt", u"*.asm", u"box.prt", u"box.asm"},
      {u"*.prt", u"*.asm", u"box.prt.old", nullptr},
      {u"*.prt", u"*.asm", u"x.prt.prt", u"x.prt.asm"},
      {u"a*b*c", u"x*y*z", u"a1b2c", u"x1y2z"},
      {u"a*b*c", u"*-*", u"abc", u"-"},
      {u"a*", u"*", u"ba", nullptr},                 // the first piece must begin the name
      {u"name", u"other", u"name", u"other"},
      {u"name", u"other", u"names", nullptr},
      {u"**.x", u"<*><*>", u"ab.x", u"<><ab>"},
      {u"*", u"[*]", u"", u"[]"},
      {u"*_*", u"*/*", u"a_b_c", u"a/b_c"},
  };
  for (const ConvertRow& r : rows) {
    char16_t out[vek::NAME_TEMPLATE_SIZE] = u"untouched";
    const int result = vek::template_string_convert(r.from, r.to, r.name, out);
    EXPECT_EQ(result, r.out != nullptr) << "row " << (&r - rows);
    EXPECT_EQ(u16string(out), r.out ? r.out : u"untouched");
  }
}

TEST_F(StrutilTest, TemplateStringConvertLimits) {
  char16_t out[vek::NAME_TEMPLATE_SIZE] = u"untouched";
  // The name with its marker must fit 127 characters, and so must the result.
  const u16string name126 = u"a" + u16string(121, u'x') + u".prt";
  const u16string name127 = u"a" + u16string(122, u'x') + u".prt";
  EXPECT_EQ(vek::template_string_convert(u"a*.prt", u"b*.asm", name126.c_str(), out), 1);
  EXPECT_EQ(u16string(out), u"b" + u16string(121, u'x') + u".asm");
  EXPECT_EQ(vek::template_string_convert(u"a*.prt", u"b*.asm", name127.c_str(), out), 0);
  EXPECT_EQ(vek::template_string_convert(u"a*.prt", u"bbb*.asm", name126.c_str(), out), 0);
  EXPECT_EQ(vek::template_string_convert(u"a*.prt", u"bb*.asm", name126.c_str(), out), 1);
  EXPECT_EQ(vek::template_string_convert(nullptr, u"b", u"a", out), 0);
}

}  // namespace
