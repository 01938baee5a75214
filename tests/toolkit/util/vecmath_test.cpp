// Vector and transform utilities: exact results on a table of cases, the fixed order of
// the sums, the matrix inverse against a general inverse in long double, and the three
// functions that go through the host.
#include "toolkit/util/vecmath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "tests/support/console_capture.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"
#include "tests/toolkit/toolkit_test.h"
#include "toolkit/local/geomdata.h"
#include "toolkit/testreport/testreport.h"
#include "toolkit/testreport/testreport_testing.h"

namespace {

using Vec = std::vector<double>;

Vec v3(const double* p) { return Vec(p, p + 3); }

struct VectorCase {
  const char* what;
  double a[3];
  double b[3];
  double dot;
  double cross[3];
  double length_a;
};

// Expected values are exact: every product and sum here is representable.
const VectorCase vector_cases[] = {
    {"axes", {1, 0, 0}, {0, 1, 0}, 0, {0, 0, 1}, 1},
    {"general", {1, 2, 3}, {4, 5, 6}, 32, {-3, 6, -3}, std::sqrt(14.0)},
    {"parallel", {2, 4, 6}, {1, 2, 3}, 28, {0, 0, 0}, std::sqrt(56.0)},
    {"antiparallel", {1, -2, 2}, {-2, 4, -4}, -18, {0, 0, 0}, 3},
    {"zero a", {0, 0, 0}, {3, 4, 5}, 0, {0, 0, 0}, 0},
    {"zero both", {0, 0, 0}, {0, 0, 0}, 0, {0, 0, 0}, 0},
    {"negative", {-3, 0, -4}, {0, 7, 0}, 0, {28, 0, -21}, 5},
};

TEST(VecmathVectors, DotCrossLengthOnCases) {
  for (const VectorCase& c : vector_cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(VynUtilVectorDot(c.a, c.b), c.dot);
    double cross[3] = {9, 9, 9};
    EXPECT_EQ(VynUtilVectorCross(c.a, c.b, cross), cross);
    EXPECT_EQ(v3(cross), v3(c.cross));
    EXPECT_EQ(VynUtilVectorLength(c.a), c.length_a);
  }
}

TEST(VecmathVectors, SumsRunInTheirFixedOrder) {
  // Dot adds from the last component: (-1e16 + 1e16) + 1 keeps the 1 that
  // (1 + 1e16) - 1e16 would lose.
  const double ones[3] = {1, 1, 1};
  const double big[3] = {1, 1e16, -1e16};
  EXPECT_EQ(VynUtilVectorDot(ones, big), 1.0);
  // Length adds from the first: (1e16 + 1) + 1 rounds back to 1e16 twice, where
  // (1 + 1) + 1e16 would give 1e16 + 2 and a root one step above 1e8.
  const double v[3] = {1e8, 1, 1};
  EXPECT_EQ(VynUtilVectorLength(v), 1e8);
  const double w[3] = {1, 1, 1e8};
  EXPECT_GT(VynUtilVectorLength(w), 1e8);
}

TEST(VecmathVectors, ComponentFunctionsAndInPlaceUse) {
  double a[3] = {1, 2, 3};
  const double b[3] = {0.5, -1, 4};
  double out[3];
  EXPECT_EQ(v3(VynUtilVectorScale(-2, a, out)), (Vec{-2, -4, -6}));
  EXPECT_EQ(v3(VynUtilVectorSum(a, b, out)), (Vec{1.5, 1, 7}));
  EXPECT_EQ(v3(VynUtilVectorsLincom(2, a, 4, b, out)), (Vec{4, 0, 22}));
  EXPECT_EQ(VynUtilVectorDiff(a, b, a), a);
  EXPECT_EQ(v3(a), (Vec{0.5, 3, -1}));
  VynUtilVectorsLincom(1, a, -1, a, a);
  EXPECT_EQ(v3(a), (Vec{0, 0, 0}));

  double n[3] = {3, 0, 4};
  EXPECT_EQ(VynUtilVectorNormalize(n, n), n);
  EXPECT_EQ(v3(n), (Vec{0.6000000000000001, 0, 0.8}));  // 3 * (1/5), 4 * (1/5)
  double zero[3] = {0, 0, 0};
  VynUtilVectorNormalize(zero, out);
  for (double x : out) EXPECT_TRUE(std::isnan(x));  // 0 * infinity
}

TEST(VecmathVectors, CopyOfNullGivesZeros) {
  double to[3] = {7, 8, 9};
  EXPECT_EQ(VynUtilVectorCopy(nullptr, to), to);
  EXPECT_EQ(v3(to), (Vec{0, 0, 0}));
  const double nan_bits[3] = {-0.0, std::numeric_limits<double>::quiet_NaN(), 1};
  VynUtilVectorCopy(nan_bits, to);
  EXPECT_EQ(std::memcmp(to, nan_bits, sizeof to), 0);
}

TEST(VecmathDistances, PointsLinesAndPlanes) {
  const double p[3] = {1, 2, 3};
  const double q[3] = {4, 6, 3};
  EXPECT_EQ(VynUtilPointsDist(p, q), 5);

  const double l1[3] = {0, 0, 0};
  const double l2[3] = {10, 0, 0};
  const double off[3] = {3, 4, 0};
  EXPECT_EQ(VynUtilPointLineDist(off, l1, l2), 4);
  const double on[3] = {-7, 0, 0};
  EXPECT_EQ(VynUtilPointLineDist(on, l1, l2), 0);
  EXPECT_TRUE(std::isnan(VynUtilPointLineDist(off, l1, l1)));

  const double plane[3] = {0, 0, 1};
  const double up[3] = {0, 0, 1};
  const double up2[3] = {0, 0, 2};
  const double below[3] = {5, 5, -2};
  EXPECT_EQ(VynUtilPointPlaneDist(below, plane, up), -3);
  EXPECT_EQ(VynUtilPointPlaneDist(below, plane, up2), -6);
}

TEST(VecmathDistances, PlaneLineIntersection) {
  const double q[3] = {0, 0, 2};
  const double n[3] = {0, 0, 1};
  const double r[3] = {1, 1, 0};
  double out[3] = {7, 7, 7};
  const double d[3] = {1, 0, 1};
  EXPECT_EQ(VynUtilPlaneLineX(q, n, r, d, out), out);
  EXPECT_EQ(v3(out), (Vec{3, 1, 2}));

  struct Case {
    double dz;
    bool meets;
  } cases[] = {{0.999e-6, false}, {-0.999e-6, false}, {1e-6, true}, {-1e-6, true},
               {0.0, false}, {std::numeric_limits<double>::quiet_NaN(), false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dz);
    const double flat[3] = {1, 0, c.dz};
    double kept[3] = {7, 8, 9};
    double* result = VynUtilPlaneLineX(q, n, r, flat, kept);
    if (c.meets) {
      EXPECT_EQ(result, kept);
      EXPECT_NEAR(kept[2], 2, 1e-9);
    } else {
      EXPECT_EQ(result, nullptr);
      EXPECT_EQ(v3(kept), (Vec{7, 8, 9}));
    }
  }
}

// ---- Matrices

using Mat = double[4][4];

std::vector<double> flat(const Mat m) { return std::vector<double>(&m[0][0], &m[0][0] + 16); }

TEST(VecmathMatrices, BuildSplitCopy) {
  Mat m;
  for (int i = 0; i < 16; ++i) (&m[0][0])[i] = 50 + i;
  const double x[3] = {1, 2, 3};
  const double o[3] = {7, 8, 9};
  EXPECT_EQ(VynUtilVectorsToTransf(x, nullptr, nullptr, o, m), 0);
  EXPECT_EQ(flat(m), (Vec{1, 2, 3, 0, 54, 55, 56, 0, 58, 59, 60, 0, 7, 8, 9, 1}));

  double vx[3], vy[3], vz[3], vo[3];
  EXPECT_EQ(VynUtilTransfToVectors(m, vx, vy, vz, vo), 0);
  EXPECT_EQ(v3(vy), (Vec{54, 55, 56}));
  EXPECT_EQ(v3(vo), (Vec{7, 8, 9}));
  VynUtilTransfToVectors(nullptr, vx, vy, vz, vo);
  EXPECT_EQ(v3(vx), (Vec{0, 0, 0}));
  EXPECT_EQ(v3(vo), (Vec{0, 0, 0}));

  Mat copy;
  VynUtilMatrixCopy(m, copy);
  EXPECT_EQ(flat(copy), flat(m));
  VynUtilMatrixCopy(nullptr, copy);
  EXPECT_EQ(flat(copy), flat(vyn_util_identity_matrix));
}

TEST(VecmathMatrices, ProductAppliesTheFirstMatrixFirst) {
  Mat rot = {{0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};  // +90 about z
  Mat move = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {5, 0, 0, 1}};
  Mat out;
  VynUtilMatrixProduct(rot, move, out);
  // The point (1, 0, 0) goes to (0, 1, 0) and then to (5, 1, 0).
  EXPECT_EQ(flat(out), (Vec{0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 5, 0, 0, 1}));
  VynUtilMatrixProduct(move, rot, out);
  EXPECT_EQ(flat(out), (Vec{0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 5, 0, 1}));

  VynUtilMatrixProduct(nullptr, move, out);
  EXPECT_EQ(flat(out), flat(move));
  VynUtilMatrixProduct(rot, nullptr, out);
  EXPECT_EQ(flat(out), flat(rot));
  VynUtilMatrixProduct(nullptr, nullptr, out);
  EXPECT_EQ(flat(out), flat(vyn_util_identity_matrix));
}

// The general inverse by Gauss-Jordan elimination with partial pivoting, in long double.
bool reference_inverse(const Mat m, long double inv[4][4]) {
  long double a[4][8];
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      a[i][j] = m[i][j];
      a[i][4 + j] = i == j ? 1.0L : 0.0L;
    }
  }
  for (int col = 0; col < 4; ++col) {
    int pivot = col;
    for (int r = col + 1; r < 4; ++r) {
      if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
    }
    if (a[pivot][col] == 0.0L) return false;
    for (int j = 0; j < 8; ++j) std::swap(a[col][j], a[pivot][j]);
    long double p = a[col][col];
    for (int j = 0; j < 8; ++j) a[col][j] /= p;
    for (int r = 0; r < 4; ++r) {
      if (r == col) continue;
      long double f = a[r][col];
      for (int j = 0; j < 8; ++j) a[r][j] -= f * a[col][j];
    }
  }
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) inv[i][j] = a[i][4 + j];
  }
  return true;
}

// A rotation about an axis by an angle, scaled by scale, moved to origin.
void similarity(const double axis_in[3], double degrees, double scale, const double origin[3],
                Mat m) {
  double axis[3];
  VynUtilVectorNormalize(axis_in, axis);
  double a = degrees * 3.14159265358979323846 / 180.0;
  double c = std::cos(a), s = std::sin(a), t = 1 - c;
  double x = axis[0], y = axis[1], z = axis[2];
  double r[3][3] = {{t * x * x + c, t * x * y + s * z, t * x * z - s * y},
                    {t * x * y - s * z, t * y * y + c, t * y * z + s * x},
                    {t * x * z + s * y, t * y * z - s * x, t * z * z + c}};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) m[i][j] = scale * r[i][j];
    m[i][3] = 0;
    m[3][i] = origin[i];
  }
  m[3][3] = 1;
}

TEST(VecmathMatrices, InverseMatchesAGeneralInverseOnOrthogonalAndScaledInputs) {
  struct Case {
    double axis[3];
    double degrees;
    double scale;
    double origin[3];
  } cases[] = {
      {{0, 0, 1}, 0, 1, {0, 0, 0}},       {{0, 0, 1}, 90, 1, {1, 2, 3}},
      {{1, 1, 1}, 33, 1, {-4, 0.5, 10}},  {{1, -2, 0.5}, 147, 2, {100, -20, 3}},
      {{0.3, 0.1, -1}, 271, 0.25, {1e3, 2e3, -5e2}},
      {{1, 0, 0}, 180, 1e-4, {0.001, 0, -0.002}}, {{2, 3, 5}, 12.5, 37, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.degrees << " deg, scale " << c.scale);
    Mat m;
    similarity(c.axis, c.degrees, c.scale, c.origin, m);
    long double expected[4][4];
    ASSERT_TRUE(reference_inverse(m, expected));
    Mat out;
    ASSERT_EQ(VynUtilMatrixInvert(m, out), 1);
    // The inverse's axes are of length 1/scale, its origin of about |origin|/scale.
    double origin_size = std::fabs(c.origin[0]) + std::fabs(c.origin[1]) + std::fabs(c.origin[2]);
    for (int i = 0; i < 4; ++i) {
      double tolerance = 1e-13 / c.scale * (i == 3 ? 1 + origin_size : 1);
      for (int j = 0; j < 4; ++j) {
        EXPECT_NEAR(out[i][j], static_cast<double>(expected[i][j]), tolerance)
            << "at " << i << "," << j;
      }
    }
    Mat back;
    VynUtilMatrixProduct(m, out, back);
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 4; ++j) {
        EXPECT_NEAR(back[i][j], i == j ? 1 : 0,
                    1e-12 * (i == 3 && j < 3 ? 1 + std::fabs(c.origin[j]) : 1));
      }
    }
  }
}

TEST(VecmathMatrices, InverseEdgeCases) {
  Mat out;
  for (int i = 0; i < 16; ++i) (&out[0][0])[i] = 42;
  Mat tiny = {{3.1622776601683794e-10, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  ASSERT_LT(tiny[0][0] * tiny[0][0], 1e-18);  // about 1e-19
  EXPECT_EQ(VynUtilMatrixInvert(tiny, out), 0);
  EXPECT_EQ(flat(out), Vec(16, 42));
  Mat nan_axis = {{std::numeric_limits<double>::quiet_NaN(), 0, 0, 0}, {0, 1, 0, 0},
                  {0, 0, 1, 0}, {0, 0, 0, 1}};
  EXPECT_EQ(VynUtilMatrixInvert(nan_axis, out), 0);
  EXPECT_EQ(flat(out), Vec(16, 42));

  EXPECT_EQ(VynUtilMatrixInvert(nullptr, out), 1);
  EXPECT_EQ(flat(out), flat(vyn_util_identity_matrix));

  // Column 3 of the input is not read.
  Mat move = {{1, 0, 0, 9}, {0, 1, 0, 9}, {0, 0, 1, 9}, {1, 2, 3, 9}};
  EXPECT_EQ(VynUtilMatrixInvert(move, out), 1);
  EXPECT_EQ(flat(out), (Vec{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -1, -2, -3, 1}));

  Mat twice = {{2, 0, 0, 0}, {0, 2, 0, 0}, {0, 0, 2, 0}, {0, 0, 0, 1}};
  EXPECT_EQ(VynUtilMatrixInvert(twice, out), 1);
  EXPECT_EQ(flat(out), (Vec{0.5, 0, 0, 0, 0, 0.5, 0, 0, 0, 0, 0.5, 0, 0, 0, 0, 1}));
}

TEST(VecmathMatrices, Rotations) {
  Mat m;
  for (int i = 0; i < 16; ++i) (&m[0][0])[i] = 42;
  VynUtilXRot(30, m);
  double c = std::cos(30 * 3.14159265358979323846 / 180.0);
  double s = std::sin(30 * 3.14159265358979323846 / 180.0);
  EXPECT_EQ(flat(m), (Vec{1, 0, 0, 42, 0, c, s, 42, 0, -s, c, 42, 42, 42, 42, 42}));

  VynUtilRotZ(-90, m);
  double c9 = std::cos(-90 * 3.14159265358979323846 / 180.0);
  EXPECT_EQ(flat(m), (Vec{c9, -1, 0, 42, 1, c9, 0, 42, 0, 0, 1, 42, 42, 42, 42, 42}));
  // Rows are the rotated axes: x goes to -y for -90 degrees.
  EXPECT_NEAR(m[0][0], 0, 1e-16);
}

// ---- Arcs

TEST(VecmathArcs, CircleThroughThreePoints) {
  const double p1[3] = {6, 2, 0};
  const double p2[3] = {1, 7, 0};
  const double p3[3] = {-4, 2, 0};
  double radius = 0;
  double centre[3] = {9, 9, 9};
  EXPECT_EQ(VynUtilArc3Points(p1, p2, p3, &radius, centre), 1);
  EXPECT_NEAR(radius, 5, 1e-12);
  EXPECT_NEAR(centre[0], 1, 1e-12);
  EXPECT_NEAR(centre[1], 2, 1e-12);
  EXPECT_NEAR(centre[2], 0, 1e-12);

  // Tilted out of the XY plane: a circle of radius 2 about (1, 1, 1) in the plane x = 1.
  const double q1[3] = {1, 3, 1};
  const double q2[3] = {1, 1, 3};
  const double q3[3] = {1, -1, 1};
  EXPECT_EQ(VynUtilArc3Points(q1, q2, q3, &radius, centre), 1);
  EXPECT_NEAR(radius, 2, 1e-12);
  EXPECT_NEAR(centre[1], 1, 1e-12);
  EXPECT_NEAR(centre[2], 1, 1e-12);

  struct Case {
    const char* what;
    double a[3], b[3], c[3];
  } degenerate[] = {
      {"collinear", {0, 0, 0}, {1, 1, 1}, {3, 3, 3}},
      {"first equals middle", {1, 1, 0}, {1, 1, 0}, {3, 0, 0}},
      {"last equals middle", {0, 0, 0}, {1, 1, 0}, {1, 1, 0}},
      {"nearly collinear", {0, 0, 0}, {1, 1e-6, 0}, {2, 0, 0}},
  };
  for (const Case& c : degenerate) {
    SCOPED_TRACE(c.what);
    double kept[3] = {9, 9, 9};
    radius = 0;
    EXPECT_EQ(VynUtilArc3Points(c.a, c.b, c.c, &radius, kept), 0);
    EXPECT_EQ(radius, 1.0e11);
    EXPECT_EQ(v3(kept), (Vec{9, 9, 9}));
  }
}

TEST(VecmathArcs, EndPointsFollowTheArcThroughTheThirdPoint) {
  const double c[3] = {0, 0, 0};
  const double deg0[3] = {1, 0, 5};
  const double deg45[3] = {1, 1, 0};
  const double deg90[3] = {0, 1, 6};
  const double deg180[3] = {-1, 0, 7};
  const double deg359[3] = {1, -1e-9, 0};
  struct Case {
    const char* what;
    const double* p1;
    const double* p2;
    const double* p3;
    bool p1_starts;
  } cases[] = {
      {"between, p1 first", deg0, deg90, deg45, true},
      {"between, p2 first", deg90, deg0, deg45, false},
      {"above both", deg0, deg90, deg180, false},   // the arc runs 90 -> 360 -> 0
      {"above both, swapped", deg90, deg0, deg359, true},
      {"below both", deg90, deg180, deg45, false},  // the arc runs 180 -> 360 -> 90
      {"on the centre", deg0, deg90, c, true},      // angle 0, equal to p1's: between
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    double start[3], end[3];
    EXPECT_EQ(VynUtilArcEndPoints(k.p1, k.p2, k.p3, c, start, end), 0);
    EXPECT_EQ(v3(start), k.p1_starts ? v3(k.p1) : v3(k.p2));
    EXPECT_EQ(v3(end), k.p1_starts ? v3(k.p2) : v3(k.p1));
  }
  // The end points may be written over the inputs.
  double a[3] = {1, 0, 5};
  double b[3] = {0, 1, 6};
  const double above[3] = {-1, 0, 0};
  VynUtilArcEndPoints(a, b, above, c, a, b);
  EXPECT_EQ(v3(a), (Vec{0, 1, 6}));
  EXPECT_EQ(v3(b), (Vec{1, 0, 5}));
}

// ---- Through the host

// Host functions of the tests' own: the point and vector transforms map through the
// matrix as rows; the component path's transform is a translation by (10, 0, 0). Each
// answers its status below and counts its calls.
struct FakeHost {
  VynError point_status = 0;
  VynError path_status = 0;
  VynError trf_status = 0;
  int point_calls = 0;
  int vector_calls = 0;
  int path_calls = 0;
  int trf_calls = 0;
};
FakeHost fake;

VynError point_trf(int, const double* p, const double (*m)[4], double* out) {
  ++fake.point_calls;
  if (fake.point_status != 0) return fake.point_status;
  for (int j = 0; j < 3; ++j) out[j] = p[0] * m[0][j] + p[1] * m[1][j] + p[2] * m[2][j] + m[3][j];
  return 0;
}
VynError vector_trf(int, const double* v, const double (*m)[4], double* out) {
  ++fake.vector_calls;
  for (int j = 0; j < 3; ++j) out[j] = v[0] * m[0][j] + v[1] * m[1][j] + v[2] * m[2][j];
  return 0;
}
VynError path_get(int, VynSelection, VynAsmcomppath*) {
  ++fake.path_calls;
  return fake.path_status;
}
VynError path_trf(int, VynAsmcomppath*, int, double (*m)[4]) {
  ++fake.trf_calls;
  if (fake.trf_status != 0) return fake.trf_status;
  VynUtilMatrixCopy(nullptr, m);
  m[3][0] = 10;
  return 0;
}


class VecmathHostTest : public yrltest::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    testreport_testing_reset();
    fake = FakeHost();
    // The silent mode, decided here so that its banner stays out of the output.
    env.set("R_VYNDEV_REGRESS", nullptr);
    env.set("VYNTOOL_DEBUG", nullptr);
    yrltest::ConsoleCapture quiet;
    VynTestRunmodeGet();
  }
  void TearDown() override {
    testreport_testing_reset();
    ToolkitTest::TearDown();
  }
  void bind(bool with_rows) {
    if (with_rows) {
      table_options.extra = {yrltest::host_row(&point_trf, "VynPntTrfEval_v"),
                             yrltest::host_row(&vector_trf, "VynVectorTrfEval_v"),
                             yrltest::host_row(&path_get, "VynSelectionAsmcomppathGet_v"),
                             yrltest::host_row(&path_trf, "VynAsmcomppathTrfGet_v")};
    }
    bind_table();
  }
  yrltest::ScopedEnv env;
};

TEST_F(VecmathHostTest, PointAndVectorGoThroughTheHost) {
  bind(true);
  Mat m = {{0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 0}, {5, 6, 7, 1}};
  const double p[3] = {1, 2, 3};
  double out[3];
  EXPECT_EQ(VynUtilPointTrans(m, p, out), out);
  EXPECT_EQ(v3(out), (Vec{3, 7, 10}));
  EXPECT_EQ(VynUtilVectorTrans(m, p, out), out);
  EXPECT_EQ(v3(out), (Vec{-2, 1, 3}));
  EXPECT_EQ(fake.point_calls, 1);
  EXPECT_EQ(fake.vector_calls, 1);

  // A null matrix copies without asking the host.
  VynUtilPointTrans(nullptr, p, out);
  EXPECT_EQ(v3(out), v3(p));
  VynUtilVectorTrans(nullptr, p, out);
  EXPECT_EQ(v3(out), v3(p));
  EXPECT_EQ(fake.point_calls, 1);
  EXPECT_EQ(fake.vector_calls, 1);
}

TEST_F(VecmathHostTest, HostStatusesGoToTheTestCallReport) {
  bind(true);
  fake.point_status = -1;
  yrltest::TempDir dir;
  testreport_testing_reset();
  env.set("VYNTOOL_DEBUG", "report");
  env.set("VYNTOOL_LOG_DIR", dir.path().c_str());
  {
    yrltest::ConsoleCapture quiet;
    VynTestErrlogOpen("vec", "v", "b");
  }
  Mat m = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  const double p[3] = {1, 2, 3};
  double out[3];
  VynUtilVectorTrans(m, p, out);
  VynUtilPointTrans(m, p, out);
  VynTestErrlogClose();
  std::string text = yrltest::read_file(dir.file("vec.log"));
  std::string lines = std::string("VynVectorTrfEval()") + std::string(19, ' ') + " " +
                      "VynUtilVectorTrans()" + std::string(17, ' ') + " 0\n" +
                      "VynPntTrfEval()" + std::string(22, ' ') + " " + "VynUtilPointTrans()" +
                      std::string(18, ' ') + "-1\n";
  ASSERT_GE(text.size(), lines.size());
  EXPECT_EQ(text.substr(text.size() - lines.size()), lines);
}

TEST_F(VecmathHostTest, FailedPointTransformLeavesTheOutputAlone) {
  bind(true);
  fake.point_status = -1;
  Mat m = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {5, 6, 7, 1}};
  const double p[3] = {1, 2, 3};
  double out[3] = {-1, -2, -3};
  EXPECT_EQ(VynUtilPointTrans(m, p, out), out);
  EXPECT_EQ(v3(out), (Vec{-1, -2, -3}));
}

TEST_F(VecmathHostTest, CsysInverseInAssemblyContext) {
  bind(true);
  // x, y, z axes and origin of the coordinate system: rotated +90 about z, at (1, 2, 3).
  double vectors[12] = {0, 1, 0, -1, 0, 0, 0, 0, 1, 1, 2, 3};
  VynGeomitemdata data;
  std::memset(&data, 0, sizeof data);
  data.obj_type = 25;
  double* pointer = vectors;
  std::memcpy(reinterpret_cast<unsigned char*>(&data) + offsetof(VynGeomitemdata, data), &pointer,
              sizeof pointer);
  Mat out;
  EXPECT_EQ(VynUtilInvertCsysMatrix(nullptr, &data, out), 0);
  // The system's matrix moved by (10, 0, 0) has its origin at (11, 2, 3); the inverse
  // takes that origin back to 0.
  EXPECT_EQ(flat(out), (Vec{0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, -2, 11, -3, 1}));
  EXPECT_EQ(fake.path_calls, 1);
  EXPECT_EQ(fake.trf_calls, 1);
}

TEST_F(VecmathHostTest, CsysInverseFailuresGiveTheIdentityAndAStatus) {
  bind(true);
  double vectors[12] = {0, 1, 0, -1, 0, 0, 0, 0, 1, 1, 2, 3};
  double* pointer = vectors;
  VynGeomitemdata data;
  std::memset(&data, 0, sizeof data);
  std::memcpy(reinterpret_cast<unsigned char*>(&data) + offsetof(VynGeomitemdata, data), &pointer,
              sizeof pointer);
  Mat out;
  auto garbage = [&out] {
    for (int i = 0; i < 16; ++i) (&out[0][0])[i] = 42;
  };

  garbage();
  EXPECT_EQ(VynUtilInvertCsysMatrix(nullptr, nullptr, out), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(flat(out), flat(vyn_util_identity_matrix));

  garbage();
  fake.path_status = -4;
  EXPECT_EQ(VynUtilInvertCsysMatrix(nullptr, &data, out), -4);
  EXPECT_EQ(flat(out), flat(vyn_util_identity_matrix));

  garbage();
  fake.path_status = 0;
  fake.trf_status = -1;
  EXPECT_EQ(VynUtilInvertCsysMatrix(nullptr, &data, out), -1);
  EXPECT_EQ(flat(out), flat(vyn_util_identity_matrix));

  // Zero axes cannot be inverted.
  double flat_axes[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3};
  fake.trf_status = 0;
  pointer = flat_axes;
  std::memcpy(reinterpret_cast<unsigned char*>(&data) + offsetof(VynGeomitemdata, data), &pointer,
              sizeof pointer);
  garbage();
  EXPECT_EQ(VynUtilInvertCsysMatrix(nullptr, &data, out), VYN_TK_GENERAL_ERROR);
  EXPECT_EQ(flat(out), flat(vyn_util_identity_matrix));
}

}  // namespace
