// The local parameter, string and argument functions of the toolkit API.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "host/util/host_arrays.h"
#include "runtime/text/lang.h"
#include "runtime/text/wstring.h"
#include "tests/support/console_capture.h"
#include "tests/toolkit/toolkit_test.h"
#include "toolkit/api/app_api.h"
#include "toolkit/local/local_param.h"

namespace {

class LocalParamTest : public yrltest::ToolkitTest {};

// A record whose every byte is 0xAB, to see what a call leaves alone.
template <typename T>
T filled() {
  T record;
  std::memset(&record, 0xAB, sizeof record);
  return record;
}

template <typename T>
bool same_bytes(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

std::u16string repeat(char16_t c, int n) { return std::u16string(static_cast<std::size_t>(n), c); }

// ---- Strings

TEST_F(LocalParamTest, StringToWstringConvertsByTheCurrentLanguage) {
  VynWchar target[32];
  EXPECT_EQ(VynStringToWstring(target, "yrlform_msg.txt"), target);
  EXPECT_EQ(vek::wscmp(target, u"yrlform_msg.txt"), 0);
  // English: byte 128 is the euro sign, other bytes the character of the same code.
  EXPECT_EQ(VynStringToWstring(target, "a\x80\xe9"), target);
  EXPECT_EQ(vek::wscmp(target, u"a\u20ac\u00e9"), 0);
  EXPECT_EQ(VynStringToWstring(target, ""), target);
  EXPECT_EQ(target[0], 0);
}

TEST_F(LocalParamTest, StringToWstringWithANullTargetConvertsNothing) {
  yrltest::ConsoleCapture console;
  EXPECT_EQ(VynStringToWstring(nullptr, "text"), nullptr);
  EXPECT_EQ(VynStringToWstring(nullptr, nullptr), nullptr);
  EXPECT_EQ(console.out() + console.err(), "");
}

TEST_F(LocalParamTest, StringToWstringOfANullSourceIsReportedAndEmpty) {
  yrltest::ConsoleCapture console;
  VynWchar target[4] = {u'x', u'y', 0, 0};
  EXPECT_EQ(VynStringToWstring(target, nullptr), target);
  EXPECT_EQ(target[0], 0);
  EXPECT_NE((console.out() + console.err()).find("Illegal NULL pointer"), std::string::npos);
}

TEST_F(LocalParamTest, WstringToStringIsTheInverseAndRefusesANullTarget) {
  char target[32];
  EXPECT_EQ(VynWstringToString(target, u"a\u20ac\u00e9.prt"), target);
  EXPECT_STREQ(target, "a\x80\xe9.prt");
  yrltest::ConsoleCapture console;
  EXPECT_EQ(VynWstringToString(nullptr, u"text"), nullptr);
  EXPECT_EQ(console.out() + console.err(), "");
}

TEST_F(LocalParamTest, WcharSizeVerifyAcceptsOnlyTwoAndAlwaysReportsTwo) {
  struct Case {
    int size;
    VynError status;
  };
  for (const Case& c : {Case{2, 0}, Case{4, -1}, Case{1, -1}, Case{0, -1}}) {
    int reported = -7;
    EXPECT_EQ(VynWcharSizeVerify(c.size, &reported), c.status) << c.size;
    EXPECT_EQ(reported, 2);
  }
  EXPECT_EQ(VynWcharSizeVerify(2, nullptr), 0);
  EXPECT_EQ(VynWcharSizeVerify(4, nullptr), -1);
}

// ---- Parameter values

TEST_F(LocalParamTest, ParamvalueKeepsEachTypesValue) {
  VynParamvalue record = filled<VynParamvalue>();
  double d = -2.75;
  ASSERT_EQ(VynParamvalueSet(&record, &d, VYN_PARAM_DOUBLE), 0);
  int type = 0;
  EXPECT_EQ(VynParamvalueTypeGet(&record, &type), 0);
  EXPECT_EQ(type, VYN_PARAM_DOUBLE);
  double d_out = 0;
  EXPECT_EQ(VynParamvalueValueGet(&record, VYN_PARAM_DOUBLE, &d_out), 0);
  EXPECT_EQ(d_out, d);

  for (int int_type : {VYN_PARAM_INTEGER, VYN_PARAM_ID}) {
    int i = -123456, i_out = 0;
    ASSERT_EQ(VynParamvalueValueSet(&record, &i, int_type), 0);
    EXPECT_EQ(record.type, int_type);
    EXPECT_EQ(VynParamvalueValueGet(&record, int_type, &i_out), 0);
    EXPECT_EQ(i_out, i);
  }

  // The boolean is 16 bits: the bytes behind it are neither written nor read.
  record = filled<VynParamvalue>();
  short b = 1;
  ASSERT_EQ(VynParamvalueSet(&record, &b, VYN_PARAM_BOOLEAN), 0);
  EXPECT_EQ(reinterpret_cast<unsigned char*>(&record.value)[2], 0xAB);
  int wide_out = -1;
  EXPECT_EQ(VynParamvalueValueGet(&record, VYN_PARAM_BOOLEAN, &wide_out), 0);
  EXPECT_EQ(wide_out & 0xFFFF, 1);
  EXPECT_EQ(wide_out >> 16, -1);

  VynWchar text[VYN_PARAM_STRING_SIZE];
  ASSERT_EQ(VynParamvalueSet(&record, u"Thick\u4e2d", VYN_PARAM_STRING), 0);
  EXPECT_EQ(VynParamvalueValueGet(&record, VYN_PARAM_STRING, text), 0);
  EXPECT_EQ(std::u16string(text), u"Thick\u4e2d");
}

// A caller may hand the record's own value field back in, as the source or the target.
TEST_F(LocalParamTest, ParamvalueOwnValueFieldAsSourceOrTarget) {
  VynParamvalue record = filled<VynParamvalue>();
  double d = 4.5;
  ASSERT_EQ(VynParamvalueSet(&record, &d, VYN_PARAM_DOUBLE), 0);
  EXPECT_EQ(VynParamvalueSet(&record, &record.value, VYN_PARAM_DOUBLE), 0);
  EXPECT_EQ(VynParamvalueValueGet(&record, VYN_PARAM_DOUBLE, &record.value), 0);
  EXPECT_EQ(record.value.as_double, 4.5);
  ASSERT_EQ(VynParamvalueSet(&record, u"Depth", VYN_PARAM_STRING), 0);
  EXPECT_EQ(VynParamvalueSet(&record, record.value.as_string, VYN_PARAM_STRING), 0);
  EXPECT_EQ(VynParamvalueValueGet(&record, VYN_PARAM_STRING, record.value.as_string), 0);
  EXPECT_EQ(std::u16string(record.value.as_string), u"Depth");
}

TEST_F(LocalParamTest, ParamvalueVoidStoresOnlyTheType) {
  VynParamvalue record = filled<VynParamvalue>();
  VynParamvalue before = record;
  EXPECT_EQ(VynParamvalueSet(&record, nullptr, VYN_PARAM_VOID), 0);
  EXPECT_EQ(record.type, VYN_PARAM_VOID);
  EXPECT_EQ(std::memcmp(&record.value, &before.value, sizeof record.value), 0);
  int out = 5;
  EXPECT_EQ(VynParamvalueValueGet(&record, VYN_PARAM_VOID, &out), 0);
  EXPECT_EQ(out, 5);
}

TEST_F(LocalParamTest, ParamvalueSetRefusesBadInputsAndLeavesTheRecordAlone) {
  int i = 3;
  struct Case {
    const char* what;
    const void* value;
    int type;
  };
  std::u16string fits = repeat(u'x', VYN_PARAM_STRING_SIZE - 1);
  std::u16string too_long = repeat(u'x', VYN_PARAM_STRING_SIZE);
  for (const Case& c : {Case{"unknown type 55", &i, 55}, Case{"type 0", &i, 0},
                        Case{"null value", nullptr, VYN_PARAM_INTEGER},
                        Case{"null string", nullptr, VYN_PARAM_STRING},
                        Case{"string over the record", too_long.c_str(), VYN_PARAM_STRING}}) {
    VynParamvalue record = filled<VynParamvalue>();
    VynParamvalue before = record;
    EXPECT_EQ(VynParamvalueSet(&record, c.value, c.type), -2) << c.what;
    EXPECT_TRUE(same_bytes(record, before)) << c.what;
  }
  EXPECT_EQ(VynParamvalueSet(nullptr, &i, VYN_PARAM_INTEGER), -2);

  // The longest string that fits comes back whole, with its terminator.
  VynParamvalue record = filled<VynParamvalue>();
  ASSERT_EQ(VynParamvalueSet(&record, fits.c_str(), VYN_PARAM_STRING), 0);
  VynWchar text[VYN_PARAM_STRING_SIZE];
  EXPECT_EQ(VynParamvalueValueGet(&record, VYN_PARAM_STRING, text), 0);
  EXPECT_EQ(std::u16string(text), fits);
}

TEST_F(LocalParamTest, ParamvalueGetRefusesAnotherTypeAndNulls) {
  VynParamvalue record = filled<VynParamvalue>();
  int id = 12;
  ASSERT_EQ(VynParamvalueSet(&record, &id, VYN_PARAM_ID), 0);
  int out = -1;
  EXPECT_EQ(VynParamvalueValueGet(&record, VYN_PARAM_INTEGER, &out), -2);
  EXPECT_EQ(out, -1);
  EXPECT_EQ(VynParamvalueValueGet(nullptr, VYN_PARAM_ID, &out), -2);
  EXPECT_EQ(VynParamvalueValueGet(&record, VYN_PARAM_ID, nullptr), -2);
  EXPECT_EQ(VynParamvalueTypeGet(nullptr, &out), -2);
  EXPECT_EQ(VynParamvalueTypeGet(&record, nullptr), -2);
}

TEST_F(LocalParamTest, ParamvalueStringFilledWithoutTerminatorComesOutCut) {
  // As a host might leave it: every unit of the value used.
  VynParamvalue record = filled<VynParamvalue>();
  record.type = VYN_PARAM_STRING;
  for (VynWchar& c : record.value.as_string) c = u'q';
  VynWchar text[VYN_PARAM_STRING_SIZE];
  EXPECT_EQ(VynParamvalueValueGet(&record, VYN_PARAM_STRING, text), 0);
  EXPECT_EQ(std::u16string(text), repeat(u'q', VYN_PARAM_STRING_SIZE - 1));
}

// ---- Labelled arguments

class ArgumentTest : public LocalParamTest {
 protected:
  void SetUp() override {
    LocalParamTest::SetUp();
    bind_table();
    arguments = yrlhost::host_array_make(0, sizeof(VynArgument));
  }
  void TearDown() override {
    VynArrayFree(&arguments);
    LocalParamTest::TearDown();
  }
  void add(const std::u16string& label, unsigned char tag) {
    VynArgument row;
    std::memset(&row, 0, sizeof row);
    std::memcpy(row.label, label.data(), std::min(label.size(), std::size_t{32}) * 2);
    std::memset(row.value.bytes, tag, sizeof row.value.bytes);
    ASSERT_EQ(VynArrayObjectAdd(&arguments, -1, 1, &row), 0);
  }
  VynArray arguments = nullptr;
};

TEST_F(ArgumentTest, FindsTheFirstRowWithTheLabelExactly) {
  add(u"DEPTH", 1);
  add(u"Angle", 2);
  add(u"Angle", 3);
  add(repeat(u'L', 32), 4);  // a label that fills its field, without terminator
  VynArgvalue value;
  EXPECT_EQ(VynArgumentByLabelGet(arguments, u"Angle", &value), 0);
  EXPECT_EQ(value.bytes[0], 2);
  EXPECT_EQ(value.bytes[15], 2);
  EXPECT_EQ(VynArgumentByLabelGet(arguments, u"DEPTH", &value), 0);
  EXPECT_EQ(value.bytes[0], 1);
  EXPECT_EQ(VynArgumentByLabelGet(arguments, repeat(u'L', 32).c_str(), &value), 0);
  EXPECT_EQ(value.bytes[0], 4);

  std::memset(&value, 9, sizeof value);
  for (const std::u16string& label :
       {std::u16string(u"depth"), std::u16string(u"Ang"), std::u16string(u"Angles"),
        repeat(u'L', 31), repeat(u'L', 33)}) {
    EXPECT_EQ(VynArgumentByLabelGet(arguments, label.c_str(), &value), -4);
  }
  EXPECT_EQ(value.bytes[0], 9);
}

TEST_F(ArgumentTest, AnArrayTheHostDoesNotKnowOrNullsAreBadInputs) {
  add(u"A", 1);
  VynArgvalue value;
  VynArgument not_a_host_array[1] = {};
  EXPECT_EQ(VynArgumentByLabelGet(not_a_host_array, u"A", &value), -2);
  EXPECT_EQ(VynArgumentByLabelGet(nullptr, u"A", &value), -2);
  EXPECT_EQ(VynArgumentByLabelGet(arguments, nullptr, &value), -2);
  EXPECT_EQ(VynArgumentByLabelGet(arguments, u"A", nullptr), -2);
}

// ---- Simplified representations

TEST_F(LocalParamTest, SimprepActionInitClearsAndCopiesTheData) {
  unsigned char data[120];
  for (int i = 0; i < 120; ++i) data[i] = static_cast<unsigned char>(i + 1);
  VynSimprepAction action = filled<VynSimprepAction>();
  EXPECT_EQ(VynSimprepActionInit(6, data, &action), 0);
  EXPECT_EQ(action.type, 6);
  EXPECT_EQ(std::memcmp(action.data, data, 120), 0);

  action = filled<VynSimprepAction>();
  EXPECT_EQ(VynSimprepActionInit(2, nullptr, &action), 0);
  EXPECT_EQ(action.type, 2);
  EXPECT_EQ(action.data[0], 0);
  EXPECT_EQ(action.data[119], 0);
  EXPECT_EQ(VynSimprepActionInit(2, data, nullptr), -2);
}

TEST_F(LocalParamTest, SimprepNamesAreCutToThirtyOneCharactersAndAlwaysTerminated) {
  struct Case {
    std::u16string given;
    std::u16string kept;
  };
  for (const Case& c : {Case{u"", u""}, Case{u"LIGHT", u"LIGHT"},
                        Case{repeat(u'a', 31), repeat(u'a', 31)},
                        Case{repeat(u'b', 40), repeat(u'b', 31)}}) {
    VynSimprepdata data = filled<VynSimprepdata>();
    EXPECT_EQ(VynSimprepdataNameSet(&data, c.given.c_str()), 0);
    EXPECT_EQ(std::u16string(data.name), c.kept);
    for (std::size_t i = c.kept.size(); i < 32; ++i) EXPECT_EQ(data.name[i], 0) << i;

    VynName out;
    std::memset(out, 0xAB, sizeof out);
    EXPECT_EQ(VynSimprepdataNameGet(&data, out), 0);
    EXPECT_EQ(std::u16string(out), c.kept);
    EXPECT_EQ(out[31], 0);
  }
  // A name the host filled to the last unit still comes out terminated.
  VynSimprepdata data = filled<VynSimprepdata>();
  for (VynWchar& c : data.name) c = u'z';
  VynName out;
  EXPECT_EQ(VynSimprepdataNameGet(&data, out), 0);
  EXPECT_EQ(std::u16string(out), repeat(u'z', 31));

  EXPECT_EQ(VynSimprepdataNameGet(nullptr, out), -2);
  EXPECT_EQ(VynSimprepdataNameGet(&data, nullptr), -2);
  EXPECT_EQ(VynSimprepdataNameSet(nullptr, u"x"), -2);
  EXPECT_EQ(VynSimprepdataNameSet(&data, nullptr), -2);
}

TEST_F(LocalParamTest, SimprepFlagsAreKeptAndTheOutputsPresetOnFailure) {
  VynSimprepdata data = filled<VynSimprepdata>();
  EXPECT_EQ(VynSimprepdataTmpvalSet(&data, 1), 0);
  EXPECT_EQ(VynSimprepdataDefltSet(&data, 1), 0);
  int temporary = 5, is_default = 5;
  EXPECT_EQ(VynSimprepdataTmpvalGet(&data, &temporary), 0);
  EXPECT_EQ(VynSimprepdataDefltGet(&data, &is_default), 0);
  EXPECT_EQ(temporary, 1);
  EXPECT_EQ(is_default, 1);

  EXPECT_EQ(VynSimprepdataTmpvalGet(nullptr, &temporary), -2);
  EXPECT_EQ(temporary, -1);
  EXPECT_EQ(VynSimprepdataDefltGet(nullptr, &is_default), -2);
  EXPECT_EQ(is_default, 0);
  EXPECT_EQ(VynSimprepdataTmpvalSet(nullptr, 1), -2);
  EXPECT_EQ(VynSimprepdataDefltSet(nullptr, 1), -2);
  EXPECT_EQ(VynSimprepdataTmpvalGet(&data, nullptr), -2);
  EXPECT_EQ(VynSimprepdataDefltGet(&data, nullptr), -2);
}

// Re-initialising from the record's own fields keeps them.
TEST_F(LocalParamTest, SimprepInitsFromTheirOwnFieldsKeepThem) {
  VynSimprepAction action;
  unsigned char data[120];
  for (int i = 0; i < 120; ++i) data[i] = static_cast<unsigned char>(200 - i);
  ASSERT_EQ(VynSimprepActionInit(3, data, &action), 0);
  EXPECT_EQ(VynSimprepActionInit(4, action.data, &action), 0);
  EXPECT_EQ(action.type, 4);
  EXPECT_EQ(std::memcmp(action.data, data, sizeof data), 0);

  VynSimprepdataitem item;
  const int ids[] = {41, 42};
  ASSERT_EQ(VynSimprepdataitemInit(ids, 2, 7, &action, &item), 0);
  EXPECT_EQ(VynSimprepdataitemInit(item.path_ids, item.path_size, 9, &item.action, &item), 0);
  EXPECT_EQ(item.path_size, 2);
  EXPECT_EQ(item.path_ids[0], 41);
  EXPECT_EQ(item.path_ids[1], 42);
  EXPECT_EQ(item.feature_id, 9);
  EXPECT_EQ(item.action.type, 4);
  EXPECT_EQ(std::memcmp(item.action.data, data, sizeof data), 0);
}

TEST_F(LocalParamTest, SimprepdataitemInitChecksThePathAndCopiesOnlyItsIds) {
  VynSimprepAction action;
  ASSERT_EQ(VynSimprepActionInit(3, nullptr, &action), 0);
  // Exactly as many ids as the size says are read (the sanitizer sees any more).
  std::vector<int> ids = {41, 42, 43};
  std::vector<int> full(25);
  for (int i = 0; i < 25; ++i) full[static_cast<std::size_t>(i)] = 100 + i;
  struct Case {
    const char* what;
    const int* ids;
    int size;
    int feature;
    VynError status;
    int stored_size;
    int stored_ids;
  };
  const Case cases[] = {
      {"three ids", ids.data(), 3, 7, 0, 3, 3},
      {"twenty-five ids", full.data(), 25, 7, 0, 25, 25},
      {"no path, a feature", nullptr, -1, 12, 0, -1, 0},
      {"ids with size -1", ids.data(), -1, 12, 0, -1, 0},
      {"size without ids", nullptr, 5, 7, 0, 0, 0},
      {"empty path", ids.data(), 0, -1, 0, 0, 0},
      {"size 26", full.data(), 26, 7, -2, 0, 0},
      {"size -1 without feature", nullptr, -1, -1, -2, 0, 0},
      {"size -2", ids.data(), -2, 7, -2, 0, 0},
      {"size -5 without ids", nullptr, -5, 7, -2, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    VynSimprepdataitem item = filled<VynSimprepdataitem>();
    VynSimprepdataitem before = item;
    ASSERT_EQ(VynSimprepdataitemInit(c.ids, c.size, c.feature, &action, &item), c.status);
    EXPECT_EQ(VynSimprepdataitemInit(c.ids, c.size, c.feature, &action, nullptr), c.status);
    if (c.status != 0) {
      EXPECT_TRUE(same_bytes(item, before));
      continue;
    }
    EXPECT_EQ(item.path_size, c.stored_size);
    for (int i = 0; i < 25; ++i)
      EXPECT_EQ(item.path_ids[i], i < c.stored_ids ? c.ids[i] : 0) << i;
    EXPECT_EQ(item.feature_id, c.feature);
    EXPECT_TRUE(same_bytes(item.action, action));
  }
  VynSimprepdataitem item;
  EXPECT_EQ(VynSimprepdataitemInit(ids.data(), 3, 7, nullptr, &item), -2);
}

// Visit recorders: the items seen, and what the filter and the action answer.
struct VisitLog {
  std::vector<int> filtered;
  std::vector<int> visited;
  std::vector<VynError> filter_statuses;
  VynError filter_answer = 0;
  int stop_at = -1;  // feature id at which the action answers -5
};

VynError record_filter(void* item, void* data) {
  auto* log = static_cast<VisitLog*>(data);
  log->filtered.push_back(static_cast<VynSimprepdataitem*>(item)->feature_id);
  return log->filter_answer;
}

VynError record_action(void* item, VynError filter_status, void* data) {
  auto* log = static_cast<VisitLog*>(data);
  int id = static_cast<VynSimprepdataitem*>(item)->feature_id;
  log->visited.push_back(id);
  log->filter_statuses.push_back(filter_status);
  return id == log->stop_at ? VYN_TK_E_FOUND : 0;
}

class SimprepVisitTest : public LocalParamTest {
 protected:
  void SetUp() override {
    LocalParamTest::SetUp();
    bind_table();
    std::memset(&data, 0, sizeof data);
    data.items = yrlhost::host_array_make(0, sizeof(VynSimprepdataitem));
    VynSimprepAction action;
    VynSimprepActionInit(1, nullptr, &action);
    for (int id : {10, 20, 30}) {
      VynSimprepdataitem item;
      ASSERT_EQ(VynSimprepdataitemInit(nullptr, -1, id, &action, &item), 0);
      ASSERT_EQ(VynArrayObjectAdd(&data.items, -1, 1, &item), 0);
    }
  }
  void TearDown() override {
    VynArrayFree(&data.items);
    LocalParamTest::TearDown();
  }
  VynSimprepdata data;
  VisitLog log;
};

TEST_F(SimprepVisitTest, VisitsEveryItemInOrder) {
  EXPECT_EQ(VynSimprepdataitemsVisit(&data, record_filter, record_action, &log), 0);
  EXPECT_EQ(log.filtered, std::vector<int>({10, 20, 30}));
  EXPECT_EQ(log.visited, std::vector<int>({10, 20, 30}));
  log = VisitLog();
  EXPECT_EQ(VynSimprepdataitemsVisit(&data, nullptr, record_action, &log), 0);
  EXPECT_EQ(log.visited, std::vector<int>({10, 20, 30}));
  EXPECT_EQ(VynSimprepdataitemsVisit(&data, nullptr, nullptr, &log), 0);
}

TEST_F(SimprepVisitTest, AFilterThatSkipsEverythingCallsNoAction) {
  log.filter_answer = VYN_TK_CONTINUE;
  EXPECT_EQ(VynSimprepdataitemsVisit(&data, record_filter, record_action, &log), 0);
  EXPECT_EQ(log.filtered.size(), 3u);
  EXPECT_TRUE(log.visited.empty());
}

TEST_F(SimprepVisitTest, TheFirstNonzeroStatusEndsTheVisit) {
  log.stop_at = 20;
  EXPECT_EQ(VynSimprepdataitemsVisit(&data, record_filter, record_action, &log), VYN_TK_E_FOUND);
  EXPECT_EQ(log.visited, std::vector<int>({10, 20}));

  // A filter's other status goes to the action, which has the last word on it.
  log = VisitLog();
  log.filter_answer = -1;
  EXPECT_EQ(VynSimprepdataitemsVisit(&data, record_filter, record_action, &log), 0);
  EXPECT_EQ(log.filter_statuses, std::vector<VynError>({-1, -1, -1}));
  // Without an action it ends the visit.
  log = VisitLog();
  log.filter_answer = -1;
  EXPECT_EQ(VynSimprepdataitemsVisit(&data, record_filter, nullptr, &log), -1);
  EXPECT_EQ(log.filtered, std::vector<int>({10}));
}

TEST_F(SimprepVisitTest, AnItemArrayTheHostCannotSizeEndsTheVisitWithItsStatus) {
  VynSimprepdata bad = data;
  VynSimprepdataitem plain[1] = {};
  bad.items = plain;
  EXPECT_EQ(VynSimprepdataitemsVisit(&bad, record_filter, record_action, &log), -2);
  yrlhost::call_log_set_result("VynArraySizeGet_v", -4);
  EXPECT_EQ(VynSimprepdataitemsVisit(&data, record_filter, record_action, &log), -4);
  EXPECT_TRUE(log.filtered.empty());
  EXPECT_EQ(VynSimprepdataitemsVisit(nullptr, record_filter, record_action, &log), -2);
}

// ---- Rules

TEST_F(LocalParamTest, RuleInitNameTakesUpToThirtyCharacters) {
  std::u16string thirty = repeat(u'n', 30);
  VynRule rule = filled<VynRule>();
  EXPECT_EQ(VynRuleInitName(thirty.c_str(), &rule), 0);
  EXPECT_EQ(rule.type, VYN_RULE_NAME);
  EXPECT_EQ(std::u16string(rule.data.name), thirty);

  for (int length : {31, 32, 200}) {
    std::u16string name = repeat(u'n', length);
    VynRule untouched = filled<VynRule>();
    EXPECT_EQ(VynRuleInitName(name.c_str(), &untouched), -2) << length;
    EXPECT_TRUE(same_bytes(untouched, filled<VynRule>()));
  }
  EXPECT_EQ(VynRuleInitName(nullptr, &rule), -2);
  EXPECT_EQ(VynRuleInitName(u"ok", nullptr), 0);
}

TEST_F(LocalParamTest, RuleInitCopiesEachKindsBytes) {
  // The whole handle, high bits included.
  auto expression = reinterpret_cast<VynExpression>(static_cast<std::uintptr_t>(0x1234567890abcdefULL));
  VynRule rule = filled<VynRule>();
  EXPECT_EQ(VynRuleInitExpr(expression, &rule), 0);
  EXPECT_EQ(rule.type, VYN_RULE_EXPR);
  EXPECT_EQ(rule.data.expression, expression);
  EXPECT_EQ(VynRuleInitExpr(nullptr, &rule), -2);

  unsigned char bytes[32];
  for (int i = 0; i < 32; ++i) bytes[i] = static_cast<unsigned char>(0x40 + i);
  rule = filled<VynRule>();
  EXPECT_EQ(VynRuleInitDist(bytes, &rule), 0);
  EXPECT_EQ(rule.type, VYN_RULE_DIST);
  EXPECT_EQ(std::memcmp(rule.data.distance, bytes, 32), 0);

  rule = filled<VynRule>();
  EXPECT_EQ(VynRuleInitSize(bytes, &rule), 0);
  EXPECT_EQ(rule.type, VYN_RULE_SIZE);
  EXPECT_EQ(std::memcmp(rule.data.size, bytes, 16), 0);
  EXPECT_EQ(reinterpret_cast<unsigned char*>(&rule.data)[16], 0xAB);

  EXPECT_EQ(VynRuleInitDist(nullptr, &rule), -2);
  EXPECT_EQ(VynRuleInitSize(nullptr, &rule), -2);
  EXPECT_EQ(VynRuleInitDist(bytes, nullptr), 0);
}

}  // namespace
