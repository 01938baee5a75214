// The hand-written forwarding functions (client functions, vyn_term_clnt, MavrelEnd)
// and the local entries that reach no host function.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tests/support/console_capture.h"
#include "tests/support/serious_reports.h"
#include "tests/toolkit/toolkit_test.h"
#include "toolkit/binding/clnt_entries.h"

namespace {

using yrlhost::CallRecord;
using yrlhost::call_log;
using W = VynWord;
// A result as a word; none for a function without one.
using Word = std::optional<VynWord>;

const char kMenuCreate[] = "vynmenu_create_plus";
const char kMenuExpand[] = "vynmenu_expand_plus";
const char kMsgPrint[] = "vynmsg_print_plus";
const char kMsgSprint[] = "vynmsg_sprint_plus";
const char kTesselation[] = "vyndb_edge_tesselation_plus";
const char kGetItem[] = "vyndtl_get_item_plus";
const char kTraverse[] = "vyndb_traverse_assembly_plus";
const char kInterference[] = "vyn_interference_volume_release_plus";
const char kTerm[] = "vyn_term_plus";
const char kLeadersFree[] = "VynGtolleadersFree_v";

W address(const char* text) { return reinterpret_cast<W>(text); }

struct ClntCase {
  const char* key;
  std::function<Word()> call;
  Word missing;
  std::optional<int> context;  // the caller's, not my_id_num
  std::vector<W> words;
};

std::vector<ClntCase> clnt_cases() {
  const Word none;
  return {
      {kMenuCreate, [] { return Word(vynmenu_create_clnt(4, 10, 11)); }, -1, 4,
       {10, address(menu_path), 11}},
      {kMenuExpand, [] { return Word(vynmenu_expand_clnt(5, 12, 13)); }, -1, 5,
       {12, address(menu_path), 13}},
      {kMsgPrint, [] { return vynmsg_print_clnt(6, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12), Word(); },
       none, 6, {address(msg_path), 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
      {kMsgSprint,
       [] { return Word(vynmsg_sprint_clnt(7, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13)); }, -1,
       7, {address(msg_path), 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}},
      {kTesselation, [] { return Word(yrlhost::to_word(vyndb_edge_tesselation_clnt(8, 21, 22))); },
       0, 8, {21, 22}},
      {kGetItem, [] { return Word(vyndtl_get_item_clnt(9, 1, 2, 3, 4, 5, 6)); }, -1, 9,
       {1, 2, 3, 4, 5, 6}},
      {kTraverse, [] { return Word(vyndb_traverse_assembly_clnt(10, 6, 5, 4, 3, 2, 1)); }, -1, 10,
       {6, 5, 4, 3, 2, 1}},
      {kInterference, [] { return Word(vyn_interference_volume_release_clnt(11, 31, 32)); }, -1,
       11, {31, 32}},
      {kTerm, [] { return Word(vyn_term_clnt(12)); }, -1, std::nullopt, {12}},
      // MavrelEnd passes the context id as vyn_term_clnt's one word.
      {kTerm, [] { return Word(MavrelEnd()); }, -1, std::nullopt, {99}},
  };
}

class ClntEntriesTest : public yrltest::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    // The caller's own context differs from my_id_num: the _clnt functions push none of theirs.
    my_id_num = 99;
    std::strcpy(msg_path, "MSGS");
    std::strcpy(menu_path, "MENUS");
  }
};

// The host offers every key an entry looks up, each with a function of its own.
TEST_F(ClntEntriesTest, HostTableOffersEveryHandWrittenKey) {
  const char* const keys[] = {kMenuCreate, kMenuExpand, kMsgPrint,     kMsgSprint, kTesselation,
                              kGetItem,    kTraverse,   kInterference, kTerm,      kLeadersFree};
  std::vector<win_export_entry> table = yrlhost::host_table_build();
  std::set<VynHostFunction> functions;
  for (const char* key : keys) {
    VynHostFunction function = yrlhost::host_table_find(table, key);
    EXPECT_NE(function, nullptr) << key;
    EXPECT_TRUE(functions.insert(function).second) << key;
  }
}

TEST_F(ClntEntriesTest, MissingHostFunctionIsReportedUnderItsPlusKey) {
  yrltest::SeriousReports reports;
  // A host that offers everything else.
  for (const ClntCase& c : clnt_cases()) table_options.left_out.push_back(c.key);
  bind_table();
  for (const ClntCase& c : clnt_cases()) {
    SCOPED_TRACE(c.key);
    reports.clear();
    EXPECT_EQ(c.call(), c.missing);
    EXPECT_EQ(reports.lines(), std::vector<std::string>({yrltest::missing_function_report(c.key)}));
  }
  EXPECT_TRUE(call_log().empty());
}

TEST_F(ClntEntriesTest, HostGetsTheCallersWordsAndTheDirectory) {
  bind_table();
  for (const ClntCase& c : clnt_cases()) {
    SCOPED_TRACE(c.key);
    yrlhost::call_log_clear();
    yrlhost::call_log_set_result_word(c.key, 3);
    Word answer = c.missing ? Word(3) : Word();
    EXPECT_EQ(c.call(), answer);
    EXPECT_EQ(call_log(), std::vector<CallRecord>({{c.key, c.context, c.words, std::nullopt, answer}}));
  }
}

TEST_F(ClntEntriesTest, LocalEntriesPrintThatTheyAreNotSupported) {
  bind_table();
  yrltest::ConsoleCapture console;
  VynToolkitMain();
  EXPECT_EQ(MavrelStart(), VYN_TK_BAD_CONTEXT);
  VynEventProcess();
  EXPECT_EQ(console.out(),
            "function VynToolkitMain is not supported\n"
            "function MavrelStart is not supported\n"
            "function VynEventProcess is not supported\n");
  EXPECT_TRUE(call_log().empty());
}

}  // namespace
