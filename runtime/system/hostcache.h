// Host look-ups by name through a cache of 30 entries, replaced least recently used
// first (times of use on the layer's clock), and the switch that lets a short name find
// a cached long ("wide-area") one.
#pragma once

#include "platform/w32/socket.h"

namespace vek {

constexpr int HOST_CACHE_SIZE = 30;
// Looked-up names are kept up to this many characters; longer names are looked up but
// never cached.
constexpr int HOST_CACHE_NAME = 63;

// The host entry of name: the cache's copy, valid until its entry is replaced (for a
// name too long to cache, the socket layer's answer, valid until its next look-up); 0
// when the host is not known. In run mode 3985241 each call traces whether it hit.
w32::hostent* vyn_gethostbyname(const char* name);
// The local host's null-terminated address list, or 0.
char** vyn_getipaddr();
// 1 when name equals cached's part before its first '.' (all of it without one),
// without regard to case.
int is_part_of_wan_name(const char* name, const char* cached);
int get_wan_names_state();
// Lets short names find wide-area names from now on; 1.
int set_wan_names_on();

}  // namespace vek
