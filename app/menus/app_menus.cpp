#include "app/menus/app_menus.h"

#include "app/cleanup/cleanup.h"
#include "app/feature/feature.h"
#include "app/menus/app_init.h"
#include "app/parts/part_setup.h"
#include "app/prefs/prefs.h"
#include "app/storage/storage.h"
#include "app/util/apputil.h"
#include "app/views/view_setup.h"

namespace {

// The host's model-retrieve notification.
constexpr int kNotificationModelRetrieve = 18;
// Command priority and the two flags every command is added with.
constexpr int kCommandPriority = 2;

constexpr char kMenuBar[] = "YrlMenuBar";
constexpr char kFeatMenuBar[] = "YrlFeatMenuBar";

// Adds a command and its push button to menu for each row, in row order; a row whose
// command cannot be added is left out. Each button is placed after the last button that
// was added (the first after none), not after the previous row's: the host refuses a
// neighbour that is not in the menu, so one missing row would otherwise take every later
// button with it. The status of the last host call.
int menu_rows_add(const char* menu, const YrlMenuPushButton* rows, int count) {
  int status = VYN_TK_NO_ERROR;
  const char* neighbour = "";
  for (int i = 0; i < count; ++i) {
    const YrlMenuPushButton& row = rows[i];
    VynCmd command = nullptr;
    status = VynCmdActionAdd(row.command, row.action, kCommandPriority, row.access, 1, 1, &command);
    if (status != VYN_TK_NO_ERROR) continue;
    status = VynMenubarmenuPushbuttonAdd(menu, row.button, row.label, row.help, neighbour, 1,
                                         command, yrl_menubar_msg_file);
    if (status == VYN_TK_NO_ERROR) neighbour = row.button;
    status = VynCmdIconSet(command, row.icon);
    status = VynCmdDesignate(command, row.label, row.help, row.help2, yrl_menubar_msg_file);
  }
  return status;
}

// The feature commands: the classes of the drawing's views and of its parts' view maps,
// then the feature dialog, which reads both (the declared views and the drawing scale;
// the map of the profile's view onto the active part's datum planes). The active part's
// class is not read here: the model-retrieve notification registers it when it restores
// the active part.
int feature_command(int feature_type) {
  YrlAllClassRegister();
  YrlFeatureCreate(feature_type);
  return 0;
}

}  // namespace

#define YRL_MENU_ROW(command, action, button, label, icon, access) \
  {command, action, button, label, label " Help", label " Help", icon, access}

const YrlMenuPushButton push_buts[YRL_PUSH_BUTS_COUNT] = {
    YRL_MENU_ROW("YrlActionPreferences", YrlMenuBarActionPreferences, "YrlPreferences",
                 "Button Preferences", "preferences", YrlMenuBarAccessFunction),
    YRL_MENU_ROW("YrlActionCleanUp", YrlMenuBarActionCleanUp, "YrlCleanUp", "Button Clean Up",
                 "yrl_cleanup", YrlMenuBarAccessFunction),
    YRL_MENU_ROW("YrlActionViewSetup", YrlMenuBarActionViewSetup, "YrlViewSetup",
                 "Button View Setup", "yrl_view_setup", YrlMenuBarAccessFunction),
    YRL_MENU_ROW("YrlActionPartSetup", YrlMenuBarActionPartSetup, "YrlPartSetup",
                 "Button Part Setup", "yrl_part_setup", YrlMenuBarAccessFunction),
    YRL_MENU_ROW("YrlActionHelp", YrlMenuBarActionHelp, "YrlHelp", "Button Help",
                 "help_user_guide", YrlMenuBarAccessFunction),
    YRL_MENU_ROW("YrlActionAbout", YrlMenuBarActionAbout, "YrlAbout", "Button About", "",
                 YrlMenuBarAccessFunction),
    YRL_MENU_ROW("YrlActionEndPoints", YrlMenuBarActionEndPoints, "YrlEndPoints",
                 "Button EndPoints", "", YrlMenuBarDebugAccessFunction),
};

const YrlMenuPushButton feat_push_buts[YRL_FEAT_PUSH_BUTS_COUNT] = {
    YRL_MENU_ROW("YrlActionFProtrusion", YrlMenuBarActionFProtrusion, "YrlFProtrusion",
                 "Button Protrusion", "feat_extrude", YrlMenuBarAccessFunction),
    YRL_MENU_ROW("YrlActionFRevolve", YrlMenuBarActionFRevolve, "YrlFRevolve", "Button Revolve",
                 "feat_revolve", YrlMenuBarAccessFunction),
    YRL_MENU_ROW("YrlActionFSHole", YrlMenuBarActionFSHole, "YrlFSHole", "Button SHole",
                 "str_skt_hole", YrlMenuBarAccessFunction),
    YRL_MENU_ROW("YrlActionFDPlane", YrlMenuBarActionFDPlane, "YrlFDPlane", "Button DPlane",
                 "new_plane_red", YrlMenuBarAccessFunction),
    YRL_MENU_ROW("YrlActionFDCurve", YrlMenuBarActionFDCurve, "YrlFDCurve", "Button DCurve",
                 "sketdtmcrv", YrlMenuBarAccessFunction),
    YRL_MENU_ROW("YrlActionFDPoint", YrlMenuBarActionFDPoint, "YrlFDPoint", "Button DPoint",
                 "sketdtmpnt", YrlMenuBarAccessFunction),
};

#undef YRL_MENU_ROW

int YrlMenuBarCreate() {
  VynMenubarmenuMenuAdd("Utilities", kMenuBar, "Yrlform", "Utilities.psh_util_holetable", 1,
                        yrl_menubar_msg_file);
  if (menu_rows_add(kMenuBar, push_buts, YRL_PUSH_BUTS_COUNT) == VYN_TK_NO_ERROR)
    YrlFeatureMenuBarCreate();
  return 0;
}

int YrlFeatureMenuBarCreate() {
  VynMenubarmenuMenuAdd(kMenuBar, kFeatMenuBar, "YrlFeature", "YrlPartSetup", 1,
                        yrl_menubar_msg_file);
  return menu_rows_add(kFeatMenuBar, feat_push_buts, YRL_FEAT_PUSH_BUTS_COUNT);
}

int YrlNotificationsSet() {
  // The host calls the function with the retrieved model and takes its status.
  return VynNotificationSet(kNotificationModelRetrieve,
                            reinterpret_cast<VynNotificationFunction>(YrlModelRetrievePostActions));
}

int YrlMenuBarAccessFunction() {
  VynMdl model = nullptr;
  if (VynMdlCurrentGet(&model) != VYN_TK_NO_ERROR) {
    // No current model: the next drawing to become current registers its classes afresh.
    YrlAllClassRegisterSet(0);
    return YRL_ACCESS_UNAVAILABLE;
  }
  int type = 0;
  if (VynMdlTypeGet(model, &type) != VYN_TK_NO_ERROR) return YRL_ACCESS_UNAVAILABLE;
  return type == YRL_MDL_TYPE_DRAWING ? YRL_ACCESS_AVAILABLE : YRL_ACCESS_UNAVAILABLE;
}

int YrlMenuBarDebugAccessFunction() {
  return YrlCurrentModelIsDrawing() && YrlPreferencesAddDebugCommandsGet() ? YRL_ACCESS_AVAILABLE
                                                                     : YRL_ACCESS_UNAVAILABLE;
}

int YrlMenuBarActionPreferences() {
  YrlViewClassRegister();
  YrlPreferences();
  return 0;
}

int YrlMenuBarActionCleanUp() {
  YrlViewClassRegister();
  YrlCleanup();
  return 0;
}

int YrlMenuBarActionViewSetup() {
  YrlViewClassRegister();
  YrlViewSetup();
  return 0;
}

int YrlMenuBarActionPartSetup() {
  YrlViewClassRegister();
  YrlActiveClassRegister();
  YrlPartSetupMain();
  return 0;
}

int YrlMenuBarActionHelp() {
  YrlOpenHelpBrowser();
  return 0;
}

int YrlMenuBarActionAbout() {
  YrlAboutDialog();
  return 0;
}

int YrlMenuBarActionEndPoints() {
  YrlCmdEndPoints();
  return 0;
}

int YrlMenuBarActionFeature() { return feature_command(1); }
int YrlMenuBarActionFProtrusion() { return YrlMenuBarActionFeature(); }
int YrlMenuBarActionFRevolve() { return feature_command(2); }
int YrlMenuBarActionFSHole() { return feature_command(3); }
int YrlMenuBarActionFDCurve() { return feature_command(4); }
int YrlMenuBarActionFDPoint() { return feature_command(5); }
int YrlMenuBarActionFDPlane() { return feature_command(6); }
int YrlMenuBarActionFDAxis() { return feature_command(7); }
int YrlMenuBarActionFDCsys() { return feature_command(8); }
