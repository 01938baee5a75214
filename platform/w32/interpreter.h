// The command interpreter: what CreateProcessA runs for a program named cmd.exe.
//
// Its line is "cmd.exe [/e:N] [/q] [/d] /c <rest>" (the switches in any letter case).
// When rest names an existing file ending in ".bat" or ".cmd", the file's lines run in
// order as a batch file:
// - "%%" reads as '%', "%NAME%" as the variable's value (nothing when it is not set,
//   case-insensitive names), and a lone '%' is dropped;
// - "set NAME=VALUE" and set "NAME=VALUE" (the text between the first and the last
//   quote) set a variable for the lines after it and the programs they start; an empty
//   value removes it; a name that is no POSIX shell name is not passed on;
// - empty lines, "rem" and "::" lines and "echo off" are skipped, a leading '@' dropped;
// - a line that starts the interpreter again runs its rest in a shell of its own (a
//   batch file in it as above, four levels deep at most);
// - every other line is a POSIX shell command line.
// The batch's exit code is its last line's. Any other rest runs with /bin/sh -c, exit
// code passed on. No other switch, no "/k", no batch arguments (%1), no "goto" or "if".
#pragma once

#include <string>
#include <vector>

#include "platform/w32/types.h"

namespace w32 {

// Whether the program of a command line (application_name when given, else the line's
// first token) is the interpreter.
bool w32_is_interpreter(const char* application_name, const std::string& line);

// The POSIX shell script that runs the interpreter's line with the environment entries
// ("NAME=value") that the child gets: ERROR_SUCCESS with *script set;
// ERROR_NOT_SUPPORTED for a line without "/c"; ERROR_FILE_NOT_FOUND for a batch file that
// cannot be read.
DWORD w32_interpreter_script(const std::string& line, const std::vector<std::string>& environment,
                             std::string* script);

}  // namespace w32
