#include "fileaccess/core/pfaname.h"

#include <cstdlib>
#include <cstring>

#include "fileaccess/core/pfacomp.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/names/fnstring.h"

namespace vek {

int substitute_env_vars(const char* in, char* out, int limit) {
  if (!out || limit < 1) return 0;
  out[0] = '\0';
  if (!in) return 0;
  std::size_t room = static_cast<std::size_t>(limit);
  std::size_t length = std::strlen(in);
  if (length >= room) return 0;
  std::memcpy(out, in, length + 1);
  for (std::size_t at = 0; at < length;) {
    if (out[at] != '$') {
      ++at;
      continue;
    }
    char* name = out + at + 1;
    char* end = const_cast<char*>(find_path_separator(name));
    if (end == name) {
      ++at;
      continue;
    }
    char saved = *end;
    *end = '\0';
    const char* value = std::getenv(name);
    *end = saved;
    if (!value) {
      ++at;
      continue;
    }
    std::size_t name_length = static_cast<std::size_t>(end - name);
    std::size_t value_length = std::strlen(value);
    std::size_t new_length = length - 1 - name_length + value_length;
    if (new_length >= room) {
      // Cut at the '$': what follows cannot be named whole.
      out[at] = '\0';
      return 0;
    }
    std::memmove(out + at + value_length, end, length - (at + 1 + name_length) + 1);
    std::memcpy(out + at, value, value_length);
    length = new_length;
    at += value_length;
  }
  return 1;
}

int pfa_remove_redundant_updirs(char* path) {
  if (!path) return 0;
  int removed = 0;
  for (bool again = true; again;) {
    again = false;
    std::size_t length = std::strlen(path);
    for (std::size_t p = 2; p + 1 < length + 1 && !again; ++p) {
      if (path[p] != '.' || path[p + 1] != '.' || path[p - 1] != '/') continue;
      if (path[p + 2] != '/' && path[p + 2] != '\0') continue;
      std::size_t start = p - 1;  // the element before ends at p - 2
      while (start > 0 && path[start - 1] != '/') --start;
      std::size_t element = p - 1 - start;
      if (element == 0 || (element == 2 && path[start] == '.' && path[start + 1] == '.'))
        continue;
      std::size_t after = path[p + 2] == '/' ? p + 3 : p + 2;
      std::memmove(path + start, path + after, length - after + 1);
      removed = 1;
      again = true;
    }
  }
  return removed;
}

namespace {

// The component of the given index method into buffer (limit); 11 without one.
int get_mapped_component(const VynFile* file, int method, char* buffer, int limit) {
  if (!pfa_is_valid(file) || !buffer) return PFA_E_NOT_VALID;
  buffer[0] = '\0';
  int c = pfaloc_call_F(const_cast<VynFile*>(file), method);
  if (c < 0 || c > 2) return PFA_E_NOT_VALID;
  return pfa_get_component(file, c, buffer, limit);
}

}  // namespace

int pfa_get_host(const VynFile* file, char* buffer) {
  return get_mapped_component(file, PfaHostIdx, buffer, 32);
}

int pfa_get_device(const VynFile* file, char* buffer) {
  return get_mapped_component(file, PfaDeviceIdx, buffer, 32);
}

int pfa_get_path(const VynFile* file, char* buffer) {
  int result = get_mapped_component(file, PfaPathIdx, buffer, static_cast<int>(sizeof file->text));
  if (result == PFA_E_NOT_VALID && pfa_is_valid(file) && buffer) return PFA_E_NO_ERROR;
  if (result != PFA_E_NO_ERROR) return result;
  char* last = std::strrchr(buffer, '/');
  if (last) {
    last[1] = '\0';
  } else {
    buffer[0] = '\0';
  }
  pfa_remove_redundant_updirs(buffer);
  for (char* p = buffer; *p; ++p) {
    if (*p == '/') *p = '\\';
  }
  return PFA_E_NO_ERROR;
}

namespace {

// The slot of the index method for a setter: -1 when the location type has none. A
// handle of location type 0 becomes a local one first.
int slot_for_put(VynFile* file, int method) {
  if (file->location_type == PFA_LOC_NONE) file->location_type = PFA_LOC_STD_FILESYSTEM;
  int c = pfaloc_call_F(file, method);
  return c >= 0 && c <= 2 ? c : -1;
}

int put_short_component(VynFile* file, int method, const char* text) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  int c = slot_for_put(file, method);
  if (c < 0) return PFA_E_NOT_VALID;
  if (!text || std::strlen(text) >= 32) return PFA_E_INVALID_INPUT;
  return pfa_put_component(file, c, text);
}

bool is_separator(char c) { return c == '/' || c == '\\'; }

}  // namespace

int pfa_put_host(VynFile* file, const char* text) {
  return put_short_component(file, PfaHostIdx, text);
}

int pfa_put_device(VynFile* file, const char* text) {
  return put_short_component(file, PfaDeviceIdx, text);
}

int pfa_put_path(VynFile* file, const char* text) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  int c = slot_for_put(file, PfaPathIdx);
  if (c < 0) return PFA_E_NOT_VALID;
  constexpr std::size_t limit = sizeof(VynFile::text);
  if (!text || std::strlen(text) >= limit) return PFA_E_INVALID_INPUT;
  char path[limit + 1];
  std::size_t n = 0;
  // Whole characters: the trail byte of a double-byte character may equal '\\'. A run
  // of delimiters is one ("\\\\" at the front of a native name would make it a network
  // name), and a "." element goes.
  bool dot_pending = false;
  walk_name_chars(text, [&](const char* p, int length) {
    bool delimiter = length == 1 && is_separator(*p);
    if (dot_pending) {
      dot_pending = false;
      if (delimiter) return;
      path[n++] = '.';
    }
    if (delimiter) {
      if (n == 0 || path[n - 1] != '/') path[n++] = '/';
      return;
    }
    if ((n == 0 || path[n - 1] == '/') && length == 1 && *p == '.') {
      dot_pending = true;
      return;
    }
    std::memcpy(path + n, p, static_cast<std::size_t>(length));
    n += static_cast<std::size_t>(length);
  });
  if (dot_pending) path[n++] = '.';
  if (n > 0 && path[n - 1] != '/') path[n++] = '/';
  if (n >= limit) return PFA_E_INVALID_INPUT;
  path[n] = '\0';
  return pfa_put_component(file, c, path);
}

int pfa_put_version(VynFile* file, int version) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  // A wrapped value would name another file.
  if (version < -32768 || version > PFA_VERSION_MAX) return PFA_E_INVALID_INPUT;
  file->version = static_cast<std::int16_t>(version);
  file->flags &= ~PFA_FLAG_EXACT_CASE;
  return PFA_E_NO_ERROR;
}

int pfa_put_encode(VynFile* file, int encode) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  if (file->object_type == PFA_TYPE_DIRECTORY) return PFA_E_INVALID_INPUT;
  file->encode = static_cast<std::uint32_t>(encode);
  return PFA_E_NO_ERROR;
}

int pfa_put_location_type(VynFile* file, int type) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  if (!pfa_location_type_registered(type)) return PFA_E_INVALID_INPUT;
  file->location_type = static_cast<std::uint32_t>(type);
  return PFA_E_NO_ERROR;
}

int pfa_is_location(const VynFile* file, int type) {
  return pfa_is_valid(file) && static_cast<int>(file->location_type) == type ? 1 : 0;
}

}  // namespace vek
