// Status names, model types, the model's entity file, the file-name check, element ids,
// number lists and the curve and surface dumps.
#include "toolkit/util/printutil.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/w32/path.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"
#include "tests/toolkit/toolkit_test.h"
#include "tests/toolkit/util/util_host_rows.h"
#include "toolkit/api/app_api.h"
#include "toolkit/local/geomdata.h"
#include "toolkit/testreport/testreport.h"
#include "toolkit/util/strinput.h"

namespace {

using utiltest::script;

// What a function writes to a stream, read back.
template <typename F>
std::string written(F&& write) {
  std::FILE* file = std::tmpfile();
  write(file);
  std::fflush(file);
  std::rewind(file);
  std::string text;
  char buffer[512];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  std::fclose(file);
  return text;
}

TEST(PrintutilNames, StatusNamesAndNumbers) {
  const std::pair<VynError, const char*> cases[] = {{0, "NO_ERROR"},
                                                    {-4, "NOT_FOUND"},
                                                    {-6, "-6"},
                                                    {-33, "CANT_ACCESS"},
                                                    {-27, "INVALID_ITEM"},
                                                    {12, "12"},
                                                    {-2147483647 - 1, "-2147483648"}};
  for (const auto& [status, name] : cases) {
    char text[VYN_UTIL_ERR_TEXT_SIZE] = "x";
    EXPECT_EQ(VynUtilErrPrint(status, text), 0);
    EXPECT_STREQ(text, name) << status;
  }
}

TEST(PrintutilNames, ModelTypesAndExtensions) {
  const std::pair<const char*, int> types[] = {{"PRT", 2},  {"prt", 2},  {"Asm", 1}, {"dgm", 121},
                                               {"xyz", -2}, {"???", -2}, {"", -2}};
  for (const auto& [extension, type] : types)
    EXPECT_EQ(VynUtilGetVynType(extension), type) << extension;
  const std::pair<int, const char*> extensions[] = {
      {2, "prt"}, {11, "sec"}, {7, "???"}, {-2, "???"}};
  for (const auto& [type, extension] : extensions)
    EXPECT_STREQ(VynUtilGetMdlTypeStr(type), extension);
}

TEST(PrintutilNames, FileNameCheck) {
  // Each part is written once it is checked: the name once a "." follows at least one
  // character, the type (-2 for an unknown one) once the extension has three letters.
  struct Case {
    const char* given;
    int result;
    const char* buffer_after;
    const char* name;
    int type;  // 99: left alone
  };
  const Case cases[] = {
      {"/a/b/box.prt", 2, "box.prt", "box", 2},
      {"plate.DRW", 4, "plate.DRW", "plate", 4},
      {"box.part", -2, "box.part", "box", 99},
      {"box.pr", -2, "box.pr", "box", 99},
      {".prt", -2, ".prt", "", 99},
      {"box", -2, "box", "", 99},
      {"a.b.prt", -2, "a.b.prt", "a", 99},  // the extension is what follows the first "."
      {"/dir/", -2, "", "", 99},
      {"box.xyz", -2, "box.xyz", "box", -2},
  };
  for (const Case& c : cases) {
    char buffer[64];
    std::strcpy(buffer, c.given);
    char name[64] = "";
    int type = 99;
    EXPECT_EQ(VynUtilConfirmNameType(buffer, name, &type), c.result) << c.given;
    EXPECT_STREQ(buffer, c.buffer_after) << c.given;
    EXPECT_STREQ(name, c.name) << c.given;
    EXPECT_EQ(type, c.type) << c.given;
  }
  int type = 0;
  EXPECT_EQ(VynUtilConfirmNameType(nullptr, nullptr, &type), -2);
}

TEST(PrintutilNames, ElementIdsKnownHereMapBothWays) {
  // The ids known here: those the host's trees and the application's builders use.
  const std::pair<int, const char*> known[] = {
      {386, "FEATURE_TREE"},      {387, "FEATURE_TYPE"},          {388, "FEATURE_FORM"},
      {7, "ATTRIBUTES"},          {447, "STD_SECTION"},           {436, "STD_DIRECTION"},
      {515, "STD_EXT_DEPTH"},     {410, "DTMPLN_CONSTRAINTS"},    {412, "DTMPLN_CONSTR_TYPE"},
      {413, "DTMPLN_CONSTR_REF"}, {3198, "TRAJECTORY_CURVE_FEAT"}};
  for (const auto& [id, name] : known) {
    char text[VYN_UTIL_ELEM_NAME_SIZE];
    EXPECT_EQ(VynUtilIdToStr(id, text), 0) << id;
    EXPECT_STREQ(text, name);
    int found = -1;
    EXPECT_EQ(VynUtilStrToId(name, &found), 0);
    EXPECT_EQ(found, id) << name;
  }
}

TEST(PrintutilNames, ElementIdsNotKnownGiveNothing) {
  // Unknown ids, id 0 (which the rows without a known id carry) and negative ids.
  for (int id : {999999, 0, -1, 428}) {
    char text[VYN_UTIL_ELEM_NAME_SIZE] = "x";
    EXPECT_EQ(VynUtilIdToStr(id, text), -4) << id;
    EXPECT_STREQ(text, "not exist");
  }
  // A name without a known id, a name in another case and an unknown name.
  for (const char* name : {"EXT_DEPTH_FROM", "std_ext_depth", "NO_SUCH_ELEMENT", ""}) {
    int id = 1234;
    EXPECT_EQ(VynUtilStrToId(name, &id), 0);
    EXPECT_EQ(id, 1234) << name;
  }
}

TEST(PrintutilDumps, NumberListsBreakAfterSeventyCharacters) {
  const double tiny = 0.0000004;
  EXPECT_EQ(written([&](std::FILE* f) { VynUtilDoubleArrayPrint(f, "  ", &tiny, 1); }),
            "  0.00000\n");
  const double negative_tiny[] = {-0.0000009, 2.5};
  EXPECT_EQ(written([&](std::FILE* f) { VynUtilDoubleArrayPrint(f, "", negative_tiny, 2); }),
            "0.00000, 2.50000\n");
  // Each "1.00000," takes 8 characters and a blank: the eighth passes 70.
  std::vector<double> ones(12, 1.0);
  std::string eight = "1.00000, 1.00000, 1.00000, 1.00000, 1.00000, 1.00000, 1.00000, 1.00000,";
  EXPECT_EQ(written([&](std::FILE* f) { VynUtilDoubleArrayPrint(f, "", ones.data(), 12); }),
            eight + "\n1.00000, 1.00000, 1.00000, 1.00000\n");
  EXPECT_EQ(written([&](std::FILE* f) { VynUtilDoubleArrayPrint(f, "x", ones.data(), 0); }), "");
  // A line of exactly 70 characters goes on; one of 71 breaks.
  std::vector<double> nine(9, 1.0);
  const std::string seven = "1.00000, 1.00000, 1.00000, 1.00000, 1.00000, 1.00000, 1.00000,";
  EXPECT_EQ(written([&](std::FILE* f) { VynUtilDoubleArrayPrint(f, "12345678", nine.data(), 9); }),
            "12345678" + seven + " 1.00000,\n12345678" + "1.00000\n");
  EXPECT_EQ(written([&](std::FILE* f) { VynUtilDoubleArrayPrint(f, "123456789", nine.data(), 9); }),
            "123456789" + seven + "\n123456789" + "1.00000, 1.00000\n");
}

// An indent or a number of any length is written whole, each number on a line of its
// own once the indent passes 70 characters.
TEST(PrintutilDumps, LongIndentsAndNumbersAreWrittenWhole) {
  const std::string indent(500, ' ');
  const double values[] = {1.0, 2.0};
  EXPECT_EQ(written([&](std::FILE* f) { VynUtilDoubleArrayPrint(f, indent.c_str(), values, 2); }),
            indent + "1.00000,\n" + indent + "2.00000\n");
  const double huge[] = {1e308, -1e308};
  char expected[1024];
  std::snprintf(expected, sizeof expected, "%s%.5f,\n%s%.5f\n", indent.substr(0, 100).c_str(),
                1e308, indent.substr(0, 100).c_str(), -1e308);
  EXPECT_EQ(written([&](std::FILE* f) {
              VynUtilDoubleArrayPrint(f, indent.substr(0, 100).c_str(), huge, 2);
            }),
            expected);
}

class PrintutilHostTest : public yrltest::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    table_options.extra = utiltest::input_rows();
    bind_table();
  }
};

TEST_F(PrintutilHostTest, CurveAndSurfaceDumps) {
  VynCurvedata line;
  const double a[3] = {1, 2, 3}, b[3] = {4, 5, 6.000004};
  ASSERT_EQ(VynLinedataInit(a, b, &line), 0);
  EXPECT_EQ(written([&](std::FILE* f) { EXPECT_EQ(VynUtilCurvedataPrint(f, "> ", &line), 0); }),
            "> Type Line \n"
            ">     end1 ( 1.00000, 2.00000, 3.00000)\n"
            ">     end2 ( 4.00000, 5.00000, 6.00000)\n");
  VynCurvedata other;
  ASSERT_EQ(VynCurvedataTypeSet(&other, 10), 0);
  EXPECT_EQ(written([&](std::FILE* f) { VynUtilCurvedataPrint(f, "", &other); }),
            "Type Unsupported (10)\n");

  VynSurfacedata surface;
  VynSurfaceShape shape;
  const double e1[3] = {1, 0, 0}, e2[3] = {0, 1, 0}, e3[3] = {0, 0, 1}, o[3] = {0, 0, 2};
  ASSERT_EQ(VynCylinderdataInit(e1, e2, e3, o, 2.5, &shape), 0);
  const double uv_min[2] = {0, 0}, uv_max[2] = {1, 2};
  ASSERT_EQ(VynSurfacedataInit(36, uv_min, uv_max, 1, &shape, 7, &surface), 0);
  EXPECT_EQ(written([&](std::FILE* f) { VynUtilSurfacedataPrint(f, "", &surface); }),
            "Id  7\nUv min ( 0.00000, 0.00000)\nUv max ( 1.00000, 2.00000)\nOrient 1\n"
            "Type Cylinder\n"
            "    e1 ( 1.00000, 0.00000, 0.00000)\n"
            "    e2 ( 0.00000, 1.00000, 0.00000)\n"
            "    e3 ( 0.00000, 0.00000, 1.00000)\n"
            "    origin ( 0.00000, 0.00000, 2.00000)\n"
            "    radius 2.50000\n");
}

// ---- Dumps of every curve and surface kind

// The host's records of what only the host fills, as its accessors hand them out: a
// record names its data by its first byte (the curve's type word aside).
const double knots[] = {0, 0, 0, 1, 1, 1};
const double weights[] = {1, 0.5, 1};
const double control[] = {0, 0, 0, 1, 1, 0, 2, 0, 0};
bool bspline_weighted = true;
VynError bspline_get(int, VynWord, VynWord degree, VynWord params, VynWord weights_out,
                     VynWord points, VynWord param_count, VynWord point_count) {
  *reinterpret_cast<int*>(degree) = 2;
  *reinterpret_cast<const double**>(params) = knots;
  *reinterpret_cast<const double**>(weights_out) = bspline_weighted ? weights : nullptr;
  *reinterpret_cast<const double**>(points) = control;
  *reinterpret_cast<int*>(param_count) = 6;
  *reinterpret_cast<int*>(point_count) = 3;
  return 0;
}
VynError bspline_get_fails(int, VynWord, VynWord, VynWord, VynWord, VynWord, VynWord, VynWord) {
  return -1;
}

VynArray components = nullptr;
VynError composite_get(int, VynWord, VynWord out) {
  *reinterpret_cast<VynArray*>(out) = components;
  return 0;
}

// Spline data records: tag 1, 2, 3 give 1, 2 or 3 points along x.
const double spline_params[] = {0, 0.5, 1};
const double spline_points[] = {0, 0, 0, 1, 0, 0, 2, 0, 0};
const double spline_tangents[] = {1, 0, 0, 1, 0, 0, 1, 0, 0};
VynError spline_get(int, VynWord record, VynWord params, VynWord points, VynWord tangents,
                    VynWord count) {
  *reinterpret_cast<const double**>(params) = spline_params;
  *reinterpret_cast<const double**>(points) = spline_points;
  *reinterpret_cast<const double**>(tangents) = spline_tangents;
  *reinterpret_cast<int*>(count) = *reinterpret_cast<const unsigned char*>(record);
  return 0;
}

// A 2 x 1 spline surface grid.
const double grid_u[] = {0, 1};
const double grid_v[] = {0};
const double grid_points[] = {0, 0, 0, 1, 0, 0};
const double grid_du[] = {1, 0, 0, 1, 0, 0};
const double grid_dv[] = {0, 1, 0, 0, 1, 0};
const double grid_duv[] = {0, 0, 0, 0, 0, 0};
VynError splinesrf_get(int, VynWord, VynWord u, VynWord v, VynWord points, VynWord du, VynWord dv,
                       VynWord duv, VynWord u_count, VynWord v_count) {
  *reinterpret_cast<const double**>(u) = grid_u;
  *reinterpret_cast<const double**>(v) = grid_v;
  *reinterpret_cast<const double**>(points) = grid_points;
  *reinterpret_cast<const double**>(du) = grid_du;
  *reinterpret_cast<const double**>(dv) = grid_dv;
  *reinterpret_cast<const double**>(duv) = grid_duv;
  *reinterpret_cast<int*>(u_count) = 2;
  *reinterpret_cast<int*>(v_count) = 1;
  return 0;
}

const double bsrf_u[] = {0, 0, 1, 1};
const double bsrf_v[] = {0, 1};
const double bsrf_weights[] = {1, 1};
const double bsrf_points[] = {0, 0, 0, 0, 1, 0};
VynError bsplinesrf_get(int, VynWord, VynWord degrees, VynWord u, VynWord v, VynWord weights_out,
                        VynWord points, VynWord u_count, VynWord v_count, VynWord point_count) {
  reinterpret_cast<int*>(degrees)[0] = 3;
  reinterpret_cast<int*>(degrees)[1] = 1;
  *reinterpret_cast<const double**>(u) = bsrf_u;
  *reinterpret_cast<const double**>(v) = bsrf_v;
  *reinterpret_cast<const double**>(weights_out) = bsrf_weights;
  *reinterpret_cast<const double**>(points) = bsrf_points;
  *reinterpret_cast<int*>(u_count) = 4;
  *reinterpret_cast<int*>(v_count) = 2;
  *reinterpret_cast<int*>(point_count) = 2;
  return 0;
}

class PrintutilDumpTest : public yrltest::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    bspline_weighted = true;
    table_options.extra = {yrltest::host_row(&bspline_get, "VynBsplinedataGet_v"),
                           yrltest::host_row(&composite_get, "VynCompositeCurvedataGet_v"),
                           yrltest::host_row(&spline_get, "VynSplinedataGet_v"),
                           yrltest::host_row(&splinesrf_get, "VynSplinesrfdataGet_v"),
                           yrltest::host_row(&bsplinesrf_get, "VynBsplinesrfdataGet_v")};
    bind_table();
  }
  static std::string curve(const VynCurvedata& data) {
    return written([&](std::FILE* f) { EXPECT_EQ(VynUtilCurvedataPrint(f, "> ", &data), 0); });
  }
  // The lines of a surface dump after its Id, Uv and Orient lines.
  static std::string shape(int type, const VynSurfaceShape& shape) {
    VynSurfacedata surface;
    EXPECT_EQ(VynSurfacedataInit(type, nullptr, nullptr, 0, &shape, 1, &surface), 0);
    std::string text =
        written([&](std::FILE* f) { EXPECT_EQ(VynUtilSurfacedataPrint(f, "", &surface), 0); });
    const std::string head =
        "Id  1\nUv min ( 0.00000, 0.00000)\nUv max ( 0.00000, 0.00000)\nOrient 0\n";
    EXPECT_EQ(text.substr(0, head.size()), head);
    return text.substr(head.size());
  }
  template <typename T>
  static VynArray host_array(const std::vector<T>& items) {
    VynArray array = nullptr;
    EXPECT_EQ(VynArrayAlloc(0, sizeof(T), 1, &array), 0);
    EXPECT_EQ(VynArrayObjectAdd(&array, -1, static_cast<int>(items.size()), items.data()), 0);
    return array;
  }
};

const double x_axis[3] = {1, 0, 0}, y_axis[3] = {0, 1, 0}, z_axis[3] = {0, 0, 1};
const double place[3] = {1, 2, 3};
const std::string axes_lines =
    "    e1 ( 1.00000, 0.00000, 0.00000)\n    e2 ( 0.00000, 1.00000, 0.00000)\n"
    "    e3 ( 0.00000, 0.00000, 1.00000)\n    origin ( 1.00000, 2.00000, 3.00000)\n";

TEST_F(PrintutilDumpTest, CurvesOfEveryKind) {
  VynCurvedata point, arc, ellipse;
  ASSERT_EQ(VynPointdataInit(place, &point), 0);
  EXPECT_EQ(curve(point), "> Type Point\n>     pos ( 1.00000, 2.00000, 3.00000)\n");
  ASSERT_EQ(VynArcdataInit(x_axis, y_axis, place, 0.25, 1.5, 2.5, &arc), 0);
  EXPECT_EQ(curve(arc),
            "> Type Arc\n>     vec1 ( 1.00000, 0.00000, 0.00000)\n"
            ">     vec2 ( 0.00000, 1.00000, 0.00000)\n>     origin ( 1.00000, 2.00000, 3.00000)\n"
            ">     start_angle 0.25000\n>     end_angle 1.50000\n>     radius 2.50000\n");
  ASSERT_EQ(VynEllipsedataInit(place, x_axis, y_axis, 4, 3, 0.5, 0.75, &ellipse), 0);
  EXPECT_EQ(curve(ellipse),
            "> Type Ellipse\n>     origin ( 1.00000, 2.00000, 3.00000)\n"
            ">     vec1 ( 1.00000, 0.00000, 0.00000)\n>     vec2 ( 0.00000, 1.00000, 0.00000)\n"
            ">     major_axis_len 4.00000\n>     minor_axis_len 3.00000\n"
            ">     start_angle 0.50000\n>     end_angle 0.75000\n");

  // A spline of the toolkit's own record: its arrays are host arrays.
  VynCurvedata spline{};
  spline.spline.type = VYN_CURVE_SPLINE;
  spline.spline.params = host_array(std::vector<double>{0, 1});
  struct Point {
    double xyz[3];
  };
  spline.spline.points = host_array(std::vector<Point>{{{0, 0, 0}}, {{1, 1, 0}}});
  spline.spline.tangents = host_array(std::vector<Point>{{{1, 0, 0}}, {{0, 1, 0}}});
  spline.spline.num_points = 2;
  EXPECT_EQ(curve(spline),
            "> Type Spline\n>     Parameters\n>     0.00000, 1.00000\n"
            ">     Points\n>     0.00000, 0.00000, 0.00000, 1.00000, 1.00000, 0.00000\n"
            ">     Tangent Vectors\n>     1.00000, 0.00000, 0.00000, 0.00000, 1.00000, 0.00000\n");
  VynArrayFree(&spline.spline.params);
  VynArrayFree(&spline.spline.points);
  VynArrayFree(&spline.spline.tangents);

  // A B-spline through the host's accessor: weights only when it has them.
  VynCurvedata bspline{};
  ASSERT_EQ(VynCurvedataTypeSet(&bspline, VYN_CURVE_BSPLINE), 0);
  const std::string bspline_head =
      "> Type B_spline\n>     Degree 2\n>     Parameters\n"
      ">     0.00000, 0.00000, 0.00000, 1.00000, 1.00000, 1.00000\n";
  const std::string bspline_points =
      ">     Points\n>     0.00000, 0.00000, 0.00000, 1.00000, 1.00000, 0.00000, 2.00000, 0.00000,\n"
      ">     0.00000\n";
  EXPECT_EQ(curve(bspline),
            bspline_head + ">     Weights\n>     1.00000, 0.50000, 1.00000\n" + bspline_points);
  bspline_weighted = false;
  EXPECT_EQ(curve(bspline), bspline_head + bspline_points);

  // A composite: each component with its direction, one level deeper.
  VynComponentCurvedata parts[2];
  ASSERT_EQ(VynComponentCurvedataInit(&point, 1, &parts[0]), 0);
  ASSERT_EQ(VynComponentCurvedataInit(&arc, -1, &parts[1]), 0);
  components = host_array(std::vector<VynComponentCurvedata>{parts[0], parts[1]});
  VynCurvedata composite{};
  ASSERT_EQ(VynCurvedataTypeSet(&composite, VYN_CURVE_COMPOSITE), 0);
  EXPECT_EQ(curve(composite),
            "> Type Composite\n>     Components [2]\n>     Component 0\n>     Direction 1\n"
            ">         Type Point\n>             pos ( 1.00000, 2.00000, 3.00000)\n"
            ">     Component 1\n>     Direction -1\n>         Type Arc\n"
            ">             vec1 ( 1.00000, 0.00000, 0.00000)\n"
            ">             vec2 ( 0.00000, 1.00000, 0.00000)\n"
            ">             origin ( 1.00000, 2.00000, 3.00000)\n"
            ">             start_angle 0.25000\n>             end_angle 1.50000\n"
            ">             radius 2.50000\n");
  VynArrayFree(&components);
  // A composite whose component the host makes the composite again ends where the
  // indent can no longer grow.
  components = host_array(std::vector<VynComponentCurvedata>{{composite, 1}});
  std::string deep = curve(composite);
  std::size_t levels = 0;
  for (std::size_t at = 0; (at = deep.find("Type Composite", at)) != std::string::npos; ++at)
    ++levels;
  EXPECT_GT(levels, 10u);
  EXPECT_LT(levels, static_cast<std::size_t>(VYN_UTIL_INDENT_SIZE / 4));
  VynArrayFree(&components);
}

TEST_F(PrintutilDumpTest, AFailingAccessorEndsItsDumpWithItsStatus) {
  table_options.extra.push_back(yrltest::host_row(&bspline_get_fails, "VynBsplinedataGet_v"));
  table_options.extra.erase(table_options.extra.begin());
  bind_table();
  VynCurvedata bspline{};
  ASSERT_EQ(VynCurvedataTypeSet(&bspline, VYN_CURVE_BSPLINE), 0);
  EXPECT_EQ(written([&](std::FILE* f) { EXPECT_EQ(VynUtilCurvedataPrint(f, "", &bspline), -1); }),
            "Type B_spline\n");
}

TEST_F(PrintutilDumpTest, SurfacesOfEveryKind) {
  VynSurfaceShape s{};
  ASSERT_EQ(VynConedataInit(x_axis, y_axis, z_axis, place, 0.5, &s), 0);
  EXPECT_EQ(shape(VYN_SRF_CONE, s), "Type Cone\n" + axes_lines + "    alpha 0.50000\n");
  ASSERT_EQ(VynTorusdataInit(x_axis, y_axis, z_axis, place, 5, 1.5, &s), 0);
  EXPECT_EQ(shape(VYN_SRF_TORUS, s),
            "Type Torus\n" + axes_lines + "    radius1 5.00000\n    radius2 1.50000\n");

  VynCurvedata point, line, arc;
  const double end[3] = {4, 5, 6};
  ASSERT_EQ(VynPointdataInit(place, &point), 0);
  ASSERT_EQ(VynLinedataInit(place, end, &line), 0);
  ASSERT_EQ(VynArcdataInit(x_axis, y_axis, place, 0, 1, 2, &arc), 0);
  ASSERT_EQ(VynRulsrfdataInit(x_axis, y_axis, z_axis, place, &point, &line, &s), 0);
  EXPECT_EQ(shape(VYN_SRF_RULED, s),
            "Type Ruled\n" + axes_lines +
                "    Curve_1\n    Type Point\n        pos ( 1.00000, 2.00000, 3.00000)\n"
                "    Curve_2\n    Type Line \n        end1 ( 1.00000, 2.00000, 3.00000)\n"
                "        end2 ( 4.00000, 5.00000, 6.00000)\n");
  const std::string arc_lines =
      "    Curve\n    Type Arc\n        vec1 ( 1.00000, 0.00000, 0.00000)\n"
      "        vec2 ( 0.00000, 1.00000, 0.00000)\n        origin ( 1.00000, 2.00000, 3.00000)\n"
      "        start_angle 0.00000\n        end_angle 1.00000\n        radius 2.00000\n";
  ASSERT_EQ(VynSrfrevdataInit(x_axis, y_axis, z_axis, place, &arc, &s), 0);
  EXPECT_EQ(shape(VYN_SRF_REVOLVE, s), "Type Rev\n" + axes_lines + arc_lines);
  ASSERT_EQ(VynTabcyldataInit(x_axis, y_axis, z_axis, place, &arc, &s), 0);
  EXPECT_EQ(shape(VYN_SRF_TABULATED_CYLINDER, s), "Type Tabcyl\n" + axes_lines + arc_lines);

  // A fillet's three spline records, each a curve dump through the host's accessor.
  unsigned char pnt[20] = {1}, ctr[20] = {2}, tan[20] = {1};
  ASSERT_EQ(VynFilsrfdataInit(pnt, ctr, tan, &s), 0);
  const std::string one_point =
      "    Type Spline\n        Parameters\n        0.00000\n        Points\n"
      "        0.00000, 0.00000, 0.00000\n        Tangent Vectors\n        1.00000, 0.00000, 0.00000\n";
  EXPECT_EQ(shape(VYN_SRF_FILLET, s),
            "Type Fillet\n    Pnt Spline\n" + one_point + "    Ctr Spline\n"
            "    Type Spline\n        Parameters\n        0.00000, 0.50000\n        Points\n"
            "        0.00000, 0.00000, 0.00000, 1.00000, 0.00000, 0.00000\n"
            "        Tangent Vectors\n"
            "        1.00000, 0.00000, 0.00000, 1.00000, 0.00000, 0.00000\n"
            "    Tan Spline\n" + one_point);

  // Spline surfaces through the host's accessor: alone and inside a cylindrical one.
  const std::string spline_lists =
      "U Param Array\n#0.00000, 1.00000\nV Param Array\n#0.00000\n"
      "Point Array\n#0.00000, 0.00000, 0.00000, 1.00000, 0.00000, 0.00000\n"
      "U Der Array\n#1.00000, 0.00000, 0.00000, 1.00000, 0.00000, 0.00000\n"
      "V Der Array\n#0.00000, 1.00000, 0.00000, 0.00000, 1.00000, 0.00000\n"
      "UV Der Array\n#0.00000, 0.00000, 0.00000, 0.00000, 0.00000, 0.00000\n";
  auto indented = [&](const std::string& indent) {
    std::string out;
    std::size_t start = 0;
    for (std::size_t end; (end = spline_lists.find('\n', start)) != std::string::npos; start = end + 1) {
      std::string line = spline_lists.substr(start, end + 1 - start);
      out += indent + (line[0] == '#' ? line.substr(1) : line);
    }
    return out;
  };
  VynSurfaceShape spline{};
  EXPECT_EQ(shape(VYN_SRF_SPLINE, spline), "Type Spline\n" + indented("    "));
  const unsigned char spline_surface[32] = {7};
  ASSERT_EQ(VynCylsplsrfdataInit(x_axis, y_axis, z_axis, place, spline_surface, &s), 0);
  EXPECT_EQ(shape(VYN_SRF_CYLINDRICAL_SPLINE, s),
            "Type Cyl Spl\n" + axes_lines + "    Spline Srf\n    Type Spline\n" +
                indented("        "));

  VynSurfaceShape bspline{};
  EXPECT_EQ(shape(VYN_SRF_BSPLINE, bspline),
            "Type B_spline\n    degree 3, 1\n"
            "    U Param Array\n    0.00000, 0.00000, 1.00000, 1.00000\n"
            "    V Param Array\n    0.00000, 1.00000\n"
            "    Weights Array\n    1.00000, 1.00000\n"
            "    Point Array\n    0.00000, 0.00000, 0.00000, 0.00000, 1.00000, 0.00000\n");

  VynSurfaceShape foreign{};
  const int foreign_id = 77;
  std::memcpy(foreign.bytes, &foreign_id, sizeof foreign_id);
  EXPECT_EQ(shape(VYN_SRF_FOREIGN, foreign), "Type Foreign\n    Forein Id 77\n");
  VynSurfaceShape other{};
  EXPECT_EQ(shape(39, other), "Type Unsupported (39)\n");
}

// Files the toolkit opens are Windows names: they land where the path model puts them,
// not under their literal text in the process's directory, which is a fresh one here so
// that a file left there by anything else cannot count.
class PrintutilFileTest : public PrintutilHostTest {
 protected:
  void SetUp() override {
    PrintutilHostTest::SetUp();
    ASSERT_TRUE(w32::w32_set_drive('C', dir.path().c_str()));
    ASSERT_TRUE(w32::w32_set_current_drive('C'));
    script().current = reinterpret_cast<VynMdl>(0x10);
    script().name = u"Plate";
  }
  static bool exists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
  }
  yrltest::InTempDir cwd;
  yrltest::TempDir dir;
};

TEST_F(PrintutilFileTest, EntityFileIsNamedAfterTheModelInTheCurrentDirectory) {
  char path[VYN_UTIL_PATH_SIZE] = "";
  std::FILE* file = VynUtilGenFilePtr(nullptr, ".ent", path, "w");
  ASSERT_NE(file, nullptr);
  std::fputs("x\n", file);
  std::fclose(file);
  EXPECT_STREQ(path, "plate.ent");
  EXPECT_EQ(yrltest::read_file(dir.file("plate.ent")), "x\n");
  EXPECT_FALSE(exists("plate.ent"));
}

TEST_F(PrintutilFileTest, EntityFileInAMissingDirectoryIsReported) {
  char path[VYN_UTIL_PATH_SIZE] = "";
  EXPECT_EQ(VynUtilGenFilePtr(nullptr, "\\missing\\x.ent", path, "w"), nullptr);
  ASSERT_EQ(script().messages.size(), 1u);
  EXPECT_EQ(script().messages[0].first, u"gen_msg.txt");
  EXPECT_EQ(script().messages[0].second, "USER %0s");
  // No model name: nothing is opened and nothing shown.
  script().current_status = -4;
  EXPECT_EQ(VynUtilGenFilePtr(nullptr, ".ent", path, "w"), nullptr);
  EXPECT_EQ(script().messages.size(), 1u);
}

TEST_F(PrintutilFileTest, StringFilesGoThroughThePathModel) {
  ASSERT_EQ(::mkdir(dir.file("tmp").c_str(), 0755), 0);
  VynArray strings = nullptr;
  ASSERT_EQ(VynArrayAlloc(0, sizeof(VynWchar*), 1, &strings), 0);
  const VynWchar* line = u"first line";
  ASSERT_EQ(VynArrayObjectAdd(&strings, -1, 1, &line), 0);
  EXPECT_EQ(VynUtilWstringArrayToFile(strings, u"C:\\tmp\\out.txt"), 0);
  VynArrayFree(&strings);
  EXPECT_EQ(yrltest::read_file(dir.file("tmp/out.txt")), "first line\n");
  EXPECT_FALSE(exists("C:\\tmp\\out.txt"));
}

TEST_F(PrintutilFileTest, RegressionLogGoesThroughThePathModel) {
  ASSERT_EQ(::mkdir(dir.file("logs").c_str(), 0755), 0);
  yrltest::ScopedEnv mode("VYNTOOL_DEBUG", "report");
  yrltest::ScopedEnv log_dir("VYNTOOL_LOG_DIR", "C:\\logs\\");
  EXPECT_EQ(VynTestErrlogOpen("run.x", "25", "2003100"), 0);
  VynTestCallReport("VynA()", "VynB()", -1, 1);
  EXPECT_EQ(VynTestErrlogClose(), 0);
  std::string log = yrltest::read_file(dir.file("logs/run.log"));
  EXPECT_NE(log.find("# Vynkit Regression Test Log\n"), std::string::npos);
  EXPECT_NE(log.find("VynA()"), std::string::npos);
  EXPECT_FALSE(exists("C:\\logs\\run.log"));
}

}  // namespace

namespace {

// Interference data of one plane surface and one edge, served by the test's rows.
VynSurfacedata intf_surface;
VynCurvedata intf_edge_curve;
int intf_edge_record;

VynError intf_count_one(int, VynWord, VynWord n) {
  *reinterpret_cast<int*>(n) = 1;
  return 0;
}
VynError intf_count_none(int, VynWord, VynWord n) {
  *reinterpret_cast<int*>(n) = 0;
  return 0;
}
VynError intf_surface_get(int, VynWord, VynWord index, VynWord out) {
  if (index != 0) return -2;
  *reinterpret_cast<VynSurfacedata**>(out) = &intf_surface;
  return 0;
}
VynError intf_edge_get(int, VynWord, VynWord index, VynWord out) {
  if (index != 0) return -2;
  *reinterpret_cast<void**>(out) = &intf_edge_record;
  return 0;
}
VynError edgedata_get(int, VynWord edge, VynWord id, VynWord surfaces, VynWord directions, VynWord,
                      VynWord, VynWord curve) {
  if (edge != reinterpret_cast<VynWord>(&intf_edge_record)) return -2;
  *reinterpret_cast<int*>(id) = 4;
  reinterpret_cast<int*>(surfaces)[0] = 1;
  reinterpret_cast<int*>(surfaces)[1] = 2;
  reinterpret_cast<int*>(directions)[0] = 1;
  reinterpret_cast<int*>(directions)[1] = -1;
  *reinterpret_cast<VynCurvedata**>(curve) = &intf_edge_curve;
  return 0;
}

class PrintutilIntfTest : public yrltest::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    table_options.extra = {yrltest::host_row(&intf_count_one, "VynIntfDataSurfaceCount_v"),
                           yrltest::host_row(&intf_surface_get, "VynIntfDataSurfaceGet_v"),
                           yrltest::host_row(&intf_count_one, "VynIntfDataEdgeCount_v"),
                           yrltest::host_row(&intf_edge_get, "VynIntfDataEdgeGet_v"),
                           yrltest::host_row(&edgedata_get, "VynEdgedataGet_v"),
                           yrltest::host_row(&intf_count_none, "VynIntfDataQuiltCount_v")};
    bind_table();
  }
};

TEST_F(PrintutilIntfTest, InterferenceDataDump) {
  VynSurfaceShape shape;
  const double e1[3] = {1, 0, 0}, e2[3] = {0, 1, 0}, e3[3] = {0, 0, 1}, o[3] = {0, 0, 0};
  ASSERT_EQ(VynPlanedataInit(e1, e2, e3, o, &shape), 0);
  const double uv[2] = {0, 0};
  ASSERT_EQ(VynSurfacedataInit(34, uv, uv, 0, &shape, 3, &intf_surface), 0);
  const double a[3] = {0, 0, 0}, b[3] = {1, 0, 0};
  ASSERT_EQ(VynLinedataInit(a, b, &intf_edge_curve), 0);
  VynIntfData data{};
  ASSERT_EQ(VynIntfDataAccuracySet(&data, 0.5), 0);
  ASSERT_EQ(VynIntfDataAccuracytypeSet(&data, 2), 0);
  std::string text = written([&](std::FILE* f) { VynUtilIntfDataPrint(f, &data); });
  EXPECT_EQ(text,
            "Accuracy 0.50000\nAccuracy type 2\n"
            "Outline ( 0.00000, 0.00000, 0.00000) - ( 0.00000, 0.00000, 0.00000)\n"
            "Surfaces [1]\nSurface  0\n"
            "    Id  3\n    Uv min ( 0.00000, 0.00000)\n    Uv max ( 0.00000, 0.00000)\n"
            "    Orient 0\n    Type Plane\n"
            "        e1 ( 1.00000, 0.00000, 0.00000)\n        e2 ( 0.00000, 1.00000, 0.00000)\n"
            "        e3 ( 0.00000, 0.00000, 1.00000)\n        origin ( 0.00000, 0.00000, 0.00000)\n"
            "Edges [1]\nEdge 0\n    Id 4\n    Surfaces Ids 1 2\n    Edge dirs 1 -1\n"
            "    Edge curve\n        Type Line \n"
            "            end1 ( 0.00000, 0.00000, 0.00000)\n"
            "            end2 ( 1.00000, 0.00000, 0.00000)\n"
            "    Edge uv curve[0]\n    Edge uv curve[1]\n    Edge uv point array\n"
            "Quits [0]\n");
  EXPECT_EQ(VynUtilIntfDataPrint(nullptr, &data), -2);
}

}  // namespace

namespace {

VynArray contour_array;
VynError contour_array_get(int, VynWord, VynWord out) {
  *reinterpret_cast<VynArray*>(out) = contour_array;
  return 0;
}

class PrintutilContourTest : public yrltest::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    table_options.extra = {
        yrltest::host_row(&contour_array_get, "VynSurfacedataContourArrayGet_v")};
    bind_table();
  }
};

TEST_F(PrintutilContourTest, SurfaceContoursWithTheirTraversalAndEdgeCount) {
  VynArray ids = nullptr;
  ASSERT_EQ(VynArrayAlloc(0, sizeof(int), 1, &ids), 0);
  const int edge_ids[] = {4, 5, 6};
  ASSERT_EQ(VynArrayObjectAdd(&ids, -1, 3, edge_ids), 0);
  ASSERT_EQ(VynArrayAlloc(0, sizeof(VynContourdata), 1, &contour_array), 0);
  const VynContourdata contours[] = {{-1, ids}, {1, nullptr}, {0, nullptr}};
  ASSERT_EQ(VynArrayObjectAdd(&contour_array, -1, 3, contours), 0);
  VynSurfacedata surface;
  VynSurfaceShape shape;
  const double e[3] = {0, 0, 1};
  ASSERT_EQ(VynPlanedataInit(e, e, e, e, &shape), 0);
  ASSERT_EQ(VynSurfacedataInit(34, nullptr, nullptr, 1, &shape, 9, &surface), 0);
  std::string text = written([&](std::FILE* f) { VynUtilSurfacedataPrint(f, "", &surface); });
  EXPECT_NE(text.find("Orient 1\nContours [3]\n"
                      "Contour 0\nTraversal internal\nEdge Id Array [3]\n"
                      "Contour 1\nTraversal external\nEdge Id Array [0]\n"
                      "Contour 2\nTraversal none\nEdge Id Array [0]\n"
                      "Type Plane\n"),
            std::string::npos)
      << text;
  VynArrayFree(&contour_array);
  VynArrayFree(&ids);
}

}  // namespace
