// Growable arrays of structures that own memory, and the owning-structure helpers.
#include <cstring>

#include "runtime/diag/msgtool.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "runtime/memory/xar_internal.h"
#include "runtime/memory/xar_layout.h"
#include "runtime/memory/xar_ptr.h"

namespace vek {

namespace {

// Passes the address of each element of [first, last) to release.
void release_structures(void* p_xar, int first, int last, XarReleaseFunc release) {
  if (!release) return;
  unsigned char* handle = xar_handle(p_xar);
  int size = xar_hdr_size(handle);
  for (int i = first; i < last; ++i) release(handle + xar_bytes(i, size));
}

// Makes p_dst hold count structures copied from the plain array from.
void* copy_structures(const unsigned char* from, void* p_dst, int count, int size, int step,
                      XarReleaseFunc release, XarStrCopyFunc copy) {
  xar_str_alloc_or_resize(p_dst, count, size, step, release);
  unsigned char* dst = xar_handle(p_dst);
  int dst_size = 0;
  int dst_count = 0;
  if (dst) xar_params(p_dst, &dst_size, nullptr, &dst_count, nullptr);
  // A destination of another element size was reported and left as it was.
  if (dst_count != count || (count > 0 && dst_size != size)) return nullptr;
  for (int i = 0; i < count; ++i) {
    const unsigned char* source = from + xar_bytes(i, size);
    unsigned char* target = dst + xar_bytes(i, size);
    if (copy)
      copy(source, target);
    else
      std::memcpy(target, source, xar_bytes(1, size));
  }
  return dst;
}

}  // namespace

void str_free(void* p_block, XarReleaseFunc release) {
  void* block = xar_handle(p_block);
  if (!block) return;
  if (release) release(block);
  relmem(p_block);
}

void* str_alloc_or_copy(const void* from, void* to, int size) {
  if (size < 0 || size > STR_MAX_STRUCTURE) {
    dbg_crash_msg("str_alloc_or_copy", "too big structure");
    return nullptr;
  }
  if (to && from == to) {
    dbg_crash_msg("str_alloc_or_copy", "bad parametres: p_str_from or p_str_to");
    return nullptr;
  }
  void* target = to ? to : getmem(static_cast<std::size_t>(size));
  if (from && target && size > 0) std::memmove(target, from, static_cast<std::size_t>(size));
  return target;
}

void xar_str_free(void* p_xar, XarReleaseFunc release) {
  if (!p_xar) {
    dbg_crash_msg("xar_str_free", "bad parameter: xar");
    return;
  }
  if (!xar_handle(p_xar)) return;
  release_structures(p_xar, 0, xar_count(p_xar), release);
  xar_free(p_xar);
}

void xar_str_delete(void* p_xar, int index, int n, XarReleaseFunc release) {
  int count = xar_count(p_xar);
  if (index < 0 || n < 0 || index > count - n) {
    dbg_crash_msg("xar_str_delete", "bad parameters: idx or n_elems");
    return;
  }
  if (n == 0) return;
  release_structures(p_xar, index, index + n, release);
  xar_remove(p_xar, index, n);
}

void* xar_str_alloc_or_resize(void* p_xar, int count, int size, int step,
                              XarReleaseFunc release) {
  if (!p_xar) {
    dbg_crash_msg("xar_str_alloc_or_resize", "bad parameter: xar");
    return nullptr;
  }
  if (xar_handle(p_xar)) {
    int old_size = 0;
    int old_count = 0;
    xar_params(p_xar, &old_size, nullptr, &old_count, nullptr);
    if (old_size != size) {
      dbg_crash_msg("xar_str_alloc_or_resize", XAR_INCONSISTENT_SIZE, old_size, size);
      return nullptr;
    }
    if (release) {
      release_structures(p_xar, 0, old_count, release);
      // Released structures keep no pointers to what they owned.
      std::memset(xar_handle(p_xar), 0, xar_bytes(old_count, size));
    }
  }
  return xar_alloc_or_resize(p_xar, count, size, step);
}

void* xar_str_copy(const void* p_src, void* p_dst, XarReleaseFunc release,
                   XarStrCopyFunc copy) {
  unsigned char* src = xar_handle(p_src);
  if (!p_src || !p_dst || p_src == p_dst || (src && src == xar_handle(p_dst))) {
    dbg_crash_msg("xar_str_copy", "bad parameters");
    return nullptr;
  }
  if (!src) return nullptr;
  int size = 0;
  int step = 0;
  int count = 0;
  xar_params(p_src, &size, &step, &count, nullptr);
  return copy_structures(src, p_dst, count, size, step, release, copy);
}

void* array_to_xar_str_copy(const void* array, void* p_dst, int count, int size, int step,
                            XarReleaseFunc release, XarStrCopyFunc copy) {
  // Step 0 makes no array for a count above 0 (the allocation would end the process).
  if (!p_dst || array == xar_handle(p_dst) || count < 0 || (count > 0 && !array) ||
      size <= 0 || step < 0 || (step == 0 && count > 0 && !xar_handle(p_dst))) {
    dbg_crash_msg("array_to_xar_str_copy", "bad parameters");
    return nullptr;
  }
  return copy_structures(static_cast<const unsigned char*>(array), p_dst, count, size, step,
                         release, copy);
}

}  // namespace vek
