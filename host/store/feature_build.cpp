// Regenerating a part: each feature, in order, read from its tree copy and built with the
// geometry module onto the solid and the datum items the features before it left.
#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "host/store/elemtrees.h"
#include "host/store/feature_build.h"
#include "host/store/sections.h"
#include "host/display/selection.h"

namespace yrlhost {
namespace {

using geom::Vec3;

double dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
Vec3 scaled(const Vec3& a, double s) { return {a[0] * s, a[1] * s, a[2] * s}; }
Vec3 minus(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec3 unit(const Vec3& a) {
  double length = std::sqrt(dot(a, a));
  return length > 0 ? scaled(a, 1 / length) : a;
}

// The point on the first plane that lies at the given signed distances from the other
// two; false when the three do not meet in one point.
bool planes_meet(const geom::Plane planes[3], const double distances[2], Vec3& out) {
  Vec3 n[3];
  double d[3];
  for (int i = 0; i < 3; ++i) {
    n[i] = planes[i].normal;
    d[i] = dot(planes[i].normal, planes[i].origin) + (i == 0 ? 0 : distances[i - 1]);
  }
  double det = dot(n[0], cross(n[1], n[2]));
  if (std::fabs(det) < 1e-9) return false;
  Vec3 sum = scaled(cross(n[1], n[2]), d[0]);
  Vec3 second = scaled(cross(n[2], n[0]), d[1]);
  Vec3 third = scaled(cross(n[0], n[1]), d[2]);
  for (int i = 0; i < 3; ++i) out[i] = (sum[i] + second[i] + third[i]) / det;
  return true;
}

geom::Vec3 host_vec(const double v[3]) { return {v[0], v[1], v[2]}; }

struct BuildState {
  StoredModel& model;
  geom::Shape solid;
  std::vector<StoredDatum> datums;
};

// The part as it stood before the feature at index (its solid and datum items), as its
// last regeneration left it; index is at most the feature count and every feature before
// it has been regenerated.
BuildState state_before(StoredModel& model, std::size_t index) {
  BuildState state{model, {}, {}};
  if (index == 0) return state;
  const StoredFeature& before = model.features[index - 1];
  state.solid = before.solid_after;
  std::size_t kept = std::min(before.datums_after, model.datums.size());
  state.datums.assign(model.datums.begin(), model.datums.begin() + static_cast<std::ptrdiff_t>(kept));
  return state;
}

// Whether an item id is a datum item of a feature made from a tree: such an item is the
// builder's, known only once its feature is built in this regeneration.
bool builder_item(const StoredModel& model, int id) {
  for (const StoredFeature& feature : model.features)
    if (feature.tree && std::find(feature.datum_ids.begin(), feature.datum_ids.end(), id) !=
                            feature.datum_ids.end())
      return true;
  return false;
}

// The plane a reference names as the regeneration stands: a datum plane (by its feature
// or its item) built so far, or another planar surface of the part.
bool state_plane(const BuildState& state, const VynModelitem& item, geom::Plane& out) {
  if (item.owner != state.model.handle) return false;
  for (const StoredDatum& datum : state.datums) {
    if (datum.kind != DatumKind::plane) continue;
    if ((item.type == item_type_feature && datum.feature_id == item.id) ||
        (item.type == item_type_surface && datum.id == item.id)) {
      out = datum.plane;
      return true;
    }
  }
  if (item.type != item_type_surface || builder_item(state.model, item.id)) return false;
  std::optional<HostPlane> plane = host_surface_plane(item);
  if (!plane) return false;
  out = {host_vec(plane->origin), unit(host_vec(plane->e3))};
  return true;
}

int datum_id(BuildState& state, StoredFeature& feature, std::size_t index) {
  while (feature.datum_ids.size() <= index) feature.datum_ids.push_back(state.model.next_item_id++);
  return feature.datum_ids[index];
}

StoredDatum& datum_add(BuildState& state, StoredFeature& feature, DatumKind kind) {
  std::size_t index = 0;
  for (const StoredDatum& datum : state.datums) index += datum.feature_id == feature.id ? 1 : 0;
  StoredDatum datum;
  datum.id = datum_id(state, feature, index);
  datum.feature_id = feature.id;
  datum.kind = kind;
  datum.name = feature.name;
  state.datums.push_back(datum);
  return state.datums.back();
}

// The one surface a datum plane feature shows (the same item as its datum plane), its
// handle kept across rebuilds.
void datum_surface_set(StoredFeature& feature, int id, const geom::Plane& plane) {
  geom::Frame frame{};
  sketch_frame_for(plane, nullptr, 0, frame);
  if (dot(host_vec(frame.m[2]), plane.normal) < 0)
    for (int i = 0; i < 3; ++i) {
      frame.m[1][i] = -frame.m[1][i];
      frame.m[2][i] = -frame.m[2][i];
    }
  StoredSurface surface;
  if (!feature.surfaces.empty()) surface = feature.surfaces.front();
  if (!surface.handle) surface.handle = stored_surface_handle_new();
  surface.id = id;
  for (int i = 0; i < 3; ++i) {
    surface.plane.e1[i] = frame.m[0][i];
    surface.plane.e2[i] = frame.m[1][i];
    surface.plane.e3[i] = frame.m[2][i];
    surface.plane.origin[i] = frame.m[3][i];
  }
  feature.surfaces = {surface};
}

class FeatureBuilder {
 public:
  FeatureBuilder(BuildState& state, StoredFeature& feature, std::vector<FeatureError>& errors)
      : state_(state), feature_(feature), errors_(errors) {}

  // The feature's status after building it.
  int build(const FeatureDefinition& definition) {
    switch (definition.kind) {
      case FeatureKind::extrude:
      case FeatureKind::revolve: return build_sketched_solid(definition);
      case FeatureKind::hole: return build_hole(definition);
      case FeatureKind::datum_plane: return build_datum_plane(definition);
      case FeatureKind::datum_axis: return build_datum_axis(definition);
      case FeatureKind::datum_point:
      case FeatureKind::datum_curve: return build_sketched_datum(definition);
    }
    return failed(element_root, feature_error_value, VYN_TK_BAD_INPUTS);
  }

 private:
  int failed(int element, int kind, int detail) {
    errors_.push_back({element, kind, detail});
    return feature_status_failed;
  }
  int geometry_failed(geom::Status status) {
    int kind = status == geom::Status::no_intersection ? feature_error_no_intersection : feature_error_geometry;
    return failed(element_root, kind, static_cast<int>(status));
  }
  // A datum item beyond the model-size box fails as the kernel's geometry would.
  bool datum_in_box(const geom::Vec3& point) {
    if (geom::in_model_box(point)) return true;
    geometry_failed(geom::Status::outside_model_box);
    return false;
  }

  bool plane_of(const FeatureRef& ref, geom::Plane& out) {
    if (state_plane(state_, ref.item, out)) return true;
    errors_.push_back({ref.element, feature_error_reference, VYN_TK_E_NOT_FOUND});
    return false;
  }

  bool frame_of(const FeatureDefinition& definition, geom::Frame& frame) {
    geom::Plane plane{};
    if (!plane_of(definition.sketch_plane, plane)) return false;
    geom::Plane orientation{};
    bool oriented = definition.orientation_ref.element != 0 && state_plane(state_, definition.orientation_ref.item, orientation);
    if (sketch_frame_for(plane, oriented ? &orientation : nullptr, definition.orientation, frame)) return true;
    errors_.push_back({definition.sketch_plane.element, feature_error_reference, VYN_TK_BAD_INPUTS});
    return false;
  }

  static bool profile_entity(const geom::SectionEntity& e) {
    return e.kind == geom::EntityKind::line || e.kind == geom::EntityKind::arc ||
           e.kind == geom::EntityKind::circle;
  }

  // One side of an extent as a depth along `direction` from `origin`: an up-to side takes
  // the way towards its plane (false when the plane cannot be reached that way or at all).
  bool side_depth(const SideSpec& side, const Vec3& origin, const Vec3& direction, geom::Depth& depth,
                  bool& ahead) {
    depth = geom::Depth{};
    depth.kind = side.kind;
    depth.distance = side.value;
    if (side.kind != geom::DepthKind::up_to_plane) return true;
    if (!plane_of(side.ref, depth.plane)) return false;
    double facing = dot(depth.plane.normal, direction);
    if (std::fabs(facing) < 1e-9) {
      errors_.push_back({side.ref.element, feature_error_reference, VYN_TK_BAD_INPUTS});
      return false;
    }
    ahead = dot(depth.plane.normal, minus(depth.plane.origin, origin)) / facing > 0;
    return true;
  }

  // The extent of two sides, side 1 running along `direction` and side 0 against it,
  // where up-to sides go towards their planes.
  bool extent_of(const FeatureDefinition& definition, const Vec3& origin, const Vec3& direction, geom::Extent& extent) {
    geom::Depth depths[2];
    bool along[2] = {false, true};
    for (int i = 0; i < 2; ++i)
      if (!side_depth(definition.sides[i], origin, direction, depths[i], along[i])) return false;
    extent = geom::Extent{};
    geom::Depth* slots[2] = {&extent.back, &extent.front};  // against, along
    for (int i = 0; i < 2; ++i) {
      if (depths[i].kind == geom::DepthKind::none) continue;
      geom::Depth* slot = slots[along[i] ? 1 : 0];
      if (slot->kind != geom::DepthKind::none) {
        errors_.push_back({definition.sides[i].ref.element ? definition.sides[i].ref.element : element_root,
                           feature_error_value, VYN_TK_BAD_INPUTS});
        return false;
      }
      *slot = depths[i];
    }
    return true;
  }

  int combined(const geom::Shape& tool, bool remove) {
    geom::Shape out;
    geom::Status status =
        geom::combine(state_.solid, tool, remove ? geom::Combine::remove : geom::Combine::add, out);
    if (status != geom::Status::ok) return geometry_failed(status);
    state_.solid = out;
    return feature_status_active;
  }

  int build_sketched_solid(const FeatureDefinition& definition) {
    geom::Frame frame{};
    if (!frame_of(definition, frame)) return feature_status_failed;
    const std::vector<geom::SectionEntity>& entities = feature_.sketch;
    if (std::none_of(entities.begin(), entities.end(), profile_entity)) return feature_status_incomplete;
    geom::Profile profile;
    std::vector<geom::SectionProblem> problems;
    geom::Status status = geom::profile_make(frame, entities, section_epsilon_default, profile, &problems);
    if (status == geom::Status::outside_model_box) return geometry_failed(status);
    if (status != geom::Status::ok) {
      if (problems.empty()) return failed(element_section, feature_error_section, 0);
      for (const geom::SectionProblem& problem : problems)
        errors_.push_back({element_section, feature_error_section, problem.entity});
      return feature_status_failed;
    }
    // The application's default (436 = -1, view direction 1) builds along the sketch normal.
    double sense = (definition.direction == 1 ? -1.0 : 1.0) * definition.view_direction;
    geom::Shape tool;
    bool cut = definition.type == feature_type_cut;
    if (definition.kind == FeatureKind::extrude) {
      Vec3 normal = scaled(host_vec(frame.m[2]), sense);
      geom::Extent extent;
      if (!extent_of(definition, host_vec(frame.m[3]), normal, extent)) return feature_status_failed;
      if (sense < 0) std::swap(extent.front, extent.back);
      status = geom::prism(profile, extent, state_.solid, feature_.id, tool);
    } else {
      const geom::SectionEntity* centerline = nullptr;
      for (const geom::SectionEntity& e : entities)
        if (e.kind == geom::EntityKind::centerline) centerline = &e;
      if (!centerline) return failed(element_section, feature_error_section, 0);
      geom::Axis axis = geom::sketch_axis(frame, centerline->start, centerline->end);
      // Side 1 (438) turns right-hand about the axis, side 0 (437) the other way, unless
      // the sense is reversed.
      double angles[2] = {0, 0};  // back, front
      for (int i = 0; i < 2; ++i) {
        const SideSpec& side = definition.sides[i];
        bool front = (i == 1) != (sense < 0);
        double& angle = angles[front ? 1 : 0];
        if (side.kind == geom::DepthKind::blind) angle = side.value;
        if (side.kind == geom::DepthKind::through_all) angle = 360;
        if (side.kind == geom::DepthKind::up_to_plane && !angle_to(side, frame, entities, axis, front, angle))
          return feature_status_failed;
      }
      if (angles[0] + angles[1] > 360) return failed(6, feature_error_value, VYN_TK_BAD_INPUTS);
      status = geom::revolve(profile, axis, angles[1], angles[0], feature_.id, tool);
    }
    if (status != geom::Status::ok) return geometry_failed(status);
    return combined(tool, cut);
  }

  // The angle about the axis (right-hand when front, else the other way) from the side of
  // the axis the profile lies on to a plane through the axis.
  bool angle_to(const SideSpec& side, const geom::Frame& frame, const std::vector<geom::SectionEntity>& entities,
                const geom::Axis& axis, bool front, double& degrees) {
    geom::Plane plane{};
    if (!plane_of(side.ref, plane)) return false;
    if (std::fabs(dot(plane.normal, axis.direction)) > 1e-9 ||
        std::fabs(geom::plane_distance(plane, axis.origin)) > 1e-6) {
      errors_.push_back({side.ref.element, feature_error_reference, VYN_TK_BAD_INPUTS});
      return false;
    }
    Vec3 point{};
    for (const geom::SectionEntity& e : entities)
      if (profile_entity(e)) {
        point = geom::frame_point(frame, e.kind == geom::EntityKind::line ? e.start : e.center);
        if (e.kind == geom::EntityKind::arc)
          point = geom::frame_point(frame, {e.center[0] + e.radius * std::cos(e.start_angle),
                                            e.center[1] + e.radius * std::sin(e.start_angle)});
        break;
      }
    Vec3 offset = minus(point, axis.origin);
    Vec3 radial = unit(minus(offset, scaled(axis.direction, dot(offset, axis.direction))));
    Vec3 in_plane = unit(cross(plane.normal, axis.direction));
    constexpr double pi = 3.14159265358979323846;
    double best = 0;
    for (double sign : {1.0, -1.0}) {
      Vec3 target = scaled(in_plane, sign);
      double angle = std::atan2(dot(cross(radial, target), axis.direction), dot(radial, target)) * 180 / pi;
      if (!front) angle = -angle;
      if (angle <= 1e-9) angle += 360;
      if (angle < 360 - 1e-9 && (best == 0 || angle < best)) best = angle;
    }
    if (best == 0) {
      errors_.push_back({side.ref.element, feature_error_reference, VYN_TK_BAD_INPUTS});
      return false;
    }
    degrees = best;
    return true;
  }

  int build_hole(const FeatureDefinition& definition) {
    geom::Plane planes[3];
    if (!plane_of(definition.hole_plane, planes[0]) || !plane_of(definition.hole_refs[0], planes[1]) ||
        !plane_of(definition.hole_refs[1], planes[2]))
      return feature_status_failed;
    geom::Axis axis{};
    if (!planes_meet(planes, definition.hole_distances, axis.origin))
      return failed(definition.hole_refs[0].element, feature_error_reference, VYN_TK_BAD_INPUTS);
    // Side 0 (1685) runs into the part: against the placement plane's normal.
    axis.direction = scaled(planes[0].normal, -1);
    geom::Extent extent;
    if (!extent_of(definition, axis.origin, planes[0].normal, extent)) return feature_status_failed;
    std::swap(extent.front, extent.back);  // from the plane's normal to the axis direction
    geom::Shape tool;
    geom::Status status = geom::hole_tool(axis, definition.diameter, extent, state_.solid, feature_.id, tool);
    if (status != geom::Status::ok) return geometry_failed(status);
    return combined(tool, true);
  }

  int build_datum_plane(const FeatureDefinition& definition) {
    geom::Plane reference{};
    if (!plane_of(definition.plane_ref, reference)) return feature_status_failed;
    geom::Plane plane = reference;
    if (definition.constraint == 3) plane = geom::plane_offset(reference, definition.flip ? -definition.offset : definition.offset);
    if (!datum_in_box(plane.origin)) return feature_status_failed;
    StoredDatum& datum = datum_add(state_, feature_, DatumKind::plane);
    datum.plane = plane;
    datum_surface_set(feature_, datum.id, plane);
    return feature_status_active;
  }

  int build_datum_axis(const FeatureDefinition& definition) {
    geom::Plane planes[3];
    for (int i = 0; i < 3; ++i)
      if (!plane_of(definition.axis_refs[i], planes[i])) return feature_status_failed;
    geom::Axis axis{};
    if (!planes_meet(planes, definition.axis_offsets, axis.origin))
      return failed(definition.axis_refs[1].element, feature_error_reference, VYN_TK_BAD_INPUTS);
    axis.direction = planes[0].normal;
    if (!datum_in_box(axis.origin)) return feature_status_failed;
    datum_add(state_, feature_, DatumKind::axis).axis = axis;
    return feature_status_active;
  }

  int build_sketched_datum(const FeatureDefinition& definition) {
    geom::Frame frame{};
    if (!frame_of(definition, frame)) return feature_status_failed;
    if (definition.kind == FeatureKind::datum_point) {
      bool any = false;
      for (const geom::SectionEntity& e : feature_.sketch)
        if (e.kind == geom::EntityKind::point && !datum_in_box(geom::frame_point(frame, e.start)))
          return feature_status_failed;
      for (const geom::SectionEntity& e : feature_.sketch)
        if (e.kind == geom::EntityKind::point) {
          datum_add(state_, feature_, DatumKind::point).point = geom::frame_point(frame, e.start);
          any = true;
        }
      return any ? feature_status_active : feature_status_incomplete;
    }
    std::vector<geom::SectionEntity> curve;
    std::copy_if(feature_.sketch.begin(), feature_.sketch.end(), std::back_inserter(curve), profile_entity);
    if (curve.empty()) return feature_status_incomplete;
    if (!geom::sketch_in_model_box(frame, curve)) return geometry_failed(geom::Status::outside_model_box);
    StoredDatum& datum = datum_add(state_, feature_, DatumKind::curve);
    datum.curve_frame = frame;
    datum.curve = curve;
    return feature_status_active;
  }

  BuildState& state_;
  StoredFeature& feature_;
  std::vector<FeatureError>& errors_;
};

// Whether a feature's tree refers to an item of target (the feature or an item it makes).
bool refers_to(const StoredFeature& feature, const StoredFeature& target) {
  if (!feature.tree) return false;
  FeatureDefinition definition;
  std::vector<FeatureError> ignored;
  feature_definition_read(feature.tree, definition, ignored);
  for (const FeatureRef& ref : definition.refs()) {
    if (ref.item.type == item_type_feature && ref.item.id == target.id) return true;
    if (ref.item.type != item_type_surface) continue;
    if (std::find(target.datum_ids.begin(), target.datum_ids.end(), ref.item.id) != target.datum_ids.end())
      return true;
    for (const StoredSurface& surface : target.surfaces)
      if (surface.id == ref.item.id) return true;
  }
  return false;
}

}  // namespace

bool sketch_frame_for(const geom::Plane& plane, const geom::Plane* orientation_plane, int orientation,
                      geom::Frame& out) {
  struct Standard {
    int axis;
    geom::StandardPlane plane;
  };
  const Standard standards[] = {{1, geom::StandardPlane::top},
                                {2, geom::StandardPlane::front},
                                {0, geom::StandardPlane::right}};
  for (const Standard& s : standards) {
    const Vec3& n = plane.normal;
    if (std::fabs(std::fabs(n[s.axis]) - 1) < 1e-9 && std::fabs(n[(s.axis + 1) % 3]) < 1e-9 &&
        std::fabs(n[(s.axis + 2) % 3]) < 1e-9) {
      out = geom::standard_frame(s.plane, plane.origin[s.axis]);
      if (orientation == 1 || orientation == 2) {
        // Oriented by its top or bottom (the application's section views, whose points
        // it turns a quarter clockwise): turned a quarter the other way, u along the
        // default frame's v and v against its u, so those points land as drawn.
        for (int j = 0; j < 3; ++j) {
          const double u = out.m[0][j];
          out.m[0][j] = out.m[1][j];
          out.m[1][j] = -u;
        }
      }
      return true;
    }
  }
  if (orientation_plane) {
    Vec3 hint = scaled(orientation_plane->normal, orientation == 3 ? -1 : 1);
    if (geom::plane_frame(plane, hint, out) == geom::Status::ok) return true;
  }
  // The world axis least along the normal.
  int least = 0;
  for (int i = 1; i < 3; ++i)
    if (std::fabs(plane.normal[i]) < std::fabs(plane.normal[least])) least = i;
  Vec3 hint{0, 0, 0};
  hint[least] = 1;
  return geom::plane_frame(plane, hint, out) == geom::Status::ok;
}

bool part_regenerate(StoredModel& model, std::vector<FeatureError>* errors, std::size_t from) {
  from = std::min(from, model.features.size());
  for (std::size_t i = 0; i < from; ++i)
    if (!model.features[i].regenerated) from = i;
  BuildState state = state_before(model, from);
  bool all = true;
  for (std::size_t i = 0; i < from; ++i) all = all && model.features[i].status != feature_status_failed;
  for (std::size_t index = from; index < model.features.size(); ++index) {
    StoredFeature& feature = model.features[index];
    feature.regenerated = true;
    if (!feature.tree) {
      // A feature of a template's lines: its planes are datum planes when it is one.
      if (feature.type == feature_type_datum_plane)
        for (const StoredSurface& surface : feature.surfaces) {
          StoredDatum datum;
          datum.id = surface.id;
          datum.feature_id = feature.id;
          datum.name = feature.name;
          datum.plane = {host_vec(surface.plane.origin), unit(host_vec(surface.plane.e3))};
          state.datums.push_back(datum);
        }
      feature.solid_after = state.solid;
      feature.datums_after = state.datums.size();
      continue;
    }
    // The faces a feature is placed on are those of the solid built so far.
    model.solid = state.solid;
    std::vector<FeatureError> found;
    FeatureDefinition definition;
    int status = feature_status_failed;
    if (feature_definition_read(feature.tree, definition, found)) status = FeatureBuilder(state, feature, found).build(definition);
    feature.status = status;
    if (status != feature_status_active || definition.kind != FeatureKind::datum_plane) feature.surfaces.clear();
    if (status == feature_status_failed) {
      all = false;
      if (errors) errors->insert(errors->end(), found.begin(), found.end());
    }
    feature.solid_after = state.solid;
    feature.datums_after = state.datums.size();
  }
  model.solid = state.solid;
  model.datums = std::move(state.datums);
  return all;
}

std::vector<int> feature_dependants(const StoredModel& model, int feature_id) {
  std::set<int> gone = {feature_id};
  for (bool grew = true; grew;) {
    grew = false;
    for (const StoredFeature& feature : model.features) {
      if (gone.count(feature.id)) continue;
      for (const StoredFeature& target : model.features)
        if (gone.count(target.id) && refers_to(feature, target)) {
          gone.insert(feature.id);
          grew = true;
          break;
        }
    }
  }
  std::vector<int> dependants;
  for (const StoredFeature& feature : model.features)
    if (feature.id != feature_id && gone.count(feature.id)) dependants.push_back(feature.id);
  return dependants;
}

bool part_sketch_frame(StoredModel& model, const FeatureDefinition& definition, int feature_id, geom::Frame& out) {
  std::size_t index = model.features.size();
  for (std::size_t i = 0; i < model.features.size(); ++i)
    if (model.features[i].id == feature_id) index = i;
  for (std::size_t i = 0; i < index; ++i)
    if (!model.features[i].regenerated) index = model.features.size();
  BuildState state = index < model.features.size() ? state_before(model, index)
                                                   : BuildState{model, model.solid, model.datums};
  // Faces are looked up on the part's solid: let it be the one before the feature meanwhile.
  const geom::Shape whole = model.solid;
  model.solid = state.solid;
  geom::Plane plane{};
  geom::Plane orientation{};
  bool found = state_plane(state, definition.sketch_plane.item, plane);
  bool oriented = found && definition.orientation_ref.element != 0 &&
                  state_plane(state, definition.orientation_ref.item, orientation);
  model.solid = whole;
  return found && sketch_frame_for(plane, oriented ? &orientation : nullptr, definition.orientation, out);
}

namespace {
void selections_reown(VynElement element, VynMdl from, VynMdl to) {
  for (const VynValuedata& data : tree_element_values(element))
    if (data.type == VYN_VALUE_TYPE_SELECTION && data.value.r && data.value.r->item.owner == from)
      data.value.r->item.owner = to;
  for (VynElement child : tree_element_children(element)) selections_reown(child, from, to);
}
}  // namespace

StoredFeature feature_copy(const StoredFeature& feature, VynMdl from, VynMdl to) {
  StoredFeature copy = feature;
  if (feature.tree) {
    copy.tree = tree_copy(feature.tree, true);
    selections_reown(copy.tree, from, to);
  }
  if (feature.section) copy.section = section_copy(feature.section);
  return copy;
}

void feature_release(StoredFeature& feature) {
  if (feature.tree) tree_free(feature.tree);
  if (feature.section) section_release(feature.section);
  feature.tree = nullptr;
  feature.section = nullptr;
}

}  // namespace yrlhost
