// The shared store file of the registry: the input is the file that YRL_W32_REGISTRY
// names. A call that only reads leaves the file as it is, and either reads it as a store
// or refuses it with ERROR_BADDB. A store that was read is written back by a change, and
// what was written is written again the same by the same change (read and write are
// each other's inverse on written stores), and the value set reads back.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_file.h"
#include "platform/w32/error.h"
#include "platform/w32/registry.h"
#include "platform/w32/registry_testing.h"
#include "tests/support/temp_dir.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

const std::string& store_path() {
  static const yrltest::TempDir dir;
  static const std::string path = dir.file("registry.txt");
  return path;
}

// The calls answer LONGs that hold the DWORD error codes.
w32::DWORD code(w32::LONG result) { return static_cast<w32::DWORD>(result); }

w32::DWORD set_value(const std::string& data) {
  return code(w32::RegSetValueExA(w32::HKEY_CURRENT_USER, "Fuzz value", 0, w32::REG_BINARY,
                             reinterpret_cast<const w32::BYTE*>(data.data()),
                             static_cast<w32::DWORD>(data.size())));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = store_path();
  setenv("YRL_W32_REGISTRY", path.c_str(), 1);
  w32::registry_testing_reset();
  const std::string text(reinterpret_cast<const char*>(data), size);
  fuzz_write_file(path, text);

  w32::HKEY key = nullptr;
  const w32::DWORD opened =
      code(w32::RegOpenKeyExA(w32::HKEY_CURRENT_USER, "Software", 0, w32::KEY_READ, &key));
  require(yrltest::read_file(path) == text);
  if (opened == w32::ERROR_SUCCESS) require(code(w32::RegCloseKey(key)) == w32::ERROR_SUCCESS);
  if (opened == w32::ERROR_BADDB) {
    require(set_value("x") == w32::ERROR_BADDB);
    require(yrltest::read_file(path) == text);
    return 0;
  }
  require(opened == w32::ERROR_SUCCESS || opened == w32::ERROR_FILE_NOT_FOUND);

  const std::string value(text, 0, text.size() % 17);
  require(set_value(value) == w32::ERROR_SUCCESS);
  const std::string written = yrltest::read_file(path);
  require(set_value(value) == w32::ERROR_SUCCESS);
  if (yrltest::read_file(path) != written) {
    std::fprintf(stderr, "written:\n%s\nwritten again:\n%s\n", written.c_str(),
                 yrltest::read_file(path).c_str());
    std::abort();
  }

  std::string back(value.size() + 1, '\0');
  w32::DWORD length = static_cast<w32::DWORD>(back.size());
  w32::DWORD type = 0;
  require(code(w32::RegQueryValueExA(w32::HKEY_CURRENT_USER, "fuzz VALUE", nullptr, &type,
                                     reinterpret_cast<w32::BYTE*>(back.data()), &length)) ==
          w32::ERROR_SUCCESS);
  require(type == w32::REG_BINARY && back.substr(0, length) == value);
  require(w32::registry_testing_open_handles() == 0);
  return 0;
}
