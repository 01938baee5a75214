#include "fileaccess/core/pfaops.h"

#include <cstring>

#include "fileaccess/backends/pfu.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfaname.h"
#include "fileaccess/core/pfaops_testing.h"
#include "runtime/system/hostcache.h"
#include "runtime/text/strutil.h"

namespace vek {

namespace {

// This machine's name and its official name, each read once.
char local_name[64];
bool local_name_read;
char local_official[256];
bool local_official_read;

const char* official_name(const char* name, char* out, std::size_t size) {
  w32::hostent* entry = vyn_gethostbyname(name);
  if (!entry || !entry->h_name || std::strlen(entry->h_name) >= size) return nullptr;
  std::strcpy(out, entry->h_name);
  return out;
}

}  // namespace

int pfa_is_local(const VynFile* file) {
  if (!pfa_is_valid(file)) return -1;
  if (file->location_type != PFA_LOC_NONE && file->location_type != PFA_LOC_STD_FILESYSTEM)
    return 1;
  char host[32];
  if (pfa_get_host(file, host) != PFA_E_NO_ERROR || host[0] == '\0') return 1;
  if (!local_name_read) {
    local_name_read = true;
    if (!vyn_get_hostname(local_name, static_cast<int>(sizeof local_name))) local_name[0] = '\0';
  }
  if (local_name[0] && u_strcmp_func(host, local_name) == 0) return 1;
  if (host[1] == '\0') return 0;
  if (!local_official_read) {
    local_official_read = true;
    if (!local_name[0] || !official_name(local_name, local_official, sizeof local_official))
      local_official[0] = '\0';
  }
  char other[256];
  if (!local_official[0] || !official_name(host, other, sizeof other)) return 0;
  return u_strcmp_func(other, local_official) == 0 ? 1 : 0;
}

void pfaops_testing_reset() {
  local_name_read = false;
  local_official_read = false;
}

}  // namespace vek
