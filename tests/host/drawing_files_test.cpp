// A drawing's content in the host's files: a drawing with every kind of content saved,
// reopened and saved again to the same bytes, its parts beside it, and the errors of
// malformed drawing lines.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "host/util/host_arrays.h"
#include "host/files/model_files.h"
#include "drawing_test.h"

namespace {

using yrlhost::HostApi;
namespace fs = std::filesystem;

std::string file_text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class DrawingFiles : public yrltest::DrawingTest {
 protected:
  void SetUp() override {
    DrawingTest::SetUp();
    dir_ = fs::temp_directory_path() /
           ("yrl_drawing_files_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_ / "first");
    fs::create_directories(dir_ / "second");
  }
  void TearDown() override {
    if (!std::getenv("KEEP")) fs::remove_all(dir_);
    DrawingTest::TearDown();
  }

  // Fills the drawing with every kind of content the host keeps.
  void fill() {
    std::string error;
    VynMdl odd = yrlhost::host_model_create(yrlhost::model_type_part, "odd name 50%/x", error);
    ASSERT_NE(odd, nullptr) << error;
    ASSERT_EQ(call<HostApi::VynDrawingSolidAdd>(drawing, part), 0);
    ASSERT_EQ(call<HostApi::VynDrawingSolidAdd>(drawing, odd), 0);

    yrlhost::DrawingSheet sheet = content().sheets[0];
    sheet.size = u"A0";
    sheet.scale = 0.1;
    const double m[4][4] = {{0.1, 0.2, 0, 0}, {-0.2, 0.1, 0, 0}, {0, 0, 1.0 / 3, 0}, {25.4, -7e-300, 1e300, 1}};
    std::memcpy(sheet.transform, m, sizeof m);
    ASSERT_TRUE(yrlhost::host_sheet_set(drawing, sheet, error)) << error;
    int sheet2 = 0;
    ASSERT_EQ(call<HostApi::VynDrawingSheetCreate>(drawing, &sheet2), 0);
    ASSERT_EQ(call<HostApi::VynDrawingCurrentSheetSet>(drawing, sheet2), 0);
    ASSERT_EQ(call<HostApi::VynDrawingScaleSet>(drawing, part, 1, 1.0 / 7), 0);
    ASSERT_EQ(call<HostApi::VynDrawingScaleSet>(drawing, odd, sheet2, 2.5), 0);

    const double position[3] = {100.125, 50, 0};
    const double top[4][4] = {{1, 0, 0, 0}, {0, 0, 1, 0}, {0, 1, 0, 0}, {0, 0, 0, 1}};
    VynView general = nullptr;
    ASSERT_EQ(call<HostApi::VynDrawingGeneralviewCreate>(drawing, part, 1, 0, position, 0.0, top, &general), 0);
    yrlhost::DrawingView child;
    child.name = u"DETAIL A";
    child.model = u"odd name 50%/x";
    child.parent = content().views[0].id;
    child.scale = 3;
    ASSERT_GT(yrlhost::host_view_add(drawing, child, error), 0) << error;

    const double a[3] = {0.1, 0.2, 0}, b[3] = {1e-17, -3.5, 0}, c[3] = {5, 5, 0};
    yrlhost::DraftEntity entity;
    entity.curve = yrlhost::draft_point(a);
    entity.colour.method = 1;
    entity.colour.value.type = 7;
    first_ = yrlhost::host_entity_add(drawing, entity, error);
    entity.curve = yrlhost::draft_line(a, b);
    entity.colour.method = 2;
    entity.colour.value.rgb[0] = 0.995;
    entity.colour.value.rgb[1] = 0;
    entity.colour.value.rgb[2] = 1.0 / 3;
    line_ = yrlhost::host_entity_add(drawing, entity, error);
    entity.colour = VynColor{};
    entity.curve = yrlhost::draft_arc(c, 2.5, 0.3, 1.25);
    entity.view = content().views[0].id;
    yrlhost::host_entity_add(drawing, entity, error);
    entity.curve = yrlhost::draft_arc(c, 1, 0, 2 * 3.141592653589793);
    entity.view = yrlhost::view_overlay;
    circle_ = yrlhost::host_entity_add(drawing, entity, error);
    entity.view = yrlhost::view_background;
    entity.sheet = sheet2;
    entity.hidden = true;
    const double origin[3] = {0, 0, 0};
    entity.curve = yrlhost::draft_point(origin);
    entity.curve.record.point.type = VYN_CURVE_SPLINE;
    entity.curve.spline = {{0, {0, 0, 0}, {1, 1, 0}}, {0.7, {1, 1, 0}, {1, 0, 0}}, {2, {3, 0, 0}, {1, -1, 0}}};
    int spline = yrlhost::host_entity_add(drawing, entity, error);
    ASSERT_GT(spline, 0) << error;
    entity.sheet = 1;
    entity.hidden = false;

    yrlhost::DraftNote note;
    note.lines = {u" leading blank", u"", u"50% \u00e9t\u00e9\ttab", u"trailing blank "};
    note.attachment.location[0] = -12.5;
    ASSERT_GT(yrlhost::host_note_add(drawing, note, error), 0) << error;
    note.lines = {u"ON THE LINE"};
    note.attachment.kind = yrlhost::attach_on_item;
    note.attachment.entity = line_;
    note.attachment.parameter = 0.25;
    note.colour.method = 2;
    note.colour.value.rgb[1] = 1;
    ASSERT_GT(yrlhost::host_note_add(drawing, note, error), 0) << error;

    yrlhost::SymbolInstance symbol;
    symbol.name = u"FINISH MARK";
    symbol.position[1] = 9;
    symbol.sheet = sheet2;
    ASSERT_GT(yrlhost::host_symbol_add(drawing, symbol, error), 0) << error;

    yrlhost::DrawingDimension dimension;
    dimension.type = yrlhost::dimension_radius;
    dimension.value = 0.1 + 0.2;
    dimension.lines = {u"R{0.3}"};
    dimension.attachments = {{circle_, 0}};
    ASSERT_GT(yrlhost::host_dimension_add(drawing, dimension, error), 0) << error;
    dimension.type = yrlhost::dimension_linear;
    dimension.attachments = {{first_, 0}, {line_, 2}};
    dimension.lines = {};
    ASSERT_GT(yrlhost::host_dimension_add(drawing, dimension, error), 0) << error;

    // Layers: one blank and saved so, with an item of each kind; one with a blank in its
    // name, blank but not saved (the file keeps its saved status, shown); one empty.
    VynLayer dim{}, odd_layer{}, empty{};
    ASSERT_EQ(call<HostApi::VynLayerCreate>(drawing, u"YRL_DIM", &dim), 0);
    ASSERT_EQ(call<HostApi::VynLayerCreate>(drawing, u"odd layer 50%", &odd_layer), 0);
    ASSERT_EQ(call<HostApi::VynLayerCreate>(drawing, u"EMPTY", &empty), 0);
    const yrlhost::DrawingContent& held = content();
    for (const yrlhost::LayerMember& member :
         {yrlhost::LayerMember{yrlhost::item_type_dimension, held.dimensions.rbegin()->first},
          yrlhost::LayerMember{yrlhost::item_type_draft_entity, circle_},
          yrlhost::LayerMember{yrlhost::item_type_note, held.notes.begin()->first},
          yrlhost::LayerMember{yrlhost::item_type_symbol, held.symbols.begin()->first}})
      ASSERT_TRUE(yrlhost::host_layer_item_add(drawing, dim.id, member, error)) << error;
    ASSERT_TRUE(yrlhost::host_layer_item_add(drawing, odd_layer.id, {yrlhost::item_type_draft_entity, line_}, error));
    ASSERT_EQ(call<HostApi::VynLayerDisplaystatusSet>(&dim, 3), 0);
    ASSERT_EQ(call<HostApi::VynLayerDisplaystatusSave>(drawing), 0);
    ASSERT_EQ(call<HostApi::VynLayerDisplaystatusSet>(&odd_layer, 3), 0);
    dim_layer_ = dim.id;

    // The last id is a deleted entity's, which was on a layer.
    entity.curve = yrlhost::draft_line(c, a);
    deleted_ = yrlhost::host_entity_add(drawing, entity, error);
    ASSERT_TRUE(yrlhost::host_layer_item_add(drawing, odd_layer.id, {yrlhost::item_type_draft_entity, deleted_}, error));
    ASSERT_TRUE(yrlhost::host_entity_delete(drawing, deleted_));
  }

  fs::path dir_;
  int first_ = 0, line_ = 0, circle_ = 0, deleted_ = 0, dim_layer_ = 0;
};

TEST_F(DrawingFiles, ADrawingWithEveryKindOfContentSavesAndReopensToTheSameFile) {
  fill();
  std::string error;
  const std::vector<std::string> lines = yrlhost::host_model_lines(drawing);
  ASSERT_TRUE(yrlhost::host_model_save(drawing, (dir_ / "first" / "plate.drw").string(), error)) << error;
  // The parts are beside the drawing under names a file system takes.
  EXPECT_TRUE(fs::exists(dir_ / "first" / "BLOCK.prt"));
  EXPECT_TRUE(fs::exists(dir_ / "first" / "odd%20name%2050%25%2Fx.prt"));

  yrlhost::host_models_erase_all();
  VynMdl opened = yrlhost::host_model_open((dir_ / "first" / "plate.drw").string(), error);
  ASSERT_NE(opened, nullptr) << error;
  EXPECT_EQ(yrlhost::host_model_lines(opened), lines);
  // The parts came back with the drawing.
  EXPECT_NE(yrlhost::host_model_find(yrlhost::model_type_part, "BLOCK"), nullptr);
  EXPECT_NE(yrlhost::host_model_find(yrlhost::model_type_part, "odd name 50%/x"), nullptr);
  ASSERT_TRUE(yrlhost::host_model_save(opened, (dir_ / "second" / "plate.drw").string(), error)) << error;
  for (const char* name : {"plate.drw", "BLOCK.prt", "odd%20name%2050%25%2Fx.prt"})
    EXPECT_EQ(file_text(dir_ / "first" / name), file_text(dir_ / "second" / name)) << name;

  // Read back bit for bit: the full circle's sweep, the odd doubles of the transform.
  const yrlhost::DrawingContent& reopened = *yrlhost::host_drawing(opened);
  EXPECT_EQ(reopened.entities.at(circle_).curve.record.arc.end_angle, 6.283185307179586);
  EXPECT_EQ(reopened.sheets[0].transform[3][1], -7e-300);
  EXPECT_EQ(reopened.sheets[0].transform[2][2], 1.0 / 3);
  EXPECT_EQ(reopened.current_sheet, 2);
  EXPECT_EQ(reopened.views[1].parent, reopened.views[0].id);
  EXPECT_EQ(reopened.notes.rbegin()->second.attachment.location[0], 0.1 + 0.25 * (1e-17 - 0.1));
  // Layers come back with their saved status and their items; the deleted entity left its.
  ASSERT_EQ(reopened.layers.size(), 3u);
  const yrlhost::DrawingLayer& dim = reopened.layers.at(dim_layer_);
  EXPECT_EQ(dim.status, 3);
  EXPECT_EQ(dim.items.size(), 4u);
  EXPECT_TRUE(yrlhost::stored_item_hidden(opened, yrlhost::item_type_draft_entity, circle_));
  const yrlhost::DrawingLayer& odd = std::next(reopened.layers.begin())->second;
  EXPECT_EQ(odd.name, u"odd layer 50%");
  EXPECT_EQ(odd.status, 1);
  EXPECT_EQ(odd.items, (std::vector<yrlhost::LayerMember>{{yrlhost::item_type_draft_entity, line_}}));
  EXPECT_FALSE(yrlhost::stored_item_hidden(opened, yrlhost::item_type_draft_entity, line_));
  // The last id, that of a deleted entity, stays dead across the reopen.
  EXPECT_EQ(reopened.entities.count(deleted_), 0u);
  EXPECT_GT(deleted_, reopened.dimensions.rbegin()->first);
  yrlhost::DraftEntity entity;
  const double p[3] = {0, 0, 0};
  entity.curve = yrlhost::draft_point(p);
  EXPECT_GT(yrlhost::host_entity_add(opened, entity, error), deleted_);
}

TEST_F(DrawingFiles, TheDrawingsPartsAreTakenFromSessionOrFromBesideIt) {
  fill();
  std::string error;
  const std::string path = (dir_ / "first" / "plate.drw").string();
  ASSERT_TRUE(yrlhost::host_model_save(drawing, path, error)) << error;
  // A part in session is taken as it is; the one that is not comes from its file.
  yrlhost::host_model_erase(drawing);
  yrlhost::host_model_erase(yrlhost::host_model_find(yrlhost::model_type_part, "odd name 50%/x"));
  ASSERT_NE(yrlhost::host_model_open(path, error), nullptr) << error;
  EXPECT_EQ(yrlhost::host_model_find(yrlhost::model_type_part, "BLOCK"), part);

  // Neither in session nor beside the drawing: refused with the model's line.
  yrlhost::host_models_erase_all();
  fs::remove(dir_ / "first" / "BLOCK.prt");
  EXPECT_EQ(yrlhost::host_model_open(path, error), nullptr);
  EXPECT_NE(error.find(path + ":"), std::string::npos) << error;
  EXPECT_NE(error.find(": part \"BLOCK\" is neither in session nor in " + (dir_ / "first" / "BLOCK.prt").string()),
            std::string::npos)
      << error;
  EXPECT_EQ(yrlhost::host_model_find(yrlhost::model_type_drawing, "PLATE"), nullptr);
  // Lines read without a folder take their parts from the session only.
  std::vector<std::string> lines = {"yrlhost-model 1", "type drawing", "name D", "model BLOCK", "end"};
  EXPECT_EQ(yrlhost::host_model_read(lines, "f", error), nullptr);
  EXPECT_EQ(error, "f:4: part \"BLOCK\" is not in session");
  // A file beside the drawing that holds another part.
  std::ofstream(dir_ / "first" / "BLOCK.prt") << "yrlhost-model 1\ntype part\nname OTHER\nend\n";
  EXPECT_EQ(yrlhost::host_model_open(path, error), nullptr);
  EXPECT_EQ(error, (dir_ / "first" / "BLOCK.prt").string() + ": holds no part named \"BLOCK\"");
}

TEST_F(DrawingFiles, VynMdlLoadOfADrawingLoadsItsPartsFromBesideIt) {
  fill();
  std::string error;
  ASSERT_TRUE(yrlhost::host_model_save(drawing, (dir_ / "first" / "plate.drw").string(), error)) << error;
  yrlhost::host_models_erase_all();
  std::string path = (dir_ / "first" / "plate.drw").string();
  std::u16string wide(path.begin(), path.end());
  VynMdl loaded = nullptr;
  ASSERT_EQ(call<HostApi::VynMdlLoad>(wide.c_str(), yrlhost::model_type_drawing, 0, &loaded), 0)
      << yrlhost::host_model_load_error();
  EXPECT_NE(yrlhost::host_model_find(yrlhost::model_type_part, "BLOCK"), nullptr);
  VynArray solids = nullptr;
  ASSERT_EQ(call<HostApi::VynDrawingSolidsCollect>(loaded, &solids), 0);
  EXPECT_EQ(yrlhost::host_array_size(solids), 2);
  yrlhost::host_array_release(&solids);
}

TEST_F(DrawingFiles, MalformedDrawingLinesAreRefusedWithTheLine) {
  struct Case {
    std::vector<std::string> body;  // after the header, type, name and units
    std::string error;              // its line counted from the first body line as 5
    bool ends = true;               // "end" follows the body
  };
  const std::string identity = " 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1";
  const std::vector<Case> cases = {
      {{"sheet 0 A 1" + identity}, "f:5: sheet 0 does not come after sheet 0"},
      {{"sheet 2 A 1" + identity, "sheet 1 A 1" + identity}, "f:6: sheet 1 does not come after sheet 2"},
      {{"sheet 1 A 1 1 0 0"}, "f:5: expected \"sheet <number> <size> <scale> <transform: 16 numbers>\""},
      {{"sheet 1 A 0" + identity}, "f:5: a sheet's scale is not positive"},
      {{"sheet 1 A 1" + identity + " 1"}, "f:5: expected \"sheet <number> <size> <scale> <transform: 16 numbers>\""},
      {{"entity 1 1 background 0 default point 0 0 0", "sheet 2 A 1" + identity},
       "f:6: a sheet after the drawing's other lines"},
      {{"current-sheet 3"}, "f:5: sheet 3 does not exist"},
      {{"next-id 0"}, "f:5: next id 0 is out of range"},
      {{"next-id 2", "next-id 3"}, "f:6: \"next-id\" given twice"},
      {{"next-id 2", "entity 2 1 background 0 default point 0 0 0"}, "f:7: next id 2 is not above every id (2)"},
      {{"model BLOCK", "model BLOCK"}, "f:6: model \"BLOCK\" is given twice"},
      {{"scale 1 2 BLOCK"}, "f:5: the scale's part is not a model of the drawing"},
      {{"model B", "scale 2 2 B"}, "f:6: sheet 2 does not exist"},
      {{"model B", "scale 1 0 B"}, "f:6: a scale is not positive"},
      {{"model B", "view 3 1 0 1 0 0 0" + identity + " B V", "view 4 1 0 1 0 0 0" + identity + " B V"},
       "f:7: the drawing has a view of that name already"},
      {{"model B", "view 3 1 9 1 0 0 0" + identity + " B V"}, "f:6: parent view 9 does not exist"},
      {{"entity 1 1 background 0 default circle 0 0 0 1"},
       "f:5: curve \"circle\" is not a point, line, arc or spline"},
      {{"entity 1 1 background 0 default arc 1 0 0 0 1 0 0 0 0 0 6.2831853071795872 1"},
       "f:5: an arc's sweep (its end angle) is not in (0, 2 pi]"},
      {{"entity 1 1 background 0 default arc 1 0 0 0 -1 0 0 0 0 0 1 1"},
       "f:5: an arc's second axis is not its first turned a quarter counter-clockwise in the sheet"},
      {{"entity 1 1 background 0 default spline 1 0 0 0 0 1 0 0"}, "f:5: a spline has fewer than 2 points"},
      {{"entity 1 1 background 0 default spline 2 0 0 0 0 1 0 0"},
       "f:5: expected \"entity <id> <sheet> <view> <hidden> <colour> <curve>\""},
      {{"entity 1 1 background 0 default spline 99999999999 0"}, "f:5: point count \"99999999999\" is not an integer"},
      {{"entity 1 1 background 2 default point 0 0 0"}, "f:5: hidden \"2\" is not 0 or 1"},
      {{"entity 1 1 background 0 rgb 2 0 0 point 0 0 0"},
       "f:5: a colour is not the default (0), a colour type (1) or red, green and blue in 0..1 (2)"},
      {{"entity 1 1 background 0 red point 0 0 0"},
       "f:5: colour \"red\" is not default, type <n> or rgb <r> <g> <b>"},
      {{"entity 1 1 7 0 default point 0 0 0"}, "f:5: view 7 is not a view of sheet 1"},
      {{"note 1 1 background default free 0 0 0 1", "text a%00b"}, "f:6: text \"a%00b\" holds a NUL"},
      {{"entity 1 2 background 0 default point 0 0 0"}, "f:5: sheet 2 does not exist"},
      {{"entity 1 1 background 0 default point 0 0 0", "entity 1 1 background 0 default point 0 0 0"},
       "f:6: id 1 is used twice"},
      {{"entity 1 1 background 0 default point 0 0 inf"}, "f:5: coordinate \"inf\" is not a number"},
      {{"note 1 1 background default on 5 0.5 0"}, "f:5: a note hangs on entity 5, which does not exist"},
      // Fault: a count that runs past its lines was told as a fault of the line it ran into.
      {{"note 1 1 background default free 0 0 0 2", "text a"},
       "f:5: note 1's text line count, 2, runs past its lines: the file ends first", false},
      {{"note 1 1 background default free 0 0 0 2", "text a", "entity 2 1 background 0 default point 0 0 0"},
       "f:5: note 1's text line count, 2, runs past its lines: line 7 is \"entity 2 1 background 0 default point 0 0 0\""},
      {{"dimension 1 1 background 9 1 0 0 0 0 2", "text 1", "end"},
       "f:5: dimension 1's text line count, 2, runs past its lines: line 7 is \"end\"", false},
      {{"note 1 1 background default free 0 0 0 1", "txt a", "end"}, "f:6: expected \"text <line>\""},
      {{"note 1 1 background default free 0 0 0 1", "text 100%", "end"}, "f:6: bad %XX escape in \"100%\""},
      {{"note 1 1 background default free 0 0 0 -1"}, "f:5: negative line count"},
      {{"note 1 1 background default beside 0 0 0 0"}, "f:5: attachment \"beside\" is neither free nor on"},
      {{"symbol 1 1 background default 0 0 0"},
       "f:5: expected \"symbol <id> <sheet> <view> <colour> <x y z> <name>\""},
      {{"dimension 1 1 background 5 1 0 0 0 0 0"},
       "f:5: dimension type 5 is not linear (9), radius (3), diameter (4) or angle (21)"},
      {{"dimension 1 1 background 9 1 0 0 0 1 4 0 0"},
       "f:5: a dimension is attached to entity 4, which does not exist"},
      {{"dimension 1 1 background 9 1 0 0 0 -1 0"}, "f:5: negative attachment count"},
      {{"layer 1 3 0"}, "f:5: expected \"layer <id> <status> <items> <name>\""},
      {{"layer L 3 0 L"}, "f:5: id \"L\" is not an integer"},
      {{"layer 1 2 0 L"}, "f:5: display status 2 is neither shown (1) nor blank (3)"},
      {{"layer 1 1 0 L", "layer 2 3 0 L"}, "f:6: the drawing has a layer of that name already"},
      {{"layer 1 1 0 " + std::string(32, 'N')}, "f:5: name \"" + std::string(32, 'N') + "\" is longer than 31 characters"},
      {{"layer 1 1 -1 L"}, "f:5: negative item count"},
      {{"entity 1 1 background 0 default point 0 0 0", "layer 1 1 0 L"}, "f:6: id 1 is used twice"},
      {{"layer 1 1 1 L", "item entity 2", "entity 2 1 background 0 default point 0 0 0"},
       "f:6: the drawing has no item 77 2"},
      {{"entity 1 1 background 0 default point 0 0 0", "layer 2 1 2 L", "item entity 1", "item entity 1"},
       "f:8: the item is on the layer twice"},
      {{"entity 1 1 background 0 default point 0 0 0", "layer 2 1 1 L", "item note 1"},
       "f:7: the drawing has no item 68 1"},
      {{"layer 1 1 1 L", "item view 1"}, "f:6: item kind \"view\" is not entity, note, symbol or dimension"},
      {{"layer 1 1 1 L", "item entity"}, "f:6: expected \"item <kind> <id>\""},
      {{"layer 1 1 1 L", "items entity 1"}, "f:6: expected \"item <kind> <id>\""},
      {{"layer 1 1 1 L", "item entity x"}, "f:6: item id \"x\" is not an integer"},
      {{"entity 1 1 background 0 default point 0 0 0", "layer 2 1 2 L", "item entity 1"},
       "f:6: layer 2's item count, 2, runs past its lines: the file ends first", false},
      {{"entity 1 1 background 0 default point 0 0 0", "layer 2 1 2 L", "item entity 1", "layer 3 1 0 M"},
       "f:6: layer 2's item count, 2, runs past its lines: line 8 is \"layer 3 1 0 M\""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> lines = {"yrlhost-model 1", "type drawing", "name D", "units MM"};
    lines.insert(lines.end(), c.body.begin(), c.body.end());
    if (c.ends && c.body.back() != "end") lines.push_back("end");
    std::string error;
    EXPECT_FALSE(yrlhost::host_model_parse(lines, "f", error)) << c.error;
    EXPECT_EQ(error, c.error);
    const std::size_t models = yrlhost::host_models().size();
    EXPECT_EQ(yrlhost::host_model_read(lines, "f", error), nullptr) << c.error;
    EXPECT_EQ(yrlhost::host_models().size(), models) << c.error;
  }
}

TEST_F(DrawingFiles, AFileWithoutSheetsHasTheOneSheetOfANewDrawing) {
  std::string error;
  const std::vector<std::string> lines = {"yrlhost-model 1", "type drawing", "name D",
                                          "entity 4 1 overlay 0 default point 1 2 3", "end"};
  VynMdl read = yrlhost::host_model_read(lines, "f", error);
  ASSERT_NE(read, nullptr) << error;
  const yrlhost::DrawingContent& c = *yrlhost::host_drawing(read);
  ASSERT_EQ(c.sheets.size(), 1u);
  EXPECT_EQ(c.sheets[0].size, u"A");
  EXPECT_EQ(c.current_sheet, 1);
  EXPECT_EQ(c.entities.at(4).view, yrlhost::view_overlay);
  // A part file holds no drawing lines.
  const std::vector<std::string> part_lines = {"yrlhost-model 1", "type part", "name P",
                                               "entity 4 1 overlay 0 default point 1 2 3", "end"};
  EXPECT_EQ(yrlhost::host_model_read(part_lines, "p", error), nullptr);
  EXPECT_EQ(error, "p:4: unknown keyword \"entity\"");
}

}  // namespace
