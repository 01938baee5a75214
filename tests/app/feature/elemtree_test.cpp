// Element trees of the feature types, read back element by element from the host.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/feature/elemtree.h"
#include "app/storage/storage.h"
#include "app/views/viewdata.h"
#include "host/store/elemtrees.h"
#include "host/ui/messages.h"
#include "host/ui/ui.h"
#include "tests/app/util/apputil_fixture.h"

namespace yrltest {
namespace {

class ElemTrees : public UtilTest {
 protected:
  void SetUp() override {
    UtilTest::SetUp();
    part = template_part("PRT0001");
    info = YrlFeatInfo{};
    info.type = YRL_FEAT_EXTRUDE;
    info.sub_type = YRL_FEAT_PROTRUSION;
    info.part.part = part;
    info.part.datums_found = 1;
    info.part.top = surface_of(part, "TOP");
    info.part.front = surface_of(part, "FRONT");
    info.part.right = surface_of(part, "RIGHT");
    info.sketch.use_found_plane = 1;
    info.sketch.found_plane = info.part.front;
    info.sketch.orientation_code = 4;
    info.sketch.orientation_ref = info.part.right;
  }

  std::string built(int type) {
    VynElement tree = nullptr;
    last_status = YrlFeatInfoFeatElememntsAdd(&info, type, &tree);
    return yrlhost::tree_text(tree);
  }
  std::string sel(const VynModelitem& item) {
    return "selection " + std::to_string(item.type) + " " + std::to_string(item.id);
  }
  std::string sketch_setup() {
    return "  447\n    450\n      451 = " + sel(info.part.front) + "\n      452 = int 1\n      454 = int 4\n      455 = " +
           sel(info.part.right) + "\n";
  }

  VynMdl part = nullptr;
  YrlFeatInfo info{};
  int last_status = 0;
};

TEST_F(ElemTrees, ExtrudeDepths) {
  const std::string head = "386\n  1956 = int 917\n  3176 = int 0\n  2023 = int -1\n  388 = int 1\n";
  struct Case {
    const char* name;
    int depth_type;
    double depth;
    const char* extent;
  };
  const Case cases[] = {
      {"blind 25", 1, 25, "  515\n    428\n      430 = int 4096\n    429\n      433 = int 262144\n      434 = double 25\n"},
      // Edge case: both sides 10 writes 5 each way.
      {"both sides 10", 2, 10,
       "  515\n    428\n      430 = int 128\n      431 = double 5\n    429\n      433 = int 262144\n      434 = double 5\n"},
      // Edge case: next leaves 515 empty.
      {"next", 3, 10, "  515\n"},
      {"through all", 4, 0, "  515\n    428\n      430 = int 512\n    429\n      433 = int 1048576\n"},
      {"up to, not picked: blind", 5, 7, "  515\n    428\n      430 = int 4096\n    429\n      433 = int 262144\n      434 = double 7\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    info.extent.depth_type = c.depth_type;
    info.extent.depth = c.depth;
    EXPECT_EQ(built(YRL_FEAT_EXTRUDE), head + sketch_setup() + c.extent);
  }
  // Up to a picked reference: side 1 names it, or side 2 when the direction is flipped.
  info.extent = {5, 1, 1, info.part.top, 0, {}, 0};
  EXPECT_EQ(built(YRL_FEAT_EXTRUDE), head + sketch_setup() + "  515\n    428\n      430 = int 2048\n      432 = " +
                                         sel(info.part.top) + "\n    429\n      433 = int 8388608\n");
  info.direction_flipped = 1;
  EXPECT_EQ(built(YRL_FEAT_EXTRUDE), head + sketch_setup() + "  515\n    428\n      430 = int 4096\n    429\n      433 = int 4194304\n      435 = " +
                                         sel(info.part.top) + "\n");
}

TEST_F(ElemTrees, CutCarries916AndNoDatumsLeaveTheSetupEmpty) {
  info.sub_type = YRL_FEAT_CUT;
  info.extent.depth_type = 3;
  EXPECT_EQ(built(YRL_FEAT_EXTRUDE),
            "386\n  1956 = int 917\n  3176 = int 0\n  2023 = int 916\n  388 = int 1\n" + sketch_setup() + "  515\n");
  info.part.datums_found = 0;
  info.sub_type = YRL_FEAT_PROTRUSION;
  EXPECT_EQ(built(YRL_FEAT_EXTRUDE),
            "386\n  1956 = int 917\n  3176 = int 0\n  2023 = int -1\n  388 = int 1\n  447\n    450\n  515\n");
}

TEST_F(ElemTrees, RevolveAngles) {
  info.type = YRL_FEAT_REVOLVE;
  const std::string head = "386\n  1956 = int 917\n  3176 = int 0\n  2023 = int -1\n  388 = int 2\n" + sketch_setup();
  info.extent.depth = 360;
  EXPECT_EQ(built(YRL_FEAT_REVOLVE), head + "  6\n    437\n      439 = int 262144\n    438\n      440 = int 4194304\n      442 = double 360\n");
  EXPECT_EQ(last_status, 0);
  // 361: the message dialog, then a full revolution.
  user("press message OK");
  info.extent.depth = 361;
  EXPECT_EQ(built(YRL_FEAT_REVOLVE), head + "  6\n    437\n      439 = int 65536\n    438\n      440 = int 268435456\n");
  EXPECT_EQ(yrlhost::ui_dialog_snapshot("message")->title, "FEATURE INFO");
  // Fault: an angle of 0 or less made a revolve of no turn; it is refused.
  for (double angle : {0.0, -30.0}) {
    info.extent.depth = angle;
    EXPECT_EQ(built(YRL_FEAT_REVOLVE), head);
    EXPECT_EQ(last_status, VYN_TK_BAD_INPUTS);
  }
  info.extent = {5, 1, 1, info.part.top, 0, {}, 0};
  EXPECT_EQ(built(YRL_FEAT_REVOLVE), head + "  6\n    437\n      439 = int 262144\n    438\n      440 = int 134217728\n      444 = " +
                                         sel(info.part.top) + "\n");
}

TEST_F(ElemTrees, DatumTreesAndType8) {
  info.sketch.offset = 12.5;
  EXPECT_EQ(built(YRL_FEAT_DATUM_PLANE), "386\n  387 = int 923\n  410\n    411\n      412 = int 3\n      413 = " +
                                             sel(info.part.front) + "\n      414 = double 12.5\n  3123 = int 0\n");
  info.axis_refs = {{info.part.top, info.part.front, info.part.right}, {1.0, 2.0}};
  EXPECT_EQ(built(YRL_FEAT_DATUM_AXIS), "386\n  387 = int 926\n  2015\n    2016\n      2017 = int 0\n      413 = " +
                                            sel(info.part.top) + "\n  2019\n    2020\n      2021 = " + sel(info.part.front) +
                                            "\n      2022 = double 1\n    2020\n      2021 = " + sel(info.part.right) +
                                            "\n      2022 = double 2\n");
  EXPECT_EQ(built(YRL_FEAT_DATUM_POINT), "386\n  387 = int 931\n  3179 = int 22\n" + sketch_setup());
  // A datum curve's tree goes to the caller only.
  info.tree = nullptr;
  EXPECT_EQ(built(YRL_FEAT_DATUM_CURVE), "386\n  387 = int 949\n  511 = int 0\n" + sketch_setup());
  EXPECT_EQ(info.tree, nullptr);
  // Edge case: type 8 builds nothing and reports -1.
  EXPECT_EQ(built(YRL_FEAT_CSYS), "");
  EXPECT_EQ(last_status, -1);
}

// Hole trees: 1672 stands twice; a view outside TOP, FRONT and RIGHT gets no distances.
TEST_F(ElemTrees, HoleTree) {
  info.type = YRL_FEAT_HOLE;
  info.hole.diameter = 4;
  info.hole.view_id = 10;  // no such view: no references
  info.extent.depth_type = 1;
  info.extent.depth = 6;
  EXPECT_EQ(built(YRL_FEAT_HOLE), "386\n  387 = int 911\n  388 = int 1\n  1671\n    1689 = int 34\n    1672 = int 16\n    1672 = int 16\n"
                  "    82 = double 4\n    1684\n      1685\n        1687 = int 1\n        431 = double 6\n      1686\n"
                  "        1688 = int 6\n  1340\n    1341 = " +
                      sel(info.part.front) + "\n    696 = int 1\n    704 = selection 0 0\n    706 = double 0\n    707 = selection 0 0\n"
                      "    708 = double 0\n");
  EXPECT_EQ(info.hole.first_ref, nullptr);
}

// The setters find their element and replace its value; kinds go with their depth.
TEST_F(ElemTrees, Setters) {
  info.extent.depth_type = 1;
  info.extent.depth = 25;
  VynElement tree = nullptr;
  ASSERT_EQ(YrlFeatInfoFeatElememntsAdd(&info, YRL_FEAT_EXTRUDE, &tree), 0);
  yrlhost::TreeValue v = yrlhost::tree_value_read(tree, {515, 429, 434}, VYN_VALUE_TYPE_DOUBLE);
  ASSERT_EQ(v.status, yrlhost::TreeRead::ok);
  EXPECT_EQ(v.data.value.d, 25);
  info.extent.depth = 40;
  YrlFeatElemtreeDepthTypeSet(&info, tree, 1);
  EXPECT_EQ(yrlhost::tree_value_read(tree, {515, 429, 434}, VYN_VALUE_TYPE_DOUBLE).data.value.d, 40);
  EXPECT_EQ(YrlFeatElemtreeSktPlaneViewDirSet(tree, -1), 1);
  EXPECT_EQ(yrlhost::tree_value_read(tree, {447, 450, 452}, VYN_VALUE_TYPE_INT).data.value.i, -1);
  // Depth types without values of their own write nothing.
  EXPECT_EQ(YrlFeatElemtreeDepthTypeSet(&info, tree, 3), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(yrlhost::tree_value_read(tree, {515, 428, 430}, VYN_VALUE_TYPE_INT).data.value.i, 4096);
  info.sub_type = YRL_FEAT_CUT;
  info.tree = tree;
  YrlFeatElemtreeFeatTypeSet(&info);
  EXPECT_EQ(yrlhost::tree_value_read(tree, {2023}, VYN_VALUE_TYPE_INT).data.value.i, 916);
}

}  // namespace
}  // namespace yrltest
