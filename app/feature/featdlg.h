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

// The wizard's own message file ("transition_msg.txt").
extern const VynWchar YrlExtDlgMsgFile[];
// Sets a label of the wizard to a narrow text.
int YrlExtDlgLabelSet(const YrlExtDlgInfo* dlg, const char* label, const char* text);

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

// ---- The dialog: builder, pages and callbacks ------------------------------------------

// Builds and runs the modal wizard "yrlfeatdlg" for info; 0 always. The feature it built
// stays in the part.
int YrlFeatExtrusionDlg(YrlFeatInfo* info);

// Enter and exit functions of the step pages.
int YrlExtDlgSketchProfileEnter(YrlExtDlgInfo* dlg);
int YrlExtDlgSketchProfileExit(YrlExtDlgInfo* dlg);
int YrlExtDlgRevAxisEnter(YrlExtDlgInfo* dlg);
int YrlExtDlgRevAxisExit(YrlExtDlgInfo* dlg);
int YrlExtDlgSketchPlaneEnter(YrlExtDlgInfo* dlg);
int YrlExtDlgSketchPlaneExit(YrlExtDlgInfo* dlg);
int YrlExtDlgDepthRefEnter(YrlExtDlgInfo* dlg);
int YrlExtDlgDepthRefExit(YrlExtDlgInfo* dlg);

// Panels.
int YrlExtDlgSketchProfilePanelSet(YrlExtDlgInfo* dlg);
int YrlExtDlgDpntEntPanelSet(YrlExtDlgInfo* dlg);
int YrlExtDlgExtentPanelSet(YrlExtDlgInfo* dlg);
int YrlExtDlgDepthTypeListSet(YrlExtDlgInfo* dlg);
int YrlExtDlgDepthRefAccessSet(YrlExtDlgInfo* dlg);
// Shows the depth value in "angle_val_list": its table name, else the value as typed.
int YrlExtDlgAngleListValueSet(YrlExtDlgInfo* dlg);

// Depth and angle tables: the depth type code of a name (0 unknown), the angle of a name
// (-1.0 unknown), the name of an angle within 0.01 (null when none).
int YrlDepthTypeByName(const char* name);
double YrlAngleValueByName(const char* name);
const char* YrlAngleNameByValue(double value);

// The callbacks (host dialog signature; the application data is the YrlExtDlgInfo).
void YrlExtDlgCBClose(char* dialog, char* component, void* app_data);
void YrlExtDlgCBSubTypeActivate(char* dialog, char* component, void* app_data);
void YrlExtDlgCBSketchPick(char* dialog, char* component, void* app_data);
void YrlExtDlgCBSketchClear(char* dialog, char* component, void* app_data);
void YrlExtDlgCBHolePrfPick(char* dialog, char* component, void* app_data);
void YrlExtDlgCBHolePrfClear(char* dialog, char* component, void* app_data);
void YrlExtDlgCBDpntEntPick(char* dialog, char* component, void* app_data);
void YrlExtDlgCBDpntEntClear(char* dialog, char* component, void* app_data);
void YrlExtDlgCBRevAxisPick(char* dialog, char* component, void* app_data);
void YrlExtDlgCBRevAxisClear(char* dialog, char* component, void* app_data);
void YrlExtDlgCBSketchPlanePick(char* dialog, char* component, void* app_data);
void YrlExtDlgCBSketchPlaneClear(char* dialog, char* component, void* app_data);
void YrlExtDlgCBSketchPlaneFlip(char* dialog, char* component, void* app_data);
void YrlExtDlgCBDatumPlanePick(char* dialog, char* component, void* app_data);
void YrlExtDlgCBDatumPlaneClear(char* dialog, char* component, void* app_data);
void YrlExtDlgCBDatumPlaneFlip(char* dialog, char* component, void* app_data);
void YrlExtDlgCBPlaneRefValue(char* dialog, char* component, void* app_data);
void YrlExtDlgCBDepthTypeSelect(char* dialog, char* component, void* app_data);
void YrlExtDlgCBAngleValue(char* dialog, char* component, void* app_data);
void YrlExtDlgCBExtentRefPick(char* dialog, char* component, void* app_data);
void YrlExtDlgCBExtentRefClear(char* dialog, char* component, void* app_data);
void YrlExtDlgCBExtentValue(char* dialog, char* component, void* app_data);
void YrlExtDlgCBOK(char* dialog, char* component, void* app_data);
void YrlExtDlgCBCancel(char* dialog, char* component, void* app_data);
void YrlExtDlgCBAutoForward(char* dialog, char* component, void* app_data);
void YrlExtDlgCBPreviewTry(char* dialog, char* component, void* app_data);
void YrlExtDlgCBValidate(char* dialog, char* component, void* app_data);
void YrlExtDlgCBCutFlip(char* dialog, char* component, void* app_data);
void YrlExtDlgCBFlip(char* dialog, char* component, void* app_data);
void YrlExtDlgCBFNameFocusOut(char* dialog, char* component, void* app_data);
void YrlExtDlgCBHoleFNameFocusOut(char* dialog, char* component, void* app_data);
void YrlExtDlgCBDtmFNameFocusOut(char* dialog, char* component, void* app_data);
