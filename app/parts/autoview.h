// The view map of a part: pairs the drawing's declared 2-D views with the sides of the
// part's datum planes, stores the pairs in the drawing ("Y_P" slots) and makes general
// drawing views of the part on a sheet of its own.
#pragma once

#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

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
