// The .Z decoder on arbitrary streams. The input's first byte chooses a header (largest
// width and block mode) put in front of the rest, or none (the rest is taken as it
// stands); the second seeds the piece sizes. The stream is decoded whole and in pieces:
// same bytes and same status both ways, no call giving more than its share, and the
// memory chain under the decoder's bound. The rest is also compressed by our own
// encoder and must decode to itself.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_input.h"
#include "runtime/memory/getmem.h"
#include "tests/fileaccess/codec/lzw_support.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

// Store cap, tables, one call's output buffer and what it may keep of the input.
long memory_bound(std::size_t input) { return vek::UNCOMPRESS_STORE_CAP + (6L << 20) + 2 * static_cast<long>(input); }

struct Run {
  std::string bytes;
  int status = 0;
};

Run decode(const std::string& stream, unsigned seed, bool whole) {
  Run run;
  yrltest::LzwDecoder d;
  std::size_t at = 0;
  unsigned state = seed * 2654435761u + 1;
  while (at < stream.size() && run.status == 0) {
    std::size_t n = stream.size() - at;
    if (!whole) {
      state = state * 1103515245u + 12345u;
      n = std::min<std::size_t>(n, 1 + (state >> 16) % 37);
    }
    run.status = d.feed(reinterpret_cast<const unsigned char*>(stream.data()) + at, n);
    at += n;
    long system = 0;
    vek::get_memory_usage(nullptr, nullptr, &system, nullptr);
    require(system < memory_bound(stream.size()));
  }
  if (run.status == 0) run.status = d.finish();
  require(d.state == nullptr || run.status != 0);
  require(d.largest_call <= vek::UNCOMPRESS_CALL_OUTPUT + 65536);
  run.bytes = d.bytes;
  return run;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in{data, size};
  int choice = in.byte();
  unsigned seed = static_cast<unsigned>(in.byte());
  std::string body(reinterpret_cast<const char*>(data) + in.at, size - std::min(size, in.at));
  std::string stream = body;
  if (!(choice & 0x10)) {
    unsigned char flags = static_cast<unsigned char>(9 + (choice & 7)) | ((choice & 8) ? 0x80 : 0);
    stream = std::string("\x1F\x9D", 2) + static_cast<char>(flags) + body;
  }
  Run whole = decode(stream, seed, true);
  Run pieces = decode(stream, seed, false);
  require(whole.status == pieces.status);
  require(whole.bytes == pieces.bytes);

  std::string back;
  require(yrltest::lzw_decompress(yrltest::lzw_compress(body, choice % 3), &back) == 0);
  require(back == body);
  return 0;
}
