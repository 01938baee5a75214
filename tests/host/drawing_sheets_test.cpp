// Sheets, drawing models, drawing views and scales through the host functions.
#include <cstring>
#include <string>
#include <vector>

#include "host/util/host_arrays.h"
#include "host/files/model_files.h"
#include "drawing_test.h"

namespace {

using yrlhost::HostApi;

class DrawingSheets : public yrltest::DrawingTest {};

std::u16string text(const VynWchar* name) { return std::u16string(name); }
std::u16string wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

TEST_F(DrawingSheets, ANewDrawingHasSheetOneCurrentAndSheetsAreNumberedOnward) {
  int sheet = 0;
  EXPECT_EQ(call<HostApi::VynDrawingCurrentSheetGet>(drawing, &sheet), 0);
  EXPECT_EQ(sheet, 1);
  // A new sheet takes the next number and does not become current.
  for (int expected : {2, 3}) {
    EXPECT_EQ(call<HostApi::VynDrawingSheetCreate>(drawing, &sheet), 0);
    EXPECT_EQ(sheet, expected);
  }
  EXPECT_EQ(call<HostApi::VynDrawingCurrentSheetGet>(drawing, &sheet), 0);
  EXPECT_EQ(sheet, 1);
  EXPECT_EQ(call<HostApi::VynDrawingCurrentSheetSet>(drawing, 3), 0);
  EXPECT_EQ(call<HostApi::VynDrawingCurrentSheetGet>(drawing, &sheet), 0);
  EXPECT_EQ(sheet, 3);
  EXPECT_EQ(call<HostApi::VynDrawingCurrentSheetSet>(drawing, 4), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(call<HostApi::VynDrawingCurrentSheetSet>(drawing, 0), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(content().current_sheet, 3);
}

TEST_F(DrawingSheets, TheSheetTransformAndSizeAreHandedOutExactlyAsHeld) {
  yrlhost::DrawingSheet sheet;
  sheet.number = 1;
  sheet.size = u"A0";
  sheet.scale = 0.5;
  // Values whose decimal forms do not round trip through fewer than 17 digits.
  const double m[4][4] = {{0.1, 0.2, 0, 0}, {-0.2, 0.1, 0, 0}, {0, 0, 1.0 / 3, 0}, {25.4, -7e-300, 1e300, 1}};
  std::memcpy(sheet.transform, m, sizeof m);
  std::string error;
  ASSERT_TRUE(yrlhost::host_sheet_set(drawing, sheet, error)) << error;

  // A new sheet copies the current one's size, scale and transform.
  int second = 0;
  ASSERT_EQ(call<HostApi::VynDrawingSheetCreate>(drawing, &second), 0);
  for (int number : {1, second}) {
    VynName size = {};
    double got[4][4] = {};
    EXPECT_EQ(call<HostApi::VynDrawingSheetTrfGet>(drawing, number, size, got), 0);
    EXPECT_EQ(text(size), u"A0");
    EXPECT_EQ(std::memcmp(got, m, sizeof m), 0) << number;
  }
  // The size output may be left out; the transform may not.
  double got[4][4] = {};
  EXPECT_EQ(call<HostApi::VynDrawingSheetTrfGet>(drawing, 1, nullptr, got), 0);
  EXPECT_EQ(call<HostApi::VynDrawingSheetTrfGet>(drawing, 1, nullptr, nullptr), VYN_TK_BAD_INPUTS);

  // A sheet the drawing does not hold, and rules of the host-side setter.
  EXPECT_EQ(call<HostApi::VynDrawingSheetTrfGet>(drawing, 3, nullptr, got), VYN_TK_BAD_INPUTS);
  sheet.number = 3;
  EXPECT_FALSE(yrlhost::host_sheet_set(drawing, sheet, error));
  EXPECT_EQ(error, "sheet 3 does not exist");
  sheet.number = 1;
  sheet.size = u"A 0";
  EXPECT_FALSE(yrlhost::host_sheet_set(drawing, sheet, error));
  sheet.size = u"A0";
  sheet.scale = 0;
  EXPECT_FALSE(yrlhost::host_sheet_set(drawing, sheet, error));
}

TEST_F(DrawingSheets, EachSheetHasItsOwnBackgroundAndOverlayViews) {
  int second = 0;
  ASSERT_EQ(call<HostApi::VynDrawingSheetCreate>(drawing, &second), 0);
  std::vector<VynView> views;
  for (int sheet : {1, second}) {
    VynView background = nullptr, overlay = nullptr;
    EXPECT_EQ(call<HostApi::VynDrawingBackgroundViewGet>(drawing, sheet, &background), 0);
    EXPECT_EQ(call<HostApi::VynDrawingOverlayviewGet>(drawing, sheet, &overlay), 0);
    views.push_back(background);
    views.push_back(overlay);
    VynName name = {};
    EXPECT_EQ(call<HostApi::VynDrawingViewNameGet>(drawing, background, name), 0);
    EXPECT_EQ(text(name), sheet == 1 ? u"SHEET1_BACKGROUND" : u"SHEET2_BACKGROUND");
    EXPECT_EQ(call<HostApi::VynDrawingViewNameGet>(drawing, overlay, name), 0);
    EXPECT_EQ(text(name), sheet == 1 ? u"SHEET1_OVERLAY" : u"SHEET2_OVERLAY");
    // A sheet's own views are not drawing views: they cannot be deleted.
    EXPECT_EQ(call<HostApi::VynDrawingViewDelete>(drawing, background, 1), VYN_TK_BAD_INPUTS);
  }
  for (std::size_t i = 0; i < views.size(); ++i)
    for (std::size_t j = i + 1; j < views.size(); ++j) EXPECT_NE(views[i], views[j]);
  // Another drawing's views are not this drawing's.
  std::string error;
  VynMdl other = yrlhost::host_model_create(yrlhost::model_type_drawing, "OTHER", error);
  VynName name = {};
  EXPECT_EQ(call<HostApi::VynDrawingViewNameGet>(other, views[0], name), VYN_TK_BAD_INPUTS);
}

TEST_F(DrawingSheets, BadDrawingsSheetsAndOutputsAnswerBadInputs) {
  int sheet = 0;
  VynView view = nullptr;
  double m[4][4];
  std::string error;
  VynMdl erased = yrlhost::host_model_create(yrlhost::model_type_drawing, "GONE", error);
  yrlhost::host_model_erase(erased);
  for (VynMdl bad : {static_cast<VynMdl>(nullptr), part, erased}) {
    EXPECT_EQ(call<HostApi::VynDrawingCurrentSheetGet>(bad, &sheet), VYN_TK_BAD_INPUTS);
    EXPECT_EQ(call<HostApi::VynDrawingCurrentSheetSet>(bad, 1), VYN_TK_BAD_INPUTS);
    EXPECT_EQ(call<HostApi::VynDrawingSheetCreate>(bad, &sheet), VYN_TK_BAD_INPUTS);
    EXPECT_EQ(call<HostApi::VynDrawingSheetTrfGet>(bad, 1, nullptr, m), VYN_TK_BAD_INPUTS);
    EXPECT_EQ(call<HostApi::VynDrawingBackgroundViewGet>(bad, 1, &view), VYN_TK_BAD_INPUTS);
    EXPECT_EQ(call<HostApi::VynDwgSheetRegenerate>(bad, 1), VYN_TK_BAD_INPUTS);
  }
  EXPECT_EQ(call<HostApi::VynDrawingCurrentSheetGet>(drawing, nullptr), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(call<HostApi::VynDrawingSheetCreate>(drawing, nullptr), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(call<HostApi::VynDrawingOverlayviewGet>(drawing, 1, nullptr), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(call<HostApi::VynDrawingOverlayviewGet>(drawing, 2, &view), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(call<HostApi::VynDwgSheetRegenerate>(drawing, 2), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(content().sheets.size(), 1u);
  EXPECT_EQ(content().sheets[0].regenerations, 0);
  EXPECT_EQ(call<HostApi::VynDwgSheetRegenerate>(drawing, 1), 0);
  EXPECT_EQ(content().sheets[0].regenerations, 1);
}

TEST_F(DrawingSheets, DrawingModelsAreAddedOnceAndCollectedWhileInSession) {
  std::string error;
  VynMdl second = yrlhost::host_model_create(yrlhost::model_type_part, "SECOND", error);
  EXPECT_EQ(call<HostApi::VynDrawingSolidAdd>(drawing, part), 0);
  EXPECT_EQ(call<HostApi::VynDrawingSolidAdd>(drawing, second), 0);
  EXPECT_EQ(call<HostApi::VynDrawingSolidAdd>(drawing, part), VYN_TK_E_FOUND);
  EXPECT_EQ(call<HostApi::VynDrawingSolidAdd>(drawing, drawing), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(call<HostApi::VynDrawingSolidAdd>(part, part), VYN_TK_BAD_INPUTS);

  VynArray solids = nullptr;
  ASSERT_EQ(call<HostApi::VynDrawingSolidsCollect>(drawing, &solids), 0);
  ASSERT_EQ(yrlhost::host_array_size(solids), 2);
  EXPECT_EQ(static_cast<VynMdl*>(solids)[0], part);
  EXPECT_EQ(static_cast<VynMdl*>(solids)[1], second);
  EXPECT_TRUE(yrlhost::host_array_release(&solids));

  // A part out of session stays a model by name and is collected again once it is back.
  yrlhost::host_model_erase(part);
  ASSERT_EQ(call<HostApi::VynDrawingSolidsCollect>(drawing, &solids), 0);
  ASSERT_EQ(yrlhost::host_array_size(solids), 1);
  EXPECT_EQ(static_cast<VynMdl*>(solids)[0], second);
  EXPECT_TRUE(yrlhost::host_array_release(&solids));
  VynMdl back = yrlhost::host_model_create(yrlhost::model_type_part, "BLOCK", error);
  ASSERT_EQ(call<HostApi::VynDrawingSolidsCollect>(drawing, &solids), 0);
  EXPECT_EQ(yrlhost::host_array_size(solids), 2);
  EXPECT_EQ(static_cast<VynMdl*>(solids)[0], back);
  EXPECT_TRUE(yrlhost::host_array_release(&solids));
  EXPECT_EQ(call<HostApi::VynDrawingSolidsCollect>(drawing, nullptr), VYN_TK_BAD_INPUTS);
}

TEST_F(DrawingSheets, ScalesArePerModelAndSheetAndReadBackWhatWasSet) {
  std::string error;
  VynMdl second = yrlhost::host_model_create(yrlhost::model_type_part, "SECOND", error);
  ASSERT_EQ(call<HostApi::VynDrawingSolidAdd>(drawing, part), 0);
  ASSERT_EQ(call<HostApi::VynDrawingSolidAdd>(drawing, second), 0);
  int sheet2 = 0;
  ASSERT_EQ(call<HostApi::VynDrawingSheetCreate>(drawing, &sheet2), 0);
  yrlhost::DrawingSheet sheet = content().sheets[1];
  sheet.scale = 0.25;
  ASSERT_TRUE(yrlhost::host_sheet_set(drawing, sheet, error));

  EXPECT_EQ(call<HostApi::VynDrawingScaleSet>(drawing, part, sheet2, 0.1), 0);
  EXPECT_EQ(call<HostApi::VynDrawingScaleSet>(drawing, part, 1, 2.0), 0);
  EXPECT_EQ(call<HostApi::VynDrawingScaleSet>(drawing, part, sheet2, 1.0 / 3), 0);  // replaces
  struct Case {
    VynMdl model;
    int sheet;
    double scale;
  } cases[] = {{part, sheet2, 1.0 / 3}, {part, 1, 2.0}, {second, 1, 1.0}, {second, sheet2, 0.25}};
  for (const Case& c : cases) {
    double scale = -1;
    EXPECT_EQ(call<HostApi::VynDrawingScaleGet>(drawing, c.model, c.sheet, &scale), 0);
    EXPECT_EQ(scale, c.scale);
  }

  // Refusals: a part that is not a model of the drawing, a sheet it does not have, a
  // scale that is not positive, a null output.
  VynMdl stranger = yrlhost::host_model_create(yrlhost::model_type_part, "STRANGER", error);
  double scale = 0;
  EXPECT_EQ(call<HostApi::VynDrawingScaleSet>(drawing, stranger, 1, 2.0), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(call<HostApi::VynDrawingScaleGet>(drawing, stranger, 1, &scale), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(call<HostApi::VynDrawingScaleSet>(drawing, part, 5, 2.0), VYN_TK_BAD_INPUTS);
  for (double bad : {0.0, -1.0, 1.0 / 0.0})
    EXPECT_EQ(call<HostApi::VynDrawingScaleSet>(drawing, part, 1, bad), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(call<HostApi::VynDrawingScaleGet>(drawing, part, 1, nullptr), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(call<HostApi::VynDrawingScaleGet>(drawing, drawing, 1, &scale), VYN_TK_BAD_INPUTS);
}

TEST_F(DrawingSheets, GeneralViewsTakeTheModelsScaleForZeroAndAreNamedByTheirIds) {
  ASSERT_EQ(call<HostApi::VynDrawingSolidAdd>(drawing, part), 0);
  ASSERT_EQ(call<HostApi::VynDrawingScaleSet>(drawing, part, 1, 0.5), 0);
  const double position[3] = {100, 50, 0};
  const double front[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  const double top[4][4] = {{1, 0, 0, 0}, {0, 0, 1, 0}, {0, 1, 0, 0}, {0, 0, 0, 1}};
  VynView first = nullptr, second = nullptr;
  ASSERT_EQ(call<HostApi::VynDrawingGeneralviewCreate>(drawing, part, 1, 0, position, 0.0, front, &first), 0);
  ASSERT_EQ(call<HostApi::VynDrawingGeneralviewCreate>(drawing, part, 1, 0, position, 2.0, top, &second), 0);
  ASSERT_EQ(content().views.size(), 2u);
  const yrlhost::DrawingView& a = content().views[0];
  const yrlhost::DrawingView& b = content().views[1];
  EXPECT_EQ(a.handle, first);
  EXPECT_EQ(a.scale, 0.5);
  EXPECT_EQ(b.scale, 2.0);
  EXPECT_EQ(std::memcmp(b.orientation, top, sizeof top), 0);
  EXPECT_EQ(b.position[0], 100);
  EXPECT_EQ(b.model, u"BLOCK");
  // Making a view changes no scale.
  double scale = 0;
  EXPECT_EQ(call<HostApi::VynDrawingScaleGet>(drawing, part, 1, &scale), 0);
  EXPECT_EQ(scale, 0.5);

  VynName name = {};
  EXPECT_EQ(call<HostApi::VynDrawingViewNameGet>(drawing, second, name), 0);
  EXPECT_EQ(text(name), wide("VIEW_" + std::to_string(b.id)));
  EXPECT_NE(a.id, b.id);

  VynArray views = nullptr;
  ASSERT_EQ(call<HostApi::VynDrawingViewsCollect>(drawing, &views), 0);
  ASSERT_EQ(yrlhost::host_array_size(views), 2);
  EXPECT_EQ(static_cast<VynView*>(views)[0], first);
  EXPECT_EQ(static_cast<VynView*>(views)[1], second);
  yrlhost::host_array_release(&views);

  // Refusals: a part not in the drawing, a sheet it lacks, a negative scale, null inputs.
  std::string error;
  VynMdl stranger = yrlhost::host_model_create(yrlhost::model_type_part, "STRANGER", error);
  VynView view = nullptr;
  EXPECT_EQ(call<HostApi::VynDrawingGeneralviewCreate>(drawing, stranger, 1, 0, position, 0.0, front, &view),
            VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(call<HostApi::VynDrawingGeneralviewCreate>(drawing, part, 2, 0, position, 0.0, front, &view),
            VYN_TK_BAD_INPUTS);
  EXPECT_EQ(call<HostApi::VynDrawingGeneralviewCreate>(drawing, part, 1, 0, position, -1.0, front, &view),
            VYN_TK_BAD_INPUTS);
  EXPECT_EQ(call<HostApi::VynDrawingGeneralviewCreate>(drawing, part, 1, 0, nullptr, 0.0, front, &view),
            VYN_TK_BAD_INPUTS);
  EXPECT_EQ(call<HostApi::VynDrawingGeneralviewCreate>(drawing, part, 1, 0, position, 0.0, nullptr, &view),
            VYN_TK_BAD_INPUTS);
  EXPECT_EQ(view, nullptr);
  EXPECT_EQ(content().views.size(), 2u);
}

TEST_F(DrawingSheets, DeletingAViewTakesItsItemsAndWithChildrenTheViewsBelowIt) {
  std::string error;
  ASSERT_TRUE(yrlhost::host_drawing_model_add(drawing, u"BLOCK", error));
  yrlhost::DrawingView view;
  view.name = u"MAIN";
  view.model = u"BLOCK";
  int main_id = yrlhost::host_view_add(drawing, view, error);
  ASSERT_GT(main_id, 0) << error;
  view.name = u"CHILD";
  view.parent = main_id;
  int child_id = yrlhost::host_view_add(drawing, view, error);
  view.name = u"GRANDCHILD";
  view.parent = child_id;
  int grandchild_id = yrlhost::host_view_add(drawing, view, error);
  view.name = u"OTHER";
  view.parent = 0;
  int other_id = yrlhost::host_view_add(drawing, view, error);
  ASSERT_GT(other_id, 0) << error;
  const double a[3] = {0, 0, 0}, b[3] = {1, 0, 0};
  int on_grandchild = line(a, b, 1, grandchild_id);
  int on_other = line(a, b, 1, other_id);
  int on_background = line(a, b);

  // The view's handle, as the plug-in gets it.
  auto handle = [this](int id) {
    for (const yrlhost::DrawingView& v : content().views)
      if (v.id == id) return v.handle;
    return static_cast<VynView>(nullptr);
  };
  VynView main_view = handle(main_id);
  EXPECT_EQ(call<HostApi::VynDrawingViewDelete>(drawing, main_view, 0), VYN_TK_BAD_CONTEXT);
  EXPECT_EQ(content().views.size(), 4u);
  EXPECT_EQ(call<HostApi::VynDrawingViewDelete>(drawing, main_view, 1), 0);
  ASSERT_EQ(content().views.size(), 1u);
  EXPECT_EQ(content().views[0].id, other_id);
  EXPECT_FALSE(yrlhost::stored_item_exists(drawing, yrlhost::item_type_draft_entity, on_grandchild));
  EXPECT_TRUE(yrlhost::stored_item_exists(drawing, yrlhost::item_type_draft_entity, on_other));
  EXPECT_TRUE(yrlhost::stored_item_exists(drawing, yrlhost::item_type_draft_entity, on_background));
  // A deleted view's handle names nothing any more.
  EXPECT_EQ(call<HostApi::VynDrawingViewDelete>(drawing, main_view, 1), VYN_TK_BAD_INPUTS);
  VynName name = {};
  EXPECT_EQ(call<HostApi::VynDrawingViewNameGet>(drawing, main_view, name), VYN_TK_BAD_INPUTS);
  // A leaf view goes without the flag.
  EXPECT_EQ(call<HostApi::VynDrawingViewDelete>(drawing, handle(other_id), 0), 0);
  EXPECT_TRUE(content().views.empty());

  // The host-side rules of views: a unique name, a parent that exists, a known model.
  view.name = u"OTHER";
  view.parent = 0;
  ASSERT_GT(yrlhost::host_view_add(drawing, view, error), 0);
  EXPECT_EQ(yrlhost::host_view_add(drawing, view, error), -1);
  EXPECT_EQ(error, "the drawing has a view of that name already");
  view.name = u"ORPHAN";
  view.parent = main_id;
  EXPECT_EQ(yrlhost::host_view_add(drawing, view, error), -1);
  view.parent = 0;
  view.model = u"NOT A MODEL";
  EXPECT_EQ(yrlhost::host_view_add(drawing, view, error), -1);
  EXPECT_EQ(error, "the view's part is not a model of the drawing");
}

}  // namespace

namespace {

TEST_F(DrawingSheets, ACopiedDrawingHasTheSameContentUnderViewHandlesOfItsOwn) {
  ASSERT_EQ(call<HostApi::VynDrawingSolidAdd>(drawing, part), 0);
  const double position[3] = {1, 2, 0};
  const double front[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  VynView view = nullptr;
  ASSERT_EQ(call<HostApi::VynDrawingGeneralviewCreate>(drawing, part, 1, 0, position, 0.0, front, &view), 0);
  const double a[3] = {0, 0, 0}, b[3] = {1, 0, 0};
  int entity = line(a, b);
  VynMdl copy = nullptr;
  ASSERT_EQ(call<HostApi::VynMdlCopy>(drawing, u"PLATE COPY", &copy), 0);
  const yrlhost::DrawingContent& copied = *yrlhost::host_drawing(copy);
  ASSERT_EQ(copied.views.size(), 1u);
  EXPECT_EQ(copied.views[0].id, content().views[0].id);
  EXPECT_NE(copied.views[0].handle, view);
  EXPECT_NE(copied.sheets[0].background, content().sheets[0].background);
  EXPECT_TRUE(yrlhost::stored_item_exists(copy, yrlhost::item_type_draft_entity, entity));
  // The copy's view handle is the copy's; the original's is not.
  VynName name = {};
  EXPECT_EQ(call<HostApi::VynDrawingViewNameGet>(copy, copied.views[0].handle, name), 0);
  EXPECT_EQ(call<HostApi::VynDrawingViewNameGet>(copy, view, name), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(yrlhost::host_model_lines(copy).size(), yrlhost::host_model_lines(drawing).size());
}

}  // namespace
