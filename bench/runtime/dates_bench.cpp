// The local-time and GMT conversions against the C library's: vyns_mktime on one date
// (served from its date cache after the first call) against mktime, and the arithmetic
// vyns_timegm against timegm, over the hours of one day in a zone with summer time.
#include <benchmark/benchmark.h>
#include <time.h>

#include <cstdlib>
#include <string>

#include "runtime/system/dates.h"

namespace {

struct tm summer_day(int hour) {
  struct tm t = {};
  t.tm_year = 126;
  t.tm_mon = 6;
  t.tm_mday = 1;
  t.tm_hour = hour;
  t.tm_isdst = -1;
  return t;
}

// The zone for the length of a benchmark; the process's own is back afterwards.
class Zone {
 public:
  Zone() {
    const char* old = std::getenv("TZ");
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
  }
  ~Zone() {
    if (had_) {
      setenv("TZ", old_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  bool had_ = false;
  std::string old_;
};

// Converts each hour of the day in turn.
template <typename Convert>
void over_hours(benchmark::State& state, Convert convert) {
  int hour = 0;
  for (auto _ : state) {
    struct tm t = summer_day(hour);
    benchmark::DoNotOptimize(convert(&t));
    hour = (hour + 1) % 24;
  }
}

void BM_vyns_mktime(benchmark::State& state) {
  Zone zone;
  over_hours(state, vek::vyns_mktime);
}
BENCHMARK(BM_vyns_mktime);

void BM_mktime(benchmark::State& state) {
  Zone zone;
  over_hours(state, mktime);
}
BENCHMARK(BM_mktime);

void BM_vyns_timegm(benchmark::State& state) { over_hours(state, vek::vyns_timegm); }
BENCHMARK(BM_vyns_timegm);

void BM_timegm(benchmark::State& state) { over_hours(state, timegm); }
BENCHMARK(BM_timegm);

}  // namespace
