// The local file system's directories: the listing of a directory (names, attributes
// and, when asked, 64-bit sizes and times), the directory record kept in a handle's
// location slot, and the access questions.
#pragma once

#include <cstdint>

#include "fileaccess/core/pfa.h"
#include "platform/w32/types.h"

namespace vek {

// A directory's entries: growable arrays ending with a null name and a 0 attribute;
// sizes and times (seconds since 1970) only when the opener asked for them.
struct NtListing {
  char** names;
  int index;  // the next entry to read
  std::uint32_t* attributes;
  std::int64_t* times;
  std::uint64_t* sizes;
};

// The location slot of a handle with an open directory.
struct PfaFsDir {
  NtListing* listing;
  std::uint32_t cachable;
  w32::HANDLE notification;  // null or INVALID_HANDLE_VALUE when none
  std::uint64_t last_write;  // a file time
  // 1 when a later test can prove the listing current: the watch was in place before the
  // listing was read (mode 1), or its last-write time was old enough that no change
  // could share it (mode 2).
  int provable;
};

// Seconds since 1970 of a file time.
std::int64_t FileTimeToTimeT(std::uint64_t file_time);

// The entries of path ("pfafs:drives" the drives, "\\" or "\\host" the network) that
// pattern (a prefix of names; null: all) finds. Null when the path cannot be listed.
NtListing* nt_opendir(const char* path, const char* pattern, int sizes_and_times);
// The next name (null at the end), *is_directory (may be null) from its attributes.
const char* nt_readdir(NtListing* listing, int* is_directory);
void nt_closedir(NtListing* listing);
NtListing* os_opendir(const char* path, const char* pattern);
const char* os_readdir(NtListing* listing, int* is_directory);
void os_closedir(NtListing* listing);

// Opens the handle's directory into the slot (a second open rewinds): 0 when the listing
// may be cached, 19 when it is open but not to be cached; 3 for a handle not on this
// machine, 4 when its name cannot be formed, 1 when it cannot be listed. full_name: the
// full name (UNC), else the name without its host.
int pfa_actually_open_dir(VynFile* file, void** slot, void* ignored, const char* pattern,
                          int sizes_and_times, int full_name);

// Size and modification time of an entry read from the open directory dir, from its
// listing: 1 with *status 0 and record filled, else 0 with *status -1.
int ntreaddir_fill_stat_buf(VynFile* dir, void** slot, VynFile* entry, int* status,
                            std::int64_t* size, std::int64_t* modified);

// Access of the handle: mode 0 exists, 1 execute, 2 write, 4 read; 1 allowed, 0 not.
int Win32_pfa_access_work(VynFile* file, int mode, int name_form);
// Access of a network handle (the last word is unused): without a share, modes 0 and 4
// ask whether the host answers and every other mode gives 0; with one, the local access
// work on the full name.
int PfaUNC_access(VynFile* file, int mode, int unused);
// 1 when a file can be made in the directory of name (or name itself when it is a
// directory), probed with a file of a fresh unique name that is deleted again.
int Win32_can_write_tmp_file(const char* name);
// 1 when the process may have desired access (FILE_GENERIC_READ or _WRITE) to name.
int CheckNTFSAccess(const char* name, w32::DWORD desired);
// 1 for the extensions "BAT", "COM", "EXE" and "DLL" (any case).
int pfafs_has_win32_exec_ext(const char* name);
int pfafs_get_mode_low(VynFile* file, char* name, int* mode);
int pfafs_get_owners_low(const char* name, char* owner, char* group, char* owner2);
int pfafs_chown_low(const char* name, const char* owner, const char* group);

// Installs the directory, access and owner methods of type 1, and their UNC forms.
void pfafs_register_dir_methods(int type);
void pfafs_register_unc_dir_methods(int type);

}  // namespace vek
