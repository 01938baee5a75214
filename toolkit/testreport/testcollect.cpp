#include "toolkit/testreport/testcollect.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/w32/crt.h"
#include "runtime/text/wide.h"
#include "toolkit/api/app_api.h"
#include "toolkit/api/catalogue_2d_draw_api.h"
#include "toolkit/api/catalogue_drawing_featref_api.h"
#include "toolkit/api/catalogue_feature_option_api.h"
#include "toolkit/api/catalogue_output_udfreference_api.h"
#include "toolkit/api/catalogue_udfvardim_xsec_api.h"
#include "toolkit/testreport/testreport.h"
#include "toolkit/util/collect.h"
#include "toolkit/util/strutil.h"
#include "toolkit/util/strutil_report.h"
#include "toolkit/util/vecmath.h"

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

// The buttons of the menu with the test each one runs.
struct CollectionButton {
  const char* button;
  VynMenubuttonAction action;
};

const CollectionButton collection_buttons[] = {
    {"Animation", VynTestCollectAnimation},
    {"Solid Csys", VynTestCollectSolidCsys},
    {"Solid Axis", VynTestCollectSolidAxis},
    {"Solid Quilts", VynTestCollectSolidQuilts},
    {"Solid Surfaces", VynTestCollectSolidSurfaces},
    {"Simp Reps", VynTestCollectSolidSimpreps},
    {"Solid Features", VynTestCollectSolidFeatures},
    {"Model Notes", VynTestCollectModelNotes},
    {"Mfg Tools", VynTestCollectMfgTools},
    {"Feature Geomitems", VynTestCollectFeatureGeomitems},
    {"Elements", VynTestCollectElemtreeElements},
    {"Curve Comps", VynTestCollectCurveComponents},
    {"Contours", VynTestCollectContours},
    {"Extobj", VynTestCollectExtobj},
    {"Find By Name", VynTestFindByName},
    {"Axis By Plane", VynTestCollectSolidAxisByPlane},
    {"Dimensions", VynTestCollectDimensions},
    {"Done Collect", delete_action},
    {kMenu, delete_action},
};

// ---- What the tests share

// The stream the tests write to: the menu's, or standard error outside the menu.
std::FILE* out() { return collect_stream ? collect_stream : stderr; }

// The model the tests work on: the handle the menu's data points to.
VynMdl model_of(void* model_arg) { return model_arg ? *static_cast<VynMdl*>(model_arg) : nullptr; }

// Prompts with "TEST <prompt>" and lets the user pick one item of filter: the pick (the
// host's until the next selection), or null.
VynSelection pick_one(const char* prompt, const char* filter, const char* caller) {
  util_call_report("VynMessageDisplay()", caller,
                   VynMessageDisplay(test_msg_file, "TEST %0s", prompt));
  VynArray picks = nullptr;
  int count = 0;
  if (util_call_report("VynSelect()", caller,
                       VynSelect(filter, 1, nullptr, nullptr, nullptr, 0, &picks, &count)) !=
          VYN_TK_NO_ERROR ||
      count < 1 || !picks)
    return nullptr;
  return static_cast<VynSelection*>(picks)[0];
}

// The model item a pick names; false when it cannot be read.
bool picked_item(VynSelection pick, VynModelitem* item, const char* caller) {
  std::memset(item, 0, sizeof *item);
  return pick && util_call_report("VynSelectionModelitemGet()", caller,
                                  VynSelectionModelitemGet(pick, item)) == VYN_TK_NO_ERROR;
}

// An item's name, narrow; "" for one without a name.
void item_name(VynModelitem* item, char* name, int size) {
  VynName wide = {};
  name[0] = '\0';
  if (VynModelitemNameGet(item, wide) == VYN_TK_NO_ERROR) vek::wstostr_bounded(name, size, wide);
}

int array_size(VynArray array) {
  int size = 0;
  if (!array || VynArraySizeGet(array, &size) != VYN_TK_NO_ERROR) return 0;
  return size;
}

// A collection of a solid's handles, each printed by its item's name.
typedef VynError (*HandleCollector)(VynSolid, VynArray*);
typedef VynError (*HandleToItem)(VynSolid, void*, VynGeomitem*);
VynError csys_item(VynSolid solid, void* handle, VynGeomitem* item) {
  return VynCsysToGeomitem(solid, static_cast<VynCsys>(handle), item);
}
VynError axis_item(VynSolid solid, void* handle, VynGeomitem* item) {
  return VynAxisToGeomitem(solid, static_cast<VynAxis>(handle), item);
}
VynError quilt_item(VynSolid solid, void* handle, VynGeomitem* item) {
  return VynQuiltToGeomitem(reinterpret_cast<VynWord>(solid), reinterpret_cast<VynWord>(handle),
                            reinterpret_cast<VynWord>(item));
}

void handle_names_print(VynSolid solid, VynArray handles, HandleToItem to_item) {
  int n = array_size(handles);
  for (int i = 0; i < n; ++i) {
    VynGeomitem item{};
    char name[VYN_UTIL_NARROW_SIZE] = "";
    if (to_item(solid, static_cast<void**>(handles)[i], &item) == VYN_TK_NO_ERROR)
      item_name(&item, name, sizeof name);
    std::fprintf(out(), "%s\n", name);
  }
}

int handles_test(void* model_arg, const char* header, const char* count_line,
                 HandleCollector collector, HandleToItem to_item, const char* caller) {
  VynSolid solid = model_of(model_arg);
  std::fprintf(out(), "%s", header);
  VynArray handles = nullptr;
  util_call_report("VynUtilCollect()", caller, collector(solid, &handles));
  std::fprintf(out(), count_line, array_size(handles));
  handle_names_print(solid, handles, to_item);
  if (handles) VynArrayFree(&handles);
  return 0;
}

// A collection of model items, each printed by its name.
int item_names_test(VynArray items, const char* count_line) {
  int n = array_size(items);
  std::fprintf(out(), count_line, n);
  for (int i = 0; i < n; ++i) {
    char name[VYN_UTIL_NARROW_SIZE];
    item_name(&static_cast<VynModelitem*>(items)[i], name, sizeof name);
    std::fprintf(out(), "%s\n", name);
  }
  if (items) VynArrayFree(&items);
  return 0;
}

const char* contour_kind(int traversal) {
  switch (traversal) {
    case -1:
      return "Internal";
    case 1:
      return "External";
    case 0:
      return "Undefined";
    default:
      return "Erroneous";
  }
}

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
  collect_stream = w32::fopen("visitcollect.dat", "a");
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

// ---- The collection tests

int VynTestCollectAnimation(void* model_arg, int) {
  constexpr int kFrames = 10;
  const char* caller = "VynTestCollectAnimation()";
  VynSolid solid = model_of(model_arg);
  std::fprintf(out(), "\n# Animation frames & objects\n");
  util_call_report("VynMessageDisplay()", caller,
                   VynMessageDisplay(test_msg_file, "TEST %0s", "Select objects to animate"));
  VynArray picks = nullptr;
  int count = 0;
  if (util_call_report("VynSelect()", caller,
                       VynSelect("part", -1, nullptr, nullptr, nullptr, 0, &picks, &count)) != 0 ||
      count < 1 || !picks)
    return 0;
  // The picks are the host's until the next selection: their items are kept here, each
  // part picked with an animation object of its own in every frame.
  const int parts = count;
  auto* items = static_cast<VynModelitem*>(
      std::calloc(static_cast<std::size_t>(parts), sizeof(VynModelitem)));
  auto* objects = static_cast<VynWord*>(
      std::calloc(static_cast<std::size_t>(parts) * kFrames, sizeof(VynWord)));
  if (items)
    for (int i = 0; i < parts; ++i)
      picked_item(static_cast<VynSelection*>(picks)[i], &items[i], caller);
  VynAnimmovie movie = nullptr;
  if (!items || !objects ||
      util_call_report("VynAnimmovieCreate()", caller,
                       VynAnimmovieCreate(reinterpret_cast<VynWord>(solid),
                                          reinterpret_cast<VynWord>(&movie))) != 0) {
    std::free(items);
    std::free(objects);
    return 0;
  }
  VynAnimframe frames[kFrames] = {};
  for (int k = 1; k <= kFrames; ++k) {
    double rotation[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    VynUtilXRot(360.0 / kFrames * k, rotation);
    VynAnimframe& frame = frames[k - 1];
    if (util_call_report("VynAnimframeCreate()", caller,
                         VynAnimframeCreate(reinterpret_cast<VynWord>(rotation),
                                            reinterpret_cast<VynWord>(&frame))) != 0)
      continue;
    for (int i = 0; i < parts; ++i) {
      VynWord& object = objects[(k - 1) * parts + i];
      if (util_call_report("VynAnimobjectCreate()", caller,
                           VynAnimobjectCreate(reinterpret_cast<VynWord>(items[i].owner),
                                               reinterpret_cast<VynWord>(rotation),
                                               reinterpret_cast<VynWord>(&object))) == 0)
        util_call_report("VynAnimframeObjAdd()", caller,
                         VynAnimframeObjAdd(reinterpret_cast<VynWord>(frame), object));
    }
    util_call_report("VynAnimmovieFrameAdd()", caller,
                     VynAnimmovieFrameAdd(reinterpret_cast<VynWord>(movie),
                                          reinterpret_cast<VynWord>(frame)));
  }
  util_call_report("VynBatchAnimationStart()", caller,
                   VynBatchAnimationStart(reinterpret_cast<VynWord>(movie), 0, 0));
  VynArray collected = nullptr;
  util_call_report("VynUtilCollectAnimFrames()", caller,
                   VynUtilCollectAnimFrames(movie, &collected));
  int n = array_size(collected);
  std::fprintf(out(), "Number of anim frames: %d\n", n);
  std::fprintf(out(), "Frame #\tNumber of objs in frame\n");
  for (int i = 0; i < n; ++i) {
    VynArray in_frame = nullptr;
    VynUtilCollectAnimObjects(static_cast<VynAnimframe*>(collected)[i], &in_frame);
    std::fprintf(out(), "%d\t%d\n", i + 1, array_size(in_frame));
    if (in_frame) VynArrayFree(&in_frame);
  }
  if (collected) VynArrayFree(&collected);
  for (int k = 0; k < kFrames; ++k) {
    if (!frames[k]) continue;
    for (int i = 0; i < parts; ++i) {
      const VynWord object = objects[k * parts + i];
      if (!object) continue;
      VynAnimframeObjRemove(reinterpret_cast<VynWord>(frames[k]), object);
      VynAnimobjectDelete(object);
    }
    VynAnimmovieFrameRemove(reinterpret_cast<VynWord>(movie), reinterpret_cast<VynWord>(frames[k]));
    VynAnimframeDelete(reinterpret_cast<VynWord>(frames[k]));
  }
  VynAnimmovieDelete(reinterpret_cast<VynWord>(movie));
  std::free(items);
  std::free(objects);
  return 0;
}

int VynTestCollectSolidCsys(void* model_arg, int) {
  return handles_test(model_arg, "\n# Solid CSYS\n", "Number of solid csys:\t%d\n",
                      VynUtilCollectSolidCsys, csys_item, "VynTestCollectSolidCsys()");
}

int VynTestCollectSolidAxis(void* model_arg, int) {
  return handles_test(model_arg, "\n# Solid axis\n", "Number of solid axis:\t%d\n",
                      VynUtilCollectSolidAxis, axis_item, "VynTestCollectSolidAxis()");
}

int VynTestCollectSolidQuilts(void* model_arg, int) {
  return handles_test(model_arg, "\n# Solid quilts\n", "Number of solid quilts:\t%d\n",
                      VynUtilCollectSolidQuilts, quilt_item, "VynTestCollectSolidQuilts()");
}

int VynTestCollectSolidSurfaces(void* model_arg, int) {
  VynSolid solid = model_of(model_arg);
  std::fprintf(out(), "\n# Solid surfaces\n");
  VynArray surfaces = nullptr;
  util_call_report("VynUtilCollectSolidSurfaces()", "VynTestCollectSolidSurfaces()",
                   VynUtilCollectSolidSurfaces(solid, &surfaces));
  int n = array_size(surfaces);
  std::fprintf(out(), "Number of solid surfaces:\t%d\n", n);
  for (int i = 0; i < n; ++i) {
    VynSurface surface = static_cast<VynSurface*>(surfaces)[i];
    int id = 0, type = 0;
    VynSurfaceIdGet(surface, &id);
    VynSurfaceTypeGet(surface, &type);
    std::fprintf(out(), "ID %d:\t%s\n", id, VynUtilSurfaceTypeToString(type));
  }
  if (surfaces) VynArrayFree(&surfaces);
  return 0;
}

int VynTestCollectSolidSimpreps(void* model_arg, int) {
  std::fprintf(out(), "\n# Solid simprep\n");
  VynArray simpreps = nullptr;
  util_call_report("VynUtilCollectSolidSimpreps()", "VynTestCollectSolidSimpreps()",
                   VynUtilCollectSolidSimpreps(model_of(model_arg), &simpreps));
  return item_names_test(simpreps, "Number of simp reps:\t%d\n");
}

int VynTestCollectSolidFeatures(void* model_arg, int) {
  VynSolid solid = model_of(model_arg);
  std::fprintf(out(), "\n# Solid features\n");
  VynArray features = nullptr;
  util_call_report("VynUtilCollectSolidFeatures()", "VynTestCollectSolidFeatures()",
                   VynUtilCollectSolidFeatures(solid, &features));
  VynTestFeatureArrayPrint(features, out());
  if (features) VynArrayFree(&features);
  util_call_report("VynUtilCollectSolidFeatvis()", "VynTestCollectSolidFeatures()",
                   VynUtilCollectSolidFeatvis(solid, &features));
  VynTestFeatureArrayPrint(features, out());
  if (features) VynArrayFree(&features);
  int type = 0;
  if (VynMdlTypeGet(solid, &type) == VYN_TK_NO_ERROR && type == 1) {
    util_call_report("VynUtilCollectAsmcomp()", "VynTestCollectSolidFeatures()",
                     VynUtilCollectAsmcomp(solid, &features));
    VynTestFeatureArrayPrint(features, out());
    if (features) VynArrayFree(&features);
  }
  return 0;
}

int VynTestCollectModelNotes(void* model_arg, int) {
  std::fprintf(out(), "\n# Model notes\n");
  VynArray notes = nullptr;
  util_call_report("VynUtilCollectModelNotes()", "VynTestCollectModelNotes()",
                   VynUtilCollectModelNotes(model_of(model_arg), &notes));
  return item_names_test(notes, "Number of notes:\t%d\n");
}

int VynTestCollectMfgTools(void* model_arg, int) {
  std::fprintf(out(), "\n# Manufacturing tools\n");
  VynMfg mfg = reinterpret_cast<VynMfg>(model_of(model_arg));
  VynArray tools = nullptr;
  util_call_report("VynUtilCollectMfgTools()", "VynTestCollectMfgTools()",
                   VynUtilCollectMfgTools(mfg, &tools));
  int n = array_size(tools);
  std::fprintf(out(), "Number of mfg tools:\t%d\n", n);
  for (int i = 0; i < n; ++i) {
    unsigned char* tool = static_cast<unsigned char*>(tools) + i * VYN_UTIL_MFG_TOOL_SIZE;
    int type = 0;
    VynToolTypeGet(reinterpret_cast<VynWord>(tool), reinterpret_cast<VynWord>(&type));
    std::fprintf(out(), "%s\n", VynUtilToolTypeToString(type));
  }
  if (tools) VynArrayFree(&tools);
  return 0;
}

int VynTestCollectFeatureGeomitems(void* model_arg, int) {
  const char* caller = "VynTestCollectFeatureGeomitems()";
  (void)model_arg;
  VynFeature feature{};
  if (!picked_item(pick_one("Select the feature", "feature", caller), &feature, caller)) return 0;
  std::fprintf(out(), "\n# Feature geomitems\n");
  VynArray items = nullptr;
  util_call_report("VynUtilCollectFeatureGeomitems()", caller,
                   VynUtilCollectFeatureGeomitems(&feature, -1, &items));
  int n = array_size(items);
  std::fprintf(out(), "Number of geomitems:\t%d\n", n);
  for (int i = 0; i < n; ++i) {
    VynGeomitem& item = static_cast<VynGeomitem*>(items)[i];
    char name[VYN_UTIL_NARROW_SIZE];
    item_name(&item, name, sizeof name);
    std::fprintf(out(), "%s\t%s\n", VynUtilGeomitemTypeToString(item.type), name);
  }
  if (items) VynArrayFree(&items);
  return 0;
}

int VynTestCollectElemtreeElements(void* model_arg, int) {
  const char* caller = "VynTestCollectElemtreeElements()";
  (void)model_arg;
  VynFeature feature{};
  if (!picked_item(pick_one("Select the feature", "feature", caller), &feature, caller)) return 0;
  VynElement tree = nullptr;
  if (util_call_report("VynFeatureElemtreeCreate()", caller,
                       VynFeatureElemtreeCreate(&feature, &tree)) != VYN_TK_NO_ERROR)
    return 0;
  std::fprintf(out(), "\n# Elements\n");
  VynArray elements = nullptr;
  util_call_report("VynUtilCollectElemtreeElements()", caller,
                   VynUtilCollectElemtreeElements(tree, nullptr, &elements));
  int n = array_size(elements);
  std::fprintf(out(), "Number of elements:\t%d\n", n);
  for (int i = 0; i < n; ++i) {
    VynElement element = static_cast<VynUtilElemRecord*>(elements)[i].element;
    int id = 0;
    VynElementIdGet(element, &id);
    VynValue value = nullptr;
    const char* text = VynElementValueGet(element, &value) == VYN_TK_NO_ERROR
                           ? VynUtilValueToString(value)
                           : "";
    std::fprintf(out(), "ID: %d\t- %s\n", id, text);
  }
  VynUtilElemtreeElementArrayFree(&elements);
  VynElementFree(reinterpret_cast<VynWord>(tree));
  return 0;
}

int VynTestCollectCurveComponents(void* model_arg, int) {
  const char* caller = "VynTestCollectCurveComponents()";
  (void)model_arg;
  VynSelection pick = pick_one("Select the composite curve", "curve", caller);
  VynCurve curve = nullptr;
  if (!pick || VynUtilSelectedCurveGet(pick, &curve) != 0) return 0;
  std::fprintf(out(), "\n# Curve components\n");
  VynArray components = nullptr;
  util_call_report("VynUtilCollectCurveComponents()", caller,
                   VynUtilCollectCurveComponents(curve, &components));
  int n = array_size(components);
  std::fprintf(out(), "Number of curve components:\t%d\n", n);
  for (int i = 0; i < n; ++i) {
    const VynUtilCurveCompRecord& record = static_cast<VynUtilCurveCompRecord*>(components)[i];
    std::fprintf(out(), "Index %d%s\n", record.index, record.flip ? ", flipped" : "");
  }
  if (components) VynArrayFree(&components);
  return 0;
}

int VynTestCollectContours(void* model_arg, int) {
  const char* caller = "VynTestCollectContours()";
  (void)model_arg;
  VynSelection pick = pick_one("Select the surface", "surface", caller);
  VynSurface surface = nullptr;
  if (!pick || VynUtilSelectedSurfaceGet(pick, &surface) != 0) return 0;
  std::fprintf(out(), "\n# Contours\n");
  VynArray contours = nullptr;
  util_call_report("VynUtilCollectSurfaceContours()", caller,
                   VynUtilCollectSurfaceContours(surface, &contours));
  int n = array_size(contours);
  std::fprintf(out(), "Number of contours:\t%d\n", n);
  for (int i = 0; i < n; ++i) {
    VynContour contour = static_cast<VynContour*>(contours)[i];
    int traversal = 0;
    VynContourTraversalGet(contour, &traversal);
    std::fprintf(out(), "Contour: %s\n", contour_kind(traversal));
    VynArray edges = nullptr;
    VynUtilCollectContourEdges(surface, contour, &edges);
    int m = array_size(edges);
    std::fprintf(out(), "\t%d edges: \n", m);
    for (int k = 0; k < m; ++k) {
      VynEdge edge = static_cast<VynEdge*>(edges)[k];
      int id = 0, type = 0;
      double length = 0.0;
      VynEdgeIdGet(edge, &id);
      VynEdgeTypeGet(edge, &type);
      VynEdgeLengthEval(edge, &length);
      std::fprintf(out(), "\tID: %d,\tType: %s, \tLen: %f\n", id, VynUtilEdgeTypeToString(type),
                   length);
    }
    if (edges) VynArrayFree(&edges);
  }
  if (contours) VynArrayFree(&contours);
  return 0;
}

int VynTestCollectExtobj(void* model_arg, int) {
  const char* caller = "VynTestCollectExtobj()";
  std::fprintf(out(), "\n# External objects\n");
  VynArray objects = nullptr;
  util_call_report("VynUtilCollectExtobj()", caller,
                   VynUtilCollectExtobj(model_of(model_arg), nullptr, &objects));
  int n = array_size(objects);
  std::fprintf(out(), "Number of external objects:\t%d\n", n);
  for (int i = 0; i < n; ++i) {
    VynArray references = nullptr;
    VynUtilCollectExtobjReferences(reinterpret_cast<VynWord>(&static_cast<VynModelitem*>(objects)[i]),
                                   &references);
    int m = array_size(references);
    std::fprintf(out(), "\t%d external object references:\n", m);
    for (int k = 0; k < m; ++k) {
      const VynUtilExtobjRefRecord& reference = static_cast<VynUtilExtobjRefRecord*>(references)[k];
      int type = 0;
      VynExtobjReftypeGet(reinterpret_cast<VynWord>(&reference.reference),
                          reinterpret_cast<VynWord>(&type));
      std::fprintf(out(), "\tref type: %d\n", type);
    }
    if (references) VynArrayFree(&references);
  }
  if (objects) VynArrayFree(&objects);
  return 0;
}

int VynTestFindByName(void* model_arg, int) {
  const char* caller = "VynTestFindByName()";
  std::fprintf(out(), "\n# Features by name\n");
  util_call_report("VynMessageDisplay()", caller,
                   VynMessageDisplay(test_msg_file, "TEST %0s", "Enter feature name"));
  VynName name = {};
  char narrow[VYN_UTIL_NARROW_SIZE];
  if (VynMessageStringRead(31, name) == VYN_TK_NO_ERROR) {
    VynFeature feature{0, -1, nullptr};
    VynUtilFindFeatvisByName(model_of(model_arg), name, &feature);
    vek::wstostr_bounded(narrow, sizeof narrow, name);
    if (feature.id > 0)
      std::fprintf(out(), "Visible feature found:\t%s\n", narrow);
    else
      std::fprintf(out(), "Feature is not found\n");
  }
  VynFeature feature{};
  if (!picked_item(pick_one("Select the feature", "feature", caller), &feature, caller)) return 0;
  util_call_report("VynMessageDisplay()", caller,
                   VynMessageDisplay(test_msg_file, "TEST %0s", "Enter edge name"));
  VynName edge_name = {};
  if (VynMessageStringRead(31, edge_name) != VYN_TK_NO_ERROR) return 0;
  VynGeomitem edge{0, -1, nullptr};
  vek::wstostr_bounded(narrow, sizeof narrow, edge_name);
  if (VynUtilFindFeatureGeomitemByName(&feature, 6, edge_name, &edge) == VYN_TK_NO_ERROR &&
      edge.id != -1)
    std::fprintf(out(), "Edge found:\t%s\n", narrow);
  else
    std::fprintf(out(), "Edge is not found\n");
  return 0;
}

int VynTestCollectSolidAxisByPlane(void* model_arg, int) {
  const char* caller = "VynTestCollectSolidAxisByPlane()";
  VynSolid solid = model_of(model_arg);
  VynSelection pick = pick_one("Select the plane", "surface", caller);
  VynSurface plane = nullptr;
  if (!pick || VynUtilSelectedSurfaceGet(pick, &plane) != 0) return 0;
  std::fprintf(out(), "\n# Solid axis by plane\n");
  VynArray axes = nullptr;
  util_call_report("VynUtilCollectSolidAxisByPlane()", caller,
                   VynUtilCollectSolidAxisByPlane(solid, plane, 0, &axes));
  std::fprintf(out(), "Number solid axis parallel to selected plane:\t%d\n", array_size(axes));
  handle_names_print(solid, axes, axis_item);
  if (axes) VynArrayFree(&axes);
  return 0;
}

int VynTestCollectDimensions(void* model_arg, int) {
  VynMdl model = model_of(model_arg);
  if (!model) return -1;
  std::fprintf(out(), "\n# Dimensions\n");
  VynArray ids = nullptr;
  util_call_report("VynUtilCollectDimension()", "VynTestCollectDimensions()",
                   VynUtilCollectDimension(model, 1, 0, &ids));
  int n = array_size(ids);
  std::fprintf(out(), "Number of dimensions:\t%d\n", n);
  for (int i = 0; i < n; ++i) {
    VynDimension dimension{8, static_cast<int*>(ids)[i], model};
    VynName symbol = {};
    char name[VYN_UTIL_NARROW_SIZE] = "";
    if (VynDimensionSymbolGet(reinterpret_cast<VynWord>(&dimension),
                              reinterpret_cast<VynWord>(symbol)) == VYN_TK_NO_ERROR)
      vek::wstostr_bounded(name, sizeof name, symbol);
    int type = 0;
    double value = 0.0;
    VynDimensionTypeGet(&dimension, &type);
    VynDimensionValueGet(&dimension, &value);
    char type_text[16];
    std::snprintf(type_text, sizeof type_text, "%d", type);
    std::fprintf(out(), "Dim %10s %20s %8.2f\n", type_text, name, value);
  }
  if (ids) VynArrayFree(&ids);
  return 0;
}
