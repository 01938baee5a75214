// The string utilities: case-insensitive narrow comparison, wide comparison and copy,
// concatenation through narrow forms, printing.
#include <gtest/gtest.h>

#include <strings.h>

#include <cctype>
#include <clocale>
#include <cstring>
#include <cwctype>
#include <string>

#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "toolkit/util/strutil.h"

namespace {

class StrutilTest : public yrltest::RuntimeTest {};


TEST_F(StrutilTest, StrcmpGivesTheDifferenceOfTheCharactersAsGiven) {
  struct Case {
    const char* a;
    const char* b;
    int expected;
  };
  const Case cases[] = {
      {"ABC", "abc", 0},          {"", "", 0},
      {"a", "B", 'a' - 'B'},      {"A", "b", 'A' - 'b'},
      {"Abc", "abd", 'c' - 'd'},  {"ab", "a", 'b'},
      {"a", "ab", -'b'},          {"x\xe9", "X\xc9", -23 - -55},  // no folding above ASCII
      {"[", "{", '[' - '{'},      {"@", "`", '@' - '`'},           // neighbours of the letters
  };
  for (const Case& c : cases) EXPECT_EQ(VynUtilStrcmp(c.a, c.b), c.expected) << c.a << " " << c.b;
}

TEST_F(StrutilTest, StrcmpFindsEqualWhereTheCLibraryFindsEqual) {
  // strcasecmp in the C locale folds exactly the ASCII letters.
  std::setlocale(LC_ALL, "C");
  const char* texts[] = {"", "a", "A", "ab", "AB", "aB", "a[", "A{", "z", "Z@", "\xe9", "\xc9",
                         "Config.YRL", "config.yrl", "config.yrl ", "plate_1", "PLATE_1"};
  for (const char* a : texts)
    for (const char* b : texts)
      EXPECT_EQ(VynUtilStrcmp(a, b) == 0, strcasecmp(a, b) == 0) << a << " | " << b;
}

TEST_F(StrutilTest, StrncmpComparesPositionsZeroToNInclusive) {
  struct Case {
    const char* a;
    const char* b;
    int n;
    int expected;
  };
  const Case cases[] = {
      {"abcX", "abcY", 3, 'X' - 'Y'}, {"abcX", "abcY", 2, 0}, {"abcX", "ABCy", 3, 'X' - 'y'},
      {"ab", "AB", 10, 0},           {"a", "b", 0, -1},      {"a", "b", -1, 0},
      {"abc", "abd", 1, 0},          {"ab", "abc", 2, -'c'},
  };
  for (const Case& c : cases)
    EXPECT_EQ(VynUtilStrncmp(c.a, c.b, c.n), c.expected) << c.a << " " << c.b << " " << c.n;
}

TEST_F(StrutilTest, CaseConversionChangesOnlyAsciiLetters) {
  std::setlocale(LC_ALL, "C");
  char all[256];
  for (int i = 1; i < 256; ++i) all[i - 1] = static_cast<char>(i);
  all[255] = '\0';
  char upper[256], lower[256];
  VynUtilStringUpper(all, upper);
  VynUtilStringLower(all, lower);
  for (int i = 0; i < 255; ++i) {
    unsigned char c = static_cast<unsigned char>(all[i]);
    EXPECT_EQ(static_cast<unsigned char>(upper[i]), std::toupper(c)) << i;
    EXPECT_EQ(static_cast<unsigned char>(lower[i]), std::tolower(c)) << i;
  }
  EXPECT_EQ(upper[255], '\0');

  char text[] = "a1-z";
  VynUtilStringUpper(text, text);
  EXPECT_STREQ(text, "A1-Z");
  VynUtilStringLower(text, text);
  EXPECT_STREQ(text, "a1-z");
}

TEST_F(StrutilTest, WideComparisonSeesEverySixteenBitCharacter) {
  EXPECT_NE(VynUtilWstrcmp(u"Plate", u"plate"), 0);
  EXPECT_EQ(VynUtilWstrCmp(u"Plate", u"plate"), 0);
  EXPECT_EQ(VynUtilWstrcmp(u"Plate", u"Plate"), 0);
  // Characters that have no narrow form in English stay apart.
  EXPECT_LT(VynUtilWstrcmp(u"\u0100", u"\u0101"), 0);
  EXPECT_NE(VynUtilWstrCmp(u"\u4e2d\u6587", u"\u4e2d\u6588"), 0);
  EXPECT_EQ(VynUtilWstrCmp(u"\u4e2dA", u"\u4e2da"), 0);
  // Order by unsigned 16-bit values, as strcmp orders bytes.
  EXPECT_GT(VynUtilWstrcmp(u"\u00e9", u"a"), 0);
  EXPECT_EQ(VynUtilWstrcmp(u"ab", u"a"), 'b');
  EXPECT_EQ(VynUtilWstrCmp(u"A", u"b"), 'A' - 'b');
}

TEST_F(StrutilTest, WideCaseInsensitiveComparisonFoldsWhereTowupperDoesInTheCLocale) {
  std::setlocale(LC_ALL, "C");
  for (char16_t a = 1; a < 0x180; ++a) {
    for (char16_t b : {u'A', u'a', u'Z', u'z', u'@', u'[', u'`', u'{', u'\u00c9', u'\u00e9',
                       u'\u0100', u'\u0101'}) {
      char16_t sa[2] = {a, 0}, sb[2] = {b, 0};
      bool equal = std::towupper(a) == std::towupper(b);
      EXPECT_EQ(VynUtilWstrCmp(sa, sb) == 0, equal) << int(a) << " " << int(b);
    }
  }
}

TEST_F(StrutilTest, WstrcpyKeepsEveryCharacter) {
  const char16_t* source = u"\u4e2d\u6587 \U0001F600 \u00e9x";
  VynWchar target[32];
  EXPECT_EQ(VynUtilWstrcpy(target, source), target);
  EXPECT_EQ(std::u16string(target), source);
  VynWchar same[8] = u"abc";
  EXPECT_EQ(VynUtilWstrcpy(same, same), same);
  EXPECT_EQ(std::u16string(same), u"abc");
  EXPECT_EQ(VynUtilWstrLen(source), 8);  // the emoji takes two units
  EXPECT_EQ(VynUtilWstrLen(u""), 0);
}

TEST_F(StrutilTest, NarrowFormComparisons) {
  EXPECT_EQ(VynUtilWstrncmp(u"abcX", u"ABCY", 2), 0);
  EXPECT_EQ(VynUtilWstrncmp(u"abcX", u"ABCY", 3), 'X' - 'Y');
  EXPECT_EQ(VynUtilStrwscmp("y_v", u"Y_V"), 0);
  EXPECT_EQ(VynUtilStrwscmp("a", u"B"), 'a' - 'B');
  EXPECT_EQ(VynUtilStrwscmp("\xe9", u"\u00e9"), 0);
  EXPECT_EQ(VynUtilStrnwscmp("front1", u"FRONT2", 4), 0);
  EXPECT_EQ(VynUtilStrnwscmp("front1", u"FRONT2", 5), '1' - '2');
}

TEST_F(StrutilTest, NarrowFormsOfOverlongTextsAreCut) {
  // 300 characters convert to 300 bytes; only the first 259 take part.
  std::u16string a(300, u'k'), b(300, u'k');
  b[280] = u'j';
  EXPECT_EQ(VynUtilStrwscmp(std::string(259, 'k').c_str(), b.c_str()), 0);
  EXPECT_EQ(VynUtilWstrncmp(a.c_str(), b.c_str(), 400), 0);
}

TEST_F(StrutilTest, ConcatenationsInPlace) {
  VynWchar wide[64] = u"plate";
  VynUtilWstrcat(wide, u"_01.drw");
  EXPECT_EQ(std::u16string(wide), u"plate_01.drw");
  VynUtilWstrStrcatToWstr(wide, "\xe9");
  EXPECT_EQ(std::u16string(wide), u"plate_01.drw\u00e9");

  char narrow[64] = "part ";
  EXPECT_EQ(VynUtilStrWstrcatToStr(narrow, u"TOP\u20ac"), narrow);
  EXPECT_STREQ(narrow, "part TOP\x80");
}

TEST_F(StrutilTest, ConcatenationsIntoACallersBufferStayWithinItsSize) {
  VynWchar wide[16];
  EXPECT_EQ(VynUtilStrWstrcatToWstr("sheet", u"_2", wide, 16), wide);
  EXPECT_EQ(std::u16string(wide), u"sheet_2");
  wide[5] = u'#';
  EXPECT_EQ(VynUtilStrWstrcatToWstr("sheet", u"_2", wide, 5), wide);
  EXPECT_EQ(std::u16string(wide), u"shee");
  EXPECT_EQ(wide[5], u'#');
  EXPECT_EQ(VynUtilStrWstrcatToWstr("sheet", u"_2", wide, 1), wide);
  EXPECT_EQ(wide[0], 0);
  EXPECT_EQ(VynUtilStrWstrcatToWstr("sheet", u"_2", wide, 0), nullptr);
  EXPECT_EQ(VynUtilStrWstrcatToWstr("sheet", u"_2", nullptr, 16), nullptr);

  char narrow[8];
  EXPECT_EQ(VynUtilWstrStrcatToStr(u"ab\u00e9", "cd", narrow, 8), narrow);
  EXPECT_STREQ(narrow, "ab\xe9" "cd");
  narrow[6] = '#';
  EXPECT_EQ(VynUtilWstrStrcatToStr(u"ab\u00e9", "cdefgh", narrow, 6), narrow);
  EXPECT_STREQ(narrow, "ab\xe9" "cd");
  EXPECT_EQ(narrow[6], '#');
  EXPECT_EQ(VynUtilWstrStrcatToStr(u"ab", "cd", narrow, 0), nullptr);
  EXPECT_EQ(VynUtilWstrStrcatToStr(u"ab", "cd", nullptr, 8), nullptr);
}

TEST_F(StrutilTest, WstrPrintPadsOnTheRight) {
  struct Case {
    const char16_t* text;
    int width;
    const char* printed;
  };
  for (const Case& c : {Case{u"TOP", 6, "TOP   "}, Case{u"FRONT", 3, "FRONT"},
                        Case{u"ab", 0, "ab"}, Case{u"ab", -4, "ab  "}, Case{u"", 2, "  "}}) {
    yrltest::ConsoleCapture console;
    EXPECT_EQ(VynUtilWstrPrint(c.text, c.width), 0);
    EXPECT_EQ(console.out(), c.printed);
  }
}

}  // namespace
