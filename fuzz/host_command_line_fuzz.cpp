// yrlhost's command line: the input is the arguments after the program, separated by
// NUL bytes. A line that reads is read the same again from the arguments its options
// give back (every option written out), and keeps the whole argv for the plug-in; a line
// refused names the reason and an argument it was given.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/program/command_line.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

bool parse(const std::vector<std::string>& args, yrlhost::HostCommandLine& line,
           std::string& error) {
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  return yrlhost::host_command_line_parse(static_cast<int>(argv.size()), argv.data(), line,
                                          error);
}

std::vector<std::string> written(const yrlhost::HostCommandLine& line) {
  const yrlhost::SessionOptions& o = line.options;
  std::vector<std::string> args = {"yrlhost",   "--plugin",  o.plugin_path,
                                   "--version", o.version,   "--build",
                                   o.build,     "--lang",    std::to_string(o.language),
                                   "--context", std::to_string(o.context), "--text-dir",
                                   o.text_dir,  "--scenario", line.scenario_path};
  if (line.pictures) args.insert(args.end(), {"--svg", line.svg_dir});
  return args;
}

bool same(const yrlhost::HostCommandLine& a, const yrlhost::HostCommandLine& b) {
  return a.options.plugin_path == b.options.plugin_path && a.options.version == b.options.version &&
         a.options.build == b.options.build && a.options.language == b.options.language &&
         a.options.context == b.options.context && a.options.text_dir == b.options.text_dir &&
         a.scenario_path == b.scenario_path && a.pictures == b.pictures &&
         a.svg_dir == b.svg_dir && a.help == b.help;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> args{"yrlhost"};
  std::string current;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.push_back(current);
      current.clear();
    } else {
      current += static_cast<char>(data[i]);
    }
  }
  if (size > 0) args.push_back(current);

  yrlhost::HostCommandLine line;
  std::string error;
  if (!parse(args, line, error)) {
    bool names_one = false;
    for (const char* reason : {"unknown option: ", "missing value after: ", "not a whole number: "})
      for (std::size_t i = 1; i < args.size(); ++i)
        names_one = names_one || error == reason + args[i];
    require(names_one);
    return 0;
  }
  require(error.empty());
  require(line.options.args == args);
  if (line.help) return 0;
  yrlhost::HostCommandLine again;
  require(parse(written(line), again, error) && same(line, again));
  return 0;
}
