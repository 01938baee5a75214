// The directory cache: listings of opened directories kept by private copies of their
// handles and lent to the next open of the same directory, dropped after every change
// to the file system; the opens and the close that go through it; the count of open
// handles on remote locations.
#pragma once

#include "fileaccess/core/pfa.h"
#include "runtime/vekbase.h"

namespace vek {

// Opens a directory handle's listing, from the cache when it holds a good one (the
// handle then borrows it: flag 0x200). pattern is passed on only to locations that list
// subsets; subset and instances go to the location's directory open (for local
// directories a non-null subset asks for sizes and times). 0; 11 for an invalid handle
// or one that is no directory, 3 for one not on this machine or already open, 4 when
// its name cannot be formed, else the location's failure.
int pfa_open_dir_subset(VynFile* dir, const char* pattern, void* subset, int instances);
int pfa_open_dir(VynFile* dir);

// The cache lookup: 1 when name has an entry (*copy, when asked, the copy now lent to
// the caller, or null when it is lent already or must be dropped), 0 when it has none
// (a stale entry is dropped). returning: the close of a borrower looks for its donor,
// neither checking nor dropping. force_drop drops the entry.
int pfa_dir_from_cache(const char* name, VynFile** copy, int* index, int returning,
                       VynFile* handle, int force_drop);
// Offers an open directory's fresh listing (open_result 0 or 19) to the cache: 1 when
// an entry was made (the handle then borrows from it), 0 when the handle keeps its own.
int pfa_add_dir_to_cache(const char* name, VynFile* handle, int open_result);
// Closes and frees an entry: 0, or the failed close (the entry stays).
int pfadc_clean_cache_entry(int index);

// Counts a handle among the open remote files when it opens (flag 0x800), and no longer
// when it closes.
void pfa_update_remote_count(VynFile* file, int opening);
int pfa_num_open_remote_files();

// Unbuffers an open stream: 0; 11 for an invalid or directory handle, 10 when closed.
int pfa_unbuffer(VynFile* file);
// The flags with the binary bit; the binary form of a plain mode ("r+" gives "rb+").
int binary_flags(int flags);
const char* binary_mode(const char* mode);

// Dropping entries after a change: of the directory that holds a file name (a
// directory's parent for a directory); of a handle's directory; of one directory by
// name (made absolute) or by absolute name, under whatever spelling of the name it was
// cached. Always 0.
int pfa_file_name_update_dir_cache(const char* name);
int pfa_dir_cache_update(VynFile* file);
int pfa_dir_name_update_cache(const char* name);
int pfa_full_dir_name_update_cache(const char* name);

// Automatic caching on or off: the previous setting. The listeners registered for the
// layer's notification application under event 3 are called as listener(data, new
// setting, old setting).
typedef void (*PfaDirCacheListener)(VynWord data, int now_on, int was_on);
int pfa_set_dir_cache(int on);
// Always caches the directory of name. 1.
int pfa_force_cache_dir(const char* name);
int is_name_forced_cache(const char* location);
// The number of entries beyond which the least recently used is reused (256); the
// setter reads the new one from text ("%d"), keeps the old one when it cannot (or for
// values below 1), and returns the previous maximum.
int get_dir_cache_max();
int set_dir_cache_max(VynWord ignored, const VynWchar* text);
// Application data of the cache entry of the handle's location (null when not cached).
VynWord* pfadc_find_appdata(VynFile* file, int id, int create);
// Entries in use.
int pfa_dir_cache_entries();

}  // namespace vek
