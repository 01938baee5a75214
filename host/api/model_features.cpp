// Part features and their geometry items: the visits, the feature and geometry-item
// queries, geometry at a point, edges and their neighbours, the surfaces' geometry data
// and their evaluation. What an item id names is host/store/model_geometry.h's.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>
#include <numbers>
#include <optional>
#include <vector>

#include "host/util/host_arrays.h"
#include "host/store/feature_build.h"
#include "host/api/host_behaviours.h"
#include "host/util/live_objects.h"
#include "host/store/model_geometry.h"
#include "host/store/model_store.h"
#include "host/display/selection.h"
#include "toolkit/local/geomdata.h"

namespace yrlhost {
namespace {

// How far from a point a face or edge may pass and still be found there: the
// application's own tolerance for coordinates that are the same.
constexpr double at_point_tolerance = 0.01;

// Geometry data handed out: the record and the surface or curve data it points to, freed
// together.
struct GeomDataBlock {
  VynGeomitemdata head{};
  VynSurfacedata surface{};
  VynCurvedata curve{};
};
static_assert(offsetof(GeomDataBlock, head) == 0);

std::vector<std::unique_ptr<GeomDataBlock>>& data_blocks() {
  static std::vector<std::unique_ptr<GeomDataBlock>> blocks;
  return blocks;
}

// The feature a feature item names; null for anything else.
StoredFeature* item_feature(const VynFeature* item) {
  StoredModel* model = item ? stored_model(item->owner) : nullptr;
  if (!model || item->type != item_type_feature) return nullptr;
  return stored_feature(*model, item->id);
}

// The surface item a surface handle names in a model (any model for a null one).
std::optional<GeomitemRef> handle_surface(VynSurface surface, VynSolid solid = nullptr) {
  std::optional<GeomitemRef> ref = geomitem_of_surface(surface);
  if (!ref || (solid && ref->model->handle != solid)) return std::nullopt;
  return ref;
}

const char16_t* feature_type_name(int type) {
  switch (type) {
    case 0: return u"FIRST FEATURE";
    case 911: return u"HOLE";
    case 916: return u"CUT";
    case 917: return u"PROTRUSION";
    case feature_type_datum_plane: return u"DATUM PLANE";
    case 926: return u"DATUM AXIS";
    case 931: return u"DATUM POINT";
    case 949: return u"CURVE";
    default: return u"FEATURE";
  }
}

GeomDataBlock& data_block_new(int obj_type) {
  auto block = std::make_unique<GeomDataBlock>();
  block->head.obj_type = obj_type;
  if (obj_type == VYN_GEOMITEMDATA_SURFACE)
    block->head.data.p_surface_data = &block->surface;
  else
    block->head.data.p_curve_data = &block->curve;
  live_object_add(LiveKind::geomitemdata, &block->head);
  data_blocks().push_back(std::move(block));
  return *data_blocks().back();
}

void copy3(const geom::Vec3& from, double* to) { std::copy(from.begin(), from.end(), to); }

// The surface record of a surface item: its type, parameter ranges, orientation, the
// shape of its type (axes first) and its id.
void surface_record(const SurfaceGeometry& geometry, int id, VynSurfacedata& data) {
  data.type = geometry.type;
  std::copy(geometry.uv_min.begin(), geometry.uv_min.end(), data.uv_min);
  std::copy(geometry.uv_max.begin(), geometry.uv_max.end(), data.uv_max);
  data.orient = geometry.orient;
  VynPlaneShape& axes = data.shape.plane;
  copy3(geometry.e1, axes.e1);
  copy3(geometry.e2, axes.e2);
  copy3(geometry.e3, axes.e3);
  copy3(geometry.origin, axes.origin);
  switch (geometry.type) {
    case VYN_SRF_CYLINDER: data.shape.cylinder.radius = geometry.radius; break;
    case VYN_SRF_CONE: data.shape.cone.alpha = geometry.semi_angle; break;
    case VYN_SRF_TORUS:
      data.shape.torus.radius1 = geometry.radius;
      data.shape.torus.radius2 = geometry.minor_radius;
      break;
    case VYN_SRF_REVOLVE:
      // A sphere is the revolution of its meridian: the half circle in the e1-e3 plane.
      if (geometry.sphere) {
        VynArcCurve& arc = data.shape.srfrev.curve.arc;
        arc.type = VYN_CURVE_ARC;
        copy3(geometry.e1, arc.vec1);
        copy3(geometry.e3, arc.vec2);
        copy3(geometry.origin, arc.origin);
        arc.start_angle = -std::numbers::pi / 2;
        arc.end_angle = std::numbers::pi / 2;
        arc.radius = geometry.radius;
      }
      break;
    default: break;
  }
  data.id = id;
}

// Hands out the geometry data of a surface item.
VynError surface_data_hand_out(const GeomitemRef& ref, VynGeomitemdata** data) {
  SurfaceGeometry geometry;
  if (!surface_geometry(ref, geometry)) return VYN_TK_BAD_INPUTS;
  GeomDataBlock& block = data_block_new(VYN_GEOMITEMDATA_SURFACE);
  surface_record(geometry, ref.id, block.surface);
  *data = &block.head;
  return VYN_TK_NO_ERROR;
}

// Hands out the geometry data of an edge, a datum curve of one entity or a datum axis (its
// line from its origin one unit along its direction); -4 for other curves and items.
VynError curve_data_hand_out(const GeomitemRef& ref, VynGeomitemdata** data) {
  VynCurvedata curve{};
  if (ref.type == item_type_axis) {
    const geom::Axis& axis = ref.datum->axis;
    curve.line.type = VYN_CURVE_LINE;
    for (int i = 0; i < 3; ++i) {
      curve.line.end1[i] = axis.origin[i];
      curve.line.end2[i] = axis.origin[i] + axis.direction[i];
    }
  } else if ((ref.type != item_type_edge && ref.type != item_type_curve) ||
             !geomitem_curve(ref, curve)) {
    return VYN_TK_E_NOT_FOUND;
  }
  GeomDataBlock& block = data_block_new(ref.type);
  block.curve = curve;
  *data = &block.head;
  return VYN_TK_NO_ERROR;
}

// Whether an item of a visit is still there when its turn comes.
bool geomitem_live(const VynModelitem& item) { return geomitem_find(&item).has_value(); }

}  // namespace

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
  StoredModel& model = *stored_model(feature->owner);
  return visit_items(feature_geomitems(model, stored->id, type), action, filter, app_data,
                     geomitem_live);
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

VynError Behaviour<HostApi::VynGeometryAtPointFind>::run(int, VynSolid solid,
                                                         const double* point,
                                                         VynArray* selections, int* count) {
  StoredModel* model = stored_model(solid);
  if (!model || model->type != model_type_part || !point || !selections)
    return VYN_TK_BAD_INPUTS;
  geom::Vec3 at{point[0], point[1], point[2]};
  if (!std::isfinite(at[0]) || !std::isfinite(at[1]) || !std::isfinite(at[2]))
    return VYN_TK_BAD_INPUTS;
  std::vector<VynModelitem> items = part_geomitems_at(*model, at, at_point_tolerance);
  *selections = nullptr;
  if (count) *count = 0;
  if (items.empty()) return VYN_TK_E_NOT_FOUND;
  std::vector<VynSelection> found;
  for (const VynModelitem& item : items) {
    VynSelection selection = selection_make(item, 0, point);
    // A surface's selection carries the point's parameters on it.
    std::optional<GeomitemRef> ref = geomitem_find(&item);
    SurfaceGeometry geometry;
    geom::Vec2 uv{};
    if (ref && ref->type == item_type_surface && surface_geometry(*ref, geometry) &&
        surface_uv(geometry, at, uv))
      selection_uv_set(selection, uv.data());
    found.push_back(selection);
  }
  VynError status = host_array_hand_out(found, selections);
  if (status != VYN_TK_NO_ERROR) {
    for (VynSelection selection : found) selection_release(selection);
    return status;
  }
  if (count) *count = static_cast<int>(found.size());
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynGeomitemFeatureGet>::run(int, VynGeomitem* item,
                                                        VynFeature* feature) {
  std::optional<GeomitemRef> ref = geomitem_find(item);
  if (!ref || !feature) return VYN_TK_BAD_INPUTS;
  int id = geomitem_feature_id(*ref);
  if (id < 1) return VYN_TK_E_NOT_FOUND;
  *feature = VynModelitem{item_type_feature, id, item->owner};
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynGeomitemToEdge>::run(int, VynGeomitem* item, VynEdge* edge) {
  std::optional<GeomitemRef> ref = geomitem_find(item);
  if (!ref || ref->type != item_type_edge || !edge) return VYN_TK_BAD_INPUTS;
  *edge = geomitem_edge_handle(*ref);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynGeomitemToSurface>::run(int, VynGeomitem* item,
                                                       VynSurface* surface) {
  std::optional<GeomitemRef> ref = geomitem_find(item);
  if (!ref || ref->type != item_type_surface || !surface) return VYN_TK_BAD_INPUTS;
  *surface = geomitem_surface_handle(*ref);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynEdgeNeighborsGet>::run(int, VynEdge edge, VynEdge* edge1,
                                                      VynEdge* edge2, VynSurface* surface1,
                                                      VynSurface* surface2) {
  std::optional<GeomitemRef> ref = geomitem_of_edge(edge);
  EdgeNeighbours neighbours;
  if (!ref || !edge1 || !edge2 || !surface1 || !surface2) return VYN_TK_BAD_INPUTS;
  if (!edge_neighbours(*ref, neighbours)) return VYN_TK_GENERAL_ERROR;
  *edge1 = geomitem_edge_handle(neighbours.edges[0]);
  *edge2 = geomitem_edge_handle(neighbours.edges[1]);
  *surface1 = geomitem_surface_handle(neighbours.surfaces[0]);
  *surface2 = geomitem_surface_handle(neighbours.surfaces[1]);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynGeomitemdataGet>::run(int, VynGeomitem* item,
                                                     VynGeomitemdata** data) {
  std::optional<GeomitemRef> ref = geomitem_find(item);
  if (!ref || !data) return VYN_TK_BAD_INPUTS;
  if (ref->type == item_type_surface) return surface_data_hand_out(*ref, data);
  return curve_data_hand_out(*ref, data);
}

VynError Behaviour<HostApi::VynGeomitemdataFree>::run(int, VynGeomitemdata** data) {
  if (!data || !live_object_is(LiveKind::geomitemdata, *data)) return VYN_TK_BAD_INPUTS;
  VynGeomitemdata* head = *data;
  auto& blocks = data_blocks();
  auto it = std::find_if(blocks.begin(), blocks.end(),
                         [head](const auto& block) { return &block->head == head; });
  // Geometry data of another module is live but not ours to free.
  if (it == blocks.end()) return VYN_TK_BAD_INPUTS;
  live_object_remove(LiveKind::geomitemdata, head);
  blocks.erase(it);
  *data = nullptr;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynAxisDataGet>::run(int, VynAxis axis, VynGeomitemdata** data) {
  std::optional<GeomitemRef> ref = geomitem_of_axis(axis);
  if (!ref || !data) return VYN_TK_BAD_INPUTS;
  return curve_data_hand_out(*ref, data);
}

VynError Behaviour<HostApi::VynSurfaceDataGet>::run(int, VynSurface surface,
                                                    VynGeomitemdata** data) {
  std::optional<GeomitemRef> ref = handle_surface(surface);
  if (!ref || !data) return VYN_TK_BAD_INPUTS;
  return surface_data_hand_out(*ref, data);
}

VynError Behaviour<HostApi::VynSurfaceParamEval>::run(int, VynSolid solid, VynSurface surface,
                                                      const double* point, double* uv) {
  std::optional<GeomitemRef> ref = solid ? handle_surface(surface, solid) : std::nullopt;
  SurfaceGeometry geometry;
  if (!ref || !point || !uv || !surface_geometry(*ref, geometry)) return VYN_TK_BAD_INPUTS;
  geom::Vec2 result{};
  if (!surface_uv(geometry, {point[0], point[1], point[2]}, result)) return VYN_TK_BAD_INPUTS;
  uv[0] = result[0];
  uv[1] = result[1];
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSurfaceToGeomitem>::run(int, VynSolid solid, VynSurface surface,
                                                       VynGeomitem* item) {
  std::optional<GeomitemRef> ref = solid ? handle_surface(surface, solid) : std::nullopt;
  if (!ref || !item) return VYN_TK_BAD_INPUTS;
  *item = VynModelitem{item_type_surface, ref->id, solid};
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSurfaceXyzdataEval>::run(int, VynSurface surface,
                                                        const double* uv, double* point,
                                                        double* derivative1,
                                                        double* derivative2, double* normal) {
  std::optional<GeomitemRef> ref = handle_surface(surface);
  SurfaceGeometry geometry;
  geom::SurfacePoint at;
  if (!ref || !uv || !surface_geometry(*ref, geometry) ||
      !surface_eval(geometry, {uv[0], uv[1]}, at))
    return VYN_TK_BAD_INPUTS;
  if (point) copy3(at.point, point);
  if (derivative1) {
    copy3(at.du, derivative1);
    copy3(at.dv, derivative1 + 3);
  }
  if (derivative2) {
    copy3(at.duu, derivative2);
    copy3(at.duv, derivative2 + 3);
    copy3(at.dvv, derivative2 + 6);
  }
  if (normal) copy3(at.normal, normal);
  return VYN_TK_NO_ERROR;
}

}  // namespace yrlhost
