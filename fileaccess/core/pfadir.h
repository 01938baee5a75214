// Directory handles of the process: the current directory and the home directory,
// absolute paths, and the layer's notification hooks that may supply them.
#pragma once

#include "fileaccess/core/pfa.h"
#include "runtime/vekbase.h"

namespace vek {

// The current-directory record, null before its first use. It may not be freed or
// parsed into.
VynFile* get_Cur_Dir();
// Loads the record (made when missing): a copy of an absolute handle, else the
// process's current directory. 0; 1 when it cannot be made or read.
int load_pfa_cur_dir(const VynFile* from);
// The handle that a hook of kind 1 supplies, else the current-directory record (loaded
// on first use; null when it cannot be made).
VynFile* pfa_get_cur_dir();
// A copy of the home directory (HOME, else HOMESHARE or HOMEDRIVE followed by HOMEPATH)
// into out: 0, 1 when there is none, 11 for an invalid out.
int pfa_get_home_dir(VynFile* out);
// Makes dir the current directory (the layer's, never the process's): the kind 2 hooks
// are asked first, called as the kind 1 hooks, and one that answers nonzero supplies the
// directory to use. 0; 11 unless a valid, shell-compatible directory, 7 when it is not
// on this machine, 4 when its location cannot be formed, 1 when the change fails (the
// current directory is then as it was). The current-directory record follows.
int pfa_chdir(VynFile* dir);
// A new directory handle for the directory that holds the file (a copy of a directory
// handle); null on failure.
VynFile* extract_pfa_dir(const VynFile* file);
// Makes a relative or drive-relative name absolute: 0, 1 when a drive's directory
// cannot be had, 11 for an invalid handle, else the join's code.
int pfa_make_absolute_path(VynFile* file);
// 1 when the command processor's "DisableUNCCheck" is set.
int nt_can_have_unc_cwd();

// The layer's notification application ("ctpfa") and its hooks. Kind 1 hooks supply the
// current directory: called as hook(data, current-directory record, &out), the first
// that answers nonzero gives out.
constexpr int PFA_NOTIFY_CUR_DIR = 1;
constexpr int PFA_NOTIFY_CHDIR = 2;
typedef int (*PfaDirHook)(VynWord data, VynFile* cur_dir, VynFile** out);
int pfa_notification_app_id();
// extra: called with the address of data when the hook is removed (may be null). The
// hook's id.
int PfaNotificationAdd(int kind, PfaDirHook function, VynWord data, void (*extra)(VynWord*));
void PfaNotificationRemove(int kind, PfaDirHook function);
void PfaNotificationIdRemove(int kind, int id);

// Creating, reading and deleting directories.
// Makes the directory, and first every missing directory above it: 0; 11 invalid, 9 not
// a directory, 12 when it exists, 7 when its parent cannot be written, else the
// location's answer. The path is made absolute first.
int pfa_make_dir(VynFile* dir);
// A fresh temporary directory name (pfa_make_temp_file with type -5), then pfa_make_dir.
int pfa_make_temp_dir(VynFile* dir);
// The next entry of the open directory into entry: 0, nonzero at the end of the listing.
// An entry without a location takes the directory's (and type -4); the entry keeps the
// case of its name. 11 unless dir is a valid directory and entry valid, 10 when dir is
// not open.
int pfa_read_dir(VynFile* dir, VynFile* entry);
// Deletes the directory (pfa_delete_dir) or only what it holds (pfa_delete_dir_contents,
// always recursive). A recursive delete checks the whole tree first: an entry that
// cannot be written (with force: not even after being given permission 0777) gives 7
// and nothing is deleted. A symbolic link is deleted as itself, never followed. With
// force, every entry and the directory that still exist on return have their permission
// as before. 11 unless a valid directory, 8 when open, 7 when the directory cannot be
// written (or, with force, made writable); else the first failure of the walk.
int pfa_delete_dir(VynFile* dir, int recursive, int force);
int pfa_delete_dir_contents(VynFile* dir, int force);
// The check of a recursive delete without force, alone: 0 when the directory and every
// entry of the tree below it can be written, else the code pfa_delete_dir would give.
// Nothing is deleted or changed.
int pfa_check_dir_deletable(VynFile* dir);
// A directory handle of a fresh name beside dir (in the directory that holds it, from
// the temporary-name service) into *out: 0; else the failure, *out null.
int pfa_dir_name_beside(const VynFile* dir, VynFile** out);
// Moves the source directory to destination, or into it under the source's own name
// when it exists: 0; 11 unless both are valid directories, 2 for a missing source, 12
// when the target exists, 7 when the target's parent cannot be written or either side
// is not on this machine. Between location types the tree is copied (each entry keeping
// its permission); once the whole copy stands the source is renamed beside itself and
// deleted under that name. A failure before that rename leaves the source as it was and
// removes the partial target. When the renamed source cannot all be deleted, the target
// stands whole, the source's name is free, what is left of the source stays beside it
// under the fresh name and the result is the deletion's failure. A tree holding a
// symbolic link cannot be moved by copying (8). The destination handle then names the
// target.
int pfa_move_dir(VynFile* source, VynFile* destination);

// Directory display, asked of the directory's location (11 for an invalid handle unless
// said; -1 when the location lacks the method).
// The display modes the directory allows (1 for an invalid handle).
int pfadir_get_allowed_disp_modes(VynFile* dir, void* modes, void* current);
int pfadir_get_num_detail_columns(VynFile* dir, void* count);
int pfadir_get_column_info(VynFile* dir, void* a, int column, void* b, void* c, void* d,
                           void* e);
int pfadir_cleanup_entry_info(VynFile* dir, void* info);
// What the entry's location tells of it: the method gets the entry, the three ints, then
// the four pointers with first in front.
int pfadir_get_entry_info(VynFile* entry, void* first, int a, int b, int c, void* p1, void* p2,
                          void* p3);
// The detail configurations: two new growable arrays (element a pointer) into *names and
// *data, which the location fills, given their addresses and a and b. 9 for a null out
// (nothing allocated).
int pfadir_get_detail_configs(VynFile* dir, void** names, void** data, void* a, void* b);
// The address of the folder's contents, as its location gives its properties address.
int pfadir_folder_contents_url(VynFile* dir, void* url);
// 1 only when the location answers 1; 0 for an invalid handle.
int pfadir_has_detail_configs(VynFile* dir, void* a, void* b);
int pfadir_set_detail_config(VynFile* dir, void* a, void* b);
// Frees each nonzero word of data (12 words, one per location type) through that type.
void pfadir_free_det_config_data(VynWord* data);
int pfa_get_properties_url(VynFile* file, void* url);
// Asks every registered location type for its browser configuration values (each
// answer fills what the three pointers lead to); 0.
int pfa_get_browse_config_items(void* a, void* b, void* c);
// The top-level folders: a new growable array of handles (element VynFile*) that each
// registered location type and then the user-managed location layer fill, each given
// the address of the array variable and argument. 0 with *folders set; 2 when no folder
// came (nothing is left allocated, *folders null), 9 for a null out, 6 without memory.
int pfa_get_top_level_folders(VynFile*** folders, void* argument);
// The browser's shortcuts: three new growable arrays of texts (element char*) that each
// registered location type fills, given argument and the addresses of the three array
// variables. 0 with the arrays set (possibly empty); 9 for a null out, 6 without memory
// (nothing left allocated).
int pfa_get_browser_shortcuts(void* argument, char*** a, char*** b, char*** c);
// Frees each handle of the array (closing an open one) and the array; clears *folders.
void pfa_free_folder_xarray(VynFile*** folders);
// The user-interface texts of the handle (four outs, each may be null) as its location
// gives them with other; when other is the handle itself, the user-managed location
// layer completes them. 11 for an invalid handle, else the location's answer.
int pfa_get_ui_info(VynFile* file, VynFile* other, void* a, void* b, void* c, void* d);
// The name of the handle's top parent into out as its location gives it, then completed
// by the user-managed location layer (given out and no second argument). 11 for an
// invalid handle, else the location's answer.
int pfa_top_parent_name(VynFile* file, void* out);

}  // namespace vek
