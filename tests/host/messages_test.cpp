// Message files, formatting, the message area and the user's typed answers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/api/host_behaviours.h"
#include "host/plugin/host_table.h"
#include "host/ui/messages.h"
#include "host/plugin/plugin_session.h"
#include "host/script/script.h"
#include "host/util/utf16.h"
#include "tests/host/host_test.h"

namespace {

using yrlhost::Behaviour;
using yrlhost::HostApi;
using Display = Behaviour<HostApi::VynMessageDisplay>;
using ToBuffer = Behaviour<HostApi::VynMessageToBuffer>;

std::string shipped_dir() { return yrlhost::session_defaults().text_dir + "/text/usascii"; }

// A message directory of its own with one file, "test_msg.txt".
class MessagesTest : public yrltest::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    dir_ = std::filesystem::temp_directory_path() /
           ("yrl-messages-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    write("test_msg.txt",
          "# a test file\n"
          "STRING\n    say %0s\n"
          "WIDE\n    wide %0w\n"
          "INT\n    count %0d\n"
          "DOUBLE\n    value %0f\n"
          "ORDER\n    %1s before %0s, %1s again\n"
          "PERCENT\n    100%% of %0d\n"
          "PLAIN\n    no values\n"
          "LONG\n    %0s\n"
          "LONGW\n    %0w\n");
  }
  void TearDown() override {
    std::filesystem::remove_all(dir_);
    HostTest::TearDown();
  }
  void write(const std::string& name, const std::string& content) {
    std::ofstream(dir_ / name, std::ios::binary) << content;
  }
  // Shows key of test_msg.txt with values; the status.
  VynError show(const char* key, const void* v1 = nullptr, const void* v2 = nullptr,
                const void* v3 = nullptr) {
    return Display::run(1, u"test_msg.txt", key, v1, v2, v3, nullptr, nullptr, nullptr,
                        nullptr, nullptr, nullptr, nullptr, dir_.c_str());
  }
  std::filesystem::path dir_;
};

TEST_F(MessagesTest, FormatsEachValueTypeFromTheValuesAddress) {
  const char* name = "profile";
  const VynWchar* wide = u"Gr\u00fc\u00dfe";
  int count = -42;
  double value = 0.25, tiny = 1e-7;
  // An address no placeholder names must never be read.
  const void* unread = reinterpret_cast<const void*>(std::uintptr_t{0x10});
  struct Case {
    const char* key;
    const void *v1, *v2;
    const char* text;
  } cases[] = {
      {"STRING", name, unread, "say profile"},
      {"STRING", "caf\xe9", unread, "say caf\u00e9"},  // narrow text is in the code page
      {"WIDE", wide, unread, "wide Gr\u00fc\u00dfe"},
      {"INT", &count, unread, "count -42"},
      {"DOUBLE", &value, unread, "value 0.25"},
      {"DOUBLE", &tiny, unread, "value 1e-07"},
      {"ORDER", "first", "second", "second before first, second again"},
      {"PERCENT", &count, unread, "100% of -42"},
      {"PLAIN", unread, unread, "no values"},
      {"STRING", nullptr, unread, "say (null)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(show(c.key, c.v1, c.v2, unread), 0);
    EXPECT_EQ(yrlhost::message_log().back().text, c.text);
  }
  EXPECT_EQ(yrlhost::messages_displayed().size(), std::size(cases));
  // The record keeps each value that a placeholder read, by its number.
  show("ORDER", "a", "b");
  const yrlhost::MessageRecord& record = yrlhost::message_log().back();
  EXPECT_EQ(record.file, "test_msg.txt");
  EXPECT_EQ(record.key, "ORDER");
  EXPECT_EQ(record.values, (std::vector<std::string>{"a", "b"}));
}

TEST_F(MessagesTest, UnknownFileOrKeyIsNotFoundAndLoggedWithTheKey) {
  EXPECT_EQ(show("NO_SUCH_KEY"), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(Display::run(1, u"none_msg.txt", "STRING", "x", nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr, nullptr, dir_.c_str()),
            VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(Display::run(1, u"test_msg.txt", "STRING", "x", nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr, nullptr, "/no/such/dir"),
            VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(show(nullptr), VYN_TK_BAD_INPUTS);
  ASSERT_EQ(yrlhost::message_log().size(), 4u);
  EXPECT_EQ(yrlhost::message_log()[0].text, "NO_SUCH_KEY");
  EXPECT_EQ(yrlhost::message_log()[0].status, VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(yrlhost::message_log()[1].file, "none_msg.txt");
  EXPECT_TRUE(yrlhost::messages_displayed().empty());
}

TEST_F(MessagesTest, ThroughTheTableTheCallIsLoggedWithTheDirectory) {
  auto table = yrlhost::host_table_build();
  auto display = yrlhost::host_function<HostApi::VynMessageDisplay>(table);
  ASSERT_NE(display, nullptr);
  int count = 3;
  EXPECT_EQ(display(1, u"test_msg.txt", "INT", &count, nullptr, nullptr, nullptr, nullptr,
                    nullptr, nullptr, nullptr, nullptr, nullptr, dir_.c_str()),
            0);
  auto calls = yrlhost::call_log_of("VynMessageDisplay_v");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].dir, dir_.string());
  EXPECT_EQ(yrlhost::messages_displayed(), (std::vector<std::string>{"count 3"}));
}

TEST_F(MessagesTest, ClearEmptiesTheMessageAreaButNotTheLog) {
  show("PLAIN");
  Behaviour<HostApi::VynMessageClear>::run(1);
  show("STRING", "after");
  EXPECT_EQ(yrlhost::message_area(), (std::vector<std::string>{"say after"}));
  EXPECT_EQ(yrlhost::messages_displayed().size(), 2u);
  EXPECT_EQ(yrlhost::message_log()[1].event, yrlhost::MessageEvent::clear);
}

TEST_F(MessagesTest, AFileIsReadOnceAndKept) {
  show("PLAIN");
  write("test_msg.txt", "PLAIN\n    changed\n");
  show("PLAIN");
  EXPECT_EQ(yrlhost::message_log().back().text, "no values");
}

TEST_F(MessagesTest, ToBufferWritesATerminatedLineCutAtTheHostsLength) {
  constexpr std::size_t room = yrlhost::message_buffer_units;
  std::vector<VynWchar> buffer(room + 8, u'#');
  auto fill = [&](const char* key, const void* v1) {
    std::fill(buffer.begin(), buffer.end(), u'#');
    return ToBuffer::run(1, buffer.data(), u"test_msg.txt", key, v1, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, dir_.c_str());
  };
  int count = 7;
  ASSERT_EQ(fill("INT", &count), 0);
  EXPECT_EQ(yrlhost::utf8_from_utf16(buffer.data(), room), "count 7");

  // Longer than the line: room - 1 characters and the terminator, nothing beyond.
  std::string long_text(room + 40, 'x');
  ASSERT_EQ(fill("LONG", long_text.c_str()), 0);
  EXPECT_EQ(buffer[room - 2], u'x');
  EXPECT_EQ(buffer[room - 1], u'\0');
  EXPECT_EQ(buffer[room], u'#');

  // A surrogate pair across the cut is left out whole.
  std::u16string with_pair(room - 2, u'y');
  with_pair += u"\U0001F600";
  ASSERT_EQ(fill("LONGW", with_pair.c_str()), 0);
  EXPECT_EQ(buffer[room - 3], u'y');
  EXPECT_EQ(buffer[room - 2], u'\0');
  EXPECT_EQ(buffer[room], u'#');

  // Failures leave the buffer as it was.
  EXPECT_EQ(fill("NO_SUCH_KEY", nullptr), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(buffer[0], u'#');
  EXPECT_EQ(ToBuffer::run(1, nullptr, u"test_msg.txt", "PLAIN", nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          dir_.c_str()),
            VYN_TK_BAD_INPUTS);
  // Nothing of ToBuffer reaches the message area.
  EXPECT_TRUE(yrlhost::messages_displayed().empty());
}

TEST(MessageFileParse, AcceptsTheFormatAndNamesEachFault) {
  auto good = yrlhost::message_file_parse(
      "# comment\n\nKEY ONE %0s\n    text %0s\r\n\tgoes on\n\"QUOTED \"\n  \" spaced \"\n");
  EXPECT_TRUE(good.errors.empty());
  EXPECT_EQ(good.texts["KEY ONE %0s"], "text %0s\ngoes on");
  EXPECT_EQ(good.texts["QUOTED "], " spaced ");

  struct Case {
    const char* content;
    const char* error;
  } cases[] = {
      {"    text first\n", "line 1: a text before any key"},
      {"A\n    one\nA\n    two\n", "line 3: key \"A\" given twice"},
      {"A\nB\n    two\n", "key \"A\" has no text"},
      {"A\n    one\nB\n", "key \"B\" has no text"},
      {"A\n    50% off\n", "line 2: a '%' stands before a value number or another '%' only"},
      {"A\n    %0x\n", "line 2: a placeholder is %<0-9><s|w|d|f>"},
      {"A\n    end %\n", "line 2: a '%' stands before a value number or another '%' only"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    auto parsed = yrlhost::message_file_parse(c.content);
    ASSERT_EQ(parsed.errors.size(), 1u);
    EXPECT_EQ(parsed.errors[0], c.error);
  }
}

TEST_F(MessagesTest, ABrokenFileAnswersNotFound) {
  write("broken_msg.txt", "A\n    one\nA\n    two\n");
  EXPECT_EQ(Display::run(1, u"broken_msg.txt", "A", nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr, nullptr, dir_.c_str()),
            VYN_TK_E_NOT_FOUND);
}

// Every key the application and the toolkit utilities show, by message file.
TEST(ShippedMessageFiles, ParseAndHoldEveryKeyInUse) {
  struct FileKeys {
    const char* file;
    std::vector<std::string> keys;
  } files[] = {
      {"yrlform_msg.txt",
       {"YRLFORM ERROR %0s", "YRLFORM INFO %0s", "YRLFORM INFO %0s %1f", "YRLFORM INFO %0s %1s",
        "YRLFORM INFO %0s %1s %2s %3d", "YRLFORM PROMPT %0s", "YRLFORM WARN %0s",
        "YRLFORM_SCALE_SET_ERROR", "YRL_ADD_REMOVE_PROMPT", "YRL_AUX_SEC_VIEW_NO_SRF_EDGE",
        "YRL_BROWSER_OPEN_FAILED", "YRL_CONFIG_OPEN_FAILED", "YRL_COULD_NOT_SELECT_BLIND",
        "YRL_DIALOG_ERROR", "YRL_DOUBLE_STORAGE_ERROR", "YRL_ENT_VIEW_VALIDATE",
        "YRL_EXTREF_CLEAR_CONFIRM", "YRL_FEATDLG_CANCEL_CONFIRM", "YRL_FEAT_DTMPNT_ENTS_SELECT",
        "YRL_FEAT_DTM_CURVES", "YRL_FEAT_EXISTS", "YRL_FEAT_NO_DATUM_FOR_VIEW",
        "YRL_FEAT_OVERLAP_ENTITIES", "YRL_FEAT_PROCESSING", "YRL_FEAT_SKT_INTERNAL_FAILURE",
        "YRL_FEAT_SOLVING_SECTION", "YRL_INT_STORAGE_ERROR", "YRL_INVALID_ANGLE_VALUE",
        "YRL_INVALID_MDLNAME", "YRL_LAYERITEM_ADD_FAILED", "YRL_LAYERITEM_INIT_FAILED",
        "YRL_LAYER_CREATE_FAILED", "YRL_LAYER_EXISTS", "YRL_LINE_FOR_DATUM",
        "YRL_LOCATE_DATUM_FAILED", "YRL_MDL_CREATE", "YRL_MDL_CREATE_SET", "YRL_MDL_EXISTS",
        "YRL_NEWPART_LENGTH", "YRL_NOTEDATAGET_FAILED", "YRL_NOTEIDGET_FAILED",
        "YRL_NO_ENT_SELECTED", "YRL_REFPLN_NOT_VALID", "YRL_SAVED_CONFIG", "YRL_SECTION_EXISTS",
        "YRL_SECTION_FIND_FAILED", "YRL_SELECTION_ABORTED", "YRL_SELECT_LAYER",
        "YRL_SELECT_LINE_FAILED", "YRL_SELECT_SECTPLN_FAILED", "YRL_SELECT_VALID_LINE_1",
        "YRL_SELECT_VALID_LINE_2", "YRL_SELECT_VALID_LINE_3", "YRL_SELECT_VIEWNAME",
        "YRL_SEL_CUT_PLANE_PROMPT", "YRL_SEL_REF_AUX_POS_PROMPT", "YRL_SEL_REF_DET_POS_PROMPT",
        "YRL_SEL_REF_POS1_PROMPT", "YRL_SEL_REF_POS_PROMPT", "YRL_SEL_VPR_PROMPT",
        "YRL_SKTPLN_CLEAR_CONFIRM", "YRL_SKT_CLEAR_CONFIRM", "YRL_STR_STORAGE_ERROR",
        "YRL_SYMINSTDATAGET_FAILED", "YRL_SYMINSTIDGET_FAILED", "YRL_TRANS_MATRIX_GET_FAILED"}},
      {"transition_msg.txt", {"YRL_DIALOG_ERROR", "YRL_FEAT_PROCESSING", "YRL_FEAT_EXISTS"}},
      {"gen_msg.txt", {"UTIL Please answer Y or N : ", "USER %0s", "TEST %0s"}},
      {"yrl_menubar_msg.txt",
       {"Yrlform", "YrlFeature", "Button Preferences", "Button Preferences Help",
        "Button Clean Up", "Button Clean Up Help", "Button View Setup",
        "Button View Setup Help", "Button Part Setup", "Button Part Setup Help", "Button Help",
        "Button Help Help", "Button About", "Button About Help", "Button EndPoints",
        "Button EndPoints Help", "Button Protrusion", "Button Protrusion Help",
        "Button Revolve", "Button Revolve Help", "Button SHole", "Button SHole Help",
        "Button DPlane", "Button DPlane Help", "Button DCurve", "Button DCurve Help",
        "Button DPoint", "Button DPoint Help"}},
  };
  for (const FileKeys& file : files) {
    SCOPED_TRACE(file.file);
    auto content = yrlhost::message_file_read(shipped_dir() + "/" + file.file);
    ASSERT_TRUE(content.has_value());
    EXPECT_EQ(content->errors, std::vector<std::string>{});
    for (const std::string& key : file.keys)
      EXPECT_TRUE(content->texts.count(key)) << "no text for \"" << key << "\"";
  }
  // The generic keys are their own formats.
  auto yrlform = yrlhost::message_file_read(shipped_dir() + "/yrlform_msg.txt");
  ASSERT_TRUE(yrlform.has_value());
  for (const auto& [key, text] : yrlform->texts) {
    if (key.rfind("YRLFORM ", 0) == 0) {
      EXPECT_EQ(text, key);
    }
  }
}

// The user's typed answers.
class MessageReadTest : public yrltest::HostTest {
 protected:
  static void answer(const std::string& text) {
    yrlhost::ScriptAction action;
    action.kind = yrlhost::ScriptActionKind::input_type;
    action.component = "message";
    action.text = text;
    action.event = yrlhost::InputEvent::activate;
    yrlhost::script_push(action);
  }
};

TEST_F(MessageReadTest, StringReadTakesTheAnswerCutToTheLength) {
  using Read = Behaviour<HostApi::VynMessageStringRead>;
  VynWchar text[8];
  std::fill(std::begin(text), std::end(text), u'#');
  answer("yes please");
  ASSERT_EQ(Read::run(1, 4, text), 0);
  EXPECT_EQ(yrlhost::utf8_from_utf16(text, 8), "yes ");
  EXPECT_EQ(text[5], u'#');
  EXPECT_TRUE(yrlhost::script_failures().empty());
  EXPECT_EQ(yrlhost::message_log().back().event, yrlhost::MessageEvent::input);
}

TEST_F(MessageReadTest, NothingGivenIsAnAbortAndAMissingAnswerAScriptFailure) {
  using Read = Behaviour<HostApi::VynMessageStringRead>;
  VynWchar text[8] = {u'#'};
  answer("");
  EXPECT_EQ(Read::run(1, 4, text), VYN_TK_USER_ABORT);
  EXPECT_EQ(text[0], u'#');
  EXPECT_TRUE(yrlhost::script_failures().empty());

  EXPECT_EQ(Read::run(1, 4, text), VYN_TK_USER_ABORT);
  yrlhost::ScriptAction press;
  press.kind = yrlhost::ScriptActionKind::button_press;
  press.dialog = "yrlabout";
  press.component = "CloseButton";
  yrlhost::script_push(press);
  EXPECT_EQ(Read::run(1, 4, text), VYN_TK_USER_ABORT);
  EXPECT_EQ(yrlhost::script_take_failures().size(), 2u);
  // The press is not the prompt's to take: it stays for the dialog that waits for it.
  ASSERT_EQ(yrlhost::script_size(), 1u);
  EXPECT_EQ(yrlhost::script_front()->kind, yrlhost::ScriptActionKind::button_press);
  EXPECT_EQ(Read::run(1, 4, nullptr), VYN_TK_BAD_INPUTS);
}

TEST_F(MessageReadTest, NumbersOutsideTheRangeOrUnreadableAreAskedAgain) {
  const int range[2] = {0, 10};
  int value = -1;
  for (const char* text : {"seven", "12", " 7 "}) answer(text);
  EXPECT_EQ(Behaviour<HostApi::VynMessageIntegerRead>::run(1, range, &value), 0);
  EXPECT_EQ(value, 7);

  double number = 0;
  answer("2.5x");
  answer("-2.5");
  EXPECT_EQ(Behaviour<HostApi::VynMessageDoubleRead>::run(1, nullptr, &number), 0);
  EXPECT_EQ(number, -2.5);
  // Fault: "nan" passed every range check; a number is finite.
  const double bounds[2] = {0, 10};
  for (const char* text : {"nan", "inf", "5"}) answer(text);
  EXPECT_EQ(Behaviour<HostApi::VynMessageDoubleRead>::run(1, bounds, &number), 0);
  EXPECT_EQ(number, 5);

  value = -1;
  answer("99");
  EXPECT_EQ(Behaviour<HostApi::VynMessageIntegerRead>::run(1, range, &value), VYN_TK_USER_ABORT);
  EXPECT_EQ(value, -1);
  EXPECT_EQ(yrlhost::script_take_failures().size(), 1u);
}

}  // namespace
