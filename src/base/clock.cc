#include "base/clock.h"

#include <ctime>

namespace lirvo {

DateTime LocalTimeAt(int64_t utc_seconds) {
  const std::time_t t = static_cast<std::time_t>(utc_seconds);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &t);
#else
  localtime_r(&t, &local);
#endif
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

DateTime SystemClock::Now() const { return LocalTimeAt(std::time(nullptr)); }

}  // namespace lirvo
