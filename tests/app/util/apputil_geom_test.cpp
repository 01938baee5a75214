// Tolerant comparisons and line geometry of the application utilities.
#include <cmath>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "app/util/apputil.h"
#include "host/ui/messages.h"
#include "tests/app/util/apputil_fixture.h"

namespace {

TEST(UtilCompare, ToleranceBounds) {
  EXPECT_EQ(IsYrlDoubleSame(1.0, 1.5, 0.5), 1);  // inclusive bound
  EXPECT_EQ(IsYrlDoubleSame(1.5, 1.0, 0.5), 1);
  EXPECT_EQ(IsYrlDoubleSame(1.0, 1.5000001, 0.5), 0);
  EXPECT_EQ(IsYrlDoubleSame(NAN, NAN, 1.0), 0);

  // Strict at both widened ends.
  EXPECT_EQ(IsYrlDoubleInRange(-0.5, 0.0, 1.0, 0.5), 0);
  EXPECT_EQ(IsYrlDoubleInRange(-0.25, 0.0, 1.0, 0.5), 1);
  EXPECT_EQ(IsYrlDoubleInRange(1.5, 0.0, 1.0, 0.5), 0);
  EXPECT_EQ(IsYrlDoubleInRange(1.25, 0.0, 1.0, 0.5), 1);
  // Strict at both narrowed ends.
  EXPECT_EQ(IsYrlDoubleFullyInsideRange(0.25, 0.0, 1.0, 0.25), 0);
  EXPECT_EQ(IsYrlDoubleFullyInsideRange(0.5, 0.0, 1.0, 0.25), 1);
  EXPECT_EQ(IsYrlDoubleFullyInsideRange(0.75, 0.0, 1.0, 0.25), 0);

  const double p[3] = {1, 2, 3};
  const double near[3] = {1.00005, 2, 3};
  const double far[3] = {1.0002, 2, 3};
  EXPECT_EQ(IsYrlTwoPointsAtSameLoc(p, near), 1);
  EXPECT_EQ(IsYrlTwoPointsAtSameLoc(p, far), 0);

  double a = 1.0, b = -2.0;
  YrlDoubleSwap(&a, &b);
  EXPECT_EQ(a, -2.0);
  EXPECT_EQ(b, 1.0);
}

TEST(UtilLines, ParallelAndPerpendicular) {
  const double x[3] = {1, 0, 0};
  const double minus_x[3] = {-1, 0, 0};
  const double y[3] = {0, 1, 0};
  const double not_unit[3] = {2, 0, 0};
  EXPECT_EQ(YrlUtilVectorsParallel(x, minus_x), 1);
  EXPECT_EQ(YrlUtilVectorsParallel(x, y), 0);
  // Vectors are taken as unit vectors: |u.v| = 2 is "parallel" (1 - 2 <= 1e-6).
  EXPECT_EQ(YrlUtilVectorsParallel(x, not_unit), 1);

  const double l1[2][3] = {{0, 0, 0}, {2, 0, 0}};
  const double l2[2][3] = {{5, 1, 0}, {1, 1, 0}};   // reversed, still parallel
  const double l3[2][3] = {{0, 0, 0}, {0, 0, 3}};
  const double l4[2][3] = {{0, 0, 0}, {1, 1, 0}};
  EXPECT_EQ(YrlUtilLinesParallel(l1, l2), 1);
  EXPECT_EQ(YrlUtilLinesParallel(l1, l4), 0);
  EXPECT_EQ(YrlUtilLinesPerpendicular(l1, l3), 1);
  EXPECT_EQ(YrlUtilLinesPerpendicular(l1, l4), 0);
}

struct CrossCase {
  const char* what;
  double l1[2][3];
  double l2[2][3];
  std::optional<std::array<double, 3>> expected;
};

TEST(UtilLines, LineLineCrossing) {
  const CrossCase cases[] = {
      {"crossing in the xy plane", {{0, 0, 0}, {4, 0, 0}}, {{1, -1, 0}, {1, 3, 0}},
       std::array<double, 3>{1, 0, 0}},
      {"crossing beyond the segments", {{0, 0, 0}, {1, 0, 0}}, {{3, 1, 0}, {3, 2, 0}},
       std::array<double, 3>{3, 0, 0}},
      {"crossing at both midpoints, slanted plane", {{0, 0, 0}, {2, 2, 2}}, {{0, 2, 0}, {2, 0, 2}},
       std::array<double, 3>{1, 1, 1}},
      {"crossing at both midpoints, flat", {{0, 0, 0}, {2, 2, 0}}, {{0, 2, 0}, {2, 0, 0}},
       std::array<double, 3>{1, 1, 0}},
      {"first points together, even when skew", {{1, 1, 1}, {2, 1, 1}}, {{1, 1, 1.0000005}, {1, 2, 5}},
       std::array<double, 3>{1, 1, 1}},
      {"second points together", {{0, 0, 0}, {2, 2, 0}}, {{2, 0, 0}, {2, 2, 0}},
       std::array<double, 3>{2, 2, 0}},
      {"skew", {{0, 0, 0}, {1, 0, 0}}, {{0, 0, 1}, {0, 1, 1}}, std::nullopt},
      {"parallel and overlapping", {{0, 0, 0}, {2, 0, 0}}, {{1, 0, 0}, {3, 0, 0}}, std::nullopt},
  };
  for (const CrossCase& c : cases) {
    SCOPED_TRACE(c.what);
    double out[3] = {-7, -7, -7};
    double* result = YrlUtilLineLineX(c.l1, c.l2, out);
    if (!c.expected) {
      EXPECT_EQ(result, nullptr);
      continue;
    }
    ASSERT_EQ(result, out);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(out[i], (*c.expected)[i], 1e-12) << i;
  }
}

TEST(UtilLines, VerticalHorizontalAndMidpoint) {
  const double a[3] = {1, 5, 0}, b[3] = {1, 9, 0}, c[3] = {3, 5, 0}, d[3] = {4, 6, 0};
  int kind = -1;
  EXPECT_EQ(IsLineVertorHoriz(a, b, &kind), 0);
  EXPECT_EQ(kind, 1);
  IsLineVertorHoriz(a, c, &kind);
  EXPECT_EQ(kind, 2);
  IsLineVertorHoriz(a, d, &kind);
  EXPECT_EQ(kind, 0);

  double mid[3] = {0, 0, 42};
  EXPECT_EQ(YrlLineMidPointGet(d, a, mid), 0);
  EXPECT_EQ(mid[0], 2.5);
  EXPECT_EQ(mid[1], 5.5);
  EXPECT_EQ(mid[2], 42);  // 2-D: z untouched
  YrlLineMidPointGet(a, b, mid);
  EXPECT_EQ(mid[0], 1);
  EXPECT_EQ(mid[1], 7);
}

TEST(UtilLines, ProjectionOntoSegment) {
  const double a[3] = {0, 0, 0}, b[3] = {2, 0, 0};
  struct Case {
    double p[3];
    double tol;
    int inside;
    double foot[3];
    double dist;
  } cases[] = {
      {{1, 1, 0}, 0.01, 1, {1, 0, 0}, 1},
      {{3, 0, 0}, 0.01, 0, {3, 0, 0}, 0},
      {{-0.005, 2, 0}, 0.01, 1, {-0.005, 0, 0}, 2},
      {{2.02, 0, 1}, 0.01, 0, {2.02, 0, 0}, 1},
  };
  for (const Case& c : cases) {
    double foot[3], dist = -1;
    EXPECT_EQ(YrlProjectPointToSeg(c.p, a, b, foot, &dist, c.tol), c.inside) << c.p[0];
    for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(foot[i], c.foot[i]);
    EXPECT_DOUBLE_EQ(dist, c.dist);
  }
  // A segment without length: the foot is its point, the parameter half its length (0).
  const double p[3] = {1, 3, 0}, q[3] = {1, 1, 0};
  double foot[3], dist = 0;
  EXPECT_EQ(YrlProjectPointToSeg(p, q, q, foot, &dist, 0.01), 1);
  EXPECT_EQ(foot[1], 1);
  EXPECT_EQ(dist, 2);

  const double inside[3] = {0.5, 1, 0}, before[3] = {-1, 0, 0}, after[3] = {3, 0, 0};
  EXPECT_DOUBLE_EQ(YrlProjectPntOnLineParamEval(inside, a, b), 0.25);
  EXPECT_DOUBLE_EQ(YrlProjectPntOnLineParamEval(before, a, b), -0.5);
  EXPECT_DOUBLE_EQ(YrlProjectPntOnLineParamEval(after, a, b), 1.5);
  EXPECT_EQ(YrlProjectPntOnLineParamEval(p, q, q), 0.0);
}

class UtilAngle : public yrltest::UtilTest {};

TEST_F(UtilAngle, AngleBetweenLinesIsShownAndWritten) {
  struct Case {
    const char* what;
    double p1[3], p2[3], q1[3], q2[3];
    double angle;
    const char* shown;
  } cases[] = {
      {"two vertical lines", {0, 0, 0}, {0, 1, 0}, {2, 0, 0}, {2, 5, 0}, 0.0, "0"},
      {"vertical and horizontal", {0, 0, 0}, {0, 1, 0}, {0, 0, 0}, {1, 0, 0}, 90.0, "90"},
      {"horizontal and vertical", {0, 0, 0}, {1, 0, 0}, {0, 0, 0}, {0, 1, 0}, 90.0, "90"},
      {"45 degrees and horizontal", {0, 0, 0}, {1, 1, 0}, {0, 0, 0}, {1, 0, 0},
       -std::atan(1.0) * 57.29577951308232, "-45"},
      {"vertical and rising", {0, 0, 0}, {0, 1, 0}, {0, 0, 0}, {1, 1, 0},
       -std::atan(1.0) * 57.29577951308232, "-45"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    double angle = -1;
    EXPECT_EQ(YrlUtilFindAngleBetweenLines(c.p1, c.p2, c.q1, c.q2, &angle), 0);
    EXPECT_DOUBLE_EQ(angle, c.angle);
    ASSERT_FALSE(yrlhost::messages_displayed().empty());
    EXPECT_EQ(yrlhost::messages_displayed().back(),
              std::string("YRLFORM INFO The angle between the 2 lines are:  ") + c.shown);
  }
}

}  // namespace
