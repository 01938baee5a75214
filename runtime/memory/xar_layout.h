// Layout of a growable array's block: an 8-byte header in front of element 0 and an
// 8-byte tail at the block's end. All words are little-endian and unaligned-safe.
//
//   handle - 8  u32  bits 0-18 block length in 8-byte units (header and tail included),
//                    bits 19-31 extension step
//   handle - 4  u16  element size in bytes
//   handle - 2  u16  head mark "XH"
//   handle      elements; capacity = (length x 8 - 16) / element size
//   end - 8     u16  tail mark "XT"
//   end - 6     i16  zone field: zone number (>= 0), or -1 minus the moves of a heap array
//   end - 4     u32  element count
//
// The block starts at handle - 8: for a heap array that is the user data of its memory
// block, for a zone array the start of its zone piece.
#pragma once

#include <cstdint>
#include <cstring>

namespace vek {

constexpr int XAR_UNIT = 8;
constexpr int XAR_HEADER_BYTES = 8;
constexpr int XAR_TAIL_BYTES = 8;
constexpr int XAR_OVERHEAD_UNITS = 2;

constexpr int XAR_LENGTH_WORD_OFFSET = -8;
constexpr int XAR_SIZE_OFFSET = -4;
constexpr int XAR_HEAD_MARK_OFFSET = -2;
constexpr std::uint32_t XAR_LENGTH_MASK = 0x7FFFF;
constexpr int XAR_STEP_SHIFT = 19;
constexpr int XAR_MAX_STEP = 8191;
constexpr int XAR_MAX_ELEMENT_SIZE = 65535;

// Offsets within the tail, counted from block end - 8.
constexpr int XAR_TAIL_MARK_OFFSET = 0;
constexpr int XAR_TAIL_ZONE_OFFSET = 2;
constexpr int XAR_TAIL_COUNT_OFFSET = 4;

constexpr std::uint16_t XAR_HEAD_MARK = 0x4858;
constexpr std::uint16_t XAR_TAIL_MARK = 0x5458;

// Zone field of a heap array that never moved, and the floor that the move count stops at.
constexpr int XAR_ZONE_HEAP = -1;
constexpr int XAR_ZONE_FLOOR = -32768;
constexpr int XAR_MAX_ZONE = 32767;

template <typename T>
inline T xar_peek(const void* address, int offset) {
  T value;
  std::memcpy(&value, static_cast<const unsigned char*>(address) + offset, sizeof(T));
  return value;
}

template <typename T>
inline void xar_poke(void* address, int offset, T value) {
  std::memcpy(static_cast<unsigned char*>(address) + offset, &value, sizeof(T));
}

inline void* xar_block_start(const void* handle) {
  return const_cast<unsigned char*>(static_cast<const unsigned char*>(handle)) -
         XAR_HEADER_BYTES;
}

inline std::uint32_t xar_hdr_length(const void* handle) {
  return xar_peek<std::uint32_t>(handle, XAR_LENGTH_WORD_OFFSET) & XAR_LENGTH_MASK;
}
inline int xar_hdr_step(const void* handle) {
  return static_cast<int>(xar_peek<std::uint32_t>(handle, XAR_LENGTH_WORD_OFFSET) >>
                          XAR_STEP_SHIFT);
}
inline int xar_hdr_size(const void* handle) {
  return xar_peek<std::uint16_t>(handle, XAR_SIZE_OFFSET);
}
inline std::uint16_t xar_hdr_mark(const void* handle) {
  return xar_peek<std::uint16_t>(handle, XAR_HEAD_MARK_OFFSET);
}
// Bytes between header and tail.
inline std::uint32_t xar_hdr_room_bytes(const void* handle) {
  return xar_hdr_length(handle) * XAR_UNIT - XAR_HEADER_BYTES - XAR_TAIL_BYTES;
}
inline int xar_hdr_capacity(const void* handle) {
  return static_cast<int>(xar_hdr_room_bytes(handle) /
                          static_cast<std::uint32_t>(xar_hdr_size(handle)));
}

// Start of the tail as the header's length places it.
inline void* xar_tail(const void* handle) {
  return static_cast<unsigned char*>(xar_block_start(handle)) +
         xar_hdr_length(handle) * XAR_UNIT - XAR_TAIL_BYTES;
}
inline std::uint16_t xar_tail_mark(const void* handle) {
  return xar_peek<std::uint16_t>(xar_tail(handle), XAR_TAIL_MARK_OFFSET);
}
inline int xar_tail_zone(const void* handle) {
  return xar_peek<std::int16_t>(xar_tail(handle), XAR_TAIL_ZONE_OFFSET);
}
inline int xar_tail_count(const void* handle) {
  return static_cast<int>(xar_peek<std::uint32_t>(xar_tail(handle), XAR_TAIL_COUNT_OFFSET));
}

inline void xar_set_count(void* handle, int count) {
  xar_poke<std::uint32_t>(xar_tail(handle), XAR_TAIL_COUNT_OFFSET,
                          static_cast<std::uint32_t>(count));
}

// Writes a whole header and tail for a block of length units.
inline void xar_write_frame(void* handle, std::uint32_t length, int step, int size, int zone,
                            int count) {
  std::uint32_t word = (length & XAR_LENGTH_MASK) |
                       (static_cast<std::uint32_t>(step) << XAR_STEP_SHIFT);
  xar_poke<std::uint32_t>(handle, XAR_LENGTH_WORD_OFFSET, word);
  xar_poke<std::uint16_t>(handle, XAR_SIZE_OFFSET, static_cast<std::uint16_t>(size));
  xar_poke<std::uint16_t>(handle, XAR_HEAD_MARK_OFFSET, XAR_HEAD_MARK);
  void* tail = xar_tail(handle);
  xar_poke<std::uint16_t>(tail, XAR_TAIL_MARK_OFFSET, XAR_TAIL_MARK);
  xar_poke<std::int16_t>(tail, XAR_TAIL_ZONE_OFFSET, static_cast<std::int16_t>(zone));
  xar_poke<std::uint32_t>(tail, XAR_TAIL_COUNT_OFFSET, static_cast<std::uint32_t>(count));
}

}  // namespace vek
