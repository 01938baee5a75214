// The forwarding shape over test-only rows of every result kind and row form, expanded
// with the same row forms as the toolkit's own tables and served by the stand-in host
// from the same rows.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/serious_reports.h"
#include "tests/toolkit/toolkit_test.h"

namespace yrltest {

// A record passed by value.
struct TestPoint {
  double x, y, z;
};

}  // namespace yrltest

namespace {

enum TestSlot : int {
#include "toolkit/binding/slot_forms.inc"
#include "tests/toolkit/binding/forward_kinds.def"
  TEST_SLOT_COUNT
};

VynHostFunction test_slots[TEST_SLOT_COUNT];

}  // namespace

#define YRL_API_SLOT(name) (&test_slots[YRL_SLOT_##name])
#include "toolkit/api/api_define.inc"
#include "tests/toolkit/binding/forward_kinds.def"

namespace {

using yrlhost::CallRecord;
using yrlhost::call_log;
using yrlhost::to_word;

// The host's functions of the test rows: a recorder of each row's key, form and
// signature, as the host serves the toolkit's own rows.
std::vector<win_export_entry> kind_rows() {
  return {
#define YRL_HOST_API_LIST "tests/toolkit/binding/forward_kinds.def"
#define YRL_HOST_ROW YRL_HOST_EXTRA_ROW
#include "host/api/host_api_rows.h"
#undef YRL_HOST_ROW
  };
}

// A result as a word; none for a function without one.
using Word = std::optional<VynWord>;

template <typename T>
Word result_word(T value) {
  return to_word(value);
}

VynWord address(const void* p) { return reinterpret_cast<VynWord>(p); }

const char text_c[] = "c";
const VynWchar file_name[] = u"f.txt";
const char key_k[] = "K";
int cell = 0x55;

// One forwarding function: what it reports and returns without its host function, and
// what the host logs and answers with it.
struct KindCase {
  const char* key;
  const char* report_name;
  std::function<Word()> call;
  Word missing;
  Word answer;  // set as the host's answer; also what the call returns and the log keeps
  std::optional<int> context;
  std::vector<VynWord> words;
  std::optional<std::string> dir;

  CallRecord logged() const { return CallRecord{key, context, words, dir, answer}; }
};

std::vector<KindCase> kind_cases() {
  const Word none;
  return {
      {"TestStatusCall_v", "TestStatusCall_v",
       [] { return result_word(TestStatusCall(3, 2.5, text_c)); }, -1, 5, 7,
       {3, to_word(2.5), address(text_c)}, std::nullopt},
      {"TestCommCall_v", "TestCommCall_v", [] { return result_word(TestCommCall(11)); }, -11, -3,
       7, {11}, std::nullopt},
      {"TestPointerCall_v", "TestPointerCall_v",
       [] { return result_word(TestPointerCall(1, 2)); }, 0, 0x1000, 7, {1, 2}, std::nullopt},
      {"TestHandleCall_v", "TestHandleCall_v", [] { return result_word(TestHandleCall()); }, 0,
       42, 7, {}, std::nullopt},
      {"TestNoneCall_v", "TestNoneCall_v", [] { return TestNoneCall(9), Word(); }, none, none, 7,
       {9}, std::nullopt},
      // A record by value reaches the host as the record: its three doubles.
      {"TestRealCall_v", "TestRealCall_v",
       [] { return result_word(TestRealCall(yrltest::TestPoint{1, 2, 3})); }, to_word(0.0),
       to_word(4.0), 7, {to_word(1.0), to_word(2.0), to_word(3.0)}, std::nullopt},
      // A key other than the name + "_v" is what the report names, except in the form
      // that reports the function's own name + "_v".
      {"TestKeyedOther_v", "TestKeyedOther_v", [] { return result_word(TestKeyedCall()); }, -1,
       6, 7, {}, std::nullopt},
      {"TestOwnNameOther_v", "TestOwnNameCall_v",
       [] { return result_word(TestOwnNameCall(3)); }, -1, 13, 7, {3}, std::nullopt},
      // A reference parameter reaches the host as the caller's object, not as a copy of
      // its value.
      {"TestReferenceCall_v", "TestReferenceCall_v",
       [] { return result_word(TestReferenceCall(cell)); }, -1, 12, 7, {address(&cell)},
       std::nullopt},
      {"TestBundleCall_v", "TestBundleCall_v", [] { return result_word(TestBundleCall(5)); }, -1,
       2, std::nullopt, {5}, std::nullopt},
      {"TestRendererCall_v", "TestRendererCall_v", [] { return TestRendererCall(1, 2), Word(); },
       none, none, std::nullopt, {1, 2}, std::nullopt},
      {"TestMessageCall_v", "TestMessageCall_v",
       [] { return result_word(TestMessageCall(file_name, key_k)); }, -1, 8, 7,
       {address(file_name), address(key_k)}, "M"},
      {"TestMenuCall_v", "TestMenuCall_v", [] { return result_word(TestMenuCall(4)); }, -1, 9, 7,
       {4}, "N"},
      {"TestResourceCall_v", "TestResourceCall_v", [] { return result_word(TestResourceCall()); },
       -1, 10, 7, {}, "R"},
  };
}

class ForwardTest : public yrltest::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    std::memset(test_slots, 0, sizeof test_slots);
    my_id_num = 7;
    std::strcpy(msg_path, "M");
    std::strcpy(menu_path, "N");
    std::strcpy(resource_path, "R");
    table_options.extra = kind_rows();
  }
};

TEST_F(ForwardTest, MissingHostFunctionIsReportedAndGivesTheResultOfItsKind) {
  yrltest::SeriousReports reports;
  for (const KindCase& c : kind_cases()) {
    SCOPED_TRACE(c.key);
    reports.clear();
    // Twice: the miss leaves the slot empty, so the second call looks and reports again.
    EXPECT_EQ(c.call(), c.missing);
    EXPECT_EQ(c.call(), c.missing);
    std::string line = yrltest::missing_function_report(c.report_name);
    EXPECT_EQ(reports.lines(), std::vector<std::string>({line, line}));
  }
  EXPECT_TRUE(call_log().empty());
}

TEST_F(ForwardTest, BoundFunctionPassesItsWordsAndReturnsTheHostsResult) {
  bind_table();
  yrltest::SeriousReports reports;
  for (const KindCase& c : kind_cases()) {
    SCOPED_TRACE(c.key);
    yrlhost::call_log_clear();
    if (c.answer) yrlhost::call_log_set_result_word(c.key, *c.answer);
    EXPECT_EQ(c.call(), c.answer);
    EXPECT_EQ(call_log(), std::vector<CallRecord>({c.logged()}));
  }
  EXPECT_TRUE(reports.lines().empty());
}

TEST_F(ForwardTest, SlotIsLookedUpUntilFoundAndThenKept) {
  EXPECT_EQ(TestStatusCall(1, 0, text_c), VYN_TK_GENERAL_ERROR);
  bind_table();
  EXPECT_EQ(TestStatusCall(1, 0, text_c), 0);
  // The table goes away; the bound slot still reaches the host.
  win_export_functions = nullptr;
  win_export_func_ct = 0;
  EXPECT_EQ(TestStatusCall(2, 0, text_c), 0);
  ASSERT_EQ(call_log().size(), 2u);
  EXPECT_EQ(call_log()[1].words[0], 2);
}

TEST_F(ForwardTest, ContextIdIsReadAtEachCallNotAtTheLookup) {
  bind_table();
  for (int context : {3, 9, -1}) {
    my_id_num = context;
    TestNoneCall(0);
    TestMenuCall(0);
  }
  std::vector<std::optional<int>> seen;
  for (const CallRecord& call : call_log()) seen.push_back(call.context);
  EXPECT_EQ(seen, std::vector<std::optional<int>>({3, 3, 9, 9, -1, -1}));
}

TEST_F(ForwardTest, TextDirectoryIsReadAtEachCall) {
  bind_table();
  TestResourceCall();
  std::strcpy(resource_path, "R2");
  TestResourceCall();
  ASSERT_EQ(call_log().size(), 2u);
  EXPECT_EQ(call_log()[0].dir, "R");
  EXPECT_EQ(call_log()[1], (CallRecord{"TestResourceCall_v", 7, {}, "R2", 0}));
}

}  // namespace
