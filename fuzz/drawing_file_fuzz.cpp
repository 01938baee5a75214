// Reads the input as the lines of a host model file (with the first byte's bit 0 set,
// after the lines that begin a drawing, so that most inputs reach the drawing's lines).
// The reader must answer every input with a model or a reason, never crash; a model it
// reads must write lines that read back to the same lines.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/host_testing.h"
#include "host/models.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  if (size > 0 && (data[0] & 1)) {
    lines = {"yrlhost-model 1", "type drawing", "name D"};
    at = 1;
  }
  std::string line;
  for (; at < size; ++at) {
    if (data[at] == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line.push_back(static_cast<char>(data[at]));
    }
  }
  lines.push_back(line);

  std::string error;
  if (!yrlhost::host_model_parse(lines, "fuzz", error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  if (VynMdl model = yrlhost::host_model_read(lines, "fuzz", error)) {
    const std::vector<std::string> written = yrlhost::host_model_lines(model);
    yrlhost::host_models_erase_all();
    VynMdl again = yrlhost::host_model_read(written, "fuzz", error);
    if (!again || yrlhost::host_model_lines(again) != written) std::abort();
  }
  yrlhost::host_testing_reset();
  return 0;
}
