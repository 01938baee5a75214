// The codec's file copies, the compressed-file test and the close with clean-up, on
// real files; the results checked with gzip.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "fileaccess/core/pfaloc.h"
#include "tests/fileaccess/codec/lzw_support.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/support/console_capture.h"
#include "tests/support/file_size_limit.h"

namespace {

using vek::VynFile;
using yrltest::lzw_compress;
using yrltest::random_bytes;
using yrltest::read_file;
using yrltest::run_tool;
using yrltest::text_bytes;
using yrltest::write_file;

class LzwFile : public yrltest::FileaccessTest {
 protected:
  VynFile* open(const std::string& path, const char* mode) {
    VynFile* file = vek::pfa_fopen_file_vers(path.c_str(), mode, vek::PFA_RULE_AS_NAMED);
    EXPECT_NE(file, nullptr) << path;
    return file;
  }
  // Compresses src into dst: the copy's result and the close's.
  std::pair<int, int> compress_file(const std::string& src, const std::string& dst) {
    VynFile* in = open(src, "rb");
    VynFile* out = open(dst, "wb");
    int result = vek::pfa_compress_and_copy(in, out);
    int closed = vek::pfa_dispose(&out);
    vek::pfa_dispose(&in);
    return {result, closed};
  }
  std::pair<int, int> uncompress_file(const std::string& src, const std::string& dst,
                                      long length = -1, long start = 0) {
    VynFile* in = open(src, "rb");
    VynFile* out = open(dst, "wb");
    if (start) {
      EXPECT_EQ(vek::pfa_set_file_position(in, start), 0);
    }
    int result = vek::pfa_uncompress_and_copy(in, out, length);
    int closed = vek::pfa_dispose(&out);
    vek::pfa_dispose(&in);
    return {result, closed};
  }
  yrltest::TempDir dir_;
};

TEST_F(LzwFile, ACompressedCopyDecodesWithGzipAndBack) {
  for (const std::string& data :
       {text_bytes(300000, 31), random_bytes(70000, 32), std::string("x"),
        text_bytes(900000, 33) + random_bytes(400000, 34)}) {
    write_file(dir_.file("plain"), data);
    // The finishing write's status is the result.
    EXPECT_EQ(compress_file(dir_.file("plain"), dir_.file("packed")), std::make_pair(0, 0));
    std::string z = read_file(dir_.file("packed"));
    std::string back;
    ASSERT_EQ(run_tool("gzip -dc", z, &back), 0);
    EXPECT_TRUE(back == data) << data.size();
    EXPECT_EQ(static_cast<unsigned char>(z[2]), data.size() >= 128000 ? 0x90 : 0x10);
    EXPECT_EQ(uncompress_file(dir_.file("packed"), dir_.file("again")), std::make_pair(0, 0));
    EXPECT_TRUE(read_file(dir_.file("again")) == data);
    EXPECT_EQ(uncompress_file(dir_.file("packed"), dir_.file("again"), static_cast<long>(z.size())),
              std::make_pair(0, 0));
    EXPECT_TRUE(read_file(dir_.file("again")) == data);
  }
}

TEST_F(LzwFile, AnEmptySourceGivesAnEmptyFileBothWays) {
  write_file(dir_.file("empty"), "");
  EXPECT_EQ(compress_file(dir_.file("empty"), dir_.file("packed")), std::make_pair(5, 0));
  EXPECT_EQ(read_file(dir_.file("packed")), "");
  EXPECT_EQ(uncompress_file(dir_.file("packed"), dir_.file("back"), 0), std::make_pair(0, 0));
  EXPECT_EQ(read_file(dir_.file("back")), "");
  EXPECT_EQ(uncompress_file(dir_.file("packed"), dir_.file("back")), std::make_pair(0, 0));
  EXPECT_EQ(read_file(dir_.file("back")), "");
}

// A head line ("#Vyn/...") is copied through, then the stream after it is decoded;
// with a length the stream is read from where the source stands, and what follows it
// is left alone.
TEST_F(LzwFile, AHeadLineIsCopiedThroughAndALengthBoundsTheStream) {
  const std::string data = text_bytes(200000, 35);
  const std::string z = lzw_compress(data, 2);
  const std::string head = "#Vyn/part 7\n";
  write_file(dir_.file("headed"), head + z + "trailing");
  EXPECT_EQ(uncompress_file(dir_.file("headed"), dir_.file("out"), static_cast<long>(z.size()),
                            static_cast<long>(head.size())),
            std::make_pair(0, 0));
  EXPECT_TRUE(read_file(dir_.file("out")) == data);
  write_file(dir_.file("headed"), head + z);
  EXPECT_EQ(uncompress_file(dir_.file("headed"), dir_.file("out")), std::make_pair(0, 0));
  EXPECT_TRUE(read_file(dir_.file("out")) == head + data);
  // A source without a stream is copied whole.
  write_file(dir_.file("plain"), "just text\n");
  EXPECT_EQ(uncompress_file(dir_.file("plain"), dir_.file("out")), std::make_pair(0, 0));
  EXPECT_EQ(read_file(dir_.file("out")), "just text\n");
}

// The stream's last read piece is one byte, which completes no group: the copy goes on
// and finishes, so the codes kept so far come out.
TEST_F(LzwFile, ALastPieceThatDecodesToNothingStillFinishesTheStream) {
  // Random data after a text head: the stream grows by about 2 bytes a byte, so a
  // search finds a length whose stream is 0x20000 bytes and a few more.
  auto stream_of = [](std::size_t n, std::string* data) {
    *data = text_bytes(130000, 36) + random_bytes(n, 37);
    return lzw_compress(*data, 2);
  };
  std::string data;
  std::string z;
  std::size_t low = 0;
  std::size_t high = 200000;
  while (low + 1 < high) {
    std::size_t mid = (low + high) / 2;
    (stream_of(mid, &data).size() > 0x20000 ? high : low) = mid;
  }
  for (std::size_t n = high; n < high + 64; ++n) {
    z = stream_of(n, &data);
    if (z.size() > 0x20000 && z.size() - 0x20000 <= 3) break;
  }
  ASSERT_GT(z.size(), 0x20000u);
  ASSERT_LE(z.size() - 0x20000, 3u);
  write_file(dir_.file("packed"), z);
  for (long length : {-1L, static_cast<long>(z.size())}) {
    EXPECT_EQ(uncompress_file(dir_.file("packed"), dir_.file("out"), length),
              std::make_pair(0, 0));
    EXPECT_TRUE(read_file(dir_.file("out")) == data) << length;
  }
}

TEST_F(LzwFile, ABrokenStreamIsAFailure) {
  std::string z = lzw_compress(text_bytes(50000, 37), 0);
  z[40] = static_cast<char>(0xFF);
  z[41] = static_cast<char>(0xFF);
  write_file(dir_.file("bad"), z);
  EXPECT_EQ(uncompress_file(dir_.file("bad"), dir_.file("out"), static_cast<long>(z.size())).first,
            vek::PFA_E_ERROR);
  write_file(dir_.file("bad"), "\x1F\x9D\x05garbage");
  EXPECT_EQ(uncompress_file(dir_.file("bad"), dir_.file("out"), 11).first, vek::PFA_E_ERROR);
}

TEST_F(LzwFile, BadHandlesAndMissingSources) {
  write_file(dir_.file("plain"), "abc");
  VynFile* in = open(dir_.file("plain"), "rb");
  VynFile* out = open(dir_.file("out"), "wb");
  VynFile* folder = vek::pfa_alloc_dir(dir_.path().c_str());
  EXPECT_EQ(vek::pfa_compress_and_copy(nullptr, out), vek::PFA_E_NOT_VALID);
  EXPECT_EQ(vek::pfa_compress_and_copy(in, nullptr), vek::PFA_E_NOT_VALID);
  EXPECT_EQ(vek::pfa_compress_and_copy(folder, out), vek::PFA_E_NOT_VALID);
  EXPECT_EQ(vek::pfa_uncompress_and_copy(nullptr, out, -1), vek::PFA_E_NOT_VALID);
  EXPECT_EQ(vek::pfa_uncompress_and_copy(folder, out, -1), vek::PFA_E_NOT_VALID);
  // The source vanishes while open.
  ASSERT_EQ(unlink(dir_.file("plain").c_str()), 0);
  EXPECT_EQ(vek::pfa_compress_and_copy(in, out), vek::PFA_E_NOT_FOUND);
  EXPECT_EQ(vek::pfa_uncompress_and_copy(in, out, 3), vek::PFA_E_NOT_FOUND);
  vek::pfa_dispose(&in);
  vek::pfa_dispose(&out);
  vek::pfa_free_vyn_file(&folder);
}

// Disk full at each write of the copies: the copy or its close reports the failure,
// and the source is left as it was.
TEST_F(LzwFile, DiskFullAtEachWriteIsAFailureAndTheSourceIsKept) {
  const std::string data = text_bytes(700000, 38) + random_bytes(300000, 39);
  write_file(dir_.file("plain"), data);
  ASSERT_EQ(compress_file(dir_.file("plain"), dir_.file("packed")), std::make_pair(0, 0));
  const std::string z = read_file(dir_.file("packed"));
  std::vector<rlim_t> limits = {0, 1, 3, 100, 4095, 4096, 0x10000};
  for (rlim_t at = 0x20000; at < z.size(); at += 0x1F000) limits.push_back(at);
  limits.push_back(z.size() - 1);
  for (rlim_t limit : limits) {
    SCOPED_TRACE(limit);
    std::pair<int, int> packed;
    {
      yrltest::FileSizeLimit full(limit);
      packed = compress_file(dir_.file("plain"), dir_.file("packed2"));
    }
    EXPECT_TRUE(packed.first != 0 || packed.second != 0);
    EXPECT_TRUE(read_file(dir_.file("plain")) == data);
    // The decoded copy is longer than the stream: it runs into the same limits.
    std::pair<int, int> unpacked;
    {
      yrltest::FileSizeLimit full(limit);
      unpacked = uncompress_file(dir_.file("packed"), dir_.file("out"));
    }
    EXPECT_TRUE(unpacked.first != 0 || unpacked.second != 0);
    EXPECT_TRUE(read_file(dir_.file("packed")) == z);
  }
}

TEST_F(LzwFile, ACompressedFileIsFoundAtItsStartOrAfterAHeadLine) {
  const std::string z = lzw_compress("payload", 0);
  struct Case {
    std::string content;
    int result;
    long offset;
  };
  const Case cases[] = {
      {z, 1, 0},
      {"#Vyn/part 3\n" + z, 1, 12},  // the head line is the file's first line
      {"#VK/x\n" + z, 1, 6},
      {"plain\nmore\n#VK/model\n" + z, 1, 21},
      {"plain\n#Vyn/head\nno stream", 0, 16},
      {"plain text\nwithout a head line\n", 0, 0},
      {"#vyn/lower case\n" + z, 0, 0},
      {"", 0, 0},
  };
  for (const Case& c : cases) {
    write_file(dir_.file("probe"), c.content);
    VynFile* file = open(dir_.file("probe"), "rb");
    long offset = -7;
    EXPECT_EQ(vek::pfa_is_compressed(file, &offset), c.result) << c.content.substr(0, 12);
    EXPECT_EQ(offset, c.offset) << c.content.substr(0, 12);
    vek::pfa_dispose(&file);
  }
  long offset = 0;
  EXPECT_EQ(vek::pfa_is_compressed(nullptr, &offset), vek::PFA_E_NOT_VALID);
}

TEST_F(LzwFile, TheCloseDeletesTheTemporaryCopyOfAReadOnly) {
  struct Case {
    const char* mode;
    const char16_t* name;
    const char16_t* temp;
    bool deleted;
  };
  const std::string temp = dir_.file("temp");
  const std::u16string temp_path(temp.begin(), temp.end());
  const Case cases[] = {
      {"r", u"model.prt", temp_path.c_str(), true},
      {"w", u"model.prt", temp_path.c_str(), false},
      {"rb", u"model.prt", temp_path.c_str(), false},
      {"r", temp_path.c_str(), temp_path.c_str(), false},
      {"r", nullptr, temp_path.c_str(), false},
  };
  for (const Case& c : cases) {
    write_file(dir_.file("temp"), "decoded");
    VynFile* file = open(dir_.file("temp"), "rb");
    EXPECT_EQ(vek::compress_fclose(file, c.name, c.mode, c.temp), 0);
    EXPECT_EQ(access(dir_.file("temp").c_str(), F_OK) != 0, c.deleted) << c.mode;
    vek::pfa_free_vyn_file(&file);
  }
  VynFile* closed = nullptr;
  ASSERT_EQ(vek::pfa_alloc_vyn_file(&closed), 0);
  EXPECT_EQ(vek::compress_fclose(closed, nullptr, "r", nullptr), -1);
  vek::pfa_free_vyn_file(&closed);
}

TEST_F(LzwFile, LocationsOfTwoTypesAreNotCopiedThrough) {
  show_serious_reports();
  yrltest::ConsoleCapture console;
  write_file(dir_.file("plain"), "abc");
  VynFile* in = open(dir_.file("plain"), "rb");
  int at_end = 5;
  EXPECT_EQ(vek::uncompress_thru_cookie(in, vek::pfa_get_stdout(), &at_end), 0);
  EXPECT_EQ(at_end, 0);
  EXPECT_NE(console.out().find("uncompress_thru_cookie:  the hard way not implemented"),
            std::string::npos);
  vek::pfa_dispose(&in);
}

}  // namespace
