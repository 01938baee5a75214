// The selection dialog, its picks and the current selection.
#include "app/select/select.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/menus/app_init.h"
#include "app/prefs/prefs.h"
#include "app/select/chain.h"
#include "app/util/apputil.h"
#include "app/views/viewdata.h"
#include "app/views/views.h"
#include "runtime/text/wide.h"
#include "toolkit/api/app_api.h"
#include "toolkit/api/catalogue_drawing_featref_api.h"
#include "toolkit/local/geomdata.h"
#include "toolkit/testreport/testreport.h"
#include "toolkit/util/strutil.h"

VynArray curr_sel = nullptr;
int yrl_add_remove_mode = YRL_SEL_ADD;
double tolerance = 0.01;

namespace {

constexpr char kDialog[] = "yrlselobj";
constexpr char kBinDialog[] = "yrlselobj_bin";
constexpr char kErrorKey[] = "YRLFORM ERROR %0s";
constexpr int kMaxKinds = 10;
constexpr int kFilterSize = 260;

struct KindWord {
  const char* word;
  int type;
};
constexpr KindWord kKindWords[] = {
    {"draft_ent", 77}, {"dimension", 8}, {"point", 66},  {"any_note", 68},
    {"symbol", 76},    {"layer", 117},   {"datum", 176},
};

// The item kinds of a filter string (at most ten words; an unknown word matches nothing).
int filter_kinds(const char* filter, int* kinds) {
  if (!filter) return 0;
  char text[kFilterSize];
  std::snprintf(text, sizeof text, "%s", filter);
  int count = 0;
  char* rest = text;
  while (count < kMaxKinds && rest) {
    char* comma = std::strchr(rest, ',');
    if (comma) *comma = '\0';
    char* word = rest;
    while (*word == ' ') ++word;
    for (char* e = word + std::strlen(word); e > word && e[-1] == ' ';) *--e = '\0';
    if (*word) {
      int type = -1;
      for (const KindWord& k : kKindWords)
        if (VynUtilStrcmp(word, k.word) == 0) type = k.type;
      kinds[count++] = type;
    }
    rest = comma ? comma + 1 : nullptr;
  }
  return count;
}

bool kind_wanted(const int* kinds, int count, int type) {
  for (int i = 0; i < count; ++i)
    if (kinds[i] == type) return true;
  return false;
}

VynSelection* entries() { return static_cast<VynSelection*>(curr_sel); }

int entry_key(VynSelection selection, VynModelitem* item) {
  *item = VynModelitem{};
  return VynSelectionModelitemGet(selection, item);
}

int ensure_curr_sel() {
  if (curr_sel) return VYN_TK_NO_ERROR;
  return VynArrayAlloc(0, static_cast<int>(sizeof(VynSelection)), 16, &curr_sel);
}

// Shrinks the current selection to its first kept entries.
void curr_sel_truncate(int kept, int count) {
  if (kept < count) VynArrayObjectRemove(&curr_sel, kept, count - kept);
}

void highlight_all(int color) {
  int count = YrlCurrSelCount();
  for (int i = 0; i < count; ++i) VynSelectionHighlight(entries()[i], color);
}

void show_error(const char* text) { VynMessageDisplay(YrlMsgFile, kErrorKey, text); }

// Item keys sorted for lookups.
struct ItemKey {
  int type;
  int id;
  bool operator<(const ItemKey& o) const { return type != o.type ? type < o.type : id < o.id; }
  bool operator==(const ItemKey& o) const { return type == o.type && id == o.id; }
};

// Removes the first entry of each item of keys (sorted, distinct) from the current
// selection in one pass, unhighlighting and freeing it.
void curr_sel_remove_keys(ItemKey* keys, int key_count) {
  int count = YrlCurrSelCount();
  if (count == 0 || key_count == 0) return;
  bool* done = static_cast<bool*>(std::calloc(static_cast<std::size_t>(key_count), sizeof(bool)));
  if (!done) return;
  int kept = 0;
  for (int i = 0; i < count; ++i) {
    VynSelection s = entries()[i];
    VynModelitem item;
    bool drop = false;
    if (entry_key(s, &item) == VYN_TK_NO_ERROR) {
      ItemKey key{item.type, item.id};
      ItemKey* at = std::lower_bound(keys, keys + key_count, key);
      if (at != keys + key_count && *at == key && !done[at - keys]) {
        done[at - keys] = true;
        drop = true;
      }
    }
    if (drop) {
      VynSelectionUnhighlight(s);
      VynSelectionFree(&s);
    } else {
      entries()[kept++] = s;
    }
  }
  curr_sel_truncate(kept, count);
  std::free(done);
}

// ---- Radio group and prompts ----

int radio_type(const char* dialog) {
  int count = 0;
  char** names = nullptr;
  int type = YRL_SEL_SINGLE;
  if (VynUIRadiogroupSelectednamesGet(dialog, "RadioSelType", &count, &names) == VYN_TK_NO_ERROR && names &&
      count >= 1 && names[0]) {
    if (std::strcmp(names[0], "inside") == 0) type = YRL_SEL_INSIDE;
    else if (std::strcmp(names[0], "cross") == 0) type = YRL_SEL_CROSS;
    else if (std::strcmp(names[0], "chain") == 0) type = YRL_SEL_CHAIN;
  }
  if (names) VynStringarrayFree(names, count);
  return type;
}

void pick_prompt(int type, int mode) {
  const char* what = mode == YRL_SEL_REMOVE ? "unselected" : "selected";
  const char* format = nullptr;
  switch (type) {
    case YRL_SEL_INSIDE:
      format = "Pick two diagonal points on screen. All entities inside the box will be %s. Use Right Mouse "
               "Button (RMB) to exit the box selection and return to the Selection dialog.";
      break;
    case YRL_SEL_CROSS:
      format = "Pick two diagonal points on screen. All entities inside/crossing the box will be %s. Use Right "
               "Mouse Button (RMB) to exit the box selection and return to the Selection dialog.";
      break;
    case YRL_SEL_CHAIN:
    case YRL_SEL_CHAIN_VIEW:
      format = "Pick an entity on screen. All entities connected on either sides of the entity will %s. Use "
               "Right Mouse Button (RMB) to exit the box selection and return to the Selection dialog.";
      break;
    default:
      format = "Pick entities on screen, Use CTRL key for multiple %s.";
      break;
  }
  char text[400];
  std::snprintf(text, sizeof text, format, what);
  VynMessageDisplay(YrlMsgFile, "YRLFORM PROMPT %0s", text);
}

// The list state of the main dialog.
void list_state_update(const char* dialog) {
  int count = YrlCurrSelCount();
  char text[32];
  std::snprintf(text, sizeof text, " %d selected", count);
  VynWchar wide[32];
  vek::strtows_bounded(wide, 32, text);
  VynUIPushbuttonTextSet(dialog, "EntSelected", wide);
  if (count < 1) {
    VynUIPushbuttonDisable(dialog, "Remove");
    VynUIPushbuttonDisable(dialog, "EntSelected");
  } else {
    VynUIPushbuttonEnable(dialog, "Remove");
    VynUIPushbuttonEnable(dialog, "EntSelected");
  }
  VynUIPushbuttonEnable(dialog, "Add");
  VynWindowRepaint(-1);
  highlight_all(YRL_COLOR_SELECTION);
}

// The pick filter of a Remove: only items of the current selection.
VynError remove_filter(VynSelection selection, void*) {
  VynModelitem item;
  if (entry_key(selection, &item) == VYN_TK_NO_ERROR) {
    int count = YrlCurrSelCount();
    for (int i = 0; i < count; ++i) {
      VynModelitem other;
      if (entry_key(entries()[i], &other) == VYN_TK_NO_ERROR && other.type == item.type && other.id == item.id)
        return VYN_TK_NO_ERROR;
    }
  }
  show_error("Not a valid selection to remove");
  return VYN_TK_GENERAL_ERROR;
}

int single_pick(YrlSelectDialogData* data, VynSelectionFilter* filter, int mode) {
  VynArray picks = nullptr;
  int count = 0;
  int status = VynSelect(data->filter, data->max_count, nullptr, filter, data->env, data->extra, &picks, &count);
  if (status != VYN_TK_NO_ERROR) return status;
  for (int i = 0; picks && i < count; ++i) {
    VynSelection s = static_cast<VynSelection*>(picks)[i];
    if (mode == YRL_SEL_ADD) {
      YrlCurrSelAdd(s);
    } else {
      VynModelitem item;
      if (entry_key(s, &item) == VYN_TK_NO_ERROR) YrlCurrSelRemove(&item);
    }
  }
  return VYN_TK_NO_ERROR;
}

int run_pick(const char* dialog, YrlSelectDialogData* data, int mode) {
  VynUIRadiogroupDisable(dialog, "RadioSelType");
  VynUIPushbuttonDisable(dialog, "Close");
  int type = radio_type(dialog);
  if (type == YRL_SEL_CHAIN && data->mode_word == YRL_SEL_CHAIN_VIEW) type = YRL_SEL_CHAIN_VIEW;
  data->sel_type = type;
  pick_prompt(type, mode);
  VynSelectionFilter filter = {remove_filter, nullptr};
  VynSelectionFilter* pick_filter = mode == YRL_SEL_REMOVE ? &filter : nullptr;
  if (mode == YRL_SEL_REMOVE) {
    VynUIPushbuttonDisable(dialog, "Add");
    if (type != YRL_SEL_SINGLE) highlight_all(YRL_COLOR_PICKED);
  }
  yrl_add_remove_mode = mode;
  int status = VYN_TK_NO_ERROR;
  int count = 0;
  switch (type) {
    case YRL_SEL_INSIDE:
    case YRL_SEL_CROSS:
      status = YrlBoxSelect(data->filter, type, &count, mode);
      break;
    case YRL_SEL_CHAIN:
      status = yrl_chain_pick(data->filter, pick_filter, mode, 0);
      break;
    case YRL_SEL_CHAIN_VIEW:
      status = yrl_chain_pick(data->filter, pick_filter, mode, 1);
      break;
    default:
      status = single_pick(data, pick_filter, mode);
      break;
  }
  yrl_add_remove_mode = YRL_SEL_ADD;
  if (status == VYN_TK_NO_ERROR) {
    YrlCurrSelDropDuplicates();
    list_state_update(dialog);
    VynUIDialogDefaultbuttonSet(dialog, "Close");
  } else {
    VynUIPushbuttonEnable(dialog, "Add");
  }
  VynUIRadiogroupEnable(dialog, "RadioSelType");
  VynUIPushbuttonEnable(dialog, "Close");
  data->status = status;
  return status;
}

void add_action(char* dialog, char*, void* app_data) {
  auto* data = static_cast<YrlSelectDialogData*>(app_data);
  data->host_filter = nullptr;
  run_pick(dialog, data, YRL_SEL_ADD);
}

void remove_action(char* dialog, char*, void* app_data) {
  run_pick(dialog, static_cast<YrlSelectDialogData*>(app_data), YRL_SEL_REMOVE);
}

void ent_selected_action(char* dialog, char* component, void* app_data) {
  YrlEntSelectedAction(dialog, component, static_cast<YrlSelectDialogData*>(app_data));
}

// ---- The list dialog ----

// The list's rows from the current selection: names and labels "ID%d(%s)".
int bin_rows_set() {
  int count = YrlCurrSelCount();
  VynArray names = nullptr, labels = nullptr;
  int status = VynArrayAlloc(0, static_cast<int>(sizeof(char*)), 16, &names);
  if (status == VYN_TK_NO_ERROR) status = VynArrayAlloc(0, static_cast<int>(sizeof(VynWchar*)), 16, &labels);
  char* texts = static_cast<char*>(std::calloc(static_cast<std::size_t>(count) + 1, 64));
  VynWchar* wides = static_cast<VynWchar*>(std::calloc(static_cast<std::size_t>(count) + 1, 64 * sizeof(VynWchar)));
  if (!texts || !wides) status = VYN_TK_GENERAL_ERROR;
  for (int i = 0; status == VYN_TK_NO_ERROR && i < count; ++i) {
    VynModelitem item;
    entry_key(entries()[i], &item);
    char* text = texts + 64 * i;
    VynWchar* wide = wides + 64 * i;
    YrlEntityDisplayGet(&item, text);
    vek::strtows_bounded(wide, 64, text);
    status = VynArrayObjectAdd(&names, -1, 1, &text);
    if (status == VYN_TK_NO_ERROR) status = VynArrayObjectAdd(&labels, -1, 1, &wide);
  }
  if (status == VYN_TK_NO_ERROR) status = VynUIListNamesSet(kBinDialog, "SelList", count, names);
  if (status == VYN_TK_NO_ERROR) status = VynUIListLabelsSet(kBinDialog, "SelList", count, labels);
  if (names) VynArrayFree(&names);
  if (labels) VynArrayFree(&labels);
  std::free(texts);
  std::free(wides);
  highlight_all(YRL_COLOR_SELECTION);
  if (count >= 1) VynUIPushbuttonEnable(kBinDialog, "Remove");
  else VynUIPushbuttonDisable(kBinDialog, "Remove");
  return status;
}

void bin_remove_action(char* dialog, char*, void*) {
  int count = 0;
  char** names = nullptr;
  if (VynUIListSelectednamesGet(dialog, "SelList", &count, &names) != VYN_TK_NO_ERROR) return;
  ItemKey* keys = static_cast<ItemKey*>(std::calloc(static_cast<std::size_t>(count) + 1, sizeof(ItemKey)));
  int key_count = 0;
  int total = YrlCurrSelCount();
  for (int i = 0; keys && i < total; ++i) {
    VynModelitem item;
    if (entry_key(entries()[i], &item) != VYN_TK_NO_ERROR) continue;
    char text[64];
    YrlEntityDisplayGet(&item, text);
    for (int k = 0; k < count; ++k) {
      if (names[k] && std::strcmp(names[k], text) == 0) {
        keys[key_count++] = ItemKey{item.type, item.id};
        break;
      }
    }
  }
  if (names) VynStringarrayFree(names, count);
  if (keys) {
    std::sort(keys, keys + key_count);
    key_count = static_cast<int>(std::unique(keys, keys + key_count) - keys);
    curr_sel_remove_keys(keys, key_count);
    std::free(keys);
  }
  list_state_update(kDialog);
  bin_rows_set();
}

}  // namespace

// ---- The current selection ----

int YrlCurrSelCount() {
  int count = 0;
  if (!curr_sel || VynArraySizeGet(curr_sel, &count) != VYN_TK_NO_ERROR) return 0;
  return count;
}

int YrlCurrSelAdd(VynSelection selection) {
  int status = ensure_curr_sel();
  VynSelection copy = nullptr;
  if (status == VYN_TK_NO_ERROR) status = VynSelectionCopy(selection, &copy);
  if (status == VYN_TK_NO_ERROR) {
    status = VynArrayObjectAdd(&curr_sel, -1, 1, &copy);
    if (status != VYN_TK_NO_ERROR) VynSelectionFree(&copy);
  }
  return status;
}

int YrlCurrSelRemove(const VynModelitem* item) {
  if (!item) return VYN_TK_BAD_INPUTS;
  int count = YrlCurrSelCount();
  for (int i = 0; i < count; ++i) {
    VynModelitem other;
    if (entry_key(entries()[i], &other) != VYN_TK_NO_ERROR) continue;
    // Type and id: a dimension and a draft entity may share an id.
    if (other.type != item->type || other.id != item->id) continue;
    VynSelection s = entries()[i];
    VynSelectionUnhighlight(s);
    VynSelectionFree(&s);
    return VynArrayObjectRemove(&curr_sel, i, 1);
  }
  return VYN_TK_E_NOT_FOUND;
}

int YrlCurrSelDropDuplicates() {
  int count = YrlCurrSelCount();
  if (count < 2) return VYN_TK_NO_ERROR;
  struct Entry {
    ItemKey key;
    int index;
  };
  Entry* list = static_cast<Entry*>(std::malloc(sizeof(Entry) * static_cast<std::size_t>(count)));
  bool* drop = static_cast<bool*>(std::calloc(static_cast<std::size_t>(count), sizeof(bool)));
  if (!list || !drop) {
    std::free(list);
    std::free(drop);
    return VYN_TK_GENERAL_ERROR;
  }
  for (int i = 0; i < count; ++i) {
    VynModelitem item;
    entry_key(entries()[i], &item);
    list[i] = Entry{ItemKey{item.type, item.id}, i};
  }
  std::sort(list, list + count, [](const Entry& a, const Entry& b) {
    return a.key == b.key ? a.index < b.index : a.key < b.key;
  });
  // Of equal items the last occurrence stays.
  for (int i = 0; i + 1 < count; ++i)
    if (list[i].key == list[i + 1].key) drop[list[i].index] = true;
  int kept = 0;
  for (int i = 0; i < count; ++i) {
    VynSelection s = entries()[i];
    if (drop[i]) VynSelectionFree(&s);
    else entries()[kept++] = s;
  }
  curr_sel_truncate(kept, count);
  std::free(list);
  std::free(drop);
  return VYN_TK_NO_ERROR;
}

int YrlSelectCurrSelArrayGet(VynArray* out_sels, int* out_count) {
  int count = 0;
  int status = curr_sel ? VynArraySizeGet(curr_sel, &count) : VYN_TK_NO_ERROR;
  if (status != VYN_TK_NO_ERROR) count = -1;
  if (out_count) *out_count = count;
  // A selection whose size the host cannot tell is no empty pick: the host's failure is
  // the answer, so that no caller stores "nothing picked" over what was there.
  if (status != VYN_TK_NO_ERROR) return status;
  if (count < 1) return VYN_TK_NO_ERROR;
  VynArray result = nullptr;
  status = VynArrayAlloc(0, static_cast<int>(sizeof(VynSelection)), count, &result);
  if (status == VYN_TK_NO_ERROR) status = VynArrayObjectAdd(&result, -1, count, curr_sel);
  if (status != VYN_TK_NO_ERROR) {
    if (result) VynArrayFree(&result);
    return status;
  }
  // The new array takes the selections over.
  if (out_sels) *out_sels = result;
  else {
    for (int i = 0; i < count; ++i) VynSelectionFree(&static_cast<VynSelection*>(result)[i]);
    VynArrayFree(&result);
  }
  VynArrayFree(&curr_sel);
  curr_sel = nullptr;
  return VYN_TK_NO_ERROR;
}

int YrlEntityDisplayGet(const VynModelitem* item, char* text) {
  if (!item || !text) return VYN_TK_BAD_INPUTS;
  std::snprintf(text, 64, "ID%d(%s)", item->id, item->type == YRL_DRAFT_ENTITY_TYPE ? "DRAFT ENTITY" : "ENTITY");
  return VYN_TK_NO_ERROR;
}

// ---- Hidden items ----

VynError YrlBlankLayerFilter(VynModelitem* layer, void*) {
  int status = 0;
  if (VynLayerDisplaystatusGet(layer, &status) == VYN_TK_NO_ERROR && status == 3) return VYN_TK_NO_ERROR;
  return VYN_TK_CONTINUE;
}

VynError YrlBlankLayerAction(VynModelitem* layer, VynError, void* app_data) {
  auto* hidden = static_cast<VynArray*>(app_data);
  VynArray items = nullptr;
  int count = 0;
  if (VynLayerItemsGet(layer, &items, &count) != VYN_TK_NO_ERROR) return VYN_TK_NO_ERROR;
  if (count > 0) VynArrayObjectAdd(hidden, -1, count, items);
  VynArrayFree(&items);
  return VYN_TK_NO_ERROR;
}

int YrlCollectBlankEnts(VynMdl model, VynArray* hidden) {
  if (!hidden) return VYN_TK_BAD_INPUTS;
  if (!*hidden) {
    int status = VynArrayAlloc(0, static_cast<int>(sizeof(VynModelitem)), 16, hidden);
    if (status != VYN_TK_NO_ERROR) return status;
  }
  return VynMdlLayerVisit(model, YrlBlankLayerAction, YrlBlankLayerFilter, hidden);
}

int YrlIsEntityHidden(const VynModelitem* item, VynArray hidden) {
  int count = 0;
  if (!item || !hidden || VynArraySizeGet(hidden, &count) != VYN_TK_NO_ERROR) return 0;
  const auto* items = static_cast<const VynModelitem*>(hidden);
  for (int i = 0; i < count; ++i)
    if (items[i].type == item->type && items[i].id == item->id) return 1;
  return 0;
}

// ---- Box pick ----

namespace {

// The box pick's qualifying items, removed in one pass in mode 2.
struct BoxVisit {
  YrlBoxData* box;
  int sheet;  // the sheet shown: only its items are taken
  ItemKey* removals;
  int removal_count;
  int removal_room;
  int status;
};

void box_take(BoxVisit* visit, VynModelitem* item) {
  if (visit->box->mode == YRL_SEL_ADD) {
    VynSelection s = nullptr;
    if (VynSelectionAlloc(nullptr, item, &s) != VYN_TK_NO_ERROR) return;
    if (ensure_curr_sel() == VYN_TK_NO_ERROR && VynArrayObjectAdd(&curr_sel, -1, 1, &s) == VYN_TK_NO_ERROR) {
      VynSelectionHighlight(s, YRL_COLOR_PICKED);
    } else {
      VynSelectionFree(&s);
    }
    return;
  }
  if (visit->removal_count == visit->removal_room) {
    int room = visit->removal_room ? 2 * visit->removal_room : 64;
    void* grown = std::realloc(visit->removals, sizeof(ItemKey) * static_cast<std::size_t>(room));
    if (!grown) return;
    visit->removals = static_cast<ItemKey*>(grown);
    visit->removal_room = room;
  }
  visit->removals[visit->removal_count++] = ItemKey{item->type, item->id};
}

}  // namespace

VynError YrlBoxFilterAction(VynModelitem* item, void* app_data) {
  auto* visit = static_cast<BoxVisit*>(app_data);
  if (!kind_wanted(visit->box->kinds, visit->box->kind_count, item->type)) return VYN_TK_CONTINUE;
  if (YrlIsEntityHidden(item, visit->box->hidden)) return VYN_TK_CONTINUE;
  return VYN_TK_NO_ERROR;
}

VynError YrlBoxEntityVisitAction(VynModelitem* item, VynError, void* app_data) {
  auto* visit = static_cast<BoxVisit*>(app_data);
  VynDtlentitydata data = nullptr;
  if (VynDtlentityDataGet(item, nullptr, &data) != VYN_TK_NO_ERROR) return VYN_TK_NO_ERROR;
  VynCurvedata* curve = nullptr;
  int hidden = 0;
  bool take = false;
  if (VynDtlentitydataIsHidden(data, &hidden) == VYN_TK_NO_ERROR && !hidden &&
      VynDtlentitydataCurveGet(data, &curve) == VYN_TK_NO_ERROR && curve) {
    take = visit->box->sel_type == YRL_SEL_INSIDE ? IsEntityInBox(curve, &visit->box->box)
                                                   : IsEntityCrossBox(curve, &visit->box->box);
  }
  VynDtlentitydataFree(data);
  if (take) box_take(visit, item);
  return VYN_TK_NO_ERROR;
}

namespace {

// Whether the dimension lies on the sheet (the sheet of the view it lies in); one whose
// place the host cannot tell is left out.
bool dimension_on_sheet(VynMdl model, VynDimension* dimension, int sheet) {
  VynView view = nullptr;
  int on = 0;
  return VynDrawingDimensionViewGet(reinterpret_cast<VynWord>(model), reinterpret_cast<VynWord>(dimension),
                                    reinterpret_cast<VynWord>(&view)) == VYN_TK_NO_ERROR &&
         VynDrawingViewSheetGet(reinterpret_cast<VynWord>(model), reinterpret_cast<VynWord>(view),
                                reinterpret_cast<VynWord>(&on)) == VYN_TK_NO_ERROR &&
         on == sheet;
}

bool location_taken(const YrlBoxData* box, const double* location) {
  return box->sel_type == YRL_SEL_INSIDE ? IsLocationInBox(location, &box->box) != 0
                                         : IsLocationCrossBox(location, &box->box) != 0;
}

}  // namespace

VynError YrlBoxDimVisitAction(VynModelitem* item, VynError, void* app_data) {
  auto* visit = static_cast<BoxVisit*>(app_data);
  if (!dimension_on_sheet(visit->box->model, item, visit->sheet)) return VYN_TK_NO_ERROR;
  double position[3] = {};
  if (VynDrawingDimensionPosGet(visit->box->model, item, position) != VYN_TK_NO_ERROR) return VYN_TK_NO_ERROR;
  if (location_taken(visit->box, position)) box_take(visit, item);
  return VYN_TK_NO_ERROR;
}

VynError YrlBoxNoteVisitAction(VynModelitem* item, VynError, void* app_data) {
  auto* visit = static_cast<BoxVisit*>(app_data);
  VynDtlnotedata data = nullptr;
  VynDtlattach attach = nullptr;
  if (VynDtlnoteDataGet(item, nullptr, 0, &data) != VYN_TK_NO_ERROR ||
      VynDtlnotedataAttachmentGet(data, &attach) != VYN_TK_NO_ERROR)
    return VYN_TK_NO_ERROR;
  int type = 0;
  VynView view = nullptr;
  double location[3] = {};
  VynSelection on = nullptr;
  if (VynDtlattachGet(attach, &type, &view, location, &on) != VYN_TK_NO_ERROR) return VYN_TK_NO_ERROR;
  // A note hung on an entity is tested where it hangs: the host gives that point as the
  // location (the selection's parameters are no coordinates).
  if (on) VynSelectionFree(&on);
  if (location_taken(visit->box, location)) box_take(visit, item);
  return VYN_TK_NO_ERROR;
}

int YrlBoxSelect(const char* filter, int sel_type, int* count, int mode) {
  if (count) *count = YrlCurrSelCount();
  int button = 0;
  double point[3] = {};
  int status = VynMousePickGet(8191, &button, point);
  VynTestCallReport("VynMousePickGet()", "YrlBoxSelect()", status, status != VYN_TK_NO_ERROR);
  // Only the first button goes on to the box; any other ends the pick with nothing
  // selected and the host's answer.
  if (status != VYN_TK_NO_ERROR || button != 1) return status;
  double corners[6] = {};
  status = VynMouseBoxInput(point, corners);
  VynTestCallReport("VynMouseBoxInput()", "YrlBoxSelect()", status, status != VYN_TK_NO_ERROR);
  if (status != VYN_TK_NO_ERROR) return status;

  YrlBoxData box{};
  status = VynMdlCurrentGet(&box.model);
  if (status != VYN_TK_NO_ERROR) return status;
  box.kind_count = filter_kinds(filter, box.kinds);
  std::memcpy(box.box.min, corners, sizeof box.box.min);
  std::memcpy(box.box.max, corners + 3, sizeof box.box.max);
  box.sel_type = sel_type;
  box.mode = mode;
  YrlCollectBlankEnts(box.model, &box.hidden);
  // Entities, notes and dimensions of the sheet shown only.
  int sheet = 1;
  VynDrawingCurrentSheetGet(box.model, &sheet);
  BoxVisit visit{&box, sheet, nullptr, 0, 0, VYN_TK_NO_ERROR};
  if (kind_wanted(box.kinds, box.kind_count, YRL_DRAFT_ENTITY_TYPE))
    status = VynDrawingDtlentityVisit(box.model, nullptr, sheet, YrlBoxEntityVisitAction, YrlBoxFilterAction,
                                      &visit);
  if (status == VYN_TK_NO_ERROR && kind_wanted(box.kinds, box.kind_count, 8))
    status = VynDrawingDimensionVisit(box.model, 8, YrlBoxDimVisitAction, YrlBoxFilterAction, &visit);
  if (status == VYN_TK_NO_ERROR && kind_wanted(box.kinds, box.kind_count, 68))
    status = VynDrawingDtlnoteVisit(box.model, nullptr, sheet, YrlBoxNoteVisitAction, YrlBoxFilterAction, &visit);
  if (visit.removals) {
    std::sort(visit.removals, visit.removals + visit.removal_count);
    int n = static_cast<int>(std::unique(visit.removals, visit.removals + visit.removal_count) - visit.removals);
    curr_sel_remove_keys(visit.removals, n);
    std::free(visit.removals);
  }
  if (box.hidden) VynArrayFree(&box.hidden);
  if (count) *count = YrlCurrSelCount();
  return status;
}

// ---- The dialogs ----

void YrlCloseAction(char* dialog, char*, void*) { VynUIDialogExit(dialog, -1); }
void YrlSelObjCloseAction(char* dialog, char*, void*) { VynUIDialogExit(dialog, -1); }
void YrlRadioSelTypeAction(char* dialog, char*, void* app_data) {
  static_cast<YrlSelectDialogData*>(app_data)->sel_type = radio_type(dialog);
}

void YrlBinSelectAction(char* dialog, char* component, void*) {
  int count = 0;
  char** names = nullptr;
  if (VynUIListSelectednamesGet(dialog, component, &count, &names) != VYN_TK_NO_ERROR) return;
  int total = YrlCurrSelCount();
  for (int i = 0; i < total; ++i) {
    VynModelitem item;
    entry_key(entries()[i], &item);
    char text[64];
    YrlEntityDisplayGet(&item, text);
    bool marked = false;
    for (int k = 0; k < count && !marked; ++k) marked = names[k] && std::strcmp(names[k], text) == 0;
    VynSelectionHighlight(entries()[i], marked ? YRL_COLOR_PICKED : YRL_COLOR_SELECTION);
  }
  if (names) VynStringarrayFree(names, count);
}

int YrlSelectDialogBoxInit(YrlSelectDialogData* data) {
  if (!data) return VYN_TK_BAD_INPUTS;
  if (curr_sel) {
    int count = YrlCurrSelCount();
    for (int i = 0; i < count; ++i) VynSelectionFree(&entries()[i]);
    VynArrayFree(&curr_sel);
    curr_sel = nullptr;
  }
  int status = ensure_curr_sel();
  int initial = 0;
  if (status == VYN_TK_NO_ERROR && data->initial && VynArraySizeGet(data->initial, &initial) == VYN_TK_NO_ERROR) {
    for (int i = 0; i < initial; ++i)
      if (YrlCurrSelAdd(static_cast<VynSelection*>(data->initial)[i]) != VYN_TK_NO_ERROR) break;
  }
  YrlCurrSelDropDuplicates();
  yrl_add_remove_mode = YRL_SEL_ADD;
  return status;
}

int YrlEntSelectedAction(const char*, const char*, YrlSelectDialogData*) {
  int status = VynUIDialogCreate(kBinDialog, kBinDialog);
  if (status != VYN_TK_NO_ERROR) return YrlDialogSetupFailed(kBinDialog, kBinDialog, status, false);
  VynWchar title[32];
  vek::strtows_bounded(title, 32, "Selected Entities");
  if ((status = VynUIDialogTitleSet(kBinDialog, title)) != VYN_TK_NO_ERROR)
    return YrlDialogSetupFailed(kBinDialog, "Title Set", status, true);
  if ((status = VynUIPushbuttonActivateActionSet(kBinDialog, "Close", YrlCloseAction, nullptr)) != VYN_TK_NO_ERROR)
    return YrlDialogSetupFailed(kBinDialog, "Close", status, true);
  if ((status = VynUIDialogCloseActionSet(kBinDialog, YrlSelObjCloseAction, nullptr)) != VYN_TK_NO_ERROR)
    return YrlDialogSetupFailed(kBinDialog, "Close", status, true);
  if ((status = VynUIPushbuttonActivateActionSet(kBinDialog, "Remove", bin_remove_action, nullptr)) !=
      VYN_TK_NO_ERROR)
    return YrlDialogSetupFailed(kBinDialog, "Remove", status, true);
  if ((status = VynUIListSelectionpolicySet(kBinDialog, "SelList", 3)) != VYN_TK_NO_ERROR ||
      (status = VynUIListSelectActionSet(kBinDialog, "SelList", YrlBinSelectAction, nullptr)) != VYN_TK_NO_ERROR ||
      (status = bin_rows_set()) != VYN_TK_NO_ERROR)
    return YrlDialogSetupFailed(kBinDialog, "SelList", status, true);
  int exit_status = 0;
  status = VynUIDialogActivate(kBinDialog, &exit_status);
  VynUIDialogDestroy(kBinDialog);
  return status;
}

namespace {

int SelectionDialog(YrlSelectDialogData* data) {
  int status = VynUIDialogCreate(kDialog, kDialog);
  if (status != VYN_TK_NO_ERROR) return YrlDialogSetupFailed(kDialog, kDialog, status, false);
  VynWchar title[16];
  vek::strtows_bounded(title, 16, "Selection");
  if ((status = VynUIDialogTitleSet(kDialog, title)) != VYN_TK_NO_ERROR)
    return YrlDialogSetupFailed(kDialog, "Title Set", status, true);
  struct Button {
    const char* name;
    VynUIAction action;
  };
  const Button buttons[] = {
      {"Close", YrlCloseAction}, {"Add", add_action}, {"Remove", remove_action}, {"EntSelected", ent_selected_action}};
  for (const Button& b : buttons) {
    if ((status = VynUIPushbuttonActivateActionSet(kDialog, b.name, b.action, data)) != VYN_TK_NO_ERROR)
      return YrlDialogSetupFailed(kDialog, b.name, status, true);
  }
  if ((status = VynUIRadiogroupSelectActionSet(kDialog, "RadioSelType", YrlRadioSelTypeAction, data)) !=
      VYN_TK_NO_ERROR)
    return YrlDialogSetupFailed(kDialog, "RadioSelType", status, true);
  if ((status = VynUIDialogCloseActionSet(kDialog, YrlSelObjCloseAction, data)) != VYN_TK_NO_ERROR)
    return YrlDialogSetupFailed(kDialog, "Close", status, true);

  YrlSelectDialogBoxInit(data);
  list_state_update(kDialog);
  if (data->mode_word >= 0) {
    const char* name = nullptr;
    switch (data->mode_word) {
      case YRL_SEL_INSIDE: name = "inside"; break;
      case YRL_SEL_CROSS: name = "cross"; break;
      case YRL_SEL_CHAIN:
      case YRL_SEL_CHAIN_VIEW: name = "chain"; break;
      case YRL_SEL_SINGLE: name = "single"; break;
      default: break;
    }
    if (name && (status = YrlSelectedNameSet(VynUIRadiogroupSelectednamesSet, kDialog, "RadioSelType", name)) != VYN_TK_NO_ERROR)
      return YrlDialogSetupFailed(kDialog, "RadioSelType", status, true);
    VynMessageDisplay(YrlMsgFile, "YRL_ADD_REMOVE_PROMPT");
  }
  if ((status = VynUIDialogDefaultbuttonSet(kDialog, "Add")) != VYN_TK_NO_ERROR)
    return YrlDialogSetupFailed(kDialog, "Add", status, true);
  int exit_status = 0;
  status = VynUIDialogActivate(kDialog, &exit_status);
  VynUIDialogDestroy(kDialog);
  return status;
}

}  // namespace

int YrlSelect(const char* filter, int max_count, VynArray initial, VynSelectionFilter* host_filter,
              VynSelectionEnv env, VynWord extra, VynArray* out_sels, int* out_count, int mode_word) {
  VynWindowRepaint(-1);
  YrlInitScrToDrwMatrix();
  YrlSelectDialogData data{filter, max_count, initial, host_filter, env, extra, out_sels, out_count,
                           YRL_SEL_SINGLE, mode_word, 0};
  int status = SelectionDialog(&data);
  if (out_sels) *out_sels = nullptr;
  int handed = YrlSelectCurrSelArrayGet(out_sels, out_count);
  // A dialog that could not be built picked nothing: its failure is the answer.
  return status != VYN_TK_NO_ERROR ? status : handed;
}
