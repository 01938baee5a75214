// A stand-in for the setup program that the launcher starts, for the launcher's tests.
//
// It writes what it was started with into the file named by YRL_VEKSETUP_RECORD (a
// POSIX path; written whole under a temporary name, then renamed), one item a line:
//   program=<its own POSIX path>
//   command_line=<the command line, as GetCommandLineW gives it>
//   argc=<n>
//   arg<i>=<each argument, as CommandLineToArgvW splits the line>
//   env <NAME>=<value> or env <NAME> unset, for each variable the launcher sets
// Before that, when YRL_VEKSETUP_PUBLISH_KEY names a key below HKEY_CURRENT_USER, it
// records its process id there as the text value "ProcessId" (or the text of
// YRL_VEKSETUP_PUBLISH_VALUE when that is set, for an id that is no process). Then it
// tells its starter that it is ready for input, and ends; with YRL_VEKSETUP_STAY set it
// stays until it is ended by a signal.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/w32/codepage.h"
#include "platform/w32/commandline.h"
#include "platform/w32/process.h"
#include "platform/w32/registry.h"

namespace {

const char* const kVariables[] = {
    "LANG",          "VYN_MACHINE_TYPE",           "VEK_CDHOME", "DVS_DIRECTORY",
    "VS_DIRECTORY",  "USE_NEW_SELECTION_TRAILING", "VS_HELP",    "VEK_SETUP_REDIRECT",
};

void write_wide(std::FILE* out, const char* label, const w32::WCHAR* text) {
  char narrow[8192];
  narrow[0] = '\0';
  if (text != nullptr &&
      w32::WideCharToMultiByte(w32::CP_UTF8, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr) == 0)
    narrow[0] = '\0';
  std::fprintf(out, "%s=%s\n", label, narrow);
}

bool write_record(const char* path) {
  char temporary[4096];
  std::snprintf(temporary, sizeof temporary, "%s.part", path);
  std::FILE* out = std::fopen(temporary, "w");
  if (out == nullptr) return false;
  char self[4096];
  ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  self[length > 0 ? length : 0] = '\0';
  std::fprintf(out, "program=%s\n", self);
  const w32::WCHAR* line = w32::GetCommandLineW();
  write_wide(out, "command_line", line);
  int argc = 0;
  w32::WCHAR** argv = w32::CommandLineToArgvW(line, &argc);
  std::fprintf(out, "argc=%d\n", argv != nullptr ? argc : -1);
  for (int i = 0; argv != nullptr && i < argc; ++i) {
    char label[32];
    std::snprintf(label, sizeof label, "arg%d", i);
    write_wide(out, label, argv[i]);
  }
  if (argv != nullptr) w32::LocalFree(argv);
  for (const char* name : kVariables) {
    const char* value = std::getenv(name);
    if (value != nullptr)
      std::fprintf(out, "env %s=%s\n", name, value);
    else
      std::fprintf(out, "env %s unset\n", name);
  }
  bool written = std::fclose(out) == 0;
  return written && std::rename(temporary, path) == 0;
}

bool publish_process_id(const char* key_path, const char* value) {
  w32::HKEY key = nullptr;
  if (w32::RegCreateKeyExA(w32::HKEY_CURRENT_USER, key_path, 0, nullptr, 0, w32::KEY_WRITE, nullptr,
                           &key, nullptr) != 0)
    return false;
  char id[256];
  int length = value != nullptr ? std::snprintf(id, sizeof id, "%s", value)
                                : std::snprintf(id, sizeof id, "%d", static_cast<int>(getpid()));
  if (length < 0 || static_cast<std::size_t>(length) >= sizeof id) {
    w32::RegCloseKey(key);
    return false;
  }
  bool set = w32::RegSetValueExA(key, "ProcessId", 0, w32::REG_SZ, reinterpret_cast<const w32::BYTE*>(id),
                                 static_cast<w32::DWORD>(length + 1)) == 0;
  w32::RegCloseKey(key);
  return set;
}

}  // namespace

int main() {
  int status = 0;
  const char* key = std::getenv("YRL_VEKSETUP_PUBLISH_KEY");
  if (key != nullptr && *key != '\0' &&
      !publish_process_id(key, std::getenv("YRL_VEKSETUP_PUBLISH_VALUE"))) {
    std::fprintf(stderr, "veksetup: cannot publish the process id under %s\n", key);
    status = 1;
  }
  // The record comes last, so that a test that sees it finds the id published.
  const char* record = std::getenv("YRL_VEKSETUP_RECORD");
  if (record != nullptr && *record != '\0' && !write_record(record)) {
    std::fprintf(stderr, "veksetup: cannot write %s\n", record);
    status = 1;
  }
  w32::w32_signal_input_idle();
  if (std::getenv("YRL_VEKSETUP_STAY") != nullptr) {
    for (;;) pause();
  }
  return status;
}
