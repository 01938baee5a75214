// The bracket road that ships with the host (host/scenarios/bracket.txt, also yrlhost's
// default scenario), run from the host's menu: View Setup, New Part with its mapped
// views, a protrusion from a profile with one gap closed and kept, a cut through all, a
// hole, Clean Up and the drawing scale from a dimension. The part's solid is checked
// against the bracket's own measures, and the drawing's records after save and reopen.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "app/storage/storage.h"
#include "app/views/viewdata.h"
#include "host/pictures/svg_picture.h"
#include "host/store/drawings.h"
#include "host/geometry/geometry.h"
#include "host/store/model_store.h"
#include "host/store/models.h"
#include "host/files/model_files.h"
#include "tests/app/app_test.h"
#include "tests/app/scenario_run.h"
#include "tests/support/temp_dir.h"

namespace {

// The bracket: an L of 40 wide, 30 high and 5 thick, 20 deep; a groove 10 wide and 3
// deep across the underside at x 20 to 30; a hole of radius 3 down through the base at
// x 12, z 10 (the TOP view's circle at y 50, its top edge y 60 at z 0).
constexpr double kPi = 3.141592653589793;
constexpr double kDepth = 20;
constexpr double kLArea = 40 * 5 + 5 * 25;
constexpr double kGroove = 10 * 3;
constexpr double kHoleRadius = 3;
constexpr double kHoleLength = 5;

class BracketRoad : public yrltest::AppTest {
 protected:
  void road(const std::string& file, const char* drawing_name, int dimension_id);
  void pictures_check(VynMdl part);
};

// The pictures of the road's end: the drawing's window shows the sheet of the declared
// views; the part's sheet shows its three drawing views, each its solid's outline where
// the drawing declares that view (FRONT 0..40 x 0..30, TOP 0..40 x 40..60, RIGHT 60..80
// x 0..30, at scale 1), the hole's sides hidden in the FRONT view at x 9 and 15; the
// part's own picture shows it from (1, 1, 1).
void BracketRoad::pictures_check(VynMdl part) {
  const yrlhost::DrawingContent* drawing = yrlhost::host_drawing(yrlhost::window_model(yrlhost::main_window_id));
  ASSERT_NE(drawing, nullptr);
  ASSERT_EQ(drawing->views.size(), 3u);
  const int sheet = drawing->views[0].sheet;
  EXPECT_NE(sheet, drawing->current_sheet);
  std::vector<std::string> not_drawn;
  const std::vector<yrlhost::DrawEntry> entries =
      yrlhost::window_entries(yrlhost::main_window_id, sheet, &not_drawn);
  EXPECT_TRUE(not_drawn.empty());
  struct Box {
    double x0, y0, x1, y1;
  };
  const Box boxes[] = {{0, 0, 40, 30}, {0, 40, 40, 60}, {60, 0, 80, 30}};
  int hidden_in_front = 0;
  for (const yrlhost::DrawEntry& entry : entries) {
    // Lines by their ends, circles and arcs by their whole circle.
    const bool line = entry.kind == yrlhost::DrawKind::line;
    const double r = line ? 0 : entry.radius;
    const double x = entry.points[0][0], y = entry.points[0][1];
    const double x1 = line ? entry.points[1][0] : x, y1 = line ? entry.points[1][1] : y;
    bool inside = false;
    for (const Box& b : boxes)
      inside |= std::min(x, x1) - r >= b.x0 - 1e-9 && std::max(x, x1) + r <= b.x1 + 1e-9 &&
                std::min(y, y1) - r >= b.y0 - 1e-9 && std::max(y, y1) + r <= b.y1 + 1e-9;
    EXPECT_TRUE(inside) << x << ", " << y;
    if (line && entry.line_style == yrlhost::hidden_edge_line_style && x == x1 &&
        (std::fabs(x - 9) < 1e-9 || std::fabs(x - 15) < 1e-9) && std::max(y, y1) < 35)
      hidden_in_front += std::fabs(std::fabs(y1 - y) - 5) < 1e-9;
  }
  EXPECT_EQ(hidden_in_front, 2);
  const yrlhost::SvgPicture of_part = yrlhost::part_picture(part);
  EXPECT_GT(of_part.drawn, 0);
  EXPECT_TRUE(of_part.not_drawn.empty());
}

// The road on the host's own drawing and on the DXF file of the same bracket (whose
// import names the drawing after the file and numbers the dimension 21).
TEST_F(BracketRoad, SolidAndDrawingRecordsAfterSaveAndReopen) {
  ASSERT_EQ(start_app(), 0);
  road("bracket.txt", "BRACKET_DRW", 20);
}

TEST_F(BracketRoad, TheSameRoadOnTheDxfDrawing) {
  ASSERT_EQ(start_app(), 0);
  road("bracket_dxf.txt", "bracket", 21);
}

void BracketRoad::road(const std::string& file, const char* drawing_name, int dimension_id) {
  // A folder of this run's own: runs side by side, or by other users, never share it.
  yrltest::TempDir temp;
  const std::filesystem::path dir = temp.path();
  const std::string saved = (dir / "bracket.drw").string();
  std::string report = yrltest::run_shipped_scenario(file, saved);
  EXPECT_NE(report.find("script failures: 0"), std::string::npos) << report;

  // The part: its three solid features after the default datums, in the road's order.
  auto solid_features = [](VynMdl model) {
    std::string kinds;
    for (const auto& f : yrlhost::stored_model(model)->features)
      if (f.type == 917 || f.type == 916 || f.type == 911) kinds += std::to_string(f.type) + " ";
    return kinds;
  };
  VynMdl part = yrlhost::host_model_find(yrlhost::model_type_part, "BRACKET");
  ASSERT_NE(part, nullptr) << report;
  EXPECT_EQ(solid_features(part), "917 916 911 ");
  const yrlhost::geom::Shape live = yrlhost::stored_model(part)->solid;
  pictures_check(part);

  // The solid as the road left it, as saved beside the drawing, and as the part reopened
  // from its file rebuilds it (the cut and the hole stand on faces of the solid, which
  // keep their ids in the file).
  yrlhost::geom::Shape from_file;
  ASSERT_EQ(yrlhost::geom::brep_read((dir / "BRACKET.brep").string(), from_file),
            yrlhost::geom::Status::ok);
  ASSERT_TRUE(yrlhost::host_model_erase(part));
  std::string error;
  part = yrlhost::host_model_open((dir / "BRACKET.prt").string(), error);
  ASSERT_NE(part, nullptr) << error;
  EXPECT_EQ(solid_features(part), "917 916 911 ");
  for (const auto& f : yrlhost::stored_model(part)->features) EXPECT_EQ(f.status, 0) << f.id;
  const yrlhost::geom::Shape reopened = yrlhost::stored_model(part)->solid;
  EXPECT_EQ(yrlhost::geom::solid_summary(reopened).faces, yrlhost::geom::solid_summary(live).faces);
  for (const yrlhost::geom::Shape* shape : {&live, static_cast<const yrlhost::geom::Shape*>(&from_file), &reopened}) {
    const yrlhost::geom::SolidSummary s = yrlhost::geom::solid_summary(*shape);
    EXPECT_EQ(s.solids, 1);
    EXPECT_NEAR(s.volume, (kLArea - kGroove) * kDepth - kPi * kHoleRadius * kHoleRadius * kHoleLength, 1e-6);
    const double lo[3] = {0, 0, 0}, hi[3] = {40, 30, 20};
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(s.box.min[i], lo[i], 1e-6) << i;
      EXPECT_NEAR(s.box.max[i], hi[i], 1e-6) << i;
    }
    // Planes: the L's six sides and two ends, the left side's closing piece (the kept
    // line of the gap sweeps its own face), the underside split by the groove (one more)
    // and the groove's three; every other face is the hole's wall.
    int planes = 0, walls = 0;
    for (int face = 1; face <= s.faces; ++face) {
      yrlhost::geom::FaceInfo f;
      ASSERT_EQ(yrlhost::geom::face_info(*shape, face, f), yrlhost::geom::Status::ok);
      if (f.kind == yrlhost::geom::SurfaceKind::plane) {
        ++planes;
        continue;
      }
      ASSERT_EQ(f.kind, yrlhost::geom::SurfaceKind::cylinder) << face;
      ++walls;
      EXPECT_NEAR(f.radius, kHoleRadius, 1e-9);
      EXPECT_NEAR(std::fabs(f.e3[1]), 1, 1e-9);  // the axis runs up, along y
      EXPECT_NEAR(f.origin[0], 12, 1e-9);
      EXPECT_NEAR(f.origin[2], 10, 1e-9);
    }
    EXPECT_EQ(planes, 8 + 1 + 1 + 3);
    EXPECT_GE(walls, 1);
  }

  // The drawing reopened: the declared views with their members (FRONT's with the kept
  // closing line), the part's mapping on its sheet, the blanked dimension and the scale.
  VynMdl drawing = yrlhost::host_model_find(yrlhost::model_type_drawing, drawing_name);
  ASSERT_NE(drawing, nullptr);
  ASSERT_TRUE(yrlhost::host_model_erase(drawing));
  drawing = yrlhost::host_model_open(saved, error);
  ASSERT_NE(drawing, nullptr) << error;
  ASSERT_EQ(YrlAllClassRegister(), 0);
  struct Expected {
    const char* name;
    int members;
  };
  for (const Expected& v : {Expected{"FRONT", 11}, Expected{"TOP", 5}, Expected{"RIGHT", 5}}) {
    YrlViewData r{};
    ASSERT_EQ(YrlViewDataRead(v.name, &r), 0) << v.name;
    EXPECT_EQ(r.member_count, v.members) << v.name;
  }
  const yrlhost::DrawingContent* content = yrlhost::host_drawing(drawing);
  ASSERT_NE(content, nullptr);
  ASSERT_EQ(content->models.size(), 1u);
  EXPECT_EQ(content->models[0], u"BRACKET");
  int on_sheet = 0;
  for (const auto& v : content->views) on_sheet += v.sheet == 2 && v.model == u"BRACKET";
  EXPECT_EQ(on_sheet, 3);
  // The closing line of the gap: from the end of the open side to the profile's corner.
  bool closing = false;
  for (const auto& [id, e] : content->entities) {
    const auto& line = e.curve.record.line;
    if (id == 6 || line.type != VYN_CURVE_LINE) continue;
    closing |= std::fabs(line.end1[0]) < 1e-9 && std::fabs(line.end2[0]) < 1e-9 &&
               std::fabs(std::fabs(line.end1[1] - line.end2[1]) - 2) < 1e-9;
  }
  EXPECT_TRUE(closing);
  bool dim_blank = false;
  for (const auto& [id, l] : content->layers)
    dim_blank |= l.name == u"YRL_DIM" && l.saved_status == yrlhost::layer_status_blank &&
                 l.items.size() == 1 && l.items[0].id == dimension_id;
  EXPECT_TRUE(dim_blank);
  double scale = 0;
  EXPECT_EQ(YrlViewDoubleRetrieve("YRL_DWGSCALE", &scale), 0);
  EXPECT_EQ(scale, 1);
}

}  // namespace
