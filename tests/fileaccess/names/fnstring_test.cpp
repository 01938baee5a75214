// Directory delimiters of name texts.
#include "fileaccess/names/fnstring.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/w32/codepage.h"
#include "runtime/text/lang.h"
#include "tests/fileaccess/fileaccess_test.h"

namespace {

class FnString : public yrltest::FileaccessTest {};

std::u16string widen(const std::string& ascii) { return {ascii.begin(), ascii.end()}; }

struct DelimCase {
  int keep_root;
  const char* path;
  int result;
  const char* after;
};

// ASCII names: the rules are the same for narrow and wide text.
const DelimCase kAsciiCases[] = {
    {1, "dir\\", 1, "dir"},
    {1, "dir/", 1, "dir"},
    {1, "C:\\dir\\", 1, "C:\\dir"},
    {1, "dir", 0, "dir"},
    {1, "", 0, ""},
    {1, "\\", 0, "\\"},
    {1, "/", 0, "/"},
    {1, "C:\\", 0, "C:\\"},
    {1, "C:/", 0, "C:/"},
    {1, "\\\\", 0, "\\\\"},
    {1, "dir\\\\", 0, "dir\\\\"},
    {1, "dir/\\", 0, "dir/\\"},
    {1, "C:", 0, "C:"},
    {0, "\\", 1, ""},
    {0, "/", 1, ""},
    {0, "C:\\", 1, "C:"},
    {0, "\\\\", 1, "\\"},
    {0, "dir\\\\", 1, "dir\\"},
    {0, "dir/", 1, "dir"},
    {0, "dir", 0, "dir"},
    {0, "", 0, ""},
};

TEST_F(FnString, RemoveDirDelimTakesOneDelimiterAndKeepsRoots) {
  for (const DelimCase& c : kAsciiCases) {
    std::string path = c.path;
    EXPECT_EQ(vek::remove_dir_delim(path.data(), c.keep_root), c.result)
        << c.path << " keep " << c.keep_root;
    EXPECT_STREQ(path.c_str(), c.after) << c.path << " keep " << c.keep_root;

    std::u16string wide = widen(c.path);
    EXPECT_EQ(vek::remove_dir_w_delim(wide.data(), c.keep_root), c.result)
        << c.path << " keep " << c.keep_root;
    EXPECT_EQ(std::u16string(wide.c_str()), widen(c.after)) << c.path;
  }
  EXPECT_EQ(vek::remove_dir_delim(nullptr, 1), 0);
  EXPECT_EQ(vek::remove_dir_w_delim(nullptr, 0), 0);
}

TEST_F(FnString, TrailBytesOfDoubleByteCharactersAreNoDelimiters) {
  struct Case {
    int language;
    int keep_root;
    const char* path;
    int result;
    const char* after;
  };
  // 0x95 0x5C is one character in code page 932 (Shift_JIS), 0xA5 0x5C one in 950
  // (Big5), 0x81 0x5C one in 936; EUC (Japanese) has no trail byte below 0xA1.
  const Case cases[] = {
      {vek::LANG_GENERIC_MULTIBYTE, 0, "\x95\x5C", 0, "\x95\x5C"},
      {vek::LANG_GENERIC_MULTIBYTE, 1, "dir\\\x95\x5C", 0, "dir\\\x95\x5C"},
      {vek::LANG_GENERIC_MULTIBYTE, 1, "\x95\x5C\\", 1, "\x95\x5C"},
      {vek::LANG_GENERIC_MULTIBYTE, 1, "a\x95\x5C/", 1, "a\x95\x5C"},
      {vek::LANG_CHINESE_TRADITIONAL, 0, "\xA5\x5C", 0, "\xA5\x5C"},
      {vek::LANG_CHINESE_SIMPLIFIED, 0, "x\x81\x5C", 0, "x\x81\x5C"},
      {vek::LANG_JAPANESE, 1, "\xA4\xA2\\", 1, "\xA4\xA2"},
      // A single-byte session reads the same bytes as a character and a delimiter.
      {vek::LANG_ENGLISH, 0, "\x95\x5C", 1, "\x95"},
      {vek::LANG_ENGLISH, 1, "\x95\x5C\\", 0, "\x95\x5C\\"},
  };
  ASSERT_TRUE(w32::set_system_code_page(932));
  for (const Case& c : cases) {
    vek::set_language(c.language);
    std::string path = c.path;
    EXPECT_EQ(vek::remove_dir_delim(path.data(), c.keep_root), c.result)
        << c.language << " " << c.path;
    EXPECT_STREQ(path.c_str(), c.after) << c.language << " " << c.path;
  }
}

TEST_F(FnString, AddsADelimiterWithinItsLimit) {
  struct Case {
    const char* path;
    int maximum;
    int allow_empty;
    int result;
    const char* after;
  };
  const Case cases[] = {
      {"dir", 260, 0, 1, "dir\\"},
      {"dir/", 260, 0, 0, "dir/"},
      {"dir\\", 260, 0, 0, "dir\\"},
      {"", 260, 0, 0, ""},
      {"", 260, 1, 1, "\\"},
      {"abc", 5, 0, 1, "abc\\"},  // 3 + delimiter + terminator fill 5
      {"abcd", 5, 0, 0, "abcd"},   // the length has reached maximum - 1
      {"abcd", -1, 0, 1, "abcd\\"},
  };
  for (const Case& c : cases) {
    char path[16] = {};
    std::strcpy(path, c.path);
    EXPECT_EQ(vek::add_dir_delim(path, c.maximum, '\\', c.allow_empty), c.result) << c.path;
    EXPECT_STREQ(path, c.after) << c.path;
    std::u16string wide = widen(c.path);
    wide.resize(16);
    EXPECT_EQ(vek::add_dir_w_delim(wide.data(), c.maximum, u'\\', c.allow_empty), c.result)
        << c.path;
    EXPECT_EQ(std::u16string(wide.c_str()), widen(c.after)) << c.path;
  }
  EXPECT_EQ(vek::add_dir_delim(nullptr, 260, '\\', 1), 0);
  EXPECT_EQ(vek::add_dir_w_delim(nullptr, 260, u'\\', 1), 0);
  // The trail byte 0x5C of a double-byte character is no delimiter.
  ASSERT_TRUE(w32::set_system_code_page(932));
  vek::set_language(vek::LANG_GENERIC_MULTIBYTE);
  char sjis[8] = "\x95\x5C";
  EXPECT_EQ(vek::add_dir_delim(sjis, 260, '\\', 0), 1);
  EXPECT_STREQ(sjis, "\x95\x5C\\");
}

}  // namespace
