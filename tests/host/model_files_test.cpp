// The host's model files: saving and reopening drawings and parts, their external data
// across a reopen, and the errors of malformed files.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/api/host_behaviours.h"
#include "host/plugin/host_table.h"
#include "host/store/models.h"
#include "host/files/model_files.h"
#include "host_test.h"
#include "tests/support/temp_dir.h"

namespace {

using yrlhost::Behaviour;
using yrlhost::HostApi;

class ModelFilesTest : public yrltest::HostTest {
 protected:
  std::string file(const std::string& name) const { return (dir_ / name).string(); }

  yrltest::TempDir temp_;
  const std::filesystem::path dir_ = temp_.path();
};

TEST_F(ModelFilesTest, DrawingSavedAndReopenedKeepsNameTypeUnitsAndPath) {
  std::string error;
  VynMdl drawing = yrlhost::host_model_create(4, "Plate drawing", error, "MM");
  std::vector<std::string> lines = yrlhost::host_model_lines(drawing);
  const std::string path = file("plate.drw");
  ASSERT_TRUE(yrlhost::host_model_save(drawing, path, error)) << error;
  EXPECT_EQ(yrlhost::host_model_path(drawing), path);
  yrlhost::host_models_erase_all();

  VynMdl opened = yrlhost::host_model_open(path, error);
  ASSERT_NE(opened, nullptr) << error;
  EXPECT_EQ(yrlhost::host_current_model(), opened);
  EXPECT_EQ(yrlhost::host_model_name(opened), "Plate drawing");
  EXPECT_EQ(yrlhost::host_model_type(opened), 4);
  EXPECT_EQ(yrlhost::host_model_units(opened), "MM");
  EXPECT_EQ(yrlhost::host_model_path(opened), path);
  EXPECT_EQ(yrlhost::host_model_lines(opened), lines);

  // The same drawing cannot be opened twice.
  EXPECT_EQ(yrlhost::host_model_open(path, error), nullptr);
  EXPECT_EQ(error, path + ": a drawing named \"Plate drawing\" is already in session");
  EXPECT_EQ(yrlhost::host_model_open(file("missing.drw"), error), nullptr);
  EXPECT_EQ(error, file("missing.drw") + ": cannot be read");
}

TEST_F(ModelFilesTest, PartSavedAndReopenedKeepsFeaturesPlanesAndParameters) {
  std::string error;
  VynMdl part = yrlhost::host_model_create(2, " BRACKET 50%", error);
  int id = yrlhost::host_feature_add(part, 923, "SLANT",
                                     {yrlhost::HostPlane{{0.6, 0.8, 0}, {-0.8, 0.6, 0}, {0, 0, 1}, {0.1, 2.5e-3, -7}}});
  yrlhost::host_feature_add(part, 917, "", {});
  yrlhost::host_feature_state_set(part, id, 1, false);
  VynModelitem owner{};
  Behaviour<HostApi::VynMdlToModelitem>::run(1, part, &owner);
  alignas(8) unsigned char record[128] = {};
  VynParamvalue text{};
  text.type = VYN_PARAM_STRING;
  std::u16string words = u" two  words\n";
  std::copy(words.begin(), words.end(), text.value.as_string);
  VynParamvalue number{};
  number.type = VYN_PARAM_DOUBLE;
  number.value.as_double = 0.1;
  auto* parameter = reinterpret_cast<VynParameter*>(record);
  ASSERT_EQ(Behaviour<HostApi::VynParameterCreate>::run(1, &owner, u"DESCRIPTION", &text, parameter), 0);
  VynModelitem feature{3, id, part};
  ASSERT_EQ(Behaviour<HostApi::VynParameterCreate>::run(1, &feature, u"DEPTH", &number, parameter), 0);

  std::vector<std::string> lines = yrlhost::host_model_lines(part);
  yrlhost::host_models_erase_all();
  VynMdl opened = yrlhost::host_model_read(lines, "bracket.prt", error);
  ASSERT_NE(opened, nullptr) << error;
  EXPECT_EQ(yrlhost::host_model_lines(opened), lines);
  VynModelitem opened_owner{};
  Behaviour<HostApi::VynMdlToModelitem>::run(1, opened, &opened_owner);
  auto description = yrlhost::host_parameter_value(opened_owner, "DESCRIPTION");
  ASSERT_TRUE(description.has_value());
  EXPECT_EQ(std::u16string(description->value.as_string), u" two  words\n");
  EXPECT_EQ(yrlhost::host_model_name(opened), " BRACKET 50%");
  auto depth = yrlhost::host_parameter_value(VynModelitem{3, id, opened}, "DEPTH");
  ASSERT_TRUE(depth.has_value());
  EXPECT_EQ(depth->value.as_double, 0.1);
  int visible = 1;
  VynFeature opened_feature{3, id, opened};
  EXPECT_EQ(Behaviour<HostApi::VynFeatureVisibilityGet>::run(1, &opened_feature, &visible), 0);
  EXPECT_EQ(visible, 0);
  // New features do not reuse the ids read.
  EXPECT_GT(yrlhost::host_feature_add(opened, 923, "NEXT", {}), id + 1);
}

// Works once external data is stored by its module: the slot written before saving is
// read back from the reopened drawing.
TEST_F(ModelFilesTest, ExternalDataSurvivesSaveAndReopen) {
  // Called through the host table as the plug-in calls them.
  auto table = yrlhost::host_table_build();
  auto init = reinterpret_cast<VynError (*)(int, VynMdl)>(
      yrlhost::host_table_find(table, "VynExtdataInit_v"));
  auto class_register = reinterpret_cast<VynError (*)(int, VynMdl, const VynWchar*, VynExtdataClass*)>(
      yrlhost::host_table_find(table, "VynExtdataClassRegister_v"));
  auto slot_create = reinterpret_cast<VynError (*)(int, VynExtdataClass*, const VynWchar*, VynExtdataSlot*)>(
      yrlhost::host_table_find(table, "VynExtdataSlotCreate_v"));
  auto slot_write = reinterpret_cast<VynError (*)(int, VynExtdataSlot*, int, int, int, const void*)>(
      yrlhost::host_table_find(table, "VynExtdataSlotWrite_v"));
  auto slot_read = reinterpret_cast<VynError (*)(int, VynExtdataSlot*, int, int*, int*, void**)>(
      yrlhost::host_table_find(table, "VynExtdataSlotRead_v"));
  auto data_free = reinterpret_cast<VynError (*)(int, void**)>(
      yrlhost::host_table_find(table, "VynExtdataFree_v"));

  std::string error;
  VynMdl drawing = yrlhost::host_model_create(4, "PLATE", error);
  ASSERT_EQ(init(1, drawing), 0);
  VynExtdataClass view_class{};
  ASSERT_EQ(class_register(1, drawing, u"Y_V", &view_class), 0);
  VynExtdataSlot slot{};
  ASSERT_EQ(slot_create(1, &view_class, u"YRL_DWGSCALE", &slot), 0);
  double scale = 0.5;
  ASSERT_EQ(slot_write(1, &slot, 4098, 2, 0, &scale), 0);
  const std::string path = file("plate.drw");
  ASSERT_TRUE(yrlhost::host_model_save(drawing, path, error)) << error;
  yrlhost::host_models_erase_all();

  VynMdl opened = yrlhost::host_model_open(path, error);
  ASSERT_NE(opened, nullptr) << error;
  VynExtdataClass reopened_class{};
  VynError registered = class_register(1, opened, u"Y_V", &reopened_class);
  EXPECT_TRUE(registered == 0 || registered == VYN_TK_E_FOUND) << registered;
  reopened_class.model = opened;
  std::copy_n(u"Y_V", 4, reopened_class.name);
  VynExtdataSlot reopened_slot{&reopened_class, {}};
  std::u16string slot_name = u"YRL_DWGSCALE";
  std::copy(slot_name.begin(), slot_name.end(), reopened_slot.slot_name);
  int type = 0, size = 0;
  void* data = nullptr;
  ASSERT_EQ(slot_read(1, &reopened_slot, 4098, &type, &size, &data), 0);
  EXPECT_EQ(type, 2);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(*static_cast<double*>(data), 0.5);
  EXPECT_EQ(data_free(1, &data), 0);
}

TEST_F(ModelFilesTest, MalformedFilesAreRefusedWithTheLineAndNothingIsLoaded) {
  struct Case {
    std::vector<std::string> lines;
    std::string error;
  };
  const std::string plane = "plane 2 0 0 0 1 0 0 0 1 0 0 0 1";
  const std::vector<Case> cases = {
      {{}, "f:1: empty file, expected \"yrlhost-model 1\""},
      {{"# only a comment", ""}, "f:2: empty file, expected \"yrlhost-model 1\""},
      {{"yrlhost-model 2"}, "f:1: expected \"yrlhost-model 1\""},
      {{"yrlhost-model 1", "type part", "colour red"}, "f:3: unknown keyword \"colour\""},
      {{"yrlhost-model 1", "type cube"}, "f:2: unknown model type \"cube\""},
      {{"yrlhost-model 1", "type part", "type part"}, "f:3: \"type\" given twice"},
      {{"yrlhost-model 1", "type part", "name " + std::string(32, 'N')},
       "f:3: name \"" + std::string(32, 'N') + "\" is longer than 31 characters"},
      {{"yrlhost-model 1", "type part", "name"}, "f:3: empty name"},
      {{"yrlhost-model 1", "type part", "name 100%"}, "f:3: bad %XX escape in \"100%\""},
      // A name or text value ends at its first NUL wherever the host hands it on.
      {{"yrlhost-model 1", "type part", "name A%00B", "end"}, "f:3: name \"A%00B\" holds a NUL"},
      {{"yrlhost-model 1", "type part", "name P", "parameter model %00N 50 1", "end"},
       "f:4: name \"%00N\" holds a NUL"},
      {{"yrlhost-model 1", "type part", "name 100%4g"}, "f:3: bad %XX escape in \"100%4g\""},
      {{"yrlhost-model 1", "type drawing", "name D", "feature 1 923 0 1 TOP"},
       "f:4: a feature outside a part (give \"type part\" first)"},
      {{"yrlhost-model 1", "type part", "name P", "feature 1 923 0"},
       "f:4: expected \"feature <id> <type> <status> <visible> [<name>]\""},
      {{"yrlhost-model 1", "type part", "name P", "feature 0 923 0 1 TOP"}, "f:4: id 0 is not positive"},
      {{"yrlhost-model 1", "type part", "name P", "feature 1073741825 923 0 1 TOP"},
       "f:4: id 1073741825 is above 1073741824"},
      {{"yrlhost-model 1", "type part", "name P", "feature 1 923 0 2 TOP"},
       "f:4: visibility \"2\" is not 0 or 1"},
      {{"yrlhost-model 1", "type part", "name P", "feature 1 9x3 0 1 TOP"},
       "f:4: feature type \"9x3\" is not an integer"},
      {{"yrlhost-model 1", "type part", "name P", "feature 1 923 0 1 TOP", "feature 2 923 0 1 TOP"},
       "f:5: feature name \"TOP\" is used twice"},
      {{"yrlhost-model 1", "type part", "name P", plane}, "f:4: a plane before any feature"},
      {{"yrlhost-model 1", "type part", "name P", "feature 2 923 0 1 TOP", plane},
       "f:5: id 2 is used twice"},
      {{"yrlhost-model 1", "type part", "name P", "feature 1 923 0 1 TOP", "plane 2 0 0 0 1 0 0 0 1 0"},
       "f:5: expected \"plane <id> <origin x y z> <e1 x y z> <e2 x y z> <e3 x y z>\""},
      {{"yrlhost-model 1", "type part", "name P", "feature 1 923 0 1 TOP", "plane 2 0 0 0 2 0 0 0 1 0 0 0 1"},
       "f:5: plane axes are not unit vectors"},
      {{"yrlhost-model 1", "type part", "name P", "feature 1 923 0 1 TOP", "plane 2 0 0 0 1 0 0 0 1 0 0 0 -1"},
       "f:5: plane axes are not a right-handed frame (e3 = e1 x e2)"},
      {{"yrlhost-model 1", "type part", "name P", "feature 1 923 0 1 TOP", "plane 2 0 0 nan 1 0 0 0 1 0 0 0 1"},
       "f:5: coordinate \"nan\" is not a number"},
      {{"yrlhost-model 1", "type part", "name P", "parameter 4 DEPTH 50 1"},
       "f:4: parameter of unknown feature 4"},
      {{"yrlhost-model 1", "type part", "name P", "parameter model DEPTH 55 1"},
       "f:4: unknown value type 55"},
      {{"yrlhost-model 1", "type part", "name P", "parameter model D 51 " + std::string(80, 'x')},
       "f:4: string value is too long"},
      {{"yrlhost-model 1", "type part", "name P", "parameter model D 51 a%00b", "end"},
       "f:4: string value holds a NUL"},
      {{"yrlhost-model 1", "type drawing", "name D", "extdata 3", "a", "b"},
       "f:4: the external data's count, 3, runs past its lines: the file ends first"},
      {{"yrlhost-model 1", "type drawing", "name D", "extdata 2", "a", "end"},
       "f:4: the external data's count, 2, runs past its lines: the file ends first"},
      {{"yrlhost-model 1", "type drawing", "name D", "extdata -1"}, "f:4: negative line count"},
      {{"yrlhost-model 1", "type drawing", "name D"}, "f:3: missing \"end\""},
      {{"yrlhost-model 1", "name D", "end"}, "f:3: missing \"type\""},
      {{"yrlhost-model 1", "type drawing", "end"}, "f:3: missing \"name\""},
      {{"yrlhost-model 1", "type drawing", "name D", "end", "name E"}, "f:5: text after \"end\""},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_EQ(yrlhost::host_model_read(c.lines, "f", error), nullptr) << c.error;
    EXPECT_EQ(error, c.error);
    EXPECT_TRUE(yrlhost::host_models().empty()) << c.error;
  }
}

TEST_F(ModelFilesTest, CommentsBlankLinesCarriageReturnsAndExternalDataLinesAsTheyStand) {
  std::string error;
  const std::vector<std::string> lines = {"# a drawing\r", "yrlhost-model 1\r", "", "type drawing\r",
                                          "name  Two  blanks\r", "extdata 0\r", "end\r", "# done"};
  VynMdl drawing = yrlhost::host_model_read(lines, "f", error);
  ASSERT_NE(drawing, nullptr) << error;
  EXPECT_EQ(yrlhost::host_model_name(drawing), "Two  blanks");
}

TEST_F(ModelFilesTest, VynMdlLoadOfAMalformedFileFailsWithTheLine) {
  const std::string path = file("broken.prt");
  std::ofstream(path) << "yrlhost-model 1\ntype part\nname P\nfeature 1 923 0 1 TOP\nplane 2 0 0 0\nend\n";
  std::u16string wide_path(path.begin(), path.end());
  VynMdl model = nullptr;
  EXPECT_EQ(Behaviour<HostApi::VynMdlLoad>::run(1, wide_path.c_str(), -1, 0, &model), VYN_TK_GENERAL_ERROR);
  EXPECT_EQ(model, nullptr);
  EXPECT_EQ(yrlhost::host_model_load_error(),
            path + ":5: expected \"plane <id> <origin x y z> <e1 x y z> <e2 x y z> <e3 x y z>\"");
  EXPECT_TRUE(yrlhost::host_models().empty());
}

}  // namespace
