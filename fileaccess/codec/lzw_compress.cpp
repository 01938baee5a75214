#include "fileaccess/codec/lzw_compress.h"

#include <cstring>

#include "fileaccess/codec/lzw_groups.h"
#include "fileaccess/codec/lzw_testing.h"
#include "runtime/memory/getmem.h"

namespace vek {

namespace {

// First calls of at least this many bytes take the direct tables.
constexpr int DIRECT_MIN_INPUT = 128000;
// A pending reset is acted on only by a call longer than this.
constexpr int RESET_MIN_INPUT = 64000;
// direct_table: one code for each pair of bytes.
constexpr int DIRECT_SLOTS = 256 * 256;
// The probe holds at most 65,536 - 256 keys: a load of at most one half.
constexpr int PROBE_BITS = 17;
constexpr int PROBE_SLOTS = 1 << PROBE_BITS;
constexpr int HASH_SLOTS = 69001;

int compress_output_files = 0;

// Where one call writes: the caller's buffer, the bytes written so far and where width
// 16 began in it (-1: before this call, or not yet).
struct Out {
  unsigned char* base;
  long pos;
  long width16_start;
};

void put16(Out& o, unsigned code) {
  o.base[o.pos] = static_cast<unsigned char>(code);
  o.base[o.pos + 1] = static_cast<unsigned char>(code >> 8);
  o.pos += 2;
}

void write_group(compress_state* s, Out& o) {
  for (int i = s->group_count; i < 8; ++i) s->group[i] = 0;
  lzw::pack_group(s->n_bits, s->group, o.base + o.pos);
  o.pos += s->n_bits;
  s->group_count = 0;
}

// Writes a code while the table still grows: into the group, packed when 8 are held,
// then the width growth that the last new entry made due.
void put_code(compress_state* s, Out& o, unsigned code) {
  s->group[s->group_count++] = static_cast<std::uint16_t>(code);
  if (s->group_count == 8) write_group(s, o);
  if (!s->widen_due) return;
  s->widen_due = 0;
  if (s->group_count) write_group(s, o);
  ++s->n_bits;
  s->maxcode = (1 << s->n_bits) - 1;
  if (s->maxcode == 65535) {
    s->maxcode = lzw::code_count;
    o.width16_start = o.pos;
  }
}

// With the table full every code goes out at once as 16 bits; codes still grouped go
// first (at width 16 a group is its codes one after the other, so nothing changes).
void flush_group16(compress_state* s, Out& o) {
  for (int i = 0; i < s->group_count; ++i) put16(o, s->group[i]);
  s->group_count = 0;
}

// The lookup of (ent, c) in the direct tables: the code of a two-byte string stands in
// direct_table at its two bytes, so the first extension of every string costs one load
// and no hash; longer strings are probed for by key. *slot is where the code is or goes.
struct DirectTable {
  compress_state* s;
  std::uint16_t* slot = nullptr;
  std::uint32_t* key_slot = nullptr;  // null for a direct_table slot
  std::uint32_t key = 0;
  unsigned find(unsigned ent, unsigned c) {
    key = ent << 8 | c;
    if (ent < 256) {
      slot = &s->direct_table[key];
      key_slot = nullptr;
      return *slot;
    }
    // The key's top bits after a multiplicative hash: spread well whatever the input.
    unsigned i = key * 2654435761u >> (32 - PROBE_BITS);
    while (s->probe_codes[i] && s->probe_keys[i] != key) i = (i + 1) & (PROBE_SLOTS - 1);
    slot = &s->probe_codes[i];
    key_slot = &s->probe_keys[i];
    return *slot;
  }
  void store(unsigned code) {
    *slot = static_cast<std::uint16_t>(code);
    if (key_slot) *key_slot = key;
  }
};

// The lookup of (ent, c) in the hash table, the double hash of the classic encoder.
struct HashTable {
  compress_state* s;
  std::int32_t key = 0;
  int index = 0;
  unsigned find(unsigned ent, unsigned c) {
    key = static_cast<std::int32_t>(c * 65536 + ent);
    int i = static_cast<int>((c * 256) ^ ent);
    if (s->hash_keys[i] != key && s->hash_keys[i] >= 0) {
      int d = i == 0 ? 1 : HASH_SLOTS - i;
      do {
        i -= d;
        if (i < 0) i += HASH_SLOTS;
      } while (s->hash_keys[i] != key && s->hash_keys[i] >= 0);
    }
    index = i;
    return s->hash_keys[i] == key ? s->hash_codes[i] : 0;
  }
  void store(unsigned code) {
    s->hash_keys[index] = key;
    s->hash_codes[index] = static_cast<std::uint16_t>(code);
  }
};

// Runs the encoder over in[i..len): the growing table first, then, once it is full,
// the lookups without additions, every code written as 16 bits.
template <typename Table>
void encode(compress_state* s, Out& o, const unsigned char* in, int i, int len) {
  Table table{s};
  unsigned ent = s->ent;
  bool full = s->free_ent >= lzw::code_count;
  for (; i < len && !full; ++i) {
    unsigned c = in[i];
    unsigned code = table.find(ent, c);
    if (code) {
      ent = code;
      continue;
    }
    put_code(s, o, ent);
    ent = c;
    if (s->free_ent >= lzw::code_count) {
      full = true;
    } else {
      table.store(static_cast<unsigned>(s->free_ent));
      ++s->free_ent;
      s->widen_due = s->free_ent > s->maxcode;
    }
  }
  if (full) {
    flush_group16(s, o);
    for (; i < len; ++i) {
      unsigned c = in[i];
      unsigned code = table.find(ent, c);
      if (code) {
        ent = code;
      } else {
        put16(o, ent);
        ent = c;
      }
    }
  }
  s->ent = static_cast<std::uint16_t>(ent);
}

void write_header(Out& o, int block_mode) {
  o.base[o.pos++] = CMPRESS_MAGIC[0];
  o.base[o.pos++] = CMPRESS_MAGIC[1];
  o.base[o.pos++] = static_cast<unsigned char>(CMPRESS_MAGIC[2] | (block_mode ? 0x80 : 0));
}

}  // namespace

void compress_buffer_init(compress_state** state, int mode) {
  if (!state) return;
  compress_state* s = *state;
  if (!s) {
    s = static_cast<compress_state*>(getmem(sizeof(compress_state)));
    *state = s;
  }
  // A new state, or one of the hash variant, has no direct tables yet.
  if (!s->direct_table) {
    s->direct_table = static_cast<std::uint16_t*>(getmem(sizeof(std::uint16_t) * DIRECT_SLOTS));
    s->probe_codes = static_cast<std::uint16_t*>(getmem(sizeof(std::uint16_t) * PROBE_SLOTS));
    s->probe_keys = static_cast<std::uint32_t*>(getmem(sizeof(std::uint32_t) * PROBE_SLOTS));
  } else {
    std::memset(s->direct_table, 0, sizeof(std::uint16_t) * DIRECT_SLOTS);
    std::memset(s->probe_codes, 0, sizeof(std::uint16_t) * PROBE_SLOTS);
    std::memset(s->probe_keys, 0, sizeof(std::uint32_t) * PROBE_SLOTS);
  }
  s->variant = 1;
  s->n_bits = 9;
  s->maxcode = 511;
  s->group_pos16 = 0;
  s->best_ratio = 0;
  s->widen_due = 0;
  s->group_count = 0;
  s->block_mode = mode == 2 ? 1 : 0;
  // In block mode 256 is CLEAR: the first new entry is 257.
  s->free_ent = 256 + s->block_mode;
}

int compress_buffer(unsigned char** out, const unsigned char* in, compress_state** state,
                    int len, int mode) {
  if (!out || !*out || !state) return 0;
  if (!in || len < 0) len = 0;
  compress_state* s = *state;
  // Nothing to start a stream with: no state, no header.
  if (!s && len == 0) return 0;
  if ((!s && len < DIRECT_MIN_INPUT) || (s && s->variant == 0))
    return compress_buffer_hash(out, in, state, len);
  Out o{*out, 0, -1};
  int i = 0;
  if (!s) {
    compress_buffer_init(state, mode);
    s = *state;
    write_header(o, s->block_mode);
    s->ent = in[i++];
  } else {
    if (s->n_bits == 16) o.width16_start = 0;
    if (s->reset_due && len > RESET_MIN_INPUT) {
      // CLEAR: the pending string, 256, and zero codes to the end of the group of 8.
      // The table is full here, so nothing is grouped.
      s->reset_due = 0;
      put16(o, s->ent);
      put16(o, lzw::clear_code);
      for (int filled = s->group_pos16 + 2; filled % 8; ++filled) put16(o, 0);
      // The header announced block mode: the new table starts at 257 whatever the mode.
      compress_buffer_init(state, 2);
      o.width16_start = -1;
      s->ent = in[i++];
    }
  }
  encode<DirectTable>(s, o, in, i, len);
  if (s->block_mode && s->n_bits == 16) {
    long from = o.width16_start < 0 ? 0 : o.width16_start;
    s->group_pos16 = static_cast<int>((s->group_pos16 + (o.pos - from) / 2) % 8);
    // A call that wrote nothing tells nothing about the ratio.
    if (s->free_ent >= lzw::code_count && o.pos > 0) {
      int ratio = static_cast<int>(len / o.pos);
      if (ratio < s->best_ratio || ratio == 0)
        s->reset_due = 1;
      else
        s->best_ratio = ratio;
    }
  }
  return static_cast<int>(o.pos);
}

int compress_buffer_hash(unsigned char** out, const unsigned char* in, compress_state** state,
                         int len) {
  if (!out || !*out || !state) return 0;
  if (!in || len < 0) len = 0;
  compress_state* s = *state;
  if (!s && len == 0) return 0;
  Out o{*out, 0, -1};
  int i = 0;
  if (!s) {
    s = static_cast<compress_state*>(getmem(sizeof(compress_state)));
    s->variant = 0;
    s->n_bits = 9;
    s->maxcode = 511;
    s->free_ent = 256;
    s->hash_keys = static_cast<std::int32_t*>(getmem(sizeof(std::int32_t) * HASH_SLOTS));
    std::memset(s->hash_keys, 0xFF, sizeof(std::int32_t) * HASH_SLOTS);
    s->hash_codes = static_cast<std::uint16_t*>(getmem(sizeof(std::uint16_t) * HASH_SLOTS));
    *state = s;
    write_header(o, 0);
    s->ent = in[i++];
  }
  encode<HashTable>(s, o, in, i, len);
  return static_cast<int>(o.pos);
}

int compress_buffer_finish(unsigned char** out, compress_state** state) {
  if (!state || !*state) return 0;
  compress_state* s = *state;
  long written = 0;
  if (out && *out) {
    Out o{*out, 0, -1};
    s->group[s->group_count++] = s->ent;
    if (s->group_count == 8) write_group(s, o);
    if (s->group_count) {
      // The last group keeps only the bytes its codes use, unless a growth was due.
      long unused = s->widen_due ? 0 : (8 - s->group_count) * s->n_bits / 8;
      write_group(s, o);
      o.pos -= unused;
    }
    written = o.pos;
  }
  relmem(&s->direct_table);
  relmem(&s->probe_codes);
  relmem(&s->probe_keys);
  relmem(&s->hash_keys);
  relmem(&s->hash_codes);
  relmem(state);
  return static_cast<int>(written);
}

int get_compress_output_files() { return compress_output_files; }

int set_compress_output_files(int value) {
  int previous = compress_output_files;
  compress_output_files = value;
  return previous;
}

void lzw_compress_testing_reset() {
  compress_output_files = 0;
}

}  // namespace vek
