// The process's command line and its splitting into arguments, as Win32 does both.
#pragma once

#include "platform/w32/types.h"

namespace w32 {

// The command line this process was started with, as UTF-16 text that lives as long as
// the process:
// - YRL_W32_COMMAND_LINE (UTF-8) when it is set, which CreateProcessA sets for each
//   child to the line it was given;
// - otherwise built from the POSIX arguments (/proc/self/cmdline): the first as its
//   Windows name (an absolute POSIX path on the drive whose directory holds it, '/' as
//   '\'), quoted when it holds a blank; each further one after a blank, quoted by the
//   rules that CommandLineToArgvW undoes, so that splitting the line gives the
//   arguments back.
WCHAR* GetCommandLineW();

// Splits a command line into arguments by the Win32 rules:
// - the first argument (the program) runs to the next '"' when the line begins with
//   one, else to the first blank (space or tab); a line that begins with a blank thus
//   has an empty first argument;
// - each further argument runs to the next blank outside quotes; blanks between
//   arguments and at the end are skipped;
// - a '"' switches quoting on or off and is dropped; inside quotes, two '"' in a row
//   give one '"' and end the quotes;
// - 2n backslashes before a '"' give n backslashes and the '"' acts as above; 2n+1
//   backslashes before a '"' give n backslashes and a literal '"'; backslashes before
//   anything else stay as they are.
// An empty line gives one argument, the Windows name of the process's own program.
// The result is one block (the array, null-terminated, then the texts), freed with one
// LocalFree; *count gets the number of arguments. Null with ERROR_INVALID_PARAMETER for
// a null line or count, ERROR_NOT_ENOUGH_MEMORY when there is no memory.
WCHAR** CommandLineToArgvW(const WCHAR* command_line, int* count);

// Frees memory that CommandLineToArgvW gave out; null on success, as on Win32. A null
// memory is accepted.
HLOCAL LocalFree(HLOCAL memory);

// Appends argument to line (holding *length units of capacity, terminator included) as
// one argument by the rules above, quoted only when it must be: empty, or holding a
// blank or a '"'. first: the program's rule (quoted whole, no escapes). FALSE when it
// does not fit; line is then unchanged.
BOOL w32_append_quoted_argument(WCHAR* line, int* length, int capacity, const WCHAR* argument,
                                BOOL first);

}  // namespace w32
