// yrlhost: loads the plug-in, starts it as the host would, reports the outcome, runs a
// scenario (the file given, or the embedded default one) and stops the plug-in again.
// With --svg, the pictures of the windows, the drawings' other sheets and the parts are
// written after the scenario.
// Exit code 0 when the plug-in started and the scenario ran cleanly, 1 when the plug-in
// refused to start or the scenario failed, 2 for bad options (an --svg directory that
// cannot be made included), a scenario file that cannot be read or parsed, a DXF drawing
// the scenario opens that cannot be read, a plug-in that cannot be loaded, or a picture
// that cannot be written.
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>

#include "host/program/command_line.h"
#include "host/store/elemtrees.h"
#include "host/plugin/plugin_session.h"
#include "host/util/text_read.h"
#include "host/script/scenario.h"
#include "host/script/scenario_run.h"
#include "host/pictures/svg_picture.h"

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
               "  --svg DIR        after the scenario, write each window's picture to\n"
               "                   DIR/window<id>.svg (a drawing's other sheets to\n"
               "                   DIR/window<id>_sheet<n>.svg) and each part's to\n"
               "                   DIR/part_<name>.svg, making DIR when it is missing\n"
               "                   (no pictures)\n"
               "  --help           this text\n",
               defaults.plugin_path.c_str(), defaults.version.c_str(), defaults.build.c_str(),
               defaults.language, defaults.context, defaults.text_dir.c_str());
}

// Options that cannot be used: the reason and a hint; exit code 2.
int bad_options(const std::string& reason) {
  std::fprintf(stderr, "yrlhost: %s\n", reason.c_str());
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
  // A write past the file-size limit fails with an error the saves report (the old files
  // staying whole) instead of ending the program.
  std::signal(SIGXFSZ, SIG_IGN);
  yrlhost::HostCommandLine line;
  std::string error;
  if (!yrlhost::host_command_line_parse(argc, argv, line, error)) return bad_options(error);
  if (line.help) {
    print_usage(stdout, yrlhost::session_defaults());
    return 0;
  }
  const yrlhost::SessionOptions& options = line.options;
  const std::string& scenario_path = line.scenario_path;

  std::string svg_error;
  if (line.pictures && !yrlhost::picture_directory_prepare(line.svg_dir, svg_error))
    return bad_options("--svg: " + svg_error);

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
  if (status == 0 && line.pictures &&
      !yrlhost::window_pictures_write(line.svg_dir, stdout, svg_error)) {
    std::fprintf(stderr, "yrlhost: %s\n", svg_error.c_str());
    outcome = 2;
  }
  std::fflush(stdout);
  yrlhost::plugin_session_stop(session);
  // Element trees the run left (kept with features, or handed out and never freed).
  yrlhost::elemtrees_release_all();
  return outcome;
}
