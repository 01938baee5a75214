// Anonymous pipes as file handles: round trips, peeking, the ends of a pipe, seeking,
// and the fault facility on the pipe calls.
#include "platform/w32/pipe.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"
#include "platform/w32/fileio.h"
#include "platform/w32/handle.h"
#include "tests/platform/w32/w32_test_support.h"

namespace {

using namespace w32;

class PipeTest : public yrltest::W32Test {
 protected:
  void SetUp() override {
    W32Test::SetUp();
    ASSERT_TRUE(CreatePipe(&read_end_, &write_end_, nullptr, 0));
  }
  void TearDown() override {
    if (read_end_ != nullptr) CloseHandle(read_end_);
    if (write_end_ != nullptr) CloseHandle(write_end_);
    W32Test::TearDown();
  }
  bool put(const std::string& text) {
    DWORD written = 0;
    BOOL ok =
        WriteFile(write_end_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return ok && written == text.size();
  }
  void close_writer() {
    CloseHandle(write_end_);
    write_end_ = nullptr;
  }
  HANDLE read_end_ = nullptr;
  HANDLE write_end_ = nullptr;
};

TEST_F(PipeTest, RoundTripGivesWhatIsThereAndEndsWithABrokenPipe) {
  ASSERT_TRUE(put("hello"));
  char buffer[64] = {};
  DWORD got = 0;
  // A read asks for more than there is and gets what is there, without waiting for more.
  ASSERT_TRUE(ReadFile(read_end_, buffer, sizeof buffer, &got, nullptr));
  EXPECT_EQ(std::string(buffer, got), "hello");
  ASSERT_TRUE(put("ab"));
  close_writer();
  ASSERT_TRUE(ReadFile(read_end_, buffer, 1, &got, nullptr));
  EXPECT_EQ(std::string(buffer, got), "a");
  ASSERT_TRUE(ReadFile(read_end_, buffer, sizeof buffer, &got, nullptr));
  EXPECT_EQ(std::string(buffer, got), "b");
  EXPECT_FALSE(ReadFile(read_end_, buffer, sizeof buffer, &got, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_BROKEN_PIPE);
  EXPECT_EQ(got, 0u);
}

TEST_F(PipeTest, PeekCountsAndCopiesWithoutTaking) {
  DWORD available = 99;
  DWORD left = 99;
  ASSERT_TRUE(PeekNamedPipe(read_end_, nullptr, 0, nullptr, &available, &left));
  EXPECT_EQ(available, 0u);
  ASSERT_TRUE(put("peekaboo"));
  char buffer[4] = {};
  DWORD copied = 0;
  ASSERT_TRUE(PeekNamedPipe(read_end_, buffer, sizeof buffer, &copied, &available, &left));
  EXPECT_EQ(std::string(buffer, copied), "peek");
  EXPECT_EQ(available, 8u);
  EXPECT_EQ(left, 0u);
  // Everything is still there for the read.
  char all[16] = {};
  DWORD got = 0;
  ASSERT_TRUE(ReadFile(read_end_, all, sizeof all, &got, nullptr));
  EXPECT_EQ(std::string(all, got), "peekaboo");
  close_writer();
  EXPECT_FALSE(PeekNamedPipe(read_end_, nullptr, 0, nullptr, &available, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_BROKEN_PIPE);
}

TEST_F(PipeTest, WritingToAPipeWithoutReaderFailsWithoutSignal) {
  CloseHandle(read_end_);
  read_end_ = nullptr;
  DWORD written = 7;
  EXPECT_FALSE(WriteFile(write_end_, "x", 1, &written, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_NO_DATA);
  EXPECT_EQ(written, 0u);
}

TEST_F(PipeTest, EndsKeepTheirDirectionAndDoNotSeek) {
  char byte = 0;
  DWORD count = 0;
  EXPECT_FALSE(ReadFile(write_end_, &byte, 1, &count, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(PeekNamedPipe(write_end_, nullptr, 0, nullptr, &count, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_TRUE(FlushFileBuffers(write_end_));
  EXPECT_EQ(SetFilePointer(read_end_, 0, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_SEEK_ON_DEVICE);
  EXPECT_FALSE(PeekNamedPipe(nullptr, nullptr, 0, nullptr, &count, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(PipeTest, InheritableFlagDecidesCloseOnExec) {
  SECURITY_ATTRIBUTES inherit = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE ends[2] = {};
  ASSERT_TRUE(CreatePipe(&ends[0], &ends[1], &inherit, 0));
  W32HandleObject* held = nullptr;
  int fd = w32_file_acquire_descriptor(ends[0], GENERIC_READ, TRUE, &held);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
  w32_handle_release(held);
  fd = w32_file_acquire_descriptor(read_end_, GENERIC_READ, TRUE, &held);
  ASSERT_GE(fd, 0);
  EXPECT_NE(fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
  w32_handle_release(held);
  CloseHandle(ends[0]);
  CloseHandle(ends[1]);
  SECURITY_ATTRIBUTES wrong_size = {4, nullptr, TRUE};
  EXPECT_FALSE(CreatePipe(&ends[0], &ends[1], &wrong_size, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(CreatePipe(nullptr, &ends[1], nullptr, 0));
}

TEST_F(PipeTest, FaultsFailTheArmedCall) {
  const struct {
    const char* function;
  } cases[] = {{"CreatePipe"}, {"PeekNamedPipe"}, {"ReadFile"}, {"WriteFile"}, {"SetFilePointer"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.function);
    ASSERT_TRUE(fault_testing_fail_on_call(c.function, 1, ERROR_ACCESS_DENIED));
    HANDLE ends[2] = {};
    DWORD count = 0;
    char byte = 'z';
    BOOL ok = TRUE;
    std::string name = c.function;
    if (name == "CreatePipe") ok = CreatePipe(&ends[0], &ends[1], nullptr, 0);
    if (name == "PeekNamedPipe")
      ok = PeekNamedPipe(read_end_, nullptr, 0, nullptr, &count, nullptr);
    if (name == "ReadFile") ok = ReadFile(read_end_, &byte, 1, &count, nullptr);
    if (name == "WriteFile") ok = WriteFile(write_end_, &byte, 1, &count, nullptr);
    if (name == "SetFilePointer")
      ok = SetFilePointer(read_end_, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
    EXPECT_FALSE(ok);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(fault_testing_armed(), 0);
  }
}

}  // namespace
