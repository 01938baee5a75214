// Types of the host API catalogue's typed members: the handles, records and callbacks
// that the toolkit utilities pass to them. They build on the base types; host_types.h
// offers both.
#pragma once

#include "toolkit/api/host_base_types.h"

// ---- Handles -------------------------------------------------------------------------

typedef struct VynAxisRecord* VynAxis;
typedef struct VynCsysRecord* VynCsys;
typedef struct VynCurveRecord* VynCurve;
typedef struct VynQuiltRecord* VynQuilt;
typedef struct VynContourRecord* VynContour;
typedef struct VynAnimframeRecord* VynAnimframe;
typedef struct VynAnimmovieRecord* VynAnimmovie;
typedef struct VynMfgRecord* VynMfg;  // a manufacturing model

// ---- Records -------------------------------------------------------------------------

// An assembly component: the feature that places a model in an assembly.
typedef VynModelitem VynAsmcomp;

// An assembly component path: the top assembly, the component feature ids from it down
// (entry k the id at level k, the entry after the last used one -1) and their count.
constexpr int VYN_ASMCOMPPATH_MAX = 25;
struct VynAsmcomppath {
  VynSolid owner;
  int comp_id_table[VYN_ASMCOMPPATH_MAX];
  int table_num;
};
static_assert(offsetof(VynAsmcomppath, comp_id_table) == sizeof(void*) &&
              offsetof(VynAsmcomppath, table_num) == sizeof(void*) + 100);

// Records that only the host reads and writes.
struct VynExtobjClass;  // a class of external objects of a model
struct VynFamtable;     // a model's family table

// A 4x4 transform of doubles, row by row; row 3 holds the origin.
typedef double VynMatrix[4][4];

// A collection instruction that the host passes around by value: three words, copied
// word for word and never read by the plug-in.
struct VynInstrRecord {
  VynWord words[3];
};

// ---- Callbacks -----------------------------------------------------------------------

// Visit actions and filters of the visits over host handles (surfaces, axes, contours,
// animation frames, ...) and over host records other than model items (family-table
// rows, parameters, tools, cross sections, ...): item is the handle, or the address of
// the record. They follow the rules of VynModelitemVisitAction; the visits that pass no
// filter status call the action without it.
typedef VynError (*VynItemVisitAction)(void* item, VynError filter_status, void* app_data);
typedef VynError (*VynItemVisitActionNoStatus)(void* item, void* app_data);
typedef VynError (*VynItemFilterAction)(void* item, void* app_data);

// The visit of the host's windows gives each window's id.
typedef VynError (*VynWindowVisitAction)(int window_id, void* app_data);

// The visit of an element tree gives each element with its path from the root.
typedef VynError (*VynElementVisitAction)(VynElement element, VynElempath path, void* app_data);
typedef VynError (*VynElementFilterAction)(VynElement element, VynElempath path,
                                           void* app_data);

// The visit of a composite curve gives each component with its index in the curve and
// whether it runs against the curve's direction.
typedef VynError (*VynCurveCompVisitAction)(VynCurve curve, VynCurve component, int index,
                                            int flip, void* app_data);
typedef VynError (*VynCurveCompFilterAction)(VynCurve curve, VynCurve component, int index,
                                             int flip, void* app_data);

// A button action of the host's older menus: the data word and the int given when the
// action was set.
typedef int (*VynMenubuttonAction)(void* app_data, int app_int);
