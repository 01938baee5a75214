// The dialog framework the launcher is written for: an application object whose start-up
// does the work, modal dialogs on numbered templates with Enter and Esc, icons and paint.
//
// Headless: no window is ever shown. What a window would show or do is recorded as one
// line per event (see ui_testing.h), and what a user would do comes from a script:
// - YRL_UI_SCRIPT: commands separated by ',' or blanks, taken in order by the modal loop
//   once the dialog is up: "enter", "esc", "paint", "minimise", "restore", "help",
//   "hold" (threads started through CreateThread wait before their routine runs) and
//   "release" (they go on). "hold" is also honoured before the dialog exists.
// - YRL_UI_LOG: a file to which every recorded line is appended as it happens, so that a
//   test that runs the program as a process can read them.
// Classes are plain structures with a table of handlers (the message map) and function
// pointers for the overridden members; a derived structure holds its base as its first
// member.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/w32/types.h"

namespace ui {

using w32::BOOL;
using w32::DWORD;
using w32::UINT;
using w32::FALSE;
using w32::TRUE;

typedef std::uintptr_t WPARAM;
typedef std::intptr_t LPARAM;
typedef std::intptr_t LRESULT;
typedef std::intptr_t INT_PTR;

struct HICON__;
typedef HICON__* HICON;
struct HDC__;
typedef HDC__* HDC;

constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_ICONERASEBKGND = 0x0027;
constexpr UINT WM_QUERYDRAGICON = 0x0037;
constexpr UINT WM_SETICON = 0x0080;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;

constexpr UINT IDOK = 1;
constexpr UINT IDCANCEL = 2;
constexpr UINT ID_HELP = 0xE146;

constexpr WPARAM ICON_SMALL = 0;
constexpr WPARAM ICON_BIG = 1;

constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;

struct RECT {
  long left;
  long top;
  long right;
  long bottom;
};

// Resources of the program, as its resource script would give them.
struct DialogTemplate {
  UINT id;
  int width_units;  // dialog units
  int height_units;
  const char* font;
  int font_points;
};
struct IconResource {
  UINT id;
};
struct Resources {
  const DialogTemplate* dialogs;
  std::size_t dialog_count;
  const IconResource* icons;
  std::size_t icon_count;
};

struct Window;

// One entry of a message map: a message (and, for WM_COMMAND, the command id) and its
// handler. The handler gets the object the map belongs to.
struct MessageEntry {
  UINT message;
  UINT command_id;
  LRESULT (*handler)(void* self, WPARAM wparam, LPARAM lparam);
};

// The application.
struct App;
struct AppClass {
  BOOL (*init_instance)(App* self);
  const MessageEntry* message_map;
  std::size_t message_count;
};
struct App {
  const AppClass* cls;
  const Resources* resources;
  Window* main_window;  // m_pMainWnd
};

// The application's built-in command handler for ID_HELP: no help file exists here, so
// it records the request.
LRESULT app_on_help(void* self, WPARAM wparam, LPARAM lparam);

// Runs the program: the application's init_instance, then, as it returned FALSE or once
// its message loop would end, ends the process through w32::ExitProcess with the
// application's exit code (0). Never returns, so no static destructor runs while another
// thread of the program still lives.
[[noreturn]] void run_app(App* app);

// The running application (null before run_app).
App* current_app();

// The framework switch for three-dimensional controls; only recorded.
void Enable3dControlsStatic();

// The icon resource id of the running application, or null when it has none.
HICON app_load_icon(App* app, UINT id);

// A dialog window.
struct Dialog;
struct DialogClass {
  BOOL (*on_init_dialog)(Dialog* self);  // null: dialog_on_init_dialog
  void (*do_data_exchange)(Dialog* self);  // null: nothing exchanged
  const MessageEntry* message_map;
  std::size_t message_count;
};

// The window state the framework keeps for a dialog.
struct Window {
  bool created;
  bool iconic;
  HICON big_icon;
  HICON small_icon;
  int client_width;  // pixels
  int client_height;
};

struct Dialog {
  const DialogClass* cls;
  UINT template_id;
  Window* parent;
  Window window;
  bool ended;
  INT_PTR result;
};

// CDialog(template_id, parent).
void dialog_construct(Dialog* dialog, const DialogClass* cls, UINT template_id, Window* parent);

// Creates the dialog from its template, calls its initialisation and runs the modal loop
// until dialog_end; returns the value given there, or -1 when the template is missing.
INT_PTR dialog_do_modal(Dialog* dialog);

// The base initialisation: data exchange; TRUE (the framework sets the focus).
BOOL dialog_on_init_dialog(Dialog* dialog);

// Ends the modal loop with result.
void dialog_end(Dialog* dialog, INT_PTR result);

// Sends message to the dialog: its message map first, then the framework's own
// handling (WM_SETICON, WM_PAINT, Enter and Esc as IDOK and IDCANCEL, other commands to
// the application's map).
LRESULT dialog_send_message(Dialog* dialog, UINT message, WPARAM wparam, LPARAM lparam);

// The default painting of a dialog: its template is drawn; only recorded.
void dialog_default_paint(Dialog* dialog);

BOOL dialog_is_iconic(const Dialog* dialog);
void dialog_get_client_rect(const Dialog* dialog, RECT* rect);

// A paint device context, valid between the two calls.
HDC dialog_begin_paint(Dialog* dialog);
void dialog_end_paint(Dialog* dialog, HDC dc);
// Draws icon with its top-left corner at (x, y); FALSE for a null icon, as nothing is
// then drawn.
BOOL draw_icon(HDC dc, int x, int y, HICON icon);

// SM_CXICON and SM_CYICON: 32; other metrics 0.
int GetSystemMetrics(int index);

// Starts routine(parameter) on a new detached thread, as CreateThread does. The handle
// (never to be waited on) and the thread's id are given; null when no thread could be
// started. While the script holds threads, the routine waits for "release".
typedef DWORD (*ThreadRoutine)(void* parameter);
void* CreateThread(void* security, std::size_t stack_size, ThreadRoutine routine, void* parameter,
                   DWORD flags, DWORD* thread_id);

}  // namespace ui
