// Features built in the stand-in host from profiles picked in declared views, checked by
// the part's solid: its volume, faces and bounding box.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "app/feature/elemtree.h"
#include "app/feature/feature.h"
#include "app/feature/featinfo.h"
#include "app/feature/section.h"
#include "app/sketch/sketchplane.h"
#include "app/feature/featdlg.h"
#include "app/sketch/sketchsel.h"
#include "app/storage/storage.h"
#include "app/views/viewdata.h"
#include "host/util/host_testing.h"
#include "host/plugin/call_log.h"
#include "host/store/drawings.h"
#include "host/store/elemtrees.h"
#include "host/geometry/geometry.h"
#include "host/display/graphics.h"
#include "host/util/host_arrays.h"
#include "host/ui/messages.h"
#include "host/store/model_store.h"
#include "host/store/models.h"
#include "host/files/model_files.h"
#include "host/ui/ui.h"
#include "platform/w32/path.h"
#include "tests/app/feature/part_drawing_fixture.h"
#include "tests/support/temp_dir.h"

namespace yrltest {
namespace {

class FeatureBuild : public PartDrawingTest {
 protected:
  // Draft lines 1 to 4: the rectangle (x0, y0) to (x1, y1), counter-clockwise.
  void rectangle(double x0, double y0, double x1, double y1) {
    line_entity(1, {x0, y0, 0}, {x1, y0, 0});
    line_entity(2, {x1, y0, 0}, {x1, y1, 0});
    line_entity(3, {x1, y1, 0}, {x0, y1, 0});
    line_entity(4, {x0, y1, 0}, {x0, y0, 0});
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

  // Extrudes the profile ids blind, depth deep, from the sketch plane picked
  // automatically, checks the solid, and takes the feature out again so that the next
  // case starts from the part as it was.
  void expect_blind_from_auto_plane(const std::vector<int>& ids, double depth, double volume, int faces,
                                    const double lo[3], const double hi[3]) {
    YrlFeatInfo info;
    ASSERT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_EXTRUDE), 0);
    profile(info, ids);
    ASSERT_EQ(info.sketch.valid, 1);
    ASSERT_EQ(YrlFeatInfoSketchPlaneAutoSelect(&info), 0);
    ASSERT_EQ(YrlFeatInfoSketchReferencesGet(&info), 0);
    info.extent = {YRL_DEPTH_BLIND, 0, 0, {}, depth, {}, 0};
    ASSERT_EQ(YrlFeatInfoFeatRegen(&info), 0);
    EXPECT_EQ(info.failure, 0);
    expect_solid(volume, faces, lo, hi);
    YrlFeatInfoIncompleteFeatureDelete(&info);
    YrlFeatInfoEnd(&info);
  }

  // The 10 x 5 block of FRONT, 25 deep along z, built into the part through info (the
  // profile is lines 1 to 4; TOP holds the plane line 5 and the depth line 6).
  void build_block(YrlFeatInfo& info) {
    rectangle(0, 0, 10, 5);
    line_entity(5, {0, 100, 0}, {10, 100, 0});
    line_entity(6, {20, 100, 0}, {20, 125, 0});
    declare_view("FRONT", 2, 0, 0, {1, 2, 3, 4});
    declare_view("TOP", 1, 0, 100, {5, 6});
    build_from_front(info);
  }

  // An extrusion of FRONT's lines 1 to 4, its plane line 5 and depth line 6 picked in TOP.
  void build_from_front(YrlFeatInfo& info) {
    ASSERT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_EXTRUDE), 0);
    profile(info, {1, 2, 3, 4});
    ASSERT_EQ(YrlFeatInfoSketchReferencesGet(&info), 0);
    user("pick 77 5");
    ASSERT_EQ(YrlFeatInfoSketchPlaneSelect(&info), 0);
    user("pick 77 6");
    ASSERT_EQ(YrlFeatInfoExtentSelect(&info), 0);
    info.extent.depth_type = YRL_DEPTH_BLIND;
    ASSERT_EQ(YrlFeatInfoFeatRegen(&info), 0);
    ASSERT_GE(info.feature.id, 1);
  }

  // A wedge drawn in FRONT, lines 1 to 4 (10 wide, 10 high at the left and 5 at the
  // right, its top sloping from (10, 5) to (0, 10)), and TOP's sketch plane line 5 and
  // depth line 6 for build_from_front (20 deep).
  void wedge_drawn() {
    line_entity(1, {0, 0, 0}, {10, 0, 0});
    line_entity(2, {10, 0, 0}, {10, 5, 0});
    line_entity(3, {10, 5, 0}, {0, 10, 0});
    line_entity(4, {0, 10, 0}, {0, 0, 0});
    line_entity(5, {0, 100, 0}, {10, 100, 0});
    line_entity(6, {20, 100, 0}, {20, 120, 0});
  }

  // The wedge built from FRONT, 20 deep: x 0 to 10, y 0 to 10, z 0 to 20.
  void wedge_built() {
    wedge_drawn();
    declare_view("FRONT", 2, 0, 0, {1, 2, 3, 4});
    declare_view("TOP", 1, 0, 100, {5, 6});
    YrlFeatInfo wedge;
    ASSERT_NO_FATAL_FAILURE(build_from_front(wedge));
    YrlFeatInfoEnd(&wedge);
  }

  // The auxiliary view AUX-1 (group 11) cut by draft line cut, with its view-reference
  // line 20 picked at vpr, the bounds given, and the entities and line 20 as members.
  void aux_view_declare(int cut, const double vpr[2], const double bounds[6], const std::vector<int>& entities) {
    YrlViewData view = {};
    view.view_type = 3;
    view.group_id = 11;
    std::strcpy(view.view_name, "AUX-1");
    view.scale = 1.0;
    view.cut_plane_id = cut;
    view.vpr_id = 20;
    view.vpr_point[0] = vpr[0], view.vpr_point[1] = vpr[1];
    std::memcpy(view.bounds, bounds, sizeof view.bounds);
    ASSERT_EQ(YrlViewDataWrite("AUX-1", view), 0);
    std::vector<int> members = entities;
    members.push_back(20);
    for (int id : members) ASSERT_EQ(YrlViewSetupEntityAdd("AUX-1", id), 0);
  }

  // The middles of the part's plane faces that keep (by their face data), from their
  // parameter ranges.
  template <typename Keep>
  std::vector<yrlhost::geom::Vec3> plane_face_middles(Keep keep) {
    std::vector<yrlhost::geom::Vec3> out;
    const yrlhost::geom::Shape& shape = yrlhost::stored_model(part)->solid;
    const int faces = solid().faces;
    for (int face = 1; face <= faces; ++face) {
      yrlhost::geom::FaceInfo f;
      if (yrlhost::geom::face_info(shape, face, f) != yrlhost::geom::Status::ok ||
          f.kind != yrlhost::geom::SurfaceKind::plane || !keep(f))
        continue;
      yrlhost::geom::SurfacePoint middle;
      if (yrlhost::geom::face_eval(shape, face, {(f.uv_min[0] + f.uv_max[0]) / 2, (f.uv_min[1] + f.uv_max[1]) / 2},
                                   middle) == yrlhost::geom::Status::ok)
        out.push_back(middle.point);
    }
    return out;
  }

  // A section view A-A (group 10, reference point (rx, ry)) holding line 2, cut by line 1
  // of TOP, which lies 5 below TOP's point: the plane z = 5.
  void section_view(double rx, double ry) {
    line_entity(1, {0, 95, 0}, {10, 95, 0});
    line_entity(2, {50, 0, 0}, {60, 0, 0});
    declare_view("TOP", 1, 0, 100, {1});
    declare_view("A-A", 10, rx, ry, {2}, 2, 1);
  }

  // How often the text was shown, by key or as the single value of a literal message.
  static int message_count(const std::string& text) {
    int count = 0;
    for (const yrlhost::MessageRecord& m : yrlhost::message_log()) {
      if (m.key == text || (m.values.size() == 1 && m.values[0] == text)) ++count;
    }
    return count;
  }
};

// A rectangle picked in FRONT, its sketch plane and blind depth from lines in TOP.
TEST_F(FeatureBuild, ProtrusionFromFrontWithDepthLineInTop) {
  rectangle(0, 0, 10, 5);
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

// A host that answers every section entity "added" without adding it leaves the feature
// without a profile, which the host keeps incomplete: that is no feature built. The build
// fails, reports a section failure and leaves nothing in the part.
TEST_F(FeatureBuild, FeatureLeftIncompleteIsNoFeatureBuilt) {
  const size_t empty = feature_count();
  YrlFeatInfo info;
  ASSERT_NO_FATAL_FAILURE(profile_and_plane(info));
  info.extent.depth_type = YRL_DEPTH_BLIND;
  info.extent.depth = 4;
  yrlhost::call_log_set_result_word("VynSectionEntityAdd_v", VYN_TK_NO_ERROR);
  EXPECT_NE(YrlFeatInfoFeatRegen(&info), 0);
  yrlhost::call_log_clear_result("VynSectionEntityAdd_v");
  EXPECT_EQ(info.feature.id, 0);
  EXPECT_EQ(info.sketch_failed, 1);
  EXPECT_EQ(feature_count(), empty);
  // The same on a redefinition: a built feature whose section is filled anew by such a
  // host and redefined is no feature built either.
  info.sketch_failed = 0;
  ASSERT_EQ(YrlFeatInfoFeatRegen(&info), 0);
  ASSERT_GE(info.feature.id, 1);
  yrlhost::call_log_set_result_word("VynSectionEntityAdd_v", VYN_TK_NO_ERROR);
  EXPECT_EQ(YrlFeatInfoSketchAddAndRedefine(&info, &info.feature, info.type, &info.tree), 0);
  yrlhost::call_log_clear_result("VynSectionEntityAdd_v");
  EXPECT_NE(YrlFeatInfoRedefine(&info), 0);
  EXPECT_EQ(info.failure, 1);
  EXPECT_EQ(info.sketch_failed, 1);
  YrlFeatInfoEnd(&info);
}

// A cancelled run deletes its feature and the datum plane it created: the part is as it was.
TEST_F(FeatureBuild, CancelledFeatureLeavesThePartAsItWas) {
  rectangle(0, 0, 10, 5);
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


// Three lines of a rectangle and a fourth that stops short: the gap's two ends are open.
TEST_F(FeatureBuild, ProfileWithAGapReportsItsOpenEnds) {
  line_entity(1, {0, 0, 0}, {10, 0, 0});
  line_entity(2, {10, 0, 0}, {10, 5, 0});
  line_entity(3, {10, 5, 0}, {0, 5, 0});
  line_entity(4, {0, 5, 0}, {0, 1, 0});
  declare_view("FRONT", 2, 0, 0, {1, 2, 3, 4});
  YrlFeatInfo info;
  ASSERT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_EXTRUDE), 0);
  profile(info, {1, 2, 3, 4});
  EXPECT_EQ(info.sketch.valid, 0);
  EXPECT_EQ(info.sketch.open_ends, 2);
  EXPECT_EQ(info.sketch.no_open_ends, 0);
  EXPECT_EQ(info.sketch.entities[0].start_status, YRL_SKETCH_END_OPEN);
  EXPECT_EQ(info.sketch.entities[3].end_status, YRL_SKETCH_END_OPEN);
  EXPECT_EQ(info.sketch.loop_count, 1);
  // An invalid profile is not filled into the section: nothing is built.
  ASSERT_EQ(YrlFeatInfoSketchPlaneAutoSelect(&info), 0);
  ASSERT_EQ(YrlFeatInfoSketchReferencesGet(&info), 0);
  info.extent = {YRL_DEPTH_BLIND, 0, 0, {}, 5, {}, 0};
  YrlFeatInfoFeatRegen(&info);
  EXPECT_TRUE(yrlhost::stored_model(part)->solid.empty());
  YrlFeatInfoIncompleteFeatureDelete(&info);
  YrlFeatInfoEnd(&info);
}

// A profile from two views, and one outside every view, is refused with its message.
TEST_F(FeatureBuild, ProfileFromTwoViewsIsRefused) {
  line_entity(1, {0, 0, 0}, {10, 0, 0});
  line_entity(2, {0, 100, 0}, {10, 100, 0});
  line_entity(3, {50, 50, 0}, {60, 50, 0});
  declare_view("FRONT", 2, 0, 0, {1});
  declare_view("TOP", 1, 0, 100, {2});
  YrlFeatInfo info;
  ASSERT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_EXTRUDE), 0);
  profile(info, {1, 2}, -2);
  EXPECT_EQ(info.sketch.view_id, -1);
  profile(info, {3, 1}, -1);
  YrlFeatInfoEnd(&info);
}

// Profile in FRONT: a vertical line in RIGHT shows its plane, a horizontal one does not.
TEST_F(FeatureBuild, SketchPlaneLineMustShowThePlaneEdgeOn) {
  line_entity(1, {0, 0, 0}, {10, 0, 0});
  line_entity(2, {200, 0, 0}, {200, 5, 0});  // RIGHT: vertical
  line_entity(3, {200, 0, 0}, {210, 0, 0});  // RIGHT: horizontal
  declare_view("FRONT", 2, 0, 0, {1});
  declare_view("RIGHT", 3, 200, 0, {2, 3});
  YrlFeatInfo info;
  ASSERT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_EXTRUDE), 0);
  profile(info, {1});
  user("pick 77 2");
  EXPECT_EQ(YrlFeatInfoSketchPlaneSelect(&info), 0);
  EXPECT_EQ(info.plane.ref_view_id, 3);
  EXPECT_EQ(info.sketch.found_plane.id, info.part.front.id);
  for (int k = 0; k < 3; ++k) user("pick 77 3");
  EXPECT_EQ(YrlFeatInfoSketchPlaneSelect(&info), -1);
  std::vector<std::string> shown;
  for (const yrlhost::MessageRecord& m : yrlhost::message_log()) shown.push_back(m.key);
  EXPECT_EQ(std::count(shown.begin(), shown.end(), "YRL_SELECT_VALID_LINE_2"), 3);
  EXPECT_EQ(shown.back(), "YRL_SELECT_LINE_FAILED");
  YrlFeatInfoEnd(&info);
}

// A tube section on FRONT turned a full revolution about a vertical axis.
TEST_F(FeatureBuild, RevolveBuilds) {
  rectangle(2, 0, 3, 4);
  line_entity(5, {0, 0, 0}, {0, 1, 0});  // the axis
  declare_view("FRONT", 2, 0, 0, {1, 2, 3, 4, 5});
  YrlFeatInfo info;
  ASSERT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_REVOLVE), 0);
  // A revolve's profile is checked against its axis's view: the axis comes first.
  profile(info, {1, 2, 3, 4}, -1);
  user("pick 77 5");
  ASSERT_EQ(YrlSketchRevAxisSelect(&info), 0);
  profile(info, {1, 2, 3, 4});
  EXPECT_EQ(info.rev_axis.view_id, 2);
  // A vertical axis in FRONT: TOP, FRONT and RIGHT, offsets 1.
  EXPECT_EQ(info.axis_refs.refs[0].id, info.part.top.id);
  EXPECT_EQ(info.axis_refs.refs[1].id, info.part.front.id);
  EXPECT_EQ(info.axis_refs.refs[2].id, info.part.right.id);
  EXPECT_EQ(info.axis_refs.offsets[1], 1.0);
  EXPECT_EQ(info.sketch.revolve_sides, 1);
  EXPECT_EQ(info.sketch.valid, 1);
  ASSERT_EQ(YrlFeatInfoSketchPlaneAutoSelect(&info), 0);
  ASSERT_EQ(YrlFeatInfoSketchReferencesGet(&info), 0);
  info.extent = {YRL_DEPTH_BLIND, 0, 0, {}, 360, {}, 0};
  ASSERT_EQ(YrlFeatInfoFeatRegen(&info), 0);
  const double pi = 3.141592653589793;
  const double lo[3] = {-3, 0, -3}, hi[3] = {3, 4, 3};
  expect_solid(20 * pi, 4, lo, hi);
  YrlFeatInfoEnd(&info);  // frees the axis selection too
}

class HoleBuild : public FeatureBuild {
 protected:
  // A 10 x 10 x 10 block from FRONT, and a datum plane 10 above TOP to place holes on.
  void block(YrlFeatInfo& info) {
    rectangle(0, 0, 10, 10);
    arc_entity(5, {1, 0, 0}, {5, 97, 0}, 0, 6.283185307179586, 1);  // TOP: the hole's circle
    declare_view("FRONT", 2, 0, 0, {1, 2, 3, 4});
    declare_view("TOP", 1, 0, 100, {5});
    ASSERT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_EXTRUDE), 0);
    profile(info, {1, 2, 3, 4});
    info.sketch.found_plane = info.part.front;
    info.sketch.use_found_plane = 1;
    ASSERT_EQ(YrlFeatInfoSketchReferencesGet(&info), 0);
    info.extent = {YRL_DEPTH_BLIND, 0, 0, {}, 10, {}, 0};
    ASSERT_EQ(YrlFeatInfoFeatRegen(&info), 0);
    ASSERT_NEAR(solid().volume, 1000, 1e-6);
    ASSERT_EQ(YrlUtilOffsetPlaneCreate(part, &info.part.top, 10, &top10), 0);
  }
  // The hole record of the circle in TOP: centre (5, 97) is x 5, z 3 in the part.
  void hole(YrlFeatInfo& h, double depth) {
    h = YrlFeatInfo{};
    h.type = YRL_FEAT_HOLE;
    h.sub_type = YRL_FEAT_PROTRUSION;
    h.draw = draw;
    h.part = partinfo;
    h.sketch.found_plane = top10;
    h.sketch.use_found_plane = 1;
    h.hole.view_id = 1;
    h.hole.centre[0] = 5;
    h.hole.centre[1] = 97;
    h.hole.diameter = 2;
    h.extent = {YRL_DEPTH_BLIND, 0, 0, {}, depth, {}, 0};
  }
  VynModelitem top10{};
  YrlDrawInfo draw{};
  YrlPartInfo partinfo{};
};

TEST_F(HoleBuild, BlindHoleAndItsDepthEdit) {
  YrlFeatInfo info;
  block(info);
  draw = info.draw;
  partinfo = info.part;
  YrlFeatInfo h;
  hole(h, 4);
  ASSERT_EQ(YrlFeatInfoFeatRegen(&h), 0);
  EXPECT_NEAR(h.hole.first_distance, 3, 1e-12);   // from FRONT: z 3
  EXPECT_NEAR(h.hole.second_distance, 5, 1e-12);  // from RIGHT: x 5
  const double pi = 3.141592653589793;
  const double lo[3] = {0, 0, 0}, hi[3] = {10, 10, 10};
  expect_solid(1000 - 4 * pi, 8, lo, hi);
  // The bore's wall passes 1 from its axis at x 5, z 3.
  EXPECT_EQ(yrlhost::geom::geometry_at_point(yrlhost::stored_model(part)->solid, {6, 8, 3}, 1e-6).faces.size(), 1u);
  // Fault: the depth edit wrote side 2, away from the part: the hole went (or failed).
  h.extent.depth = 6;
  EXPECT_EQ(YrlFeatElemtreeHoleDepthSet(&h, h.tree, YRL_DEPTH_BLIND), 0);
  ASSERT_EQ(YrlFeatInfoFeatRefresh(&h), 0);
  expect_solid(1000 - 6 * pi, 8, lo, hi);
  YrlFeatInfoEnd(&info);
}

// Fault: a view of scale 0 gave infinite hole distances. An orthographic view is drawn
// at the drawing scale, which the sheet transform carries: its record's scale, 0 here,
// scales nothing, and the hole stands where it does at scale 1 (3 from FRONT, 5 from
// RIGHT), as a profile from that view does.
TEST_F(HoleBuild, OrthographicViewRecordOfScaleZeroScalesNothing) {
  YrlFeatInfo info;
  block(info);
  draw = info.draw;
  partinfo = info.part;
  YrlViewData view{};
  ASSERT_EQ(YrlViewDataRead("TOP", &view), 0);
  view.scale = 0.0;
  ASSERT_EQ(YrlViewDataWrite("TOP", view), 0);
  YrlFeatInfo h;
  hole(h, 4);
  EXPECT_EQ(YrlFeatHoleRefDistancesGet(&h), 0);
  EXPECT_NEAR(h.hole.first_distance, 3, 1e-12);
  EXPECT_NEAR(h.hole.second_distance, 5, 1e-12);
  YrlFeatInfoEnd(&info);
}

// A hole picked in a detail view of TOP: the detail's view-reference point (300, 100)
// stands for its position point (5, 97) in TOP, and its circle there, drawn at the
// detail's scale, is TOP's circle of radius 1 at (5, 97): x 5, z 3 in the part. Drawn at
// 2:1 with scale 2 it is that hole; a scale that is not positive reads as 1, so the
// circle drawn at 1:1 is. Fault: a detail scale of 0 put the hole at the view's
// reference point, and one of -1 gave it a negative diameter.
TEST_F(HoleBuild, HolePickedInADetailViewAtItsScale) {
  YrlFeatInfo block_info;
  block(block_info);
  const double pi = 3.141592653589793;
  line_entity(6, {5, 97, 0}, {5, 95, 0});  // TOP: the detail's position line
  ASSERT_EQ(YrlViewSetupEntityAdd("TOP", 6), 0);
  struct Case {
    double scale, drawn;
  } cases[] = {{2, 2}, {1, 1}, {0.5, 0.5}, {0, 1}, {-1, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scale);
    arc_entity(7, {1, 0, 0}, {300, 100, 0}, 0, 6.283185307179586, c.drawn);
    line_entity(8, {300, 100, 0}, {300, 100 + 4 * c.drawn, 0});  // the detail's view-reference line
    YrlViewData detail = {};
    detail.view_type = 4;
    detail.group_id = 12;
    std::strcpy(detail.view_name, "DET_T");
    detail.scale = c.scale;
    detail.vpr_id = 8;
    detail.vpr_point[0] = 300, detail.vpr_point[1] = 100;
    detail.position_id = 6;
    detail.position_point[0] = 5, detail.position_point[1] = 97;
    ASSERT_EQ(YrlViewDataWrite("DET_T", detail), 0);
    for (int id : {7, 8}) ASSERT_EQ(YrlViewSetupEntityAdd("DET_T", id), 0);
    YrlFeatInfo h;
    ASSERT_EQ(YrlFeatInfoBegin(&h, YRL_FEAT_HOLE), 0);
    user("pick 77 7");
    ASSERT_EQ(YrlFeatInfoHoleProfileSelect(&h), 0);
    EXPECT_EQ(h.hole.view_id, 12);
    EXPECT_NEAR(h.hole.diameter, 2, 1e-12);
    ASSERT_EQ(YrlFeatHoleRefDistancesGet(&h), 0);
    EXPECT_NEAR(h.hole.first_distance, 3, 1e-12);   // from FRONT: z 3
    EXPECT_NEAR(h.hole.second_distance, 5, 1e-12);  // from RIGHT: x 5
    h.sketch.found_plane = top10;
    h.sketch.use_found_plane = 1;
    h.extent = {YRL_DEPTH_THROUGH_ALL, 0, 0, {}, 0, {}, 0};
    ASSERT_EQ(YrlFeatInfoFeatRegen(&h), 0);
    const double lo[3] = {0, 0, 0}, hi[3] = {10, 10, 10};
    expect_solid(1000 - 10 * pi, 7, lo, hi);
    EXPECT_EQ(yrlhost::geom::geometry_at_point(yrlhost::stored_model(part)->solid, {6, 5, 3}, 1e-6).faces.size(), 1u);
    YrlFeatInfoIncompleteFeatureDelete(&h);  // the block alone for the next case
    YrlFeatInfoEnd(&h);
  }
  YrlFeatInfoEnd(&block_info);
}

// Offset datum planes are named by the next number the part has free.
TEST_F(FeatureBuild, OffsetDatumPlanesTakeTheNextFreeNumber) {
  YrlPartInfo p{};
  ASSERT_EQ(YrlPartInfoFill(&p), 0);
  auto name_of = [](const VynModelitem& item) {
    VynFeature feature{};
    EXPECT_EQ(VynGeomitemFeatureGet(const_cast<VynModelitem*>(&item), &feature), 0);
    VynName name{};
    EXPECT_EQ(VynModelitemNameGet(&feature, name), 0);
    return std::u16string(name);
  };
  VynModelitem first{}, second{};
  // Fault: the element tree the plane was made from was never freed. The elements live
  // after the call are the host's copy kept with the feature, and no more.
  const std::size_t elements = yrlhost::tree_counts().elements;
  ASSERT_EQ(YrlUtilOffsetPlaneCreate(part, &p.front, 3, &first), 0);
  const yrlhost::StoredFeature& made = yrlhost::stored_model(part)->features.back();
  const std::string kept = yrlhost::tree_text(made.tree);
  EXPECT_EQ(yrlhost::tree_counts().elements - elements,
            static_cast<std::size_t>(std::count(kept.begin(), kept.end(), '\n')));
  ASSERT_EQ(YrlUtilOffsetPlaneCreate(part, &p.front, 5, &second), 0);
  EXPECT_EQ(name_of(first), u"OFFSET_DTM_PLN1");
  EXPECT_EQ(name_of(second), u"OFFSET_DTM_PLN2");
  EXPECT_NE(first.id, second.id);
  // Fault: a part reopened with OFFSET_DTM_PLN1 in it (a new session's counter at 1)
  // got the old plane back; the part's own names decide.
  VynMdl other = template_part("PRT0002");
  ASSERT_GT(yrlhost::host_feature_add(other, 923, "OFFSET_DTM_PLN1", {}), 0);
  VynModelitem third{};
  YrlPartInfo q{};
  active_mdl = other;
  ASSERT_EQ(YrlPartInfoFill(&q), 0);
  ASSERT_EQ(YrlUtilOffsetPlaneCreate(other, &q.front, 4, &third), 0);
  EXPECT_EQ(name_of(third), u"OFFSET_DTM_PLN2");
}

TEST(InclinedExtent, DistancesAndLinesThatDoNotClimb) {
  const double p[3] = {0, 0, 0}, r[3] = {0, 5, 0};
  double d = -1;
  // A line from (10, 0) up to (20, 10): at height 5 it is at x 15.
  const double a[3] = {10, 0, 0}, b[3] = {20, 10, 0};
  ASSERT_EQ(YrlFindDistanceForInclinedExtent(1, p, a, b, r, &d), 0);
  EXPECT_NEAR(d, 15, 1e-12);
  // Fault: a horizontal line divided by zero in mode 1 (and a vertical one in mode 2).
  const double h0[3] = {10, 3, 0}, h1[3] = {20, 3, 0};
  d = -1;
  EXPECT_EQ(YrlFindDistanceForInclinedExtent(1, p, h0, h1, r, &d), -1);
  EXPECT_EQ(d, -1);
  const double v0[3] = {10, 0, 0}, v1[3] = {10, 9, 0};
  EXPECT_EQ(YrlFindDistanceForInclinedExtent(2, p, v0, v1, r, &d), -1);
}

// Fault: a failed entity creation was reported as success.
TEST_F(FeatureBuild, FixLineReportsAFailedCreation) {
  YrlDrawInfo d{};
  declare_view("FRONT", 2, 0, 0, {});
  ASSERT_EQ(YrlDrawInfoFill(&d), 0);
  const double a[3] = {0, 0, 0}, b[3] = {5, 0, 0};
  VynSelection sel = nullptr;
  ASSERT_EQ(YrlSketchFixCreate(&d, a, b, nullptr, &sel), 0);
  ASSERT_NE(sel, nullptr);
  VynModelitem item{};
  ASSERT_EQ(VynSelectionModelitemGet(sel, &item), 0);
  EXPECT_TRUE(yrlhost::stored_item_exists(drawing, 77, item.id));
  VynSelectionFree(&sel);
  yrlhost::call_log_fail_on_call("VynDtlentityCreate_v", 1, -1);
  EXPECT_EQ(YrlSketchFixCreate(&d, a, b, nullptr, &sel), -1);
  EXPECT_EQ(sel, nullptr);
}


// Circles and arcs carried into the section: a cylinder, and a half disc.
TEST_F(FeatureBuild, ArcsAndCirclesBuild) {
  const double pi = 3.141592653589793;
  arc_entity(1, {1, 0, 0}, {5, 5, 0}, 0, 2 * pi, 2);
  arc_entity(2, {0, 1, 0}, {20, 5, 0}, 0, pi, 3);  // from (20, 8) round the left to (20, 2)
  line_entity(3, {20, 2, 0}, {20, 8, 0});
  declare_view("FRONT", 2, 0, 0, {1, 2, 3});
  struct Case {
    const char* name;
    std::vector<int> ids;
    double volume;
    int faces;
    double lo[3], hi[3];
  };
  const Case cases[] = {
      {"circle", {1}, 4 * pi * 10, 3, {3, 3, 0}, {7, 7, 10}},
      {"half disc", {2, 3}, 4.5 * pi * 10, 4, {17, 2, 0}, {20, 8, 10}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    expect_blind_from_auto_plane(c.ids, 10, c.volume, c.faces, c.lo, c.hi);
  }
}

// The picked circle in TOP places the hole: centre and diameter from the drawing.
TEST_F(HoleBuild, HolePickedInTop) {
  YrlFeatInfo info;
  block(info);
  YrlFeatInfo h;
  ASSERT_EQ(YrlFeatInfoBegin(&h, YRL_FEAT_HOLE), 0);
  user("pick 77 5");
  ASSERT_EQ(YrlFeatInfoHoleProfileSelect(&h), 0);
  EXPECT_EQ(h.hole.view_id, 1);
  EXPECT_EQ(h.hole.circle_flag, 2);
  EXPECT_NEAR(h.hole.diameter, 2, 1e-12);
  EXPECT_EQ(h.sketch.count, 1);
  // Fault: a re-pick of a line overwrote the hole's selection and item before the line
  // was found to be no circle. The refused pick says so and leaves the hole, its
  // selection and the profile as they were.
  line_entity(6, {0, 90, 0}, {10, 90, 0});
  ASSERT_EQ(YrlViewSetupEntityAdd("TOP", 6), 0);
  user("pick 77 6");
  EXPECT_NE(YrlFeatInfoHoleProfileSelect(&h), 0);
  EXPECT_EQ(message_count("YRL_HOLE_NOT_CIRCLE"), 1);
  EXPECT_EQ(h.hole.item.id, 5);
  VynModelitem held{};
  ASSERT_EQ(VynSelectionModelitemGet(h.hole.selection, &held), 0);
  EXPECT_EQ(held.id, 5);
  EXPECT_EQ(h.hole.circle_flag, 2);
  EXPECT_NEAR(h.hole.diameter, 2, 1e-12);
  ASSERT_EQ(h.sketch.count, 1);
  EXPECT_EQ(h.sketch.entities[0].entity_id, 5);
  h.sketch.found_plane = top10;
  h.sketch.use_found_plane = 1;
  h.extent = {YRL_DEPTH_THROUGH_ALL, 0, 0, {}, 0, {}, 0};
  ASSERT_EQ(YrlFeatInfoFeatRegen(&h), 0);
  const double pi = 3.141592653589793;
  const double lo[3] = {0, 0, 0}, hi[3] = {10, 10, 10};
  expect_solid(1000 - 10 * pi, 7, lo, hi);
  YrlFeatInfoEnd(&h);
  YrlFeatInfoEnd(&info);
}

TEST_F(FeatureBuild, DatumPointsFromEntities) {
  const double pi = 3.141592653589793;
  line_entity(1, {0, 0, 0}, {10, 0, 0});
  line_entity(2, {10.005, 0, 0}, {10, 5, 0});     // its start is within 0.01 of line 1's end
  arc_entity(3, {1, 0, 0}, {20, 0, 0}, 0, 2 * pi, 2);  // a full circle: its centre only
  point_entity(4, {30, 1, 0});                         // fault: a point entity was read as type 10
  declare_view("FRONT", 2, 0, 0, {1, 2, 3, 4});
  YrlFeatInfo info;
  ASSERT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_DATUM_POINT), 0);
  std::vector<VynSelection> sels = selections({1, 2, 3, 4});
  ASSERT_EQ(YrlSketchDatumPointInfoSet(&info, 4, sels.data()), 0);
  release(sels);
  EXPECT_EQ(info.datum_point.view_id, 2);
  ASSERT_EQ(YrlFeatGetDatumPointsFromEntity(&info), 0);
  int n = 0;
  ASSERT_EQ(VynArraySizeGet(info.datum_point.points, &n), 0);
  const auto* pts = static_cast<const YrlDatumPoint*>(info.datum_point.points);
  std::vector<std::pair<double, double>> got;
  for (int i = 0; i < n; ++i) got.emplace_back(pts[i].point[0], pts[i].point[1]);
  const std::vector<std::pair<double, double>> want = {{0, 0}, {10, 0}, {10, 5}, {20, 0}, {30, 1}};
  EXPECT_EQ(got, want);
  YrlFeatInfoEnd(&info);
}


// The fix lines a run added are deleted at its end unless the user keeps them.
TEST_F(FeatureBuild, FixEntitiesErasedUnlessKept) {
  declare_view("FRONT", 2, 0, 0, {});
  for (int keep : {0, 1}) {
    SCOPED_TRACE(keep);
    YrlFeatInfo info;
    ASSERT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_EXTRUDE), 0);
    const double a[3] = {0, 0, 0}, b[3] = {5, 0, 0};
    VynSelection sel = nullptr;
    ASSERT_EQ(YrlSketchFixCreate(&info.draw, a, b, nullptr, &sel), 0);
    VynModelitem item{};
    ASSERT_EQ(VynSelectionModelitemGet(sel, &item), 0);
    VynSelectionFree(&sel);
    ASSERT_EQ(VynArrayObjectAdd(&info.fix_entities, -1, 1, &item), 0);
    info.keep_fix_entities = keep;
    YrlFeatInfoEnd(&info);
    EXPECT_EQ(yrlhost::stored_item_exists(drawing, 77, item.id), keep == 1);
  }
}

// Deleting with no feature deletes nothing and repaints nothing, but still deletes the
// created datum plane.
TEST_F(FeatureBuild, DeleteWithoutAFeatureStillDeletesTheCreatedPlane) {
  declare_view("FRONT", 2, 0, 0, {});
  YrlFeatInfo info;
  ASSERT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_EXTRUDE), 0);
  size_t before = feature_count();
  ASSERT_EQ(YrlUtilOffsetPlaneCreate(part, &info.part.front, 4, &info.sketch.created_plane), 0);
  EXPECT_EQ(feature_count(), before + 1);
  int repaints = yrlhost::window_find(yrlhost::window_current())->repaints;
  YrlFeatInfoIncompleteFeatureDelete(&info);
  EXPECT_EQ(feature_count(), before);
  EXPECT_EQ(info.sketch.created_plane.id, 0);
  EXPECT_EQ(yrlhost::window_find(yrlhost::window_current())->repaints, repaints);
  YrlFeatInfoEnd(&info);
}

// A hole not flipped carries 34 in 1671/1689 after its redefinition, a flipped one -1.
// The flipped one runs up from a plane inside the block, so that it takes material.
TEST_F(HoleBuild, HoleDirectionValue) {
  YrlFeatInfo info;
  block(info);
  draw = info.draw;
  partinfo = info.part;
  VynModelitem top5{};
  ASSERT_EQ(YrlUtilOffsetPlaneCreate(part, &info.part.top, 5, &top5), 0);
  for (int flipped : {0, 1}) {
    SCOPED_TRACE(flipped);
    YrlFeatInfo h;
    hole(h, 4);
    if (flipped) h.sketch.found_plane = top5;
    h.direction_flipped = flipped;
    ASSERT_EQ(YrlFeatInfoFeatRegen(&h), 0);
    EXPECT_EQ(yrlhost::tree_value_read(h.tree, {1671, 1689}, VYN_VALUE_TYPE_INT).data.value.i, flipped ? -1 : 34);
    YrlFeatInfoIncompleteFeatureDelete(&h);
  }
  YrlFeatInfoEnd(&info);
}

// A hole the host refuses to build is not kept, and the user is told why through the
// application's messages: a hole running up out of the block does not intersect it; one
// wider than the model-size box is not built either.
TEST_F(HoleBuild, ARefusedHoleIsReportedAndNotKept) {
  YrlFeatInfo info;
  block(info);
  draw = info.draw;
  partinfo = info.part;
  struct Case {
    const char* name;
    int flipped;
    double diameter;
    const char* key;
  };
  const Case cases[] = {
      {"flipped out of the block", 1, 2, "YRL_FEAT_NO_INTERSECTION"},
      {"wider than the model-size box", 0, 3e6, "YRL_FEAT_BUILD_FAILED"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const size_t features = feature_count();
    YrlFeatInfo h;
    hole(h, 4);
    h.direction_flipped = c.flipped;
    h.hole.diameter = c.diameter;
    EXPECT_NE(YrlFeatInfoFeatRegen(&h), 0);
    EXPECT_EQ(h.feature.id, 0);
    EXPECT_EQ(feature_count(), features);
    int shown = 0;
    for (const yrlhost::MessageRecord& r : yrlhost::message_log()) shown += r.key == c.key;
    EXPECT_EQ(shown, 1) << yrlhost::message_log_text();
    EXPECT_NEAR(solid().volume, 1000, 1e-6);
    YrlFeatInfoIncompleteFeatureDelete(&h);
    yrlhost::messages_testing_reset();
  }
  YrlFeatInfoEnd(&info);
}

// A profile that cannot be solved: the errors go to "<drawing>.ent", shown in the
// information window, and the feature is deleted.
TEST_F(FeatureBuild, UnsolvedSectionIsReported) {
  // The entity file is a Windows name in the current directory: drive C is a folder of
  // the test's own.
  yrltest::TempDir dir;
  ASSERT_TRUE(w32::w32_set_drive('C', dir.path().c_str()));
  ASSERT_TRUE(w32::w32_set_current_drive('C'));
  rectangle(0, 0, 10, 5);
  line_entity(4, {0, 5, 0}, {0, 1, 0});  // a gap
  declare_view("FRONT", 2, 0, 0, {1, 2, 3, 4});
  YrlFeatInfo info;
  ASSERT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_EXTRUDE), 0);
  profile(info, {1, 2, 3, 4});
  info.sketch.valid = 1;  // as if the user went on regardless
  ASSERT_EQ(YrlFeatInfoSketchPlaneAutoSelect(&info), 0);
  ASSERT_EQ(YrlFeatInfoSketchReferencesGet(&info), 0);
  info.extent = {YRL_DEPTH_BLIND, 0, 0, {}, 5, {}, 0};
  size_t before = feature_count();
  EXPECT_EQ(YrlFeatInfoFeatRegen(&info), -1);
  EXPECT_EQ(feature_count(), before);
  EXPECT_EQ(info.feature.id, 0);
  std::ifstream in(dir.file("drw0001.ent"));
  ASSERT_TRUE(in.good());
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text.rfind("The section was not solved successfully \n\n\n*** Errors of section solving and regenerating ***\n"
                       "__________________________________________________\n\nIndex   Entity ID       Error Message\n\n",
                       0),
            0u);
  EXPECT_NE(text.find("  0    "), std::string::npos);
  ASSERT_FALSE(yrlhost::info_windows_shown().empty());
  EXPECT_NE(yrlhost::info_windows_shown().back().file.find("drw0001.ent"), std::string::npos);
  YrlFeatInfoEnd(&info);
}

// The part preview: OK closes the accessory window, Cancel leaves it open.
TEST_F(FeatureBuild, PartPreviewWindow) {
  declare_view("FRONT", 2, 0, 0, {});
  YrlFeatInfo info;
  ASSERT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_EXTRUDE), 0);
  size_t windows = yrlhost::window_ids().size();
  user("press okcancel OK");
  ASSERT_EQ(YrlFeatPartPreview(&info), 0);
  EXPECT_EQ(yrlhost::window_ids().size(), windows);
  user("press okcancel Cancel");
  ASSERT_EQ(YrlFeatPartPreviewSketchPlane(&info), 0);
  EXPECT_EQ(yrlhost::window_ids().size(), windows + 1);
  YrlFeatInfoEnd(&info);
}


// Fault: the fix-entity array was freed only when both fills succeeded. A feature
// command in a drawing without views stops at the error and frees what it made.
TEST_F(FeatureBuild, CommandWithoutViewsStopsAndFreesItsArray) {
  user("press error OK");
  EXPECT_EQ(YrlFeatureCreate(YRL_FEAT_EXTRUDE), -1);
  EXPECT_FALSE(yrlhost::ui_dialog_is_open("yrlfeatdlg"));
  user("press error OK");
  YrlFeatInfo info;
  EXPECT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_EXTRUDE), -1);
  VynArray fixes = info.fix_entities;
  ASSERT_TRUE(yrlhost::host_array_is(fixes));
  YrlFeatInfoEnd(&info);
  EXPECT_FALSE(yrlhost::host_array_is(fixes));
  EXPECT_EQ(info.fix_entities, nullptr);
}


// A depth line parallel to the sketch-plane line: a reference surface when the part has
// one there, else the distance between the two lines.
TEST_F(HoleBuild, ParallelDepthLineFindsTheBlocksFace) {
  YrlFeatInfo first;
  block(first);
  line_entity(6, {-50, 100, 0}, {-40, 100, 0});  // TOP: FRONT's plane
  line_entity(7, {-50, 90, 0}, {-40, 90, 0});    // TOP: 10 behind it, the block's back face
  line_entity(8, {-50, 88, 0}, {-40, 88, 0});    // TOP: 12 behind it, nothing there
  declare_view("TOP", 1, 0, 100, {5, 6, 7, 8});
  struct Case {
    int line;
    int has_first;
    int found;
    double depth;
  };
  const Case cases[] = {{7, 1, 1, 10}, {8, 1, 0, 12}, {7, 0, 0, 10}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line * 10 + c.has_first);
    YrlFeatInfo info;
    ASSERT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_EXTRUDE), 0);
    EXPECT_EQ(info.part.has_first_feature, 1);
    info.part.has_first_feature = c.has_first;
    profile(info, {1, 2, 3, 4});
    user("pick 77 6");
    ASSERT_EQ(YrlFeatInfoSketchPlaneSelect(&info), 0);
    user("pick 77 " + std::to_string(c.line));
    ASSERT_EQ(YrlFeatInfoExtentSelect(&info), 0);
    EXPECT_EQ(info.extent.parallel_ref, 1);
    EXPECT_EQ(info.extent.surface_found, c.found);
    EXPECT_NEAR(info.extent.depth, c.depth, 1e-9);
    if (c.found) {
      EXPECT_EQ(info.extent.reference.type, 5);
    }
    YrlFeatInfoEnd(&info);
  }
  YrlFeatInfoEnd(&first);
}


// The sketch rotation from a direction: folded angles; a dot product pushed past 1 by
// rounding (fault: acos gave NaN) counts as 1.
TEST(SketchRotation, FoldedAnglesAndRounding) {
  const double pi = 3.141592653589793;
  const double x[3] = {1, 0, 0};
  struct Case {
    double dir[3];
    double radians;
  };
  const Case cases[] = {
      {{1, 0, 0}, 0},
      {{0, 1, 0}, -pi / 2},
      {{-1, 0, 0}, 0},
      {{std::sqrt(0.5), std::sqrt(0.5), 0}, -pi / 4},
      {{1.0000000000000002, 0, 0}, 0},
      {{-1.0000000000000002, 0, 0}, 0},
  };
  for (const Case& c : cases) {
    double m[4][4];
    double r = YrlSketchRotationFromDirection(c.dir, x, m);
    EXPECT_FALSE(std::isnan(r));
    EXPECT_NEAR(r, c.radians, 1e-7) << c.dir[0] << " " << c.dir[1];
    EXPECT_NEAR(m[0][0], std::cos(r), 1e-12);
  }
}

// A section view's profile is sketched on the datum plane through its cutting line.
TEST_F(FeatureBuild, SectionViewPlaneThroughTheCuttingLine) {
  section_view(0, 0);
  YrlFeatInfo info;
  ASSERT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_EXTRUDE), 0);
  profile(info, {2});
  ASSERT_EQ(info.sketch.view_id, 10);
  EXPECT_EQ(YrlFeatInfoSketchReferencesGet(&info), -1);  // no plane there yet
  VynModelitem plane{};
  ASSERT_EQ(YrlUtilOffsetPlaneCreate(part, &info.part.front, 5, &plane), 0);
  ASSERT_EQ(YrlFeatInfoSketchReferencesGet(&info), 0);
  EXPECT_EQ(info.sketch.found_plane.id, plane.id);
  EXPECT_EQ(info.sketch.use_found_plane, 1);
  EXPECT_NEAR(info.sketch.rotation, -3.141592653589793 / 2, 1e-12);
  EXPECT_EQ(info.plane.ref_view_id, 1);
  YrlFeatInfoEnd(&info);
}


// The end face of a half turn about y lies in z = 0: a plane of the FRONT group.
// (The normal is compared within a tolerance; the kernel gives this one exactly.)
TEST_F(FeatureBuild, PlaneOrientationWithinATolerance) {
  rectangle(2, 0, 3, 4);
  line_entity(5, {0, 0, 0}, {0, 1, 0});
  line_entity(6, {200, 0, 0}, {200, 5, 0});
  declare_view("FRONT", 2, 0, 0, {1, 2, 3, 4, 5});
  declare_view("RIGHT", 3, 200, 0, {6});
  YrlFeatInfo info;
  ASSERT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_REVOLVE), 0);
  user("pick 77 5");
  ASSERT_EQ(YrlSketchRevAxisSelect(&info), 0);
  profile(info, {1, 2, 3, 4});
  info.sketch.found_plane = info.part.front;
  info.sketch.use_found_plane = 1;
  ASSERT_EQ(YrlFeatInfoSketchReferencesGet(&info), 0);
  info.extent = {YRL_DEPTH_BLIND, 0, 0, {}, 180, {}, 0};
  ASSERT_EQ(YrlFeatInfoFeatRegen(&info), 0);
  // The faces at the point (-2.5, 2, 0) on the end face in z = 0.
  const double point[3] = {-2.5, 2, 0};
  VynArray hits = nullptr;
  int n = 0;
  ASSERT_EQ(VynGeometryAtPointFind(part, point, &hits, &n), 0);
  int accepted = 0, planes = 0;
  for (int k = 0; k < n; ++k) {
    VynModelitem hit{};
    VynSelection sel = static_cast<VynSelection*>(hits)[k];
    if (VynSelectionModelitemGet(sel, &hit) == 0 && hit.type == 5) {
      ++planes;
      accepted += YrlSketchCheckSurfOrientation(&hit, 2, nullptr);
    }
    VynSelectionFree(&sel);
  }
  VynArrayFree(&hits);
  EXPECT_GE(planes, 1);
  EXPECT_EQ(accepted, 1);
  YrlFeatInfoEnd(&info);
}


// Records built from the drawing: a semicircle whose first axis points up runs from 90 to
// 270 degrees (fault: absolute angles summing to 2 pi made it a circle), lines keep their
// ends, and a full circle keeps its centre and radius.
TEST_F(FeatureBuild, RecordsFromDrawingEntities) {
  const double pi = 3.141592653589793;
  arc_entity(1, {0, 1, 0}, {5, 5, 0}, 0, pi, 2);
  line_entity(2, {5, 3, 0}, {5, 7, 0});
  arc_entity(3, {1, 0, 0}, {20, 5, 0}, 0, 2 * pi, 3);
  declare_view("FRONT", 2, 0, 0, {1, 2, 3});
  YrlFeatInfo info;
  ASSERT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_EXTRUDE), 0);
  profile(info, {1, 2, 3});
  const YrlSketchEntity* e = info.sketch.entities;
  EXPECT_NEAR(e[0].start_angle, pi / 2, 1e-12);
  EXPECT_NEAR(e[0].end_angle, 3 * pi / 2, 1e-12);
  EXPECT_EQ(IsYrlSketchEntityCircle(&e[0]), 0);
  EXPECT_NEAR(e[0].start[1], 7, 1e-12);
  EXPECT_NEAR(e[0].end[1], 3, 1e-12);
  EXPECT_EQ(e[1].curve_type, 2);
  EXPECT_EQ(e[1].entity_id, 2);
  EXPECT_EQ(IsYrlSketchEntityCircle(&e[2]), 1);
  EXPECT_NEAR(e[2].centre[0], 20, 1e-12);
  EXPECT_NEAR(e[2].radius, 3, 1e-12);
  // The semicircle and its diameter close; the circle is a loop of its own.
  EXPECT_EQ(info.sketch.valid, 1);
  EXPECT_EQ(info.sketch.loop_count, 1);
  YrlFeatInfoEnd(&info);
}


// The profile pick in the selection dialog: it opens on chain picks, so one pick of a
// rectangle's line takes the rectangle; a pick across two views is refused.
TEST_F(FeatureBuild, ProfilePickInTheSelectionDialog) {
  rectangle(0, 0, 10, 5);
  line_entity(5, {0, 100, 0}, {10, 100, 0});
  declare_view("FRONT", 2, 0, 0, {1, 2, 3, 4});
  declare_view("TOP", 1, 0, 100, {5});
  YrlFeatInfo info;
  ASSERT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_EXTRUDE), 0);
  user("press yrlselobj Add");
  user("pick 77 1");
  user("press yrlselobj Close");
  ASSERT_EQ(YrlSketchSelect(&info, &info.draw, &info.sketch), 0);
  EXPECT_EQ(info.sketch.count, 4);
  EXPECT_EQ(info.sketch.view_id, 2);
  EXPECT_STREQ(info.sketch.view_name, "FRONT");
  EXPECT_EQ(info.sketch.valid, 1);
  // The dialog starts with the current profile; a line of TOP added to it is refused.
  user("radio yrlselobj RadioSelType single");
  user("press yrlselobj Add");
  user("pick 77 5");
  user("press yrlselobj Close");
  EXPECT_EQ(YrlSketchSelect(&info, &info.draw, &info.sketch), -1);
  bool refused = false;
  for (const yrlhost::MessageRecord& m : yrlhost::message_log()) {
    refused |= m.values.size() == 1 &&
               m.values[0] == "Selected section profile entities are not from the same view. Reselect section profile.";
  }
  EXPECT_TRUE(refused);
  YrlFeatInfoEnd(&info);
}

// Plane normals compared with a view's normal within a tolerance: a computed normal that
// is 1e-15 off the axis (as rounding leaves one) still faces the view; an exact +-1
// comparison refused it. A tilted plane does not.
TEST_F(FeatureBuild, PlaneNormalsFaceTheViewWithinATolerance) {
  line_entity(1, {0, 0, 0}, {10, 0, 0});
  declare_view("FRONT", 2, 0, 0, {1});
  // Each plane's frame: e1, e2, and e3 = e1 x e2, its normal.
  struct Case {
    const char* frame;
    int accepted;
  } cases[] = {
      {"1 0 0 0 1 0 0 0 1", 1},
      {"0 1 0 1 0 0 0 0 -1", 1},
      {"1 0 -1e-15 0 1 0 1e-15 0 1", 1},
      {"1 0 0 0 1 1e-15 0 -1e-15 1", 1},
      {"0.6 0 -0.8 0 1 0 0.8 0 0.6", 0},
      {"0 1 0 0 0 1 1 0 0", 0},
  };
  for (const Case& c : cases) {
    std::vector<std::string> lines = {"yrlhost-model 1", "type part", "name SKEWED", "units INCH",
                                      "feature 1 923 0 1 DTM1",
                                      std::string("plane 2 0 0 5 ") + c.frame, "extdata 0", "end"};
    std::string error;
    VynMdl skewed = yrlhost::host_model_read(lines, "SKEWED.prt", error);
    ASSERT_NE(skewed, nullptr) << error;
    yrlhost::host_model_make_current(drawing);  // the views are the drawing's
    VynModelitem surface = surface_of(skewed, "DTM1");
    ASSERT_GE(surface.id, 1) << c.frame;
    EXPECT_EQ(YrlSketchCheckSurfOrientation(&surface, 2, nullptr), c.accepted) << c.frame;
    yrlhost::host_model_erase(skewed);
  }
}

// The feature's name: an empty name in the record is filled from the host (the default
// name, as the new feature has none of its own); a name the user gave is given to it.
TEST_F(FeatureBuild, FeatureNameFromTheHostOrGiven) {
  YrlFeatInfo info;
  ASSERT_NO_FATAL_FAILURE(build_block(info));
  ASSERT_EQ(info.name[0], 0);
  VynName host_name{};
  ASSERT_NE(VynModelitemNameGet(&info.feature, host_name), 0);
  ASSERT_EQ(YrlFeatInfoFeatNameUpdate(&info), 0);
  ASSERT_EQ(VynModelitemDefaultnameGet(&info.feature, host_name), 0);
  EXPECT_NE(info.name[0], 0);
  EXPECT_EQ(std::u16string(info.name), std::u16string(host_name));
  const std::u16string given = u"BLOCK_A";
  std::copy(given.begin(), given.end(), info.name);
  info.name[given.size()] = 0;
  ASSERT_EQ(YrlFeatInfoFeatNameUpdate(&info), 0);
  ASSERT_EQ(VynModelitemNameGet(&info.feature, host_name), 0);
  EXPECT_EQ(std::u16string(host_name), given);
  YrlFeatInfoEnd(&info);
}

// The sketched-datum preview: nothing without a sketch plane or with an invalid profile;
// built once, later calls leave it; deleted it leaves the part as it was.
TEST_F(FeatureBuild, SketchedDatumPreviewIsBuiltOnce) {
  rectangle(0, 0, 10, 5);
  declare_view("FRONT", 2, 0, 0, {1, 2, 3, 4});
  YrlFeatInfo info;
  ASSERT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_DATUM_CURVE), 0);
  profile(info, {1, 2, 3, 4});
  ASSERT_EQ(YrlFeatInfoSketchReferencesGet(&info), 0);
  const size_t before = feature_count();
  EXPECT_EQ(YrlSketchedDatumPreviewFeatCreate(&info), 0);  // no sketch plane yet
  EXPECT_LT(info.preview.id, 1);
  ASSERT_EQ(YrlFeatInfoSketchPlaneAutoSelect(&info), 0);
  info.sketch.valid = 0;
  EXPECT_EQ(YrlSketchedDatumPreviewFeatCreate(&info), 0);  // an invalid profile
  EXPECT_LT(info.preview.id, 1);
  info.sketch.valid = 1;
  ASSERT_EQ(YrlSketchedDatumPreviewFeatCreate(&info), 0);
  const int preview = info.preview.id;
  EXPECT_GE(preview, 1);
  EXPECT_EQ(feature_count(), before + 1);
  EXPECT_EQ(YrlSketchedDatumPreviewFeatCreate(&info), 0);
  EXPECT_EQ(info.preview.id, preview);
  EXPECT_EQ(feature_count(), before + 1);
  YrlSketchedDatumPreviewFeatDelete(&info);
  EXPECT_LT(info.preview.id, 1);
  EXPECT_EQ(feature_count(), before);
  YrlFeatInfoEnd(&info);
}

// The surface under an inclined depth line: the block's bottom face lies where the
// profile's first line meets the line's depth (12.5); a line beyond the block (32.5 and
// more) finds nothing.
TEST_F(FeatureBuild, InclinedDepthLineFindsTheFaceAtItsDepth) {
  YrlFeatInfo info;
  ASSERT_NO_FATAL_FAILURE(build_block(info));
  const double p[3] = {0, 0, 0};
  struct Case {
    double a[3], b[3];
    int status, found;
  } cases[] = {
      {{0, 10, 0}, {20, 20, 0}, 0, 1},
      {{0, 30, 0}, {20, 40, 0}, -1, 0},
  };
  for (const Case& c : cases) {
    VynModelitem item{};
    int found = -1;
    EXPECT_EQ(YrlSketchIncSurfFindForPoint(&info, 2, p, c.a, c.b, &item, &found), c.status) << c.a[1];
    EXPECT_EQ(found, c.found) << c.a[1];
    if (!c.found) continue;
    ASSERT_EQ(item.type, 5);
    VynGeomitemdata* data = nullptr;
    ASSERT_EQ(VynGeomitemdataGet(&item, &data), 0);
    const double* n = data->data.p_surface_data->shape.plane.e3;
    EXPECT_NEAR(std::fabs(n[1]), 1, 1e-9);  // the face in y = 0
    VynGeomitemdataFree(&data);
  }
  YrlFeatInfoEnd(&info);
}

// The same search on the block drawn at the drawing's scale: at 1, and at 2 with the
// block drawn twice its size. The depth line falls from 28 to 12 across the 20 of the
// sketch-plane line's run: at the middle of FRONT's bottom edge (x 5) it stands 24 deep,
// on the block's bottom face. Fault: the profile's points, already in the sheet's frame,
// were carried by the view's transform a second time: at 2 the edge's middle was read
// at x 2.5, 26 deep, beyond the block, and no face was found.
TEST_F(FeatureBuild, InclinedDepthLineFindsTheFaceAtADrawingScale) {
  for (double scale : {1.0, 2.0}) {
    SCOPED_TRACE(scale);
    ASSERT_EQ(YrlViewDoubleSave("YRL_DWGSCALE", scale), 0);
    rectangle(0, 0, 10 * scale, 5 * scale);
    line_entity(5, {0, 100 * scale, 0}, {10 * scale, 100 * scale, 0});
    line_entity(6, {20 * scale, 100 * scale, 0}, {20 * scale, 125 * scale, 0});
    declare_view("FRONT", 2, 0, 0, {1, 2, 3, 4});
    declare_view("TOP", 1, 0, 100 * scale, {5, 6});
    YrlFeatInfo info;
    ASSERT_NO_FATAL_FAILURE(build_from_front(info));
    const double lo[3] = {0, 0, 0}, hi[3] = {10, 5, 25};
    expect_solid(1250, 6, lo, hi);
    const double p[3] = {0, 0, 0}, a[3] = {0, 28, 0}, b[3] = {20, 12, 0};
    VynModelitem item{};
    int found = -1;
    EXPECT_EQ(YrlSketchIncSurfFindForPoint(&info, 2, p, a, b, &item, &found), 0);
    EXPECT_EQ(found, 1);
    if (found == 1) {
      ASSERT_EQ(item.type, 5);
      VynGeomitemdata* data = nullptr;
      ASSERT_EQ(VynGeomitemdataGet(&item, &data), 0);
      EXPECT_NEAR(std::fabs(data->data.p_surface_data->shape.plane.e3[1]), 1, 1e-9);  // the face in y = 0
      VynGeomitemdataFree(&data);
    }
    YrlFeatInfoIncompleteFeatureDelete(&info);  // an empty part for the next scale
    YrlFeatInfoEnd(&info);
  }
}

// The view-info record of a section view names its cutting line as a model item; another
// view id, or one without a record, gives -1.
TEST_F(FeatureBuild, ViewInfoOfASectionView) {
  section_view(40, 2);
  YrlViewInfo view{};
  ASSERT_EQ(YrlViewInfoFill(drawing, 10, &view), 0);
  EXPECT_EQ(view.view_id, 10);
  EXPECT_EQ(view.kind, 2);
  EXPECT_STREQ(view.name, "A-A");
  EXPECT_EQ(view.ref_point[0], 40);
  EXPECT_EQ(view.cut_plane.id, 1);
  EXPECT_EQ(view.cut_plane.type, 77);
  EXPECT_EQ(view.cut_plane.owner, drawing);
  EXPECT_EQ(view.vpr.id, 0);
  EXPECT_EQ(view.rotation_matrix[0][0], 1);
  EXPECT_EQ(YrlViewInfoFill(drawing, 11, &view), -1);
  EXPECT_EQ(YrlViewInfoFill(drawing, 10, nullptr), 0);
}

// Points of a turned view are turned back about the pivot; an orthographic view's stay.
TEST_F(FeatureBuild, AuxPointDeRotate) {
  section_view(40, 2);
  YrlViewInfo view{};
  ASSERT_EQ(YrlViewInfoFill(drawing, 10, &view), 0);
  const double across[3] = {0, 1, 0}, axis[3] = {1, 0, 0};
  YrlSketchRotationFromDirection(across, axis, view.rotation_matrix);  // -90 degrees
  const double pivot[3] = {1, 1, 0};
  struct Case {
    int view_id;
    double in[3], out[3];
  } cases[] = {
      {10, {3, 1, 0}, {1, -1, 0}},  // a quarter turn clockwise about (1, 1)
      {10, {1, 1, 7}, {1, 1, 7}},   // the pivot stays; z is not touched
      {1, {3, 1, 0}, {3, 1, 0}},    // TOP is not turned
  };
  for (const Case& c : cases) {
    double p[3] = {c.in[0], c.in[1], c.in[2]};
    ASSERT_EQ(YrlSketchAuxPointDeRotate(&view, c.view_id, nullptr, pivot, p), 0);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(p[k], c.out[k], 1e-12) << c.view_id << " " << k;
  }
  double p[3] = {0, 0, 0};
  EXPECT_EQ(YrlSketchAuxPointDeRotate(nullptr, 10, nullptr, pivot, p), VYN_TK_BAD_INPUTS);
}

// A revolve's sketch plane from a circle in TOP: the line across the circle's centre,
// at right angles to the way from FRONT to TOP. Through TOP's point it is FRONT's own
// plane; 3 off it a datum plane is made. Other features refuse the circle.
TEST_F(FeatureBuild, RevolvePlaneFromACircle) {
  const double pi = 3.141592653589793;
  rectangle(2, 0, 3, 4);
  line_entity(5, {0, 0, 0}, {0, 1, 0});
  arc_entity(6, {1, 0, 0}, {0, 100, 0}, 0, 2 * pi, 3);
  arc_entity(7, {1, 0, 0}, {0, 97, 0}, 0, 2 * pi, 3);
  declare_view("FRONT", 2, 0, 0, {1, 2, 3, 4, 5});
  declare_view("TOP", 1, 0, 100, {6, 7});
  struct Case {
    int circle;
    double offset;
    bool created;
  } cases[] = {{6, 0, false}, {7, 3, true}};
  for (const Case& c : cases) {
    YrlFeatInfo info;
    ASSERT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_REVOLVE), 0);
    user("pick 77 5");
    ASSERT_EQ(YrlSketchRevAxisSelect(&info), 0);
    profile(info, {1, 2, 3, 4});
    user("pick 77 " + std::to_string(c.circle));
    ASSERT_EQ(YrlFeatInfoSketchPlaneSelect(&info), 0) << c.circle << yrlhost::message_log_text();
    EXPECT_NEAR(info.sketch.offset, c.offset, 1e-9) << c.circle;
    EXPECT_EQ(info.plane.ref_view_id, 1);
    EXPECT_EQ(info.plane.line_item.id, c.circle);
    if (c.created) {
      EXPECT_GE(info.sketch.created_plane.id, 1);
      EXPECT_EQ(info.sketch.use_found_plane, 0);
    } else {
      EXPECT_EQ(info.sketch.found_plane.id, info.part.front.id);
      EXPECT_EQ(info.sketch.created_plane.id, 0);
    }
    YrlFeatInfoIncompleteFeatureDelete(&info);
    YrlFeatInfoEnd(&info);
  }
  YrlFeatInfo info;
  ASSERT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_EXTRUDE), 0);
  profile(info, {1, 2, 3, 4});
  for (int i = 0; i < 3; ++i) user("pick 77 6");
  EXPECT_EQ(YrlFeatInfoSketchPlaneSelect(&info), -1);
  EXPECT_EQ(message_count("Arc or Entity is allowed only for Revolve feature"), 3);
  EXPECT_EQ(info.sketch.created_plane.id, 0);
  YrlFeatInfoEnd(&info);
}

// The automatic sketch plane of a section profile: its cutting line stands for the pick.
// Without a plane there, one is made off FRONT on the cutting line's side (5 towards +z);
// with it there, it is found. Either way the sketch turns by -90 degrees.
TEST_F(FeatureBuild, SectionProfileAutomaticPlane) {
  section_view(0, 0);
  YrlFeatInfo info;
  ASSERT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_EXTRUDE), 0);
  profile(info, {2});
  ASSERT_EQ(YrlFeatInfoSketchPlaneAutoSelect(&info), 0);
  ASSERT_GE(info.sketch.created_plane.id, 1);
  EXPECT_EQ(info.sketch.use_found_plane, 0);
  EXPECT_NEAR(info.sketch.offset, 5, 1e-9);
  EXPECT_EQ(info.plane.ref_view_id, 1);
  EXPECT_EQ(info.plane.line_item.id, 1);
  EXPECT_NEAR(info.sketch.rotation, -3.141592653589793 / 2, 1e-12);
  const VynModelitem created = info.sketch.created_plane;
  // The plane made is the one a second run finds through the cutting line.
  YrlFeatInfo again;
  ASSERT_EQ(YrlFeatInfoBegin(&again, YRL_FEAT_EXTRUDE), 0);
  profile(again, {2});
  ASSERT_EQ(YrlFeatInfoSketchPlaneAutoSelect(&again), 0);
  EXPECT_EQ(again.sketch.use_found_plane, 1);
  EXPECT_EQ(again.sketch.found_plane.id, created.id);
  EXPECT_EQ(again.sketch.created_plane.id, 0);
  EXPECT_NEAR(again.sketch.rotation, -3.141592653589793 / 2, 1e-12);
  YrlFeatInfoEnd(&again);
  YrlFeatInfoEnd(&info);
}

// A run of feature type 0 runs as an extrude: a protrusion, the extrude's wizard, and a
// build that makes an extrusion of the profile.
TEST_F(FeatureBuild, TypeZeroRunsAsAnExtrude) {
  YrlFeatInfo info;
  ASSERT_NO_FATAL_FAILURE(profile_and_plane(info, 0));
  EXPECT_EQ(info.type, YRL_FEAT_EXTRUDE);
  EXPECT_EQ(info.sub_type, YRL_FEAT_PROTRUSION);
  YrlExtDlgInfo dlg{};
  dlg.info = &info;
  ASSERT_EQ(YrlExtDlgFeatElemCompsSet(&dlg), 0);
  EXPECT_STREQ(dlg.title, "Extrude Feature");
  info.extent.depth_type = YRL_DEPTH_BLIND;
  info.extent.depth = 4;
  ASSERT_EQ(YrlFeatInfoFeatRegen(&info), 0);
  const double lo[3] = {0, 0, 0}, hi[3] = {10, 5, 4};
  expect_solid(200, 6, lo, hi);
  YrlFeatInfoEnd(&info);
}

// A section view's profile is built on the plane through its cutting line, drawn as that
// plane's own default view draws it, and where the view puts it: the view's reference
// point (its view-reference point when it has one) stands for the end of the cutting
// line that the view draws first, in the cutting view's reference plane. Rows: a cutting
// line along x in TOP (the plane z = 5 reads as FRONT), the same drawn the other way
// round (z = 10), a view-reference line's end picked at (45, 0), a line along z in TOP (x
// = 3, reads as RIGHT) and one along x in FRONT (y = 5, reads as TOP). A half disc shows
// arcs take the view's turn too: an arc left unturned would not meet its turned diameter
// and the section would not solve.
TEST_F(FeatureBuild, SectionViewProfileBuildsWhereItsCuttingLineIs) {
  const double pi = 3.141592653589793;
  struct Case {
    const char* name;
    int cut;
    bool half_disc;
    int vpr;
    double volume;
    int faces;
    double lo[3], hi[3];
  } cases[] = {
      {"along x in TOP", 1, false, 0, 500, 6, {0, 0, 5}, {10, 5, 15}},
      {"half disc", 1, true, 0, 25 * pi / 2 * 10, 4, {0, 0, 5}, {10, 5, 15}},
      {"drawn the other way", 10, false, 0, 500, 6, {0, 0, 10}, {10, 5, 20}},
      {"view-reference point", 1, false, 9, 500, 6, {5, 0, 5}, {15, 5, 15}},
      {"along z in TOP", 7, false, 0, 500, 6, {3, 0, 5}, {13, 5, 15}},
      {"along x in FRONT", 8, false, 0, 500, 6, {0, 5, -5}, {10, 15, 0}},
  };
  section_view(0, 0);
  for (int id = 3; id <= 6; ++id) line_entity(id, {50, 0, 0}, {60, 0, 0});  // the profile: drawn by each row
  line_entity(7, {3, 95, 0}, {3, 85, 0});
  line_entity(8, {0, 5, 0}, {10, 5, 0});
  line_entity(9, {45, 0, 0}, {45, 5, 0});
  line_entity(10, {10, 90, 0}, {0, 90, 0});
  declare_view("TOP", 1, 0, 100, {1, 7, 10});
  declare_view("FRONT", 2, 0, 0, {8});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<int> ids;
    if (c.half_disc) {
      line_entity(3, {50, 0, 0}, {60, 0, 0});
      arc_entity(4, {1, 0, 0}, {55, 0, 0}, 0, pi, 5);
      ids = {3, 4};
    } else {
      line_entity(3, {50, 0, 0}, {60, 0, 0});
      line_entity(4, {60, 0, 0}, {60, 5, 0});
      line_entity(5, {60, 5, 0}, {50, 5, 0});
      line_entity(6, {50, 5, 0}, {50, 0, 0});
      ids = {3, 4, 5, 6};
    }
    std::vector<int> members = ids;
    members.push_back(2);
    if (c.vpr > 0) members.push_back(c.vpr);
    declare_view("A-A", 10, 50, 0, members, 2, c.cut);
    if (c.vpr > 0) {  // its end (45, 0) picked
      YrlViewData view{};
      ASSERT_EQ(YrlViewDataRead("A-A", &view), 0);
      view.vpr_id = c.vpr;
      view.vpr_point[0] = 45;
      ASSERT_EQ(YrlViewDataWrite("A-A", view), 0);
    }
    expect_blind_from_auto_plane(ids, 10, c.volume, c.faces, c.lo, c.hi);
  }
}

// An auxiliary view's sketch plane: the wedge's sloping face, which the view's cutting
// line (line 3 of FRONT) shows edge-on, found at the depth of the view-reference line
// (z = 10) or, without one, at z = 0 where the line meets the face's edge. The view's
// turn is the cutting line's angle to x, folded: atan(1/2). A cutting line beside the
// part finds nothing.
TEST_F(FeatureBuild, AuxiliaryViewPlaneIsTheFaceItsCuttingLineShows) {
  wedge_drawn();
  line_entity(7, {0, 90, 0}, {10, 90, 0});  // TOP: z = 10
  line_entity(8, {200, 0, 0}, {210, 0, 0});
  line_entity(9, {30, 0, 0}, {40, 10, 0});  // FRONT: beside the part
  declare_view("FRONT", 2, 0, 0, {1, 2, 3, 4, 9});
  declare_view("TOP", 1, 0, 100, {5, 6, 7});
  YrlFeatInfo wedge;
  ASSERT_NO_FATAL_FAILURE(build_from_front(wedge));
  const double lo[3] = {0, 0, 0}, hi[3] = {10, 10, 20};
  expect_solid(75 * 20, 6, lo, hi);
  YrlFeatInfoEnd(&wedge);

  struct Case {
    int cut, vpr;
    int status;
  } cases[] = {{3, 7, 0}, {3, 0, 0}, {9, 7, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cut * 10 + c.vpr);
    YrlViewData view = {};
    view.view_type = 3;
    view.group_id = 11;
    std::strcpy(view.view_name, "AUX-1");
    view.scale = 1.0;
    view.cut_plane_id = c.cut;
    view.vpr_id = c.vpr;
    view.ref_point[0] = 200;
    ASSERT_EQ(YrlViewDataWrite("AUX-1", view), 0);
    ASSERT_EQ(YrlViewSetupEntityAdd("AUX-1", 8), 0);
    const int refusals = message_count("YRL_AUX_SEC_VIEW_NO_SRF_EDGE");
    YrlFeatInfo info;
    ASSERT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_EXTRUDE), 0);
    profile(info, {8});
    ASSERT_EQ(info.sketch.view_id, 11);
    EXPECT_EQ(YrlSketchPlaneforAuxViewGet(&info), c.status);
    EXPECT_EQ(message_count("YRL_AUX_SEC_VIEW_NO_SRF_EDGE") - refusals, c.status != 0 ? 1 : 0);
    if (c.status == 0) {
      EXPECT_EQ(info.sketch.use_found_plane, 1);
      EXPECT_EQ(info.plane.ref_view_id, 2);
      ASSERT_EQ(info.sketch.found_plane.type, 5);
      VynGeomitemdata* data = nullptr;
      ASSERT_EQ(VynGeomitemdataGet(&info.sketch.found_plane, &data), 0);
      const double* n = data->data.p_surface_data->shape.plane.e3;
      const double root5 = std::sqrt(5.0);
      EXPECT_NEAR(std::fabs(n[0]), 1 / root5, 1e-9);
      EXPECT_NEAR(std::fabs(n[1]), 2 / root5, 1e-9);
      EXPECT_NEAR(n[2], 0, 1e-9);
      VynGeomitemdataFree(&data);
      EXPECT_NEAR(info.sketch.rotation, std::atan(0.5), 1e-12);
      // The feature's sketch references take the same way.
      info.sketch.found_plane = VynModelitem{};
      EXPECT_EQ(YrlFeatInfoSketchReferencesGet(&info), 0);
      EXPECT_EQ(info.sketch.found_plane.type, 5);
    }
    YrlFeatInfoEnd(&info);
  }
}

// Where an auxiliary view's profile stands on the face it shows: its view-reference line
// is the face's edge at z = 0 from its picked end, which stands for the end of the
// cutting line, (10, 5) or (0, 10), that keeps the view unmirrored seen from outside
// the face; the view's content runs along z into the part. Drawn upright or turned a
// quarter, the boss stands 5 up the edge from (10, 5); picked at the other end, or drawn
// upside down, 5 down it from (0, 10); 3 along z, its top 2 out from the face. A half
// disc shows the arcs carried the same way. Fault: the profile was placed from the
// face's own origin and stood beside the wedge, a second solid.
TEST_F(FeatureBuild, AuxiliaryViewProfileStandsWhereItsViewPutsIt) {
  const double pi = 3.141592653589793, root5 = std::sqrt(5.0);
  ASSERT_NO_FATAL_FAILURE(wedge_built());

  const double up[3] = {-2 / root5, 1 / root5, 0}, out[3] = {1 / root5, 2 / root5, 0};
  struct Case {
    const char* name;
    double vpr[2][2];  // the picked end first
    double rect[2][2];  // opposite corners of the profile (a half disc on the first two
    bool half_disc;     // corners' line, bulging away from the view-reference line)
    double anchor[2];   // the cutting line's end the picked end stands for
  } cases[] = {
      {"upright", {{200, 0}, {210, 0}}, {{203, 2}, {207, 4}}, false, {10, 5}},
      {"other end picked", {{210, 0}, {200, 0}}, {{203, 2}, {207, 4}}, false, {0, 10}},
      {"turned a quarter", {{200, 0}, {200, 10}}, {{198, 3}, {196, 7}}, false, {10, 5}},
      {"upside down", {{200, 0}, {210, 0}}, {{203, -2}, {207, -4}}, false, {0, 10}},
      {"half disc upside down", {{200, 0}, {210, 0}}, {{203, -2}, {207, -2}}, true, {0, 10}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const double x0 = c.rect[0][0], y0 = c.rect[0][1], x1 = c.rect[1][0], y1 = c.rect[1][1];
    line_entity(20, {c.vpr[0][0], c.vpr[0][1], 0}, {c.vpr[1][0], c.vpr[1][1], 0});
    std::vector<int> ids;
    if (c.half_disc) {
      line_entity(21, {x0, y0, 0}, {x1, y0, 0});
      arc_entity(22, {1, 0, 0}, {(x0 + x1) / 2, y0, 0}, pi, pi, (x1 - x0) / 2);
      ids = {21, 22};
    } else {
      line_entity(21, {x0, y0, 0}, {x1, y0, 0});
      line_entity(22, {x1, y0, 0}, {x1, y1, 0});
      line_entity(23, {x1, y1, 0}, {x0, y1, 0});
      line_entity(24, {x0, y1, 0}, {x0, y0, 0});
      ids = {21, 22, 23, 24};
    }
    const double bx[3] = {c.vpr[0][0], c.vpr[1][0], x0}, by[3] = {c.vpr[0][1], c.vpr[1][1], y0};
    const double bounds[6] = {std::min({bx[0], bx[1], bx[2], x1}) - 10, std::min({by[0], by[1], by[2], y1}) - 10, 0,
                              std::max({bx[0], bx[1], bx[2], x1}) + 10, std::max({by[0], by[1], by[2], y1}) + 10, 0};
    ASSERT_NO_FATAL_FAILURE(aux_view_declare(3, c.vpr[0], bounds, ids));
    YrlFeatInfo info;
    ASSERT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_EXTRUDE), 0);
    profile(info, ids);
    ASSERT_EQ(info.sketch.valid, 1);
    ASSERT_EQ(YrlFeatInfoSketchReferencesGet(&info), 0);
    info.extent = {YRL_DEPTH_BLIND, 0, 0, {}, 2, {}, 0};
    ASSERT_EQ(YrlFeatInfoFeatRegen(&info), 0);
    const double area = c.half_disc ? pi * 2 * 2 / 2 : 4 * 2;
    const yrlhost::geom::SolidSummary s = solid();
    EXPECT_NEAR(s.volume, 75 * 20 + area * 2, 1e-6);
    EXPECT_EQ(s.solids, 1);
    if (!c.half_disc) {
      // The boss's top: the one face 2 out from the slope, its middle over the centre.
      const std::vector<yrlhost::geom::Vec3> tops = plane_face_middles([&](const yrlhost::geom::FaceInfo& f) {
        return std::fabs(f.normal[0] - out[0]) <= 1e-9 && std::fabs(f.normal[1] - out[1]) <= 1e-9 &&
               std::fabs((f.origin[0] - 10) * out[0] + (f.origin[1] - 5) * out[1] - 2) <= 1e-9;
      });
      ASSERT_EQ(tops.size(), 1u);
      const double sign = c.anchor[0] == 10 ? 1 : -1;  // up the slope from (10, 5)
      const double want[3] = {c.anchor[0] + sign * 5 * up[0] + 2 * out[0], c.anchor[1] + sign * 5 * up[1] + 2 * out[1], 3};
      for (int k = 0; k < 3; ++k) EXPECT_NEAR(tops[0][k], want[k], 1e-9) << k;
    }
    YrlFeatInfoIncompleteFeatureDelete(&info);  // the wedge alone for the next case
    YrlFeatInfoEnd(&info);
  }
}

// An auxiliary view of the wedge's bottom face, which its cutting line (line 1 of FRONT)
// shows: the face's sketch frame is TOP's, facing up into the part while the face looks
// down, so the view's points reach the section mirrored. A rectangle and a quarter disc
// cut 2 deep stand where the view puts them (the rectangle's pocket floor centred at
// x 5, z 3), the quarter disc's arc turned the other way round to meet its radii.
TEST_F(FeatureBuild, AuxiliaryViewOfAFaceFramedFromInsideCutsWhereItsViewPutsIt) {
  const double pi = 3.141592653589793;
  ASSERT_NO_FATAL_FAILURE(wedge_built());
  line_entity(20, {200, 0, 0}, {210, 0, 0});
  for (bool quarter_disc : {false, true}) {
    SCOPED_TRACE(quarter_disc ? "quarter disc" : "rectangle");
    std::vector<int> ids;
    line_entity(21, {203, 2, 0}, {207, 2, 0});
    if (quarter_disc) {
      arc_entity(22, {1, 0, 0}, {203, 2, 0}, 0, pi / 2, 4);
      line_entity(23, {203, 6, 0}, {203, 2, 0});
      ids = {21, 22, 23};
    } else {
      line_entity(22, {207, 2, 0}, {207, 4, 0});
      line_entity(23, {207, 4, 0}, {203, 4, 0});
      line_entity(24, {203, 4, 0}, {203, 2, 0});
      ids = {21, 22, 23, 24};
    }
    const double vpr[2] = {200, 0}, bounds[6] = {190, -10, 0, 220, 14, 0};
    ASSERT_NO_FATAL_FAILURE(aux_view_declare(1, vpr, bounds, ids));
    YrlFeatInfo info;
    ASSERT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_EXTRUDE), 0);
    info.sub_type = YRL_FEAT_CUT;
    profile(info, ids);
    ASSERT_EQ(info.sketch.valid, 1);
    ASSERT_EQ(YrlFeatInfoSketchReferencesGet(&info), 0);
    info.extent = {YRL_DEPTH_BLIND, 0, 0, {}, 2, {}, 0};
    ASSERT_EQ(YrlFeatInfoFeatRegen(&info), 0);
    const double area = quarter_disc ? pi * 4 * 4 / 4 : 4 * 2;
    const yrlhost::geom::SolidSummary s = solid();
    EXPECT_NEAR(s.volume, 75 * 20 - area * 2, 1e-6);
    EXPECT_EQ(s.solids, 1);
    if (!quarter_disc) {
      const std::vector<yrlhost::geom::Vec3> floors =
          plane_face_middles([](const yrlhost::geom::FaceInfo& f) { return std::fabs(f.origin[1] - 2) <= 1e-9; });
      ASSERT_EQ(floors.size(), 1u);
      EXPECT_NEAR(floors[0][0], 5, 1e-9);
      EXPECT_NEAR(floors[0][2], 3, 1e-9);
    }
    YrlFeatInfoIncompleteFeatureDelete(&info);  // the wedge alone for the next case
    YrlFeatInfoEnd(&info);
  }
}

// The drawing-to-model transform of each kind of view at its own scale. The sheet
// transform carries the drawing scale, at which the orthographic views are drawn; a
// section, auxiliary or detail view drawn at a scale of its own is read at it on top of
// that, and an orthographic view's record does not scale it again. A scale that is not
// positive or not finite reads as 1, the sheet's. Fault: only a detail view was read at
// its scale, so a section or auxiliary view drawn at 2:1 made parts twice their size; a
// negative detail scale divided, and one that is not a number made every point NaN.
TEST_F(FeatureBuild, DrawingToModelTransformOfAViewAtItsOwnScale) {
  const double nan = std::nan("");
  struct Case {
    const char* name;
    int type;
    double drawing_scale, view_scale;
    double diagonal, scale;
  } cases[] = {
      {"orthographic", 1, 1, 2, 1, 2},
      {"orthographic on a drawing at 2", 1, 2, 2, 0.5, 2},
      {"section at 1", 2, 1, 1, 1, 1},
      {"section at 2", 2, 1, 2, 0.5, 2},
      {"section at 2 on a drawing at 2", 2, 2, 2, 0.25, 2},
      {"auxiliary at 2", 3, 1, 2, 0.5, 2},
      {"auxiliary at 0.5", 3, 1, 0.5, 2, 0.5},
      {"detail at 2", 4, 1, 2, 0.5, 2},
      {"section at 0", 2, 1, 0, 1, 1},
      {"detail at -2", 4, 1, -2, 1, 1},
      {"auxiliary at NaN", 3, 1, nan, 1, 1},
      {"detail at infinity", 4, 2, HUGE_VAL, 0.5, 1},
  };
  line_entity(1, {0, 0, 0}, {10, 0, 0});
  declare_view("FRONT", 2, 0, 0, {1});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(YrlViewDoubleSave("YRL_DWGSCALE", c.drawing_scale), 0);
    YrlViewData view = {};
    view.view_type = c.type;
    view.group_id = 10;
    std::strcpy(view.view_name, "V");
    view.scale = c.view_scale;
    ASSERT_EQ(YrlViewDataWrite("V", view), 0);
    YrlDrawInfo draw{};
    ASSERT_EQ(YrlDrawInfoFill(&draw), 0);
    double trf[4][4], scale = -7;
    ASSERT_EQ(YrlGetDrwToMdlTrfForView(&draw, 10, trf, &scale), 0);
    EXPECT_EQ(scale, c.scale);
    for (int k = 0; k < 3; ++k) EXPECT_DOUBLE_EQ(trf[k][k], c.diagonal) << k;
    EXPECT_EQ(trf[0][1], 0);
    EXPECT_EQ(trf[3][0], 0);
  }
}

// A section view drawn at 2:1 (its scale 2 in View Setup) builds the part the same view
// drawn at 1:1 builds: a block of 10 by 5 standing 10 deep where the cutting line is, or
// a half disc of radius 5, its arc's radius read at the view's scale too. The profile is
// drawn from the view's reference point (50, 0) at the scale. Fault: the 2:1 section made
// a block of 20 by 10.
TEST_F(FeatureBuild, SectionViewAtItsOwnScaleBuildsTheSamePart) {
  const double pi = 3.141592653589793;
  section_view(0, 0);
  for (double scale : {1.0, 2.0}) {
    for (bool half_disc : {false, true}) {
      SCOPED_TRACE(std::to_string(scale) + (half_disc ? " half disc" : " rectangle"));
      const double x1 = 50 + 10 * scale, y1 = 5 * scale;
      std::vector<int> ids;
      if (half_disc) {
        line_entity(3, {50, 0, 0}, {x1, 0, 0});
        arc_entity(4, {1, 0, 0}, {50 + 5 * scale, 0, 0}, 0, pi, 5 * scale);
        ids = {3, 4};
      } else {
        line_entity(3, {50, 0, 0}, {x1, 0, 0});
        line_entity(4, {x1, 0, 0}, {x1, y1, 0});
        line_entity(5, {x1, y1, 0}, {50, y1, 0});
        line_entity(6, {50, y1, 0}, {50, 0, 0});
        ids = {3, 4, 5, 6};
      }
      std::vector<int> members = ids;
      members.push_back(2);
      declare_view("A-A", 10, 50, 0, members, 2, 1);
      YrlViewData view{};
      ASSERT_EQ(YrlViewDataRead("A-A", &view), 0);
      view.scale = scale;
      ASSERT_EQ(YrlViewDataWrite("A-A", view), 0);
      const double lo[3] = {0, 0, 5}, hi[3] = {10, 5, 15};
      if (half_disc) expect_blind_from_auto_plane(ids, 10, 25 * pi / 2 * 10, 4, lo, hi);
      else expect_blind_from_auto_plane(ids, 10, 500, 6, lo, hi);
    }
  }
}

// An auxiliary view of the wedge's sloping face drawn at 2:1 stands the boss where the
// same view at 1:1 does: 4 by 2 (or a half disc of radius 2), 5 up the face's edge from
// (10, 5), 3 along z, 2 out. The view is drawn about the picked end (200, 0) of its
// view-reference line at the scale. Fault: at 2:1 the boss was 8 by 4 and stood 10 up.
TEST_F(FeatureBuild, AuxiliaryViewAtItsOwnScaleBuildsTheSamePart) {
  const double pi = 3.141592653589793, root5 = std::sqrt(5.0);
  ASSERT_NO_FATAL_FAILURE(wedge_built());
  const double up[3] = {-2 / root5, 1 / root5, 0}, out[3] = {1 / root5, 2 / root5, 0};
  for (double scale : {1.0, 2.0}) {
    for (bool half_disc : {false, true}) {
      SCOPED_TRACE(std::to_string(scale) + (half_disc ? " half disc" : " rectangle"));
      auto at = [scale](double x, double y) { return std::vector<double>{200 + (x - 200) * scale, y * scale, 0}; };
      auto line = [&](int id, double x0, double y0, double x1, double y1) {
        const std::vector<double> a = at(x0, y0), b = at(x1, y1);
        line_entity(id, {a[0], a[1], 0}, {b[0], b[1], 0});
      };
      line(20, 200, 0, 210, 0);
      std::vector<int> ids;
      if (half_disc) {
        line(21, 203, 2, 207, 2);
        const std::vector<double> c = at(205, 2);
        arc_entity(22, {1, 0, 0}, {c[0], c[1], 0}, 0, pi, 2 * scale);
        ids = {21, 22};
      } else {
        line(21, 203, 2, 207, 2);
        line(22, 207, 2, 207, 4);
        line(23, 207, 4, 203, 4);
        line(24, 203, 4, 203, 2);
        ids = {21, 22, 23, 24};
      }
      const double vpr[2] = {200, 0};
      const std::vector<double> lo = at(190, -10), hi = at(220, 14);
      const double bounds[6] = {lo[0], lo[1], 0, hi[0], hi[1], 0};
      ASSERT_NO_FATAL_FAILURE(aux_view_declare(3, vpr, bounds, ids));
      YrlViewData view{};
      ASSERT_EQ(YrlViewDataRead("AUX-1", &view), 0);
      view.scale = scale;
      ASSERT_EQ(YrlViewDataWrite("AUX-1", view), 0);
      YrlFeatInfo info;
      ASSERT_EQ(YrlFeatInfoBegin(&info, YRL_FEAT_EXTRUDE), 0);
      profile(info, ids);
      ASSERT_EQ(info.sketch.valid, 1);
      ASSERT_EQ(YrlFeatInfoSketchReferencesGet(&info), 0);
      info.extent = {YRL_DEPTH_BLIND, 0, 0, {}, 2, {}, 0};
      ASSERT_EQ(YrlFeatInfoFeatRegen(&info), 0);
      const double area = half_disc ? pi * 2 * 2 / 2 : 4 * 2;
      const yrlhost::geom::SolidSummary s = solid();
      EXPECT_NEAR(s.volume, 75 * 20 + area * 2, 1e-6);
      EXPECT_EQ(s.solids, 1);
      // The boss's top: the one face 2 out from the slope, its middle over the centre
      // (for the half disc, the middle of its parameter range: the middle of its line).
      const std::vector<yrlhost::geom::Vec3> tops = plane_face_middles([&](const yrlhost::geom::FaceInfo& f) {
        return std::fabs(f.normal[0] - out[0]) <= 1e-9 && std::fabs(f.normal[1] - out[1]) <= 1e-9 &&
               std::fabs((f.origin[0] - 10) * out[0] + (f.origin[1] - 5) * out[1] - 2) <= 1e-9;
      });
      ASSERT_EQ(tops.size(), 1u);
      if (!half_disc) {
        const double want[3] = {10 + 5 * up[0] + 2 * out[0], 5 + 5 * up[1] + 2 * out[1], 3};
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(tops[0][k], want[k], 1e-9) << k;
      }
      YrlFeatInfoIncompleteFeatureDelete(&info);  // the wedge alone for the next case
      YrlFeatInfoEnd(&info);
    }
  }
}

}  // namespace
}  // namespace yrltest
