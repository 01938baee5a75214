// The few C run-time calls of the launcher that take Windows names or work on the
// environment, with the behaviour the launcher relies on.
#pragma once

#include <cstddef>
#include <cstdio>

namespace trovask {

// fopen of a Windows name: the name goes through the stand-in's path model, after the
// blanks and dots at its end are dropped as the Windows file system drops them. Null
// (errno set) when the name does not resolve or the file does not open. A file made for
// writing may be executed, as any file on Windows.
std::FILE* open_file(const char* name, const char* mode);

// _putenv of "NAME=value": sets the variable, or removes it when the value is empty.
// False for a text without '=' or with an empty name, or when the environment refuses.
bool put_environment(const char* assignment);

// getenv: whether the variable is set; its value goes into buffer (size bytes), cut to
// fit, and *whole (when given) tells whether it fitted.
bool get_environment(const char* name, char* buffer, std::size_t size, bool* whole);

}  // namespace trovask
