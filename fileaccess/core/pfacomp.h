// The packed component text of a handle: replacing, appending, reading and comparing
// single components with the index kept consistent, delimited elements, and the legacy
// fixed-width component record.
#pragma once

#include <cstddef>

#include "fileaccess/core/pfa.h"

namespace vek {

// Component slots: 0 to 2 the location, 3 the base name, 4 the extension, 5 empty.
constexpr int PFA_COMP_BASE_NAME = 3;
constexpr int PFA_COMP_EXTENSION = 4;
constexpr int PFA_COMP_COUNT = 6;

// Replaces cut bytes of dest at position at by source bytes [from, to). Negative from
// means 0, negative to and source_length the source's length; a null or negative
// *dest_length the destination's length. 0 (nothing changed) when from > to, to lies
// beyond the source, at + cut beyond the destination, or the result would reach limit;
// else the new length is stored through dest_length and 1.
int pfa_move_substring_low(const char* source, int from, int to, int source_length,
                           char* dest, int at, int cut, int* dest_length, int limit);
// Appends text at *length (limit 260): 1, or 0 when it does not fit.
int pfa_strcat(const char* text, char* dest, int* length);

// Replaces component c by the first n bytes of text. 9 for a null handle or text, a slot
// outside 0 to 5, a negative n or a text that does not fit; 11 for an invalid handle.
// With drop_info the location's private state and the appinfo list are dropped first.
int pfa_put_component_len(VynFile* file, int c, const char* text, int n, int drop_info);
int pfa_put_component(VynFile* file, int c, const char* text);
int pfa_component_length(const VynFile* file, int c);
int pfa_has_component(const VynFile* file, int c);
// True when slots 0 to 2 are not all empty; *type (may be null) the location type.
int pfa_has_location(const VynFile* file, int* type);
// 0 with *out set, 2 for an empty component, 11 for an invalid handle or slot.
int pfa_component_first_char(const VynFile* file, int c, char* out);
int pfa_component_last_char(const VynFile* file, int c, char* out);
// Appends to component c (limit 260): 0, 1 when it does not fit, 11 for a bad handle.
int pfa_component_append(VynFile* file, int c, const char* text);
int pfa_component_append_char(VynFile* file, int c, char ch);
// The length difference when the lengths differ, else the byte (or case-blind)
// comparison; n < 0 means the text's length.
int pfa_component_strcmp(const VynFile* file, int c, const char* text, int n);
int pfa_component_u_strcmp(const VynFile* file, int c, const char* text, int n);
int pfas_component_strcmp(const VynFile* a, const VynFile* b, int c);
int pfas_component_u_strcmp(const VynFile* a, const VynFile* b, int c);
// 1 when component c of a is a prefix of b's (also when either is empty).
int pfa_component_is_substring(const VynFile* a, const VynFile* b, int c);
int pfa_copy_component(const VynFile* from, VynFile* to, int c);
// Copies slots 0 to 2 and the location type: 0; 1 when to is open; 11 for bad handles.
int pfa_copy_location(const VynFile* from, VynFile* to);
// Appends component c to buffer at *length (limit): 0 (also for an empty component), 1
// when it does not fit, 11 for a bad handle or buffer.
int pfa_append_component(const VynFile* file, int c, char* buffer, int* length, int limit);
int pfa_append_component_lower(const VynFile* file, int c, char* buffer, int* length,
                               int limit, int lower);
int pfa_get_component(const VynFile* file, int c, char* buffer, int limit);
void pfa_substring_to_lower(char* text, int from, int to);
// The host, device and path slots of the handle's location type, -1 for none.
int pfa_get_component_mapping(const VynFile* file, int* host, int* device, int* path);

// The last position in [lo, hi) holding ch, -1 when none.
int pfa_last_sep_in_range(const char* text, int lo, int hi, char ch);
// The last element of [lo, hi) (a delimiter at hi - 1 is no part of it): true when
// *start < *end.
int pfa_last_delimited_range(const char* text, int lo, int hi, char delimiter, int* start,
                             int* end);
int pfa_comp_last_delim_range(const VynFile* file, int c, char delimiter, int* start,
                              int* end);
// Copies that last element into buffer (limit 260): 0, 11 for a bad handle, 2 none.
int pfa_last_delimited_substring(const VynFile* file, int c, char delimiter, char* buffer);

// Derived handles.
// out becomes dir with name appended to its location: 11 unless dir is a valid directory
// and out valid, else the join's code.
int pfa_make_subdir(const VynFile* dir, const char* name, VynFile* out);
// The directory that holds the file, or the parent of a directory (of the directory a
// path with ".." names, a ".." above the root staying at the root): 0; 14 at a root; 2
// for a directory path without an element to cut; 11 for invalid handles.
int pfa_make_parent(const VynFile* file, VynFile* out);
// out becomes the path of target relative to base (both directories of one location
// type, else 11): 0; 1 when hosts or devices differ or base is no prefix of target.
int pfa_get_relative_path(const VynFile* base, const VynFile* target, VynFile* out);

// The legacy component record.
struct PfaLegacyComponents {
  char component0[32];
  char component1[32];
  char path[260];
  char name[32];
  char extension[4];
};
static_assert(offsetof(PfaLegacyComponents, component1) == 32);
static_assert(offsetof(PfaLegacyComponents, path) == 64);
static_assert(offsetof(PfaLegacyComponents, name) == 324);
static_assert(offsetof(PfaLegacyComponents, extension) == 356);
static_assert(sizeof(PfaLegacyComponents) == 360);

// Fills the fields of the record from the handle (a name or extension too long for its
// field goes into the path field as "name.ext"). 11 for a bad handle, 4 when the path
// field would overflow (it is left empty).
int xdr_get_pfa_components(const VynFile* file, char* component0, char* component1,
                           char* path, char* name, char* extension);
// Sets the handle's components from the five texts (a path ending in a file name with
// name and extension empty is split).
int xdr_put_pfa_components(VynFile* file, const char* component0, const char* component1,
                           const char* path, const char* name, const char* extension);

}  // namespace vek
