// Segmented arrays: a growable array of full growable-array segments, for more
// elements than one array may hold. Handles are passed by the address of the caller's
// variable, as with growable arrays.
#pragma once

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

}  // namespace vek
