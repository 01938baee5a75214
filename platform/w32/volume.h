// Drives and network names: the type and volume of each drive, its free space, the
// network connection behind a drive letter, and the listing of the hosts and shares under
// the UNC root (path.h: its directories are hosts, theirs shares).
//
// Each drive has a record that tests set (volume_testing.h); at start a mapped drive is a
// fixed disk with an "NTFS" volume and no connection. Every call here consults the fault
// facility (fault.h) under its own name (with its root, drive or host); GetDriveType
// answers DRIVE_UNKNOWN when armed, the WNet calls return the armed code.
#pragma once

#include "platform/w32/types.h"

namespace w32 {

constexpr UINT DRIVE_UNKNOWN = 0;
constexpr UINT DRIVE_NO_ROOT_DIR = 1;
constexpr UINT DRIVE_REMOVABLE = 2;
constexpr UINT DRIVE_FIXED = 3;
constexpr UINT DRIVE_REMOTE = 4;
constexpr UINT DRIVE_CDROM = 5;
constexpr UINT DRIVE_RAMDISK = 6;

constexpr DWORD FILE_CASE_PRESERVED_NAMES = 0x2;
constexpr DWORD FILE_UNICODE_ON_DISK = 0x4;
constexpr DWORD FILE_PERSISTENT_ACLS = 0x8;

// The type of the drive of root ("X:\", "X:", or null for the current drive), or of a
// "\\host\share\" root: DRIVE_REMOTE when the share exists. DRIVE_NO_ROOT_DIR for an
// unmapped drive, a missing share or a name that is no root.
UINT GetDriveTypeA(const char* root);
UINT GetDriveTypeW(const WCHAR* root);

// The media types a removable drive's device reports (what the disk geometry query of
// the device answers on Windows), as the drive's record configures them: how many were
// copied into types (at most capacity), 0 when none are configured, -1 for a bad letter.
inline constexpr int kMediaTypeCount = 16;
int w32_drive_media_types(char letter, int* types, int capacity);

// The mapped drives, bit 0 for "A:".
DWORD GetLogicalDrives();

// The volume of the drive of root (as GetDriveTypeA): its label, serial number, longest
// component (255), flags (case-preserving and Unicode names, and persistent access lists
// on "NTFS") and file-system name; every out pointer may be null. FALSE with
// ERROR_PATH_NOT_FOUND for an unmapped drive or a missing share, ERROR_BAD_LENGTH when a
// text does not fit its buffer.
BOOL GetVolumeInformationA(const char* root, char* volume_name, DWORD volume_name_size,
                           DWORD* serial_number, DWORD* max_component_length,
                           DWORD* file_system_flags, char* file_system_name,
                           DWORD file_system_name_size);

// The free and total space of the file system of root's directory (statvfs), told as
// 512-byte sectors in clusters of the file system's block; cluster counts beyond 32 bits
// are clamped. FALSE with the reasons of GetVolumeInformationA.
BOOL GetDiskFreeSpaceA(const char* root, DWORD* sectors_per_cluster, DWORD* bytes_per_sector,
                       DWORD* free_clusters, DWORD* total_clusters);

// Result codes of the network calls (ERROR_SUCCESS on success).
constexpr DWORD ERROR_BAD_DEVICE = 1200;

// The remote name ("\\host\share") that the drive local ("X:") is connected to: copied
// into remote when it fits *length bytes; else ERROR_MORE_DATA with the size needed in
// *length. ERROR_NOT_CONNECTED for a drive without a connection, ERROR_BAD_DEVICE for a
// name that is no drive, ERROR_INVALID_PARAMETER for null pointers.
DWORD WNetGetConnectionA(const char* local, char* remote, DWORD* length);

constexpr DWORD RESOURCE_GLOBALNET = 0x2;
constexpr DWORD RESOURCETYPE_ANY = 0x0;
constexpr DWORD RESOURCETYPE_DISK = 0x1;
constexpr DWORD RESOURCEUSAGE_CONNECTABLE = 0x1;
constexpr DWORD RESOURCEUSAGE_CONTAINER = 0x2;
constexpr DWORD RESOURCEDISPLAYTYPE_SERVER = 0x2;
constexpr DWORD RESOURCEDISPLAYTYPE_SHARE = 0x3;

struct NETRESOURCEA {
  DWORD dwScope;
  DWORD dwType;
  DWORD dwDisplayType;
  DWORD dwUsage;
  char* lpLocalName;
  char* lpRemoteName;
  char* lpComment;
  char* lpProvider;
};
static_assert(sizeof(NETRESOURCEA) == 48);

// Starts a listing: of the hosts when resource is null or names no remote name, of the
// shares of host when its lpRemoteName is "\\host". ERROR_BAD_NET_NAME for an unknown
// host, ERROR_INVALID_PARAMETER for a null handle pointer.
DWORD WNetOpenEnumA(DWORD scope, DWORD type, DWORD usage, NETRESOURCEA* resource,
                    HANDLE* enumeration);

// Fills buffer (*size bytes) with up to *count records (0xFFFFFFFF: as many as fit),
// their texts after them, in name order; *count gets how many. ERROR_NO_MORE_ITEMS at the
// end; ERROR_MORE_DATA with the size one record needs in *size when not even one fits.
DWORD WNetEnumResourceA(HANDLE enumeration, DWORD* count, void* buffer, DWORD* size);

// Ends a listing; ERROR_INVALID_HANDLE for anything else.
DWORD WNetCloseEnum(HANDLE enumeration);

}  // namespace w32
