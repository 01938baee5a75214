// The application's cascade menu in the host's menu bar, its feature sub-menu, the
// commands behind their buttons and the model-retrieve notification.
#pragma once

#include "toolkit/api/app_api.h"

// One row of a command table: a host command and the push button that runs it.
struct YrlMenuPushButton {
  const char* command;          // the host command's name
  VynCmdActionFunction action;  // run when the button is pressed
  const char* button;           // the push button's name in the menu
  const char* label;            // label key in yrl_menubar_msg.txt
  const char* help;             // help key
  const char* help2;            // second help key (the same text as help)
  const char* icon;             // icon name; "" for none
  VynCmdAccessFunction access;  // whether the button is available
};

// The host's access states that the access functions answer.
constexpr int YRL_ACCESS_AVAILABLE = 3;
constexpr int YRL_ACCESS_UNAVAILABLE = 0;

// The product menu's commands (seven rows) and the feature sub-menu's (six rows).
constexpr int YRL_PUSH_BUTS_COUNT = 7;
constexpr int YRL_FEAT_PUSH_BUTS_COUNT = 6;
extern const YrlMenuPushButton push_buts[YRL_PUSH_BUTS_COUNT];
extern const YrlMenuPushButton feat_push_buts[YRL_FEAT_PUSH_BUTS_COUNT];

// Builds the product menu "YrlMenuBar" under "Utilities" with its commands and, when the
// last host call of its rows succeeded, the feature sub-menu. Always 0.
int YrlMenuBarCreate();
// Builds the feature sub-menu "YrlFeatMenuBar" in "YrlMenuBar" after "YrlPartSetup";
// the status of its last host call.
int YrlFeatureMenuBarCreate();
// Sets the model-retrieve notification to YrlModelRetrievePostActions.
int YrlNotificationsSet();

// Access functions: 3 (available) only while the current model is a drawing; the debug
// one also needs the debug-commands preference. With no current model the ordinary one
// forgets that the data classes are registered.
int YrlMenuBarAccessFunction();
int YrlMenuBarDebugAccessFunction();

// Command actions; each returns 0 whatever the dialog it runs returns.
int YrlMenuBarActionPreferences();
int YrlMenuBarActionCleanUp();
int YrlMenuBarActionViewSetup();
int YrlMenuBarActionPartSetup();
int YrlMenuBarActionHelp();
int YrlMenuBarActionAbout();
int YrlMenuBarActionEndPoints();
int YrlMenuBarActionFeature();
int YrlMenuBarActionFProtrusion();
int YrlMenuBarActionFRevolve();
int YrlMenuBarActionFSHole();
int YrlMenuBarActionFDCurve();
int YrlMenuBarActionFDPoint();
int YrlMenuBarActionFDPlane();
int YrlMenuBarActionFDAxis();
int YrlMenuBarActionFDCsys();
