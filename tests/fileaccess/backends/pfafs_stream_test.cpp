// The local file system's stream record and methods, reached through the handle
// operations and the dispatchers on a temporary directory, with faults injected into
// the stand-in's calls beneath them.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "fileaccess/backends/pfafs_stream.h"
#include "fileaccess/core/pfa.h"
#include "fileaccess/core/pfafile.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfaname.h"
#include "platform/w32/crt.h"
#include "runtime/memory/getmem.h"
#include "platform/w32/error.h"
#include "platform/w32/types.h"
#include "platform/w32/fault_testing.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/support/console_capture.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

class PfaFsStreamTest : public yrltest::FileaccessTest {
 protected:
  void TearDown() override {
    w32::fault_testing_reset();
    for (vek::VynFile** f : {&file, &other}) {
      if (*f) vek::pfa_dispose(f);
    }
    FileaccessTest::TearDown();
  }
  // Opens dir/name as a stream (mode) or, with a null mode, descriptor-style (flags).
  vek::VynFile* open(const std::string& name, const char* mode, int flags = 0) {
    vek::VynFile* opened = vek::pfa_alloc_file(dir.file(name).c_str());
    EXPECT_NE(opened, nullptr) << name;
    if (!opened) return nullptr;
    int result = mode ? vek::pfa_fopen(opened, 0, mode) : vek::pfa_open(opened, 0, flags, 0x180);
    EXPECT_EQ(result, vek::PFA_E_NO_ERROR) << name;
    return opened;
  }
  std::string content(const std::string& name) { return yrltest::read_file(dir.file(name)); }

  yrltest::TempDir dir;
  vek::VynFile* file = nullptr;
  vek::VynFile* other = nullptr;
};

TEST_F(PfaFsStreamTest, ARecordHoldsEitherADescriptorOrAStream) {
  yrltest::write_file(dir.file("a.txt"), "abc");
  file = open("a.txt", "r");
  auto* record = vek::pfafs_stream_of(&file->location_slot);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->descriptor, -1);
  EXPECT_NE(record->stream, nullptr);
  other = open("a.txt", nullptr, 0);
  record = vek::pfafs_stream_of(&other->location_slot);
  ASSERT_NE(record, nullptr);
  EXPECT_GE(record->descriptor, 0);
  EXPECT_EQ(record->stream, nullptr);
  EXPECT_EQ(vek::pfa_close(other), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(other->location_slot, nullptr);
  EXPECT_EQ(vek::pfafs_alloc_stream(nullptr), vek::PFA_E_INVALID_INPUT);
}

// Both kinds of record read, write, position and tell the end the same way.
TEST_F(PfaFsStreamTest, StreamsAndDescriptorsReadWriteAndPosition) {
  for (bool stream : {true, false}) {
    SCOPED_TRACE(stream ? "stream" : "descriptor");
    constexpr int kCreateWrite = 0x100 | 0x200 | 0x0002;  // create, truncate, read-write
    file = open("rw.bin", stream ? "w+" : nullptr, kCreateWrite);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(vek::pfa_write_file(file, 6, "abcdef"), vek::PFA_E_NO_ERROR);
    EXPECT_EQ(vek::pfa_fputs(file, "gh\nij"), vek::PFA_E_NO_ERROR);
    EXPECT_EQ(vek::pfa_fputc('k', file), vek::PFA_E_NO_ERROR);
    long position = -1;
    EXPECT_EQ(vek::pfa_get_file_position(file, &position), vek::PFA_E_NO_ERROR);
    EXPECT_EQ(position, 12);
    EXPECT_EQ(vek::pfa_set_file_position(file, 2), vek::PFA_E_NO_ERROR);
    char buffer[32] = {};
    int count = -1;
    EXPECT_EQ(vek::pfa_read_file(file, 3, &count, buffer), vek::PFA_E_NO_ERROR);
    EXPECT_EQ(std::string(buffer, 3), "cde");
    EXPECT_EQ(vek::pfa_fgets(file, sizeof buffer, &count, buffer), vek::PFA_E_NO_ERROR);
    EXPECT_EQ(std::string(buffer), "fgh\n");
    EXPECT_EQ(count, 4);
    EXPECT_EQ(vek::pfa_fgets(file, sizeof buffer, &count, buffer), vek::PFA_E_NO_ERROR);
    EXPECT_EQ(std::string(buffer), "ijk");
    // The end: 5 with an empty line, as often as asked.
    for (int again = 0; again < 2; ++again) {
      EXPECT_EQ(vek::pfa_fgets(file, sizeof buffer, &count, buffer), vek::PFA_E_QUIT);
      EXPECT_EQ(count, 0);
      EXPECT_STREQ(buffer, "");
    }
    // A read of 0 bytes at the end is the end too, at the method.
    EXPECT_EQ(vek::pfaloc_call_FLPPI(file, vek::PfaReadFile, buffer, &count, 0), vek::PFA_E_QUIT);
    EXPECT_EQ(vek::pfa_rewind_file(file), vek::PFA_E_NO_ERROR);
    EXPECT_EQ(vek::pfa_read_file(file, 2, &count, buffer), vek::PFA_E_NO_ERROR);
    EXPECT_EQ(std::string(buffer, 2), "ab");
    EXPECT_EQ(vek::pfa_unwind_file(file), vek::PFA_E_NO_ERROR);
    EXPECT_EQ(vek::pfa_read_file(file, 2, &count, buffer), vek::PFA_E_QUIT);
    EXPECT_EQ(vek::pfa_flush_file(file), vek::PFA_E_NO_ERROR);
    EXPECT_EQ(vek::pfa_dispose(&file), vek::PFA_E_NO_ERROR);
    EXPECT_EQ(content("rw.bin"), "abcdefgh\nijk");
  }
}

// A descriptor's line never takes more than size - 1 bytes, and the descriptor is left
// just after the line feed.
TEST_F(PfaFsStreamTest, DescriptorLinesKeepTheLimitAndTheRest) {
  yrltest::write_file(dir.file("lines.txt"), "ab\ncdef");
  file = open("lines.txt", nullptr, 0);
  ASSERT_NE(file, nullptr);
  struct Row {
    int size;
    int result;
    const char* line;
  };
  const Row rows[] = {{3, 0, "ab"},  {3, 0, "\n"}, {3, 0, "cd"}, {64, 0, "ef"},
                      {64, 5, ""},   {64, 5, ""},  {1, 0, ""}};
  for (const Row& row : rows) {
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    int count = -1;
    EXPECT_EQ(vek::pfa_fgets(file, row.size, &count, buffer), row.result) << row.line;
    EXPECT_STREQ(buffer, row.line);
    EXPECT_EQ(count, static_cast<int>(std::strlen(row.line)));
  }
}

TEST_F(PfaFsStreamTest, FseekReadsOneBlockAndReportsWhatStoppedIt) {
  std::string data;
  for (int i = 0; i < 20000; ++i) data += static_cast<char>('0' + i % 10);
  yrltest::write_file(dir.file("blocks.bin"), data);
  file = open("blocks.bin", "r");
  ASSERT_NE(file, nullptr);
  char block[8] = {};
  EXPECT_EQ(vek::pfa_fseek(file, block, 0, 4, 3), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(std::string(block, 3), "456");
  EXPECT_EQ(vek::pfa_fseek(file, block, 0, 19998, 3), vek::PFA_E_QUIT);  // not whole at the end
  EXPECT_EQ(vek::pfa_fseek(file, block, 0, 0, 0), vek::PFA_E_NO_ERROR);
  ASSERT_TRUE(w32::fault_testing_fail_calls("ReadFile", 1, 10, w32::ERROR_ACCESS_DENIED));
  EXPECT_EQ(vek::pfa_fseek(file, block, 0, 10001, 3), vek::PFA_E_ERROR);
  w32::fault_testing_reset();
  ASSERT_TRUE(w32::fault_testing_fail_calls("SetFilePointer", 1, 10, w32::ERROR_ACCESS_DENIED));
  EXPECT_EQ(vek::pfa_fseek(file, block, 0, 15002, 3), vek::PFA_E_ERROR);
  w32::fault_testing_reset();
  // Without a stream the method refuses.
  yrltest::ConsoleCapture console;
  show_serious_reports();
  other = open("blocks.bin", nullptr, 0);
  EXPECT_EQ(vek::pfa_fseek(other, block, 0, 0, 3), vek::PFA_E_ERROR);
  EXPECT_NE(console.out().find("pfafs_fseek:  NULL fp"), std::string::npos) << console.out();
}

// A read error in the middle of a file is 1, never the end: a copy loop that stops at 5
// would believe it had the whole file.
// A write that failed damages the file for good: that write, every later one and the
// close report it, and nothing is written after the lost bytes (no gap, no zero byte in
// the middle). For each writer, on a stream and on a descriptor, with the first or a
// later write of the stand-in failing, or cut short.
TEST_F(PfaFsStreamTest, AFailedWriteIsReportedByEveryLaterWriteAndTheClose) {
  using Writer = int (*)(vek::VynFile*, const std::string&);
  struct Named {
    const char* name;
    Writer write;
  };
  const Named writers[] = {
      {"pfa_fputs", [](vek::VynFile* f, const std::string& t) { return vek::pfa_fputs(f, t.c_str()); }},
      {"pfa_write_file",
       [](vek::VynFile* f, const std::string& t) {
         return vek::pfa_write_file(f, static_cast<int>(t.size()), t.data());
       }},
      {"pfa_fprintf",
       [](vek::VynFile* f, const std::string& t) { return vek::pfa_fprintf(f, "%s", t.c_str()); }},
  };
  // Chunks larger than a stream's buffer, so that each one reaches the file in its call.
  const std::string chunks[] = {std::string(9000, 'a'), std::string(9000, 'b'),
                                std::string(9000, 'c')};
  for (const Named& writer : writers) {
    for (bool stream : {true, false}) {
      for (int failing = 1; failing <= 2; ++failing) {
        for (bool cut : {false, true}) {
          SCOPED_TRACE(testing::Message() << writer.name << (stream ? " stream" : " descriptor")
                                          << " failing call " << failing
                                          << (cut ? " cut short" : " refused"));
          constexpr int kCreateWrite = 0x100 | 0x200 | 0x0001;
          file = open("w.txt", stream ? "w" : nullptr, kCreateWrite);
          ASSERT_NE(file, nullptr);
          const char* call = stream ? "WriteFile" : "_write";
          ASSERT_TRUE(cut ? w32::fault_testing_short_write(call, failing, 100)
                          : w32::fault_testing_fail_on_call(call, failing, w32::ERROR_DISK_FULL));
          std::string written;
          bool failed = false;
          for (const std::string& chunk : chunks) {
            int result = writer.write(file, chunk);
            if (result == vek::PFA_E_NO_ERROR) {
              EXPECT_FALSE(failed) << "a write after a failed one answered success";
              written += chunk;
            } else {
              failed = true;
            }
          }
          EXPECT_TRUE(failed);
          EXPECT_NE(vek::pfa_flush_file(file), vek::PFA_E_NO_ERROR);
          EXPECT_NE(vek::pfa_dispose(&file), vek::PFA_E_NO_ERROR);
          ASSERT_NE(file, nullptr);  // a handle whose close failed is not freed
          EXPECT_FALSE(vek::pfa_file_is_open(file));
          EXPECT_EQ(vek::pfa_dispose(&file), vek::PFA_E_NO_ERROR);
          EXPECT_EQ(file, nullptr);
          // What stands is the start of what was written, in order: nothing after a
          // gap, and nothing of a chunk after the one that failed.
          std::string on_disk = content("w.txt");
          const std::string all = chunks[0] + chunks[1] + chunks[2];
          EXPECT_EQ(on_disk.find('\0'), std::string::npos);
          EXPECT_EQ(all.compare(0, on_disk.size(), on_disk), 0);
          EXPECT_LE(on_disk.size(), written.size() + chunks[0].size());
          w32::fault_testing_reset();
        }
      }
    }
  }
}

// The stream's error flag fails the close even when the close's own flush goes well.
TEST_F(PfaFsStreamTest, AStreamInErrorFailsItsClose) {
  file = open("e.txt", "w");
  ASSERT_NE(file, nullptr);
  auto* record = vek::pfafs_stream_of(&file->location_slot);
  ASSERT_NE(record, nullptr);
  std::fputs("x", record->stream);
  ASSERT_TRUE(w32::fault_testing_fail_on_call("WriteFile", 1, w32::ERROR_DISK_FULL));
  EXPECT_NE(std::fflush(record->stream), 0);  // behind the layer's back
  EXPECT_NE(vek::pfa_close(file), vek::PFA_E_NO_ERROR);
}

// An operation that must first write out what the stream holds (a flush, a move, a
// rewind, a cut, a copy into it) and cannot has lost those bytes: it fails, and so do
// every later write and the close, although the next write clears the stream's error
// flag. Nothing lands behind the lost bytes.
TEST_F(PfaFsStreamTest, AFlushThatFailsInsideAnotherOperationDamagesTheFile) {
  yrltest::write_file(dir.file("source.txt"), std::string(20000, 's'));
  using Operation = int (*)(vek::VynFile*, vek::VynFile*);
  const struct {
    const char* name;
    Operation run;
  } operations[] = {
      {"flush", [](vek::VynFile* f, vek::VynFile*) { return vek::pfa_flush_file(f); }},
      {"position", [](vek::VynFile* f, vek::VynFile*) { return vek::pfa_set_file_position(f, 0); }},
      {"rewind", [](vek::VynFile* f, vek::VynFile*) { return vek::pfa_rewind_file(f); }},
      {"unwind", [](vek::VynFile* f, vek::VynFile*) { return vek::pfa_unwind_file(f); }},
      {"cut", [](vek::VynFile* f, vek::VynFile*) { return vek::pfa_truncate_file(f, 2); }},
      {"copy into",
       [](vek::VynFile* f, vek::VynFile* from) {
         int end = 0;
         return vek::pfa_copy_through_cookie(from, f, const_cast<char*>("@@"), &end);
       }},
  };
  for (const auto& operation : operations) {
    SCOPED_TRACE(operation.name);
    file = open("held.txt", "w");
    other = open("source.txt", "r");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(vek::pfa_fputs(file, "held"), vek::PFA_E_NO_ERROR);  // held in the stream
    ASSERT_TRUE(w32::fault_testing_fail_calls("WriteFile", 1, 1000, w32::ERROR_DISK_FULL));
    EXPECT_NE(operation.run(file, other), vek::PFA_E_NO_ERROR);
    w32::fault_testing_reset();
    EXPECT_NE(vek::pfa_fputs(file, "after"), vek::PFA_E_NO_ERROR);
    EXPECT_NE(vek::pfa_dispose(&file), vek::PFA_E_NO_ERROR);
    if (file) vek::pfa_dispose(&file);
    vek::pfa_dispose(&other);
    EXPECT_EQ(content("held.txt").find("after"), std::string::npos);
  }
}

TEST_F(PfaFsStreamTest, AReadErrorMidFileIsNoEnd) {
  yrltest::write_file(dir.file("big.bin"), std::string(20000, 'z'));
  file = open("big.bin", "r");
  ASSERT_NE(file, nullptr);
  char buffer[4096];
  int count = 0;
  ASSERT_EQ(vek::pfa_read_file(file, 100, &count, buffer), vek::PFA_E_NO_ERROR);
  ASSERT_TRUE(w32::fault_testing_fail_calls("ReadFile", 1, 1000, w32::ERROR_ACCESS_DENIED));
  int result = vek::PFA_E_NO_ERROR;
  long total = count;
  while (result == vek::PFA_E_NO_ERROR) {
    result = vek::pfa_read_file(file, sizeof buffer, &count, buffer);
    if (result == vek::PFA_E_NO_ERROR) total += count;
  }
  EXPECT_EQ(result, vek::PFA_E_ERROR);
  EXPECT_LT(total, 20000);
  EXPECT_EQ(vek::pfa_fgets(file, 64, &count, buffer), vek::PFA_E_ERROR);
  // The copy up to a marker stops with the error too.
  other = vek::pfa_alloc_file(dir.file("copy.bin").c_str());
  ASSERT_EQ(vek::pfa_fopen(other, 0, "w"), vek::PFA_E_NO_ERROR);
  int end = -1;
  EXPECT_EQ(vek::pfa_copy_through_cookie(file, other, const_cast<char*>("@@"), &end),
            vek::PFA_E_ERROR);
  EXPECT_EQ(end, 0);
}

TEST_F(PfaFsStreamTest, CopyThroughCookieStopsAtTheMarkerAZeroOrTheEnd) {
  struct Row {
    std::string input;
    int result;
    int end;
    const char* copied;
    const char* left;
  };
  const Row rows[] = {
      {"ab@@cd", 0, 0, "ab", "cd"},
      {"abc", 2, 1, "abc", ""},
      {"", 2, 1, "", ""},
      {std::string("ab\0cd", 5), 0, 0, "a", "cd"},
      {"a@b@@", 0, 0, "a@b", ""},
  };
  int n = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.copied);
    std::string in = "in" + std::to_string(n), out = "out" + std::to_string(n++);
    yrltest::write_file(dir.file(in), row.input);
    file = open(in, "r");
    other = open(out, "w");
    int end = -1;
    EXPECT_EQ(vek::pfa_copy_through_cookie(file, other, const_cast<char*>("@@"), &end), row.result);
    EXPECT_EQ(end, row.end);
    char rest[16] = {};
    int count = 0;
    vek::pfa_read_file(file, sizeof rest, &count, rest);
    EXPECT_EQ(std::string(rest, count), row.left);
    vek::pfa_dispose(&file);
    vek::pfa_dispose(&other);
    EXPECT_EQ(content(out), row.copied);
  }
}

TEST_F(PfaFsStreamTest, CopyThroughCookieNeedsOneLocationType) {
  yrltest::write_file(dir.file("a"), "x");
  file = open("a", "r");
  other = vek::pfa_get_stdout();
  show_serious_reports();
  yrltest::ConsoleCapture console;
  EXPECT_EQ(vek::pfa_copy_through_cookie(file, other, const_cast<char*>("@@"), nullptr),
            vek::PFA_E_NOT_VALID);
  EXPECT_NE(console.out().find("tried to call with different locations 1 and 8"),
            std::string::npos);
  other = nullptr;  // the process's handle stays
}

// Truncation keeps the stream: its mode and position stay, pending output is written
// first, and a failing step leaves the handle open on the same stream.
TEST_F(PfaFsStreamTest, TruncationKeepsTheStream) {
  yrltest::write_file(dir.file("t.bin"), "0123456789");
  file = open("t.bin", "r+");
  ASSERT_NE(file, nullptr);
  vek::pfa_set_file_position(file, 3);
  EXPECT_EQ(vek::pfa_write_file(file, 2, "ab"), vek::PFA_E_NO_ERROR);  // pending
  long length = 7;
  EXPECT_EQ(vek::pfaloc_call_FLP(file, vek::PfaTruncateFile, &length), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(content("t.bin"), "012ab56");
  long position = -1;
  EXPECT_EQ(vek::pfa_get_file_position(file, &position), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(position, 5);
  char buffer[8] = {};
  int count = 0;
  EXPECT_EQ(vek::pfa_read_file(file, sizeof buffer, &count, buffer), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(std::string(buffer, count), "56");
  EXPECT_EQ(vek::pfa_write_file(file, 1, "!"), vek::PFA_E_NO_ERROR);  // still "r+"

  // Each failing step: 1, the handle open on its stream, the file and position kept.
  for (const char* step : {"SetEndOfFile", "SetFilePointer", "WriteFile"}) {
    SCOPED_TRACE(step);
    vek::pfa_set_file_position(file, 2);
    if (std::string(step) == "WriteFile") vek::pfa_write_file(file, 1, "2");  // pending
    else vek::pfa_flush_file(file);
    std::string before = content("t.bin");
    ASSERT_TRUE(w32::fault_testing_fail_on_call(step, 1, w32::ERROR_DISK_FULL));
    length = 1;
    EXPECT_EQ(vek::pfaloc_call_FLP(file, vek::PfaTruncateFile, &length), vek::PFA_E_ERROR);
    EXPECT_EQ(content("t.bin").size(), before.size());
    EXPECT_NE(file->flags & vek::PFA_FLAG_OPEN, 0u);
    // A failed flush has dropped its pending byte; the cut alone keeps the position.
    EXPECT_EQ(vek::pfa_get_file_position(file, &position), vek::PFA_E_NO_ERROR);
    if (std::string(step) != "WriteFile") {
      EXPECT_EQ(position, 2);
    }
    w32::fault_testing_reset();
  }
  EXPECT_EQ(vek::pfa_set_file_position(file, 0), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfa_read_file(file, sizeof buffer, &count, buffer), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(count, 8);
  // A descriptor is cut through itself.
  vek::pfa_dispose(&file);
  file = open("t.bin", nullptr, 0x0002);
  length = 4;
  EXPECT_EQ(vek::pfaloc_call_FLP(file, vek::PfaTruncateFile, &length), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(content("t.bin"), "012a");
}

// A missing "name.ext.1" read as version 1 is the unversioned file, version 0; writing,
// or another version, fails.
TEST_F(PfaFsStreamTest, VersionOneFallsBackToTheUnversionedName) {
  yrltest::write_file(dir.file("part.prt"), "plain");
  struct Row {
    const char* name;
    const char* mode;
    int result;
    int version;
  };
  const Row rows[] = {{"part.prt.1", "r", 0, 0},
                      {"part.prt.2", "r", 1, 2},
                      {"part.prt.1", "r+", 0, 0},
                      {"part.prt.1", "w", 0, 1}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.name) + " " + row.mode);
    file = vek::pfa_alloc_file(dir.file(row.name).c_str());
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(vek::pfa_fopen(file, 0, row.mode), row.result);
    EXPECT_EQ(file->version, row.version);
    vek::pfa_dispose(&file);
    if (std::string(row.mode) == "w") {
      EXPECT_TRUE(fs::exists(dir.file(row.name)));  // written as named
      EXPECT_EQ(content("part.prt"), "plain");
    }
  }
  // The descriptor-style open retries only read-only opens.
  fs::remove(dir.file("part.prt.1"));
  file = vek::pfa_alloc_file(dir.file("part.prt.1").c_str());
  EXPECT_EQ(vek::pfa_open(file, 0, 0, 0), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(file->version, 0);
  vek::pfa_dispose(&file);
  file = vek::pfa_alloc_file(dir.file("part.prt.1").c_str());
  EXPECT_EQ(vek::pfa_open(file, 0, 0x0002, 0), vek::PFA_E_ERROR);
}

TEST_F(PfaFsStreamTest, ModesSizesTimesAndNameMethods) {
  yrltest::write_file(dir.file("tool.EXE"), "MZ");
  yrltest::write_file(dir.file("ro.txt"), "12345");
  file = vek::pfa_alloc_file(dir.file("tool.EXE").c_str());
  int mode = 0;
  EXPECT_EQ(vek::pfaloc_call_FP(file, vek::PfaGetMode, &mode), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(mode, 0x8000 + 0777);
  other = vek::pfa_alloc_file(dir.file("ro.txt").c_str());
  EXPECT_EQ(vek::pfaloc_call_FI(other, vek::PfaChmod, 0444), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfaloc_call_FP(other, vek::PfaGetMode, &mode), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(mode, 0x8000 + 0444);
  EXPECT_EQ(vek::pfaloc_call_FI(other, vek::PfaChmod, 0644), vek::PFA_E_NO_ERROR);
  long long size = 0;
  EXPECT_EQ(vek::pfaloc_call_FP(other, vek::PfaGetFileSize, &size), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(size, 5);
  vek::VynFile* dir_handle = vek::pfa_alloc_dir(dir.path().c_str());
  EXPECT_EQ(vek::pfaloc_call_FP(dir_handle, vek::PfaGetMode, &mode), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(mode, 0x4000 + 0666);
  vek::pfa_free_vyn_file(&dir_handle);

  // Renaming, deleting; directories made, moved and removed.
  EXPECT_EQ(vek::pfaloc_call_FPP(file, vek::PfaRenameFile,
                                 const_cast<char*>(dir.file("tool.EXE").c_str()),
                                 const_cast<char*>(dir.file("ro.txt").c_str())),
            vek::PFA_E_NO_ERROR);
  EXPECT_EQ(content("ro.txt"), "MZ");
  EXPECT_EQ(vek::pfaloc_call_F(other, vek::PfaDeleteFile), vek::PFA_E_NO_ERROR);
  EXPECT_FALSE(fs::exists(dir.file("ro.txt")));
  EXPECT_EQ(vek::pfaloc_call_F(other, vek::PfaDeleteFile), vek::PFA_E_ERROR);
  EXPECT_EQ(vek::pfaloc_call_FP(other, vek::PfaGetFileSize, &size), vek::PFA_E_NO_ACCESS);
  vek::VynFile* made = vek::pfa_alloc_dir(dir.file("sub").c_str());
  vek::VynFile* moved = vek::pfa_alloc_dir(dir.file("sub2").c_str());
  EXPECT_EQ(vek::pfaloc_call_F(made, vek::PfaMakeDir), vek::PFA_E_NO_ERROR);
  EXPECT_TRUE(fs::is_directory(dir.file("sub")));
  EXPECT_EQ(vek::pfaloc_call_FF(made, vek::PfaMoveDir, moved), vek::PFA_E_NO_ERROR);
  EXPECT_TRUE(fs::is_directory(dir.file("sub2")));
  EXPECT_EQ(vek::pfaloc_call_F(moved, vek::PfaRemoveDir), vek::PFA_E_NO_ERROR);
  EXPECT_FALSE(fs::exists(dir.file("sub2")));
  vek::pfa_free_vyn_file(&made);
  vek::pfa_free_vyn_file(&moved);
}

TEST_F(PfaFsStreamTest, DiscouragedStreamsGoInAndOutOfTheRecord) {
  void* slot = nullptr;
  std::FILE* stream = reinterpret_cast<std::FILE*>(&slot);
  EXPECT_EQ(vek::pfafs_discouraged_get_stream(nullptr, &slot, &stream), vek::PFA_E_CANT_OPEN);
  EXPECT_EQ(stream, nullptr);
  EXPECT_EQ(vek::pfafs_discouraged_put_stream(nullptr, stdout, nullptr), vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(vek::pfafs_discouraged_put_stream(nullptr, stdout, &slot), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfafs_discouraged_get_stream(nullptr, &slot, &stream), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(stream, stdout);
  EXPECT_EQ(vek::pfafs_stream_of(&slot)->descriptor, -1);
  vek::relmem(&slot);
}

}  // namespace
