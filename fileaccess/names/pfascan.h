// Directory scanning with patterns and version merging, the version search of a name in
// a directory, and the resolution of the version rules from a listing.
#pragma once

#include "fileaccess/core/pfa.h"
#include "runtime/vekbase.h"

namespace vek {

// A scan filter: patterns of at most 31 characters (growable arrays of 32-byte texts
// and of their typed words), and which versions pass.
struct Pfa_Scan_Filter {
  char (*patterns)[32];
  int* typed;
  int count;
  int any_version;  // 1 also keeps each name once, with its highest version
  int version;      // the only version passed when any_version is 0
};

// Scan flags.
constexpr int PFA_SCAN_PRINT = 1;
constexpr int PFA_SCAN_FILES = 2;
constexpr int PFA_SCAN_DIRS = 4;
constexpr int PFA_SCAN_SORTED = 8;
constexpr int PFA_SCAN_KEEP_OPEN = 16;
constexpr int PFA_SCAN_INSTANCES = 32;

// Fills filter from a comma-separated pattern text: 0; 9 when the text is longer than
// 1,023 bytes or holds a pattern longer than 31 characters (the filter then matches no
// name).
int wstring_to_Pfa_Scan_FIlter(const VynWchar* text, int any_version, int version,
                               Pfa_Scan_Filter* filter);
int string_to_Pfa_Scan_Filter(const char* text, int any_version, int version,
                              Pfa_Scan_Filter* filter);
void pfa_clean_scan_filter(Pfa_Scan_Filter* filter);

// Lists the directory: *count entries in *list, records valid until the next scan. 0;
// 9 for null outs, 3 when the directory cannot be opened; a listing that breaks off
// gives the read's failure (4 for an entry whose name does not parse, 16 without
// memory) and no entries.
int pfa_scandir_low(VynFile* dir, int flags, Pfa_Scan_Filter* filter, void* subset, int* count,
                    VynFile*** list);
int pfa_scandir(VynFile* dir, int flags, Pfa_Scan_Filter* filter, int* count, VynFile*** list);
int pfa_scandir_simple(VynFile* dir, int flags, const VynWchar* filter_text, int* count,
                       VynFile*** list, int any_version);
// Lists the directory (wide name) and appends each entry's name formed with the mask as
// a new wide string to the growable array at *names: the count, 0 on any failure.
int pfa_scandir_to_array(const VynWchar* dir, const VynWchar* pattern, int mask, void* names);

// Whether a scan with flags and filter (null: every name) takes the entry name: 1, else 0.
// A directory needs PFA_SCAN_DIRS, a file PFA_SCAN_FILES, a pattern that its name without
// the version matches (as it stands or upper case; typed patterns only where the name's
// extension allows them) and, unless any version will do, the filter's version.
int pfautl_check_file(const char* name, int is_directory, Pfa_Scan_Filter* filter, int flags);
// Completes an entry read from dir: with instances, a family-instance name is marked
// generic and typed from its extension; a relative entry takes dir's location and is
// brought to standard form (a directory keeps its type); full names keep their case.
void pfautl_update_entry(VynFile* entry, const VynFile* dir, int is_directory, int instances);

// Orders: files before directories, then the name; then the version.
int pfautl_comp_name(const VynFile* a, const VynFile* b);
int pfautl_comp_all_versions(const VynFile* a, const VynFile* b);
// Merges: the kept record takes a higher version of the offered one; 0 when merged.
int pfautl_comp_highest_vers(VynFile* kept, VynFile* offered);
void sort_pfa_ptrs(VynFile** list, int count);

// The callback of a version search: the version of an entry named exactly as the name
// and of one named so in another case (-1 when the entry is not the name, 0 for the name
// without a version).
typedef void (*PfaVersionCallback)(int exact, int other_case, void* data);
// Offers every entry of the open directory that is not a directory to the callback: the
// location's answer.
int pfa_search_file_versions(VynFile* dir, const char* name, PfaVersionCallback callback,
                             void* data);
// The callbacks: the largest of each kind (int[2], both starting at -1); every version
// into two growable int arrays (void*[2]).
void take_max_vers(int exact, int other_case, void* data);
void collect_revs(int exact, int other_case, void* data);

// The version that rule 1 (highest) or 2 (next) gives for name in dir: 0; 7 without a
// directory or when it cannot be listed, 2 for rule 1 when nothing exists, 4 for rule 2
// when the highest version is 32767 (there is no next).
int pfa_get_file_vers_low(VynFile* dir, const char* name, int rule, int* version, int object_type,
                          int ask_location);
// Every version of the handle's file into a new growable int array at *versions: the
// count, -1 on failure.
int pfa_get_versions(VynFile* file, int** versions);

}  // namespace vek
