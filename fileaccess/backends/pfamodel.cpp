#include "fileaccess/backends/pfamodel.h"

#include <cstdio>
#include <cstring>

#include "fileaccess/core/pfa.h"
#include "fileaccess/names/fnstring.h"
#include "fileaccess/names/fnversion.h"
#include "fileaccess/names/oshelp.h"
#include "platform/w32/crt.h"
#include "platform/w32/file.h"
#include "platform/w32/findfile.h"
#include "platform/w32/volume.h"
#include "runtime/diag/console.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "runtime/text/strmake.h"
#include "runtime/text/wide.h"
#include "runtime/text/wstring.h"

namespace vek {

namespace {

constexpr std::size_t NARROW_ROOM = wstostr_room(VYN_NAME_MAX);
// The repair copies in blocks of this size.
constexpr std::size_t REPAIR_BLOCK = 32768;

bool narrow_of(const VynWchar* name, char* out) {
  return name && wstostr_bounded(out, NARROW_ROOM, name) == 0;
}

// Appends the units of part to out (length *n) unless that reaches VYN_NAME_MAX.
bool append(VynWchar* out, std::size_t* n, const VynWchar* part) {
  std::size_t k = static_cast<std::size_t>(wslen(part));
  if (*n + k >= static_cast<std::size_t>(VYN_NAME_MAX)) return false;
  std::memcpy(out + *n, part, (k + 1) * sizeof(VynWchar));
  *n += k;
  return true;
}

// The name with base name and extension lower-cased, as the writing opens form it:
// "path name.ext.version", "path name.ext" or "path name"; false when it would reach
// VYN_NAME_MAX characters or the name does not split.
// Which parts of a name a write lower-cases: the model-file opens lower the base name
// and extension, the handle open the path and base name.
enum class LowerParts { base_and_extension, path_and_base };

bool lower_cased_name(const VynWchar* name, VynWchar* out,
                      LowerParts parts = LowerParts::base_and_extension) {
  VynWchar path[VYN_NAME_MAX + 1], base[VYN_NAME_MAX + 1], extension[VYN_NAME_MAX + 1],
      version[VYN_NAME_MAX + 1];
  get_path_name_ext_ver(name, path, base, extension, version);
  if (!base[0]) return false;
  wcnvrt_to_lower(base, base);
  wcnvrt_to_lower(parts == LowerParts::path_and_base ? path : extension,
                  parts == LowerParts::path_and_base ? path : extension);
  std::size_t n = 0;
  out[0] = 0;
  bool fits = append(out, &n, path) && append(out, &n, base);
  if (fits && (extension[0] || version[0])) fits = append(out, &n, u".") && append(out, &n, extension);
  if (fits && version[0]) fits = append(out, &n, u".") && append(out, &n, version);
  return fits;
}

// The name for opening: lower-cased for writing, as it exists on disk for reading.
bool name_to_open(const VynWchar* name, bool reading, char* narrow) {
  if (!name || wslen(name) >= VYN_NAME_MAX) return false;
  VynWchar formed[VYN_NAME_MAX];
  bool ok = reading ? get_real_name(name, formed) == 1 : lower_cased_name(name, formed);
  return ok && narrow_of(formed, narrow);
}

bool stat_of(const VynWchar* name, w32::_stat* s) {
  char narrow[NARROW_ROOM];
  return narrow_of(name, narrow) && w32::stat(narrow, s) == 0;
}

bool ends_with_crlf(const char* line) {
  std::size_t n = std::strlen(line);
  return n >= 2 && line[n - 2] == '\r' && line[n - 1] == '\n';
}

// Copies in to out dropping every CR directly before an LF; a CR that ends a block
// waits for the next block's first byte. 0, 1 for a failed read, 13 for a failed write.
int copy_without_dos(std::FILE* in, std::FILE* out) {
  static char block[REPAIR_BLOCK];
  static char kept[REPAIR_BLOCK + 1];
  bool held = false;
  for (;;) {
    std::size_t n = std::fread(block, 1, REPAIR_BLOCK, in);
    if (n < REPAIR_BLOCK && std::ferror(in)) return PFA_E_ERROR;
    std::size_t k = 0;
    if (held && n > 0) {
      if (block[0] != '\n') kept[k++] = '\r';
      held = false;
    }
    for (std::size_t i = 0; i < n; ++i) {
      if (block[i] == '\r') {
        if (i + 1 == n) {
          held = true;
          continue;
        }
        if (block[i + 1] == '\n') continue;
      }
      kept[k++] = block[i];
    }
    if (n < REPAIR_BLOCK && held) {  // the file's last byte
      kept[k++] = '\r';
      held = false;
    }
    // A stream may take the bytes and fail only in its flush: its error flag tells.
    if (k > 0 && (std::fwrite(kept, 1, k, out) != k || std::ferror(out))) return PFA_E_CANT_WRITE;
    if (n < REPAIR_BLOCK) return 0;
  }
}

// The file part of a narrow name.
const char* file_part(const char* name) {
  const char* file = name;
  get_last_dir_delim(name, &file, 0, 1);
  return file;
}

// The directory part of a narrow name through its last delimiter, "." without one.
void directory_of(const char* name, char* out, std::size_t room) {
  std::size_t n = static_cast<std::size_t>(file_part(name) - name);
  if (n == 0) {
    std::snprintf(out, room, ".");
    return;
  }
  std::snprintf(out, room, "%.*s", static_cast<int>(n), name);
}

// Checks or repairs one file (the body of vyn_fix_dossed_pfa_dirs).
void fix_one_file(const char* name, int check_only) {
  std::FILE* err = stderr;
  const char* shown = file_part(name);
  if (!check_only) {
    std::int64_t size = 0;
    if (!have_space_and_perms(name, &size)) {
      if (size == 0) {
        ivek_fprintf(err, "%s: no write permission to convert file.\n", shown);
      } else {
        ivek_fprintf(err, "%s: insufficient disk space.  %s required.\n", shown,
                     formatted_size(size));
      }
      return;
    }
  }
  std::FILE* stream = dci_fopen(name, "rb");
  if (!stream) return;
  char release[8] = "";
  int status = 0;
  int dos = is_dossed_ugc_file(stream, &status, release);
  std::fclose(stream);
  char release_text[32] = "";
  if (release[0]) std::snprintf(release_text, sizeof release_text, "Release %s", release);
  if (!dos) {
    if (!release[0]) {
      ivek_fprintf(err, "%s: Not a recognized Mavrel file\n", shown);
      return;
    }
    ivek_fprintf(err, "%s: Mavrel %s file.\n", shown, release_text);
    ivek_fprintf(err, "  File format is correct and does not need to ");
    ivek_fprintf(err, "be corrected.\n");
    return;
  }
  if (check_only) {
    ivek_fprintf(err, "%s: Mavrel %s file. ", shown, release_text);
    ivek_fprintf(err, "Invalid file format detected.\n");
    ivek_fprintf(err, "  File needs to be corrected to allow ");
    ivek_fprintf(err, "retrieval into Mavrel.\n");
    ivek_fprintf(err, "  Temporary additional disk space may be ");
    ivek_fprintf(err, "needed to correct file.\n");
    return;
  }
  ivek_fprintf(err, "%s: Mavrel %s file.\n", shown, release_text);
  ivek_fprintf(err, "  Invalid file format detected. File is being ");
  ivek_fprintf(err, "converted.....\n");
  char written[NARROW_ROOM] = "";
  if (vyn_fix_dossed_file(name, name, &status, nullptr, written) == 1) {
    // Only a complete copy lets the source version go.
    w32::DeleteFileA(name);
    ivek_fprintf(err, "  ...File has been converted to %s\n", file_part(written));
  } else {
    ivek_fprintf(err, "...conversion failed\n");
  }
}

// Handles every entry of the directory dir (and of its subdirectories with descend).
int fix_directory(const char* dir, int check_only, int descend) {
  char pattern[NARROW_ROOM + 4];
  if (std::snprintf(pattern, sizeof pattern, "%s\\*", dir) >= static_cast<int>(sizeof pattern))
    return 0;
  w32::WIN32_FIND_DATAA data;
  w32::HANDLE search = w32::FindFirstFileA(pattern, &data);
  if (search == w32::INVALID_HANDLE_VALUE) {
    ivek_fprintf(stderr, "Could not open directory.\n");
    return 0;
  }
  // The names are listed first, so that the repairs do not change the listing read.
  char** names = nullptr;
  do {
    if (std::strcmp(data.cFileName, ".") == 0 || std::strcmp(data.cFileName, "..") == 0)
      continue;
    bool directory = (data.dwFileAttributes & w32::FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (directory && !descend) continue;
    char entry[NARROW_ROOM + w32::MAX_PATH + 2];
    std::snprintf(entry, sizeof entry, "%s\\%s", dir, data.cFileName);
    char* copy = make_scopy(entry);
    xar_alloc_or_append(&names, 1, sizeof(char*), 16, &copy);
  } while (w32::FindNextFileA(search, &data));
  w32::FindClose(search);
  int count = xar_count(&names);
  for (int i = 0; i < count; ++i) {
    w32::DWORD attributes = w32::GetFileAttributesA(names[i]);
    if (attributes != w32::INVALID_FILE_ATTRIBUTES &&
        (attributes & w32::FILE_ATTRIBUTE_DIRECTORY)) {
      fix_directory(names[i], check_only, descend);
    } else {
      fix_one_file(names[i], check_only);
    }
    rlsmem(names[i]);
  }
  xar_free(&names);
  return 1;
}

}  // namespace

int spg_open(const VynWchar* name, int flags, int permission) {
  char narrow[NARROW_ROOM];
  if (!name_to_open(name, flags == 0, narrow)) return -1;
  return w32::_open(narrow, flags | w32::_O_BINARY, permission);
}

std::FILE* spg_fopen(const VynWchar* name, const char* mode) {
  char narrow[NARROW_ROOM];
  if (!mode || !name_to_open(name, std::strcmp(mode, "r") == 0, narrow)) return nullptr;
  return dci_fopen(narrow, mode);
}

VynFile* pfa_spg_fopen(const VynWchar* name, const char* mode) {
  if (!name || !mode || wslen(name) >= VYN_NAME_MAX) return nullptr;
  VynWchar formed[VYN_NAME_MAX];
  if (std::strchr(mode, 'r')) {
    get_real_name(name, formed);  // the name as given when no file has it
  } else if (!lower_cased_name(name, formed, LowerParts::path_and_base)) {
    return nullptr;
  }
  return pfa_fopen_wfile_vers(formed, mode, PFA_RULE_AS_NAMED);
}

int spg_access(const VynWchar* name, int mode) {
  if (!name) return -1;
  if (mode == 0 && vyn_get_mdate(name, nullptr)) return 0;
  VynWchar real[VYN_NAME_MAX];
  if (get_real_name(name, real) != 1) return -1;
  if (mode == 0) return 0;
  char narrow[NARROW_ROOM];
  return narrow_of(real, narrow) && w32::_access(narrow, mode) == 0 ? 0 : -1;
}

int get_real_name(const VynWchar* name, VynWchar* out) {
  if (!name || !out || wslen(name) >= VYN_NAME_MAX) return 0;
  wscpy(out, name);
  char narrow[NARROW_ROOM];
  if (!narrow_of(name, narrow)) return 0;
  if (w32::_access(narrow, 0) == 0) return 1;
  // Version 1 that does not exist: the unversioned file.
  VynWchar base[VYN_NAME_MAX];
  int version = 0;
  get_version_num(name, &version, base);
  if (version != 1 || !narrow_of(base, narrow) || w32::_access(narrow, 0) != 0) return 0;
  wscpy(out, base);
  return 1;
}

int file_name_cnvrt_to_lower(const VynWchar* name, VynWchar* out) {
  if (!name || !out) return 0;
  std::size_t file = file_part_offset(name);
  std::size_t i = 0;
  for (; name[i]; ++i) out[i] = i < file ? name[i] : wlowercase(name[i]);
  out[i] = 0;
  return 1;
}

int vyn_get_mdate(const VynWchar* name, std::int64_t* time) {
  w32::_stat s;
  if (!stat_of(name, &s)) return 0;
  if (time) *time = s.st_mtime64;
  return 1;
}

int vyn_get_cdate(const VynWchar* name, std::int64_t* time) {
  w32::_stat s;
  if (!stat_of(name, &s)) return 0;
  if (time) *time = s.st_ctime64;
  return 1;
}

int strip_version_from_char_name(const char* name, char* out) {
  if (!name || !out) return 0;
  std::size_t n = std::strlen(name);
  std::memmove(out, name, n + 1);
  const char* file = file_part(out);
  int dots = 0;
  char* cut = nullptr;
  walk_name_chars(out, [&](char* p, int k) {
    if (cut || p < file || k != 1 || *p != '.' || p == file) return;
    if (++dots == 2) cut = p;
  });
  if (cut) *cut = '\0';
  return 1;
}

int is_dossed_ugc_file(std::FILE* stream, int* status, char* release) {
  if (release) release[0] = '\0';
  if (status) *status = 0;
  if (!stream) return 0;
  char line[162];
  if (!std::fgets(line, 80, stream)) {
    if (status) *status = std::ferror(stream) ? PFA_E_ERROR : PFA_E_QUIT;
    return 0;
  }
  if (std::strncmp(line, "#UGC", 4) != 0) {
    std::rewind(stream);
    return 0;
  }
  char word[8] = "";
  if (std::sscanf(line, "%*s %*s %*d %*d %*d %*d %*d %*d %4s", word) == 1 && release)
    std::snprintf(release, 5, "%s", word);
  if (ends_with_crlf(line)) {
    std::rewind(stream);
    return 1;
  }
  int dos = 0;
  while (std::fgets(line, 161, stream)) {
    if (std::strncmp(line, "#Mavrel", 7) == 0) {
      dos = ends_with_crlf(line) ? 1 : 0;
      break;
    }
  }
  // A read that failed is told apart from the end of the file (rewind forgets it).
  if (std::ferror(stream) && status) *status = PFA_E_ERROR;
  std::rewind(stream);
  return dos;
}

int vyn_fix_dossed_file(const char* source, const char* target, int* status, char* release,
                        char* written) {
  int ignored = 0;
  if (!status) status = &ignored;
  if (written) written[0] = '\0';
  *status = PFA_E_CANT_OPEN;
  if (!source || !target) return 0;
  std::FILE* in = dci_fopen(source, "rb");
  if (!in) return 0;
  char word[8] = "";
  int dos = is_dossed_ugc_file(in, status, word);
  if (release) std::snprintf(release, 5, "%s", word);
  if (!dos) {
    std::fclose(in);
    *status = *status == PFA_E_ERROR ? PFA_E_ERROR : 0;
    return 0;
  }
  // The target is the next version of the target's name.
  char bare[NARROW_ROOM];
  get_version_from_ascii_fname(target, bare);
  char next[NARROW_ROOM + 16];
  int length = std::snprintf(next, sizeof next, "%s.%d", bare,
                             vyn_file_highest_version(bare) + 1);
  if (length >= VYN_NAME_MAX) {
    std::fclose(in);
    *status = PFA_E_INVALID_NAME;
    return 0;
  }
  std::FILE* out = dci_fopen(next, "wb");
  if (!out) {
    std::fclose(in);
    *status = PFA_E_CANT_OPEN;
    return 0;
  }
  int result = copy_without_dos(in, out);
  std::fclose(in);
  if (result == 0 && (std::fflush(out) != 0 || std::ferror(out))) result = PFA_E_CANT_WRITE;
  if (std::fclose(out) != 0 && result == 0) result = PFA_E_CANT_WRITE;
  if (result != 0) {
    // Nothing of a failed copy stays; the source is as it was.
    w32::DeleteFileA(next);
    *status = result;
    return 0;
  }
  if (written) std::memcpy(written, next, static_cast<std::size_t>(length) + 1);
  *status = 0;
  return 1;
}

int vyn_fix_dossed_pfa_dirs(const char* name, int check_only, int descend) {
  if (!name) return 0;
  char path[NARROW_ROOM];
  if (std::snprintf(path, sizeof path, "%s", name) >= static_cast<int>(sizeof path)) return 0;
  remove_dir_delim(path, 1);
  w32::DWORD attributes = w32::GetFileAttributesA(path);
  if (attributes == w32::INVALID_FILE_ATTRIBUTES) {
    ivek_fprintf(stderr, "Could not open directory.\n");
    return 0;
  }
  if (attributes & w32::FILE_ATTRIBUTE_DIRECTORY) return fix_directory(path, check_only, descend);
  fix_one_file(path, check_only);
  return 1;
}

int have_space_and_perms(const char* name, std::int64_t* size) {
  if (size) *size = 0;
  if (!name) return 0;
  char dir[NARROW_ROOM];
  directory_of(name, dir, sizeof dir);
  if (w32::_access(dir, 2) != 0) return 0;
  // The free space is asked of the drive's root ("X:\\"), or of a network name itself.
  char root[NARROW_ROOM];
  if (!w32::_fullpath(root, dir, sizeof root)) return 0;
  if (root[0] && root[1] == ':') root[3] = '\0';
  w32::DWORD sectors = 0, bytes = 0, free_clusters = 0, total = 0;
  if (!w32::GetDiskFreeSpaceA(root, &sectors, &bytes, &free_clusters, &total)) return 0;
  std::uint64_t room = static_cast<std::uint64_t>(sectors) * bytes * free_clusters;
  w32::_stat s;
  if (w32::stat(name, &s) != 0) return 0;
  auto file_size = static_cast<std::uint64_t>(s.st_size);
  if (file_size <= room) return 1;
  if (size) *size = s.st_size;
  return 0;
}

const char* formatted_size(std::int64_t bytes) {
  static char text[40];
  static const char* const kUnits[] = {"bytes", "Kbytes", "Mbytes", "Gbytes"};
  int unit = 0;
  while (unit < 3 && bytes >= 1024) {
    bytes /= 1024;
    ++unit;
  }
  std::snprintf(text, sizeof text, "%lld %s", static_cast<long long>(bytes), kUnits[unit]);
  return text;
}

}  // namespace vek
