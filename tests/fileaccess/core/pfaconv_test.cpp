// File names converted between EUC and Shift_JIS, checked against glibc's iconv.
#include "fileaccess/core/pfaconv.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fileaccess/core/pfa.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/platform/iconv_reference.h"
#include "tests/support/console_capture.h"

namespace {

class FilenameConverter : public yrltest::FileaccessTest {
 protected:
  yrltest::ConsoleCapture console;  // every change is printed

  // Converts name; *result gets the code, the text is returned.
  static std::string convert(const std::string& name, int read, int write, int* result) {
    std::string in = name;
    char out[vek::PFA_NAME_SIZE + 8];
    std::memset(out, 'z', sizeof out);
    *result = vek::pfa_filename_converter(in.data(), read, out, write);
    EXPECT_EQ(in, name);  // with an out buffer the name stays
    return out;
  }
};

TEST_F(FilenameConverter, EucAndShiftJisRoundTripAsIconvConvertsThem) {
  // Hiragana, kanji of the first and the last row, katakana with a Shift_JIS trail byte
  // of 0x5C, half-width katakana, ASCII around them.
  const char* const names[] = {
      "plain.txt",
      "\xA4\xA2\xA4\xA4.prt",
      "C:\\dir\\\xC6\xFC\xCB\xDC.drw.3",
      "\xB0\xA1-\xF4\xA6",
      "\xA5\xBD\\\xA5\xBD",
      "\x8E\xB1\x8E\xDF x",
  };
  for (const char* euc : names) {
    std::optional<std::string> sjis = yrltest::run_iconv("SHIFT_JIS", "EUC-JP", euc);
    ASSERT_TRUE(sjis) << euc;
    int result = -1;
    EXPECT_EQ(convert(euc, vek::PFA_ENCODE_NONE, vek::PFA_ENCODE_SJIS, &result), *sjis) << euc;
    EXPECT_EQ(result, vek::PFA_E_NO_ERROR);
    EXPECT_EQ(convert(*sjis, vek::PFA_ENCODE_SJIS, vek::PFA_ENCODE_NONE, &result), euc) << euc;
    EXPECT_EQ(result, vek::PFA_E_NO_ERROR);
  }
}

TEST_F(FilenameConverter, WhatCannotBeConvertedWholeGivesAnEmptyName) {
  struct Case {
    std::string name;
    int read;
    int write;
  };
  const Case cases[] = {
      {"a\x8F\xB0\xA1", 0, 3},  // EUC code set 3 has no Shift_JIS form
      {"ab\xA4", 0, 3},         // cut short
      {"\xA4\x41", 0, 3},       // a trail byte outside EUC
      {"\x8E\x41", 0, 3},
      {std::string(130, '\xB1'), 3, 0},  // 130 half-width katakana take 260 bytes in EUC
      {std::string(260, 'n'), 0, 0},
      {std::string(260, 'n'), 0, 3},
  };
  for (const Case& c : cases) {
    int result = -1;
    EXPECT_EQ(convert(c.name, c.read, c.write, &result), "") << c.name;
    EXPECT_EQ(result, vek::PFA_E_ERROR) << c.name;
  }
  // The longest names that fit.
  int result = -1;
  EXPECT_EQ(convert(std::string(129, '\xB1'), 3, 0, &result).size(), 258u);
  EXPECT_EQ(convert(std::string(259, 'n'), 0, 0, &result), std::string(259, 'n'));
  EXPECT_EQ(result, vek::PFA_E_NO_ERROR);
}

TEST_F(FilenameConverter, BadArgumentsAreRefused) {
  char name[] = "x";
  char out[vek::PFA_NAME_SIZE] = "kept";
  for (auto converters : {std::pair{3, 3}, std::pair{1, 0}, std::pair{0, 2}, std::pair{0, 4}}) {
    EXPECT_EQ(vek::pfa_filename_converter(name, converters.first, out, converters.second),
              vek::PFA_E_INVALID_INPUT);
  }
  EXPECT_EQ(vek::pfa_filename_converter(nullptr, 0, out, 3), vek::PFA_E_INVALID_INPUT);
  EXPECT_STREQ(out, "kept");
}

TEST_F(FilenameConverter, WithoutAnOutBufferTheNameIsConvertedAndChangesArePrinted) {
  console.clear();
  char name[vek::PFA_NAME_SIZE] = "\xA4\xA2.txt";
  EXPECT_EQ(vek::pfa_filename_converter(name, 0, nullptr, 3), vek::PFA_E_NO_ERROR);
  EXPECT_STREQ(name, "\x82\xA0.txt");
  EXPECT_EQ(console.out(),
            "pfa_filename_converter: change made\n   \xA4\xA2.txt\n   \x82\xA0.txt\n");
  console.clear();
  char same[] = "same.txt";
  char out[vek::PFA_NAME_SIZE];
  for (int read : {0, 3}) {
    EXPECT_EQ(vek::pfa_filename_converter(same, read, out, 0), vek::PFA_E_NO_ERROR);
    EXPECT_STREQ(out, "same.txt");
  }
  EXPECT_EQ(console.out(), "");
}

TEST_F(FilenameConverter, WithoutAnOutBufferALongerResultIsRefused) {
  // Half-width katakana are one Shift_JIS byte and two EUC bytes: the caller's buffer
  // holds just the name, so the longer result must not be written over it.
  char exact[] = "\xB1\xB2.txt";
  console.clear();
  EXPECT_EQ(vek::pfa_filename_converter(exact, 3, nullptr, 0), vek::PFA_E_ERROR);
  EXPECT_STREQ(exact, "\xB1\xB2.txt");
  EXPECT_EQ(console.out(), "");
  // With an out buffer the same name converts.
  char out[vek::PFA_NAME_SIZE];
  EXPECT_EQ(vek::pfa_filename_converter(exact, 3, out, 0), vek::PFA_E_NO_ERROR);
  EXPECT_STREQ(out, "\x8E\xB1\x8E\xB2.txt");
}

}  // namespace
