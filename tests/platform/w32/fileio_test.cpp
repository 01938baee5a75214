// Files by handle, and the fault facility that makes their calls fail on demand.
#include "platform/w32/fileio.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <vector>
#include <string>

#include "platform/w32/error.h"
#include "platform/w32/fault.h"
#include "platform/w32/fault_testing.h"
#include "platform/w32/file.h"
#include "platform/w32/handle.h"
#include "tests/platform/w32/process_test_support.h"
#include "platform/w32/filetime.h"
#include "tests/support/file_size_limit.h"

namespace {

using namespace w32;

class FileIoTest : public yrltest::W32ProcessTest {
 protected:
  // The Windows name of a file in the scratch directory.
  std::string name(const std::string& relative) { return windows(dir_.at(relative)); }

  HANDLE open(const std::string& relative, DWORD access, DWORD disposition, DWORD flags = 0,
              DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE) {
    return CreateFileA(name(relative).c_str(), access, share, nullptr, disposition, flags,
                       nullptr);
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


// The four kinds of name against every disposition, for reading and for writing.
TEST_F(FileIoTest, DispositionsOnReadOnlyFilesAndDirectories) {
  struct Case {
    const char* kind;  // "ro": a read-only file; "dir": a directory
    DWORD access;
    DWORD disposition;
    DWORD flags;
    DWORD error;  // ERROR_SUCCESS or ERROR_ALREADY_EXISTS when it opens
    bool opens;
  } cases[] = {
      {"ro", GENERIC_READ, CREATE_NEW, 0, ERROR_FILE_EXISTS, false},
      {"ro", GENERIC_READ, CREATE_ALWAYS, 0, ERROR_ACCESS_DENIED, false},
      {"ro", GENERIC_READ, OPEN_EXISTING, 0, ERROR_SUCCESS, true},
      {"ro", GENERIC_READ, OPEN_ALWAYS, 0, ERROR_ALREADY_EXISTS, true},
      {"ro", GENERIC_WRITE, CREATE_NEW, 0, ERROR_FILE_EXISTS, false},
      {"ro", GENERIC_WRITE, CREATE_ALWAYS, 0, ERROR_ACCESS_DENIED, false},
      {"ro", GENERIC_WRITE, OPEN_EXISTING, 0, ERROR_ACCESS_DENIED, false},
      {"ro", GENERIC_WRITE, OPEN_ALWAYS, 0, ERROR_ACCESS_DENIED, false},
      {"ro", GENERIC_WRITE, TRUNCATE_EXISTING, 0, ERROR_ACCESS_DENIED, false},
      {"dir", GENERIC_READ, OPEN_EXISTING, 0, ERROR_ACCESS_DENIED, false},
      {"dir", GENERIC_READ, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, ERROR_SUCCESS, true},
      {"dir", GENERIC_WRITE, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, ERROR_SUCCESS, true},
      {"dir", GENERIC_READ, OPEN_ALWAYS, FILE_FLAG_BACKUP_SEMANTICS, ERROR_ALREADY_EXISTS, true},
      {"dir", GENERIC_READ, CREATE_NEW, FILE_FLAG_BACKUP_SEMANTICS, ERROR_FILE_EXISTS, false},
      {"dir", GENERIC_WRITE, CREATE_ALWAYS, FILE_FLAG_BACKUP_SEMANTICS, ERROR_ACCESS_DENIED, false},
      {"dir", GENERIC_WRITE, TRUNCATE_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, ERROR_ACCESS_DENIED,
       false},
  };
  dir_.make_file("ro", "keep");
  chmod(dir_.at("ro").c_str(), 0444);
  dir_.make_dir("dir");
  dir_.make_file("dir/inside", "x");
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.kind) + " access " + std::to_string(c.access) + " disposition " +
                 std::to_string(c.disposition));
    SetLastError(12345);
    HANDLE handle = open(c.kind, c.access, c.disposition, c.flags);
    EXPECT_EQ(handle != INVALID_HANDLE_VALUE, c.opens);
    EXPECT_EQ(GetLastError(), c.error);
    if (handle == INVALID_HANDLE_VALUE) continue;
    if (std::strcmp(c.kind, "dir") == 0) {
      // A directory's handle moves no bytes.
      char byte = 0;
      DWORD count = 0;
      EXPECT_FALSE(ReadFile(handle, &byte, 1, &count, nullptr));
      EXPECT_EQ(GetLastError(), (c.access & GENERIC_READ) != 0 ? ERROR_INVALID_FUNCTION
                                                               : ERROR_ACCESS_DENIED);
      EXPECT_EQ(SetFilePointer(handle, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
      EXPECT_EQ(GetLastError(), ERROR_INVALID_FUNCTION);
      FILETIME written{};
      EXPECT_TRUE(GetFileTime(handle, nullptr, nullptr, &written));
    }
    EXPECT_TRUE(CloseHandle(handle));
  }
  EXPECT_EQ(read_all(dir_.at("ro")), "keep");
  EXPECT_EQ(read_all(dir_.at("dir/inside")), "x");
}

// Each row opens a first handle, then a second one on the same file under another spelling.
TEST_F(FileIoTest, ShareModesBindTheProcesssHandlesOfOneFile) {
  constexpr DWORD R = GENERIC_READ;
  constexpr DWORD W = GENERIC_WRITE;
  constexpr DWORD SR = FILE_SHARE_READ;
  constexpr DWORD SW = FILE_SHARE_WRITE;
  struct Case {
    DWORD first_access, first_share, second_access, second_share;
    bool second_opens;
  } cases[] = {
      {R, SR, R, SR, true},
      {R, SR, W, SR | SW, false},  // the first does not share writing
      {R, SR | SW, W, SR, true},
      {R, SR | SW, W, SW, false},  // the second does not share the first's reading
      {R, SR | SW, W, SR | SW, true},
      {W, SR, R, SR | SW, true},
      {W, SR, R, SR, false},       // the second does not share the first's writing
      {W, SW, R, SW, false},       // the first does not share reading
      {W, SR | SW, R | W, SR | SW, true},
      {R, 0, R, SR | SW, false},
      {R | W, 0, R, SR, false},
  };
  dir_.make_file("shared", "data");
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.first_access) + "/" + std::to_string(c.first_share) + " then " +
                 std::to_string(c.second_access) + "/" + std::to_string(c.second_share));
    HANDLE first = open("shared", c.first_access, OPEN_EXISTING, 0, c.first_share);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    SetLastError(0);
    HANDLE second = open("SHARED", c.second_access, OPEN_EXISTING, 0, c.second_share);
    EXPECT_EQ(second != INVALID_HANDLE_VALUE, c.second_opens);
    if (second != INVALID_HANDLE_VALUE) {
      EXPECT_TRUE(CloseHandle(second));
    } else {
      EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
      // A refused open that would have emptied the file leaves it whole.
      EXPECT_EQ(open("shared", c.second_access | W, TRUNCATE_EXISTING, 0, c.second_share),
                INVALID_HANDLE_VALUE);
    }
    EXPECT_TRUE(CloseHandle(first));
    // Once the first is closed, the second opens.
    second = open("shared", c.second_access, OPEN_EXISTING, 0, c.second_share);
    EXPECT_NE(second, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(second));
    EXPECT_EQ(read_all(dir_.at("shared")), "data");
  }
}

TEST_F(FileIoTest, AFileOpenWithoutShareDeleteIsNeitherDeletedNorRenamed) {
  dir_.make_file("held", "keep");
  dir_.make_file("target", "old");
  for (DWORD share : {DWORD{FILE_SHARE_READ}, DWORD{FILE_SHARE_READ | FILE_SHARE_DELETE}}) {
    SCOPED_TRACE(share);
    HANDLE file = open("held", GENERIC_READ, OPEN_EXISTING, 0, share);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    bool blocked = (share & FILE_SHARE_DELETE) == 0;
    if (blocked) {
      EXPECT_FALSE(DeleteFileA(name("held").c_str()));
      EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
      EXPECT_FALSE(MoveFileExA(name("held").c_str(), name("moved").c_str(), 0));
      EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
      // Nor replaced as the target of a move.
      EXPECT_FALSE(MoveFileExA(name("target").c_str(), name("held").c_str(),
                               MOVEFILE_REPLACE_EXISTING));
      EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
      EXPECT_EQ(read_all(dir_.at("held")), "keep");
      EXPECT_EQ(read_all(dir_.at("target")), "old");
    } else {
      EXPECT_TRUE(MoveFileExA(name("held").c_str(), name("moved").c_str(), 0));
      EXPECT_TRUE(DeleteFileA(name("moved").c_str()));
      // The handle still reads the file it opened.
      EXPECT_EQ(read_text(file, 10), "keep");
    }
    EXPECT_TRUE(CloseHandle(file));
  }
}

TEST_F(FileIoTest, PositionSizeAndEnd) {
  HANDLE file = open("sized", GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(write_text(file, "0123456789"));
  DWORD high = 77;
  EXPECT_EQ(GetFileSize(file, &high), 10u);
  EXPECT_EQ(high, 0u);
  struct Case {
    LONG distance;
    DWORD method;
    DWORD position;  // INVALID_SET_FILE_POINTER: refused, the position kept
    DWORD error;
  } cases[] = {
      {3, FILE_BEGIN, 3, ERROR_SUCCESS},
      {2, FILE_CURRENT, 5, ERROR_SUCCESS},
      {-1, FILE_END, 9, ERROR_SUCCESS},
      {-20, FILE_CURRENT, INVALID_SET_FILE_POINTER, ERROR_NEGATIVE_SEEK},
      {5, 3, INVALID_SET_FILE_POINTER, ERROR_INVALID_PARAMETER},
      {4, FILE_END, 14, ERROR_SUCCESS},  // beyond the end is allowed
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.distance) + " from " + std::to_string(c.method));
    SetLastError(12345);
    EXPECT_EQ(SetFilePointer(file, c.distance, nullptr, c.method), c.position);
    EXPECT_EQ(GetLastError(), c.error);
  }
  // The end set at 14 grows the file with zero bytes; set at 4 it cuts it.
  EXPECT_TRUE(SetEndOfFile(file));
  EXPECT_EQ(GetFileSize(file, nullptr), 14u);
  EXPECT_EQ(SetFilePointer(file, 4, nullptr, FILE_BEGIN), 4u);
  EXPECT_TRUE(SetEndOfFile(file));
  EXPECT_EQ(GetFileSize(file, nullptr), 4u);
  // A 64-bit distance in two halves.
  LONG position_high = 1;
  EXPECT_EQ(SetFilePointer(file, 8, &position_high, FILE_BEGIN), 8u);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_EQ(position_high, 1);
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);  // beyond one half: refused, never cut
  // The refused move kept the position: 8 back from it is 2^32.
  position_high = -1;
  EXPECT_EQ(SetFilePointer(file, -8, &position_high, FILE_CURRENT), 0u);
  EXPECT_EQ(position_high, 1);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(read_all(dir_.at("sized")), "0123");

  // A reading handle cannot set the end; closed handles are refused.
  file = open("sized", GENERIC_READ, OPEN_EXISTING);
  EXPECT_FALSE(SetEndOfFile(file));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(GetFileSize(file, nullptr), INVALID_FILE_SIZE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(FileIoTest, TimesSetThroughAHandleReadBackAndAgreeWithStat) {
  dir_.make_file("timed", "t");
  dir_.make_dir("folder");
  for (const char* relative : {"timed", "folder"}) {
    SCOPED_TRACE(relative);
    HANDLE file = open(relative, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    // 2001-09-09 01:46:40.1234567 UTC, and a second time a day later.
    timespec when{1000000000, 123456700};
    FILETIME write = w32_filetime_from_timespec(when);
    when.tv_sec += 86400;
    FILETIME access = w32_filetime_from_timespec(when);
    EXPECT_TRUE(SetFileTime(file, nullptr, &access, &write));
    FILETIME got_write{}, got_access{}, got_creation{};
    EXPECT_TRUE(GetFileTime(file, &got_creation, &got_access, &got_write));
    EXPECT_EQ(got_write.dwLowDateTime, write.dwLowDateTime);
    EXPECT_EQ(got_write.dwHighDateTime, write.dwHighDateTime);
    EXPECT_EQ(got_access.dwLowDateTime, access.dwLowDateTime);
    // All ones leaves a time alone.
    FILETIME keep{0xFFFFFFFFu, 0xFFFFFFFFu};
    EXPECT_TRUE(SetFileTime(file, nullptr, &keep, nullptr));
    EXPECT_TRUE(CloseHandle(file));
    struct stat st;
    ASSERT_EQ(stat(dir_.at(relative).c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 123456700);
    EXPECT_EQ(st.st_atim.tv_sec, 1000086400);
  }
  HANDLE reader = open("timed", GENERIC_READ, OPEN_EXISTING);
  FILETIME any{1, 1};
  EXPECT_FALSE(SetFileTime(reader, nullptr, nullptr, &any));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(CloseHandle(reader));
}

TEST_F(FileIoTest, WideNamesOpenTheSameFiles) {
  dir_.make_file("\xc3\xa9t\xc3\xa9.txt", "summer");
  std::u16string wide = u"";
  for (char c : name("")) wide += static_cast<char16_t>(static_cast<unsigned char>(c));
  wide += u"\u00e9t\u00e9.TXT";
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(read_text(file, 10), "summer");
  // The A form shares with the W form: one file.
  EXPECT_EQ(CreateFileA(name("\xc3\xa9t\xc3\xa9.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                        nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(CreateFileW(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// A disk that fills part-way: the bytes counted are exactly those in the file, so a
// caller that reports them loses nothing.
TEST_F(FileIoTest, AWriteCutShortCountsWhatItWrote) {
  HANDLE file = open("partial", GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(write_text(file, "head "));
  ASSERT_TRUE(fault_testing_short_write("WriteFile", 1, 3));
  DWORD written = 99;
  EXPECT_FALSE(WriteFile(file, "abcdef", 6, &written, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
  EXPECT_EQ(written, 3u);
  EXPECT_TRUE(write_text(file, "def"));  // spent: the caller writes the rest
  // A write shorter than the limit is whole, and still fails as the disk is full.
  ASSERT_TRUE(fault_testing_short_write("WriteFile", 1, 10));
  EXPECT_FALSE(WriteFile(file, "!", 1, &written, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
  EXPECT_EQ(written, 1u);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(read_all(dir_.at("partial")), "head abcdef!");
}

TEST_F(FileIoTest, ArmedRangesFiltersHooksAndCounts) {
  dir_.make_file("keep.txt", "k");
  dir_.make_file("lose.txt", "l");
  // The 2nd to 3rd opens of names holding "lose" fail; opens of other names do not count.
  ASSERT_TRUE(fault_testing_fail_calls("CreateFileA", 2, 3, ERROR_ACCESS_DENIED, "lose"));
  std::vector<bool> opened;
  for (const char* relative : {"lose.txt", "keep.txt", "lose.txt", "keep.txt", "lose.txt",
                               "lose.txt"}) {
    HANDLE file = open(relative, GENERIC_READ, OPEN_EXISTING);
    opened.push_back(file != INVALID_HANDLE_VALUE);
    if (file != INVALID_HANDLE_VALUE) {
      EXPECT_TRUE(CloseHandle(file));
    } else {
      EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    }
  }
  EXPECT_EQ(opened, (std::vector<bool>{true, true, false, true, false, true}));
  EXPECT_EQ(fault_testing_armed(), 0);
  // Every call was counted, and the A and W forms apart.
  EXPECT_EQ(fault_testing_calls("CreateFileA"), 6);
  EXPECT_EQ(fault_testing_calls("CreateFileW"), 0);
  EXPECT_EQ(fault_testing_calls("NeverCalled"), 0);

  // A hook before the 2nd open: the file vanishes between two calls.
  struct Vanish {
    std::string path;
  } vanish{dir_.at("keep.txt")};
  ASSERT_TRUE(fault_testing_hook_call(
      "CreateFileA", 2, [](void* data) { std::remove(static_cast<Vanish*>(data)->path.c_str()); },
      &vanish));
  HANDLE first = open("keep.txt", GENERIC_READ, OPEN_EXISTING);
  EXPECT_NE(first, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(first));
  EXPECT_EQ(open("keep.txt", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

  EXPECT_FALSE(fault_testing_fail_calls("CreateFileA", 3, 2, ERROR_GEN_FAILURE));
  EXPECT_FALSE(fault_testing_fail_calls("CreateFileA", 1, 1, ERROR_GEN_FAILURE,
                                        std::string(64, 'x').c_str()));
  EXPECT_FALSE(fault_testing_hook_call("CreateFileA", 1, nullptr, nullptr));
  yrltest::reset_w32_state();
  EXPECT_EQ(fault_testing_calls("CreateFileA"), 0);
}

// Count the calls of an operation once, then fail each in turn: the file either keeps its
// old content or has the new one, never less.
TEST_F(FileIoTest, FailingEachCallOfASaveInTurnLosesNothing) {
  dir_.make_file("doc", "old");
  auto save = [&]() -> bool {
    HANDLE file = open("doc.tmp", GENERIC_WRITE, CREATE_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = write_text(file, "new ") && write_text(file, "text") && FlushFileBuffers(file);
    CloseHandle(file);
    if (ok) ok = MoveFileExA(name("doc.tmp").c_str(), name("doc").c_str(),
                             MOVEFILE_REPLACE_EXISTING);
    if (!ok) DeleteFileA(name("doc.tmp").c_str());
    return ok;
  };
  const char* functions[] = {"CreateFileA", "WriteFile", "FlushFileBuffers", "MoveFileExA"};
  ASSERT_TRUE(save());
  std::vector<long> counts;
  for (const char* function : functions) counts.push_back(fault_testing_calls(function));
  EXPECT_EQ(counts, (std::vector<long>{1, 2, 1, 1}));
  for (std::size_t f = 0; f < std::size(functions); ++f) {
    for (long n = 1; n <= counts[f]; ++n) {
      SCOPED_TRACE(std::string(functions[f]) + " call " + std::to_string(n));
      dir_.make_file("doc", "old");
      ASSERT_TRUE(fault_testing_fail_on_call(functions[f], static_cast<int>(n), ERROR_DISK_FULL));
      EXPECT_FALSE(save());
      EXPECT_EQ(read_all(dir_.at("doc")), "old");
      EXPECT_EQ(GetFileAttributesA(name("doc.tmp").c_str()), INVALID_FILE_ATTRIBUTES);
    }
  }
}

}  // namespace
