// A part's features made from element trees in its file: saved and reopened they rebuild
// the same solid (and the .brep written beside it holds it), keep their names, datum
// items and sections; the reader refuses damaged tree, sketch and datum lines with the
// line that is wrong.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "host/store/model_geometry.h"
#include "host/store/sections.h"
#include "host/files/file_set.h"
#include "host/files/model_files.h"
#include "tests/host/feature_test.h"
#include "tests/support/temp_dir.h"

namespace yrltest {
namespace {

class FeatureFiles : public FeatureTest {
 protected:
  std::string file(const std::string& name) const { return (dir_ / name).string(); }
  // The face of the part's solid through a point (none: id 0).
  VynModelitem face_at(const yrlhost::geom::Vec3& point) {
    for (const VynModelitem& item : yrlhost::part_geomitems_at(stored(), point, 1e-6))
      if (item.type == yrlhost::item_type_surface) return item;
    return VynModelitem{};
  }

  yrltest::TempDir temp_;
  const std::filesystem::path dir_ = temp_.path();
};

// The files of a directory and their bytes.
std::string file_text(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + '\n';
  return text;
}

std::map<std::string, std::string> folder_files(const std::filesystem::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    std::ifstream in(entry.path(), std::ios::binary);
    files[entry.path().filename().string()] = std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

// Fault: a save wrote its files in place, so that a write failing part-way (a full disk,
// a file-size limit) left the old drawing or part cut. A drawing's save, with its part and
// the part's solid beside it, is one set: every step of it made to fail in turn (each
// file written and flushed, each old file kept aside, each put in place) leaves the
// folder as the last good save left it, byte for byte and with nothing else in it; the
// save says which file failed. With no failure the new files are all in place.
TEST_F(FeatureFiles, AFailedSaveLeavesEveryFileOfTheSaveAsItWas) {
  std::string error;
  VynMdl drawing = yrlhost::host_model_create(yrlhost::model_type_drawing, "D", error);
  ASSERT_NE(drawing, nullptr) << error;
  ASSERT_EQ(yrlhost::host_function<yrlhost::HostApi::VynDrawingSolidAdd>(table)(1, drawing, part), ok);
  block();
  const std::string path = file("d.drw");
  ASSERT_TRUE(yrlhost::host_model_save(drawing, path, error)) << error;
  // Where the file system has no hard links, the old files move aside instead.
  for (bool no_links : {false, true}) {
    SCOPED_TRACE(no_links ? "without hard links" : "with hard links");
    const std::map<std::string, std::string> old = folder_files(dir_);
    ASSERT_EQ(old.size(), 3u);  // d.drw, BLOCK.prt, BLOCK.brep
    // The next save differs in every file: a sheet more, a cut more and its solid.
    int sheet = 0;
    ASSERT_EQ(yrlhost::host_function<yrlhost::HostApi::VynDrawingSheetCreate>(table)(1, drawing, &sheet), ok);
    const double u = no_links ? 6 : 2;
    made_sketched(extrude(FRONT, through_all(), true), rect2d(u, 2, u + 2, 4));
    int failures = 0;
    for (int step = 0;; ++step) {
      SCOPED_TRACE(step);
      yrlhost::file_set_failure_testing_set(step, no_links);
      bool saved = yrlhost::host_model_save(drawing, path, error);
      bool failed_at_step = yrlhost::file_set_steps() > step;
      yrlhost::file_set_failure_testing_set(-1, no_links);
      if (!failed_at_step) {
        ASSERT_TRUE(saved) << error;
        break;
      }
      ++failures;
      EXPECT_FALSE(saved);
      EXPECT_TRUE(error.starts_with(file("d.drw") + ": ") || error.starts_with(file("BLOCK.prt") + ": ") ||
                  error.starts_with(file("BLOCK.brep") + ": "))
          << error;
      EXPECT_EQ(folder_files(dir_), old);
      EXPECT_EQ(yrlhost::host_model_path(drawing), path);
    }
    yrlhost::file_set_failure_testing_set(-1);
    // Three files written, three kept aside and three put in place.
    EXPECT_EQ(failures, 9);
    const std::map<std::string, std::string> now = folder_files(dir_);
    ASSERT_EQ(now.size(), 3u);
    for (const auto& [name, bytes] : now) EXPECT_NE(bytes, old.at(name)) << name;
    EXPECT_EQ(now.at("BLOCK.prt"), file_text(yrlhost::host_model_lines(part)));
  }
}

// Fault: a file of a save whose name a folder held moved the folder aside under a
// temporary name (`d.drw.XXXXXX.old`), put the file in its place and told success; a
// drawing saved under its own part's file name wrote itself over the part, and could not
// be read back. A save's file that is no file now, or that another file of the same save
// also goes to, fails the save before anything is written: the folder stays as it was.
TEST_F(FeatureFiles, ASaveRefusesATargetThatIsNoFileOrThatTwoOfItsFilesShare) {
  std::string error;
  VynMdl drawing = yrlhost::host_model_create(yrlhost::model_type_drawing, "D", error);
  ASSERT_NE(drawing, nullptr) << error;
  ASSERT_EQ(yrlhost::host_function<yrlhost::HostApi::VynDrawingSolidAdd>(table)(1, drawing, part), ok);
  block();
  struct Case {
    std::string folder;  // a folder in the way, with a file in it ("": none)
    std::string path;    // where the drawing is saved
    std::string error;   // how the save's message starts
  };
  const Case cases[] = {
      {"d.drw", "d.drw", file("d.drw") + ": cannot be replaced (Is a directory)"},
      {"BLOCK.prt", "d.drw", file("BLOCK.prt") + ": cannot be replaced (Is a directory)"},
      {"BLOCK.brep", "d.drw", file("BLOCK.brep") + ": cannot be replaced (Is a directory)"},
      {"", "BLOCK.prt", file("BLOCK.prt") + ": cannot be written (another file of the same save"},
      {"", "BLOCK.brep", file("BLOCK.brep") + ": cannot be written (another file of the same save"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder + " " + c.path);
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    if (!c.folder.empty()) {
      std::filesystem::create_directory(dir_ / c.folder);
      std::ofstream(dir_ / c.folder / "kept.txt") << "kept\n";
    }
    EXPECT_FALSE(yrlhost::host_model_save(drawing, file(c.path), error));
    EXPECT_TRUE(error.starts_with(c.error)) << error;
    // Nothing written, nothing moved: the folder in the way, with its file, and no other.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, c.folder.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.folder});
    if (!c.folder.empty()) {
      EXPECT_EQ(folder_files(dir_ / c.folder), (std::map<std::string, std::string>{{"kept.txt", "kept\n"}}));
    }
  }
  // The same folder, once clear, takes the save.
  std::filesystem::remove_all(dir_);
  std::filesystem::create_directories(dir_);
  ASSERT_TRUE(yrlhost::host_model_save(drawing, file("d.drw"), error)) << error;
  EXPECT_EQ(folder_files(dir_).size(), 3u);
}

// Edge case: a block with a cut, a hole and a named datum plane, saved and reopened.
TEST_F(FeatureFiles, SavedPartRebuildsTheSameSolid) {
  block();
  made_sketched(extrude(FRONT, through_all(), true), rect2d(2, 2, 4, 4));
  VynFeature plane = made(datum_plane(FRONT, 10));
  ASSERT_EQ(name_set(1, &plane, u"OFFSET_DTM_PLN1"), ok);
  VynFeature flipped = made(datum_plane(FRONT, 10, 1));
  VynFeature top10 = made(datum_plane(TOP, 10));
  made(hole(top10, 2, hole_blind(4), 7, 7));
  const yrlhost::geom::SolidSummary before = summary();
  ASSERT_GT(before.volume, 0);
  const std::vector<std::string> lines = yrlhost::host_model_lines(part);
  std::string error;
  const std::string path = file("block.prt");
  ASSERT_TRUE(yrlhost::host_model_save(part, path, error)) << error;

  // The solid beside the part holds what the part had.
  yrlhost::geom::Shape beside;
  ASSERT_EQ(yrlhost::geom::brep_read(yrlhost::part_brep_path(path), beside), yrlhost::geom::Status::ok);
  EXPECT_NEAR(yrlhost::geom::solid_summary(beside).volume, before.volume, 1e-9);
  EXPECT_EQ(yrlhost::geom::solid_summary(beside).faces, before.faces);

  ASSERT_TRUE(yrlhost::host_model_erase(part));
  part = yrlhost::host_model_open(path, error);
  ASSERT_NE(part, nullptr) << error;
  EXPECT_NEAR(summary().volume, before.volume, 1e-9);
  EXPECT_EQ(summary().faces, before.faces);
  EXPECT_EQ(yrlhost::host_model_lines(part), lines);
  // Edge case: the datum plane is found by its name and lies at z = 10, its flipped twin
  // at z = -10.
  int id = yrlhost::host_feature_find(part, "OFFSET_DTM_PLN1");
  ASSERT_EQ(id, plane.id);
  const yrlhost::StoredDatum* datum = datum_of(feature_item(id));
  ASSERT_NE(datum, nullptr);
  EXPECT_EQ(datum->plane.origin[2], 10);
  datum = datum_of(feature_item(flipped.id));
  ASSERT_NE(datum, nullptr);
  EXPECT_EQ(datum->plane.origin[2], -10);

  // The reopened sketched features have their sections back, so they can be redefined.
  VynFeature cut = feature_item(stored().features[4].id);
  VynElement tree = nullptr;
  ASSERT_EQ(feature_tree(1, &cut, &tree), ok);
  VynSection section = section_of(tree);
  yrlhost::geom::Frame frame{};
  std::vector<yrlhost::geom::SectionEntity> entities;
  double epsilon = 0;
  ASSERT_TRUE(yrlhost::section_read(section, frame, entities, epsilon));
  EXPECT_EQ(entities.size(), 4u);
  VynErrors errors{};
  const int options[] = {2};
  EXPECT_EQ(feature_redefine(1, nullptr, &cut, tree, options, 1, &errors), ok);
  EXPECT_EQ(release(tree), ok);
  EXPECT_NEAR(summary().volume, before.volume, 1e-9);
}

// A cut sketched on a face of the block and a hole placed on the same face: the face
// keeps its item id in the file, so the reopened part rebuilds both.
TEST_F(FeatureFiles, FeaturesOnFacesOfTheSolidRebuildFromTheFile) {
  block();
  const VynModelitem top_face = face_at({5, 10, 5});
  ASSERT_GT(top_face.id, 0);
  // On the top face (TOP's mapping: x = u, z = -v) a slot x 2..4, z 2..8 cut down
  // through all (436 = 1: against the face's normal), and a hole of diameter 2 at x 7,
  // z 5 through all.
  Node slot = extrude(top_face, through_all(), true);
  slot.children.push_back(I(436, 1));
  made_sketched(slot, rect2d(2, -8, 4, -2));
  made(hole(face_at({7, 10, 1}), 2, hole_through(), 5, 7));
  const double volume = 1000 - 2 * 6 * 10 - pi_value * 10;
  ASSERT_NEAR(summary().volume, volume, 1e-6);
  const int faces = summary().faces;
  const std::vector<std::string> lines = yrlhost::host_model_lines(part);

  std::string error;
  const std::string path = file("slotted.prt");
  ASSERT_TRUE(yrlhost::host_model_save(part, path, error)) << error;
  ASSERT_TRUE(yrlhost::host_model_erase(part));
  part = yrlhost::host_model_open(path, error);
  ASSERT_NE(part, nullptr) << error;
  for (const yrlhost::StoredFeature& feature : stored().features)
    EXPECT_EQ(feature.status, yrlhost::feature_status_active) << feature.id;
  EXPECT_NEAR(summary().volume, volume, 1e-6);
  EXPECT_EQ(summary().faces, faces);
  EXPECT_EQ(face_at({7, 10, 1}).id, top_face.id);
  EXPECT_EQ(yrlhost::host_model_lines(part), lines);
}

// A refused redefinition spends the ids it gave to the faces of the solids it tried: a
// later item never takes one of them, so the part saved after it reopens.
TEST_F(FeatureFiles, ARefusedRedefinitionGivesNoIdTwice) {
  block();
  const VynModelitem top = face_at({5, 10, 5});
  VynFeature blind_hole = made(hole(top, 2, hole_blind(3), 5, 7));
  const VynModelitem floor = face_at({7, 7, 5.5});  // the hole's floor, 3 below the top
  ASSERT_GT(floor.id, 0);
  made(datum_plane(floor, 1));
  // Through all, the hole has no floor for the datum plane: the redefinition is refused.
  VynElement tree = build(hole(top, 2, hole_through(), 5, 7));
  VynErrors errors{};
  const int options[] = {2};
  EXPECT_EQ(feature_redefine(1, nullptr, &blind_hole, tree, options, 1, &errors), VYN_TK_GENERAL_ERROR);
  EXPECT_EQ(release(tree), ok);
  const yrlhost::ItemIdTable table = yrlhost::part_item_ids(stored());
  for (const yrlhost::FaceIdRow& row : table.faces) EXPECT_LT(row.id, stored().next_item_id);
  for (const yrlhost::EdgeIdRow& row : table.edges) EXPECT_LT(row.id, stored().next_item_id);
  made(datum_plane(TOP, 4));
  std::string error;
  ASSERT_TRUE(yrlhost::host_model_save(part, file("holed.prt"), error)) << error;
  ASSERT_TRUE(yrlhost::host_model_erase(part));
  part = yrlhost::host_model_open(file("holed.prt"), error);
  EXPECT_NE(part, nullptr) << error;
}

// A pocket sketched on a boss's top, then a cut through all that takes the boss's top
// away: the pocket's sketch plane is the face as it stood before the pocket, so it can
// still be redefined, and a reopened part gives it its section back.
TEST_F(FeatureFiles, AFeatureOnAFaceALaterFeatureRemovesKeepsItsSketchPlane) {
  block();
  made_sketched(extrude(face_at({5, 10, 5}), blind(2)), rect2d(2, -8, 8, -2));
  const VynModelitem boss_top = face_at({5, 12, 5});
  ASSERT_GT(boss_top.id, 0);
  auto pocket = [&](double depth) {
    Node node = extrude(boss_top, blind(depth), true);
    node.children.push_back(I(436, 1));
    return node;
  };
  VynFeature cut = made_sketched(pocket(0.5), rect2d(4, -6, 6, -4));
  made_sketched(extrude(FRONT, through_all(), true), rect2d(-1, 11, 11, 13));
  ASSERT_EQ(regenerate(1, part, 0), ok);
  VynElement tree = build(pocket(0.6));
  VynErrors errors{};
  const int options[] = {2};
  EXPECT_EQ(feature_redefine(1, nullptr, &cut, tree, options, 1, &errors), ok);
  EXPECT_EQ(errors.count, 0);
  EXPECT_EQ(release(tree), ok);
  std::string error;
  ASSERT_TRUE(yrlhost::host_model_save(part, file("pocket.prt"), error)) << error;
  ASSERT_TRUE(yrlhost::host_model_erase(part));
  part = yrlhost::host_model_open(file("pocket.prt"), error);
  ASSERT_NE(part, nullptr) << error;
  const yrlhost::StoredFeature* reopened = yrlhost::stored_feature(stored(), cut.id);
  ASSERT_NE(reopened, nullptr);
  EXPECT_EQ(reopened->status, yrlhost::feature_status_active);
  EXPECT_NE(reopened->section, nullptr);
}

// A datum curve's section is open: where the curve is made, redefined, copied or read
// back; a curve redefined as a protrusion has a closed one. A copy's section has the
// tolerance and the entities of the original's.
TEST_F(FeatureFiles, ACurveSectionIsOpenWhereverItIsMade) {
  auto section_at = [this](VynFeature feature) {
    VynElement tree = nullptr;
    EXPECT_EQ(feature_tree(1, &feature, &tree), ok);
    VynSection section = section_of(tree);
    EXPECT_EQ(release(tree), ok);
    return section;
  };
  auto open_of = [&](VynFeature feature) { return yrlhost::section_open(section_at(feature)); };
  const Node curve_tree = N(386, {I(387, 949), I(511, 0), sketch_setup(FRONT, RIGHT)});
  VynFeature curve = made_sketched(curve_tree, rect2d(0, 0, 4, 4));
  EXPECT_TRUE(open_of(curve));
  auto redefine = [&](const Node& node) {
    VynElement tree = build(node);
    VynErrors errors{};
    const int options[] = {2};
    EXPECT_EQ(feature_redefine(1, nullptr, &curve, tree, options, 1, &errors), ok);
    EXPECT_EQ(release(tree), ok);
  };
  redefine(extrude(FRONT, blind(2)));
  EXPECT_NEAR(summary().volume, 32, 1e-9);
  EXPECT_FALSE(open_of(curve));
  redefine(curve_tree);
  EXPECT_TRUE(open_of(curve));

  auto epsilon_set = yrlhost::host_function<yrlhost::HostApi::VynSectionEpsilonSet>(table);
  ASSERT_EQ(epsilon_set(1, section_at(curve), 0.01), ok);
  VynMdl copy = nullptr;
  ASSERT_EQ(model_copy(1, part, u"COPY", &copy), ok);
  const VynFeature copied{yrlhost::item_type_feature, yrlhost::stored_model(copy)->features.back().id, copy};
  EXPECT_TRUE(open_of(copied));
  yrlhost::geom::Frame frame{};
  std::vector<yrlhost::geom::SectionEntity> entities, copied_entities;
  double epsilon = 0, copied_epsilon = 0;
  ASSERT_TRUE(yrlhost::section_read(section_at(curve), frame, entities, epsilon));
  ASSERT_TRUE(yrlhost::section_read(section_at(copied), frame, copied_entities, copied_epsilon));
  EXPECT_NE(section_at(copied), section_at(curve));
  EXPECT_EQ(copied_epsilon, 0.01);
  ASSERT_EQ(copied_entities.size(), entities.size());
  for (std::size_t i = 0; i < entities.size(); ++i) EXPECT_EQ(copied_entities[i].id, entities[i].id);
  std::string error;
  ASSERT_TRUE(yrlhost::host_model_save(part, file("curve.prt"), error)) << error;
  ASSERT_TRUE(yrlhost::host_model_erase(part));
  part = yrlhost::host_model_open(file("curve.prt"), error);
  ASSERT_NE(part, nullptr) << error;
  EXPECT_TRUE(open_of(feature_item(curve.id)));
}

TEST_F(FeatureFiles, DamagedFeatureLinesAreRefusedWithTheirLine) {
  struct Case {
    std::vector<std::string> lines;  // after the header, type and name
    std::string error;
  };
  const Case cases[] = {
      {{"tree 1", "0 386"}, ":4: \"tree\" before any feature of a part"},
      {{"feature 1 917 0 1", "tree 0"}, ":5: a tree has at least its root"},
      {{"feature 1 917 0 1", "tree 2", "0 386", "2 387 int 5"}, ":7: level 2 does not follow the line above"},
      {{"feature 1 917 0 1", "tree 2", "1 386", "1 387"}, ":6: a tree begins with its root, at level 0"},
      {{"feature 1 917 0 1", "tree 3", "0 386", "1 387 int 5", "2 1"}, ":8: an element with values holds no elements"},
      {{"feature 1 917 0 1", "tree 2", "0 386", "1 387 float 5"}, ":7: unknown value kind \"float\""},
      {{"feature 1 917 0 1", "tree 2", "0 386", "1 387 bool 2"}, ":7: a bool is 0 or 1"},
      {{"feature 1 917 0 1", "tree 2", "0 386", "1 387 int 5 int 6"}, ":7: several values without \"list\""},
      {{"feature 1 917 0 1", "tree 2", "0 386", "1 410 int 5"}, ":7: array element 410 holds no values"},
      {{"feature 1 917 0 1", "tree 2", "0 386", "1 387 string abc"}, ":7: a text is written null or =<text>"},
      // Fault: a count that ran past its lines was told as "level "end" is not an integer".
      {{"feature 1 917 0 1", "tree 3", "0 386"}, ":5: the tree's count, 3, runs past its lines: line 7 is \"end\""},
      {{"feature 1 917 0 1", "tree 3", "0 386", "1 387 int 917", "sketch 0", "datums"},
       ":5: the tree's count, 3, runs past its lines: line 8 is \"sketch 0\""},
      {{"feature 1 917 0 1", "tree 1", "0 386", "sketch 2", "1 point 0 0", "datums", "feature 2 917 0 1"},
       ":7: the sketch's count, 2, runs past its lines: line 9 is \"datums\""},
      {{"feature 1 917 0 1", "sketch 0"}, ":5: \"sketch\" before the feature's \"tree\""},
      {{"feature 1 917 0 1", "tree 1", "0 386", "sketch 1", "1 spline 0 0"}, ":8: unknown entity kind \"spline\""},
      {{"feature 1 917 0 1", "tree 1", "0 386", "sketch 1", "1 circle 0 0 0"}, ":8: radius is not above 0"},
      {{"feature 1 917 0 1", "tree 1", "0 386", "sketch 1", "1 line 0 0 1"}, ":8: expected \"<id> point|line|centerline|arc|circle <numbers>\""},
      {{"feature 1 917 0 1", "tree 1", "0 386", "sketch 2", "1 point 0 0", "1 point 1 1"}, ":9: entity id 1 is used twice"},
      {{"feature 1 917 0 1", "tree 1", "0 386", "datums 1"}, ":7: id 1 is used twice"},
      {{"feature 1 917 0 1", "tree 1", "0 386", "plane 2 0 0 0 1 0 0 0 1 0 0 0 1"}, ":7: a plane of a feature made from a tree"},
      {{"feature 1 917 0 1", "face 1 1 3 2 0"}, ":5: id 1 is used twice"},
      {{"face 2 1 4 2 0"}, ":4: role is not 0 to 3"},
      {{"face 2 1 3 -2 0"}, ":4: entity is negative"},
      {{"face 2 1 3 2"}, ":4: expected \"face <id> <feature> <role> <entity> <occurrence>\""},
      {{"edge 2 5 4 0"}, ":4: the lower face comes first"},
      {{"edge 0 4 5 0"}, ":4: id 0 is not positive"},
      {{"edge 2 4 5 0 1"}, ":4: expected \"edge <id> <face> <face> <occurrence>\""},
      {{"face 2 1 3 2 0", "face 3 1 3 2 0"}, ":5: a second id for the face of that origin"},
      {{"edge 2 4 5 0", "edge 3 4 5 0"}, ":5: a second id for the edge of those faces"},
  };
  // The ids of faces and edges belong to parts only.
  std::string error;
  EXPECT_FALSE(yrlhost::host_model_parse({"yrlhost-model 1", "type drawing", "name D", "face 1 1 3 2 0", "end"},
                                         "d.drw", error));
  EXPECT_EQ(error, "d.drw:4: \"face\" in a model that is not a part");
  for (const Case& c : cases) {
    std::vector<std::string> lines = {"yrlhost-model 1", "type part", "name P"};
    lines.insert(lines.end(), c.lines.begin(), c.lines.end());
    lines.push_back("end");
    std::string error;
    EXPECT_FALSE(yrlhost::host_model_parse(lines, "p.prt", error)) << c.error;
    EXPECT_EQ(error, "p.prt" + c.error);
  }
}

// A tree whose feature cannot be built reads; the feature is failed, the part loads.
TEST_F(FeatureFiles, AFeatureThatCannotBeBuiltStillLoads) {
  const std::vector<std::string> lines = {"yrlhost-model 1", "type part", "name P", "feature 1 917 0 1",
                                          "tree 2", "0 386", "1 387 wstring =caf%C3%A9", "sketch 0", "datums",
                                          "end"};
  std::string error;
  VynMdl loaded = yrlhost::host_model_read(lines, "p.prt", error);
  ASSERT_NE(loaded, nullptr) << error;
  EXPECT_EQ(yrlhost::stored_model(loaded)->features[0].status, yrlhost::feature_status_failed);
  // Written back as UTF-8, as names are.
  EXPECT_EQ(yrlhost::host_model_lines(loaded)[7], "1 387 wstring =caf\xC3\xA9");
}

}  // namespace
}  // namespace yrltest
