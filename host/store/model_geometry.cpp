// The geometry items of parts: the per-part tables that give faces and edges of the
// solid their item ids, the surface and edge handles, and the surfaces' geometry in the
// host's terms (host/store/model_geometry.h).
#include "host/store/model_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <numbers>
#include <tuple>

#include "host/util/host_testing.h"
#include "host/store/models.h"

namespace yrlhost {
namespace {

using geom::Vec2;
using geom::Vec3;

constexpr std::uintptr_t edge_handle_base = 0x65000000;
constexpr std::uintptr_t axis_handle_base = 0x61000000;
constexpr std::uintptr_t curve_handle_base = 0x63000000;
constexpr std::uintptr_t contour_handle_base = 0x6f000000;

// The parameter range given to planes without bounds (datum and seeded planes).
constexpr double plane_half_range = 250.0;

// Ends of edges meet when they lie this close (the kernel shares their vertex).
constexpr double vertex_tolerance = 1e-6;

// The kernel's unit vectors carry round-off (1e-17 where 0 is meant); the application
// compares normals with exact 0 and 1, so components this close to 0 or to 1 are snapped.
constexpr double snap_tolerance = 1e-12;

Vec3 snapped(Vec3 v) {
  for (double& c : v) {
    if (std::fabs(c) < snap_tolerance) c = 0.0;
    else if (std::fabs(std::fabs(c) - 1.0) < snap_tolerance) c = c > 0 ? 1.0 : -1.0;
  }
  return v;
}

Vec3 operator-(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec3 scaled(const Vec3& a, double s) { return {a[0] * s, a[1] * s, a[2] * s}; }
double dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
double distance(const Vec3& a, const Vec3& b) { return std::sqrt(dot(a - b, a - b)); }

// Where a face comes from, and which of the faces of that origin it is.
using FaceKey = std::tuple<int, int, int, int>;  // feature, role, entity, occurrence
// The two faces (item ids, lower first) an edge joins, and which of their edges it is.
using EdgeKey = std::tuple<int, int, int>;

// A part's table: item ids of its solid's faces and edges, with what the kernel said of
// them when the table was made.
struct PartItems {
  std::shared_ptr<const geom::ShapeData> shape;  // the solid the table was made for
  std::vector<int> face_items;                   // item id of face i + 1
  std::vector<geom::FaceInfo> faces;
  std::vector<int> edge_items;  // item id of edge i + 1
  std::vector<geom::EdgeInfo> edges;
  std::map<FaceKey, int> face_keys;  // every face origin that was given an id
  std::map<EdgeKey, int> edge_keys;
  std::map<int, VynSurface> surface_handles;  // item id -> handle
  std::map<int, VynEdge> edge_handles;
};

struct HandleTarget {
  VynMdl model = nullptr;
  int id = 0;
};

// Handles of one range that name an item and a number (a curve's component, a
// surface's loop; 0 for an axis): one handle per (model, item id, number).
struct NumberedTarget {
  VynMdl model = nullptr;
  int id = 0;
  int number = 0;
  friend auto operator<=>(const NumberedTarget&, const NumberedTarget&) = default;
};
struct NumberedHandles {
  std::uintptr_t base = 0;
  std::map<void*, NumberedTarget> targets;
  std::map<NumberedTarget, void*> given;
  std::uintptr_t next_serial = 1;
};

struct GeometryState {
  std::map<VynMdl, PartItems> parts;
  std::map<VynSurface, HandleTarget> surfaces;
  std::map<VynEdge, HandleTarget> edges;
  std::uintptr_t next_edge_serial = 1;
  NumberedHandles axes{axis_handle_base, {}, {}, 1};
  NumberedHandles curves{curve_handle_base, {}, {}, 1};
  NumberedHandles contours{contour_handle_base, {}, {}, 1};
};

GeometryState& state() {
  static GeometryState geometry;
  return geometry;
}

// Forgets the tables of parts that left the session.
void drop_erased_parts() {
  GeometryState& s = state();
  std::erase_if(s.parts, [](const auto& entry) { return stored_model(entry.first) == nullptr; });
  std::erase_if(s.surfaces,
                [](const auto& entry) { return stored_model(entry.second.model) == nullptr; });
  std::erase_if(s.edges,
                [](const auto& entry) { return stored_model(entry.second.model) == nullptr; });
  for (NumberedHandles* handles : {&s.axes, &s.curves, &s.contours}) {
    std::erase_if(handles->targets,
                  [](const auto& entry) { return stored_model(entry.second.model) == nullptr; });
    std::erase_if(handles->given,
                  [](const auto& entry) { return stored_model(entry.first.model) == nullptr; });
  }
}

void* numbered_handle(NumberedHandles& handles, const GeomitemRef& ref, int number) {
  NumberedTarget target{ref.model->handle, ref.id, number};
  auto [it, added] = handles.given.emplace(target, nullptr);
  if (added) {
    it->second = reinterpret_cast<void*>(handles.base + 16 * handles.next_serial++);
    handles.targets[it->second] = target;
  }
  return it->second;
}

// The item of a handle of the range (of the item type given) and its number.
std::optional<GeomitemRef> numbered_target(const NumberedHandles& handles, const void* handle,
                                           int type, int& number);

// The part's table, brought up to its solid: faces and edges of a new solid get the ids
// their origins had, or new ones.
PartItems& part_items(StoredModel& model) {
  GeometryState& s = state();
  auto found = s.parts.find(model.handle);
  if (found == s.parts.end()) {
    drop_erased_parts();
    found = s.parts.emplace(model.handle, PartItems{}).first;
  }
  PartItems& items = found->second;
  if (items.shape == model.solid.data) return items;
  items.shape = model.solid.data;
  items.face_items.clear();
  items.faces.clear();
  items.edge_items.clear();
  items.edges.clear();
  geom::SolidSummary summary = geom::solid_summary(model.solid);
  std::map<std::tuple<int, int, int>, int> origin_count;
  for (int face = 1; face <= summary.faces; ++face) {
    geom::FaceInfo info;
    if (geom::face_info(model.solid, face, info) != geom::Status::ok) info = geom::FaceInfo{};
    const geom::FaceOrigin& origin = info.origin_of;
    auto origin_key =
        std::make_tuple(origin.feature, static_cast<int>(origin.role), origin.entity);
    FaceKey key = std::tuple_cat(origin_key, std::make_tuple(origin_count[origin_key]++));
    auto [it, added] = items.face_keys.emplace(key, 0);
    if (added) it->second = model.next_item_id++;
    items.face_items.push_back(it->second);
    items.faces.push_back(info);
  }
  std::map<std::pair<int, int>, int> pair_count;
  for (int edge = 1; edge <= summary.edges; ++edge) {
    geom::EdgeInfo info;
    if (geom::edge_info(model.solid, edge, info) != geom::Status::ok) info = geom::EdgeInfo{};
    auto face_item = [&](int face) {
      return face >= 1 && face <= summary.faces ? items.face_items[face - 1] : 0;
    };
    int a = face_item(info.faces[0]), b = face_item(info.faces[1]);
    std::pair<int, int> faces{std::min(a, b), std::max(a, b)};
    EdgeKey key{faces.first, faces.second, pair_count[faces]++};
    auto [it, added] = items.edge_keys.emplace(key, 0);
    if (added) it->second = model.next_item_id++;
    items.edge_items.push_back(it->second);
    items.edges.push_back(info);
  }
  return items;
}

int index_of(const std::vector<int>& item_ids, int id) {
  auto it = std::find(item_ids.begin(), item_ids.end(), id);
  return it == item_ids.end() ? 0 : static_cast<int>(it - item_ids.begin()) + 1;
}

// The item of a face or an edge of the part's solid.
GeomitemRef solid_ref(StoredModel& model, GeomitemSource source, int index) {
  GeomitemRef ref;
  ref.model = &model;
  ref.source = source;
  bool face = source == GeomitemSource::face;
  ref.type = face ? item_type_surface : item_type_edge;
  const PartItems& items = part_items(model);
  ref.id = (face ? items.face_items : items.edge_items)[index - 1];
  ref.index = index;
  return ref;
}

GeomitemRef face_ref(StoredModel& model, int face) {
  return solid_ref(model, GeomitemSource::face, face);
}

GeomitemRef edge_ref(StoredModel& model, int edge) {
  return solid_ref(model, GeomitemSource::edge, edge);
}

int datum_item_type(DatumKind kind) {
  switch (kind) {
    case DatumKind::plane: return item_type_surface;
    case DatumKind::axis: return item_type_axis;
    case DatumKind::point: return item_type_point;
    case DatumKind::curve: return item_type_curve;
  }
  return 0;
}

std::optional<GeomitemRef> find_in(StoredModel& model, int type, int id) {
  if (model.type != model_type_part || id < 1) return std::nullopt;
  GeomitemRef ref;
  ref.model = &model;
  ref.type = type;
  ref.id = id;
  if (type == item_type_surface) {
    for (StoredFeature& feature : model.features)
      for (const StoredSurface& surface : feature.surfaces)
        if (surface.id == id) {
          ref.source = GeomitemSource::seeded_surface;
          ref.feature = &feature;
          ref.seeded = &surface;
          return ref;
        }
  }
  for (const StoredDatum& datum : model.datums)
    if (datum.id == id && datum_item_type(datum.kind) == type) {
      ref.source = GeomitemSource::datum;
      ref.datum = &datum;
      return ref;
    }
  if (type == item_type_surface) {
    if (int face = index_of(part_items(model).face_items, id)) return face_ref(model, face);
  } else if (type == item_type_edge) {
    if (int edge = index_of(part_items(model).edge_items, id)) return edge_ref(model, edge);
  }
  return std::nullopt;
}

// The position of a feature in the part's order; -1 when the part has none of that id.
int feature_position(const StoredModel& model, int feature_id) {
  for (std::size_t i = 0; i < model.features.size(); ++i)
    if (model.features[i].id == feature_id) return static_cast<int>(i);
  return -1;
}

// The feature of a face of the solid (0 when the part has none of its origin).
int face_feature(StoredModel& model, int face) {
  int feature = part_items(model).faces[face - 1].origin_of.feature;
  return feature_position(model, feature) >= 0 ? feature : 0;
}

int edge_feature(StoredModel& model, int edge) {
  const geom::EdgeInfo& info = part_items(model).edges[edge - 1];
  int best = 0, best_position = -1;
  for (int face : info.faces) {
    if (face < 1) continue;
    int feature = face_feature(model, face);
    int position = feature_position(model, feature);
    if (position > best_position) {
      best = feature;
      best_position = position;
    }
  }
  return best;
}

// A plane's axes for a datum plane: u along x (along -z for a plane facing x), so that the
// default datum planes get the frames of their sketches.
bool datum_plane_axes(const geom::Plane& plane, SurfaceGeometry& out) {
  const Vec3& n = plane.normal;
  Vec3 hint = std::fabs(n[0]) > 0.9 ? Vec3{0, 0, n[0] > 0 ? -1.0 : 1.0} : Vec3{1, 0, 0};
  geom::Frame frame;
  if (geom::plane_frame(plane, hint, frame) != geom::Status::ok) return false;
  for (int i = 0; i < 3; ++i) {
    out.e1[i] = frame.m[0][i];
    out.e2[i] = frame.m[1][i];
    out.e3[i] = frame.m[2][i];
    out.origin[i] = frame.m[3][i];
  }
  return true;
}

void unbounded_plane(SurfaceGeometry& out) {
  out.type = VYN_SRF_PLANE;
  out.uv_min = {-plane_half_range, -plane_half_range};
  out.uv_max = {plane_half_range, plane_half_range};
  out.orient = 1;
}

bool face_geometry(const StoredModel& model, const geom::FaceInfo& info, int face,
                   SurfaceGeometry& out) {
  out.origin = info.origin;
  out.e1 = info.e1;
  out.e2 = info.e2;
  out.e3 = info.e3;
  out.uv_min = info.uv_min;
  out.uv_max = info.uv_max;
  out.radius = info.radius;
  out.minor_radius = info.minor_radius;
  out.semi_angle = info.semi_angle;
  out.orient = info.reversed ? -1 : 1;
  out.shape = &model.solid;
  out.face = face;
  switch (info.kind) {
    case geom::SurfaceKind::plane:
      // Planes are the host's own: e3 is made the outward normal, e2 turning with it (so
      // the axes stay right-handed and v changes sign).
      if (dot(info.normal, info.e3) < 0) {
        out.e2 = scaled(info.e2, -1);
        out.e3 = scaled(info.e3, -1);
        out.uv_min[1] = -info.uv_max[1];
        out.uv_max[1] = -info.uv_min[1];
      }
      out.type = VYN_SRF_PLANE;
      out.orient = 1;
      out.shape = nullptr;
      break;
    case geom::SurfaceKind::cylinder: out.type = VYN_SRF_CYLINDER; break;
    case geom::SurfaceKind::cone: out.type = VYN_SRF_CONE; break;
    case geom::SurfaceKind::torus: out.type = VYN_SRF_TORUS; break;
    case geom::SurfaceKind::sphere:
      out.type = VYN_SRF_REVOLVE;
      out.sphere = true;
      break;
    case geom::SurfaceKind::revolution: out.type = VYN_SRF_REVOLVE; break;
    case geom::SurfaceKind::extrusion: out.type = VYN_SRF_TABULATED_CYLINDER; break;
    case geom::SurfaceKind::other: out.type = VYN_SRF_FOREIGN; break;
  }
  out.e1 = snapped(out.e1);
  out.e2 = snapped(out.e2);
  out.e3 = snapped(out.e3);
  return true;
}

void line_record(const Vec3& a, const Vec3& b, VynCurvedata& out) {
  out = VynCurvedata{};
  out.line.type = VYN_CURVE_LINE;
  std::copy(a.begin(), a.end(), out.line.end1);
  std::copy(b.begin(), b.end(), out.line.end2);
}

void arc_record(const Vec3& e1, const Vec3& e2, const Vec3& center, double start, double end,
                double radius, VynCurvedata& out) {
  out = VynCurvedata{};
  out.arc.type = VYN_CURVE_ARC;
  Vec3 u = snapped(e1), v = snapped(e2);
  std::copy(u.begin(), u.end(), out.arc.vec1);
  std::copy(v.begin(), v.end(), out.arc.vec2);
  std::copy(center.begin(), center.end(), out.arc.origin);
  out.arc.start_angle = start;
  out.arc.end_angle = end;
  out.arc.radius = radius;
}

}  // namespace

std::optional<GeomitemRef> geomitem_find(const VynGeomitem* item) {
  StoredModel* model = item ? stored_model(item->owner) : nullptr;
  if (!model) return std::nullopt;
  return find_in(*model, item->type, item->id);
}

std::optional<GeomitemRef> geomitem_of_surface(VynSurface surface) {
  if (!surface) return std::nullopt;
  for (StoredModel* model : stored_models())
    for (StoredFeature& feature : model->features)
      for (const StoredSurface& seeded : feature.surfaces)
        if (seeded.handle == surface) return find_in(*model, item_type_surface, seeded.id);
  auto it = state().surfaces.find(surface);
  StoredModel* model = it == state().surfaces.end() ? nullptr : stored_model(it->second.model);
  if (!model) return std::nullopt;
  return find_in(*model, item_type_surface, it->second.id);
}

std::optional<GeomitemRef> geomitem_of_edge(VynEdge edge) {
  auto it = state().edges.find(edge);
  StoredModel* model = it == state().edges.end() ? nullptr : stored_model(it->second.model);
  if (!model) return std::nullopt;
  return find_in(*model, item_type_edge, it->second.id);
}

VynSurface geomitem_surface_handle(const GeomitemRef& ref) {
  if (ref.seeded) return ref.seeded->handle;
  PartItems& items = part_items(*ref.model);
  auto [it, added] = items.surface_handles.emplace(ref.id, nullptr);
  if (added) {
    it->second = stored_surface_handle_new();
    state().surfaces[it->second] = HandleTarget{ref.model->handle, ref.id};
  }
  return it->second;
}

VynEdge geomitem_edge_handle(const GeomitemRef& ref) {
  PartItems& items = part_items(*ref.model);
  auto [it, added] = items.edge_handles.emplace(ref.id, nullptr);
  if (added) {
    it->second = reinterpret_cast<VynEdge>(edge_handle_base + 16 * state().next_edge_serial++);
    state().edges[it->second] = HandleTarget{ref.model->handle, ref.id};
  }
  return it->second;
}

int geomitem_feature_id(const GeomitemRef& ref) {
  switch (ref.source) {
    case GeomitemSource::seeded_surface: return ref.feature->id;
    case GeomitemSource::datum:
      return feature_position(*ref.model, ref.datum->feature_id) >= 0 ? ref.datum->feature_id : 0;
    case GeomitemSource::face: return face_feature(*ref.model, ref.index);
    case GeomitemSource::edge: return edge_feature(*ref.model, ref.index);
  }
  return 0;
}

std::vector<VynModelitem> feature_geomitems(StoredModel& model, int feature_id, int type) {
  std::vector<VynModelitem> items;
  if (type == item_type_any) {
    for (int one : {item_type_surface, item_type_edge, item_type_axis, item_type_point,
                    item_type_curve}) {
      std::vector<VynModelitem> of_type = feature_geomitems(model, feature_id, one);
      items.insert(items.end(), of_type.begin(), of_type.end());
    }
    return items;
  }
  auto add = [&](int id) { items.push_back(VynModelitem{type, id, model.handle}); };
  if (type == item_type_surface)
    if (StoredFeature* feature = stored_feature(model, feature_id))
      for (const StoredSurface& surface : feature->surfaces) add(surface.id);
  // A datum plane may be kept both as its feature's surface and as a datum item, under
  // one id: it is one item.
  for (const StoredDatum& datum : model.datums)
    if (datum.feature_id == feature_id && datum_item_type(datum.kind) == type &&
        std::none_of(items.begin(), items.end(),
                     [&](const VynModelitem& item) { return item.id == datum.id; }))
      add(datum.id);
  PartItems& table = part_items(model);
  if (type == item_type_surface) {
    for (std::size_t i = 0; i < table.face_items.size(); ++i)
      if (face_feature(model, static_cast<int>(i) + 1) == feature_id) add(table.face_items[i]);
  } else if (type == item_type_edge) {
    for (std::size_t i = 0; i < table.edge_items.size(); ++i)
      if (edge_feature(model, static_cast<int>(i) + 1) == feature_id) add(table.edge_items[i]);
  }
  return items;
}

std::vector<VynModelitem> part_geomitems_at(StoredModel& model, const Vec3& point,
                                            double tolerance) {
  std::vector<VynModelitem> items;
  if (model.type != model_type_part) return items;
  PartItems& table = part_items(model);
  geom::PointHits hits = geom::geometry_at_point(model.solid, point, tolerance);
  for (int face : hits.faces)
    items.push_back(VynModelitem{item_type_surface, table.face_items[face - 1], model.handle});
  for (int edge : hits.edges)
    items.push_back(VynModelitem{item_type_edge, table.edge_items[edge - 1], model.handle});
  return items;
}

bool surface_geometry(const GeomitemRef& ref, SurfaceGeometry& out) {
  out = SurfaceGeometry{};
  switch (ref.source) {
    case GeomitemSource::seeded_surface: {
      const StoredSurface& seeded = *ref.seeded;
      unbounded_plane(out);
      std::copy_n(seeded.plane.e1, 3, out.e1.begin());
      std::copy_n(seeded.plane.e2, 3, out.e2.begin());
      std::copy_n(seeded.plane.e3, 3, out.e3.begin());
      std::copy_n(seeded.plane.origin, 3, out.origin.begin());
      out.uv_min = {seeded.uv_min[0], seeded.uv_min[1]};
      out.uv_max = {seeded.uv_max[0], seeded.uv_max[1]};
      return true;
    }
    case GeomitemSource::datum:
      if (ref.datum->kind != DatumKind::plane) return false;
      unbounded_plane(out);
      if (!datum_plane_axes(ref.datum->plane, out)) return false;
      out.e1 = snapped(out.e1);
      out.e2 = snapped(out.e2);
      out.e3 = snapped(out.e3);
      return true;
    case GeomitemSource::face:
      return face_geometry(*ref.model, part_items(*ref.model).faces[ref.index - 1], ref.index,
                           out);
    case GeomitemSource::edge: return false;
  }
  return false;
}

bool surface_eval(const SurfaceGeometry& surface, const Vec2& uv, geom::SurfacePoint& out) {
  if (!std::isfinite(uv[0]) || !std::isfinite(uv[1])) return false;
  if (!surface.shape) {
    out = geom::SurfacePoint{};
    for (int i = 0; i < 3; ++i)
      out.point[i] = surface.origin[i] + uv[0] * surface.e1[i] + uv[1] * surface.e2[i];
    out.du = surface.e1;
    out.dv = surface.e2;
    out.normal = surface.e3;
    return true;
  }
  if (geom::face_eval(*surface.shape, surface.face, uv, out) != geom::Status::ok) return false;
  out.normal = snapped(out.normal);
  return true;
}

bool surface_uv(const SurfaceGeometry& surface, const Vec3& point, Vec2& out) {
  if (!std::isfinite(dot(point, point))) return false;
  if (!surface.shape) {
    Vec3 offset = point - surface.origin;
    out = {dot(offset, surface.e1), dot(offset, surface.e2)};
    return true;
  }
  return geom::face_uv(*surface.shape, surface.face, point, out) == geom::Status::ok;
}

bool geomitem_curve(const GeomitemRef& ref, VynCurvedata& out) {
  if (ref.source == GeomitemSource::edge) {
    const geom::EdgeInfo& info = part_items(*ref.model).edges[ref.index - 1];
    if (info.kind == geom::CurveKind::line) {
      line_record(info.start, info.end, out);
      return true;
    }
    if (info.kind == geom::CurveKind::circle) {
      arc_record(info.e1, info.e2, info.center, info.first, info.last, info.radius, out);
      return true;
    }
    return false;
  }
  if (ref.source != GeomitemSource::datum || ref.datum->kind != DatumKind::curve ||
      ref.datum->curve.size() != 1)
    return false;
  const geom::Frame& frame = ref.datum->curve_frame;
  const geom::SectionEntity& entity = ref.datum->curve.front();
  Vec3 u{frame.m[0][0], frame.m[0][1], frame.m[0][2]};
  Vec3 v{frame.m[1][0], frame.m[1][1], frame.m[1][2]};
  switch (entity.kind) {
    case geom::EntityKind::line:
    case geom::EntityKind::centerline:
      line_record(geom::frame_point(frame, entity.start), geom::frame_point(frame, entity.end),
                  out);
      return true;
    case geom::EntityKind::arc:
      arc_record(u, v, geom::frame_point(frame, entity.center), entity.start_angle,
                 entity.end_angle, entity.radius, out);
      return true;
    case geom::EntityKind::circle:
      arc_record(u, v, geom::frame_point(frame, entity.center), 0, 2 * std::numbers::pi,
                 entity.radius, out);
      return true;
    case geom::EntityKind::point: break;
  }
  return false;
}

bool edge_neighbours(const GeomitemRef& ref, EdgeNeighbours& out) {
  if (ref.source != GeomitemSource::edge) return false;
  StoredModel& model = *ref.model;
  PartItems& table = part_items(model);
  const geom::EdgeInfo& info = table.edges[ref.index - 1];
  int face_count = static_cast<int>(table.faces.size());
  for (int face : info.faces)
    if (face < 1 || face > face_count) return false;
  // The edge of a face other than this one with an end at a point; this one for none.
  auto meeting = [&](int face, const Vec3& at) {
    for (std::size_t i = 0; i < table.edges.size(); ++i) {
      const geom::EdgeInfo& other = table.edges[i];
      int edge = static_cast<int>(i) + 1;
      if (edge == ref.index || (other.faces[0] != face && other.faces[1] != face)) continue;
      if (distance(other.start, at) <= vertex_tolerance ||
          distance(other.end, at) <= vertex_tolerance)
        return edge;
    }
    return ref.index;
  };
  out.surfaces[0] = face_ref(model, info.faces[0]);
  out.surfaces[1] = face_ref(model, info.faces[1]);
  out.edges[0] = edge_ref(model, meeting(info.faces[0], info.end));
  out.edges[1] = edge_ref(model, meeting(info.faces[1], info.start));
  return true;
}

namespace {

std::optional<GeomitemRef> numbered_target(const NumberedHandles& handles, const void* handle,
                                           int type, int& number) {
  auto it = handles.targets.find(const_cast<void*>(handle));
  StoredModel* model = it == handles.targets.end() ? nullptr : stored_model(it->second.model);
  if (!model) return std::nullopt;
  number = it->second.number;
  return find_in(*model, type, it->second.id);
}

}  // namespace

std::vector<GeomitemRef> part_faces(StoredModel& model) {
  std::vector<GeomitemRef> faces;
  if (model.type != model_type_part) return faces;
  std::size_t count = part_items(model).face_items.size();
  for (std::size_t face = 1; face <= count; ++face)
    faces.push_back(face_ref(model, static_cast<int>(face)));
  return faces;
}

std::vector<GeomitemRef> part_datums(StoredModel& model, int type) {
  std::vector<GeomitemRef> items;
  if (model.type != model_type_part) return items;
  for (const StoredDatum& datum : model.datums)
    if (datum_item_type(datum.kind) == type)
      if (std::optional<GeomitemRef> ref = find_in(model, type, datum.id)) items.push_back(*ref);
  return items;
}

const geom::EdgeInfo* edge_item_info(const GeomitemRef& ref) {
  if (ref.source != GeomitemSource::edge) return nullptr;
  return &part_items(*ref.model).edges[ref.index - 1];
}

std::vector<SurfaceLoop> surface_loops(const GeomitemRef& ref) {
  std::vector<SurfaceLoop> loops;
  std::vector<geom::FaceLoop> face_loops;
  if (ref.source != GeomitemSource::face ||
      geom::face_loops(ref.model->solid, ref.index, face_loops) != geom::Status::ok)
    return loops;
  for (const geom::FaceLoop& face_loop : face_loops) {
    SurfaceLoop loop;
    loop.outer = face_loop.outer;
    for (int edge : face_loop.edges) loop.edges.push_back(edge_ref(*ref.model, edge));
    loops.push_back(std::move(loop));
  }
  return loops;
}

VynAxis geomitem_axis_handle(const GeomitemRef& ref) {
  return static_cast<VynAxis>(numbered_handle(state().axes, ref, 0));
}

std::optional<GeomitemRef> geomitem_of_axis(VynAxis axis) {
  int number = 0;
  return numbered_target(state().axes, axis, item_type_axis, number);
}

VynCurve geomitem_curve_handle(const GeomitemRef& ref, int component) {
  return static_cast<VynCurve>(numbered_handle(state().curves, ref, component));
}

std::optional<GeomitemRef> geomitem_of_curve(VynCurve curve, int& component) {
  std::optional<GeomitemRef> ref =
      numbered_target(state().curves, curve, item_type_curve, component);
  // A component the curve no longer has (its feature's section lost entities).
  if (ref && component > static_cast<int>(ref->datum->curve.size())) return std::nullopt;
  return ref;
}

VynContour surface_contour_handle(const GeomitemRef& surface, int loop) {
  return static_cast<VynContour>(numbered_handle(state().contours, surface, loop));
}

std::optional<GeomitemRef> surface_of_contour(VynContour contour, int& loop) {
  std::optional<GeomitemRef> ref =
      numbered_target(state().contours, contour, item_type_surface, loop);
  if (ref && (loop < 1 || loop > static_cast<int>(surface_loops(*ref).size()))) return std::nullopt;
  return ref;
}

ItemIdTable part_item_ids(StoredModel& model) {
  ItemIdTable table;
  if (model.type != model_type_part) return table;
  const PartItems& items = part_items(model);
  for (const auto& [key, id] : items.face_keys) {
    const auto& [feature, role, entity, occurrence] = key;
    table.faces.push_back({feature, role, entity, occurrence, id});
  }
  for (const auto& [key, id] : items.edge_keys) {
    const auto& [low, high, occurrence] = key;
    table.edges.push_back({low, high, occurrence, id});
  }
  return table;
}

void part_item_ids_restore(StoredModel& model, const ItemIdTable& table) {
  if (model.type != model_type_part) return;
  PartItems& items = part_items(model);
  for (const FaceIdRow& row : table.faces) {
    items.face_keys.emplace(FaceKey{row.feature, row.role, row.entity, row.occurrence}, row.id);
    model.next_item_id = std::max(model.next_item_id, row.id + 1);
  }
  for (const EdgeIdRow& row : table.edges) {
    items.edge_keys.emplace(EdgeKey{row.face_low, row.face_high, row.occurrence}, row.id);
    model.next_item_id = std::max(model.next_item_id, row.id + 1);
  }
  // Numbers the present solid's items again with the restored table.
  items.shape = nullptr;
  items.face_items.clear();
  items.faces.clear();
  items.edge_items.clear();
  items.edges.clear();
}

void model_geometry_copy(StoredModel& from, StoredModel& to) {
  if (from.type != model_type_part) return;
  PartItems items = part_items(from);
  items.surface_handles.clear();
  items.edge_handles.clear();
  state().parts[to.handle] = std::move(items);
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
  std::optional<GeomitemRef> ref = geomitem_find(&item);
  SurfaceGeometry geometry;
  if (!ref || ref->type != item_type_surface || !surface_geometry(*ref, geometry) ||
      geometry.type != VYN_SRF_PLANE)
    return std::nullopt;
  HostPlane plane{};
  std::copy(geometry.e1.begin(), geometry.e1.end(), plane.e1);
  std::copy(geometry.e2.begin(), geometry.e2.end(), plane.e2);
  std::copy(geometry.e3.begin(), geometry.e3.end(), plane.e3);
  std::copy(geometry.origin.begin(), geometry.origin.end(), plane.origin);
  return plane;
}

void model_geometry_testing_reset() {
  GeometryState& s = state();
  s.parts.clear();
  s.surfaces.clear();
  s.edges.clear();
  s.next_edge_serial = 1;
  for (NumberedHandles* handles : {&s.axes, &s.curves, &s.contours}) {
    handles->targets.clear();
    handles->given.clear();
    handles->next_serial = 1;
  }
}

// ---- Test hook -------------------------------------------------------------------------

bool part_geometry_testing_set(VynMdl part, const geom::Shape& solid,
                               std::vector<StoredDatum> datums, std::vector<int>* datum_ids) {
  StoredModel* model = stored_model(part);
  if (!model || model->type != model_type_part) return false;
  if (datum_ids) datum_ids->clear();
  for (StoredDatum& datum : datums) {
    if (datum.id < 1) datum.id = model->next_item_id++;
    if (datum_ids) datum_ids->push_back(datum.id);
  }
  model->solid = solid;
  model->datums = std::move(datums);
  return true;
}

}  // namespace yrlhost
