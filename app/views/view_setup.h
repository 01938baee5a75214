// The View Setup dialog, run by the View Setup command, and the drawing of the declared
// views' bounds over the drawing.
#pragma once

#include "toolkit/api/host_base_types.h"
#include "toolkit/tkbase.h"

inline constexpr char YRL_VIEW_SETUP_DIALOG[] = "yrlviewsetup";

// Builds and runs the dialog; 0 or the first failing host status.
int YrlViewSetup();
// The tab prefix ("Ort", "Sec", "Aux", "Det") of the dialog's selected page into prefix
// (8 chars); "" and the host's status when it cannot be read.
int YrlCurTabNameGet(const char* dialog, char* prefix);
// Draws every declared view of the current page's kind: current_name's in colour 18, the
// others in 6.
int YrlViewBoundDrawAllViews(const VynWchar* current_name);
// Shows the projection picture of the named view ("NONE": none).
int YrlViewCurrentViewShow(const char* name);

// The dialog's actions.
void YrlViewSetupCloseAction(char* dialog, char* component, void* app_data);
void YrlMainTabAction(char* dialog, char* component, void* app_data);
void YrlRadioViewTypeAction(char* dialog, char* component, void* app_data);
void YrlVScaleInputAction(char* dialog, char* component, void* app_data);
void YrlOrthoComputeScaleAction(char* dialog, char* component, void* app_data);
void YrlOrthoPickBtnAction(char* dialog, char* component, void* app_data);
void YrlOrthoClearBtnAction(char* dialog, char* component, void* app_data);
void YrlViewSelAction(char* dialog, char* component, void* app_data);
void YrlVNameDeleteAction(char* dialog, char* component, void* app_data);
void YrlDetCalcScalePickBtnAction(char* dialog, char* component, void* app_data);
void YrlViewPickBtnAction(char* dialog, char* component, void* app_data);
void YrlViewClearBtnAction(char* dialog, char* component, void* app_data);
void YrlCPPickBtnAction(char* dialog, char* component, void* app_data);
void YrlVPRPickBtnAction(char* dialog, char* component, void* app_data);
void YrlPosPickBtnAction(char* dialog, char* component, void* app_data);
void Yrl1PosPickBtnAction(char* dialog, char* component, void* app_data);

// Pick filters of the view's lines (app_data: the dialog's filter record).
VynError YrlSelectLineEntCutPlnPickPostFilter(VynSelection selection, void* app_data);
VynError YrlSelectLineEntRefPlnPickPostFilter(VynSelection selection, void* app_data);
VynError YrlSelectLineEntVPRPickPostFilter(VynSelection selection, void* app_data);
VynError YrlSelectLineEntPosPickPostFilter(VynSelection selection, void* app_data);
VynError YrlSelectLineEntDetPosPickPostFilter(VynSelection selection, void* app_data);
