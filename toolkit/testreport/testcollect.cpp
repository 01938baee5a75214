#include "toolkit/testreport/testcollect.h"

#include <cstdio>
#include <cstring>

#include "runtime/text/wide.h"
#include "toolkit/api/app_api.h"
#include "toolkit/api/catalogue_feature_option_api.h"
#include "toolkit/testreport/testreport.h"
#include "toolkit/util/strutil_report.h"

namespace {

// ---- Type names

struct TypeName {
  const char* name;
  int value;
};

const TypeName surface_types[] = {
    {"VYN_SRF_NONE", -3},    {"VYN_SRF_PLANE", 34},   {"VYN_SRF_CYL", 36},
    {"VYN_SRF_CONE", 37},    {"VYN_SRF_TORUS", 38},   {"VYN_SRF_COONS", 39},
    {"VYN_SRF_SPL", 40},     {"VYN_SRF_FIL", 41},     {"VYN_SRF_RUL", 42},
    {"VYN_SRF_REV", 43},     {"VYN_SRF_TABCYL", 44},  {"VYN_SRF_B_SPL", 45},
    {"VYN_SRF_FOREIGN", 46}, {"VYN_SRF_CYL_SPL", 48}, {nullptr, 0},
};

const TypeName feature_statuses[] = {
    {"VYN_FEAT_INVALID", -1},
    {"VYN_FEAT_ACTIVE", 0},
    {"VYN_FEAT_INACTIVE", 1},
    {"VYN_FEAT_FAMTAB_SUPPRESSED", 2},
    {"VYN_FEAT_SIMP_REP_SUPPRESSED", 3},
    {"VYN_FEAT_PROG_SUPPRESSED", 4},
    {"VYN_FEAT_SUPPRESSED", 5},
    {"VYN_FEAT_UNREGENERATED", 6},
    {nullptr, 0},
};

const TypeName tool_types[] = {
    {"VYN_TOOL_NONE", 0},
    {"VYN_TOOL_DRILL", 1},
    {"VYN_TOOL_TURN", 2},
    {"VYN_TOOL_SAW", 4},
    {"VYN_TOOL_MILL", 8},
    {"VYN_TOOL_GROOVE", 16},
    {"VYN_TOOL_NIBBLE", 32},
    {"VYN_TOOL_PUNCH", 64},
    {"VYN_TOOL_AUXILIARY", 128},
    {"VYN_TOOL_FORM", 256},
    {"VYN_TOOL_PUNPNT", 512},
    {"VYN_TOOL_AREA_NIB", 1024},
    {"VYN_TOOL_MFG_REFINE", 2048},
    {"VYN_TOOL_BORE", 16384},
    {"VYN_TOOL_TAP", 32768},
    {"VYN_TOOL_CSINK", 65536},
    {"VYN_TOOL_REAM", 131072},
    {"VYN_TOOL_CENTER_DRL", 262144},
    {"VYN_TOOL_TURN_GRV", 524288},
    {"VYN_TOOL_MILL_THREAD", 1048576},
    {"VYN_TOOL_TURN_THREAD", 2097152},
    {"VYN_TOOL_SHEAR", 4194304},
    {"VYN_TOOL_SIDE_MILL", 8388608},
    {"VYN_TOOL_CMM_FIXED", 16777216},
    {"VYN_TOOL_CMM_ROTATED", 33554432},
    {"VYN_TOOL_BACK", 134217728},
    {nullptr, 0},
};

const TypeName item_types[] = {
    {"VYN_TYPE_UNUSED", -1},     {"VYN_ASSEMBLY", 1},         {"VYN_PART", 2},
    {"VYN_FEATURE", 3},          {"VYN_DRAWING", 4},          {"VYN_SURFACE", 5},
    {"VYN_EDGE", 6},             {"VYN_3DSECTION", 7},        {"VYN_DIMENSION", 8},
    {"VYN_2DSECTION", 11},       {"VYN_LAYOUT", 19},          {"VYN_AXIS", 21},
    {"VYN_CSYS", 25},            {"VYN_REF_DIMENSION", 28},   {"VYN_GTOL", 32},
    {"VYN_DWGFORM", 33},         {"VYN_SUB_ASSEMBLY", 34},    {"VYN_MFG", 37},
    {"VYN_QUILT", 57},           {"VYN_CURVE", 62},           {"VYN_POINT", 66},
    {"VYN_NOTE", 68},            {"VYN_IPAR_NOTE", 69},       {"VYN_EDGE_START", 71},
    {"VYN_EDGE_END", 72},        {"VYN_CRV_START", 74},       {"VYN_CRV_END", 75},
    {"VYN_SYMBOL_INSTANCE", 76}, {"VYN_DRAFT_ENTITY", 77},    {"VYN_REPORT", 105},
    {"VYN_MARKUP", 116},         {"VYN_SKETCH_ENTITY", 133},  {"VYN_COMP_CRV", 180},
    {"VYN_PARAMETER", 240},      {"VYN_DIAGRAM_WIRE", 308},   {"VYN_SIMP_REP", 309},
    {"VYN_EXTOBJ", 385},         {"VYN_CONTOUR", 1000},       {"VYN_GROUP", 1001},
    {"VYN_FAMILY_TABLE", 1003},  {nullptr, 0},
};

const TypeName edge_types[] = {
    {"VYN_ENT_NONE", -1},     {"VYN_ENT_POINT", 1},    {"VYN_ENT_LINE", 2},
    {"VYN_ENT_ARC", 3},       {"VYN_ENT_TXT", 6},      {"VYN_ENT_ARROW", 8},
    {"VYN_ENT_CIRCLE", 10},   {"VYN_ENT_SPLINE", 12},  {"VYN_ENT_B_SPLINE", 19},
    {"VYN_ENT_ELLIPSE", 30},  {"VYN_ENT_POLYGON", 40}, {"VYN_ENT_CMP_CRV", 41},
    {nullptr, 0},
};

const char* type_name(const TypeName* table, int value) {
  for (const TypeName* row = table; row->name; ++row) {
    if (row->value == value) return row->name;
  }
  return "unknown";
}

// ---- Element values

char value_text[VYN_UTIL_VALUE_TEXT_SIZE];

// ---- The test menu

const char kMenu[] = "COLLECTION";

// The message file of the tests' prompts, as wide text.
VynWchar test_msg_file[16];
// The tests' output stream while the menu runs.
std::FILE* collect_stream;

// VynMenuDelete as a button action.
int delete_action(void*, int) {
  util_call_report("VynMenuDelete()", "VynTestCollection()", VynMenuDelete());
  return 0;
}

// The buttons of the menu with the test each one runs. A button without a test keeps
// the host's default action: its test collects through the collection utilities, and
// gets its action once they are in the toolkit.
struct CollectionButton {
  const char* button;
  VynMenubuttonAction action;
};

const CollectionButton collection_buttons[] = {
    {"Animation", nullptr},         {"Solid Csys", nullptr},      {"Solid Axis", nullptr},
    {"Solid Quilts", nullptr},      {"Solid Surfaces", nullptr},  {"Simp Reps", nullptr},
    {"Solid Features", nullptr},    {"Model Notes", nullptr},     {"Mfg Tools", nullptr},
    {"Feature Geomitems", nullptr}, {"Elements", nullptr},        {"Curve Comps", nullptr},
    {"Contours", nullptr},          {"Extobj", nullptr},          {"Find By Name", nullptr},
    {"Axis By Plane", nullptr},     {"Dimensions", nullptr},      {"Done Collect", delete_action},
    {kMenu, delete_action},
};

}  // namespace

// ---- Type names

const char* VynUtilSurfaceTypeToString(int type) { return type_name(surface_types, type); }
const char* VynUtilFeatureStatusToString(int status) {
  return type_name(feature_statuses, status);
}
const char* VynUtilToolTypeToString(int type) { return type_name(tool_types, type); }
const char* VynUtilGeomitemTypeToString(int type) { return type_name(item_types, type); }
const char* VynUtilEdgeTypeToString(int type) { return type_name(edge_types, type); }

// ---- Helpers of the tests

const char* VynUtilValueToString(VynValue value) {
  VynValuedata data;
  std::memset(&data, 0, sizeof data);
  VynError status = VynValueDataGet(value, &data);
  util_call_report("VynValueDataGet)", "VynUtilValueToString()", status);
  if (status != VYN_TK_NO_ERROR) {
    std::snprintf(value_text, sizeof value_text, "unknown");
    return value_text;
  }
  switch (data.type) {
    case 1:
      std::snprintf(value_text, sizeof value_text, "%d", data.value.i);
      break;
    case 2:
      std::snprintf(value_text, sizeof value_text, "%f", data.value.d);
      break;
    case 3:
      std::snprintf(value_text, sizeof value_text, "pointer");
      break;
    case 4:
      std::snprintf(value_text, sizeof value_text, "%s", data.value.s ? data.value.s : "");
      break;
    case 5:
      if (data.value.w) {
        vek::wstostr_bounded(value_text, sizeof value_text, data.value.w);
      } else {
        value_text[0] = '\0';
      }
      break;
    case 6:
      std::snprintf(value_text, sizeof value_text, "Selection");
      break;
    default:
      std::snprintf(value_text, sizeof value_text, "unknown");
      break;
  }
  return value_text;
}

int VynUtilSelectedSurfaceGet(VynSelection selection, VynSurface* surface) {
  if (!surface) return -1;
  VynModelitem item;
  std::memset(&item, 0, sizeof item);
  if (util_call_report("VynSelectionModelitemGet()", "VynUtilSelectedSurfaceGet()",
               VynSelectionModelitemGet(selection, &item)) != VYN_TK_NO_ERROR)
    return -1;
  if (item.type != 5) return -1;
  if (util_call_report("VynGeomitemToSurface()", "VynUtilSelectedSurfaceGeton()",
               VynGeomitemToSurface(&item, surface)) != VYN_TK_NO_ERROR)
    return -1;
  return 0;
}

int VynUtilSelectedCurveGet(VynSelection selection, VynCurve* curve) {
  if (!curve) return -1;
  VynModelitem item;
  std::memset(&item, 0, sizeof item);
  if (util_call_report("VynSelectionModelitemGet()", "VynUtilSelectedCurveGet()",
               VynSelectionModelitemGet(selection, &item)) != VYN_TK_NO_ERROR)
    return -1;
  if (item.type != 62) return -1;
  if (util_call_report("VynGeomitemToCurve()", "VynUtilSelectedCurveGet()",
               VynGeomitemToCurve(&item, curve)) != VYN_TK_NO_ERROR)
    return -1;
  return 0;
}

int VynTestFeatureArrayPrint(VynArray features, std::FILE* stream) {
  if (!stream) stream = stderr;
  int size = 0;
  if (util_call_report("VynArraySizeGet()", "VynTestFeatureArrayPrint()",
               VynArraySizeGet(features, &size)) != VYN_TK_NO_ERROR)
    size = 0;
  std::fprintf(stream, "Number of features:\t%d\n", size);
  VynFeature* items = static_cast<VynFeature*>(features);
  for (int i = 0; i < size; ++i) {
    int type = 0;
    int status = 0;
    util_call_report("VynFeatureTypeGet()", "VynTestFeatureArrayPrint()",
             VynFeatureTypeGet(&items[i], &type));
    util_call_report("VynFeatureStatusGet()", "VynTestFeatureArrayPrint()",
             VynFeatureStatusGet(&items[i], &status));
    std::fprintf(stream, "Id %d,\ttype %d,\tstatus: %s\n", items[i].id, type,
                 VynUtilFeatureStatusToString(status));
  }
  return 0;
}

// ---- The test menu

std::FILE* VynTestCollectionStream() { return collect_stream; }

int VynTestCollection(VynMdl* model) {
  vek::strtows_bounded(test_msg_file, sizeof test_msg_file / sizeof test_msg_file[0],
                       "gen_msg.txt");
  collect_stream = std::fopen("visitcollect.dat", "a");
  bool own_stream = collect_stream != nullptr;
  if (!own_stream) collect_stream = stderr;
  // The menu file's words: the menu's name, the file name (wide) and the menu's id out.
  int menu_id = 0;
  VynError status = util_call_report(
      "VynMenuFileRegister()", "VynTestCollection()",
      VynMenuFileRegister(reinterpret_cast<VynWord>(kMenu),
                          reinterpret_cast<VynWord>(u"collection.mnu"),
                          reinterpret_cast<VynWord>(&menu_id)));
  if (status != VYN_TK_NO_ERROR) {
    // The stream is closed here too, so that a refused menu leaves no file open.
    if (own_stream) std::fclose(collect_stream);
    collect_stream = nullptr;
    return -1;
  }
  for (const CollectionButton& row : collection_buttons) {
    if (!row.action) continue;
    util_call_report("VynMenubuttonActionSet()", "VynTestCollection()",
             VynMenubuttonActionSet(kMenu, row.button, row.action, model, 0));
  }
  util_call_report("VynMenuCreate()", "VynTestCollection()",
           VynMenuCreate(0, reinterpret_cast<VynWord>(kMenu),
                         reinterpret_cast<VynWord>(&menu_id)));
  int value = 0;
  util_call_report("VynMenuProcess()", "VynTestCollection()", VynMenuProcess(kMenu, &value));
  if (own_stream) std::fclose(collect_stream);
  collect_stream = nullptr;
  return 0;
}
