// The items of a part's solid as handles: the visits of its surfaces, datum axes and
// quilts, a surface's contours and a contour's edges, a datum curve's components, and the
// queries on those handles. What a handle names is host/store/model_geometry.h's.
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "host/store/assemblies.h"
#include "host/api/host_behaviours.h"
#include "host/store/model_geometry.h"
#include "host/store/model_store.h"

namespace yrlhost {
namespace {

// Ends of a datum curve's entities meet within the default section epsilon.
constexpr double chain_tolerance = 1e-6;

// Runs a visit over handles taken before the first callback: the filter's -7 skips one,
// any other filter status goes to the action; an action's nonzero status ends the visit
// and is its answer.
VynError visit_handles(const std::vector<void*>& handles, VynItemVisitAction action,
                       VynItemFilterAction filter, void* app_data) {
  for (void* handle : handles) {
    VynError filtered = filter ? filter(handle, app_data) : VYN_TK_NO_ERROR;
    if (filtered == VYN_TK_CONTINUE) continue;
    VynError status = action(handle, filtered, app_data);
    if (status != VYN_TK_NO_ERROR) return status;
  }
  return VYN_TK_NO_ERROR;
}

// The model a solid visit runs on: a live part, or a live assembly (which holds no items
// of its own); null for anything else.
StoredModel* visited_solid(VynSolid solid) {
  StoredModel* model = stored_model(solid);
  if (!model || (model->type != model_type_part && model->type != model_type_assembly))
    return nullptr;
  return model;
}

std::optional<GeomitemRef> surface_ref(VynSurface surface) { return geomitem_of_surface(surface); }

// The (u, v) ends of a datum curve's entity in its section, start then end.
std::pair<geom::Vec2, geom::Vec2> entity_ends(const geom::SectionEntity& entity) {
  if (entity.kind == geom::EntityKind::arc) {
    auto at = [&](double angle) {
      return geom::Vec2{entity.center[0] + entity.radius * std::cos(angle),
                        entity.center[1] + entity.radius * std::sin(angle)};
    };
    return {at(entity.start_angle), at(entity.end_angle)};
  }
  if (entity.kind == geom::EntityKind::circle) {
    geom::Vec2 point{entity.center[0] + entity.radius, entity.center[1]};
    return {point, point};
  }
  return {entity.start, entity.end};
}

bool meet(const geom::Vec2& a, const geom::Vec2& b) {
  return std::hypot(a[0] - b[0], a[1] - b[1]) <= chain_tolerance;
}

// Which of a curve's components run against the chain of the curve: the first when its
// start, not its end, meets the second; each later one when its end, not its start,
// meets where the one before it ends.
std::vector<int> component_flips(const std::vector<geom::SectionEntity>& entities) {
  std::vector<int> flips(entities.size(), 0);
  if (entities.empty()) return flips;
  auto [first_start, first_end] = entity_ends(entities[0]);
  if (entities.size() > 1) {
    auto [next_start, next_end] = entity_ends(entities[1]);
    bool end_meets = meet(first_end, next_start) || meet(first_end, next_end);
    bool start_meets = meet(first_start, next_start) || meet(first_start, next_end);
    if (start_meets && !end_meets) flips[0] = 1;
  }
  geom::Vec2 reached = flips[0] ? first_start : first_end;
  for (std::size_t i = 1; i < entities.size(); ++i) {
    auto [start, end] = entity_ends(entities[i]);
    if (!meet(start, reached) && meet(end, reached)) flips[i] = 1;
    reached = flips[i] ? start : end;
  }
  return flips;
}

}  // namespace

VynError Behaviour<HostApi::VynSolidSurfaceVisit>::run(int, VynSolid solid,
                                                       VynItemVisitAction action,
                                                       VynItemFilterAction filter,
                                                       void* app_data) {
  StoredModel* model = visited_solid(solid);
  if (!model || !action) return VYN_TK_BAD_INPUTS;
  std::vector<void*> handles;
  for (const GeomitemRef& face : part_faces(*model))
    handles.push_back(geomitem_surface_handle(face));
  return visit_handles(handles, action, filter, app_data);
}

VynError Behaviour<HostApi::VynSolidAxisVisit>::run(int, VynSolid solid,
                                                    VynItemVisitAction action,
                                                    VynItemFilterAction filter, void* app_data) {
  StoredModel* model = visited_solid(solid);
  if (!model || !action) return VYN_TK_BAD_INPUTS;
  std::vector<void*> handles;
  for (const GeomitemRef& axis : part_datums(*model, item_type_axis))
    handles.push_back(geomitem_axis_handle(axis));
  return visit_handles(handles, action, filter, app_data);
}

VynError Behaviour<HostApi::VynSolidQuiltVisit>::run(int, VynSolid solid,
                                                     VynItemVisitAction action,
                                                     VynItemFilterAction, void*) {
  if (!visited_solid(solid) || !action) return VYN_TK_BAD_INPUTS;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynQuiltSurfaceVisit>::run(int, VynQuilt, VynItemVisitAction,
                                                       VynItemFilterAction, void*) {
  return VYN_TK_BAD_INPUTS;
}

VynError Behaviour<HostApi::VynQuiltToGeomitem>::run(int, VynWord, VynWord, VynWord) {
  return VYN_TK_BAD_INPUTS;
}

VynError Behaviour<HostApi::VynCsysToGeomitem>::run(int, VynSolid, VynCsys, VynGeomitem*) {
  return VYN_TK_BAD_INPUTS;
}

VynError Behaviour<HostApi::VynAxisToGeomitem>::run(int, VynSolid owner, VynAxis axis,
                                                    VynGeomitem* item) {
  std::optional<GeomitemRef> ref = geomitem_of_axis(axis);
  if (!ref || !item || !owner || ref->model->handle != owner) return VYN_TK_BAD_INPUTS;
  *item = VynModelitem{item_type_axis, ref->id, owner};
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSurfaceIdGet>::run(int, VynSurface surface, int* id) {
  std::optional<GeomitemRef> ref = surface_ref(surface);
  if (!ref || !id) return VYN_TK_BAD_INPUTS;
  *id = ref->id;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSurfaceTypeGet>::run(int, VynSurface surface, int* type) {
  std::optional<GeomitemRef> ref = surface_ref(surface);
  SurfaceGeometry geometry;
  if (!ref || !type || !surface_geometry(*ref, geometry)) return VYN_TK_BAD_INPUTS;
  *type = geometry.type;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSurfaceContourVisit>::run(int, VynSurface surface,
                                                         VynItemVisitAction action,
                                                         VynItemFilterAction filter,
                                                         void* app_data) {
  std::optional<GeomitemRef> ref = surface_ref(surface);
  if (!ref || !action) return VYN_TK_BAD_INPUTS;
  std::vector<void*> handles;
  int loops = static_cast<int>(surface_loops(*ref).size());
  for (int loop = 1; loop <= loops; ++loop) handles.push_back(surface_contour_handle(*ref, loop));
  return visit_handles(handles, action, filter, app_data);
}

VynError Behaviour<HostApi::VynContourTraversalGet>::run(int, VynContour contour,
                                                         int* traversal) {
  int loop = 0;
  std::optional<GeomitemRef> ref = surface_of_contour(contour, loop);
  if (!ref || !traversal) return VYN_TK_BAD_INPUTS;
  *traversal = surface_loops(*ref)[loop - 1].outer ? 1 : -1;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynContourEdgeVisit>::run(int, VynSurface surface,
                                                      VynContour contour,
                                                      VynItemVisitAction action,
                                                      VynItemFilterAction filter,
                                                      void* app_data) {
  int loop = 0;
  std::optional<GeomitemRef> owner = surface_ref(surface);
  std::optional<GeomitemRef> ref = surface_of_contour(contour, loop);
  if (!owner || !ref || !action || owner->model != ref->model || owner->id != ref->id)
    return VYN_TK_BAD_INPUTS;
  std::vector<SurfaceLoop> loops = surface_loops(*ref);
  std::vector<void*> handles;
  for (const GeomitemRef& edge : loops[loop - 1].edges) handles.push_back(geomitem_edge_handle(edge));
  return visit_handles(handles, action, filter, app_data);
}

VynError Behaviour<HostApi::VynEdgeIdGet>::run(int, VynEdge edge, int* id) {
  std::optional<GeomitemRef> ref = geomitem_of_edge(edge);
  if (!ref || !id) return VYN_TK_BAD_INPUTS;
  *id = ref->id;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynEdgeTypeGet>::run(int, VynEdge edge, int* type) {
  std::optional<GeomitemRef> ref = geomitem_of_edge(edge);
  if (!ref || !type) return VYN_TK_BAD_INPUTS;
  switch (edge_item_info(*ref)->kind) {
    case geom::CurveKind::line: *type = VYN_CURVE_LINE; break;
    case geom::CurveKind::circle: *type = VYN_CURVE_ARC; break;
    case geom::CurveKind::other: *type = -1; break;
  }
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynEdgeLengthEval>::run(int, VynEdge edge, double* length) {
  std::optional<GeomitemRef> ref = geomitem_of_edge(edge);
  if (!ref || !length) return VYN_TK_BAD_INPUTS;
  *length = edge_item_info(*ref)->length;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynGeomitemToCurve>::run(int, VynGeomitem* item, VynCurve* curve) {
  std::optional<GeomitemRef> ref = geomitem_find(item);
  if (!ref || ref->type != item_type_curve || !curve) return VYN_TK_BAD_INPUTS;
  *curve = geomitem_curve_handle(*ref, 0);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynCurveCompVisit>::run(int, VynCurve curve,
                                                    VynCurveCompVisitAction action,
                                                    VynCurveCompFilterAction filter,
                                                    void* app_data) {
  int component = 0;
  std::optional<GeomitemRef> ref = geomitem_of_curve(curve, component);
  // A component is no curve of components itself.
  if (!ref || component != 0 || !action) return VYN_TK_BAD_INPUTS;
  const std::vector<geom::SectionEntity>& entities = ref->datum->curve;
  std::vector<int> flips = component_flips(entities);
  std::vector<VynCurve> components;
  for (std::size_t i = 0; i < entities.size(); ++i)
    components.push_back(geomitem_curve_handle(*ref, static_cast<int>(i) + 1));
  for (std::size_t i = 0; i < components.size(); ++i) {
    int index = static_cast<int>(i);
    VynError filtered =
        filter ? filter(curve, components[i], index, flips[i], app_data) : VYN_TK_NO_ERROR;
    if (filtered == VYN_TK_CONTINUE) continue;
    VynError status = action(curve, components[i], index, flips[i], app_data);
    if (status != VYN_TK_NO_ERROR) return status;
  }
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynGeomitemIsInactive>::run(int, VynGeomitem* item,
                                                        int* is_inactive) {
  if (!geomitem_find(item) || !is_inactive) return VYN_TK_BAD_INPUTS;
  *is_inactive = 0;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynFeatureIsNcseq>::run(int, VynFeature* feature, int* is_ncseq) {
  StoredModel* model = feature ? stored_model(feature->owner) : nullptr;
  if (!model || feature->type != item_type_feature || !stored_feature(*model, feature->id) ||
      !is_ncseq)
    return VYN_TK_BAD_INPUTS;
  *is_ncseq = 0;
  return VYN_TK_NO_ERROR;
}

}  // namespace yrlhost
