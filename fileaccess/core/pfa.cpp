#include "fileaccess/core/pfa.h"

#include <sys/stat.h>
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "fileaccess/core/pfa_testing.h"
#include "fileaccess/names/fnstring.h"
#include "fileaccess/names/oshelp.h"
#include "platform/w32/path.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/runmode.h"
#include "runtime/memory/clump.h"
#include "runtime/memory/getmem.h"
#include "runtime/system/appinfo.h"
#include "runtime/text/vsprintf.h"
#include "runtime/text/wstring.h"
#include "fileaccess/backends/pfafs.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfadir.h"
#include "fileaccess/core/pfaname.h"
#include "runtime/text/lang.h"
#include "runtime/text/textbase.h"
#include "runtime/text/vscanf.h"
#include "runtime/text/vsprintf.h"
#include "runtime/text/wide.h"

namespace vek {

namespace {

// Longest line that pfa_fscanf reads at once.
constexpr int FSCANF_LINE = 260;

// The handles of "stdio://err" and "stdio://out", made on first request.
VynFile* stderr_handle;
VynFile* stdout_handle;

constexpr std::int16_t OBJECT_TYPE_NONE = PFA_TYPE_NONE;
constexpr std::int16_t OBJECT_TYPE_DIRECTORY = PFA_TYPE_DIRECTORY;

// The run mode that traces the file-access layer.
constexpr int PFA_TRACE_RUN_MODE = 9998;

int is_valid(const VynFile* file) { return file && file->magic == VYN_FILE_MAGIC; }

// The common check of the stream operations: 11 for an invalid or directory handle,
// 10 for one that is not open, else 0.
int check_stream(const VynFile* file) {
  if (!is_valid(file) || file->object_type == OBJECT_TYPE_DIRECTORY) return PFA_E_NOT_VALID;
  if (!(file->flags & PFA_FLAG_OPEN)) return PFA_E_INACTIVE;
  return PFA_E_NO_ERROR;
}

std::FILE* stream_of(const VynFile* file) { return static_cast<std::FILE*>(file->location_slot); }

// Reads one line of at most n - 1 bytes (n >= 1) with fgets. language >= 0: a
// character of that language cut by the limit is given back to the stream. Results as
// pfa_fgets.
int read_line(std::FILE* stream, int n, int* count, char* buffer, int language) {
  long start = language >= 0 ? std::ftell(stream) : -1;
  if (!std::fgets(buffer, n, stream)) {
    buffer[0] = '\0';
    return std::ferror(stream) ? PFA_E_ERROR : PFA_E_QUIT;
  }
  long length = static_cast<long>(std::strlen(buffer));
  // Only the limit cuts a character: a line that ended at its newline or at the end of
  // the file holds all there is, and an incomplete last character there is data too
  // (given back, it could never be read). A limit of 1 reads nothing at all.
  if (start >= 0 && length > 0 && length == n - 1 && buffer[length - 1] != '\n') {
    long end = 0;
    while (end < length) {
      long size = mb_lead_len(static_cast<unsigned char>(buffer[end]), language);
      if (end + size > length) break;
      end += size;
    }
    if (end < length) {
      length = end;
      buffer[length] = '\0';
      if (std::fseek(stream, start + end, SEEK_SET) != 0) {
        buffer[0] = '\0';
        return PFA_E_ERROR;
      }
      if (length == 0) return PFA_E_NOT_VALID;
    }
  }
  if (count) *count = static_cast<int>(length);
  return PFA_E_NO_ERROR;
}

// The pool of the records, made on the first allocation; -1 while there is none.
int PfaPoolID = -1;

// Puts a record into its start state.
void init_record(VynFile* file) {
  std::memset(file, 0, sizeof *file);
  file->magic = VYN_FILE_MAGIC;
  file->object_type = OBJECT_TYPE_NONE;
  file->location_type = PFA_LOC_STD_FILESYSTEM;
}

// A new record in its start state, or null: from the pool "VynFile", or a plain memory
// block when debug memory is configured.
VynFile* alloc_record() {
  void* memory;
  if (get_dbg_memory_config()) {
    memory = getmem_null(sizeof(VynFile));
  } else {
    // The pool is made again when the pools were reset under the layer.
    const ClumpEntry* pool = clump_entry(PfaPoolID);
    if (!pool || pool->size != sizeof(VynFile) || std::strcmp(pool->name, "VynFile") != 0)
      PfaPoolID = create_mem_pool("VynFile", sizeof(VynFile));
    memory = PfaPoolID >= 0 ? getmem_pool(PfaPoolID) : nullptr;
  }
  if (!memory) return nullptr;
  auto* file = static_cast<VynFile*>(memory);
  init_record(file);
  return file;
}

void free_record(VynFile** file) {
  (*file)->magic = 0;
  relmem(file);
  *file = nullptr;
}

// The address of a record as printed in traces.
unsigned long address_of(const void* p) {
  return static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(p));
}

bool tracing() { return is_run_mode(PFA_TRACE_RUN_MODE) != 0; }

}  // namespace

namespace {
// Set once the location types are registered (by the first allocation).
bool locations_registered;

void register_locations_once() {
  if (locations_registered) return;
  locations_registered = true;
  pfa_register_std_filesystem();
  pfa_register_unc_filesystem();
}

}  // namespace

int pfa_alloc_vyn_file(VynFile** file) {
  register_locations_once();
  if (!file) return PFA_E_NOT_VALID;
  VynFile* record = alloc_record();
  if (!record) return PFA_E_NO_SPACE;
  if (tracing()) {
    dbg_print_info("pfa_alloc_vyn_file", "Created new pfa at: %lx\n", address_of(record));
    pfa_mem_debug(record, 1);
  }
  *file = record;
  return PFA_E_NO_ERROR;
}

int pfa_recycle_vyn_file(VynFile** file) {
  if (!file) return PFA_E_NOT_VALID;
  if (!*file) return pfa_alloc_vyn_file(file);
  VynFile* record = *file;
  // Recycling an open handle would drop its stream unclosed.
  if (is_valid(record) && (record->flags & PFA_FLAG_OPEN)) return PFA_E_NOT_ALLOWED;
  if (tracing()) dbg_print_info("pfa_recycle_vyn_file", "initializing pfa at %lx", address_of(record));
  if (is_valid(record)) pfa_cleanup(record);
  init_record(record);
  return PFA_E_NO_ERROR;
}

int pfa_cleanup(VynFile* file) {
  if (!is_valid(file)) return PFA_E_NOT_VALID;
  pfaloc_call_F(file, PfaFree);
  appinfo_free_all_info(&file->appinfo);
  file->magic = 0;
  return PFA_E_NO_ERROR;
}

int pfa_free_vyn_file(VynFile** file) {
  static const char* const name = "pfa_free_vyn_file";
  if (!file) return PFA_E_NOT_VALID;
  VynFile* record = *file;
  if (!record) {
    if (tracing()) dbg_print_info(name, "Not freeing NULL pfa\n");
    return PFA_E_NOT_VALID;
  }
  if (!is_valid(record)) {
    dbg_print_info(name, "Not freeing invalid pfa at: %lx\n", address_of(record));
    return PFA_E_NOT_VALID;
  }
  if (record->flags & PFA_FLAG_OPEN) {
    dbg_err_crash(name, "Attempting to free open file");
    return PFA_E_NOT_ALLOWED;
  }
  if (record == get_Cur_Dir()) {
    dbg_err_crash(name, "Attempting to free Cur_Dir structure");
    return PFA_E_INVALID_INPUT;
  }
  if (tracing()) {
    dbg_print_info(name, "Freeing pfa at: %lx\n", address_of(record));
    pfa_mem_debug(record, 0);
  }
  // A standard stream's handle is made again when next asked for.
  if (record == stderr_handle) stderr_handle = nullptr;
  if (record == stdout_handle) stdout_handle = nullptr;
  pfa_cleanup(record);
  free_record(file);
  return PFA_E_NO_ERROR;
}

int pfa_copy_vyn_file(const VynFile* from, VynFile* to) {
  if (!is_valid(from) || !is_valid(to)) return PFA_E_NOT_VALID;
  if (from == to) return PFA_E_INVALID_INPUT;
  // Copying over an open handle would lose its stream.
  if (to->flags & PFA_FLAG_OPEN) return PFA_E_NOT_ALLOWED;
  appinfo_free_all_info(&to->appinfo);
  std::memcpy(to, from, sizeof *to);
  // The stream and what describes it stay with the donor: the copy is not open, does
  // not read a borrowed directory stream, is no cache copy and is not counted among
  // the open remote files.
  to->flags &= ~(PFA_FLAG_OPEN | PFA_FLAG_DIR_BORROWED | PFA_FLAG_CACHE_COPY |
                 PFA_FLAG_REMOTE_COUNTED);
  to->location_slot = nullptr;
  to->appinfo = nullptr;
  appinfo_copy_array(&from->appinfo, &to->appinfo, nullptr);
  return PFA_E_NO_ERROR;
}

VynFile* pfa_make_copy(const VynFile* file) {
  if (!is_valid(file)) return nullptr;
  VynFile* copy = nullptr;
  if (pfa_alloc_vyn_file(&copy) != PFA_E_NO_ERROR) return nullptr;
  if (pfa_copy_vyn_file(file, copy) != PFA_E_NO_ERROR) pfa_free_vyn_file(&copy);
  return copy;
}

int pfa_is_valid(const VynFile* file) { return is_valid(file); }

int pfa_file_is_open(const VynFile* file) {
  return is_valid(file) && (file->flags & PFA_FLAG_OPEN) ? 1 : 0;
}

int pfa_is_dir(const VynFile* file) {
  return is_valid(file) && file->object_type == OBJECT_TYPE_DIRECTORY ? 1 : 0;
}

int pfa_get_obj_type(const VynFile* file) {
  if (!is_valid(file)) return -1;
  if (tracing()) dbg_print_info("pfa_get_obj_type", "Getting the object type");
  return file->object_type;
}

int pfa_get_version(const VynFile* file) {
  if (!is_valid(file)) return -1;
  if (tracing()) dbg_print_info("pfa_get_version", "Getting the object version");
  return file->version;
}

int pfa_get_encode(const VynFile* file) {
  if (!is_valid(file)) return 0;
  if (tracing()) dbg_print_info("pfa_get_encode", "Getting the encode from a structure");
  return static_cast<int>(file->encode);
}

const char* pfa_error_to_string(int code) {
  static const char* const names[] = {
      "PFA_E_NO_ERROR",      "PFA_E_ERROR",         "PFA_E_NOT_FOUND",  "PFA_E_CANT_OPEN",
      "PFA_E_INVALID_NAME",  "PFA_E_QUIT",          "PFA_E_NO_SPACE",   "PFA_E_NO_ACCESS",
      "PFA_E_NOT_ALLOWED",   "PFA_E_INVALID_INPUT", "PFA_E_INACTIVE",   "PFA_E_NOT_VALID",
      "PFA_E_EXIST",         "PFA_E_CANT_WRITE",    "PFA_E_ROOT_DIR",   "PFA_E_NET_TROUBLE",
      "PFA_E_OUT_OF_MEMORY", "PFA_E_ABORTED",       "PFA_E_TOO_MANY_OPEN",
      "PFA_E_NOT_CACHABLE",
  };
  constexpr int count = static_cast<int>(sizeof names / sizeof names[0]);
  return code >= 0 && code < count ? names[code] : "PFA_UNKNOWN_ERROR";
}

VynFile* pfa_alloc_file(const char* name) {
  VynFile* file = nullptr;
  if (pfa_alloc_vyn_file(&file) != PFA_E_NO_ERROR) return nullptr;
  if (pfa_parse_to_vyn_file(file, name) != PFA_E_NO_ERROR) pfa_free_vyn_file(&file);
  return file;
}

VynFile* pfa_alloc_wfile(const VynWchar* name) {
  return name ? pfa_alloc_file(str_ret(name)) : nullptr;
}

VynFile* pfa_alloc_file_in_dir(const VynFile* dir, const char* name) {
  VynFile* file = nullptr;
  if (pfa_alloc_vyn_file(&file) != PFA_E_NO_ERROR) return nullptr;
  if (pfa_parse_to_vyn_file_in_dir(file, dir, name) != PFA_E_NO_ERROR) pfa_free_vyn_file(&file);
  return file;
}

VynFile* pfa_alloc_wfile_in_dir(const VynFile* dir, const VynWchar* name) {
  return name ? pfa_alloc_file_in_dir(dir, str_ret(name)) : nullptr;
}

int pfa_get_full_wname(const VynFile* file, VynWchar* buffer) {
  if (!buffer) return PFA_E_INVALID_INPUT;
  char name[PFA_NAME_SIZE];
  int answer = pfa_get_full_name(file, name);
  if (answer == PFA_E_NO_ERROR && strtows_bounded(buffer, PFA_NAME_SIZE, name))
    answer = PFA_E_INVALID_NAME;
  if (answer != PFA_E_NO_ERROR) buffer[0] = 0;
  return answer;
}

int pfa_filename_to_absolute(const VynWchar* in, VynWchar* out) {
  if (!out) return PFA_E_INVALID_INPUT;
  if (!in || !in[0]) return dir_get(out, PFA_NAME_SIZE) ? PFA_E_NO_ERROR : PFA_E_ERROR;
  char name[PFA_NAME_SIZE];
  VynFile* file = nullptr;
  int answer = PFA_E_INVALID_INPUT;
  if (!wstostr_bounded(name, sizeof name, in) && pfa_alloc_vyn_file(&file) == PFA_E_NO_ERROR &&
      pfa_parse_to_vyn_file(file, name) == PFA_E_NO_ERROR) {
    answer = pfa_make_absolute_path(file);
    if (answer == PFA_E_NO_ERROR) answer = pfa_get_full_wname(file, out);
  } else if (out != in) {
    out[0] = 0;
  }
  pfa_free_vyn_file(&file);
  return answer;
}

VynFile* pfa_alloc_dir(const char* path) {
  if (!path) return nullptr;
  char text[sizeof(VynFile::text)];
  std::size_t length = std::strlen(path);
  if (length >= sizeof text) return nullptr;
  std::memcpy(text, path, length + 1);
  // Without its delimiter the path would name a file.
  if (!add_dir_delim(text, static_cast<int>(sizeof text), '\\', 1) &&
      !(length > 0 && (text[length - 1] == '\\' || text[length - 1] == '/')))
    return nullptr;
  return pfa_alloc_file(text);
}

VynFile* pfa_alloc_wdir(const VynWchar* path) {
  return path ? pfa_alloc_dir(str_ret(path)) : nullptr;
}

int pfa_lowercase_name_ext(VynFile* file) {
  if (!is_valid(file)) return PFA_E_INVALID_INPUT;
  for (int at = file->component[3][0]; at < file->component[4][1]; ++at) {
    char& c = file->text[at];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return PFA_E_NO_ERROR;
}

int dump_vyn_file(VynFile* file, const VynFile* cur_dir) {
  if (!is_valid(file)) return PFA_E_NOT_VALID;
  static const char* const labels[] = {"loc1", "loc2", "loc3", "name", " ext"};
  if (file == cur_dir) vyn_printf("This file represents the Current Directory\n");
  vyn_printf("The used fields of this file are:\n");
  if (file->text[0]) {
    char part[sizeof file->text];
    for (int i = 0; i < 5; ++i) {
      int start = file->component[i][0], end = file->component[i][1];
      if (end <= start) continue;
      std::memcpy(part, file->text + start, static_cast<std::size_t>(end - start));
      part[end - start] = '\0';
      vyn_printf("      %s: %s\n", labels[i], part);
    }
  }
  if (file->version != 0) vyn_printf("   version:  %d\n", file->version);
  vyn_printf("      type: %d\n", file->object_type);
  pfaloc_call_FL(file, PfaDbgShowStream);
  vyn_printf("End of this file.\n\n");
  return PFA_E_NO_ERROR;
}

int pfa_mem_debug(const VynFile*, int) { return 0; }

int pfa_fopen(VynFile* file, int rule, const char* mode) {
  if (!is_valid(file) || file->object_type == OBJECT_TYPE_DIRECTORY) return PFA_E_NOT_VALID;
  if (!mode) return PFA_E_INVALID_INPUT;
  if (file->location_type == 0) file->location_type = PFA_LOC_STD_FILESYSTEM;
  if ((file->location_type != PFA_LOC_STD_FILESYSTEM && file->location_type != PFA_LOC_UNC) ||
      (file->flags & PFA_FLAG_OPEN))
    return PFA_E_CANT_OPEN;
  if (rule == PFA_RULE_NEXT && !std::strchr(mode, 'w')) return PFA_E_CANT_OPEN;
  // The highest and the next version need the directory's listing.
  if (rule != PFA_RULE_AS_NAMED) return PFA_E_INVALID_INPUT;
  char name[sizeof(VynFile::text)];
  char posix[w32::W32_PATH_CAPACITY];
  if (pfa_get_full_name(file, name)) return PFA_E_INVALID_NAME;
  if (!w32::w32_resolve_path_a(name, posix, sizeof posix)) return PFA_E_ERROR;
  std::FILE* stream = std::fopen(posix, mode);
  if (!stream) {
    if (errno != EMFILE) return PFA_E_ERROR;
    dbg_err_crash("pfafs_fopen_low", "try 'unlimit descriptors'; too many fds in use");
    return PFA_E_TOO_MANY_OPEN;
  }
  file->location_slot = stream;
  file->flags |= PFA_FLAG_OPEN;
  return PFA_E_NO_ERROR;
}

int pfa_read_file(VynFile* file, int n, int* count, void* buffer) {
  if (count) *count = 0;
  if (!is_valid(file) || file->object_type == OBJECT_TYPE_DIRECTORY) return PFA_E_NOT_VALID;
  if (n == 0) return PFA_E_NO_ERROR;
  if (int checked = check_stream(file)) return checked;
  if (n < 0 || !buffer) return PFA_E_INVALID_INPUT;
  std::FILE* stream = stream_of(file);
  std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(n), stream);
  if (count) *count = static_cast<int>(got);
  if (got > 0) return PFA_E_NO_ERROR;
  return std::ferror(stream) ? PFA_E_ERROR : PFA_E_QUIT;
}

int pfa_write_file(VynFile* file, int n, const void* buffer) {
  if (!is_valid(file) || file->object_type == OBJECT_TYPE_DIRECTORY) return PFA_E_NOT_VALID;
  if (n == 0) return PFA_E_NO_ERROR;
  if (int checked = check_stream(file)) return checked;
  if (n < 0 || !buffer) return PFA_E_INVALID_INPUT;
  std::size_t put = std::fwrite(buffer, 1, static_cast<std::size_t>(n), stream_of(file));
  return put == static_cast<std::size_t>(n) ? PFA_E_NO_ERROR : PFA_E_ERROR;
}

int pfa_fgetc(VynFile* file) {
  if (check_stream(file)) return -1;
  int c = std::fgetc(stream_of(file));
  return c == EOF ? -1 : c;
}

int pfa_get_file_position(VynFile* file, long* position) {
  if (!position) return PFA_E_INVALID_INPUT;
  if (int checked = check_stream(file)) return checked;
  long at = std::ftell(stream_of(file));
  if (at < 0) return PFA_E_ERROR;
  *position = at;
  return PFA_E_NO_ERROR;
}

int pfa_set_file_position(VynFile* file, long position) {
  if (position < 0) return PFA_E_INVALID_INPUT;
  if (int checked = check_stream(file)) return checked;
  return std::fseek(stream_of(file), position, SEEK_SET) == 0 ? PFA_E_NO_ERROR : PFA_E_ERROR;
}

int pfa_close(VynFile* file) {
  if (!is_valid(file)) return PFA_E_NOT_VALID;
  if (!(file->flags & PFA_FLAG_OPEN)) return PFA_E_INACTIVE;
  std::FILE* stream = stream_of(file);
  file->flags &= ~PFA_FLAG_OPEN;
  file->location_slot = nullptr;
  // A standard stream belongs to the process. A failed fclose has still released the
  // stream, so the handle is closed either way.
  if (file->location_type == PFA_LOC_STDIO || !stream) return PFA_E_NO_ERROR;
  return std::fclose(stream) == 0 ? PFA_E_NO_ERROR : PFA_E_ERROR;
}

VynFile* pfa_fopen_file_vers(const char* name, const char* mode, int rule) {
  VynFile* file = nullptr;
  if (pfa_alloc_vyn_file(&file) != PFA_E_NO_ERROR) return nullptr;
  if (pfa_parse_to_vyn_file(file, name) == PFA_E_NO_ERROR) {
    if (rule == PFA_RULE_CHOOSE) {
      rule = file->version != 0       ? PFA_RULE_AS_NAMED
             : mode && mode[0] == 'w' ? PFA_RULE_NEXT
                                      : PFA_RULE_HIGHEST;
    }
    if (pfa_fopen(file, rule, mode) == PFA_E_NO_ERROR && (file->flags & PFA_FLAG_OPEN))
      return file;
  }
  pfa_free_vyn_file(&file);
  return nullptr;
}

int pfa_dispose(VynFile** file) {
  if (!file || !is_valid(*file)) return 0;
  if ((*file)->flags & PFA_FLAG_OPEN) {
    if (int closed = pfa_close(*file)) return closed;
  }
  return pfa_free_vyn_file(file);
}

int pfa_vfprintf(VynFile* file, const char* format, std::va_list args) {
  if (!format) return PFA_E_NOT_VALID;
  if (int checked = check_stream(file)) return checked;
  const char* text = vyn_vsprintf(nullptr, format, args);
  if (!text) return PFA_E_ERROR;
  std::size_t n = std::strlen(text);
  if (n == 0) return PFA_E_NO_ERROR;
  return std::fwrite(text, 1, n, stream_of(file)) == n ? PFA_E_NO_ERROR : PFA_E_CANT_WRITE;
}

int pfa_fprintf(VynFile* file, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  int result = pfa_vfprintf(file, format, args);
  va_end(args);
  return result;
}

int pfa_fgets(VynFile* file, int n, int* count, char* buffer) {
  if (count) *count = 0;
  if (int checked = check_stream(file)) return checked;
  if (!buffer || n < 1) return PFA_E_INVALID_INPUT;
  // Japanese and the generic languages are walked by characters of the language's
  // encoding so that a line cut by the limit never ends inside one.
  int language = get_language();
  int walked = language == LANG_JAPANESE || language == LANG_GENERIC_MULTIBYTE ||
               language == LANG_GENERIC_SINGLE_BYTE;
  return read_line(stream_of(file), n, count, buffer, walked ? language : -1);
}

int pfa_fscanf(VynFile* file, const char* format, ...) {
  if (int checked = check_stream(file)) return checked;
  if (!format) return PFA_E_INVALID_INPUT;
  char line[FSCANF_LINE + 1];
  // Read without the character walk: the language's first use builds its table on the
  // memory chain, which the leak trace reads through this very function.
  int result = read_line(stream_of(file), sizeof line, nullptr, line, -1);
  if (result != PFA_E_NO_ERROR && result != PFA_E_QUIT) return result;
  // A last line without its newline already counts as the end of the file.
  if (std::feof(stream_of(file))) result = PFA_E_QUIT;
  std::va_list args;
  va_start(args, format);
  int converted = vyn_vscanf(line, format, args);
  va_end(args);
  return converted < 1 ? PFA_E_ERROR : result;
}

namespace {

// A handle of a standard stream ("stdio://" and its name), made once into slot.
VynFile* standard_handle(VynFile** slot, const char* name, std::FILE* stream) {
  if (!*slot) {
    register_locations_once();
    VynFile* file = alloc_record();
    if (!file) return nullptr;
    char text[16];
    std::snprintf(text, sizeof text, "stdio://%s", name);
    if (parse_to_pfa(file, static_cast<int>(PFA_LOC_STDIO), text) != PFA_E_NO_ERROR) {
      free_record(&file);
      return nullptr;
    }
    file->location_slot = stream;
    file->flags |= PFA_FLAG_OPEN;
    *slot = file;
  }
  return *slot;
}

}  // namespace

VynFile* pfa_get_stderr() { return standard_handle(&stderr_handle, "err", stderr); }

VynFile* pfa_get_stdout() { return standard_handle(&stdout_handle, "out", stdout); }

void pfa_testing_reset() {
  // The records belong to the memory pools, which the memory reset releases.
  stderr_handle = nullptr;
  stdout_handle = nullptr;
  PfaPoolID = -1;
  locations_registered = false;
}

int pfa_access(const VynFile* file, int mode) {
  if (mode != 0 && mode != 1 && mode != 2 && mode != 4) {
    dbg_print_info("Win32_pfa_access_work", "bad mode %d", mode);
    return 0;
  }
  char name[sizeof(VynFile::text)];
  char posix[w32::W32_PATH_CAPACITY];
  if (pfa_get_full_name(file, name) != PFA_E_NO_ERROR ||
      !w32::w32_resolve_path_a(name, posix, sizeof posix))
    return 0;
  struct stat st;
  if (::stat(posix, &st) != 0) return 0;
  switch (mode) {
    case 0:
      return 1;
    case 1: {
      if (S_ISDIR(st.st_mode)) return 0;
      const char* dot = std::strrchr(name, '.');
      for (const char* extension : {".bat", ".com", ".exe", ".dll"})
        if (dot && !strcasecmp(dot, extension)) return 1;
      return ::access(posix, X_OK) == 0 ? 1 : 0;
    }
    case 2:
      return ::access(posix, W_OK) == 0 ? 1 : 0;
    default:
      return ::access(posix, R_OK) == 0 ? 1 : 0;
  }
}

}  // namespace vek
