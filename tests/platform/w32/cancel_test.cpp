// Ending a thread (TerminateThread) in each kind of wait of the layer: a sleep, a change
// notification (the layer's event), a mutex, a process, a thread, a child's readiness, a
// pipe. Each is ended twice: asked while it runs towards the wait (the request is acted
// on at the wait's first cancellation point), and asked while it waits. The thread must
// end, let go of what it held, and leave the layer working for every later caller.
// Everything after a kill runs within a bound: a lock left held by the ended thread
// fails the test instead of hanging the suite.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/w32/changenotify.h"
#include "platform/w32/clock.h"
#include "platform/w32/clock_testing.h"
#include "platform/w32/crtprocess.h"
#include "platform/w32/error.h"
#include "platform/w32/fileio.h"
#include "platform/w32/message_box.h"
#include "platform/w32/message_box_testing.h"
#include "platform/w32/mutex.h"
#include "platform/w32/mutex_testing.h"
#include "platform/w32/path.h"
#include "platform/w32/pipe.h"
#include "platform/w32/printer.h"
#include "platform/w32/printer_testing.h"
#include "platform/w32/process.h"
#include "platform/w32/profile.h"
#include "platform/w32/registry.h"
#include "platform/w32/thread.h"
#include "platform/w32/wait.h"
#include "tests/platform/w32/process_test_support.h"
#include "tests/support/bounded_wait.h"

namespace {

using namespace w32;
using yrltest::finishes_within;

enum class When { kOnItsWay, kInTheWait };
const When kWhens[] = {When::kOnItsWay, When::kInTheWait};

const char* name_of(When when) {
  return when == When::kOnItsWay ? "asked on its way to the wait" : "asked in the wait";
}

struct Victim {
  std::function<void()> wait;
  std::atomic<bool> go{false};
  std::atomic<bool> entering{false};
};

DWORD run_victim(void* argument) {
  auto* victim = static_cast<Victim*>(argument);
  // No cancellation point here: a request made now is acted on in the wait.
  while (!victim->go.load()) {
  }
  victim->entering = true;
  victim->wait();
  // Whatever the wait gave, the thread ends at its next cancellation point.
  for (;;) pause();
}

// Starts a thread that runs wait and ends it there (when); checks that it ended with the
// code asked for. in_wait (when given) tells that the thread waits; else the thread is
// given a moment to get into its wait.
void kill_in_wait(When when, std::function<void()> wait, std::function<bool()> in_wait = {}) {
  Victim victim;
  victim.wait = std::move(wait);
  HANDLE thread = CreateThread(nullptr, 0, run_victim, &victim, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  if (when == When::kOnItsWay) {
    EXPECT_TRUE(TerminateThread(thread, 0xFFFFFFFF));
    victim.go = true;
  } else {
    victim.go = true;
    EXPECT_TRUE(yrltest::wait_until([&] { return victim.entering.load(); }));
    if (in_wait)
      EXPECT_TRUE(yrltest::wait_until(in_wait));
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(TerminateThread(thread, 0xFFFFFFFF));
  }
  DWORD ended = finishes_within("the wait for the ended thread",
                                [&] { return WaitForSingleObject(thread, 10000); });
  if (ended != WAIT_OBJECT_0) {
    // The thread still runs on victim: nothing here may go on.
    std::fprintf(stderr, "FAILED: the thread was not ended in its wait\n");
    _exit(1);
  }
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 0xFFFFFFFFu);
  EXPECT_TRUE(CloseHandle(thread));
}

class CancelTest : public yrltest::W32ProcessTest {
 protected:
  void SetUp() override {
    W32ProcessTest::SetUp();
    ASSERT_TRUE(mutex_testing_set_folder(dir_.path().c_str()));
  }
  // A child that runs until it is ended, telling it is ready when asked, else never.
  static HANDLE start_sleeper(bool tells_ready = false) {
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION information;
    std::memset(&information, 0, sizeof information);
    std::string line = tells_ready ? "sh -c \"printf r >&$YRL_W32_READY_FD; exec sleep 600\""
                                   : "sh -c \"exec sleep 600\"";
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &information))
      return nullptr;
    CloseHandle(information.hThread);
    return information.hProcess;
  }
  static void end_child(HANDLE process) {
    EXPECT_TRUE(TerminateProcess(process, 7));
    EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(process, &code));
    EXPECT_EQ(code, 7u);
    EXPECT_TRUE(CloseHandle(process));
  }
  yrltest::ScratchDir dir_;
};

TEST_F(CancelTest, SleepOnTheRealClock) {
  for (When when : kWhens) {
    SCOPED_TRACE(name_of(when));
    kill_in_wait(when, [] { Sleep(600000); }, [] { return clock_testing_waiting() > 0; });
    finishes_within("the clock after the kill", [] {
      DWORD before = GetTickCount();
      Sleep(2);
      EXPECT_GE(GetTickCount() - before, 1u);
      EXPECT_EQ(clock_testing_waiting(), 0);  // the ended wait is no longer counted
      bool never = false;
      EXPECT_TRUE(w32_clock_wait(1, &never));
      SYSTEMTIME now = {};
      GetSystemTime(&now);
      EXPECT_GE(now.wYear, 2024);
    });
  }
}

TEST_F(CancelTest, WaitOnTheTestsClock) {
  for (When when : kWhens) {
    SCOPED_TRACE(name_of(when));
    clock_testing_start(0);
    kill_in_wait(
        when,
        [] {
          bool never = false;
          w32_clock_wait(INFINITE, &never);
        },
        [] { return clock_testing_waiting() > 0; });
    finishes_within("the test's clock after the kill", [] {
      EXPECT_EQ(clock_testing_waiting(), 0);
      clock_testing_advance(5);
      EXPECT_EQ(GetTickCount(), 5u);
      Sleep(5);
      EXPECT_EQ(w32_clock_monotonic_ms(), 10);
    });
    clock_testing_reset();
  }
}

// The inotify watches this process has in the kernel.
int kernel_watches() {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fdinfo")) {
    std::ifstream info(entry.path());
    std::string line;
    while (std::getline(info, line)) count += line.rfind("inotify wd:", 0) == 0 ? 1 : 0;
  }
  return count;
}

TEST_F(CancelTest, ChangeNotification) {
  dir_.make_dir("watched");
  ASSERT_TRUE(w32_set_drive('D', dir_.path().c_str()));
  for (When when : kWhens) {
    SCOPED_TRACE(name_of(when));
    int before = kernel_watches();
    HANDLE watch = FindFirstChangeNotificationA("D:\\watched", FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
    ASSERT_NE(watch, INVALID_HANDLE_VALUE);
    kill_in_wait(when, [&] { WaitForSingleObject(watch, INFINITE); });
    finishes_within("change notifications after the kill", [&] {
      EXPECT_TRUE(FindNextChangeNotification(watch));
      EXPECT_EQ(WaitForSingleObject(watch, 0), WAIT_TIMEOUT);
      dir_.make_file(std::string("watched/new-") + (when == When::kOnItsWay ? "a" : "b"));
      EXPECT_EQ(WaitForSingleObject(watch, 10000), WAIT_OBJECT_0);
      EXPECT_TRUE(FindCloseChangeNotification(watch));
    });
    // The ended wait let go of the watch: with its handle closed, the kernel's is gone.
    EXPECT_EQ(kernel_watches(), before);
  }
}

TEST_F(CancelTest, MutexOwnedByAnotherThread) {
  for (When when : kWhens) {
    SCOPED_TRACE(name_of(when));
    HANDLE mutex = CreateMutexA(nullptr, TRUE, "Yrl\\Cancel");
    ASSERT_NE(mutex, nullptr);
    kill_in_wait(when, [&] { WaitForSingleObject(mutex, INFINITE); });
    // Another thread still finds it owned (and the mutexes working).
    EXPECT_EQ(finishes_within("the mutex after the kill",
                              [&] { return WaitForSingleObject(mutex, 0); }),
              WAIT_TIMEOUT);
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(CloseHandle(mutex));
    // The ended wait let go of the mutex: with its last handle closed, the name is gone.
    EXPECT_EQ(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, "Yrl\\Cancel"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  }
}

TEST_F(CancelTest, MutexTakenInTheWaitIsAbandonedByTheEndedThread) {
  for (When when : kWhens) {
    SCOPED_TRACE(name_of(when));
    HANDLE mutex = CreateMutexA(nullptr, FALSE, "Yrl\\Taken");
    ASSERT_NE(mutex, nullptr);
    // The mutex is free. Asked on its way, the thread ends at the wait's start, before it
    // takes the mutex; asked later, it has taken it, and ends owning it.
    kill_in_wait(when, [&] { EXPECT_EQ(WaitForSingleObject(mutex, INFINITE), WAIT_OBJECT_0); });
    DWORD next = when == When::kOnItsWay ? WAIT_OBJECT_0 : WAIT_ABANDONED;
    finishes_within("the mutex after the kill", [&] {
      EXPECT_EQ(WaitForSingleObject(mutex, 10000), next);
      EXPECT_TRUE(ReleaseMutex(mutex));
      EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
      EXPECT_TRUE(ReleaseMutex(mutex));
      EXPECT_TRUE(CloseHandle(mutex));
    });
  }
}

TEST_F(CancelTest, Process) {
  for (When when : kWhens) {
    SCOPED_TRACE(name_of(when));
    HANDLE child = start_sleeper();
    ASSERT_NE(child, nullptr);
    kill_in_wait(when, [&] { WaitForSingleObject(child, INFINITE); });
    finishes_within("the process after the kill", [&] {
      DWORD code = 0;
      EXPECT_TRUE(GetExitCodeProcess(child, &code));
      EXPECT_EQ(code, STILL_ACTIVE);
      end_child(child);
    });
  }
}

// The descriptors this process has open.
int open_descriptors() {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    (void)entry;
    ++count;
  }
  return count;
}

TEST_F(CancelTest, ReadinessOfAChild) {
  for (When when : kWhens) {
    SCOPED_TRACE(name_of(when));
    int before = open_descriptors();
    HANDLE child = start_sleeper();
    ASSERT_NE(child, nullptr);
    kill_in_wait(when, [&] { WaitForInputIdle(child, INFINITE); });
    finishes_within("the process after the kill", [&] {
      EXPECT_EQ(WaitForInputIdle(child, 0), WAIT_TIMEOUT);
      end_child(child);
    });
    // The ended wait let go of the process: with its handle closed, the descriptor of the
    // child's ready signal is closed too.
    EXPECT_EQ(open_descriptors(), before);
  }
}

// A read or a write of a file is a cancellation point too, met at once by a thread asked
// on its way there: ended in it, the thread lets go of the file, so that closing the
// handle closes the file.
TEST_F(CancelTest, FileReadAndWrite) {
  dir_.make_file("data", "some bytes");
  for (bool writes : {false, true}) {
    SCOPED_TRACE(writes ? "a write" : "a read");
    int before = open_descriptors();
    HANDLE file = CreateFileA(dir_.at("data").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    kill_in_wait(When::kOnItsWay, [&] {
      char buffer[4];
      DWORD done = 0;
      if (writes)
        WriteFile(file, "more", 4, &done, nullptr);
      else
        ReadFile(file, buffer, sizeof buffer, &done, nullptr);
    });
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_EQ(open_descriptors(), before);
  }
}

// The C run-time's system waits for its child: a thread ended there closes the child's
// handle (the fixture finds none left open); the child runs on, as on Win32.
TEST_F(CancelTest, SystemsWaitForItsChild) {
  for (When when : kWhens) {
    SCOPED_TRACE(name_of(when));
    kill_in_wait(when, [] { w32::system("exec sleep 2"); });
  }
}

DWORD runs_until_ended(void*) {
  for (;;) pause();
}

TEST_F(CancelTest, Thread) {
  for (When when : kWhens) {
    SCOPED_TRACE(name_of(when));
    HANDLE other = CreateThread(nullptr, 0, runs_until_ended, nullptr, 0, nullptr);
    ASSERT_NE(other, nullptr);
    kill_in_wait(when, [&] { WaitForSingleObject(other, INFINITE); });
    finishes_within("the other thread after the kill", [&] {
      EXPECT_EQ(WaitForSingleObject(other, 0), WAIT_TIMEOUT);
      EXPECT_TRUE(TerminateThread(other, 4));
      EXPECT_EQ(WaitForSingleObject(other, 10000), WAIT_OBJECT_0);
      EXPECT_TRUE(CloseHandle(other));
    });
  }
}

TEST_F(CancelTest, PipeRead) {
  for (When when : kWhens) {
    SCOPED_TRACE(name_of(when));
    HANDLE read_end = nullptr;
    HANDLE write_end = nullptr;
    ASSERT_TRUE(CreatePipe(&read_end, &write_end, nullptr, 0));
    kill_in_wait(when, [&] {
      char byte = 0;
      DWORD got = 0;
      ReadFile(read_end, &byte, 1, &got, nullptr);
    });
    finishes_within("the pipe after the kill", [&] {
      EXPECT_TRUE(CloseHandle(read_end));
      // The ended read let go of its end: no reader is left.
      DWORD put = 0;
      EXPECT_FALSE(WriteFile(write_end, "x", 1, &put, nullptr));
      EXPECT_EQ(GetLastError(), ERROR_NO_DATA);
      EXPECT_TRUE(CloseHandle(write_end));
    });
  }
}

TEST_F(CancelTest, PipeWriteIntoAFullPipe) {
  for (When when : kWhens) {
    SCOPED_TRACE(name_of(when));
    HANDLE read_end = nullptr;
    HANDLE write_end = nullptr;
    ASSERT_TRUE(CreatePipe(&read_end, &write_end, nullptr, 0));
    std::vector<char> data(1 << 20, 'w');  // more than a pipe holds
    kill_in_wait(when, [&] {
      DWORD put = 0;
      WriteFile(write_end, data.data(), static_cast<DWORD>(data.size()), &put, nullptr);
    });
    finishes_within("the pipe after the kill", [&] {
      EXPECT_TRUE(CloseHandle(write_end));
      // The ended write let go of its end: the reader gets what went in, then the end.
      std::vector<char> buffer(data.size());
      DWORD total = 0;
      DWORD got = 0;
      while (ReadFile(read_end, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
        total += got;
      EXPECT_EQ(GetLastError(), ERROR_BROKEN_PIPE);
      EXPECT_LT(total, data.size());
      EXPECT_TRUE(CloseHandle(read_end));
    });
  }
}

// Closing the last handle of an object runs whole in a thread that is being ended: the
// object is destroyed (a named mutex's files are closed under its module's lock).
TEST_F(CancelTest, LastCloseRunsWholeInAnEndingThread) {
  for (When when : kWhens) {
    SCOPED_TRACE(name_of(when));
    HANDLE mutex = CreateMutexA(nullptr, FALSE, "Yrl\\Closed");
    ASSERT_NE(mutex, nullptr);
    kill_in_wait(when, [&] { CloseHandle(mutex); });
    finishes_within("the mutexes after the kill", [] {
      EXPECT_EQ(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, "Yrl\\Closed"), nullptr);
      EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    });
  }
}

// A thread that starts a thread while it is being ended still gets its handle.
DWORD returns_at_once(void*) { return 0; }

TEST_F(CancelTest, ThreadStartedByAnEndingThread) {
  for (When when : kWhens) {
    SCOPED_TRACE(name_of(when));
    std::atomic<HANDLE> started{nullptr};
    kill_in_wait(when,
                 [&] { started = CreateThread(nullptr, 0, returns_at_once, nullptr, 0, nullptr); });
    ASSERT_NE(started.load(), nullptr);
    EXPECT_EQ(WaitForSingleObject(started.load(), 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(CloseHandle(started.load()));
  }
}

// Calls that write a file under a lock of the layer: the printers' documents, the
// registry kept in a shared store, the message log. A thread asked to end on its way
// into one acts on the request only at its next wait, never inside such a call, which
// would take the lock with it and stop every later caller.
TEST_F(CancelTest, CallsThatHoldALockRunWhole) {
  ASSERT_TRUE(printer_testing_set_spool_folder(dir_.path().c_str()));
  setenv("YRL_W32_REGISTRY", (dir_.path() + "/registry").c_str(), 1);
  std::string devices_key = std::string(W32_PROFILE_NT_KEY) + "\\devices";
  HKEY devices = nullptr;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, devices_key.c_str(), &devices), 0);
  ASSERT_EQ(
      RegSetValueExA(devices, "Laser", 0, REG_SZ, reinterpret_cast<const BYTE*>("winspool"), 9), 0);
  RegCloseKey(devices);
  auto print = [] {
    HANDLE printer = nullptr;
    if (!OpenPrinterA("Laser", &printer, nullptr)) return false;
    char name[] = "doc";
    char raw[] = "RAW";
    DOC_INFO_1A info = {name, nullptr, raw};
    DWORD written = 0;
    bool done = StartDocPrinterA(printer, 1, reinterpret_cast<BYTE*>(&info)) != 0 &&
                WritePrinter(printer, "page", 4, &written) && EndDocPrinter(printer);
    return ClosePrinter(printer) && done;
  };
  auto set_value = [] {
    HKEY key = nullptr;
    if (RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Cancel", &key) != 0) return false;
    bool set = RegSetValueExA(key, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2) == 0;
    return RegCloseKey(key) == 0 && set;
  };
  auto show = [] { return MessageBoxA(nullptr, "text", "caption", MB_OK) == IDOK; };
  struct Case {
    const char* what;
    std::function<bool()> call;
  } cases[] = {{"a print job", print}, {"a registry value", set_value}, {"a message box", show}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    kill_in_wait(When::kOnItsWay, [&] { c.call(); });
    EXPECT_TRUE(finishes_within("the same call after the kill", [&] { return c.call(); }));
  }
  EXPECT_EQ(message_box_testing_count(), 2);
}

// A wait is a cancellation point also when what it waits for is signalled already: a
// thread that waits in a loop and never blocks ends all the same, and it ends before
// the wait takes anything (a mutex it would own).
TEST_F(CancelTest, WaitsThatAreSatisfiedAtOnce) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
  ASSERT_NE(mutex, nullptr);
  HANDLE ended = CreateThread(nullptr, 0, returns_at_once, nullptr, 0, nullptr);
  ASSERT_NE(ended, nullptr);
  ASSERT_EQ(WaitForSingleObject(ended, 10000), WAIT_OBJECT_0);
  dir_.make_dir("signalled");
  ASSERT_TRUE(w32_set_drive('D', dir_.path().c_str()));
  HANDLE watch = FindFirstChangeNotificationA("D:\\signalled", FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
  ASSERT_NE(watch, INVALID_HANDLE_VALUE);
  dir_.make_file("signalled/new");
  ASSERT_EQ(WaitForSingleObject(watch, 10000), WAIT_OBJECT_0);
  HANDLE ready = start_sleeper(true);
  ASSERT_NE(ready, nullptr);
  ASSERT_EQ(WaitForInputIdle(ready, 10000), 0u);
  struct Case {
    const char* what;
    std::function<void()> wait;
    bool on_tests_clock = false;
  } cases[] = {
      {"a free mutex",
       [&] {
         if (WaitForSingleObject(mutex, INFINITE) == WAIT_OBJECT_0) ReleaseMutex(mutex);
       }},
      {"an ended thread among others",
       [&] {
         HANDLE both[] = {mutex, ended};
         if (WaitForMultipleObjects(2, both, FALSE, 0) == WAIT_OBJECT_0) ReleaseMutex(mutex);
       }},
      {"a signalled change notification", [&] { WaitForSingleObject(watch, INFINITE); }},
      {"a child that is ready", [&] { WaitForInputIdle(ready, INFINITE); }},
      {"no time on the clock", [] { Sleep(0); }},
      {"a sleep on the test's clock, which only moves it", [] { Sleep(1); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (When when : kWhens) {
      SCOPED_TRACE(name_of(when));
      if (c.on_tests_clock) clock_testing_start(0);
      kill_in_wait(when, [&] {
        for (;;) c.wait();
      });
      clock_testing_reset();
      // Ended in the wait, never between it and the release: the mutex is free.
      EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
      EXPECT_TRUE(ReleaseMutex(mutex));
    }
  }
  end_child(ready);
  EXPECT_TRUE(FindCloseChangeNotification(watch));
  EXPECT_TRUE(CloseHandle(ended));
  EXPECT_TRUE(CloseHandle(mutex));
}

// A thread that ends (not killed) owning a mutex abandons it to the next owner in this
// process too, as it would to another process.
DWORD takes_and_returns(void* mutex) {
  return WaitForSingleObject(static_cast<HANDLE>(mutex), 0);
}

TEST_F(CancelTest, ThreadThatReturnsOwningAMutexAbandonsIt) {
  for (const char* name : {static_cast<const char*>(nullptr), "Yrl\\Returns"}) {
    SCOPED_TRACE(name != nullptr ? name : "(no name)");
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
    ASSERT_NE(mutex, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, takes_and_returns, mutex, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(mutex, 10000), WAIT_ABANDONED);
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(CloseHandle(thread));
    EXPECT_TRUE(CloseHandle(mutex));
  }
}

}  // namespace
