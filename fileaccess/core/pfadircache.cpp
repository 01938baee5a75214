#include "fileaccess/core/pfadircache.h"

#include <cstring>

#include "fileaccess/core/pfadircache_testing.h"

namespace vek {

namespace {

constexpr int kKept = 16;
constexpr int kNameSize = 260;

// The last names refreshed, oldest first once the ring has filled.
char g_names[kKept][kNameSize];
int g_count = 0;

}  // namespace

int pfa_file_name_update_dir_cache(const char* name) {
  char* slot = g_names[g_count % kKept];
  if (name == nullptr) {
    slot[0] = '\0';
  } else {
    std::strncpy(slot, name, kNameSize - 1);
    slot[kNameSize - 1] = '\0';
  }
  ++g_count;
  return 0;
}

int pfa_dir_cache_testing_refresh_count() { return g_count; }

const char* pfa_dir_cache_testing_refreshed(int n) {
  if (n < 0 || n >= g_count || n < g_count - kKept) return nullptr;
  return g_names[n % kKept];
}

void pfa_dir_cache_testing_reset() { g_count = 0; }

}  // namespace vek
