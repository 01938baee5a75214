// Byte and text operations on an open handle: each checks the handle and hands the work
// to its location's stream methods. A handle with a text converter reads and writes
// through the convertors, in chunks.
#include <climits>
#include <cstdlib>
#include <cstring>

#include "fileaccess/core/pfa.h"
#include "fileaccess/core/pfaconv.h"
#include "fileaccess/core/pfaloc.h"
#include "runtime/diag/diag.h"
#include "runtime/text/lang.h"
#include "runtime/text/vscanf.h"
#include "runtime/text/vsprintf.h"
#include "runtime/text/wide.h"

namespace vek {

namespace {

// Longest line that pfa_fscanf reads at once.
constexpr int FSCANF_LINE = 260;
// Raw bytes a converting read takes from the location at once.
constexpr int RAW_READ = 1025;

int is_valid(const VynFile* file) { return file && file->magic == VYN_FILE_MAGIC; }

// 11 for an invalid or directory handle, 10 for one that is not open, else 0.
int check_stream(const VynFile* file) {
  if (!is_valid(file) || file->object_type == PFA_TYPE_DIRECTORY) return PFA_E_NOT_VALID;
  if (!(file->flags & PFA_FLAG_OPEN)) return PFA_E_INACTIVE;
  return PFA_E_NO_ERROR;
}

// Reads one line of at most n - 1 bytes (n >= 1). language >= 0: a character of that
// language cut by the limit is given back to the stream. Results as pfa_fgets.
int read_line(VynFile* file, int n, int* count, char* buffer, int language) {
  if (file->encode) {
    int length = 0;
    int result = pfa_read_and_convert(file, n - 1, &length, buffer, '\n');
    buffer[length] = '\0';
    if (count) *count = length;
    return result;
  }
  long start = -1;
  if (language >= 0 && pfaloc_call_FLP(file, PfaGetFilePosition, &start) != PFA_E_NO_ERROR)
    start = -1;
  int length = 0;
  int result = pfaloc_call_FLPPI(file, PfaFgets, buffer, &length, n);
  if (result != PFA_E_NO_ERROR) {
    buffer[0] = '\0';
    return result;
  }
  // Only the limit cuts a character: a line that ended at its newline or at the end of
  // the file holds all there is, and an incomplete last character there is data too
  // (given back, it could never be read). A limit of 1 reads nothing at all.
  if (start >= 0 && length > 0 && length == n - 1 && buffer[length - 1] != '\n') {
    int end = 0;
    while (end < length) {
      int size = mb_lead_len(static_cast<unsigned char>(buffer[end]), language);
      if (end + size > length) break;
      end += size;
    }
    if (end < length) {
      length = end;
      buffer[length] = '\0';
      long back = start + end;
      if (pfaloc_call_FLP(file, PfaSetFilePosition, &back) != PFA_E_NO_ERROR) {
        buffer[0] = '\0';
        return PFA_E_ERROR;
      }
      if (length == 0) return PFA_E_NOT_VALID;
    }
  }
  if (count) *count = length;
  return PFA_E_NO_ERROR;
}

// The remote flag handed to a write: the mounted bit when it is known, else the
// location's answer.
int remote_flag(VynFile* file) {
  if (file->flags & PFA_FLAG_MOUNTED_KNOWN) return (file->flags & PFA_FLAG_MOUNTED) ? 1 : 0;
  return pfaloc_call_F(file, PfaIsRemoteMounted) == 1 ? 1 : 0;
}

// Writes text (n bytes) through the handle's converter in chunks: each one by
// PfaWriteFile, or as a terminated text by PfaFputs when as_text.
int write_converted(VynFile* file, int n, const char* text, bool as_text) {
  int remote = as_text ? 0 : remote_flag(file);
  char chunk[PFA_CHUNK_SIZE + 1];
  while (n > 0) {
    int produced = pfa_write_convertor(static_cast<int>(file->encode), &n, &text, chunk);
    if (produced == 0) return PFA_E_INVALID_INPUT;
    int result = as_text ? pfaloc_call_FLP(file, PfaFputs, chunk)
                         : pfaloc_call_FLPII(file, PfaWriteFile, chunk, produced, remote);
    if (result != PFA_E_NO_ERROR) return result;
  }
  return PFA_E_NO_ERROR;
}

}  // namespace

int pfa_read_and_convert(VynFile* file, int n, int* count, char* buffer, int stop) {
  if (count) *count = 0;
  if (int checked = check_stream(file)) return checked;
  if (!buffer || n < 0) return PFA_E_INVALID_INPUT;
  char raw[RAW_READ + 1];
  int total = 0;
  int failure = PFA_E_NO_ERROR;
  bool stopped = false;
  bool at_end = false;
  bool given_back = true;  // false: read bytes could not be given back, the stream is off
  while (n - total >= 1 && !stopped && !at_end) {
    long start = 0;
    if (int result = pfaloc_call_FLP(file, PfaGetFilePosition, &start)) {
      failure = result;
      break;
    }
    int got = 0;
    int result = stop == '\n' ? pfaloc_call_FLPPI(file, PfaFgets, raw, &got, RAW_READ + 1)
                               : pfaloc_call_FLPPI(file, PfaReadFile, raw, &got, RAW_READ);
    if (got <= 0 || got > RAW_READ || (result != PFA_E_NO_ERROR && result != PFA_E_QUIT)) {
      if (result != PFA_E_NO_ERROR && result != PFA_E_QUIT) failure = result;
      break;
    }
    at_end = result == PFA_E_QUIT;
    int produced = 0;
    int flag = 0;
    int used = pfa_read_convertor(static_cast<int>(file->encode), n - total, got, &produced,
                                  buffer + total, stop, &flag, raw);
    if (used == 0) {
      // The next character does not fit behind what was produced, or does not convert:
      // it stays in the stream for the next read.
      if (int moved = pfaloc_call_FLP(file, PfaSetFilePosition, &start)) {
        failure = moved;
        given_back = false;
      } else if (total == 0) {
        failure = PFA_E_ERROR;
      }
      break;
    }
    total += produced;
    stopped = flag != 0;
    if (used < got) {
      long back = start + used;
      if (int moved = pfaloc_call_FLP(file, PfaSetFilePosition, &back)) {
        failure = moved;
        given_back = false;
        break;
      }
      at_end = false;
    }
  }
  if (count) *count = total;
  if (total > 0 && given_back) return PFA_E_NO_ERROR;
  return failure != PFA_E_NO_ERROR ? failure : PFA_E_QUIT;
}

int pfa_read_file(VynFile* file, int n, int* count, void* buffer) {
  if (count) *count = 0;
  if (!is_valid(file) || file->object_type == PFA_TYPE_DIRECTORY) return PFA_E_NOT_VALID;
  if (n == 0) return PFA_E_NO_ERROR;
  if (int checked = check_stream(file)) return checked;
  if (n < 0 || !buffer) return PFA_E_INVALID_INPUT;
  if (file->encode) return pfa_read_and_convert(file, n, count, static_cast<char*>(buffer), -1);
  int got = 0;
  int result = pfaloc_call_FLPPI(file, PfaReadFile, buffer, &got, n);
  if (count) *count = got;
  return result;
}

int pfa_fread(void* buffer, int size, int count, VynFile* file) {
  if (size <= 0 || count <= 0 || count > INT_MAX / size) return 0;
  int got = 0;
  if (pfa_read_file(file, size * count, &got, buffer) != PFA_E_NO_ERROR) return 0;
  return got / size;
}

int pfa_fgets(VynFile* file, int n, int* count, char* buffer) {
  if (count) *count = 0;
  if (int checked = check_stream(file)) return checked;
  if (!buffer || n < 1) return PFA_E_INVALID_INPUT;
  if (file->encode) return read_line(file, n, count, buffer, -1);
  // Japanese and the generic languages are walked by characters of the language's
  // encoding so that a line cut by the limit never ends inside one.
  int language = get_language();
  int walked = language == LANG_JAPANESE || language == LANG_GENERIC_MULTIBYTE ||
               language == LANG_GENERIC_SINGLE_BYTE;
  return read_line(file, n, count, buffer, walked ? language : -1);
}

int pfa_fgetc(VynFile* file) { return is_valid(file) ? pfaloc_call_FL(file, PfaFgetc) : -1; }

int pfa_ungetc(int c, VynFile* file) {
  return is_valid(file) ? pfaloc_call_FLI(file, PfaUngetc, c) : -1;
}

int pfa_fputc(int c, VynFile* file) {
  char byte = static_cast<char>(c);
  return pfa_write_file(file, 1, &byte);
}

int pfa_write_file(VynFile* file, int n, const void* buffer) {
  if (!is_valid(file) || file->object_type == PFA_TYPE_DIRECTORY) return PFA_E_NOT_VALID;
  if (n == 0) return PFA_E_NO_ERROR;
  if (!(file->flags & PFA_FLAG_OPEN)) return PFA_E_INACTIVE;
  if (n < 0 || !buffer) return PFA_E_INVALID_INPUT;
  if (file->encode) return write_converted(file, n, static_cast<const char*>(buffer), false);
  return pfaloc_call_FLPII(file, PfaWriteFile, const_cast<void*>(buffer), n, remote_flag(file));
}

int pfa_fputs(VynFile* file, const char* text) {
  if (int checked = check_stream(file)) return checked;
  if (!text) return PFA_E_INVALID_INPUT;
  if (file->encode) {
    std::size_t n = std::strlen(text);
    if (n > INT_MAX) return PFA_E_INVALID_INPUT;
    return write_converted(file, static_cast<int>(n), text, true);
  }
  return pfaloc_call_FLP(file, PfaFputs, const_cast<char*>(text));
}

int pfa_vfprintf(VynFile* file, const char* format, std::va_list args) {
  if (!format) return PFA_E_NOT_VALID;
  if (int checked = check_stream(file)) return checked;
  const char* text = vyn_vsprintf(nullptr, format, args);
  if (!text) return PFA_E_ERROR;
  std::size_t n = std::strlen(text);
  if (n > INT_MAX) return PFA_E_INVALID_INPUT;
  return pfa_write_file(file, static_cast<int>(n), text);
}

int pfa_fprintf(VynFile* file, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  int result = pfa_vfprintf(file, format, args);
  va_end(args);
  return result;
}

int pfa_fscanf(VynFile* file, const char* format, ...) {
  if (int checked = check_stream(file)) return checked;
  if (!format) return PFA_E_INVALID_INPUT;
  char line[FSCANF_LINE + 1];
  int length = 0;
  // Read without the character walk: the language's first use builds its table on the
  // memory chain, which the leak trace reads through this very function.
  int result = read_line(file, sizeof line, &length, line, -1);
  if (result != PFA_E_NO_ERROR && result != PFA_E_QUIT) return result;
  // A last line without its newline already counts as the end of the file: only the
  // end stops a line short of both its newline and the limit.
  if (result == PFA_E_NO_ERROR && length < FSCANF_LINE && (length == 0 || line[length - 1] != '\n'))
    result = PFA_E_QUIT;
  std::va_list args;
  va_start(args, format);
  int converted = vyn_vscanf(line, format, args);
  va_end(args);
  return converted < 1 ? PFA_E_ERROR : result;
}

int pfa_init_fscanf_data(PfaFscanfData** state, int size, int threshold) {
  if (!state || size < 1 || threshold < 1 || threshold >= size || size == INT_MAX)
    return PFA_E_INVALID_INPUT;
  *state = nullptr;
  auto* made = static_cast<PfaFscanfData*>(std::calloc(1, sizeof(PfaFscanfData)));
  if (!made) return PFA_E_NO_SPACE;
  made->buffer = static_cast<char*>(std::calloc(static_cast<std::size_t>(size) + 1, 1));
  if (!made->buffer) {
    std::free(made);
    return PFA_E_NO_SPACE;
  }
  made->size = size;
  made->threshold = threshold;
  made->position = size;
  *state = made;
  return PFA_E_NO_ERROR;
}

int pfa_clear_fscanf_data(PfaFscanfData** state) {
  if (!state || !*state) return PFA_E_INVALID_INPUT;
  PfaFscanfData* data = *state;
  if (!data->buffer || data->size < 1 || data->valid < 0 || data->valid > data->size)
    return PFA_E_INVALID_INPUT;
  data->position = -1;
  std::free(data->buffer);
  std::free(data);
  *state = nullptr;
  return PFA_E_NO_ERROR;
}

namespace {

// format cut behind its k-th conversion that assigns a target (not a count, not
// suppressed) into out (size bytes): true when it has that many.
bool format_through_item(const char* format, int k, char* out, std::size_t size) {
  constexpr int SUPPRESSED = 0;
  constexpr int COUNT = 6;
  constexpr int UNKNOWN = -1;
  int assigned = 0;
  for (const char* p = format; *p;) {
    if (p[0] == '%' && p[1] == '%') {
      p += 2;
      continue;
    }
    if (*p != '%') {
      ++p;
      continue;
    }
    char scratch[2 * VSCANF_MAX_FORMAT + 8];
    int type = UNKNOWN;
    if (parse_format_spec(&p, scratch, sizeof scratch, &type) < 0) return false;
    if (type == UNKNOWN) {
      // A keyword the table does not know ends with its conversion letter.
      while (*p && std::strchr("hlLqjzt", *p)) ++p;
      if (*p) ++p;
    }
    if (type == SUPPRESSED || type == COUNT || ++assigned < k) continue;
    std::size_t n = static_cast<std::size_t>(p - format);
    if (n >= size) return false;
    std::memcpy(out, format, n);
    out[n] = '\0';
    return true;
  }
  return false;
}

}  // namespace

int pfa_incremental_fscanf(VynFile* file, PfaFscanfData* state, const char* format, ...) {
  if (check_stream(file) || !state || !state->buffer || !format) return -1;
  if (state->position < 0 || state->position > state->size || state->valid < 0 ||
      state->valid > state->size)
    return -1;
  if (state->position == state->size) {
    int got = 0;
    if (pfa_fgets(file, state->size + 1, &got, state->buffer) != PFA_E_NO_ERROR) {
      state->position = -1;
      state->end = 1;
      return -1;
    }
    state->position = 0;
    state->valid = got;
  } else if (!state->end && state->position + state->threshold >= state->valid) {
    // Few unread bytes left: move them to the front and read on behind them. The
    // window is measured by the text it holds, so that short lines are refilled too.
    int unread = state->valid > state->position ? state->valid - state->position : 0;
    std::memmove(state->buffer, state->buffer + state->position, static_cast<std::size_t>(unread));
    state->position = 0;
    state->valid = unread;
    int got = 0;
    if (unread < state->size &&
        pfa_fgets(file, state->size - unread + 1, &got, state->buffer + unread) == PFA_E_NO_ERROR)
      state->valid += got;
    else
      state->end = 1;
  }
  state->buffer[state->valid] = '\0';
  const char* text = state->buffer + state->position;
  int consumed = 0;
  std::va_list args;
  va_start(args, format);
  std::va_list again;
  va_copy(again, args);
  int converted = vyn_vscanf_low(text, &consumed, format, args);
  va_end(args);
  if (converted >= 1 && consumed == 0) {
    // The scan stopped before the format's end: the text of the items that did convert
    // is used up all the same, else the next scan would read them again. Scanned once
    // more with the format cut behind them, the same targets get the same values.
    char through[VSCANF_MAX_FORMAT + 1];
    if (format_through_item(format, converted, through, sizeof through))
      vyn_vscanf_low(text, &consumed, through, again);
  }
  va_end(again);
  if (converted < 1) {
    state->end = 1;
    return -1;
  }
  if (consumed > 0 && consumed <= state->valid - state->position) state->position += consumed;
  return converted - 1;
}

int pfa_get_file_position(VynFile* file, long* position) {
  if (int checked = check_stream(file)) return checked;
  if (!position) return PFA_E_INVALID_INPUT;
  return pfaloc_call_FLP(file, PfaGetFilePosition, position);
}

int pfa_set_file_position(VynFile* file, long position) {
  if (int checked = check_stream(file)) return checked;
  if (position < 0) return PFA_E_INVALID_INPUT;
  return pfaloc_call_FLP(file, PfaSetFilePosition, &position);
}

int pfa_rewind_file(VynFile* file) {
  if (int checked = check_stream(file)) return checked;
  return pfaloc_call_FL(file, PfaRewindFile);
}

int pfa_unwind_file(VynFile* file) {
  if (int checked = check_stream(file)) return checked;
  return pfaloc_call_FL(file, PfaUnwindFile);
}

int pfa_fseek(VynFile* file, void* buffer, int ignored, int position, int size) {
  if (int checked = check_stream(file)) return checked;
  return pfaloc_call_FLPIII(file, PfaFseek, buffer, ignored, position, size);
}

int pfa_flush_file(VynFile* file) {
  if (int checked = check_stream(file)) return checked;
  return pfaloc_call_FL(file, PfaFlushFile);
}

int pfa_copy_through_cookie(VynFile* from, VynFile* to, void* marker, void* end) {
  if (!is_valid(from) || !is_valid(to)) return PFA_E_NOT_VALID;
  if (from->location_type != to->location_type) {
    dbg_err_crash("pfa_copy_through_cookie", "tried to call with different locations %d and %d",
                  static_cast<int>(from->location_type), static_cast<int>(to->location_type));
    return PFA_E_NOT_VALID;
  }
  return pfaloc_call_FLFLPP(from, PfaCopyThruCookie, to, marker, end);
}

}  // namespace vek
