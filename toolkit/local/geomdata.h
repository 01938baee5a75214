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

// A spline through its points: the parameter of each point (a VynArray of doubles), the
// points and the tangents there (VynArrays of three doubles each) and the point count.
// The arrays belong to whoever filled the record.
struct VynSplineCurve {
  int type;
  int unused;
  VynArray params;
  VynArray points;
  VynArray tangents;
  int num_points;
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
    VynSplineCurve spline;
    unsigned char bytes[VYN_CURVEDATA_SIZE];  // the composite layout is the host's
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
static_assert(offsetof(VynSplineCurve, params) == 8 && offsetof(VynSplineCurve, points) == 16 &&
              offsetof(VynSplineCurve, tangents) == 24 && offsetof(VynSplineCurve, num_points) == 32);

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

// ---- Contours, datums, interfaces, quilts, import-feature sources --------------------

// A contour of a surface: how it is traversed (0 none, -1 internal, any other value
// external) and the host array of its edge ids.
struct VynContourdata {
  int traversal;
  VynArray edge_ids;
};
static_assert(offsetof(VynContourdata, edge_ids) == sizeof(void*));

// A datum feature's data: a value kept for the host, the datum's type (25, 62 or 176),
// its name and its curve.
struct VynDatumdata {
  int value;
  int type;
  VynName name;
  VynCurvedata curve;
};
static_assert(offsetof(VynDatumdata, type) == 4 && offsetof(VynDatumdata, name) == 8 &&
              offsetof(VynDatumdata, curve) == 72);

// A datum curve: a whole curve record.
struct VynDatumCurvedata {
  VynCurvedata curve;
};
static_assert(sizeof(VynDatumCurvedata) == VYN_CURVEDATA_SIZE);

// Datum plane and datum coordinate-system data: 96 bytes each, copied whole; their
// meaning is the host's.
constexpr std::size_t VYN_DATUM_FRAME_SIZE = 96;
struct VynDatumPlanedata {
  alignas(8) unsigned char bytes[VYN_DATUM_FRAME_SIZE];
};
struct VynDatumCsysdata {
  alignas(8) unsigned char bytes[VYN_DATUM_FRAME_SIZE];
};
static_assert(sizeof(VynDatumPlanedata) == 96 && sizeof(VynDatumCsysdata) == 96);

// The head of the host's interface data: the accuracy type and value and the outline
// (two corner points). The host allocates the record (VynIntfDataAlloc); its further
// contents are reached through the host's functions only.
struct VynIntfData {
  int accuracy_type;
  int unused;
  double accuracy;
  double outline[2][3];
};
static_assert(offsetof(VynIntfData, accuracy) == 8 && offsetof(VynIntfData, outline) == 16 &&
              sizeof(VynIntfData::outline) == 48);

// A quilt's data: one word.
struct VynQuiltdata {
  int value;
};
static_assert(sizeof(VynQuiltdata) == 4);

// The source of an import feature's redefinition: its type, then 4 bytes of source data
// for type 0 or 8 bytes for type 1.
struct VynImportfeatRedefSource {
  int type;
  unsigned char data[8];
};
static_assert(offsetof(VynImportfeatRedefSource, data) == 4 &&
              sizeof(VynImportfeatRedefSource) == 12);

// ---- New-surface stamp ---------------------------------------------------------------

// The value in word 0 of a stamped surface record's stamp (VynSurfacedata::stamp).
extern const int new_vek_surf_magic_number;  // 1234567890
// Whether VynSurfacedataInit stamps the records it writes; 0 at load.
extern int new_vek_srf_flavour;

void set_new_vek_srf_flavour(int flavour);
int get_new_vek_srf_flavour();

// 1 when stamp is given and holds the stamp value, else 0.
int is_new_vek_surf(const int* stamp);
// Writes the stamp value into stamp: 1, or 0 for a null stamp.
int set_new_vek_surf(int* stamp);
// Word 3 of a stamped stamp, else 0.
int get_new_vek_surf_id(const int* stamp);
// Writes id into word 3 of a stamped stamp: 1, else 0 and nothing written.
int set_new_vek_surf_id(int* stamp, int id);
// Word 3 of holder when stamp is stamped and holder given, else null.
VynArray get_new_vek_surf_contour_arr(const int* stamp, const VynArray* holder);
// Writes array into word 3 of holder when stamp is stamped and holder given: 1, else 0.
int set_new_vek_surf_contour_arr(const int* stamp, VynArray* holder, VynArray array);

// ---- Curve records -------------------------------------------------------------------
//
// The Init functions write the kind's type code into word 0 and copy the given values;
// the bytes that the kind does not use stay as they were. They fail with -2 for a null
// record or a null point, vector or string, and then write nothing. The Get functions
// fail with -2 for a null record and with -18 (writing nothing) when word 0 is not the
// kind's type code; they write every output that is given. Points and vectors are three
// doubles.

// The low byte of word 0; -2 when record or type is null.
VynError VynCurvedataTypeGet(const VynCurvedata* record, int* type);
// Stores type as the whole of word 0.
VynError VynCurvedataTypeSet(VynCurvedata* record, int type);

VynError VynPointdataInit(const double* pos, VynCurvedata* record);
VynError VynPointdataGet(const VynCurvedata* record, double* pos);

VynError VynLinedataInit(const double* end1, const double* end2, VynCurvedata* record);
VynError VynLinedataGet(const VynCurvedata* record, double* end1, double* end2);

VynError VynArcdataInit(const double* vec1, const double* vec2, const double* origin,
                        double start_angle, double end_angle, double radius,
                        VynCurvedata* record);
VynError VynArcdataGet(const VynCurvedata* record, double* vec1, double* vec2, double* origin,
                       double* start_angle, double* end_angle, double* radius);

VynError VynEllipsedataInit(const double* origin, const double* vec1, const double* vec2,
                            double major_axis_len, double minor_axis_len, double start_angle,
                            double end_angle, VynCurvedata* record);
VynError VynEllipsedataGet(const VynCurvedata* record, double* origin, double* vec1,
                           double* vec2, double* major_axis_len, double* minor_axis_len,
                           double* start_angle, double* end_angle);

// The record stands first in Init and last in Get.
VynError VynCircledataInit(VynCurvedata* record, const double* vector1, const double* vector2,
                           double value);
VynError VynCircledataGet(double* vector1, double* vector2, double* value,
                          const VynCurvedata* record);

VynError VynArrowdataInit(const double* point1, const double* point2, VynCurvedata* record);
VynError VynArrowdataGet(const VynCurvedata* record, double* point1, double* point2);

// text and font are copied up to their terminators, cut to 259 and 31 characters, and
// always terminated; the rest of each field is cleared. Get copies the whole fields
// (260 and 32 characters).
VynError VynTextdataInit(const VynWchar* text, const double* point, double value, int int_value,
                         const VynWchar* font, double value1, double value2, double value3,
                         double value4, VynCurvedata* record);
VynError VynTextdataGet(const VynCurvedata* record, VynWchar* text, double* point, double* value,
                        int* int_value, VynWchar* font, double* value1, double* value2,
                        double* value3, double* value4);

// A copy of curve and direction; -2 when component or curve is null.
VynError VynComponentCurvedataInit(const VynCurvedata* curve, int direction,
                                   VynComponentCurvedata* component);
// -2 when component or curve is null; direction is written when given.
VynError VynComponentCurvedataGet(const VynComponentCurvedata* component, VynCurvedata* curve,
                                  int* direction);

// 0 when the inner knots of a B-spline curve record (type 19) are distinct, else -2: a
// record of another type, a negative degree, a parameter array whose size the host
// cannot give or that holds fewer than degree + 1 values, or two parameters of the inner
// range closer than 1e-9 of the whole range.
VynError VynBsplinedataCheckInnerKnotsMultiplicity(const VynCurvedata* record);

// ---- Contour records -----------------------------------------------------------------

VynError VynContourdataInit(int traversal, VynContourdata* record);
// -2 when record or traversal is null.
VynError VynContourdataGet(const VynContourdata* record, int* traversal);
// -2 when record or array is null.
VynError VynContourdataEdgeIdArrayGet(const VynContourdata* record, VynArray* array);

// ---- Surface records -----------------------------------------------------------------

// Clears the record, stores type, uv_min and uv_max (two doubles each; null leaves
// zeros), orient, a copy of shape and id, and stamps the record with id when the
// new-surface flag is on. -2 when record or shape is null.
VynError VynSurfacedataInit(int type, const double* uv_min, const double* uv_max, int orient,
                            const VynSurfaceShape* shape, int id, VynSurfacedata* record);
// Every given output gets its field; id gets the stamp's id when the record is stamped.
VynError VynSurfacedataGet(const VynSurfacedata* record, int* type, double* uv_min,
                           double* uv_max, int* orient, VynSurfaceShape* shape, int* id);

// Shapes. Init writes the axes and origin (a null vector as 0, 0, 0) and the kind's
// further fields, and fails with -2 only for a null shape unless noted; Get fails with
// -2 for a null shape and writes every output that is given.
VynError VynPlanedataInit(const double* e1, const double* e2, const double* e3,
                          const double* origin, VynSurfaceShape* shape);
VynError VynPlanedataGet(const VynSurfaceShape* shape, double* e1, double* e2, double* e3,
                         double* origin);

VynError VynCylinderdataInit(const double* e1, const double* e2, const double* e3,
                             const double* origin, double radius, VynSurfaceShape* shape);
VynError VynCylinderdataGet(const VynSurfaceShape* shape, double* e1, double* e2, double* e3,
                            double* origin, double* radius);

VynError VynConedataInit(const double* e1, const double* e2, const double* e3,
                         const double* origin, double alpha, VynSurfaceShape* shape);
VynError VynConedataGet(const VynSurfaceShape* shape, double* e1, double* e2, double* e3,
                        double* origin, double* alpha);

VynError VynTorusdataInit(const double* e1, const double* e2, const double* e3,
                          const double* origin, double radius1, double radius2,
                          VynSurfaceShape* shape);
VynError VynTorusdataGet(const VynSurfaceShape* shape, double* e1, double* e2, double* e3,
                         double* origin, double* radius1, double* radius2);

// The generating curve must be a line, arc, ellipse, spline or B-spline: -2 when its type
// cannot be read, -44 for another kind (nothing written), -43 for a B-spline whose inner
// knots repeat (the shape is written all the same).
VynError VynSrfrevdataInit(const double* e1, const double* e2, const double* e3,
                           const double* origin, const VynCurvedata* curve,
                           VynSurfaceShape* shape);
VynError VynSrfrevdataGet(const VynSurfaceShape* shape, double* e1, double* e2, double* e3,
                          double* origin, VynCurvedata* curve);
VynError VynTabcyldataInit(const double* e1, const double* e2, const double* e3,
                           const double* origin, const VynCurvedata* curve,
                           VynSurfaceShape* shape);
VynError VynTabcyldataGet(const VynSurfaceShape* shape, double* e1, double* e2, double* e3,
                          double* origin, VynCurvedata* curve);

// As the surface of revolution, each curve may also be a point, but not both.
VynError VynRulsrfdataInit(const double* e1, const double* e2, const double* e3,
                           const double* origin, const VynCurvedata* Curve_1,
                           const VynCurvedata* Curve_2, VynSurfaceShape* shape);
VynError VynRulsrfdataGet(const VynSurfaceShape* shape, double* e1, double* e2, double* e3,
                          double* origin, VynCurvedata* Curve_1, VynCurvedata* Curve_2);

// The spline surface data is 32 bytes of the host's; Init: -2 also when it is null.
VynError VynCylsplsrfdataInit(const double* e1, const double* e2, const double* e3,
                              const double* origin, const void* spline_surface,
                              VynSurfaceShape* shape);
VynError VynCylsplsrfdataGet(const VynSurfaceShape* shape, double* e1, double* e2, double* e3,
                             double* origin, void* spline_surface);
VynError VynSphsplsrfdataInit(const double* e1, const double* e2, const double* e3,
                              const double* origin, const void* spline_surface,
                              VynSurfaceShape* shape);
VynError VynSphsplsrfdataGet(const VynSurfaceShape* shape, double* e1, double* e2, double* e3,
                             double* origin, void* spline_surface);

// Three spline data records of 20 bytes of the host's; Init: -2 when any is null.
VynError VynFilsrfdataInit(const void* pnt_spline, const void* ctr_spline,
                           const void* tan_spline, VynSurfaceShape* shape);
VynError VynFilsrfdataGet(const VynSurfaceShape* shape, void* pnt_spline, void* ctr_spline,
                          void* tan_spline);

// ---- Datum records -------------------------------------------------------------------

// -2 when record or curve is null (nothing written). Stores value, the name (cut to 31
// characters, always terminated, the rest cleared; all cleared for a null name) and a
// copy of curve; then type when it is 25, 62 or 176, else -2 with the type left as it was.
VynError VynDatumdataInit(int value, int type, const VynWchar* name, const VynCurvedata* curve,
                          VynDatumdata* record);
// name gets the whole 32-character field.
VynError VynDatumdataGet(const VynDatumdata* record, int* value, int* type, VynWchar* name,
                         VynCurvedata* curve);

// A copy of curve; -2 when either is null or the curve's type cannot be read, -43 (after
// copying) for a B-spline whose inner knots repeat.
VynError VynDatumCurvedataInit(const VynCurvedata* curve, VynDatumCurvedata* datum_curve);
// -2 when either is null.
VynError VynDatumCurvedataGet(const VynDatumCurvedata* datum_curve, VynCurvedata* curve);

// Copies of the 96 bytes; -2 when either is null.
VynError VynDatumPlanedataInit(const VynDatumPlanedata* source, VynDatumPlanedata* target);
VynError VynDatumPlanedataGet(const VynDatumPlanedata* source, VynDatumPlanedata* target);
VynError VynDatumCsysdataInit(const VynDatumCsysdata* source, VynDatumCsysdata* target);
VynError VynDatumCsysdataGet(const VynDatumCsysdata* source, VynDatumCsysdata* target);

// ---- Interface, import-feature and quilt records ---------------------------------------

// Get: -2 for a null record, a null output is skipped. Set: -2 for a null record (and a
// null outline).
VynError VynIntfDataAccuracytypeGet(const VynIntfData* record, int* accuracy_type);
VynError VynIntfDataAccuracytypeSet(VynIntfData* record, int accuracy_type);
VynError VynIntfDataAccuracyGet(const VynIntfData* record, double* accuracy);
VynError VynIntfDataAccuracySet(VynIntfData* record, double accuracy);
VynError VynIntfDataOutlineGet(const VynIntfData* record, double outline[2][3]);
VynError VynIntfDataOutlineSet(VynIntfData* record, const double outline[2][3]);
// The source type of interface data made from an interface of the given type: 2 for
// type 1, else 1.
int VynIntfTypeToIntfDataSourceType(int intf_type);

// Stores source_type and its data (4 bytes for type 0, 8 for type 1, none for another
// type). -2 when data or record is null; nothing is written then.
VynError VynImportfeatRedefSourceInit(int source_type, const void* data,
                                      VynImportfeatRedefSource* record);
// 1 for source type 0, 2 for 1, else 0.
int VynImportfeatRedefSourceTypeGet(int source_type);

VynError VynQuiltdataInit(int value, VynQuiltdata* record);
VynError VynQuiltdataGet(const VynQuiltdata* record, int* value);
