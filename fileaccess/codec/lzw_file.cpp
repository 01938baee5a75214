// The codec's file-level entry points, over the file handle's stream operations.
#include <cstring>

#include "fileaccess/codec/lzw_compress.h"
#include "fileaccess/codec/lzw_uncompress.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/names/oshelp.h"
#include "fileaccess/names/pfahandleops.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/runmode.h"
#include "runtime/memory/getmem.h"
#include "runtime/text/wstring.h"

namespace vek {

namespace {

constexpr int PIECE = 0x20000;
// Room for one compressed piece: 2 bytes a byte, plus the header and fillings.
constexpr int COMPRESSED_PIECE_ROOM = 2 * PIECE + 256;
constexpr long UNCOMPRESS_OUTPUT_START = 1572864;
constexpr int COMPRESS_TRACE_RUN_MODE = 9998;
constexpr int HEAD_LINE = 1024;
const unsigned char COOKIE[2] = {0x1F, 0x9D};

// The checks both copies begin with: 11 for a bad handle or a directory source, 2 for a
// missing source, 7 for one that cannot be read (or a destination that cannot be
// written, when asked). 0 to go on.
int check_copy(VynFile* source, VynFile* destination, bool check_destination) {
  if (!pfa_is_valid(source) || !pfa_is_valid(destination) || pfa_is_dir(source))
    return PFA_E_NOT_VALID;
  if (!pfa_access(source, 0)) return PFA_E_NOT_FOUND;
  if (!pfa_access(source, 4)) return PFA_E_NO_ACCESS;
  if (check_destination && !pfa_access(destination, 2)) return PFA_E_NO_ACCESS;
  return PFA_E_NO_ERROR;
}

bool is_head_line(const char* line) {
  return std::strncmp(line, "#Vyn/", 5) == 0 || std::strncmp(line, "#VK/", 4) == 0;
}

// Reads two bytes: 1 when they are the magic.
int read_cookie(VynFile* file) {
  int first = pfa_fgetc(file);
  int second = pfa_fgetc(file);
  return first == COOKIE[0] && second == COOKIE[1];
}

// Decodes and writes; 0, 1 for a broken stream, or the write's code.
int write_decoded(VynFile* destination, unsigned char* out, int count) {
  if (count < 0) return PFA_E_ERROR;
  return count > 0 ? pfa_write_file(destination, count, out) : PFA_E_NO_ERROR;
}

}  // namespace

int pfa_compress_and_copy(VynFile* source, VynFile* destination) {
  if (is_run_mode(COMPRESS_TRACE_RUN_MODE))
    dbg_print_info("pfa_compress_file", "Compress a file into a new file.");
  if (int checked = check_copy(source, destination, true)) return checked;
  auto* in = static_cast<unsigned char*>(getmem(PIECE));
  auto* out = static_cast<unsigned char*>(getmem(COMPRESSED_PIECE_ROOM));
  compress_state* state = nullptr;
  int status;
  for (;;) {
    int count = 0;
    status = pfa_read_file(source, PIECE, &count, in);
    if (status != PFA_E_NO_ERROR) break;
    int produced = compress_buffer(&out, in, &state, count, 2);
    if (produced > 0) status = pfa_write_file(destination, produced, out);
    if (status != PFA_E_NO_ERROR) break;
  }
  if (status == PFA_E_QUIT) {
    // The source ended: the last group goes out. An empty source made no state, so the
    // destination stays empty and the result 5.
    int produced = compress_buffer_finish(&out, &state);
    if (produced > 0) status = pfa_write_file(destination, produced, out);
  } else {
    compress_buffer_finish(&out, &state);
  }
  relmem(&in);
  relmem(&out);
  return status;
}

int pfa_is_compressed(VynFile* file, long* offset) {
  if (!file || !offset) return PFA_E_NOT_VALID;
  *offset = 0;
  // Lines are read from where the test began, so a head line that is the file's first
  // line is seen whole.
  long start = 0;
  if (pfa_get_file_position(file, &start) != PFA_E_NO_ERROR) start = 0;
  if (read_cookie(file)) return 1;
  if (pfa_set_file_position(file, start) != PFA_E_NO_ERROR) return 0;
  char line[HEAD_LINE];
  for (;;) {
    if (pfa_fgets(file, sizeof line, nullptr, line) != PFA_E_NO_ERROR) return 0;
    if (is_head_line(line)) break;
  }
  if (pfa_get_file_position(file, offset) != PFA_E_NO_ERROR) *offset = 0;
  return read_cookie(file);
}

int compress_fclose(VynFile* file, const VynWchar* name, const char* mode,
                    const VynWchar* temp_name) {
  int result = pfa_close(file) != PFA_E_NO_ERROR ? -1 : 0;
  if (mode && std::strcmp(mode, "r") == 0 && name && temp_name && wscmp(name, temp_name) != 0) {
    delete_file_this_case(temp_name);
  }
  return result;
}

int uncompress_thru_cookie(VynFile* source, VynFile* destination, int* at_end) {
  if (at_end) *at_end = 0;
  if (!pfa_is_valid(source) || !pfa_is_valid(destination)) return PFA_E_NOT_VALID;
  if (source->location_type != destination->location_type) {
    dbg_err_crash("uncompress_thru_cookie", "the hard way not implemented");
    return 0;
  }
  return pfaloc_call_FLFLPP(source, PfaCopyThruCookie, destination,
                            const_cast<unsigned char*>(COOKIE), at_end);
}

int pfa_uncompress_and_copy(VynFile* source, VynFile* destination, long length) {
  if (int checked = check_copy(source, destination, false)) return checked;
  if (length == -1) {
    int at_end = 0;
    if (uncompress_thru_cookie(source, destination, &at_end) != 0)
      return at_end ? PFA_E_NO_ERROR : PFA_E_ERROR;
    long at = 0;
    if (pfa_get_file_position(source, &at) != PFA_E_NO_ERROR || at < 2 ||
        pfa_set_file_position(source, at - 2) != PFA_E_NO_ERROR)
      return PFA_E_ERROR;
  }
  auto* in = static_cast<unsigned char*>(getmem(PIECE));
  auto* out = static_cast<unsigned char*>(
      uncompress_realloc_buffer(nullptr, UNCOMPRESS_OUTPUT_START, nullptr));
  auto* table = static_cast<unsigned char**>(
      getmem(sizeof(unsigned char*) * UNCOMPRESS_STR_PTR_COUNT));
  unsigned char* store = nullptr;
  uncompress_state* state = nullptr;
  long read = 0;
  int status = PFA_E_NO_ERROR;
  while (status == PFA_E_NO_ERROR) {
    int want = PIECE;
    if (length >= 0) {
      if (read >= length) break;
      if (length - read < want) want = static_cast<int>(length - read);
    }
    int count = 0;
    status = pfa_read_file(source, want, &count, in);
    if (status != PFA_E_NO_ERROR) break;
    read += count;
    // A piece may decode to nothing (less than a group); the loop goes on. What one call
    // leaves undecoded comes out of the calls without input that follow it.
    int produced = uncompress_buffer(in, count, &out, &state, &table, &store,
                                     uncompress_buffer_size, uncompress_realloc_buffer, nullptr);
    status = write_decoded(destination, out, produced);
    while (status == PFA_E_NO_ERROR && produced > 0) {
      produced = uncompress_buffer(nullptr, 0, &out, &state, &table, &store,
                                   uncompress_buffer_size, uncompress_realloc_buffer, nullptr);
      status = write_decoded(destination, out, produced);
    }
  }
  if (status == PFA_E_QUIT || (status == PFA_E_NO_ERROR && length >= 0)) {
    int produced = uncompress_buffer_finish(&out, &state, &table, &store, uncompress_buffer_size,
                                            uncompress_realloc_buffer, nullptr);
    status = write_decoded(destination, out, produced);
  } else {
    uncompress_buffer_finish(&out, &state, &table, &store, uncompress_buffer_size,
                             uncompress_realloc_buffer, nullptr);
  }
  relmem(&in);
  uncompress_buffer_free(&out);
  relmem(&table);
  uncompress_trans_buf_free(&store);
  return status;
}

}  // namespace vek
