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
#include "fileaccess/core/pfaops.h"
#include "fileaccess/names/pfavers.h"
#include "fileaccess/core/pfaname.h"
#include "runtime/text/lang.h"
#include "runtime/text/textbase.h"
#include "runtime/text/vscanf.h"
#include "runtime/text/vsprintf.h"
#include "runtime/text/wide.h"

namespace vek {

namespace {

// The handles of "stdio://err" and "stdio://out", made on first request.
VynFile* stdin_handle;
VynFile* stderr_handle;
VynFile* stdout_handle;

constexpr std::int16_t OBJECT_TYPE_NONE = PFA_TYPE_NONE;
constexpr std::int16_t OBJECT_TYPE_DIRECTORY = PFA_TYPE_DIRECTORY;

// The run mode that traces the file-access layer.
constexpr int PFA_TRACE_RUN_MODE = 9998;

int is_valid(const VynFile* file) { return file && file->magic == VYN_FILE_MAGIC; }

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
  if (record == stdin_handle) stdin_handle = nullptr;
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

VynFile* pfa_fopen_file(const char* name, const char* mode) {
  return pfa_fopen_file_vers(name, mode, PFA_RULE_CHOOSE);
}

VynFile* pfa_fopen_wfile_vers(const VynWchar* name, const char* mode, int rule) {
  char narrow[PFA_NAME_SIZE];
  if (!name || wstostr_bounded(narrow, sizeof narrow, name)) return nullptr;
  return pfa_fopen_file_vers(narrow, mode, rule);
}

VynFile* pfa_fopen_wfile(const VynWchar* name, const char* mode) {
  return pfa_fopen_wfile_vers(name, mode, PFA_RULE_CHOOSE);
}

VynFile* pfa_open_file_vers(const char* name, int flags, int permission, int rule) {
  VynFile* file = nullptr;
  if (pfa_alloc_vyn_file(&file) != PFA_E_NO_ERROR) return nullptr;
  if (pfa_parse_to_vyn_file(file, name) == PFA_E_NO_ERROR) {
    if (rule == PFA_RULE_CHOOSE) {
      rule = file->version >= 1               ? PFA_RULE_AS_NAMED
             : (flags & PFA_OPEN_CREATE) != 0 ? PFA_RULE_NEXT
                                              : PFA_RULE_HIGHEST;
    }
    if (pfa_open(file, rule, flags, permission) == PFA_E_NO_ERROR && (file->flags & PFA_FLAG_OPEN))
      return file;
  }
  pfa_free_vyn_file(&file);
  return nullptr;
}

VynFile* pfa_open_file(const char* name, int flags, int permission) {
  return pfa_open_file_vers(name, flags, permission, PFA_RULE_CHOOSE);
}

VynFile* pfa_open_wfile_vers(const VynWchar* name, int flags, int permission, int rule) {
  char narrow[PFA_NAME_SIZE];
  if (!name || wstostr_bounded(narrow, sizeof narrow, name)) return nullptr;
  return pfa_open_file_vers(narrow, flags, permission, rule);
}

VynFile* pfa_open_wfile(const VynWchar* name, int flags, int permission) {
  return pfa_open_wfile_vers(name, flags, permission, PFA_RULE_CHOOSE);
}

int pfa_dispose(VynFile** file) {
  if (!file || !is_valid(*file)) return 0;
  if ((*file)->flags & PFA_FLAG_OPEN) {
    if (int closed = pfa_close(*file)) return closed;
  }
  return pfa_free_vyn_file(file);
}

namespace {

// A handle of a standard stream ("stdio://" and its name) opened with mode, made once
// into slot.
VynFile* standard_handle(VynFile** slot, const char* name, const char* mode) {
  if (!*slot) {
    register_locations_once();
    VynFile* file = alloc_record();
    if (!file) return nullptr;
    char text[16];
    std::snprintf(text, sizeof text, "stdio://%s", name);
    if (parse_to_pfa(file, static_cast<int>(PFA_LOC_STDIO), text) != PFA_E_NO_ERROR ||
        pfa_fopen(file, PFA_RULE_AS_NAMED, mode) != PFA_E_NO_ERROR) {
      free_record(&file);
      return nullptr;
    }
    *slot = file;
  }
  return *slot;
}

}  // namespace

VynFile* pfa_get_stdin() { return standard_handle(&stdin_handle, "in", "r"); }

VynFile* pfa_get_stderr() { return standard_handle(&stderr_handle, "err", "w"); }

VynFile* pfa_get_stdout() { return standard_handle(&stdout_handle, "out", "w"); }

void pfa_testing_reset() {
  // The records belong to the memory pools, which the memory reset releases.
  stdin_handle = nullptr;
  stderr_handle = nullptr;
  stdout_handle = nullptr;
  PfaPoolID = -1;
  locations_registered = false;
}


}  // namespace vek
