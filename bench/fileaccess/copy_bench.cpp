// Whole-file copies: pfa_copy_file between two local names (the system's copy) and
// copy_pfa_contents from a local file to a share, each beside a plain read/write loop
// of the block size copy_pfa_contents picks for the file (its size, at most 4 MB).
// The file is 16 MB by default; YRL_COPY_BENCH_MB=256 gives the full-size run.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fileaccess/core/pfa.h"
#include "fileaccess/core/pfafile.h"
#include "platform/w32/path.h"
#include "platform/w32/winpath.h"

namespace {

std::size_t input_bytes() {
  const char* mb = std::getenv("YRL_COPY_BENCH_MB");
  long value = mb ? std::atol(mb) : 16;
  return static_cast<std::size_t>(value > 0 ? value : 16) << 20;
}

constexpr std::size_t BLOCK = 0x400000;

std::string folder() {
  static std::string path = [] {
    char name[] = "/tmp/yrl-copy-bench-XXXXXX";
    if (!mkdtemp(name)) std::abort();
    std::string made = name;
    if (::mkdir((made + "/srv").c_str(), 0755) != 0 ||
        ::mkdir((made + "/srv/share").c_str(), 0755) != 0)
      std::abort();
    if (!w32::w32_set_unc_root(made.c_str())) std::abort();
    std::vector<char> block(BLOCK);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 131 % 251);
    std::FILE* f = std::fopen((made + "/input.bin").c_str(), "wb");
    if (!f) std::abort();
    for (std::size_t done = 0; done < input_bytes(); done += block.size())
      if (std::fwrite(block.data(), 1, block.size(), f) != block.size()) std::abort();
    std::fclose(f);
    return made;
  }();
  return path;
}

std::string windows(const std::string& posix) {
  char out[4096];
  if (!w32::w32_windows_path_from_posix(posix.c_str(), out, sizeof out)) std::abort();
  return out;
}

void finish(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(input_bytes()));
}

void BM_PfaCopyFileLocal(benchmark::State& state) {
  std::string dir = folder();
  vek::VynFile* from = vek::pfa_alloc_file(windows(dir + "/input.bin").c_str());
  vek::VynFile* to = vek::pfa_alloc_file(windows(dir + "/copy.bin").c_str());
  for (auto _ : state)
    if (vek::pfa_copy_file(from, 0, to, 0) != 0) state.SkipWithError("copy failed");
  vek::pfa_free_vyn_file(&from);
  vek::pfa_free_vyn_file(&to);
  finish(state);
}

void BM_CopyPfaContentsToShare(benchmark::State& state) {
  std::string dir = folder();
  vek::VynFile* from = vek::pfa_alloc_file(windows(dir + "/input.bin").c_str());
  vek::VynFile* to = vek::pfa_alloc_file("\\\\srv\\share\\copy.bin");
  for (auto _ : state) {
    if (vek::pfa_fopen(from, vek::PFA_RULE_AS_NAMED, "rb") != 0 ||
        vek::pfa_fopen(to, vek::PFA_RULE_AS_NAMED, "wb") != 0) {
      state.SkipWithError("open failed");
      break;
    }
    int result = vek::copy_pfa_contents(from, to, nullptr);
    if (vek::pfa_close(to) != 0 || result != 0) state.SkipWithError("copy failed");
  }
  vek::pfa_free_vyn_file(&from);
  vek::pfa_free_vyn_file(&to);
  finish(state);
}

// The reference: read and write of the same block size on POSIX descriptors.
void BM_PlainReadWriteLoop(benchmark::State& state) {
  std::string dir = folder();
  std::vector<char> buffer(BLOCK);
  for (auto _ : state) {
    int in = ::open((dir + "/input.bin").c_str(), O_RDONLY);
    int out = ::open((dir + "/plain.bin").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ssize_t n;
    while ((n = ::read(in, buffer.data(), buffer.size())) > 0)
      if (::write(out, buffer.data(), static_cast<std::size_t>(n)) != n) state.SkipWithError("write");
    ::close(in);
    if (::close(out) != 0) state.SkipWithError("close");
  }
  finish(state);
}

BENCHMARK(BM_PfaCopyFileLocal)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CopyPfaContentsToShare)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainReadWriteLoop)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
