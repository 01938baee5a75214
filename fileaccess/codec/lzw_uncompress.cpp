#include "fileaccess/codec/lzw_uncompress.h"

#include <cstring>

#include "fileaccess/codec/lzw_groups.h"
#include "fileaccess/codec/lzw_testing.h"
#include "runtime/diag/diag.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"

namespace vek {

namespace {

constexpr int CODE_BUF_COUNT = 65536;
// The store keeps this much room past the string being copied.
constexpr long STORE_MARGIN = 65536;
constexpr long NO_LIMIT = -1;

// Bytes of slack kept past the output and read past a stored string, so that a short
// string (most are) is copied as one fixed block of this size.
constexpr long COPY_SLACK = 16;

// The spare string stores, reused last in, first out; never released.
unsigned char** static_uncomp_trans_bufs = nullptr;

// What one call works with: the caller's buffers and callbacks, and where it writes.
struct Call {
  unsigned char** out;
  long pos;
  UncompressSizeFunc size_func;
  UncompressReallocFunc realloc_func;
  void* data;
  unsigned char** table;
  unsigned char** store;
  long capacity;    // of *out, asked once a call and after each reallocation
  long store_size;  // of *store
};

Call make_call(unsigned char** out, UncompressSizeFunc size_func,
               UncompressReallocFunc realloc_func, void* data, unsigned char** table,
               unsigned char** store) {
  return Call{out, 0, size_func, realloc_func, data, table, store,
              *out ? size_func(*out, data) : 0, getmem_area_size(*store)};
}

void start_width(uncompress_state* s) {
  s->n_bits = 9;
  s->maxcode = 511;
  s->width_count = 255 + s->block_mode;
  s->at_width16 = s->max_bits == 9;
}

// Checks the completed header and sets the stream up. 0 for a header that is not a
// .Z stream's.
int start_stream(uncompress_state* s, unsigned char** table, unsigned char* store) {
  if (s->header[0] != 0x1F || s->header[1] != 0x9D) return 0;
  s->max_bits = s->header[2] & 0x1F;
  if (s->max_bits < 9 || s->max_bits > 16) return 0;
  s->block_mode = (s->header[2] & 0x80) ? 1 : 0;
  s->free_ent = 256 + s->block_mode;
  start_width(s);
  std::memset(table, 0, sizeof(unsigned char*) * UNCOMPRESS_STR_PTR_COUNT);
  for (int code = 0; code < 256; ++code) {
    s->str_len[code] = 1;
    store[code] = static_cast<unsigned char>(code);
    table[code] = store + code;
  }
  s->trans_pos = 256;
  s->last_fixed = 1;
  return 1;
}

// Takes one whole group: its useful codes go to code_buf. A growth of the width drops
// the group's filling codes; a CLEAR drops the rest of its group and restarts at 9
// bits. A CLEAR below the largest width breaks the stream: the codes before it stay and
// the batch ends there. 0 to go on, 1 when the batch must end.
int take_group(uncompress_state* s, const unsigned char* group) {
  std::uint16_t* codes = s->code_buf + s->code_count;
  lzw::unpack_group(s->n_bits, group, codes);
  int useful = 8;
  bool grow = false;
  if (!s->at_width16) {
    s->width_count += 8;
    if (s->width_count > s->maxcode) {
      useful = 8 - (s->width_count - s->maxcode - 1);
      grow = true;
    }
  }
  if (s->block_mode) {
    for (int k = 0; k < useful; ++k) {
      if (codes[k] != lzw::clear_code) continue;
      if (!s->at_width16) {
        s->code_count += k;
        s->bad_after_codes = 1;
        return 1;
      }
      s->code_count += k + 1;
      start_width(s);
      return 0;
    }
  }
  s->code_count += useful;
  if (grow) {
    s->width_count = s->maxcode + 1;
    ++s->n_bits;
    s->maxcode = (1 << s->n_bits) - 1;
    if (s->n_bits == s->max_bits) s->at_width16 = 1;
  }
  return 0;
}

// Room for n more output bytes.
void output_room(Call& c, long n) {
  long capacity = c.capacity;
  if (c.pos + n + COPY_SLACK < capacity - 1) return;
  double grown = (static_cast<double>(capacity) + 4) * 1.25;
  double wanted = 10.0 * static_cast<double>(n);
  long size = static_cast<long>((grown > wanted ? grown : wanted) + 1);
  if (size < c.pos + n + COPY_SLACK + 1) size = c.pos + n + COPY_SLACK + 1;
  *c.out = static_cast<unsigned char*>(c.realloc_func(*c.out, size, c.data));
  c.capacity = c.size_func(*c.out, c.data);
}

// Room in the store for a string of n bytes and its last byte at trans_pos, growing
// the store up to the cap. 0 when it does not fit.
int store_room(uncompress_state* s, Call& c, long n) {
  unsigned char* store = *c.store;
  long size = c.store_size;
  long need = s->trans_pos + n + 1;
  if (need + STORE_MARGIN > size && size < UNCOMPRESS_STORE_CAP) {
    long over = need + STORE_MARGIN - size;
    long grown = size + size / 2;
    if (grown < size + 2 * over) grown = size + 2 * over;
    grown += 1;
    if (grown > UNCOMPRESS_STORE_CAP) grown = UNCOMPRESS_STORE_CAP;
    auto* moved = static_cast<unsigned char*>(relocmem(store, static_cast<std::size_t>(grown)));
    if (moved != store) {
      for (int code = 0; code < s->free_ent && code < lzw::code_count; ++code) {
        if (c.table[code]) c.table[code] = moved + (c.table[code] - store);
      }
    }
    *c.store = moved;
    size = c.store_size = grown;
  }
  return need <= size;
}

// Copies n bytes; when n fits the slack and the source has it, a whole fixed block
// (the bytes past n at dst are not yet in use).
inline void copy_string(unsigned char* dst, const unsigned char* src, long n,
                        const unsigned char* src_end) {
  if (n <= COPY_SLACK && src + COPY_SLACK <= src_end)
    std::memcpy(dst, src, COPY_SLACK);
  else
    std::memcpy(dst, src, static_cast<std::size_t>(n));
}

// Writes the string of code at dst (len bytes, with the output's slack after them):
// from the store when it is there, else walked back through the prefix codes to a
// stored string.
void put_string(uncompress_state* s, const Call& c, unsigned code, unsigned char* dst, long len) {
  unsigned char** table = c.table;
  const unsigned char* store_end = *c.store + c.store_size;
  if (table[code]) {
    copy_string(dst, table[code], len, store_end);
    return;
  }
  unsigned char* p = dst + len;
  while (!table[code]) {
    *--p = s->suffix[code];
    code = s->prefix[code];
  }
  std::memcpy(dst, table[code], static_cast<std::size_t>(p - dst));
}

void clear_table(uncompress_state* s, unsigned char** table) {
  s->free_ent = 257;
  s->trans_pos = 256;
  s->last_fixed = 1;
  std::memset(table + 256, 0, sizeof(unsigned char*) * (UNCOMPRESS_STR_PTR_COUNT - 256));
}

// Decodes one code. 0, or -1 for a code that is not defined.
int decode_code(uncompress_state* s, Call& c, unsigned code) {
  unsigned char** table = c.table;
  if (s->block_mode && code == lzw::clear_code) {
    clear_table(s, table);
    return 0;
  }
  if (code >= 256 && static_cast<int>(code) >= s->free_ent) return -1;
  long len = s->str_len[code];
  unsigned char first = code < 256 ? static_cast<unsigned char>(code) : s->first[code];
  // The newest entry is its prefix's string and this string's first byte.
  if (!s->last_fixed) {
    unsigned newest = static_cast<unsigned>(s->free_ent - 1);
    s->suffix[newest] = first;
    if (table[newest]) table[newest][s->str_len[newest] - 1] = first;
    s->last_fixed = 1;
  }
  output_room(c, len);
  unsigned char* dst = *c.out + c.pos;
  put_string(s, c, code, dst, len);
  if (s->free_ent < (1 << s->max_bits)) {
    unsigned entry = static_cast<unsigned>(s->free_ent++);
    s->prefix[entry] = static_cast<std::uint16_t>(code);
    s->first[entry] = first;
    s->suffix[entry] = first;
    s->str_len[entry] = static_cast<std::uint16_t>(len + 1);
    s->last_fixed = 0;
    // The strings overlap in the store: the new entry's last byte is where the next
    // string begins, and the next code writes it.
    if (store_room(s, c, len)) {
      unsigned char* at = *c.store + s->trans_pos;
      if (s->trans_pos + COPY_SLACK <= c.store_size)
        copy_string(at, dst, len, dst + COPY_SLACK);
      else
        std::memcpy(at, dst, static_cast<std::size_t>(len));
      at[len] = first;
      table[entry] = at;
      s->trans_pos += len;
    } else {
      table[entry] = nullptr;
    }
  }
  c.pos += len;
  return 0;
}

// Decodes the kept codes. 0 when all are done, 1 when the output limit stopped it,
// -1 for a broken stream.
int decode_kept(uncompress_state* s, Call& c, long limit) {
  while (s->code_pos < s->code_count) {
    if (limit != NO_LIMIT && c.pos >= limit) return 1;
    if (decode_code(s, c, s->code_buf[s->code_pos++]) < 0) return -1;
  }
  if (s->bad_after_codes) return -1;
  return 0;
}

void drop_kept(uncompress_state* s) {
  s->code_pos = s->code_count = 0;
  s->pend_count = 0;
  s->held_len = s->held_pos = 0;
}

int report_broken(uncompress_state* s) {
  s->healthy = 0;
  drop_kept(s);
  dbg_err_crash("uncompress_buffer", "bad things happened");
  return -1;
}

// Appends n bytes to the kept input.
void hold(uncompress_state* s, const unsigned char* in, long n) {
  if (n <= 0) return;
  if (s->held_pos > 0) {
    std::memmove(s->held, s->held + s->held_pos, static_cast<std::size_t>(s->held_len - s->held_pos));
    s->held_len -= s->held_pos;
    s->held_pos = 0;
  }
  long size = s->held ? getmem_area_size(s->held) : 0;
  if (s->held_len + n > size) {
    s->held = static_cast<unsigned char*>(
        s->held ? relocmem(s->held, static_cast<std::size_t>(s->held_len + n))
                : getmem(static_cast<std::size_t>(n)));
  }
  std::memcpy(s->held + s->held_len, in, static_cast<std::size_t>(n));
  s->held_len += n;
}

// Decodes the kept codes and then the input (kept input first), stopping at the
// output limit; what is left of the input is kept. 0, 1 at the limit, -1 when broken.
int run(uncompress_state* s, Call& c, const unsigned char* in, long len, long limit) {
  if (s->held_pos < s->held_len && len > 0) {
    hold(s, in, len);
    len = 0;
  }
  for (;;) {
    int r = decode_kept(s, c, limit);
    if (r != 0) {
      if (r > 0 && len > 0) hold(s, in, len);
      return r;
    }
    if (s->held_pos < s->held_len) {
      const unsigned char* p = s->held + s->held_pos;
      long rest = s->held_len - s->held_pos;
      get_some_codes(s, &p, &rest);
      s->held_pos = s->held_len - rest;
      if (s->held_pos == s->held_len) s->held_pos = s->held_len = 0;
    } else if (len > 0) {
      get_some_codes(s, &in, &len);
    } else {
      return 0;
    }
  }
}

// The codes of the kept partial group: those its whole bytes hold, up to where the
// width would grow.
void take_partial_group(uncompress_state* s) {
  if (s->pend_count == 0) return;
  int count = s->pend_count * 8 / s->n_bits;
  if (!s->at_width16 && count > s->maxcode + 1 - s->width_count)
    count = s->maxcode + 1 - s->width_count;
  std::memset(s->pend_buf + s->pend_count, 0, sizeof s->pend_buf - static_cast<std::size_t>(s->pend_count));
  std::uint16_t codes[8];
  lzw::unpack_group(s->n_bits, s->pend_buf, codes);
  s->pend_count = 0;
  s->code_pos = s->code_count = 0;
  for (int k = 0; k < count; ++k) {
    if (s->block_mode && codes[k] == lzw::clear_code) {
      if (!s->at_width16) s->bad_after_codes = 1;
      else s->code_buf[s->code_count++] = codes[k];
      return;
    }
    s->code_buf[s->code_count++] = codes[k];
  }
}

void release_state(uncompress_state** state, unsigned char** trans_buf) {
  uncompress_state* s = *state;
  relmem(&s->code_buf);
  relmem(&s->str_len);
  relmem(&s->prefix);
  relmem(&s->suffix);
  relmem(&s->first);
  relmem(&s->held);
  relmem(state);
  if (trans_buf) uncompress_trans_buf_free(trans_buf);
}

}  // namespace

int get_some_codes(uncompress_state* s, const unsigned char** in, long* len) {
  if (!s || !in || !len) return 0;
  s->code_pos = s->code_count = 0;
  const unsigned char* p = *in;
  long rest = *len;
  while (s->code_count + 8 <= CODE_BUF_COUNT && !s->bad_after_codes) {
    int n = s->n_bits;
    const unsigned char* group;
    if (s->pend_count > 0) {
      long take = n - s->pend_count;
      if (take > rest) take = rest;
      std::memcpy(s->pend_buf + s->pend_count, p, static_cast<std::size_t>(take));
      s->pend_count += static_cast<int>(take);
      p += take;
      rest -= take;
      if (s->pend_count < n) break;
      s->pend_count = 0;
      group = s->pend_buf;
    } else if (rest >= n) {
      group = p;
      p += n;
      rest -= n;
    } else {
      std::memcpy(s->pend_buf, p, static_cast<std::size_t>(rest));
      s->pend_count = static_cast<int>(rest);
      p += rest;
      rest = 0;
      break;
    }
    if (take_group(s, group)) break;
  }
  *in = p;
  *len = rest;
  return s->code_count;
}

int uncompress_buffer(const unsigned char* in, int len, unsigned char** out,
                      uncompress_state** state, unsigned char*** str_ptr,
                      unsigned char** trans_buf, UncompressSizeFunc size_func,
                      UncompressReallocFunc realloc_func, void* data) {
  if (!state || !out || !size_func || !realloc_func) return -1;
  if (!in || len < 0) len = 0;
  uncompress_state* s = *state;
  if (!s) {
    if (!str_ptr || !*str_ptr || !trans_buf) {
      dbg_err_crash("uncompress_buffer", "Invalid args");
      return -1;
    }
    if (len == 0) return 0;
    s = static_cast<uncompress_state*>(getmem(sizeof(uncompress_state)));
    if (!*trans_buf) uncompress_trans_buf_alloc(trans_buf);
    // A caller's store smaller than a new one is grown to that size first.
    if (getmem_area_size(*trans_buf) < UNCOMPRESS_TRANS_BUF_SIZE)
      *trans_buf = static_cast<unsigned char*>(
          relocmem(*trans_buf, static_cast<std::size_t>(UNCOMPRESS_TRANS_BUF_SIZE)));
    s->code_buf = static_cast<std::uint16_t*>(getmem(sizeof(std::uint16_t) * CODE_BUF_COUNT));
    s->str_len = static_cast<std::uint16_t*>(getmem(sizeof(std::uint16_t) * lzw::code_count));
    s->prefix = static_cast<std::uint16_t*>(getmem(sizeof(std::uint16_t) * lzw::code_count));
    s->suffix = static_cast<unsigned char*>(getmem(lzw::code_count));
    s->first = static_cast<unsigned char*>(getmem(lzw::code_count));
    s->healthy = 1;
    *state = s;
  }
  if (!s->healthy) return report_broken(s);
  if (!str_ptr || !*str_ptr || !trans_buf || !*trans_buf) return -1;
  while (s->header_count < 3 && len > 0) {
    s->header[s->header_count++] = *in++;
    --len;
    if (s->header_count == 3 && !start_stream(s, *str_ptr, *trans_buf)) return report_broken(s);
  }
  if (s->header_count < 3) return 0;
  Call c = make_call(out, size_func, realloc_func, data, *str_ptr, trans_buf);
  if (run(s, c, in, len, UNCOMPRESS_CALL_OUTPUT) < 0) {
    // The bytes before the fault are handed out; the next call reports the fault.
    s->healthy = 0;
    drop_kept(s);
    if (c.pos == 0) return report_broken(s);
  }
  return static_cast<int>(c.pos);
}

int uncompress_buffer_finish(unsigned char** out, uncompress_state** state,
                             unsigned char*** str_ptr, unsigned char** trans_buf,
                             UncompressSizeFunc size_func, UncompressReallocFunc realloc_func,
                             void* data) {
  if (!state || !*state) return 0;
  uncompress_state* s = *state;
  int result;
  if (!s->healthy || s->header_count < 3 || !out || !size_func || !realloc_func || !str_ptr ||
      !*str_ptr || !trans_buf || !*trans_buf) {
    result = report_broken(s);
  } else {
    Call c = make_call(out, size_func, realloc_func, data, *str_ptr, trans_buf);
    s->flushing = 1;
    int r = run(s, c, nullptr, 0, NO_LIMIT);
    if (r == 0) {
      take_partial_group(s);
      r = decode_kept(s, c, NO_LIMIT);
    }
    s->flushing = 0;
    result = r < 0 ? report_broken(s) : static_cast<int>(c.pos);
  }
  release_state(state, trans_buf);
  return result;
}

int uncompress_trans_buf_alloc(unsigned char** trans_buf) {
  if (!trans_buf) return 1;
  int spares = xar_count(&static_uncomp_trans_bufs);
  if (spares > 0) {
    *trans_buf = static_uncomp_trans_bufs[spares - 1];
    xar_shrink(&static_uncomp_trans_bufs, 1);
  } else {
    *trans_buf = static_cast<unsigned char*>(getmem(UNCOMPRESS_TRANS_BUF_SIZE));
  }
  return 1;
}

int uncompress_trans_buf_free(unsigned char** trans_buf) {
  if (!trans_buf || !*trans_buf) return 1;
  if (!static_uncomp_trans_bufs)
    static_uncomp_trans_bufs =
        static_cast<unsigned char**>(xar_alloc(0, sizeof(unsigned char*), 4));
  xar_append(&static_uncomp_trans_bufs, 1, trans_buf);
  *trans_buf = nullptr;
  return 1;
}

int uncompress_trans_buf_spares() { return xar_count(&static_uncomp_trans_bufs); }

long uncompress_buffer_size(void* buffer, void*) { return buffer ? getmem_area_size(buffer) : 0; }

void* uncompress_realloc_buffer(void* buffer, long size, void*) {
  if (size < 1) size = 1;
  if (!buffer) return getmem(static_cast<std::size_t>(size));
  return relocmem(buffer, static_cast<std::size_t>(size));
}

int uncompress_buffer_free(unsigned char** buffer) {
  if (buffer) relmem(buffer);
  return 0;
}

void lzw_uncompress_testing_reset() {
  // The stores are memory blocks, which the memory reset releases.
  static_uncomp_trans_bufs = nullptr;
}

}  // namespace vek
