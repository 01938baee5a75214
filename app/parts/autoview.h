// The view map of a part: pairs the drawing's declared 2-D views with the sides of the
// part's datum planes, stores the pairs in the drawing ("Y_P" slots) and makes general
// drawing views of the part on a sheet of its own.
#pragma once

#include "app/storage/storage.h"
#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

// Longest part name: the view map keeps a part's mapping under slot names built from it.
inline constexpr int YRL_PART_NAME_MAX = 25;

// The command entry: drawing null means the current model. auto_map 1 pairs the matching
// names at once; show_dialog 1 opens the dialog when that is not enough.
int YrlAutoView(VynMdl part, VynMdl drawing, int auto_map, int show_dialog);

// Fields of a stored mapping entry: 31 characters and the terminator each.
inline constexpr int YRL_MAP_FIELD_SIZE = 32;
// Splits text at every "," into at most max_fields fields of YRL_MAP_FIELD_SIZE chars;
// the number of fields, or -1 (fields untouched past those written) when there are more
// or one is longer than 31 characters.
int YrlSplitAtSeperator(const char* text, char (*fields)[YRL_MAP_FIELD_SIZE], int max_fields);
// The part's stored pairs (key: the part's name): views and sides as new host arrays of
// YRL_MAP_FIELD_SIZE-char entries, ids as a new host array of int; each output may be
// null. Entries that are not "view,side,id" are skipped. count gets the pairs handed out.
int YrlMappedViewsGet(const char* key, VynArray* views, VynArray* sides, VynArray* ids, int* count);

// Block sizes of the working record's arrays.
inline constexpr int YRL_MAP_ROW_NAME_SIZE = 16;

// The working record of one run of the view map. Name arrays hold YRL_MAP_FIELD_SIZE-char
// blocks (narrow) or blocks of as many wide characters; the mapped-row arrays hold
// pairs of them and grow with the pairs made.
struct YrlAutoViewData {
  char part_name[32];
  VynMdl part;
  VynMdl drawing;
  int view_count;
  VynArray view_names, view_labels;
  int side_count;
  VynArray side_names, side_ids, side_labels;
  int mapped_count;
  VynArray mapped_ids;     // int[2]: {-1, datum id}
  VynArray mapped_names;   // char[2][YRL_MAP_FIELD_SIZE]: {2-D view, datum side}
  VynArray mapped_labels;  // VynWchar[2][YRL_MAP_FIELD_SIZE]
  VynArray row_names;      // char[YRL_MAP_ROW_NAME_SIZE]: "Row%d", kept once made
};

int YrlAutoViewInitData(YrlAutoViewData* data);
// strcmp of two names (the lists' sort order, for qsort).
int YrlStringCompare(const void* a, const void* b);
// Names then, when that succeeded, labels of a dialog list from count blocks.
int YrlOneListSet(const char* dialog, const char* list, int count, VynArray names, VynArray labels);
int YrlAutoViewFreeData(YrlAutoViewData* data);
// 1 when the 2-D view name matches the datum side name by the fixed table (TOP-TOP(Side1),
// BOTTOM-TOP(Side2), ...), without regard to case.
int YrlViewName2d3dCompare(const char* view, const char* side);
int YrlMapViewDtmNames(const char* dialog, const char* view, const char* side, YrlAutoViewData* data);
int YrlMapAllViewsDtms(const char* dialog, int count_unmatched, YrlAutoViewData* data);
int YrlAutoViewSetViewCplNames(const char* dialog, YrlAutoViewData* data);
int YrlMappedViewAdd(const char* key, VynMdl part, const char* view);
int YrlMappedViewRemove(const char* key, const char* view);
int YrlMapped2dViewDtmIdGet(const char* key, const char* view, char* side_out, int* id_out);
int YrlDrwPartSheetNumSet(const char* key, int sheet);
int YrlDrwPartSheetNumGet(const char* key, int* sheet);
int YrlNewPartAutoViewCreate(YrlAutoViewData* data);
// A general drawing view of the part on the sheet for the declared orthographic view
// (TOP .. LEFT, compared without regard to case), at the centre of its bounds and turned
// by its name; its host name goes into the view's record and into the part's slot of the
// view (YrlPartViewSlotName). -2 for a view that is no declared orthographic view.
int YrlDrwPartSheetViewCreate(const char* view, VynMdl drawing, VynMdl part, int sheet);
// The "Y_P" slot that keeps the name of the part's drawing view of the declared view of
// that group id ("V_<part>_DV<group id>"): each part keeps its own, so that clearing the
// view finds the drawing views of every part. A name that does not fit is refused.
int YrlPartViewSlotName(YrlSlotName& slot, const char* part_name, int group_id);

void YrlAutoViewOKAction(char* dialog, char* component, void* app_data);
void YrlAutoViewCancelAction(char* dialog, char* component, void* app_data);
void YrlAutoViewMapAction(char* dialog, char* component, void* app_data);
void YrlAutoViewRemMapAction(char* dialog, char* component, void* app_data);
