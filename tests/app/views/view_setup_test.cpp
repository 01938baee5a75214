// The View Setup dialog through the scripted user: orthographic views by box, chain and
// single picks, a section view, the drawing scale from a dimension, and the views kept
// across saving and reopening the drawing.
#include "app/views/view_setup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "app/storage/storage.h"
#include "app/views/viewdata.h"
#include "app/views/views.h"
#include "host/store/drawings.h"
#include "host/ui/messages.h"
#include "host/store/models.h"
#include "host/files/model_files.h"
#include "host/ui/ui.h"
#include "tests/app/util/apputil_fixture.h"

namespace {

class ViewSetup : public yrltest::UtilTest {
 protected:
  void SetUp() override {
    UtilTest::SetUp();
    ASSERT_EQ(YrlAllClassRegister(), 0);
    rectangle(1, 0, 0, 40, 20);     // FRONT
    rectangle(5, 0, 40, 40, 20);    // TOP
    rectangle(9, 60, 0, 20, 20);    // RIGHT
    rectangle(13, 100, 0, 20, 20);  // the section
    yrlhost::DrawingDimension d;
    d.id = 20;
    d.value = 80;
    d.attachments = {{2, 0}, {4, 0}};  // the FRONT rectangle's sides, 40 apart
    std::string error;
    ASSERT_EQ(yrlhost::host_dimension_add(drawing, d, error), 20) << error;
  }

  void rectangle(int first, double x, double y, double w, double h) {
    line_entity(first, {x, y, 0}, {x + w, y, 0});
    line_entity(first + 1, {x + w, y, 0}, {x + w, y + h, 0});
    line_entity(first + 2, {x + w, y + h, 0}, {x, y + h, 0});
    line_entity(first + 3, {x, y + h, 0}, {x, y, 0});
  }

  static YrlViewData record(const char* name) {
    YrlViewData r{};
    EXPECT_EQ(YrlViewDataRead(name, &r), 0) << name;
    return r;
  }

  static double dwg_scale() {
    double scale = -1;
    EXPECT_EQ(YrlViewDoubleRetrieve("YRL_DWGSCALE", &scale), 0);
    return scale;
  }

  static bool main_tab_enabled() {
    auto tab = yrlhost::ui_component_snapshot("yrlviewsetup", "MainTab");
    EXPECT_TRUE(tab);
    return tab && tab->enabled;
  }
};

TEST_F(ViewSetup, DeclaresViewsAndTheScaleAndTheyComeBackAfterReopening) {
  // FRONT by a box.
  user("press yrlviewsetup OrtViewPickBtn");
  box_select(-1, -1, 41, 21);
  // TOP by a chain.
  user("radio yrlviewsetup RadioViewType TOP");
  user("press yrlviewsetup OrtViewPickBtn");
  user("radio yrlselobj RadioSelType chain");
  user("press yrlselobj Add");
  user("pick 77 6");
  user("press yrlselobj Close");
  // RIGHT by single picks.
  user("radio yrlviewsetup RadioViewType RIGHT");
  user("press yrlviewsetup OrtViewPickBtn");
  user("radio yrlselobj RadioSelType single");
  user("press yrlselobj Add");
  user("pick 77 9 + 77 10 + 77 11 + 77 12");
  user("press yrlselobj Close");
  // The drawing scale from the dimension.
  user("press yrlviewsetup OrtComputeScale");
  user("press yrlmeasure DistDimSelect");
  user("pick 8 20");
  user("press yrlmeasure Ok");
  // A section view named in lower case.
  user("tab yrlviewsetup MainTab Sec");
  user("type yrlviewsetup SecVNameInput sec_a none");
  user("press yrlviewsetup SecViewPickBtn");
  box_select(99, -1, 121, 21);
  user("press yrlviewsetup Close");
  ASSERT_EQ(YrlViewSetup(), 0);

  struct Expected {
    const char* name;
    int type;
    int group;
    double ref_x, ref_y;
  };
  const Expected views[] = {
      {"FRONT", 1, 2, 0, 0}, {"TOP", 1, 1, 0, 60}, {"RIGHT", 1, 3, 80, 0}, {"SEC_A", 2, 10, 100, 0}};
  auto check = [&](const char* when) {
    for (const Expected& v : views) {
      YrlViewData r = record(v.name);
      EXPECT_EQ(r.view_type, v.type) << when << " " << v.name;
      EXPECT_EQ(r.group_id, v.group) << when << " " << v.name;
      EXPECT_EQ(r.member_count, 4) << when << " " << v.name;
      EXPECT_EQ(r.ref_point[0], v.ref_x) << when << " " << v.name;
      EXPECT_EQ(r.ref_point[1], v.ref_y) << when << " " << v.name;
    }
    EXPECT_EQ(dwg_scale(), 0.5) << when;
  };
  check("in session");
  EXPECT_TRUE(main_tab_enabled());

  std::string error;
  ASSERT_TRUE(yrlhost::host_model_save(drawing, "views.drw", error)) << error;
  ASSERT_TRUE(yrlhost::host_model_erase(drawing));
  drawing = yrlhost::host_model_open("views.drw", error);
  ASSERT_NE(drawing, nullptr) << error;
  ASSERT_EQ(YrlViewClassRegister(), 0);
  check("reopened");
  char name[YRL_VIEW_NAME_SIZE] = "";
  EXPECT_EQ(YrlViewSetupViewnameGet(11, name, nullptr, nullptr), 0);
  EXPECT_STREQ(name, "RIGHT");
}

TEST_F(ViewSetup, MainTabFollowsTheOrthographicViews) {
  user("press yrlviewsetup Close");
  ASSERT_EQ(YrlViewSetup(), 0);
  EXPECT_FALSE(main_tab_enabled());

  user("press yrlviewsetup OrtViewPickBtn");
  box_select(-1, -1, 41, 21);
  user("press yrlviewsetup Close");
  ASSERT_EQ(YrlViewSetup(), 0);
  EXPECT_TRUE(main_tab_enabled());

  // Opened again: FRONT's members are the current group; clearing asks first.
  user("press yrlviewsetup OrtViewClearBtn");
  user("press okcancel OK");
  user("press yrlviewsetup Close");
  ASSERT_EQ(YrlViewSetup(), 0);
  EXPECT_FALSE(main_tab_enabled());
  YrlViewData r{};
  EXPECT_NE(YrlViewDataRead("FRONT", &r), 0);
}

TEST_F(ViewSetup, MainTabOpensForAnyOrthographicOrSectionViewNotOnlyFront) {
  // The drawing holds one view, no FRONT: the other pages open when it is an
  // orthographic or a section view, so that a section of a drawing without FRONT stays
  // reachable.
  struct Case {
    const char* name;
    int type;
    bool enabled;
  };
  for (const Case& c : {Case{"TOP", 1, true}, Case{"SEC_A", 2, true}, Case{"AUX_A", 3, false},
                        Case{"DET_A", 4, false}}) {
    YrlViewData r{};
    r.view_type = c.type;
    r.group_id = c.type == 1 ? 1 : 10;
    std::strcpy(r.view_name, c.name);
    ASSERT_EQ(YrlViewDataWrite(c.name, r), 0);
    user("press yrlviewsetup Close");
    ASSERT_EQ(YrlViewSetup(), 0);
    EXPECT_EQ(main_tab_enabled(), c.enabled) << c.name;
    ASSERT_EQ(YrlViewStreamDelete(c.name), 0);
  }
}

TEST_F(ViewSetup, ASectionNamedLikeAnOrthographicViewIsRefusedAndTheViewKept) {
  user("press yrlviewsetup OrtViewPickBtn");
  box_select(-1, -1, 41, 21);
  user("tab yrlviewsetup MainTab Sec");
  user("type yrlviewsetup SecVNameInput front none");
  user("press yrlviewsetup SecViewPickBtn");  // refused: no selection dialog opens
  user("type yrlviewsetup SecVNameInput " + std::string(25, 'S') + " none");
  user("press yrlviewsetup SecViewPickBtn");  // too long: refused whole
  user("type yrlviewsetup SecVNameInput \"   \" none");
  user("press yrlviewsetup SecViewPickBtn");  // blanks: no name
  user("type yrlviewsetup SecVNameInput " + std::string(24, 'S') + " none");
  user("press yrlviewsetup SecViewPickBtn");
  box_select(99, -1, 121, 21);
  user("press yrlviewsetup Close");
  ASSERT_EQ(YrlViewSetup(), 0);
  YrlViewData front = record("FRONT");
  EXPECT_EQ(front.view_type, 1);
  EXPECT_EQ(front.group_id, 2);
  EXPECT_EQ(front.member_count, 4);
  int id = 0;
  EXPECT_EQ(YrlViewIntegerRetrieve("FRONT_0", &id), 0);
  EXPECT_EQ(id, 1);
  EXPECT_EQ(record(std::string(24, 'S').c_str()).member_count, 4);
  YrlViewData r{};
  EXPECT_NE(YrlViewDataRead(std::string(25, 'S').c_str(), &r), 0);
  const auto& shown = yrlhost::messages_displayed();
  EXPECT_NE(std::find(shown.begin(), shown.end(),
                      "The name FRONT belongs to another view or to the drawing's view data; choose another name."),
            shown.end());
  EXPECT_NE(std::find(shown.begin(), shown.end(), "The view name is too long: use at most 24 characters."),
            shown.end());
  EXPECT_NE(std::find(shown.begin(), shown.end(), "Choose or type a view name first."), shown.end());
  int views = 0, section = 0;
  EXPECT_EQ(YrlViewSetupFindNoOfViews(&views, nullptr, &section), 0);
  EXPECT_EQ(section, 1);
}

TEST_F(ViewSetup, AScaleTypedOnTheSectionPageChangesOnlyASectionView) {
  user("press yrlviewsetup OrtViewPickBtn");
  box_select(-1, -1, 41, 21);
  user("tab yrlviewsetup MainTab Sec");
  // A new section's name that FRONT holds, and its scale: FRONT keeps its own.
  user("type yrlviewsetup SecVNameInput front none");
  user("type yrlviewsetup SecVScaleInput 7 focusout");
  // The section's own scale is kept.
  user("type yrlviewsetup SecVNameInput sec_a none");
  user("press yrlviewsetup SecViewPickBtn");
  box_select(99, -1, 121, 21);
  user("type yrlviewsetup SecVScaleInput 3 focusout");
  user("press yrlviewsetup Close");
  ASSERT_EQ(YrlViewSetup(), 0);
  EXPECT_EQ(record("FRONT").scale, 1.0);
  EXPECT_EQ(dwg_scale(), 1.0);
  EXPECT_EQ(record("SEC_A").scale, 3.0);
}

TEST_F(ViewSetup, ScalesAreKeptOnlyWhenAcceptedAndPositive) {
  ASSERT_EQ(YrlViewDoubleSave("YRL_DWGSCALE", 2.0), 0);
  // Computed and cancelled: the drawing scale stays.
  user("press yrlviewsetup OrtComputeScale");
  user("press yrlmeasure DistDimSelect");
  user("pick 8 20");
  user("press yrlmeasure Cancel");
  // Typed scales that are not positive are refused.
  user("type yrlviewsetup OrtVScaleInput 0 focusout");
  user("type yrlviewsetup OrtVScaleInput -3 focusout");
  user("press yrlviewsetup Close");
  ASSERT_EQ(YrlViewSetup(), 0);
  EXPECT_EQ(dwg_scale(), 2.0);
  auto panel = yrlhost::ui_component_snapshot("yrlviewsetup", "OrtVScaleInput");
  ASSERT_TRUE(panel);
  EXPECT_EQ(std::stod(panel->value), 2.0);
  bool refused = false;
  for (const std::string& m : yrlhost::messages_displayed())
    refused = refused || m.find("The scale must be greater than 0") != std::string::npos;
  EXPECT_TRUE(refused);

  user("type yrlviewsetup OrtVScaleInput 4 focusout");
  user("press yrlviewsetup Close");
  ASSERT_EQ(YrlViewSetup(), 0);
  EXPECT_EQ(dwg_scale(), 4.0);
}

TEST_F(ViewSetup, ASectionPickedAgainKeepsItsNameAndGetsANewGroup) {
  user("press yrlviewsetup OrtViewPickBtn");
  box_select(-1, -1, 41, 21);
  user("tab yrlviewsetup MainTab Sec");
  user("type yrlviewsetup SecVNameInput sec_a none");
  user("press yrlviewsetup SecViewPickBtn");
  box_select(99, -1, 121, 21);
  user("option yrlviewsetup SecOptViewSel SEC_A");
  user("press yrlviewsetup SecViewPickBtn");
  user("press yrlselobj Close");  // the members stay as they were
  // The cutting-plane line must lie in an orthographic view: a section line is refused.
  user("press yrlviewsetup SecCPPickBtn");
  user("pick 77 13");
  user("pick 77 1");
  user("press yrlviewsetup Close");
  ASSERT_EQ(YrlViewSetup(), 0);
  YrlViewData r = record("SEC_A");
  EXPECT_EQ(r.group_id, 11);
  EXPECT_EQ(r.member_count, 4);
  EXPECT_EQ(r.cut_plane_id, 1);
  int views = 0, section = 0;
  EXPECT_EQ(YrlViewSetupFindNoOfViews(&views, nullptr, &section), 0);
  EXPECT_EQ(section, 1);
}

TEST_F(ViewSetup, DetailScaleFromItsLines) {
  line_entity(30, {200, 0, 0}, {220, 0, 0});  // view reference, length 20
  line_entity(31, {0, 5, 0}, {10, 5, 0});     // position, length 10
  line_entity(32, {0, 7, 0}, {0, 7, 0});      // a position line of no length
  YrlViewData front{};
  front.view_type = 1;
  front.group_id = 2;
  std::strcpy(front.view_name, "FRONT");
  ASSERT_EQ(YrlViewDataWrite("FRONT", front), 0);  // the other pages open after an orthographic view
  YrlViewData det{};
  det.view_type = 4;
  det.group_id = 10;
  std::strcpy(det.view_name, "DET_A");
  det.scale = 1;
  det.vpr_id = 30;
  det.position_id = 31;
  ASSERT_EQ(YrlViewDataWrite("DET_A", det), 0);
  user("tab yrlviewsetup MainTab Det");
  user("option yrlviewsetup DetOptViewSel DET_A");
  user("press yrlviewsetup DetCalcScalePickBtn");
  user("press yrlviewsetup Close");
  ASSERT_EQ(YrlViewDoubleSave("YRL_DWGSCALE", 1.0), 0);
  ASSERT_EQ(YrlViewSetup(), 0);
  EXPECT_EQ(record("DET_A").scale, 2.0);
  det = record("DET_A");
  det.position_id = 32;
  ASSERT_EQ(YrlViewDataWrite("DET_A", det), 0);
  user("tab yrlviewsetup MainTab Det");
  user("option yrlviewsetup DetOptViewSel DET_A");
  user("press yrlviewsetup DetCalcScalePickBtn");
  user("press yrlviewsetup Close");
  ASSERT_EQ(YrlViewSetup(), 0);
  EXPECT_EQ(record("DET_A").scale, 2.0);
  ASSERT_FALSE(yrlhost::messages_displayed().empty());
  EXPECT_NE(yrlhost::messages_displayed().back().find("no length"), std::string::npos);
}

}  // namespace

namespace {

TEST_F(ViewSetup, TheLinesOfSectionAndDetailViewsPassTheirFilters) {
  line_entity(30, {200, 0, 0}, {220, 0, 0});   // the detail's view-reference line
  line_entity(31, {220, 0, 0}, {220, 10, 0});
  user("press yrlviewsetup OrtViewPickBtn");
  box_select(-1, -1, 41, 21);
  user("radio yrlviewsetup RadioViewType TOP");
  user("press yrlviewsetup OrtViewPickBtn");
  box_select(-1, 39, 41, 61);
  user("tab yrlviewsetup MainTab Sec");
  user("type yrlviewsetup SecVNameInput SEC_A none");
  user("press yrlviewsetup SecViewPickBtn");
  box_select(99, -1, 121, 21);
  user("press yrlviewsetup SecCPPickBtn");
  user("pick 77 1");
  user("press yrlviewsetup SecVPRPickBtn");
  user("pick 77 1");   // FRONT's: refused
  user("pick 77 13");
  user("press yrlviewsetup SecPosPickBtn");
  user("pick 77 5");   // TOP's: not the parent view
  user("pick 77 3");   // parallel to the cutting plane
  user("pick 77 2");
  user("press yrlviewsetup Sec1PosPickBtn");
  user("pick 77 4");
  // A detail view whose position line lies in FRONT, parallel to its reference line.
  user("tab yrlviewsetup MainTab Det");
  user("type yrlviewsetup DetVNameInput det_b none");
  user("press yrlviewsetup DetViewPickBtn");
  box_select(199, -1, 221, 11);
  user("press yrlviewsetup DetVPRPickBtn");
  user("pick 77 30");
  user("press yrlviewsetup DetPosPickBtn");
  user("pick 77 2");   // not parallel
  user("pick 77 1");
  user("press yrlviewsetup DetCalcScalePickBtn");
  user("press yrlviewsetup Close");
  ASSERT_EQ(YrlViewSetup(), 0);

  YrlViewData sec = record("SEC_A");
  EXPECT_EQ(sec.cut_plane_id, 1);
  EXPECT_EQ(sec.vpr_id, 13);
  EXPECT_EQ(sec.vpr_point[0], 100);
  EXPECT_EQ(sec.position_id, 2);
  EXPECT_EQ(sec.position_point[0], 40);  // where it crosses the cutting plane
  EXPECT_EQ(sec.position_point[1], 0);
  EXPECT_EQ(sec.position1_id, 4);
  YrlViewData det = record("DET_B");
  EXPECT_EQ(det.vpr_id, 30);
  EXPECT_EQ(det.position_id, 1);
  EXPECT_EQ(det.scale, 0.5);
  char parent[YRL_VIEW_NAME_SIZE] = "";
  EXPECT_EQ(YrlViewParentViewNameGet("DET_B", parent), 0);
  EXPECT_STREQ(parent, "FRONT");
  for (const char* text : {"Selection item belongs to FRONT view", "Selection item does not belong to parent view",
                           "Selection item is not perpendicular to the Reference Cutting Plane",
                           "Selection item is not parallel to the View Reference Plane"}) {
    bool shown = false;
    for (const std::string& m : yrlhost::messages_displayed()) shown = shown || m.find(text) != std::string::npos;
    EXPECT_TRUE(shown) << text;
  }
  auto cp = yrlhost::ui_component_snapshot("yrlviewsetup", "SecCPEntSelected");
  ASSERT_TRUE(cp);
  EXPECT_EQ(cp->value, "ID1(DRAFT ENTITY)");
}

}  // namespace

namespace {

TEST_F(ViewSetup, AnAuxiliaryViewWithItsLines) {
  user("press yrlviewsetup OrtViewPickBtn");
  box_select(-1, -1, 41, 21);
  user("tab yrlviewsetup MainTab Aux");
  user("type yrlviewsetup AuxVNameInput aux_a none");
  user("press yrlviewsetup AuxViewPickBtn");
  box_select(99, -1, 121, 21);
  user("press yrlviewsetup AuxCPPickBtn");
  user("pick 77 5");   // in no declared view: refused
  user("pick 77 2");
  user("press yrlviewsetup AuxVPRPickBtn");
  user("pick 77 13 0 101 0 0");
  user("press yrlviewsetup AuxPosPickBtn");
  user("pick 77 1 0 39 0 0");
  user("press yrlviewsetup Aux1PosPickBtn");
  user("pick 77 3 0 39 20 0");
  user("press yrlviewsetup Close");
  ASSERT_EQ(YrlViewSetup(), 0);
  YrlViewData aux = record("AUX_A");
  EXPECT_EQ(aux.view_type, 3);
  EXPECT_EQ(aux.group_id, 10);
  EXPECT_EQ(aux.cut_plane_id, 2);
  EXPECT_EQ(aux.vpr_point[0], 100);
  EXPECT_EQ(aux.position_id, 1);
  EXPECT_EQ(aux.position_point[0], 40);  // the end nearer the pick
  EXPECT_EQ(aux.position1_id, 3);
  EXPECT_EQ(aux.position1_point[0], 40);
  EXPECT_EQ(IsYrlViewTypeNonOrtho(10), 1);
}

}  // namespace
