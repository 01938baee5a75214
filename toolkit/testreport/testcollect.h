// The menu of collection tests ("COLLECTION") and the helpers the tests print with:
// the feature-array print, the picked surface or curve, an element value as text and
// the names of the host's type codes. Every host status goes to the test-call report.
#pragma once

#include <cstdio>

#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

// Registers the menu "COLLECTION" from "collection.mnu", sets its buttons' actions (each
// test gets model, the address of the model handle the tests work on), runs it and
// closes the tests' output stream ("visitcollect.dat", appended to; standard error when
// it cannot be opened). 0; -1 when the menu cannot be registered.
int VynTestCollection(VynMdl* model);

// The collection tests, the menu's button actions: model_arg is the address of the model
// handle they work on (the one given to VynTestCollection). Each writes its header, what
// it collected and one line per item to the menu's stream (standard error outside the
// menu) and answers 0; VynTestCollectDimensions answers -1 for a null model. The tests
// that need a pick prompt with "TEST <prompt>" of "gen_msg.txt" and pick one item.
int VynTestCollectAnimation(void* model_arg, int);
int VynTestCollectSolidCsys(void* model_arg, int);
int VynTestCollectSolidAxis(void* model_arg, int);
int VynTestCollectSolidQuilts(void* model_arg, int);
int VynTestCollectSolidSurfaces(void* model_arg, int);
int VynTestCollectSolidSimpreps(void* model_arg, int);
int VynTestCollectSolidFeatures(void* model_arg, int);
int VynTestCollectModelNotes(void* model_arg, int);
int VynTestCollectMfgTools(void* model_arg, int);
int VynTestCollectFeatureGeomitems(void* model_arg, int);
int VynTestCollectElemtreeElements(void* model_arg, int);
int VynTestCollectCurveComponents(void* model_arg, int);
int VynTestCollectContours(void* model_arg, int);
int VynTestCollectExtobj(void* model_arg, int);
int VynTestFindByName(void* model_arg, int);
int VynTestCollectSolidAxisByPlane(void* model_arg, int);
int VynTestCollectDimensions(void* model_arg, int);

// The stream the collection tests write to while the menu runs (null otherwise).
std::FILE* VynTestCollectionStream();

// Writes "Number of features:\t<n>\n" and a line with the id, type and status name of
// each feature of the host array features (of VynFeature) to stream (standard error
// for null). 0.
int VynTestFeatureArrayPrint(VynArray features, std::FILE* stream);

// The surface (curve) behind a picked surface (curve): 0, or -1 for a null out, a pick
// of another item type or a failing host call.
int VynUtilSelectedSurfaceGet(VynSelection selection, VynSurface* surface);
int VynUtilSelectedCurveGet(VynSelection selection, VynCurve* curve);

// An element value's data as text in a buffer that the next call overwrites: an int, a
// double ("%f"), "pointer", the narrow text, the wide text made narrow, "Selection", or
// "unknown" (also when the data cannot be read). Texts are cut to
// VYN_UTIL_VALUE_TEXT_SIZE bytes with the terminator.
const char* VynUtilValueToString(VynValue value);
constexpr int VYN_UTIL_VALUE_TEXT_SIZE = 256;

// The name of a host type code ("VYN_SRF_PLANE", ...), "unknown" for a code without one.
const char* VynUtilSurfaceTypeToString(int type);
const char* VynUtilFeatureStatusToString(int status);
const char* VynUtilToolTypeToString(int type);
const char* VynUtilGeomitemTypeToString(int type);
const char* VynUtilEdgeTypeToString(int type);
