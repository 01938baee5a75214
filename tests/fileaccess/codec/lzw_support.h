// The codec driven whole: compressing and decompressing strings in pieces, the public
// tools run on files, and the generated corpus the tests share.
#pragma once

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "fileaccess/codec/lzw_compress.h"
#include "fileaccess/codec/lzw_uncompress.h"
#include "runtime/memory/getmem.h"
#include "tests/support/temp_dir.h"

namespace yrltest {

// The stream of data compressed in calls of the given sizes (the last repeats), with
// mode, and finished.
inline std::string lzw_compress(const std::string& data, int mode,
                                std::vector<std::size_t> pieces = {0x20000}) {
  std::string stream;
  std::vector<unsigned char> buffer;
  vek::compress_state* state = nullptr;
  std::size_t at = 0;
  std::size_t k = 0;
  auto run = [&](std::size_t n) {
    buffer.assign(2 * n + 256, 0);
    unsigned char* out = buffer.data();
    int written = vek::compress_buffer(
        &out, reinterpret_cast<const unsigned char*>(data.data()) + at, &state,
        static_cast<int>(n), mode);
    stream.append(reinterpret_cast<char*>(buffer.data()), static_cast<std::size_t>(written));
  };
  while (at < data.size()) {
    std::size_t n = pieces[k < pieces.size() ? k : pieces.size() - 1];
    ++k;
    if (n > data.size() - at) n = data.size() - at;
    run(n);
    at += n;
  }
  buffer.assign(256, 0);
  unsigned char* out = buffer.data();
  int written = vek::compress_buffer_finish(&out, &state);
  stream.append(reinterpret_cast<char*>(buffer.data()), static_cast<std::size_t>(written));
  return stream;
}

// A decoder driven through the memory-block callbacks; each call's output is drained
// (calls without input until one gives 0) before the next piece.
struct LzwDecoder {
  vek::uncompress_state* state = nullptr;
  unsigned char** table = nullptr;
  unsigned char* store = nullptr;
  unsigned char* out = nullptr;
  std::string bytes;
  long total = 0;
  bool keep = true;  // false: only count the bytes
  long largest_call = 0;

  LzwDecoder() {
    table = static_cast<unsigned char**>(
        vek::getmem(sizeof(unsigned char*) * vek::UNCOMPRESS_STR_PTR_COUNT));
  }
  ~LzwDecoder() {
    if (state) finish();
    vek::relmem(&table);
    vek::relmem(&out);
  }
  void take(int n) {
    if (n <= 0) return;
    if (n > largest_call) largest_call = n;
    total += n;
    if (keep) bytes.append(reinterpret_cast<char*>(out), static_cast<std::size_t>(n));
  }
  // The status: -1 once any call failed, else 0.
  int feed(const unsigned char* in, std::size_t n) {
    int r = vek::uncompress_buffer(in, static_cast<int>(n), &out, &state, &table, &store,
                                   vek::uncompress_buffer_size, vek::uncompress_realloc_buffer,
                                   nullptr);
    while (r > 0) {
      take(r);
      r = vek::uncompress_buffer(nullptr, 0, &out, &state, &table, &store,
                                 vek::uncompress_buffer_size, vek::uncompress_realloc_buffer,
                                 nullptr);
    }
    return r < 0 ? -1 : 0;
  }
  int finish() {
    int r = vek::uncompress_buffer_finish(&out, &state, &table, &store,
                                          vek::uncompress_buffer_size,
                                          vek::uncompress_realloc_buffer, nullptr);
    take(r);
    return r < 0 ? -1 : 0;
  }
};

// Decodes the stream fed in pieces of the given sizes (the last repeats): 0 and the
// bytes, or -1 when any call failed.
inline int lzw_decompress(const std::string& stream, std::string* bytes,
                          std::vector<std::size_t> pieces = {0x20000}) {
  LzwDecoder d;
  std::size_t at = 0;
  std::size_t k = 0;
  int status = 0;
  while (at < stream.size() && status == 0) {
    std::size_t n = pieces[k < pieces.size() ? k : pieces.size() - 1];
    ++k;
    if (n > stream.size() - at) n = stream.size() - at;
    status = d.feed(reinterpret_cast<const unsigned char*>(stream.data()) + at, n);
    at += n;
  }
  if (status == 0) status = d.finish();
  if (bytes) *bytes = d.bytes;
  return status;
}

// Runs "<command> < input > output" in a temporary directory: the exit status, and
// the output in *out.
inline int run_tool(const std::string& command, const std::string& input, std::string* out) {
  TempDir dir;
  write_file(dir.file("in"), input);
  std::string line = command + " < " + dir.file("in") + " > " + dir.file("out") + " 2>/dev/null";
  int status = std::system(line.c_str());
  if (out) *out = read_file(dir.file("out"));
  return status;
}

// Deterministic test data.
inline std::string random_bytes(std::size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (auto& c : s) c = static_cast<char>(gen() & 0xFF);
  return s;
}

inline std::string text_bytes(std::size_t n, unsigned seed) {
  static const char* const words[] = {"drawing ", "view ", "FRONT ", "TOP ", "extrude ",
                                      "datum ", "plane ", "section\n", "0.250 ", "12.7 ",
                                      "profile ", "loop\n", "hole ", "revolve ", "axis "};
  std::mt19937 gen(seed);
  std::string s;
  s.reserve(n + 16);
  while (s.size() < n) s += words[gen() % (sizeof words / sizeof *words)];
  s.resize(n);
  return s;
}

}  // namespace yrltest
