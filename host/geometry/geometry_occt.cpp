// The geometry module's kernel half: profiles become OCCT faces, features OCCT sweeps and
// booleans, and the queries answer from the B-rep. Every entry point catches the
// kernel's exceptions (Standard_Failure) and answers with a status.
#include <BRepAdaptor_Curve.hxx>
#include <BRepAdaptor_Surface.hxx>
#include <BRepAlgoAPI_BooleanOperation.hxx>
#include <BRepAlgoAPI_Common.hxx>
#include <BRepAlgoAPI_Cut.hxx>
#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepBndLib.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakeVertex.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepCheck_Analyzer.hxx>
#include <BRepExtrema_DistShapeShape.hxx>
#include <BRepGProp.hxx>
#include <BRepLProp_SLProps.hxx>
#include <BRepPrimAPI_MakeHalfSpace.hxx>
#include <BRepPrimAPI_MakePrism.hxx>
#include <BRepPrimAPI_MakeRevol.hxx>
#include <BRepTools.hxx>
#include <BRepTools_WireExplorer.hxx>
#include <GCPnts_AbscissaPoint.hxx>
#include <BRep_Builder.hxx>
#include <BRep_Tool.hxx>
#include <Bnd_Box.hxx>
#include <GProp_GProps.hxx>
#include <GeomAPI_ProjectPointOnSurf.hxx>
#include <Geom_Circle.hxx>
#include <Geom_Surface.hxx>
#include <NCollection_DataMap.hxx>
#include <Precision.hxx>
#include <Standard_Failure.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_DataMapOfShapeInteger.hxx>
#include <TopTools_IndexedDataMapOfShapeListOfShape.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopTools_ListOfShape.hxx>
#include <TopTools_ShapeMapHasher.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Iterator.hxx>
#include <TopoDS_Vertex.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Ax1.hxx>
#include <gp_Ax2.hxx>
#include <gp_Ax3.hxx>
#include <gp_Circ.hxx>
#include <gp_Pln.hxx>
#include <gp_Pnt.hxx>
#include <gp_Vec.hxx>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <sstream>
#include <utility>

#include "host/geometry/geometry.h"
#include "host/geometry/geometry_profile.h"
#include "host/geometry/geometry_shape.h"

namespace yrlhost::geom {

namespace {

Vec3 unit(const Vec3& v) {
  double length = norm(v);
  return length > 0 ? v * (1 / length) : Vec3{};
}

// The sketch plane of a frame as the kernel's axes (u the x direction).
gp_Ax3 frame_axes(const Frame& frame) {
  return gp_Ax3(to_pnt(frame_row(frame, 3)), to_dir(frame_row(frame, 2)),
                to_dir(frame_row(frame, 0)));
}

void bind_origin(OriginMap& map, const TopoDS_Shape& face, const FaceOrigin& origin) {
  // A face that two inputs share keeps the origin bound first (the older feature's).
  if (!map.IsBound(face)) map.Bind(face, origin);
}

// Numbers a shape's faces and edges and keeps the faces' origins.
std::shared_ptr<ShapeData> index_shape(const TopoDS_Shape& shape, const OriginMap& origins) {
  auto data = std::make_shared<ShapeData>();
  data->shape = shape;
  TopTools_IndexedMapOfShape faces;
  TopExp::MapShapes(shape, TopAbs_FACE, faces);
  for (int i = 1; i <= faces.Extent(); ++i) {
    const TopoDS_Face& face = TopoDS::Face(faces(i));
    data->faces.push_back(face);
    data->origins.Bind(face, origins.IsBound(face) ? origins.Find(face) : FaceOrigin{});
    Bnd_Box box;
    BRepBndLib::Add(face, box, false);
    data->face_boxes.push_back(box);
  }
  TopTools_IndexedDataMapOfShapeListOfShape edge_faces;
  TopExp::MapShapesAndAncestors(shape, TopAbs_EDGE, TopAbs_FACE, edge_faces);
  for (int i = 1; i <= edge_faces.Extent(); ++i) {
    const TopoDS_Edge& edge = TopoDS::Edge(edge_faces.FindKey(i));
    if (BRep_Tool::Degenerated(edge)) continue;
    std::vector<int> ids;
    for (TopTools_ListIteratorOfListOfShape it(edge_faces(i)); it.More(); it.Next()) {
      int id = faces.FindIndex(it.Value());
      if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
    }
    if (ids.size() == 1 && BRep_Tool::IsClosed(edge, TopoDS::Face(faces(ids[0])))) continue;
    std::sort(ids.begin(), ids.end());
    ids.resize(2, 0);
    data->edges.push_back(edge);
    data->edge_faces.push_back({ids[0], ids[1]});
    Bnd_Box box;
    BRepBndLib::Add(edge, box, false);
    data->edge_boxes.push_back(box);
  }
  return data;
}

bool has_solid(const TopoDS_Shape& shape) {
  return TopExp_Explorer(shape, TopAbs_SOLID).More();
}

int solid_count(const TopoDS_Shape& shape) {
  TopTools_IndexedMapOfShape solids;
  TopExp::MapShapes(shape, TopAbs_SOLID, solids);
  return solids.Extent();
}

// The result of a sweep or boolean, checked, numbered and with its faces' origins.
Status finish(const TopoDS_Shape& result, const OriginMap& origins, Shape& out) {
  if (result.IsNull() || !has_solid(result)) return Status::kernel_failure;
  if (!BRepCheck_Analyzer(result).IsValid()) return Status::kernel_failure;
  out.data = index_shape(result, origins);
  return Status::ok;
}

// ---- Faces of a profile ------------------------------------------------------------------

// The faces of a profile on a frame (one face, or a compound of one per region) and the
// section entity of each of their edges.
struct ProfileFaces {
  TopoDS_Shape faces;
  TopTools_DataMapOfShapeInteger entity_of_edge;
};

Status build_faces(const ProfileData& data, const Frame& frame, ProfileFaces& out) {
  gp_Ax3 axes = frame_axes(frame);
  gp_Dir normal = axes.Direction(), u_dir = axes.XDirection();
  BRep_Builder builder;
  // A vertex for each node, its tolerance wide enough for the entity ends it joins.
  std::vector<double> gaps(data.nodes.size(), 0.0);
  for (std::size_t i = 0; i < data.entities.size(); ++i)
    for (int which = 0; which < 2; ++which) {
      int node = data.entity_nodes[i][which];
      if (node >= 0)
        gaps[node] = std::max(gaps[node],
                              norm(entity_end(data.entities[i], which == 1) - data.nodes[node]));
    }
  std::vector<TopoDS_Vertex> vertices(data.nodes.size());
  for (std::size_t n = 0; n < data.nodes.size(); ++n)
    builder.MakeVertex(vertices[n], to_pnt(frame_point(frame, data.nodes[n])),
                       std::max(Precision::Confusion(), 1.01 * gaps[n]));
  // Each entity's edge, and whether it runs against the entity (a clockwise arc).
  std::vector<TopoDS_Edge> edges(data.entities.size());
  std::vector<bool> against(data.entities.size(), false);
  for (std::size_t i = 0; i < data.entities.size(); ++i) {
    const SectionEntity& e = data.entities[i];
    const auto& ends = data.entity_nodes[i];
    BRepBuilderAPI_MakeEdge make = [&]() {
      if (e.kind == EntityKind::line) return BRepBuilderAPI_MakeEdge(vertices[ends[0]], vertices[ends[1]]);
      gp_Circ circle(gp_Ax2(to_pnt(frame_point(frame, e.center)), normal, u_dir), e.radius);
      if (e.kind == EntityKind::circle) return BRepBuilderAPI_MakeEdge(circle);
      Handle(Geom_Circle) curve = new Geom_Circle(circle);
      if (e.end_angle > e.start_angle)
        return BRepBuilderAPI_MakeEdge(curve, vertices[ends[0]], vertices[ends[1]],
                                       e.start_angle, e.end_angle);
      against[i] = true;
      return BRepBuilderAPI_MakeEdge(curve, vertices[ends[1]], vertices[ends[0]], e.end_angle,
                                     e.start_angle);
    }();
    if (!make.IsDone()) return Status::kernel_failure;
    edges[i] = make.Edge();
    out.entity_of_edge.Bind(edges[i], e.id);
  }
  auto wire_of = [&](const Loop& loop, TopoDS_Wire& wire) {
    BRepBuilderAPI_MakeWire make;
    for (const LoopStep& step : loop.steps) {
      const TopoDS_Edge& edge = edges[step.entity];
      make.Add(step.forward != against[step.entity] ? edge : TopoDS::Edge(edge.Reversed()));
      if (!make.IsDone()) return false;
    }
    wire = make.Wire();
    return true;
  };
  gp_Pln plane(axes);
  TopoDS_Compound compound;
  builder.MakeCompound(compound);
  for (const Region& region : data.regions) {
    TopoDS_Wire outer;
    if (!wire_of(data.loops[region.outer], outer)) return Status::kernel_failure;
    BRepBuilderAPI_MakeFace make(plane, outer, true);
    for (int hole : region.holes) {
      TopoDS_Wire inner;
      if (!make.IsDone() || !wire_of(data.loops[hole], inner)) return Status::kernel_failure;
      make.Add(inner);
    }
    if (!make.IsDone()) return Status::kernel_failure;
    builder.Add(compound, make.Face());
  }
  if (data.regions.size() == 1)
    out.faces = TopoDS_Iterator(compound).Value();
  else
    out.faces = compound;
  if (!BRepCheck_Analyzer(out.faces).IsValid()) return Status::kernel_failure;
  return Status::ok;
}

// The origins of a sweep's faces: its caps and a side for each edge of the profile.
template <class Sweep>
OriginMap sweep_origins(Sweep& sweep, const ProfileFaces& profile, int feature, bool caps) {
  OriginMap origins;
  for (TopExp_Explorer it(profile.faces, TopAbs_FACE); it.More(); it.Next()) {
    if (!caps) break;
    bind_origin(origins, sweep.FirstShape(it.Current()), {feature, FaceRole::start_cap, 0});
    bind_origin(origins, sweep.LastShape(it.Current()), {feature, FaceRole::end_cap, 0});
  }
  TopTools_IndexedMapOfShape edges;
  TopExp::MapShapes(profile.faces, TopAbs_EDGE, edges);
  for (int i = 1; i <= edges.Extent(); ++i) {
    int entity = profile.entity_of_edge.IsBound(edges(i)) ? profile.entity_of_edge.Find(edges(i)) : 0;
    const TopTools_ListOfShape& made = sweep.Generated(edges(i));
    for (TopTools_ListIteratorOfListOfShape it(made); it.More(); it.Next())
      if (it.Value().ShapeType() == TopAbs_FACE)
        bind_origin(origins, it.Value(), {feature, FaceRole::side, entity});
  }
  // A full revolution rebuilds the faces that edges square to its axis sweep and does not
  // report them; such a face holds the middle of its generating edge.
  for (TopExp_Explorer face(sweep.Shape(), TopAbs_FACE); face.More(); face.Next()) {
    if (origins.IsBound(face.Current())) continue;
    for (int i = 1; i <= edges.Extent(); ++i) {
      BRepAdaptor_Curve curve(TopoDS::Edge(edges(i)));
      gp_Pnt middle = curve.Value((curve.FirstParameter() + curve.LastParameter()) / 2);
      BRepExtrema_DistShapeShape distance(BRepBuilderAPI_MakeVertex(middle).Vertex(),
                                          face.Current());
      if (distance.IsDone() && distance.Value() <= Precision::Confusion() &&
          profile.entity_of_edge.IsBound(edges(i))) {
        bind_origin(origins, face.Current(),
                    {feature, FaceRole::side, profile.entity_of_edge.Find(edges(i))});
        break;
      }
    }
  }
  return origins;
}

// Carries the origins of a boolean's argument faces to the faces of its result.
void carry_origins(BRepAlgoAPI_BooleanOperation& op, const TopoDS_Shape& argument,
                   const OriginMap& from, OriginMap& to) {
  TopTools_IndexedMapOfShape faces;
  TopExp::MapShapes(argument, TopAbs_FACE, faces);
  for (int i = 1; i <= faces.Extent(); ++i) {
    const TopoDS_Shape& face = faces(i);
    if (!from.IsBound(face) || op.IsDeleted(face)) continue;
    const TopTools_ListOfShape& pieces = op.Modified(face);
    if (pieces.IsEmpty()) bind_origin(to, face, from.Find(face));
    for (TopTools_ListIteratorOfListOfShape it(pieces); it.More(); it.Next())
      bind_origin(to, it.Value(), from.Find(face));
  }
}

// ---- Extents -----------------------------------------------------------------------------

// How far one side of a prism reaches, resolved to a length; an up-to plane that is not
// parallel to the sketch gives a length past it and the plane to clip by.
struct SideReach {
  double length = 0;
  bool clip = false;
  Plane plane{};
};

Status reach_of(const Depth& depth, const Profile& profile, double sense, const Shape& part,
                SideReach& out) {
  const Frame& frame = profile.frame;
  Vec3 direction = frame_row(frame, 2) * sense, origin = frame_row(frame, 3);
  double tol = profile.data->tolerance;
  switch (depth.kind) {
    case DepthKind::none:
      out.length = 0;
      return Status::ok;
    case DepthKind::blind:
      if (!std::isfinite(depth.distance) || depth.distance < 0) return Status::bad_input;
      out.length = depth.distance;
      return Status::ok;
    case DepthKind::through_all: {
      if (part.empty()) return Status::no_part;
      Bnd_Box box;
      BRepBndLib::Add(part.data->shape, box, false);
      double x[2], y[2], z[2];
      box.Get(x[0], y[0], z[0], x[1], y[1], z[1]);
      double farthest = 0;
      for (double cx : x)
        for (double cy : y)
          for (double cz : z)
            farthest = std::max(farthest, dot(Vec3{cx, cy, cz} - origin, direction));
      double size = std::sqrt(box.SquareExtent());
      out.length = farthest + 1 + 0.01 * size;
      return Status::ok;
    }
    case DepthKind::up_to_plane: {
      Vec3 m = unit(depth.plane.normal);
      if (!finite(depth.plane.origin) || !finite(depth.plane.normal) || norm(m) == 0)
        return Status::bad_input;
      if (!in_model_box(depth.plane.origin)) return Status::outside_model_box;
      double approach = dot(m, direction);
      if (std::fabs(approach) <= 1e-9) return Status::bad_reference;
      // Along the side, a sketch point x reaches the plane after (level - g.x) / approach.
      double level = dot(m, depth.plane.origin - origin);
      Vec2 g{dot(m, frame_row(frame, 0)), dot(m, frame_row(frame, 1))};
      double spread = norm(g), least = 0, greatest = 0;
      if (spread > 1e-9) {
        Vec2 across = g * (1 / spread);
        profile_side_range(*profile.data, {0, 0}, {across[1], -across[0]}, least, greatest);
        least *= spread;
        greatest *= spread;
      }
      double near = (level - (approach > 0 ? greatest : least)) / approach;
      double far = (level - (approach > 0 ? least : greatest)) / approach;
      if (!(near > tol)) return Status::bad_reference;
      if (spread <= 1e-9) {
        out.length = near;
        return Status::ok;
      }
      out.length = far + 1 + 0.1 * far;
      out.clip = true;
      out.plane = {depth.plane.origin, m};
      return Status::ok;
    }
  }
  return Status::bad_input;
}

// Whether the solid a profile sweeps back_length against its frame's normal and
// front_length along it lies within the model-size box.
bool swept_in_model_box(const Profile& profile, double back_length, double front_length) {
  Vec2 low{}, high{};
  sketch_bounds(profile.data->entities, low, high);
  return std::isfinite(back_length) && std::isfinite(front_length) &&
         sketch_box_in_model_box(frame_offset(profile.frame, -back_length), low, high) &&
         sketch_box_in_model_box(frame_offset(profile.frame, front_length), low, high);
}

// Whether the solid a profile sweeps turning about the axis (a full turn at most) lies
// within the model-size box: each corner of the profile's sketch rectangle turns on a
// circle about the axis, within its radius of the foot of the corner on the axis.
bool turned_in_model_box(const Profile& profile, const Axis& axis) {
  Vec2 low{}, high{};
  sketch_bounds(profile.data->entities, low, high);
  Vec3 direction = unit(axis.direction);
  for (double u : {low[0], high[0]})
    for (double v : {low[1], high[1]}) {
      Vec3 corner = frame_point(profile.frame, {u, v});
      Vec3 foot = axis.origin + direction * dot(corner - axis.origin, direction);
      double radius = norm(corner - foot);
      for (int i = 0; i < 3; ++i)
        if (!(std::fabs(foot[i]) + radius <= model_box_half)) return false;
    }
  return true;
}

}  // namespace

// ---- Solids ------------------------------------------------------------------------------

Status prism(const Profile& profile, const Extent& extent, const Shape& part, int feature,
             Shape& out) {
  if (!profile.data) return Status::bad_input;
  return guarded([&] {
    SideReach front, back;
    Status status = reach_of(extent.front, profile, 1, part, front);
    if (status == Status::ok) status = reach_of(extent.back, profile, -1, part, back);
    if (status != Status::ok) return status;
    double total = front.length + back.length;
    if (!(total > profile.data->tolerance)) return Status::zero_depth;
    // Through all reaches just past the part; the other kinds sweep within the box.
    if (!swept_in_model_box(profile, extent.back.kind == DepthKind::through_all ? 0 : back.length,
                            extent.front.kind == DepthKind::through_all ? 0 : front.length))
      return Status::outside_model_box;
    // A slanted stop is cut off by the plane, which would cut the other side too.
    if ((front.clip && back.length > 0) || (back.clip && front.length > 0))
      return Status::bad_reference;
    ProfileFaces faces;
    status = build_faces(*profile.data, frame_offset(profile.frame, -back.length), faces);
    if (status != Status::ok) return status;
    gp_Vec along = gp_Vec(to_dir(frame_row(profile.frame, 2))) * total;
    BRepPrimAPI_MakePrism sweep(faces.faces, along);
    if (!sweep.IsDone()) return Status::kernel_failure;
    OriginMap origins = sweep_origins(sweep, faces, feature, true);
    if (!front.clip && !back.clip) return finish(sweep.Shape(), origins, out);
    const SideReach& side = front.clip ? front : back;
    // The half-space on the profile's side of the stop plane.
    BRepBuilderAPI_MakeFace stop(gp_Pln(to_pnt(side.plane.origin), to_dir(side.plane.normal)));
    Vec3 inside = frame_point(profile.frame, profile.data->nodes.empty()
                                                 ? profile.data->entities[0].center
                                                 : profile.data->nodes[0]);
    BRepPrimAPI_MakeHalfSpace half(stop.Face(), to_pnt(inside));
    OriginMap stop_origin;
    stop_origin.Bind(stop.Face(),
                     {feature, front.clip ? FaceRole::end_cap : FaceRole::start_cap, 0});
    BRepAlgoAPI_Common clipped(sweep.Shape(), half.Solid());
    if (!clipped.IsDone() || clipped.HasErrors()) return Status::kernel_failure;
    OriginMap kept;
    carry_origins(clipped, sweep.Shape(), origins, kept);
    carry_origins(clipped, half.Solid(), stop_origin, kept);
    return finish(clipped.Shape(), kept, out);
  });
}

Status revolve(const Profile& profile, const Axis& axis, double front_degrees,
               double back_degrees, int feature, Shape& out) {
  if (!profile.data || !finite(axis.origin) || !finite(axis.direction) ||
      !std::isfinite(front_degrees) || !std::isfinite(back_degrees) || front_degrees < 0 ||
      back_degrees < 0)
    return Status::bad_input;
  double total = front_degrees + back_degrees;
  if (!(total > 1e-9)) return Status::zero_depth;
  if (total > 360 + 1e-9) return Status::bad_input;
  if (!in_model_box(axis.origin) || !turned_in_model_box(profile, axis))
    return Status::outside_model_box;
  const Frame& frame = profile.frame;
  double tol = profile.data->tolerance;
  Vec3 direction = unit(axis.direction);
  if (norm(direction) == 0 || std::fabs(dot(direction, frame_row(frame, 2))) > 1e-9 ||
      std::fabs(plane_distance(frame_plane(frame), axis.origin)) > tol)
    return Status::bad_axis;
  Vec2 along{dot(direction, frame_row(frame, 0)), dot(direction, frame_row(frame, 1))};
  double least = 0, greatest = 0;
  profile_side_range(*profile.data, frame_uv(frame, axis.origin), along, least, greatest);
  if (least < -tol && greatest > tol) return Status::bad_axis;
  return guarded([&] {
    Axis turning{axis.origin, direction};
    ProfileFaces faces;
    Status status = build_faces(*profile.data, frame_rotated(frame, turning, -back_degrees), faces);
    if (status != Status::ok) return status;
    gp_Ax1 ax1(to_pnt(axis.origin), to_dir(direction));
    bool full = total >= 360 - 1e-9;
    auto sweep = full ? BRepPrimAPI_MakeRevol(faces.faces, ax1)
                      : BRepPrimAPI_MakeRevol(faces.faces, ax1, total * pi / 180);
    if (!sweep.IsDone()) return Status::kernel_failure;
    return finish(sweep.Shape(), sweep_origins(sweep, faces, feature, !full), out);
  });
}

// The section tolerance of the host (sections.h), below which a circle has no size.
constexpr double hole_least_radius = 1e-6;

Status hole_tool(const Axis& axis, double diameter, const Extent& extent, const Shape& part,
                 int feature, Shape& out) {
  if (!std::isfinite(diameter) || !(diameter > 0) || !finite(axis.origin)) return Status::bad_input;
  if (diameter >= 2 * model_box_half || !in_model_box(axis.origin)) return Status::outside_model_box;
  // A circle no wider than the sections' tolerance has no size, as in a section.
  if (diameter / 2 <= hole_least_radius) return Status::degenerate_entity;
  // Any direction across the axis serves as the frame's u.
  Vec3 d = axis.direction;
  Vec3 hint = std::fabs(d[0]) <= std::fabs(d[1]) && std::fabs(d[0]) <= std::fabs(d[2])
                  ? Vec3{1, 0, 0}
                  : (std::fabs(d[1]) <= std::fabs(d[2]) ? Vec3{0, 1, 0} : Vec3{0, 0, 1});
  Frame frame;
  Status status = plane_frame({axis.origin, d}, hint, frame);
  if (status != Status::ok) return status;
  SectionEntity circle;
  circle.kind = EntityKind::circle;
  circle.radius = diameter / 2;
  Profile profile;
  status = profile_make(frame, {circle}, std::min(1e-6, diameter * 1e-3), profile, nullptr);
  if (status != Status::ok) return status;
  return prism(profile, extent, part, feature, out);
}

namespace {

// Whether the tool takes material from the part (remove) or adds material outside it
// (add), from the piece itself: their common, or the tool less the part. Its volume is
// rounded to its own size, not the part's. A piece thinner on average than the kernel's
// tolerance is none: the booleans take such an overlap for contact.
Status changes_material(const TopoDS_Shape& part, const TopoDS_Shape& tool, Combine how,
                        bool& changes) {
  auto measure = [&](BRepAlgoAPI_BooleanOperation& op) {
    if (!op.IsDone() || op.HasErrors()) return Status::kernel_failure;
    changes = false;
    if (!has_solid(op.Shape())) return Status::ok;
    GProp_GProps volume, area;
    BRepGProp::VolumeProperties(op.Shape(), volume);
    BRepGProp::SurfaceProperties(op.Shape(), area);
    changes = volume.Mass() > Precision::Confusion() * area.Mass() / 2;
    return Status::ok;
  };
  if (how == Combine::remove) {
    BRepAlgoAPI_Common op(part, tool);
    return measure(op);
  }
  BRepAlgoAPI_Cut op(tool, part);
  return measure(op);
}

}  // namespace

Status combine(const Shape& part, const Shape& tool, Combine how, Shape& out) {
  if (tool.empty()) return Status::bad_input;
  if (part.empty()) {
    if (how == Combine::remove) return Status::no_part;
    out = tool;
    return Status::ok;
  }
  return guarded([&] {
    const TopoDS_Shape& a = part.data->shape;
    const TopoDS_Shape& b = tool.data->shape;
    auto run = [&](BRepAlgoAPI_BooleanOperation& op) {
      if (!op.IsDone() || op.HasErrors()) return Status::kernel_failure;
      OriginMap origins;
      carry_origins(op, a, part.data->origins, origins);
      carry_origins(op, b, tool.data->origins, origins);
      if (how == Combine::remove && !has_solid(op.Shape())) return Status::empty_result;
      // A feature that changes no material fails (a tool that only touches the part would
      // leave its imprint on the part's faces), and so does material added apart from the
      // part, which would be a second body. A change of volume above the rounding of the
      // part's volume is material; a smaller one may be a small feature on a large part,
      // so then the material the tool takes or adds is measured by itself.
      GProp_GProps before, after;
      BRepGProp::VolumeProperties(a, before);
      BRepGProp::VolumeProperties(op.Shape(), after);
      if (std::fabs(after.Mass() - before.Mass()) <= 1e-9 * std::max(1.0, before.Mass())) {
        bool changes = false;
        Status measured = changes_material(a, b, how, changes);
        if (measured != Status::ok) return measured;
        if (!changes)
          return how == Combine::remove ? Status::no_intersection : Status::adds_nothing;
      }
      if (how == Combine::add && solid_count(op.Shape()) > solid_count(a)) return Status::no_intersection;
      return finish(op.Shape(), origins, out);
    };
    if (how == Combine::add) {
      BRepAlgoAPI_Fuse op(a, b);
      return run(op);
    }
    BRepAlgoAPI_Cut op(a, b);
    return run(op);
  });
}

// ---- Queries -----------------------------------------------------------------------------

SolidSummary solid_summary(const Shape& shape) {
  SolidSummary summary;
  if (shape.empty()) return summary;
  guarded([&] {
    const ShapeData& data = *shape.data;
    GProp_GProps props;
    BRepGProp::VolumeProperties(data.shape, props);
    summary.volume = props.Mass();
    summary.solids = solid_count(data.shape);
    summary.faces = static_cast<int>(data.faces.size());
    summary.edges = static_cast<int>(data.edges.size());
    Bnd_Box box;
    BRepBndLib::AddOptimal(data.shape, box, false, false);
    if (!box.IsVoid())
      box.Get(summary.box.min[0], summary.box.min[1], summary.box.min[2], summary.box.max[0],
              summary.box.max[1], summary.box.max[2]);
    return Status::ok;
  });
  return summary;
}

namespace {

const TopoDS_Face* face_of(const Shape& shape, int face) {
  if (shape.empty() || face < 1 || face > static_cast<int>(shape.data->faces.size()))
    return nullptr;
  return &shape.data->faces[face - 1];
}

}  // namespace

Status face_info(const Shape& shape, int face, FaceInfo& out) {
  const TopoDS_Face* f = face_of(shape, face);
  if (!f) return Status::not_found;
  return guarded([&] {
    BRepAdaptor_Surface surface(*f);
    FaceInfo info;
    gp_Ax3 axes;
    switch (surface.GetType()) {
      case GeomAbs_Plane:
        info.kind = SurfaceKind::plane;
        axes = surface.Plane().Position();
        break;
      case GeomAbs_Cylinder:
        info.kind = SurfaceKind::cylinder;
        axes = surface.Cylinder().Position();
        info.radius = surface.Cylinder().Radius();
        break;
      case GeomAbs_Cone:
        info.kind = SurfaceKind::cone;
        axes = surface.Cone().Position();
        info.radius = surface.Cone().RefRadius();
        info.semi_angle = surface.Cone().SemiAngle();
        break;
      case GeomAbs_Sphere:
        info.kind = SurfaceKind::sphere;
        axes = surface.Sphere().Position();
        info.radius = surface.Sphere().Radius();
        break;
      case GeomAbs_Torus:
        info.kind = SurfaceKind::torus;
        axes = surface.Torus().Position();
        info.radius = surface.Torus().MajorRadius();
        info.minor_radius = surface.Torus().MinorRadius();
        break;
      case GeomAbs_SurfaceOfRevolution: {
        info.kind = SurfaceKind::revolution;
        gp_Ax1 axis = surface.AxeOfRevolution();
        axes = gp_Ax3(axis.Location(), axis.Direction());
        break;
      }
      case GeomAbs_SurfaceOfExtrusion:
        info.kind = SurfaceKind::extrusion;
        axes = gp_Ax3(gp::Origin(), surface.Direction());
        break;
      default:
        info.kind = SurfaceKind::other;
        break;
    }
    info.origin = to_vec3(axes.Location());
    info.e1 = to_vec3(axes.XDirection());
    info.e2 = to_vec3(axes.YDirection());
    info.e3 = to_vec3(axes.Direction());
    info.reversed = f->Orientation() == TopAbs_REVERSED;
    if (info.kind == SurfaceKind::plane)
      info.normal = cross(info.e1, info.e2) * (info.reversed ? -1 : 1);
    BRepTools::UVBounds(*f, info.uv_min[0], info.uv_max[0], info.uv_min[1], info.uv_max[1]);
    info.origin_of = shape.data->origins.Find(*f);
    out = info;
    return Status::ok;
  });
}

Status face_eval(const Shape& shape, int face, const Vec2& uv, SurfacePoint& out) {
  const TopoDS_Face* f = face_of(shape, face);
  if (!f) return Status::not_found;
  if (!std::isfinite(uv[0]) || !std::isfinite(uv[1])) return Status::bad_input;
  if (std::fabs(uv[0]) > model_box_half || std::fabs(uv[1]) > model_box_half)
    return Status::outside_model_box;
  return guarded([&] {
    BRepAdaptor_Surface surface(*f);
    gp_Pnt p;
    gp_Vec du, dv, duu, dvv, duv;
    surface.D2(uv[0], uv[1], p, du, dv, duu, dvv, duv);
    SurfacePoint point{to_vec3(p), to_vec3(du), to_vec3(dv), to_vec3(duu), to_vec3(duv),
                       to_vec3(dvv), Vec3{}};
    BRepLProp_SLProps props(surface, uv[0], uv[1], 1, Precision::Confusion());
    if (props.IsNormalDefined())
      point.normal = to_vec3(props.Normal()) * (f->Orientation() == TopAbs_REVERSED ? -1 : 1);
    out = point;
    return Status::ok;
  });
}

Status face_uv(const Shape& shape, int face, const Vec3& point, Vec2& out) {
  const TopoDS_Face* f = face_of(shape, face);
  if (!f) return Status::not_found;
  if (!finite(point)) return Status::bad_input;
  if (!in_model_box(point)) return Status::outside_model_box;
  return guarded([&] {
    Handle(Geom_Surface) surface = BRep_Tool::Surface(*f);
    GeomAPI_ProjectPointOnSurf projection(to_pnt(point), surface);
    if (projection.NbPoints() == 0) return Status::kernel_failure;
    double u = 0, v = 0;
    projection.LowerDistanceParameters(u, v);
    double bounds[4];
    BRepTools::UVBounds(*f, bounds[0], bounds[1], bounds[2], bounds[3]);
    auto into_range = [](double value, double low, bool periodic, double period) {
      if (!periodic) return value;
      double slack = Precision::PConfusion();
      while (value < low - slack) value += period;
      while (value >= low + period - slack) value -= period;
      return value;
    };
    out = {into_range(u, bounds[0], surface->IsUPeriodic(),
                      surface->IsUPeriodic() ? surface->UPeriod() : 0),
           into_range(v, bounds[2], surface->IsVPeriodic(),
                      surface->IsVPeriodic() ? surface->VPeriod() : 0)};
    return Status::ok;
  });
}

Status edge_info(const Shape& shape, int edge, EdgeInfo& out) {
  if (shape.empty() || edge < 1 || edge > static_cast<int>(shape.data->edges.size()))
    return Status::not_found;
  return guarded([&] {
    BRepAdaptor_Curve curve(shape.data->edges[edge - 1]);
    EdgeInfo info;
    info.first = curve.FirstParameter();
    info.last = curve.LastParameter();
    info.start = to_vec3(curve.Value(info.first));
    info.end = to_vec3(curve.Value(info.last));
    if (curve.GetType() == GeomAbs_Line) {
      info.kind = CurveKind::line;
    } else if (curve.GetType() == GeomAbs_Circle) {
      info.kind = CurveKind::circle;
      gp_Circ circle = curve.Circle();
      const gp_Ax2& axes = circle.Position();
      info.center = to_vec3(axes.Location());
      info.e1 = to_vec3(axes.XDirection());
      info.e2 = to_vec3(axes.YDirection());
      info.e3 = to_vec3(axes.Direction());
      info.radius = circle.Radius();
    }
    info.length = GCPnts_AbscissaPoint::Length(curve);
    info.faces = shape.data->edge_faces[edge - 1];
    out = info;
    return Status::ok;
  });
}

Status face_loops(const Shape& shape, int face, std::vector<FaceLoop>& out) {
  if (shape.empty() || face < 1 || face > static_cast<int>(shape.data->faces.size()))
    return Status::not_found;
  return guarded([&] {
    const ShapeData& data = *shape.data;
    const TopoDS_Face& f = data.faces[face - 1];
    TopoDS_Wire outer = BRepTools::OuterWire(f);
    std::vector<FaceLoop> loops;
    for (TopoDS_Iterator it(f); it.More(); it.Next()) {
      if (it.Value().ShapeType() != TopAbs_WIRE) continue;
      const TopoDS_Wire& wire = TopoDS::Wire(it.Value());
      FaceLoop loop;
      loop.outer = wire.IsSame(outer);
      for (BRepTools_WireExplorer walk(wire, f); walk.More(); walk.Next()) {
        const TopoDS_Edge& edge = walk.Current();
        for (std::size_t i = 0; i < data.edges.size(); ++i)
          if (data.edges[i].IsSame(edge)) {
            int id = static_cast<int>(i) + 1;
            // A closed face's seam runs twice; an edge is listed once.
            if (std::find(loop.edges.begin(), loop.edges.end(), id) == loop.edges.end())
              loop.edges.push_back(id);
            break;
          }
      }
      if (loop.outer)
        loops.insert(loops.begin(), std::move(loop));
      else
        loops.push_back(std::move(loop));
    }
    out = std::move(loops);
    return Status::ok;
  });
}

PointHits geometry_at_point(const Shape& shape, const Vec3& point, double tolerance) {
  PointHits hits;
  if (shape.empty() || !in_model_box(point) || !(tolerance >= 0) || !std::isfinite(tolerance))
    return hits;
  Status status = guarded([&] {
    gp_Pnt p = to_pnt(point);
    TopoDS_Vertex vertex = BRepBuilderAPI_MakeVertex(p);
    auto near = [&](const TopoDS_Shape& item, Bnd_Box box) {
      box.Enlarge(tolerance);
      if (box.IsOut(p)) return false;
      BRepExtrema_DistShapeShape distance(vertex, item);
      return distance.IsDone() && distance.Value() <= tolerance;
    };
    const ShapeData& data = *shape.data;
    for (std::size_t i = 0; i < data.faces.size(); ++i)
      if (near(data.faces[i], data.face_boxes[i])) hits.faces.push_back(static_cast<int>(i) + 1);
    for (std::size_t i = 0; i < data.edges.size(); ++i)
      if (near(data.edges[i], data.edge_boxes[i])) hits.edges.push_back(static_cast<int>(i) + 1);
    return Status::ok;
  });
  if (status != Status::ok) return {};
  return hits;
}

// ---- Files -------------------------------------------------------------------------------

Status brep_write(const Shape& shape, const std::string& path) {
  if (shape.empty()) return Status::bad_input;
  return guarded([&] {
    std::ofstream file(path, std::ios::binary);
    if (!file) return Status::file_error;
    BRepTools::Write(shape.data->shape, file, false, false, TopTools_FormatVersion_CURRENT);
    file.close();
    return file ? Status::ok : Status::file_error;
  });
}

namespace {

// A solid from the text of a .brep file; null when the text holds none.
TopoDS_Shape parse_brep(const std::string& text) {
  std::istringstream stream(text);
  // The kernel's reader goes on reading a stream that has failed (a file cut short keeps
  // it looping): a failed read throws instead, which ends it.
  stream.exceptions(std::ios::failbit | std::ios::badbit);
  TopoDS_Shape shape;
  Status status = guarded([&] {
    BRep_Builder builder;
    BRepTools::Read(shape, stream, builder);
    return Status::ok;
  });
  if (status != Status::ok || shape.IsNull() || !has_solid(shape)) return {};
  if (guarded([&] {
        Bnd_Box box;
        BRepBndLib::Add(shape, box, false);
        if (box.IsVoid() || box.IsOpen()) return Status::bad_file;
        double low[3], high[3];
        box.Get(low[0], low[1], low[2], high[0], high[1], high[2]);
        if (!in_model_box({low[0], low[1], low[2]}) || !in_model_box({high[0], high[1], high[2]}))
          return Status::outside_model_box;
        return BRepCheck_Analyzer(shape).IsValid() ? Status::ok : Status::bad_file;
      }) != Status::ok)
    return {};
  return shape;
}

// Whether the text parses, found out in a child process: the kernel's reader trusts its
// input, and a damaged file can make it crash or read forever. The child says nothing
// (the kernel reports on the standard streams), leaves without running exit handlers and
// gets 10 seconds, which also ends it should it wait for a lock that another thread of
// the host held when it was forked.
bool parses_in_child(const std::string& text) {
  std::fflush(nullptr);
  pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    // A crash ends the child quietly: the crash handlers of the process (a sanitizer's,
    // a fuzzer's, which would report it as the parent's) stay with the parent.
    for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) std::signal(signal, SIG_DFL);
    int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) {
      ::dup2(null, STDOUT_FILENO);
      ::dup2(null, STDERR_FILENO);
    }
    ::alarm(10);
    ::_exit(parse_brep(text).IsNull() ? 1 : 0);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0)
    if (errno != EINTR) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

Status brep_read(const std::string& path, Shape& out) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return Status::file_error;
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) return Status::file_error;
  if (!parses_in_child(text)) return Status::bad_file;
  TopoDS_Shape shape = parse_brep(text);
  if (shape.IsNull()) return Status::bad_file;
  return guarded([&] {
    out.data = index_shape(shape, OriginMap());
    return Status::ok;
  });
}

}  // namespace yrlhost::geom
