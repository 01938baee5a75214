// Parsing names into handles, reading them back, joining and the type setters.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fileaccess/backends/pfafs.h"
#include "fileaccess/core/objtype.h"
#include "fileaccess/core/pfacomp.h"
#include "fileaccess/core/pfadir.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfaname.h"
#include "fileaccess/core/pfaops.h"
#include "fileaccess/names/pfavers.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/runmode.h"
#include "runtime/memory/getmem.h"
#include "runtime/text/strutil.h"
#include "runtime/text/wide.h"

namespace vek {

namespace {

constexpr int kNameSize = PFA_NAME_SIZE;

bool is_separator(char c) { return c == '/' || c == '\\'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

int base_length(const VynFile* file) { return pfa_component_length(file, PFA_COMP_BASE_NAME); }

// Empties the name: no components, type -4, version 0; location type and flags stay.
void reset_name(VynFile* file) {
  std::memset(file->text, 0, sizeof file->text);
  std::memset(file->component, 0, sizeof file->component);
  file->object_type = PFA_TYPE_NONE;
  file->version = 0;
}

// True when the base name holds characters that are not valid in file names.
bool has_invalid_chars(const char* name, int length) {
  VynWchar wide[kNameSize];
  char narrow[kNameSize];
  if (length >= kNameSize) return true;
  std::memcpy(narrow, name, static_cast<std::size_t>(length));
  narrow[length] = '\0';
  if (strtows_bounded(wide, kNameSize, narrow)) return true;
  return invalid_string(wide) != 0;
}

bool component_has_invalid_chars(const VynFile* file, int c) {
  return has_invalid_chars(file->text + file->component[c][0], pfa_component_length(file, c));
}

// The version that ends rest (length bytes): *dot gets where the name is cut. 0 when
// it has none.
bool find_version(const char* rest, int length, int* dot, int* version) {
  if (length == 0 || !is_digit(rest[length - 1])) return false;
  int at = length - 1;
  while (at > 0 && is_digit(rest[at - 1])) --at;
  // at is the first digit; the character before it decides.
  if (at == 0) return false;
  int digits = at;
  bool negative = false;
  if (rest[at - 1] == '-') {
    negative = true;
    --at;
    if (at == 0) return false;
  }
  if (rest[at - 1] != '.' || at - 1 == 0) return false;
  if (rest[digits] == '0') return false;
  // '.' directly followed by '0' carries no version either.
  if (!negative && rest[at] == '0') return false;
  long value = 0;
  for (int i = digits; i < length; ++i) {
    value = value * 10 + (rest[i] - '0');
    if (value > 32768) return false;
  }
  if (negative) value = -value;
  if (value > 32767 || value < -32768) return false;
  *dot = at - 1;
  *version = static_cast<int>(value);
  return true;
}

// A handle copy for reading only: no stream, no appinfo.
void shallow_copy(const VynFile* from, VynFile* to) {
  std::memcpy(static_cast<void*>(to), from, sizeof *to);
  to->flags &= ~(PFA_FLAG_OPEN | PFA_FLAG_DIR_BORROWED | PFA_FLAG_CACHE_COPY |
                 PFA_FLAG_REMOTE_COUNTED);
  to->location_slot = nullptr;
  to->appinfo = nullptr;
}

// The location string of a method into buffer (kNameSize): 0, 1 when it does not fit.
int location_string(const VynFile* file, int method, char* buffer, int* length) {
  buffer[0] = '\0';
  *length = 0;
  int answer = pfaloc_call_FPPS(const_cast<VynFile*>(file), method, buffer, length, kNameSize);
  if (answer == -1) answer = PFA_E_NO_ERROR;  // a location without one writes nothing
  if (answer != PFA_E_NO_ERROR) {
    buffer[0] = '\0';
    *length = 0;
    return PFA_E_ERROR;
  }
  *length = static_cast<int>(std::strlen(buffer));
  return PFA_E_NO_ERROR;
}

int appended(const char* text, char* buffer, int* length) {
  return pfa_strcat(text, buffer, length) ? PFA_E_NO_ERROR : PFA_E_ERROR;
}

// The name after the location into buffer at *length: base name, extension (not for a
// directory), version.
int append_name(const VynFile* file, char* buffer, int* length, bool lower) {
  if (pfa_append_component_lower(file, PFA_COMP_BASE_NAME, buffer, length, kNameSize, lower))
    return PFA_E_ERROR;
  if (file->object_type != PFA_TYPE_DIRECTORY && pfa_has_component(file, PFA_COMP_EXTENSION)) {
    if (appended(".", buffer, length) ||
        pfa_append_component_lower(file, PFA_COMP_EXTENSION, buffer, length, kNameSize, lower))
      return PFA_E_ERROR;
  }
  if (file->version != 0) {
    char version[16];
    std::snprintf(version, sizeof version, "%c%d", '.', file->version);
    if (appended(version, buffer, length)) return PFA_E_ERROR;
  }
  return PFA_E_NO_ERROR;
}

int index_of(const VynFile* file, int method) {
  int c = pfaloc_call_F(const_cast<VynFile*>(file), method);
  return c >= 0 && c <= 2 ? c : -1;
}

bool is_cur_dir(const VynFile* file) { return file && file == get_Cur_Dir(); }

}  // namespace

int substitute_unix_home_dir(const char* in, char* out, int limit) {
  if (!out || limit < 1) return 0;
  out[0] = '\0';
  if (!in) return 0;
  std::size_t length = std::strlen(in);
  if (length >= static_cast<std::size_t>(limit)) return 0;
  if (in[0] != '~') {
    std::memcpy(out, in, length + 1);
    return 1;
  }
  if (in[1] != '\0' && !is_separator(in[1])) return 0;
  VynFile* home = nullptr;
  if (pfa_alloc_vyn_file(&home) != PFA_E_NO_ERROR) return 0;
  char full[kNameSize];
  int result = pfa_get_home_dir(home) == PFA_E_NO_ERROR &&
               pfa_get_full_name(home, full) == PFA_E_NO_ERROR;
  pfa_free_vyn_file(&home);
  if (!result) return 0;
  const char* tail = in[1] ? in + 2 : in + 1;
  std::size_t a = std::strlen(full), b = std::strlen(tail);
  if (a + b >= static_cast<std::size_t>(limit)) return 0;
  std::memcpy(out, full, a);
  std::memcpy(out + a, tail, b + 1);
  return 1;
}

int w_substitute_vars(const VynWchar* in, VynWchar* out, int limit) {
  if (!out || limit < 1) return 0;
  out[0] = 0;
  if (!in) return 0;
  // Work buffers that live between calls, grown for a larger limit.
  static char* narrow;
  static char* substituted;
  static char* homed;
  static int room;
  int need = static_cast<int>(wstostr_room(static_cast<std::size_t>(limit)));
  if (need > room) {
    char* a = static_cast<char*>(getmem_null(static_cast<std::size_t>(need)));
    char* b = static_cast<char*>(getmem_null(static_cast<std::size_t>(need)));
    char* c = static_cast<char*>(getmem_null(static_cast<std::size_t>(need)));
    if (!a || !b || !c) {
      if (a) rlsmem(a);
      if (b) rlsmem(b);
      if (c) rlsmem(c);
      return 0;
    }
    if (narrow) rlsmem(narrow);
    if (substituted) rlsmem(substituted);
    if (homed) rlsmem(homed);
    narrow = a;
    substituted = b;
    homed = c;
    room = need;
  }
  int done = !wstostr_bounded(narrow, static_cast<std::size_t>(room), in) &&
             substitute_env_vars(narrow, substituted, limit) &&
             substitute_unix_home_dir(substituted, homed, limit) &&
             !strtows_bounded(out, static_cast<std::size_t>(limit), homed);
  if (done) return 1;
  std::size_t n = 0;
  while (in[n] && n + 1 < static_cast<std::size_t>(limit)) {
    out[n] = in[n];
    ++n;
  }
  out[n] = 0;
  return 0;
}

int parse_to_pfa(VynFile* file, int location_type, const char* text) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  if (!text) return PFA_E_INVALID_INPUT;
  // The stream of an open handle belongs to the name it was opened by.
  if (file->flags & PFA_FLAG_OPEN) return PFA_E_NOT_ALLOWED;
  if (std::strlen(text) >= static_cast<std::size_t>(kNameSize)) {
    reset_name(file);
    return PFA_E_INVALID_INPUT;
  }
  pfa_cleanup(file);
  file->magic = VYN_FILE_MAGIC;
  reset_name(file);
  int offset = 0;
  if (location_type != 0) {
    int answer = pfa_parse_location(file, text, &offset, location_type);
    if (answer != PFA_E_NO_ERROR) {
      reset_name(file);
      return answer;
    }
  }
  const char* rest = text + offset;
  int length = static_cast<int>(std::strlen(rest));
  if (length == 0) {
    if (pfa_put_obj_type(file, PFA_TYPE_DIRECTORY) != PFA_E_NO_ERROR) {
      reset_name(file);
      return PFA_E_INVALID_INPUT;
    }
    return PFA_E_NO_ERROR;
  }
  if (rest[0] == '.') {
    // A name that begins with '.' is a base name alone.
    if (pfa_put_component_len(file, PFA_COMP_BASE_NAME, rest, length, 0)) {
      reset_name(file);
      return PFA_E_INVALID_INPUT;
    }
    file->object_type = PFA_TYPE_UNKNOWN;
    return PFA_E_NO_ERROR;
  }
  int dot = length;
  int version = 0;
  bool has_version = find_version(rest, length, &dot, &version);
  int end = has_version ? dot : length;
  int last_dot = -1;
  for (int i = end - 1; i > 0; --i) {
    if (rest[i] == '.') {
      last_dot = i;
      break;
    }
  }
  int base_end = last_dot > 0 ? last_dot : end;
  int ext_start = last_dot > 0 ? last_dot + 1 : end;
  int type = PFA_TYPE_UNKNOWN;
  if (last_dot > 0) {
    char extension[kNameSize];
    std::memcpy(extension, rest + ext_start, static_cast<std::size_t>(end - ext_start));
    extension[end - ext_start] = '\0';
    type = extension_to_type(extension);
    if (type == OBJ_TYPE_NOT_FOUND) type = PFA_TYPE_UNKNOWN;
    if (!(file->flags & PFA_FLAG_GENERIC_NAME) && type != PFA_TYPE_UNKNOWN) {
      if ((base_end >= 32 && base_end >= type_to_name_length(type)) ||
          (!type_to_weird_chars_OK(type) && has_invalid_chars(rest, base_end)))
        type = PFA_TYPE_UNKNOWN;
    }
  }
  if (pfa_put_component_len(file, PFA_COMP_BASE_NAME, rest, base_end, 0) ||
      pfa_put_component_len(file, PFA_COMP_EXTENSION, rest + ext_start, end - ext_start, 0)) {
    reset_name(file);
    return PFA_E_INVALID_INPUT;
  }
  file->object_type = static_cast<std::int16_t>(type);
  if (has_version) file->version = static_cast<std::int16_t>(version);
  return PFA_E_NO_ERROR;
}

namespace {

int parse_private(VynFile* file, const VynFile* dir, const char* name, int mode) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  if (is_cur_dir(file) || !name) return PFA_E_INVALID_INPUT;
  if (file->flags & PFA_FLAG_OPEN) return PFA_E_NOT_ALLOWED;
  char substituted[kNameSize];
  char homed[kNameSize];
  // A name that a variable would take past the limit is refused: cut at its '$' it
  // would name another file.
  if (std::strlen(name) >= static_cast<std::size_t>(kNameSize) ||
      !substitute_env_vars(name, substituted, kNameSize) ||
      !substitute_unix_home_dir(substituted, homed, kNameSize)) {
    pfa_cleanup(file);
    file->magic = VYN_FILE_MAGIC;
    reset_name(file);
    return PFA_E_INVALID_INPUT;
  }
  int answer = parse_to_pfa(file, -1, homed);
  if (answer != PFA_E_NO_ERROR) return answer;
  if (!pfa_path_is_absolute(file) && !pfafs_loc_is_NT_drive_relative(file) &&
      pfa_is_valid(dir) && pfa_has_location(dir, nullptr)) {
    answer = pfa_concat_locations(dir, file, file);
    if (answer != PFA_E_NO_ERROR) {
      reset_name(file);
      return answer;
    }
  }
  if (file->object_type == PFA_TYPE_DIRECTORY && !pfa_has_component(file, PFA_COMP_BASE_NAME))
    return PFA_E_NO_ERROR;
  file->object_type = PFA_TYPE_NONE;
  answer = pfa_to_standard_form_private(file, mode);
  if (answer != PFA_E_NO_ERROR) reset_name(file);
  return answer;
}

}  // namespace

int pfa_parse_to_vyn_file(VynFile* file, const char* name) {
  return parse_private(file, nullptr, name, -1);
}

int pfa_parse_to_vyn_file_in_dir(VynFile* file, const VynFile* dir, const char* name) {
  return parse_private(file, dir, name, -1);
}

int pfa_to_standard_form(VynFile* file) { return pfa_to_standard_form_private(file, -1); }

int pfa_to_standard_form_private(VynFile* file, int mode) {
  if (!pfa_is_valid(file) || file->object_type != PFA_TYPE_NONE) return PFA_E_NOT_VALID;
  int length = base_length(file);
  bool unusual = (length > 0 && file->text[file->component[PFA_COMP_BASE_NAME][0]] == '.') ||
                 component_has_invalid_chars(file, PFA_COMP_BASE_NAME);
  int answer = pfa_put_extension_to_type(file, length, unusual ? 1 : 0);
  if (answer != PFA_E_NO_ERROR) return answer;
  if (pfa_is_local(file) != 1) return PFA_E_NO_ERROR;
  bool directory = mode == 1 || (mode == -1 && pfaloc_call_F(file, PfaIsFolder) == PFA_E_EXIST);
  if (directory) return pfa_put_obj_type(file, PFA_TYPE_DIRECTORY);
  return PFA_E_NO_ERROR;
}

int pfa_put_extension_to_type(VynFile* file, int name_length, int unusual) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  if (!pfa_has_component(file, PFA_COMP_EXTENSION)) {
    file->object_type = PFA_TYPE_UNKNOWN;
    return PFA_E_NO_ERROR;
  }
  char extension[kNameSize];
  pfa_get_component(file, PFA_COMP_EXTENSION, extension, kNameSize);
  int type = extension_to_type(extension);
  if (type == OBJ_TYPE_NOT_FOUND ||
      (type == OBJ_TYPE_NO_EXTENSION && std::strlen(extension) >= 4))
    type = PFA_TYPE_UNKNOWN;
  if (!(file->flags & PFA_FLAG_GENERIC_NAME)) {
    if ((name_length >= 32 && name_length >= type_to_name_length(type)) ||
        (unusual && !type_to_weird_chars_OK(type))) {
      file->object_type = PFA_TYPE_UNKNOWN;
      return PFA_E_NO_ERROR;
    }
  }
  if (type == PFA_TYPE_DIRECTORY) {
    type = PFA_TYPE_UNKNOWN;
  } else {
    move_dir_to_name(file, type);
  }
  file->object_type = static_cast<std::int16_t>(type);
  return PFA_E_NO_ERROR;
}

int move_dir_to_name(VynFile* file, int type) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  if (file->object_type != PFA_TYPE_DIRECTORY || pfa_has_component(file, PFA_COMP_BASE_NAME))
    return PFA_E_NO_ERROR;
  int path = index_of(file, PfaPathIdx);
  if (path < 0 || !pfa_has_component(file, path)) return PFA_E_NO_ERROR;
  int start = 0, end = 0;
  if (!pfa_comp_last_delim_range(file, path, '/', &start, &end)) return PFA_E_NO_ERROR;
  if (end - start >= 32 && type != PFA_TYPE_UNKNOWN && type != PFA_TYPE_NONE)
    return PFA_E_NO_ERROR;
  char element[kNameSize];
  char prefix[kNameSize];
  int path_start = file->component[path][0];
  std::memcpy(element, file->text + start, static_cast<std::size_t>(end - start));
  element[end - start] = '\0';
  std::memcpy(prefix, file->text + path_start, static_cast<std::size_t>(start - path_start));
  prefix[start - path_start] = '\0';
  if (pfa_put_component_len(file, path, prefix, start - path_start, 0) ||
      pfa_put_component_len(file, PFA_COMP_BASE_NAME, element, end - start, 0))
    return PFA_E_INVALID_INPUT;
  return PFA_E_NO_ERROR;
}

int pfa_parse_to_components(const VynWchar* name, VynWchar* location, int* location_type,
                            VynWchar* base_name, VynWchar* extension, int* version) {
  if (!name) return PFA_E_INVALID_INPUT;
  char narrow[kNameSize];
  if (wstostr_bounded(narrow, sizeof narrow, name)) return PFA_E_INVALID_INPUT;
  VynFile* file = nullptr;
  if (pfa_alloc_vyn_file(&file) != PFA_E_NO_ERROR) return PFA_E_NO_SPACE;
  int answer = pfa_parse_to_vyn_file(file, narrow);
  if (answer == PFA_E_NO_ERROR) {
    char text[kNameSize];
    int type = 0;
    if (location) {
      location[0] = 0;
      if (pfa_get_location(file, text, &type) == PFA_E_NO_ERROR)
        strtows_bounded(location, kNameSize, text);
    }
    if (location_type) *location_type = static_cast<int>(file->location_type);
    if (base_name) {
      pfa_get_component(file, PFA_COMP_BASE_NAME, text, kNameSize);
      strtows_bounded(base_name, kNameSize, text);
    }
    if (extension) {
      pfa_get_component(file, PFA_COMP_EXTENSION, text, kNameSize);
      if (strtows_bounded(extension, 32, text)) extension[0] = 0;
    }
    if (version) pfa_get_file_vers(file, PFA_RULE_AS_NAMED, version);
  }
  pfa_free_vyn_file(&file);
  return answer;
}

int pfa_no_mixed_case(const VynFile* file) {
  if (!file) return 1;
  if (!pfa_is_valid(file)) return 1;
  if (file->object_type == PFA_TYPE_UNKNOWN || file->object_type == PFA_TYPE_NONE) return 0;
  return type_to_mixed_case_OK(file->object_type) ? 0 : 1;
}

int pfa_get_full_name(const VynFile* file, char* buffer) {
  return pfa_get_full_name_mixed_case(file, buffer, pfa_no_mixed_case(file));
}

int pfa_get_full_name_mixed_case(const VynFile* file, char* buffer, int lower) {
  if (!pfa_is_valid(file) || !buffer) return PFA_E_NOT_VALID;
  if (file->flags & PFA_FLAG_EXACT_CASE) lower = 0;
  int length = 0;
  if (location_string(file, PfaGetLocationString, buffer, &length) ||
      (file->object_type == PFA_TYPE_DIRECTORY && length == 0 &&
       appended(".\\", buffer, &length)) ||
      append_name(file, buffer, &length, lower != 0)) {
    buffer[0] = '\0';
    return PFA_E_ERROR;
  }
  return PFA_E_NO_ERROR;
}

int pfa_get_neutral_name(const VynFile* file, char* buffer) {
  if (!pfa_is_valid(file) || !buffer) return PFA_E_NOT_VALID;
  if (file->object_type == PFA_TYPE_NONE) {
    buffer[0] = '\0';
    return PFA_E_NOT_VALID;
  }
  int length = 0;
  bool lower = file->object_type != PFA_TYPE_UNKNOWN;
  if (location_string(file, PfaGetNeutralLocation, buffer, &length) ||
      (file->object_type == PFA_TYPE_DIRECTORY && length == 0 &&
       appended("./", buffer, &length)) ||
      append_name(file, buffer, &length, lower)) {
    buffer[0] = '\0';
    return PFA_E_ERROR;
  }
  return PFA_E_NO_ERROR;
}

int pfa_get_file_name(const VynFile* file, int mask, char* buffer) {
  return pfa_get_file_name_mixed_case(file, mask, buffer, pfa_no_mixed_case(file));
}

int pfa_get_file_name_mixed_case(const VynFile* file, int mask, char* buffer, int lower) {
  if (!pfa_is_valid(file) || !buffer) return PFA_E_NOT_VALID;
  buffer[0] = '\0';
  if (!(mask & PFA_MASK_PATH) && !pfa_has_component(file, PFA_COMP_BASE_NAME))
    return pfa_get_name(file, buffer);
  VynFile copy;
  shallow_copy(file, &copy);
  int location_bits = mask & (PFA_MASK_HOST | PFA_MASK_DEVICE | PFA_MASK_PATH);
  if (copy.location_type == PFA_LOC_STD_FILESYSTEM) {
    static const int bits[3] = {PFA_MASK_HOST, PFA_MASK_DEVICE, PFA_MASK_PATH};
    static const int methods[3] = {PfaHostIdx, PfaDeviceIdx, PfaPathIdx};
    for (int i = 0; i < 3; ++i) {
      int c = index_of(&copy, methods[i]);
      if (c >= 0 && !(mask & bits[i])) pfa_put_component_len(&copy, c, "", 0, 0);
    }
  } else if (location_bits == 0) {
    for (int c = 0; c < 3; ++c) pfa_put_component_len(&copy, c, "", 0, 0);
  } else if (location_bits != (PFA_MASK_HOST | PFA_MASK_DEVICE | PFA_MASK_PATH)) {
    return PFA_E_INVALID_INPUT;
  }
  if (!(mask & PFA_MASK_NAME)) {
    pfa_put_component_len(&copy, PFA_COMP_BASE_NAME, "", 0, 0);
    copy.object_type = PFA_TYPE_DIRECTORY;
  }
  if (!(mask & PFA_MASK_EXTENSION)) pfa_put_component_len(&copy, PFA_COMP_EXTENSION, "", 0, 0);
  if (!(mask & PFA_MASK_VERSION)) copy.version = 0;
  // The copy's name keeps the case rule of the original.
  if (file->flags & PFA_FLAG_EXACT_CASE) lower = 0;
  copy.flags &= ~PFA_FLAG_EXACT_CASE;
  return pfa_get_full_name_mixed_case(&copy, buffer, lower);
}

const char* pfa_extract_path_tail(const VynFile* file) {
  static char tail[kNameSize];
  if (!pfa_is_dir(file)) return nullptr;
  if (pfa_get_file_name(file, PFA_MASK_NAME | PFA_MASK_EXTENSION | PFA_MASK_VERSION, tail))
    tail[0] = '\0';
  return tail;
}

int pfa_get_name(const VynFile* file, char* buffer) {
  if (!pfa_is_valid(file) || !buffer) return PFA_E_NOT_VALID;
  buffer[0] = '\0';
  if (file->object_type != PFA_TYPE_DIRECTORY)
    return pfa_get_component(file, PFA_COMP_BASE_NAME, buffer, kNameSize);
  for (int c = 2; c >= 0; --c) {
    int n = pfa_component_length(file, c);
    if (n == 0 || (n == 1 && file->text[file->component[c][0]] == '/')) continue;
    int start = 0, end = 0;
    if (!pfa_comp_last_delim_range(file, c, '/', &start, &end)) continue;
    std::memcpy(buffer, file->text + start, static_cast<std::size_t>(end - start));
    buffer[end - start] = '\0';
    return PFA_E_NO_ERROR;
  }
  return PFA_E_NO_ERROR;
}

int pfa_get_extension(const VynFile* file, char* buffer) {
  if (!pfa_is_valid(file) || !buffer) return PFA_E_NOT_VALID;
  buffer[0] = '\0';
  int n = pfa_component_length(file, PFA_COMP_EXTENSION);
  if (n > 4 && file->object_type != PFA_TYPE_UNKNOWN &&
      n > static_cast<int>(std::strlen(type_to_extension(file->object_type))))
    return PFA_E_NOT_VALID;
  return pfa_get_component(file, PFA_COMP_EXTENSION, buffer, 32);
}

namespace {

int get_location_low(const VynFile* file, int method, char* buffer, int* type) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  if (type) *type = static_cast<int>(file->location_type);
  if (!buffer) return PFA_E_NO_ERROR;
  int length = 0;
  return location_string(file, method, buffer, &length);
}

}  // namespace

int pfa_get_location(const VynFile* file, char* buffer, int* type) {
  return get_location_low(file, PfaGetLocationString, buffer, type);
}

int pfa_get_neutral_location(const VynFile* file, char* buffer, int* type) {
  return get_location_low(file, PfaGetNeutralLocation, buffer, type);
}

int pfa_path_is_absolute(const VynFile* file) {
  if (!pfa_is_valid(file) || file->location_type == PFA_LOC_NONE) return 0;
  int host = index_of(file, PfaHostIdx);
  if (host >= 0 && pfa_has_component(file, host)) return 1;
  int device = index_of(file, PfaDeviceIdx);
  if (device >= 0 && pfa_has_component(file, device))
    return pfafs_loc_is_NT_drive_relative(file) ? 0 : 1;
  int path = index_of(file, PfaPathIdx);
  if (path < 0) return 1;
  char first = 0;
  return pfa_component_first_char(file, path, &first) == PFA_E_NO_ERROR && first == '/' ? 1 : 0;
}

namespace {

// The length of the part of a directory's neutral location that comes before its path
// (host, drive, share, and the '|' or '/' that ends them): the neutral location of a
// copy without the path.
int location_head_length(const VynFile* dir) {
  int path = index_of(dir, PfaPathIdx);
  VynFile head;
  shallow_copy(dir, &head);
  char text[kNameSize];
  int length = 0;
  if (path < 0) {
    return location_string(&head, PfaGetNeutralLocation, text, &length) ? 0 : length;
  }
  if (pfa_put_component_len(&head, path, "", 0, 0) ||
      location_string(&head, PfaGetNeutralLocation, text, &length))
    return 0;
  return length;
}

}  // namespace

int pfa_location_append(const VynFile* dir, VynFile* out, const char* text) {
  if (!pfa_is_valid(dir) || !pfa_is_valid(out)) return PFA_E_NOT_VALID;
  if (dir->object_type != PFA_TYPE_DIRECTORY || !text) return PFA_E_INVALID_INPUT;
  int type = static_cast<int>(dir->location_type);
  int path = index_of(dir, PfaPathIdx);
  if (dir->location_type == PFA_LOC_STD_FILESYSTEM && (path < 0 || !pfa_has_component(dir, path))) {
    char part[32];
    if (dir != out) {
      out->location_type = dir->location_type;
      if (pfa_get_device(dir, part) || pfa_put_device(out, part)) return PFA_E_INVALID_NAME;
      if (pfa_get_host(dir, part) || pfa_put_host(out, part)) return PFA_E_INVALID_NAME;
    }
    return pfa_put_path(out, text) ? PFA_E_INVALID_NAME : PFA_E_NO_ERROR;
  }
  char combined[2 * kNameSize];
  int length = 0;
  if (location_string(dir, PfaGetNeutralLocation, combined, &length)) return PFA_E_INVALID_NAME;
  if (length == 0) {
    if (std::strlen(text) >= static_cast<std::size_t>(kNameSize)) return PFA_E_INVALID_NAME;
    return pfa_put_location(out, text, type) ? PFA_E_INVALID_NAME : PFA_E_NO_ERROR;
  }
  if (combined[length - 1] == '|') combined[--length] = '\0';
  if (length == 0 || combined[length - 1] != '/') combined[length++] = '/';
  std::size_t n = std::strlen(text);
  if (static_cast<std::size_t>(length) + n >= sizeof combined) return PFA_E_INVALID_NAME;
  std::memcpy(combined + length, text, n + 1);
  if (std::strncmp(text, "../", 3) == 0) {
    // A ".." never climbs into the host, drive or share that head holds: there is no
    // parent there.
    const int head = location_head_length(dir);
    for (char* p = std::strstr(combined, ".."); p; p = std::strstr(p, "..")) {
      bool element = (p == combined || p[-1] == '/' || p[-1] == '|') &&
                     (p[2] == '/' || p[2] == '\0');
      if (!element || p == combined) {
        // A leading ".." of a relative location has nothing before it to remove.
        p += 2;
        continue;
      }
      char* after = p[2] == '/' ? p + 3 : p + 2;
      // The element before: from just after the '/' (or the bar after a drive) that
      // precedes it.
      char* slash = p - 1;
      char* start = slash;
      while (start > combined && start[-1] != '/' && start[-1] != '|') --start;
      if (start < combined + head) return PFA_E_ROOT_DIR;
      if (slash - start == 2 && start[0] == '.' && start[1] == '.') {
        p += 2;
        continue;
      }
      if (start == combined) {
        // No '/' before that element: the whole front goes.
        std::memmove(combined, after, std::strlen(after) + 1);
        p = combined;
        continue;
      }
      if (start - 1 == combined) return PFA_E_ROOT_DIR;
      std::memmove(start, after, std::strlen(after) + 1);
      p = start;
    }
  }
  if (std::strlen(combined) >= static_cast<std::size_t>(kNameSize)) return PFA_E_INVALID_NAME;
  return pfa_put_location(out, combined, type) ? PFA_E_INVALID_NAME : PFA_E_NO_ERROR;
}

int concat_pfa_paths(const VynFile* dir, VynFile* file) {
  if (!pfa_is_valid(dir) || !pfa_is_valid(file)) return PFA_E_NOT_VALID;
  if (!pfa_has_location(dir, nullptr)) return PFA_E_INVALID_NAME;
  if (dir != file && pfa_path_is_absolute(file)) return PFA_E_ROOT_DIR;
  char relative[kNameSize];
  int length = 0;
  if (location_string(file, PfaGetNeutralLocation, relative, &length)) return PFA_E_INVALID_NAME;
  return pfa_location_append(dir, file, relative);
}

int pfa_build_path(const VynFile* dir, const VynFile* relative, VynFile* out) {
  if (!pfa_is_dir(dir) || !pfa_is_dir(relative) || !pfa_is_valid(out)) return PFA_E_NOT_VALID;
  if (relative != out) {
    int answer = pfa_copy_vyn_file(relative, out);
    if (answer != PFA_E_NO_ERROR) return answer;
  }
  return concat_pfa_paths(dir, out);
}

int pfa_concat_locations(const VynFile* dir, const VynFile* name, VynFile* out) {
  if (!pfa_is_valid(dir) || !pfa_is_valid(name) || !pfa_is_valid(out)) return PFA_E_NOT_VALID;
  if (dir->text[0] != '\0' && dir->object_type != PFA_TYPE_DIRECTORY) return PFA_E_NOT_VALID;
  if (name != out) {
    int answer = pfa_copy_vyn_file(name, out);
    if (answer != PFA_E_NO_ERROR) return answer;
  }
  if (dir->text[0] == '\0' || pfa_path_is_absolute(out)) return PFA_E_NO_ERROR;
  return concat_pfa_paths(dir, out);
}

int pfa_put_name(VynFile* file, const char* text) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  if (!text) return PFA_E_INVALID_INPUT;
  int length = static_cast<int>(std::strlen(text));
  int answer = pfa_put_component(file, PFA_COMP_BASE_NAME, text);
  if (answer != PFA_E_NO_ERROR) return answer;
  if (!(file->flags & PFA_FLAG_GENERIC_NAME) &&
      ((length >= 32 && length >= type_to_name_length(file->object_type)) ||
       (!type_to_weird_chars_OK(file->object_type) && has_invalid_chars(text, length))))
    file->object_type = PFA_TYPE_UNKNOWN;
  return PFA_E_NO_ERROR;
}

int pfa_put_extension(VynFile* file, const char* text) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  int answer = pfa_put_component(file, PFA_COMP_EXTENSION, text ? text : "");
  if (answer != PFA_E_NO_ERROR) return answer;
  return pfa_put_extension_to_type(file, 0, 0);
}

int pfa_put_obj_type(VynFile* file, int type) { return pfa_put_obj_type_lower(file, type, 1); }

int pfa_put_obj_type_lower(VynFile* file, int type, int lower) {
  return pfa_put_obj_type_stat(file, type, lower, 0);
}

int pfa_put_obj_type_pdm(VynFile* file, int type) { return pfa_put_obj_type_stat(file, type, 0, 1); }

int pfa_put_obj_type_stat(VynFile* file, int type, int lower, int data_management) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  if (type < INT16_MIN || type > INT16_MAX) return PFA_E_INVALID_INPUT;
  if (file->object_type == type) return PFA_E_NO_ERROR;
  if (type == PFA_TYPE_UNKNOWN || (data_management && type == -1)) {
    file->object_type = PFA_TYPE_UNKNOWN;
    return PFA_E_NO_ERROR;
  }
  if (type == PFA_TYPE_NONE && file->object_type == PFA_TYPE_UNKNOWN) {
    file->object_type = PFA_TYPE_NONE;
    return PFA_E_NO_ERROR;
  }
  if (type == PFA_TYPE_DIRECTORY) {
    char name[kNameSize];
    if (pfa_has_component(file, PFA_COMP_BASE_NAME) || pfa_has_component(file, PFA_COMP_EXTENSION) ||
        file->version != 0) {
      if (pfa_get_file_name(file, PFA_MASK_NAME | PFA_MASK_EXTENSION | PFA_MASK_VERSION, name))
        return PFA_E_INVALID_NAME;
    } else {
      name[0] = '\0';
    }
    pfa_put_component_len(file, PFA_COMP_EXTENSION, "", 0, 1);
    pfa_put_component_len(file, PFA_COMP_BASE_NAME, "", 0, 1);
    file->version = 0;
    file->object_type = PFA_TYPE_DIRECTORY;
    if (name[0]) {
      int answer = pfa_location_append(file, file, name);
      if (answer != PFA_E_NO_ERROR) return answer;
    }
    // The directory type's extension is never part of a directory's name: a path that
    // leaves no room for it is a whole directory name all the same.
    const char* extension = type_to_extension(PFA_TYPE_DIRECTORY);
    pfa_put_component_len(file, PFA_COMP_EXTENSION, extension,
                          static_cast<int>(std::strlen(extension)), 0);
    return PFA_E_NO_ERROR;
  }
  move_dir_to_name(file, type);
  char extension[sizeof(VynObjectType::extension)];
  std::strcpy(extension, type_to_extension(type));
  if (lower) convert_to_lower(extension, extension);
  if (!extension[0] &&
      !(!data_management && type == PFA_TYPE_NONE && file->object_type == PFA_TYPE_DIRECTORY))
    return PFA_E_INVALID_INPUT;
  int answer = pfa_put_component_len(file, PFA_COMP_EXTENSION, extension,
                                     static_cast<int>(std::strlen(extension)), 1);
  if (answer != PFA_E_NO_ERROR) return answer;
  file->object_type = static_cast<std::int16_t>(type);
  return PFA_E_NO_ERROR;
}

int pfa_put_location(VynFile* file, const char* text, int type) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  if (!text) return PFA_E_INVALID_INPUT;
  for (int c = 0; c < 3; ++c) {
    if (pfa_put_component_len(file, c, "", 0, 0)) return PFA_E_INVALID_INPUT;
  }
  return pfa_parse_location(file, text, nullptr, type);
}

int pfa_copy_name_ext_vers(const VynFile* from, VynFile* to, int rule) {
  if (!pfa_is_valid(from) || !pfa_is_valid(to)) return PFA_E_NOT_VALID;
  if (pfa_copy_component(from, to, PFA_COMP_BASE_NAME) ||
      pfa_copy_component(from, to, PFA_COMP_EXTENSION))
    return PFA_E_INVALID_NAME;
  to->object_type = from->object_type;
  if (rule == PFA_RULE_AS_NAMED) {
    to->version = from->version;
    return PFA_E_NO_ERROR;
  }
  int version = 0;
  int answer = pfa_get_file_vers(to, rule, &version);
  if (answer != PFA_E_NO_ERROR) return answer;
  return pfa_put_version(to, version);
}

namespace {

bool to_wide(const char* text, VynWchar* out, std::size_t capacity) {
  if (!strtows_bounded(out, capacity, text)) return true;
  out[0] = 0;
  return false;
}

bool to_narrow(const VynWchar* text, char* out, std::size_t capacity) {
  if (!wstostr_bounded(out, capacity, text)) return true;
  out[0] = '\0';
  return false;
}

}  // namespace

int pfa_to_vyn_obj_info(const VynFile* file, VynObjInfo* info) {
  if (!pfa_is_valid(file) || !info) return PFA_E_NOT_VALID;
  std::memset(info, 0, sizeof *info);
  char text[kNameSize];
  if (file->location_type == PFA_LOC_STD_FILESYSTEM) {
    int answer = pfa_get_host(file, text);
    if (answer != PFA_E_NO_ERROR) return answer;
    if (!to_wide(text, info->host, 80)) return PFA_E_INVALID_NAME;
    if ((answer = pfa_get_device(file, text)) != PFA_E_NO_ERROR) return answer;
    if (!to_wide(text, info->device, 20)) return PFA_E_INVALID_NAME;
    if ((answer = pfa_get_path(file, text)) != PFA_E_NO_ERROR) return answer;
    if (!to_wide(text, info->path, 260)) return PFA_E_INVALID_NAME;
  } else {
    int answer = pfa_get_location(file, text, nullptr);
    if (answer != PFA_E_NO_ERROR) return answer;
    if (!to_wide(text, info->path, 260)) return PFA_E_INVALID_NAME;
  }
  pfa_get_component(file, PFA_COMP_BASE_NAME, text, kNameSize);
  if (!to_wide(text, info->name, 80)) return PFA_E_INVALID_NAME;
  pfa_get_component(file, PFA_COMP_EXTENSION, text, kNameSize);
  if (!to_wide(text, info->extension, 10)) return PFA_E_INVALID_NAME;
  int version = 0;
  pfa_get_file_vers(const_cast<VynFile*>(file), PFA_RULE_AS_NAMED, &version);
  info->version = version;
  return PFA_E_NO_ERROR;
}

int vyn_obj_info_to_pfa(const VynObjInfo* info, VynFile* file) {
  if (!pfa_is_valid(file) || !info) return PFA_E_NOT_VALID;
  char text[kNameSize];
  char host[kNameSize];
  char device[kNameSize];
  // Fields that a caller filled to the end are not trusted to be terminated.
  VynObjInfo copy = *info;
  copy.name[79] = copy.extension[9] = copy.path[259] = copy.device[19] = copy.host[79] = 0;
  if (!to_narrow(copy.host, host, sizeof host) || !to_narrow(copy.device, device, sizeof device) ||
      !to_narrow(copy.path, text, sizeof text))
    return PFA_E_INVALID_NAME;
  int answer;
  if (host[0] || device[0]) {
    if ((answer = pfa_put_host(file, host)) || (answer = pfa_put_device(file, device)) ||
        (answer = pfa_put_path(file, text)))
      return answer;
  } else if ((answer = pfa_put_location(file, text, -1)) != PFA_E_NO_ERROR) {
    return answer;
  }
  if (!to_narrow(copy.name, text, sizeof text)) return PFA_E_INVALID_NAME;
  if ((answer = pfa_put_name(file, text)) != PFA_E_NO_ERROR) return answer;
  if (!to_narrow(copy.extension, text, sizeof text)) return PFA_E_INVALID_NAME;
  if ((answer = pfa_put_extension(file, text)) != PFA_E_NO_ERROR) return answer;
  return pfa_put_version(file, copy.version);
}

// The layer's own printf reads %ws, which the C library's format check does not know.
int print_wide_info(const char* name, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  int result = dbg_print_info_va(name, format, args);
  va_end(args);
  return result;
}

int pfaloc_supports_ugc_tag_hints(const VynFile* file) {
  return pfaloc_supports_method(file, PfaLocUgcTagHint);
}

int pfaloc_put_ugc_tag_hints(VynFile* file, int count, const VynWchar* const* tags) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  if (count < 0 || !tags) return PFA_E_INVALID_INPUT;
  if (is_run_mode(2000)) {
    dbg_print_info("pfaloc_put_ugc_tag_hints", "Asking for %d tags", count);
    for (int i = 0; i < count; ++i)
      print_wide_info("pfaloc_put_ugc_tag_hints", "Asking for %ws", tags[i]);
  }
  pfaloc_call_FIP(file, PfaLocUgcTagHint, count, const_cast<VynWchar**>(tags));
  return PFA_E_NO_ERROR;
}

}  // namespace vek
