// Growable arrays of pointers (element size sizeof(void*)) whose elements usually own
// memory blocks, and arrays of structures that own memory (the str family).
//
// Release functions get either the element's pointer or the address of a copy of it
// (said per function), so that relmem can be passed where an address is expected.
#pragma once

namespace vek {

typedef int (*XarReleaseFunc)(void* p);
// Returns a new copy of what p points at (null for null, where the function allows).
typedef void* (*XarCopyFunc)(const void* p);
// Called with null: returns a new element.
typedef void* (*XarMakeFunc)(const void* p);
// Copies the structure at from into the structure at to.
typedef int (*XarStrCopyFunc)(const void* from, void* to);

// Pointer arrays. The release function gets the address of a copy of each non-null
// element in the reset, free and delete functions, the pointer itself elsewhere. An
// existing array of another element size is reported (xar_size_matches) and left alone.
void xar_ptr_reset(void* p_xar, XarReleaseFunc release);
void xar_pblock_reset(void* p_xar);
void xar_ptr_free(void* p_xar, XarReleaseFunc release);
void xar_pblock_free(void* p_xar);
void xar_ptr_delete(void* p_xar, int index, int n, XarReleaseFunc release);
void xar_pblock_delete(void* p_xar, int index, int n);
void* xar_ptr_copy(const void* source, XarCopyFunc copy);
void* xar_pblock_copy(const void* source, int size);
void* xar_ptr_append(void* p_xar, int n, void* const* source, XarCopyFunc copy);
void xar_ptr_concat(void* p_dst, const void* source, XarCopyFunc copy);
void* xar_ptr_alloc_or_resize(void* p_xar, int count, int step, XarMakeFunc make,
                              XarReleaseFunc release);
void xar_ptr_freeoff(void* p_xar, XarReleaseFunc release);
void xar_ptr_freeoff_with_str(void* p_xar, XarReleaseFunc release);
void reset_pointer_xar(void* p_xar, XarReleaseFunc release);
void release_pointer_xar(void* p_xar, XarReleaseFunc release);

// Structures that own memory. Bad parameters are reported through dbg_crash_msg and
// the call returns without change. Release functions get the structure's address.
constexpr int STR_MAX_STRUCTURE = 20480;

void str_free(void* p_block, XarReleaseFunc release);
void* str_alloc_or_copy(const void* from, void* to, int size);
void xar_str_free(void* p_xar, XarReleaseFunc release);
void xar_str_delete(void* p_xar, int index, int n, XarReleaseFunc release);
void* xar_str_alloc_or_resize(void* p_xar, int count, int size, int step,
                              XarReleaseFunc release);
void* xar_str_copy(const void* p_src, void* p_dst, XarReleaseFunc release,
                   XarStrCopyFunc copy);
void* array_to_xar_str_copy(const void* array, void* p_dst, int count, int size, int step,
                            XarReleaseFunc release, XarStrCopyFunc copy);

}  // namespace vek
