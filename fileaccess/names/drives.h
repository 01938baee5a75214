// The machine's drives: a record per drive letter (volume, network connection, media),
// the drives the user may see, and the media and size classes of removable drives.
#pragma once

#include <cstddef>

namespace vek {

// One drive, zero-filled before it is filled.
struct Win32DriveInfo {
  char label[260];        // volume name; empty for removable drives
  char server[260];       // a network drive's server
  char share[260];        // a network drive's share
  char file_system[32];   // from the volume information
  int letter;
  int type;               // as GetDriveTypeA: 2 removable, 3 fixed, 4 remote...
  int media;              // removable drives: the media type; else 0
  int size_class;         // removable drives: 3, 5 or 8 inches, -1 unknown
};
static_assert(offsetof(Win32DriveInfo, server) == 260);
static_assert(offsetof(Win32DriveInfo, share) == 520);
static_assert(offsetof(Win32DriveInfo, file_system) == 780);
static_assert(offsetof(Win32DriveInfo, letter) == 812);
static_assert(offsetof(Win32DriveInfo, type) == 816);
static_assert(offsetof(Win32DriveInfo, media) == 820);
static_assert(offsetof(Win32DriveInfo, size_class) == 824);
static_assert(sizeof(Win32DriveInfo) == 828);

// Fills record for the drive "letter:\": 0; 4 for a drive with no root directory, 9 for a
// null record. The volume is read when probe is set or the drive is neither removable
// nor remote; a remote drive's connection gives server and share.
int get_win32_drive_info(int letter, Win32DriveInfo* record, int probe);
// The media type of a removable drive (11, removable media, when the device cannot be
// asked, as here); 0 for any other drive.
int get_win32_drive_media(int letter);
// The media type that a walk over a disk's geometry entries gives (their media types in
// order), starting from 11.
int nt_media_from_geometry(const int* types, int count);
// The media type of a block device's device-type byte; 11 for an unknown byte.
int media_from_device_type(int device_type);
// The diameter class of a media type: 5, 3, 8 or -1.
int get_win32_drive_size(int media);
// The explorer's hidden drives ("NoDrives"), 0 when not set.
unsigned get_win32_hidden_drives();
// Appends the record of each drive present and not hidden to the growable array at
// *records (made when null): the array's count afterwards.
int get_win32_valid_drives(void** records);

}  // namespace vek
