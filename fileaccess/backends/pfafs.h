// Registration of the location types of this system: local files and drive paths, the
// standard streams and UNC paths.
#pragma once

#include "fileaccess/core/pfa.h"

namespace vek {

// Registers the local file system (type 1), then the standard streams (type 8).
int pfa_register_std_filesystem();
// Registers the standard streams (type 8); in pfastdio.cpp.
int pfa_stdio_register();
// Registers UNC paths (type 4).
int pfa_register_unc_filesystem();

// Splits text (length bytes, starting at offset start of the claimed name) into the path,
// stored with pfa_put_path, and the base name: *name_offset (may be null: the whole text
// is the path) gets where the base name begins. A base name "." is passed over, and so
// is "..", which is added to the path as "../" when there was a delimiter. 9 when the
// path cannot be stored.
int claim_location(VynFile* file, const char* text, int length, int start, int* name_offset);
// Claims a network name: two slashes or two backslashes (not three), the host, then
// optionally the share and a path. 9 for any other text.
int PfaUNC_claim_location(VynFile* file, void* text, void* colon, void* name_offset);
// The parent of a network directory into out (copied there first): 1 for a path below
// the share's root (the generic rule applies); a share's root gives its host, a host the
// network root "//", which has none (14).
int PfaUNC_make_parent(VynFile* file, VynFile* out);
// Claims a local name (colon: the text's first ':', may be null): "pfafs:drives" (device
// "/"), the neutral form "/////host///device/path", "host:path", "host::device:path",
// "device:path", "$device/path", "\\host\C$\path" and plain paths. 9 when a host or
// device is longer than 31 characters or a name of two backslashes is no
// administrative share.
int pfafs_claim_location(VynFile* file, void* text, void* colon, void* name_offset);
// 1 for a local handle with a drive but no root ("D:x").
int pfafs_loc_is_NT_drive_relative(const VynFile* file);
// 'A' to 'Z' and 'a' to 'z' give 1 to 26, anything else -1.
int pfafs_NT_drive_letter_to_int(int letter);
// 1 when a network listing of the name ("\\host", "\\" for the whole network) can be
// opened.
int nt_is_valid_host(const char* name);

}  // namespace vek
