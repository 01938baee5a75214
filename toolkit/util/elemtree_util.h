// Utilities over the host's feature element trees: the tree as indented text in
// "elemtree.inf" (shown in the information window) or drawn into a graphics window, a
// tree built from level rows, an element fetched by path, an element's value replaced,
// the selections a tree holds replaced, feature-creation errors printed, and host
// enumeration values as names.
//
// The text position of the graphics output is process-wide; elemtree_util_testing.h
// resets it.
#pragma once

#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

// Output modes of the tree printer.
enum : int {
  VYN_UTIL_TREE_GRAPHICS = 1,  // drawn into a graphics window (and written to the file)
  VYN_UTIL_TREE_INFO = 2,      // written to "elemtree.inf" and shown in the info window
};

// The printer keeps the sibling state of this many levels; deeper elements are printed
// with the tree lines of the levels above them left blank.
constexpr int VYN_UTIL_TREE_LEVELS = 20;

// Prints tree in mode. Graphics mode draws only when the environment variable
// "GRAPH_WINDOW" is "yes" (any case) and otherwise stores -1 in window; the window drawn
// into goes to window. The printer's status.
VynError VynUtilElementtreePrint(VynElement tree, int mode, int* window);
// VynUtilElementtreePrint(tree, info mode).
VynError VynUtilShowTreeInInfo(VynElement tree);

// The printer: writes the tree below path (null: the whole tree) to "elemtree.inf" with
// its header, in the mode *mode (info mode for null). -1 when the file cannot be opened;
// else the element visit's status.
VynError VynUtilElemtreePPrint(VynElement tree, VynElempath path, VynWord ignored, int* mode);

// The printer's state, handed through the element visit.
struct VynUtilTreePrintState {
  void* stream;  // the std::FILE written to
  int mode;
  int remaining[VYN_UTIL_TREE_LEVELS];  // per level: siblings still to come
};

// The visit action of the printer: one element's line. -2 when the element's id or kind
// cannot be read.
VynError VynUtilElemtreeElemPrint(VynElement element, VynElempath path, void* state);
// Appends "<name>   Elem Id: <id>   " of element to line (size bytes); the id query's
// status. id_read, when given, gets the id as the host's query left it (its value before
// the call when the host wrote none).
VynError VynUtilElemIdPrint(VynElement element, char* line, int size, int* id_read = nullptr);
// Writes line and the values of a leaf element (each value a line, the first after the
// text of line); "NON-STANDARD ELEMENT" for one without a readable value.
VynError VynUtilElemValuePrint(VynUtilTreePrintState* state, VynElement element, int multival,
                               const char* line);
// Writes one value after the text of line, with its continuation lines.
VynError VynUtilValuePrint(VynUtilTreePrintState* state, VynValue value, const char* line);

// Draws text at the current text position of the graphics output, in text of height 15
// and width factor 0.75 (the host's current height and width factor are set back
// afterwards); with advance 1 the position then moves right by 22.5 units a character.
// The host's status.
VynError VynUtilDisp(const char* text, int advance);

// Opens a graphics window on the part "feature_tree" and draws the tree into it as a 2-D
// display list; the window's id goes to window. The first failing call's status.
VynError VynUtilElemtreeInGrWindow(VynElement tree, VynElempath path, VynWord ignored, int* window);

// A row of VynUtilElemtreeCreate: the element's level (0 the root), its id and its value
// (value type -1: no value).
struct VynUtilElemtreeRow {
  int level;
  int element_id;
  VynValuedata value;
};
static_assert(sizeof(VynUtilElemtreeRow) == 24 && offsetof(VynUtilElemtreeRow, value) == 8);

// Builds a tree from rows in order: each element goes under the last element of the
// level above it (root, when given, stands as level 0 at the start); the level-0 element
// goes to tree. 0; -2 for a bad argument or a row whose level has no parent or lies beyond
// VYN_UTIL_TREE_LEVELS - 1; or the first failing host call's status. On failure the
// elements made are freed (a given root keeps what was added to it) and tree is left alone.
VynError VynUtilElemtreeCreate(const VynUtilElemtreeRow* rows, int count, VynElement root,
                               VynElement* tree);

// The element at the path of count items from tree: the fetch's status.
VynError VynUtilElemtreeElementGet(VynElement tree, const VynElempathItem* items, int count,
                                   VynElement* element);

// Replaces element's value by a new value of data; 0 (the statuses are only reported).
VynError VynUtilElementValueSet(VynElement element, const VynValuedata* data);

// Makes a new selection out of a selection held in a tree: 0 with *replacement set, or a
// status that leaves the value alone.
typedef VynError (*VynUtilSelectionReplaceFunction)(VynSelection selection,
                                                    VynSelection* replacement, void* data);

// Element filter: 0 for a leaf element whose value (or one of whose values) is a
// selection, -7 otherwise.
VynError VynUtilElemWithSelectionFilter(VynElement element, VynElempath path, void* data);
// When *value holds a selection, replaces *value by a new value holding function's
// replacement (the old value is freed): 0. -4 for a value that holds none; function's
// status when it refuses.
VynError VynUtilValueReplaceSelection(VynValue* value, VynUtilSelectionReplaceFunction function,
                                      void* data);
// Replaces each selection value of tree by function's replacement; the visit's status.
VynError VynUtilElemtreeReplaceSelection(VynElement tree, VynUtilSelectionReplaceFunction function,
                                         void* data);
// The selection re-expressed under the shortest prefix of target (longer than the
// selection's own path) that leads to the model owning the selected item: 0, or -4.
VynError VynUtilSelectionChangeAsmcomppath(VynSelection selection, VynSelection* replacement,
                                           void* target);
// For a surface of an invisible datum plane: a copy of the reference of its first
// "through" constraint (k = 0 or 1) into original. 0, or -4.
VynError VynUtilOriginalGeomSelection(VynSelection selection, VynSelection* original);

// Prints "Error <n>: Error ID <id>, Type <type>, Error <error>" for each row; 0.
int VynUtilFeatErrsPrint(const VynErrors* errors);

// A row of a type-name table; the last row is named "TABLE_END".
struct VynUtilTypeRow {
  int value;
  char name[32];
};
constexpr int VYN_UTIL_TYPE_NAME_SIZE = 32;

// The name of the first row of table holding value, or "**UNKNOWN : <value> **", into
// text (room for VYN_UTIL_TYPE_NAME_SIZE bytes). 0.
int VynUtilTypeStr(const VynUtilTypeRow* table, int value, char* text);
int VynUtilFeattypeStr(int value, char* text);
int VynUtilObjtypeStr(int value, char* text);
int VynUtilSrftypeStr(int value, char* text);
int VynUtilEnttypeStr(int value, char* text);
int VynUtilMfgtypeStr(int value, char* text);
int VynUtilExtRefScopeStr(int value, char* text);
int VynUtilGtolTypeStr(int value, char* text);
int VynUtilGtolMaterialCondStr(int value, char* text);
int VynUtilLeaderTypeStr(int value, char* text);
int VynUtilGtolPlacementTypeStr(int value, char* text);
int VynUtilGtolRefItemTypeStr(int value, char* text);
int VynUtilGtolReferenceTypeStr(int value, char* text);
int VynUtilGtolProjzoneStr(int value, char* text);
