#include "fileaccess/backends/ntdircache.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "fileaccess/backends/ntdircache_testing.h"
#include "fileaccess/backends/ntlangwrap.h"
#include "fileaccess/names/drives.h"
#include "platform/w32/builtin_module.h"
#include "platform/w32/changenotify.h"
#include "platform/w32/filetime.h"
#include "platform/w32/fileio.h"
#include "platform/w32/handle.h"
#include "platform/w32/library.h"
#include "platform/w32/process.h"
#include "platform/w32/volume.h"
#include "runtime/diag/console.h"
#include "runtime/memory/xar.h"
#include "runtime/system/dates.h"

namespace vek {

namespace {

// What a change notification watches: names, attributes, size, last write, security.
constexpr w32::DWORD kNotifyFilter = 0x11F;
constexpr std::uint64_t kLocalGrain = 20000000ull;    // 2 s
constexpr std::uint64_t kRemoteGrain = 300000000ull;  // 30 s
constexpr std::uint64_t kEpochFileTime = 116444736000000000ull;

int caching_mode = 2;
int debug_switch = -1;

// One record per drive letter asked for, appended at first use. Plain static storage
// (there are at most 26), so that the records outlive a reset of the memory blocks.
NtDriveRecord drives[26];
int drive_count;

struct ServerOffset {
  char server[260];
  int status;  // 0 when the time query succeeded
  std::int64_t offset;
};
ServerOffset* servers;  // growable array, sorted by server name

// The time service: -1 not yet looked at, 0 off, 1 on.
int netapi_state = -1;
typedef w32::DWORD (*NetRemoteTODFn)(const char16_t* server, unsigned char** buffer);
typedef w32::DWORD (*NetApiBufferFreeFn)(void* buffer);
NetRemoteTODFn net_remote_tod;
NetApiBufferFreeFn net_buffer_free;

bool network_name(const char* name) {
  return (name[0] == '\\' && name[1] == '\\') || (name[0] == '/' && name[1] == '/');
}

std::uint64_t file_time_value(const w32::FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

std::uint64_t now_file_time() {
  w32::FILETIME now;
  w32::GetSystemTimeAsFileTime(&now);
  return file_time_value(now);
}

bool netapi32_enabled() {
  if (netapi_state < 0) {
    netapi_state = 0;
    w32::HMODULE module = w32::GetModuleHandleA("NETAPI32");
    if (module) {
      net_remote_tod = reinterpret_cast<NetRemoteTODFn>(w32::GetProcAddress(module, "NetRemoteTOD"));
      net_buffer_free =
          reinterpret_cast<NetApiBufferFreeFn>(w32::GetProcAddress(module, "NetApiBufferFree"));
      netapi_state = net_remote_tod && net_buffer_free ? 1 : 0;
    }
  }
  return netapi_state == 1;
}

// The server of a network name ("\\server\share...").
void server_of(const char* name, char* server, std::size_t size) {
  const char* start = name + 2;
  std::size_t n = std::strcspn(start, "\\/");
  if (n >= size) n = size - 1;
  std::memcpy(server, start, n);
  server[n] = '\0';
}

}  // namespace

void nt_show_filetime(const char* name, const char* label, std::uint64_t time) {
  if (!pfa_dir_cache_debug()) return;
  std::int64_t seconds = static_cast<std::int64_t>((time - kEpochFileTime) / 10000000ull);
  int milliseconds = static_cast<int>((time / 10000ull) % 1000ull);
  time_t value = static_cast<time_t>(seconds);
  struct tm local;
  localtime_r(&value, &local);
  ivek_printf("nt_cache> %s %s %d/%d/%d %02d:%02d:%02d:%03d\n", name, label, local.tm_mon + 1,
              local.tm_mday, local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec,
              milliseconds);
}

const NtDriveRecord* append_drive(int letter) {
  if (!std::isalpha(letter)) return nullptr;
  letter = std::toupper(letter);
  Win32DriveInfo info;
  if (get_win32_drive_info(letter, &info, 0) != 0) return nullptr;
  for (int i = 0; i < drive_count; ++i)
    if (drives[i].info.letter == letter) return &drives[i];
  if (drive_count == 26) return nullptr;
  NtDriveRecord& record = drives[drive_count++];
  record = {};
  record.info = info;
  record.info.letter = letter;
  bool ntfs = std::strcmp(info.file_system, "NTFS") == 0;
  record.cachable[0] = record.cachable[1] = ntfs ? 1 : 0;
  return &record;
}

const NtDriveRecord* get_nt_drive_info(int letter) {
  if (!std::isalpha(letter)) return nullptr;
  letter = std::toupper(letter);
  for (int i = 0; i < drive_count; ++i)
    if (drives[i].info.letter == letter) return &drives[i];
  return append_drive(letter);
}

const NtDriveRecord* get_win32_cached_drive_info(int letter) { return get_nt_drive_info(letter); }

int nt_drive_letter_of(const char* name) {
  if (!name || network_name(name)) return 0;
  if (std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':') return name[0];
  // A rooted or relative name lies on the current drive.
  char current[260];
  if (ntlangwrap_GetCurrentDirectory(current) && current[1] == ':') return current[0];
  return 0;
}

int set_nt_directory_caching(int mode) {
  int previous = caching_mode;
  caching_mode = mode;
  return previous;
}

int get_nt_directory_caching() { return caching_mode; }

int is_drive_cachable(int letter) {
  if (caching_mode == 0) return 0;
  const NtDriveRecord* record = get_nt_drive_info(letter);
  return record ? record->cachable[caching_mode == 1 ? 0 : 1] : 0;
}

int nt_is_remote_drive(int letter) {
  const NtDriveRecord* record = get_nt_drive_info(letter);
  return record && record->info.type == static_cast<int>(w32::DRIVE_REMOTE) ? 1 : 0;
}

int nt_is_samba_drive(int letter) {
  const NtDriveRecord* record = get_nt_drive_info(letter);
  return record && !record->cachable[0] && std::strcmp(record->info.file_system, "Samba") == 0
             ? 1
             : 0;
}

int nt_directory_get_mod_time(const char* name, std::uint64_t* time) {
  w32::HANDLE handle = ntlangwrap_CreateFile(name, 0, 0, w32::OPEN_EXISTING,
                                             w32::FILE_FLAG_BACKUP_SEMANTICS);
  if (handle == w32::INVALID_HANDLE_VALUE) return 0;
  w32::FILETIME write;
  bool got = w32::GetFileTime(handle, nullptr, nullptr, &write);
  w32::CloseHandle(handle);
  if (!got) return 0;
  *time = file_time_value(write);
  return 1;
}

int nt_host_time_adjustment(const char* server, std::int64_t* offset) {
  if (!server || !netapi32_enabled()) return 0;
  int n = xar_count(&servers);
  int at = 0;
  while (at < n && std::strcmp(servers[at].server, server) < 0) ++at;
  if (at == n || std::strcmp(servers[at].server, server) != 0) {
    ServerOffset entry = {};
    std::strncpy(entry.server, server, sizeof entry.server - 1);
    entry.status = 1;
    char16_t wide[264] = {u'\\', u'\\'};
    for (int i = 0; server[i] && i < 260; ++i) wide[2 + i] = static_cast<unsigned char>(server[i]);
    unsigned char* reply = nullptr;
    if (net_remote_tod(wide, &reply) == 0 && reply) {
      std::uint32_t seconds;
      std::memcpy(&seconds, reply, sizeof seconds);
      std::uint64_t remote = seconds * 10000000ull + kEpochFileTime;
      entry.offset = static_cast<std::int64_t>(remote - now_file_time());
      entry.status = 0;
    }
    if (reply) net_buffer_free(reply);
    if (!servers) servers = static_cast<ServerOffset*>(xar_alloc(0, sizeof(ServerOffset), 1));
    xar_insert(&servers, at, 1, &entry);
  }
  if (servers[at].status != 0) return 0;
  if (offset) *offset = servers[at].offset;
  return 1;
}

int nt_dir_mod_time_too_recent(const char* name, std::uint64_t time) {
  std::uint64_t limit = kLocalGrain;
  std::int64_t offset = 0;
  int letter = nt_drive_letter_of(name);
  bool remote = network_name(name) || nt_is_remote_drive(letter);
  if (remote) {
    limit = kRemoteGrain;
    char server[260] = "";
    if (network_name(name)) {
      server_of(name, server, sizeof server);
    } else if (const NtDriveRecord* record = get_nt_drive_info(letter)) {
      std::strcpy(server, record->info.server);
    }
    if (!server[0] || !nt_host_time_adjustment(server, &offset)) {
      if (pfa_dir_cache_debug()) ivek_printf("nt_cache> can't get remote system time for %s\n", name);
      return 1;
    }
  }
  std::uint64_t age = now_file_time() - time + static_cast<std::uint64_t>(offset);
  if (age > limit) return 0;
  nt_show_filetime(name, "TOO RECENT", time);
  nt_show_filetime(name, "(adjusted local time)", now_file_time() + static_cast<std::uint64_t>(offset));
  return 1;
}

int nt_directory_cache_init_fields(const char* name, std::uint32_t* cachable,
                                   w32::HANDLE* notification, std::uint64_t* time) {
  if (cachable) *cachable = 0;
  if (caching_mode == 0 || !name || !name[0]) return 0;
  std::uint32_t can =
      network_name(name) ? 0 : static_cast<std::uint32_t>(is_drive_cachable(nt_drive_letter_of(name)));
  if (cachable) *cachable = can;
  if (!can) return 0;
  if (caching_mode == 1) {
    w32::HANDLE handle = ntlangwrap_FindFirstChangeNotification(name, 0, kNotifyFilter);
    bool valid = handle != w32::INVALID_HANDLE_VALUE && handle != nullptr;
    if (notification) *notification = valid ? handle : nullptr;
    return valid ? 1 : 0;
  }
  std::uint64_t written = 0;
  if (!nt_directory_get_mod_time(name, &written)) return 0;
  if (time) *time = written;
  return nt_dir_mod_time_too_recent(name, written) ? 0 : 1;
}

int nt_directory_cache_still_valid(const char* name, std::uint32_t cachable,
                                   w32::HANDLE* notification, std::uint64_t time) {
  if (caching_mode == 0 || !name) return 0;
  if (caching_mode == 2) {
    std::uint64_t now = 0;
    bool same = nt_directory_get_mod_time(name, &now) && now == time;
    nt_show_filetime(name, same ? "OK" : "STALE", same ? time : now);
    return same ? 1 : 0;
  }
  // A missing notification cannot tell a change: stale.
  if (!notification || !*notification ||
      w32::WaitForSingleObject(*notification, 0) != w32::WAIT_TIMEOUT) {
    if (cachable && notification && *notification) {
      w32::FindCloseChangeNotification(*notification);
      *notification = nullptr;
    }
    if (pfa_dir_cache_debug()) ivek_printf("nt_cache> %s STALE\n", name);
    return 0;
  }
  if (pfa_dir_cache_debug()) ivek_printf("nt_cache> %s OK\n", name);
  return 1;
}

int pfa_dir_cache_debug() {
  if (debug_switch < 0) {
    const char* value = std::getenv("___DIR_CACHE_DEBUG");
    debug_switch = value && value[0] != 'f' && value[0] != 'F' ? 1 : 0;
  }
  return debug_switch;
}

void ntdircache_testing_reset() {
  // The arrays belong to the memory chain, which the memory reset releases.
  caching_mode = 2;
  debug_switch = -1;
  drive_count = 0;
  servers = nullptr;
  netapi_state = -1;
  net_remote_tod = nullptr;
  net_buffer_free = nullptr;
}

}  // namespace vek
