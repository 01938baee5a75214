// The collection tests run from their menu buttons on the stand-in host's models; the
// menu's user and the picks are the test's own rows (the host has no older menus).
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "host/store/assemblies.h"
#include "host/plugin/call_log.h"
#include "host/store/drawings.h"
#include "host/store/model_geometry.h"
#include "host/store/models.h"
#include "host/plugin/plugin_session.h"
#include "host/script/script.h"
#include "platform/w32/path.h"
#include "tests/host/feature_test.h"
#include "tests/support/temp_dir.h"
#include "tests/toolkit/toolkit_test.h"
#include "toolkit/api/app_api.h"
#include "toolkit/api/catalogue_2d_draw_api.h"
#include "toolkit/startup/startup.h"
#include "toolkit/testreport/testcollect.h"
#include "toolkit/util/collect.h"

namespace {

struct MenuUser {
  std::map<std::string, std::pair<VynMenubuttonAction, void*>> actions;
  std::deque<std::string> presses;  // the buttons the user presses, in order
  std::vector<int> answers;         // what each pressed button's action answered
  std::deque<std::u16string> typed;
  VynSelection pick = nullptr;
  std::vector<VynSelection> picks;  // a selection of several items, taken before pick
};

MenuUser& user() {
  static MenuUser u;
  return u;
}

VynError action_set(int, const char* menu, const char* button, VynMenubuttonAction action,
                    void* data, int) {
  if (std::string(menu) != "COLLECTION") return -2;
  user().actions[button] = {action, data};
  return 0;
}

VynError menu_process(int, const char*, int*) {
  while (!user().presses.empty()) {
    std::string button = user().presses.front();
    user().presses.pop_front();
    auto it = user().actions.find(button);
    if (it == user().actions.end()) return -2;
    user().answers.push_back(it->second.first(it->second.second, 0));
  }
  return 0;
}

VynSelection pick_list[1];
VynError select(int, const char*, int, VynSelection*, VynSelectionFilter*, VynSelectionEnv, VynWord,
                VynArray* selections, int* count) {
  if (!user().picks.empty()) {
    *selections = user().picks.data();
    *count = static_cast<int>(user().picks.size());
    return 0;
  }
  if (!user().pick) return -3;
  pick_list[0] = user().pick;
  *selections = pick_list;
  *count = 1;
  return 0;
}

VynError string_read(int, int max_length, VynWchar* text) {
  if (user().typed.empty()) return -3;
  std::u16string answer = user().typed.front().substr(0, static_cast<std::size_t>(max_length));
  user().typed.pop_front();
  std::copy(answer.begin(), answer.end(), text);
  text[answer.size()] = 0;
  return 0;
}

class CollectionRunTest : public yrltest::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    user() = MenuUser();
    table_options.extra = {yrltest::host_row(&action_set, "VynMenubuttonActionSet_v"),
                           yrltest::host_row(&menu_process, "VynMenuProcess_v"),
                           yrltest::host_row(&select, "VynSelect_v"),
                           yrltest::host_row(&string_read, "VynMessageStringRead_v")};
    bind_table();
    for (const char* key : {"VynMenuFileRegister_v", "VynMenuCreate_v"})
      yrlhost::call_log_set_result(key, 0);
    ASSERT_TRUE(w32::w32_set_drive('C', dir.path().c_str()));
    ASSERT_TRUE(w32::w32_set_current_drive('C'));
    std::string error;
    part = yrlhost::host_model_create(yrlhost::model_type_part, "BLOCK", error);
    ASSERT_TRUE(part) << error;
    boss = yrlhost::host_feature_add(part, 917, "BOSS", {});
    hidden = yrlhost::host_feature_add(part, 916, "HIDDEN", {});
    ASSERT_TRUE(yrlhost::host_feature_state_set(part, hidden, 5, false));
  }
  void TearDown() override {
    if (user().pick) VynSelectionFree(&user().pick);
    for (VynSelection& one : user().picks) VynSelectionFree(&one);
    ToolkitTest::TearDown();
  }

  // Runs the menu on model with the user pressing buttons, then Done: the output file.
  std::string run(VynMdl model, std::vector<std::string> buttons) {
    user().presses.assign(buttons.begin(), buttons.end());
    user().presses.push_back("Done Collect");
    EXPECT_EQ(VynTestCollection(&model), 0);
    return yrltest::read_file(dir.file("visitcollect.dat"));
  }

  yrltest::TempDir dir;
  VynMdl part = nullptr;
  int boss = 0, hidden = 0;
};

TEST_F(CollectionRunTest, SolidFeaturesListsAllThenTheVisibleOnes) {
  std::string expected_all =
      "Number of features:\t2\n"
      "Id " +
      std::to_string(boss) +
      ",\ttype 917,\tstatus: VYN_FEAT_ACTIVE\n"
      "Id " +
      std::to_string(hidden) + ",\ttype 916,\tstatus: VYN_FEAT_SUPPRESSED\n";
  std::string expected_visible =
      "Number of features:\t1\n"
      "Id " +
      std::to_string(boss) + ",\ttype 917,\tstatus: VYN_FEAT_ACTIVE\n";
  EXPECT_EQ(run(part, {"Solid Features"}),
            "\n# Solid features\n" + expected_all + expected_visible);
  EXPECT_EQ(user().answers, (std::vector<int>{0, 0}));
}

TEST_F(CollectionRunTest, AnAssemblyAlsoListsItsComponents) {
  std::string error;
  VynMdl top = yrlhost::host_assembly_create("TOP", error);
  int component = yrlhost::host_component_add(top, part, "BLOCK-1");
  std::string line = "Id " + std::to_string(component) + ",\ttype 1000,\tstatus: VYN_FEAT_ACTIVE\n";
  std::string one = "Number of features:\t1\n" + line;
  EXPECT_EQ(run(top, {"Solid Features"}), "\n# Solid features\n" + one + one + one);
}

// A small animation store of the test's own: movies hold frames, frames hold objects,
// each frame and object with the transform it was made with.
struct AnimItem {
  std::vector<VynWord> members;  // frames of a movie, objects of a frame
  double matrix[4][4] = {};
  VynWord owner = 0;
  bool deleted = false;
};
std::vector<std::unique_ptr<AnimItem>>& anim_items() {
  static std::vector<std::unique_ptr<AnimItem>> items;
  return items;
}
VynWord anim_new(VynWord matrix, VynWord owner) {
  anim_items().push_back(std::make_unique<AnimItem>());
  AnimItem* item = anim_items().back().get();
  if (matrix) std::memcpy(item->matrix, reinterpret_cast<const void*>(matrix), sizeof item->matrix);
  item->owner = owner;
  return reinterpret_cast<VynWord>(item);
}
AnimItem* anim(VynWord handle) { return reinterpret_cast<AnimItem*>(handle); }
VynError movie_create(int, VynWord solid, VynWord out) {
  *reinterpret_cast<VynWord*>(out) = anim_new(0, solid);
  return 0;
}
VynError frame_create(int, VynWord matrix, VynWord out) {
  *reinterpret_cast<VynWord*>(out) = anim_new(matrix, 0);
  return 0;
}
VynError object_create(int, VynWord owner, VynWord matrix, VynWord out) {
  *reinterpret_cast<VynWord*>(out) = anim_new(matrix, owner);
  return 0;
}
VynError member_add(int, VynWord holder, VynWord member) {
  anim(holder)->members.push_back(member);
  return 0;
}
VynError member_remove(int, VynWord holder, VynWord member) {
  auto& members = anim(holder)->members;
  members.erase(std::remove(members.begin(), members.end(), member), members.end());
  return 0;
}
VynError item_delete(int, VynWord handle) {
  anim(handle)->deleted = true;
  return 0;
}
VynError members_visit(VynWord holder, VynItemVisitActionNoStatus action,
                       VynItemFilterAction filter, void* data) {
  for (VynWord member : anim(holder)->members) {
    void* item = reinterpret_cast<void*>(member);
    if (filter && filter(item, data) == VYN_TK_CONTINUE) continue;
    if (VynError status = action(item, data)) return status;
  }
  return 0;
}
VynError frames_visit(int, VynAnimmovie movie, VynItemVisitActionNoStatus action,
                      VynItemFilterAction filter, void* data) {
  return members_visit(reinterpret_cast<VynWord>(movie), action, filter, data);
}
VynError objects_visit(int, VynAnimframe frame, VynItemVisitActionNoStatus action,
                       VynItemFilterAction filter, void* data) {
  return members_visit(reinterpret_cast<VynWord>(frame), action, filter, data);
}
VynError batch_start(int, VynWord, VynWord, VynWord) { return 0; }

class CollectionAnimationTest : public CollectionRunTest {
 protected:
  void SetUp() override {
    anim_items().clear();
    CollectionRunTest::SetUp();
    table_options.extra.insert(
        table_options.extra.end(),
        {yrltest::host_row(&movie_create, "VynAnimmovieCreate_v"),
         yrltest::host_row(&frame_create, "VynAnimframeCreate_v"),
         yrltest::host_row(&object_create, "VynAnimobjectCreate_v"),
         yrltest::host_row(&member_add, "VynAnimframeObjAdd_v"),
         yrltest::host_row(&member_add, "VynAnimmovieFrameAdd_v"),
         yrltest::host_row(&member_remove, "VynAnimframeObjRemove_v"),
         yrltest::host_row(&member_remove, "VynAnimmovieFrameRemove_v"),
         yrltest::host_row(&item_delete, "VynAnimobjectDelete_v"),
         yrltest::host_row(&item_delete, "VynAnimframeDelete_v"),
         yrltest::host_row(&item_delete, "VynAnimmovieDelete_v"),
         yrltest::host_row(&frames_visit, "VynAnimmovieFrameVisit_v"),
         yrltest::host_row(&objects_visit, "VynAnimframeObjVisit_v"),
         yrltest::host_row(&batch_start, "VynBatchAnimationStart_v")});
    bind_table();
  }
  void TearDown() override {
    CollectionRunTest::TearDown();
    anim_items().clear();
  }
};

// Every picked part is animated, however many: ten frames, each with one object per
// part, rotated about x by 36 degrees a frame; all of it is taken down afterwards.
TEST_F(CollectionAnimationTest, EveryPickedPartMovesInEachOfTenFrames) {
  for (int parts : {1, 12}) {
    anim_items().clear();
    for (VynSelection& one : user().picks) VynSelectionFree(&one);
    user().picks.clear();
    for (int i = 0; i < parts; ++i) {
      VynModelitem item{yrlhost::model_type_part, 0, part};
      VynSelection selection = nullptr;
      ASSERT_EQ(VynSelectionAlloc(nullptr, &item, &selection), 0);
      user().picks.push_back(selection);
    }
    std::string before = yrltest::read_file(dir.file("visitcollect.dat"));
    std::string expected =
        "\n# Animation frames & objects\nNumber of anim frames: 10\nFrame #\tNumber of objs in frame\n";
    for (int k = 1; k <= 10; ++k) expected += std::to_string(k) + "\t" + std::to_string(parts) + "\n";
    EXPECT_EQ(run(part, {"Animation"}), before + expected) << parts;
    const AnimItem* movie = anim_items().front().get();
    ASSERT_EQ(movie->owner, reinterpret_cast<VynWord>(part));
    int objects = 0;
    for (const auto& item : anim_items()) {
      EXPECT_TRUE(item->deleted);
      EXPECT_TRUE(item->members.empty());
      if (item->owner == reinterpret_cast<VynWord>(part) && item.get() != movie) ++objects;
    }
    EXPECT_EQ(objects, 10 * parts);
    // Frame 5 turns by 180 degrees.
    const AnimItem* fifth = anim_items()[1 + 4 * (parts + 1)].get();
    EXPECT_NEAR(fifth->matrix[1][1], -1, 1e-12);
    EXPECT_NEAR(fifth->matrix[2][1], 0, 1e-12);
  }
}

TEST_F(CollectionRunTest, CsysAndDimensions) {
  EXPECT_EQ(run(part, {"Solid Csys"}), "\n# Solid CSYS\nNumber of solid csys:\t0\n");
  // A null model: the dimension test writes nothing and answers -1.
  std::string before = yrltest::read_file(dir.file("visitcollect.dat"));
  EXPECT_EQ(run(nullptr, {"Dimensions"}), before);
  EXPECT_EQ(user().answers.back(), 0);  // Done
  EXPECT_EQ(user().answers[user().answers.size() - 2], -1);
}

// A part holds no dimensions; a drawing's are listed with their type and value (the host
// gives them no symbol names).
TEST_F(CollectionRunTest, DimensionsOfAPartAndOfADrawing) {
  std::string text = run(part, {"Dimensions"});
  EXPECT_EQ(text, "\n# Dimensions\nNumber of dimensions:\t0\n");
  std::string error;
  VynMdl drawing = yrlhost::host_model_create(yrlhost::model_type_drawing, "DRW", error);
  ASSERT_TRUE(drawing) << error;
  yrlhost::DrawingDimension linear;
  linear.value = 12.5;
  yrlhost::DrawingDimension radius;
  radius.type = yrlhost::dimension_radius;
  radius.value = 3.254;
  ASSERT_GT(yrlhost::host_dimension_add(drawing, linear, error), 0) << error;
  ASSERT_GT(yrlhost::host_dimension_add(drawing, radius, error), 0) << error;
  std::string blank_name(20, ' ');
  EXPECT_EQ(run(drawing, {"Dimensions"}),
            text + "\n# Dimensions\nNumber of dimensions:\t2\n" + "Dim          9 " + blank_name +
                "    12.50\n" + "Dim          3 " + blank_name + "     3.25\n");
}

TEST_F(CollectionRunTest, FindByName) {
  VynModelitem item{3, boss, part};
  ASSERT_EQ(VynSelectionAlloc(nullptr, &item, &user().pick), 0);
  user().typed = {u"BOSS", u"E1", u"HIDDEN"};
  EXPECT_EQ(run(part, {"Find By Name"}),
            "\n# Features by name\nVisible feature found:\tBOSS\nEdge is not found\n");
  std::string first = yrltest::read_file(dir.file("visitcollect.dat"));
  // A suppressed feature is not found; without a pick the test ends there.
  VynSelectionFree(&user().pick);
  EXPECT_EQ(run(part, {"Find By Name"}), first + "\n# Features by name\nFeature is not found\n");
}

// Builds a part from features through the host's functions, as the host's feature tests
// do, for the collection tests to run on.
struct PartBuilder : yrltest::FeatureTest {
  void TestBody() override {}
  using FeatureTest::SetUp;
  using FeatureTest::TearDown;
  using FeatureTest::block;
  using FeatureTest::made;
  using FeatureTest::made_sketched;
  using FeatureTest::datum_plane;
  using FeatureTest::hole;
  using FeatureTest::hole_through;
  using FeatureTest::sketch_setup;
  using FeatureTest::stored;
  using FeatureTest::name_set;
  using FeatureTest::part;
  using FeatureTest::TOP;
  using FeatureTest::FRONT;
  using FeatureTest::RIGHT;

  // A datum axis normal to a plane at distances from two others.
  VynFeature axis(const VynModelitem& normal_to, const VynModelitem& ref1, double d1,
                  const VynModelitem& ref2, double d2, const char16_t* name) {
    using yrltest::D;
    using yrltest::I;
    using yrltest::N;
    using yrltest::S;
    VynFeature feature = made(N(386, {I(387, 926), N(2015, {N(2016, {I(2017, 0), S(413, normal_to)})}),
                                      N(2019, {N(2020, {S(2021, ref1), D(2022, d1)}),
                                               N(2020, {S(2021, ref2), D(2022, d2)})})}));
    VynName wide{};
    std::u16string(name).copy(wide, 31);
    EXPECT_EQ(name_set(1, &feature, wide), 0);
    return feature;
  }
};

// The collection tests on a part built from features: the block 0..10 with a hole of
// diameter 2 through it along y (at x 5, z 5), an axis "A_Y" along y through x 2, z 1
// and an axis "A_Z" along z.
class CollectionOnPartTest : public CollectionRunTest {
 protected:
  void SetUp() override {
    CollectionRunTest::SetUp();
    builder.SetUp();  // starts the host afresh
    for (const char* key : {"VynMenuFileRegister_v", "VynMenuCreate_v"})
      yrlhost::call_log_set_result(key, 0);
    model = builder.part;
    box = builder.block();
    VynFeature top10 = builder.made(builder.datum_plane(builder.TOP, 10));
    bore = builder.made(builder.hole(top10, 2, PartBuilder::hole_through(), 5, 5));
    builder.axis(builder.TOP, builder.FRONT, 1, builder.RIGHT, 2, u"A_Y");
    builder.axis(builder.FRONT, builder.TOP, 3, builder.RIGHT, 4, u"A_Z");
  }
  void TearDown() override {
    CollectionRunTest::TearDown();
    builder.TearDown();
  }

  // Picks an item of the part.
  void pick(VynModelitem item) {
    if (user().pick) VynSelectionFree(&user().pick);
    ASSERT_EQ(VynSelectionAlloc(nullptr, &item, &user().pick), 0);
  }
  // The surface item of the solid's face at a point inside it.
  VynModelitem face_at(const yrlhost::geom::Vec3& point) {
    for (const VynModelitem& item : yrlhost::part_geomitems_at(builder.stored(), point, 1e-6))
      if (item.type == 5) return item;
    ADD_FAILURE() << "no face there";
    return {};
  }
  // The output with item ids written as "#".
  static std::string without_ids(const std::string& text) {
    return std::regex_replace(text, std::regex("ID:? [0-9]+"), "ID #");
  }

  PartBuilder builder;
  VynMdl model = nullptr;
  VynFeature box{}, bore{};
};

TEST_F(CollectionOnPartTest, SolidAxisSurfacesAndQuilts) {
  std::string text = run(model, {"Solid Axis", "Solid Quilts", "Solid Surfaces"});
  const std::string head =
      "\n# Solid axis\nNumber of solid axis:\t2\nA_Y\nA_Z\n"
      "\n# Solid quilts\nNumber of solid quilts:\t0\n"
      "\n# Solid surfaces\nNumber of solid surfaces:\t7\n";
  EXPECT_EQ(text.substr(0, head.size()), head);
  // Six planes and the bore's cylinder, each with its item id.
  std::size_t at = text.find("Number of solid surfaces:\t7\n");
  ASSERT_NE(at, std::string::npos) << text;
  std::string lines = text.substr(at);
  auto count = [&](const std::string& what) {
    std::size_t n = 0;
    for (std::size_t p = lines.find(what); p != std::string::npos; p = lines.find(what, p + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("\tVYN_SRF_PLANE\n"), 6u);
  EXPECT_EQ(count("\tVYN_SRF_CYL\n"), 1u);
  for (const VynFeature& feature : {box, bore})
    for (const VynModelitem& item : yrlhost::feature_geomitems(builder.stored(), feature.id, 5))
      EXPECT_EQ(count("ID " + std::to_string(item.id) + ":\t"), 1u) << item.id;
}

// The axes normal to the picked face: only "A_Y" is normal to the block's top face.
TEST_F(CollectionOnPartTest, AxisByPlane) {
  pick(face_at({2, 10, 2}));
  EXPECT_EQ(run(model, {"Axis By Plane"}),
            "\n# Solid axis by plane\nNumber solid axis parallel to selected plane:\t1\nA_Y\n");
  pick(face_at({2, 2, 10}));  // the front face, normal z
  EXPECT_NE(run(model, {"Axis By Plane"}).find("plane:\t1\nA_Z\n"), std::string::npos);
}

// The top face: its square outline and the hole's circle, as the geometry gives them.
TEST_F(CollectionOnPartTest, ContoursOfAFaceWithAHole) {
  pick(face_at({2, 10, 2}));
  std::string line = "\tID #,\tType: VYN_ENT_LINE, \tLen: 10.000000\n";
  EXPECT_EQ(without_ids(run(model, {"Contours"})),
            "\n# Contours\nNumber of contours:\t2\n"
            "Contour: External\n\t4 edges: \n" + line + line + line + line +
                "Contour: Internal\n\t1 edges: \n\tID #,\tType: VYN_ENT_ARC, \tLen: 6.283185\n");
}

TEST_F(CollectionOnPartTest, CurveComponents) {
  using yrltest::line2d;
  VynFeature curve = builder.made_sketched(
      yrltest::N(386, {yrltest::I(387, 949), yrltest::I(511, 0), builder.sketch_setup(builder.FRONT, builder.RIGHT)}),
      {line2d(0, 0, 10, 0), line2d(10, 5, 10, 0), line2d(10, 5, 0, 5)});
  pick(yrlhost::feature_geomitems(builder.stored(), curve.id, 62).at(0));
  EXPECT_EQ(run(model, {"Curve Comps"}),
            "\n# Curve components\nNumber of curve components:\t3\nIndex 0\nIndex 1, flipped\nIndex 2\n");
}

// A feature's items of every type with their names; the model's datum points.
TEST_F(CollectionOnPartTest, FeatureGeomitemsAndDatumPoints) {
  VynFeature points = builder.made_sketched(
      yrltest::N(386, {yrltest::I(387, 931), yrltest::I(3179, 22), builder.sketch_setup(builder.TOP, builder.RIGHT)}),
      {yrltest::point2d(3, 4), yrltest::point2d(-1, 2)});
  VynName name{u'P', u'N', u'T', u'0', 0};
  ASSERT_EQ(builder.name_set(1, &points, name), 0);
  pick(points);
  EXPECT_EQ(run(model, {"Feature Geomitems"}),
            "\n# Feature geomitems\nNumber of geomitems:\t2\nVYN_POINT\tPNT0\nVYN_POINT\tPNT0\n");
  // The block: its six faces, then its twelve edges, none named.
  pick(box);
  std::string expected = "\n# Feature geomitems\nNumber of geomitems:\t18\n";
  for (int i = 0; i < 6; ++i) expected += "VYN_SURFACE\t\n";
  for (int i = 0; i < 12; ++i) expected += "VYN_EDGE\t\n";
  std::string before = yrltest::read_file(dir.file("visitcollect.dat"));
  EXPECT_EQ(run(model, {"Feature Geomitems"}), before + expected);

  // The datum points as selections of their items, in section order.
  VynArray selections = nullptr;
  int count = 0;
  ASSERT_EQ(VynUtilCollectSolidDtmPnts(model, &selections, &count), 0);
  ASSERT_EQ(count, 2);
  std::vector<VynModelitem> expected_items = yrlhost::feature_geomitems(builder.stored(), points.id, 66);
  for (int i = 0; i < count; ++i) {
    VynModelitem item{};
    ASSERT_EQ(VynSelectionModelitemGet(static_cast<VynSelection*>(selections)[i], &item), 0);
    EXPECT_EQ(item.type, 66);
    EXPECT_EQ(item.id, expected_items.at(static_cast<std::size_t>(i)).id);
  }
  EXPECT_EQ(VynUtilSelectionArrayFree(&selections), 0);
  EXPECT_EQ(selections, nullptr);
}

// The elements of the block's tree as the host hands it out (with its section, 436 and 499).
TEST_F(CollectionOnPartTest, ElementsOfAFeatureBuiltFromATree) {
  pick(box);
  // Depth first, parents before children; an element without a value shows nothing.
  EXPECT_EQ(run(model, {"Elements"}),
            "\n# Elements\nNumber of elements:\t20\n"
            "ID: 386\t- \nID: 1956\t- 917\nID: 3176\t- 0\nID: 2023\t- -1\nID: 388\t- 1\n"
            "ID: 447\t- \nID: 450\t- \nID: 451\t- Selection\nID: 452\t- 1\nID: 454\t- 4\n"
            "ID: 455\t- Selection\nID: 458\t- pointer\n"
            "ID: 515\t- \nID: 428\t- \nID: 430\t- 4096\nID: 429\t- \nID: 433\t- 262144\n"
            "ID: 434\t- 10.000000\nID: 436\t- -1\nID: 499\t- 1\n");
}

// The axis finder and the axis-by-vector filter on the host's axes: a direction within
// 0.05 degrees of y finds "A_Y", one at 1 degree finds nothing.
TEST_F(CollectionOnPartTest, AxisFinderAndAxisByVector) {
  VynGeomitem found{0, -1, nullptr};
  ASSERT_EQ(VynUtilFindAxisByName(model, u"A_Z", &found), 0);
  EXPECT_EQ(found.type, 21);
  EXPECT_EQ(found.owner, model);
  std::vector<VynModelitem> axes;
  for (const yrlhost::GeomitemRef& ref : yrlhost::part_datums(builder.stored(), 21))
    axes.push_back({ref.type, ref.id, model});
  ASSERT_EQ(axes.size(), 2u);
  EXPECT_EQ(found.id, axes[1].id);
  VynGeomitem missing{0, -1, nullptr};
  EXPECT_EQ(VynUtilFindAxisByName(model, u"NONE", &missing), 0);
  EXPECT_EQ(missing.id, -1);
  // Datum planes are no surfaces of the solid: the surface finder does not find "TOP".
  EXPECT_EQ(VynUtilFindSurfaceByName(model, u"TOP", &missing), 0);
  EXPECT_EQ(missing.id, -1);

  struct Case {
    double degrees;
    int mode;
    int expected;  // axes collected
  };
  for (const Case& c : {Case{0.05, 0, 1}, Case{1.0, 0, 0}, Case{0.0, 1, 1}}) {
    SCOPED_TRACE(c.degrees);
    double a = c.degrees * yrltest::pi_value / 180;
    double direction[3] = {std::sin(a), std::cos(a), 0};
    VynArray array = nullptr;
    ASSERT_EQ(VynUtilCollectSolidAxisByVector(model, direction, c.mode, &array), 0);
    int size = -1;
    ASSERT_EQ(VynArraySizeGet(array, &size), 0);
    EXPECT_EQ(size, c.expected);
    if (c.expected == 1) {
      VynGeomitem item{};
      ASSERT_EQ(VynAxisToGeomitem(model, static_cast<VynAxis*>(array)[0], &item), 0);
      EXPECT_EQ(item.id, axes[c.mode == 0 ? 0 : 1].id);
    }
    VynArrayFree(&array);
  }
}

}  // namespace

namespace {

// The same menu on the stand-in host's own older menus: the user presses the buttons.
class CollectionMenuTest : public yrltest::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    bind_table();
    // The menu directory is drive R:, the current drive C: the test's own directory.
    std::string dir = yrlhost::session_defaults().text_dir + "/text/usascii/menus";
    ASSERT_TRUE(w32::w32_set_drive('R', dir.c_str()));
    std::snprintf(menu_path, sizeof menu_path, "R:");
    ASSERT_TRUE(w32::w32_set_drive('C', files.path().c_str()));
    ASSERT_TRUE(w32::w32_set_current_drive('C'));
  }
  void TearDown() override {
    menu_path[0] = '\0';
    ToolkitTest::TearDown();
  }
  static void press(const std::string& button) {
    yrlhost::ScriptAction action;
    action.kind = yrlhost::ScriptActionKind::menu_press;
    action.component = "COLLECTION";
    action.name = button;
    yrlhost::script_push(action);
  }
  yrltest::TempDir files;
};

TEST_F(CollectionMenuTest, ButtonsRunTheirTestsInTheHost) {
  std::string error;
  VynMdl part = yrlhost::host_model_create(yrlhost::model_type_part, "BLOCK", error);
  int boss = yrlhost::host_feature_add(part, 917, "BOSS", {});
  press("Solid Csys");
  press("Solid Features");
  press("COLLECTION");  // the menu's own exit
  EXPECT_EQ(VynTestCollection(&part), 0);
  std::string line = "Id " + std::to_string(boss) + ",\ttype 917,\tstatus: VYN_FEAT_ACTIVE\n";
  EXPECT_EQ(yrltest::read_file(files.file("visitcollect.dat")),
            "\n# Solid CSYS\nNumber of solid csys:\t0\n"
            "\n# Solid features\nNumber of features:\t1\n" +
                line + "Number of features:\t1\n" + line);
  EXPECT_TRUE(yrlhost::script_failures().empty());
  EXPECT_TRUE(yrlhost::script_empty());
}

}  // namespace
