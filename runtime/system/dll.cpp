#include "runtime/system/dll.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "fileaccess/core/pfa.h"
#include "platform/w32/error.h"
#include "runtime/diag/diag.h"
#include "runtime/text/vsprintf.h"

namespace vek {

namespace {

// The header read by the last vyndevtest_get_header.
unsigned char hdr[VYNDEVTEST_HEADER_SIZE];

// Reports format a missing name as empty text: the formatter refuses null strings.
const char* shown(const char* text) { return text ? text : ""; }
const VynWchar* shown(const VynWchar* text) { return text ? text : u""; }

int last_error() { return static_cast<int>(w32::GetLastError()); }

// dbg_err_syserr for the reports that print wide text with "%ws", a conversion the
// compiler's printf-format check does not know.
int report_syserr(const char* name, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  int result = dbg_err_syserr_va(name, format, args);
  va_end(args);
  return result;
}

// ELF identification bytes and the header fields that tell the kind of file.
constexpr unsigned char ELF_MAGIC[4] = {0x7f, 'E', 'L', 'F'};
constexpr int ELF_CLASS = 4;         // 1: 32-bit objects, 2: 64-bit objects
constexpr int ELF_DATA = 5;          // 1: little-endian, 2: big-endian
constexpr int ELF_TYPE = 16;         // e_type, two bytes in the file's byte order
constexpr int ELF_HEADER_32 = 52;
constexpr int ELF_HEADER_64 = 64;
constexpr int ELF_TYPE_EXEC = 2;
constexpr int ELF_TYPE_DYN = 3;

// The ELF object type of the file at path; -1 when it is no ELF file or is shorter than
// the whole ELF header of its class.
int elf_object_type(const char* path) {
  const unsigned char* header;
  int count;
  if (!vyndevtest_get_header(path, &header, &count)) return -1;
  if (count < static_cast<int>(sizeof ELF_MAGIC) ||
      std::memcmp(header, ELF_MAGIC, sizeof ELF_MAGIC) != 0) {
    return -1;
  }
  int size = header[ELF_CLASS] == 1 ? ELF_HEADER_32 : header[ELF_CLASS] == 2 ? ELF_HEADER_64 : 0;
  if (size == 0 || count < size) return -1;
  int first = header[ELF_TYPE];
  int second = header[ELF_TYPE + 1];
  if (header[ELF_DATA] == 1) return first | second << 8;
  if (header[ELF_DATA] == 2) return first << 8 | second;
  return -1;
}

}  // namespace

int dll_load(const char* path, w32::HMODULE* handle, int /*flag*/) {
  if (!handle) return 0;
  *handle = w32::LoadLibraryA(path);
  if (*handle) return 1;
  int code = last_error();
  if (std::getenv("VYN_TK_DBG_DLL_LOAD")) {
    vyn_printf("%s: OS error %d while loading '%s'\n\n", "Mavrel", code, shown(path));
  } else {
    // Verbose mode alone shows this report, so it carries the loader's own words too.
    dbg_err_syserr("dll_load", "OS error %d while loading '%s': %s", code, shown(path),
                   w32::w32_last_loader_error());
  }
  return 0;
}

int dll_get_func_ptr_msgq(w32::HMODULE handle, const VynWchar* library, const char* name,
                          w32::FARPROC* function, int report) {
  if (!function) return 0;
  // GetProcAddress refuses a null module or name itself, with its own error code.
  *function = w32::GetProcAddress(handle, name);
  if (*function) return 1;
  if (report) {
    report_syserr("dll_getfunc", "OS error %d while getting ptr to '%s' in '%ws'",
                  last_error(), shown(name), shown(library));
  }
  return 0;
}

int dll_get_func_ptr(w32::HMODULE handle, const VynWchar* library, const char* name,
                     w32::FARPROC* function) {
  return dll_get_func_ptr_msgq(handle, library, name, function, 1);
}

int dll_get_func_ptr__no_msg(w32::HMODULE handle, const VynWchar* library, const char* name,
                             w32::FARPROC* function) {
  return dll_get_func_ptr_msgq(handle, library, name, function, 0);
}

int dll_unload(w32::HMODULE handle, const VynWchar* library) {
  if (w32::FreeLibrary(handle)) return 1;
  report_syserr("dll_unload", "OS error %d while unloading '%ws'", last_error(),
                shown(library));
  return 0;
}

int dll_export_function() { return 1; }

int vyndevtest_get_header(const char* path, const unsigned char** header, int* count) {
  if (header) *header = nullptr;
  if (count) *count = 0;
  if (!path) {
    dbg_err_syserr("vyndevtest_get_header", "null path\n");
    return 0;
  }
  VynFile* file = nullptr;
  int status = pfa_alloc_vyn_file(&file);
  if (status != PFA_E_NO_ERROR) {
    dbg_err_syserr("vyndevtest_get_header", "pfa_alloc_vyn_file returned %d\n", status);
    return 0;
  }
  // From here every path ends in pfa_dispose, which closes the handle when a step left
  // it open and frees it.
  int read = 0;
  if ((status = pfa_parse_to_vyn_file(file, path)) != PFA_E_NO_ERROR) {
    dbg_err_syserr("vyndevtest_get_header", "pfa_parse_to_vyn_file of %s returned %d\n",
                   path, status);
  } else if ((status = pfa_fopen(file, 0, "r")) != PFA_E_NO_ERROR) {
    dbg_err_syserr("vyndevtest_get_header", "pfa_fopen of %s returned %d\n", path, status);
  } else if ((status = pfa_read_file(file, VYNDEVTEST_HEADER_SIZE, &read, hdr)) !=
             PFA_E_NO_ERROR) {
    dbg_err_syserr("vyndevtest_get_header", "pfa_read_file on %s returned %d\n", path,
                   status);
  } else if ((status = pfa_close(file)) != PFA_E_NO_ERROR) {
    dbg_err_syserr("vyndevtest_get_header", "pfa_close returned %d\n", status);
  }
  pfa_dispose(&file);
  if (status != PFA_E_NO_ERROR) return 0;
  if (header) *header = hdr;
  if (count) *count = read;
  return 1;
}

int vyndevtest_is_dll(const char* path) { return elf_object_type(path) == ELF_TYPE_DYN ? 1 : 0; }

// A position-independent program is of type ET_DYN just as a shared object is, and the
// header bytes cannot tell the two apart: every ET_DYN file counts as a program too.
int vyndevtest_is_exec(const char* path) {
  int type = elf_object_type(path);
  return type == ELF_TYPE_EXEC || type == ELF_TYPE_DYN ? 1 : 0;
}

}  // namespace vek
