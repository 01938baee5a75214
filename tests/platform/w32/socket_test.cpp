// Windows Sockets over BSD sockets: the counted start, host names and the host table,
// and a stream connection over the loopback address.
#include "platform/w32/socket.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"
#include "platform/w32/socket_testing.h"
#include "tests/platform/w32/w32_test_support.h"

namespace {

using yrltest::W32Test;

class SocketTest : public W32Test {
 protected:
  void SetUp() override {
    W32Test::SetUp();
    ASSERT_EQ(w32::WSAStartup(w32::MAKEWORD(1, 1), &data_), 0);
  }
  static sockaddr_in loopback(unsigned short port) {
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
  }
  static const sockaddr* as_address(const sockaddr_in& address) {
    return reinterpret_cast<const sockaddr*>(&address);
  }
  w32::WSADATA data_;
};

TEST_F(SocketTest, StartupIsCountedAndVersionsChecked) {
  EXPECT_EQ(data_.wVersion, w32::MAKEWORD(1, 1));
  w32::WSADATA data;
  EXPECT_EQ(w32::WSAStartup(w32::MAKEWORD(1, 0), &data), w32::WSAVERNOTSUPPORTED);
  EXPECT_EQ(w32::WSAStartup(w32::MAKEWORD(3, 0), &data), 0);
  EXPECT_EQ(data.wVersion, w32::MAKEWORD(2, 2));
  EXPECT_EQ(w32::WSAStartup(w32::MAKEWORD(2, 2), nullptr), w32::WSAEFAULT);
  // Two starts: two cleanups before the calls are refused.
  EXPECT_EQ(w32::WSACleanup(), 0);
  w32::SOCKET s = w32::socket(AF_INET, SOCK_STREAM, 0);
  EXPECT_NE(s, w32::INVALID_SOCKET);
  EXPECT_EQ(w32::closesocket(s), 0);
  EXPECT_EQ(w32::WSACleanup(), 0);
  EXPECT_EQ(w32::socket(AF_INET, SOCK_STREAM, 0), w32::INVALID_SOCKET);
  EXPECT_EQ(w32::WSAGetLastError(), w32::WSANOTINITIALISED);
  EXPECT_EQ(w32::WSACleanup(), w32::SOCKET_ERROR);
  EXPECT_EQ(w32::WSAGetLastError(), w32::WSANOTINITIALISED);
}

TEST_F(SocketTest, HostNameFollowsTheBufferRules) {
  char own[256];
  ASSERT_EQ(::gethostname(own, sizeof own), 0);
  char name[256];
  ASSERT_EQ(w32::gethostname(name, sizeof name), 0);
  EXPECT_STREQ(name, own);
  EXPECT_EQ(w32::gethostname(name, static_cast<int>(std::strlen(own))), w32::SOCKET_ERROR);
  EXPECT_EQ(w32::WSAGetLastError(), w32::WSAEFAULT);
}

TEST_F(SocketTest, HostTableAnswersFirstInWin32Layout) {
  const char* aliases[] = {"db", "db.example", nullptr};
  std::uint32_t addresses[] = {htonl(0x0A000001), htonl(0x0A000002)};
  ASSERT_TRUE(w32::socket_testing_add_host("dbhost.example.com", aliases, addresses, 2));
  w32::hostent* entry = w32::gethostbyname("dbhost.example.com");
  ASSERT_NE(entry, nullptr);
  EXPECT_STREQ(entry->h_name, "dbhost.example.com");
  EXPECT_EQ(entry->h_addrtype, AF_INET);
  EXPECT_EQ(entry->h_length, 4);
  EXPECT_STREQ(entry->h_aliases[0], "db");
  EXPECT_STREQ(entry->h_aliases[1], "db.example");
  EXPECT_EQ(entry->h_aliases[2], nullptr);
  std::uint32_t first = 0;
  std::memcpy(&first, entry->h_addr_list[1], 4);
  EXPECT_EQ(ntohl(first), 0x0A000002u);
  EXPECT_EQ(entry->h_addr_list[2], nullptr);
  EXPECT_EQ(w32::socket_testing_lookups(), 1);
  // Names compare exactly in the table; long names and full tables are refused.
  std::string long_name(256, 'h');
  EXPECT_FALSE(w32::socket_testing_add_host(long_name.c_str(), nullptr, nullptr, 0));
  EXPECT_FALSE(w32::socket_testing_add_host("x", nullptr, addresses, 5));
  ASSERT_TRUE(w32::fault_testing_fail_on_call("gethostbyname", 1, w32::WSAHOST_NOT_FOUND));
  EXPECT_EQ(w32::gethostbyname("dbhost.example.com"), nullptr);
  EXPECT_EQ(w32::WSAGetLastError(), w32::WSAHOST_NOT_FOUND);
}

TEST_F(SocketTest, StreamOverLoopbackBindsListensConnectsAndShutsDown) {
  w32::SOCKET server = w32::socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_NE(server, w32::INVALID_SOCKET);
  sockaddr_in any_port = loopback(0);
  ASSERT_EQ(w32::bind(server, as_address(any_port), sizeof any_port), 0);
  sockaddr_in bound = {};
  int length = sizeof bound;
  ASSERT_EQ(w32::getsockname(server, reinterpret_cast<sockaddr*>(&bound), &length), 0);
  EXPECT_NE(bound.sin_port, 0);
  ASSERT_EQ(w32::listen(server, 1), 0);
  w32::SOCKET client = w32::socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_NE(client, w32::INVALID_SOCKET);
  // Binding the port that is taken is refused as Win32 says.
  EXPECT_EQ(w32::bind(client, as_address(bound), sizeof bound), w32::SOCKET_ERROR);
  EXPECT_EQ(w32::WSAGetLastError(), w32::WSAEADDRINUSE);
  ASSERT_EQ(w32::connect(client, as_address(bound), sizeof bound), 0);
  EXPECT_EQ(w32::connect(client, as_address(bound), sizeof bound), w32::SOCKET_ERROR);
  EXPECT_EQ(w32::WSAGetLastError(), w32::WSAEISCONN);
  EXPECT_EQ(w32::shutdown(client, w32::SD_BOTH), 0);
  EXPECT_EQ(w32::shutdown(client, 7), w32::SOCKET_ERROR);
  EXPECT_EQ(w32::WSAGetLastError(), w32::WSAEINVAL);
  EXPECT_EQ(w32::closesocket(client), 0);
  EXPECT_EQ(w32::closesocket(server), 0);
  EXPECT_EQ(w32::closesocket(server), w32::SOCKET_ERROR);
  EXPECT_EQ(w32::WSAGetLastError(), w32::WSAENOTSOCK);
  // Nothing listens any more: the connection is refused.
  w32::SOCKET late = w32::socket(AF_INET, SOCK_STREAM, 0);
  EXPECT_EQ(w32::connect(late, as_address(bound), sizeof bound), w32::SOCKET_ERROR);
  EXPECT_EQ(w32::WSAGetLastError(), w32::WSAECONNREFUSED);
  sockaddr_in unbound = {};
  length = sizeof unbound;
  w32::SOCKET fresh = w32::socket(AF_INET, SOCK_STREAM, 0);
  EXPECT_EQ(w32::getsockname(fresh, reinterpret_cast<sockaddr*>(&unbound), &length),
            w32::SOCKET_ERROR);
  EXPECT_EQ(w32::WSAGetLastError(), w32::WSAEINVAL);
  EXPECT_EQ(w32::closesocket(fresh), 0);
  EXPECT_EQ(w32::closesocket(late), 0);
}

TEST_F(SocketTest, FaultsFailEachCall) {
  for (const char* function : {"socket", "bind", "getsockname", "listen", "connect", "shutdown",
                               "closesocket", "gethostname", "WSACleanup"}) {
    SCOPED_TRACE(function);
    w32::SOCKET s = w32::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_NE(s, w32::INVALID_SOCKET);
    ASSERT_TRUE(w32::fault_testing_fail_on_call(function, 1, w32::WSAEACCES));
    std::string name = function;
    sockaddr_in address = loopback(0);
    int length = sizeof address;
    char host[256];
    int got =
        name == "socket"
            ? (w32::socket(AF_INET, SOCK_STREAM, 0) == w32::INVALID_SOCKET ? w32::SOCKET_ERROR : 0)
        : name == "bind" ? w32::bind(s, as_address(address), length)
        : name == "getsockname"
            ? w32::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length)
        : name == "listen"      ? w32::listen(s, 1)
        : name == "connect"     ? w32::connect(s, as_address(address), length)
        : name == "shutdown"    ? w32::shutdown(s, w32::SD_BOTH)
        : name == "closesocket" ? w32::closesocket(s)
        : name == "gethostname" ? w32::gethostname(host, sizeof host)
                                : w32::WSACleanup();
    EXPECT_EQ(got, w32::SOCKET_ERROR);
    EXPECT_EQ(w32::WSAGetLastError(), w32::WSAEACCES);
    EXPECT_EQ(w32::closesocket(s), 0);
  }
  ASSERT_TRUE(w32::fault_testing_fail_on_call("WSAStartup", 1, w32::WSAEACCES));
  w32::WSADATA data;
  EXPECT_EQ(w32::WSAStartup(w32::MAKEWORD(2, 2), &data), w32::WSAEACCES);
}

}  // namespace
