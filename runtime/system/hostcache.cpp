#include "runtime/system/hostcache.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/w32/clock.h"
#include "runtime/diag/console.h"
#include "runtime/diag/runmode.h"
#include "runtime/memory/getmem.h"
#include "runtime/system/hostcache_testing.h"
#include "runtime/system/sysinfo.h"
#include "runtime/text/strmake.h"
#include "runtime/text/wide.h"

namespace vek {

namespace {

constexpr int kTraceMode = 3985241;

struct Entry {
  w32::hostent* host;  // getmem copy with getmem parts
  char name[HOST_CACHE_NAME + 1];
  int alias_count;  // with the terminating null
  int alias_capacity;
  int address_count;  // with the terminating null
  int address_capacity;
  std::int64_t used;  // seconds on the layer's clock
};

Entry g_cache[HOST_CACHE_SIZE];
int g_next_index = 0;
char g_last_name[HOST_CACHE_NAME + 1];
int g_last_index = -1;
int g_wan_names_on = 0;
bool g_sockets_started = false;

std::int64_t now() { return w32::w32_clock_wall().tv_sec; }

// Releases the strings and addresses of an entry, keeping its arrays and record.
void clear_parts(Entry* entry) {
  w32::hostent* host = entry->host;
  if (host->h_name != nullptr) rlsmem(host->h_name);
  host->h_name = nullptr;
  for (int i = 0; host->h_aliases != nullptr && host->h_aliases[i] != nullptr; ++i)
    rlsmem(host->h_aliases[i]);
  for (int i = 0; host->h_addr_list != nullptr && host->h_addr_list[i] != nullptr; ++i)
    rlsmem(host->h_addr_list[i]);
  entry->alias_count = 0;
  entry->address_count = 0;
}

// Makes the array *list hold count pointers, growing it only when it must.
void ensure(char*** list, int* capacity, int count) {
  if (count <= *capacity) return;
  char** grown = static_cast<char**>(getmem(sizeof(char*) * static_cast<std::size_t>(count)));
  if (*list != nullptr) rlsmem(*list);
  *list = grown;
  *capacity = count;
}

int find_lru_cache_ent() {
  int oldest = 0;
  for (int i = 1; i < g_next_index; ++i)
    if (g_cache[i].used < g_cache[oldest].used) oldest = i;
  return oldest;
}

int add_host_to_cache(const w32::hostent* found, const char* name) {
  int index = 0;
  if (g_next_index < HOST_CACHE_SIZE) {
    index = g_next_index++;
    g_cache[index] = Entry{};
    g_cache[index].host = static_cast<w32::hostent*>(getmem(sizeof(w32::hostent)));
  } else {
    index = find_lru_cache_ent();
    clear_parts(&g_cache[index]);
  }
  Entry& entry = g_cache[index];
  w32::hostent* host = entry.host;
  std::strcpy(entry.name, name);
  host->h_name = make_scopy(found->h_name != nullptr ? found->h_name : name);
  int aliases = 0;
  while (found->h_aliases != nullptr && found->h_aliases[aliases] != nullptr) ++aliases;
  ensure(&host->h_aliases, &entry.alias_capacity, aliases + 1);
  for (int i = 0; i < aliases; ++i) host->h_aliases[i] = make_scopy(found->h_aliases[i]);
  host->h_aliases[aliases] = nullptr;
  entry.alias_count = aliases + 1;
  host->h_addrtype = found->h_addrtype;
  host->h_length = found->h_length;
  int addresses = 0;
  while (found->h_addr_list != nullptr && found->h_addr_list[addresses] != nullptr) ++addresses;
  ensure(&host->h_addr_list, &entry.address_capacity, addresses + 1);
  std::size_t length = found->h_length > 0 ? static_cast<std::size_t>(found->h_length) : 0;
  for (int i = 0; i < addresses; ++i) {
    host->h_addr_list[i] = static_cast<char*>(getmem(length > 0 ? length : 1));
    std::memcpy(host->h_addr_list[i], found->h_addr_list[i], length);
  }
  host->h_addr_list[addresses] = nullptr;
  entry.address_count = addresses + 1;
  entry.used = now();
  return index;
}

int get_host_from_cache(const char* name) {
  for (int i = 0; i < g_next_index; ++i) {
    const Entry& entry = g_cache[i];
    bool match = std::strcmp(name, entry.name) == 0 ||
                 (g_wan_names_on && is_part_of_wan_name(name, entry.name)) ||
                 std::strcmp(name, entry.host->h_name) == 0;
    for (int a = 0; !match && entry.host->h_aliases[a] != nullptr; ++a)
      match = std::strcmp(name, entry.host->h_aliases[a]) == 0;
    if (match) return i;
  }
  return -1;
}

void trace(const char* text) {
  if (is_run_mode(kTraceMode)) ivek_printf("%s", text);
}

}  // namespace

int is_part_of_wan_name(const char* name, const char* cached) {
  if (name == nullptr || cached == nullptr) return 0;
  const char* dot = std::strchr(cached, '.');
  std::size_t length =
      dot != nullptr ? static_cast<std::size_t>(dot - cached) : std::strlen(cached);
  if (std::strlen(name) != length) return 0;
  for (std::size_t i = 0; i < length; ++i) {
    unsigned char a = static_cast<unsigned char>(name[i]);
    unsigned char b = static_cast<unsigned char>(cached[i]);
    if ((a >= 'A' && a <= 'Z' ? a + 32 : a) != (b >= 'A' && b <= 'Z' ? b + 32 : b)) return 0;
  }
  return 1;
}

int get_wan_names_state() { return g_wan_names_on; }

int set_wan_names_on() {
  g_wan_names_on = 1;
  return 1;
}

w32::hostent* vyn_gethostbyname(const char* name) {
  if (name == nullptr) return nullptr;
  if (is_run_mode(kTraceMode)) ivek_printf("vyn_gethostbyname( %s ): ", name);
  if (g_last_index >= 0 && std::strcmp(name, g_last_name) == 0) {
    trace("cache HIT (matched last)\n");
    g_cache[g_last_index].used = now();
    return g_cache[g_last_index].host;
  }
  int index = get_host_from_cache(name);
  if (index >= 0) {
    trace("cache HIT\n");
    g_cache[index].used = now();
  } else {
    trace("cache MISS\n");
    if (!g_sockets_started) {
      w32::WSADATA data;
      int error = w32::WSAStartup(w32::MAKEWORD(1, 1), &data);
      if (error != 0) {
        ivek_fprintf(stderr, "Failed to startup socket communications\n");
        ivek_fprintf(stderr, "WSA ERROR = %d\n", error);
        vek_exit(1);
        return nullptr;
      }
      g_sockets_started = true;
    }
    w32::hostent* found = w32::gethostbyname(name);
    if (found == nullptr) return nullptr;
    // A name longer than the cache keeps is answered, not cached under a cut name.
    if (std::strlen(name) > static_cast<std::size_t>(HOST_CACHE_NAME)) return found;
    index = add_host_to_cache(found, name);
  }
  if (std::strlen(name) <= static_cast<std::size_t>(HOST_CACHE_NAME)) {
    std::strcpy(g_last_name, name);
    g_last_index = index;
  }
  return g_cache[index].host;
}

char** vyn_getipaddr() {
  char name[HOST_CACHE_NAME + 2];
  if (wstostr_bounded(name, sizeof name, get_localhostname()) != 0) return nullptr;
  w32::hostent* host = vyn_gethostbyname(name);
  return host != nullptr ? host->h_addr_list : nullptr;
}

void hostcache_testing_reset() {
  for (int i = 0; i < g_next_index; ++i) {
    clear_parts(&g_cache[i]);
    if (g_cache[i].host->h_aliases != nullptr) rlsmem(g_cache[i].host->h_aliases);
    if (g_cache[i].host->h_addr_list != nullptr) rlsmem(g_cache[i].host->h_addr_list);
    rlsmem(g_cache[i].host);
    g_cache[i] = Entry{};
  }
  g_next_index = 0;
  g_last_name[0] = '\0';
  g_last_index = -1;
  g_wan_names_on = 0;
  g_sockets_started = false;
}

int hostcache_testing_entries() { return g_next_index; }

}  // namespace vek
