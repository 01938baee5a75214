// The .Z codec file to file against the public tools, side by side on real files of this
// machine: our compressing copy against `compress`, our decompressing copy against
// `gzip -dc` on our stream. Two inputs, made once per run from files that a Debian
// machine carries:
//   text  - the licences of /usr/share/common-licenses, then uncompressed manual pages
//           of /usr/share/man/man1 to man8, cut at 5 MiB;
//   mixed - 100 MiB of manual pages, headers, programs, shared libraries and already
//           compressed documents, interleaved by share (see make_mixed).
// Before timing, our stream of each input is checked to decode with `compress -d` and
// `gzip -d` back to the input. Run with --benchmark_repetitions and
// --benchmark_enable_random_interleaving=true to compare the pairs under the same load.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fileaccess/codec/lzw_compress.h"
#include "fileaccess/codec/lzw_uncompress.h"
#include "fileaccess/core/pfa.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t TEXT_BYTES = 5u << 20;
constexpr std::size_t MIXED_BYTES = 100u << 20;
// No single file takes more of the mixed input than this.
constexpr std::size_t MIXED_FILE_CAP = 4u << 20;
constexpr std::size_t ROUND_BYTES = 1u << 20;

// The run's files (inputs, streams, outputs), removed when the program ends. The name
// is plain data, so it is still there when the removal runs.
char folder_name[] = "/tmp/yrl-lzw-bench-XXXXXX";

std::string folder() {
  static bool made = false;
  if (!made) {
    if (!mkdtemp(folder_name)) std::abort();
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(folder_name, ec);
    });
    made = true;
  }
  return folder_name;
}

void fail(const std::string& why) {
  std::fprintf(stderr, "lzw_bench: %s\n", why.c_str());
  std::abort();
}

std::string quoted(const std::string& path) {
  std::string q = "'";
  for (char c : path) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

void run_shell(const std::string& command) {
  if (std::system(command.c_str()) != 0) fail("failed: " + command);
}

std::string read_whole(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void write_whole(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!f) fail("cannot write " + path);
}

// A manual page's text: gzip -dc of the stored page.
std::string gunzip(const std::string& path) {
  std::string bytes;
  std::FILE* p = popen(("gzip -dc -- " + quoted(path) + " 2>/dev/null").c_str(), "r");
  if (!p) return bytes;
  char chunk[65536];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, p)) > 0) bytes.append(chunk, n);
  pclose(p);
  return bytes;
}

// The regular files (not links) under dir whose name passes keep, in name order.
template <typename Keep>
std::vector<std::string> files_under(const std::string& dir, bool recursive, Keep keep) {
  std::vector<std::string> paths;
  std::error_code ec;
  auto take = [&](const fs::directory_entry& e) {
    if (e.is_symlink(ec) || !e.is_regular_file(ec)) return;
    std::string path = e.path().string();
    if (keep(path)) paths.push_back(path);
  };
  if (recursive) {
    auto options = fs::directory_options::skip_permission_denied;
    for (auto it = fs::recursive_directory_iterator(dir, options, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
      take(*it);
  } else {
    for (auto it = fs::directory_iterator(dir, ec); !ec && it != fs::directory_iterator();
         it.increment(ec))
      take(*it);
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

bool gzip_file(const std::string& path) {
  return path.size() > 3 && path.compare(path.size() - 3, 3, ".gz") == 0;
}

std::vector<std::string> manual_pages() {
  std::vector<std::string> pages;
  for (char section = '1'; section <= '8'; ++section) {
    auto more = files_under(std::string("/usr/share/man/man") + section, false, gzip_file);
    pages.insert(pages.end(), more.begin(), more.end());
  }
  return pages;
}

// One kind of real file for the mixed input: its files in order, how each is read, and
// its share in percent of every round.
struct Source {
  const char* kind;
  std::vector<std::string> paths;
  bool unzip;
  std::size_t share;
  std::size_t next = 0;
  std::size_t given = 0;
};

// Rounds of ROUND_BYTES: each source adds whole files (cut at MIXED_FILE_CAP) until it has
// given its share of all rounds so far, so the kinds stay interleaved to the end.
std::string make_mixed() {
  auto any = [](const std::string&) { return true; };
  std::vector<Source> sources;
  sources.push_back({"manual pages", manual_pages(), true, 25});
  sources.push_back({"headers of /usr/include", files_under("/usr/include", true, any), false, 20});
  sources.push_back({"programs of /usr/bin", files_under("/usr/bin", false, any), false, 20});
  auto shared_object = [](const std::string& p) { return p.find(".so") != std::string::npos; };
  sources.push_back({"shared libraries",
                     files_under("/usr/lib/x86_64-linux-gnu", false, shared_object), false, 25});
  sources.push_back({"gzip files of /usr/share/doc", files_under("/usr/share/doc", true, gzip_file),
                     false, 10});
  std::string data;
  data.reserve(MIXED_BYTES + MIXED_FILE_CAP * sources.size());
  for (std::size_t round = 1; data.size() < MIXED_BYTES; ++round) {
    bool added = false;
    for (Source& s : sources) {
      while (s.given < round * s.share * ROUND_BYTES / 100 && s.next < s.paths.size()) {
        const std::string& path = s.paths[s.next++];
        std::string bytes = s.unzip ? gunzip(path) : read_whole(path);
        if (bytes.size() > MIXED_FILE_CAP) bytes.resize(MIXED_FILE_CAP);
        s.given += bytes.size();
        data += bytes;
        added = true;
      }
    }
    if (!added) fail("not enough files for the mixed input");
  }
  data.resize(MIXED_BYTES);
  std::fprintf(stderr, "mixed input, %zu bytes:\n", data.size());
  for (const Source& s : sources)
    std::fprintf(stderr, "  %zu %s, %zu bytes\n", s.next, s.kind, s.given);
  return data;
}

std::string make_text() {
  std::string data;
  auto licences = files_under("/usr/share/common-licenses", false,
                              [](const std::string&) { return true; });
  for (const std::string& path : licences) data += read_whole(path);
  std::size_t pages = 0;
  for (const std::string& page : manual_pages()) {
    if (data.size() >= TEXT_BYTES) break;
    data += gunzip(page);
    ++pages;
  }
  if (data.size() < TEXT_BYTES) fail("not enough licences and manual pages");
  data.resize(TEXT_BYTES);
  std::fprintf(stderr, "text input, %zu bytes: %zu licences, %zu manual pages\n", data.size(),
               licences.size(), pages);
  return data;
}

long file_size(const std::string& path) {
  std::error_code ec;
  auto size = fs::file_size(path, ec);
  return ec ? -1 : static_cast<long>(size);
}

void our_compressing_copy(const std::string& from, const std::string& to) {
  vek::VynFile* in = vek::pfa_fopen_file_vers(from.c_str(), "rb", 0);
  vek::VynFile* out = vek::pfa_fopen_file_vers(to.c_str(), "wb", 0);
  if (!in || !out || vek::pfa_compress_and_copy(in, out) != 0) fail("compressing copy of " + from);
  vek::pfa_dispose(&out);
  vek::pfa_dispose(&in);
}

// One input on disk with our stream of it, checked against both tools once.
struct Corpus {
  std::string name;
  std::string input;
  std::string stream;
  std::size_t bytes;
};

Corpus& corpus(const std::string& name) {
  static Corpus text{"text", "", "", 0};
  static Corpus mixed{"mixed", "", "", 0};
  Corpus& c = name == "text" ? text : mixed;
  if (c.bytes) return c;
  std::string data = name == "text" ? make_text() : make_mixed();
  c.input = folder() + "/" + name + ".bin";
  c.stream = c.input + ".Z";
  c.bytes = data.size();
  write_whole(c.input, data);
  our_compressing_copy(c.input, c.stream);
  for (const char* tool : {"compress -dc", "gzip -dc"})
    run_shell(std::string(tool) + " < " + c.stream + " | cmp -s - " + c.input);
  return c;
}

void set_bytes(benchmark::State& state, const Corpus& c) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(c.bytes));
}

void ratio(benchmark::State& state, const Corpus& c, const std::string& stream) {
  state.counters["ratio"] = static_cast<double>(c.bytes) / static_cast<double>(file_size(stream));
}

void our_compression(benchmark::State& state, const std::string& name) {
  Corpus& c = corpus(name);
  std::string out = folder() + "/ours.Z";
  for (auto _ : state) our_compressing_copy(c.input, out);
  set_bytes(state, c);
  ratio(state, c, out);
}

void compress_tool(benchmark::State& state, const std::string& name) {
  Corpus& c = corpus(name);
  std::string out = folder() + "/tool.Z";
  for (auto _ : state) run_shell("compress -c -f < " + c.input + " > " + out);
  set_bytes(state, c);
  ratio(state, c, out);
}

void our_decompression(benchmark::State& state, const std::string& name) {
  Corpus& c = corpus(name);
  long length = file_size(c.stream);
  std::string back = folder() + "/back.bin";
  for (auto _ : state) {
    vek::VynFile* in = vek::pfa_fopen_file_vers(c.stream.c_str(), "rb", 0);
    vek::VynFile* out = vek::pfa_fopen_file_vers(back.c_str(), "wb", 0);
    if (!in || !out || vek::pfa_uncompress_and_copy(in, out, length) != 0)
      fail("decompressing copy of " + c.stream);
    vek::pfa_dispose(&out);
    vek::pfa_dispose(&in);
  }
  if (file_size(back) != static_cast<long>(c.bytes)) fail("decompressed size of " + c.stream);
  set_bytes(state, c);
}

void gzip_tool(benchmark::State& state, const std::string& name) {
  Corpus& c = corpus(name);
  for (auto _ : state) run_shell("gzip -dc < " + c.stream + " > " + folder() + "/gzip.bin");
  set_bytes(state, c);
}

int register_all() {
  using Fn = void (*)(benchmark::State&, const std::string&);
  const std::pair<const char*, Fn> runs[] = {
      {"Compress/ours", our_compression},
      {"Compress/compress", compress_tool},
      {"Decompress/ours", our_decompression},
      {"Decompress/gzip", gzip_tool},
  };
  for (const char* name : {"text", "mixed"})
    for (const auto& [label, fn] : runs)
      benchmark::RegisterBenchmark((std::string(label) + "/" + name).c_str(), fn, std::string(name))
          ->Unit(benchmark::kMillisecond)
          ->Iterations(name == std::string("text") ? 10 : 2)
          ->UseRealTime();
  return 0;
}

const int registered = register_all();

}  // namespace
