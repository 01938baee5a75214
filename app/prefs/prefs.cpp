#include "app/prefs/prefs.h"

#include <charconv>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "app/menus/app_init.h"
#include "app/storage/storage.h"
#include "app/util/apputil.h"
#include "app/views/viewdata.h"
#include "platform/w32/file.h"
#include "platform/w32/fileio.h"
#include "platform/w32/handle.h"
#include "platform/w32/path.h"
#include "platform/w32/tempfile.h"
#include "runtime/text/lang.h"
#include "runtime/text/strutil.h"
#include "runtime/text/wide.h"
#include "toolkit/local/local_param.h"

YrlPreferencesData preferences;
int YrlSetMavrelActivePart;

namespace {

constexpr char kConfigName[] = "config.yrl";
constexpr char kDialog[] = "yrlpreferences";
constexpr char kPrefixPanel[] = "i_yrl_layer_prefix";
constexpr char kTolerancePanel[] = "i_yrl_tolerance";
constexpr char kProjectionGroup[] = "r_yrl_drawing_proj_system";
// The buttons of the projection radio group, the first the default.
constexpr char kThirdAngle[] = "third_angle";
constexpr char kFirstAngle[] = "first_angle";
// A line is read with at most 80 characters (and its terminator).
constexpr int kLineSize = 81;

// A projection is a text that must name a button of the projection radio group.
enum class Kind { text, projection, flag, number };

// One option of the file: its key, the characters of the key a line is compared on, the
// kind of its value and where the value lives in the record.
struct OptionKey {
  const char* key;
  int compared;
  Kind kind;
  std::size_t offset;
};

#define YRL_PREF_FIELD(field) offsetof(YrlPreferencesData, field)

// The reader's keys in the order they are tried; the first whose compared characters
// begin the line takes it. Several are compared on one character less than their length.
constexpr OptionKey kReadKeys[] = {
    {"yrl_layer_prefix", 16, Kind::text, YRL_PREF_FIELD(layer_prefix)},
    {"yrl_auto_view_map", 17, Kind::flag, YRL_PREF_FIELD(auto_view_map)},
    {"yrl_set_new_part_active", 22, Kind::flag, YRL_PREF_FIELD(set_new_part_active)},
    {"yrl_use_drawing_name", 19, Kind::flag, YRL_PREF_FIELD(use_drawing_name)},
    {"yrl_use_drawing_units", 21, Kind::flag, YRL_PREF_FIELD(use_drawing_units)},
    {"yrl_drawing_proj_system", 22, Kind::projection, YRL_PREF_FIELD(drawing_proj_system)},
    {"yrl_tolerance", 12, Kind::number, YRL_PREF_FIELD(tolerance)},
    {"yrl_automatic_forward", 21, Kind::flag, YRL_PREF_FIELD(automatic_forward)},
    {"yrl_crdt_ent_sec_vyn_fix", 23, Kind::flag, YRL_PREF_FIELD(crdt_ent_sec_vyn_fix)},
    {"yrl_use_embed_browser", 21, Kind::flag, YRL_PREF_FIELD(use_embed_browser)},
    {"yrl_add_debug_commands", 21, Kind::flag, YRL_PREF_FIELD(add_debug_commands)},
    {"yrl_auto_drawing_view_create", 28, Kind::flag, YRL_PREF_FIELD(auto_drawing_view_create)},
};

// The writer's lines in file order. The debug-commands option is written last, so that
// saving from the dialog keeps a hand-set option instead of dropping it.
constexpr OptionKey kWriteKeys[] = {
    {"yrl_layer_prefix", 0, Kind::text, YRL_PREF_FIELD(layer_prefix)},
    {"yrl_auto_view_map", 0, Kind::flag, YRL_PREF_FIELD(auto_view_map)},
    {"yrl_set_new_part_active", 0, Kind::flag, YRL_PREF_FIELD(set_new_part_active)},
    {"yrl_use_drawing_name", 0, Kind::flag, YRL_PREF_FIELD(use_drawing_name)},
    {"yrl_use_drawing_units", 0, Kind::flag, YRL_PREF_FIELD(use_drawing_units)},
    {"yrl_drawing_proj_system", 0, Kind::projection, YRL_PREF_FIELD(drawing_proj_system)},
    {"yrl_auto_drawing_view_create", 0, Kind::flag, YRL_PREF_FIELD(auto_drawing_view_create)},
    {"yrl_tolerance", 0, Kind::number, YRL_PREF_FIELD(tolerance)},
    {"yrl_automatic_forward", 0, Kind::flag, YRL_PREF_FIELD(automatic_forward)},
    {"yrl_crdt_ent_sec_vyn_fix", 0, Kind::flag, YRL_PREF_FIELD(crdt_ent_sec_vyn_fix)},
    {"yrl_use_embed_browser", 0, Kind::flag, YRL_PREF_FIELD(use_embed_browser)},
    {"yrl_add_debug_commands", 0, Kind::flag, YRL_PREF_FIELD(add_debug_commands)},
};

// The dialog's check buttons in the order they are filled and read.
struct CheckButton {
  const char* component;
  std::size_t offset;
};
constexpr CheckButton kCheckButtons[] = {
    {"c_yrl_auto_view_map", YRL_PREF_FIELD(auto_view_map)},
    {"c_yrl_set_new_part_active", YRL_PREF_FIELD(set_new_part_active)},
    {"c_yrl_use_drawing_name", YRL_PREF_FIELD(use_drawing_name)},
    {"c_yrl_use_drawing_units", YRL_PREF_FIELD(use_drawing_units)},
    {"c_yrl_auto_drawing_view_create", YRL_PREF_FIELD(auto_drawing_view_create)},
    {"c_yrl_automatic_forward", YRL_PREF_FIELD(automatic_forward)},
    {"c_yrl_crdt_ent_sec_vyn_fix", YRL_PREF_FIELD(crdt_ent_sec_vyn_fix)},
};

#undef YRL_PREF_FIELD

int& int_field(YrlPreferencesData* record, std::size_t offset) {
  return *reinterpret_cast<int*>(reinterpret_cast<char*>(record) + offset);
}
int int_field(const YrlPreferencesData* record, std::size_t offset) {
  return *reinterpret_cast<const int*>(reinterpret_cast<const char*>(record) + offset);
}
char* text_field(YrlPreferencesData* record, std::size_t offset) {
  return reinterpret_cast<char*>(record) + offset;
}
const char* text_field(const YrlPreferencesData* record, std::size_t offset) {
  return reinterpret_cast<const char*>(record) + offset;
}
double& double_field(YrlPreferencesData* record, std::size_t offset) {
  return *reinterpret_cast<double*>(reinterpret_cast<char*>(record) + offset);
}
double double_field(const YrlPreferencesData* record, std::size_t offset) {
  return *reinterpret_cast<const double*>(reinterpret_cast<const char*>(record) + offset);
}

// Copies text into a text option; a longer text is cut after its last whole character
// within YRL_PREF_TEXT_SIZE - 1 bytes, so that no character is split.
void text_copy(char* to, const char* from) {
  auto n = static_cast<std::size_t>(
      vek::whole_characters_within(from, YRL_PREF_TEXT_SIZE - 1, vek::get_language()));
  std::memmove(to, from, n);
  to[n] = '\0';
}

// The button of the projection radio group that value names, compared without regard
// to case; the default button for any other value, so that the dialog always has a
// button to show and a hand-written value never means what the user cannot see.
const char* projection_button(const char* value) {
  return value && vek::u_strcmp_func(value, kFirstAngle) == 0 ? kFirstAngle : kThirdAngle;
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// The decimal text-to-double conversion of the C locale, whatever locale the host set:
// an optional sign, then the longest number the text begins with; 0 when there is none.
double c_locale_atof(const char* text) {
  const char* first = text;
  bool negative = false;
  if (*first == '+' || *first == '-') negative = *first++ == '-';
  double value = 0.0;
  std::from_chars_result r =
      std::from_chars(first, first + std::strlen(first), value, std::chars_format::general);
  if (r.ec != std::errc()) return 0.0;
  return negative ? -value : value;
}

// Takes one trimmed line over into record when it begins with a known key and has a value.
void option_line_take(char* line, YrlPreferencesData* record) {
  for (const OptionKey& key : kReadKeys) {
    if (vek::upper_strncmp_func(line, key.key, key.compared) != 0) continue;
    // The value starts at the line's first blank or tab; a line without one has none.
    char* value = line;
    while (*value && !is_blank(*value)) ++value;
    RemoveExtraSpaces(value);
    if (*value == '\0') return;
    switch (key.kind) {
      case Kind::text:
        text_copy(text_field(record, key.offset), value);
        break;
      case Kind::projection:
        text_copy(text_field(record, key.offset), projection_button(value));
        break;
      case Kind::number:
        double_field(record, key.offset) = c_locale_atof(value);
        break;
      case Kind::flag:
        if (vek::u_strcmp_func(value, "no") == 0)
          int_field(record, key.offset) = 0;
        else if (vek::u_strcmp_func(value, "yes") == 0)
          int_field(record, key.offset) = 1;
        break;
    }
    return;
  }
}

// Room for the narrow form of a directory the host names.
constexpr std::size_t kDirectorySize = vek::wstostr_room(VYN_PATH_SIZE);

// The narrow form of the host's current directory (given as wide text); false when it
// is not known.
bool host_directory_name(const VynWchar* host_directory, bool host_known,
                         char (&name)[kDirectorySize]) {
  if (!host_known || host_directory[0] == 0) return false;
  VynWstringToString(name, host_directory);
  return true;
}

// The Windows name of config.yrl in directory; false when it does not fit.
bool config_name(const char* directory, char (&name)[kDirectorySize + sizeof kConfigName + 1]) {
  int made = std::snprintf(name, sizeof name, "%s\\%s", directory, kConfigName);
  return made >= 0 && static_cast<std::size_t>(made) < sizeof name;
}

// Opens config.yrl for reading in the process's current directory, else in the host's
// current directory.
std::FILE* config_open_read(const VynWchar* host_directory, bool host_known) {
  std::FILE* file = std::fopen(kConfigName, "r");
  if (file) return file;
  char directory[kDirectorySize];
  char name[kDirectorySize + sizeof kConfigName + 1];
  char posix[w32::W32_PATH_CAPACITY];
  if (!host_directory_name(host_directory, host_known, directory) ||
      !config_name(directory, name) || !w32::w32_resolve_path_a(name, posix, sizeof posix))
    return nullptr;
  return std::fopen(posix, "r");
}

// Where config.yrl is written: the file and the temporary file beside it that takes
// the new text first.
struct ConfigPlace {
  char name[kDirectorySize + sizeof kConfigName + 1];
  char temporary[w32::MAX_PATH];
  w32::HANDLE file;  // the temporary file, open for writing
};

// Prepares writing config.yrl in directory (a Windows name; "." is the process's current
// directory): the place can take the file when its temporary file can be made there and
// the file itself is not one that cannot be replaced (a directory or a read-only file).
bool place_open(const char* directory, ConfigPlace* place) {
  if (!config_name(directory, place->name)) return false;
  w32::DWORD attributes = w32::GetFileAttributesA(place->name);
  if (attributes != w32::INVALID_FILE_ATTRIBUTES &&
      (attributes & (w32::FILE_ATTRIBUTE_DIRECTORY | w32::FILE_ATTRIBUTE_READONLY)) != 0)
    return false;
  if (w32::GetTempFileNameA(directory, "yrl", 0, place->temporary) == 0) return false;
  place->file = w32::CreateFileA(place->temporary, w32::GENERIC_WRITE, 0, nullptr,
                                 w32::CREATE_ALWAYS, w32::FILE_ATTRIBUTE_NORMAL, nullptr);
  if (place->file != w32::INVALID_HANDLE_VALUE) return true;
  w32::DeleteFileA(place->temporary);
  return false;
}

// Formats one line of config.yrl for key into line (size bytes); its length, or -1 when
// it does not fit.
int option_line_format(const OptionKey& key, const YrlPreferencesData* record, char* line,
                       std::size_t size) {
  int made = -1;
  switch (key.kind) {
    case Kind::text:
    case Kind::projection:
      made = std::snprintf(line, size, "%s\t%s\n", key.key, text_field(record, key.offset));
      break;
    case Kind::flag:
      made = std::snprintf(line, size, "%s\t%s\n", key.key,
                           int_field(record, key.offset) ? "Yes" : "No");
      break;
    case Kind::number: {
      // "%2.6f" in the C locale: fixed notation with six decimals (always wider than 2).
      char number[400];
      std::to_chars_result r = std::to_chars(number, number + sizeof number - 1,
                                             double_field(record, key.offset),
                                             std::chars_format::fixed, 6);
      *r.ptr = '\0';
      made = std::snprintf(line, size, "%s\t%s\n", key.key, number);
      break;
    }
  }
  return made >= 0 && static_cast<std::size_t>(made) < size ? made : -1;
}

// Writes the lines of record into the open temporary file and makes them durable.
bool lines_write(w32::HANDLE file, const YrlPreferencesData* record) {
  for (const OptionKey& key : kWriteKeys) {
    char line[512];
    int length = option_line_format(key, record, line, sizeof line);
    w32::DWORD written = 0;
    if (length < 0 ||
        !w32::WriteFile(file, line, static_cast<w32::DWORD>(length), &written, nullptr))
      return false;
  }
  return w32::FlushFileBuffers(file) != 0;
}

// Writes record as config.yrl. The new text goes to a temporary file beside the old
// file, which it replaces in one step only once all of it is written and flushed: a
// write that fails part-way (a full disk, a size limit) leaves the old file whole and
// removes the temporary one. 0 when the file was replaced. With no place to write in,
// YRL_CONFIG_OPEN_FAILED is shown and the result is the directory query's failure, or
// -1 when the query succeeded, so that the caller never takes the options for saved.
int record_write(const YrlPreferencesData* record) {
  VynWchar directory[VYN_PATH_SIZE] = {};
  int status = VynDirectoryCurrentGet(directory);
  ConfigPlace place;
  char host[kDirectorySize];
  bool placed = place_open(".", &place) ||
                (host_directory_name(directory, status == VYN_TK_NO_ERROR, host) &&
                 place_open(host, &place));
  if (!placed) {
    VynMessageDisplay(YrlMsgFile, "YRL_CONFIG_OPEN_FAILED");
    return status != VYN_TK_NO_ERROR ? status : VYN_TK_GENERAL_ERROR;
  }
  bool written = lines_write(place.file, record);
  w32::CloseHandle(place.file);
  if (written)
    written = w32::MoveFileExA(place.temporary, place.name,
                               w32::MOVEFILE_REPLACE_EXISTING | w32::MOVEFILE_WRITE_THROUGH) != 0;
  if (!written) {
    w32::DeleteFileA(place.temporary);
    VynMessageDisplay(YrlMsgFile, "YRLFORM ERROR %0s",
                      "config.yrl could not be written; it was left as it was.");
    return VYN_TK_GENERAL_ERROR;
  }
  VynMessageDisplay(YrlMsgFile, "YRL_SAVED_CONFIG");
  return VYN_TK_NO_ERROR;
}


// Fills the dialog from record; with refill, a record the reader has not filled is read
// from config.yrl first. The dialog's own copies are shown as they are, so that the
// dialog opens with the options in memory and Default shows the defaults.
int dialog_fill(const char* dialog, YrlPreferencesData* record, bool refill) {
  if (!dialog || !record) return VYN_TK_BAD_INPUTS;
  YrlAllClassRegister();
  int status = VynUIInputpanelInputtypeSet(dialog, kPrefixPanel, 0);
  if (status == VYN_TK_NO_ERROR) status = VynUIInputpanelInputtypeSet(dialog, kTolerancePanel, 3);
  if (refill && record->loaded == 0) YrlPreferencesRead(record);
  if (status == VYN_TK_NO_ERROR)
    status = YrlPreferencesPrefixSet(dialog, kPrefixPanel, record->layer_prefix);
  for (const CheckButton& button : kCheckButtons) {
    if (status != VYN_TK_NO_ERROR) break;
    status = YrlPreferencesCheckbuttonSet(dialog, button.component,
                                          int_field(record, button.offset));
  }
  if (status == VYN_TK_NO_ERROR)
    status = YrlPreferencesDrwProjectionSet(dialog, kProjectionGroup,
                                            projection_button(record->drawing_proj_system));
  if (status == VYN_TK_NO_ERROR)
    status = YrlPreferencesToleranceSet(dialog, kTolerancePanel, record->tolerance);
  return status;
}

// Reads every component into out, which starts as a copy of the global record (the
// options the dialog does not show, such as debug commands, stay). The first failing
// read's status, with its component in *failed; out is then incomplete and must not be
// used.
int dialog_read(const char* dialog, YrlPreferencesData* out, const char** failed) {
  *out = preferences;
  *failed = kPrefixPanel;
  char* text = nullptr;
  int status = VynUIInputpanelStringGet(dialog, *failed, &text);
  if (status != VYN_TK_NO_ERROR) return status;
  if (text) {
    text_copy(out->layer_prefix, text);
    VynStringFree(text);
  }
  for (const CheckButton& button : kCheckButtons) {
    int state = 0;
    *failed = button.component;
    status = VynUICheckbuttonGetState(dialog, button.component, &state);
    if (status != VYN_TK_NO_ERROR) return status;
    int_field(out, button.offset) = state ? 1 : 0;
  }
  int count = 0;
  char** names = nullptr;
  *failed = kProjectionGroup;
  status = VynUIRadiogroupSelectednamesGet(dialog, kProjectionGroup, &count, &names);
  if (status != VYN_TK_NO_ERROR) return status;
  if (count == 1 && names && names[0]) text_copy(out->drawing_proj_system, names[0]);
  if (names) VynStringarrayFree(names, count);
  double tolerance = 0.0;
  *failed = kTolerancePanel;
  status = VynUIInputpanelDoubleGet(dialog, *failed, &tolerance);
  if (status != VYN_TK_NO_ERROR) return status;
  out->tolerance = tolerance;
  *failed = nullptr;
  return VYN_TK_NO_ERROR;
}

// Stores every option of from in the global record; the loaded flag stays.
void options_commit(const YrlPreferencesData& from) {
  int loaded = preferences.loaded;
  preferences = from;
  preferences.loaded = loaded;
}

}  // namespace

int YrlPreferencesDefaultGet(YrlPreferencesData* record) {
  if (!record) return VYN_TK_BAD_INPUTS;
  text_copy(record->layer_prefix, "YRL_");
  record->auto_view_map = 1;
  record->set_new_part_active = 1;
  record->use_drawing_name = 1;
  record->use_drawing_units = 1;
  record->automatic_forward = 0;
  record->crdt_ent_sec_vyn_fix = 0;
  text_copy(record->drawing_proj_system, kThirdAngle);
  record->auto_drawing_view_create = 1;
  record->add_debug_commands = 0;
  record->use_embed_browser = 0;
  double tolerance = 0.0;
  int status = VynToleranceDefaultGet(0, 2, &tolerance);
  if (status == VYN_TK_NO_ERROR) record->tolerance = tolerance;
  return status;
}

int YrlPreferencesRead(YrlPreferencesData* record) {
  if (!record) record = &preferences;
  VynWchar directory[VYN_PATH_SIZE] = {};
  int directory_status = VynDirectoryCurrentGet(directory);
  std::FILE* file = config_open_read(directory, directory_status == VYN_TK_NO_ERROR);
  int status = YrlPreferencesDefaultGet(record);
  record->loaded = 1;
  if (!file) return status;
  char line[kLineSize];
  // The last byte stays nonzero unless fgets filled the whole buffer, which tells a cut
  // line apart from one that holds a NUL byte before its newline.
  for (;;) {
    line[kLineSize - 1] = 'x';
    if (!std::fgets(line, sizeof line, file)) break;
    // A line longer than the buffer is taken by its first 80 characters; the rest of it
    // is dropped, so that its tail is never read as a line of its own.
    if (line[kLineSize - 1] == '\0' && line[kLineSize - 2] != '\n') {
      int c;
      while ((c = std::fgetc(file)) != EOF && c != '\n') {
      }
    }
    RemoveExtraSpaces(line);
    option_line_take(line, record);
  }
  std::fclose(file);
  return status;
}

int YrlPreferencesWrite() { return record_write(&preferences); }

void YrlPreferencesCopy(YrlPreferencesData* record) {
  if (!record) return;
  int loaded = record->loaded;
  *record = preferences;
  record->loaded = loaded;
}

void YrlPreferencesLayerPrefixGet(char* buffer) {
  if (buffer) text_copy(buffer, preferences.layer_prefix);
}
int YrlPreferencesAutoViewMapGet() { return preferences.auto_view_map; }
int YrlPreferencesSetNewPartActiveGet() { return preferences.set_new_part_active; }
int YrlPreferencesUseDrawingNameGet() { return preferences.use_drawing_name; }
int YrlPreferencesUseDrawingUnitsGet() { return preferences.use_drawing_units; }
void YrlPreferencesDrawProjSystemGet(char* buffer) {
  if (buffer) text_copy(buffer, preferences.drawing_proj_system);
}
int YrlPreferencesAutoDrawingViewCreateGet() { return preferences.auto_drawing_view_create; }
int YrlPreferencesAutomaticForwardGet() { return preferences.automatic_forward; }
int YrlPreferencesCrtDetSecEntVynFixGet() { return preferences.crdt_ent_sec_vyn_fix; }
double YrlPreferencesToleranceGet() { return preferences.tolerance; }
int YrlPreferencesUseEmbedBrowserGet() { return preferences.use_embed_browser; }
int YrlPreferencesAddDebugCommandsGet() { return preferences.add_debug_commands; }
void YrlPreferencesAutoDrawingViewCreateSet(int flag) {
  preferences.auto_drawing_view_create = flag;
}

void YrlMavrelActivePartSet(int value) { YrlSetMavrelActivePart = value; }
int YrlMavrelActivePartGet() { return YrlSetMavrelActivePart; }

int YrlPreferences() {
  YrlPreferencesData local = {};
  int status = VynUIDialogCreate(kDialog, kDialog);
  if (status != VYN_TK_NO_ERROR) return YrlDialogSetupFailed(kDialog, kDialog, status, false);
  status = VynUIPushbuttonActivateActionSet(kDialog, "Cancel", YrlPreferencesCancelAction, &local);
  if (status != VYN_TK_NO_ERROR) return YrlDialogSetupFailed(kDialog, "Cancel", status, true);
  status = VynUIPushbuttonActivateActionSet(kDialog, "OK", YrlPreferencesOKAction, &local);
  if (status != VYN_TK_NO_ERROR) return YrlDialogSetupFailed(kDialog, "OK", status, true);
  status = VynUIRadiogroupSelectActionSet(kDialog, kProjectionGroup, YrlPrefProjSystemAction,
                                          &local);
  if (status != VYN_TK_NO_ERROR) return YrlDialogSetupFailed(kDialog, "Projection system", status, true);
  status = VynUIPushbuttonActivateActionSet(kDialog, "Default", YrlPreferencesDefaultAction,
                                            &local);
  if (status != VYN_TK_NO_ERROR) return YrlDialogSetupFailed(kDialog, "Default", status, true);
  status = VynUIDialogTitleSet(kDialog, u"Preferences");
  if (status != VYN_TK_NO_ERROR) return YrlDialogSetupFailed(kDialog, "Title Set", status, true);
  VynUIDialogCloseActionSet(kDialog, YrlPreferencesCancelAction, &local);

  YrlPreferencesCopy(&local);
  dialog_fill(kDialog, &local, false);

  VynUIDialogDefaultbuttonSet(kDialog, "Cancel");
  int exit_status = 0;
  VynUIDialogActivate(kDialog, &exit_status);
  VynUIDialogDestroy(kDialog);
  return VYN_TK_NO_ERROR;
}

int YrlPreferencesInit(const char* dialog, YrlPreferencesData* record) {
  return dialog_fill(dialog, record, true);
}

int YrlPreferencesUpdate(const char* dialog) {
  if (!dialog) return VYN_TK_BAD_INPUTS;
  YrlPreferencesData read;
  const char* failed = nullptr;
  int status = dialog_read(dialog, &read, &failed);
  if (status == VYN_TK_NO_ERROR) options_commit(read);
  return status;
}

// OK: every field is read into a copy, the copy is written, and only a saved copy
// becomes the options in memory; any failure keeps the dialog open with memory and file
// as they were, and says so: the writer shows its own message, a component that cannot
// be read is named here.
void YrlPreferencesOKAction(char* dialog, char*, void*) {
  if (!dialog) return;
  YrlPreferencesData read;
  const char* failed = nullptr;
  if (dialog_read(dialog, &read, &failed) != VYN_TK_NO_ERROR) {
    char text[160] = "The tolerance is not a number; nothing was saved.";
    if (std::strcmp(failed, kTolerancePanel) != 0)
      std::snprintf(text, sizeof text, "Could not read %s; nothing was saved.", failed);
    VynMessageDisplay(YrlMsgFile, "YRLFORM ERROR %0s", text);
    return;
  }
  if (record_write(&read) != VYN_TK_NO_ERROR) return;
  options_commit(read);
  VynUIDialogExit(dialog, 0);
}

void YrlPreferencesCancelAction(char* dialog, char*, void*) {
  if (dialog) VynUIDialogExit(dialog, -1);
}

void YrlPreferencesDefaultAction(char* dialog, char*, void*) {
  if (!dialog) return;
  YrlPreferencesData defaults = {};
  YrlPreferencesDefaultGet(&defaults);
  dialog_fill(dialog, &defaults, false);
}

void YrlPrefProjSystemAction(char*, char*, void*) {
  int orthographic = 0;
  if (YrlViewSetupFindNoOfViews(nullptr, &orthographic, nullptr) == VYN_TK_NO_ERROR &&
      orthographic >= 1)
    MessageDialog("IMPORTANT NOTE", "Orthogonal views already defined. \n Remember to clear them.");
}

int YrlPreferencesPrefixSet(const char* dialog, const char* component, const char* text) {
  return VynUIInputpanelStringSet(dialog, component, text);
}

int YrlPreferencesToleranceSet(const char* dialog, const char* component, double value) {
  return VynUIInputpanelDoubleSet(dialog, component, value);
}

int YrlPreferencesCheckbuttonSet(const char* dialog, const char* component, int flag) {
  return flag ? VynUICheckbuttonSet(dialog, component) : VynUICheckbuttonUnset(dialog, component);
}

int YrlPreferencesDrwProjectionSet(const char* dialog, const char* component, const char* name) {
  if (!name) return VYN_TK_BAD_INPUTS;
  return YrlSelectedNameSet(VynUIRadiogroupSelectednamesSet, dialog, component, name);
}

int YrlOptionMenuValueGet(const char* dialog, const char* component, char* buffer) {
  if (!dialog || !component || !buffer) return VYN_TK_BAD_INPUTS;
  int count = 0;
  VynArray names = nullptr;
  int status = VynUIOptionmenuSelectednamesGet(dialog, component, &count, &names);
  if (status != VYN_TK_NO_ERROR) return status;
  if (count == 1 && names && static_cast<char**>(names)[0])
    text_copy(buffer, static_cast<char**>(names)[0]);
  else
    status = VYN_TK_E_NOT_FOUND;
  if (names) VynStringvynarrayFree(names);
  return status;
}

int YrlPreferencesOptionSet(const char* component, int flag) {
  return YrlSelectedNameSet(VynUIOptionmenuSelectednamesSet, kDialog, component, flag ? "Yes" : "No");
}

// Selects the single name in a radio group, option menu or tab through set, handing it a
// one-element host array of narrow names that is freed afterwards.
int YrlSelectedNameSet(VynError (*set)(const char*, const char*, int, VynArray), const char* dialog,
                       const char* component, const char* name) {
  VynArray names = nullptr;
  int status = VynArrayAlloc(0, static_cast<int>(sizeof(char*)), 1, &names);
  if (status != VYN_TK_NO_ERROR) return status;
  status = VynArrayObjectAdd(&names, -1, 1, &name);
  if (status == VYN_TK_NO_ERROR) status = set(dialog, component, 1, names);
  VynArrayFree(&names);
  return status;
}

void RemoveExtraSpaces(char* line) {
  if (!line) return;
  std::size_t n = std::strlen(line);
  while (n > 0 && (is_blank(line[n - 1]) || line[n - 1] == '\n' || line[n - 1] == '\r')) --n;
  line[n] = '\0';
  std::size_t lead = 0;
  while (lead < n && is_blank(line[lead])) ++lead;
  if (lead > 0) std::memmove(line, line + lead, n - lead + 1);
}
