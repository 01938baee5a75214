// Creating and clearing named views, and the readers, writers, highlights and queries of
// their records beyond those the named-view code needs.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

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

// ---- Creation ----

namespace {

// The active part's automatic drawing view of a newly declared view, on the part's own
// sheet once it has one, and the view's pair in the part's mapping.
void active_part_view_add(const char* view_name) {
  VynMdl part = nullptr;
  char part_name[YRL_MODEL_NAME_SIZE] = "";
  if (YrlActiveModelGet(&part) != VYN_TK_NO_ERROR || !part) return;
  // The part's sheet and mapping are kept in class "Y_P", which View Setup's command does
  // not register.
  YrlPartClassRegister();
  YrlActiveModelNameGet(part_name);
  int sheet = 0;
  if (!part_name[0] || YrlDrwPartSheetNumGet(part_name, &sheet) != VYN_TK_NO_ERROR || sheet <= 1) return;
  VynMdl drawing = nullptr;
  VynMdlCurrentGet(&drawing);
  if (YrlDrwPartSheetViewCreate(view_name, drawing, part, sheet) == VYN_TK_NO_ERROR && YrlPreferencesAutoViewMapGet())
    YrlMappedViewAdd(part_name, part, view_name);
}

int name_taken(const char* view_name) {
  VynMessageDisplay(YrlMsgFile, "YRL_VIEW_NAME_TAKEN", view_name);
  return VYN_TK_E_FOUND;
}

// Whether a view record's name is the member slot "<view_name>_<i>" of an index below
// count.
bool is_member_slot(const char* record_name, const char* view_name, int count) {
  std::size_t length = std::strlen(view_name);
  if (std::strncmp(record_name, view_name, length) != 0 || record_name[length] != '_') return false;
  const char* digits = record_name + length + 1;
  char* end = nullptr;
  long index = std::strtol(digits, &end, 10);
  if (end == digits || *end || index < 0 || index >= count) return false;
  char formatted[24];
  std::snprintf(formatted, sizeof formatted, "%ld", index);
  return std::strcmp(formatted, digits) == 0;
}

// 0 when the view's member slots "<name>_<i>", i < count, can be made: their names fit
// (else "YRL_SLOT_NAME_TOO_LONG") and none of them is another view's record (else
// "YRL_VIEW_NAME_TAKEN").
int members_check(const char* view_name, int count) {
  if (count < 1) return VYN_TK_NO_ERROR;
  YrlSlotName slot;
  if (int status = YrlSlotNameFormat(slot, "%s_%d", view_name, count - 1)) return status;
  struct Find {
    const char* name;
    int count;
    bool clash;
  } find{view_name, count, false};
  YrlViewRecordsVisit(
      [](const char* record_name, const YrlViewData&, void* data) {
        auto* f = static_cast<Find*>(data);
        f->clash = is_member_slot(record_name, f->name, f->count);
        return f->clash ? 1 : 0;
      },
      &find);
  return find.clash ? name_taken(view_name) : VYN_TK_NO_ERROR;
}

void selections_free(VynArray* picks, int count) {
  if (!*picks) return;
  for (int i = 0; i < count; ++i) VynSelectionFree(&static_cast<VynSelection*>(*picks)[i]);
  VynArrayFree(picks);
}

// A view as it was before it was picked again: its record and the ids of the member
// slots that the new members overwrite.
struct PreviousView {
  bool existed = false;
  YrlViewData record{};
  int* ids = nullptr;
  int id_count = 0;
};

void previous_take(const char* view_name, int count, PreviousView* previous) {
  previous->existed = YrlViewDataReadMembers(view_name, &previous->record) == VYN_TK_NO_ERROR;
  if (!previous->existed) return;
  int n = std::min(previous->record.member_count, count);
  if (n < 1) return;
  previous->ids = static_cast<int*>(std::calloc(static_cast<std::size_t>(n), sizeof(int)));
  if (!previous->ids) return;
  for (int i = 0; i < n; ++i) {
    YrlSlotName slot;
    if (YrlSlotNameBuild(slot, "%s_%d", view_name, i) != VYN_TK_NO_ERROR ||
        YrlViewIntegerRetrieve(slot, &previous->ids[i]) != VYN_TK_NO_ERROR)
      break;
    previous->id_count = i + 1;
  }
}

// Puts the view back as it was (or removes the new record) after a failed creation: the
// record, the member slots below written that it had, and its members as the current
// group.
void previous_restore(const char* view_name, const PreviousView& previous, int written) {
  group_release_and_start();
  if (!previous.existed) {
    YrlViewStreamDelete(view_name);
    return;
  }
  YrlViewDataWrite(view_name, previous.record);
  for (int i = 0; i < written && i < previous.id_count; ++i) {
    YrlSlotName slot;
    if (YrlSlotNameBuild(slot, "%s_%d", view_name, i) == VYN_TK_NO_ERROR) YrlViewIntegerSave(slot, previous.ids[i]);
  }
  YrlViewDataGet(view_name, nullptr, nullptr, nullptr, 1);
}

}  // namespace

int YrlViewNameCheck(const char* view_name, int view_type) {
  if (!view_name) return VYN_TK_BAD_INPUTS;
  struct Find {
    const char* name;
    int type;
    bool clash;
  } find{view_name, view_type, false};
  YrlViewRecordsVisit(
      [](const char* record_name, const YrlViewData& record, void* data) {
        auto* f = static_cast<Find*>(data);
        f->clash = VynUtilStrcmp(record_name, f->name) == 0 && record.view_type != f->type;
        return f->clash ? 1 : 0;
      },
      &find);
  if (find.clash) return name_taken(view_name);
  // The drawing-wide slots are no view's name even before the drawing has them: the
  // first section's group counter or the first orthographic view's scale would be
  // written over the view's record.
  for (const char* shared : {"YRL_V_GROUPID", "YRL_DWGSCALE"})
    if (VynUtilStrcmp(view_name, shared) == 0) return name_taken(view_name);
  // A slot of that name that is no view record: the group counter, the drawing scale or
  // a member slot of another view.
  int type = 0, size = 0;
  void* data = nullptr;
  if (YrlViewSlotRetrieve(view_name, &type, &size, &data) == VYN_TK_NO_ERROR) {
    VynExtdataFree(&data);
    if (YrlViewDataRead(view_name, nullptr) != VYN_TK_NO_ERROR) return name_taken(view_name);
  }
  return VYN_TK_NO_ERROR;
}

int YrlCreateView(const char*, const char* view_name, int view_type) {
  if (!view_name || !view_name[0]) return VYN_TK_BAD_INPUTS;
  YrlSlotName record_slot;
  if (int status = YrlSlotNameFormat(record_slot, "%s", view_name)) return status;
  // A name held by a view of another kind, or by other view data, is refused before
  // anything is picked: picking would overwrite it.
  if (int status = YrlViewNameCheck(view_name, view_type)) return status;
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
  // Every member slot must be storable before anything is written.
  if (int failed = members_check(view_name, count)) {
    selections_free(&picks, count);
    return failed;
  }

  // A view picked again (its members were the current group) gets no automatic drawing
  // view; a new one does when the preference says so.
  int held = 0;
  if (view_sel) VynArraySizeGet(view_sel, &held);
  const int auto_view = held >= 1 ? 0 : YrlPreferencesAutoDrawingViewCreateGet();
  group_release_and_start();

  record.view_type = view_type;
  std::snprintf(record.view_name, sizeof record.view_name, "%s", view_name);
  YrlViewNameIdGet(view_name, &record.group_id);
  // A group id whose counter could not be stored would be handed out again: no view is
  // stored under it.
  int numbered = VYN_TK_NO_ERROR;
  if (view_type == YRL_VIEW_SECTION || view_type == YRL_VIEW_AUXILIARY || view_type == YRL_VIEW_DETAIL)
    numbered = YRLGetNewViewGroupID(&record.group_id);

  char panel[40];
  std::snprintf(panel, sizeof panel, "%sVScaleInput", prefix);
  double scale = 1.0;
  if (VynUIInputpanelDoubleGet(YRL_VIEW_SETUP_DIALOG, panel, &scale) != VYN_TK_NO_ERROR || !(scale > 0.0))
    scale = 1.0;
  record.scale = scale;

  PreviousView previous;
  previous_take(view_name, count, &previous);
  record.member_count = count;
  YrlViewClassRegister();
  // Storing: the record, each member, the record again. A failed store puts the view back
  // as it was, so that no record lists members that were not stored.
  int stored = numbered != VYN_TK_NO_ERROR ? numbered : YrlViewDataWrite(view_name, record);
  int written = 0;
  auto* selections = static_cast<VynSelection*>(picks);
  for (int i = 0; i < count; ++i) {
    VynModelitem item{};
    VynSelection selection = selections[i];
    int member = VynSelectionModelitemGet(selection, &item);
    if (VynArrayObjectAdd(&view_sel, -1, 1, &selection) != VYN_TK_NO_ERROR) VynSelectionFree(&selection);
    if (stored == VYN_TK_NO_ERROR && member == VYN_TK_NO_ERROR) {
      YrlSlotName slot;
      member = YrlSlotNameFormat(slot, "%s_%d", view_name, i);
      if (member == VYN_TK_NO_ERROR) member = YrlViewIntegerSave(slot, item.id);
      if (member == VYN_TK_NO_ERROR) written = i + 1;
    }
    if (stored == VYN_TK_NO_ERROR) stored = member;
    if (selection) status = YrlReferencePointGet(i == 0, view_name, selection, ref_point, bounds);
  }
  if (picks) VynArrayFree(&picks);
  if (count < 1) status = VYN_TK_NO_ERROR;
  if (stored == VYN_TK_NO_ERROR && status == VYN_TK_NO_ERROR) {
    bounds[0] -= kBoundsMargin;
    bounds[1] -= kBoundsMargin;
    bounds[3] += kBoundsMargin;
    bounds[4] += kBoundsMargin;
  }
  std::memcpy(record.bounds, bounds, sizeof bounds);
  std::memcpy(record.ref_point, ref_point, sizeof ref_point);
  if (stored == VYN_TK_NO_ERROR) stored = YrlViewDataWrite(view_name, record);
  if (stored == VYN_TK_NO_ERROR && view_type == YRL_VIEW_ORTHO) stored = YrlViewDoubleSave("YRL_DWGSCALE", scale);
  if (stored != VYN_TK_NO_ERROR) {
    previous_restore(view_name, previous, written);
    std::free(previous.ids);
    return stored;
  }
  std::free(previous.ids);
  if (count >= 1) {
    VynWindowRepaint(-1);
    VynWchar wide[YRL_VIEW_NAME_SIZE];
    vek::strtows_bounded(wide, YRL_VIEW_NAME_SIZE, view_name);
    YrlViewBoundDrawAllViews(wide);
    YrlViewCurrentViewShow(view_name);
  }
  if (auto_view && view_type == YRL_VIEW_ORTHO) active_part_view_add(view_name);
  return VYN_TK_NO_ERROR;
}

namespace {

// The drawing view of that host name; -4 when the drawing has none.
int drawing_view_named(VynMdl drawing, const char* name, VynView* view) {
  VynArray views = nullptr;
  if (int status = VynDrawingViewsCollect(drawing, &views)) return status;
  VynWchar wanted[YRL_VIEW_NAME_SIZE];
  vek::strtows_bounded(wanted, YRL_VIEW_NAME_SIZE, name);
  int count = 0;
  VynArraySizeGet(views, &count);
  int status = VYN_TK_E_NOT_FOUND;
  for (int i = 0; i < count && status != VYN_TK_NO_ERROR; ++i) {
    VynView candidate = static_cast<VynView*>(views)[i];
    VynName found = {};
    if (VynDrawingViewNameGet(drawing, candidate, found) == VYN_TK_NO_ERROR && VynUtilWstrcmp(found, wanted) == 0) {
      *view = candidate;
      status = VYN_TK_NO_ERROR;
    }
  }
  VynArrayFree(&views);
  return status;
}

// Deletes the drawing view of that host name: 0 when it was deleted, -4 when the drawing
// has none, else the failure.
int drawing_view_delete_named(VynMdl drawing, const char* name) {
  VynView view = nullptr;
  int status = drawing_view_named(drawing, name, &view);
  return status == VYN_TK_NO_ERROR ? VynDrawingViewDelete(drawing, view, 1) : status;
}

// The names of the drawing's parts in session (YRL_MODEL_NAME_SIZE blocks); count 0 when
// none can be had.
struct PartNames {
  char (*names)[YRL_MODEL_NAME_SIZE] = nullptr;
  int count = 0;
};

PartNames part_names(VynMdl drawing) {
  PartNames parts;
  VynArray solids = nullptr;
  if (VynDrawingSolidsCollect(drawing, &solids) != VYN_TK_NO_ERROR || !solids) return parts;
  int count = 0;
  VynArraySizeGet(solids, &count);
  parts.names = static_cast<char(*)[YRL_MODEL_NAME_SIZE]>(
      std::calloc(static_cast<std::size_t>(count > 0 ? count : 1), YRL_MODEL_NAME_SIZE));
  for (int i = 0; parts.names && i < count; ++i) {
    VynName wide{};
    if (VynMdlNameGet(static_cast<VynMdl*>(solids)[i], wide) != VYN_TK_NO_ERROR) continue;
    vek::wstostr_bounded(parts.names[parts.count++], YRL_MODEL_NAME_SIZE, wide);
  }
  VynArrayFree(&solids);
  return parts;
}

}  // namespace

int YrlClearView(const char* view_name) {
  if (!view_name) return VYN_TK_BAD_INPUTS;
  group_release_and_start();
  YrlViewData record{};
  bool has_record = YrlViewDataRead(view_name, &record) == VYN_TK_NO_ERROR;
  // The parts' drawing views and mappings are kept in class "Y_P", which View Setup's
  // command does not register.
  YrlPartClassRegister();
  VynMdl drawing = nullptr;
  VynMdlCurrentGet(&drawing);
  PartNames parts = part_names(drawing);
  bool deleted = false;
  // Every part's drawing view of the view, as the part keeps its name, then the one the
  // record names (the last made, and the only one a drawing of older data keeps).
  for (int i = 0; has_record && i < parts.count; ++i) {
    YrlSlotName slot;
    char name[YRL_STORE_STRING_SIZE] = "";
    if (YrlPartViewSlotName(slot, parts.names[i], record.group_id) != VYN_TK_NO_ERROR ||
        YrlPartStringRetrieve(slot, name) != VYN_TK_NO_ERROR)
      continue;
    int status = drawing_view_delete_named(drawing, name);
    if (status == VYN_TK_NO_ERROR) deleted = true;
    // The part forgets a drawing view that is gone, not one that could not be deleted.
    if (status == VYN_TK_NO_ERROR || status == VYN_TK_E_NOT_FOUND) YrlPartStreamDelete(slot);
  }
  if (has_record && record.dwg_view_name[0] &&
      drawing_view_delete_named(drawing, record.dwg_view_name) == VYN_TK_NO_ERROR)
    deleted = true;
  if (deleted)
    for (int i = 0; i < parts.count; ++i) YrlMappedViewRemove(parts.names[i], view_name);
  std::free(parts.names);
  int status = YrlViewStreamDelete(view_name);
  VynWchar wide[YRL_VIEW_NAME_SIZE];
  vek::strtows_bounded(wide, YRL_VIEW_NAME_SIZE, view_name);
  YrlViewBoundDrawAllViews(wide);
  YrlViewCurrentViewShow("NONE");
  return status;
}

int YrlViewSetupEntityAdd(const char* view_name, int entity_id) {
  YrlViewData record;
  // A damaged count is cut to the slots the drawing holds: past it the new member would
  // be out of every walk's reach, and one more than INT_MAX no count at all.
  if (YrlViewDataReadMembers(view_name, &record) != VYN_TK_NO_ERROR) return VYN_TK_E_NOT_FOUND;
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
  std::memcpy(name, record.dwg_view_name, YRL_VIEW_NAME_SIZE);
  return name[0] ? VYN_TK_NO_ERROR : VYN_TK_E_NOT_FOUND;
}

// ---- Writers ----

int YrlViewDataDwgScaleSet(const char* view_name, double scale) {
  YrlViewClassRegister();
  return YrlViewDataChange(view_name, [scale](YrlViewData& r) { r.scale = scale; });
}

int YrlViewSetupAutoViewNameSet(const char* view_name, const char* dwg_view_name) {
  // A name cut to the field would name no drawing view.
  if (!dwg_view_name || strnlen(dwg_view_name, YRL_VIEW_NAME_SIZE) >= YRL_VIEW_NAME_SIZE) return VYN_TK_BAD_INPUTS;
  return YrlViewDataChange(view_name, [dwg_view_name](YrlViewData& r) {
    std::snprintf(r.dwg_view_name, sizeof r.dwg_view_name, "%s", dwg_view_name);
  });
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
  int status = drawing_view_named(drawing, name, view);
  return status == VYN_TK_E_NOT_FOUND ? VYN_TK_NO_ERROR : status;
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
  std::snprintf(narrow, sizeof narrow, "%s", view_name);
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
