#include "platform/w32/handle.h"

#include <pthread.h>

#include <cstdint>
#include <cstdlib>

#include "platform/w32/cancel.h"
#include "platform/w32/error.h"
#include "platform/w32/fault.h"
#include "platform/w32/handle_testing.h"

namespace w32 {

namespace {

struct Slot {
  W32HandleObject* object;  // null: free
  unsigned kind;
  std::uint32_t serial;
};

// malloc'd and grown by doubling; null until the first handle. Guarded by g_lock.
Slot* g_slots = nullptr;
std::size_t g_slot_count = 0;
std::uint32_t g_next_serial = 1;
pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;

// The low bits 10 keep every handle apart from null, from INVALID_HANDLE_VALUE and from
// aligned addresses.
HANDLE make_handle(std::size_t slot, std::uint32_t serial) {
  std::uintptr_t value = (static_cast<std::uintptr_t>(serial) << 32) | (slot << 2) | 2;
  return reinterpret_cast<HANDLE>(value);
}

// The open slot that handle names, or null. Called with g_lock held.
Slot* find_slot(HANDLE handle) {
  std::uintptr_t value = reinterpret_cast<std::uintptr_t>(handle);
  if ((value & 3) != 2) return nullptr;
  std::size_t slot = (value & 0xFFFFFFFFu) >> 2;
  if (slot >= g_slot_count || g_slots[slot].object == nullptr ||
      g_slots[slot].serial != static_cast<std::uint32_t>(value >> 32))
    return nullptr;
  return &g_slots[slot];
}

// Drops one reference; the object goes with the last. Called with g_lock held; returns
// the object to destroy once the lock is let go, or null.
W32HandleObject* unref(W32HandleObject* object) { return --object->refs == 0 ? object : nullptr; }

// An object goes whole: its destroy may close descriptors, cancellation points.
void destroy(W32HandleObject* object) {
  if (object == nullptr) return;
  W32NoCancel no_cancel;
  object->destroy(object);
}

}  // namespace

HANDLE w32_handle_open(W32HandleObject* object, unsigned kind) {
  pthread_mutex_lock(&g_lock);
  std::size_t slot = 0;
  while (slot < g_slot_count && g_slots[slot].object != nullptr) ++slot;
  if (slot == g_slot_count) {
    std::size_t count = g_slot_count == 0 ? 16 : 2 * g_slot_count;
    void* grown = std::realloc(g_slots, count * sizeof(Slot));
    if (grown == nullptr) {
      pthread_mutex_unlock(&g_lock);
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    g_slots = static_cast<Slot*>(grown);
    for (std::size_t i = g_slot_count; i < count; ++i) g_slots[i] = Slot{nullptr, 0, 0};
    g_slot_count = count;
  }
  g_slots[slot] = Slot{object, kind, g_next_serial++};
  if (g_next_serial == 0) g_next_serial = 1;
  ++object->refs;
  HANDLE handle = make_handle(slot, g_slots[slot].serial);
  pthread_mutex_unlock(&g_lock);
  return handle;
}

W32HandleObject* w32_handle_acquire(HANDLE handle, unsigned kinds, unsigned* kind) {
  pthread_mutex_lock(&g_lock);
  Slot* slot = find_slot(handle);
  W32HandleObject* object = nullptr;
  if (slot != nullptr && (slot->kind & kinds) != 0) {
    object = slot->object;
    ++object->refs;
    if (kind != nullptr) *kind = slot->kind;
  }
  pthread_mutex_unlock(&g_lock);
  if (object == nullptr) SetLastError(ERROR_INVALID_HANDLE);
  return object;
}

void w32_handle_release(W32HandleObject* object) {
  pthread_mutex_lock(&g_lock);
  W32HandleObject* dead = unref(object);
  pthread_mutex_unlock(&g_lock);
  destroy(dead);
}

BOOL w32_handle_close(HANDLE handle, unsigned kinds) {
  pthread_mutex_lock(&g_lock);
  Slot* slot = find_slot(handle);
  W32HandleObject* dead = nullptr;
  bool closed = slot != nullptr && (slot->kind & kinds) != 0;
  if (closed) {
    dead = unref(slot->object);
    slot->object = nullptr;
  }
  pthread_mutex_unlock(&g_lock);
  destroy(dead);
  if (closed) return TRUE;
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

BOOL CloseHandle(HANDLE handle) {
  // An armed failure closes all the same: the handle never leaks, the caller hears of it.
  BOOL armed = w32_fault_hit("CloseHandle");
  BOOL closed = w32_handle_close(handle, W32_HANDLE_PROCESS | W32_HANDLE_THREAD |
                                             W32_HANDLE_SNAPSHOT | W32_HANDLE_FILE |
                                             W32_HANDLE_TOKEN | W32_HANDLE_LOCAL_THREAD |
                                             W32_HANDLE_MUTEX);
  return closed && !armed ? TRUE : FALSE;
}

int handle_testing_open_count() {
  pthread_mutex_lock(&g_lock);
  int open = 0;
  for (std::size_t i = 0; i < g_slot_count; ++i) open += g_slots[i].object != nullptr ? 1 : 0;
  pthread_mutex_unlock(&g_lock);
  return open;
}

void handle_testing_reset() {
  for (;;) {
    pthread_mutex_lock(&g_lock);
    W32HandleObject* dead = nullptr;
    bool any = false;
    for (std::size_t i = 0; i < g_slot_count && !any; ++i) {
      if (g_slots[i].object == nullptr) continue;
      any = true;
      dead = unref(g_slots[i].object);
      g_slots[i].object = nullptr;
    }
    pthread_mutex_unlock(&g_lock);
    destroy(dead);
    if (!any) return;
  }
}

}  // namespace w32
