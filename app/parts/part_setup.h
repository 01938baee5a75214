// Part Setup, run by the Part Setup command: lists the drawing's parts, lets the user
// choose the active part, make a new part and open a part's view map.
#pragma once

#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

// The dialog's record, one per run. The arrays hold one entry per part of the drawing.
struct YrlPartSetupData {
  int row_count;
  char active_name[32];
  VynArray parts;      // VynMdl
  VynArray names;      // char[32]: each part's name (its row's check button is "ActiveRow<row>")
  VynArray row_names;  // char[16]: "Row%d"
  int capacity;        // entries the arrays were made for
};

// The command: New Part when the drawing holds no part yet, else the Part Setup dialog.
int YrlPartSetupMain();
// Builds and runs the Part Setup dialog.
int YrlPartSetup();
int YrlPSPartNames(const char* dialog, YrlPartSetupData* data);
int YrlPSSetOneTableRow(VynMdl part, const char* dialog, YrlPartSetupData* data);
int YrlPSSetActivePart(const char* dialog, const char* name, YrlPartSetupData* data);

void YrlPSOKAction(char* dialog, char* component, void* app_data);
void YrlPSCancelAction(char* dialog, char* component, void* app_data);
void YrlPSNewPartAction(char* dialog, char* component, void* app_data);
void YrlPSVwMapAction(char* dialog, char* component, void* app_data);
void YrlActiveCheckButtoninAction(char* dialog, char* component, void* app_data);
void YrlActiveCheckButtonoutAction(char* dialog, char* component, void* app_data);
