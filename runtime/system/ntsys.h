// Win32 replacements of Unix services: process times, sleep, the host name, raw
// printing, the alarm signal by a timer thread, and the network self-check.
#pragma once

#include <csignal>

#include "platform/w32/types.h"

namespace vek {

// The computer name into buffer (length bytes with the terminator): nonzero on success;
// 0 with an empty buffer when the name does not fit or cannot be read, and 0 for a null
// buffer or a length below 1.
int NT_gethostname(char* buffer, int length);

// The four times of a process, in milliseconds, as 32-bit ints.
struct VynTimes {
  int elapsed;  // since the first call of times, in whole seconds times 1000
  int cpu;      // user and kernel time of the process
  int children_user;
  int children_system;
};
static_assert(sizeof(VynTimes) == 16);

// Fills *record (when given) and returns its first field. Every clock is the layer's
// (platform/w32/clock.h), so a test's clock drives it.
int times(VynTimes* record);
// Sleeps seconds (none for 0 or less); returns seconds.
int sleep(int seconds);

// The default printer's name (the profile's "device" of "windows", up to its first
// ','): 1, or 0 with out (which holds 256 bytes) empty.
int get_windows_printer(char* out);
// Opens a raw print job on printer with one page under way; *handle gets it. Nonzero on
// success; 0 with *handle null.
int WIN32_open_printer(const char* printer, const char* document, w32::HANDLE* handle);
// Writes length bytes of data into the job: the bytes written, or -1.
int WIN32_write_printer(w32::HANDLE* handle, const void* data, int length);
// Ends the page, the job and the printer: 1 when the job ended cleanly.
int WIN32_close_printer(w32::HANDLE* handle);
void WIN32_CreateIcon();

typedef void (*NtSignalHandler)(int);
constexpr int NT_SIGALRM = 14;
// For signal 14 keeps handler for the alarm and returns the one kept before; for any
// other signal, what the C runtime's signal returns.
NtSignalHandler NT_signal(int signal, NtSignalHandler handler);
// The handler kept for the alarm, read without replacing it.
NtSignalHandler NT_alarm_handler();
// After seconds calls the kept alarm handler with 10 on a timer thread, unless the alarm
// is ended first or no handler (or SIG_IGN) is kept then. An alarm that is still
// pending is ended first, as a new POSIX alarm replaces the old one. 0; 0 too, with
// "Failed to create timer thread.\n" printed, when no thread can be made.
int NT_alarm(int seconds);
// Ends the pending alarm before it fires: 1. Without one, prints "No alarm to
// terminate.\n" and returns the count printed.
int NT_terminate_alarm();

// The system-check error bits: 0 clears them, any other value adds its bits; 1.
int W32ChkSysParm_SetError(int bits);
// 1 when every bit given is set.
int W32ChkSysParm_IsErrorSet(int bits);
// Checks the host and computer names, the network services and a loopback connection
// over the host's address; 1 when all passed, else 0 with the failures as error bits.
int CheckNetworkSetup();

}  // namespace vek
