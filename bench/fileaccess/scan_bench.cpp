// Scanning a directory of 10,000 files and resolving the highest version in it, cold
// (the directory cache dropped first) and warm (a good cached listing, checked by one
// directory-time read), beside a plain readdir loop and a readdir + stat loop.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "fileaccess/core/pfa.h"
#include "fileaccess/core/pfadircache.h"
#include "fileaccess/core/pfaname.h"
#include "fileaccess/names/pfascan.h"
#include "fileaccess/names/pfavers.h"

namespace {

constexpr int kFiles = 10000;

// The tree, made once: 10,000 files, part.prt.1 to part.prt.100 among them, the
// directory's time set back so that the cache may keep it.
const std::string& tree() {
  static std::string path;
  if (path.empty()) {
    char pattern[] = "/tmp/yrl-scan-bench-XXXXXX";
    path = mkdtemp(pattern);
    for (int i = 0; i < kFiles; ++i) {
      std::string name = i < 100 ? "part.prt." + std::to_string(i + 1) : "f" + std::to_string(i) + ".txt";
      if (FILE* f = std::fopen((path + "/" + name).c_str(), "w")) std::fclose(f);
    }
    struct timeval back[2];
    gettimeofday(&back[0], nullptr);
    back[0].tv_sec -= 60;
    back[1] = back[0];
    utimes(path.c_str(), back);
  }
  return path;
}

std::string location() {
  vek::VynFile* dir = vek::pfa_alloc_dir(tree().c_str());
  char name[vek::PFA_NAME_SIZE] = "";
  vek::pfa_get_location(dir, name, nullptr);
  vek::pfa_free_vyn_file(&dir);
  return name;
}

void scan(benchmark::State& state, bool cold) {
  vek::VynFile* dir = vek::pfa_alloc_dir(tree().c_str());
  const std::string name = location();
  for (auto _ : state) {
    if (cold) vek::pfa_full_dir_name_update_cache(name.c_str());
    int count = 0;
    vek::VynFile** list = nullptr;
    vek::pfa_scandir(dir, vek::PFA_SCAN_FILES, nullptr, &count, &list);
    if (count != kFiles) state.SkipWithError("wrong count");
    benchmark::DoNotOptimize(list);
  }
  vek::pfa_free_vyn_file(&dir);
}

void highest_version(benchmark::State& state, bool cold) {
  vek::VynFile* file = vek::pfa_alloc_file((tree() + "/part.prt").c_str());
  const std::string name = location();
  for (auto _ : state) {
    if (cold) vek::pfa_full_dir_name_update_cache(name.c_str());
    int version = 0;
    vek::pfa_get_file_vers(file, 1, &version);
    if (version != 100) state.SkipWithError("wrong version");
  }
  vek::pfa_free_vyn_file(&file);
}

void BM_ScandirCold(benchmark::State& state) { scan(state, true); }
void BM_ScandirWarm(benchmark::State& state) { scan(state, false); }
void BM_HighestVersionCold(benchmark::State& state) { highest_version(state, true); }
void BM_HighestVersionWarm(benchmark::State& state) { highest_version(state, false); }

void BM_Readdir(benchmark::State& state) {
  for (auto _ : state) {
    int count = 0;
    DIR* d = opendir(tree().c_str());
    while (dirent* e = readdir(d)) count += e->d_name[0] != '.';
    closedir(d);
    benchmark::DoNotOptimize(count);
  }
}

void BM_ReaddirStat(benchmark::State& state) {
  for (auto _ : state) {
    long long bytes = 0;
    DIR* d = opendir(tree().c_str());
    while (dirent* e = readdir(d)) {
      struct stat st;
      if (e->d_name[0] != '.' && stat((tree() + "/" + e->d_name).c_str(), &st) == 0) bytes += st.st_size;
    }
    closedir(d);
    benchmark::DoNotOptimize(bytes);
  }
}

BENCHMARK(BM_ScandirCold);
BENCHMARK(BM_ScandirWarm);
BENCHMARK(BM_HighestVersionCold);
BENCHMARK(BM_HighestVersionWarm);
BENCHMARK(BM_Readdir);
BENCHMARK(BM_ReaddirStat);

}  // namespace
