// The View Setup scenario run by the host from its menu: FRONT, TOP and RIGHT by box,
// chain and single picks, a section view and the drawing scale from a dimension; the
// saved drawing reopens with the views.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/storage/storage.h"
#include "app/views/viewdata.h"
#include "host/models.h"
#include "host/scenario.h"
#include "host/scenario_run.h"
#include "tests/app/app_test.h"

namespace {

const char kScenario[] = R"(# Declares FRONT, TOP and RIGHT views by box, chain and single picks, a section view,
# and the drawing scale from a dimension.
begin drawing
yrlhost-model 1
type drawing
name VIEWS
next-id 30
entity 1 1 background 0 default line 0 0 0 40 0 0
entity 2 1 background 0 default line 40 0 0 40 20 0
entity 3 1 background 0 default line 40 20 0 0 20 0
entity 4 1 background 0 default line 0 20 0 0 0 0
entity 5 1 background 0 default line 0 40 0 40 40 0
entity 6 1 background 0 default line 40 40 0 40 60 0
entity 7 1 background 0 default line 40 60 0 0 60 0
entity 8 1 background 0 default line 0 60 0 0 40 0
entity 9 1 background 0 default line 60 0 0 80 0 0
entity 10 1 background 0 default line 80 0 0 80 20 0
entity 11 1 background 0 default line 80 20 0 60 20 0
entity 12 1 background 0 default line 60 20 0 60 0 0
entity 13 1 background 0 default line 100 0 0 120 0 0
entity 14 1 background 0 default line 120 0 0 120 20 0
dimension 20 1 background 9 80 20 -10 0 2 2 0 4 0 0
end
end drawing
menu YrlMenuBar YrlViewSetup
press yrlviewsetup OrtViewPickBtn
press yrlselobj Add
mouse 1 -1 -1 0
box 0 0 0 41 21 0
press yrlselobj Close
radio yrlviewsetup RadioViewType TOP
press yrlviewsetup OrtViewPickBtn
radio yrlselobj RadioSelType chain
press yrlselobj Add
pick 77 6
press yrlselobj Close
radio yrlviewsetup RadioViewType RIGHT
press yrlviewsetup OrtViewPickBtn
radio yrlselobj RadioSelType single
press yrlselobj Add
pick 77 9 + 77 10 + 77 11 + 77 12
press yrlselobj Close
press yrlviewsetup OrtComputeScale
press yrlmeasure DistDimSelect
pick 8 20
press yrlmeasure Ok
tab yrlviewsetup MainTab Sec
type yrlviewsetup SecVNameInput sec_a none
press yrlviewsetup SecViewPickBtn
press yrlselobj Add
mouse 1 99 -1 0
box 0 0 0 121 21 0
press yrlselobj Close
press yrlviewsetup Close
save views.drw
)";

class ViewScenario : public yrltest::AppTest {};

TEST_F(ViewScenario, DeclaredViewsReopenWithTheDrawing) {
  ASSERT_EQ(start_app(), 0);
  yrlhost::Scenario scenario;
  std::string error;
  ASSERT_TRUE(yrlhost::scenario_parse(kScenario, ".", scenario, error)) << error;
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(yrlhost::scenario_run(scenario, out), 0);
  std::string report;
  std::rewind(out);
  for (int c = std::fgetc(out); c != EOF; c = std::fgetc(out)) report += static_cast<char>(c);
  std::fclose(out);
  EXPECT_NE(report.find("script failures: 0"), std::string::npos) << report;

  VynMdl drawing = yrlhost::host_model_find(yrlhost::model_type_drawing, "VIEWS");
  ASSERT_NE(drawing, nullptr);
  ASSERT_TRUE(yrlhost::host_model_erase(drawing));
  ASSERT_NE(yrlhost::host_model_open("views.drw", error), nullptr) << error;
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
