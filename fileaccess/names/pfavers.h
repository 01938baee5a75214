// Versions of a handle's file, and the user-managed location layer's hooks.
#pragma once

#include "fileaccess/core/pfa.h"
#include "runtime/vekbase.h"

namespace vek {

// The version that rule gives: 0 the handle's own; 1 the highest existing and 2 the next
// to write, as the location answers them or else read from the directory's listing. 11
// for an invalid handle, 9 for a null out or another rule, 2 for a negative answer and
// for rule 1 when nothing exists, 7 when the directory cannot be listed, 4 for rule 2
// after version 32767.
int pfa_get_file_vers(VynFile* file, int rule, int* version);

// The user-managed location layer: four hooks, any of them null.
typedef int (*PfaUmTopLevelFolders)(void* array, void* argument);
typedef int (*PfaUmTopParentName)(VynFile* file, void* a, void* b);
typedef int (*PfaUmGetUiInfo)(void* a, void* b, void* c, void* d, void* e);
typedef int (*PfaUmMakeParent)(VynFile* file, VynFile* parent);
// Stores the hooks (all null unregisters); a second non-empty set is refused. 1 when
// stored.
int pfa_register_ui_mgr(PfaUmTopLevelFolders top_level_folders, PfaUmTopParentName top_parent_name,
                        PfaUmGetUiInfo get_ui_info, PfaUmMakeParent make_parent);
int pfaum_top_level_folders(void* array, void* argument);
int pfaum_top_parent_name(VynFile* file, void* a, void* b);
int pfaum_get_ui_info(void* a, void* b, void* c, void* d, void* e);
// The hook's answer, 2 without one.
int pfaum_make_parent(VynFile* file, VynFile* parent);

}  // namespace vek
