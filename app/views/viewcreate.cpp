// Creating and clearing named views, and the readers, writers, highlights and queries of
// their records beyond those the named-view code needs.
#include <cstdio>
#include <cstring>

#include "app/menus/app_init.h"
#include "app/parts/autoview.h"
#include "app/prefs/prefs.h"
#include "app/select/select.h"
#include "app/storage/storage.h"
#include "app/util/apputil.h"
#include "app/views/view_setup.h"
#include "app/views/viewdata.h"
#include "app/views/views.h"
#include "runtime/text/wide.h"
#include "toolkit/api/app_api.h"
#include "toolkit/util/strutil.h"

namespace {

constexpr double kStartRef = 9999999.0;
constexpr double kBoundsMargin = 10.0;

int name_copy_checked(char* out, const char* name) {
  std::snprintf(out, YRL_VIEW_NAME_SIZE, "%s", name);
  return VYN_TK_NO_ERROR;
}

// Releases the current group and starts it empty (an empty group is kept).
int group_release_and_start() {
  YrlClearCurSel();
  if (view_sel) return VYN_TK_NO_ERROR;
  return VynArrayAlloc(0, static_cast<int>(sizeof(VynSelection)), 16, &view_sel);
}


// An entity id of the record picked by field.
int record_id(const char* view_name, int YrlViewData::*field, int* id) {
  YrlViewData record;
  if (!id) return VYN_TK_BAD_INPUTS;
  if (YrlViewDataRead(view_name, &record) != VYN_TK_NO_ERROR) return VYN_TK_E_NOT_FOUND;
  *id = record.*field;
  return VYN_TK_NO_ERROR;
}

int record_id_text(const char* view_name, int YrlViewData::*field, char* text) {
  if (!text) return VYN_TK_BAD_INPUTS;
  text[0] = '\0';
  int id = 0;
  if (int status = record_id(view_name, field, &id)) return status;
  if (id < 1) return VYN_TK_E_NOT_FOUND;
  VynMdl drawing = nullptr;
  VynMdlCurrentGet(&drawing);
  VynModelitem item{YRL_DRAFT_ENTITY_TYPE, id, drawing};
  return YrlEntityDisplayGet(&item, text);
}

int entity_mark(int entity_id, bool on) {
  VynMdl drawing = nullptr;
  VynModelitem item{};
  VynSelection selection = nullptr;
  int status = VynMdlCurrentGet(&drawing);
  if (status == VYN_TK_NO_ERROR) status = VynModelitemInit(drawing, entity_id, YRL_DRAFT_ENTITY_TYPE, &item);
  if (status == VYN_TK_NO_ERROR) status = VynSelectionAlloc(nullptr, &item, &selection);
  if (status == VYN_TK_NO_ERROR) status = on ? VynSelectionHighlight(selection, 5) : VynSelectionUnhighlight(selection);
  if (selection) VynSelectionFree(&selection);
  return status;
}

int record_highlight(const char* view_name, int YrlViewData::*field) {
  int id = 0;
  if (int status = record_id(view_name, field, &id)) return status;
  return id >= 1 ? YrlEntHighlight(id) : VYN_TK_E_NOT_FOUND;
}

}  // namespace

namespace {

// The active part's automatic drawing view of a newly declared view, on the part's own
// sheet once it has one, and the view's pair in the part's mapping.
void active_part_view_add(const char* view_name) {
  VynMdl part = nullptr;
  char part_name[YRL_MODEL_NAME_SIZE] = "";
  if (YrlActiveModelGet(&part) != VYN_TK_NO_ERROR || !part) return;
  YrlActiveModelNameGet(part_name);
  int sheet = 0;
  if (!part_name[0] || YrlDrwPartSheetNumGet(part_name, &sheet) != VYN_TK_NO_ERROR || sheet <= 1) return;
  VynMdl drawing = nullptr;
  VynMdlCurrentGet(&drawing);
  if (YrlDrwPartSheetViewCreate(view_name, drawing, part, sheet) == VYN_TK_NO_ERROR && YrlPreferencesAutoViewMapGet())
    YrlMappedViewAdd(part_name, part, view_name);
}

// Takes the view out of the mapping of every part of the drawing.
void parts_mapping_remove(VynMdl drawing, const char* view_name) {
  VynArray solids = nullptr;
  if (VynDrawingSolidsCollect(drawing, &solids) != VYN_TK_NO_ERROR || !solids) return;
  int count = 0;
  VynArraySizeGet(solids, &count);
  for (int i = 0; i < count; ++i) {
    VynName wide{};
    char name[YRL_MODEL_NAME_SIZE];
    if (VynMdlNameGet(static_cast<VynMdl*>(solids)[i], wide) != VYN_TK_NO_ERROR) continue;
    vek::wstostr_bounded(name, sizeof name, wide);
    YrlMappedViewRemove(name, view_name);
  }
  VynArrayFree(&solids);
}

}  // namespace

// ---- Creation ----

int YrlCreateView(const char*, const char* view_name, int view_type) {
  if (!view_name || !view_name[0]) return VYN_TK_BAD_INPUTS;
  YrlViewData record{};
  double ref_point[3] = {kStartRef, kStartRef, 0.0};
  double bounds[6] = {};
  record.scale = 1.0;

  char prefix[8] = "";
  YrlCurTabNameGet(YRL_VIEW_SETUP_DIALOG, prefix);

  VynArray picks = nullptr;
  int count = 0;
  int status = YrlSelect("draft_ent", -1, view_sel, nullptr, nullptr, 0, &picks, &count, YRL_SEL_INSIDE);
  if (status == VYN_TK_USER_ABORT) return status;
  if (status == -14) {
    VynMessageDisplay(YrlMsgFile, "YRL_SELECTION_ABORTED");
    return status;
  }
  if (status != VYN_TK_NO_ERROR || count < 1) {
    VynMessageDisplay(YrlMsgFile, "YRL_NO_ENT_SELECTED");
    // A failed pick leaves a view that exists as it was.
    YrlViewData existing;
    if (status != VYN_TK_NO_ERROR && YrlViewDataRead(view_name, &existing) == VYN_TK_NO_ERROR) return status;
    if (count < 0) count = 0;
  }

  // A view picked again (its members were the current group) gets no automatic drawing
  // view; a new one does when the preference says so.
  int held = 0;
  if (view_sel) VynArraySizeGet(view_sel, &held);
  const int auto_view = held >= 1 ? 0 : YrlPreferencesAutoDrawingViewCreateGet();
  group_release_and_start();

  record.view_type = view_type;
  name_copy_checked(record.view_name, view_name);
  YrlViewNameIdGet(view_name, &record.group_id);
  if (view_type == YRL_VIEW_SECTION || view_type == YRL_VIEW_AUXILIARY || view_type == YRL_VIEW_DETAIL)
    YRLGetNewViewGroupID(&record.group_id);

  char panel[40];
  std::snprintf(panel, sizeof panel, "%sVScaleInput", prefix);
  double scale = 1.0;
  if (VynUIInputpanelDoubleGet(YRL_VIEW_SETUP_DIALOG, panel, &scale) != VYN_TK_NO_ERROR || !(scale > 0.0))
    scale = 1.0;
  record.scale = scale;
  if (view_type == YRL_VIEW_ORTHO) YrlViewDoubleSave("YRL_DWGSCALE", scale);

  record.member_count = count;
  YrlViewClassRegister();
  status = YrlViewDataWrite(view_name, record);

  auto* selections = static_cast<VynSelection*>(picks);
  for (int i = 0; i < count; ++i) {
    VynModelitem item{};
    status = VynSelectionModelitemGet(selections[i], &item);
    VynSelection selection = selections[i];
    if (VynArrayObjectAdd(&view_sel, -1, 1, &selection) != VYN_TK_NO_ERROR) VynSelectionFree(&selection);
    YrlSlotName slot;
    if (YrlSlotNameFormat(slot, "%s_%d", view_name, i) == VYN_TK_NO_ERROR)
      status = YrlViewIntegerSave(slot, item.id);
    status = YrlReferencePointGet(i == 0, view_name, selection, ref_point, bounds);
  }
  if (picks) VynArrayFree(&picks);
  if (status == VYN_TK_NO_ERROR) {
    bounds[0] -= kBoundsMargin;
    bounds[1] -= kBoundsMargin;
    bounds[3] += kBoundsMargin;
    bounds[4] += kBoundsMargin;
  }
  std::memcpy(record.bounds, bounds, sizeof bounds);
  std::memcpy(record.ref_point, ref_point, sizeof ref_point);
  status = YrlViewDataWrite(view_name, record);
  if (status == VYN_TK_NO_ERROR && count >= 1) {
    VynWindowRepaint(-1);
    VynWchar wide[YRL_VIEW_NAME_SIZE];
    vek::strtows_bounded(wide, YRL_VIEW_NAME_SIZE, view_name);
    YrlViewBoundDrawAllViews(wide);
    YrlViewCurrentViewShow(view_name);
  }
  if (auto_view) active_part_view_add(view_name);
  return status;
}

int YrlClearView(const char* view_name) {
  if (!view_name) return VYN_TK_BAD_INPUTS;
  group_release_and_start();
  VynView view = nullptr;
  if (YrlViewNameToView(view_name, &view) == VYN_TK_NO_ERROR && view) {
    VynMdl drawing = nullptr;
    if (VynMdlCurrentGet(&drawing) == VYN_TK_NO_ERROR && VynDrawingViewDelete(drawing, view, 1) == VYN_TK_NO_ERROR)
      parts_mapping_remove(drawing, view_name);
  }
  int status = YrlViewStreamDelete(view_name);
  VynWchar wide[YRL_VIEW_NAME_SIZE];
  vek::strtows_bounded(wide, YRL_VIEW_NAME_SIZE, view_name);
  YrlViewBoundDrawAllViews(wide);
  YrlViewCurrentViewShow("NONE");
  return status;
}

int YrlViewSetupEntityAdd(const char* view_name, int entity_id) {
  YrlViewData record;
  if (YrlViewDataRead(view_name, &record) != VYN_TK_NO_ERROR) return VYN_TK_E_NOT_FOUND;
  YrlSlotName slot;
  int status = YrlSlotNameFormat(slot, "%s_%d", view_name, record.member_count);
  if (status == VYN_TK_NO_ERROR) status = YrlViewIntegerSave(slot, entity_id);
  if (status != VYN_TK_NO_ERROR) return status;
  ++record.member_count;
  return YrlViewDataWrite(view_name, record);
}

// ---- Readers ----

int YrlViewRefPlaneIdGet(const char* view_name, int* id) { return record_id(view_name, &YrlViewData::vpr_id, id); }
int YrlViewCutPlaneIdGet(const char* view_name, int* id) {
  return record_id(view_name, &YrlViewData::cut_plane_id, id);
}
int YrlViewCutPlaneIDGet(const char* view_name, int* id) {
  int status = record_id(view_name, &YrlViewData::cut_plane_id, id);
  return status == VYN_TK_NO_ERROR && *id < 1 ? VYN_TK_E_NOT_FOUND : status;
}

int YrlViewCutPlaneOutlineGet(const char* view_name, int* id, double points[2][3]) {
  int cut = 0;
  if (int status = record_id(view_name, &YrlViewData::cut_plane_id, &cut)) return status;
  if (id) *id = cut;
  VynMdl drawing = nullptr;
  if (int status = VynMdlCurrentGet(&drawing)) return status;
  VynModelitem item{YRL_DRAFT_ENTITY_TYPE, cut, drawing};
  return YrlGetEndPointsFromEntity(&item, points[0], points[1]);
}

int YrlViewCutPlaneStringDisplayGet(const char* view_name, char* text) {
  return record_id_text(view_name, &YrlViewData::cut_plane_id, text);
}
int YrlViewVPRStringDisplayGet(const char* view_name, char* text) {
  return record_id_text(view_name, &YrlViewData::vpr_id, text);
}
int YrlViewPositionStringDisplayGet(const char* view_name, char* text) {
  return record_id_text(view_name, &YrlViewData::position_id, text);
}
int YrlViewPosition1StringDisplayGet(const char* view_name, char* text) {
  return record_id_text(view_name, &YrlViewData::position1_id, text);
}
int YrlViewNameEntCountGet(const char* view_name, int* count) {
  return record_id(view_name, &YrlViewData::member_count, count);
}

int YrlViewSetupAutoViewNameGet(const char* view_name, char* name) {
  YrlViewData record;
  if (!name) return VYN_TK_BAD_INPUTS;
  if (YrlViewDataRead(view_name, &record) != VYN_TK_NO_ERROR) return VYN_TK_E_NOT_FOUND;
  name_copy_checked(name, record.dwg_view_name);
  return name[0] ? VYN_TK_NO_ERROR : VYN_TK_E_NOT_FOUND;
}

// ---- Writers ----

int YrlViewDataDwgScaleSet(const char* view_name, double scale) {
  YrlViewClassRegister();
  return YrlViewDataChange(view_name, [scale](YrlViewData& r) { r.scale = scale; });
}

int YrlViewSetupAutoViewNameSet(const char* view_name, const char* dwg_view_name) {
  if (!dwg_view_name) return VYN_TK_BAD_INPUTS;
  return YrlViewDataChange(view_name, [dwg_view_name](YrlViewData& r) { name_copy_checked(r.dwg_view_name, dwg_view_name); });
}

// ---- Highlights ----

int YrlEntHighlight(int entity_id) { return entity_mark(entity_id, true); }
int YrlEntUnhighlight(int entity_id) { return entity_mark(entity_id, false); }
int YrlViewVPREntHighlight(const char* view_name) { return record_highlight(view_name, &YrlViewData::vpr_id); }
int YrlViewCutPlaneEntHighlight(const char* view_name) {
  return record_highlight(view_name, &YrlViewData::cut_plane_id);
}
int YrlViewPositionEntHighlight(const char* view_name) {
  return record_highlight(view_name, &YrlViewData::position_id);
}
int YrlViewPosition1EntHighlight(const char* view_name) {
  return record_highlight(view_name, &YrlViewData::position1_id);
}

// ---- Drawing views and queries ----

int YrlViewNameToView(const char* view_name, VynView* view) {
  if (!view) return VYN_TK_BAD_INPUTS;
  YrlViewClassRegister();
  char name[YRL_VIEW_NAME_SIZE];
  if (int status = YrlViewSetupAutoViewNameGet(view_name, name)) return status;
  VynMdl drawing = nullptr;
  if (int status = VynMdlCurrentGet(&drawing)) return status;
  VynArray views = nullptr;
  if (int status = VynDrawingViewsCollect(drawing, &views)) return status;
  VynWchar wanted[YRL_VIEW_NAME_SIZE];
  vek::strtows_bounded(wanted, YRL_VIEW_NAME_SIZE, name);
  int count = 0;
  VynArraySizeGet(views, &count);
  for (int i = 0; i < count; ++i) {
    VynView candidate = static_cast<VynView*>(views)[i];
    VynName found = {};
    if (VynDrawingViewNameGet(drawing, candidate, found) == VYN_TK_NO_ERROR && VynUtilWstrcmp(found, wanted) == 0) {
      *view = candidate;
      break;
    }
  }
  VynArrayFree(&views);
  return VYN_TK_NO_ERROR;
}

namespace {

struct MinCount {
  int minimum;
  int count;
};

int min_count_visit(const char*, const YrlViewData& record, void* app_data) {
  auto* c = static_cast<MinCount*>(app_data);
  if (record.view_type == YRL_VIEW_ORTHO || record.view_type == YRL_VIEW_SECTION) ++c->count;
  return c->count >= c->minimum ? 1 : 0;
}

struct NameList {
  int type;
  int count;
  VynArray* narrow;
  VynArray* wide;
};

int names_visit(const char* view_name, const YrlViewData& record, void* app_data) {
  auto* list = static_cast<NameList*>(app_data);
  if (record.view_type != list->type) return 0;
  char narrow[YRL_VIEW_NAME_SIZE] = {};
  VynWchar wide[YRL_VIEW_NAME_SIZE] = {};
  name_copy_checked(narrow, view_name);
  vek::strtows_bounded(wide, YRL_VIEW_NAME_SIZE, narrow);
  if (list->narrow) VynArrayObjectAdd(list->narrow, -1, 1, narrow);
  if (list->wide) VynArrayObjectAdd(list->wide, -1, 1, wide);
  ++list->count;
  return 0;
}

}  // namespace

int YrlViewSetupMinNoOfViews(int minimum, int* count) {
  MinCount c{minimum, 0};
  int status = YrlViewRecordsVisit(min_count_visit, &c);
  if (count) *count = c.count;
  return status;
}

int YrlViewNamesGet(int type, int* count, VynArray* narrow, VynArray* wide) {
  if (count) *count = 0;
  if (narrow) {
    *narrow = nullptr;
    if (int status = VynArrayAlloc(0, YRL_VIEW_NAME_SIZE, 8, narrow)) return status;
  }
  if (wide) {
    *wide = nullptr;
    if (int status = VynArrayAlloc(0, YRL_VIEW_NAME_SIZE * static_cast<int>(sizeof(VynWchar)), 8, wide))
      return status;
  }
  NameList list{type, 0, narrow, wide};
  int status = YrlViewRecordsVisit(names_visit, &list);
  if (count) *count = list.count;
  return status;
}

int YrlViewSetupOrthoViewNamesGet(int* count, VynArray* narrow, VynArray* wide) {
  return YrlViewNamesGet(YRL_VIEW_ORTHO, count, narrow, wide);
}
