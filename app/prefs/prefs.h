// The application's options: the global record, config.yrl, the "yrlpreferences" dialog
// and the getters the rest of the application reads single options through.
#pragma once

#include "toolkit/api/app_api.h"

// Capacity of the two text options (at most 31 characters and the terminator).
constexpr int YRL_PREF_TEXT_SIZE = 32;

// The options; flags are 0 (no) or 1 (yes).
struct YrlPreferencesData {
  int loaded;                                     // filled by YrlPreferencesRead
  char layer_prefix[YRL_PREF_TEXT_SIZE];          // yrl_layer_prefix
  int auto_view_map;                              // yrl_auto_view_map
  int set_new_part_active;                        // yrl_set_new_part_active
  int use_drawing_name;                           // yrl_use_drawing_name
  int use_drawing_units;                          // yrl_use_drawing_units
  int automatic_forward;                          // yrl_automatic_forward
  int crdt_ent_sec_vyn_fix;                       // yrl_crdt_ent_sec_vyn_fix
  char drawing_proj_system[YRL_PREF_TEXT_SIZE];   // yrl_drawing_proj_system
  int auto_drawing_view_create;                   // yrl_auto_drawing_view_create
  double tolerance;                               // yrl_tolerance
  int add_debug_commands;                         // yrl_add_debug_commands
  int use_embed_browser;                          // yrl_use_embed_browser
};

// The global record, filled at start-up.
extern YrlPreferencesData preferences;
// Set and read by YrlMavrelActivePartSet/Get only.
extern int YrlSetMavrelActivePart;

// Sets record (the global one when null) to the defaults and then to the options of
// config.yrl (the process's current directory, else the host's). The status of the
// tolerance default; a missing file is no failure.
int YrlPreferencesRead(YrlPreferencesData* record);
// Writes the global record to config.yrl; 0, or the directory query's status (with the
// message YRL_CONFIG_OPEN_FAILED) when no file could be opened, or -1 when the file
// could not be written completely.
int YrlPreferencesWrite();
// Every option of record to its default (not the loaded flag); the tolerance default's status.
int YrlPreferencesDefaultGet(YrlPreferencesData* record);
// Copies every option of the global record into record (not the loaded flag).
void YrlPreferencesCopy(YrlPreferencesData* record);

// Getters of the global record; the two text getters copy into buffer (at least
// YRL_PREF_TEXT_SIZE chars) and do nothing when it is null.
void YrlPreferencesLayerPrefixGet(char* buffer);
// Trims a text in place: trailing blanks, tabs and line ends (a '\r' of a CR LF line
// end included), then leading blanks and tabs; a null text is left alone.
void RemoveExtraSpaces(char* line);
int YrlPreferencesAutoViewMapGet();
int YrlPreferencesSetNewPartActiveGet();
int YrlPreferencesUseDrawingNameGet();
int YrlPreferencesUseDrawingUnitsGet();
void YrlPreferencesDrawProjSystemGet(char* buffer);
int YrlPreferencesAutoDrawingViewCreateGet();
int YrlPreferencesAutomaticForwardGet();
int YrlPreferencesCrtDetSecEntVynFixGet();
double YrlPreferencesToleranceGet();
int YrlPreferencesUseEmbedBrowserGet();
int YrlPreferencesAddDebugCommandsGet();
// Sets the auto drawing view create option in memory only.
void YrlPreferencesAutoDrawingViewCreateSet(int flag);

void YrlMavrelActivePartSet(int value);
int YrlMavrelActivePartGet();

// The "yrlpreferences" dialog: runs it modally; 0 or the failing set-up status.
int YrlPreferences();
// Fills the dialog's components from record (read from config.yrl first when its loaded
// flag is 0); the first failing status.
int YrlPreferencesInit(const char* dialog, YrlPreferencesData* record);
// Reads every component; only when all could be read are they stored in the global record.
int YrlPreferencesUpdate(const char* dialog);
// Dialog actions; app_data is the dialog's local record.
void YrlPreferencesOKAction(char* dialog, char* component, void* app_data);
void YrlPreferencesCancelAction(char* dialog, char* component, void* app_data);
void YrlPreferencesDefaultAction(char* dialog, char* component, void* app_data);
void YrlPrefProjSystemAction(char* dialog, char* component, void* app_data);

// Set one component of a dialog.
int YrlPreferencesPrefixSet(const char* dialog, const char* component, const char* text);
int YrlPreferencesToleranceSet(const char* dialog, const char* component, double value);
int YrlPreferencesCheckbuttonSet(const char* dialog, const char* component, int flag);
int YrlPreferencesDrwProjectionSet(const char* dialog, const char* component, const char* name);
// Selects the one name of a radio group, option menu or tab through set (handing it a
// one-element host array of narrow names).
int YrlSelectedNameSet(VynError (*set)(const char*, const char*, int, VynArray), const char* dialog,
                       const char* component, const char* name);
// The single selected name of an option menu into buffer (YRL_PREF_TEXT_SIZE chars);
// -2 for bad arguments, -4 when not exactly one name is selected.
int YrlOptionMenuValueGet(const char* dialog, const char* component, char* buffer);
// Selects "Yes" (flag nonzero) or "No" in an option menu of "yrlpreferences".
int YrlPreferencesOptionSet(const char* component, int flag);
