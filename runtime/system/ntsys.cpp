#include "runtime/system/ntsys.h"

#include <arpa/inet.h>
#include <pthread.h>
#include <sched.h>

#include <atomic>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/w32/clock.h"
#include "platform/w32/printer.h"
#include "platform/w32/profile.h"
#include "platform/w32/socket.h"
#include "platform/w32/system.h"
#include "platform/w32/thread.h"
#include "runtime/diag/console.h"
#include "runtime/diag/diag.h"
#include "runtime/system/ntservice.h"
#include "runtime/system/ntsys_testing.h"
#include "runtime/system/regstring.h"

namespace vek {

namespace {

std::int64_t g_start_seconds = -1;
int g_error_bits = 0;

// The alarm: the handler kept for signal 14, and the pending timer thread with the flag
// that ends its wait. Guarded by g_alarm_lock.
struct Alarm {
  int seconds;
  bool cancelled;
};
pthread_mutex_t g_alarm_lock = PTHREAD_MUTEX_INITIALIZER;
NtSignalHandler g_alarm_handler = nullptr;
w32::HANDLE g_alarm_thread = nullptr;
Alarm* g_alarm = nullptr;
std::atomic<int> g_alarm_threads{0};

// Ends the pending alarm (called with g_alarm_lock held): its wait is cancelled, and the
// thread, which sees that under the lock, lets its record go.
bool end_pending_alarm() {
  if (g_alarm == nullptr) return false;
  w32::w32_clock_cancel_wait(&g_alarm->cancelled);
  w32::CloseHandle(g_alarm_thread);
  g_alarm_thread = nullptr;
  g_alarm = nullptr;
  return true;
}

w32::DWORD alarm_thread(void* argument) {
  Alarm* alarm = static_cast<Alarm*>(argument);
  bool passed =
      w32::w32_clock_wait(static_cast<w32::DWORD>(alarm->seconds) * 1000u, &alarm->cancelled);
  pthread_mutex_lock(&g_alarm_lock);
  bool fire = passed && !alarm->cancelled;
  if (fire && g_alarm == alarm) {
    w32::CloseHandle(g_alarm_thread);
    g_alarm_thread = nullptr;
    g_alarm = nullptr;
  }
  NtSignalHandler handler = g_alarm_handler;
  pthread_mutex_unlock(&g_alarm_lock);
  delete alarm;
  // SIG_DFL (null) and SIG_IGN are no functions to call.
  if (fire && handler != nullptr && handler != reinterpret_cast<NtSignalHandler>(SIG_IGN) &&
      handler != reinterpret_cast<NtSignalHandler>(SIG_DFL))
    handler(10);
  --g_alarm_threads;
  return 0;
}

std::int64_t process_ms() {
  w32::FILETIME creation, exit, kernel, user;
  if (!w32::GetProcessTimes(w32::GetCurrentProcess(), &creation, &exit, &kernel, &user)) return 0;
  auto value = [](const w32::FILETIME& t) {
    return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return static_cast<std::int64_t>((value(kernel) + value(user)) / 10000u);
}

// Closes what a print job has open; *handle null after.
void drop_printer(w32::HANDLE* handle, bool end_page, bool end_doc) {
  if (end_page) w32::EndPagePrinter(*handle);
  if (end_doc) w32::EndDocPrinter(*handle);
  w32::ClosePrinter(*handle);
  *handle = nullptr;
}

// The network checks of CheckNetworkSetup that need OLD_NETWORK_CHECKS.
void check_bindings() {
  if (!ginst_is_service_running("LanmanServer")) W32ChkSysParm_SetError(0x20);
  if (!ginst_is_service_running("LmHosts")) W32ChkSysParm_SetError(0x80);
  char bind[1024];
  if (nt_get_registry_string_value(w32::HKEY_LOCAL_MACHINE,
                                   "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Linkage", "Bind",
                                   bind)) {
    // The adapter follows the first '\' after the entry's first character; an entry
    // without one (or an empty one) names no adapter.
    const char* adapter = bind[0] != '\0' ? std::strchr(bind + 1, '\\') : nullptr;
    if (adapter != nullptr && adapter[1] != '\0') {
      char key[1024];
      char gateway[1024];
      std::snprintf(key, sizeof key, "SYSTEM\\CurrentControlSet\\Services\\%s\\Parameters\\Tcpip",
                    adapter + 1);
      if (nt_get_registry_string_value(w32::HKEY_LOCAL_MACHINE, key, "DefaultGateway", gateway) &&
          gateway[0] == '\0')
        W32ChkSysParm_SetError(0x2);
    }
  }
  char lana[1024];
  if (nt_get_registry_string_value(w32::HKEY_LOCAL_MACHINE,
                                   "SYSTEM\\CurrentControlSet\\Services\\NetBIOS\\Linkage",
                                   "LanaMap", lana) &&
      lana[0] != 1)
    W32ChkSysParm_SetError(0x40);
}

// Listens on any port and connects to it over the host's first address; true when the
// connection is made.
bool connection_test(const char* host) {
  w32::SOCKET listener = w32::socket(AF_INET, SOCK_STREAM, 0);
  w32::SOCKET client = w32::INVALID_SOCKET;
  bool ok = listener != w32::INVALID_SOCKET;
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  int length = sizeof address;
  ok = ok && w32::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ok = ok && w32::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) == 0;
  ok = ok && w32::listen(listener, 1) == 0;
  if (ok) client = w32::socket(AF_INET, SOCK_STREAM, 0);
  ok = ok && client != w32::INVALID_SOCKET;
  w32::hostent* entry = ok ? w32::gethostbyname(host) : nullptr;
  ok = ok && entry != nullptr && entry->h_addr_list[0] != nullptr;
  if (ok) {
    std::memcpy(&address.sin_addr, entry->h_addr_list[0], 4);
    ok = w32::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  if (client != w32::INVALID_SOCKET) {
    w32::shutdown(client, w32::SD_BOTH);
    w32::closesocket(client);  // the stand-in's descriptors must not be left open
  }
  if (listener != w32::INVALID_SOCKET) w32::closesocket(listener);
  return ok;
}

}  // namespace

int NT_gethostname(char* buffer, int length) {
  if (!buffer || length < 1) return 0;
  w32::DWORD size = static_cast<w32::DWORD>(length);
  if (w32::GetComputerNameA(buffer, &size)) return 1;
  // What a failed call leaves in the buffer is unspecified.
  buffer[0] = '\0';
  return 0;
}

int times(VynTimes* record) {
  std::int64_t now = w32::w32_clock_wall().tv_sec;
  if (g_start_seconds < 0) g_start_seconds = now;
  VynTimes value = {static_cast<int>((now - g_start_seconds) * 1000),
                    static_cast<int>(process_ms()), 0, 0};
  if (record != nullptr) *record = value;
  return value.elapsed;
}

// A test's stand-in for the wait of sleep (null: the real wait).
namespace {
int (*g_sleep_hook)(int seconds) = nullptr;
}  // namespace

int sleep(int seconds) {
  if (g_sleep_hook != nullptr) {
    g_sleep_hook(seconds);
    return seconds;
  }
  if (seconds > 0) w32::Sleep(static_cast<w32::DWORD>(seconds) * 1000u);
  return seconds;
}

int get_windows_printer(char* out) {
  if (out == nullptr) return 0;
  out[0] = '\0';
  // Room for more than 255 characters, so that a longer entry shows as one and is not
  // taken cut.
  char device[512];
  w32::DWORD length = w32::GetProfileStringA("windows", "device", "none_found", device,
                                             sizeof device);
  if (std::strcmp(device, "none_found") == 0 || length >= 255) return 0;
  char* comma = std::strchr(device, ',');
  if (comma != nullptr) *comma = '\0';
  // A failed read (an empty text) or an entry with nothing before its first ',' names no
  // printer.
  if (device[0] == '\0') return 0;
  std::strcpy(out, device);
  return 1;
}

int WIN32_open_printer(const char* printer, const char* document, w32::HANDLE* handle) {
  if (handle == nullptr) return 0;
  if (*handle != nullptr) drop_printer(handle, false, false);
  if (!w32::OpenPrinterA(printer, handle, nullptr)) {
    *handle = nullptr;
    return 0;
  }
  char raw[] = "RAW";
  w32::DOC_INFO_1A info = {const_cast<char*>(document), nullptr, raw};
  if (w32::StartDocPrinterA(*handle, 1, reinterpret_cast<w32::BYTE*>(&info)) == 0) {
    dbg_err_crash("WIN32_open_printer", "StartDocPrinter() failed");
    drop_printer(handle, false, false);
    return 0;
  }
  if (!w32::StartPagePrinter(*handle)) {
    drop_printer(handle, false, true);
    return 0;
  }
  return 1;
}

int WIN32_write_printer(w32::HANDLE* handle, const void* data, int length) {
  if (handle == nullptr || *handle == nullptr) {
    dbg_err_crash("WIN32_write_printer", "Attempt to print w/o opening ptr");
    return -1;
  }
  w32::DWORD written = 0;
  if (length < 0 || !w32::WritePrinter(*handle, data, static_cast<w32::DWORD>(length), &written)) {
    dbg_err_crash("WIN32_write_printer", "WritePrinter() failed");
    drop_printer(handle, true, true);
    return -1;
  }
  return static_cast<int>(written);
}

int WIN32_close_printer(w32::HANDLE* handle) {
  if (handle == nullptr || *handle == nullptr) return 1;
  if (!w32::EndPagePrinter(*handle)) {
    dbg_err_crash("WIN32_close_printer", "EndPagePrinter() failed");
    drop_printer(handle, false, true);
    return 0;
  }
  int ended = w32::EndDocPrinter(*handle) ? 1 : 0;
  drop_printer(handle, false, false);
  return ended;
}

void WIN32_CreateIcon() {}

NtSignalHandler NT_signal(int signal, NtSignalHandler handler) {
  if (signal != NT_SIGALRM) return std::signal(signal, handler);
  pthread_mutex_lock(&g_alarm_lock);
  NtSignalHandler before = g_alarm_handler;
  g_alarm_handler = handler;
  pthread_mutex_unlock(&g_alarm_lock);
  return before;
}

NtSignalHandler NT_alarm_handler() {
  pthread_mutex_lock(&g_alarm_lock);
  NtSignalHandler kept = g_alarm_handler;
  pthread_mutex_unlock(&g_alarm_lock);
  return kept;
}

int NT_alarm(int seconds) {
  Alarm* alarm = new (std::nothrow) Alarm{seconds > 0 ? seconds : 0, false};
  pthread_mutex_lock(&g_alarm_lock);
  end_pending_alarm();
  w32::HANDLE thread = nullptr;
  if (alarm != nullptr) {
    ++g_alarm_threads;
    thread = w32::CreateThread(nullptr, 0, alarm_thread, alarm, 0, nullptr);
    if (thread == nullptr) --g_alarm_threads;
  }
  if (thread != nullptr) {
    g_alarm_thread = thread;
    g_alarm = alarm;
  }
  pthread_mutex_unlock(&g_alarm_lock);
  if (thread == nullptr) {
    delete alarm;
    ivek_printf("Failed to create timer thread.\n");
  }
  return 0;
}

int NT_terminate_alarm() {
  pthread_mutex_lock(&g_alarm_lock);
  bool ended = end_pending_alarm();
  pthread_mutex_unlock(&g_alarm_lock);
  return ended ? 1 : ivek_printf("No alarm to terminate.\n");
}

int W32ChkSysParm_SetError(int bits) {
  g_error_bits = bits == 0 ? 0 : g_error_bits | bits;
  return 1;
}

int W32ChkSysParm_IsErrorSet(int bits) { return (g_error_bits & bits) == bits ? 1 : 0; }

int CheckNetworkSetup() {
  W32ChkSysParm_SetError(0);
  bool old_checks = std::getenv("OLD_NETWORK_CHECKS") != nullptr;
  w32::WSADATA data;
  if (w32::WSAStartup(w32::MAKEWORD(1, 1), &data) != 0) {
    W32ChkSysParm_SetError(0x100);
    return 0;
  }
  // Host names run to 255 characters (long container names among them); without one,
  // nothing is resolved and the checks that need it fail.
  char host[256] = "";
  char computer[w32::MAX_PATH] = "";
  w32::DWORD size = sizeof computer;
  if (w32::gethostname(host, sizeof host) != 0) host[0] = '\0';
  if (host[0] == '\0' || !w32::GetComputerNameA(computer, &size)) {
    W32ChkSysParm_SetError(0x4);
  } else {
    char* dot = std::strchr(host, '.');
    std::size_t label = dot != nullptr ? static_cast<std::size_t>(dot - host) : std::strlen(host);
    bool same = label == std::strlen(computer);
    for (std::size_t i = 0; same && i < label; ++i)
      same = std::tolower(static_cast<unsigned char>(host[i])) ==
             std::tolower(static_cast<unsigned char>(computer[i]));
    if (!same) {
      W32ChkSysParm_SetError(0x8);
    } else {
      for (const char* c = computer; *c != '\0'; ++c)
        if (!std::isalnum(static_cast<unsigned char>(*c)) && *c != '-' && *c != '_')
          W32ChkSysParm_SetError(0x10);
    }
  }
  if (old_checks) {
    w32::hostent* entry = host[0] != '\0' ? w32::gethostbyname(host) : nullptr;
    char dotted[INET_ADDRSTRLEN] = "0.0.0.0";
    if (entry != nullptr && entry->h_addr_list[0] != nullptr)
      inet_ntop(AF_INET, entry->h_addr_list[0], dotted, sizeof dotted);
    if (entry == nullptr || std::strspn(dotted, "0.") == std::strlen(dotted))
      W32ChkSysParm_SetError(0x1);
  }
  w32::OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  w32::GetVersionExA(&version);
  if (version.dwPlatformId == w32::VER_PLATFORM_WIN32_NT) {
    if (!ginst_is_service_running("LanmanWorkstation")) W32ChkSysParm_SetError(0x20);
    if (old_checks) check_bindings();
  }
  if (host[0] == '\0' || !connection_test(host)) W32ChkSysParm_SetError(0x100);
  w32::WSACleanup();
  return g_error_bits == 0 ? 1 : 0;
}

void ntsys_testing_reset() {
  pthread_mutex_lock(&g_alarm_lock);
  end_pending_alarm();
  g_alarm_handler = nullptr;
  pthread_mutex_unlock(&g_alarm_lock);
  // Timer threads end at once when their wait is cancelled; ten seconds bound a stuck
  // one, so that a fault shows as a report, not a hang.
  std::int64_t deadline = w32::w32_clock_real_monotonic_ms() + 10000;
  while (g_alarm_threads.load() > 0 && w32::w32_clock_real_monotonic_ms() < deadline)
    sched_yield();
  if (g_alarm_threads.load() > 0)
    std::fprintf(stderr, "ntsys_testing_reset: a timer thread is stuck\n");
  g_start_seconds = -1;
  g_error_bits = 0;
  g_sleep_hook = nullptr;
}

void ntsys_testing_sleep_hook_set(int (*hook)(int seconds)) { g_sleep_hook = hook; }

int ntsys_testing_alarm_threads() { return g_alarm_threads.load(); }

}  // namespace vek
