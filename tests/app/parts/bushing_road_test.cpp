// The bushing scenario that ships with the host (host/scenarios/bushing.txt), run from
// the host's menu: a revolve built from a profile, its axis and a sketch plane picked in
// the drawing, then a protrusion that the wizard builds and Cancel takes out again. The
// revolve is checked against the bushing's own measures; the part after the cancel
// against the part as the revolve left it, and as it reopens from its file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "host/geometry/geometry.h"
#include "host/store/model_store.h"
#include "host/store/models.h"
#include "host/files/model_files.h"
#include "host/ui/ui.h"
#include "tests/app/app_test.h"
#include "tests/app/scenario_run.h"
#include "tests/support/temp_dir.h"

namespace {

// The bushing turned about the vertical axis x = 6, z = 6: a flange of radius 6 from y 0
// to 1, a hub of radius 3 up to y 5, a bore of radius 2 through.
constexpr double kPi = 3.141592653589793;
constexpr double kVolume = kPi * ((6 * 6 - 2 * 2) * 1 + (3 * 3 - 2 * 2) * 4);

using FeatureRow = std::tuple<int, int, std::u16string, int>;  // id, type, name, status

std::vector<FeatureRow> feature_rows(VynMdl part) {
  std::vector<FeatureRow> rows;
  for (const yrlhost::StoredFeature& f : yrlhost::stored_model(part)->features)
    rows.emplace_back(f.id, f.type, f.name, f.status);
  return rows;
}

class BushingRoad : public yrltest::AppTest {};

TEST_F(BushingRoad, RevolveBuildsAndACancelledFeatureLeavesThePartAsItWas) {
  ASSERT_EQ(start_app(), 0);
  yrltest::TempDir temp;
  const std::filesystem::path dir = temp.path();

  // Checks run between the scenario's actions: the part as the revolve left it, when
  // the protrusion starts; the protrusion built, when Cancel is first pressed.
  std::vector<FeatureRow> after_revolve;
  double volume_after_revolve = 0, volume_before_cancel = 0;
  std::size_t features_before_cancel = 0;
  bool answered_no = false;
  auto part = [] { return yrlhost::host_model_find(yrlhost::model_type_part, "BUSHING"); };
  auto adjust = [&](yrlhost::Scenario& scenario) {
    auto at = [&scenario](const std::string& source) {
      return std::find_if(scenario.actions.begin(), scenario.actions.end(),
                          [&](const yrlhost::ScriptAction& a) { return a.source == source; });
    };
    yrlhost::ScriptAction snapshot;
    snapshot.run = [&] {
      ASSERT_NE(part(), nullptr);
      after_revolve = feature_rows(part());
      volume_after_revolve = yrlhost::geom::solid_summary(yrlhost::stored_model(part())->solid).volume;
    };
    ASSERT_NE(at("menu YrlFeatMenuBar YrlFProtrusion"), scenario.actions.end());
    scenario.actions.insert(at("menu YrlFeatMenuBar YrlFProtrusion"), snapshot);
    yrlhost::ScriptAction built;
    built.run = [&] {
      ASSERT_NE(part(), nullptr);
      features_before_cancel = yrlhost::stored_model(part())->features.size();
      volume_before_cancel = yrlhost::geom::solid_summary(yrlhost::stored_model(part())->solid).volume;
    };
    ASSERT_NE(at("press yrlfeatdlg cancel_btn"), scenario.actions.end());
    scenario.actions.insert(at("press yrlfeatdlg cancel_btn"), built);
    // Cancel answered "no" keeps the wizard and what it built.
    yrlhost::ScriptAction kept;
    kept.run = [&] {
      ASSERT_NE(part(), nullptr);
      EXPECT_TRUE(yrlhost::ui_dialog_is_open("yrlfeatdlg"));
      EXPECT_EQ(yrlhost::stored_model(part())->features.size(), features_before_cancel);
      EXPECT_NEAR(yrlhost::geom::solid_summary(yrlhost::stored_model(part())->solid).volume, volume_before_cancel,
                  1e-9);
      answered_no = true;
    };
    auto no = at("press yrlconfirmdlg no_btn");
    ASSERT_NE(no, scenario.actions.end());
    scenario.actions.insert(no + 1, kept);
  };
  const std::string report = yrltest::run_shipped_scenario("bushing.txt", (dir / "bushing.drw").string(), adjust);
  EXPECT_NE(report.find("script failures: 0"), std::string::npos) << report;
  ASSERT_NE(part(), nullptr) << report;

  // The revolve: the datum plane it made through the axis, then the solid feature.
  ASSERT_GE(after_revolve.size(), 2u);
  EXPECT_EQ(std::get<2>(after_revolve[after_revolve.size() - 2]), u"OFFSET_DTM_PLN1");
  EXPECT_EQ(std::get<1>(after_revolve.back()), 917);
  EXPECT_NEAR(volume_after_revolve, kVolume, 1e-6);

  // While the wizard ran, the protrusion (and its sketch preview) stood in the part with
  // its material: the left half of the outline, 4 by 1 and 1 by 4 less the bore's strip,
  // 2 deep from the plane through the axis, partly inside the revolve.
  EXPECT_GT(features_before_cancel, after_revolve.size());
  EXPECT_GT(volume_before_cancel, kVolume + 1);
  EXPECT_TRUE(answered_no);

  // After Cancel: the same features, the same solid.
  EXPECT_EQ(feature_rows(part()), after_revolve);
  const yrlhost::geom::Shape solid = yrlhost::stored_model(part())->solid;
  auto check_solid = [](const yrlhost::geom::Shape& shape, const char* what) {
    const yrlhost::geom::SolidSummary s = yrlhost::geom::solid_summary(shape);
    EXPECT_EQ(s.solids, 1) << what;
    EXPECT_NEAR(s.volume, kVolume, 1e-6) << what;
    const double lo[3] = {0, 0, 0}, hi[3] = {12, 5, 12};
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(s.box.min[i], lo[i], 1e-6) << what << " " << i;
      EXPECT_NEAR(s.box.max[i], hi[i], 1e-6) << what << " " << i;
    }
    // Three annular planes across the axis and the three cylinders about it.
    ASSERT_EQ(s.faces, 6) << what;
    std::vector<double> radii;
    for (int face = 1; face <= s.faces; ++face) {
      yrlhost::geom::FaceInfo f;
      ASSERT_EQ(yrlhost::geom::face_info(shape, face, f), yrlhost::geom::Status::ok);
      EXPECT_NEAR(std::fabs(f.e3[1]), 1, 1e-9) << what << " face " << face;
      if (f.kind == yrlhost::geom::SurfaceKind::plane) continue;
      ASSERT_EQ(f.kind, yrlhost::geom::SurfaceKind::cylinder) << what << " face " << face;
      EXPECT_NEAR(f.origin[0], 6, 1e-9);
      EXPECT_NEAR(f.origin[2], 6, 1e-9);
      radii.push_back(f.radius);
    }
    std::sort(radii.begin(), radii.end());
    ASSERT_EQ(radii.size(), 3u) << what;
    const double expected[3] = {2, 3, 6};
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(radii[i], expected[i], 1e-9) << what;
  };
  check_solid(solid, "after the cancel");

  // The part saved with the drawing reopens with the revolve rebuilt.
  std::string error;
  ASSERT_TRUE(yrlhost::host_model_erase(part()));
  VynMdl reopened = yrlhost::host_model_open((dir / "BUSHING.prt").string(), error);
  ASSERT_NE(reopened, nullptr) << error;
  EXPECT_EQ(feature_rows(reopened), after_revolve);
  check_solid(yrlhost::stored_model(reopened)->solid, "reopened");
}

}  // namespace
