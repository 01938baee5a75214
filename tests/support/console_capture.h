// Captures the run-time library's console output for the length of a scope.
#pragma once

#include <cstdio>
#include <string>

namespace yrltest {

class ConsoleCapture {
 public:
  ConsoleCapture();
  ~ConsoleCapture();
  ConsoleCapture(const ConsoleCapture&) = delete;
  ConsoleCapture& operator=(const ConsoleCapture&) = delete;

  // Everything meant for standard output / for any other stream, in order.
  const std::string& out() const { return out_; }
  const std::string& err() const { return err_; }
  void clear() { out_.clear(); err_.clear(); }

 private:
  static void sink(std::FILE* stream, const char* text, int length, void* context);
  std::string out_;
  std::string err_;
};

// Sends all console output to standard error, where death-test matchers read it.
void route_console_to_stderr();

}  // namespace yrltest
