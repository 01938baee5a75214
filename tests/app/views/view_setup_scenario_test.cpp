// The View Setup scenario that ships with the host (host/scenarios/view_setup.txt), run
// from the host's menu: FRONT, TOP and RIGHT by box, chain and single picks, a section
// view and the drawing scale from a dimension; the saved drawing reopens with the views.
#include <gtest/gtest.h>

#include <string>

#include "app/storage/storage.h"
#include "app/views/viewdata.h"
#include "host/store/models.h"
#include "tests/app/app_test.h"
#include "tests/app/scenario_run.h"

namespace {


class ViewScenario : public yrltest::AppTest {};

TEST_F(ViewScenario, DeclaredViewsReopenWithTheDrawing) {
  ASSERT_EQ(start_app(), 0);
  // The drawing is saved in a folder of the run's own, not beside the scenario.
  yrltest::TempDir temp;
  const std::string saved = temp.file("views.drw");
  std::string report = yrltest::run_shipped_scenario("view_setup.txt", saved);
  EXPECT_NE(report.find("script failures: 0"), std::string::npos) << report;

  VynMdl drawing = yrlhost::host_model_find(yrlhost::model_type_drawing, "VIEWS");
  ASSERT_NE(drawing, nullptr);
  ASSERT_TRUE(yrlhost::host_model_erase(drawing));
  std::string error;
  ASSERT_NE(yrlhost::host_model_open(saved, error), nullptr) << error;
  ASSERT_EQ(YrlViewClassRegister(), 0);
  struct Expected {
    const char* name;
    int type, group, members;
  };
  for (const Expected& v : {Expected{"FRONT", 1, 2, 4}, Expected{"TOP", 1, 1, 4}, Expected{"RIGHT", 1, 3, 4},
                            Expected{"SEC_A", 2, 10, 2}}) {
    YrlViewData r{};
    ASSERT_EQ(YrlViewDataRead(v.name, &r), 0) << v.name;
    EXPECT_EQ(r.view_type, v.type) << v.name;
    EXPECT_EQ(r.group_id, v.group) << v.name;
    EXPECT_EQ(r.member_count, v.members) << v.name;
  }
  double scale = 0;
  EXPECT_EQ(YrlViewDoubleRetrieve("YRL_DWGSCALE", &scale), 0);
  EXPECT_EQ(scale, 0.5);
}

}  // namespace
