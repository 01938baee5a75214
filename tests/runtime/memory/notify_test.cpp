#include "runtime/memory/notify.h"

#include <gtest/gtest.h>

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
