#include "fileaccess/backends/pfafs.h"

#include "fileaccess/core/pfa.h"
#include <cstring>

#include "fileaccess/core/pfacomp.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfaname.h"

namespace vek {

namespace {

// Which location component is the host, the device and the path of a local name.
int pfafs_host_idx(VynFile*) { return 0; }
int pfafs_device_idx(VynFile*) { return 1; }
int pfafs_path_idx(VynFile*) { return 2; }

template <typename F>
PfaLocMethod as_method(F* function) {
  return reinterpret_cast<PfaLocMethod>(function);
}

}  // namespace

int claim_location(VynFile* file, const char* text, int length, int start, int* name_offset) {
  char path[sizeof(VynFile::text) + 4];
  if (length < 0 || length >= static_cast<int>(sizeof(VynFile::text))) return PFA_E_INVALID_INPUT;
  int path_length = length;
  int base = length;
  if (name_offset) {
    int last = -1;
    for (int i = 0; i < length; ++i) {
      if (text[i] == '/' || text[i] == '\\') last = i;
    }
    path_length = last + 1;
    base = last + 1;
    int rest = length - base;
    if (rest == 1 && text[base] == '.') {
      base += 1;
    } else if (rest == 2 && text[base] == '.' && text[base + 1] == '.') {
      base += 2;
      if (last >= 0) {
        std::memcpy(path, text, static_cast<std::size_t>(path_length));
        std::memcpy(path + path_length, "../", 3);
        path[path_length + 3] = '\0';
        if (pfa_put_path(file, path)) return PFA_E_INVALID_INPUT;
        *name_offset = start + base;
        return PFA_E_NO_ERROR;
      }
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

// The methods of each type are registered between its setup and the closing setup(0).

int pfa_register_std_filesystem() {
  constexpr int type = static_cast<int>(PFA_LOC_STD_FILESYSTEM);
  if (!pfa_loc_register_setup(type)) return 0;
  pfa_loc_method_register(type, PfaDeviceIdx, PLM_CALL_F, as_method(&pfafs_device_idx));
  pfa_loc_method_register(type, PfaHostIdx, PLM_CALL_F, as_method(&pfafs_host_idx));
  pfa_loc_method_register(type, PfaPathIdx, PLM_CALL_F, as_method(&pfafs_path_idx));
  pfa_loc_register_setup(PFA_LOC_NONE);
  return pfa_stdio_register();
}

int pfa_register_unc_filesystem() {
  if (!pfa_loc_register_setup(PFA_LOC_UNC)) return 0;
  // A network name is handled as a local one except where the whole name matters.
  pfa_loc_type_inherit_methods(PFA_LOC_UNC, static_cast<int>(PFA_LOC_STD_FILESYSTEM));
  pfa_loc_method_register(PFA_LOC_UNC, PfaClaimLocation, PLM_CALL_FPPP,
                          as_method(&PfaUNC_claim_location));
  return pfa_loc_register_setup(PFA_LOC_NONE);
}

}  // namespace vek
