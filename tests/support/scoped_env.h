// Environment variables changed for the length of a scope and put back at its end.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace yrltest {

class ScopedEnv {
 public:
  ScopedEnv() = default;
  // Sets one variable; a null value unsets it.
  ScopedEnv(const char* name, const char* value) { set(name, value); }
  ~ScopedEnv() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second) {
        setenv(it->first.c_str(), it->second->c_str(), 1);
      } else {
        unsetenv(it->first.c_str());
      }
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

  // Sets (null: unsets) a variable. The value it had before its first change in this
  // scope is the one put back, whether later changes go through here or setenv.
  void set(const char* name, const char* value) {
    bool known = false;
    for (const auto& entry : saved_) known = known || entry.first == name;
    if (!known) {
      const char* old = std::getenv(name);
      saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    }
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace yrltest
