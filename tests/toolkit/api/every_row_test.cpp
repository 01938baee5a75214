// Every row of every API table, called through its forwarding function: without its
// host function it reports and gives the missing-function result of its kind; with the
// host's table it reaches the host function of its key with the context id, its own
// arguments in order and the text directory last, and returns the host's answer.
//
// The cases come from the rows themselves, so they grow with the tables. A row is called
// through the caller of its signature (RowCaller), one per distinct signature, which
// keeps the program's build time in step with the number of signatures, not of rows.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "host/plugin/call_log.h"
#include "host/plugin/host_table.h"
#include "tests/support/serious_reports.h"
#include "tests/toolkit/api/api_rows.h"
#include "tests/toolkit/toolkit_test.h"
#include "toolkit/api/host_types.h"

// Every row's forwarding function, declared from its row.
#define YRL_API_FORMS "toolkit/api/api_declare.inc"
#include "toolkit/api/api_tables.def"
#undef YRL_API_FORMS

namespace yrltest {
namespace {

using yrlhost::CallRecord;
using Word = std::optional<VynWord>;  // a result as a word; none without a result

// ---- Distinct arguments: the value of the parameter at index i of a call, by its type.
// Integers and enumerations 0x40 + i, floating-point values i + 1.25, strings texts of
// their own, other pointers (function pointers too) distinct addresses of real storage,
// records by value their bytes all 0x10 + i, references a cell of their own. The same
// index always gives the same value (or the same cell), so that the words a call should
// show can be worked out before the call.

constexpr std::size_t max_arguments = 24;

const char* const narrow_texts[max_arguments] = {
    "arg 0",  "arg 1",  "arg 2",  "arg 3",  "arg 4",  "arg 5",  "arg 6",  "arg 7",
    "arg 8",  "arg 9",  "arg 10", "arg 11", "arg 12", "arg 13", "arg 14", "arg 15",
    "arg 16", "arg 17", "arg 18", "arg 19", "arg 20", "arg 21", "arg 22", "arg 23"};
const VynWchar* const wide_texts[max_arguments] = {
    u"wide 0",  u"wide 1",  u"wide 2",  u"wide 3",  u"wide 4",  u"wide 5",
    u"wide 6",  u"wide 7",  u"wide 8",  u"wide 9",  u"wide 10", u"wide 11",
    u"wide 12", u"wide 13", u"wide 14", u"wide 15", u"wide 16", u"wide 17",
    u"wide 18", u"wide 19", u"wide 20", u"wide 21", u"wide 22", u"wide 23"};

// Storage the pointer arguments point into, one block per index; nothing reads or writes
// it, but an address of real storage stays harmless if something did.
constexpr std::size_t block_size = 512;
alignas(64) unsigned char blocks[max_arguments][block_size];

template <typename T>
T& cell(std::size_t index) {
  static T cells[max_arguments];
  return cells[index];
}

template <typename T>
T distinct_value(std::size_t index) {
  if constexpr (std::is_same_v<T, const char*>) {
    return narrow_texts[index];
  } else if constexpr (std::is_same_v<T, const VynWchar*>) {
    return wide_texts[index];
  } else if constexpr (std::is_pointer_v<T>) {
    return reinterpret_cast<T>(reinterpret_cast<std::uintptr_t>(blocks[index]));
  } else if constexpr (std::is_floating_point_v<T>) {
    return static_cast<T>(static_cast<double>(index) + 1.25);
  } else if constexpr (std::is_same_v<T, bool>) {
    return true;
  } else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>) {
    return static_cast<T>(0x40 + index);
  } else {
    static_assert(std::is_trivially_copyable_v<T>, "a record passed by value is plain data");
    std::array<unsigned char, sizeof(T)> bytes;
    bytes.fill(static_cast<unsigned char>(0x10 + index));
    return std::bit_cast<T>(bytes);
  }
}

template <typename P>
P argument(std::size_t index) {
  if constexpr (std::is_reference_v<P>) {
    return cell<std::remove_cvref_t<P>>(index);
  } else {
    return distinct_value<std::remove_cv_t<P>>(index);
  }
}

// ---- One row's call.

struct CallOutcome {
  Word result;                 // what the forwarding function returned
  Word unique;                 // what the host answers the row under unique_results
  std::vector<VynWord> words;  // the row's own arguments as the host logs them
};

template <typename Sig>
struct RowCaller;

template <typename R, typename... P>
struct RowCaller<R(P...)> {
  static_assert(sizeof...(P) <= max_arguments, "raise max_arguments");

  static void call(VynHostFunction function, yrlhost::HostApi answering, CallOutcome& out) {
    call_with(reinterpret_cast<R (*)(P...)>(function), answering, out,
              std::index_sequence_for<P...>());
  }

  template <std::size_t... I>
  static void call_with(R (*function)(P...), yrlhost::HostApi answering, CallOutcome& out,
                        std::index_sequence<I...>) {
    out.words.clear();
    (yrlhost::append_words<P>(out.words, argument<P>(I)), ...);
    if constexpr (std::is_void_v<R>) {
      function(argument<P>(I)...);
      out.result.reset();
      out.unique.reset();
    } else {
      out.result = yrlhost::to_word(function(argument<P>(I)...));
      out.unique = yrlhost::to_word(yrlhost::unique_result<R>(answering));
    }
  }
};

// A row of the tables. Rows that share a key (an older-style function looked up under
// the key of the function that took its place) reach the host function of the first
// row of that key, which answers with its own unique result.
struct RowCall {
  ApiRowInfo info;
  const char* dir;  // the text directory's buffer for dir rows
  yrlhost::HostApi id;
  VynHostFunction function;  // the forwarding function, called through caller
  void (*caller)(VynHostFunction, yrlhost::HostApi, CallOutcome&);

  // The first row of this row's key, whose host function answers the key.
  const RowCall& owner() const;
  // Whether the host function of the key has this row's signature and form, so that
  // the row can call it.
  bool fits_owner() const {
    return caller == owner().caller && info.form == owner().info.form;
  }

  CallOutcome call() const {
    CallOutcome out;
    caller(function, owner().id, out);
    return out;
  }
};

#define YRLTEST_ROW_CALL(form, kind, result, name, key, params, dir_name, dir)            \
  RowCall{YRLTEST_ROW_INFO(form, kind, name, key, dir_name), dir, yrlhost::HostApi::name, \
          reinterpret_cast<VynHostFunction>(static_cast<result(*) params>(&::name)),      \
          &RowCaller<result params>::call},

const RowCall every_row[] = {
#define YRL_API_FORMS "tests/toolkit/api/row_call_forms.inc"
#include "toolkit/api/api_tables.def"
#undef YRL_API_FORMS
};

#undef YRLTEST_ROW_CALL

const RowCall& RowCall::owner() const {
  static const std::map<std::string, const RowCall*> first_of_key = [] {
    std::map<std::string, const RowCall*> first;
    for (const RowCall& row : every_row) first.emplace(row.info.key, &row);
    return first;
  }();
  return *first_of_key.at(info.key);
}

// The families that have rows, in the order of the list of tables.
std::vector<std::string> families() {
  std::vector<std::string> names;
  for (const RowCall& row : every_row) {
    std::string family = table_family(row.info.table);
    if (names.empty() || names.back() != family) names.push_back(family);
  }
  return names;
}

Word missing_result(YrlKind kind) {
  switch (kind) {
    case YrlKind::status: return VYN_TK_GENERAL_ERROR;
    case YrlKind::comm: return VYN_TK_COMM_ERROR;
    case YrlKind::pointer: return 0;
    case YrlKind::real: return yrlhost::to_word(0.0);
    case YrlKind::none: return std::nullopt;
  }
  return std::nullopt;
}

// A missing host function is reported under the key looked up, except for these rows,
// which look up another key and report their own name + "_v".
std::string report_name(const RowCall& row) {
  static const std::set<std::string> own_name = {
      "vynmenu_make_item_accessible", "vynmenu_make_item_inaccessible",
      "vynfem_get_beam_xsec_properties", "vynappdata_init", "vynappdata_close",
      "vynappdata_load_appdata"};
  std::string name = row.info.name;
  return own_name.count(name) ? name + "_v" : std::string(row.info.key);
}

std::string text(const Word& word) {
  return word ? std::to_string(*word) : std::string("nothing");
}

std::string text(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& line : lines) all += "\n    " + line;
  return all;
}

std::string text(const std::vector<CallRecord>& calls) {
  std::ostringstream all;
  for (const CallRecord& call : calls) all << "\n    " << call;
  return all.str();
}

// The faults found over many rows, shown together (the first few in full).
class Faults {
 public:
  void add(const RowCall& row, const std::string& what) {
    if (++count_ <= shown) text_ += std::string("\n  ") + row.info.name + ": " + what;
  }
  bool empty() const { return count_ == 0; }
  std::string text() const {
    return std::to_string(count_) + " faults" + text_ +
           (count_ > shown ? "\n  ..." : "");
  }

 private:
  static constexpr int shown = 40;
  int count_ = 0;
  std::string text_;
};

// Started as the host starts the plug-in, with a context id of its own; then, as at
// load, with every slot empty and no table, so that each row looks its key up anew.
class ApiRowTest : public ToolkitTest {
 protected:
  static constexpr int context = 4242;

  void SetUp() override {
    ToolkitTest::SetUp();
    StartArgs args;
    args.context = context;
    ASSERT_EQ(start(args), 0);
    ASSERT_EQ(my_id_num, context);
    ASSERT_STRNE(msg_path, "");
    win_export_functions = nullptr;
    win_export_func_ct = 0;
    binding_testing_reset();
    yrlhost::call_log_clear();
  }
};

// The rows of one table.
class EveryApiRow : public ApiRowTest, public ::testing::WithParamInterface<std::string> {
 protected:
  void SetUp() override {
    ApiRowTest::SetUp();
    for (const RowCall& row : every_row) {
      if (table_family(row.info.table) == GetParam()) rows.push_back(&row);
    }
  }

  // The one record a bound call of row leaves in the log.
  static CallRecord logged(const RowCall& row, const CallOutcome& out) {
    return CallRecord{row.info.key,
                      row.info.form == yrlhost::RowForm::no_context ? std::nullopt
                                                                     : std::optional<int>(context),
                      out.words,
                      row.info.form == yrlhost::RowForm::dir ? std::optional<std::string>(row.dir)
                                                              : std::nullopt,
                      out.result};
  }

  // Calls every row once with the table in place and checks what the host saw and
  // what came back; the answers of the rows that own their key are collected in
  // answers, which no two share.
  void expect_bound_calls(Faults& faults, std::set<VynWord>* answers) {
    for (const RowCall* row : rows) {
      if (!row->fits_owner()) {
        faults.add(*row, std::string("not called: its key's host function is ") +
                             row->owner().info.name + "'s, of another signature");
        continue;
      }
      yrlhost::call_log_clear();
      CallOutcome out = row->call();
      std::vector<CallRecord> expected = {logged(*row, out)};
      if (yrlhost::call_log() != expected) {
        faults.add(*row, "host saw" + text(yrlhost::call_log()) + "\n   expected" +
                             text(expected));
      }
      if (out.result != out.unique) {
        faults.add(*row, "returned " + text(out.result) + ", host answered " + text(out.unique));
      }
      if (answers && out.result && &row->owner() == row &&
          !answers->insert(*out.result).second) {
        faults.add(*row, "answer " + text(out.result) + " also came from another row");
      }
    }
  }

  std::vector<const RowCall*> rows;
};

TEST_P(EveryApiRow, WithoutItsHostFunctionReportsAndGivesTheResultOfItsKindUntilBound) {
  ASSERT_FALSE(rows.empty());
  Faults faults;
  {
    SeriousReports reports;
    for (const RowCall* row : rows) {
      reports.clear();
      // Twice: a miss leaves the slot empty, so the second call looks and reports again.
      for (int round = 0; round < 2; ++round) {
        CallOutcome out = row->call();
        if (out.result != missing_result(row->info.kind)) {
          faults.add(*row, "returned " + text(out.result) + " without its host function");
        }
      }
      std::string line = missing_function_report(report_name(*row));
      if (reports.lines() != std::vector<std::string>{line, line}) {
        faults.add(*row, "reported" + text(reports.lines()) + "\n   expected twice\n    " + line);
      }
    }
  }
  if (!yrlhost::call_log().empty()) {
    ADD_FAILURE() << "the host was called:" << text(yrlhost::call_log());
  }

  // A table that comes later binds every row.
  table_options.unique_results = true;
  bind_table();
  expect_bound_calls(faults, nullptr);
  EXPECT_TRUE(faults.empty()) << faults.text();
}

TEST_P(EveryApiRow, BoundRowPassesContextWordsAndDirectoryAndReturnsTheHostsAnswer) {
  ASSERT_FALSE(rows.empty());
  table_options.unique_results = true;
  bind_table();
  SeriousReports reports;
  Faults faults;
  std::set<VynWord> answers;
  expect_bound_calls(faults, &answers);

  // A bound slot is kept: with the table gone every row still reaches its host function.
  win_export_functions = nullptr;
  win_export_func_ct = 0;
  expect_bound_calls(faults, nullptr);
  EXPECT_TRUE(faults.empty()) << faults.text();
  EXPECT_TRUE(reports.lines().empty()) << text(reports.lines());
}

// A host function serves every row of its key through one type: rows that share a key
// share the host function's signature and form, or their calls would not match it.
TEST(ApiRowSignatures, RowsThatShareAKeyShareTheirHostSignature) {
  std::vector<std::string> faults;
  for (const RowCall& row : every_row) {
    if (!row.fits_owner()) {
      faults.push_back(std::string(row.info.name) + " calls \"" + row.info.key + "\" of " +
                       row.owner().info.name + " with another signature");
    }
  }
  EXPECT_TRUE(faults.empty()) << text(faults);
}

// The one row that looks up its bare name reports that name, the key it looked up.
TEST_F(ApiRowTest, AppfeatureTypeGetLooksUpItsNameWithoutTheSuffix) {
  const RowCall* row = nullptr;
  for (const RowCall& r : every_row) {
    if (std::strcmp(r.info.name, "VynAppfeatureTypeGet") == 0) row = &r;
  }
  ASSERT_NE(row, nullptr);
  {
    SeriousReports reports;
    row->call();
    EXPECT_EQ(reports.lines(),
              std::vector<std::string>{missing_function_report("VynAppfeatureTypeGet")});
  }
  table_options.unique_results = true;
  bind_table();
  ASSERT_EQ(yrlhost::host_table_find(table, "VynAppfeatureTypeGet_v"), nullptr);
  CallOutcome out = row->call();
  ASSERT_EQ(yrlhost::call_log().size(), 1u);
  EXPECT_EQ(yrlhost::call_log()[0].key, "VynAppfeatureTypeGet");
  EXPECT_EQ(yrlhost::call_log()[0].context, context);
  EXPECT_EQ(out.result, out.unique);
}

INSTANTIATE_TEST_SUITE_P(ApiTables, EveryApiRow, ::testing::ValuesIn(families()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return info.param;
                         });

}  // namespace
}  // namespace yrltest
