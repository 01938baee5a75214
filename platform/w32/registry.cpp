#include "platform/w32/registry.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/w32/ascii.h"
#include "platform/w32/cancel.h"
#include "platform/w32/error.h"
#include "platform/w32/fault.h"
#include "platform/w32/registry_testing.h"

namespace w32 {

// Only the four roots exist as objects of this type; they are never read. Aligned so
// that no root's address has the low bits of an opened key's handle (below).
struct alignas(8) HKEY__ {
  char unused;
};

HKEY__ w32_hkey_classes_root;
HKEY__ w32_hkey_current_user;
HKEY__ w32_hkey_local_machine;
HKEY__ w32_hkey_users;

namespace {

constexpr HKEY kRoots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS};
constexpr const char* kRootNames[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                      "HKEY_LOCAL_MACHINE", "HKEY_USERS"};
constexpr int kRootCount = static_cast<int>(sizeof kRoots / sizeof kRoots[0]);
constexpr REGSAM kRootAccess = KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_ENUMERATE_SUB_KEYS;
constexpr char kFileVariable[] = "YRL_W32_REGISTRY";
constexpr char kFileHeader[] = "YRL-W32-REGISTRY 1";

struct Value {
  std::string name;
  DWORD type;
  std::vector<BYTE> data;
};

struct Key {
  std::string name;
  std::vector<std::unique_ptr<Key>> children;
  std::vector<Value> values;
  bool is_volatile = false;
};

// An opened key, kept by its root and its path (the names as the store spells them,
// each followed by '\'), since a shared store is loaded anew for each call. A free slot
// is not used.
struct Slot {
  bool used;
  int root;
  std::string path;
  REGSAM access;
  std::uint32_t serial;
};

struct Store {
  Key roots[kRootCount];
  std::vector<Slot> slots;
  std::uint32_t next_serial = 1;
};

// Made on first use, so that the registry needs no constructor at load; every use
// holds g_lock.
Store* g_store = nullptr;
pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;

Store& store() {
  if (g_store == nullptr) g_store = new Store();
  return *g_store;
}

// An opened key's handle: its slot and the serial number of the opening, so that a
// handle closed and then reused by a new opening stays refused. The low bits 01 never
// occur in a root's address.
HKEY make_handle(std::size_t slot, std::uint32_t serial) {
  std::uintptr_t value = (static_cast<std::uintptr_t>(serial) << 32) | (slot << 2) | 1;
  return reinterpret_cast<HKEY>(value);
}

Slot* find_slot(HKEY handle) {
  std::uintptr_t value = reinterpret_cast<std::uintptr_t>(handle);
  if ((value & 3) != 1) return nullptr;
  std::size_t slot = (value & 0xFFFFFFFFu) >> 2;
  std::vector<Slot>& slots = store().slots;
  if (slot >= slots.size() || !slots[slot].used ||
      slots[slot].serial != static_cast<std::uint32_t>(value >> 32))
    return nullptr;
  return &slots[slot];
}

int root_index(HKEY handle) {
  for (int i = 0; i < kRootCount; ++i)
    if (handle == kRoots[i]) return i;
  return -1;
}

bool is_root(HKEY handle) { return root_index(handle) >= 0; }

bool same_name(const std::string& name, const char* text, std::size_t length) {
  return name.size() == length && equal_ascii_folded(name.data(), text, length);
}

Key* find_child(Key* key, const char* name, std::size_t length) {
  for (std::unique_ptr<Key>& child : key->children)
    if (same_name(child->name, name, length)) return child.get();
  return nullptr;
}

// What a handle stands for: a root, or a root and a path below it.
struct Opened {
  int root;
  std::string path;
  REGSAM access;
};

bool opened_key(HKEY handle, Opened* opened) {
  int root = root_index(handle);
  if (root >= 0) {
    *opened = Opened{root, std::string(), kRootAccess};
    return true;
  }
  Slot* slot = find_slot(handle);
  if (slot == nullptr) return false;
  *opened = Opened{slot->root, slot->path, slot->access};
  return true;
}

// The key at a path kept by a handle, in the store as it is now.
Key* key_at(int root, const std::string& path) {
  Key* key = &store().roots[root];
  std::size_t at = 0;
  while (key != nullptr && at < path.size()) {
    std::size_t end = path.find('\\', at);
    key = find_child(key, path.data() + at, end - at);
    at = end + 1;
  }
  return key;
}

HKEY open_handle(int root, const std::string& path, REGSAM access) {
  Store& s = store();
  std::size_t slot = 0;
  while (slot < s.slots.size() && s.slots[slot].used) ++slot;
  if (slot == s.slots.size()) s.slots.push_back(Slot{});
  s.slots[slot] = Slot{true, root, path, access, s.next_serial++};
  return make_handle(slot, s.slots[slot].serial);
}

// The key behind an open handle, when the handle was opened with the access needed.
DWORD usable_key(HKEY handle, REGSAM needed, Key** key, Opened* opened) {
  if (!opened_key(handle, opened)) return ERROR_INVALID_HANDLE;
  if ((opened->access & needed) != needed) return ERROR_ACCESS_DENIED;
  *key = key_at(opened->root, opened->path);
  return *key != nullptr ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

// Follows the '\'-separated path from key; missing keys are made when create is set
// (*created then tells whether the last one was), volatile when make_volatile is. A '\' at the end
// is ignored; any other empty name is refused. *spelled gets the names as the store spells them,
// each followed by '\'.
DWORD walk(Key* key, const char* path, bool create, bool make_volatile, Key** found, bool* created,
           std::string* spelled) {
  *created = false;
  while (*path != '\0') {
    const char* end = std::strchr(path, '\\');
    if (end == nullptr) end = path + std::strlen(path);
    std::size_t length = static_cast<std::size_t>(end - path);
    if (length == 0) return ERROR_INVALID_PARAMETER;
    Key* next = find_child(key, path, length);
    *created = next == nullptr;
    if (next == nullptr) {
      if (!create) return ERROR_FILE_NOT_FOUND;
      if (key->is_volatile && !make_volatile) return ERROR_CHILD_MUST_BE_VOLATILE;
      key->children.push_back(std::make_unique<Key>());
      next = key->children.back().get();
      next->name.assign(path, length);
      next->is_volatile = make_volatile;
    }
    spelled->append(next->name).push_back('\\');
    key = next;
    path = *end != '\0' ? end + 1 : end;
  }
  *found = key;
  return ERROR_SUCCESS;
}

Value* find_value(Key* key, const char* name) {
  if (name == nullptr) name = "";
  for (Value& value : key->values)
    if (same_name(value.name, name, std::strlen(name))) return &value;
  return nullptr;
}

// --- The shared file -------------------------------------------------------------

void append_escaped(std::string* out, const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || c == '%') {
      out->push_back('%');
      out->push_back(kHex[byte >> 4]);
      out->push_back(kHex[byte & 15]);
    } else {
      out->push_back(c);
    }
  }
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool unescape(const char* text, std::size_t length, std::string* out) {
  out->clear();
  for (std::size_t i = 0; i < length; ++i) {
    if (text[i] != '%') {
      out->push_back(text[i]);
      continue;
    }
    if (i + 2 >= length) return false;
    int high = hex_digit(text[i + 1]);
    int low = hex_digit(text[i + 2]);
    if (high < 0 || low < 0) return false;
    out->push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return true;
}

void serialize_key(const Key& key, const std::string& path, bool is_root, std::string* out) {
  if (!is_root || !key.values.empty()) {
    out->append("K ").append(path).push_back('\n');
    if (key.is_volatile) out->append("X\n");
    for (const Value& value : key.values) {
      out->append("V ").append(std::to_string(value.type)).push_back(' ');
      if (value.data.empty()) out->push_back('-');
      static const char kHex[] = "0123456789abcdef";
      for (BYTE byte : value.data) {
        out->push_back(kHex[byte >> 4]);
        out->push_back(kHex[byte & 15]);
      }
      out->push_back(' ');
      append_escaped(out, value.name);
      out->push_back('\n');
    }
  }
  for (const std::unique_ptr<Key>& child : key.children) {
    std::string below = path;
    below.push_back('\\');
    append_escaped(&below, child->name);
    serialize_key(*child, below, false, out);
  }
}

std::string serialize(const Store& s) {
  std::string out = kFileHeader;
  out.push_back('\n');
  for (int i = 0; i < kRootCount; ++i) serialize_key(s.roots[i], kRootNames[i], true, &out);
  return out;
}

// Reads one "K" line's path into the store, making its keys; the key it names.
Key* parse_key_line(Key* roots, const char* text, std::size_t length) {
  const char* end = text + length;
  const char* at = static_cast<const char*>(std::memchr(text, '\\', length));
  if (at == nullptr) at = end;
  Key* key = nullptr;
  for (int i = 0; i < kRootCount; ++i)
    if (std::strlen(kRootNames[i]) == static_cast<std::size_t>(at - text) &&
        std::memcmp(kRootNames[i], text, static_cast<std::size_t>(at - text)) == 0)
      key = &roots[i];
  if (key == nullptr) return nullptr;
  std::string name;
  while (at < end) {
    const char* start = at + 1;
    const char* stop =
        static_cast<const char*>(std::memchr(start, '\\', static_cast<std::size_t>(end - start)));
    if (stop == nullptr) stop = end;
    // A '\' that comes out of an escape would be a delimiter the next time the store
    // is written and read: no path can name such a key.
    if (stop == start || !unescape(start, static_cast<std::size_t>(stop - start), &name) ||
        name.find('\\') != std::string::npos)
      return nullptr;
    Key* next = find_child(key, name.data(), name.size());
    if (next == nullptr) {
      key->children.push_back(std::make_unique<Key>());
      next = key->children.back().get();
      next->name = name;
    }
    key = next;
    at = stop;
  }
  return key;
}

// Reads a "V" line ("<type> <data> <name>") into key.
bool parse_value_line(Key* key, const char* text, std::size_t length) {
  const char* end = text + length;
  const char* space = static_cast<const char*>(std::memchr(text, ' ', length));
  if (key == nullptr || space == nullptr || space == text) return false;
  unsigned long long type = 0;
  for (const char* c = text; c < space; ++c) {
    if (*c < '0' || *c > '9') return false;
    type = type * 10 + static_cast<unsigned>(*c - '0');
    if (type > 0xFFFFFFFFull) return false;
  }
  const char* data = space + 1;
  const char* data_end =
      static_cast<const char*>(std::memchr(data, ' ', static_cast<std::size_t>(end - data)));
  if (data_end == nullptr) return false;
  Value value{std::string(), static_cast<DWORD>(type), {}};
  if (!(data_end - data == 1 && *data == '-')) {
    if ((data_end - data) % 2 != 0 || data_end == data) return false;
    for (const char* c = data; c < data_end; c += 2) {
      int high = hex_digit(c[0]);
      int low = hex_digit(c[1]);
      if (high < 0 || low < 0) return false;
      value.data.push_back(static_cast<BYTE>(high * 16 + low));
    }
  }
  if (!unescape(data_end + 1, static_cast<std::size_t>(end - data_end - 1), &value.name))
    return false;
  if (Value* old = find_value(key, value.name.c_str())) {
    old->type = value.type;
    old->data = value.data;
  } else {
    key->values.push_back(value);
  }
  return true;
}

// Replaces the store's keys by those of text; false (the store unchanged) when text is
// no store.
bool parse(const std::string& text, Store* s) {
  Key roots[kRootCount];
  std::size_t at = 0;
  bool first = true;
  Key* current = nullptr;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const char* line = text.data() + at;
    std::size_t length = end - at;
    at = end + 1;
    if (first) {
      if (length != std::strlen(kFileHeader) || std::memcmp(line, kFileHeader, length) != 0)
        return false;
      first = false;
    } else if (length >= 2 && line[0] == 'K' && line[1] == ' ') {
      current = parse_key_line(roots, line + 2, length - 2);
      if (current == nullptr) return false;
    } else if (length == 1 && line[0] == 'X') {
      if (current == nullptr) return false;
      current->is_volatile = true;
    } else if (length >= 2 && line[0] == 'V' && line[1] == ' ') {
      if (!parse_value_line(current, line + 2, length - 2)) return false;
    } else if (length != 0) {
      return false;
    }
  }
  if (first && !text.empty()) return false;
  for (int i = 0; i < kRootCount; ++i) s->roots[i] = std::move(roots[i]);
  return true;
}

// One call's hold on the shared file: the descriptor, locked, or -1 when the store is
// the process's own or the file does not exist yet.
struct Session {
  int fd;
  bool shared;
};

// Loads the shared store, when there is one, under its lock. Called with g_lock held
// and cancellation held off (cancel.h) until the session's end: its reads and writes
// are cancellation points.
DWORD begin(Session* session, bool change) {
  session->fd = -1;
  const char* file = std::getenv(kFileVariable);
  session->shared = file != nullptr && file[0] != '\0';
  if (!session->shared) return ERROR_SUCCESS;
  int flags = change ? O_RDWR | O_CREAT | O_CLOEXEC : O_RDONLY | O_CLOEXEC;
  session->fd = ::open(file, flags, 0644);
  std::string text;
  if (session->fd < 0) {
    if (change || errno != ENOENT) return w32_error_from_errno(errno);
  } else {
    while (flock(session->fd, change ? LOCK_EX : LOCK_SH) != 0)
      if (errno != EINTR) return w32_error_from_errno(errno);
    char buffer[4096];
    for (;;) {
      ssize_t got = ::read(session->fd, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return w32_error_from_errno(errno);
      if (got == 0) break;
      text.append(buffer, static_cast<std::size_t>(got));
    }
  }
  return parse(text, &store()) ? ERROR_SUCCESS : ERROR_BADDB;
}

// Writes a changed shared store back and lets go of the file.
DWORD end(Session* session, bool changed, DWORD code) {
  if (session->fd < 0) return code;
  if (changed && code == ERROR_SUCCESS) {
    std::string text = serialize(store());
    if (ftruncate(session->fd, 0) != 0) code = w32_error_from_errno(errno);
    std::size_t done = 0;
    while (code == ERROR_SUCCESS && done < text.size()) {
      ssize_t put =
          ::pwrite(session->fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0)
        code = w32_error_from_errno(put < 0 ? errno : ENOSPC);
      else
        done += static_cast<std::size_t>(put);
    }
  }
  ::close(session->fd);  // lets go of the lock
  session->fd = -1;
  return code;
}

// --- The calls -------------------------------------------------------------------

// Opens (creating when asked) subkey below key into *result.
DWORD open_or_create(HKEY key, const char* subkey, REGSAM sam, bool create, DWORD options,
                     HKEY* result, DWORD* disposition) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  if (subkey == nullptr) {
    if (create) return ERROR_INVALID_PARAMETER;
    subkey = "";
  }
  W32NoCancel no_cancel;
  pthread_mutex_lock(&g_lock);
  Session session;
  DWORD code = begin(&session, create);
  bool created = false;
  if (code == ERROR_SUCCESS) {
    Key* base = nullptr;
    Opened opened;
    code = usable_key(key, 0, &base, &opened);
    if (code == ERROR_SUCCESS) {
      Key* found = nullptr;
      std::string path = opened.path;
      code =
          walk(base, subkey, create, (options & REG_OPTION_VOLATILE) != 0, &found, &created, &path);
      if (code == ERROR_SUCCESS) {
        *result = subkey[0] == '\0' && is_root(key) ? key : open_handle(opened.root, path, sam);
        if (disposition != nullptr)
          *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
      }
    }
  }
  code = end(&session, created, code);
  if (code != ERROR_SUCCESS && *result != nullptr) {
    if (Slot* slot = find_slot(*result)) slot->used = false;
    *result = nullptr;
  }
  pthread_mutex_unlock(&g_lock);
  return code;
}

// Runs body(key, &changed) on the key behind handle, opened with the access needed, in
// one session of the store; a change is written back when body says so and succeeds.
template <typename Body>
DWORD with_key(HKEY handle, REGSAM needed, bool change, Body body) {
  W32NoCancel no_cancel;
  pthread_mutex_lock(&g_lock);
  Session session;
  DWORD code = begin(&session, change);
  Key* target = nullptr;
  Opened opened;
  if (code == ERROR_SUCCESS) code = usable_key(handle, needed, &target, &opened);
  bool changed = false;
  if (code == ERROR_SUCCESS) code = body(target, &changed);
  code = end(&session, changed, code);
  pthread_mutex_unlock(&g_lock);
  return code;
}

// Gives a value's type and bytes with the Win32 rules: with data null, *size (when
// given) gets the byte count; otherwise *size holds the room at data and gets the bytes
// copied, or the count needed with ERROR_MORE_DATA and nothing copied.
DWORD copy_value(const Value& value, DWORD* type, BYTE* data, DWORD* size) {
  DWORD needed = static_cast<DWORD>(value.data.size());
  DWORD code = ERROR_SUCCESS;
  if (type != nullptr) *type = value.type;
  if (data != nullptr && *size < needed)
    code = ERROR_MORE_DATA;
  else if (data != nullptr && needed != 0)
    std::memcpy(data, value.data.data(), needed);
  if (size != nullptr) *size = needed;
  return code;
}

// Copies name into out with the Win32 rules of the enumerations: *size holds the room
// and gets the length; ERROR_MORE_DATA when name and its terminator do not fit.
DWORD copy_name(const std::string& name, char* out, DWORD* size) {
  if (out == nullptr || size == nullptr) return ERROR_INVALID_PARAMETER;
  if (name.size() + 1 > *size) return ERROR_MORE_DATA;
  std::memcpy(out, name.c_str(), name.size() + 1);
  *size = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

DWORD set_value(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size) {
  if (data == nullptr && size != 0) return ERROR_INVALID_PARAMETER;
  return with_key(key, KEY_SET_VALUE, true, [&](Key* target, bool* changed) {
    Value* value = find_value(target, name);
    if (value == nullptr) {
      target->values.push_back(Value{name != nullptr ? name : "", type, {}});
      value = &target->values.back();
    }
    value->type = type;
    value->data.assign(data, data + size);
    *changed = true;
    return ERROR_SUCCESS;
  });
}

DWORD delete_value(HKEY key, const char* name) {
  return with_key(key, KEY_SET_VALUE, true, [&](Key* target, bool* changed) {
    Value* value = find_value(target, name);
    if (value == nullptr) return ERROR_FILE_NOT_FOUND;
    target->values.erase(target->values.begin() + (value - target->values.data()));
    *changed = true;
    return ERROR_SUCCESS;
  });
}

DWORD query_value(HKEY key, const char* name, const DWORD* reserved, DWORD* type, BYTE* data,
                  DWORD* size) {
  if (reserved != nullptr || (data != nullptr && size == nullptr)) return ERROR_INVALID_PARAMETER;
  return with_key(key, KEY_QUERY_VALUE, false, [&](Key* target, bool*) {
    const Value* value = find_value(target, name);
    return value == nullptr ? ERROR_FILE_NOT_FOUND : copy_value(*value, type, data, size);
  });
}

DWORD delete_key(HKEY key, const char* subkey) {
  if (subkey == nullptr || subkey[0] == '\0') return ERROR_INVALID_PARAMETER;
  return with_key(key, 0, true, [&](Key* base, bool* changed) {
    // The parent of the last name, then the key itself.
    std::string path(subkey);
    while (!path.empty() && path.back() == '\\') path.pop_back();
    std::size_t cut = path.rfind('\\');
    std::string last = cut == std::string::npos ? path : path.substr(cut + 1);
    if (last.empty()) return ERROR_INVALID_PARAMETER;
    Key* parent = base;
    bool created = false;
    std::string spelled;
    if (cut != std::string::npos) {
      DWORD code =
          walk(base, path.substr(0, cut).c_str(), false, false, &parent, &created, &spelled);
      if (code != ERROR_SUCCESS) return code;
    }
    Key* target = find_child(parent, last.data(), last.size());
    if (target == nullptr) return ERROR_FILE_NOT_FOUND;
    if (!target->children.empty()) return ERROR_ACCESS_DENIED;
    for (auto it = parent->children.begin(); it != parent->children.end(); ++it) {
      if (it->get() == target) {
        parent->children.erase(it);
        break;
      }
    }
    *changed = true;
    return ERROR_SUCCESS;
  });
}

DWORD enum_key(HKEY key, DWORD index, char* name, DWORD* name_size, char* class_name,
               DWORD* class_size, FILETIME* last_write) {
  return with_key(key, KEY_ENUMERATE_SUB_KEYS, false, [&](Key* target, bool*) {
    if (index >= target->children.size()) return ERROR_NO_MORE_ITEMS;
    DWORD code = copy_name(target->children[index]->name, name, name_size);
    if (code != ERROR_SUCCESS) return code;
    if (class_name != nullptr && class_size != nullptr && *class_size > 0) {
      class_name[0] = '\0';
      *class_size = 0;
    }
    if (last_write != nullptr) *last_write = FILETIME{0, 0};
    return ERROR_SUCCESS;
  });
}

DWORD enum_value(HKEY key, DWORD index, char* name, DWORD* name_size, DWORD* type, BYTE* data,
                 DWORD* data_size) {
  if (data != nullptr && data_size == nullptr) return ERROR_INVALID_PARAMETER;
  return with_key(key, KEY_QUERY_VALUE, false, [&](Key* target, bool*) {
    if (index >= target->values.size()) return ERROR_NO_MORE_ITEMS;
    const Value& value = target->values[index];
    DWORD code = copy_name(value.name, name, name_size);
    return code != ERROR_SUCCESS ? code : copy_value(value, type, data, data_size);
  });
}

// Drops the volatile keys below key.
void drop_volatile(Key* key) {
  auto& children = key->children;
  for (std::size_t i = 0; i < children.size();) {
    if (children[i]->is_volatile) {
      children.erase(children.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      drop_volatile(children[i].get());
      ++i;
    }
  }
}

DWORD close_key(HKEY key) {
  if (is_root(key)) return ERROR_SUCCESS;
  pthread_mutex_lock(&g_lock);
  Slot* slot = find_slot(key);
  if (slot != nullptr) {
    slot->used = false;
    slot->path.clear();
  }
  pthread_mutex_unlock(&g_lock);
  return slot != nullptr ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

}  // namespace

// The calls answer with a LONG, the codes are DWORDs of the same values.

LONG RegOpenKeyExA(HKEY key, const char* subkey, DWORD /*options*/, REGSAM sam, HKEY* result) {
  if (DWORD code = w32_fault_code("RegOpenKeyExA", subkey)) return static_cast<LONG>(code);
  return static_cast<LONG>(open_or_create(key, subkey, sam, false, 0, result, nullptr));
}

LONG RegCreateKeyExA(HKEY key, const char* subkey, DWORD /*reserved*/, char* /*class_name*/,
                     DWORD options, REGSAM sam, void* /*security*/, HKEY* result,
                     DWORD* disposition) {
  if (DWORD code = w32_fault_code("RegCreateKeyExA", subkey)) return static_cast<LONG>(code);
  return static_cast<LONG>(open_or_create(key, subkey, sam, true, options, result, disposition));
}

LONG RegSetValueExA(HKEY key, const char* name, DWORD /*reserved*/, DWORD type, const BYTE* data,
                    DWORD size) {
  if (DWORD code = w32_fault_code("RegSetValueExA", name)) return static_cast<LONG>(code);
  return static_cast<LONG>(set_value(key, name, type, data, size));
}

LONG RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* size) {
  if (DWORD code = w32_fault_code("RegQueryValueExA", name)) return static_cast<LONG>(code);
  return static_cast<LONG>(query_value(key, name, reserved, type, data, size));
}

LONG RegOpenKeyA(HKEY key, const char* subkey, HKEY* result) {
  if (DWORD code = w32_fault_code("RegOpenKeyA", subkey)) return static_cast<LONG>(code);
  return static_cast<LONG>(open_or_create(key, subkey, KEY_ALL_ACCESS, false, 0, result, nullptr));
}

LONG RegCreateKeyA(HKEY key, const char* subkey, HKEY* result) {
  if (DWORD code = w32_fault_code("RegCreateKeyA", subkey)) return static_cast<LONG>(code);
  return static_cast<LONG>(open_or_create(key, subkey != nullptr ? subkey : "", KEY_ALL_ACCESS,
                                          true, 0, result, nullptr));
}

LONG RegDeleteValueA(HKEY key, const char* name) {
  if (DWORD code = w32_fault_code("RegDeleteValueA", name)) return static_cast<LONG>(code);
  return static_cast<LONG>(delete_value(key, name));
}

LONG RegDeleteKeyA(HKEY key, const char* subkey) {
  if (DWORD code = w32_fault_code("RegDeleteKeyA", subkey)) return static_cast<LONG>(code);
  return static_cast<LONG>(delete_key(key, subkey));
}

LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* name_size, DWORD* reserved,
                   char* class_name, DWORD* class_size, FILETIME* last_write) {
  if (DWORD code = w32_fault_code("RegEnumKeyExA")) return static_cast<LONG>(code);
  if (reserved != nullptr) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
  return static_cast<LONG>(
      enum_key(key, index, name, name_size, class_name, class_size, last_write));
}

LONG RegEnumValueA(HKEY key, DWORD index, char* name, DWORD* name_size, DWORD* reserved,
                   DWORD* type, BYTE* data, DWORD* data_size) {
  if (DWORD code = w32_fault_code("RegEnumValueA")) return static_cast<LONG>(code);
  if (reserved != nullptr) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
  return static_cast<LONG>(enum_value(key, index, name, name_size, type, data, data_size));
}

BOOL InitializeSecurityDescriptor(SECURITY_DESCRIPTOR* descriptor, DWORD revision) {
  if (descriptor == nullptr || revision != SECURITY_DESCRIPTOR_REVISION) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *descriptor = SECURITY_DESCRIPTOR{};
  descriptor->Revision = static_cast<BYTE>(revision);
  return TRUE;
}

BOOL SetSecurityDescriptorDacl(SECURITY_DESCRIPTOR* descriptor, BOOL present, void* dacl,
                               BOOL /*defaulted*/) {
  if (descriptor == nullptr || descriptor->Revision != SECURITY_DESCRIPTOR_REVISION) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (dacl != nullptr) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  descriptor->Control = static_cast<WORD>(present ? descriptor->Control | SE_DACL_PRESENT
                                                  : descriptor->Control & ~SE_DACL_PRESENT);
  descriptor->Dacl = nullptr;
  return TRUE;
}

LONG RegSetKeySecurity(HKEY key, DWORD information, SECURITY_DESCRIPTOR* descriptor) {
  if (DWORD code = w32_fault_code("RegSetKeySecurity")) return static_cast<LONG>(code);
  if (descriptor == nullptr) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
  return static_cast<LONG>(with_key(key, 0, false, [&](Key*, bool*) {
    bool grants_all = information == DACL_SECURITY_INFORMATION &&
                      (descriptor->Control & SE_DACL_PRESENT) != 0 && descriptor->Dacl == nullptr;
    return grants_all ? ERROR_SUCCESS : ERROR_NOT_SUPPORTED;
  }));
}

LONG RegCloseKey(HKEY key) {
  // An armed failure closes all the same, as CloseHandle does.
  DWORD code = w32_fault_code("RegCloseKey");
  DWORD closed = close_key(key);
  return static_cast<LONG>(closed != ERROR_SUCCESS ? closed : code);
}

int registry_testing_open_handles() {
  pthread_mutex_lock(&g_lock);
  int open = 0;
  if (g_store != nullptr)
    for (const Slot& slot : g_store->slots) open += slot.used ? 1 : 0;
  pthread_mutex_unlock(&g_lock);
  return open;
}

void registry_testing_restart() {
  W32NoCancel no_cancel;
  pthread_mutex_lock(&g_lock);
  Session session;
  DWORD code = begin(&session, true);
  if (code == ERROR_SUCCESS)
    for (Key& root : store().roots) drop_volatile(&root);
  end(&session, true, code);
  pthread_mutex_unlock(&g_lock);
}

void registry_testing_reset() {
  pthread_mutex_lock(&g_lock);
  delete g_store;
  g_store = nullptr;
  pthread_mutex_unlock(&g_lock);
}

}  // namespace w32
