#include "app/parts/autoview.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "app/menus/app_init.h"
#include "app/prefs/prefs.h"
#include "app/storage/storage.h"
#include "app/util/apputil.h"
#include "app/views/viewdata.h"
#include "app/views/views.h"
#include "runtime/text/wide.h"
#include "toolkit/util/strutil.h"
#include "toolkit/api/app_api.h"

int YrlSplitAtSeperator(const char* text, char (*fields)[YRL_MAP_FIELD_SIZE], int max_fields) {
  if (!text || !fields || max_fields < 1) return -1;
  int field = 0, length = 0;
  for (const char* c = text;; ++c) {
    if (*c == ',' || *c == '\0') {
      fields[field][length] = '\0';
      ++field;
      length = 0;
      if (*c == '\0') return field;
      if (field >= max_fields) return -1;
      continue;
    }
    if (length >= YRL_MAP_FIELD_SIZE - 1) return -1;
    fields[field][length++] = *c;
  }
}

namespace {

void free_strings(VynArray* strings) {
  if (!*strings) return;
  int count = 0;
  VynArraySizeGet(*strings, &count);
  for (int i = 0; i < count; ++i) std::free(static_cast<char**>(*strings)[i]);
  VynArrayFree(strings);
}

}  // namespace

int YrlMappedViewsGet(const char* key, VynArray* views, VynArray* sides, VynArray* ids, int* count) {
  if (count) *count = 0;
  if (views) *views = nullptr;
  if (sides) *sides = nullptr;
  if (ids) *ids = nullptr;
  if (!key) return VYN_TK_BAD_INPUTS;
  VynArray stored = nullptr;
  int status = YrlPartStringArrayRetrieve(key, &stored);
  if (status != VYN_TK_NO_ERROR) return status;
  int n = 0;
  if (stored) VynArraySizeGet(stored, &n);
  // Sized by the stored count: each entry gives at most one pair.
  if (views) VynArrayAlloc(0, YRL_MAP_FIELD_SIZE, n > 0 ? n : 1, views);
  if (sides) VynArrayAlloc(0, YRL_MAP_FIELD_SIZE, n > 0 ? n : 1, sides);
  if (ids) VynArrayAlloc(0, static_cast<int>(sizeof(int)), n > 0 ? n : 1, ids);
  int pairs = 0;
  for (int i = 0; i < n; ++i) {
    char fields[3][YRL_MAP_FIELD_SIZE];
    // Drawing data: an entry with extra commas or long fields is refused, not split.
    if (YrlSplitAtSeperator(static_cast<char**>(stored)[i], fields, 3) != 3) continue;
    int id = std::atoi(fields[2]);
    if (views) VynArrayObjectAdd(views, -1, 1, fields[0]);
    if (sides) VynArrayObjectAdd(sides, -1, 1, fields[1]);
    if (ids) VynArrayObjectAdd(ids, -1, 1, &id);
    ++pairs;
  }
  free_strings(&stored);
  if (count) *count = pairs;
  return VYN_TK_NO_ERROR;
}


// ---- Names ----

namespace {

constexpr char kDlg[] = "yrlautoview";
constexpr int kField = YRL_MAP_FIELD_SIZE;

struct Pair {
  const char* view;
  const char* side;
};
constexpr Pair kPairs[] = {{"TOP", "TOP(Side1)"},     {"FRONT", "FRONT(Side1)"}, {"RIGHT", "RIGHT(Side1)"},
                           {"BOTTOM", "TOP(Side2)"}, {"REAR", "FRONT(Side2)"},  {"LEFT", "RIGHT(Side2)"}};

YrlAutoViewData* record_of(void* app_data) { return static_cast<YrlAutoViewData*>(app_data); }

char* block(VynArray array, int i) { return static_cast<char*>(array) + kField * i; }
VynWchar* wide_block(VynArray array, int i) { return static_cast<VynWchar*>(array) + kField * i; }

int array_new(int size, VynArray* array) { return VynArrayAlloc(0, size, 8, array); }

void array_release(VynArray* array) {
  if (*array) VynArrayFree(array);
}

// Adds a narrow name and its wide label as blocks.
int name_add(VynArray* names, VynArray* labels, const char* name) {
  char narrow[kField] = {};
  std::snprintf(narrow, sizeof narrow, "%s", name);
  VynWchar wide[kField] = {};
  vek::strtows_bounded(wide, kField, narrow);
  int status = VynArrayObjectAdd(names, -1, 1, narrow);
  if (status == VYN_TK_NO_ERROR) status = VynArrayObjectAdd(labels, -1, 1, wide);
  return status;
}

}  // namespace

int YrlStringCompare(const void* a, const void* b) {
  return std::strcmp(static_cast<const char*>(a), static_cast<const char*>(b));
}

int YrlViewName2d3dCompare(const char* view, const char* side) {
  if (!view || !side) return 0;
  for (const Pair& p : kPairs)
    if (VynUtilStrcmp(view, p.view) == 0 && VynUtilStrcmp(side, p.side) == 0) return 1;
  return 0;
}

int YrlAutoViewFreeData(YrlAutoViewData* data) {
  for (VynArray* a : {&data->view_names, &data->view_labels, &data->side_names, &data->side_ids, &data->side_labels,
                      &data->mapped_ids, &data->mapped_names, &data->mapped_labels, &data->row_names})
    array_release(a);
  data->view_count = data->side_count = data->mapped_count = 0;
  return 0;
}

int YrlAutoViewInitData(YrlAutoViewData* data) {
  VynName wide{};
  int status = VynMdlNameGet(data->part, wide);
  if (status != VYN_TK_NO_ERROR) return status;
  vek::wstostr_bounded(data->part_name, sizeof data->part_name, wide);
  // The declared orthographic views, sorted.
  VynArray narrow = nullptr;
  int count = 0;
  status = YrlViewSetupOrthoViewNamesGet(&count, &narrow, nullptr);
  if (status != VYN_TK_NO_ERROR) {
    array_release(&narrow);
    return status;
  }
  if (count > 1) std::qsort(narrow, static_cast<std::size_t>(count), YRL_VIEW_NAME_SIZE, YrlStringCompare);
  if ((status = array_new(kField, &data->view_names)) != VYN_TK_NO_ERROR ||
      (status = array_new(kField * static_cast<int>(sizeof(VynWchar)), &data->view_labels)) != VYN_TK_NO_ERROR) {
    array_release(&narrow);
    return status;
  }
  for (int i = 0; i < count && status == VYN_TK_NO_ERROR; ++i)
    status = name_add(&data->view_names, &data->view_labels, static_cast<char*>(narrow) + YRL_VIEW_NAME_SIZE * i);
  array_release(&narrow);
  if (status != VYN_TK_NO_ERROR) return status;
  data->view_count = count;
  // The datum sides, sorted by name, each keeping its id.
  VynArray ids = nullptr, names = nullptr;
  int sides = 0;
  if ((status = YrlDatumNamesGet(data->part, &sides, &ids, &names)) != VYN_TK_NO_ERROR) return status;
  struct Side {
    char name[kField];
    int id;
  };
  Side* sorted = static_cast<Side*>(std::calloc(static_cast<std::size_t>(sides > 0 ? sides : 1), sizeof(Side)));
  for (int i = 0; sorted && i < sides; ++i) {
    vek::wstostr_bounded(sorted[i].name, kField, static_cast<VynWchar**>(names)[i]);
    sorted[i].id = static_cast<int*>(ids)[i];
  }
  for (int i = 0; i < sides; ++i) std::free(static_cast<VynWchar**>(names)[i]);
  array_release(&names);
  array_release(&ids);
  if (!sorted) return VYN_TK_GENERAL_ERROR;
  if (sides > 1) std::qsort(sorted, static_cast<std::size_t>(sides), sizeof(Side), YrlStringCompare);
  status = array_new(kField, &data->side_names);
  if (status == VYN_TK_NO_ERROR) status = array_new(kField * static_cast<int>(sizeof(VynWchar)), &data->side_labels);
  if (status == VYN_TK_NO_ERROR) status = array_new(static_cast<int>(sizeof(int)), &data->side_ids);
  for (int i = 0; i < sides && status == VYN_TK_NO_ERROR; ++i) {
    status = name_add(&data->side_names, &data->side_labels, sorted[i].name);
    if (status == VYN_TK_NO_ERROR) status = VynArrayObjectAdd(&data->side_ids, -1, 1, &sorted[i].id);
  }
  std::free(sorted);
  if (status == VYN_TK_NO_ERROR) data->side_count = sides;
  return status;
}

// ---- Dialog lists ----

int YrlOneListSet(const char* dialog, const char* list, int count, VynArray names, VynArray labels) {
  VynArray name_list = nullptr, label_list = nullptr;
  array_new(static_cast<int>(sizeof(char*)), &name_list);
  array_new(static_cast<int>(sizeof(VynWchar*)), &label_list);
  for (int i = 0; i < count; ++i) {
    const char* n = block(names, i);
    const VynWchar* l = wide_block(labels, i);
    VynArrayObjectAdd(&name_list, -1, 1, &n);
    VynArrayObjectAdd(&label_list, -1, 1, &l);
  }
  int status = VynUIListNamesSet(dialog, list, count, name_list);
  if (status == VYN_TK_NO_ERROR) status = VynUIListLabelsSet(dialog, list, count, label_list);
  array_release(&name_list);
  array_release(&label_list);
  return status;
}

namespace {

void lists_refresh(const char* dialog, YrlAutoViewData* data) {
  YrlOneListSet(dialog, "List1", data->view_count, data->view_names, data->view_labels);
  YrlOneListSet(dialog, "List2", data->side_count, data->side_names, data->side_labels);
}

int find_block(VynArray names, int count, const char* name) {
  for (int i = 0; i < count; ++i)
    if (std::strcmp(block(names, i), name) == 0) return i;
  return -1;
}

}  // namespace

int YrlMapViewDtmNames(const char* dialog, const char* view, const char* side, YrlAutoViewData* data) {
  int status = VYN_TK_NO_ERROR;
  // The mapped rows grow with the pairs: no fixed number of rows to run past.
  if (!data->mapped_ids) {
    status = array_new(2 * static_cast<int>(sizeof(int)), &data->mapped_ids);
    if (status == VYN_TK_NO_ERROR) status = array_new(2 * kField, &data->mapped_names);
    if (status == VYN_TK_NO_ERROR) status = array_new(2 * kField * static_cast<int>(sizeof(VynWchar)), &data->mapped_labels);
    if (status == VYN_TK_NO_ERROR) status = array_new(YRL_MAP_ROW_NAME_SIZE, &data->row_names);
    if (status != VYN_TK_NO_ERROR) return status;
  }
  int ids[2] = {-1, 0};
  char names[2][kField] = {};
  VynWchar labels[2][kField] = {};
  int v = find_block(data->view_names, data->view_count, view);
  if (v >= 0) {
    std::memcpy(names[0], block(data->view_names, v), kField);
    std::memcpy(labels[0], wide_block(data->view_labels, v), sizeof labels[0]);
    VynArrayObjectRemove(&data->view_names, v, 1);
    VynArrayObjectRemove(&data->view_labels, v, 1);
    --data->view_count;
  }
  int s = find_block(data->side_names, data->side_count, side);
  if (s >= 0) {
    std::memcpy(names[1], block(data->side_names, s), kField);
    std::memcpy(labels[1], wide_block(data->side_labels, s), sizeof labels[1]);
    ids[1] = static_cast<int*>(data->side_ids)[s];
    VynArrayObjectRemove(&data->side_names, s, 1);
    VynArrayObjectRemove(&data->side_labels, s, 1);
    VynArrayObjectRemove(&data->side_ids, s, 1);
    --data->side_count;
  }
  if ((status = VynArrayObjectAdd(&data->mapped_ids, -1, 1, ids)) != VYN_TK_NO_ERROR ||
      (status = VynArrayObjectAdd(&data->mapped_names, -1, 1, names)) != VYN_TK_NO_ERROR ||
      (status = VynArrayObjectAdd(&data->mapped_labels, -1, 1, labels)) != VYN_TK_NO_ERROR)
    return status;
  int index = data->mapped_count++;
  int made = 0;
  VynArraySizeGet(data->row_names, &made);
  for (int i = made; i <= index; ++i) {
    char row[YRL_MAP_ROW_NAME_SIZE];
    std::snprintf(row, sizeof row, "Row%d", i);
    VynArrayObjectAdd(&data->row_names, -1, 1, row);
  }
  if (!dialog) return VYN_TK_NO_ERROR;
  lists_refresh(dialog, data);
  char* row = static_cast<char*>(data->row_names) + YRL_MAP_ROW_NAME_SIZE * index;
  status = VynUITableRowsInsert(dialog, "VwTable", nullptr, 1, &row);
  for (int i = 0; i < data->mapped_count && status == VYN_TK_NO_ERROR; ++i) {
    const char* r = static_cast<char*>(data->row_names) + YRL_MAP_ROW_NAME_SIZE * i;
    const VynWchar* pair = static_cast<VynWchar*>(data->mapped_labels) + 2 * kField * i;
    status = VynUITableCellLabelSet(dialog, "VwTable", r, "VwName", pair);
    if (status == VYN_TK_NO_ERROR) status = VynUITableCellLabelSet(dialog, "VwTable", r, "DtmPlane", pair + kField);
  }
  return status;
}

int YrlMapAllViewsDtms(const char* dialog, int count_unmatched, YrlAutoViewData* data) {
  int unmatched = 0;
  if (count_unmatched == 1) {
    for (int v = 0; v < data->view_count; ++v) {
      bool found = false;
      for (int s = 0; s < data->side_count && !found; ++s)
        found = YrlViewName2d3dCompare(block(data->view_names, v), block(data->side_names, s)) == 1;
      if (!found) ++unmatched;
    }
  }
  int made = 0, status = VYN_TK_NO_ERROR;
  for (bool again = true; again && status == VYN_TK_NO_ERROR;) {
    again = false;
    for (int v = 0; v < data->view_count && status == VYN_TK_NO_ERROR; ++v) {
      for (int s = 0; s < data->side_count; ++s) {
        if (!YrlViewName2d3dCompare(block(data->view_names, v), block(data->side_names, s))) continue;
        char view[kField], side[kField];
        std::memcpy(view, block(data->view_names, v), kField);
        std::memcpy(side, block(data->side_names, s), kField);
        status = YrlMapViewDtmNames(dialog, view, side, data);
        ++made;
        again = true;
        --v;  // the list moved up one
        break;
      }
    }
  }
  if (status != VYN_TK_NO_ERROR) return status;
  if (count_unmatched == 1 && unmatched >= 1 && made < 3) return VYN_TK_USER_ABORT;
  return VYN_TK_NO_ERROR;
}

int YrlAutoViewSetViewCplNames(const char* dialog, YrlAutoViewData* data) {
  VynArray views = nullptr, sides = nullptr;
  int count = 0;
  if (YrlMappedViewsGet(data->part_name, &views, &sides, nullptr, &count) == VYN_TK_NO_ERROR)
    for (int i = 0; i < count; ++i) YrlMapViewDtmNames(dialog, block(views, i), block(sides, i), data);
  array_release(&views);
  array_release(&sides);
  lists_refresh(dialog, data);
  return VYN_TK_NO_ERROR;
}

// ---- Stored mappings ----

namespace {

// The stored entries of key as a new host array of char* (calloc'ed); an empty array when
// none are stored.
int entries_read(const char* key, VynArray* entries) {
  *entries = nullptr;
  if (YrlPartStringArrayRetrieve(key, entries) != VYN_TK_NO_ERROR || !*entries) {
    if (*entries) free_strings(entries);
    return array_new(static_cast<int>(sizeof(char*)), entries);
  }
  return VYN_TK_NO_ERROR;
}

void entry_text(char* text, int size, const char* view, const char* side, int id) {
  std::snprintf(text, static_cast<std::size_t>(size), "%s%s%s%s%d", view, ",", side, ",", id);
}

}  // namespace

int YrlMappedViewAdd(const char* key, VynMdl part, const char* view) {
  if (!key || !view) return VYN_TK_BAD_INPUTS;
  VynArray entries = nullptr;
  int status = entries_read(key, &entries);
  int index = 0;
  if (entries) VynArraySizeGet(entries, &index);
  free_strings(&entries);
  if (status != VYN_TK_NO_ERROR) return status;
  VynArray ids = nullptr, names = nullptr;
  int count = 0;
  status = YrlDatumNamesGet(part, &count, &ids, &names);
  char text[YRL_STORE_STRING_SIZE] = "";
  for (int i = 0; i < count && !text[0]; ++i) {
    char side[kField];
    vek::wstostr_bounded(side, kField, static_cast<VynWchar**>(names)[i]);
    if (YrlViewName2d3dCompare(view, side)) entry_text(text, sizeof text, view, side, static_cast<int*>(ids)[i]);
  }
  for (int i = 0; i < count; ++i) std::free(static_cast<VynWchar**>(names)[i]);
  array_release(&names);
  array_release(&ids);
  if (!text[0]) return status;
  YrlSlotName slot;
  if ((status = YrlSlotNameFormat(slot, "V_%s_%d", key, index)) != VYN_TK_NO_ERROR) return status;
  if ((status = YrlPartStringSave(slot, text)) != VYN_TK_NO_ERROR) return status;
  if ((status = YrlSlotNameFormat(slot, "V_%s_CNT", key)) != VYN_TK_NO_ERROR) return status;
  return YrlPartIntegerSave(slot, index + 1);
}

int YrlMappedViewRemove(const char* key, const char* view) {
  if (!key || !view) return VYN_TK_BAD_INPUTS;
  VynArray entries = nullptr;
  if (YrlPartStringArrayRetrieve(key, &entries) != VYN_TK_NO_ERROR || !entries) return VYN_TK_E_NOT_FOUND;
  int count = 0;
  VynArraySizeGet(entries, &count);
  int found = -1;
  for (int i = 0; i < count && found < 0; ++i) {
    char fields[3][kField];
    if (YrlSplitAtSeperator(static_cast<char**>(entries)[i], fields, 3) == 3 && VynUtilStrcmp(fields[0], view) == 0)
      found = i;
  }
  int status = VYN_TK_E_NOT_FOUND;
  if (found >= 0) {
    std::free(static_cast<char**>(entries)[found]);
    VynArrayObjectRemove(&entries, found, 1);
    status = YrlPartStringArraySave(key, entries);
  }
  free_strings(&entries);
  return status;
}

int YrlMapped2dViewDtmIdGet(const char* key, const char* view, char* side_out, int* id_out) {
  if (!key || !view) return VYN_TK_BAD_INPUTS;
  char name[YRL_VIEW_NAME_SIZE];
  std::snprintf(name, sizeof name, "%s", view);
  int group = 0, type = 0;
  if (YrlViewSetupGroupIdFromNameGet(view, &group, &type) == VYN_TK_NO_ERROR && IsYrlViewTypeDetail(group)) {
    char parent[YRL_VIEW_NAME_SIZE] = "";
    if (YrlViewParentViewNameGet(view, parent) == VYN_TK_NO_ERROR && parent[0])
      std::snprintf(name, sizeof name, "%s", parent);
  }
  VynArray views = nullptr, sides = nullptr, ids = nullptr;
  int count = 0;
  int status = YrlMappedViewsGet(key, &views, &sides, &ids, &count);
  for (int i = 0; status == VYN_TK_NO_ERROR && i < count; ++i) {
    if (VynUtilStrcmp(block(views, i), name) != 0) continue;
    if (side_out) std::snprintf(side_out, kField, "%s", block(sides, i));
    if (id_out) *id_out = static_cast<int*>(ids)[i];
    break;
  }
  array_release(&views);
  array_release(&sides);
  array_release(&ids);
  return status;
}

int YrlDrwPartSheetNumSet(const char* key, int sheet) {
  YrlSlotName slot;
  int status = YrlSlotNameFormat(slot, "V_%s_SHT", key);
  return status == VYN_TK_NO_ERROR ? YrlPartIntegerSave(slot, sheet) : status;
}

int YrlDrwPartSheetNumGet(const char* key, int* sheet) {
  YrlSlotName slot;
  int status = YrlSlotNameBuild(slot, "V_%s_SHT", key);
  return status == VYN_TK_NO_ERROR ? YrlPartIntegerRetrieve(slot, sheet) : status;
}

// ---- Drawing views ----

namespace {

void scale_check(VynMdl drawing, VynMdl part, int sheet, double wanted) {
  double read = 0;
  if (VynDrawingScaleGet(drawing, part, sheet, &read) == VYN_TK_NO_ERROR && std::fabs(read - wanted) > 0.01)
    VynMessageDisplay(YrlMsgFile, "YRLFORM_SCALE_SET_ERROR", &wanted, &read);
}

}  // namespace

int YrlPartViewSlotName(YrlSlotName& slot, const char* part_name, int group_id) {
  return YrlSlotNameBuild(slot, "V_%s_DV%d", part_name, group_id);
}

int YrlDrwPartSheetViewCreate(const char* view, VynMdl drawing, VynMdl part, int sheet) {
  static const double identity[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  static const double top[4][4] = {{1, 0, 0, 0}, {0, 0, 1, 0}, {0, 1, 0, 0}, {0, 0, 0, 1}};
  static const double right[4][4] = {{0, 0, 1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 0, 1}};
  struct Turn {
    const char* name;
    const double (*orientation)[4];
  };
  static const Turn turns[] = {{"FRONT", identity}, {"REAR", identity}, {"TOP", top},
                               {"BOTTOM", top},     {"RIGHT", right},   {"LEFT", right}};
  if (!view) return VYN_TK_BAD_INPUTS;
  const double(*orientation)[4] = nullptr;
  for (const Turn& t : turns)
    if (VynUtilStrcmp(view, t.name) == 0) orientation = t.orientation;
  // Only the orthographic views face a way the part's datum planes give: a section,
  // auxiliary or detail view has no drawing view of its own.
  int group = 0, type = 0;
  if (!orientation || YrlViewSetupGroupIdFromNameGet(view, &group, &type) != VYN_TK_NO_ERROR ||
      type != YRL_VIEW_ORTHO)
    return VYN_TK_BAD_INPUTS;
  double scale = 0, position[3] = {0, 0, 0};
  int status = YrlViewNameCentrePointGet(view, &scale, position);
  if (status != VYN_TK_NO_ERROR) return status;
  position[2] = 0;
  double sheet_scale = 0;
  if ((status = VynDrawingScaleGet(drawing, part, sheet, &sheet_scale)) != VYN_TK_NO_ERROR) return status;
  VynView made = nullptr;
  status = VynDrawingGeneralviewCreate(drawing, part, sheet, 0, position, 0.0, orientation, &made);
  if (status != VYN_TK_NO_ERROR) return status;
  VynWchar wide[kField] = {};
  if ((status = VynDrawingViewNameGet(drawing, made, wide)) == VYN_TK_NO_ERROR) {
    char name[kField];
    vek::wstostr_bounded(name, kField, wide);
    status = YrlViewSetupAutoViewNameSet(view, name);
    VynName part_wide{};
    char part_name[YRL_MODEL_NAME_SIZE];
    YrlSlotName slot;
    if (status == VYN_TK_NO_ERROR && (status = VynMdlNameGet(part, part_wide)) == VYN_TK_NO_ERROR &&
        vek::wstostr_bounded(part_name, sizeof part_name, part_wide) == 0 &&
        (status = YrlPartViewSlotName(slot, part_name, group)) == VYN_TK_NO_ERROR)
      status = YrlPartStringSave(slot, name);
  }
  double now = 0;
  if (VynDrawingScaleGet(drawing, part, sheet, &now) == VYN_TK_NO_ERROR && std::fabs(now - sheet_scale) > 0.01) {
    VynDrawingScaleSet(drawing, part, sheet, sheet_scale);
    scale_check(drawing, part, sheet, sheet_scale);
  }
  return status;
}

int YrlNewPartAutoViewCreate(YrlAutoViewData* data) {
  int sheet = 0;
  int status = VynDrawingSheetCreate(data->drawing, &sheet);
  if (status != VYN_TK_NO_ERROR) return status;
  if (sheet <= 0) return VYN_TK_GENERAL_ERROR;
  int current = 1;
  VynDrawingCurrentSheetGet(data->drawing, &current);
  YrlDrwPartSheetNumSet(data->part_name, sheet);
  VynDrawingCurrentSheetSet(data->drawing, sheet);
  double scale = 1.0;
  if (YrlViewDoubleRetrieve("YRL_DWGSCALE", &scale) != VYN_TK_NO_ERROR) scale = 1.0;
  if (VynDrawingScaleSet(data->drawing, data->part, sheet, scale) == VYN_TK_NO_ERROR)
    scale_check(data->drawing, data->part, sheet, scale);
  for (int i = 0; i < data->mapped_count && status == VYN_TK_NO_ERROR; ++i)
    status = YrlDrwPartSheetViewCreate(static_cast<char*>(data->mapped_names) + 2 * kField * i, data->drawing,
                                       data->part, sheet);
  VynDrawingCurrentSheetSet(data->drawing, current);
  return status;
}

// ---- The dialog ----

void YrlAutoViewCancelAction(char* dialog, char*, void*) { VynUIDialogExit(dialog, -1); }

void YrlAutoViewOKAction(char* dialog, char*, void* app_data) {
  YrlAutoViewData* data = record_of(app_data);
  if (std::strlen(data->part_name) > static_cast<std::size_t>(YRL_PART_NAME_MAX)) {
    VynMessageDisplay(YrlMsgFile, "YRL_NEWPART_LENGTH");
    return;
  }
  VynArray texts = nullptr, list = nullptr;
  array_new(YRL_STORE_STRING_SIZE, &texts);
  array_new(static_cast<int>(sizeof(char*)), &list);
  for (int i = 0; i < data->mapped_count; ++i) {
    char text[YRL_STORE_STRING_SIZE];
    const char* pair = static_cast<char*>(data->mapped_names) + 2 * kField * i;
    entry_text(text, sizeof text, pair, pair + kField, static_cast<int*>(data->mapped_ids)[2 * i + 1]);
    VynArrayObjectAdd(&texts, -1, 1, text);
  }
  for (int i = 0; i < data->mapped_count; ++i) {
    const char* t = static_cast<char*>(texts) + YRL_STORE_STRING_SIZE * i;
    VynArrayObjectAdd(&list, -1, 1, &t);
  }
  int status = YrlPartStringArraySave(data->part_name, list);
  array_release(&list);
  array_release(&texts);
  if (status != VYN_TK_NO_ERROR) return;
  int create = YrlPreferencesAutoDrawingViewCreateGet();
  if (!create) {
    int ok = 0;
    OkCancelDialog("Auto Drawing View?", "Auto drawing View Preference option is OFF, Switch it ON?", &ok);
    if (ok) {
      YrlPreferencesAutoDrawingViewCreateSet(1);
      create = 1;
    }
  }
  if (create) {
    int sheet = 0;
    if (YrlDrwPartSheetNumGet(data->part_name, &sheet) != VYN_TK_NO_ERROR || sheet <= 0)
      status = YrlNewPartAutoViewCreate(data);
  }
  if (status == VYN_TK_NO_ERROR && dialog) VynUIDialogExit(dialog, 0);
}

void YrlAutoViewMapAction(char* dialog, char*, void* app_data) {
  YrlAutoViewData* data = record_of(app_data);
  int views = 0, sides = 0;
  char** view_names = nullptr;
  char** side_names = nullptr;
  VynUIListSelectednamesGet(dialog, "List1", &views, &view_names);
  VynUIListSelectednamesGet(dialog, "List2", &sides, &side_names);
  if (views == 1 && sides == 1 && view_names && side_names) {
    char view[kField], side[kField];
    std::snprintf(view, sizeof view, "%s", view_names[0]);
    std::snprintf(side, sizeof side, "%s", side_names[0]);
    if (YrlMapViewDtmNames(dialog, view, side, data) == VYN_TK_NO_ERROR) YrlMapAllViewsDtms(dialog, 0, data);
  }
  if (view_names) VynStringarrayFree(view_names, views);
  if (side_names) VynStringarrayFree(side_names, sides);
}

void YrlAutoViewRemMapAction(char* dialog, char*, void* app_data) {
  YrlAutoViewData* data = record_of(app_data);
  for (int i = 0; i < data->mapped_count; ++i) {
    char* row = static_cast<char*>(data->row_names) + YRL_MAP_ROW_NAME_SIZE * i;
    VynUITableRowsDelete(dialog, "VwTable", 1, &row);
    const char* names = static_cast<char*>(data->mapped_names) + 2 * kField * i;
    const VynWchar* labels = static_cast<VynWchar*>(data->mapped_labels) + 2 * kField * i;
    int id = static_cast<int*>(data->mapped_ids)[2 * i + 1];
    if (names[0]) {
      VynArrayObjectAdd(&data->view_names, -1, 1, names);
      VynArrayObjectAdd(&data->view_labels, -1, 1, labels);
      ++data->view_count;
    }
    if (names[kField]) {
      VynArrayObjectAdd(&data->side_names, -1, 1, names + kField);
      VynArrayObjectAdd(&data->side_labels, -1, 1, labels + kField);
      VynArrayObjectAdd(&data->side_ids, -1, 1, &id);
      ++data->side_count;
    }
  }
  if (data->mapped_count > 0) {
    VynArrayObjectRemove(&data->mapped_ids, 0, data->mapped_count);
    VynArrayObjectRemove(&data->mapped_names, 0, data->mapped_count);
    VynArrayObjectRemove(&data->mapped_labels, 0, data->mapped_count);
  }
  data->mapped_count = 0;
  lists_refresh(dialog, data);
}

namespace {

int fill(YrlAutoViewData* data, VynMdl part, VynMdl drawing) {
  YrlAutoViewFreeData(data);
  *data = YrlAutoViewData{};
  data->part = part;
  data->drawing = drawing;
  return YrlAutoViewInitData(data);
}

}  // namespace

int YrlAutoView(VynMdl part, VynMdl drawing, int auto_map, int show_dialog) {
  YrlAllClassRegister();
  if (!drawing) VynMdlCurrentGet(&drawing);
  YrlAutoViewData data{};
  int status = fill(&data, part, drawing);
  if (auto_map == 1 && status == VYN_TK_NO_ERROR) {
    // The pairs made are stored whatever the mapping's answer; the dialog then shows them.
    status = YrlMapAllViewsDtms(nullptr, 1, &data);
    YrlAutoViewOKAction(nullptr, nullptr, &data);
    if (status == VYN_TK_NO_ERROR || !show_dialog) {
      YrlAutoViewFreeData(&data);
      return status;
    }
    if (status == VYN_TK_USER_ABORT) fill(&data, part, drawing);
  }
  if ((status = VynUIDialogCreate(kDlg, kDlg)) != VYN_TK_NO_ERROR) {
    YrlAutoViewFreeData(&data);
    return YrlDialogSetupFailed(kDlg, kDlg, status, false);
  }
  struct Button {
    const char* name;
    const char* shown;
    VynUIAction action;
  };
  const Button buttons[] = {{"OK", "OK", YrlAutoViewOKAction},
                            {"Cancel", "Cancel", YrlAutoViewCancelAction},
                            {"PBMap", "Map View", YrlAutoViewMapAction},
                            {"PBRemMap", "Remove Map", YrlAutoViewRemMapAction}};
  // A failed step is reported and skips to the end, where the dialog is destroyed.
  for (const Button& b : buttons)
    if (status == VYN_TK_NO_ERROR && (status = VynUIPushbuttonActivateActionSet(kDlg, b.name, b.action, &data)) !=
                                         VYN_TK_NO_ERROR)
      YrlDialogSetupFailed(kDlg, b.shown, status, false);
  if (status == VYN_TK_NO_ERROR && (status = VynUIDialogTitleSet(kDlg, u"View Mapping")) != VYN_TK_NO_ERROR)
    YrlDialogSetupFailed(kDlg, "Title Set", status, false);
  if (status == VYN_TK_NO_ERROR) {
    VynUIDialogCloseActionSet(kDlg, YrlAutoViewCancelAction, &data);
    VynUIDialogDefaultbuttonSet(kDlg, "Cancel");
    VynWchar label[kField];
    vek::strtows_bounded(label, kField, data.part_name);
    VynUILabelTextSet(kDlg, "LabelPartName", label);
    YrlAutoViewSetViewCplNames(kDlg, &data);
    int exit_status = 0;
    status = VynUIDialogActivate(kDlg, &exit_status);
  }
  YrlAutoViewFreeData(&data);
  VynUIDialogDestroy(kDlg);
  return status;
}
