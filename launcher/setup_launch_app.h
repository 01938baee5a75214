// The launcher application: a splash dialog on the main thread while a worker thread
// runs the launch sequence and then ends the process.
#pragma once

#include "platform/ui/framework.h"

namespace trovask {

constexpr ui::UINT IDD_SETUPLAUNCH_DIALOG = 102;
constexpr ui::UINT IDR_MAINFRAME = 128;  // the icon the dialog asks for; there is none

// The application: no data of its own.
struct CSetupLaunchApp {
  ui::App base;
};

// The splash dialog; its one datum is its icon.
struct CSetupLaunchDlg {
  ui::Dialog base;
  ui::HICON m_hIcon;
};

// The one application object, constant-initialised.
extern CSetupLaunchApp theApp;

// Switches on the 3-D controls, starts the worker, runs the splash modally and returns
// FALSE when it ends.
ui::BOOL CSetupLaunchApp_InitInstance(ui::App* app);

// The worker: LaunchSetup, then the end of the process with exit code 0.
ui::DWORD LauncherThreadProc(void* parameter);
void StartLauncherThread();

void CSetupLaunchDlg_construct(CSetupLaunchDlg* dialog, ui::Window* parent);
ui::BOOL CSetupLaunchDlg_OnInitDialog(ui::Dialog* dialog);
void CSetupLaunchDlg_DoDataExchange(ui::Dialog* dialog);
ui::LRESULT CSetupLaunchDlg_OnPaint(void* dialog, ui::WPARAM, ui::LPARAM);
ui::LRESULT CSetupLaunchDlg_OnQueryDragIcon(void* dialog, ui::WPARAM, ui::LPARAM);

// The program's resources as the framework sees them.
extern const ui::Resources kTrovaskResources;

// The program's version resource.
struct VersionResource {
  unsigned short file_version[4];
  unsigned short product_version[4];
  const char* company_name;
  const char* file_description;
  const char* internal_name;
  const char* original_filename;
  const char* product_name;
  const char* comments;
  const char* legal_trademarks;
  const char* private_build;
  const char* special_build;
};
extern const VersionResource kTrovaskVersion;

}  // namespace trovask
