// The outline of a shape in a view: the kernel's exact hidden-line removal (HLRBRep)
// splits the shape's edges and silhouettes into visible and hidden pieces, given in the
// view's plane; each piece becomes a line, an arc or a polyline.
#include <BRepAdaptor_Curve.hxx>
#include <BRepBndLib.hxx>
#include <Bnd_Box.hxx>
#include <GCPnts_QuasiUniformDeflection.hxx>
#include <HLRAlgo_Projector.hxx>
#include <HLRBRep_Algo.hxx>
#include <HLRBRep_HLRToShape.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <gp_Ax2.hxx>
#include <gp_Circ.hxx>

#include <algorithm>
#include <cmath>

#include "host/geometry/geometry.h"
#include "host/geometry/geometry_profile.h"
#include "host/geometry/geometry_shape.h"

namespace yrlhost::geom {
namespace {

// The most points a polyline of one curve piece takes.
constexpr int polyline_points_max = 400;

bool axes_valid(const ViewAxes& axes) {
  for (const Vec3* v : {&axes.right, &axes.toward})
    if (!finite(*v) || std::fabs(norm(*v) - 1) > 1e-9) return false;
  return std::fabs(dot(axes.right, axes.toward)) <= 1e-9;
}

Vec2 plane_point(const gp_Pnt& p) { return {p.X(), p.Y()}; }

// The points of a polyline without those that lie on the straight run between their
// neighbours (within tolerance, and between them): a circle seen edge-on comes from the
// kernel as a curve whose points all lie on one line.
std::vector<Vec2> straight_runs_joined(const std::vector<Vec2>& points, double tolerance) {
  std::vector<Vec2> kept;
  for (const Vec2& p : points) {
    if (kept.size() >= 2) {
      const Vec2 a = kept[kept.size() - 2], along = p - a, middle = kept.back() - a;
      const double length = norm(along);
      const double t = length > 0 ? dot(middle, along) / (length * length) : -1;
      if (t >= 0 && t <= 1 && std::fabs(cross(along, middle)) <= tolerance * length)
        kept.pop_back();
    }
    if (kept.empty() || norm(p - kept.back()) > tolerance) kept.push_back(p);
  }
  return kept;
}

// A piece of the hidden-line result, in the projector's plane (z is 0 there).
OutlineCurve outline_piece(const TopoDS_Edge& edge, bool visible, double deflection,
                           double tolerance) {
  BRepAdaptor_Curve curve(edge);
  const double first = curve.FirstParameter(), last = curve.LastParameter();
  OutlineCurve piece;
  piece.visible = visible;
  piece.points = {plane_point(curve.Value(first)), plane_point(curve.Value(last))};
  if (curve.GetType() == GeomAbs_Line) return piece;
  if (curve.GetType() == GeomAbs_Circle) {
    const gp_Circ circle = curve.Circle();
    const gp_Ax2& position = circle.Position();
    // A circle of the plane turns counter-clockwise as seen when its normal is +z; one
    // turning the other way runs from its last point to its first.
    if (std::fabs(std::fabs(position.Direction().Z()) - 1) <= 1e-9) {
      const bool counter_clockwise = position.Direction().Z() > 0;
      piece.kind = OutlineKind::arc;
      piece.center = plane_point(position.Location());
      piece.radius = circle.Radius();
      piece.sweep = std::min(last - first, 2 * pi);
      const Vec2 from = counter_clockwise ? piece.points[0] : piece.points[1];
      piece.start_angle = std::atan2(from[1] - piece.center[1], from[0] - piece.center[0]);
      if (!counter_clockwise) std::swap(piece.points[0], piece.points[1]);
      return piece;
    }
  }
  GCPnts_QuasiUniformDeflection sampled(curve, deflection, first, last);
  const int count = sampled.IsDone() ? sampled.NbPoints() : 0;
  std::vector<Vec2> points;
  if (count >= 2 && count <= polyline_points_max) {
    for (int i = 1; i <= count; ++i) points.push_back(plane_point(sampled.Value(i)));
  } else {
    for (int i = 0; i < polyline_points_max; ++i)
      points.push_back(
          plane_point(curve.Value(first + (last - first) * i / (polyline_points_max - 1))));
  }
  piece.points = straight_runs_joined(points, tolerance);
  piece.kind = piece.points.size() == 2 ? OutlineKind::line : OutlineKind::polyline;
  return piece;
}

double segment_distance(const Vec2& p, const Vec2& a, const Vec2& b) {
  const Vec2 along = b - a;
  const double length2 = dot(along, along);
  const double t = length2 > 0 ? std::clamp(dot(p - a, along) / length2, 0.0, 1.0) : 0.0;
  return norm(p - (a + along * t));
}

double piece_distance(const Vec2& p, const OutlineCurve& piece) {
  if (piece.kind == OutlineKind::arc) {
    const Vec2 d = p - piece.center;
    const double turned = std::fmod(std::atan2(d[1], d[0]) - piece.start_angle + 4 * pi, 2 * pi);
    if (turned <= piece.sweep) return std::fabs(norm(d) - piece.radius);
    return std::min(norm(p - piece.points[0]), norm(p - piece.points[1]));
  }
  double least = HUGE_VAL;
  for (std::size_t i = 0; i + 1 < piece.points.size(); ++i)
    least = std::min(least, segment_distance(p, piece.points[i], piece.points[i + 1]));
  return least;
}

// Points along a piece, its ends included.
std::vector<Vec2> piece_samples(const OutlineCurve& piece) {
  constexpr int count = 16;
  std::vector<Vec2> points;
  for (int i = 0; i <= count; ++i) {
    const double t = static_cast<double>(i) / count;
    if (piece.kind == OutlineKind::arc) {
      const double a = piece.start_angle + t * piece.sweep;
      points.push_back(piece.center + Vec2{std::cos(a), std::sin(a)} * piece.radius);
    } else {
      const double at = t * static_cast<double>(piece.points.size() - 1);
      const std::size_t k = std::min(static_cast<std::size_t>(at), piece.points.size() - 2);
      points.push_back(piece.points[k] + (piece.points[k + 1] - piece.points[k]) * (at - static_cast<double>(k)));
    }
  }
  return points;
}

// Whether a hidden piece runs along visible ones all the way: a drawing shows the
// visible line there.
bool behind_visible(const OutlineCurve& hidden, const std::vector<OutlineCurve>& pieces,
                    double tolerance) {
  for (const Vec2& p : piece_samples(hidden)) {
    bool covered = false;
    for (const OutlineCurve& piece : pieces)
      if (piece.visible && piece_distance(p, piece) <= tolerance) {
        covered = true;
        break;
      }
    if (!covered) return false;
  }
  return true;
}

void pieces_add(const TopoDS_Shape& compound, bool visible, double deflection, double tolerance,
                std::vector<OutlineCurve>& out) {
  if (compound.IsNull()) return;
  for (TopExp_Explorer it(compound, TopAbs_EDGE); it.More(); it.Next()) {
    OutlineCurve piece = outline_piece(TopoDS::Edge(it.Current()), visible, deflection, tolerance);
    // A piece seen end-on (an edge along the view) is a point: nothing to draw.
    if (piece.kind != OutlineKind::arc &&
        (piece.points.size() < 2 ||
         (piece.points.size() == 2 && norm(piece.points[1] - piece.points[0]) <= tolerance)))
      continue;
    out.push_back(std::move(piece));
  }
}

}  // namespace

ViewAxes isometric_axes() {
  const double a = 1 / std::sqrt(2.0), b = 1 / std::sqrt(3.0);
  return {{a, 0, -a}, {b, b, b}};
}

Status shape_outline(const Shape& shape, const ViewAxes& axes, std::vector<OutlineCurve>& out) {
  if (shape.empty() || !axes_valid(axes)) return Status::bad_input;
  return guarded([&] {
    Bnd_Box box;
    BRepBndLib::Add(shape.data->shape, box, false);
    const double size = std::max(std::sqrt(box.SquareExtent()), 1e-9);
    const double deflection = 1e-3 * size, tolerance = 1e-9 * size;
    Handle(HLRBRep_Algo) algo = new HLRBRep_Algo();
    algo->Add(shape.data->shape);
    // The projector's plane has x along right and y along toward x right; its z points
    // to the viewer.
    algo->Projector(HLRAlgo_Projector(gp_Ax2(gp::Origin(), to_dir(axes.toward), to_dir(axes.right))));
    algo->Update();
    algo->Hide();
    HLRBRep_HLRToShape result(algo);
    std::vector<OutlineCurve> curves;
    pieces_add(result.HCompound(), false, deflection, tolerance, curves);
    pieces_add(result.OutLineHCompound(), false, deflection, tolerance, curves);
    pieces_add(result.VCompound(), true, deflection, tolerance, curves);
    pieces_add(result.OutLineVCompound(), true, deflection, tolerance, curves);
    std::vector<OutlineCurve> kept;
    for (OutlineCurve& piece : curves)
      if (piece.visible || !behind_visible(piece, curves, 1e3 * tolerance))
        kept.push_back(std::move(piece));
    out = std::move(kept);
    return Status::ok;
  });
}

}  // namespace yrlhost::geom
