// Sockets: the Windows Sockets start and end, host names and look-ups, and the stream
// socket calls, over BSD sockets. A SOCKET is the POSIX descriptor; the address records
// are POSIX's, whose layout for IPv4 is Win32's. A failing call gives SOCKET_ERROR (or
// INVALID_SOCKET, or null) with the WSA code as the last error, which WSAGetLastError
// reads. The socket calls need a WSAStartup that no WSACleanup has undone
// (WSANOTINITIALISED otherwise).
//
// gethostbyname answers from a host table that a test fills (socket_testing.h) and then
// from getaddrinfo (IPv4 only). Each call consults the fault facility (fault.h) under
// its name.
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>

#include "platform/w32/types.h"

namespace w32 {

typedef std::uintptr_t SOCKET;
constexpr SOCKET INVALID_SOCKET = ~SOCKET{0};
constexpr int SOCKET_ERROR = -1;
constexpr int SD_RECEIVE = 0;
constexpr int SD_SEND = 1;
constexpr int SD_BOTH = 2;

constexpr int WSAEFAULT = 10014;
constexpr int WSAEINVAL = 10022;
constexpr int WSAEMFILE = 10024;
constexpr int WSAENOTSOCK = 10038;
constexpr int WSAEAFNOSUPPORT = 10047;
constexpr int WSAEADDRINUSE = 10048;
constexpr int WSAEADDRNOTAVAIL = 10049;
constexpr int WSAEISCONN = 10056;
constexpr int WSAENOTCONN = 10057;
constexpr int WSAECONNREFUSED = 10061;
constexpr int WSAEACCES = 10013;
constexpr int WSAVERNOTSUPPORTED = 10092;
constexpr int WSANOTINITIALISED = 10093;
constexpr int WSAHOST_NOT_FOUND = 11001;

struct WSADATA {
  WORD wVersion;
  WORD wHighVersion;
  unsigned short iMaxSockets;
  unsigned short iMaxUdpDg;
  char* lpVendorInfo;
  char szDescription[257];
  char szSystemStatus[129];
};

// A host entry in Win32's layout: the address type and length are 16 bits.
struct hostent {
  char* h_name;
  char** h_aliases;
  short h_addrtype;
  short h_length;
  char** h_addr_list;
};
static_assert(sizeof(hostent) == 32);

constexpr WORD MAKEWORD(int low, int high) {
  return static_cast<WORD>((low & 0xFF) | ((high & 0xFF) << 8));
}

// Starts the socket layer for this process, counted: each success needs a WSACleanup.
// A version below 1.1 is refused (WSAVERNOTSUPPORTED); 2.2 and below are served with
// the version asked for. Returns 0 or the code (not set as the last error), WSAEFAULT
// for a null data.
int WSAStartup(WORD version, WSADATA* data);

// Undoes one WSAStartup; SOCKET_ERROR with WSANOTINITIALISED when none is left.
int WSACleanup();

// The last error of the calling thread (as GetLastError).
int WSAGetLastError();

// The host name into name, which holds length bytes: 0, or SOCKET_ERROR with WSAEFAULT
// when it does not fit with its terminator.
int gethostname(char* name, int length);

// The IPv4 host entry of name, in storage of the calling thread that the next call
// overwrites; null with WSAHOST_NOT_FOUND when the table and getaddrinfo know none.
hostent* gethostbyname(const char* name);

SOCKET socket(int family, int type, int protocol);
int bind(SOCKET s, const sockaddr* address, int length);
int getsockname(SOCKET s, sockaddr* address, int* length);
int listen(SOCKET s, int backlog);
int connect(SOCKET s, const sockaddr* address, int length);
// The next connection on a listening socket (INVALID_SOCKET on failure); *length (when
// given) holds the room at address and gets the peer address's size.
SOCKET accept(SOCKET s, sockaddr* address, int* length);
int shutdown(SOCKET s, int how);
int closesocket(SOCKET s);

}  // namespace w32
