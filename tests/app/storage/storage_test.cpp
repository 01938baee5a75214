// Records stored in the drawing, through the stand-in host's external data: registration
// per drawing, typed slots, string arrays, save and reopen, failures and what they free.
#include "app/storage/storage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/plugin/call_log.h"
#include "host/store/extdata.h"
#include "host/util/host_arrays.h"
#include "host/util/live_objects.h"
#include "host/ui/messages.h"
#include "host/store/models.h"
#include "host/files/model_files.h"
#include "runtime/text/lang.h"
#include "tests/app/app_test.h"
#include "toolkit/local/local_param.h"

namespace {

using yrlhost::LiveKind;

class Storage : public yrltest::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ASSERT_EQ(start_app(), 0) << error();
    drawing = new_drawing("DRW0001");
  }

  // The slots of a model as the host would save them: "slot <name> <type> <hex>".
  static std::vector<std::string> slot_lines(VynMdl model) {
    std::vector<std::string> slots;
    for (const std::string& line : yrlhost::extdata_save_lines(model))
      if (line.rfind("slot ", 0) == 0) slots.push_back(line);
    return slots;
  }

  static bool has_slot(VynMdl model, const std::string& name) {
    for (const std::string& line : slot_lines(model))
      if (line.rfind("slot " + name + " ", 0) == 0) return true;
    return false;
  }

  // The messages shown with this key, with their values.
  static std::vector<yrlhost::MessageRecord> shown(const std::string& key) {
    std::vector<yrlhost::MessageRecord> found;
    for (const yrlhost::MessageRecord& record : yrlhost::message_log())
      if (record.event == yrlhost::MessageEvent::display && record.key == key) found.push_back(record);
    return found;
  }

  // A host array of narrow strings as the view-map code builds it.
  static VynArray string_array(const std::vector<std::string>& texts) {
    return yrlhost::host_string_vynarray_make(texts);
  }

  static std::vector<std::string> read_array(VynArray array) {
    std::vector<std::string> texts;
    int n = 0;
    EXPECT_EQ(VynArraySizeGet(array, &n), 0);
    for (int i = 0; i < n; ++i) texts.emplace_back(static_cast<char**>(array)[i]);
    return texts;
  }

  static void free_array(VynArray array) {
    int n = 0;
    ASSERT_EQ(VynArraySizeGet(array, &n), 0);
    for (int i = 0; i < n; ++i) std::free(static_cast<char**>(array)[i]);
    ASSERT_EQ(VynArrayFree(&array), 0);
  }

  static void free_host_strings(VynArray array) { ASSERT_EQ(VynStringvynarrayFree(array), 0); }

  VynMdl drawing = nullptr;
};

// ---- Registration -----------------------------------------------------------------------

TEST_F(Storage, RegistrationBindsEachClassToTheCurrentDrawing) {
  EXPECT_EQ(YrlAllClassRegister(), 0);
  EXPECT_EQ(ViewClassRegistered, 1);
  EXPECT_EQ(PartClassRegistered, 1);
  EXPECT_EQ(ActiveClassRegistered, 0);  // the active part's class is registered by its callers
  EXPECT_EQ(view_class.model, drawing);
  EXPECT_EQ(std::u16string(view_class.name), u"Y_V");
  EXPECT_EQ(std::u16string(part_class.name), u"Y_P");
  EXPECT_EQ(YrlActiveClassRegister(), 0);
  EXPECT_EQ(std::u16string(active_class.name), u"Y_A");

  // Registered again while the same drawing is current: nothing more is registered.
  yrlhost::call_log_clear();
  EXPECT_EQ(YrlViewClassRegister(), 0);
  EXPECT_TRUE(yrlhost::call_log_of("VynExtdataClassRegister_v").empty());
  EXPECT_TRUE(yrlhost::call_log_of("VynExtdataInit_v").empty());
}

TEST_F(Storage, AClassThatExistsIsFoundNotRegisteredAgain) {
  EXPECT_EQ(YrlViewClassRegister(), 0);
  std::size_t arrays = yrlhost::live_object_count(LiveKind::array);
  YrlAllClassRegisterSet(0);
  std::memset(&view_class, 0, sizeof view_class);
  yrlhost::call_log_clear();
  EXPECT_EQ(YrlViewClassRegister(), 0);
  EXPECT_TRUE(yrlhost::call_log_of("VynExtdataClassRegister_v").empty());
  EXPECT_EQ(view_class.model, drawing);
  EXPECT_EQ(std::u16string(view_class.name), u"Y_V");
  EXPECT_EQ(yrlhost::live_object_count(LiveKind::array), arrays);  // the class listing was freed
  // A missing name is no class, and the record is left alone.
  VynExtdataClass record{};
  EXPECT_EQ(YrlClassExists(drawing, nullptr, &record), 0);
  EXPECT_EQ(record.model, nullptr);
  EXPECT_EQ(yrlhost::live_object_count(LiveKind::array), arrays);
}

TEST_F(Storage, ASecondDrawingGetsItsOwnRegistration) {
  ASSERT_EQ(YrlViewClassRegister(), 0);
  ASSERT_EQ(YrlViewIntegerSave("YRL_V_GROUPID", 14), 0);

  VynMdl second = new_drawing("DRW0002");
  ASSERT_EQ(yrlhost::host_current_model(), second);
  ASSERT_EQ(ViewClassRegistered, 1);
  EXPECT_EQ(YrlViewClassRegister(), 0);
  EXPECT_EQ(view_class.model, second);
  ASSERT_EQ(YrlViewIntegerSave("YRL_V_GROUPID", 10), 0);

  int value = 0;
  EXPECT_EQ(YrlViewIntegerRetrieve("YRL_V_GROUPID", &value), 0);
  EXPECT_EQ(value, 10);
  ASSERT_TRUE(yrlhost::host_model_make_current(drawing));
  EXPECT_EQ(YrlViewClassRegister(), 0);
  EXPECT_EQ(view_class.model, drawing);
  EXPECT_EQ(YrlViewIntegerRetrieve("YRL_V_GROUPID", &value), 0);
  EXPECT_EQ(value, 14);  // the first drawing's value was never overwritten
}

// A record registered in one drawing never reaches it once another drawing is current,
// whether its registration there failed or was not tried.
TEST_F(Storage, ARecordOfAnotherDrawingReachesNoModel) {
  ASSERT_EQ(YrlAllClassRegister(), 0);
  ASSERT_EQ(YrlViewIntegerSave("YRL_V_GROUPID", 14), 0);
  ASSERT_EQ(YrlPartStringSave("V_P_0", "FRONT,FRONT,5"), 0);
  const std::vector<std::string> first_slots = slot_lines(drawing);

  VynMdl second = new_drawing("DRW0002");
  struct Case {
    const char* what;
    const char* failing;  // host function made to fail on the registration's call; null: none tried
  };
  const Case cases[] = {
      {"registration not tried", nullptr},
      {"data cannot be initialised", "VynExtdataInit_v"},
      {"class cannot be registered", "VynExtdataClassRegister_v"},
      {"data cannot be loaded", "VynExtdataLoadAll_v"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.failing) {
      yrlhost::call_log_fail_on_call(c.failing, 1);
      EXPECT_NE(YrlViewClassRegister(), 0);
      EXPECT_EQ(ViewClassRegistered, 0);
      EXPECT_EQ(view_class.model, nullptr);
    }
    std::size_t shown_before = shown("YRL_INT_STORAGE_ERROR").size();
    EXPECT_EQ(YrlViewIntegerSave("YRL_V_GROUPID", 99), YRL_CLASS_NOT_REGISTERED);
    EXPECT_EQ(shown("YRL_INT_STORAGE_ERROR").size(), shown_before + 1);
    EXPECT_EQ(YrlPartStringSave("V_P_0", "TOP,TOP,1"), YRL_CLASS_NOT_REGISTERED);
    EXPECT_EQ(YrlViewDoubleSave("YRL_DWGSCALE", 2.0), YRL_CLASS_NOT_REGISTERED);
    EXPECT_EQ(YrlViewStreamSave("FRONT", 2, "ab"), YRL_CLASS_NOT_REGISTERED);
    EXPECT_EQ(YrlViewStreamDelete("YRL_V_GROUPID"), YRL_CLASS_NOT_REGISTERED);
    int value = -1;
    EXPECT_EQ(YrlViewIntegerRetrieve("YRL_V_GROUPID", &value), YRL_CLASS_NOT_REGISTERED);
    EXPECT_EQ(value, -1);  // the first drawing's value is not handed out as this one's
    VynArray names = nullptr;
    int count = 0;
    EXPECT_EQ(YrlViewSlotNamesGet(&names, &count), YRL_CLASS_NOT_REGISTERED);
    EXPECT_EQ(names, nullptr);
    EXPECT_EQ(slot_lines(drawing), first_slots);
    EXPECT_TRUE(slot_lines(second).empty());
  }

  // Registered in the second drawing, the writers reach it, and only it.
  ASSERT_EQ(YrlAllClassRegister(), 0);
  EXPECT_EQ(YrlViewIntegerSave("YRL_V_GROUPID", 99), 0);
  EXPECT_TRUE(has_slot(second, "YRL_V_GROUPID"));
  EXPECT_EQ(slot_lines(drawing), first_slots);
}

TEST_F(Storage, TheFlagIsSetOnlyWhenRegistrationSucceeded) {
  struct Case {
    const char* failing;  // host function made to fail on its next call
    int status;
  };
  const Case cases[] = {
      {"VynMdlCurrentGet_v", YRL_CLASS_NOT_REGISTERED},
      {"VynExtdataInit_v", YRL_CLASS_NOT_REGISTERED},
      {"VynExtdataClassRegister_v", -1},
      {"VynExtdataLoadAll_v", -1},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failing);
    VynMdl fresh = new_drawing("DRW1" + std::to_string(n++));  // a drawing without the class
    yrlhost::call_log_fail_on_call(c.failing, 1);
    EXPECT_EQ(YrlPartClassRegister(), c.status);
    EXPECT_EQ(PartClassRegistered, 0);
    // The next attempt registers.
    EXPECT_EQ(YrlPartClassRegister(), 0);
    EXPECT_EQ(PartClassRegistered, 1);
    EXPECT_EQ(part_class.model, fresh);
  }
}

TEST_F(Storage, NoCurrentModelLeavesTheClassUnregistered) {
  yrlhost::host_models_erase_all();
  EXPECT_EQ(YrlAllClassRegister(), YRL_CLASS_NOT_REGISTERED);
  EXPECT_EQ(ViewClassRegistered, 0);
  EXPECT_EQ(PartClassRegistered, 0);
}

// ---- Save and reopen --------------------------------------------------------------------

TEST_F(Storage, EveryRecordKindSurvivesSaveAndReopen) {
  ASSERT_EQ(YrlAllClassRegister(), 0);
  ASSERT_EQ(YrlActiveClassRegister(), 0);
  ASSERT_EQ(YrlActiveStringSave("ACTIVE_PART", "BRACKET"), 0);
  ASSERT_EQ(YrlViewIntegerSave("YRL_V_GROUPID", 12), 0);
  ASSERT_EQ(YrlViewDoubleSave("YRL_DWGSCALE", 0.125), 0);
  ASSERT_EQ(YrlViewIntegerSave("FRONT_0", 0), 0);  // zero is stored like any value
  std::vector<unsigned char> stream(256);
  for (std::size_t i = 0; i < stream.size(); ++i) stream[i] = static_cast<unsigned char>(i * 7);
  ASSERT_EQ(YrlViewStreamSave("FRONT", 256, stream.data()), 0);
  ASSERT_EQ(YrlPartStreamSave("BLOB", 3, "\x01\x00\x02"), 0);
  VynArray entries = string_array({"FRONT,FRONT,3", "TOP,TOP,1"});
  ASSERT_EQ(YrlPartStringArraySave("BRACKET", entries), 0);
  free_host_strings(entries);
  ASSERT_EQ(YrlPartIntegerSave("V_BRACKET_SHT", 2), 0);

  std::string error;
  ASSERT_TRUE(yrlhost::host_model_save(drawing, "drw0001.drw", error)) << error;
  ASSERT_TRUE(yrlhost::host_model_erase(drawing));
  VynMdl reopened = yrlhost::host_model_open("drw0001.drw", error);
  ASSERT_NE(reopened, nullptr) << error;

  ASSERT_EQ(YrlAllClassRegister(), 0);
  ASSERT_EQ(YrlActiveClassRegister(), 0);
  EXPECT_EQ(view_class.model, reopened);
  char text[YRL_STORE_STRING_SIZE] = "";
  EXPECT_EQ(YrlActiveStringRetrieve("ACTIVE_PART", text), 0);
  EXPECT_STREQ(text, "BRACKET");
  VynWchar wide[YRL_STORE_STRING_SIZE] = {};
  EXPECT_EQ(YrlPartWstringRetrieve("V_BRACKET_0", wide), 0);
  EXPECT_EQ(std::u16string(wide), u"FRONT,FRONT,3");
  int number = -1;
  EXPECT_EQ(YrlViewIntegerRetrieve("YRL_V_GROUPID", &number), 0);
  EXPECT_EQ(number, 12);
  EXPECT_EQ(YrlViewIntegerRetrieve("FRONT_0", &number), 0);
  EXPECT_EQ(number, 0);
  EXPECT_EQ(YrlPartIntegerRetrieve("V_BRACKET_SHT", &number), 0);
  EXPECT_EQ(number, 2);
  double scale = 0;
  EXPECT_EQ(YrlViewDoubleRetrieve("YRL_DWGSCALE", &scale), 0);
  EXPECT_EQ(scale, 0.125);
  void* data = nullptr;
  int size = 0;
  ASSERT_EQ(YrlViewStreamRetrieve("FRONT", &data, &size), 0);
  ASSERT_EQ(size, 256);
  EXPECT_EQ(std::memcmp(data, stream.data(), 256), 0);
  EXPECT_EQ(VynExtdataFree(&data), 0);
  ASSERT_EQ(YrlPartStreamRetrieve("BLOB", &data, &size), 0);
  EXPECT_EQ(size, 3);
  EXPECT_EQ(std::memcmp(data, "\x01\x00\x02", 3), 0);
  EXPECT_EQ(VynExtdataFree(&data), 0);
  VynArray back = nullptr;
  ASSERT_EQ(YrlPartStringArrayRetrieve("BRACKET", &back), 0);
  EXPECT_EQ(read_array(back), (std::vector<std::string>{"FRONT,FRONT,3", "TOP,TOP,1"}));
  free_array(back);

  int type = 0;
  EXPECT_EQ(YrlViewSlotRetrieve("YRL_DWGSCALE", &type, &size, &data), 0);
  EXPECT_EQ(type, YRL_SLOT_DOUBLE);
  EXPECT_EQ(size, 8);
  EXPECT_EQ(VynExtdataFree(&data), 0);
  EXPECT_EQ(yrlhost::live_object_count(LiveKind::extdata), 0u);
}

// ---- Writing ----------------------------------------------------------------------------

TEST_F(Storage, AnEmptyStringIsNeverStored) {
  ASSERT_EQ(YrlActiveClassRegister(), 0);
  EXPECT_EQ(YrlActiveStringSave("ACTIVE_PART", ""), 0);
  EXPECT_EQ(YrlActiveStringSave("ACTIVE_PART", nullptr), 0);
  EXPECT_FALSE(has_slot(drawing, "ACTIVE_PART"));
  ASSERT_EQ(YrlActiveStringSave("ACTIVE_PART", "PLATE"), 0);
  EXPECT_EQ(YrlActiveStringSave("ACTIVE_PART", ""), 0);
  char text[YRL_STORE_STRING_SIZE] = "";
  EXPECT_EQ(YrlActiveStringRetrieve("ACTIVE_PART", text), 0);
  EXPECT_STREQ(text, "PLATE");
}

TEST_F(Storage, WritingAnExistingSlotOverwritesIt) {
  ASSERT_EQ(YrlViewClassRegister(), 0);
  ASSERT_EQ(YrlViewIntegerSave("YRL_V_GROUPID", 10), 0);
  ASSERT_EQ(YrlViewIntegerSave("YRL_V_GROUPID", 11), 0);
  int value = 0;
  EXPECT_EQ(YrlViewIntegerRetrieve("YRL_V_GROUPID", &value), 0);
  EXPECT_EQ(value, 11);
  // A slot may change its type when it is written again.
  ASSERT_EQ(YrlViewDoubleSave("YRL_V_GROUPID", 2.5), 0);
  double d = 0;
  EXPECT_EQ(YrlViewDoubleRetrieve("YRL_V_GROUPID", &d), 0);
  EXPECT_EQ(d, 2.5);
}

TEST_F(Storage, AFailedWriteShowsItsStorageMessage) {
  ASSERT_EQ(YrlAllClassRegister(), 0);
  ASSERT_EQ(YrlActiveClassRegister(), 0);
  struct Case {
    const char* key;
    int (*write)();
  };
  const Case cases[] = {
      {"YRL_STR_STORAGE_ERROR", [] { return YrlActiveStringSave("ACTIVE_PART", "PLATE"); }},
      {"YRL_INT_STORAGE_ERROR", [] { return YrlPartIntegerSave("V_PLATE_SHT", 3); }},
      {"YRL_DOUBLE_STORAGE_ERROR", [] { return YrlViewDoubleSave("YRL_DWGSCALE", 2.0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    yrlhost::call_log_fail_on_call("VynExtdataSlotWrite_v", 1, -3);
    EXPECT_EQ(c.write(), -3);
    auto messages = shown(c.key);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].values.at(1), "-3");
  }
  EXPECT_EQ(shown("YRL_STR_STORAGE_ERROR")[0].values.at(0), "ACTIVE_PART");
  // The stream writer only returns its status.
  std::size_t before = yrlhost::message_log().size();
  yrlhost::call_log_fail_on_call("VynExtdataSlotWrite_v", 1, -3);
  EXPECT_EQ(YrlViewStreamSave("FRONT", 4, "abcd"), -3);
  EXPECT_EQ(yrlhost::message_log().size(), before);
}

// ---- Reading ----------------------------------------------------------------------------

TEST_F(Storage, ASlotOfAnotherTypeGivesMinusSixAndNoValue) {
  ASSERT_EQ(YrlViewClassRegister(), 0);
  ASSERT_EQ(YrlViewIntegerSave("YRL_V_GROUPID", 10), 0);
  ASSERT_EQ(YrlViewStringSave("NAME", "X"), 0);
  double d = 7.0;
  EXPECT_EQ(YrlViewDoubleRetrieve("YRL_V_GROUPID", &d), YRL_SLOT_WRONG_TYPE);
  EXPECT_EQ(d, 7.0);
  char text[YRL_STORE_STRING_SIZE] = "keep";
  EXPECT_EQ(YrlViewStringRetrieve("YRL_V_GROUPID", text), YRL_SLOT_WRONG_TYPE);
  EXPECT_STREQ(text, "keep");
  int i = 5;
  EXPECT_EQ(YrlViewIntegerRetrieve("NAME", &i), YRL_SLOT_WRONG_TYPE);
  EXPECT_EQ(i, 5);
  void* data = nullptr;
  EXPECT_EQ(YrlViewStreamRetrieve("NAME", &data), YRL_SLOT_WRONG_TYPE);
  EXPECT_EQ(data, nullptr);
  // A missing slot passes the host's status up.
  EXPECT_EQ(YrlViewIntegerRetrieve("NONE", &i), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(i, 5);
  // Every typed read released the host's copy.
  EXPECT_EQ(yrlhost::live_object_count(LiveKind::extdata), 0u);
}

TEST_F(Storage, StringReadsAreCutToTheCallersBuffer) {
  ASSERT_EQ(YrlPartClassRegister(), 0);
  std::string long_text(120, 'x');
  long_text[0] = 'A';
  ASSERT_EQ(YrlPartStringSave("LONG", long_text.c_str()), 0);
  char text[YRL_STORE_STRING_SIZE + 8];
  std::memset(text, '#', sizeof text);
  EXPECT_EQ(YrlPartStringRetrieve("LONG", text), 0);
  EXPECT_EQ(std::string(text), long_text.substr(0, YRL_STORE_STRING_SIZE - 1));
  EXPECT_EQ(text[YRL_STORE_STRING_SIZE], '#');  // nothing written past the buffer

  char small[6];
  EXPECT_EQ(YrlPartStringRetrieve("LONG", small, sizeof small), 0);
  EXPECT_STREQ(small, "Axxxx");
  VynWchar wide[4];
  EXPECT_EQ(YrlPartWstringRetrieve("LONG", wide, 4), 0);
  EXPECT_EQ(std::u16string(wide), u"Axx");

  // A character whose narrow form does not fit whole is left out, never split.
  struct MultibyteLanguage {
    MultibyteLanguage() { vek::set_language(vek::LANG_JAPANESE); }
    ~MultibyteLanguage() { vek::reset_language(); }
  } language;
  VynWchar two_byte[] = u"abc\u3042d";
  char narrow[16];
  VynWstringToString(narrow, two_byte);
  ASSERT_EQ(std::strlen(narrow), 6u);  // two bytes for the wide letter
  ASSERT_EQ(YrlPartStringSave("WIDE", narrow), 0);
  char five[5];
  EXPECT_EQ(YrlPartStringRetrieve("WIDE", five, sizeof five), 0);
  EXPECT_STREQ(five, "abc");
  char six[6];
  EXPECT_EQ(YrlPartStringRetrieve("WIDE", six, sizeof six), 0);
  EXPECT_STREQ(six, "abc\xa4\xa2");
  EXPECT_EQ(yrlhost::live_object_count(LiveKind::extdata), 0u);
}

TEST_F(Storage, DeletingRemovesASlotOfAnyType) {
  ASSERT_EQ(YrlViewClassRegister(), 0);
  ASSERT_EQ(YrlViewIntegerSave("FRONT_0", 3), 0);
  ASSERT_EQ(YrlViewStreamSave("FRONT", 2, "ab"), 0);
  EXPECT_EQ(YrlViewStreamDelete("FRONT_0"), 0);
  EXPECT_EQ(YrlViewStreamDelete("FRONT"), 0);
  EXPECT_FALSE(has_slot(drawing, "FRONT_0"));
  EXPECT_FALSE(has_slot(drawing, "FRONT"));
  EXPECT_EQ(YrlViewStreamDelete("FRONT"), VYN_TK_E_NOT_FOUND);
}

TEST_F(Storage, SlotNamesAreListedAsWideNames) {
  ASSERT_EQ(YrlAllClassRegister(), 0);
  ASSERT_EQ(YrlViewIntegerSave("YRL_V_GROUPID", 10), 0);
  ASSERT_EQ(YrlViewDoubleSave("YRL_DWGSCALE", 1.0), 0);
  ASSERT_EQ(YrlPartIntegerSave("V_P_CNT", 0), 0);
  VynArray names = nullptr;
  int count = 0;
  ASSERT_EQ(YrlViewSlotNamesGet(&names, &count), 0);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(std::u16string(static_cast<VynName*>(names)[0]), u"YRL_V_GROUPID");
  EXPECT_EQ(std::u16string(static_cast<VynName*>(names)[1]), u"YRL_DWGSCALE");
  EXPECT_EQ(VynArrayFree(&names), 0);
  ASSERT_EQ(YrlPartSlotNamesGet(&names, &count), 0);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(VynArrayFree(&names), 0);
}

// ---- Slot names -------------------------------------------------------------------------

TEST_F(Storage, ANameLongerThanTheHostKeepsIsRefusedNotCut) {
  ASSERT_EQ(YrlPartClassRegister(), 0);
  // "V_<key>_CNT" of a 26-character key has 32 characters: the array is refused whole.
  const std::string key(26, 'K');
  VynArray entries = string_array({"a", "b"});
  EXPECT_EQ(YrlPartStringArraySave(key.c_str(), entries), VYN_TK_BAD_INPUTS);
  free_host_strings(entries);
  auto messages = shown("YRL_SLOT_NAME_TOO_LONG");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].values.at(0), "V_" + key + "_CNT");
  EXPECT_NE(messages[0].text.find("V_" + key + "_CNT"), std::string::npos);
  EXPECT_TRUE(slot_lines(drawing).empty());  // no entry, no cut count

  VynArray back = reinterpret_cast<VynArray>(0x1);
  EXPECT_EQ(YrlPartStringArrayRetrieve(key.c_str(), &back), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(back, reinterpret_cast<VynArray>(0x1));

  // 25 characters fit: "V_<key>_CNT" has exactly 31.
  const std::string fits(25, 'F');
  entries = string_array({"a", "b"});
  EXPECT_EQ(YrlPartStringArraySave(fits.c_str(), entries), 0);
  free_host_strings(entries);
  EXPECT_TRUE(has_slot(drawing, "V_" + fits + "_CNT"));
  EXPECT_EQ(shown("YRL_SLOT_NAME_TOO_LONG").size(), 1u);
}

TEST_F(Storage, AMemberSlotNameThatWouldCollideIsRefused) {
  ASSERT_EQ(YrlViewClassRegister(), 0);
  // A 29-character view: member 1 is "<name>_1" (31 characters); member 10 would need 32,
  // and cut to 31 it would be member 1's name.
  const std::string view(29, 'V');
  YrlSlotName name;
  ASSERT_EQ(YrlSlotNameFormat(name, "%s_%d", view.c_str(), 1), 0);
  ASSERT_EQ(YrlViewIntegerSave(name, 501), 0);
  EXPECT_EQ(YrlSlotNameFormat(name, "%s_%d", view.c_str(), 10), VYN_TK_BAD_INPUTS);
  EXPECT_STREQ(name, "");
  EXPECT_EQ(YrlViewIntegerSave(name, 999), VYN_TK_BAD_INPUTS);  // an empty name is no slot
  auto messages = shown("YRL_SLOT_NAME_TOO_LONG");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].values.at(0), view + "_10");
  int value = 0;
  EXPECT_EQ(YrlViewIntegerRetrieve((view + "_1").c_str(), &value), 0);
  EXPECT_EQ(value, 501);
  // A slot name given whole that is too long is never cut either.
  EXPECT_EQ(YrlViewIntegerSave((view + "_10").c_str(), 999), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(YrlViewIntegerRetrieve((view + "_1").c_str(), &value), 0);
  EXPECT_EQ(value, 501);
}

TEST_F(Storage, SlotNameFormatting) {
  YrlSlotName name;
  EXPECT_EQ(YrlSlotNameFormat(name, "%s_%d", "FRONT", 12), 0);
  EXPECT_STREQ(name, "FRONT_12");
  std::string exact(31, 'n');
  EXPECT_EQ(YrlSlotNameFormat(name, "%s", exact.c_str()), 0);
  EXPECT_EQ(std::string(name), exact);
  EXPECT_EQ(YrlSlotNameBuild(name, "%s_%d", exact.c_str(), 0), VYN_TK_BAD_INPUTS);
  EXPECT_STREQ(name, "");
  EXPECT_TRUE(shown("YRL_SLOT_NAME_TOO_LONG").empty());  // the quiet form for reads
}

// The host keeps 31 wide characters of a name, however many bytes their narrow form
// takes: a two-byte name of 31 characters is kept whole, one of 32 refused.
TEST_F(Storage, SlotNamesAreCountedInWideCharacters) {
  struct MultibyteLanguage {
    MultibyteLanguage() { vek::set_language(vek::LANG_JAPANESE); }
    ~MultibyteLanguage() { vek::reset_language(); }
  } language;
  auto narrow = [](const std::u16string& wide) {
    char text[256];
    VynWstringToString(text, wide.c_str());
    return std::string(text);
  };
  const std::string view29 = narrow(std::u16string(29, u'\u3042'));  // 58 bytes
  ASSERT_EQ(view29.size(), 58u);
  ASSERT_EQ(YrlViewClassRegister(), 0);

  YrlSlotName name;
  ASSERT_EQ(YrlSlotNameFormat(name, "%s_%d", view29.c_str(), 1), 0);  // 31 characters
  EXPECT_EQ(std::string(name), view29 + "_1");
  ASSERT_EQ(YrlViewIntegerSave(name, 501), 0);
  int value = 0;
  EXPECT_EQ(YrlViewIntegerRetrieve((view29 + "_1").c_str(), &value), 0);
  EXPECT_EQ(value, 501);
  std::vector<std::string> names = slot_lines(drawing);
  ASSERT_EQ(names.size(), 1u);

  EXPECT_EQ(YrlSlotNameFormat(name, "%s_%d", view29.c_str(), 10), VYN_TK_BAD_INPUTS);
  EXPECT_STREQ(name, "");
  auto messages = shown("YRL_SLOT_NAME_TOO_LONG");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(YrlSlotNameBuild(name, "%s_%d", view29.c_str(), 10), VYN_TK_BAD_INPUTS);

  // Names given whole: 31 two-byte characters fit, 32 do not.
  const std::string view31 = narrow(std::u16string(31, u'\u3044'));
  const std::string view32 = narrow(std::u16string(32, u'\u3044'));
  EXPECT_EQ(YrlViewStreamSave(view31.c_str(), 3, "abc"), 0);
  void* data = nullptr;
  int size = 0;
  ASSERT_EQ(YrlViewStreamRetrieve(view31.c_str(), &data, &size), 0);
  EXPECT_EQ(size, 3);
  EXPECT_EQ(VynExtdataFree(&data), 0);
  EXPECT_EQ(YrlViewStreamSave(view32.c_str(), 3, "abc"), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(slot_lines(drawing).size(), 2u);

  // A part name of 25 two-byte characters makes the count slot "V_<name>_CNT" of 31.
  ASSERT_EQ(YrlPartClassRegister(), 0);
  const std::string part25 = narrow(std::u16string(25, u'\u90e8'));
  VynArray entries = string_array({"A,B,1"});
  EXPECT_EQ(YrlPartStringArraySave(part25.c_str(), entries), 0);
  free_host_strings(entries);
  VynArray back = nullptr;
  ASSERT_EQ(YrlPartStringArrayRetrieve(part25.c_str(), &back), 0);
  EXPECT_EQ(read_array(back), (std::vector<std::string>{"A,B,1"}));
  free_array(back);
}

// ---- String arrays ----------------------------------------------------------------------

TEST_F(Storage, AShorterArrayHidesTheEntriesItLeavesBehind) {
  ASSERT_EQ(YrlPartClassRegister(), 0);
  VynArray three = string_array({"A,DTM1,1", "B,DTM2,2", "C,DTM3,3"});
  ASSERT_EQ(YrlPartStringArraySave("PRT", three), 0);
  free_host_strings(three);
  VynArray two = string_array({"X,DTM1,1", "Y,DTM2,2"});
  ASSERT_EQ(YrlPartStringArraySave("PRT", two), 0);
  free_host_strings(two);

  EXPECT_TRUE(has_slot(drawing, "V_PRT_2"));
  VynArray back = nullptr;
  ASSERT_EQ(YrlPartStringArrayRetrieve("PRT", &back), 0);
  EXPECT_EQ(read_array(back), (std::vector<std::string>{"X,DTM1,1", "Y,DTM2,2"}));
  EXPECT_EQ(yrlhost::host_array_element_size(back), static_cast<int>(sizeof(char*)));
  free_array(back);
}

TEST_F(Storage, ACountOfZeroGivesSuccessAndNoArray) {
  ASSERT_EQ(YrlPartClassRegister(), 0);
  VynArray none = string_array({});
  ASSERT_EQ(YrlPartStringArraySave("EMPTY", none), 0);
  free_host_strings(none);
  VynArray back = reinterpret_cast<VynArray>(0x1);
  EXPECT_EQ(YrlPartStringArrayRetrieve("EMPTY", &back), 0);
  EXPECT_EQ(back, nullptr);
  // Without a count slot, the host's failure.
  EXPECT_EQ(YrlPartStringArrayRetrieve("MISSING", &back), VYN_TK_E_NOT_FOUND);
}

TEST_F(Storage, AFailingEntryReadFreesWhatWasAllocated) {
  ASSERT_EQ(YrlPartClassRegister(), 0);
  VynArray entries = string_array({"A,D1,1", "B,D2,2", "C,D3,3"});
  ASSERT_EQ(YrlPartStringArraySave("PRT", entries), 0);
  free_host_strings(entries);
  std::size_t arrays = yrlhost::live_object_count(LiveKind::array);

  for (int failing = 1; failing <= 4; ++failing) {  // the count read, then each entry
    SCOPED_TRACE(failing);
    yrlhost::call_log_fail_on_call("VynExtdataSlotRead_v", failing, -1);
    VynArray back = reinterpret_cast<VynArray>(0x1);
    EXPECT_EQ(YrlPartStringArrayRetrieve("PRT", &back), -1);
    EXPECT_EQ(back, reinterpret_cast<VynArray>(0x1));
    EXPECT_EQ(yrlhost::live_object_count(LiveKind::array), arrays);
    EXPECT_EQ(yrlhost::live_object_count(LiveKind::extdata), 0u);
  }
  // The array cannot be made.
  yrlhost::call_log_fail_on_call("VynArrayAlloc_v", 1, -1);
  VynArray back = nullptr;
  EXPECT_EQ(YrlPartStringArrayRetrieve("PRT", &back), -1);
  EXPECT_EQ(back, nullptr);
  EXPECT_EQ(yrlhost::live_object_count(LiveKind::extdata), 0u);
}

TEST_F(Storage, AFailingEntryWriteStoresNoCount) {
  ASSERT_EQ(YrlPartClassRegister(), 0);
  VynArray entries = string_array({"A", "B"});
  yrlhost::call_log_fail_on_call("VynExtdataSlotWrite_v", 2, -1);
  EXPECT_EQ(YrlPartStringArraySave("PRT", entries), -1);
  free_host_strings(entries);
  EXPECT_TRUE(has_slot(drawing, "V_PRT_0"));
  EXPECT_FALSE(has_slot(drawing, "V_PRT_CNT"));
}

}  // namespace
