#include "runtime/memory/notify.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "runtime/memory/xar.h"
#include "tests/support/runtime_test.h"
#include "tests/support/serious_reports.h"

namespace {

using vek::Vyn_notify_pos;

class NotifyTest : public yrltest::RuntimeTest {};

TEST_F(NotifyTest, ApplicationKeys) {
  EXPECT_EQ(vek::vyn_notification_add_application("a"), 0);
  EXPECT_EQ(vek::vyn_notification_add_application("b"), 1);
  yrltest::SeriousReports reports;
  EXPECT_EQ(vek::vyn_notification_add_application("a"), -1);
  EXPECT_EQ(vek::vyn_notification_add_application("A"), 2);  // case-sensitive
  EXPECT_EQ(vek::vyn_notification_add_application(""), -1);
  EXPECT_EQ(vek::vyn_notification_add_application(nullptr), -1);
  EXPECT_EQ(reports.lines(), (std::vector<std::string>{
                                 "vyn_notification_add_application:  attempted to duplicate "
                                 "application name a!",
                                 "vyn_notification_add_application:  invalid app_name (INFO MESSAGE)",
                                 "vyn_notification_add_application:  invalid app_name (INFO MESSAGE)"}));
}

// A record of the calls a walk made, shared by the callbacks through a global: the
// callback signature carries only the id and the data word.
std::vector<int> calls;
int app = -1;

void note(int id, VynWord) { calls.push_back(id); }
void note_and_remove_self(int id, VynWord) {
  calls.push_back(id);
  vek::vyn_notification_remove_id(app, 5, id);
}
void note_and_remove_data(int id, VynWord data) {
  calls.push_back(id);
  vek::vyn_notification_remove_id(app, 5, static_cast<int>(data));
}
int add_once = 0;
void note_and_add(int id, VynWord) {
  calls.push_back(id);
  if (add_once) vek::vyn_notification_add(app, 5, note, 0, nullptr);
  add_once = 0;
}

std::vector<int> walk() {
  calls.clear();
  vek::vyn_notifications_simple_call(app, 5);
  return calls;
}

TEST_F(NotifyTest, WalksSurviveChangesMadeByCallbacks) {
  app = vek::vyn_notification_add_application("fa");
  EXPECT_EQ(vek::vyn_notification_add(app, 5, note_and_remove_self, 0, nullptr), 0);
  EXPECT_EQ(vek::vyn_notification_add(app, 5, note, 0, nullptr), 1);
  EXPECT_EQ(vek::vyn_notification_add(app, 5, note, 0, nullptr), 2);
  EXPECT_EQ(walk(), (std::vector<int>{0, 1, 2}));  // the first removed itself
  EXPECT_EQ(walk(), (std::vector<int>{1, 2}));

  // A callback adding a function: the new one is visited last.
  vek::vyn_notification_remove_id(app, 5, 1);
  vek::vyn_notification_add(app, 5, note_and_add, 0, nullptr);  // id 3
  add_once = 1;
  EXPECT_EQ(walk(), (std::vector<int>{2, 3, 4}));

  // A callback removing an earlier entry changes nothing for the rest of the walk; one
  // removing a later entry makes the walk skip it.
  EXPECT_EQ(vek::vyn_notification_add(app, 5, note_and_remove_data, 2, nullptr), 5);
  EXPECT_EQ(vek::vyn_notification_add(app, 5, note_and_remove_data, 7, nullptr), 6);
  EXPECT_EQ(vek::vyn_notification_add(app, 5, note, 0, nullptr), 7);
  EXPECT_EQ(walk(), (std::vector<int>{2, 3, 4, 5, 6}));
  EXPECT_EQ(walk(), (std::vector<int>{3, 4, 5, 6}));
}

VynWord released_value = 0;
void release(VynWord* data) { released_value = *data; }

TEST_F(NotifyTest, RemoveTakesTheNewestAndCallsItsRelease) {
  app = vek::vyn_notification_add_application("fa");
  EXPECT_EQ(vek::vyn_notification_add(app, 5, note, 10, release), 0);
  EXPECT_EQ(vek::vyn_notification_add(app, 5, note_and_add, 11, release), 1);
  EXPECT_EQ(vek::vyn_notification_add(app, 5, note, 12, release), 2);
  vek::vyn_notification_remove(app, 5, note);
  EXPECT_EQ(released_value, 12);
  EXPECT_EQ(vek::vyn_notification_exists(app, 5, note), 1);
  vek::vyn_notification_remove(app, 5, note);
  EXPECT_EQ(released_value, 10);
  EXPECT_EQ(vek::vyn_notification_exists(app, 5, note), 0);
  EXPECT_EQ(vek::vyn_notification_exists(app, 5, nullptr), 0);
  EXPECT_EQ(walk(), (std::vector<int>{1}));
}

TEST_F(NotifyTest, SlotsAndPositions) {
  app = vek::vyn_notification_add_application("fa");
  for (int i = 0; i < 3; ++i) vek::vyn_notification_add(app, 5, note, 100 + i, nullptr);
  Vyn_notify_pos position;
  vek::vyn_notifications_init_loop(app, 5, &position);
  vek::VynNotifyFunc function = nullptr;
  int id = 0;
  VynWord data = 0;
  std::vector<VynWord> seen;
  while (vek::vyn_notifications_get_next(app, 5, &position, &function, &id, &data))
    seen.push_back(data);
  EXPECT_EQ(seen, (std::vector<VynWord>{100, 101, 102}));
  EXPECT_EQ(function, nullptr);
  EXPECT_EQ(id, -1);
  EXPECT_EQ(position.app_key, app);
  EXPECT_EQ(position.event_id, 5);
  EXPECT_EQ(position.change_counter, -1);
  EXPECT_EQ(position.index, -1);
  EXPECT_EQ(position.notify_id, -1);
  // The walk starts over.
  EXPECT_EQ(vek::vyn_notifications_get_next(app, 5, &position, nullptr, &id, nullptr), 1);
  EXPECT_EQ(id, 0);
  // Event slots 0 to 4 exist without entries.
  for (int event = 0; event < 5; ++event) {
    vek::vyn_notifications_init_loop(app, event, &position);
    EXPECT_EQ(vek::vyn_notifications_get_next(app, event, &position, nullptr, nullptr, nullptr),
              0);
  }
  EXPECT_EQ(vek::vyn_notifications_get_next(app, 6, &position, nullptr, nullptr, nullptr), 0);
}

TEST_F(NotifyTest, FaultsAndInformation) {
  app = vek::vyn_notification_add_application("fa");
  vek::vyn_notification_add(app, 2, note, 0, nullptr);
  yrltest::SeriousReports reports;
  EXPECT_EQ(vek::vyn_notification_add(app, 1, nullptr, 0, nullptr), -1);
  EXPECT_EQ(vek::vyn_notification_add(7, 1, note, 0, nullptr), -1);
  // A negative event id would index the slot before the array.
  EXPECT_EQ(vek::vyn_notification_add(app, -1, note, 0, nullptr), -1);
  vek::vyn_notification_remove(app, -1, note);
  EXPECT_EQ(vek::vyn_notification_exists(app, -3, note), 0);
  vek::vyn_notification_remove(app, 1, nullptr);
  vek::vyn_notification_remove(9, 1, note);
  vek::vyn_notification_remove_id(app, 2, 4);
  vek::vyn_notification_remove(app, 8, note);
  vek::vyn_notification_remove(app, 2, note_and_add);
  vek::vyn_notifications_init_loop(app, 2, nullptr);
  EXPECT_EQ(vek::vyn_notifications_get_next(app, 2, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(reports.lines(),
            (std::vector<std::string>{
                "vyn_notification_add:  invalid NULL function",
                "vyn_notification_add:  invalid application key 7",
                "vyn_notification_add:  invalid event_id -1",
                "vyn_notification_remove:  invalid event_id -1",
                "vyn_notification_remove:  invalid event_id -3",
                "vyn_notification_remove:  invalid NULL function",
                "vyn_notification_remove:  invalid application key 9",
                "vyn_notification_remove_id:  notify id 4 not found (INFO MESSAGE)",
                "vyn_notification_remove:  event_id 8 was never defined? (INFO MESSAGE)",
                "vyn_notification_remove:  failed to find func to remove (INFO MESSAGE)",
                "vyn_notifications_init_loop:  missing Vyn_notify_pos",
                "vyn_notifications_get_next:  missing Vyn_notify_pos",
            }));
}

// Event ids up to what the slot array holds are taken; larger ones, up to INT_MAX, are
// refused with the family's status instead of ending the process.
TEST_F(NotifyTest, EventIdsBeyondTheSlotArrayAreRefused) {
  app = vek::vyn_notification_add_application("fa");
  const int last = vek::xar_max_count_get(static_cast<int>(sizeof(vek::VynNotifySlot))) - 1;
  EXPECT_EQ(vek::vyn_notification_add(app, last, note, 0, nullptr), 0);
  EXPECT_EQ(vek::vyn_notification_exists(app, last, note), 1);
  yrltest::SeriousReports reports;
  for (int event : {last + 1, 128000, 1 << 20, INT_MAX - 1, INT_MAX})
    EXPECT_EQ(vek::vyn_notification_add(app, event, note, 0, nullptr), -1) << event;
  EXPECT_EQ(vek::vyn_notification_exists(app, INT_MAX, note), 0);
  vek::vyn_notification_remove(app, INT_MAX, note);
  std::vector<std::string> expected;
  for (int event : {last + 1, 128000, 1 << 20, INT_MAX - 1, INT_MAX})
    expected.push_back("vyn_notification_add:  invalid event_id " + std::to_string(event));
  for (int i = 0; i < 2; ++i)
    expected.push_back("vyn_notification_remove:  event_id 2147483647 was never defined? (INFO MESSAGE)");
  EXPECT_EQ(reports.lines(), expected);
}

// An event holds as many entries as its array can; the next add is refused.
TEST_F(NotifyTest, AFullEventRefusesMoreEntries) {
  app = vek::vyn_notification_add_application("fa");
  const int most = vek::xar_max_count_get(static_cast<int>(sizeof(vek::VynNotifyEntry)));
  for (int i = 0; i < most; ++i) ASSERT_EQ(vek::vyn_notification_add(app, 3, note, i, nullptr), i);
  yrltest::SeriousReports reports;
  EXPECT_EQ(vek::vyn_notification_add(app, 3, note, 0, nullptr), -1);
  EXPECT_EQ(reports.lines(),
            std::vector<std::string>{"vyn_notification_add:  too many notifications for event_id 3"});
  vek::vyn_notification_remove_id(app, 3, 0);
  EXPECT_EQ(vek::vyn_notification_add(app, 3, note, 0, nullptr), most);
}

// A release function that registers further events moves the application's slot array;
// the removal still takes its own entry, from the slot where it now stands.
int grow_events_by = 0;
void release_and_grow(VynWord* data) {
  released_value = *data;
  for (int i = 1; i <= grow_events_by; ++i) vek::vyn_notification_add(app, 100 * i, note, 0, nullptr);
}
// One that removes an entry before its own moves it down.
void release_and_remove_first(VynWord* data) {
  released_value = *data;
  vek::vyn_notification_remove_id(app, 5, 0);
}
// One that adds to its own event may move the entries.
void release_and_add_here(VynWord* data) {
  released_value = *data;
  for (int i = 0; i < 50; ++i) vek::vyn_notification_add(app, 5, note, 500 + i, nullptr);
}

std::vector<VynWord> data_of_event(int event) {
  std::vector<VynWord> seen;
  Vyn_notify_pos position;
  vek::vyn_notifications_init_loop(app, event, &position);
  VynWord data = 0;
  while (vek::vyn_notifications_get_next(app, event, &position, nullptr, nullptr, &data))
    seen.push_back(data);
  return seen;
}

TEST_F(NotifyTest, ReleaseFunctionsMayChangeTheRegistry) {
  app = vek::vyn_notification_add_application("fa");
  vek::vyn_notification_add(app, 5, note, 10, nullptr);
  vek::vyn_notification_add(app, 5, note_and_add, 11, release_and_grow);
  vek::vyn_notification_add(app, 5, note, 12, nullptr);
  grow_events_by = 40;
  vek::vyn_notification_remove(app, 5, note_and_add);
  EXPECT_EQ(released_value, 11);
  EXPECT_EQ(data_of_event(5), (std::vector<VynWord>{10, 12}));
  EXPECT_EQ(vek::vyn_notification_exists(app, 4000, note), 1);

  vek::vyn_notification_add(app, 5, note_and_add, 13, release_and_remove_first);  // id 3
  vek::vyn_notification_remove_id(app, 5, 3);
  EXPECT_EQ(released_value, 13);
  EXPECT_EQ(data_of_event(5), (std::vector<VynWord>{12}));

  vek::vyn_notification_add(app, 5, note_and_add, 14, release_and_add_here);  // id 4
  vek::vyn_notification_remove(app, 5, note_and_add);
  EXPECT_EQ(released_value, 14);
  std::vector<VynWord> expected{12};
  for (int i = 0; i < 50; ++i) expected.push_back(500 + i);
  EXPECT_EQ(data_of_event(5), expected);

  // The same through notify_remove_func on an entries array of the caller's own.
  vek::VynNotifyEntry* entries =
      static_cast<vek::VynNotifyEntry*>(vek::xar_alloc(0, sizeof(vek::VynNotifyEntry), 1));
  for (int i = 0; i < 3; ++i) {
    vek::VynNotifyEntry entry{note, 20 + i, release, i};
    vek::xar_append(&entries, 1, &entry);
  }
  vek::notify_remove_func(&entries, 1);
  EXPECT_EQ(released_value, 21);
  ASSERT_EQ(vek::xar_count(&entries), 2);
  EXPECT_EQ(entries[1].data, 22);
  vek::notify_remove_func(&entries, 2);  // out of range: nothing
  EXPECT_EQ(vek::xar_count(&entries), 2);
  vek::xar_free(&entries);
}

// A release function that removes its own entry once more, by its id or by its
// function: the entry leaves once and its release function runs once (the removal
// under way no longer calls it again and again).
int releases = 0;
int own_id = -1;
void release_own_by_id(VynWord*) {
  ++releases;
  vek::vyn_notification_remove_id(app, 6, own_id);
}
void release_own_by_function(VynWord*) {
  ++releases;
  vek::vyn_notification_remove(app, 6, note_and_add);
}
vek::VynNotifyEntry* caller_entries = nullptr;
void release_own_from_array(VynWord*) {
  ++releases;
  vek::notify_remove_func(&caller_entries, 0);
}

TEST_F(NotifyTest, AReleaseFunctionMayRemoveItsOwnEntry) {
  app = vek::vyn_notification_add_application("fa");
  for (vek::VynNotifyRelease release : {release_own_by_id, release_own_by_function}) {
    releases = 0;
    const int first = vek::vyn_notification_add(app, 6, note, 1, nullptr);
    own_id = vek::vyn_notification_add(app, 6, note_and_add, 2, release);
    const int last = vek::vyn_notification_add(app, 6, note, 3, nullptr);
    vek::vyn_notification_remove_id(app, 6, own_id);
    EXPECT_EQ(releases, 1);
    EXPECT_EQ(data_of_event(6), (std::vector<VynWord>{1, 3}));
    vek::vyn_notification_remove_id(app, 6, first);
    vek::vyn_notification_remove_id(app, 6, last);
  }
  releases = 0;
  caller_entries = static_cast<vek::VynNotifyEntry*>(vek::xar_alloc(0, sizeof(vek::VynNotifyEntry), 1));
  for (int i = 0; i < 2; ++i) {
    vek::VynNotifyEntry entry{note, 30 + i, i == 0 ? release_own_from_array : nullptr, i};
    vek::xar_append(&caller_entries, 1, &entry);
  }
  vek::notify_remove_func(&caller_entries, 0);
  EXPECT_EQ(releases, 1);
  ASSERT_EQ(vek::xar_count(&caller_entries), 1);
  EXPECT_EQ(caller_entries[0].data, 31);
  vek::xar_free(&caller_entries);
}

// ---- bit arrays

TEST_F(NotifyTest, BitArraysMatchVectorBool) {
  std::uint32_t words[2] = {0, 0};
  EXPECT_EQ(vek::bit_array_set_bit(words, 2, 33), 0);
  EXPECT_EQ(words[1], 2u);
  EXPECT_EQ(vek::bit_array_set_bit(words, 2, 33), 1);
  {
    yrltest::SeriousReports reports;
    EXPECT_EQ(vek::bit_array_set_bit(words, 2, 64), 0);
    EXPECT_EQ(vek::bit_array_check_bit(words, 2, -1), 0);
    EXPECT_EQ(reports.lines(), (std::vector<std::string>{"bit_array_clear_bit:  Bad call",
                                                         "bit_array_clear_bit:  Bad call"}));
  }
  int word = -1;
  std::uint32_t mask = 0;
  EXPECT_EQ(vek::bit_array_get_index_mask(63, 2, &word, &mask), 1);
  EXPECT_EQ(word, 1);
  EXPECT_EQ(mask, 0x80000000u);
  EXPECT_EQ(vek::bit_array_get_index_mask(64, 2, &word, &mask), 0);

  std::mt19937 random(2);
  std::uint32_t bits[5] = {};
  std::vector<bool> model(160);
  for (int step = 0; step < 5000; ++step) {
    int b = static_cast<int>(random() % 160);
    bool was = model[b];
    switch (random() % 3) {
      case 0:
        ASSERT_EQ(vek::bit_array_set_bit(bits, 5, b), was ? 1 : 0);
        model[b] = true;
        break;
      case 1:
        ASSERT_EQ(vek::bit_array_clear_bit(bits, 5, b), was ? 1 : 0);
        model[b] = false;
        break;
      default:
        ASSERT_EQ(vek::bit_array_check_bit(bits, 5, b), was ? 1 : 0);
    }
  }
  for (int b = 0; b < 160; ++b) EXPECT_EQ((bits[b / 32] >> (b % 32)) & 1u, model[b] ? 1u : 0u);
}

}  // namespace
