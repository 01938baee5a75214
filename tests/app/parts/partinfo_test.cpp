// Drawing and part information as the feature command reads it.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/parts/partinfo.h"
#include "app/storage/storage.h"
#include "app/util/apputil.h"
#include "app/views/viewdata.h"
#include "host/plugin/call_log.h"
#include "host/display/graphics.h"
#include "host/ui/messages.h"
#include "host/store/models.h"
#include "host/ui/ui.h"
#include "tests/app/util/apputil_fixture.h"

namespace {

class DrawInfo : public yrltest::UtilTest {
 protected:
  void SetUp() override {
    UtilTest::SetUp();
    const double m[4][4] = {{4, 0, 0, 0}, {0, 6, 0, 0}, {0, 0, 8, 0}, {10, 20, 30, 1}};
    sheet_set(m, 2, u"B");
    ASSERT_EQ(YrlViewClassRegister(), 0);
  }

  static void declare_view(const char* name, int type) {
    YrlViewData view = {};
    view.view_type = type;
    view.group_id = type == 1 ? 2 : 10;
    std::strcpy(view.view_name, name);
    view.scale = 1.0;
    ASSERT_EQ(YrlViewDataWrite(name, view), 0);
  }

  static std::vector<std::string> shown() { return yrlhost::messages_displayed(); }
  static std::string error_label() {
    auto c = yrlhost::ui_component_snapshot("error", "label1");
    return c ? c->text : "<none>";
  }
  static std::string error_title() {
    auto d = yrlhost::ui_dialog_snapshot("error");
    return d ? d->title : "<none>";
  }

  // The diagonal and translation of a filled transform.
  static std::vector<double> trf_summary(const YrlDrawInfo& info) {
    return {info.sheet_trf[0][0], info.sheet_trf[1][1], info.sheet_trf[2][2],
            info.sheet_trf[3][0], info.sheet_trf[3][1], info.sheet_trf[3][2]};
  }
};

TEST_F(DrawInfo, FillsTheDrawingWithItsScaledTransform) {
  declare_view("FRONT", 1);
  ASSERT_EQ(YrlViewDoubleSave("YRL_DWGSCALE", 2.0), 0);
  YrlDrawInfo info = {};
  EXPECT_EQ(YrlDrawInfoFill(&info), 0);
  EXPECT_EQ(info.drawing, drawing);
  EXPECT_EQ(std::u16string(info.name), u"DRW0001");
  EXPECT_EQ(info.sheet, 2);
  EXPECT_EQ(std::u16string(info.sheet_size), u"B");
  EXPECT_EQ(info.window, yrlhost::window_current());
  EXPECT_EQ(info.view_count, 1);
  // The diagonal is divided by the scale; the translation stays.
  EXPECT_EQ(trf_summary(info), (std::vector<double>{2, 3, 4, 10, 20, 30}));
  EXPECT_EQ(info.sheet_trf[3][3], 1);
  EXPECT_TRUE(shown().empty());
}

TEST_F(DrawInfo, ScaleNearZeroMissingOrUnreadableLeavesTheTransform) {
  declare_view("TOP", 1);
  declare_view("SECT_A", 2);
  declare_view("DET_A", 4);  // detail views are not counted
  const std::vector<double> host_trf = {4, 6, 8, 10, 20, 30};

  // No stored scale: unscaled and silent.
  YrlDrawInfo info = {};
  EXPECT_EQ(YrlDrawInfoFill(&info), 0);
  EXPECT_EQ(trf_summary(info), host_trf);
  EXPECT_EQ(info.view_count, 2);
  EXPECT_TRUE(shown().empty());

  ASSERT_EQ(YrlViewDoubleSave("YRL_DWGSCALE", 0.005), 0);
  info = {};
  EXPECT_EQ(YrlDrawInfoFill(&info), 0);
  EXPECT_EQ(trf_summary(info), host_trf);
  EXPECT_TRUE(shown().empty());

  // A scale stored as another type cannot be read: the user is told, filling goes on.
  ASSERT_EQ(YrlViewStreamDelete("YRL_DWGSCALE"), 0);
  ASSERT_EQ(YrlViewIntegerSave("YRL_DWGSCALE", 2), 0);
  info = {};
  EXPECT_EQ(YrlDrawInfoFill(&info), 0);
  EXPECT_EQ(trf_summary(info), host_trf);
  EXPECT_EQ(info.view_count, 2);
  EXPECT_EQ(shown(), (std::vector<std::string>{"YRLFORM INFO Sheet size: B Sheet Number 2",
                                               "Could not get the view's transformation (status -6)."}));
}

TEST_F(DrawInfo, NoDeclaredViewsAsksForViewSetup) {
  declare_view("DET_A", 4);
  user("press error OK");
  YrlDrawInfo info = {};
  EXPECT_EQ(YrlDrawInfoFill(&info), -1);
  EXPECT_EQ(info.view_count, 0);
  EXPECT_EQ(error_title(), "PARTMODEL ERROR");
  EXPECT_EQ(error_label(), "No VIEWS defined for this drawing. \n\n Use Yrlform View Setup dialog.\n");
}

TEST_F(DrawInfo, TheFirstFailureStopsTheFill) {
  declare_view("FRONT", 1);
  ASSERT_EQ(YrlViewDoubleSave("YRL_DWGSCALE", 2.0), 0);

  // The sheet's transform cannot be got: reported, and no window or views are asked for.
  yrlhost::call_log_fail_on_call("VynDrawingSheetTrfGet_v", 1, -3);
  YrlDrawInfo info = {};
  yrlhost::call_log_clear();
  EXPECT_EQ(YrlDrawInfoFill(&info), -3);
  EXPECT_EQ(shown(), (std::vector<std::string>{"YRLFORM INFO Sheet size:  Sheet Number 2",
                                               "Could not get the view's transformation (status -3)."}));
  EXPECT_TRUE(yrlhost::call_log_of("VynWindowCurrentGet_v").empty());
  EXPECT_FALSE(yrlhost::ui_dialog_snapshot("error"));

  yrlhost::call_log_fail_on_call("VynWindowCurrentGet_v", 1, -4);
  EXPECT_EQ(YrlDrawInfoFill(&info), -4);

  yrlhost::call_log_fail_on_call("VynMdlNameGet_v", 1, -2);
  EXPECT_EQ(YrlDrawInfoFill(&info), -2);

  yrlhost::host_models_erase_all();
  EXPECT_NE(YrlDrawInfoFill(&info), 0);
  EXPECT_EQ(YrlDrawInfoFill(nullptr), VYN_TK_BAD_INPUTS);
}

class PartInfo : public yrltest::UtilTest {
 protected:
  static std::string error_label() {
    auto c = yrlhost::ui_component_snapshot("error", "label1");
    return c ? c->text : "<none>";
  }
};

constexpr char kNoPartText[] = "No PART MODEL has been initialized. \n\n Use Yrlform New Part dialog.\n";

TEST_F(PartInfo, FillsTheActivePartsDefaultPlanes) {
  VynMdl part = template_part("PRT0001");
  active_mdl = part;
  YrlPartInfo info = {};
  info.has_first_feature = 7;
  EXPECT_EQ(YrlPartInfoFill(&info), 0);
  EXPECT_EQ(info.part, part);
  EXPECT_EQ(std::u16string(info.name), u"PRT0001");
  EXPECT_EQ(info.model_type, 2);
  EXPECT_EQ(info.datums_found, 1);
  EXPECT_EQ(info.top.id, surface_of(part, "TOP").id);
  EXPECT_EQ(info.front.id, surface_of(part, "FRONT").id);
  EXPECT_EQ(info.right.id, surface_of(part, "RIGHT").id);
  EXPECT_EQ(info.top.owner, part);
  EXPECT_EQ(info.has_first_feature, 0);

  ASSERT_GT(yrlhost::host_feature_add(part, 917, "PROTRUSION", {}), 0);
  EXPECT_EQ(YrlPartInfoFill(&info), 0);
  EXPECT_EQ(info.has_first_feature, 1);
}

TEST_F(PartInfo, NoActivePartOrAMissingPlaneAsksForAPart) {
  user("press error OK");
  YrlPartInfo info = {};
  info.has_first_feature = 7;
  EXPECT_EQ(YrlPartInfoFill(&info), -1);
  EXPECT_EQ(info.model_type, 2);
  EXPECT_EQ(info.has_first_feature, 7);
  EXPECT_EQ(yrlhost::ui_dialog_snapshot("error")->title, "FEATURE ERROR");
  EXPECT_EQ(error_label(), kNoPartText);

  // Without "FRONT" the search ends there.
  VynMdl part = template_part("PRT0001");
  ASSERT_TRUE(yrlhost::host_feature_remove(part, yrlhost::host_feature_find(part, "FRONT")));
  active_mdl = part;
  user("press error OK");
  yrlhost::call_log_clear();
  info = {};
  EXPECT_EQ(YrlPartInfoFill(&info), -1);
  EXPECT_EQ(info.datums_found, 0);
  EXPECT_EQ(yrlhost::call_log_of("VynSolidFeatVisit_v").size(), 1u);
  EXPECT_EQ(info.top.id, 0);

  // Without "RIGHT" the first two are found, the fill still fails.
  VynMdl other = template_part("PRT0002");
  ASSERT_TRUE(yrlhost::host_feature_remove(other, yrlhost::host_feature_find(other, "RIGHT")));
  active_mdl = other;
  user("press error OK");
  info = {};
  EXPECT_EQ(YrlPartInfoFill(&info), -1);
  EXPECT_EQ(info.datums_found, 0);
  EXPECT_NE(info.top.id, 0);
  EXPECT_EQ(error_label(), kNoPartText);

  // An active part that is gone from the session.
  ASSERT_TRUE(yrlhost::host_model_erase(other));
  user("press error OK");
  EXPECT_EQ(YrlPartInfoFill(&info), -1);
  EXPECT_EQ(YrlPartInfoFill(nullptr), VYN_TK_BAD_INPUTS);
}

}  // namespace
