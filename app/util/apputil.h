// Application utilities: the active part, the part's default datum planes, the generic
// message dialogs, tolerant comparisons of doubles, 2-D and 3-D line functions, end points
// of drawing entities, the screen-to-drawing transform, the online help, the About dialog
// and the hidden end-points command.
#pragma once

#include "runtime/text/wide.h"
#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

// The host's model type codes of a part and a drawing.
inline constexpr int YRL_MDL_TYPE_PART = 2;
inline constexpr int YRL_MDL_TYPE_DRAWING = 4;

// ---- Application-wide state (reset for tests in apputil_testing.h) ---------------------

// The active part: whatever YrlActiveModelSet was last given; null until set.
extern VynMdl active_mdl;
// The current drawing sheet's screen-to-drawing transform and whether it is filled.
extern double scr_to_drw_matrix[4][4];
extern int ScrToDrwMatix_Set;

// ---- Records -------------------------------------------------------------------------

// Search modes of YrlDatumSearch.
enum : int {
  YRL_DATUM_SEARCH_BY_NAME = 1,
  YRL_DATUM_SEARCH_AT_POINT = 2,
};

// What a datum-plane search looks for and what it found.
struct YrlDatumSearch {
  int mode;             // YRL_DATUM_SEARCH_BY_NAME or YRL_DATUM_SEARCH_AT_POINT
  char name[32];        // the datum feature's name (by name)
  int found;            // 1 once a plane is found
  VynModelitem item;    // the found plane's first surface
  double point[3];      // a point on the wanted plane (at a point)
  double direction[3];  // the wanted plane's normal (at a point)
};

// ---- Active part ---------------------------------------------------------------------

// Makes model the active part (null: none) and stores its name in the current drawing's
// "ACTIVE_PART" slot; the store's status.
int YrlActiveModelSet(VynMdl model);
// 0 when a part is active, else VYN_TK_E_NOT_FOUND; writes the active part (possibly
// null) when model is not null.
int YrlActiveModelGet(VynMdl* model);
// Bytes of the narrow model names the active-part functions hand out, terminator
// included: room for the narrow form of any model name the host keeps (a VynName),
// however many bytes each of its characters takes in the session's encoding.
inline constexpr int YRL_MODEL_NAME_SIZE =
    static_cast<int>(vek::wstostr_room(sizeof(VynName) / sizeof(VynWchar) - 1));

// The active part's name (name holds YRL_MODEL_NAME_SIZE chars), "" when none is active
// or its name cannot be read; nothing for a null name.
void YrlActiveModelNameGet(char* name);
// Makes the first part model in session of that name (exact) active, or none when no
// part has it; stops at the first host failure and returns it.
int YrlActiveModelNameSet(const char* name);
// Applies the active part name stored in the current drawing again; the read's status.
// Only a drawing keeps the name: with another current model (a part that was retrieved
// and made current) nothing is registered or read, and -4 (VYN_TK_E_NOT_FOUND) is
// returned.
int YrlActiveModelNameRetrieve(VynMdl model);
// The model-retrieve notification (set by YrlNotificationsSet, app/menus/app_menus.h):
// YrlActiveModelNameRetrieve (model).
int YrlModelRetrievePostActions(VynMdl model);
// Whether the current model is a drawing (host model type 4).
bool YrlCurrentModelIsDrawing();
// 1 when the part has a feature of host type 0 or 917, else 0.
int YrlPartHasFirstFeat(VynSolid part);
VynError YrlPartHasFirstFeatAction(VynFeature* feature, VynError filter_status, void* app_data);
// Whether a part model of that name (compared lower-cased) is in session: flag 1 and 0,
// or flag 0 and -1.
int YrlCheckModelinMemory(const VynWchar* name, int* flag);

// ---- Datum planes of the part --------------------------------------------------------

// The first surface of the part's active datum plane of that name: 1 with item written
// (when item is not null), else 0 with item untouched. The two are the same operation.
int YrlDatumFindByName(VynSolid part, const char* name, VynModelitem* item);
int YrlDatumFind(VynSolid part, const char* name, VynModelitem* item);
// The part's datum plane through point (within 0.01) whose normal is direction: 1 with
// item written (when item is not null), else 0.
int YrlDatumFindAtPoint(VynSolid part, const double* point, const double* direction,
                        VynModelitem* item);
// The datum plane of a declared view (a detail view's parent view), with the fallbacks
// BOTTOM -> TOP, LEFT -> RIGHT, REAR -> FRONT; 1 when found, else 0.
int YrlDatumFindForViewName(VynSolid part, const char* view_name, VynModelitem* item);
// The part's visible active named datum planes: count, a host array of feature ids (int)
// and a host array of wide name buffers (VynWchar*, 32 characters each, allocated with
// calloc; the caller frees the buffers and both arrays). Each output may be null; the
// given ones are zeroed first and set only when the visit returns 0. The visit's status.
int YrlDatumNamesGet(VynSolid part, int* count, VynArray* ids, VynArray* names);
// The visit and filter functions of the datum searches (app_data: YrlDatumSearch*, and
// for YrlFeatAction the name list being built).
VynError YrlDatumFindFeatAction(VynFeature* feature, VynError filter_status, void* app_data);
VynError YrlDatumFindGeomitemAction(VynGeomitem* item, VynError filter_status, void* app_data);
VynError YrlDatumFindGeomitemNormalFilter(VynGeomitem* item, void* app_data);
VynError YrlFeatAction(VynFeature* feature, VynError filter_status, void* app_data);

// ---- Message dialogs -----------------------------------------------------------------

// A modal dialog ("error", "confirm", "message") showing text with an OK button. A null
// text gives VYN_TK_BAD_INPUTS and shows nothing; a null title reads "Message". The text
// shows at most 255 characters, the title 80. The last host call's status.
int ErrorDialog(const char* title, const char* text);
int ConfirmDialog(const char* title, const char* text);
int MessageDialog(const char* title, const char* text);
// The modal "okcancel" dialog; *ok (when not null) is 1 when the user pressed OK, else 0.
// A null title reads "Confirm?".
int OkCancelDialog(const char* title, const char* text, int* ok);
// The modal yes/no dialog "yrlconfirmdlg" with the text of a key of the application's
// message file; 1 when the user said yes, else 0.
int YrlConfirmDlg(const char* key);
// A failed set-up step of one of the application's dialogs: shows "YRL_DIALOG_ERROR"
// naming component, destroys the dialog when it was created and hands status back.
int YrlDialogSetupFailed(const char* dialog, const char* component, int status, bool created);
// Push button and close actions that end the dialog with 0, 1, 0 and -1.
void YrlErrorOKAction(char* dialog, char* component, void* app_data);
void YrlConfirmOKAction(char* dialog, char* component, void* app_data);
void YrlConfirmCancelAction(char* dialog, char* component, void* app_data);
void YrlAboutCloseAction(char* dialog, char* component, void* app_data);

// ---- Comparisons and geometry --------------------------------------------------------

// 1 when |a - b| <= tol.
int IsYrlDoubleSame(double a, double b, double tol);
// 1 when lo - tol < x < hi + tol.
int IsYrlDoubleInRange(double x, double lo, double hi, double tol);
// 1 when lo + tol < x < hi - tol.
int IsYrlDoubleFullyInsideRange(double x, double lo, double hi, double tol);
// 1 when the points are within 0.0001 of each other.
int IsYrlTwoPointsAtSameLoc(const double* p, const double* q);
void YrlDoubleSwap(double* a, double* b);
// Unit vectors u and v: 1 when 1 - |u.v| <= 1e-6.
int YrlUtilVectorsParallel(const double* u, const double* v);
// Lines given by two points each (first, then second).
int YrlUtilLinesParallel(const double l1[2][3], const double l2[2][3]);
int YrlUtilLinesPerpendicular(const double l1[2][3], const double l2[2][3]);
// The crossing of two coplanar, non-parallel 3-D lines in out; out, or null when the
// lines are parallel or skew.
double* YrlUtilLineLineX(const double l1[2][3], const double l2[2][3], double* out);
// kind: 1 vertical (equal x), 2 horizontal (equal y), 0 neither; 0.
int IsLineVertorHoriz(const double* p1, const double* p2, int* kind);
// The angle in degrees between the 2-D lines p1-p2 and q1-q2, shown in the message area
// and written to angle; the message's status.
int YrlUtilFindAngleBetweenLines(const double* p1, const double* p2, const double* q1,
                                 const double* q2, double* angle);
// The 2-D midpoint of a and b in out (x and y only); 0.
int YrlLineMidPointGet(const double* a, const double* b, double* out);
// The foot of p on the segment a-b and the distance from p to it; 1 when the foot's
// parameter lies within (-tol, |ab| + tol).
int YrlProjectPointToSeg(const double* p, const double* a, const double* b, double* foot,
                         double* dist, double tol);
// The signed relative position of p's foot along a-b: s/L inside or beyond b, -s/L
// beyond a.
double YrlProjectPntOnLineParamEval(const double* p, const double* a, const double* b);

// ---- Drawing entities and selections -------------------------------------------------

// The end points (first, second) and centre of a draft line or arc; transformed to
// drawing coordinates when transform is not 0 and the screen-to-drawing transform is
// set. Outputs may be null. -1 for a full circle; the last host step's status.
int YrlGetAllPointsFromEntityWithTrans(VynDtlentity* entity, double* first, double* second,
                                       double* centre, int transform);
int YrlGetAllPointsFromEntity(VynDtlentity* entity, double* first, double* second,
                              double* centre);
int YrlGetAllPointsFromEntityNoTrf(VynDtlentity* entity, double* first, double* second,
                                   double* centre);
int YrlGetEndPointsFromEntity(VynDtlentity* entity, double* first, double* second);
int YrlGetEndPointsFromEntityNoTrf(VynDtlentity* entity, double* first, double* second);
int YrlGetEndPointsFromSelection(VynSelection selection, double* first, double* second);
int YrlGetEndPointsFromSelectionNoTrf(VynSelection selection, double* first, double* second);
// The end point of the picked entity nearest the pick (parameter <= 0.5: the first).
int YrlEntSelNearestEndGet(VynSelection selection, double* end);
// An arc's radius in drawing units; nothing written for other entities.
int YrlGetRadiusFromEntity(VynDtlentity* entity, double* radius);
// The draft entity id of a selection; 0.
int YrlSelectionDtlEntityIdGet(VynSelection selection, int* id);
// found = 1 when value is one of the count entries of list; 0.
int YrlCompareSelectionWithList(VynSelection value, const VynSelection* list, int count,
                                int* found);
// Fills the screen-to-drawing transform from the current drawing's current sheet once.
int YrlInitScrToDrwMatrix();
// Forgets it so that the next YrlInitScrToDrwMatrix reads it again; 0.
int YrlClearScrToDrwMatrix();
// Copies it; VYN_TK_E_NOT_FOUND when it is not filled.
int YrlGetScrToDrwMatrix(double matrix[4][4]);

// ---- Help, About and the end-points command ------------------------------------------

// Shows the online help's start page; its status.
int YrlOpenHelpBrowser();
// Runs the modal About dialog; 0.
int YrlAboutDialog();
// Prints the end points of picked draft lines and arcs until the user stops picking; 0.
int YrlCmdEndPoints();
