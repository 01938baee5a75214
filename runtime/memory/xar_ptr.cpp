// Growable arrays of pointers that own what they point at.
#include "runtime/memory/xar_ptr.h"

#include <algorithm>
#include <cstring>

#include "runtime/diag/msgtool.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "runtime/memory/xar_internal.h"
#include "runtime/memory/xar_layout.h"

namespace vek {

namespace {

constexpr int POINTER_SIZE = static_cast<int>(sizeof(void*));

void** items_of(const void* p_xar) { return reinterpret_cast<void**>(xar_handle(p_xar)); }

// The count of a pointer array (0 for a null handle). An array of another element size
// is reported and false returned, so that no element is read as a pointer.
bool pointer_count(const void* p_xar, const char* name, int* count) {
  *count = 0;
  if (!xar_handle(p_xar)) return true;
  if (!xar_size_matches(p_xar, POINTER_SIZE, name)) return false;
  *count = xar_count(p_xar);
  return true;
}

// Passes each non-null element of [first, last) to release: the address of a copy of it
// when by_address is set, else the pointer.
void release_items(const void* p_xar, int first, int last, XarReleaseFunc release,
                   bool by_address) {
  if (!release) return;
  for (int i = first; i < last; ++i) {
    void* item = items_of(p_xar)[i];
    if (!item) continue;
    if (by_address)
      release(&item);
    else
      release(item);
  }
}

}  // namespace

void xar_ptr_reset(void* p_xar, XarReleaseFunc release) {
  int count = 0;
  if (!pointer_count(p_xar, "xar_ptr_reset", &count)) return;
  release_items(p_xar, 0, count, release, true);
  // While memory is marked to preserve, the released pointers stay visible.
  if (!marking_mem_to_preserve()) xar_resize(p_xar, 0);
}

void xar_pblock_reset(void* p_xar) { xar_ptr_reset(p_xar, relmem); }

void xar_ptr_free(void* p_xar, XarReleaseFunc release) {
  xar_ptr_reset(p_xar, release);
  xar_free(p_xar);
}

void xar_pblock_free(void* p_xar) { xar_ptr_free(p_xar, relmem); }

void xar_ptr_delete(void* p_xar, int index, int n, XarReleaseFunc release) {
  int count = 0;
  if (!pointer_count(p_xar, "xar_ptr_delete", &count)) return;
  // A bad range is left to xar_remove, which ends the process.
  if (index >= 0 && n >= 0 && index <= count - n)
    release_items(p_xar, index, index + n, release, true);
  xar_remove(p_xar, index, n);
}

void xar_pblock_delete(void* p_xar, int index, int n) {
  xar_ptr_delete(p_xar, index, n, relmem);
}

void* xar_ptr_copy(const void* source, XarCopyFunc copy) {
  void* result = xar_cpy(&source, nullptr);
  int count = 0;
  if (!copy || !pointer_count(&result, "xar_ptr_copy", &count)) return result;
  void** items = items_of(&result);
  for (int i = 0; i < count; ++i)
    if (items[i]) items[i] = copy(items[i]);
  return result;
}

void* xar_pblock_copy(const void* source, int size) {
  void* result = xar_cpy(&source, nullptr);
  int count = 0;
  if (!pointer_count(&result, "xar_pblock_copy", &count)) return result;
  void** items = items_of(&result);
  for (int i = 0; i < count; ++i) {
    if (!items[i]) continue;
    void* block = size > 0 ? getmem(static_cast<std::size_t>(size)) : nullptr;
    // Never read past the element's own block.
    long available = getmem_area_size(items[i]);
    long bytes = available >= 0 ? std::min<long>(size, available) : size;
    if (block && bytes > 0) std::memcpy(block, items[i], static_cast<std::size_t>(bytes));
    items[i] = block;
  }
  return result;
}

void* xar_ptr_append(void* p_xar, int n, void* const* source, XarCopyFunc copy) {
  unsigned char* handle = xar_checked(p_xar, "XAR_EXTEND");
  if (!xar_size_matches(p_xar, POINTER_SIZE, "xar_ptr_append")) return nullptr;
  void* snapshot = xar_snapshot_source(handle, source, n);
  void* const* from = snapshot ? static_cast<void* const*>(snapshot) : source;
  void** first = reinterpret_cast<void**>(xar_extend_checked(p_xar, handle, n));
  if (from)
    for (int i = 0; i < n; ++i) first[i] = copy ? copy(from[i]) : from[i];
  if (snapshot) rlsmem(snapshot);
  return first;
}

void xar_ptr_concat(void* p_dst, const void* source, XarCopyFunc copy) {
  if (!p_dst || !source) return;
  int old = xar_count(p_dst);
  int n = xar_count(&source);
  xar_concat(p_dst, source);
  int count = 0;
  if (!copy || !pointer_count(p_dst, "xar_ptr_concat", &count)) return;
  // The appended elements equal the source's, which may have moved with a self-concat.
  void** items = items_of(p_dst);
  for (int i = old; i < old + n; ++i) items[i] = copy(items[i]);
}

void* xar_ptr_alloc_or_resize(void* p_xar, int count, int step, XarMakeFunc make,
                              XarReleaseFunc release) {
  if (!p_xar) {
    dbg_crash_msg("xar_ptr_alloc_or_resize", "bad parameter: p_xar");
    return nullptr;
  }
  int old = 0;
  if (!pointer_count(p_xar, "xar_ptr_alloc_or_resize", &old)) return nullptr;
  if (count >= 0) {
    void** items = items_of(p_xar);
    for (int i = count; i < old; ++i) {
      if (!items[i]) continue;
      if (release) release(items[i]);
      relmem(&items[i]);
    }
    release_items(p_xar, 0, std::min(count, old), release, false);
  }
  xar_alloc_or_resize(p_xar, count, POINTER_SIZE, step);
  void** items = items_of(p_xar);
  if (make)
    for (int i = old; i < count; ++i) items[i] = make(nullptr);
  return items;
}

void xar_ptr_freeoff(void* p_xar, XarReleaseFunc release) {
  if (!p_xar) {
    dbg_crash_msg("xar_ptr_free_offsprings", "bad parameter: p_xar");
    return;
  }
  int count = 0;
  if (pointer_count(p_xar, "xar_ptr_free_offsprings", &count))
    release_items(p_xar, 0, count, release, false);
}

void xar_ptr_freeoff_with_str(void* p_xar, XarReleaseFunc release) {
  if (!p_xar) {
    dbg_crash_msg("xar_ptr_free", "bad parameter: p_xar");
    return;
  }
  int count = 0;
  if (!pointer_count(p_xar, "xar_ptr_free", &count)) return;
  void** items = items_of(p_xar);
  for (int i = 0; i < count; ++i)
    if (items[i]) str_free(&items[i], release);
  xar_free(p_xar);
}

void reset_pointer_xar(void* p_xar, XarReleaseFunc release) {
  int count = 0;
  if (!pointer_count(p_xar, "reset_pointer_xar", &count)) return;
  release_items(p_xar, 0, count, release, false);
  xar_resize(p_xar, 0);
}

void release_pointer_xar(void* p_xar, XarReleaseFunc release) {
  int count = 0;
  if (!pointer_count(p_xar, "release_pointer_xar", &count)) return;
  release_items(p_xar, 0, count, release, false);
  xar_free(p_xar);
}

}  // namespace vek
