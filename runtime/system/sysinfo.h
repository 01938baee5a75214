// Facts about the machine and the user, each found once and kept: the system record,
// the operating-system family, the host name, the byte order, the user's name and the
// release number stamped into a program file.
#pragma once

#include "runtime/vekbase.h"

namespace vek {

constexpr int SYSTEM_INFO_FIELD = 260;

// The system record, five texts: the operating system's name, its version
// ("major.minor"), its build number, a field that stays empty, and the processor.
struct SystemInfo {
  char os_name[SYSTEM_INFO_FIELD];
  char version[SYSTEM_INFO_FIELD];
  char build[SYSTEM_INFO_FIELD];
  char unused[SYSTEM_INFO_FIELD];
  char processor[SYSTEM_INFO_FIELD];
};
static_assert(sizeof(SystemInfo) == 5 * 260);

// Fills the system record (see sysinfo.cpp for the processor text).
void initialize_system_info();
// The system record, filled on the first call.
SystemInfo* vyn_get_system_info();
// 1 when the system is not of the NT platform, else 0; asked once.
int vyn_is_win95_running();

// The computer's name as a wide string in buffer (size wide characters with the
// terminator), at most 64 characters read: nonzero, or 0 with an empty string.
int g_hostname(VynWchar* buffer, int size);
// A process-wide wide copy of the host name, filled on the first call.
const VynWchar* get_localhostname();
// 1 on a little-endian machine, 0 on a big-endian one.
int gethostsex();
int vyn_getuid();
int vyn_is_nan(double value);
// Puts "NAME=value" into the environment (a text without '=' removes NAME). Name and
// value are copied, so the caller's buffer may change or go. 0, or -1 for a null text or
// a refused name.
int vyn_putenv(const char* text);
// 1, nothing else: there is no communication to stop here.
int stop_communications_for_system();

// Runs command with its standard output and error piped back and reads up to *size bytes
// of that into buffer; *size becomes the bytes read. The rest of the output is read and
// dropped, so that a talkative child cannot block, before the child is waited for. The
// read's status (1 when *size bytes came, 3 when the output ended first) when the wait
// worked, 4 when it failed; the status of a start that failed; -1 for a null buffer,
// size or command, or a negative size.
int vek_process_output(const char* command, char* buffer, int* size);

// The user's name, found once: the Win32 user name (at most 31 characters), else the
// variables USER, user and USERNAME in this order, else "nobody".
const VynWchar* vyn_get_user_name();
// An upper-case copy of it.
const VynWchar* vyn_get_user_name_uppercase();
// Keeps the current name in a buffer of its own and returns it; name (when not null)
// replaces the current one, cut to 256 characters.
const VynWchar* vyn_set_user_name(const VynWchar* name);
// The Win32 user name into buffer (size bytes), empty when it cannot be had; buffer.
char* get_login_name(char* buffer, int size);

// The release marker this library carries in its data: its word (the part before the
// first digit) followed by the release number.
extern const char vek_release_marker[];

// The release number stamped into the file at path (a POSIX or Windows name): the six
// bytes after the first occurrence of the marker's word, read as a number; 17.0 when
// the file holds no word; 0.0 when the file cannot be opened or read.
double get_vyndevapp_version(const char* path);
// Copies marker up to its first digit into word (which holds 32 bytes); the length.
int setup_word_from_release_string(char* word, const char* marker);

}  // namespace vek
