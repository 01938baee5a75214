// A bound forwarding call against a direct call of the same host function, and the
// first call's lookup (get_vyn_funcptr_by_name) over host tables of growing size.
//
// The direct call goes through a function pointer that the compiler cannot see
// through, as the forwarding function's call through its slot does; the difference
// is the forwarding function's own call and its test of the slot.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "toolkit/api/startup_api.h"
#include "toolkit/binding/binding.h"
#include "toolkit/binding/binding_testing.h"
#include "toolkit/startup/startup.h"
#include "toolkit/startup/startup_testing.h"

namespace {

__attribute__((noinline)) VynError host_startup_mode(int context) { return context & 1; }

void BM_DirectHostCall(benchmark::State& state) {
  VynError (*function)(int) = host_startup_mode;
  benchmark::DoNotOptimize(function);
  int context = 7;
  for (auto _ : state) {
    benchmark::DoNotOptimize(context);
    benchmark::DoNotOptimize(function(context));
  }
}
BENCHMARK(BM_DirectHostCall);

void BM_BoundForwardingCall(benchmark::State& state) {
  startup_testing_reset();
  binding_testing_reset();
  win_export_entry row = {reinterpret_cast<VynHostFunction>(&host_startup_mode),
                          "vyn_get_startup_mode_v"};
  win_export_functions = &row;
  win_export_func_ct = 1;
  my_id_num = 7;
  vyn_get_startup_mode();  // binds the slot
  for (auto _ : state) benchmark::DoNotOptimize(vyn_get_startup_mode());
  startup_testing_reset();
  binding_testing_reset();
}
BENCHMARK(BM_BoundForwardingCall);

// A host table of n names like the toolkit's keys, sorted by strcmp.
struct HostTable {
  std::vector<std::string> names;
  std::vector<win_export_entry> rows;
};

HostTable make_table(int n) {
  HostTable t;
  for (int i = 0; i < n; ++i) t.names.push_back("VynFamily" + std::to_string(i * 2654435761u % 1000003u) + "Action_v");
  std::sort(t.names.begin(), t.names.end());
  t.names.erase(std::unique(t.names.begin(), t.names.end()), t.names.end());
  for (const std::string& name : t.names) {
    t.rows.push_back({reinterpret_cast<VynHostFunction>(&host_startup_mode), name.c_str()});
  }
  return t;
}

void BM_FirstCallLookup(benchmark::State& state) {
  HostTable t = make_table(static_cast<int>(state.range(0)));
  win_export_functions = t.rows.data();
  win_export_func_ct = static_cast<int>(t.rows.size());
  // Names of the table in a scattered order, each looked up in turn.
  std::vector<const char*> keys;
  for (size_t i = 0; i < t.names.size(); ++i) keys.push_back(t.names[i * 7919 % t.names.size()].c_str());
  size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(get_vyn_funcptr_by_name(keys[next]));
    if (++next == keys.size()) next = 0;
  }
  win_export_functions = nullptr;
  win_export_func_ct = 0;
}
BENCHMARK(BM_FirstCallLookup)->Arg(16)->Arg(256)->Arg(4096)->Arg(65536);

}  // namespace
