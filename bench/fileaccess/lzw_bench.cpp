// The .Z codec file to file against the public tools, on one generated input of 64 MB
// (half text, half binary records): our compressing copy against `compress`, our
// decompressing copy against `gzip -dc` on the same stream.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "fileaccess/codec/lzw_compress.h"
#include "fileaccess/codec/lzw_uncompress.h"
#include "fileaccess/core/pfa.h"

namespace {

constexpr std::size_t INPUT_BYTES = 64u << 20;

std::string folder() {
  static std::string path = [] {
    char name[] = "/tmp/yrl-lzw-bench-XXXXXX";
    if (!mkdtemp(name)) std::abort();
    return std::string(name);
  }();
  return path;
}

std::string input_path() { return folder() + "/input.bin"; }
std::string stream_path() { return folder() + "/input.bin.Z"; }

void write_all(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) std::abort();
  std::fclose(f);
}

long file_size(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return -1;
  std::fseek(f, 0, SEEK_END);
  long size = std::ftell(f);
  std::fclose(f);
  return size;
}

// Text of words and numbers, then records of ints and doubles with some noise.
void make_input() {
  static bool made = false;
  if (made) return;
  made = true;
  static const char* const words[] = {"drawing ", "view ", "FRONT ", "TOP ", "extrude ",
                                      "datum ", "plane ", "section\n", "profile ", "loop\n",
                                      "hole ", "revolve ", "axis ", "dimension ", "note "};
  std::mt19937 gen(42);
  std::string data;
  data.reserve(INPUT_BYTES);
  char number[32];
  while (data.size() < INPUT_BYTES / 2) {
    data += words[gen() % 15];
    if (gen() % 4 == 0) {
      std::snprintf(number, sizeof number, "%.3f ", (gen() % 100000) / 1000.0);
      data += number;
    }
  }
  data.resize(INPUT_BYTES / 2);
  std::uint32_t id = 0;
  double x = 0;
  while (data.size() < INPUT_BYTES) {
    id += 1 + gen() % 3;
    x += (gen() % 1000) / 997.0;
    char record[16];
    std::memcpy(record, &id, 4);
    std::uint32_t flags = gen() % 8;
    std::memcpy(record + 4, &flags, 4);
    std::memcpy(record + 8, &x, 8);
    data.append(record, sizeof record);
  }
  data.resize(INPUT_BYTES);
  write_all(input_path(), data);
}

void run_shell(const std::string& command) {
  if (std::system(command.c_str()) != 0) std::abort();
}

void BM_OurCompressingCopy(benchmark::State& state) {
  make_input();
  for (auto _ : state) {
    vek::VynFile* in = vek::pfa_fopen_file_vers(input_path().c_str(), "rb", 0);
    vek::VynFile* out = vek::pfa_fopen_file_vers(stream_path().c_str(), "wb", 0);
    if (!in || !out || vek::pfa_compress_and_copy(in, out) != 0) std::abort();
    vek::pfa_dispose(&out);
    vek::pfa_dispose(&in);
  }
  state.SetBytesProcessed(static_cast<long>(state.iterations()) * static_cast<long>(INPUT_BYTES));
  state.counters["ratio"] = static_cast<double>(INPUT_BYTES) / static_cast<double>(file_size(stream_path()));
}

void BM_CompressTool(benchmark::State& state) {
  make_input();
  for (auto _ : state) run_shell("compress -c -f < " + input_path() + " > " + folder() + "/tool.Z");
  state.SetBytesProcessed(static_cast<long>(state.iterations()) * static_cast<long>(INPUT_BYTES));
  state.counters["ratio"] = static_cast<double>(INPUT_BYTES) / static_cast<double>(file_size(folder() + "/tool.Z"));
}

// Both decoders read our stream, made here when the compressing run has not made it.
void make_stream() {
  make_input();
  if (file_size(stream_path()) > 0) return;
  vek::VynFile* in = vek::pfa_fopen_file_vers(input_path().c_str(), "rb", 0);
  vek::VynFile* out = vek::pfa_fopen_file_vers(stream_path().c_str(), "wb", 0);
  if (!in || !out || vek::pfa_compress_and_copy(in, out) != 0) std::abort();
  vek::pfa_dispose(&out);
  vek::pfa_dispose(&in);
}

void BM_OurDecompressingCopy(benchmark::State& state) {
  make_stream();
  long length = file_size(stream_path());
  std::string back = folder() + "/back.bin";
  for (auto _ : state) {
    vek::VynFile* in = vek::pfa_fopen_file_vers(stream_path().c_str(), "rb", 0);
    vek::VynFile* out = vek::pfa_fopen_file_vers(back.c_str(), "wb", 0);
    if (!in || !out || vek::pfa_uncompress_and_copy(in, out, length) != 0) std::abort();
    vek::pfa_dispose(&out);
    vek::pfa_dispose(&in);
  }
  if (file_size(back) != static_cast<long>(INPUT_BYTES)) std::abort();
  state.SetBytesProcessed(static_cast<long>(state.iterations()) * static_cast<long>(INPUT_BYTES));
}

void BM_GzipDecompressTool(benchmark::State& state) {
  make_stream();
  for (auto _ : state) run_shell("gzip -dc < " + stream_path() + " > " + folder() + "/gzip.bin");
  state.SetBytesProcessed(static_cast<long>(state.iterations()) * static_cast<long>(INPUT_BYTES));
}

BENCHMARK(BM_OurCompressingCopy)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_CompressTool)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_OurDecompressingCopy)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_GzipDecompressTool)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
