// Compression and decompression round trips: the input, repeated when the first byte
// asks for it (so that the first call takes the direct tables), compressed in calls of
// sizes drawn from the input with a drawn mode, decodes to itself in pieces of drawn
// sizes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "tests/fileaccess/codec/lzw_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in{data, size};
  int choice = in.byte();
  std::vector<std::size_t> pieces;
  for (int i = 0; i < 4; ++i) pieces.push_back(1 + static_cast<std::size_t>(in.below16(70000)));
  std::string body(reinterpret_cast<const char*>(data) + in.at, size - (in.at < size ? in.at : size));
  std::string plain = body;
  if ((choice & 4) && !body.empty()) {
    while (plain.size() < 140000) plain += body;
    pieces.front() = 128000 + pieces.front() % 20000;
  }
  std::string stream = yrltest::lzw_compress(plain, choice & 3, pieces);
  std::string back;
  if (yrltest::lzw_decompress(stream, &back, {1 + static_cast<std::size_t>(choice >> 3), 4093}) != 0)
    std::abort();
  if (back != plain) std::abort();
  return 0;
}
