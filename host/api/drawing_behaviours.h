// A drawing's content: sheets, drawing models, views and scales, draft entities with
// their data and curves, notes, symbol instances, dimensions and layers. The host
// functions with behaviour (see host/api/host_behaviours.h); the rules they keep are in
// host/store/drawings.h and host/resources/README.md.
//
// The drawing a function names must be a live drawing, its sheet one of the drawing's,
// its view a view of the drawing and its outputs not null: anything else answers -2 and
// changes nothing. An item (entity, note, symbol instance, dimension, layer) of the right
// type whose id names no live item of the drawing answers -4.
#pragma once

#include "host/api/host_api.h"

namespace yrlhost {

// One specialisation per key; run has the row's signature (context id first).
#define YRL_DRAWING_BEHAVIOUR(name, ...)   \
  template <>                              \
  struct Behaviour<HostApi::name> {        \
    static VynError run(int, __VA_ARGS__); \
  };

// ---- Sheets, drawing models, views and scales (drawing_sheets.cpp) -------------------
YRL_DRAWING_BEHAVIOUR(VynDrawingCurrentSheetGet, VynMdl drawing, int* sheet)
YRL_DRAWING_BEHAVIOUR(VynDrawingCurrentSheetSet, VynMdl drawing, int sheet)
// A new sheet numbered after the last, with the current sheet's size, scale and
// transform; it does not become current.
YRL_DRAWING_BEHAVIOUR(VynDrawingSheetCreate, VynMdl drawing, int* sheet)
// The sheet's size name (a VynName; size may be null) and its transform, as held.
YRL_DRAWING_BEHAVIOUR(VynDrawingSheetTrfGet, VynMdl drawing, int sheet, VynWchar* size,
                      double transform[4][4])
YRL_DRAWING_BEHAVIOUR(VynDrawingBackgroundViewGet, VynMdl drawing, int sheet, VynView* view)
YRL_DRAWING_BEHAVIOUR(VynDrawingOverlayviewGet, VynMdl drawing, int sheet, VynView* view)
// Counts the regeneration; the drawing's content stays as it is.
YRL_DRAWING_BEHAVIOUR(VynDwgSheetRegenerate, VynMdl drawing, int sheet)
// Adds a live part to the drawing's models; -5 when it is one already.
YRL_DRAWING_BEHAVIOUR(VynDrawingSolidAdd, VynMdl drawing, VynSolid solid)
// The drawing's models that are in session, as a new VynArray of VynMdl (maybe empty).
YRL_DRAWING_BEHAVIOUR(VynDrawingSolidsCollect, VynMdl drawing, VynArray* solids)
// The scale of a drawing model on a sheet: as set, else the sheet's scale. -4 for a
// part that is not a model of the drawing; a scale must be positive.
YRL_DRAWING_BEHAVIOUR(VynDrawingScaleSet, VynMdl drawing, VynSolid solid, int sheet, double scale)
YRL_DRAWING_BEHAVIOUR(VynDrawingScaleGet, VynMdl drawing, VynSolid solid, int sheet,
                      double* scale)
// A general view of a drawing model (-4 for a part that is not one) on a sheet at a
// position, with a scale (0.0: the model's scale on the sheet) and an orientation; it is
// named "VIEW_<id>". Making it changes no scale.
YRL_DRAWING_BEHAVIOUR(VynDrawingGeneralviewCreate, VynMdl drawing, VynSolid solid, int sheet,
                      int exploded, const double* position, double scale,
                      const double orientation[4][4], VynView* view)
// The drawing's general views in creation order, as a new VynArray of VynView.
YRL_DRAWING_BEHAVIOUR(VynDrawingViewsCollect, VynMdl drawing, VynArray* views)
// A view's name (a VynName): a general view's, or "SHEET<n>_BACKGROUND" and
// "SHEET<n>_OVERLAY" for a sheet's own views.
YRL_DRAWING_BEHAVIOUR(VynDrawingViewNameGet, VynMdl drawing, VynView view, VynWchar* name)
// The sheet a view lies on (a sheet's own view or a general view), by word count:
// (VynMdl drawing, VynView view, int* sheet).
YRL_DRAWING_BEHAVIOUR(VynDrawingViewSheetGet, VynWord drawing, VynWord view, VynWord sheet)
// Deletes a general view with its items; with delete_children 0 a view that other views
// hang from is kept and -8 answered, else they go too. A sheet's own views answer -2.
YRL_DRAWING_BEHAVIOUR(VynDrawingViewDelete, VynMdl drawing, VynView view, int delete_children)

// ---- Draft entities, their data and curves (drawing_entities.cpp) --------------------
// Entity data is a host record the plug-in frees with VynDtlentitydataFree: a snapshot of
// an entity (VynDtlentityDataGet) or the makings of a new one (VynDtlentitydataAlloc).
YRL_DRAWING_BEHAVIOUR(VynDtlentityDataGet, VynDtlentity* entity, VynDtlsymdef* symbol,
                      VynDtlentitydata* data)
YRL_DRAWING_BEHAVIOUR(VynDtlentitydataFree, VynDtlentitydata data)
// -4 for data that names no entity (yet).
YRL_DRAWING_BEHAVIOUR(VynDtlentitydataIdGet, VynDtlentitydata data, int* id)
// The data's curve record, owned by the data (valid until it is freed); -4 for none.
YRL_DRAWING_BEHAVIOUR(VynDtlentitydataCurveGet, VynDtlentitydata data, VynCurvedata** curve)
YRL_DRAWING_BEHAVIOUR(VynDtlentitydataColorGet, VynDtlentitydata data, VynColor* color)
// 1 for an entity hidden from drawing and picking when its data was got, else 0.
YRL_DRAWING_BEHAVIOUR(VynDtlentitydataIsHidden, VynDtlentitydata data, int* hidden)
YRL_DRAWING_BEHAVIOUR(VynDtlentitydataAlloc, VynMdl drawing, VynDtlentitydata* data)
// A zeroed curve record of the host's; see VynDtlentitydataCurveSet for who frees it.
YRL_DRAWING_BEHAVIOUR(VynCurvedataAlloc, VynCurvedata** curve)
// The data's curve: a record from VynCurvedataAlloc that no data holds passes to this
// data (freed with it); any other record is copied. The curve is checked at creation.
YRL_DRAWING_BEHAVIOUR(VynDtlentitydataCurveSet, VynDtlentitydata data, VynCurvedata* curve)
// A view of the data's drawing: the new entity's sheet and view.
YRL_DRAWING_BEHAVIOUR(VynDtlentitydataViewSet, VynDtlentitydata data, VynView view)
YRL_DRAWING_BEHAVIOUR(VynDtlentitydataColorSet, VynDtlentitydata data, const VynColor* color)
// A new entity of the data's curve, view (without one: the current sheet's background
// view) and colour in the data's drawing; the data then names it. -2 for a curve the
// host does not keep (host/store/drawings.h) and for a symbol definition.
YRL_DRAWING_BEHAVIOUR(VynDtlentityCreate, VynMdl drawing, VynDtlsymdef* symbol,
                      VynDtlentitydata data, VynDtlentity* entity)
// Adds the entity's drawing to the current window's display list; a hidden entity is
// not drawn (0).
YRL_DRAWING_BEHAVIOUR(VynDtlentityDraw, VynDtlentity* entity)
// Deletes the entity; its drawings leave every window (the window id is not read).
YRL_DRAWING_BEHAVIOUR(VynDtlentityDelete, VynDtlentity* entity, int window_id)
// Visits the entities of a sheet (-1: every sheet) in id order; see visit_items in
// host/store/model_store.h. Entities of symbol definitions are not kept (-2).
YRL_DRAWING_BEHAVIOUR(VynDrawingDtlentityVisit, VynMdl drawing, VynDtlsymdef* symbol, int sheet,
                      VynDtlentityVisitAction action, VynDtlentityFilterAction filter,
                      void* app_data)

// ---- Notes, symbol instances and dimensions (drawing_annotations.cpp) ----------------
// Note and symbol data are the host's: one record per item, made at its first DataGet,
// brought up to date at each one after, freed when the drawing leaves the session. The
// mode is not read. Symbol definitions are not kept: a symbol given answers -2.
YRL_DRAWING_BEHAVIOUR(VynDrawingDtlnoteVisit, VynMdl drawing, VynDtlsymdef* symbol, int sheet,
                      VynDtlnoteVisitAction action, VynDtlnoteFilterAction filter, void* app_data)
// The notes of a model: a drawing's notes of every sheet, as the note visit of a drawing
// offers them; a part or an assembly holds none (a complete, empty visit: 0).
YRL_DRAWING_BEHAVIOUR(VynMdlNoteVisit, VynMdl model, VynModelitemVisitAction action,
                      VynModelitemFilterAction filter, void* app_data)
// The notes of a sheet (-1: every sheet) as a new VynArray of VynDtlnote (maybe empty).
YRL_DRAWING_BEHAVIOUR(VynDrawingDtlnotesCollect, VynMdl drawing, VynDtlsymdef* symbol, int sheet,
                      VynArray* notes)
YRL_DRAWING_BEHAVIOUR(VynDtlnoteDataGet, VynDtlnote* note, VynDtlsymdef* symbol, int mode,
                      VynDtlnotedata* data)
YRL_DRAWING_BEHAVIOUR(VynDtlnotedataIdGet, VynDtlnotedata data, int* id)
YRL_DRAWING_BEHAVIOUR(VynDtlnotedataColorGet, VynDtlnotedata data, VynColor* color)
// The note's attachment, which lives as long as its data.
YRL_DRAWING_BEHAVIOUR(VynDtlnotedataAttachmentGet, VynDtlnotedata data, VynDtlattach* attachment)
// The attachment's kind (0 free, 2 on an entity), the note's view, its location (sheet
// coordinates; on an entity, the point at the parameter) and, on an entity, a new
// selection of the entity whose parameters are (parameter, 0) (the plug-in's to free;
// null for a free note). Each output is written when it is not null.
YRL_DRAWING_BEHAVIOUR(VynDtlattachGet, VynDtlattach attachment, int* type, VynView* view,
                      double* location, VynSelection* selection)
// The symbol instances of a sheet (-1: every sheet) as a new VynArray of VynDtlsyminst.
YRL_DRAWING_BEHAVIOUR(VynDrawingDtlsyminstsCollect, VynMdl drawing, int sheet, VynArray* syminsts)
YRL_DRAWING_BEHAVIOUR(VynDtlsyminstDataGet, VynDtlsyminst* syminst, int mode, VynDtlsyminstdata* data)
YRL_DRAWING_BEHAVIOUR(VynDtlsyminstdataIdGet, VynDtlsyminstdata data, int* id)
YRL_DRAWING_BEHAVIOUR(VynDtlsyminstdataColorGet, VynDtlsyminstdata data, VynColor* color)
// Visits the drawing's dimensions (type 8, the only type the host keeps) on every sheet.
YRL_DRAWING_BEHAVIOUR(VynDrawingDimensionVisit, VynMdl drawing, int type,
                      VynDimensionVisitAction action, VynDimensionFilterAction filter,
                      void* app_data)
YRL_DRAWING_BEHAVIOUR(VynDrawingDimensionPosGet, VynMdl drawing, VynDimension* dimension,
                      double* position)
// The view a dimension lies in (a VynView: its sheet's background or overlay view, or a
// drawing view), by word count: (VynMdl drawing, VynDimension* dimension, VynView* view).
YRL_DRAWING_BEHAVIOUR(VynDrawingDimensionViewGet, VynWord drawing, VynWord dimension, VynWord view)
// The entities the dimension measures, as a new VynArray of VynModelitem (draft
// entities), and which of each (a new VynArray of int: 0 the entity, 1 its first end, 2
// its second end); -4, with nothing written, for a dimension attached to none.
YRL_DRAWING_BEHAVIOUR(VynDrawingDimAttachsGet, VynMdl drawing, VynDimension* dimension,
                      VynArray* attachments, VynArray* sides)
// 9 linear, 3 radius, 4 diameter, 21 angle.
YRL_DRAWING_BEHAVIOUR(VynDimensionTypeGet, VynDimension* dimension, int* type)
YRL_DRAWING_BEHAVIOUR(VynDimensionValueGet, VynDimension* dimension, double* value)
// The text lines as a new VynArray of wide strings, freed with VynWstringArrayFree.
YRL_DRAWING_BEHAVIOUR(VynDimensionTextGet, VynDimension* dimension, VynArray* lines)
// The older-style dimension ids: the count, with the ids of a drawing's dimensions of
// every sheet in id order in a list the host keeps until the next call; a part or an
// assembly holds no dimensions (0, a null list). Kind and filter are not read. -1 for a
// model that is not live or a null list variable.
YRL_DRAWING_BEHAVIOUR(vyndim_get_dim_ids, VynMdl model, int kind, int filter, int** ids)

// ---- Layers (drawing_layers.cpp) -----------------------------------------------------
// A layer is named by a VynLayer record (type 117, its id, its drawing): -2 for a record
// of another type or of no live drawing, -4 for an id that names no live layer. Names
// are VynNames of 1 to 31 characters (-2 otherwise), compared exactly.
//
// A new layer of the drawing, shown (status 1); creating a layer of a name the drawing
// has answers 0 and hands out that layer as it is, so that the plug-in may create its
// layers each time it fills them.
YRL_DRAWING_BEHAVIOUR(VynLayerCreate, VynMdl model, const VynWchar* name, VynLayer* layer)
// -4, nothing written, when the drawing has no layer of that name.
YRL_DRAWING_BEHAVIOUR(VynMdlLayerGet, VynMdl model, const VynWchar* name, VynLayer* layer)
// Visits the layers in id (creation) order; see visit_items in host/store/model_store.h.
YRL_DRAWING_BEHAVIOUR(VynMdlLayerVisit, VynMdl model, VynLayerVisitAction action,
                      VynLayerFilterAction filter, void* app_data)
// Deletes the layer; its items stay in the drawing, shown again unless another blank
// layer holds them. Its id stays dead.
YRL_DRAWING_BEHAVIOUR(VynLayerDelete, VynLayer* layer)
// 1 shown, 3 blank: the layer's items are hidden from drawing and picking and leave the
// windows. Any other status answers -2.
YRL_DRAWING_BEHAVIOUR(VynLayerDisplaystatusGet, VynLayer* layer, int* status)
YRL_DRAWING_BEHAVIOUR(VynLayerDisplaystatusSet, VynLayer* layer, int status)
// Saves the display status of each of the drawing's layers: the one its file keeps.
YRL_DRAWING_BEHAVIOUR(VynLayerDisplaystatusSave, VynMdl model)
// A layer item record {type, id, owner}: -2 for an owner that is no live drawing or a
// type a layer cannot hold (77 entity, 68 note, 76 symbol instance, 8 dimension); the
// id is checked when the item is added.
YRL_DRAWING_BEHAVIOUR(VynLayerItemInit, int type, int id, VynMdl owner, VynLayerItem* item)
// Puts a live item of the layer's drawing (-2 for another owner or type, -4 for an id
// that names none) on the layer; an item the layer holds already stays where it is and
// the answer is 0, so that filling a layer again adds just the new items.
YRL_DRAWING_BEHAVIOUR(VynLayerItemAdd, VynLayer* layer, VynLayerItem* item)
// -4 for an item the layer does not hold.
YRL_DRAWING_BEHAVIOUR(VynLayerItemRemove, VynLayer* layer, VynLayerItem* item)
// The layer's items in the order added, as a new VynArray of VynLayerItem (maybe empty),
// and their count.
YRL_DRAWING_BEHAVIOUR(VynLayerItemsGet, VynLayer* layer, VynArray* items, int* count)

#undef YRL_DRAWING_BEHAVIOUR

}  // namespace yrlhost
