// Geometry data records that the host's geometry functions fill and return and that the
// toolkit's local Init and Get functions write and read: curves, surfaces and the host's
// geometry data of a geometry item. Their byte layout is a contract with the host; every
// fixed offset is pinned below. Pointer fields are pointer-sized.
#pragma once

#include <cstddef>

#include "toolkit/api/host_base_types.h"

// ---- Curves --------------------------------------------------------------------------

// Curve type codes (word 0 of every curve layout).
enum : int {
  VYN_CURVE_POINT = 1,
  VYN_CURVE_LINE = 2,
  VYN_CURVE_ARC = 3,
  VYN_CURVE_TEXT = 6,
  VYN_CURVE_ARROW = 8,
  VYN_CURVE_CIRCLE = 10,
  VYN_CURVE_SPLINE = 12,
  VYN_CURVE_BSPLINE = 19,
  VYN_CURVE_ELLIPSE = 30,
  VYN_CURVE_COMPOSITE = 41,
};

constexpr std::size_t VYN_CURVEDATA_SIZE = 664;

struct VynPointCurve {
  int type;
  int unused;
  double pos[3];
};
struct VynLineCurve {
  int type;
  int unused;
  double end1[3];
  double end2[3];
};
struct VynArcCurve {
  int type;
  int unused;
  double vec1[3];
  double vec2[3];
  double origin[3];
  double start_angle;
  double end_angle;
  double radius;
};
struct VynEllipseCurve {
  int type;
  int unused;
  double origin[3];
  double vec1[3];
  double vec2[3];
  double major_axis_len;
  double minor_axis_len;
  double start_angle;
  double end_angle;
};
// Two vectors and a double, in the order of the circle's Init arguments.
struct VynCircleCurve {
  int type;
  int unused;
  double vector1[3];
  double vector2[3];
  double value;
};
struct VynArrowCurve {
  int type;
  int unused;
  double point1[3];
  double point2[3];
};
// A text, a point, a double, an int, a font name and four doubles, in the order of the
// text's Init arguments.
struct VynTextCurve {
  int type;
  VynWchar text[260];
  double point[3];
  double value;
  int int_value;
  VynWchar font[32];
  double values[4];
};
// The degree and the parameter array; the rest is the host's.
struct VynBsplineCurve {
  int type;
  int degree;
  VynArray params;
};

struct VynCurvedata {
  union {
    VynPointCurve point;
    VynLineCurve line;
    VynArcCurve arc;
    VynEllipseCurve ellipse;
    VynCircleCurve circle;
    VynArrowCurve arrow;
    VynTextCurve text;
    VynBsplineCurve bspline;
    unsigned char bytes[VYN_CURVEDATA_SIZE];  // the spline and composite layouts are the host's
  };
};

static_assert(sizeof(VynCurvedata) == VYN_CURVEDATA_SIZE);
static_assert(offsetof(VynPointCurve, pos) == 8);
static_assert(offsetof(VynLineCurve, end1) == 8 && offsetof(VynLineCurve, end2) == 32);
static_assert(offsetof(VynArcCurve, vec1) == 8 && offsetof(VynArcCurve, vec2) == 32 &&
              offsetof(VynArcCurve, origin) == 56 && offsetof(VynArcCurve, start_angle) == 80 &&
              offsetof(VynArcCurve, end_angle) == 88 && offsetof(VynArcCurve, radius) == 96);
static_assert(offsetof(VynEllipseCurve, origin) == 8 && offsetof(VynEllipseCurve, vec1) == 32 &&
              offsetof(VynEllipseCurve, vec2) == 56 &&
              offsetof(VynEllipseCurve, major_axis_len) == 80 &&
              offsetof(VynEllipseCurve, minor_axis_len) == 88 &&
              offsetof(VynEllipseCurve, start_angle) == 96 &&
              offsetof(VynEllipseCurve, end_angle) == 104);
static_assert(offsetof(VynCircleCurve, vector1) == 8 && offsetof(VynCircleCurve, vector2) == 32 &&
              offsetof(VynCircleCurve, value) == 56);
static_assert(offsetof(VynArrowCurve, point1) == 8 && offsetof(VynArrowCurve, point2) == 32);
static_assert(offsetof(VynTextCurve, text) == 4 && offsetof(VynTextCurve, point) == 528 &&
              offsetof(VynTextCurve, value) == 552 && offsetof(VynTextCurve, int_value) == 560 &&
              offsetof(VynTextCurve, font) == 564 && offsetof(VynTextCurve, values) == 632 &&
              sizeof(VynTextCurve) == VYN_CURVEDATA_SIZE);
static_assert(offsetof(VynBsplineCurve, degree) == 4 && offsetof(VynBsplineCurve, params) == 8);

// A curve record followed by its direction.
struct VynComponentCurvedata {
  VynCurvedata curve;
  int direction;
};
static_assert(offsetof(VynComponentCurvedata, direction) == VYN_CURVEDATA_SIZE);

// ---- Surfaces ------------------------------------------------------------------------

// Surface type codes (word 0 of the surface record).
enum : int {
  VYN_SRF_PLANE = 34,
  VYN_SRF_CYLINDER = 36,
  VYN_SRF_CONE = 37,
  VYN_SRF_TORUS = 38,
  VYN_SRF_SPLINE = 40,
  VYN_SRF_FILLET = 41,
  VYN_SRF_RULED = 42,
  VYN_SRF_REVOLVE = 43,
  VYN_SRF_TABULATED_CYLINDER = 44,
  VYN_SRF_BSPLINE = 45,
  VYN_SRF_FOREIGN = 46,
  VYN_SRF_CYLINDRICAL_SPLINE = 48,
};

constexpr std::size_t VYN_SURFACE_SHAPE_SIZE = 2848;
constexpr std::size_t VYN_SURFACEDATA_SIZE = 2984;

// The axes and origin that every shape but the fillet begins with.
struct VynPlaneShape {
  double e1[3];
  double e2[3];
  double e3[3];
  double origin[3];
};
struct VynCylinderShape {
  VynPlaneShape axes;
  double radius;
};
struct VynConeShape {
  VynPlaneShape axes;
  double alpha;
};
struct VynTorusShape {
  VynPlaneShape axes;
  double radius1;
  double radius2;
};
// Surface of revolution and tabulated cylinder.
struct VynCurveShape {
  VynPlaneShape axes;
  VynCurvedata curve;
};
struct VynRuledShape {
  VynPlaneShape axes;
  VynCurvedata Curve_1;
  VynCurvedata Curve_2;
};
// Cylindrical and spherical spline surfaces: the spline surface data is the host's.
struct VynSplineShape {
  VynPlaneShape axes;
  unsigned char spline_surface[32];
};
// Three spline data records of 20 bytes each, filled by the host.
struct VynFilletShape {
  unsigned char pnt_spline[20];
  unsigned char ctr_spline[20];
  unsigned char tan_spline[20];
};

union VynSurfaceShape {
  VynPlaneShape plane;
  VynCylinderShape cylinder;
  VynConeShape cone;
  VynTorusShape torus;
  VynCurveShape srfrev;
  VynCurveShape tabcyl;
  VynRuledShape rulsrf;
  VynSplineShape cylsplsrf;
  VynSplineShape sphsplsrf;
  VynFilletShape filsrf;
  unsigned char bytes[VYN_SURFACE_SHAPE_SIZE];
};

struct VynSurfacedata {
  int type;
  int unused1;
  double uv_min[2];
  double uv_max[2];
  unsigned char reserved[48];  // zero after Init; the local functions leave it alone
  int orient;
  int unused2;
  VynSurfaceShape shape;
  int stamp[4];  // new-surface stamp: the stamp value, two words of the host's, the id
  int id;
  unsigned char unused_end[20];
};

static_assert(sizeof(VynSurfaceShape) == VYN_SURFACE_SHAPE_SIZE);
static_assert(offsetof(VynPlaneShape, e2) == 24 && offsetof(VynPlaneShape, e3) == 48 &&
              offsetof(VynPlaneShape, origin) == 72);
static_assert(offsetof(VynCylinderShape, radius) == 96 && offsetof(VynConeShape, alpha) == 96 &&
              offsetof(VynTorusShape, radius1) == 96 && offsetof(VynTorusShape, radius2) == 104);
static_assert(offsetof(VynCurveShape, curve) == 96 && offsetof(VynRuledShape, Curve_1) == 96 &&
              offsetof(VynRuledShape, Curve_2) == 760);
static_assert(offsetof(VynSplineShape, spline_surface) == 96);
static_assert(offsetof(VynFilletShape, ctr_spline) == 20 &&
              offsetof(VynFilletShape, tan_spline) == 40);
static_assert(sizeof(VynSurfacedata) == VYN_SURFACEDATA_SIZE);
static_assert(offsetof(VynSurfacedata, uv_min) == 8 && offsetof(VynSurfacedata, uv_max) == 24 &&
              offsetof(VynSurfacedata, reserved) == 40 && offsetof(VynSurfacedata, orient) == 88 &&
              offsetof(VynSurfacedata, shape) == 96 && offsetof(VynSurfacedata, stamp) == 2944 &&
              offsetof(VynSurfacedata, id) == 2960);

// ---- Geometry data of a geometry item ------------------------------------------------

// The kind of geometry a VynGeomitemdata holds: the item type of its geometry item.
enum : int {
  VYN_GEOMITEMDATA_SURFACE = 5,  // data.p_surface_data
  VYN_GEOMITEMDATA_EDGE = 6,     // data.p_curve_data (the edge's curve)
  VYN_GEOMITEMDATA_CURVE = 62,   // data.p_curve_data
};

// The host's record of an item's geometry; the host allocates it and frees it with
// VynGeomitemdataFree, the pointed-to data with it.
struct VynGeomitemdata {
  int obj_type;
  union {
    VynCurvedata* p_curve_data;
    VynSurfacedata* p_surface_data;
  } data;
};
static_assert(offsetof(VynGeomitemdata, data) == sizeof(void*));
