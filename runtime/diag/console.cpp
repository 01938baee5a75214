#include "runtime/diag/console.h"

#include <unistd.h>

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "fileaccess/names/oshelp.h"
#include "runtime/diag/console_testing.h"
#include "runtime/diag/runmode.h"

namespace vek {

namespace {

int no_console;
// The no-console files, opened on first use and kept for the life of the process.
std::FILE* vyn_out;
std::FILE* vyn_err;
// Result buffer of cvt_rcp_format_to_win32_lanman, overwritten by each call.
char ret_cmd[1028];
int geteuid_called;
int getegid_called;

ConsoleSink console_sink;
void* console_sink_context;

// The no-console file behind *stream, opened (emptied) on first use; null when it
// cannot be opened, so that the next call tries again.
std::FILE* no_console_file(std::FILE** stream, const char* name) {
  if (!*stream) *stream = dci_fopen(name, "w");
  return *stream;
}

// Formats the text and hands it to the sink, whatever its length.
int write_to_sink(std::FILE* stream, const char* format, std::va_list args) {
  char small[512];
  std::va_list again;
  va_copy(again, args);
  int n = std::vsnprintf(small, sizeof small, format, args);
  if (n < 0) {
    va_end(again);
    return -1;
  }
  char* text = small;
  if (static_cast<std::size_t>(n) >= sizeof small) {
    text = static_cast<char*>(std::malloc(static_cast<std::size_t>(n) + 1));
    if (text) {
      std::vsnprintf(text, static_cast<std::size_t>(n) + 1, format, again);
    } else {
      // Without memory the sink gets what fitted.
      text = small;
      n = static_cast<int>(sizeof small) - 1;
    }
  }
  va_end(again);
  console_sink(stream, text, n, console_sink_context);
  if (text != small) std::free(text);
  return n;
}

int write_console(std::FILE* stream, const char* format, std::va_list args) {
  if (!format) return -1;
  if (console_sink) return write_to_sink(stream, format, args);
  if (!stream) return -1;
  int n = std::vfprintf(stream, format, args);
  std::fflush(stream);
  return n;
}

int is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Copies text into ret_cmd; 0 when it does not fit.
int put_ret_cmd(const char* text) {
  std::size_t n = std::strlen(text);
  if (n >= sizeof ret_cmd) return 0;
  std::memcpy(ret_cmd, text, n + 1);
  return 1;
}

// The low 8 bits of the integer part of v, as the int conversion would give them.
int low_byte(double v) {
  double r = std::fmod(std::trunc(v), 256.0);
  if (std::isnan(r)) return 0;
  if (r < 0) r += 256.0;
  return static_cast<int>(r);
}

// The user and group ids are placeholders that give 0. The first call of each says so,
// outside run mode 0.
int dummy_id(int* called) {
  if (!*called) {
    *called = 1;
    if (get_run_mode() != 0) ivek_printf("DUMMY - getpid\n");
  }
  return 0;
}

// X11 placeholders: silent in run mode 0, else they say what they are.
int x11_placeholder(const char* message, int gives_count) {
  if (get_run_mode() == 0) return 0;
  int n = ivek_printf("%s", message);
  return gives_count ? n : 0;
}

}  // namespace

int ivek_vprintf(const char* format, std::va_list args) {
  std::FILE* stream = stdout;
  if (no_console && !console_sink) {
    stream = no_console_file(&vyn_out, "std.out");
    if (!stream) return -1;
  }
  return write_console(stream, format, args);
}

int ivek_printf(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  int n = ivek_vprintf(format, args);
  va_end(args);
  return n;
}

int ivek_vfprintf(std::FILE* stream, const char* format, std::va_list args) {
  if (no_console && !console_sink && stream == stderr) {
    stream = no_console_file(&vyn_err, "std.err");
    if (!stream) return -1;
  }
  return write_console(stream, format, args);
}

int ivek_fprintf(std::FILE* stream, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  int n = ivek_vfprintf(stream, format, args);
  va_end(args);
  return n;
}

int Gdi32SetNoConsole(int flag) {
  no_console = flag;
  return flag;
}

char* cvt_rcp_format_to_win32_lanman(char* name) {
  if (!name) return nullptr;
  char* first = std::strchr(name, ':');
  if (!first) {
    ivek_printf("No host specifiers in rcp cmd - \"%s\", no translation.\n", name);
    return name;
  }
  char* second = std::strchr(first + 1, ':');
  if (!second) {
    // Only a local name, d:path, has a single ':'.
    if (first == name + 1 && is_letter(name[0])) return put_ret_cmd(name) ? ret_cmd : name;
    ivek_printf("No drive specifier in rcp cmd - \"%s\", no translation.\n", name);
    return name;
  }
  if (second == first + 2 && is_letter(first[1])) {
    // host:d:path becomes \\host\d$\path.
    const char* path = second + 1;
    int n = std::snprintf(ret_cmd, sizeof ret_cmd, "\\\\%.*s\\%c$%s%s",
                          static_cast<int>(first - name), name, first[1],
                          path[0] == '\\' ? "" : "\\", path);
    if (n < 0 || static_cast<std::size_t>(n) >= sizeof ret_cmd) return name;
    return ret_cmd;
  }
  return put_ret_cmd(name) ? ret_cmd : name;
}

void bzero(void* address, std::size_t n) {
  if (n) std::memset(address, 0, n);
}

void bcopy(const void* source, void* target, std::size_t n) {
  if (n) std::memmove(target, source, n);
}

int getpid() { return static_cast<int>(::getpid()); }

int geteuid() { return dummy_id(&geteuid_called); }

int getegid() { return dummy_id(&getegid_called); }

int strcasecmp(const char* a, const char* b) {
  if (!a || !b) return (a != nullptr) - (b != nullptr);
  for (;; ++a, ++b) {
    int ca = std::tolower(static_cast<unsigned char>(*a));
    int cb = std::tolower(static_cast<unsigned char>(*b));
    if (ca != cb || ca == 0) return ca - cb;
  }
}

double rint(double x) {
  double t = x + 0.5;
  if (t > INT_MIN - 1.0 && t < INT_MAX + 1.0) return static_cast<double>(static_cast<int>(t));
  return std::trunc(t);
}

int pack_rgb(const double colour[3]) {
  if (!colour) return 0;
  int c[3];
  for (int i = 0; i < 3; ++i) c[i] = low_byte(colour[i] * 255.0 + 0.5 + 1e-9);
  return static_cast<int>(static_cast<unsigned>(c[0]) << 16 | static_cast<unsigned>(c[1]) << 8 |
                          static_cast<unsigned>(c[2]));
}

// Message and result kind of every X11 placeholder.
#define VEK_X11_PLACEHOLDERS(X)                                               \
  X(get_key_buffer, "DUMMY - get_key_buffer\n", 1)                            \
  X(x11_true_encode_color, "DUMMY - x11_encode_true_color\n", 1)              \
  X(x11_true_decode_color, "DUMMY - x11_decode_true_color\n", 1)              \
  X(x_create_cmap_graphics, "DUMMY - x_create_cmap_graphics\n", 1)            \
  X(x_create_gc_graphics, "DUMMY - x_create_gc_graphics\n", 1)                \
  X(x_create_visual_graphics, "DUMMY - x_create_visual_graphics\n", 1)        \
  X(x_has_input_device, "DUMMY - x_has_input_device\n", 1)                    \
  X(x_pseudocolor_mapsize, "DUMMY - x_pseudocolor_mapsize\n", 1)              \
  X(max_pseudocolor_map_size, "DUMMY - max_pseudocolor_map_size\n", 1)        \
  X(x_setup_color_map, "DUMMY - x_setup_color_map\n", 1)                      \
  X(x_setup_gc, "DUMMY - x_setup_gc\n", 1)                                    \
  X(is_bad_japanese_server, "DUMMY - is_bad_japanese_server\n", 0)            \
  X(putxyres, "DUMMY - putxyres\n", 0)                                        \
  X(vyn_set_input_devices_allowed, "DUMMY - vyn_set_input_devices_allowed\n", 0) \
  X(set_get_display_func, "DUMMY - set_get_display_func\n", 0)                \
  X(set_init_active_area_func, "DUMMY - set_init_active_area_func\n", 0)

#define VEK_X11_DEFINE(name, message, gives_count) \
  int name() { return x11_placeholder(message, gives_count); }
VEK_X11_PLACEHOLDERS(VEK_X11_DEFINE)
#undef VEK_X11_DEFINE
#undef VEK_X11_PLACEHOLDERS

void x11_init_async_queue() {}

ConsoleSink console_testing_set_sink(ConsoleSink sink, void* context) {
  ConsoleSink previous = console_sink;
  console_sink = sink;
  console_sink_context = sink ? context : nullptr;
  return previous;
}

void console_testing_reset() {
  if (vyn_out) std::fclose(vyn_out);
  if (vyn_err) std::fclose(vyn_err);
  vyn_out = nullptr;
  vyn_err = nullptr;
  no_console = 0;
  geteuid_called = 0;
  getegid_called = 0;
}

}  // namespace vek
