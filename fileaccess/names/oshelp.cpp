#include "fileaccess/names/oshelp.h"

#include "fileaccess/names/oshelp_testing.h"

namespace vek {

namespace {

int input_mode;

}  // namespace

int get_input_mode() { return input_mode; }

int set_input_mode(int mode) {
  input_mode = mode;
  return mode;
}

std::FILE* dci_fopen(const char* name, const char* mode) {
  if (!name || !mode) return nullptr;
  return std::fopen(name, mode);
}

void oshelp_testing_reset() { input_mode = 0; }

}  // namespace vek
