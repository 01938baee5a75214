// UTF-16 to UTF-8, checked against iconv.
#include "host/util/utf16.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/platform/iconv_reference.h"

namespace {

using yrlhost::utf8_from_utf16;

TEST(HostUtf16, WellFormedTextMatchesIconv) {
  const std::u16string texts[] = {
      u"",
      u"Release 25|2002360",
      u"\u00e9t\u00e9 \u00df \u00ff",             // two-byte forms
      u"\u0800\u65e5\u672c\uffff",                // three-byte forms, both ends
      u"\U00010000 \U0001F600 \U0010FFFF",        // surrogate pairs, both ends
      u"\u007f\u0080\u07ff",                      // the one/two-byte borders
  };
  for (const std::u16string& text : texts) {
    std::optional<std::string> reference = yrltest::iconv_encode("UTF-8", text);
    ASSERT_TRUE(reference.has_value());
    EXPECT_EQ(utf8_from_utf16(text.c_str(), text.size() + 1), *reference);
  }
}

TEST(HostUtf16, StopsAtTheTerminatorOrTheCapacity) {
  const VynWchar text[] = u"abc\0def";
  EXPECT_EQ(utf8_from_utf16(text, 8), "abc");
  EXPECT_EQ(utf8_from_utf16(text, 2), "ab");
  EXPECT_EQ(utf8_from_utf16(text, 0), "");
  EXPECT_EQ(utf8_from_utf16(nullptr, 8), "");
  // A pair cut by the capacity is an unpaired high surrogate.
  const VynWchar pair[] = u"\U0001F600";
  EXPECT_EQ(utf8_from_utf16(pair, 1), "\xEF\xBF\xBD");
}

TEST(HostUtf16, UnpairedSurrogatesBecomeTheReplacementCharacter) {
  struct Case {
    std::u16string text;
    std::string utf8;
  };
  const Case cases[] = {
      {{u'a', 0xD800, u'b'}, "a\xEF\xBF\xBD" "b"},
      {{0xDC00, u'a'}, "\xEF\xBF\xBD" "a"},
      {{0xD800, 0xD800, 0xDC00}, "\xEF\xBF\xBD\xF0\x90\x80\x80"},
      {{0xDBFF}, "\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) EXPECT_EQ(utf8_from_utf16(c.text.c_str(), c.text.size()), c.utf8);
}

}  // namespace
