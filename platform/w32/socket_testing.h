// Test hooks of the sockets (socket.h).
#pragma once

#include <cstdint>

namespace w32 {

// How many hosts the table holds, and how many aliases and addresses each.
constexpr int SOCKET_TESTING_HOSTS = 64;
constexpr int SOCKET_TESTING_NAMES = 4;

// Enters a host into the table that gethostbyname asks first: its official name, up to
// SOCKET_TESTING_NAMES aliases (null-terminated list, may be null) and addresses (IPv4 in
// network order, count of them). A name already in the table is replaced. false when
// the table is full, a name has 256 characters or more, or a list is too long.
bool socket_testing_add_host(const char* name, const char* const* aliases,
                             const std::uint32_t* addresses, int count);

// Makes gethostname answer name (at most 255 characters) in place of the system's host
// name; null or empty goes back to the system's. false for a longer name.
bool socket_testing_set_host_name(const char* name);

// How many times gethostbyname was asked, table and system together.
int socket_testing_lookups();

// Empties the host table, the count of look-ups and the WSAStartup count, and forgets
// the host name set.
void socket_testing_reset();

}  // namespace w32
