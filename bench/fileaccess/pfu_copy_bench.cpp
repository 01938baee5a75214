// Copying a file with pfu_copy beside a plain read/write loop of the same 512-byte
// blocks on POSIX descriptors.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fileaccess/backends/pfu.h"

namespace {

constexpr std::size_t kFileBytes = 64u << 20;  // 64 MB: a few seconds a run here
constexpr std::size_t kBlock = 512;

std::string g_source;
void remove_source() { std::remove(g_source.c_str()); }

const std::string& source_path() {
  static const std::string path = [] {
    char name[] = "/tmp/yrl-pfu-bench-XXXXXX";
    int fd = ::mkstemp(name);
    if (fd < 0) std::abort();
    std::vector<char> chunk(1 << 20);
    for (std::size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<char>(i * 31);
    for (std::size_t done = 0; done < kFileBytes; done += chunk.size())
      if (::write(fd, chunk.data(), chunk.size()) != static_cast<ssize_t>(chunk.size())) std::abort();
    ::close(fd);
    g_source = name;
    std::atexit(remove_source);
    return std::string(name);
  }();
  return path;
}

void BM_PfuCopy(benchmark::State& state) {
  const std::string target = source_path() + ".copy";
  for (auto _ : state) {
    if (vek::pfu_copy(source_path().c_str(), target.c_str()) != vek::PFU_SUCCESS)
      state.SkipWithError("pfu_copy failed");
  }
  std::remove(target.c_str());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kFileBytes));
}

void BM_PlainReadWriteLoop(benchmark::State& state) {
  const std::string target = source_path() + ".plain";
  char block[kBlock];
  for (auto _ : state) {
    int in = ::open(source_path().c_str(), O_RDONLY);
    int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    for (ssize_t n; (n = ::read(in, block, sizeof block)) > 0;)
      if (::write(out, block, static_cast<std::size_t>(n)) != n) state.SkipWithError("write failed");
    ::close(in);
    ::close(out);
  }
  std::remove(target.c_str());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kFileBytes));
}

BENCHMARK(BM_PfuCopy)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PlainReadWriteLoop)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
