#include "app/cleanup/cleanup.h"

#include <cstdio>
#include <cstring>

#include "app/menus/app_init.h"
#include "app/prefs/prefs.h"
#include "app/select/select.h"
#include "app/util/apputil.h"
#include "runtime/text/wide.h"
#include "toolkit/api/app_api.h"
#include "toolkit/util/strutil.h"

namespace {

constexpr char kDlg[] = "yrlcleanup";
constexpr char kCreateNew[] = "Create New Layer";
constexpr int kLayerBlank = 3;
constexpr int kLayerShown = 1;
constexpr int kNameSize = 32;  // a layer name of 31 characters and its terminator

constexpr int kTypeDimension = 8;
constexpr int kTypeNote = 68;
constexpr int kTypeSymbol = 76;
constexpr int kTypeEntity = 77;

YrlCleanupData* record_of(void* app_data) { return static_cast<YrlCleanupData*>(app_data); }

// prefix + suffix into name (kNameSize); false, name empty, when it does not fit.
bool layer_name(char* name, const char* prefix, const char* suffix) {
  int n = std::snprintf(name, kNameSize, "%s%s", prefix, suffix);
  if (n < 0 || n >= kNameSize) {
    name[0] = '\0';
    return false;
  }
  return true;
}

int layer_get(VynMdl model, const char* name, VynLayer* layer) {
  VynWchar wide[kNameSize];
  vek::strtows_bounded(wide, kNameSize, name);
  return VynMdlLayerGet(model, wide, layer);
}

// Creates (or hands out the existing) layer of that name and blanks it.
int layer_open_blank(VynMdl model, const char* name, VynLayer* layer) {
  VynWchar wide[kNameSize];
  vek::strtows_bounded(wide, kNameSize, name);
  int status = VynLayerCreate(model, wide, layer);
  if (status == VYN_TK_NO_ERROR) VynLayerDisplaystatusSet(layer, kLayerBlank);
  return status;
}

// The layer's items (VynLayerItem array, maybe null) and their count.
struct LayerItems {
  VynArray items = nullptr;
  int count = 0;
  bool holds(int type, int id) const {
    const auto* list = static_cast<const VynLayerItem*>(items);
    for (int i = 0; i < count; ++i)
      if (list[i].type == type && list[i].id == id) return true;
    return false;
  }
  void release() {
    if (items) VynArrayFree(&items);
    items = nullptr;
    count = 0;
  }
};

int layer_items(VynLayer* layer, LayerItems* out) {
  out->release();
  int status = VynLayerItemsGet(layer, &out->items, &out->count);
  if (status != VYN_TK_NO_ERROR) out->count = 0;
  return status;
}

// Adds an item of the drawing to the layer unless it holds it already.
int item_to_layer(VynLayer* layer, const LayerItems& held, int type, int id, VynMdl drawing) {
  if (held.holds(type, id)) return VYN_TK_NO_ERROR;
  VynLayerItem item{};
  int status = VynLayerItemInit(type, id, drawing, &item);
  if (status != VYN_TK_NO_ERROR) {
    VynMessageDisplay(YrlMsgFile, "YRL_LAYERITEM_INIT_FAILED");
    return status;
  }
  status = VynLayerItemAdd(layer, &item);
  if (status != VYN_TK_NO_ERROR) VynMessageDisplay(YrlMsgFile, "YRL_LAYERITEM_ADD_FAILED");
  return status;
}

struct DimVisit {
  VynMdl drawing;
  VynLayer* layer;
  const LayerItems* held;
};

}  // namespace

// Dimensions the layer holds already are skipped, so that a second run goes on to the
// dimensions made since.
VynError YrlDimVisitAction(VynModelitem* dimension, VynError, void* app_data) {
  auto* visit = static_cast<DimVisit*>(app_data);
  if (visit->held->holds(dimension->type, dimension->id)) return VYN_TK_NO_ERROR;
  VynLayerItem item{};
  int status = VynLayerItemInit(dimension->type, dimension->id, visit->drawing, &item);
  if (status != VYN_TK_NO_ERROR) return status;
  return VynLayerItemAdd(visit->layer, &item);
}

namespace {

int dims_into(VynMdl drawing, const char* name) {
  VynLayer layer{};
  layer_open_blank(drawing, name, &layer);
  LayerItems held;
  layer_items(&layer, &held);
  DimVisit visit{drawing, &layer, &held};
  int status = VynDrawingDimensionVisit(drawing, kTypeDimension, YrlDimVisitAction, nullptr, &visit);
  held.release();
  return status;
}

// Notes (symbols false) or symbol instances of all sheets into the layer of that name.
int items_into(VynMdl drawing, const char* name, bool symbols) {
  VynLayer layer{};
  layer_open_blank(drawing, name, &layer);
  VynArray items = nullptr;
  int status = symbols ? VynDrawingDtlsyminstsCollect(drawing, -1, &items)
                       : VynDrawingDtlnotesCollect(drawing, nullptr, -1, &items);
  if (status != VYN_TK_NO_ERROR) return VYN_TK_NO_ERROR;
  int count = 0;
  VynArraySizeGet(items, &count);
  LayerItems held;
  layer_items(&layer, &held);
  auto* list = static_cast<VynModelitem*>(items);
  for (int i = 0; i < count && status == VYN_TK_NO_ERROR; ++i) {
    if (held.holds(list[i].type, list[i].id)) continue;
    status = symbols ? YrlSymAddToLayer(&list[i], &layer, drawing) : YrlNoteAddToLayer(&list[i], &layer, drawing);
  }
  held.release();
  VynArrayFree(&items);
  return status;
}

int dims_notes_symbols(const YrlCleanupData* data, VynMdl drawing, const char* dim, const char* notes,
                       const char* symbols) {
  int status = VYN_TK_NO_ERROR;
  if (data->dimensions) status = dims_into(drawing, dim);
  if (data->notes) status = items_into(drawing, notes, false);
  if (data->symbols) status = items_into(drawing, symbols, true);
  return status;
}

VynMdl current_model() {
  VynMdl model = nullptr;
  VynMdlCurrentGet(&model);
  return model;
}

void set_buttons(const char* dialog, const char* const* names, int count, bool set) {
  for (int i = 0; i < count; ++i) {
    if (set)
      VynUICheckbuttonSet(dialog, names[i]);
    else
      VynUICheckbuttonUnset(dialog, names[i]);
  }
}

const char* const kItemButtons[] = {"Dimensions", "Notes", "Symbols"};
const char* const kColourButtons[] = {"Blue", "Red", "Yellow", "Green", "Magenta", "Purple"};

// The option menu's one selected name into name (kNameSize); false when none.
bool selected_layer(const char* dialog, char* name) {
  int count = 0;
  VynArray names = nullptr;
  name[0] = '\0';
  if (VynUIOptionmenuSelectednamesGet(dialog, "OptLayerSel", &count, &names) == VYN_TK_NO_ERROR && names &&
      count == 1) {
    const char* n = static_cast<char**>(names)[0];
    if (n) std::snprintf(name, kNameSize, "%s", n);
  }
  if (names) VynStringvynarrayFree(names);
  return name[0] != '\0';
}

// The typed layer text, trimmed of nothing; empty when none.
void typed_text(const char* dialog, char* text, int size) {
  char* typed = nullptr;
  text[0] = '\0';
  if (VynUIInputpanelStringGet(dialog, "LNameInput", &typed) == VYN_TK_NO_ERROR && typed) {
    std::snprintf(text, size, "%s", typed);
    VynStringFree(typed);
  }
}

}  // namespace

// ---- Items into layers ----

int YrlNoteAddToLayer(VynDtlnote* note, VynLayer* layer, VynMdl drawing) {
  VynDtlnotedata data = nullptr;
  int status = VynDtlnoteDataGet(note, nullptr, 0, &data);
  if (status != VYN_TK_NO_ERROR) {
    VynMessageDisplay(YrlMsgFile, "YRL_NOTEDATAGET_FAILED");
    return status;
  }
  int id = 0;
  if ((status = VynDtlnotedataIdGet(data, &id)) != VYN_TK_NO_ERROR) {
    VynMessageDisplay(YrlMsgFile, "YRL_NOTEIDGET_FAILED");
    return status;
  }
  return item_to_layer(layer, LayerItems{}, kTypeNote, id, drawing);
}

int YrlSymAddToLayer(VynDtlsyminst* symbol, VynLayer* layer, VynMdl drawing) {
  VynDtlsyminstdata data = nullptr;
  int status = VynDtlsyminstDataGet(symbol, 0, &data);
  if (status != VYN_TK_NO_ERROR) {
    VynMessageDisplay(YrlMsgFile, "YRL_SYMINSTDATAGET_FAILED");
    return status;
  }
  int id = 0;
  if ((status = VynDtlsyminstdataIdGet(data, &id)) != VYN_TK_NO_ERROR) {
    VynMessageDisplay(YrlMsgFile, "YRL_SYMINSTIDGET_FAILED");
    return status;
  }
  return item_to_layer(layer, LayerItems{}, kTypeSymbol, id, drawing);
}

int YrlCleanupDimAuto(const char*, VynMdl drawing, YrlCleanupData* data) {
  char name[kNameSize];
  if (!layer_name(name, data->prefix, "DIM")) return VYN_TK_BAD_INPUTS;
  return dims_into(drawing, name);
}

int YrlCleanupNotesAuto(const char*, VynMdl drawing, YrlCleanupData* data) {
  char name[kNameSize];
  if (!layer_name(name, data->prefix, "NOTES")) return VYN_TK_BAD_INPUTS;
  return items_into(drawing, name, false);
}

int YrlCleanupSymbolAuto(const char*, VynMdl drawing, YrlCleanupData* data) {
  char name[kNameSize];
  if (!layer_name(name, data->prefix, "SYMBOLS")) return VYN_TK_BAD_INPUTS;
  return items_into(drawing, name, true);
}

// ---- Colours ----

// Like is compared with like: a colour type against a wanted colour type, RGB against RGB.
// (The record's value is a union: a colour type read against RGB doubles would compare
// the low word of the wanted red, which is 0 for both 0.0 and 1.0.)
int YrlCleanupColorMatches(const VynColor* colour, const VynColor* wanted) {
  if (colour->method != wanted->method) return 0;
  if (colour->method == 0) return 1;
  if (colour->method == 1) return colour->value.type == wanted->value.type ? 1 : 0;
  if (colour->method == 2) {
    for (int i = 0; i < 3; ++i)
      if (!IsYrlDoubleSame(colour->value.rgb[i], wanted->value.rgb[i], 0.01)) return 0;
    return 1;
  }
  return 0;
}

VynError YrlFiltByColorFilterAction(VynModelitem* item, void* app_data) {
  auto* filter = static_cast<YrlColorFilter*>(app_data);
  if (item->type != kTypeEntity || YrlIsEntityHidden(item, filter->blank)) return VYN_TK_CONTINUE;
  return VYN_TK_NO_ERROR;
}

VynError YrlFiltByColorVisitAction(VynModelitem* item, VynError, void* app_data) {
  auto* filter = static_cast<YrlColorFilter*>(app_data);
  VynDtlentitydata data = nullptr;
  if (VynDtlentityDataGet(item, nullptr, &data) != VYN_TK_NO_ERROR) return VYN_TK_NO_ERROR;
  VynColor colour{};
  int status = VynDtlentitydataColorGet(data, &colour);
  VynDtlentitydataFree(data);
  if (status != VYN_TK_NO_ERROR || !YrlCleanupColorMatches(&colour, &filter->colour)) return VYN_TK_NO_ERROR;
  VynSelection selection = nullptr;
  if (VynSelectionAlloc(nullptr, item, &selection) != VYN_TK_NO_ERROR) return VYN_TK_NO_ERROR;
  VynSelectionHighlight(selection, YRL_COLOR_PICKED);
  if (VynArrayObjectAdd(&filter->selections, -1, 1, &selection) != VYN_TK_NO_ERROR) VynSelectionFree(&selection);
  return VYN_TK_NO_ERROR;
}

int YrlCleanupYrlFiltByColorDataGet(YrlColorFilter* filter) {
  VynMdl model = current_model();
  filter->blank = nullptr;
  YrlCollectBlankEnts(model, &filter->blank);
  int status = VynDrawingDtlentityVisit(model, nullptr, -1, YrlFiltByColorVisitAction, YrlFiltByColorFilterAction,
                                        filter);
  if (status == VYN_TK_NO_ERROR)
    status = VynDrawingDtlnoteVisit(model, nullptr, -1, YrlFiltByColorVisitAction, YrlFiltByColorFilterAction,
                                    filter);
  if (filter->blank) VynArrayFree(&filter->blank);
  return status;
}

namespace {

void free_selections(VynArray* selections) {
  if (!*selections) return;
  int count = 0;
  VynArraySizeGet(*selections, &count);
  auto* list = static_cast<VynSelection*>(*selections);
  for (int i = 0; i < count; ++i) VynSelectionFree(&list[i]);
  VynArrayFree(selections);
}

// Adds the items of the selections to the layer (stopping at the first failure).
int selections_to_layer(VynLayer* layer, VynMdl model, VynArray selections, int count) {
  LayerItems held;
  layer_items(layer, &held);
  int status = VYN_TK_NO_ERROR;
  auto* list = static_cast<VynSelection*>(selections);
  for (int i = 0; i < count && status == VYN_TK_NO_ERROR; ++i) {
    VynModelitem item{};
    if ((status = VynSelectionModelitemGet(list[i], &item)) == VYN_TK_NO_ERROR)
      status = item_to_layer(layer, held, item.type, item.id, model);
  }
  held.release();
  return status;
}

}  // namespace

int YrlCleanupEntityToLayer(const char* layer_name, YrlColorFilter* filter) {
  filter->selections = nullptr;
  int status = VynArrayAlloc(0, static_cast<int>(sizeof(VynSelection)), 16, &filter->selections);
  if (status != VYN_TK_NO_ERROR) return status;
  status = YrlCleanupYrlFiltByColorDataGet(filter);
  int count = 0;
  VynArraySizeGet(filter->selections, &count);
  if (count < 1) {
    free_selections(&filter->selections);
    return status;
  }
  VynMdl model = current_model();
  VynLayer layer{};
  status = layer_get(model, layer_name, &layer);
  if (status == VYN_TK_E_NOT_FOUND) {
    status = layer_open_blank(model, layer_name, &layer);
    if (status != VYN_TK_NO_ERROR) VynMessageDisplay(YrlMsgFile, "YRL_LAYER_CREATE_FAILED");
  }
  if (status == VYN_TK_NO_ERROR) {
    status = selections_to_layer(&layer, model, filter->selections, count);
    VynLayerDisplaystatusSet(&layer, kLayerBlank);
    VynLayerDisplaystatusSave(model);
  }
  free_selections(&filter->selections);
  return status;
}

int YrlCleanupEntityColorAuto(const char*, VynMdl, YrlCleanupData* data) {
  struct Colour {
    const char* word;
    int YrlCleanupData::*flag;
    double r, g, b;
  };
  static const Colour colours[] = {
      {"yellow", &YrlCleanupData::yellow, 1, 1, 0}, {"magenta", &YrlCleanupData::magenta, 1, 0, 1},
      {"green", &YrlCleanupData::green, 0, 1, 0},   {"red", &YrlCleanupData::red, 1, 0, 0},
      {"blue", &YrlCleanupData::blue, 0, 0, 1},
  };
  int status = VYN_TK_NO_ERROR;
  for (const Colour& c : colours) {
    if (!(data->*c.flag)) continue;
    YrlColorFilter filter{};
    filter.colour.method = 2;
    filter.colour.value.rgb[0] = c.r;
    filter.colour.value.rgb[1] = c.g;
    filter.colour.value.rgb[2] = c.b;
    char name[kNameSize];
    if (!layer_name(name, data->prefix, c.word)) return VYN_TK_BAD_INPUTS;
    VynUtilStringUpper(name, name);
    status = YrlCleanupEntityToLayer(name, &filter);
  }
  return status;
}

int YrlCleanupAuto(const char* dialog, VynMdl drawing, YrlCleanupData* data) {
  YrlAutoFilterStatusGet(dialog, data);
  char dim[kNameSize], notes[kNameSize], symbols[kNameSize];
  if (!layer_name(dim, data->prefix, "DIM") || !layer_name(notes, data->prefix, "NOTES") ||
      !layer_name(symbols, data->prefix, "SYMBOLS"))
    return VYN_TK_BAD_INPUTS;
  dims_notes_symbols(data, drawing, dim, notes, symbols);
  int status = YrlCleanupEntityColorAuto(dialog, drawing, data);
  VynWindowRepaint(-1);
  VynLayerDisplaystatusSave(drawing);
  return status;
}

int YrlAutoFilterStatusGet(const char* dialog, YrlCleanupData* data) {
  int* const flags[] = {&data->dimensions, &data->notes, &data->symbols, &data->blue,   &data->red,
                        &data->yellow,     &data->green, &data->magenta, &data->purple};
  const char* const names[] = {"Dimensions", "Notes", "Symbols", "Blue", "Red", "Yellow", "Green", "Magenta", "Purple"};
  int status = VYN_TK_NO_ERROR;
  for (int i = 0; i < 9; ++i) {
    int state = 0;
    int s = VynUICheckbuttonGetState(dialog, names[i], &state);
    if (s != VYN_TK_NO_ERROR) status = s;
    *flags[i] = s == VYN_TK_NO_ERROR && state ? 1 : 0;
  }
  return status;
}

// ---- Preview and layers removed ----

int YrlCleanupDeletePreview(const char* layer_name) {
  VynMdl model = current_model();
  VynLayer layer{};
  int status = layer_get(model, layer_name, &layer);
  if (status != VYN_TK_NO_ERROR) return status;
  LayerItems held;
  layer_items(&layer, &held);
  auto* list = static_cast<VynLayerItem*>(held.items);
  for (int i = 0; i < held.count && status == VYN_TK_NO_ERROR; ++i) status = VynLayerItemRemove(&layer, &list[i]);
  held.release();
  if ((status = VynLayerDelete(&layer)) != VYN_TK_NO_ERROR) return status;
  int sheet = 1;
  VynDrawingCurrentSheetGet(model, &sheet);
  return VynDwgSheetRegenerate(model, sheet);
}

void YrlCleanupCleanAction(char* dialog, char*, void* app_data) {
  YrlCleanupData* data = record_of(app_data);
  char preview[kNameSize];
  if (layer_name(preview, data->prefix, "PREVIEW")) YrlCleanupDeletePreview(preview);
  data->preview_shown = 0;
  YrlCleanupAuto(dialog, current_model(), data);
  VynWindowRepaint(-1);
}

void YrlCleanupPreviewAction(char* dialog, char*, void* app_data) {
  YrlCleanupData* data = record_of(app_data);
  YrlAutoFilterStatusGet(dialog, data);
  char preview[kNameSize];
  if (!layer_name(preview, data->prefix, "PREVIEW")) return;
  dims_notes_symbols(data, current_model(), preview, preview, preview);
  data->preview_shown = 1;
  VynWindowRepaint(-1);
}

void YrlCleanupCloseAction(char* dialog, char*, void* app_data) {
  YrlCleanupData* data = record_of(app_data);
  char preview[kNameSize];
  if (layer_name(preview, data->prefix, "PREVIEW")) YrlCleanupDeletePreview(preview);
  VynUIDialogExit(dialog, -1);
}

void YrlCleanupBtnSelAllAction(char* dialog, char*, void*) { set_buttons(dialog, kItemButtons, 3, true); }
void YrlCleanupBtnUnSelAllAction(char* dialog, char*, void*) { set_buttons(dialog, kItemButtons, 3, false); }
void YrlCleanupFBtnSelAllAction(char* dialog, char*, void*) { set_buttons(dialog, kColourButtons, 6, true); }
void YrlCleanupFBtnUnSelAllAction(char* dialog, char*, void*) { set_buttons(dialog, kColourButtons, 6, false); }

// ---- Manual page ----

int IsYrlLayer(const char* prefix, const char* name) {
  if (!prefix || !name) return 0;
  int n = static_cast<int>(std::strlen(prefix));
  if (static_cast<int>(std::strlen(name)) < n) return 0;
  for (int i = 0; i < n; ++i) {
    char a = prefix[i], b = name[i];
    if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
    if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
    if (a != b) return 0;
  }
  return 1;
}

int IsYrlLayerWstr(const char* prefix, const VynWchar* name) {
  if (!name) return 0;
  char narrow[vek::wstostr_room(kNameSize)];
  vek::wstostr_bounded(narrow, sizeof narrow, name);
  return IsYrlLayer(prefix, narrow);
}

namespace {

struct BlankLayers {
  const char* prefix;
  VynArray names;  // kNameSize-char blocks
  int count;
};

}  // namespace

VynError YrlCleanupBlankLayerWstrAction(VynModelitem* layer, VynError, void* app_data) {
  auto* found = static_cast<BlankLayers*>(app_data);
  int status = 0;
  VynWchar name[kNameSize];
  if (VynLayerDisplaystatusGet(layer, &status) != VYN_TK_NO_ERROR || status != kLayerBlank) return VYN_TK_NO_ERROR;
  if (VynModelitemNameGet(layer, name) != VYN_TK_NO_ERROR || !IsYrlLayerWstr(found->prefix, name)) return VYN_TK_NO_ERROR;
  char narrow[kNameSize] = {};
  vek::wstostr_bounded(narrow, kNameSize, name);
  if (VynArrayObjectAdd(&found->names, -1, 1, narrow) == VYN_TK_NO_ERROR) ++found->count;
  return VYN_TK_NO_ERROR;
}

namespace {

}  // namespace

int YrlOptLayerSelSet(const char* dialog, YrlCleanupData* data, const char* select) {
  BlankLayers found{data->prefix, nullptr, 0};
  VynArrayAlloc(0, kNameSize, 8, &found.names);
  VynMdlLayerVisit(current_model(), YrlCleanupBlankLayerWstrAction, nullptr, &found);
  VynArray names = nullptr, labels = nullptr, wide = nullptr;
  VynArrayAlloc(0, static_cast<int>(sizeof(char*)), 8, &names);
  VynArrayAlloc(0, static_cast<int>(sizeof(VynWchar*)), 8, &labels);
  VynArrayAlloc(found.count + 1, kNameSize * static_cast<int>(sizeof(VynWchar)), 1, &wide);
  auto* wide_names = static_cast<VynWchar(*)[kNameSize]>(wide);
  for (int i = 0; i <= found.count; ++i) {
    const char* n = i == 0 ? kCreateNew : static_cast<char*>(found.names) + kNameSize * (i - 1);
    vek::strtows_bounded(wide_names[i], kNameSize, n);
    const VynWchar* label = wide_names[i];
    VynArrayObjectAdd(&names, -1, 1, &n);
    VynArrayObjectAdd(&labels, -1, 1, &label);
  }
  int status = VynUIOptionmenuNamesSet(dialog, "OptLayerSel", found.count + 1, names);
  if (status == VYN_TK_NO_ERROR) status = VynUIOptionmenuLabelsSet(dialog, "OptLayerSel", found.count + 1, labels);
  if (status == VYN_TK_NO_ERROR && select) {
    VynArray chosen = nullptr;
    VynArrayAlloc(0, static_cast<int>(sizeof(char*)), 1, &chosen);
    VynArrayObjectAdd(&chosen, -1, 1, &select);
    status = VynUIOptionmenuSelectednamesSet(dialog, "OptLayerSel", 1, chosen);
    VynArrayFree(&chosen);
  }
  VynArrayFree(&names);
  VynArrayFree(&labels);
  VynArrayFree(&wide);
  VynArrayFree(&found.names);
  VynUIInputpanelStringSet(dialog, "LNameInput", "");
  return status;
}

int YrlCleanupEntSelectedSet(const char* dialog, int count) {
  char text[32];
  std::snprintf(text, sizeof text, " %d selected", count);
  int status = VynUIInputpanelStringSet(dialog, "LPEntSelected", text);
  if (count >= 1)
    VynUIPushbuttonEnable(dialog, "LPClearBtn");
  else
    VynUIPushbuttonDisable(dialog, "LPClearBtn");
  return status;
}

int YrlCleanupReset(const char* dialog, YrlCleanupData* data) {
  YrlCleanupEntSelectedSet(dialog, 0);
  return YrlOptLayerSelSet(dialog, data, nullptr);
}

int IsTabManual(const char* dialog, const char* tab) {
  int count = 0;
  VynArray names = nullptr;
  int manual = 0;
  if (VynUITabSelectednamesGet(dialog, tab, &count, &names) == VYN_TK_NO_ERROR && names && count == 1) {
    const char* n = static_cast<char**>(names)[0];
    manual = n && VynUtilStrcmp(n, "LayoutManual") == 0 ? 1 : 0;
  }
  if (names) VynStringvynarrayFree(names);
  return manual;
}

void YrlCleanupMainTabAction(char* dialog, char* component, void* app_data) {
  if (!IsTabManual(dialog, component)) return;
  VynUIInputpanelEnable(dialog, "LNameInput");
  VynUICheckbuttonEnable(dialog, "LPFiltColorBtn");
  YrlCleanupEntSelectedSet(dialog, 0);
  YrlOptLayerSelSet(dialog, record_of(app_data), nullptr);
}

void YrlCleanupOptLayerSelAction(char* dialog, char*, void*) {
  char name[kNameSize];
  if (!selected_layer(dialog, name)) return;
  if (std::strcmp(name, kCreateNew) == 0) {
    VynUIInputpanelEnable(dialog, "LNameInput");
    VynUICheckbuttonEnable(dialog, "LPFiltColorBtn");
    return;
  }
  VynUIInputpanelStringSet(dialog, "LNameInput", "");
  VynUIInputpanelDisable(dialog, "LNameInput");
  VynUICheckbuttonUnset(dialog, "LPFiltColorBtn");
  VynUICheckbuttonDisable(dialog, "LPFiltColorBtn");
  VynLayer layer{};
  LayerItems held;
  if (layer_get(current_model(), name, &layer) == VYN_TK_NO_ERROR) layer_items(&layer, &held);
  YrlCleanupEntSelectedSet(dialog, held.count);
  held.release();
}

int YrlCleanupFilterByColorSelect(VynArray* selections, int* count) {
  *count = 0;
  VynArray picks = nullptr;
  int picked = 0;
  int status = VynSelect("draft_ent,any_note", 1, nullptr, nullptr, nullptr, 0, &picks, &picked);
  if (status != VYN_TK_NO_ERROR) return status;
  if (picked != 1) return -1;
  VynModelitem item{};
  VynSelectionModelitemGet(static_cast<VynSelection*>(picks)[0], &item);
  YrlColorFilter filter{};
  if (item.type == kTypeEntity) {
    VynDtlentitydata data = nullptr;
    if ((status = VynDtlentityDataGet(&item, nullptr, &data)) != VYN_TK_NO_ERROR) return status;
    status = VynDtlentitydataColorGet(data, &filter.colour);
    VynDtlentitydataFree(data);
  } else if (item.type == kTypeNote) {
    VynDtlnotedata data = nullptr;
    if ((status = VynDtlnoteDataGet(&item, nullptr, 0, &data)) == VYN_TK_NO_ERROR)
      status = VynDtlnotedataColorGet(data, &filter.colour);
  } else {
    return -1;
  }
  if (status != VYN_TK_NO_ERROR) return status;
  if ((status = VynArrayAlloc(0, static_cast<int>(sizeof(VynSelection)), 16, &filter.selections)) != VYN_TK_NO_ERROR)
    return status;
  status = YrlCleanupYrlFiltByColorDataGet(&filter);
  int collected = 0;
  VynArraySizeGet(filter.selections, &collected);
  if (collected > 0) {
    *selections = filter.selections;
    *count = collected;
  } else {
    free_selections(&filter.selections);
  }
  return status;
}

namespace {

// The layer the manual page works on: name and whether the user chose an existing one.
bool manual_layer(const char* dialog, const YrlCleanupData* data, char* name, bool* existing) {
  char chosen[kNameSize];
  selected_layer(dialog, chosen);
  *existing = chosen[0] && std::strcmp(chosen, kCreateNew) != 0;
  if (*existing) {
    std::snprintf(name, kNameSize, "%s", chosen);
    return true;
  }
  char text[256];
  typed_text(dialog, text, sizeof text);
  if (!text[0]) {
    VynMessageDisplay(YrlMsgFile, "YRL_SELECT_LAYER");
    return false;
  }
  // The typed text is upper-cased; the prefix keeps its case, as in the other layers.
  VynUtilStringUpper(text, text);
  if (!layer_name(name, data->prefix, text)) {
    VynMessageDisplay(YrlMsgFile, "YRL_LAYER_NAME_LONG");
    return false;
  }
  return true;
}

}  // namespace

void YrlCleanupLPPickBtnAction(char* dialog, char*, void* app_data) {
  YrlCleanupData* data = record_of(app_data);
  VynMdl model = current_model();
  char name[kNameSize];
  bool existing = false;
  if (!manual_layer(dialog, data, name, &existing)) return;
  VynLayer layer{};
  int found = layer_get(model, name, &layer);
  if (!existing && found == VYN_TK_NO_ERROR) {
    VynMessageDisplay(YrlMsgFile, "YRL_LAYER_EXISTS");
    return;
  }
  // An existing layer's items start the selection; the layer itself only changes once
  // the pick succeeds, so a pick given up leaves it as it was.
  VynArray start = nullptr;
  LayerItems held;
  if (existing && found == VYN_TK_NO_ERROR) {
    layer_items(&layer, &held);
    VynArrayAlloc(0, static_cast<int>(sizeof(VynSelection)), 16, &start);
    auto* list = static_cast<VynLayerItem*>(held.items);
    for (int i = 0; i < held.count; ++i) {
      VynModelitem item{list[i].type, list[i].id, model};
      VynSelection s = nullptr;
      if (VynSelectionAlloc(nullptr, &item, &s) == VYN_TK_NO_ERROR) VynArrayObjectAdd(&start, -1, 1, &s);
    }
    VynLayerDisplaystatusSet(&layer, kLayerShown);
  }
  int state = 0;
  VynUICheckbuttonGetState(dialog, "LPFiltColorBtn", &state);
  VynArray picks = nullptr;
  int count = 0;
  int status = state ? YrlCleanupFilterByColorSelect(&picks, &count)
                     : YrlSelect("draft_ent,dimension,any_note", -1, start, nullptr, nullptr, 0, &picks, &count, 2);
  free_selections(&start);
  if (status != VYN_TK_NO_ERROR || count < 1) {
    if (existing && found == VYN_TK_NO_ERROR) VynLayerDisplaystatusSet(&layer, kLayerBlank);
    held.release();
    free_selections(&picks);
    if (status == VYN_TK_USER_ABORT) return;
    VynMessageDisplay(YrlMsgFile, status == -14 ? "YRL_SELECTION_ABORTED" : "YRL_NO_ENT_SELECTED");
    return;
  }
  found = layer_get(model, name, &layer);
  if (found == VYN_TK_E_NOT_FOUND && (found = layer_open_blank(model, name, &layer)) != VYN_TK_NO_ERROR)
    VynMessageDisplay(YrlMsgFile, "YRL_LAYER_CREATE_FAILED");
  if (found == VYN_TK_NO_ERROR) {
    // The layer now holds exactly the picked items: those the user dropped leave it.
    auto* list = static_cast<VynLayerItem*>(held.items);
    auto* picked = static_cast<VynSelection*>(picks);
    for (int i = 0; i < held.count; ++i) {
      bool kept = false;
      for (int j = 0; j < count && !kept; ++j) {
        VynModelitem item{};
        kept = VynSelectionModelitemGet(picked[j], &item) == VYN_TK_NO_ERROR && item.type == list[i].type &&
               item.id == list[i].id;
      }
      if (!kept) VynLayerItemRemove(&layer, &list[i]);
    }
    status = selections_to_layer(&layer, model, picks, count);
    VynLayerDisplaystatusSet(&layer, kLayerBlank);
    VynLayerDisplaystatusSave(model);
    VynWindowRepaint(-1);
    if (status == VYN_TK_NO_ERROR) YrlCleanupReset(dialog, data);
  }
  held.release();
  free_selections(&picks);
}

void YrlCleanupLPClearBtnAction(char* dialog, char*, void* app_data) {
  YrlCleanupData* data = record_of(app_data);
  char name[kNameSize];
  bool existing = false;
  if (!manual_layer(dialog, data, name, &existing)) return;
  if (existing) {
    VynUIInputpanelEnable(dialog, "LNameInput");
    VynUICheckbuttonEnable(dialog, "LPFiltColorBtn");
  }
  YrlCleanupDeletePreview(name);
  YrlCleanupEntSelectedSet(dialog, 0);
  YrlOptLayerSelSet(dialog, data, nullptr);
}

// ---- The dialog ----

int YrlCleanupInit(const char* dialog, YrlCleanupData* data) {
  VynUIInputpanelInputtypeSet(dialog, "LNameInput", 0);
  VynUIInputpanelInputtypeSet(dialog, "LPEntSelected", 0);
  VynUIInputpanelDisable(dialog, "LPEntSelected");
  VynUICheckbuttonDisable(dialog, "LPFiltColorBtn");
  data->preview_shown = 0;
  return YrlOptLayerSelSet(dialog, data, nullptr);
}

int YrlCleanup() {
  YrlCleanupData data{};
  YrlPreferencesLayerPrefixGet(data.prefix);
  // The longest layer name the dialog makes must fit the host's 31 characters.
  if (static_cast<int>(std::strlen(data.prefix)) > YRL_LAYER_PREFIX_MAX) {
    VynMessageDisplay(YrlMsgFile, "YRL_LAYER_PREFIX_LONG");
    return VYN_TK_BAD_INPUTS;
  }
  int status = VynUIDialogCreate(kDlg, kDlg);
  if (status != VYN_TK_NO_ERROR) return YrlDialogSetupFailed(kDlg, kDlg, status, false);
  VynWchar title[16];
  vek::strtows_bounded(title, 16, "Cleanup");
  if ((status = VynUIDialogTitleSet(kDlg, title)) != VYN_TK_NO_ERROR) return YrlDialogSetupFailed(kDlg, "title set", status, true);
  struct Button {
    const char* name;
    const char* shown;
    VynUIAction action;
  };
  const Button buttons[] = {
      {"Clean", "Clean", YrlCleanupCleanAction},
      {"Preview", "Preview", YrlCleanupPreviewAction},
      {"Close", "Cancel", YrlCleanupCloseAction},
      {"BtnSelAll", "BtnSelAll", YrlCleanupBtnSelAllAction},
      {"BtnUnSelAll", "BtnUnSelAll", YrlCleanupBtnUnSelAllAction},
      {"FBtnSelAll", "FBtnSelAll", YrlCleanupFBtnSelAllAction},
      {"FBtnUnSelAll", "FBtnUnSelAll", YrlCleanupFBtnUnSelAllAction},
      {"LPPickBtn", "LPPickBtn", YrlCleanupLPPickBtnAction},
      {"LPClearBtn", "LPClearBtn", YrlCleanupLPClearBtnAction},
  };
  for (const Button& b : buttons)
    if ((status = VynUIPushbuttonActivateActionSet(kDlg, b.name, b.action, &data)) != VYN_TK_NO_ERROR)
      return YrlDialogSetupFailed(kDlg, b.shown, status, true);
  if ((status = VynUITabSelectActionSet(kDlg, "MainTab", YrlCleanupMainTabAction, &data)) != VYN_TK_NO_ERROR)
    return YrlDialogSetupFailed(kDlg, "MainTab", status, true);
  if ((status = VynUIOptionmenuSelectActionSet(kDlg, "OptLayerSel", YrlCleanupOptLayerSelAction, &data)) !=
      VYN_TK_NO_ERROR)
    return YrlDialogSetupFailed(kDlg, "OptLayerSel", status, true);
  VynUIDialogCloseActionSet(kDlg, YrlCleanupCloseAction, &data);
  YrlCleanupInit(kDlg, &data);
  VynUIDialogDefaultbuttonSet(kDlg, "Close");
  int exit_status = 0;
  status = VynUIDialogActivate(kDlg, &exit_status);
  VynUIDialogDestroy(kDlg);
  return status;
}
