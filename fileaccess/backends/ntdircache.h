// Whether a cached directory listing is still good, on this system: per-drive
// cachability, change notifications (mode 1) or last-write times (mode 2), and the clock
// offsets of file servers.
#pragma once

#include <cstdint>

#include "fileaccess/names/drives.h"
#include "platform/w32/types.h"

namespace vek {

// The caching mode: 0 off, 1 change notifications, 2 last-write times (at start). The
// setter returns the previous mode.
int set_nt_directory_caching(int mode);
int get_nt_directory_caching();

// What the cache knows of a drive: its information, and whether modes 1 and 2 may cache
// its directories (its file system is "NTFS").
struct NtDriveRecord {
  Win32DriveInfo info;
  int cachable[2];
};
// The record of a drive letter (either case), read with get_win32_drive_info and
// appended on first use; null for a letter that is not alphabetic or a drive whose
// information cannot be read (asked again next time). Records stay where they are for
// the process. get_win32_cached_drive_info is the same lookup.
const NtDriveRecord* get_nt_drive_info(int letter);
const NtDriveRecord* get_win32_cached_drive_info(int letter);
// Reads the drive's information and appends its record (the one there when the letter
// has one already): the record, or null.
const NtDriveRecord* append_drive(int letter);

// With debugging on, "nt_cache> name label m/d/y hh:mm:ss:mmm" of a file time in local
// time.
void nt_show_filetime(const char* name, const char* label, std::uint64_t time);

// 1 when the drive's file system lets the current mode cache ("NTFS"); 0 in mode 0, for
// a letter without a drive record.
int is_drive_cachable(int letter);
// The drive letter of a name: its own, the current drive's for a name without one, 0
// for a network name.
int nt_drive_letter_of(const char* name);
// 1 for a network drive.
int nt_is_remote_drive(int letter);
// 1 for a drive whose file system is "Samba" and which mode 1 cannot cache.
int nt_is_samba_drive(int letter);

// The cache fields of a directory that was just listed: *cachable from its drive,
// *notification (mode 1) or *time (mode 2) for the later test. 1 when the listing may
// be cached: cachable, and a valid notification (mode 1) or a last-write time that is
// not too recent (mode 2); else 0.
int nt_directory_cache_init_fields(const char* name, std::uint32_t* cachable,
                                   w32::HANDLE* notification, std::uint64_t* time);
// 1 while a cached listing is good: the notification has not fired (mode 1; a fired
// one is closed and cleared) or the last-write time is unchanged (mode 2). 0 in mode 0.
int nt_directory_cache_still_valid(const char* name, std::uint32_t cachable,
                                   w32::HANDLE* notification, std::uint64_t time);
// 1 when a directory written at time (a file time) may still change within the clock's
// grain: 2 s on a local drive, 30 s (server clock corrected) on a network one, where an
// unknown server offset counts as too recent.
int nt_dir_mod_time_too_recent(const char* name, std::uint64_t time);
// The last-write time of a directory as a file time: 1, else 0.
int nt_directory_get_mod_time(const char* name, std::uint64_t* time);
// The clock offset (server minus local, 100 ns units) of a server: 1 when known.
int nt_host_time_adjustment(const char* server, std::int64_t* offset);

// 1 when ___DIR_CACHE_DEBUG is set and does not begin with 'f' or 'F' (read once).
int pfa_dir_cache_debug();

}  // namespace vek
