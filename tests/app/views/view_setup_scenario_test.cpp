// The View Setup scenario that ships with the host (host/scenarios/view_setup.txt), run
// from the host's menu: FRONT, TOP and RIGHT by box, chain and single picks, a section
// view and the drawing scale from a dimension; the saved drawing reopens with the views.
#include <gtest/gtest.h>

#include <string>

#include "app/storage/storage.h"
#include "app/views/viewdata.h"
#include "host/store/models.h"
#include "host/files/model_files.h"
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

TEST_F(ViewScenario, ASectionNamedLikeAnOrthographicViewIsRefused) {
  ASSERT_EQ(start_app(), 0);
  yrltest::TempDir temp;
  const std::string saved = temp.file("taken.drw");
  std::string report = yrltest::run_shipped_scenario("view_name_taken.txt", saved);
  EXPECT_NE(report.find("script failures: 0"), std::string::npos) << report;
  EXPECT_NE(report.find("The name FRONT belongs to another view or to the drawing's view data; choose another name."),
            std::string::npos)
      << report;

  // Saved and reopened: FRONT is still the orthographic view of its own four lines.
  VynMdl drawing = yrlhost::host_model_find(yrlhost::model_type_drawing, "TAKEN");
  ASSERT_NE(drawing, nullptr);
  ASSERT_TRUE(yrlhost::host_model_erase(drawing));
  std::string error;
  ASSERT_NE(yrlhost::host_model_open(saved, error), nullptr) << error;
  ASSERT_EQ(YrlViewClassRegister(), 0);
  YrlViewData front{};
  ASSERT_EQ(YrlViewDataRead("FRONT", &front), 0);
  EXPECT_EQ(front.view_type, 1);
  EXPECT_EQ(front.group_id, 2);
  EXPECT_EQ(front.member_count, 4);
  for (int i = 0; i < 4; ++i) {
    int id = 0;
    EXPECT_EQ(YrlViewIntegerRetrieve(("FRONT_" + std::to_string(i)).c_str(), &id), 0);
    EXPECT_GE(id, 1);
    EXPECT_LE(id, 4);
  }
  YrlViewData sec{};
  ASSERT_EQ(YrlViewDataRead("SEC_A", &sec), 0);
  EXPECT_EQ(sec.view_type, 2);
  EXPECT_EQ(sec.group_id, 10);  // the refused name handed out no group id
  EXPECT_EQ(sec.member_count, 2);
}

}  // namespace
