// Local date and time. The plug-in asks a Clock, never the system, so tests
// and scripts can fix the time.
#pragma once

#include <cstdint>

#include "base/dates.h"

namespace lirvo {

// The machine's local date and time at a moment given in seconds since
// 1 January 1970 UTC (a file's modification time, the current time).
DateTime LocalTimeAt(int64_t utc_seconds);

class Clock {
 public:
  virtual ~Clock() = default;
  virtual DateTime Now() const = 0;
};

// The machine's local time.
class SystemClock final : public Clock {
 public:
  DateTime Now() const override;
};

// A clock that stands still until it is set or advanced.
class FixedClock final : public Clock {
 public:
  explicit FixedClock(DateTime now) : now_(now) {}
  DateTime Now() const override { return now_; }
  void Set(DateTime now) { now_ = now; }
  void Advance(int64_t seconds) { now_ = AddSeconds(now_, seconds); }

 private:
  DateTime now_;
};

}  // namespace lirvo
