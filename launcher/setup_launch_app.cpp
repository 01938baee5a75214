#include "launcher/setup_launch_app.h"

#include "launcher/launch_setup.h"
#include "platform/w32/process.h"

namespace trovask {

namespace {

const ui::MessageEntry kAppMessageMap[] = {
    {ui::WM_COMMAND, ui::ID_HELP, ui::app_on_help},
};

const ui::AppClass kAppClass = {CSetupLaunchApp_InitInstance, kAppMessageMap,
                                sizeof kAppMessageMap / sizeof kAppMessageMap[0]};

const ui::MessageEntry kDialogMessageMap[] = {
    {ui::WM_PAINT, 0, CSetupLaunchDlg_OnPaint},
    {ui::WM_QUERYDRAGICON, 0, CSetupLaunchDlg_OnQueryDragIcon},
};

const ui::DialogClass kDialogClass = {CSetupLaunchDlg_OnInitDialog, CSetupLaunchDlg_DoDataExchange,
                                      kDialogMessageMap,
                                      sizeof kDialogMessageMap / sizeof kDialogMessageMap[0]};

// 141 x 64 dialog units in 8-point "MS Sans Serif"; its one control shows bitmap 143.
const ui::DialogTemplate kDialogs[] = {
    {IDD_SETUPLAUNCH_DIALOG, 141, 64, "MS Sans Serif", 8},
};

// The file icon, group 137; no icon 128.
const ui::IconResource kIcons[] = {
    {137},
};

}  // namespace

const ui::Resources kTrovaskResources = {kDialogs, sizeof kDialogs / sizeof kDialogs[0], kIcons,
                                         sizeof kIcons / sizeof kIcons[0]};

const VersionResource kTrovaskVersion = {
    {24, 0, 2002, 490}, {2, 0, 0, 1}, "VEK", "Trovask MFC Application", "Trovask", "Trovask.EXE",
    "Trovask Application", "", "", "", "",
};

constinit CSetupLaunchApp theApp = {{&kAppClass, &kTrovaskResources, nullptr}};

ui::BOOL CSetupLaunchApp_InitInstance(ui::App* app) {
  ui::Enable3dControlsStatic();
  StartLauncherThread();
  CSetupLaunchDlg dialog;
  CSetupLaunchDlg_construct(&dialog, nullptr);
  app->main_window = &dialog.base.window;
  ui::dialog_do_modal(&dialog.base);
  app->main_window = nullptr;
  return w32::FALSE;
}

ui::DWORD LauncherThreadProc(void*) {
  LaunchSetup();
  w32::ExitProcess(0);
}

void StartLauncherThread() {
  ui::DWORD thread_id = 0;
  ui::CreateThread(nullptr, 0, LauncherThreadProc, nullptr, 0, &thread_id);
}

void CSetupLaunchDlg_construct(CSetupLaunchDlg* dialog, ui::Window* parent) {
  ui::dialog_construct(&dialog->base, &kDialogClass, IDD_SETUPLAUNCH_DIALOG, parent);
  dialog->m_hIcon = ui::app_load_icon(ui::current_app(), IDR_MAINFRAME);
}

ui::BOOL CSetupLaunchDlg_OnInitDialog(ui::Dialog* dialog) {
  ui::dialog_on_init_dialog(dialog);
  CSetupLaunchDlg* self = reinterpret_cast<CSetupLaunchDlg*>(dialog);
  ui::dialog_send_message(dialog, ui::WM_SETICON, ui::ICON_BIG, reinterpret_cast<ui::LPARAM>(self->m_hIcon));
  ui::dialog_send_message(dialog, ui::WM_SETICON, ui::ICON_SMALL, reinterpret_cast<ui::LPARAM>(self->m_hIcon));
  return w32::TRUE;
}

void CSetupLaunchDlg_DoDataExchange(ui::Dialog*) {}

ui::LRESULT CSetupLaunchDlg_OnPaint(void* dialog, ui::WPARAM, ui::LPARAM) {
  CSetupLaunchDlg* self = static_cast<CSetupLaunchDlg*>(dialog);
  if (!ui::dialog_is_iconic(&self->base)) {
    ui::dialog_default_paint(&self->base);
    return 0;
  }
  ui::HDC dc = ui::dialog_begin_paint(&self->base);
  ui::dialog_send_message(&self->base, ui::WM_ICONERASEBKGND, reinterpret_cast<ui::WPARAM>(dc), 0);
  int icon_width = ui::GetSystemMetrics(ui::SM_CXICON);
  int icon_height = ui::GetSystemMetrics(ui::SM_CYICON);
  ui::RECT rect;
  ui::dialog_get_client_rect(&self->base, &rect);
  int x = (static_cast<int>(rect.right - rect.left) - icon_width + 1) / 2;
  int y = (static_cast<int>(rect.bottom - rect.top) - icon_height + 1) / 2;
  ui::draw_icon(dc, x, y, self->m_hIcon);
  ui::dialog_end_paint(&self->base, dc);
  return 0;
}

ui::LRESULT CSetupLaunchDlg_OnQueryDragIcon(void* dialog, ui::WPARAM, ui::LPARAM) {
  return reinterpret_cast<ui::LRESULT>(static_cast<CSetupLaunchDlg*>(dialog)->m_hIcon);
}

}  // namespace trovask
