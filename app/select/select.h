// Selection of drawing items in the application's own dialog "yrlselobj": single picks,
// everything inside a box, inside or crossing a box, and chains of entities joined end to
// end, each adding to or removing from the current selection; the list dialog
// "yrlselobj_bin" shows and removes what is selected.
#pragma once

#include "app/views/outline.h"
#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

// The current selection: a host array of VynSelection that owns its selections.
extern VynArray curr_sel;
// 1 add (also outside a Remove pick), 2 remove.
extern int yrl_add_remove_mode;
// The chain tolerance: 0.01 until the first chain pick, then the preference.
extern double tolerance;

// Selection types.
enum : int {
  YRL_SEL_SINGLE = 1,
  YRL_SEL_INSIDE = 2,
  YRL_SEL_CROSS = 3,
  YRL_SEL_CHAIN = 4,
  YRL_SEL_CHAIN_VIEW = 5,
};
inline constexpr int YRL_SEL_ADD = 1;
inline constexpr int YRL_SEL_REMOVE = 2;
// Highlight colours: picked or marked items, and the whole selection.
inline constexpr int YRL_COLOR_PICKED = 19;
inline constexpr int YRL_COLOR_SELECTION = 20;

// The selection dialog's data record, handed to every callback.
struct YrlSelectDialogData {
  const char* filter;              // item kinds, e.g. "draft_ent,dimension"
  int max_count;
  VynArray initial;                // VynSelection array or null
  VynSelectionFilter* host_filter; // the pick filter of single picks, or null
  VynSelectionEnv env;
  VynWord extra;
  VynArray* out_sels;
  int* out_count;
  int sel_type;
  int mode_word;  // 5: a chain pick stays within the picked entity's view; negative: no radio preset
  int status;
};

// Box pick record.
struct YrlBoxData {
  VynMdl model;
  int kinds[10];
  int kind_count;
  ViewOutline box;
  int sel_type;  // 2 inside, 3 inside or crossing
  int mode;
  VynArray hidden;  // VynModelitem
};

// Chain record.
struct YrlChainData {
  VynMdl model;
  double start[3];
  double end[3];
  VynArray visited;  // int ids
  int mode;
  VynArray hidden;  // VynModelitem
  int visited_count;
};

// Runs the selection dialog and hands the gathered selections over: out_count the number
// (-1 when it cannot be had), out_sels a new array when positive. The hand-over's status.
int YrlSelect(const char* filter, int max_count, VynArray initial, VynSelectionFilter* host_filter,
              VynSelectionEnv env, VynWord extra, VynArray* out_sels, int* out_count, int mode_word);
// The dialog's initialisation: a fresh current selection holding the initial ones.
int YrlSelectDialogBoxInit(YrlSelectDialogData* data);
// The list dialog of the "EntSelected" button; its status.
int YrlEntSelectedAction(const char* dialog, const char* component, YrlSelectDialogData* data);
// Hands the current selection over (a new array) and frees it when it holds any. A
// selection whose size the host cannot tell gives count -1 and the host's failure.
int YrlSelectCurrSelArrayGet(VynArray* out_sels, int* out_count);
// "ID%d(%s)" with the id and "DRAFT ENTITY" for type 77, else "ENTITY"; text holds 64.
int YrlEntityDisplayGet(const VynModelitem* item, char* text);
// The items of the model's blank layers (display status 3) into hidden (VynModelitem).
int YrlCollectBlankEnts(VynMdl model, VynArray* hidden);
// 1 when hidden holds an item of that type and id.
int YrlIsEntityHidden(const VynModelitem* item, VynArray hidden);

// The picks; out count = size of the current selection.
int YrlBoxSelect(const char* filter, int sel_type, int* count, int mode);
int YrlChainSelect(const char* filter, int sel_type, int mode);
int YrlChainSelectView(const char* filter, int mode);

// Adds a copy of selection to the current selection (allocated when missing).
int YrlCurrSelAdd(VynSelection selection);
// Unhighlights and removes the first entry of the same item type and id; -4 when none.
int YrlCurrSelRemove(const VynModelitem* item);
// Keeps the last of entries with the same item type and id, the others in order.
int YrlCurrSelDropDuplicates();
// Number of entries (0 when there is no current selection).
int YrlCurrSelCount();

// Callbacks handed to the host.
VynError YrlBoxFilterAction(VynModelitem* item, void* app_data);
VynError YrlBoxEntityVisitAction(VynModelitem* item, VynError filter_status, void* app_data);
VynError YrlBoxDimVisitAction(VynModelitem* item, VynError filter_status, void* app_data);
VynError YrlBoxNoteVisitAction(VynModelitem* item, VynError filter_status, void* app_data);
VynError YrlChainFilterAction(VynModelitem* item, void* app_data);
VynError YrlChainVisitAction(VynModelitem* item, VynError filter_status, void* app_data);
VynError YrlBlankLayerFilter(VynModelitem* item, void* app_data);
VynError YrlBlankLayerAction(VynModelitem* item, VynError filter_status, void* app_data);
void YrlCloseAction(char* dialog, char* component, void* app_data);
void YrlSelObjCloseAction(char* dialog, char* component, void* app_data);
void YrlRadioSelTypeAction(char* dialog, char* component, void* app_data);
void YrlBinSelectAction(char* dialog, char* component, void* app_data);
