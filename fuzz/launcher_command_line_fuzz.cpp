// The launcher's command line: the input is the line as UTF-16 units (two bytes each,
// little-endian). It is split into arguments as Win32 splits it, the start directory is
// taken from the first and completed, and the options are parsed. Every text stays
// within its buffer, and the arguments passed on to the setup program split back into
// the arguments given, in order (some may be left out, none changed or joined).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "launcher/launch_logic.h"
#include "platform/w32/ascii.h"
#include "platform/w32/codepage.h"
#include "platform/w32/commandline.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

bool within(const char* text, std::size_t size) { return strnlen(text, size) < size; }

// The arguments of a narrow command line (its program first), each narrowed again.
std::vector<std::string> split_narrow(const char* line) {
  int units = w32::MultiByteToWideChar(w32::CP_ACP, 0, line, -1, nullptr, 0);
  require(units > 0);
  std::u16string wide(static_cast<std::size_t>(units), u'\0');
  require(w32::MultiByteToWideChar(w32::CP_ACP, 0, line, -1, wide.data(), units) == units);
  int argc = 0;
  char16_t** argv = w32::CommandLineToArgvW(wide.c_str(), &argc);
  require(argv != nullptr);
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) {
    char narrow[trovask::TEXT_SIZE];
    require(trovask::narrow_text(argv[i], narrow, sizeof narrow));
    arguments.push_back(narrow);
  }
  w32::LocalFree(argv);
  return arguments;
}

bool same_folded(const std::string& a, const std::string& b) {
  return a.size() == b.size() && w32::equal_ascii_folded(a.c_str(), b.c_str(), a.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string line;
  for (std::size_t i = 0; i + 1 < size; i += 2)
    line += static_cast<char16_t>(data[i] | data[i + 1] << 8);
  line = line.substr(0, line.find(u'\0'));
  // An empty line names the process's own program; the launcher never sees one.
  if (line.empty()) return 0;
  int argc = 0;
  char16_t** argv = w32::CommandLineToArgvW(line.c_str(), &argc);
  require(argv != nullptr && argc >= 1);

  // The start directory from the launcher's own path.
  std::size_t dir_length = 0;
  const char16_t* name = nullptr;
  if (trovask::split_launcher_path(argv[0], &dir_length, &name)) {
    trovask::is_utility_name(name);
    if (dir_length < trovask::TEXT_SIZE) {
      std::u16string wide(argv[0], dir_length);
      char dir[trovask::TEXT_SIZE];
      if (trovask::narrow_text(wide.c_str(), dir, sizeof dir)) {
        trovask::complete_start_directory(dir, "C:\\work");
        require(within(dir, sizeof dir));
        trovask::is_usable_start_directory(dir);
      }
    }
  }

  trovask::LaunchOptions options{};
  trovask::parse_options(argc, argv, &options);
  require(within(options.lang, sizeof options.lang) && within(options.passed, sizeof options.passed));
  require(!options.lang_given || std::strncmp(options.lang, "LANG=", 5) == 0);

  std::vector<std::string> given;
  for (int i = 1; i < argc; ++i) {
    char narrow[trovask::TEXT_SIZE];
    given.push_back(trovask::narrow_text(argv[i], narrow, sizeof narrow) ? narrow : "");
  }
  w32::LocalFree(argv);
  std::vector<std::string> passed = split_narrow(("x" + std::string(options.passed)).c_str());
  std::size_t next = 0;
  for (std::size_t i = 1; i < passed.size(); ++i) {
    while (next < given.size() && !same_folded(given[next], passed[i])) ++next;
    require(next < given.size());
    ++next;
  }
  return 0;
}
