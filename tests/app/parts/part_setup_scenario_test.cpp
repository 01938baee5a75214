// The Part Setup scenario that ships with the host (host/scenarios/part_setup.txt), run
// from the host's menu: View Setup, New Part from Part Setup with the automatic view map
// and drawing views on a new sheet, and Clean Up; the saved drawing reopens with the
// views, the part, its mapping and sheet, the active part and the blanked layers.
#include <gtest/gtest.h>

#include <string>

#include "app/parts/autoview.h"
#include "app/storage/storage.h"
#include "app/util/apputil.h"
#include "app/views/viewdata.h"
#include "host/store/drawings.h"
#include "host/store/models.h"
#include "host/files/model_files.h"
#include "tests/app/app_test.h"
#include "tests/app/scenario_run.h"

namespace {

class PartScenario : public yrltest::AppTest {};

TEST_F(PartScenario, PartMappingViewsAndLayersReopenWithTheDrawing) {
  ASSERT_EQ(start_app(), 0);
  // The drawing is saved in a folder of the run's own, not beside the scenario.
  yrltest::TempDir temp;
  const std::string saved = temp.file("parts.drw");
  std::string report = yrltest::run_shipped_scenario("part_setup.txt", saved);
  EXPECT_NE(report.find("script failures: 0"), std::string::npos) << report;

  VynMdl drawing = yrlhost::host_model_find(yrlhost::model_type_drawing, "PARTS");
  ASSERT_NE(drawing, nullptr);
  ASSERT_TRUE(yrlhost::host_model_erase(drawing));
  std::string error;
  drawing = yrlhost::host_model_open(saved, error);
  ASSERT_NE(drawing, nullptr) << error;
  ASSERT_EQ(YrlAllClassRegister(), 0);
  ASSERT_EQ(YrlActiveClassRegister(), 0);

  // The declared views and the part.
  for (const char* name : {"FRONT", "TOP", "RIGHT", "SEC_A"}) {
    YrlViewData r{};
    EXPECT_EQ(YrlViewDataRead(name, &r), 0) << name;
  }
  const yrlhost::DrawingContent* content = yrlhost::host_drawing(drawing);
  ASSERT_EQ(content->models.size(), 1u);
  EXPECT_EQ(content->models[0], u"BLOCK");
  EXPECT_EQ(YrlActiveModelNameRetrieve(drawing), 0);
  char active[YRL_MODEL_NAME_SIZE] = "";
  YrlActiveModelNameGet(active);
  EXPECT_STREQ(active, "BLOCK");

  // The mapping, the sheet and its three drawing views.
  VynArray views = nullptr, sides = nullptr;
  int count = 0;
  ASSERT_EQ(YrlMappedViewsGet("BLOCK", &views, &sides, nullptr, &count), 0);
  ASSERT_EQ(count, 3);
  std::string pairs;
  for (int i = 0; i < count; ++i)
    pairs += std::string(static_cast<char*>(views) + YRL_MAP_FIELD_SIZE * i) + "=" +
             (static_cast<char*>(sides) + YRL_MAP_FIELD_SIZE * i) + " ";
  VynArrayFree(&views);
  VynArrayFree(&sides);
  EXPECT_EQ(pairs, "FRONT=FRONT(Side1) RIGHT=RIGHT(Side1) TOP=TOP(Side1) ");
  int sheet = 0;
  ASSERT_EQ(YrlDrwPartSheetNumGet("BLOCK", &sheet), 0);
  EXPECT_EQ(sheet, 2);
  int on_sheet = 0;
  for (const auto& v : content->views) on_sheet += v.sheet == 2 && v.model == u"BLOCK";
  EXPECT_EQ(on_sheet, 3);

  // The blanked layers of Clean Up.
  auto layer = [&](const std::u16string& name) -> std::string {
    for (const auto& [id, l] : content->layers) {
      if (l.name != name) continue;
      std::string out = l.saved_status == yrlhost::layer_status_blank ? "blank" : "shown";
      for (const auto& m : l.items) out += " " + std::to_string(m.id);
      return out;
    }
    return "missing";
  };
  EXPECT_EQ(layer(u"YRL_DIM"), "blank 20");
  EXPECT_EQ(layer(u"YRL_NOTES"), "blank 18");
  EXPECT_EQ(layer(u"YRL_SYMBOLS"), "blank 19");
  EXPECT_EQ(layer(u"YRL_RED"), "blank 15");
  EXPECT_EQ(layer(u"YRL_BLUE"), "blank 16");
  EXPECT_EQ(layer(u"YRL_PREVIEW"), "missing");
}

}  // namespace
