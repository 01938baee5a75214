// Creating and clearing named views through the selection dialog, and the readers and
// writers of their records.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/select/select.h"
#include "app/storage/storage.h"
#include "app/views/viewdata.h"
#include "app/views/views.h"
#include "host/plugin/call_log.h"
#include "host/ui/messages.h"
#include "host/display/selection.h"
#include "tests/app/util/apputil_fixture.h"

namespace {

class ViewCreate : public yrltest::UtilTest {
 protected:
  void SetUp() override {
    UtilTest::SetUp();
    ASSERT_EQ(YrlAllClassRegister(), 0);
    line_entity(1, {0, 0, 0}, {40, 0, 0});
    line_entity(2, {40, 0, 0}, {40, 20, 0});
    line_entity(3, {100, 100, 0}, {130, 100, 0});
    line_entity(4, {130, 100, 0}, {130, 110, 0});
  }

  static YrlViewData record(const char* name) {
    YrlViewData r{};
    EXPECT_EQ(YrlViewDataRead(name, &r), 0) << name;
    return r;
  }

  // A new section of the box's two lines takes group id group; the counter then holds
  // the next.
  static void expect_new_section(const char* name, int group) {
    YrlClearCurSel();
    box_select(99, 99, 131, 111);
    ASSERT_EQ(YrlCreateView("yrlviewsetup", name, 2), 0) << name;
    EXPECT_EQ(record(name).group_id, group) << name;
    int next = 0;
    EXPECT_EQ(YrlViewIntegerRetrieve("YRL_V_GROUPID", &next), 0);
    EXPECT_EQ(next, group + 1);
  }

  static int group_size() {
    int n = 0;
    if (view_sel) VynArraySizeGet(view_sel, &n);
    return n;
  }
};

TEST_F(ViewCreate, AnOrthographicViewFromABoxPick) {
  box_select(-1, -1, 41, 21);
  ASSERT_EQ(YrlCreateView("yrlviewsetup", "FRONT", 1), 0);
  YrlViewData r = record("FRONT");
  EXPECT_EQ(r.view_type, 1);
  EXPECT_EQ(r.group_id, 2);
  EXPECT_EQ(r.member_count, 2);
  EXPECT_EQ(r.scale, 1.0);  // no scale input to read
  EXPECT_EQ(r.ref_point[0], 0);
  EXPECT_EQ(r.ref_point[1], 0);
  const double bounds[6] = {-10, -10, 0, 50, 30, 0};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(r.bounds[k], bounds[k]) << k;
  double scale = 0;
  EXPECT_EQ(YrlViewDoubleRetrieve("YRL_DWGSCALE", &scale), 0);
  EXPECT_EQ(scale, 1.0);
  int id = 0;
  EXPECT_EQ(YrlViewIntegerRetrieve("FRONT_1", &id), 0);
  EXPECT_EQ(id, 2);
  EXPECT_EQ(group_size(), 2);
  char name[YRL_VIEW_NAME_SIZE] = "";
  EXPECT_EQ(YrlViewSetupViewnameGet(2, name, nullptr, nullptr), 0);
  EXPECT_STREQ(name, "FRONT");

  // A section view takes a new group id and leaves the drawing scale alone.
  ASSERT_EQ(YrlViewDoubleSave("YRL_DWGSCALE", 3.0), 0);
  YrlClearCurSel();
  box_select(99, 99, 131, 111);
  ASSERT_EQ(YrlCreateView("yrlviewsetup", "SEC_A", 2), 0);
  EXPECT_EQ(record("SEC_A").group_id, 10);
  EXPECT_EQ(YrlViewDoubleRetrieve("YRL_DWGSCALE", &scale), 0);
  EXPECT_EQ(scale, 3.0);
  // Picked again: a new group id, the same name.
  box_select(99, 99, 131, 111);
  ASSERT_EQ(YrlCreateView("yrlviewsetup", "SEC_A", 2), 0);
  EXPECT_EQ(record("SEC_A").group_id, 11);
  EXPECT_EQ(record("SEC_A").member_count, 2);

  int views = 0, ortho = 0, section = 0, count = 0;
  EXPECT_EQ(YrlViewSetupFindNoOfViews(&views, &ortho, &section), 0);
  EXPECT_EQ(views, 2);
  EXPECT_EQ(YrlViewSetupMinNoOfViews(1, &count), 0);
  EXPECT_EQ(count, 1);
  VynArray narrow = nullptr, wide = nullptr;
  EXPECT_EQ(YrlViewNamesGet(2, &count, &narrow, &wide), 0);
  ASSERT_EQ(count, 1);
  EXPECT_STREQ(static_cast<const char*>(narrow), "SEC_A");
  VynArrayFree(&narrow);
  VynArrayFree(&wide);
}

TEST_F(ViewCreate, NothingPickedStoresAnEmptyViewAndAFailedPickKeepsTheOldOne) {
  box_select(-1, -1, 41, 21);
  ASSERT_EQ(YrlCreateView("yrlviewsetup", "FRONT", 1), 0);
  // The dialog cannot be built: the pick fails, FRONT stays as it was.
  yrlhost::call_log_fail_on_call("VynUIDialogCreate_v", 1, -1);
  EXPECT_EQ(YrlCreateView("yrlviewsetup", "FRONT", 1), -1);
  EXPECT_EQ(record("FRONT").member_count, 2);
  EXPECT_EQ(yrlhost::messages_displayed().back(), "No entity selected.");
  // The host cannot tell how many entities the dialog holds when it closes: a failed
  // pick too, not an empty one.
  check([] { yrlhost::call_log_set_result_word("VynArraySizeGet_v", -1); });
  user("press yrlselobj Close");
  EXPECT_EQ(YrlCreateView("yrlviewsetup", "FRONT", 1), -1);
  yrlhost::call_log_clear_result("VynArraySizeGet_v");
  EXPECT_EQ(record("FRONT").member_count, 2);

  // The user removes every member and closes: an empty view.
  user("press yrlselobj Remove");
  user("mouse 1 -1 -1 0");
  user("box 41 21 0");
  user("press yrlselobj Close");
  ASSERT_EQ(YrlCreateView("yrlviewsetup", "FRONT", 1), 0);
  EXPECT_EQ(record("FRONT").member_count, 0);
  double scale = 0, ref[3] = {1, 1, 1}, bounds[6];
  EXPECT_EQ(YrlViewDataGet("FRONT", &scale, ref, bounds, 0), 0);
  EXPECT_EQ(ref[0], 0);
}

TEST_F(ViewCreate, ANameHeldByAViewOfAnotherKindOrByOtherViewDataIsRefused) {
  box_select(-1, -1, 41, 21);
  ASSERT_EQ(YrlCreateView("yrlviewsetup", "FRONT", 1), 0);
  const YrlViewData front = record("FRONT");
  // No selection dialog opens for a refused name: nothing is queued for one.
  for (int type : {2, 3, 4}) {
    for (const char* name : {"FRONT", "front", "YRL_DWGSCALE", "FRONT_1"}) {
      EXPECT_EQ(YrlCreateView("yrlviewsetup", name, type), VYN_TK_E_FOUND) << name << " " << type;
      ASSERT_FALSE(yrlhost::messages_displayed().empty());
      EXPECT_EQ(yrlhost::messages_displayed().back(),
                std::string("The name ") + name +
                    " belongs to another view or to the drawing's view data; choose another name.");
    }
  }
  YrlViewData after = record("FRONT");
  EXPECT_EQ(after.view_type, 1);
  EXPECT_EQ(after.group_id, front.group_id);
  EXPECT_EQ(after.member_count, 2);
  int id = 0;
  EXPECT_EQ(YrlViewIntegerRetrieve("FRONT_1", &id), 0);
  EXPECT_EQ(id, 2);
  double scale = 0;
  EXPECT_EQ(YrlViewDoubleRetrieve("YRL_DWGSCALE", &scale), 0);
  EXPECT_EQ(scale, 1.0);
  int next = 0;
  EXPECT_NE(YrlViewIntegerRetrieve("YRL_V_GROUPID", &next), 0);  // no group id was handed out

  // A section view of two members whose member slot would be another view's record.
  YrlClearCurSel();
  box_select(99, 99, 131, 111);
  ASSERT_EQ(YrlCreateView("yrlviewsetup", "SEC_1", 2), 0);
  YrlClearCurSel();
  box_select(99, 99, 131, 111);
  EXPECT_EQ(YrlCreateView("yrlviewsetup", "SEC", 2), VYN_TK_E_FOUND);
  EXPECT_EQ(record("SEC_1").view_type, 2);
  YrlViewData none{};
  EXPECT_NE(YrlViewDataRead("SEC", &none), 0);
  // The same kind keeps its name: picked again.
  YrlClearCurSel();
  box_select(99, 99, 131, 111);
  EXPECT_EQ(YrlCreateView("yrlviewsetup", "SEC_1", 2), 0);
}

TEST_F(ViewCreate, TheDrawingsSharedSlotNamesAreRefusedBeforeTheDrawingHasThem) {
  // A new drawing: no group counter, no drawing scale yet. A view of either name would be
  // written over by the first section's counter or the first orthographic view's scale.
  for (int type : {2, 3, 4}) {
    for (const char* name : {"YRL_V_GROUPID", "YRL_DWGSCALE", "yrl_dwgscale"}) {
      EXPECT_EQ(YrlCreateView("yrlviewsetup", name, type), VYN_TK_E_FOUND) << name << " " << type;
      ASSERT_FALSE(yrlhost::messages_displayed().empty());
      EXPECT_EQ(yrlhost::messages_displayed().back(),
                std::string("The name ") + name +
                    " belongs to another view or to the drawing's view data; choose another name.");
      YrlViewData r{};
      EXPECT_NE(YrlViewDataRead(name, &r), 0) << name;
    }
  }
  expect_new_section("SEC_A", 10);
}

TEST_F(ViewCreate, AViewWhoseMemberSlotsCannotBeNamedStoresNothing) {
  const std::string name(29, 'L');  // "<name>_1" is 31 characters: the slots fit
  const std::string longer(30, 'L');  // "<name>_1" would be 32
  box_select(99, 99, 131, 111);
  EXPECT_NE(YrlCreateView("yrlviewsetup", longer.c_str(), 2), 0);
  YrlViewData r{};
  EXPECT_NE(YrlViewDataRead(longer.c_str(), &r), 0);
  int id = 0;
  EXPECT_NE(YrlViewIntegerRetrieve((longer + "_0").c_str(), &id), 0);
  ASSERT_FALSE(yrlhost::messages_displayed().empty());
  EXPECT_NE(yrlhost::messages_displayed().back().find("is too long to be kept in the drawing"), std::string::npos);
  EXPECT_EQ(group_size(), 0);
  box_select(99, 99, 131, 111);
  ASSERT_EQ(YrlCreateView("yrlviewsetup", name.c_str(), 2), 0);
  EXPECT_EQ(record(name.c_str()).member_count, 2);
}

TEST_F(ViewCreate, AFailedStorePutsTheViewBackAsItWas) {
  box_select(-1, -1, 41, 21);
  ASSERT_EQ(YrlCreateView("yrlviewsetup", "FRONT", 1), 0);
  const YrlViewData before = record("FRONT");
  // Picked again as 3 and 4; the second member cannot be stored (the record, then the
  // members: the third write).
  YrlClearCurSel();
  box_select(99, 99, 131, 111);
  yrlhost::call_log_fail_on_call("VynExtdataSlotWrite_v", 3, -1);
  EXPECT_EQ(YrlCreateView("yrlviewsetup", "FRONT", 1), -1);
  YrlViewData after = record("FRONT");
  EXPECT_EQ(after.member_count, 2);
  EXPECT_EQ(std::memcmp(after.bounds, before.bounds, sizeof after.bounds), 0);
  for (int i = 0; i < 2; ++i) {
    int id = 0;
    EXPECT_EQ(YrlViewIntegerRetrieve(("FRONT_" + std::to_string(i)).c_str(), &id), 0);
    EXPECT_EQ(id, i + 1) << i;
  }
  EXPECT_EQ(group_size(), 2);  // FRONT's own members are the current group again

  // A new view whose second save fails leaves no record behind.
  YrlClearCurSel();
  box_select(99, 99, 131, 111);
  yrlhost::call_log_fail_on_call("VynExtdataSlotWrite_v", 5, -1);  // counter, record, 2 members, record
  EXPECT_EQ(YrlCreateView("yrlviewsetup", "SEC_A", 2), -1);
  YrlViewData r{};
  EXPECT_NE(YrlViewDataRead("SEC_A", &r), 0);

  // A new view whose group id cannot be counted is not stored under it: the next view
  // would be handed the same id.
  YrlClearCurSel();
  box_select(99, 99, 131, 111);
  yrlhost::call_log_fail_on_call("VynExtdataSlotWrite_v", 1, -1);  // the counter
  EXPECT_EQ(YrlCreateView("yrlviewsetup", "SEC_B", 2), -1);
  EXPECT_NE(YrlViewDataRead("SEC_B", &r), 0);
  expect_new_section("SEC_C", 11);
}

TEST_F(ViewCreate, ClearingAView) {
  box_select(-1, -1, 41, 21);
  ASSERT_EQ(YrlCreateView("yrlviewsetup", "FRONT", 1), 0);
  // A drawing-view name whose view does not exist: the record still goes.
  ASSERT_EQ(YrlViewSetupAutoViewNameSet("FRONT", "VIEW_99"), 0);
  char dwg[YRL_VIEW_NAME_SIZE];
  EXPECT_EQ(YrlViewSetupAutoViewNameGet("FRONT", dwg), 0);
  EXPECT_STREQ(dwg, "VIEW_99");
  VynView view = nullptr;
  EXPECT_EQ(YrlViewNameToView("FRONT", &view), 0);
  EXPECT_EQ(view, nullptr);
  EXPECT_EQ(YrlClearView("FRONT"), 0);
  YrlViewData r{};
  EXPECT_NE(YrlViewDataRead("FRONT", &r), 0);
  EXPECT_EQ(group_size(), 0);
  int id = 0;
  EXPECT_EQ(YrlViewIntegerRetrieve("FRONT_0", &id), 0);  // member slots stay
  char name[YRL_VIEW_NAME_SIZE] = "";
  EXPECT_EQ(YrlViewSetupViewnameGet(1, name, nullptr, nullptr), 0);
  EXPECT_STREQ(name, "");
  EXPECT_EQ(YrlViewSetupAutoViewNameGet("FRONT", dwg), VYN_TK_E_NOT_FOUND);
}

TEST_F(ViewCreate, RecordFieldsReadAndWritten) {
  box_select(99, 99, 131, 111);
  ASSERT_EQ(YrlCreateView("yrlviewsetup", "DET_A", 4), 0);
  char text[64] = "x";
  EXPECT_EQ(YrlViewVPRStringDisplayGet("DET_A", text), VYN_TK_E_NOT_FOUND);
  EXPECT_STREQ(text, "");
  YrlViewData r = record("DET_A");
  r.vpr_id = 3;
  r.cut_plane_id = 1;
  r.position_id = 2;
  ASSERT_EQ(YrlViewDataWrite("DET_A", r), 0);
  EXPECT_EQ(YrlViewVPRStringDisplayGet("DET_A", text), 0);
  EXPECT_STREQ(text, "ID3(DRAFT ENTITY)");
  EXPECT_EQ(YrlViewPositionStringDisplayGet("DET_A", text), 0);
  EXPECT_STREQ(text, "ID2(DRAFT ENTITY)");
  EXPECT_EQ(YrlViewPosition1StringDisplayGet("DET_A", text), VYN_TK_E_NOT_FOUND);
  int id = 0;
  double points[2][3];
  EXPECT_EQ(YrlViewCutPlaneOutlineGet("DET_A", &id, points), 0);
  EXPECT_EQ(id, 1);
  EXPECT_EQ(points[1][0], 40);
  EXPECT_EQ(YrlViewRefPlaneIdGet("DET_A", &id), 0);
  EXPECT_EQ(id, 3);
  EXPECT_EQ(YrlViewVPREntHighlight("DET_A"), 0);
  EXPECT_EQ(yrlhost::highlight_colour(VynModelitem{77, 3, drawing}), 5);
  EXPECT_EQ(YrlViewPosition1EntHighlight("DET_A"), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(YrlViewDataDwgScaleSet("DET_A", 2.5), 0);
  EXPECT_EQ(record("DET_A").scale, 2.5);
  EXPECT_EQ(YrlViewDataDwgScaleSet("NOPE", 2.5), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(YrlViewSetupEntityAdd("DET_A", 1), 0);
  EXPECT_EQ(YrlViewNameEntCountGet("DET_A", &id), 0);
  EXPECT_EQ(id, 3);
  EXPECT_EQ(YrlViewIntegerRetrieve("DET_A_2", &id), 0);
  EXPECT_EQ(id, 1);
  EXPECT_EQ(YrlViewCutPlaneIDGet("NOPE", &id), VYN_TK_E_NOT_FOUND);
}

}  // namespace
