// Box and chain selection over drawings of n entities: the box test of every entity's
// outline (what a box pick asks of each entity) and the growth of one chain through all
// of them, its links in shuffled order, through the indexed ends.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

#include "app/select/chain.h"
#include "app/views/outline.h"
#include "toolkit/local/geomdata.h"

namespace {

// n curves: lines and quarter arcs scattered over a 1000 by 1000 sheet.
std::vector<VynCurvedata> drawing_curves(int n) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> where(0.0, 1000.0);
  std::vector<VynCurvedata> curves(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    VynCurvedata& c = curves[static_cast<std::size_t>(i)];
    double x = where(random), y = where(random);
    if (i % 2 == 0) {
      const double a[3] = {x, y, 0}, b[3] = {x + 5, y + 3, 0};
      VynLinedataInit(a, b, &c);
    } else {
      const double v1[3] = {1, 0, 0}, v2[3] = {0, 1, 0}, o[3] = {x, y, 0};
      VynArcdataInit(v1, v2, o, 0.3, 1.5707963267948966, 4.0, &c);
    }
  }
  return curves;
}

void BM_BoxSelectTests(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<VynCurvedata> curves = drawing_curves(n);
  const ViewOutline box = {{200, 200, 0}, {700, 650, 0}};
  for (auto _ : state) {
    int inside = 0, crossing = 0;
    for (const VynCurvedata& c : curves) {
      inside += IsEntityInBox(&c, &box);
      crossing += IsEntityCrossBox(&c, &box);
    }
    benchmark::DoNotOptimize(inside);
    benchmark::DoNotOptimize(crossing);
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_BoxSelectTests)->RangeMultiplier(10)->Range(1000, 100000)->Complexity(benchmark::oN);

// One polyline of n links in a zig-zag, offered in shuffled order, picked at its middle.
void BM_ChainSelect(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<YrlChainEnds> links(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    YrlChainEnds& l = links[static_cast<std::size_t>(i)];
    l.first[0] = i;
    l.first[1] = (i % 2) * 3.0;
    l.first[2] = 0;
    l.second[0] = i + 1;
    l.second[1] = ((i + 1) % 2) * 3.0;
    l.second[2] = 0;
  }
  std::mt19937 random(11);
  std::shuffle(links.begin(), links.end(), random);
  const YrlChainEnds picked = links.back();
  links.pop_back();
  std::vector<int> joined(links.size());
  for (auto _ : state) {
    double start[3], end[3];
    std::copy(picked.first, picked.first + 3, start);
    std::copy(picked.second, picked.second + 3, end);
    int count = YrlChainGrow(links.data(), static_cast<int>(links.size()), start, end, 0.01, joined.data());
    if (count != n - 1) state.SkipWithError("chain broken");
    benchmark::DoNotOptimize(count);
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_ChainSelect)->RangeMultiplier(10)->Range(1000, 100000)->Complexity(benchmark::oNLogN);

}  // namespace
