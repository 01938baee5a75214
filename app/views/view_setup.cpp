// The View Setup dialog and the drawing of the declared views over the drawing.
#include "app/views/view_setup.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "app/menus/app_init.h"
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
int view_draw(const char* name, const YrlViewData& r, int colour) {
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
    view_draw(name, record, std::strcmp(name, all->current) == 0 ? kColourCurrent : kColourOther);
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

// The View Setup dialog is not built yet: the command does nothing.
int YrlViewSetup() { return 0; }
