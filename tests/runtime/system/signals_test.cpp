// The signal layer: installing and restoring handlers against the C runtime's raise,
// handler sets, set words and the debug handler stack.
#include "runtime/system/signals.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <string>

#include "runtime/system/ntsys.h"
#include "runtime/system/process.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "tests/support/serious_reports.h"

namespace {

using yrltest::live_blocks;

// Which handler ran last, and how often handlers ran.
volatile std::sig_atomic_t g_last = 0;
volatile std::sig_atomic_t g_calls = 0;

void handler_a(int) {
  g_last = 'A';
  g_calls = g_calls + 1;
}
void handler_b(int) {
  g_last = 'B';
  g_calls = g_calls + 1;
}

// The handler the C runtime holds for a signal.
vek::NtSignalHandler current(int signal) {
  struct sigaction action;
  EXPECT_EQ(sigaction(signal, nullptr, &action), 0);
  return action.sa_handler;
}

void set_with_sigaction(int signal, vek::NtSignalHandler handler) {
  struct sigaction action = {};
  action.sa_handler = handler;
  ASSERT_EQ(sigaction(signal, &action, nullptr), 0);
}

// Raises the signal and answers the handler that took it (0 when none did).
int raised_to(int signal) {
  g_last = 0;
  EXPECT_EQ(std::raise(signal), 0);
  return g_last;
}

class Signals : public yrltest::RuntimeTest {
 protected:
  void SetUp() override {
    yrltest::RuntimeTest::SetUp();
    g_last = 0;
    g_calls = 0;
  }
};

vek::SigItem item_for(int signal, vek::NtSignalHandler handler, const char* name = "test") {
  vek::SigItem item = {};
  EXPECT_EQ(vek::ctsu_create_sigitem(&item, signal, handler, nullptr, nullptr, 0, name), 1);
  return item;
}

// ---- Install and restore

TEST_F(Signals, InstallThenRestoreTheOldItemPutsBackTheHandlerBefore) {
  for (int signal : {SIGINT, SIGILL, SIGFPE, SIGSEGV, SIGTERM, SIGUSR1}) {
    SCOPED_TRACE(signal);
    set_with_sigaction(signal, handler_b);
    vek::SigItem item = item_for(signal, handler_a);
    vek::SigItem old;
    std::memset(&old, 0x5A, sizeof old);
    ASSERT_EQ(vek::ctsu_install_signal_handler(&item, &old), 1);
    EXPECT_EQ(raised_to(signal), 'A');
    EXPECT_EQ(old.signal, signal);
    EXPECT_EQ(old.handler, &handler_b);
    EXPECT_EQ(old.second_mask, 0u);
    EXPECT_STREQ(old.name, "");  // the old item is cleared before it is filled
    ASSERT_EQ(vek::ctsu_restore_signal_handler(&old), 1);
    EXPECT_EQ(raised_to(signal), 'B');
  }
}

TEST_F(Signals, AnItemWithASecondMaskInstallsAndGivesBackAnEmptyMask) {
  set_with_sigaction(SIGUSR1, handler_b);
  vek::SigSet second = 0x30;
  vek::SigItem item = {};
  vek::ctsu_create_sigitem(&item, SIGUSR1, handler_a, nullptr, &second, 0, "masked");
  vek::SigItem old = {};
  old.second_mask = 0xFFFF;
  EXPECT_EQ(vek::ctsu_install_signal_handler(&item, &old), 1);
  EXPECT_EQ(old.second_mask, 0u);  // no mask was in force
  EXPECT_EQ(raised_to(SIGUSR1), 'A');
  EXPECT_EQ(vek::ctsu_install_signal_handler(&item, nullptr), 1);
}

TEST_F(Signals, RefusedInstallsPrintTheSystemErrorAndChangeNothing) {
  yrltest::ConsoleCapture console;
  for (int signal : {SIGKILL, SIGSTOP, 0, 999, -7}) {
    SCOPED_TRACE(signal);
    vek::SigItem item = item_for(signal, handler_a);
    vek::SigItem old = {};
    EXPECT_EQ(vek::ansi_install_signal_handler(&item, &old), vek::ANSI_SIG_SYSTEM_ERROR);
    console.clear();
    EXPECT_EQ(vek::ctsu_install_signal_handler(&item, &old), 0);
    EXPECT_EQ(console.err(), "INSTALL_SIGNAL_HANDLER : Failed in Install: " +
                                 std::string(std::strerror(EINVAL)) + "\n");
    console.clear();
    EXPECT_EQ(vek::ctsu_restore_signal_handler(&item), 0);
    EXPECT_EQ(console.err(), "INSTALL_SIGNAL_HANDLER : Failed in Restore: " +
                                 std::string(std::strerror(EINVAL)) + "\n");
  }
  EXPECT_EQ(vek::ansi_install_signal_handler(nullptr, nullptr), vek::ANSI_SIG_BAD_ARGS);
  EXPECT_EQ(vek::ctsu_install_signal_handler(nullptr, nullptr), 0);
  EXPECT_EQ(vek::ctsu_restore_signal_handler(nullptr), 0);
}

TEST_F(Signals, TheUnsupportedSignalInstallsNothing) {
  vek::SigItem item = item_for(vek::SIG_UNSUPPORTED, handler_a, "IO");
  EXPECT_STREQ(item.name, "IOUNSUPPORTED");
  vek::SigItem old = item_for(SIGUSR1, handler_b);
  EXPECT_EQ(vek::ctsu_install_signal_handler(&item, &old), 1);
  EXPECT_EQ(old.signal, vek::SIG_UNSUPPORTED);
  EXPECT_EQ(old.handler, &handler_b);  // only the signal is touched
  EXPECT_EQ(vek::ctsu_install_signal_handler(&item, nullptr), 1);
  EXPECT_EQ(vek::ctsu_restore_signal_handler(&item), 1);
}

TEST_F(Signals, TheAlarmGoesToTheEmulationNotToTheCRuntime) {
  set_with_sigaction(SIGALRM, handler_b);
  vek::SigItem item = item_for(vek::NT_SIGALRM, handler_a);
  vek::SigItem old = {};
  EXPECT_EQ(vek::ctsu_install_signal_handler(&item, &old), 1);
  EXPECT_EQ(old.handler, nullptr);
  EXPECT_EQ(vek::NT_alarm_handler(), &handler_a);
  EXPECT_EQ(current(SIGALRM), &handler_b);
  vek::SigItem read = {};
  EXPECT_EQ(vek::ansi_get_signal_handler(vek::NT_SIGALRM, &read), vek::ANSI_SIG_OK);
  EXPECT_EQ(read.signal, vek::NT_SIGALRM);
  EXPECT_EQ(read.handler, &handler_a);
  EXPECT_EQ(vek::ctsu_restore_signal_handler(&old), 1);
  EXPECT_EQ(vek::NT_alarm_handler(), nullptr);
}

// Reading a handler must not replace it for a moment: a reinstall through signal()
// would also lose the flags and the mask it was installed with.
TEST_F(Signals, ReadingAHandlerLeavesItAsItWas) {
  struct sigaction action = {};
  action.sa_handler = handler_a;
  action.sa_flags = SA_RESETHAND | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  sigaddset(&action.sa_mask, SIGUSR2);
  ASSERT_EQ(sigaction(SIGUSR1, &action, nullptr), 0);

  vek::SigItem read = {};
  EXPECT_EQ(vek::ansi_get_signal_handler(SIGUSR1, &read), vek::ANSI_SIG_OK);
  EXPECT_EQ(read.signal, SIGUSR1);
  EXPECT_EQ(read.handler, &handler_a);

  struct sigaction after;
  ASSERT_EQ(sigaction(SIGUSR1, nullptr, &after), 0);
  EXPECT_EQ(after.sa_handler, &handler_a);
  EXPECT_EQ(after.sa_flags & (SA_RESETHAND | SA_NODEFER), SA_RESETHAND | SA_NODEFER);
  EXPECT_EQ(sigismember(&after.sa_mask, SIGUSR2), 1);

  for (int signal : {999, -1, 0}) {
    SCOPED_TRACE(signal);
    EXPECT_EQ(vek::ansi_get_signal_handler(signal, &read), vek::ANSI_SIG_SYSTEM_ERROR);
  }
  EXPECT_EQ(vek::ansi_get_signal_handler(SIGUSR1, nullptr), vek::ANSI_SIG_BAD_ARGS);
}

TEST_F(Signals, RaiseStatuses) {
  set_with_sigaction(SIGUSR1, handler_a);
  EXPECT_EQ(vek::ansi_raise_signal(SIGUSR1), vek::ANSI_SIG_OK);
  EXPECT_EQ(g_last, 'A');

  // The alarm is never delivered for real: neither the C runtime's handler nor the
  // emulation's runs.
  set_with_sigaction(SIGALRM, handler_a);
  vek::NT_signal(vek::NT_SIGALRM, handler_b);
  g_calls = 0;
  struct Case {
    int signal;
    int status;
  };
  for (Case c : {Case{vek::NT_SIGALRM, vek::ANSI_SIG_APPLICATION_ERROR},
                 Case{999, vek::ANSI_SIG_APPLICATION_ERROR},
                 Case{-5, vek::ANSI_SIG_APPLICATION_ERROR},
                 Case{vek::SIG_UNSUPPORTED, vek::ANSI_SIG_NOT_SUPPORTED}}) {
    SCOPED_TRACE(c.signal);
    EXPECT_EQ(vek::ansi_raise_signal(c.signal), c.status);
  }
  EXPECT_EQ(g_calls, 0);
}

// ---- Items

TEST_F(Signals, CreatingAnItemCutsAndMarksTheName) {
  const std::string forty_five(45, 'n');
  struct Case {
    int signal;
    const char* name;
    std::string expected;
  };
  const Case cases[] = {
      {SIGINT, "interrupt", "interrupt"},
      {SIGINT, nullptr, ""},
      {SIGINT, forty_five.c_str(), std::string(39, 'n')},
      {-1, "IO", "IOUNSUPPORTED"},
      {-1, nullptr, "UNSUPPORTED"},
      {-1, "abcdefghijklmnopqrstuvwxyz", "abcdefghijklmnopqrstuvwxyzUNSUPPORTED"},
      {-1, "abcdefghijklmnopqrstuvwxyzA", "abcdefghijklmnopqrstuvwxyzAUNSUPPORTED"},
      {-1, "abcdefghijklmnopqrstuvwxyzABC", "abcdefghijklmnopqrstuvwxyzAUNSUPPORTED"},
      {-1, forty_five.c_str(), std::string(27, 'n') + "UNSUPPORTED" + "n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    vek::SigItem item;
    std::memset(&item, 0x5A, sizeof item);
    ASSERT_EQ(vek::ctsu_create_sigitem(&item, c.signal, handler_a, nullptr, nullptr, 0, c.name),
              1);
    EXPECT_EQ(item.signal, c.signal);
    EXPECT_EQ(item.handler, &handler_a);
    EXPECT_EQ(std::string(item.name), c.expected);
    EXPECT_EQ(item.name[vek::SIG_NAME_SIZE - 1], '\0');
  }
}

TEST_F(Signals, CreatingAndClearingAnItem) {
  vek::SigSet mask = 0x11;
  vek::SigSet second = 0x22;
  vek::SigItem item;
  std::memset(&item, 0x5A, sizeof item);
  ASSERT_EQ(vek::ctsu_create_sigitem(&item, SIGTERM, SIG_IGN, &mask, &second, 0x8, "term"), 1);
  EXPECT_EQ(item.handler, SIG_IGN);
  EXPECT_EQ(item.mask, 0x11u);
  EXPECT_EQ(item.second_mask, 0x22u);
  EXPECT_EQ(item.flags, 0x8u);

  EXPECT_EQ(vek::ctsu_init_signal_item(&item), 1);
  EXPECT_EQ(item.signal, SIGTERM);  // the signal stays
  EXPECT_EQ(item.handler, nullptr);
  EXPECT_EQ(item.mask, 0u);
  EXPECT_EQ(item.second_mask, 0u);
  EXPECT_EQ(item.flags, 0u);
  EXPECT_STREQ(item.name, "");

  EXPECT_EQ(vek::ctsu_create_sigitem(nullptr, SIGTERM, SIG_IGN, nullptr, nullptr, 0, "x"), 0);
  EXPECT_EQ(vek::ctsu_init_signal_item(nullptr), 0);

  vek::NtSignalHandler handler = nullptr;
  int signal = 0;
  vek::SigItem source = item_for(SIGHUP, handler_b);
  EXPECT_EQ(vek::sig_descr_to_generic(&source, &handler, &signal), 0);
  EXPECT_EQ(signal, SIGHUP);
  EXPECT_EQ(handler, &handler_b);
  vek::SigItem target = {};
  signal = SIGQUIT;
  handler = handler_a;
  EXPECT_EQ(vek::sig_generic_to_descr(&signal, &handler, &target), 0);
  EXPECT_EQ(target.signal, SIGQUIT);
  EXPECT_EQ(target.handler, &handler_a);
  EXPECT_EQ(vek::sig_descr_to_generic(nullptr, &handler, &signal), 1);
  EXPECT_EQ(vek::sig_descr_to_generic(&source, nullptr, &signal), 1);
  EXPECT_EQ(vek::sig_generic_to_descr(&signal, &handler, nullptr), 1);
  EXPECT_EQ(vek::sig_generic_to_descr(nullptr, &handler, &target), 1);
}

// ---- Handler sets

TEST_F(Signals, AHandlerSetInstallsAndRestoresEachSignal) {
  set_with_sigaction(SIGUSR1, handler_b);
  set_with_sigaction(SIGUSR2, SIG_IGN);
  const int signals[] = {SIGUSR1, SIGUSR2, vek::SIG_UNSUPPORTED};
  vek::SigHandlerSet set = {};
  ASSERT_EQ(vek::ctsu_init_signal_handlers(&set, signals, 3, handler_a, nullptr), 1);
  EXPECT_EQ(set.count, 3);
  EXPECT_EQ(set.in_use, 0);
  EXPECT_STREQ(set.items[0].name, "ctsu_set_signal_handlers");
  EXPECT_STREQ(set.items[2].name, "ctsu_set_signal_handlersUNSUPPORTED");

  yrltest::SeriousReports reports;
  ASSERT_EQ(vek::ctsu_set_signal_handlers(&set), 1);
  EXPECT_EQ(raised_to(SIGUSR1), 'A');
  EXPECT_EQ(raised_to(SIGUSR2), 'A');
  for (int i = 0; i < 3; ++i) EXPECT_EQ(set.installed[i], &set.replaced[i]);
  EXPECT_EQ(set.replaced[0].handler, &handler_b);
  EXPECT_EQ(set.replaced[1].handler, SIG_IGN);

  EXPECT_EQ(vek::ctsu_set_signal_handlers(&set), 0);
  EXPECT_EQ(reports.lines(),
            std::vector<std::string>{"ctsu_set_signal_handlers:  Handlers already in use."});
  reports.clear();

  ASSERT_EQ(vek::ctsu_restore_signal_handlers(&set), 1);
  EXPECT_EQ(raised_to(SIGUSR1), 'B');
  EXPECT_EQ(current(SIGUSR2), SIG_IGN);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(set.installed[i], nullptr);

  EXPECT_EQ(vek::ctsu_restore_signal_handlers(&set), 0);
  EXPECT_EQ(reports.lines(), std::vector<std::string>{
                                 "ctsu_restore_signal_handlers:  Can't restore handlers twice."});
  reports.clear();

  // The set can be used again after a restore.
  ASSERT_EQ(vek::ctsu_set_signal_handlers(&set), 1);
  EXPECT_EQ(raised_to(SIGUSR1), 'A');
  ASSERT_EQ(vek::ctsu_restore_signal_handlers(&set), 1);
  EXPECT_EQ(raised_to(SIGUSR1), 'B');
  EXPECT_TRUE(reports.lines().empty());
}

// A signal named twice: undoing in the order of installing would leave the set's own
// handler in place.
TEST_F(Signals, ASignalNamedTwiceGetsItsFirstHandlerBack) {
  set_with_sigaction(SIGUSR1, handler_b);
  const int signals[] = {SIGUSR1, SIGUSR2, SIGUSR1};
  vek::SigHandlerSet set = {};
  ASSERT_EQ(vek::ctsu_init_signal_handlers(&set, signals, 3, handler_a, "twice"), 1);
  EXPECT_STREQ(set.items[1].name, "twice");
  ASSERT_EQ(vek::ctsu_set_signal_handlers(&set), 1);
  EXPECT_EQ(raised_to(SIGUSR1), 'A');
  ASSERT_EQ(vek::ctsu_restore_signal_handlers(&set), 1);
  EXPECT_EQ(current(SIGUSR1), &handler_b);
}

TEST_F(Signals, ASetWithASignalThatCannotBeInstalledRestoresTheOthers) {
  set_with_sigaction(SIGUSR1, handler_b);
  const int signals[] = {SIGUSR1, SIGKILL};
  vek::SigHandlerSet set = {};
  ASSERT_EQ(vek::ctsu_init_signal_handlers(&set, signals, 2, handler_a, ""), 1);
  EXPECT_STREQ(set.items[0].name, "ctsu_set_signal_handlers");
  yrltest::ConsoleCapture console;
  EXPECT_EQ(vek::ctsu_set_signal_handlers(&set), 0);
  EXPECT_EQ(set.installed[0], &set.replaced[0]);
  EXPECT_EQ(set.installed[1], nullptr);
  EXPECT_EQ(raised_to(SIGUSR1), 'A');
  EXPECT_EQ(vek::ctsu_restore_signal_handlers(&set), 1);
  EXPECT_EQ(current(SIGUSR1), &handler_b);
}

TEST_F(Signals, SettingARecordedSetAgainIsReportedAndStillInstalls) {
  const int signals[] = {SIGUSR1};
  vek::SigHandlerSet set = {};
  ASSERT_EQ(vek::ctsu_init_signal_handlers(&set, signals, 1, handler_a, nullptr), 1);
  ASSERT_EQ(vek::ctsu_set_signal_handlers(&set), 1);
  set.in_use = 0;  // as a copy of the record taken before the set was installed
  yrltest::SeriousReports reports;
  EXPECT_EQ(vek::ctsu_set_signal_handlers(&set), 1);
  EXPECT_EQ(reports.lines(),
            std::vector<std::string>{
                "ctsu_set_signal_handlers:  Set handlers twice without intervening restore"});
  EXPECT_EQ(raised_to(SIGUSR1), 'A');
}

TEST_F(Signals, BadHandlerSetsAreRefused) {
  const int signals[] = {SIGUSR1};
  vek::SigHandlerSet set = {};
  const int blocks = live_blocks();
  EXPECT_EQ(vek::ctsu_init_signal_handlers(nullptr, signals, 1, handler_a, nullptr), 0);
  EXPECT_EQ(vek::ctsu_init_signal_handlers(&set, nullptr, 1, handler_a, nullptr), 0);
  EXPECT_EQ(vek::ctsu_init_signal_handlers(&set, signals, 0, handler_a, nullptr), 0);
  EXPECT_EQ(vek::ctsu_init_signal_handlers(&set, signals, -3, handler_a, nullptr), 0);
  EXPECT_EQ(vek::ctsu_init_signal_handlers(&set, signals, 1 << 30, handler_a, nullptr), 0);
  EXPECT_EQ(live_blocks(), blocks);
  EXPECT_EQ(set.items, nullptr);
  EXPECT_EQ(vek::ctsu_set_signal_handlers(nullptr), 0);
  EXPECT_EQ(vek::ctsu_restore_signal_handlers(nullptr), 0);
}

// ---- Set words and masks

TEST_F(Signals, SetWordsTakeSignalsModuloThirtyTwo) {
  vek::SigSet set = 0;
  EXPECT_EQ(vek::ctsu_isempty_sigset(&set), 1);
  EXPECT_EQ(vek::ctsu_addto_sigset(1, &set), 1);
  EXPECT_EQ(set, 0x2u);
  EXPECT_EQ(vek::ctsu_isempty_sigset(&set), 0);
  struct Case {
    int signal;
    int member;
  };
  for (Case c : {Case{1, 1}, Case{33, 1}, Case{65, 1}, Case{2, 0}, Case{32, 0}, Case{-1, 0}}) {
    SCOPED_TRACE(c.signal);
    EXPECT_EQ(vek::ctsu_ismember_sigset(c.signal, &set), c.member);
  }
  EXPECT_EQ(vek::ctsu_addto_sigset(31, &set), 1);
  EXPECT_EQ(vek::ctsu_addto_sigset(-1, &set), 1);  // wraps to bit 31
  EXPECT_EQ(set, 0x80000002u);
  EXPECT_EQ(vek::ctsu_delfrom_sigset(33, &set), 1);
  EXPECT_EQ(set, 0x80000000u);
  EXPECT_EQ(vek::ctsu_fill_sigset(&set), 1);
  EXPECT_EQ(set, 0xFFFFFFFFu);
  EXPECT_EQ(vek::ctsu_delfrom_sigset(-1, &set), 1);
  EXPECT_EQ(set, 0x7FFFFFFFu);
  EXPECT_EQ(vek::ctsu_empty_sigset(&set), 1);
  EXPECT_EQ(set, 0u);

  EXPECT_EQ(vek::ctsu_isempty_sigset(nullptr), 0);
  EXPECT_EQ(vek::ctsu_empty_sigset(nullptr), 0);
  EXPECT_EQ(vek::ctsu_fill_sigset(nullptr), 0);
  EXPECT_EQ(vek::ctsu_addto_sigset(1, nullptr), 0);
  EXPECT_EQ(vek::ctsu_delfrom_sigset(1, nullptr), 0);
  EXPECT_EQ(vek::ctsu_ismember_sigset(1, nullptr), 0);

  vek::SigSet copy = 0;
  set = 0x1F;
  EXPECT_EQ(vek::su_copy_mask(&set, &copy), 1);
  EXPECT_EQ(copy, 0x1Fu);
  EXPECT_EQ(vek::su_copy_mask(nullptr, &copy), 0);
  EXPECT_EQ(vek::su_copy_mask(&set, nullptr), 0);
  yrltest::ConsoleCapture console;
  EXPECT_EQ(vek::su_print_mask(&copy), 1);
  EXPECT_EQ(vek::su_print_mask(nullptr), 0);
  EXPECT_EQ(console.err(), "0x1f");
}

TEST_F(Signals, MasksAndPendingSetsAreUnsupported) {
  vek::SigSet set = 0x5;
  for (auto operation : {vek::ansi_set_signal_mask, vek::ansi_set_signal_mask_top,
                         vek::ansi_restore_signal_mask})
    EXPECT_EQ(operation(&set), vek::ANSI_SIG_NOT_SUPPORTED);
  EXPECT_EQ(vek::ansi_get_signal_mask(&set), vek::ANSI_SIG_NOT_SUPPORTED);
  EXPECT_EQ(vek::ansi_set_signal_mask(nullptr), vek::ANSI_SIG_BAD_ARGS);
  EXPECT_EQ(vek::ansi_get_signal_mask(nullptr), vek::ANSI_SIG_BAD_ARGS);

  vek::SigSet old = 0x7;
  EXPECT_EQ(vek::ctsu_set_signal_mask(&set, &old), 1);
  EXPECT_EQ(old, 0u);
  EXPECT_EQ(vek::ctsu_set_signal_mask(&set, nullptr), 1);
  old = 0x7;
  EXPECT_EQ(vek::ctsu_set_signal_mask(nullptr, &old), 1);
  EXPECT_EQ(old, 0u);
  EXPECT_EQ(vek::ctsu_set_signal_mask(nullptr, nullptr), 0);

  for (auto operation : {vek::ctsu_get_signal_mask, vek::ctsu_restore_signal_mask}) {
    set = 0x5;
    EXPECT_EQ(operation(&set), 1);
    EXPECT_EQ(set, 0u);
    EXPECT_EQ(operation(nullptr), 0);
  }
  set = 0x5;
  EXPECT_EQ(vek::ctsu_get_pending_sigset(&set), 0);
  EXPECT_EQ(set, 0u);
  EXPECT_EQ(vek::ctsu_get_pending_sigset(nullptr), 0);

}

TEST_F(Signals, StatusesAsTruthValuesAndTraceLines) {
  struct Case {
    int status;
    int truth;
    const char* line;
  };
  const Case cases[] = {
      {0, 1, ""},
      {1, 0, "BAD ARGS\n"},
      {2, 0, "SYSTEM ERROR\n"},
      {3, 0, "APPLICATION ERROR\n"},
      {4, 1, "OPERATION NOT SUPPORTED\n"},
      {5, 0, ""},
      {-1, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    EXPECT_EQ(vek::ctsu_convert_stat(c.status), c.truth);
    yrltest::ConsoleCapture console;
    EXPECT_EQ(vek::su_trace_status(c.status), c.truth);
    EXPECT_EQ(console.err(), c.line);
  }
}

// ---- Debug handler stack

TEST_F(Signals, TheStackHoldsTwentyItemsAndKeepsItsBottom) {
  const int blocks = live_blocks();
  const int signal = 5;
  EXPECT_EQ(vek::get_stack_head(signal), 0);
  for (int i = 0; i < vek::MAX_SIGSTACK_SIZE; ++i) {
    vek::SigItem item = item_for(signal, handler_a, ("item " + std::to_string(i)).c_str());
    item.flags = static_cast<std::uint32_t>(i);
    ASSERT_EQ(vek::su_push_sigitem(&item), 0) << i;
    EXPECT_EQ(vek::get_stack_head(signal), i);
  }
  EXPECT_EQ(live_blocks(), blocks + vek::MAX_SIGSTACK_SIZE);

  yrltest::ConsoleCapture console;
  vek::SigItem extra = item_for(signal, handler_b, "extra");
  EXPECT_EQ(vek::su_push_sigitem(&extra), 3);
  EXPECT_EQ(console.err(),
            "EXCEEDED DEBUG SIGNAL HANDLER STACK\nINCREASE THE VALUE OF MAX_SIGSTACK_SIZE \n");
  EXPECT_EQ(vek::get_stack_head(signal), 19);
  EXPECT_EQ(live_blocks(), blocks + vek::MAX_SIGSTACK_SIZE);
  console.clear();

  // Another signal has a stack of its own.
  vek::SigItem other = item_for(6, handler_b, "other");
  EXPECT_EQ(vek::su_push_sigitem(&other), 0);
  EXPECT_EQ(vek::get_stack_head(6), 0);

  for (int expected = vek::MAX_SIGSTACK_SIZE - 2; expected >= 0; --expected) {
    vek::SigItem out = {};
    ASSERT_EQ(vek::su_pop_sigitem(signal, &out), 0) << expected;
    EXPECT_EQ(out.signal, signal);
    EXPECT_EQ(out.handler, &handler_a);
    EXPECT_EQ(out.flags, static_cast<std::uint32_t>(expected));
    EXPECT_EQ(std::string(out.name), "item " + std::to_string(expected));
    EXPECT_EQ(vek::get_stack_head(signal), expected);
  }
  EXPECT_TRUE(console.err().empty());
  vek::SigItem out = {};
  out.flags = 77;
  EXPECT_EQ(vek::su_pop_sigitem(signal, &out), 3);
  EXPECT_EQ(out.flags, 77u);
  EXPECT_EQ(console.err(), "EXHAUSTED DEBUG SIGNAL HANDLER STACK\n");
  console.clear();
  EXPECT_EQ(vek::su_pop_sigitem(7, &out), 3);  // empty
  EXPECT_EQ(console.err(), "EXHAUSTED DEBUG SIGNAL HANDLER STACK\n");
  // The bottom items of signals 5 and 6 stay.
  EXPECT_EQ(live_blocks(), blocks + 2);
}

TEST_F(Signals, TheStackRefusesSignalsOutsideItsTable) {
  const int blocks = live_blocks();
  yrltest::ConsoleCapture console;
  for (int signal : {-1, -40, 40, 41, 1000}) {
    SCOPED_TRACE(signal);
    vek::SigItem item = item_for(signal, handler_a);
    EXPECT_EQ(vek::su_push_sigitem(&item), 1);
    vek::SigItem out = {};
    EXPECT_EQ(vek::su_pop_sigitem(signal, &out), 1);
    EXPECT_EQ(vek::get_stack_head(signal), -1);
  }
  vek::SigItem edge = item_for(39, handler_a);
  EXPECT_EQ(vek::su_push_sigitem(&edge), 0);
  edge.signal = 0;
  EXPECT_EQ(vek::su_push_sigitem(&edge), 0);
  EXPECT_EQ(vek::su_push_sigitem(nullptr), 1);
  EXPECT_EQ(vek::su_pop_sigitem(0, nullptr), 1);
  EXPECT_TRUE(console.err().empty());
  EXPECT_EQ(live_blocks(), blocks + 2);
}

// ---- Sending to a child

// A child that sleeps until it is ended, with its record.
struct SleepingChild {
  SleepingChild() {
    char program[] = "/bin/sleep";
    char seconds[] = "30";
    char* argv[] = {program, seconds, nullptr};
    EXPECT_EQ(posix_spawn(&pid, program, nullptr, nullptr, argv, nullptr), 0);
    record = vek::vyn_open_process(static_cast<std::uint32_t>(pid));
    EXPECT_NE(record, nullptr);
  }
  ~SleepingChild() {
    vek::vyn_free_proc_handle(&record);
    if (!reaped) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }
  // Whether the child has ended, reaping it when it has.
  bool ended() {
    int status = 0;
    reaped = waitpid(pid, &status, WNOHANG) == pid;
    return reaped;
  }
  pid_t pid = 0;
  vek::VynProc* record = nullptr;
  bool reaped = false;
};

TEST_F(Signals, SendingEndsTheChildOnlyForTermination) {
  SleepingChild child;
  ASSERT_NE(child.record, nullptr);
  struct Case {
    vek::VynProc* process;
    int signal;
    int result;
    const char* trace;
  };
  const Case cases[] = {
      {child.record, SIGKILL, 1, "SENDING SIGNAL : Signal number : 9\nOPERATION NOT SUPPORTED\n"},
      {child.record, SIGINT, 1, "SENDING SIGNAL : Signal number : 2\nOPERATION NOT SUPPORTED\n"},
      {child.record, -1, 1, "SENDING SIGNAL : Signal number : -1\n"},
      {nullptr, SIGTERM, 0, "SENDING SIGNAL : Signal number : 15\nBAD ARGS\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.signal);
    yrltest::ConsoleCapture console;
    EXPECT_EQ(vek::ctsu_send_signal(c.process, c.signal), c.result);
    EXPECT_EQ(console.err(), c.trace);
  }
  EXPECT_FALSE(child.ended());
  EXPECT_EQ(vek::ansi_send_signal(child.record, SIGHUP), vek::ANSI_SIG_NOT_SUPPORTED);
  EXPECT_EQ(vek::ansi_send_signal(nullptr, SIGTERM), vek::ANSI_SIG_BAD_ARGS);

  yrltest::ConsoleCapture console;
  EXPECT_EQ(vek::ctsu_send_signal(child.record, SIGTERM), 1);
  EXPECT_EQ(console.err(), "SENDING SIGNAL : Signal number : 15\nSENT SIGNAL\n");
  for (int i = 0; i < 500 && !child.ended(); ++i) usleep(10000);
  EXPECT_TRUE(child.reaped);

  // The unsupported signal ends the process too.
  SleepingChild second;
  ASSERT_NE(second.record, nullptr);
  EXPECT_EQ(vek::ansi_send_signal(second.record, vek::SIG_UNSUPPORTED), vek::ANSI_SIG_OK);
  for (int i = 0; i < 500 && !second.ended(); ++i) usleep(10000);
  EXPECT_TRUE(second.reaped);
}

// ---- Older entries

TEST_F(Signals, OlderEntriesInstallWithoutKeeping) {
  set_with_sigaction(SIGUSR1, handler_b);
  EXPECT_EQ(vek::vek_set_signal_handler(SIGUSR1, handler_a), 0);
  EXPECT_EQ(raised_to(SIGUSR1), 'A');
  EXPECT_EQ(vek::vek_set_signal_handler(vek::NT_SIGALRM, handler_b), 0);
  EXPECT_EQ(vek::NT_alarm_handler(), &handler_b);
  yrltest::ConsoleCapture console;
  EXPECT_EQ(vek::vek_set_signal_handler(SIGKILL, handler_a), 0);

  struct sigaction before;
  ASSERT_EQ(sigaction(SIGIO, nullptr, &before), 0);
  EXPECT_EQ(vek::vek_set_SIGIO_handler(handler_a), nullptr);
  EXPECT_EQ(vek::vek_set_SIGIO_handler(handler_b), nullptr);
  EXPECT_EQ(vek::vek_set_SIGIO_handler(handler_a), nullptr);
  EXPECT_EQ(current(SIGIO), before.sa_handler);

  EXPECT_EQ(vek::user_handler_function, nullptr);
  vek::set_user_handler_function(handler_a);
  EXPECT_EQ(vek::user_handler_function, &handler_a);
  EXPECT_EQ(vek::verify_current_handler(12), 0);
  EXPECT_EQ(vek::ctsu_init_signal_utility(), 1);
  EXPECT_EQ(vek::ctsu_install_mmap_handler(), 1);
}

// The run-time tests' reset puts the C runtime's handlers back and empties the stack.
TEST_F(Signals, TheResetLeavesNoHandlersBehind) {
  const vek::NtSignalHandler before = current(SIGUSR1);
  vek::vek_set_signal_handler(SIGUSR1, handler_a);
  vek::SigItem item = item_for(3, handler_a);
  vek::su_push_sigitem(&item);
  vek::su_push_sigitem(&item);
  vek::set_user_handler_function(handler_a);
  yrltest::reset_runtime_state();
  EXPECT_EQ(current(SIGUSR1), before);
  EXPECT_EQ(vek::get_stack_head(3), 0);
  vek::SigItem out = {};
  yrltest::ConsoleCapture console;
  EXPECT_EQ(vek::su_pop_sigitem(3, &out), 3);
  EXPECT_EQ(vek::user_handler_function, nullptr);
}

}  // namespace
