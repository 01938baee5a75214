#include "fileaccess/names/tempname.h"

#include <strings.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fileaccess/names/fnversion.h"
#include "platform/w32/crt.h"
#include "platform/w32/environment.h"
#include "runtime/diag/diag.h"
#include "runtime/system/sysinfo.h"
#include "runtime/text/strutil.h"
#include "runtime/text/wide.h"
#include "runtime/text/wstring.h"

namespace vek {

namespace {

constexpr int TEMP_NAME_TRIES = 1024;
constexpr std::size_t NAME_SIZE = 260;

// Cleans the file part of name beyond the prefix in place: true when nothing changed.
bool clean_file_part(char* name, std::size_t prefix_length) {
  char* file = std::strrchr(name, '/');
  if (!file) file = std::strrchr(name, '\\');
  file = file ? file + 1 : name;
  if (std::strlen(file) < prefix_length) return true;
  bool clean = true;
  for (char* p = file + prefix_length; *p; ++p) {
    if (is_valid_char(*p)) {
      if (*p >= 'A' && *p <= 'Z') *p = static_cast<char>(*p - 'A' + 'a');
    } else {
      *p = '_';
      clean = false;
    }
  }
  return clean;
}

bool name_exists(const char* name) {
  w32::_stat st;
  return w32::stat(name, &st) == 0;
}

}  // namespace

int vyn_temp_fname_str(const char* directory, const char* prefix, char* out) {
  if (!out) return 0;
  std::string saved;
  bool swapped = false;
  if (directory) {
    if (const char* tmp = std::getenv("TMP")) {
      saved = tmp;
      swapped = vyn_putenv((std::string("TMP=") + directory).c_str()) == 0;
    }
  }
  int found = 0;
  std::size_t prefix_length = prefix ? std::strlen(prefix) : 0;
  for (int tries = 0; !found && tries < TEMP_NAME_TRIES; ++tries) {
    char* proposed = w32::_tempnam(directory, prefix);
    if (!proposed) continue;
    if (std::strlen(proposed) < NAME_SIZE) {
      bool clean = clean_file_part(proposed, prefix_length);
      if (clean || !name_exists(proposed)) {
        std::strcpy(out, proposed);
        found = 1;
      }
    }
    std::free(proposed);
  }
  if (swapped) vyn_putenv(("TMP=" + saved).c_str());
  return found;
}

int vyn_temp_fname_in(const char* directory, const char* prefix, char* out) {
  if (!directory || !out) return 0;
  // The service names its directory in full, as GetFullPathName gives it.
  char expected[NAME_SIZE];
  w32::DWORD length = w32::GetFullPathNameA(directory, sizeof expected, expected, nullptr);
  if (length == 0 || length >= sizeof expected) return 0;
  while (length > 0 && (expected[length - 1] == '\\' || expected[length - 1] == '/')) --length;
  if (!vyn_temp_fname_str(directory, prefix, out)) return 0;
  bool inside = strncasecmp(out, expected, length) == 0 && (out[length] == '\\' || out[length] == '/');
  return inside ? 1 : 0;
}

int vyn_temp_fname(const VynWchar* directory, const VynWchar* prefix,
                   const VynWchar* extension, VynWchar* out) {
  if (!out) return 0;
  char narrow_dir[NAME_SIZE];
  char narrow_prefix[NAME_SIZE];
  if (directory && wstostr_bounded(narrow_dir, sizeof narrow_dir, directory)) return 0;
  if (prefix && wstostr_bounded(narrow_prefix, sizeof narrow_prefix, prefix)) return 0;
  char name[NAME_SIZE];
  if (!vyn_temp_fname_str(directory ? narrow_dir : nullptr, prefix ? narrow_prefix : nullptr,
                          name))
    return 0;
  if (directory && std::strncmp(name, narrow_dir, std::strlen(narrow_dir)) != 0) return 0;
  VynWchar wide[NAME_SIZE];
  if (strtows_bounded(wide, NAME_SIZE, name)) return 0;
  const VynWchar tmp[] = u".tmp";
  const VynWchar* suffix = extension ? extension : tmp;
  if (static_cast<std::size_t>(wslen(wide) + wslen(suffix)) >= NAME_SIZE) return 0;
  wscpy(out, wide);
  wscpy(out + wslen(out), suffix);
  return 1;
}

int get_temp_fname(VynWchar* out, const VynWchar* directory, const VynWchar* extension) {
  return vyn_temp_fname(directory, nullptr, extension, out);
}

int vyn_temp_path(char* out) {
  if (!out) {
    dbg_err_syserr("vyn_temp_path", "NULL string pointer");
    return 0;
  }
  VynWchar name[NAME_SIZE];
  VynWchar path[NAME_SIZE];
  VynWchar base[NAME_SIZE];
  VynWchar extension[NAME_SIZE];
  out[0] = '\0';
  if (!vyn_temp_fname(nullptr, nullptr, nullptr, name)) return 1;
  get_path_name_ext(name, path, base, extension);
  wstostr_bounded(out, NAME_SIZE, path);
  return 1;
}

}  // namespace vek
