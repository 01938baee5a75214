// Files by handle, and the fault facility that makes their calls fail on demand.
#include "platform/w32/fileio.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "platform/w32/error.h"
#include "platform/w32/fault.h"
#include "platform/w32/fault_testing.h"
#include "platform/w32/file.h"
#include "platform/w32/handle.h"
#include "tests/platform/w32/process_test_support.h"
#include "tests/support/file_size_limit.h"

namespace {

using namespace w32;

class FileIoTest : public yrltest::W32ProcessTest {
 protected:
  // The Windows name of a file in the scratch directory.
  std::string name(const std::string& relative) { return windows(dir_.at(relative)); }

  HANDLE open(const std::string& relative, DWORD access, DWORD disposition, DWORD flags = 0) {
    return CreateFileA(name(relative).c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                       flags, nullptr);
  }

  static bool write_text(HANDLE file, const std::string& text) {
    DWORD written = 0;
    BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    EXPECT_EQ(written, ok ? text.size() : written);
    return ok;
  }

  static std::string read_text(HANDLE file, DWORD count) {
    std::string text(count, '\0');
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(file, text.data(), count, &got, nullptr));
    text.resize(got);
    return text;
  }

  yrltest::ScratchDir dir_;
};

TEST_F(FileIoTest, DispositionsOnAMissingAndAnExistingFile) {
  struct Case {
    DWORD disposition;
    bool opens_missing;      // a missing file is made
    DWORD missing_error;     // last error then
    bool opens_existing;
    DWORD existing_error;
    const char* left;        // the existing file's content after the open
  } cases[] = {
      {CREATE_NEW, true, ERROR_SUCCESS, false, ERROR_FILE_EXISTS, "old"},
      {CREATE_ALWAYS, true, ERROR_SUCCESS, true, ERROR_ALREADY_EXISTS, ""},
      {OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND, true, ERROR_SUCCESS, "old"},
      {OPEN_ALWAYS, true, ERROR_SUCCESS, true, ERROR_ALREADY_EXISTS, "old"},
      {TRUNCATE_EXISTING, false, ERROR_FILE_NOT_FOUND, true, ERROR_SUCCESS, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.disposition);
    std::remove(dir_.at("missing").c_str());
    SetLastError(12345);
    HANDLE made = open("missing", GENERIC_WRITE, c.disposition);
    EXPECT_EQ(made != INVALID_HANDLE_VALUE, c.opens_missing);
    if (c.opens_missing) {
      EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
      EXPECT_TRUE(CloseHandle(made));
      EXPECT_EQ(read_all(dir_.at("missing")), "");
    } else {
      EXPECT_EQ(GetLastError(), c.missing_error);
    }

    dir_.make_file("existing", "old");
    SetLastError(12345);
    HANDLE opened = open("EXISTING", GENERIC_WRITE, c.disposition);  // names fold case
    EXPECT_EQ(opened != INVALID_HANDLE_VALUE, c.opens_existing);
    EXPECT_EQ(GetLastError(), c.existing_error);
    if (opened != INVALID_HANDLE_VALUE) {
      EXPECT_TRUE(CloseHandle(opened));
    }
    EXPECT_EQ(read_all(dir_.at("existing")), c.left);
  }
}

TEST_F(FileIoTest, WrittenBytesReadBackFromTheStart) {
  HANDLE file = open("data.bin", GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const std::string bytes("one\0two\r\n", 9);
  EXPECT_TRUE(write_text(file, bytes));
  EXPECT_TRUE(write_text(file, ""));
  EXPECT_TRUE(FlushFileBuffers(file));
  EXPECT_EQ(read_text(file, 4), "");  // the position is past what was written
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(read_all(dir_.at("data.bin")), bytes);

  file = open("data.bin", GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(read_text(file, 5), bytes.substr(0, 5));
  EXPECT_EQ(read_text(file, 100), bytes.substr(5));
  EXPECT_EQ(read_text(file, 100), "");
  EXPECT_TRUE(CloseHandle(file));
}

TEST_F(FileIoTest, EachHandleServesOnlyTheAccessItWasOpenedWith) {
  dir_.make_file("text", "abc");
  HANDLE reader = open("text", GENERIC_READ, OPEN_EXISTING);
  HANDLE writer = open("text", GENERIC_WRITE, OPEN_EXISTING);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  char buffer[4];
  DWORD count = 99;
  EXPECT_FALSE(WriteFile(reader, "x", 1, &count, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(count, 0u);
  EXPECT_FALSE(FlushFileBuffers(reader));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(ReadFile(writer, buffer, sizeof buffer, &count, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(WriteFile(writer, nullptr, 1, &count, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(CloseHandle(reader));
  EXPECT_TRUE(CloseHandle(writer));

  // A closed handle, or one of another kind, is no file.
  for (HANDLE handle : {reader, INVALID_HANDLE_VALUE, static_cast<HANDLE>(nullptr)}) {
    EXPECT_FALSE(WriteFile(handle, "x", 1, &count, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(ReadFile(handle, buffer, 1, &count, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(FlushFileBuffers(handle));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(CloseHandle(handle));
  }
}

TEST_F(FileIoTest, RefusedOpens) {
  dir_.make_file("locked", "keep");
  chmod(dir_.at("locked").c_str(), 0444);
  dir_.make_dir("folder");
  struct Case {
    const char* name;
    DWORD access;
    DWORD disposition;
    DWORD error;
  } cases[] = {
      // Read-only holds for every user, and nothing is emptied on the way.
      {"locked", GENERIC_WRITE, CREATE_ALWAYS, ERROR_ACCESS_DENIED},
      {"locked", GENERIC_WRITE, TRUNCATE_EXISTING, ERROR_ACCESS_DENIED},
      {"locked", GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING, ERROR_ACCESS_DENIED},
      {"folder", GENERIC_READ, OPEN_EXISTING, ERROR_ACCESS_DENIED},
      {"folder", GENERIC_WRITE, OPEN_ALWAYS, ERROR_ACCESS_DENIED},
      {"no/such/file", GENERIC_WRITE, CREATE_ALWAYS, ERROR_PATH_NOT_FOUND},
      {"file", 0, CREATE_ALWAYS, ERROR_INVALID_PARAMETER},
      {"file", GENERIC_READ, TRUNCATE_EXISTING, ERROR_INVALID_PARAMETER},
      {"file", GENERIC_WRITE, 0, ERROR_INVALID_PARAMETER},
      {"file", GENERIC_WRITE, 6, ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.disposition));
    SetLastError(0);
    EXPECT_EQ(open(c.name, c.access, c.disposition), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_EQ(read_all(dir_.at("locked")), "keep");
  EXPECT_EQ(GetFileAttributesA(name("file").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(CreateFileA(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

  // A file made read-only is read-only once made.
  HANDLE file = open("made", GENERIC_WRITE, CREATE_NEW, FILE_ATTRIBUTE_READONLY);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(write_text(file, "x"));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(GetFileAttributesA(name("made").c_str()),
            FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
}

// A real size limit: the write stops at it, with the bytes before it counted.
TEST_F(FileIoTest, AWriteBeyondTheSizeLimitFailsPartWay) {
  HANDLE file = open("big", GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const std::string text(25, 'z');
  DWORD written = 0;
  BOOL ok = FALSE;
  DWORD error = 0;
  {
    yrltest::FileSizeLimit limit(10);
    ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    error = GetLastError();
  }
  EXPECT_FALSE(ok);
  EXPECT_EQ(error, ERROR_FILE_TOO_LARGE);
  EXPECT_EQ(written, 10u);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(read_all(dir_.at("big")), text.substr(0, 10));
}

TEST_F(FileIoTest, AnArmedCallFailsWithItsCodeAndDoesNothingElse) {
  HANDLE file = open("log", GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(fault_testing_fail_on_call("WriteFile", 2, ERROR_DISK_FULL));
  EXPECT_EQ(fault_testing_armed(), 1);
  EXPECT_TRUE(write_text(file, "one "));
  DWORD written = 99;
  EXPECT_FALSE(WriteFile(file, "two ", 4, &written, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(fault_testing_armed(), 0);
  EXPECT_TRUE(write_text(file, "three"));  // a fault hits once

  ASSERT_TRUE(fault_testing_fail_on_call("FlushFileBuffers", 1, ERROR_GEN_FAILURE));
  EXPECT_FALSE(FlushFileBuffers(file));
  EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);
  EXPECT_TRUE(FlushFileBuffers(file));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(read_all(dir_.at("log")), "one three");

  // An open that fails makes nothing; two arms on one function hit their own calls.
  ASSERT_TRUE(fault_testing_fail_on_call("CreateFileA", 1, ERROR_ACCESS_DENIED));
  ASSERT_TRUE(fault_testing_fail_on_call("CreateFileA", 3, ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(open("new", GENERIC_WRITE, CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(GetFileAttributesA(name("new").c_str()), INVALID_FILE_ATTRIBUTES);
  file = open("new", GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(open("new", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

  ASSERT_TRUE(fault_testing_fail_on_call("ReadFile", 1, ERROR_GEN_FAILURE));
  ASSERT_TRUE(fault_testing_fail_on_call("MoveFileExA", 1, ERROR_ACCESS_DENIED));
  file = open("new", GENERIC_READ, OPEN_EXISTING);
  char byte;
  DWORD got = 7;
  EXPECT_FALSE(ReadFile(file, &byte, 1, &got, nullptr));
  EXPECT_EQ(got, 0u);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_FALSE(MoveFileExA(name("new").c_str(), name("moved").c_str(), 0));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(read_all(dir_.at("new")), "");
}

TEST_F(FileIoTest, ArmingRefusesWhatCannotBeArmedAndResetDisarms) {
  EXPECT_FALSE(fault_testing_fail_on_call(nullptr, 1, ERROR_GEN_FAILURE));
  EXPECT_FALSE(fault_testing_fail_on_call("", 1, ERROR_GEN_FAILURE));
  EXPECT_FALSE(fault_testing_fail_on_call("WriteFile", 0, ERROR_GEN_FAILURE));
  EXPECT_FALSE(fault_testing_fail_on_call(std::string(32, 'F').c_str(), 1, ERROR_GEN_FAILURE));
  for (int i = 0; i < W32_FAULT_MAX; ++i)
    EXPECT_TRUE(fault_testing_fail_on_call("SomeCall", i + 1, ERROR_GEN_FAILURE));
  EXPECT_FALSE(fault_testing_fail_on_call("SomeCall", 1, ERROR_GEN_FAILURE));
  EXPECT_EQ(fault_testing_armed(), W32_FAULT_MAX);
  EXPECT_FALSE(w32_fault_hit("OtherCall"));
  SetLastError(0);
  EXPECT_TRUE(w32_fault_hit("SomeCall"));
  EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);
  EXPECT_FALSE(w32_fault_hit(nullptr));
  yrltest::reset_w32_state();
  EXPECT_EQ(fault_testing_armed(), 0);
  EXPECT_FALSE(w32_fault_hit("SomeCall"));
}

TEST_F(FileIoTest, SetFilePointerMovesFromEachOriginAndRefusesBeforeTheStart) {
  dir_.make_file("seek", "0123456789");
  HANDLE file = open("seek", GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  struct Case {
    LONG distance;
    DWORD method;
    DWORD position;  // INVALID_SET_FILE_POINTER: refused
    DWORD error;
  } cases[] = {
      {3, FILE_BEGIN, 3, ERROR_SUCCESS},
      {2, FILE_CURRENT, 5, ERROR_SUCCESS},
      {-1, FILE_END, 9, ERROR_SUCCESS},
      {-10, FILE_CURRENT, INVALID_SET_FILE_POINTER, ERROR_NEGATIVE_SEEK},
      {0, 3, INVALID_SET_FILE_POINTER, ERROR_INVALID_PARAMETER},
      {-4, FILE_END, 6, ERROR_SUCCESS},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.distance);
    EXPECT_EQ(SetFilePointer(file, c.distance, nullptr, c.method), c.position);
    EXPECT_EQ(GetLastError(), c.error);
  }
  // A refused move left the position where it was.
  EXPECT_EQ(read_text(file, 2), "67");
  LONG high = 1;  // 4 GiB + 1 lies past the end and is a valid position
  EXPECT_EQ(SetFilePointer(file, 1, &high, FILE_BEGIN), 1u);
  EXPECT_EQ(high, 1);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

}  // namespace
