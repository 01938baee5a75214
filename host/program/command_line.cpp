#include "host/program/command_line.h"

#include <cstring>

#include "host/util/text_read.h"

namespace yrlhost {

bool host_command_line_parse(int argc, const char* const* argv, HostCommandLine& line,
                             std::string& error) {
  line = HostCommandLine();
  line.options = session_defaults();
  line.options.args.assign(argv, argv + argc);
  SessionOptions& options = line.options;
  for (int i = 1; i < argc; ++i) {
    const char* option = argv[i];
    if (std::strcmp(option, "--help") == 0) {
      line.help = true;
      return true;
    }
    std::string* text = nullptr;
    int* number = nullptr;
    if (std::strcmp(option, "--plugin") == 0) text = &options.plugin_path;
    else if (std::strcmp(option, "--version") == 0) text = &options.version;
    else if (std::strcmp(option, "--build") == 0) text = &options.build;
    else if (std::strcmp(option, "--text-dir") == 0) text = &options.text_dir;
    else if (std::strcmp(option, "--scenario") == 0) text = &line.scenario_path;
    else if (std::strcmp(option, "--svg") == 0) {
      text = &line.svg_dir;
      line.pictures = true;
    }
    else if (std::strcmp(option, "--lang") == 0) number = &options.language;
    else if (std::strcmp(option, "--context") == 0) number = &options.context;
    else {
      error = std::string("unknown option: ") + option;
      return false;
    }

    if (i + 1 >= argc) {
      error = std::string("missing value after: ") + option;
      return false;
    }
    const char* value = argv[++i];
    if (text) {
      *text = value;
    } else if (!number_from_text(value, *number)) {
      error = std::string("not a whole number: ") + value;
      return false;
    }
  }
  return true;
}

}  // namespace yrlhost
