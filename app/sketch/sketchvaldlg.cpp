#include "app/sketch/sketchvaldlg.h"

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <cstring>
#include <strings.h>

#include "app/menus/app_init.h"
#include "app/prefs/prefs.h"
#include "app/select/select.h"
#include "app/sketch/sketchfix.h"
#include "app/util/apputil.h"
#include "runtime/text/wide.h"
#include "toolkit/api/app_api.h"
#include "toolkit/util/vecmath.h"

namespace {

constexpr char kDlg[] = "yrlsketchvalidate";
constexpr char kTable[] = "SketchRulesTable";
constexpr char kFix[] = "FixButton";
constexpr char kClose[] = "CloseBtn";
constexpr char kRetain[] = "RetainButton";
constexpr char kDelList[] = "rule2_del_list_btn";
constexpr char kDelPick[] = "rule2_del_pick_btn";
constexpr char kRevRadio[] = "rule2_rev_radio";
constexpr int kPicked = 19;
constexpr int kKept = 20;

const char closed_loop_fix_opts[5][32] = {"rule2_close_btn", "rule2_extend_btn", "rule2_del_btn", "rule2_rev_btn",
                                          "rule2_divide_btn"};
enum { kOptClose, kOptExtend, kOptDel, kOptRev, kOptDivide };

const YrlSketchValRule sketchval_comps_revolve[8] = {
    {0, "Rule2", "Open Loop", YrlSketchValDlgOpenLoopFailureHlight, 0},
    {1, "Rule2", "Closed Loop", YrlSketchValDlgClosedLoopFailureHlight, 1},
    {2, "Rule2", "Multiple Open Loops", YrlSketchValDlgOpenLoopFailureHlight, 0},
    {3, "Rule2", "Multiple Closed Loops", YrlSketchValDlgClosedLoopFailureHlight, 1},
    {4, "Rule2", "Mixture of Loops", YrlSketchValDlgMixureFailureHlight, 0},
    {5, "Rule2", "Intersecting Entities", YrlSketchValDlgIntersectionsFailureHlight, 1},
    {6, "Rule2", "Overlapping Entities", YrlSketchValDlgOverlapsFailureHlight, 1},
    {7, "Rule2", "Section w.r.t Axis", YrlSketchValDlgRevAxisSideFailureHlight, 1},
};
// The general rules are the first seven of the revolve rules.
const YrlSketchValRule* const sketchval_comps_gen = sketchval_comps_revolve;
// Shared by successive runs; each run overwrites the results it computes.
YrlSketchValStatus extrude_feat_valinfo[7] = {{0, 1, 0, 0}, {1, 1, 1, 0}, {2, 1, 2, 0}, {3, 1, 0, 0},
                                              {4, 1, 1, 0}, {5, 1, 2, 0}, {6, 1, 0, 0}};
YrlSketchValStatus cut_feat_valinfo[8] = {{0, 1, 0, 0}, {1, 1, 1, 0}, {2, 1, 2, 0}, {3, 1, 0, 0},
                                          {4, 1, 1, 0}, {5, 1, 2, 0}, {6, 1, 0, 0}, {7, 1, 1, 0}};

YrlSketchValDlgInfo* dlg_of(void* app_data) { return static_cast<YrlSketchValDlgInfo*>(app_data); }

const YrlSketchValInfo& sketch_of(const YrlSketchValDlgInfo* dlg) { return dlg->info->sketch; }

void keep_free(YrlSketchValDlgInfo* dlg) {
  if (dlg->keep == nullptr) return;
  YrlFeatSelectionArrayFree(&dlg->keep);
  dlg->keep = nullptr;
}

int keep_count(const YrlSketchValDlgInfo* dlg) {
  int n = 0;
  if (dlg->keep != nullptr) VynArraySizeGet(dlg->keep, &n);
  return n;
}

// The keep list becomes a copy of the profile's selections.
void keep_from_profile(YrlSketchValDlgInfo* dlg) {
  keep_free(dlg);
  const YrlSketchValInfo& s = sketch_of(dlg);
  if (s.count < 1 || s.selections == nullptr) return;
  if (VynArrayAlloc(0, sizeof(VynSelection), 1, &dlg->keep) != VYN_TK_NO_ERROR) return;
  for (int i = 0; i < s.count; ++i) {
    VynSelection copy = nullptr;
    if (VynSelectionCopy(s.selections[i], &copy) == VYN_TK_NO_ERROR) VynArrayObjectAdd(&dlg->keep, -1, 1, &copy);
  }
}

void keep_text_show(YrlSketchValDlgInfo* dlg, int count) {
  char text[32];
  std::snprintf(text, sizeof text, " %d selected", count);
  VynWchar wide[32];
  vek::strtows_bounded(wide, 32, text);
  VynUIPushbuttonTextSet(dlg->name, kDelList, wide);
}

void keep_highlight(YrlSketchValDlgInfo* dlg, int colour) {
  auto* sels = static_cast<VynSelection*>(dlg->keep);
  for (int i = 0; i < keep_count(dlg); ++i) VynSelectionHighlight(sels[i], colour);
}

bool inverse_sheet(const YrlSketchValDlgInfo* dlg, double inverse[4][4]) {
  return VynUtilMatrixInvert(dlg->info->draw.sheet_trf, inverse) == 1;
}

int check_state(const char* component) {
  int state = 0;
  VynUICheckbuttonGetState(kDlg, component, &state);
  return state;
}

const char* result_text(int result) { return result == 0 ? "Success" : result == 1 ? "Failure" : "NA"; }

// The revolve side of the radio group: "revside2" 2, else 1.
int revolve_side_read(YrlSketchValDlgInfo* dlg) {
  int n = 0;
  char** names = nullptr;
  int side = 1;
  if (VynUIRadiogroupSelectednamesGet(dlg->name, kRevRadio, &n, &names) == VYN_TK_NO_ERROR && names != nullptr) {
    if (n > 0 && strcasecmp(names[0], "revside2") == 0) side = 2;
    VynStringarrayFree(names, n);
  }
  dlg->revolve_side = side;
  return side;
}

// Buttons after a repair or when a repair is switched off.
void repair_buttons_reset(YrlSketchValDlgInfo* dlg) {
  for (const char* opt : closed_loop_fix_opts) VynUICheckbuttonUnset(dlg->name, opt);
  YrlSketchValDlgSetEligibleToggles(dlg);
  VynUICheckbuttonDisable(dlg->name, kFix);
  VynUIPushbuttonEnable(dlg->name, kClose);
  VynUIPushbuttonDisable(dlg->name, kDelList);
  VynUIPushbuttonDisable(dlg->name, kDelPick);
  VynUIRadiogroupDisable(dlg->name, kRevRadio);
}

// One of the five repair buttons changed: it alone stays on and its preview is drawn, or,
// switched off, the current rule is highlighted again.
void repair_toggled(YrlSketchValDlgInfo* dlg, int option) {
  const char* own = closed_loop_fix_opts[option];
  if (check_state(own)) {
    for (int k = 0; k < 5; ++k) {
      if (k != option) VynUICheckbuttonUnset(dlg->name, closed_loop_fix_opts[k]);
    }
    if (dlg->type != YRL_FEAT_REVOLVE) VynUICheckbuttonDisable(dlg->name, closed_loop_fix_opts[kOptRev]);
    VynUICheckbuttonEnable(dlg->name, kFix);
    VynUIPushbuttonDisable(dlg->name, kClose);
    VynWindowRepaint(-1);
    switch (option) {
      case kOptClose: YrlSketchFixPreviewClose(dlg->info, dlg->close_grouping); break;
      case kOptExtend: YrlSketchFixPreviewExtend(dlg->info); break;
      case kOptDivide: YrlSketchFixPreviewDivide(dlg->info); break;
      case kOptDel: keep_highlight(dlg, kKept); break;
      default: YrlSketchFixPreviewRevolve(dlg->info, revolve_side_read(dlg)); break;
    }
  } else {
    VynUICheckbuttonDisable(dlg->name, kFix);
    VynUIPushbuttonEnable(dlg->name, kClose);
    if (dlg->current_rule >= 0 && dlg->current_rule < dlg->rule_count) dlg->rules[dlg->current_rule].highlight(dlg);
  }
  bool del = check_state(closed_loop_fix_opts[kOptDel]) != 0;
  (del ? VynUIPushbuttonEnable : VynUIPushbuttonDisable)(dlg->name, kDelList);
  (del ? VynUIPushbuttonEnable : VynUIPushbuttonDisable)(dlg->name, kDelPick);
  (check_state(closed_loop_fix_opts[kOptRev]) ? VynUIRadiogroupEnable : VynUIRadiogroupDisable)(dlg->name, kRevRadio);
}

}  // namespace

// ---- Tables --------------------------------------------------------------------------------

int YrlSketchValDlgCompSet(YrlSketchValDlgInfo* dlg) {
  if (dlg == nullptr) return VYN_TK_BAD_INPUTS;
  if (dlg->type == YRL_FEAT_REVOLVE) {
    dlg->rules = sketchval_comps_revolve, dlg->status = cut_feat_valinfo, dlg->rule_count = 8;
  } else {
    dlg->rules = sketchval_comps_gen, dlg->status = extrude_feat_valinfo, dlg->rule_count = 7;
  }
  return VYN_TK_NO_ERROR;
}

int YrlExtDlgFeatElemResultSet(YrlSketchValDlgInfo* dlg, const YrlFeatInfo* info) {
  if (dlg == nullptr || info == nullptr || dlg->status == nullptr) return VYN_TK_BAD_INPUTS;
  const YrlSketchValInfo& s = info->sketch;
  YrlSketchValStatus* r = dlg->status;
  r[0].result = s.rule1 ? 0 : 1;
  r[1].result = s.no_open_ends ? 0 : 1;
  r[2].result = s.loop_count < 2 ? 0 : r[0].result;
  r[3].result = s.loop_count < 2 ? 0 : r[1].result;
  r[5].result = s.intersecting_ends >= 1 ? 1 : 0;
  r[6].result = s.overlapping_ends >= 1 ? 1 : 0;
  if (dlg->rule_count > 7) r[7].result = s.revolve_sides ? 0 : 1;
  return VYN_TK_NO_ERROR;
}

int YrlSketchValDlgStatusTableRowUpdate(YrlSketchValDlgInfo* dlg, const char* row, int result) {
  VynWchar wide[32];
  vek::strtows_bounded(wide, 32, result_text(result));
  int status = VynUITableCellLabelSet(dlg->name, kTable, row, "Result", wide);
  VynUITableCellComponentDelete(dlg->name, kTable, row, "Num");
  return status;
}

int YrlSketchValDlgStatusTableRowAdd(YrlSketchValDlgInfo* dlg, const YrlSketchValRule* rule) {
  int count = 0;
  char** rows = nullptr;
  VynUITableRownamesGet(dlg->name, kTable, &count, &rows);
  char* name = const_cast<char*>(rule->text);
  int status = VynUITableRowsInsert(dlg->name, kTable, count > 0 && rows != nullptr ? rows[count - 1] : nullptr, 1, &name);
  if (rows != nullptr) VynStringarrayFree(rows, count);
  VynWchar wide[64];
  vek::strtows_bounded(wide, 64, rule->text);
  VynUITableCellLabelSet(dlg->name, kTable, rule->text, "Rule", wide);
  int result = dlg->status[rule->code].result;
  YrlSketchValDlgStatusTableRowUpdate(dlg, rule->text, result);
  char copy[32];
  std::snprintf(copy, sizeof copy, "Rule%dRow", rule->code + 1);
  VynUITableCellComponentCopy(dlg->name, kTable, rule->text, "Num", dlg->name, result != 0 ? "FailureLabel" : "SuccessLabel",
                              copy);
  return status;
}

int YrlSketchValDlgStatusTableInit(YrlSketchValDlgInfo* dlg) {
  int fixes = 0;
  if (dlg->info->fix_entities != nullptr) VynArraySizeGet(dlg->info->fix_entities, &fixes);
  int added = 0;
  for (int k = 0; k < dlg->rule_count; ++k) {
    if (!dlg->rules[k].shown) continue;
    YrlSketchValDlgStatusTableRowAdd(dlg, &dlg->rules[k]);
    ++added;
  }
  VynUITableVisiblerowsSet(dlg->name, kTable, added);
  keep_from_profile(dlg);
  keep_text_show(dlg, sketch_of(dlg).count);
  VynUIPushbuttonDisable(dlg->name, kDelList);
  VynUIPushbuttonDisable(dlg->name, kDelPick);
  VynUIRadiogroupDisable(dlg->name, kRevRadio);
  YrlSelectDialogData sel{};
  sel.initial = dlg->keep;
  YrlSelectDialogBoxInit(&sel);
  (fixes > 0 ? VynUICheckbuttonEnable : VynUICheckbuttonDisable)(dlg->name, kRetain);
  (dlg->info->keep_fix_entities ? VynUICheckbuttonSet : VynUICheckbuttonUnset)(dlg->name, kRetain);
  return VYN_TK_NO_ERROR;
}

int YrlSketchValDlgSetEligibleToggles(YrlSketchValDlgInfo* dlg) {
  const YrlSketchValInfo& s = sketch_of(dlg);
  (s.open_ends > 0 ? VynUICheckbuttonEnable : VynUICheckbuttonDisable)(dlg->name, closed_loop_fix_opts[kOptClose]);
  bool extend = false;
  for (int i = 0; i < s.count && s.entities != nullptr && !extend; ++i) {
    const YrlSketchEntity& e = s.entities[i];
    extend = (!IsYrlSketchEndClosed(e.start_status) && e.start_side.count > 0) ||
             (!IsYrlSketchEndClosed(e.end_status) && e.end_side.count > 0);
  }
  (extend ? VynUICheckbuttonEnable : VynUICheckbuttonDisable)(dlg->name, closed_loop_fix_opts[kOptExtend]);
  (s.intersecting_ends >= 1 ? VynUICheckbuttonEnable : VynUICheckbuttonDisable)(dlg->name,
                                                                               closed_loop_fix_opts[kOptDivide]);
  (dlg->type == YRL_FEAT_REVOLVE ? VynUICheckbuttonEnable : VynUICheckbuttonDisable)(dlg->name,
                                                                                    closed_loop_fix_opts[kOptRev]);
  VynUICheckbuttonEnable(dlg->name, closed_loop_fix_opts[kOptDel]);
  return VYN_TK_NO_ERROR;
}

// ---- Highlights ----------------------------------------------------------------------------

void YrlSketchValDlgNewSketchHlight(YrlSketchValDlgInfo* dlg) {
  VynWindowRepaint(-1);
  keep_highlight(dlg, kPicked);
  if (dlg->type == YRL_FEAT_REVOLVE && dlg->info->rev_axis.selection != nullptr)
    VynSelectionHighlight(dlg->info->rev_axis.selection, kPicked);
}
void YrlSketchValDlgOpenLoopFailureHlight(YrlSketchValDlgInfo* dlg) { YrlSketchValDlgNewSketchHlight(dlg); }
void YrlSketchValDlgMixureFailureHlight(YrlSketchValDlgInfo* dlg) { YrlSketchValDlgNewSketchHlight(dlg); }
void YrlSketchValDlgRevAxisSideFailureHlight(YrlSketchValDlgInfo* dlg) { YrlSketchValDlgNewSketchHlight(dlg); }

namespace {

// Repaints, highlights every profile entity in the picked colour and lets mark draw its
// markers (with the inverse sheet transform).
template <typename Mark>
void entities_highlight(YrlSketchValDlgInfo* dlg, Mark mark) {
  VynWindowRepaint(-1);
  double inverse[4][4];
  if (!inverse_sheet(dlg, inverse)) return;
  const YrlSketchValInfo& s = sketch_of(dlg);
  for (int i = 0; i < s.count && s.entities != nullptr; ++i) {
    VynSelectionHighlight(s.selections[i], kPicked);
    mark(s.entities[i], inverse);
  }
}

}  // namespace

void YrlSketchValDlgClosedLoopFailureHlight(YrlSketchValDlgInfo* dlg) {
  entities_highlight(dlg, [](const YrlSketchEntity& e, const double (*m)[4]) {
    if (IsYrlSketchEndOpen(e.start_status)) YrlTestPointDraw(e.start, m);
    if (IsYrlSketchEndOpen(e.end_status)) YrlTestPointDraw(e.end, m);
  });
}

void YrlSketchValDlgIntersectionsFailureHlight(YrlSketchValDlgInfo* dlg) {
  entities_highlight(dlg, [](const YrlSketchEntity& e, const double (*m)[4]) {
    for (int k = 0; k < e.start_side.count; ++k) {
      const YrlSketchIntPoint& p = e.start_side.items[k];
      if (YrlSketchParamsIntersects(p.t_first, p.t_second) && p.first != p.second) YrlTestPointDraw(p.point, m);
    }
    for (int k = 0; k < e.end_side.count; ++k) {
      const YrlSketchIntPoint& p = e.end_side.items[k];
      if (YrlSketchParamsIntersects(p.t_first, p.t_second)) YrlTestPointDraw(p.point, m);
    }
  });
}

int YrlSketchValOverlapTextFormat(const YrlSketchValInfo* sketch, char* text, int size) {
  if (text == nullptr || size < 1) return 0;
  text[0] = '\0';
  int written = 0, used = 0;
  for (int i = 0; sketch != nullptr && i < sketch->count && sketch->entities != nullptr; ++i) {
    const YrlSketchEntity& e = sketch->entities[i];
    if (!IsYrlSketchEndOverlaps(e.start_status) && !IsYrlSketchEndOverlaps(e.end_status)) continue;
    char item[24];
    int n = std::snprintf(item, sizeof item, written == 0 ? " %d" : ", %d", e.entity_id);
    // Whole ids only: the text ends before an id that does not fit.
    if (n < 0 || used + n >= size) break;
    std::memcpy(text + used, item, static_cast<size_t>(n) + 1);
    used += n;
    ++written;
  }
  return written;
}

void YrlSketchValDlgOverlapsFailureHlight(YrlSketchValDlgInfo* dlg) {
  entities_highlight(dlg, [](const YrlSketchEntity& e, const double (*m)[4]) {
    if (IsYrlSketchEndOverlaps(e.start_status) || IsYrlSketchEndOverlaps(e.end_status)) {
      YrlTestPointDraw(e.start, m);
      YrlTestPointDraw(e.end, m);
    }
  });
  const YrlSketchValInfo& s = sketch_of(dlg);
  if (s.overlapping_ends >= 1) {
    char text[256];
    YrlSketchValOverlapTextFormat(&s, text, sizeof text);
    VynMessageDisplay(YrlMsgFile, "YRL_FEAT_OVERLAP_ENTITIES", text);
  }
}

// ---- Callbacks -----------------------------------------------------------------------------

void YrlSketchValDlgCloseAction(char*, char*, void* app_data) { VynUIDialogExit(dlg_of(app_data)->name, -1); }

void YrlSketchValDlgTableSelectAction(char* dialog, char*, void* app_data) {
  YrlSketchValDlgInfo* dlg = dlg_of(app_data);
  int n = 0;
  char** names = nullptr;
  if (VynUITableSelectednamesGet(dialog, kTable, &n, &names) != VYN_TK_NO_ERROR || names == nullptr) return;
  if (n > 0) {
    const char* row = names[0];
    if (strcasecmp(row, "Closed Loop") == 0) dlg->close_grouping = 1;
    if (strcasecmp(row, "Multiple Closed Loops") == 0) dlg->close_grouping = 2;
    for (int k = 0; k < dlg->rule_count; ++k) {
      if (std::strcmp(dlg->rules[k].text, row) == 0) dlg->current_rule = dlg->rules[k].code;
    }
  }
  VynStringarrayFree(names, n);
  const YrlSketchValRule& rule = dlg->rules[dlg->current_rule];
  YrlSelectedNameSet(VynUITabSelectednamesSet, dlg->name, "SketchValRules", rule.fix_page);
  rule.highlight(dlg);
}

void YrlSketchValDlgCBRule2Close(char*, char*, void* app_data) { repair_toggled(dlg_of(app_data), kOptClose); }
void YrlSketchValDlgCBRule2Extend(char*, char*, void* app_data) { repair_toggled(dlg_of(app_data), kOptExtend); }
void YrlSketchValDlgCBRule2Divide(char*, char*, void* app_data) { repair_toggled(dlg_of(app_data), kOptDivide); }
void YrlSketchValDlgCBRule2Del(char*, char*, void* app_data) { repair_toggled(dlg_of(app_data), kOptDel); }
void YrlSketchValDlgCBRule2Rev(char*, char*, void* app_data) { repair_toggled(dlg_of(app_data), kOptRev); }

void YrlSketchValDlgCBFix(char*, char*, void* app_data) {
  YrlSketchValDlgInfo* dlg = dlg_of(app_data);
  int on[5];
  for (int k = 0; k < 5; ++k) on[k] = check_state(closed_loop_fix_opts[k]);
  int status = VYN_TK_NO_ERROR;
  bool ran = false;
  if (on[kOptClose]) status = YrlSketchFixClose(dlg->info, dlg->close_grouping), ran = true;
  else if (on[kOptExtend]) status = YrlSketchFixExtend(dlg->info), ran = true;
  else if (on[kOptDel]) status = YrlSketchFixRemove(dlg->info, dlg->keep), ran = true;
  else if (on[kOptRev]) status = YrlSketchFixRevolve(dlg->info, dlg->revolve_side), ran = true;
  else if (on[kOptDivide]) status = YrlSketchFixDivide(dlg->info), ran = true;
  if (ran && status == VYN_TK_NO_ERROR) {
    YrlSketchCheckValidation(dlg->info, &dlg->info->sketch);
    YrlExtDlgFeatElemResultSet(dlg, dlg->info);
    YrlSketchValDlgStatusTableInit(dlg);
  }
  repair_buttons_reset(dlg);
  YrlSketchValDlgNewSketchHlight(dlg);
}

void YrlSketchValDlgCBRetain(char*, char*, void* app_data) {
  YrlSketchValDlgInfo* dlg = dlg_of(app_data);
  dlg->info->keep_fix_entities = check_state(kRetain) ? 1 : 0;
}

void YrlSketchValDlgCBRule2DelListSelect(char* dialog, char* component, void* app_data) {
  YrlSketchValDlgInfo* dlg = dlg_of(app_data);
  VynArray chosen = nullptr;
  int count = 0;
  YrlSelectDialogData sel{};
  sel.initial = dlg->keep;
  sel.filter = "draft_ent";
  sel.max_count = -1;
  sel.out_sels = &chosen;
  sel.out_count = &count;
  YrlSelectDialogBoxInit(&sel);
  YrlEntSelectedAction(dialog, component, &sel);
  if (YrlSelectCurrSelArrayGet(&chosen, &count) != VYN_TK_NO_ERROR) return;
  keep_free(dlg);
  dlg->keep = count > 0 ? chosen : nullptr;
  if (count <= 0 && chosen != nullptr) VynArrayFree(&chosen);
  keep_text_show(dlg, keep_count(dlg));
}

void YrlSketchValDlgCBRule2DelPick(char*, char*, void* app_data) {
  YrlSketchValDlgInfo* dlg = dlg_of(app_data);
  keep_highlight(dlg, kKept);
  VynMessageDisplay(YrlMsgFile, "YRLFORM PROMPT %0s", "Select entities to remove from section profile");
  VynArray picked = nullptr;
  int n = 0;
  if (VynSelect("draft_ent", -1, nullptr, nullptr, nullptr, 0, &picked, &n) == VYN_TK_NO_ERROR && picked != nullptr) {
    auto* picks = static_cast<VynSelection*>(picked);
    for (int p = 0; p < n; ++p) {
      VynModelitem item{};
      VynSelectionModelitemGet(picks[p], &item);
      // Only entities of the keep list leave it; other picks are ignored.
      for (int k = keep_count(dlg) - 1; k >= 0; --k) {
        VynSelection kept = static_cast<VynSelection*>(dlg->keep)[k];
        VynModelitem other{};
        VynSelectionModelitemGet(kept, &other);
        if (other.id != item.id || other.type != item.type) continue;
        VynSelectionUnhighlight(kept);
        VynSelectionFree(&kept);
        VynArrayObjectRemove(&dlg->keep, k, 1);
      }
    }
  }
  keep_highlight(dlg, kKept);
  keep_text_show(dlg, keep_count(dlg));
}

void YrlSketchValDlgCBRule2RevSelect(char*, char*, void* app_data) {
  YrlSketchValDlgInfo* dlg = dlg_of(app_data);
  revolve_side_read(dlg);
  VynWindowRepaint(-1);
  YrlSketchFixPreviewRevolve(dlg->info, dlg->revolve_side);
}

// ---- The dialog ----------------------------------------------------------------------------

int YrlSketchValDlg(YrlFeatInfo* info) {
  VynMdl model = nullptr;
  if (info == nullptr || VynMdlCurrentGet(&model) != VYN_TK_NO_ERROR || model == nullptr) return -1;
  auto* dlg = static_cast<YrlSketchValDlgInfo*>(std::calloc(1, sizeof(YrlSketchValDlgInfo)));
  if (dlg == nullptr) return VYN_TK_GENERAL_ERROR;
  std::snprintf(dlg->name, sizeof dlg->name, "%s", kDlg);
  dlg->info = info;
  dlg->type = info->type;
  dlg->close_grouping = 1;
  dlg->revolve_side = 1;
  int status = VynUIDialogCreate(kDlg, kDlg);
  if (status != VYN_TK_NO_ERROR) {
    std::free(dlg);
    return status;
  }
  VynUIDialogCloseActionSet(kDlg, YrlSketchValDlgCloseAction, dlg);
  VynUIPushbuttonActivateActionSet(kDlg, kClose, YrlSketchValDlgCloseAction, dlg);
  YrlSketchValDlgCompSet(dlg);
  YrlExtDlgFeatElemResultSet(dlg, info);
  YrlSketchValDlgStatusTableInit(dlg);
  VynUITableSelectActionSet(kDlg, kTable, YrlSketchValDlgTableSelectAction, dlg);
  const VynUIAction repairs[5] = {YrlSketchValDlgCBRule2Close, YrlSketchValDlgCBRule2Extend, YrlSketchValDlgCBRule2Del,
                                  YrlSketchValDlgCBRule2Rev, YrlSketchValDlgCBRule2Divide};
  for (int k : {kOptClose, kOptExtend, kOptDivide, kOptDel, kOptRev})
    VynUICheckbuttonActivateActionSet(kDlg, closed_loop_fix_opts[k], repairs[k], dlg);
  VynUICheckbuttonActivateActionSet(kDlg, kFix, YrlSketchValDlgCBFix, dlg);
  VynUICheckbuttonActivateActionSet(kDlg, kRetain, YrlSketchValDlgCBRetain, dlg);
  VynUIPushbuttonActivateActionSet(kDlg, kDelList, YrlSketchValDlgCBRule2DelListSelect, dlg);
  VynUIPushbuttonActivateActionSet(kDlg, kDelPick, YrlSketchValDlgCBRule2DelPick, dlg);
  VynUIRadiogroupSelectActionSet(kDlg, kRevRadio, YrlSketchValDlgCBRule2RevSelect, dlg);
  VynUICheckbuttonDisable(kDlg, kFix);
  YrlSketchValDlgSetEligibleToggles(dlg);
  int exit_status = 0;
  status = VynUIDialogActivate(kDlg, &exit_status);
  // Destroyed also after a failed activation: a dialog left behind makes every later
  // creation of this name fail.
  VynUIDialogDestroy(kDlg);
  keep_free(dlg);
  std::free(dlg);
  return VYN_TK_NO_ERROR;
}
