#include "fileaccess/core/pfadir.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fileaccess/backends/ntlangwrap.h"
#include "fileaccess/backends/pfafs.h"
#include "fileaccess/core/pfacomp.h"
#include "fileaccess/core/pfadir_testing.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfaname.h"
#include "fileaccess/core/pfaops.h"
#include "fileaccess/names/oshelp.h"
#include "platform/w32/environment.h"
#include "runtime/memory/notify.h"

namespace vek {

namespace {

VynFile* Cur_Dir;
VynFile* home_dir;
int notify_app = -1;

// The hooks are kept in the notification registry, which stores one function type; each
// is cast back to its own type before it is called.
VynNotifyFunc as_notify(PfaDirHook function) {
  return reinterpret_cast<VynNotifyFunc>(reinterpret_cast<void (*)()>(function));
}

// Asks the hooks of a kind: the handle that the first one answering nonzero gives.
VynFile* ask_dir_hooks(int kind, VynFile* cur_dir) {
  int app = pfa_notification_app_id();
  Vyn_notify_pos position;
  vyn_notifications_init_loop(app, kind, &position);
  VynNotifyFunc function = nullptr;
  VynWord data = 0;
  while (vyn_notifications_get_next(app, kind, &position, &function, nullptr, &data)) {
    VynFile* out = nullptr;
    auto hook = reinterpret_cast<PfaDirHook>(reinterpret_cast<void (*)()>(function));
    if (hook && hook(data, cur_dir, &out)) return out;
  }
  return nullptr;
}

}  // namespace

VynFile* get_Cur_Dir() { return Cur_Dir; }

int load_pfa_cur_dir(const VynFile* from) {
  if (!Cur_Dir && pfa_alloc_vyn_file(&Cur_Dir) != PFA_E_NO_ERROR) return PFA_E_ERROR;
  if (pfa_is_valid(from) && from != Cur_Dir && pfa_path_is_absolute(from))
    return pfa_copy_vyn_file(from, Cur_Dir) == PFA_E_NO_ERROR ? PFA_E_NO_ERROR : PFA_E_ERROR;
  char directory[PFA_NAME_SIZE];
  char text[PFA_NAME_SIZE + 1];
  if (!ntlangwrap_GetCurrentDirectory(directory)) return PFA_E_ERROR;
  std::snprintf(text, sizeof text, "%s\\", directory);
  // A root already ends with its delimiter.
  std::size_t length = std::strlen(directory);
  if (length && (directory[length - 1] == '\\' || directory[length - 1] == '/'))
    std::snprintf(text, sizeof text, "%s", directory);
  if (parse_to_pfa(Cur_Dir, -1, text) != PFA_E_NO_ERROR) return PFA_E_ERROR;
  Cur_Dir->version = 0;
  return PFA_E_NO_ERROR;
}

VynFile* pfa_get_cur_dir() {
  if (VynFile* supplied = ask_dir_hooks(PFA_NOTIFY_CUR_DIR, Cur_Dir)) return supplied;
  // A record whose loading failed holds no name: it is loaded again until it has one.
  if (!Cur_Dir || !pfa_has_location(Cur_Dir, nullptr)) {
    if (load_pfa_cur_dir(nullptr) != PFA_E_NO_ERROR) return nullptr;
  }
  return Cur_Dir;
}

int pfa_chdir(VynFile* dir) {
  if (VynFile* supplied = ask_dir_hooks(PFA_NOTIFY_CHDIR, Cur_Dir)) dir = supplied;
  if (!pfa_is_valid(dir) || !pfa_is_dir(dir) || !pfaloc_is_shell_compatible(dir))
    return PFA_E_NOT_VALID;
  if (pfa_is_local(dir) != 1) return PFA_E_NO_ACCESS;
  char location[PFA_NAME_SIZE];
  if (pfa_get_location(dir, location, nullptr) != PFA_E_NO_ERROR) return PFA_E_INVALID_NAME;
  // The layer keeps a current directory per drive: one call with the drive in the name
  // makes the drive current and sets its directory, or changes nothing when it fails.
  if (location[0] && !ntlangwrap_SetCurrentDirectory(location)) return PFA_E_ERROR;
  return load_pfa_cur_dir(dir) == PFA_E_NO_ERROR ? PFA_E_NO_ERROR : PFA_E_ERROR;
}

int pfa_get_home_dir(VynFile* out) {
  if (!pfa_is_valid(out)) return PFA_E_NOT_VALID;
  if (!home_dir) {
    char text[PFA_NAME_SIZE];
    const char* home = std::getenv("HOME");
    if (home) {
      if (std::strlen(home) >= sizeof text) return PFA_E_ERROR;
      std::strcpy(text, home);
    } else {
      const char* share = std::getenv("HOMESHARE");
      if (!share) share = std::getenv("HOMEDRIVE");
      const char* path = std::getenv("HOMEPATH");
      if (!share || !path) return PFA_E_ERROR;
      std::size_t a = std::strlen(share), b = std::strlen(path);
      if (a >= sizeof text || b >= sizeof text || a + b >= sizeof text) return PFA_E_ERROR;
      std::memcpy(text, share, a);
      std::memcpy(text + a, path, b + 1);
    }
    VynFile* record = nullptr;
    if (pfa_alloc_vyn_file(&record) != PFA_E_NO_ERROR) return PFA_E_ERROR;
    // Parsed without substitution: a home that began with '~' would ask for itself.
    if (parse_to_pfa(record, -1, text) != PFA_E_NO_ERROR ||
        pfa_put_obj_type(record, PFA_TYPE_DIRECTORY) != PFA_E_NO_ERROR) {
      pfa_free_vyn_file(&record);
      return PFA_E_ERROR;
    }
    home_dir = record;
  }
  if (out == home_dir) return PFA_E_NO_ERROR;
  return pfa_copy_vyn_file(home_dir, out) == PFA_E_NO_ERROR ? PFA_E_NO_ERROR : PFA_E_ERROR;
}

VynFile* extract_pfa_dir(const VynFile* file) {
  VynFile* dir = pfa_make_copy(file);
  if (!dir || dir->object_type == PFA_TYPE_DIRECTORY) return dir;
  if (pfa_put_component_len(dir, 3, "", 0, 0) || pfa_put_component_len(dir, 4, "", 0, 0)) {
    pfa_free_vyn_file(&dir);
    return nullptr;
  }
  dir->version = 0;
  dir->object_type = PFA_TYPE_DIRECTORY;
  return dir;
}

int pfa_make_absolute_path(VynFile* file) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  if (pfafs_loc_is_NT_drive_relative(file)) {
    char device[32], path[PFA_NAME_SIZE], drive[4];
    if (pfa_get_device(file, device) || pfa_get_path(file, path)) return PFA_E_ERROR;
    if (pfafs_NT_drive_letter_to_int(device[0]) < 1 || device[1] != '\0') return PFA_E_ERROR;
    std::snprintf(drive, sizeof drive, "%c:", device[0]);
    char directory[PFA_NAME_SIZE];
    w32::DWORD n = w32::GetFullPathNameA(drive, sizeof directory, directory, nullptr);
    if (n == 0 || n >= sizeof directory) return PFA_E_ERROR;
    char location[PFA_NAME_SIZE];
    std::size_t length = std::strlen(directory);
    bool delimited = length && (directory[length - 1] == '\\' || directory[length - 1] == '/');
    int written = std::snprintf(location, sizeof location, "%s%s%s", directory,
                                delimited ? "" : "\\", path);
    if (written < 0 || written >= static_cast<int>(sizeof location)) return PFA_E_ERROR;
    return pfa_put_location(file, location, static_cast<int>(PFA_LOC_STD_FILESYSTEM)) ? PFA_E_ERROR
                                                                                     : PFA_E_NO_ERROR;
  }
  if (pfa_path_is_absolute(file)) return PFA_E_NO_ERROR;
  VynFile* cur_dir = pfa_get_cur_dir();
  if (!cur_dir) return PFA_E_ERROR;
  return concat_pfa_paths(cur_dir, file);
}

int nt_can_have_unc_cwd() {
  w32::DWORD value = 0;
  return nt_get_registry_value(w32::HKEY_CURRENT_USER, "Software\\Microsoft\\Command Processor",
                               "DisableUNCCheck", &value) && value != 0
             ? 1
             : 0;
}

int pfa_notification_app_id() {
  if (notify_app < 0) notify_app = vyn_notification_add_application("ctpfa");
  return notify_app;
}

int PfaNotificationAdd(int kind, PfaDirHook function, VynWord data, void (*extra)(VynWord*)) {
  return vyn_notification_add(pfa_notification_app_id(), kind,
                              as_notify(function), data, extra);
}

void PfaNotificationRemove(int kind, PfaDirHook function) {
  vyn_notification_remove(pfa_notification_app_id(), kind,
                          as_notify(function));
}

void PfaNotificationIdRemove(int kind, int id) {
  vyn_notification_remove_id(pfa_notification_app_id(), kind, id);
}

void pfadir_testing_reset() {
  Cur_Dir = nullptr;
  home_dir = nullptr;
  notify_app = -1;
}

}  // namespace vek
