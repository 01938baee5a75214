// The older-style members written by hand: what reaches the host for each, what each
// returns, and what each gives when the host lacks the function it stands over.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/console_capture.h"
#include "tests/support/serious_reports.h"
#include "tests/toolkit/toolkit_test.h"
#include "toolkit/older/older_local.h"

namespace {

using yrlhost::CallRecord;
using yrlhost::call_log;
using W = VynWord;
// A result as a word; none for a function without one.
using Word = std::optional<VynWord>;

constexpr int kContext = 42;

W address(const void* value) { return reinterpret_cast<W>(value); }

// Values a caller of the message functions passes by address.
const char kFile[] = "older_msg.txt";
const char kKey[] = "OLDER_KEY %0s";
const char kText[] = "text";
const int kValues[10] = {};
wchar_t buffer_space[8];

struct LocalCase {
  const char* name;
  std::function<Word()> call;
  // What the host sees: one call of key with the context first (or none) and the words.
  const char* key;
  std::optional<int> context;
  std::vector<W> words;
  // The result when the host function is missing (none for no result), and the name
  // the missing function is reported under.
  Word missing;
  const char* report_name;
};

std::vector<LocalCase> local_cases() {
  const Word none;
  const W msg = address(msg_path);
  const W v[10] = {address(&kValues[0]), address(&kValues[1]), address(&kValues[2]),
                   address(&kValues[3]), address(&kValues[4]), address(&kValues[5]),
                   address(&kValues[6]), address(&kValues[7]), address(&kValues[8]),
                   address(&kValues[9])};
  return {
      // Over the client functions: my_id_num is their first word.
      {"vynmenu_create", [] { return Word(vynmenu_create(10, 11)); }, "vynmenu_create_plus",
       kContext, {10, address(menu_path), 11}, -1, "vynmenu_create_plus"},
      {"vynmenu_expand", [] { return Word(vynmenu_expand(12, 13)); }, "vynmenu_expand_plus",
       kContext, {12, address(menu_path), 13}, -1, "vynmenu_expand_plus"},
      {"vynmsg_print with a key only", [] { return vynmsg_print(kFile, kKey), Word(); },
       "vynmsg_print_plus", kContext,
       {msg, address(kFile), address(kKey), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, none,
       "vynmsg_print_plus"},
      {"vynmsg_print with one value",
       [] { return vynmsg_print(kFile, kKey, kText), Word(); }, "vynmsg_print_plus",
       kContext, {msg, address(kFile), address(kKey), address(kText), 0, 0, 0, 0, 0, 0, 0, 0, 0},
       none,
       "vynmsg_print_plus"},
      {"vynmsg_print with ten values",
       [] {
         const int* k = kValues;
         return vynmsg_print(kFile, kKey, k, k + 1, k + 2, k + 3, k + 4, k + 5, k + 6, k + 7,
                             k + 8, k + 9),
                Word();
       },
       "vynmsg_print_plus", kContext,
       {msg, address(kFile), address(kKey), v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7],
        v[8], v[9]},
       none, "vynmsg_print_plus"},
      {"vynmsg_sprint with two values",
       [] { return Word(vynmsg_sprint(buffer_space, kFile, kKey, kValues, kValues + 1)); },
       "vynmsg_sprint_plus", kContext,
       {msg, address(buffer_space), address(kFile), address(kKey), v[0], v[1], 0, 0, 0, 0, 0,
        0, 0, 0},
       -1, "vynmsg_sprint_plus"},
      {"vynmsg_sprint with ten values",
       [] {
         const int* k = kValues;
         return Word(vynmsg_sprint(buffer_space, kFile, kKey, k, k + 1, k + 2, k + 3, k + 4,
                                   k + 5, k + 6, k + 7, k + 8, k + 9));
       },
       "vynmsg_sprint_plus", kContext,
       {msg, address(buffer_space), address(kFile), address(kKey), v[0], v[1], v[2], v[3],
        v[4], v[5], v[6], v[7], v[8], v[9]},
       -1, "vynmsg_sprint_plus"},
      {"vyndb_edge_tesselation",
       [] { return Word(yrlhost::to_word(vyndb_edge_tesselation(21, 22))); },
       "vyndb_edge_tesselation_plus", kContext, {21, 22}, 0, "vyndb_edge_tesselation_plus"},
      {"vyndb_traverse_assembly", [] { return Word(vyndb_traverse_assembly(6, 5, 4, 3, 2, 1)); },
       "vyndb_traverse_assembly_plus", kContext, {6, 5, 4, 3, 2, 1}, -1,
       "vyndb_traverse_assembly_plus"},
      {"vyndtl_get_item", [] { return Word(vyndtl_get_item(1, 2, 3, 4, 5, 6)); },
       "vyndtl_get_item_plus", kContext, {1, 2, 3, 4, 5, 6}, -1, "vyndtl_get_item_plus"},
      {"vyn_interference_volume_release",
       [] { return Word(vyn_interference_volume_release(31, 32)); },
       "vyn_interference_volume_release_plus", kContext, {31, 32}, -1,
       "vyn_interference_volume_release_plus"},
      // vyn_term_clnt pushes no context: my_id_num is its one word.
      {"vyn_term", [] { return Word(vyn_term()); }, "vyn_term_plus", std::nullopt, {kContext},
       -1, "vyn_term_plus"},

      // Over other members: the host sees the member called, with the context first.
      {"vyngr_invalidate_display_list", [] { return Word(vyngr_invalidate_display_list(7)); },
       "vyngr_init_object_transfer_v", kContext, {7}, -1, "vyngr_init_object_transfer_v"},
      {"vyndb_regenerate_layout", [] { return Word(vyndb_regenerate_layout(8)); },
       "vyn_regenerate_object_v", kContext, {8}, -1, "vyn_regenerate_object_v"},
      {"vyndgm_set_wire_name", [] { return Word(vyndgm_set_wire_name(1, 2, 3)); },
       "vyndb_set_element_name_v", kContext, {1, 38, 2, 3}, -1, "vyndb_set_element_name_v"},
      {"vyndgm_get_wire_name", [] { return Word(vyndgm_get_wire_name(4, 5, 6)); },
       "vyndb_get_element_name_v", kContext, {4, 38, 5, 6}, -1, "vyndb_get_element_name_v"},
      {"vyndrw_retrieve_tableR19", [] { return Word(vyndrw_retrieve_tableR19(1, 2, 3, 4)); },
       "vyndrw_retrieve_table_v", kContext, {1, 2, 3, 4, 1, 0, 0}, -1,
       "vyndrw_retrieve_table_v"},
      {"vyndrw_retrieve_tableR20", [] { return Word(vyndrw_retrieve_tableR20(1, 2, 3, 4, 5)); },
       "vyndrw_retrieve_table_v", kContext, {1, 2, 3, 4, 5, 0, 0}, -1,
       "vyndrw_retrieve_table_v"},
      {"vyndrw_create_tableR19", [] { return Word(vyndrw_create_tableR19(11, 12)); },
       "vyndrw_create_table_v", kContext, {11, 12, 1}, -1, "vyndrw_create_table_v"},
      {"vyndrw_delete_tableR19", [] { return Word(vyndrw_delete_tableR19(13, 14)); },
       "vyndrw_delete_table_v", kContext, {13, 14, 1}, -1, "vyndrw_delete_table_v"},
      {"vyndrw_rotate_tableR19", [] { return Word(vyndrw_rotate_tableR19(15, 16)); },
       "vyndrw_rotate_table_v", kContext, {15, 16, 1}, -1, "vyndrw_rotate_table_v"},
      {"vyndrw_display_tableR19", [] { return Word(vyndrw_display_tableR19(17)); },
       "vyndrw_display_table_v", kContext, {0, 17, 1}, -1, "vyndrw_display_table_v"},
      {"vyndrw_add_table_rowR19", [] { return Word(vyndrw_add_table_rowR19(5, 4, 3, 2, 9)); },
       "vyndrw_add_table_row_v", kContext, {5, 4, 3, 2, 9, 1}, -1, "vyndrw_add_table_row_v"},
      {"vyndrw_add_table_colR19", [] { return Word(vyndrw_add_table_colR19(9, 8, 7, 6, 5)); },
       "vyndrw_add_table_col_v", kContext, {9, 8, 7, 6, 5, 1}, -1, "vyndrw_add_table_col_v"},
      {"vyndrw_delete_table_rowR19", [] { return Word(vyndrw_delete_table_rowR19(3, 2, 7)); },
       "vyndrw_delete_table_row_v", kContext, {3, 2, 7, 1}, -1, "vyndrw_delete_table_row_v"},
      {"vyndrw_delete_table_colR19", [] { return Word(vyndrw_delete_table_colR19(7, 2, 3)); },
       "vyndrw_delete_table_col_v", kContext, {7, 2, 3, 1}, -1, "vyndrw_delete_table_col_v"},
      {"vyndrw_merge_table_cellsR19",
       [] { return Word(vyndrw_merge_table_cellsR19(1, 2, 3, 4, 5, 6)); },
       "vyndrw_merge_table_cells_v", kContext, {1, 2, 3, 4, 5, 6, 1}, -1,
       "vyndrw_merge_table_cells_v"},
      {"vyndrw_remesh_table_cellsR19",
       [] { return Word(vyndrw_remesh_table_cellsR19(6, 5, 4, 3, 2, 8)); },
       "vyndrw_remesh_table_cells_v", kContext, {6, 5, 4, 3, 2, 8, 1}, -1,
       "vyndrw_remesh_table_cells_v"},
  };
}

class OlderLocalTest : public yrltest::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    my_id_num = kContext;
    std::strcpy(msg_path, "MSGS");
    std::strcpy(menu_path, "MENUS");
  }
};

TEST_F(OlderLocalTest, HostGetsTheWordsOfTheFunctionStoodOver) {
  bind_table();
  for (const LocalCase& c : local_cases()) {
    SCOPED_TRACE(c.name);
    yrlhost::call_log_clear();
    yrlhost::call_log_set_result_word(c.key, 3);
    // The host's answer comes back unchanged.
    Word answer = c.missing ? Word(3) : Word();
    EXPECT_EQ(c.call(), answer);
    EXPECT_EQ(call_log(),
              std::vector<CallRecord>({{c.key, c.context, c.words, std::nullopt, answer}}));
    yrlhost::call_log_clear_result(c.key);
  }
}

TEST_F(OlderLocalTest, MissingHostFunctionGivesTheMissingResultOfTheFunctionStoodOver) {
  yrltest::SeriousReports reports;
  for (const LocalCase& c : local_cases()) {
    SCOPED_TRACE(c.name);
    reports.clear();
    EXPECT_EQ(c.call(), c.missing);
    EXPECT_EQ(reports.lines(),
              std::vector<std::string>({yrltest::missing_function_report(c.report_name)}));
  }
  // A later table binds them all.
  bind_table();
  for (const LocalCase& c : local_cases()) {
    SCOPED_TRACE(c.name);
    yrlhost::call_log_clear();
    c.call();
    EXPECT_EQ(call_log().size(), 1u);
  }
}

TEST_F(OlderLocalTest, ContextIsReadAtEachCall) {
  bind_table();
  vynmenu_create(1, 2);
  vyndrw_display_tableR19(5);
  vyn_term();
  my_id_num = 43;
  vynmenu_create(1, 2);
  vyndrw_display_tableR19(5);
  vyn_term();
  const W menus = address(menu_path);
  // The host has no behaviour for these rows: each answers "not available".
  constexpr VynWord kNotAvailable = VYN_TK_NOT_IMPLEMENTED;
  EXPECT_EQ(call_log(), std::vector<CallRecord>({
                            {"vynmenu_create_plus", 42, {1, menus, 2}, std::nullopt, kNotAvailable, true},
                            {"vyndrw_display_table_v", 42, {0, 5, 1}, std::nullopt, kNotAvailable, true},
                            {"vyn_term_plus", std::nullopt, {42}, std::nullopt, kNotAvailable, true},
                            {"vynmenu_create_plus", 43, {1, menus, 2}, std::nullopt, kNotAvailable, true},
                            {"vyndrw_display_table_v", 43, {0, 5, 1}, std::nullopt, kNotAvailable, true},
                            {"vyn_term_plus", std::nullopt, {43}, std::nullopt, kNotAvailable, true},
                        }));
}

TEST_F(OlderLocalTest, ProcessLevelEntriesPrintThatTheyAreNotOffered) {
  bind_table();
  struct Case {
    std::function<Word()> call;
    Word result;
    const char* printed;
  };
  const Case cases[] = {
      {[] { return Word(vyndev_main()); }, -1,
       "function vyndev_main is not supported in VynDevelop Plus\n"},
      {[] { return Word(vyndev_start_mavrel()); }, -1,
       "function vyndev_start_mavrel is not supported in VynDevelop Plus\n"},
      {[] { return vyndev_set_interrupt_func(), Word(); }, Word(),
       "function vyndev_set_interrupt_func is not supported in VynDevelop Plus\n"},
      {[] { return vyndev_handle_interrupt(), Word(); }, Word(),
       "function vyndev_handle_interrupt is not supported in VynDevelop Plus\n"},
      {[] { return Word(get_prod_port_info()); }, -1,
       "function get_prod_port_info is not meaningful in VynDevelop Plus\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.printed);
    yrltest::ConsoleCapture console;
    EXPECT_EQ(c.call(), c.result);
    EXPECT_EQ(console.out(), c.printed);
  }
  EXPECT_TRUE(call_log().empty());
}

}  // namespace
