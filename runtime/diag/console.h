// Console output of the run-time library and the Unix functions that Win32 lacks.
#pragma once

#include <cstdarg>
#include <cstdio>

#include "runtime/vekbase.h"

namespace vek {

// Diagnostic output: standard output (or "std.out" in no-console mode), flushed after
// every call. Returns the count of characters written, or -1.
int ivek_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
int ivek_vprintf(const char* format, std::va_list args);
// The same for any stream; in no-console mode standard error goes to "std.err".
int ivek_fprintf(std::FILE* stream, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
int ivek_vfprintf(std::FILE* stream, const char* format, std::va_list args);

int Gdi32SetNoConsole(int flag);

char* cvt_rcp_format_to_win32_lanman(char* name);

void bzero(void* address, std::size_t n);
void bcopy(const void* source, void* target, std::size_t n);
int getpid();
int geteuid();
int getegid();
int strcasecmp(const char* a, const char* b);
double rint(double x);
int pack_rgb(const double colour[3]);

// X11 placeholders: silent in run mode 0, otherwise they print what they are.
int get_key_buffer();
int x11_true_encode_color();
int x11_true_decode_color();
int x_create_cmap_graphics();
int x_create_gc_graphics();
int x_create_visual_graphics();
int x_has_input_device();
int x_pseudocolor_mapsize();
int max_pseudocolor_map_size();
int x_setup_color_map();
int x_setup_gc();
int is_bad_japanese_server();
int putxyres();
int vyn_set_input_devices_allowed();
int set_get_display_func();
int set_init_active_area_func();
void x11_init_async_queue();

}  // namespace vek
