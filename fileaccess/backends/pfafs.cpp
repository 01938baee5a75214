#include "fileaccess/backends/pfafs.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "fileaccess/backends/ntlangwrap.h"
#include "fileaccess/backends/pfafs_dir.h"
#include "fileaccess/backends/pfafs_stream.h"
#include "fileaccess/names/fnstring.h"
#include "fileaccess/names/oshelp.h"
#include "platform/w32/volume.h"

#include "fileaccess/core/pfacomp.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfaname.h"

namespace vek {

namespace {

// The scope of a listing of the whole network.
constexpr w32::DWORD PFA_RESOURCE_CONTEXT = 5;

// Which location component is the host, the device and the path of a local name.
int pfafs_host_idx(VynFile*) { return 0; }
int pfafs_device_idx(VynFile*) { return 1; }
int pfafs_path_idx(VynFile*) { return 2; }

}  // namespace

int claim_location(VynFile* file, const char* text, int length, int start, int* name_offset) {
  char path[sizeof(VynFile::text) + 4];
  if (length < 0 || length >= static_cast<int>(sizeof(VynFile::text))) return PFA_E_INVALID_INPUT;
  int path_length = length;
  int base = length;
  if (name_offset) {
    // Whole characters only: a trail byte may equal '\\'.
    int last = -1;
    walk_name_chars(text, [&](const char* p, int n) {
      int at = static_cast<int>(p - text);
      if (n == 1 && at < length && (*p == '/' || *p == '\\')) last = at;
    });
    path_length = last + 1;
    base = last + 1;
    int rest = length - base;
    if (rest == 1 && text[base] == '.') {
      base += 1;
    } else if (rest == 2 && text[base] == '.' && text[base + 1] == '.') {
      // ".." names the parent, with or without a path before it: never the directory
      // itself.
      base += 2;
      std::memcpy(path, text, static_cast<std::size_t>(path_length));
      std::memcpy(path + path_length, "../", 3);
      path[path_length + 3] = '\0';
      if (pfa_put_path(file, path)) return PFA_E_INVALID_INPUT;
      *name_offset = start + base;
      return PFA_E_NO_ERROR;
    }
  }
  std::memcpy(path, text, static_cast<std::size_t>(path_length));
  path[path_length] = '\0';
  if (pfa_put_path(file, path)) return PFA_E_INVALID_INPUT;
  if (name_offset) *name_offset = start + base;
  return PFA_E_NO_ERROR;
}

int PfaUNC_claim_location(VynFile* file, void* text, void*, void* name_offset) {
  const char* name = static_cast<const char*>(text);
  if (!name) return PFA_E_INVALID_INPUT;
  bool slashes = name[0] == '/' && name[1] == '/';
  bool backslashes = name[0] == '\\' && name[1] == '\\';
  if ((!slashes && !backslashes) || name[2] == '/' || name[2] == '\\') return PFA_E_INVALID_INPUT;
  char copy[sizeof(VynFile::text)];
  std::size_t length = std::strlen(name);
  if (length >= sizeof copy) return PFA_E_INVALID_INPUT;
  for (std::size_t i = 0; i <= length; ++i) copy[i] = name[i] == '\\' ? '/' : name[i];
  auto* offset = static_cast<int*>(name_offset);
  const int whole = static_cast<int>(length);
  const char* share = std::strchr(copy + 2, '/');
  // "\\srv\" is the host: a delimiter with nothing after it names no share.
  if (share && share[1] == '\0') {
    copy[whole - 1] = '\0';
    if (pfa_put_component_len(file, 0, copy, whole - 1, 0)) return PFA_E_INVALID_INPUT;
    if (offset) *offset = whole;
    return PFA_E_NO_ERROR;
  }
  if (!share) {
    if (pfa_put_component_len(file, 0, copy, whole, 0)) return PFA_E_INVALID_INPUT;
    if (offset) *offset = whole;
    return PFA_E_NO_ERROR;
  }
  const int share_at = static_cast<int>(share - copy);
  if (pfa_put_component_len(file, 0, copy, share_at, 0)) return PFA_E_INVALID_INPUT;
  const char* path = std::strchr(share + 1, '/');
  if (!path) {
    if (pfa_put_component_len(file, 1, share, whole - share_at, 0) || pfa_put_path(file, "/"))
      return PFA_E_INVALID_INPUT;
    if (offset) *offset = whole;
    return PFA_E_NO_ERROR;
  }
  const int path_at = static_cast<int>(path - copy);
  if (pfa_put_component_len(file, 1, share, path_at - share_at, 0)) return PFA_E_INVALID_INPUT;
  return claim_location(file, path, whole - path_at, path_at, offset);
}

int PfaUNC_make_parent(VynFile* file, VynFile* out) {
  if (out != file && pfa_copy_vyn_file(file, out) != PFA_E_NO_ERROR) return PFA_E_NOT_VALID;
  int path = pfa_component_length(file, 2);
  char first = 0;
  pfa_component_first_char(file, 2, &first);
  if (path > 1 || (path == 1 && first != '/')) return PFA_E_ERROR;
  if (pfa_has_component(out, 1)) {
    // The parent of a share's root is its host.
    if (pfa_put_component_len(out, 1, "", 0, 0) || pfa_put_component_len(out, 2, "", 0, 0))
      return PFA_E_ERROR;
    return PFA_E_NO_ERROR;
  }
  if (pfa_component_length(out, 0) < 3) return PFA_E_ROOT_DIR;
  return pfa_put_component_len(out, 0, "//", 2, 0) ? PFA_E_ERROR : PFA_E_NO_ERROR;
}

namespace {

// Stores [text, text + n) as the host (0) or device (1): 0, or 9 when it does not fit or
// holds a delimiter, '|' or ':' (its full name would read back as another location).
int put_part(VynFile* file, int c, const char* text, int n) {
  char part[sizeof(VynFile::text)];
  if (n < 0 || n >= static_cast<int>(sizeof part)) return PFA_E_INVALID_INPUT;
  std::memcpy(part, text, static_cast<std::size_t>(n));
  part[n] = '\0';
  bool plain = true;
  walk_name_chars(part, [&](const char* p, int length) {
    if (length == 1 && std::strchr("\\/|:", *p)) plain = false;
  });
  if (!plain) return PFA_E_INVALID_INPUT;
  return pfa_put_component_len(file, c, part, n, 0) ? PFA_E_INVALID_INPUT : PFA_E_NO_ERROR;
}

// The length of the text up to the next '|' or '/'; -1 when a ':' comes first (a host
// or device with one would be read back as another host or drive).
int span_to_bar_or_slash(const char* text) {
  int n = 0;
  while (text[n] && text[n] != '|' && text[n] != '/') {
    if (text[n] == ':') return -1;
    ++n;
  }
  return n;
}

// Claims the neutral form "/////host///device/path", "///device|", "////path".
int claim_neutral(VynFile* file, const char* text, int* name_offset) {
  const char* p = text;
  if (std::strncmp(p, "/////", 5) == 0) {
    p += 5;
    int n = span_to_bar_or_slash(p);
    if (n < 0 || n > 31 || put_part(file, 0, p, n)) return PFA_E_INVALID_INPUT;
    p += n;
    if (std::strncmp(p, "///", 3) == 0 && p[3] && p[3] != '/') {
      p += 3;
      n = span_to_bar_or_slash(p);
      if (n < 0 || n > 31 || put_part(file, 1, p, n)) return PFA_E_INVALID_INPUT;
      p += n;
    }
  } else if (std::strncmp(p, "////", 4) == 0) {
    // The leading slashes but one are dropped.
    p += 3;
  } else {
    p += 3;
    int n = span_to_bar_or_slash(p);
    if (n < 0 || n > 31 || put_part(file, 1, p, n)) return PFA_E_INVALID_INPUT;
    p += n;
  }
  if (*p == '|') ++p;
  int start = static_cast<int>(p - text);
  return claim_location(file, p, static_cast<int>(std::strlen(p)), start, name_offset);
}

}  // namespace

int pfafs_claim_location(VynFile* file, void* text_word, void* colon_word, void* offset_word) {
  const char* text = static_cast<const char*>(text_word);
  const char* colon = static_cast<const char*>(colon_word);
  auto* name_offset = static_cast<int*>(offset_word);
  if (!text) return PFA_E_INVALID_INPUT;
  int length = static_cast<int>(std::strlen(text));
  if (length >= static_cast<int>(sizeof(VynFile::text))) return PFA_E_INVALID_INPUT;
  if (colon == text + 5 && std::strcmp(text, "pfafs:drives") == 0) {
    if (pfa_put_component_len(file, 1, "/", 1, 0)) return PFA_E_INVALID_INPUT;
    if (name_offset) *name_offset = length;
    return PFA_E_NO_ERROR;
  }
  if (std::strncmp(text, "///", 3) == 0) return claim_neutral(file, text, name_offset);
  const char* p = text;
  if (colon) {
    int before = static_cast<int>(colon - text);
    bool host = before < 32 && (colon[1] == ':' || (before >= 2 && colon[1] == '/'));
    if (host) {
      if (put_part(file, 0, text, before)) return PFA_E_INVALID_INPUT;
      p = colon + (colon[1] == ':' ? 2 : 1);
      const char* second = std::strchr(p, ':');
      if (second) {
        int n = static_cast<int>(second - p);
        if (n > 31 || put_part(file, 1, p, n)) return PFA_E_INVALID_INPUT;
        p = second + 1;
      }
    } else {
      if (before > 31 || put_part(file, 1, text, before)) return PFA_E_INVALID_INPUT;
      p = colon + 1;
    }
  } else if (text[0] == '$' && std::strchr(text, '/')) {
    int n = static_cast<int>(std::strchr(text, '/') - text) - 1;
    if (n > 31 || put_part(file, 1, text + 1, n)) return PFA_E_INVALID_INPUT;
    p = text + 1 + n;
  } else if (text[0] == '\\' && text[1] == '\\') {
    const char* end = std::strchr(text + 2, '\\');
    if (end) {
      // Only an administrative share: "\\host\C$\".
      int n = static_cast<int>(end - (text + 2));
      if (n > 31 || !std::isalpha(static_cast<unsigned char>(end[1])) || end[2] != '$' ||
          end[3] != '\\')
        return PFA_E_INVALID_INPUT;
      if (put_part(file, 0, text + 2, n) || put_part(file, 1, end + 1, 1))
        return PFA_E_INVALID_INPUT;
      p = end + 3;
    }
  }
  int start = static_cast<int>(p - text);
  return claim_location(file, p, length - start, start, name_offset);
}

namespace {

int append_text(const char* text, char* buffer, int* length, int limit) {
  std::size_t n = std::strlen(text);
  if (static_cast<std::size_t>(*length) + n >= static_cast<std::size_t>(limit)) return PFA_E_ERROR;
  std::memcpy(buffer + *length, text, n + 1);
  *length += static_cast<int>(n);
  return PFA_E_NO_ERROR;
}

// The neutral form of the path at the end of a location: "/" stays; no path gives "|"
// when something was written before it; else without redundant ".." elements and
// ending with '/'. A relative path behind a host or drive ("C:dir\") is set off by the
// same '|': run together with the drive it would read back as part of its name.
int neutral_path(VynFile* file, bool written, char* buffer, int* length, int limit) {
  char path[sizeof(VynFile::text) + 1];
  pfa_get_component(file, 2, path, sizeof(VynFile::text));
  if (!path[0]) return written ? append_text("|", buffer, length, limit) : PFA_E_NO_ERROR;
  if (written && path[0] != '/' && append_text("|", buffer, length, limit)) return PFA_E_ERROR;
  if (std::strcmp(path, "/") != 0) {
    pfa_remove_redundant_updirs(path);
    std::size_t n = std::strlen(path);
    if (n && path[n - 1] != '/') std::strcat(path, "/");
  }
  return append_text(path, buffer, length, limit);
}

// The head of a location string followed by the native path (whose first backslash
// becomes '/' when asked).
int append_head_and_path(VynFile* file, const char* head, bool slash_first, char* buffer,
                         int* length, int limit) {
  char path[sizeof(VynFile::text)];
  if (pfa_get_path(file, path) != PFA_E_NO_ERROR) return PFA_E_ERROR;
  if (slash_first && path[0] == '\\') path[0] = '/';
  if (append_text(head, buffer, length, limit)) return PFA_E_ERROR;
  return append_text(path, buffer, length, limit);
}

// A location-string method: the buffer and its used length come as words.
template <int (*Work)(VynFile*, char*, int*, int)>
int location_string_method(VynFile* file, void* buffer, void* length, int limit) {
  if (!buffer || !length) return PFA_E_INVALID_INPUT;
  return Work(file, static_cast<char*>(buffer), static_cast<int*>(length), limit);
}

int pfafs_full_loc_string(VynFile* file, char* buffer, int* length, int limit) {
  char host[32], device[32];
  pfa_get_component(file, 0, host, 32);
  pfa_get_component(file, 1, device, 32);
  char head[80];
  if (std::strcmp(device, "/") == 0) return append_text("pfafs:drives", buffer, length, limit);
  // Behind a host only a rooted path may follow "h:" or "\\h\C$": a relative path (or
  // none) would read back as part of a drive named after the host, or of a share named
  // after the drive, so it takes the form "h::" (and "h::C:") that keeps the parts apart.
  char first = 0;
  bool rooted = pfa_component_first_char(file, 2, &first) == PFA_E_NO_ERROR && first == '/';
  if (host[0] && !device[0]) {
    // "h:" would read back as drive h: a host of one character takes the second colon.
    std::snprintf(head, sizeof head, "%s:%s", host, host[1] && rooted ? "" : ":");
  } else if (host[0] && !rooted) {
    std::snprintf(head, sizeof head, "%s::%s:", host, device);
  } else if (host[0]) {
    std::snprintf(head, sizeof head, "\\\\%s\\%s$", host, device);
  } else if (device[0]) {
    std::snprintf(head, sizeof head, "%s:", device);
  } else {
    head[0] = '\0';
  }
  return append_head_and_path(file, head, host[0] && !device[0], buffer, length, limit);
}

int pfafs_neut_loc_string(VynFile* file, char* buffer, int* length, int limit) {
  char host[32], device[32];
  pfa_get_component(file, 0, host, 32);
  pfa_get_component(file, 1, device, 32);
  char head[80] = "";
  if (host[0]) std::snprintf(head, sizeof head, "/////%s", host);
  if (std::strcmp(device, "/") == 0) {
    if (append_text(head, buffer, length, limit)) return PFA_E_ERROR;
    return append_text("pfafs:drives", buffer, length, limit);
  }
  if (device[0]) {
    std::size_t n = std::strlen(head);
    std::snprintf(head + n, sizeof head - n, "///%s", device);
  }
  if (append_text(head, buffer, length, limit)) return PFA_E_ERROR;
  return neutral_path(file, head[0] != '\0', buffer, length, limit);
}

int pfafs_make_parent(VynFile* file, VynFile* out) {
  int path = pfa_component_length(file, 2);
  char first = 0;
  pfa_component_first_char(file, 2, &first);
  if (path > 1 || (path == 1 && first != '/')) return PFA_E_ERROR;
  char device[32];
  pfa_get_component(file, 1, device, 32);
  if (std::strcmp(device, "/") == 0 || pfa_has_component(file, 0)) return PFA_E_ROOT_DIR;
  // The parent of a drive root is the list of drives.
  if (!out || pfa_recycle_vyn_file(&out) != PFA_E_NO_ERROR) return PFA_E_NOT_VALID;
  if (pfa_put_device(out, "/") != PFA_E_NO_ERROR) return PFA_E_ERROR;
  return pfa_put_obj_type(out, PFA_TYPE_DIRECTORY);
}

int pfafs_is_folder(VynFile* file) {
  char name[sizeof(VynFile::text)];
  if (pfa_get_file_name(file, 62, name) != PFA_E_NO_ERROR) return PFA_E_NO_ERROR;
  return vyn_is_dir(name) ? PFA_E_EXIST : PFA_E_NO_ERROR;
}

int pfafs_case_sensitive(VynFile*) { return 0; }

int pfafs_is_remote_mounted(VynFile* file) {
  char device[32], root[40];
  pfa_get_component(file, 1, device, 32);
  // A name without a drive lies on the working directory's drive.
  char current[PFA_NAME_SIZE];
  if (!device[0] && ntlangwrap_GetCurrentDirectory(current) && current[1] == ':') {
    device[0] = current[0];
    device[1] = '\0';
  }
  std::snprintf(root, sizeof root, "%s:\\", device);
  w32::UINT type = ntlangwrap_GetDriveType(root);
  return type == w32::DRIVE_FIXED || type == w32::DRIVE_RAMDISK ? 0 : 1;
}

// UNC: "\\host\share" and the path, native.
int unc_full_loc_string(VynFile* file, char* buffer, int* length, int limit) {
  char head[2 * sizeof(VynFile::text)];
  int n = 0;
  head[0] = '\0';
  if (pfa_append_component(file, 0, head, &n, sizeof(VynFile::text)) ||
      pfa_append_component(file, 1, head, &n, sizeof(VynFile::text)))
    return PFA_E_ERROR;
  for (char* p = head; *p; ++p) {
    if (*p == '/') *p = '\\';
  }
  return append_head_and_path(file, head, false, buffer, length, limit);
}

int unc_neut_loc_string(VynFile* file, char* buffer, int* length, int limit) {
  if (pfa_append_component(file, 0, buffer, length, limit) ||
      pfa_append_component(file, 1, buffer, length, limit))
    return PFA_E_ERROR;
  // A bare host or share is written without the bar that a local location would get.
  return neutral_path(file, false, buffer, length, limit);
}

int unc_is_folder(VynFile* file) {
  char name[sizeof(VynFile::text)];
  if (pfa_get_full_name(file, name) != PFA_E_NO_ERROR) return PFA_E_NO_ERROR;
  if (std::strcmp(name, "\\\\") == 0) return PFA_E_EXIST;
  if (!pfa_has_component(file, 1)) return nt_is_valid_host(name) ? PFA_E_EXIST : PFA_E_NO_ERROR;
  return vyn_is_dir(name) ? PFA_E_EXIST : PFA_E_NO_ERROR;
}

int unc_guarantees_type(VynFile* file) { return pfa_has_component(file, 2) ? 1 : 0; }

}  // namespace

int pfafs_loc_is_NT_drive_relative(const VynFile* file) {
  if (!pfa_is_valid(file) || file->location_type != PFA_LOC_STD_FILESYSTEM) return 0;
  char device = 0, path = 0;
  if (pfa_component_first_char(file, 1, &device) != PFA_E_NO_ERROR || device == '/') return 0;
  return pfa_component_first_char(file, 2, &path) != PFA_E_NO_ERROR || path != '/' ? 1 : 0;
}

int pfafs_NT_drive_letter_to_int(int letter) {
  if (letter >= 'A' && letter <= 'Z') return letter - 'A' + 1;
  if (letter >= 'a' && letter <= 'z') return letter - 'a' + 1;
  return -1;
}

int nt_is_valid_host(const char* name) {
  if (!name) return 0;
  char remote[sizeof(VynFile::text)];
  std::size_t n = std::strlen(name);
  if (n >= sizeof remote) return 0;
  std::memcpy(remote, name, n + 1);
  // A trailing delimiter is no part of the host's name.
  if (n > 2 && (remote[n - 1] == '\\' || remote[n - 1] == '/')) remote[n - 1] = '\0';
  w32::HANDLE enumeration = nullptr;
  w32::DWORD answer;
  if (std::strcmp(remote, "\\\\") == 0) {
    answer = w32::WNetOpenEnumA(PFA_RESOURCE_CONTEXT, w32::RESOURCETYPE_ANY, 0, nullptr,
                                &enumeration);
  } else {
    w32::NETRESOURCEA resource = {};
    resource.dwScope = w32::RESOURCE_GLOBALNET;
    resource.dwType = w32::RESOURCETYPE_DISK;
    resource.dwUsage = w32::RESOURCEUSAGE_CONTAINER;
    resource.lpRemoteName = remote;
    answer = w32::WNetOpenEnumA(w32::RESOURCE_GLOBALNET, w32::RESOURCETYPE_DISK,
                                w32::RESOURCEUSAGE_CONTAINER, &resource, &enumeration);
  }
  if (answer != 0) return 0;
  w32::WNetCloseEnum(enumeration);
  return 1;
}

// The methods of each type are registered between its setup and the closing setup(0).

int pfa_register_std_filesystem() {
  constexpr int type = static_cast<int>(PFA_LOC_STD_FILESYSTEM);
  if (!pfa_loc_register_setup(type)) return 0;
  pfa_loc_method_register(type, PfaDeviceIdx, PLM_CALL_F, as_method(&pfafs_device_idx));
  pfa_loc_method_register(type, PfaHostIdx, PLM_CALL_F, as_method(&pfafs_host_idx));
  pfa_loc_method_register(type, PfaPathIdx, PLM_CALL_F, as_method(&pfafs_path_idx));
  pfa_loc_method_register(type, PfaClaimLocation, PLM_CALL_FPPP, as_method(&pfafs_claim_location));
  pfa_loc_method_register(type, PfaGetLocationString, PLM_CALL_FPPS,
                          as_method(&location_string_method<pfafs_full_loc_string>));
  pfa_loc_method_register(type, PfaGetNeutralLocation, PLM_CALL_FPPS,
                          as_method(&location_string_method<pfafs_neut_loc_string>));
  pfafs_register_stream_methods(type);
  pfafs_register_dir_methods(type);
  pfa_loc_method_register(type, PfaMakeParent, PLM_CALL_FF, as_method(&pfafs_make_parent));
  pfa_loc_method_register(type, PfaIsFolder, PLM_CALL_F, as_method(&pfafs_is_folder));
  pfa_loc_method_register(type, PfaCaseSensitiveLoc, PLM_CALL_F, as_method(&pfafs_case_sensitive));
  pfa_loc_method_register(type, PfaIsRemoteMounted, PLM_CALL_F,
                          as_method(&pfafs_is_remote_mounted));
  pfa_loc_register_setup(PFA_LOC_NONE);
  return pfa_stdio_register();
}

int pfa_register_unc_filesystem() {
  if (!pfa_loc_register_setup(PFA_LOC_UNC)) return 0;
  // A network name is handled as a local one except where the whole name matters.
  pfa_loc_type_inherit_methods(PFA_LOC_UNC, static_cast<int>(PFA_LOC_STD_FILESYSTEM));
  pfa_loc_method_register(PFA_LOC_UNC, PfaClaimLocation, PLM_CALL_FPPP,
                          as_method(&PfaUNC_claim_location));
  pfa_loc_method_register(PFA_LOC_UNC, PfaGetLocationString, PLM_CALL_FPPS,
                          as_method(&location_string_method<unc_full_loc_string>));
  pfa_loc_method_register(PFA_LOC_UNC, PfaGetNeutralLocation, PLM_CALL_FPPS,
                          as_method(&location_string_method<unc_neut_loc_string>));
  pfa_loc_method_register(PFA_LOC_UNC, PfaIsFolder, PLM_CALL_F, as_method(&unc_is_folder));
  pfafs_register_unc_stream_methods(PFA_LOC_UNC);
  pfafs_register_unc_dir_methods(PFA_LOC_UNC);
  pfa_loc_method_register(PFA_LOC_UNC, PfaMakeParent, PLM_CALL_FF, as_method(&PfaUNC_make_parent));
  pfa_loc_method_register(PFA_LOC_UNC, PfaLocGuaranteesType, PLM_CALL_F,
                          as_method(&unc_guarantees_type));
  return pfa_loc_register_setup(PFA_LOC_NONE);
}

}  // namespace vek
