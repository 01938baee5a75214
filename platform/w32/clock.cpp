#include "platform/w32/clock.h"

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/w32/clock_testing.h"
#include "platform/w32/error.h"
#include "platform/w32/fault.h"
#include "platform/w32/process.h"

namespace w32 {

namespace {

constexpr std::int64_t kInfinite = -1;

// All guarded by g_lock; g_wake is broadcast when the test's clock moves or a wait is
// cancelled, and every wait looks at its own state again.
pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;
pthread_cond_t g_wake = PTHREAD_COND_INITIALIZER;
bool g_testing = false;
std::int64_t g_test_wall_ms = 0;
std::int64_t g_test_monotonic_ms = 0;
std::int64_t g_test_user_ms = 0;
std::int64_t g_test_kernel_ms = 0;
int g_waiting = 0;
// Counts the switches between the clocks: a wait that sees it change ends, as its
// deadline was on the other clock.
unsigned g_epoch = 0;

timespec from_ms(std::int64_t ms) {
  return timespec{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000};
}

FILETIME duration_ms(std::int64_t ms) {
  return w32_filetime_of_steps(static_cast<std::uint64_t>(ms < 0 ? 0 : ms) * 10000u);
}

FILETIME duration(const timeval& time) {
  return w32_filetime_of_steps(static_cast<std::uint64_t>(time.tv_sec) * 10000000u +
                             static_cast<std::uint64_t>(time.tv_usec) * 10u);
}

// When the own process started, from its start in clock ticks after boot.
timespec process_start() {
  timespec failed = w32_clock_wall();
  std::FILE* stat = std::fopen("/proc/self/stat", "r");
  if (stat == nullptr) return failed;
  char line[1024];
  bool got = std::fgets(line, sizeof line, stat) != nullptr;
  std::fclose(stat);
  if (!got) return failed;
  // The command name may hold blanks and parentheses: the fields follow its last ')'.
  const char* field = nullptr;
  for (const char* p = line; *p != '\0'; ++p)
    if (*p == ')') field = p;
  unsigned long long ticks = 0;
  // starttime is field 22; after ')' come fields 3 to 21 first.
  if (field == nullptr ||
      std::sscanf(field + 1,
                  " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d %*d %*d "
                  "%*d %*d %*d %llu",
                  &ticks) != 1)
    return failed;
  long hz = sysconf(_SC_CLK_TCK);
  timespec boot;
  clock_gettime(CLOCK_BOOTTIME, &boot);
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  std::int64_t since_boot_ms =
      static_cast<std::int64_t>(boot.tv_sec) * 1000 + boot.tv_nsec / 1000000;
  std::int64_t now_ms = static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
  std::int64_t start_ms =
      now_ms - since_boot_ms + static_cast<std::int64_t>(ticks) * 1000 / (hz > 0 ? hz : 100);
  return from_ms(start_ms);
}

}  // namespace

std::int64_t w32_clock_real_monotonic_ms() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

std::int64_t w32_clock_monotonic_ms() {
  pthread_mutex_lock(&g_lock);
  bool testing = g_testing;
  std::int64_t value = g_test_monotonic_ms;
  pthread_mutex_unlock(&g_lock);
  return testing ? value : w32_clock_real_monotonic_ms();
}

timespec w32_clock_wall() {
  pthread_mutex_lock(&g_lock);
  bool testing = g_testing;
  std::int64_t value = g_test_wall_ms + g_test_monotonic_ms;
  pthread_mutex_unlock(&g_lock);
  if (testing) return from_ms(value);
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return now;
}

namespace {

// Ends a wait of w32_clock_wait, also when its thread is cancelled in it: the condition
// wait takes the lock back before the thread ends, so the lock must go here or every
// later reading of the clock would stop.
void end_wait(void*) {
  --g_waiting;
  pthread_mutex_unlock(&g_lock);
}

// The wait proper, with g_lock held; a cancellation point.
BOOL wait_locked(DWORD milliseconds, bool* cancelled) {
  unsigned epoch = g_epoch;
  bool testing = g_testing;
  std::int64_t start = testing ? g_test_monotonic_ms : w32_clock_real_monotonic_ms();
  std::int64_t deadline = milliseconds == INFINITE ? kInfinite : start + milliseconds;
  timespec real_deadline = from_ms(deadline);
  while (!*cancelled) {
    if (epoch != g_epoch) return TRUE;
    if (deadline != kInfinite && testing && g_test_monotonic_ms >= deadline) return TRUE;
    if (deadline == kInfinite || testing) {
      pthread_cond_wait(&g_wake, &g_lock);
    } else if (pthread_cond_clockwait(&g_wake, &g_lock, CLOCK_MONOTONIC, &real_deadline) ==
               ETIMEDOUT) {
      return *cancelled ? FALSE : TRUE;
    }
  }
  return FALSE;
}

}  // namespace

BOOL w32_clock_wait(DWORD milliseconds, bool* cancelled) {
  pthread_mutex_lock(&g_lock);
  ++g_waiting;
  BOOL passed = FALSE;
  pthread_cleanup_push(end_wait, nullptr);
  passed = wait_locked(milliseconds, cancelled);
  pthread_cleanup_pop(1);
  return passed;
}

void w32_clock_cancel_wait(bool* cancelled) {
  pthread_mutex_lock(&g_lock);
  *cancelled = true;
  pthread_cond_broadcast(&g_wake);
  pthread_mutex_unlock(&g_lock);
}

void Sleep(DWORD milliseconds) {
  pthread_testcancel();  // also on a test's clock, which a sleep only moves
  w32_fault_hit("Sleep");
  pthread_mutex_lock(&g_lock);
  bool testing = g_testing;
  if (testing && milliseconds != INFINITE) {
    g_test_monotonic_ms += milliseconds;
    pthread_cond_broadcast(&g_wake);
  }
  pthread_mutex_unlock(&g_lock);
  if (testing && milliseconds != INFINITE) return;
  bool never = false;
  w32_clock_wait(milliseconds, &never);
}

void GetSystemTime(SYSTEMTIME* time) {
  if (w32_fault_hit("GetSystemTime") || time == nullptr) return;
  FILETIME now = w32_filetime_from_timespec(w32_clock_wall());
  FileTimeToSystemTime(&now, time);
}

DWORD GetTickCount() {
  w32_fault_hit("GetTickCount");
  return static_cast<DWORD>(static_cast<std::uint64_t>(w32_clock_monotonic_ms()));
}

HANDLE GetCurrentProcess() { return INVALID_HANDLE_VALUE; }

BOOL GetProcessTimes(HANDLE process, FILETIME* creation, FILETIME* exit, FILETIME* kernel,
                     FILETIME* user) {
  if (w32_fault_hit("GetProcessTimes")) return FALSE;
  if (process != GetCurrentProcess()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (creation == nullptr || exit == nullptr || kernel == nullptr || user == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  pthread_mutex_lock(&g_lock);
  bool testing = g_testing;
  std::int64_t start_ms = g_test_wall_ms;
  std::int64_t user_ms = g_test_user_ms;
  std::int64_t kernel_ms = g_test_kernel_ms;
  pthread_mutex_unlock(&g_lock);
  *exit = FILETIME{0, 0};
  if (testing) {
    *creation = w32_filetime_from_timespec(from_ms(start_ms));
    *user = duration_ms(user_ms);
    *kernel = duration_ms(kernel_ms);
    return TRUE;
  }
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  *creation = w32_filetime_from_timespec(process_start());
  *user = duration(usage.ru_utime);
  *kernel = duration(usage.ru_stime);
  return TRUE;
}

void clock_testing_start(std::int64_t wall_ms) {
  pthread_mutex_lock(&g_lock);
  g_testing = true;
  g_test_wall_ms = wall_ms;
  g_test_monotonic_ms = 0;
  g_test_user_ms = 0;
  g_test_kernel_ms = 0;
  ++g_epoch;
  pthread_cond_broadcast(&g_wake);
  pthread_mutex_unlock(&g_lock);
}

void clock_testing_advance(std::int64_t milliseconds) {
  pthread_mutex_lock(&g_lock);
  if (g_testing && milliseconds > 0) g_test_monotonic_ms += milliseconds;
  pthread_cond_broadcast(&g_wake);
  pthread_mutex_unlock(&g_lock);
}

void clock_testing_set_process_times(std::int64_t user_ms, std::int64_t kernel_ms) {
  pthread_mutex_lock(&g_lock);
  g_test_user_ms = user_ms;
  g_test_kernel_ms = kernel_ms;
  pthread_mutex_unlock(&g_lock);
}

int clock_testing_waiting() {
  pthread_mutex_lock(&g_lock);
  int waiting = g_waiting;
  pthread_mutex_unlock(&g_lock);
  return waiting;
}

void clock_testing_reset() {
  pthread_mutex_lock(&g_lock);
  if (g_testing) ++g_epoch;
  g_testing = false;
  g_test_wall_ms = g_test_monotonic_ms = g_test_user_ms = g_test_kernel_ms = 0;
  pthread_cond_broadcast(&g_wake);
  pthread_mutex_unlock(&g_lock);
}

}  // namespace w32
