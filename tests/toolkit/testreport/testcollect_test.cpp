// The collection-test menu and the helpers the tests print with.
#include "toolkit/testreport/testcollect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/plugin/call_log.h"
#include "platform/w32/path.h"
#include "tests/support/console_capture.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"
#include "tests/toolkit/toolkit_test.h"
#include "toolkit/api/app_api.h"
#include "toolkit/testreport/testreport.h"
#include "toolkit/testreport/testreport_testing.h"

namespace {

TEST(TestCollectNames, TypeCodesGiveTheirNames) {
  struct Case {
    const char* (*name_of)(int);
    int value;
    const char* name;
  } cases[] = {
      {VynUtilSurfaceTypeToString, -3, "VYN_SRF_NONE"},
      {VynUtilSurfaceTypeToString, 34, "VYN_SRF_PLANE"},
      {VynUtilSurfaceTypeToString, 48, "VYN_SRF_CYL_SPL"},
      {VynUtilSurfaceTypeToString, 47, "unknown"},
      {VynUtilFeatureStatusToString, -1, "VYN_FEAT_INVALID"},
      {VynUtilFeatureStatusToString, 6, "VYN_FEAT_UNREGENERATED"},
      {VynUtilFeatureStatusToString, 7, "unknown"},
      {VynUtilToolTypeToString, 0, "VYN_TOOL_NONE"},
      {VynUtilToolTypeToString, 16384, "VYN_TOOL_BORE"},
      {VynUtilToolTypeToString, 134217728, "VYN_TOOL_BACK"},
      {VynUtilToolTypeToString, 4096, "unknown"},
      {VynUtilToolTypeToString, 3, "unknown"},
      {VynUtilGeomitemTypeToString, -1, "VYN_TYPE_UNUSED"},
      {VynUtilGeomitemTypeToString, 62, "VYN_CURVE"},
      {VynUtilGeomitemTypeToString, 1003, "VYN_FAMILY_TABLE"},
      {VynUtilGeomitemTypeToString, 0, "unknown"},
      {VynUtilEdgeTypeToString, -1, "VYN_ENT_NONE"},
      {VynUtilEdgeTypeToString, 41, "VYN_ENT_CMP_CRV"},
      {VynUtilEdgeTypeToString, 4, "unknown"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_STREQ(c.name_of(c.value), c.name);
  }
}

// ---- Host rows of the tests' own

VynValuedata next_value;
VynError value_status;

VynError value_data_get(int, VynValue, VynValuedata* data) {
  if (value_status != 0) return value_status;
  std::memcpy(static_cast<void*>(data), &next_value, sizeof next_value);
  return 0;
}

VynModelitem picked;
VynError pick_status;
VynError selection_item_get(int, VynSelection, VynModelitem* item) {
  if (pick_status != 0) return pick_status;
  *item = picked;
  return 0;
}

VynError feature_type_get(int, VynFeature* feature, int* type) {
  *type = 900 + feature->id;
  return 0;
}
VynError feature_status_get(int, VynFeature* feature, int* status) {
  *status = feature->id - 2;
  return 0;
}


class TestCollectTest : public yrltest::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    testreport_testing_reset();
    next_value = VynValuedata{};
    value_status = 0;
    picked = VynModelitem{};
    pick_status = 0;
    table_options.extra = {yrltest::host_row(&value_data_get, "VynValueDataGet_v"),
                           yrltest::host_row(&selection_item_get, "VynSelectionModelitemGet_v"),
                           yrltest::host_row(&feature_type_get, "VynFeatureTypeGet_v"),
                           yrltest::host_row(&feature_status_get, "VynFeatureStatusGet_v")};
    bind_table();
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
  yrltest::ScopedEnv env;
};

TEST_F(TestCollectTest, ValueTextByType) {
  const char narrow[] = "depth";
  const VynWchar wide[] = u"Wide name";
  int marker = 0;
  struct Case {
    VynValuedata record;
    const char* text;
  } cases[] = {
      {{1, 0, {.i = -42}}, "-42"},
      {{2, 0, {.d = 2.5}}, "2.500000"},
      {{3, 0, {.p = &marker}}, "pointer"},
      {{4, 0, {.s = narrow}}, "depth"},
      {{4, 0, {.s = nullptr}}, ""},
      {{5, 0, {.w = wide}}, "Wide name"},
      {{6, 0, {.p = &marker}}, "Selection"},
      {{7, 0, {.i = 1}}, "unknown"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    next_value = c.record;
    EXPECT_STREQ(VynUtilValueToString(nullptr), c.text);
  }
  // A long text is cut to the buffer.
  std::string long_text(2 * VYN_UTIL_VALUE_TEXT_SIZE, 'x');
  next_value = VynValuedata{4, 0, {.s = long_text.c_str()}};
  EXPECT_EQ(std::string(VynUtilValueToString(nullptr)),
            std::string(VYN_UTIL_VALUE_TEXT_SIZE - 1, 'x'));
  // Data that cannot be read is not taken from the last call.
  value_status = -1;
  EXPECT_STREQ(VynUtilValueToString(nullptr), "unknown");
}

TEST_F(TestCollectTest, PickedSurfaceAndCurve) {
  VynSurface surface = nullptr;
  VynCurve curve = nullptr;
  EXPECT_EQ(VynUtilSelectedSurfaceGet(nullptr, nullptr), -1);
  EXPECT_EQ(VynUtilSelectedCurveGet(nullptr, nullptr), -1);

  // The host's own conversions want a real model: answer them here.
  yrlhost::call_log_set_result("VynGeomitemToSurface_v", 0);
  yrlhost::call_log_set_result("VynGeomitemToCurve_v", 0);
  picked = VynModelitem{5, 11, nullptr};
  EXPECT_EQ(VynUtilSelectedSurfaceGet(nullptr, &surface), 0);
  EXPECT_EQ(VynUtilSelectedCurveGet(nullptr, &curve), -1);
  EXPECT_EQ(yrlhost::call_log_of("VynGeomitemToSurface_v").size(), 1u);
  EXPECT_TRUE(yrlhost::call_log_of("VynGeomitemToCurve_v").empty());

  picked = VynModelitem{62, 12, nullptr};
  EXPECT_EQ(VynUtilSelectedCurveGet(nullptr, &curve), 0);
  EXPECT_EQ(VynUtilSelectedSurfaceGet(nullptr, &surface), -1);
  yrlhost::call_log_set_result("VynGeomitemToCurve_v", -4);
  EXPECT_EQ(VynUtilSelectedCurveGet(nullptr, &curve), -1);

  pick_status = -1;
  EXPECT_EQ(VynUtilSelectedCurveGet(nullptr, &curve), -1);
  EXPECT_EQ(VynUtilSelectedSurfaceGet(nullptr, &surface), -1);
}

TEST_F(TestCollectTest, FeatureArrayPrint) {
  yrltest::TempDir dir;
  std::string path = dir.file("features.txt");
  VynArray features = nullptr;
  ASSERT_EQ(VynArrayAlloc(0, static_cast<int>(sizeof(VynFeature)), 1, &features), 0);
  VynFeature rows[] = {{3, 1, nullptr}, {3, 4, nullptr}, {3, 9, nullptr}};
  ASSERT_EQ(VynArrayObjectAdd(&features, -1, 3, rows), 0);
  std::FILE* out = std::fopen(path.c_str(), "w");
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(VynTestFeatureArrayPrint(features, out), 0);
  std::fclose(out);
  EXPECT_EQ(yrltest::read_file(path),
            "Number of features:\t3\n"
            "Id 1,\ttype 901,\tstatus: VYN_FEAT_INVALID\n"
            "Id 4,\ttype 904,\tstatus: VYN_FEAT_FAMTAB_SUPPRESSED\n"
            "Id 9,\ttype 909,\tstatus: unknown\n");
  VynArrayFree(&features);
}

TEST_F(TestCollectTest, MenuRunsWithItsExitButtonsAndOutputFile) {
  // The output file is a Windows name: the current drive is the test's directory.
  yrltest::TempDir here;
  ASSERT_TRUE(w32::w32_set_drive('C', here.path().c_str()));
  ASSERT_TRUE(w32::w32_set_current_drive('C'));
  VynMdl model = reinterpret_cast<VynMdl>(0x77);
  // The host has no menus of these older calls: the user's side is answered here.
  for (const char* key : {"VynMenuFileRegister_v", "VynMenubuttonActionSet_v", "VynMenuCreate_v",
                          "VynMenuProcess_v"})
    yrlhost::call_log_set_result(key, 0);
  EXPECT_EQ(VynTestCollection(&model), 0);
  std::vector<yrlhost::CallRecord> registered = yrlhost::call_log_of("VynMenuFileRegister_v");
  ASSERT_EQ(registered.size(), 1u);
  ASSERT_EQ(registered[0].words.size(), 3u);
  EXPECT_STREQ(reinterpret_cast<const char*>(registered[0].words[0]), "COLLECTION");
  EXPECT_EQ(std::u16string(reinterpret_cast<const VynWchar*>(registered[0].words[1])),
            u"collection.mnu");
  std::vector<std::string> buttons;
  for (const yrlhost::CallRecord& call : yrlhost::call_log_of("VynMenubuttonActionSet_v")) {
    EXPECT_STREQ(reinterpret_cast<const char*>(call.words[0]), "COLLECTION");
    EXPECT_EQ(call.words[3], reinterpret_cast<VynWord>(&model));
    buttons.push_back(reinterpret_cast<const char*>(call.words[1]));
  }
  EXPECT_EQ(buttons,
            (std::vector<std::string>{
                "Animation", "Solid Csys", "Solid Axis", "Solid Quilts", "Solid Surfaces",
                "Simp Reps", "Solid Features", "Model Notes", "Mfg Tools", "Feature Geomitems",
                "Elements", "Curve Comps", "Contours", "Extobj", "Find By Name", "Axis By Plane",
                "Dimensions", "Done Collect", "COLLECTION"}));
  for (const yrlhost::CallRecord& call : yrlhost::call_log_of("VynMenubuttonActionSet_v"))
    EXPECT_NE(call.words[2], 0) << reinterpret_cast<const char*>(call.words[1]);
  EXPECT_EQ(yrlhost::call_log_of("VynMenuCreate_v").size(), 1u);
  std::vector<yrlhost::CallRecord> processed = yrlhost::call_log_of("VynMenuProcess_v");
  ASSERT_EQ(processed.size(), 1u);
  EXPECT_STREQ(reinterpret_cast<const char*>(processed[0].words[0]), "COLLECTION");
  EXPECT_EQ(yrltest::read_file(here.path() + "/visitcollect.dat"), "");
  EXPECT_EQ(VynTestCollectionStream(), nullptr);
}

TEST_F(TestCollectTest, RefusedMenuFileGivesMinusOne) {
  // The output file is a Windows name: the current drive is the test's directory.
  yrltest::TempDir here;
  ASSERT_TRUE(w32::w32_set_drive('C', here.path().c_str()));
  ASSERT_TRUE(w32::w32_set_current_drive('C'));
  yrlhost::call_log_set_result("VynMenuFileRegister_v", -1);
  EXPECT_EQ(VynTestCollection(nullptr), -1);
  EXPECT_TRUE(yrlhost::call_log_of("VynMenuCreate_v").empty());
  EXPECT_TRUE(yrlhost::call_log_of("VynMenuProcess_v").empty());
  EXPECT_EQ(VynTestCollectionStream(), nullptr);
}

}  // namespace
