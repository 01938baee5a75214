// Box and chain selection in the selection dialog over drawings of the stand-in host:
// the whole pick as the user makes it, host calls (visits, highlights, selections)
// included. The box takes every entity; the chain runs through every entity.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "app/select/select.h"
#include "host/store/drawings.h"
#include "host/store/models.h"
#include "host/plugin/plugin_session.h"
#include "host/script/script_text.h"
#include "tests/support/runtime_test.h"
#include "tests/toolkit/toolkit_test.h"
#include "toolkit/api/app_api.h"

namespace {

// The plug-in started in the stand-in host with a new drawing of n connected lines
// along a zig-zag.
struct HostDrawing {
  std::vector<win_export_entry> table;
  VynMdl drawing = nullptr;

  explicit HostDrawing(int n) {
    yrltest::reset_runtime_state();
    yrltest::start_in_english();
    yrltest::reset_toolkit_state();
    table = yrlhost::host_table_build();
    std::string text_dir = yrlhost::session_defaults().text_dir;
    yrltest::StartArgs args;
    args.text_dir = text_dir.c_str();
    VynWchar error_text[64] = {};
    yrltest::start_plugin(args, table, error_text);
    std::string error;
    drawing = yrlhost::host_model_create(yrlhost::model_type_drawing, "BENCH", error);
    for (int i = 0; i < n; ++i) {
      const double a[3] = {double(i), (i % 2) * 3.0, 0}, b[3] = {double(i + 1), ((i + 1) % 2) * 3.0, 0};
      yrlhost::DraftEntity e;
      e.curve = yrlhost::draft_line(a, b);
      yrlhost::host_entity_add(drawing, e, error);
    }
  }
  ~HostDrawing() {
    yrltest::reset_toolkit_state();
    yrltest::reset_runtime_state();
  }
};

void user(const std::string& line) {
  std::string error;
  yrlhost::script_push_text(line, error);
}

int select_once() {
  VynArray sels = nullptr;
  int count = 0;
  YrlSelect("draft_ent", 0, nullptr, nullptr, nullptr, 0, &sels, &count, 0);
  for (int i = 0; sels && i < count; ++i) VynSelectionFree(&static_cast<VynSelection*>(sels)[i]);
  if (sels) VynArrayFree(&sels);
  return count;
}

void BM_HostBoxSelect(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  HostDrawing host(n);
  for (auto _ : state) {
    user("radio yrlselobj RadioSelType inside");
    user("press yrlselobj Add");
    user("mouse 1 -1 -1 0");
    user("box 0 0 0 " + std::to_string(n + 2) + " 4 0");
    user("press yrlselobj Close");
    if (select_once() != n) state.SkipWithError("box missed entities");
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_HostBoxSelect)->Arg(1000)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_HostChainSelect(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  HostDrawing host(n);
  for (auto _ : state) {
    user("radio yrlselobj RadioSelType chain");
    user("press yrlselobj Add");
    user("pick 77 " + std::to_string(n / 2));
    user("press yrlselobj Close");
    if (select_once() != n) state.SkipWithError("chain broken");
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_HostChainSelect)->Arg(1000)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace
