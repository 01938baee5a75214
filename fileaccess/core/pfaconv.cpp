#include "fileaccess/core/pfaconv.h"

#include <cctype>
#include <cstring>
#include <initializer_list>

#include "fileaccess/core/pfa.h"
#include "fileaccess/core/pfacomp.h"
#include "fileaccess/core/pfafile.h"
#include "runtime/diag/console.h"
#include "runtime/text/textbase.h"
#include "runtime/text/wide.h"

namespace vek {

namespace {

bool in_range(unsigned value, unsigned low, unsigned high) { return value >= low && value <= high; }

bool is_sjis_lead(unsigned byte) { return in_range(byte, 0x81, 0x9F) || in_range(byte, 0xE0, 0xEF); }

// One character of the file encoding at raw (left bytes) as EUC into euc. Returns the
// EUC bytes (1 to 3) and sets *used to the raw bytes taken; 0 when the character is
// cut short or has no EUC form.
int file_char_to_euc(int converter, const unsigned char* raw, int left, unsigned char* euc,
                     int* used) {
  unsigned lead = raw[0];
  *used = 1;
  if (lead < 0x80) {
    euc[0] = static_cast<unsigned char>(lead);
    return 1;
  }
  if (converter == PFA_ENCODE_SJIS) {
    if (in_range(lead, 0xA1, 0xDF)) {  // half-width katakana: code set 2
      euc[0] = 0x8E;
      euc[1] = static_cast<unsigned char>(lead);
      return 2;
    }
    if (!is_sjis_lead(lead) || left < 2) return 0;
    unsigned trail = raw[1];
    if (!in_range(trail, 0x40, 0xFC) || trail == 0x7F) return 0;
    int c1 = static_cast<int>(lead);
    int c2 = static_cast<int>(trail);
    sjis2jis(&c1, &c2);
    VynWchar code = wc_jis2euc(static_cast<VynWchar>(c1 << 8 | c2));
    *used = 2;
    euc[0] = static_cast<unsigned char>(code >> 8);
    euc[1] = static_cast<unsigned char>(code & 0xFF);
    return 2;
  }
  // EUC, and JIS stored by the EUC lead bytes: taken whole, bit 7 set on every byte.
  int length = euc_char_length(static_cast<unsigned char>(lead));
  if (left < length) return 0;
  for (int i = 0; i < length; ++i) {
    if (raw[i] < 0x80 && converter == PFA_ENCODE_EUC) return 0;
    euc[i] = static_cast<unsigned char>(raw[i] | 0x80);
  }
  *used = length;
  return length;
}

// One EUC character at text (remaining bytes) in the encoding named by converter into
// out. Returns the bytes written (1 or 2, 3 for code set 3 kept as EUC) and sets *used
// to the bytes taken; 0 when the character is cut short or has no form there: code set
// 3 (JIS X 0212) has none in Shift_JIS, and bytes outside the EUC ranges would turn
// into an unrelated character.
int euc_char_to_file(int converter, const unsigned char* text, int remaining, char* out,
                     int* used) {
  unsigned lead = text[0];
  *used = 1;
  if (lead < 0x80) {
    out[0] = static_cast<char>(lead);
    return 1;
  }
  int length = euc_char_length(static_cast<unsigned char>(lead));
  if (remaining < length) return 0;
  for (int i = 1; i < length; ++i)
    if (text[i] < 0xA1 || text[i] == 0xFF) return 0;
  *used = length;
  if (converter == PFA_ENCODE_EUC) {
    std::memcpy(out, text, static_cast<std::size_t>(length));
    return length;
  }
  if (lead == 0x8F) return 0;
  unsigned trail = text[1];
  if (lead == 0x8E) {  // half-width katakana
    if (trail > 0xDF) return 0;
    if (converter == PFA_ENCODE_SJIS) {
      out[0] = static_cast<char>(trail);
      return 1;
    }
  } else if (lead < 0xA1 || lead == 0xFF) {
    return 0;
  }
  VynWchar jis = wc_euc2jis(static_cast<VynWchar>(lead << 8 | trail));
  int c1 = jis >> 8;
  int c2 = jis & 0xFF;
  if (converter == PFA_ENCODE_SJIS) jis2sjis(&c1, &c2);
  if (c1 == 0) {
    out[0] = static_cast<char>(c2);
    return 1;
  }
  out[0] = static_cast<char>(c1);
  out[1] = static_cast<char>(c2);
  return 2;
}

bool known_converter(int converter) {
  return converter >= PFA_ENCODE_NONE && converter <= PFA_ENCODE_SJIS;
}

// Opens the handle's file with mode; when that fails, once more with its base name and
// extension in lower case.
int open_with_lower_case_retry(VynFile* file, int rule, const char* mode) {
  int result = pfa_fopen(file, rule, mode);
  if (result == PFA_E_NO_ERROR) return result;
  for (int part : {PFA_COMP_BASE_NAME, PFA_COMP_EXTENSION})
    for (int i = file->component[part][0]; i < file->component[part][1] && i < 260; ++i)
      file->text[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(file->text[i])));
  return pfa_fopen(file, rule, mode);
}

// Copies source into target line by line until the source ends: 0 at a clean end,
// else the failing read's or write's code.
int copy_lines(VynFile* source, VynFile* target) {
  char line[1025];
  for (;;) {
    int count = 0;
    int result = pfa_fgets(source, sizeof line, &count, line);
    if (result == PFA_E_QUIT) return PFA_E_NO_ERROR;
    if (result != PFA_E_NO_ERROR) return result;
    if (count == 0) return PFA_E_NO_ERROR;
    // A line may hold a 0 byte: write the bytes read, not the text up to it.
    if (int written = pfa_write_file(target, count, line)) return written;
  }
}

}  // namespace

int pfa_read_convertor(int converter, int room, int raw_count, int* produced, char* dest,
                       int stop, int* stop_flag, const char* raw) {
  *produced = 0;
  if (stop_flag) *stop_flag = 0;
  if (!known_converter(converter) || raw_count <= 0 || room <= 0) return 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(raw);
  int consumed = 0;
  while (consumed < raw_count && *produced < room) {
    unsigned char euc[3];
    int used = 1;
    int length = 1;
    if (converter == PFA_ENCODE_NONE)
      euc[0] = bytes[consumed];
    else
      length = file_char_to_euc(converter, bytes + consumed, raw_count - consumed, euc, &used);
    if (length == 0 || *produced + length > room) break;
    std::memcpy(dest + *produced, euc, static_cast<std::size_t>(length));
    *produced += length;
    consumed += used;
    if (length == 1 && stop >= 0 && euc[0] == static_cast<unsigned char>(stop)) {
      if (stop_flag) *stop_flag = 1;
      break;
    }
  }
  return consumed;
}

int pfa_write_convertor(int converter, int* remaining, const char** source, char* chunk) {
  int written = 0;
  if (converter == PFA_ENCODE_NONE) {
    written = *remaining < PFA_CHUNK_SIZE ? *remaining : PFA_CHUNK_SIZE;
    if (written > 0) std::memcpy(chunk, *source, static_cast<std::size_t>(written));
    if (written < 0) written = 0;
    *source += written;
    *remaining -= written;
  } else if (known_converter(converter)) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(*source);
    while (*remaining > 0) {
      char out[3];
      int used = 0;
      int n = euc_char_to_file(converter, bytes, *remaining, out, &used);
      if (n == 0 || written + n > PFA_CHUNK_SIZE) break;
      std::memcpy(chunk + written, out, static_cast<std::size_t>(n));
      written += n;
      bytes += used;
      *remaining -= used;
    }
    *source = reinterpret_cast<const char*>(bytes);
  }
  chunk[written] = '\0';
  return written;
}

int pfa_filename_converter(char* name, int read_converter, char* out, int write_converter) {
  if (!name || (read_converter && write_converter)) return PFA_E_INVALID_INPUT;
  int converter = read_converter ? read_converter : write_converter;
  if (!known_converter(converter)) return PFA_E_INVALID_INPUT;
  char result[PFA_NAME_SIZE];
  int failed = 0;
  int length = static_cast<int>(std::strlen(name));
  if (read_converter) {
    int produced = 0;
    int consumed = pfa_read_convertor(read_converter, PFA_NAME_SIZE - 1, length, &produced,
                                      result, -1, nullptr, name);
    result[produced] = '\0';
    failed = consumed < length;
  } else if (write_converter) {
    // A name converts in one chunk; one that is longer than a name buffer never fits.
    char chunk[PFA_CHUNK_SIZE + 1];
    const char* source = name;
    int left = length;
    int produced = pfa_write_convertor(write_converter, &left, &source, chunk);
    failed = left > 0 || produced > PFA_NAME_SIZE - 1;
    if (!failed) std::memcpy(result, chunk, static_cast<std::size_t>(produced) + 1);
  } else {
    failed = copy_if_fits(name, PFA_NAME_SIZE, result);
  }
  char* target = out ? out : name;
  if (failed) {
    target[0] = '\0';
    return PFA_E_ERROR;
  }
  // Over the name itself, the caller's buffer may hold no more than the name: a longer
  // result (half-width katakana take two EUC bytes) is refused and the name left alone.
  if (!out && std::strlen(result) > std::strlen(name)) return PFA_E_ERROR;
  if (std::strcmp(result, name) != 0)
    ivek_printf("pfa_filename_converter: change made\n   %s\n   %s\n", name, result);
  std::memcpy(target, result, std::strlen(result) + 1);
  return PFA_E_NO_ERROR;
}

int convert_jp_file(const VynWchar* name, int version, int direction) {
  VynFile* source = name ? pfa_alloc_wfile(name) : nullptr;
  if (!source) return PFA_E_NOT_VALID;
  if (version > 0) pfa_put_version(source, version);
  int rule = version != 0 ? PFA_RULE_AS_NAMED : PFA_RULE_HIGHEST;
  int result = open_with_lower_case_retry(source, rule, "r");
  if (result != PFA_E_NO_ERROR) {
    pfa_free_vyn_file(&source);
    return result;
  }
  // The temporary file stands beside the source: parsed from the same name, then renamed.
  VynFile* temp = pfa_alloc_wfile(name);
  result = temp ? pfa_make_temp_file(temp, PFA_TYPE_UNKNOWN) : PFA_E_NOT_VALID;
  if (result == PFA_E_NO_ERROR) result = open_with_lower_case_retry(temp, PFA_RULE_AS_NAMED, "w");
  bool temp_made = result == PFA_E_NO_ERROR;
  if (temp_made) {
    // EUC is read through its own converter so that a line cut by the buffer never
    // ends inside a character.
    pfa_put_encode(source, direction == 1 ? PFA_ENCODE_EUC : PFA_ENCODE_SJIS);
    pfa_put_encode(temp, direction == 1 ? PFA_ENCODE_SJIS : PFA_ENCODE_NONE);
    result = copy_lines(source, temp);
  }
  int closed = pfa_close(source);
  if (result == PFA_E_NO_ERROR) result = closed;
  if (temp_made) {
    closed = pfa_close(temp);
    if (result == PFA_E_NO_ERROR) result = closed;
    // Only a complete copy replaces the source; anything less is thrown away.
    if (result == PFA_E_NO_ERROR) result = pfa_move_file(temp, source);
    if (result != PFA_E_NO_ERROR) pfa_delete_file(temp, 0);
  }
  if (temp) pfa_free_vyn_file(&temp);
  pfa_free_vyn_file(&source);
  return result;
}

}  // namespace vek
