// A flag set for the lifetime of a guard, so that a view ignores the echo of
// its own change on every exit path.
#pragma once

namespace lirvo::qt {

class FlagGuard {
 public:
  explicit FlagGuard(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagGuard() { flag_ = false; }
  FlagGuard(const FlagGuard&) = delete;
  FlagGuard& operator=(const FlagGuard&) = delete;

 private:
  bool& flag_;
};

}  // namespace lirvo::qt
