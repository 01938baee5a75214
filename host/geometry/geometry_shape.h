// What the geometry module's kernel sources share (host/geometry/geometry.h is the
// interface): a Shape's kernel data, the guard around kernel calls and the conversions
// between the module's vectors and the kernel's. Only the module's kernel sources
// (geometry_occt.cpp, geometry_outline.cpp) include it.
#pragma once

#include <Bnd_Box.hxx>
#include <NCollection_DataMap.hxx>
#include <Standard_Failure.hxx>
#include <TopTools_ShapeMapHasher.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>
#include <gp_Dir.hxx>
#include <gp_Pnt.hxx>
#include <gp_Vec.hxx>

#include <array>
#include <cmath>
#include <exception>
#include <vector>

#include "host/geometry/geometry.h"

namespace yrlhost::geom {

using OriginMap = NCollection_DataMap<TopoDS_Shape, FaceOrigin, TopTools_ShapeMapHasher>;

// A shape with its faces and edges numbered (id = index + 1) and the faces' origins.
struct ShapeData {
  TopoDS_Shape shape;
  std::vector<TopoDS_Face> faces;
  OriginMap origins;  // of every face
  std::vector<Bnd_Box> face_boxes;
  std::vector<TopoDS_Edge> edges;   // no seams, no degenerate edges
  std::vector<std::array<int, 2>> edge_faces;
  std::vector<Bnd_Box> edge_boxes;
};

// Runs a kernel computation, turning the kernel's exceptions into a status.
template <class Work>
Status guarded(Work&& work) {
  try {
    return work();
  } catch (const Standard_Failure&) {
    return Status::kernel_failure;
  } catch (const std::exception&) {
    return Status::kernel_failure;
  }
}

inline gp_Pnt to_pnt(const Vec3& v) { return gp_Pnt(v[0], v[1], v[2]); }
inline gp_Dir to_dir(const Vec3& v) { return gp_Dir(v[0], v[1], v[2]); }
inline Vec3 to_vec3(const gp_XYZ& v) { return {v.X(), v.Y(), v.Z()}; }
inline Vec3 to_vec3(const gp_Pnt& p) { return to_vec3(p.XYZ()); }
inline Vec3 to_vec3(const gp_Vec& v) { return to_vec3(v.XYZ()); }
inline Vec3 to_vec3(const gp_Dir& d) { return to_vec3(d.XYZ()); }

inline bool finite(const Vec3& v) {
  return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

}  // namespace yrlhost::geom
