#include "platform/w32/standin_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace w32 {

std::string w32_standin_folder(const char* chosen, const char* variable, const char* prefix) {
  if (chosen != nullptr && chosen[0] != '\0') return chosen;
  const char* set = std::getenv(variable);
  if (set != nullptr && set[0] != '\0') return set;
  std::string made = std::string("/tmp/") + prefix + "-" + std::to_string(getuid());
  mkdir(made.c_str(), 0700);
  return made;
}

std::string w32_standin_file_name(const char* name) {
  std::string file;
  for (const char* p = name; *p != '\0'; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
      file += static_cast<char>(c);
    } else {
      char code[4];
      std::snprintf(code, sizeof code, "%%%02X", c);
      file += code;
    }
  }
  return file;
}

}  // namespace w32
