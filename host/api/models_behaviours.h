// Session, models, parts, features, datum planes, surfaces, parameters and notifications: the host functions with behaviour (see host/api/host_behaviours.h).
//
// A model, feature or surface the plug-in names must be live: a stale or unknown one
// answers -2 (VYN_TK_BAD_INPUTS) and nothing is touched; so does a null output.
#pragma once

#include "host/api/host_api.h"

namespace yrlhost {

// One specialisation per key; run has the row's signature (context id first).
#define YRL_MODELS_BEHAVIOUR(name, ...)      \
  template <>                                \
  struct Behaviour<HostApi::name> {          \
    static VynError run(int, __VA_ARGS__);   \
  };

// ---- Session and models (models_api.cpp) ---------------------------------------------
// Lists the models of one type into a new VynArray of VynMdl; count may be null.
YRL_MODELS_BEHAVIOUR(VynSessionMdlList, int type, VynArray* models, int* count)
// Copies a model with its features, parameters, solid and datum items under a new name
// (its geometry items keep their ids); -5 when a model of that name and type is in
// session. The copy is not made current.
YRL_MODELS_BEHAVIOUR(VynMdlCopy, VynMdl model, const VynWchar* new_name, VynMdl* copy)
// The current model; -4 with a null model when there is none.
YRL_MODELS_BEHAVIOUR(VynMdlCurrentGet, VynMdl* model)
// Fills a VynMdldata (toolkit/local/mdldata.h).
YRL_MODELS_BEHAVIOUR(VynMdlDataGet, VynMdl model, VynMdldata* data)
// Displays a model: it becomes current.
YRL_MODELS_BEHAVIOUR(VynMdlDisplay, VynMdl model)
// Takes a model out of session; its handles are stale afterwards.
YRL_MODELS_BEHAVIOUR(VynMdlErase, VynMdl model)
// Retrieves a model file (type -1 for any, else the type the file must hold); a model
// of that name and type already in session is answered instead. -2 for a bad path, -4
// for a missing file, -1 for a malformed one; a retrieved model fires notification 18.
YRL_MODELS_BEHAVIOUR(VynMdlLoad, const VynWchar* path, int type, int flags, VynMdl* model)
YRL_MODELS_BEHAVIOUR(VynMdlNameGet, VynMdl model, VynWchar* name)
// The older-style units query: for a live model and units kind 21 (length) it answers
// 1, the model's units name (wide, at most 31 characters), units type 0 and factor 1;
// 0, nothing written, for another kind; -2 for a model that is not live or a null name.
YRL_MODELS_BEHAVIOUR(vyndb_get_model_units, void* model, int unit_kind, int* unit_type,
                     VynWchar* unit_name, double* factor)
// The model as an item: its type, its item id and itself.
YRL_MODELS_BEHAVIOUR(VynMdlToModelitem, VynMdl model, VynModelitem* item)
YRL_MODELS_BEHAVIOUR(VynMdlTypeGet, VynMdl model, int* type)

// ---- Model items, parameters, notifications (models_api.cpp) -------------------------
// The default name of a feature (its type's prefix and its id).
YRL_MODELS_BEHAVIOUR(VynModelitemDefaultnameGet, VynModelitem* item, VynWchar* name)
// Fills an item of a live owner (any type and id).
YRL_MODELS_BEHAVIOUR(VynModelitemInit, VynMdl owner, int id, int type, VynModelitem* item)
// The name of a model, feature or layer item; -4 for an unnamed feature.
YRL_MODELS_BEHAVIOUR(VynModelitemNameGet, VynModelitem* item, VynWchar* name)
// Renames a feature; -5 when another feature of the model has that name.
YRL_MODELS_BEHAVIOUR(VynModelitemNameSet, VynModelitem* item, const VynWchar* name)
// Keeps one function per type; null removes it.
YRL_MODELS_BEHAVIOUR(VynNotificationSet, int type, VynNotificationFunction function)
// Creates a parameter of a model or feature item; -5 when it exists (the parameter
// record then names the existing parameter, so VynParameterValueSet can follow).
YRL_MODELS_BEHAVIOUR(VynParameterCreate, VynModelitem* owner, const VynWchar* name,
                     const VynParamvalue* value, VynParameter* parameter)
YRL_MODELS_BEHAVIOUR(VynParameterValueSet, VynParameter* parameter, const VynParamvalue* value)
// Visits the parameters of a model item (the model itself or one of its features) in
// creation order; each is handed as the address of a HostParameterRecord (host/store/models.h),
// valid during the callbacks. The filter's -7 skips one; an action's nonzero status ends
// the visit and is its answer; a complete visit answers 0.
YRL_MODELS_BEHAVIOUR(VynParameterVisit, VynModelitem* owner, VynItemFilterAction filter,
                     VynItemVisitAction action, void* app_data)

// ---- Features, geometry items and surfaces (model_features.cpp) ----------------------
// Geometry items of a part (host/store/model_geometry.h): surfaces (type 5: faces of its solid,
// datum planes, planes seeded by tests), edges (6), datum axes (21), points (66) and
// curves (62). An item or handle of a face or edge the solid no longer has is stale.
//
// The visits: the filter (when given) returns -7 to skip an item, anything else visits
// it and is handed to the action as its filter status; an action's nonzero status stops
// the visit and is returned; a complete visit returns 0.
YRL_MODELS_BEHAVIOUR(VynSolidFeatVisit, VynSolid solid, VynFeatureVisitAction action,
                     VynFeatureFilterAction filter, void* app_data)
// Rebuilds a part from its features in order (feature_api.cpp); -1 when one could not be
// built (it is marked failed and adds nothing).
YRL_MODELS_BEHAVIOUR(VynSolidRegenerate, VynSolid solid, int flags)
// Visits the feature's geometry items of one type: surfaces (its seeded planes, its datum
// plane, then the faces it made), edges (those where the later of their two faces'
// features is this one), axes, points, curves; -1 all of them in that order; none for
// any other type.
YRL_MODELS_BEHAVIOUR(VynFeatureGeomitemVisit, VynFeature* feature, int type,
                     VynGeomitemVisitAction action, VynGeomitemFilterAction filter,
                     void* app_data)
YRL_MODELS_BEHAVIOUR(VynFeatureStatusGet, VynFeature* feature, int* status)
YRL_MODELS_BEHAVIOUR(VynFeatureTypeGet, VynFeature* feature, int* type)
YRL_MODELS_BEHAVIOUR(VynFeatureTypenameGet, VynFeature* feature, VynWchar* type_name)
YRL_MODELS_BEHAVIOUR(VynFeatureVisibilityGet, VynFeature* feature, int* visible)
// The faces (in face order), then the edges of the part's solid that pass within 0.01 of
// the point, as a new VynArray of new selections (each at the point; a face's with the
// point's parameters); count may be null. -4, the array null and the count 0, when none
// does (a part without a solid included).
YRL_MODELS_BEHAVIOUR(VynGeometryAtPointFind, VynSolid solid, const double* point,
                     VynArray* selections, int* count)
// The feature an item belongs to (see VynFeatureGeomitemVisit); -4 for a face of a solid
// whose feature the part does not have (a solid read from a file).
YRL_MODELS_BEHAVIOUR(VynGeomitemFeatureGet, VynGeomitem* item, VynFeature* feature)
YRL_MODELS_BEHAVIOUR(VynGeomitemToEdge, VynGeomitem* item, VynEdge* edge)
YRL_MODELS_BEHAVIOUR(VynGeomitemToSurface, VynGeomitem* item, VynSurface* surface)
// The two faces an edge bounds, and the edge that meets it on each (on the first face at
// its end, on the second at its start; the edge itself when none does). Every output is
// needed.
YRL_MODELS_BEHAVIOUR(VynEdgeNeighborsGet, VynEdge edge, VynEdge* edge1, VynEdge* edge2,
                     VynSurface* surface1, VynSurface* surface2)
// The geometry data of a surface item (any kind), of an edge (a line or an arc), of a
// datum curve of one entity or of a datum axis (as VynAxisDataGet), host-owned until
// VynGeomitemdataFree; -4 for an edge or curve of another kind and for points.
YRL_MODELS_BEHAVIOUR(VynGeomitemdataGet, VynGeomitem* item, VynGeomitemdata** data)
// Frees geometry data the host handed out and nulls the variable; -2 for anything else.
YRL_MODELS_BEHAVIOUR(VynGeomitemdataFree, VynGeomitemdata** data)
YRL_MODELS_BEHAVIOUR(VynSurfaceDataGet, VynSurface surface, VynGeomitemdata** data)
// The (u, v) of the point's projection onto the surface (uv: 2 doubles): on a plane along
// its e1 and e2 from its origin. The surface must be the solid's.
YRL_MODELS_BEHAVIOUR(VynSurfaceParamEval, VynSolid solid, VynSurface surface,
                     const double* point, double* uv)
YRL_MODELS_BEHAVIOUR(VynSurfaceToGeomitem, VynSolid solid, VynSurface surface,
                     VynGeomitem* item)
// The point at uv, the first derivatives (d/du then d/dv: 6 doubles), the second
// derivatives (uu, uv, vv: 9 doubles, zero on a plane) and the outward unit normal; each
// output only when not null.
YRL_MODELS_BEHAVIOUR(VynSurfaceXyzdataEval, VynSurface surface, const double* uv,
                     double* point, double* derivative1, double* derivative2, double* normal)


// ---- Solid items, axes, curves and contours (solid_items.cpp) ------------------------
// Visits of a live part's items as handles (VynItemVisitAction: the handle, the filter's
// status, the data), taken before the first callback. An assembly has none of its own: an
// empty visit. A complete visit answers 0, also when it offered nothing.
// The faces of the part's solid in face order (datum and seeded planes are no faces).
YRL_MODELS_BEHAVIOUR(VynSolidSurfaceVisit, VynSolid solid, VynItemVisitAction action,
                     VynItemFilterAction filter, void* app_data)
// The part's datum axes in the order of their features.
YRL_MODELS_BEHAVIOUR(VynSolidAxisVisit, VynSolid solid, VynItemVisitAction action,
                     VynItemFilterAction filter, void* app_data)
// Parts hold no quilts: an empty visit; and no quilt handle is ever given (-2).
YRL_MODELS_BEHAVIOUR(VynSolidQuiltVisit, VynSolid solid, VynItemVisitAction action,
                     VynItemFilterAction filter, void* app_data)
YRL_MODELS_BEHAVIOUR(VynQuiltSurfaceVisit, VynQuilt quilt, VynItemVisitAction action,
                     VynItemFilterAction filter, void* app_data)
YRL_MODELS_BEHAVIOUR(VynQuiltToGeomitem, VynWord solid, VynWord quilt, VynWord item)
// The host models no coordinate systems (see VynSolidCsysVisit): no csys handle is ever
// given (-2).
YRL_MODELS_BEHAVIOUR(VynCsysToGeomitem, VynSolid owner, VynCsys csys, VynGeomitem* item)
// A datum axis: its line from its origin one unit along its direction (geometry data of
// kind 21 with a line record), and its item (the owner must be its part).
YRL_MODELS_BEHAVIOUR(VynAxisDataGet, VynAxis axis, VynGeomitemdata** data)
YRL_MODELS_BEHAVIOUR(VynAxisToGeomitem, VynSolid owner, VynAxis axis, VynGeomitem* item)
// A surface's item id and type code (as VynSurfaceDataGet gives them).
YRL_MODELS_BEHAVIOUR(VynSurfaceIdGet, VynSurface surface, int* id)
YRL_MODELS_BEHAVIOUR(VynSurfaceTypeGet, VynSurface surface, int* type)
// A face's boundary loops (the outer first, then its holes) as contour handles; a datum or
// seeded plane has none (an empty visit).
YRL_MODELS_BEHAVIOUR(VynSurfaceContourVisit, VynSurface surface, VynItemVisitAction action,
                     VynItemFilterAction filter, void* app_data)
// 1 for a face's outer loop, -1 for a hole.
YRL_MODELS_BEHAVIOUR(VynContourTraversalGet, VynContour contour, int* traversal)
// The edges of a loop of the surface in the order the loop runs, as edge handles.
YRL_MODELS_BEHAVIOUR(VynContourEdgeVisit, VynSurface surface, VynContour contour,
                     VynItemVisitAction action, VynItemFilterAction filter, void* app_data)
// An edge's item id, its curve type (2 line, 3 arc for a circle or a part of one, -1 for
// any other curve) and its length.
YRL_MODELS_BEHAVIOUR(VynEdgeIdGet, VynEdge edge, int* id)
YRL_MODELS_BEHAVIOUR(VynEdgeTypeGet, VynEdge edge, int* type)
YRL_MODELS_BEHAVIOUR(VynEdgeLengthEval, VynEdge edge, double* length)
// A datum curve item as a curve handle; its components (VynCurveCompVisit) are its
// section's lines, arcs and circles in section order, index from 0, flipped where the
// entity runs against the chain.
YRL_MODELS_BEHAVIOUR(VynGeomitemToCurve, VynGeomitem* item, VynCurve* curve)
YRL_MODELS_BEHAVIOUR(VynCurveCompVisit, VynCurve curve, VynCurveCompVisitAction action,
                     VynCurveCompFilterAction filter, void* app_data)
// Every geometry item the part has is active (0): a failed feature makes none.
YRL_MODELS_BEHAVIOUR(VynGeomitemIsInactive, VynGeomitem* item, int* is_inactive)
// No feature is a manufacturing sequence (0).
YRL_MODELS_BEHAVIOUR(VynFeatureIsNcseq, VynFeature* feature, int* is_ncseq)

#undef YRL_MODELS_BEHAVIOUR

}  // namespace yrlhost
