// Traps: the routines that trap every error (the event entry, the
// configuration, the file routines, the XML object, the parser...) keep
// going after an exception, but each one they catch is reported here first,
// so none disappears unseen. Who runs the plug-in decides what a report
// becomes: `lirvo run` prints a transcript object, `lirvo` a line on
// standard error, the tests fail on anything but the runtime's own error.
#pragma once

#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace lirvo {

// One trapped exception.
struct Trap {
  std::string where;           // the routine that trapped it, "clsConfig.Init"
  int number = 0;              // its runtime error number (7 out of memory, 51 anything else)
  std::string description;     // its Italian description
  bool runtime_error = false;  // true for a RuntimeError, the runtime's own error
};

// Receives every trap. It must not throw.
using TrapSink = std::function<void(const Trap&)>;

// Installs `sink` for the whole process and gives back the one it replaces.
// An empty sink restores the default, which writes one line on standard
// error.
TrapSink SetTrapSink(TrapSink sink);

// Reports `error`, trapped by `where`, to the sink. Call it in the catch
// block that traps the error.
void ReportTrap(std::string_view where,
                std::exception_ptr error = std::current_exception()) noexcept;

// Installs a sink for the life of the object and puts the previous one back.
class ScopedTrapSink {
 public:
  explicit ScopedTrapSink(TrapSink sink) : previous_(SetTrapSink(std::move(sink))) {}
  ~ScopedTrapSink() { SetTrapSink(std::move(previous_)); }
  ScopedTrapSink(const ScopedTrapSink&) = delete;
  ScopedTrapSink& operator=(const ScopedTrapSink&) = delete;

 private:
  TrapSink previous_;
};

// A trap as one line of text: "trap in <where>: <number> - <description>".
std::string TrapLine(const Trap& trap);

}  // namespace lirvo
