// The .Z stream decompressor: fed the compressed bytes in pieces of any size, it decodes
// into an output buffer that it grows through the caller's callbacks.
//
// Memory stays bounded whatever the stream: the string store never grows past
// UNCOMPRESS_STORE_CAP (a string that finds no room is rebuilt from its entry's prefix
// code and last byte), and one call stops decoding once UNCOMPRESS_CALL_OUTPUT bytes
// are out; what it has not decoded yet is kept and decoded by the following calls, first.
// A caller therefore calls again without input until a call gives 0, and only then
// feeds more or finishes.
#pragma once

#include <cstdint>

#include "fileaccess/core/pfa.h"

namespace vek {

// The most bytes the string store is grown to.
constexpr long UNCOMPRESS_STORE_CAP = 8L << 20;
// A call starts no further string once it has written this many bytes.
constexpr long UNCOMPRESS_CALL_OUTPUT = 1L << 20;
// Entries of the caller's string-pointer table.
constexpr int UNCOMPRESS_STR_PTR_COUNT = 65537;
// Size of a new string store.
constexpr long UNCOMPRESS_TRANS_BUF_SIZE = 1048576;

// The output buffer's capacity in bytes, and its reallocation (contents kept).
typedef long (*UncompressSizeFunc)(void* buffer, void* data);
typedef void* (*UncompressReallocFunc)(void* buffer, long size, void* data);

// One stream's decoder, made by the first uncompress_buffer call that brings a byte.
struct uncompress_state {
  int n_bits;        // current code width
  int maxcode;       // 2^n_bits - 1
  int width_count;   // where the width grows: 255 + block_mode, +8 a group
  int at_width16;    // the width has reached the stream's largest width
  int block_mode;
  int max_bits;      // the stream's largest width, 9 to 16
  int free_ent;      // code of the next entry; stops at 2^max_bits
  int healthy;       // 0 once the stream is found broken
  int last_fixed;    // the newest entry's last byte is known
  int flushing;      // the finish step reads the kept partial group
  std::uint16_t* code_buf;  // 65,536 codes of one batch
  std::uint16_t* str_len;   // string length of each code
  std::uint16_t* prefix;    // each entry's prefix code
  unsigned char* suffix;    // each entry's last byte
  unsigned char* first;     // each entry's first byte
  long trans_pos;           // where the next string goes in the store
  int code_pos;             // next code of code_buf to decode
  int code_count;
  int bad_after_codes;      // the batch ended at a code that breaks the stream
  unsigned char pend_buf[16];  // bytes of an incomplete group
  int pend_count;
  unsigned char header[3];
  int header_count;
  unsigned char* held;      // input kept for the next calls, and how much of it is read
  long held_len;
  long held_pos;
};

// Decodes len bytes of in into *out from its start; the bytes decoded, or -1 for a
// broken stream (reported as "bad things happened" by this and every later call). The
// first call makes the state, clears the caller's string-pointer table (*str_ptr,
// UNCOMPRESS_STR_PTR_COUNT entries) and takes a string store when *trans_buf is null;
// null table or store references give -1 ("Invalid args"). A call without input
// decodes what earlier calls kept. The stream must begin with 1F 9D and name a largest
// width from 9 to 16; fewer than 3 header bytes are kept until the rest comes.
int uncompress_buffer(const unsigned char* in, int len, unsigned char** out,
                      uncompress_state** state, unsigned char*** str_ptr,
                      unsigned char** trans_buf, UncompressSizeFunc size_func,
                      UncompressReallocFunc realloc_func, void* data);
// Decodes whatever is kept (the partial last group as the codes its whole bytes hold),
// releases the state (clearing *state) and hands the store back to the spare stores
// (clearing *trans_buf). 0 without a state; -1 for a broken stream or one that ended
// inside its header.
int uncompress_buffer_finish(unsigned char** out, uncompress_state** state,
                             unsigned char*** str_ptr, unsigned char** trans_buf,
                             UncompressSizeFunc size_func, UncompressReallocFunc realloc_func,
                             void* data);
// Unpacks the codes of the whole groups of in (kept bytes first) into code_buf, at
// most a full buffer; *in and *len move past what was taken. The codes added.
int get_some_codes(uncompress_state* state, const unsigned char** in, long* len);

// Spare stores: the last one handed back, else a new store of 1 MB. 1.
int uncompress_trans_buf_alloc(unsigned char** trans_buf);
// Hands a store back (nothing for a null one) and clears the caller's pointer. 1.
int uncompress_trans_buf_free(unsigned char** trans_buf);
// The number of spare stores.
int uncompress_trans_buf_spares();

// The copy's callbacks over memory blocks.
long uncompress_buffer_size(void* buffer, void* data);
void* uncompress_realloc_buffer(void* buffer, long size, void* data);
int uncompress_buffer_free(unsigned char** buffer);

// Decompresses the open source into the open destination. With length -1 a plain head
// is first copied through up to the stream's magic; else length compressed bytes are
// read. 0 on success; 11 for an invalid or directory handle, 2 for a missing source, 7
// for one that cannot be read; 1 for a broken stream; else the code of the read or
// write that failed.
int pfa_uncompress_and_copy(VynFile* source, VynFile* destination, long length);
// Copies the source to the destination up to the magic 1F 9D through the location
// method; *at_end tells that the source ended first. The method's result, 0 with
// locations of two types.
int uncompress_thru_cookie(VynFile* source, VynFile* destination, int* at_end);

}  // namespace vek
