// The expression parser and evaluator on arbitrary wide text. Most bytes pick a
// character the grammar knows (so that deep expressions are reached); a byte from 0xF0
// up takes the next two bytes as any 16-bit character. The parse gives 0, 11 or 92, a
// numeric result is finite, and the text comes back as typed, whatever the outcome,
// except that a '!' read as a negation reads '-'.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_input.h"
#include "runtime/expr/ctexp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const char alphabet[] = "0123456789.eE+-*/^(),!=<>~&|\" \t\\\nsincotaqrlgxpmfdhuIFT_$";
  FuzzInput in{data, size};
  std::u16string text;
  while (!in.done() && text.size() < 700) {
    int b = in.byte();
    if (b >= 0xF0)
      text += static_cast<char16_t>(in.byte() | in.byte() << 8);
    else
      text += static_cast<char16_t>(alphabet[b % (sizeof alphabet - 1)]);
  }
  std::u16string buffer = text;
  vek::CtexpValue result{};
  int status = vek::ctexp_parse_expr_static(buffer.data(), &result);
  if (status != 0 && status != 11 && status != 92) std::abort();
  if (status == 0 && result.type == vek::CTEXP_DOUBLE && !std::isfinite(result.v.d)) std::abort();
  for (std::size_t i = 0; i < text.size(); ++i) {
    bool negation = text[i] == u'!' && buffer[i] == u'-';
    if (buffer[i] != text[i] && !negation) std::abort();
  }
  buffer = text;
  double value = 0;
  vek::ct_wstoexp(buffer.data(), &value);
  if (!std::isfinite(value)) std::abort();
  return 0;
}
