// Sets or unsets an environment variable for the life of the object and puts
// the old value back when it goes, whatever way the test ends.
#pragma once

#include <stdlib.h>

#include <optional>
#include <string>

namespace lirvo::test_support {

class ScopedEnv {
 public:
  // `value` nothing unsets the variable.
  ScopedEnv(std::string name, const std::optional<std::string>& value) : name_(std::move(name)) {
    if (const char* old = ::getenv(name_.c_str())) old_ = old;
    Set(value);
  }
  ~ScopedEnv() { Set(old_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void Set(const std::optional<std::string>& value) {
    if (value) {
      ::setenv(name_.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(name_.c_str());
    }
  }

  std::string name_;
  std::optional<std::string> old_;
};

}  // namespace lirvo::test_support
