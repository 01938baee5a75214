// The launcher's process-id file: the input is the file. Its text names a key below
// "SOFTWARE\VEK\VEK.Setup\" of the current user (a line feed is a '\', a carriage
// return is dropped, a Ctrl-Z ends the text, a NUL ends the name); a key path that does
// not fit its buffer names none. The registry holds a few keys, some with a ProcessId.
// ReadSetupProcessId opens a key exactly when RegOpenKeyA opens the path the text names,
// and gives the id recorded there when it fits its buffer, else "".
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/fuzz_file.h"
#include "launcher/launch_logic.h"
#include "launcher/launch_setup.h"
#include "platform/w32/registry.h"
#include "platform/w32/registry_testing.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr char kRoot[] = "SOFTWARE\\VEK\\VEK.Setup\\";

void require(bool condition) {
  if (!condition) std::abort();
}

void make_key(const std::string& path, const char* id) {
  w32::HKEY key = nullptr;
  require(w32::RegCreateKeyA(w32::HKEY_CURRENT_USER, (kRoot + path).c_str(), &key) == 0);
  if (id != nullptr)
    require(w32::RegSetValueExA(key, "ProcessId", 0, w32::REG_SZ,
                                reinterpret_cast<const w32::BYTE*>(id),
                                static_cast<w32::DWORD>(std::strlen(id) + 1)) == 0);
  require(w32::RegCloseKey(key) == 0);
}

// The id under the key path as RegOpenKeyA and RegQueryValueExA give it; false when
// the key does not open.
bool recorded_id(const std::string& path, std::string* id) {
  w32::HKEY key = nullptr;
  if (w32::RegOpenKeyA(w32::HKEY_CURRENT_USER, path.c_str(), &key) != 0) return false;
  char value[trovask::REG_VALUE_LIMIT + 1] = {};
  w32::DWORD size = trovask::REG_VALUE_LIMIT;
  id->clear();
  if (w32::RegQueryValueExA(key, "ProcessId", nullptr, nullptr,
                            reinterpret_cast<w32::BYTE*>(value), &size) == 0 &&
      std::strlen(value) < trovask::PROCESS_ID_SIZE)
    *id = value;
  require(w32::RegCloseKey(key) == 0);
  return true;
}

// The Windows form of a POSIX path.
std::string windows_name(const std::string& path) {
  std::string name = "C:" + path;
  for (char& c : name)
    if (c == '/') c = '\\';
  return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const yrltest::TempDir dir;
  static const std::string path = dir.file("cd_1.txt");
  static const std::string file_name = windows_name(path);
  unsetenv("YRL_W32_REGISTRY");
  w32::registry_testing_reset();
  make_key("Disk1\\Part", "4321");
  make_key("Disk1\\Long", std::string(trovask::PROCESS_ID_SIZE, '7').c_str());
  make_key("cd 2\\", nullptr);
  make_key("Empty", "");

  const std::string bytes(reinterpret_cast<const char*>(data), size);
  fuzz_write_file(path, bytes);
  std::string key_path = kRoot;
  for (char c : bytes.substr(0, bytes.find('\x1a'))) {
    if (c != '\r') key_path += c == '\n' ? '\\' : c;
  }
  std::string expected_id;
  const bool opens = key_path.size() < trovask::KEY_PATH_SIZE &&
                     recorded_id(key_path.c_str(), &expected_id);

  char id[trovask::PROCESS_ID_SIZE];
  std::memset(id, 'j', sizeof id);
  const int result = trovask::ReadSetupProcessId(file_name.c_str(), id);
  require(result == (opens ? 1 : 0));
  require(strnlen(id, sizeof id) < sizeof id && id == expected_id);
  require(w32::registry_testing_open_handles() == 0);
  return 0;
}
