// The Calculate Scale dialog through the scripted user: radius and linear dimensions,
// values read from the text, refused scales, and the blank layers shown while picking.
#include "app/measure/measure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "app/prefs/prefs.h"
#include "host/plugin/call_log.h"
#include "host/store/drawings.h"
#include "host/ui/messages.h"
#include "host/ui/ui.h"
#include "tests/app/util/apputil_fixture.h"

namespace {

constexpr double kPi = 3.141592653589793;

class Measure : public yrltest::UtilTest {
 protected:
  void SetUp() override {
    UtilTest::SetUp();
    line_entity(1, {0, 0, 0}, {0, 30, 0});
    line_entity(2, {20, 0, 0}, {20, 30, 0});
    arc_entity(3, {1, 0, 0}, {50, 50, 0}, 0, kPi / 2, 5);
  }

  void dimension(int id, int type, double value, std::vector<int> entities, std::u16string text = u"") {
    yrlhost::DrawingDimension d;
    d.id = id;
    d.type = type;
    d.value = value;
    if (!text.empty()) d.lines = {text};
    for (int e : entities) d.attachments.push_back({e, 0});
    std::string error;
    ASSERT_EQ(yrlhost::host_dimension_add(drawing, d, error), id) << error;
  }

  static bool shown(const std::string& text) {
    for (const std::string& m : yrlhost::messages_displayed())
      if (m.find(text) != std::string::npos) return true;
    return false;
  }
};

TEST_F(Measure, ScaleFromRadiusAndLinearDimensions) {
  struct Case {
    int type;
    double value;
    std::vector<int> entities;
    double scale;
    bool to_enabled;
  };
  const Case cases[] = {
      {3, 10.0, {3}, 0.5, false},     // radius 5 on the sheet
      {9, 40.0, {1, 2}, 0.5, true},   // lines 20 apart
      {4, 2.5, {3}, 4.0, false},      // diameter: twice the radius
  };
  int id = 10;
  for (const Case& c : cases) {
    dimension(id, c.type, c.value, c.entities);
    user("press yrlmeasure DistDimSelect");
    user("pick 8 " + std::to_string(id));
    user("press yrlmeasure Ok");
    double scale = -1;
    EXPECT_EQ(YrlMeasureDialog(&scale), 0) << c.type;
    EXPECT_DOUBLE_EQ(scale, c.scale) << c.type;
    auto to = yrlhost::ui_component_snapshot("yrlmeasure", "DistToSelect");
    ASSERT_TRUE(to);
    EXPECT_EQ(to->enabled, c.to_enabled) << c.type;
    ++id;
  }
  // A diameter dimension measured again from a picked arc: twice its radius.
  user("press yrlmeasure DistDimSelect");
  user("pick 8 12");
  user("press yrlmeasure DistFromSelect");
  user("pick 77 3");
  user("press yrlmeasure Ok");
  double scale = 0;
  EXPECT_EQ(YrlMeasureDialog(&scale), 0);
  EXPECT_DOUBLE_EQ(scale, 4.0);
}

TEST_F(Measure, AZeroValueIsReadFromTheTextOrRefused) {
  dimension(10, 9, 0.0, {1, 2}, u"{1:40}");
  dimension(11, 9, 0.0, {1, 2});
  user("press yrlmeasure DistDimSelect");
  user("pick 8 10");
  user("press yrlmeasure Ok");
  double scale = 0;
  EXPECT_EQ(YrlMeasureDialog(&scale), 0);
  EXPECT_DOUBLE_EQ(scale, 0.5);

  // No value anywhere: no infinite scale, the dialog's error, and -1 after Ok.
  user("press yrlmeasure DistDimSelect");
  user("pick 8 11");
  user("press yrlmeasure Ok");
  scale = -1;
  EXPECT_EQ(YrlMeasureDialog(&scale), -1);
  EXPECT_EQ(scale, 0.0);
  EXPECT_TRUE(shown("Cannot compute scale. Please select a different dimension."));
}

TEST_F(Measure, ValuesOfRadiusAndDiameterDimensionsFromTheirTexts) {
  struct Case {
    int type;
    std::u16string text;
    double value;
  };
  // A radius text skips one more field than a diameter text before its value.
  const Case cases[] = {
      {9, u"{1:40}", 40},          {3, u"{0:R}{1:X}{2:6}", 6}, {4, u"{0:D}{1:7}", 7},
      {4, u"{0:D}{1:X}{2:6}", 0},  {3, u"{0:R}{1:5}", 0},     {4, u"{0:D}", 0},
  };
  int id = 10;
  for (const Case& c : cases) {
    dimension(id, c.type, 0.0, {3}, c.text);
    VynDimension item{8, id, drawing};
    double value = -1;
    EXPECT_EQ(YrlDimensionValueGet(&item, &value), 0) << c.type << " " << std::string(c.text.begin(), c.text.end());
    EXPECT_DOUBLE_EQ(value, c.value) << c.type << " " << std::string(c.text.begin(), c.text.end());
    ++id;
  }
  // Through the dialog: the arc's radius 5 over the radius text's 6, twice it over 7.
  user("press yrlmeasure DistDimSelect");
  user("pick 8 11");
  user("press yrlmeasure Ok");
  double scale = 0;
  EXPECT_EQ(YrlMeasureDialog(&scale), 0);
  EXPECT_DOUBLE_EQ(scale, 5.0 / 6.0);
  user("press yrlmeasure DistDimSelect");
  user("pick 8 12");
  user("press yrlmeasure Ok");
  EXPECT_EQ(YrlMeasureDialog(&scale), 0);
  EXPECT_DOUBLE_EQ(scale, 10.0 / 7.0);
}

TEST_F(Measure, ANegativeScaleTypedIsNoScale) {
  user("type yrlmeasure DistMeasureInput -30 focusout");
  user("type yrlmeasure DistDimValueInput 10 focusout");
  user("press yrlmeasure Ok");
  double scale = -1;
  EXPECT_EQ(YrlMeasureDialog(&scale), -1);
  EXPECT_EQ(scale, 0.0);
  EXPECT_TRUE(shown("Cannot compute scale. Please select a different dimension."));
  auto computed = yrlhost::ui_component_snapshot("yrlmeasure", "ComputeInput");
  ASSERT_TRUE(computed);
  EXPECT_EQ(std::stod(computed->value), 0.0);
}

TEST_F(Measure, CancelAndHandTypedValues) {
  dimension(10, 9, 40.0, {1, 2});
  user("press yrlmeasure DistDimSelect");
  user("pick 8 10");
  user("press yrlmeasure Cancel");
  double scale = 0;
  EXPECT_EQ(YrlMeasureDialog(&scale), -1);
  EXPECT_DOUBLE_EQ(scale, 0.5);  // written after Cancel too

  user("type yrlmeasure DistMeasureInput 30 focusout");
  user("type yrlmeasure DistDimValueInput 10 focusout");
  user("press yrlmeasure Ok");
  EXPECT_EQ(YrlMeasureDialog(&scale), 0);
  EXPECT_DOUBLE_EQ(scale, 3.0);
  // Scales within 0.01 of 0 are no scale.
  user("type yrlmeasure DistMeasureInput 0.001 focusout");
  user("type yrlmeasure DistDimValueInput 1 focusout");
  user("press yrlmeasure Ok");
  EXPECT_EQ(YrlMeasureDialog(&scale), -1);
}

TEST_F(Measure, AnUnattachedDimensionWarns) {
  dimension(10, 9, 40.0, {});
  user("press yrlmeasure DistDimSelect");
  user("pick 8 10");
  user("press yrlmeasure DistFromSelect");
  user("pick 77 1");
  user("press yrlmeasure DistToSelect");
  user("pick 77 2");
  user("press yrlmeasure Ok");
  double scale = 0;
  EXPECT_EQ(YrlMeasureDialog(&scale), 0);
  EXPECT_DOUBLE_EQ(scale, 0.5);
  EXPECT_TRUE(shown("Selected dimension is not attached to entities on the drawing."));
}

TEST_F(Measure, BlankDimensionLayersAreShownWhilePicking) {
  dimension(10, 9, 40.0, {1, 2});
  std::strcpy(preferences.layer_prefix, "YRL_");
  std::string error;
  yrlhost::DrawingLayer dims;
  dims.name = u"YRL_DIM";
  dims.status = 3;
  const int layer = yrlhost::host_layer_add(drawing, dims, error);
  ASSERT_GT(layer, 0) << error;
  ASSERT_TRUE(yrlhost::host_layer_item_add(drawing, layer, {8, 10}, error)) << error;
  yrlhost::DrawingLayer notes;
  notes.name = u"YRL_NOTES";
  const int visible = yrlhost::host_layer_add(drawing, notes, error);
  ASSERT_GT(visible, 0) << error;
  // Picking the blanked dimension works only while the layer is shown.
  user("press yrlmeasure DistDimSelect");
  user("pick 8 10");
  user("press yrlmeasure Ok");
  double scale = 0;
  EXPECT_EQ(YrlMeasureDialog(&scale), 0);
  EXPECT_TRUE(yrlhost::stored_item_hidden(drawing, 8, 10));
  EXPECT_EQ(yrlhost::host_drawing(drawing)->layers.at(visible).status, 1);
}

TEST_F(Measure, SetUpFailures) {
  for (const char* key : {"VynUIDialogCreate_v", "VynUIDialogTitleSet_v"}) {
    yrlhost::call_log_fail_on_call(key, 1, -1);
    double scale = -1;
    EXPECT_EQ(YrlMeasureDialog(&scale), -1) << key;
    EXPECT_EQ(scale, 0.0);
    EXPECT_FALSE(yrlhost::ui_dialog_is_open("yrlmeasure"));
  }
}

}  // namespace
