// The Clean Up dialog, run by the Clean Up command: moves a drawing's dimensions, notes,
// symbol instances and draft entities of chosen colours into blanked layers whose names
// begin with the layer prefix preference, and lets the user pick items into a blanked
// layer of their own.
#pragma once

#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

// The dialog's record, one per run.
struct YrlCleanupData {
  int dimensions, notes, symbols;
  int blue, red, yellow, green, magenta, purple;
  int preview_shown;
  char prefix[32];
};

// The search record of one colour.
struct YrlColorFilter {
  void* unused[2];
  VynArray selections;  // VynSelection, appended
  void* unused2;
  VynColor colour;      // the wanted colour
  VynArray blank;       // VynModelitem: items already on blank layers
};

// Longest layer prefix: the longest word appended to it ("SYMBOLS", "MAGENTA", "PREVIEW")
// must still fit a layer name of 31 characters.
inline constexpr int YRL_LAYER_PREFIX_MAX = 31 - 7;

// Builds and runs the dialog.
int YrlCleanup();

int YrlCleanupInit(const char* dialog, YrlCleanupData* data);
int YrlAutoFilterStatusGet(const char* dialog, YrlCleanupData* data);
int YrlCleanupAuto(const char* dialog, VynMdl drawing, YrlCleanupData* data);
int YrlCleanupDimAuto(const char* dialog, VynMdl drawing, YrlCleanupData* data);
int YrlCleanupNotesAuto(const char* dialog, VynMdl drawing, YrlCleanupData* data);
int YrlCleanupSymbolAuto(const char* dialog, VynMdl drawing, YrlCleanupData* data);
int YrlCleanupEntityColorAuto(const char* dialog, VynMdl drawing, YrlCleanupData* data);
int YrlCleanupEntityToLayer(const char* layer_name, YrlColorFilter* filter);
int YrlNoteAddToLayer(VynDtlnote* note, VynLayer* layer, VynMdl drawing);
int YrlSymAddToLayer(VynDtlsyminst* symbol, VynLayer* layer, VynMdl drawing);
// Empties and deletes a layer of the current model and regenerates its current sheet.
int YrlCleanupDeletePreview(const char* layer_name);
// Collects the visible draft entities of the filter's colour into its selections.
int YrlCleanupYrlFiltByColorDataGet(YrlColorFilter* filter);
VynError YrlFiltByColorFilterAction(VynModelitem* item, void* app_data);
VynError YrlFiltByColorVisitAction(VynModelitem* item, VynError filter_status, void* app_data);
// 1 when the colour matches the wanted one: both the default colour, the same colour
// type, or RGB within 0.01 each; colours given in different ways never match.
int YrlCleanupColorMatches(const VynColor* colour, const VynColor* wanted);
int YrlCleanupFilterByColorSelect(VynArray* selections, int* count);
int YrlOptLayerSelSet(const char* dialog, YrlCleanupData* data, const char* select);
// 1 when name begins with prefix, without regard to case over the prefix's length.
int IsYrlLayer(const char* prefix, const char* name);
int IsYrlLayerWstr(const char* prefix, const VynWchar* name);
int YrlCleanupEntSelectedSet(const char* dialog, int count);
int YrlCleanupReset(const char* dialog, YrlCleanupData* data);
int IsTabManual(const char* dialog, const char* tab);

// The dimension visit's action: puts the dimension on the layer unless it holds it.
VynError YrlDimVisitAction(VynModelitem* dimension, VynError filter_status, void* app_data);
// Collects the names of blanked layers of the prefix into the option menu's list.
VynError YrlCleanupBlankLayerWstrAction(VynModelitem* layer, VynError filter_status, void* app_data);

void YrlCleanupCleanAction(char* dialog, char* component, void* app_data);
void YrlCleanupPreviewAction(char* dialog, char* component, void* app_data);
void YrlCleanupCloseAction(char* dialog, char* component, void* app_data);
void YrlCleanupMainTabAction(char* dialog, char* component, void* app_data);
void YrlCleanupBtnSelAllAction(char* dialog, char* component, void* app_data);
void YrlCleanupBtnUnSelAllAction(char* dialog, char* component, void* app_data);
void YrlCleanupFBtnSelAllAction(char* dialog, char* component, void* app_data);
void YrlCleanupFBtnUnSelAllAction(char* dialog, char* component, void* app_data);
void YrlCleanupOptLayerSelAction(char* dialog, char* component, void* app_data);
void YrlCleanupLPPickBtnAction(char* dialog, char* component, void* app_data);
void YrlCleanupLPClearBtnAction(char* dialog, char* component, void* app_data);
