// The Calculate Scale dialog.
#include "app/measure/measure.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "app/menus/app_init.h"
#include "app/prefs/prefs.h"
#include "app/select/select.h"
#include "app/util/apputil.h"
#include "app/views/viewdata.h"
#include "runtime/text/wide.h"
#include "toolkit/api/app_api.h"
#include "toolkit/util/vecmath.h"

namespace {

constexpr char kDialog[] = "yrlmeasure";
constexpr char kCannotCompute[] = "Cannot compute scale. Please select a different dimension.";
constexpr int kLinear = 9;
constexpr int kRadius = 3;
constexpr int kDiameter = 4;
constexpr int kAngle = 21;

// The dialog's state (one dialog at a time).
VynModelitem from_mdlitem;
VynModelitem to_mdlitem;
VynModelitem dim_mdlitem;
double from_outline[2][3];
double to_outline[2][3];
int dim_type;
double dim_value;
double meas_value;
double dwg_scale;
VynLayer dimlayer;
VynLayer notelayer;
int dim_layer_blanked;
int note_layer_blanked;

void text_set(const char* component, const char* text) { VynUIInputpanelStringSet(kDialog, component, text); }

void item_text_set(const char* component, const VynModelitem& item) {
  char text[64];
  YrlEntityDisplayGet(&item, text);
  text_set(component, text);
}

// Picks one item of the filter; false (nothing written) unless exactly one was picked.
bool pick_one(const char* filter, VynModelitem* item) {
  VynArray picks = nullptr;
  int count = 0;
  if (VynSelect(filter, 1, nullptr, nullptr, nullptr, 0, &picks, &count) != VYN_TK_NO_ERROR || count != 1 || !picks)
    return false;
  return VynSelectionModelitemGet(static_cast<VynSelection*>(picks)[0], item) == VYN_TK_NO_ERROR;
}

// Shows a blank layer P + suffix for picking, once.
void layer_show(const char* suffix, VynLayer* layer, int* shown) {
  if (*shown) return;
  char prefix[YRL_PREF_TEXT_SIZE] = "";
  YrlPreferencesLayerPrefixGet(prefix);
  char name[YRL_PREF_TEXT_SIZE + 8];
  std::snprintf(name, sizeof name, "%s%s", prefix, suffix);
  VynWchar wide[YRL_PREF_TEXT_SIZE + 8];
  vek::strtows_bounded(wide, YRL_PREF_TEXT_SIZE + 8, name);
  VynMdl model = nullptr;
  int status = 0;
  if (VynMdlCurrentGet(&model) != VYN_TK_NO_ERROR || VynMdlLayerGet(model, wide, layer) != VYN_TK_NO_ERROR ||
      VynLayerDisplaystatusGet(layer, &status) != VYN_TK_NO_ERROR || status != 3)
    return;
  if (VynLayerDisplaystatusSet(layer, 1) == VYN_TK_NO_ERROR) {
    *shown = 1;
    VynWindowRepaint(-1);
  }
}

// The distance from the from entity's first end to the to entity's line.
void distance_measure() {
  meas_value = VynUtilPointLineDist(from_outline[0], to_outline[0], to_outline[1]);
}

void ends_read(const VynModelitem& item, double ends[2][3]) {
  VynModelitem copy = item;
  YrlGetEndPointsFromEntity(&copy, ends[0], ends[1]);
}

double radius_of(const VynModelitem& item) {
  VynModelitem copy = item;
  double radius = 0.0;
  YrlGetRadiusFromEntity(&copy, &radius);
  return radius;
}

}  // namespace

int YrlDimensionValueGet(VynDimension* dimension, double* value) {
  if (!dimension || !value) return VYN_TK_BAD_INPUTS;
  double v = 0.0;
  int status = VynDimensionValueGet(dimension, &v);
  if (status == VYN_TK_NO_ERROR && std::fabs(v) > 0.01) {
    *value = v;
    return status;
  }
  int type = 0;
  VynDimensionTypeGet(dimension, &type);
  VynArray lines = nullptr;
  if (VynDimensionTextGet(dimension, &lines) == VYN_TK_NO_ERROR && lines) {
    int count = 0;
    VynArraySizeGet(lines, &count);
    const VynWchar* first = count >= 1 ? static_cast<VynWchar**>(lines)[0] : nullptr;
    if (first) {
      char line[32];
      vek::wstostr_bounded(line, sizeof line, first);
      char* save = nullptr;
      char* token = strtok_r(line, ":", &save);
      for (int pass = 1; token; ++pass) {
        char* candidate = strtok_r(nullptr, "}", &save);
        if (!candidate || !*candidate) break;
        if (type == kLinear || pass == 2) {
          v = std::atof(candidate);
          break;
        }
        if (type == kRadius) strtok_r(nullptr, ":", &save);
        token = strtok_r(nullptr, ":", &save);
      }
    }
    VynWstringArrayFree(&lines);
  }
  *value = v;
  return status;
}

void YrlMeasureOkAction(char* dialog, char*, void*) { VynUIDialogExit(dialog, 0); }
void YrlMeasureCancelAction(char* dialog, char*, void*) { VynUIDialogExit(dialog, -1); }

void YrlComputeAction(char* dialog, char*, void*) {
  double measured = 0.0, value = 0.0;
  if (VynUIInputpanelDoubleGet(dialog, "DistMeasureInput", &measured) == VYN_TK_NO_ERROR &&
      VynUIInputpanelDoubleGet(dialog, "DistDimValueInput", &value) == VYN_TK_NO_ERROR) {
    meas_value = measured;
    dim_value = value;
    // A zero dimension value would give an infinite scale, which passes every "not 0"
    // test after it: no scale.
    double scale = std::fabs(value) > 0.01 ? measured / value : 0.0;
    if (std::isfinite(scale) && scale > 0.0) {
      dwg_scale = scale;
      VynUIInputpanelDoubleSet(dialog, "ComputeInput", dwg_scale);
      return;
    }
    dwg_scale = 0.0;
    VynUIInputpanelDoubleSet(dialog, "ComputeInput", 0.0);
  }
  VynMessageDisplay(YrlMsgFile, "YRLFORM ERROR %0s", kCannotCompute);
}

void YrlDimPickAction(char* dialog, char*, void*) {
  text_set("DistFromInput", " ");
  text_set("DistToInput", " ");
  layer_show("DIM", &dimlayer, &dim_layer_blanked);
  layer_show("NOTES", &notelayer, &note_layer_blanked);
  const char* word = " ";
  char dim_text[64] = " ";
  VynModelitem picked{};
  if (pick_one("dimension,any_note", &picked)) {
    dim_mdlitem = picked;
    YrlEntityDisplayGet(&dim_mdlitem, dim_text);
    dim_type = 0;
    VynDimensionTypeGet(&dim_mdlitem, &dim_type);
    YrlDimensionValueGet(&dim_mdlitem, &dim_value);
    word = dim_type == kLinear ? "LINEAR" : dim_type == kRadius ? "RADIUS" : dim_type == kDiameter ? "DIAMETER"
                                                                 : dim_type == kAngle ? "ANGLE" : " ";
    VynMdl drawing = nullptr;
    VynMdlCurrentGet(&drawing);
    VynArray attachments = nullptr, sides = nullptr;
    if (VynDrawingDimAttachsGet(drawing, &dim_mdlitem, &attachments, &sides) != VYN_TK_NO_ERROR) {
      VynMessageDisplay(YrlMsgFile, "YRLFORM WARN %0s",
                        "Selected dimension is not attached to entities on the drawing. Please select reference "
                        "entity(ies).");
    } else {
      int count = 0;
      VynArraySizeGet(attachments, &count);
      const auto* items = static_cast<const VynModelitem*>(attachments);
      if (count >= 1) {
        from_mdlitem = items[0];
        item_text_set("DistFromInput", from_mdlitem);
        ends_read(from_mdlitem, from_outline);
        if (count >= 2) {
          to_mdlitem = items[1];
          ends_read(to_mdlitem, to_outline);
          distance_measure();
        } else {
          // A diameter measures twice the radius, as it does when From is picked.
          meas_value = radius_of(from_mdlitem) * (dim_type == kDiameter ? 2.0 : 1.0);
          text_set("DistToInput", " ");
        }
        VynUIInputpanelDoubleSet(dialog, "DistMeasureInput", meas_value);
        // The value goes in before the scale is computed from it.
        VynUIInputpanelDoubleSet(dialog, "DistDimValueInput", dim_value);
        YrlComputeAction(dialog, nullptr, nullptr);
      }
    }
    if (attachments) VynArrayFree(&attachments);
    if (sides) VynArrayFree(&sides);
  }
  text_set("DistDimInput", dim_text);
  text_set("DistDimTypeInput", word);
  VynUIInputpanelDoubleSet(dialog, "DistDimValueInput", dim_value);
  VynWchar layout[16];
  if (dim_type == kRadius || dim_type == kDiameter) {
    vek::strtows_bounded(layout, 16, dim_type == kRadius ? "Radius" : "Diameter");
    VynUILayoutTextSet(dialog, "DistFrom", layout);
    VynUIPushbuttonDisable(dialog, "DistToSelect");
  } else if (dim_type == kLinear) {
    vek::strtows_bounded(layout, 16, "From");
    VynUILayoutTextSet(dialog, "DistFrom", layout);
    VynUIPushbuttonEnable(dialog, "DistToSelect");
  }
  if (dim_mdlitem.id != -1 && std::fabs(dim_value) <= 0.01)
    VynMessageDisplay(YrlMsgFile, "YRLFORM ERROR %0s", kCannotCompute);
}

void YrlFromPickAction(char* dialog, char*, void*) {
  VynModelitem picked{};
  if (!pick_one("draft_ent", &picked)) {
    text_set("DistFromInput", " ");
    from_mdlitem.id = -1;
    return;
  }
  from_mdlitem = picked;
  ends_read(from_mdlitem, from_outline);
  item_text_set("DistFromInput", from_mdlitem);
  bool found = false;
  if (dim_type == kLinear && to_mdlitem.id >= 1) {
    ends_read(to_mdlitem, to_outline);
    distance_measure();
    found = true;
  } else if (dim_type == kRadius || dim_type == kDiameter) {
    meas_value = radius_of(from_mdlitem) * (dim_type == kDiameter ? 2.0 : 1.0);
    found = true;
  }
  if (found) {
    VynUIInputpanelDoubleSet(dialog, "DistMeasureInput", meas_value);
    YrlComputeAction(dialog, nullptr, nullptr);
  }
}

void YrlToPickAction(char* dialog, char*, void*) {
  VynModelitem picked{};
  if (!pick_one("draft_ent", &picked)) {
    text_set("DistToInput", " ");
    to_mdlitem.id = -1;
    return;
  }
  to_mdlitem = picked;
  item_text_set("DistToInput", to_mdlitem);
  ends_read(to_mdlitem, to_outline);
  if (from_mdlitem.id >= 0) {
    ends_read(from_mdlitem, from_outline);
    distance_measure();
    VynUIInputpanelDoubleSet(dialog, "DistMeasureInput", meas_value);
    YrlComputeAction(dialog, nullptr, nullptr);
  }
}

namespace {

// Builds and runs the dialog; the exit status, -1 when it could not be set up.
int measure_run() {
  int status = VynUIDialogCreate(kDialog, kDialog);
  if (status != VYN_TK_NO_ERROR) return YrlDialogSetupFailed(kDialog, kDialog, status, false);
  struct Button {
    const char* name;
    VynUIAction action;
  };
  const Button buttons[] = {{"Cancel", YrlMeasureCancelAction},
                            {"Ok", YrlMeasureOkAction},
                            {"DistFromSelect", YrlFromPickAction},
                            {"DistToSelect", YrlToPickAction},
                            {"DistDimSelect", YrlDimPickAction}};
  for (const Button& b : buttons)
    if ((status = VynUIPushbuttonActivateActionSet(kDialog, b.name, b.action, nullptr)) != VYN_TK_NO_ERROR)
      return YrlDialogSetupFailed(kDialog, b.name, status, true);
  for (const char* panel : {"DistMeasureInput", "DistDimValueInput"})
    if ((status = VynUIInputpanelFocusoutActionSet(kDialog, panel, YrlComputeAction, nullptr)) != VYN_TK_NO_ERROR)
      return YrlDialogSetupFailed(kDialog, panel, status, true);
  VynWchar title[32];
  vek::strtows_bounded(title, 32, "Calculate Scale");
  if ((status = VynUIDialogTitleSet(kDialog, title)) != VYN_TK_NO_ERROR) return YrlDialogSetupFailed(kDialog, "Title Set", status, true);
  for (const char* panel : {"DistFromInput", "DistToInput", "DistDimInput", "DistDimTypeInput"})
    VynUIInputpanelInputtypeSet(kDialog, panel, 0);
  for (const char* panel : {"DistDimValueInput", "DistMeasureInput", "ComputeInput"}) {
    VynUIInputpanelInputtypeSet(kDialog, panel, 3);
    VynUIInputpanelDigitsSet(kDialog, panel, 8);
  }
  VynUIDialogCloseActionSet(kDialog, YrlMeasureCancelAction, nullptr);
  VynUIDialogDefaultbuttonSet(kDialog, "Cancel");
  int exit_status = -1;
  status = VynUIDialogActivate(kDialog, &exit_status);
  VynUIDialogDestroy(kDialog);
  return status == VYN_TK_NO_ERROR ? exit_status : -1;
}

}  // namespace

int YrlMeasureDialog(double* scale) {
  dwg_scale = 0.0;
  dim_value = 0.0;
  meas_value = 0.0;
  dim_type = 0;
  from_mdlitem = to_mdlitem = dim_mdlitem = VynModelitem{};
  from_mdlitem.id = to_mdlitem.id = dim_mdlitem.id = -1;
  int exit_status = measure_run();
  bool repaint = false;
  if (dim_layer_blanked) {
    VynLayerDisplaystatusSet(&dimlayer, 3);
    repaint = true;
  }
  if (note_layer_blanked) {
    VynLayerDisplaystatusSet(&notelayer, 3);
    repaint = true;
  }
  if (repaint) VynWindowRepaint(-1);
  dim_layer_blanked = note_layer_blanked = 0;
  if (scale) *scale = dwg_scale;
  return exit_status == 0 && std::fabs(dwg_scale) > 0.01 ? 0 : -1;
}
