// Segmented arrays: a growable array of full growable-array segments, for more
// elements than one array may hold. Handles are passed by the address of the caller's
// variable, as with growable arrays.
#pragma once

#include "runtime/memory/xar_ptr.h"

namespace vek {

void* har_alloc(int size, int step);
void* har_access(const void* p_har, int index, int* segment, int* offset);
int har_total(const void* p_har);
void* har_last(const void* p_har);
void* har_inflate(void* p_har);
void* har_append(void* p_har, int n, const void* source);
int har_resize(void* p_har, int total);
void har_shrink(void* p_har, int n);
void har_free(void* p_har);
// Removes n elements at index; a range outside the array is reported and changes nothing.
void har_remove(void* p_har, int index, int n);
// Inserts a copy of the element (which may lie inside the array) before index.
void har_insert(void* p_har, int index, const void* element);
void har_ptr_free(void* p_har, XarReleaseFunc release);
void har_pblock_free(void* p_har);
// The destination handle becomes a copy; the copy, or null for a null source.
void* har_copy(const void* p_source, void* p_destination);
void* har_ptr_copy(const void* source, XarCopyFunc copy);
void* har_append_har(void* p_destination, const void* p_source);
// A new growable array of n elements from index (step: the given one, or n for 0); null
// when n and step are both 0, the array is null, n exceeds a segment's count, or the
// range does not lie inside the array.
void* har_seg_to_xar(const void* p_har, int index, int n, int step);

}  // namespace vek
