#include "platform/w32/registry.h"

#include <pthread.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/w32/ascii.h"
#include "platform/w32/error.h"
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
constexpr int kRootCount = static_cast<int>(sizeof kRoots / sizeof kRoots[0]);
constexpr REGSAM kRootAccess = KEY_QUERY_VALUE | KEY_SET_VALUE;

struct Value {
  std::string name;
  DWORD type;
  std::vector<BYTE> data;
};

// Keys are never removed while the store lives, so a handle may keep a key's address.
struct Key {
  std::string name;
  std::vector<std::unique_ptr<Key>> children;
  std::vector<Value> values;
};

// An opened key. A free slot has no key.
struct Slot {
  Key* key;
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
  if (slot >= slots.size() || slots[slot].key == nullptr ||
      slots[slot].serial != static_cast<std::uint32_t>(value >> 32))
    return nullptr;
  return &slots[slot];
}

// The key a handle stands for and the access it was opened with; false for a handle
// that is not open.
bool open_key(HKEY handle, Key** key, REGSAM* access) {
  for (int i = 0; i < kRootCount; ++i) {
    if (handle == kRoots[i]) {
      *key = &store().roots[i];
      *access = kRootAccess;
      return true;
    }
  }
  Slot* slot = find_slot(handle);
  if (slot == nullptr) return false;
  *key = slot->key;
  *access = slot->access;
  return true;
}

bool is_root(HKEY handle) {
  for (HKEY root : kRoots)
    if (handle == root) return true;
  return false;
}

HKEY open_handle(Key* key, REGSAM access) {
  Store& s = store();
  std::size_t slot = 0;
  while (slot < s.slots.size() && s.slots[slot].key != nullptr) ++slot;
  if (slot == s.slots.size()) s.slots.push_back(Slot{});
  s.slots[slot] = Slot{key, access, s.next_serial++};
  return make_handle(slot, s.slots[slot].serial);
}

bool same_name(const std::string& name, const char* text, std::size_t length) {
  return name.size() == length && equal_ascii_folded(name.data(), text, length);
}

// The key behind an open handle, when the handle was opened with the access needed.
DWORD usable_key(HKEY handle, REGSAM needed, Key** key) {
  REGSAM access = 0;
  if (!open_key(handle, key, &access)) return ERROR_INVALID_HANDLE;
  return (access & needed) == needed ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

// Follows the '\'-separated path from key; missing keys are made when create is set
// (*created then tells whether the last one was). A '\' at the end is ignored; any
// other empty name is refused.
DWORD walk(Key* key, const char* path, bool create, Key** found, bool* created) {
  *created = false;
  while (*path != '\0') {
    const char* end = std::strchr(path, '\\');
    if (end == nullptr) end = path + std::strlen(path);
    std::size_t length = static_cast<std::size_t>(end - path);
    if (length == 0) return ERROR_INVALID_PARAMETER;
    Key* next = nullptr;
    for (std::unique_ptr<Key>& child : key->children)
      if (same_name(child->name, path, length)) next = child.get();
    *created = next == nullptr;
    if (next == nullptr) {
      if (!create) return ERROR_FILE_NOT_FOUND;
      key->children.push_back(std::make_unique<Key>());
      next = key->children.back().get();
      next->name.assign(path, length);
    }
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

// Opens (creating when asked) subkey below key into *result.
DWORD open_or_create(HKEY key, const char* subkey, REGSAM sam, bool create, HKEY* result,
                     DWORD* disposition) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  if (subkey == nullptr) {
    if (create) return ERROR_INVALID_PARAMETER;
    subkey = "";
  }
  pthread_mutex_lock(&g_lock);
  Key* base = nullptr;
  DWORD code = usable_key(key, 0, &base);
  if (code == ERROR_SUCCESS) {
    Key* found = nullptr;
    bool created = false;
    code = walk(base, subkey, create, &found, &created);
    if (code == ERROR_SUCCESS) {
      *result = subkey[0] == '\0' && is_root(key) ? key : open_handle(found, sam);
      if (disposition != nullptr)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    }
  }
  pthread_mutex_unlock(&g_lock);
  return code;
}

DWORD set_value(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size) {
  if (data == nullptr && size != 0) return ERROR_INVALID_PARAMETER;
  pthread_mutex_lock(&g_lock);
  Key* target = nullptr;
  DWORD code = usable_key(key, KEY_SET_VALUE, &target);
  if (code == ERROR_SUCCESS) {
    Value* value = find_value(target, name);
    if (value == nullptr) {
      target->values.push_back(Value{name != nullptr ? name : "", type, {}});
      value = &target->values.back();
    }
    value->type = type;
    value->data.assign(data, data + size);
  }
  pthread_mutex_unlock(&g_lock);
  return code;
}

DWORD query_value(HKEY key, const char* name, const DWORD* reserved, DWORD* type, BYTE* data,
                  DWORD* size) {
  if (reserved != nullptr || (data != nullptr && size == nullptr)) return ERROR_INVALID_PARAMETER;
  pthread_mutex_lock(&g_lock);
  Key* target = nullptr;
  DWORD code = usable_key(key, KEY_QUERY_VALUE, &target);
  const Value* value = code == ERROR_SUCCESS ? find_value(target, name) : nullptr;
  if (code == ERROR_SUCCESS && value == nullptr) code = ERROR_FILE_NOT_FOUND;
  if (value != nullptr) {
    DWORD needed = static_cast<DWORD>(value->data.size());
    if (type != nullptr) *type = value->type;
    if (data != nullptr && *size < needed)
      code = ERROR_MORE_DATA;
    else if (data != nullptr && needed != 0)
      std::memcpy(data, value->data.data(), needed);
    if (size != nullptr) *size = needed;
  }
  pthread_mutex_unlock(&g_lock);
  return code;
}

DWORD close_key(HKEY key) {
  if (is_root(key)) return ERROR_SUCCESS;
  pthread_mutex_lock(&g_lock);
  Slot* slot = find_slot(key);
  if (slot != nullptr) slot->key = nullptr;
  pthread_mutex_unlock(&g_lock);
  return slot != nullptr ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

}  // namespace

// The calls answer with a LONG, the codes are DWORDs of the same values.

LONG RegOpenKeyExA(HKEY key, const char* subkey, DWORD /*options*/, REGSAM sam, HKEY* result) {
  return static_cast<LONG>(open_or_create(key, subkey, sam, false, result, nullptr));
}

LONG RegCreateKeyExA(HKEY key, const char* subkey, DWORD /*reserved*/, char* /*class_name*/,
                     DWORD /*options*/, REGSAM sam, void* /*security*/, HKEY* result,
                     DWORD* disposition) {
  return static_cast<LONG>(open_or_create(key, subkey, sam, true, result, disposition));
}

LONG RegSetValueExA(HKEY key, const char* name, DWORD /*reserved*/, DWORD type, const BYTE* data,
                    DWORD size) {
  return static_cast<LONG>(set_value(key, name, type, data, size));
}

LONG RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* size) {
  return static_cast<LONG>(query_value(key, name, reserved, type, data, size));
}

LONG RegCloseKey(HKEY key) { return static_cast<LONG>(close_key(key)); }

int registry_testing_open_handles() {
  pthread_mutex_lock(&g_lock);
  int open = 0;
  if (g_store != nullptr)
    for (const Slot& slot : g_store->slots) open += slot.key != nullptr ? 1 : 0;
  pthread_mutex_unlock(&g_lock);
  return open;
}

void registry_testing_reset() {
  pthread_mutex_lock(&g_lock);
  delete g_store;
  g_store = nullptr;
  pthread_mutex_unlock(&g_lock);
}

}  // namespace w32
