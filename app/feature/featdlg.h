// The feature wizard "yrlfeatdlg": its state, the step table of each feature type, the
// completeness test of each step, and the driver that validates after every user action
// and builds or redefines the feature as soon as every step is complete.
#pragma once

#include "app/feature/featinfo.h"

struct YrlExtDlgInfo;
typedef int (*YrlExtDlgStepFunc)(YrlExtDlgInfo* dlg);

struct YrlExtDlgStep {
  const char* layout;  // the tab page of the step
  YrlExtDlgStepFunc enter;
  YrlExtDlgStepFunc exit;
  YrlExtDlgStepFunc validate;
  int complete;
};

struct YrlExtDlgInfo {
  char name[32];   // "yrlfeatdlg"
  char title[32];
  int ready;
  int auto_forward;
  int part_window;     // 0 or -1 when none is open
  int drawing_window;
  int current;
  int count;
  YrlExtDlgStep* steps;
  YrlFeatInfo* info;
};

// Step table, count and title by the feature type (1 to 8; others leave them), every
// step incomplete.
int YrlExtDlgFeatElemCompsSet(YrlExtDlgInfo* dlg);

// Completeness of the current step (each writes the current row's flag).
int YrlExtDlgExtrudeMainValidate(YrlExtDlgInfo* dlg);
int YrlExtDlgHoleMainValidate(YrlExtDlgInfo* dlg);
int YrlExtDlgDatumMainValidate(YrlExtDlgInfo* dlg);
int YrlExtDlgRevolveAxisValidate(YrlExtDlgInfo* dlg);
int YrlExtDlgHoleSurfaceValidate(YrlExtDlgInfo* dlg);
int YrlExtDlgDPntEntValidate(YrlExtDlgInfo* dlg);
int YrlExtDlgSketchProfileValidate(YrlExtDlgInfo* dlg);
int YrlExtDlgSketchPlaneValidate(YrlExtDlgInfo* dlg);
int YrlExtDlgOffsetRefValidate(YrlExtDlgInfo* dlg);
int YrlExtDlgDepthRefValidate(YrlExtDlgInfo* dlg);
// A depth-reference entity or surface is set.
int YrlExtDlgExtentValid(const YrlFeatInfo* info);

// The driver: validates the current step, reads the others, builds or redefines when
// ready, sets the buttons.
int YrlExtDlgValidate(YrlExtDlgInfo* dlg);
// Builds (first time) or redefines (after) the feature when ready.
int YrlExtDlgFeatCreate(YrlExtDlgInfo* dlg);
// The error dialog of a new section failure (-1), else 0.
int YrlExtDlgFeatSketchErrorCapture(YrlExtDlgInfo* dlg, int failed_before);

int YrlExtDlgShowCurTabLay(YrlExtDlgInfo* dlg);
int YrlExtDlgSetNavigateAccess(YrlExtDlgInfo* dlg);
int YrlExtDlgSetOKAccess(YrlExtDlgInfo* dlg);
int YrlExtDlgSetButtonsAccess(YrlExtDlgInfo* dlg);
int YrlExtDlgMoveToNextTab(YrlExtDlgInfo* dlg);
int YrlExtDlgMoveAutoForward(YrlExtDlgInfo* dlg);
int YrlExtDlgAutoForwardInit(YrlExtDlgInfo* dlg);
void YrlExtDlgCBNext(char* dialog, char* component, void* app_data);
void YrlExtDlgCBPrev(char* dialog, char* component, void* app_data);
