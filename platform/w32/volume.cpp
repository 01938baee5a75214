#include "platform/w32/volume.h"

#include <dirent.h>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/w32/ascii.h"
#include "platform/w32/codepage.h"
#include "platform/w32/environment.h"
#include "platform/w32/error.h"
#include "platform/w32/fault.h"
#include "platform/w32/handle.h"
#include "platform/w32/path.h"
#include "platform/w32/volume_testing.h"

namespace w32 {

namespace {

constexpr int kDriveCount = 26;
constexpr std::size_t kTextSize = 64;

// Zero is the start record: a fixed "NTFS" disk without label or connection.
struct DriveRecord {
  bool set;
  UINT type;
  char file_system[kTextSize];
  char label[kTextSize];
  char remote[MAX_PATH];
  int media_types[kMediaTypeCount];  // what the device reports it can take, as configured
  int media_count;
};

DriveRecord g_records[kDriveCount];
pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;

BOOL fail(DWORD code) {
  SetLastError(code);
  return FALSE;
}

// What a root name names: a drive (0-25), a share (-1) or nothing (-2). *posix gets the
// POSIX directory of a drive or share that resolves.
int root_of(const char* root, char (&posix)[W32_PATH_CAPACITY]) {
  char current[W32_PATH_CAPACITY];
  if (root == nullptr) {
    if (GetCurrentDirectoryA(sizeof current, current) == 0) return -2;
    current[2] = '\\';
    current[3] = '\0';
    root = current;
  }
  int kind = -2;
  if (is_path_delimiter(root[0]) && is_path_delimiter(root[1])) {
    kind = -1;
  } else if (((root[0] >= 'A' && root[0] <= 'Z') || (root[0] >= 'a' && root[0] <= 'z')) &&
             root[1] == ':' && (root[2] == '\0' || (is_path_delimiter(root[2]) && root[3] == '\0'))) {
    kind = ascii_lower(root[0]) - 'a';
  }
  if (kind == -2) return -2;
  char name[W32_PATH_CAPACITY];
  std::size_t length = std::strlen(root);
  if (length + 2 > sizeof name) return -2;
  std::memcpy(name, root, length + 1);
  if (!is_path_delimiter(name[length - 1])) std::strcat(name, "\\");
  if (!w32_resolve_path_a(name, posix, sizeof posix)) return -2;
  struct stat st;
  if (kind == -1 && (stat(posix, &st) != 0 || !S_ISDIR(st.st_mode))) return -2;
  return kind;
}

UINT drive_type(int drive) {
  pthread_mutex_lock(&g_lock);
  UINT type = g_records[drive].set ? g_records[drive].type : DRIVE_FIXED;
  pthread_mutex_unlock(&g_lock);
  return type;
}

bool copy_text(const char* text, char* buffer, DWORD size) {
  if (buffer == nullptr) return true;
  std::size_t length = std::strlen(text);
  if (length + 1 > size) return false;
  std::memcpy(buffer, text, length + 1);
  return true;
}

// A listing of hosts or shares: the names and the prefix of their remote names.
struct NetEnum {
  W32HandleObject head;
  std::vector<std::string> remote_names;
  std::size_t next;
  DWORD display_type;
  DWORD usage;
};

void destroy_enum(W32HandleObject* object) { delete reinterpret_cast<NetEnum*>(object); }

}  // namespace

namespace {

UINT drive_type_of(const char* root) {
  char posix[W32_PATH_CAPACITY];
  int kind = root_of(root, posix);
  if (kind == -2) return DRIVE_NO_ROOT_DIR;
  return kind == -1 ? DRIVE_REMOTE : drive_type(kind);
}

}  // namespace

UINT GetDriveTypeA(const char* root) {
  if (w32_fault_hit("GetDriveTypeA", root)) return DRIVE_UNKNOWN;
  return drive_type_of(root);
}

int w32_drive_media_types(char letter, int* types, int capacity) {
  char lower = ascii_lower(letter);
  if (lower < 'a' || lower > 'z' || !types || capacity < 0) return -1;
  pthread_mutex_lock(&g_lock);
  const DriveRecord& record = g_records[lower - 'a'];
  int count = std::min(record.media_count, capacity);
  std::copy(record.media_types, record.media_types + count, types);
  pthread_mutex_unlock(&g_lock);
  return count;
}

UINT GetDriveTypeW(const WCHAR* root) {
  if (w32_fault_hit("GetDriveTypeW", root)) return DRIVE_UNKNOWN;
  char narrow[W32_PATH_CAPACITY];
  if (root != nullptr &&
      WideCharToMultiByte(CP_ACP, 0, root, -1, narrow, sizeof narrow, nullptr, nullptr) == 0)
    return DRIVE_NO_ROOT_DIR;
  return drive_type_of(root != nullptr ? narrow : nullptr);
}

DWORD GetLogicalDrives() {
  if (w32_fault_hit("GetLogicalDrives")) return 0;
  DWORD drives = 0;
  for (int drive = 0; drive < kDriveCount; ++drive) {
    char root[4] = {static_cast<char>('A' + drive), ':', '\\', '\0'};
    char posix[W32_PATH_CAPACITY];
    if (w32_resolve_path_a(root, posix, sizeof posix)) drives |= DWORD{1} << drive;
  }
  SetLastError(ERROR_SUCCESS);
  return drives;
}

BOOL GetVolumeInformationA(const char* root, char* volume_name, DWORD volume_name_size,
                           DWORD* serial_number, DWORD* max_component_length,
                           DWORD* file_system_flags, char* file_system_name,
                           DWORD file_system_name_size) {
  if (w32_fault_hit("GetVolumeInformationA", root)) return FALSE;
  char posix[W32_PATH_CAPACITY];
  int kind = root_of(root, posix);
  if (kind == -2) return fail(ERROR_PATH_NOT_FOUND);
  char file_system[kTextSize] = "NTFS";
  char label[kTextSize] = "";
  if (kind >= 0) {
    pthread_mutex_lock(&g_lock);
    if (g_records[kind].set) {
      std::strcpy(file_system, g_records[kind].file_system);
      std::strcpy(label, g_records[kind].label);
    }
    pthread_mutex_unlock(&g_lock);
  }
  if (!copy_text(label, volume_name, volume_name_size) ||
      !copy_text(file_system, file_system_name, file_system_name_size))
    return fail(ERROR_BAD_LENGTH);
  struct stat st;
  DWORD serial = stat(posix, &st) == 0 ? static_cast<DWORD>(st.st_dev) : 0;
  if (serial_number != nullptr) *serial_number = serial;
  if (max_component_length != nullptr) *max_component_length = 255;
  if (file_system_flags != nullptr)
    *file_system_flags = FILE_CASE_PRESERVED_NAMES | FILE_UNICODE_ON_DISK |
                         (std::strcmp(file_system, "NTFS") == 0 ? FILE_PERSISTENT_ACLS : 0);
  return TRUE;
}

BOOL GetDiskFreeSpaceA(const char* root, DWORD* sectors_per_cluster, DWORD* bytes_per_sector,
                       DWORD* free_clusters, DWORD* total_clusters) {
  if (w32_fault_hit("GetDiskFreeSpaceA", root)) return FALSE;
  char posix[W32_PATH_CAPACITY];
  if (root_of(root, posix) == -2) return fail(ERROR_PATH_NOT_FOUND);
  struct statvfs fs;
  if (statvfs(posix, &fs) != 0) return fail(w32_error_from_errno(errno));
  unsigned long long block = fs.f_frsize != 0 ? fs.f_frsize : fs.f_bsize;
  unsigned long long sectors = block / 512 != 0 ? block / 512 : 1;
  auto clamp = [](unsigned long long value) {
    return static_cast<DWORD>(std::min<unsigned long long>(value, 0xFFFFFFFFull));
  };
  if (sectors_per_cluster != nullptr) *sectors_per_cluster = clamp(sectors);
  if (bytes_per_sector != nullptr) *bytes_per_sector = 512;
  if (free_clusters != nullptr) *free_clusters = clamp(fs.f_bavail * block / (sectors * 512));
  if (total_clusters != nullptr) *total_clusters = clamp(fs.f_blocks * block / (sectors * 512));
  return TRUE;
}

DWORD WNetGetConnectionA(const char* local, char* remote, DWORD* length) {
  if (DWORD code = w32_fault_code("WNetGetConnectionA", local)) return code;
  if (local == nullptr || length == nullptr) return ERROR_INVALID_PARAMETER;
  bool letter = (local[0] >= 'A' && local[0] <= 'Z') || (local[0] >= 'a' && local[0] <= 'z');
  if (!letter || local[1] != ':' || local[2] != '\0') return ERROR_BAD_DEVICE;
  int drive = ascii_lower(local[0]) - 'a';
  char name[MAX_PATH];
  pthread_mutex_lock(&g_lock);
  std::strcpy(name, g_records[drive].set ? g_records[drive].remote : "");
  pthread_mutex_unlock(&g_lock);
  if (name[0] == '\0') return ERROR_NOT_CONNECTED;
  DWORD needed = static_cast<DWORD>(std::strlen(name) + 1);
  if (remote == nullptr || *length < needed) {
    *length = needed;
    return ERROR_MORE_DATA;
  }
  std::memcpy(remote, name, needed);
  return ERROR_SUCCESS;
}

DWORD WNetOpenEnumA(DWORD, DWORD, DWORD, NETRESOURCEA* resource, HANDLE* enumeration) {
  if (enumeration == nullptr) return ERROR_INVALID_PARAMETER;
  *enumeration = nullptr;
  const char* host = resource != nullptr ? resource->lpRemoteName : nullptr;
  if (DWORD code = w32_fault_code("WNetOpenEnumA", host)) return code;
  char directory[W32_PATH_CAPACITY];
  std::string prefix = "\\\\";
  if (host == nullptr || host[0] == '\0') {
    if (!w32_unc_root(directory, sizeof directory)) return ERROR_BAD_NET_NAME;
  } else {
    if (!is_path_delimiter(host[0]) || !is_path_delimiter(host[1]) || host[2] == '\0')
      return ERROR_BAD_NET_NAME;
    std::string share_probe = std::string(host) + "\\s";
    char probe[W32_PATH_CAPACITY];
    if (!w32_resolve_path_a(share_probe.c_str(), probe, sizeof probe)) return ERROR_BAD_NET_NAME;
    std::string dir = probe;
    dir.erase(dir.size() - 2);
    struct stat st;
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return ERROR_BAD_NET_NAME;
    std::strcpy(directory, dir.c_str());
    prefix = std::string(host) + "\\";
  }
  NetEnum* listing = new (std::nothrow) NetEnum();
  if (listing == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
  listing->head.destroy = destroy_enum;
  listing->display_type = host == nullptr || host[0] == '\0' ? RESOURCEDISPLAYTYPE_SERVER
                                                             : RESOURCEDISPLAYTYPE_SHARE;
  listing->usage = listing->display_type == RESOURCEDISPLAYTYPE_SERVER ? RESOURCEUSAGE_CONTAINER
                                                                       : RESOURCEUSAGE_CONNECTABLE;
  if (DIR* stream = opendir(directory)) {
    std::string base = directory;
    while (const dirent* entry = readdir(stream)) {
      if (entry->d_name[0] == '.') continue;
      struct stat st;
      if (stat((base + "/" + entry->d_name).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
      listing->remote_names.push_back(prefix + entry->d_name);
    }
    closedir(stream);
  }
  std::sort(listing->remote_names.begin(), listing->remote_names.end());
  HANDLE handle = w32_handle_open(&listing->head, W32_HANDLE_NET_ENUM);
  if (handle == nullptr) {
    delete listing;
    return ERROR_NOT_ENOUGH_MEMORY;
  }
  *enumeration = handle;
  return ERROR_SUCCESS;
}

DWORD WNetEnumResourceA(HANDLE enumeration, DWORD* count, void* buffer, DWORD* size) {
  if (DWORD code = w32_fault_code("WNetEnumResourceA")) return code;
  if (count == nullptr || size == nullptr || (buffer == nullptr && *size != 0))
    return ERROR_INVALID_PARAMETER;
  auto* listing =
      reinterpret_cast<NetEnum*>(w32_handle_acquire(enumeration, W32_HANDLE_NET_ENUM));
  if (listing == nullptr) return ERROR_INVALID_HANDLE;
  DWORD result = ERROR_SUCCESS;
  DWORD wanted = *count;
  DWORD made = 0;
  std::size_t records_end = 0;
  std::size_t texts_start = *size;
  if (listing->next >= listing->remote_names.size()) result = ERROR_NO_MORE_ITEMS;
  // Records from the front, their texts from the back.
  while (result == ERROR_SUCCESS && made < wanted &&
         listing->next < listing->remote_names.size()) {
    const std::string& name = listing->remote_names[listing->next];
    std::size_t text = name.size() + 1;
    if (records_end + sizeof(NETRESOURCEA) + text > texts_start) {
      if (made == 0) {
        *size = static_cast<DWORD>(sizeof(NETRESOURCEA) + text);
        result = ERROR_MORE_DATA;
      }
      break;
    }
    texts_start -= text;
    char* bytes = static_cast<char*>(buffer);
    std::memcpy(bytes + texts_start, name.c_str(), text);
    NETRESOURCEA record{RESOURCE_GLOBALNET, RESOURCETYPE_DISK, listing->display_type,
                        listing->usage, nullptr, bytes + texts_start, nullptr, nullptr};
    std::memcpy(bytes + records_end, &record, sizeof record);
    records_end += sizeof record;
    ++made;
    ++listing->next;
  }
  w32_handle_release(&listing->head);
  *count = made;
  return result;
}

DWORD WNetCloseEnum(HANDLE enumeration) {
  // An armed failure closes all the same, as CloseHandle does.
  DWORD code = w32_fault_code("WNetCloseEnum");
  if (!w32_handle_close(enumeration, W32_HANDLE_NET_ENUM)) return ERROR_INVALID_HANDLE;
  return code;
}

BOOL volume_testing_set_drive(char letter, UINT type, const char* file_system, const char* label,
                              const char* remote) {
  char lower = ascii_lower(letter);
  if (lower < 'a' || lower > 'z') return FALSE;
  if ((file_system != nullptr && std::strlen(file_system) >= kTextSize) ||
      (label != nullptr && std::strlen(label) >= kTextSize) ||
      (remote != nullptr && std::strlen(remote) >= MAX_PATH))
    return FALSE;
  pthread_mutex_lock(&g_lock);
  DriveRecord& record = g_records[lower - 'a'];
  record.set = true;
  record.type = type;
  std::strcpy(record.file_system, file_system != nullptr ? file_system : "NTFS");
  std::strcpy(record.label, label != nullptr ? label : "");
  std::strcpy(record.remote, remote != nullptr ? remote : "");
  pthread_mutex_unlock(&g_lock);
  return TRUE;
}

BOOL volume_testing_set_drive_media(char letter, const int* types, int count) {
  char lower = ascii_lower(letter);
  if (lower < 'a' || lower > 'z' || count < 0 || count > kMediaTypeCount || (count && !types))
    return FALSE;
  pthread_mutex_lock(&g_lock);
  DriveRecord& record = g_records[lower - 'a'];
  std::copy(types, types + count, record.media_types);
  record.media_count = count;
  pthread_mutex_unlock(&g_lock);
  return TRUE;
}

void volume_testing_reset() {
  pthread_mutex_lock(&g_lock);
  std::memset(g_records, 0, sizeof g_records);
  pthread_mutex_unlock(&g_lock);
}

}  // namespace w32
