#include "fileaccess/codec/lzw_compress.h"

#include <cstring>

#include "fileaccess/codec/lzw_groups.h"
#include "fileaccess/codec/lzw_testing.h"
#include "runtime/algo/sort.h"
#include "runtime/memory/getmem.h"

namespace vek {

namespace {

// First calls of at least this many bytes take the direct tables.
constexpr int DIRECT_MIN_INPUT = 128000;
// A pending reset is acted on only by a call longer than this.
constexpr int RESET_MIN_INPUT = 64000;
constexpr int DIRECT_RANKS = 32;
constexpr int PROBE_SLOTS = 131072;
constexpr int HASH_SLOTS = 69001;
// The byte order of mode 0: position 0 is skipped, positions 1 to 31 are the ranks
// (the blank stands twice, so it ends with rank 30).
constexpr char FIXED_ORDER[] = " 0123456789ABCDEF,$[]->R*NUL_@ \n";
static_assert(sizeof FIXED_ORDER == DIRECT_RANKS + 1);

// The frequency ranking's process-wide tables.
int hits[256];
unsigned char charbuf[256];

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

// The lookup of (ent, c) in the direct tables: *slot is where the code is or goes.
struct DirectTable {
  compress_state* s;
  std::uint16_t* slot = nullptr;
  std::uint32_t key = 0;
  unsigned index = 0;
  bool probed = false;
  unsigned find(unsigned ent, unsigned c) {
    unsigned rank = s->rank_map[c];
    probed = rank == 0;
    if (!probed) {
      slot = &s->direct_table[ent * DIRECT_RANKS + rank];
      return *slot;
    }
    key = ent * 256 + c;
    unsigned i = (key * 2654435761u >> 15) & (PROBE_SLOTS - 1);
    while (s->probe_codes[i] && s->probe_keys[i] != key) i = (i + 1) & (PROBE_SLOTS - 1);
    index = i;
    slot = &s->probe_codes[i];
    return *slot;
  }
  void store(unsigned code) {
    *slot = static_cast<std::uint16_t>(code);
    if (probed) s->probe_keys[index] = key;
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

// Makes or clears the direct-table state; block and ranking chosen by the caller.
void init_direct(compress_state** state, const unsigned char* in, int len, bool block,
                 bool by_frequency) {
  compress_state* s = *state;
  if (!s) {
    s = static_cast<compress_state*>(getmem(sizeof(compress_state)));
    s->direct_table = static_cast<std::uint16_t*>(
        getmem(sizeof(std::uint16_t) * lzw::code_count * DIRECT_RANKS));
    s->probe_codes = static_cast<std::uint16_t*>(getmem(sizeof(std::uint16_t) * PROBE_SLOTS));
    s->probe_keys = static_cast<std::uint32_t*>(getmem(sizeof(std::uint32_t) * PROBE_SLOTS));
    *state = s;
  } else {
    std::memset(s->direct_table, 0, sizeof(std::uint16_t) * lzw::code_count * DIRECT_RANKS);
    std::memset(s->probe_codes, 0, sizeof(std::uint16_t) * PROBE_SLOTS);
    std::memset(s->probe_keys, 0, sizeof(std::uint32_t) * PROBE_SLOTS);
    std::memset(s->rank_map, 0, sizeof s->rank_map);
  }
  s->variant = 1;
  s->n_bits = 9;
  s->maxcode = 511;
  s->free_ent = 256;
  s->group_pos16 = 0;
  s->best_ratio = 0;
  s->widen_due = 0;
  s->group_count = 0;
  s->block_mode = block ? 1 : 0;
  if (block) s->free_ent = 257;
  const unsigned char* order = by_frequency
                                   ? common_chars(in, len)
                                   : reinterpret_cast<const unsigned char*>(FIXED_ORDER);
  for (int position = 1; position < DIRECT_RANKS; ++position)
    s->rank_map[order[position]] = static_cast<unsigned char>(position);
}

}  // namespace

const unsigned char* common_chars(const unsigned char* in, int len) {
  std::memset(hits, 0, sizeof hits);
  for (int i = 0; in && i < len; ++i) ++hits[in[i]];
  for (int i = 0; i < 256; ++i) charbuf[i] = static_cast<unsigned char>(i);
  sort_objects(256, compare_input_chars, charbuf, 1);
  return charbuf;
}

int compare_input_chars(const void* a, const void* b) {
  int count_a = hits[*static_cast<const unsigned char*>(a)];
  int count_b = hits[*static_cast<const unsigned char*>(b)];
  return count_a > count_b ? -1 : count_a < count_b ? 1 : 0;
}

void compress_buffer_init(compress_state** state, const unsigned char* in, int len, int mode) {
  if (!state) return;
  init_direct(state, in, len, mode == 2, mode == 1 || mode == 2);
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
  if (mode < 0 || mode > 2) mode = 0;
  Out o{*out, 0, -1};
  int i = 0;
  if (!s) {
    compress_buffer_init(state, in, len, mode);
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
      init_direct(state, in, len, true, mode != 0);
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
  std::memset(hits, 0, sizeof hits);
}

}  // namespace vek
