// The host's model files (drawings with their content, and parts): the input is a file's
// text. A file that reads must give a model whose saved lines read back into the same
// lines; one that does not read must leave nothing in session.
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_host.h"
#include "host/util/host_testing.h"
#include "host/store/models.h"
#include "host/files/model_files.h"

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
  if (!parsed && parse_error.empty()) fuzz_fail("parse refused without a reason", "");
  VynMdl model = yrlhost::host_model_read(lines, "fuzz.drw", error);
  if (model && !parsed) fuzz_fail("parse refused a file that reads", parse_error);
  if (!model) {
    fuzz_check_refused(error);
    return 0;
  }
  fuzz_check_reads_back(model);
  return 0;
}
