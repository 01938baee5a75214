// The forwarding functions of the application's host API whose shape the every-row test
// does not show on its own: the message functions' optional values, VynGtolleadersFree,
// and how the host's log records the typed parameters (callbacks, doubles, handles).
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/serious_reports.h"
#include "tests/toolkit/toolkit_test.h"
#include "toolkit/api/app_api.h"
#include "toolkit/binding/clnt_entries.h"

namespace {

using yrlhost::CallRecord;
using yrlhost::call_log;
using yrlhost::call_log_of;
using W = VynWord;

W word(const void* address) { return reinterpret_cast<W>(address); }

class AppApiTest : public yrltest::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    my_id_num = 42;
    std::strcpy(msg_path, "MSGS");
    std::strcpy(resource_path, "RESOURCES");
  }
};

const VynWchar kMsgFile[] = u"yrlform_msg.txt";

// The caller names as many values as its message uses; the host always gets the file,
// the key, ten values (null where none was given) and then the message directory.
TEST_F(AppApiTest, MessageDisplayPassesTenValuesWhateverTheCallerGave) {
  bind_table();
  const char text[] = "Title Set";
  const int sheet = 3;
  const double scale = 0.5;
  struct Case {
    const char* key;
    VynError (*call)(const char*, const int*, const double*);
    std::vector<W> values;
  };
  const W t = word(text), s = word(&sheet), d = word(&scale);
  const Case cases[] = {
      {"YRL_DIALOG_ERROR",
       [](const char*, const int*, const double*) {
         return VynMessageDisplay(kMsgFile, "YRL_DIALOG_ERROR");
       },
       {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"YRLFORM INFO %0s",
       [](const char* a, const int*, const double*) {
         return VynMessageDisplay(kMsgFile, "YRLFORM INFO %0s", a);
       },
       {t, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"YRLFORM INFO %0s %1s %2s %3d",
       [](const char* a, const int* b, const double* c) {
         return VynMessageDisplay(kMsgFile, "YRLFORM INFO %0s %1s %2s %3d", a, b, c);
       },
       {t, s, d, 0, 0, 0, 0, 0, 0, 0}},
      {"YRL_SECTION_EXISTS",
       [](const char* a, const int* b, const double* c) {
         return VynMessageDisplay(kMsgFile, "YRL_SECTION_EXISTS", a, b, c, a, b, c, a, b, c, a);
       },
       {t, s, d, t, s, d, t, s, d, t}},
  };
  // The host answers as told: the words it is handed are what this test is about.
  yrlhost::call_log_set_result("VynMessageDisplay_v", VYN_TK_NO_ERROR);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    yrlhost::call_log_clear();
    EXPECT_EQ(c.call(text, &sheet, &scale), VYN_TK_NO_ERROR);
    ASSERT_EQ(call_log().size(), 1u);
    const CallRecord& call = call_log()[0];
    EXPECT_EQ(call.key, "VynMessageDisplay_v");
    EXPECT_EQ(call.context, 42);
    ASSERT_EQ(call.words.size(), 12u);
    EXPECT_EQ(call.words[0], word(kMsgFile));
    EXPECT_STREQ(reinterpret_cast<const char*>(call.words[1]), c.key);
    EXPECT_EQ(std::vector<W>(call.words.begin() + 2, call.words.end()), c.values);
    EXPECT_EQ(call.dir, "MSGS");
  }
}

TEST_F(AppApiTest, MessageToBufferPassesTheBufferFileKeyTenValuesAndTheDirectory) {
  bind_table();
  VynWchar buffer[VYN_PATH_SIZE] = {};
  const VynWchar name[] = u"PRT0001";
  yrlhost::call_log_set_result("VynMessageToBuffer_v", VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(VynMessageToBuffer(buffer, kMsgFile, "YRL_SKT_CLEAR_CONFIRM", name),
            VYN_TK_E_NOT_FOUND);
  std::vector<W> words = {word(buffer), word(kMsgFile), 0, word(name)};
  words.resize(13, 0);
  words[2] = call_log()[0].words[2];  // the key literal's address
  EXPECT_EQ(call_log(), std::vector<CallRecord>({{"VynMessageToBuffer_v", 42, words, "MSGS",
                                                  VYN_TK_E_NOT_FOUND}}));
  EXPECT_STREQ(reinterpret_cast<const char*>(words[2]), "YRL_SKT_CLEAR_CONFIRM");
}

TEST_F(AppApiTest, MessageFunctionsWithoutTheirHostFunctionReportAndGiveMinusOne) {
  yrltest::SeriousReports reports;
  EXPECT_EQ(VynMessageDisplay(kMsgFile, "YRL_DIALOG_ERROR"), VYN_TK_GENERAL_ERROR);
  VynWchar buffer[8] = {};
  EXPECT_EQ(VynMessageToBuffer(buffer, kMsgFile, "YRL_FEAT_EXISTS"), VYN_TK_GENERAL_ERROR);
  EXPECT_EQ(reports.lines(),
            std::vector<std::string>({yrltest::missing_function_report("VynMessageDisplay_v"),
                                      yrltest::missing_function_report("VynMessageToBuffer_v")}));
  EXPECT_TRUE(call_log().empty());
}

// The dialog's layout resource is found in the resource directory, which the function
// appends at every call; the caller passes the dialog's name twice.
TEST_F(AppApiTest, DialogCreateAppendsTheResourceDirectoryAtEveryCall) {
  bind_table();
  yrlhost::call_log_set_result("VynUIDialogCreate_v", VYN_TK_NO_ERROR);
  const char dialog[] = "yrlviewsetup";
  EXPECT_EQ(VynUIDialogCreate(dialog, dialog), VYN_TK_NO_ERROR);
  std::strcpy(resource_path, "OTHER");
  EXPECT_EQ(VynUIDialogCreate(dialog, dialog), VYN_TK_NO_ERROR);
  const CallRecord first{"VynUIDialogCreate_v", 42, {word(dialog), word(dialog)}, "RESOURCES", 0};
  CallRecord second = first;
  second.dir = "OTHER";
  EXPECT_EQ(call_log(), std::vector<CallRecord>({first, second}));
}

// ---- VynGtolleadersFree --------------------------------------------------------------

const char kLeadersFree[] = "VynGtolleadersFree_v";
const char kArrayFree[] = "VynArrayFree_v";

class GtolleadersFreeTest : public AppApiTest {
 protected:
  VynArray leaders = reinterpret_cast<VynArray>(0x5000);
};

TEST_F(GtolleadersFreeTest, ReleasesTheArrayOnlyAfterTheHostAnswersZero) {
  bind_table();
  struct Case {
    VynError host;         // the host function's answer
    VynError array_free;   // VynArrayFree's answer
    VynError result;
    bool released;
  };
  const Case cases[] = {
      {VYN_TK_NO_ERROR, VYN_TK_NO_ERROR, VYN_TK_NO_ERROR, true},
      {VYN_TK_NO_ERROR, VYN_TK_BAD_INPUTS, VYN_TK_BAD_INPUTS, true},
      {VYN_TK_GENERAL_ERROR, VYN_TK_NO_ERROR, VYN_TK_GENERAL_ERROR, false},
      {VYN_TK_E_NOT_FOUND, VYN_TK_NO_ERROR, VYN_TK_E_NOT_FOUND, false},
      {7, VYN_TK_NO_ERROR, 7, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.host);
    yrlhost::call_log_clear();
    yrlhost::call_log_set_result(kLeadersFree, c.host);
    yrlhost::call_log_set_result(kArrayFree, c.array_free);
    EXPECT_EQ(VynGtolleadersFree(&leaders), c.result);
    std::vector<CallRecord> expected = {{kLeadersFree, 42, {word(&leaders)}, std::nullopt, c.host}};
    if (c.released)
      expected.push_back({kArrayFree, 42, {word(&leaders)}, std::nullopt, c.array_free});
    EXPECT_EQ(call_log(), expected);
  }
}

TEST_F(GtolleadersFreeTest, WithoutItsHostFunctionReportsReleasesNothingAndBindsLater) {
  yrltest::SeriousReports reports;
  EXPECT_EQ(VynGtolleadersFree(&leaders), VYN_TK_GENERAL_ERROR);
  // Also when only its own host function is missing: VynArrayFree is not called.
  table_options.left_out = {kLeadersFree};
  bind_table();
  EXPECT_EQ(VynGtolleadersFree(&leaders), VYN_TK_GENERAL_ERROR);
  EXPECT_TRUE(call_log().empty());
  const std::string report = yrltest::missing_function_report(kLeadersFree);
  EXPECT_EQ(reports.lines(), std::vector<std::string>({report, report}));

  table_options.left_out.clear();
  bind_table();
  yrlhost::call_log_set_result(kLeadersFree, VYN_TK_NO_ERROR);  // the host has no leaders
  yrlhost::call_log_set_result(kArrayFree, VYN_TK_NO_ERROR);  // the leaders are not a real array
  EXPECT_EQ(VynGtolleadersFree(&leaders), VYN_TK_NO_ERROR);
  EXPECT_EQ(call_log_of(kLeadersFree).size(), 1u);
  EXPECT_EQ(call_log_of(kArrayFree).size(), 1u);
}

// ---- Typed parameters in the host's log ----------------------------------------------

void some_action(char*, char*, void*) {}
int some_command() { return 0; }

// Callbacks are logged as their address, doubles by the bits of their value, handles
// and records by address, a matrix by the address of its first row.
TEST_F(AppApiTest, HostLogsCallbacksDoublesAndHandlesAsWords) {
  bind_table();
  for (const char* key :
       {"VynUIPushbuttonActivateActionSet_v", "VynCmdActionAdd_v", "VynDrawingGeneralviewCreate_v"})
    yrlhost::call_log_set_result(key, VYN_TK_NO_ERROR);
  int record = 0;
  EXPECT_EQ(VynUIPushbuttonActivateActionSet("yrlcleanup", "Close", some_action, &record), 0);
  VynCmd command = nullptr;
  EXPECT_EQ(VynCmdActionAdd("YrlActionCleanUp", some_command, 2, some_command, 1, 1, &command), 0);
  const VynMdl drawing = reinterpret_cast<VynMdl>(0x1000);
  const double position[3] = {1, 2, 3};
  const double orientation[4][4] = {};
  VynView view = nullptr;
  EXPECT_EQ(
      VynDrawingGeneralviewCreate(drawing, nullptr, 2, 0, position, 0.25, orientation, &view), 0);

  const std::vector<CallRecord>& log = call_log();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].words[2], word(reinterpret_cast<const void*>(&some_action)));
  EXPECT_EQ(log[0].words[3], word(&record));
  EXPECT_EQ(log[1].words[1], word(reinterpret_cast<const void*>(&some_command)));
  EXPECT_EQ(log[1].words[3], log[1].words[1]);
  EXPECT_EQ(log[1].words[6], word(&command));
  EXPECT_EQ(log[2].words, (std::vector<W>{word(drawing), 0, 2, 0, word(position),
                                          std::bit_cast<W>(0.25), word(orientation), word(&view)}));
}

}  // namespace
