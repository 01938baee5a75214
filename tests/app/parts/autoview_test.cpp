// The view map through the stand-in host and the scripted user: automatic pairs by name,
// the stored "Y_P" entries and sheet, general drawing views on the part's own sheet
// turned by view name, the dialog's Map and Remove Map, and the records kept across
// saving and reopening the drawing.
#include "app/parts/autoview.h"
#include "app/parts/part_setup.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/menus/app_menus.h"
#include "app/prefs/prefs.h"
#include "app/storage/storage.h"
#include "app/util/apputil.h"
#include "app/views/view_setup.h"
#include "app/views/viewdata.h"
#include "app/views/views.h"
#include "host/store/drawings.h"
#include "host/store/models.h"
#include "host/files/model_files.h"
#include "host/ui/ui.h"
#include "tests/app/util/apputil_fixture.h"

namespace {

class AutoView : public yrltest::UtilTest {
 protected:
  void SetUp() override {
    UtilTest::SetUp();
    ASSERT_EQ(YrlAllClassRegister(), 0);
    preferences.auto_drawing_view_create = 1;
  }

  // A declared orthographic view with its bounds (its members are not read here).
  static void declare(const char* name, int group, double x0, double y0, double x1, double y1) {
    YrlViewData r{};
    r.view_type = 1;
    r.group_id = group;
    std::snprintf(r.view_name, sizeof r.view_name, "%s", name);
    r.bounds[0] = x0;
    r.bounds[1] = y0;
    r.bounds[3] = x1;
    r.bounds[4] = y1;
    r.scale = 1.0;
    r.member_count = 4;
    ASSERT_EQ(YrlViewDataWrite(name, r), 0) << name;
  }

  VynMdl drawing_part(const std::string& name) {
    VynMdl part = template_part(name);
    std::string error;
    EXPECT_TRUE(yrlhost::host_drawing_model_add(drawing, std::u16string(name.begin(), name.end()), error)) << error;
    return part;
  }

  // The stored pairs as "view,side,id" texts joined by " | ".
  static std::string stored(const char* key) {
    VynArray views = nullptr, sides = nullptr, ids = nullptr;
    int count = 0;
    if (YrlMappedViewsGet(key, &views, &sides, &ids, &count) != 0) return "none";
    std::string out;
    for (int i = 0; i < count; ++i) {
      out += (i ? " | " : "") + std::string(static_cast<char*>(views) + YRL_MAP_FIELD_SIZE * i) + "," +
             std::string(static_cast<char*>(sides) + YRL_MAP_FIELD_SIZE * i) + "," +
             std::to_string(static_cast<int*>(ids)[i]);
    }
    VynArrayFree(&views);
    VynArrayFree(&sides);
    VynArrayFree(&ids);
    return out;
  }

  static int feature_id(VynMdl part, const char* name) { return yrlhost::host_feature_find(part, name); }

  std::vector<yrlhost::DrawingView> views_on(int sheet) const {
    std::vector<yrlhost::DrawingView> out;
    for (const auto& v : yrlhost::host_drawing(drawing)->views)
      if (v.sheet == sheet) out.push_back(v);
    return out;
  }
};

TEST_F(AutoView, MapsTheThreeViewsAndMakesTheirDrawingViewsOnANewSheet) {
  declare("FRONT", 2, 0, 0, 40, 20);
  declare("TOP", 1, 0, 40, 40, 60);
  declare("RIGHT", 3, 60, 0, 80, 20);
  VynMdl part = drawing_part("BLOCK");
  ASSERT_EQ(YrlAutoView(part, drawing, 1, 0), 0);
  const std::string expected = "FRONT,FRONT(Side1)," + std::to_string(feature_id(part, "FRONT")) + " | RIGHT,RIGHT(Side1)," +
                               std::to_string(feature_id(part, "RIGHT")) + " | TOP,TOP(Side1)," +
                               std::to_string(feature_id(part, "TOP"));
  EXPECT_EQ(stored("BLOCK"), expected);
  int sheet = 0;
  ASSERT_EQ(YrlDrwPartSheetNumGet("BLOCK", &sheet), 0);
  EXPECT_EQ(sheet, 2);
  EXPECT_EQ(yrlhost::host_drawing(drawing)->current_sheet, 1);
  auto views = views_on(2);
  ASSERT_EQ(views.size(), 3u);
  for (const auto& v : views) EXPECT_EQ(v.model, u"BLOCK");
  // FRONT at its box's centre, unturned; TOP turned about x.
  EXPECT_EQ(views[0].position[0], 20);
  EXPECT_EQ(views[0].position[1], 10);
  EXPECT_EQ(views[0].orientation[1][1], 1);
  EXPECT_EQ(views[2].orientation[1][2], 1);
  YrlViewData r{};
  ASSERT_EQ(YrlViewDataRead("TOP", &r), 0);
  EXPECT_STREQ(r.dwg_view_name, std::string(views[2].name.begin(), views[2].name.end()).c_str());

  std::string error;
  ASSERT_TRUE(yrlhost::host_model_save(drawing, "map.drw", error)) << error;
  ASSERT_TRUE(yrlhost::host_model_erase(drawing));
  drawing = yrlhost::host_model_open("map.drw", error);
  ASSERT_NE(drawing, nullptr) << error;
  ASSERT_EQ(YrlAllClassRegister(), 0);
  EXPECT_EQ(stored("BLOCK"), expected);
  sheet = 0;
  EXPECT_EQ(YrlDrwPartSheetNumGet("BLOCK", &sheet), 0);
  EXPECT_EQ(sheet, 2);
  EXPECT_EQ(views_on(2).size(), 3u);
  char side[32] = "";
  int id = 0;
  EXPECT_EQ(YrlMapped2dViewDtmIdGet("BLOCK", "top", side, &id), 0);
  EXPECT_STREQ(side, "TOP(Side1)");
  EXPECT_EQ(id, feature_id(part, "TOP"));
}

TEST_F(AutoView, BottomAndLeftMapToTheSecondSides) {
  declare("BOTTOM", 4, 0, 0, 40, 20);
  declare("LEFT", 6, 60, 0, 80, 20);
  declare("FRONT", 2, 100, 0, 140, 20);
  VynMdl part = drawing_part("BLOCK");
  ASSERT_EQ(YrlAutoView(part, drawing, 1, 0), 0);
  EXPECT_EQ(stored("BLOCK"), "BOTTOM,TOP(Side2)," + std::to_string(feature_id(part, "TOP")) + " | FRONT,FRONT(Side1)," +
                                 std::to_string(feature_id(part, "FRONT")) + " | LEFT,RIGHT(Side2)," +
                                 std::to_string(feature_id(part, "RIGHT")));
  auto views = views_on(2);
  ASSERT_EQ(views.size(), 3u);
  EXPECT_EQ(views[0].orientation[2][1], 1);  // BOTTOM turned as TOP
  EXPECT_EQ(views[2].orientation[0][2], 1);  // LEFT turned as RIGHT
}

TEST_F(AutoView, OneMatchOfTwoOpensTheDialogAndMapThenRemoveMapKeepTheDatumId) {
  declare("FRONT", 2, 0, 0, 40, 20);
  declare("SIDE", 3, 60, 0, 80, 20);
  VynMdl part = drawing_part("BLOCK");
  // The dialog shows FRONT's stored pair; the user takes it off and maps it again.
  user("press yrlautoview PBRemMap");
  user("list yrlautoview List1 FRONT");
  user("list yrlautoview List2 FRONT(Side1)");
  user("press yrlautoview PBMap");
  user("press yrlautoview OK");
  EXPECT_EQ(YrlAutoView(part, drawing, 1, 1), 0);
  EXPECT_EQ(stored("BLOCK"), "FRONT,FRONT(Side1)," + std::to_string(feature_id(part, "FRONT")));
  auto table = yrlhost::ui_component_snapshot("yrlautoview", "VwTable");
  ASSERT_TRUE(table);
  EXPECT_EQ(table->rows.size(), 1u);
  auto label = yrlhost::ui_component_snapshot("yrlautoview", "LabelPartName");
  ASSERT_TRUE(label);
  EXPECT_EQ(label->text, "BLOCK");
}

TEST_F(AutoView, WithoutTheDialogOneMatchOfTwoGivesUserAbortAndStoresThePair) {
  declare("FRONT", 2, 0, 0, 40, 20);
  declare("SIDE", 3, 60, 0, 80, 20);
  VynMdl part = drawing_part("BLOCK");
  EXPECT_EQ(YrlAutoView(part, drawing, 1, 0), VYN_TK_USER_ABORT);
  // The one pair made is stored and drawn all the same.
  EXPECT_EQ(stored("BLOCK"), "FRONT,FRONT(Side1)," + std::to_string(feature_id(part, "FRONT")));
  EXPECT_EQ(views_on(2).size(), 1u);
}

TEST_F(AutoView, TwoNamesSelectedMapNothingAndCancelStoresNothing) {
  declare("FRONT", 2, 0, 0, 40, 20);
  declare("TOP", 1, 0, 40, 40, 60);
  VynMdl part = drawing_part("BLOCK");
  ASSERT_EQ(yrlhost::ui_dialog("yrlautoview").has_value(), false);
  user("list yrlautoview List1 FRONT TOP");
  user("list yrlautoview List2 FRONT(Side1)");
  user("press yrlautoview PBMap");
  user("press yrlautoview Cancel");
  EXPECT_EQ(YrlAutoView(part, nullptr, 0, 0), 0);
  EXPECT_EQ(stored("BLOCK"), "none");
  auto table = yrlhost::ui_component_snapshot("yrlautoview", "VwTable");
  ASSERT_TRUE(table);
  EXPECT_TRUE(table->rows.empty());
}

TEST_F(AutoView, MappedViewAddAndRemove) {
  VynMdl part = drawing_part("BLOCK");
  ASSERT_EQ(YrlMappedViewAdd("BLOCK", part, "REAR"), 0);
  ASSERT_EQ(YrlMappedViewAdd("BLOCK", part, "TOP"), 0);
  EXPECT_EQ(YrlMappedViewAdd("BLOCK", part, "SEC_A"), 0);  // no side: nothing stored
  EXPECT_EQ(stored("BLOCK"), "REAR,FRONT(Side2)," + std::to_string(feature_id(part, "FRONT")) + " | TOP,TOP(Side1)," +
                                 std::to_string(feature_id(part, "TOP")));
  EXPECT_EQ(YrlMappedViewRemove("BLOCK", "rear"), 0);
  EXPECT_EQ(stored("BLOCK"), "TOP,TOP(Side1)," + std::to_string(feature_id(part, "TOP")));
  EXPECT_NE(YrlMappedViewRemove("BLOCK", "FRONT"), 0);
  EXPECT_EQ(stored("BLOCK"), "TOP,TOP(Side1)," + std::to_string(feature_id(part, "TOP")));
}

TEST_F(AutoView, ViewSetupAddsAndClearsTheActivePartsViewsOnItsSheet) {
  line_entity(1, {0, 0, 0}, {0, 20, 0});  // FRONT's two sides
  line_entity(2, {40, 0, 0}, {40, 20, 0});
  line_entity(3, {0, 40, 0}, {40, 40, 0});  // TOP's two sides
  line_entity(4, {0, 60, 0}, {40, 60, 0});
  user("press yrlviewsetup OrtViewPickBtn");
  box_select(-1, -1, 41, 21);
  user("press yrlviewsetup Close");
  ASSERT_EQ(YrlViewSetup(), 0);
  VynMdl part = drawing_part("BLOCK");
  ASSERT_EQ(YrlActiveClassRegister(), 0);
  ASSERT_EQ(YrlActiveModelSet(part), 0);
  preferences.auto_view_map = 1;
  ASSERT_EQ(YrlAutoView(part, drawing, 1, 0), 0);
  ASSERT_EQ(views_on(2).size(), 1u);

  // TOP declared now: its drawing view joins the part's sheet and its pair the mapping.
  user("radio yrlviewsetup RadioViewType TOP");
  user("press yrlviewsetup OrtViewPickBtn");
  box_select(-1, 39, 41, 61);
  user("press yrlviewsetup Close");
  ASSERT_EQ(YrlViewSetup(), 0);
  EXPECT_EQ(views_on(2).size(), 2u);
  const std::string front = "FRONT,FRONT(Side1)," + std::to_string(feature_id(part, "FRONT"));
  EXPECT_EQ(stored("BLOCK"), front + " | TOP,TOP(Side1)," + std::to_string(feature_id(part, "TOP")));

  // Cleared: the drawing view and the pair go.
  ASSERT_EQ(YrlClearView("TOP"), 0);
  EXPECT_EQ(views_on(2).size(), 1u);
  EXPECT_EQ(stored("BLOCK"), front);
}

TEST_F(AutoView, OnlyOrthographicViewsGetDrawingViews) {
  line_entity(1, {0, 0, 0}, {40, 0, 0});      // FRONT
  line_entity(2, {100, 0, 0}, {120, 0, 0});  // the section
  user("press yrlviewsetup OrtViewPickBtn");
  box_select(-1, -1, 41, 1);
  user("press yrlviewsetup Close");
  ASSERT_EQ(YrlViewSetup(), 0);
  VynMdl part = drawing_part("BLOCK");
  ASSERT_EQ(YrlActiveClassRegister(), 0);
  ASSERT_EQ(YrlActiveModelSet(part), 0);
  ASSERT_EQ(YrlAutoView(part, drawing, 1, 0), 0);
  ASSERT_EQ(views_on(2).size(), 1u);
  // A section declared for the active part gets no drawing view on its sheet.
  user("tab yrlviewsetup MainTab Sec");
  user("type yrlviewsetup SecVNameInput sec_a none");
  user("press yrlviewsetup SecViewPickBtn");
  box_select(99, -1, 121, 1);
  user("press yrlviewsetup Close");
  ASSERT_EQ(YrlViewSetup(), 0);
  YrlViewData sec{};
  ASSERT_EQ(YrlViewDataRead("SEC_A", &sec), 0);
  EXPECT_EQ(views_on(2).size(), 1u);
  EXPECT_STREQ(sec.dwg_view_name, "");
  EXPECT_EQ(YrlDrwPartSheetViewCreate("SEC_A", drawing, part, 2), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(YrlDrwPartSheetViewCreate("NOPE", drawing, part, 2), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(views_on(2).size(), 1u);
}

TEST_F(AutoView, AOneMemberViewPickedAgainGetsNoSecondDrawingView) {
  line_entity(1, {0, 0, 0}, {40, 0, 0});  // FRONT of one line
  box_select(-1, -1, 41, 1);
  ASSERT_EQ(YrlCreateView("yrlviewsetup", "FRONT", 1), 0);
  VynMdl part = drawing_part("BLOCK");
  ASSERT_EQ(YrlActiveClassRegister(), 0);
  ASSERT_EQ(YrlActiveModelSet(part), 0);
  ASSERT_EQ(YrlAutoView(part, drawing, 1, 0), 0);
  ASSERT_EQ(views_on(2).size(), 1u);
  // Its one member is the current group: picked again, it is no new view.
  box_select(-1, -1, 41, 1);
  ASSERT_EQ(YrlCreateView("yrlviewsetup", "FRONT", 1), 0);
  EXPECT_EQ(views_on(2).size(), 1u);
}

TEST_F(AutoView, ClearingAViewOfTwoPartsRemovesEachPartsDrawingView) {
  declare("FRONT", 2, 0, 0, 40, 20);
  declare("TOP", 1, 0, 40, 40, 60);
  VynMdl block = drawing_part("BLOCK");
  VynMdl plate = drawing_part("PLATE");
  ASSERT_EQ(YrlAutoView(block, drawing, 1, 0), 0);
  ASSERT_EQ(YrlAutoView(plate, drawing, 1, 0), 0);
  ASSERT_EQ(views_on(2).size(), 2u);
  ASSERT_EQ(views_on(3).size(), 2u);
  std::string error;
  ASSERT_TRUE(yrlhost::host_model_save(drawing, "two.drw", error)) << error;
  ASSERT_TRUE(yrlhost::host_model_erase(drawing));
  drawing = yrlhost::host_model_open("two.drw", error);
  ASSERT_NE(drawing, nullptr) << error;
  ASSERT_EQ(YrlAllClassRegister(), 0);

  ASSERT_EQ(YrlClearView("FRONT"), 0);
  ASSERT_EQ(views_on(2).size(), 1u);
  ASSERT_EQ(views_on(3).size(), 1u);
  const std::string top_block = "TOP,TOP(Side1)," + std::to_string(feature_id(block, "TOP"));
  EXPECT_EQ(stored("BLOCK"), top_block);
  EXPECT_EQ(stored("PLATE"), "TOP,TOP(Side1)," + std::to_string(feature_id(plate, "TOP")));
  // Each part's slot of FRONT's drawing view went with it; TOP's stay.
  YrlSlotName slot;
  char name[YRL_STORE_STRING_SIZE];
  for (const char* part : {"BLOCK", "PLATE"}) {
    ASSERT_EQ(YrlPartViewSlotName(slot, part, 2), 0);
    EXPECT_NE(YrlPartStringRetrieve(slot, name), 0) << part;
    ASSERT_EQ(YrlPartViewSlotName(slot, part, 1), 0);
    EXPECT_EQ(YrlPartStringRetrieve(slot, name), 0) << part;
    const auto& left = views_on(std::string(part) == "BLOCK" ? 2 : 3);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(std::string(left[0].name.begin(), left[0].name.end()), name) << part;
  }
}

TEST_F(AutoView, ViewSetupOnAReopenedDrawingClearsAndMakesEachPartsDrawingViews) {
  line_entity(1, {0, 0, 0}, {40, 0, 0});  // FRONT
  line_entity(2, {0, 20, 0}, {40, 20, 0});
  line_entity(3, {0, 40, 0}, {40, 40, 0});  // TOP
  line_entity(4, {60, 0, 0}, {80, 0, 0});   // RIGHT, declared later
  box_select(-1, -1, 41, 21);
  ASSERT_EQ(YrlCreateView("yrlviewsetup", "FRONT", 1), 0);
  YrlClearCurSel();
  box_select(-1, 39, 41, 41);
  ASSERT_EQ(YrlCreateView("yrlviewsetup", "TOP", 1), 0);
  VynMdl block = drawing_part("BLOCK");
  VynMdl plate = drawing_part("PLATE");
  ASSERT_EQ(YrlAutoView(block, drawing, 1, 0), 0);
  ASSERT_EQ(YrlAutoView(plate, drawing, 1, 0), 0);
  ASSERT_EQ(YrlActiveClassRegister(), 0);
  ASSERT_EQ(YrlActiveModelSet(plate), 0);
  ASSERT_EQ(views_on(2).size(), 2u);
  ASSERT_EQ(views_on(3).size(), 2u);
  preferences.auto_view_map = 1;
  // Another session: the drawing is opened and retrieved, and View Setup is the first
  // command, which registers the views' class only.
  auto next_session = [this] {
    std::string error;
    ASSERT_TRUE(yrlhost::host_model_save(drawing, "session.drw", error)) << error;
    ASSERT_TRUE(yrlhost::host_model_erase(drawing));
    YrlAllClassRegisterSet(0);
    drawing = yrlhost::host_model_open("session.drw", error);
    ASSERT_NE(drawing, nullptr) << error;
    YrlModelRetrievePostActions(drawing);
  };
  YrlSlotName slot;
  char name[YRL_STORE_STRING_SIZE] = "";

  // FRONT cleared: both parts' drawing views of it go, with their pairs and slots.
  ASSERT_NO_FATAL_FAILURE(next_session());
  user("press yrlviewsetup OrtViewClearBtn");  // FRONT, the view shown first
  user("press okcancel OK");
  user("press yrlviewsetup Close");
  ASSERT_EQ(YrlMenuBarActionViewSetup(), 0);
  EXPECT_EQ(views_on(2).size(), 1u);
  EXPECT_EQ(views_on(3).size(), 1u);
  const std::string top_plate = "TOP,TOP(Side1)," + std::to_string(feature_id(plate, "TOP"));
  EXPECT_EQ(stored("BLOCK"), "TOP,TOP(Side1)," + std::to_string(feature_id(block, "TOP")));
  EXPECT_EQ(stored("PLATE"), top_plate);
  for (const char* part : {"BLOCK", "PLATE"}) {
    ASSERT_EQ(YrlPartViewSlotName(slot, part, 2), 0);
    EXPECT_NE(YrlPartStringRetrieve(slot, name), 0) << part;
  }

  // RIGHT declared: its drawing view joins the active part PLATE's sheet, with its pair.
  ASSERT_NO_FATAL_FAILURE(next_session());
  user("radio yrlviewsetup RadioViewType RIGHT");
  user("press yrlviewsetup OrtViewPickBtn");
  box_select(59, -1, 81, 1);
  user("press yrlviewsetup Close");
  ASSERT_EQ(YrlMenuBarActionViewSetup(), 0);
  ASSERT_EQ(views_on(3).size(), 2u);
  EXPECT_EQ(stored("PLATE"), top_plate + " | RIGHT,RIGHT(Side1)," + std::to_string(feature_id(plate, "RIGHT")));
  ASSERT_EQ(YrlPartViewSlotName(slot, "PLATE", 3), 0);
  ASSERT_EQ(YrlPartStringRetrieve(slot, name), 0);
  bool on_plates_sheet = false;
  for (const auto& v : views_on(3)) on_plates_sheet = on_plates_sheet || std::string(v.name.begin(), v.name.end()) == name;
  EXPECT_TRUE(on_plates_sheet) << name;
}

TEST_F(AutoView, ViewMapThenOkOnAPartWithItsSheetMakesNoNewSheetOrViews) {
  declare("FRONT", 2, 0, 0, 40, 20);
  declare("TOP", 1, 0, 40, 40, 60);
  VynMdl part = drawing_part("BLOCK");
  ASSERT_EQ(YrlAutoView(part, drawing, 1, 0), 0);
  ASSERT_EQ(views_on(2).size(), 2u);
  const std::size_t sheets = yrlhost::host_drawing(drawing)->sheets.size();
  // From Part Setup: the part's view map, its pairs taken off and one made again, OK.
  user("table yrlpartsetup PSTable Row0");
  user("press yrlpartsetup PBVwMap");
  user("press yrlautoview PBRemMap");
  user("list yrlautoview List1 FRONT");
  user("list yrlautoview List2 FRONT(Side1)");
  user("press yrlautoview PBMap");
  user("press yrlautoview OK");
  user("press yrlpartsetup Cancel");
  ASSERT_EQ(YrlPartSetup(), 0);
  EXPECT_EQ(yrlhost::host_drawing(drawing)->sheets.size(), sheets);
  EXPECT_EQ(views_on(2).size(), 2u);
  int sheet = 0;
  EXPECT_EQ(YrlDrwPartSheetNumGet("BLOCK", &sheet), 0);
  EXPECT_EQ(sheet, 2);
  EXPECT_EQ(stored("BLOCK"), "FRONT,FRONT(Side1)," + std::to_string(feature_id(part, "FRONT")) + " | TOP,TOP(Side1)," +
                                 std::to_string(feature_id(part, "TOP")));
}

TEST_F(AutoView, MoreStoredPairsThanSixAllShowInTheDialog) {
  VynMdl part = drawing_part("BLOCK");
  VynArray list = nullptr;
  ASSERT_EQ(VynArrayAlloc(0, static_cast<int>(sizeof(char*)), 8, &list), 0);
  const char* entries[] = {"FRONT,FRONT(Side1),5", "TOP,TOP(Side1),3",  "RIGHT,RIGHT(Side1),7", "A,B,C,D",
                           "LEFT,RIGHT(Side2),7",  "REAR,FRONT(Side2),5", "BOTTOM,TOP(Side2),3", "X,Y,1",
                           "Z,W,2"};
  for (const char* e : entries) VynArrayObjectAdd(&list, -1, 1, &e);
  ASSERT_EQ(YrlPartStringArraySave("BLOCK", list), 0);
  VynArrayFree(&list);
  user("press yrlautoview Cancel");
  EXPECT_EQ(YrlAutoView(part, nullptr, 0, 0), 0);
  auto table = yrlhost::ui_component_snapshot("yrlautoview", "VwTable");
  ASSERT_TRUE(table);
  EXPECT_EQ(table->rows.size(), 8u);  // the malformed entry is left out
}

TEST(ViewNames2d3d, FixedTable) {
  EXPECT_EQ(YrlViewName2d3dCompare("front", "FRONT(SIDE1)"), 1);
  EXPECT_EQ(YrlViewName2d3dCompare("BOTTOM", "TOP(Side2)"), 1);
  EXPECT_EQ(YrlViewName2d3dCompare("BOTTOM", "TOP(Side1)"), 0);
  EXPECT_EQ(YrlViewName2d3dCompare("SEC_A", ""), 0);
  EXPECT_EQ(YrlViewName2d3dCompare(nullptr, "TOP(Side1)"), 0);
}

}  // namespace
