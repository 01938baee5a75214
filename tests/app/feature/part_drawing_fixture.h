// A fixture for features made from a drawing: the view records registered, a part from
// the inch template made active, views declared with their members, and profiles picked
// from draft entities as the application's pick hands them on.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/feature/featinfo.h"
#include "app/sketch/sketchplane.h"
#include "app/sketch/sketchsel.h"
#include "app/storage/storage.h"
#include "app/views/viewdata.h"
#include "tests/app/util/apputil_fixture.h"

namespace yrltest {

class PartDrawingTest : public UtilTest {
 protected:
  void SetUp() override {
    UtilTest::SetUp();
    ASSERT_EQ(YrlViewClassRegister(), 0);
    part = template_part("PRT0001");
    active_mdl = part;
  }

  // A declared view (orthographic unless type says) with its reference point, members
  // and cutting-plane entity.
  void declare_view(const char* name, int group, double rx, double ry, const std::vector<int>& members, int type = 1,
                    int cut_plane = 0) {
    YrlViewData view = {};
    view.view_type = type;
    view.cut_plane_id = cut_plane;
    view.group_id = group;
    std::strcpy(view.view_name, name);
    view.scale = 1.0;
    view.ref_point[0] = rx;
    view.ref_point[1] = ry;
    ASSERT_EQ(YrlViewDataWrite(name, view), 0);
    for (int id : members) ASSERT_EQ(YrlViewSetupEntityAdd(name, id), 0);
  }

  // Selections of the drawing's draft entities, and their release.
  std::vector<VynSelection> selections(const std::vector<int>& ids) {
    std::vector<VynSelection> out;
    for (int id : ids) {
      VynModelitem item = entity(id);
      VynSelection sel = nullptr;
      EXPECT_EQ(VynSelectionAlloc(nullptr, &item, &sel), 0);
      out.push_back(sel);
    }
    return out;
  }
  static void release(std::vector<VynSelection>& sels) {
    for (VynSelection& s : sels) VynSelectionFree(&s);
  }

  // The entities as the profile of info; the pick's view result is expected.
  void profile(YrlFeatInfo& info, const std::vector<int>& ids, int expect_view_result = 0) {
    std::vector<VynSelection> sels = selections(ids);
    int result = 99;
    EXPECT_EQ(YrlSketchProfileSet(&info, sels.data(), static_cast<int>(sels.size()), &result), 0);
    EXPECT_EQ(result, expect_view_result);
    release(sels);
  }

  // A 10 x 5 rectangle in FRONT (lines 1 to 4) and the TOP line 5 through TOP's
  // reference point, both views declared.
  void rectangle_drawing() {
    line_entity(1, {0, 0, 0}, {10, 0, 0});
    line_entity(2, {10, 0, 0}, {10, 5, 0});
    line_entity(3, {10, 5, 0}, {0, 5, 0});
    line_entity(4, {0, 5, 0}, {0, 0, 0});
    line_entity(5, {0, 100, 0}, {10, 100, 0});
    declare_view("FRONT", 2, 0, 0, {1, 2, 3, 4});
    declare_view("TOP", 1, 0, 100, {5});
  }

  // The rectangle of rectangle_drawing as the profile of a run of type and the TOP line 5
  // as its sketch-plane pick: every step but the depth is complete.
  void profile_and_plane(YrlFeatInfo& info, int type = YRL_FEAT_EXTRUDE) {
    ASSERT_NO_FATAL_FAILURE(rectangle_drawing());
    ASSERT_EQ(YrlFeatInfoBegin(&info, type), 0);
    ASSERT_NO_FATAL_FAILURE(profile_on_top_line(info, {1, 2, 3, 4}));
  }
  // The entities as the profile, with TOP's line 5 picked for the sketch plane.
  void profile_on_top_line(YrlFeatInfo& info, const std::vector<int>& ids) {
    profile(info, ids);
    ASSERT_EQ(YrlFeatInfoSketchReferencesGet(&info), 0);
    user("pick 77 5");
    ASSERT_EQ(YrlFeatInfoSketchPlaneSelect(&info), 0);
  }

  VynMdl part = nullptr;
};

}  // namespace yrltest
