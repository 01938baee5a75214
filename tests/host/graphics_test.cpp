// Windows, the display list of the graphics calls, and the small session services.
#include "host/display/graphics.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "host/plugin/call_log.h"
#include "host/api/host_behaviours.h"
#include "host/plugin/host_table.h"
#include "host/store/models.h"
#include "host/util/utf16.h"
#include "tests/host/host_test.h"

namespace {

using yrlhost::Behaviour;
using yrlhost::DrawEntry;
using yrlhost::DrawKind;
using yrlhost::HostApi;
using yrlhost::main_window_id;
using yrltest::colour_type;
using yrltest::rgb;

class Graphics : public yrltest::HostTest {
 protected:
  static int create_window(const VynWchar* name = u"PRT0001") {
    int id = 0;
    EXPECT_EQ(Behaviour<HostApi::VynAccessorywindowCreate>::run(1, name, 2, &id), 0);
    return id;
  }

  static const std::vector<DrawEntry>& display_list(int window = main_window_id) {
    return yrlhost::window_find(window)->display_list;
  }
};

using Points = std::vector<std::vector<double>>;

TEST_F(Graphics, WindowsHaveIdsAndTheMainWindowStays) {
  int current = 0;
  ASSERT_EQ(Behaviour<HostApi::VynWindowCurrentGet>::run(1, &current), 0);
  EXPECT_EQ(current, main_window_id);

  int first = create_window(u"PRT0001");
  int second = create_window(u"PRT0002");
  EXPECT_NE(first, main_window_id);
  EXPECT_NE(second, first);
  EXPECT_EQ(yrlhost::window_find(first)->name, "PRT0001");
  EXPECT_EQ(yrlhost::window_find(first)->type, 2);
  EXPECT_EQ(yrlhost::window_ids(), (std::vector<int>{main_window_id, first, second}));

  EXPECT_EQ(Behaviour<HostApi::VynWindowCurrentSet>::run(1, 99), -2);
  ASSERT_EQ(Behaviour<HostApi::VynWindowCurrentSet>::run(1, second), 0);
  ASSERT_EQ(Behaviour<HostApi::VynWindowDelete>::run(1, second), 0);
  ASSERT_EQ(Behaviour<HostApi::VynWindowCurrentGet>::run(1, &current), 0);
  EXPECT_EQ(current, main_window_id);  // the deleted window was current
  EXPECT_EQ(Behaviour<HostApi::VynWindowDelete>::run(1, second), -2);
  EXPECT_EQ(Behaviour<HostApi::VynWindowDelete>::run(1, main_window_id), -2);
  EXPECT_EQ(Behaviour<HostApi::VynWindowCurrentSet>::run(1, second), -2);
  EXPECT_EQ(Behaviour<HostApi::VynAccessorywindowCreate>::run(1, nullptr, 2, &current), -2);
  EXPECT_EQ(Behaviour<HostApi::VynWindowCurrentGet>::run(1, nullptr), -2);
}

// A part previewed in an accessory window: making the drawing's window current again
// makes the drawing the current model again, and each window keeps the model it shows.
TEST_F(Graphics, MakingAWindowCurrentMakesTheModelItShowsCurrent) {
  // Through the table, as the plug-in calls them.
  const std::vector<win_export_entry> table = yrlhost::host_table_build();
  auto window_create = yrlhost::host_function<HostApi::VynAccessorywindowCreate>(table);
  auto window_get = yrlhost::host_function<HostApi::VynWindowCurrentGet>(table);
  auto window_set = yrlhost::host_function<HostApi::VynWindowCurrentSet>(table);
  auto window_delete = yrlhost::host_function<HostApi::VynWindowDelete>(table);
  auto display = yrlhost::host_function<HostApi::VynMdlDisplay>(table);
  auto model_get = yrlhost::host_function<HostApi::VynMdlCurrentGet>(table);
  std::string error;
  VynMdl part = yrlhost::host_model_create(yrlhost::model_type_part, "PRT0001", error);
  VynMdl drawing = yrlhost::host_model_create(yrlhost::model_type_drawing, "DRW0001", error);
  ASSERT_TRUE(part && drawing) << error;
  auto current_model = [&] {
    VynMdl model = nullptr;
    EXPECT_EQ(model_get(1, &model), 0);
    return model;
  };
  int drawing_window = 0;
  ASSERT_EQ(window_get(1, &drawing_window), 0);

  int preview = 0;
  ASSERT_EQ(window_create(1, u"PRT0001", 2, &preview), 0);
  int current = 0;
  ASSERT_EQ(window_get(1, &current), 0);
  EXPECT_EQ(current, preview);             // a new accessory window is current
  EXPECT_EQ(current_model(), drawing);     // and shows nothing yet
  ASSERT_EQ(display(1, part), 0);
  EXPECT_EQ(current_model(), part);

  struct Step {
    int window;
    VynMdl model;  // the current model afterwards
  } steps[] = {{drawing_window, drawing}, {preview, part}, {preview, part}, {drawing_window, drawing}};
  for (const Step& step : steps) {
    ASSERT_EQ(window_set(1, step.window), 0);
    EXPECT_EQ(current_model(), step.model) << "window " << step.window;
  }
  EXPECT_EQ(yrlhost::window_model(preview), part);
  EXPECT_EQ(yrlhost::window_model(drawing_window), drawing);

  // Deleting the current preview window brings the drawing's window and the drawing back.
  ASSERT_EQ(window_set(1, preview), 0);
  ASSERT_EQ(window_delete(1, preview), 0);
  EXPECT_EQ(current_model(), drawing);

  // A window whose model left the session shows none: the current model stays.
  int second = 0;
  ASSERT_EQ(window_create(1, u"PRT0001", 2, &second), 0);
  ASSERT_EQ(display(1, part), 0);
  ASSERT_EQ(window_set(1, drawing_window), 0);
  ASSERT_EQ(Behaviour<HostApi::VynMdlErase>::run(1, part), 0);
  EXPECT_EQ(yrlhost::window_model(second), nullptr);
  ASSERT_EQ(window_set(1, second), 0);
  EXPECT_EQ(current_model(), drawing);
  EXPECT_EQ(yrlhost::window_model(99), nullptr);
}

TEST_F(Graphics, MatricesStartAsIdentityAndBelongToTheirWindow) {
  double matrix[4][4];
  ASSERT_EQ(Behaviour<HostApi::VynWindowCurrentMatrixGet>::run(1, matrix), 0);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_EQ(matrix[i][j], i == j ? 1.0 : 0.0);

  int other = create_window();
  ASSERT_EQ(Behaviour<HostApi::VynWindowCurrentSet>::run(1, main_window_id), 0);
  const double zoom[4][4] = {{2, 0, 0, 0}, {0, 2, 0, 0}, {0, 0, 2, 0}, {5, 6, 0, 1}};
  ASSERT_EQ(Behaviour<HostApi::VynWindowPanZoomMatrixSet>::run(1, other, zoom), 0);
  ASSERT_EQ(Behaviour<HostApi::VynWindowCurrentMatrixGet>::run(1, matrix), 0);
  EXPECT_EQ(matrix[3][0], 0);  // the main window's
  ASSERT_EQ(Behaviour<HostApi::VynWindowCurrentSet>::run(1, other), 0);
  ASSERT_EQ(Behaviour<HostApi::VynWindowCurrentMatrixGet>::run(1, matrix), 0);
  EXPECT_EQ(matrix[0][0], 2);
  EXPECT_EQ(matrix[3][0], 5);
  EXPECT_EQ(matrix[3][1], 6);

  EXPECT_EQ(Behaviour<HostApi::VynWindowPanZoomMatrixSet>::run(1, 99, zoom), -2);
  EXPECT_EQ(Behaviour<HostApi::VynWindowPanZoomMatrixSet>::run(1, other, nullptr), -2);
  EXPECT_EQ(Behaviour<HostApi::VynWindowCurrentMatrixGet>::run(1, nullptr), -2);
}

TEST_F(Graphics, SizeBrowserAndPageOfAWindow) {
  double width = 0, height = 0;
  ASSERT_EQ(Behaviour<HostApi::VynWindowSizeGet>::run(1, main_window_id, &width, &height), 0);
  EXPECT_EQ(width, yrlhost::window_default_width);
  EXPECT_EQ(height, yrlhost::window_default_height);
  ASSERT_TRUE(yrlhost::window_size_set(main_window_id, 300, 200));
  ASSERT_EQ(Behaviour<HostApi::VynWindowSizeGet>::run(1, -1, &width, &height), 0);
  EXPECT_EQ(width, 300);
  EXPECT_EQ(Behaviour<HostApi::VynWindowSizeGet>::run(1, 99, &width, &height), -2);

  ASSERT_EQ(Behaviour<HostApi::VynWindowBrowserSizeSet>::run(1, main_window_id, 98.0), 0);
  EXPECT_EQ(yrlhost::window_find(main_window_id)->browser_size, 98.0);
  EXPECT_EQ(Behaviour<HostApi::VynWindowBrowserSizeSet>::run(1, main_window_id, 150.0), -2);
  EXPECT_EQ(Behaviour<HostApi::VynWindowBrowserSizeSet>::run(1, main_window_id, std::nan("")),
            -2);
  ASSERT_EQ(Behaviour<HostApi::VynWindowURLShow>::run(1, main_window_id, u"C:\\text\\start.htm"),
            0);
  EXPECT_EQ(yrlhost::window_find(main_window_id)->url, "C:\\text\\start.htm");
  EXPECT_EQ(Behaviour<HostApi::VynWindowURLShow>::run(1, main_window_id, nullptr), -2);
}

TEST_F(Graphics, DrawingCallsBuildTheCurrentWindowsDisplayList) {
  int old_colour = -1;
  ASSERT_EQ(Behaviour<HostApi::VynGraphicsColorSet>::run(1, 18, &old_colour), 0);
  EXPECT_EQ(old_colour, 0);
  int old_style = -1;
  ASSERT_EQ(Behaviour<HostApi::VynLinestyleSet>::run(1, 2, &old_style), 0);
  EXPECT_EQ(old_style, 0);
  const double p0[3] = {0, 0, 0}, p1[3] = {10, 0, 0}, p2[3] = {10, 5, 0};
  Behaviour<HostApi::VynGraphicsPenPosition>::run(1, p0);
  Behaviour<HostApi::VynGraphicsLineDraw>::run(1, p1);
  Behaviour<HostApi::VynGraphicsLineDraw>::run(1, p2);  // from where the last line ended
  Behaviour<HostApi::VynGraphicsCircleDraw>::run(1, p1, 5.0);

  VynColor blue = rgb(0, 0, 1), previous{};
  ASSERT_EQ(Behaviour<HostApi::VynGraphicsColorModify>::run(1, &blue, &previous), 0);
  EXPECT_EQ(previous.method, 1);
  EXPECT_EQ(previous.value.type, 18);
  const double v1[3] = {1, 0, 0}, v2[3] = {0, 1, 0};
  ASSERT_EQ(Behaviour<HostApi::VynGraphicsArcDraw>::run(1, p0, 3.0, v1, v2), 0);

  ASSERT_EQ(Behaviour<HostApi::VynTextHeightCurrentSet>::run(1, 15.0), 0);
  ASSERT_EQ(Behaviour<HostApi::VynTextWidthFactorCurrentSet>::run(1, 0.75), 0);
  ASSERT_EQ(Behaviour<HostApi::VynGraphicsTextDisplay>::run(1, p2, u"X\u00e9"), 0);
  VynColor text_red = colour_type(3);
  ASSERT_EQ(Behaviour<HostApi::VynTextColorModify>::run(1, &text_red, nullptr), 0);
  ASSERT_EQ(Behaviour<HostApi::VynGraphicsTextDisplay>::run(1, p0, u"Y"), 0);

  const std::vector<DrawEntry>& list = display_list();
  ASSERT_EQ(list.size(), 6u);
  EXPECT_EQ(list[0].kind, DrawKind::line);
  EXPECT_EQ(list[0].points, (Points{{0, 0, 0}, {10, 0, 0}}));
  EXPECT_EQ(list[1].points, (Points{{10, 0, 0}, {10, 5, 0}}));
  EXPECT_EQ(list[2].kind, DrawKind::circle);
  EXPECT_EQ(list[2].points, (Points{{10, 0, 0}}));
  EXPECT_EQ(list[2].radius, 5.0);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(list[i].colour.method, 1) << i;
    EXPECT_EQ(list[i].colour.value.type, 18) << i;
    EXPECT_EQ(list[i].line_style, 2) << i;
  }
  EXPECT_EQ(list[3].kind, DrawKind::arc);
  EXPECT_EQ(list[3].points, (Points{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}));
  EXPECT_EQ(list[3].radius, 3.0);
  EXPECT_EQ(list[3].colour.method, 2);
  EXPECT_EQ(list[3].colour.value.rgb[2], 1.0);
  EXPECT_EQ(list[4].kind, DrawKind::text);
  EXPECT_EQ(list[4].text, "X\xc3\xa9");
  EXPECT_EQ(list[4].points, (Points{{10, 5, 0}}));
  EXPECT_EQ(list[4].text_height, 15.0);
  EXPECT_EQ(list[4].text_width_factor, 0.75);
  EXPECT_EQ(list[4].colour.method, 2);  // no text colour yet: the graphics colour
  EXPECT_EQ(list[5].colour.method, 1);
  EXPECT_EQ(list[5].colour.value.type, 3);
}

// The text attributes read back what the setters set, so that a caller can draw with
// its own and put the previous ones back.
TEST_F(Graphics, TextAttributesAnswerTheCurrentHeightAndWidthFactor) {
  auto attributes = [] {
    VynTextAttribute now{-1, -1};
    EXPECT_EQ(Behaviour<HostApi::VynTextAttributesCurrentGet>::run(1, &now), 0);
    return std::pair(now.height, now.width_factor);
  };
  EXPECT_EQ(attributes(), std::pair(yrlhost::text_default_height, yrlhost::text_default_width_factor));
  ASSERT_EQ(Behaviour<HostApi::VynTextHeightCurrentSet>::run(1, 15.0), 0);
  ASSERT_EQ(Behaviour<HostApi::VynTextWidthFactorCurrentSet>::run(1, 0.75), 0);
  std::pair saved = attributes();
  EXPECT_EQ(saved, std::pair(15.0, 0.75));

  ASSERT_EQ(Behaviour<HostApi::VynTextHeightCurrentSet>::run(1, 2 * saved.first), 0);
  ASSERT_EQ(Behaviour<HostApi::VynTextWidthFactorCurrentSet>::run(1, 0.5), 0);
  EXPECT_EQ(Behaviour<HostApi::VynTextWidthFactorCurrentSet>::run(1, 0.0), -2);  // kept
  EXPECT_EQ(attributes(), std::pair(30.0, 0.5));
  const double at[3] = {0, 0, 0};
  ASSERT_EQ(Behaviour<HostApi::VynGraphicsTextDisplay>::run(1, at, u"FRONT"), 0);
  ASSERT_EQ(Behaviour<HostApi::VynTextHeightCurrentSet>::run(1, saved.first), 0);
  ASSERT_EQ(Behaviour<HostApi::VynTextWidthFactorCurrentSet>::run(1, saved.second), 0);
  EXPECT_EQ(attributes(), saved);
  ASSERT_EQ(display_list().size(), 1u);
  EXPECT_EQ(display_list()[0].text_height, 30.0);
  EXPECT_EQ(display_list()[0].text_width_factor, 0.5);
}

TEST_F(Graphics, ARepaintClearsTheDisplayListAndARefreshKeepsIt) {
  int other = create_window();
  ASSERT_EQ(Behaviour<HostApi::VynWindowCurrentSet>::run(1, main_window_id), 0);
  const double centre[3] = {1, 1, 0};
  Behaviour<HostApi::VynGraphicsCircleDraw>::run(1, centre, 5.0);
  ASSERT_EQ(Behaviour<HostApi::VynWindowCurrentSet>::run(1, other), 0);
  Behaviour<HostApi::VynGraphicsCircleDraw>::run(1, centre, 2.0);
  EXPECT_EQ(display_list(main_window_id).size(), 1u);
  ASSERT_EQ(display_list(other).size(), 1u);
  EXPECT_EQ(display_list(other)[0].radius, 2.0);

  ASSERT_EQ(Behaviour<HostApi::VynWindowRefresh>::run(1, -1), 0);
  EXPECT_EQ(display_list(other).size(), 1u);
  ASSERT_EQ(Behaviour<HostApi::VynWindowRepaint>::run(1, -1), 0);
  EXPECT_TRUE(display_list(other).empty());
  EXPECT_EQ(display_list(main_window_id).size(), 1u);
  ASSERT_EQ(Behaviour<HostApi::VynWindowRepaint>::run(1, main_window_id), 0);
  ASSERT_EQ(Behaviour<HostApi::VynWindowRefresh>::run(1, main_window_id), 0);
  EXPECT_EQ(Behaviour<HostApi::VynWindowRepaint>::run(1, 99), -2);
  EXPECT_EQ(Behaviour<HostApi::VynWindowRefresh>::run(1, 99), -2);

  EXPECT_EQ(yrlhost::window_find(main_window_id)->repaints, 1);
  EXPECT_EQ(yrlhost::window_find(main_window_id)->refreshes, 1);
  EXPECT_EQ(yrlhost::window_find(other)->repaints, 1);
  EXPECT_EQ(yrlhost::window_find(other)->refreshes, 1);
}

TEST_F(Graphics, BadGraphicsInputsChangeNothing) {
  VynColor bad_method{};
  bad_method.method = 3;
  VynColor too_bright = rgb(1.5, 0, 0);
  VynColor bad_type = colour_type(-2);
  VynColor previous{};
  const double p[3] = {0, 0, 0};
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(Behaviour<HostApi::VynGraphicsColorSet>::run(1, -1, nullptr), -2);
  EXPECT_EQ(Behaviour<HostApi::VynLinestyleSet>::run(1, -1, nullptr), -2);
  EXPECT_EQ(Behaviour<HostApi::VynGraphicsColorModify>::run(1, &bad_method, &previous), -2);
  EXPECT_EQ(Behaviour<HostApi::VynGraphicsColorModify>::run(1, &too_bright, &previous), -2);
  EXPECT_EQ(Behaviour<HostApi::VynTextColorModify>::run(1, &bad_type, &previous), -2);
  EXPECT_EQ(Behaviour<HostApi::VynTextHeightCurrentSet>::run(1, 0.0), -2);
  EXPECT_EQ(Behaviour<HostApi::VynTextHeightCurrentSet>::run(1, nan), -2);
  EXPECT_EQ(Behaviour<HostApi::VynTextWidthFactorCurrentSet>::run(1, -0.5), -2);
  EXPECT_EQ(Behaviour<HostApi::VynGraphicsArcDraw>::run(1, p, 1.0, nullptr, p), -2);
  EXPECT_EQ(Behaviour<HostApi::VynGraphicsArcDraw>::run(1, p, -1.0, p, p), -2);
  EXPECT_EQ(Behaviour<HostApi::VynGraphicsTextDisplay>::run(1, p, nullptr), -2);
  EXPECT_EQ(Behaviour<HostApi::VynTextAttributesCurrentGet>::run(1, nullptr), -2);
  Behaviour<HostApi::VynGraphicsPenPosition>::run(1, nullptr);
  Behaviour<HostApi::VynGraphicsLineDraw>::run(1, nullptr);
  Behaviour<HostApi::VynGraphicsCircleDraw>::run(1, nullptr, 1.0);
  Behaviour<HostApi::VynGraphicsCircleDraw>::run(1, p, nan);

  EXPECT_TRUE(display_list().empty());
  const yrlhost::GraphicsState& state = yrlhost::graphics_state();
  EXPECT_EQ(state.colour.method, 0);
  EXPECT_EQ(state.text_colour.method, 0);
  EXPECT_EQ(state.line_style, 0);
  EXPECT_EQ(state.text_height, yrlhost::text_default_height);
  EXPECT_EQ(state.text_width_factor, yrlhost::text_default_width_factor);
}

TEST_F(Graphics, VoidDrawingCallsThroughTheTableAreLogged) {
  auto table = yrlhost::host_table_build();
  auto circle = yrlhost::host_function<HostApi::VynGraphicsCircleDraw>(table);
  ASSERT_NE(circle, nullptr);
  const double centre[3] = {3, 4, 0};
  circle(1, centre, 5.0);
  EXPECT_EQ(yrlhost::call_log_of("VynGraphicsCircleDraw_v").size(), 1u);
  ASSERT_EQ(display_list().size(), 1u);
  EXPECT_EQ(display_list()[0].radius, 5.0);
}

// Row vector times matrix: x row 0 + y row 1 + z row 2 + row 3 (for a point).
TEST_F(Graphics, PointTransformIsRowVectorTimesMatrix) {
  const double quarter_turn_and_shift[4][4] = {
      {0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 0}, {10, 20, 30, 1}};
  double point[3] = {1, 2, 3};
  double result[3] = {};
  ASSERT_EQ(Behaviour<HostApi::VynPntTrfEval>::run(1, point, quarter_turn_and_shift, result), 0);
  EXPECT_EQ(std::vector<double>(result, result + 3), (std::vector<double>{8, 21, 33}));
  // In place, as callers that map a point onto itself do.
  ASSERT_EQ(Behaviour<HostApi::VynPntTrfEval>::run(1, point, quarter_turn_and_shift, point), 0);
  EXPECT_EQ(std::vector<double>(point, point + 3), (std::vector<double>{8, 21, 33}));
  // A direction takes no origin.
  const double direction[3] = {1, 0, 0};
  ASSERT_EQ(Behaviour<HostApi::VynVectorTrfEval>::run(1, direction, quarter_turn_and_shift, result),
            0);
  EXPECT_EQ(std::vector<double>(result, result + 3), (std::vector<double>{0, 1, 0}));
  EXPECT_EQ(Behaviour<HostApi::VynPntTrfEval>::run(1, point, nullptr, result), -2);
  EXPECT_EQ(Behaviour<HostApi::VynPntTrfEval>::run(1, nullptr, quarter_turn_and_shift, result),
            -2);
}

TEST_F(Graphics, DefaultToleranceIsOneUnitInTheLastDecimal) {
  struct Case {
    int type, decimals;
    VynError status;
    double tolerance;
  } cases[] = {{0, 2, 0, 0.01}, {0, 0, 0, 1.0}, {1, 3, 0, 0.001},
               {2, 2, -2, -1},  {0, -1, -2, -1}, {0, 15, -2, -1}};
  for (const Case& c : cases) {
    double tolerance = -1;
    EXPECT_EQ(Behaviour<HostApi::VynToleranceDefaultGet>::run(1, c.type, c.decimals, &tolerance),
              c.status)
        << c.type << " " << c.decimals;
    EXPECT_DOUBLE_EQ(tolerance, c.tolerance) << c.type << " " << c.decimals;
  }
  EXPECT_EQ(Behaviour<HostApi::VynToleranceDefaultGet>::run(1, 0, 2, nullptr), -2);
}

TEST_F(Graphics, CurrentDirectoryIsTheWorkingDirectoryOnDriveC) {
  char cwd[PATH_MAX];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  std::string expected = std::string("C:") + cwd;
  for (char& c : expected)
    if (c == '/') c = '\\';
  VynWchar path[VYN_PATH_SIZE];
  ASSERT_EQ(Behaviour<HostApi::VynDirectoryCurrentGet>::run(1, path), 0);
  EXPECT_EQ(yrlhost::utf8_from_utf16(path, VYN_PATH_SIZE), expected);

  yrlhost::host_directory_set("D:\\w\xc3\xa9rk");
  ASSERT_EQ(Behaviour<HostApi::VynDirectoryCurrentGet>::run(1, path), 0);
  EXPECT_EQ(yrlhost::utf8_from_utf16(path, VYN_PATH_SIZE), "D:\\w\xc3\xa9rk");

  std::string longest = "C:\\" + std::string(VYN_PATH_SIZE - 4, 'x');  // 260 with its end
  yrlhost::host_directory_set(longest);
  EXPECT_EQ(Behaviour<HostApi::VynDirectoryCurrentGet>::run(1, path), 0);
  EXPECT_EQ(yrlhost::utf8_from_utf16(path, VYN_PATH_SIZE), longest);
  yrlhost::host_directory_set(longest + "x");
  EXPECT_EQ(Behaviour<HostApi::VynDirectoryCurrentGet>::run(1, path), VYN_TK_LINE_TOO_LONG);
  EXPECT_EQ(path[0], 0);
  EXPECT_EQ(Behaviour<HostApi::VynDirectoryCurrentGet>::run(1, nullptr), -2);
}

TEST_F(Graphics, MacrosRunInBatchesOfWhatWasLoaded) {
  ASSERT_EQ(Behaviour<HostApi::VynMacroLoad>::run(1, u"~ Command `ShowDim`"), 0);
  ASSERT_EQ(Behaviour<HostApi::VynMacroLoad>::run(1, u"~ Close `dlg`"), 0);
  EXPECT_EQ(yrlhost::macros_loaded().size(), 2u);
  ASSERT_EQ(Behaviour<HostApi::VynMacroExecute>::run(1), 0);
  ASSERT_EQ(Behaviour<HostApi::VynMacroExecute>::run(1), 0);  // nothing loaded: nothing run
  ASSERT_EQ(yrlhost::macros_executed().size(), 1u);
  EXPECT_EQ(yrlhost::macros_executed()[0],
            (std::vector<std::string>{"~ Command `ShowDim`", "~ Close `dlg`"}));
  EXPECT_TRUE(yrlhost::macros_loaded().empty());
  EXPECT_EQ(Behaviour<HostApi::VynMacroLoad>::run(1, nullptr), -2);
}

TEST_F(Graphics, PagesAndInformationWindowsShownAreRecorded) {
  ASSERT_EQ(Behaviour<HostApi::VynURLShow>::run(1, u"C:\\t\\start.htm", u"Help"), 0);
  ASSERT_EQ(Behaviour<HostApi::VynURLShow>::run(1, u"C:\\t\\other.htm", nullptr), 0);
  ASSERT_EQ(yrlhost::urls_shown().size(), 2u);
  EXPECT_EQ(yrlhost::urls_shown()[0].url, "C:\\t\\start.htm");
  EXPECT_EQ(yrlhost::urls_shown()[0].title, "Help");
  EXPECT_EQ(yrlhost::urls_shown()[1].title, "");
  EXPECT_EQ(Behaviour<HostApi::VynURLShow>::run(1, nullptr, u"Help"), -2);

  ASSERT_EQ(Behaviour<HostApi::VynInfoWindowDisplay>::run(1, u"elemtree.inf", 0, 0), 0);
  ASSERT_EQ(yrlhost::info_windows_shown().size(), 1u);
  EXPECT_EQ(yrlhost::info_windows_shown()[0].file, "elemtree.inf");
  EXPECT_EQ(Behaviour<HostApi::VynInfoWindowDisplay>::run(1, nullptr, 0, 0), -2);
}

TEST_F(Graphics, ResetRestoresTheStartState) {
  int other = create_window();
  ASSERT_EQ(Behaviour<HostApi::VynWindowCurrentSet>::run(1, other), 0);
  ASSERT_EQ(Behaviour<HostApi::VynGraphicsColorSet>::run(1, 5, nullptr), 0);
  ASSERT_EQ(Behaviour<HostApi::VynMacroLoad>::run(1, u"x"), 0);
  yrlhost::host_testing_reset();
  EXPECT_EQ(yrlhost::window_current(), main_window_id);
  EXPECT_EQ(yrlhost::window_ids(), std::vector<int>{main_window_id});
  EXPECT_EQ(yrlhost::graphics_state().colour.method, 0);
  EXPECT_TRUE(yrlhost::macros_loaded().empty());
  EXPECT_EQ(create_window(), other);  // ids start again
}

}  // namespace
