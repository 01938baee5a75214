// The View Setup dialog and the drawing of the declared views over the drawing.
#include "app/views/view_setup.h"

#include <cmath>
#include <cstdio>
#include <cctype>
#include <cstring>
#include <initializer_list>

#include "app/measure/measure.h"
#include "app/menus/app_init.h"
#include "app/select/select.h"
#include "app/storage/storage.h"
#include "app/prefs/prefs.h"
#include "app/util/apputil.h"
#include "app/views/viewdata.h"
#include "app/views/views.h"
#include "runtime/text/wide.h"
#include "toolkit/api/app_api.h"
#include "toolkit/util/strutil.h"
#include "toolkit/util/vecmath.h"

namespace {

constexpr int kColourCurrent = 18;
constexpr int kColourOther = 6;
constexpr double kMarkRadius = 5.0;

// Page prefix to view type: Ort 1, Sec 2, Aux 3, Det 4 (0 for anything else).
int page_type(const char* prefix) {
  static const char* const pages[] = {"Ort", "Sec", "Aux", "Det"};
  for (int i = 0; i < 4; ++i)
    if (VynUtilStrcmp(prefix, pages[i]) == 0) return i + 1;
  return 0;
}

void text_at(double x, double y, const char* text) {
  const double point[3] = {x, y, 0};
  VynWchar wide[YRL_VIEW_NAME_SIZE];
  vek::strtows_bounded(wide, YRL_VIEW_NAME_SIZE, text);
  VynGraphicsTextDisplay(point, wide);
}

// The three axis letters of an orthographic view around its bounds.
void axis_letters(const char* name, const double* b) {
  struct Letters {
    const char* view;
    const char* a;
    const char* b;
    const char* c;
  };
  static const Letters table[] = {
      {"TOP", "Y", "X", "Z"},   {"REAR", "Z", "X", "Y"}, {"FRONT", "Z", "X", "Y"},
      {"BOTTOM", "Y", "X", "Z"}, {"LEFT", "X", "Z", "Y"}, {"RIGHT", "X", "Y", "Z"},
  };
  for (const Letters& l : table) {
    if (std::strcmp(l.view, name) != 0) continue;
    double mid_x = b[0] + (b[3] - b[0]) / 2, mid_y = b[1] + (b[4] - b[1]) / 2;
    text_at(b[0] - 15, mid_y, l.a);        // left edge middle
    text_at(mid_x, b[1] - 10, l.b);        // bottom edge middle
    text_at(b[0] - 5, b[1] - 5, l.c);      // lower-left corner
  }
}

void mark(const double* point) {
  double p[3] = {point[0], point[1], point[2]};
  double matrix[4][4];
  double inverse[4][4];
  if (YrlGetScrToDrwMatrix(matrix) == VYN_TK_NO_ERROR && VynUtilMatrixInvert(matrix, inverse) == VYN_TK_NO_ERROR) {
    double q[3];
    VynUtilPointTrans(inverse, p, q);
    std::memcpy(p, q, sizeof p);
  }
  VynGraphicsCircleDraw(p, kMarkRadius);
}

// One view's bounds, name, letters and marks; -1 when its bounds are degenerate.
int YrlViewBoundDrawByColor(const char* name, const YrlViewData& r, int colour) {
  const double* b = r.bounds;
  double dx = b[3] - b[0], dy = b[4] - b[1];
  if (std::sqrt(dx * dx + dy * dy) < 0.01) return -1;
  int old_colour = 0, old_style = 0;
  VynGraphicsColorSet(colour, &old_colour);
  VynLinestyleSet(2, &old_style);
  const double corners[5][3] = {{b[0], b[1], 0}, {b[3], b[1], 0}, {b[3], b[4], 0}, {b[0], b[4], 0}, {b[0], b[1], 0}};
  VynGraphicsPenPosition(corners[0]);
  for (int i = 1; i < 5; ++i) VynGraphicsLineDraw(corners[i]);
  int ignored = 0;
  VynLinestyleSet(0, &ignored);
  VynTextAttribute attributes{};
  VynTextAttributesCurrentGet(&attributes);
  VynTextHeightCurrentSet(2 * attributes.height);
  if (std::fabs(attributes.width_factor) < 0.01) VynTextWidthFactorCurrentSet(0.5);
  text_at(b[0] + dx / 2 - 10, b[1] - 25, name);
  if (r.view_type == YRL_VIEW_ORTHO) {
    axis_letters(name, b);
    if (r.member_count != 0) VynGraphicsCircleDraw(r.ref_point, kMarkRadius);
  } else {
    for (int id : {r.cut_plane_id, r.vpr_id, r.position_id})
      if (id >= 1) YrlEntHighlight(id);
    if (r.vpr_id >= 1) mark(r.vpr_point);
    if (r.position_id >= 1) mark(r.position_point);
    if (r.view_type != YRL_VIEW_DETAIL && r.position1_id >= 1) mark(r.position1_point);
  }
  VynTextHeightCurrentSet(attributes.height);
  if (attributes.width_factor > 0) VynTextWidthFactorCurrentSet(attributes.width_factor);
  VynLinestyleSet(old_style, &ignored);
  VynGraphicsColorSet(old_colour, &ignored);
  return VYN_TK_NO_ERROR;
}

struct DrawAll {
  int type;
  char current[YRL_VIEW_NAME_SIZE];
};

int draw_visit(const char* name, const YrlViewData& record, void* app_data) {
  auto* all = static_cast<DrawAll*>(app_data);
  if (record.view_type == all->type)
    YrlViewBoundDrawByColor(name, record, std::strcmp(name, all->current) == 0 ? kColourCurrent : kColourOther);
  return 0;
}

bool third_angle() {
  char system[YRL_PREF_TEXT_SIZE] = "";
  YrlPreferencesDrawProjSystemGet(system);
  return VynUtilStrcmp(system, "third_angle") == 0;
}

// Selects one layout of a tab by its name.
int tab_select(const char* component, const char* layout) {
  return YrlSelectedNameSet(VynUITabSelectednamesSet, YRL_VIEW_SETUP_DIALOG, component, layout);
}

}  // namespace

int YrlCurTabNameGet(const char* dialog, char* prefix) {
  if (!prefix) return VYN_TK_BAD_INPUTS;
  prefix[0] = '\0';
  int count = 0;
  VynArray names = nullptr;
  int status = VynUITabSelectednamesGet(dialog, "MainTab", &count, &names);
  if (status == VYN_TK_NO_ERROR && names && count >= 1) {
    const char* name = static_cast<char**>(names)[0];
    if (name) std::snprintf(prefix, 8, "%s", name);
  }
  if (names) VynStringvynarrayFree(names);
  return status;
}

int YrlViewBoundDrawAllViews(const VynWchar* current_name) {
  char prefix[8] = "";
  YrlCurTabNameGet(YRL_VIEW_SETUP_DIALOG, prefix);
  DrawAll all{page_type(prefix), ""};
  if (all.type == 0) all.type = YRL_VIEW_ORTHO;
  if (current_name) vek::wstostr_bounded(all.current, YRL_VIEW_NAME_SIZE, current_name);
  return YrlViewRecordsVisit(draw_visit, &all);
}

int YrlViewCurrentViewShow(const char* name) {
  if (!name) return VYN_TK_BAD_INPUTS;
  char layout[48];
  const char* base = third_angle() ? "LayoutCurView3" : "LayoutCurView1";
  bool own = std::strcmp(name, "FRONT") == 0 || std::strcmp(name, "TOP") == 0 || std::strcmp(name, "RIGHT") == 0;
  std::snprintf(layout, sizeof layout, "%s%s", base, own ? name : "");
  return tab_select("CurrViewTab", layout);
}


// ---- The dialog ---------------------------------------------------------------------------

namespace {

constexpr const char* kDlg = YRL_VIEW_SETUP_DIALOG;
constexpr char kCreateNew[] = "Create New View";
constexpr char kErrorKey[] = "YRLFORM ERROR %0s";

// The second position line's crossing with the cutting plane, kept by the position filter.
double position_crossing[3];

void component_name(char* out, const char* format, const char* prefix) {
  std::snprintf(out, 48, format, prefix);
}

void button_set(const char* format, const char* prefix, bool enabled) {
  char name[48];
  component_name(name, format, prefix);
  if (enabled) VynUIPushbuttonEnable(kDlg, name);
  else VynUIPushbuttonDisable(kDlg, name);
}

void panel_text(const char* format, const char* prefix, const char* text) {
  char name[48];
  component_name(name, format, prefix);
  VynUIInputpanelStringSet(kDlg, name, text);
}

int current_page(char* prefix) {
  YrlCurTabNameGet(kDlg, prefix);
  return page_type(prefix);
}

void wide_name(VynWchar* wide, const char* name) { vek::strtows_bounded(wide, YRL_VIEW_NAME_SIZE, name); }

void draw_all(const char* current) {
  VynWchar wide[YRL_VIEW_NAME_SIZE];
  wide_name(wide, current);
  YrlViewBoundDrawAllViews(wide);
}

int group_count() {
  int n = 0;
  if (view_sel) VynArraySizeGet(view_sel, &n);
  return n;
}

// " %d selected" of the current group, and the page's clear button.
void YrlEntSelectedSet(const char* prefix) {
  int n = group_count();
  char text[32];
  std::snprintf(text, sizeof text, " %d selected", n);
  panel_text("%sViewEntSelected", prefix, text);
  button_set("%sViewClearBtn", prefix, n >= 1);
}

void YrlScaleInputSet(const char* prefix, double scale) {
  char name[48];
  component_name(name, "%sVScaleInput", prefix);
  VynUIInputpanelDoubleSet(kDlg, name, scale);
}

double drawing_scale() {
  double scale = 1.0;
  if (YrlViewDoubleRetrieve("YRL_DWGSCALE", &scale) != VYN_TK_NO_ERROR) scale = 1.0;
  return scale;
}

void main_tab_enable(bool enabled) {
  if (enabled) VynUITabEnable(kDlg, "MainTab");
  else VynUITabDisable(kDlg, "MainTab");
}

int YrlCurRadioViewTypeGet(char* name) {
  name[0] = '\0';
  int count = 0;
  char** names = nullptr;
  int status = VynUIRadiogroupSelectednamesGet(kDlg, "RadioViewType", &count, &names);
  if (status == VYN_TK_NO_ERROR && names && count == 1 && names[0])
    std::snprintf(name, YRL_VIEW_NAME_SIZE, "%s", names[0]);
  if (names) VynStringarrayFree(names, count);
  return name[0] ? VYN_TK_NO_ERROR : VYN_TK_E_NOT_FOUND;
}

int YrlViewProjectionShow() {
  return tab_select("ProjTab", third_angle() ? "LayoutProjSystem3" : "LayoutProjSystem1");
}

// Loads a view with its members as the current group and shows it.
void view_show(const char* name, const char* prefix) {
  VynWindowRepaint(-1);
  YrlClearCurSel();
  draw_all(name);
  double scale = 1.0, ref[3], bounds[6];
  int status = YrlViewDataGet(name, &scale, ref, bounds, 1);
  YrlViewCurrentViewShow(status == VYN_TK_NO_ERROR ? name : "NONE");
  if (page_type(prefix) == YRL_VIEW_ORTHO) scale = drawing_scale();
  YrlScaleInputSet(prefix, scale);
  YrlEntSelectedSet(prefix);
}

void YrlViewSetupInit() {
  YrlViewProjectionShow();
  YrlViewCurrentViewShow("NONE");
  YrlSelectedNameSet(VynUIRadiogroupSelectednamesSet, kDlg, "RadioViewType", "FRONT");
  double scale = 1.0, ref[3], bounds[6];
  double stored = 0;
  if (YrlViewDataGet("FRONT", &scale, ref, bounds, 1) == VYN_TK_NO_ERROR &&
      YrlViewDoubleRetrieve("YRL_DWGSCALE", &stored) == VYN_TK_NO_ERROR) {
    draw_all("FRONT");
    YrlViewCurrentViewShow("FRONT");
  }
  int count = 0;
  YrlViewSetupMinNoOfViews(1, &count);
  main_tab_enable(count >= 1);
  YrlEntSelectedSet("Ort");
  YrlScaleInputSet("Ort", drawing_scale());
}

// The name of the view being edited on a section, auxiliary or detail page; -1 when
// empty. A typed name longer than YRL_VIEW_NAME_MAX is refused whole ("YRL_VIEW_NAME_LONG",
// VYN_TK_LINE_TOO_LONG), not cut: a cut name would be another view's.
int YrlSectionNameGet(const char* prefix, char* name) {
  name[0] = '\0';
  char menu[48];
  component_name(menu, "%sOptViewSel", prefix);
  char chosen[YRL_PREF_TEXT_SIZE] = "";
  YrlOptionMenuValueGet(kDlg, menu, chosen);
  if (chosen[0] && std::strcmp(chosen, kCreateNew) != 0) {
    std::snprintf(name, YRL_VIEW_NAME_SIZE, "%s", chosen);
    return VYN_TK_NO_ERROR;
  }
  char input[48];
  component_name(input, "%sVNameInput", prefix);
  char* text = nullptr;
  int status = -1;
  // Blanks around the typed name are no part of it; a name of blanks is no name.
  if (VynUIInputpanelStringGet(kDlg, input, &text) == VYN_TK_NO_ERROR && text) RemoveExtraSpaces(text);
  if (text && text[0]) {
    if (std::strlen(text) > static_cast<std::size_t>(YRL_VIEW_NAME_MAX)) {
      VynMessageDisplay(YrlMsgFile, "YRL_VIEW_NAME_LONG");
      status = VYN_TK_LINE_TOO_LONG;
    } else {
      VynUtilStringUpper(text, name);
      status = VYN_TK_NO_ERROR;
    }
  }
  if (text) VynStringFree(text);
  return status;
}

int YrlSectionExists(int type, const char* name) {
  struct Find {
    int type;
    const char* name;
    int found;
  } find{type, name, 0};
  YrlViewRecordsVisit(
      [](const char* view_name, const YrlViewData& r, void* data) {
        auto* f = static_cast<Find*>(data);
        if (r.view_type == f->type && VynUtilStrcmp(view_name, f->name) == 0) f->found = 1;
        return f->found;
      },
      &find);
  return find.found;
}

// Fills the page's option menu; name (or null) becomes its selection.
void YrlOptViewSelSet(const char* prefix, const char* name) {
  int type = page_type(prefix);
  VynArray narrow = nullptr, wide = nullptr;
  int count = 0;
  YrlViewNamesGet(type, &count, &narrow, &wide);
  VynArray names = nullptr, labels = nullptr;
  VynArrayAlloc(0, static_cast<int>(sizeof(char*)), 8, &names);
  VynArrayAlloc(0, static_cast<int>(sizeof(VynWchar*)), 8, &labels);
  const char* create = kCreateNew;
  VynWchar create_wide[32];
  vek::strtows_bounded(create_wide, 32, kCreateNew);
  const VynWchar* create_label = create_wide;
  VynArrayObjectAdd(&names, -1, 1, &create);
  VynArrayObjectAdd(&labels, -1, 1, &create_label);
  for (int i = 0; i < count; ++i) {
    const char* n = static_cast<const char*>(narrow) + YRL_VIEW_NAME_SIZE * i;
    const VynWchar* w = static_cast<const VynWchar*>(wide) + YRL_VIEW_NAME_SIZE * i;
    VynArrayObjectAdd(&names, -1, 1, &n);
    VynArrayObjectAdd(&labels, -1, 1, &w);
  }
  char menu[48];
  component_name(menu, "%sOptViewSel", prefix);
  VynUIOptionmenuNamesSet(kDlg, menu, count + 1, names);
  VynUIOptionmenuLabelsSet(kDlg, menu, count + 1, labels);
  YrlSelectedNameSet(VynUIOptionmenuSelectednamesSet, kDlg, menu, name ? name : kCreateNew);
  button_set("%sVNameDelete", prefix, name != nullptr);
  panel_text("%sVNameInput", prefix, "");
  VynArrayFree(&names);
  VynArrayFree(&labels);
  if (narrow) VynArrayFree(&narrow);
  if (wide) VynArrayFree(&wide);
}

void YrlMainTabLayoutSet(const char* prefix) {
  VynWindowRepaint(-1);
  YrlClearCurSel();
  if (page_type(prefix) == YRL_VIEW_ORTHO) {
    YrlViewSetupInit();
    return;
  }
  panel_text("%sVNameInput", prefix, "");
  YrlScaleInputSet(prefix, 1.0);
  for (const char* format : {"%sCPEntSelected", "%sVPREntSelected", "%sPosEntSelected", "%s1PosEntSelected"})
    panel_text(format, prefix, "");
  char input[48];
  component_name(input, "%sVNameInput", prefix);
  VynUIInputpanelEnable(kDlg, input);
  for (const char* format : {"%sVNameDelete", "%sCPPickBtn", "%sVPRPickBtn", "%sPosPickBtn", "%s1PosPickBtn"})
    button_set(format, prefix, false);
  VynUIPushbuttonDisable(kDlg, "DetCalcScalePickBtn");
  YrlOptViewSelSet(prefix, nullptr);
  YrlEntSelectedSet(prefix);
}

void message(const char* key) { VynMessageDisplay(YrlMsgFile, key); }
void error_text(const char* text) { VynMessageDisplay(YrlMsgFile, kErrorKey, text); }


// One picked line through filter (null: any); false unless exactly one.
bool YrlSelectLineEnts(VynSelectionFilterAction filter, void* data, VynModelitem* item, double* nearer) {
  VynSelectionFilter record{filter, data};
  VynArray picks = nullptr;
  int count = 0;
  if (VynSelect("draft_ent", 1, nullptr, filter ? &record : nullptr, nullptr, 0, &picks, &count) != VYN_TK_NO_ERROR ||
      count != 1 || !picks)
    return false;
  VynSelection s = static_cast<VynSelection*>(picks)[0];
  if (VynSelectionModelitemGet(s, item) != VYN_TK_NO_ERROR) return false;
  if (nearer) YrlEntSelNearestEndGet(s, nearer);
  return true;
}

void entity_text(const char* format, const char* prefix, int id) {
  char text[64];
  VynMdl drawing = nullptr;
  VynMdlCurrentGet(&drawing);
  VynModelitem item{YRL_DRAFT_ENTITY_TYPE, id, drawing};
  YrlEntityDisplayGet(&item, text);
  panel_text(format, prefix, text);
}

// What the pick filters compare against.
struct FilterData {
  int type;
  char name[YRL_VIEW_NAME_SIZE];
  double line[2][3];  // the cutting-plane or view-reference line
  int parent_group;
};

int selection_view(VynSelection s, int* type, char* name) {
  *type = -1;
  name[0] = '\0';
  return YrlViewSetupIdTypeGetBySelection(s, type, name);
}

VynError line_ends(VynSelection s, double line[2][3]) {
  return YrlGetEndPointsFromSelection(s, line[0], line[1]);
}

}  // namespace

VynError YrlSelectLineEntCutPlnPickPostFilter(VynSelection selection, void*) {
  int type = -1;
  char name[YRL_VIEW_NAME_SIZE];
  selection_view(selection, &type, name);
  if (type == YRL_VIEW_ORTHO || type == YRL_VIEW_AUXILIARY) return VYN_TK_NO_ERROR;
  error_text("Selection item does not belong to a valid Yrlform Ortho or Auxiliary view");
  return VYN_TK_GENERAL_ERROR;
}

VynError YrlSelectLineEntRefPlnPickPostFilter(VynSelection selection, void* data) {
  return YrlSelectLineEntCutPlnPickPostFilter(selection, data);
}

VynError YrlSelectLineEntVPRPickPostFilter(VynSelection selection, void* app_data) {
  auto* f = static_cast<FilterData*>(app_data);
  int type = -1;
  char name[YRL_VIEW_NAME_SIZE];
  selection_view(selection, &type, name);
  if (type == f->type && VynUtilStrcmp(name, f->name) == 0) return VYN_TK_NO_ERROR;
  char text[96];
  std::snprintf(text, sizeof text, "Selection item belongs to %s view", name);
  error_text(text);
  return VYN_TK_GENERAL_ERROR;
}

VynError YrlSelectLineEntPosPickPostFilter(VynSelection selection, void* app_data) {
  auto* f = static_cast<FilterData*>(app_data);
  int group = -1;
  YrlViewSetupIdGetBySelection(selection, &group);
  if (group != f->parent_group || group < 0) {
    error_text("Selection item does not belong to parent view");
    return VYN_TK_GENERAL_ERROR;
  }
  double line[2][3];
  if (line_ends(selection, line) != VYN_TK_NO_ERROR || !YrlUtilLinesPerpendicular(line, f->line)) {
    error_text("Selection item is not perpendicular to the Reference Cutting Plane");
    return VYN_TK_GENERAL_ERROR;
  }
  double crossing[3];
  if (!YrlUtilLineLineX(line, f->line, crossing)) {
    error_text("Selection item is not intersecting with the Reference Cutting Plane");
    return VYN_TK_GENERAL_ERROR;
  }
  std::memcpy(position_crossing, crossing, sizeof crossing);
  return VYN_TK_NO_ERROR;
}

VynError YrlSelectLineEntDetPosPickPostFilter(VynSelection selection, void* app_data) {
  auto* f = static_cast<FilterData*>(app_data);
  int type = -1;
  char name[YRL_VIEW_NAME_SIZE];
  selection_view(selection, &type, name);
  if (type != YRL_VIEW_ORTHO && type != YRL_VIEW_AUXILIARY) {
    error_text("Selection item does not belong to any parent view");
    return VYN_TK_GENERAL_ERROR;
  }
  double line[2][3];
  if (line_ends(selection, line) != VYN_TK_NO_ERROR || !YrlUtilLinesParallel(line, f->line)) {
    error_text("Selection item is not parallel to the View Reference Plane");
    return VYN_TK_GENERAL_ERROR;
  }
  return VYN_TK_NO_ERROR;
}

void YrlViewSetupCloseAction(char*, char*, void*) {
  VynWindowRepaint(-1);
  YrlClearCurSel();
  VynUIDialogExit(kDlg, -1);
}

void YrlMainTabAction(char*, char*, void*) {
  char prefix[8];
  current_page(prefix);
  YrlMainTabLayoutSet(prefix);
}

void YrlRadioViewTypeAction(char*, char*, void*) {
  char name[YRL_VIEW_NAME_SIZE];
  if (YrlCurRadioViewTypeGet(name) != VYN_TK_NO_ERROR) return;
  view_show(name, "Ort");
}

void YrlVScaleInputAction(char*, char* component, void*) {
  double scale = 0;
  if (VynUIInputpanelDoubleGet(kDlg, component, &scale) != VYN_TK_NO_ERROR) return;
  char prefix[8];
  int type = current_page(prefix);
  char name[YRL_VIEW_NAME_SIZE] = "";
  if (type == YRL_VIEW_ORTHO) {
    YrlCurRadioViewTypeGet(name);
  } else {
    // Only a view of the page's kind takes the scale: a typed name that a view of another
    // kind holds is no view of this page, and that view keeps its scale.
    YrlSectionNameGet(prefix, name);
    if (!YrlSectionExists(type, name)) name[0] = '\0';
  }
  // A scale is divided by later: one that is not positive is refused and the stored one
  // shown again.
  if (!(scale > 0.0) || !std::isfinite(scale)) {
    error_text("The scale must be greater than 0");
    double stored = 1.0;
    if (type == YRL_VIEW_ORTHO) stored = drawing_scale();
    else if (name[0]) YrlViewDataGet(name, &stored, nullptr, nullptr, 0);
    VynUIInputpanelDoubleSet(kDlg, component, stored);
    return;
  }
  if (type == YRL_VIEW_ORTHO) YrlViewDoubleSave("YRL_DWGSCALE", scale);
  if (name[0]) YrlViewDataDwgScaleSet(name, scale);
}

void YrlOrthoComputeScaleAction(char*, char*, void*) {
  double scale = 0;
  // Only a scale the user accepted with Ok is kept.
  if (YrlMeasureDialog(&scale) != VYN_TK_NO_ERROR) return;
  VynUIInputpanelDoubleSet(kDlg, "OrtVScaleInput", scale);
  YrlViewDoubleSave("YRL_DWGSCALE", scale);
}

void YrlOrthoPickBtnAction(char*, char*, void*) {
  char name[YRL_VIEW_NAME_SIZE];
  if (YrlCurRadioViewTypeGet(name) != VYN_TK_NO_ERROR) return;
  YrlCreateView(kDlg, name, YRL_VIEW_ORTHO);
  YrlEntSelectedSet("Ort");
  int count = 0;
  YrlViewSetupMinNoOfViews(1, &count);
  main_tab_enable(count >= 1);
}

void YrlOrthoClearBtnAction(char*, char*, void*) {
  char name[YRL_VIEW_NAME_SIZE];
  if (YrlCurRadioViewTypeGet(name) != VYN_TK_NO_ERROR) return;
  char text[96];
  std::snprintf(text, sizeof text, "Remove entities from %s view? ", name);
  int ok = 0;
  OkCancelDialog("Clear View?", text, &ok);
  if (ok) {
    VynWindowRepaint(-1);
    YrlClearView(name);
  }
  YrlEntSelectedSet("Ort");
  int ortho = 0;
  YrlViewSetupFindNoOfViews(nullptr, &ortho, nullptr);
  main_tab_enable(ortho >= 1);
}

void YrlViewSelAction(char*, char*, void*) {
  char prefix[8];
  int type = current_page(prefix);
  char menu[48];
  component_name(menu, "%sOptViewSel", prefix);
  char chosen[YRL_PREF_TEXT_SIZE] = "";
  YrlOptionMenuValueGet(kDlg, menu, chosen);
  if (!chosen[0] || std::strcmp(chosen, kCreateNew) == 0) {
    VynWindowRepaint(-1);
    YrlClearCurSel();
    YrlMainTabLayoutSet(prefix);
    YrlScaleInputSet(prefix, 1.0);
    return;
  }
  char input[48];
  component_name(input, "%sVNameInput", prefix);
  VynUIInputpanelStringSet(kDlg, input, chosen);
  VynUIInputpanelDisable(kDlg, input);
  button_set("%sVNameDelete", prefix, true);
  view_show(chosen, prefix);
  YrlViewData r;
  if (YrlViewDataRead(chosen, &r) != VYN_TK_NO_ERROR) return;
  bool cut = type != YRL_VIEW_DETAIL;
  struct Step {
    const char* button;
    const char* panel;
    int id;
  };
  const Step steps[] = {{"%sCPPickBtn", "%sCPEntSelected", r.cut_plane_id},
                        {"%sVPRPickBtn", "%sVPREntSelected", r.vpr_id},
                        {"%sPosPickBtn", "%sPosEntSelected", r.position_id},
                        {"%s1PosPickBtn", "%s1PosEntSelected", r.position1_id}};
  bool all_before = true;
  for (int i = cut ? 0 : 1; i < (cut ? 4 : 3); ++i) {
    const Step& s = steps[i];
    bool set = s.id >= 1;
    button_set(s.button, prefix, set && all_before);
    all_before = all_before && set;
    if (set) {
      entity_text(s.panel, prefix, s.id);
      YrlEntHighlight(s.id);
    } else {
      panel_text(s.panel, prefix, "");
    }
  }
  if (type == YRL_VIEW_DETAIL) {
    if (r.vpr_id >= 1 && r.position_id >= 1) VynUIPushbuttonEnable(kDlg, "DetCalcScalePickBtn");
    else VynUIPushbuttonDisable(kDlg, "DetCalcScalePickBtn");
  }
}

void YrlViewPickBtnAction(char*, char*, void*) {
  char prefix[8];
  int type = current_page(prefix);
  char name[YRL_VIEW_NAME_SIZE];
  if (int status = YrlSectionNameGet(prefix, name)) {
    if (status == -1) message("YRL_SELECT_VIEWNAME");
    return;
  }
  // A name that another view (of any kind) holds is refused before anything changes.
  if (YrlViewNameCheck(name, type) != VYN_TK_NO_ERROR) return;
  if (YrlSectionExists(type, name)) {
    panel_text("%sVNameInput", prefix, "");
    YrlOptViewSelSet(prefix, name);
  } else {
    button_set("%sVNameDelete", prefix, true);
  }
  if (YrlCreateView(kDlg, name, type) != VYN_TK_NO_ERROR) return;
  YrlEntSelectedSet(prefix);
  if (!YrlSectionExists(type, name)) return;
  YrlOptViewSelSet(prefix, name);
  button_set(type == YRL_VIEW_DETAIL ? "%sVPRPickBtn" : "%sCPPickBtn", prefix, true);
}

void YrlViewClearBtnAction(char*, char*, void*) {
  char prefix[8];
  current_page(prefix);
  char name[YRL_VIEW_NAME_SIZE];
  if (YrlSectionNameGet(prefix, name) != VYN_TK_NO_ERROR) return;
  VynWindowRepaint(-1);
  YrlClearView(name);
  YrlEntSelectedSet(prefix);
}

void YrlVNameDeleteAction(char*, char*, void*) {
  char prefix[8];
  current_page(prefix);
  char menu[48];
  component_name(menu, "%sOptViewSel", prefix);
  char chosen[YRL_PREF_TEXT_SIZE] = "";
  if (YrlOptionMenuValueGet(kDlg, menu, chosen) != VYN_TK_NO_ERROR || std::strcmp(chosen, kCreateNew) == 0) return;
  char text[96];
  std::snprintf(text, sizeof text, "Delete %s view? ", chosen);
  int ok = 0;
  OkCancelDialog("Delete View?", text, &ok);
  if (ok) {
    VynWindowRepaint(-1);
    YrlClearView(chosen);
    YrlClearCurSel();
    YrlMainTabLayoutSet(prefix);
  }
  YrlEntSelectedSet(prefix);
}

void YrlCPPickBtnAction(char*, char*, void*) {
  char prefix[8];
  int type = current_page(prefix);
  button_set("%sVPRPickBtn", prefix, false);
  button_set("%sPosPickBtn", prefix, false);
  if (type == YRL_VIEW_AUXILIARY) button_set("%s1PosPickBtn", prefix, false);
  char name[YRL_VIEW_NAME_SIZE];
  if (YrlSectionNameGet(prefix, name) != VYN_TK_NO_ERROR) return;
  message("YRL_SEL_CUT_PLANE_PROMPT");
  VynModelitem item{};
  if (!YrlSelectLineEnts(YrlSelectLineEntCutPlnPickPostFilter, nullptr, &item, nullptr)) return;
  YrlViewDataChange(name, [&](YrlViewData& r) { r.cut_plane_id = item.id; });
  entity_text("%sCPEntSelected", prefix, item.id);
  draw_all(name);
  button_set("%sVPRPickBtn", prefix, true);
}

void YrlVPRPickBtnAction(char*, char*, void*) {
  char prefix[8];
  FilterData f{};
  f.type = current_page(prefix);
  if (YrlSectionNameGet(prefix, f.name) != VYN_TK_NO_ERROR) return;
  message("YRL_SEL_VPR_PROMPT");
  VynModelitem item{};
  double nearer[3] = {};
  if (!YrlSelectLineEnts(YrlSelectLineEntVPRPickPostFilter, &f, &item, nearer)) return;
  int position = 0;
  YrlViewDataChange(f.name, [&](YrlViewData& r) {
    r.vpr_id = item.id;
    std::memcpy(r.vpr_point, nearer, sizeof nearer);
    position = r.position_id;
  });
  entity_text("%sVPREntSelected", prefix, item.id);
  draw_all(f.name);
  button_set("%sPosPickBtn", prefix, true);
  if (f.type == YRL_VIEW_DETAIL && position >= 1) VynUIPushbuttonEnable(kDlg, "DetCalcScalePickBtn");
}

void YrlPosPickBtnAction(char*, char*, void*) {
  char prefix[8];
  FilterData f{};
  f.type = current_page(prefix);
  char name[YRL_VIEW_NAME_SIZE];
  if (YrlSectionNameGet(prefix, name) != VYN_TK_NO_ERROR) return;
  YrlViewData r;
  if (YrlViewDataRead(name, &r) != VYN_TK_NO_ERROR) return;
  VynSelectionFilterAction filter = nullptr;
  VynMdl drawing = nullptr;
  VynMdlCurrentGet(&drawing);
  if (f.type == YRL_VIEW_DETAIL) {
    message("YRL_SEL_REF_DET_POS_PROMPT");
    VynModelitem vpr{YRL_DRAFT_ENTITY_TYPE, r.vpr_id, drawing};
    YrlGetEndPointsFromEntity(&vpr, f.line[0], f.line[1]);
    filter = YrlSelectLineEntDetPosPickPostFilter;
  } else if (f.type == YRL_VIEW_AUXILIARY) {
    message("YRL_SEL_REF_AUX_POS_PROMPT");
    filter = YrlSelectLineEntRefPlnPickPostFilter;
  } else {
    int cut = 0;
    if (YrlViewCutPlaneOutlineGet(name, &cut, f.line) != VYN_TK_NO_ERROR || cut < 1) {
      message("YRL_REFPLN_NOT_VALID");
      return;
    }
    message("YRL_SEL_REF_POS_PROMPT");
    VynModelitem line{YRL_DRAFT_ENTITY_TYPE, cut, drawing};
    int parent = -1;
    YrlViewSetupViewnameGet(line.id, nullptr, &parent, nullptr);
    f.parent_group = parent;
    filter = YrlSelectLineEntPosPickPostFilter;
  }
  VynModelitem item{};
  double nearer[3] = {};
  if (!YrlSelectLineEnts(filter, &f, &item, nearer)) return;
  const double* point = f.type == YRL_VIEW_SECTION ? position_crossing : nearer;
  YrlViewDataChange(name, [&](YrlViewData& rec) {
    rec.position_id = item.id;
    std::memcpy(rec.position_point, point, sizeof rec.position_point);
  });
  entity_text("%sPosEntSelected", prefix, item.id);
  draw_all(name);
  if (f.type == YRL_VIEW_DETAIL) {
    if (r.vpr_id >= 1) VynUIPushbuttonEnable(kDlg, "DetCalcScalePickBtn");
  } else {
    button_set("%s1PosPickBtn", prefix, true);
  }
}

void Yrl1PosPickBtnAction(char*, char*, void*) {
  char prefix[8];
  current_page(prefix);
  char name[YRL_VIEW_NAME_SIZE];
  if (YrlSectionNameGet(prefix, name) != VYN_TK_NO_ERROR) return;
  message("YRL_SEL_REF_POS1_PROMPT");
  VynModelitem item{};
  double nearer[3] = {};
  if (!YrlSelectLineEnts(nullptr, nullptr, &item, nearer)) return;
  YrlViewDataChange(name, [&](YrlViewData& r) {
    r.position1_id = item.id;
    std::memcpy(r.position1_point, nearer, sizeof nearer);
  });
  entity_text("%s1PosEntSelected", prefix, item.id);
  draw_all(name);
}

void YrlDetCalcScalePickBtnAction(char*, char*, void*) {
  // The detail being edited: chosen in the option menu or typed as a new name.
  char name[YRL_VIEW_NAME_SIZE] = "";
  YrlSectionNameGet("Det", name);
  if (!name[0] || !YrlSectionExists(YRL_VIEW_DETAIL, name)) return;
  YrlViewData r;
  if (YrlViewDataRead(name, &r) != VYN_TK_NO_ERROR) return;
  VynMdl drawing = nullptr;
  VynMdlCurrentGet(&drawing);
  VynModelitem vpr{YRL_DRAFT_ENTITY_TYPE, r.vpr_id, drawing}, pos{YRL_DRAFT_ENTITY_TYPE, r.position_id, drawing};
  double a[3], b[3], c[3], d[3];
  if (YrlGetEndPointsFromEntity(&vpr, a, b) != VYN_TK_NO_ERROR ||
      YrlGetEndPointsFromEntity(&pos, c, d) != VYN_TK_NO_ERROR)
    return;
  double position_length = VynUtilPointsDist(c, d);
  // A position line of no length gives no scale.
  if (position_length < 1e-9) {
    error_text("The position line has no length: no scale");
    return;
  }
  VynUIInputpanelDoubleSet(kDlg, "DetVScaleInput", VynUtilPointsDist(a, b) / position_length);
  YrlVScaleInputAction(const_cast<char*>(kDlg), const_cast<char*>("DetVScaleInput"), nullptr);
}

int YrlViewSetup() {
  YrlInitScrToDrwMatrix();
  int status = VynUIDialogCreate(kDlg, kDlg);
  if (status != VYN_TK_NO_ERROR) return YrlDialogSetupFailed(kDlg, kDlg, status, false);
  struct Button {
    const char* name;
    VynUIAction action;
  };
  const Button buttons[] = {
      {"Close", YrlViewSetupCloseAction},
      {"OrtComputeScale", YrlOrthoComputeScaleAction},
      {"OrtViewPickBtn", YrlOrthoPickBtnAction},
      {"OrtViewClearBtn", YrlOrthoClearBtnAction},
      {"DetCalcScalePickBtn", YrlDetCalcScalePickBtnAction},
      {"Aux1PosPickBtn", Yrl1PosPickBtnAction},
      {"Sec1PosPickBtn", Yrl1PosPickBtnAction},
  };
  for (const Button& b : buttons)
    if ((status = VynUIPushbuttonActivateActionSet(kDlg, b.name, b.action, nullptr)) != VYN_TK_NO_ERROR)
      return YrlDialogSetupFailed(kDlg, b.name, status, true);
  struct PageButton {
    const char* format;
    VynUIAction action;
    bool on_det;
  };
  const PageButton page_buttons[] = {
      {"%sViewPickBtn", YrlViewPickBtnAction, true}, {"%sViewClearBtn", YrlViewClearBtnAction, true},
      {"%sVNameDelete", YrlVNameDeleteAction, true}, {"%sCPPickBtn", YrlCPPickBtnAction, false},
      {"%sVPRPickBtn", YrlVPRPickBtnAction, true},   {"%sPosPickBtn", YrlPosPickBtnAction, true},
  };
  for (const char* prefix : {"Sec", "Aux", "Det"}) {
    for (const PageButton& b : page_buttons) {
      if (!b.on_det && std::strcmp(prefix, "Det") == 0) continue;
      char name[48];
      component_name(name, b.format, prefix);
      if ((status = VynUIPushbuttonActivateActionSet(kDlg, name, b.action, nullptr)) != VYN_TK_NO_ERROR)
        return YrlDialogSetupFailed(kDlg, name, status, true);
    }
    char menu[48];
    component_name(menu, "%sOptViewSel", prefix);
    if ((status = VynUIOptionmenuSelectActionSet(kDlg, menu, YrlViewSelAction, nullptr)) != VYN_TK_NO_ERROR)
      return YrlDialogSetupFailed(kDlg, menu, status, true);
  }
  if ((status = VynUITabSelectActionSet(kDlg, "MainTab", YrlMainTabAction, nullptr)) != VYN_TK_NO_ERROR)
    return YrlDialogSetupFailed(kDlg, "MainTab", status, true);
  if ((status = VynUIRadiogroupSelectActionSet(kDlg, "RadioViewType", YrlRadioViewTypeAction, nullptr)) !=
      VYN_TK_NO_ERROR)
    return YrlDialogSetupFailed(kDlg, "RadioViewType", status, true);
  for (const char* prefix : {"Ort", "Sec", "Aux", "Det"}) {
    char name[48];
    component_name(name, "%sVScaleInput", prefix);
    if ((status = VynUIInputpanelFocusoutActionSet(kDlg, name, YrlVScaleInputAction, nullptr)) != VYN_TK_NO_ERROR)
      return YrlDialogSetupFailed(kDlg, name, status, true);
    VynUIInputpanelInputtypeSet(kDlg, name, 3);
    VynUIInputpanelDigitsSet(kDlg, name, 8);
  }
  VynWchar title[32];
  vek::strtows_bounded(title, 32, "View Setup");
  if ((status = VynUIDialogTitleSet(kDlg, title)) != VYN_TK_NO_ERROR) return YrlDialogSetupFailed(kDlg, "Title Set", status, true);
  VynUIDialogCloseActionSet(kDlg, YrlViewSetupCloseAction, nullptr);
  YrlViewSetupInit();
  VynUIDialogDefaultbuttonSet(kDlg, "OrtViewPickBtn");
  int exit_status = 0;
  status = VynUIDialogActivate(kDlg, &exit_status);
  VynUIDialogDestroy(kDlg);
  return status;
}
