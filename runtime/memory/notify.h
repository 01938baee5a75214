// Notification callbacks registered by named applications for numbered events, and
// operations on bit arrays held in 32-bit words.
#pragma once

#include <cstdint>

#include "runtime/vekbase.h"

namespace vek {

// Called as function(notify id, data word).
typedef void (*VynNotifyFunc)(int notify_id, VynWord data);
// Called with the address of the entry's data word when the entry is removed.
typedef void (*VynNotifyRelease)(VynWord* data);

struct VynNotifyEntry {
  VynNotifyFunc function;
  VynWord data;
  VynNotifyRelease release;  // may be null
  std::int32_t notify_id;
};

// One event of one application.
struct VynNotifySlot {
  VynNotifyEntry* entries;  // xarray in ascending id order, null until the first add
  int change_counter;       // raised by every add and every removal attempt
  int next_notify_id;
};

struct VynNotifyApp {
  char* name;             // own getmem copy
  VynNotifySlot* slots;   // xarray indexed by event id
};

// The caller's iteration position.
struct Vyn_notify_pos {
  int app_key;
  int event_id;
  int change_counter;  // as seen at the last step
  int index;           // of the entry last returned
  int notify_id;       // of the entry last returned
};

int vyn_notification_add_application(const char* app_name);
int vyn_notification_add(int app_key, int event_id, VynNotifyFunc function, VynWord data,
                         VynNotifyRelease release);
void vyn_notification_remove(int app_key, int event_id, VynNotifyFunc function);
void vyn_notification_remove_id(int app_key, int event_id, int notify_id);
int vyn_notification_exists(int app_key, int event_id, VynNotifyFunc function);
void vyn_notifications_init_loop(int app_key, int event_id, Vyn_notify_pos* position);
// Each out may be null.
int vyn_notifications_get_next(int app_key, int event_id, Vyn_notify_pos* position,
                               VynNotifyFunc* function, int* notify_id, VynWord* data);
void vyn_notifications_simple_call(int app_key, int event_id);
// p_entries: address of an entries xarray handle.
void notify_remove_func(VynNotifyEntry** p_entries, int index);

int bit_array_check_bit(const std::uint32_t* words, int word_count, int bit);
int bit_array_set_bit(std::uint32_t* words, int word_count, int bit);
int bit_array_clear_bit(std::uint32_t* words, int word_count, int bit);
int bit_array_get_index_mask(int bit, int word_count, int* word_index, std::uint32_t* mask);

}  // namespace vek
