// vyn_sprintf against snprintf on the same mixed formats.
//
// The wide argument of vyn_sprintf ("%ws") is given to snprintf as its narrow form,
// converted once beforehand, so snprintf does no conversion. Values vary over a small
// table so that no call formats the same numbers twice in a row.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "runtime/text/lang.h"
#include "runtime/text/vsprintf.h"

namespace {

struct Row {
  int number;
  const char* text;
  double value;
  const char16_t* wide;
  const char* wide_as_narrow;
};

const Row kRows[] = {
    {42, "alpha", 3.25, u"first", "first"},
    {-7, "beta gamma", 1234.5678, u"second part", "second part"},
    {1000000, "", 0.001, u"x", "x"},
    {-2147483647, "a longer narrow text", -98765.4321, u"wide text of some length",
     "wide text of some length"},
};
constexpr int kRowCount = sizeof kRows / sizeof kRows[0];

// Runs format(row, dst) over the rows, one row per iteration.
template <typename Format>
void run_rows(benchmark::State& state, Format format) {
  vek::set_language(vek::LANG_ENGLISH);
  char dst[256];
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(format(kRows[i++ & (kRowCount - 1)], dst));
    benchmark::ClobberMemory();
  }
}

void BM_VynSprintfMixed(benchmark::State& state) {
  run_rows(state, [](const Row& r, char* dst) {
    return vek::vyn_sprintf(dst, "%d %s %f %ws", r.number, r.text, r.value, r.wide);
  });
}
BENCHMARK(BM_VynSprintfMixed);

void BM_SnprintfMixed(benchmark::State& state) {
  run_rows(state, [](const Row& r, char* dst) {
    return std::snprintf(dst, 256, "%d %s %f %s", r.number, r.text, r.value, r.wide_as_narrow);
  });
}
BENCHMARK(BM_SnprintfMixed);

// The same with widths and precisions, and text around the conversions.
void BM_VynSprintfDecorated(benchmark::State& state) {
  run_rows(state, [](const Row& r, char* dst) {
    return vek::vyn_sprintf(dst, "id=%-8d name=[%12s] v=%10.3e w=%.5ws;", r.number, r.text,
                            r.value, r.wide);
  });
}
BENCHMARK(BM_VynSprintfDecorated);

void BM_SnprintfDecorated(benchmark::State& state) {
  run_rows(state, [](const Row& r, char* dst) {
    return std::snprintf(dst, 256, "id=%-8d name=[%12s] v=%10.3e w=%.5s;", r.number, r.text,
                         r.value, r.wide_as_narrow);
  });
}
BENCHMARK(BM_SnprintfDecorated);

// Into the internal buffer, as the reports do.
void BM_VynSprintfInternal(benchmark::State& state) {
  run_rows(state, [](const Row& r, char*) {
    return vek::vyn_sprintf(nullptr, "%s:  %d %s", "routine", r.number, r.text);
  });
}
BENCHMARK(BM_VynSprintfInternal);

void BM_SnprintfInternal(benchmark::State& state) {
  run_rows(state, [](const Row& r, char* dst) {
    return std::snprintf(dst, 256, "%s:  %d %s", "routine", r.number, r.text);
  });
}
BENCHMARK(BM_SnprintfInternal);

}  // namespace
