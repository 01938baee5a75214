// The compressor's stream layout at its edges: header and variant, width growth, the
// last group, the full table with its ratio test and CLEAR, and the first call.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/fileaccess/codec/lzw_support.h"
#include "tests/fileaccess/fileaccess_test.h"

namespace {

using yrltest::lzw_compress;
using yrltest::lzw_decompress;
using yrltest::random_bytes;
using yrltest::run_tool;
using yrltest::text_bytes;

// Code i of a run of width n starting at byte `at` of the stream, read bit by bit.
unsigned code_at(const std::string& stream, std::size_t at, int n, std::size_t i) {
  unsigned code = 0;
  for (int b = 0; b < n; ++b) {
    std::size_t bit = i * static_cast<std::size_t>(n) + static_cast<std::size_t>(b);
    unsigned char byte = static_cast<unsigned char>(stream[at + bit / 8]);
    code |= ((byte >> (bit % 8)) & 1u) << b;
  }
  return code;
}

// One stream driven call by call, for looking at the state between calls.
class LzwCompress : public yrltest::FileaccessTest {
 protected:
  void TearDown() override {
    std::vector<unsigned char> rest(256);
    unsigned char* out = rest.data();
    vek::compress_buffer_finish(&out, &state_);
    FileaccessTest::TearDown();
  }
  std::string call(const std::string& data, int mode) {
    std::vector<unsigned char> buffer(2 * data.size() + 256);
    unsigned char* out = buffer.data();
    int n = vek::compress_buffer(&out, reinterpret_cast<const unsigned char*>(data.data()),
                                 &state_, static_cast<int>(data.size()), mode);
    EXPECT_EQ(out, buffer.data()) << "the caller's pointer is not moved";
    std::string got(reinterpret_cast<char*>(buffer.data()), static_cast<std::size_t>(n));
    stream_ += got;
    data_ += data;
    return got;
  }
  std::string finish() {
    std::vector<unsigned char> buffer(256);
    unsigned char* out = buffer.data();
    int n = vek::compress_buffer_finish(&out, &state_);
    EXPECT_EQ(state_, nullptr);
    std::string got(reinterpret_cast<char*>(buffer.data()), static_cast<std::size_t>(n));
    stream_ += got;
    return got;
  }
  // The stream so far and the input so far decode to each other with both tools.
  void expect_tools_give_back() {
    std::string back;
    ASSERT_EQ(run_tool("gzip -dc", stream_, &back), 0);
    EXPECT_TRUE(back == data_);
    ASSERT_EQ(run_tool("compress -dc", stream_, &back), 0);
    EXPECT_TRUE(back == data_);
    ASSERT_EQ(lzw_decompress(stream_, &back), 0);
    EXPECT_TRUE(back == data_);
  }
  vek::compress_state* state_ = nullptr;
  std::string stream_;
  std::string data_;
};

TEST_F(LzwCompress, OneByteGivesTheHeaderTheByteAndAZero) {
  EXPECT_EQ(lzw_compress("A", 2), std::string("\x1F\x9D\x10" "A", 4) + '\0');
  EXPECT_EQ(lzw_compress(std::string(1, '\xFF'), 0), std::string("\x1F\x9D\x10\xFF\x00", 5));
}

// "ABAB": the codes A, B and then AB, the first new entry.
TEST_F(LzwCompress, TheFirstCallsLengthDecidesBlockModeAndTheFirstNewCode) {
  struct Case {
    std::size_t length;
    int mode;
    unsigned char flags;
    unsigned first_new;
  };
  const Case cases[] = {
      {127999, 0, 0x10, 256}, {127999, 1, 0x10, 256}, {127999, 2, 0x10, 256},
      {128000, 0, 0x10, 256}, {128000, 1, 0x10, 256}, {128000, 2, 0x90, 257},
      {128000, 7, 0x10, 256},  // an unknown mode is mode 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.length) + " mode " + std::to_string(c.mode));
    std::string data = "ABAB" + text_bytes(c.length - 4, 1);
    std::string stream = lzw_compress(data, c.mode, {c.length});
    ASSERT_GT(stream.size(), 8u);
    EXPECT_EQ(static_cast<unsigned char>(stream[2]), c.flags);
    EXPECT_EQ(code_at(stream, 3, 9, 0), unsigned{'A'});
    EXPECT_EQ(code_at(stream, 3, 9, 1), unsigned{'B'});
    EXPECT_EQ(code_at(stream, 3, 9, 2), c.first_new);
  }
}

// Input whose first 300 bytes repeat no pair, so each of them is a code of its own.
std::string single_byte_codes(std::size_t length) {
  std::string data;
  for (int i = 0; i < 256; ++i) data += static_cast<char>(i);
  for (int i = 0; i < 44; ++i) data += static_cast<char>(2 * i + 1);
  return data + text_bytes(length - data.size(), 2);
}

TEST_F(LzwCompress, TheWidthGrowsAfter256CodesInBlockModeAnd257Without) {
  struct Case {
    int mode;
    std::size_t codes_at_9;
    std::size_t width10_at;  // the first 10-bit code's byte, a multiple of 9 past the header
  };
  for (Case c : {Case{2, 256, 3 + 288}, Case{0, 257, 3 + 297}}) {
    SCOPED_TRACE(c.mode);
    std::string data = single_byte_codes(130000);
    std::string stream = lzw_compress(data, c.mode, {data.size()});
    for (std::size_t i = 0; i < c.codes_at_9; ++i)
      ASSERT_EQ(code_at(stream, 3, 9, i), static_cast<unsigned char>(data[i])) << i;
    // The group under way was filled with zero codes.
    for (std::size_t i = c.codes_at_9; (i * 9) % 72; ++i) EXPECT_EQ(code_at(stream, 3, 9, i), 0u);
    EXPECT_EQ(code_at(stream, c.width10_at, 10, 0),
              static_cast<unsigned char>(data[c.codes_at_9]));
  }
}

TEST_F(LzwCompress, TheLastGroupKeepsTheBytesItsCodesUse) {
  // c codes of 9 bits: ceil(9c / 8) bytes after the header.
  for (std::size_t c = 1; c <= 8; ++c) {
    std::string data = std::string("ABCDEFGH").substr(0, c);
    EXPECT_EQ(lzw_compress(data, 0).size(), 3 + (9 * c + 7) / 8) << c;
  }
}

// 257 bytes without a repeated pair: 257 codes of 9 bits, and the entry made for the
// last pair (511) makes the growth due. The 257th code opens the 33rd group, which goes
// out whole, the code and seven zero codes in 9 bytes (2 bytes if cut), and the readers
// drop the zero codes as the filling of a growth.
TEST_F(LzwCompress, TheLastGroupIsWrittenWholeWhenTheWidthGrowsAtTheEnd) {
  std::string data;
  for (int i = 0; i < 256; ++i) data += static_cast<char>(i);
  data += 'A';
  std::string stream = lzw_compress(data, 0);
  ASSERT_EQ(stream.size(), 3u + 32 * 9 + 9);
  for (std::size_t i = 0; i < 256; ++i) ASSERT_EQ(code_at(stream, 3, 9, i), i) << i;
  EXPECT_EQ(stream.substr(3 + 32 * 9), std::string("A") + std::string(8, '\0'));
  stream_ = stream;
  data_ = data;
  expect_tools_give_back();
}

TEST_F(LzwCompress, AFirstCallWithoutInputMakesNoStreamAndFinishWritesNothing) {
  std::vector<unsigned char> buffer(256, 0xEE);
  unsigned char* out = buffer.data();
  const unsigned char byte = 'x';
  EXPECT_EQ(vek::compress_buffer(&out, &byte, &state_, 0, 2), 0);
  EXPECT_EQ(vek::compress_buffer(&out, nullptr, &state_, 5, 2), 0);
  EXPECT_EQ(state_, nullptr);
  EXPECT_EQ(vek::compress_buffer_finish(&out, &state_), 0);
  EXPECT_EQ(buffer[0], 0xEE);
}

// Random data fills the table and writes more than it reads: the ratio falls to 0 and
// a reset is due; only a call of more than 64,000 bytes acts on it.
TEST_F(LzwCompress, AFallingRatioWritesClearOnlyAtTheStartOfALongCall) {
  call(random_bytes(200000, 3), 2);
  ASSERT_EQ(state_->free_ent, 65536);
  ASSERT_EQ(state_->reset_due, 1);
  std::string plain = call(text_bytes(64000, 4), 2);
  EXPECT_EQ(state_->reset_due, 1);
  EXPECT_EQ(state_->free_ent, 65536);
  int pos16 = state_->group_pos16;
  unsigned ent = state_->ent;
  std::string cleared = call(text_bytes(64001, 5), 2);
  EXPECT_EQ(state_->reset_due, 0);
  ASSERT_GT(cleared.size(), 20u);
  EXPECT_EQ(code_at(cleared, 0, 16, 0), ent);
  EXPECT_EQ(code_at(cleared, 0, 16, 1), 256u);
  // Zero codes close the CLEAR's group of 8 counted from the first 16-bit code.
  std::size_t zeros = 0;
  while (code_at(cleared, 0, 16, 2 + zeros) == 0) ++zeros;
  EXPECT_EQ((static_cast<std::size_t>(pos16) + 2 + zeros) % 8, 0u);
  finish();
  expect_tools_give_back();
}

// A call that writes nothing at full table leaves the ratio test as it was (dividing
// by its 0 bytes ended the process).
TEST_F(LzwCompress, ACallThatWritesNothingAtFullTableKeepsTheRatioTest) {
  call(text_bytes(1500000, 6), 2);
  ASSERT_EQ(state_->free_ent, 65536);
  int reset_due = state_->reset_due;
  int best = state_->best_ratio;
  EXPECT_EQ(call("", 2), "");
  std::vector<unsigned char> buffer(256);
  unsigned char* out = buffer.data();
  const unsigned char byte = 'a';
  EXPECT_EQ(vek::compress_buffer(&out, &byte, &state_, 0, 2), 0);
  EXPECT_EQ(state_->reset_due, reset_due);
  EXPECT_EQ(state_->best_ratio, best);
  finish();
  expect_tools_give_back();
}

// The header announced block mode: a reset started by a later call in another mode
// still begins the new table at 257 (at 256 its first code would read as CLEAR).
TEST_F(LzwCompress, AResetStaysInBlockModeWhateverTheLaterMode) {
  for (int later_mode : {0, 1, 5}) {
    SCOPED_TRACE(later_mode);
    stream_.clear();
    data_.clear();
    call(random_bytes(200000, 7), 2);
    ASSERT_EQ(state_->reset_due, 1);
    call("ABABAB" + text_bytes(80000, 8), later_mode);
    EXPECT_EQ(state_->block_mode, 1);
    call(text_bytes(70000, 9), later_mode);
    finish();
    expect_tools_give_back();
  }
}

TEST_F(LzwCompress, StreamsFedInAnyPiecesDecodeWithTheTools) {
  const std::string data = text_bytes(600000, 10) + random_bytes(300000, 11);
  for (const std::vector<std::size_t>& pieces :
       {std::vector<std::size_t>{130000, 1, 7, 70000, 65536}, std::vector<std::size_t>{100, 3},
        std::vector<std::size_t>{200000, 64001}}) {
    std::string stream = lzw_compress(data, 2, pieces);
    std::string back;
    ASSERT_EQ(run_tool("gzip -dc", stream, &back), 0);
    EXPECT_TRUE(back == data) << pieces[0];
  }
}

// Clearing a stream of the hash variant for the direct tables makes those tables
// (there were none to clear) and goes on with them.
TEST_F(LzwCompress, InitOnAStateOfTheHashVariantMakesTheDirectTables) {
  call("ABABAB", 2);
  ASSERT_EQ(state_->variant, 0);
  ASSERT_EQ(state_->direct_table, nullptr);
  vek::compress_buffer_init(&state_, 2);
  EXPECT_EQ(state_->variant, 1);
  EXPECT_EQ(state_->free_ent, 257);
  EXPECT_GT(call(text_bytes(1000, 1), 2).size(), 0u);
  finish();
}

// Text fills the table in its first call; each later call at full table is judged by
// its own input/output ratio against the best so far: better raises the best, equal
// keeps the table, worse (not only a ratio of 0) makes a reset due.
TEST_F(LzwCompress, TheRatioOfCompressibleCallsDecidesTheReset) {
  auto ratio_of = [](std::size_t in, const std::string& out) {
    return static_cast<int>(in / out.size());
  };
  call(text_bytes(1500000, 6), 2);
  ASSERT_EQ(state_->free_ent, 65536);
  int filling = state_->best_ratio;
  ASSERT_GT(filling, 0);
  EXPECT_EQ(state_->reset_due, 0);

  // With the table built, text of the same kind compresses better than while filling.
  std::string first = text_bytes(200000, 13);
  int best = ratio_of(first.size(), call(first, 2));
  ASSERT_GT(best, filling);
  EXPECT_EQ(state_->reset_due, 0);
  EXPECT_EQ(state_->best_ratio, best);

  // The same ratio again keeps the table.
  std::string same = text_bytes(200000, 16);
  ASSERT_EQ(ratio_of(same.size(), call(same, 2)), best);
  EXPECT_EQ(state_->reset_due, 0);
  EXPECT_EQ(state_->best_ratio, best);

  // Text with a random byte in every 16 compresses worse, though far from 0.
  std::string noisy = text_bytes(200000, 14);
  const std::string noise = random_bytes(noisy.size() / 16, 17);
  for (std::size_t i = 0; i < noise.size(); ++i) noisy[16 * i] = noise[i];
  int worse = ratio_of(noisy.size(), call(noisy, 2));
  ASSERT_GT(worse, 0);
  ASSERT_LT(worse, best);
  EXPECT_EQ(state_->reset_due, 1);
  EXPECT_EQ(state_->best_ratio, best);

  unsigned ent = state_->ent;
  std::string cleared = call(text_bytes(70000, 15), 2);
  EXPECT_EQ(code_at(cleared, 0, 16, 0), ent);
  EXPECT_EQ(code_at(cleared, 0, 16, 1), 256u);
  finish();
  expect_tools_give_back();
}

// The switch is only kept for callers: streams are the same whatever it holds, and a
// caller puts back what it replaced.
TEST_F(LzwCompress, TheOutputSwitchChangesNoStream) {
  const std::string data = text_bytes(200000, 12);
  const std::string plain = lzw_compress(data, 2);
  int before = vek::set_compress_output_files(1);
  EXPECT_TRUE(lzw_compress(data, 2) == plain);
  EXPECT_EQ(vek::set_compress_output_files(before), 1);
  EXPECT_EQ(vek::get_compress_output_files(), before);
}

}  // namespace
