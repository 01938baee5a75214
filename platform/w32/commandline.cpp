#include "platform/w32/commandline.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/w32/ascii.h"
#include "platform/w32/codepage.h"
#include "platform/w32/commandline_testing.h"
#include "platform/w32/error.h"
#include "platform/w32/path.h"
#include "platform/w32/process.h"
#include "platform/w32/winpath.h"

namespace w32 {

namespace {

// The line GetCommandLineW answers: malloc'd once and kept for the process, as callers
// may hold it for its whole life. Guarded by g_lock.
WCHAR* g_line = nullptr;
pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;

std::size_t wide_length(const WCHAR* text) {
  std::size_t length = 0;
  while (text[length] != 0) ++length;
  return length;
}

// UTF-8 (length bytes) as UTF-16, ill-formed sequences as U+FFFD.
std::u16string from_utf8(const char* text, std::size_t length) {
  if (length == 0) return std::u16string();
  int units = MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0);
  std::u16string wide(static_cast<std::size_t>(units > 0 ? units : 0), u'\0');
  if (units > 0)
    MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(length), wide.data(), units);
  return wide;
}

// Appends argument by the quoting rules to line.
void append_quoted(std::u16string* line, const std::u16string& argument, bool first) {
  bool plain = !argument.empty();
  for (WCHAR c : argument)
    if (is_blank(c) || (!first && c == u'"')) plain = false;
  if (plain) {
    line->append(argument);
    return;
  }
  line->push_back(u'"');
  if (first) {
    line->append(argument);
  } else {
    std::size_t backslashes = 0;
    for (WCHAR c : argument) {
      if (c == u'\\') {
        ++backslashes;
        continue;
      }
      // Backslashes before a '"' are doubled and the '"' escaped; others stay.
      line->append(c == u'"' ? 2 * backslashes + 1 : backslashes, u'\\');
      backslashes = 0;
      line->push_back(c);
    }
    // Backslashes before the closing '"' are doubled.
    line->append(2 * backslashes, u'\\');
  }
  line->push_back(u'"');
}

// The Windows name of the program that this process runs, in UTF-16.
std::u16string own_program() {
  char posix[W32_PATH_CAPACITY];
  ssize_t length = readlink("/proc/self/exe", posix, sizeof posix - 1);
  if (length <= 0) return std::u16string();
  posix[length] = '\0';
  WCHAR name[W32_PATH_CAPACITY];
  if (!w32_windows_path_from_posix_w(posix, name, W32_PATH_CAPACITY))
    return from_utf8(posix, std::strlen(posix));
  return std::u16string(name);
}

// The first POSIX argument as a Windows name: an absolute path by its drive, a
// relative one with '\' for '/'.
std::u16string program_name(const char* argument) {
  if (argument[0] == '/') {
    WCHAR name[W32_PATH_CAPACITY];
    if (w32_windows_path_from_posix_w(argument, name, W32_PATH_CAPACITY)) return name;
  }
  std::u16string name = from_utf8(argument, std::strlen(argument));
  for (WCHAR& c : name)
    if (c == u'/') c = u'\\';
  return name;
}

// The line made of the POSIX arguments of this process.
std::u16string line_from_arguments() {
  std::string bytes;
  int fd = ::open("/proc/self/cmdline", O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    char buffer[4096];
    for (;;) {
      ssize_t got = ::read(fd, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
  }
  std::u16string line;
  std::size_t at = 0;
  bool first = true;
  while (at < bytes.size()) {
    const char* argument = bytes.c_str() + at;
    std::size_t length = std::strlen(argument);
    if (first) {
      append_quoted(&line, program_name(argument), true);
    } else {
      line.push_back(u' ');
      append_quoted(&line, from_utf8(argument, length), false);
    }
    first = false;
    at += length + 1;
  }
  if (first) append_quoted(&line, own_program(), true);
  return line;
}

WCHAR* keep(const std::u16string& line) {
  WCHAR* kept = static_cast<WCHAR*>(std::malloc((line.size() + 1) * sizeof(WCHAR)));
  if (kept == nullptr) return nullptr;
  std::memcpy(kept, line.c_str(), (line.size() + 1) * sizeof(WCHAR));
  return kept;
}

// Splits line by the rules; writes the arguments (each terminated) to text and their
// starts to starts when these are given. Returns the number of arguments and adds the
// units the texts take, terminators included, to *units.
int split(const WCHAR* line, WCHAR* text, WCHAR** starts, std::size_t* units) {
  std::size_t out = 0;
  auto put = [&](WCHAR c) {
    if (text != nullptr) text[out] = c;
    ++out;
  };
  int count = 0;
  const WCHAR* s = line;
  // The program: to the closing '"', or to the first blank.
  if (starts != nullptr) starts[count] = text + out;
  if (*s == u'"') {
    ++s;
    while (*s != 0 && *s != u'"') put(*s++);
    if (*s == u'"') ++s;
  } else {
    while (*s != 0 && !is_blank(*s)) put(*s++);
  }
  put(0);
  ++count;
  for (;;) {
    while (is_blank(*s)) ++s;
    if (*s == 0) break;
    if (starts != nullptr) starts[count] = text + out;
    bool quoted = false;
    while (*s != 0 && (quoted || !is_blank(*s))) {
      if (*s == u'\\') {
        std::size_t backslashes = 0;
        while (*s == u'\\') {
          ++backslashes;
          ++s;
        }
        if (*s == u'"') {
          for (std::size_t i = 0; i < backslashes / 2; ++i) put(u'\\');
          if (backslashes % 2 == 1) {
            put(u'"');
            ++s;
          }
          // An even count leaves the '"' to act as a quote below.
        } else {
          for (std::size_t i = 0; i < backslashes; ++i) put(u'\\');
        }
        continue;
      }
      if (*s == u'"') {
        if (quoted && s[1] == u'"') {
          put(u'"');
          s += 2;
          quoted = false;
        } else {
          quoted = !quoted;
          ++s;
        }
        continue;
      }
      put(*s++);
    }
    put(0);
    ++count;
  }
  *units += out;
  return count;
}

}  // namespace

WCHAR* GetCommandLineW() {
  pthread_mutex_lock(&g_lock);
  if (g_line == nullptr) {
    const char* given = std::getenv(W32_COMMAND_LINE_VARIABLE);
    g_line = keep(given != nullptr ? from_utf8(given, std::strlen(given)) : line_from_arguments());
  }
  WCHAR* line = g_line;
  pthread_mutex_unlock(&g_lock);
  // Only when there was no memory for it: an empty line, which names no program.
  static WCHAR empty[1] = {0};
  return line != nullptr ? line : empty;
}

WCHAR** CommandLineToArgvW(const WCHAR* command_line, int* count) {
  if (command_line == nullptr || count == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::u16string program;
  if (command_line[0] == 0) {
    program = own_program();
    program.insert(program.begin(), u'"');
    program.push_back(u'"');
    command_line = program.c_str();
  }
  std::size_t units = 0;
  int arguments = split(command_line, nullptr, nullptr, &units);
  std::size_t array = (static_cast<std::size_t>(arguments) + 1) * sizeof(WCHAR*);
  void* block = std::malloc(array + units * sizeof(WCHAR));
  if (block == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  WCHAR** argv = static_cast<WCHAR**>(block);
  WCHAR* text = reinterpret_cast<WCHAR*>(static_cast<char*>(block) + array);
  units = 0;
  split(command_line, text, argv, &units);
  argv[arguments] = nullptr;
  *count = arguments;
  return argv;
}

HLOCAL LocalFree(HLOCAL memory) {
  std::free(memory);
  return nullptr;
}

BOOL w32_append_quoted_argument(WCHAR* line, int* length, int capacity, const WCHAR* argument,
                                BOOL first) {
  if (line == nullptr || length == nullptr || argument == nullptr || *length < 0 ||
      capacity < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::u16string quoted;
  append_quoted(&quoted, std::u16string(argument, wide_length(argument)), first != FALSE);
  if (static_cast<std::size_t>(*length) + quoted.size() + 1 > static_cast<std::size_t>(capacity)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(line + *length, quoted.c_str(), (quoted.size() + 1) * sizeof(WCHAR));
  *length += static_cast<int>(quoted.size());
  return TRUE;
}

void commandline_testing_set(const WCHAR* line) {
  pthread_mutex_lock(&g_lock);
  std::free(g_line);
  g_line = line != nullptr ? keep(std::u16string(line, wide_length(line))) : nullptr;
  pthread_mutex_unlock(&g_lock);
}

void commandline_testing_reset() { commandline_testing_set(nullptr); }

}  // namespace w32
