#include "fileaccess/core/pfa.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fileaccess/core/pfa_testing.h"
#include "runtime/text/lang.h"
#include "runtime/text/vscanf.h"
#include "runtime/text/vsprintf.h"
#include "runtime/text/wide.h"

namespace vek {

namespace {

// Longest line that pfa_fscanf reads at once.
constexpr int FSCANF_LINE = 260;

// The handle of "stdio://err", made on first request.
VynFile* stderr_handle;

// Object type of a directory handle, which has no stream.
constexpr std::int16_t OBJECT_TYPE_DIRECTORY = -5;

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
  // (given back, it could never be read).
  if (start >= 0 && length == n - 1 && buffer[length - 1] != '\n') {
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

// A new record in its start state, or null. Records come from the C heap, so that the
// memory chain never depends on the file layer.
VynFile* alloc_record() {
  auto* file = static_cast<VynFile*>(std::calloc(1, sizeof(VynFile)));
  if (!file) return nullptr;
  file->magic = VYN_FILE_MAGIC;
  file->object_type = -4;
  file->location_type = PFA_LOC_STD_FILESYSTEM;
  return file;
}

// Stores the record's text as a location (component 1) followed by a base name
// (component 3); the other components are empty.
void set_name(VynFile* file, const char* location, const char* base) {
  std::size_t l = std::strlen(location);
  std::size_t n = std::strlen(base);
  std::memcpy(file->text, location, l);
  std::memcpy(file->text + l, base, n + 1);
  auto loc_end = static_cast<std::uint16_t>(l);
  auto end = static_cast<std::uint16_t>(l + n);
  file->component[1][1] = loc_end;
  file->component[2][0] = file->component[2][1] = loc_end;
  file->component[3][0] = loc_end;
  file->component[3][1] = end;
  for (int i = 4; i < 6; ++i) file->component[i][0] = file->component[i][1] = end;
}

void free_record(VynFile** file) {
  (*file)->magic = 0;
  std::free(*file);
  *file = nullptr;
}

}  // namespace

VynFile* pfa_fopen_file_vers(const char* name, const char* mode, int rule) {
  // Every caller so far opens the file exactly as named (rule 0).
  (void)rule;
  if (!name || !mode || std::strlen(name) >= sizeof(VynFile::text)) return nullptr;
  char os_name[sizeof(VynFile::text)];
  std::size_t i = 0;
  for (; name[i]; ++i) os_name[i] = name[i] == '\\' ? '/' : name[i];
  os_name[i] = '\0';
  std::FILE* stream = std::fopen(os_name, mode);
  if (!stream) return nullptr;
  VynFile* file = alloc_record();
  if (!file) {
    std::fclose(stream);
    return nullptr;
  }
  set_name(file, "", name);
  file->location_slot = stream;
  file->flags |= PFA_FLAG_OPEN;
  return file;
}

int pfa_dispose(VynFile** file) {
  if (!file || !is_valid(*file)) return 0;
  VynFile* record = *file;
  if (record->flags & PFA_FLAG_OPEN) {
    std::FILE* stream = stream_of(record);
    record->flags &= ~PFA_FLAG_OPEN;
    record->location_slot = nullptr;
    // Closing a standard-stream handle leaves the process's stream open. A failed
    // fclose has still released the stream, so the handle is no longer open either way.
    if (record->location_type != PFA_LOC_STDIO && std::fclose(stream) != 0) {
      return PFA_E_CANT_WRITE;
    }
  }
  free_record(file);
  return PFA_E_NO_ERROR;
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

VynFile* pfa_get_stderr() {
  if (!stderr_handle) {
    VynFile* file = alloc_record();
    if (!file) return nullptr;
    set_name(file, "stdio://", "err");
    file->location_type = PFA_LOC_STDIO;
    file->location_slot = stderr;
    file->flags |= PFA_FLAG_OPEN;
    stderr_handle = file;
  }
  return stderr_handle;
}

void pfa_testing_reset() {
  if (stderr_handle) free_record(&stderr_handle);
}

}  // namespace vek
