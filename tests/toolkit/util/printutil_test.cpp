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
  struct Case {
    const char* given;
    int result;
    const char* buffer_after;
    const char* name;
  };
  const Case cases[] = {
      {"/a/b/box.prt", 2, "box.prt", "box"},
      {"plate.DRW", 4, "plate.DRW", "plate"},
      {"box.part", -2, "box.part", ""},
      {".prt", -2, ".prt", ""},
      {"box", -2, "box", ""},
      {"a.b.prt", -2, "a.b.prt", ""},  // the extension is what follows the first "."
      {"/dir/", -2, "", ""},
      {"box.xyz", -2, "box.xyz", ""},
  };
  for (const Case& c : cases) {
    char buffer[64];
    std::strcpy(buffer, c.given);
    char name[64] = "";
    int type = 99;
    EXPECT_EQ(VynUtilConfirmNameType(buffer, name, &type), c.result) << c.given;
    EXPECT_STREQ(buffer, c.buffer_after) << c.given;
    EXPECT_STREQ(name, c.name) << c.given;
    EXPECT_EQ(type, c.result == -2 ? 99 : c.result) << c.given;
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
  ASSERT_EQ(VynCurvedataTypeSet(&other, 41), 0);
  EXPECT_EQ(written([&](std::FILE* f) { VynUtilCurvedataPrint(f, "", &other); }),
            "Type Unsupported (41)\n");

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

// Files the toolkit opens are Windows names: they land where the path model puts them,
// not under their literal text in the process's directory.
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
