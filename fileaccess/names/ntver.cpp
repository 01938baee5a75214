#include "fileaccess/names/ntver.h"

#include <cstdio>
#include <cstring>

#include "fileaccess/names/ntver_testing.h"
#include "fileaccess/names/oshelp.h"
#include "platform/w32/registry.h"

namespace vek {

namespace {

constexpr char kVekKey[] = "Software\\VEK";
constexpr int kPerType = 30;
constexpr int kLastVersion = 999;

// -1 until read from the registry.
int highest_registered = -1;

bool never_registered(int v) { return v == 123 || v == 323 || v == 386; }

bool key_exists(const char* key) {
  w32::HKEY opened = nullptr;
  if (w32::RegOpenKeyExA(w32::HKEY_CLASSES_ROOT, key, 0, w32::KEY_READ, &opened) != 0) return false;
  w32::RegCloseKey(opened);
  return true;
}

}  // namespace

int ntver_get_install_data(char* command, char* icon) {
  return nt_get_registry_string(w32::HKEY_CURRENT_USER, kVekKey, "mavrelmsg", 260, command) &&
                 nt_get_registry_string(w32::HKEY_CURRENT_USER, kVekKey, "vekicon", 260, icon)
             ? 1
             : 0;
}

int ntver_highest_registered() {
  w32::DWORD value = 0;
  if (!nt_get_registry_value(w32::HKEY_CURRENT_USER, kVekKey, "mavrelFileVers", &value)) return 0;
  return static_cast<int>(value);
}

int ntver_set_highest_registered(int value) {
  return nt_set_registry_value(w32::HKEY_CURRENT_USER, kVekKey, "mavrelFileVers",
                               static_cast<w32::DWORD>(value));
}

int ntver_register_filetype(int k, const char* command, const char* icon, char* name,
                            int* name_length) {
  int n = std::snprintf(name, 260, "mavrelFile%d", k);
  if (name_length) *name_length = n;
  char key[300];
  const char* open_text = "Open with Mavrel";
  struct Row {
    const char* suffix;
    const char* value;
    int size;
  } rows[] = {
      {"", "Mavrel Versioned File", static_cast<int>(sizeof "Mavrel Versioned File")},
      {"\\DefaultIcon", icon, 260},
      {"\\shell", "Open", static_cast<int>(sizeof "Open")},
      {"\\shell\\Open", open_text, static_cast<int>(std::strlen(open_text))},
      {"\\shell\\Open\\command", command, 260},
  };
  int result = 0;
  for (const Row& row : rows) {
    std::snprintf(key, sizeof key, "%s%s", name, row.suffix);
    result = nt_set_registry_string(w32::HKEY_CLASSES_ROOT, key, nullptr, row.size, row.value);
    if (!result) return 0;
  }
  return result;
}

int ntver_register_version(int n, const char* type_name, int name_length) {
  if (n > kLastVersion) return 0;
  char key[16];
  std::snprintf(key, sizeof key, ".%d", n);
  if (key_exists(key)) return 1;
  if (nt_set_registry_string(w32::HKEY_CLASSES_ROOT, key, nullptr, name_length + 1, type_name))
    return 1;
  // A key made without its value would pass for another program's key and never be
  // registered: it goes again.
  w32::RegDeleteKeyA(w32::HKEY_CLASSES_ROOT, key);
  return 0;
}

int ntver_insure_version_registered(int version) {
  if (highest_registered < 0) highest_registered = ntver_highest_registered();
  if (version <= highest_registered) return 0;
  char command[260], icon[260];
  if (!ntver_get_install_data(command, icon)) return 0;
  char type_name[260] = "";
  int name_length = 0;
  int last_good = highest_registered;
  bool first = true;
  for (int v = highest_registered + 1; v <= version; ++v) {
    if (never_registered(v)) continue;
    if (first || v % kPerType == 1) {
      if (!ntver_register_filetype(v / kPerType + 1, command, icon, type_name, &name_length)) break;
      first = false;
    }
    if (!ntver_register_version(v, type_name, name_length)) break;
    last_good = v;
  }
  if (last_good > highest_registered) {
    ntver_set_highest_registered(last_good);
    highest_registered = last_good;
    return last_good;
  }
  return 0;
}

void ntver_testing_reset() { highest_registered = -1; }

}  // namespace vek
