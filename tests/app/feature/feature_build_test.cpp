// Features built in the stand-in host from profiles picked in declared views, checked by
// the part's solid: its volume, faces and bounding box.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "app/feature/featinfo.h"
#include "app/sketch/sketchplane.h"
#include "app/sketch/sketchsel.h"
#include "app/storage/storage.h"
#include "app/views/viewdata.h"
#include "host/geometry.h"
#include "host/messages.h"
#include "host/model_store.h"
#include "host/models.h"
#include "tests/app/util/apputil_fixture.h"

namespace yrltest {
namespace {

class FeatureBuild : public UtilTest {
 protected:
  void SetUp() override {
    UtilTest::SetUp();
    ASSERT_EQ(YrlViewClassRegister(), 0);
    part = template_part("PRT0001");
    active_mdl = part;
  }

  // A declared orthographic view with its reference point and members.
  void declare_view(const char* name, int group, double rx, double ry, const std::vector<int>& members) {
    YrlViewData view = {};
    view.view_type = 1;
    view.group_id = group;
    std::strcpy(view.view_name, name);
    view.scale = 1.0;
    view.ref_point[0] = rx;
    view.ref_point[1] = ry;
    ASSERT_EQ(YrlViewDataWrite(name, view), 0);
    for (int id : members) ASSERT_EQ(YrlViewSetupEntityAdd(name, id), 0);
  }

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

  void profile(YrlFeatInfo& info, const std::vector<int>& ids, int expect_view_result = 0) {
    std::vector<VynSelection> sels = selections(ids);
    int result = 99;
    EXPECT_EQ(YrlSketchProfileSet(&info, sels.data(), static_cast<int>(sels.size()), &result), 0);
    EXPECT_EQ(result, expect_view_result);
    release(sels);
  }

  yrlhost::geom::SolidSummary solid() {
    return yrlhost::geom::solid_summary(yrlhost::stored_model(part)->solid);
  }
  void expect_solid(double volume, int faces, const double lo[3], const double hi[3]) {
    yrlhost::geom::SolidSummary s = solid();
    EXPECT_NEAR(s.volume, volume, 1e-6 * std::max(1.0, volume));
    EXPECT_EQ(s.faces, faces);
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(s.box.min[i], lo[i], 1e-6) << i;
      EXPECT_NEAR(s.box.max[i], hi[i], 1e-6) << i;
    }
  }
  size_t feature_count() { return yrlhost::stored_model(part)->features.size(); }

  VynMdl part = nullptr;
};

// A rectangle picked in FRONT, its sketch plane and blind depth from lines in TOP.
TEST_F(FeatureBuild, ProtrusionFromFrontWithDepthLineInTop) {
  line_entity(1, {0, 0, 0}, {10, 0, 0});
  line_entity(2, {10, 0, 0}, {10, 5, 0});
  line_entity(3, {10, 5, 0}, {0, 5, 0});
  line_entity(4, {0, 5, 0}, {0, 0, 0});
  line_entity(5, {0, 100, 0}, {10, 100, 0});   // TOP: FRONT's plane edge-on, through TOP's point
  line_entity(6, {20, 100, 0}, {20, 125, 0});  // TOP: a depth of 25
  declare_view("FRONT", 2, 0, 0, {1, 2, 3, 4});
  declare_view("TOP", 1, 0, 100, {5, 6});

  YrlFeatInfo info;
  ASSERT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_EXTRUDE), 0);
  profile(info, {1, 2, 3, 4});
  EXPECT_EQ(info.sketch.view_id, 2);
  EXPECT_EQ(info.sketch.valid, 1);
  ASSERT_EQ(YrlFeatInfoSketchReferencesGet(&info), 0);
  EXPECT_EQ(info.sketch.orientation_code, 4);
  EXPECT_EQ(info.sketch.orientation_ref.id, info.part.right.id);

  user("pick 77 5");
  ASSERT_EQ(YrlFeatInfoSketchPlaneSelect(&info), 0);
  EXPECT_EQ(info.sketch.use_found_plane, 1);
  EXPECT_EQ(info.sketch.found_plane.id, info.part.front.id);  // no datum plane created
  EXPECT_EQ(info.sketch.created_plane.id, 0);

  user("pick 77 6");
  ASSERT_EQ(YrlFeatInfoExtentSelect(&info), 0);
  EXPECT_EQ(info.extent.parallel_ref, 0);
  EXPECT_NEAR(info.extent.depth, 25, 1e-9);  // edge case: a depth line of 25 gives 25

  info.extent.depth_type = YRL_DEPTH_BLIND;
  ASSERT_EQ(YrlFeatInfoFeatRegen(&info), 0);
  EXPECT_GE(info.feature.id, 1);
  EXPECT_EQ(info.failure, 0);
  const double lo[3] = {0, 0, 0}, hi[3] = {10, 5, 25};
  expect_solid(1250, 6, lo, hi);
  YrlFeatInfoEnd(&info);
}

// A cancelled run deletes its feature and the datum plane it created: the part is as it was.
TEST_F(FeatureBuild, CancelledFeatureLeavesThePartAsItWas) {
  line_entity(1, {0, 0, 0}, {10, 0, 0});
  line_entity(2, {10, 0, 0}, {10, 5, 0});
  line_entity(3, {10, 5, 0}, {0, 5, 0});
  line_entity(4, {0, 5, 0}, {0, 0, 0});
  line_entity(5, {0, 107, 0}, {10, 107, 0});   // TOP: a plane 7 behind FRONT: nothing there
  line_entity(6, {20, 107, 0}, {20, 117, 0});
  declare_view("FRONT", 2, 0, 0, {1, 2, 3, 4});
  declare_view("TOP", 1, 0, 100, {5, 6});
  size_t before = feature_count();

  YrlFeatInfo info;
  ASSERT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_EXTRUDE), 0);
  profile(info, {1, 2, 3, 4});
  ASSERT_EQ(YrlFeatInfoSketchReferencesGet(&info), 0);
  user("pick 77 5");
  ASSERT_EQ(YrlFeatInfoSketchPlaneSelect(&info), 0);
  EXPECT_EQ(info.sketch.use_found_plane, 0);
  EXPECT_GE(info.sketch.created_plane.id, 1);
  user("pick 77 6");
  ASSERT_EQ(YrlFeatInfoExtentSelect(&info), 0);
  info.extent.depth_type = YRL_DEPTH_BLIND;
  ASSERT_EQ(YrlFeatInfoFeatRegen(&info), 0);
  EXPECT_NEAR(solid().volume, 500, 1e-6);
  EXPECT_EQ(feature_count(), before + 2);

  YrlFeatInfoIncompleteFeatureDelete(&info);
  EXPECT_EQ(feature_count(), before);
  EXPECT_EQ(info.feature.id, 0);
  EXPECT_EQ(info.sketch.created_plane.id, 0);
  EXPECT_TRUE(yrlhost::stored_model(part)->solid.empty());
  YrlFeatInfoEnd(&info);
}

}  // namespace
}  // namespace yrltest
