// Named views over records stored in a drawing of the stand-in host: the record's bytes,
// the predicates on a table of views, parents, membership, group ids and reference points.
#include "app/views/views.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "app/storage/storage.h"
#include "app/util/apputil.h"
#include "app/views/viewdata.h"
#include "host/plugin/call_log.h"
#include "host/store/drawings.h"
#include "host/store/extdata.h"
#include "host/util/host_arrays.h"
#include "host/util/live_objects.h"
#include "host/store/models.h"
#include "host/files/model_files.h"
#include "tests/app/app_test.h"

namespace {

using yrlhost::LiveKind;

struct ViewRow {
  const char* name;
  int type;
  int group_id;
  std::vector<int> members;
  int position_id = 0;
};

// A drawing with declared views: four orthographic views, a section and an auxiliary
// view, and detail views cut from RIGHT, from BOTTOM, from an entity in no view, and one
// without a position entity. Other slots of the class sit between the records.
const std::vector<ViewRow>& view_table() {
  static const std::vector<ViewRow> rows = {
      {"TOP", 1, 1, {101, 102}},    {"FRONT", 1, 2, {201}},       {"RIGHT", 1, 3, {301, 302}},
      {"BOTTOM", 1, 4, {401}},      {"SEC_A", 2, 10, {501}},      {"AUX_B", 3, 11, {601}},
      {"DET_C", 4, 12, {701}, 302}, {"DET_D", 4, 13, {801}, 401}, {"DET_E", 4, 14, {901}, 999},
      {"DET_F", 4, 15, {}, 0},
  };
  return rows;
}

YrlViewData record_of(const ViewRow& row) {
  YrlViewData r{};
  r.view_type = row.type;
  r.group_id = row.group_id;
  std::strcpy(r.view_name, row.name);
  r.scale = 1.0;
  r.member_count = static_cast<int>(row.members.size());
  r.position_id = row.position_id;
  return r;
}

class Views : public yrltest::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ASSERT_EQ(start_app(), 0) << error();
    drawing = new_drawing("DRW0001");
    ASSERT_EQ(YrlAllClassRegister(), 0);
  }

  void TearDown() override {
    EXPECT_EQ(yrlhost::live_object_count(LiveKind::extdata), 0u);
    AppTest::TearDown();
  }

  static void add_view(const YrlViewData& record, const std::vector<int>& members) {
    ASSERT_EQ(YrlViewDataWrite(record.view_name, record), 0);
    for (std::size_t i = 0; i < members.size(); ++i)
      ASSERT_EQ(
          YrlViewIntegerSave((std::string(record.view_name) + "_" + std::to_string(i)).c_str(), members[i]),
          0);
  }

  static void add_table() {
    ASSERT_EQ(YrlViewDoubleSave("YRL_DWGSCALE", 2.0), 0);
    ASSERT_EQ(YrlViewStreamSave("SHORT", 10, "0123456789"), 0);  // no whole record
    for (const ViewRow& row : view_table()) add_view(record_of(row), row.members);
    ASSERT_EQ(YrlViewIntegerSave("YRL_V_GROUPID", 16), 0);
  }

  VynMdl drawing = nullptr;
};

// ---- The record's bytes -----------------------------------------------------------------

TEST(ViewRecord, FieldsSitAtTheirOffsetsLittleEndian) {
  YrlViewData r{};
  r.view_type = 4;
  r.group_id = 0x01020304;
  std::strcpy(r.view_name, "DETAIL_A");
  std::strcpy(r.dwg_view_name, "DV_7");
  for (int i = 0; i < 6; ++i) r.bounds[i] = i + 0.5;
  r.scale = 2.0;
  r.member_count = 3;
  r.ref_point[0] = -1.0;
  r.cut_plane_id = 0x11;
  r.vpr_id = 0x22;
  r.vpr_point[1] = 1.0;
  r.position_id = 0x33;
  r.position_point[2] = 0.25;
  r.position1_id = -2;
  r.position1_point[0] = 1e300;
  unsigned char bytes[YRL_VIEW_DATA_SIZE + 1];
  bytes[YRL_VIEW_DATA_SIZE] = 0xAB;
  YrlViewDataToBytes(r, bytes);
  EXPECT_EQ(bytes[YRL_VIEW_DATA_SIZE], 0xAB);

  auto le32 = [&](int at) {
    return static_cast<unsigned>(bytes[at]) | static_cast<unsigned>(bytes[at + 1]) << 8 |
           static_cast<unsigned>(bytes[at + 2]) << 16 | static_cast<unsigned>(bytes[at + 3]) << 24;
  };
  auto le64 = [&](int at) {
    unsigned long long v = 0;
    for (int i = 7; i >= 0; --i) v = v << 8 | bytes[at + i];
    double d;
    std::memcpy(&d, &v, sizeof d);
    return d;
  };
  EXPECT_EQ(le32(0), 4u);
  EXPECT_EQ(bytes[4], 0x04);
  EXPECT_EQ(bytes[7], 0x01);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes + 8)), "DETAIL_A");
  EXPECT_EQ(bytes[8 + 8], 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes + 40)), "DV_7");
  for (int i = 0; i < 6; ++i) EXPECT_EQ(le64(72 + 8 * i), i + 0.5);
  EXPECT_EQ(bytes[120 + 7], 0x40);  // 2.0 = 0x4000000000000000
  EXPECT_EQ(le64(120), 2.0);
  EXPECT_EQ(le32(128), 3u);
  EXPECT_EQ(le32(132), 0u);
  EXPECT_EQ(le64(136), -1.0);
  EXPECT_EQ(le32(160), 0x11u);
  EXPECT_EQ(le32(164), 0x22u);
  EXPECT_EQ(le64(176), 1.0);
  EXPECT_EQ(le32(192), 0x33u);
  EXPECT_EQ(le32(196), 0u);
  EXPECT_EQ(le64(216), 0.25);
  EXPECT_EQ(le32(224), 0xFFFFFFFEu);
  EXPECT_EQ(le32(228), 0u);
  EXPECT_EQ(le64(232), 1e300);
  // Unused bytes of the name fields are zero.
  for (int at = 8 + 9; at < 40; ++at) EXPECT_EQ(bytes[at], 0) << at;

  YrlViewData back;
  YrlViewDataFromBytes(bytes, back);
  unsigned char again[YRL_VIEW_DATA_SIZE];
  YrlViewDataToBytes(back, again);
  EXPECT_EQ(std::memcmp(bytes, again, YRL_VIEW_DATA_SIZE), 0);
  EXPECT_STREQ(back.view_name, "DETAIL_A");
  EXPECT_EQ(back.position1_id, -2);
}

TEST(ViewRecord, NamesAreTerminatedWithinTheirFields) {
  unsigned char bytes[YRL_VIEW_DATA_SIZE];
  std::memset(bytes, 'x', sizeof bytes);  // no terminator anywhere
  YrlViewData r;
  YrlViewDataFromBytes(bytes, r);
  EXPECT_EQ(std::strlen(r.view_name), 31u);
  EXPECT_EQ(std::strlen(r.dwg_view_name), 31u);
}

TEST_F(Views, TheStoredRecordIsTheSerialisedBytesAcrossSaveAndReopen) {
  YrlViewData r = record_of({"FRONT", 1, 2, {201, 202}});
  r.bounds[3] = 12.5;
  r.ref_point[1] = -3.0;
  add_view(r, {201, 202});
  unsigned char bytes[YRL_VIEW_DATA_SIZE];
  YrlViewDataToBytes(r, bytes);
  std::string hex;
  for (unsigned char b : bytes) {
    const char digits[] = "0123456789abcdef";
    hex += digits[b >> 4];
    hex += digits[b & 15];
  }
  std::vector<std::string> lines = yrlhost::extdata_save_lines(drawing);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "slot FRONT 4 " + hex), lines.end());

  std::string error;
  ASSERT_TRUE(yrlhost::host_model_save(drawing, "drw.drw", error)) << error;
  ASSERT_TRUE(yrlhost::host_model_erase(drawing));
  ASSERT_NE(yrlhost::host_model_open("drw.drw", error), nullptr) << error;
  ASSERT_EQ(YrlViewClassRegister(), 0);
  YrlViewData back;
  ASSERT_EQ(YrlViewDataRead("FRONT", &back), 0);
  EXPECT_EQ(back.bounds[3], 12.5);
  EXPECT_EQ(back.ref_point[1], -3.0);
  char name[32] = "";
  int type = 0;
  EXPECT_EQ(YrlViewSetupViewnameGet(202, name, nullptr, &type), 0);
  EXPECT_STREQ(name, "FRONT");
  EXPECT_EQ(type, 1);
}

// ---- Predicates -------------------------------------------------------------------------

TEST_F(Views, PredicatesOnATableOfViews) {
  add_table();
  struct Case {
    const char* what;
    int (*predicate)(int);
    int group_id;
    int expected;
  };
#define P(f) #f, f
  const Case cases[] = {
      {P(IsYrlViewTypeSection), 10, 1},     {P(IsYrlViewTypeSection), 11, 0},
      {P(IsYrlViewTypeSection), 99, 0},     {P(IsYrlViewTypeAuxilary), 11, 1},
      {P(IsYrlViewTypeAuxilary), 10, 0},    {P(IsYrlViewTypeDetail), 12, 1},
      {P(IsYrlViewTypeDetail), 2, 0},       {P(IsYrlViewTypeNonOrtho), 10, 1},
      {P(IsYrlViewTypeNonOrtho), 11, 1},    {P(IsYrlViewTypeNonOrtho), 12, 0},
      {P(IsYrlViewTypeNonOrtho), 1, 0},     {P(IsYrlViewNameTop), 1, 1},
      {P(IsYrlViewNameTop), 12, 0},         {P(IsYrlViewNameFront), 2, 1},
      {P(IsYrlViewNameRight), 3, 1},        {P(IsYrlViewNameBottom), 4, 1},
      {P(IsYrlViewNameRear), 5, 0},         {P(IsYrlViewNameLeft), 3, 0},
      {P(IsYrlViewParentRight), 12, 1},     {P(IsYrlViewParentRight), 3, 0},
      {P(IsYrlViewParentBottom), 13, 1},    {P(IsYrlViewParentRight), 13, 0},
      {P(IsYrlViewParentRight), 14, 0},     {P(IsYrlViewParentRight), 15, 0},
      {P(IsYrlViewGroupRight), 12, 1},      {P(IsYrlViewGroupRight), 13, 0},
      {P(IsYrlViewGroupRight), 3, 1},       {P(IsYrlViewGroupBottom), 13, 1},
      {P(IsYrlViewGroupTop), 13, 0},        {P(IsYrlViewNameTopBot), 1, 1},
      {P(IsYrlViewNameTopBot), 4, 1},       {P(IsYrlViewNameTopBot), 2, 0},
      {P(IsYrlViewNameFrontRear), 2, 1},    {P(IsYrlViewNameRightLeft), 3, 1},
      {P(IsYrlViewNameRightLeft), 12, 0},   {P(IsYrlViewParentTopBot), 13, 1},
      {P(IsYrlViewParentTopBot), 12, 0},    {P(IsYrlViewParentRightLeft), 12, 1},
      {P(IsYrlViewParentFrontRear), 12, 0}, {P(IsYrlViewGroupTopBot), 13, 1},
      {P(IsYrlViewGroupTopBot), 4, 1},      {P(IsYrlViewGroupTopBot), 1, 1},
      {P(IsYrlViewGroupTopBot), 2, 0},      {P(IsYrlViewGroupRightLeft), 12, 1},
      {P(IsYrlViewGroupRightLeft), 3, 1},   {P(IsYrlViewGroupFrontRear), 12, 0},
      {P(IsYrlViewGroupFrontRear), 2, 1},
  };
#undef P
  for (const Case& c : cases)
    EXPECT_EQ(c.predicate(c.group_id), c.expected) << c.what << "(" << c.group_id << ")";

  // A detail view whose position entity is in no view, or that has none, has no parent.
  int (*const parents[])(int) = {IsYrlViewParentTop,    IsYrlViewParentFront,     IsYrlViewParentRight,
                                 IsYrlViewParentBottom, IsYrlViewParentRear,      IsYrlViewParentLeft,
                                 IsYrlViewParentTopBot, IsYrlViewParentFrontRear, IsYrlViewParentRightLeft};
  for (auto parent : parents) {
    EXPECT_EQ(parent(14), 0);
    EXPECT_EQ(parent(15), 0);
  }
  EXPECT_EQ(YrlViewParentNameMatches(14, ""), 0);
}

TEST_F(Views, NamesCompareExactly) {
  add_table();
  struct Case {
    const char* name;
    int id;
  };
  const Case ids[] = {{"TOP", 1},  {"FRONT", 2}, {"RIGHT", 3},  {"BOTTOM", 4}, {"REAR", 5},
                      {"LEFT", 6}, {"top", 0},   {"FRONT ", 0}, {"SEC_A", 0},  {"", 0}};
  for (const Case& c : ids) {
    int id = -1;
    EXPECT_EQ(YrlViewNameIdGet(c.name, &id), 0);
    EXPECT_EQ(id, c.id) << c.name;
  }
  EXPECT_EQ(YrlViewNameIdGet("TOP", nullptr), 0);
  EXPECT_EQ(YrlViewIdNameMatches(1, "TOP"), 1);
  EXPECT_EQ(YrlViewIdNameMatches(1, "top"), 0);
  EXPECT_EQ(YrlViewIdNameMatches(99, "TOP"), 0);

  char name[32] = "preset";
  EXPECT_EQ(YrlViewIdNameGet(3, name), 0);
  EXPECT_STREQ(name, "RIGHT");
  std::strcpy(name, "preset");
  int type = -7;
  EXPECT_EQ(YrlViewSetupViewnameGetFromGroupId(99, name, &type), 0);
  EXPECT_STREQ(name, "preset");
  EXPECT_EQ(type, -7);
  int group_id = 0;
  EXPECT_EQ(YrlViewSetupGroupIdFromNameGet("AUX_B", &group_id, &type), 0);
  EXPECT_EQ(group_id, 11);
  EXPECT_EQ(type, 3);
  EXPECT_EQ(YrlViewNameTypeGet("SEC_A", &type), 0);
  EXPECT_EQ(type, 2);
  EXPECT_EQ(YrlViewNameTypeGet("", &type), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(type, 0);
  type = 5;
  EXPECT_EQ(YrlViewNameTypeGet("sec_a", &type), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(type, 0);
  EXPECT_EQ(YrlViewIdTypeMatches(99, 0), 1);  // a missing view has type 0
}

TEST_F(Views, ParentOfADetailView) {
  add_table();
  char parent[32] = "";
  EXPECT_EQ(YrlViewParentViewNameGet("DET_C", parent), 0);
  EXPECT_STREQ(parent, "RIGHT");
  std::strcpy(parent, "preset");
  EXPECT_EQ(YrlViewParentViewNameGet("DET_E", parent), 0);
  EXPECT_STREQ(parent, "preset");
  EXPECT_EQ(YrlViewParentViewNameGet("DET_F", parent), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(YrlViewParentViewNameGet("NONE", parent), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(YrlViewParentViewNameGet("DET_C", nullptr), VYN_TK_E_NOT_FOUND);
}

// ---- Membership -------------------------------------------------------------------------

TEST_F(Views, TheViewHoldingAnEntity) {
  add_table();
  char name[32] = "";
  int group_id = 0;
  int type = 0;
  EXPECT_EQ(YrlViewSetupViewnameGet(302, name, &group_id, &type), 0);
  EXPECT_STREQ(name, "RIGHT");
  EXPECT_EQ(group_id, 3);
  EXPECT_EQ(type, 1);
  std::strcpy(name, "preset");
  EXPECT_EQ(YrlViewSetupViewnameGet(12345, name, &group_id, &type), 0);
  EXPECT_STREQ(name, "preset");
  EXPECT_EQ(group_id, 3);

  // By selection; the defaults mean "in no view".
  auto select = [&](int id) {
    VynModelitem item{YRL_DRAFT_ENTITY_TYPE, id, drawing};
    VynSelection selection = nullptr;
    EXPECT_EQ(VynSelectionAlloc(nullptr, &item, &selection), 0);
    return selection;
  };
  VynSelection in_aux = select(601);
  VynSelection in_none = select(12345);
  EXPECT_EQ(YrlViewSetupIdGetBySelection(in_aux, &group_id), 0);
  EXPECT_EQ(group_id, 11);
  EXPECT_EQ(YrlViewSetupIdGetBySelection(in_none, &group_id), 0);
  EXPECT_EQ(group_id, -1);
  EXPECT_EQ(YrlViewSetupNameGetBySelection(in_aux, name), 0);
  EXPECT_STREQ(name, "AUX_B");
  EXPECT_EQ(YrlViewSetupNameGetBySelection(in_none, name), 0);
  EXPECT_STREQ(name, "");
  EXPECT_EQ(YrlViewSetupIdTypeGetBySelection(in_aux, &type, name), 0);
  EXPECT_EQ(type, 3);
  EXPECT_STREQ(name, "AUX_B");
  EXPECT_EQ(YrlViewSetupIdTypeGetBySelection(in_none, &type, name), 0);
  EXPECT_EQ(type, -1);
  // A failing host passes its status up with the defaults in place.
  yrlhost::call_log_fail_on_call("VynSelectionModelitemGet_v", 1, -1);
  group_id = 5;
  EXPECT_EQ(YrlViewSetupIdGetBySelection(in_aux, &group_id), -1);
  EXPECT_EQ(group_id, -1);
  EXPECT_EQ(VynSelectionFree(&in_aux), 0);
  EXPECT_EQ(VynSelectionFree(&in_none), 0);
}

TEST_F(Views, AnEntityListedTwiceBelongsToTheFirstViewListed) {
  add_view(record_of({"FRONT", 1, 2, {7}}), {7});
  add_view(record_of({"TOP", 1, 1, {7}}), {7});
  char name[32] = "";
  EXPECT_EQ(YrlViewSetupViewnameGet(7, name, nullptr, nullptr), 0);
  EXPECT_STREQ(name, "FRONT");
  // A cleared view's member slots stay but no record lists them.
  ASSERT_EQ(YrlViewStreamDelete("FRONT"), 0);
  EXPECT_EQ(YrlViewSetupViewnameGet(7, name, nullptr, nullptr), 0);
  EXPECT_STREQ(name, "TOP");
}

TEST_F(Views, AStoredMemberCountBeyondTheSlotsIsNoEndlessScan) {
  // A damaged record claims far more members than the class has slots.
  YrlViewData r = record_of({"FRONT", 1, 2, {7}});
  r.member_count = 1000000;
  add_view(r, {7});
  add_view(record_of({"TOP", 1, 1, {9}}), {9});
  yrlhost::call_log_clear();
  char name[32] = "";
  EXPECT_EQ(YrlViewSetupViewnameGet(9, name, nullptr, nullptr), 0);
  EXPECT_STREQ(name, "TOP");
  EXPECT_LT(yrlhost::call_log_of("VynExtdataSlotRead_v").size(), 100u);
}

// ---- Counting and group ids -------------------------------------------------------------

TEST_F(Views, CountsOfDeclaredViews) {
  int views = -1;
  int ortho = -1;
  int section = -1;
  EXPECT_EQ(YrlViewSetupFindNoOfViews(&views, &ortho, &section), 0);
  EXPECT_EQ(views, 0);
  add_table();
  EXPECT_EQ(YrlViewSetupFindNoOfViews(&views, &ortho, &section), 0);
  EXPECT_EQ(ortho, 4);
  EXPECT_EQ(section, 1);
  EXPECT_EQ(views, 5);  // auxiliary and detail views are not counted
  EXPECT_EQ(YrlViewSetupFindNoOfViews(nullptr, nullptr, nullptr), 0);
}

TEST_F(Views, NewGroupIdsCountUpFromTen) {
  int id = 0;
  EXPECT_EQ(YRLGetNewViewGroupID(&id), 0);
  EXPECT_EQ(id, 10);
  int stored = 0;
  EXPECT_EQ(YrlViewIntegerRetrieve("YRL_V_GROUPID", &stored), 0);
  EXPECT_EQ(stored, 11);
  EXPECT_EQ(YRLGetNewViewGroupID(&id), 0);
  EXPECT_EQ(id, 11);
  EXPECT_EQ(YRLGetNewViewGroupID(nullptr), 0);
  // Only a failing store fails.
  yrlhost::call_log_fail_on_call("VynExtdataSlotWrite_v", 1, -1);
  EXPECT_EQ(YRLGetNewViewGroupID(&id), -1);
  EXPECT_EQ(id, 13);
  EXPECT_EQ(YrlViewIntegerRetrieve("YRL_V_GROUPID", &stored), 0);
  EXPECT_EQ(stored, 13);
}

TEST_F(Views, ADamagedGroupCounterHandsOutNoIdAViewHolds) {
  // Sections of ids 10 and 14; the counter as a drawing edited by hand may hold it.
  for (const auto& [name, group] : {std::pair{"SEC_A", 10}, std::pair{"SEC_B", 14}}) {
    YrlViewData r{};
    r.view_type = 2;
    r.group_id = group;
    std::strcpy(r.view_name, name);
    ASSERT_EQ(YrlViewDataWrite(name, r), 0);
  }
  struct Case {
    int stored;  // 0: no counter slot
    int status;
    int handed;
  };
  for (const Case& c : {Case{0, 0, 15}, Case{1, 0, 15}, Case{-5, 0, 15}, Case{12, 0, 15}, Case{20, 0, 20},
                        Case{INT_MAX, VYN_TK_GENERAL_ERROR, -1}}) {
    if (c.stored) ASSERT_EQ(YrlViewIntegerSave("YRL_V_GROUPID", c.stored), 0);
    else YrlViewStreamDelete("YRL_V_GROUPID");
    int id = -1;
    EXPECT_EQ(YRLGetNewViewGroupID(&id), c.status) << c.stored;
    EXPECT_EQ(id, c.handed) << c.stored;
    int next = 0;
    if (c.status == 0) {
      EXPECT_EQ(YrlViewIntegerRetrieve("YRL_V_GROUPID", &next), 0);
      EXPECT_EQ(next, c.handed + 1) << c.stored;
    }
  }
}

// ---- Reference points -------------------------------------------------------------------

TEST(ReferencePointFold, CornerByViewName) {
  // Two entities: a first outline, then a second one; the reference point starts where
  // the view creation starts it.
  const double first[6] = {5, 5, 0, 8, 9, 0};
  const double second[6] = {2, 7, 0, 12, 11, 0};
  struct Case {
    const char* name;
    double x, y;
  };
  const Case cases[] = {
      {"TOP", 2, 11}, {"REAR", 2, 11},  {"FRONT", 2, 5},  {"front", 2, 5}, {"BOTTOM", 2, 5},
      {"LEFT", 2, 5}, {"RIGHT", 12, 5}, {"Right", 12, 5}, {"SEC_A", 5, 5}, {"DETAIL", 5, 5},
  };
  for (const Case& c : cases) {
    double ref[3] = {9999999.0, 9999999.0, 0};
    double bounds[6] = {};
    YrlFindReferencePointofView(1, c.name, first, ref, bounds);
    EXPECT_EQ(ref[0], 5);
    EXPECT_EQ(ref[1], 5);
    YrlFindReferencePointofView(0, c.name, second, ref, bounds);
    EXPECT_EQ(ref[0], c.x) << c.name;
    EXPECT_EQ(ref[1], c.y) << c.name;
    EXPECT_EQ(ref[2], 0);
    const double grown[6] = {2, 5, 0, 12, 11, 0};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(bounds[k], grown[k]) << c.name << " " << k;
  }
}

TEST(ReferencePointFold, ASingleEntityGivesItsMinCorner) {
  const double outline[6] = {-3, 4, 0, 6, 10, 0};
  for (const char* name : {"TOP", "RIGHT", "FRONT", "X"}) {
    double ref[3] = {9999999.0, 9999999.0, 0};
    double bounds[6];
    YrlFindReferencePointofView(1, name, outline, ref, bounds);
    EXPECT_EQ(ref[0], -3);
    EXPECT_EQ(ref[1], 4);
    const double expected[6] = {-3, 4, 0, 6, 10, 0};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(bounds[k], expected[k]);
  }
}

TEST_F(Views, AnEntityWithoutAnOutlineChangesNothing) {
  // A line of the host's drawing from (4, 1) to (6, 3).
  yrlhost::DraftEntity line;
  const double a[3] = {4, 1, 0}, b[3] = {6, 3, 0};
  line.curve = yrlhost::draft_line(a, b);
  std::string error;
  const int id = yrlhost::host_entity_add(drawing, line, error);
  ASSERT_GT(id, 0) << error;
  VynModelitem item{YRL_DRAFT_ENTITY_TYPE, id, drawing};
  VynSelection selection = nullptr;
  ASSERT_EQ(VynSelectionAlloc(nullptr, &item, &selection), 0);
  double ref[3] = {9999999.0, 9999999.0, 0};
  double bounds[6] = {1, 2, 0, 3, 4, 0};
  for (const char* failing :
       {"VynSelectionModelitemGet_v", "VynDtlentityDataGet_v", "VynDtlentitydataCurveGet_v"}) {
    yrlhost::call_log_fail_on_call(failing, 1, -1);
    EXPECT_EQ(YrlReferencePointGet(0, "FRONT", selection, ref, bounds), -1) << failing;
    EXPECT_EQ(ref[0], 9999999.0);
    EXPECT_EQ(bounds[3], 3);
  }
  // Read, the line's outline grows the bounds, and its data is freed again.
  EXPECT_EQ(YrlReferencePointGet(0, "FRONT", selection, ref, bounds), 0);
  EXPECT_EQ(bounds[3], 6);
  EXPECT_EQ(bounds[4], 4);
  EXPECT_EQ(yrlhost::live_object_count(LiveKind::data_record), 0u);
  // An entity deleted since it was picked has no outline either.
  ASSERT_TRUE(yrlhost::host_entity_delete(drawing, id));
  EXPECT_EQ(YrlReferencePointGet(0, "FRONT", selection, ref, bounds), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(VynSelectionFree(&selection), 0);
}

TEST_F(Views, StoredReferencePointsAndScale) {
  YrlViewData right = record_of({"RIGHT", 1, 3, {301}});
  right.ref_point[0] = 100;
  right.ref_point[1] = 50;
  right.bounds[0] = 90;
  right.bounds[1] = 40;
  right.bounds[3] = 130;
  right.bounds[4] = 71;
  right.scale = 0.5;
  add_view(right, {301});
  YrlViewData section = record_of({"SEC_A", 2, 10, {501}});
  section.ref_point[0] = 1;
  section.vpr_point[0] = 7;
  section.vpr_point[1] = 8;
  add_view(section, {501});
  YrlViewData detail = record_of({"DET_C", 4, 12, {701}, 301});
  detail.ref_point[0] = 1;
  detail.vpr_point[0] = 20;
  detail.vpr_point[1] = 30;
  detail.position_point[0] = 110;
  detail.position_point[1] = 45;
  detail.scale = 2.0;
  add_view(detail, {701});
  add_view(record_of({"EMPTY", 1, 4, {}}), {});

  double point[3] = {-1, -1, -1};
  EXPECT_EQ(YrlViewNameRefPointGet("RIGHT", point), 0);
  EXPECT_EQ(point[0], 100);
  EXPECT_EQ(point[1], 50);
  EXPECT_EQ(YrlViewNameRefPointGet("SEC_A", point), 0);  // the view-reference point
  EXPECT_EQ(point[0], 7);
  EXPECT_EQ(point[1], 8);
  EXPECT_EQ(YrlViewNameRefPointGet("NONE", point), VYN_TK_E_NOT_FOUND);

  // The detail view's view-reference point carried to its parent at its scale:
  // (20, 30) + 2 * ((100, 50) - (110, 45)).
  EXPECT_EQ(YrlViewIdRefPointGet(12, point), 0);
  EXPECT_EQ(point[0], 0);
  EXPECT_EQ(point[1], 40);
  EXPECT_EQ(point[2], 0);

  double scale = 0;
  EXPECT_EQ(YrlViewIdScaleGet(3, &scale), 0);
  EXPECT_EQ(scale, 0.5);
  EXPECT_EQ(YrlViewIdScaleGet(99, &scale), -1);
  double centre[3];
  scale = 0;
  EXPECT_EQ(YrlViewNameCentrePointGet("RIGHT", &scale, centre), 0);
  EXPECT_EQ(centre[0], 110);
  EXPECT_EQ(centre[1], 55.5);
  EXPECT_EQ(centre[2], 0);
  EXPECT_EQ(scale, 0.5);

  // A record without members reads as zero point and bounds, scale 1.0.
  double bounds[6] = {1, 1, 1, 1, 1, 1};
  point[0] = 5;
  EXPECT_EQ(YrlViewDataGet("EMPTY", &scale, point, bounds, 0), 0);
  EXPECT_EQ(scale, 1.0);
  EXPECT_EQ(point[0], 0);
  EXPECT_EQ(bounds[3], 0);
  EXPECT_EQ(YrlViewDataGet("NONE", &scale, point, bounds, 0), VYN_TK_E_NOT_FOUND);
}

TEST_F(Views, ADetailPointGoesThroughTheInverseScreenTransform) {
  YrlViewData right = record_of({"RIGHT", 1, 3, {301}});
  right.ref_point[0] = 100;
  right.ref_point[1] = 50;
  add_view(right, {301});
  YrlViewData detail = record_of({"DET_C", 4, 12, {701}, 301});
  detail.vpr_point[0] = 20;
  detail.vpr_point[1] = 30;
  detail.position_point[0] = 110;
  detail.position_point[1] = 44;
  detail.scale = 0.5;
  add_view(detail, {701});

  // Screen to drawing: scale by 2, then move by (4, 8); its inverse halves after moving back.
  const double m[4][4] = {{2, 0, 0, 0}, {0, 2, 0, 0}, {0, 0, 1, 0}, {4, 8, 0, 1}};
  std::memcpy(scr_to_drw_matrix, m, sizeof m);
  ScrToDrwMatix_Set = 1;
  double point[3];
  EXPECT_EQ(YrlViewIdRefPointGet(12, point), 0);
  // point (8, 11), position (53, 18): (8, 11) + 0.5 * ((100, 50) - (53, 18)).
  EXPECT_EQ(point[0], 31.5);
  EXPECT_EQ(point[1], 27);
}

TEST_F(Views, LoadingAViewMakesItsMembersTheCurrentGroup) {
  add_view(record_of({"TOP", 1, 1, {101, 102, 103}}), {101, 102, 103});
  double point[3];
  double bounds[6];
  ASSERT_EQ(YrlViewDataGet("TOP", nullptr, point, bounds, 1), 0);
  ASSERT_NE(view_sel, nullptr);
  int n = 0;
  ASSERT_EQ(VynArraySizeGet(view_sel, &n), 0);
  ASSERT_EQ(n, 3);
  VynModelitem item;
  ASSERT_EQ(VynSelectionModelitemGet(static_cast<VynSelection*>(view_sel)[2], &item), 0);
  EXPECT_EQ(item.id, 103);
  EXPECT_EQ(item.type, YRL_DRAFT_ENTITY_TYPE);
  EXPECT_EQ(item.owner, drawing);

  // Loading again replaces the group and frees the selections it held; an empty view
  // leaves an empty group.
  std::size_t arrays = yrlhost::live_object_count(LiveKind::array);
  std::size_t selections = yrlhost::live_object_count(LiveKind::selection);
  add_view(record_of({"FRONT", 1, 2, {}}), {});
  ASSERT_EQ(YrlViewDataGet("FRONT", nullptr, point, bounds, 1), 0);
  ASSERT_EQ(VynArraySizeGet(view_sel, &n), 0);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(yrlhost::live_object_count(LiveKind::selection), selections - 3);
  ASSERT_EQ(YrlViewDataGet("FRONT", nullptr, point, bounds, 1), 0);
  EXPECT_EQ(yrlhost::live_object_count(LiveKind::array), arrays);
  EXPECT_EQ(YrlClearCurSel(), 0);  // an empty group stays
  EXPECT_NE(view_sel, nullptr);
}

TEST_F(Views, ASelectionTheGroupCannotTakeIsFreed) {
  add_view(record_of({"TOP", 1, 1, {101, 102}}), {101, 102});
  std::size_t selections = yrlhost::live_object_count(LiveKind::selection);
  yrlhost::call_log_fail_on_call("VynArrayObjectAdd_v", 2);
  EXPECT_NE(YrlViewDataGet("TOP", nullptr, nullptr, nullptr, 1), 0);
  EXPECT_EQ(yrlhost::live_object_count(LiveKind::selection), selections + 1);
  EXPECT_EQ(YrlClearCurSel(), 0);
  EXPECT_EQ(yrlhost::live_object_count(LiveKind::selection), selections);
}

TEST_F(Views, ClearingTheCurrentGroupFreesItsSelections) {
  add_view(record_of({"TOP", 1, 1, {101, 102}}), {101, 102});
  std::size_t selections = yrlhost::live_object_count(LiveKind::selection);
  ASSERT_EQ(YrlViewDataGet("TOP", nullptr, nullptr, nullptr, 1), 0);
  EXPECT_EQ(yrlhost::live_object_count(LiveKind::selection), selections + 2);
  EXPECT_EQ(YrlClearCurSel(), 0);
  EXPECT_EQ(view_sel, nullptr);
  EXPECT_EQ(yrlhost::live_object_count(LiveKind::selection), selections);
}

}  // namespace
