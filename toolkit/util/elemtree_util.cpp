#include "toolkit/util/elemtree_util.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/w32/crt.h"
#include "runtime/diag/console.h"
#include "runtime/text/wide.h"
#include "toolkit/api/app_api.h"
#include "toolkit/api/catalogue_2d_draw_api.h"
#include "toolkit/api/catalogue_drawing_featref_api.h"
#include "toolkit/api/catalogue_feature_option_api.h"
#include "toolkit/api/catalogue_output_udfreference_api.h"
#include "toolkit/api/catalogue_udfvardim_xsec_api.h"
#include "toolkit/util/elemtree_util_testing.h"
#include "toolkit/util/printutil.h"
#include "toolkit/util/strutil.h"
#include "toolkit/util/strutil_report.h"

namespace {

#include "toolkit/util/typenames.inc"

constexpr char kTreeFile[] = "elemtree.inf";
constexpr int kLineSize = 512;
constexpr double kTextHeight = 15.0;
constexpr double kTextWidthFactor = 0.75;
// Where the graphics output starts and how far a line moves it down.
constexpr double kTextStartX = 20.0;
constexpr double kTextStartY = 700.0;
constexpr double kTextLineStep = 20.0;
constexpr char kContinuation[] = "                  ";  // 18 blanks
constexpr int kTreeDisplayList = 5;

// The graphics text position, shared by the printing functions: x and y, with the z that
// the host reads with them.
double text_point[3] = {kTextStartX, kTextStartY, 0.0};
double text_line_step = kTextLineStep;

// Appends formatted text to line (size bytes), cut to fit.
template <typename... Args>
void line_append(char* line, int size, const char* format, Args... args) {
  std::size_t used = std::strlen(line);
  if (used + 1 >= static_cast<std::size_t>(size)) return;
  std::snprintf(line + used, static_cast<std::size_t>(size) - used, format, args...);
}
void line_append(char* line, int size, const char* text) { line_append(line, size, "%s", text); }

void new_line() {
  text_point[0] = kTextStartX;
  text_point[1] -= text_line_step;
}

// Writes one line (without its newline) to the file and, in graphics mode, draws it.
void emit(VynUtilTreePrintState* state, const char* text) {
  std::fprintf(static_cast<std::FILE*>(state->stream), "%s\n", text);
  if (state->mode == VYN_UTIL_TREE_GRAPHICS) {
    VynUtilDisp(text, 0);
    new_line();
  }
}

// Addresses are printed in hex over their whole width.
std::uintmax_t address(const void* pointer) {
  return static_cast<std::uintmax_t>(reinterpret_cast<std::uintptr_t>(pointer));
}

// The number of elements directly below a compound or array element.
int below_count(VynElement element, bool compound) {
  int count = 0;
  if (compound) {
    VynElement* children = nullptr;
    if (util_call_report("VynElementChildrenGet()", "VynUtilElemtreeElemPrint()",
                         VynElementChildrenGet(element, nullptr, &children)) == 0 &&
        children) {
      util_call_report("VynArraySizeGet()", "VynUtilElemtreeElemPrint()",
                       VynArraySizeGet(children, &count));
      VynArray array = children;
      VynArrayFree(&array);
    }
  } else {
    util_call_report("VynElementArrayCount()", "VynUtilElemtreeElemPrint()",
                     VynElementArrayCount(element, nullptr, &count));
  }
  return count < 0 ? 0 : count;
}

// A path of three items {id, index, id}, read as a feature's element value.
VynError feature_value_read(VynFeature* feature, int first, int index, int last,
                            VynValuedata* data) {
  VynElempath path = nullptr;
  VynError status = util_call_report("VynElempathAlloc()", "VynUtilOriginalGeomSelection()",
                                     VynElempathAlloc(&path));
  if (status != 0) return status;
  const VynElempathItem items[3] = {
      {VYN_ELEMPATH_ID, first}, {VYN_ELEMPATH_INDEX, index}, {VYN_ELEMPATH_ID, last}};
  status = util_call_report("VynElempathDataSet()", "VynUtilOriginalGeomSelection()",
                            VynElempathDataSet(path, items, 3));
  VynValue value = nullptr;
  if (status == 0)
    status = util_call_report("VynFeatureElemValueGet()", "VynUtilOriginalGeomSelection()",
                              VynFeatureElemValueGet(feature, path, &value));
  if (status == 0)
    status = util_call_report("VynValueDataGet()", "VynUtilOriginalGeomSelection()",
                              VynValueDataGet(value, data));
  VynElempathFree(&path);
  return status;
}

struct ReplaceData {
  VynUtilSelectionReplaceFunction function;
  void* data;
};

// Visit action of VynUtilElemtreeReplaceSelection: replaces the element's selections.
VynError replace_action(VynElement element, VynElempath, void* data) {
  const ReplaceData* replace = static_cast<const ReplaceData*>(data);
  int multival = 0;
  VynElementIsMultival(element, nullptr, &multival);
  if (!multival) {
    VynValue value = nullptr;
    if (VynElementValueGet(element, &value) != 0) return 0;
    if (VynUtilValueReplaceSelection(&value, replace->function, replace->data) == 0)
      util_call_report("VynElementValueSet()", "VynUtilElemtreeReplaceSelection()",
                       VynElementValueSet(element, value));
    return 0;
  }
  VynValue* values = nullptr;
  if (VynElementValuesGet(element, &values) != 0 || !values) return 0;
  int count = 0;
  VynArraySizeGet(values, &count);
  for (int i = 0; i < count; ++i)
    VynUtilValueReplaceSelection(&values[i], replace->function, replace->data);
  util_call_report("VynElementValuesSet()", "VynUtilElemtreeReplaceSelection()",
                   VynElementValuesSet(element, nullptr, values));
  VynArray array = values;
  VynArrayFree(&array);
  return 0;
}

}  // namespace

void elemtree_util_testing_reset() {
  text_point[0] = kTextStartX;
  text_point[1] = kTextStartY;
  text_line_step = kTextLineStep;
}

// ---- Printing

VynError VynUtilElementtreePrint(VynElement tree, int mode, int* window) {
  if (mode == VYN_UTIL_TREE_GRAPHICS) {
    const char* graph = std::getenv("GRAPH_WINDOW");
    if (!graph || VynUtilStrcmp(graph, "yes") != 0) {
      if (window) *window = -1;
      return VYN_TK_NO_ERROR;
    }
    return VynUtilElemtreeInGrWindow(tree, nullptr, 0, window);
  }
  int info = VYN_UTIL_TREE_INFO;
  return VynUtilElemtreePPrint(tree, nullptr, 0, &info);
}

VynError VynUtilShowTreeInInfo(VynElement tree) {
  return VynUtilElementtreePrint(tree, VYN_UTIL_TREE_INFO, nullptr);
}

VynError VynUtilElemtreePPrint(VynElement tree, VynElempath path, VynWord, int* mode) {
  VynUtilTreePrintState state;
  std::memset(&state, 0, sizeof state);
  state.mode = mode ? *mode : VYN_UTIL_TREE_INFO;
  std::FILE* file = w32::fopen(kTreeFile, "w");
  if (!file) return VYN_TK_GENERAL_ERROR;
  state.stream = file;
  std::fprintf(file, "Element tree\n============\n\n");
  if (state.mode == VYN_UTIL_TREE_GRAPHICS) {
    VynUtilDisp("Element tree", 0);
    new_line();
    VynUtilDisp("============", 0);
    new_line();
    new_line();
  }
  VynError status = util_call_report(
      "VynElemtreeElementVisit()", "VynUtilElemtreePPrint()",
      VynElemtreeElementVisit(tree, path, nullptr, VynUtilElemtreeElemPrint, &state));
  std::fclose(file);
  if (state.mode == VYN_UTIL_TREE_INFO) {
    VynWchar wide[sizeof kTreeFile];
    vek::strtows_bounded(wide, sizeof kTreeFile, kTreeFile);
    util_call_report("VynInfoWindowDisplay()", "VynUtilElemtreePPrint()",
                     VynInfoWindowDisplay(wide, 0, 0));
  }
  return status;
}

VynError VynUtilElemtreeElemPrint(VynElement element, VynElempath path, void* data) {
  VynUtilTreePrintState* state = static_cast<VynUtilTreePrintState*>(data);
  if (!state || !state->stream) return VYN_TK_BAD_INPUTS;
  int level = 0;
  if (path && VynElempathSizeGet(path, &level) != 0) level = 0;
  if (level < 0) level = 0;
  // This element is no longer to come at its level.
  if (level < VYN_UTIL_TREE_LEVELS && state->remaining[level] > 0) --state->remaining[level];

  char line[kLineSize] = "";
  for (int k = 1; k < level; ++k)
    line_append(line, kLineSize,
                k < VYN_UTIL_TREE_LEVELS && state->remaining[k] > 0 ? " |   " : "     ");
  if (level > 0) line_append(line, kLineSize, " |---");

  int id = -1;
  if (VynUtilElemIdPrint(element, line, kLineSize, &id) != 0) {
    char bad[64];
    std::snprintf(bad, sizeof bad, "Element id %d is bad valued ", id);
    emit(state, bad);
    return VYN_TK_BAD_INPUTS;
  }
  int compound = 0, array = 0, multival = 0;
  if (util_call_report("VynElementIsCompound()", "VynUtilElemtreeElemPrint()",
                       VynElementIsCompound(element, nullptr, &compound)) != 0 ||
      util_call_report("VynElementIsArray()", "VynUtilElemtreeElemPrint()",
                       VynElementIsArray(element, nullptr, &array)) != 0 ||
      util_call_report("VynElementIsMultival()", "VynUtilElemtreeElemPrint()",
                       VynElementIsMultival(element, nullptr, &multival)) != 0)
    return VYN_TK_BAD_INPUTS;
  if (compound || array) {
    if (level + 1 < VYN_UTIL_TREE_LEVELS)
      state->remaining[level + 1] = below_count(element, compound != 0);
    line_append(line, kLineSize, compound ? " (COMPOUND) " : " (ARRAY) ");
    emit(state, line);
    return VYN_TK_NO_ERROR;
  }
  VynUtilElemValuePrint(state, element, multival, line);
  return VYN_TK_NO_ERROR;
}

VynError VynUtilElemIdPrint(VynElement element, char* line, int size, int* id_read) {
  int id = id_read ? *id_read : 0;
  VynError status =
      util_call_report("VynElementIdGet()", "VynUtilElemIdPrint()", VynElementIdGet(element, &id));
  if (id_read) *id_read = id;
  if (status != 0) return status;
  char name[VYN_UTIL_ELEM_NAME_SIZE];
  VynUtilIdToStr(id, name);
  line_append(line, size, "%s   ", name);
  line_append(line, size, "Elem Id: %3d   ", id);
  return VYN_TK_NO_ERROR;
}

VynError VynUtilElemValuePrint(VynUtilTreePrintState* state, VynElement element, int multival,
                               const char* line) {
  if (multival) {
    VynValue* values = nullptr;
    VynError status = util_call_report("VynElementValuesGet()", "VynUtilElemValuePrint()",
                                       VynElementValuesGet(element, &values));
    int count = 0;
    if (status == 0 && values) VynArraySizeGet(values, &count);
    if (status != 0 || !values || count < 1) {
      char text[kLineSize];
      std::snprintf(text, sizeof text, "%sNON-STANDARD ELEMENT", line);
      emit(state, text);
    } else {
      for (int i = 0; i < count; ++i)
        VynUtilValuePrint(state, values[i], i == 0 ? line : kContinuation);
    }
    if (values) {
      VynArray array = values;
      VynArrayFree(&array);
    }
    return status;
  }
  VynValue value = nullptr;
  VynError status = util_call_report("VynElementValueGet()", "VynUtilElemValuePrint()",
                                     VynElementValueGet(element, &value));
  if (status != 0) {
    char text[kLineSize];
    std::snprintf(text, sizeof text, "%sNON-STANDARD ELEMENT", line);
    emit(state, text);
    return status;
  }
  return VynUtilValuePrint(state, value, line);
}

VynError VynUtilValuePrint(VynUtilTreePrintState* state, VynValue value, const char* line) {
  VynValuedata data;
  std::memset(&data, 0, sizeof data);
  VynError status =
      util_call_report("VynValueDataGet()", "VynUtilValuePrint()", VynValueDataGet(value, &data));
  char text[kLineSize];
  std::snprintf(text, sizeof text, "%s", line);
  if (status != 0) {
    line_append(text, kLineSize, "NON-STANDARD ELEMENT");
    emit(state, text);
    return status;
  }
  switch (data.type) {
    case VYN_VALUE_TYPE_INT:
      line_append(text, kLineSize, "VALUE (INT)       = %d", data.value.i);
      break;
    case VYN_VALUE_TYPE_DOUBLE:
      line_append(text, kLineSize, "VALUE (DOUBLE)    = %f", data.value.d);
      break;
    case VYN_VALUE_TYPE_STRING:
      if (data.value.s)
        line_append(text, kLineSize, "VALUE (STRING)    = %s", data.value.s);
      else
        line_append(text, kLineSize, "VALUE (STRING)    = ");
      break;
    case VYN_VALUE_TYPE_WSTRING: {
      char narrow[VYN_UTIL_NARROW_SIZE] = "";
      if (data.value.w) vek::wstostr_bounded(narrow, sizeof narrow, data.value.w);
      line_append(text, kLineSize, "VALUE (WSTRING)   = %s", narrow);
      break;
    }
    case VYN_VALUE_TYPE_TRANSFORM: {
      line_append(text, kLineSize, "VALUE (TRANSFORM)");
      emit(state, text);
      for (int row = 0; row < 4 && data.value.t; ++row) {
        std::snprintf(text, sizeof text, "%s%8.5f %8.5f %8.5f %8.5f", kContinuation,
                      data.value.t[row][0], data.value.t[row][1], data.value.t[row][2],
                      data.value.t[row][3]);
        emit(state, text);
      }
      return status;
    }
    case VYN_VALUE_TYPE_SELECTION: {
      VynModelitem item;
      std::memset(&item, 0, sizeof item);
      if (util_call_report("VynSelectionModelitemGet()", "VynUtilValuePrint()",
                           VynSelectionModelitemGet(data.value.r, &item)) != 0) {
        line_append(text, kLineSize, "VALUE (SELECTION)   id = %d", item.id);
        break;
      }
      line_append(text, kLineSize, "VALUE (SELECTION) Id = %d Type = %d Owner = %" PRIxMAX, item.id,
                  item.type, address(item.owner));
      line_append(text, kLineSize, " Path = ");
      VynAsmcomppath path;
      std::memset(&path, 0, sizeof path);
      if (VynSelectionAsmcomppathGet(data.value.r, &path) == 0 && path.owner &&
          path.table_num > 0) {
        line_append(text, kLineSize, " Owner %" PRIxMAX, address(path.owner));
        int count = path.table_num < VYN_ASMCOMPPATH_MAX ? path.table_num : VYN_ASMCOMPPATH_MAX;
        for (int i = 0; i < count; ++i) line_append(text, kLineSize, " %d", path.comp_id_table[i]);
      }
      break;
    }
    case VYN_VALUE_TYPE_POINTER:
      if (data.value.p)
        line_append(text, kLineSize, "POINTER           = %" PRIxMAX, address(data.value.p));
      else
        line_append(text, kLineSize, "POINTER           = **");
      break;
    default:
      line_append(text, kLineSize, "NON-STANDARD ELEMENT");
      break;
  }
  emit(state, text);
  return status;
}

VynError VynUtilDisp(const char* text, int advance) {
  if (!text) return VYN_TK_BAD_INPUTS;
  // The text is drawn with the current attributes but the printer's height and width
  // factor; the host's own attributes are set back afterwards.
  VynTextAttribute previous{kTextHeight, kTextWidthFactor};
  const bool known = util_call_report("VynTextAttributesCurrentGet()", "VynUtilDisp()",
                                      VynTextAttributesCurrentGet(&previous)) == VYN_TK_NO_ERROR;
  util_call_report("VynTextHeightCurrentSet()", "VynUtilDisp()",
                   VynTextHeightCurrentSet(kTextHeight));
  util_call_report("VynTextWidthFactorCurrentSet()", "VynUtilDisp()",
                   VynTextWidthFactorCurrentSet(kTextWidthFactor));
  VynWchar wide[kLineSize];
  vek::strtows_bounded(wide, kLineSize, text);
  VynError status = util_call_report("VynGraphicsTextDisplay()", "VynUtilDisp()",
                                     VynGraphicsTextDisplay(text_point, wide));
  if (known) {
    util_call_report("VynTextHeightCurrentSet()", "VynUtilDisp()",
                     VynTextHeightCurrentSet(previous.height));
    util_call_report("VynTextWidthFactorCurrentSet()", "VynUtilDisp()",
                     VynTextWidthFactorCurrentSet(previous.width_factor));
  }
  if (advance == 1)
    text_point[0] += 2 * kTextHeight * kTextWidthFactor * static_cast<double>(std::strlen(text));
  return status;
}

VynError VynUtilElemtreeInGrWindow(VynElement tree, VynElempath path, VynWord ignored,
                                   int* window) {
  static const VynWchar kPartName[] = u"feature_tree";
  constexpr int kPartType = 2;
  VynMdl part = nullptr;
  VynError status = util_call_report("VynSolidCreate()", "VynUtilElemtreeInGrWindow()",
                                     VynSolidCreate(reinterpret_cast<VynWord>(kPartName), kPartType,
                                                    reinterpret_cast<VynWord>(&part)));
  if (status != 0)
    status = util_call_report("VynMdlInit()", "VynUtilElemtreeInGrWindow()",
                              VynMdlInit(reinterpret_cast<VynWord>(kPartName), kPartType,
                                         reinterpret_cast<VynWord>(&part)));
  if (status != 0)
    status = util_call_report("VynMdlRetrieve()", "VynUtilElemtreeInGrWindow()",
                              VynMdlRetrieve(reinterpret_cast<VynWord>(kPartName), kPartType,
                                             reinterpret_cast<VynWord>(&part)));
  if (status != 0) return status;
  int window_id = -1;
  status = util_call_report("VynObjectwindowCreate()", "VynUtilElemtreeInGrWindow()",
                            VynObjectwindowCreate(reinterpret_cast<VynWord>(kPartName), kPartType,
                                                  reinterpret_cast<VynWord>(&window_id)));
  if (status != 0) return status;
  util_call_report("VynWindowCurrentSet()", "VynUtilElemtreeInGrWindow()",
                   VynWindowCurrentSet(window_id));
  util_call_report("VynSolidDisplay()", "VynUtilElemtreeInGrWindow()", VynSolidDisplay(part));
  double matrix[4][4] = {};
  if (util_call_report("VynViewMatrixGet()", "VynUtilElemtreeInGrWindow()",
                       VynViewMatrixGet(reinterpret_cast<VynWord>(part), 0,
                                        reinterpret_cast<VynWord>(matrix))) == 0 &&
      matrix[0][0] != 0.0) {
    // One line is the text height in screen units, whatever the view's scale.
    text_line_step = kTextLineStep / matrix[0][0];
  }
  text_point[0] = kTextStartX;
  text_point[1] = kTextStartY;
  VynDisplist2dDelete(kTreeDisplayList);
  static int graphics_mode = VYN_UTIL_TREE_GRAPHICS;
  VynError (*draw)(VynElement, VynElempath, VynWord, int*) = VynUtilElemtreePPrint;
  status = util_call_report(
      "VynDisplist2dCreate()", "VynUtilElemtreeInGrWindow()",
      VynDisplist2dCreate(kTreeDisplayList, reinterpret_cast<VynWord>(matrix),
                          reinterpret_cast<VynWord>(draw), reinterpret_cast<VynWord>(tree),
                          reinterpret_cast<VynWord>(path), ignored,
                          reinterpret_cast<VynWord>(&graphics_mode), 0, 0));
  util_call_report("VynWindowRefresh()", "VynUtilElemtreeInGrWindow()",
                   VynWindowRefresh(window_id));
  util_call_report("VynDisplist2dDisplay()", "VynUtilElemtreeInGrWindow()",
                   VynDisplist2dDisplay(kTreeDisplayList, reinterpret_cast<VynWord>(matrix)));
  if (window) *window = window_id;
  return status;
}

// ---- Building and editing

VynError VynUtilElemtreeCreate(const VynUtilElemtreeRow* rows, int count, VynElement root,
                               VynElement* tree) {
  if (!rows || count < 0 || !tree) return VYN_TK_BAD_INPUTS;
  VynElement last[VYN_UTIL_TREE_LEVELS] = {};
  last[0] = root;
  VynElement made_root = nullptr;  // a level-0 element made here, freed on failure
  VynError status = VYN_TK_NO_ERROR;
  for (int i = 0; i < count && status == VYN_TK_NO_ERROR; ++i) {
    const VynUtilElemtreeRow& row = rows[i];
    int level = row.level;
    if (level < 0 || level >= VYN_UTIL_TREE_LEVELS || (level > 0 && !last[level - 1])) {
      status = VYN_TK_BAD_INPUTS;
      break;
    }
    VynElement element = nullptr;
    status = util_call_report("VynElementAlloc()", "VynUtilElemtreeCreate()",
                              VynElementAlloc(row.element_id, &element));
    if (status != 0) break;
    if (row.value.type != -1) {
      VynValue value = nullptr;
      status =
          util_call_report("VynValueAlloc()", "VynUtilElemtreeCreate()", VynValueAlloc(&value));
      if (status == 0)
        status = util_call_report("VynValueDataSet()", "VynUtilElemtreeCreate()",
                                  VynValueDataSet(value, &row.value));
      if (status == 0)
        status = util_call_report("VynElementValueSet()", "VynUtilElemtreeCreate()",
                                  VynElementValueSet(element, value));
      if (status != 0 && value) VynValueFree(value);
    }
    if (status == 0 && level > 0)
      status = util_call_report("VynElemtreeElementAdd()", "VynUtilElemtreeCreate()",
                                VynElemtreeElementAdd(last[level - 1], nullptr, element));
    if (status != 0) {
      VynElementFree(reinterpret_cast<VynWord>(element));
      break;
    }
    if (level == 0) {
      if (made_root) VynElementFree(reinterpret_cast<VynWord>(made_root));
      made_root = element;
    }
    last[level] = element;
    // The elements below the previous one of this level take no further children.
    for (int k = level + 1; k < VYN_UTIL_TREE_LEVELS; ++k) last[k] = nullptr;
  }
  if (status != VYN_TK_NO_ERROR) {
    if (made_root) VynElementFree(reinterpret_cast<VynWord>(made_root));
    return status;
  }
  *tree = last[0];
  return VYN_TK_NO_ERROR;
}

VynError VynUtilElemtreeElementGet(VynElement tree, const VynElempathItem* items, int count,
                                   VynElement* element) {
  VynElempath path = nullptr;
  VynError status = util_call_report("VynElempathAlloc()", "VynUtilElemtreeElementGet()",
                                     VynElempathAlloc(&path));
  if (status != 0) return status;
  status = util_call_report("VynElempathDataSet()", "VynUtilElemtreeElementGet()",
                            VynElempathDataSet(path, items, count));
  if (status == 0)
    status = util_call_report("VynElemtreeElementGet()", "VynUtilElemtreeElementGet()",
                              VynElemtreeElementGet(tree, path, element));
  VynElempathFree(&path);
  return status;
}

VynError VynUtilElementValueSet(VynElement element, const VynValuedata* data) {
  VynValue old = nullptr;
  if (util_call_report("VynElementValueGet()", "VynUtilElementValueSet()",
                       VynElementValueGet(element, &old)) == 0 &&
      old)
    util_call_report("VynValueFree()", "VynUtilElementValueSet()", VynValueFree(old));
  VynValue value = nullptr;
  if (util_call_report("VynValueAlloc()", "VynUtilElementValueSet()", VynValueAlloc(&value)) == 0) {
    VynError status = util_call_report("VynValueDataSet()", "VynUtilElementValueSet()",
                                       VynValueDataSet(value, data));
    if (status == 0)
      status = util_call_report("VynElementValueSet()", "VynUtilElementValueSet()",
                                VynElementValueSet(element, value));
    // A value the element did not take stays the caller's: it is freed here.
    if (status != 0) VynValueFree(value);
  }
  return VYN_TK_NO_ERROR;
}

VynError VynUtilElemWithSelectionFilter(VynElement element, VynElempath, void*) {
  int compound = 0, array = 0, multival = 0;
  if (VynElementIsCompound(element, nullptr, &compound) != 0 ||
      VynElementIsArray(element, nullptr, &array) != 0 || compound || array)
    return VYN_TK_CONTINUE;
  VynElementIsMultival(element, nullptr, &multival);
  VynValuedata data;
  if (!multival) {
    VynValue value = nullptr;
    std::memset(&data, 0, sizeof data);
    if (VynElementValueGet(element, &value) == 0 && VynValueDataGet(value, &data) == 0 &&
        data.type == VYN_VALUE_TYPE_SELECTION)
      return VYN_TK_NO_ERROR;
    return VYN_TK_CONTINUE;
  }
  VynValue* values = nullptr;
  if (VynElementValuesGet(element, &values) != 0 || !values) return VYN_TK_CONTINUE;
  int count = 0;
  VynArraySizeGet(values, &count);
  VynError result = VYN_TK_CONTINUE;
  for (int i = 0; i < count && result != 0; ++i) {
    std::memset(&data, 0, sizeof data);
    if (VynValueDataGet(values[i], &data) == 0 && data.type == VYN_VALUE_TYPE_SELECTION)
      result = VYN_TK_NO_ERROR;
  }
  VynArray array_handle = values;
  VynArrayFree(&array_handle);
  return result;
}

VynError VynUtilValueReplaceSelection(VynValue* value, VynUtilSelectionReplaceFunction function,
                                      void* data) {
  if (!value || !function) return VYN_TK_BAD_INPUTS;
  VynValuedata current;
  std::memset(&current, 0, sizeof current);
  if (VynValueDataGet(*value, &current) != 0 || current.type != VYN_VALUE_TYPE_SELECTION)
    return VYN_TK_E_NOT_FOUND;
  VynSelection replacement = nullptr;
  VynError status = function(current.value.r, &replacement, data);
  if (status != 0) return status;
  VynValue fresh = nullptr;
  status =
      util_call_report("VynValueAlloc()", "VynUtilValueReplaceSelection()", VynValueAlloc(&fresh));
  if (status == 0) {
    VynValuedata next;
    std::memset(&next, 0, sizeof next);
    next.type = VYN_VALUE_TYPE_SELECTION;
    next.value.r = replacement;
    status = util_call_report("VynValueDataSet()", "VynUtilValueReplaceSelection()",
                              VynValueDataSet(fresh, &next));
    if (status != 0) {
      VynValueFree(fresh);
    } else {
      VynValueFree(*value);
      *value = fresh;
    }
  }
  // The value holds its own copy of the selection.
  VynSelectionFree(&replacement);
  return status;
}

VynError VynUtilElemtreeReplaceSelection(VynElement tree, VynUtilSelectionReplaceFunction function,
                                         void* data) {
  if (!function) return VYN_TK_BAD_INPUTS;
  ReplaceData replace{function, data};
  return util_call_report("VynElemtreeElementVisit()", "VynUtilElemtreeReplaceSelection()",
                          VynElemtreeElementVisit(tree, nullptr, VynUtilElemWithSelectionFilter,
                                                  replace_action, &replace));
}

VynError VynUtilSelectionChangeAsmcomppath(VynSelection selection, VynSelection* replacement,
                                           void* target_data) {
  const VynAsmcomppath* target = static_cast<const VynAsmcomppath*>(target_data);
  if (!target || !replacement) return VYN_TK_BAD_INPUTS;
  VynAsmcomppath own;
  std::memset(&own, 0, sizeof own);
  VynModelitem item;
  std::memset(&item, 0, sizeof item);
  if (util_call_report("VynSelectionModelitemGet()", "VynUtilSelectionChangeAsmcomppath()",
                       VynSelectionModelitemGet(selection, &item)) != 0)
    return VYN_TK_E_NOT_FOUND;
  if (VynSelectionAsmcomppathGet(selection, &own) != 0) own.table_num = 0;
  int target_length = target->table_num;
  if (target_length > VYN_ASMCOMPPATH_MAX) target_length = VYN_ASMCOMPPATH_MAX;
  if (own.table_num >= target_length) return VYN_TK_E_NOT_FOUND;
  for (int k = own.table_num + 1; k <= target_length; ++k) {
    int ids[VYN_ASMCOMPPATH_MAX];
    std::memcpy(ids, target->comp_id_table, sizeof(int) * static_cast<std::size_t>(k));
    VynAsmcomppath prefix;
    std::memset(&prefix, 0, sizeof prefix);
    if (util_call_report("VynAsmcomppathInit()", "VynUtilSelectionChangeAsmcomppath()",
                         VynAsmcomppathInit(target->owner, ids, k, &prefix)) != 0)
      continue;
    VynMdl model = nullptr;
    if (util_call_report("VynAsmcomppathMdlGet()", "VynUtilSelectionChangeAsmcomppath()",
                         VynAsmcomppathMdlGet(&prefix, &model)) != 0 ||
        model != item.owner)
      continue;
    return util_call_report("VynSelectionAlloc()", "VynUtilSelectionChangeAsmcomppath()",
                            VynSelectionAlloc(&prefix, &item, replacement));
  }
  return VYN_TK_E_NOT_FOUND;
}

VynError VynUtilOriginalGeomSelection(VynSelection selection, VynSelection* original) {
  constexpr int kSurface = 5, kDatum = 923;
  constexpr int kConstraints = 410, kConstrType = 412, kConstrRef = 413;
  if (!original) return VYN_TK_BAD_INPUTS;
  VynModelitem item;
  std::memset(&item, 0, sizeof item);
  if (VynSelectionModelitemGet(selection, &item) != 0 || item.type != kSurface)
    return VYN_TK_E_NOT_FOUND;
  VynFeature feature;
  std::memset(&feature, 0, sizeof feature);
  int visible = 1, type = 0;
  if (util_call_report("VynGeomitemFeatureGet()", "VynUtilOriginalGeomSelection()",
                       VynGeomitemFeatureGet(&item, &feature)) != 0 ||
      util_call_report("VynFeatureVisibilityGet()", "VynUtilOriginalGeomSelection()",
                       VynFeatureVisibilityGet(&feature, &visible)) != 0 ||
      visible != 0 ||
      util_call_report("VynFeatureTypeGet()", "VynUtilOriginalGeomSelection()",
                       VynFeatureTypeGet(&feature, &type)) != 0 ||
      type != kDatum)
    return VYN_TK_E_NOT_FOUND;
  for (int k = 0; k < 2; ++k) {
    VynValuedata constraint;
    std::memset(&constraint, 0, sizeof constraint);
    if (feature_value_read(&feature, kConstraints, k, kConstrType, &constraint) != 0 ||
        constraint.type != VYN_VALUE_TYPE_INT || constraint.value.i != 0)
      continue;
    VynValuedata reference;
    std::memset(&reference, 0, sizeof reference);
    if (feature_value_read(&feature, kConstraints, k, kConstrRef, &reference) != 0 ||
        reference.type != VYN_VALUE_TYPE_SELECTION)
      continue;
    return util_call_report("VynSelectionCopy()", "VynUtilOriginalGeomSelection()",
                            VynSelectionCopy(reference.value.r, original));
  }
  return VYN_TK_E_NOT_FOUND;
}

int VynUtilFeatErrsPrint(const VynErrors* errors) {
  if (!errors || !errors->rows) return 0;
  for (int i = 0; i < errors->count; ++i) {
    const VynErrorItem& row = errors->rows[i];
    vek::ivek_printf("Error %d: Error ID %d, Type %d, Error %d\n", i + 1, row.id, row.type,
                     row.error);
  }
  return 0;
}

// ---- Type names

int VynUtilTypeStr(const VynUtilTypeRow* table, int value, char* text) {
  if (!text) return 0;
  for (const VynUtilTypeRow* row = table; row && std::strcmp(row->name, "TABLE_END") != 0; ++row) {
    if (row->value == value) {
      std::snprintf(text, VYN_UTIL_TYPE_NAME_SIZE, "%s", row->name);
      return 0;
    }
  }
  std::snprintf(text, VYN_UTIL_TYPE_NAME_SIZE, "**UNKNOWN : %d **", value);
  return 0;
}

int VynUtilFeattypeStr(int v, char* t) { return VynUtilTypeStr(feattype_str_table, v, t); }
int VynUtilObjtypeStr(int v, char* t) { return VynUtilTypeStr(objtype_str_table, v, t); }
int VynUtilSrftypeStr(int v, char* t) { return VynUtilTypeStr(srftype_str_table, v, t); }
int VynUtilEnttypeStr(int v, char* t) { return VynUtilTypeStr(enttype_str_table, v, t); }
int VynUtilMfgtypeStr(int v, char* t) { return VynUtilTypeStr(mfgtype_str_table, v, t); }
int VynUtilExtRefScopeStr(int v, char* t) { return VynUtilTypeStr(ext_ref_scope_str_table, v, t); }
int VynUtilGtolTypeStr(int v, char* t) { return VynUtilTypeStr(gtol_type_str_table, v, t); }
int VynUtilGtolMaterialCondStr(int v, char* t) {
  return VynUtilTypeStr(gtol_material_cond_str_table, v, t);
}
int VynUtilLeaderTypeStr(int v, char* t) { return VynUtilTypeStr(leader_type_str_table, v, t); }
int VynUtilGtolPlacementTypeStr(int v, char* t) {
  return VynUtilTypeStr(gtol_placement_type_str_table, v, t);
}
int VynUtilGtolRefItemTypeStr(int v, char* t) {
  return VynUtilTypeStr(gtol_ref_item_type_str_table, v, t);
}
int VynUtilGtolReferenceTypeStr(int v, char* t) {
  return VynUtilTypeStr(gtol_reference_type_str_table, v, t);
}
int VynUtilGtolProjzoneStr(int v, char* t) { return VynUtilTypeStr(gtol_projzone_str_table, v, t); }
