// yrlhost: loads the plug-in, starts it as the host would, reports the outcome and stops
// it again. Exit code 0 when the plug-in started, 1 when it refused to, 2 for bad
// options or a plug-in that cannot be loaded.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/plugin_session.h"

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
               "  --help           this text\n",
               defaults.plugin_path.c_str(), defaults.version.c_str(), defaults.build.c_str(),
               defaults.language, defaults.context, defaults.text_dir.c_str());
}

bool parse_int(const char* text, int* value) {
  errno = 0;
  char* end = nullptr;
  long parsed = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX)
    return false;
  *value = static_cast<int>(parsed);
  return true;
}

int bad_option(const char* message, const char* option) {
  std::fprintf(stderr, "yrlhost: %s: %s\n", message, option);
  std::fprintf(stderr, "Try 'yrlhost --help'.\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  yrlhost::SessionOptions options = yrlhost::session_defaults();
  const yrlhost::SessionOptions defaults = options;
  options.args.assign(argv, argv + argc);

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
    else if (std::strcmp(option, "--lang") == 0) number = &options.language;
    else if (std::strcmp(option, "--context") == 0) number = &options.context;
    else return bad_option("unknown option", option);

    if (i + 1 >= argc) return bad_option("missing value after", option);
    const char* value = argv[++i];
    if (text) *text = value;
    else if (!parse_int(value, number)) return bad_option("not a whole number", value);
  }

  yrlhost::PluginSession session;
  if (!yrlhost::plugin_session_start(session, options)) {
    std::fprintf(stderr, "yrlhost: %s\n", session.failure.c_str());
    return 2;
  }
  int status = *session.status;
  std::printf("status: %d\n", status);
  std::printf("release: %s\n", yrlhost::host_release_name(options.version).c_str());
  if (status != 0)
    std::printf("error: %s\n", yrlhost::plugin_session_error_text(session).c_str());
  std::fflush(stdout);
  yrlhost::plugin_session_stop(session);
  return status == 0 ? 0 : 1;
}
