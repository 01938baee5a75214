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
#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"
#include "platform/w32/printer_testing.h"
#include "platform/w32/profile.h"
#include "platform/w32/registry_testing.h"
#include "platform/w32/socket.h"
#include "platform/w32/socket_testing.h"
#include "platform/w32/system_testing.h"
#include "runtime/system/ntservice.h"
#include "runtime/system/ntsys_testing.h"
#include "runtime/system/regstring.h"
#include "tests/support/bounded_wait.h"
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
  // Waits (in real time, within a bound) until the timer thread waits on the clock.
  static bool until_waiting() {
    return yrltest::wait_until([] { return w32::clock_testing_waiting() > 0; });
  }
  static bool until_no_thread() {
    return yrltest::wait_until([] { return vek::ntsys_testing_alarm_threads() == 0; });
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
  ASSERT_TRUE(until_waiting());
  w32::clock_testing_advance(4999);
  EXPECT_EQ(g_fired.load(), 0);
  w32::clock_testing_advance(1);
  ASSERT_TRUE(until_no_thread());
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
    ASSERT_TRUE(until_waiting());
    w32::clock_testing_advance(1000);
    ASSERT_TRUE(until_no_thread());  // came through without calling SIG_IGN as a function
  }
}

TEST_F(NtAlarm, TerminatedOrReplacedAlarmDoesNotFire) {
  vek::NT_signal(vek::NT_SIGALRM, on_alarm);
  vek::NT_alarm(5);
  ASSERT_TRUE(until_waiting());
  EXPECT_EQ(vek::NT_terminate_alarm(), 1);
  ASSERT_TRUE(until_no_thread());
  // A second alarm replaces the pending one: one firing, at the second's time.
  vek::NT_alarm(5);
  ASSERT_TRUE(until_waiting());
  vek::NT_alarm(10);
  // The replaced thread has ended and the new one waits, from the clock's time now.
  ASSERT_TRUE(yrltest::wait_until([] {
    return vek::ntsys_testing_alarm_threads() == 1 && w32::clock_testing_waiting() == 1;
  }));
  w32::clock_testing_advance(9999);
  EXPECT_EQ(g_fired.load(), 0);
  w32::clock_testing_advance(1);
  ASSERT_TRUE(until_no_thread());
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

// What names no printer answers 0 with an empty name, never success: a failed profile
// read, an entry with nothing before its first ',', one too long for the 255 characters.
TEST_F(NtPrint, NoPrinterNameIsNoSuccess) {
  const std::string longest(254, 'p');
  const std::string too_long(255, 'p');
  struct Case {
    const char* what;
    std::string entry;
    bool fail_read;
    int result;
    std::string name;
  } cases[] = {
      {"failed read", "Office Laser,winspool,Ne00:", true, 0, ""},
      {"empty name", ",winspool,Ne00:", false, 0, ""},
      {"empty entry", "", false, 0, ""},
      {"254 characters", longest, false, 1, longest},
      {"255 characters", too_long, false, 0, ""},
      {"300 characters", std::string(300, 'q') + ",winspool", false, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    set_entry("windows", "device", c.entry.c_str());
    if (c.fail_read) {
      ASSERT_TRUE(w32::fault_testing_fail_on_call("GetProfileStringA", 1, w32::ERROR_GEN_FAILURE));
    }
    char printer[256] = "x";
    EXPECT_EQ(vek::get_windows_printer(printer), c.result);
    EXPECT_EQ(std::string(printer), c.name);
  }
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

// The machine's names come from the stand-ins: the host name the sockets give and the
// computer name; the host resolves to the loopback address through the sockets' table.
class NtNetwork : public NtSys {
 protected:
  void SetUp() override {
    NtSys::SetUp();
    names("build-box.example.com", "BUILD-BOX");
  }
  static void names(const char* host, const char* computer) {
    ASSERT_TRUE(w32::socket_testing_set_host_name(host));
    w32::system_testing_set_computer_name(computer);
    std::uint32_t loopback = htonl(INADDR_LOOPBACK);
    ASSERT_TRUE(w32::socket_testing_add_host(host, nullptr, &loopback, 1));
  }
  static void workstation_runs() {
    ASSERT_EQ(vek::ginst_install_service("LanmanWorkstation", "C:\\svc.exe"), 1);
    ASSERT_EQ(vek::ginst_start_service("LanmanWorkstation"), 1);
  }
  // The error bits CheckNetworkSetup left, checking its result against them.
  static int check() {
    int result = vek::CheckNetworkSetup();
    int bits = 0;
    for (int bit = 1; bit <= 0x100; bit <<= 1)
      if (vek::W32ChkSysParm_IsErrorSet(bit)) bits |= bit;
    EXPECT_EQ(result, bits == 0 ? 1 : 0);
    return bits;
  }
};

TEST_F(NtNetwork, ServiceAndBindingBits) {
  struct Case {
    const char* what;
    const char* old_checks;  // OLD_NETWORK_CHECKS
    bool workstation;        // LanmanWorkstation installed and running
    const char* bind;        // Tcpip Linkage "Bind", null: none
    int bits;
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
    if (c.workstation) workstation_runs();
    if (c.bind != nullptr) {
      vek::nt_set_registry_string_value(w32::HKEY_LOCAL_MACHINE,
                                        "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Linkage",
                                        "Bind", c.bind);
      vek::nt_set_registry_string_value(
          w32::HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\El90x1\\Parameters\\Tcpip",
          "DefaultGateway", "");
    }
    EXPECT_EQ(check(), c.bits);
  }
}

TEST_F(NtNetwork, NameBitsCompareTheHostsFirstLabelWithTheComputerName) {
  const std::string long_name(40, 'n');  // container names run long
  struct Case {
    const char* host;
    const char* computer;
    int bits;
  } cases[] = {
      {"build-box.example.com", "BUILD-BOX", 0},
      {"build-box", "build-box", 0},
      {"build_box.lan", "Build_Box", 0},  // '_' is allowed
      {"build-box.example.com", "OTHER-BOX", 0x8},
      {"build-boxes.lan", "build-box", 0x8},
      {"build.box", "buildbox", 0x8},
      {"a+b.lan", "A+B", 0x10},
      {"a.b", "a.b", 0x8},  // the host's first label is "a"
      {long_name.c_str(), long_name.c_str(), 0},
  };
  workstation_runs();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.host) + " / " + c.computer);
    names(c.host, c.computer);
    EXPECT_EQ(check(), c.bits);
  }
}

TEST_F(NtNetwork, WithoutAHostNameNothingIsResolved) {
  workstation_runs();
  for (const char* old_checks : {static_cast<const char*>(nullptr), "1"}) {
    SCOPED_TRACE(old_checks != nullptr ? "old checks" : "new checks");
    yrltest::ScopedEnv old("OLD_NETWORK_CHECKS", old_checks);
    w32::socket_testing_reset();
    ASSERT_TRUE(w32::fault_testing_fail_on_call("gethostname", 1, w32::WSAEFAULT));
    int bits = check();
    // No name: the names cannot be compared, the host does not resolve (old checks) and
    // the connection test cannot be made. Nothing was looked up.
    int expected = 0x4 | 0x100 | (old_checks != nullptr ? 0x1 | 0x20 | 0x80 : 0);
    EXPECT_EQ(bits, expected);
    EXPECT_EQ(w32::socket_testing_lookups(), 0);
  }
}

}  // namespace
