// The message, input, model-name and file utilities.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/util/host_arrays.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"
#include "tests/toolkit/toolkit_test.h"
#include "tests/toolkit/util/util_host_rows.h"
#include "toolkit/api/app_api.h"
#include "toolkit/testreport/testreport.h"
#include "toolkit/testreport/testreport_testing.h"
#include "toolkit/util/strinput.h"

namespace {

using utiltest::script;

class StrinputTest : public yrltest::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    table_options.extra = utiltest::input_rows();
    bind_table();
  }
  static const std::pair<std::u16string, std::string> please_answer;
};

const std::pair<std::u16string, std::string> StrinputTest::please_answer = {
    u"gen_msg.txt", "UTIL Please answer Y or N : "};

TEST_F(StrinputTest, MsgPrintShowsTheKeyOfThePrefixsMessageFile) {
  int count = 3;
  EXPECT_EQ(VynUtilMsgPrint("yrlform", "USER %0s", "text", &count), 0);
  ASSERT_EQ(script().messages.size(), 1u);
  EXPECT_EQ(script().messages[0].first, u"yrlform_msg.txt");
  EXPECT_EQ(script().messages[0].second, "USER %0s");
  // A prefix too long for the file-name buffer is cut, the suffix kept.
  std::string long_prefix(400, 'p');
  EXPECT_EQ(VynUtilMsgPrint(long_prefix.c_str(), "K"), 0);
  std::u16string file = script().messages[1].first;
  EXPECT_EQ(file.size(), 259u);
  EXPECT_EQ(file.substr(file.size() - 8), u"_msg.txt");
}

TEST_F(StrinputTest, YesnoGetTakesTheFirstCharacterOfTheAnswer) {
  struct Case {
    const char* what;
    std::vector<std::optional<std::u16string>> answers;
    const char* default_text;
    int expected;
    std::size_t reminders;  // "please answer Y or N" messages
  };
  const std::optional<std::u16string> nothing;
  const Case cases[] = {
      {"yes", {u"yes"}, "N", 1, 0},
      {"lower n", {u"n"}, "Y", 0, 0},
      {"No", {u"No"}, "Y", 0, 0},
      {"asks again", {u"maybe", u"?", u"y"}, "N", 1, 2},
      {"nothing: default Y", {nothing}, "Y", 1, 0},
      {"nothing: default y", {nothing}, "yes", 1, 0},
      {"nothing: default n", {nothing}, "n", 0, 0},
      {"empty answer: default", {u""}, "Y", 1, 0},
      {"nothing: null default", {nothing}, nullptr, 0, 0},
      {"nothing: unusable default", {nothing}, "x", 0, 0},
      {"nothing: empty default", {nothing}, "", 0, 0},
      {"garbage then nothing", {u"q", nothing}, "Y", 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    script() = utiltest::Script();
    script().strings.assign(c.answers.begin(), c.answers.end());
    EXPECT_EQ(VynUtilYesnoGet(c.default_text), c.expected);
    using Messages = std::vector<std::pair<std::u16string, std::string>>;
    EXPECT_EQ(script().messages, Messages(c.reminders, please_answer));
    for (int max_length : script().string_max_lengths) EXPECT_EQ(max_length, 4);
  }
}

TEST_F(StrinputTest, YesnoGetGivesUpOnEndlessUnusableAnswers) {
  for (int i = 0; i < 1000; ++i) script().strings.push_back(u"what");
  EXPECT_EQ(VynUtilYesnoGet("y"), 1);
  EXPECT_EQ(script().string_max_lengths.size(), std::size_t{VYN_UTIL_YESNO_ATTEMPTS});
  script().strings.clear();
  for (int i = 0; i < 1000; ++i) script().strings.push_back(u"what");
  EXPECT_EQ(VynUtilYesnoGet(nullptr), 0);
}

TEST_F(StrinputTest, NumberInputTakesTheAnswerOrTheDefault) {
  int range[2] = {0, 10};
  int out = -1, fallback = 4;
  script().ints = {7, std::nullopt, std::nullopt};
  EXPECT_EQ(VynUtilIntGet(range, nullptr, &out), 1);
  EXPECT_EQ(out, 7);
  EXPECT_EQ(VynUtilIntGet(range, &fallback, &out), 1);
  EXPECT_EQ(out, 4);
  out = -1;
  EXPECT_EQ(VynUtilIntGet(range, nullptr, &out), 0);
  EXPECT_EQ(out, -1);
  EXPECT_EQ(VynUtilIntGet(range, &fallback, nullptr), 0);

  double d = -1, d_fallback = 0.25;
  script().doubles = {2.5, std::nullopt, std::nullopt};
  EXPECT_EQ(VynUtilDoubleGet(nullptr, nullptr, &d), 1);
  EXPECT_EQ(d, 2.5);
  EXPECT_EQ(VynUtilDoubleGet(nullptr, &d_fallback, &d), 1);
  EXPECT_EQ(d, 0.25);
  d = -1;
  EXPECT_EQ(VynUtilDoubleGet(nullptr, nullptr, &d), 0);
  EXPECT_EQ(d, -1);
}

TEST_F(StrinputTest, StringInputKeepsEveryCharacterAndStaysWithinMaxLength) {
  VynWchar out[8];
  std::memset(out, 0xAB, sizeof out);
  script().strings = {u"\u4e2d\u6587 ok", u"much too long", std::nullopt, std::nullopt,
                      std::nullopt};
  EXPECT_EQ(VynUtilStringGet(out, nullptr, 7), 1);
  EXPECT_EQ(std::u16string(out), u"\u4e2d\u6587 ok");
  EXPECT_EQ(VynUtilStringGet(out, nullptr, 7), 1);
  EXPECT_EQ(std::u16string(out), u"much to");
  // The default is cut to the room given for an answer.
  EXPECT_EQ(VynUtilStringGet(out, u"default text", 7), 1);
  EXPECT_EQ(std::u16string(out), u"default");
  EXPECT_EQ(VynUtilStringGet(out, u"\u0101b", 7), 1);
  EXPECT_EQ(std::u16string(out), u"\u0101b");
  EXPECT_EQ(VynUtilStringGet(out, nullptr, 7), 0);
  EXPECT_EQ(std::u16string(out), u"\u0101b");
  EXPECT_EQ(script().string_max_lengths, std::vector<int>(5, 7));
  EXPECT_EQ(VynUtilStringGet(out, u"x", 0), 0);
  EXPECT_EQ(VynUtilStringGet(nullptr, u"x", 7), 0);
}

TEST_F(StrinputTest, ModelnameGetGivesTheCurrentModelsNameAndTypeLowerCased) {
  VynMdl drawing = reinterpret_cast<VynMdl>(std::uintptr_t{0x4000});
  script().current = drawing;
  script().name = u"PLATE_01";
  script().type = u"DRW";
  VynMdl model = nullptr;
  char name[VYN_UTIL_MODELNAME_SIZE], type[VYN_UTIL_MODELNAME_SIZE];
  EXPECT_EQ(VynUtilModelnameGet(&model, name, type), name);
  EXPECT_EQ(model, drawing);
  EXPECT_STREQ(name, "plate_01");
  EXPECT_STREQ(type, "drw");

  // A given model is not replaced by the current one; either output may be left out.
  VynMdl part = reinterpret_cast<VynMdl>(std::uintptr_t{0x5000});
  script().name = std::u16string(32, u'N');  // the whole field, no terminator
  EXPECT_EQ(VynUtilModelnameGet(&part, name, nullptr), name);
  EXPECT_EQ(part, reinterpret_cast<VynMdl>(std::uintptr_t{0x5000}));
  EXPECT_EQ(std::string(name), std::string(31, 'n'));
  EXPECT_EQ(VynUtilModelnameGet(&part, nullptr, type), nullptr);
  EXPECT_STREQ(type, "drw");
  EXPECT_EQ(script().data_asked_for, std::vector<VynMdl>({drawing, part, part}));
}

TEST_F(StrinputTest, ModelnameGetFailsWithoutAModelOrItsData) {
  char name[VYN_UTIL_MODELNAME_SIZE] = "untouched";
  VynMdl model = nullptr;
  script().current_status = VYN_TK_E_NOT_FOUND;
  EXPECT_EQ(VynUtilModelnameGet(&model, name, nullptr), nullptr);
  script().current_status = VYN_TK_GENERAL_ERROR;
  EXPECT_EQ(VynUtilModelnameGet(&model, name, nullptr), nullptr);
  EXPECT_TRUE(script().data_asked_for.empty());

  script().current_status = 0;
  script().current = reinterpret_cast<VynMdl>(std::uintptr_t{0x4000});
  script().data_status = VYN_TK_BAD_INPUTS;
  EXPECT_EQ(VynUtilModelnameGet(&model, name, nullptr), nullptr);
  EXPECT_STREQ(name, "untouched");
  EXPECT_EQ(VynUtilModelnameGet(nullptr, name, nullptr), nullptr);
}

TEST_F(StrinputTest, ModelnameGetHandsItsHostCallsToTheTestCallReport) {
  testreport_testing_reset();
  {
    yrltest::TempDir dir;
    yrltest::ScopedEnv env("R_VYNDEV_REGRESS", "no_crash");
    env.set("VYNTOOL_LOG_DIR", dir.path().c_str());
    ASSERT_EQ(VynTestRunmodeGet(), VYN_TEST_RUNMODE_REPORT);
    VynTestErrlogOpen("utilreport", "25", "2003100");
    script().current = reinterpret_cast<VynMdl>(std::uintptr_t{0x4000});
    script().name = u"p";
    VynMdl model = nullptr;
    char name[VYN_UTIL_MODELNAME_SIZE];
    EXPECT_EQ(VynUtilModelnameGet(&model, name, nullptr), name);
    model = nullptr;
    script().current_status = VYN_TK_E_NOT_FOUND;
    EXPECT_EQ(VynUtilModelnameGet(&model, name, nullptr), nullptr);
    VynTestErrlogClose();
    std::string log = yrltest::read_file(dir.file("utilreport.log"));
    for (auto [function, status] : {std::pair{"VynMdlCurrentGet()", 0},
                                    std::pair{"VynMdlDataGet()", 0},
                                    std::pair{"VynMdlCurrentGet()", -4}}) {
      char line[128];
      std::snprintf(line, sizeof line, "%-37s %-37.37s% -d\n", function, "VynUtilModelnameGet()",
                    status);
      EXPECT_NE(log.find(line), std::string::npos) << line << "\nin\n" << log;
    }
  }
  testreport_testing_reset();
}

// ---- Files

class StrfileTest : public yrltest::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    bind_table();
    strings = yrlhost::host_array_make(0, sizeof(VynWchar*));
  }
  void TearDown() override {
    VynWstringArrayFree(&strings);
    ToolkitTest::TearDown();
  }
  void add(const std::u16string& text) {
    VynWchar* pointer = const_cast<VynWchar*>(text.c_str());
    ASSERT_EQ(VynWstringArrayObjectAdd(&strings, -1, 1, &pointer), 0);
  }
  std::vector<std::u16string> texts() const {
    std::vector<std::u16string> result;
    for (int i = 0; i < yrlhost::host_array_size(strings); ++i)
      result.emplace_back(static_cast<VynWchar**>(strings)[i]);
    return result;
  }
  static std::u16string wide(const std::string& path) { return std::u16string(path.begin(), path.end()); }
  VynArray strings = nullptr;
  yrltest::TempDir dir;
};

TEST_F(StrfileTest, WritesEachStringAsALine) {
  add(u"TOP");
  add(u"");
  add(u"caf\u00e9");
  std::u16string path = wide(dir.file("views.txt"));
  EXPECT_EQ(VynUtilWstringArrayToFile(strings, path.c_str()), 0);
  EXPECT_EQ(yrltest::read_file(dir.file("views.txt")), "TOP\n\ncaf\xe9\n");
}

TEST_F(StrfileTest, ReadsLinesOfUpToEightyCharactersKeepingTheNewline) {
  std::string long_line(170, 'x');
  yrltest::write_file(dir.file("in.txt"), "FRONT\n" + long_line + "\ncaf\xe9");
  std::u16string path = wide(dir.file("in.txt"));
  EXPECT_EQ(VynUtilFileToWstringArray(path.c_str(), &strings), 0);
  EXPECT_EQ(texts(), std::vector<std::u16string>({u"FRONT\n", std::u16string(80, u'x'),
                                                  std::u16string(80, u'x'), u"xxxxxxxxxx\n",
                                                  u"caf\u00e9"}));
}

TEST_F(StrfileTest, AFileThatCannotBeOpenedGivesMinusOne) {
  std::u16string missing = wide(dir.file("no/such/dir/file.txt"));
  EXPECT_EQ(VynUtilWstringArrayToFile(strings, missing.c_str()), -1);
  EXPECT_EQ(VynUtilFileToWstringArray(missing.c_str(), &strings), -1);
  EXPECT_TRUE(texts().empty());
}

TEST_F(StrfileTest, FailuresOfTheHostArrayAreReturned) {
  VynWchar* plain[1] = {nullptr};
  std::u16string path = wide(dir.file("out.txt"));
  EXPECT_EQ(VynUtilWstringArrayToFile(plain, path.c_str()), -2);
  EXPECT_EQ(yrltest::read_file(dir.file("out.txt")), "");

  yrltest::write_file(dir.file("in.txt"), "a\nb\nc\n");
  std::u16string in = wide(dir.file("in.txt"));
  yrlhost::call_log_fail_on_call("VynWstringArrayObjectAdd_v", 2, VYN_TK_GENERAL_ERROR);
  EXPECT_EQ(VynUtilFileToWstringArray(in.c_str(), &strings), VYN_TK_GENERAL_ERROR);
  EXPECT_EQ(texts(), std::vector<std::u16string>({u"a\n"}));
}

}  // namespace
