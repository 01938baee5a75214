// yrlhost: loads the plug-in, starts it as the host would, reports the outcome, runs a
// scenario (the file given, or the embedded default one) and stops the plug-in again.
// Exit code 0 when the plug-in started and the scenario ran cleanly, 1 when the plug-in
// refused to start or the scenario failed, 2 for bad options, a scenario file that
// cannot be read or parsed, a DXF drawing the scenario opens that cannot be read, or a
// plug-in that cannot be loaded.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "host/text_read.h"
#include "host/plugin_session.h"
#include "host/scenario.h"
#include "host/scenario_run.h"

namespace {

void print_usage(std::FILE* out, const yrlhost::SessionOptions& defaults) {
  std::fprintf(out,
               "usage: yrlhost [options]\n"
               "  --plugin PATH    the plug-in to load (%s)\n"
               "  --version V      host version string (%s)\n"
               "  --build B        host build code (%s)\n"
               "  --lang N         language id (%d)\n"
               "  --context N      context id given to the plug-in (%d)\n"
               "  --text-dir D     the application's text directory (%s)\n"
               "  --scenario FILE  the scenario to run (the embedded default scenario)\n"
               "  --help           this text\n",
               defaults.plugin_path.c_str(), defaults.version.c_str(), defaults.build.c_str(),
               defaults.language, defaults.context, defaults.text_dir.c_str());
}

int bad_option(const char* message, const char* option) {
  std::fprintf(stderr, "yrlhost: %s: %s\n", message, option);
  std::fprintf(stderr, "Try 'yrlhost --help'.\n");
  return 2;
}

// The scenario of path, or the default one for an empty path; false with the reason.
bool load_scenario(const std::string& path, yrlhost::Scenario& scenario, std::string& error) {
  if (path.empty()) return yrlhost::scenario_parse(yrlhost::scenario_default_text(), "", scenario, error);
  std::string text;
  if (!yrlhost::file_text_read(path, text)) {
    error = "cannot read the scenario " + path;
    return false;
  }
  std::string base = std::filesystem::path(path).parent_path().string();
  if (!yrlhost::scenario_parse(text, base, scenario, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  yrlhost::SessionOptions options = yrlhost::session_defaults();
  const yrlhost::SessionOptions defaults = options;
  options.args.assign(argv, argv + argc);
  std::string scenario_path;

  for (int i = 1; i < argc; ++i) {
    const char* option = argv[i];
    if (std::strcmp(option, "--help") == 0) {
      print_usage(stdout, defaults);
      return 0;
    }
    std::string* text = nullptr;
    int* number = nullptr;
    if (std::strcmp(option, "--plugin") == 0) text = &options.plugin_path;
    else if (std::strcmp(option, "--version") == 0) text = &options.version;
    else if (std::strcmp(option, "--build") == 0) text = &options.build;
    else if (std::strcmp(option, "--text-dir") == 0) text = &options.text_dir;
    else if (std::strcmp(option, "--scenario") == 0) text = &scenario_path;
    else if (std::strcmp(option, "--lang") == 0) number = &options.language;
    else if (std::strcmp(option, "--context") == 0) number = &options.context;
    else return bad_option("unknown option", option);

    if (i + 1 >= argc) return bad_option("missing value after", option);
    const char* value = argv[++i];
    if (text) *text = value;
    else if (!yrlhost::number_from_text(value, *number)) return bad_option("not a whole number", value);
  }

  yrlhost::Scenario scenario;
  std::string scenario_error;
  if (!load_scenario(scenario_path, scenario, scenario_error)) {
    std::fprintf(stderr, "yrlhost: %s\n", scenario_error.c_str());
    return 2;
  }

  yrlhost::PluginSession session;
  if (!yrlhost::plugin_session_start(session, options)) {
    std::fprintf(stderr, "yrlhost: %s\n", session.failure.c_str());
    return 2;
  }
  int status = *session.status;
  std::printf("status: %d\n", status);
  std::printf("release: %s\n", yrlhost::host_release_name(options.version).c_str());
  int outcome = 1;
  if (status != 0)
    std::printf("error: %s\n", yrlhost::plugin_session_error_text(session).c_str());
  else
    outcome = yrlhost::scenario_run(scenario, stdout);
  std::fflush(stdout);
  yrlhost::plugin_session_stop(session);
  return outcome;
}
