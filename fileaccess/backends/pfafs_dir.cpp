#include "fileaccess/backends/pfafs_dir.h"
#include "fileaccess/backends/pfafs_dir_testing.h"

#include <strings.h>

#include <cstring>

#include "fileaccess/backends/ntdircache.h"
#include "fileaccess/backends/ntlangwrap.h"
#include "fileaccess/backends/pfafs.h"
#include "fileaccess/core/pfacomp.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfaname.h"
#include "fileaccess/core/pfaops.h"
#include "fileaccess/names/drives.h"
#include "fileaccess/names/oshelp.h"
#include "fileaccess/names/pfahandleops.h"
#include "platform/w32/changenotify.h"
#include "platform/w32/crt.h"
#include "platform/w32/error.h"
#include "platform/w32/file.h"
#include "platform/w32/fileio.h"
#include "platform/w32/handle.h"
#include "platform/w32/security.h"
#include "platform/w32/tempfile.h"
#include "platform/w32/thread.h"
#include "platform/w32/volume.h"
#include "runtime/diag/diag.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "runtime/system/appinfo.h"
#include "runtime/system/sysinfo.h"
#include "runtime/text/strmake.h"

namespace vek {

namespace {

constexpr std::uint32_t kDirectoryAttribute = 16;
constexpr int kStep = 10;
constexpr std::uint64_t kEpochFileTime = 116444736000000000ull;
constexpr w32::DWORD FILE_GENERIC_READ = 0x120089;
constexpr w32::DWORD FILE_GENERIC_WRITE = 0x120116;

PfaFsDir* dir_of(void** slot) { return slot ? static_cast<PfaFsDir*>(*slot) : nullptr; }

// The application-data type under which an entry keeps its listing index (plus one).
int listing_index_type = -1;

int index_type() {
  if (listing_index_type < 0) listing_index_type = appinfo_register_type(nullptr, nullptr, nullptr);
  return listing_index_type;
}

template <typename T>
void append(T** array, const T& value) {
  if (!*array) *array = static_cast<T*>(xar_alloc(0, sizeof(T), kStep));
  xar_append(array, 1, &value);
}

// Appends one entry; sizes and times only where the listing keeps them.
void add_entry(NtListing* listing, const char* name, std::uint32_t attributes, std::uint64_t size,
               std::int64_t time) {
  append(&listing->names, make_scopy(name));
  append(&listing->attributes, attributes);
  if (listing->sizes) append(&listing->sizes, size);
  if (listing->times) append(&listing->times, time);
}

void consider_adding_file(void* names, void*, void*, void*, const char* name,
                          w32::DWORD attributes, std::uint64_t size, const w32::FILETIME* written) {
  if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0 || std::strlen(name) >= 260)
    return;
  std::uint64_t time = written ? (std::uint64_t{written->dwHighDateTime} << 32) |
                                     written->dwLowDateTime
                               : 0;
  add_entry(static_cast<NtListing*>(names), name, attributes, size, FileTimeToTimeT(time));
}

void nt_read_drive_list(NtListing* listing) {
  w32::DWORD present = w32::GetLogicalDrives() & ~get_win32_hidden_drives();
  for (int bit = 0; bit < 26; ++bit) {
    if (!(present & (1u << bit))) continue;
    char entry[4] = {static_cast<char>('A' + bit), ':', '\\', '\0'};
    add_entry(listing, entry, kDirectoryAttribute, 0, 0);
  }
}

// The network context ("\\") or the containers of a host.
int nt_open_host_enum(const char* path, w32::HANDLE* enumeration) {
  char remote[260];
  std::size_t n = std::strlen(path);
  if (n >= sizeof remote) return 0;
  std::memcpy(remote, path, n + 1);
  if (n > 2 && remote[n - 1] == '\\') remote[n - 1] = '\0';
  if (std::strcmp(remote, "\\\\") == 0)
    return w32::WNetOpenEnumA(5, w32::RESOURCETYPE_ANY, 0, nullptr, enumeration) == 0;
  w32::NETRESOURCEA resource = {};
  resource.dwScope = w32::RESOURCE_GLOBALNET;
  resource.dwType = w32::RESOURCETYPE_DISK;
  resource.dwUsage = w32::RESOURCEUSAGE_CONTAINER;
  resource.lpRemoteName = remote;
  return w32::WNetOpenEnumA(w32::RESOURCE_GLOBALNET, w32::RESOURCETYPE_DISK,
                            w32::RESOURCEUSAGE_CONTAINER, &resource, enumeration) == 0;
}

bool nt_read_net_nbhd(NtListing* listing, const char* path) {
  w32::HANDLE enumeration = nullptr;
  if (!nt_open_host_enum(path, &enumeration)) return false;
  std::size_t n = std::strlen(path);
  alignas(w32::NETRESOURCEA) unsigned char buffer[16384];
  for (;;) {
    w32::DWORD count = 0xFFFFFFFF, size = sizeof buffer;
    if (w32::WNetEnumResourceA(enumeration, &count, buffer, &size) != 0) break;
    const auto* resources = reinterpret_cast<const w32::NETRESOURCEA*>(buffer);
    for (w32::DWORD i = 0; i < count; ++i) {
      const char* remote = resources[i].lpRemoteName;
      if (!remote || std::strlen(remote) <= n || strncasecmp(remote, path, n) != 0) continue;
      const char* rest = remote + n;
      if (*rest == '\\') ++rest;
      add_entry(listing, rest, kDirectoryAttribute, 0, 0);
    }
  }
  w32::WNetCloseEnum(enumeration);
  return true;
}

bool is_network_listing(const char* path) {
  if (path[0] != '\\' || path[1] != '\\') return false;
  const char* slash = std::strchr(path + 2, '\\');
  return !slash || slash[1] == '\0';
}

bool nt_read_dir(NtListing* listing, const char* path, const char* pattern) {
  char search[520];
  std::size_t n = std::strlen(path);
  const char* delimiter = n && (path[n - 1] == '/' || path[n - 1] == '\\') ? "" : "\\";
  std::snprintf(search, sizeof search, "%s%s%s%s", path, delimiter, pattern ? pattern : "*.*",
                pattern ? "*" : "");
  return ntlangwrap_read_dir(search, listing, nullptr, nullptr, nullptr, consider_adding_file) == 0;
}

void close_notification(PfaFsDir* dir) {
  if (dir->notification && dir->notification != w32::INVALID_HANDLE_VALUE)
    w32::FindCloseChangeNotification(dir->notification);
  dir->notification = nullptr;
}

int pfafs_dir_open(VynFile* file, void** slot, void* ignored, void* pattern, void* sizes, int) {
  return pfa_actually_open_dir(file, slot, ignored, static_cast<const char*>(pattern),
                               sizes != nullptr, 0);
}

int unc_dir_open(VynFile* file, void** slot, void* ignored, void* pattern, void* sizes, int) {
  return pfa_actually_open_dir(file, slot, ignored, static_cast<const char*>(pattern),
                               sizes != nullptr, 1);
}

int pfafs_dir_close(VynFile*, void** slot) {
  PfaFsDir* dir = dir_of(slot);
  if (!dir) return PFA_E_INVALID_INPUT;
  nt_closedir(dir->listing);
  close_notification(dir);
  relmem(slot);
  *slot = nullptr;
  return PFA_E_NO_ERROR;
}

typedef int (*PfaDirFilter)(const char* name, void* data, int is_directory);

// The next entry that the filter takes (answer 0) into out (when given).
int pfafs_dir_read_next(VynFile* file, void** slot, void* out_word, void* filter_word, void* data,
                        int pass_type) {
  PfaFsDir* dir = dir_of(slot);
  if (!dir || !dir->listing) return PFA_E_INVALID_INPUT;
  auto filter = reinterpret_cast<PfaDirFilter>(filter_word);
  auto* out = static_cast<VynFile*>(out_word);
  NtListing* listing = dir->listing;
  for (;;) {
    int at = listing->index;
    int is_directory = 0;
    const char* name = nt_readdir(listing, &is_directory);
    if (!name) return PFA_E_QUIT;
    if (filter) {
      int kind = 0;
      if (pass_type) {
        kind = is_directory;
        if (listing->attributes[at] == 0xFFFFFFFFu) {
          char full[PFA_NAME_SIZE];
          kind = pfa_get_full_name(file, full) == PFA_E_NO_ERROR &&
                         std::strlen(full) + std::strlen(name) < 260 &&
                         std::strcat(full, name) && vyn_is_dir(full)
                     ? 1
                     : 0;
        }
      }
      if (filter(name, data, kind) != 0) continue;
    }
    if (!out) return PFA_E_NO_ERROR;
    char device[32] = "";
    pfa_get_device(file, device);
    bool drives = std::strcmp(device, "/") == 0;
    if (parse_to_pfa(out, drives ? static_cast<int>(file->location_type) : 0, name) !=
        PFA_E_NO_ERROR)
      return PFA_E_INVALID_NAME;
    if (!drives && pfa_copy_location(file, out) != PFA_E_NO_ERROR) return PFA_E_INVALID_NAME;
    if (listing->sizes && listing->times) {
      VynWord* value = appinfo_find_info(&out->appinfo, index_type(), 1);
      if (value) *value = at + 1;
    }
    return PFA_E_NO_ERROR;
  }
}

int pfafs_dir_cache_eligible(VynFile*, void* name_word) {
  const char* name = static_cast<const char*>(name_word);
  if (!name || !name[0] || std::strcmp(name, "pfafs:drives") == 0) return 0;
  return is_drive_cachable(nt_drive_letter_of(name));
}

int pfafs_dir_cache_invalid(VynFile*, void** slot, void* name_word) {
  PfaFsDir* dir = dir_of(slot);
  const char* name = static_cast<const char*>(name_word);
  if (!dir) return 1;
  if (dir->cachable && dir->provable && name &&
      nt_directory_cache_still_valid(name, dir->cachable, &dir->notification, dir->last_write))
    return 0;
  close_notification(dir);
  dir->notification = w32::INVALID_HANDLE_VALUE;
  return 1;
}

int access_method(VynFile* file, int mode, int) { return Win32_pfa_access_work(file, mode, 1); }

template <bool Full>
int get_owners(VynFile* file, void* owner, void* group, void* owner2) {
  char name[PFA_NAME_SIZE];
  int failed = Full ? pfa_get_full_name(file, name) : pfa_get_file_name(file, 62, name);
  if (failed) return PFA_E_NOT_VALID;
  return pfafs_get_owners_low(name, static_cast<char*>(owner), static_cast<char*>(group),
                              static_cast<char*>(owner2));
}

template <bool Full>
int chown_method(VynFile* file, void* owner, void* group) {
  char name[PFA_NAME_SIZE];
  int failed = Full ? pfa_get_full_name(file, name) : pfa_get_file_name(file, 62, name);
  if (failed) return PFA_E_NOT_VALID;
  return pfafs_chown_low(name, static_cast<const char*>(owner), static_cast<const char*>(group));
}

void drop_trailing_backslash(char* name) {
  std::size_t n = std::strlen(name);
  if (n > 1 && name[n - 1] == '\\' && name[n - 2] != ':') name[n - 1] = '\0';
}

}  // namespace

int PfaUNC_access(VynFile* file, int mode, int) {
  if (!pfa_has_component(file, 1)) {
    if (mode != 0 && mode != 4) return 0;
    char location[PFA_NAME_SIZE];
    if (pfa_get_location(file, location, nullptr) != PFA_E_NO_ERROR) return 0;
    return nt_is_valid_host(location);
  }
  return Win32_pfa_access_work(file, mode, 0);
}

std::int64_t FileTimeToTimeT(std::uint64_t file_time) {
  return static_cast<std::int64_t>(file_time - kEpochFileTime) / 10000000;
}

NtListing* nt_opendir(const char* path, const char* pattern, int sizes_and_times) {
  if (!path) return nullptr;
  auto* listing = static_cast<NtListing*>(getmem(sizeof(NtListing)));
  listing->names = static_cast<char**>(xar_alloc(0, sizeof(char*), kStep));
  listing->attributes = static_cast<std::uint32_t*>(xar_alloc(0, sizeof(std::uint32_t), kStep));
  if (sizes_and_times) {
    listing->sizes = static_cast<std::uint64_t*>(xar_alloc(0, sizeof(std::uint64_t), kStep));
    listing->times = static_cast<std::int64_t*>(xar_alloc(0, sizeof(std::int64_t), kStep));
  }
  bool listed = true;
  if (std::strcmp(path, "pfafs:drives") == 0)
    nt_read_drive_list(listing);
  else if (is_network_listing(path))
    listed = nt_read_net_nbhd(listing, path);
  else
    listed = nt_read_dir(listing, path, pattern);
  if (!listed) {
    nt_closedir(listing);
    return nullptr;
  }
  char* end = nullptr;
  append(&listing->names, end);
  append(&listing->attributes, std::uint32_t{0});
  return listing;
}

const char* nt_readdir(NtListing* listing, int* is_directory) {
  if (is_directory) *is_directory = 0;
  if (!listing || !listing->names) return nullptr;
  const char* name = listing->names[listing->index];
  if (!name) return nullptr;
  if (is_directory) *is_directory = (listing->attributes[listing->index] & kDirectoryAttribute) ? 1 : 0;
  ++listing->index;
  return name;
}

void nt_closedir(NtListing* listing) {
  if (!listing) return;
  for (int i = 0, n = xar_count(&listing->names); i < n; ++i) {
    if (listing->names[i]) relmem(&listing->names[i]);
  }
  xar_free(&listing->names);
  xar_free(&listing->attributes);
  xar_free(&listing->sizes);
  xar_free(&listing->times);
  rlsmem(listing);
}

NtListing* os_opendir(const char* path, const char* pattern) { return nt_opendir(path, pattern, 0); }
const char* os_readdir(NtListing* listing, int* is_directory) {
  return nt_readdir(listing, is_directory);
}
void os_closedir(NtListing* listing) { nt_closedir(listing); }

int pfa_actually_open_dir(VynFile* file, void** slot, void*, const char* pattern,
                          int sizes_and_times, int full_name) {
  if (!slot) return PFA_E_INVALID_INPUT;
  if (PfaFsDir* open = dir_of(slot)) {
    if (open->listing) open->listing->index = 0;
    return PFA_E_NO_ERROR;
  }
  if (pfa_is_local(file) != 1) return PFA_E_CANT_OPEN;
  char name[PFA_NAME_SIZE];
  int failed = full_name ? pfa_get_full_name(file, name) : pfa_get_file_name(file, 62, name);
  char device[32] = "";
  pfa_get_device(file, device);
  bool drives = std::strcmp(device, "/") == 0;
  if (drives) std::strcpy(name, "pfafs:drives");
  else if (failed) return PFA_E_INVALID_NAME;
  // The watch starts (or the last-write time is read) before the listing: a change made
  // while the directory is read must make the listing stale, never slip in between.
  auto* dir = static_cast<PfaFsDir*>(getmem(sizeof(PfaFsDir)));
  dir->notification = w32::INVALID_HANDLE_VALUE;
  if (!drives)
    dir->provable = nt_directory_cache_init_fields(name, &dir->cachable, &dir->notification,
                                                   &dir->last_write);
  dir->listing = nt_opendir(name, pattern, sizes_and_times);
  if (!dir->listing) {
    close_notification(dir);
    rlsmem(dir);
    return PFA_E_ERROR;
  }
  *slot = dir;
  // A listing that a later test could not prove current (a directory written within the
  // clock's grain, a notification that never came) is read but not cached.
  return dir->provable && dir->cachable ? PFA_E_NO_ERROR : PFA_E_NOT_CACHABLE;
}

int ntreaddir_fill_stat_buf(VynFile* dir, void** slot, VynFile* entry, int* status,
                            std::int64_t* size, std::int64_t* modified) {
  if (status) *status = -1;
  PfaFsDir* open = dir_of(slot);
  if (!pfa_is_valid(dir) || !pfa_is_valid(entry) || !open || !open->listing ||
      !open->listing->sizes || !open->listing->times || listing_index_type < 0)
    return 0;
  VynWord* value = appinfo_find_info(&entry->appinfo, listing_index_type, 0);
  int count = xar_count(&open->listing->sizes);
  if (!value || *value < 1 || *value > count) return 0;
  int at = static_cast<int>(*value - 1);
  if (size) *size = static_cast<std::int64_t>(open->listing->sizes[at]);
  if (modified) *modified = open->listing->times[at];
  if (status) *status = 0;
  return 1;
}

int pfafs_has_win32_exec_ext(const char* name) {
  if (!name) return 0;
  const char* dot = std::strrchr(name, '.');
  if (!dot || std::strpbrk(dot, "\\/")) return 0;
  static const char* const extensions[] = {"BAT", "COM", "EXE", "DLL"};
  for (const char* extension : extensions) {
    if (strcasecmp(dot + 1, extension) == 0) return 1;
  }
  return 0;
}

int CheckNTFSAccess(const char* name, w32::DWORD desired) {
  w32::PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ntlangwrap_GetFileSecurity(name, 7, &descriptor)) {
    w32::DWORD error = w32::GetLastError();
    if (descriptor) relmem(&descriptor);
    return error == 50 || error == 1350 ? 1 : 0;
  }
  int answer = 0;
  w32::HANDLE token = nullptr;
  if (w32::ImpersonateSelf(2)) {
    if (w32::OpenThreadToken(w32::GetCurrentThread(), w32::TOKEN_ALL_ACCESS, 1, &token)) {
      unsigned char privileges[20] = {};
      w32::DWORD privileges_length = sizeof privileges;
      w32::DWORD granted = 0;
      w32::BOOL status = 0;
      if (w32::AccessCheck(descriptor, token, desired, nullptr, privileges, &privileges_length,
                           &granted, &status))
        answer = status ? 1 : 0;
      w32::CloseHandle(token);
    }
    w32::RevertToSelf();
  }
  relmem(&descriptor);
  return answer;
}

// Probes the directory with a file of a name nobody has: a user's file is never touched.
int Win32_can_write_tmp_file(const char* native) {
  if (!native) return 0;
  char name[PFA_NAME_SIZE];
  std::size_t n = std::strlen(native);
  if (n >= sizeof name) return 0;
  std::memcpy(name, native, n + 1);
  drop_trailing_backslash(name);
  w32::_stat before;
  if (ntlangwrap_stat(name, &before) != 0) return 0;
  char directory[PFA_NAME_SIZE];
  std::strcpy(directory, name);
  if (!(before.st_mode & w32::_S_IFDIR)) {
    char* last = std::strrchr(directory, '\\');
    char* slash = std::strrchr(directory, '/');
    if (slash > last) last = slash;
    if (!last) std::strcpy(directory, ".");
    else last[last == directory || last[-1] == ':' ? 1 : 0] = '\0';
  }
  char probe[w32::MAX_PATH + 1];
  if (w32::GetTempFileNameA(directory, "acc", 0, probe) == 0) return 0;
  ntlangwrap_DeleteFile(probe);
  // The directory's times stay as they were.
  if (before.st_mode & w32::_S_IFDIR) {
    w32::_utimbuf times{before.st_atime64, before.st_mtime64};
    w32::_utime(directory, &times);
  }
  return 1;
}

int Win32_pfa_access_work(VynFile* file, int mode, int name_form) {
  char device[32] = "";
  pfa_get_device(file, device);
  if (std::strcmp(device, "/") == 0) return mode == 0 || mode == 4 ? 1 : 0;
  char name[PFA_NAME_SIZE];
  int failed = name_form ? pfa_get_file_name(file, 62, name) : pfa_get_full_name(file, name);
  if (failed) return 0;
  drop_trailing_backslash(name);
  w32::DWORD attributes = ntlangwrap_GetFileAttributes(name);
  if (attributes == w32::INVALID_FILE_ATTRIBUTES) return 0;
  switch (mode) {
    case 0:
      return 1;
    case 1:
      return pfafs_has_win32_exec_ext(name);
    case 4:
      return vyn_is_win95_running() ? 1 : CheckNTFSAccess(name, FILE_GENERIC_READ);
    case 2: {
      bool directory = (attributes & w32::FILE_ATTRIBUTE_DIRECTORY) != 0;
      if ((attributes & w32::FILE_ATTRIBUTE_READONLY) && !directory) return 0;
      char root[PFA_NAME_SIZE];
      if (pfa_get_file_name(file, name_form ? 6 : 7, root) != PFA_E_NO_ERROR) return 0;
      w32::UINT type = ntlangwrap_GetDriveType(root);
      if (type != w32::DRIVE_FIXED) {
        if (!nt_is_samba_drive(nt_drive_letter_of(root))) {
          w32::HANDLE handle = ntlangwrap_CreateFile(name, w32::GENERIC_WRITE, w32::FILE_SHARE_READ,
                                                     w32::OPEN_EXISTING,
                                                     w32::FILE_FLAG_BACKUP_SEMANTICS);
          if (handle != w32::INVALID_HANDLE_VALUE) {
            w32::CloseHandle(handle);
            return 1;
          }
        }
        return Win32_can_write_tmp_file(name);
      }
      return vyn_is_win95_running() ? 1 : CheckNTFSAccess(name, FILE_GENERIC_WRITE);
    }
    default:
      dbg_print_info("Win32_pfa_access_work", "bad mode %d", mode);
      return 0;
  }
}

int pfafs_get_mode_low(VynFile*, char* name, int* mode) {
  if (!name || !mode) return PFA_E_INVALID_INPUT;
  drop_trailing_backslash(name);
  w32::DWORD attributes = ntlangwrap_GetFileAttributes(name);
  if (attributes == w32::INVALID_FILE_ATTRIBUTES) return PFA_E_NO_ACCESS;
  int value = 0444;
  bool directory = (attributes & w32::FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (directory) value |= PFA_MODE_DIRECTORY;
  if (!(attributes & w32::FILE_ATTRIBUTE_READONLY)) value |= 0222;
  if (pfafs_has_win32_exec_ext(name)) value |= 0111;
  if (!directory && !(attributes & w32::FILE_ATTRIBUTE_SYSTEM)) value |= 0x8000;
  *mode = value;
  return PFA_E_NO_ERROR;
}

int pfafs_get_owners_low(const char* name, char* owner, char* group, char* owner2) {
  static const char* const routine = "pfa_get_owners";
  w32::PSECURITY_DESCRIPTOR descriptor = nullptr;
  auto fail = [&](const char* format) {
    dbg_print_info(routine, format, static_cast<int>(w32::GetLastError()));
    if (descriptor) relmem(&descriptor);
    return PFA_E_ERROR;
  };
  if (!ntlangwrap_GetFileSecurity(name, 3, &descriptor)) return fail("GetFileSecurity failed: %d");
  char domain[32];
  if (group) {
    w32::PSID sid = nullptr;
    w32::BOOL defaulted = 0;
    if (!w32::GetSecurityDescriptorGroup(descriptor, &sid, &defaulted))
      return fail("GetSecurityDescriptorGroup failed: %d");
    w32::DWORD name_size = 32, domain_size = sizeof domain;
    w32::SID_NAME_USE use;
    if (!w32::LookupAccountSidA(nullptr, sid, group, &name_size, domain, &domain_size, &use))
      return fail("LookupAccountSid for group failed: %d");
  }
  if (owner || owner2) {
    static char found[32];
    w32::PSID sid = nullptr;
    w32::BOOL defaulted = 0;
    if (!w32::GetSecurityDescriptorOwner(descriptor, &sid, &defaulted))
      return fail("GetSecurityDescriptorOwner failed: %d");
    w32::DWORD name_size = sizeof found, domain_size = sizeof domain;
    w32::SID_NAME_USE use;
    if (!w32::LookupAccountSidA(nullptr, sid, found, &name_size, domain, &domain_size, &use))
      return fail("LookupAccountSid for owner failed: %d");
    if (owner) std::strcpy(owner, found);
    if (owner2) std::strcpy(owner2, found);
  }
  relmem(&descriptor);
  return PFA_E_NO_ERROR;
}

int pfafs_chown_low(const char* name, const char* owner, const char* group) {
  static const char* const routine = "pfa_chown";
  auto fail = [&](const char* format) {
    dbg_print_info(routine, format, static_cast<int>(w32::GetLastError()));
    return PFA_E_ERROR;
  };
  // The stand-in's descriptors come from a file: the new owner and group are set into
  // the file's own descriptor, which is then written back.
  w32::SECURITY_DESCRIPTOR fresh;
  if (!w32::InitializeSecurityDescriptor(&fresh, 1))
    return fail("InitializeSecurityDescriptor failed: %d");
  w32::PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ntlangwrap_GetFileSecurity(name, 3, &descriptor)) {
    if (descriptor) relmem(&descriptor);
    return fail("SetFileSecurity failed: %d");
  }
  struct Release {
    w32::PSECURITY_DESCRIPTOR* held;
    ~Release() { relmem(held); }
  } release{&descriptor};
  alignas(8) unsigned char owner_sid[260], group_sid[260];
  char domain[32];
  w32::SID_NAME_USE use;
  w32::DWORD sid_size = sizeof owner_sid, domain_size = sizeof domain;
  if (!owner || !w32::LookupAccountNameA(nullptr, owner, owner_sid, &sid_size, domain,
                                         &domain_size, &use))
    return fail("LookupAccountName failed: %d");
  sid_size = sizeof group_sid;
  domain_size = sizeof domain;
  if (!group || !w32::LookupAccountNameA(nullptr, group, group_sid, &sid_size, domain,
                                         &domain_size, &use))
    return fail("LookupAccountName failed: %d");
  if (!w32::SetSecurityDescriptorOwner(descriptor, owner_sid, 0))
    return fail("SetSecurityDescriptorOwner failed: %d");
  if (!w32::SetSecurityDescriptorGroup(descriptor, group_sid, 0))
    return fail("SetSecurityDescriptorGroup failed: %d");
  if (!ntlangwrap_SetFileSecurity(name, 3, descriptor)) return fail("SetFileSecurity failed: %d");
  return PFA_E_NO_ERROR;
}

void pfafs_register_dir_methods(int type) {
  pfa_loc_method_register(type, PfaDirOpen, PLM_CALL_FLPPPI, as_method(&pfafs_dir_open));
  pfa_loc_method_register(type, PfaDirClose, PLM_CALL_FL, as_method(&pfafs_dir_close));
  pfa_loc_method_register(type, PfaDirReadNext, PLM_CALL_FLPPPI, as_method(&pfafs_dir_read_next));
  pfa_loc_method_register(type, PfaDirCacheEligible, PLM_CALL_FP,
                          as_method(&pfafs_dir_cache_eligible));
  pfa_loc_method_register(type, PfaDirCacheInvalid, PLM_CALL_FLP,
                          as_method(&pfafs_dir_cache_invalid));
  pfa_loc_method_register(type, PfaAccess, PLM_CALL_FII, as_method(&access_method));
  pfa_loc_method_register(type, PfaGetOwners, PLM_CALL_FPPP, as_method(&get_owners<false>));
  pfa_loc_method_register(type, PfaChown, PLM_CALL_FPP, as_method(&chown_method<false>));
}

void pfafs_register_unc_dir_methods(int type) {
  pfa_loc_method_register(type, PfaDirOpen, PLM_CALL_FLPPPI, as_method(&unc_dir_open));
  pfa_loc_method_register(type, PfaAccess, PLM_CALL_FII, as_method(&PfaUNC_access));
  pfa_loc_method_register(type, PfaGetOwners, PLM_CALL_FPPP, as_method(&get_owners<true>));
  pfa_loc_method_register(type, PfaChown, PLM_CALL_FPP, as_method(&chown_method<true>));
}

void pfafs_dir_testing_reset() { listing_index_type = -1; }

}  // namespace vek
