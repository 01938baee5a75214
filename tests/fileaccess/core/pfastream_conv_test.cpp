// Streams with a text converter: reads and writes convert between the process's EUC
// text and the file's encoding in chunks (checked against glibc's iconv), and the
// incremental scanner (checked against the C library's sscanf).
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "fileaccess/core/pfa.h"
#include "fileaccess/core/pfaconv.h"
#include "fileaccess/core/pfaname.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/platform/iconv_reference.h"
#include "tests/support/temp_dir.h"

namespace {

class ConvertingStream : public yrltest::FileaccessTest {
 protected:
  // A handle on the file (made with bytes when given) with the converter set.
  vek::VynFile* open(const char* mode, int converter, const std::string* bytes = nullptr) {
    if (bytes) yrltest::write_file(name_, *bytes);
    vek::VynFile* file = vek::pfa_fopen_file_vers(name_.c_str(), mode, 0);
    EXPECT_NE(file, nullptr);
    if (file) vek::pfa_put_encode(file, converter);
    return file;
  }
  yrltest::TempDir dir_;
  std::string name_ = dir_.file("text.txt");
};

// Lines of kanji, kana, half-width katakana and ASCII; one longer than a chunk.
std::string sample_euc() {
  std::string text = "\xC6\xFC\xCB\xDC abc\n\x8E\xB1\x8E\xDF\xA5\xBD\n";
  for (int i = 0; i < 700; ++i) text += "\xB0\xA1" "a";
  text += "\n\xF4\xA6 end";
  return text;
}

TEST_F(ConvertingStream, WritesAndReadsBackAsIconvConverts) {
  const std::string euc = sample_euc();
  std::optional<std::string> sjis = yrltest::run_iconv("SHIFT_JIS", "EUC-JP", euc);
  ASSERT_TRUE(sjis);
  std::string jis = euc;
  for (char& c : jis) c = static_cast<char>(c & 0x7F);
  struct Case {
    int converter;
    std::string file;
  };
  for (const Case& c : {Case{vek::PFA_ENCODE_SJIS, *sjis}, Case{vek::PFA_ENCODE_EUC, euc},
                        Case{vek::PFA_ENCODE_JIS, jis}}) {
    // Half by pfa_write_file, half by pfa_fputs.
    vek::VynFile* file = open("w", c.converter);
    std::size_t half = euc.find('\n') + 1;
    EXPECT_EQ(vek::pfa_write_file(file, static_cast<int>(half), euc.data()), vek::PFA_E_NO_ERROR);
    EXPECT_EQ(vek::pfa_fputs(file, euc.c_str() + half), vek::PFA_E_NO_ERROR);
    vek::pfa_dispose(&file);
    EXPECT_TRUE(yrltest::read_file(name_) == c.file) << c.converter;
  }
  // Shift_JIS reads back by blocks of every small size and by lines.
  for (int n : {2, 3, 5, 4096}) {
    vek::VynFile* file = open("r", vek::PFA_ENCODE_SJIS, &*sjis);
    std::string back;
    std::vector<char> block(static_cast<std::size_t>(n));
    int count = 0;
    int result = 0;
    while ((result = vek::pfa_read_file(file, n, &count, block.data())) == vek::PFA_E_NO_ERROR) {
      ASSERT_GT(count, 0);
      back.append(block.data(), static_cast<std::size_t>(count));
    }
    EXPECT_EQ(result, vek::PFA_E_QUIT);
    EXPECT_TRUE(back == euc) << n;
    vek::pfa_dispose(&file);
  }
  vek::VynFile* file = open("r", vek::PFA_ENCODE_SJIS, &*sjis);
  std::string lines;
  char line[3000];
  int count = 0;
  while (vek::pfa_fgets(file, sizeof line, &count, line) == vek::PFA_E_NO_ERROR) {
    EXPECT_EQ(std::string(line).size(), static_cast<std::size_t>(count));
    lines += line;
    lines += '|';
  }
  vek::pfa_dispose(&file);
  std::string expected = euc;
  for (std::size_t at = 0; (at = expected.find('\n', at)) != std::string::npos; at += 2)
    expected.insert(at + 1, "|");
  EXPECT_TRUE(lines == expected + "|");
}

TEST_F(ConvertingStream, ACharacterThatNoLongerFitsStaysInTheStream) {
  const std::string sjis = "a\x82\xA0\xB1" "b\n";
  vek::VynFile* file = open("r", vek::PFA_ENCODE_SJIS, &sjis);
  char buffer[8];
  int count = 0;
  struct Step {
    int n;
    std::string text;
  };
  for (const Step& step : {Step{2, "a"}, Step{2, "\xA4\xA2"}, Step{3, "\x8E\xB1" "b"}, Step{9, "\n"}}) {
    EXPECT_EQ(vek::pfa_read_file(file, step.n, &count, buffer), vek::PFA_E_NO_ERROR);
    EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(count)), step.text);
  }
  EXPECT_EQ(vek::pfa_read_file(file, 4, &count, buffer), vek::PFA_E_QUIT);
  EXPECT_EQ(count, 0);
  vek::pfa_dispose(&file);
  // A line limit inside a character: the line ends before it.
  file = open("r", vek::PFA_ENCODE_SJIS, &sjis);
  EXPECT_EQ(vek::pfa_fgets(file, 3, &count, buffer), vek::PFA_E_NO_ERROR);
  EXPECT_STREQ(buffer, "a");
  EXPECT_EQ(vek::pfa_fgets(file, 8, &count, buffer), vek::PFA_E_NO_ERROR);
  EXPECT_STREQ(buffer, "\xA4\xA2\x8E\xB1" "b\n");
  vek::pfa_dispose(&file);
}

TEST_F(ConvertingStream, TextThatDoesNotConvertIsRefusedWithoutConsumingIt) {
  // An unknown converter value and a byte with no Shift_JIS meaning.
  struct Case {
    int converter;
    std::string bytes;
    std::string before;
  };
  for (const Case& c : {Case{7, "abc", ""}, Case{3, "ab\xF0\x40", "ab"}}) {
    vek::VynFile* file = open("r", c.converter, &c.bytes);
    char buffer[16];
    int count = -1;
    EXPECT_EQ(vek::pfa_read_file(file, 16, &count, buffer), c.before.empty() ? vek::PFA_E_ERROR
                                                                            : vek::PFA_E_NO_ERROR);
    EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(count)), c.before);
    long position = -1;
    EXPECT_EQ(vek::pfa_get_file_position(file, &position), vek::PFA_E_NO_ERROR);
    EXPECT_EQ(position, static_cast<long>(c.before.size()));
    vek::pfa_dispose(&file);
  }
  // Writes: code set 3 has no Shift_JIS form, and an unknown converter writes nothing.
  vek::VynFile* file = open("w", vek::PFA_ENCODE_SJIS);
  EXPECT_EQ(vek::pfa_fputs(file, "\x8F\xB0\xA1"), vek::PFA_E_INVALID_INPUT);
  vek::pfa_put_encode(file, 7);
  EXPECT_EQ(vek::pfa_write_file(file, 3, "abc"), vek::PFA_E_INVALID_INPUT);
  vek::pfa_dispose(&file);
  EXPECT_EQ(yrltest::read_file(name_), "");
}

TEST_F(ConvertingStream, ZeroBytesSucceedOnAClosedHandle) {
  vek::VynFile closed = {};
  closed.magic = vek::VYN_FILE_MAGIC;
  closed.encode = vek::PFA_ENCODE_SJIS;
  char buffer[4];
  int count = -1;
  EXPECT_EQ(vek::pfa_read_file(&closed, 0, &count, buffer), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(vek::pfa_write_file(&closed, 0, buffer), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfa_read_file(&closed, 2, &count, buffer), vek::PFA_E_INACTIVE);
  EXPECT_EQ(vek::pfa_read_and_convert(&closed, 2, &count, buffer, -1), vek::PFA_E_INACTIVE);
  EXPECT_EQ(vek::pfa_fprintf(&closed, "%d", 1), vek::PFA_E_INACTIVE);
}

class IncrementalScan : public yrltest::FileaccessTest {
 protected:
  yrltest::TempDir dir_;
};

TEST_F(IncrementalScan, ScansAsSscanfDoesOverTheWholeText) {
  // Numbers across short and long lines, with windows smaller and larger than a line.
  const std::string text = "12 34\n56\n 78   9 10 11 12 13\n\n-5 6\n7";
  std::vector<int> expected;
  {
    const char* at = text.c_str();
    int value = 0;
    int used = 0;
    while (std::sscanf(at, "%d%n", &value, &used) == 1) {
      expected.push_back(value);
      at += used;
    }
  }
  ASSERT_EQ(expected.size(), 12u);
  std::string name = dir_.file("numbers.txt");
  yrltest::write_file(name, text);
  for (auto [size, threshold] : {std::pair{64, 8}, std::pair{16, 4}, std::pair{12, 6}}) {
    vek::VynFile* file = vek::pfa_fopen_file_vers(name.c_str(), "r", 0);
    vek::PfaFscanfData* state = nullptr;
    ASSERT_EQ(vek::pfa_init_fscanf_data(&state, size, threshold), vek::PFA_E_NO_ERROR);
    std::vector<int> got;
    int value = 0;
    while (vek::pfa_incremental_fscanf(file, state, "%d", &value) == 0) got.push_back(value);
    EXPECT_EQ(got, expected) << size;
    // Once the end flag is set, every further scan gives -1.
    EXPECT_NE(state->end, 0);
    EXPECT_EQ(vek::pfa_incremental_fscanf(file, state, "%d", &value), -1);
    EXPECT_EQ(vek::pfa_clear_fscanf_data(&state), vek::PFA_E_NO_ERROR);
    EXPECT_EQ(state, nullptr);
    vek::pfa_dispose(&file);
  }
}

// A scan that converts some of its items and then stops uses up the text of those
// items: the next scan starts behind them, as sscanf's count of the items converted
// says, and never reads them again.
TEST_F(IncrementalScan, APartialConversionMovesOnPastWhatConverted) {
  std::string name = dir_.file("mixed.txt");
  yrltest::write_file(name, "12 abc 34 x\n");
  vek::VynFile* file = vek::pfa_fopen_file_vers(name.c_str(), "r", 0);
  vek::PfaFscanfData* state = nullptr;
  ASSERT_EQ(vek::pfa_init_fscanf_data(&state, 64, 8), vek::PFA_E_NO_ERROR);
  int a = 0;
  int b = 0;
  char word[16] = "";
  EXPECT_EQ(vek::pfa_incremental_fscanf(file, state, "%d %d", &a, &b), 0);  // one item
  EXPECT_EQ(a, 12);
  EXPECT_EQ(state->position, 2);
  EXPECT_EQ(vek::pfa_incremental_fscanf(file, state, "%s", word), 0);
  EXPECT_STREQ(word, "abc");
  // A literal that did not match ends the scan behind the item before it.
  EXPECT_EQ(vek::pfa_incremental_fscanf(file, state, "%d, %d", &a, &b), 0);
  EXPECT_EQ(a, 34);
  EXPECT_EQ(vek::pfa_incremental_fscanf(file, state, "%s", word), 0);
  EXPECT_STREQ(word, "x");
  EXPECT_EQ(vek::pfa_clear_fscanf_data(&state), vek::PFA_E_NO_ERROR);
  vek::pfa_dispose(&file);
}

TEST_F(IncrementalScan, BadArgumentsAndStatesAreRefused) {
  vek::PfaFscanfData* state = nullptr;
  for (auto [size, threshold] : {std::pair{0, 0}, std::pair{4, 0}, std::pair{4, 4}, std::pair{-1, 1}})
    EXPECT_EQ(vek::pfa_init_fscanf_data(&state, size, threshold), vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(state, nullptr);
  EXPECT_EQ(vek::pfa_clear_fscanf_data(&state), vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(vek::pfa_clear_fscanf_data(nullptr), vek::PFA_E_INVALID_INPUT);
  ASSERT_EQ(vek::pfa_init_fscanf_data(&state, 8, 2), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(state->position, 8);
  EXPECT_EQ(state->valid, 0);
  int value = 0;
  vek::VynFile closed = {};
  closed.magic = vek::VYN_FILE_MAGIC;
  EXPECT_EQ(vek::pfa_incremental_fscanf(&closed, state, "%d", &value), -1);
  EXPECT_EQ(vek::pfa_incremental_fscanf(nullptr, state, "%d", &value), -1);
  std::string name = dir_.file("n.txt");
  yrltest::write_file(name, "1 2\n");
  vek::VynFile* file = vek::pfa_fopen_file_vers(name.c_str(), "r", 0);
  EXPECT_EQ(vek::pfa_incremental_fscanf(file, nullptr, "%d", &value), -1);
  state->position = 9;  // outside the buffer
  EXPECT_EQ(vek::pfa_incremental_fscanf(file, state, "%d", &value), -1);
  state->position = 8;
  EXPECT_EQ(vek::pfa_incremental_fscanf(file, state, "%d %d", &value, &value), 1);
  EXPECT_EQ(vek::pfa_clear_fscanf_data(&state), vek::PFA_E_NO_ERROR);
  vek::pfa_dispose(&file);
}

}  // namespace
