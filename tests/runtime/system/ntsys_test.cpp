// Win32 replacements of Unix services.
#include "runtime/system/ntsys.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "platform/w32/clock_testing.h"
#include "platform/w32/printer_testing.h"
#include "platform/w32/profile.h"
#include "platform/w32/registry_testing.h"
#include "platform/w32/socket_testing.h"
#include "runtime/system/ntservice.h"
#include "runtime/system/ntsys_testing.h"
#include "runtime/system/regstring.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "tests/support/scoped_env.h"
#include "tests/support/serious_reports.h"
#include "tests/support/temp_dir.h"

namespace {

class NtSys : public yrltest::RuntimeTest {};

TEST_F(NtSys, HostNameIsTheSystemsHostName) {
  char reference[HOST_NAME_MAX + 1] = {};
  ASSERT_EQ(gethostname(reference, sizeof reference), 0);
  const int length = static_cast<int>(std::strlen(reference));
  ASSERT_GT(length, 0);

  struct Case {
    int size;
    int expected;  // nonzero: the name was given
  };
  const Case cases[] = {
      {256, 1}, {length + 1, 1}, {length, 0}, {1, 0}, {0, 0}, {-5, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    char buffer[300];
    std::memset(buffer, 'x', sizeof buffer);
    int result = vek::NT_gethostname(buffer, c.size);
    if (c.expected) {
      EXPECT_NE(result, 0);
      EXPECT_STREQ(buffer, reference);
    } else {
      EXPECT_EQ(result, 0);
      // A buffer that has room gets an empty name; no room, nothing written.
      EXPECT_EQ(buffer[0], c.size >= 1 ? '\0' : 'x');
    }
  }
  EXPECT_EQ(vek::NT_gethostname(nullptr, 256), 0);
}

// ---- Times and sleep on the layer's clock

TEST_F(NtSys, TimesCountWholeSecondsSinceTheFirstCall) {
  w32::clock_testing_start(1000000000000LL);
  w32::clock_testing_set_process_times(300, 45);
  vek::VynTimes first = {};
  EXPECT_EQ(vek::times(&first), 0);
  EXPECT_EQ(first.cpu, 345);
  EXPECT_EQ(first.children_user, 0);
  EXPECT_EQ(first.children_system, 0);
  EXPECT_EQ(vek::sleep(1), 1);  // moves the test's clock a second on
  vek::VynTimes second = {};
  EXPECT_EQ(vek::times(&second), 1000);
  w32::clock_testing_advance(1999);  // whole seconds only
  EXPECT_EQ(vek::times(nullptr), 2000);
  EXPECT_EQ(vek::sleep(0), 0);
  EXPECT_EQ(vek::sleep(-3), -3);
  EXPECT_EQ(vek::times(nullptr), 2000);
}

// A test's hook takes the place of the wait: the clock does not move, the hook sees the
// seconds, sleep still answers them; the reset brings the wait back.
int g_hooked_seconds = -1;
int record_sleep(int seconds) {
  g_hooked_seconds = seconds;
  return 0;
}

TEST_F(NtSys, SleepHookReplacesTheWait) {
  w32::clock_testing_start(1000000000000LL);
  EXPECT_EQ(vek::times(nullptr), 0);
  vek::ntsys_testing_sleep_hook_set(record_sleep);
  EXPECT_EQ(vek::sleep(2), 2);
  EXPECT_EQ(g_hooked_seconds, 2);
  EXPECT_EQ(vek::times(nullptr), 0);  // no time went by
  vek::ntsys_testing_reset();  // also restarts the process times
  g_hooked_seconds = -1;
  EXPECT_EQ(vek::times(nullptr), 0);
  EXPECT_EQ(vek::sleep(1), 1);
  EXPECT_EQ(g_hooked_seconds, -1);
  EXPECT_EQ(vek::times(nullptr), 1000);
}

// ---- The alarm

std::atomic<int> g_fired{0};
std::atomic<int> g_fired_with{0};
void on_alarm(int value) {
  g_fired_with = value;
  ++g_fired;
}
void other_handler(int) {}

class NtAlarm : public NtSys {
 protected:
  void SetUp() override {
    NtSys::SetUp();
    g_fired = 0;
    g_fired_with = 0;
    w32::clock_testing_start(0);
  }
  // Waits (briefly, in real time) until the timer thread waits on the clock.
  static void until_waiting() {
    while (w32::clock_testing_waiting() == 0) std::this_thread::yield();
  }
  static void until_no_thread() {
    while (vek::ntsys_testing_alarm_threads() > 0) std::this_thread::yield();
  }
};

TEST_F(NtAlarm, SignalFourteenGivesBackTheHandlerKeptBefore) {
  EXPECT_EQ(vek::NT_signal(vek::NT_SIGALRM, on_alarm), nullptr);
  EXPECT_EQ(vek::NT_signal(vek::NT_SIGALRM, other_handler), &on_alarm);
  EXPECT_EQ(vek::NT_signal(vek::NT_SIGALRM, nullptr), &other_handler);
  // Other signals go to the C runtime: what it had before comes back.
  vek::NtSignalHandler before = vek::NT_signal(SIGUSR2, other_handler);
  EXPECT_EQ(vek::NT_signal(SIGUSR2, before), &other_handler);
}

TEST_F(NtAlarm, AlarmFiresOnTheClockWithTen) {
  vek::NT_signal(vek::NT_SIGALRM, on_alarm);
  EXPECT_EQ(vek::NT_alarm(5), 0);
  until_waiting();
  w32::clock_testing_advance(4999);
  EXPECT_EQ(g_fired.load(), 0);
  w32::clock_testing_advance(1);
  until_no_thread();
  EXPECT_EQ(g_fired.load(), 1);
  EXPECT_EQ(g_fired_with.load(), 10);
  yrltest::ConsoleCapture console;
  EXPECT_EQ(vek::NT_terminate_alarm(), static_cast<int>(std::strlen("No alarm to terminate.\n")));
  EXPECT_EQ(console.out(), "No alarm to terminate.\n");
}

TEST_F(NtAlarm, IgnoredOrMissingHandlerIsNeverCalled) {
  for (vek::NtSignalHandler handler : {reinterpret_cast<vek::NtSignalHandler>(SIG_IGN),
                                       static_cast<vek::NtSignalHandler>(nullptr)}) {
    vek::NT_signal(vek::NT_SIGALRM, handler);
    vek::NT_alarm(1);
    until_waiting();
    w32::clock_testing_advance(1000);
    until_no_thread();  // came through without calling SIG_IGN as a function
  }
}

TEST_F(NtAlarm, TerminatedOrReplacedAlarmDoesNotFire) {
  vek::NT_signal(vek::NT_SIGALRM, on_alarm);
  vek::NT_alarm(5);
  until_waiting();
  EXPECT_EQ(vek::NT_terminate_alarm(), 1);
  until_no_thread();
  // A second alarm replaces the pending one: one firing, at the second's time.
  vek::NT_alarm(5);
  until_waiting();
  vek::NT_alarm(10);
  // The replaced thread has ended and the new one waits, from the clock's time now.
  while (vek::ntsys_testing_alarm_threads() != 1 || w32::clock_testing_waiting() != 1)
    std::this_thread::yield();
  w32::clock_testing_advance(9999);
  EXPECT_EQ(g_fired.load(), 0);
  w32::clock_testing_advance(1);
  until_no_thread();
  EXPECT_EQ(g_fired.load(), 1);
}

// ---- Printing

class NtPrint : public NtSys {
 protected:
  void SetUp() override {
    NtSys::SetUp();
    ASSERT_TRUE(w32::printer_testing_set_spool_folder(dir_.path().c_str()));
  }
  static void set_entry(const char* section, const char* key, const char* value) {
    std::string path = std::string(w32::W32_PROFILE_NT_KEY) + "\\" + section;
    ASSERT_EQ(vek::nt_set_registry_string_value(w32::HKEY_CURRENT_USER, path.c_str(), key, value),
              1);
  }
  std::string spooled(const std::string& name) {
    std::ifstream in(dir_.path() + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  yrltest::TempDir dir_;
};

TEST_F(NtPrint, DefaultPrinterIsTheDeviceUpToItsFirstComma) {
  char printer[256] = "x";
  EXPECT_EQ(vek::get_windows_printer(printer), 0);
  EXPECT_STREQ(printer, "");
  set_entry("windows", "device", "Office Laser,winspool,Ne00:");
  EXPECT_EQ(vek::get_windows_printer(printer), 1);
  EXPECT_STREQ(printer, "Office Laser");
  set_entry("windows", "device", "NoComma");
  EXPECT_EQ(vek::get_windows_printer(printer), 1);
  EXPECT_STREQ(printer, "NoComma");
}

TEST_F(NtPrint, JobHoldsTheBytesWritten) {
  set_entry("devices", "Office Laser", "winspool,Ne00:");
  w32::HANDLE handle = nullptr;
  ASSERT_NE(vek::WIN32_open_printer("Office Laser", "part", &handle), 0);
  const char data[] =
      "\x1B"
      "E page one\f";
  EXPECT_EQ(vek::WIN32_write_printer(&handle, data, 12), 12);
  EXPECT_EQ(vek::WIN32_close_printer(&handle), 1);
  EXPECT_EQ(handle, nullptr);
  EXPECT_EQ(spooled("Office%20Laser-1.prn"), std::string(data, 12));
  EXPECT_EQ(vek::WIN32_close_printer(&handle), 1);  // nothing open
  EXPECT_EQ(vek::WIN32_open_printer("Nowhere", "part", &handle), 0);
  EXPECT_EQ(handle, nullptr);
  yrltest::SeriousReports reports;
  EXPECT_EQ(vek::WIN32_write_printer(&handle, data, 1), -1);
  ASSERT_EQ(reports.lines().size(), 1u);
  EXPECT_NE(reports.lines()[0].find("Attempt to print w/o opening ptr"), std::string::npos);
  vek::WIN32_CreateIcon();
}

// ---- System checks

TEST_F(NtSys, ErrorBitsAddUpAndClear) {
  EXPECT_EQ(vek::W32ChkSysParm_SetError(0x8), 1);
  EXPECT_EQ(vek::W32ChkSysParm_IsErrorSet(0x8 | 0x10), 0);
  vek::W32ChkSysParm_SetError(0x10);
  EXPECT_EQ(vek::W32ChkSysParm_IsErrorSet(0x8 | 0x10), 1);
  vek::W32ChkSysParm_SetError(0);
  EXPECT_EQ(vek::W32ChkSysParm_IsErrorSet(0x8), 0);
}

TEST_F(NtSys, NetworkCheckBitsOnThisMachine) {
  char host[256] = {};
  ASSERT_EQ(gethostname(host, sizeof host), 0);
  std::uint32_t loopback = htonl(INADDR_LOOPBACK);
  ASSERT_TRUE(w32::socket_testing_add_host(host, nullptr, &loopback, 1));
  struct Case {
    const char* what;
    const char* old_checks;  // OLD_NETWORK_CHECKS
    bool workstation;        // LanmanWorkstation installed and running
    const char* bind;        // Tcpip Linkage "Bind", null: none
    int bits;                // expected beyond the name bits of this machine
  } cases[] = {
      {"no services", nullptr, false, nullptr, 0x20},
      {"workstation runs", nullptr, true, nullptr, 0},
      {"old checks", "1", true, nullptr, 0x20 | 0x80},
      // An empty entry or one without '\' after its first character names no adapter.
      {"empty bind", "1", true, "", 0x20 | 0x80},
      {"bind without delimiter", "1", true, "X", 0x20 | 0x80},
      {"bind with gateway", "1", true, "\\Device\\El90x1", 0x20 | 0x80 | 0x2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    w32::registry_testing_reset();
    yrltest::ScopedEnv old("OLD_NETWORK_CHECKS", c.old_checks);
    if (c.workstation) {
      ASSERT_EQ(vek::ginst_install_service("LanmanWorkstation", "C:\\svc.exe"), 1);
      ASSERT_EQ(vek::ginst_start_service("LanmanWorkstation"), 1);
    }
    if (c.bind != nullptr) {
      vek::nt_set_registry_string_value(w32::HKEY_LOCAL_MACHINE,
                                        "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Linkage",
                                        "Bind", c.bind);
      vek::nt_set_registry_string_value(
          w32::HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\El90x1\\Parameters\\Tcpip",
          "DefaultGateway", "");
    }
    int result = vek::CheckNetworkSetup();
    // The name bits depend on this machine's names; the rest on the stand-ins.
    int mask = ~(0x4 | 0x8 | 0x10);
    int bits = 0;
    for (int bit = 1; bit <= 0x100; bit <<= 1)
      if (vek::W32ChkSysParm_IsErrorSet(bit)) bits |= bit;
    EXPECT_EQ(bits & mask, c.bits);
    EXPECT_EQ(result, bits == 0 ? 1 : 0);
  }
}

}  // namespace
