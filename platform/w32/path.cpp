#include "platform/w32/path.h"

#include <dirent.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/w32/ascii.h"
#include "platform/w32/codepage.h"
#include "platform/w32/error.h"
#include "platform/w32/path_testing.h"

namespace w32 {

namespace {

constexpr int kDriveCount = 26;
constexpr int kDefaultDrive = 'C' - 'A';
constexpr char kDefaultUncRoot[] = "/tmp/yrl-unc";

// A name below a root after folding, in the form "/a/b" ("" for the root itself). Its
// components are those of the Windows name, not yet matched against the disk.
struct Logical {
  char text[W32_PATH_CAPACITY];
  std::size_t length;
  // ".." never cuts below this length: 0, or the "/host/share" of a UNC name.
  std::size_t floor;
};

// Zero is the start state, so that the table needs no initialiser and a reset only
// clears it: "C:" mapped to "/", every other drive unmapped.
enum DriveState { kDriveAsAtStart = 0, kDriveUnmapped, kDriveMapped };

struct Drive {
  DriveState state;
  char root[W32_PATH_CAPACITY];  // an absolute POSIX directory, when kDriveMapped
  // The current directory, in the form of Logical::text; valid once has_directory is
  // set. Until then "C:" follows the process's working directory (C: is "/"), so that a
  // relative name means the same file here as anywhere else in the process.
  bool has_directory;
  char directory[W32_PATH_CAPACITY];
};

// Changed only through the configuration functions; g_lock keeps a resolution on one
// thread from reading a half-written root while another thread configures.
Drive g_drives[kDriveCount];
int g_current_drive = kDefaultDrive;
char g_unc_root[W32_PATH_CAPACITY];  // empty: kDefaultUncRoot
pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;

// The POSIX directory of a drive, null when it is unmapped. Called with g_lock held.
const char* drive_root(int drive) {
  switch (g_drives[drive].state) {
    case kDriveMapped:
      return g_drives[drive].root;
    case kDriveAsAtStart:
      return drive == kDefaultDrive ? "/" : nullptr;
    default:
      return nullptr;
  }
}

BOOL fail(DWORD code) {
  SetLastError(code);
  return FALSE;
}


int drive_index(char letter) {
  if (letter >= 'a' && letter <= 'z') return letter - 'a';
  if (letter >= 'A' && letter <= 'Z') return letter - 'A';
  return -1;
}

// Characters that Win32 refuses inside a component.
bool is_reserved(char c) {
  return static_cast<unsigned char>(c) < 0x20 || std::strchr("<>:\"|?*", c) != nullptr;
}

// Appends text (length bytes) at the end of buffer, which holds *used bytes and has room
// for capacity including a terminator; false when it does not fit.
bool append(char* buffer, std::size_t* used, std::size_t capacity, const char* text,
            std::size_t length) {
  if (*used + length >= capacity) return false;
  std::memcpy(buffer + *used, text, length);
  *used += length;
  buffer[*used] = '\0';
  return true;
}

// Adds one component of a name to path, folding "." and "..".
DWORD add_component(Logical* path, const char* component, std::size_t length) {
  if (length == 1 && component[0] == '.') return ERROR_SUCCESS;
  if (length == 2 && component[0] == '.' && component[1] == '.') {
    while (path->length > path->floor && path->text[path->length - 1] != '/') --path->length;
    if (path->length > path->floor) --path->length;
    path->text[path->length] = '\0';
    return ERROR_SUCCESS;
  }
  for (std::size_t i = 0; i < length; ++i)
    if (is_reserved(component[i])) return ERROR_INVALID_NAME;
  if (!append(path->text, &path->length, sizeof path->text, "/", 1) ||
      !append(path->text, &path->length, sizeof path->text, component, length))
    return ERROR_FILENAME_EXCED_RANGE;
  return ERROR_SUCCESS;
}

// Adds every component of name (delimited by '\' or '/', empty ones skipped) to path.
DWORD add_components(Logical* path, const char* name) {
  while (*name != '\0') {
    while (is_path_delimiter(*name)) ++name;
    const char* end = name;
    while (*end != '\0' && !is_path_delimiter(*end)) ++end;
    if (end > name) {
      DWORD code = add_component(path, name, static_cast<std::size_t>(end - name));
      if (code != ERROR_SUCCESS) return code;
    }
    name = end;
  }
  return ERROR_SUCCESS;
}

// The two leading components of a UNC name ("host\share\rest" after the two
// delimiters), which become the floor of path; *rest is left at what follows them.
DWORD add_unc_prefix(Logical* path, const char* name, const char** rest) {
  for (int part = 0; part < 2; ++part) {
    const char* end = name;
    while (*end != '\0' && !is_path_delimiter(*end)) ++end;
    std::size_t length = static_cast<std::size_t>(end - name);
    // "." or ".." as host or share would let the name leave the UNC root.
    bool dots = length <= 2 && std::strncmp(name, "..", length) == 0;
    if (length == 0 || dots) return ERROR_INVALID_NAME;
    DWORD code = add_component(path, name, length);
    if (code != ERROR_SUCCESS) return code;
    name = *end != '\0' ? end + 1 : end;
  }
  path->floor = path->length;
  *rest = name;
  return ERROR_SUCCESS;
}

// Starts path at the current directory of drive. Called with g_lock held.
DWORD start_at_current_directory(int drive, Logical* path) {
  const Drive& entry = g_drives[drive];
  if (entry.has_directory || entry.state != kDriveAsAtStart) {
    std::strcpy(path->text, entry.directory);
  } else {
    if (::getcwd(path->text, sizeof path->text) == nullptr) return w32_error_from_errno(errno);
    if (std::strcmp(path->text, "/") == 0) path->text[0] = '\0';
  }
  path->length = std::strlen(path->text);
  return ERROR_SUCCESS;
}

// Splits a name into the POSIX root it lies under and its folded components; *drive
// (when given) gets the drive's index, -1 for a UNC name.
DWORD parse(const char* name, char* root, Logical* path, int* drive_out = nullptr) {
  path->text[0] = '\0';
  path->length = 0;
  path->floor = 0;
  if (name[0] == '\0') return ERROR_PATH_NOT_FOUND;

  pthread_mutex_lock(&g_lock);
  DWORD code = ERROR_SUCCESS;
  const char* rest = name;
  if (is_path_delimiter(name[0]) && is_path_delimiter(name[1])) {
    if (drive_out != nullptr) *drive_out = -1;
    std::strcpy(root, g_unc_root[0] != '\0' ? g_unc_root : kDefaultUncRoot);
    code = add_unc_prefix(path, name + 2, &rest);
  } else {
    int drive = g_current_drive;
    if (drive_index(name[0]) >= 0 && name[1] == ':') {
      drive = drive_index(name[0]);
      rest = name + 2;
    }
    if (drive_out != nullptr) *drive_out = drive;
    if (drive_root(drive) == nullptr) {
      code = ERROR_PATH_NOT_FOUND;
    } else {
      std::strcpy(root, drive_root(drive));
      if (!is_path_delimiter(rest[0])) code = start_at_current_directory(drive, path);
    }
  }
  pthread_mutex_unlock(&g_lock);
  return code == ERROR_SUCCESS ? add_components(path, rest) : code;
}

// Looks in the directory dir for an entry whose name equals component (length bytes)
// with ASCII letters folded; copies the first such name by byte order over component.
// ERROR_FILE_NOT_FOUND when there is none.
DWORD find_folded(const char* dir, char* component, std::size_t length) {
  DIR* stream = opendir(dir[0] != '\0' ? dir : "/");
  if (stream == nullptr)
    return errno == ENOENT ? ERROR_PATH_NOT_FOUND : w32_error_from_errno(errno);
  bool found = false;
  char best[256];
  while (const dirent* entry = readdir(stream)) {
    if (!equal_ascii_folded(component, entry->d_name, length) || entry->d_name[length] != '\0')
      continue;
    if (!found || std::strcmp(entry->d_name, best) < 0)
      std::memcpy(best, entry->d_name, length + 1);
    found = true;
  }
  closedir(stream);
  if (!found) return ERROR_FILE_NOT_FOUND;
  std::memcpy(component, best, length);
  return ERROR_SUCCESS;
}

// Builds the POSIX name of path under root in out, matching each component against
// the disk (see path.h).
DWORD match(const char* root, const Logical& path, bool ends_with_delimiter, char* out,
            std::size_t capacity) {
  std::size_t used = 0;
  out[0] = '\0';
  std::size_t root_length = std::strlen(root);
  while (root_length > 0 && root[root_length - 1] == '/') --root_length;
  if (!append(out, &used, capacity, root, root_length)) return ERROR_FILENAME_EXCED_RANGE;

  const char* at = path.text;
  while (*at != '\0') {
    const char* component = at + 1;  // past its '/'
    const char* end = std::strchr(component, '/');
    if (end == nullptr) end = component + std::strlen(component);
    std::size_t length = static_cast<std::size_t>(end - component);
    std::size_t dir_length = used;
    if (!append(out, &used, capacity, at, length + 1)) return ERROR_FILENAME_EXCED_RANGE;
    at = end;
    struct stat st;
    if (lstat(out, &st) == 0) continue;
    if (errno != ENOENT) return w32_error_from_errno(errno);
    out[dir_length] = '\0';
    DWORD code = find_folded(out, out + dir_length + 1, length);
    out[dir_length] = '/';
    if (code == ERROR_FILE_NOT_FOUND) code = *at == '\0' ? ERROR_SUCCESS : ERROR_PATH_NOT_FOUND;
    if (code != ERROR_SUCCESS) return code;
  }
  if (used == 0 || (ends_with_delimiter && out[used - 1] != '/'))
    if (!append(out, &used, capacity, "/", 1)) return ERROR_FILENAME_EXCED_RANGE;
  return ERROR_SUCCESS;
}

// The one translation from a name in UTF-8 to its POSIX name.
BOOL resolve_utf8(const char* name, char* posix, std::size_t capacity) {
  char root[W32_PATH_CAPACITY];
  Logical path;
  DWORD code = parse(name, root, &path);
  if (code == ERROR_SUCCESS) {
    std::size_t length = std::strlen(name);
    code = match(root, path, is_path_delimiter(name[length - 1]), posix, capacity);
  }
  if (code == ERROR_SUCCESS) return TRUE;
  posix[0] = '\0';
  return fail(code);
}

// Why a conversion of a name failed, as a path error: a name too long for the buffer
// is too long for the model.
DWORD conversion_error() {
  DWORD code = GetLastError();
  return code == ERROR_INSUFFICIENT_BUFFER ? ERROR_FILENAME_EXCED_RANGE : code;
}

bool bad_output(char* posix, std::size_t capacity) { return posix == nullptr || capacity == 0; }

BOOL refuse(char* posix, DWORD code) {
  posix[0] = '\0';
  return fail(code);
}

bool valid_directory(const char* directory) {
  return directory != nullptr && directory[0] == '/' && std::strlen(directory) < W32_PATH_CAPACITY;
}

// The UTF-8 form of a wide name; FALSE with the reason.
BOOL to_utf8(const WCHAR* name, char (&utf8)[W32_PATH_CAPACITY]) {
  // An unpaired surrogate has no UTF-8 form: such a name names no file.
  if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, name, -1, utf8,
                          static_cast<int>(sizeof utf8), nullptr, nullptr) != 0)
    return TRUE;
  return fail(conversion_error());
}

// A wide name parsed as parse does it.
struct Parsed {
  char utf8[W32_PATH_CAPACITY];
  char root[W32_PATH_CAPACITY];
  Logical path;
  int drive;
};

// TRUE with *parsed filled; FALSE with the reason.
BOOL parse_wide(const WCHAR* name, Parsed* parsed) {
  if (name == nullptr) return fail(ERROR_INVALID_PARAMETER);
  if (!to_utf8(name, parsed->utf8)) return FALSE;
  DWORD code = parse(parsed->utf8, parsed->root, &parsed->path, &parsed->drive);
  return code == ERROR_SUCCESS ? TRUE : fail(code);
}

}  // namespace

BOOL w32_resolve_path_w(const WCHAR* name, char* posix, std::size_t capacity) {
  if (bad_output(posix, capacity)) return fail(ERROR_INVALID_PARAMETER);
  if (name == nullptr) return refuse(posix, ERROR_INVALID_PARAMETER);
  char utf8[W32_PATH_CAPACITY];
  if (!to_utf8(name, utf8)) return refuse(posix, GetLastError());
  return resolve_utf8(utf8, posix, capacity);
}

BOOL w32_set_current_directory(const WCHAR* name) {
  Parsed parsed;
  if (!parse_wide(name, &parsed)) return FALSE;
  const char* root = parsed.root;
  int drive = parsed.drive;
  // Current directories are kept per drive; a share has none.
  if (drive < 0) return fail(ERROR_NOT_SUPPORTED);
  char posix[W32_PATH_CAPACITY];
  DWORD code = match(root, parsed.path, false, posix, sizeof posix);
  if (code != ERROR_SUCCESS) return fail(code);
  struct stat st;
  if (stat(posix, &st) != 0) return fail(w32_error_from_errno(errno));
  if (!S_ISDIR(st.st_mode)) return fail(ERROR_DIRECTORY);
  // Kept as the disk spells it: the part of the POSIX name below the drive's root.
  std::size_t root_length = std::strlen(root);
  while (root_length > 0 && root[root_length - 1] == '/') --root_length;
  std::size_t length = std::strlen(posix);
  while (length > root_length && posix[length - 1] == '/') --length;
  pthread_mutex_lock(&g_lock);
  // The drive may have been unmapped or remapped meanwhile: then nothing changes.
  const char* now = drive_root(drive);
  bool same = now != nullptr && std::strncmp(now, root, root_length) == 0;
  if (same) {
    Drive& entry = g_drives[drive];
    std::memcpy(entry.directory, posix + root_length, length - root_length);
    entry.directory[length - root_length] = '\0';
    entry.has_directory = true;
    g_current_drive = drive;
  }
  pthread_mutex_unlock(&g_lock);
  return same ? TRUE : fail(ERROR_PATH_NOT_FOUND);
}

BOOL w32_full_path_name(const WCHAR* name, WCHAR* full, std::size_t capacity) {
  if (full == nullptr || capacity == 0) return fail(ERROR_INVALID_PARAMETER);
  Parsed parsed;
  if (!parse_wide(name, &parsed)) return FALSE;
  const Logical& path = parsed.path;
  const char* utf8 = parsed.utf8;
  int drive = parsed.drive;
  char text[W32_PATH_CAPACITY + 4];
  std::size_t used = 0;
  if (drive >= 0) {
    text[used++] = static_cast<char>('A' + drive);
    text[used++] = ':';
  } else {
    text[used++] = '\\';  // the second comes with the host's '/'
  }
  std::memcpy(text + used, path.text, path.length + 1);
  if (path.length == 0)
    std::strcpy(text + used, "/");
  else if (is_path_delimiter(utf8[std::strlen(utf8) - 1]))
    std::strcat(text + used, "/");
  for (char* at = text; *at != '\0'; ++at)
    if (*at == '/') *at = '\\';
  if (MultiByteToWideChar(CP_UTF8, 0, text, -1, full, static_cast<int>(capacity)) == 0)
    return fail(conversion_error());
  return TRUE;
}



BOOL w32_resolve_path_a(const char* name, char* posix, std::size_t capacity) {
  if (bad_output(posix, capacity)) return fail(ERROR_INVALID_PARAMETER);
  if (name == nullptr) return refuse(posix, ERROR_INVALID_PARAMETER);
  WCHAR wide[W32_PATH_CAPACITY];
  if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name, -1, wide,
                          static_cast<int>(W32_PATH_CAPACITY)) == 0)
    return refuse(posix, conversion_error());
  return w32_resolve_path_w(wide, posix, capacity);
}

BOOL w32_set_drive(char letter, const char* directory) {
  int drive = drive_index(letter);
  if (drive < 0 || (directory != nullptr && !valid_directory(directory)))
    return fail(ERROR_INVALID_PARAMETER);
  pthread_mutex_lock(&g_lock);
  Drive& entry = g_drives[drive];
  entry.state = directory != nullptr ? kDriveMapped : kDriveUnmapped;
  std::strcpy(entry.root, directory != nullptr ? directory : "");
  entry.has_directory = true;
  entry.directory[0] = '\0';
  pthread_mutex_unlock(&g_lock);
  return TRUE;
}

BOOL w32_set_current_drive(char letter) {
  int drive = drive_index(letter);
  if (drive < 0) return fail(ERROR_INVALID_PARAMETER);
  pthread_mutex_lock(&g_lock);
  bool mapped = drive_root(drive) != nullptr;
  if (mapped) g_current_drive = drive;
  pthread_mutex_unlock(&g_lock);
  return mapped ? TRUE : fail(ERROR_PATH_NOT_FOUND);
}

BOOL w32_set_unc_root(const char* directory) {
  if (!valid_directory(directory)) return fail(ERROR_INVALID_PARAMETER);
  pthread_mutex_lock(&g_lock);
  std::strcpy(g_unc_root, directory);
  pthread_mutex_unlock(&g_lock);
  return TRUE;
}

BOOL w32_unc_root(char* directory, std::size_t capacity) {
  if (directory == nullptr || capacity == 0) return fail(ERROR_INVALID_PARAMETER);
  pthread_mutex_lock(&g_lock);
  const char* root = g_unc_root[0] != '\0' ? g_unc_root : kDefaultUncRoot;
  std::size_t length = std::strlen(root);
  bool fits = length < capacity;
  if (fits) std::memcpy(directory, root, length + 1);
  pthread_mutex_unlock(&g_lock);
  return fits ? TRUE : fail(ERROR_FILENAME_EXCED_RANGE);
}

BOOL path_testing_set_directory(char letter, const char* directory) {
  int drive = drive_index(letter);
  if (drive < 0 || directory == nullptr || !is_path_delimiter(directory[0]))
    return fail(ERROR_INVALID_PARAMETER);
  Logical path = {};
  DWORD code = add_components(&path, directory);
  if (code != ERROR_SUCCESS) return fail(code);
  pthread_mutex_lock(&g_lock);
  std::strcpy(g_drives[drive].directory, path.text);
  g_drives[drive].has_directory = true;
  pthread_mutex_unlock(&g_lock);
  return TRUE;
}

void path_testing_reset() {
  pthread_mutex_lock(&g_lock);
  std::memset(g_drives, 0, sizeof g_drives);
  g_current_drive = kDefaultDrive;
  g_unc_root[0] = '\0';
  pthread_mutex_unlock(&g_lock);
}

}  // namespace w32
