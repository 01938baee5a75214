// Visits of windows, model notes, parameters and coordinate systems.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/display/graphics.h"
#include "host/api/host_behaviours.h"
#include "host/store/models.h"
#include "tests/host/host_test.h"
#include "toolkit/local/paramdata.h"

namespace {

using yrlhost::Behaviour;
using yrlhost::HostApi;

class ItemVisits : public yrltest::HostTest {};

VynError record_window(int id, void* data) {
  auto* seen = static_cast<std::vector<int>*>(data);
  seen->push_back(id);
  return seen->size() == 2 ? -3 : 0;  // stops at the second
}

TEST_F(ItemVisits, WindowsInIdOrderUntilAnActionStops) {
  int accessory = 0;
  ASSERT_EQ(Behaviour<HostApi::VynAccessorywindowCreate>::run(1, u"PRT1", 2, &accessory), 0);
  ASSERT_EQ(Behaviour<HostApi::VynAccessorywindowCreate>::run(1, u"PRT2", 2, &accessory), 0);
  std::vector<int> seen;
  EXPECT_EQ(Behaviour<HostApi::VynWindowsVisit>::run(1, record_window, &seen), -3);
  std::vector<int> all = yrlhost::window_ids();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(seen, (std::vector<int>{all[0], all[1]}));
  EXPECT_EQ(Behaviour<HostApi::VynWindowsVisit>::run(1, nullptr, &seen), -2);
}

VynError count_item(VynModelitem*, VynError, void* data) {
  ++*static_cast<int*>(data);
  return 0;
}
VynError count_handle(void*, VynError, void* data) {
  ++*static_cast<int*>(data);
  return 0;
}
VynError skip_width(void* record, void*) {
  auto* parameter = static_cast<yrlhost::HostParameterRecord*>(record);
  return std::u16string(parameter->name) == u"WIDTH" ? -7 : 0;
}
VynError name_of(void* record, VynError, void* data) {
  static_cast<std::vector<std::u16string>*>(data)->push_back(
      static_cast<yrlhost::HostParameterRecord*>(record)->name);
  return 0;
}

TEST_F(ItemVisits, PartsHoldNoNotesAndNoCsys) {
  std::string error;
  VynMdl part = yrlhost::host_model_create(yrlhost::model_type_part, "P", error);
  VynMdl drawing = yrlhost::host_model_create(yrlhost::model_type_drawing, "D", error);
  int calls = 0;
  EXPECT_EQ(Behaviour<HostApi::VynMdlNoteVisit>::run(1, part, count_item, nullptr, &calls), 0);
  EXPECT_EQ(Behaviour<HostApi::VynMdlNoteVisit>::run(1, drawing, count_item, nullptr, &calls), 0);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(Behaviour<HostApi::VynMdlNoteVisit>::run(1, nullptr, count_item, nullptr, &calls), -2);
  EXPECT_EQ(Behaviour<HostApi::VynSolidCsysVisit>::run(1, part, count_handle, nullptr, &calls), -4);
  EXPECT_EQ(Behaviour<HostApi::VynSolidCsysVisit>::run(1, drawing, count_handle, nullptr, &calls),
            -2);
  EXPECT_EQ(calls, 0);
}

TEST_F(ItemVisits, ParametersOfOneOwnerInCreationOrder) {
  std::string error;
  VynMdl part = yrlhost::host_model_create(yrlhost::model_type_part, "P", error);
  int feature = yrlhost::host_feature_add(part, 917, "F", {});
  VynModelitem model_item{};
  ASSERT_EQ(Behaviour<HostApi::VynMdlToModelitem>::run(1, part, &model_item), 0);
  VynModelitem feature_item{yrlhost::item_type_feature, feature, part};
  VynParamvalue value{};
  value.type = VYN_PARAM_DOUBLE;
  unsigned char room[512];
  auto* parameter = reinterpret_cast<VynParameter*>(room);
  ASSERT_EQ(
      Behaviour<HostApi::VynParameterCreate>::run(1, &feature_item, u"DEPTH", &value, parameter),
      0);
  ASSERT_EQ(Behaviour<HostApi::VynParameterCreate>::run(1, &model_item, u"MASS", &value, parameter),
            0);
  ASSERT_EQ(
      Behaviour<HostApi::VynParameterCreate>::run(1, &feature_item, u"WIDTH", &value, parameter),
      0);
  ASSERT_EQ(
      Behaviour<HostApi::VynParameterCreate>::run(1, &feature_item, u"ANGLE", &value, parameter),
      0);
  std::vector<std::u16string> names;
  EXPECT_EQ(
      Behaviour<HostApi::VynParameterVisit>::run(1, &feature_item, skip_width, name_of, &names), 0);
  EXPECT_EQ(names, (std::vector<std::u16string>{u"DEPTH", u"ANGLE"}));
  names.clear();
  EXPECT_EQ(Behaviour<HostApi::VynParameterVisit>::run(1, &model_item, nullptr, name_of, &names),
            0);
  EXPECT_EQ(names, (std::vector<std::u16string>{u"MASS"}));
  VynModelitem missing{yrlhost::item_type_feature, 999, part};
  EXPECT_EQ(Behaviour<HostApi::VynParameterVisit>::run(1, &missing, nullptr, name_of, &names), -2);
}

}  // namespace
