// A real limit on the size of the files the process writes, for the length of a scope:
// a write past it fails with EFBIG (the signal it would raise is ignored meanwhile), as
// on a file system that takes no more.
#pragma once

#include <signal.h>
#include <sys/resource.h>

#include <stdexcept>

namespace yrltest {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    if (getrlimit(RLIMIT_FSIZE, &before_) != 0) throw std::runtime_error("getrlimit");
    previous_ = signal(SIGXFSZ, SIG_IGN);
    rlimit limited = before_;
    limited.rlim_cur = bytes;
    if (setrlimit(RLIMIT_FSIZE, &limited) != 0) {
      signal(SIGXFSZ, previous_);
      throw std::runtime_error("setrlimit");
    }
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &before_);
    signal(SIGXFSZ, previous_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit before_;
  sighandler_t previous_;
};

}  // namespace yrltest
