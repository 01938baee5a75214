// The report of the session's models that yrlhost prints after a scenario.
#include <string>
#include <vector>

#include "host/store/model_report.h"
#include "drawing_test.h"

namespace {

using yrlhost::HostApi;

class ModelReport : public yrltest::DrawingTest {};

TEST_F(ModelReport, EachModelWithItsSheetsModelsViewsItemsAndLayers) {
  std::string error;
  ASSERT_EQ(call<HostApi::VynDrawingSolidAdd>(drawing, part), 0);
  ASSERT_EQ(call<HostApi::VynDrawingScaleSet>(drawing, part, 1, 0.5), 0);
  const double position[3] = {100, 50, 0};
  const double front[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  VynView view = nullptr;
  ASSERT_EQ(call<HostApi::VynDrawingGeneralviewCreate>(drawing, part, 1, 0, position, 0.0, front, &view), 0);
  const double a[3] = {0, 0, 0}, b[3] = {10, 0, 0}, c[3] = {5, 5, 0};
  line(a, b);
  yrlhost::DraftEntity arc;
  arc.hidden = true;
  arc.colour.method = 2;
  arc.colour.value.rgb[0] = 1;
  arc.curve = yrlhost::draft_arc(c, 2, 0, 3.141592653589793);
  ASSERT_GT(yrlhost::host_entity_add(drawing, arc, error), 0) << error;
  yrlhost::DraftNote note;
  note.lines = {u"FIRST", u"SECOND"};
  note.attachment.location[0] = 3;
  ASSERT_GT(yrlhost::host_note_add(drawing, note, error), 0) << error;
  yrlhost::DrawingDimension dimension;
  dimension.value = 20;
  dimension.attachments = {{2, 0}, {3, 1}};
  ASSERT_GT(yrlhost::host_dimension_add(drawing, dimension, error), 0) << error;
  VynLayer layer{}, empty{};
  ASSERT_EQ(call<HostApi::VynLayerCreate>(drawing, u"YRL_DIM", &layer), 0);
  for (VynLayerItem item : {VynLayerItem{yrlhost::item_type_draft_entity, 2, drawing},
                            VynLayerItem{yrlhost::item_type_dimension, 5, drawing}})
    ASSERT_EQ(call<HostApi::VynLayerItemAdd>(&layer, &item), 0);
  ASSERT_EQ(call<HostApi::VynLayerDisplaystatusSet>(&layer, 3), 0);  // not saved
  ASSERT_EQ(call<HostApi::VynLayerCreate>(drawing, u"EMPTY LAYER", &empty), 0);

  const std::vector<std::string> expected = {
      "  part BLOCK (INCH), 0 features",
      "    features: none",
      "    solid: none",
      "  drawing PLATE (INCH), current sheet 1",
      "    sheets:",
      "      sheet size scale transform",
      "      1     A    1     1 0 0 0 / 0 1 0 0 / 0 0 1 0 / 0 0 0 1",
      "    models and scales:",
      "      part  sheet scale",
      "      BLOCK 1     0.5",
      "    views:",
      "      id name   sheet parent part  scale position",
      "      1  VIEW_1 1     -      BLOCK 0.5   (100, 50, 0)",
      "    entities:",
      "      id sheet view       colour    hidden curve",
      "      2  1     background default   yes    line (0, 0, 0) (10, 0, 0)",
      "      3  1     background rgb 1 0 0 yes    arc (5, 5, 0) radius 2 from (7, 5, 0) to (3, 5, 0)",
      "    notes:",
      "      id sheet view       colour  attachment        text",
      "      4  1     background default free at (3, 0, 0) \"FIRST\" | \"SECOND\"",
      "    symbols: none",
      "    dimensions:",
      "      id sheet view       type value position  attached text",
      "      5  1     background 9    20    (0, 0, 0) 2,3/1",
      "    layers:",
      "      id name        status saved items",
      "      6  YRL_DIM     blank  shown entity 2, dimension 5",
      "      7  EMPTY LAYER shown  shown -",
  };
  EXPECT_EQ(yrlhost::host_models_report(), expected);
}

}  // namespace
