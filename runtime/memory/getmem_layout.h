// Layout of a memory block: the header before the user data and the tail after it.
//
//   block + 0    previous block's start (pointer), null for the first block
//   block + 8    u32 user size, the size the caller asked for
//   block + 12   u32 guard, GETMEM_GUARD while the header is intact
//   block + 16   user data, round8(user size) bytes; the caller gets this address
//   tail  + 0    next block's start (pointer), null for the last block
//   tail  + 8    u32 flags: bit 31 the block holds a growable array, bits 0-30 the
//                memory loop index (GETMEM_LOOP_UNMARKED when unmarked)
//   tail  + 12   u32 spare, zero
//
// where tail = block + 16 + round8(user size). Every block is one heap block of
// getmem_total(user size) bytes, so all fields are 8-byte aligned.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "runtime/memory/clump.h"
#include "runtime/vekbase.h"

namespace vek {

constexpr std::size_t GETMEM_HEADER_SIZE = 16;
constexpr std::size_t GETMEM_TAIL_SIZE = 16;
constexpr std::size_t GETMEM_OVERHEAD = GETMEM_HEADER_SIZE + GETMEM_TAIL_SIZE;

constexpr std::size_t GETMEM_PREV_OFFSET = 0;
constexpr std::size_t GETMEM_SIZE_OFFSET = 8;
constexpr std::size_t GETMEM_GUARD_OFFSET = 12;
constexpr std::size_t GETMEM_TAIL_NEXT_OFFSET = 0;
constexpr std::size_t GETMEM_TAIL_FLAGS_OFFSET = 8;
constexpr std::size_t GETMEM_TAIL_SPARE_OFFSET = 12;

// The bytes "gblk". Its low half is the u16 at user - 4, where a pool slot keeps its
// state, so a block can never be taken for a pool slot.
constexpr std::uint32_t GETMEM_GUARD = 0x6B6C6267u;
static_assert(GETMEM_GUARD_OFFSET + 4 == GETMEM_HEADER_SIZE,
              "the guard ends where the user data starts");
static_assert((GETMEM_GUARD & 0xFFFFu) != CLUMP_SLOT_IN_USE &&
                  (GETMEM_GUARD & 0xFFFFu) != CLUMP_SLOT_IN_USE_XAR &&
                  (GETMEM_GUARD & 0xFFFFu) != CLUMP_SLOT_FREE,
              "a block must never look like a pool slot");

constexpr std::uint32_t GETMEM_FLAG_XARRAY = 0x80000000u;
constexpr std::uint32_t GETMEM_LOOP_MASK = 0x7FFFFFFFu;
constexpr std::uint32_t GETMEM_LOOP_UNMARKED = 0x7FFFFFFFu;

// Largest user size the header can hold; larger requests count as exhausted memory.
constexpr std::size_t GETMEM_MAX_USER_SIZE = 0xFFFFFFFFu;

// Released memory is overwritten with GETMEM_FILL: all of it below GETMEM_BIG_RELEASE
// total bytes, else only GETMEM_RELEASE_EDGE bytes at each end.
constexpr unsigned char GETMEM_FILL = 0xFF;
constexpr std::size_t GETMEM_BIG_RELEASE = 4000;
constexpr std::size_t GETMEM_RELEASE_EDGE = 1000;

// Chain check codes of area_invalid (0: valid).
enum {
  GETMEM_VALID = 0,
  GETMEM_BAD_PREV_LINK = 1,   // previous link null exactly when not the first block
  GETMEM_BAD_NEXT_LINK = 2,   // next link null exactly when not the last block
  GETMEM_BAD_PREV_BACK = 3,   // the previous block's next link is not this block
  GETMEM_BAD_NEXT_BACK = 4,   // the next block's previous link is not this block
  GETMEM_BAD_GUARD = 5,       // the header was overwritten
};

constexpr std::size_t getmem_total(std::size_t size) {
  return vek_round8(size) + GETMEM_OVERHEAD;
}

inline unsigned char* getmem_block_of(const void* user) {
  return static_cast<unsigned char*>(const_cast<void*>(user)) - GETMEM_HEADER_SIZE;
}
inline void* getmem_user_of(unsigned char* block) { return block + GETMEM_HEADER_SIZE; }

inline std::uint32_t getmem_load32(const unsigned char* at) {
  std::uint32_t v;
  std::memcpy(&v, at, sizeof v);
  return v;
}
inline void getmem_store32(unsigned char* at, std::uint32_t v) { std::memcpy(at, &v, sizeof v); }
inline unsigned char* getmem_load_ptr(const unsigned char* at) {
  unsigned char* v;
  std::memcpy(&v, at, sizeof v);
  return v;
}
inline void getmem_store_ptr(unsigned char* at, unsigned char* v) {
  std::memcpy(at, &v, sizeof v);
}

inline std::uint32_t getmem_size(const unsigned char* block) {
  return getmem_load32(block + GETMEM_SIZE_OFFSET);
}
inline std::uint32_t getmem_guard(const unsigned char* block) {
  return getmem_load32(block + GETMEM_GUARD_OFFSET);
}
inline unsigned char* getmem_prev(const unsigned char* block) {
  return getmem_load_ptr(block + GETMEM_PREV_OFFSET);
}
inline unsigned char* getmem_tail(const unsigned char* block) {
  return const_cast<unsigned char*>(block) + GETMEM_HEADER_SIZE + vek_round8(getmem_size(block));
}
inline unsigned char* getmem_next(const unsigned char* block) {
  return getmem_load_ptr(getmem_tail(block) + GETMEM_TAIL_NEXT_OFFSET);
}
inline std::uint32_t getmem_flags(const unsigned char* block) {
  return getmem_load32(getmem_tail(block) + GETMEM_TAIL_FLAGS_OFFSET);
}

inline void getmem_set_prev(unsigned char* block, unsigned char* prev) {
  getmem_store_ptr(block + GETMEM_PREV_OFFSET, prev);
}
inline void getmem_set_next(unsigned char* block, unsigned char* next) {
  getmem_store_ptr(getmem_tail(block) + GETMEM_TAIL_NEXT_OFFSET, next);
}
inline void getmem_set_flags(unsigned char* block, std::uint32_t flags) {
  getmem_store32(getmem_tail(block) + GETMEM_TAIL_FLAGS_OFFSET, flags);
}

}  // namespace vek
