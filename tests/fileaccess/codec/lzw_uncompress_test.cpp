// The decompressor at its edges: pieces of any size, the header, CLEAR wherever its
// group comes from, broken streams, the spare stores and bounded memory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/memory/getmem.h"
#include "tests/fileaccess/codec/lzw_support.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/support/console_capture.h"

#if defined(__SANITIZE_ADDRESS__)
#define LZW_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LZW_SANITIZED 1
#endif
#endif

namespace {

using yrltest::LzwDecoder;
using yrltest::lzw_compress;
using yrltest::lzw_decompress;
using yrltest::random_bytes;
using yrltest::run_tool;
using yrltest::text_bytes;

class LzwUncompress : public yrltest::FileaccessTest {};

// A block-mode stream with a CLEAR: a full table of random data, then text in a later
// call of more than 64,000 bytes.
std::string stream_with_clear(std::string* data) {
  *data = random_bytes(200000, 21) + text_bytes(90000, 22) + random_bytes(5000, 23);
  return lzw_compress(*data, 2, {200000, 90000});
}

// The public tool's CLEARs at every largest width from 10 to 16: text, random, text.
std::string tool_stream(int bits, std::string* data) {
  *data = text_bytes(600000, 24) + random_bytes(400000, 25) + text_bytes(300000, 26);
  std::string stream;
  EXPECT_EQ(run_tool("compress -c -f -b" + std::to_string(bits), *data, &stream), 0);
  return stream;
}

TEST_F(LzwUncompress, PiecesOfAnySizeDecodeAsTheWholeStream) {
  std::vector<std::pair<std::string, std::string>> streams;  // {stream, data}
  std::string data;
  std::string stream = stream_with_clear(&data);
  streams.push_back({stream, data});
  for (int bits : {10, 12, 13, 16}) {
    stream = tool_stream(bits, &data);
    streams.push_back({stream, data});
  }
  data = text_bytes(50000, 27);
  streams.push_back({lzw_compress(data, 0), data});
  for (const auto& [z, plain] : streams) {
    for (const std::vector<std::size_t>& pieces :
         {std::vector<std::size_t>{1}, std::vector<std::size_t>{3, 1}, {2, 5, 13},
          {1, 1, 16, 9, 31}}) {
      std::string back;
      ASSERT_EQ(lzw_decompress(z, &back, pieces), 0) << pieces.size();
      EXPECT_TRUE(back == plain) << pieces.size() << " " << back.size() << " " << plain.size();
    }
  }
}

TEST_F(LzwUncompress, CodesTheTableJustMadeAndCode256WithoutBlockMode) {
  struct Case {
    std::string data;
    int mode;
  };
  for (const Case& c : {Case{"ABABABA", 0}, Case{"AAAAAAAAAAAAAAAAAAAAAAAA", 0},
                        Case{std::string(200000, 'A'), 2}, Case{std::string(200000, 'A'), 0}}) {
    std::string back;
    ASSERT_EQ(lzw_decompress(lzw_compress(c.data, c.mode), &back), 0);
    EXPECT_TRUE(back == c.data) << c.data.size();
  }
  // "ABABABA": A, B, 256 (AB) - without block mode 256 is an ordinary entry.
  std::string stream = lzw_compress("ABABABA", 0);
  EXPECT_EQ(static_cast<unsigned char>(stream[5]) >> 2 | (stream[6] & 0x07) << 6, 256);
}

TEST_F(LzwUncompress, ATrailingPartialGroupGivesTheCodesItsWholeBytesHold) {
  // Seven 9-bit codes take 8 bytes; 5 of them hold floor(40 / 9) = 4 codes.
  std::string stream = lzw_compress("ABCDEFG", 0);
  ASSERT_EQ(stream.size(), 3u + 8u);
  struct Case {
    std::size_t bytes;
    const char* decoded;
  };
  for (Case c : {Case{8, "ABCDEFG"}, Case{5, "ABCD"}, Case{2, "A"}, Case{1, ""}, Case{0, ""}}) {
    std::string back;
    EXPECT_EQ(lzw_decompress(stream.substr(0, 3 + c.bytes), &back), 0) << c.bytes;
    EXPECT_EQ(back, c.decoded) << c.bytes;
  }
}

// The header may come one byte at a time; a stream that ends inside it is broken.
TEST_F(LzwUncompress, AHeaderIsKeptUntilWholeAndAStreamEndingInItIsBroken) {
  std::string data = text_bytes(3000, 28);
  std::string stream = lzw_compress(data, 0);
  for (std::vector<std::size_t> pieces : {std::vector<std::size_t>{1, 1, 1, 4096},
                                          std::vector<std::size_t>{2, 1, 4096},
                                          std::vector<std::size_t>{1, 2, 4096}}) {
    std::string back;
    ASSERT_EQ(lzw_decompress(stream, &back, pieces), 0);
    EXPECT_TRUE(back == data);
  }
  for (std::string cut : {std::string("\x1F"), std::string("\x1F\x9D")}) {
    std::string back;
    EXPECT_EQ(lzw_decompress(cut, &back, {1}), -1) << cut.size();
    EXPECT_EQ(lzw_decompress(cut, &back), -1) << cut.size();
  }
  std::string back = "x";
  EXPECT_EQ(lzw_decompress("", &back), 0);
  EXPECT_EQ(back, "");
}

TEST_F(LzwUncompress, OnlyAStreamWithTheMagicAndALargestWidthFrom9To16IsTaken) {
  struct Case {
    const char* header;
    int status;
  };
  const Case cases[] = {
      {"\x1F\x9D\x10", 0}, {"\x1F\x9D\x90", 0}, {"\x1F\x9D\x89", 0}, {"\x1F\x9D\x0C", 0},
      {"\x1F\x9E\x10", -1}, {"\x1E\x9D\x10", -1}, {"\x9D\x1F\x10", -1},
      {"\x1F\x9D\x08", -1}, {"\x1F\x9D\x11", -1}, {"\x1F\x9D\x1F", -1}, {"\x1F\x8B\x08", -1},
  };
  show_serious_reports();
  for (const Case& c : cases) {
    yrltest::ConsoleCapture console;
    std::string back;
    // "A" as one 9-bit code.
    EXPECT_EQ(lzw_decompress(std::string(c.header, 3) + "A" + '\0', &back), c.status) << c.header;
    if (c.status == 0) {
      EXPECT_EQ(back, "A");
    } else {
      EXPECT_NE(console.out().find("uncompress_buffer:  bad things happened"), std::string::npos)
          << console.out();
    }
  }
}

// A code that is not defined breaks the stream: the bytes before it come out, then
// every call reports the fault, and finish does too.
TEST_F(LzwUncompress, ABrokenStreamGivesItsGoodBytesThenFailsOnEveryCall) {
  std::string data = "ABCDEFG";
  std::string stream = lzw_compress(data, 0);
  // Code 5 of the group becomes 300, which no entry defines yet.
  std::string bad = stream;
  std::uint16_t codes[8] = {'A', 'B', 'C', 'D', 'E', 300, 'G', 0};
  unsigned char group[9] = {};
  for (int i = 0; i < 8; ++i)
    for (int b = 0; b < 9; ++b)
      if (codes[i] >> b & 1) group[(i * 9 + b) / 8] |= static_cast<unsigned char>(1 << ((i * 9 + b) % 8));
  bad = std::string("\x1F\x9D\x10", 3) + std::string(reinterpret_cast<char*>(group), 9);
  show_serious_reports();
  yrltest::ConsoleCapture console;
  LzwDecoder d;
  EXPECT_EQ(d.feed(reinterpret_cast<const unsigned char*>(bad.data()), bad.size()), -1);
  EXPECT_EQ(d.bytes, "ABCDE");
  EXPECT_EQ(d.feed(reinterpret_cast<const unsigned char*>(stream.data()), 3), -1);
  EXPECT_EQ(d.finish(), -1);
  EXPECT_EQ(d.state, nullptr);
  std::size_t reports = 0;
  for (std::size_t at = 0; (at = console.out().find("bad things happened", at)) != std::string::npos; ++at)
    ++reports;
  EXPECT_EQ(reports, 3u);
}

// Below the largest width a CLEAR is no part of a stream.
TEST_F(LzwUncompress, AClearBelowTheLargestWidthBreaksTheStream) {
  std::uint16_t codes[8] = {'A', 'B', 256, 'C', 0, 0, 0, 0};
  unsigned char group[9] = {};
  for (int i = 0; i < 8; ++i)
    for (int b = 0; b < 9; ++b)
      if (codes[i] >> b & 1) group[(i * 9 + b) / 8] |= static_cast<unsigned char>(1 << ((i * 9 + b) % 8));
  std::string body(reinterpret_cast<char*>(group), 9);
  std::string back;
  EXPECT_EQ(lzw_decompress(std::string("\x1F\x9D\x90", 3) + body, &back), -1);
  EXPECT_EQ(back, "AB");
  // At a largest width of 9 it is a CLEAR: the rest of its group is dropped.
  EXPECT_EQ(lzw_decompress(std::string("\x1F\x9D\x89", 3) + body + body, &back), 0);
  EXPECT_EQ(back, "ABAB");
}

TEST_F(LzwUncompress, StoresAreHandedBackAndReused) {
  std::string stream = lzw_compress("hello", 0);
  EXPECT_EQ(vek::uncompress_trans_buf_spares(), 0);
  std::string back;
  ASSERT_EQ(lzw_decompress(stream, &back), 0);
  EXPECT_EQ(vek::uncompress_trans_buf_spares(), 1);
  LzwDecoder d;
  ASSERT_EQ(d.feed(reinterpret_cast<const unsigned char*>(stream.data()), stream.size()), 0);
  EXPECT_EQ(vek::uncompress_trans_buf_spares(), 0);
  EXPECT_EQ(d.finish(), 0);
  EXPECT_EQ(d.bytes, "hello");
  EXPECT_EQ(vek::uncompress_trans_buf_spares(), 1);

  unsigned char* store = nullptr;
  EXPECT_EQ(vek::uncompress_trans_buf_free(&store), 1);
  EXPECT_EQ(vek::uncompress_trans_buf_spares(), 1);
  EXPECT_EQ(vek::uncompress_trans_buf_alloc(&store), 1);
  EXPECT_EQ(vek::getmem_area_size(store), vek::UNCOMPRESS_TRANS_BUF_SIZE);
  EXPECT_EQ(vek::uncompress_trans_buf_alloc(&store), 1);
  EXPECT_EQ(vek::getmem_area_size(store), vek::UNCOMPRESS_TRANS_BUF_SIZE);
}

// A store the caller brings may be small: it is grown before the first string goes in.
TEST_F(LzwUncompress, ASmallStoreOfTheCallerIsGrownFirst) {
  const std::string data = text_bytes(300000, 29);
  const std::string stream = lzw_compress(data, 2);
  LzwDecoder d;
  d.store = static_cast<unsigned char*>(vek::getmem(16));
  ASSERT_EQ(d.feed(reinterpret_cast<const unsigned char*>(stream.data()), stream.size()), 0);
  EXPECT_GE(vek::getmem_area_size(d.store), vek::UNCOMPRESS_TRANS_BUF_SIZE);
  ASSERT_EQ(d.finish(), 0);
  EXPECT_TRUE(d.bytes == data);
}

TEST_F(LzwUncompress, MissingTablesAreInvalidArguments) {
  show_serious_reports();
  yrltest::ConsoleCapture console;
  vek::uncompress_state* state = nullptr;
  unsigned char* out = nullptr;
  unsigned char* store = nullptr;
  const unsigned char in[] = {0x1F, 0x9D, 0x10, 'A', 0};
  EXPECT_EQ(vek::uncompress_buffer(in, 5, &out, &state, nullptr, &store,
                                   vek::uncompress_buffer_size, vek::uncompress_realloc_buffer,
                                   nullptr),
            -1);
  EXPECT_EQ(state, nullptr);
  EXPECT_NE(console.out().find("uncompress_buffer:  Invalid args"), std::string::npos);
  EXPECT_EQ(vek::uncompress_buffer_finish(&out, &state, nullptr, &store,
                                          vek::uncompress_buffer_size,
                                          vek::uncompress_realloc_buffer, nullptr),
            0);
}

// About 125 KB of codes for 2.1 GB of zeros: the table's strings grow one byte a code.
// The decoder's memory stays under a fixed bound and no call gives more than its share.
TEST_F(LzwUncompress, AStreamThatExpandsAThousandfoldDecodesInBoundedMemory) {
#ifdef LZW_SANITIZED
  const long zeros = 200L << 20;  // the same road, shorter, under the sanitizers
#else
  const long zeros = 2130000000L;
#endif
  // The bomb, compressed in pieces of 1 MB after a first one of 100,000 bytes (which
  // takes the hash variant: no block mode, and each prefix of zeros its own slot).
  std::string stream;
  {
    std::string piece(1 << 20, '\0');
    std::vector<unsigned char> buffer(2 * piece.size() + 256);
    vek::compress_state* state = nullptr;
    for (long done = 0; done < zeros;) {
      long size = std::min<long>(done ? static_cast<long>(piece.size()) : 100000, zeros - done);
      unsigned char* out = buffer.data();
      int n = vek::compress_buffer(&out, reinterpret_cast<const unsigned char*>(piece.data()),
                                   &state, static_cast<int>(size), 1);
      done += size;
      stream.append(reinterpret_cast<char*>(buffer.data()), static_cast<std::size_t>(n));
    }
    unsigned char* out = buffer.data();
    int n = vek::compress_buffer_finish(&out, &state);
    stream.append(reinterpret_cast<char*>(buffer.data()), static_cast<std::size_t>(n));
  }
#ifndef LZW_SANITIZED
  EXPECT_LT(stream.size(), 130000u);
#endif
  // The memory chain starts empty, its peak at 0: the peak is the decoder's alone.
  yrltest::reset_runtime_state();
  const long before = 0;
  LzwDecoder d;
  d.keep = false;
  std::size_t at = 0;
  while (at < stream.size()) {
    std::size_t n = std::min<std::size_t>(0x20000, stream.size() - at);
    ASSERT_EQ(d.feed(reinterpret_cast<const unsigned char*>(stream.data()) + at, n), 0);
    at += n;
  }
  ASSERT_EQ(d.finish(), 0);
  long total = d.total;
  long peak = 0;
  vek::get_memory_usage(nullptr, nullptr, nullptr, &peak);
  EXPECT_EQ(total, zeros);
  EXPECT_LE(d.largest_call, vek::UNCOMPRESS_CALL_OUTPUT + 65536);
  // Store cap, output buffer and tables.
  EXPECT_LT(peak - before, 12L << 20) << peak - before;
  RecordProperty("peak_bytes", std::to_string(peak - before));
  std::printf("decoder peak %ld bytes for %ld bytes out\n", peak - before, total);
}

}  // namespace
