// The host's model files (drawings with their content, and parts): the input is a file's
// text. A file that reads must give a model whose saved lines read back into the same
// lines; one that does not read must leave nothing in session.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "host/host_testing.h"
#include "host/models.h"

namespace {

[[noreturn]] void fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  yrlhost::models_testing_reset();
  // The lines as the host reads a file.
  std::istringstream text(std::string(reinterpret_cast<const char*>(data), size));
  std::vector<std::string> lines;
  for (std::string line; std::getline(text, line);) lines.push_back(line);

  std::string error;
  // Parsing alone answers as reading does.
  std::string parse_error;
  bool parsed = yrlhost::host_model_parse(lines, "fuzz.drw", parse_error);
  if (!parsed && parse_error.empty()) fail("parse refused without a reason", "");
  VynMdl model = yrlhost::host_model_read(lines, "fuzz.drw", error);
  if (model && !parsed) fail("parse refused a file that reads", parse_error);
  if (!model) {
    if (error.empty()) fail("refused without a reason", "");
    if (!yrlhost::host_models().empty()) fail("refused but loaded", error);
    return 0;
  }
  std::vector<std::string> saved = yrlhost::host_model_lines(model);
  yrlhost::host_models_erase_all();
  VynMdl again = yrlhost::host_model_read(saved, "saved.drw", error);
  if (!again) fail("saved lines do not read back", error);
  if (yrlhost::host_model_lines(again) != saved) fail("saved lines read back differently", "");
  return 0;
}
