#include "toolkit/local/geomdata.h"

#include <cmath>
#include <cstring>

#include "runtime/text/wstring.h"
#include "toolkit/api/app_api.h"
#include "toolkit/local/geomdata_testing.h"

const int new_vek_surf_magic_number = 1234567890;
int new_vek_srf_flavour = 0;

void geomdata_testing_reset() { new_vek_srf_flavour = 0; }

namespace {

// One field of a record: where it lies and how many bytes it holds. The records are read
// and written byte-wise at these offsets, so a record may be read as another kind than
// the one it was written as without touching an inactive union member.
struct Field {
  std::size_t offset;
  std::size_t size;
};

#define GEOM_FIELD(kind, member) \
  Field { offsetof(kind, member), sizeof(kind::member) }

// The fields of each kind, in the order of its Init arguments and Get outputs.
constexpr Field point_fields[] = {GEOM_FIELD(VynPointCurve, pos)};
constexpr Field line_fields[] = {GEOM_FIELD(VynLineCurve, end1), GEOM_FIELD(VynLineCurve, end2)};
constexpr Field arc_fields[] = {
    GEOM_FIELD(VynArcCurve, vec1),        GEOM_FIELD(VynArcCurve, vec2),
    GEOM_FIELD(VynArcCurve, origin),      GEOM_FIELD(VynArcCurve, start_angle),
    GEOM_FIELD(VynArcCurve, end_angle),   GEOM_FIELD(VynArcCurve, radius)};
constexpr Field ellipse_fields[] = {
    GEOM_FIELD(VynEllipseCurve, origin),         GEOM_FIELD(VynEllipseCurve, vec1),
    GEOM_FIELD(VynEllipseCurve, vec2),           GEOM_FIELD(VynEllipseCurve, major_axis_len),
    GEOM_FIELD(VynEllipseCurve, minor_axis_len), GEOM_FIELD(VynEllipseCurve, start_angle),
    GEOM_FIELD(VynEllipseCurve, end_angle)};
constexpr Field circle_fields[] = {GEOM_FIELD(VynCircleCurve, vector1),
                                   GEOM_FIELD(VynCircleCurve, vector2),
                                   GEOM_FIELD(VynCircleCurve, value)};
constexpr Field arrow_fields[] = {GEOM_FIELD(VynArrowCurve, point1),
                                  GEOM_FIELD(VynArrowCurve, point2)};
// Text: the strings, which Init copies by their terminators, and the values between and
// after them.
#define GEOM_TEXT_VALUE(k) \
  Field { offsetof(VynTextCurve, values) + (k) * sizeof(double), sizeof(double) }
constexpr Field text_fields[] = {
    GEOM_FIELD(VynTextCurve, text),     GEOM_FIELD(VynTextCurve, point),
    GEOM_FIELD(VynTextCurve, value),    GEOM_FIELD(VynTextCurve, int_value),
    GEOM_FIELD(VynTextCurve, font),     GEOM_TEXT_VALUE(0),
    GEOM_TEXT_VALUE(1),                 GEOM_TEXT_VALUE(2),
    GEOM_TEXT_VALUE(3)};
constexpr Field text_value_fields[] = {
    GEOM_FIELD(VynTextCurve, point), GEOM_FIELD(VynTextCurve, value),
    GEOM_FIELD(VynTextCurve, int_value), GEOM_TEXT_VALUE(0), GEOM_TEXT_VALUE(1),
    GEOM_TEXT_VALUE(2), GEOM_TEXT_VALUE(3)};
#undef GEOM_TEXT_VALUE

// Shapes: the axes and origin first (but for the fillet), then the kind's own fields.
#define GEOM_AXES                                                                  \
  GEOM_FIELD(VynPlaneShape, e1), GEOM_FIELD(VynPlaneShape, e2),                    \
      GEOM_FIELD(VynPlaneShape, e3), GEOM_FIELD(VynPlaneShape, origin)
constexpr Field plane_fields[] = {GEOM_AXES};
constexpr Field cylinder_fields[] = {GEOM_AXES, GEOM_FIELD(VynCylinderShape, radius)};
constexpr Field cone_fields[] = {GEOM_AXES, GEOM_FIELD(VynConeShape, alpha)};
constexpr Field torus_fields[] = {GEOM_AXES, GEOM_FIELD(VynTorusShape, radius1),
                                  GEOM_FIELD(VynTorusShape, radius2)};
constexpr Field curve_shape_fields[] = {GEOM_AXES, GEOM_FIELD(VynCurveShape, curve)};
constexpr Field ruled_fields[] = {GEOM_AXES, GEOM_FIELD(VynRuledShape, Curve_1),
                                  GEOM_FIELD(VynRuledShape, Curve_2)};
constexpr Field spline_shape_fields[] = {GEOM_AXES,
                                         GEOM_FIELD(VynSplineShape, spline_surface)};
constexpr Field fillet_fields[] = {GEOM_FIELD(VynFilletShape, pnt_spline),
                                   GEOM_FIELD(VynFilletShape, ctr_spline),
                                   GEOM_FIELD(VynFilletShape, tan_spline)};
#undef GEOM_AXES
#undef GEOM_FIELD

// Copies each given source into its field of record; a field whose source is null gets
// zero bytes. A source may overlap its own field.
template <std::size_t N>
void fields_put(void* record, const Field (&fields)[N], const void* const (&sources)[N]) {
  auto* bytes = static_cast<unsigned char*>(record);
  for (std::size_t i = 0; i < N; ++i) {
    if (sources[i])
      std::memmove(bytes + fields[i].offset, sources[i], fields[i].size);
    else
      std::memset(bytes + fields[i].offset, 0, fields[i].size);
  }
}

// Copies each field of record to its target when the target is given.
template <std::size_t N>
void fields_take(const void* record, const Field (&fields)[N], void* const (&targets)[N]) {
  const auto* bytes = static_cast<const unsigned char*>(record);
  for (std::size_t i = 0; i < N; ++i) {
    if (targets[i]) std::memmove(targets[i], bytes + fields[i].offset, fields[i].size);
  }
}

int word0_of(const void* record) {
  int word;
  std::memcpy(&word, record, sizeof word);
  return word;
}

void word0_put(void* record, int word) { std::memcpy(record, &word, sizeof word); }

template <std::size_t N>
bool all_given(const void* const (&sources)[N]) {
  for (const void* source : sources) {
    if (!source) return false;
  }
  return true;
}

// A typed curve Init: every value must be given, else nothing is written.
template <std::size_t N>
VynError curve_init(VynCurvedata* record, int type, const Field (&fields)[N],
                    const void* const (&sources)[N]) {
  if (!record || !all_given(sources)) return VYN_TK_BAD_INPUTS;
  word0_put(record, type);
  fields_put(record, fields, sources);
  return VYN_TK_NO_ERROR;
}

// A typed curve Get: the whole of word 0 must be the kind's type code.
template <std::size_t N>
VynError curve_get(const VynCurvedata* record, int type, const Field (&fields)[N],
                   void* const (&targets)[N]) {
  if (!record) return VYN_TK_BAD_INPUTS;
  if (word0_of(record) != type) return VYN_TK_INVALID_TYPE;
  fields_take(record, fields, targets);
  return VYN_TK_NO_ERROR;
}

// A shape Init: null vectors become zeros; the caller has checked the other sources.
template <std::size_t N>
VynError shape_init(VynSurfaceShape* shape, const Field (&fields)[N],
                    const void* const (&sources)[N]) {
  if (!shape) return VYN_TK_BAD_INPUTS;
  fields_put(shape, fields, sources);
  return VYN_TK_NO_ERROR;
}

// A Get without a type: shapes and the like.
template <std::size_t N>
VynError record_get(const void* record, const Field (&fields)[N], void* const (&targets)[N]) {
  if (!record) return VYN_TK_BAD_INPUTS;
  fields_take(record, fields, targets);
  return VYN_TK_NO_ERROR;
}

// Copies text into a field of N units: up to its terminator, at most N - 1 units, never
// reading further; terminated, the rest of the field cleared.
template <std::size_t N>
void wide_field_put(VynWchar (&field)[N], const VynWchar* text) {
  vek::wsncpy(field, text, static_cast<int>(N) - 1);
  field[N - 1] = 0;
}

// Whether a generating curve of a swept or ruled surface has a kind the surface takes;
// -2 when the curve's type cannot be read, -44 for a kind it does not take.
VynError generating_curve_kind(const VynCurvedata* curve, bool point_taken, int* type) {
  if (VynCurvedataTypeGet(curve, type) != VYN_TK_NO_ERROR) return VYN_TK_BAD_INPUTS;
  switch (*type) {
    case VYN_CURVE_LINE:
    case VYN_CURVE_ARC:
    case VYN_CURVE_ELLIPSE:
    case VYN_CURVE_SPLINE:
    case VYN_CURVE_BSPLINE:
      return VYN_TK_NO_ERROR;
    case VYN_CURVE_POINT:
      return point_taken ? VYN_TK_NO_ERROR : VYN_TK_BAD_SRF_CRV;
    default:
      return VYN_TK_BAD_SRF_CRV;
  }
}

// -43 for a B-spline curve whose inner knots repeat, else 0.
VynError generating_curve_knots(const VynCurvedata* curve, int type) {
  if (type == VYN_CURVE_BSPLINE &&
      VynBsplinedataCheckInnerKnotsMultiplicity(curve) != VYN_TK_NO_ERROR)
    return VYN_TK_BSPL_MULTI_INNER_KNOTS;
  return VYN_TK_NO_ERROR;
}

// Surface of revolution and tabulated cylinder.
VynError curve_shape_init(const double* e1, const double* e2, const double* e3,
                          const double* origin, const VynCurvedata* curve,
                          VynSurfaceShape* shape) {
  if (!shape) return VYN_TK_BAD_INPUTS;
  int type = 0;
  VynError status = generating_curve_kind(curve, false, &type);
  if (status != VYN_TK_NO_ERROR) return status;
  status = generating_curve_knots(curve, type);
  shape_init(shape, curve_shape_fields, {e1, e2, e3, origin, curve});
  return status;
}

bool datum_type_known(int type) { return type == 25 || type == 62 || type == 176; }

// A whole copy of a caller's record; -2 when either is null.
template <typename T>
VynError record_copy(const T* source, T* target) {
  if (!source || !target) return VYN_TK_BAD_INPUTS;
  std::memmove(target, source, sizeof(T));
  return VYN_TK_NO_ERROR;
}

}  // namespace

// ---- New-surface stamp ---------------------------------------------------------------

void set_new_vek_srf_flavour(int flavour) { new_vek_srf_flavour = flavour; }

int get_new_vek_srf_flavour() { return new_vek_srf_flavour; }

int is_new_vek_surf(const int* stamp) {
  return stamp && stamp[0] == new_vek_surf_magic_number ? 1 : 0;
}

int set_new_vek_surf(int* stamp) {
  if (!stamp) return 0;
  stamp[0] = new_vek_surf_magic_number;
  return 1;
}

int get_new_vek_surf_id(const int* stamp) { return is_new_vek_surf(stamp) ? stamp[3] : 0; }

int set_new_vek_surf_id(int* stamp, int id) {
  if (!is_new_vek_surf(stamp)) return 0;
  stamp[3] = id;
  return 1;
}

VynArray get_new_vek_surf_contour_arr(const int* stamp, const VynArray* holder) {
  return is_new_vek_surf(stamp) && holder ? holder[3] : nullptr;
}

int set_new_vek_surf_contour_arr(const int* stamp, VynArray* holder, VynArray array) {
  if (!is_new_vek_surf(stamp) || !holder) return 0;
  holder[3] = array;
  return 1;
}

// ---- Curve records -------------------------------------------------------------------

VynError VynCurvedataTypeGet(const VynCurvedata* record, int* type) {
  if (!record || !type) return VYN_TK_BAD_INPUTS;
  *type = word0_of(record) & 0xFF;
  return VYN_TK_NO_ERROR;
}

VynError VynCurvedataTypeSet(VynCurvedata* record, int type) {
  if (!record) return VYN_TK_BAD_INPUTS;
  word0_put(record, type);
  return VYN_TK_NO_ERROR;
}

VynError VynPointdataInit(const double* pos, VynCurvedata* record) {
  return curve_init(record, VYN_CURVE_POINT, point_fields, {pos});
}

VynError VynPointdataGet(const VynCurvedata* record, double* pos) {
  return curve_get(record, VYN_CURVE_POINT, point_fields, {pos});
}

VynError VynLinedataInit(const double* end1, const double* end2, VynCurvedata* record) {
  return curve_init(record, VYN_CURVE_LINE, line_fields, {end1, end2});
}

VynError VynLinedataGet(const VynCurvedata* record, double* end1, double* end2) {
  return curve_get(record, VYN_CURVE_LINE, line_fields, {end1, end2});
}

VynError VynArcdataInit(const double* vec1, const double* vec2, const double* origin,
                        double start_angle, double end_angle, double radius,
                        VynCurvedata* record) {
  return curve_init(record, VYN_CURVE_ARC, arc_fields,
                    {vec1, vec2, origin, &start_angle, &end_angle, &radius});
}

VynError VynArcdataGet(const VynCurvedata* record, double* vec1, double* vec2, double* origin,
                       double* start_angle, double* end_angle, double* radius) {
  return curve_get(record, VYN_CURVE_ARC, arc_fields,
                   {vec1, vec2, origin, start_angle, end_angle, radius});
}

VynError VynEllipsedataInit(const double* origin, const double* vec1, const double* vec2,
                            double major_axis_len, double minor_axis_len, double start_angle,
                            double end_angle, VynCurvedata* record) {
  return curve_init(record, VYN_CURVE_ELLIPSE, ellipse_fields,
                    {origin, vec1, vec2, &major_axis_len, &minor_axis_len, &start_angle,
                     &end_angle});
}

VynError VynEllipsedataGet(const VynCurvedata* record, double* origin, double* vec1,
                           double* vec2, double* major_axis_len, double* minor_axis_len,
                           double* start_angle, double* end_angle) {
  return curve_get(record, VYN_CURVE_ELLIPSE, ellipse_fields,
                   {origin, vec1, vec2, major_axis_len, minor_axis_len, start_angle, end_angle});
}

VynError VynCircledataInit(VynCurvedata* record, const double* vector1, const double* vector2,
                           double value) {
  return curve_init(record, VYN_CURVE_CIRCLE, circle_fields, {vector1, vector2, &value});
}

VynError VynCircledataGet(double* vector1, double* vector2, double* value,
                          const VynCurvedata* record) {
  return curve_get(record, VYN_CURVE_CIRCLE, circle_fields, {vector1, vector2, value});
}

VynError VynArrowdataInit(const double* point1, const double* point2, VynCurvedata* record) {
  return curve_init(record, VYN_CURVE_ARROW, arrow_fields, {point1, point2});
}

VynError VynArrowdataGet(const VynCurvedata* record, double* point1, double* point2) {
  return curve_get(record, VYN_CURVE_ARROW, arrow_fields, {point1, point2});
}

VynError VynTextdataInit(const VynWchar* text, const double* point, double value, int int_value,
                         const VynWchar* font, double value1, double value2, double value3,
                         double value4, VynCurvedata* record) {
  if (!record || !text || !point || !font) return VYN_TK_BAD_INPUTS;
  VynTextCurve& layout = record->text;
  word0_put(record, VYN_CURVE_TEXT);
  fields_put(record, text_value_fields,
             {point, &value, &int_value, &value1, &value2, &value3, &value4});
  wide_field_put(layout.text, text);
  wide_field_put(layout.font, font);
  return VYN_TK_NO_ERROR;
}

VynError VynTextdataGet(const VynCurvedata* record, VynWchar* text, double* point, double* value,
                        int* int_value, VynWchar* font, double* value1, double* value2,
                        double* value3, double* value4) {
  return curve_get(record, VYN_CURVE_TEXT, text_fields,
                   {text, point, value, int_value, font, value1, value2, value3, value4});
}

VynError VynComponentCurvedataInit(const VynCurvedata* curve, int direction,
                                   VynComponentCurvedata* component) {
  if (!component || !curve) return VYN_TK_BAD_INPUTS;
  std::memmove(&component->curve, curve, sizeof(VynCurvedata));
  component->direction = direction;
  return VYN_TK_NO_ERROR;
}

VynError VynComponentCurvedataGet(const VynComponentCurvedata* component, VynCurvedata* curve,
                                  int* direction) {
  if (!component || !curve) return VYN_TK_BAD_INPUTS;
  std::memmove(curve, &component->curve, sizeof(VynCurvedata));
  if (direction) *direction = component->direction;
  return VYN_TK_NO_ERROR;
}

VynError VynBsplinedataCheckInnerKnotsMultiplicity(const VynCurvedata* record) {
  int type = 0;
  if (VynCurvedataTypeGet(record, &type) != VYN_TK_NO_ERROR || type != VYN_CURVE_BSPLINE)
    return VYN_TK_BAD_INPUTS;
  VynBsplineCurve layout;
  std::memcpy(&layout, record, sizeof layout);
  const int d = layout.degree;
  int n = 0;
  // A negative degree would index before the array.
  if (d < 0 || VynArraySizeGet(layout.params, &n) != VYN_TK_NO_ERROR) return VYN_TK_BAD_INPUTS;
  if (n - 1 < d) return VYN_TK_BAD_INPUTS;  // n < d + 1, without overflow
  const double* p = static_cast<const double*>(layout.params);
  const double range = std::fabs(p[n - 1] - p[0]);
  int i = d;
  for (; i < n - d - 2; ++i) {
    if (std::fabs(p[i + 1] - p[i]) < range * 1e-9) break;
  }
  return i == n - d - 2 ? VYN_TK_NO_ERROR : VYN_TK_BAD_INPUTS;
}

// ---- Contour records -----------------------------------------------------------------

VynError VynContourdataInit(int traversal, VynContourdata* record) {
  if (!record) return VYN_TK_BAD_INPUTS;
  record->traversal = traversal;
  return VYN_TK_NO_ERROR;
}

VynError VynContourdataGet(const VynContourdata* record, int* traversal) {
  if (!record || !traversal) return VYN_TK_BAD_INPUTS;
  *traversal = record->traversal;
  return VYN_TK_NO_ERROR;
}

VynError VynContourdataEdgeIdArrayGet(const VynContourdata* record, VynArray* array) {
  if (!record || !array) return VYN_TK_BAD_INPUTS;
  *array = record->edge_ids;
  return VYN_TK_NO_ERROR;
}

// ---- Surface records -----------------------------------------------------------------

VynError VynSurfacedataInit(int type, const double* uv_min, const double* uv_max, int orient,
                            const VynSurfaceShape* shape, int id, VynSurfacedata* record) {
  if (!record || !shape) return VYN_TK_BAD_INPUTS;
  // The caller's values may lie in the record being cleared: take them first.
  double min[2] = {0.0, 0.0};
  double max[2] = {0.0, 0.0};
  if (uv_min) std::memcpy(min, uv_min, sizeof min);
  if (uv_max) std::memcpy(max, uv_max, sizeof max);
  if (shape != &record->shape) {
    std::memset(record, 0, sizeof *record);
    std::memmove(&record->shape, shape, sizeof *shape);
  } else {
    std::memset(record, 0, offsetof(VynSurfacedata, shape));
    std::memset(reinterpret_cast<unsigned char*>(record) + offsetof(VynSurfacedata, stamp), 0,
                sizeof *record - offsetof(VynSurfacedata, stamp));
  }
  record->type = type;
  std::memcpy(record->uv_min, min, sizeof min);
  std::memcpy(record->uv_max, max, sizeof max);
  record->orient = orient;
  record->id = id;
  if (new_vek_srf_flavour) {
    set_new_vek_surf(record->stamp);
    set_new_vek_surf_id(record->stamp, id);
  }
  return VYN_TK_NO_ERROR;
}

VynError VynSurfacedataGet(const VynSurfacedata* record, int* type, double* uv_min,
                           double* uv_max, int* orient, VynSurfaceShape* shape, int* id) {
  if (!record) return VYN_TK_BAD_INPUTS;
  if (type) *type = record->type;
  if (uv_min) std::memmove(uv_min, record->uv_min, sizeof record->uv_min);
  if (uv_max) std::memmove(uv_max, record->uv_max, sizeof record->uv_max);
  if (orient) *orient = record->orient;
  if (shape) std::memmove(shape, &record->shape, sizeof *shape);
  if (id) *id = is_new_vek_surf(record->stamp) ? get_new_vek_surf_id(record->stamp) : record->id;
  return VYN_TK_NO_ERROR;
}

VynError VynPlanedataInit(const double* e1, const double* e2, const double* e3,
                          const double* origin, VynSurfaceShape* shape) {
  return shape_init(shape, plane_fields, {e1, e2, e3, origin});
}

VynError VynPlanedataGet(const VynSurfaceShape* shape, double* e1, double* e2, double* e3,
                         double* origin) {
  return record_get(shape, plane_fields, {e1, e2, e3, origin});
}

VynError VynCylinderdataInit(const double* e1, const double* e2, const double* e3,
                             const double* origin, double radius, VynSurfaceShape* shape) {
  return shape_init(shape, cylinder_fields, {e1, e2, e3, origin, &radius});
}

VynError VynCylinderdataGet(const VynSurfaceShape* shape, double* e1, double* e2, double* e3,
                            double* origin, double* radius) {
  return record_get(shape, cylinder_fields, {e1, e2, e3, origin, radius});
}

VynError VynConedataInit(const double* e1, const double* e2, const double* e3,
                         const double* origin, double alpha, VynSurfaceShape* shape) {
  return shape_init(shape, cone_fields, {e1, e2, e3, origin, &alpha});
}

VynError VynConedataGet(const VynSurfaceShape* shape, double* e1, double* e2, double* e3,
                        double* origin, double* alpha) {
  return record_get(shape, cone_fields, {e1, e2, e3, origin, alpha});
}

VynError VynTorusdataInit(const double* e1, const double* e2, const double* e3,
                          const double* origin, double radius1, double radius2,
                          VynSurfaceShape* shape) {
  return shape_init(shape, torus_fields, {e1, e2, e3, origin, &radius1, &radius2});
}

VynError VynTorusdataGet(const VynSurfaceShape* shape, double* e1, double* e2, double* e3,
                         double* origin, double* radius1, double* radius2) {
  return record_get(shape, torus_fields, {e1, e2, e3, origin, radius1, radius2});
}

VynError VynSrfrevdataInit(const double* e1, const double* e2, const double* e3,
                           const double* origin, const VynCurvedata* curve,
                           VynSurfaceShape* shape) {
  return curve_shape_init(e1, e2, e3, origin, curve, shape);
}

VynError VynSrfrevdataGet(const VynSurfaceShape* shape, double* e1, double* e2, double* e3,
                          double* origin, VynCurvedata* curve) {
  return record_get(shape, curve_shape_fields, {e1, e2, e3, origin, curve});
}

VynError VynTabcyldataInit(const double* e1, const double* e2, const double* e3,
                           const double* origin, const VynCurvedata* curve,
                           VynSurfaceShape* shape) {
  return curve_shape_init(e1, e2, e3, origin, curve, shape);
}

VynError VynTabcyldataGet(const VynSurfaceShape* shape, double* e1, double* e2, double* e3,
                          double* origin, VynCurvedata* curve) {
  return record_get(shape, curve_shape_fields, {e1, e2, e3, origin, curve});
}

VynError VynRulsrfdataInit(const double* e1, const double* e2, const double* e3,
                           const double* origin, const VynCurvedata* Curve_1,
                           const VynCurvedata* Curve_2, VynSurfaceShape* shape) {
  if (!shape) return VYN_TK_BAD_INPUTS;
  int type1 = 0;
  int type2 = 0;
  // An unreadable curve outranks a refused kind, whichever of the two it is.
  VynError status1 = generating_curve_kind(Curve_1, true, &type1);
  VynError status2 = generating_curve_kind(Curve_2, true, &type2);
  if (status1 == VYN_TK_BAD_INPUTS || status2 == VYN_TK_BAD_INPUTS) return VYN_TK_BAD_INPUTS;
  if (status1 != VYN_TK_NO_ERROR || status2 != VYN_TK_NO_ERROR) return VYN_TK_BAD_SRF_CRV;
  if (type1 == VYN_CURVE_POINT && type2 == VYN_CURVE_POINT) return VYN_TK_BAD_SRF_CRV;
  VynError status = generating_curve_knots(Curve_1, type1);
  if (status == VYN_TK_NO_ERROR) status = generating_curve_knots(Curve_2, type2);
  shape_init(shape, ruled_fields, {e1, e2, e3, origin, Curve_1, Curve_2});
  return status;
}

VynError VynRulsrfdataGet(const VynSurfaceShape* shape, double* e1, double* e2, double* e3,
                          double* origin, VynCurvedata* Curve_1, VynCurvedata* Curve_2) {
  return record_get(shape, ruled_fields, {e1, e2, e3, origin, Curve_1, Curve_2});
}

VynError VynCylsplsrfdataInit(const double* e1, const double* e2, const double* e3,
                              const double* origin, const void* spline_surface,
                              VynSurfaceShape* shape) {
  if (!spline_surface) return VYN_TK_BAD_INPUTS;
  return shape_init(shape, spline_shape_fields, {e1, e2, e3, origin, spline_surface});
}

VynError VynCylsplsrfdataGet(const VynSurfaceShape* shape, double* e1, double* e2, double* e3,
                             double* origin, void* spline_surface) {
  return record_get(shape, spline_shape_fields, {e1, e2, e3, origin, spline_surface});
}

VynError VynSphsplsrfdataInit(const double* e1, const double* e2, const double* e3,
                              const double* origin, const void* spline_surface,
                              VynSurfaceShape* shape) {
  return VynCylsplsrfdataInit(e1, e2, e3, origin, spline_surface, shape);
}

VynError VynSphsplsrfdataGet(const VynSurfaceShape* shape, double* e1, double* e2, double* e3,
                             double* origin, void* spline_surface) {
  return VynCylsplsrfdataGet(shape, e1, e2, e3, origin, spline_surface);
}

VynError VynFilsrfdataInit(const void* pnt_spline, const void* ctr_spline,
                           const void* tan_spline, VynSurfaceShape* shape) {
  const void* const sources[] = {pnt_spline, ctr_spline, tan_spline};
  if (!all_given(sources)) return VYN_TK_BAD_INPUTS;
  return shape_init(shape, fillet_fields, sources);
}

VynError VynFilsrfdataGet(const VynSurfaceShape* shape, void* pnt_spline, void* ctr_spline,
                          void* tan_spline) {
  return record_get(shape, fillet_fields, {pnt_spline, ctr_spline, tan_spline});
}

// ---- Datum records -------------------------------------------------------------------

VynError VynDatumdataInit(int value, int type, const VynWchar* name, const VynCurvedata* curve,
                          VynDatumdata* record) {
  if (!record || !curve) return VYN_TK_BAD_INPUTS;
  record->value = value;
  if (name)
    wide_field_put(record->name, name);
  else
    std::memset(record->name, 0, sizeof record->name);
  std::memmove(&record->curve, curve, sizeof(VynCurvedata));
  if (!datum_type_known(type)) return VYN_TK_BAD_INPUTS;
  record->type = type;
  return VYN_TK_NO_ERROR;
}

VynError VynDatumdataGet(const VynDatumdata* record, int* value, int* type, VynWchar* name,
                         VynCurvedata* curve) {
  if (!record) return VYN_TK_BAD_INPUTS;
  if (value) *value = record->value;
  if (type) *type = record->type;
  if (name) std::memmove(name, record->name, sizeof record->name);
  if (curve) std::memmove(curve, &record->curve, sizeof(VynCurvedata));
  return VYN_TK_NO_ERROR;
}

VynError VynDatumCurvedataInit(const VynCurvedata* curve, VynDatumCurvedata* datum_curve) {
  int type = 0;
  if (!datum_curve || VynCurvedataTypeGet(curve, &type) != VYN_TK_NO_ERROR)
    return VYN_TK_BAD_INPUTS;
  // Checked before the copy: the curve may be the datum curve's own.
  VynError status = generating_curve_knots(curve, type);
  std::memmove(&datum_curve->curve, curve, sizeof(VynCurvedata));
  return status;
}

VynError VynDatumCurvedataGet(const VynDatumCurvedata* datum_curve, VynCurvedata* curve) {
  if (!datum_curve || !curve) return VYN_TK_BAD_INPUTS;
  std::memmove(curve, &datum_curve->curve, sizeof(VynCurvedata));
  return VYN_TK_NO_ERROR;
}

VynError VynDatumPlanedataInit(const VynDatumPlanedata* source, VynDatumPlanedata* target) {
  return record_copy(source, target);
}

VynError VynDatumPlanedataGet(const VynDatumPlanedata* source, VynDatumPlanedata* target) {
  return record_copy(source, target);
}

VynError VynDatumCsysdataInit(const VynDatumCsysdata* source, VynDatumCsysdata* target) {
  return record_copy(source, target);
}

VynError VynDatumCsysdataGet(const VynDatumCsysdata* source, VynDatumCsysdata* target) {
  return record_copy(source, target);
}

// ---- Interface, import-feature and quilt records ---------------------------------------

VynError VynIntfDataAccuracytypeGet(const VynIntfData* record, int* accuracy_type) {
  if (!record) return VYN_TK_BAD_INPUTS;
  if (accuracy_type) *accuracy_type = record->accuracy_type;
  return VYN_TK_NO_ERROR;
}

VynError VynIntfDataAccuracytypeSet(VynIntfData* record, int accuracy_type) {
  if (!record) return VYN_TK_BAD_INPUTS;
  record->accuracy_type = accuracy_type;
  return VYN_TK_NO_ERROR;
}

VynError VynIntfDataAccuracyGet(const VynIntfData* record, double* accuracy) {
  if (!record) return VYN_TK_BAD_INPUTS;
  if (accuracy) *accuracy = record->accuracy;
  return VYN_TK_NO_ERROR;
}

VynError VynIntfDataAccuracySet(VynIntfData* record, double accuracy) {
  if (!record) return VYN_TK_BAD_INPUTS;
  record->accuracy = accuracy;
  return VYN_TK_NO_ERROR;
}

VynError VynIntfDataOutlineGet(const VynIntfData* record, double outline[2][3]) {
  if (!record) return VYN_TK_BAD_INPUTS;
  if (outline) std::memmove(outline, record->outline, sizeof record->outline);
  return VYN_TK_NO_ERROR;
}

VynError VynIntfDataOutlineSet(VynIntfData* record, const double outline[2][3]) {
  if (!record || !outline) return VYN_TK_BAD_INPUTS;
  std::memmove(record->outline, outline, sizeof record->outline);
  return VYN_TK_NO_ERROR;
}

int VynIntfTypeToIntfDataSourceType(int intf_type) { return intf_type == 1 ? 2 : 1; }

VynError VynImportfeatRedefSourceInit(int source_type, const void* data,
                                      VynImportfeatRedefSource* record) {
  if (!data || !record) return VYN_TK_BAD_INPUTS;
  // Only the two known types say how many bytes of data there are; for another type the
  // type alone is stored, so that nothing is read beyond what the caller may hold.
  std::size_t size = source_type == 0 ? 4 : source_type == 1 ? 8 : 0;
  record->type = source_type;
  std::memmove(record->data, data, size);
  return VYN_TK_NO_ERROR;
}

int VynImportfeatRedefSourceTypeGet(int source_type) {
  if (source_type == 0) return 1;
  if (source_type == 1) return 2;
  return 0;
}

VynError VynQuiltdataInit(int value, VynQuiltdata* record) {
  if (!record) return VYN_TK_BAD_INPUTS;
  record->value = value;
  return VYN_TK_NO_ERROR;
}

VynError VynQuiltdataGet(const VynQuiltdata* record, int* value) {
  if (!record) return VYN_TK_BAD_INPUTS;
  if (value) *value = record->value;
  return VYN_TK_NO_ERROR;
}
