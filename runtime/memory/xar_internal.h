// Helpers shared by the sources of the growable-array family.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vek {

// The handle held in a handle variable of any pointer type; null for a null address.
inline unsigned char* xar_handle(const void* p_xar) {
  void* handle = nullptr;
  if (p_xar) std::memcpy(&handle, p_xar, sizeof handle);
  return static_cast<unsigned char*>(handle);
}

inline void xar_set_handle(void* p_xar, const void* handle) {
  std::memcpy(p_xar, &handle, sizeof handle);
}

// Bytes of count elements of size bytes.
inline std::size_t xar_bytes(int count, int size) {
  return static_cast<std::size_t>(count) * static_cast<std::size_t>(size);
}

// True when [address, address + 1) lies within bytes bytes from begin.
inline bool xar_points_into(const void* address, const void* begin, std::size_t bytes) {
  std::uintptr_t a = reinterpret_cast<std::uintptr_t>(address);
  std::uintptr_t b = reinterpret_cast<std::uintptr_t>(begin);
  return a >= b && a - b < bytes;
}

// Report of an existing array whose element size is not the requested one.
constexpr char XAR_INCONSISTENT_SIZE[] =
    "inconsistent size: old (%d) != request (%d) - SERIOUS ERROR.";

// Marks, length, element size and count are consistent.
int xar_valid(const void* handle);
// The handle of a valid array; otherwise "<name>:  invalid array" and the process ends.
unsigned char* xar_checked(const void* p_xar, const char* name);

// xar_extend of an array already found valid.
unsigned char* xar_extend_checked(void* p_xar, unsigned char* handle, int n);

// xar_append and xar_insert without their traces. A source inside the array is read
// as it stood before the call, elements past the count reading as zero.
unsigned char* xar_append_low(void* p_xar, int n, const void* source);
unsigned char* xar_append_checked(void* p_xar, unsigned char* handle, int n,
                                  const void* source);
unsigned char* xar_insert_low(void* p_xar, int index, int n, const void* source);

// A memory block holding n elements from source when source lies in the array's element
// room, which moves when the array grows; what lies past the count reads as zero. Null
// when source lies elsewhere or n is no count the array can take. rlsmem releases it.
void* xar_snapshot_source(const unsigned char* handle, const void* source, int n);

}  // namespace vek
