// File names converted between EUC and Shift_JIS, checked against glibc's iconv.
#include "fileaccess/core/pfaconv.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

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
  for (auto converters : {std::pair{3, 3}, std::pair{1, 2}, std::pair{4, 0}, std::pair{0, 4},
                          std::pair{0, -1}}) {
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

// Every character of the JIS X 0208 grid that iconv knows, and the half-width
// katakana, as EUC text.
std::vector<std::string> euc_grid() {
  std::vector<std::string> cells;
  for (int row = 0xA1; row <= 0xFE; ++row)
    for (int cell = 0xA1; cell <= 0xFE; ++cell) {
      std::string euc{static_cast<char>(row), static_cast<char>(cell)};
      if (yrltest::run_iconv("UTF-8", "EUC-JP", euc)) cells.push_back(euc);
    }
  for (int kana = 0xA1; kana <= 0xDF; ++kana)
    cells.push_back(std::string{'\x8E', static_cast<char>(kana)});
  return cells;
}

// Writes euc through the write convertor in chunks; the file bytes.
std::string write_all(int converter, const std::string& euc) {
  std::string file;
  const char* source = euc.data();
  int left = static_cast<int>(euc.size());
  char chunk[vek::PFA_CHUNK_SIZE + 1];
  while (left > 0) {
    int n = vek::pfa_write_convertor(converter, &left, &source, chunk);
    EXPECT_EQ(chunk[n], '\0');
    if (n == 0) break;
    file.append(chunk, static_cast<std::size_t>(n));
  }
  EXPECT_EQ(left, 0);
  return file;
}

// Reads file bytes through the read convertor with a small room, as a converting read
// does; the EUC text.
std::string read_all(int converter, const std::string& file, int room) {
  std::string euc;
  std::size_t at = 0;
  while (at < file.size()) {
    std::vector<char> dest(static_cast<std::size_t>(room));
    int produced = 0;
    int stop = 0;
    int used = vek::pfa_read_convertor(converter, room, static_cast<int>(file.size() - at),
                                       &produced, dest.data(), -1, &stop, file.data() + at);
    EXPECT_LE(produced, room);
    if (used == 0) break;
    euc.append(dest.data(), static_cast<std::size_t>(produced));
    at += static_cast<std::size_t>(used);
  }
  EXPECT_EQ(at, file.size());
  return euc;
}

TEST(TextConvertors, EveryGridCellConvertsAsIconvDoes) {
  std::vector<std::string> cells = euc_grid();
  ASSERT_GT(cells.size(), 6000u);
  std::string euc;
  for (const std::string& cell : cells) euc += cell + "a";
  std::optional<std::string> sjis = yrltest::run_iconv("SHIFT_JIS", "EUC-JP", euc);
  ASSERT_TRUE(sjis);
  std::string jis = euc;  // JIS: the EUC bytes with bit 7 cleared
  for (char& c : jis) c = static_cast<char>(c & 0x7F);
  struct Case {
    int converter;
    const std::string& file;
  };
  for (const Case& c : {Case{vek::PFA_ENCODE_EUC, euc}, Case{vek::PFA_ENCODE_SJIS, *sjis},
                        Case{vek::PFA_ENCODE_JIS, jis}}) {
    EXPECT_TRUE(write_all(c.converter, euc) == c.file) << c.converter;
  }
  // Reads back into EUC; rooms of 2 and 3 bytes cut the text at every place.
  for (int room : {2, 3, 1000}) {
    EXPECT_TRUE(read_all(vek::PFA_ENCODE_EUC, euc, room) == euc) << room;
    EXPECT_TRUE(read_all(vek::PFA_ENCODE_SJIS, *sjis, room) == euc) << room;
  }
  EXPECT_TRUE(read_all(vek::PFA_ENCODE_NONE, euc, 7) == euc);
}

TEST(TextConvertors, ACharacterThatDoesNotFitOrIsCutShortIsLeftUnconsumed) {
  struct Case {
    int converter;
    std::string raw;
    int room;
    int consumed;
    std::string produced;
  };
  const Case cases[] = {
      {3, "a\x82\xA0", 2, 1, "a"},        // the kanji needs two more bytes
      {3, "a\xB1", 2, 1, "a"},             // half-width katakana: two EUC bytes
      {3, "a\xB1", 3, 2, "a\x8E\xB1"},
      {3, "a\x82", 10, 1, "a"},            // lead byte at the end of the raw text
      {3, "a\xF0\x40" "b", 10, 1, "a"},     // no Shift_JIS lead byte
      {1, "a\x8F\xB0", 10, 1, "a"},       // code set 3 cut short
      {1, "\x8F\xB0\xA1z", 3, 3, "\x8F\xB0\xA1"},
      {1, "\xA4", 10, 0, ""},
      {5, "abc", 10, 0, ""},                // unknown converters consume nothing
      {-1, "abc", 10, 0, ""},
      {0, "abcdef", 4, 4, "abcd"},          // plain copy bounded by the room
  };
  for (const Case& c : cases) {
    char dest[16];
    int produced = -1;
    int stop = -1;
    EXPECT_EQ(vek::pfa_read_convertor(c.converter, c.room, static_cast<int>(c.raw.size()),
                                      &produced, dest, -1, &stop, c.raw.data()),
              c.consumed)
        << c.raw;
    EXPECT_EQ(std::string(dest, static_cast<std::size_t>(produced)), c.produced) << c.raw;
    EXPECT_EQ(stop, 0);
  }
}

TEST(TextConvertors, TheStopCharacterEndsAReadAndIsReported) {
  const std::string raw = "\x82\xA0\nnext";
  char dest[16];
  int produced = 0;
  int stop = 0;
  EXPECT_EQ(vek::pfa_read_convertor(3, 16, static_cast<int>(raw.size()), &produced, dest, '\n',
                                    &stop, raw.data()),
            3);
  EXPECT_EQ(std::string(dest, static_cast<std::size_t>(produced)), "\xA4\xA2\n");
  EXPECT_EQ(stop, 1);
}

TEST(TextConvertors, WritesStopAtTheChunkAndAtWhatHasNoForm) {
  // 1023 ASCII bytes and a kanji: the kanji waits for the next chunk.
  std::string euc = std::string(1023, 'a') + "\xA4\xA2";
  const char* source = euc.data();
  int left = static_cast<int>(euc.size());
  char chunk[vek::PFA_CHUNK_SIZE + 1];
  EXPECT_EQ(vek::pfa_write_convertor(3, &left, &source, chunk), 1023);
  EXPECT_EQ(left, 2);
  EXPECT_EQ(vek::pfa_write_convertor(3, &left, &source, chunk), 2);
  EXPECT_STREQ(chunk, "\x82\xA0");
  // Code set 3 has no Shift_JIS form: the writer stops in front of it.
  std::string cs3 = "ab\x8F\xB0\xA1";
  source = cs3.data();
  left = static_cast<int>(cs3.size());
  EXPECT_EQ(vek::pfa_write_convertor(3, &left, &source, chunk), 2);
  EXPECT_EQ(left, 3);
  EXPECT_EQ(vek::pfa_write_convertor(3, &left, &source, chunk), 0);
  // Plain copies go by 1024 bytes.
  std::string plain(1500, 'p');
  source = plain.data();
  left = 1500;
  EXPECT_EQ(vek::pfa_write_convertor(0, &left, &source, chunk), 1024);
  EXPECT_EQ(left, 476);
}

}  // namespace
