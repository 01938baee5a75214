// Named views: the views the user declares in a drawing, each a stored record of class
// "Y_V" (app/views/viewdata.h) named by the view, with its member draft entities. Their
// identity (kind, name, group id, parent), the predicates the application asks about a
// view, new group ids, membership lookups and reference points.
//
// Functions return a status (0 success, host statuses passed up, -4 a missing record or
// entity) unless said otherwise; predicates return 1 or 0. Nothing is cached: every lookup
// walks the stored records in the host's listing order and stops at the first hit.
#pragma once

#include "toolkit/api/app_api.h"
#include "toolkit/tkbase.h"

// View kinds (the record's view type).
inline constexpr int YRL_VIEW_ORTHO = 1;
inline constexpr int YRL_VIEW_SECTION = 2;
inline constexpr int YRL_VIEW_AUXILIARY = 3;
inline constexpr int YRL_VIEW_DETAIL = 4;
// The group id handed out first when the drawing has no counter slot yet.
inline constexpr int YRL_FIRST_NEW_GROUP_ID = 10;

// The six orthographic view names and their ids (1 TOP .. 6 LEFT).
struct YrlViewIdName {
  int id;
  char name[32];
};
extern const YrlViewIdName yrl_view_id_list[6];

// ---- Identity and names -----------------------------------------------------------------

// id of an orthographic name (exact, case-sensitive), 0 for any other; always 0.
int YrlViewNameIdGet(const char* name, int* id);
// Name of the view with that group id; returns 0.
int YrlViewIdNameGet(int group_id, char* name);
// The scan by group id; outputs untouched when no record has it.
int YrlViewSetupViewnameGetFromGroupId(int group_id, char* name, int* type);
// The record whose name equals name; outputs untouched when none.
int YrlViewSetupGroupIdFromNameGet(const char* name, int* group_id, int* type);
// Type of the named record (0 first); -4 for an empty name or a missing record.
int YrlViewNameTypeGet(const char* name, int* type);
int YrlViewIdTypeMatches(int group_id, int type);
int YrlViewIdNameMatches(int group_id, const char* name);
// Parent of a detail view into parent_name; -4 for a missing record, a position entity
// id below 1 or a null out-pointer; 0 with parent_name as preset when the position
// entity lies in no view.
int YrlViewParentViewNameGet(const char* view_name, char* parent_name);
int YrlViewParentNameMatches(int group_id, const char* name);

// ---- Predicates by group id -------------------------------------------------------------

int IsYrlViewTypeSection(int group_id);
int IsYrlViewTypeAuxilary(int group_id);
int IsYrlViewTypeDetail(int group_id);
int IsYrlViewTypeNonOrtho(int group_id);  // section or auxiliary, not detail

int IsYrlViewNameTop(int group_id);
int IsYrlViewNameFront(int group_id);
int IsYrlViewNameRight(int group_id);
int IsYrlViewNameBottom(int group_id);
int IsYrlViewNameRear(int group_id);
int IsYrlViewNameLeft(int group_id);

int IsYrlViewParentTop(int group_id);
int IsYrlViewParentFront(int group_id);
int IsYrlViewParentRight(int group_id);
int IsYrlViewParentBottom(int group_id);
int IsYrlViewParentRear(int group_id);
int IsYrlViewParentLeft(int group_id);

int IsYrlViewGroupTop(int group_id);
int IsYrlViewGroupFront(int group_id);
int IsYrlViewGroupRight(int group_id);
int IsYrlViewGroupBottom(int group_id);
int IsYrlViewGroupRear(int group_id);
int IsYrlViewGroupLeft(int group_id);

int IsYrlViewNameTopBot(int group_id);
int IsYrlViewNameFrontRear(int group_id);
int IsYrlViewNameRightLeft(int group_id);
int IsYrlViewParentTopBot(int group_id);
int IsYrlViewParentFrontRear(int group_id);
int IsYrlViewParentRightLeft(int group_id);
int IsYrlViewGroupTopBot(int group_id);
int IsYrlViewGroupFrontRear(int group_id);
int IsYrlViewGroupRightLeft(int group_id);

// ---- Membership -------------------------------------------------------------------------

// The view that holds the draft entity as a member; outputs untouched when none.
int YrlViewSetupViewnameGet(int entity_id, char* name, int* group_id, int* type);
// Group id of the view holding the selected entity; -1 first (in no view).
int YrlViewSetupIdGetBySelection(VynSelection selection, int* group_id);
// Its name; "" first.
int YrlViewSetupNameGetBySelection(VynSelection selection, char* name);
// Its type (-1 first) and name.
int YrlViewSetupIdTypeGetBySelection(VynSelection selection, int* type, char* name);

// ---- Group ids --------------------------------------------------------------------------

// The next group id (10 when the drawing has no counter, and never below 10 or at a
// declared view's id, whatever a damaged counter holds); stores it + 1 and returns the
// status of that store, -1 when no id is left.
int YRLGetNewViewGroupID(int* group_id);

// ---- Reference points and scale (points are three doubles, bounds six) ------------------

// Folds one picked draft entity into a view's reference point and bounds while the view
// is created; first is 1 for the first entity only.
int YrlReferencePointGet(int first, const char* view_name, VynSelection selection, double* ref_point,
                         double* bounds);
// The fold itself on an entity's outline {min x, y, z, max x, y, z}.
void YrlFindReferencePointofView(int first, const char* view_name, const double* outline, double* ref_point,
                                 double* bounds);
// The stored reference point (the view-reference point for section and auxiliary views);
// -4 when the record is missing.
int YrlViewNameRefPointGet(const char* view_name, double* point);
// The reference point by group id, carried to the parent for a detail view.
int YrlViewIdRefPointGet(int group_id, double* point);
// The record's scale; -1 when the view's data cannot be read.
int YrlViewIdScaleGet(int group_id, double* scale);
// The scale a view's drawing is read at: the stored one, or 1 (the sheet's) when it is
// not positive or not finite. View Setup never stores such a scale; one from elsewhere
// must neither divide nor stop a feature.
double YrlViewScaleUsable(double stored);
// Centre of the view's stored bounds (z 0) and its scale.
int YrlViewNameCentrePointGet(const char* view_name, double* scale, double* point);
