// Fault sweeps: an operation is run once to learn every call of the stand-in it makes,
// then once for each of those calls and each kind of fault, the call failing (a full
// disk, a denied access), cutting its write short, or finding its file gone. After each
// run the test checks what must hold whatever failed: nothing lost, nothing half-written,
// no success over a failure.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"
#include "tests/support/console_capture.h"

namespace yrltest {

enum class SweepFault { disk_full, access_denied, short_write, vanished };

struct SweepRun {
  std::string call;  // the call that was failed
  long nth;          // which of its calls
  SweepFault fault;
  int result;        // what the operation answered
  std::string why;   // a label for failure messages
};

struct SweepOp {
  const char* label;
  // Puts the files in place (called before every run, on a fresh state).
  std::function<void()> setup;
  // The operation; its answer goes to check.
  std::function<int()> run;
  // What must hold after a run.
  std::function<void(const SweepRun&)> check;
  // The POSIX path of the file that vanishes, just before the failed call, in the
  // "vanished" runs, asked after setup; none (or an empty answer): no such runs.
  std::function<std::string()> vanishing;
  // The bytes a cut write lets through.
  unsigned short_bytes = 3;
  // The operation meets a condition it must refuse (a source that cannot go, say), so
  // that its clean run fails too: the sweep then checks what its undo steps leave.
  bool clean_fails = false;
};

// The time calls cannot fail on Win32: an armed failure leaves them alone or leaves their
// output untouched, which no caller is built to meet.
inline bool sweepable(const char* call) {
  for (const char* clock : {"Sleep", "GetTickCount", "GetSystemTime", "GetSystemTimeAsFileTime"})
    if (std::strcmp(call, clock) == 0) return false;
  return true;
}

// Every call the facility counted since its last reset, with its count.
inline std::vector<std::pair<std::string, long>> counted_calls() {
  std::vector<std::pair<std::string, long>> calls;
  const char* name = nullptr;
  long n = 0;
  for (int i = 0; w32::fault_testing_counted(i, &name, &n); ++i)
    if (sweepable(name)) calls.emplace_back(name, n);
  return calls;
}

inline const char* sweep_fault_label(SweepFault fault) {
  switch (fault) {
    case SweepFault::disk_full: return "disk full";
    case SweepFault::access_denied: return "access denied";
    case SweepFault::short_write: return "short write";
    case SweepFault::vanished: return "vanished";
  }
  return "?";
}

// The environment variable that names the file a sweep notes its failed calls in.
inline constexpr const char* SWEPT_CALLS_LOG = "YRL_SWEPT_CALLS_LOG";

// Whether the sweeps run for the reach test, which asks only which calls they fail: then
// a sweep fails only the first call of each function it counted (sweep_faults only for a
// full disk), which keeps that test short; the sweep tests themselves run in full.
inline bool sweeping_for_reach() {
  const char* log = std::getenv(SWEPT_CALLS_LOG);
  return log != nullptr && log[0] != '\0';
}

// How many calls of a function counted count times a sweep fails in turn: all of them,
// or the first alone when sweeping for the reach test.
inline long sweep_depth(long count) { return sweeping_for_reach() && count > 1 ? 1 : count; }

// Notes that a sweep armed a fault on call: when SWEPT_CALLS_LOG names a file, the name is
// appended to it, once a process. The reach test runs the sweeps in a child process and
// reads the names back. Every sweep calls this once its fault is armed.
inline void note_swept(const std::string& call) {
  static std::set<std::string> noted;
  const char* log = std::getenv(SWEPT_CALLS_LOG);
  if (log == nullptr || log[0] == '\0' || !noted.insert(call).second) return;
  if (std::FILE* file = std::fopen(log, "a")) {
    std::fprintf(file, "%s\n", call.c_str());
    std::fclose(file);
  }
}

inline void unlink_named(void* path) { ::unlink(static_cast<std::string*>(path)->c_str()); }

// Runs op clean (it must succeed, or fail when op says so: the sweep needs its calls),
// then under every fault at every counted call; returns the calls swept, so that a test
// can ask that a call was reached. Output of the failing runs is captured.
inline std::vector<std::pair<std::string, long>> sweep_faults(const SweepOp& op) {
  op.setup();
  w32::fault_testing_reset();
  int clean = op.run();
  std::vector<std::pair<std::string, long>> calls = counted_calls();
  w32::fault_testing_reset();
  if (op.clean_fails) {
    EXPECT_NE(clean, 0) << op.label << ": the clean run did not fail";
  } else {
    EXPECT_EQ(clean, 0) << op.label << ": the clean run failed";
  }
  op.check(SweepRun{"", 0, SweepFault::disk_full, clean, std::string(op.label) + " clean"});
  EXPECT_FALSE(calls.empty()) << op.label;
  const bool for_reach = sweeping_for_reach();
  for (const auto& [call, count] : calls) {
    for (long k = 1; k <= sweep_depth(count); ++k) {
      for (SweepFault fault : {SweepFault::disk_full, SweepFault::access_denied,
                               SweepFault::short_write, SweepFault::vanished}) {
        if (for_reach && fault != SweepFault::disk_full) continue;
        if (fault == SweepFault::short_write && !w32::fault_testing_is_writing_call(call.c_str()))
          continue;
        if (fault == SweepFault::vanished && !op.vanishing) continue;
        op.setup();
        w32::fault_testing_reset();
        std::string vanishing = op.vanishing ? op.vanishing() : std::string();
        if (fault == SweepFault::vanished && vanishing.empty()) continue;
        int n = static_cast<int>(k);
        bool armed = false;
        switch (fault) {
          case SweepFault::disk_full:
            armed = w32::fault_testing_fail_on_call(call.c_str(), n, w32::ERROR_DISK_FULL);
            break;
          case SweepFault::access_denied:
            armed = w32::fault_testing_fail_on_call(call.c_str(), n, w32::ERROR_ACCESS_DENIED);
            break;
          case SweepFault::short_write:
            armed = w32::fault_testing_short_write(call.c_str(), n, op.short_bytes);
            break;
          case SweepFault::vanished:
            armed = w32::fault_testing_hook_call(call.c_str(), n, unlink_named, &vanishing);
            break;
        }
        EXPECT_TRUE(armed) << call;
        if (armed) note_swept(call);
        int result;
        {
          ConsoleCapture quiet;
          result = op.run();
        }
        w32::fault_testing_reset();
        SweepRun run{call, k, fault, result,
                     std::string(op.label) + ", " + sweep_fault_label(fault) + " at " + call +
                         " #" + std::to_string(k) + ", result " + std::to_string(result)};
        op.check(run);
      }
    }
  }
  return calls;
}

}  // namespace yrltest
