#include "toolkit/util/printutil.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/w32/crt.h"
#include "runtime/text/wide.h"
#include "toolkit/api/app_api.h"
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
  std::snprintf(out, sizeof out, "%s    ", indent);
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
  if (std::strlen(dot + 1) != 3) return -2;
  int type = VynUtilGetVynType(dot + 1);
  if (type == -2) return -2;
  std::size_t length = static_cast<std::size_t>(dot - file_name);
  std::memcpy(name_out, file_name, length);
  name_out[length] = '\0';
  *type_out = type;
  return type;
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
  // A line holds the indent and a few numbers beyond 70 characters at most.
  char line[VYN_UTIL_INDENT_SIZE + 256];
  std::snprintf(line, sizeof line, "%s", indent);
  for (int i = 0; i < count; ++i) {
    double value = std::fabs(values[i]) < 1e-6 ? 0.0 : values[i];
    std::size_t used = std::strlen(line);
    std::snprintf(line + used, sizeof line - used, "%.5f%s", value, i + 1 < count ? "," : "");
    if (std::strlen(line) > 70 || i + 1 == count) {
      std::fprintf(stream, "%s\n", line);
      std::snprintf(line, sizeof line, "%s", indent);
    } else {
      used = std::strlen(line);
      std::snprintf(line + used, sizeof line - used, " ");
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
      const VynBsplineCurve& bspline = data->bspline;
      std::fprintf(stream, "%sType B_spline\n", indent);
      std::fprintf(stream, "%sDegree %d\n", inner, bspline.degree);
      std::fprintf(stream, "%sParameters\n", inner);
      status = array_print(stream, inner, bspline.params, 1);
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
