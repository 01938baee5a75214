// The .Z stream compressor: a streaming LZW encoder fed in pieces, and the stream's
// file-level helpers (compressing copy, the compressed-file test, the close that removes
// a temporary decompressed copy, the process-wide output switch).
//
// The stream: 1F 9D and a flags byte (0x10, the largest width 16, with 0x80 in block
// mode), then codes in groups of 8 of one width packed least significant bit first (a
// group of width n is n bytes). Widths run from 9 to 16; when the width grows the group
// under way is filled with zero codes and written whole. In block mode code 256 is
// CLEAR, written at width 16 only, followed by zero codes to the end of its group of 8
// counted from the first 16-bit code. The last group is cut to the bytes its codes use.
#pragma once

#include <cstdint>

#include "fileaccess/core/pfa.h"
#include "runtime/vekbase.h"

namespace vek {

// The stream's three header bytes as the compressor writes them without block mode.
constexpr unsigned char CMPRESS_MAGIC[3] = {0x1F, 0x9D, 0x10};

// One stream's encoder. Made by the first compress_buffer call, released by
// compress_buffer_finish. Every 16-bit field is a code.
struct compress_state {
  int n_bits;        // current code width, 9 to 16
  int maxcode;       // largest code of the width; 65,536 at width 16
  int free_ent;      // code of the next table entry; 65,536: the table is full
  int widen_due;     // the width grows after the next code written
  int variant;       // 1 direct tables, 0 hash table
  int reset_due;     // the ratio fell: a later long call writes CLEAR
  int group_pos16;   // 16-bit codes since width 16 (or the last CLEAR group), mod 8
  int best_ratio;    // best input/output ratio seen with the table full
  std::uint16_t group[8];  // codes waiting to be packed
  int group_count;
  std::uint16_t ent;       // code of the string matched so far
  int block_mode;
  // Direct-table variant.
  std::uint16_t* direct_table;  // 256 x 256 codes of the two-byte strings, by their bytes
  std::uint16_t* probe_codes;   // 131,072 codes of the longer strings, linear probe
  std::uint32_t* probe_keys;    // their keys, prefix code * 256 + byte
  // Hash variant.
  std::int32_t* hash_keys;      // 69,001 keys, -1 empty
  std::uint16_t* hash_codes;    // 69,001 codes
};

// Compresses len bytes of in into the buffer *out (read, not moved), which must hold 2 *
// len + 256 bytes. The first call (null *state) makes the state and writes the header;
// a first call without input makes nothing and gives 0. Mode 2 is block mode, any other
// none; only the first call's mode counts. A first call shorter than 128,000 bytes takes
// the hash variant, which has no block mode. The bytes written.
int compress_buffer(unsigned char** out, const unsigned char* in, compress_state** state,
                    int len, int mode);
// Writes the pending code and the last group, releases the state and clears *state.
// 0 with a null state.
int compress_buffer_finish(unsigned char** out, compress_state** state);
// Makes (null *state) or clears the direct-table variant's state for mode.
void compress_buffer_init(compress_state** state, int mode);
// The hash variant: first call and continuation. The bytes written.
int compress_buffer_hash(unsigned char** out, const unsigned char* in, compress_state** state,
                         int len);

// Compresses the open source into the open destination (mode 2, in pieces of 0x20000
// bytes). Once the source is read to its end the stream is finished and the result is
// that last write's status (an empty source writes nothing at all and gives 5); 11 for
// an invalid or directory handle, 2 for a missing source, 7 when the source cannot be
// read or the destination written; else the code of the read or write that failed.
int pfa_compress_and_copy(VynFile* source, VynFile* destination);
// 1 when the open file holds a compressed stream at its start or right after a line
// beginning "#Vyn/" or "#VK/" (*offset then gets the stream's position), else 0; 11 for
// a null argument. The file is read from its start and left after the two bytes read last.
int pfa_is_compressed(VynFile* file, long* offset);
// Closes the handle (-1 when that failed, else 0); for mode "r" with two different
// names, the temporary copy is deleted as well.
int compress_fclose(VynFile* file, const VynWchar* name, const char* mode,
                    const VynWchar* temp_name);

// The process-wide switch; the setter returns the previous value.
int get_compress_output_files();
int set_compress_output_files(int value);

}  // namespace vek
