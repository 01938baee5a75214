#include "platform/w32/console.h"

#include <pthread.h>
#include <termios.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#include "platform/w32/error.h"
#include "platform/w32/fault.h"
#include "platform/w32/fileio.h"
#include "platform/w32/handle.h"

namespace w32 {

namespace {

// The standard streams' handles: odd values, which the handle table never gives.
HANDLE std_stream(int fd) { return reinterpret_cast<HANDLE>(std::uintptr_t{0x51} + 4u * static_cast<unsigned>(fd)); }

struct Window {
  DWORD thread_id;
  bool visible;
  int last_show;
};

// Everything below is guarded by g_lock. g_std holds whether a slot was set and what.
pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;
HANDLE g_std[3] = {nullptr, nullptr, nullptr};
bool g_std_set[3] = {false, false, false};
bool g_console = false;
Window* g_windows = nullptr;  // malloc'd
std::size_t g_window_count = 0;

int slot_of(DWORD which) {
  if (which == STD_INPUT_HANDLE) return 0;
  if (which == STD_OUTPUT_HANDLE) return 1;
  if (which == STD_ERROR_HANDLE) return 2;
  return -1;
}

// Windows are numbered from 1 by their place in g_windows.
Window* window_of(HWND window) {
  std::uintptr_t index = reinterpret_cast<std::uintptr_t>(window);
  return index >= 1 && index <= g_window_count ? &g_windows[index - 1] : nullptr;
}

}  // namespace

HANDLE GetStdHandle(DWORD which) {
  int slot = slot_of(which);
  if (slot < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  pthread_mutex_lock(&g_lock);
  HANDLE handle = g_std_set[slot] ? g_std[slot] : std_stream(slot);
  pthread_mutex_unlock(&g_lock);
  return handle;
}

BOOL SetStdHandle(DWORD which, HANDLE handle) {
  int slot = slot_of(which);
  if (slot < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  pthread_mutex_lock(&g_lock);
  g_std[slot] = handle;
  g_std_set[slot] = true;
  pthread_mutex_unlock(&g_lock);
  return TRUE;
}

int w32_std_handle_descriptor(HANDLE handle) {
  for (int fd = 0; fd < 3; ++fd)
    if (handle == std_stream(fd)) return fd;
  return -1;
}

namespace {

struct ModeBit {
  DWORD mode;
  tcflag_t flag;
  tcflag_t termios::*field;
};

constexpr ModeBit MODE_BITS[] = {
    {ENABLE_PROCESSED_INPUT, ISIG, &termios::c_lflag},
    {ENABLE_LINE_INPUT, ICANON, &termios::c_lflag},
    {ENABLE_ECHO_INPUT, ECHO, &termios::c_lflag},
};

// Runs use(fd, settings) on the terminal behind handle; FALSE with ERROR_INVALID_HANDLE
// when there is none.
template <typename Use>
BOOL with_terminal(HANDLE handle, Use use) {
  W32HandleObject* held = nullptr;
  int fd = w32_std_handle_descriptor(handle);
  if (fd < 0) fd = w32_file_acquire_descriptor(handle, GENERIC_READ | GENERIC_WRITE, FALSE, &held);
  termios settings;
  bool ok = fd >= 0 && ::tcgetattr(fd, &settings) == 0 && use(fd, &settings);
  if (held) w32_handle_release(held);
  if (!ok) SetLastError(ERROR_INVALID_HANDLE);
  return ok ? TRUE : FALSE;
}

}  // namespace

BOOL GetConsoleMode(HANDLE handle, DWORD* mode) {
  if (mode == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return with_terminal(handle, [&](int, termios* settings) {
    *mode = 0;
    for (const ModeBit& bit : MODE_BITS)
      if ((*settings).*bit.field & bit.flag) *mode |= bit.mode;
    return true;
  });
}

BOOL SetConsoleMode(HANDLE handle, DWORD mode) {
  return with_terminal(handle, [&](int fd, termios* settings) {
    for (const ModeBit& bit : MODE_BITS) {
      if (mode & bit.mode)
        (*settings).*bit.field |= bit.flag;
      else
        (*settings).*bit.field &= ~bit.flag;
    }
    return ::tcsetattr(fd, TCSANOW, settings) == 0;
  });
}

BOOL AllocConsole() {
  if (w32_fault_hit("AllocConsole")) return FALSE;
  pthread_mutex_lock(&g_lock);
  bool had = g_console;
  if (!had) {
    g_console = true;
    for (bool& set : g_std_set) set = false;
  }
  pthread_mutex_unlock(&g_lock);
  if (had) SetLastError(ERROR_ACCESS_DENIED);
  return had ? FALSE : TRUE;
}

BOOL FreeConsole() {
  if (w32_fault_hit("FreeConsole")) return FALSE;
  pthread_mutex_lock(&g_lock);
  bool had = g_console;
  g_console = false;
  pthread_mutex_unlock(&g_lock);
  if (!had) SetLastError(ERROR_INVALID_PARAMETER);
  return had ? TRUE : FALSE;
}

BOOL EnumWindows(WNDENUMPROC callback, LPARAM data) {
  if (callback == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  pthread_mutex_lock(&g_lock);
  std::size_t count = g_window_count;
  pthread_mutex_unlock(&g_lock);
  // The callback may call back into this layer, so no lock is held around it.
  for (std::size_t i = 1; i <= count; ++i)
    if (!callback(reinterpret_cast<HWND>(i), data)) return FALSE;
  return TRUE;
}

DWORD GetWindowThreadProcessId(HWND window, DWORD* process_id) {
  pthread_mutex_lock(&g_lock);
  Window* found = window_of(window);
  DWORD thread = found != nullptr ? found->thread_id : 0;
  pthread_mutex_unlock(&g_lock);
  if (found == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (process_id != nullptr) *process_id = static_cast<DWORD>(getpid());
  return thread;
}

BOOL ShowWindow(HWND window, int command) {
  pthread_mutex_lock(&g_lock);
  Window* found = window_of(window);
  bool was_visible = false;
  if (found != nullptr) {
    was_visible = found->visible;
    found->visible = command != SW_HIDE;
    found->last_show = command;
  }
  pthread_mutex_unlock(&g_lock);
  return was_visible ? TRUE : FALSE;
}

HWND console_testing_add_window(DWORD thread_id) {
  pthread_mutex_lock(&g_lock);
  void* grown = std::realloc(g_windows, (g_window_count + 1) * sizeof(Window));
  HWND window = nullptr;
  if (grown != nullptr) {
    g_windows = static_cast<Window*>(grown);
    g_windows[g_window_count++] = Window{thread_id, true, -1};
    window = reinterpret_cast<HWND>(g_window_count);
  }
  pthread_mutex_unlock(&g_lock);
  return window;
}

int console_testing_last_show(HWND window) {
  pthread_mutex_lock(&g_lock);
  Window* found = window_of(window);
  int command = found != nullptr ? found->last_show : -1;
  pthread_mutex_unlock(&g_lock);
  return command;
}

bool console_testing_has_console() {
  pthread_mutex_lock(&g_lock);
  bool has = g_console;
  pthread_mutex_unlock(&g_lock);
  return has;
}

void console_testing_reset() {
  pthread_mutex_lock(&g_lock);
  std::free(g_windows);
  g_windows = nullptr;
  g_window_count = 0;
  g_console = false;
  for (int i = 0; i < 3; ++i) {
    g_std[i] = nullptr;
    g_std_set[i] = false;
  }
  pthread_mutex_unlock(&g_lock);
}

}  // namespace w32
