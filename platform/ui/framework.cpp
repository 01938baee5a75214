#include "platform/ui/framework.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/ui/ui_testing.h"
#include "platform/w32/process.h"

namespace ui {

namespace {

// What the user can do to the splash, and the two thread-gate commands.
enum Command { CMD_ENTER, CMD_ESC, CMD_PAINT, CMD_MINIMISE, CMD_RESTORE, CMD_HELP, CMD_HOLD,
               CMD_RELEASE, CMD_COUNT };

const char* const kCommandNames[CMD_COUNT] = {"enter", "esc", "paint", "minimise",
                                              "restore", "help", "hold", "release"};

constexpr std::size_t kQueueCapacity = 64;
constexpr std::size_t kLineCapacity = 160;

// All state below is guarded by g_lock; g_changed is signalled when the queue or the
// gate changes.
pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;
pthread_cond_t g_changed = PTHREAD_COND_INITIALIZER;

Command g_queue[kQueueCapacity];
std::size_t g_queue_head = 0;
std::size_t g_queue_count = 0;
bool g_script_loaded = false;
const char* g_script_override = nullptr;  // malloc'd copy, or null
bool g_held = false;
// $YRL_UI_LOG, read with the script: the launcher's worker changes the environment while
// the dialog records, and the environment is not to be read under such changes.
char g_log_path[1024] = "";

// The records: malloc'd lines, grown by doubling.
char (*g_records)[kLineCapacity] = nullptr;
std::size_t g_record_count = 0;
std::size_t g_record_capacity = 0;

App* g_app = nullptr;

// Base units of the template font (8-point sans serif): a dialog unit is a quarter of
// the average character width and an eighth of its height.
constexpr int kBaseUnitX = 6;
constexpr int kBaseUnitY = 13;
constexpr int kIconSize = 32;

int command_from_word(const char* word, std::size_t length) {
  for (int i = 0; i < CMD_COUNT; ++i)
    if (std::strlen(kCommandNames[i]) == length && std::strncmp(kCommandNames[i], word, length) == 0)
      return i;
  return -1;
}

// Called with g_lock held.
bool enqueue_locked(Command command) {
  if (g_queue_count == kQueueCapacity) return false;
  g_queue[(g_queue_head + g_queue_count) % kQueueCapacity] = command;
  ++g_queue_count;
  pthread_cond_broadcast(&g_changed);
  return true;
}

// Splits text into commands; with queue false only checks them. "hold" closes the gate
// at once. False at the first unknown word.
bool parse_script_locked(const char* text, bool queue) {
  const char* p = text;
  for (;;) {
    while (*p == ',' || *p == ' ' || *p == '\t' || *p == '\n' || *p == '\r') ++p;
    if (*p == '\0') return true;
    const char* start = p;
    while (*p != '\0' && *p != ',' && *p != ' ' && *p != '\t' && *p != '\n' && *p != '\r') ++p;
    int command = command_from_word(start, static_cast<std::size_t>(p - start));
    if (command < 0) return false;
    if (!queue) continue;
    if (command == CMD_HOLD) g_held = true;
    if (!enqueue_locked(static_cast<Command>(command))) return false;
  }
}

void load_script_locked() {
  if (g_script_loaded) return;
  g_script_loaded = true;
  const char* log = std::getenv("YRL_UI_LOG");
  std::snprintf(g_log_path, sizeof g_log_path, "%s", log != nullptr ? log : "");
  const char* text = g_script_override != nullptr ? g_script_override : std::getenv("YRL_UI_SCRIPT");
  if (text == nullptr) return;
  if (!parse_script_locked(text, false)) {
    std::fprintf(stderr, "ui: YRL_UI_SCRIPT holds an unknown command: %s\n", text);
    return;
  }
  parse_script_locked(text, true);
}

void load_script() {
  pthread_mutex_lock(&g_lock);
  load_script_locked();
  pthread_mutex_unlock(&g_lock);
}

// Records one line: kept in memory and appended to $YRL_UI_LOG at once, so that it
// survives a process that ends without flushing anything.
void record(const char* format, ...) __attribute__((format(printf, 1, 2)));
void record(const char* format, ...) {
  char line[kLineCapacity];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);

  pthread_mutex_lock(&g_lock);
  if (g_record_count == g_record_capacity) {
    std::size_t capacity = g_record_capacity == 0 ? 32 : 2 * g_record_capacity;
    void* grown = std::realloc(g_records, capacity * kLineCapacity);
    if (grown != nullptr) {
      g_records = static_cast<char (*)[kLineCapacity]>(grown);
      g_record_capacity = capacity;
    }
  }
  if (g_record_count < g_record_capacity) {
    std::memcpy(g_records[g_record_count], line, kLineCapacity);
    ++g_record_count;
  }
  load_script_locked();
  char log[sizeof g_log_path];
  std::memcpy(log, g_log_path, sizeof log);
  pthread_mutex_unlock(&g_lock);

  if (log[0] != '\0') {
    int fd = open(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd >= 0) {
      std::size_t length = std::strlen(line);
      line[length] = '\n';  // over the terminator: write takes the length, not the text
      ssize_t written = write(fd, line, length + 1);
      (void)written;
      close(fd);
    }
  }
}

// Icons are numbered by their resource id; the handle encodes the id so that records
// can name it.
constexpr std::uintptr_t kIconHandleBase = 0x10000;

HICON icon_handle(UINT id) {
  return reinterpret_cast<HICON>(kIconHandleBase + id);
}

long icon_id(HICON icon) {
  return icon == nullptr ? 0 : static_cast<long>(reinterpret_cast<std::uintptr_t>(icon) - kIconHandleBase);
}

const DialogTemplate* find_template(UINT id) {
  if (g_app == nullptr || g_app->resources == nullptr) return nullptr;
  const Resources* resources = g_app->resources;
  for (std::size_t i = 0; i < resources->dialog_count; ++i)
    if (resources->dialogs[i].id == id) return &resources->dialogs[i];
  return nullptr;
}

const MessageEntry* find_entry(const MessageEntry* map, std::size_t count, UINT message,
                               UINT command_id) {
  for (std::size_t i = 0; i < count; ++i)
    if (map[i].message == message && (message != WM_COMMAND || map[i].command_id == command_id))
      return &map[i];
  return nullptr;
}

// The paint device context of the one dialog being painted.
struct PaintContext {
  Dialog* dialog;
};
PaintContext g_paint_context = {nullptr};

struct ThreadStart {
  ThreadRoutine routine;
  void* parameter;
};

void* thread_main(void* argument) {
  ThreadStart start = *static_cast<ThreadStart*>(argument);
  std::free(argument);
  pthread_mutex_lock(&g_lock);
  while (g_held) pthread_cond_wait(&g_changed, &g_lock);
  pthread_mutex_unlock(&g_lock);
  start.routine(start.parameter);
  return nullptr;
}

// Takes the next command, waiting for one.
Command next_command() {
  pthread_mutex_lock(&g_lock);
  while (g_queue_count == 0) pthread_cond_wait(&g_changed, &g_lock);
  Command command = g_queue[g_queue_head];
  g_queue_head = (g_queue_head + 1) % kQueueCapacity;
  --g_queue_count;
  pthread_mutex_unlock(&g_lock);
  return command;
}

void set_iconic(Dialog* dialog, bool iconic) {
  dialog->window.iconic = iconic;
  const DialogTemplate* dialog_template = find_template(dialog->template_id);
  if (iconic || dialog_template == nullptr) {
    dialog->window.client_width = 0;
    dialog->window.client_height = 0;
  } else {
    dialog->window.client_width = dialog_template->width_units * kBaseUnitX / 4;
    dialog->window.client_height = dialog_template->height_units * kBaseUnitY / 8;
  }
  record("dialog %u %s", dialog->template_id, iconic ? "minimised" : "restored");
}

void run_command(Dialog* dialog, Command command) {
  switch (command) {
    case CMD_ENTER:
      record("key enter");
      dialog_send_message(dialog, WM_COMMAND, IDOK, 0);
      break;
    case CMD_ESC:
      record("key esc");
      dialog_send_message(dialog, WM_COMMAND, IDCANCEL, 0);
      break;
    case CMD_PAINT:
      dialog_send_message(dialog, WM_PAINT, 0, 0);
      break;
    case CMD_MINIMISE:
    case CMD_RESTORE:
      set_iconic(dialog, command == CMD_MINIMISE);
      dialog_send_message(dialog, WM_PAINT, 0, 0);
      break;
    case CMD_HELP:
      record("key f1");
      dialog_send_message(dialog, WM_COMMAND, ID_HELP, 0);
      break;
    case CMD_HOLD:
      break;  // the gate closed when the script was read
    case CMD_RELEASE:
      pthread_mutex_lock(&g_lock);
      g_held = false;
      pthread_cond_broadcast(&g_changed);
      pthread_mutex_unlock(&g_lock);
      record("threads released");
      break;
    case CMD_COUNT:
      break;
  }
}

}  // namespace

LRESULT app_on_help(void*, WPARAM, LPARAM) {
  record("help requested: no help file");
  return 0;
}

void run_app(App* app) {
  g_app = app;
  load_script();
  record("app start");
  BOOL go_on = app->cls->init_instance != nullptr ? app->cls->init_instance(app) : FALSE;
  // Without a main window to run a message loop for, the program ends as InitInstance
  // returning FALSE makes it end; either way the exit code is the application's, 0.
  record("app end %s", go_on ? "after message loop" : "from InitInstance");
  w32::ExitProcess(0);
}

App* current_app() {
  return g_app;
}

void Enable3dControlsStatic() {
  record("3d controls on");
}

HICON app_load_icon(App* app, UINT id) {
  if (app != nullptr && app->resources != nullptr) {
    for (std::size_t i = 0; i < app->resources->icon_count; ++i)
      if (app->resources->icons[i].id == id) return icon_handle(id);
  }
  record("icon %u not found", id);
  return nullptr;
}

void dialog_construct(Dialog* dialog, const DialogClass* cls, UINT template_id, Window* parent) {
  std::memset(dialog, 0, sizeof *dialog);
  dialog->cls = cls;
  dialog->template_id = template_id;
  dialog->parent = parent;
}

INT_PTR dialog_do_modal(Dialog* dialog) {
  load_script();
  const DialogTemplate* dialog_template = find_template(dialog->template_id);
  if (dialog_template == nullptr) {
    record("dialog %u: no template", dialog->template_id);
    return -1;
  }
  dialog->ended = false;
  dialog->result = 0;
  dialog->window.created = true;
  dialog->window.iconic = false;
  dialog->window.client_width = dialog_template->width_units * kBaseUnitX / 4;
  dialog->window.client_height = dialog_template->height_units * kBaseUnitY / 8;
  record("dialog %u created %dx%d units, %dx%d pixels, font \"%s\" %d", dialog->template_id,
         dialog_template->width_units, dialog_template->height_units, dialog->window.client_width,
         dialog->window.client_height, dialog_template->font, dialog_template->font_points);
  BOOL (*init)(Dialog*) = dialog->cls != nullptr && dialog->cls->on_init_dialog != nullptr
                              ? dialog->cls->on_init_dialog
                              : dialog_on_init_dialog;
  init(dialog);
  record("dialog %u shown", dialog->template_id);
  dialog_send_message(dialog, WM_PAINT, 0, 0);
  while (!dialog->ended) run_command(dialog, next_command());
  dialog->window.created = false;
  record("dialog %u ended %ld", dialog->template_id, static_cast<long>(dialog->result));
  return dialog->result;
}

BOOL dialog_on_init_dialog(Dialog* dialog) {
  if (dialog->cls != nullptr && dialog->cls->do_data_exchange != nullptr)
    dialog->cls->do_data_exchange(dialog);
  return TRUE;
}

void dialog_end(Dialog* dialog, INT_PTR result) {
  dialog->ended = true;
  dialog->result = result;
}

LRESULT dialog_send_message(Dialog* dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  UINT command_id = static_cast<UINT>(wparam & 0xFFFF);
  if (dialog->cls != nullptr) {
    if (const MessageEntry* entry = find_entry(dialog->cls->message_map, dialog->cls->message_count,
                                               message, command_id))
      return entry->handler(dialog, wparam, lparam);
  }
  switch (message) {
    case WM_SETICON: {
      HICON icon = reinterpret_cast<HICON>(lparam);
      HICON* slot = wparam == ICON_BIG ? &dialog->window.big_icon : &dialog->window.small_icon;
      HICON before = *slot;
      *slot = icon;
      record("dialog %u set %s icon %ld", dialog->template_id, wparam == ICON_BIG ? "big" : "small",
             icon_id(icon));
      return reinterpret_cast<LRESULT>(before);
    }
    case WM_PAINT:
      dialog_default_paint(dialog);
      return 0;
    case WM_ICONERASEBKGND:
      record("dialog %u erase icon background", dialog->template_id);
      return 0;
    case WM_QUERYDRAGICON:
      return 0;
    case WM_COMMAND:
      if (command_id == IDOK || command_id == IDCANCEL) {
        // OnOK exchanges data first; OnCancel does not.
        if (command_id == IDOK && dialog->cls != nullptr && dialog->cls->do_data_exchange != nullptr)
          dialog->cls->do_data_exchange(dialog);
        dialog_end(dialog, command_id);
        return 0;
      }
      if (g_app != nullptr && g_app->cls != nullptr) {
        if (const MessageEntry* entry = find_entry(g_app->cls->message_map, g_app->cls->message_count,
                                                   WM_COMMAND, command_id))
          return entry->handler(g_app, wparam, lparam);
      }
      record("dialog %u command %u not handled", dialog->template_id, command_id);
      return 0;
    default:
      return 0;
  }
}

void dialog_default_paint(Dialog* dialog) {
  record("dialog %u painted by default", dialog->template_id);
}

BOOL dialog_is_iconic(const Dialog* dialog) {
  return dialog->window.iconic ? TRUE : FALSE;
}

void dialog_get_client_rect(const Dialog* dialog, RECT* rect) {
  rect->left = 0;
  rect->top = 0;
  rect->right = dialog->window.client_width;
  rect->bottom = dialog->window.client_height;
}

HDC dialog_begin_paint(Dialog* dialog) {
  g_paint_context.dialog = dialog;
  record("dialog %u paint begins", dialog->template_id);
  return reinterpret_cast<HDC>(&g_paint_context);
}

void dialog_end_paint(Dialog* dialog, HDC) {
  g_paint_context.dialog = nullptr;
  record("dialog %u paint ends", dialog->template_id);
}

BOOL draw_icon(HDC dc, int x, int y, HICON icon) {
  if (dc == nullptr || icon == nullptr) {
    record("draw icon at %d,%d: no icon, nothing drawn", x, y);
    return FALSE;
  }
  record("draw icon %ld at %d,%d", icon_id(icon), x, y);
  return TRUE;
}

int GetSystemMetrics(int index) {
  return index == SM_CXICON || index == SM_CYICON ? kIconSize : 0;
}

void* CreateThread(void*, std::size_t, ThreadRoutine routine, void* parameter, DWORD,
                   DWORD* thread_id) {
  load_script();
  if (routine == nullptr) return nullptr;
  ThreadStart* start = static_cast<ThreadStart*>(std::malloc(sizeof(ThreadStart)));
  if (start == nullptr) return nullptr;
  start->routine = routine;
  start->parameter = parameter;
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  pthread_t thread;
  int failed = pthread_create(&thread, &attributes, thread_main, start);
  pthread_attr_destroy(&attributes);
  if (failed != 0) {
    std::free(start);
    return nullptr;
  }
  static_assert(sizeof(pthread_t) <= sizeof(void*), "a thread id fits a handle");
  std::uintptr_t handle = static_cast<std::uintptr_t>(thread);
  if (thread_id != nullptr) *thread_id = static_cast<DWORD>(handle);
  record("thread started");
  return reinterpret_cast<void*>(handle);
}

void ui_testing_set_app(App* app) {
  g_app = app;
}

bool ui_testing_post(const char* command) {
  if (command == nullptr) return false;
  int index = command_from_word(command, std::strlen(command));
  if (index < 0) return false;
  pthread_mutex_lock(&g_lock);
  bool queued = enqueue_locked(static_cast<Command>(index));
  pthread_mutex_unlock(&g_lock);
  return queued;
}

bool ui_testing_set_script(const char* text) {
  pthread_mutex_lock(&g_lock);
  bool valid = text == nullptr || parse_script_locked(text, false);
  if (valid) {
    std::free(const_cast<char*>(g_script_override));
    g_script_override = text != nullptr ? strdup(text) : nullptr;
    g_script_loaded = false;
  }
  pthread_mutex_unlock(&g_lock);
  return valid;
}

std::size_t ui_testing_record_count() {
  pthread_mutex_lock(&g_lock);
  std::size_t count = g_record_count;
  pthread_mutex_unlock(&g_lock);
  return count;
}

const char* ui_testing_record(std::size_t index) {
  // A copy, as the records move when any thread records more.
  static thread_local char line[kLineCapacity];
  pthread_mutex_lock(&g_lock);
  bool found = index < g_record_count;
  if (found) std::memcpy(line, g_records[index], kLineCapacity);
  pthread_mutex_unlock(&g_lock);
  return found ? line : nullptr;
}

void ui_testing_reset() {
  pthread_mutex_lock(&g_lock);
  g_queue_head = 0;
  g_queue_count = 0;
  g_script_loaded = false;
  std::free(const_cast<char*>(g_script_override));
  g_script_override = nullptr;
  g_held = false;
  g_log_path[0] = '\0';
  pthread_cond_broadcast(&g_changed);
  std::free(g_records);
  g_records = nullptr;
  g_record_count = 0;
  g_record_capacity = 0;
  g_app = nullptr;
  g_paint_context.dialog = nullptr;
  pthread_mutex_unlock(&g_lock);
}

}  // namespace ui
