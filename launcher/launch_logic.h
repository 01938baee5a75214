// The launcher's decisions on their inputs alone: the start directory, the options, the
// environment for the setup program, the command that starts it and the temporary name
// of its copy. The launch sequence (launch_setup.h) feeds them from the platform.
//
// Every text lives in a fixed buffer of the size given below. A text that would not fit
// is cut at its buffer (never written beyond it), and the functions that build one say
// so by returning false.
#pragma once

#include <cstddef>

namespace trovask {

constexpr std::size_t TEXT_SIZE = 1024;        // directories, arguments, commands, assignments
constexpr std::size_t KEY_PATH_SIZE = 256;     // the registry key path from a disc file
constexpr std::size_t PROCESS_ID_SIZE = 32;    // a process id as text
constexpr std::size_t REG_VALUE_LIMIT = 255;   // the bytes read from the registry value

// Formats into a buffer of size bytes; false when the text was cut.
bool format_text(char* buffer, std::size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
// Appends text; false when it was cut.
bool append_text(char* buffer, std::size_t size, const char* text);

// Converts wide text to narrow text in the system code page, as wcstombs into a buffer
// of size bytes: always terminated; a character the code page lacks becomes '?'. False
// when the text was cut.
bool narrow_text(const char16_t* wide, char* buffer, std::size_t size);

// Where argv[0] puts its last '\\': the directory part is argv0[0 .. *dir_length) and the
// launcher's own file name starts at *name. False when there is no backslash.
bool split_launcher_path(const char16_t* argv0, std::size_t* dir_length, const char16_t** name);

// Whether the launcher's own file name makes it the setup utility: exactly
// "veksetup.exe", case-sensitive.
bool is_utility_name(const char16_t* name);

// Makes the narrow start directory dir (a buffer of TEXT_SIZE) usable: a bare drive gets
// its backslash, a network or absolute path stays, and a relative one is put below
// current_directory (null: it could not be read, and dir stays as it is). False when the
// completed directory does not fit: dir is then empty, as a cut one names another.
bool complete_start_directory(char* dir, const char* current_directory);

// Whether a start directory is absolute ("X:\\..." or "X:/...") or a network path
// ("\\\\..." with either delimiter), as the setup program needs.
bool is_usable_start_directory(const char* dir);

// The options of the command line (argv[1 .. argc)).
struct LaunchOptions {
  bool utility;            // in: set by the own name; out: also by "-vekutil"
  bool lang_given;         // the last "-lang" had a value
  char lang[TEXT_SIZE];    // "LANG=<value>" for the environment
  char passed[TEXT_SIZE];  // the arguments passed on, each after one blank
};
void parse_options(int argc, const char16_t* const* argv, LaunchOptions* options);

// Appends one argument to the passed-on text by the Windows quoting rules: as it stands
// when it is not empty and holds no blank, tab, line feed, vertical tab or '"'; else in
// double quotes, with each '"' escaped and the backslashes before a '"' (or the closing
// one) doubled.
bool append_argument(char* passed, std::size_t size, const char* argument);

// Appends a program path to a command: in double quotes when it holds a blank or tab.
bool append_program(char* command, std::size_t size, const char* program);

// The environment assignments for the setup program, in the order they are made.
constexpr std::size_t MAX_ASSIGNMENTS = 8;
struct Assignments {
  std::size_t count;
  char text[MAX_ASSIGNMENTS][TEXT_SIZE];
};
void add_assignment(Assignments* list, const char* format, const char* value);
// VYN_MACHINE_TYPE always; in utility mode the medium's directories; VS_HELP=0 when it is
// not set yet.
void base_assignments(const char* machine_type, bool utility, const char* start_dir,
                      bool vs_help_set, Assignments* list);
// The medium's directories that a copied setup program needs.
void medium_assignments(const char* start_dir, Assignments* list);

// "<start>\\dsrc\\<machine>\\obj\\veksetup.exe " as a name, the trailing blank included.
bool setup_program_name(const char* start_dir, const char* machine_type, char* name,
                        std::size_t size);
// "<start>\\dsrc\\<machine>\\obj\\mfc42.dll".
bool setup_library_name(const char* start_dir, const char* machine_type, char* name,
                        std::size_t size);

// Turns a temporary file name into the name of the copied program: a '.' four places
// before the end becomes '_', then ".exe" is appended.
bool finish_temp_program_name(char* name, std::size_t size);

// Builds the registry key path from the text of a process-id file, one character at a
// time: '\n' becomes '\\', '\r' is dropped.
struct KeyPath {
  char text[KEY_PATH_SIZE];
  std::size_t length;
  bool overflow;  // a character did not fit: the path names no key
};
void key_path_start(KeyPath* path);
void key_path_add(KeyPath* path, int c);

}  // namespace trovask
