// The host function table: its order, its keys, its stubs and the extra recorders.
#include "host/plugin/host_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "host/plugin/call_log.h"
#include "host/plugin/host_startup.h"
#include "tests/host/host_test.h"

namespace {

using yrlhost::CallRecord;
using yrlhost::RowForm;
using yrlhost::call_log;
using yrlhost::call_log_of;
using yrlhost::call_log_set_result;
using yrlhost::extra_recorder;
using yrlhost::host_table_build;
using yrlhost::host_table_find;

class HostTable : public yrltest::HostTest {};
using HostTableDeathTest = HostTable;

// The keys of the start-up table, read from the table itself.
std::vector<std::string> startup_keys() {
  return {
#define YRL_API(kind, result, name, key, params, args) key,
#define YRL_API_NO_CONTEXT(kind, result, name, key, params, args) key,
#define YRL_API_DIR(kind, result, name, key, params, args, dir) key,
#include "toolkit/api/startup.def"
  };
}

// What the plug-in's binary search needs: ascending by strcmp, each name once.
void expect_strictly_sorted(const std::vector<win_export_entry>& table) {
  for (std::size_t i = 1; i < table.size(); ++i)
    EXPECT_LT(std::strcmp(table[i - 1].name, table[i].name), 0)
        << table[i - 1].name << " before " << table[i].name;
  for (const win_export_entry& row : table) EXPECT_NE(row.function, nullptr) << row.name;
}

std::set<std::string> names_of(const std::vector<win_export_entry>& table) {
  std::set<std::string> names;
  for (const win_export_entry& row : table) names.insert(row.name);
  return names;
}

template <typename F>
F function_of(const std::vector<win_export_entry>& table, const char* key) {
  VynHostFunction function = host_table_find(table, key);
  EXPECT_NE(function, nullptr) << key;
  return reinterpret_cast<F>(function);
}

TEST_F(HostTable, OffersEveryKeyOfTheStartupTableOnceInStrcmpOrder) {
  std::vector<win_export_entry> table = host_table_build();
  expect_strictly_sorted(table);
  std::set<std::string> names = names_of(table);
  for (const std::string& key : startup_keys()) EXPECT_EQ(names.count(key), 1u) << key;
  EXPECT_EQ(names.size(), table.size());
}

TEST_F(HostTable, LeftOutKeysAreAbsentAndTheRestStaysInOrder) {
  yrlhost::HostTableOptions options;
  options.left_out = {"vyndev_pass_version_info_v", "MavrelAbort_v", "not_a_key_v"};
  std::vector<win_export_entry> table = host_table_build(options);
  expect_strictly_sorted(table);
  EXPECT_EQ(host_table_find(table, "vyndev_pass_version_info_v"), nullptr);
  EXPECT_EQ(host_table_find(table, "MavrelAbort_v"), nullptr);
  EXPECT_NE(host_table_find(table, "MavrelRunmode_v"), nullptr);
  EXPECT_EQ(table.size(), host_table_build().size() - 2);
}

TEST_F(HostTable, ExtraRecordersJoinTheOrderAndReplaceARowOfTheirKey) {
  yrlhost::HostTableOptions options;
  // Names chosen to sort before, between and after the rows (upper case sorts first).
  options.extra = {extra_recorder<int(int)>("AAA_first_v"),
                   extra_recorder<int(int, VynWord)>("mid_key_v"),
                   extra_recorder<int(int, double)>("zzz_last_v"),
                   extra_recorder<int(int, const char*)>("MavrelRunmode_v")};
  std::vector<win_export_entry> table = host_table_build(options);
  expect_strictly_sorted(table);
  EXPECT_EQ(table.front().name, std::string("AAA_first_v"));
  EXPECT_EQ(table.back().name, std::string("zzz_last_v"));
  EXPECT_EQ(table.size(), host_table_build().size() + 3);
  EXPECT_EQ(host_table_find(table, "MavrelRunmode_v"), options.extra[3].function);

  // The replacing recorder is called with its own signature.
  auto runmode = function_of<int (*)(int, const char*)>(table, "MavrelRunmode_v");
  EXPECT_EQ(runmode(4, "x"), 0);
  ASSERT_EQ(call_log_of("MavrelRunmode_v").size(), 1u);
  EXPECT_EQ(call_log_of("MavrelRunmode_v")[0].context, 4);
}

TEST_F(HostTable, RowStubsWithoutBehaviourLogTheirCallAndAnswerNotAvailable) {
  std::vector<win_export_entry> table = host_table_build();
  auto runmode = function_of<VynError (*)(int, VynWord)>(table, "MavrelRunmode_v");
  auto abort_ = function_of<VynError (*)(int)>(table, "MavrelAbort_v");

  EXPECT_EQ(runmode(7, -42), VYN_TK_NOT_IMPLEMENTED);
  EXPECT_EQ(abort_(8), VYN_TK_NOT_IMPLEMENTED);
  ASSERT_EQ(call_log().size(), 2u);
  const CallRecord& first = call_log()[0];
  EXPECT_EQ(first.key, "MavrelRunmode_v");
  EXPECT_EQ(first.context, 7);
  EXPECT_EQ(first.words, std::vector<VynWord>{-42});
  EXPECT_EQ(first.dir, std::nullopt);
  EXPECT_EQ(first.result, VYN_TK_NOT_IMPLEMENTED);
  EXPECT_TRUE(first.not_available);
  const CallRecord& second = call_log()[1];
  EXPECT_EQ(second.key, "MavrelAbort_v");
  EXPECT_EQ(second.context, 8);
  EXPECT_TRUE(second.words.empty());
  EXPECT_EQ(yrlhost::call_log_not_available(),
            (std::vector<std::string>{"MavrelRunmode_v", "MavrelAbort_v"}));

  yrlhost::call_log_clear();
  EXPECT_TRUE(call_log().empty());
  EXPECT_TRUE(yrlhost::call_log_not_available().empty());
}

// Only a status can say "not available"; the other kinds answer their empty value, and
// every one of them is marked in the log. A row with behaviour is not marked.
TEST_F(HostTable, EveryKindOfRowWithoutBehaviourIsMarkedNotAvailable) {
  std::vector<win_export_entry> table = host_table_build();
  function_of<void (*)(int, VynWord)>(table, "vyngr_move_3d_v")(1, 0);
  EXPECT_EQ(function_of<void* (*)(int)>(table, "vyn_get_current_object_v")(1), nullptr);
  EXPECT_EQ(function_of<int (*)(int)>(table, "VynIsVKModeler_v")(1), 0);
  EXPECT_EQ(function_of<double (*)(int, VynWord)>(table, "vyn_face_area_v")(1, 0), 0.0);
  EXPECT_EQ(function_of<VynError (*)(int, int)>(table, "vyndev_pass_version_info_v")(1, 252003100), 1);
  ASSERT_EQ(call_log().size(), 5u);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_TRUE(call_log()[i].not_available) << call_log()[i];
  EXPECT_FALSE(call_log()[4].not_available);
  EXPECT_EQ(call_log()[0].result, std::nullopt);
  std::ostringstream text;
  text << call_log()[1];
  EXPECT_EQ(text.str(), "vyn_get_current_object_v(context 1) -> 0 [not available]");

  // An answer the test sets is the host's answer: not marked.
  call_log_set_result("MavrelAbort_v", 0);
  EXPECT_EQ(function_of<VynError (*)(int)>(table, "MavrelAbort_v")(1), 0);
  EXPECT_FALSE(call_log().back().not_available);
}

TEST_F(HostTable, ASetResultIsTheAnswerUntilCleared) {
  std::vector<win_export_entry> table = host_table_build();
  auto abort_ = function_of<VynError (*)(int)>(table, "MavrelAbort_v");
  call_log_set_result("MavrelAbort_v", -3);
  EXPECT_EQ(abort_(1), -3);
  EXPECT_EQ(call_log().back().result, -3);
  yrlhost::call_log_clear_result("MavrelAbort_v");
  EXPECT_EQ(abort_(1), VYN_TK_NOT_IMPLEMENTED);
  EXPECT_EQ(call_log().back().result, VYN_TK_NOT_IMPLEMENTED);
}

// A callback may clear the log while the call that ran it is under way: that call's
// result must not land on a record logged after the clear.
TEST_F(HostTable, ACallEndingAfterTheLogWasClearedFillsInNoLaterRecord) {
  std::size_t outer = yrlhost::call_log_begin("Outer", 1, {}, std::nullopt);
  yrlhost::call_log_clear();
  std::size_t inner = yrlhost::call_log_begin("Inner", 1, {}, std::nullopt);
  yrlhost::call_log_end(outer, 7);
  ASSERT_EQ(yrlhost::call_log().size(), 1u);
  EXPECT_FALSE(yrlhost::call_log()[0].result.has_value());
  yrlhost::call_log_end(inner, 3);
  EXPECT_EQ(yrlhost::call_log()[0].result, VynWord{3});
}

TEST_F(HostTable, VersionInfoKeepsTheLevelAndAcceptsUnlessTheTestAnswersOtherwise) {
  std::vector<win_export_entry> table = host_table_build();
  auto pass = function_of<VynError (*)(int, int)>(table, "vyndev_pass_version_info_v");
  EXPECT_EQ(yrlhost::host_plugin_level(), -1);
  EXPECT_EQ(pass(3, 252003100), 1);
  EXPECT_EQ(yrlhost::host_plugin_level(), 252003100);
  EXPECT_EQ(call_log().back().result, 1);

  // A set answer replaces the behaviour: the host refuses and keeps nothing.
  yrlhost::host_testing_reset();
  call_log_set_result("vyndev_pass_version_info_v", 0);
  EXPECT_EQ(pass(3, 252003100), 0);
  EXPECT_EQ(yrlhost::host_plugin_level(), -1);
  ASSERT_EQ(call_log().size(), 1u);
  EXPECT_EQ(call_log()[0].words, std::vector<VynWord>{252003100});
  EXPECT_EQ(call_log()[0].result, 0);
}

TEST_F(HostTable, ExtraRecordersLogEveryFormAndAnswerByTheirResultType) {
  yrlhost::HostTableOptions options;
  options.extra = {
      extra_recorder<void(int, int, double)>("vyn_none_v"),
      extra_recorder<void*(VynWord, VynWord), RowForm::no_context>("vyn_pointer_v"),
      extra_recorder<double(int, VynWord)>("vyn_real_v"),
      extra_recorder<int(int, const VynWchar*, const char*), RowForm::dir>("vyn_dir_v"),
      extra_recorder<int(int, const char*), RowForm::dir>("vyn_dir_only_v")};
  std::vector<win_export_entry> table = host_table_build(options);

  function_of<void (*)(int, int, double)>(table, "vyn_none_v")(5, 9, 0.5);
  EXPECT_EQ(function_of<void* (*)(VynWord, VynWord)>(table, "vyn_pointer_v")(11, 12), nullptr);
  EXPECT_EQ(function_of<double (*)(int, VynWord)>(table, "vyn_real_v")(5, 13), 0.0);
  const VynWchar name[] = u"n";
  EXPECT_EQ(function_of<int (*)(int, const VynWchar*, const char*)>(table, "vyn_dir_v")(
                5, name, "D\\text\\usascii"),
            0);
  EXPECT_EQ(function_of<int (*)(int, const char*)>(table, "vyn_dir_only_v")(5, nullptr), 0);

  const std::vector<CallRecord>& log = call_log();
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[0].context, 5);
  EXPECT_EQ(log[0].words, (std::vector<VynWord>{9, yrlhost::to_word(0.5)}));
  EXPECT_EQ(log[0].result, std::nullopt);
  EXPECT_EQ(log[1].context, std::nullopt);
  EXPECT_EQ(log[1].words, (std::vector<VynWord>{11, 12}));
  EXPECT_EQ(log[1].result, 0);
  EXPECT_EQ(log[2].result, yrlhost::to_word(0.0));
  EXPECT_EQ(log[3].words, std::vector<VynWord>{reinterpret_cast<VynWord>(name)});
  EXPECT_EQ(log[3].dir, "D\\text\\usascii");
  EXPECT_TRUE(log[4].words.empty());
  EXPECT_EQ(log[4].dir, std::nullopt);

  // Set answers come back in the result's own type.
  int cell = 0;
  call_log_set_result("vyn_pointer_v", static_cast<void*>(&cell));
  call_log_set_result("vyn_real_v", 2.25);
  EXPECT_EQ(function_of<void* (*)(VynWord, VynWord)>(table, "vyn_pointer_v")(0, 0), &cell);
  EXPECT_EQ(function_of<double (*)(int, VynWord)>(table, "vyn_real_v")(5, 0), 2.25);
  EXPECT_EQ(call_log().back().result, yrlhost::to_word(2.25));
}

// A record passed by value, of a size that is not a whole number of words.
struct ThreeInts {
  int a, b, c;
};

TEST_F(HostTable, ReferencesAreLoggedByAddressAndRecordsByTheirBytes) {
  yrlhost::HostTableOptions options;
  options.extra = {extra_recorder<int(int, int&, ThreeInts)>("vyn_record_v")};
  std::vector<win_export_entry> table = host_table_build(options);
  int cell = 5;
  function_of<int (*)(int, int&, ThreeInts)>(table, "vyn_record_v")(2, cell, {1, 2, 3});

  ThreeInts record{1, 2, 3};
  VynWord bytes[2] = {};  // the last word filled up with zeros
  std::memcpy(bytes, &record, sizeof record);
  ASSERT_EQ(call_log().size(), 1u);
  EXPECT_EQ(call_log()[0].words,
            (std::vector<VynWord>{reinterpret_cast<VynWord>(&cell), bytes[0], bytes[1]}));
}

TEST_F(HostTable, AnExtraKeyKeepsItsSlotAcrossSignatures) {
  win_export_entry a = extra_recorder<int(int)>("vyn_same_v");
  win_export_entry b = extra_recorder<int(int, VynWord)>("vyn_same_v");
  EXPECT_EQ(a.name, b.name);
  EXPECT_NE(a.function, b.function);
  reinterpret_cast<int (*)(int, VynWord)>(b.function)(2, 3);
  EXPECT_EQ(call_log().back().key, "vyn_same_v");
  EXPECT_EQ(call_log().back().words, std::vector<VynWord>{3});
}

TEST_F(HostTableDeathTest, RunningOutOfExtraSlotsEndsTheTestProgramWithAReason) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        for (int i = 0; i <= yrlhost::extra_recorder_count; ++i)
          extra_recorder<int(int)>("vyn_extra_" + std::to_string(i) + "_v");
      },
      "all slots taken");
}

}  // namespace
