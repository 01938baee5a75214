#include "launcher/launch_setup.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "launcher/crt.h"
#include "launcher/launch_logic.h"
#include "platform/w32/commandline.h"
#include "platform/w32/environment.h"
#include "platform/w32/error.h"
#include "platform/w32/file.h"
#include "platform/w32/findfile.h"
#include "platform/w32/library.h"
#include "platform/w32/message_box.h"
#include "platform/w32/process.h"
#include "platform/w32/psapi.h"
#include "platform/w32/registry.h"
#include "platform/w32/system.h"
#include "platform/w32/tempfile.h"
#include "platform/w32/toolhelp.h"

namespace trovask {

namespace {

constexpr w32::DWORD kIdleWaitMs = 90000;
constexpr std::size_t kTempPathLimit = 280;
constexpr std::size_t kMaxProcessIds = 1024;

typedef w32::HANDLE (*SnapshotFn)(w32::DWORD, w32::DWORD);
typedef w32::BOOL (*ProcessWalkFn)(w32::HANDLE, w32::PROCESSENTRY32*);
typedef w32::BOOL (*EnumProcessesFn)(w32::DWORD*, w32::DWORD, w32::DWORD*);

// Opens key under root; null when it does not open.
w32::HKEY open_key(w32::HKEY root, const char* path) {
  w32::HKEY key = nullptr;
  if (w32::RegOpenKeyA(root, path, &key) != 0) return nullptr;
  return key;
}

// Reads the value name of key as text into buffer (size bytes, at most limit of them
// from the registry); the text is always terminated. False when the read fails.
bool read_text_value(w32::HKEY key, const char* name, char* buffer, std::size_t size,
                     std::size_t limit) {
  if (limit > size - 1) limit = size - 1;
  w32::DWORD length = static_cast<w32::DWORD>(limit);
  std::memset(buffer, 0, size);
  if (w32::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<w32::BYTE*>(buffer),
                            &length) != 0)
    return false;
  buffer[length < limit ? length : limit] = '\0';
  return true;
}

// The snapshot method: 1 found, 0 not found, -1 when the method is not usable here.
int find_by_snapshot(w32::HMODULE kernel, const char* id) {
  SnapshotFn snapshot =
      reinterpret_cast<SnapshotFn>(w32::GetProcAddress(kernel, "CreateToolhelp32Snapshot"));
  ProcessWalkFn first = reinterpret_cast<ProcessWalkFn>(w32::GetProcAddress(kernel, "Process32First"));
  ProcessWalkFn next = reinterpret_cast<ProcessWalkFn>(w32::GetProcAddress(kernel, "Process32Next"));
  if (snapshot == nullptr || first == nullptr || next == nullptr) return -1;
  w32::HANDLE list = snapshot(w32::TH32CS_SNAPPROCESS, 0);
  if (list == w32::INVALID_HANDLE_VALUE || list == nullptr) return -1;
  w32::PROCESSENTRY32 entry;
  std::memset(&entry, 0, sizeof entry);
  entry.dwSize = sizeof entry;
  int result = -1;
  if (first(list, &entry)) {
    result = 0;
    do {
      char text[PROCESS_ID_SIZE];
      std::snprintf(text, sizeof text, "%d", static_cast<int>(entry.th32ProcessID));
      if (std::strcmp(text, id) == 0) {
        result = 1;
        break;
      }
    } while (next(list, &entry));
  }
  w32::CloseHandle(list);
  return result;
}

// The enumeration method: 1 found, else 0.
int find_by_enumeration(w32::HMODULE psapi, const char* id) {
  EnumProcessesFn enumerate =
      reinterpret_cast<EnumProcessesFn>(w32::GetProcAddress(psapi, "EnumProcesses"));
  if (enumerate == nullptr) return 0;
  static w32::DWORD ids[kMaxProcessIds];  // worker thread only
  w32::DWORD bytes = 0;
  if (!enumerate(ids, sizeof ids, &bytes)) return 0;
  // An id that starts with no number names no process; read as 0, it would match the
  // idle process and keep the setup from ever starting.
  const char* digits = id;
  while (*digits == ' ' || (*digits >= '\t' && *digits <= '\r')) ++digits;
  if (*digits == '+' || *digits == '-') ++digits;
  if (*digits < '0' || *digits > '9') return 0;
  w32::DWORD wanted = static_cast<w32::DWORD>(std::atoi(id));
  std::size_t count = bytes / sizeof ids[0];
  if (count > kMaxProcessIds) count = kMaxProcessIds;
  for (std::size_t i = 0; i < count; ++i)
    if (ids[i] == wanted) return 1;
  return 0;
}

void put_all(const Assignments* list) {
  for (std::size_t i = 0; i < list->count; ++i) put_environment(list->text[i]);
}

// The current directory, or false when it cannot be read whole.
bool read_current_directory(char* buffer) {
  w32::DWORD length = w32::GetCurrentDirectoryA(static_cast<w32::DWORD>(TEXT_SIZE), buffer);
  return length != 0 && length < TEXT_SIZE;
}

// Works out the start directory from argv[0]; sets *utility for the own name.
void find_start_directory(const char16_t* argv0, char* dir, bool* utility) {
  dir[0] = '\0';
  char current[TEXT_SIZE];
  bool have_current = read_current_directory(current);
  std::size_t dir_length = 0;
  const char16_t* name = nullptr;
  if (argv0 == nullptr || !split_launcher_path(argv0, &dir_length, &name)) {
    if (have_current) std::memcpy(dir, current, TEXT_SIZE);
    return;
  }
  if (is_utility_name(name)) *utility = true;
  // A directory that does not fit whole stays empty, which is refused: a cut one would
  // name another.
  if (dir_length >= TEXT_SIZE) return;
  char16_t wide[TEXT_SIZE];
  std::memcpy(wide, argv0, dir_length * sizeof(char16_t));
  wide[dir_length] = u'\0';
  if (!narrow_text(wide, dir, TEXT_SIZE)) {
    dir[0] = '\0';
    return;
  }
  complete_start_directory(dir, have_current ? current : nullptr);
}

bool file_matches(const char* pattern, char* first_name, std::size_t size) {
  w32::WIN32_FIND_DATAA found;
  w32::HANDLE search = w32::FindFirstFileA(pattern, &found);
  if (search == w32::INVALID_HANDLE_VALUE) return false;
  if (first_name != nullptr) format_text(first_name, size, "%s", found.cFileName);
  w32::FindClose(search);
  return true;
}

}  // namespace

void GetMachineType(char* machine_type, std::size_t size) {
  if (size == 0) return;
  machine_type[0] = '\0';
  w32::OSVERSIONINFOA version;
  std::memset(&version, 0, sizeof version);
  version.dwOSVersionInfoSize = sizeof version;
  if (!w32::GetVersionExA(&version) || version.dwPlatformId != w32::VER_PLATFORM_WIN32_NT) return;
  w32::SYSTEM_INFO info;
  std::memset(&info, 0, sizeof info);
  w32::GetSystemInfo(&info);
  if (static_cast<w32::WORD>(info.dwOemId & 0xFFFF) == w32::PROCESSOR_ARCHITECTURE_INTEL)
    format_text(machine_type, size, "%s", "i486_nt");
  w32::HKEY key = open_key(w32::HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0");
  if (key == nullptr) return;
  char identifier[TEXT_SIZE];
  if (read_text_value(key, "Identifier", identifier, sizeof identifier, sizeof identifier - 1) &&
      std::strncmp(identifier, "ia64", 4) == 0)
    format_text(machine_type, size, "%s", "ia64_nt");
  w32::RegCloseKey(key);
}

int ReadSetupProcessId(const char* file_name, char* id) {
  id[0] = '\0';
  std::FILE* file = open_file(file_name, "r");
  if (file == nullptr) return 0;
  KeyPath path;
  key_path_start(&path);
  int c;
  // In text mode a Ctrl-Z ends the file.
  while ((c = std::fgetc(file)) != EOF && c != 0x1A) key_path_add(&path, c);
  // A file that cannot be read (a directory, say) names no key, as one that does not open.
  bool unreadable = std::ferror(file) != 0;
  std::fclose(file);
  if (unreadable || path.overflow) return 0;  // a cut path would name some other key
  w32::HKEY key = open_key(w32::HKEY_CURRENT_USER, path.text);
  if (key == nullptr) return 0;
  char value[REG_VALUE_LIMIT + 1];
  if (read_text_value(key, "ProcessId", value, sizeof value, REG_VALUE_LIMIT) &&
      std::strlen(value) < PROCESS_ID_SIZE)
    std::memcpy(id, value, std::strlen(value) + 1);
  w32::RegCloseKey(key);
  return 1;
}

int IsProcessRunning(const char* id) {
  // No recorded id names no process (the enumeration would read it as process 0).
  if (id == nullptr || id[0] == '\0') return 0;
  int found = -1;
  w32::HMODULE kernel = w32::LoadLibraryA("KERNEL32.DLL");
  if (kernel != nullptr) found = find_by_snapshot(kernel, id);
  if (found >= 0) {
    w32::FreeLibrary(kernel);
    return found;
  }
  if (kernel != nullptr) w32::FreeLibrary(kernel);
  w32::HMODULE psapi = w32::LoadLibraryA("PSAPI.DLL");
  if (psapi == nullptr) return 0;
  found = find_by_enumeration(psapi, id);
  w32::FreeLibrary(psapi);
  return found;
}

void MakeTempSetupName(char* name, char* directory) {
  char temp_path[kTempPathLimit];
  // An empty variable names no directory (Windows keeps no empty variables).
  if ((!get_environment("TEMP", directory, TEXT_SIZE, nullptr) || directory[0] == '\0') &&
      (!get_environment("TMP", directory, TEXT_SIZE, nullptr) || directory[0] == '\0')) {
    w32::DWORD length = w32::GetTempPathA(static_cast<w32::DWORD>(sizeof temp_path), temp_path);
    if (length == 0 || length >= sizeof temp_path) temp_path[0] = '\0';
    format_text(directory, TEXT_SIZE, "%s", temp_path);
  }
  char unique[TEXT_SIZE];
  if (w32::GetTempFileNameA(directory, "vek", 0, unique) != 0) {
    w32::DeleteFileA(unique);
    format_text(name, TEXT_SIZE, "%s", unique);
  } else {
    format_text(name, TEXT_SIZE, "%s\\veksetup.exe", directory);
  }
  finish_temp_program_name(name, TEXT_SIZE);
  char assignment[TEXT_SIZE];
  format_text(assignment, sizeof assignment, "VEK_SETUP_REDIRECT=%s", name);
  put_environment(assignment);
}

int CopyFileToTemp(const char* source, const char* destination) {
  std::FILE* in = open_file(source, "rb");
  std::FILE* out = in != nullptr ? open_file(destination, "wb") : nullptr;
  if (in == nullptr || out == nullptr) {
    std::fprintf(stderr, "Error: Could not copy executable to temp directory\n");
    if (in != nullptr) std::fclose(in);
    return 0;
  }
  int c;
  while ((c = std::getc(in)) != EOF) {
    if (std::putc(c, out) == EOF) break;
  }
  bool failed = std::ferror(in) != 0 || std::ferror(out) != 0;
  std::fclose(in);
  if (std::fclose(out) != 0) failed = true;
  if (failed) {
    std::fprintf(stderr, "Error: Could not complete copy of executable to temp directory\n");
    return 0;
  }
  return 1;
}

// Copies one file the setup program needs from the medium (source null: its name did not
// fit). A setup program that is not there whole must not run: on failure the temporary
// program, whose name is ours alone, is removed and the process ends with 1, without
// static destructors, as the dialog thread still lives.
static void copy_to_temp_or_end(const char* source, const char* destination,
                                const char* temp_program) {
  if (source != nullptr && CopyFileToTemp(source, destination)) return;
  if (source == nullptr) std::fprintf(stderr, "Error: Could not copy executable to temp directory\n");
  w32::DeleteFileA(temp_program);
  w32::ExitProcess(1);
}

void LaunchSetup() {
  char machine_type[TEXT_SIZE];
  GetMachineType(machine_type, sizeof machine_type);

  int argc = 0;
  char16_t** argv = w32::CommandLineToArgvW(w32::GetCommandLineW(), &argc);
  if (argv == nullptr) argc = 0;

  LaunchOptions options;
  options.utility = false;
  static char start_dir[TEXT_SIZE];  // worker thread only
  find_start_directory(argc > 0 ? argv[0] : nullptr, start_dir, &options.utility);

  if (!is_usable_start_directory(start_dir)) {
    w32::MessageBoxA(nullptr, "Failed to start VEK.Setup. Please enter the full path to setup.exe",
                     "Fatal Error", w32::MB_ICONERROR);
    if (argv != nullptr) w32::LocalFree(argv);
    return;
  }

  parse_options(argc, argv, &options);
  if (argv != nullptr) w32::LocalFree(argv);
  if (options.lang_given) put_environment(options.lang);

  char pattern[TEXT_SIZE];
  bool multi_cd = false;
  if (options.utility) {
    if (format_text(pattern, sizeof pattern, "%s\\msi.dat", start_dir) &&
        file_matches(pattern, nullptr, 0))
      append_text(options.passed, sizeof options.passed, " -msiutil");
  } else {
    char first[TEXT_SIZE];
    if (format_text(pattern, sizeof pattern, "%s\\*_1.txt", start_dir) &&
        file_matches(pattern, first, sizeof first)) {
      multi_cd = true;
      append_text(options.passed, sizeof options.passed, " -multicd");
      char id_file[TEXT_SIZE];
      char id[PROCESS_ID_SIZE];
      if (format_text(id_file, sizeof id_file, "%s\\%s", start_dir, first) &&
          ReadSetupProcessId(id_file, id) == 1 && IsProcessRunning(id) == 1)
        return;
    }
  }

  Assignments assignments;
  char value[TEXT_SIZE];
  base_assignments(machine_type, options.utility, start_dir,
                   get_environment("VS_HELP", value, sizeof value, nullptr), &assignments);
  put_all(&assignments);

  static char command[TEXT_SIZE];  // worker thread only
  command[0] = '\0';
  bool fits = true;
  bool whole = false;
  if (get_environment("VYNSETUP_EXE", value, sizeof value, &whole)) {
    fits = whole && format_text(command, sizeof command, "%s ", value);
  } else if (multi_cd) {
    static char temp_name[TEXT_SIZE];
    static char temp_dir[TEXT_SIZE];
    MakeTempSetupName(temp_name, temp_dir);
    char source[TEXT_SIZE];
    copy_to_temp_or_end(
        setup_program_name(start_dir, machine_type, source, sizeof source) ? source : nullptr,
        temp_name, temp_name);
    fits = append_program(command, sizeof command, temp_name);
    char library[TEXT_SIZE];
    char library_copy[TEXT_SIZE];
    bool library_named = setup_library_name(start_dir, machine_type, library, sizeof library) &&
                         format_text(library_copy, sizeof library_copy, "%s\\mfc42.dll", temp_dir);
    copy_to_temp_or_end(library_named ? library : nullptr, library_copy, temp_name);
    Assignments medium;
    medium_assignments(start_dir, &medium);
    put_all(&medium);
  } else {
    char program[TEXT_SIZE];
    fits = setup_program_name(start_dir, machine_type, program, sizeof program);
    program[std::strlen(program) - 1] = '\0';  // the blank goes after the quotes
    fits = fits && append_program(command, sizeof command, program) &&
           append_text(command, sizeof command, " ");
  }
  fits = fits && append_text(command, sizeof command, options.passed);
  // A cut command would start something else than meant.
  if (!fits) return;

  w32::STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  w32::PROCESS_INFORMATION process;
  std::memset(&process, 0, sizeof process);
  if (w32::CreateProcessA(nullptr, command, nullptr, nullptr, w32::FALSE, w32::DETACHED_PROCESS,
                          nullptr, nullptr, &startup, &process)) {
    w32::WaitForInputIdle(process.hProcess, kIdleWaitMs);
    w32::CloseHandle(process.hThread);
    w32::CloseHandle(process.hProcess);
  }
}

}  // namespace trovask
