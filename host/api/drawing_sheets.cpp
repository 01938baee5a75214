// Sheets, drawing models, drawing views and scales: the host functions over them.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/util/host_arrays.h"
#include "host/api/host_behaviours.h"
#include "host/store/model_store.h"

namespace yrlhost {
namespace {

// The live part a solid handle names; null for anything else.
StoredModel* stored_part(VynSolid solid) {
  StoredModel* model = stored_model(solid);
  return model && model->type == model_type_part ? model : nullptr;
}

bool is_drawing_model(const StoredModel& drawing, const StoredModel& part) {
  const std::vector<std::u16string>& models = drawing.drawing.models;
  return std::find(models.begin(), models.end(), part.name) != models.end();
}

// The scale of a part on a sheet: as set, else the sheet's.
double model_scale(StoredModel& drawing, const std::u16string& part, DrawingSheet& sheet) {
  for (const DrawingScale& scale : drawing.drawing.scales)
    if (scale.model == part && scale.sheet == sheet.number) return scale.scale;
  return sheet.scale;
}

// The drawing and its sheet that a call names; nulls for anything else.
struct SheetRef {
  StoredModel* drawing = nullptr;
  DrawingSheet* sheet = nullptr;
};

SheetRef sheet_ref(VynMdl drawing, int number) {
  StoredModel* model = stored_drawing(drawing);
  DrawingSheet* sheet = model ? drawing_sheet(*model, number) : nullptr;
  return sheet ? SheetRef{model, sheet} : SheetRef{};
}

bool finite_matrix(const double m[4][4]) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (!std::isfinite(m[r][c])) return false;
  return true;
}

std::u16string view_name(const StoredModel& model, const ViewPlace& place) {
  if (place.view > 0) {
    for (const DrawingView& view : model.drawing.views)
      if (view.id == place.view) return view.name;
  }
  std::string name = "SHEET" + std::to_string(place.sheet) +
                     (place.view == view_background ? "_BACKGROUND" : "_OVERLAY");
  return std::u16string(name.begin(), name.end());
}

}  // namespace

VynError Behaviour<HostApi::VynDrawingCurrentSheetGet>::run(int, VynMdl drawing, int* sheet) {
  StoredModel* model = stored_drawing(drawing);
  if (!model || !sheet) return VYN_TK_BAD_INPUTS;
  *sheet = model->drawing.current_sheet;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDrawingCurrentSheetSet>::run(int, VynMdl drawing, int sheet) {
  std::string error;
  return host_current_sheet_set(drawing, sheet, error) ? VYN_TK_NO_ERROR : VYN_TK_BAD_INPUTS;
}

VynError Behaviour<HostApi::VynDrawingSheetCreate>::run(int, VynMdl drawing, int* sheet) {
  if (!sheet || !stored_drawing(drawing)) return VYN_TK_BAD_INPUTS;
  std::string error;
  *sheet = host_sheet_add(drawing, error);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDrawingSheetTrfGet>::run(int, VynMdl drawing, int sheet,
                                                        VynWchar* size, double transform[4][4]) {
  SheetRef ref = sheet_ref(drawing, sheet);
  if (!ref.sheet || !transform) return VYN_TK_BAD_INPUTS;
  if (size) wide_name_write(ref.sheet->size, size);
  std::memcpy(transform, ref.sheet->transform, sizeof ref.sheet->transform);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDrawingBackgroundViewGet>::run(int, VynMdl drawing, int sheet,
                                                              VynView* view) {
  SheetRef ref = sheet_ref(drawing, sheet);
  if (!ref.sheet || !view) return VYN_TK_BAD_INPUTS;
  *view = ref.sheet->background;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDrawingOverlayviewGet>::run(int, VynMdl drawing, int sheet,
                                                           VynView* view) {
  SheetRef ref = sheet_ref(drawing, sheet);
  if (!ref.sheet || !view) return VYN_TK_BAD_INPUTS;
  *view = ref.sheet->overlay;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDwgSheetRegenerate>::run(int, VynMdl drawing, int sheet) {
  SheetRef ref = sheet_ref(drawing, sheet);
  if (!ref.sheet) return VYN_TK_BAD_INPUTS;
  ++ref.sheet->regenerations;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDrawingSolidAdd>::run(int, VynMdl drawing, VynSolid solid) {
  StoredModel* model = stored_drawing(drawing);
  StoredModel* part = stored_part(solid);
  if (!model || !part) return VYN_TK_BAD_INPUTS;
  if (is_drawing_model(*model, *part)) return VYN_TK_E_FOUND;
  model->drawing.models.push_back(part->name);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDrawingSolidsCollect>::run(int, VynMdl drawing, VynArray* solids) {
  StoredModel* model = stored_drawing(drawing);
  if (!model) return VYN_TK_BAD_INPUTS;
  std::vector<VynMdl> parts;
  for (const std::u16string& name : model->drawing.models)
    if (StoredModel* part = stored_model_find(model_type_part, name)) parts.push_back(part->handle);
  return host_array_hand_out(parts, solids);
}

VynError Behaviour<HostApi::VynDrawingScaleSet>::run(int, VynMdl drawing, VynSolid solid,
                                                     int sheet, double scale) {
  SheetRef ref = sheet_ref(drawing, sheet);
  StoredModel* part = stored_part(solid);
  if (!ref.sheet || !part || !(scale > 0) || !std::isfinite(scale)) return VYN_TK_BAD_INPUTS;
  if (!is_drawing_model(*ref.drawing, *part)) return VYN_TK_E_NOT_FOUND;
  for (DrawingScale& stored : ref.drawing->drawing.scales) {
    if (stored.model == part->name && stored.sheet == sheet) {
      stored.scale = scale;
      return VYN_TK_NO_ERROR;
    }
  }
  ref.drawing->drawing.scales.push_back(DrawingScale{part->name, sheet, scale});
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDrawingScaleGet>::run(int, VynMdl drawing, VynSolid solid,
                                                     int sheet, double* scale) {
  SheetRef ref = sheet_ref(drawing, sheet);
  StoredModel* part = stored_part(solid);
  if (!ref.sheet || !part || !scale) return VYN_TK_BAD_INPUTS;
  if (!is_drawing_model(*ref.drawing, *part)) return VYN_TK_E_NOT_FOUND;
  *scale = model_scale(*ref.drawing, part->name, *ref.sheet);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDrawingGeneralviewCreate>::run(
    int, VynMdl drawing, VynSolid solid, int sheet, int, const double* position, double scale,
    const double orientation[4][4], VynView* view) {
  SheetRef ref = sheet_ref(drawing, sheet);
  StoredModel* part = stored_part(solid);
  if (!ref.sheet || !part || !position || !orientation || !view) return VYN_TK_BAD_INPUTS;
  if (!std::isfinite(position[0]) || !std::isfinite(position[1]) || !std::isfinite(position[2]) ||
      !(scale >= 0) || !std::isfinite(scale) || !finite_matrix(orientation))
    return VYN_TK_BAD_INPUTS;
  if (!is_drawing_model(*ref.drawing, *part)) return VYN_TK_E_NOT_FOUND;
  StoredModel& model = *ref.drawing;
  DrawingView made;
  made.handle = stored_view_handle_new();
  std::string unused;
  made.id = drawing_item_id_take(model, 0, unused);
  std::string name = "VIEW_" + std::to_string(made.id);
  made.name.assign(name.begin(), name.end());
  made.sheet = sheet;
  made.model = part->name;
  std::copy_n(position, 3, made.position);
  made.scale = scale == 0.0 ? model_scale(model, part->name, *ref.sheet) : scale;
  std::memcpy(made.orientation, orientation, sizeof made.orientation);
  model.drawing.views.push_back(made);
  *view = made.handle;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDrawingViewsCollect>::run(int, VynMdl drawing, VynArray* views) {
  StoredModel* model = stored_drawing(drawing);
  if (!model) return VYN_TK_BAD_INPUTS;
  std::vector<VynView> handles;
  for (const DrawingView& view : model->drawing.views) handles.push_back(view.handle);
  return host_array_hand_out(handles, views);
}

VynError Behaviour<HostApi::VynDrawingViewNameGet>::run(int, VynMdl drawing, VynView view,
                                                        VynWchar* name) {
  StoredModel* model = stored_drawing(drawing);
  std::optional<ViewPlace> place = model ? drawing_view_place(*model, view) : std::nullopt;
  if (!place || !name) return VYN_TK_BAD_INPUTS;
  wide_name_write(view_name(*model, *place), name);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDrawingViewSheetGet>::run(int, VynWord drawing, VynWord view, VynWord sheet) {
  StoredModel* model = stored_drawing(reinterpret_cast<VynMdl>(drawing));
  std::optional<ViewPlace> place =
      model ? drawing_view_place(*model, reinterpret_cast<VynView>(view)) : std::nullopt;
  auto* out = reinterpret_cast<int*>(sheet);
  if (!place || !out) return VYN_TK_BAD_INPUTS;
  *out = place->sheet;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDrawingViewDelete>::run(int, VynMdl drawing, VynView view,
                                                       int delete_children) {
  StoredModel* model = stored_drawing(drawing);
  std::optional<ViewPlace> place = model ? drawing_view_place(*model, view) : std::nullopt;
  if (!place || place->view <= 0) return VYN_TK_BAD_INPUTS;
  const std::vector<DrawingView>& views = model->drawing.views;
  bool has_children = std::any_of(views.begin(), views.end(),
                                  [&place](const DrawingView& v) { return v.parent == place->view; });
  if (has_children && delete_children == 0) return VYN_TK_BAD_CONTEXT;
  drawing_view_erase(*model, place->view);
  return VYN_TK_NO_ERROR;
}

}  // namespace yrlhost
