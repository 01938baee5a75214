// Sketch validation of large profiles: a closed polygon of n lines, and a grid of n/4
// small rectangles (many separate loops), validated as an extrude.
#include <benchmark/benchmark.h>

#include <vector>

#include "app/sketch/sketchval.h"
#include "tests/app/sketch/profile_fixture.h"

namespace {

void validate(benchmark::State& state, const std::vector<yrltest::Shape>& shapes) {
  yrltest::Profile profile(shapes);
  for (auto _ : state) {
    YrlSketchValidate(&profile.info, 0, nullptr, 0);
    benchmark::DoNotOptimize(profile.info.valid);
  }
  state.counters["valid"] = profile.info.valid;
  state.counters["loops"] = profile.info.loop_count;
}

void BM_SketchValidatePolygon(benchmark::State& state) {
  validate(state, yrltest::polygon(static_cast<int>(state.range(0)), 0, 0, 1000));
}
BENCHMARK(BM_SketchValidatePolygon)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_SketchValidateRectangles(benchmark::State& state) {
  std::vector<yrltest::Shape> shapes;
  int side = 1;
  while (side * side * 4 < state.range(0)) ++side;
  for (int k = 0; static_cast<int>(shapes.size()) < state.range(0); ++k) {
    double x = (k % side) * 10.0, y = (k / side) * 10.0;
    for (const yrltest::Shape& s : yrltest::rectangle(x, y, x + 5, y + 5)) shapes.push_back(s);
  }
  validate(state, shapes);
}
BENCHMARK(BM_SketchValidateRectangles)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
