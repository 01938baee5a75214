#include "runtime/text/textbase.h"

#include "runtime/memory/getmem.h"

namespace vek {

long read_bounded_number(const char** p, long limit) {
  long value = 0;
  while (is_ascii_digit(**p)) {
    value = value * 10 + (**p - '0');
    if (value > limit) value = limit + 1;
    ++*p;
  }
  return value;
}

bool text_reserve(TextBuffer* buffer, long need, long limit) {
  if (need > limit) return false;
  if (need <= buffer->size) return true;
  long size = buffer->size > 0 ? buffer->size : need;
  while (size < need) size *= 2;
  if (size > limit) size = limit;
  char* text;
  if (buffer->in_block) {
    text = static_cast<char*>(relocmem(buffer->text, static_cast<std::size_t>(size)));
  } else {
    text = static_cast<char*>(getmem(static_cast<std::size_t>(size)));
    if (buffer->length > 0) std::memcpy(text, buffer->text, static_cast<std::size_t>(buffer->length));
  }
  buffer->text = text;
  buffer->size = static_cast<int>(size);
  buffer->in_block = true;
  return true;
}

void text_release(TextBuffer* buffer) {
  if (buffer->in_block) relmem(&buffer->text);
  *buffer = TextBuffer{};
}

}  // namespace vek
