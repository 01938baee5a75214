// Reads a fuzzer's input as a stream of draws; past its end every draw is 0.
#pragma once

#include <cstddef>
#include <cstdint>

struct FuzzInput {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at = 0;

  bool done() const { return at >= size; }
  int byte() { return at < size ? data[at++] : 0; }
  // A number in [0, n) from one byte / from two bytes.
  int below(int n) { return n > 0 ? byte() % n : 0; }
  int below16(int n) { return n > 0 ? (byte() | byte() << 8) % n : 0; }
  long word() {
    unsigned long value = 0;
    for (int i = 0; i < 8; ++i) value = value << 8 | static_cast<unsigned long>(byte());
    return static_cast<long>(value);
  }
};
