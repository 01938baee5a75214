// File names: substitution, the text rules of location paths, and the setters of a
// handle's single fields.
#pragma once

#include "fileaccess/core/pfa.h"

namespace vek {

// Copies in to out (limit bytes), then replaces each '$' and the variable name after it
// (up to the first '/', '\\', '.' or ']', or the end) by the variable's value. A '$'
// followed directly by a separator, or a variable without a value, stays; inserted
// values are not scanned again. 1; 0 when the text would reach limit: out then ends at
// the '$' that would have overflowed it (empty when in itself does not fit), and
// nothing is ever written past limit.
int substitute_env_vars(const char* in, char* out, int limit);

// Removes, in a path with '/' separators, every ".." element (preceded by '/' at offset 2
// or later, followed by '/' or the end) together with the element before it, unless
// that element is itself ".." or empty; repeated until none is left. 1 when anything
// was removed.
int pfa_remove_redundant_updirs(char* path);

// The component that the location type names host or device, into a buffer of 32: 0;
// 11 for an invalid handle or buffer or a location type without one (empty buffer); 1
// when it does not fit (empty buffer).
int pfa_get_host(const VynFile* file, char* buffer);
int pfa_get_device(const VynFile* file, char* buffer);
// The path component as native text, into a buffer of 260: up to its last '/', without
// the elements that a ".." takes back, every '/' written as '\\'. Empty when the
// location type has no path. 11 for an invalid handle or buffer.
int pfa_get_path(const VynFile* file, char* buffer);

// Field setters. 11 for an invalid handle.
// Host and device (11 when the location type has none, 9 for a null text or one of 32
// characters or more) and path (11 without a path, 9 for a null text or one that would
// reach 260 characters). The path is normalised: '\\' becomes '/', "./" at the start or
// after a separator is dropped, and a nonempty path ends with '/'. A handle of location
// type 0 becomes a local one first.
int pfa_put_host(VynFile* file, const char* text);
int pfa_put_device(VynFile* file, const char* text);
int pfa_put_path(VynFile* file, const char* text);
// The version, -32768 to 32767 (else 9); clears the exact-case flag.
int pfa_put_version(VynFile* file, int version);
// The stream's text converter; 9 for a directory.
int pfa_put_encode(VynFile* file, int encode);
// The location type; 9 unless the type is registered.
int pfa_put_location_type(VynFile* file, int type);
// 1 when the handle is of that location type.
int pfa_is_location(const VynFile* file, int type);

}  // namespace vek
