// The .Z stream's codes, and the bit layout of its code groups: 8 codes of one width n (9 to 16) in
// exactly n bytes, least significant bit first. Each width has its own packer, fully
// unrolled from the template, so a group is packed and unpacked with fixed shifts.
#pragma once

#include <cstdint>

namespace vek {
namespace lzw {

// The stream's codes: 16 bits at the most, so 65536 of them; in block mode code 256
// clears the table.
constexpr int code_count = 65536;
constexpr int clear_code = 256;

template <int N>
inline void pack_group_n(const std::uint16_t* codes, unsigned char* out) {
  std::uint32_t acc = 0;
  int bits = 0;
  for (int i = 0; i < 8; ++i) {
    acc |= static_cast<std::uint32_t>(codes[i] & ((1u << N) - 1)) << bits;
    bits += N;
    while (bits >= 8) {
      *out++ = static_cast<unsigned char>(acc);
      acc >>= 8;
      bits -= 8;
    }
  }
}

template <int N>
inline void unpack_group_n(const unsigned char* in, std::uint16_t* codes) {
  std::uint32_t acc = 0;
  int bits = 0;
  for (int i = 0; i < 8; ++i) {
    while (bits < N) {
      acc |= static_cast<std::uint32_t>(*in++) << bits;
      bits += 8;
    }
    codes[i] = static_cast<std::uint16_t>(acc & ((1u << N) - 1));
    acc >>= N;
    bits -= N;
  }
}

// Packs the 8 codes at width n into n bytes at out.
inline void pack_group(int n, const std::uint16_t* codes, unsigned char* out) {
  switch (n) {
    case 9: pack_group_n<9>(codes, out); break;
    case 10: pack_group_n<10>(codes, out); break;
    case 11: pack_group_n<11>(codes, out); break;
    case 12: pack_group_n<12>(codes, out); break;
    case 13: pack_group_n<13>(codes, out); break;
    case 14: pack_group_n<14>(codes, out); break;
    case 15: pack_group_n<15>(codes, out); break;
    default: pack_group_n<16>(codes, out); break;
  }
}

// Unpacks the n bytes at in into 8 codes.
inline void unpack_group(int n, const unsigned char* in, std::uint16_t* codes) {
  switch (n) {
    case 9: unpack_group_n<9>(in, codes); break;
    case 10: unpack_group_n<10>(in, codes); break;
    case 11: unpack_group_n<11>(in, codes); break;
    case 12: unpack_group_n<12>(in, codes); break;
    case 13: unpack_group_n<13>(in, codes); break;
    case 14: unpack_group_n<14>(in, codes); break;
    case 15: unpack_group_n<15>(in, codes); break;
    default: unpack_group_n<16>(in, codes); break;
  }
}

}  // namespace lzw
}  // namespace vek
