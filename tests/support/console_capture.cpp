#include "tests/support/console_capture.h"

#include "runtime/diag/console_testing.h"

namespace yrltest {

ConsoleCapture::ConsoleCapture() { vek::console_testing_set_sink(&ConsoleCapture::sink, this); }

ConsoleCapture::~ConsoleCapture() { vek::console_testing_set_sink(nullptr, nullptr); }

void ConsoleCapture::sink(std::FILE* stream, const char* text, int length, void* context) {
  auto* self = static_cast<ConsoleCapture*>(context);
  (stream == stdout ? self->out_ : self->err_).append(text, static_cast<size_t>(length));
}

namespace {
void to_stderr(std::FILE*, const char* text, int length, void*) {
  std::fwrite(text, 1, static_cast<size_t>(length), stderr);
  std::fflush(stderr);
}
}  // namespace

void route_console_to_stderr() { vek::console_testing_set_sink(&to_stderr, nullptr); }

}  // namespace yrltest
