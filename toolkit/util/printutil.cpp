#include "toolkit/util/printutil.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/w32/crt.h"
#include "runtime/text/wide.h"
#include "toolkit/api/app_api.h"
#include "toolkit/api/catalogue_2d_draw_api.h"
#include "toolkit/api/catalogue_drawing_featref_api.h"
#include "toolkit/api/catalogue_feature_option_api.h"
#include "toolkit/api/catalogue_output_udfreference_api.h"
#include "toolkit/local/geomdata.h"
#include "toolkit/util/strinput.h"
#include "toolkit/util/strutil.h"
#include "toolkit/util/strutil_report.h"

namespace {

// ---- Status names and model types

struct StatusName {
  VynError status;
  const char* name;
};

const StatusName status_names[] = {
    {0, "NO_ERROR"},        {-1, "GENERAL_ERROR"}, {-2, "BAD_INPUTS"},    {-3, "USER_ABORT"},
    {-4, "NOT_FOUND"},      {-5, "FOUND"},         {-8, "BAD_CONTEXT"},   {-9, "NOT_IMPLEMENTED"},
    {-10, "OUT_OF_MEMORY"}, {-11, "COMM_ERROR"},   {-18, "INVALID_TYPE"}, {-19, "INVALID_PTR"},
    {-20, "UNAV_SEC"},      {-22, "INVALID_NAME"}, {-23, "NOT_EXIST"},    {-26, "NOT_VALID"},
    {-27, "INVALID_ITEM"},  {-33, "CANT_ACCESS"},
};

struct ModelType {
  const char* extension;
  int type;
};

// The end row answers the codes and extensions that no row above holds.
const ModelType model_types[] = {
    {"sec", 11}, {"prt", 2},   {"asm", 1},   {"drw", 4},   {"mfg", 37}, {"lay", 19},
    {"frm", 33}, {"rep", 105}, {"mrk", 116}, {"dgm", 121}, {"???", -2},
};
constexpr int kModelTypeRows = sizeof model_types / sizeof model_types[0] - 1;

// ---- Element ids

// No element has id 0: the rows whose id is not known here carry it and are never matched
// by id, and their names give no id.
constexpr int kElemIdUnknown = 0;

struct ElemIdRow {
  int id;
  const char* name;
};

const ElemIdRow elem_ids[] = {
#include "toolkit/util/elemids.inc"
};

// ---- Dumps

// indent followed by four blanks, cut to the buffer.
void deeper(char (&out)[VYN_UTIL_INDENT_SIZE], const char* indent) {
  std::size_t n = 0;
  for (; n + 1 < sizeof out && indent[n] != '\0'; ++n) out[n] = indent[n];
  for (int blank = 0; blank < 4 && n + 1 < sizeof out; ++blank) out[n++] = ' ';
  out[n] = '\0';
}

void vector_line(std::FILE* stream, const char* indent, const char* label, const double* v) {
  std::fprintf(stream, "%s%s ( %.5f, %.5f, %.5f)\n", indent, label, v[0], v[1], v[2]);
}

// A host array of doubles as a number list; the size query's status.
VynError array_print(std::FILE* stream, const char* indent, VynArray array, int per_item) {
  int size = 0;
  VynError status = util_call_report("VynArraySizeGet()", "VynUtilCurvedataPrint()",
                                     VynArraySizeGet(array, &size));
  if (status == VYN_TK_NO_ERROR && size > 0)
    VynUtilDoubleArrayPrint(stream, indent, static_cast<const double*>(array), size * per_item);
  return status;
}

template <typename T>
VynWord word(T* pointer) {
  return reinterpret_cast<VynWord>(pointer);
}

// A count of the host's as a list length: 0 for a negative one or one past an int.
int list_length(long long count) {
  return count > 0 && count <= INT_MAX ? static_cast<int>(count) : 0;
}

// A label line, then the host's numbers (none for a null list).
void labelled_list(std::FILE* stream, const char* indent, const char* label, const double* values,
                   long long count) {
  std::fprintf(stream, "%s%s\n", indent, label);
  if (values) VynUtilDoubleArrayPrint(stream, indent, values, list_length(count));
}

// The parts of a curve or surface that only the host fills are read with its accessors,
// whose records are the host's:
//   VynSplinedataGet(record, &params, &points, &tangents, &point count)
//   VynBsplinedataGet(record, &degree, &params, &weights, &points, &param count,
//                     &point count), weights null for a curve without weights
//   VynCompositeCurvedataGet(record, &components), a host array of VynComponentCurvedata
//   VynSplinesrfdataGet(record, &u params, &v params, &points, &u derivatives,
//                       &v derivatives, &uv derivatives, &u count, &v count)
//   VynBsplinesrfdataGet(record, degrees[2], &u params, &v params, &weights, &points,
//                        &u count, &v count, &point count)
// Lists are doubles of the host's; a point or derivative is three of them, one per point
// of the (u, v) grid for the spline surface.

// A spline data record of the host's (a fillet's curves) as a curve dump.
VynError host_spline_print(std::FILE* stream, const char* indent, const void* record) {
  char inner[VYN_UTIL_INDENT_SIZE];
  deeper(inner, indent);
  double *params = nullptr, *points = nullptr, *tangents = nullptr;
  int count = 0;
  VynError status = util_call_report(
      "VynSplinedataGet()", "VynUtilSurfacedataPrint()",
      VynSplinedataGet(word(record), word(&params), word(&points), word(&tangents), word(&count)));
  std::fprintf(stream, "%sType Spline\n", indent);
  if (status != VYN_TK_NO_ERROR) return status;
  labelled_list(stream, inner, "Parameters", params, count);
  labelled_list(stream, inner, "Points", points, 3LL * count);
  labelled_list(stream, inner, "Tangent Vectors", tangents, 3LL * count);
  return status;
}

// A spline surface record of the host's: the spline shape, and the spline part of a
// cylindrical spline surface.
VynError spline_surface_print(std::FILE* stream, const char* indent, const void* record) {
  char inner[VYN_UTIL_INDENT_SIZE];
  deeper(inner, indent);
  double *u = nullptr, *v = nullptr, *points = nullptr;
  double *u_der = nullptr, *v_der = nullptr, *uv_der = nullptr;
  int u_count = 0, v_count = 0;
  VynError status = util_call_report(
      "VynSplinesrfdataGet()", "VynUtilSurfacedataPrint()",
      VynSplinesrfdataGet(word(record), word(&u), word(&v), word(&points), word(&u_der),
                          word(&v_der), word(&uv_der), word(&u_count), word(&v_count)));
  std::fprintf(stream, "%sType Spline\n", indent);
  if (status != VYN_TK_NO_ERROR) return status;
  const long long grid = 3LL * u_count * v_count;
  labelled_list(stream, inner, "U Param Array", u, u_count);
  labelled_list(stream, inner, "V Param Array", v, v_count);
  labelled_list(stream, inner, "Point Array", points, grid);
  labelled_list(stream, inner, "U Der Array", u_der, grid);
  labelled_list(stream, inner, "V Der Array", v_der, grid);
  labelled_list(stream, inner, "UV Der Array", uv_der, grid);
  return status;
}

void axes_print(std::FILE* stream, const char* indent, const VynPlaneShape& axes) {
  vector_line(stream, indent, "e1", axes.e1);
  vector_line(stream, indent, "e2", axes.e2);
  vector_line(stream, indent, "e3", axes.e3);
  vector_line(stream, indent, "origin", axes.origin);
}

// The contours of a surface record (a host array of VynContourdata), when the host gives
// them.
void contours_print(std::FILE* stream, const char* indent, const VynSurfacedata* data) {
  VynArray contours = nullptr;
  if (util_call_report("VynSurfacedataContourArrayGet()", "VynUtilSurfacedataPrint()",
                       VynSurfacedataContourArrayGet(reinterpret_cast<VynWord>(data),
                                                     reinterpret_cast<VynWord>(&contours))) !=
          VYN_TK_NO_ERROR ||
      !contours)
    return;
  int n = 0;
  VynArraySizeGet(contours, &n);
  std::fprintf(stream, "%sContours [%d]\n", indent, n);
  for (int i = 0; i < n; ++i) {
    const VynContourdata& contour = static_cast<const VynContourdata*>(contours)[i];
    int traversal = 0;
    VynContourdataGet(&contour, &traversal);
    VynArray edges = nullptr;
    int edge_count = 0;
    if (VynContourdataEdgeIdArrayGet(&contour, &edges) == VYN_TK_NO_ERROR && edges)
      VynArraySizeGet(edges, &edge_count);
    std::fprintf(stream, "%sContour %d\n", indent, i);
    std::fprintf(stream, "%sTraversal %s\n", indent,
                 traversal == 0    ? "none"
                 : traversal == -1 ? "internal"
                                   : "external");
    std::fprintf(stream, "%sEdge Id Array [%d]\n", indent, edge_count);
  }
}

}  // namespace

int VynUtilErrPrint(VynError status, char* text) {
  if (!text) return 0;
  for (const StatusName& row : status_names) {
    if (row.status == status) {
      std::snprintf(text, VYN_UTIL_ERR_TEXT_SIZE, "%s", row.name);
      return 0;
    }
  }
  std::snprintf(text, VYN_UTIL_ERR_TEXT_SIZE, "%d", status);
  return 0;
}

int VynUtilGetVynType(const char* extension) {
  if (!extension) return -2;
  for (int i = 0; i < kModelTypeRows; ++i) {
    if (VynUtilStrcmp(model_types[i].extension, extension) == 0) return model_types[i].type;
  }
  return -2;
}

const char* VynUtilGetMdlTypeStr(int type) {
  for (int i = 0; i < kModelTypeRows; ++i) {
    if (model_types[i].type == type) return model_types[i].extension;
  }
  return model_types[kModelTypeRows].extension;
}

std::FILE* VynUtilGenFilePtr(VynMdl model, const char* suffix, char* path, const char* mode) {
  char name[VYN_UTIL_MODELNAME_SIZE];
  if (!VynUtilModelnameGet(&model, name, nullptr)) return nullptr;
  char file_name[VYN_UTIL_PATH_SIZE];
  int made = std::snprintf(file_name, sizeof file_name, "%s%s", name, suffix ? suffix : "");
  if (made < 0 || made >= static_cast<int>(sizeof file_name)) return nullptr;
  if (path) std::strcpy(path, file_name);
  // The name is a Windows name: it goes through the platform's path model.
  std::FILE* file = mode ? w32::fopen(file_name, mode) : nullptr;
  if (!file) {
    char text[VYN_UTIL_PATH_SIZE + 32];
    std::snprintf(text, sizeof text, "Could not open the file '%s'", file_name);
    VynUtilMsgPrint("gen", "USER %0s", text);
  }
  return file;
}

int VynUtilConfirmNameType(char* file_name, char* name_out, int* type_out) {
  if (!file_name || !name_out || !type_out) return -2;
  if (const char* slash = std::strrchr(file_name, '/'))
    std::memmove(file_name, slash + 1, std::strlen(slash + 1) + 1);
  const char* dot = std::strchr(file_name, '.');
  if (!dot || dot == file_name) return -2;
  // Each part is written as soon as it is checked: the name before the extension is
  // looked at, the type (-2 for an unknown extension) when the extension has 3 letters.
  std::size_t length = static_cast<std::size_t>(dot - file_name);
  std::memcpy(name_out, file_name, length);
  name_out[length] = '\0';
  if (std::strlen(dot + 1) != 3) return -2;
  *type_out = VynUtilGetVynType(dot + 1);
  return *type_out;
}

VynError VynUtilFileOpen(const char* filter, char* chosen) {
  VynWchar wide_filter[VYN_UTIL_PATH_SIZE] = {};
  if (filter) vek::strtows_bounded(wide_filter, VYN_UTIL_PATH_SIZE, filter);
  // Two empty lists of shortcut paths and names: entries of 260 wide characters.
  constexpr int kPathEntrySize = VYN_UTIL_PATH_SIZE * static_cast<int>(sizeof(VynWchar));
  VynArray paths = nullptr;
  VynArray names = nullptr;
  util_call_report("VynArrayAlloc()", "VynUtilFileOpen()",
                   VynArrayAlloc(0, kPathEntrySize, 1, &paths));
  util_call_report("VynArrayAlloc()", "VynUtilFileOpen()",
                   VynArrayAlloc(0, kPathEntrySize, 1, &names));
  VynWchar selected[VYN_UTIL_PATH_SIZE] = {};
  VynError status = util_call_report(
      "VynFileOpen()", "VynUtilFileOpen()",
      VynFileOpen(0, reinterpret_cast<VynWord>(wide_filter), reinterpret_cast<VynWord>(u"."),
                  reinterpret_cast<VynWord>(paths), reinterpret_cast<VynWord>(names), 0,
                  reinterpret_cast<VynWord>(selected)));
  if (paths) VynArrayFree(&paths);
  if (names) VynArrayFree(&names);
  if (status == VYN_TK_NO_ERROR && chosen) {
    selected[VYN_UTIL_PATH_SIZE - 1] = 0;
    vek::wstostr_bounded(chosen, VYN_UTIL_PATH_SIZE, selected);
  }
  return status;
}

int VynUtilIdToStr(int id, char* text) {
  if (text) std::strcpy(text, "not exist");
  if (id == kElemIdUnknown) return VYN_TK_E_NOT_FOUND;
  for (const ElemIdRow& row : elem_ids) {
    if (row.id == id) {
      if (text) std::snprintf(text, VYN_UTIL_ELEM_NAME_SIZE, "%s", row.name);
      return 0;
    }
  }
  return VYN_TK_E_NOT_FOUND;
}

int VynUtilStrToId(const char* text, int* id) {
  if (!text) return 0;
  for (const ElemIdRow& row : elem_ids) {
    if (row.id != kElemIdUnknown && std::strcmp(row.name, text) == 0) {
      if (id) *id = row.id;
      return 0;
    }
  }
  return 0;
}

void VynUtilDoubleArrayPrint(std::FILE* stream, const char* indent, const double* values,
                             int count) {
  if (!stream || !values || count < 1) return;
  if (!indent) indent = "";
  // Written as it is made, so that no indent or number is too long for a line buffer;
  // length counts the line's characters for the break after 70.
  const std::size_t indent_length = std::strlen(indent);
  std::size_t length = 0;
  for (int i = 0; i < count; ++i) {
    if (length == 0) {
      std::fputs(indent, stream);
      length = indent_length;
    }
    double value = std::fabs(values[i]) < 1e-6 ? 0.0 : values[i];
    int written = std::fprintf(stream, "%.5f%s", value, i + 1 < count ? "," : "");
    length += written > 0 ? static_cast<std::size_t>(written) : 0;
    if (length > 70 || i + 1 == count) {
      std::fputc('\n', stream);
      length = 0;
    } else {
      std::fputc(' ', stream);
      ++length;
    }
  }
}

VynError VynUtilCurvedataPrint(std::FILE* stream, const char* indent, const VynCurvedata* data) {
  if (!stream || !data) return VYN_TK_BAD_INPUTS;
  if (!indent) indent = "";
  char inner[VYN_UTIL_INDENT_SIZE];
  deeper(inner, indent);
  int type = 0;
  VynError status = util_call_report("VynCurvedataTypeGet()", "VynUtilCurvedataPrint()",
                                     VynCurvedataTypeGet(data, &type));
  if (status != VYN_TK_NO_ERROR) return status;
  switch (type) {
    case VYN_CURVE_POINT: {
      double pos[3];
      status = util_call_report("VynPointdataGet()", "VynUtilCurvedataPrint()",
                                VynPointdataGet(data, pos));
      std::fprintf(stream, "%sType Point\n", indent);
      if (status == VYN_TK_NO_ERROR) vector_line(stream, inner, "pos", pos);
      break;
    }
    case VYN_CURVE_LINE: {
      double end1[3], end2[3];
      status = util_call_report("VynLinedataGet()", "VynUtilCurvedataPrint()",
                                VynLinedataGet(data, end1, end2));
      std::fprintf(stream, "%sType Line \n", indent);
      if (status == VYN_TK_NO_ERROR) {
        vector_line(stream, inner, "end1", end1);
        vector_line(stream, inner, "end2", end2);
      }
      break;
    }
    case VYN_CURVE_ARC: {
      double vec1[3], vec2[3], origin[3], start = 0, end = 0, radius = 0;
      status = util_call_report("VynArcdataGet()", "VynUtilCurvedataPrint()",
                                VynArcdataGet(data, vec1, vec2, origin, &start, &end, &radius));
      std::fprintf(stream, "%sType Arc\n", indent);
      if (status == VYN_TK_NO_ERROR) {
        vector_line(stream, inner, "vec1", vec1);
        vector_line(stream, inner, "vec2", vec2);
        vector_line(stream, inner, "origin", origin);
        std::fprintf(stream, "%sstart_angle %.5f\n", inner, start);
        std::fprintf(stream, "%send_angle %.5f\n", inner, end);
        std::fprintf(stream, "%sradius %.5f\n", inner, radius);
      }
      break;
    }
    case VYN_CURVE_SPLINE: {
      const VynSplineCurve& spline = data->spline;
      std::fprintf(stream, "%sType Spline\n", indent);
      std::fprintf(stream, "%sParameters\n", inner);
      status = array_print(stream, inner, spline.params, 1);
      std::fprintf(stream, "%sPoints\n", inner);
      status = array_print(stream, inner, spline.points, 3);
      std::fprintf(stream, "%sTangent Vectors\n", inner);
      status = array_print(stream, inner, spline.tangents, 3);
      break;
    }
    case VYN_CURVE_BSPLINE: {
      int degree = 0, param_count = 0, point_count = 0;
      double *params = nullptr, *weights = nullptr, *points = nullptr;
      status = util_call_report(
          "VynBsplinedataGet()", "VynUtilCurvedataPrint()",
          VynBsplinedataGet(word(data), word(&degree), word(&params), word(&weights), word(&points),
                            word(&param_count), word(&point_count)));
      std::fprintf(stream, "%sType B_spline\n", indent);
      if (status != VYN_TK_NO_ERROR) break;
      std::fprintf(stream, "%sDegree %d\n", inner, degree);
      labelled_list(stream, inner, "Parameters", params, param_count);
      if (weights) labelled_list(stream, inner, "Weights", weights, point_count);
      labelled_list(stream, inner, "Points", points, 3LL * point_count);
      break;
    }
    case VYN_CURVE_COMPOSITE: {
      VynArray components = nullptr;
      status = util_call_report("VynCompositeCurvedataGet()", "VynUtilCurvedataPrint()",
                                VynCompositeCurvedataGet(word(data), word(&components)));
      std::fprintf(stream, "%sType Composite\n", indent);
      int n = 0;
      if (status == VYN_TK_NO_ERROR && components)
        status = util_call_report("VynArraySizeGet()", "VynUtilCurvedataPrint()",
                                  VynArraySizeGet(components, &n));
      if (status != VYN_TK_NO_ERROR) break;
      std::fprintf(stream, "%sComponents [%d]\n", inner, n);
      // Components one level deeper, as long as the indent can grow: a composite that
      // (through the host) holds itself ends there.
      char component_indent[VYN_UTIL_INDENT_SIZE];
      deeper(component_indent, inner);
      const bool nested = std::strlen(component_indent) > std::strlen(inner);
      for (int i = 0; i < n; ++i) {
        const VynComponentCurvedata& component = static_cast<const VynComponentCurvedata*>(components)[i];
        std::fprintf(stream, "%sComponent %d\n", inner, i);
        std::fprintf(stream, "%sDirection %d\n", inner, component.direction);
        if (nested) status = VynUtilCurvedataPrint(stream, component_indent, &component.curve);
      }
      break;
    }
    case VYN_CURVE_ELLIPSE: {
      double origin[3], vec1[3], vec2[3], major = 0, minor = 0, start = 0, end = 0;
      status = util_call_report(
          "VynEllipsedataGet()", "VynUtilCurvedataPrint()",
          VynEllipsedataGet(data, origin, vec1, vec2, &major, &minor, &start, &end));
      std::fprintf(stream, "%sType Ellipse\n", indent);
      if (status == VYN_TK_NO_ERROR) {
        vector_line(stream, inner, "origin", origin);
        vector_line(stream, inner, "vec1", vec1);
        vector_line(stream, inner, "vec2", vec2);
        std::fprintf(stream, "%smajor_axis_len %.5f\n", inner, major);
        std::fprintf(stream, "%sminor_axis_len %.5f\n", inner, minor);
        std::fprintf(stream, "%sstart_angle %.5f\n", inner, start);
        std::fprintf(stream, "%send_angle %.5f\n", inner, end);
      }
      break;
    }
    default:
      std::fprintf(stream, "%sType Unsupported (%d)\n", indent, type);
      break;
  }
  return status;
}

VynError VynUtilSurfacedataPrint(std::FILE* stream, const char* indent,
                                 const VynSurfacedata* data) {
  if (!stream || !data) return VYN_TK_BAD_INPUTS;
  if (!indent) indent = "";
  char inner[VYN_UTIL_INDENT_SIZE];
  deeper(inner, indent);
  int type = 0, orient = 0, id = 0;
  double uv_min[2] = {}, uv_max[2] = {};
  VynSurfaceShape shape;
  std::memset(&shape, 0, sizeof shape);
  VynError status =
      util_call_report("VynSurfacedataGet()", "VynUtilSurfacedataPrint()",
                       VynSurfacedataGet(data, &type, uv_min, uv_max, &orient, &shape, &id));
  if (status != VYN_TK_NO_ERROR) return status;
  std::fprintf(stream, "%sId  %d\n", indent, id);
  std::fprintf(stream, "%sUv min ( %.5f, %.5f)\n", indent, uv_min[0], uv_min[1]);
  std::fprintf(stream, "%sUv max ( %.5f, %.5f)\n", indent, uv_max[0], uv_max[1]);
  std::fprintf(stream, "%sOrient %d\n", indent, orient);
  contours_print(stream, indent, data);
  switch (type) {
    case VYN_SRF_PLANE:
      std::fprintf(stream, "%sType Plane\n", indent);
      axes_print(stream, inner, shape.plane);
      break;
    case VYN_SRF_CYLINDER:
      std::fprintf(stream, "%sType Cylinder\n", indent);
      axes_print(stream, inner, shape.cylinder.axes);
      std::fprintf(stream, "%sradius %.5f\n", inner, shape.cylinder.radius);
      break;
    case VYN_SRF_CONE:
      std::fprintf(stream, "%sType Cone\n", indent);
      axes_print(stream, inner, shape.cone.axes);
      std::fprintf(stream, "%salpha %.5f\n", inner, shape.cone.alpha);
      break;
    case VYN_SRF_TORUS:
      std::fprintf(stream, "%sType Torus\n", indent);
      axes_print(stream, inner, shape.torus.axes);
      std::fprintf(stream, "%sradius1 %.5f\n", inner, shape.torus.radius1);
      std::fprintf(stream, "%sradius2 %.5f\n", inner, shape.torus.radius2);
      break;
    case VYN_SRF_RULED:
      std::fprintf(stream, "%sType Ruled\n", indent);
      axes_print(stream, inner, shape.rulsrf.axes);
      std::fprintf(stream, "%sCurve_1\n", inner);
      status = VynUtilCurvedataPrint(stream, inner, &shape.rulsrf.Curve_1);
      std::fprintf(stream, "%sCurve_2\n", inner);
      status = VynUtilCurvedataPrint(stream, inner, &shape.rulsrf.Curve_2);
      break;
    case VYN_SRF_REVOLVE:
    case VYN_SRF_TABULATED_CYLINDER: {
      const VynCurveShape& curved = type == VYN_SRF_REVOLVE ? shape.srfrev : shape.tabcyl;
      std::fprintf(stream, "%sType %s\n", indent, type == VYN_SRF_REVOLVE ? "Rev" : "Tabcyl");
      axes_print(stream, inner, curved.axes);
      std::fprintf(stream, "%sCurve\n", inner);
      status = VynUtilCurvedataPrint(stream, inner, &curved.curve);
      break;
    }
    case VYN_SRF_FILLET: {
      std::fprintf(stream, "%sType Fillet\n", indent);
      const VynFilletShape& fillet = shape.filsrf;
      const struct {
        const char* label;
        const unsigned char* record;
      } curves[] = {{"Pnt Spline", fillet.pnt_spline},
                    {"Ctr Spline", fillet.ctr_spline},
                    {"Tan Spline", fillet.tan_spline}};
      for (const auto& curve : curves) {
        std::fprintf(stream, "%s%s\n", inner, curve.label);
        status = host_spline_print(stream, inner, curve.record);
      }
      break;
    }
    case VYN_SRF_CYLINDRICAL_SPLINE:
      std::fprintf(stream, "%sType Cyl Spl\n", indent);
      axes_print(stream, inner, shape.cylsplsrf.axes);
      std::fprintf(stream, "%sSpline Srf\n", inner);
      status = spline_surface_print(stream, inner, shape.cylsplsrf.spline_surface);
      break;
    case VYN_SRF_SPLINE:
      status = spline_surface_print(stream, indent, &shape);
      break;
    case VYN_SRF_BSPLINE: {
      int degrees[2] = {}, u_count = 0, v_count = 0, point_count = 0;
      double *u = nullptr, *v = nullptr, *weights = nullptr, *points = nullptr;
      status = util_call_report(
          "VynBsplinesrfdataGet()", "VynUtilSurfacedataPrint()",
          VynBsplinesrfdataGet(word(&shape), word(degrees), word(&u), word(&v), word(&weights),
                               word(&points), word(&u_count), word(&v_count),
                               word(&point_count)));
      std::fprintf(stream, "%sType B_spline\n", indent);
      if (status != VYN_TK_NO_ERROR) break;
      std::fprintf(stream, "%sdegree %d, %d\n", inner, degrees[0], degrees[1]);
      labelled_list(stream, inner, "U Param Array", u, u_count);
      labelled_list(stream, inner, "V Param Array", v, v_count);
      labelled_list(stream, inner, "Weights Array", weights, point_count);
      labelled_list(stream, inner, "Point Array", points, 3LL * point_count);
      break;
    }
    case VYN_SRF_FOREIGN: {
      // A foreign surface's shape begins with its foreign id.
      int foreign_id = 0;
      std::memcpy(&foreign_id, shape.bytes, sizeof foreign_id);
      std::fprintf(stream, "%sType Foreign\n", indent);
      std::fprintf(stream, "%sForein Id %d\n", inner, foreign_id);
      break;
    }
    default:
      std::fprintf(stream, "%sType Unsupported (%d)\n", indent, type);
      break;
  }
  return status;
}

namespace {

// A count of the interference data's items of one kind; 0 when it cannot be read.
int intf_count(VynError (*count)(VynWord, VynWord), const VynIntfData* data, VynError* status,
               const char* name) {
  int n = 0;
  *status = util_call_report(name, "VynUtilIntfDataPrint()",
                             count(reinterpret_cast<VynWord>(data), reinterpret_cast<VynWord>(&n)));
  return *status == VYN_TK_NO_ERROR && n > 0 ? n : 0;
}

template <typename T>
VynError intf_get(VynError (*get)(VynWord, VynWord, VynWord), const VynIntfData* data, int index,
                  T* out, const char* name) {
  return util_call_report(
      name, "VynUtilIntfDataPrint()",
      get(reinterpret_cast<VynWord>(data), index, reinterpret_cast<VynWord>(out)));
}

}  // namespace

VynError VynUtilIntfDataPrint(std::FILE* stream, const VynIntfData* data) {
  if (!stream || !data) return VYN_TK_BAD_INPUTS;
  int accuracy_type = 0;
  double accuracy = 0.0;
  double outline[2][3] = {};
  VynIntfDataAccuracyGet(data, &accuracy);
  VynIntfDataAccuracytypeGet(data, &accuracy_type);
  VynError status = VynIntfDataOutlineGet(data, outline);
  std::fprintf(stream, "Accuracy %.5f\n", accuracy);
  std::fprintf(stream, "Accuracy type %d\n", accuracy_type);
  std::fprintf(stream, "Outline ( %.5f, %.5f, %.5f) - ( %.5f, %.5f, %.5f)\n", outline[0][0],
               outline[0][1], outline[0][2], outline[1][0], outline[1][1], outline[1][2]);

  int n = intf_count(VynIntfDataSurfaceCount, data, &status, "VynIntfDataSurfaceCount()");
  std::fprintf(stream, "Surfaces [%d]\n", n);
  for (int i = 0; i < n; ++i) {
    VynSurfacedata* surface = nullptr;
    std::fprintf(stream, "Surface  %d\n", i);
    status = intf_get(VynIntfDataSurfaceGet, data, i, &surface, "VynIntfDataSurfaceGet()");
    if (status == VYN_TK_NO_ERROR && surface)
      status = VynUtilSurfacedataPrint(stream, "    ", surface);
  }

  n = intf_count(VynIntfDataEdgeCount, data, &status, "VynIntfDataEdgeCount()");
  std::fprintf(stream, "Edges [%d]\n", n);
  for (int i = 0; i < n; ++i) {
    std::fprintf(stream, "Edge %d\n", i);
    void* edge = nullptr;
    status = intf_get(VynIntfDataEdgeGet, data, i, &edge, "VynIntfDataEdgeGet()");
    if (status != VYN_TK_NO_ERROR || !edge) continue;
    int id = 0, surfaces[2] = {}, directions[2] = {};
    VynArray uv_points = nullptr;
    VynCurvedata* uv_curves[2] = {};
    VynCurvedata* curve = nullptr;
    status = util_call_report(
        "VynEdgedataGet()", "VynUtilIntfDataPrint()",
        VynEdgedataGet(reinterpret_cast<VynWord>(edge), reinterpret_cast<VynWord>(&id),
                       reinterpret_cast<VynWord>(surfaces), reinterpret_cast<VynWord>(directions),
                       reinterpret_cast<VynWord>(&uv_points), reinterpret_cast<VynWord>(uv_curves),
                       reinterpret_cast<VynWord>(&curve)));
    if (status != VYN_TK_NO_ERROR) continue;
    std::fprintf(stream, "    Id %d\n", id);
    std::fprintf(stream, "    Surfaces Ids %d %d\n", surfaces[0], surfaces[1]);
    std::fprintf(stream, "    Edge dirs %d %d\n", directions[0], directions[1]);
    std::fprintf(stream, "    Edge curve\n");
    if (curve) VynUtilCurvedataPrint(stream, "        ", curve);
    for (int k = 0; k < 2; ++k) {
      std::fprintf(stream, "    Edge uv curve[%d]\n", k);
      if (uv_curves[k]) VynUtilCurvedataPrint(stream, "        ", uv_curves[k]);
    }
    std::fprintf(stream, "    Edge uv point array\n");
    if (uv_points) array_print(stream, "        ", uv_points, 2);
  }

  n = intf_count(VynIntfDataQuiltCount, data, &status, "VynIntfDataQuiltCount()");
  std::fprintf(stream, "Quits [%d]\n", n);
  for (int i = 0; i < n; ++i) {
    std::fprintf(stream, "Quit %d\n", i);
    VynArray quilt = nullptr;
    status = intf_get(VynIntfDataQuiltGet, data, i, &quilt, "VynIntfDataQuiltGet()");
    int surfaces = 0;
    if (status == VYN_TK_NO_ERROR && quilt) VynArraySizeGet(quilt, &surfaces);
    std::fprintf(stream, "    Quit surfaces %d\n", surfaces);
    for (int k = 0; k < surfaces; ++k) {
      std::fprintf(stream, "    Quit surface  %d\n", k);
      VynSurfacedata* surface = static_cast<VynSurfacedata**>(quilt)[k];
      if (surface) status = VynUtilSurfacedataPrint(stream, "        ", surface);
    }
  }
  return status;
}
