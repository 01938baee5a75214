// Folders where the stand-in keeps what Windows keeps in the system (named mutexes,
// spooled print jobs), and the file names of the objects in them.
#pragma once

#include <string>

namespace w32 {

// The folder chosen: chosen when not empty (a test's), else the value of variable when
// set, else /tmp/<prefix>-<uid>, made (mode 0700) when missing.
std::string w32_standin_folder(const char* chosen, const char* variable, const char* prefix);

// A file name for the object name: letters and digits as they are, every other byte as
// %XX, so that every name has a name of its own and none holds a delimiter.
std::string w32_standin_file_name(const char* name);

}  // namespace w32
