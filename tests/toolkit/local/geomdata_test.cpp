// The local Init and Get functions of the geometry data records: curves, surfaces and
// their shapes, contours, datums, interface data, quilts, import-feature sources, the
// new-surface stamp and the B-spline inner-knot check.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "host/util/host_arrays.h"
#include "tests/toolkit/toolkit_test.h"
#include "toolkit/api/app_api.h"
#include "toolkit/local/geomdata.h"
#include "toolkit/local/geomdata_testing.h"

namespace {

constexpr unsigned char kFill = 0xAB;

class GeomdataTest : public yrltest::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    geomdata_testing_reset();
  }
  void TearDown() override {
    geomdata_testing_reset();
    ToolkitTest::TearDown();
  }
};

// A record whose every byte is kFill, to see what a call leaves alone.
template <typename T>
T filled() {
  T record;
  std::memset(&record, kFill, sizeof record);
  return record;
}

template <typename T>
bool same_bytes(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

double double_at(const void* record, std::size_t offset) {
  double value;
  std::memcpy(&value, static_cast<const unsigned char*>(record) + offset, sizeof value);
  return value;
}

int int_at(const void* record, std::size_t offset) {
  int value;
  std::memcpy(&value, static_cast<const unsigned char*>(record) + offset, sizeof value);
  return value;
}

// The first offset in [from, to) whose byte is not value; to when there is none.
std::size_t first_byte_not(const void* record, std::size_t from, std::size_t to,
                           unsigned char value) {
  const auto* bytes = static_cast<const unsigned char*>(record);
  for (std::size_t i = from; i < to; ++i) {
    if (bytes[i] != value) return i;
  }
  return to;
}

// A curve record of the given kind whose other bytes are kFill.
VynCurvedata curve_of_type(int type) {
  VynCurvedata curve = filled<VynCurvedata>();
  std::memcpy(&curve, &type, sizeof type);
  return curve;
}

std::u16string repeat(char16_t c, std::size_t n) { return std::u16string(n, c); }

// ---- Typed curves

// Each kind is initialised with the values 1, 2, 3, ... in argument order (points and
// vectors as three each), which the layout puts as consecutive doubles from byte 8.
struct CurveKind {
  const char* name;
  int type;
  int doubles;
  std::function<VynError(VynCurvedata*)> init;
  // Reads every field into out, in argument order.
  std::function<VynError(const VynCurvedata*, double* out)> get;
};

const double p1[3] = {1, 2, 3};
const double p2[3] = {4, 5, 6};
const double p3[3] = {7, 8, 9};

std::vector<CurveKind> curve_kinds() {
  return {
      {"point", VYN_CURVE_POINT, 3, [](VynCurvedata* c) { return VynPointdataInit(p1, c); },
       [](const VynCurvedata* c, double* o) { return VynPointdataGet(c, o); }},
      {"line", VYN_CURVE_LINE, 6, [](VynCurvedata* c) { return VynLinedataInit(p1, p2, c); },
       [](const VynCurvedata* c, double* o) { return VynLinedataGet(c, o, o + 3); }},
      {"arc", VYN_CURVE_ARC, 12,
       [](VynCurvedata* c) { return VynArcdataInit(p1, p2, p3, 10, 11, 12, c); },
       [](const VynCurvedata* c, double* o) {
         return VynArcdataGet(c, o, o + 3, o + 6, o + 9, o + 10, o + 11);
       }},
      {"ellipse", VYN_CURVE_ELLIPSE, 13,
       [](VynCurvedata* c) { return VynEllipsedataInit(p1, p2, p3, 10, 11, 12, 13, c); },
       [](const VynCurvedata* c, double* o) {
         return VynEllipsedataGet(c, o, o + 3, o + 6, o + 9, o + 10, o + 11, o + 12);
       }},
      {"circle", VYN_CURVE_CIRCLE, 7,
       [](VynCurvedata* c) { return VynCircledataInit(c, p1, p2, 7); },
       [](const VynCurvedata* c, double* o) { return VynCircledataGet(o, o + 3, o + 6, c); }},
      {"arrow", VYN_CURVE_ARROW, 6, [](VynCurvedata* c) { return VynArrowdataInit(p1, p2, c); },
       [](const VynCurvedata* c, double* o) { return VynArrowdataGet(c, o, o + 3); }},
  };
}

TEST_F(GeomdataTest, CurveInitWritesTheTypeAndFieldsAtTheirOffsetsAndNothingElse) {
  for (const CurveKind& kind : curve_kinds()) {
    SCOPED_TRACE(kind.name);
    VynCurvedata curve = filled<VynCurvedata>();
    ASSERT_EQ(kind.init(&curve), 0);
    EXPECT_EQ(int_at(&curve, 0), kind.type);
    EXPECT_EQ(first_byte_not(&curve, 4, 8, kFill), 8u);  // bytes 4 to 7 are not used
    for (int i = 0; i < kind.doubles; ++i) EXPECT_EQ(double_at(&curve, 8 + 8 * i), i + 1.0);
    const std::size_t end = 8 + 8 * static_cast<std::size_t>(kind.doubles);
    EXPECT_EQ(first_byte_not(&curve, end, sizeof curve, kFill), sizeof curve);

    double out[13] = {};
    ASSERT_EQ(kind.get(&curve, out), 0);
    for (int i = 0; i < kind.doubles; ++i) EXPECT_EQ(out[i], i + 1.0);
  }
}

TEST_F(GeomdataTest, CurveGetOfAnotherTypeIsInvalidAndWritesNothing) {
  for (const CurveKind& kind : curve_kinds()) {
    SCOPED_TRACE(kind.name);
    // Another kind, and the kind's code with a higher byte set: Get compares the whole
    // word, although the type getter reads the low byte.
    const int other = kind.type == VYN_CURVE_ARC ? VYN_CURVE_LINE : VYN_CURVE_ARC;
    for (int word : {other, kind.type | 0x100, 0}) {
      VynCurvedata curve = curve_of_type(word);
      double out[13];
      std::memset(out, kFill, sizeof out);
      EXPECT_EQ(kind.get(&curve, out), VYN_TK_INVALID_TYPE);
      EXPECT_EQ(first_byte_not(out, 0, sizeof out, kFill), sizeof out);
    }
    double out[13];
    EXPECT_EQ(kind.get(nullptr, out), VYN_TK_BAD_INPUTS);
    EXPECT_EQ(kind.init(nullptr), VYN_TK_BAD_INPUTS);
  }
}

TEST_F(GeomdataTest, LinedataGetOnAnArcLeavesTheOutputsUntouched) {
  VynCurvedata arc = filled<VynCurvedata>();
  ASSERT_EQ(VynArcdataInit(p1, p2, p3, 0.5, 1.5, 2.5, &arc), 0);
  double end1[3] = {-1, -1, -1};
  double end2[3] = {-2, -2, -2};
  EXPECT_EQ(VynLinedataGet(&arc, end1, end2), -18);
  EXPECT_EQ(end1[0], -1);
  EXPECT_EQ(end2[2], -2);
}

TEST_F(GeomdataTest, GetWritesOnlyTheOutputsGiven) {
  VynCurvedata arc = filled<VynCurvedata>();
  ASSERT_EQ(VynArcdataInit(p1, p2, p3, 0.5, 1.5, 2.5, &arc), 0);
  double radius = 0;
  EXPECT_EQ(VynArcdataGet(&arc, nullptr, nullptr, nullptr, nullptr, nullptr, &radius), 0);
  EXPECT_EQ(radius, 2.5);
  double start = 0;
  double origin[3] = {};
  EXPECT_EQ(VynArcdataGet(&arc, nullptr, nullptr, origin, &start, nullptr, nullptr), 0);
  EXPECT_EQ(start, 0.5);
  EXPECT_EQ(origin[2], 9);
}

TEST_F(GeomdataTest, CurveInitWithAMissingPointWritesNothing) {
  const std::vector<std::pair<const char*, std::function<VynError(VynCurvedata*)>>> calls = {
      {"point", [](VynCurvedata* c) { return VynPointdataInit(nullptr, c); }},
      {"line end1", [](VynCurvedata* c) { return VynLinedataInit(nullptr, p2, c); }},
      {"line end2", [](VynCurvedata* c) { return VynLinedataInit(p1, nullptr, c); }},
      {"arc", [](VynCurvedata* c) { return VynArcdataInit(p1, p2, nullptr, 0, 1, 2, c); }},
      {"ellipse", [](VynCurvedata* c) { return VynEllipsedataInit(p1, nullptr, p3, 1, 2, 3, 4, c); }},
      {"circle", [](VynCurvedata* c) { return VynCircledataInit(c, p1, nullptr, 1); }},
      {"arrow", [](VynCurvedata* c) { return VynArrowdataInit(nullptr, p2, c); }},
      {"text", [](VynCurvedata* c) { return VynTextdataInit(u"t", nullptr, 0, 0, u"f", 0, 0, 0, 0, c); }},
      {"text font", [](VynCurvedata* c) { return VynTextdataInit(u"t", p1, 0, 0, nullptr, 0, 0, 0, 0, c); }},
      {"text string", [](VynCurvedata* c) { return VynTextdataInit(nullptr, p1, 0, 0, u"f", 0, 0, 0, 0, c); }},
  };
  for (const auto& [name, call] : calls) {
    SCOPED_TRACE(name);
    VynCurvedata curve = filled<VynCurvedata>();
    EXPECT_EQ(call(&curve), VYN_TK_BAD_INPUTS);
    EXPECT_TRUE(same_bytes(curve, filled<VynCurvedata>()));
  }
}

TEST_F(GeomdataTest, TypeGetReadsTheLowByteAndTypeSetTheWholeWord) {
  VynCurvedata curve = curve_of_type(0x103);
  int type = -1;
  EXPECT_EQ(VynCurvedataTypeGet(&curve, &type), 0);
  EXPECT_EQ(type, 3);
  EXPECT_EQ(VynCurvedataTypeSet(&curve, 0x7654321), 0);
  EXPECT_EQ(int_at(&curve, 0), 0x7654321);
  EXPECT_EQ(first_byte_not(&curve, 4, sizeof curve, kFill), sizeof curve);
  EXPECT_EQ(VynCurvedataTypeGet(&curve, &type), 0);
  EXPECT_EQ(type, 0x21);

  EXPECT_EQ(VynCurvedataTypeGet(nullptr, &type), -2);
  EXPECT_EQ(VynCurvedataTypeGet(&curve, nullptr), -2);
  EXPECT_EQ(VynCurvedataTypeSet(nullptr, 2), -2);
}

// ---- Text curves

TEST_F(GeomdataTest, TextInitPlacesEveryValueAndGetReadsThemBack) {
  VynCurvedata curve = filled<VynCurvedata>();
  ASSERT_EQ(VynTextdataInit(u"Note", p1, 4.5, -7, u"font3", 0.25, 0.5, 0.75, 1.0, &curve), 0);
  EXPECT_EQ(int_at(&curve, 0), VYN_CURVE_TEXT);
  EXPECT_EQ(std::memcmp(reinterpret_cast<const unsigned char*>(&curve) + 4, u"Note", 10), 0);
  EXPECT_EQ(double_at(&curve, 528), 1);
  EXPECT_EQ(double_at(&curve, 544), 3);
  EXPECT_EQ(double_at(&curve, 552), 4.5);
  EXPECT_EQ(int_at(&curve, 560), -7);
  EXPECT_EQ(std::memcmp(reinterpret_cast<const unsigned char*>(&curve) + 564, u"font3", 12), 0);
  EXPECT_EQ(double_at(&curve, 632), 0.25);
  EXPECT_EQ(double_at(&curve, 656), 1.0);
  // The rest of each string field is cleared, the unused bytes 524..527 and 628..631
  // (padding) are left alone.
  EXPECT_EQ(first_byte_not(&curve, 4 + 10, 524, 0), 524u);
  EXPECT_EQ(first_byte_not(&curve, 564 + 12, 628, 0), 628u);
  EXPECT_EQ(first_byte_not(&curve, 524, 528, kFill), 528u);

  VynWchar text[260];
  VynWchar font[32];
  double point[3];
  double value = 0;
  double values[4] = {};
  int int_value = 0;
  ASSERT_EQ(VynTextdataGet(&curve, text, point, &value, &int_value, font, &values[0], &values[1],
                           &values[2], &values[3]),
            0);
  EXPECT_EQ(std::u16string(text), u"Note");
  EXPECT_EQ(std::u16string(font), u"font3");
  EXPECT_EQ(point[1], 2);
  EXPECT_EQ(value, 4.5);
  EXPECT_EQ(int_value, -7);
  EXPECT_EQ(values[2], 0.75);
  EXPECT_EQ(VynTextdataGet(&curve, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr),
            0);
}

TEST_F(GeomdataTest, TextInitReadsTheStringsOnlyToTheirTerminatorsAndCutsLongOnes) {
  // Exactly as long as the strings: reading one unit further is a heap overflow.
  const std::u16string short_text = u"AB";
  auto* text = new VynWchar[short_text.size() + 1];
  std::memcpy(text, short_text.c_str(), (short_text.size() + 1) * sizeof(VynWchar));
  auto* font = new VynWchar[1]{0};
  VynCurvedata curve = filled<VynCurvedata>();
  EXPECT_EQ(VynTextdataInit(text, p1, 0, 0, font, 0, 0, 0, 0, &curve), 0);
  EXPECT_EQ(std::u16string(curve.text.text), u"AB");
  EXPECT_EQ(curve.text.font[0], 0);
  delete[] text;
  delete[] font;

  // Longer than the fields: 259 and 31 characters are kept, then the terminator.
  const std::u16string long_text = repeat(u'T', 300);
  const std::u16string long_font = repeat(u'F', 40);
  curve = filled<VynCurvedata>();
  EXPECT_EQ(VynTextdataInit(long_text.c_str(), p1, 0, 0, long_font.c_str(), 0, 0, 0, 0, &curve), 0);
  EXPECT_EQ(std::u16string(curve.text.text), repeat(u'T', 259));
  EXPECT_EQ(std::u16string(curve.text.font), repeat(u'F', 31));
  EXPECT_EQ(double_at(&curve, 528), 1);  // the point after the text is intact
  EXPECT_EQ(double_at(&curve, 632), 0);  // and the value after the font
}

// ---- Component curves

TEST_F(GeomdataTest, ComponentCurveCopiesTheWholeCurveAndTheDirection) {
  VynCurvedata line = filled<VynCurvedata>();
  ASSERT_EQ(VynLinedataInit(p1, p2, &line), 0);
  VynComponentCurvedata component = filled<VynComponentCurvedata>();
  EXPECT_EQ(VynComponentCurvedataInit(&line, -1, &component), 0);
  EXPECT_TRUE(same_bytes(component.curve, line));
  EXPECT_EQ(int_at(&component, 664), -1);

  VynCurvedata out = curve_of_type(0);
  int direction = 0;
  EXPECT_EQ(VynComponentCurvedataGet(&component, &out, &direction), 0);
  EXPECT_TRUE(same_bytes(out, line));
  EXPECT_EQ(direction, -1);
  EXPECT_EQ(VynComponentCurvedataGet(&component, &out, nullptr), 0);

  EXPECT_EQ(VynComponentCurvedataInit(nullptr, 1, &component), -2);
  EXPECT_EQ(VynComponentCurvedataInit(&line, 1, nullptr), -2);
  EXPECT_EQ(VynComponentCurvedataGet(&component, nullptr, &direction), -2);
  EXPECT_EQ(VynComponentCurvedataGet(nullptr, &out, &direction), -2);
}

// ---- Contours

TEST_F(GeomdataTest, ContourInitWritesTheTraversalOnlyAndGetsReadBothWords) {
  VynContourdata contour = filled<VynContourdata>();
  int edge_ids_stand_in = 0;
  contour.edge_ids = &edge_ids_stand_in;
  EXPECT_EQ(VynContourdataInit(-1, &contour), 0);
  EXPECT_EQ(int_at(&contour, 0), -1);
  EXPECT_EQ(contour.edge_ids, &edge_ids_stand_in);

  int traversal = 0;
  VynArray edge_ids = nullptr;
  EXPECT_EQ(VynContourdataGet(&contour, &traversal), 0);
  EXPECT_EQ(traversal, -1);
  EXPECT_EQ(VynContourdataEdgeIdArrayGet(&contour, &edge_ids), 0);
  EXPECT_EQ(edge_ids, &edge_ids_stand_in);

  EXPECT_EQ(VynContourdataInit(0, nullptr), -2);
  EXPECT_EQ(VynContourdataGet(&contour, nullptr), -2);
  EXPECT_EQ(VynContourdataGet(nullptr, &traversal), -2);
  EXPECT_EQ(VynContourdataEdgeIdArrayGet(&contour, nullptr), -2);
  EXPECT_EQ(VynContourdataEdgeIdArrayGet(nullptr, &edge_ids), -2);
}

// ---- Surfaces and the stamp

VynSurfaceShape shape_with_pattern() {
  VynSurfaceShape shape;
  auto* bytes = reinterpret_cast<unsigned char*>(&shape);
  for (std::size_t i = 0; i < sizeof shape; ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 1);
  return shape;
}

TEST_F(GeomdataTest, SurfaceInitClearsTheRecordAndPlacesEveryField) {
  const double uv_min[2] = {-1.5, -2.5};
  const double uv_max[2] = {3.5, 4.5};
  const VynSurfaceShape shape = shape_with_pattern();
  VynSurfacedata surface = filled<VynSurfacedata>();
  ASSERT_EQ(VynSurfacedataInit(VYN_SRF_CONE, uv_min, uv_max, -1, &shape, 77, &surface), 0);
  EXPECT_EQ(int_at(&surface, 0), VYN_SRF_CONE);
  EXPECT_EQ(double_at(&surface, 8), -1.5);
  EXPECT_EQ(double_at(&surface, 16), -2.5);
  EXPECT_EQ(double_at(&surface, 24), 3.5);
  EXPECT_EQ(double_at(&surface, 32), 4.5);
  EXPECT_EQ(int_at(&surface, 88), -1);
  EXPECT_EQ(std::memcmp(reinterpret_cast<const unsigned char*>(&surface) + 96, &shape, 2848), 0);
  EXPECT_EQ(int_at(&surface, 2960), 77);
  // Everything else is zero: the words after the type, bytes 40 to 87, the stamp (the
  // flag is off) and the tail.
  EXPECT_EQ(first_byte_not(&surface, 4, 8, 0), 8u);
  EXPECT_EQ(first_byte_not(&surface, 40, 88, 0), 88u);
  EXPECT_EQ(first_byte_not(&surface, 92, 96, 0), 96u);
  EXPECT_EQ(first_byte_not(&surface, 2944, 2960, 0), 2960u);
  EXPECT_EQ(first_byte_not(&surface, 2964, sizeof surface, 0), sizeof surface);

  // Missing uv pairs stay zero.
  ASSERT_EQ(VynSurfacedataInit(VYN_SRF_PLANE, nullptr, nullptr, 1, &shape, 5, &surface), 0);
  EXPECT_EQ(first_byte_not(&surface, 8, 40, 0), 40u);

  surface = filled<VynSurfacedata>();
  EXPECT_EQ(VynSurfacedataInit(VYN_SRF_PLANE, uv_min, uv_max, 1, nullptr, 5, &surface), -2);
  EXPECT_TRUE(same_bytes(surface, filled<VynSurfacedata>()));
  EXPECT_EQ(VynSurfacedataInit(VYN_SRF_PLANE, uv_min, uv_max, 1, &shape, 5, nullptr), -2);
}

TEST_F(GeomdataTest, SurfaceInitStampsOnlyWhileTheFlagIsOn) {
  EXPECT_EQ(get_new_vek_srf_flavour(), 0);
  const VynSurfaceShape shape = shape_with_pattern();
  VynSurfacedata surface = filled<VynSurfacedata>();
  set_new_vek_srf_flavour(1);
  EXPECT_EQ(get_new_vek_srf_flavour(), 1);
  ASSERT_EQ(VynSurfacedataInit(VYN_SRF_PLANE, nullptr, nullptr, 1, &shape, 31, &surface), 0);
  EXPECT_EQ(int_at(&surface, 2944), 1234567890);
  EXPECT_EQ(int_at(&surface, 2948), 0);
  EXPECT_EQ(int_at(&surface, 2952), 0);
  EXPECT_EQ(int_at(&surface, 2956), 31);
  EXPECT_EQ(is_new_vek_surf(surface.stamp), 1);

  geomdata_testing_reset();
  EXPECT_EQ(get_new_vek_srf_flavour(), 0);
  ASSERT_EQ(VynSurfacedataInit(VYN_SRF_PLANE, nullptr, nullptr, 1, &shape, 31, &surface), 0);
  EXPECT_EQ(is_new_vek_surf(surface.stamp), 0);
}

TEST_F(GeomdataTest, SurfaceGetGivesTheStampedIdOfAStampedRecord) {
  const double uv_min[2] = {0.5, 1.5};
  const double uv_max[2] = {2.5, 3.5};
  const VynSurfaceShape shape = shape_with_pattern();
  VynSurfacedata surface;
  ASSERT_EQ(VynSurfacedataInit(VYN_SRF_TORUS, uv_min, uv_max, -1, &shape, 12, &surface), 0);

  int type = 0;
  int orient = 0;
  int id = 0;
  double min[2] = {};
  double max[2] = {};
  VynSurfaceShape out_shape;
  std::memset(&out_shape, 0, sizeof out_shape);
  ASSERT_EQ(VynSurfacedataGet(&surface, &type, min, max, &orient, &out_shape, &id), 0);
  EXPECT_EQ(type, VYN_SRF_TORUS);
  EXPECT_EQ(min[1], 1.5);
  EXPECT_EQ(max[0], 2.5);
  EXPECT_EQ(orient, -1);
  EXPECT_TRUE(same_bytes(out_shape, shape));
  EXPECT_EQ(id, 12);

  ASSERT_EQ(set_new_vek_surf(surface.stamp), 1);
  ASSERT_EQ(set_new_vek_surf_id(surface.stamp, 4000), 1);
  id = 0;
  ASSERT_EQ(VynSurfacedataGet(&surface, nullptr, nullptr, nullptr, nullptr, nullptr, &id), 0);
  EXPECT_EQ(id, 4000);
  EXPECT_EQ(int_at(&surface, 2960), 12);
  EXPECT_EQ(VynSurfacedataGet(nullptr, &type, min, max, &orient, &out_shape, &id), -2);
}

TEST_F(GeomdataTest, StampOperationsActOnlyOnAStampedStamp) {
  int stamp[4] = {0, 11, 22, 33};
  EXPECT_EQ(is_new_vek_surf(stamp), 0);
  EXPECT_EQ(get_new_vek_surf_id(stamp), 0);
  EXPECT_EQ(set_new_vek_surf_id(stamp, 9), 0);
  EXPECT_EQ(stamp[3], 33);
  VynArray holder[4] = {nullptr, nullptr, nullptr, nullptr};
  int contour_stand_in = 0;
  EXPECT_EQ(set_new_vek_surf_contour_arr(stamp, holder, &contour_stand_in), 0);
  EXPECT_EQ(holder[3], nullptr);

  EXPECT_EQ(set_new_vek_surf(stamp), 1);
  EXPECT_EQ(stamp[0], 1234567890);
  EXPECT_EQ(stamp[1], 11);  // words 1 and 2 are the host's
  EXPECT_EQ(stamp[2], 22);
  EXPECT_EQ(is_new_vek_surf(stamp), 1);
  EXPECT_EQ(get_new_vek_surf_id(stamp), 33);
  EXPECT_EQ(set_new_vek_surf_id(stamp, 9), 1);
  EXPECT_EQ(get_new_vek_surf_id(stamp), 9);
  EXPECT_EQ(set_new_vek_surf_contour_arr(stamp, holder, &contour_stand_in), 1);
  EXPECT_EQ(holder[3], &contour_stand_in);
  EXPECT_EQ(get_new_vek_surf_contour_arr(stamp, holder), &contour_stand_in);
  EXPECT_EQ(get_new_vek_surf_contour_arr(stamp, nullptr), nullptr);

  EXPECT_EQ(is_new_vek_surf(nullptr), 0);
  EXPECT_EQ(set_new_vek_surf(nullptr), 0);
  EXPECT_EQ(get_new_vek_surf_id(nullptr), 0);
  EXPECT_EQ(set_new_vek_surf_id(nullptr, 1), 0);
  EXPECT_EQ(get_new_vek_surf_contour_arr(nullptr, holder), nullptr);
  EXPECT_EQ(set_new_vek_surf_contour_arr(nullptr, holder, nullptr), 0);
}

// ---- Simple shapes

// Each shape is initialised with e1 = (1, 2, 3), e2 missing, e3 = (7, 8, 9), origin
// (10, 11, 12) and its further doubles 13, 14, which lie as consecutive doubles.
struct ShapeKind {
  const char* name;
  int doubles;
  std::function<VynError(VynSurfaceShape*)> init;
  std::function<VynError(const VynSurfaceShape*, double* out)> get;
};

const double origin_values[3] = {10, 11, 12};

std::vector<ShapeKind> shape_kinds() {
  return {
      {"plane", 12,
       [](VynSurfaceShape* s) { return VynPlanedataInit(p1, nullptr, p3, origin_values, s); },
       [](const VynSurfaceShape* s, double* o) {
         return VynPlanedataGet(s, o, o + 3, o + 6, o + 9);
       }},
      {"cylinder", 13,
       [](VynSurfaceShape* s) {
         return VynCylinderdataInit(p1, nullptr, p3, origin_values, 13, s);
       },
       [](const VynSurfaceShape* s, double* o) {
         return VynCylinderdataGet(s, o, o + 3, o + 6, o + 9, o + 12);
       }},
      {"cone", 13,
       [](VynSurfaceShape* s) { return VynConedataInit(p1, nullptr, p3, origin_values, 13, s); },
       [](const VynSurfaceShape* s, double* o) {
         return VynConedataGet(s, o, o + 3, o + 6, o + 9, o + 12);
       }},
      {"torus", 14,
       [](VynSurfaceShape* s) {
         return VynTorusdataInit(p1, nullptr, p3, origin_values, 13, 14, s);
       },
       [](const VynSurfaceShape* s, double* o) {
         return VynTorusdataGet(s, o, o + 3, o + 6, o + 9, o + 12, o + 13);
       }},
  };
}

TEST_F(GeomdataTest, ShapeInitWritesMissingVectorsAsZerosAndGetReadsBack) {
  for (const ShapeKind& kind : shape_kinds()) {
    SCOPED_TRACE(kind.name);
    VynSurfaceShape shape = filled<VynSurfaceShape>();
    ASSERT_EQ(kind.init(&shape), 0);
    const double expected[14] = {1, 2, 3, 0, 0, 0, 7, 8, 9, 10, 11, 12, 13, 14};
    for (int i = 0; i < kind.doubles; ++i) EXPECT_EQ(double_at(&shape, 8 * i), expected[i]);
    const std::size_t end = 8 * static_cast<std::size_t>(kind.doubles);
    EXPECT_EQ(first_byte_not(&shape, end, sizeof shape, kFill), sizeof shape);

    double out[14];
    std::memset(out, kFill, sizeof out);
    ASSERT_EQ(kind.get(&shape, out), 0);
    for (int i = 0; i < kind.doubles; ++i) EXPECT_EQ(out[i], expected[i]);

    EXPECT_EQ(kind.init(nullptr), -2);
    EXPECT_EQ(kind.get(nullptr, out), -2);
  }
  // Outputs not given are skipped.
  VynSurfaceShape shape = filled<VynSurfaceShape>();
  ASSERT_EQ(VynTorusdataInit(p1, p2, p3, origin_values, 5, 6, &shape), 0);
  double radius2 = 0;
  EXPECT_EQ(VynTorusdataGet(&shape, nullptr, nullptr, nullptr, nullptr, nullptr, &radius2), 0);
  EXPECT_EQ(radius2, 6);
}

TEST_F(GeomdataTest, SplineSurfaceShapesCopyTheHostsBytes) {
  unsigned char spline_surface[32];
  for (int i = 0; i < 32; ++i) spline_surface[i] = static_cast<unsigned char>(i + 1);
  using Init = VynError (*)(const double*, const double*, const double*, const double*,
                            const void*, VynSurfaceShape*);
  using Get = VynError (*)(const VynSurfaceShape*, double*, double*, double*, double*, void*);
  const std::vector<std::pair<Init, Get>> kinds = {
      {VynCylsplsrfdataInit, VynCylsplsrfdataGet}, {VynSphsplsrfdataInit, VynSphsplsrfdataGet}};
  for (const auto& [init, get] : kinds) {
    VynSurfaceShape shape = filled<VynSurfaceShape>();
    ASSERT_EQ(init(nullptr, p2, p3, origin_values, spline_surface, &shape), 0);
    EXPECT_EQ(double_at(&shape, 0), 0);
    EXPECT_EQ(double_at(&shape, 24), 4);
    EXPECT_EQ(std::memcmp(reinterpret_cast<unsigned char*>(&shape) + 96, spline_surface, 32), 0);
    EXPECT_EQ(first_byte_not(&shape, 128, sizeof shape, kFill), sizeof shape);
    unsigned char out[32] = {};
    double origin[3] = {};
    EXPECT_EQ(get(&shape, nullptr, nullptr, nullptr, origin, out), 0);
    EXPECT_EQ(origin[0], 10);
    EXPECT_EQ(std::memcmp(out, spline_surface, 32), 0);

    VynSurfaceShape untouched = filled<VynSurfaceShape>();
    EXPECT_EQ(init(p1, p2, p3, origin_values, nullptr, &untouched), -2);
    EXPECT_TRUE(same_bytes(untouched, filled<VynSurfaceShape>()));
    EXPECT_EQ(init(p1, p2, p3, origin_values, spline_surface, nullptr), -2);
  }
}

TEST_F(GeomdataTest, FilletShapeCopiesThreeSplineRecords) {
  unsigned char pnt[20], ctr[20], tan[20];
  std::memset(pnt, 1, sizeof pnt);
  std::memset(ctr, 2, sizeof ctr);
  std::memset(tan, 3, sizeof tan);
  VynSurfaceShape shape = filled<VynSurfaceShape>();
  ASSERT_EQ(VynFilsrfdataInit(pnt, ctr, tan, &shape), 0);
  EXPECT_EQ(first_byte_not(&shape, 0, 20, 1), 20u);
  EXPECT_EQ(first_byte_not(&shape, 20, 40, 2), 40u);
  EXPECT_EQ(first_byte_not(&shape, 40, 60, 3), 60u);
  EXPECT_EQ(first_byte_not(&shape, 60, sizeof shape, kFill), sizeof shape);
  unsigned char out[20] = {};
  EXPECT_EQ(VynFilsrfdataGet(&shape, nullptr, nullptr, out), 0);
  EXPECT_EQ(first_byte_not(out, 0, 20, 3), 20u);

  VynSurfaceShape untouched = filled<VynSurfaceShape>();
  EXPECT_EQ(VynFilsrfdataInit(pnt, nullptr, tan, &untouched), -2);
  EXPECT_EQ(VynFilsrfdataInit(nullptr, ctr, tan, &untouched), -2);
  EXPECT_EQ(VynFilsrfdataInit(pnt, ctr, nullptr, &untouched), -2);
  EXPECT_TRUE(same_bytes(untouched, filled<VynSurfaceShape>()));
  EXPECT_EQ(VynFilsrfdataInit(pnt, ctr, tan, nullptr), -2);
  EXPECT_EQ(VynFilsrfdataGet(nullptr, pnt, ctr, tan), -2);
}

// ---- B-splines: the inner-knot check and the curves of swept and ruled surfaces

class BsplineTest : public GeomdataTest {
 protected:
  void SetUp() override {
    GeomdataTest::SetUp();
    bind_table();
  }
  void TearDown() override {
    for (VynArray& array : arrays) VynArrayFree(&array);
    GeomdataTest::TearDown();
  }
  // A B-spline curve record of the given degree whose parameter array is a host array
  // holding params.
  VynCurvedata bspline(int degree, const std::vector<double>& params) {
    VynArray array = yrlhost::host_array_make(static_cast<int>(params.size()), sizeof(double));
    if (!params.empty()) std::memcpy(array, params.data(), params.size() * sizeof(double));
    arrays.push_back(array);
    VynCurvedata curve = curve_of_type(VYN_CURVE_BSPLINE);
    curve.bspline.degree = degree;
    curve.bspline.params = array;
    return curve;
  }
  VynCurvedata line() {
    VynCurvedata curve = filled<VynCurvedata>();
    EXPECT_EQ(VynLinedataInit(p1, p2, &curve), 0);
    return curve;
  }
  std::vector<VynArray> arrays;
};

const std::vector<double> kDoubleInnerKnot = {0, 0, 0, 0.5, 0.5, 1, 1, 1};

TEST_F(BsplineTest, InnerKnotCheckFindsRepeatedInnerKnots) {
  struct Case {
    const char* name;
    int degree;
    std::vector<double> params;
    VynError expected;
  };
  const std::vector<Case> cases = {
      {"double inner knot", 2, kDoubleInnerKnot, -2},
      {"distinct inner knots", 2, {0, 0, 0, 0.25, 0.5, 0.75, 1, 1, 1}, 0},
      {"no inner knot", 2, {0, 0, 0, 1, 1, 1}, 0},
      {"cubic, distinct", 3, {0, 0, 0, 0, 1, 2, 3, 3, 3, 3}, 0},
      {"cubic, triple knot", 3, {0, 0, 0, 0, 1, 2, 2, 2, 3, 3, 3, 3}, -2},
      // The closeness is relative to the whole range.
      {"closer than 1e-9 of the range", 1, {0, 0, 50, 50 + 1e-8, 100, 100}, -2},
      {"further than 1e-9 of the range", 1, {0, 0, 50, 50 + 1e-6, 100, 100}, 0},
      {"descending range", 1, {100, 100, 50, 50, 0, 0}, -2},
      {"fewer parameters than degree + 1", 3, {0, 0, 1}, -2},
      {"exactly degree + 1 parameters", 2, {0, 0, 1}, -2},
      {"empty array", 0, {}, -2},
      {"negative degree", -3, {0, 1, 2, 3, 4, 5, 6, 7}, -2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const VynCurvedata curve = bspline(c.degree, c.params);
    EXPECT_EQ(VynBsplinedataCheckInnerKnotsMultiplicity(&curve), c.expected);
  }
}

TEST_F(BsplineTest, InnerKnotCheckRefusesOtherCurvesAndUnknownArrays) {
  const VynCurvedata straight = line();
  EXPECT_EQ(VynBsplinedataCheckInnerKnotsMultiplicity(&straight), -2);
  EXPECT_EQ(VynBsplinedataCheckInnerKnotsMultiplicity(nullptr), -2);
  double not_a_host_array[4] = {0, 0, 1, 1};
  VynCurvedata curve = curve_of_type(VYN_CURVE_BSPLINE);
  curve.bspline.degree = 1;
  curve.bspline.params = not_a_host_array;
  EXPECT_EQ(VynBsplinedataCheckInnerKnotsMultiplicity(&curve), -2);
  curve.bspline.params = nullptr;
  EXPECT_EQ(VynBsplinedataCheckInnerKnotsMultiplicity(&curve), -2);
  // The type is read from the low byte, as the surfaces that take B-splines read it.
  curve = bspline(2, {0, 0, 0, 0.5, 1, 1, 1});
  const int word = 0x100 | VYN_CURVE_BSPLINE;
  std::memcpy(&curve, &word, sizeof word);
  EXPECT_EQ(VynBsplinedataCheckInnerKnotsMultiplicity(&curve), 0);
}

using CurveShapeInit = VynError (*)(const double*, const double*, const double*, const double*,
                                    const VynCurvedata*, VynSurfaceShape*);
using CurveShapeGet = VynError (*)(const VynSurfaceShape*, double*, double*, double*, double*,
                                   VynCurvedata*);

TEST_F(BsplineTest, SweptSurfacesTakeOnlyLinesArcsEllipsesAndSplines) {
  const std::vector<std::pair<CurveShapeInit, CurveShapeGet>> kinds = {
      {VynSrfrevdataInit, VynSrfrevdataGet}, {VynTabcyldataInit, VynTabcyldataGet}};
  for (const auto& [init, get] : kinds) {
    for (int type : {VYN_CURVE_LINE, VYN_CURVE_ARC, VYN_CURVE_ELLIPSE, VYN_CURVE_SPLINE}) {
      SCOPED_TRACE(type);
      const VynCurvedata curve = curve_of_type(type);
      VynSurfaceShape shape = filled<VynSurfaceShape>();
      EXPECT_EQ(init(p1, nullptr, p3, origin_values, &curve, &shape), 0);
      EXPECT_EQ(double_at(&shape, 24), 0);
      EXPECT_EQ(double_at(&shape, 88), 12);
      EXPECT_EQ(std::memcmp(reinterpret_cast<unsigned char*>(&shape) + 96, &curve, 664), 0);
      EXPECT_EQ(first_byte_not(&shape, 760, sizeof shape, kFill), sizeof shape);
      VynCurvedata out = curve_of_type(0);
      double e1[3] = {};
      EXPECT_EQ(get(&shape, e1, nullptr, nullptr, nullptr, &out), 0);
      EXPECT_EQ(e1[2], 3);
      EXPECT_TRUE(same_bytes(out, curve));
    }
    for (int type : {VYN_CURVE_CIRCLE, VYN_CURVE_POINT, VYN_CURVE_TEXT, VYN_CURVE_COMPOSITE}) {
      SCOPED_TRACE(type);
      const VynCurvedata curve = curve_of_type(type);
      VynSurfaceShape shape = filled<VynSurfaceShape>();
      EXPECT_EQ(init(p1, p2, p3, origin_values, &curve, &shape), VYN_TK_BAD_SRF_CRV);
      EXPECT_TRUE(same_bytes(shape, filled<VynSurfaceShape>()));
    }
    VynSurfaceShape shape = filled<VynSurfaceShape>();
    EXPECT_EQ(init(p1, p2, p3, origin_values, nullptr, &shape), -2);
    EXPECT_TRUE(same_bytes(shape, filled<VynSurfaceShape>()));
    const VynCurvedata curve = line();
    EXPECT_EQ(init(p1, p2, p3, origin_values, &curve, nullptr), -2);
    EXPECT_EQ(get(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), -2);
  }
}

TEST_F(BsplineTest, ASweptSurfaceOfABsplineWithRepeatedInnerKnotsIsWrittenAndFlagged) {
  for (CurveShapeInit init : {VynSrfrevdataInit, VynTabcyldataInit}) {
    const VynCurvedata repeated = bspline(2, kDoubleInnerKnot);
    VynSurfaceShape shape = filled<VynSurfaceShape>();
    EXPECT_EQ(init(p1, p2, p3, origin_values, &repeated, &shape), VYN_TK_BSPL_MULTI_INNER_KNOTS);
    EXPECT_EQ(double_at(&shape, 0), 1);
    EXPECT_EQ(std::memcmp(reinterpret_cast<unsigned char*>(&shape) + 96, &repeated, 664), 0);

    const VynCurvedata distinct = bspline(2, {0, 0, 0, 0.5, 1, 1, 1});
    EXPECT_EQ(init(p1, p2, p3, origin_values, &distinct, &shape), 0);
    EXPECT_EQ(std::memcmp(reinterpret_cast<unsigned char*>(&shape) + 96, &distinct, 664), 0);
  }
}

TEST_F(BsplineTest, RuledSurfaceTakesAPointWithAnotherCurveButNotTwoPoints) {
  VynCurvedata point = filled<VynCurvedata>();
  ASSERT_EQ(VynPointdataInit(p3, &point), 0);
  const VynCurvedata straight = line();
  VynSurfaceShape shape = filled<VynSurfaceShape>();
  EXPECT_EQ(VynRulsrfdataInit(p1, p2, nullptr, origin_values, &point, &straight, &shape), 0);
  EXPECT_EQ(double_at(&shape, 48), 0);
  EXPECT_EQ(std::memcmp(reinterpret_cast<unsigned char*>(&shape) + 96, &point, 664), 0);
  EXPECT_EQ(std::memcmp(reinterpret_cast<unsigned char*>(&shape) + 760, &straight, 664), 0);
  EXPECT_EQ(first_byte_not(&shape, 1424, sizeof shape, kFill), sizeof shape);
  VynCurvedata out1 = curve_of_type(0);
  VynCurvedata out2 = curve_of_type(0);
  EXPECT_EQ(VynRulsrfdataGet(&shape, nullptr, nullptr, nullptr, nullptr, &out1, &out2), 0);
  EXPECT_TRUE(same_bytes(out1, point));
  EXPECT_TRUE(same_bytes(out2, straight));
  EXPECT_EQ(VynRulsrfdataGet(nullptr, nullptr, nullptr, nullptr, nullptr, &out1, &out2), -2);

  const VynCurvedata circle = curve_of_type(VYN_CURVE_CIRCLE);
  struct Refused {
    const char* name;
    const VynCurvedata* first;
    const VynCurvedata* second;
    VynError expected;
  };
  const Refused refused[] = {
      {"two points", &point, &point, VYN_TK_BAD_SRF_CRV},
      {"circle first", &circle, &straight, VYN_TK_BAD_SRF_CRV},
      {"circle second", &straight, &circle, VYN_TK_BAD_SRF_CRV},
      {"no first curve", nullptr, &straight, -2},
      {"no second curve", &straight, nullptr, -2},
  };
  for (const Refused& r : refused) {
    SCOPED_TRACE(r.name);
    VynSurfaceShape untouched = filled<VynSurfaceShape>();
    EXPECT_EQ(VynRulsrfdataInit(p1, p2, p3, origin_values, r.first, r.second, &untouched),
              r.expected);
    EXPECT_TRUE(same_bytes(untouched, filled<VynSurfaceShape>()));
  }
  EXPECT_EQ(VynRulsrfdataInit(p1, p2, p3, origin_values, &point, &straight, nullptr), -2);

  // A B-spline with repeated inner knots, on either side, flags the written record.
  const VynCurvedata repeated = bspline(2, kDoubleInnerKnot);
  EXPECT_EQ(VynRulsrfdataInit(p1, p2, p3, origin_values, &straight, &repeated, &shape), -43);
  EXPECT_EQ(std::memcmp(reinterpret_cast<unsigned char*>(&shape) + 760, &repeated, 664), 0);
  EXPECT_EQ(VynRulsrfdataInit(p1, p2, p3, origin_values, &repeated, &point, &shape), -43);
  EXPECT_EQ(std::memcmp(reinterpret_cast<unsigned char*>(&shape) + 96, &repeated, 664), 0);
  // But a refused kind outranks it, and nothing is written.
  VynSurfaceShape untouched = filled<VynSurfaceShape>();
  EXPECT_EQ(VynRulsrfdataInit(p1, p2, p3, origin_values, &repeated, &circle, &untouched), -44);
  EXPECT_TRUE(same_bytes(untouched, filled<VynSurfaceShape>()));
}

TEST_F(BsplineTest, DatumCurveCopiesTheCurveAndFlagsRepeatedInnerKnots) {
  const VynCurvedata straight = line();
  VynDatumCurvedata datum_curve = filled<VynDatumCurvedata>();
  EXPECT_EQ(VynDatumCurvedataInit(&straight, &datum_curve), 0);
  EXPECT_TRUE(same_bytes(datum_curve.curve, straight));

  const VynCurvedata repeated = bspline(2, kDoubleInnerKnot);
  EXPECT_EQ(VynDatumCurvedataInit(&repeated, &datum_curve), -43);
  EXPECT_TRUE(same_bytes(datum_curve.curve, repeated));

  VynCurvedata out = curve_of_type(0);
  EXPECT_EQ(VynDatumCurvedataGet(&datum_curve, &out), 0);
  EXPECT_TRUE(same_bytes(out, repeated));

  VynDatumCurvedata untouched = filled<VynDatumCurvedata>();
  EXPECT_EQ(VynDatumCurvedataInit(nullptr, &untouched), -2);
  EXPECT_TRUE(same_bytes(untouched, filled<VynDatumCurvedata>()));
  EXPECT_EQ(VynDatumCurvedataInit(&straight, nullptr), -2);
  EXPECT_EQ(VynDatumCurvedataGet(nullptr, &out), -2);
  EXPECT_EQ(VynDatumCurvedataGet(&datum_curve, nullptr), -2);
}

// ---- Datums

TEST_F(GeomdataTest, DatumInitAcceptsItsThreeTypes) {
  VynCurvedata curve = filled<VynCurvedata>();
  ASSERT_EQ(VynLinedataInit(p1, p2, &curve), 0);
  for (int type : {25, 62, 176}) {
    SCOPED_TRACE(type);
    VynDatumdata datum = filled<VynDatumdata>();
    EXPECT_EQ(VynDatumdataInit(-9, type, u"DTM1", &curve, &datum), 0);
    EXPECT_EQ(int_at(&datum, 0), -9);
    EXPECT_EQ(int_at(&datum, 4), type);
    EXPECT_EQ(std::u16string(reinterpret_cast<const VynWchar*>(
                  reinterpret_cast<const unsigned char*>(&datum) + 8)),
              u"DTM1");
    EXPECT_EQ(first_byte_not(&datum, 8 + 10, 72, 0), 72u);  // the rest of the name cleared
    EXPECT_EQ(std::memcmp(reinterpret_cast<const unsigned char*>(&datum) + 72, &curve, 664), 0);

    int value = 0;
    int out_type = 0;
    VynName name;
    VynCurvedata out_curve = curve_of_type(0);
    EXPECT_EQ(VynDatumdataGet(&datum, &value, &out_type, name, &out_curve), 0);
    EXPECT_EQ(value, -9);
    EXPECT_EQ(out_type, type);
    EXPECT_EQ(std::memcmp(name, datum.name, sizeof name), 0);
    EXPECT_TRUE(same_bytes(out_curve, curve));
    EXPECT_EQ(VynDatumdataGet(&datum, nullptr, &out_type, nullptr, nullptr), 0);
  }
}

TEST_F(GeomdataTest, DatumInitOfAnotherTypeFailsAfterWritingTheNameAndCurve) {
  VynCurvedata curve = filled<VynCurvedata>();
  ASSERT_EQ(VynArcdataInit(p1, p2, p3, 0, 1, 2, &curve), 0);
  VynDatumdata datum = filled<VynDatumdata>();
  EXPECT_EQ(VynDatumdataInit(3, 7, u"A_1", &curve, &datum), -2);
  EXPECT_EQ(int_at(&datum, 0), 3);
  EXPECT_EQ(first_byte_not(&datum, 4, 8, kFill), 8u);  // the type is left as it was
  EXPECT_EQ(std::u16string(datum.name), u"A_1");
  EXPECT_TRUE(same_bytes(datum.curve, curve));
}

TEST_F(GeomdataTest, DatumInitCutsTheNameAndReadsItOnlyToItsTerminator) {
  VynCurvedata curve = curve_of_type(VYN_CURVE_LINE);
  VynDatumdata datum = filled<VynDatumdata>();
  const std::u16string long_name = repeat(u'N', 40);
  EXPECT_EQ(VynDatumdataInit(0, 25, long_name.c_str(), &curve, &datum), 0);
  EXPECT_EQ(std::u16string(datum.name), repeat(u'N', 31));

  // A name exactly as long as its text: reading further is a heap overflow.
  auto* name = new VynWchar[3]{u'X', u'Y', 0};
  EXPECT_EQ(VynDatumdataInit(0, 25, name, &curve, &datum), 0);
  EXPECT_EQ(std::u16string(datum.name), u"XY");
  EXPECT_EQ(first_byte_not(&datum, 8 + 4, 72, 0), 72u);
  delete[] name;

  // No name clears the field.
  EXPECT_EQ(VynDatumdataInit(0, 25, nullptr, &curve, &datum), 0);
  EXPECT_EQ(first_byte_not(&datum, 8, 72, 0), 72u);

  VynDatumdata untouched = filled<VynDatumdata>();
  EXPECT_EQ(VynDatumdataInit(0, 25, u"N", nullptr, &untouched), -2);
  EXPECT_TRUE(same_bytes(untouched, filled<VynDatumdata>()));
  EXPECT_EQ(VynDatumdataInit(0, 25, u"N", &curve, nullptr), -2);
  EXPECT_EQ(VynDatumdataGet(nullptr, nullptr, nullptr, nullptr, nullptr), -2);
}

TEST_F(GeomdataTest, DatumPlaneAndCsysCopyTheirNinetySixBytes) {
  VynDatumPlanedata plane;
  for (std::size_t i = 0; i < sizeof plane; ++i) plane.bytes[i] = static_cast<unsigned char>(i);
  VynDatumPlanedata plane_out = filled<VynDatumPlanedata>();
  EXPECT_EQ(VynDatumPlanedataInit(&plane, &plane_out), 0);
  EXPECT_TRUE(same_bytes(plane_out, plane));
  plane_out = filled<VynDatumPlanedata>();
  EXPECT_EQ(VynDatumPlanedataGet(&plane, &plane_out), 0);
  EXPECT_TRUE(same_bytes(plane_out, plane));
  EXPECT_EQ(VynDatumPlanedataInit(nullptr, &plane_out), -2);
  EXPECT_EQ(VynDatumPlanedataGet(&plane, nullptr), -2);

  VynDatumCsysdata csys;
  for (std::size_t i = 0; i < sizeof csys; ++i) csys.bytes[i] = static_cast<unsigned char>(~i);
  VynDatumCsysdata csys_out = filled<VynDatumCsysdata>();
  EXPECT_EQ(VynDatumCsysdataInit(&csys, &csys_out), 0);
  EXPECT_TRUE(same_bytes(csys_out, csys));
  csys_out = filled<VynDatumCsysdata>();
  EXPECT_EQ(VynDatumCsysdataGet(&csys, &csys_out), 0);
  EXPECT_TRUE(same_bytes(csys_out, csys));
  EXPECT_EQ(VynDatumCsysdataInit(&csys, nullptr), -2);
  EXPECT_EQ(VynDatumCsysdataGet(nullptr, &csys_out), -2);
}

// ---- Interface data, import-feature sources and quilts

TEST_F(GeomdataTest, InterfaceDataFieldsAtTheirOffsets) {
  VynIntfData data = filled<VynIntfData>();
  const double outline[2][3] = {{1, 2, 3}, {4, 5, 6}};
  EXPECT_EQ(VynIntfDataAccuracytypeSet(&data, 2), 0);
  EXPECT_EQ(VynIntfDataAccuracySet(&data, 0.0025), 0);
  EXPECT_EQ(VynIntfDataOutlineSet(&data, outline), 0);
  EXPECT_EQ(int_at(&data, 0), 2);
  EXPECT_EQ(first_byte_not(&data, 4, 8, kFill), 8u);
  EXPECT_EQ(double_at(&data, 8), 0.0025);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(double_at(&data, 16 + 8 * i), i + 1.0);

  int accuracy_type = 0;
  double accuracy = 0;
  double out[2][3] = {};
  EXPECT_EQ(VynIntfDataAccuracytypeGet(&data, &accuracy_type), 0);
  EXPECT_EQ(VynIntfDataAccuracyGet(&data, &accuracy), 0);
  EXPECT_EQ(VynIntfDataOutlineGet(&data, out), 0);
  EXPECT_EQ(accuracy_type, 2);
  EXPECT_EQ(accuracy, 0.0025);
  EXPECT_EQ(out[1][2], 6);
  EXPECT_EQ(VynIntfDataAccuracytypeGet(&data, nullptr), 0);
  EXPECT_EQ(VynIntfDataAccuracyGet(&data, nullptr), 0);
  EXPECT_EQ(VynIntfDataOutlineGet(&data, nullptr), 0);

  EXPECT_EQ(VynIntfDataAccuracytypeGet(nullptr, &accuracy_type), -2);
  EXPECT_EQ(VynIntfDataAccuracyGet(nullptr, &accuracy), -2);
  EXPECT_EQ(VynIntfDataOutlineGet(nullptr, out), -2);
  EXPECT_EQ(VynIntfDataAccuracytypeSet(nullptr, 1), -2);
  EXPECT_EQ(VynIntfDataAccuracySet(nullptr, 1.0), -2);
  EXPECT_EQ(VynIntfDataOutlineSet(nullptr, outline), -2);
  VynIntfData untouched = filled<VynIntfData>();
  EXPECT_EQ(VynIntfDataOutlineSet(&untouched, nullptr), -2);
  EXPECT_TRUE(same_bytes(untouched, filled<VynIntfData>()));
}

TEST_F(GeomdataTest, SourceTypeMappings) {
  const int intf_cases[][2] = {{1, 2}, {0, 1}, {2, 1}, {-1, 1}};
  for (const auto& c : intf_cases) EXPECT_EQ(VynIntfTypeToIntfDataSourceType(c[0]), c[1]);
  const int import_cases[][2] = {{0, 1}, {1, 2}, {2, 0}, {-1, 0}};
  for (const auto& c : import_cases) EXPECT_EQ(VynImportfeatRedefSourceTypeGet(c[0]), c[1]);
}

TEST_F(GeomdataTest, ImportfeatSourceCopiesTheDataOfItsType) {
  const unsigned char data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  VynImportfeatRedefSource source = filled<VynImportfeatRedefSource>();
  EXPECT_EQ(VynImportfeatRedefSourceInit(0, data, &source), 0);
  EXPECT_EQ(int_at(&source, 0), 0);
  EXPECT_EQ(std::memcmp(reinterpret_cast<unsigned char*>(&source) + 4, data, 4), 0);
  EXPECT_EQ(first_byte_not(&source, 8, sizeof source, kFill), sizeof source);

  source = filled<VynImportfeatRedefSource>();
  EXPECT_EQ(VynImportfeatRedefSourceInit(1, data, &source), 0);
  EXPECT_EQ(int_at(&source, 0), 1);
  EXPECT_EQ(std::memcmp(reinterpret_cast<unsigned char*>(&source) + 4, data, 8), 0);

  // Source data of exactly four bytes for type 0: nothing further is read.
  auto* four = new unsigned char[4]{9, 9, 9, 9};
  EXPECT_EQ(VynImportfeatRedefSourceInit(0, four, &source), 0);
  delete[] four;

  // Another source type is stored with no data: one byte of data is all it reads.
  for (int type : {2, -1}) {
    source = filled<VynImportfeatRedefSource>();
    auto* one = new unsigned char[1]{7};
    EXPECT_EQ(VynImportfeatRedefSourceInit(type, one, &source), 0) << type;
    delete[] one;
    EXPECT_EQ(int_at(&source, 0), type);
    EXPECT_EQ(first_byte_not(&source, 4, sizeof source, kFill), sizeof source);
  }

  VynImportfeatRedefSource untouched = filled<VynImportfeatRedefSource>();
  EXPECT_EQ(VynImportfeatRedefSourceInit(0, nullptr, &untouched), -2);
  EXPECT_TRUE(same_bytes(untouched, filled<VynImportfeatRedefSource>()));
  EXPECT_EQ(VynImportfeatRedefSourceInit(1, data, nullptr), -2);
}

TEST_F(GeomdataTest, QuiltDataIsOneWord) {
  VynQuiltdata quilt = filled<VynQuiltdata>();
  EXPECT_EQ(VynQuiltdataInit(-42, &quilt), 0);
  EXPECT_EQ(int_at(&quilt, 0), -42);
  int value = 0;
  EXPECT_EQ(VynQuiltdataGet(&quilt, &value), 0);
  EXPECT_EQ(value, -42);
  EXPECT_EQ(VynQuiltdataGet(&quilt, nullptr), 0);
  EXPECT_EQ(VynQuiltdataInit(1, nullptr), -2);
  EXPECT_EQ(VynQuiltdataGet(nullptr, &value), -2);
}

}  // namespace
