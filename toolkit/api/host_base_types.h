// The base types of the host API that cross the function table: handles, records and
// callbacks shared by the application's functions and the catalogue's. The catalogue's
// own types (catalogue_types.h) build on these; host_types.h offers both.
//
// A handle whose inside belongs to the host is a pointer to a record type that is never
// completed here, so that two kinds of handle cannot be mixed up and a missing handle
// is null. A record that the caller fills or reads is a struct; where only the host (or
// a later part of the toolkit) knows its layout it is declared and left incomplete, and
// the code that owns the layout completes it.
#pragma once

#include <cstddef>

#include "toolkit/tkbase.h"

// ---- Handles -------------------------------------------------------------------------

typedef struct VynMdlRecord* VynMdl;  // a model: drawing, part or assembly
typedef VynMdl VynSolid;              // a model that holds solid geometry (part, assembly)

typedef struct VynSelectionRecord* VynSelection;
typedef struct VynSelectionEnvRecord* VynSelectionEnv;
typedef struct VynElementRecord* VynElement;    // an element of a feature's element tree
typedef struct VynElempathRecord* VynElempath;  // a path from a tree's root to an element
typedef struct VynValueRecord* VynValue;        // an element's value
typedef struct VynViewRecord* VynView;          // a drawing view
typedef struct VynCmdRecord* VynCmd;            // a command made by VynCmdActionAdd
typedef struct VynSectionRecord* VynSection;    // a 2-D section (sketch)
typedef struct VynSecerrorRecord* VynSecerror;  // the error list of a section solve
typedef struct VynEdgeRecord* VynEdge;
typedef struct VynSurfaceRecord* VynSurface;
typedef struct VynDtlattachRecord* VynDtlattach;  // a note's attachment

// The host's data of one draft entity, note or symbol instance; the application frees
// draft entity data with VynDtlentitydataFree.
typedef struct VynDtlentitydataRecord* VynDtlentitydata;
typedef struct VynDtlnotedataRecord* VynDtlnotedata;
typedef struct VynDtlsyminstdataRecord* VynDtlsyminstdata;

// A growable array owned by the host (VynArrayAlloc ... VynArrayFree). The handle is the
// address of the array's first element, so the plug-in reads the elements through it
// directly; the count comes from VynArraySizeGet. Functions that may move the array take
// the address of the variable that holds it.
typedef void* VynArray;

// ---- Records -------------------------------------------------------------------------

// One item of a model, by value: its item type, its id and the model that owns it.
struct VynModelitem {
  int type;
  int id;
  VynMdl owner;
};
// Records of the same shape that name a feature, a geometry item, a layer, a layer's
// member, a draft entity, a note, a symbol instance or definition, or a dimension.
typedef VynModelitem VynFeature;
typedef VynModelitem VynGeomitem;
typedef VynModelitem VynLayer;
typedef VynModelitem VynLayerItem;
typedef VynModelitem VynDtlentity;
typedef VynModelitem VynDtlnote;
typedef VynModelitem VynDtlsyminst;
typedef VynModelitem VynDtlsymdef;
typedef VynModelitem VynDimension;

// An external-data class of a model, and a named slot in it.
struct VynExtdataClass {
  VynMdl model;
  VynName name;
};
struct VynExtdataSlot {
  VynExtdataClass* p_class;
  VynName slot_name;
};

// A colour of graphics, text or a draft item (eight words): the method (0 the default
// colour, 1 a colour type of the host, 2 red, green and blue in 0..1), then the type or
// the three doubles.
struct VynColor {
  int method;
  union {
    int type;
    double rgb[3];
  } value;
};
static_assert(sizeof(VynColor) == 32 && offsetof(VynColor, value) == 8);

// The current text attributes of the graphics, as VynTextAttributesCurrentGet reports
// them: the text height and the width factor (width of a character over its height).
struct VynTextAttribute {
  double height;
  double width_factor;
};
static_assert(sizeof(VynTextAttribute) == 16 && offsetof(VynTextAttribute, width_factor) == 8);

// One option of a selection environment: the option's code and its value.
struct VynSelectionEnvOption {
  int option;
  int value;
};
static_assert(sizeof(VynSelectionEnvOption) == 8);

// Records whose layout is given with the code that builds or reads them (the local
// geometry and parameter records) or that only the host reads and writes.
struct VynCurvedata;          // curve data of an entity
struct VynGeomitemdata;       // geometry data of a geometry item, freed by the host
struct VynParamvalue;         // a parameter's typed value
struct VynParameter;          // a parameter of a model item
struct VynMdldata;            // a model's data record, beginning with its wide name
struct VynAsmcomppath;        // an assembly component path

// The typed data of an element value (VynValueDataSet, VynValueDataGet): the value type,
// a word the host does not read, and the value in eight bytes. Strings, selections and
// transforms are pointers; the host keeps copies of what they point to, and the
// pointers it hands out point into the value (valid while the value lives unchanged).
enum VynValueType {
  VYN_VALUE_TYPE_INT = 1,
  VYN_VALUE_TYPE_DOUBLE = 2,
  VYN_VALUE_TYPE_POINTER = 3,    // kept as given, never read
  VYN_VALUE_TYPE_STRING = 4,     // narrow, in the session's code page
  VYN_VALUE_TYPE_WSTRING = 5,
  VYN_VALUE_TYPE_SELECTION = 6,
  VYN_VALUE_TYPE_TRANSFORM = 7,  // a 4x4 matrix of doubles, row by row
  VYN_VALUE_TYPE_BOOL = 8,       // 0 or 1
};
struct VynValuedata {
  int type;      // a VynValueType
  int reserved;  // not read
  union {
    int i;
    double d;
    void* p;
    const char* s;
    const VynWchar* w;
    VynSelection r;
    const double (*t)[4];
    int b;
  } value;
};
static_assert(sizeof(VynValuedata) == 16 && offsetof(VynValuedata, value) == 8);

// One step of an element path, from an element to one of its children: kind 1 takes
// the first child whose element id is value, kind 2 the child at index value (from 0).
enum VynElempathKind {
  VYN_ELEMPATH_ID = 1,
  VYN_ELEMPATH_INDEX = 2,
};
struct VynElempathItem {
  int kind;  // a VynElempathKind
  int value;
};
static_assert(sizeof(VynElempathItem) == 8 && offsetof(VynElempathItem, value) == 4);

// The errors of a feature build or redefinition: rows of {error id, type, error} that
// the host fills, and their count.
struct VynErrorItem {
  int id;
  int type;
  int error;
};
static_assert(sizeof(VynErrorItem) == 12 && offsetof(VynErrorItem, error) == 8);
struct VynErrors {
  VynErrorItem* rows;
  int count;
};
static_assert(sizeof(VynErrors) == 16 && offsetof(VynErrors, count) == 8);

// A 2-D entity of a section, in the section's sketch coordinates (VynSectionEntityAdd,
// VynSectionEntityGet). Only the fields of its type are read: a line or centerline runs
// from start to end, a point is at start; an arc runs about center with radius from
// start_angle to end_angle (radians, counter-clockwise when end_angle is the larger); a
// circle is center and radius.
enum Vyn2dEntityType {
  VYN_2D_POINT = 1,
  VYN_2D_LINE = 2,
  VYN_2D_CENTERLINE = 3,
  VYN_2D_ARC = 4,
  VYN_2D_CIRCLE = 5,
};
struct Vyn2dEntity {
  int type;      // a Vyn2dEntityType
  int reserved;  // not read
  double start[2];
  double end[2];
  double center[2];
  double radius;
  double start_angle;
  double end_angle;
};
static_assert(sizeof(Vyn2dEntity) == 80 && offsetof(Vyn2dEntity, start) == 8);

// ---- Callbacks -----------------------------------------------------------------------

// A command's action and its access test (the access state as an int); neither takes
// arguments.
typedef int (*VynCmdActionFunction)();
typedef int (*VynCmdAccessFunction)();

// The visit functions call the filter (when given) and then the action for each item,
// handing back the caller's application data unchanged. A filter returns 0 to visit the
// item or VYN_TK_CONTINUE to skip it; an action returns 0 to go on, anything else stops
// the visit with that status. The action also gets the filter's status.
typedef VynError (*VynModelitemVisitAction)(VynModelitem* item, VynError filter_status,
                                            void* app_data);
typedef VynError (*VynModelitemFilterAction)(VynModelitem* item, void* app_data);
typedef VynModelitemVisitAction VynFeatureVisitAction;
typedef VynModelitemFilterAction VynFeatureFilterAction;
typedef VynModelitemVisitAction VynGeomitemVisitAction;
typedef VynModelitemFilterAction VynGeomitemFilterAction;
typedef VynModelitemVisitAction VynLayerVisitAction;
typedef VynModelitemFilterAction VynLayerFilterAction;
typedef VynModelitemVisitAction VynDtlentityVisitAction;
typedef VynModelitemFilterAction VynDtlentityFilterAction;
typedef VynModelitemVisitAction VynDtlnoteVisitAction;
typedef VynModelitemFilterAction VynDtlnoteFilterAction;
typedef VynModelitemVisitAction VynDimensionVisitAction;
typedef VynModelitemFilterAction VynDimensionFilterAction;

// The filter record of VynSelect. The host calls post_filter for each item the user
// picks that the filter text allows, with a selection of the pick (item, window, point
// and parameters; the host's, valid during the call) and app_data. 0 takes the pick; any
// other status refuses it, and the user picks again. A null post_filter takes every pick.
typedef VynError (*VynSelectionFilterAction)(VynSelection selection, void* app_data);
struct VynSelectionFilter {
  VynSelectionFilterAction post_filter;
  void* app_data;
};
static_assert(sizeof(VynSelectionFilter) == 2 * sizeof(void*) &&
              offsetof(VynSelectionFilter, app_data) == sizeof(void*));

// A dialog component's action: the dialog's name, the component's name and the
// application data given when the action was set.
typedef void (*VynUIAction)(char* dialog, char* component, void* app_data);

// A notification function. The host calls it with the arguments of the notification
// type it was set for (a model for the model-retrieve notification), so the caller
// passes its function converted to this type.
typedef void (*VynNotificationFunction)();
