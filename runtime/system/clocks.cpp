#include "runtime/system/clocks.h"

#include <cmath>
#include <cstdlib>

#include "platform/w32/clock.h"
#include "runtime/diag/console.h"
#include "runtime/diag/runmode.h"
#include "runtime/system/dates_testing.h"

namespace vek {

namespace {

bool g_seeded = false;

// A process time (100-ns steps) as seconds and microseconds, truncated.
void split_process_time(const w32::FILETIME& time, VynTimeVal* out) {
  std::uint64_t steps =
      (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  out->tv_sec = static_cast<std::uint32_t>(steps / 10000000u);
  out->tv_usec = static_cast<std::int32_t>(steps % 10000000u / 10u);
}

// kernel: the kernel time, else the user time.
int cpu_secs(VynTimeVal* out, bool kernel) {
  if (out == nullptr) return -1;
  w32::FILETIME creation, exit, kernel_time, user_time;
  if (!w32::GetProcessTimes(w32::GetCurrentProcess(), &creation, &exit, &kernel_time,
                            &user_time))
    return -1;
  split_process_time(kernel ? kernel_time : user_time, out);
  return 0;
}

void sleep_ms(std::int64_t milliseconds) {
  if (milliseconds > 0) w32::Sleep(static_cast<w32::DWORD>(milliseconds));
}

}  // namespace

int vyn_gettimeofday(VynTimeVal* out) {
  if (out == nullptr) return -1;
  timespec now = w32::w32_clock_wall();
  out->tv_sec = static_cast<std::uint32_t>(now.tv_sec);
  out->tv_usec = static_cast<std::int32_t>(now.tv_nsec / 1000000 * 1000);
  return 0;
}

int vek_get_cpu_user_secs(VynTimeVal* out) { return cpu_secs(out, false); }
int vek_get_cpu_system_secs(VynTimeVal* out) { return cpu_secs(out, true); }
int vek_get_cpu_elapsed_secs(VynTimeVal* out) { return vyn_gettimeofday(out); }

double get_double_elapsed_time() {
  VynTimeVal now;
  vyn_gettimeofday(&now);
  return now.tv_sec + now.tv_usec * 1e-6;
}

int vek_get_cpu_elapsed_ticks() { return 13; }
int vek_get_cpu_user_ticks() { return 13; }
int vek_get_cpu_system_ticks() { return 13; }

int vyn_get_random_num() {
  VynTimeVal now;
  vyn_gettimeofday(&now);
  return static_cast<int>(now.tv_sec % 100000u) * 4096 + now.tv_usec % 100000;
}

int vyn_random_num() {
  if (!g_seeded) {
    std::srand(static_cast<unsigned>(vyn_get_random_num()));
    g_seeded = true;
  }
  // 15 bits a draw, as many as every C library's rand gives; shifted unsigned.
  std::uint32_t high = static_cast<std::uint32_t>(std::rand()) & 0x7fffu;
  std::uint32_t low = static_cast<std::uint32_t>(std::rand()) & 0x7fffu;
  return static_cast<int>(high << 16 | low);
}

int vyn_get_time_zone() { return 9999; }

int spg_delay(double tenths) {
  if (!(tenths >= 0)) return -1;
  if (tenths > 30) {
    tenths = 30;
    if (get_run_mode() != 0) ivek_printf("spg_delay: More than a 3 second delay requested.\n");
  }
  if (is_run_mode(9029) || is_run_mode(9129) || is_run_mode(9229) || is_run_mode(9329))
    return 0;
  // Milliseconds on the monotonic clock; a tenth of the time in run mode 73.
  sleep_ms(std::llround(tenths * (is_run_mode(73) ? 10 : 100)));
  return 0;
}

int spg_delay_mic(int microseconds) {
  sleep_ms(microseconds / 1000);
  return 1;
}

int spg_delay_time_val(int seconds, int microseconds) {
  if (seconds < 0 || microseconds < 0 || (seconds == 0 && microseconds == 0)) return 0;
  std::int64_t milliseconds =
      static_cast<std::int64_t>(seconds < 1000000 ? seconds : 1000000) * 1000 +
      microseconds / 1000;
  sleep_ms(milliseconds < 1 ? 1 : milliseconds);
  return 1;
}

int spg_sleep(int) { return 0; }

void clocks_testing_reset() { g_seeded = false; }

}  // namespace vek
