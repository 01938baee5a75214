// No silent success: every row of the application's table has behaviour in the host or
// is listed, with its reason, among the rows not reached yet; a listed row answers "not
// available" and is marked so in the call log.
#include "host/api/rows_not_reached.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "host/plugin/call_log.h"
#include "host/plugin/host_table.h"
#include "tests/host/host_test.h"

namespace {

using yrlhost::HostApi;

// The rows of the application's table, read from the table itself.
std::vector<HostApi> app_rows() {
  return {
#define YRL_HOST_API_LIST "toolkit/api/app.def"
#define YRL_HOST_ROW(form, kind, result, name, key, params, args) HostApi::name,
#include "host/api/host_api_rows.h"
#undef YRL_HOST_ROW
  };
}

bool has_behaviour(HostApi row) { return yrlhost::host_api_has_behaviour[static_cast<int>(row)]; }

const char* key_of(HostApi row) { return yrlhost::host_api_key(row); }

class RowsNotReached : public yrltest::HostTest {};

TEST_F(RowsNotReached, EveryApplicationRowHasBehaviourOrIsListedWithAReason) {
  std::set<HostApi> listed;
  for (const yrlhost::RowNotReached& row : yrlhost::app_rows_not_reached) {
    EXPECT_TRUE(listed.insert(row.row).second) << key_of(row.row) << " is listed twice";
    EXPECT_NE(std::string(row.reason), "") << key_of(row.row);
  }
  std::vector<HostApi> rows = app_rows();
  ASSERT_EQ(rows.size(), 271u);
  for (HostApi row : rows) {
    if (listed.count(row))
      EXPECT_FALSE(has_behaviour(row)) << key_of(row) << " has behaviour now: delete it from "
                                       << "app_rows_not_reached";
    else
      EXPECT_TRUE(has_behaviour(row)) << key_of(row) << " has no behaviour and is not listed "
                                      << "among the rows not reached";
  }
  for (HostApi row : listed)
    EXPECT_NE(std::find(rows.begin(), rows.end(), row), rows.end())
        << key_of(row) << " is not a row of the application's table";
}

// A row without behaviour (as every listed row is, which the test above checks), called
// through the table as the plug-in calls it, answers "not available" and is marked in the
// log. The rows called are catalogue rows that nothing calls, so they stay without
// behaviour while the listed rows gain theirs.
TEST_F(RowsNotReached, ARowWithoutBehaviourAnswersNotAvailableAndIsMarkedInTheLog) {
  std::vector<win_export_entry> table = yrlhost::host_table_build();
  ASSERT_FALSE(has_behaviour(HostApi::VynElemtreeElementRemove));
  ASSERT_FALSE(has_behaviour(HostApi::VynValueArrayToWstringArray));
  // Both take three argument words.
  using ThreeWords = VynError (*)(int, VynWord, VynWord, VynWord);
  auto remove = reinterpret_cast<ThreeWords>(yrlhost::host_table_find(table, "VynElemtreeElementRemove_v"));
  auto to_strings =
      reinterpret_cast<ThreeWords>(yrlhost::host_table_find(table, "VynValueArrayToWstringArray_v"));
  EXPECT_EQ(remove(1, 0x10, 0, 0x20), VYN_TK_NOT_IMPLEMENTED);
  EXPECT_EQ(to_strings(1, 0, 0, 0), VYN_TK_NOT_IMPLEMENTED);
  ASSERT_EQ(yrlhost::call_log().size(), 2u);
  EXPECT_TRUE(yrlhost::call_log()[0].not_available);
  EXPECT_EQ(yrlhost::call_log_not_available(),
            (std::vector<std::string>{"VynElemtreeElementRemove_v", "VynValueArrayToWstringArray_v"}));
}

}  // namespace
