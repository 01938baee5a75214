// Mutexes: named and unnamed, recursion in the owner thread, exclusion between threads
// and between processes (a second process holds the mutex), abandonment by a process
// that ends, and the fault facility.
#include "platform/w32/mutex.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/w32/clock.h"
#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"
#include "platform/w32/mutex_testing.h"
#include "platform/w32/thread.h"
#include "platform/w32/wait.h"
#include "tests/platform/w32/process_test_support.h"
#include "tests/support/bounded_wait.h"
#include "tests/support/piped_child.h"

namespace {

using namespace w32;

class MutexTest : public yrltest::W32ProcessTest {
 protected:
  void SetUp() override {
    W32ProcessTest::SetUp();
    ASSERT_TRUE(mutex_testing_set_folder(dir_.path().c_str()));
  }
  // Whether another thread of this process may take mutex now (it lets go again).
  static bool other_thread_takes(HANDLE mutex) {
    DWORD result = WAIT_FAILED;
    std::thread other([&] {
      result = WaitForSingleObject(mutex, 0);
      if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) ReleaseMutex(mutex);
    });
    other.join();
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
  }
  yrltest::ScratchDir dir_;
};

TEST_F(MutexTest, NameOpensOnlyWhileAHandleIsHeldAndCreatingItAgainOpensIt) {
  EXPECT_EQ(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, "Yrl\\Lock"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  HANDLE made = CreateMutexA(nullptr, FALSE, "Yrl\\Lock");
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  HANDLE again = CreateMutexA(nullptr, TRUE, "Yrl\\Lock");
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(ReleaseMutex(again));  // initial ownership is not granted on an open
  HANDLE opened = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, "Yrl\\Lock");
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, "yrl\\lock"), nullptr);  // names keep case
  CloseHandle(made);
  CloseHandle(again);
  CloseHandle(opened);
  EXPECT_EQ(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, "Yrl\\Lock"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(MutexTest, OwnerTakesItRecursivelyAndOthersOnlyAfterTheLastRelease) {
  for (const char* name : {static_cast<const char*>(nullptr), "recursive"}) {
    SCOPED_TRACE(name == nullptr ? "unnamed" : name);
    HANDLE mutex = CreateMutexA(nullptr, TRUE, name);
    ASSERT_NE(mutex, nullptr);
    // A second handle to a named mutex is the same mutex.
    HANDLE second = name != nullptr ? OpenMutexA(MUTEX_ALL_ACCESS, FALSE, name) : mutex;
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);
    EXPECT_FALSE(other_thread_takes(mutex));
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_FALSE(other_thread_takes(mutex));  // taken twice, released once
    EXPECT_TRUE(ReleaseMutex(second));
    EXPECT_TRUE(other_thread_takes(mutex));
    EXPECT_FALSE(ReleaseMutex(mutex));
    EXPECT_EQ(GetLastError(), ERROR_NOT_OWNER);
    if (second != mutex) CloseHandle(second);
    CloseHandle(mutex);
  }
}

TEST_F(MutexTest, OwnershipIsExclusiveAcrossProcessesAndADeadOwnerAbandonsIt) {
  HANDLE mutex = CreateMutexA(nullptr, TRUE, "shared");
  ASSERT_NE(mutex, nullptr);
  {
    yrltest::PipedChild holder({YRL_MUTEX_HOLDER_PATH, dir_.path(), "shared"});
    EXPECT_EQ(holder.line(), "busy");
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ(holder.end("release"), 0);
  }
  {
    // Taken by the holder, which then lets go.
    yrltest::PipedChild holder({YRL_MUTEX_HOLDER_PATH, dir_.path(), "shared"});
    EXPECT_EQ(holder.line(), "owned");
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_TIMEOUT);
    EXPECT_EQ(holder.end("release"), 0);
    EXPECT_EQ(WaitForSingleObject(mutex, 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(ReleaseMutex(mutex));
  }
  {
    // Ended holding it: abandoned, and its handle gone with it.
    yrltest::PipedChild holder({YRL_MUTEX_HOLDER_PATH, dir_.path(), "shared"});
    EXPECT_EQ(holder.line(), "owned");
    EXPECT_EQ(holder.end("die"), 3);
    EXPECT_EQ(WaitForSingleObject(mutex, 10000), WAIT_ABANDONED);
    EXPECT_TRUE(ReleaseMutex(mutex));
  }
  CloseHandle(mutex);
  {
    // The holder's name: open while it lives, gone after.
    yrltest::PipedChild holder({YRL_MUTEX_HOLDER_PATH, dir_.path(), "theirs"});
    EXPECT_EQ(holder.line(), "owned");
    HANDLE theirs = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, "theirs");
    EXPECT_NE(theirs, nullptr);
    CloseHandle(theirs);
    EXPECT_EQ(holder.end("release"), 0);
    EXPECT_EQ(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, "theirs"), nullptr);
  }
}

// A thread that ends owning a named mutex (it returns, or is ended in a later wait)
// abandons it to the other processes too: the next owner there is told WAIT_ABANDONED,
// as after a process that ends.
struct Taker {
  HANDLE mutex;
  bool waits_after;
  std::atomic<bool> taken{false};
};

DWORD takes_then(void* argument) {
  auto* taker = static_cast<Taker*>(argument);
  DWORD result = WaitForSingleObject(taker->mutex, 0);
  taker->taken = true;
  if (taker->waits_after) Sleep(INFINITE);
  return result;
}

TEST_F(MutexTest, AThreadThatEndsOwningANamedMutexAbandonsItToOtherProcesses) {
  for (bool ended_in_a_wait : {false, true}) {
    SCOPED_TRACE(ended_in_a_wait ? "ended in a wait" : "returned");
    Taker taker{CreateMutexA(nullptr, FALSE, "shared"), ended_in_a_wait};
    ASSERT_NE(taker.mutex, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, takes_then, &taker, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_TRUE(yrltest::wait_until([&] { return taker.taken.load(); }));
    if (ended_in_a_wait) {
      EXPECT_TRUE(TerminateThread(thread, 1));
    }
    EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(CloseHandle(thread));
    {
      yrltest::PipedChild holder({YRL_MUTEX_HOLDER_PATH, dir_.path(), "shared"});
      EXPECT_EQ(holder.line(), "abandoned");
      EXPECT_EQ(holder.end("release"), 0);
    }
    // Let go by the other process: free, and no longer abandoned, here.
    EXPECT_EQ(WaitForSingleObject(taker.mutex, 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(ReleaseMutex(taker.mutex));
    EXPECT_TRUE(CloseHandle(taker.mutex));
  }
}

TEST_F(MutexTest, RefusalsAndFaults) {
  EXPECT_EQ(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  std::string long_name(MAX_PATH, 'n');
  EXPECT_EQ(CreateMutexA(nullptr, FALSE, long_name.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);
  SECURITY_ATTRIBUTES wrong = {1, nullptr, FALSE};
  EXPECT_EQ(CreateMutexA(&wrong, FALSE, "x"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(ReleaseMutex(nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  for (const char* function : {"CreateMutexA", "OpenMutexA", "ReleaseMutex"}) {
    SCOPED_TRACE(function);
    HANDLE mutex = CreateMutexA(nullptr, TRUE, "faulty");
    ASSERT_NE(mutex, nullptr);
    ASSERT_TRUE(fault_testing_fail_on_call(function, 1, ERROR_ACCESS_DENIED));
    std::string name = function;
    bool failed = name == "CreateMutexA" ? CreateMutexA(nullptr, FALSE, "faulty") == nullptr
                  : name == "OpenMutexA" ? OpenMutexA(MUTEX_ALL_ACCESS, FALSE, "faulty") == nullptr
                                         : !ReleaseMutex(mutex);
    EXPECT_TRUE(failed);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    CloseHandle(mutex);
  }
}

}  // namespace
