#include "platform/w32/socket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/w32/error.h"
#include "platform/w32/fault.h"
#include "platform/w32/socket_testing.h"

namespace w32 {

namespace {

constexpr std::size_t kNameSize = 256;

struct TableHost {
  char name[kNameSize];  // empty: the row is free
  char aliases[SOCKET_TESTING_NAMES][kNameSize];
  int alias_count;
  std::uint32_t addresses[SOCKET_TESTING_NAMES];
  int address_count;
};

// Guarded by g_lock.
pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;
TableHost g_hosts[SOCKET_TESTING_HOSTS];
int g_started = 0;
int g_lookups = 0;
char g_host_name[256] = "";  // set by a test; empty: the system's

// The answer of gethostbyname, per thread as Win32 keeps it.
struct HostBuffer {
  hostent entry;
  char* aliases[SOCKET_TESTING_NAMES + 1];
  char* addresses[SOCKET_TESTING_NAMES + 1];
  char names[SOCKET_TESTING_NAMES + 1][NI_MAXHOST];
  std::uint32_t address_bytes[SOCKET_TESTING_NAMES];
};
thread_local HostBuffer t_host;

int fail(int code) {
  SetLastError(static_cast<DWORD>(code));
  return SOCKET_ERROR;
}

int wsa_code(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return WSAEACCES;
    case EADDRINUSE:
      return WSAEADDRINUSE;
    case EADDRNOTAVAIL:
      return WSAEADDRNOTAVAIL;
    case ECONNREFUSED:
      return WSAECONNREFUSED;
    case EAFNOSUPPORT:
    case EPROTONOSUPPORT:
      return WSAEAFNOSUPPORT;
    case EISCONN:
      return WSAEISCONN;
    case ENOTCONN:
      return WSAENOTCONN;
    case EMFILE:
    case ENFILE:
      return WSAEMFILE;
    case EBADF:
    case ENOTSOCK:
      return WSAENOTSOCK;
    case EFAULT:
      return WSAEFAULT;
    default:
      return WSAEINVAL;
  }
}

bool started() {
  pthread_mutex_lock(&g_lock);
  bool on = g_started > 0;
  pthread_mutex_unlock(&g_lock);
  return on;
}

// The descriptor of s when the layer is started and s is a socket; -1 with the last
// error set otherwise.
int descriptor(SOCKET s) {
  if (!started()) return fail(WSANOTINITIALISED);
  struct stat st;
  if (s > 0x7FFFFFFF || fstat(static_cast<int>(s), &st) != 0 || !S_ISSOCK(st.st_mode))
    return fail(WSAENOTSOCK);
  return static_cast<int>(s);
}

int result(int value) { return value == 0 ? 0 : fail(wsa_code(errno)); }

// Copies a name into one of the answer's NI_MAXHOST-byte slots, cut to fit.
void copy_name(char* to, const char* from) {
  std::size_t length = strnlen(from, NI_MAXHOST - 1);
  std::memcpy(to, from, length);
  to[length] = '\0';
}

// Fills the thread's answer from a table row.
hostent* answer_from(const TableHost& host) {
  HostBuffer& b = t_host;
  copy_name(b.names[0], host.name);
  for (int i = 0; i < host.alias_count; ++i) {
    copy_name(b.names[i + 1], host.aliases[i]);
    b.aliases[i] = b.names[i + 1];
  }
  b.aliases[host.alias_count] = nullptr;
  for (int i = 0; i < host.address_count; ++i) {
    b.address_bytes[i] = host.addresses[i];
    b.addresses[i] = reinterpret_cast<char*>(&b.address_bytes[i]);
  }
  b.addresses[host.address_count] = nullptr;
  b.entry = hostent{b.names[0], b.aliases, AF_INET, 4, b.addresses};
  return &b.entry;
}

bool fits(const char* text) { return text != nullptr && std::strlen(text) < kNameSize; }

}  // namespace

int WSAStartup(WORD version, WSADATA* data) {
  if (w32_fault_hit("WSAStartup")) return static_cast<int>(GetLastError());
  if (data == nullptr) return WSAEFAULT;
  int major = version & 0xFF;
  int minor = version >> 8;
  if (major < 1 || (major == 1 && minor < 1)) return WSAVERNOTSUPPORTED;
  std::memset(data, 0, sizeof *data);
  data->wVersion = major > 2 || (major == 2 && minor > 2) ? MAKEWORD(2, 2) : version;
  data->wHighVersion = MAKEWORD(2, 2);
  std::strcpy(data->szDescription, "WinSock 2.0");
  std::strcpy(data->szSystemStatus, "Running");
  pthread_mutex_lock(&g_lock);
  ++g_started;
  pthread_mutex_unlock(&g_lock);
  return 0;
}

int WSACleanup() {
  if (w32_fault_hit("WSACleanup")) return SOCKET_ERROR;
  pthread_mutex_lock(&g_lock);
  bool was = g_started > 0;
  if (was) --g_started;
  pthread_mutex_unlock(&g_lock);
  return was ? 0 : fail(WSANOTINITIALISED);
}

int WSAGetLastError() { return static_cast<int>(GetLastError()); }

int gethostname(char* name, int length) {
  if (w32_fault_hit("gethostname")) return SOCKET_ERROR;
  char own[256];
  pthread_mutex_lock(&g_lock);
  std::strcpy(own, g_host_name);
  pthread_mutex_unlock(&g_lock);
  if (own[0] == '\0' && ::gethostname(own, sizeof own) != 0) return fail(wsa_code(errno));
  own[sizeof own - 1] = '\0';
  if (name == nullptr || length <= 0 || std::strlen(own) >= static_cast<std::size_t>(length))
    return fail(WSAEFAULT);
  std::strcpy(name, own);
  return 0;
}

hostent* gethostbyname(const char* name) {
  if (w32_fault_hit("gethostbyname")) return nullptr;
  if (!started()) {
    fail(WSANOTINITIALISED);
    return nullptr;
  }
  if (name == nullptr) {
    fail(WSAEFAULT);
    return nullptr;
  }
  pthread_mutex_lock(&g_lock);
  ++g_lookups;
  hostent* found = nullptr;
  for (const TableHost& host : g_hosts) {
    if (host.name[0] != '\0' && std::strcmp(host.name, name) == 0) {
      found = answer_from(host);
      break;
    }
  }
  pthread_mutex_unlock(&g_lock);
  if (found != nullptr) return found;
  addrinfo hints = {};
  hints.ai_family = AF_INET;
  hints.ai_flags = AI_CANONNAME;
  addrinfo* list = nullptr;
  if (getaddrinfo(name, nullptr, &hints, &list) != 0 || list == nullptr) {
    fail(WSAHOST_NOT_FOUND);
    return nullptr;
  }
  HostBuffer& b = t_host;
  copy_name(b.names[0], list->ai_canonname != nullptr ? list->ai_canonname : name);
  b.aliases[0] = nullptr;
  int count = 0;
  for (addrinfo* at = list; at != nullptr && count < SOCKET_TESTING_NAMES; at = at->ai_next) {
    std::uint32_t address = reinterpret_cast<sockaddr_in*>(at->ai_addr)->sin_addr.s_addr;
    bool seen = false;
    for (int i = 0; i < count; ++i) seen = seen || b.address_bytes[i] == address;
    if (seen) continue;
    b.address_bytes[count] = address;
    b.addresses[count] = reinterpret_cast<char*>(&b.address_bytes[count]);
    ++count;
  }
  b.addresses[count] = nullptr;
  freeaddrinfo(list);
  b.entry = hostent{b.names[0], b.aliases, AF_INET, 4, b.addresses};
  return &b.entry;
}

SOCKET socket(int family, int type, int protocol) {
  if (w32_fault_hit("socket")) return INVALID_SOCKET;
  if (!started()) {
    fail(WSANOTINITIALISED);
    return INVALID_SOCKET;
  }
  int fd = ::socket(family, type | SOCK_CLOEXEC, protocol);
  if (fd < 0) {
    fail(wsa_code(errno));
    return INVALID_SOCKET;
  }
  return static_cast<SOCKET>(fd);
}

int bind(SOCKET s, const sockaddr* address, int length) {
  if (w32_fault_hit("bind")) return SOCKET_ERROR;
  int fd = descriptor(s);
  if (fd < 0) return SOCKET_ERROR;
  if (address == nullptr || length < static_cast<int>(sizeof(sockaddr_in))) return fail(WSAEFAULT);
  return result(::bind(fd, address, static_cast<socklen_t>(length)));
}

int getsockname(SOCKET s, sockaddr* address, int* length) {
  if (w32_fault_hit("getsockname")) return SOCKET_ERROR;
  int fd = descriptor(s);
  if (fd < 0) return SOCKET_ERROR;
  if (address == nullptr || length == nullptr || *length < static_cast<int>(sizeof(sockaddr_in)))
    return fail(WSAEFAULT);
  socklen_t size = static_cast<socklen_t>(*length);
  if (::getsockname(fd, address, &size) != 0) return fail(wsa_code(errno));
  // An unbound socket: Win32 refuses it.
  if (reinterpret_cast<sockaddr_in*>(address)->sin_port == 0 &&
      reinterpret_cast<sockaddr_in*>(address)->sin_addr.s_addr == 0)
    return fail(WSAEINVAL);
  *length = static_cast<int>(size);
  return 0;
}

int listen(SOCKET s, int backlog) {
  if (w32_fault_hit("listen")) return SOCKET_ERROR;
  int fd = descriptor(s);
  if (fd < 0) return SOCKET_ERROR;
  return result(::listen(fd, backlog));
}

int connect(SOCKET s, const sockaddr* address, int length) {
  if (w32_fault_hit("connect")) return SOCKET_ERROR;
  int fd = descriptor(s);
  if (fd < 0) return SOCKET_ERROR;
  if (address == nullptr || length < static_cast<int>(sizeof(sockaddr_in))) return fail(WSAEFAULT);
  int value = 0;
  while ((value = ::connect(fd, address, static_cast<socklen_t>(length))) != 0 && errno == EINTR) {
  }
  return result(value);
}

SOCKET accept(SOCKET s, sockaddr* address, int* length) {
  if (w32_fault_hit("accept")) return INVALID_SOCKET;
  int fd = descriptor(s);
  if (fd < 0) return INVALID_SOCKET;
  socklen_t size = length ? static_cast<socklen_t>(*length) : 0;
  int accepted = -1;
  while ((accepted = ::accept4(fd, address, length ? &size : nullptr, SOCK_CLOEXEC)) < 0 &&
         errno == EINTR) {
  }
  if (accepted < 0) {
    result(-1);
    return INVALID_SOCKET;
  }
  if (length) *length = static_cast<int>(size);
  return static_cast<SOCKET>(accepted);
}

int shutdown(SOCKET s, int how) {
  if (w32_fault_hit("shutdown")) return SOCKET_ERROR;
  int fd = descriptor(s);
  if (fd < 0) return SOCKET_ERROR;
  if (how < SD_RECEIVE || how > SD_BOTH) return fail(WSAEINVAL);
  return result(::shutdown(fd, how));
}

int closesocket(SOCKET s) {
  if (w32_fault_hit("closesocket")) return SOCKET_ERROR;
  int fd = descriptor(s);
  if (fd < 0) return SOCKET_ERROR;
  return result(::close(fd));
}

bool socket_testing_add_host(const char* name, const char* const* aliases,
                             const std::uint32_t* addresses, int count) {
  if (!fits(name) || count < 0 || count > SOCKET_TESTING_NAMES ||
      (count > 0 && addresses == nullptr))
    return false;
  TableHost host = {};
  std::strcpy(host.name, name);
  for (; aliases != nullptr && aliases[host.alias_count] != nullptr; ++host.alias_count) {
    if (host.alias_count == SOCKET_TESTING_NAMES || !fits(aliases[host.alias_count])) return false;
    std::strcpy(host.aliases[host.alias_count], aliases[host.alias_count]);
  }
  for (int i = 0; i < count; ++i) host.addresses[i] = addresses[i];
  host.address_count = count;
  pthread_mutex_lock(&g_lock);
  TableHost* row = nullptr;
  for (TableHost& h : g_hosts)
    if (h.name[0] != '\0' && std::strcmp(h.name, name) == 0) row = &h;
  for (TableHost& h : g_hosts)
    if (row == nullptr && h.name[0] == '\0') row = &h;
  if (row != nullptr) *row = host;
  pthread_mutex_unlock(&g_lock);
  return row != nullptr;
}

bool socket_testing_set_host_name(const char* name) {
  if (name != nullptr && !fits(name)) return false;
  pthread_mutex_lock(&g_lock);
  std::strcpy(g_host_name, name != nullptr ? name : "");
  pthread_mutex_unlock(&g_lock);
  return true;
}

int socket_testing_lookups() {
  pthread_mutex_lock(&g_lock);
  int count = g_lookups;
  pthread_mutex_unlock(&g_lock);
  return count;
}

void socket_testing_reset() {
  pthread_mutex_lock(&g_lock);
  for (TableHost& h : g_hosts) h.name[0] = '\0';
  g_started = 0;
  g_lookups = 0;
  g_host_name[0] = '\0';
  pthread_mutex_unlock(&g_lock);
}

}  // namespace w32
