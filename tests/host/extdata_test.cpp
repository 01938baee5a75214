// External data per model: classes, typed slots, read copies, and the lines a drawing
// keeps them in.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <cstring>
#include <string>
#include <vector>

#include "host/api/data_behaviours.h"
#include "host/store/extdata.h"
#include "host/util/host_arrays.h"
#include "host/plugin/host_table.h"
#include "host/util/live_objects.h"
#include "host/store/models.h"
#include "host/files/model_files.h"
#include "tests/host/host_test.h"

namespace {

using yrlhost::Behaviour;
using yrlhost::HostApi;
using yrlhost::live_object_count;
using yrlhost::LiveKind;

constexpr int key = 4098;

class HostExtdata : public yrltest::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    std::string error;
    drawing = yrlhost::host_model_create(yrlhost::model_type_drawing, "D1", error);
    ASSERT_NE(drawing, nullptr) << error;
    other = yrlhost::host_model_create(yrlhost::model_type_drawing, "D2", error);
    ASSERT_NE(other, nullptr) << error;
  }

  VynMdl drawing = nullptr;
  VynMdl other = nullptr;

  static VynExtdataClass registered(VynMdl model, const std::u16string& name) {
    VynExtdataClass record{};
    EXPECT_EQ(Behaviour<HostApi::VynExtdataInit>::run(1, model), 0);
    EXPECT_EQ(Behaviour<HostApi::VynExtdataClassRegister>::run(1, model, name.c_str(), &record), 0);
    return record;
  }
  // A slot record built by hand, as the application's readers build it.
  static VynExtdataSlot slot_of(VynExtdataClass* record, const std::u16string& name) {
    VynExtdataSlot slot{record, {}};
    std::memcpy(slot.slot_name, name.c_str(), (name.size() + 1) * sizeof(VynWchar));
    return slot;
  }
  static VynError write(VynExtdataClass* record, const std::u16string& name, int type, int size,
                        const void* data) {
    VynExtdataSlot slot{};
    VynError created = Behaviour<HostApi::VynExtdataSlotCreate>::run(1, record, name.c_str(), &slot);
    if (created != 0) slot = slot_of(record, name);
    return Behaviour<HostApi::VynExtdataSlotWrite>::run(1, &slot, key, type, size, data);
  }
  struct Read {
    VynError status;
    int type;
    std::vector<unsigned char> bytes;
  };
  static Read read(VynExtdataClass* record, const std::u16string& name) {
    VynExtdataSlot slot = slot_of(record, name);
    Read result{0, -1, {}};
    int size = -1;
    void* data = nullptr;
    result.status = Behaviour<HostApi::VynExtdataSlotRead>::run(1, &slot, key, &result.type, &size, &data);
    if (result.status == 0) {
      const auto* bytes = static_cast<const unsigned char*>(data);
      result.bytes.assign(bytes, bytes + size);
      EXPECT_EQ(Behaviour<HostApi::VynExtdataFree>::run(1, &data), 0);
    }
    return result;
  }
  static std::vector<std::u16string> names_of(VynArray names, int count) {
    EXPECT_EQ(yrlhost::host_array_element_size(names), static_cast<int>(sizeof(VynName)));
    EXPECT_EQ(yrlhost::host_array_size(names), count);
    std::vector<std::u16string> out;
    for (int i = 0; i < count; ++i) out.emplace_back(static_cast<const VynName*>(names)[i]);
    return out;
  }
  static std::vector<std::u16string> slot_names(VynExtdataClass* record) {
    int count = -1;
    VynArray names = nullptr;
    EXPECT_EQ(Behaviour<HostApi::VynExtdataSlotNamesList>::run(1, record, &count, &names), 0);
    std::vector<std::u16string> out = names_of(names, count);
    EXPECT_EQ(Behaviour<HostApi::VynArrayFree>::run(1, &names), 0);
    return out;
  }
};

template <typename T>
std::vector<unsigned char> bytes_of(const T& value) {
  std::vector<unsigned char> bytes(sizeof value);
  std::memcpy(bytes.data(), &value, sizeof value);
  return bytes;
}

// The application's road: initialise, list the classes, register the missing one, load.
TEST_F(HostExtdata, ClassRegistrationThroughTheTable) {
  auto table = yrlhost::host_table_build();
  auto init = yrlhost::host_function<HostApi::VynExtdataInit>(table);
  auto list = yrlhost::host_function<HostApi::VynExtdataClassNamesList>(table);
  auto reg = yrlhost::host_function<HostApi::VynExtdataClassRegister>(table);
  auto load = yrlhost::host_function<HostApi::VynExtdataLoadAll>(table);
  VynExtdataClass record{};
  EXPECT_EQ(reg(1, drawing, u"Y_V", &record), -1);  // before Init
  EXPECT_EQ(load(1, drawing), -1);
  ASSERT_EQ(init(1, drawing), 0);
  for (const char16_t* name : {u"Y_V", u"Y_P", u"Y_A"}) ASSERT_EQ(reg(1, drawing, name, &record), 0);
  EXPECT_EQ(record.model, drawing);
  EXPECT_EQ(std::u16string(record.name), u"Y_A");
  VynExtdataClass again{};
  EXPECT_EQ(reg(1, drawing, u"Y_P", &again), -5);  // the existing class, filled in
  EXPECT_EQ(std::u16string(again.name), u"Y_P");
  EXPECT_EQ(init(1, drawing), 0);  // a second Init keeps the classes
  int count = -1;
  VynArray names = nullptr;
  ASSERT_EQ(list(1, drawing, &count, &names), 0);
  EXPECT_EQ(names_of(names, count), (std::vector<std::u16string>{u"Y_V", u"Y_P", u"Y_A"}));
  EXPECT_EQ(Behaviour<HostApi::VynArrayFree>::run(1, &names), 0);
  EXPECT_EQ(load(1, drawing), 0);
  EXPECT_EQ(list(1, drawing, &count, nullptr), -2);
  EXPECT_EQ(reg(1, drawing, nullptr, &record), -2);
  EXPECT_EQ(reg(1, drawing, u"", &record), -2);
  EXPECT_EQ(reg(1, drawing, u"Y_Q", nullptr), -2);
  EXPECT_EQ(reg(1, nullptr, u"Y_Q", &record), -2);
  // Closed, the data answers nothing until the next Init, and is still there after it.
  EXPECT_EQ(Behaviour<HostApi::VynExtdataTerm>::run(1, drawing), 0);
  EXPECT_EQ(load(1, drawing), -1);
  EXPECT_EQ(reg(1, drawing, u"Y_V", &record), -1);
  ASSERT_EQ(init(1, drawing), 0);
  EXPECT_EQ(reg(1, drawing, u"Y_V", &record), -5);
  EXPECT_EQ(live_object_count(LiveKind::array), 0u);
}

TEST_F(HostExtdata, ModelsOutsideTheSessionAreRefused) {
  VynExtdataClass view = registered(drawing, u"Y_V");
  const int value = 1;
  ASSERT_EQ(write(&view, u"S", 1, 0, &value), 0);
  const VynMdl foreign = reinterpret_cast<VynMdl>(std::uintptr_t{0x5eed0});
  VynExtdataClass record{};
  EXPECT_EQ(Behaviour<HostApi::VynExtdataInit>::run(1, foreign), -2);
  EXPECT_EQ(Behaviour<HostApi::VynExtdataClassRegister>::run(1, foreign, u"Y_V", &record), -2);
  // An erased model's handle is stale: its records are refused and its data is gone.
  ASSERT_TRUE(yrlhost::host_model_erase(drawing));
  EXPECT_EQ(Behaviour<HostApi::VynExtdataInit>::run(1, drawing), -2);
  EXPECT_EQ(read(&view, u"S").status, -2);
  EXPECT_TRUE(yrlhost::extdata_save_lines(drawing).empty());
}

// The models module keeps the lines in the drawing's file.
TEST_F(HostExtdata, ADrawingFileKeepsItsExternalData) {
  VynExtdataClass part = registered(drawing, u"Y_P");
  ASSERT_EQ(write(&part, u"V_PRT1_0", 3, 0, u"FRONT,DTM1,12"), 0);
  const char* tmp = std::getenv("YRL_TEST_TMP");
  std::string path = std::string(tmp ? tmp : "/tmp") + "/extdata_drawing.txt";
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::string error;
  ASSERT_TRUE(yrlhost::host_model_save(drawing, path, error)) << error;
  ASSERT_TRUE(yrlhost::host_model_erase(drawing));
  VynMdl reopened = yrlhost::host_model_open(path, error);
  ASSERT_NE(reopened, nullptr) << error;
  std::filesystem::remove(path);
  VynExtdataClass record{};
  ASSERT_EQ(Behaviour<HostApi::VynExtdataInit>::run(1, reopened), 0);
  ASSERT_EQ(Behaviour<HostApi::VynExtdataClassRegister>::run(1, reopened, u"Y_P", &record), -5);
  Read got = read(&record, u"V_PRT1_0");
  ASSERT_EQ(got.status, 0);
  EXPECT_EQ(got.type, 3);
  EXPECT_EQ(got.bytes.size(), 28u);
  EXPECT_EQ(std::memcmp(got.bytes.data(), u"FRONT,DTM1,12", 28), 0);
}

TEST_F(HostExtdata, EachSlotTypeReadsBackAsWritten) {
  VynExtdataClass view = registered(drawing, u"Y_V");
  const int group = 10;
  const double scale = 0.125;
  const std::u16string wide = u"FRONT,DTM\u03a9,\U0001F600";
  std::vector<unsigned char> record(256);
  for (std::size_t i = 0; i < record.size(); ++i) record[i] = static_cast<unsigned char>(i * 7);
  std::vector<unsigned char> wide_bytes((wide.size() + 1) * 2, 0);
  std::memcpy(wide_bytes.data(), wide.c_str(), wide.size() * 2);
  struct Case {
    std::u16string slot;
    int type, size;
    const void* data;
    std::vector<unsigned char> stored;
  };
  const Case cases[] = {
      {u"YRL_V_GROUPID", 1, 0, &group, bytes_of(group)},
      {u"YRL_DWGSCALE", 2, 0, &scale, bytes_of(scale)},
      {u"ACTIVE_PART", 3, 0, wide.c_str(), wide_bytes},
      {u"FRONT", 4, 256, record.data(), record},
      {u"EMPTY", 4, 0, nullptr, {}},
  };
  for (const Case& c : cases) ASSERT_EQ(write(&view, c.slot, c.type, c.size, c.data), 0);
  for (const Case& c : cases) {
    Read got = read(&view, c.slot);
    ASSERT_EQ(got.status, 0);
    EXPECT_EQ(got.type, c.type);
    EXPECT_EQ(got.bytes, c.stored);
  }
  // Writing again overwrites, also with another type.
  ASSERT_EQ(write(&view, u"YRL_V_GROUPID", 2, 0, &scale), 0);
  EXPECT_EQ(read(&view, u"YRL_V_GROUPID").bytes, bytes_of(scale));
  EXPECT_EQ(live_object_count(LiveKind::extdata), 0u);
}

TEST_F(HostExtdata, BadArgumentsAreRefused) {
  VynExtdataClass view = registered(drawing, u"Y_V");
  const int value = 1;
  ASSERT_EQ(write(&view, u"S", 1, 0, &value), 0);
  VynExtdataSlot slot = slot_of(&view, u"S");
  int type = 0, size = 0;
  void* data = nullptr;
  for (int other_key : {0, 4097, 4099}) {
    EXPECT_EQ(Behaviour<HostApi::VynExtdataSlotWrite>::run(1, &slot, other_key, 1, 0, &value), -2);
    EXPECT_EQ(Behaviour<HostApi::VynExtdataSlotRead>::run(1, &slot, other_key, &type, &size, &data), -2);
    EXPECT_EQ(Behaviour<HostApi::VynExtdataSlotDelete>::run(1, &slot, other_key), -2);
  }
  for (int bad_type : {0, 5, -1}) EXPECT_EQ(Behaviour<HostApi::VynExtdataSlotWrite>::run(1, &slot, key, bad_type, 4, &value), -2);
  EXPECT_EQ(Behaviour<HostApi::VynExtdataSlotWrite>::run(1, &slot, key, 4, -1, &value), -2);
  EXPECT_EQ(Behaviour<HostApi::VynExtdataSlotWrite>::run(1, &slot, key, 4, 4, nullptr), -2);
  EXPECT_EQ(Behaviour<HostApi::VynExtdataSlotWrite>::run(1, &slot, key, 1, 0, nullptr), -2);
  EXPECT_EQ(Behaviour<HostApi::VynExtdataSlotWrite>::run(1, nullptr, key, 1, 0, &value), -2);
  EXPECT_EQ(read(&view, u"S").bytes, bytes_of(value));  // nothing changed
  EXPECT_EQ(data, nullptr);

  // Unknown class or slot: -4.
  VynExtdataClass unknown = view;
  std::memcpy(unknown.name, u"Y_X", 8);
  VynExtdataSlot elsewhere = slot_of(&unknown, u"S");
  EXPECT_EQ(Behaviour<HostApi::VynExtdataSlotRead>::run(1, &elsewhere, key, &type, &size, &data), -4);
  EXPECT_EQ(Behaviour<HostApi::VynExtdataSlotCreate>::run(1, &unknown, u"T", &slot), -4);
  EXPECT_EQ(read(&view, u"NOPE").status, -4);
  // A slot record whose class record is missing.
  VynExtdataSlot orphan = slot_of(nullptr, u"S");
  EXPECT_EQ(Behaviour<HostApi::VynExtdataSlotRead>::run(1, &orphan, key, &type, &size, &data), -2);
}

TEST_F(HostExtdata, SlotCreationNamesAndOrder) {
  VynExtdataClass view = registered(drawing, u"Y_V");
  const std::u16string name31(31, u'N');
  const std::u16string name32(32, u'N');
  VynExtdataSlot slot{};
  EXPECT_EQ(Behaviour<HostApi::VynExtdataSlotCreate>::run(1, &view, name32.c_str(), &slot), -2);
  EXPECT_EQ(Behaviour<HostApi::VynExtdataSlotCreate>::run(1, &view, u"", &slot), -2);
  EXPECT_EQ(Behaviour<HostApi::VynExtdataSlotCreate>::run(1, &view, u"X", nullptr), -2);
  ASSERT_EQ(Behaviour<HostApi::VynExtdataSlotCreate>::run(1, &view, name31.c_str(), &slot), 0);
  EXPECT_EQ(slot.p_class, &view);
  EXPECT_EQ(std::u16string(slot.slot_name), name31);
  VynExtdataSlot second{};
  EXPECT_EQ(Behaviour<HostApi::VynExtdataSlotCreate>::run(1, &view, name31.c_str(), &second), -5);
  EXPECT_EQ(second.p_class, nullptr);  // left alone
  // Created but never written: listed, but there is nothing to read.
  EXPECT_EQ(read(&view, name31).status, -4);

  const int value = 3;
  for (const char16_t* name : {u"FRONT", u"FRONT_0", u"A", u"FRONT_1"}) ASSERT_EQ(write(&view, name, 1, 0, &value), 0);
  EXPECT_EQ(slot_names(&view), (std::vector<std::u16string>{name31, u"FRONT", u"FRONT_0", u"A", u"FRONT_1"}));
  VynExtdataSlot front0 = slot_of(&view, u"FRONT_0");
  EXPECT_EQ(Behaviour<HostApi::VynExtdataSlotDelete>::run(1, &front0, key), 0);
  EXPECT_EQ(Behaviour<HostApi::VynExtdataSlotDelete>::run(1, &front0, key), -4);
  EXPECT_EQ(read(&view, u"FRONT_0").status, -4);
  ASSERT_EQ(write(&view, u"FRONT_0", 1, 0, &value), 0);  // comes back last
  EXPECT_EQ(slot_names(&view), (std::vector<std::u16string>{name31, u"FRONT", u"A", u"FRONT_1", u"FRONT_0"}));

  // Another model's class of the same name is a class of its own.
  VynExtdataClass view_elsewhere = registered(other, u"Y_V");
  EXPECT_TRUE(slot_names(&view_elsewhere).empty());
  EXPECT_EQ(live_object_count(LiveKind::array), 0u);
}

TEST_F(HostExtdata, ReadCopiesAreCountedAndFreedOnce) {
  VynExtdataClass view = registered(drawing, u"Y_V");
  const double scale = 2.0;
  ASSERT_EQ(write(&view, u"YRL_DWGSCALE", 2, 0, &scale), 0);
  VynExtdataSlot slot = slot_of(&view, u"YRL_DWGSCALE");
  void* first = nullptr;
  void* second = nullptr;
  ASSERT_EQ(Behaviour<HostApi::VynExtdataSlotRead>::run(1, &slot, key, nullptr, nullptr, &first), 0);
  ASSERT_EQ(Behaviour<HostApi::VynExtdataSlotRead>::run(1, &slot, key, nullptr, nullptr, &second), 0);
  EXPECT_NE(first, second);
  EXPECT_EQ(*static_cast<double*>(first), 2.0);
  EXPECT_EQ(live_object_count(LiveKind::extdata), 2u);
  void* kept = first;
  EXPECT_EQ(Behaviour<HostApi::VynExtdataFree>::run(1, &first), 0);
  EXPECT_EQ(first, nullptr);
  EXPECT_EQ(Behaviour<HostApi::VynExtdataFree>::run(1, &kept), -2);  // stale
  double mine = 0;
  void* foreign = &mine;
  EXPECT_EQ(Behaviour<HostApi::VynExtdataFree>::run(1, &foreign), -2);
  EXPECT_EQ(Behaviour<HostApi::VynExtdataFree>::run(1, &first), -2);  // null
  EXPECT_EQ(Behaviour<HostApi::VynExtdataFree>::run(1, nullptr), -2);
  EXPECT_EQ(live_object_count(LiveKind::extdata), 1u);
  EXPECT_EQ(Behaviour<HostApi::VynExtdataFree>::run(1, &second), 0);
  EXPECT_EQ(live_object_count(LiveKind::extdata), 0u);
}

// ---- Lines ------------------------------------------------------------------------------

TEST_F(HostExtdata, SavedLinesReopenIntoAnotherModel) {
  // Names with a space, a percent sign, characters beyond Latin-1 and a lone surrogate.
  const std::u16string names[] = {u"Y_V", u"a b%c", u"\u65e5\u672c\U0001F600", std::u16string(u"x\xD800y")};
  VynExtdataClass first = registered(drawing, names[0]);
  VynExtdataClass second{};
  ASSERT_EQ(Behaviour<HostApi::VynExtdataClassRegister>::run(1, drawing, names[1].c_str(), &second), 0);
  const int value = -7;
  const double scale = 1.0 / 3.0;
  const unsigned char stream[] = {0, 1, 0xfe, 0xff};
  ASSERT_EQ(write(&first, names[2], 1, 0, &value), 0);
  ASSERT_EQ(write(&first, names[3], 2, 0, &scale), 0);
  ASSERT_EQ(write(&first, u"TEXT", 3, 0, u"\u00e9t\u00e9 \u03a9"), 0);
  ASSERT_EQ(write(&second, u"STREAM", 4, 4, stream), 0);
  ASSERT_EQ(write(&second, u"NONE", 4, 0, nullptr), 0);
  VynExtdataSlot unwritten{};
  ASSERT_EQ(Behaviour<HostApi::VynExtdataSlotCreate>::run(1, &second, u"LATER", &unwritten), 0);

  std::vector<std::string> lines = yrlhost::extdata_save_lines(drawing);
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], "class Y_V");
  EXPECT_EQ(lines[5], "slot STREAM 4 0001feff");
  EXPECT_EQ(lines[7], "slot LATER 0 -");
  for (const std::string& line : lines) EXPECT_EQ(line.find_first_of("\n\r\t"), std::string::npos) << line;

  std::string error;
  ASSERT_TRUE(yrlhost::extdata_load_lines(other, lines, error)) << error;
  EXPECT_EQ(yrlhost::extdata_save_lines(other), lines);
  // The reopened model answers without a new Init.
  VynExtdataClass reopened{other, {}};
  std::memcpy(reopened.name, names[0].c_str(), (names[0].size() + 1) * 2);
  EXPECT_EQ(slot_names(&reopened), (std::vector<std::u16string>{names[2], names[3], u"TEXT"}));
  EXPECT_EQ(read(&reopened, names[3]).bytes, bytes_of(scale));
  EXPECT_EQ(read(&reopened, names[2]).type, 1);

  yrlhost::extdata_model_erased(drawing);
  EXPECT_TRUE(yrlhost::extdata_save_lines(drawing).empty());
  EXPECT_EQ(read(&first, names[2]).status, -1);  // a live model without data: not initialised
  EXPECT_EQ(read(&reopened, names[2]).status, 0);
}

TEST_F(HostExtdata, MalformedLinesAreRefusedAndChangeNothing) {
  VynExtdataClass view = registered(drawing, u"Y_V");
  const int value = 5;
  ASSERT_EQ(write(&view, u"KEEP", 1, 0, &value), 0);
  const std::vector<std::string> before = yrlhost::extdata_save_lines(drawing);
  const std::vector<std::string> bad_lines[] = {
      {"slot A 1 05000000"},                         // no class yet
      {"class Y_V", "slot A 1 050000"},              // an int of three bytes
      {"class Y_V", "slot A 2 0500000000000000ff"},  // a double of nine bytes
      {"class Y_V", "slot A 3 4100"},                // no terminator
      {"class Y_V", "slot A 3 000041000000"},        // a terminator inside
      {"class Y_V", "slot A 5 -"},
      {"class Y_V", "slot A 0 00"},
      {"class Y_V", "slot A 4 0g"},
      {"class Y_V", "slot A 4 012"},
      {"class Y_V", "slot A 4"},
      {"class Y_V", "slot A 4 - x"},
      {"class Y_V", "class Y_V"},
      {"class Y_V", "slot A 4 -", "slot A 4 -"},
      {"class " + std::string(32, 'n')},
      {"class %zz"},
      {"class %u0041"},                              // only surrogates are written so
      {"class %ff"},                                 // not UTF-8
      {"class a%00b"},
      {"class "},
      {"class"},
      {"class Y_V", ""},
      {"klass Y_V"},
  };
  for (const std::vector<std::string>& lines : bad_lines) {
    std::string error;
    EXPECT_FALSE(yrlhost::extdata_load_lines(drawing, lines, error)) << lines.back();
    std::string number = "line " + std::to_string(lines.size());
    EXPECT_NE(error.find(number), std::string::npos) << error;
    EXPECT_EQ(yrlhost::extdata_save_lines(drawing), before);
  }
  std::string error;
  EXPECT_TRUE(yrlhost::extdata_load_lines(drawing, {"class Y_P", "slot A 4 -"}, error)) << error;
  EXPECT_EQ(yrlhost::extdata_save_lines(drawing), (std::vector<std::string>{"class Y_P", "slot A 4 -"}));
}

}  // namespace
