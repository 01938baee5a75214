// The part's datum planes: lookups by name, at a point with a normal, for a declared view
// (with the opposite view's plane as fallback), and the list of named planes.
#include <cstdlib>
#include <cstring>

#include "app/util/apputil.h"
#include "app/views/views.h"
#include "toolkit/api/app_api.h"
#include "toolkit/local/geomdata.h"
#include "toolkit/util/strutil.h"

namespace {

constexpr int kDatumPlaneType = 923;
constexpr int kFeatureActive = 0;
constexpr int kSurfaceItemType = 5;
constexpr int kNameUnits = 32;  // wide characters of each entry of the names list
// Room the name list's arrays are created with and grow by.
constexpr int kNamesGrowth = 6;

bool is_active_datum_plane(VynFeature* feature) {
  int type = -1;
  if (VynFeatureTypeGet(feature, &type) != VYN_TK_NO_ERROR || type != kDatumPlaneType) return false;
  int status = -1;
  return VynFeatureStatusGet(feature, &status) == VYN_TK_NO_ERROR && status == kFeatureActive;
}

// Copies name into the search record; false when it does not fit (no feature name can
// then match it).
bool search_name_set(YrlDatumSearch& search, const char* name) {
  if (!name || std::strlen(name) >= sizeof search.name) return false;
  std::strcpy(search.name, name);
  return true;
}

int datum_search_run(VynSolid part, YrlDatumSearch& search, VynModelitem* item) {
  VynSolidFeatVisit(part, YrlDatumFindFeatAction, nullptr, &search);
  if (!search.found) return 0;
  if (item) *item = search.item;
  return 1;
}

// The datum plane whose name stands for the opposite side of a view name.
const char* opposite_datum_name(const char* name) {
  static const char* const pairs[][2] = {{"BOTTOM", "TOP"}, {"LEFT", "RIGHT"}, {"REAR", "FRONT"}};
  for (const auto& pair : pairs) {
    if (std::strcmp(name, pair[0]) == 0) return pair[1];
  }
  return name;
}

// The names list being built by YrlFeatAction.
struct DatumNames {
  VynArray ids;
  VynArray names;
};

// Skips the features that are not shown.
VynError visible_feature_filter(VynFeature* feature, void*) {
  int visible = 0;
  if (VynFeatureVisibilityGet(feature, &visible) != VYN_TK_NO_ERROR || !visible) return VYN_TK_CONTINUE;
  return VYN_TK_NO_ERROR;
}

// Appends one entry: the id and a new zeroed wide name buffer holding text.
VynError datum_names_add(DatumNames& list, int id, const char* text) {
  VynWchar* name = static_cast<VynWchar*>(std::calloc(kNameUnits, sizeof(VynWchar)));
  if (!name) return VYN_TK_GENERAL_ERROR;
  for (int i = 0; text[i] && i < kNameUnits - 1; ++i) name[i] = static_cast<unsigned char>(text[i]);
  VynError status = VynArrayObjectAdd(&list.names, -1, 1, &name);
  if (status != VYN_TK_NO_ERROR) {
    std::free(name);
    return status;
  }
  status = VynArrayObjectAdd(&list.ids, -1, 1, &id);
  if (status != VYN_TK_NO_ERROR) {
    // Keep the two arrays the same length: take the name back out.
    int size = 0;
    if (VynArraySizeGet(list.names, &size) == VYN_TK_NO_ERROR && size > 0) {
      VynArrayObjectRemove(&list.names, size - 1, 1);
    }
    std::free(name);
  }
  return status;
}

void datum_names_release(DatumNames& list) {
  if (list.names) {
    int size = 0;
    if (VynArraySizeGet(list.names, &size) == VYN_TK_NO_ERROR) {
      VynWchar** names = static_cast<VynWchar**>(list.names);
      for (int i = 0; i < size; ++i) std::free(names[i]);
    }
    VynArrayFree(&list.names);
  }
  if (list.ids) VynArrayFree(&list.ids);
}

}  // namespace

VynError YrlDatumFindGeomitemAction(VynGeomitem* item, VynError, void* app_data) {
  YrlDatumSearch* search = static_cast<YrlDatumSearch*>(app_data);
  search->item = *item;
  search->found = 1;
  return VYN_TK_E_FOUND;
}

VynError YrlDatumFindGeomitemNormalFilter(VynGeomitem* item, void* app_data) {
  const YrlDatumSearch* search = static_cast<const YrlDatumSearch*>(app_data);
  VynSurface surface = nullptr;
  if (VynGeomitemToSurface(item, &surface) != VYN_TK_NO_ERROR) return VYN_TK_CONTINUE;

  VynGeomitemdata* data = nullptr;
  if (VynSurfaceDataGet(surface, &data) != VYN_TK_NO_ERROR || !data) return VYN_TK_CONTINUE;
  bool plane = data->obj_type == VYN_GEOMITEMDATA_SURFACE && data->data.p_surface_data &&
               data->data.p_surface_data->type == VYN_SRF_PLANE;
  double origin[3] = {};
  if (plane) std::memcpy(origin, data->data.p_surface_data->shape.plane.origin, sizeof origin);
  VynGeomitemdataFree(&data);
  if (!plane) return VYN_TK_CONTINUE;

  double uv[2] = {};
  double normal[3] = {};
  if (VynSurfaceParamEval(item->owner, surface, search->point, uv) != VYN_TK_NO_ERROR ||
      VynSurfaceXyzdataEval(surface, uv, nullptr, nullptr, nullptr, normal) != VYN_TK_NO_ERROR) {
    return VYN_TK_CONTINUE;
  }
  if (!YrlUtilVectorsParallel(normal, search->direction)) return VYN_TK_CONTINUE;
  for (int i = 0; i < 3; ++i) {
    if (normal[i] == 1.0 && IsYrlDoubleSame(origin[i], search->point[i], 0.01)) return VYN_TK_E_FOUND;
  }
  return VYN_TK_CONTINUE;
}

VynError YrlDatumFindFeatAction(VynFeature* feature, VynError, void* app_data) {
  YrlDatumSearch* search = static_cast<YrlDatumSearch*>(app_data);
  if (!is_active_datum_plane(feature)) return VYN_TK_NO_ERROR;

  if (search->mode == YRL_DATUM_SEARCH_BY_NAME) {
    VynName name = {};
    if (VynModelitemNameGet(feature, name) != VYN_TK_NO_ERROR) return VYN_TK_NO_ERROR;
    if (VynUtilStrwscmp(search->name, name) != 0) return VYN_TK_NO_ERROR;
    search->found = 1;
    VynFeatureGeomitemVisit(feature, kSurfaceItemType, YrlDatumFindGeomitemAction, nullptr, search);
    return VYN_TK_E_FOUND;
  }
  if (search->mode == YRL_DATUM_SEARCH_AT_POINT) {
    VynFeatureGeomitemVisit(feature, kSurfaceItemType, YrlDatumFindGeomitemAction,
                            YrlDatumFindGeomitemNormalFilter, search);
    return search->found ? VYN_TK_E_FOUND : VYN_TK_NO_ERROR;
  }
  return VYN_TK_NO_ERROR;
}

int YrlDatumFind(VynSolid part, const char* name, VynModelitem* item) {
  YrlDatumSearch search = {};
  search.mode = YRL_DATUM_SEARCH_BY_NAME;
  if (!search_name_set(search, name)) return 0;
  return datum_search_run(part, search, item);
}

int YrlDatumFindByName(VynSolid part, const char* name, VynModelitem* item) {
  return YrlDatumFind(part, name, item);
}

int YrlDatumFindAtPoint(VynSolid part, const double* point, const double* direction,
                        VynModelitem* item) {
  if (!point || !direction) return 0;
  YrlDatumSearch search = {};
  search.mode = YRL_DATUM_SEARCH_AT_POINT;
  std::memcpy(search.point, point, sizeof search.point);
  std::memcpy(search.direction, direction, sizeof search.direction);
  return datum_search_run(part, search, item);
}

int YrlDatumFindForViewName(VynSolid part, const char* view_name, VynModelitem* item) {
  char name[32] = "";
  if (!view_name || std::strlen(view_name) >= sizeof name) return 0;
  std::strcpy(name, view_name);

  int group_id = 0;
  YrlViewSetupGroupIdFromNameGet(name, &group_id, nullptr);
  if (IsYrlViewTypeDetail(group_id)) {
    char parent[32] = "";
    YrlViewParentViewNameGet(name, parent);
    std::memcpy(name, parent, sizeof name);
  }

  VynModelitem found = {};
  if (YrlDatumFind(part, name, &found) && (!item || found.id > 0)) {
    if (item) *item = found;
    return 1;
  }
  return YrlDatumFind(part, opposite_datum_name(name), item);
}

VynError YrlFeatAction(VynFeature* feature, VynError, void* app_data) {
  DatumNames* list = static_cast<DatumNames*>(app_data);
  if (!is_active_datum_plane(feature)) return VYN_TK_NO_ERROR;
  VynName name = {};
  if (VynModelitemNameGet(feature, name) != VYN_TK_NO_ERROR || name[0] == 0) return VYN_TK_NO_ERROR;

  static const char* const sides[][3] = {{"TOP", "TOP(Side1)", "TOP(Side2)"},
                                         {"FRONT", "FRONT(Side1)", "FRONT(Side2)"},
                                         {"RIGHT", "RIGHT(Side1)", "RIGHT(Side2)"}};
  for (const auto& side : sides) {
    if (VynUtilStrwscmp(side[0], name) != 0) continue;
    VynError status = datum_names_add(*list, feature->id, side[1]);
    if (status == VYN_TK_NO_ERROR) status = datum_names_add(*list, feature->id, side[2]);
    return status;
  }
  return datum_names_add(*list, feature->id, "");
}

int YrlDatumNamesGet(VynSolid part, int* count, VynArray* ids, VynArray* names) {
  if (count) *count = 0;
  if (ids) *ids = nullptr;
  if (names) *names = nullptr;

  DatumNames list = {};
  VynError status = VynArrayAlloc(0, sizeof(int), kNamesGrowth, &list.ids);
  if (status == VYN_TK_NO_ERROR) status = VynArrayAlloc(0, sizeof(VynWchar*), kNamesGrowth, &list.names);
  if (status == VYN_TK_NO_ERROR) status = VynSolidFeatVisit(part, YrlFeatAction, visible_feature_filter, &list);
  int size = 0;
  if (status == VYN_TK_NO_ERROR) status = VynArraySizeGet(list.ids, &size);
  if (status != VYN_TK_NO_ERROR) {
    datum_names_release(list);
    return status;
  }
  if (count) *count = size;
  if (ids) {
    *ids = list.ids;
    list.ids = nullptr;
  }
  if (names) {
    *names = list.names;
    list.names = nullptr;
  }
  datum_names_release(list);
  return VYN_TK_NO_ERROR;
}
