// The geometry items of a part: what an item id of a surface, edge, axis, point or curve
// names (a face or edge of the part's solid, a datum item, or a planar surface a test
// seeded into a feature), the handles of surfaces and edges, and each surface's geometry
// in the host's terms (its type code, axes, parameters and evaluation).
//
// Item ids of faces and edges: every id comes from the part's one sequence
// (StoredModel::next_item_id). A face keeps its id for as long as the part has a face of
// the same origin (feature, role, section entity; the n-th face of one origin in face
// order keeps the n-th id of that origin), across any number of regenerations; an edge
// keeps its id for as long as an edge joins the same two faces (the n-th such edge in
// edge order, again). A face or edge the solid no longer has leaves its id dead: an item
// or handle of it answers as a stale one. Ids are taken when the part's items are first
// asked for after its solid changed. The part's file keeps the table of every origin given
// an id, so that a part read back gives its faces and edges the ids they had, and the
// features placed on them find them when it is rebuilt.
#pragma once

#include <optional>
#include <vector>

#include "host/geometry/geometry.h"
#include "host/store/model_store.h"
#include "toolkit/api/catalogue_types.h"
#include "toolkit/local/geomdata.h"

namespace yrlhost {

// Item types of geometry items besides surfaces (item_type_surface, host/store/models.h).
inline constexpr int item_type_edge = 6;
inline constexpr int item_type_axis = 21;
inline constexpr int item_type_curve = 62;
inline constexpr int item_type_point = 66;
// Asks for the items of every type at once (a feature's items).
inline constexpr int item_type_any = -1;

enum class GeomitemSource { seeded_surface, face, edge, datum };

// What a geometry item of a live part names. Pointers stay valid until the part changes.
struct GeomitemRef {
  StoredModel* model = nullptr;
  GeomitemSource source = GeomitemSource::face;
  int type = 0;  // the item type
  int id = 0;    // the item id
  int index = 0;                           // face or edge: its id in the solid
  StoredFeature* feature = nullptr;        // seeded surface: the feature that holds it
  const StoredSurface* seeded = nullptr;   // seeded surface
  const StoredDatum* datum = nullptr;      // datum item
};

// The item a geometry item record names; nothing for a stale, foreign or unknown one.
std::optional<GeomitemRef> geomitem_find(const VynGeomitem* item);
// The surface item (face, datum plane or seeded surface) and the edge item a handle names.
std::optional<GeomitemRef> geomitem_of_surface(VynSurface surface);
std::optional<GeomitemRef> geomitem_of_edge(VynEdge edge);
// The handles of a surface item and an edge item (the same handle every time).
VynSurface geomitem_surface_handle(const GeomitemRef& ref);
VynEdge geomitem_edge_handle(const GeomitemRef& ref);
// The feature an item belongs to: a face's origin feature, an edge's (the later in the
// part's feature order of its two faces' features), a datum item's, a seeded surface's;
// 0 when the part has no such feature (a face of a solid read from a file).
int geomitem_feature_id(const GeomitemRef& ref);
// A feature's items of one type as model items, in visit order (seeded surfaces, datum
// planes, then faces; edges and datum items in id order); for item_type_any its surfaces,
// edges, axes, points and curves, in that order.
std::vector<VynModelitem> feature_geomitems(StoredModel& model, int feature_id, int type);
// The items of a part's solid within tolerance of a point: its faces in face order, then
// its edges.
std::vector<VynModelitem> part_geomitems_at(StoredModel& model, const geom::Vec3& point,
                                            double tolerance);

// A surface in the host's terms. Planes (faces, datum planes and seeded ones) are
// evaluated here in their own axes, with e3 the outward normal (a datum plane's own
// normal) and (u, v) along e1 and e2 from the origin; the other kinds by the kernel in
// its parameters, with the kernel's axes.
struct SurfaceGeometry {
  int type = VYN_SRF_PLANE;  // a VYN_SRF_* code
  geom::Vec3 e1{}, e2{}, e3{}, origin{};
  double radius = 0;        // cylinder, cone at origin, torus major, sphere
  double minor_radius = 0;  // torus
  double semi_angle = 0;    // cone (radians)
  bool sphere = false;      // a sphere (type VYN_SRF_REVOLVE with its meridian arc)
  int orient = 1;           // 1: the outward normal is d/du x d/dv; -1: the opposite
  geom::Vec2 uv_min{}, uv_max{};
  const geom::Shape* shape = nullptr;  // non-planar faces: the solid and the face
  int face = 0;
};
bool surface_geometry(const GeomitemRef& ref, SurfaceGeometry& out);
// The surface point at (u, v) with its derivatives and outward unit normal; the (u, v) of
// a point's projection. False when the kernel cannot answer.
bool surface_eval(const SurfaceGeometry& surface, const geom::Vec2& uv, geom::SurfacePoint& out);
bool surface_uv(const SurfaceGeometry& surface, const geom::Vec3& point, geom::Vec2& out);
// The curve of an edge or of a datum curve of one entity as a curve record: a line, or
// an arc (a full turn for a circle). False for an edge of another kind, a datum curve of
// several entities or an item of another type.
bool geomitem_curve(const GeomitemRef& ref, VynCurvedata& out);
// The two faces of an edge (as surface items) and the edges that meet it on each: on the
// first face the edge that meets its end, on the second the edge that meets its start
// (the edge itself when it is the only edge of that face there, as a circle bounding a
// cap).
struct EdgeNeighbours {
  GeomitemRef surfaces[2];
  GeomitemRef edges[2];
};
bool edge_neighbours(const GeomitemRef& ref, EdgeNeighbours& out);

// ---- Solid items, axes, curves and contours -----------------------------------------

// The faces of a part's solid as surface items, in face order; the part's datum items of
// one item type (21 axes, 66 points, 62 curves, 5 planes), in the order of its datums.
std::vector<GeomitemRef> part_faces(StoredModel& model);
std::vector<GeomitemRef> part_datums(StoredModel& model, int type);

// What the kernel says of an edge item's curve (kind, ends, length); null for another item.
const geom::EdgeInfo* edge_item_info(const GeomitemRef& ref);

// The boundary loops of a surface item, outer loop first, each with its edges as edge
// items in the order the loop runs. A datum plane or seeded plane has no bounds: none.
struct SurfaceLoop {
  bool outer = false;
  std::vector<GeomitemRef> edges;
};
std::vector<SurfaceLoop> surface_loops(const GeomitemRef& ref);

// Handles of datum axes, of datum curves (component 0, the whole curve) and their
// entities (component k, the k-th), and of a surface's loops (loop k, the k-th of
// surface_loops, from 1): one handle per item and number for as long as the host runs,
// numbers of ranges of their own. Looking one up gives the item and the number; nothing
// for a handle never given, or one whose item, component or loop the part no longer has.
VynAxis geomitem_axis_handle(const GeomitemRef& ref);
std::optional<GeomitemRef> geomitem_of_axis(VynAxis axis);
VynCurve geomitem_curve_handle(const GeomitemRef& ref, int component);
std::optional<GeomitemRef> geomitem_of_curve(VynCurve curve, int& component);
VynContour surface_contour_handle(const GeomitemRef& surface, int loop);
std::optional<GeomitemRef> surface_of_contour(VynContour contour, int& loop);

// The table of item ids a part's faces and edges were given, by origin: a face's origin
// (feature, role, section entity, and which of the faces of that origin it is), an edge's
// two faces (item ids, lower first, 0 for none) and which of the edges joining them it is.
struct FaceIdRow {
  int feature = 0, role = 0, entity = 0, occurrence = 0;
  int id = 0;
};
struct EdgeIdRow {
  int face_low = 0, face_high = 0, occurrence = 0;
  int id = 0;
};
struct ItemIdTable {
  std::vector<FaceIdRow> faces;
  std::vector<EdgeIdRow> edges;
};
// The part's table, brought up to its solid first; rows in origin order.
ItemIdTable part_item_ids(StoredModel& model);
// Starts a part's table from a saved one (a part read from its file, before its solid is
// rebuilt). Ids already given are kept; the model's sequence goes past every id restored.
void part_item_ids_restore(StoredModel& model, const ItemIdTable& table);

// Gives a copy of a part (with the part's solid and datums) the part's item ids: the
// copy's faces and edges are numbered as the part's are, and keep their ids by origin from
// there. The copy's handles are its own.
void model_geometry_copy(StoredModel& from, StoredModel& to);

// Forgets the item tables and handles (part of models_testing_reset).
void model_geometry_testing_reset();

// Gives a live part a solid and datum items as a regeneration of its features would (made
// with the geometry module's calls, host/geometry/geometry.h; the features named as their
// origins are added with host_feature_add). A datum with id 0 gets a new item id of the
// part; the datums' ids go to datum_ids in order when given. False for anything but a
// live part. For tests.
bool part_geometry_testing_set(VynMdl part, const geom::Shape& solid,
                               std::vector<StoredDatum> datums,
                               std::vector<int>* datum_ids = nullptr);

}  // namespace yrlhost
