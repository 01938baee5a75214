// The feature wizard's dialog: the builder, the panels of the step pages and the
// callbacks of their components. Every callback that changes the feature info ends in
// the driver, which builds or redefines the feature once every step is complete.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/feature/elemtree.h"
#include "app/feature/featdlg.h"
#include "app/menus/app_init.h"
#include "app/prefs/prefs.h"
#include "app/sketch/sketchfix.h"
#include "app/sketch/sketchplane.h"
#include "app/sketch/sketchsel.h"
#include "app/sketch/sketchvaldlg.h"
#include "app/feature/section.h"
#include "app/util/apputil.h"
#include "app/views/viewdata.h"
#include "app/views/views.h"
#include "runtime/system/ntsys.h"
#include "runtime/text/wide.h"
#include "toolkit/api/app_api.h"
#include "toolkit/util/collect.h"
#include "toolkit/util/vecmath.h"

namespace {

const char kDialog[] = "yrlfeatdlg";

constexpr int kCurrentColour = 19;
constexpr int kLeftColour = 20;
constexpr int kPartColour = 9;

struct DepthRow {
  const char* name;
  int code;
};
const DepthRow yrl_depth_data[] = {
    {"Blind", 1}, {"BothSide", 2}, {"Next", 3},     {"All", 4},
    {"Until", 5}, {"ToRef", 6},    {"Variable", 1}, {"To Selected", 5},
};

struct AngleRow {
  const char* name;
  const char* label;
  double value;
};
const AngleRow yrl_angle_data[] = {
    {"AngleSelect", "Select Angle", 0}, {"Angle360", "360", 360}, {"Angle270", "270", 270},
    {"Angle180", "180", 180},           {"Angle90", "90", 90},
};

const char* const depth_type_names_1[] = {"Until", "Blind", "All"};
const char* const depth_type_labels_1[] = {"Thru Until", "Blind", "Thru All"};
const char* const depth_type_names_2[] = {"Until", "Blind"};
const char* const depth_type_labels_2[] = {"Thru Until", "Blind"};
const char* const angle_type_names[] = {"Variable", "To Selected"};

YrlExtDlgInfo* state(void* app_data) { return static_cast<YrlExtDlgInfo*>(app_data); }

void text_set(const YrlExtDlgInfo* dlg, const char* component, const char* text) {
  VynUIInputpanelStringSet(dlg->name, component, text);
}

void enable(const YrlExtDlgInfo* dlg, const char* button, bool on) {
  (on ? VynUIPushbuttonEnable : VynUIPushbuttonDisable)(dlg->name, button);
}

bool is_revolve(const YrlFeatInfo* info) { return info->type == YRL_FEAT_REVOLVE; }

// The name of the declared view with that id, "" when none.
struct ViewNameSearch {
  int id;
  char name[32];
};
int view_name_visit(const char* view_name, const YrlViewData& record, void* app_data) {
  auto* search = static_cast<ViewNameSearch*>(app_data);
  if (record.group_id == search->id && search->name[0] == 0)
    std::snprintf(search->name, sizeof search->name, "%s", view_name);
  return 0;
}
void view_name_get(int id, char* name, std::size_t size) {
  ViewNameSearch search = {id, ""};
  if (id >= 1) YrlViewRecordsVisit(view_name_visit, &search);
  std::snprintf(name, size, "%s", search.name);
}

// "Surface id %d:F%d( %s )" of a found surface.
void surface_text(const VynModelitem& surface, char* text, std::size_t size) {
  VynGeomitem item = surface;
  VynFeature feature{};
  VynWchar type_name[VYN_PATH_SIZE] = {0};
  VynGeomitemFeatureGet(&item, &feature);
  VynFeatureTypenameGet(&feature, type_name);
  char type[VYN_PATH_SIZE];
  vek::wstostr_bounded(type, sizeof type, type_name);
  std::snprintf(text, size, "Surface id %d:F%d( %s )", surface.id, feature.id, type);
}

// Selections of one model item: highlight in colour, or unhighlight (colour < 0).
void item_highlight(VynModelitem item, int colour) {
  if (item.id <= 0) return;
  VynSelection sel = nullptr;
  if (VynSelectionAlloc(nullptr, &item, &sel) != VYN_TK_NO_ERROR) return;
  if (colour < 0) {
    VynSelectionUnhighlight(sel);
  } else {
    VynSelectionHighlight(sel, colour);
  }
  VynSelectionFree(&sel);
}

// Runs act with the part window current, then makes the drawing window current again.
template <typename Act>
void in_part_window(YrlExtDlgInfo* dlg, Act act) {
  if (dlg->part_window <= 0) return;
  VynWindowCurrentSet(dlg->part_window);
  act();
  VynWindowCurrentSet(dlg->drawing_window);
}

void profile_highlight(YrlExtDlgInfo* dlg, int colour) {
  YrlSketchValInfo& s = dlg->info->sketch;
  for (int i = 0; i < s.count && s.selections != nullptr; ++i) {
    if (colour < 0) {
      VynSelectionUnhighlight(s.selections[i]);
    } else {
      VynSelectionHighlight(s.selections[i], colour);
    }
  }
  if (dlg->info->preview.id >= 1) in_part_window(dlg, [&] { item_highlight(dlg->info->preview, colour); });
}

void plane_highlight(YrlExtDlgInfo* dlg, int colour) {
  item_highlight(dlg->info->plane.line_item, colour);
  in_part_window(dlg, [&] { YrlFeatSketchPlaneHighlight(dlg->info, colour < 0 ? -1 : kPartColour); });
}

void depth_highlight(YrlExtDlgInfo* dlg, int colour) {
  item_highlight(dlg->info->extent.line_item, colour);
  in_part_window(dlg, [&] { YrlFeatSketchExtentRefHighlight(dlg->info, colour < 0 ? -1 : kPartColour); });
}

void axis_highlight(YrlExtDlgInfo* dlg, int colour) {
  if (dlg->info->rev_axis.selection != nullptr) {
    if (colour < 0) {
      VynSelectionUnhighlight(dlg->info->rev_axis.selection);
    } else {
      VynSelectionHighlight(dlg->info->rev_axis.selection, colour);
    }
  }
  if (dlg->info->rev_axis.flag) in_part_window(dlg, [&] { item_highlight(dlg->info->rev_axis.item, colour); });
}

// Moves on when automatic forward is on and the step is complete.
void auto_forward(YrlExtDlgInfo* dlg) { YrlExtDlgMoveAutoForward(dlg); }

// A new profile or sketch plane: sections may be built again, and a build that failed
// left no feature behind, so its failure no longer blocks the next build.
void sketch_failure_clear(YrlFeatInfo* info) {
  info->sketch_failed = 0;
  if (!(info->created && info->feature.id > 0)) info->failure = 0;
}

void incomplete_reset(YrlExtDlgInfo* dlg) {
  if (dlg->current >= 0 && dlg->current < dlg->count) dlg->steps[dlg->current].complete = 0;
  dlg->ready = 0;
}

// ---- Sketch plane texts --------------------------------------------------------------

void sketch_plane_texts(const YrlExtDlgInfo* dlg, char* entity, std::size_t entity_size, char* solid,
                        std::size_t solid_size) {
  const YrlFeatInfo* info = dlg->info;
  if (info->plane.line_item.id > 0) {
    char view[32];
    view_name_get(info->plane.ref_view_id, view, sizeof view);
    std::snprintf(entity, entity_size, "Entity id: %d (%s)", info->plane.line_item.id, view);
  } else {
    std::snprintf(entity, entity_size, "%s", info->draw.view_count == 1 ? "Default View" : " ");
  }
  solid[0] = 0;
  VynModelitem item = info->sketch.use_found_plane ? info->sketch.found_plane : info->plane.plane;
  VynWchar name[VYN_PATH_SIZE] = {0};
  bool named = item.id > 0 && VynModelitemNameGet(&item, name) == VYN_TK_NO_ERROR && name[0] != 0;
  if (info->sketch.use_found_plane && !named) {
    surface_text(info->sketch.found_plane, solid, solid_size);
  } else if (named) {
    char narrow[VYN_PATH_SIZE];
    vek::wstostr_bounded(narrow, sizeof narrow, name);
    std::snprintf(solid, solid_size, "Datum %s", narrow);
  }
}

void sketch_plane_panel(YrlExtDlgInfo* dlg) {
  char entity[96], solid[VYN_PATH_SIZE + 32];
  sketch_plane_texts(dlg, entity, sizeof entity, solid, sizeof solid);
  YrlExtDlgLabelSet(dlg, "skt_3dinfo_label", solid);
  text_set(dlg, "skt_plane_txt", entity);
  enable(dlg, "skt_plane_clear_btn", dlg->info->plane.line_item.id > 0);
}

void offset_ref_panel(YrlExtDlgInfo* dlg) {
  char entity[96], solid[VYN_PATH_SIZE + 32];
  sketch_plane_texts(dlg, entity, sizeof entity, solid, sizeof solid);
  text_set(dlg, "plane_ref_txt", entity);
  text_set(dlg, "plane_ref_pln_txt", solid);
  VynUIInputpanelDoubleSet(dlg->name, "plane_ref_val_txt", dlg->info->sketch.offset);
}

// ---- Redefine ------------------------------------------------------------------------

void feature_redefine(YrlExtDlgInfo* dlg) {
  YrlFeatInfoRedefine(dlg->info);
  if (dlg->part_window > 0) {
    double matrix[4][4];
    VynWindowCurrentSet(dlg->part_window);
    VynWindowCurrentMatrixGet(matrix);
    VynWindowRefresh(dlg->part_window);
    VynWindowPanZoomMatrixSet(dlg->part_window, matrix);
    item_highlight(dlg->info->feature, kCurrentColour);
    VynWindowCurrentSet(dlg->drawing_window);
  }
  YrlExtDlgValidate(dlg);
}

bool feature_exists(const YrlFeatInfo* info) { return info->created && info->feature.id > 0; }

// A pick the built feature stands on was changed (its sketch plane, hole circle, datum
// point entities or revolve axis). A redefinition would take the feature's old tree and
// section, and keep it where the old pick put it: the feature goes, with the sketch's
// preview, and the next complete state builds it afresh from the picks.
void built_feature_forget(YrlFeatInfo* info) {
  YrlSketchedDatumPreviewFeatDelete(info);
  YrlFeatInfoIncompleteFeatureOnlyDelete(info);
}

// The depth step validated on its own row, whatever page is current.
bool depth_step_complete(YrlExtDlgInfo* dlg) {
  int saved = dlg->current;
  dlg->current = dlg->count - 1;
  int complete = YrlExtDlgDepthRefValidate(dlg);
  dlg->current = saved;
  return complete != 0;
}

void direction_set(YrlExtDlgInfo* dlg) {
  YrlFeatInfo* info = dlg->info;
  if (info->type == YRL_FEAT_HOLE) {
    YrlFeatElemtreeHoleDirectionSet(info->tree, info->direction_flipped ? -1 : 34);
  } else {
    YrlFeatElemtreeDirectionSet(info->tree, info->direction_flipped ? 1 : -1);
  }
}

void depth_elements_update(YrlExtDlgInfo* dlg) {
  YrlFeatInfo* info = dlg->info;
  if (!feature_exists(info)) {
    // No feature to update: a build that failed left none, and with its failure flag
    // nothing would be built again until a pick changed. The new depth is the user's
    // next try: the driver builds from it.
    info->failure = 0;
    return;
  }
  if (!depth_step_complete(dlg)) return;
  int type = info->extent.depth_type;
  int status = VYN_TK_NO_ERROR;
  if (info->type == YRL_FEAT_REVOLVE) {
    status = YrlFeatElemtreeRevAngleSet(info, info->tree, type);
  } else if (info->type == YRL_FEAT_HOLE) {
    status = YrlFeatElemtreeHoleDepthSet(info, info->tree, type);
  } else {
    status = YrlFeatElemtreeDepthTypeSet(info, info->tree, type);
  }
  if (status != VYN_TK_NO_ERROR) {
    // The tree keeps its old depth (or none): redefined from it, the feature would not
    // be what the page shows. It goes, and the driver builds it afresh from the record.
    YrlFeatInfoIncompleteFeatureOnlyDelete(info);
    return;
  }
  direction_set(dlg);
  feature_redefine(dlg);
}

// Reads the depth type of the selected name of the page's type list.
void depth_type_read(YrlExtDlgInfo* dlg) {
  char name[YRL_PREF_TEXT_SIZE];
  const char* list = is_revolve(dlg->info) ? "angle_type_list" : "depth_type_list";
  if (YrlOptionMenuValueGet(dlg->name, list, name) == VYN_TK_NO_ERROR) {
    dlg->info->extent.depth_type = YrlDepthTypeByName(name);
  }
  YrlExtDlgDepthRefAccessSet(dlg);
}

void extent_type_list_choice(YrlExtDlgInfo* dlg) {
  YrlFeatInfo* info = dlg->info;
  bool to_surface = info->extent.parallel_ref && info->extent.surface_found;
  info->extent.depth_type = to_surface ? YRL_DEPTH_UP_TO_REF : YRL_DEPTH_BLIND;
  const char* name = is_revolve(info) ? (to_surface ? "To Selected" : "Variable") : (to_surface ? "Until" : "Blind");
  YrlSelectedNameSet(VynUIOptionmenuSelectednamesSet, dlg->name, is_revolve(info) ? "angle_type_list" : "depth_type_list",
                     name);
}

// Names and labels of an option menu from two tables of count rows.
int option_rows_set(const YrlExtDlgInfo* dlg, const char* menu, const char* const* names, const char* const* labels,
                    int count) {
  VynArray name_array = nullptr;
  VynArray label_array = nullptr;
  int status = VynArrayAlloc(0, static_cast<int>(sizeof(char*)), 1, &name_array);
  if (status == VYN_TK_NO_ERROR) status = VynArrayAlloc(0, static_cast<int>(sizeof(VynWchar*)), 1, &label_array);
  VynWchar wide[8][32];
  for (int i = 0; i < count && i < 8 && status == VYN_TK_NO_ERROR; ++i) {
    vek::strtows_bounded(wide[i], 32, labels[i]);
    const VynWchar* label = wide[i];
    status = VynArrayObjectAdd(&name_array, -1, 1, &names[i]);
    if (status == VYN_TK_NO_ERROR) status = VynArrayObjectAdd(&label_array, -1, 1, &label);
  }
  if (status == VYN_TK_NO_ERROR) status = VynUIOptionmenuNamesSet(dlg->name, menu, count, name_array);
  if (status == VYN_TK_NO_ERROR) status = VynUIOptionmenuLabelsSet(dlg->name, menu, count, label_array);
  if (status == VYN_TK_NO_ERROR) status = VynUIOptionmenuVisiblerowsSet(dlg->name, menu, count);
  if (name_array != nullptr) VynArrayFree(&name_array);
  if (label_array != nullptr) VynArrayFree(&label_array);
  return status;
}

// ---- Names ---------------------------------------------------------------------------

// Empties a name that another feature of the part already has, after telling the user.
void name_check(YrlExtDlgInfo* dlg, const char* field) {
  YrlFeatInfo* info = dlg->info;
  if (info->name[0] == 0 || info->part.part == nullptr) return;
  // A visible feature of that name: its id comes back above 0.
  VynFeature found{};
  found.id = -1;
  VynUtilFindFeatvisByName(static_cast<VynSolid>(info->part.part), info->name, &found);
  if (found.id <= 0 || (feature_exists(info) && found.id == info->feature.id)) return;
  text_set(dlg, field, "");
  VynMessageDisplay(YrlExtDlgMsgFile, "YRL_FEAT_EXISTS", info->name);
  info->name[0] = 0;
}

void name_read(YrlExtDlgInfo* dlg, const char* field) {
  YrlFeatInfo* info = dlg->info;
  char* text = nullptr;
  if (VynUIInputpanelStringGet(dlg->name, field, &text) != VYN_TK_NO_ERROR) return;
  // VynName holds 31 characters and the terminator: a longer name is cut there.
  vek::strtows_bounded(info->name, sizeof info->name / sizeof info->name[0], text != nullptr ? text : "");
  VynStringFree(text);
  name_check(dlg, field);
  if (info->name[0] != 0 && feature_exists(info)) VynModelitemNameSet(&info->feature, info->name);
}

// ---- Leaving -------------------------------------------------------------------------

void part_window_close(YrlExtDlgInfo* dlg) {
  if (dlg->part_window <= 0) return;
  VynWindowCurrentSet(dlg->drawing_window);
  VynWindowDelete(dlg->part_window);
  dlg->part_window = -1;
}

void exit_actions(YrlExtDlgInfo* dlg) {
  profile_highlight(dlg, -1);
  plane_highlight(dlg, -1);
  depth_highlight(dlg, -1);
  YrlSketchedDatumPreviewFeatDelete(dlg->info);
  part_window_close(dlg);
}

void material_side_label(YrlExtDlgInfo* dlg) {
  char text[32];
  std::snprintf(text, sizeof text, "%s (Side %d)", "Cut", dlg->info->material_side ? 2 : 1);
  YrlExtDlgLabelSet(dlg, "ftype_label", text);
}

void new_profile_update(YrlExtDlgInfo* dlg) {
  YrlFeatInfo* info = dlg->info;
  if (YrlFeatInfoSketchReferencesGet(info) == VYN_TK_NO_ERROR) YrlExtDlgSketchProfilePanelSet(dlg);
  YrlExtDlgValidate(dlg);
  if (feature_exists(info) && YrlExtDlgSketchProfileValidate(dlg)) {
    YrlFeatInfoSketchAddAndRedefine(info, &info->feature, info->type, &info->tree);
    feature_redefine(dlg);
  }
  profile_highlight(dlg, kCurrentColour);
  auto_forward(dlg);
}

}  // namespace

// ---- Tables ----------------------------------------------------------------------------

int YrlDepthTypeByName(const char* name) {
  if (name == nullptr) return 0;
  for (const DepthRow& r : yrl_depth_data)
    if (std::strcmp(r.name, name) == 0) return r.code;
  return 0;
}

double YrlAngleValueByName(const char* name) {
  if (name == nullptr) return -1.0;
  for (const AngleRow& r : yrl_angle_data)
    if (std::strcmp(r.name, name) == 0) return r.value;
  return -1.0;
}

const char* YrlAngleNameByValue(double value) {
  for (const AngleRow& r : yrl_angle_data)
    if (IsYrlDoubleSame(value, r.value, 0.01)) return r.name;
  return nullptr;
}

// ---- Panels ----------------------------------------------------------------------------

int YrlExtDlgSketchProfilePanelSet(YrlExtDlgInfo* dlg) {
  const YrlSketchValInfo& s = dlg->info->sketch;
  bool any = s.selections != nullptr && s.count > 0;
  char text[96];
  if (any) {
    std::snprintf(text, sizeof text, "%d Entities (%s)", s.count, s.view_name);
  } else {
    std::snprintf(text, sizeof text, "No Entities Selected");
  }
  enable(dlg, "sketch_clear_btn", any);
  enable(dlg, "skt_val_btn", any);
  text_set(dlg, "sketch_txt", text);
  return VYN_TK_NO_ERROR;
}

int YrlExtDlgDpntEntPanelSet(YrlExtDlgInfo* dlg) {
  const YrlDatumPointInfo& p = dlg->info->datum_point;
  int count = 0;
  if (p.selections != nullptr) VynArraySizeGet(p.selections, &count);
  char text[96];
  if (count > 0) {
    std::snprintf(text, sizeof text, "%d Entities (%s)", count, p.view_name);
  } else {
    std::snprintf(text, sizeof text, "No Entities Selected");
  }
  // The point pick's own clear button.
  enable(dlg, "pnt_ent_clear_btn", count > 0);
  text_set(dlg, "pnt_ent_txt", text);
  return VYN_TK_NO_ERROR;
}

int YrlExtDlgExtentPanelSet(YrlExtDlgInfo* dlg) {
  const YrlFeatInfo* info = dlg->info;
  char text[128];
  bool picked = info->extent.line_item.id > 0;
  if (!picked) {
    std::snprintf(text, sizeof text, "%s", info->draw.view_count < 2 ? "Default View" : " ");
  } else {
    char view[32];
    view_name_get(info->plane.ref_view_id, view, sizeof view);
    std::snprintf(text, sizeof text, "Entity id: %d (%s) : %s", info->extent.line_item.id, view,
                  info->extent.surface_found ? "Srf Found" : "No Srf");
  }
  enable(dlg, "depth_ref_clear_btn", picked);
  text_set(dlg, is_revolve(info) ? "angle_ref_txt" : "depth_ref_txt", text);
  YrlExtDlgAngleListValueSet(dlg);
  return VYN_TK_NO_ERROR;
}

int YrlExtDlgAngleListValueSet(YrlExtDlgInfo* dlg) {
  if (!is_revolve(dlg->info)) return VYN_TK_NO_ERROR;
  double value = dlg->info->extent.depth;
  const char* name = YrlAngleNameByValue(value);
  if (name != nullptr) return YrlSelectedNameSet(VynUIOptionmenuSelectednamesSet, dlg->name, "angle_val_list", name);
  // The angle alone, as typed: 45 shows "45".
  char text[64];
  std::snprintf(text, sizeof text, "%g", value);
  VynWchar wide[64];
  vek::strtows_bounded(wide, 64, text);
  return VynUIOptionmenuValueSet(dlg->name, "angle_val_list", wide);
}

int YrlExtDlgDepthTypeListSet(YrlExtDlgInfo* dlg) {
  const YrlFeatInfo* info = dlg->info;
  bool three = info->part.has_first_feature && (info->sub_type == YRL_FEAT_CUT || info->type == YRL_FEAT_HOLE);
  return three ? option_rows_set(dlg, "depth_type_list", depth_type_names_1, depth_type_labels_1, 3)
               : option_rows_set(dlg, "depth_type_list", depth_type_names_2, depth_type_labels_2, 2);
}

int YrlExtDlgDepthRefAccessSet(YrlExtDlgInfo* dlg) {
  const YrlFeatInfo* info = dlg->info;
  const char* fields[] = {"angle_val_txt", "depth_val_txt"};
  int type = info->extent.depth_type;
  bool value = type == YRL_DEPTH_BLIND || type == YRL_DEPTH_BOTH_SIDES;
  char text[VYN_PATH_SIZE + 32];
  if (info->extent.surface_found) {
    surface_text(info->extent.reference, text, sizeof text);
  } else {
    std::snprintf(text, sizeof text, "No Surface Found");
  }
  for (const char* f : fields) {
    if (value) {
      VynUIInputpanelEditable(dlg->name, f);
      VynUIInputpanelInputtypeSet(dlg->name, f, 3);
      VynUIInputpanelDoubleSet(dlg->name, f, info->extent.depth);
    } else {
      VynUIInputpanelReadOnly(dlg->name, f);
      VynUIInputpanelInputtypeSet(dlg->name, f, 0);
      text_set(dlg, f, text);
    }
  }
  enable(dlg, "depth_flip_btn", value);
  enable(dlg, "angle_flip_btn", value);
  return VYN_TK_NO_ERROR;
}

// ---- Enter and exit --------------------------------------------------------------------

int YrlExtDlgSketchProfileEnter(YrlExtDlgInfo* dlg) {
  YrlExtDlgSketchProfilePanelSet(dlg);
  profile_highlight(dlg, kCurrentColour);
  if (!dlg->steps[dlg->current].complete) VynUIDialogDefaultbuttonSet(dlg->name, "sketch_btn");
  if (dlg->info->type == YRL_FEAT_DATUM_CURVE) {
    VynWchar text[VYN_PATH_SIZE] = {0};
    VynMessageToBuffer(text, YrlMsgFile, "YRL_FEAT_DTM_CURVES");
    VynUILayoutTextSet(dlg->name, "LaySktProfSelect", text);
    VynUILayoutHide(dlg->name, "LaySktProfValidate");
  }
  return VYN_TK_NO_ERROR;
}
int YrlExtDlgSketchProfileExit(YrlExtDlgInfo* dlg) {
  profile_highlight(dlg, kLeftColour);
  return VYN_TK_NO_ERROR;
}

int YrlExtDlgRevAxisEnter(YrlExtDlgInfo* dlg) {
  const YrlRevolveAxisInfo& a = dlg->info->rev_axis;
  char text[96] = " ";
  if (a.item.id > 0) std::snprintf(text, sizeof text, "Entity id: %d (%s)", a.item.id, a.view_name);
  text_set(dlg, "rev_axis_txt", text);
  enable(dlg, "rev_axis_clear_btn", a.item.id > 0);
  axis_highlight(dlg, kCurrentColour);
  return VYN_TK_NO_ERROR;
}
int YrlExtDlgRevAxisExit(YrlExtDlgInfo* dlg) {
  axis_highlight(dlg, kLeftColour);
  return VYN_TK_NO_ERROR;
}

int YrlExtDlgSketchPlaneEnter(YrlExtDlgInfo* dlg) {
  YrlFeatInfo* info = dlg->info;
  if (info->draw.view_count < 2 && info->plane.line_item.id <= 0) {
    enable(dlg, "skt_plane_btn", false);
    enable(dlg, "skt_plane_clear_btn", false);
    if (YrlFeatInfoSketchPlaneAutoSelect(info) == VYN_TK_NO_ERROR) {
      sketch_plane_panel(dlg);
      plane_highlight(dlg, kCurrentColour);
      YrlExtDlgValidate(dlg);
    }
  }
  if (info->draw.view_count > 1) {
    enable(dlg, "skt_plane_btn", true);
    enable(dlg, "skt_plane_clear_btn", true);
    int kind = info->sketch.view_kind;
    if (kind == YRL_VIEW_SECTION || kind == YRL_VIEW_AUXILIARY) {
      // No line is picked: an auxiliary view's plane came with its profile, a section
      // view's is the plane through its cutting line (found or made, once).
      enable(dlg, "skt_plane_btn", false);
      enable(dlg, "skt_plane_clear_btn", false);
      bool ok = kind == YRL_VIEW_AUXILIARY || info->plane.plane.id >= 1 ||
                YrlFeatInfoSketchPlaneAutoSelect(info) == VYN_TK_NO_ERROR;
      if (ok) {
        sketch_plane_panel(dlg);
        plane_highlight(dlg, kCurrentColour);
        YrlExtDlgValidate(dlg);
      }
    }
  }
  sketch_plane_panel(dlg);
  plane_highlight(dlg, kCurrentColour);
  if (!dlg->steps[dlg->current].complete) VynUIDialogDefaultbuttonSet(dlg->name, "skt_plane_btn");
  return VYN_TK_NO_ERROR;
}
int YrlExtDlgSketchPlaneExit(YrlExtDlgInfo* dlg) {
  plane_highlight(dlg, kLeftColour);
  return VYN_TK_NO_ERROR;
}

int YrlExtDlgDepthRefEnter(YrlExtDlgInfo* dlg) {
  YrlFeatInfo* info = dlg->info;
  bool revolve = is_revolve(info);
  if (info->draw.view_count == 1) {
    enable(dlg, revolve ? "angle_ref_btn" : "depth_ref_btn", false);
    enable(dlg, revolve ? "angle_ref_clear_btn" : "depth_ref_clear_btn", false);
    text_set(dlg, revolve ? "angle_ref_txt" : "depth_ref_txt", "Default View");
    extent_type_list_choice(dlg);
  }
  YrlExtDlgExtentPanelSet(dlg);
  depth_highlight(dlg, kCurrentColour);
  depth_type_read(dlg);
  if (!dlg->steps[dlg->current].complete) VynUIDialogDefaultbuttonSet(dlg->name, revolve ? "angle_ref_btn" : "depth_ref_btn");
  return VYN_TK_NO_ERROR;
}
int YrlExtDlgDepthRefExit(YrlExtDlgInfo* dlg) {
  depth_highlight(dlg, kLeftColour);
  return VYN_TK_NO_ERROR;
}

// ---- Callbacks: profile ------------------------------------------------------------------

void YrlExtDlgCBSketchPick(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  YrlFeatInfo* info = dlg->info;
  if (YrlSketchSelect(info, &info->draw, &info->sketch) == VYN_TK_NO_ERROR) {
    sketch_failure_clear(info);
    new_profile_update(dlg);
    return;
  }
  // A refused or aborted pick left the profile as it was: nothing is rebuilt from it.
  YrlExtDlgValidate(dlg);
  profile_highlight(dlg, kCurrentColour);
}

void YrlExtDlgCBValidate(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  YrlSketchValDlg(dlg->info);
  new_profile_update(dlg);
  sketch_failure_clear(dlg->info);
}

void YrlExtDlgCBSketchClear(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  YrlFeatInfo* info = dlg->info;
  if (!YrlConfirmDlg("YRL_SKT_CLEAR_CONFIRM")) return;
  profile_highlight(dlg, -1);
  YrlSketchedDatumPreviewFeatDelete(info);
  YrlFeatInfoIncompleteFeatureDelete(info);
  // The profile's own records go; the fix-entity list stays for the erase at the end.
  YrlFeatInfoProfileFree(info);
  info->sketch = YrlSketchValInfo{};
  info->sketch.view_id = -1;
  YrlFeatInfoSketchPlaneReset(info);
  info->preview = VynFeature{};
  info->preview_tree = nullptr;
  info->view_dir_flipped = 0;
  incomplete_reset(dlg);
  YrlExtDlgSketchProfilePanelSet(dlg);
  YrlExtDlgValidate(dlg);
}

// ---- Callbacks: hole profile, datum points, revolve axis -------------------------------

void YrlExtDlgCBHolePrfPick(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  YrlFeatInfo* info = dlg->info;
  if (YrlFeatInfoHoleProfileSelect(info) == VYN_TK_NO_ERROR) {
    built_feature_forget(info);
    char text[96] = " ";
    if (info->hole.item.id > 0)
      std::snprintf(text, sizeof text, "%s id: %d ( %s )", info->hole.circle_flag == 2 ? "Circle" : "Arc",
                    info->hole.item.id, info->hole.view_name);
    text_set(dlg, "hole_prf_txt", text);
  }
  VynUIInputpanelDoubleSet(dlg->name, "hole_prf_dia_val", info->hole.diameter);
  if (info->hole.selection != nullptr) VynSelectionHighlight(info->hole.selection, kCurrentColour);
  YrlExtDlgValidate(dlg);
  auto_forward(dlg);
}

void YrlExtDlgCBHolePrfClear(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  YrlFeatInfo* info = dlg->info;
  if (!YrlConfirmDlg("YRL_SKT_CLEAR_CONFIRM")) return;
  if (info->hole.selection != nullptr) {
    VynSelectionUnhighlight(info->hole.selection);
    VynSelectionFree(&info->hole.selection);
  }
  info->hole = YrlHoleInfo{};
  incomplete_reset(dlg);
  YrlFeatInfoIncompleteFeatureDelete(info);
  text_set(dlg, "hole_prf_dia_val", "");
  text_set(dlg, "hole_prf_txt", " ");
  YrlExtDlgValidate(dlg);
}

// Marks each datum point in the drawing. The points are the picked entities' own, in
// drawing coordinates (the section carries them into the part): marked where they lie.
void datum_points_draw(YrlFeatInfo* info) {
  int n = 0;
  if (info->datum_point.points == nullptr || VynArraySizeGet(info->datum_point.points, &n) != VYN_TK_NO_ERROR) return;
  const auto* points = static_cast<const YrlDatumPoint*>(info->datum_point.points);
  for (int i = 0; i < n; ++i) YrlTestPointDraw(points[i].point, nullptr);
}

void YrlExtDlgCBDpntEntPick(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  VynWindowRefresh(dlg->drawing_window);
  if (YrlFeatInfoDatumPointRefSelect(dlg->info) == VYN_TK_NO_ERROR) {
    built_feature_forget(dlg->info);
    YrlExtDlgDpntEntPanelSet(dlg);
    datum_points_draw(dlg->info);
  }
  YrlExtDlgValidate(dlg);
  auto_forward(dlg);
}

void YrlExtDlgCBDpntEntClear(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  YrlFeatInfo* info = dlg->info;
  if (!YrlConfirmDlg("YRL_SKT_CLEAR_CONFIRM")) return;
  YrlFeatInfoDatumPointFree(info);
  info->datum_point = YrlDatumPointInfo{};
  incomplete_reset(dlg);
  YrlFeatInfoIncompleteFeatureDelete(info);
  YrlExtDlgLabelSet(dlg, "pnt_qty_label", "");
  YrlExtDlgDpntEntPanelSet(dlg);
  YrlExtDlgValidate(dlg);
}

void YrlExtDlgCBRevAxisPick(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  if (YrlSketchRevAxisSelect(dlg->info) == VYN_TK_NO_ERROR) built_feature_forget(dlg->info);
  YrlExtDlgRevAxisEnter(dlg);
  YrlExtDlgValidate(dlg);
  auto_forward(dlg);
}

void YrlExtDlgCBRevAxisClear(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  YrlFeatInfo* info = dlg->info;
  if (!YrlConfirmDlg("YRL_SKT_CLEAR_CONFIRM")) return;
  axis_highlight(dlg, -1);
  if (info->rev_axis.selection != nullptr) VynSelectionFree(&info->rev_axis.selection);
  info->rev_axis.item = VynModelitem{};
  info->rev_axis.flag = 0;
  info->rev_axis.view_id = -1;
  text_set(dlg, "rev_axis_txt", "");
  enable(dlg, "rev_axis_clear_btn", false);
  // The feature goes; the sketch plane stays picked (and its datum plane made) for the
  // next axis. Without an axis the profile fails its sides verdict until one is picked.
  YrlSketchedDatumPreviewFeatDelete(info);
  YrlFeatInfoIncompleteFeatureOnlyDelete(info);
  YrlSketchCheckValidation(info, &info->sketch);
  YrlExtDlgValidate(dlg);
}

// ---- Callbacks: sketch plane and offset reference --------------------------------------

void YrlExtDlgCBSketchPlanePick(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  YrlFeatInfo* info = dlg->info;
  plane_highlight(dlg, -1);
  VynModelitem made = info->sketch.created_plane;
  if (YrlFeatInfoSketchPlaneSelect(info) == VYN_TK_NO_ERROR) {
    built_feature_forget(info);
    // A datum plane made for the plane picked before goes, unless the new pick stands on
    // it again (the record keeps it until then when the new plane was found, not made).
    const VynModelitem& used = info->sketch.use_found_plane ? info->sketch.found_plane : info->plane.plane;
    VynModelitem& kept = info->sketch.created_plane;
    if (made.id >= 1 && !(used.id == made.id && used.owner == made.owner))
      YrlFeatSktPlaneDtmDelete(kept.id == made.id && kept.owner == made.owner ? &kept : &made, nullptr);
    sketch_plane_panel(dlg);
    sketch_failure_clear(info);
  }
  plane_highlight(dlg, kCurrentColour);
  YrlExtDlgValidate(dlg);
  auto_forward(dlg);
}

void YrlExtDlgCBSketchPlaneClear(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  YrlFeatInfo* info = dlg->info;
  if (!YrlConfirmDlg("YRL_SKTPLN_CLEAR_CONFIRM")) return;
  YrlSketchedDatumPreviewFeatDelete(info);
  YrlFeatInfoIncompleteFeatureDelete(info);
  plane_highlight(dlg, -1);
  YrlFeatInfoSktPlaneDtmDelete(info);
  YrlFeatInfoSketchPlaneReset(info);
  text_set(dlg, "skt_plane_txt", "");
  YrlExtDlgLabelSet(dlg, "skt_3dinfo_label", "");
  enable(dlg, "skt_plane_clear_btn", false);
  YrlExtDlgValidate(dlg);
}

void YrlExtDlgCBSketchPlaneFlip(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  YrlFeatInfo* info = dlg->info;
  info->view_dir_flipped = !info->view_dir_flipped;
  int dir = info->view_dir_flipped ? -1 : 1;
  if (info->preview.id >= 1) {
    YrlFeatElemtreeSktPlaneViewDirSet(info->preview_tree, dir);
    YrlFeatInfoSktPreviewFeatRedefine(info);
    in_part_window(dlg, [&] {
      VynWindowRefresh(dlg->part_window);
      item_highlight(info->preview, 12);
    });
  }
  if (feature_exists(info)) {
    YrlFeatElemtreeSktPlaneViewDirSet(info->tree, dir);
    feature_redefine(dlg);
  }
}

void YrlExtDlgCBDatumPlanePick(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  YrlFeatInfo* info = dlg->info;
  int line = info->plane.line_item.id;
  plane_highlight(dlg, -1);
  if (YrlFeatInfoSketchPlaneSelect(info) == VYN_TK_NO_ERROR) offset_ref_panel(dlg);
  if (info->plane.line_item.id != line) YrlFeatInfoIncompleteFeatureDelete(info);
  plane_highlight(dlg, kCurrentColour);
  YrlExtDlgValidate(dlg);
  auto_forward(dlg);
}

void YrlExtDlgCBDatumPlaneClear(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  if (!YrlConfirmDlg("YRL_SKTPLN_CLEAR_CONFIRM")) return;
  plane_highlight(dlg, -1);
  YrlFeatInfoSketchPlaneReset(dlg->info);
  text_set(dlg, "plane_ref_txt", "");
  text_set(dlg, "plane_ref_pln_txt", "");
  VynUIInputpanelDoubleSet(dlg->name, "plane_ref_val_txt", 0.0);
  YrlFeatInfoIncompleteFeatureDelete(dlg->info);
  YrlExtDlgValidate(dlg);
}

void YrlExtDlgCBPlaneRefValue(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  YrlFeatInfo* info = dlg->info;
  VynUIInputpanelDoubleGet(dlg->name, "plane_ref_val_txt", &info->sketch.offset);
  if (feature_exists(info)) {
    YrlFeatElemtreeDatumOffsetSet(info->tree, info->sketch.offset);
    feature_redefine(dlg);
  }
}

void YrlExtDlgCBDatumPlaneFlip(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  YrlFeatInfo* info = dlg->info;
  info->direction_flipped = !info->direction_flipped;
  if (feature_exists(info)) {
    YrlFeatElemtreeDatumFlipSet(info->tree, info->direction_flipped);
    feature_redefine(dlg);
  }
}

// ---- Callbacks: depth and angle ------------------------------------------------------------

void YrlExtDlgCBDepthTypeSelect(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  depth_type_read(dlg);
  depth_elements_update(dlg);
  YrlExtDlgValidate(dlg);
}

void YrlExtDlgCBExtentValue(char*, char* component, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  VynUIInputpanelDoubleGet(dlg->name, component, &dlg->info->extent.depth);
  depth_elements_update(dlg);
  YrlExtDlgValidate(dlg);
}

void YrlExtDlgCBAngleValue(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  YrlFeatInfo* info = dlg->info;
  char name[YRL_PREF_TEXT_SIZE];
  if (YrlOptionMenuValueGet(dlg->name, "angle_val_list", name) == VYN_TK_NO_ERROR) {
    info->extent.depth = YrlAngleValueByName(name);
  } else {
    VynUIInputpanelDoubleGet(dlg->name, "angle_val_txt", &info->extent.depth);
    VynWchar* typed = nullptr;
    if (VynUIOptionmenuValueGet(dlg->name, "angle_val_list", &typed) == VYN_TK_NO_ERROR && typed != nullptr) {
      char narrow[64];
      vek::wstostr_bounded(narrow, sizeof narrow, typed);  // the host keeps the value
      double value = std::atof(narrow);
      if (value >= 0 && value <= 360) {
        info->extent.depth = value;
      } else {
        VynMessageDisplay(YrlMsgFile, "YRL_INVALID_ANGLE_VALUE");
      }
    }
  }
  YrlExtDlgDepthRefAccessSet(dlg);
  depth_elements_update(dlg);
  YrlExtDlgValidate(dlg);
}

void YrlExtDlgCBExtentRefPick(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  depth_highlight(dlg, -1);
  if (YrlFeatInfoExtentSelect(dlg->info) == VYN_TK_NO_ERROR) {
    YrlExtDlgExtentPanelSet(dlg);
    extent_type_list_choice(dlg);
    depth_type_read(dlg);
    depth_elements_update(dlg);
  }
  YrlExtDlgValidate(dlg);
  depth_highlight(dlg, kCurrentColour);
}

void YrlExtDlgCBExtentRefClear(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  YrlFeatInfo* info = dlg->info;
  if (!YrlConfirmDlg("YRL_EXTREF_CLEAR_CONFIRM")) return;
  depth_highlight(dlg, -1);
  YrlFeatInfoIncompleteFeatureOnlyDelete(info);
  info->extent.line_item = VynModelitem{};
  info->extent.reference = VynModelitem{};
  info->extent.parallel_ref = 0;
  info->extent.surface_found = 0;
  info->direction_flipped = 0;
  info->extent.depth = 0;
  info->extent.depth_type = YRL_DEPTH_UP_TO_REF;
  VynUIInputpanelDoubleSet(dlg->name, "depth_val_txt", 0.0);
  YrlExtDlgAngleListValueSet(dlg);
  text_set(dlg, is_revolve(info) ? "angle_ref_txt" : "depth_ref_txt", "");
  extent_type_list_choice(dlg);
  YrlExtDlgValidate(dlg);
}

void YrlExtDlgCBFlip(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  dlg->info->direction_flipped = !dlg->info->direction_flipped;
  if (feature_exists(dlg->info)) {
    direction_set(dlg);
    feature_redefine(dlg);
  }
}

// ---- Callbacks: sub-type and names -------------------------------------------------------

void YrlExtDlgCBSubTypeActivate(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  YrlFeatInfo* info = dlg->info;
  if (info->sub_type != YRL_FEAT_CUT) {
    info->sub_type = YRL_FEAT_CUT;
    material_side_label(dlg);
    VynUIPushbuttonShow(dlg->name, "cut_flip_btn");
  } else {
    info->sub_type = YRL_FEAT_PROTRUSION;
    YrlExtDlgLabelSet(dlg, "ftype_label", "Protrusion");
    VynUIPushbuttonHide(dlg->name, "cut_flip_btn");
  }
  YrlSketchCheckValidation(info, &info->sketch);
  int saved = dlg->current;
  for (int i = 0; i < dlg->count; ++i) {
    if (dlg->steps[i].validate == YrlExtDlgSketchProfileValidate) {
      dlg->current = i;
      YrlExtDlgSketchProfileValidate(dlg);
    }
  }
  dlg->current = saved;
  YrlExtDlgDepthTypeListSet(dlg);
  if (feature_exists(info)) {
    YrlFeatElemtreeFeatTypeSet(info);
    feature_redefine(dlg);
  }
  YrlExtDlgValidate(dlg);
}

void YrlExtDlgCBCutFlip(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  YrlFeatInfo* info = dlg->info;
  info->material_side = !info->material_side;
  material_side_label(dlg);
  if (feature_exists(info) && info->sub_type == YRL_FEAT_CUT) {
    YrlFeatElemtreeMaterialsideSet(info->tree, info->material_side ? 1 : 2);
    feature_redefine(dlg);
  }
}

void YrlExtDlgCBFNameFocusOut(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  name_read(dlg, "fname_txt");
  YrlExtDlgValidate(dlg);
}

void YrlExtDlgCBHoleFNameFocusOut(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  name_read(dlg, "hole_fname_txt");
  if (dlg->current >= 0 && dlg->current < dlg->count) dlg->steps[dlg->current].complete = 1;
  YrlExtDlgValidate(dlg);
}

void YrlExtDlgCBDtmFNameFocusOut(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  name_read(dlg, "dtm_fname_txt");
  YrlExtDlgValidate(dlg);
}

// ---- Callbacks: preview, forward, leaving ---------------------------------------------------

void YrlExtDlgCBAutoForward(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  int checked = 0;
  VynUICheckbuttonGetState(dlg->name, "auto_ff_btn", &checked);
  dlg->auto_forward = checked ? 1 : 0;
}

void YrlExtDlgCBPreviewTry(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  YrlFeatInfo* info = dlg->info;
  int checked = 0;
  VynUICheckbuttonGetState(dlg->name, "preview_btn", &checked);
  if (checked) {
    YrlExtDlgFeatCreate(dlg);
    if (dlg->part_window <= 0) {
      int window = -1;
      VynWchar name[VYN_PATH_SIZE] = {0};
      VynMdlNameGet(info->part.part, name);
      if (VynAccessorywindowCreate(name, 2, &window) == VYN_TK_NO_ERROR) {
        dlg->part_window = window;
        VynWindowCurrentSet(window);
        VynMdlDisplay(info->part.part);
      }
    }
    in_part_window(dlg, [&] {
      item_highlight(info->preview, 12);
      item_highlight(info->feature, kCurrentColour);
    });
  } else {
    part_window_close(dlg);
  }
  VynWindowCurrentSet(dlg->drawing_window);
}

void YrlExtDlgCBOK(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  YrlExtDlgFeatCreate(dlg);
  if (!feature_exists(dlg->info)) {
    // The last build or redefinition failed and the feature is gone: closing now would
    // keep nothing while the user asked to keep it. The wizard stays open, OK off.
    dlg->ready = 0;
    YrlExtDlgSetNavigateAccess(dlg);
    YrlExtDlgSetButtonsAccess(dlg);
    VynMessageDisplay(YrlMsgFile, "YRLFORM ERROR %0s",
                      "The feature could not be built. Change a pick or a value, or Cancel.");
    return;
  }
  // What the run made besides the feature goes first: what the host keeps holds the
  // wizard open (the user was told), and OK or Cancel tries again.
  if (!YrlFeatInfoRunLeftoversDelete(dlg->info)) return;
  exit_actions(dlg);
  VynUIDialogExit(dlg->name, -1);
}

void YrlExtDlgCBCancel(char*, char*, void* app_data) {
  YrlExtDlgInfo* dlg = state(app_data);
  YrlFeatInfo* info = dlg->info;
  if (!YrlConfirmDlg("YRL_FEATDLG_CANCEL_CONFIRM")) return;
  YrlFeatInfoIncompleteFeatureDelete(info);
  YrlFeatInfoSktPlaneDtmDelete(info);
  info->created = 0;
  YrlSketchedDatumPreviewFeatDelete(info);
  // What the host kept holds the wizard open (the user was told): Cancel tries again.
  if (info->feature.id >= 1 || info->sketch.created_plane.id >= 1 || info->preview.id >= 1) return;
  exit_actions(dlg);
  VynUIDialogExit(dlg->name, -1);
}

void YrlExtDlgCBClose(char* dialog, char* component, void* app_data) { YrlExtDlgCBCancel(dialog, component, app_data); }

// ---- Builder -------------------------------------------------------------------------------

namespace {

struct Binding {
  VynError (*set)(const char*, const char*, VynUIAction, void*);
  const char* component;
  VynUIAction action;
};

// Input type 0 for the text fields; the pick texts are read-only.
const char* const text_fields[] = {"fname_txt",   "hole_fname_txt", "dtm_fname_txt", "sketch_txt",
                                   "hole_prf_txt", "pnt_ent_txt",   "skt_plane_txt", "rev_axis_txt",
                                   "depth_ref_txt", "angle_ref_txt", "plane_ref_txt", "plane_ref_pln_txt"};
const char* const read_only_fields[] = {"sketch_txt",    "hole_prf_txt",  "pnt_ent_txt",  "skt_plane_txt",
                                        "rev_axis_txt",  "depth_ref_txt", "angle_ref_txt"};

int bind_all(YrlExtDlgInfo* dlg) {
  const char* d = dlg->name;
  int status = VynUIDialogCloseActionSet(d, YrlExtDlgCBClose, dlg);
  const Binding pushes[] = {
      {VynUIPushbuttonActivateActionSet, "ftype_btn", YrlExtDlgCBSubTypeActivate},
      {VynUIPushbuttonActivateActionSet, "sketch_btn", YrlExtDlgCBSketchPick},
      {VynUIPushbuttonActivateActionSet, "sketch_clear_btn", YrlExtDlgCBSketchClear},
      {VynUIPushbuttonActivateActionSet, "hole_prf_btn", YrlExtDlgCBHolePrfPick},
      {VynUIPushbuttonActivateActionSet, "hole_prf_clear_btn", YrlExtDlgCBHolePrfClear},
      {VynUIPushbuttonActivateActionSet, "pnt_ent_btn", YrlExtDlgCBDpntEntPick},
      {VynUIPushbuttonActivateActionSet, "pnt_ent_clear_btn", YrlExtDlgCBDpntEntClear},
      {VynUIPushbuttonActivateActionSet, "rev_axis_btn", YrlExtDlgCBRevAxisPick},
      {VynUIPushbuttonActivateActionSet, "rev_axis_clear_btn", YrlExtDlgCBRevAxisClear},
      {VynUIPushbuttonActivateActionSet, "skt_plane_btn", YrlExtDlgCBSketchPlanePick},
      {VynUIPushbuttonActivateActionSet, "skt_plane_clear_btn", YrlExtDlgCBSketchPlaneClear},
      {VynUIPushbuttonActivateActionSet, "skt_plane_flip_btn", YrlExtDlgCBSketchPlaneFlip},
      {VynUIPushbuttonActivateActionSet, "plane_ref_btn", YrlExtDlgCBDatumPlanePick},
      {VynUIPushbuttonActivateActionSet, "plane_ref_clear_btn", YrlExtDlgCBDatumPlaneClear},
      {VynUIOptionmenuActivateActionSet, "depth_type_list", YrlExtDlgCBDepthTypeSelect},
      {VynUIOptionmenuSelectActionSet, "depth_type_list", YrlExtDlgCBDepthTypeSelect},
      {VynUIOptionmenuActivateActionSet, "angle_type_list", YrlExtDlgCBDepthTypeSelect},
      {VynUIOptionmenuSelectActionSet, "angle_type_list", YrlExtDlgCBDepthTypeSelect},
  };
  for (const Binding& b : pushes)
    if (status == VYN_TK_NO_ERROR) status = b.set(d, b.component, b.action, dlg);
  if (status == VYN_TK_NO_ERROR) status = VynUIOptionmenuVisiblerowsSet(d, "angle_type_list", 2);
  const Binding rest[] = {
      {VynUIOptionmenuSelectActionSet, "angle_val_list", YrlExtDlgCBAngleValue},
      {VynUIOptionmenuActivateActionSet, "angle_val_list", YrlExtDlgCBAngleValue},
      {VynUIPushbuttonActivateActionSet, "depth_ref_btn", YrlExtDlgCBExtentRefPick},
      {VynUIPushbuttonActivateActionSet, "depth_ref_clear_btn", YrlExtDlgCBExtentRefClear},
      {VynUIInputpanelFocusoutActionSet, "depth_val_txt", YrlExtDlgCBExtentValue},
      {VynUIInputpanelActivateActionSet, "depth_val_txt", YrlExtDlgCBExtentValue},
      {VynUIPushbuttonActivateActionSet, "angle_ref_btn", YrlExtDlgCBExtentRefPick},
      {VynUIPushbuttonActivateActionSet, "angle_ref_clear_btn", YrlExtDlgCBExtentRefClear},
      {VynUIInputpanelFocusoutActionSet, "angle_val_txt", YrlExtDlgCBExtentValue},
      {VynUIInputpanelActivateActionSet, "angle_val_txt", YrlExtDlgCBExtentValue},
      {VynUIInputpanelActivateActionSet, "plane_ref_val_txt", YrlExtDlgCBPlaneRefValue},
      {VynUIPushbuttonActivateActionSet, "prev_btn", YrlExtDlgCBPrev},
      {VynUIPushbuttonActivateActionSet, "next_btn", YrlExtDlgCBNext},
      {VynUIPushbuttonActivateActionSet, "ok_btn", YrlExtDlgCBOK},
      {VynUIPushbuttonActivateActionSet, "cancel_btn", YrlExtDlgCBCancel},
      {VynUICheckbuttonActivateActionSet, "auto_ff_btn", YrlExtDlgCBAutoForward},
      {VynUICheckbuttonActivateActionSet, "preview_btn", YrlExtDlgCBPreviewTry},
      {VynUIPushbuttonActivateActionSet, "skt_val_btn", YrlExtDlgCBValidate},
      {VynUIPushbuttonActivateActionSet, "cut_flip_btn", YrlExtDlgCBCutFlip},
      {VynUIPushbuttonActivateActionSet, "depth_flip_btn", YrlExtDlgCBFlip},
      {VynUIPushbuttonActivateActionSet, "angle_flip_btn", YrlExtDlgCBFlip},
      {VynUIPushbuttonActivateActionSet, "plane_ref_flip_btn", YrlExtDlgCBDatumPlaneFlip},
      {VynUIInputpanelFocusoutActionSet, "fname_txt", YrlExtDlgCBFNameFocusOut},
      {VynUIInputpanelActivateActionSet, "fname_txt", YrlExtDlgCBFNameFocusOut},
      {VynUIInputpanelFocusoutActionSet, "hole_fname_txt", YrlExtDlgCBHoleFNameFocusOut},
      {VynUIInputpanelFocusoutActionSet, "dtm_fname_txt", YrlExtDlgCBDtmFNameFocusOut},
  };
  for (const Binding& b : rest)
    if (status == VYN_TK_NO_ERROR) status = b.set(d, b.component, b.action, dlg);
  for (const char* f : text_fields)
    if (status == VYN_TK_NO_ERROR) status = VynUIInputpanelInputtypeSet(d, f, 0);
  for (const char* f : read_only_fields)
    if (status == VYN_TK_NO_ERROR) status = VynUIInputpanelReadOnly(d, f);
  // A layout item cannot hold a blank: the revolve's type rows come from here.
  if (status == VYN_TK_NO_ERROR) status = option_rows_set(dlg, "angle_type_list", angle_type_names, angle_type_names, 2);
  return status;
}

}  // namespace

int YrlFeatExtrusionDlg(YrlFeatInfo* info) {
  if (info == nullptr) return 0;
  YrlExtDlgInfo dlg{};
  std::snprintf(dlg.name, sizeof dlg.name, "%s", kDialog);
  dlg.info = info;
  dlg.part_window = -1;
  YrlExtDlgFeatElemCompsSet(&dlg);
  VynWindowCurrentGet(&dlg.drawing_window);
  VynWchar title[32];
  vek::strtows_bounded(title, 32, dlg.title);

  if (VynUIDialogCreate(dlg.name, kDialog) != VYN_TK_NO_ERROR) {
    VynMessageDisplay(YrlExtDlgMsgFile, "YRL_DIALOG_ERROR", dlg.name);
    vek::sleep(2);
    return 0;
  }
  int status = bind_all(&dlg);
  if (status == VYN_TK_NO_ERROR) status = VynUIDialogTitleSet(dlg.name, title);
  if (status == VYN_TK_NO_ERROR) status = VynUIPushbuttonShow(dlg.name, "ftype_btn");
  if (status == VYN_TK_NO_ERROR) status = VynUIPushbuttonHide(dlg.name, "cut_flip_btn");
  if (!YrlFeatIsSketchedFeature(info->type)) VynUIPushbuttonHide(dlg.name, "skt_plane_flip_btn");
  if (!info->part.has_first_feature) VynUIPushbuttonDisable(dlg.name, "ftype_btn");
  if (status == VYN_TK_NO_ERROR) status = VynUIOptionmenuDisable(dlg.name, "hole_type_list");
  if (status == VYN_TK_NO_ERROR) status = VynUILabelShow(dlg.name, "skt_val_fail_icon");
  if (status == VYN_TK_NO_ERROR) status = VynUILabelHide(dlg.name, "skt_val_pass_icon");

  YrlExtDlgShowCurTabLay(&dlg);
  YrlExtDlgDepthTypeListSet(&dlg);
  YrlExtDlgDepthRefAccessSet(&dlg);
  YrlExtDlgValidate(&dlg);
  YrlExtDlgAutoForwardInit(&dlg);

  if (status == VYN_TK_NO_ERROR) {
    int exit_status = 0;
    VynUIDialogActivate(dlg.name, &exit_status);
  }
  VynUIDialogDestroy(dlg.name);
  return 0;
}
