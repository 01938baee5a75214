// Bounded waits for tests: a regression that stops a thread must fail its test, not hang
// the suite.
#pragma once

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <thread>
#include <utility>

namespace yrltest {

// Generous, for a loaded machine: what is waited for takes milliseconds when it works.
constexpr std::chrono::milliseconds kBound{10000};

// Looks at done() until it holds or limit has passed (real time): whether it held.
template <typename Done>
bool wait_until(Done done, std::chrono::milliseconds limit = kBound) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  for (unsigned spins = 0;; ++spins) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    if (spins < 1000)
      std::this_thread::yield();
    else
      std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}

// Runs work() on a thread of its own and waits for it at most limit. When it does not
// come back, the thread is stuck for good (a lock held by a thread that ended, say), and
// whatever the test does next would hang on it too: the test program ends at once with
// exit code 1 after printing what did not finish. Otherwise work's result comes back.
template <typename Work>
auto finishes_within(const char* what, Work work, std::chrono::milliseconds limit = kBound) {
  std::packaged_task<decltype(work())()> task(std::move(work));
  auto result = task.get_future();
  std::thread runner(std::move(task));
  if (result.wait_for(limit) != std::future_status::ready) {
    std::fprintf(stderr, "FAILED: %s did not finish within %lld ms\n", what,
                 static_cast<long long>(limit.count()));
    std::fflush(nullptr);
    _exit(1);
  }
  runner.join();
  return result.get();
}

}  // namespace yrltest
