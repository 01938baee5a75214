// Part features and their planar surfaces: the visits, the feature and geometry-item
// queries, the surfaces' geometry data and their evaluation.
#include <algorithm>
#include <cstddef>
#include <cmath>
#include <memory>
#include <vector>

#include "host/host_behaviours.h"
#include "host/live_objects.h"
#include "host/model_store.h"
#include "toolkit/local/geomdata.h"

namespace yrlhost {
namespace {

// Geometry data handed out: the record and the surface data it points to, freed together.
struct SurfaceDataBlock {
  VynGeomitemdata head{};
  VynSurfacedata surface{};
};
static_assert(offsetof(SurfaceDataBlock, head) == 0);

std::vector<std::unique_ptr<SurfaceDataBlock>>& data_blocks() {
  static std::vector<std::unique_ptr<SurfaceDataBlock>> blocks;
  return blocks;
}

struct SurfaceRef {
  StoredModel* model = nullptr;
  StoredFeature* feature = nullptr;
  StoredSurface* surface = nullptr;
};

SurfaceRef find_surface(VynSurface handle) {
  if (!handle) return {};
  for (StoredModel* model : stored_models())
    for (StoredFeature& feature : model->features)
      for (StoredSurface& surface : feature.surfaces)
        if (surface.handle == handle) return {model, &feature, &surface};
  return {};
}

SurfaceRef find_surface(StoredModel& model, int surface_id) {
  for (StoredFeature& feature : model.features)
    for (StoredSurface& surface : feature.surfaces)
      if (surface.id == surface_id) return {&model, &feature, &surface};
  return {};
}

// The surface a geometry item names; empty for anything but a surface of a live model.
SurfaceRef item_surface(const VynGeomitem* item) {
  StoredModel* model = item ? stored_model(item->owner) : nullptr;
  if (!model || item->type != item_type_surface) return {};
  return find_surface(*model, item->id);
}

// The feature a feature item names; null for anything else.
StoredFeature* item_feature(const VynFeature* item) {
  StoredModel* model = item ? stored_model(item->owner) : nullptr;
  if (!model || item->type != item_type_feature) return nullptr;
  return stored_feature(*model, item->id);
}

const char16_t* feature_type_name(int type) {
  switch (type) {
    case 0: return u"FIRST FEATURE";
    case 911: return u"HOLE";
    case 916: return u"CUT";
    case 917: return u"PROTRUSION";
    case feature_type_datum_plane: return u"DATUM PLANE";
    case 931: return u"DATUM POINT";
    case 949: return u"CURVE";
    default: return u"FEATURE";
  }
}

double dot(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

VynGeomitemdata* surface_data_make(const StoredSurface& surface) {
  auto block = std::make_unique<SurfaceDataBlock>();
  block->head.obj_type = VYN_GEOMITEMDATA_SURFACE;
  block->head.data.p_surface_data = &block->surface;
  VynSurfacedata& data = block->surface;
  data.type = VYN_SRF_PLANE;
  std::copy_n(surface.uv_min, 2, data.uv_min);
  std::copy_n(surface.uv_max, 2, data.uv_max);
  data.orient = 1;  // the normal is e3
  VynPlaneShape& plane = data.shape.plane;
  std::copy_n(surface.plane.e1, 3, plane.e1);
  std::copy_n(surface.plane.e2, 3, plane.e2);
  std::copy_n(surface.plane.e3, 3, plane.e3);
  std::copy_n(surface.plane.origin, 3, plane.origin);
  data.id = surface.id;
  VynGeomitemdata* head = &block->head;
  live_object_add(LiveKind::geomitemdata, head);
  data_blocks().push_back(std::move(block));
  return head;
}

}  // namespace

// ---- Host-side functions -------------------------------------------------------------

int host_feature_add(VynMdl part, int type, const std::string& name,
                     const std::vector<HostPlane>& planes) {
  StoredModel* model = stored_model(part);
  std::u16string wide;
  if (!model || model->type != model_type_part) return -1;
  if (!utf16_from_text(name, wide) || wide.size() > host_name_max) return -1;
  StoredFeature feature;
  feature.id = model->next_item_id++;
  feature.type = type;
  feature.name = std::move(wide);
  for (const HostPlane& plane : planes) {
    StoredSurface surface;
    surface.handle = stored_surface_handle_new();
    surface.id = model->next_item_id++;
    surface.plane = plane;
    feature.surfaces.push_back(surface);
  }
  model->features.push_back(std::move(feature));
  return model->features.back().id;
}

bool host_feature_remove(VynMdl part, int feature_id) {
  StoredModel* model = stored_model(part);
  if (!model) return false;
  return std::erase_if(model->features,
                       [feature_id](const StoredFeature& f) { return f.id == feature_id; }) > 0;
}

std::vector<int> host_feature_ids(VynMdl part) {
  std::vector<int> ids;
  if (StoredModel* model = stored_model(part))
    for (const StoredFeature& feature : model->features) ids.push_back(feature.id);
  return ids;
}

int host_feature_find(VynMdl part, const std::string& name) {
  StoredModel* model = stored_model(part);
  std::u16string wide;
  if (!model || !utf16_from_text(name, wide) || wide.empty()) return -1;
  for (const StoredFeature& feature : model->features)
    if (feature.name == wide) return feature.id;
  return -1;
}

bool host_feature_state_set(VynMdl part, int feature_id, int status, bool visible) {
  StoredModel* model = stored_model(part);
  StoredFeature* feature = model ? stored_feature(*model, feature_id) : nullptr;
  if (!feature) return false;
  feature->status = status;
  feature->visible = visible;
  return true;
}

std::vector<VynGeomitem> host_part_surfaces(VynMdl part) {
  std::vector<VynGeomitem> items;
  if (StoredModel* model = stored_model(part))
    for (const StoredFeature& feature : model->features)
      for (const StoredSurface& surface : feature.surfaces)
        items.push_back(VynModelitem{item_type_surface, surface.id, part});
  return items;
}

std::optional<HostPlane> host_surface_plane(const VynGeomitem& item) {
  SurfaceRef ref = item_surface(&item);
  if (!ref.surface) return std::nullopt;
  return ref.surface->plane;
}

void model_features_testing_reset() {
  for (auto& block : data_blocks()) live_object_remove(LiveKind::geomitemdata, &block->head);
  data_blocks().clear();
}

// ---- Host functions ------------------------------------------------------------------

VynError Behaviour<HostApi::VynSolidFeatVisit>::run(int, VynSolid solid,
                                                    VynFeatureVisitAction action,
                                                    VynFeatureFilterAction filter,
                                                    void* app_data) {
  StoredModel* model = stored_model(solid);
  if (!model || !action) return VYN_TK_BAD_INPUTS;
  std::vector<VynModelitem> items;
  for (const StoredFeature& feature : model->features)
    items.push_back(VynModelitem{item_type_feature, feature.id, solid});
  return visit_items(std::move(items), action, filter, app_data);
}

VynError Behaviour<HostApi::VynFeatureGeomitemVisit>::run(int, VynFeature* feature, int type,
                                                          VynGeomitemVisitAction action,
                                                          VynGeomitemFilterAction filter,
                                                          void* app_data) {
  StoredFeature* stored = item_feature(feature);
  if (!stored || !action) return VYN_TK_BAD_INPUTS;
  std::vector<VynModelitem> items;
  if (type == item_type_surface)
    for (const StoredSurface& surface : stored->surfaces)
      items.push_back(VynModelitem{item_type_surface, surface.id, feature->owner});
  return visit_items(std::move(items), action, filter, app_data);
}

VynError Behaviour<HostApi::VynFeatureStatusGet>::run(int, VynFeature* feature, int* status) {
  StoredFeature* stored = item_feature(feature);
  if (!stored || !status) return VYN_TK_BAD_INPUTS;
  *status = stored->status;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynFeatureTypeGet>::run(int, VynFeature* feature, int* type) {
  StoredFeature* stored = item_feature(feature);
  if (!stored || !type) return VYN_TK_BAD_INPUTS;
  *type = stored->type;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynFeatureTypenameGet>::run(int, VynFeature* feature,
                                                        VynWchar* type_name) {
  StoredFeature* stored = item_feature(feature);
  if (!stored || !type_name) return VYN_TK_BAD_INPUTS;
  wide_name_write(feature_type_name(stored->type), type_name);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynFeatureVisibilityGet>::run(int, VynFeature* feature,
                                                          int* visible) {
  StoredFeature* stored = item_feature(feature);
  if (!stored || !visible) return VYN_TK_BAD_INPUTS;
  *visible = stored->visible ? 1 : 0;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynGeomitemFeatureGet>::run(int, VynGeomitem* item,
                                                        VynFeature* feature) {
  SurfaceRef ref = item_surface(item);
  if (!ref.surface || !feature) return VYN_TK_BAD_INPUTS;
  *feature = VynModelitem{item_type_feature, ref.feature->id, item->owner};
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynGeomitemToSurface>::run(int, VynGeomitem* item,
                                                       VynSurface* surface) {
  SurfaceRef ref = item_surface(item);
  if (!ref.surface || !surface) return VYN_TK_BAD_INPUTS;
  *surface = ref.surface->handle;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynGeomitemdataGet>::run(int, VynGeomitem* item,
                                                     VynGeomitemdata** data) {
  SurfaceRef ref = item_surface(item);
  if (!ref.surface || !data) return VYN_TK_BAD_INPUTS;
  *data = surface_data_make(*ref.surface);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynGeomitemdataFree>::run(int, VynGeomitemdata** data) {
  if (!data || !live_object_is(LiveKind::geomitemdata, *data)) return VYN_TK_BAD_INPUTS;
  VynGeomitemdata* head = *data;
  auto& blocks = data_blocks();
  auto it = std::find_if(blocks.begin(), blocks.end(),
                         [head](const auto& block) { return &block->head == head; });
  // Geometry data of another module (an edge's, say) is live but not ours to free.
  if (it == blocks.end()) return VYN_TK_BAD_INPUTS;
  live_object_remove(LiveKind::geomitemdata, head);
  blocks.erase(it);
  *data = nullptr;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSurfaceDataGet>::run(int, VynSurface surface,
                                                    VynGeomitemdata** data) {
  SurfaceRef ref = find_surface(surface);
  if (!ref.surface || !data) return VYN_TK_BAD_INPUTS;
  *data = surface_data_make(*ref.surface);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSurfaceParamEval>::run(int, VynSolid solid, VynSurface surface,
                                                      const double* point, double* uv) {
  SurfaceRef ref = find_surface(surface);
  if (!ref.surface || ref.model->handle != solid || !point || !uv) return VYN_TK_BAD_INPUTS;
  const HostPlane& plane = ref.surface->plane;
  double offset[3] = {point[0] - plane.origin[0], point[1] - plane.origin[1],
                      point[2] - plane.origin[2]};
  uv[0] = dot(offset, plane.e1);
  uv[1] = dot(offset, plane.e2);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSurfaceToGeomitem>::run(int, VynSolid solid, VynSurface surface,
                                                       VynGeomitem* item) {
  SurfaceRef ref = find_surface(surface);
  if (!ref.surface || ref.model->handle != solid || !item) return VYN_TK_BAD_INPUTS;
  *item = VynModelitem{item_type_surface, ref.surface->id, solid};
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSurfaceXyzdataEval>::run(int, VynSurface surface,
                                                        const double* uv, double* point,
                                                        double* derivative1,
                                                        double* derivative2, double* normal) {
  SurfaceRef ref = find_surface(surface);
  if (!ref.surface || !uv) return VYN_TK_BAD_INPUTS;
  const HostPlane& plane = ref.surface->plane;
  for (int i = 0; i < 3; ++i) {
    if (point) point[i] = plane.origin[i] + uv[0] * plane.e1[i] + uv[1] * plane.e2[i];
    if (derivative1) {
      derivative1[i] = plane.e1[i];
      derivative1[3 + i] = plane.e2[i];
    }
    if (normal) normal[i] = plane.e3[i];
  }
  if (derivative2) std::fill_n(derivative2, 9, 0.0);
  return VYN_TK_NO_ERROR;
}

}  // namespace yrlhost
