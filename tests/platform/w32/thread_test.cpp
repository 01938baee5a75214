// Threads of the process, and waits over threads, processes and mutexes.
#include "platform/w32/thread.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <vector>

#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"
#include "platform/w32/mutex.h"
#include "platform/w32/wait.h"
#include "tests/platform/w32/process_test_support.h"

namespace {

using namespace w32;

using ThreadTest = yrltest::W32ProcessTest;

std::atomic<bool> g_go{false};
std::atomic<DWORD> g_seen_id{0};

DWORD returns_its_parameter(void* parameter) {
  g_seen_id = GetCurrentThreadId();
  while (!g_go) usleep(100);
  return static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(parameter));
}

struct Destructs {
  std::atomic<int>* count;
  ~Destructs() { ++*count; }
};
std::atomic<int> g_destructed{0};

DWORD exits_from_inside(void*) {
  Destructs guard{&g_destructed};
  ExitThread(77);
}

DWORD waits_forever(void*) {
  Destructs guard{&g_destructed};
  for (;;) pause();  // a cancellation point
}

TEST_F(ThreadTest, ExitCodeComesFromTheReturnAndTheIdFromTheThread) {
  g_go = false;
  DWORD id = 0;
  HANDLE thread =
      CreateThread(nullptr, 0, returns_its_parameter, reinterpret_cast<void*>(5), 0, &id);
  ASSERT_NE(thread, nullptr);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(thread, 20), WAIT_TIMEOUT);
  g_go = true;
  EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 5u);
  EXPECT_EQ(id, g_seen_id.load());
  EXPECT_NE(id, GetCurrentThreadId());
  EXPECT_EQ(GetCurrentThreadId(), static_cast<DWORD>(getpid()));  // gtest's main thread
  EXPECT_TRUE(CloseHandle(thread));
}

TEST_F(ThreadTest, ExitAndTerminateRunTheThreadsCleanupAndRecordTheirCode) {
  g_destructed = 0;
  HANDLE exits = CreateThread(nullptr, 0, exits_from_inside, nullptr, 0, nullptr);
  HANDLE waits = CreateThread(nullptr, 0, waits_forever, nullptr, 0, nullptr);
  ASSERT_NE(exits, nullptr);
  ASSERT_NE(waits, nullptr);
  EXPECT_EQ(WaitForSingleObject(exits, 10000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(waits, 20), WAIT_TIMEOUT);
  EXPECT_TRUE(TerminateThread(waits, static_cast<DWORD>(-1)));
  EXPECT_EQ(WaitForSingleObject(waits, 10000), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(exits, &code));
  EXPECT_EQ(code, 77u);
  EXPECT_TRUE(GetExitCodeThread(waits, &code));
  EXPECT_EQ(code, 0xFFFFFFFFu);
  EXPECT_EQ(g_destructed.load(), 2);
  EXPECT_TRUE(TerminateThread(waits, 3));  // ended: the code stays
  EXPECT_TRUE(GetExitCodeThread(waits, &code));
  EXPECT_EQ(code, 0xFFFFFFFFu);
  EXPECT_TRUE(CloseHandle(exits));
  EXPECT_TRUE(CloseHandle(waits));
}

TEST_F(ThreadTest, RefusalsAndFaults) {
  EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  SECURITY_ATTRIBUTES short_attributes = {4, nullptr, FALSE};
  EXPECT_EQ(CreateThread(&short_attributes, 0, exits_from_inside, nullptr, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(CreateThread(nullptr, 0, exits_from_inside, nullptr, CREATE_SUSPENDED, nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
  DWORD code = 0;
  EXPECT_FALSE(GetExitCodeThread(nullptr, &code));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(TerminateThread(nullptr, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  ASSERT_TRUE(fault_testing_fail_on_call("CreateThread", 1, ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_EQ(CreateThread(nullptr, 0, exits_from_inside, nullptr, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
}

TEST_F(ThreadTest, WaitForMultipleObjectsGivesTheFirstSignalledOfMany) {
  g_go = false;
  // More than Win32's 64 handles: running threads and, last, one that ends.
  std::vector<HANDLE> handles;
  for (int i = 0; i < 70; ++i)
    handles.push_back(CreateThread(nullptr, 0, waits_forever, nullptr, 0, nullptr));
  HANDLE ending = CreateThread(nullptr, 0, returns_its_parameter, nullptr, 0, nullptr);
  handles.push_back(ending);
  for (HANDLE h : handles) ASSERT_NE(h, nullptr);
  auto count = static_cast<DWORD>(handles.size());
  EXPECT_EQ(WaitForMultipleObjects(count, handles.data(), FALSE, 20), WAIT_TIMEOUT);
  g_go = true;
  EXPECT_EQ(WaitForMultipleObjects(count, handles.data(), FALSE, 10000), WAIT_OBJECT_0 + 70);
  // A free mutex among them is signalled, and taken.
  HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
  HANDLE both[2] = {handles[0], mutex};
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0 + 1);
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_FALSE(ReleaseMutex(mutex));
  EXPECT_EQ(GetLastError(), ERROR_NOT_OWNER);
  // Refusals: a bad handle among good ones, no handles, waiting for all.
  HANDLE bad[2] = {handles[0], nullptr};
  EXPECT_EQ(WaitForMultipleObjects(2, bad, FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(WaitForMultipleObjects(0, both, FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
  ASSERT_TRUE(fault_testing_fail_on_call("WaitForMultipleObjects", 1, ERROR_GEN_FAILURE));
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);
  ASSERT_TRUE(fault_testing_fail_on_call("WaitForSingleObject", 1, ERROR_GEN_FAILURE));
  EXPECT_EQ(WaitForSingleObject(ending, 0), WAIT_FAILED);
  for (HANDLE h : handles) {
    if (h != ending) TerminateThread(h, 0);
    EXPECT_EQ(WaitForSingleObject(h, 10000), WAIT_OBJECT_0);
    CloseHandle(h);
  }
  CloseHandle(mutex);
}

}  // namespace
