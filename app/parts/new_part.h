// New Part: copies a template part chosen by the drawing's units under a name the user
// gives, sets its DESCRIPTION and MODELED_BY parameters, adds it to the drawing, maybe
// makes it the active part and hands it to the view map.
#pragma once

#include "app/parts/autoview.h"
#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

// The dialog's record, one per run.
struct YrlNewPartData {
  char name[32];
  char units[32];
  char template_path[261];
  VynMdl part;
  VynMdl drawing;
  int set_active;
};

// Runs the dialog and, on OK, adds the part to the drawing; gives the part and the
// set-active flag (each may be null). -1 when the dialog was cancelled or failed.
int YrlNewPartWithReturn(VynMdl* part, int* set_active);
int YrlNewPart();
int YrlNewPartInit(const char* dialog, YrlNewPartData* data);
// Stores the input's text as the part's string parameter named as the input; an empty
// input makes none.
int YrlNewPartParamSave(const char* dialog, VynMdl part, const char* input);

void YrlNewPartOKAction(char* dialog, char* component, void* app_data);
void YrlNewPartCancelAction(char* dialog, char* component, void* app_data);
void YrlNewPartUseDefaultTChkBtnAction(char* dialog, char* component, void* app_data);
void YrlNewPartRadioTemplateAction(char* dialog, char* component, void* app_data);
