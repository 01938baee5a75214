// The worked example of the scenario guide (host/resources/README.md): the DXF drawing
// host/scenarios/step_block.dxf taken through host/scenarios/step_block.txt to its solid,
// a block 60 wide, 40 deep and 30 high stepped down to 20 over x 40 to 60, a slot x 10 to
// 25, z 10 to 30 through its height, and a hole of diameter 8 along x at y 10, z 20.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host/geometry/geometry.h"
#include "host/store/model_store.h"
#include "host/store/models.h"
#include "tests/app/app_test.h"
#include "tests/app/scenario_run.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr double kPi = 3.141592653589793;

class StepBlockRoad : public yrltest::AppTest {};

TEST_F(StepBlockRoad, TheGuidesExampleBuildsItsSolid) {
  ASSERT_EQ(start_app(), 0);
  yrltest::TempDir temp;
  const std::string report =
      yrltest::run_shipped_scenario("step_block.txt", (std::filesystem::path(temp.path()) / "step.drw").string());
  EXPECT_NE(report.find("script failures: 0"), std::string::npos) << report;

  VynMdl part = yrlhost::host_model_find(yrlhost::model_type_part, "STEP_BLOCK");
  ASSERT_NE(part, nullptr) << report;
  std::string kinds;
  for (const auto& f : yrlhost::stored_model(part)->features) {
    if (f.type != 917 && f.type != 916 && f.type != 911) continue;
    kinds += std::to_string(f.type) + " ";
    EXPECT_EQ(f.status, 0) << f.id;
  }
  EXPECT_EQ(kinds, "917 916 911 ");
  const yrlhost::geom::SolidSummary s = yrlhost::geom::solid_summary(yrlhost::stored_model(part)->solid);
  EXPECT_EQ(s.solids, 1);
  // The stepped block, less the slot, less the hole where the slot has not taken it.
  const double block = (60 * 20 + 40 * 10) * 40.0, slot = 15 * 20 * 30.0, hole = kPi * 4 * 4 * (60 - 15);
  EXPECT_NEAR(s.volume, block - slot - hole, 1e-6);
  const double lo[3] = {0, 0, 0}, hi[3] = {60, 30, 40};
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(s.box.min[i], lo[i], 1e-6) << i;
    EXPECT_NEAR(s.box.max[i], hi[i], 1e-6) << i;
  }
}

}  // namespace
