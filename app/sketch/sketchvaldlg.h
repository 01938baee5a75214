// The sketch validation dialog "yrlsketchvalidate": the rules a section profile must meet
// with a result each, where a failing rule fails highlighted in the drawing, and the five
// repairs (close, extend/trim, delete, revolve side, divide) with their previews.
#pragma once

#include "app/feature/featinfo.h"

struct YrlSketchValDlgInfo;
typedef void (*YrlSketchValHighlight)(YrlSketchValDlgInfo* dlg);

struct YrlSketchValRule {
  int code;               // also the row's index
  const char* fix_page;   // "Rule2": the tab page that holds all repairs
  const char* text;       // also the table row's name
  YrlSketchValHighlight highlight;
  int shown;              // the rule gets a row in the table
};

struct YrlSketchValStatus {
  int code;
  int unused1;
  int unused2;
  int result;  // 0 Success, 1 Failure, 2 NA
};

struct YrlSketchValDlgInfo {
  char name[32];  // "yrlsketchvalidate"
  YrlFeatInfo* info;
  int type;
  int current_rule;
  YrlSketchValStatus* status;
  VynArray keep;  // VynSelection: the entities the delete repair keeps
  int close_grouping;
  int revolve_side;
  const YrlSketchValRule* rules;
  int rule_count;
};

// Runs the dialog for the run's profile: -1 without a current model, else the status of
// the dialog's creation, or 0.
int YrlSketchValDlg(YrlFeatInfo* info);

int YrlSketchValDlgCompSet(YrlSketchValDlgInfo* dlg);
int YrlExtDlgFeatElemResultSet(YrlSketchValDlgInfo* dlg, const YrlFeatInfo* info);
int YrlSketchValDlgStatusTableInit(YrlSketchValDlgInfo* dlg);
int YrlSketchValDlgStatusTableRowAdd(YrlSketchValDlgInfo* dlg, const YrlSketchValRule* rule);
int YrlSketchValDlgStatusTableRowUpdate(YrlSketchValDlgInfo* dlg, const char* row, int result);
int YrlSketchValDlgSetEligibleToggles(YrlSketchValDlgInfo* dlg);

// The highlight of the whole profile and of each failing rule.
void YrlSketchValDlgNewSketchHlight(YrlSketchValDlgInfo* dlg);
void YrlSketchValDlgOpenLoopFailureHlight(YrlSketchValDlgInfo* dlg);
void YrlSketchValDlgClosedLoopFailureHlight(YrlSketchValDlgInfo* dlg);
void YrlSketchValDlgMixureFailureHlight(YrlSketchValDlgInfo* dlg);
void YrlSketchValDlgIntersectionsFailureHlight(YrlSketchValDlgInfo* dlg);
void YrlSketchValDlgOverlapsFailureHlight(YrlSketchValDlgInfo* dlg);
void YrlSketchValDlgRevAxisSideFailureHlight(YrlSketchValDlgInfo* dlg);

// The ids of overlapping entities as the overlap message shows them: " %d" then ", %d",
// cut at whole ids to fit size bytes. The number of ids written.
int YrlSketchValOverlapTextFormat(const YrlSketchValInfo* sketch, char* text, int size);

// Callbacks (application data: the dialog state).
void YrlSketchValDlgCloseAction(char* dialog, char* component, void* app_data);
void YrlSketchValDlgTableSelectAction(char* dialog, char* component, void* app_data);
void YrlSketchValDlgCBRule2Close(char* dialog, char* component, void* app_data);
void YrlSketchValDlgCBRule2Extend(char* dialog, char* component, void* app_data);
void YrlSketchValDlgCBRule2Divide(char* dialog, char* component, void* app_data);
void YrlSketchValDlgCBRule2Del(char* dialog, char* component, void* app_data);
void YrlSketchValDlgCBRule2Rev(char* dialog, char* component, void* app_data);
void YrlSketchValDlgCBFix(char* dialog, char* component, void* app_data);
void YrlSketchValDlgCBRetain(char* dialog, char* component, void* app_data);
void YrlSketchValDlgCBRule2DelListSelect(char* dialog, char* component, void* app_data);
void YrlSketchValDlgCBRule2DelPick(char* dialog, char* component, void* app_data);
void YrlSketchValDlgCBRule2RevSelect(char* dialog, char* component, void* app_data);
