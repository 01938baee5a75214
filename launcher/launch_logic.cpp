#include "launcher/launch_logic.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/w32/ascii.h"
#include "platform/w32/codepage.h"

namespace trovask {

namespace {

// _wcsicmp in the C locale: ASCII letters compare without case.
bool equal_wide_folded(const char16_t* a, const char16_t* b) {
  for (;; ++a, ++b) {
    if (w32::ascii_lower(*a) != w32::ascii_lower(*b)) return false;
    if (*a == u'\0') return true;
  }
}

bool is_letter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool is_absolute(const char* dir) {
  return is_letter(dir[0]) && dir[1] == ':' && w32::is_path_delimiter(dir[2]);
}

bool is_network(const char* dir) {
  return w32::is_path_delimiter(dir[0]) && w32::is_path_delimiter(dir[1]);
}

// Appends one character; false when there is no room for it and the terminator.
bool append_char(char* buffer, std::size_t size, std::size_t* length, char c) {
  if (*length + 1 >= size) return false;
  buffer[(*length)++] = c;
  buffer[*length] = '\0';
  return true;
}

}  // namespace

bool format_text(char* buffer, std::size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int written = std::vsnprintf(buffer, size, format, args);
  va_end(args);
  return written >= 0 && static_cast<std::size_t>(written) < size;
}

bool append_text(char* buffer, std::size_t size, const char* text) {
  std::size_t length = std::strlen(buffer);
  if (length >= size) return false;
  return format_text(buffer + length, size - length, "%s", text);
}

bool narrow_text(const char16_t* wide, char* buffer, std::size_t size) {
  if (size == 0) return false;
  buffer[0] = '\0';
  int capacity = static_cast<int>(size > 0x7FFFFFFF ? 0x7FFFFFFF : size);
  int written = w32::WideCharToMultiByte(w32::CP_ACP, 0, wide, -1, buffer, capacity, nullptr,
                                         nullptr);
  if (written > 0) return true;
  // Too long: the converter filled what fits; cut it so that it stays terminated and no
  // two-byte character is split.
  std::size_t length = 0;
  while (length + 1 < size && buffer[length] != '\0') ++length;
  std::size_t keep = 0;
  for (std::size_t i = 0; i < length;) {
    std::size_t step = w32::IsDBCSLeadByteEx(w32::CP_ACP, static_cast<w32::BYTE>(buffer[i])) ? 2 : 1;
    if (i + step > length) break;
    i += step;
    keep = i;
  }
  buffer[keep] = '\0';
  return false;
}

bool split_launcher_path(const char16_t* argv0, std::size_t* dir_length, const char16_t** name) {
  const char16_t* last = nullptr;
  for (const char16_t* p = argv0; *p != u'\0'; ++p)
    if (*p == u'\\') last = p;
  if (last == nullptr) return false;
  *dir_length = static_cast<std::size_t>(last - argv0);
  *name = last + 1;
  return true;
}

bool is_utility_name(const char16_t* name) {
  static const char16_t kOwnName[] = u"veksetup.exe";
  for (std::size_t i = 0;; ++i) {
    if (name[i] != kOwnName[i]) return false;
    if (name[i] == u'\0') return true;
  }
}

bool complete_start_directory(char* dir, const char* current_directory) {
  std::size_t length = std::strlen(dir);
  bool whole = true;
  if (length == 2 && is_letter(dir[0]) && dir[1] == ':') {
    char drive[TEXT_SIZE];
    std::memcpy(drive, dir, 3);
    whole = format_text(dir, TEXT_SIZE, "%s\\", drive);
  } else if ((length >= 2 && is_network(dir)) || (length >= 3 && is_absolute(dir)) ||
             current_directory == nullptr) {
    return true;
  } else {
    char relative[TEXT_SIZE];
    std::memcpy(relative, dir, length + 1);
    if (std::strcmp(relative, ".") == 0)
      whole = format_text(dir, TEXT_SIZE, "%s", current_directory);
    else
      whole = format_text(dir, TEXT_SIZE, "%s\\%s", current_directory, relative);
  }
  if (!whole) dir[0] = '\0';
  return whole;
}

bool is_usable_start_directory(const char* dir) {
  std::size_t length = std::strlen(dir);
  return (length >= 3 && is_absolute(dir)) || (length >= 2 && is_network(dir));
}

bool append_argument(char* passed, std::size_t size, const char* argument) {
  bool plain = argument[0] != '\0' && std::strpbrk(argument, " \t\n\v\"") == nullptr;
  if (plain) return append_text(passed, size, argument);
  std::size_t length = std::strlen(passed);
  if (length >= size) return false;
  std::size_t start = length;
  bool fits = append_char(passed, size, &length, '"');
  for (const char* p = argument; fits; ++p) {
    std::size_t backslashes = 0;
    while (*p == '\\') {
      ++p;
      ++backslashes;
    }
    // Backslashes are literal unless a '"' follows them, here or as the closing quote.
    std::size_t copies = *p == '\0' || *p == '"' ? 2 * backslashes : backslashes;
    for (std::size_t i = 0; i < copies && fits; ++i) fits = append_char(passed, size, &length, '\\');
    if (*p == '\0') break;
    if (*p == '"') fits = fits && append_char(passed, size, &length, '\\');
    fits = fits && append_char(passed, size, &length, *p);
  }
  fits = fits && append_char(passed, size, &length, '"');
  // A half-quoted argument would change the meaning of all that follows: drop it whole.
  if (!fits) passed[start] = '\0';
  return fits;
}

bool append_program(char* command, std::size_t size, const char* program) {
  if (std::strpbrk(program, " \t") == nullptr) return append_text(command, size, program);
  std::size_t length = std::strlen(command);
  if (length >= size) return false;
  if (format_text(command + length, size - length, "\"%s\"", program)) return true;
  command[length] = '\0';
  return false;
}

void parse_options(int argc, const char16_t* const* argv, LaunchOptions* options) {
  options->lang_given = false;
  options->lang[0] = '\0';
  options->passed[0] = '\0';
  for (int i = 1; i < argc; ++i) {
    if (equal_wide_folded(argv[i], u"-lang")) {
      ++i;
      // A value that does not fit whole is not taken: a cut LANG names some other
      // language. An earlier value then stays, as it stays set.
      char value[TEXT_SIZE];
      char assignment[TEXT_SIZE];
      if (i < argc && narrow_text(argv[i], value, sizeof value) &&
          format_text(assignment, sizeof assignment, "LANG=%s", value)) {
        std::memcpy(options->lang, assignment, sizeof assignment);
        options->lang_given = true;
      }
    } else if (equal_wide_folded(argv[i], u"-vekutil")) {
      // The option takes no value: the argument after it is read as any other.
      options->utility = true;
      append_text(options->passed, sizeof options->passed, " -vekutil");
    } else {
      char argument[TEXT_SIZE];
      if (!narrow_text(argv[i], argument, sizeof argument)) continue;  // dropped whole, not cut
      std::size_t before = std::strlen(options->passed);
      if (!append_text(options->passed, sizeof options->passed, " ") ||
          !append_argument(options->passed, sizeof options->passed, argument))
        options->passed[before] = '\0';
    }
  }
}

void add_assignment(Assignments* list, const char* format, const char* value) {
  if (list->count == MAX_ASSIGNMENTS) return;
  // The format is one of this file's own, with one %s (or %d taking no value).
  char* text = list->text[list->count++];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  std::snprintf(text, TEXT_SIZE, format, value);
#pragma GCC diagnostic pop
}

void base_assignments(const char* machine_type, bool utility, const char* start_dir,
                      bool vs_help_set, Assignments* list) {
  list->count = 0;
  add_assignment(list, "VYN_MACHINE_TYPE=%s", machine_type);
  if (utility) {
    add_assignment(list, "VEK_CDHOME=%s\\", start_dir);
    add_assignment(list, "DVS_DIRECTORY=%s\\dsrc", start_dir);
    add_assignment(list, "VS_DIRECTORY=%s\\dsrc", start_dir);
    if (list->count < MAX_ASSIGNMENTS)
      std::snprintf(list->text[list->count++], TEXT_SIZE, "USE_NEW_SELECTION_TRAILING=%d", 0);
  }
  if (!vs_help_set) add_assignment(list, "VS_HELP=0%s", "");
}

void medium_assignments(const char* start_dir, Assignments* list) {
  list->count = 0;
  add_assignment(list, "VEK_CDHOME=%s\\", start_dir);
  add_assignment(list, "DVS_DIRECTORY=%s\\dsrc", start_dir);
  add_assignment(list, "VS_DIRECTORY=%s\\dsrc", start_dir);
}

bool setup_program_name(const char* start_dir, const char* machine_type, char* name,
                        std::size_t size) {
  return format_text(name, size, "%s\\dsrc\\%s\\obj\\veksetup.exe ", start_dir, machine_type);
}

bool setup_library_name(const char* start_dir, const char* machine_type, char* name,
                        std::size_t size) {
  return format_text(name, size, "%s\\dsrc\\%s\\obj\\mfc42.dll", start_dir, machine_type);
}

bool finish_temp_program_name(char* name, std::size_t size) {
  std::size_t length = std::strlen(name);
  if (length >= 4 && name[length - 4] == '.') name[length - 4] = '_';
  return append_text(name, size, ".exe");
}

void key_path_start(KeyPath* path) {
  static const char kRoot[] = "SOFTWARE\\VEK\\VEK.Setup\\";
  std::memcpy(path->text, kRoot, sizeof kRoot);
  path->length = sizeof kRoot - 1;
  path->overflow = false;
}

void key_path_add(KeyPath* path, int c) {
  if (c == '\r') return;
  char out = c == '\n' ? '\\' : static_cast<char>(c);
  if (!append_char(path->text, sizeof path->text, &path->length, out)) path->overflow = true;
}

}  // namespace trovask
