// The session's models as the host's other modules, tests and the scenario runner see
// them: drawings and parts, the current model, the windows' models, part features with
// their datum planes, parameters and the model-retrieve notification (the host's model
// files are host/files/model_files.h).
//
// Handles: a VynMdl or VynSurface the host hands out is a number dressed as a pointer,
// never an address, and never reused while the host runs (until host_testing_reset), so
// a handle of an erased model stays stale instead of naming a later model.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "toolkit/api/host_types.h"
#include "toolkit/local/paramdata.h"

namespace yrlhost {

// Model types.
inline constexpr int model_type_part = 2;
inline constexpr int model_type_drawing = 4;

// Model item types the models module answers for.
inline constexpr int item_type_feature = 3;
inline constexpr int item_type_surface = 5;

// Feature types and states.
inline constexpr int feature_type_datum_plane = 923;
inline constexpr int feature_status_active = 0;

// The notification type the host fires after it retrieves a model; its function takes
// the model and returns a status.
inline constexpr int notification_model_retrieve = 18;

// What a parameter visit hands its callbacks: the parameter's owner item and name, and
// room the host leaves zero (88 bytes, so that a reader of the host's 84-byte parameter
// record reads within it).
struct HostParameterRecord {
  VynModelitem owner;
  VynName name;
  int reserved[2];
};
static_assert(sizeof(HostParameterRecord) >= 84);

// Whether model is a live model of the session.
bool host_model_is(VynMdl model);
// The current model; null when there is none.
VynMdl host_current_model();

// ---- Session -------------------------------------------------------------------------

// A new model of type model_type_part or model_type_drawing, named name (UTF-8, 1 to 31
// UTF-16 units), with the given units name; it becomes current. Null, with the reason in
// error, for a bad type or name or when a model of that name and type is in session.
VynMdl host_model_create(int type, const std::string& name, std::string& error,
                         const std::string& units = "INCH");
// Makes a live model current (as displaying it does); false for anything else.
bool host_model_make_current(VynMdl model);
// The live models in the order they came into session; of one type when type is not 0.
std::vector<VynMdl> host_models(int type = 0);
// The live model of that name (UTF-8, exact) and type; null when there is none.
VynMdl host_model_find(int type, const std::string& name);
// A live model's name (UTF-8), type, units name and file path ("" when it has none);
// "" or 0 for anything else.
std::string host_model_name(VynMdl model);
int host_model_type(VynMdl model);
std::string host_model_units(VynMdl model);
std::string host_model_path(VynMdl model);
// Erases a live model as VynMdlErase does; false for anything else.
bool host_model_erase(VynMdl model);
// Erases every model; nothing is current afterwards.
void host_models_erase_all();

// ---- Windows and the models they show --------------------------------------------------
//
// The current window shows the current model. When another window becomes current
// (VynWindowCurrentSet, a new accessory window, the deletion of the current window), the
// window left keeps the model that was current as the model it shows, and the model the
// new current window shows, when it is still in session, becomes the current model again.
// So after a part is displayed in an accessory window, making the drawing's window current
// makes the drawing the current model again.

// Makes a known window (host/display/graphics.h) current, the models moving along as above.
void window_make_current(int id);
// The model a window shows: the current model for the current window, else the model
// that was current when the window was last left current, if it is still in session;
// null for an unknown window or one that shows none.
VynMdl window_model(int id);

// ---- Features ------------------------------------------------------------------------

// A planar surface: unit axes e1, e2, e3 (the normal) and the origin.
struct HostPlane {
  double e1[3];
  double e2[3];
  double e3[3];
  double origin[3];
};

// Adds a feature to the end of a live part: its type, name (UTF-8, at most 31 units, may
// be empty) and planar surfaces. The feature's id (and each surface's) is new in the
// part. -1 for a stale model, a drawing or a bad name.
int host_feature_add(VynMdl part, int type, const std::string& name,
                     const std::vector<HostPlane>& planes);
// Removes a feature and its surfaces; false when the part or the feature is unknown.
bool host_feature_remove(VynMdl part, int feature_id);
// The ids of a live part's features in order; empty for anything else.
std::vector<int> host_feature_ids(VynMdl part);
// The id of the part's feature of that name (UTF-8, exact); -1 when there is none.
int host_feature_find(VynMdl part, const std::string& name);
// Sets a feature's status and visibility; false when the part or the feature is unknown.
bool host_feature_state_set(VynMdl part, int feature_id, int status, bool visible);

// The surface items of a live part's features, in feature order; empty for anything else.
std::vector<VynGeomitem> host_part_surfaces(VynMdl part);
// The plane of a surface item of a live part; nothing for anything else.
std::optional<HostPlane> host_surface_plane(const VynGeomitem& item);

// ---- Parameters ----------------------------------------------------------------------

// The value of the parameter of that name (UTF-8, exact) of a model item (the model or
// one of its features); nothing when there is none.
std::optional<VynParamvalue> host_parameter_value(const VynModelitem& owner,
                                                  const std::string& name);

// ---- Notifications -------------------------------------------------------------------

// The function set for a notification type; null when none is set.
VynNotificationFunction host_notification_function(int type);
// Tells the plug-in that model was retrieved (its model-retrieve function, if set) and
// gives that function's status; 0 when none is set.
VynError host_notify_model_retrieved(VynMdl model);

}  // namespace yrlhost
