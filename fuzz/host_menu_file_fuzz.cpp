// Older menu files of the stand-in host: the input is a file's text. Every button name it
// gives is a non-empty line without blanks around it that does not start a comment.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/api/older_menu_behaviours.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  for (const std::string& name : yrlhost::older_menu_file_parse(text)) {
    if (name.empty() || name[0] == '#' || name.find('\n') != std::string::npos) std::abort();
    const char first = name.front(), last = name.back();
    if (first == ' ' || first == '\t' || last == ' ' || last == '\t' || last == '\r') std::abort();
  }
  return 0;
}
