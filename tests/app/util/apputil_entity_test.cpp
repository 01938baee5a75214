// End points of draft entities and picks, the screen-to-drawing transform and the
// end-points command.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/util/apputil.h"
#include "host/plugin/call_log.h"
#include "host/ui/messages.h"
#include "host/display/selection.h"
#include "toolkit/api/app_api.h"
#include "tests/app/util/apputil_fixture.h"

namespace {

constexpr double kPi = 3.141592653589793;

class Entities : public yrltest::UtilTest {
 protected:
  // A sheet that doubles and moves by (10, 20): p' = 2p + (10, 20, 0).
  void doubling_sheet() {
    const double m[4][4] = {{2, 0, 0, 0}, {0, 2, 0, 0}, {0, 0, 2, 0}, {10, 20, 0, 1}};
    sheet_set(m);
  }
};

void expect_point(const double* p, double x, double y, double z) {
  EXPECT_NEAR(p[0], x, 1e-12);
  EXPECT_NEAR(p[1], y, 1e-12);
  EXPECT_NEAR(p[2], z, 1e-12);
}

TEST_F(Entities, LineEndsWithAndWithoutTheSheetTransform) {
  line_entity(12, {1, 2, 0}, {5, 6, 0});
  VynDtlentity line = entity(12);
  double a[3] = {}, b[3] = {};
  // Without a transform read, both forms give the entity's own coordinates.
  EXPECT_EQ(YrlGetEndPointsFromEntity(&line, a, b), 0);
  expect_point(a, 1, 2, 0);
  expect_point(b, 5, 6, 0);

  doubling_sheet();
  EXPECT_EQ(YrlInitScrToDrwMatrix(), 0);
  EXPECT_EQ(YrlGetEndPointsFromEntity(&line, a, b), 0);
  expect_point(a, 12, 24, 0);
  expect_point(b, 20, 32, 0);
  EXPECT_EQ(YrlGetEndPointsFromEntityNoTrf(&line, a, b), 0);
  expect_point(a, 1, 2, 0);

  // A line has no centre: the output stays as it was.
  double c[3] = {-1, -1, -1};
  EXPECT_EQ(YrlGetAllPointsFromEntity(&line, a, b, c), 0);
  expect_point(c, -1, -1, -1);

  VynSelection pick = yrlhost::selection_make(line, 0, nullptr);
  EXPECT_EQ(YrlGetEndPointsFromSelection(pick, a, b), 0);
  expect_point(b, 20, 32, 0);
  EXPECT_EQ(YrlGetEndPointsFromSelectionNoTrf(pick, a, b), 0);
  expect_point(b, 5, 6, 0);
  int id = 0;
  EXPECT_EQ(YrlSelectionDtlEntityIdGet(pick, &id), 0);
  EXPECT_EQ(id, 12);

  // The nearest end: a parameter of exactly 0.5 gives the first.
  for (double u : {0.0, 0.5, 0.5000001, 1.0}) {
    const double uv[2] = {u, 0};
    ASSERT_TRUE(yrlhost::selection_uv_set(pick, uv));
    double end[3] = {};
    EXPECT_EQ(YrlEntSelNearestEndGet(pick, end), 0);
    expect_point(end, u <= 0.5 ? 12 : 20, u <= 0.5 ? 24 : 32, 0);
  }
  EXPECT_EQ(VynSelectionFree(&pick), 0);
}

TEST_F(Entities, ArcEndsFollowTheFirstAxisInEveryQuadrant) {
  struct Case {
    const char* what;
    double vec1[2];
    double start, sweep;
    double first_angle, second_angle;
  } cases[] = {
      {"axis along x", {1, 0}, 0, kPi / 2, 0, kPi / 2},
      {"axis along -x", {-1, 0}, 0, kPi / 2, kPi, 1.5 * kPi},
      {"axis along y", {0, 1}, 0.25, 1, kPi / 2 + 0.25, kPi / 2 + 1.25},
      {"axis near y, slightly left", {-0.00005, 1}, 0, kPi / 2, std::atan2(1, -0.00005),
       std::atan2(1, -0.00005) + kPi / 2},
      {"axis near -y, slightly right", {0.00005, -1}, 0, 1, std::atan2(-1, 0.00005),
       std::atan2(-1, 0.00005) + 1},
      {"third quadrant", {-1, -1}, 0.5, 0.5, -0.75 * kPi + 0.5, -0.75 * kPi + 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    arc_entity(14, {c.vec1[0], c.vec1[1], 0}, {3, 4, 0}, c.start, c.sweep, 2);
    VynDtlentity arc = entity(14);
    double a[3], b[3], centre[3];
    EXPECT_EQ(YrlGetAllPointsFromEntityNoTrf(&arc, a, b, centre), 0);
    expect_point(a, 3 + 2 * std::cos(c.first_angle), 4 + 2 * std::sin(c.first_angle), 0);
    expect_point(b, 3 + 2 * std::cos(c.second_angle), 4 + 2 * std::sin(c.second_angle), 0);
    expect_point(centre, 3, 4, 0);
  }
}

TEST_F(Entities, FullCircleOtherCurvesAndFailures) {
  doubling_sheet();
  ASSERT_EQ(YrlInitScrToDrwMatrix(), 0);
  arc_entity(13, {1, 0, 0}, {3, 4, 0}, 0, 6.283185307179586, 2);
  VynDtlentity circle = entity(13);
  double a[3] = {-1, -1, -1}, b[3] = {-1, -1, -1}, centre[3] = {};
  EXPECT_EQ(YrlGetAllPointsFromEntity(&circle, a, b, centre), -1);
  expect_point(a, -1, -1, -1);
  expect_point(b, -1, -1, -1);
  expect_point(centre, 3, 4, 0);  // untransformed

  // The arc's centre follows the transform with its ends.
  arc_entity(14, {1, 0, 0}, {3, 4, 0}, 0, 1, 2);
  VynDtlentity arc = entity(14);
  EXPECT_EQ(YrlGetAllPointsFromEntity(&arc, a, b, centre), 0);
  expect_point(centre, 16, 28, 0);

  point_entity(15, {0, 0, 0});
  VynDtlentity dot = entity(15);
  a[0] = -1;
  EXPECT_EQ(YrlGetAllPointsFromEntity(&dot, a, b, centre), 0);
  EXPECT_EQ(a[0], -1);

  VynDtlentity missing = entity(99);
  EXPECT_EQ(YrlGetEndPointsFromEntity(&missing, a, b), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(YrlGetEndPointsFromEntity(nullptr, a, b), VYN_TK_BAD_INPUTS);
  VynSelection pick = yrlhost::selection_make(dot, 0, nullptr);
  double end[3] = {-1, -1, -1};
  EXPECT_EQ(YrlEntSelNearestEndGet(pick, end), -1);
  expect_point(end, -1, -1, -1);
  VynSelectionFree(&pick);
}

TEST_F(Entities, RadiusInDrawingUnits) {
  arc_entity(12, {1, 0, 0}, {3, 4, 0}, 0, 1, 2.5);
  VynDtlentity arc = entity(12);
  double radius = 0;
  // No sheet transform read: the entity's own units.
  EXPECT_EQ(YrlGetRadiusFromEntity(&arc, &radius), 0);
  EXPECT_EQ(radius, 2.5);
  doubling_sheet();
  ASSERT_EQ(YrlInitScrToDrwMatrix(), 0);
  EXPECT_EQ(YrlGetRadiusFromEntity(&arc, &radius), 0);
  EXPECT_EQ(radius, 5.0);
  // A full circle has a radius too; a line has none.
  arc_entity(13, {1, 0, 0}, {3, 4, 0}, 0, 6.283185307179586, 1);
  VynDtlentity circle = entity(13);
  EXPECT_EQ(YrlGetRadiusFromEntity(&circle, &radius), 0);
  EXPECT_EQ(radius, 2.0);
  line_entity(14, {1, 2, 0}, {5, 6, 0});
  VynDtlentity line = entity(14);
  EXPECT_EQ(YrlGetRadiusFromEntity(&line, &radius), 0);
  EXPECT_EQ(radius, 2.0);
}

TEST_F(Entities, ScreenToDrawingTransformIsReadOnce) {
  double m[4][4] = {};
  EXPECT_EQ(YrlGetScrToDrwMatrix(m), VYN_TK_E_NOT_FOUND);
  doubling_sheet();
  EXPECT_EQ(YrlInitScrToDrwMatrix(), 0);
  EXPECT_EQ(ScrToDrwMatix_Set, 1);
  EXPECT_EQ(YrlGetScrToDrwMatrix(m), 0);
  EXPECT_EQ(m[0][0], 2);
  EXPECT_EQ(m[3][1], 20);

  // Kept until cleared: a changed sheet is read only after the clear.
  const double tripling[4][4] = {{3, 0, 0, 0}, {0, 2, 0, 0}, {0, 0, 2, 0}, {10, 20, 0, 1}};
  sheet_set(tripling);
  EXPECT_EQ(YrlInitScrToDrwMatrix(), 0);
  YrlGetScrToDrwMatrix(m);
  EXPECT_EQ(m[0][0], 2);
  EXPECT_EQ(YrlClearScrToDrwMatrix(), 0);
  EXPECT_EQ(YrlGetScrToDrwMatrix(m), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(YrlInitScrToDrwMatrix(), 0);
  YrlGetScrToDrwMatrix(m);
  EXPECT_EQ(m[0][0], 3);

  YrlClearScrToDrwMatrix();
  yrlhost::call_log_fail_on_call("VynDrawingSheetTrfGet_v", 1, -1);
  EXPECT_EQ(YrlInitScrToDrwMatrix(), -1);
  EXPECT_EQ(ScrToDrwMatix_Set, 0);
  EXPECT_EQ(YrlGetScrToDrwMatrix(nullptr), VYN_TK_E_NOT_FOUND);
}

TEST_F(Entities, CompareSelectionWithList) {
  VynSelection list[3] = {reinterpret_cast<VynSelection>(0x10), reinterpret_cast<VynSelection>(0x20),
                          reinterpret_cast<VynSelection>(0x30)};
  int found = -1;
  EXPECT_EQ(YrlCompareSelectionWithList(list[2], list, 3, &found), 0);
  EXPECT_EQ(found, 1);
  EXPECT_EQ(YrlCompareSelectionWithList(list[2], list, 2, &found), 0);
  EXPECT_EQ(found, 0);
  EXPECT_EQ(YrlCompareSelectionWithList(list[0], nullptr, 3, &found), 0);
  EXPECT_EQ(found, 0);
}

TEST_F(Entities, EndPointsCommandPrintsLinesAndArcsUntilThePickEnds) {
  doubling_sheet();
  line_entity(12, {1, 2, 0}, {5, 6, 0});
  arc_entity(13, {1, 0, 0}, {0, 0, 0}, 0, 6.283185307179586, 1);  // full circle
  arc_entity(14, {1, 0, 0}, {0, 0, 0}, 0, kPi, 1);
  point_entity(15, {0, 0, 0});
  for (const char* pick : {"pick 77 12", "pick 77 13", "pick 77 15", "pick 77 14", "abort"}) user(pick);

  EXPECT_EQ(YrlCmdEndPoints(), 0);
  std::vector<std::string> shown;
  for (const std::string& text : yrlhost::messages_displayed()) {
    if (text.rfind("YRLFORM INFO", 0) == 0) shown.push_back(text);
  }
  EXPECT_EQ(shown, (std::vector<std::string>{
                       "YRLFORM INFO  Point1 = 12.00,24.00  Point2 = 20.00,32.00",
                       "YRLFORM INFO  Point1 = 12.00,20.00  Point2 =  8.00,20.00"}));
  // The message area was cleared before each.
  EXPECT_EQ(yrlhost::message_area().size(), 1u);
}

}  // namespace
