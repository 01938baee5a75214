#include "app/parts/autoview.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/storage/storage.h"
#include "toolkit/api/app_api.h"

int YrlSplitAtSeperator(const char* text, char (*fields)[YRL_MAP_FIELD_SIZE], int max_fields) {
  if (!text || !fields || max_fields < 1) return -1;
  int field = 0, length = 0;
  for (const char* c = text;; ++c) {
    if (*c == ',' || *c == '\0') {
      fields[field][length] = '\0';
      ++field;
      length = 0;
      if (*c == '\0') return field;
      if (field >= max_fields) return -1;
      continue;
    }
    if (length >= YRL_MAP_FIELD_SIZE - 1) return -1;
    fields[field][length++] = *c;
  }
}

namespace {

void free_strings(VynArray* strings) {
  if (!*strings) return;
  int count = 0;
  VynArraySizeGet(*strings, &count);
  for (int i = 0; i < count; ++i) std::free(static_cast<char**>(*strings)[i]);
  VynArrayFree(strings);
}

}  // namespace

int YrlMappedViewsGet(const char* key, VynArray* views, VynArray* sides, VynArray* ids, int* count) {
  if (count) *count = 0;
  if (views) *views = nullptr;
  if (sides) *sides = nullptr;
  if (ids) *ids = nullptr;
  if (!key) return VYN_TK_BAD_INPUTS;
  VynArray stored = nullptr;
  int status = YrlPartStringArrayRetrieve(key, &stored);
  if (status != VYN_TK_NO_ERROR) return status;
  int n = 0;
  if (stored) VynArraySizeGet(stored, &n);
  // Sized by the stored count: each entry gives at most one pair.
  if (views) VynArrayAlloc(0, YRL_MAP_FIELD_SIZE, n > 0 ? n : 1, views);
  if (sides) VynArrayAlloc(0, YRL_MAP_FIELD_SIZE, n > 0 ? n : 1, sides);
  if (ids) VynArrayAlloc(0, static_cast<int>(sizeof(int)), n > 0 ? n : 1, ids);
  int pairs = 0;
  for (int i = 0; i < n; ++i) {
    char fields[3][YRL_MAP_FIELD_SIZE];
    // Drawing data: an entry with extra commas or long fields is refused, not split.
    if (YrlSplitAtSeperator(static_cast<char**>(stored)[i], fields, 3) != 3) continue;
    int id = std::atoi(fields[2]);
    if (views) VynArrayObjectAdd(views, -1, 1, fields[0]);
    if (sides) VynArrayObjectAdd(sides, -1, 1, fields[1]);
    if (ids) VynArrayObjectAdd(ids, -1, 1, &id);
    ++pairs;
  }
  free_strings(&stored);
  if (count) *count = pairs;
  return VYN_TK_NO_ERROR;
}

// The view map's dialog is not built yet: nothing is mapped.
int YrlAutoView(VynMdl, VynMdl, int, int) { return 0; }
