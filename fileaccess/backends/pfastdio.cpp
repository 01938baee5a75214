#include "fileaccess/backends/pfastdio.h"

#include <cstring>
#include <initializer_list>

#include "fileaccess/backends/pfafs.h"
#include "fileaccess/backends/pfafs_stream.h"
#include "fileaccess/core/pfacomp.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfaname.h"
#include "runtime/memory/getmem.h"

namespace vek {

namespace {
constexpr char kPrefix[] = "stdio://";
constexpr int kPrefixLength = 8;

// Opens the stream of the name into the slot when the access fits: input is read only,
// output and error are written only.
int open_stdio(VynFile* file, void** slot, bool writes) {
  std::FILE* stream = nullptr;
  if (int failed = pfa_stdio_get_stream(file, &stream)) return failed;
  if (writes == (stream == stdin)) return PFA_E_CANT_OPEN;
  return pfafs_discouraged_put_stream(file, stream, slot);
}

int stdio_open(VynFile* file, void** slot, void*, int flags, int, int) {
  return open_stdio(file, slot, (flags & 1) != 0);
}

int stdio_fopen(VynFile* file, void** slot, void*, void* mode_word, int, void*, int, int) {
  const char* mode = static_cast<const char*>(mode_word);
  if (!mode) return PFA_E_INVALID_INPUT;
  return open_stdio(file, slot, mode[0] != 'r' && mode[0] != 'R');
}

// The process's stream stays open: only the record goes. A record whose writes failed
// fails its close, as a file's does, and so does an output stream that cannot pass on
// what it holds: a file's close flushes, and what stays held may never arrive.
int stdio_close(VynFile*, void** slot) {
  if (!slot || !*slot) return PFA_E_INVALID_INPUT;
  const PfaFsStream* record = pfafs_stream_of(slot);
  int damaged = record->damaged;
  if (!damaged && record->stream && record->stream != stdin && std::fflush(record->stream) != 0)
    damaged = 1;
  relmem(slot);
  *slot = nullptr;
  return damaged ? PFA_E_ERROR : PFA_E_NO_ERROR;
}

// The "directory" of a standard stream holds the one entry given at its open.
int stdio_dir_open(VynFile*, void** slot, void*, void* pattern, void*, int) {
  if (slot) *slot = pattern;
  return PFA_E_NO_ERROR;
}

int stdio_dir_close(VynFile*, void** slot) {
  if (slot) *slot = nullptr;
  return PFA_E_NO_ERROR;
}

typedef int (*StdioFilter)(const char* entry, void* data, int is_directory);

int stdio_dir_read_next(VynFile* dir, void** slot, void* out_word, void* filter_word, void* data, int) {
  if (!slot || !*slot) return PFA_E_QUIT;
  const char* entry = static_cast<const char*>(*slot);
  *slot = nullptr;
  auto* out = static_cast<VynFile*>(out_word);
  auto filter = reinterpret_cast<StdioFilter>(filter_word);
  // The filter sees the entry even when there is no handle to fill: a version search
  // reads entries through its filter alone.
  if (filter && filter(entry, data, 0) != 0) return PFA_E_QUIT;
  if (!out) return PFA_E_NO_ERROR;
  if (pfa_copy_vyn_file(dir, out) != PFA_E_NO_ERROR || pfa_put_name(out, entry) != PFA_E_NO_ERROR)
    return PFA_E_QUIT;
  return PFA_E_NO_ERROR;
}

int answer_zero(VynFile*) { return 0; }

}  // namespace

int pfa_stdio_get_stream(const VynFile* file, std::FILE** stream) {
  if (stream) *stream = nullptr;
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  const char* name = file->text + file->component[3][0];
  int length = file->component[3][1] - file->component[3][0];
  std::FILE* found = nullptr;
  if (length >= 3 && std::strncmp(name, "err", 3) == 0)
    found = stderr;
  else if (length >= 3 && std::strncmp(name, "out", 3) == 0)
    found = stdout;
  else if (length >= 2 && std::strncmp(name, "in", 2) == 0)
    found = stdin;
  if (!found) return PFA_E_NOT_VALID;
  if (stream) *stream = found;
  return PFA_E_NO_ERROR;
}

int pfa_stdio_access(VynFile* file, int mode, int) {
  std::FILE* stream = nullptr;
  if (int failed = pfa_stdio_get_stream(file, &stream)) return failed;
  if (mode == 2) return stream != stdin ? 1 : 0;
  if (mode == 4) return stream == stdin ? 1 : 0;
  return 0;
}

int pfa_stdio_claim_location(VynFile* file, void* text, void* colon, void* name_offset) {
  const char* name = static_cast<const char*>(text);
  if (!name || colon != name + 5 || std::strncmp(name, kPrefix, kPrefixLength) != 0)
    return PFA_E_INVALID_INPUT;
  const char* rest = name + kPrefixLength;
  if (std::strcmp(rest, "err") != 0 && std::strcmp(rest, "in") != 0 &&
      std::strcmp(rest, "out") != 0)
    return PFA_E_INVALID_INPUT;
  if (pfa_put_component_len(file, 1, kPrefix, kPrefixLength, 0)) return PFA_E_INVALID_INPUT;
  if (name_offset) *static_cast<int*>(name_offset) = kPrefixLength;
  return PFA_E_NO_ERROR;
}

int pfa_stdio_location_string(VynFile* file, void* buffer, void* length, int limit) {
  return pfa_append_component(file, 1, static_cast<char*>(buffer), static_cast<int*>(length),
                              limit);
}

int pfa_stdio_register() {
  constexpr int type = static_cast<int>(PFA_LOC_STDIO);
  if (!pfa_loc_register_setup(type)) return 0;
  pfa_loc_method_register(type, PfaClaimLocation, PLM_CALL_FPPP,
                          as_method(&pfa_stdio_claim_location));
  pfa_loc_method_register(type, PfaGetLocationString, PLM_CALL_FPPS,
                          as_method(&pfa_stdio_location_string));
  pfa_loc_method_register(type, PfaGetNeutralLocation, PLM_CALL_FPPS,
                          as_method(&pfa_stdio_location_string));
  pfa_loc_method_register(type, PfaOpen, PLM_CALL_FLPIII, as_method(&stdio_open));
  pfa_loc_method_register(type, PfaFopen, PLM_CALL_FLPPIPII, as_method(&stdio_fopen));
  pfa_loc_method_register(type, PfaCloseFile, PLM_CALL_FL, as_method(&stdio_close));
  pfa_loc_method_register(type, PfaDirOpen, PLM_CALL_FLPPPI, as_method(&stdio_dir_open));
  pfa_loc_method_register(type, PfaDirClose, PLM_CALL_FL, as_method(&stdio_dir_close));
  pfa_loc_method_register(type, PfaDirReadNext, PLM_CALL_FLPPPI, as_method(&stdio_dir_read_next));
  pfa_loc_method_register(type, PfaAccess, PLM_CALL_FII, as_method(&pfa_stdio_access));
  pfa_loc_method_register(type, PfaDirCanOpenSubset, PLM_CALL_F, as_method(&answer_zero));
  pfa_loc_method_register(type, PfaIsRemoteMounted, PLM_CALL_F, as_method(&answer_zero));
  // The byte methods work on the stream record as they do for a local file.
  constexpr int from = static_cast<int>(PFA_LOC_STD_FILESYSTEM);
  for (int method : {PfaFgetc, PfaReadFile, PfaFgets, PfaWriteFile, PfaFputs, PfaCopyThruCookie,
                     PfaFlushFile})
    pfa_loc_type_inherit_method(type, from, method);
  return pfa_loc_register_setup(PFA_LOC_NONE);
}

}  // namespace vek
