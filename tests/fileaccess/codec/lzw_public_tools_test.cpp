// The .Z stream against the public tools: our streams decode with compress and gzip,
// theirs with ours, and ours equals compress -b16 where both write the same codes.
#include <gtest/gtest.h>

#include <string>

#include "tests/fileaccess/codec/lzw_support.h"
#include "tests/fileaccess/fileaccess_test.h"

namespace {

using yrltest::lzw_compress;
using yrltest::lzw_decompress;
using yrltest::random_bytes;
using yrltest::run_tool;
using yrltest::text_bytes;

struct Sample {
  const char* name;
  std::string data;
};

// Random, text, all-zero and incompressible data, from 1 byte to several MB (the
// biggest fill the table, so block mode resets and the full-table road run).
std::vector<Sample> corpus() {
  std::string mixed = text_bytes(1500000, 7) + random_bytes(1500000, 8) + text_bytes(900000, 9);
  return {
      {"one byte", "A"},
      {"two bytes", "AB"},
      {"three bytes", "ABA"},
      {"text 100 KB", text_bytes(100000, 1)},
      {"random 100 KB", random_bytes(100000, 2)},
      {"zeros 300 KB", std::string(300000, '\0')},
      {"text 127,999", text_bytes(127999, 3)},
      {"text 128,000", text_bytes(128000, 3)},
      {"random 3 MB", random_bytes(3 << 20, 4)},
      {"text 4 MB", text_bytes(4 << 20, 5)},
      {"zeros 6 MB", std::string(6 << 20, '\0')},
      {"text, random, text 3.9 MB", mixed},
  };
}

class LzwPublicTools : public yrltest::FileaccessTest {};

TEST_F(LzwPublicTools, OurStreamsDecodeWithCompressAndGzip) {
  for (const Sample& s : corpus()) {
    for (int mode : {0, 1, 2}) {
      SCOPED_TRACE(std::string(s.name) + " mode " + std::to_string(mode));
      std::string stream = lzw_compress(s.data, mode);
      std::string back;
      ASSERT_EQ(run_tool("compress -dc", stream, &back), 0);
      EXPECT_TRUE(back == s.data);
      ASSERT_EQ(run_tool("gzip -dc", stream, &back), 0);
      EXPECT_TRUE(back == s.data);
      ASSERT_EQ(lzw_decompress(stream, &back), 0);
      EXPECT_TRUE(back == s.data);
    }
  }
}

TEST_F(LzwPublicTools, CompressStreamsOfEveryLargestWidthDecodeWithOurs) {
  for (const Sample& s : corpus()) {
    for (int bits = 9; bits <= 16; ++bits) {
      SCOPED_TRACE(std::string(s.name) + " -b" + std::to_string(bits));
      std::string stream;
      ASSERT_EQ(run_tool("compress -c -f -b" + std::to_string(bits), s.data, &stream), 0);
      std::string back;
      // Past a full table, compress -b9 writes codes that neither gzip nor compress
      // itself decode back to the input; such a stream has no reference to meet.
      if (run_tool("gzip -dc", stream, &back) != 0 || back != s.data) {
        EXPECT_EQ(bits, 9);
        continue;
      }
      ASSERT_EQ(lzw_decompress(stream, &back), 0);
      EXPECT_TRUE(back == s.data);
      // Fed in odd pieces, groups and CLEARs straddle the calls.
      ASSERT_EQ(lzw_decompress(stream, &back, {1, 2, 7, 4093, 65537}), 0);
      EXPECT_TRUE(back == s.data);
    }
  }
}

// In block mode, until the table is full, our codes are those of compress -b16.
TEST_F(LzwPublicTools, OurBlockModeStreamEqualsCompressByteForByte) {
  for (std::size_t n : {128000u, 200000u, 400000u}) {
    for (const std::string& data : {text_bytes(n, 11), std::string(n, 'x')}) {
      std::string ours = lzw_compress(data, 2);
      std::string theirs;
      ASSERT_EQ(run_tool("compress -c -f -b16", data, &theirs), 0);
      EXPECT_TRUE(ours == theirs) << n << " bytes: ours " << ours.size() << ", theirs "
                                  << theirs.size();
    }
  }
}

// Kept as designed: an empty source gives an empty stream, no header at all; our
// decoder gives an empty result back. gzip refuses such a file ("unexpected end of
// file"); compress -d passes it as empty.
TEST_F(LzwPublicTools, AnEmptySourceGivesNoStreamWhichGzipRefuses) {
  std::string stream = lzw_compress("", 2);
  EXPECT_TRUE(stream.empty());
  std::string back = "x";
  EXPECT_EQ(lzw_decompress(stream, &back), 0);
  EXPECT_TRUE(back.empty());
  EXPECT_NE(run_tool("gzip -dc", stream, nullptr), 0);
  EXPECT_EQ(run_tool("compress -dc", stream, &back), 0);
  EXPECT_TRUE(back.empty());
}

}  // namespace
