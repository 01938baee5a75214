#include "runtime/memory/notify.h"

#include <cstring>

#include "runtime/diag/diag.h"
#include "runtime/memory/btree.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/notify_testing.h"
#include "runtime/memory/xar.h"

namespace vek {

namespace {

VynNotifyApp* notification_db = nullptr;

constexpr const char* REMOVE_NAME = "vyn_notification_remove";

VynNotifyApp* app_of(int app_key) {
  if (app_key < 0 || app_key >= xar_count(&notification_db)) return nullptr;
  return &notification_db[app_key];
}

// The slot of an event for remove, remove by id and exists, with their reports.
VynNotifySlot* existing_slot(int app_key, int event_id) {
  VynNotifyApp* app = app_of(app_key);
  if (app == nullptr) {
    dbg_err_crash(REMOVE_NAME, "invalid application key %d", app_key);
    return nullptr;
  }
  // A negative event id would name the slot before the array.
  if (event_id < 0) {
    dbg_err_crash(REMOVE_NAME, "invalid event_id %d", event_id);
    return nullptr;
  }
  if (event_id >= xar_count(&app->slots)) {
    dbg_print_info(REMOVE_NAME, "event_id %d was never defined?", event_id);
    return nullptr;
  }
  return &app->slots[event_id];
}

// Index of the newest entry of the function, or -1.
int newest_of(const VynNotifySlot* slot, VynNotifyFunc function) {
  for (int i = xar_count(&slot->entries) - 1; i >= 0; --i)
    if (slot->entries[i].function == function) return i;
  return -1;
}

int compare_id(const void* key, const void* element) {
  int want = *static_cast<const int*>(key);
  int id = static_cast<const VynNotifyEntry*>(element)->notify_id;
  return want < id ? -1 : (want > id ? 1 : 0);
}

// 1 when an entry has that id (position = its index), else 0 (position = where it
// would stand).
int find_id(const VynNotifySlot* slot, int notify_id, int* position) {
  return binary_srch_array_low(xar_count(&slot->entries), compare_id,
                               static_cast<int>(sizeof(VynNotifyEntry)), &notify_id,
                               slot->entries, position);
}

}  // namespace

int vyn_notification_add_application(const char* app_name) {
  static constexpr const char* name = "vyn_notification_add_application";
  if (app_name == nullptr || app_name[0] == '\0') {
    dbg_print_info(name, "invalid app_name");
    return -1;
  }
  if (notification_db == nullptr)
    notification_db =
        static_cast<VynNotifyApp*>(xar_alloc(0, static_cast<int>(sizeof(VynNotifyApp)), 1));
  int count = xar_count(&notification_db);
  for (int i = 0; i < count; ++i) {
    if (std::strcmp(notification_db[i].name, app_name) == 0) {
      dbg_err_crash(name, "attempted to duplicate application name %s!", app_name);
      return -1;
    }
  }
  VynNotifyApp* app = static_cast<VynNotifyApp*>(xar_extend(&notification_db, 1));
  std::size_t length = std::strlen(app_name);
  app->name = static_cast<char*>(getmem(length + 1));
  std::memcpy(app->name, app_name, length + 1);
  app->slots = nullptr;
  return count;
}

int vyn_notification_add(int app_key, int event_id, VynNotifyFunc function, VynWord data,
                         VynNotifyRelease release) {
  static constexpr const char* name = "vyn_notification_add";
  if (function == nullptr) {
    dbg_err_crash(name, "invalid NULL function");
    return -1;
  }
  VynNotifyApp* app = app_of(app_key);
  if (app == nullptr) {
    dbg_err_crash(name, "invalid application key %d", app_key);
    return -1;
  }
  // The slot array holds at most xar_max_count_get slots: a larger id would end the
  // process in the array's growth.
  if (event_id < 0 || event_id >= xar_max_count_get(static_cast<int>(sizeof(VynNotifySlot)))) {
    dbg_err_crash(name, "invalid event_id %d", event_id);
    return -1;
  }
  if (event_id < xar_count(&app->slots) &&
      xar_count(&app->slots[event_id].entries) >=
          xar_max_count_get(static_cast<int>(sizeof(VynNotifyEntry)))) {
    dbg_err_crash(name, "too many notifications for event_id %d", event_id);
    return -1;
  }
  if (event_id >= xar_count(&app->slots))
    xar_alloc_or_resize(&app->slots, event_id + 1, static_cast<int>(sizeof(VynNotifySlot)), 1);
  VynNotifySlot* slot = &app->slots[event_id];
  if (slot->entries == nullptr)
    slot->entries = static_cast<VynNotifyEntry*>(
        xar_alloc(0, static_cast<int>(sizeof(VynNotifyEntry)), 1));
  ++slot->change_counter;
  VynNotifyEntry entry{function, data, release, slot->next_notify_id++};
  xar_append(&slot->entries, 1, &entry);
  return entry.notify_id;
}

namespace {

// Calls the entry's release function with the address of its data word; the entry's id.
// The release function may add or remove registrations: the entries after it may move
// down, and the entries and the application's slots may move elsewhere. It may also
// remove this very entry again: the entry has no release function by then, so that the
// removal does not call it once more, without end.
int call_release(VynNotifyEntry* entry) {
  int id = entry->notify_id;
  VynNotifyRelease release = entry->release;
  entry->release = nullptr;
  if (release != nullptr) release(&entry->data);
  return id;
}

// Removes the entry with the id from entries (*p_entries read afresh).
void remove_id_from(VynNotifyEntry** p_entries, int id) {
  VynNotifySlot holder{*p_entries, 0, 0};
  int position = 0;
  if (find_id(&holder, id, &position)) xar_remove(p_entries, position, 1);
}

// Removes entry index of an event; its slot is looked up again after the release.
void remove_entry(int app_key, int event_id, int index) {
  int id = call_release(&app_of(app_key)->slots[event_id].entries[index]);
  remove_id_from(&app_of(app_key)->slots[event_id].entries, id);
}

}  // namespace

void notify_remove_func(VynNotifyEntry** p_entries, int index) {
  if (p_entries == nullptr || index < 0 || index >= xar_count(p_entries)) return;
  remove_id_from(p_entries, call_release(&(*p_entries)[index]));
}

void vyn_notification_remove(int app_key, int event_id, VynNotifyFunc function) {
  if (function == nullptr) {
    dbg_err_crash(REMOVE_NAME, "invalid NULL function");
    return;
  }
  VynNotifySlot* slot = existing_slot(app_key, event_id);
  if (slot == nullptr) return;
  ++slot->change_counter;
  int index = newest_of(slot, function);
  if (index < 0) {
    dbg_print_info(REMOVE_NAME, "failed to find func to remove");
    return;
  }
  remove_entry(app_key, event_id, index);
}

void vyn_notification_remove_id(int app_key, int event_id, int notify_id) {
  VynNotifySlot* slot = existing_slot(app_key, event_id);
  if (slot == nullptr) return;
  ++slot->change_counter;
  int index = 0;
  if (!find_id(slot, notify_id, &index)) {
    dbg_print_info("vyn_notification_remove_id", "notify id %d not found", notify_id);
    return;
  }
  remove_entry(app_key, event_id, index);
}

int vyn_notification_exists(int app_key, int event_id, VynNotifyFunc function) {
  if (function == nullptr) return 0;
  VynNotifySlot* slot = existing_slot(app_key, event_id);
  return slot != nullptr && newest_of(slot, function) >= 0 ? 1 : 0;
}

void vyn_notifications_init_loop(int app_key, int event_id, Vyn_notify_pos* position) {
  if (position == nullptr) {
    dbg_err_crash("vyn_notifications_init_loop", "missing Vyn_notify_pos");
    return;
  }
  *position = Vyn_notify_pos{app_key, event_id, -1, -1, -1};
}

int vyn_notifications_get_next(int app_key, int event_id, Vyn_notify_pos* position,
                               VynNotifyFunc* function, int* notify_id, VynWord* data) {
  if (function != nullptr) *function = nullptr;
  if (notify_id != nullptr) *notify_id = -1;
  if (data != nullptr) *data = 0;
  if (position == nullptr) {
    dbg_err_crash("vyn_notifications_get_next", "missing Vyn_notify_pos");
    return 0;
  }
  VynNotifyApp* app = app_of(app_key);
  VynNotifySlot* slot = app != nullptr && event_id >= 0 && event_id < xar_count(&app->slots)
                            ? &app->slots[event_id]
                            : nullptr;
  int count = slot != nullptr ? xar_count(&slot->entries) : 0;
  int next = -1;
  if (count > 0) {
    if (position->index < 0) {
      next = 0;
    } else if (position->change_counter == slot->change_counter) {
      next = position->index + 1;
    } else {
      // Something moved: resume after the last id returned, wherever it now stands.
      int at = 0;
      next = find_id(slot, position->notify_id, &at) ? at + 1 : at;
    }
    if (next >= count) next = -1;
  }
  if (next < 0) {
    position->change_counter = -1;
    position->index = -1;
    position->notify_id = -1;
    return 0;
  }
  const VynNotifyEntry& entry = slot->entries[next];
  position->change_counter = slot->change_counter;
  position->index = next;
  position->notify_id = entry.notify_id;
  if (function != nullptr) *function = entry.function;
  if (notify_id != nullptr) *notify_id = entry.notify_id;
  if (data != nullptr) *data = entry.data;
  return 1;
}

void vyn_notifications_simple_call(int app_key, int event_id) {
  Vyn_notify_pos position;
  vyn_notifications_init_loop(app_key, event_id, &position);
  VynNotifyFunc function = nullptr;
  int id = -1;
  VynWord data = 0;
  while (vyn_notifications_get_next(app_key, event_id, &position, &function, &id, &data))
    function(id, data);
}

void notify_testing_reset() { notification_db = nullptr; }

// ---------------------------------------------------------------------------------------
// Bit arrays

int bit_array_get_index_mask(int bit, int word_count, int* word_index, std::uint32_t* mask) {
  if (bit < 0 || word_count < 0 || static_cast<long long>(bit) >= 32LL * word_count) return 0;
  if (word_index != nullptr) *word_index = bit / 32;
  if (mask != nullptr) *mask = std::uint32_t{1} << (bit % 32);
  return 1;
}

namespace {

// The word and mask of a bit in range; the fault report for one out of range.
bool locate_bit(int bit, int word_count, int* word, std::uint32_t* mask) {
  if (bit_array_get_index_mask(bit, word_count, word, mask)) return true;
  dbg_err_crash("bit_array_clear_bit", "Bad call");
  return false;
}

}  // namespace

int bit_array_check_bit(const std::uint32_t* words, int word_count, int bit) {
  int word = 0;
  std::uint32_t mask = 0;
  if (words == nullptr || !locate_bit(bit, word_count, &word, &mask)) return 0;
  return (words[word] & mask) != 0 ? 1 : 0;
}

int bit_array_set_bit(std::uint32_t* words, int word_count, int bit) {
  int word = 0;
  std::uint32_t mask = 0;
  if (words == nullptr || !locate_bit(bit, word_count, &word, &mask)) return 0;
  if ((words[word] & mask) != 0) return 1;
  words[word] |= mask;
  return 0;
}

int bit_array_clear_bit(std::uint32_t* words, int word_count, int bit) {
  int word = 0;
  std::uint32_t mask = 0;
  if (words == nullptr || !locate_bit(bit, word_count, &word, &mask)) return 0;
  if ((words[word] & mask) == 0) return 0;
  words[word] &= ~mask;
  return 1;
}

}  // namespace vek
