// Listing a directory of 10,000 files: vyn_scandir (through the Win32 stand-in's search,
// into the entry arena, unsorted and sorted by name) against the plain readdir loop
// that collects the same names.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "fileaccess/names/fnstring.h"
#include "runtime/memory/xar.h"

namespace {

constexpr int kFiles = 10000;

// The directory, made once for the program and removed at its end.
struct Tree {
  std::string path;
  Tree() {
    char pattern[] = "/tmp/yrl-scandir-bench-XXXXXX";
    path = mkdtemp(pattern);
    for (int i = 0; i < kFiles; ++i) {
      std::string name = path + "/model_" + std::to_string(i) + ".prt." + std::to_string(i % 7 + 1);
      std::FILE* f = std::fopen(name.c_str(), "w");
      if (f) std::fclose(f);
    }
  }
  ~Tree() { std::filesystem::remove_all(path); }
};
const Tree& tree() {
  static Tree t;
  return t;
}

int by_name(const void* a, const void* b) {
  return std::strcmp(vek::vyn_dirent_name(static_cast<const vek::VynDirent*>(a)),
                     vek::vyn_dirent_name(static_cast<const vek::VynDirent*>(b)));
}

void run_scandir(benchmark::State& state, vek::VynDirCompare compare) {
  std::u16string dir(tree().path.begin(), tree().path.end());
  vek::VynDirent** list = nullptr;
  for (auto _ : state) {
    int n = vek::vyn_scandir(dir.c_str(), &list, nullptr, compare, nullptr, nullptr);
    if (n != kFiles) state.SkipWithError("wrong count");
    benchmark::DoNotOptimize(list);
  }
  vek::xar_free(&list);
  vek::free_vyn_dirent();
  state.SetItemsProcessed(state.iterations() * kFiles);
}

void BM_vyn_scandir(benchmark::State& state) { run_scandir(state, nullptr); }
BENCHMARK(BM_vyn_scandir)->Unit(benchmark::kMillisecond);

void BM_vyn_scandir_sorted(benchmark::State& state) { run_scandir(state, by_name); }
BENCHMARK(BM_vyn_scandir_sorted)->Unit(benchmark::kMillisecond);

void BM_readdir_loop(benchmark::State& state) {
  const std::string& path = tree().path;
  for (auto _ : state) {
    std::vector<std::string> names;
    DIR* d = opendir(path.c_str());
    while (dirent* e = readdir(d))
      if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
        names.emplace_back(e->d_name);
    closedir(d);
    if (names.size() != kFiles) state.SkipWithError("wrong count");
    benchmark::DoNotOptimize(names.data());
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_readdir_loop)->Unit(benchmark::kMillisecond);

}  // namespace
