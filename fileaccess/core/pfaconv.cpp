#include "fileaccess/core/pfaconv.h"

#include <cstring>

#include "fileaccess/core/pfa.h"
#include "runtime/diag/console.h"
#include "runtime/text/textbase.h"
#include "runtime/text/wide.h"

namespace vek {

namespace {

bool in_range(unsigned value, unsigned low, unsigned high) { return value >= low && value <= high; }

// One EUC character at text (remaining bytes before the terminator) as Shift_JIS into
// out. Returns the bytes written (1 or 2) and sets *used to the bytes taken; 0 when the
// character is cut short or has no Shift_JIS form: code set 3 (JIS X 0212) and bytes
// outside the EUC ranges, which would otherwise turn into an unrelated character.
int euc_char_to_sjis(const unsigned char* text, int remaining, char* out, int* used) {
  unsigned lead = text[0];
  *used = 1;
  if (lead < 0x80) {
    out[0] = static_cast<char>(lead);
    return 1;
  }
  if (remaining < 2) return 0;
  unsigned trail = text[1];
  *used = 2;
  if (lead == 0x8E) {  // code set 2: half-width katakana, one byte in Shift_JIS
    if (!in_range(trail, 0xA1, 0xDF)) return 0;
    out[0] = static_cast<char>(trail);
    return 1;
  }
  if (!in_range(lead, 0xA1, 0xFE) || !in_range(trail, 0xA1, 0xFE)) return 0;
  VynWchar jis = wc_euc2jis(static_cast<VynWchar>(lead << 8 | trail));
  int c1 = jis >> 8;
  int c2 = jis & 0xFF;
  jis2sjis(&c1, &c2);
  out[0] = static_cast<char>(c1);
  out[1] = static_cast<char>(c2);
  return 2;
}

// EUC text into Shift_JIS in out of size bytes, terminator included. 0, or 1 with out
// empty when a character cannot be converted or the result does not fit.
int euc_to_sjis(const char* text, int size, char* out) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  int remaining = static_cast<int>(std::strlen(text));
  int length = 0;
  while (remaining > 0) {
    char sjis[2];
    int used = 0;
    int n = euc_char_to_sjis(bytes, remaining, sjis, &used);
    if (n == 0 || length + n > size - 1) {
      out[0] = '\0';
      return 1;
    }
    std::memcpy(out + length, sjis, static_cast<std::size_t>(n));
    length += n;
    bytes += used;
    remaining -= used;
  }
  out[length] = '\0';
  return 0;
}

}  // namespace

int pfa_filename_converter(char* name, int read_converter, char* out, int write_converter) {
  if (!name || (read_converter && write_converter)) return PFA_E_INVALID_INPUT;
  int converter = read_converter ? read_converter : write_converter;
  if (converter != PFA_ENCODE_NONE && converter != PFA_ENCODE_SJIS) return PFA_E_INVALID_INPUT;
  char result[PFA_NAME_SIZE];
  int count = 0;
  int failed = read_converter    ? sjis_to_euc(name, PFA_NAME_SIZE, result, &count)
               : write_converter ? euc_to_sjis(name, PFA_NAME_SIZE, result)
                                 : copy_if_fits(name, PFA_NAME_SIZE, result);
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

}  // namespace vek
