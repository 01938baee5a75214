#include "fileaccess/backends/pfamodel.h"

#include <cstdio>
#include <cstring>

#include "fileaccess/core/pfa.h"
#include "fileaccess/core/pfacomp.h"
#include "fileaccess/core/pfafile.h"
#include "fileaccess/core/pfaname.h"
#include "fileaccess/core/pfaops.h"
#include "fileaccess/names/fnstring.h"
#include "fileaccess/names/fnversion.h"
#include "fileaccess/names/oshelp.h"
#include "fileaccess/names/pfahandleops.h"
#include "fileaccess/names/pfascan.h"
#include "fileaccess/names/pfavers.h"
#include "platform/w32/crt.h"
#include "runtime/diag/console.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "runtime/text/strmake.h"
#include "runtime/text/strutil.h"
#include "runtime/text/textbase.h"
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
// waits for the next block's first byte. Reads go on until the source reports its end,
// so a short block is never taken for the end; *copied gets the bytes read. 0, 1 for a
// failed read, 13 for a failed write. The blocks are the call's own, so that copies may
// run side by side.
int copy_without_dos(VynFile* in, VynFile* out, long long* copied) {
  char* block = static_cast<char*>(getmem(REPAIR_BLOCK));
  char* kept = static_cast<char*>(getmem(REPAIR_BLOCK + 1));
  *copied = 0;
  bool held = false;
  int result = PFA_E_NO_ERROR;
  for (;;) {
    int n = 0;
    int read = pfa_read_file(in, static_cast<int>(REPAIR_BLOCK), &n, block);
    if (read == PFA_E_QUIT) {
      n = 0;
    } else if (read != PFA_E_NO_ERROR) {
      result = PFA_E_ERROR;
      break;
    }
    *copied += n;
    int k = 0;
    if (held && n > 0) {
      if (block[0] != '\n') kept[k++] = '\r';
      held = false;
    }
    for (int i = 0; i < n; ++i) {
      if (block[i] == '\r') {
        if (i + 1 == n) {
          held = true;
          continue;
        }
        if (block[i + 1] == '\n') continue;
      }
      kept[k++] = block[i];
    }
    if (n == 0 && held) kept[k++] = '\r';  // the file's last byte
    if (k > 0 && pfa_write_file(out, k, kept) != PFA_E_NO_ERROR) {
      result = PFA_E_CANT_WRITE;
      break;
    }
    if (n == 0) break;
  }
  rlsmem(block);
  rlsmem(kept);
  return result;
}

// Rewinds the file; a rewind that fails is told through *status (unless a failure is
// there already): the file is not at its start.
void rewind_told(VynFile* file, int* status) {
  int rewound = pfa_rewind_file(file);
  if (rewound != PFA_E_NO_ERROR && *status == PFA_E_NO_ERROR) *status = rewound;
}

// The file part of a narrow name.
const char* file_part(const char* name) {
  const char* file = name;
  get_last_dir_delim(name, &file, 0, 1);
  return file;
}

// Name, extension and version of a handle, as the reports show it.
constexpr int SHOWN_MASK = PFA_MASK_NAME | PFA_MASK_EXTENSION | PFA_MASK_VERSION;

// Checks or repairs one file (the body of vyn_fix_dossed_pfa_dirs): false when it cannot
// be opened, has no room or permission for a repair, when a repair failed or when the
// repaired version could not be deleted.
bool fix_one_file(VynFile* file, int check_only) {
  std::FILE* err = stderr;
  char shown[PFA_NAME_SIZE];
  if (pfa_get_file_name(file, SHOWN_MASK, shown) != PFA_E_NO_ERROR) shown[0] = '\0';
  if (!check_only) {
    std::int64_t size = 0;
    if (!have_space_and_perms(file, &size)) {
      if (size == 0) {
        ivek_fprintf(err, "%s: no write permission to convert file.\n", shown);
      } else {
        ivek_fprintf(err, "%s: insufficient disk space.  %s required.\n", shown,
                     formatted_size(size));
      }
      return false;  // the file needed no less than a repair that could not be made
    }
  }
  if (pfa_fopen(file, PFA_RULE_AS_NAMED, "rb") != PFA_E_NO_ERROR) return false;
  char release[8] = "";
  int status = 0;
  int dos = is_dossed_ugc_file(file, &status, release);
  pfa_close(file);
  // A file that could not be read is neither correct nor in need of a repair.
  if (status != PFA_E_NO_ERROR && status != PFA_E_QUIT) return false;
  char release_text[32] = "";
  if (release[0]) std::snprintf(release_text, sizeof release_text, "Release %s", release);
  if (!dos) {
    if (!release[0]) {
      ivek_fprintf(err, "%s: Not a recognized Mavrel file\n", shown);
      return true;
    }
    ivek_fprintf(err, "%s: Mavrel %s file.\n", shown, release_text);
    ivek_fprintf(err, "  File format is correct and does not need to ");
    ivek_fprintf(err, "be corrected.\n");
    return true;
  }
  if (check_only) {
    ivek_fprintf(err, "%s: Mavrel %s file. ", shown, release_text);
    ivek_fprintf(err, "Invalid file format detected.\n");
    ivek_fprintf(err, "  File needs to be corrected to allow ");
    ivek_fprintf(err, "retrieval into Mavrel.\n");
    ivek_fprintf(err, "  Temporary additional disk space may be ");
    ivek_fprintf(err, "needed to correct file.\n");
    return true;
  }
  ivek_fprintf(err, "%s: Mavrel %s file.\n", shown, release_text);
  ivek_fprintf(err, "  Invalid file format detected. File is being ");
  ivek_fprintf(err, "converted.....\n");
  VynFile* target = pfa_make_copy(file);
  bool done = target && vyn_fix_dossed_pfas(file, target, &status, nullptr) == 1;
  if (done) {
    // Only a complete copy lets the source version go; one that stays is reported by
    // the result (the new version is whole all the same).
    done = pfa_delete_file(file, 0) == PFA_E_NO_ERROR;
    char written[PFA_NAME_SIZE];
    if (pfa_get_file_name(target, SHOWN_MASK, written) != PFA_E_NO_ERROR) written[0] = '\0';
    ivek_fprintf(err, "  ...File has been converted to %s\n", written);
  } else {
    ivek_fprintf(err, "...conversion failed\n");
  }
  pfa_free_vyn_file(&target);
  return done;
}

// Handles every entry of the directory dir (and of its subdirectories with descend).
bool fix_directory(VynFile* dir, int check_only, int descend) {
  int count = 0;
  VynFile** listed = nullptr;
  int flags = PFA_SCAN_FILES | (descend ? PFA_SCAN_DIRS : 0);
  if (!pfa_access(dir, 0) || pfa_scandir(dir, flags, nullptr, &count, &listed) != PFA_E_NO_ERROR) {
    ivek_fprintf(stderr, "Could not open directory.\n");
    return false;
  }
  // The listing is copied first: the scan's records last only until the next scan, and
  // the repairs must not change the listing read.
  VynFile** entries = nullptr;
  for (int i = 0; i < count; ++i) {
    VynFile* copy = pfa_make_copy(listed[i]);
    if (copy) xar_alloc_or_append(&entries, 1, sizeof(VynFile*), 16, &copy);
  }
  int kept = xar_count(&entries);
  bool all = kept == count;
  for (int i = 0; i < kept; ++i) {
    bool done = pfa_is_dir(entries[i]) ? fix_directory(entries[i], check_only, descend)
                                       : fix_one_file(entries[i], check_only);
    all = all && done;
    pfa_free_vyn_file(&entries[i]);
  }
  xar_free(&entries);
  return all;
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
  VynFile* file = pfa_alloc_wfile(name);
  if (!file) return -1;
  int result = -1;
  if (get_real_name_pfa(file) && (mode == 0 || pfa_access(file, mode))) result = 0;
  pfa_free_vyn_file(&file);
  return result;
}

int change_file_write_access(const VynWchar* name, int on) {
  VynFile* file = pfa_alloc_wfile(name);
  if (!file) return 1;
  pfa_put_obj_type(file, PFA_TYPE_UNKNOWN);
  int result = pfa_change_write_access(file, on);
  pfa_free_vyn_file(&file);
  return result;
}

int find_pfa(VynFile* file) {
  if (!pfa_is_valid(file)) return 0;
  if (pfa_access_mixed_case(file, 0, 0)) return 1;
  if (file->version != 1) return 0;
  // Version 1 that does not exist: the unversioned file.
  pfa_put_version(file, 0);
  if (pfa_access_mixed_case(file, 0, 0)) return 1;
  pfa_put_version(file, 1);
  return 0;
}

int get_real_name_pfa(VynFile* file) {
  if (find_pfa(file)) return 1;
  if (pfaloc_is_case_sensitive(file) != 1) return 0;
  char name[PFA_NAME_SIZE], extension[32];
  if (pfa_get_name(file, name) != PFA_E_NO_ERROR ||
      pfa_get_extension(file, extension) != PFA_E_NO_ERROR)
    return 0;
  char lower_name[PFA_NAME_SIZE], upper_name[PFA_NAME_SIZE], lower_ext[32], upper_ext[32];
  convert_to_lower(name, lower_name);
  vyn_cnvrt_to_upper(name, upper_name);
  convert_to_lower(extension, lower_ext);
  vyn_cnvrt_to_upper(extension, upper_ext);
  const std::int16_t type = file->object_type;
  const char* const variants[4][2] = {{lower_name, lower_ext},
                                      {upper_name, upper_ext},
                                      {lower_name, upper_ext},
                                      {upper_name, lower_ext}};
  for (const auto& variant : variants) {
    if (pfa_put_name(file, variant[0]) == PFA_E_NO_ERROR &&
        pfa_put_extension(file, variant[1]) == PFA_E_NO_ERROR && find_pfa(file))
      return 1;
  }
  pfa_put_name(file, name);
  pfa_put_extension(file, extension);
  file->object_type = type;
  return 0;
}

int get_real_name(const VynWchar* name, VynWchar* out) {
  if (!out) return 0;
  out[0] = 0;
  VynFile* file = pfa_alloc_wfile(name);
  if (!file) return 0;
  int found = get_real_name_pfa(file);
  char full[PFA_NAME_SIZE];
  if (pfa_get_full_name_mixed_case(file, full, 0) != PFA_E_NO_ERROR || !full[0] ||
      strtows_bounded(out, VYN_NAME_MAX, full) != 0) {
    out[0] = 0;
    found = 0;
  }
  pfa_free_vyn_file(&file);
  return found;
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

int is_dossed_ugc_file(VynFile* file, int* status, char* release) {
  int ignored = 0;
  if (!status) status = &ignored;
  if (release) release[0] = '\0';
  char line[162];
  *status = pfa_fgets(file, 80, nullptr, line);
  if (*status != PFA_E_NO_ERROR) return 0;
  if (std::strncmp(line, "#UGC", 4) != 0) {
    rewind_told(file, status);
    return 0;
  }
  char word[8] = "";
  if (std::sscanf(line, "%*s %*s %*d %*d %*d %*d %*d %*d %4s", word) == 1 && release)
    copy_cut(release, word, 5);
  if (ends_with_crlf(line)) {
    rewind_told(file, status);
    return 1;
  }
  int dos = 0;
  int read = PFA_E_NO_ERROR;
  while ((read = pfa_fgets(file, 161, nullptr, line)) == PFA_E_NO_ERROR) {
    if (std::strncmp(line, "#Mavrel", 7) == 0) {
      dos = ends_with_crlf(line) ? 1 : 0;
      break;
    }
  }
  // A read that failed is told apart from the end of the file.
  if (read != PFA_E_NO_ERROR && read != PFA_E_QUIT) *status = read;
  rewind_told(file, status);
  return dos;
}

int vyn_fix_dossed_pfas(VynFile* source, VynFile* target, int* status, char* release) {
  int ignored = 0;
  if (!status) status = &ignored;
  if (release) release[0] = '\0';
  if (!pfa_is_valid(source) || !pfa_is_valid(target) || source == target) {
    *status = PFA_E_NOT_VALID;
    return 0;
  }
  *status = pfa_fopen(source, PFA_RULE_AS_NAMED, "rb");
  if (*status != PFA_E_NO_ERROR) return 0;
  char word[8] = "";
  int dos = is_dossed_ugc_file(source, status, word);
  if (release) copy_cut(release, word, 5);
  if (!dos) {
    pfa_close(source);
    if (*status == PFA_E_QUIT) *status = PFA_E_NO_ERROR;
    return 0;
  }
  // The copy must start at the file's first byte: a test that could not rewind leaves
  // the stream behind the lines it read.
  long at = -1;
  long long size = -1;
  if (*status == PFA_E_NO_ERROR &&
      (pfa_get_file_position(source, &at) != PFA_E_NO_ERROR || at != 0 ||
       pfa_get_file_size(source, &size) != PFA_E_NO_ERROR))
    *status = PFA_E_ERROR;
  if (*status != PFA_E_NO_ERROR) {
    pfa_close(source);
    return 0;
  }
  // The next version of the target's name; a name in mixed case is looked up with its
  // case kept.
  char name[PFA_NAME_SIZE], lower[PFA_NAME_SIZE];
  bool mixed = pfa_get_name(target, name) == PFA_E_NO_ERROR &&
               (convert_to_lower(name, lower), std::strcmp(name, lower) != 0);
  std::int16_t type = target->object_type;
  if (mixed) target->object_type = PFA_TYPE_UNKNOWN;
  int version = 0;
  int result = pfa_get_file_vers(target, PFA_RULE_NEXT, &version);
  target->object_type = type;
  // The version is made, never opened: one that exists after all (written since the
  // versions were looked up) is another program's file, and the one after it is tried.
  while (result == PFA_E_NO_ERROR) {
    result = pfa_put_version(target, version);
    if (result == PFA_E_NO_ERROR) result = pfa_fopen(target, PFA_RULE_AS_NAMED, "wbx");
    if (result != PFA_E_EXIST || version >= PFA_VERSION_MAX) break;
    ++version;
    result = PFA_E_NO_ERROR;
  }
  if (result != PFA_E_NO_ERROR) {
    pfa_close(source);
    *status = result;
    return 0;
  }
  long long copied = 0;
  result = copy_without_dos(source, target, &copied);
  // Whole means every byte the file held when the copy began.
  if (result == PFA_E_NO_ERROR && copied != size) result = PFA_E_ERROR;
  pfa_close(source);
  if (result == PFA_E_NO_ERROR && pfa_flush_file(target) != PFA_E_NO_ERROR)
    result = PFA_E_CANT_WRITE;
  if (pfa_close(target) != PFA_E_NO_ERROR && result == PFA_E_NO_ERROR) result = PFA_E_CANT_WRITE;
  if (result != PFA_E_NO_ERROR) {
    // Nothing of a failed copy stays; the source is as it was.
    pfa_delete_file(target, 0);
    *status = result;
    return 0;
  }
  *status = PFA_E_NO_ERROR;
  return 1;
}

int vyn_fix_dossed_file(const char* source, const char* target, int* status, char* release,
                        char* written) {
  int ignored = 0;
  if (!status) status = &ignored;
  if (written) written[0] = '\0';
  if (release) release[0] = '\0';
  VynFile* from = source ? pfa_alloc_file(source) : nullptr;
  VynFile* to = target ? pfa_alloc_file(target) : nullptr;
  int converted = 0;
  if (from && to) {
    converted = vyn_fix_dossed_pfas(from, to, status, release);
    if (converted && written && pfa_get_full_name_mixed_case(to, written, 0) != PFA_E_NO_ERROR)
      written[0] = '\0';
  } else {
    *status = PFA_E_INVALID_NAME;
  }
  pfa_free_vyn_file(&from);
  pfa_free_vyn_file(&to);
  return converted;
}

int vyn_fix_dossed_pfa_dirs(VynFile* file, int check_only, int descend) {
  if (!pfa_is_valid(file)) return 0;
  if (pfa_is_dir(file)) return fix_directory(file, check_only, descend) ? 1 : 0;
  return fix_one_file(file, check_only) ? 1 : 0;
}

int have_space_and_perms(VynFile* file, std::int64_t* size) {
  if (size) *size = 0;
  if (!pfa_is_valid(file)) return 0;
  VynFile* parent = nullptr;
  if (pfa_alloc_vyn_file(&parent) != PFA_E_NO_ERROR) return 0;
  double room = -1.0;
  bool known = pfa_make_parent(file, parent) == PFA_E_NO_ERROR && pfa_access(parent, 2) &&
               pfa_get_avail_space(parent, &room) == PFA_E_NO_ERROR && room >= 0.0;
  pfa_free_vyn_file(&parent);
  long long bytes = 0;
  if (!known || pfa_get_file_size(file, &bytes) != PFA_E_NO_ERROR) return 0;
  // Sizes below 2^53 are exact as doubles.
  if (static_cast<double>(bytes) <= room) return 1;
  if (size) *size = bytes;
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
