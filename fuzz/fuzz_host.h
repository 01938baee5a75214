// The checks that the fuzz targets of the host's model readers share.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/store/models.h"
#include "host/files/model_files.h"

[[noreturn]] inline void fuzz_fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
  std::abort();
}

// An input refused must say why and leave no model in session.
inline void fuzz_check_refused(const std::string& error) {
  if (error.empty()) fuzz_fail("refused without a reason", "");
  if (!yrlhost::host_models().empty()) fuzz_fail("refused but loaded", error);
}

// A model read must save lines that read back, alone in session, into the same lines.
inline void fuzz_check_reads_back(VynMdl model) {
  std::vector<std::string> saved = yrlhost::host_model_lines(model);
  yrlhost::host_models_erase_all();
  std::string error;
  VynMdl again = yrlhost::host_model_read(saved, "saved.drw", error);
  if (!again) fuzz_fail("saved lines do not read back", error);
  if (yrlhost::host_model_lines(again) != saved) fuzz_fail("saved lines read back differently", "");
}
