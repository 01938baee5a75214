#include "runtime/system/sysinfo.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "fileaccess/backends/pfu.h"
#include "platform/w32/fileio.h"
#include "platform/w32/handle.h"
#include "platform/w32/registry.h"
#include "platform/w32/system.h"
#include "runtime/system/process.h"
#include "runtime/system/sysinfo_testing.h"
#include "runtime/text/wide.h"
#include "runtime/text/wstring.h"

namespace vek {

namespace {

// The pipe buffer of vek_process_output and the chunk it drops the rest of the output in.
constexpr int PROCESS_OUTPUT_BUFFER = 4096;

constexpr int kUserNameSize = 257;
constexpr int kHostNameSize = 65;
constexpr std::size_t kValueSize = 1024;

SystemInfo g_system_info;
bool g_system_info_filled = false;
int g_win95 = -1;
VynWchar g_localhost[kHostNameSize];
bool g_localhost_filled = false;
VynWchar g_user_name[kUserNameSize];
VynWchar g_user_name_upper[kUserNameSize];
VynWchar g_user_name_saved[kUserNameSize];

// Appends text to a system-record field, cut at the field's end.
void append(char* field, const char* text) {
  std::size_t used = std::strlen(field);
  std::size_t room = SYSTEM_INFO_FIELD - 1 - used;
  std::size_t length = std::strlen(text);
  if (length > room) length = room;
  std::memcpy(field + used, text, length);
  field[used + length] = '\0';
}

const char* processor_name(w32::DWORD type) {
  switch (type) {
    case 386:
      return "386";
    case 486:
      return "486";
    case 586:
      return "Pentium";
    case 4000:
      return "Mips R4000";
    case 21064:
      return "Alpha 21064";
    default:
      return "";
  }
}

// Reads the value name of key into a kValueSize buffer, terminated; false when missing.
bool read_value(w32::HKEY key, const char* name, char* buffer) {
  w32::DWORD size = kValueSize - 1;
  std::memset(buffer, 0, kValueSize);
  return w32::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<w32::BYTE*>(buffer),
                               &size) == 0;
}

// The processor text of the first processor key that opens, appended to field.
void describe_processor(w32::HKEY processors, char* field) {
  char name[256];
  for (w32::DWORD index = 0;; ++index) {
    w32::DWORD size = sizeof name;
    if (w32::RegEnumKeyExA(processors, index, name, &size, nullptr, nullptr, nullptr, nullptr) != 0)
      return;
    w32::HKEY processor = nullptr;
    if (w32::RegOpenKeyExA(processors, name, 0, w32::KEY_QUERY_VALUE, &processor) != 0) continue;
    char value[kValueSize];
    char piece[kValueSize + 16];
    for (const char* text_value : {"identifier", "vendoridentifier"}) {
      if (!read_value(processor, text_value, value)) continue;
      std::snprintf(piece, sizeof piece, " %s ", value);
      append(field, piece);
    }
    w32::DWORD mhz = 0;
    w32::DWORD mhz_size = sizeof mhz;
    w32::DWORD type = 0;
    if (w32::RegQueryValueExA(processor, "~MHz", nullptr, &type, reinterpret_cast<w32::BYTE*>(&mhz),
                              &mhz_size) == 0 &&
        type == w32::REG_DWORD && mhz_size == sizeof mhz) {
      std::snprintf(piece, sizeof piece, " %d MHz", static_cast<int>(mhz));
      append(field, piece);
    }
    append(field, " \n");
    w32::RegCloseKey(processor);
    return;
  }
}

}  // namespace

void initialize_system_info() {
  std::memset(&g_system_info, 0, sizeof g_system_info);
  g_system_info_filled = true;
  w32::OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  if (w32::GetVersionExA(&version)) {
    const char* name = version.dwPlatformId == w32::VER_PLATFORM_WIN32_NT        ? "Windows NT"
                       : version.dwPlatformId == w32::VER_PLATFORM_WIN32_WINDOWS ? "Windows 95"
                                                                                 : "";
    append(g_system_info.os_name, name);
    std::snprintf(g_system_info.version, SYSTEM_INFO_FIELD, "%1d.%1d",
                  static_cast<int>(version.dwMajorVersion),
                  static_cast<int>(version.dwMinorVersion));
    std::snprintf(g_system_info.build, SYSTEM_INFO_FIELD, "%1d",
                  static_cast<int>(version.dwBuildNumber & 0xFFFF));
  }
  w32::SYSTEM_INFO system = {};
  w32::GetSystemInfo(&system);
  w32::HKEY processors = nullptr;
  if (w32::RegOpenKeyExA(w32::HKEY_LOCAL_MACHINE, "hardware\\description\\system\\centralprocessor",
                         0, w32::KEY_QUERY_VALUE | w32::KEY_ENUMERATE_SUB_KEYS, &processors) != 0) {
    append(g_system_info.processor, processor_name(system.dwProcessorType));
    return;
  }
  describe_processor(processors, g_system_info.processor);
  w32::RegCloseKey(processors);
}

SystemInfo* vyn_get_system_info() {
  if (!g_system_info_filled) initialize_system_info();
  return &g_system_info;
}

int vyn_is_win95_running() {
  if (g_win95 < 0) {
    w32::OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    w32::GetVersionExA(&version);
    g_win95 = version.dwPlatformId != w32::VER_PLATFORM_WIN32_NT ? 1 : 0;
  }
  return g_win95;
}

int g_hostname(VynWchar* buffer, int size) {
  if (buffer == nullptr || size < 1) return 0;
  char name[kHostNameSize];
  int ok = vyn_get_hostname(name, sizeof name);
  if (!ok || strtows_bounded(buffer, static_cast<std::size_t>(size), name) != 0) {
    buffer[0] = 0;
    return 0;
  }
  return 1;
}

const VynWchar* get_localhostname() {
  if (!g_localhost_filled) {
    g_hostname(g_localhost, kHostNameSize);
    g_localhost_filled = true;
  }
  return g_localhost;
}

int gethostsex() {
  const std::uint16_t probe = 1;
  unsigned char first = 0;
  std::memcpy(&first, &probe, 1);
  return first == 1 ? 1 : 0;
}

int vyn_getuid() { return -1; }

int vyn_is_nan(double) { return 0; }

int vyn_putenv(const char* text) {
  if (text == nullptr) return -1;
  // setenv copies name and value, so the caller's text may change or go; a text without
  // '=' removes the variable, as glibc's putenv does.
  const char* equals = std::strchr(text, '=');
  if (equals == nullptr) return unsetenv(text);
  std::string name(text, static_cast<std::size_t>(equals - text));
  return setenv(name.c_str(), equals + 1, 1);
}

int stop_communications_for_system() { return 1; }

int vek_process_output(const char* command, char* buffer, int* size) {
  if (!buffer || !size || *size < 0 || !command) return -1;
  PF_File_Ptr output = nullptr;
  VynProc* child = nullptr;
  int status = pfu_popen(command, 0, 0, PROCESS_OUTPUT_BUFFER, nullptr, &output, &child);
  if (status != PFU_SUCCESS) return status;
  int count = 0;
  int read = pfu_fread(output, *size, &count, buffer);
  for (;;) {
    char rest[PROCESS_OUTPUT_BUFFER];
    int dropped = 0;
    if (pfu_fread(output, sizeof rest, &dropped, rest) != PFU_SUCCESS) break;
  }
  int exit_code = 0;
  int waited = vyn_wait_for_subproc(1, &child, &exit_code);
  pfu_fclose(&output);
  vyn_free_proc_handle(&child);
  *size = count;
  return waited >= 0 ? read : PFU_TRAP;
}

const VynWchar* vyn_get_user_name() {
  if (g_user_name[0] != 0) return g_user_name;
  char name[32] = "";
  w32::DWORD size = sizeof name;
  if (!w32::GetUserNameA(name, &size)) name[0] = '\0';
  const char* chosen = name;
  if (chosen[0] == '\0') {
    chosen = "nobody";
    for (const char* variable : {"USER", "user", "USERNAME"}) {
      const char* value = std::getenv(variable);
      if (value != nullptr) {
        chosen = value;
        break;
      }
    }
  }
  strtows_bounded(g_user_name, kUserNameSize, chosen);
  return g_user_name;
}

const VynWchar* vyn_get_user_name_uppercase() {
  const VynWchar* name = vyn_get_user_name();
  int i = 0;
  for (; name[i] != 0 && i < kUserNameSize - 1; ++i) g_user_name_upper[i] = wuppercase(name[i]);
  g_user_name_upper[i] = 0;
  return g_user_name_upper;
}

const VynWchar* vyn_set_user_name(const VynWchar* name) {
  wsncpy(g_user_name_saved, vyn_get_user_name(), kUserNameSize - 1);
  g_user_name_saved[kUserNameSize - 1] = 0;
  if (name != nullptr) {
    wsncpy(g_user_name, name, kUserNameSize - 1);
    g_user_name[kUserNameSize - 1] = 0;
  }
  return g_user_name_saved;
}

char* get_login_name(char* buffer, int size) {
  if (buffer == nullptr || size < 1) return buffer;
  w32::DWORD room = static_cast<w32::DWORD>(size);
  if (!w32::GetUserNameA(buffer, &room)) buffer[0] = '\0';
  return buffer;
}

int setup_word_from_release_string(char* word, const char* marker) {
  int length = 0;
  while (marker[length] != '\0' && (marker[length] < '0' || marker[length] > '9') && length < 31) {
    word[length] = marker[length];
    ++length;
  }
  word[length] = '\0';
  return length;
}

double get_vyndevapp_version(const char* path) {
  w32::HANDLE file = w32::CreateFileA(path, w32::GENERIC_READ, w32::FILE_SHARE_READ, nullptr,
                                      w32::OPEN_EXISTING, 0, nullptr);
  if (file == w32::INVALID_HANDLE_VALUE) return 0.0;
  char word[32];
  const std::size_t length =
      static_cast<std::size_t>(setup_word_from_release_string(word, vek_release_marker));
  const std::boyer_moore_horspool_searcher search(word, word + length);
  // A buffer's worth of new bytes after the length - 1 bytes carried over, so that a word
  // that spans two reads is found.
  constexpr std::size_t kRead = 4096;
  char buffer[kRead + 32];
  std::size_t held = 0;
  double result = 17.0;
  bool first = true;
  for (;;) {
    w32::DWORD got = 0;
    if (!w32::ReadFile(file, buffer + held, kRead, &got, nullptr)) {
      result = 0.0;
      break;
    }
    if (got == 0) {
      if (first) result = 0.0;  // nothing could be read: no file to search
      break;
    }
    first = false;
    held += got;
    char* found = std::search(buffer, buffer + held, search);
    if (found != buffer + held) {
      std::size_t at = static_cast<std::size_t>(found - buffer) + length;
      std::size_t left = held - at;
      char number[8] = {};
      if (left < 6) {
        std::memmove(buffer, buffer + at, left);
        w32::DWORD more = 0;
        if (!w32::ReadFile(file, buffer + left, kRead, &more, nullptr) || more == 0) {
          result = 0.0;
          break;
        }
        held = left + more;
        at = 0;
        left = held;
      }
      std::memcpy(number, buffer + at, left < 6 ? left : 6);
      result = std::atof(number);
      break;
    }
    std::size_t keep = held < length - 1 ? held : length - 1;
    std::memmove(buffer, buffer + held - keep, keep);
    held = keep;
  }
  w32::CloseHandle(file);
  return result;
}

void sysinfo_testing_reset() {
  std::memset(&g_system_info, 0, sizeof g_system_info);
  g_system_info_filled = false;
  g_win95 = -1;
  g_localhost[0] = 0;
  g_localhost_filled = false;
  g_user_name[0] = 0;
  g_user_name_upper[0] = 0;
  g_user_name_saved[0] = 0;
}

}  // namespace vek
