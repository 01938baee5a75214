// A program run as a second process with its standard input and output as pipes: the
// test reads its lines and tells it, by a line, how to end. Killed at the end of the
// scope when it still runs.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace yrltest {

class PipedChild {
 public:
  explicit PipedChild(const std::vector<std::string>& argv) {
    int in[2];
    int out[2];
    if (argv.empty() || pipe(in) != 0 || pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      close(in[1]);
      close(out[0]);
      std::vector<char*> args;
      for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
      args.push_back(nullptr);
      execv(args[0], args.data());
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    to_ = in[1];
    from_ = out[0];
  }
  ~PipedChild() {
    if (to_ >= 0) close(to_);
    if (from_ >= 0) close(from_);
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  PipedChild(const PipedChild&) = delete;
  PipedChild& operator=(const PipedChild&) = delete;

  // The child's next line, without its line feed.
  std::string line() {
    std::string text;
    char c = 0;
    while (read(from_, &c, 1) == 1 && c != '\n') text += c;
    return text;
  }
  // Writes how and a line feed, waits for the child: its exit code, -1 when it did not
  // exit.
  int end(const char* how) {
    std::string text = std::string(how) + "\n";
    if (write(to_, text.data(), text.size()) < 0) return -1;
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int to_ = -1;
  int from_ = -1;
};

}  // namespace yrltest
