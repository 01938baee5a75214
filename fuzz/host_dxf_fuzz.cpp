// DXF drawings: the input is a DXF file's bytes, read as the scenario's "open" reads
// one. A file that reads must give a drawing that holds every item the import lists and
// that saves and reads back to the same lines; one that does not read must say why and
// leave nothing in session.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_host.h"
#include "host/store/drawings.h"
#include "host/dxf/dxf.h"
#include "host/util/host_testing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  yrlhost::models_testing_reset();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  yrlhost::DxfImport import;
  std::string error;
  VynMdl drawing = yrlhost::host_dxf_load(bytes, "FUZZ", "fuzz.dxf", import, error);
  if (!drawing) {
    fuzz_check_refused(error);
    return 0;
  }
  for (const yrlhost::DxfItem& item : import.items)
    if (!yrlhost::stored_item_exists(drawing, item.type, item.id))
      fuzz_fail("an imported item is not in the drawing", item.entity);
  fuzz_check_reads_back(drawing);
  return 0;
}
