// The portable file record: opening by access code, lines, text-mode line ends and
// status codes.
#include "fileaccess/backends/pfu.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/w32/codepage.h"
#include "runtime/memory/getmem.h"
#include "runtime/system/ntsys.h"
#include "runtime/system/process.h"
#include "runtime/text/lang.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "tests/support/temp_dir.h"

namespace {

using yrltest::live_blocks;

class PfuTest : public yrltest::RuntimeTest {
 protected:
  vek::PF_File* open(int access, int mode = vek::PFU_TEXT, int buffer_size = 512) {
    vek::PF_File* file = nullptr;
    EXPECT_EQ(vek::pfu_fopen(path.c_str(), access, mode, buffer_size, &file), vek::PFU_SUCCESS);
    return file;
  }
  void close(vek::PF_File** file) { EXPECT_EQ(vek::pfu_fclose(file), vek::PFU_SUCCESS); }

  yrltest::TempDir dir;
  std::string path = dir.file("data.txt");
};

TEST_F(PfuTest, OpenMakesARecordAndCloseReleasesIt) {
  vek::PF_File* file = open(vek::PFU_ACCESS_CREATE_WRITE, vek::PFU_BINARY);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->kind, vek::PFU_Disk_File);
  EXPECT_EQ(file->mode, vek::PFU_BINARY);
  EXPECT_EQ(file->access, vek::PFU_ACCESS_CREATE_WRITE);
  // The name is kept in the neutral form.
  std::string neutral = path;
  for (char& c : neutral)
    if (c == '/') c = '|';
  EXPECT_EQ(std::string(file->name), neutral);
  EXPECT_EQ(file->last_op, vek::PFU_OP_NONE);
  EXPECT_EQ(file->descriptor, vek::PF_NULL_Descriptor);
  close(&file);
  EXPECT_EQ(file, nullptr);
  EXPECT_EQ(live_blocks(), 0);
  EXPECT_EQ(vek::pfu_fclose(&file), vek::PFU_NO_CHANGE);
  EXPECT_EQ(vek::pfu_fclose(nullptr), vek::PFU_NO_CHANGE);
}

TEST_F(PfuTest, RelativePathsGetTheWorkingDirectoryInTheName) {
  yrltest::InTempDir here;
  vek::PF_File* file = nullptr;
  ASSERT_EQ(vek::pfu_fopen("rel.txt", vek::PFU_ACCESS_WRITE, vek::PFU_TEXT, 0, &file),
            vek::PFU_SUCCESS);
  char directory[vek::PFU_PATH_SIZE];
  ASSERT_EQ(vek::pfu_getwd(directory), vek::PFU_SUCCESS);
  EXPECT_EQ(std::string(file->name), std::string(directory) + "|rel.txt");
  EXPECT_EQ(std::string(directory).substr(0, 3), "C:|");
  close(&file);
}

TEST_F(PfuTest, AccessCodesOpenCreateTruncateAndAppend) {
  // Reading a missing file creates it empty.
  vek::PF_File* file = open(vek::PFU_ACCESS_READ);
  char line[16] = "zz";
  EXPECT_EQ(vek::pfu_fgets(file, line, sizeof line), vek::PFU_END_OF_FILE);
  EXPECT_STREQ(line, "");
  close(&file);
  EXPECT_TRUE(std::filesystem::exists(path));

  yrltest::write_file(path, "old text\n");
  file = open(vek::PFU_ACCESS_WRITE, vek::PFU_BINARY);  // neither truncates nor appends
  vek::pfu_fputs(file, "NEW");
  close(&file);
  EXPECT_EQ(yrltest::read_file(path), "NEW text\n");

  file = open(vek::PFU_ACCESS_APPEND, vek::PFU_BINARY);
  vek::pfu_fputs(file, "more");
  close(&file);
  EXPECT_EQ(yrltest::read_file(path), "NEW text\nmore");

  file = open(vek::PFU_ACCESS_CREATE_WRITE, vek::PFU_BINARY);
  vek::pfu_fputs(file, "x");
  close(&file);
  EXPECT_EQ(yrltest::read_file(path), "x");
}

TEST_F(PfuTest, CreateNewMakesNoRecordAndFailsOnAnExistingFile) {
  vek::PF_File* file = nullptr;
  EXPECT_EQ(vek::pfu_fopen(path.c_str(), vek::PFU_ACCESS_CREATE_NEW, vek::PFU_TEXT, 0, &file),
            vek::PFU_SUCCESS);
  EXPECT_EQ(file, nullptr);
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(vek::pfu_fopen(path.c_str(), vek::PFU_ACCESS_CREATE_NEW, vek::PFU_TEXT, 0, &file),
            vek::PFU_ALREADY_EXISTS);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(PfuTest, BadOpensAreRefusedWithoutARecord) {
  vek::PF_File* file = nullptr;
  EXPECT_EQ(vek::pfu_fopen(path.c_str(), 5, vek::PFU_TEXT, 0, &file), vek::PFU_TRAP);
  EXPECT_EQ(vek::pfu_fopen(path.c_str(), 1, 3, 0, &file), vek::PFU_TRAP);
  std::string missing_dir = dir.file("none/x.txt");
  EXPECT_EQ(vek::pfu_fopen(missing_dir.c_str(), 1, vek::PFU_TEXT, 0, &file), vek::PFU_NOT_EXIST);
  // A path of 256 characters or more fails before any system call.
  std::string long_path = dir.path() + "/" + std::string(300, 'n');
  EXPECT_EQ(vek::pfu_fopen(long_path.c_str(), 6, vek::PFU_TEXT, 0, &file),
            vek::PFU_NAME_TOO_LONG);
  EXPECT_EQ(file, nullptr);
  EXPECT_FALSE(std::filesystem::exists(dir.file("none")));
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(PfuTest, TextModeStoresCrLfAndReadsBackLf) {
  vek::PF_File* file = open(vek::PFU_ACCESS_CREATE_WRITE);
  EXPECT_EQ(vek::pfu_fputc(file, 'a'), vek::PFU_SUCCESS);
  EXPECT_EQ(vek::pfu_fputc(file, '\r'), vek::PFU_SUCCESS);
  EXPECT_EQ(vek::pfu_fputc(file, '\n'), vek::PFU_SUCCESS);
  EXPECT_EQ(vek::pfu_fputs(file, "b\n"), vek::PFU_SUCCESS);
  close(&file);
  EXPECT_EQ(yrltest::read_file(path), "a\r\nb\r\n");

  for (int size : {3, 4, 100}) {
    file = open(vek::PFU_ACCESS_READ);
    char line[100];
    EXPECT_EQ(vek::pfu_fgets(file, line, size), vek::PFU_SUCCESS);
    EXPECT_STREQ(line, "a\n");
    EXPECT_EQ(vek::pfu_fgets(file, line, size), vek::PFU_SUCCESS);
    EXPECT_STREQ(line, "b\n");
    EXPECT_EQ(vek::pfu_fgets(file, line, size), vek::PFU_END_OF_FILE);
    EXPECT_STREQ(line, "");
    close(&file);
  }

  // Binary files take the bytes as they are.
  file = open(vek::PFU_ACCESS_READ, vek::PFU_BINARY);
  char line[16];
  EXPECT_EQ(vek::pfu_fgets(file, line, sizeof line), vek::PFU_SUCCESS);
  EXPECT_STREQ(line, "a\r\n");
  close(&file);
}

TEST_F(PfuTest, FgetsStatuses) {
  yrltest::write_file(path, "abcd\nabcde\nlast");
  vek::PF_File* file = open(vek::PFU_ACCESS_READ, vek::PFU_BINARY);
  char line[8];
  std::memset(line, 'z', sizeof line);
  EXPECT_EQ(vek::pfu_fgets(file, line, 6), vek::PFU_SUCCESS);  // 5 bytes with the line feed
  EXPECT_STREQ(line, "abcd\n");
  std::memset(line, 'z', sizeof line);
  EXPECT_EQ(vek::pfu_fgets(file, line, 6), vek::PFU_NAME_TOO_LONG);
  EXPECT_STREQ(line, "abcde");
  EXPECT_EQ(line[6], 'z');  // nothing written past size
  // The rest of the line stays for the next read.
  EXPECT_EQ(vek::pfu_fgets(file, line, 6), vek::PFU_SUCCESS);
  EXPECT_STREQ(line, "\n");
  EXPECT_EQ(vek::pfu_fgets(file, line, 5), vek::PFU_END_OF_FILE);  // fills the size exactly
  EXPECT_STREQ(line, "last");
  EXPECT_EQ(vek::pfu_fgets(file, line, 1), vek::PFU_END_OF_FILE);
  EXPECT_EQ(vek::pfu_fgets(file, line, 0), vek::PFU_INVALID_ARG);
  close(&file);
}

TEST_F(PfuTest, ReadAndWriteNeedASeekBetweenThem) {
  yrltest::write_file(path, "line\n");
  vek::PF_File* file = open(vek::PFU_ACCESS_READ_WRITE, vek::PFU_BINARY);
  char line[16];
  EXPECT_EQ(vek::pfu_fgets(file, line, sizeof line), vek::PFU_SUCCESS);
  EXPECT_EQ(vek::pfu_fputc(file, 'x'), vek::PFU_TRAP);
  EXPECT_EQ(vek::pfu_fputs(file, "x"), vek::PFU_TRAP);
  close(&file);
  EXPECT_EQ(yrltest::read_file(path), "line\n");

  file = open(vek::PFU_ACCESS_CREATE_READ_WRITE, vek::PFU_BINARY);
  EXPECT_EQ(vek::pfu_fputs(file, "ab\n"), vek::PFU_SUCCESS);
  std::strcpy(line, "kept");
  EXPECT_EQ(vek::pfu_fgets(file, line, sizeof line), vek::PFU_TRAP);
  EXPECT_STREQ(line, "kept");
  close(&file);
  EXPECT_EQ(yrltest::read_file(path), "ab\n");
}

TEST_F(PfuTest, OperationsRefuseRecordsNotOpenForThemAndNullRecords) {
  vek::PF_File* reader = open(vek::PFU_ACCESS_READ);
  EXPECT_EQ(vek::pfu_fputc(reader, 'a'), vek::PFU_TRAP);
  EXPECT_EQ(vek::pfu_fprintf(reader, "%d", 1), vek::PFU_TRAP);
  close(&reader);
  vek::PF_File* writer = open(vek::PFU_ACCESS_CREATE_WRITE);
  char line[4];
  EXPECT_EQ(vek::pfu_fgets(writer, line, sizeof line), vek::PFU_TRAP);
  EXPECT_EQ(vek::pfu_fputs(writer, nullptr), vek::PFU_INVALID_ARG);
  close(&writer);
  EXPECT_EQ(vek::pfu_fgets(nullptr, line, sizeof line), vek::PFU_TRAP);
  EXPECT_EQ(vek::pfu_fputc(nullptr, 'a'), vek::PFU_TRAP);
  EXPECT_EQ(vek::pfu_fputs(nullptr, "a"), vek::PFU_TRAP);
  EXPECT_EQ(vek::pfu_fprintf(nullptr, "a"), vek::PFU_TRAP);
}

TEST_F(PfuTest, FprintfWritesTheFormattedText) {
  vek::PF_File* file = open(vek::PFU_ACCESS_CREATE_WRITE);
  EXPECT_EQ(vek::pfu_fprintf(file, "%d-%s\n", 42, "x"), vek::PFU_SUCCESS);
  EXPECT_EQ(vek::pfu_fprintf(file, "%ws", u"w\u00e9"), vek::PFU_SUCCESS);
  close(&file);
  EXPECT_EQ(yrltest::read_file(path), "42-x\r\nw\xe9");
}

TEST_F(PfuTest, AFullDiskIsReportedByTheWriteOrTheClose) {
  vek::PF_File* file = nullptr;
  // Unbuffered: the write itself fails.
  ASSERT_EQ(vek::pfu_fopen("/dev/full", vek::PFU_ACCESS_WRITE, vek::PFU_BINARY, 0, &file),
            vek::PFU_SUCCESS);
  EXPECT_EQ(vek::pfu_fputs(file, "data"), vek::PFU_DISK_FULL);
  vek::pfu_fclose(&file);
  // Buffered: the close, which flushes, fails.
  ASSERT_EQ(vek::pfu_fopen("/dev/full", vek::PFU_ACCESS_WRITE, vek::PFU_BINARY, 512, &file),
            vek::PFU_SUCCESS);
  EXPECT_EQ(vek::pfu_fputs(file, "data"), vek::PFU_SUCCESS);
  EXPECT_EQ(vek::pfu_fclose(&file), vek::PFU_DISK_FULL);
  EXPECT_EQ(file, nullptr);
  EXPECT_EQ(live_blocks(), 0);
}

TEST_F(PfuTest, ErrorNumbersMapByMeaning) {
  struct Case {
    int error;
    int status;
  };
  for (Case c : {Case{EPERM, 30}, Case{ENOENT, 5}, Case{EACCES, 8}, Case{EEXIST, 7},
                 Case{ENOTDIR, 14}, Case{EISDIR, 8}, Case{ENOSPC, 12}, Case{EDEADLK, 24},
                 Case{ENAMETOOLONG, 11}, Case{ENOLCK, 26}, Case{ELOOP, 4}, Case{0, 4}})
    EXPECT_EQ(vek::pfu_map_error(c.error), c.status) << c.error;
}

TEST_F(PfuTest, StrcpyLimitCopiesOnlyWhatFitsWithItsTerminator) {
  char target[8] = "zzzzzzz";
  EXPECT_EQ(vek::strcpy_limit("abc", 4, target), 0);
  EXPECT_STREQ(target, "abc");
  EXPECT_EQ(vek::strcpy_limit("abcd", 4, target), 1);
  EXPECT_STREQ(target, "");
}

TEST_F(PfuTest, PathToOsTurnsDelimitersOfWholeCharactersOnly) {
  struct Case {
    int language;
    int os;
    const char* path;
    const char* expected;
  };
  // Shift_JIS trail bytes 0x5C and 0x7C look like '\\' and '|'.
  const Case cases[] = {
      {vek::LANG_ENGLISH, vek::PFU_OS_WINDOWS, "a/b|c\\d", "a\\b\\c\\d"},
      {vek::LANG_ENGLISH, vek::PFU_OS_UNIX, "a/b|c\\d", "a/b/c/d"},
      {vek::LANG_ENGLISH, vek::PFU_OS_WINDOWS, "", ""},
      {vek::LANG_GENERIC_MULTIBYTE, vek::PFU_OS_UNIX, "x\\\x95\x5C|\x83\x7C", "x/\x95\x5C/\x83\x7C"},
      {vek::LANG_GENERIC_MULTIBYTE, vek::PFU_OS_WINDOWS, "/\x95\x5C|\x83\x7C", "\\\x95\x5C\\\x83\x7C"},
      {vek::LANG_JAPANESE, vek::PFU_OS_WINDOWS, "\xA4\xA2/\x8F\xA1\xA1|", "\xA4\xA2\\\x8F\xA1\xA1\\"},
  };
  ASSERT_TRUE(w32::set_system_code_page(932));
  for (const Case& c : cases) {
    vek::set_language(c.language);
    char path[vek::PFU_PATH_SIZE];
    std::strcpy(path, c.path);
    EXPECT_EQ(vek::pfu_path_to_os(path, c.os), vek::PFU_SUCCESS) << c.path;
    EXPECT_STREQ(path, c.expected);
  }
  char path[] = "a/b";
  EXPECT_EQ(vek::pfu_path_to_os(path, 2), vek::PFU_INVALID_ARG);
  EXPECT_STREQ(path, "a/b");
  EXPECT_EQ(vek::pfu_path_to_os(nullptr, vek::PFU_OS_UNIX), vek::PFU_INVALID_PTR);
}

volatile std::sig_atomic_t g_raised = 0;
void count_raise(int) { g_raised = g_raised + 1; }

// Raising goes through the signal layer: the trace names the outcome, and the alarm,
// which is the emulation's, is never delivered for real.
TEST_F(PfuTest, RaisingASignalTracesTheOutcome) {
  struct sigaction action = {};
  action.sa_handler = count_raise;
  ASSERT_EQ(sigaction(SIGUSR1, &action, nullptr), 0);
  ASSERT_EQ(sigaction(SIGALRM, &action, nullptr), 0);
  vek::NT_signal(vek::NT_SIGALRM, count_raise);
  struct Case {
    int signal;
    int result;
    const char* trace;
    int raised;
  };
  const Case cases[] = {
      {SIGUSR1, 1, "RAISING SIGNAL : Signal number : 10\nRaised Signal number : 10\n", 1},
      {14, 0, "RAISING SIGNAL : Signal number : 14\nAPPLICATION ERROR\n", 0},
      {999, 0, "RAISING SIGNAL : Signal number : 999\nAPPLICATION ERROR\n", 0},
      {-1, 0, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.signal);
    yrltest::ConsoleCapture console;
    g_raised = 0;
    EXPECT_EQ(vek::ctsu_raise_signal(c.signal), c.result);
    EXPECT_EQ(console.err(), c.trace);
    EXPECT_EQ(g_raised, c.raised);
  }
}

}  // namespace

namespace {

TEST_F(PfuTest, FreadDeliversTheRequestThenTheEndWithItsCount) {
  yrltest::write_file(path, "ab\r\ncd\r\n");
  vek::PF_File* file = open(vek::PFU_ACCESS_READ);
  char buffer[16];
  int count = -1;
  // Text mode: carriage returns are dropped and the request filled from what follows.
  EXPECT_EQ(vek::pfu_fread(file, 4, &count, buffer), vek::PFU_SUCCESS);
  EXPECT_EQ(std::string(buffer, 4), "ab\nc");
  EXPECT_EQ(count, 4);
  EXPECT_EQ(vek::pfu_fread(file, 10, &count, buffer), vek::PFU_END_OF_FILE);
  EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(count)), "d\n");
  EXPECT_EQ(vek::pfu_fread(file, 10, &count, buffer), vek::PFU_END_OF_FILE);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(vek::pfu_fread(file, 0, &count, buffer), vek::PFU_SUCCESS);
  EXPECT_EQ(vek::pfu_fread(file, -1, &count, buffer), vek::PFU_INVALID_ARG);
  EXPECT_EQ(vek::pfu_fread(file, 1, nullptr, buffer), vek::PFU_INVALID_ARG);
  close(&file);

  vek::PF_File* binary = open(vek::PFU_ACCESS_READ, vek::PFU_BINARY);
  EXPECT_EQ(vek::pfu_fread(binary, 8, &count, buffer), vek::PFU_SUCCESS);
  EXPECT_EQ(std::string(buffer, 8), "ab\r\ncd\r\n");
  close(&binary);

  vek::PF_File* writer = open(vek::PFU_ACCESS_WRITE);
  EXPECT_EQ(vek::pfu_fread(writer, 1, &count, buffer), vek::PFU_TRAP);
  close(&writer);
  EXPECT_EQ(vek::pfu_fread(nullptr, 1, &count, buffer), vek::PFU_TRAP);
}

TEST_F(PfuTest, PopenPipesBothWaysAndRecordsTheChild) {
  vek::PF_File* to = nullptr;
  vek::PF_File* from = nullptr;
  vek::VynProc* child = nullptr;
  ASSERT_EQ(vek::pfu_popen("  sh -c \"tr a-z A-Z; echo err >&2\"  ", 0, 512, 512, &to, &from,
                           &child),
            vek::PFU_SUCCESS);
  ASSERT_NE(to, nullptr);
  ASSERT_NE(from, nullptr);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(to->kind, vek::PFU_Pipe);
  EXPECT_EQ(to->access, vek::PFU_ACCESS_WRITE);
  EXPECT_EQ(from->access, vek::PFU_ACCESS_READ);
  EXPECT_EQ(child->kind, vek::VYN_PROC_PROCESS);
  EXPECT_EQ(vek::pfu_fputs(to, "piped\n"), vek::PFU_SUCCESS);
  // Closing our end is the child's end of input: no other end is held open.
  close(&to);
  char buffer[64];
  int count = 0;
  EXPECT_EQ(vek::pfu_fread(from, sizeof buffer, &count, buffer), vek::PFU_END_OF_FILE);
  EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(count)), "PIPED\nerr\n");
  close(&from);
  int code = -1;
  EXPECT_EQ(vek::vyn_wait_for_subproc(1, &child, &code), 0);
  EXPECT_EQ(code, 0);
  vek::vyn_free_proc_handle(&child);

  EXPECT_EQ(vek::pfu_popen("no-such-program-anywhere", 0, 0, 0, nullptr, &from, &child),
            vek::PFU_NOT_EXIST);
  EXPECT_EQ(from, nullptr);
  EXPECT_EQ(child, nullptr);
  EXPECT_EQ(vek::pfu_popen(nullptr, 0, 0, 0, nullptr, &from, &child), vek::PFU_INVALID_ARG);
  EXPECT_EQ(vek::pfu_popen("true", 0, 0, 0, nullptr, &from, nullptr), vek::PFU_INVALID_ARG);
}

}  // namespace
