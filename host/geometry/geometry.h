// The host's geometry module: sketch frames and sections, the solids of part features
// (prisms, revolutions and holes, added to or taken from a part), queries on a part's
// faces and edges, outlines of a shape in a view, and .brep files.
//
// It is the only part of the host that knows the geometry kernel (OCCT, in
// geometry_occt.cpp and geometry_outline.cpp, which share geometry_shape.h); nothing
// declared here names a kernel type, and no kernel exception leaves the module: every
// failure is a Status. The 2-D work on sections (checks, loops, areas) needs no kernel and
// lives in geometry_section.cpp.
//
// Units are the part's; angles of section arcs are radians, sweep angles of features
// degrees (as the feature trees carry them). Every result is a value: a Shape or a
// Profile never changes after it is made, and copying one is cheap.
//
// Datum items: planes, axes and points are plain records here (Plane, Axis, Vec3) that
// the feature builder keeps with its datum features; they take part in the operations
// below (a revolution's axis, an extent up to a plane) but never in a solid. A datum
// curve is its section's entities carried into the model by its frame (frame_point).
//
// The model-size box: the kernel is handed nothing beyond it, since past a size its
// arithmetic loses the tolerances it works to (and past some it crashes instead of
// failing). Every coordinate of every point the operations below are given or make (the
// points of a profile in the model, a frame's, plane's or axis's origin, every corner of
// the solid a blind or up-to extent or a revolution sweeps) lies within model_box_half of
// 0; so every size (a depth, a radius, a diameter) is below 2 model_box_half. An
// operation given anything beyond it answers outside_model_box before the kernel is
// called. Through all reaches just past the part, which lies within the box.
//
// Face and edge ids: within one Shape, faces are numbered 1..face_count and edges
// 1..edge_count in the kernel's traversal order of the shape; the numbers never change
// for that Shape (and for a copy of it, or the Shape read back from its .brep file). Each
// face also carries its origin: the feature that made it, its role there (start cap, end
// cap, side) and, for a side, the section entity it was swept from. Building the same
// features from the same sections again gives the same ids and origins; after a change,
// ids may move and only origins relate the faces of two builds (a face that a later
// feature splits leaves pieces with the same origin). Seam edges of closed surfaces and
// degenerate edges are not edges here: every edge of a closed solid bounds two faces.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace yrlhost::geom {

using Vec2 = std::array<double, 2>;
using Vec3 = std::array<double, 3>;

enum class Status {
  ok,
  bad_input,           // a null, non-finite or out-of-range argument, or a frame that is
                       // not orthonormal and right-handed
  empty_section,       // no line, arc or circle to make a profile of
  degenerate_entity,   // a line or arc of no length, a circle of no radius
  crossing_entities,   // two entities cross, touch or overlap away from a shared end
  branching_entities,  // more than two entity ends meet at one point
  open_loop,           // an entity end meets no other
  degenerate_face,     // a closed loop that encloses no area
  zero_depth,          // an extent or a sweep that goes nowhere
  bad_reference,       // an up-to plane that the extent cannot reach, or a plane that is
                       // not parallel to the sketch on an extent that runs both ways
  bad_axis,            // a revolution axis out of the sketch plane or through the profile
  no_part,             // through all, or taking material, from a part with no solid
  empty_result,        // taking material left nothing
  not_found,           // no face or edge of that id
  file_error,          // a .brep file that cannot be written or read
  bad_file,            // a .brep file that holds no valid solid
  kernel_failure,      // the kernel could not build the shape
  outside_model_box,   // a point or size beyond the model-size box (model_box_half)
  no_intersection,     // removing material took none away, or the material added stands
                       // apart from the part (a second body)
  adds_nothing,        // adding material added none: the tool lies inside the part
};
// A short English description of a status ("open loop", ...).
const char* status_text(Status status);

// ---- The model-size box --------------------------------------------------------------

// Half the side of the model-size box, in model units: the box is the cube of the points
// whose every coordinate lies within it of 0.
inline constexpr double model_box_half = 1e6;
// Whether every coordinate of a point is finite and within model_box_half of 0.
bool in_model_box(const Vec3& point);

// ---- Frames and datum records ----------------------------------------------------------

// A placement in the host's row-vector convention (as VynPntTrfEval applies it): rows 0,
// 1 and 2 are the frame's u, v and normal directions in model coordinates, row 3 its
// origin; the frame's point (u, v, w) lies at u m[0] + v m[1] + w m[2] + m[3]. Column 3 is
// (0, 0, 0, 1). A sketch frame is orthonormal and right-handed.
struct Frame {
  double m[4][4];
};

// A plane by a point on it and its unit normal.
struct Plane {
  Vec3 origin;
  Vec3 normal;
};

// A directed line by a point on it and its unit direction.
struct Axis {
  Vec3 origin;
  Vec3 direction;
};

// The default datum planes and the sketch frames on them, offset by d along the normal:
//   top   (u, v) -> (u, d, -v)   normal +y
//   front (u, v) -> (u, v, d)    normal +z
//   right (u, v) -> (d, v, -u)   normal +x
enum class StandardPlane { top, front, right };
Frame standard_frame(StandardPlane plane, double offset);

// Whether a frame is finite, orthonormal and right-handed (within 1e-9).
bool frame_valid(const Frame& frame);
// The model point of a sketch point, and the sketch point of a model point's projection.
Vec3 frame_point(const Frame& frame, const Vec2& uv);
Vec2 frame_uv(const Frame& frame, const Vec3& point);
// A frame moved by an offset along its normal, and turned by an angle (degrees, right-hand
// about the axis direction).
Frame frame_offset(const Frame& frame, double distance);
Frame frame_rotated(const Frame& frame, const Axis& axis, double degrees);
// The sketch plane of a frame (origin and normal).
Plane frame_plane(const Frame& frame);
// A frame on a plane, with its origin at the plane's origin and u along the projection of
// u_hint (any direction not along the normal; bad_input otherwise, or for a zero normal).
Status plane_frame(const Plane& plane, const Vec3& u_hint, Frame& out);
// The plane moved by a signed distance along its normal.
Plane plane_offset(const Plane& plane, double distance);
// The signed distance of a point from a plane (positive on the normal's side).
double plane_distance(const Plane& plane, const Vec3& point);
// Where a plane meets a sketch plane, as a sketch line through `point` along the unit
// `direction`: how a plane seen edge-on projects into a section. False when the planes
// are parallel (within 1e-9 in the sine of their angle).
bool plane_trace(const Frame& frame, const Plane& plane, Vec2& point, Vec2& direction);
// The axis along a sketch line from a to b (a revolution's centerline).
Axis sketch_axis(const Frame& frame, const Vec2& a, const Vec2& b);

// ---- Sections ------------------------------------------------------------------------

// Lines, arcs and circles make the profile; centerlines and points are construction.
enum class EntityKind { line, arc, circle, centerline, point };

// A 2-D entity of a section, in sketch coordinates. A line or centerline runs from start
// to end; a point is at start. An arc runs about center from start_angle to end_angle
// (radians): counter-clockwise when end_angle > start_angle, clockwise when it is less,
// turning less than a full turn. A circle is center and radius.
struct SectionEntity {
  int id = 0;
  EntityKind kind = EntityKind::line;
  Vec2 start{};
  Vec2 end{};
  Vec2 center{};
  double radius = 0;
  double start_angle = 0;
  double end_angle = 0;
};

enum class SectionFault { degenerate, crossing, branch, open_end };
// The fault's description ("entity has no length", ...), for section error lists.
const char* section_fault_text(SectionFault fault);

// A fault of one entity and where (sketch coordinates) it shows.
struct SectionProblem {
  int entity = 0;  // the entity's id
  SectionFault fault = SectionFault::degenerate;
  Vec2 where{};
};

// The faults of a section's profile entities, in entity order: a
// degenerate entity (of no length or radius, or an arc of a full turn or more), two
// entities that cross, touch or overlap anywhere but at a shared end (one problem for
// each), ends that meet no other end (open) or more than one (branch). Ends within the
// tolerance of each other meet. Empty when the entities make closed loops. Non-finite
// numbers count as degenerate.
std::vector<SectionProblem> section_check(const std::vector<SectionEntity>& entities,
                                          double tolerance);

// Whether a section's entities lie within the model-size box on the frame (an arc or a
// circle with its whole circle; an empty section: whether the frame's origin does). An
// entity with a number that is not finite is left to section_check, which finds it
// degenerate.
bool sketch_in_model_box(const Frame& frame, const std::vector<SectionEntity>& entities);

// A planar region bounded by the closed loops of a section: loops nested an odd number
// of times are holes in the loop around them, so a section may give several regions.
struct ProfileData;
struct Profile {
  Frame frame{};
  std::shared_ptr<const ProfileData> data;  // null: no profile
};

// Makes the profile of a section on a frame. The status names the first kind of fault
// in the order of SectionFault (with the problems in `problems` when given), or
// bad_input (invalid frame, tolerance not above 0), empty_section, degenerate_face, or
// outside_model_box for a profile (an entity's reach, a circle's or arc's whole circle)
// that does not lie within the model-size box once on its frame.
Status profile_make(const Frame& frame, const std::vector<SectionEntity>& entities,
                    double tolerance, Profile& out, std::vector<SectionProblem>* problems);
// The profile's area (0 for none), its number of regions and of loops.
double profile_area(const Profile& profile);
int profile_regions(const Profile& profile);
int profile_loops(const Profile& profile);

// ---- Solids --------------------------------------------------------------------------

// A B-rep shape of the kernel with its face origins and ids.
struct ShapeData;
struct Shape {
  std::shared_ptr<const ShapeData> data;  // null: no shape (a part with no solid)
  bool empty() const { return !data; }
};

// How far an extent goes on one side of the sketch plane. Through all reaches past the
// whole part; up to a plane stops on it (planes parallel to the sketch stop every point
// at the same distance).
enum class DepthKind { none, blind, through_all, up_to_plane };
struct Depth {
  DepthKind kind = DepthKind::none;
  double distance = 0;  // blind
  Plane plane{};        // up to a plane
};
// The two sides of a prism: front along the frame's normal, back against it. Blind on
// the front alone is the usual extrusion; both sides blind d/2 is "both sides d".
struct Extent {
  Depth front;
  Depth back;
};

// The solid a prism of the profile sweeps. Through all sizes itself by `part` (which may
// be empty for the other kinds). Faces: start cap at the back end, end cap at the front
// end, a side for each entity. zero_depth when the extent has no length; bad_reference
// for a plane that does not lie ahead of the whole profile; outside_model_box for an
// up-to plane whose origin, or a solid that reaches, beyond the model-size box.
Status prism(const Profile& profile, const Extent& extent, const Shape& part, int feature,
             Shape& out);
// The solid the profile sweeps turning about an axis in the sketch plane: front_degrees
// right-hand about the axis direction and back_degrees the other way, 0 < total <= 360
// (360 is a full revolution, without caps). Faces: start cap at the back end, end cap at
// the front end, a side for each entity off the axis. bad_axis for an axis out of the
// plane or through the profile; outside_model_box for an axis origin, or a solid that
// reaches, beyond the model-size box.
Status revolve(const Profile& profile, const Axis& axis, double front_degrees,
               double back_degrees, int feature, Shape& out);
// The cylinder of a hole: diameter about the axis, its front running along the axis
// direction from the axis origin (the hole's start on its placement plane). Faces: the
// side (entity 0) and the caps. outside_model_box for an axis origin, a diameter or a
// solid beyond the model-size box; degenerate_entity for a radius of at most 1e-6 (the
// sections' tolerance: a circle no wider has no size).
Status hole_tool(const Axis& axis, double diameter, const Extent& extent, const Shape& part,
                 int feature, Shape& out);

enum class Combine { add, remove };
// The part with a tool's material added (protrusion) or removed (cut, hole). Adding to
// an empty part gives the tool; removing from one is no_part; removing everything is
// empty_result. A feature that changes no material fails, as a CAD system's does:
// removing material that takes none away (a tool away from the part, or one that only
// touches it) is no_intersection, and so is adding material that leaves a body apart
// from the part's (a tool that touches the part nowhere, or only along an edge or at a
// point); adding material inside the part, which adds none, is adds_nothing. Material
// counts however small it is beside the part; a piece thinner than the kernel's
// tolerance (1e-7) is contact.
Status combine(const Shape& part, const Shape& tool, Combine how, Shape& out);

// ---- Queries -------------------------------------------------------------------------

struct Box {
  Vec3 min{};
  Vec3 max{};
};
struct SolidSummary {
  double volume = 0;
  int solids = 0;
  int faces = 0;
  int edges = 0;
  Box box;  // tight around the geometry; zero for an empty shape
};
SolidSummary solid_summary(const Shape& shape);

enum class FaceRole { none, start_cap, end_cap, side };
struct FaceOrigin {
  int feature = 0;  // 0: unknown (a shape read from a file)
  FaceRole role = FaceRole::none;
  int entity = 0;   // the section entity of a side
  friend bool operator==(const FaceOrigin&, const FaceOrigin&) = default;
};

enum class SurfaceKind { plane, cylinder, cone, sphere, torus, revolution, extrusion, other };

struct FaceInfo {
  SurfaceKind kind = SurfaceKind::other;
  // The surface's own axes: e3 is the main direction, a plane's normal up to sign and the
  // axis of a cylinder, cone, sphere, torus or surface of revolution in either sense (the
  // sweep direction of an extrusion); origin lies in the plane or on the axis. The axes may be
  // left-handed (e1 x e2 = -e3): the kernel keeps a surface's sense that way. The
  // surface's parameters: a plane's (u, v) run along e1 and e2 from origin; a cylinder's
  // u is the angle from e1 towards e2 and v the height along e3.
  Vec3 origin{};
  Vec3 e1{};
  Vec3 e2{};
  Vec3 e3{};
  Vec3 normal{};            // a plane's outward normal (e3 or -e3); zero for other kinds
  double radius = 0;        // cylinder, sphere; torus major; cone at origin
  double minor_radius = 0;  // torus
  double semi_angle = 0;    // cone, radians
  bool reversed = false;    // the outward normal is -(d/du x d/dv)
  Vec2 uv_min{};            // the face's parameter ranges
  Vec2 uv_max{};
  FaceOrigin origin_of;
};
Status face_info(const Shape& shape, int face, FaceInfo& out);

// A surface's point at (u, v) with its first and second derivatives and the face's
// outward unit normal. The surface extends past the face: any (u, v) within the model-size
// box evaluates (outside_model_box beyond it).
struct SurfacePoint {
  Vec3 point{};
  Vec3 du{};
  Vec3 dv{};
  Vec3 duu{};
  Vec3 duv{};
  Vec3 dvv{};
  Vec3 normal{};
};
Status face_eval(const Shape& shape, int face, const Vec2& uv, SurfacePoint& out);
// The (u, v) of the surface point nearest a point, inside the face's ranges for the
// periodic parameters; outside_model_box for a point beyond the model-size box.
Status face_uv(const Shape& shape, int face, const Vec3& point, Vec2& out);

enum class CurveKind { line, circle, other };
struct EdgeInfo {
  CurveKind kind = CurveKind::other;
  Vec3 start{};  // the curve's points at its first and last parameter
  Vec3 end{};
  double first = 0;  // parameter range; a circle's parameter is the angle from e1 to e2
  double last = 0;
  Vec3 center{};     // circle: center, axes (e3 the normal) and radius
  Vec3 e1{};
  Vec3 e2{};
  Vec3 e3{};
  double radius = 0;
  double length = 0;           // the curve's length between its ends
  std::array<int, 2> faces{};  // the two faces it bounds, lower id first
};
Status edge_info(const Shape& shape, int edge, EdgeInfo& out);

// The boundary loops of a face: the outer loop first, then its holes, each with its
// edges (ids as edge_info takes them) in the order the loop runs; seams and degenerate
// edges, which are no edges here, are left out.
struct FaceLoop {
  bool outer = false;
  std::vector<int> edges;
};
Status face_loops(const Shape& shape, int face, std::vector<FaceLoop>& out);

// The faces and edges that pass within the tolerance of a point, in id order; both empty
// when none does (and for a point beyond the model-size box, where no solid reaches).
struct PointHits {
  std::vector<int> faces;
  std::vector<int> edges;
};
PointHits geometry_at_point(const Shape& shape, const Vec3& point, double tolerance);

// ---- Projections ---------------------------------------------------------------------

// How a view sees a shape: `toward` points from the shape to the viewer (the view looks
// against it) and `right` is the picture's x direction; the picture's y is toward x right
// (up). Both unit and square to each other.
struct ViewAxes {
  Vec3 right{};
  Vec3 toward{};
};
// The isometric view from (1, 1, 1), model y up in the picture: right (1, 0, -1) / sqrt 2.
ViewAxes isometric_axes();

// A curve of a shape's outline in a view, in the picture's plane (x along right, y up):
// a line between two points, an arc about a centre, or a polyline through points (a
// circle seen slanted, or any other curve).
enum class OutlineKind { line, arc, polyline };
struct OutlineCurve {
  OutlineKind kind = OutlineKind::line;
  bool visible = true;
  std::vector<Vec2> points;  // line: its ends; arc: its start and end; polyline: its points
  Vec2 center{};             // arc
  double radius = 0;         // arc
  double start_angle = 0;    // arc: radians from the picture's x
  double sweep = 0;          // arc: counter-clockwise from its start, in (0, 2 pi]
};

// The outline of a shape seen along a view, with hidden-line removal: the shape's sharp
// edges and its silhouettes (where a curved face turns away from the viewer), each piece
// visible or hidden behind the shape. Edges between faces that meet smoothly and seams are
// not drawn, as drawings leave them out. A polyline runs within 1e-3 of the shape's size
// of its curve (points on a straight run are joined, so a circle seen edge-on is a line).
// A hidden piece that runs along visible ones all the way (within 1e-6 of the shape's
// size), as an edge right behind another does, is left out: a drawing shows the visible
// line there. Hidden pieces come first, so that a picture drawn in order shows a visible
// line over a hidden one that crosses it. bad_input for an empty shape or axes that are
// not unit and square.
Status shape_outline(const Shape& shape, const ViewAxes& axes, std::vector<OutlineCurve>& out);

// ---- Files ---------------------------------------------------------------------------

// Writes a shape as an OCCT .brep file (bad_input for an empty shape), and reads one
// back: face and edge ids are those of the shape written, origins are unknown. The
// kernel's reader trusts its input, so a file is first read in a child process: a file
// that crashes the reader or keeps it reading (past 10 seconds) is a bad_file too, and
// so is a solid that does not lie within the model-size box.
Status brep_write(const Shape& shape, const std::string& path);
Status brep_read(const std::string& path, Shape& out);

}  // namespace yrlhost::geom
