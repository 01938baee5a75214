#include "fileaccess/names/drives.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "fileaccess/names/oshelp.h"
#include "platform/w32/registry.h"
#include "platform/w32/volume.h"
#include "runtime/memory/xar.h"

namespace vek {

namespace {

constexpr int MEDIA_REMOVABLE = 11;

bool is_one_of(int value, std::initializer_list<int> set) {
  for (int v : set) {
    if (v == value) return true;
  }
  return false;
}

}  // namespace

int get_win32_drive_info(int letter, Win32DriveInfo* record, int probe) {
  if (!record) return 9;
  std::memset(record, 0, sizeof *record);
  char root[8];
  std::snprintf(root, sizeof root, "%c:\\", static_cast<char>(letter));
  w32::UINT type = w32::GetDriveTypeA(root);
  if (type == w32::DRIVE_NO_ROOT_DIR) return 4;
  record->letter = letter;
  record->type = static_cast<int>(type);
  if (probe || (type != w32::DRIVE_REMOVABLE && type != w32::DRIVE_REMOTE)) {
    w32::GetVolumeInformationA(root, record->label, sizeof record->label, nullptr, nullptr, nullptr,
                               record->file_system, sizeof record->file_system);
  }
  if (type == w32::DRIVE_REMOTE) {
    char local[4] = {static_cast<char>(letter), ':', '\0', '\0'};
    char remote[260];
    w32::DWORD length = sizeof remote;
    if (w32::WNetGetConnectionA(local, remote, &length) == 0 && remote[0] == '\\' &&
        remote[1] == '\\') {
      const char* server = remote + 2;
      const char* slash = std::strchr(server, '\\');
      std::size_t n = slash ? static_cast<std::size_t>(slash - server) : std::strlen(server);
      if (n < sizeof record->server) {
        std::memcpy(record->server, server, n);
        record->server[n] = '\0';
      }
      if (slash && std::strlen(slash + 1) < sizeof record->share)
        std::strcpy(record->share, slash + 1);
    }
  }
  if (type == w32::DRIVE_REMOVABLE) {
    record->label[0] = '\0';
    record->media = get_win32_drive_media(letter);
    record->size_class = get_win32_drive_size(record->media);
  }
  return 0;
}

int get_win32_drive_media(int letter) {
  char root[8];
  std::snprintf(root, sizeof root, "%c:\\", static_cast<char>(letter));
  if (w32::GetDriveTypeA(root) != w32::DRIVE_REMOVABLE) return 0;
  // The media the device reports it can take decide; without any, removable media.
  int types[w32::kMediaTypeCount];
  int count = w32::w32_drive_media_types(static_cast<char>(letter), types, w32::kMediaTypeCount);
  return nt_media_from_geometry(types, count > 0 ? count : 0);
}

int nt_media_from_geometry(const int* types, int count) {
  int media = MEDIA_REMOVABLE;
  for (int i = 0; types && i < count; ++i) {
    int type = types[i];
    if (is_one_of(type, {1, 3, 4, 13, 19, 20, 21, 22})) return type;
    if (is_one_of(type, {2, 6, 7, 8, 15, 16, 17, 18}))
      media = type;
    else if (is_one_of(type, {5, 9, 10, 14}) && media == MEDIA_REMOVABLE)
      media = type;
  }
  return media;
}

int media_from_device_type(int device_type) {
  switch (device_type) {
    case 0: return 6;
    case 1: return 1;
    case 2: return 5;
    case 3: case 4: return 22;
    case 5: case 6: case 8: return 11;
    case 7: return 2;
    case 9: return 3;
    default: return MEDIA_REMOVABLE;
  }
}

int get_win32_drive_size(int media) {
  if (is_one_of(media, {1, 6, 7, 8, 9, 10, 15, 16, 19})) return 5;
  if (is_one_of(media, {2, 3, 4, 5, 13, 14, 17, 18, 20, 21})) return 3;
  if (media == 22) return 8;
  return -1;
}

unsigned get_win32_hidden_drives() {
  w32::DWORD hidden = 0;
  if (!nt_get_registry_value(w32::HKEY_CURRENT_USER,
                             "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
                             "NoDrives", &hidden))
    return 0;
  return hidden;
}

int get_win32_valid_drives(void** records) {
  if (!records) return 0;
  w32::DWORD present = w32::GetLogicalDrives() & ~get_win32_hidden_drives();
  for (int bit = 0; bit < 26; ++bit) {
    if (!(present & (1u << bit))) continue;
    Win32DriveInfo record;
    if (get_win32_drive_info('A' + bit, &record, 0) != 0) continue;
    if (!*records) *records = xar_alloc(0, sizeof record, 4);
    xar_append(records, 1, &record);
  }
  return xar_count(records);
}

}  // namespace vek
