// Element trees of the feature types, built from the feature-info record, and the
// setters that change one value of an existing tree when the user edits the feature.
#pragma once

#include "app/feature/featinfo.h"

int YrlFeatElemValueDataSet(VynValuedata* data, int type, const void* value);
int YrlFeatElemValueSet(VynElement element, int type, const void* value);
int YrlFeatElemAddAndValueSet(int id, VynElement parent, int type, const void* value, VynElement* out);
int YrlFeatElementIntAdd(int id, VynElement parent, int value, VynElement* out);
int YrlFeatElementDblAdd(int id, VynElement parent, double value, VynElement* out);
int YrlFeatElementPtrAdd(int id, VynElement parent, void* value, VynElement* out);
int YrlFeatElementWstringAdd(int id, VynElement parent, const VynWchar* value, VynElement* out);
int YrlFeatElementSelAdd(int id, VynElement parent, VynSelection value, VynElement* out);
int YrlFeatElementModelItemAdd(int id, VynElement parent, const VynModelitem* item, VynElement* out);
// Sets the value of the element at the path of element ids (kind 1 steps).
int YrlFeatElemtreeElemValueSet(VynElement tree, const int* ids, int count, int type, const void* value);

// Builds the tree of the type and hands its root out (for a datum curve only into tree,
// otherwise also into info->tree); -1 for a type without a tree.
int YrlFeatInfoFeatElememntsAdd(YrlFeatInfo* info, int type, VynElement* tree);
int YrlFeatExtrudeElementsAdd(YrlFeatInfo* info, VynElement* sketch);
int YrlFeatDepthElementsAdd(YrlFeatInfo* info);
int YrlFeatRevAngleElementsAdd(YrlFeatInfo* info);
int YrlFeatHoleMainElementsadd(YrlFeatInfo* info, VynElement* hole);
int YrlFeatHoleRefDistancesGet(YrlFeatInfo* info);
int YrlFeatHoleDepthElementsadd(YrlFeatInfo* info, VynElement hole);
int YrlFeatDatumCurveElementsAdd(YrlFeatInfo* info, VynElement* tree);
int YrlFeatDatumPointElementsAddNew(YrlFeatInfo* info);
int YrlFeatDatumPlaneElementsAdd(YrlFeatInfo* info);
int YrlFeatDatumAxisElementsAdd(YrlFeatInfo* info);

int YrlFeatElemtreeDepthTypeSet(YrlFeatInfo* info, VynElement tree, int depth_type);
int YrlFeatElemtreeRevAngleSet(YrlFeatInfo* info, VynElement tree, int depth_type);
int YrlFeatElemtreeHoleDepthSet(YrlFeatInfo* info, VynElement tree, int depth_type);
int YrlFeatElemtreeFeatTypeSet(YrlFeatInfo* info);
int YrlFeatElemtreeSktPlaneViewDirSet(VynElement tree, int value);
int YrlFeatElemtreeDirectionSet(VynElement tree, int value);
int YrlFeatElemtreeMaterialsideSet(VynElement tree, int value);
int YrlFeatElemtreeHoleDirectionSet(VynElement tree, int value);
int YrlFeatElemtreeDatumOffsetSet(VynElement tree, double offset);
int YrlFeatElemtreeDatumFlipSet(VynElement tree, int value);

// The drawing-to-model transform of a declared view and the view's scale (1.0 by default,
// and for a scale that is not positive). The sheet transform, which carries the drawing
// scale of the orthographic views; for a section, auxiliary or detail view, drawn at its
// own scale relative to them, its diagonal divided by that scale.
int YrlGetDrwToMdlTrfForView(const YrlDrawInfo* draw, int view_id, double trf[4][4], double* scale);
// The view's reference point carried into the model: through trf for an orthographic
// view, through the inverse screen-to-drawing matrix and trf for an auxiliary view, as
// it stands for a section view.
int YrlFeatViewRefPntGetAndTrf(int view_id, const double trf[4][4], double* point);
