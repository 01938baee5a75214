// Notes with their attachments, symbol instances and dimensions through the host
// functions.
#include <string>
#include <vector>

#include "host/util/host_arrays.h"
#include "host/util/live_objects.h"
#include "host/display/selection.h"
#include "drawing_test.h"

namespace {

using yrlhost::HostApi;

class DrawingAnnotations : public yrltest::DrawingTest {
 protected:
  void SetUp() override {
    DrawingTest::SetUp();
    const double a[3] = {0, 0, 0}, b[3] = {10, 0, 0}, c[3] = {10, 5, 0};
    base = line(a, b);
    side = line(b, c);
  }

  int note_free(double x, double y, int sheet = 1) {
    yrlhost::DraftNote note;
    note.sheet = sheet;
    note.lines = {u"FREE", u"SECOND LINE"};
    note.attachment.location[0] = x;
    note.attachment.location[1] = y;
    note.colour.method = 1;
    note.colour.value.type = 4;
    std::string error;
    int id = yrlhost::host_note_add(drawing, note, error);
    EXPECT_GT(id, 0) << error;
    return id;
  }

  int note_on(int entity, double parameter) {
    yrlhost::DraftNote note;
    note.lines = {u"ON"};
    note.attachment.kind = yrlhost::attach_on_item;
    note.attachment.entity = entity;
    note.attachment.parameter = parameter;
    std::string error;
    int id = yrlhost::host_note_add(drawing, note, error);
    EXPECT_GT(id, 0) << error;
    return id;
  }

  int dimension(int type, double value, std::vector<yrlhost::DimensionAttachment> attachments) {
    yrlhost::DrawingDimension made;
    made.type = type;
    made.value = value;
    made.lines = {u"R:{2.5}", u""};
    made.position[0] = 4;
    made.position[1] = -3;
    made.attachments = std::move(attachments);
    std::string error;
    int id = yrlhost::host_dimension_add(drawing, made, error);
    EXPECT_GT(id, 0) << error;
    return id;
  }

  // The ids of a collected array of items, which is freed.
  static std::vector<int> ids_of(VynArray& items) {
    std::vector<int> ids;
    for (int i = 0; i < yrlhost::host_array_size(items); ++i)
      ids.push_back(static_cast<VynModelitem*>(items)[i].id);
    yrlhost::host_array_release(&items);
    return ids;
  }

  int base = 0, side = 0;
};

struct Attach {
  int type = -1;
  VynView view = nullptr;
  double location[3] = {-1, -1, -1};
  VynSelection selection = nullptr;
};

TEST_F(DrawingAnnotations, NotesAreVisitedCollectedAndReadWithTheirAttachments) {
  int sheet2 = 0;
  ASSERT_EQ(call<HostApi::VynDrawingSheetCreate>(drawing, &sheet2), 0);
  int free_note = note_free(7, 8);
  int other_sheet = note_free(1, 1, sheet2);
  int on_side = note_on(side, 0.4);

  VynArray notes = nullptr;
  ASSERT_EQ(call<HostApi::VynDrawingDtlnotesCollect>(drawing, static_cast<VynDtlsymdef*>(nullptr), -1, &notes), 0);
  EXPECT_EQ(ids_of(notes), (std::vector<int>{free_note, other_sheet, on_side}));
  ASSERT_EQ(call<HostApi::VynDrawingDtlnotesCollect>(drawing, static_cast<VynDtlsymdef*>(nullptr), 1, &notes), 0);
  EXPECT_EQ(ids_of(notes), (std::vector<int>{free_note, on_side}));
  std::vector<int> visited;
  auto action = [](VynModelitem* item, VynError, void* data) -> VynError {
    EXPECT_EQ(item->type, yrlhost::item_type_note);
    static_cast<std::vector<int>*>(data)->push_back(item->id);
    return VYN_TK_NO_ERROR;
  };
  ASSERT_EQ(call<HostApi::VynDrawingDtlnoteVisit>(drawing, static_cast<VynDtlsymdef*>(nullptr), sheet2, +action,
                                                  static_cast<VynDtlnoteFilterAction>(nullptr), &visited),
            0);
  EXPECT_EQ(visited, (std::vector<int>{other_sheet}));

  auto read = [this](int id, Attach& out, VynColor* colour = nullptr) {
    VynDtlnote note{yrlhost::item_type_note, id, drawing};
    VynDtlnotedata data = nullptr;
    EXPECT_EQ(call<HostApi::VynDtlnoteDataGet>(&note, static_cast<VynDtlsymdef*>(nullptr), 0, &data), 0);
    int read_id = 0;
    EXPECT_EQ(call<HostApi::VynDtlnotedataIdGet>(data, &read_id), 0);
    EXPECT_EQ(read_id, id);
    if (colour) {
      EXPECT_EQ(call<HostApi::VynDtlnotedataColorGet>(data, colour), 0);
    }
    VynDtlattach attachment = nullptr;
    EXPECT_EQ(call<HostApi::VynDtlnotedataAttachmentGet>(data, &attachment), 0);
    EXPECT_EQ(call<HostApi::VynDtlattachGet>(attachment, &out.type, &out.view, out.location, &out.selection), 0);
    return data;
  };
  VynView background = nullptr;
  ASSERT_EQ(call<HostApi::VynDrawingBackgroundViewGet>(drawing, 1, &background), 0);

  Attach free_attach;
  VynColor colour{};
  VynDtlnotedata free_data = read(free_note, free_attach, &colour);
  EXPECT_EQ(free_attach.type, yrlhost::attach_free);
  EXPECT_EQ(free_attach.view, background);
  EXPECT_EQ(free_attach.location[0], 7);
  EXPECT_EQ(free_attach.location[1], 8);
  EXPECT_EQ(free_attach.selection, nullptr);
  EXPECT_EQ(colour.method, 1);
  EXPECT_EQ(colour.value.type, 4);

  // On an entity: the point at the parameter, and a selection of the entity whose
  // parameters are (parameter, 0), which the plug-in frees.
  Attach on;
  VynDtlnotedata on_data = read(on_side, on);
  EXPECT_EQ(on.type, yrlhost::attach_on_item);
  EXPECT_EQ(on.location[0], 10);
  EXPECT_EQ(on.location[1], 2);
  ASSERT_NE(on.selection, nullptr);
  VynModelitem item{};
  double uv[2] = {};
  EXPECT_EQ(call<HostApi::VynSelectionModelitemGet>(on.selection, &item), 0);
  EXPECT_EQ(item.type, yrlhost::item_type_draft_entity);
  EXPECT_EQ(item.id, side);
  EXPECT_EQ(call<HostApi::VynSelectionUvParamGet>(on.selection, uv), 0);
  EXPECT_EQ(uv[0], 0.4);
  EXPECT_EQ(uv[1], 0);
  EXPECT_EQ(call<HostApi::VynSelectionFree>(&on.selection), 0);

  // One data record per note, brought up to date at each read: once the entity is
  // deleted the note hangs free where it was.
  ASSERT_TRUE(yrlhost::host_entity_delete(drawing, side));
  Attach after;
  EXPECT_EQ(read(on_side, after), on_data);
  EXPECT_EQ(after.type, yrlhost::attach_free);
  EXPECT_EQ(after.location[0], 10);
  EXPECT_EQ(after.location[1], 2);
  EXPECT_EQ(after.selection, nullptr);
  EXPECT_NE(free_data, on_data);

  // The note data of a drawing goes with the drawing.
  const std::size_t records = yrlhost::live_object_count(yrlhost::LiveKind::data_record);
  EXPECT_EQ(records, 2u);
  yrlhost::host_model_erase(drawing);
  EXPECT_EQ(yrlhost::live_object_count(yrlhost::LiveKind::data_record), 0u);
}

TEST_F(DrawingAnnotations, SymbolInstancesAreCollectedWithTheirIdsAndColours) {
  yrlhost::SymbolInstance symbol;
  symbol.name = u"SURFACE_FINISH";
  symbol.colour.method = 2;
  symbol.colour.value.rgb[1] = 1;
  std::string error;
  int first = yrlhost::host_symbol_add(drawing, symbol, error);
  int second = yrlhost::host_symbol_add(drawing, symbol, error);
  ASSERT_GT(second, first) << error;
  VynArray symbols = nullptr;
  ASSERT_EQ(call<HostApi::VynDrawingDtlsyminstsCollect>(drawing, -1, &symbols), 0);
  EXPECT_EQ(ids_of(symbols), (std::vector<int>{first, second}));
  VynDtlsyminst item{yrlhost::item_type_symbol, second, drawing};
  VynDtlsyminstdata data = nullptr;
  ASSERT_EQ(call<HostApi::VynDtlsyminstDataGet>(&item, 0, &data), 0);
  int id = 0;
  VynColor colour{};
  EXPECT_EQ(call<HostApi::VynDtlsyminstdataIdGet>(data, &id), 0);
  EXPECT_EQ(id, second);
  EXPECT_EQ(call<HostApi::VynDtlsyminstdataColorGet>(data, &colour), 0);
  EXPECT_EQ(colour.value.rgb[1], 1);
  // An empty collection is an empty array.
  int sheet2 = 0;
  ASSERT_EQ(call<HostApi::VynDrawingSheetCreate>(drawing, &sheet2), 0);
  ASSERT_EQ(call<HostApi::VynDrawingDtlsyminstsCollect>(drawing, sheet2, &symbols), 0);
  EXPECT_TRUE(ids_of(symbols).empty());
  EXPECT_EQ(call<HostApi::VynDrawingDtlsyminstsCollect>(drawing, 9, &symbols), VYN_TK_BAD_INPUTS);
}

TEST_F(DrawingAnnotations, DimensionsWithTheirTypeValueTextPositionAndAttachments) {
  int linear = dimension(yrlhost::dimension_linear, 20, {{base, 1}, {side, 0}});
  int radius = dimension(yrlhost::dimension_radius, 0, {});
  std::vector<int> visited;
  auto action = [](VynModelitem* item, VynError, void* data) -> VynError {
    static_cast<std::vector<int>*>(data)->push_back(item->id);
    return VYN_TK_NO_ERROR;
  };
  ASSERT_EQ(call<HostApi::VynDrawingDimensionVisit>(drawing, 8, +action,
                                                    static_cast<VynDimensionFilterAction>(nullptr), &visited),
            0);
  EXPECT_EQ(visited, (std::vector<int>{linear, radius}));
  EXPECT_EQ(call<HostApi::VynDrawingDimensionVisit>(drawing, 28, +action,
                                                    static_cast<VynDimensionFilterAction>(nullptr), &visited),
            VYN_TK_BAD_INPUTS);

  VynDimension item{yrlhost::item_type_dimension, linear, drawing};
  int type = 0;
  double value = 0, position[3] = {};
  EXPECT_EQ(call<HostApi::VynDimensionTypeGet>(&item, &type), 0);
  EXPECT_EQ(type, 9);
  EXPECT_EQ(call<HostApi::VynDimensionValueGet>(&item, &value), 0);
  EXPECT_EQ(value, 20);
  EXPECT_EQ(call<HostApi::VynDrawingDimensionPosGet>(drawing, &item, position), 0);
  EXPECT_EQ(position[0], 4);
  EXPECT_EQ(position[1], -3);
  VynArray lines = nullptr;
  ASSERT_EQ(call<HostApi::VynDimensionTextGet>(&item, &lines), 0);
  EXPECT_EQ(yrlhost::host_wstring_vynarray_read(lines), (std::vector<std::string>{"R:{2.5}", ""}));
  EXPECT_EQ(call<HostApi::VynWstringArrayFree>(&lines), 0);

  VynArray attachments = nullptr, sides = nullptr;
  ASSERT_EQ(call<HostApi::VynDrawingDimAttachsGet>(drawing, &item, &attachments, &sides), 0);
  ASSERT_EQ(yrlhost::host_array_size(attachments), 2);
  const auto* items = static_cast<VynModelitem*>(attachments);
  EXPECT_EQ(items[0].type, yrlhost::item_type_draft_entity);
  EXPECT_EQ(items[0].id, base);
  EXPECT_EQ(items[0].owner, drawing);
  EXPECT_EQ(items[1].id, side);
  EXPECT_EQ(static_cast<int*>(sides)[0], 1);
  EXPECT_EQ(static_cast<int*>(sides)[1], 0);
  EXPECT_EQ(call<HostApi::VynArrayFree>(&attachments), 0);
  EXPECT_EQ(call<HostApi::VynArrayFree>(&sides), 0);

  // Not attached: -4 and nothing written; an entity deleted leaves its dimensions.
  VynDimension unattached{yrlhost::item_type_dimension, radius, drawing};
  EXPECT_EQ(call<HostApi::VynDrawingDimAttachsGet>(drawing, &unattached, &attachments, &sides), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(attachments, nullptr);
  ASSERT_TRUE(yrlhost::host_entity_delete(drawing, base));
  ASSERT_EQ(call<HostApi::VynDrawingDimAttachsGet>(drawing, &item, &attachments, &sides), 0);
  ASSERT_EQ(yrlhost::host_array_size(attachments), 1);
  EXPECT_EQ(static_cast<VynModelitem*>(attachments)[0].id, side);
}

TEST_F(DrawingAnnotations, ADimensionsViewAndTheSheetOfAView) {
  int sheet2 = 0;
  ASSERT_EQ(call<HostApi::VynDrawingSheetCreate>(drawing, &sheet2), 0);
  yrlhost::DrawingDimension made;
  made.sheet = sheet2;
  made.view = yrlhost::view_overlay;
  std::string error;
  const int on_sheet2 = yrlhost::host_dimension_add(drawing, made, error);
  ASSERT_GT(on_sheet2, 0) << error;
  const int on_sheet1 = dimension(yrlhost::dimension_linear, 20, {});
  auto word = [](auto value) { return reinterpret_cast<VynWord>(value); };
  struct Case {
    int id;
    int sheet;
    VynView view;
  };
  VynView background1 = nullptr, overlay2 = nullptr;
  ASSERT_EQ(call<HostApi::VynDrawingBackgroundViewGet>(drawing, 1, &background1), 0);
  ASSERT_EQ(call<HostApi::VynDrawingOverlayviewGet>(drawing, sheet2, &overlay2), 0);
  for (const Case& c : {Case{on_sheet1, 1, background1}, Case{on_sheet2, sheet2, overlay2}}) {
    VynDimension item{yrlhost::item_type_dimension, c.id, drawing};
    VynView view = nullptr;
    ASSERT_EQ(call<HostApi::VynDrawingDimensionViewGet>(word(drawing), word(&item), word(&view)), 0);
    EXPECT_EQ(view, c.view) << c.id;
    int sheet = 0;
    ASSERT_EQ(call<HostApi::VynDrawingViewSheetGet>(word(drawing), word(view), word(&sheet)), 0);
    EXPECT_EQ(sheet, c.sheet) << c.id;
  }
  // A dead dimension, another drawing's, null outputs and a view of no drawing.
  VynDimension dead{yrlhost::item_type_dimension, base, drawing};
  VynDimension live{yrlhost::item_type_dimension, on_sheet1, drawing};
  VynView view = nullptr;
  int sheet = 0;
  EXPECT_EQ(call<HostApi::VynDrawingDimensionViewGet>(word(drawing), word(&dead), word(&view)), VYN_TK_E_NOT_FOUND);
  VynMdl other = yrlhost::host_model_create(yrlhost::model_type_drawing, "OTHER", error);
  ASSERT_NE(other, nullptr) << error;
  EXPECT_EQ(call<HostApi::VynDrawingDimensionViewGet>(word(other), word(&live), word(&view)), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(call<HostApi::VynDrawingDimensionViewGet>(word(drawing), word(&live), VynWord{0}), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(call<HostApi::VynDrawingViewSheetGet>(word(drawing), word(background1), VynWord{0}), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(call<HostApi::VynDrawingViewSheetGet>(word(other), word(background1), word(&sheet)), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(view, nullptr);
  EXPECT_EQ(sheet, 0);
}

TEST_F(DrawingAnnotations, BadRecordsDeadIdsAndNullOutputs) {
  int note = note_free(0, 0);
  int dim = dimension(yrlhost::dimension_diameter, 5, {});
  std::string error;
  VynMdl other = yrlhost::host_model_create(yrlhost::model_type_drawing, "OTHER", error);
  VynDtlnote dead_note{yrlhost::item_type_note, base, drawing};  // an entity's id, not a note's
  VynDtlnote entity_as_note{yrlhost::item_type_draft_entity, note, drawing};
  VynDimension dead_dim{yrlhost::item_type_dimension, note, drawing};
  VynDimension live_dim{yrlhost::item_type_dimension, dim, drawing};
  VynDtlnotedata data = nullptr;
  VynDtlsymdef symbol{};
  EXPECT_EQ(call<HostApi::VynDtlnoteDataGet>(&dead_note, static_cast<VynDtlsymdef*>(nullptr), 0, &data),
            VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(call<HostApi::VynDtlnoteDataGet>(&entity_as_note, static_cast<VynDtlsymdef*>(nullptr), 0, &data),
            VYN_TK_BAD_INPUTS);
  VynDtlnote good{yrlhost::item_type_note, note, drawing};
  EXPECT_EQ(call<HostApi::VynDtlnoteDataGet>(&good, &symbol, 0, &data), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(call<HostApi::VynDtlnoteDataGet>(&good, static_cast<VynDtlsymdef*>(nullptr), 0,
                                             static_cast<VynDtlnotedata*>(nullptr)),
            VYN_TK_BAD_INPUTS);
  int id = 0;
  auto* foreign = reinterpret_cast<VynDtlnotedata>(&id);
  EXPECT_EQ(call<HostApi::VynDtlnotedataIdGet>(foreign, &id), VYN_TK_BAD_INPUTS);
  VynDtlattach attach = reinterpret_cast<VynDtlattach>(&id);
  EXPECT_EQ(call<HostApi::VynDtlattachGet>(attach, &id, static_cast<VynView*>(nullptr), static_cast<double*>(nullptr),
                                           static_cast<VynSelection*>(nullptr)),
            VYN_TK_BAD_INPUTS);

  double position[3];
  int type = 0;
  EXPECT_EQ(call<HostApi::VynDimensionTypeGet>(&dead_dim, &type), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(call<HostApi::VynDimensionTypeGet>(&live_dim, static_cast<int*>(nullptr)), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(call<HostApi::VynDrawingDimensionPosGet>(other, &live_dim, position), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(call<HostApi::VynDrawingDimensionPosGet>(drawing, &live_dim, static_cast<double*>(nullptr)),
            VYN_TK_BAD_INPUTS);
  VynArray notes = nullptr;
  EXPECT_EQ(call<HostApi::VynDrawingDtlnotesCollect>(drawing, &symbol, -1, &notes), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(call<HostApi::VynDrawingDtlnotesCollect>(part, static_cast<VynDtlsymdef*>(nullptr), -1, &notes),
            VYN_TK_BAD_INPUTS);
  EXPECT_EQ(notes, nullptr);
}

TEST_F(DrawingAnnotations, ContentTheHostSideRefuses) {
  struct Case {
    const char* what;
    yrlhost::DraftNote note;
  };
  yrlhost::DraftNote on_missing;
  on_missing.attachment.kind = yrlhost::attach_on_item;
  on_missing.attachment.entity = 999;
  yrlhost::DraftNote beyond = on_missing;
  beyond.attachment.entity = base;
  beyond.attachment.parameter = 1.5;
  yrlhost::DraftNote odd_kind;
  odd_kind.attachment.kind = 1;
  yrlhost::DraftNote broken_line;
  broken_line.lines = {u"two\nlines"};
  yrlhost::DraftNote off_sheet;
  off_sheet.sheet = 2;
  yrlhost::DraftNote on_overlay_of_nothing;
  on_overlay_of_nothing.view = 77;
  const Case cases[] = {{"on a missing entity", on_missing},
                        {"at a parameter beyond the entity", beyond},
                        {"of attachment kind 1", odd_kind},
                        {"with a line break in a line", broken_line},
                        {"on a sheet the drawing lacks", off_sheet},
                        {"in a view the sheet lacks", on_overlay_of_nothing}};
  for (const Case& c : cases) {
    std::string error;
    EXPECT_EQ(yrlhost::host_note_add(drawing, c.note, error), -1) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
  }
  yrlhost::DrawingDimension bad_type;
  bad_type.type = 5;
  yrlhost::DrawingDimension bad_side;
  bad_side.attachments = {{base, 3}};
  for (const yrlhost::DrawingDimension& d : {bad_type, bad_side}) {
    std::string error;
    EXPECT_EQ(yrlhost::host_dimension_add(drawing, d, error), -1);
  }
  EXPECT_TRUE(content().notes.empty());
  EXPECT_TRUE(content().dimensions.empty());
}

}  // namespace
